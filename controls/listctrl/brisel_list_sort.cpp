// CBriselListCtrl: typed comparison of cell texts, the chain of sort keys,
// header clicks, and the sort itself. Both kinds of list sort stably by
// positions (StableOrder), which stays a permutation whatever the
// comparison answers: the date kind answers 1 for two equal texts.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "controls/listctrl/brisel_list_ctrl.h"
#include "platform/base/date_time.h"
#include "platform/base/stable_order.h"
#include "platform/threading/afx_single_lock.h"

namespace
{

// The state bits that follow a row when it moves: selection, focus, the
// check (state image) and the overlay.
const UINT ROW_STATE_MASK = 0xFFFF;

struct SortKey
{
    int nColumn;
    int nType;
    int nDirection;
};

// What the comparison callback of a list without owner data works on: the
// key texts of every item, read before the sort (item i's texts start at
// i * keys.size()), and pointers to them.
struct ControlSortContext
{
    std::vector<SortKey> keys;
    std::vector<std::string> stored;
    std::vector<LPCSTR> texts;
    int bCaseInsensitive;
};

int Sign(long nValue)
{
    return (nValue > 0) - (nValue < 0);
}

// strtol rather than atol: the same value for every text that fits, and a
// defined one (the nearest limit) for the digits that do not.
long LeadingNumber(LPCSTR lpszText)
{
    return strtol(lpszText, nullptr, 10);
}

int CompareNumbers(LPCSTR lpszA, LPCSTR lpszB)
{
    const long nA = LeadingNumber(lpszA);
    const long nB = LeadingNumber(lpszB);
    return (nA > nB) - (nA < nB);
}

// Every byte lower-cased as the "C" locale does it (A-Z only).
struct LowerCaseTable
{
    unsigned char lower[256];

    LowerCaseTable()
    {
        for (int c = 0; c < 256; c++)
        {
            lower[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
};

const LowerCaseTable LOWER_CASE;

// strcmp of the two texts lower-cased, without copying them.
int CompareLowered(LPCSTR lpszA, LPCSTR lpszB)
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(lpszA);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(lpszB);
    for (;; a++, b++)
    {
        const int cA = LOWER_CASE.lower[*a];
        const int cB = LOWER_CASE.lower[*b];
        if (cA != cB)
        {
            return cA < cB ? -1 : 1;
        }
        if (cA == 0)
        {
            return 0;
        }
    }
}

// A date-time text: the part before the first '.' parsed as a date and
// time, the digits after it the finer part. Without a '.', the finer part
// is the leading number of the whole text.
BOOL ParseDateText(LPCSTR lpszText, COleDateTime& when, long& nFraction)
{
    char szCut[CItemData::ITEM_TEXT_MAX + 1];
    const char* pDot = strchr(lpszText, '.');
    size_t nLength = pDot != nullptr ? static_cast<size_t>(pDot - lpszText) : strlen(lpszText);
    nLength = std::min(nLength, sizeof(szCut) - 1);
    memcpy(szCut, lpszText, nLength);
    szCut[nLength] = '\0';
    nFraction = LeadingNumber(pDot != nullptr ? pDot + 1 : lpszText);
    return when.ParseDateTime(szCut, 0, LANG_USER_DEFAULT) ? TRUE : FALSE;
}

int CompareDateTimes(LPCSTR lpszA, LPCSTR lpszB)
{
    COleDateTime whenA;
    COleDateTime whenB;
    long nFractionA = 0;
    long nFractionB = 0;
    if (!ParseDateText(lpszA, whenA, nFractionA) || !ParseDateText(lpszB, whenB, nFractionB))
    {
        return 0;
    }
    if (whenA != whenB)
    {
        return whenA < whenB ? -1 : 1;
    }
    // Equal texts give 1, never 0.
    return nFractionB <= nFractionA ? 1 : -1;
}

LPCSTR CellText(const CArray<CItemData>& row, int nColumn)
{
    return nColumn < row.GetSize() ? row[nColumn].m_szText : "";
}

// The key texts of two rows, compared key by key until one differs.
int CompareTextsByKeys(const LPCSTR* pTextsA, const LPCSTR* pTextsB, const std::vector<SortKey>& keys,
                       int bCaseInsensitive)
{
    for (size_t k = 0; k < keys.size(); k++)
    {
        const int nResult = CBriselListCtrl::CompareItems(pTextsA[k], pTextsB[k], keys[k].nType, keys[k].nDirection,
                                                          bCaseInsensitive);
        if (nResult != 0)
        {
            return nResult;
        }
    }
    return 0;
}

int CALLBACK CompareItemsCallback(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const ControlSortContext& context = *reinterpret_cast<const ControlSortContext*>(lParamSort);
    const size_t nKeys = context.keys.size();
    return CompareTextsByKeys(&context.texts[static_cast<size_t>(lParam1) * nKeys],
                              &context.texts[static_cast<size_t>(lParam2) * nKeys], context.keys,
                              context.bCaseInsensitive);
}

std::vector<SortKey> KeySpecs(const CBriselHeaderCtrl& header, const std::vector<int>& columns)
{
    std::vector<SortKey> keys;
    for (int nColumn : columns)
    {
        keys.push_back(SortKey{nColumn, header.GetSortType(nColumn), header.GetDirection(nColumn)});
    }
    return keys;
}

}  // namespace

int CBriselListCtrl::CompareItems(LPCSTR lpszA, LPCSTR lpszB, int nType, int nDirection, int bCaseInsensitive)
{
    if (lpszA == nullptr)
    {
        lpszA = "";
    }
    if (lpszB == nullptr)
    {
        lpszB = "";
    }
    int nResult = 0;
    switch (nType)
    {
    case TIPO_ORDENACION_NUMERO:
        nResult = CompareNumbers(lpszA, lpszB);
        break;
    case TIPO_ORDENACION_TEXTO:
        nResult = bCaseInsensitive ? CompareLowered(lpszA, lpszB) : Sign(strcmp(lpszA, lpszB));
        break;
    case TIPO_ORDENACION_FECHA:
        nResult = CompareDateTimes(lpszA, lpszB);
        break;
    default:
        nResult = CompareLowered(lpszA, lpszB);
        break;
    }
    return nDirection == ORDEN_DESCENDENTE ? -nResult : nResult;
}

int CBriselListCtrl::SortByColumn(int nColumn, BOOL bResetKeys, BOOL bToggleDirection)
{
    // A list of fewer than two rows keeps its keys and directions as well:
    // nothing is sorted, so nothing changes.
    if (nColumn < 0 || m_header.m_hWnd == nullptr || GetItemCount() < 2 ||
        m_header.GetSortType(nColumn) == TIPO_ORDENACION_NINGUNA)
    {
        return 0;
    }
    if (bResetKeys)
    {
        m_header.ResetSortKeys(nColumn);
    }
    if (bToggleDirection)
    {
        m_header.SetDirection(nColumn, m_header.GetDirection(nColumn) == ORDEN_ASCENDENTE ? ORDEN_DESCENDENTE
                                                                                          : ORDEN_ASCENDENTE);
    }
    if (bResetKeys || bToggleDirection)
    {
        m_header.Invalidate();
    }
    CWaitCursor wait;
    const std::vector<int> keys = m_header.GetSortKeys();
    if (!keys.empty())
    {
        if (IsOwnerData())
        {
            SortOwnRows(keys);
        }
        else
        {
            SortControlItems(keys);
        }
    }
    return 1;
}

void CBriselListCtrl::SortOwnRows(const std::vector<int>& keys)
{
    const std::vector<SortKey> specs = KeySpecs(m_header, keys);
    std::vector<size_t> order;
    {
        CSingleLock lock(&m_csRows, TRUE);
        const size_t nRows = static_cast<size_t>(m_rows.GetSize());
        if (nRows < 2)
        {
            return;
        }
        CArray<CItemData>* const* rows = m_rows.GetData();
        // The key texts of every row copied side by side: the comparisons
        // then read a few hundred kilobytes instead of the rows' cells.
        const size_t nKeys = specs.size();
        std::vector<size_t> offsets(nRows * nKeys);
        std::vector<char> arena;
        arena.reserve(nRows * nKeys * 16);
        for (size_t r = 0; r < nRows; r++)
        {
            for (size_t k = 0; k < nKeys; k++)
            {
                const LPCSTR lpszText = CellText(*rows[r], specs[k].nColumn);
                offsets[r * nKeys + k] = arena.size();
                arena.insert(arena.end(), lpszText, lpszText + strlen(lpszText) + 1);
            }
        }
        std::vector<LPCSTR> texts(nRows * nKeys);
        for (size_t i = 0; i < texts.size(); i++)
        {
            texts[i] = arena.data() + offsets[i];
        }
        order = trelwin::StableOrder(nRows, [&](size_t a, size_t b) {
            return CompareTextsByKeys(&texts[a * nKeys], &texts[b * nKeys], specs, m_bCaseInsensitive);
        });
        std::vector<CArray<CItemData>*> before(rows, rows + nRows);
        for (size_t i = 0; i < nRows; i++)
        {
            m_rows[static_cast<INT_PTR>(i)] = before[order[i]];
        }
    }
    // Selection, focus and checks follow their rows.
    const size_t nItems = std::min(order.size(), static_cast<size_t>(std::max(GetItemCount(), 0)));
    std::vector<UINT> states(nItems);
    for (size_t i = 0; i < nItems; i++)
    {
        states[i] = GetItemState(static_cast<int>(i), ROW_STATE_MASK);
    }
    for (size_t i = 0; i < nItems; i++)
    {
        const UINT nMoved = order[i] < nItems ? states[order[i]] : 0;
        if (nMoved == states[i])
        {
            continue;
        }
        SetItemState(static_cast<int>(i), nMoved, ROW_STATE_MASK);
        CSingleLock lock(&m_csRows, TRUE);
        if (CItemData* pFirst = CellAt(static_cast<int>(i), 0))
        {
            pFirst->m_item.state = nMoved;
            pFirst->m_item.stateMask = ROW_STATE_MASK;
        }
    }
    InvalidateRect(nullptr, TRUE);
}

void CBriselListCtrl::SortControlItems(const std::vector<int>& keys)
{
    ControlSortContext context;
    context.keys = KeySpecs(m_header, keys);
    context.bCaseInsensitive = m_bCaseInsensitive;
    const int nItems = GetItemCount();
    std::vector<LPARAM> params(static_cast<size_t>(nItems));
    context.stored.reserve(static_cast<size_t>(nItems) * context.keys.size());
    for (int i = 0; i < nItems; i++)
    {
        params[i] = static_cast<LPARAM>(CListCtrl::GetItemData(i));
        for (const SortKey& key : context.keys)
        {
            context.stored.emplace_back(static_cast<LPCSTR>(GetItemText(i, key.nColumn)));
        }
    }
    for (const std::string& text : context.stored)
    {
        context.texts.push_back(text.c_str());
    }
    // While the list view sorts, each item's data is its position.
    for (int i = 0; i < nItems; i++)
    {
        CListCtrl::SetItemData(i, static_cast<DWORD_PTR>(i));
    }
    SortItems(&CompareItemsCallback, reinterpret_cast<DWORD_PTR>(&context));
    for (int i = 0; i < nItems; i++)
    {
        const DWORD_PTR nFrom = CListCtrl::GetItemData(i);
        CListCtrl::SetItemData(i, static_cast<DWORD_PTR>(nFrom < params.size() ? params[nFrom] : 0));
    }
}

void CBriselListCtrl::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLISTVIEW* pClick = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    *pResult = 1;
    const int nColumn = pClick->iSubItem;
    if (pClick->iItem != -1 || m_header.GetSortType(nColumn) == TIPO_ORDENACION_NINGUNA)
    {
        return;
    }
    if (GetKeyState(VK_SHIFT) < 0)
    {
        // Shift adds the column as the next key, starting ascending; on a
        // key already it reverses that key.
        if (m_header.GetPriority(nColumn) < 0)
        {
            m_header.SetPriority(nColumn, static_cast<int>(m_header.GetSortKeys().size()));
            m_header.SetDirection(nColumn, ORDEN_DESCENDENTE);
        }
        SortByColumn(nColumn, FALSE, TRUE);
        return;
    }
    // Without Shift the column becomes the only key, ascending; on the
    // first key already it reverses it.
    if (m_header.FirstSortKey() != nColumn)
    {
        m_header.SetDirection(nColumn, ORDEN_DESCENDENTE);
    }
    SortByColumn(nColumn, TRUE, TRUE);
}
