// CBriselListCtrl: the items. With owner data they live in the own row
// storage, which the list view reads back through LVN_GETDISPINFO; without
// it every operation is one message to the control. Texts are cut to
// ITEM_TEXT_MAX bytes on the way in, whichever way they go.
#include <algorithm>
#include <cstring>
#include <vector>

#include "controls/listctrl/brisel_list_ctrl.h"
#include "platform/threading/afx_single_lock.h"

namespace
{

// Longest text GetItemText asks the control for.
const size_t ITEM_TEXT_READ_LIMIT = 1 << 16;

BOOL IsRealText(LPCSTR lpszText)
{
    return lpszText != nullptr && lpszText != LPSTR_TEXTCALLBACKA;
}

// How much of a text a cell keeps: at most ITEM_TEXT_MAX bytes, never the
// first bytes of a UTF-8 character whose last bytes would be cut. Bytes of
// another code page that only look like the middle of such a character are
// kept: the character a cut falls into starts at most three bytes back.
size_t KeptLength(LPCSTR lpszText)
{
    const size_t nLength = strnlen(lpszText, CItemData::ITEM_TEXT_MAX + 1);
    if (nLength <= CItemData::ITEM_TEXT_MAX)
    {
        return nLength;
    }
    const size_t nCut = CItemData::ITEM_TEXT_MAX;
    auto isContinuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    if (!isContinuation(lpszText[nCut]))
    {
        return nCut;
    }
    for (size_t nLead = nCut; nLead > 0 && nCut - nLead < 4;)
    {
        const unsigned char c = static_cast<unsigned char>(lpszText[--nLead]);
        if (isContinuation(static_cast<char>(c)))
        {
            continue;
        }
        const size_t nSequence = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return nLead + nSequence > nCut ? nLead : nCut;
    }
    return nCut;
}

// The item as it goes to the control: a text too long for a cell is
// replaced by its kept part, held in the buffer.
LVITEMA WithKeptText(const LVITEMA& item, char* pszBuffer)
{
    LVITEMA copy = item;
    if ((item.mask & LVIF_TEXT) && IsRealText(item.pszText))
    {
        const size_t nLength = KeptLength(item.pszText);
        memcpy(pszBuffer, item.pszText, nLength);
        pszBuffer[nLength] = '\0';
        copy.pszText = pszBuffer;
    }
    return copy;
}

LVITEMA MakeItem(UINT nMask, int nItem, int nSubItem, LPCSTR lpszText, int nImage, UINT nState, UINT nStateMask,
                 LPARAM lParam)
{
    LVITEMA item = {};
    item.mask = nMask;
    item.iItem = nItem;
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPSTR>(lpszText);
    item.iImage = nImage;
    item.state = nState;
    item.stateMask = nStateMask;
    item.lParam = lParam;
    return item;
}

}  // namespace

CArray<CItemData>* CBriselListCtrl::RowAt(int nItem) const
{
    if (nItem < 0 || nItem >= m_rows.GetSize())
    {
        return nullptr;
    }
    return m_rows[nItem];
}

CItemData* CBriselListCtrl::CellAt(int nItem, int nSubItem) const
{
    CArray<CItemData>* pRow = RowAt(nItem);
    if (pRow == nullptr || nSubItem < 0 || nSubItem >= pRow->GetSize())
    {
        return nullptr;
    }
    return &pRow->ElementAt(nSubItem);
}

void CBriselListCtrl::StoreItem(CItemData& cell, const LVITEMA& item)
{
    cell.m_item.mask |= item.mask;
    if ((item.mask & LVIF_TEXT) && IsRealText(item.pszText) && item.pszText[0] != '\0')
    {
        const size_t nLength = KeptLength(item.pszText);
        memcpy(cell.m_szText, item.pszText, nLength);
        cell.m_szText[nLength] = '\0';
        cell.m_item.cchTextMax = static_cast<int>(nLength);
    }
    if (item.mask & LVIF_IMAGE)
    {
        cell.m_item.iImage = item.iImage;
    }
    if (item.mask & LVIF_PARAM)
    {
        cell.m_item.lParam = item.lParam;
    }
    if (item.mask & LVIF_STATE)
    {
        cell.m_item.state = item.state;
        cell.m_item.stateMask = item.stateMask;
    }
    if (item.mask & LVIF_INDENT)
    {
        cell.m_item.iIndent = item.iIndent;
    }
}

void CBriselListCtrl::FreeRows()
{
    while (!m_rows.IsEmpty())
    {
        delete m_rows[0];
        m_rows.RemoveAt(0);
    }
}

int CBriselListCtrl::InsertItem(const LVITEM* pItem)
{
    if (pItem == nullptr)
    {
        return -1;
    }
    const BOOL bOwnerData = IsOwnerData();
    CArray<CItemData>* pRow = nullptr;
    if (bOwnerData)
    {
        // The row goes where the list view puts the item: the end, for a
        // caller that appends.
        CSingleLock lock(&m_csRows, TRUE);
        pRow = new CArray<CItemData>;
        pRow->SetSize(std::max(m_nColumnCount, 1));
        StoreItem(pRow->ElementAt(0), *pItem);
        m_rows.InsertAt(std::clamp<INT_PTR>(pItem->iItem, 0, m_rows.GetSize()), pRow);
    }
    char szKept[CItemData::ITEM_TEXT_MAX + 1];
    const LVITEMA item = WithKeptText(*pItem, szKept);
    const int nIndex = static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    int nSerial = 0;
    int nSerialColumn = -1;
    {
        CSingleLock lock(&m_csRows, TRUE);
        if (nIndex < 0)
        {
            for (INT_PTR i = 0; pRow != nullptr && i < m_rows.GetSize(); i++)
            {
                if (m_rows[i] == pRow)
                {
                    m_rows.RemoveAt(i);
                    delete pRow;
                    break;
                }
            }
            return -1;
        }
        nSerial = m_nSerial++;
        nSerialColumn = m_nSerialColumn;
        m_nRowCount++;
    }
    if (nSerialColumn >= 0)
    {
        CString strSerial;
        strSerial.Format("%d", nSerial);
        SetItemText(nIndex, nSerialColumn, strSerial);
    }
    return nIndex;
}

int CBriselListCtrl::InsertItem(int nItem, LPCSTR lpszItem)
{
    const LVITEMA item = MakeItem(LVIF_TEXT, nItem, 0, lpszItem, 0, 0, 0, 0);
    return InsertItem(&item);
}

int CBriselListCtrl::InsertItem(int nItem, LPCSTR lpszItem, int nImage)
{
    const LVITEMA item = MakeItem(LVIF_TEXT | LVIF_IMAGE, nItem, 0, lpszItem, nImage, 0, 0, 0);
    return InsertItem(&item);
}

int CBriselListCtrl::InsertItem(UINT nMask, int nItem, LPCSTR lpszItem, UINT nState, UINT nStateMask, int nImage,
                                LPARAM lParam)
{
    const LVITEMA item = MakeItem(nMask, nItem, 0, lpszItem, nImage, nState, nStateMask, lParam);
    return InsertItem(&item);
}

BOOL CBriselListCtrl::DeleteItem(int nItem)
{
    const BOOL bDeleted = CListCtrl::DeleteItem(nItem);
    if (bDeleted)
    {
        CSingleLock lock(&m_csRows, TRUE);
        if (CArray<CItemData>* pRow = RowAt(nItem))
        {
            delete pRow;
            m_rows.RemoveAt(nItem);
        }
        m_nRowCount = std::max(m_nRowCount - 1, 0);
    }
    return bDeleted;
}

BOOL CBriselListCtrl::DeleteAllItems()
{
    {
        CSingleLock lock(&m_csRows, TRUE);
        FreeRows();
        m_nRowCount = 0;
        m_nSerial = 0;
    }
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd))
    {
        return TRUE;
    }
    const BOOL bDeleted = static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS));
    SendMessage(LVM_SETITEMCOUNT, 0);
    return bDeleted;
}

BOOL CBriselListCtrl::SetItem(const LVITEM* pItem)
{
    if (pItem == nullptr)
    {
        return FALSE;
    }
    if (!IsOwnerData())
    {
        char szKept[CItemData::ITEM_TEXT_MAX + 1];
        const LVITEMA item = WithKeptText(*pItem, szKept);
        return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    CSingleLock lock(&m_csRows, TRUE);
    if (CItemData* pCell = CellAt(pItem->iItem, pItem->iSubItem))
    {
        StoreItem(*pCell, *pItem);
    }
    return TRUE;
}

BOOL CBriselListCtrl::SetItem(int nItem, int nSubItem, UINT nMask, LPCSTR lpszItem, int nImage, UINT nState,
                              UINT nStateMask, LPARAM lParam)
{
    const LVITEMA item = MakeItem(nMask, nItem, nSubItem, lpszItem, nImage, nState, nStateMask, lParam);
    return SetItem(&item);
}

BOOL CBriselListCtrl::GetItem(LVITEM* pItem) const
{
    if (pItem == nullptr)
    {
        return FALSE;
    }
    if (!IsOwnerData())
    {
        return static_cast<BOOL>(SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
    }
    CSingleLock lock(&m_csRows, TRUE);
    const CItemData* pCell = CellAt(pItem->iItem, std::max(pItem->iSubItem, 0));
    if (pCell == nullptr)
    {
        return TRUE;
    }
    const LVITEMA& stored = pCell->m_item;
    if ((pItem->mask & LVIF_TEXT) && IsRealText(pItem->pszText) && pItem->cchTextMax > 0 && pCell->m_szText[0] != '\0')
    {
        const size_t nLength = std::min(strlen(pCell->m_szText), static_cast<size_t>(pItem->cchTextMax - 1));
        memcpy(pItem->pszText, pCell->m_szText, nLength);
        pItem->pszText[nLength] = '\0';
    }
    if (pItem->mask & LVIF_IMAGE)
    {
        pItem->iImage = stored.iImage;
    }
    if (pItem->mask & LVIF_PARAM)
    {
        pItem->lParam = stored.lParam;
    }
    if (pItem->mask & LVIF_STATE)
    {
        pItem->state = stored.state;
        pItem->stateMask = stored.stateMask;
    }
    if (pItem->mask & LVIF_INDENT)
    {
        pItem->iIndent = stored.iIndent;
    }
    return TRUE;
}

BOOL CBriselListCtrl::SetItemText(int nItem, int nSubItem, LPCSTR lpszText)
{
    const LVITEMA item = MakeItem(LVIF_TEXT, nItem, nSubItem, lpszText, 0, 0, 0, 0);
    return SetItem(&item);
}

int CBriselListCtrl::GetItemText(int nItem, int nSubItem, LPSTR lpszText, int nLen) const
{
    if (lpszText == nullptr || nLen <= 0)
    {
        return 0;
    }
    lpszText[0] = '\0';
    LVITEMA item = MakeItem(LVIF_TEXT, nItem, nSubItem, lpszText, 0, 0, 0, 0);
    item.cchTextMax = nLen;
    GetItem(&item);
    return static_cast<int>(strnlen(lpszText, static_cast<size_t>(nLen)));
}

CString CBriselListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // A text that fills the buffer may go on: ask again with twice the room.
    std::vector<char> buffer(CItemData::ITEM_TEXT_MAX + 1);
    for (;;)
    {
        const int nLength = GetItemText(nItem, nSubItem, buffer.data(), static_cast<int>(buffer.size()));
        if (static_cast<size_t>(nLength) + 1 < buffer.size() || buffer.size() >= ITEM_TEXT_READ_LIMIT)
        {
            break;
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
    return CString(buffer.data());
}

BOOL CBriselListCtrl::SetItemData(int nItem, DWORD_PTR dwData)
{
    const LVITEMA item = MakeItem(LVIF_PARAM, nItem, 0, nullptr, 0, 0, 0, static_cast<LPARAM>(dwData));
    return SetItem(&item);
}

DWORD_PTR CBriselListCtrl::GetItemData(int nItem) const
{
    LVITEMA item = MakeItem(LVIF_PARAM, nItem, 0, nullptr, 0, 0, 0, 0);
    return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

void CBriselListCtrl::SetRowColors(int nItem, COLORREF crText, COLORREF crBackground)
{
    CSingleLock lock(&m_csRows, TRUE);
    if (CItemData* pCell = CellAt(nItem, 0))
    {
        pCell->m_bRowColors = 1;
        pCell->m_crBackground = crBackground;
        pCell->m_crText = crText;
    }
}

void CBriselListCtrl::SetCellColors(int nItem, int nSubItem, COLORREF crText, COLORREF crBackground)
{
    CSingleLock lock(&m_csRows, TRUE);
    if (CItemData* pCell = CellAt(nItem, nSubItem))
    {
        pCell->m_bCellColors = 1;
        pCell->m_crBackground = crBackground;
        pCell->m_crText = crText;
    }
}

void CBriselListCtrl::SetRowBold(int nItem, BOOL bBold)
{
    CSingleLock lock(&m_csRows, TRUE);
    if (CItemData* pCell = CellAt(nItem, 0))
    {
        pCell->m_bBold = bBold ? 1 : 0;
    }
}

void CBriselListCtrl::SetRowTipText(int nItem, LPCSTR lpszTip)
{
    CSingleLock lock(&m_csRows, TRUE);
    if (CItemData* pCell = CellAt(nItem, 0))
    {
        pCell->m_strTip = lpszTip != nullptr ? lpszTip : "";
    }
}

CString CBriselListCtrl::GetRowTipText(int nItem) const
{
    CSingleLock lock(&m_csRows, TRUE);
    const CItemData* pCell = CellAt(nItem, 0);
    return pCell != nullptr ? pCell->m_strTip : CString();
}
