// Helpers of the list view and header tests: a parent window that records
// the notifications it gets and lets a test answer them, and input at
// client positions of a control.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/commctrl/commctrl.h"
#include "tests/platform/user/window_test_util.h"

namespace list_test {

struct Notice {
    UINT code;
    HWND from;
    int item = -1;
    int subItem = -1;
    UINT oldState = 0;
    UINT newState = 0;
    int from2 = -1;  // owner-data range, header button or width
    int to = -1;
    DWORD stage = 0;  // custom draw
};

// Records what it hears; `answer` may give the result of a notification.
class Parent {
public:
    std::vector<Notice> notices;
    std::function<LRESULT(NMHDR*)> answer;
    std::function<void(NMLVDISPINFOA*)> dispInfo;
    bool recordCustomDraw = true;

    std::vector<Notice> Of(UINT code) const {
        std::vector<Notice> out;
        for (const Notice& n : notices) {
            if (n.code == code) out.push_back(n);
        }
        return out;
    }
    std::vector<UINT> Codes() const {
        std::vector<UINT> out;
        for (const Notice& n : notices) out.push_back(n.code);
        return out;
    }

    LRESULT OnNotify(NMHDR* hdr) {
        Notice n{hdr->code, hdr->hwndFrom};
        switch (hdr->code) {
        case LVN_ITEMCHANGING:
        case LVN_ITEMCHANGED:
        case LVN_INSERTITEM:
        case LVN_DELETEITEM:
        case LVN_COLUMNCLICK: {
            auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
            n.item = nm->iItem;
            n.subItem = nm->iSubItem;
            n.oldState = nm->uOldState;
            n.newState = nm->uNewState;
            break;
        }
        case NM_CLICK:
        case NM_DBLCLK:
        case NM_RCLICK:
            if (hdr->idFrom == 1000) {  // the list views of these tests
                auto* nm = reinterpret_cast<NMITEMACTIVATE*>(hdr);
                n.item = nm->iItem;
                n.subItem = nm->iSubItem;
            }
            break;
        case LVN_ODSTATECHANGED: {
            auto* nm = reinterpret_cast<NMLVODSTATECHANGE*>(hdr);
            n.from2 = nm->iFrom;
            n.to = nm->iTo;
            n.newState = nm->uNewState;
            break;
        }
        case LVN_ODCACHEHINT: {
            auto* nm = reinterpret_cast<NMLVCACHEHINT*>(hdr);
            n.from2 = nm->iFrom;
            n.to = nm->iTo;
            break;
        }
        case LVN_GETDISPINFOA: {
            auto* nm = reinterpret_cast<NMLVDISPINFOA*>(hdr);
            n.item = nm->item.iItem;
            n.subItem = nm->item.iSubItem;
            if (dispInfo) dispInfo(nm);
            break;
        }
        case LVN_KEYDOWN:
            n.item = reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey;
            break;
        case NM_CUSTOMDRAW: {
            auto* nm = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
            n.stage = nm->nmcd.dwDrawStage;
            n.item = static_cast<int>(nm->nmcd.dwItemSpec);
            n.subItem = nm->iSubItem;
            if (!recordCustomDraw) n.code = 0;
            break;
        }
        default:
            if (hdr->code <= HDN_FIRST && hdr->code >= HDN_LAST) {
                auto* nm = reinterpret_cast<NMHEADERA*>(hdr);
                n.item = nm->iItem;
                n.from2 = nm->iButton;
                if (nm->pitem != nullptr && (nm->pitem->mask & HDI_WIDTH)) n.to = nm->pitem->cxy;
                if (nm->pitem != nullptr && (nm->pitem->mask & HDI_ORDER)) n.to = nm->pitem->iOrder;
            }
            break;
        }
        if (n.code != 0) notices.push_back(n);
        return answer ? answer(hdr) : 0;
    }
};

class ListTest : public user_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        user_test::WindowProbe* probe = NewProbe();
        probe->handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_NOTIFY) return parent.OnNotify(reinterpret_cast<NMHDR*>(l));
            return DefWindowProcA(h, m, w, l);
        };
        top = Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 620, 460);
    }
    void TearDown() override {
        for (UINT vk : {VK_SHIFT, VK_CONTROL}) trelwin::user::InjectKey(vk, false);
        trelwin::user::InjectMouseButton(0, false);
        user_test::Pump();
        WindowTest::TearDown();
    }

    HWND List(DWORD style, int x = 10, int y = 10, int cx = 400, int cy = 300, DWORD exStyle = 0) {
        return CreateWindowExA(exStyle, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | style, x, y, cx, cy, top,
                               reinterpret_cast<HMENU>(1000), nullptr, nullptr);
    }

    static void AddColumn(HWND list, int index, const char* text, int width, int format = LVCFMT_LEFT) {
        LVCOLUMNA c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        c.pszText = const_cast<char*>(text);
        c.cx = width;
        c.fmt = format;
        ASSERT_EQ(SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&c)), index);
    }

    static int AddItem(HWND list, int index, const std::string& text, LPARAM param = 0, int image = -1) {
        LVITEMA it{};
        it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        it.iItem = index;
        it.pszText = const_cast<char*>(text.c_str());
        it.lParam = param;
        it.iImage = image;
        return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
    }

    static void SetText(HWND list, int item, int sub, const std::string& text) {
        LVITEMA it{};
        it.iSubItem = sub;
        it.pszText = const_cast<char*>(text.c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it));
    }

    static std::string Text(HWND list, int item, int sub) {
        char buffer[260] = {};
        LVITEMA it{};
        it.iSubItem = sub;
        it.pszText = buffer;
        it.cchTextMax = sizeof(buffer);
        SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it));
        return buffer;
    }

    static RECT ItemRect(HWND list, int item, int code) {
        RECT r{};
        r.left = code;
        SendMessageA(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
        return r;
    }

    static RECT SubItemRect(HWND list, int item, int sub, int code) {
        RECT r{};
        r.left = code;
        r.top = sub;
        SendMessageA(list, LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&r));
        return r;
    }

    static POINT Screen(HWND hwnd, int x, int y) {
        POINT pt{x, y};
        ClientToScreen(hwnd, &pt);
        return pt;
    }

    // A left click at a client point, with the keys given held.
    void Click(HWND hwnd, int x, int y, std::vector<UINT> keys = {}, int button = 0) {
        for (UINT vk : keys) trelwin::user::InjectKey(vk, true);
        const POINT pt = Screen(hwnd, x, y);
        trelwin::user::InjectMouseClick(pt.x, pt.y, button, NextTime());
        for (UINT vk : keys) trelwin::user::InjectKey(vk, false);
        user_test::Pump();
    }

    void Key(UINT vk, std::vector<UINT> keys = {}) {
        for (UINT k : keys) trelwin::user::InjectKey(k, true);
        trelwin::user::InjectKey(vk, true);
        trelwin::user::InjectKey(vk, false);
        for (UINT k : keys) trelwin::user::InjectKey(k, false);
        user_test::Pump();
    }

    // Times far enough apart that two clicks never make a double click.
    DWORD NextTime() {
        m_time += 2000;
        return m_time;
    }

    static std::vector<int> Selected(HWND list) {
        std::vector<int> out;
        for (int i = -1; (i = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;) {
            out.push_back(i);
        }
        return out;
    }

    static void Paint(HWND hwnd) {
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
    }

    Parent parent;
    HWND top = nullptr;
    DWORD m_time = 1000000;
};

}  // namespace list_test
