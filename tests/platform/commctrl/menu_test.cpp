// Menus: the item functions, menus from resource tables, and pop-up menus
// tracked with injected mouse and keys (given by a timer of the owner while
// the menu's loop runs), checked by the command chosen and by pixels.
#include "platform/commctrl/menu.h"

#include <algorithm>
#include <functional>
#include <cstdlib>
#include <string>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/resources/resource_registry.h"
#include "platform/resources/resource_types.h"
#include "tests/platform/commctrl/item_controls_test_util.h"

using namespace item_test;
using namespace trelwin::user;

namespace {

const MENUTEMPLATEITEM kHeaderMenu[] = {
    {MF_POPUP | MF_END, 0, "Header"},
    {MF_STRING, 114, "&Choose colums"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_POPUP, 0, "More"},
    {MF_STRING | MF_CHECKED, 201, "Inner checked"},
    {MF_STRING | MF_END, 202, "Inner"},
    {MF_STRING | MF_END, 119, "&Order by"},
};
trelwin::ResourceRegistration g_headerMenu(RT_MENU, MAKEINTRESOURCEA(9113), kHeaderMenu, sizeof kHeaderMenu);

// The last item of the top level is not marked as the end.
const MENUTEMPLATEITEM kBrokenMenu[] = {
    {MF_POPUP | MF_END, 0, "Header"},
    {MF_STRING, 1, "One"},
};
trelwin::ResourceRegistration g_brokenMenu(RT_MENU, MAKEINTRESOURCEA(9114), kBrokenMenu, sizeof kBrokenMenu);

std::string MenuText(HMENU menu, UINT item, UINT flags) {
    char text[64] = {};
    GetMenuStringA(menu, item, text, sizeof text, flags);
    return text;
}

TEST(MenuItems, BuildQueryAndChangeItems) {
    HMENU menu = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuA(sub, MF_STRING, 30, "Deep"));
    ASSERT_TRUE(AppendMenuA(menu, MF_STRING, 10, "&Ten"));
    ASSERT_TRUE(AppendMenuA(menu, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub"));
    ASSERT_TRUE(InsertMenuA(menu, 10, MF_BYCOMMAND | MF_STRING | MF_GRAYED, 5, "Five"));  // before "Ten"
    EXPECT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_EQ(GetMenuItemID(menu, 0), 5u);
    EXPECT_EQ(GetMenuItemID(menu, 2), 0u);                    // separator
    EXPECT_EQ(GetMenuItemID(menu, 3), static_cast<UINT>(-1));  // pop-up
    EXPECT_EQ(GetMenuItemID(menu, 9), static_cast<UINT>(-1));
    EXPECT_EQ(GetSubMenu(menu, 3), sub);
    EXPECT_EQ(GetSubMenu(menu, 1), nullptr);
    EXPECT_EQ(MenuText(menu, 10, MF_BYCOMMAND), "&Ten");
    EXPECT_EQ(MenuText(menu, 30, MF_BYCOMMAND), "Deep");  // found inside the pop-up
    EXPECT_EQ(MenuText(menu, 3, MF_BYPOSITION), "Sub");
    char small[3];
    EXPECT_EQ(GetMenuStringA(menu, 10, small, sizeof small, MF_BYCOMMAND), 2);
    EXPECT_STREQ(small, "&T");

    EXPECT_EQ(CheckMenuItem(menu, 10, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(menu, 10, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(menu, 99, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_EQ(EnableMenuItem(menu, 5, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(menu, 0, MF_BYPOSITION | MF_DISABLED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(menu, 5, MF_BYCOMMAND), static_cast<UINT>(MF_DISABLED));
    EXPECT_EQ(GetMenuState(menu, 3, MF_BYPOSITION), static_cast<UINT>(MF_POPUP | (1 << 8)));
    EXPECT_EQ(GetMenuState(menu, 2, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));

    // Translating texts: by command, and a pop-up's by position.
    EXPECT_TRUE(ModifyMenuA(menu, 10, MF_BYCOMMAND | MF_STRING, 10, "Zehn"));
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = const_cast<char*>("Unter");
    EXPECT_TRUE(SetMenuItemInfoA(menu, 3, TRUE, &mii));
    EXPECT_TRUE(ModifyMenuA(menu, 3, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Unter"));
    EXPECT_TRUE(IsMenu(sub));  // the same pop-up stays
    EXPECT_EQ(MenuText(menu, 10, MF_BYCOMMAND), "Zehn");
    EXPECT_EQ(GetSubMenu(menu, 3), sub);
    char buffer[16] = {};
    MENUITEMINFOA out{};
    out.cbSize = sizeof out;
    out.fMask = MIIM_STRING | MIIM_SUBMENU | MIIM_STATE;
    out.dwTypeData = buffer;
    out.cch = sizeof buffer;
    ASSERT_TRUE(GetMenuItemInfoA(menu, 3, TRUE, &out));
    EXPECT_STREQ(buffer, "Unter");
    EXPECT_EQ(out.cch, 5u);
    EXPECT_EQ(out.hSubMenu, sub);

    EXPECT_FALSE(ModifyMenuA(menu, 77, MF_BYCOMMAND | MF_STRING, 77, "x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));
    EXPECT_TRUE(RemoveMenu(menu, 3, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(sub));  // removed, not destroyed
    ASSERT_TRUE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub"));
    EXPECT_TRUE(DeleteMenu(menu, 3, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(sub));  // deleted with its item
    HMENU sub2 = CreatePopupMenu();
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub2), "Sub2");
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(sub2));
    EXPECT_FALSE(DestroyMenu(menu));
    EXPECT_EQ(GetMenuItemCount(menu), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
}

TEST(MenuItems, LoadMenuBuildsTheTableAndRefusesBrokenOnes) {
    HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(9113));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), 4);
    EXPECT_EQ(GetMenuItemID(popup, 0), 114u);
    EXPECT_EQ(GetMenuItemID(popup, 1), 0u);
    EXPECT_EQ(GetMenuItemID(popup, 3), 119u);
    EXPECT_EQ(MenuText(popup, 119, MF_BYCOMMAND), "&Order by");
    HMENU more = GetSubMenu(popup, 2);
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(GetMenuItemCount(more), 2);
    EXPECT_EQ(GetMenuState(more, 201, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(popup));

    SetLastError(0);
    EXPECT_EQ(LoadMenuA(nullptr, MAKEINTRESOURCEA(9114)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(LoadMenuA(nullptr, MAKEINTRESOURCEA(9999)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

// A pop-up menu driven by a script: each tick of the owner's timer runs the
// next step; after the script, Esc is pressed until the menu ends.
class PopupMenuTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        m_ownerProbe = NewProbe();
        m_ownerProbe->handler = [this](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_TIMER && w == 77) {
                if (m_step < m_script.size()) {
                    m_script[m_step++]();
                } else if (++m_extraTicks < 50) {
                    InjectKey(VK_ESCAPE, true);
                    InjectKey(VK_ESCAPE, false);
                }
                return 0;
            }
            if (msg == WM_INITMENUPOPUP) m_popupsShownAtInit.push_back(VisiblePopups().size());
            return DefWindowProcA(hwnd, msg, w, l);
        };
        m_owner = Make(m_ownerProbe, WS_POPUP | WS_VISIBLE, 20, 20, 400, 300);
        m_menu = CreatePopupMenu();
        AppendMenuA(m_menu, MF_STRING, 114, "&Choose colums");
        AppendMenuA(m_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(m_menu, MF_STRING, 119, "&Order by");
        AppendMenuA(m_menu, MF_STRING | MF_GRAYED, 120, "Grayed");
        AppendMenuA(m_menu, MF_STRING | MF_CHECKED, 121, "Checked");
    }

    void TearDown() override {
        DestroyMenu(m_menu);
        WindowTest::TearDown();
    }

    static std::vector<HWND> VisiblePopups() {
        std::vector<HWND> found;
        EnumThreadWindows(GetCurrentThreadId(), [](HWND hwnd, LPARAM p) -> BOOL {
            char name[32] = {};
            GetClassNameA(hwnd, name, sizeof name);
            if (std::string(name) == MENU_POPUP_CLASSA && IsWindowVisible(hwnd)) {
                reinterpret_cast<std::vector<HWND>*>(p)->push_back(hwnd);
            }
            return TRUE;
        }, reinterpret_cast<LPARAM>(&found));
        // Sub-menus open to the right of their parents here.
        std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
            RECT ra, rb;
            GetWindowRect(a, &ra);
            GetWindowRect(b, &rb);
            return ra.left < rb.left;
        });
        return found;
    }

    // The screen centre of item `index` of the open pop-up `level`, items
    // being of equal height apart from 9-pixel separators.
    static POINT ItemCentre(HMENU menu, int index, int level = 0) {
        std::vector<HWND> popups = VisiblePopups();
        if (static_cast<int>(popups.size()) <= level) return {-1, -1};
        HWND popup = popups[static_cast<size_t>(level)];
        RECT rc;
        GetClientRect(popup, &rc);
        const int n = GetMenuItemCount(menu);
        int separators = 0;
        for (int i = 0; i < n; ++i) separators += GetMenuItemID(menu, i) == 0 ? 1 : 0;
        const int h = (rc.bottom - 6 - 9 * separators) / (n - separators);
        int y = 3;
        for (int i = 0; i < index; ++i) y += GetMenuItemID(menu, i) == 0 ? 9 : h;
        POINT pt{rc.right / 2, y + h / 2};
        ClientToScreen(popup, &pt);
        return pt;
    }

    UINT Run(UINT flags, std::vector<std::function<void()>> script) {
        m_script = std::move(script);
        m_step = 0;
        m_extraTicks = 0;
        SetTimer(m_owner, 77, 10, nullptr);
        const BOOL result = TrackPopupMenu(m_menu, flags, 100, 80, 0, m_owner, nullptr);
        KillTimer(m_owner, 77);
        return static_cast<UINT>(result);
    }

    static std::function<void()> Press(UINT vk) {
        return [vk] {
            InjectKey(vk, true);
            InjectKey(vk, false);
        };
    }

    std::function<void()> ClickItem(int index, int button = 0) {
        return [this, index, button] {
            POINT pt = ItemCentre(m_menu, index);
            InjectMouseClick(pt.x, pt.y, button);
        };
    }

    WindowProbe* m_ownerProbe = nullptr;
    HWND m_owner = nullptr;
    HMENU m_menu = nullptr;
    std::vector<std::function<void()>> m_script;
    size_t m_step = 0;
    int m_extraTicks = 0;
    std::vector<size_t> m_popupsShownAtInit;
};

TEST_F(PopupMenuTest, MouseChoosesTheCommandAfterTheOwnerPreparedTheMenu) {
    EXPECT_EQ(Run(TPM_LEFTALIGN | TPM_RETURNCMD, {ClickItem(2)}), 119u);
    EXPECT_EQ(m_popupsShownAtInit, std::vector<size_t>{0});  // WM_INITMENUPOPUP before showing
    EXPECT_TRUE(VisiblePopups().empty());
    EXPECT_EQ(Run(TPM_RIGHTBUTTON | TPM_RETURNCMD, {ClickItem(0, 1)}), 114u);
    // Without TPM_RIGHTBUTTON the right button chooses nothing.
    EXPECT_EQ(Run(TPM_RETURNCMD, {ClickItem(0, 1)}), 0u);
}

TEST_F(PopupMenuTest, CommandIsPostedToTheOwnerWithoutReturnCmd) {
    EXPECT_EQ(Run(TPM_LEFTALIGN, {ClickItem(4)}), static_cast<UINT>(TRUE));
    Pump();
    std::vector<Notice> commands = Notices(m_ownerProbe);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].id, 121);
    EXPECT_EQ(commands[0].code, 0);
    Clear(m_ownerProbe);
    EXPECT_EQ(Run(TPM_LEFTALIGN, {Press(VK_ESCAPE)}), static_cast<UINT>(TRUE));
    Pump();
    EXPECT_TRUE(Notices(m_ownerProbe).empty());
}

TEST_F(PopupMenuTest, KeyboardMovesPastSeparatorsAndChoosesWithEnter) {
    EXPECT_EQ(Run(TPM_RETURNCMD, {Press(VK_DOWN), Press(VK_DOWN), Press(VK_RETURN)}), 119u);
    // The owner heard of the menu loop and of each item passed.
    std::vector<Received> heard;
    for (const Received& r : m_ownerProbe->received) {
        if (r.message == WM_ENTERMENULOOP || r.message == WM_EXITMENULOOP || r.message == WM_MENUSELECT) {
            heard.push_back(r);
        }
    }
    ASSERT_EQ(heard.size(), 5u);
    EXPECT_EQ(heard[0].message, static_cast<UINT>(WM_ENTERMENULOOP));
    EXPECT_EQ(heard[1].wParam, MAKEWPARAM(114, MF_HILITE));
    EXPECT_EQ(heard[2].wParam, MAKEWPARAM(119, MF_HILITE));
    EXPECT_EQ(heard[2].lParam, reinterpret_cast<LPARAM>(m_menu));
    EXPECT_EQ(heard[3].wParam, MAKEWPARAM(0, 0xFFFF));  // the menu closed
    EXPECT_EQ(heard[4].message, static_cast<UINT>(WM_EXITMENULOOP));
    Clear(m_ownerProbe);
    EXPECT_EQ(Run(TPM_RETURNCMD | TPM_NONOTIFY, {Press(VK_DOWN), Press(VK_RETURN)}), 114u);
    EXPECT_TRUE(Only(m_ownerProbe->Messages(), {WM_MENUSELECT, WM_INITMENUPOPUP}).empty());
    EXPECT_EQ(Run(TPM_RETURNCMD, {Press(VK_UP), Press(VK_RETURN)}), 121u);  // up from nothing: the last
    EXPECT_EQ(Run(TPM_RETURNCMD, {Press(VK_DOWN), Press(VK_UP), Press(VK_RETURN)}), 121u);  // round the top
    EXPECT_EQ(Run(TPM_RETURNCMD, {[] { InjectChar('o'); }}), 119u);                         // mnemonic
}

TEST_F(PopupMenuTest, GrayedItemsAreNotChosenAndEscOrAClickOutsideEnds) {
    EXPECT_EQ(Run(TPM_RETURNCMD, {ClickItem(3), [] {}, Press(VK_ESCAPE)}), 0u);
    EXPECT_EQ(Run(TPM_RETURNCMD, {Press(VK_UP), Press(VK_UP), Press(VK_RETURN), Press(VK_UP), Press(VK_RETURN)}),
              119u);  // Enter on the grayed item leaves the menu open
    EXPECT_EQ(Run(TPM_RETURNCMD, {Press(VK_ESCAPE)}), 0u);
    EXPECT_EQ(Run(TPM_RETURNCMD, {[] { InjectMouseClick(395, 290); }}), 0u);
    EXPECT_EQ(Run(TPM_RETURNCMD, {Press(VK_DOWN), [] { EXPECT_TRUE(EndMenu()); }}), 0u);
    EXPECT_EQ(m_extraTicks, 0);  // each ended by its own script
    EXPECT_FALSE(EndMenu());     // no menu open

    // Nothing to show or nobody to tell: refused at once.
    HMENU gone = CreatePopupMenu();
    DestroyMenu(gone);
    EXPECT_FALSE(TrackPopupMenu(gone, TPM_RETURNCMD, 10, 10, 0, m_owner, nullptr));
    EXPECT_FALSE(TrackPopupMenu(m_menu, TPM_RETURNCMD, 10, 10, 0, nullptr, nullptr));
}

TEST_F(PopupMenuTest, CheckMarksHighlightAndGrayTextAreDrawn) {
    std::vector<COLORREF> checkColumn[2];
    COLORREF hot = 0;
    bool grayInk = false;
    bool blackInGrayed = false;
    auto near = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) < 0x28 && std::abs(GetGValue(a) - GetGValue(b)) < 0x28 &&
               std::abs(GetBValue(a) - GetBValue(b)) < 0x28;
    };
    auto sample = [&] {
        std::vector<HWND> popups = VisiblePopups();
        if (popups.empty()) return;
        for (int which = 0; which < 2; ++which) {
            POINT centre = ItemCentre(m_menu, which == 0 ? 4 : 2);  // checked, unchecked
            ScreenToClient(popups[0], &centre);
            for (int x = 4; x < 20; ++x) {
                for (int dy = -5; dy <= 5; ++dy) {
                    checkColumn[which].push_back(GetClientPixel(popups[0], x, centre.y + dy));
                }
            }
        }
        POINT first = ItemCentre(m_menu, 0);
        ScreenToClient(popups[0], &first);
        hot = GetClientPixel(popups[0], first.x, first.y - 4);
        POINT grayed = ItemCentre(m_menu, 3);
        ScreenToClient(popups[0], &grayed);
        for (int x = 20; x < 60; ++x) {
            for (int dy = -5; dy <= 5; ++dy) {
                const COLORREF c = GetClientPixel(popups[0], x, grayed.y + dy);
                grayInk = grayInk || near(c, GetSysColor(COLOR_3DSHADOW));
                blackInGrayed = blackInGrayed || SameColour(c, GetSysColor(COLOR_MENUTEXT));
            }
        }
    };
    Run(TPM_RETURNCMD, {Press(VK_DOWN), [] {}, sample, Press(VK_ESCAPE)});
    auto dark = [](const std::vector<COLORREF>& pixels) {
        int n = 0;
        for (COLORREF c : pixels) n += SameColour(c, GetSysColor(COLOR_MENUTEXT)) ? 1 : 0;
        return n;
    };
    EXPECT_GE(dark(checkColumn[0]), 15);  // a tick of 7 columns, 3 pixels each
    EXPECT_EQ(dark(checkColumn[1]), 0);
    EXPECT_TRUE(SameColour(hot, GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_TRUE(grayInk);
    EXPECT_FALSE(blackInGrayed);
}

TEST_F(PopupMenuTest, SubMenusOpenByKeyAndByHover) {
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 301, "Deep one");
    AppendMenuA(sub, MF_STRING, 302, "Deep two");
    AppendMenuA(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "More");
    // Up from nothing lands on "More" (the last item); Right opens it.
    EXPECT_EQ(Run(TPM_RETURNCMD, {Press(VK_UP), Press(VK_RIGHT), Press(VK_DOWN), Press(VK_RETURN)}), 302u);
    EXPECT_EQ(m_popupsShownAtInit.size(), 2u);
    EXPECT_EQ(m_popupsShownAtInit[1], 1u);
    // Left closes the sub-menu again; Esc then closes the menu.
    EXPECT_EQ(Run(TPM_RETURNCMD, {Press(VK_UP), Press(VK_RIGHT), Press(VK_LEFT), [this] {
                      EXPECT_EQ(VisiblePopups().size(), 1u);
                  }, Press(VK_ESCAPE)}),
              0u);
    EXPECT_EQ(Run(TPM_RETURNCMD, {[this] {
                                      POINT pt = ItemCentre(m_menu, 5);
                                      InjectMouseMove(pt.x, pt.y);
                                  },
                                  [] {},
                                  [this, sub] {
                                      POINT pt = ItemCentre(sub, 0, 1);
                                      InjectMouseClick(pt.x, pt.y);
                                  }}),
              301u);
}

}  // namespace
