// CBriselListCtrl: construction, the window's messages and the header's
// context menu. Items live in brisel_list_items.cpp, columns in
// brisel_list_columns.cpp, drawing in brisel_list_draw.cpp, sorting in
// brisel_list_sort.cpp, the stored layout in brisel_list_layout.cpp.
#include "controls/listctrl/brisel_list_ctrl.h"

#include "common/language/language.h"
#include "controls/listctrl/brisel_list_ids.h"

UINT MSG_BRISELLISTCTRL_KEYDOWN = RegisterWindowMessageA("MSG_BRISELLISTCTRL_KEYDOWN");

CItemData::CItemData()
    : m_item()
{
    m_item.iImage = -1;
    m_szText[0] = '\0';
}

IMPLEMENT_DYNAMIC(CBriselListCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CBriselListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
    ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
    ON_COMMAND(ID_BRISELLIST_CHOOSE_COLUMNS, OnChooseColumns)
    ON_COMMAND(ID_BRISELLIST_ORDER_BY, OnOrderBy)
    ON_WM_KEYDOWN()
    ON_WM_VSCROLL()
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_WM_CREATE()
    ON_NOTIFY(MSG_TOOLTIP_DISPLAY, 0, OnToolTipDisplay)
END_MESSAGE_MAP()

CBriselListCtrl::CBriselListCtrl(int nNameId, int nBrand, BOOL bKeyNotify)
    : m_nBrand(nBrand),
      m_bKeyNotify(bKeyNotify ? 1 : 0)
{
    m_strListName.Format("%d", nNameId);
}

CBriselListCtrl::~CBriselListCtrl()
{
    DeleteAllItems();
    m_fontBold.DeleteObject();
}

BOOL CBriselListCtrl::IsOwnerData() const
{
    return m_hWnd != nullptr && (GetStyle() & LVS_OWNERDATA) != 0;
}

void CBriselListCtrl::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    HWND hHeader = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    if (hHeader != nullptr && m_header.m_hWnd == nullptr)
    {
        m_header.SubclassWindow(hHeader);
    }
    if (hHeader != nullptr)
    {
        CreateTip();
    }
}

int CBriselListCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CListCtrl::OnCreate(lpCreateStruct) == -1)
    {
        return -1;
    }
    if (m_header.m_hWnd == nullptr)
    {
        PreSubclassWindow();
    }
    return 0;
}

void CBriselListCtrl::OnDestroy()
{
    if (m_bPersist)
    {
        SaveSettings(m_strListName);
    }
    CListCtrl::OnDestroy();
}

BOOL CBriselListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pNotify = reinterpret_cast<const NMHDR*>(lParam);
    if (m_bMenu && pNotify->idFrom == 0 && pNotify->hwndFrom == m_header.m_hWnd && pNotify->code == NM_RCLICK)
    {
        ShowHeaderMenu();
    }
    return CListCtrl::OnNotify(wParam, lParam, pResult);
}

void CBriselListCtrl::ShowHeaderMenu()
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_BRISELLIST_HEADER_MENU))
    {
        return;
    }
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup != nullptr)
    {
        g_Language.TranslateMenu(pPopup, IDR_BRISELLIST_HEADER_MENU, 1);
        CPoint point;
        GetCursorPos(&point);
        // The commands come back to the list as WM_COMMAND.
        pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
    }
    menu.DestroyMenu();
}

BOOL CBriselListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_NOTIFY)
    {
        const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        if (code == LVN_INSERTITEM || code == LVN_DELETEITEM)
        {
            m_bInsertDeleteSeen = 1;
        }
        else if (code == NM_CUSTOMDRAW && m_bInsertDeleteSeen && m_bResort)
        {
            ResortAfterChange();
        }
    }
    return CListCtrl::OnChildNotify(message, wParam, lParam, pResult);
}

void CBriselListCtrl::ResortAfterChange()
{
    m_bInsertDeleteSeen = 0;
    if (SortByColumn(m_header.FirstSortKey(), FALSE, FALSE))
    {
        // The rows under the cursor changed: the cursor's own position
        // again makes hover and tip state follow.
        CPoint point;
        GetCursorPos(&point);
        SetCursorPos(point.x, point.y);
    }
}

void CBriselListCtrl::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (IsOwnerData())
    {
        GetItem(&reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item);
    }
    *pResult = 0;
}

void CBriselListCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    CWnd* pParent = GetParent();
    if (m_bKeyNotify && pParent != nullptr)
    {
        pParent->SendMessage(MSG_BRISELLISTCTRL_KEYDOWN, nChar, 0);
    }
    CListCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CBriselListCtrl::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    CListCtrl::OnVScroll(nSBCode, nPos, pScrollBar);
    if (nSBCode < 4)
    {
        // SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN.
        const int nTop = GetTopIndex();
        RedrawItems(nTop, nTop + GetCountPerPage());
    }
}

void CBriselListCtrl::OnSize(UINT nType, int cx, int cy)
{
    // While a divider is dragged, or the column selection dialog is open,
    // the list keeps its layout.
    if (m_header.IsTracking())
    {
        return;
    }
    CListCtrl::OnSize(nType, cx, cy);
}
