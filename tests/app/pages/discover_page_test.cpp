// The Discover page on the virtual screen with discovery messages made by
// hand: which devices it lists for which package, how it shows what the
// devices said, the tick gestures, the way out to the progress page, and
// the messages still queued when it goes.
#include "tests/app/pages/discover_page_harness.h"

using namespace discover_page_test;

namespace
{

std::string Joined(const std::vector<std::string>& texts)
{
    std::string all;
    for (const std::string& text : texts)
        all += text + "|";
    return all;
}

// Types with their class and flag (device type table): 1 class 0; 2 and 6
// class 1 flag 1; 8 class 1 flag 0; 14 class 3; 23 class 4; 25 class 5.
TEST_F(DiscoverPageTest, ListsTheDevicesThatFitThePackage)
{
    const int types[] = {1, 2, 6, 8, 14, 23, 25};
    struct Case
    {
        const char* name;
        Package package;
        std::string types;  // the "Type" column of the rows, in order
        bool advanced;
    };
    const Case cases[] = {
        {"test mode lists every device", {4, -1, 1, 1, 1},
         "Unknown|Veltranox|Oskaline|Tandrel|Wexal|Obrelon|Veltranox2|", true},
        {"family 4 package", {4, -1, 1, 1, 0}, "Obrelon|", true},
        {"family 1 package of sub-family 0", {1, -1, 1, 0, 0}, "Tandrel|", false},
        {"family 1 package of sub-family 1", {1, -1, 1, 1, 0}, "Veltranox|Oskaline|", false},
        {"family 1, any type", {1, -1, 0, 0, 0}, "Veltranox|Oskaline|Tandrel|", false},
        {"one type of family 1", {1, 6, 0, 0, 0}, "Oskaline|", false},
        {"family 5, one type", {5, 25, 0, 0, 0}, "Veltranox2|", true},
        {"family 3, another type expected", {3, 15, 0, 0, 0}, "", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CZeloPropertySheet sheet("", nullptr, 1);
        ApplyPackage(sheet, c.package);
        std::vector<std::string> listed;
        bool advanced[3] = {};
        RunSheet(sheet, {[&] {
                             int n = 0;
                             for (int type : types)
                                 PostDevice(PageOf(sheet), {"10.213.9." + std::to_string(++n), type, "1.0"});
                         },
                         [&] {
                             for (const Row& row : ListRows(PageItem(sheet, IDC_DEVICE_LIST)))
                                 listed.push_back(row.type);
                             const int ids[] = {IDC_ADVANCED_OPTIONS, IDC_FORCE_COMPLETE, IDC_RESTORE_DEFAULTS};
                             for (int i = 0; i < 3; ++i)
                                 advanced[i] = ::IsWindowVisible(PageItem(sheet, ids[i])) != FALSE;
                             sheet.PressButton(PSBTN_CANCEL);
                         }});
        EXPECT_EQ(Joined(listed), c.types);
        EXPECT_EQ(sheet.m_devices.GetSize(), static_cast<INT_PTR>(listed.size()));
        for (bool shown : advanced)
            EXPECT_EQ(shown, c.advanced);
    }
}

// Names, versions and line statuses come from the devices: shown as they
// came, cut where the list cuts its cells (255 characters), never read as
// formats or mark-up; the records keep them whole. A device on another port
// is named "IP:port", and a device that answered neither the version nor
// the settings request is red with the legend shown.
TEST_F(DiscoverPageTest, ShowsWhatTheDevicesSaidAsText)
{
    const std::string longName = std::string(200, 'N') + std::string(100, 'm');
    const std::string longVersion(700, '7');
    CZeloPropertySheet sheet("", nullptr, 1);
    ApplyPackage(sheet, {});
    std::vector<Row> rows;
    bool legend = false, sample = false, legendBefore = true;
    UINT defId = 0;
    RunSheet(sheet, {[&] {
                         legendBefore = ::IsWindowVisible(PageItem(sheet, IDC_LEGEND_TEXT)) != FALSE;
                         // The page's own message must leave the dialog manager's alone.
                         ::SendMessageA(PageOf(sheet), DM_SETDEFID, IDC_ADD_DEVICE, 0);
                         defId = LOWORD(::SendMessageA(PageOf(sheet), DM_GETDEFID, 0, 0));
                         const HWND page = PageOf(sheet);
                         PostDevice(page, {"10.213.9.1", 23, "100%s%n", "%s%d &Name <b>x</b>", "Up\tand\trunning"});
                         PostDevice(page, {"10.213.9.2", 26, longVersion.c_str(), longName.c_str(), "", 50100});
                         PostDevice(page, {"10.213.9.3", 24});
                         PostDevice(page, {"10.213.9.4", 23, ""});
                     },
                     [&] {
                         rows = ListRows(PageItem(sheet, IDC_DEVICE_LIST));
                         legend = ::IsWindowVisible(PageItem(sheet, IDC_LEGEND_TEXT)) != FALSE;
                         sample = ::IsWindowVisible(PageItem(sheet, IDC_LEGEND_SAMPLE)) != FALSE;
                         sheet.PressButton(PSBTN_CANCEL);
                     }});
    EXPECT_EQ(defId, static_cast<UINT>(IDC_ADD_DEVICE));
    EXPECT_FALSE(legendBefore);
    ASSERT_EQ(rows.size(), 4u);
    struct Expected
    {
        const char *ip, *name, *type;
        std::string version;
        const char* status;
        int image;
    };
    const Expected expected[] = {
        {"10.213.9.1", "%s%d &Name <b>x</b>", "Obrelon", "100%s%n", "Up\tand\trunning", 0},
        {"10.213.9.2:50100", nullptr, "ObrelonHD", std::string(255, '7'), "", 0},
        {"10.213.9.3", "", "Obrelon ST", "", "", 2},
        {"10.213.9.4", "", "Obrelon", "Wrong Version", "", 0},
    };
    for (size_t i = 0; i < rows.size(); ++i)
    {
        SCOPED_TRACE(expected[i].ip);
        EXPECT_EQ(rows[i].ip, expected[i].ip);
        EXPECT_EQ(rows[i].name, expected[i].name != nullptr ? expected[i].name : longName.substr(0, 255));
        EXPECT_EQ(rows[i].type, expected[i].type);
        EXPECT_EQ(rows[i].version, expected[i].version);
        EXPECT_EQ(rows[i].status, expected[i].status);
        EXPECT_EQ(rows[i].image, expected[i].image);
    }
    EXPECT_TRUE(legend);
    EXPECT_TRUE(sample);
    ASSERT_EQ(sheet.m_devices.GetSize(), 4);
    EXPECT_EQ(std::string(sheet.m_devices[1]->m_strName), longName);
    EXPECT_EQ(std::string(sheet.m_devices[1]->m_strVersion), longVersion);
    EXPECT_EQ(sheet.m_devices[1]->m_nUDPPort, 50100);
}

// Every gesture on one list, in turn; the images after each, rows in order
// A, B, C (devices that answered) and D (one that did not): 0 not ticked,
// 1 ticked, 2 not reachable.
TEST_F(DiscoverPageTest, TickGestures)
{
    CZeloPropertySheet sheet("", nullptr, 1);
    ApplyPackage(sheet, {});
    Clock clock;
    HWND list = nullptr;
    auto image = [&](int row) { return RowImagePoint(list, row); };
    auto text = [&](int row) { return RowTextPoint(list, row); };
    auto withKey = [&](UINT key, const std::function<void()>& gesture) {
        trelwin::user::InjectKey(key, true);
        gesture();
        trelwin::user::InjectKey(key, false);
    };
    struct Gesture
    {
        const char* name;
        std::function<void()> act;
        const char* images;
    };
    const std::vector<Gesture> gestures = {
        {"click on A's image ticks it", [&] { Click(clock, image(0)); }, "1002"},
        {"click on A's image again unticks it", [&] { Click(clock, image(0)); }, "0002"},
        {"click on B's text only selects it", [&] { Click(clock, text(1)); }, "0002"},
        {"double click on B's text ticks it", [&] { DoubleClick(clock, text(1)); }, "0102"},
        {"double click on B's text unticks it", [&] { DoubleClick(clock, text(1)); }, "0002"},
        {"double click with Ctrl held does nothing", [&] { withKey(VK_CONTROL, [&] { DoubleClick(clock, text(2)); }); },
         "0002"},
        {"double click with Shift held does nothing", [&] { withKey(VK_SHIFT, [&] { DoubleClick(clock, text(2)); }); },
         "0002"},
        {"click on the unreachable D's image", [&] { Click(clock, image(3)); }, "0002"},
        {"double click on the unreachable D", [&] { DoubleClick(clock, text(3)); }, "0002"},
        {"space ticks the selected A", [&] {
             Click(clock, text(0));
             PressKey(VK_SPACE);
         },
         "1002"},
        {"space with A ticked and B not, both selected, ticks both", [&] {
             withKey(VK_CONTROL, [&] { Click(clock, text(1)); });
             PressKey(VK_SPACE);
         },
         "1102"},
        {"space again unticks both", [&] { PressKey(VK_SPACE); }, "0002"},
        {"a click on the image of a selected row ticks the whole selection", [&] {
             Click(clock, text(0));
             withKey(VK_SHIFT, [&] { Click(clock, text(2)); });
             Click(clock, image(1));
         },
         "1112"},
        {"a click on the image of a row outside the selection flips that row alone", [&] {
             Click(clock, text(0));
             Click(clock, image(2));
         },
         "1102"},
        {"Select None", [&] { ClickButton(sheet, IDC_SELECT_NONE); }, "0002"},
        {"Select All skips the unreachable", [&] { ClickButton(sheet, IDC_SELECT_ALL); }, "1112"},
        {"other keys do nothing", [&] { PressKey('X'); }, "1112"},
    };
    std::vector<std::function<void()>> steps = {[&] {
        const HWND page = PageOf(sheet);
        PostDevice(page, {"10.213.9.1", 23, "1.0"});
        PostDevice(page, {"10.213.9.2", 26, "2.0"});
        PostDevice(page, {"10.213.9.3", 24, nullptr, "C", "settings only"});
        PostDevice(page, {"10.213.9.4", 23});
    }};
    steps.push_back([&] {
        list = PageItem(sheet, IDC_DEVICE_LIST);
        EXPECT_EQ(Images(list), "0002");
    });
    for (const Gesture& g : gestures)
    {
        steps.push_back(g.act);
        steps.push_back([&] {
            SCOPED_TRACE(g.name);
            EXPECT_EQ(Images(list), g.images);
        });
    }
    steps.push_back([&] { sheet.PressButton(PSBTN_CANCEL); });
    RunSheet(sheet, steps);
}

// The way to the progress page: Next without a tick gives the message and
// stays; with ticks the warning, whose Cancel stays; its OK goes on with
// exactly the devices ticked at that moment selected, and the options set.
TEST_F(DiscoverPageTest, NextNeedsATickAndTheWarningsOk)
{
    const std::string warning = "WARNING!!!! All the FLASH contents will be erased. Please make a backup if needed "
                                "before continuing. \n\nDo you want to continue updating erasing FLASH contents?";
    CZeloPropertySheet sheet("", nullptr, 1);
    ApplyPackage(sheet, {});
    Clock clock;
    std::vector<std::string> boxes;
    std::vector<int> pages;
    auto list = [&] { return PageItem(sheet, IDC_DEVICE_LIST); };
    auto answer = [&](int id) {
        boxes.push_back(BoxTexts());
        ::PostMessageA(::GetActiveWindow(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    };
    RunSheet(sheet, {[&] {
                         const HWND page = PageOf(sheet);
                         PostDevice(page, {"10.213.9.1", 23, "1.0"});
                         PostDevice(page, {"10.213.9.2", 26, "2.0"});
                         PostDevice(page, {"10.213.9.3", 23});
                     },
                     [&] { sheet.PressButton(PSBTN_NEXT); },
                     [&] { answer(IDOK); },
                     [&] {
                         pages.push_back(sheet.GetActiveIndex());
                         ClickButton(sheet, IDC_SELECT_ALL);
                         ::CheckDlgButton(PageOf(sheet), IDC_FORCE_COMPLETE, BST_CHECKED);
                         sheet.PressButton(PSBTN_NEXT);
                     },
                     [&] { answer(IDCANCEL); },
                     [&] {
                         pages.push_back(sheet.GetActiveIndex());
                         Click(clock, RowImagePoint(list(), 1));  // B unticked after the warning
                         sheet.PressButton(PSBTN_NEXT);
                     },
                     [&] { answer(IDOK); },
                     [&] {
                         pages.push_back(sheet.GetActiveIndex());
                         sheet.PressButton(PSBTN_CANCEL);
                     }});
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_NE(boxes[0].find("Please select at least one device to continue|"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[1].find(warning), std::string::npos) << boxes[1];
    EXPECT_NE(boxes[1].find("OK|Cancel|"), std::string::npos) << boxes[1];
    EXPECT_NE(boxes[2].find(warning), std::string::npos) << boxes[2];
    EXPECT_EQ(pages, (std::vector<int>{1, 1, 2}));
    ASSERT_EQ(sheet.m_devices.GetSize(), 3);
    EXPECT_EQ(sheet.m_devices[0]->m_nSelected, 1);
    EXPECT_EQ(sheet.m_devices[1]->m_nSelected, 0);
    EXPECT_EQ(sheet.m_devices[2]->m_nSelected, 0);
    EXPECT_EQ(sheet.m_nForceCompleteUpgrade, 1);
    EXPECT_EQ(sheet.m_nRestoreDefaultConfig, 0);
}

// Discovery messages that wait in the queue when the page goes carry
// objects: the page frees them (the queue would drop them unseen).
class CCountedInfo : public CBriselDiscoverInfo
{
public:
    explicit CCountedInfo(const char* address) : CBriselDiscoverInfo(address, 50013, 23, "1.0") { ++s_live; }
    ~CCountedInfo() override { --s_live; }
    static inline int s_live = 0;
};

TEST_F(DiscoverPageTest, DiscoveryMessagesStillQueuedAreFreedWithThePage)
{
    CZeloPropertySheet sheet("", nullptr, 1);
    ApplyPackage(sheet, {});
    RunSheet(sheet, {[&] {
        const HWND page = PageOf(sheet);
        for (int i = 0; i < 3; ++i)
        {
            ::PostMessageA(page, MSG_DISCOVER_DEVICE_FOUND, reinterpret_cast<WPARAM>(new CCountedInfo("10.213.9.1")), 0);
            ::PostMessageA(page, MSG_DISCOVER_DEVICE_VERSION, reinterpret_cast<WPARAM>(new CCountedInfo("10.213.9.1")),
                           0);
            PostSettings(page, {"10.213.9.1", 23, nullptr, "name"}, new CCountedInfo("10.213.9.1"));
            ::PostMessageA(page, MSG_DISCOVER_DEVICE_LOST, 0x0AD50901, 0);
        }
        // The sheet ends before its loop takes another message.
        sheet.EndDialog(IDCANCEL);
    }});
    EXPECT_EQ(CCountedInfo::s_live, 0);
}

}  // namespace
