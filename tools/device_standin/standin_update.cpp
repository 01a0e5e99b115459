#include "tools/device_standin/standin_update.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unordered_map>

#include <zlib.h>

#include "common/discover/device_datagram.h"
#include "tools/device_standin/standin_description.h"
#include "tools/device_standin/standin_scheduler.h"

namespace {

using namespace standin_command;

const uint8_t CMD_START_LOAD = kStartLoad, CMD_DATA = kData, CMD_ABORT = kAbortLoad, CMD_RECORD = kRecord,
              CMD_PROGRESS = kRecordProgress, CMD_RESET = kReset, CMD_INVENTORY_32 = kInventory32,
              CMD_RESTORE = kRestore, CMD_NOTHING = kNothingToUpgrade, CMD_INVENTORY_12 = kInventory12;

const uint8_t kUpdateCommands[] = {CMD_START_LOAD,   CMD_DATA,    CMD_ABORT,  CMD_RECORD,      CMD_RESET,
                                   CMD_INVENTORY_32, CMD_RESTORE, CMD_NOTHING, CMD_INVENTORY_12};

const int kWindowSlots = 10;
const size_t kPacketMax = 522;

ShortDatagram Datagram(uint8_t command, std::initializer_list<uint8_t> payload) {
    ShortDatagram datagram;
    std::memcpy(datagram.bytes, DEVICE_MAGIC, DEVICE_MAGIC_SIZE);
    datagram.bytes[6] = DEVICE_DIRECTION_REPLY;
    datagram.bytes[7] = command;
    datagram.size = DEVICE_HEADER_SIZE;
    for (uint8_t byte : payload) datagram.bytes[datagram.size++] = byte;
    return datagram;
}

std::vector<uint8_t> Bytes(const ShortDatagram& datagram) {
    return std::vector<uint8_t>(datagram.bytes, datagram.bytes + datagram.size);
}

ShortDatagram Acknowledgement(uint8_t status, uint16_t sequence) {
    return Datagram(CMD_DATA, {status, static_cast<uint8_t>(sequence >> 8), static_cast<uint8_t>(sequence & 0xFF)});
}

uint32_t ReadLittle32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// The sections of an image in the container format: none when the bytes are
// not one. Stops at the first section that runs past the end.
std::vector<StandinSection> ImageSections(const std::vector<uint8_t>& image) {
    std::vector<StandinSection> sections;
    if (image.size() < 24 || std::memcmp(image.data(), "Veltrano", 8) != 0) return sections;
    const uint32_t count = ReadLittle32(&image[20]);
    size_t at = 24;
    for (uint32_t i = 0; i < count && at + 28 <= image.size(); ++i) {
        const uint8_t* header = &image[at];
        if (std::memcmp(header, "nwdl", 4) != 0) break;
        const uint64_t end = at + 28 + static_cast<uint64_t>(ReadLittle32(header + 20));
        if (end > image.size()) break;
        StandinSection section;
        section.key = static_cast<uint16_t>(((ReadLittle32(header + 4) & 0xFF) << 8) | header[12]);
        section.id = ReadLittle32(header + 8);
        section.version.assign(reinterpret_cast<const char*>(header + 13), 6);
        sections.push_back(section);
        at = static_cast<size_t>(end);
    }
    return sections;
}

bool ParseInt(const std::string& text, int low, int high, int& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (*end != '\0' || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

// A comma-separated list of numbers within the bounds.
template <class T>
bool ParseList(const std::string& text, int low, int high, std::vector<T>& out) {
    out.clear();
    for (size_t at = 0; at <= text.size();) {
        const size_t comma = std::min(text.find(',', at), text.size());
        int value = 0;
        if (!ParseInt(text.substr(at, comma - at), low, high, value)) return false;
        out.push_back(static_cast<T>(value));
        at = comma + 1;
    }
    return true;
}

// yes, no, bare or count:N.
bool ParseInventoryAnswer(const std::string& text, bool& answers, StandinInventoryLie& lie) {
    lie = StandinInventoryLie();
    answers = true;
    if (text == "bare") {
        lie.bare = true;
        return true;
    }
    if (text.compare(0, 6, "count:") == 0) return ParseInt(text.substr(6), 0, 255, lie.claimedCount);
    return ParseStandinFlag(text, answers);
}

bool Contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

CStandinUpdater::CStandinUpdater(StandinUpdateProfile profile)
    : m_profile(std::move(profile)), m_slots(kWindowSlots), m_filled(kWindowSlots, false) {}

CStandinUpdater::~CStandinUpdater() = default;

void CStandinUpdater::SetProfile(const StandinUpdateProfile& profile) {
    std::lock_guard<std::mutex> lock(m_lock);
    std::vector<StandinSection> sections = std::move(m_profile.sections);
    m_profile = profile;
    m_profile.sections = std::move(sections);
}

std::vector<StandinLoad> CStandinUpdater::Loads() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_loads;
}

std::vector<StandinSection> CStandinUpdater::Sections() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_profile.sections;
}

std::vector<uint8_t> CStandinUpdater::Commands() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_commands;
}

int CStandinUpdater::CountOf(uint8_t command) const {
    std::lock_guard<std::mutex> lock(m_lock);
    int count = 0;
    for (uint8_t c : m_commands) count += c == command;
    return count;
}

bool CStandinUpdater::Lose() {
    m_random = m_random * 1103515245u + 12345u;
    return static_cast<int>((m_random >> 16) % 100) < m_profile.lossPercent;
}

void CStandinUpdater::Reply(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies,
                            const uint8_t* datagram, size_t length, int delayMs) {
    if (delayMs <= 0) {
        replies.Add().assign(datagram, datagram + length);
        return;
    }
    CStandinScheduler::Instance().Schedule(&device, device, request.FromIp(), request.fromPort,
                                           std::vector<uint8_t>(datagram, datagram + length),
                                           std::chrono::milliseconds(delayMs));
}

void CStandinUpdater::Reply(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies,
                            const ShortDatagram& datagram, int delayMs) {
    Reply(device, request, replies, datagram.bytes, datagram.size, delayMs);
}

void CStandinUpdater::Reply(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies,
                            const std::vector<uint8_t>& datagram, int delayMs) {
    Reply(device, request, replies, datagram.data(), datagram.size(), delayMs);
}

void CStandinUpdater::Handle(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies) {
    std::lock_guard<std::mutex> lock(m_lock);
    const uint8_t command = request.data[7];
    m_commands.push_back(command);
    if (m_profile.silent || std::find(m_profile.ignored.begin(), m_profile.ignored.end(), command) != m_profile.ignored.end())
        return;
    const int slow = DelayOf(command);
    switch (command) {
    case CMD_RESET:
        // The device restarts: what it was still going to send is lost.
        CStandinScheduler::Instance().Cancel(&device);
        m_inLoader = true;
        m_loading = false;
        if (m_profile.resetAnswers) Reply(device, request, replies, Datagram(CMD_RESET, {0}), slow);
        break;
    case CMD_START_LOAD: {
        if (m_profile.bareStartReply) {
            Reply(device, request, replies, Datagram(CMD_START_LOAD, {}), slow);
            break;
        }
        if (!m_inLoader) {
            Reply(device, request, replies, Datagram(CMD_START_LOAD, {1}), slow);
            break;
        }
        m_loading = true;
        ++m_loadsStarted;
        m_windowBase = 1;
        m_windowDone = false;
        m_filled.assign(kWindowSlots, false);
        m_dataInLoad = 0;
        m_acksInLoad = 0;
        StandinLoad load;
        load.windowMode = m_profile.startReplyLength == 11;
        // Older loads are dropped so that long runs stay small.
        while (!m_loads.empty() && m_loads.size() >= std::max<size_t>(m_profile.loadsKept, 1))
            m_loads.erase(m_loads.begin());
        m_loads.push_back(std::move(load));
        std::vector<uint8_t> reply = Bytes(Datagram(CMD_START_LOAD, {0}));
        reply.resize(static_cast<size_t>(std::max(9, m_profile.startReplyLength)), 0);
        Reply(device, request, replies, reply, slow);
        break;
    }
    case CMD_DATA:
        OnData(device, request, replies);
        break;
    case CMD_ABORT:
        if (m_loading && !m_loads.empty()) m_loads.back().aborted = true;
        m_loading = false;
        Reply(device, request, replies, Datagram(CMD_ABORT, {0}), slow);
        break;
    case CMD_RECORD:
        OnStartRecord(device, request, replies);
        break;
    case CMD_INVENTORY_12:
        if (m_profile.answersInventory12)
            Reply(device, request, replies, Inventory(command, 12, m_profile.inventory12Lie), slow);
        break;
    case CMD_INVENTORY_32:
        if (m_profile.answersInventory9)
            Reply(device, request, replies, Inventory(command, 32, m_profile.inventory9Lie), slow);
        break;
    case CMD_RESTORE:
    case CMD_NOTHING:
        Reply(device, request, replies, Datagram(command, {0}), slow);
        break;
    default:
        break;
    }
}

int CStandinUpdater::DelayOf(uint8_t command) const {
    const bool late = std::find(m_profile.lateCommands.begin(), m_profile.lateCommands.end(), command) !=
                      m_profile.lateCommands.end();
    return m_profile.slowMs + (late ? m_profile.lateMs : 0) + (command == CMD_DATA ? m_profile.ackDelayMs : 0);
}

bool CStandinUpdater::FaultyLoad() const {
    return m_loading && (m_profile.faultyLoads < 0 || m_loadsStarted <= m_profile.faultyLoads);
}

void CStandinUpdater::OnData(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies) {
    if (m_loading && Contains(m_profile.loseData, ++m_dataInLoad) && FaultyLoad()) return;
    if (Lose()) return;
    const uint8_t* payload = request.data + DEVICE_HEADER_SIZE;
    const size_t length = static_cast<size_t>(request.length) - DEVICE_HEADER_SIZE;
    const int delay = DelayOf(CMD_DATA);
    auto acknowledge = [&](const ShortDatagram& ack) {
        if (m_loading && Contains(m_profile.dropAcks, ++m_acksInLoad) && FaultyLoad()) return;
        if (m_profile.duplicateAcks) Reply(device, request, replies, ack, delay);
        Reply(device, request, replies, ack, delay);
    };
    if (!m_loading || m_loads.empty()) {
        acknowledge(Acknowledgement(1, 0));
        return;
    }
    StandinLoad& load = m_loads.back();
    if (!load.windowMode) {
        if (m_profile.refuseAcks > 0) {
            --m_profile.refuseAcks;
            acknowledge(Datagram(CMD_DATA, {1}));
            return;
        }
        Take(load, payload, length);
        acknowledge(Datagram(CMD_DATA, {0}));
        return;
    }
    if (length < 2) return;
    const uint16_t sequence = static_cast<uint16_t>((payload[length - 2] << 8) | payload[length - 1]);
    if (m_profile.keepBytes) load.sequences.push_back(sequence);
    const uint16_t offset = static_cast<uint16_t>(sequence - m_windowBase);
    const uint16_t last = static_cast<uint16_t>(m_windowBase + kWindowSlots - 1);
    if (offset < kWindowSlots) {
        if (!m_filled[offset]) {
            m_slots[offset].assign(payload, payload + length - 2);
            m_filled[offset] = true;
        }
        for (bool filled : m_filled) {
            if (!filled) return;
        }
        m_filled.assign(kWindowSlots, false);
        if (m_profile.refuseAcks > 0) {
            --m_profile.refuseAcks;
            acknowledge(m_profile.shortRefusals ? Datagram(CMD_DATA, {1}) : Acknowledgement(1, last));
            return;
        }
        for (const auto& slot : m_slots) Take(load, slot.data(), slot.size());
        m_windowBase = static_cast<uint16_t>(m_windowBase + kWindowSlots);
        m_windowDone = true;
        acknowledge(Acknowledgement(0, last));
    } else if (m_windowDone && sequence == static_cast<uint16_t>(m_windowBase - 1)) {
        // The previous window again: its acknowledgement was lost or late.
        acknowledge(Acknowledgement(0, sequence));
    }
}

void CStandinUpdater::Take(StandinLoad& load, const uint8_t* bytes, size_t length) {
    load.crc = static_cast<uint32_t>(crc32(load.crc, bytes, static_cast<uInt>(length)));
    load.size += length;
    if (m_profile.keepBytes) load.bytes.insert(load.bytes.end(), bytes, bytes + length);
}

void CStandinUpdater::OnStartRecord(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies) {
    const int slow = DelayOf(CMD_RECORD);
    if (!m_loading || m_loads.empty()) {
        // A repeated start (its answer was lost) is answered as the first was.
        const bool started = !m_loads.empty() && m_loads.back().recorded;
        Reply(device, request, replies, Datagram(CMD_RECORD, {static_cast<uint8_t>(started ? 0 : 1), 0}), slow);
        return;
    }
    m_loading = false;
    m_inLoader = false;
    StandinLoad& load = m_loads.back();
    if (m_profile.startRecordError != 0) {
        Reply(device, request, replies,
              Datagram(CMD_RECORD, {1, static_cast<uint8_t>(m_profile.startRecordError)}), slow);
        return;
    }
    Reply(device, request, replies, Datagram(CMD_RECORD, {0, 0}), slow);
    if (m_profile.recordError == 0) {
        load.recorded = true;
        Record(device.Profile().address, load.bytes);
    }
    const int steps = m_profile.recordSteps;
    for (int step = 1; step <= steps; ++step) {
        Reply(device, request, replies,
              Datagram(CMD_PROGRESS, {static_cast<uint8_t>(steps), static_cast<uint8_t>(step)}),
              slow + step * m_profile.recordPaceMs + 1);
    }
    if (!m_profile.recordEnds) return;
    ShortDatagram end = Datagram(CMD_RECORD, {static_cast<uint8_t>(m_profile.recordError != 0 ? 1 : 0),
                                              static_cast<uint8_t>(m_profile.recordError)});
    if (m_profile.shortRecordEnd) --end.size;
    Reply(device, request, replies, end, slow + (steps + 1) * m_profile.recordPaceMs + 1);
}

// Each section of the image replaces the version of every held section of
// its key and id, or is added after them when there is none; a later
// section of the same key and id wins. One pass over each list, so that an
// image of many sections is recorded before the engine stops waiting.
void CStandinUpdater::Record(const std::string& address, const std::vector<uint8_t>& image) {
    const std::vector<StandinSection> recorded = ImageSections(image);
    const auto place = [](const StandinSection& s) { return (static_cast<uint64_t>(s.key) << 32) | s.id; };
    // The version each key and id ends with, and whether a held section has it.
    struct Latest {
        const std::string* version;
        bool held;
    };
    std::unordered_map<uint64_t, Latest> latest;
    latest.reserve(recorded.size());
    for (const StandinSection& section : recorded) latest.insert_or_assign(place(section), Latest{&section.version, false});
    for (StandinSection& held : m_profile.sections) {
        auto found = latest.find(place(held));
        if (found == latest.end()) continue;
        held.version = *found->second.version;
        found->second.held = true;
    }
    for (const StandinSection& section : recorded) {
        Latest& last = latest.at(place(section));
        if (last.held) continue;
        m_profile.sections.push_back({section.key, section.id, *last.version});
        last.held = true;
    }
    if (m_profile.dumpDirectory.empty()) return;
    const std::string path = m_profile.dumpDirectory + "/" + address + "-" + std::to_string(++m_dumpCount) + ".bin";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
}

std::vector<uint8_t> CStandinUpdater::Inventory(uint8_t command, size_t recordSize,
                                                const StandinInventoryLie& lie) const {
    if (lie.bare) return Bytes(Datagram(command, {}));
    std::vector<uint8_t> reply = Bytes(Datagram(command, {0}));
    size_t count = 0;
    for (const StandinSection& section : m_profile.sections) {
        if (reply.size() + recordSize > kPacketMax) break;
        const uint8_t record[12] = {static_cast<uint8_t>(section.key >> 8), static_cast<uint8_t>(section.key & 0xFF),
                                    static_cast<uint8_t>(section.id >> 24), static_cast<uint8_t>(section.id >> 16),
                                    static_cast<uint8_t>(section.id >> 8),  static_cast<uint8_t>(section.id & 0xFF)};
        const size_t at = reply.size();
        reply.insert(reply.end(), record, record + 6);
        std::string version = section.version;
        version.resize(6, '\0');
        reply.insert(reply.end(), version.begin(), version.end());
        reply.resize(at + recordSize, 0);
        ++count;
    }
    reply[8] = static_cast<uint8_t>(lie.claimedCount >= 0 ? lie.claimedCount : static_cast<int>(count));
    return reply;
}

namespace {

// Handlers hold the installation; when they go (the device is destroyed or
// installed again), what the device was still going to send goes too.
struct Installation {
    std::shared_ptr<CStandinUpdater> updater;
    CStandinDevice* device = nullptr;
    ~Installation() { CStandinScheduler::Instance().Cancel(device); }
};

}  // namespace

std::shared_ptr<CStandinUpdater> InstallStandinUpdate(CStandinDevice& device, const StandinUpdateProfile& profile) {
    auto installation = std::make_shared<Installation>();
    installation->updater = std::make_shared<CStandinUpdater>(profile);
    installation->device = &device;
    for (uint8_t command : kUpdateCommands) {
        device.SetHandler(StandinChannel::Main, command,
                          [installation](CStandinDevice& d, const StandinRequest& request, StandinReplies& replies) {
                              installation->updater->Handle(d, request, replies);
                          });
    }
    return installation->updater;
}

bool IsStandinUpdateKey(const std::string& key) {
    static const char* const keys[] = {"load",     "record-steps",   "record-pace", "record-error", "start-record-error",
                                       "loss",     "duplicate-acks", "ack-delay",   "refuse-acks",  "reset-reply",
                                       "update-silent", "ignore", "record-end", "slow",      "inventory12", "inventory9",   "section",
                                       "dump", "short-refusals", "lose-data", "drop-acks", "short-record-end",
                                       "bare-start-reply", "faulty-loads", "answer-delay"};
    for (const char* known : keys) {
        if (key == known) return true;
    }
    return false;
}

bool ParseStandinUpdateKey(const std::string& key, const std::string& value, StandinUpdateProfile& profile,
                           std::string& error) {
    bool ok = true;
    if (key == "load") {
        ok = value == "window" || value == "plain";
        profile.startReplyLength = value == "plain" ? 9 : 11;
    } else if (key == "record-steps") {
        ok = ParseInt(value, 0, 255, profile.recordSteps);
    } else if (key == "record-pace") {
        ok = ParseInt(value, 0, 600000, profile.recordPaceMs);
    } else if (key == "record-error") {
        ok = ParseInt(value, 0, 255, profile.recordError);
    } else if (key == "start-record-error") {
        ok = ParseInt(value, 0, 255, profile.startRecordError);
    } else if (key == "loss") {
        ok = ParseInt(value, 0, 100, profile.lossPercent);
    } else if (key == "duplicate-acks") {
        ok = ParseStandinFlag(value, profile.duplicateAcks);
    } else if (key == "ack-delay") {
        ok = ParseInt(value, 0, 600000, profile.ackDelayMs);
    } else if (key == "refuse-acks") {
        ok = ParseInt(value, 0, 1000000, profile.refuseAcks);
    } else if (key == "reset-reply") {
        ok = ParseStandinFlag(value, profile.resetAnswers);
    } else if (key == "update-silent") {
        ok = ParseStandinFlag(value, profile.silent);
    } else if (key == "ignore") {
        ok = ParseList(value, 0, 255, profile.ignored);
    } else if (key == "lose-data") {
        ok = ParseList(value, 1, 0x7FFFFFFF, profile.loseData);
    } else if (key == "drop-acks") {
        ok = ParseList(value, 1, 0x7FFFFFFF, profile.dropAcks);
    } else if (key == "short-refusals") {
        ok = ParseStandinFlag(value, profile.shortRefusals);
    } else if (key == "record-end") {
        ok = ParseStandinFlag(value, profile.recordEnds);
    } else if (key == "short-record-end") {
        ok = ParseStandinFlag(value, profile.shortRecordEnd);
    } else if (key == "slow") {
        ok = ParseInt(value, 0, 600000, profile.slowMs);
    } else if (key == "inventory12") {
        ok = ParseInventoryAnswer(value, profile.answersInventory12, profile.inventory12Lie);
    } else if (key == "inventory9") {
        ok = ParseInventoryAnswer(value, profile.answersInventory9, profile.inventory9Lie);
    } else if (key == "bare-start-reply") {
        ok = ParseStandinFlag(value, profile.bareStartReply);
    } else if (key == "faulty-loads") {
        ok = ParseInt(value, 0, 0x7FFFFFFF, profile.faultyLoads);
    } else if (key == "answer-delay") {
        const size_t colon = value.rfind(':');
        ok = colon != std::string::npos && ParseList(value.substr(0, colon), 0, 255, profile.lateCommands) &&
             ParseInt(value.substr(colon + 1), 0, 600000, profile.lateMs);
    } else if (key == "section") {
        const size_t first = value.find(':');
        const size_t second = first == std::string::npos ? first : value.find(':', first + 1);
        int sectionKey = 0;
        int id = 0;
        ok = second != std::string::npos && ParseInt(value.substr(0, first), 0, 0xFFFF, sectionKey) &&
             ParseInt(value.substr(first + 1, second - first - 1), 0, 0x7FFFFFFF, id) &&
             value.size() - second - 1 == 6;
        if (ok) profile.sections.push_back({static_cast<uint16_t>(sectionKey), static_cast<uint32_t>(id), value.substr(second + 1)});
    } else if (key == "dump") {
        ok = !value.empty();
        profile.dumpDirectory = value;
    } else {
        ok = false;
    }
    if (!ok) error = "bad value \"" + value + "\" for " + key;
    return ok;
}
