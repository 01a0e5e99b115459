// CWnd: the object behind a window, subclassing, message routing and
// reflection.
#include "platform/afx/afx_wnd.h"

#include "platform/afx/afx_win_app.h"
#include "platform/afx/afx_wnd_internal.h"
#include "platform/base/process.h"

using trelwin::afx::GetWndThreadState;
using trelwin::afx::WndMap;

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

namespace {

// The main window belongs to the application's thread; objects that go on
// other threads (temporary ones at a thread's end) never look at it.
CWinApp* AppOfThisThread() {
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_nThreadID == ::GetCurrentThreadId() ? app : nullptr;
}

}  // namespace

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_NCDESTROY()
    ON_WM_CTLCOLOR()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
END_MESSAGE_MAP()

CWnd::~CWnd() {
    if (CWinApp* app = AppOfThisThread(); app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        // Only the window's own thread can destroy it; elsewhere the window
        // stays and is let go.
        ::DestroyWindow(m_hWnd);
        if (m_hWnd != nullptr) Detach();
    }
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    return WndMap::FromHandle(hWnd, [](void* handle) {
        auto wnd = std::make_unique<CWnd>();
        wnd->m_hWnd = static_cast<HWND>(handle);
        return wnd;
    });
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return hWnd != nullptr ? WndMap::LookupPermanent(hWnd) : nullptr; }

void CWnd::DeleteTempMap() { WndMap::FreeTemporaries(); }

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWndNew) != nullptr) return FALSE;
    return WndMap::Attach(this, m_hWnd, hWndNew) ? TRUE : FALSE;
}

HWND CWnd::Detach() { return WndMap::Detach(this, m_hWnd); }

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!::IsWindow(hWnd) || !Attach(hWnd)) return FALSE;
    PreSubclassWindow();
    auto old = reinterpret_cast<WNDPROC>(::SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (old == nullptr) {
        // Another thread's window: its procedure cannot be replaced here.
        Detach();
        return FALSE;
    }
    if (old != &AfxWndProc) m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (pParent == nullptr) return FALSE;
    HWND hWndControl = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
    return hWndControl != nullptr ? SubclassWindow(hWndControl) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd == nullptr) return nullptr;
    if (m_pfnSuper != nullptr) {
        ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    return Detach();
}

void CWnd::ReleaseDestroyedWindow() {
    if (m_pfnSuper != nullptr) {
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtr(m_hWnd, GWLP_WNDPROC)) == &AfxWndProc) {
            ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        }
        m_pfnSuper = nullptr;
    }
    Detach();
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) return FALSE;
    const HWND hWnd = m_hWnd;
    const bool owned = FromHandlePermanent(hWnd) == this;
    const BOOL result = ::DestroyWindow(hWnd);
    // A temporary object is not let go by WM_NCDESTROY; it lets go here.
    // An owned one may be deleted by now (PostNcDestroy).
    if (!owned && result) m_hWnd = nullptr;
    return result;
}

void CWnd::PreSubclassWindow() {}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT result = 0;
    BOOL handled = FALSE;
    if (message == WM_COMMAND) {
        handled = OnCommand(wParam, lParam);
        result = handled ? 1 : 0;
    } else if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        handled = header != nullptr && header->hwndFrom != nullptr && OnNotify(wParam, lParam, &result);
    } else {
        AFX_MSGARGS args{message, wParam, lParam, 0, nullptr, 0};
        void* target = static_cast<AfxMapRoot*>(this);
        handled = AfxDispatchMessageMap(GetMessageMap(), target, message, 0, 0, args);
        // ON_WM_CTLCOLOR entries take every WM_CTLCOLOR... message.
        if (!handled && message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
            handled = AfxDispatchMessageMap(GetMessageMap(), target, WM_CTLCOLOR, 0, 0, args);
        }
        result = args.result;
    }
    if (handled && pResult != nullptr) *pResult = result;
    return handled;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) return ::CallWindowProc(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG& msg = GetWndThreadState().lastSentMsg;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg)) return TRUE;
        if (hWnd == hWndStop) break;
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT nID = LOWORD(wParam);
    const auto hWndCtrl = reinterpret_cast<HWND>(lParam);
    int nCode = HIWORD(wParam);
    if (hWndCtrl == nullptr) {
        if (nID == 0) return FALSE;
        nCode = CN_COMMAND;
    } else if (ReflectLastMsg(hWndCtrl)) {
        return TRUE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    const HWND hWndCtrl = header->hwndFrom;
    if (ReflectLastMsg(hWndCtrl, pResult)) return TRUE;
    const UINT nID = static_cast<UINT>(::GetDlgCtrlID(hWndCtrl));
    AFX_NOTIFY notify{pResult, header};
    return OnCmdMsg(nID, MAKELONG(header->code, WM_NOTIFY), &notify, nullptr);
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult) {
    CWnd* pWnd = FromHandlePermanent(hWndChild);
    return pWnd != nullptr ? pWnd->SendChildNotifyLastMsg(pResult) : FALSE;
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* pResult) {
    const MSG msg = GetWndThreadState().lastSentMsg;
    return OnChildNotify(msg.message, msg.wParam, msg.lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        return CWnd::OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
    case WM_COMMAND:
        if (CWnd::OnCmdMsg(0, MAKELONG(HIWORD(wParam), WM_REFLECT_BASE + WM_COMMAND), nullptr, nullptr)) {
            if (pResult != nullptr) *pResult = 1;
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        LRESULT ignored = 0;
        AFX_NOTIFY notify{pResult != nullptr ? pResult : &ignored, header};
        return CWnd::OnCmdMsg(0, MAKELONG(header->code, WM_REFLECT_BASE + WM_NOTIFY), &notify, nullptr);
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        AFX_CTLCOLOR ctl{m_hWnd, reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX};
        LRESULT brush = 0;
        // A control that gives no brush leaves the colours to its parent.
        if (!CWnd::OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLOR, 0, reinterpret_cast<LPARAM>(&ctl), &brush) ||
            brush == 0) {
            return FALSE;
        }
        if (pResult != nullptr) *pResult = brush;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void CWnd::OnNcDestroy() {
    if (CWinApp* app = AppOfThisThread(); app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    Default();
    ReleaseDestroyedWindow();
    PostNcDestroy();
}

void CWnd::OnHScroll(UINT, UINT, CScrollBar* pScrollBar) {
    if (pScrollBar != nullptr && ReflectLastMsg(pScrollBar->m_hWnd)) return;
    Default();
}

void CWnd::OnVScroll(UINT, UINT, CScrollBar* pScrollBar) {
    if (pScrollBar != nullptr && ReflectLastMsg(pScrollBar->m_hWnd)) return;
    Default();
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (ReflectLastMsg(lpDrawItemStruct->hwndItem)) return;
    Default();
}

void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
    if (ReflectLastMsg(::GetDlgItem(m_hWnd, static_cast<int>(lpMeasureItemStruct->CtlID)))) return;
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT) {
    LRESULT result = 0;
    if (pWnd != nullptr && ReflectLastMsg(pWnd->m_hWnd, &result)) return reinterpret_cast<HBRUSH>(result);
    return reinterpret_cast<HBRUSH>(Default());
}

IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

namespace {

void ForgetScrollBar(CScrollBar* pBar) { pBar->m_hWnd = nullptr; }

using ScrollBarTemporaries = trelwin::afx::HandleMap<CScrollBar, &ForgetScrollBar>;

}  // namespace

CScrollBar* CScrollBar::FromHandle(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    CWnd* owner = FromHandlePermanent(hWnd);
    if (owner != nullptr && owner->IsKindOf(RUNTIME_CLASS(CScrollBar))) return static_cast<CScrollBar*>(owner);
    return ScrollBarTemporaries::FromHandle(hWnd, [](void* handle) {
        auto bar = std::make_unique<CScrollBar>();
        bar->m_hWnd = static_cast<HWND>(handle);
        return bar;
    });
}
