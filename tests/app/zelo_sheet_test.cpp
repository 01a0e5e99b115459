// The wizard sheet run on the virtual screen as the program runs it: its
// title from the version, its icon, the hidden test-mode gesture, the pages
// in order with their buttons, the package page's refusal of a foreign
// file, and the device records it owns.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/registry_settings.h"
#include "app/wizard_ids.h"
#include "app/zelo_property_sheet.h"
#include "common/discover/multi_discover.h"
#include "platform/base/module_handle.h"
#include "platform/base/system_time.h"
#include "platform/base/version_info.h"
#include "platform/display/display.h"
#include "platform/user/input.h"
#include "tests/app/wizard_script.h"
#include "tests/platform/afx/afx_wnd_test_util.h"
#include "tools/package_maker/package_maker.h"

namespace
{

using wizard_test::ChildTexts;
using wizard_test::WindowText;

INT_PTR RunSheet(CZeloPropertySheet& sheet, std::vector<std::function<void()>> list)
{
    wizard_test::RunSteps(std::move(list));
    const INT_PTR result = sheet.DoModal();
    wizard_test::StopSteps();
    return result;
}

class ZeloSheetTest : public ::testing::Test
{
protected:
    void SetUp() override { trelwin::display::use_headless(1024, 768); }
    void TearDown() override
    {
        SetProgramVersion(nullptr);
        afx_test::Pump();
        trelwin::afx::FreeTemporaryObjects();
    }
};

TEST_F(ZeloSheetTest, TitleComesFromTheFileVersionAndTheIconFromTheResources)
{
    struct Case
    {
        const char* name;
        ProgramVersion version;
        const char* title;
    };
    const Case cases[] = {
        {"3.2.0.7", {3, 2, 0, 7, TRUE}, "BriselTrelwin v3.2.0"},
        {"12.0.31.0", {12, 0, 31, 0, TRUE}, "BriselTrelwin v12.0.31"},
        {"no fixed information", {3, 2, 0, 0, FALSE}, "BriselTrelwin v"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SetProgramVersion(&c.version);
        CZeloPropertySheet sheet("");
        std::string title;
        HICON big = nullptr, small = nullptr;
        RunSheet(sheet, {[&] {
                             title = WindowText(sheet.m_hWnd);
                             big = reinterpret_cast<HICON>(sheet.SendMessage(WM_GETICON, ICON_BIG));
                             small = reinterpret_cast<HICON>(sheet.SendMessage(WM_GETICON, ICON_SMALL));
                             sheet.PressButton(PSBTN_CANCEL);
                         }});
        EXPECT_EQ(title, c.title);
        EXPECT_NE(big, nullptr);
        EXPECT_EQ(big, ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128)));
        EXPECT_EQ(small, big);
    }
}

TEST_F(ZeloSheetTest, TestModeNeedsTheHiddenAreaAndAllThreeKeys)
{
    struct Case
    {
        const char* name;
        POINT point;  // client coordinates of the sheet
        std::vector<UINT> keys;
        int testMode;
    };
    const std::vector<UINT> all = {VK_CONTROL, VK_MENU, VK_SHIFT};
    const Case cases[] = {
        {"inside, all keys", {735, 20}, all, 1},
        {"top left corner", {721, 9}, all, 1},
        {"bottom right corner is outside", {750, 36}, all, 0},
        {"left of the area", {715, 20}, all, 0},
        {"below the area", {735, 40}, all, 0},
        {"no Shift", {735, 20}, {VK_CONTROL, VK_MENU}, 0},
        {"no Ctrl", {735, 20}, {VK_MENU, VK_SHIFT}, 0},
        {"no keys", {735, 20}, {}, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CZeloPropertySheet sheet("");
        RunSheet(sheet, {[&] {
                             for (UINT key : c.keys)
                                 trelwin::user::InjectKey(key, true);
                             POINT at = c.point;
                             ::ClientToScreen(sheet.m_hWnd, &at);
                             const DWORD now = ::GetTickCount();
                             trelwin::user::InjectMouseClick(at.x, at.y, 0, now);
                             trelwin::user::InjectMouseClick(at.x, at.y, 0, now + 50);
                         },
                         [&] {
                             for (UINT key : c.keys)
                                 trelwin::user::InjectKey(key, false);
                         },
                         [&] { sheet.PressButton(PSBTN_CANCEL); }});
        EXPECT_EQ(sheet.m_nTestMode, c.testMode);
    }
}

SIZE SizeOf(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

using Pixels = std::pair<LONG, LONG>;

Pixels SizeOf(HBITMAP bitmap)
{
    BITMAP info{};
    ::GetObjectA(bitmap, sizeof(info), &info);
    return {info.bmWidth, info.bmHeight};
}

// The wizard on a screen of 96 and of 192 dpi: the sheet and its buttons
// grow with the dialog font to about twice the size, the program's pictures
// come drawn at exactly twice theirs (through the framework's CBitmap as
// through LoadBitmap), and the hidden test-mode gesture is still found on
// the header's picture.
TEST_F(ZeloSheetTest, AtTwiceTheResolutionTheWizardAndItsPicturesAreTwiceAsLarge)
{
    struct Look
    {
        SIZE sheet{}, next{};
        Pixels smallIcon{};
        std::vector<Pixels> pictures, framework;
        int testMode = 0;
    };
    const auto lookAt = [](int dpi) {
        trelwin::display::use_headless(2560, 1600, dpi);
        Look look;
        CZeloPropertySheet sheet("");
        const std::vector<UINT> keys = {VK_CONTROL, VK_MENU, VK_SHIFT};
        RunSheet(sheet, {[&] {
                             look.sheet = SizeOf(sheet.m_hWnd);
                             look.next = SizeOf(::GetDlgItem(sheet.m_hWnd, ID_WIZNEXT));
                             for (UINT key : keys)
                                 trelwin::user::InjectKey(key, true);
                             POINT at = {MulDiv(735, dpi, 96), MulDiv(20, dpi, 96)};
                             ::ClientToScreen(sheet.m_hWnd, &at);
                             const DWORD now = ::GetTickCount();
                             trelwin::user::InjectMouseClick(at.x, at.y, 0, now);
                             trelwin::user::InjectMouseClick(at.x, at.y, 0, now + 50);
                         },
                         [&] {
                             for (UINT key : keys)
                                 trelwin::user::InjectKey(key, false);
                         },
                         [&] { sheet.PressButton(PSBTN_CANCEL); }});
        look.testMode = sheet.m_nTestMode;
        for (UINT id : {130, 131, 136, 137})
        {
            HBITMAP loaded = ::LoadBitmapA(nullptr, MAKEINTRESOURCEA(id));
            look.pictures.push_back(SizeOf(loaded));
            ::DeleteObject(loaded);
            CBitmap framework;
            framework.LoadBitmap(id);
            look.framework.push_back(SizeOf(static_cast<HBITMAP>(framework.GetSafeHandle())));
        }
        const int small = ::GetSystemMetrics(SM_CXSMICON);
        HICON icon = static_cast<HICON>(::LoadImageA(nullptr, MAKEINTRESOURCEA(128), IMAGE_ICON, small, small, 0));
        ICONINFO info{};
        if (::GetIconInfo(icon, &info))
        {
            look.smallIcon = SizeOf(info.hbmColor);
            ::DeleteObject(info.hbmColor);
            ::DeleteObject(info.hbmMask);
        }
        ::DestroyIcon(icon);
        return look;
    };
    const Look at96 = lookAt(96), at192 = lookAt(192);
    for (auto [name, small, large] : {std::tuple{"sheet", at96.sheet, at192.sheet}, {"Next", at96.next, at192.next}})
    {
        SCOPED_TRACE(name);
        EXPECT_GE(large.cx * 10, small.cx * 18) << small.cx << " -> " << large.cx;
        EXPECT_LE(large.cx * 10, small.cx * 22) << small.cx << " -> " << large.cx;
        EXPECT_GE(large.cy * 10, small.cy * 18) << small.cy << " -> " << large.cy;
        EXPECT_LE(large.cy * 10, small.cy * 22) << small.cy << " -> " << large.cy;
    }
    ASSERT_EQ(at96.pictures.size(), 4u);
    for (size_t i = 0; i < at96.pictures.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_GT(at96.pictures[i].first, 0);
        EXPECT_EQ(at96.framework[i], at96.pictures[i]);
        const Pixels twice{2 * at96.pictures[i].first, 2 * at96.pictures[i].second};
        EXPECT_EQ(at192.pictures[i], twice);
        EXPECT_EQ(at192.framework[i], twice);
    }
    EXPECT_EQ(at96.smallIcon, Pixels(16, 16));
    EXPECT_EQ(at192.smallIcon, Pixels(32, 32));
    EXPECT_EQ(at96.testMode, 1);
    EXPECT_EQ(at192.testMode, 1);
}

std::string WritePackage(const char* name, int deviceType)
{
    namespace pm = package_maker;
    pm::Image image;
    image.sections = pm::MakeDeviceTypeSections(static_cast<uint8_t>(deviceType));
    image.sections.push_back(pm::MakeSection(0x0A0D, 1, "02.5.6", std::string(100, 'b')));
    const std::string path = ::testing::TempDir() + "trelwin_sheet_" + std::to_string(::getpid()) + "_" + name;
    std::string error;
    EXPECT_TRUE(pm::WriteFile(path, pm::EncryptPackage(pm::BuildImage(image)), error)) << error;
    return path;
}

// Whether this process runs in the private network of
// tests/net/private_network.sh, where the only interface that can broadcast
// is its own: the Discover page searches every interface when shown.
bool InPrivateNetwork()
{
    const char* address = std::getenv("TRELWIN_NET_PROGRAM_ADDRESS");
    if (std::getenv("TRELWIN_NET_PRIVATE") == nullptr || address == nullptr)
        return false;
    CBriselMultiDiscover probe;
    CStringList addresses;
    probe.ListLocalAddresses(addresses);
    return addresses.GetCount() == 1 && std::string(static_cast<LPCTSTR>(addresses.GetHead())) == address;
}

// Run by CTest inside the private network (the Discover page broadcasts).
TEST_F(ZeloSheetTest, PagesFollowInOrderAndAForeignFileIsRefused)
{
    if (!InPrivateNetwork())
        GTEST_SKIP() << "shows the Discover page, which broadcasts: runs only inside tests/net/private_network.sh";
    const std::string registry = ::testing::TempDir() + "trelwin_sheet_registry_" + std::to_string(::getpid());
    ::setenv("TRELWIN_REGISTRY_DIR", registry.c_str(), 1);
    WriteRegistryString("0", "DiscoverDevicesTimeout");
    const std::string package = WritePackage("update.zpk", 23);
    const std::string foreign = ::testing::TempDir() + "trelwin_sheet_missing_notes.zpk";
    auto* sheet = new CZeloPropertySheet("");
    // Records the sheet must free, once, when it goes (the sanitizer build
    // checks the "once").
    for (int i = 0; i < 3; ++i)
        sheet->m_devices.Add(new _TDevice());
    auto page = [&] { return sheet->GetActiveIndex(); };
    auto enabled = [&](int id) { return ::IsWindowEnabled(::GetDlgItem(sheet->m_hWnd, id)) != FALSE; };
    auto visible = [&](int id) { return ::IsWindowVisible(::GetDlgItem(sheet->m_hWnd, id)) != FALSE; };
    auto pageItem = [&](int id) { return ::GetDlgItem(sheet->GetActivePage()->m_hWnd, id); };
    std::string boxTexts;
    int gaugeWidth = 0;
    const INT_PTR result = RunSheet(
        *sheet,
        {[&] {
             EXPECT_EQ(page(), 0);
             EXPECT_FALSE(enabled(ID_WIZBACK));
             EXPECT_TRUE(enabled(ID_WIZNEXT));
             EXPECT_FALSE(visible(IDHELP));
             ::SetWindowTextA(pageItem(IDC_PACKAGE_PATH), foreign.c_str());
             sheet->PressButton(PSBTN_NEXT);
         },
         // The refusal's box runs its own loop; this step runs inside it.
         [&] {
             HWND box = ::GetActiveWindow();
             EXPECT_NE(box, sheet->m_hWnd);
             boxTexts = ChildTexts(box);
             trelwin::user::InjectKey(VK_RETURN, true);
             trelwin::user::InjectKey(VK_RETURN, false);
         },
         [&] {
             EXPECT_EQ(page(), 0);
             EXPECT_TRUE(sheet->m_strPackagePath.IsEmpty());
             ::SetWindowTextA(pageItem(IDC_PACKAGE_PATH), package.c_str());
             sheet->PressButton(PSBTN_NEXT);
         },
         [&] {
             EXPECT_EQ(page(), 1);
             EXPECT_TRUE(enabled(ID_WIZBACK));
             EXPECT_TRUE(enabled(ID_WIZNEXT));
             EXPECT_NE(pageItem(IDC_DEVICE_LIST), nullptr);
             // A device as discovery reports it, ticked, so that Next leads on.
             const HWND discover = sheet->GetActivePage()->m_hWnd;
             ::PostMessageA(discover, MSG_DISCOVER_DEVICE_FOUND,
                            reinterpret_cast<WPARAM>(new CBriselDiscoverInfo("10.213.9.1", 50013, 23, "")), 0);
             ::PostMessageA(discover, MSG_DISCOVER_DEVICE_VERSION,
                            reinterpret_cast<WPARAM>(new CBriselDiscoverInfo("10.213.9.1", 50013, 23, "1.0")), 0);
         },
         [&] {
             ::SendMessageA(sheet->GetActivePage()->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SELECT_ALL, BN_CLICKED), 0);
             sheet->PressButton(PSBTN_NEXT);
         },
         // The warning's box: OK.
         [&] { ::PostMessageA(::GetActiveWindow(), WM_COMMAND, IDOK, 0); },
         [&] {
             EXPECT_EQ(page(), 2);
             EXPECT_TRUE(visible(ID_WIZFINISH));
             EXPECT_FALSE(enabled(ID_WIZFINISH));
             EXPECT_FALSE(enabled(ID_WIZBACK));
             EXPECT_TRUE(enabled(IDCANCEL));
             RECT frame{};
             ::GetWindowRect(pageItem(IDC_GAUGE_FRAME), &frame);
             gaugeWidth = frame.right - frame.left;
             sheet->PressButton(PSBTN_CANCEL);
         }});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_NE(boxTexts.find("Please select a valid update file|"), std::string::npos) << boxTexts;
    EXPECT_EQ(std::string(sheet->m_strPackagePath), package);
    EXPECT_EQ(sheet->m_nFamily, 4);
    // 486 dialog units of the pages' font.
    EXPECT_EQ(gaugeWidth, 729);
    EXPECT_EQ(sheet->GetPageCount(), 3);
    delete sheet;
    std::remove(package.c_str());
    std::filesystem::remove_all(registry);
}

}  // namespace
