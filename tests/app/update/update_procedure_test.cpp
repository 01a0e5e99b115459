// The update procedure against stand-in devices: which images reach the
// device for each family and generation, boot loader first, restore,
// inventories, forced upgrade, "Nothing to upgrade!", and the progress bands.
#include <gtest/gtest.h>

#include "tests/app/update/update_harness.h"

#include "app/package/image_container.h"
#include "platform/resources/resources.h"
#include "tools/package_maker/package_maker.h"

namespace {

using package_maker::MakeSection;

// A package: the device type sections, a type-13 section 0x0A0D, and one
// section each of types 5, 10, 12 and 0.
std::string MakePackage(bool withInit = true, const char* initVersion = "00.0.3") {
    package_maker::Image image;
    image.sections = package_maker::MakeDeviceTypeSections(23);
    if (withInit) image.sections.push_back(MakeSection(0x0A0D, 0, initVersion, std::string(3000, 'i')));
    image.sections.push_back(MakeSection(0x0105, 1, "02.0.0", std::string(6000, 'a')));
    image.sections.push_back(MakeSection(0x020A, 0, "01.0.0", std::string(3000, 'b')));
    image.sections.push_back(MakeSection(0x030C, 5, "01.0.0", std::string(2000, 'c')));
    image.sections.push_back(MakeSection(0x0400, 0x10000, "03.0.0", std::string(7000, 'd')));
    return package_maker::BuildImage(image);
}

// What the device holds before: everything but 0x0105 as in the package.
StandinUpdateProfile DeviceHolding() {
    StandinUpdateProfile profile;
    profile.sections = {{0x0105, 1, "01.0.0"}, {0x020A, 0, "01.0.0"}, {0x030C, 5, "01.0.0"}, {0x0400, 0x10000, "03.0.0"}};
    return profile;
}

typedef std::vector<std::pair<WORD, DWORD>> SectionList;

SectionList SectionsOf(std::vector<uint8_t> bytes) {
    SectionList sections;
    auto stream = ImageStream(bytes);
    WORD key = 0;
    DWORD id = 0;
    for (int n = 0; n < 100 && FindImageSection(*stream, key, id, n); ++n) sections.push_back({key, id});
    return sections;
}

std::string IdFieldOf(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 24 ? std::string(bytes.begin() + 9, bytes.begin() + 15) : std::string();
}

struct Procedure {
    CWizardState sheet;
    CRecordingReport report;
    CUpdateEngine engine{sheet, report};

    Procedure(const std::string& address, int family, const char* version, const std::string& package,
              const char* path = "/pkgs/fw_v6.7.7.zpk") {
        auto* device = new _TDevice;
        device->m_strIPAddress = address.c_str();
        device->m_nUDPPort = 50013;
        device->m_strVersion = version;
        device->m_nSelected = 1;
        sheet.m_devices.Add(device);
        sheet.m_nFamily = family;
        sheet.m_strPackagePath = path;
        engine.PackageBytes() = package;
    }
    int Update() { return engine.UpdateDevice(0); }
};

std::vector<uint8_t> BiosImage(WORD id) {
    HRSRC info = FindResource(nullptr, MAKEINTRESOURCE(id), "BIOS");
    if (info == nullptr) return {};
    HGLOBAL data = LoadResource(nullptr, info);
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(data));
    return std::vector<uint8_t>(bytes, bytes + SizeofResource(nullptr, info));
}

TEST(UpdateProcedure, BootLoaderImagesAreContainers) {
    for (WORD id : {WORD(139), WORD(144)}) {
        std::vector<uint8_t> image = BiosImage(id);
        ASSERT_GT(image.size(), 300u * 1024u) << id;
        EXPECT_EQ(std::string(image.begin(), image.begin() + 9), "Veltranox");
        EXPECT_EQ(IdFieldOf(image), "00.0.0");
        EXPECT_EQ(SectionsOf(image), (SectionList{{0xFEFD, 0}, {0x0100, 0x10000}, {0x0100, 0x45000}}));
        auto stream = ImageStream(image);
        _TImageSection header{};
        ASSERT_TRUE(ReadImageSectionHeader(*stream, header, IMAGE_KEY_LOADER_START, -1));
        EXPECT_EQ(header.length, 0u);
        ASSERT_TRUE(ReadImageSectionHeader(*stream, header, 0x0100, 0x45000));
        EXPECT_EQ(std::string(header.version, 6), "02.5.6");
    }
    EXPECT_NE(BiosImage(139), BiosImage(144));
}

TEST(UpdateProcedure, WholeFamilyPackageIsLoadedInTheFirstBand) {
    for (int family : {2, 3}) {
        CStandinHarness devices(family, 1);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        const std::string package = MakePackage();
        Procedure run(devices.Address(0), family, "1.0.0", package);
        EXPECT_EQ(run.Update(), 1);
        ASSERT_EQ(devices.Device(0).Loads().size(), 1u);
        EXPECT_EQ(devices.Device(0).Loads()[0].bytes, ToBytes(package));
        EXPECT_EQ(devices.Device(0).CountOf(12), 0);
        const auto progress = run.report.Progress(0);
        const auto record = std::find(progress.begin(), progress.end(), 30);
        ASSERT_NE(record, progress.end());
        for (auto p = progress.begin(); p != record; ++p) EXPECT_LT(*p, 30);
        EXPECT_EQ(run.report.Status(0).front(), "Connecting...");
    }
}

TEST(UpdateProcedure, SameGenerationLoadsInitialisationThenWhatDiffers) {
    CStandinHarness devices(4, 1, DeviceHolding());
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    const std::string package = MakePackage();
    Procedure run(devices.Address(0), 4, "1.0.0", package);
    EXPECT_EQ(run.Update(), 1);
    const auto loads = devices.Device(0).Loads();
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(SectionsOf(loads[0].bytes), (SectionList{{0xFEFD, 0}, {0xFEFE, 0}, {0x0A0D, 0}}));
    EXPECT_EQ(SectionsOf(loads[1].bytes), (SectionList{{0xFEFD, 0}, {0xFEFE, 0}, {0x0105, 1}}));
    EXPECT_TRUE(run.report.HasStatus(0, "Initializing..."));
    // The initialisation lowers the band: the final load runs from 5 to 30.
    const auto progress = run.report.Progress(0);
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress[0], 0);
    EXPECT_EQ(progress[1], 5);
    EXPECT_NE(std::find(progress.begin(), progress.end(), 30), progress.end());
    for (size_t i = 1; i < progress.size(); ++i) EXPECT_GE(progress[i], 5) << "after the initialisation";

    // The device now holds the package's versions: nothing to upgrade.
    const auto held = devices.Device(0).Sections();
    EXPECT_NE(std::find(held.begin(), held.end(), StandinSection{0x0105, 1, "02.0.0"}), held.end());
    run.report.Clear();
    EXPECT_EQ(run.Update(), 1);
    EXPECT_EQ(devices.Device(0).Loads().size(), 3u);  // the initialisation only
    EXPECT_EQ(devices.Device(0).CountOf(11), 1);
    EXPECT_EQ(run.report.Status(0).back(), "Nothing to upgrade!");
    EXPECT_EQ(run.report.Progress(0).back(), 100);
    EXPECT_EQ(run.report.Remaining(0).back(), -1);
}

TEST(UpdateProcedure, FamilyPackageWithoutNewerInitialisationIsLoadedWhole) {
    // No type-13 section, or 0x0A0D not newer than 00.0.2.
    const std::string packages[] = {MakePackage(false), MakePackage(true, "00.0.2")};
    const int families[] = {5, 4};
    const int groups[] = {5, 15};
    for (int i = 0; i < 2; ++i) {
        const std::string& package = packages[i];
        CStandinHarness devices(groups[i], 1, DeviceHolding());
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        Procedure run(devices.Address(0), families[i], "1.0.0", package);
        EXPECT_EQ(run.Update(), 1);
        ASSERT_EQ(devices.Device(0).Loads().size(), 1u);
        EXPECT_EQ(devices.Device(0).Loads()[0].bytes, ToBytes(package));
        EXPECT_EQ(devices.Device(0).CountOf(12), 0);
    }
}

TEST(UpdateProcedure, FamilyOneSameAndCrossGeneration) {
    struct Case {
        const char* path;
        const char* device;
        const char* idField;
        SectionList initialisation;
    };
    const SectionList same = {{0xFEFD, 0}, {0xFEFE, 0}, {0x0A0D, 0}};
    const SectionList cross = {{0xFEFD, 0}, {0xFEFE, 0}, {0x020A, 0}, {0x030C, 5}, {0x0400, 0x10000}};
    const Case cases[] = {
        {"/p/fw_v6.7.7.zpk", "6.7.8", "00.0.0", same},
        // 6_7_5 is too short to be written: the package's id field stays.
        {"/p/fw_v6.7.7.zpk", "6.7.5", "00.0.0", cross},
        {"/p/fw_v6.5.0.zpk", "6.7.7", "xxxxxx", cross},
    };
    int group = 6;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " on " + c.device);
        CStandinHarness devices(group++, 1, DeviceHolding());
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        Procedure run(devices.Address(0), 1, c.device, MakePackage(), c.path);
        EXPECT_EQ(run.Update(), 1);
        const auto loads = devices.Device(0).Loads();
        ASSERT_EQ(loads.size(), 2u);
        EXPECT_EQ(IdFieldOf(loads[0].bytes), c.idField);
        EXPECT_EQ(SectionsOf(loads[0].bytes), c.initialisation);
        EXPECT_EQ(SectionsOf(loads[1].bytes), (SectionList{{0xFEFD, 0}, {0xFEFE, 0}, {0x0105, 1}}));
    }
}

TEST(UpdateProcedure, BootLoaderFirst) {
    // "Wrong Version" reads as 0: older than every boot-loader generation.
    CStandinHarness devices(14, 1);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    const std::string package = MakePackage();
    Procedure run(devices.Address(0), 1, "Wrong Version", package, "/p/fw_v5.5.0.zpk");
    run.sheet.m_nFamilyPackage = 1;
    EXPECT_EQ(run.Update(), 1);
    auto loads = devices.Device(0).Loads();
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(loads[0].bytes, BiosImage(139));
    EXPECT_TRUE(loads[0].recorded);
    EXPECT_EQ(loads[1].bytes, ToBytes(package));
    EXPECT_EQ(run.report.Status(0)[1], "Updating BIOS...");
    const auto progress = run.report.Progress(0);
    EXPECT_EQ(std::vector<int>(progress.begin(), progress.begin() + 4), (std::vector<int>{0, 1, 0, 5}));
    EXPECT_NE(std::find(progress.begin(), progress.end(), 30), progress.end());

    // Boot loader and initialisation: the final load runs from 5 to 25.
    CStandinHarness both(9, 1, DeviceHolding());
    ASSERT_TRUE(both.Ok()) << both.Error();
    Procedure again(both.Address(0), 1, "6.2.0", package, "/p/fw_v6.7.7.zpk");
    again.sheet.m_nFamilyPackage = 1;
    EXPECT_EQ(again.Update(), 1);
    loads = both.Device(0).Loads();
    ASSERT_EQ(loads.size(), 3u);
    EXPECT_EQ(loads[0].bytes, BiosImage(139));
    EXPECT_EQ(SectionsOf(loads[2].bytes), (SectionList{{0xFEFD, 0}, {0xFEFE, 0}, {0x0105, 1}}));
    EXPECT_TRUE(again.report.HasStatus(0, "Initializing..."));
    const auto band = again.report.Progress(0);
    const auto record = std::find(band.begin(), band.end(), 25);
    ASSERT_NE(record, band.end());
    EXPECT_EQ(std::find(band.begin(), band.end(), 30), band.end());
}

TEST(UpdateProcedure, FailedBootLoaderStopsTheUpdate) {
    StandinUpdateProfile refusing;
    refusing.startRecordError = 9;
    CStandinHarness devices(10, 1, refusing);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    Procedure run(devices.Address(0), 1, "Wrong Version", MakePackage(), "/p/fw_v5.5.0.zpk");
    run.sheet.m_nFamilyPackage = 1;
    EXPECT_EQ(run.Update(), 0);
    EXPECT_EQ(run.report.Status(0).back(), "ERROR Updating BIOS");
    EXPECT_EQ(run.report.Progress(0).back(), -1);
    EXPECT_TRUE(run.report.Errors(0).empty());  // the silent run itself reports nothing
    EXPECT_EQ(devices.Device(0).Loads().size(), 1u);
}

TEST(UpdateProcedure, RestoreDefaultsAndForcedCompleteUpgrade) {
    CStandinHarness devices(11, 1, DeviceHolding());
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    Procedure run(devices.Address(0), 4, "1.0.0", MakePackage());
    run.sheet.m_nRestoreDefaultConfig = 1;
    run.sheet.m_nForceCompleteUpgrade = 1;
    EXPECT_EQ(run.Update(), 1);
    EXPECT_EQ(devices.Device(0).CountOf(10), 1);
    EXPECT_TRUE(run.report.HasStatus(0, "Restoring Default Configuration..."));
    EXPECT_EQ(devices.Device(0).CountOf(12), 0);
    EXPECT_EQ(devices.Device(0).CountOf(9), 0);
    const auto loads = devices.Device(0).Loads();
    ASSERT_EQ(loads.size(), 2u);
    // Every section but type 13, in file order.
    EXPECT_EQ(SectionsOf(loads[1].bytes), (SectionList{{0xFEFD, 0}, {0xFEFE, 0}, {0x0105, 1}, {0x020A, 0},
                                                       {0x030C, 5}, {0x0400, 0x10000}}));
}

// A forced upgrade of a package of 20,000 sections walks the package once
// (a walk that searched for each section from the start took seconds): the
// device gets every section but the initialisation one, byte for byte the
// container that holds just those.
TEST(UpdateProcedure, TwentyThousandSectionsAreWalkedOnce) {
    package_maker::Image image;
    image.sections = package_maker::MakeDeviceTypeSections(23);
    image.sections.push_back(MakeSection(0x0A0D, 0, "00.0.3", "init"));
    for (uint32_t id = 0; id < 20000; ++id) image.sections.push_back(MakeSection(0x0100, id, "01.0.0"));
    const std::string package = package_maker::BuildImage(image);
    image.sections.erase(image.sections.begin() + 2);
    const std::string expected = package_maker::BuildImage(image);

    CStandinHarness devices(17, 1, DeviceHolding());
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    Procedure run(devices.Address(0), 4, "1.0.0", package);
    run.sheet.m_nForceCompleteUpgrade = 1;
    EXPECT_EQ(run.Update(), 1);
    const auto loads = devices.Device(0).Loads();
    ASSERT_EQ(loads.size(), 2u);
    // Not EXPECT_EQ: a difference would print half a megabyte.
    EXPECT_TRUE(std::string(loads[1].bytes.begin(), loads[1].bytes.end()) == expected);
}

TEST(UpdateProcedure, LongInventoryWhenTheShortOneIsNotAnswered) {
    StandinUpdateProfile profile = DeviceHolding();
    profile.answersInventory12 = false;
    profile.sections[0].version = "02.0.0";  // nothing differs
    CStandinHarness devices(12, 1, profile);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    Procedure run(devices.Address(0), 4, "1.0.0", MakePackage());
    EXPECT_EQ(run.Update(), 1);
    EXPECT_EQ(devices.Device(0).CountOf(12), 6);  // the fixed 5000 ms
    EXPECT_EQ(devices.Device(0).CountOf(9), 1);
    // The long inventory's image always holds the two leading sections.
    const auto loads = devices.Device(0).Loads();
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(SectionsOf(loads[1].bytes), (SectionList{{0xFEFD, 0}, {0xFEFE, 0}}));
}

// What the inventory answer says decides the last image: the sections whose
// versions differ, wherever they stand in the answer. An answer that does
// not hold what its count says is no inventory: the long one is asked next,
// then the whole package goes. A true, empty inventory leaves nothing to do.
TEST(UpdateProcedure, TheInventoryAnswerDecidesTheLastImage) {
    struct Case {
        const char* name;
        StandinUpdateProfile profile;
        int longInventories;
        SectionList image;  // empty: "Nothing to upgrade!"
    };
    // The initialisation's sections held already, so that recording them
    // appends nothing: the differing section stays the last record.
    StandinUpdateProfile lastDiffers;
    lastDiffers.sections = {{0xFEFD, 0, "000000"},      {0xFEFE, 0, "000000"},      {0x0A0D, 0, "00.0.3"},
                            {0x0105, 1, "02.0.0"},      {0x020A, 0, "01.0.0"},      {0x030C, 5, "01.0.0"},
                            {0x0400, 0x10000, "02.0.0"}};
    StandinUpdateProfile lastDiffersLong = lastDiffers;
    lastDiffersLong.inventory12Lie.bare = true;
    StandinUpdateProfile bare = lastDiffers;
    bare.inventory12Lie.bare = true;
    bare.inventory9Lie.bare = true;
    StandinUpdateProfile claimsForty;
    claimsForty.inventory12Lie.claimedCount = 40;
    claimsForty.inventory9Lie.claimedCount = 40;
    StandinUpdateProfile empty;
    const SectionList whole = {{0xFEFD, 0}, {0xFEFE, 0}, {0x0105, 1}, {0x020A, 0}, {0x030C, 5}, {0x0400, 0x10000}};
    const Case cases[] = {
        {"the last record differs", lastDiffers, 0, {{0xFEFD, 0}, {0xFEFE, 0}, {0x0400, 0x10000}}},
        {"the last long record differs", lastDiffersLong, 1, {{0xFEFD, 0}, {0xFEFE, 0}, {0x0400, 0x10000}}},
        {"both answers the header alone", bare, 1, whole},
        {"both answers claim 40 records and hold none", claimsForty, 1, whole},
        {"a true inventory of nothing", empty, 0, {}},
    };
    int group = 18;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CStandinHarness devices(group++, 1, c.profile);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        Procedure run(devices.Address(0), 4, "1.0.0", MakePackage());
        EXPECT_EQ(run.Update(), 1);
        EXPECT_EQ(devices.Device(0).CountOf(12), 1);
        EXPECT_EQ(devices.Device(0).CountOf(9), c.longInventories);
        const auto loads = devices.Device(0).Loads();
        EXPECT_EQ(loads.size(), c.image.empty() ? 1u : 2u);
        if (loads.size() != (c.image.empty() ? 1u : 2u)) continue;
        if (c.image.empty()) {
            EXPECT_EQ(run.report.Status(0).back(), "Nothing to upgrade!");
            continue;
        }
        EXPECT_EQ(SectionsOf(loads[1].bytes), c.image);
        EXPECT_FALSE(run.report.HasStatus(0, "Nothing to upgrade!"));
        EXPECT_EQ(devices.Device(0).Sections().back(), (StandinSection{0x0400, 0x10000, "03.0.0"}));
    }
}

TEST(UpdateProcedure, EmptyPackageAndUnreachableAddress) {
    CStandinHarness devices(13, 1);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    Procedure run(devices.Address(0), 4, "1.0.0", std::string(), "/p/missing.zpk");
    EXPECT_EQ(run.Update(), 0);
    EXPECT_EQ(run.report.Boxes(), std::vector<std::string>{"Error opening file:\n/p/missing.zpk"});
    EXPECT_EQ(run.report.Status(0).back(), "Error opening file");
    EXPECT_EQ(run.report.Progress(0).back(), -1);

    Procedure nowhere("", 4, "1.0.0", MakePackage());
    EXPECT_EQ(nowhere.Update(), 0);
    EXPECT_EQ(nowhere.report.Errors(0), std::vector<std::string>{"ERROR Connecting with IP "});
}

TEST(UpdateProcedure, StopDuringTheLastPauseIsNoSuccess) {
    StandinUpdateProfile profile = DeviceHolding();
    profile.sections[0].version = "02.0.0";  // nothing differs
    CStandinHarness devices(16, 1, profile);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    Procedure run(devices.Address(0), 4, "1.0.0", MakePackage());
    CStopWhen stopper(run.engine, [&] { return run.report.HasStatus(0, "Nothing to upgrade!"); });
    EXPECT_EQ(run.Update(), 0);
    EXPECT_LT(stopper.SinceStop(), std::chrono::seconds(3));
    EXPECT_TRUE(run.report.HasStatus(0, "Nothing to upgrade!"));
    const auto progress = run.report.Progress(0);
    EXPECT_EQ(std::count(progress.begin(), progress.end(), 100), 0);
    EXPECT_TRUE(run.report.Remaining(0).empty());
}

TEST(UpdateVersions, GatesReadTheVersionTexts) {
    CWizardState sheet;
    CRecordingReport report;
    CUpdateEngine engine(sheet, report);
    auto* device = new _TDevice;
    sheet.m_devices.Add(device);

    EXPECT_EQ(CUpdateEngine::VersionToInt("6.7.7"), 677);
    EXPECT_EQ(CUpdateEngine::VersionToInt("02.5.6"), 25);
    EXPECT_EQ(CUpdateEngine::VersionToInt(""), 0);
    EXPECT_EQ(CUpdateEngine::VersionToInt("7"), 7);
    int value = 0;
    int valid = 1;
    CUpdateEngine::ParseVersionText("0", value, valid);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(valid, 0);

    sheet.m_strPackagePath = "C:\\pkgs\\fw_v6.7.7.zpk";
    EXPECT_EQ(std::string(engine.GetPackageVersionText()), "6.7.7");
    sheet.m_strPackagePath = "/tmp/abc.zpk";
    EXPECT_EQ(std::string(engine.GetPackageVersionText()), "/tmp/abc");
    sheet.m_strPackagePath = "/p/fw_v667";
    EXPECT_EQ(std::string(engine.GetPackageVersionText()), "");

    WORD id = 0;
    sheet.m_nFamily = 1;
    sheet.m_strPackagePath = "/p/fw_v6.7.7.zpk";
    const std::pair<const char*, int> needs[] = {
        {"Wrong Version", 1}, {"6.2.9", 1}, {"6.3.0", 1}, {"06.3.0", 0}, {"6.3.1", 0}, {"6.7.", 1}};  // 4 characters: not read
    for (const auto& [version, needed] : needs) {
        device->m_strVersion = version;
        id = 0;
        EXPECT_EQ(engine.NeedBiosUpdate(0, id), needed) << version;
        EXPECT_EQ(id, needed ? 139 : 0) << version;
    }
    sheet.m_nFamily = 2;
    device->m_strVersion = "Wrong Version";
    EXPECT_EQ(engine.NeedBiosUpdate(0, id), 0);

    CString text;
    sheet.m_nFamily = 1;
    device->m_strVersion = "6.7.8";
    EXPECT_EQ(engine.IsSameGeneration(0), 1);
    EXPECT_EQ(engine.IsCrossGeneration(0, text), 0);
    device->m_strVersion = "6.7.5";
    EXPECT_EQ(engine.IsSameGeneration(0), 0);
    EXPECT_EQ(engine.IsCrossGeneration(0, text), 1);
    EXPECT_EQ(std::string(text), "6_7_5");
    sheet.m_nFamily = 4;
    EXPECT_EQ(engine.IsSameGeneration(0), 1);
    EXPECT_EQ(engine.IsCrossGeneration(0, text), 0);
    sheet.m_nFamily = 3;
    EXPECT_EQ(engine.IsSameGeneration(0), 0);
}

// The boot loader goes first when the package is of a generation that needs
// it and the device is older: 5.4.0 and 6.3.0 are the first versions of the
// two generations; a device at 6.3.0 whose text begins with 0 is taken for
// one that has it already. Each limit, from both sides, for the package and
// for the device.
TEST(UpdateVersions, BootLoaderGateOnBothSidesOfEachLimit) {
    Procedure gates("", 1, "", std::string());
    struct Case {
        const char* package;
        const char* device;
        int needed;
    };
    const Case cases[] = {
        {"/p/fw_v5.3.9.zpk", "Wrong Version", 0}, {"/p/fw_v5.4.0.zpk", "Wrong Version", 1},
        {"/p/fw_v5.5.0.zpk", "5.3.9", 1},         {"/p/fw_v5.5.0.zpk", "5.4.0", 0},
        {"/p/fw_v6.2.9.zpk", "6.0.0", 0},         {"/p/fw_v6.3.0.zpk", "6.0.0", 1},
        {"/p/fw_v6.2.9.zpk", "6.3.0", 0},         {"/p/fw_v6.3.0.zpk", "6.3.0", 1},
        {"/p/fw_v6.3.0.zpk", "06.3.0", 0},        {"/p/fw_v6.3.0.zpk", "6.3.1", 0},
        {"/p/fw_v5.5.0.zpk", "5.40", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.package) + " on " + c.device);
        gates.sheet.m_strPackagePath = c.package;
        gates.sheet.GetDevice(0)->m_strVersion = c.device;
        WORD id = 0;
        EXPECT_EQ(gates.engine.NeedBiosUpdate(0, id), c.needed);
        EXPECT_EQ(id, c.needed ? 139 : 0);
    }

    // A device at the first version of its generation gets the package alone.
    CStandinHarness devices(30, 1);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    const std::string package = MakePackage();
    Procedure run(devices.Address(0), 1, "5.4.0", package, "/p/fw_v5.5.0.zpk");
    run.sheet.m_nFamilyPackage = 1;
    EXPECT_EQ(run.Update(), 1);
    const auto loads = devices.Device(0).Loads();
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0].bytes, ToBytes(package));
    EXPECT_FALSE(run.report.HasStatus(0, "Updating BIOS..."));
}

}  // namespace
