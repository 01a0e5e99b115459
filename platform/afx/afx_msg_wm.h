// The ON_WM_... entries of message maps: each calls the handler of the
// usual name with the message's arguments unpacked into their own types.
// Included by afx_msg_map.h; the types named here (CWnd, CDC, CPoint,
// CScrollBar) come from afx_wnd.h, which every class with a map includes.
#pragma once

#define TRELWIN_MSG_POINT CPoint(GET_X_LPARAM(a.lParam), GET_Y_LPARAM(a.lParam))
#define TRELWIN_MSG_WND(value) CWnd::FromHandle(reinterpret_cast<HWND>(value))

// Handlers without arguments and without a result.
#define TRELWIN_WM_VOID(msg, memberFxn) TRELWIN_WM_ENTRY(msg, self->memberFxn(); return TRUE;)
// Mouse buttons and moves: void memberFxn(UINT nFlags, CPoint point).
#define TRELWIN_WM_MOUSE(msg, memberFxn) \
    TRELWIN_WM_ENTRY(msg, self->memberFxn(static_cast<UINT>(a.wParam), TRELWIN_MSG_POINT); return TRUE;)
// Keys: void memberFxn(UINT nChar, UINT nRepCnt, UINT nFlags).
#define TRELWIN_WM_KEY(msg, memberFxn) \
    TRELWIN_WM_ENTRY(msg, \
                     self->memberFxn(static_cast<UINT>(a.wParam), LOWORD(a.lParam), HIWORD(a.lParam)); \
                     return TRUE;)
// Scroll bars: void memberFxn(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar).
#define TRELWIN_WM_SCROLL(msg, memberFxn) \
    TRELWIN_WM_ENTRY(msg, \
                     self->memberFxn(LOWORD(a.wParam), static_cast<UINT>(static_cast<short>(HIWORD(a.wParam))), \
                                     CScrollBar::FromHandle(reinterpret_cast<HWND>(a.lParam))); \
                     return TRUE;)

// int OnCreate(LPCREATESTRUCT)
#define ON_WM_CREATE() \
    TRELWIN_WM_ENTRY(WM_CREATE, a.result = self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(a.lParam)); return TRUE;)
#define ON_WM_DESTROY() TRELWIN_WM_VOID(WM_DESTROY, OnDestroy)
#define ON_WM_NCDESTROY() TRELWIN_WM_VOID(WM_NCDESTROY, OnNcDestroy)
#define ON_WM_CLOSE() TRELWIN_WM_VOID(WM_CLOSE, OnClose)
#define ON_WM_PAINT() TRELWIN_WM_VOID(WM_PAINT, OnPaint)
#define ON_WM_CANCELMODE() TRELWIN_WM_VOID(WM_CANCELMODE, OnCancelMode)
#define ON_WM_MOUSELEAVE() TRELWIN_WM_VOID(WM_MOUSELEAVE, OnMouseLeave)
// BOOL OnEraseBkgnd(CDC*)
#define ON_WM_ERASEBKGND() \
    TRELWIN_WM_ENTRY(WM_ERASEBKGND, \
                     a.result = self->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(a.wParam))); \
                     return TRUE;)
// void OnSize(UINT nType, int cx, int cy)
#define ON_WM_SIZE() \
    TRELWIN_WM_ENTRY(WM_SIZE, \
                     self->OnSize(static_cast<UINT>(a.wParam), GET_X_LPARAM(a.lParam), GET_Y_LPARAM(a.lParam)); \
                     return TRUE;)
// void OnMove(int x, int y)
#define ON_WM_MOVE() \
    TRELWIN_WM_ENTRY(WM_MOVE, self->OnMove(GET_X_LPARAM(a.lParam), GET_Y_LPARAM(a.lParam)); return TRUE;)
// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER() TRELWIN_WM_ENTRY(WM_TIMER, self->OnTimer(static_cast<UINT_PTR>(a.wParam)); return TRUE;)
// void OnShowWindow(BOOL bShow, UINT nStatus)
#define ON_WM_SHOWWINDOW() \
    TRELWIN_WM_ENTRY(WM_SHOWWINDOW, \
                     self->OnShowWindow(static_cast<BOOL>(a.wParam), static_cast<UINT>(a.lParam)); \
                     return TRUE;)
// void OnActivateApp(BOOL bActive, DWORD dwThreadID)
#define ON_WM_ACTIVATEAPP() \
    TRELWIN_WM_ENTRY(WM_ACTIVATEAPP, \
                     self->OnActivateApp(static_cast<BOOL>(a.wParam), static_cast<DWORD>(a.lParam)); \
                     return TRUE;)
// void OnWindowPosChanging(WINDOWPOS*) and OnWindowPosChanged(WINDOWPOS*)
#define ON_WM_WINDOWPOSCHANGING() \
    TRELWIN_WM_ENTRY(WM_WINDOWPOSCHANGING, \
                     self->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(a.lParam)); \
                     return TRUE;)
#define ON_WM_WINDOWPOSCHANGED() \
    TRELWIN_WM_ENTRY(WM_WINDOWPOSCHANGED, \
                     self->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(a.lParam)); \
                     return TRUE;)

#define ON_WM_MOUSEMOVE() TRELWIN_WM_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() TRELWIN_WM_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() TRELWIN_WM_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() TRELWIN_WM_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() TRELWIN_WM_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() TRELWIN_WM_MOUSE(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() TRELWIN_WM_MOUSE(WM_RBUTTONDBLCLK, OnRButtonDblClk)
#define ON_WM_MBUTTONDOWN() TRELWIN_WM_MOUSE(WM_MBUTTONDOWN, OnMButtonDown)
#define ON_WM_MBUTTONUP() TRELWIN_WM_MOUSE(WM_MBUTTONUP, OnMButtonUp)
#define ON_WM_MBUTTONDBLCLK() TRELWIN_WM_MOUSE(WM_MBUTTONDBLCLK, OnMButtonDblClk)
// BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt); pt on the screen
#define ON_WM_MOUSEWHEEL() \
    TRELWIN_WM_ENTRY(WM_MOUSEWHEEL, \
                     a.result = self->OnMouseWheel(LOWORD(a.wParam), static_cast<short>(HIWORD(a.wParam)), \
                                                   TRELWIN_MSG_POINT); \
                     return TRUE;)
// BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
#define ON_WM_SETCURSOR() \
    TRELWIN_WM_ENTRY(WM_SETCURSOR, \
                     a.result = self->OnSetCursor(TRELWIN_MSG_WND(a.wParam), LOWORD(a.lParam), HIWORD(a.lParam)); \
                     return TRUE;)
// LRESULT OnNcHitTest(CPoint point); point on the screen
#define ON_WM_NCHITTEST() TRELWIN_WM_ENTRY(WM_NCHITTEST, a.result = self->OnNcHitTest(TRELWIN_MSG_POINT); return TRUE;)
// void OnCaptureChanged(CWnd* pWnd)
#define ON_WM_CAPTURECHANGED() \
    TRELWIN_WM_ENTRY(WM_CAPTURECHANGED, self->OnCaptureChanged(TRELWIN_MSG_WND(a.lParam)); return TRUE;)
// void OnSetFocus(CWnd* pOldWnd), void OnKillFocus(CWnd* pNewWnd)
#define ON_WM_SETFOCUS() TRELWIN_WM_ENTRY(WM_SETFOCUS, self->OnSetFocus(TRELWIN_MSG_WND(a.wParam)); return TRUE;)
#define ON_WM_KILLFOCUS() TRELWIN_WM_ENTRY(WM_KILLFOCUS, self->OnKillFocus(TRELWIN_MSG_WND(a.wParam)); return TRUE;)
// UINT OnGetDlgCode()
#define ON_WM_GETDLGCODE() TRELWIN_WM_ENTRY(WM_GETDLGCODE, a.result = self->OnGetDlgCode(); return TRUE;)
// void OnContextMenu(CWnd* pWnd, CPoint pos)
#define ON_WM_CONTEXTMENU() \
    TRELWIN_WM_ENTRY(WM_CONTEXTMENU, self->OnContextMenu(TRELWIN_MSG_WND(a.wParam), TRELWIN_MSG_POINT); return TRUE;)

#define ON_WM_KEYDOWN() TRELWIN_WM_KEY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() TRELWIN_WM_KEY(WM_KEYUP, OnKeyUp)
#define ON_WM_SYSKEYDOWN() TRELWIN_WM_KEY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_SYSKEYUP() TRELWIN_WM_KEY(WM_SYSKEYUP, OnSysKeyUp)
#define ON_WM_CHAR() TRELWIN_WM_KEY(WM_CHAR, OnChar)

// void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT), void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT)
#define ON_WM_DRAWITEM() \
    TRELWIN_WM_ENTRY(WM_DRAWITEM, \
                     self->OnDrawItem(static_cast<int>(a.wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(a.lParam)); \
                     a.result = TRUE; \
                     return TRUE;)
#define ON_WM_MEASUREITEM() \
    TRELWIN_WM_ENTRY(WM_MEASUREITEM, \
                     self->OnMeasureItem(static_cast<int>(a.wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(a.lParam)); \
                     a.result = TRUE; \
                     return TRUE;)

#define ON_WM_HSCROLL() TRELWIN_WM_SCROLL(WM_HSCROLL, OnHScroll)
#define ON_WM_VSCROLL() TRELWIN_WM_SCROLL(WM_VSCROLL, OnVScroll)

// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor), for every
// WM_CTLCOLOR... message; nCtlColor is its CTLCOLOR_ kind.
#define ON_WM_CTLCOLOR() \
    TRELWIN_WM_ENTRY(WM_CTLCOLOR, \
                     a.result = reinterpret_cast<LRESULT>(self->OnCtlColor( \
                         CDC::FromHandle(reinterpret_cast<HDC>(a.wParam)), TRELWIN_MSG_WND(a.lParam), \
                         a.message - WM_CTLCOLORMSGBOX)); \
                     return TRUE;)
// HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) of a control that colours
// itself; a null brush leaves the colouring to the parent.
#define ON_WM_CTLCOLOR_REFLECT() \
    TRELWIN_WM_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, { \
        auto* c = reinterpret_cast<AFX_CTLCOLOR*>(a.lParam); \
        a.result = reinterpret_cast<LRESULT>(self->CtlColor(CDC::FromHandle(c->hDC), c->nCtlType)); \
        return TRUE; \
    })
