// CLabel: a static text control that paints with its own text colour,
// background brush and font (through the reflected colour message), can
// size itself to its text, and opens its text as a web link when clicked.
// Clicks reach it only when its control has SS_NOTIFY; a label made
// without that style (the Discover page's legend) never opens anything.
//
// Blinking and a cursor of its own are prepared (timer handling, cursor
// handling) but nothing sets them: they keep their initial values.
#pragma once

#include "platform/afx/afx.h"

class CLabel : public CStatic
{
public:
    enum
    {
        BLINK_NONE = 0,
        BLINK_TEXT = 1,
        BLINK_COLOUR = 2,
    };

    explicit CLabel(BOOL bAutoSize = FALSE);
    ~CLabel() override;

    // Sets the window text; with auto-size on, first resizes the window to
    // the text measured with the label's font (position and z-order kept).
    CLabel& SetText(const CString& strText);
    // The background from the next paint on.
    CLabel& SetBkColor(COLORREF crColor);

protected:
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

    DECLARE_MESSAGE_MAP()

private:
    COLORREF m_crText;
    HBRUSH m_hBackBrush;
    HBRUSH m_hBlinkBrush;
    LOGFONT m_logFont;
    CFont m_font;
    CString m_strBlinkText;
    int m_nBlinkPhase;
    int m_nFlag1;
    int m_nFlag2;
    int m_nBlinkMode;
    HCURSOR m_hCursor;
    BOOL m_bAutoSize;
};
