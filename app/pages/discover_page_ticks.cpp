// Ticking on the Discover page. A row's image is its tick; the user ticks
// by clicking the image, double-clicking the row, pressing the space bar or
// with Select All / Select None. The row flags follow the list's selection,
// so that a gesture ticks or unticks every selected row at once: when some
// of them are not ticked all become ticked, else all become unticked.
#include "app/device_record.h"
#include "app/pages/property_page_discover.h"

namespace
{

BOOL IsKeyHeld(int nVirtualKey)
{
    return ::GetKeyState(nVirtualKey) < 0;
}

BOOL IsCtrlOrShiftHeld()
{
    return IsKeyHeld(VK_LCONTROL) || IsKeyHeld(VK_RCONTROL) || IsKeyHeld(VK_SHIFT);
}

} // namespace

void CPropertyPageDiscover::SetRowFlag(int nRow, int nValue)
{
    if (nRow >= 0 && nRow < m_rowFlags.GetSize())
        m_rowFlags[nRow] = nValue;
}

void CPropertyPageDiscover::SetAllChecks(int nImage)
{
    const int count = m_listDevices.GetItemCount();
    for (int row = 0; row < count; ++row)
    {
        if (GetRowImage(row) != ROW_IMAGE_UNREACHABLE)
            SetRowImage(row, nImage);
    }
    if (count > 0)
        m_listDevices.RedrawItems(0, count - 1);
}

void CPropertyPageDiscover::UpdateCheckedAddresses()
{
    m_checkedAddresses.RemoveAll();
    const int count = m_listDevices.GetItemCount();
    for (int row = 0; row < count; ++row)
    {
        if (GetRowImage(row) != ROW_IMAGE_TICKED)
            continue;
        const _TDevice* device = RowDevice(row);
        const CString address = device != nullptr ? DeviceAddressText(device->m_strIPAddress, device->m_nUDPPort)
                                                  : m_listDevices.GetItemText(row, 0);
        if (!address.IsEmpty())
            m_checkedAddresses.AddTail(address);
    }
}

void CPropertyPageDiscover::OnSelectAll()
{
    SetAllChecks(ROW_IMAGE_TICKED);
    UpdateCheckedAddresses();
}

void CPropertyPageDiscover::OnSelectNone()
{
    SetAllChecks(ROW_IMAGE_UNTICKED);
    m_typedAddresses.RemoveAll();
    UpdateCheckedAddresses();
}

BOOL CPropertyPageDiscover::IsCursorOnRowImage(int nRow) const
{
    if (nRow < 0 || IsCtrlOrShiftHeld() || ::GetCapture() != nullptr)
        return FALSE;
    CPoint cursor;
    ::GetCursorPos(&cursor);
    m_listDevices.ScreenToClient(&cursor);
    CRect icon;
    if (!m_listDevices.GetItemRect(nRow, &icon, LVIR_ICON))
        return FALSE;
    return icon.PtInRect(cursor);
}

int CPropertyPageDiscover::RowImageUnderCursor() const
{
    // Rows do not overlap: only the row under the cursor can have its image
    // there.
    CPoint cursor;
    ::GetCursorPos(&cursor);
    m_listDevices.ScreenToClient(&cursor);
    const int row = m_listDevices.HitTest(cursor);
    return IsCursorOnRowImage(row) ? row : -1;
}

void CPropertyPageDiscover::OnListClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMITEMACTIVATE* activate = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR);
    if (IsCursorOnRowImage(activate->iItem))
        ToggleChecks();
    *pResult = 0;
}

void CPropertyPageDiscover::OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMITEMACTIVATE* activate = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR);
    if (!IsCtrlOrShiftHeld() && !IsCursorOnRowImage(activate->iItem))
        ToggleChecks();
    *pResult = 0;
}

void CPropertyPageDiscover::OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR)->wVKey == VK_SPACE)
        ToggleChecks();
    *pResult = 0;
}

void CPropertyPageDiscover::ToggleChecks()
{
    const int count = m_listDevices.GetItemCount();
    CArray<int> flagged;
    BOOL someUnticked = FALSE;
    for (int row = 0; row < count && row < m_rowFlags.GetSize(); ++row)
    {
        const _TDevice* device = RowDevice(row);
        if (m_rowFlags[row] != 1 || device == nullptr || !device->m_nInfoReceived)
            continue;
        flagged.Add(row);
        someUnticked = someUnticked || GetRowImage(row) == ROW_IMAGE_UNTICKED;
    }
    if (flagged.GetSize() > 0)
    {
        for (int i = 0; i < flagged.GetSize(); ++i)
        {
            SetRowImage(flagged[i], someUnticked ? ROW_IMAGE_TICKED : ROW_IMAGE_UNTICKED);
            m_listDevices.RedrawItems(flagged[i], flagged[i]);
        }
    }
    else
    {
        for (int row = m_listDevices.GetNextItem(-1, LVNI_SELECTED); row >= 0;
             row = m_listDevices.GetNextItem(row, LVNI_SELECTED))
        {
            const int image = GetRowImage(row);
            if (image != ROW_IMAGE_UNREACHABLE)
                SetRowImage(row, image == ROW_IMAGE_TICKED ? ROW_IMAGE_UNTICKED : ROW_IMAGE_TICKED);
            m_listDevices.RedrawItems(row, row);
        }
    }
    for (int row = 0; row < m_rowFlags.GetSize(); ++row)
        m_rowFlags[row] = (m_listDevices.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0 ? 1 : 0;
    m_listDevices.UpdateWindow();
    UpdateCheckedAddresses();
}

void CPropertyPageDiscover::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    const int imageRow = RowImageUnderCursor();
    if (imageRow >= 0)
    {
        // A click on an image that belongs to the selection keeps the
        // flags, so that the click ticks the whole selection; on any other
        // image the click is about that row alone.
        if (imageRow < m_rowFlags.GetSize() && m_rowFlags[imageRow] == 0)
        {
            for (int row = 0; row < m_rowFlags.GetSize(); ++row)
                m_rowFlags[row] = 0;
        }
    }
    else if (change->iItem < 0)
    {
        for (int row = 0; row < m_rowFlags.GetSize(); ++row)
            m_rowFlags[row] = 0;
    }
    else
    {
        const BOOL was = (change->uOldState & LVIS_SELECTED) != 0;
        const BOOL is = (change->uNewState & LVIS_SELECTED) != 0;
        if (was && !is)
            SetRowFlag(change->iItem, 0);
        else if (!was && is)
            SetRowFlag(change->iItem, 1);
    }
    if (change->iItem >= 0)
        m_listDevices.RedrawItems(change->iItem, change->iItem);
    *pResult = 0;
}

void CPropertyPageDiscover::OnODStateChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLVODSTATECHANGE* change = reinterpret_cast<const NMLVODSTATECHANGE*>(pNMHDR);
    const BOOL was = (change->uOldState & LVIS_SELECTED) != 0;
    const BOOL is = (change->uNewState & LVIS_SELECTED) != 0;
    for (int row = change->iFrom; row <= change->iTo; ++row)
    {
        if (was && !is)
            SetRowFlag(row, 0);
        else if (!was && is)
            SetRowFlag(row, 1);
    }
    if (change->iFrom >= 0 && change->iTo >= change->iFrom)
        m_listDevices.RedrawItems(change->iFrom, change->iTo);
    *pResult = 0;
}
