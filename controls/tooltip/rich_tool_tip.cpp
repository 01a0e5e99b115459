// The tip window: its class, creation and destruction, the tool registry
// and the messages it handles itself.
#include "controls/tooltip/rich_tool_tip.h"

#include "platform/base/exceptions.h"

namespace
{

const char TIP_CLASS_NAME[] = "CRichToolTip";
const UINT POLL_PERIOD = 100;

void RegisterTipClass()
{
    WNDCLASSA wc{};
    const HINSTANCE hInstance = AfxGetInstanceHandle();
    if (GetClassInfoA(hInstance, TIP_CLASS_NAME, &wc))
        return;
    wc = WNDCLASSA{};
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = TIP_CLASS_NAME;
    if (!AfxRegisterClass(&wc))
        AfxThrowResourceException();
}

bool SameArea(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

BEGIN_MESSAGE_MAP(CRichToolTip, CWnd)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_SETCURSOR()
    ON_WM_ACTIVATEAPP()
    ON_MESSAGE(WM_MOUSEACTIVATE, OnMouseActivateMessage)
    ON_MESSAGE(MSG_TOOLTIP_REPAINT, OnRepaintWindow)
END_MESSAGE_MAP()

CRichToolTip::CRichToolTip()
    : m_nShowDelay(500), m_nHideDelay(5000), m_bFadeIn(TRUE), m_bFadeOut(TRUE), m_nFadeInPeriod(0),
      m_nFadeOutPeriod(0), m_nDefaultBehaviour(0), m_nDefaultEffect(0), m_nDefaultDirection(0x10),
      m_nDefaultStyle(0), m_nDefaultGranularity(0), m_nDefaultTransparency(0), m_crDefault{},
      m_hBorderBrush(CreateSolidBrush(GetSysColor(COLOR_INFOTEXT))), m_nBorderWidth(1), m_nBorderHeight(1),
      m_nShadowX(6), m_nShadowY(6), m_bShadowGradient(TRUE), m_nShadowBlurX(7), m_nShadowBlurY(7),
      m_nShadowDarkness(50), m_nRoundX(0), m_nRoundY(0), m_nMarginX(0), m_nMarginY(0), m_nAnchorWidth(0),
      m_nAnchorHeight(0), m_nAnchorMargin(0), m_hNotifyWnd(nullptr), m_bRepaintOnRequest(TRUE),
      m_nState(STATE_HIDDEN), m_nTransparency(0), m_ptLast{-1, -1}, m_hShownWnd(nullptr), m_hNextWnd(nullptr),
      m_bNextPending(FALSE), m_bNextNeedsDelay(FALSE), m_nPlacement(0), m_ptAnchor{0, 0}, m_hRgn(nullptr),
      m_hBackground(nullptr), m_hSnapshot(nullptr), m_bSnapshotTaken(FALSE)
{
    const COLORREF crInfo = GetSysColor(COLOR_INFOBK);
    m_crDefault[0] = m_crDefault[1] = m_crDefault[2] = crInfo;
    SetDefaultSizes(TRUE);
    RegisterTipClass();
}

CRichToolTip::~CRichToolTip()
{
    FreeResources();
    RemoveAllTools();
    if (m_hBorderBrush != nullptr)
        DeleteObject(m_hBorderBrush);
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CRichToolTip::FreeResources()
{
    if (m_hRgn != nullptr)
        DeleteObject(m_hRgn);
    if (m_hBackground != nullptr)
        DeleteObject(m_hBackground);
    if (m_hSnapshot != nullptr)
        DeleteObject(m_hSnapshot);
    m_hRgn = nullptr;
    m_hBackground = m_hSnapshot = nullptr;
}

BOOL CRichToolTip::Create(CWnd* pParentWnd)
{
    const BOOL bCreated = CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TIP_CLASS_NAME, nullptr, WS_POPUP, 0, 0, 0, 0,
                                   pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, nullptr);
    if (!bCreated)
        return FALSE;
    SetDefaultSizes(FALSE);
    m_drawer.SetRepaintTarget(m_hWnd, m_hWnd != nullptr ? MSG_TOOLTIP_REPAINT : 0, 0);
    KillTimer(TIMER_POLL);
    SetTimer(TIMER_POLL, POLL_PERIOD);
    return TRUE;
}

BOOL CRichToolTip::DestroyWindow()
{
    HideNow();
    KillTimer(TIMER_POLL);
    return CWnd::DestroyWindow();
}

BOOL CRichToolTip::PreTranslateMessage(MSG* pMsg)
{
    RelayEvent(pMsg);
    return CWnd::PreTranslateMessage(pMsg);
}

void CRichToolTip::SetDefaultSizes(BOOL bBalloon)
{
    const int balloon[] = {16, 16, 12, 12, 12, 16, 16};
    const int rectangle[] = {0, 0, 3, 1, 0, 0, 0};
    const int* p = bBalloon ? balloon : rectangle;
    m_nRoundX = p[0];
    m_nRoundY = p[1];
    m_nMarginX = p[2];
    m_nMarginY = p[3];
    m_nAnchorWidth = p[4];
    m_nAnchorHeight = p[5];
    m_nAnchorMargin = p[6];
}

void CRichToolTip::AddTool(CWnd* pWnd, LPCSTR lpszText, LPCRECT lpRectBounds)
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return;
    _TToolInfo ti;
    ti.strText = lpszText != nullptr ? lpszText : "";
    if (lpRectBounds != nullptr)
        ti.rectBounds = *lpRectBounds;
    std::vector<_TToolInfo>& list = m_tools[pWnd->m_hWnd];
    for (_TToolInfo& existing : list)
    {
        if (SameArea(existing.rectBounds, ti.rectBounds))
        {
            existing = ti;
            return;
        }
    }
    list.push_back(ti);
}

void CRichToolTip::RemoveAllTools()
{
    m_tools.clear();
}

void CRichToolTip::OnDrawBorder(CDC* pDC, CRgn* pRgn)
{
    pDC->FrameRgn(pRgn, CBrush::FromHandle(m_hBorderBrush), m_nBorderWidth, m_nBorderHeight);
}

void CRichToolTip::OnPaint()
{
    CPaintDC dc(this);
    m_hShownWnd = m_hNextWnd;
    m_tiShown = m_tiNext;
    Redraw(&dc);
}

BOOL CRichToolTip::OnSetCursor(CWnd*, UINT, UINT)
{
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(&pt);
    if (!m_drawer.OnSetCursor(pt))
        ::SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
}

void CRichToolTip::OnActivateApp(BOOL bActive, DWORD dwThreadID)
{
    CWnd::OnActivateApp(bActive, dwThreadID);
    if (!bActive)
        HideNow();
}

LRESULT CRichToolTip::OnMouseActivateMessage(WPARAM, LPARAM)
{
    // A click on the tip leaves the window the user works in active.
    return MA_NOACTIVATE;
}

LRESULT CRichToolTip::OnRepaintWindow(WPARAM, LPARAM)
{
    if (!m_bRepaintOnRequest || m_hWnd == nullptr)
        return 1;
    CClientDC dc(this);
    m_nTransparency = 0;
    Redraw(&dc);
    return 1;
}
