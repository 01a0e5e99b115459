// Links of a drawn tip: the hit test over the link areas of the last
// drawing, the hover notification and the hand cursor, the click action; and
// the timer step of animated image strips.
#include "controls/tooltip/markup/markup_drawer.h"

#include "platform/user/cursors.h"
#include "platform/user/message_functions.h"
#include "platform/user/shell_execute.h"

namespace
{

enum : int
{
    NO_LINK = -2,
};

} // namespace

void CMarkupDrawer::SetRepaintTarget(HWND hWnd, UINT nMessage, LPARAM lParam)
{
    m_repaintTarget = MarkupTarget{hWnd, nMessage, lParam};
}

void CMarkupDrawer::SetLinkMessageTarget(HWND hWnd, UINT nMessage, LPARAM lParam)
{
    m_linkMessageTarget = MarkupTarget{hWnd, nMessage, lParam};
}

int CMarkupDrawer::FindHotArea(POINT pt) const
{
    for (size_t i = 0; i < m_arrHotAreas.size(); i++)
    {
        const RECT& rc = m_arrHotAreas[i].rect;
        if (pt.x >= rc.left && pt.x <= rc.right && pt.y >= rc.top && pt.y <= rc.bottom)
            return static_cast<int>(i);
    }
    return -1;
}

// The repaint target hears of every change of the link under the mouse, so
// that it draws the hovered link with its hover style.
void CMarkupDrawer::SetNotifiedLink(int nLink)
{
    if (nLink == m_nHoverLink)
        return;
    m_nHoverLink = nLink;
    if (m_repaintTarget.window != nullptr && m_repaintTarget.message != 0)
        SendMessageA(m_repaintTarget.window, m_repaintTarget.message, static_cast<WPARAM>(static_cast<INT_PTR>(nLink)),
                     m_repaintTarget.lParam);
}

bool CMarkupDrawer::OnSetCursor(POINT pt)
{
    const int nArea = FindHotArea(pt);
    if (nArea < 0)
    {
        SetNotifiedLink(NO_LINK);
        return false;
    }
    const HotArea& area = m_arrHotAreas[static_cast<size_t>(nArea)];
    const bool bHasTarget = !area.target.IsEmpty();
    SetNotifiedLink(area.linkIndex);
    if (!bHasTarget || m_hHandCursor == nullptr)
        return false;
    SetCursor(m_hHandCursor);
    return true;
}

void CMarkupDrawer::OnLButtonDown(POINT pt)
{
    const int nArea = FindHotArea(pt);
    if (nArea < 0)
        return;
    // A copy: the message's receiver may draw the tip again, which rebuilds
    // the link areas.
    const HotArea area = m_arrHotAreas[static_cast<size_t>(nArea)];
    if (area.target.IsEmpty())
        return;
    if (area.kind == LINK_KIND_URL)
        GotoURL(area.target);
    else if (area.kind == LINK_KIND_MESSAGE && m_linkMessageTarget.window != nullptr &&
             m_linkMessageTarget.message != 0)
        SendMessageA(m_linkMessageTarget.window, m_linkMessageTarget.message,
                     reinterpret_cast<WPARAM>(static_cast<const char*>(area.target)), m_linkMessageTarget.lParam);
}

// Only web addresses are opened, by the desktop's opener started directly
// with the address as its one argument; a link to a program, a file or any
// other scheme does nothing.
void CMarkupDrawer::GotoURL(const char* pszUrl)
{
    if (pszUrl != nullptr)
        ShellExecuteA(nullptr, "open", pszUrl, nullptr, nullptr, SW_SHOW);
}

bool CMarkupDrawer::OnTimer()
{
    bool bChanged = false;
    for (ImageListAnimation& animation : m_arrAnimations)
    {
        if (animation.frameCount <= 0)
            continue;
        animation.tick++;
        if (animation.tick < animation.speed)
            continue;
        animation.tick = 0;
        animation.frame = animation.frame + 1 >= animation.frameCount ? 0 : animation.frame + 1;
        bChanged = true;
    }
    return bChanged;
}

void CMarkupDrawer::SetDefaultCursor()
{
    if (m_hHandCursor == nullptr)
        m_hHandCursor = LoadCursorA(nullptr, IDC_HAND);
}
