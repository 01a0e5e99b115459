// The wizard sheet: three test pages walked with Next and Back by clicks and
// by Enter, the pages' vetoes and jumps, Finish and Cancel ending the modal
// run, removing pages, and the pixels of the header band and the buttons.
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/commctrl/commctrl.h"
#include "tests/platform/commctrl/wizard_test_pages.h"
#include "tests/platform/user/window_test_util.h"

using namespace user_test;
using trelwin::user::GetClientPixel;
using trelwin::user::InjectKey;
using trelwin::user::InjectMouseClick;

namespace {

constexpr int kPageIds[] = {901, 902, 903};
constexpr int kEditId = 100;
constexpr int kBrowseId = 101;

const trelwin::user::DialogItemTemplate kPageItems[] = {
    {"STATIC", "Type a name:", -1, WS_VISIBLE, 0, 7, 7, 100, 8},
    {"EDIT", "", kEditId, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 7, 20, 150, 14},
    {"BUTTON", "Browse", kBrowseId, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 160, 20, 50, 14},
};
const DLGTEMPLATE kPage = {WS_CHILD | DS_SETFONT, 0, 0, 0, 300, 120, nullptr, "MS Sans Serif", 8,
                           kPageItems, std::size(kPageItems)};
const DLGTEMPLATE kTallPage = {WS_CHILD | DS_SETFONT, 0, 0, 0, 200, 160, nullptr, "MS Sans Serif", 8,
                               kPageItems, std::size(kPageItems)};
trelwin::user::DialogTemplateRegistration g_page0(901, kPage);
trelwin::user::DialogTemplateRegistration g_page1(902, kTallPage);
trelwin::user::DialogTemplateRegistration g_page2(903, kPage);

struct Event {
    int page;
    UINT code;
};

// What the pages do: answers per page and notification (each answer is
// used once, then the default 0), buttons to set on activation, and a log.
struct PageScript {
    std::map<std::pair<int, UINT>, std::vector<LRESULT>> answers;
    DWORD buttons[3] = {PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_FINISH};
    std::vector<Event> events;
    int inits[3] = {0, 0, 0};
    std::vector<int> commands;
    HWND sheet = nullptr;
    HWND pages[3] = {};

    std::vector<UINT> CodesOf(int page) const {
        std::vector<UINT> codes;
        for (const Event& e : events) {
            if (e.page == page) codes.push_back(e.code);
        }
        return codes;
    }
};

PageScript* g_script = nullptr;

INT_PTR CALLBACK PageProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* psp = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
        SetWindowLongPtrA(hDlg, DWLP_USER, psp->lParam);
        g_script->inits[psp->lParam]++;
        g_script->pages[psp->lParam] = hDlg;
        g_script->sheet = GetParent(hDlg);
        return TRUE;
    }
    if (msg == WM_COMMAND && g_script && HIWORD(wParam) == BN_CLICKED) g_script->commands.push_back(LOWORD(wParam));
    if (msg != WM_NOTIFY || !g_script) return FALSE;
    const int index = static_cast<int>(GetWindowLongPtrA(hDlg, DWLP_USER));
    const auto* header = reinterpret_cast<NMHDR*>(lParam);
    g_script->events.push_back({index, header->code});
    if (header->code == PSN_SETACTIVE) PropSheet_SetWizButtons(GetParent(hDlg), g_script->buttons[index]);
    LRESULT answer = 0;
    auto found = g_script->answers.find({index, header->code});
    if (found != g_script->answers.end() && !found->second.empty()) {
        answer = found->second.front();
        found->second.erase(found->second.begin());
    }
    SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, answer);
    return TRUE;
}

class PropertySheetTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        g_script = &m_script;
    }
    void TearDown() override {
        WindowTest::TearDown();
        g_script = nullptr;
    }

    PROPSHEETHEADERA Header(DWORD flags = PSH_WIZARD | PSH_WIZARD97 | PSH_HEADER | PSH_PROPSHEETPAGE) {
        FillWizardPages(m_pages, kPageIds, PageProc);
        PROPSHEETHEADERA h{};
        h.dwSize = sizeof(h);
        h.dwFlags = flags;
        h.pszCaption = "Test wizard";
        h.nPages = 3;
        h.ppsp = m_pages;
        return h;
    }

    // Runs the sheet; each step runs inside its loop on a timer message,
    // which comes only when everything the previous step caused (posted
    // messages, input, painting) has been handled; a timer ends a sheet
    // that the steps leave open.
    INT_PTR Run(const PROPSHEETHEADERA& header, std::vector<std::function<void(HWND)>> steps) {
        WindowProbe* probe = NewProbe();
        m_steps = std::move(steps);
        m_next = 0;
        probe->handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m != WM_TIMER || w != kStepTimer) return DefWindowProcA(h, m, w, l);
            KillTimer(h, kStepTimer);
            if (m_next < m_steps.size()) {
                m_steps[m_next++](m_script.sheet);
                SetTimer(h, kStepTimer, 1, nullptr);
            }
            return 0;
        };
        HWND driver = Make(probe, WS_POPUP, 0, 0, 1, 1);
        SetTimer(driver, kStepTimer, 1, nullptr);
        const UINT_PTR guard = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) {
            if (g_script && g_script->sheet) EndDialog(g_script->sheet, -5);
        });
        const INT_PTR result = PropertySheetA(&header);
        KillTimer(nullptr, guard);
        DestroyWindow(driver);
        EXPECT_EQ(m_next, m_steps.size()) << "steps left when the sheet ended";
        return result;
    }

    static void Click(HWND sheet, int id) {
        RECT r{};
        GetWindowRect(GetDlgItem(sheet, id), &r);
        InjectMouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    static void Press(UINT vk) {
        InjectKey(vk, true);
        InjectKey(vk, false);
    }
    static HWND Current(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }
    static bool Shown(HWND sheet, int id) {
        HWND button = GetDlgItem(sheet, id);
        return IsWindowVisible(button) && IsWindowEnabled(button);
    }

    PageScript m_script;
    PROPSHEETPAGEA m_pages[3];
    std::vector<std::function<void(HWND)>> m_steps;
    size_t m_next = 0;
    static constexpr UINT_PTR kStepTimer = 77;
};

bool IsDark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 100; }

}  // namespace

TEST_F(PropertySheetTest, WalksWithNextAndBackByClicksAndEnterAndFinishes) {
    PROPSHEETHEADERA header = Header();
    const INT_PTR result = Run(
        header,
        {[&](HWND sheet) {
             char caption[64];
             GetWindowTextA(sheet, caption, sizeof(caption));
             EXPECT_STREQ(caption, "Test wizard");
             EXPECT_EQ(Current(sheet), m_script.pages[0]);
             // Pages are made when first shown.
             EXPECT_EQ(m_script.inits[1], 0);
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, ID_WIZBACK)));
             EXPECT_TRUE(Shown(sheet, ID_WIZNEXT));
             EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, ID_WIZFINISH)));
             EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, IDCANCEL)));
             EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, IDHELP)));
             EXPECT_EQ(GetDlgCtrlID(GetFocus()), kEditId);
             Click(sheet, ID_WIZNEXT);
         },
         [&](HWND sheet) {
             EXPECT_EQ(Current(sheet), m_script.pages[1]);
             EXPECT_FALSE(IsWindowVisible(m_script.pages[0]));
             EXPECT_TRUE(IsWindowVisible(m_script.pages[1]));
             EXPECT_TRUE(Shown(sheet, ID_WIZBACK));
             // The page fills the page area below the header, like every page.
             RECT a{}, b{};
             GetWindowRect(m_script.pages[1], &b);
             GetWindowRect(m_script.pages[0], &a);
             EXPECT_EQ(a.right - a.left, b.right - b.left);
             EXPECT_EQ(a.bottom - a.top, b.bottom - b.top);
             Press(VK_RETURN);  // the focus is in the page's edit box: Enter is Next
         },
         [&](HWND sheet) {
             EXPECT_EQ(Current(sheet), m_script.pages[2]);
             EXPECT_TRUE(Shown(sheet, ID_WIZFINISH));
             EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, ID_WIZNEXT)));
             EXPECT_EQ(LOWORD(SendMessageA(sheet, DM_GETDEFID, 0, 0)), ID_WIZFINISH);
             Click(sheet, ID_WIZBACK);
         },
         [&](HWND sheet) {
             EXPECT_EQ(Current(sheet), m_script.pages[1]);
             EXPECT_EQ(m_script.inits[1], 1);  // made once
             Click(sheet, ID_WIZNEXT);
         },
         [&](HWND) { Press(VK_RETURN); }});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_script.CodesOf(0), (std::vector<UINT>{PSN_SETACTIVE, PSN_WIZNEXT, PSN_KILLACTIVE}));
    EXPECT_EQ(m_script.CodesOf(1), (std::vector<UINT>{PSN_SETACTIVE, PSN_WIZNEXT, PSN_KILLACTIVE, PSN_SETACTIVE,
                                                      PSN_WIZNEXT, PSN_KILLACTIVE}));
    EXPECT_EQ(m_script.CodesOf(2), (std::vector<UINT>{PSN_SETACTIVE, PSN_WIZBACK, PSN_KILLACTIVE, PSN_SETACTIVE,
                                                      PSN_WIZFINISH}));
}

TEST_F(PropertySheetTest, PagesStayJumpAndSkipAsTheyAnswer) {
    m_script.answers[{0, PSN_WIZNEXT}] = {-1, 903};
    m_script.answers[{2, PSN_WIZFINISH}] = {TRUE};
    m_script.answers[{2, PSN_WIZBACK}] = {902};
    m_script.answers[{1, PSN_SETACTIVE}] = {-1};  // skipped once: Back goes on to page 0
    m_script.answers[{0, PSN_KILLACTIVE}] = {0, TRUE};
    PROPSHEETHEADERA header = Header();
    const INT_PTR result = Run(header, {[&](HWND sheet) { Click(sheet, ID_WIZNEXT); },
                                        [&](HWND sheet) {
                                            EXPECT_EQ(Current(sheet), m_script.pages[0]);  // -1: stays
                                            Click(sheet, ID_WIZNEXT);
                                        },
                                        [&](HWND sheet) {
                                            EXPECT_EQ(Current(sheet), m_script.pages[2]);  // jumped by template id
                                            EXPECT_EQ(m_script.inits[1], 0);
                                            Click(sheet, ID_WIZBACK);
                                        },
                                        [&](HWND sheet) {
                                            // Page 1 declined; the search went on backwards.
                                            EXPECT_EQ(Current(sheet), m_script.pages[0]);
                                            Click(sheet, ID_WIZNEXT);
                                        },
                                        [&](HWND sheet) {
                                            // Page 0 refused to be left.
                                            EXPECT_EQ(Current(sheet), m_script.pages[0]);
                                            EXPECT_TRUE(PropSheet_SetCurSelByID(sheet, 903));
                                        },
                                        [&](HWND sheet) {
                                            EXPECT_EQ(Current(sheet), m_script.pages[2]);
                                            Click(sheet, ID_WIZFINISH);
                                        },
                                        [&](HWND sheet) {
                                            EXPECT_EQ(Current(sheet), m_script.pages[2]);  // Finish vetoed
                                            EXPECT_TRUE(IsWindowVisible(sheet));
                                            PropSheet_PressButton(sheet, PSBTN_FINISH);
                                        }});
    EXPECT_EQ(result, 1);
}

TEST_F(PropertySheetTest, CancelAsksThePageAndResetsThePages) {
    m_script.answers[{1, PSN_QUERYCANCEL}] = {TRUE, TRUE};
    PROPSHEETHEADERA header = Header();
    bool vetoed = false;
    const INT_PTR result = Run(header, {[&](HWND sheet) { Click(sheet, ID_WIZNEXT); },
                                        [&](HWND sheet) { Click(sheet, IDCANCEL); },
                                        [&](HWND sheet) {
                                            vetoed = IsWindowVisible(sheet) && Current(sheet) == m_script.pages[1];
                                            SendMessageA(sheet, WM_CLOSE, 0, 0);  // the close box asks too
                                        },
                                        [&](HWND sheet) {
                                            vetoed = vetoed && IsWindowVisible(sheet);
                                            Press(VK_ESCAPE);
                                        }});
    EXPECT_TRUE(vetoed);
    EXPECT_EQ(result, 0);
    const std::vector<UINT> page1 = m_script.CodesOf(1);
    EXPECT_EQ(std::count(page1.begin(), page1.end(), PSN_QUERYCANCEL), 3);
    EXPECT_EQ(page1.back(), PSN_RESET);
    EXPECT_EQ(m_script.CodesOf(0).back(), PSN_RESET);
    EXPECT_TRUE(m_script.CodesOf(2).empty());  // never made
}

TEST_F(PropertySheetTest, DisabledFinishAndCancelDoNothing) {
    m_script.buttons[0] = PSWIZB_DISABLEDFINISH;
    PROPSHEETHEADERA header = Header();
    const INT_PTR result = Run(header, {[&](HWND sheet) {
                                            EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, ID_WIZFINISH)));
                                            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, ID_WIZFINISH)));
                                            EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, ID_WIZNEXT)));
                                            EnableWindow(GetDlgItem(sheet, IDCANCEL), FALSE);
                                            Press(VK_RETURN);
                                            Press(VK_ESCAPE);
                                            Click(sheet, IDCANCEL);
                                        },
                                        [&](HWND sheet) {
                                            EXPECT_TRUE(IsWindowVisible(sheet));
                                            PropSheet_SetWizButtons(sheet, PSWIZB_FINISH);
                                        },
                                        [&](HWND) { Press(VK_RETURN); }});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_script.CodesOf(0).back(), PSN_WIZFINISH);
}

TEST_F(PropertySheetTest, RemovingTheCurrentPageShowsTheNextOneAndAddedPagesJoin) {
    PROPSHEETHEADERA header = Header();
    const INT_PTR result = Run(header, {[&](HWND sheet) { Click(sheet, ID_WIZNEXT); },
                                        [&](HWND sheet) {
                                            EXPECT_TRUE(PropSheet_RemovePage(sheet, 1, nullptr));
                                            EXPECT_EQ(Current(sheet), m_script.pages[2]);
                                            EXPECT_EQ(SendMessageA(sheet, PSM_INDEXTOPAGE, 2, 0), 0);
                                            EXPECT_EQ(PropSheet_HwndToIndex(sheet, m_script.pages[2]), 1);
                                            auto first = reinterpret_cast<HPROPSHEETPAGE>(
                                                SendMessageA(sheet, PSM_INDEXTOPAGE, 0, 0));
                                            EXPECT_TRUE(PropSheet_RemovePage(sheet, 0, first));
                                            EXPECT_FALSE(PropSheet_RemovePage(sheet, 5, nullptr));
                                            EXPECT_EQ(PropSheet_HwndToIndex(sheet, m_script.pages[2]), 0);
                                            Click(sheet, ID_WIZBACK);  // nothing before it now
                                        },
                                        [&](HWND sheet) {
                                            EXPECT_EQ(Current(sheet), m_script.pages[2]);
                                            // A page added later is made when it is shown.
                                            EXPECT_TRUE(PropSheet_AddPage(sheet, CreatePropertySheetPageA(&m_pages[1])));
                                            EXPECT_EQ(m_script.inits[1], 1);
                                            EXPECT_TRUE(PropSheet_SetCurSel(sheet, nullptr, 1));
                                            EXPECT_EQ(m_script.inits[1], 2);
                                            EXPECT_EQ(Current(sheet), m_script.pages[1]);
                                            Click(sheet, ID_WIZBACK);
                                        },
                                        [&](HWND sheet) {
                                            EXPECT_EQ(Current(sheet), m_script.pages[2]);
                                            Click(sheet, ID_WIZFINISH);
                                        }});
    EXPECT_EQ(result, 1);
}

TEST_F(PropertySheetTest, HeaderBandShowsTheBoldTitleAndButtonsAreDrawn) {
    PROPSHEETHEADERA header = Header();
    const INT_PTR result = Run(header, {[&](HWND sheet) {
        UpdateWindow(sheet);
        for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            UpdateWindow(child);
        }
        RECT page{};
        GetWindowRect(m_script.pages[0], &page);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&page), 2);
        RECT client{};
        GetClientRect(sheet, &client);
        // The band above the page is white across the sheet, with an etched line under it.
        int band = 0;
        while (band < page.top && GetClientPixel(sheet, 2, band) == RGB(255, 255, 255)) ++band;
        EXPECT_GE(band, 40);
        EXPECT_LT(band, page.top);
        EXPECT_EQ(GetClientPixel(sheet, client.right - 3, 3), RGB(255, 255, 255));
        EXPECT_EQ(GetClientPixel(sheet, 2, band), GetSysColor(COLOR_3DSHADOW));

        // The title's dark pixels span the width of the text in the bold font.
        int first = -1, last = -1, top = -1;
        for (int y = 0; y < band / 2 + 4; ++y) {
            for (int x = 0; x < client.right / 2 + 100; ++x) {
                if (IsDark(GetClientPixel(sheet, x, y))) {
                    if (top < 0) top = y;
                    if (first < 0 || x < first) first = x;
                    last = std::max(last, x);
                }
            }
        }
        ASSERT_GE(top, 0);
        auto font = reinterpret_cast<HFONT>(SendMessageA(sheet, WM_GETFONT, 0, 0));
        LOGFONTA lf{};
        GetObjectA(font, sizeof(lf), &lf);
        lf.lfWeight = FW_BOLD;
        HFONT bold = CreateFontIndirectA(&lf);
        HDC hdc = CreateCompatibleDC(nullptr);
        SIZE normalSize{}, boldSize{};
        SelectObject(hdc, font);
        GetTextExtentPoint32A(hdc, kWizardPageTitles[0], static_cast<int>(strlen(kWizardPageTitles[0])), &normalSize);
        SelectObject(hdc, bold);
        GetTextExtentPoint32A(hdc, kWizardPageTitles[0], static_cast<int>(strlen(kWizardPageTitles[0])), &boldSize);
        DeleteDC(hdc);
        DeleteObject(bold);
        EXPECT_GT(boldSize.cx, normalSize.cx);
        EXPECT_NEAR(last - first + 1, boldSize.cx, 3);

        // Buttons: face colour with dark text, in a row at the bottom right.
        RECT next{}, cancel{};
        GetWindowRect(GetDlgItem(sheet, ID_WIZNEXT), &next);
        GetWindowRect(GetDlgItem(sheet, IDCANCEL), &cancel);
        EXPECT_EQ(next.top, cancel.top);
        EXPECT_LT(next.right, cancel.left);
        HWND button = GetDlgItem(sheet, IDCANCEL);
        RECT r{};
        GetClientRect(button, &r);
        int face = 0, dark = 0;
        for (int y = 2; y < r.bottom - 2; ++y) {
            for (int x = 2; x < r.right - 2; ++x) {
                const COLORREF c = GetClientPixel(button, x, y);
                face += c == GetSysColor(COLOR_3DFACE);
                dark += IsDark(c);
            }
        }
        EXPECT_GT(face, (r.right - 4) * (r.bottom - 4) / 2);
        EXPECT_GT(dark, 20);
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    }});
    EXPECT_EQ(result, 0);
}

TEST_F(PropertySheetTest, SizeComesFromTheLargestPage) {
    PROPSHEETHEADERA header = Header();
    Run(header, {[&](HWND sheet) {
        RECT page{}, wanted{0, 0, 300, 160};
        GetClientRect(m_script.pages[0], &page);
        MapDialogRect(sheet, &wanted);
        EXPECT_EQ(page.right, wanted.right);  // the widest page
        EXPECT_EQ(page.bottom, wanted.bottom);  // the tallest page
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    }});
}

TEST_F(PropertySheetTest, RefusesBadHeadersAndMissingTemplates) {
    EXPECT_EQ(PropertySheetA(nullptr), -1);
    PROPSHEETHEADERA header = Header();
    header.nPages = 0;
    EXPECT_EQ(PropertySheetA(&header), -1);
    PROPSHEETPAGEA missing = m_pages[0];
    missing.pszTemplate = MAKEINTRESOURCEA(999);
    EXPECT_EQ(CreatePropertySheetPageA(&missing), nullptr);
    HPROPSHEETPAGE page = CreatePropertySheetPageA(&m_pages[0]);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(DestroyPropertySheetPage(page));
}

TEST_F(PropertySheetTest, EnterOnAPageButtonClicksThatButtonNotNext) {
    PROPSHEETHEADERA header = Header();
    const INT_PTR result = Run(header, {[&](HWND) {
                                            SetFocus(GetDlgItem(m_script.pages[0], kBrowseId));
                                            Press(VK_RETURN);
                                        },
                                        [&](HWND sheet) {
                                            EXPECT_EQ(m_script.commands, (std::vector<int>{kBrowseId}));
                                            EXPECT_EQ(Current(sheet), m_script.pages[0]);
                                            PropSheet_PressButton(sheet, PSBTN_CANCEL);
                                        }});
    EXPECT_EQ(result, 0);
}

namespace {

HBITMAP SolidBitmap(int cx, int cy, COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, cx, cy);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    RECT r{0, 0, cx, cy};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(memory, &r, brush);
    DeleteObject(brush);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

}  // namespace

TEST_F(PropertySheetTest, ExteriorPageShowsTheWatermarkAndInteriorPagesTheHeaderBitmap) {
    HBITMAP watermark = SolidBitmap(60, 200, RGB(200, 0, 0));
    HBITMAP headerBitmap = SolidBitmap(30, 30, RGB(0, 0, 200));
    PROPSHEETHEADERA header = Header(PSH_WIZARD | PSH_WIZARD97 | PSH_HEADER | PSH_PROPSHEETPAGE | PSH_WATERMARK |
                                     PSH_USEHBMWATERMARK | PSH_USEHBMHEADER);
    header.hbmWatermark = watermark;
    header.hbmHeader = headerBitmap;
    m_pages[0].dwFlags = PSP_HIDEHEADER;
    auto paint = [](HWND sheet) {
        UpdateWindow(sheet);
        for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) UpdateWindow(child);
    };
    const INT_PTR result = Run(header, {[&](HWND sheet) {
                                            paint(sheet);
                                            RECT page{};
                                            GetWindowRect(m_script.pages[0], &page);
                                            MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&page), 2);
                                            EXPECT_EQ(page.left, 60);
                                            EXPECT_EQ(page.top, 0);
                                            EXPECT_EQ(GetClientPixel(sheet, 5, 5), RGB(200, 0, 0));
                                            EXPECT_EQ(GetClientPixel(sheet, 59, 150), RGB(200, 0, 0));
                                            Click(sheet, ID_WIZNEXT);
                                        },
                                        [&](HWND sheet) {
                                            paint(sheet);
                                            RECT client{};
                                            GetClientRect(sheet, &client);
                                            int blue = 0;
                                            for (int x = client.right / 2; x < client.right; ++x) {
                                                for (int y = 0; y < 50; ++y) {
                                                    blue += GetClientPixel(sheet, x, y) == RGB(0, 0, 200);
                                                }
                                            }
                                            EXPECT_EQ(blue, 30 * 30);
                                            EXPECT_EQ(GetClientPixel(sheet, 5, 5), RGB(255, 255, 255));
                                            PropSheet_PressButton(sheet, PSBTN_CANCEL);
                                        }});
    EXPECT_EQ(result, 0);
    DeleteObject(watermark);
    DeleteObject(headerBitmap);
}
