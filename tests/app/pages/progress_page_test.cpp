// The progress page run in the program's sheet on the virtual screen,
// updating stand-in devices on loopback addresses: the rows and their
// texts, the mean in the label and the gauge, the wizard's buttons at the
// end, and Back and Cancel while the workers still run or still report.
#include <gtest/gtest.h>

#include <dirent.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/device_record.h"
#include "app/pages/property_page_progress.h"
#include "app/wizard_ids.h"
#include "app/zelo_property_sheet.h"
#include "platform/display/display.h"
#include "platform/user/painting.h"
#include "tests/app/update/update_harness.h"
#include "tests/app/pages/progress_sheet.h"
#include "tests/platform/afx/afx_wnd_test_util.h"
#include "tools/package_maker/package_maker.h"

namespace
{

using Clock = std::chrono::steady_clock;
namespace pm = package_maker;
using progress_test::CProgressSheet;
using progress_test::HandleSentMessages;
using progress_test::Until;

const int kOtherPort = 50020;

// Ends the process when a test would otherwise wait for ever (two threads
// that wait for each other).
class CWatchdog
{
public:
    explicit CWatchdog(int seconds)
        : m_thread([this, seconds] {
              for (int i = 0; i < seconds * 10 && !m_done; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
              if (!m_done)
              {
                  std::fprintf(stderr, "the page's threads waited for each other: no end in %d s\n", seconds);
                  std::_Exit(3);
              }
          })
    {
    }
    ~CWatchdog()
    {
        m_done = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

int ProcessThreads()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task"))
    {
        while (dirent* entry = readdir(dir))
            count += entry->d_name[0] != '.';
        closedir(dir);
    }
    return count;
}

// Whether the process is back to that many threads within two seconds: a
// thread whose work has ended may take a moment to leave.
bool ThreadsBackTo(int count)
{
    for (int i = 0; i < 200; ++i)
    {
        if (ProcessThreads() == count)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::printf("threads now %d, expected %d\n", ProcessThreads(), count);
    return false;
}

// A device of its own on a port other than the standard one.
class COtherPortDevice
{
public:
    explicit COtherPortDevice(const std::string& address, const StandinUpdateProfile& profile)
        : m_network(StandinOptions{static_cast<uint16_t>(kOtherPort)})
    {
        StandinDeviceLine line;
        line.profile.address = address;
        m_ok = m_network.AddDevice(line, m_error);
        m_network.WithDevice(address, [&](CStandinDevice& device) { m_updater = InstallStandinUpdate(device, profile); });
        m_ok = m_ok && m_network.Open(m_error);
        if (m_ok)
            m_thread = std::thread([this] { m_network.Run(); });
    }
    ~COtherPortDevice()
    {
        m_network.Stop();
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Ok() const { return m_ok; }
    const std::string& Error() const { return m_error; }
    CStandinUpdater& Updater() { return *m_updater; }

private:
    CStandinNetwork m_network;
    std::shared_ptr<CStandinUpdater> m_updater;
    std::thread m_thread;
    bool m_ok = false;
    std::string m_error;
};

// The plain container a package holds, and the package file.
struct Package
{
    std::string plain;
    std::string path;

    explicit Package(size_t bodyBytes)
    {
        pm::Image image;
        image.sections = pm::MakeDeviceTypeSections(4);
        image.sections.push_back(pm::MakeSection(0x0401, 1, "02.0.0", std::string(bodyBytes, 'k')));
        plain = pm::BuildImage(image);
        path = ::testing::TempDir() + "trelwin_progress_" + std::to_string(::getpid()) + "_v2.0.0.zpk";
        std::string error;
        EXPECT_TRUE(pm::WriteFile(path, pm::EncryptPackage(plain), error)) << error;
    }
    ~Package() { std::remove(path.c_str()); }
};

class ProgressPageTest : public ::testing::Test
{
protected:
    void SetUp() override { trelwin::display::use_headless(1024, 768); }
    void TearDown() override
    {
        afx_test::Pump();
        trelwin::afx::FreeTemporaryObjects();
    }
};

} // namespace

// Four ticked devices (window mode, plain mode, one that fails its record
// phase, one on another port) and one left out: every ticked device gets
// the package's plain container whole, the failed one shows its error, and
// the wizard offers Back and Finish with Cancel disabled.
TEST_F(ProgressPageTest, UpdatesTheTickedDevicesAndOffersFinishAtTheEnd)
{
    const Package package(150000);
    StandinUpdateProfile profile;
    CStandinHarness devices(1, 4, profile, UpdateTimeouts{1000, 5000, 5000});
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    StandinUpdateProfile plain;
    plain.startReplyLength = 9;
    devices.Device(1).SetProfile(plain);
    StandinUpdateProfile failing;
    failing.recordError = 5;
    devices.Device(2).SetProfile(failing);
    const std::string otherAddress = CStandinHarness::DeviceAddress(1, 9);
    COtherPortDevice other(otherAddress, profile);
    ASSERT_TRUE(other.Ok()) << other.Error();

    CProgressSheet run(package.path);
    run.AddDevice(devices.Address(0), 50013, "Window", true);
    run.AddDevice(devices.Address(1), 50013, "Plain", true);
    run.AddDevice(devices.Address(2), 50013, "Failing", true);
    run.AddDevice(devices.Address(3), 50013, "Left out", false);
    run.AddDevice(otherAddress, kOtherPort, "Other port", true);
    std::vector<std::vector<std::string>> rows;
    std::string label;
    int fill = -1;
    bool back = false, finish = false, cancel = true;
    const INT_PTR result = run.Run({
        Until([&] { return run.Enabled(ID_WIZFINISH); }),
        // The clocks end a moment after the workers.
        Until([&] { return run.AllRows(CPropertyPageProgress::COLUMN_REMAINING, [](auto& t) { return t.empty(); }); },
              200),
        [&] {
            for (int row = 0; row < run.Rows(); ++row)
            {
                rows.emplace_back();
                for (int column = 0; column < CPropertyPageProgress::COLUMN_COUNT; ++column)
                    rows.back().push_back(run.Cell(row, column));
            }
            label = run.Label();
            back = run.Enabled(ID_WIZBACK);
            finish = run.Enabled(ID_WIZFINISH);
            cancel = run.Enabled(IDCANCEL);
        },
        [&] {
            fill = run.GaugeFill();
            std::filesystem::create_directories("artefacts/progress");
            std::string error;
            EXPECT_TRUE(trelwin::user::SaveWindowPng(run.sheet.m_hWnd, "artefacts/progress/page3_done.png", &error))
                << error;
            run.sheet.PressButton(PSBTN_FINISH);
        },
    });
    EXPECT_EQ(result, ID_WIZFINISH);

    const std::string size = std::to_string(package.plain.size());
    const std::vector<std::vector<std::string>> expected = {
        {devices.Address(0), "Window", "100%", size, "", "", "Firmware Update Done Successfully!!!"},
        {devices.Address(1), "Plain", "100%", size, "", "", "Firmware Update Done Successfully!!!"},
        // Recording 3 steps from 30: 30 + 3 * 70 / 4 = 82 before the end
        // reported code 5.
        {devices.Address(2), "Failing", "82%", size, "", "", "ERROR UPDATING DEVICE. CODE 5"},
        {otherAddress + ":50020", "Other port", "100%", size, "", "", "Firmware Update Done Successfully!!!"},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t r = 0; r < rows.size(); ++r)
    {
        SCOPED_TRACE(expected[r][1]);
        for (int column : {0, 1, 2, 5, 6})
            EXPECT_EQ(rows[r][column], expected[r][column]) << "column " << column;
        // "<bytes> (<rate> Kbps)" ends at the image's size.
        EXPECT_EQ(rows[r][3].substr(0, size.size() + 2), size + " (") << rows[r][3];
        EXPECT_EQ(rows[r][4].size(), 8u) << rows[r][4];
    }
    EXPECT_EQ(label, "100%");
    EXPECT_EQ(fill, 728);  // 100 of a 729-pixel gauge, the scale in single precision
    EXPECT_TRUE(back);
    EXPECT_TRUE(finish);
    EXPECT_FALSE(cancel);

    const std::vector<uint8_t> image(package.plain.begin(), package.plain.end());
    for (int i : {0, 1, 2})
    {
        SCOPED_TRACE(i);
        ASSERT_FALSE(devices.Device(i).Loads().empty());
        EXPECT_EQ(devices.Device(i).Loads().back().bytes, image);
    }
    EXPECT_EQ(devices.Device(0).Loads().back().windowMode, true);
    EXPECT_EQ(devices.Device(1).Loads().back().windowMode, false);
    EXPECT_TRUE(devices.Device(3).Commands().empty());
    ASSERT_FALSE(other.Updater().Loads().empty());
    EXPECT_EQ(other.Updater().Loads().back().bytes, image);
}

// The top-level windows of other threads than this one (the workers'
// message boxes), with their texts.
std::vector<std::pair<HWND, std::string>> OtherThreadsWindows()
{
    std::vector<std::pair<HWND, std::string>> found;
    ::EnumWindows(
        [](HWND hwnd, LPARAM list) -> BOOL {
            if (::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId() && ::IsWindowVisible(hwnd))
                reinterpret_cast<std::vector<std::pair<HWND, std::string>>*>(list)->emplace_back(
                    hwnd, wizard_test::ChildTexts(hwnd));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// A package that cannot be read: every device's worker says so in a message
// box of its own and in its row, after it has connected; with every device
// failed the wizard can be finished.
TEST_F(ProgressPageTest, AnUnreadablePackageIsToldForEveryDevice)
{
    const std::string missing = ::testing::TempDir() + "trelwin_progress_missing_v1.0.0.zpk";
    CStandinHarness devices(7, 2, StandinUpdateProfile(), UpdateTimeouts{1000, 5000, 5000});
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    CProgressSheet run(missing);
    for (int i = 0; i < 2; ++i)
        run.AddDevice(devices.Address(i), 50013, "D", true);
    std::vector<std::string> boxes;
    std::vector<std::string> statuses;
    bool finish = false;
    run.Run({
        Until([&] { return OtherThreadsWindows().size() == 2; }),
        [&] {
            for (const auto& box : OtherThreadsWindows())
            {
                boxes.push_back(box.second);
                ::PostMessageA(box.first, WM_COMMAND, IDOK, 0);
            }
        },
        Until([&] { return run.Enabled(ID_WIZFINISH); }),
        [&] {
            statuses = run.Column(CPropertyPageProgress::COLUMN_STATUS);
            finish = run.Enabled(ID_WIZFINISH);
            run.sheet.PressButton(PSBTN_FINISH);
        },
    });
    const std::string text = "Error opening file:\n" + missing + "|";
    ASSERT_EQ(boxes.size(), 2u);
    for (const std::string& box : boxes)
        EXPECT_NE(box.find(text), std::string::npos) << box;
    EXPECT_EQ(statuses, std::vector<std::string>(2, "Error opening file"));
    EXPECT_TRUE(finish);
    // Nothing was loaded, though the devices were reached.
    EXPECT_TRUE(devices.Device(0).Loads().empty());
    EXPECT_TRUE(devices.Device(1).Loads().empty());
}

// The label, the gauge, the "Progress" texts and the wizard's buttons after
// the percents the workers could send, with three devices whose workers
// wait for a reset answer that never comes (so they send nothing more).
TEST_F(ProgressPageTest, TheMeanLeavesFailedDevicesOut)
{
    struct Message
    {
        int device;
        int percent;  // kMark: the test writes "x" into the device's "Progress" cell
    };
    const int kMark = 1000;
    struct Case
    {
        const char* name;
        std::vector<Message> messages;
        std::string label;
        int fill;
        std::vector<std::string> texts;
        bool finished;
    };
    const Case cases[] = {
        {"100, 50 and failed", {{0, 100}, {1, 50}, {2, -1}}, "75%", 546, {"100%", "50%", "0%"}, false},
        {"then the second at 100", {{0, 100}, {1, 50}, {2, -1}, {1, 100}}, "100%", 728, {"100%", "100%", "0%"}, true},
        {"every device failed", {{0, -1}, {1, -1}, {2, -1}}, "100%", 728, {"0%", "0%", "0%"}, true},
        {"one still to report", {{0, 100}, {2, -1}}, "50%", 364, {"100%", "0%", "0%"}, false},
        {"a percent twice", {{0, 40}, {0, kMark}, {0, 40}}, "13%", 94, {"x", "0%", "0%"}, false},
        {"a zero keeps the text and counts", {{0, 60}, {1, 30}, {0, 0}}, "10%", 72, {"60%", "30%", "0%"}, false},
    };
    const Package package(1000);
    StandinUpdateProfile deaf;
    deaf.resetAnswers = false;
    CStandinHarness devices(2, 3, deaf, UpdateTimeouts{1000, 60000, 5000});
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CProgressSheet run(package.path);
        for (int i = 0; i < 3; ++i)
            run.AddDevice(devices.Address(i), 50013, "D", true);
        std::string label;
        int fill = -1;
        std::vector<std::string> texts;
        bool finish = false, back = false, cancel = false;
        Clock::time_point cancelled;
        run.Run({
            Until([&] {
                return run.AllRows(CPropertyPageProgress::COLUMN_STATUS,
                                   [](auto& t) { return t == "Reseting Device..."; });
            }),
            [&] {
                for (const Message& m : c.messages)
                {
                    if (m.percent == kMark)
                        run.SetCell(m.device, CPropertyPageProgress::COLUMN_PROGRESS, "x");
                    else
                        run.SendProgress(m.device, m.percent);
                }
            },
            [&] {
                label = run.Label();
                fill = run.GaugeFill();
                texts = run.Column(CPropertyPageProgress::COLUMN_PROGRESS);
                finish = run.Enabled(ID_WIZFINISH);
                back = run.Enabled(ID_WIZBACK);
                cancel = run.Enabled(IDCANCEL);
                // Cancel itself when the end disabled it: the sheet's
                // button is what the user has.
                if (!cancel)
                    ::EnableWindow(::GetDlgItem(run.sheet.m_hWnd, IDCANCEL), TRUE);
                cancelled = Clock::now();
                run.sheet.PressButton(PSBTN_CANCEL);
            },
        });
        const auto stop = Clock::now() - cancelled;
        EXPECT_EQ(label, c.label);
        EXPECT_EQ(fill, c.fill);
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(finish, c.finished);
        EXPECT_EQ(back, c.finished);
        EXPECT_EQ(cancel, !c.finished);
        // The workers were waiting up to a minute for the reset answer.
        EXPECT_LT(stop, std::chrono::seconds(3));
    }
}

// Back or Cancel pressed while the workers are blocked sending their last
// percent to the page: the wait for the threads lets those messages
// through, so no thread waits for the other, the rows end with every report
// the workers made, and no thread is left. Back comes once every device has
// ended (it is offered only then); Cancel while the third device still
// records.
TEST_F(ProgressPageTest, BackOrCancelWhileTheWorkersSendTheirLastPercent)
{
    struct Case
    {
        const char* button;
        bool thirdRecordsOn;
    };
    const Case cases[] = {{"Back", false}, {"Cancel", true}};
    const Package package(20000);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.button);
        CStandinHarness devices(c.thirdRecordsOn ? 6 : 5, 3, StandinUpdateProfile(), UpdateTimeouts{1000, 5000, 60000});
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        StandinUpdateProfile endless;
        endless.recordEnds = false;
        if (c.thirdRecordsOn)
            devices.Device(2).SetProfile(endless);
        CProgressSheet run(package.path);
        for (int i = 0; i < 3; ++i)
            run.AddDevice(devices.Address(i), 50013, "D", true);
        CWatchdog watchdog(30);
        const int threadsBefore = ProcessThreads();
        std::vector<std::string> statuses;
        bool recording = false;
        bool cancelEnabled = false;
        Clock::duration stop{};
        run.Run({
            [&] {
                // Only what the workers send is handled here, until every row
                // shows at least the second recording step, 30 + 2 * 70 / 4
                // = 65 %, which a worker sends at the latest with its third
                // step; then the next percent of the last one to get there
                // waits, the 82 % of the third step or its 100 %.
                for (int i = 0; i < 3000 && !recording; ++i)
                {
                    HandleSentMessages();
                    recording = run.AllRows(CPropertyPageProgress::COLUMN_PROGRESS,
                                            [](auto& t) { return std::atoi(t.c_str()) >= 65; });
                    if (!recording)
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                cancelEnabled = run.Enabled(IDCANCEL);
                const auto pressed = Clock::now();
                if (std::string(c.button) == "Back")
                    run.Page()->OnWizardBack();
                else
                    ::SendMessageA(run.sheet.m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                stop = Clock::now() - pressed;
                statuses = run.Column(CPropertyPageProgress::COLUMN_STATUS);
                if (std::string(c.button) == "Back")
                    run.sheet.PressButton(PSBTN_CANCEL);
            },
        });
        EXPECT_TRUE(recording);
        // Cancel stays while the third device records.
        if (c.thirdRecordsOn)
        {
            EXPECT_TRUE(cancelEnabled);
        }
        ASSERT_EQ(statuses.size(), 3u);
        // Cancel may stop the first two before their record end came in;
        // a stopped update reports nothing, neither success nor an error.
        for (int i : {0, 1})
        {
            if (std::string(c.button) == "Back")
                EXPECT_EQ(statuses[i], "Firmware Update Done Successfully!!!");
            else
                EXPECT_TRUE(statuses[i] == "Firmware Update Done Successfully!!!" || statuses[i] == "Recording 3/3...")
                    << statuses[i];
        }
        EXPECT_EQ(statuses[2], c.thirdRecordsOn ? "Recording 3/3..." : "Firmware Update Done Successfully!!!");
        EXPECT_LT(stop, std::chrono::seconds(2));
        EXPECT_TRUE(ThreadsBackTo(threadsBefore));
        std::printf("%s while the workers send their last percent: every thread ended %lld ms after the click\n",
                    c.button,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(stop).count()));
    }
}

// Cancel while every device records (and would never end): the rows show
// "Recording..." as the time left, and the wizard closes at once although
// the record phase would wait minutes for the next datagram.
TEST_F(ProgressPageTest, CancelDuringTheRecordPhaseEndsEveryThreadAtOnce)
{
    const Package package(20000);
    StandinUpdateProfile endless;
    endless.recordEnds = false;
    CStandinHarness devices(4, 3, endless, UpdateTimeouts{1000, 5000, 300000});
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    CProgressSheet run(package.path);
    for (int i = 0; i < 3; ++i)
        run.AddDevice(devices.Address(i), 50013, "D", true);
    const int threadsBefore = ProcessThreads();
    std::vector<std::string> remaining;
    Clock::time_point cancelled, stopped;
    run.Run({
        Until([&] {
            return run.AllRows(CPropertyPageProgress::COLUMN_REMAINING, [](auto& t) { return t == "Recording..."; });
        }),
        [&] {
            remaining = run.Column(CPropertyPageProgress::COLUMN_REMAINING);
            std::filesystem::create_directories("artefacts/progress");
            trelwin::user::SaveWindowPng(run.sheet.m_hWnd, "artefacts/progress/page3_recording.png", nullptr);
            cancelled = Clock::now();
            ::SendMessageA(run.sheet.m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            stopped = Clock::now();
        },
    });
    const auto stop = stopped - cancelled;
    EXPECT_EQ(remaining, std::vector<std::string>(3, "Recording..."));
    EXPECT_TRUE(ThreadsBackTo(threadsBefore));
    EXPECT_LT(stop, std::chrono::seconds(2));
    std::printf("Cancel during the record phase: the wizard closed %lld ms after the click\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(stop).count()));
}

// The page's texts and figures from their values.
TEST(ProgressPageTexts, AddressTimesAndRates)
{
    _TDevice standard;
    standard.m_strIPAddress = "10.213.1.7";
    standard.m_nUDPPort = 50013;
    _TDevice other;
    other.m_strIPAddress = "10.213.1.8";
    other.m_nUDPPort = 50020;
    struct Case
    {
        CString got;
        const char* expected;
    };
    const Case cases[] = {
        {CPropertyPageProgress::FormatAddress(standard), "10.213.1.7"},
        {CPropertyPageProgress::FormatAddress(other), "10.213.1.8:50020"},
        {CPropertyPageProgress::FormatRemaining(3725), "01:02:05"},
        {CPropertyPageProgress::FormatRemaining(-2), "Recording..."},
        {CPropertyPageProgress::FormatRemaining(-1), ""},
        {CPropertyPageProgress::FormatRemaining(0), "00:00:00"},
        {CPropertyPageProgress::FormatDuration(25 * 3600 + 61), "01:01:01"},
        {CPropertyPageProgress::FormatTransfer(1000000, 2000), "1000000 (4000 Kbps)"},
        {CPropertyPageProgress::FormatTransfer(150000, 400), "150000 (3000 Kbps)"},
        {CPropertyPageProgress::FormatTransfer(5000, 0), "5000 (0 Kbps)"},
        {CPropertyPageProgress::FormatTransfer(4000000000u, 1000), "4000000000 (32000000 Kbps)"},
    };
    struct Width
    {
        int client;
        int status;
    };
    // "Status" takes what the other columns (480 pixels) and a margin leave,
    // and never less than 100 pixels.
    const Width widths[] = {{725, 235}, {590, 100}, {591, 101}, {400, 100}, {0, 100}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(std::string(c.got), c.expected);
    }
    for (const Width& w : widths)
    {
        SCOPED_TRACE(w.client);
        EXPECT_EQ(CPropertyPageProgress::StatusColumnWidth(w.client), w.status);
    }
}
