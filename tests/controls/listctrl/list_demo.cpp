// The device list as the Discover page shows it, in a window of its own on
// the display the environment gives, for a person or a driver outside the
// process (xdotool on Xvfb) to click, sort, and open the column dialogs.
//
//   trelwin_listctrl_demo [REGISTRY_FOLDER [PICTURE]]
//
// The column layout is kept in REGISTRY_FOLDER (default: the user's), so
// a second run shows the layout the first one left. With PICTURE, what the
// screen shows is written there as PNG twice a second, menus and dialogs
// included. At the start it prints
//   column N X Y
// for each header item, its centre relative to the window's top-left
// corner, "close X Y" for a point of its close box, and then "ready". After each sort it prints "sorted" and the IP
// texts of the first five rows; when the window goes, "keys" with the sort
// keys ("column:direction") and "order" with the display order. Closing the
// window ends it (exit code 0); left alone it ends after 120 seconds.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/listctrl/brisel_list_ctrl.h"
#include "platform/afx/afx.h"
#include "platform/display/display.h"
#include "platform/user/painting.h"
#include "tests/controls/listctrl/made_up_devices.h"

namespace {

constexpr UINT_PTR kGuardTimer = 1;
constexpr UINT_PTR kPictureTimer = 2;
const char* g_picture = nullptr;
constexpr UINT kAfterSort = WM_APP + 7;
bool g_timedOut = false;

// The window that holds the list, with the Discover page's window text
// (the list files its layout under it); it reports what the list did.
class CDemoPage : public CWnd {
public:
    CBriselListCtrl m_list;

    void PrintFirstRows() {
        std::printf("sorted");
        for (int i = 0; i < 5 && i < m_list.GetItemCount(); ++i) {
            std::printf(" %s", static_cast<LPCSTR>(m_list.GetItemText(i, 0)));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        const NMHDR* pNotify = reinterpret_cast<const NMHDR*>(lParam);
        const BOOL handled = CWnd::OnNotify(wParam, lParam, pResult);
        if (pNotify->hwndFrom == m_list.m_hWnd && pNotify->code == LVN_COLUMNCLICK) PostMessage(kAfterSort);
        return handled;
    }
    LRESULT OnAfterSort(WPARAM, LPARAM) {
        PrintFirstRows();
        return 0;
    }
    // Before the list goes (and saves its layout): what the user made of it.
    void OnDestroy() {
        std::printf("keys");
        for (int column : m_list.GetHeader().GetSortKeys()) {
            std::printf(" %d:%s", column, m_list.GetHeader().GetDirection(column) ? "down" : "up");
        }
        std::printf("\norder");
        int order[16] = {};
        const int count = m_list.GetHeader().GetItemCount();
        if (count <= 16 && m_list.GetColumnOrderArray(order, count)) {
            for (int i = 0; i < count; ++i) std::printf(" %d", order[i]);
        }
        std::printf("\n");
        std::fflush(stdout);
        CWnd::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDemoPage, CWnd)
    ON_MESSAGE(kAfterSort, OnAfterSort)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// The top-level window: ends the run when it is closed.
class CDemoFrame : public CWnd {
protected:
    void PostNcDestroy() override {
        ::PostQuitMessage(0);
        delete this;
    }
};

void Fill(CBriselListCtrl& list) {
    for (int i = 0; i < 250; ++i) {
        const std::vector<std::string> device = listctrl_test::MadeUpDevice(i);
        const int at = list.InsertItem(i, device[0].c_str());
        for (int c = 1; c < 5; ++c) list.SetItemText(at, c, device[c].c_str());
        if (listctrl_test::IsUnreachable(i)) list.SetRowColors(at, RGB(0, 0, 0), RGB(248, 18, 18));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) setenv("TRELWIN_REGISTRY_DIR", argv[1], 1);
    if (argc > 2) g_picture = argv[2];
    trelwin::display::choose_for_program();
    CDemoFrame* frame = new CDemoFrame;
    if (!frame->CreateEx(0, nullptr, "Trelwin device list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 860, 560,
                         nullptr, nullptr)) {
        return 3;
    }
    CRect client;
    frame->GetClientRect(&client);
    CDemoPage page;
    page.CreateEx(0, nullptr, "PropertyPageDiscover", WS_CHILD | WS_VISIBLE, 0, 0, client.Width(), client.Height(),
                  frame->m_hWnd, nullptr);
    CBriselListCtrl& list = page.m_list;
    list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_ALIGNLEFT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                CRect(8, 8, client.Width() - 8, client.Height() - 8), &page, 1000);
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const char* titles[] = {"IP", "Name", "Type", "Version", "Line Status"};
    const int widths[] = {150, 150, 150, 100, 150};
    int count = 5;
    list.RestoreSettings(&count);
    for (int i = 0; i < 5; ++i) {
        list.InsertColumn(i, titles[i], LVCFMT_CENTER, widths[i]);
        list.SetColumnSortType(i, TIPO_ORDENACION_TEXTO);
    }
    Fill(list);
    list.SetFocus();

    CRect window;
    frame->GetWindowRect(&window);
    for (int i = 0; i < list.GetHeader().GetItemCount(); ++i) {
        CRect item;
        list.GetHeader().GetItemRect(i, &item);
        list.GetHeader().ClientToScreen(&item);
        std::printf("column %d %d %d\n", i, item.CenterPoint().x - window.left, item.CenterPoint().y - window.top);
    }
    // The close box: the caption's point that the window says closes it.
    for (int y = window.top; y < window.top + 40; ++y) {
        int x = window.right - 1;
        while (x > window.right - 60 && frame->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(x, y)) != HTCLOSE) --x;
        if (x > window.right - 60) {
            std::printf("close %d %d\n", x - 6 - window.left, y + 6 - window.top);
            break;
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);

    SetTimer(nullptr, kGuardTimer, 120000, [](HWND, UINT, UINT_PTR, DWORD) {
        g_timedOut = true;
        ::PostQuitMessage(1);
    });
    if (g_picture != nullptr) {
        SetTimer(nullptr, kPictureTimer, 500, [](HWND, UINT, UINT_PTR, DWORD) {
            std::string error;
            if (!trelwin::user::SaveScreenPng(g_picture, &error)) std::fprintf(stderr, "%s\n", error.c_str());
        });
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (CWnd::WalkPreTranslateTree(nullptr, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (g_timedOut) {
        std::printf("timed out\n");
        frame->DestroyWindow();
        return 1;
    }
    return 0;
}
