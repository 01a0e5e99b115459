// CBriselListCtrl: inserting columns. The hidden "ID" column is taken out,
// the caller's column goes in, "ID" goes back in last with the width and
// visibility it had, a stored layout is applied to both, and every row is
// renumbered in the "ID" column.
#include <algorithm>

#include "controls/listctrl/brisel_list_ctrl.h"
#include "platform/threading/afx_single_lock.h"

namespace
{

// Width of the "ID" column before the first layout gives it one: the list
// view makes such a column 0 pixels wide.
const int SERIAL_COLUMN_NEW_WIDTH = -2;

}  // namespace

int CBriselListCtrl::InsertColumn(int nCol, const LVCOLUMN* pColumn)
{
    if (pColumn == nullptr)
    {
        return -1;
    }
    m_bInserting = 1;
    const int nOldCount = HeaderItemCount();
    BOOL bSerialVisible = FALSE;
    int nSerialWidth = SERIAL_COLUMN_NEW_WIDTH;
    if (nOldCount > 0)
    {
        // The last column is "ID"; it comes back after the new one.
        const int nLast = nOldCount - 1;
        bSerialVisible = m_header.IsColumnVisible(nLast);
        LVCOLUMNA width = {};
        width.mask = LVCF_WIDTH;
        if (CListCtrl::GetColumn(nLast, &width))
        {
            nSerialWidth = width.cx;
        }
        CListCtrl::DeleteColumn(nLast);
        m_header.RemoveColumnState(nLast);
    }

    const int nNew = static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol),
                                                  reinterpret_cast<LPARAM>(pColumn)));
    if (nNew >= 0)
    {
        m_header.InsertColumnState(nNew);
        m_header.SetColumnState(nNew, ORDEN_ASCENDENTE, TIPO_ORDENACION_NINGUNA, TRUE, -1);
        m_header.SetInsertedWidthGrow(nNew, (pColumn->mask & LVCF_WIDTH) ? pColumn->cx : 0);
    }

    LVCOLUMNA serial = {};
    serial.mask = LVCF_WIDTH | LVCF_TEXT;
    serial.pszText = const_cast<LPSTR>("ID");
    serial.cx = nSerialWidth;
    const int nSerialColumn = static_cast<int>(
        SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(HeaderItemCount()), reinterpret_cast<LPARAM>(&serial)));
    int nSerialIndex = -1;
    if (nSerialColumn >= 0 && HeaderItemCount() > 1)
    {
        nSerialIndex = nSerialColumn;
        m_header.SetColumnState(nSerialColumn, ORDEN_ASCENDENTE, TIPO_ORDENACION_NINGUNA, bSerialVisible, -1);
        m_header.SetInsertedWidthGrow(nSerialColumn, nSerialWidth);
        m_header.SetSortType(nSerialColumn, TIPO_ORDENACION_NUMERO);
    }

    if (m_bPersist)
    {
        LoadSettings(m_strListName, nNew);
        LoadSettings(m_strListName, nSerialIndex);
    }

    const int nNewCount = HeaderItemCount();
    int nRows = 0;
    {
        CSingleLock lock(&m_csRows, TRUE);
        m_nSerialColumn = nSerialIndex;
        if (nNew >= 0 && IsOwnerData())
        {
            // Cells follow their columns as the list view's own do (cell 0
            // is the item itself and stays): the old "ID" cell goes, the new
            // column gets an empty cell, "ID" a new last one.
            for (INT_PTR r = 0; r < m_rows.GetSize(); r++)
            {
                CArray<CItemData>& row = *m_rows[r];
                if (nOldCount > 1 && row.GetSize() == m_nColumnCount)
                {
                    row.RemoveAt(nOldCount - 1);
                }
                if (nNew > 0 && nNew < row.GetSize())
                {
                    row.InsertAt(nNew, CItemData());
                }
                row.SetSize(std::max(nNewCount, 1));
            }
        }
        m_nColumnCount = nNewCount;
        nRows = m_nRowCount;
    }
    if (nNew >= 0)
    {
        for (int r = 0; r < nRows; r++)
        {
            SetItemText(r, nNew, " ");
        }
        RenumberRows();
    }
    m_bInserting = 0;
    return nNew;
}

int CBriselListCtrl::HeaderItemCount() const
{
    // Asked of the list view's header window, whether the header object
    // holds it or not.
    HWND hHeader = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    return hHeader != nullptr ? static_cast<int>(::SendMessage(hHeader, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CBriselListCtrl::InsertColumn(int nCol, LPCSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = const_cast<LPSTR>(lpszColumnHeading);
    column.fmt = nFormat;
    if (nWidth != -1)
    {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1)
    {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return InsertColumn(nCol, &column);
}

void CBriselListCtrl::RenumberRows()
{
    int nRows = 0;
    int nSerialColumn = -1;
    {
        CSingleLock lock(&m_csRows, TRUE);
        nRows = m_nRowCount;
        nSerialColumn = m_nSerialColumn;
        m_nSerial = nRows;
    }
    for (int r = 0; r < nRows && nSerialColumn >= 0; r++)
    {
        CString strSerial;
        strSerial.Format("%d", r);
        SetItemText(r, nSerialColumn, strSerial);
    }
}

void CBriselListCtrl::SetColumnSortType(int nColumn, _eTipoOrdenacion eType)
{
    m_header.SetSortType(nColumn, eType);
}
