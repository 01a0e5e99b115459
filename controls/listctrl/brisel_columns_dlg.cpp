// The column dialogs and the list's handlers of the header menu's commands.
#include "controls/listctrl/brisel_columns_dlg.h"

#include <algorithm>
#include <vector>

#include "controls/listctrl/brisel_list_ids.h"

namespace
{

std::vector<int> DisplayOrder(CBriselHeaderCtrl& header)
{
    const int nCount = header.GetItemCount();
    std::vector<int> order(static_cast<size_t>(std::max(nCount, 0)));
    if (nCount <= 0 || !header.GetOrderArray(order.data(), nCount))
    {
        order.clear();
    }
    return order;
}

}  // namespace

BEGIN_MESSAGE_MAP(CBriselColumnsDlgBase, CLangDialog)
    ON_LBN_DBLCLK(IDC_BRISELLIST_AVAILABLE, OnAddColumn)
    ON_BN_CLICKED(IDC_BRISELLIST_ADD, OnAddColumn)
    ON_LBN_DBLCLK(IDC_BRISELLIST_SELECTED, OnRemoveColumn)
    ON_BN_CLICKED(IDC_BRISELLIST_REMOVE, OnRemoveColumn)
    ON_NOTIFY(UDN_DELTAPOS, IDC_BRISELLIST_SPIN, OnSpinDelta)
END_MESSAGE_MAP()

CBriselColumnsDlgBase::CBriselColumnsDlgBase(UINT nIDTemplate, CBriselListCtrl* pList)
    : CLangDialog(nIDTemplate),
      m_pList(pList)
{
}

CBriselColumnsDlgBase::~CBriselColumnsDlgBase() = default;

void CBriselColumnsDlgBase::DoDataExchange(CDataExchange* pDX)
{
    CLangDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BRISELLIST_SELECTED, m_listSelected);
    DDX_Control(pDX, IDC_BRISELLIST_AVAILABLE, m_listAvailable);
}

void CBriselColumnsDlgBase::MoveSelected(CListBox& from, CListBox& to)
{
    const int nSelected = from.GetCurSel();
    if (nSelected < 0)
    {
        return;
    }
    CString strText;
    from.GetText(nSelected, strText);
    const DWORD_PTR nColumn = from.GetItemData(nSelected);
    from.DeleteString(static_cast<UINT>(nSelected));
    const int nAt = to.AddString(strText);
    if (nAt >= 0)
    {
        to.SetItemData(nAt, nColumn);
    }
    from.SetCurSel(0);
}

void CBriselColumnsDlgBase::AddColumnEntry(CListBox& list, int nColumn)
{
    const int nAt = list.AddString(m_pList->GetHeader().GetColumnText(nColumn));
    if (nAt >= 0)
    {
        list.SetItemData(nAt, static_cast<DWORD_PTR>(nColumn));
    }
}

void CBriselColumnsDlgBase::OnAddColumn()
{
    MoveSelected(m_listAvailable, m_listSelected);
}

void CBriselColumnsDlgBase::OnRemoveColumn()
{
    MoveSelected(m_listSelected, m_listAvailable);
}

void CBriselColumnsDlgBase::OnSpinDelta(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const int nSelected = m_listSelected.GetCurSel();
    const int nCount = m_listSelected.GetCount();
    if (nSelected < 0)
    {
        return;
    }
    // An accelerated step may be larger than one: the entry stops at the
    // ends of the list rather than falling out of it.
    const int nTarget = std::clamp(nSelected + reinterpret_cast<NMUPDOWN*>(pNMHDR)->iDelta, 0, nCount - 1);
    if (nTarget == nSelected)
    {
        return;
    }
    CString strText;
    m_listSelected.GetText(nSelected, strText);
    const DWORD_PTR nColumn = m_listSelected.GetItemData(nSelected);
    m_listSelected.DeleteString(static_cast<UINT>(nSelected));
    const int nAt = m_listSelected.InsertString(nTarget, strText);
    m_listSelected.SetItemData(nAt, nColumn);
    m_listSelected.SetCurSel(nAt);
}

CBriselColumnsDlg::CBriselColumnsDlg(CBriselListCtrl* pList)
    : CBriselColumnsDlgBase(IDD_BRISELLIST_COLUMNS, pList)
{
}

CBriselColumnsDlg::~CBriselColumnsDlg() = default;

BOOL CBriselColumnsDlg::OnInitDialog()
{
    CBriselColumnsDlgBase::OnInitDialog();
    FillColumnLists();
    return TRUE;
}

void CBriselColumnsDlg::FillColumnLists()
{
    CBriselHeaderCtrl& header = m_pList->GetHeader();
    for (int nColumn : DisplayOrder(header))
    {
        AddColumnEntry(header.IsColumnVisible(nColumn) ? m_listSelected : m_listAvailable, nColumn);
    }
}

void CBriselColumnsDlg::OnOK()
{
    CBriselHeaderCtrl& header = m_pList->GetHeader();
    std::vector<int> order;
    for (int i = 0; i < m_listAvailable.GetCount(); i++)
    {
        const int nColumn = static_cast<int>(m_listAvailable.GetItemData(i));
        m_pList->SetColumnWidth(nColumn, 0);
        header.SetColumnVisible(nColumn, FALSE);
        order.push_back(nColumn);
    }
    for (int i = 0; i < m_listSelected.GetCount(); i++)
    {
        const int nColumn = static_cast<int>(m_listSelected.GetItemData(i));
        if (!header.IsColumnVisible(nColumn))
        {
            // A column shown again is made as wide as its texts and heading.
            m_pList->SetColumnWidth(nColumn, LVSCW_AUTOSIZE_USEHEADER);
        }
        header.SetColumnVisible(nColumn, TRUE);
        order.push_back(nColumn);
    }
    header.SetOrderArray(header.GetItemCount(), order.data());
    CBriselColumnsDlgBase::OnOK();
}

CBriselColumnsOrderDlg::CBriselColumnsOrderDlg(CBriselListCtrl* pList)
    : CBriselColumnsDlgBase(IDD_BRISELLIST_COLUMNS_ORDER, pList)
{
}

CBriselColumnsOrderDlg::~CBriselColumnsOrderDlg() = default;

BOOL CBriselColumnsOrderDlg::OnInitDialog()
{
    CBriselColumnsDlgBase::OnInitDialog();
    FillOrderLists();
    return TRUE;
}

void CBriselColumnsOrderDlg::FillOrderLists()
{
    CBriselHeaderCtrl& header = m_pList->GetHeader();
    const std::vector<int> keys = header.GetSortKeys();
    for (int nColumn : keys)
    {
        AddColumnEntry(m_listSelected, nColumn);
    }
    for (int nColumn = 0; nColumn < header.GetItemCount(); nColumn++)
    {
        if (header.GetPriority(nColumn) < 0 && header.GetSortType(nColumn) != TIPO_ORDENACION_NINGUNA)
        {
            AddColumnEntry(m_listAvailable, nColumn);
        }
    }
}

void CBriselColumnsOrderDlg::OnOK()
{
    CBriselHeaderCtrl& header = m_pList->GetHeader();
    for (int i = 0; i < m_listSelected.GetCount(); i++)
    {
        header.SetPriority(static_cast<int>(m_listSelected.GetItemData(i)), i);
    }
    for (int i = 0; i < m_listAvailable.GetCount(); i++)
    {
        header.SetPriority(static_cast<int>(m_listAvailable.GetItemData(i)), -1);
    }
    CBriselColumnsDlgBase::OnOK();
}

void CBriselListCtrl::OnChooseColumns()
{
    CBriselColumnsDlg dialog(this);
    // Visible columns may be narrowed to 0 before they are hidden, and the
    // list keeps its layout, while the dialog is open.
    m_header.SetTracking(TRUE);
    if (dialog.DoModal() == IDOK)
    {
        InvalidateRect(nullptr, TRUE);
    }
    m_header.SetTracking(FALSE);
}

void CBriselListCtrl::OnOrderBy()
{
    CBriselColumnsOrderDlg dialog(this);
    if (dialog.DoModal() == IDOK)
    {
        SortByColumn(m_header.FirstSortKey(), FALSE, FALSE);
        InvalidateRect(nullptr, TRUE);
        m_header.Invalidate();
    }
}
