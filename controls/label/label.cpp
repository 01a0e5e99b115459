#include "controls/label/label.h"

BEGIN_MESSAGE_MAP(CLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_TIMER()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CLabel::CLabel(BOOL bAutoSize)
    : m_crText(::GetSysColor(COLOR_WINDOWTEXT)),
      m_hBackBrush(::CreateSolidBrush(::GetSysColor(COLOR_3DFACE))),
      m_hBlinkBrush(::CreateSolidBrush(::GetSysColor(COLOR_3DFACE))),
      m_logFont(),
      m_nBlinkPhase(0),
      m_nFlag1(0),
      m_nFlag2(1),
      m_nBlinkMode(BLINK_NONE),
      m_hCursor(nullptr),
      m_bAutoSize(bAutoSize)
{
    ::GetObject(::GetStockObject(DEFAULT_GUI_FONT), sizeof(m_logFont), &m_logFont);
    m_font.CreateFontIndirect(&m_logFont);
}

CLabel::~CLabel()
{
    m_font.DeleteObject();
    ::DeleteObject(m_hBackBrush);
    ::DeleteObject(m_hBlinkBrush);
}

CLabel& CLabel::SetText(const CString& strText)
{
    if (m_bAutoSize && m_hWnd != nullptr)
    {
        CRect measured(0, 0, 0, 0);
        CDC* pDC = GetDC();
        CFont* pOld = pDC->SelectObject(&m_font);
        pDC->DrawText(strText, &measured, DT_CALCRECT);
        pDC->SelectObject(pOld);
        ReleaseDC(pDC);
        SetWindowPos(nullptr, 0, 0, measured.Width(), measured.Height(), SWP_NOMOVE | SWP_NOZORDER);
    }
    SetWindowText(strText);
    return *this;
}

CLabel& CLabel::SetBkColor(COLORREF crColor)
{
    ::DeleteObject(m_hBackBrush);
    m_hBackBrush = ::CreateSolidBrush(crColor);
    return *this;
}

HBRUSH CLabel::CtlColor(CDC* pDC, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC)
        return nullptr;
    pDC->SelectObject(&m_font);
    pDC->SetTextColor(m_crText);
    pDC->SetBkMode(TRANSPARENT);
    if (m_nBlinkMode == BLINK_COLOUR && m_nBlinkPhase == 0)
        return m_hBlinkBrush;
    return m_hBackBrush;
}

void CLabel::OnTimer(UINT_PTR nIDEvent)
{
    m_nBlinkPhase = !m_nBlinkPhase;
    if (m_nBlinkMode == BLINK_TEXT)
    {
        SetWindowText(m_nBlinkPhase == 1 ? "" : static_cast<LPCSTR>(m_strBlinkText));
    }
    else if (m_nBlinkMode == BLINK_COLOUR)
    {
        InvalidateRect(nullptr, FALSE);
        UpdateWindow();
    }
    CStatic::OnTimer(nIDEvent);
}

void CLabel::OnLButtonDown(UINT nFlags, CPoint point)
{
    // The platform opens web links only; any other text is refused there.
    CString text;
    GetWindowText(text);
    ::ShellExecuteA(nullptr, "open", text, nullptr, nullptr, SW_SHOWNORMAL);
    CStatic::OnLButtonDown(nFlags, point);
}

BOOL CLabel::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (m_hCursor != nullptr)
    {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return CStatic::OnSetCursor(pWnd, nHitTest, message);
}
