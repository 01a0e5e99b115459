// The DCs of windows: CPaintDC for WM_PAINT (BeginPaint / EndPaint),
// CClientDC for the client area and CWindowDC for the whole window
// (GetDC / GetWindowDC / ReleaseDC). Each gives its DC back when destroyed.
// A DC that cannot be had throws CResourceException.
#pragma once

#include "platform/afx/afx_dc.h"
#include "platform/afx/afx_wnd.h"

class CPaintDC : public CDC {
    DECLARE_DYNAMIC(CPaintDC)

public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd = nullptr;
};

class CClientDC : public CDC {
    DECLARE_DYNAMIC(CClientDC)

public:
    // Null: the whole screen.
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd = nullptr;
};

class CWindowDC : public CDC {
    DECLARE_DYNAMIC(CWindowDC)

public:
    // Null: the whole screen.
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd = nullptr;
};
