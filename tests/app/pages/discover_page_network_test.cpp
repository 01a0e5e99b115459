// The Discover page on the virtual screen searching the private network for
// stand-in devices: what a run lists, typed addresses on the standard and
// another port, ticks kept across a refill, typed addresses refused, and
// the run length setting.
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/registry/registry.h"
#include "tests/app/pages/discover_page_harness.h"

using namespace discover_page_test;

namespace
{

size_t Occurrences(const std::string& text, const std::string& word)
{
    size_t n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

// The stand-in's count of discover requests, once it stops growing (it
// logs what it received on its own thread).
size_t DiscoverRequests(discovery_test::CStandinProcess& standin)
{
    size_t count = Occurrences(standin.Log(), "discover request");
    for (int i = 0; i < 20; ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const size_t now = Occurrences(standin.Log(), "discover request");
        if (now == count && count > 0)
            break;
        count = now;
    }
    return count;
}

std::string RowText(const Row& row)
{
    return row.ip + "|" + row.name + "|" + row.type + "|" + row.version + "|" + row.status + "|" +
           std::to_string(row.image);
}

// Sorted: the devices come in the order their answers arrive.
std::vector<std::string> RowTexts(HWND list)
{
    std::vector<std::string> texts;
    for (const Row& row : ListRows(list))
        texts.push_back(RowText(row));
    std::sort(texts.begin(), texts.end());
    return texts;
}

// A run on every interface lists the devices of the package's family with
// what they said (the one that answered nothing more in red, not
// tickable); Add Device lists and ticks two typed devices, one on another
// port, and keeps the typed text; a tick survives the refill of Refresh.
TEST_F(DiscoverPageTest, ARunListsTheFittingDevicesAndTypedOnesTicked)
{
    discovery_test::CStandinProcess broadcast, unicast, otherPort;
    StartDevices(broadcast, {Dev(1) + " type=23 version=6.8.0 name=Enc-1 status=Connected",
                             Dev(2) + " type=26 version=7.0.1 name=\"Encoder two\" status=Idle",
                             Dev(3) + " type=24 version=1.1 name=Silent version-reply=no settings-reply=no",
                             Dev(4) + " type=2 version=1.2.3 name=Foreign status=Up"});
    StartDevices(unicast, {Dev(10) + " type=30 version=3.3 name=Typed-10 status=Linked"}, {});
    StartDevices(otherPort, {Dev(6) + " type=32 version=4.4 name=Typed-6 status=Port"}, {"--port", "50100"});
    WriteRegistryString("1", "DiscoverDevicesTimeout");
    // As a person may type them: blanks, and leading zeros that are not
    // octal (010 is ten).
    const std::string typed = " 10.213.001.010 ; " + Dev(6) + ":50100";

    CZeloPropertySheet sheet("", nullptr, 1);
    ApplyPackage(sheet, {});
    Clock clock;
    std::vector<std::string> first, added, refreshed;
    std::string stored;
    auto list = [&] { return PageItem(sheet, IDC_DEVICE_LIST); };
    RunSheet(sheet, {[&] {
                         first = RowTexts(list());
                         ::SetWindowTextA(PageItem(sheet, IDC_DEVICE_ADDRESSES), typed.c_str());
                         ClickButton(sheet, IDC_ADD_DEVICE);
                     },
                     [&] {
                         added = RowTexts(list());
                         stored = static_cast<LPCSTR>(ReadRegistryString("ListDeviceManualFlash"));
                         Click(clock, RowImagePoint(list(), FindRow(list(), Dev(2))));
                     },
                     [&] { ClickButton(sheet, IDC_REFRESH); },
                     [&] {
                         refreshed = RowTexts(list());
                         sheet.PressButton(PSBTN_CANCEL);
                     }});
    const std::vector<std::string> found = {
        Dev(1) + "|Enc-1|Obrelon|6.8.0|Connected|0",
        Dev(2) + "|Encoder two|ObrelonHD|7.0.1|Idle|0",
        Dev(3) + "||Obrelon ST|||2",
    };
    EXPECT_EQ(first, found);
    std::vector<std::string> withTyped = found;
    withTyped.push_back(Dev(10) + "|Typed-10|Plexaro|3.3|Linked|1");
    withTyped.push_back(Dev(6) + ":50100|Typed-6|Obrelon TS MUX|4.4|Port|1");
    std::sort(withTyped.begin(), withTyped.end());
    EXPECT_EQ(added, withTyped);
    EXPECT_EQ(stored, typed);
    std::vector<std::string> afterRefresh = found;
    afterRefresh[1] = Dev(2) + "|Encoder two|ObrelonHD|7.0.1|Idle|1";
    EXPECT_EQ(refreshed, afterRefresh);
}

// A typed address that is not one is named in a message; nothing is asked
// and nothing is stored, also when an entry before it was good.
TEST_F(DiscoverPageTest, AnInvalidTypedAddressRunsNothingAndStoresNothing)
{
    discovery_test::CStandinProcess unicast;
    StartDevices(unicast, {Dev(5) + " type=23 version=1.0 name=Typed"}, {});
    WriteRegistryString("kept", "ListDeviceManualFlash");
    struct Case
    {
        std::string typed, shown;
    };
    const Case cases[] = {
        {"10.213.1.300", "10.213.1.300"},
        {Dev(5) + ";dev..x", "dev..x"},
        {"0.0.0.0:80", "0.0.0.0:80"},
        {Dev(5) + ":0", Dev(5) + ":0"},
        {"a:b:1", "a:b:1"},
        {":80", ":80"},
    };
    CZeloPropertySheet sheet("", nullptr, 1);
    ApplyPackage(sheet, {});
    std::vector<std::string> boxes;
    std::vector<int> rows;
    std::vector<std::function<void()>> steps;
    for (const Case& c : cases)
    {
        steps.push_back([&] {
            ::SetWindowTextA(PageItem(sheet, IDC_DEVICE_ADDRESSES), c.typed.c_str());
            ClickButton(sheet, IDC_ADD_DEVICE);
            rows.push_back(static_cast<int>(::SendMessageA(PageItem(sheet, IDC_DEVICE_LIST), LVM_GETITEMCOUNT, 0, 0)));
        });
        // Inside the message box's loop.
        steps.push_back([&] {
            boxes.push_back(BoxTexts());
            ::PostMessageA(::GetActiveWindow(), WM_COMMAND, IDOK, 0);
        });
    }
    steps.push_back([&] { sheet.PressButton(PSBTN_CANCEL); });
    RunSheet(sheet, steps);
    ASSERT_EQ(boxes.size(), std::size(cases));
    for (size_t i = 0; i < boxes.size(); ++i)
    {
        SCOPED_TRACE(cases[i].typed);
        EXPECT_NE(boxes[i].find("Invalid Device Address " + cases[i].shown + "!|"), std::string::npos) << boxes[i];
        EXPECT_EQ(rows[i], 0);
    }
    EXPECT_EQ(Occurrences(unicast.Log(), "request"), 0u) << unicast.Log();
    EXPECT_EQ(std::string(static_cast<LPCSTR>(ReadRegistryString("ListDeviceManualFlash"))), "kept");
}

// "DiscoverDevicesTimeout" is in seconds; one that reads as 0 (also a text
// without digits) makes a run of a single receive attempt, which still asks;
// so does a negative one, which must not block the page for weeks. Each run
// is Refresh's, timed around the click, which returns when the run ends.
TEST_F(DiscoverPageTest, ATimeoutThatReadsZeroMakesARunOfOneReceiveAttempt)
{
    discovery_test::CStandinProcess broadcast;
    StartDevices(broadcast, {Dev(1) + " type=23 version=1.0 name=A"});
    struct Case
    {
        const char* setting;
        bool shortRun;  // shorter than the shortest other setting, a second
    };
    const Case cases[] = {{"0", true}, {"none", true}, {"-1", true}, {"1", false}};
    CZeloPropertySheet sheet("", nullptr, 1);
    ApplyPackage(sheet, {});
    std::vector<double> runMs;
    std::vector<size_t> requests;
    std::vector<std::function<void()>> steps = {[&] { requests.push_back(DiscoverRequests(broadcast)); }};
    for (const Case& c : cases)
    {
        steps.push_back([&] {
            WriteRegistryString(c.setting, "DiscoverDevicesTimeout");
            const auto start = std::chrono::steady_clock::now();
            ClickButton(sheet, IDC_REFRESH);
            runMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            requests.push_back(DiscoverRequests(broadcast));
        });
    }
    steps.push_back([&] { sheet.PressButton(PSBTN_CANCEL); });
    RunSheet(sheet, steps);
    ASSERT_EQ(runMs.size(), std::size(cases));
    for (size_t i = 0; i < runMs.size(); ++i)
    {
        SCOPED_TRACE(cases[i].setting);
        if (cases[i].shortRun)
            EXPECT_LT(runMs[i], 1000.0);
        else
            EXPECT_GE(runMs[i], 1000.0);
        EXPECT_EQ(requests[i + 1], requests[i] + 1);
    }
}

}  // namespace
