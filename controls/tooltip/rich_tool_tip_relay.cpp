// The relayed messages of the tools' windows and the timers that take the
// tip from hidden through appearing and shown to disappearing.
#include "controls/tooltip/rich_tool_tip.h"

#include <algorithm>

namespace
{

enum : int
{
    FADE_STEP = 20,
    FULLY_OPAQUE = 0,
    FULLY_INVISIBLE = 100,
};

bool IsEmptyArea(const RECT& rc)
{
    return rc.left >= rc.right || rc.top >= rc.bottom;
}

bool Contains(const RECT& rc, POINT pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

bool SameTool(HWND hA, const _TToolInfo& a, HWND hB, const _TToolInfo& b)
{
    return hA == hB && a.rectBounds.left == b.rectBounds.left && a.rectBounds.top == b.rectBounds.top &&
           a.rectBounds.right == b.rectBounds.right && a.rectBounds.bottom == b.rectBounds.bottom;
}

} // namespace

void CRichToolTip::RelayEvent(MSG* pMsg)
{
    if (pMsg == nullptr || m_hWnd == nullptr)
        return;
    switch (pMsg->message)
    {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
        HideNow();
        return;
    case WM_LBUTTONDOWN:
    {
        POINT pt;
        GetCursorPos(&pt);
        if (CursorOverTip(pt))
        {
            ScreenToClient(&pt);
            m_drawer.OnLButtonDown(pt);
        }
        HideNow();
        return;
    }
    case WM_MOUSEMOVE:
        break;
    default:
        return;
    }

    POINT pt;
    GetCursorPos(&pt);
    if (pt.x == m_ptLast.x && pt.y == m_ptLast.y)
        return;
    m_ptLast = pt;

    const bool bOverTip = CursorOverTip(pt);
    if (bOverTip && !(m_tiShown.nBehaviour & RTT_BEHAVIOUR_TRACK_MOUSE))
    {
        if (m_tiShown.nBehaviour & RTT_BEHAVIOUR_NOCLOSE_OVER)
            StartHideTimer();
        else
            OnHideStep();
        return;
    }
    HWND hTool = nullptr;
    _TToolInfo ti;
    if (!FindTool(pt, hTool, ti))
    {
        ForgetShownTool();
        KillTimer(TIMER_SHOW);
        OnHideStep();
        return;
    }
    if (!SameTool(hTool, ti, m_hShownWnd, m_tiShown))
    {
        RequestTip(hTool, ti);
        return;
    }
    const UINT nBehaviour = m_tiShown.nBehaviour;
    if (nBehaviour & RTT_BEHAVIOUR_TRACK_MOUSE)
    {
        StartHideTimer();
        if (m_nState != STATE_HIDDEN)
            SetWindowPos(nullptr, pt.x - m_ptAnchor.x, pt.y - m_ptAnchor.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    else if (nBehaviour & RTT_BEHAVIOUR_CLOSE_ON_LEAVE)
        StartHideTimer();
    else if (nBehaviour & RTT_BEHAVIOUR_MULTIPLE_SHOW)
        RequestTip(hTool, ti);
    else
        OnHideStep();
}

bool CRichToolTip::CursorOverTip(POINT ptScreen) const
{
    if (m_hWnd == nullptr || !IsWindowVisible())
        return false;
    return ::WindowFromPoint(ptScreen) == m_hWnd;
}

bool CRichToolTip::FindTool(POINT pt, HWND& hWnd, _TToolInfo& ti)
{
    const HWND hAtPoint = ::WindowFromPoint(pt);
    if (hAtPoint == nullptr)
        return false;
    // Over the tip itself this is the tip's owner, which the lookup goes on
    // with (a tip that follows the cursor is always under it).
    HWND hParent = ::GetParent(hAtPoint);
    if (hParent == nullptr)
        return false;
    HWND hCandidate = nullptr;
    char szClass[32] = "";
    GetClassNameA(hParent, szClass, sizeof(szClass));
    if ((::GetWindowLongA(hParent, GWL_STYLE) & 0xF) == 2 && CString(szClass).CompareNoCase("combobox") == 0)
        hCandidate = hParent;
    else
    {
        POINT ptIn = pt;
        ::ScreenToClient(hParent, &ptIn);
        hCandidate = ::ChildWindowFromPoint(hParent, ptIn);
        // The parent itself answers for a popup it owns: the popup is the
        // candidate, but for the tip it is whatever its owner has there.
        if (hCandidate == hParent && hAtPoint != m_hWnd)
            hCandidate = hAtPoint;
        if (hCandidate == nullptr || !::IsWindowEnabled(hCandidate))
            return false;
    }
    const auto found = m_tools.find(hCandidate);
    if (found == m_tools.end() || found->second.empty())
        return false;
    const std::vector<_TToolInfo>& list = found->second;
    if (list.size() == 1 && IsEmptyArea(list[0].rectBounds))
    {
        hWnd = hCandidate;
        ti = list[0];
        return true;
    }
    // Areas of a scroll view are places of its content.
    POINT ptTool = pt;
    ::ScreenToClient(hCandidate, &ptTool);
    const CWnd* pCandidate = CWnd::FromHandlePermanent(hCandidate);
    if (pCandidate != nullptr && pCandidate->IsKindOf(RUNTIME_CLASS(CScrollView)))
    {
        const CPoint ptScrolled = static_cast<const CScrollView*>(pCandidate)->GetScrollPosition();
        ptTool.x += ptScrolled.x;
        ptTool.y += ptScrolled.y;
    }
    for (const _TToolInfo& candidate : list)
    {
        if (IsEmptyArea(candidate.rectBounds) || Contains(candidate.rectBounds, ptTool))
        {
            hWnd = hCandidate;
            ti = candidate;
            return true;
        }
    }
    return false;
}

void CRichToolTip::RequestTip(HWND hWnd, const _TToolInfo& ti)
{
    m_bNextPending = FALSE;
    if (m_nState == STATE_APPEARING)
        KillTimer(TIMER_FADE_IN);
    if (m_nState == STATE_APPEARING || m_nState == STATE_SHOWN)
        OnHideStep();
    m_hNextWnd = hWnd;
    m_tiNext = ti;
    if (m_nState != STATE_HIDDEN)
    {
        m_bNextPending = TRUE;
        m_bNextNeedsDelay = m_nShowDelay != 0;
        return;
    }
    if (m_nShowDelay != 0)
        SetTimer(TIMER_SHOW, m_nShowDelay);
    else
        OnShowStep();
}

void CRichToolTip::OnTimer(UINT_PTR nIDEvent)
{
    switch (nIDEvent)
    {
    case TIMER_SHOW:
        OnShowStep();
        break;
    case TIMER_HIDE:
        OnHideStep();
        break;
    case TIMER_FADE_IN:
        OnFadeInStep();
        break;
    case TIMER_FADE_OUT:
        OnFadeOutStep();
        break;
    case TIMER_POLL:
        if (IsWindowVisible() && m_nState == STATE_SHOWN && m_drawer.OnTimer())
        {
            CClientDC dc(this);
            Redraw(&dc);
        }
        break;
    default:
        CWnd::OnTimer(nIDEvent);
        break;
    }
}

void CRichToolTip::OnShowStep()
{
    KillTimer(TIMER_SHOW);
    POINT pt;
    GetCursorPos(&pt);
    if (pt.x != m_ptLast.x || pt.y != m_ptLast.y)
    {
        // The cursor moved on since the tool was asked for.
        if (m_nState == STATE_APPEARING || m_nState == STATE_SHOWN)
            OnHideStep();
    }
    if (m_nState != STATE_HIDDEN)
        return;
    m_nState = STATE_APPEARING;
    ShowTip();
    if (m_nState == STATE_HIDDEN)
        return;
    if (m_bFadeIn && m_nFadeInPeriod != 0)
        SetTimer(TIMER_FADE_IN, m_nFadeInPeriod);
    else
    {
        m_nState = STATE_SHOWN;
        StartHideTimer();
    }
}

void CRichToolTip::StartHideTimer()
{
    KillTimer(TIMER_HIDE);
    if (m_nHideDelay != 0 && !(m_tiShown.nBehaviour & RTT_BEHAVIOUR_DISABLE_AUTOPOP))
        SetTimer(TIMER_HIDE, m_nHideDelay);
}

void CRichToolTip::OnFadeInStep()
{
    // The fade ends when a step reaches or passes the tool's transparency.
    const int nTarget = m_tiShown.nTransparency;
    m_nTransparency = std::max(m_nTransparency - FADE_STEP, static_cast<int>(FULLY_OPAQUE));
    if (m_nTransparency <= nTarget)
    {
        m_nTransparency = nTarget;
        KillTimer(TIMER_FADE_IN);
        m_nState = STATE_SHOWN;
        StartHideTimer();
    }
    CClientDC dc(this);
    Redraw(&dc);
}

void CRichToolTip::OnHideStep()
{
    KillTimer(TIMER_SHOW);
    KillTimer(TIMER_FADE_IN);
    KillTimer(TIMER_HIDE);
    if (m_nState == STATE_DISAPPEARING)
        return;
    if (m_nState == STATE_HIDDEN)
    {
        // Nothing is shown: a pending request waits no longer for a hide.
        if (m_bNextPending)
            OnFadeOutStep();
        return;
    }
    m_nState = STATE_DISAPPEARING;
    if (m_bFadeOut && m_nFadeOutPeriod != 0)
        SetTimer(TIMER_FADE_OUT, m_nFadeOutPeriod);
    else
    {
        m_nTransparency = FULLY_INVISIBLE;
        OnFadeOutStep();
    }
}

void CRichToolTip::OnFadeOutStep()
{
    m_nTransparency = m_nTransparency >= FULLY_INVISIBLE - FADE_STEP ? FULLY_INVISIBLE : m_nTransparency + FADE_STEP;
    if (m_nTransparency < FULLY_INVISIBLE)
    {
        CClientDC dc(this);
        Redraw(&dc);
        return;
    }
    KillTimer(TIMER_FADE_OUT);
    if (m_tiShown.nBehaviour & RTT_BEHAVIOUR_MULTIPLE_SHOW)
        ForgetShownTool();
    ShowWindow(SW_HIDE);
    m_nState = STATE_HIDDEN;
    if (m_bNextPending)
    {
        m_bNextPending = FALSE;
        if (m_bNextNeedsDelay && m_nShowDelay != 0)
            SetTimer(TIMER_SHOW, m_nShowDelay);
        else
            OnShowStep();
    }
}

void CRichToolTip::HideNow()
{
    m_nState = STATE_HIDDEN;
    m_bNextPending = FALSE;
    if (m_hWnd == nullptr)
        return;
    for (UINT_PTR nTimer : {TIMER_SHOW, TIMER_HIDE, TIMER_FADE_IN, TIMER_FADE_OUT})
        KillTimer(nTimer);
    if (IsWindowVisible())
    {
        if (m_tiShown.nBehaviour & RTT_BEHAVIOUR_MULTIPLE_SHOW)
            ForgetShownTool();
        ShowWindow(SW_HIDE);
    }
}

void CRichToolTip::ForgetShownTool()
{
    m_hShownWnd = nullptr;
    m_tiShown = _TToolInfo();
}
