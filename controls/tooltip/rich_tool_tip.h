// CRichToolTip: a top-most popup that shows rich-text tips (the mark-up of
// CMarkupDrawer) for tools, regions of other windows. The owner relays the
// mouse and keyboard messages of its windows (RelayEvent); after the show
// delay the tip asks its notify window for the text of the tool under the
// cursor (WM_NOTIFY MSG_TOOLTIP_DISPLAY), measures it, places itself and
// its anchor so that it stays on the screen, shapes itself (body, anchor,
// shadow), fades in over a snapshot of what lies beneath, and hides after
// the hide delay, when the mouse leaves the tool, on keys and clicks, and
// when the program is deactivated.
//
// Files: rich_tool_tip.cpp (window, tools, messages), rich_tool_tip_relay.cpp
// (relayed messages, timers, states), rich_tool_tip_show.cpp (measuring,
// placement, region, background), rich_tool_tip_paint.cpp (drawing with
// shadow and transparency).
//
// All of it runs on the thread that owns the window.
#pragma once

#include "controls/tooltip/markup/markup_drawer.h"
#include "platform/afx/afx.h"

#include <map>
#include <vector>

// WM_NOTIFY code sent to the notify window for the text of a tool.
const UINT MSG_TOOLTIP_DISPLAY = 0x464;
// Sent by the drawer to the tip when the link under the cursor changes.
const UINT MSG_TOOLTIP_REPAINT = 0x465;

// Which fields a tool sets itself (the others come from the defaults).
enum : UINT
{
    RTT_MASK_STYLE = 0x1,
    RTT_MASK_EFFECT = 0x2,
    RTT_MASK_COLORS = 0x4,
    RTT_MASK_DIRECTION = 0x8,
    RTT_MASK_BEHAVIOUR = 0x10,
    RTT_MASK_TRANSPARENCY = 0x20,
};

// Behaviour flags of a tool.
enum : UINT
{
    RTT_BEHAVIOUR_MULTIPLE_SHOW = 0x1, // every move inside the shown tool asks again
    RTT_BEHAVIOUR_TRACK_MOUSE = 0x2,   // the tip follows the cursor
    RTT_BEHAVIOUR_CLOSE_ON_LEAVE = 0x4, // moves inside the tool only restart the hide timer
    RTT_BEHAVIOUR_NOCLOSE_OVER = 0x8,   // the cursor over the tip keeps it
    RTT_BEHAVIOUR_DISABLE_AUTOPOP = 0x10, // no hide timer
};

// One tool: a region of a window and how its tip looks.
struct _TToolInfo
{
    UINT nID = 0;
    RECT rectBounds{0, 0, 0, 0};   // client coordinates; empty: the whole window
    CString strText;
    UINT nMask = 0;
    UINT nStyles = 0;
    UINT nDirection = 0;
    int nEffect = 0;
    UINT nBehaviour = 0;
    BYTE nGranularity = 0;
    BYTE nTransparency = 0;
    COLORREF crBegin = 0;
    COLORREF crMid = 0;
    COLORREF crEnd = 0;
};

// The block of MSG_TOOLTIP_DISPLAY: the receiver may set the tool's text
// (an empty text shows nothing) and the position the tip points at.
struct NM_RTT_DISPLAY
{
    NMHDR hdr;
    HWND hwndTool;
    POINT* pt;
    _TToolInfo* ti;
};

class CRichToolTip : public CWnd
{
public:
    // Display states.
    enum _eState
    {
        STATE_HIDDEN = 0,
        STATE_APPEARING = 1,
        STATE_SHOWN = 2,
        STATE_DISAPPEARING = 3,
    };
    // Timers.
    enum : UINT_PTR
    {
        TIMER_SHOW = 0x100,
        TIMER_HIDE = 0x101,
        TIMER_FADE_IN = 0x102,
        TIMER_FADE_OUT = 0x103,
        TIMER_POLL = 0x104,
    };

    CRichToolTip();
    ~CRichToolTip() override;

    BOOL Create(CWnd* pParentWnd);
    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void AddTool(CWnd* pWnd, LPCSTR lpszText = "", LPCRECT lpRectBounds = nullptr);
    void RemoveAllTools();
    // Feeds a message of a tool's window to the tip.
    void RelayEvent(MSG* pMsg);
    // Balloon sizes (rounded body, anchor) or the rectangle set.
    void SetDefaultSizes(BOOL bBalloon = TRUE);
    void SetNotify(HWND hWnd) { m_hNotifyWnd = hWnd; }
    void SetBehaviour(UINT nBehaviour) { m_nDefaultBehaviour = nBehaviour; }
    void SetDelayTime(UINT nShow, UINT nHide)
    {
        m_nShowDelay = nShow;
        m_nHideDelay = nHide;
    }
    void SetFadePeriods(UINT nFadeIn, UINT nFadeOut)
    {
        m_nFadeInPeriod = nFadeIn;
        m_nFadeOutPeriod = nFadeOut;
    }
    void SetDefaultEffect(int nEffect, COLORREF cr1, COLORREF cr2, COLORREF cr3, BYTE nGranularity = 0)
    {
        m_nDefaultEffect = nEffect;
        m_crDefault[0] = cr1;
        m_crDefault[1] = cr2;
        m_crDefault[2] = cr3;
        m_nDefaultGranularity = nGranularity;
    }
    void SetDefaultDirection(UINT nDirection) { m_nDefaultDirection = nDirection; }

    int GetState() const { return m_nState; }
    int GetTransparency() const { return m_nTransparency; }
    UINT GetPlacement() const { return m_nPlacement; }
    const CRect& GetTipRect() const { return m_rcTip; }
    CMarkupDrawer& GetDrawer() { return m_drawer; }
    HWND GetShownTool() const { return m_hShownWnd; }

    virtual void OnDrawBorder(CDC* pDC, CRgn* pRgn);

protected:
    afx_msg void OnPaint();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnActivateApp(BOOL bActive, DWORD dwThreadID);
    afx_msg LRESULT OnMouseActivateMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRepaintWindow(WPARAM wParam, LPARAM lParam);

    // Relay and states (rich_tool_tip_relay.cpp).
    // The tool under a point of the screen; false for none.
    bool FindTool(POINT ptScreen, HWND& hWnd, _TToolInfo& ti);
    void RequestTip(HWND hWnd, const _TToolInfo& ti);
    void OnShowStep();
    void OnFadeInStep();
    void OnHideStep();
    void OnFadeOutStep();
    void StartHideTimer();
    void HideNow();
    void ForgetShownTool();
    bool CursorOverTip(POINT ptScreen) const;

    // Showing (rich_tool_tip_show.cpp).
    void ShowTip();
    void CompleteFromDefaults(_TToolInfo& ti) const;
    // Corrects the requested placement so the tip stays on the screen and
    // returns the anchor point inside the window rectangle (set here).
    POINT Place(POINT pt, UINT& nPlacement, CRect& rcWindow) const;
    void BuildRegion(const CRect& rcWindow, UINT nPlacement, POINT ptAnchor);
    void BuildBackground(const CRect& rcWindow, UINT nPlacement);
    void TakeSnapshot(const CRect& rcScreen);

    // Drawing (rich_tool_tip_paint.cpp).
    void Redraw(CDC* pDC);

    // A rounded body's region takes in its right and bottom edge, one pixel
    // past the tip rectangle, and what is drawn of the tip covers that much.
    // The window is the tip rectangle grown by the shadow offsets, which
    // shows that edge whenever there is a shadow.
    CSize LayerSize() const { return CSize(m_rcTip.Width() + 1, m_rcTip.Height() + 1); }
    CSize WindowSize() const { return CSize(m_rcTip.Width() + m_nShadowX, m_rcTip.Height() + m_nShadowY); }

    void FreeResources();

    CMarkupDrawer m_drawer;
    std::map<HWND, std::vector<_TToolInfo>> m_tools;

    // Settings.
    UINT m_nShowDelay;
    UINT m_nHideDelay;
    BOOL m_bFadeIn;
    BOOL m_bFadeOut;
    UINT m_nFadeInPeriod;
    UINT m_nFadeOutPeriod;
    UINT m_nDefaultBehaviour;
    int m_nDefaultEffect;
    UINT m_nDefaultDirection;
    UINT m_nDefaultStyle;
    BYTE m_nDefaultGranularity;
    BYTE m_nDefaultTransparency;
    COLORREF m_crDefault[3];
    HBRUSH m_hBorderBrush;
    int m_nBorderWidth;
    int m_nBorderHeight;
    int m_nShadowX;
    int m_nShadowY;
    BOOL m_bShadowGradient;
    int m_nShadowBlurX;
    int m_nShadowBlurY;
    int m_nShadowDarkness;
    int m_nRoundX;
    int m_nRoundY;
    int m_nMarginX;
    int m_nMarginY;
    int m_nAnchorWidth;
    int m_nAnchorHeight;
    int m_nAnchorMargin;
    HWND m_hNotifyWnd;
    BOOL m_bRepaintOnRequest;

    // Display state.
    int m_nState;
    int m_nTransparency;
    POINT m_ptLast;              // screen position of the last relayed move
    HWND m_hShownWnd;
    _TToolInfo m_tiShown;
    HWND m_hNextWnd;
    _TToolInfo m_tiNext;
    BOOL m_bNextPending;
    BOOL m_bNextNeedsDelay;
    UINT m_nPlacement;
    CRect m_rcTip;               // tip rectangle on the screen (body and anchor, no shadow)
    CRect m_rcText;              // text rectangle in window coordinates
    POINT m_ptAnchor;            // anchor point in window coordinates
    HRGN m_hRgn;                 // body and anchor, window coordinates
    HBITMAP m_hBackground;       // background with the effect, LayerSize()
    HBITMAP m_hSnapshot;         // what lies beneath the window (with the shadow's room)
    BOOL m_bSnapshotTaken;

    DECLARE_MESSAGE_MAP()
};
