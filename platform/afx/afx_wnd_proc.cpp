// AfxWndProc: from a window's messages to its object.
#include "platform/afx/afx_wnd_internal.h"

namespace trelwin::afx {

WndThreadState& GetWndThreadState() {
    thread_local WndThreadState state;
    return state;
}

}  // namespace trelwin::afx

using trelwin::afx::GetWndThreadState;

const MSG* AfxGetCurrentMessage() { return &GetWndThreadState().lastSentMsg; }

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    auto& state = GetWndThreadState();
    struct Restore {
        MSG saved;
        ~Restore() { GetWndThreadState().lastSentMsg = saved; }
    } restore{state.lastSentMsg};
    state.lastSentMsg = MSG{hWnd, nMsg, wParam, lParam, 0, {}};

    LRESULT result = pWnd->WindowProc(nMsg, wParam, lParam);
    // A class whose map or WindowProc kept WM_NCDESTROY from CWnd::OnNcDestroy
    // must not leave its object tied to a window that is gone. The object
    // is looked up by handle, since OnNcDestroy may have deleted it.
    if (nMsg == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd) {
        pWnd->ReleaseDestroyedWindow();
        pWnd->PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr) {
        auto& state = GetWndThreadState();
        if (state.pWndInit == nullptr || state.pWndInit->m_hWnd != nullptr) {
            // A window of a framework class that no object took.
            return ::DefWindowProc(hWnd, nMsg, wParam, lParam);
        }
        pWnd = state.pWndInit;
        state.pWndInit = nullptr;
        pWnd->Attach(hWnd);
        pWnd->PreSubclassWindow();
    }
    return AfxCallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
}
