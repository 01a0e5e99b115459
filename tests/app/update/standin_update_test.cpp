// The stand-in's update side on its own: description keys, the window
// bookkeeping, and what a recorded container does to its inventory.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "tools/device_standin/standin_description.h"
#include "tools/device_standin/standin_update.h"
#include "tools/package_maker/package_maker.h"
#include "tests/tools/device_standin/standin_requests.h"

namespace {

using standin_test::Request;
using standin_test::Send;

std::vector<uint8_t> Slot(const std::vector<uint8_t>& bytes, uint16_t sequence) {
    std::vector<uint8_t> payload = bytes;
    payload.push_back(static_cast<uint8_t>(sequence >> 8));
    payload.push_back(static_cast<uint8_t>(sequence & 0xFF));
    return Request(2, payload);
}

TEST(StandinUpdate, DescriptionKeys) {
    StandinDeviceLine line;
    std::string error;
    ASSERT_TRUE(ParseStandinDeviceLine(
        "127.0.0.9 load=plain record-steps=5 section=0x0105:1:02.0.0 ignore=1,4 refuse-acks=2 slow=30", line, error))
        << error;
    EXPECT_EQ(line.update.startReplyLength, 9);
    EXPECT_EQ(line.update.recordSteps, 5);
    EXPECT_EQ(line.update.refuseAcks, 2);
    EXPECT_EQ(line.update.slowMs, 30);
    EXPECT_EQ(line.update.ignored, (std::vector<uint8_t>{1, 4}));
    ASSERT_EQ(line.update.sections.size(), 1u);
    EXPECT_EQ(line.update.sections[0], (StandinSection{0x0105, 1, "02.0.0"}));
    ASSERT_TRUE(ParseStandinDeviceLine("127.0.0.9 answer-delay=4,12:1500 faulty-loads=1 bare-start-reply=yes "
                                       "inventory12=bare inventory9=count:40",
                                       line, error))
        << error;
    EXPECT_EQ(line.update.lateCommands, (std::vector<uint8_t>{4, 12}));
    EXPECT_EQ(line.update.lateMs, 1500);
    EXPECT_EQ(line.update.faultyLoads, 1);
    EXPECT_TRUE(line.update.bareStartReply);
    EXPECT_TRUE(line.update.answersInventory12);
    EXPECT_TRUE(line.update.inventory12Lie.bare);
    EXPECT_EQ(line.update.inventory9Lie.claimedCount, 40);
    for (const char* bad : {"127.0.0.9 load=fast", "127.0.0.9 section=1:2:abc", "127.0.0.9 loss=101",
                            "127.0.0.9 ignore=1,,4", "127.0.0.9 record-end=maybe", "127.0.0.9 answer-delay=4",
                            "127.0.0.9 inventory12=count:256", "127.0.0.9 inventory9=lie"}) {
        EXPECT_FALSE(ParseStandinDeviceLine(bad, line, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(StandinUpdate, WindowsInAnyOrderAndARecordedContainer) {
    CStandinDevice device(StandinDeviceProfile{});
    StandinUpdateProfile profile;
    profile.recordSteps = 0;
    profile.sections = {{0x0105, 1, "01.0.0"}};
    auto updater = InstallStandinUpdate(device, profile);

    // No load before the reset into the loader.
    EXPECT_EQ(Send(device, Request(1, {0, 0, 0}))[0][8], 1);
    ASSERT_EQ(Send(device, Request(7)).size(), 1u);
    const auto start = Send(device, Request(1, {0, 0, 0}));
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0].size(), 11u);

    package_maker::Image image;
    image.sections = package_maker::MakeDeviceTypeSections(23);
    image.sections.push_back(package_maker::MakeSection(0x0105, 1, "02.0.0", std::string(600, 'x')));
    const std::string container = package_maker::BuildImage(image);
    ASSERT_LT(container.size(), 10u * 512u);
    std::vector<std::vector<uint8_t>> slots;
    for (size_t k = 0; k < 10; ++k) {
        const size_t from = std::min(container.size(), k * 512);
        const size_t to = std::min(container.size(), from + 512);
        slots.emplace_back(container.begin() + static_cast<long>(from), container.begin() + static_cast<long>(to));
    }
    // Backwards, with a repeat: one acknowledgement, for number 10.
    for (int k = 9; k >= 1; --k) EXPECT_TRUE(Send(device, Slot(slots[static_cast<size_t>(k)], static_cast<uint16_t>(k + 1))).empty());
    EXPECT_TRUE(Send(device, Slot(slots[9], 10)).empty());
    auto ack = Send(device, Slot(slots[0], 1));
    ASSERT_EQ(ack.size(), 1u);
    EXPECT_EQ(ack[0], (std::vector<uint8_t>{'B', 'R', 'I', 'S', 'E', 'L', 1, 2, 0, 0, 10}));
    // The window again (its acknowledgement was lost): acknowledged again.
    ack = Send(device, Slot(slots[9], 10));
    ASSERT_EQ(ack.size(), 1u);
    EXPECT_EQ(ack[0][10], 10);

    const auto record = Send(device, Request(4, {0, 0, 0}));
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0][8], 0);
    const auto loads = updater->Loads();
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(std::string(loads[0].bytes.begin(), loads[0].bytes.end()), container);
    EXPECT_TRUE(loads[0].recorded);

    // The inventory now holds the container's sections, 0x0105 replaced.
    const auto inventory = Send(device, Request(12));
    ASSERT_EQ(inventory.size(), 1u);
    ASSERT_EQ(inventory[0][8], 3);
    ASSERT_EQ(inventory[0].size(), 9u + 3u * 12u);
    const uint8_t* first = &inventory[0][9];
    EXPECT_EQ(first[0], 0x01);
    EXPECT_EQ(first[1], 0x05);
    EXPECT_EQ(first[5], 1);
    EXPECT_EQ(std::string(first + 6, first + 12), "02.0.0");
    const auto longInventory = Send(device, Request(9));
    ASSERT_EQ(longInventory.size(), 1u);
    EXPECT_EQ(longInventory[0].size(), 9u + 3u * 32u);
}

// The answers a careless device gives, byte for byte: a start-load answer of
// the header alone that opens no load, inventories that hold less than
// their count says, and only the first load losing what it was told to.
TEST(StandinUpdate, CarelessAnswersOnRequest) {
    CStandinDevice device(StandinDeviceProfile{});
    StandinUpdateProfile profile;
    profile.startReplyLength = 9;
    profile.bareStartReply = true;
    profile.sections = {{0x0105, 1, "01.0.0"}};
    profile.inventory12Lie.bare = true;
    profile.inventory9Lie.claimedCount = 40;
    auto updater = InstallStandinUpdate(device, profile);
    Send(device, Request(7));
    const auto start = Send(device, Request(1, {0, 0, 0}));
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0], (std::vector<uint8_t>{'B', 'R', 'I', 'S', 'E', 'L', 1, 1}));
    EXPECT_TRUE(updater->Loads().empty());
    const auto inventory = Send(device, Request(12));
    ASSERT_EQ(inventory.size(), 1u);
    EXPECT_EQ(inventory[0], (std::vector<uint8_t>{'B', 'R', 'I', 'S', 'E', 'L', 1, 12}));
    const auto longInventory = Send(device, Request(9));
    ASSERT_EQ(longInventory.size(), 1u);
    ASSERT_EQ(longInventory[0].size(), 9u + 32u);
    EXPECT_EQ(longInventory[0][8], 40);

    // The first acknowledgement of the first load only is dropped; a block
    // sent again is kept again.
    profile.bareStartReply = false;
    profile.dropAcks = {1};
    profile.faultyLoads = 1;
    updater->SetProfile(profile);
    for (int load = 0; load < 2; ++load) {
        SCOPED_TRACE(load);
        EXPECT_EQ(Send(device, Request(1, {0, 0, 0})).size(), 1u);
        EXPECT_EQ(Send(device, Request(2, {1, 2, 3})).size(), load == 0 ? 0u : 1u);
        EXPECT_EQ(Send(device, Request(2, {1, 2, 3})).size(), 1u);
        EXPECT_EQ(updater->Loads().back().bytes, (std::vector<uint8_t>{1, 2, 3, 1, 2, 3}));
    }
}

// Loads the container in plain mode (one acknowledgement per datagram of 512
// bytes) and has the device record it; the answers to the record command.
StandinReplies LoadAndRecord(CStandinDevice& device, const std::string& container) {
    EXPECT_EQ(Send(device, Request(7)).size(), 1u);
    EXPECT_EQ(Send(device, Request(1, {0, 0, 0})).size(), 1u);
    for (size_t at = 0; at < container.size(); at += 512) {
        const auto from = container.begin() + static_cast<long>(at);
        const auto to = container.begin() + static_cast<long>(std::min(container.size(), at + 512));
        Send(device, Request(2, std::vector<uint8_t>(from, to)));
    }
    return Send(device, Request(4, {0, 0, 0}));
}

StandinUpdateProfile PlainProfile(std::vector<StandinSection> held) {
    StandinUpdateProfile profile;
    profile.startReplyLength = 9;
    profile.recordSteps = 0;
    profile.recordEnds = false;
    profile.sections = std::move(held);
    return profile;
}

TEST(StandinUpdate, ARecordedImageReplacesTheVersionsOfItsSections) {
    struct Case {
        const char* name;
        std::vector<StandinSection> held;
        std::vector<StandinSection> image;
        std::vector<StandinSection> after;
    };
    const Case cases[] = {
        {"new sections come after the held ones, in the image's order",
         {{0x0105, 1, "01.0.0"}},
         {{0x0200, 5, "02.0.0"}, {0x0100, 5, "03.0.0"}},
         {{0x0105, 1, "01.0.0"}, {0x0200, 5, "02.0.0"}, {0x0100, 5, "03.0.0"}}},
        {"a held section takes the new version in its place",
         {{0x0101, 1, "01.0.0"}, {0x0102, 2, "01.0.0"}, {0x0103, 3, "01.0.0"}},
         {{0x0102, 2, "02.0.0"}},
         {{0x0101, 1, "01.0.0"}, {0x0102, 2, "02.0.0"}, {0x0103, 3, "01.0.0"}}},
        {"key and id together name a section",
         {{0x0105, 1, "01.0.0"}, {0x0106, 2, "01.0.0"}},
         {{0x0105, 2, "02.0.0"}, {0x0106, 1, "03.0.0"}},
         {{0x0105, 1, "01.0.0"}, {0x0106, 2, "01.0.0"}, {0x0105, 2, "02.0.0"}, {0x0106, 1, "03.0.0"}}},
        {"a section twice in the image: the later version, at the first one's place",
         {},
         {{0x0101, 1, "02.0.0"}, {0x0102, 1, "03.0.0"}, {0x0101, 1, "04.0.0"}},
         {{0x0101, 1, "04.0.0"}, {0x0102, 1, "03.0.0"}}},
        {"a section held twice: both take the new version",
         {{0x0101, 1, "01.0.0"}, {0x0101, 1, "01.5.0"}},
         {{0x0101, 1, "05.0.0"}, {0x0101, 1, "06.0.0"}},
         {{0x0101, 1, "06.0.0"}, {0x0101, 1, "06.0.0"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CStandinDevice device(StandinDeviceProfile{});
        auto updater = InstallStandinUpdate(device, PlainProfile(c.held));
        package_maker::Image image;
        for (const StandinSection& s : c.image)
            image.sections.push_back(package_maker::MakeSection(s.key, s.id, s.version, "body"));
        const auto answer = LoadAndRecord(device, package_maker::BuildImage(image));
        ASSERT_EQ(answer.size(), 1u);
        EXPECT_EQ(answer[0][8], 0);
        EXPECT_EQ(updater->Sections(), c.after);
    }
}

// The engine waits for the answer to "record" no longer than its packet
// time-out (5 s unless the settings say otherwise); the device takes the
// image's sections in before it answers, and must not take longer with
// 100,000 of them.
TEST(StandinUpdate, AnImageOf100000SectionsIsRecordedWithinThePacketTimeOut) {
    constexpr uint32_t kSections = 100000;
    CStandinDevice device(StandinDeviceProfile{});
    auto updater = InstallStandinUpdate(device, PlainProfile({{0x0100, kSections - 1, "01.0.0"}, {0x0300, 1, "01.0.0"}}));
    package_maker::Image image;
    for (uint32_t id = 0; id < kSections; ++id) image.sections.push_back(package_maker::MakeSection(0x0100, id, "02.0.0"));
    const std::string container = package_maker::BuildImage(image);

    const auto start = std::chrono::steady_clock::now();
    const auto answer = LoadAndRecord(device, container);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(5));
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(answer[0][8], 0);
    const auto sections = updater->Sections();
    ASSERT_EQ(sections.size(), kSections + 1);
    EXPECT_EQ(sections[0], (StandinSection{0x0100, kSections - 1, "02.0.0"}));
    EXPECT_EQ(sections[1], (StandinSection{0x0300, 1, "01.0.0"}));
    EXPECT_EQ(sections[2], (StandinSection{0x0100, 0, "02.0.0"}));
    EXPECT_EQ(sections.back(), (StandinSection{0x0100, kSections - 2, "02.0.0"}));
}

}  // namespace
