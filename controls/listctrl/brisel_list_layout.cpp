// CBriselListCtrl: the column layout in the registry, under the key
//   HKEY_CURRENT_USER\SOFTWARE\<brand>\<application>\CBriselListCtrl
//   \<parent window text>\<list name>\Columnas
// with the values width_<i>, Name_<i>, nColumnas, OrdenColumnas,
// Visibles, OrderBy and OrderByAscDesc, all text. It is saved when the list
// window goes and applied column by column as the page inserts them.
//
// What is read back is untrusted (a user may edit it): a layout whose
// count, widths, order or flags do not make sense is not applied (the
// columns keep the layout the page inserted) and is reported once on
// stderr; RestoreSettings deletes it. Only an order with the wrong number
// of commas is merely ignored, and the rest of the layout applies.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/base/registry_helpers.h"
#include "controls/listctrl/brisel_list_ctrl.h"
#include "platform/registry/registry.h"

namespace
{

const char* const LAYOUT_SUBKEY = "Columnas";
// Most columns a stored layout may name, and the widest a column may be.
const long MAX_LAYOUT_COLUMNS = 256;
const long MAX_COLUMN_WIDTH = 4096;
// Value texts are read into buffers of this size.
const DWORD VALUE_BUFFER = 255;
const REGSAM LAYOUT_ACCESS = KEY_READ | KEY_WRITE;

BOOL ReadText(HKEY hKey, LPCSTR lpszName, CString& strText)
{
    char szBuffer[VALUE_BUFFER + 1] = {};
    DWORD nSize = VALUE_BUFFER;
    DWORD nType = 0;
    if (RegQueryValueExA(hKey, lpszName, nullptr, &nType, reinterpret_cast<BYTE*>(szBuffer), &nSize) != ERROR_SUCCESS)
    {
        return FALSE;
    }
    szBuffer[std::min<DWORD>(nSize, VALUE_BUFFER)] = '\0';
    strText = szBuffer;
    return TRUE;
}

// Writes one text value into the "Columnas" subkey of hKey.
BOOL WriteText(HKEY hKey, LPCSTR lpszName, const CString& strText)
{
    HKEY hSubKey = nullptr;
    if (RegCreateKeyExA(hKey, LAYOUT_SUBKEY, 0, nullptr, 0, LAYOUT_ACCESS, nullptr, &hSubKey, nullptr) !=
        ERROR_SUCCESS)
    {
        return FALSE;
    }
    const LONG rc = RegSetValueExA(hSubKey, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(LPCSTR(strText)),
                                   static_cast<DWORD>(strText.GetLength() + 1));
    RegCloseKey(hSubKey);
    return rc == ERROR_SUCCESS;
}

// A whole text that is a decimal integer (blanks around it allowed).
BOOL ParseWholeNumber(LPCSTR lpszText, long& nValue)
{
    char* pEnd = nullptr;
    errno = 0;
    nValue = strtol(lpszText, &pEnd, 10);
    if (pEnd == lpszText || errno == ERANGE)
    {
        return FALSE;
    }
    while (*pEnd == ' ' || *pEnd == '\t')
    {
        pEnd++;
    }
    return *pEnd == '\0';
}

// The number lists (Visibles, OrderBy, OrderByAscDesc) read as they always
// were: a number, then the next run of non-blank characters of which the
// first (the separator) is dropped and the rest read on. Reading stops at
// the end, after nMax numbers, or at a text that is not a number, so a
// blank after a separator ends the list ("0, 1" reads 0).
std::vector<long> ReadNumberList(LPCSTR lpszText, size_t nMax)
{
    std::vector<long> numbers;
    std::string rest = lpszText;
    while (!rest.empty() && numbers.size() < nMax)
    {
        const char* p = rest.c_str();
        char* pEnd = nullptr;
        errno = 0;
        const long nValue = strtol(p, &pEnd, 10);
        if (pEnd == p)
        {
            break;
        }
        numbers.push_back(errno == ERANGE ? (nValue < 0 ? -MAX_COLUMN_WIDTH - 1 : MAX_COLUMN_WIDTH + 1) : nValue);
        const char* pToken = pEnd;
        while (*pToken == ' ' || *pToken == '\t' || *pToken == '\n' || *pToken == '\r')
        {
            pToken++;
        }
        const char* pTokenEnd = pToken;
        while (*pTokenEnd != '\0' && *pTokenEnd != ' ' && *pTokenEnd != '\t' && *pTokenEnd != '\n' &&
               *pTokenEnd != '\r')
        {
            pTokenEnd++;
        }
        if (pTokenEnd == pToken)
        {
            break;
        }
        rest.assign(pToken + 1, pTokenEnd);
    }
    return numbers;
}

std::vector<long> ReadNumberValue(HKEY hKey, LPCSTR lpszName, size_t nMax)
{
    CString strText;
    return ReadText(hKey, lpszName, strText) ? ReadNumberList(strText, nMax) : std::vector<long>();
}

// Whether an "OrdenColumnas" text has the place for nCount columns: it is
// not empty and holds nCount - 1 commas. Any other text is ignored.
BOOL HasOrderLength(const CString& strOrder, long nCount)
{
    const std::string text = static_cast<LPCSTR>(strOrder);
    return !text.empty() && static_cast<long>(std::count(text.begin(), text.end(), ',')) == nCount - 1;
}

// "2,0,1,3": exactly nCount numbers separated by commas; empty otherwise.
std::vector<long> SplitOrder(const CString& strOrder, long nCount)
{
    std::vector<long> order;
    std::string text = static_cast<LPCSTR>(strOrder);
    size_t nStart = 0;
    for (;;)
    {
        const size_t nComma = text.find(',', nStart);
        long nValue = 0;
        if (!ParseWholeNumber(text.substr(nStart, nComma - nStart).c_str(), nValue))
        {
            return {};
        }
        order.push_back(nValue);
        if (nComma == std::string::npos)
        {
            break;
        }
        nStart = nComma + 1;
    }
    return static_cast<long>(order.size()) == nCount ? order : std::vector<long>();
}

BOOL IsPermutation(const std::vector<long>& order, long nCount)
{
    if (static_cast<long>(order.size()) != nCount)
    {
        return FALSE;
    }
    std::vector<bool> seen(static_cast<size_t>(nCount), false);
    for (long nColumn : order)
    {
        if (nColumn < 0 || nColumn >= nCount || seen[static_cast<size_t>(nColumn)])
        {
            return FALSE;
        }
        seen[static_cast<size_t>(nColumn)] = true;
    }
    return TRUE;
}

BOOL AllWithin(const std::vector<long>& numbers, long nLow, long nHigh)
{
    for (long nValue : numbers)
    {
        if (nValue < nLow || nValue > nHigh)
        {
            return FALSE;
        }
    }
    return TRUE;
}

CString JoinNumbers(const std::vector<int>& numbers)
{
    CString strText;
    for (size_t i = 0; i < numbers.size(); i++)
    {
        CString strNumber;
        strNumber.Format("%s%d", i > 0 ? "," : "", numbers[i]);
        strText += strNumber;
    }
    return strText;
}

}  // namespace

CString CBriselListCtrl::GetBrandName(int nBrand)
{
    switch (nBrand)
    {
    case 1:
        return "Vory";
    case 2:
        return "Ost";
    default:
        return "BRISEL";
    }
}

CString CBriselListCtrl::GetRegistryKeyPath(LPCSTR lpszBrand, LPCSTR lpszParentText, LPCSTR lpszListName,
                                            LPCSTR lpszExtra)
{
    if (!m_strExplicitKeyPath.IsEmpty())
    {
        return m_strExplicitKeyPath;
    }
    const CString strBase = CString("SOFTWARE\\") + lpszBrand + "\\" + AfxGetAppName() + "\\";
    const CString strClass = GetRuntimeClass()->m_lpszClassName;
    // Layouts kept machine-wide by older installations follow the user.
    MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, strBase, strClass);
    CString strKey = strBase + strClass + "\\" + lpszParentText + "\\" + lpszListName + "\\";
    if (lpszExtra != nullptr && lpszExtra[0] != '\0')
    {
        strKey += CString(lpszExtra) + "\\";
    }
    return strKey;
}

CString CBriselListCtrl::GetParentText() const
{
    CString strParentText;
    if (CWnd* pParent = GetParent())
    {
        pParent->GetWindowText(strParentText);
    }
    return strParentText;
}

HKEY CBriselListCtrl::OpenLayoutKey(LPCSTR lpszListName, REGSAM access)
{
    const CString strBrand = GetBrandName(m_nBrand);
    const CString strParentText = GetParentText();
    const LPCSTR lpszParentText = strParentText;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, GetRegistryKeyPath(strBrand, lpszParentText, lpszListName, LAYOUT_SUBKEY), 0,
                      access, &hKey) == ERROR_SUCCESS ||
        RegOpenKeyExA(HKEY_CURRENT_USER, GetRegistryKeyPath(strBrand, lpszParentText, lpszListName, nullptr), 0,
                      access, &hKey) == ERROR_SUCCESS)
    {
        return hKey;
    }
    return nullptr;
}

void CBriselListCtrl::SaveSettings(LPCSTR lpszListName)
{
    CWnd* pParent = GetParent();
    if (!m_bPersist || pParent == nullptr || m_header.m_hWnd == nullptr)
    {
        return;
    }
    const int nColumns = m_header.GetItemCount();
    if (nColumns <= 0)
    {
        return;
    }
    const CString strKey = GetRegistryKeyPath(GetBrandName(m_nBrand), GetParentText(), lpszListName, nullptr);
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, strKey, 0, nullptr, 0, LAYOUT_ACCESS, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
    {
        return;
    }
    BOOL bWritten = TRUE;
    for (int i = 0; i < nColumns && bWritten; i++)
    {
        CString strName;
        CString strValue;
        strName.Format("width_%d", i);
        strValue.Format("%d", GetColumnWidth(i));
        bWritten = WriteText(hKey, strName, strValue);
        strName.Format("Name_%d", i);
        bWritten = bWritten && WriteText(hKey, strName, m_header.GetColumnText(i));
    }
    if (bWritten)
    {
        CString strCount;
        strCount.Format("%d", nColumns);
        WriteText(hKey, "nColumnas", strCount);
        std::vector<int> order(static_cast<size_t>(nColumns));
        if (GetColumnOrderArray(order.data(), nColumns))
        {
            WriteText(hKey, "OrdenColumnas", JoinNumbers(order));
        }
        std::vector<int> visible;
        std::vector<int> priorities;
        std::vector<int> directions;
        for (int i = 0; i < nColumns; i++)
        {
            visible.push_back(m_header.IsColumnVisible(i) ? 1 : 0);
            priorities.push_back(m_header.GetPriority(i));
            directions.push_back(m_header.GetDirection(i));
        }
        WriteText(hKey, "Visibles", JoinNumbers(visible));
        if (m_header.GetStateCount() >= nColumns)
        {
            WriteText(hKey, "OrderBy", JoinNumbers(priorities));
        }
        WriteText(hKey, "OrderByAscDesc", JoinNumbers(directions));
    }
    RegCloseKey(hKey);
}

BOOL CBriselListCtrl::IsStoredLayoutSound(HKEY hKey, CString& strWhy)
{
    CString strText;
    long nCount = 0;
    if (!ReadText(hKey, "nColumnas", strText) || !ParseWholeNumber(strText, nCount) || nCount < 1 ||
        nCount > MAX_LAYOUT_COLUMNS)
    {
        strWhy = "nColumnas is not a column count";
        return FALSE;
    }
    for (long i = 0; i < nCount; i++)
    {
        CString strName;
        strName.Format("width_%ld", i);
        long nWidth = 0;
        if (ReadText(hKey, strName, strText) &&
            (!ParseWholeNumber(strText, nWidth) || nWidth < 0 || nWidth > MAX_COLUMN_WIDTH))
        {
            strWhy = strName + " is not a width";
            return FALSE;
        }
    }
    // An order of another length is left out when the layout is applied;
    // one of the right length must name each column once.
    if (ReadText(hKey, "OrdenColumnas", strText) && HasOrderLength(strText, nCount) &&
        !IsPermutation(SplitOrder(strText, nCount), nCount))
    {
        strWhy = "OrdenColumnas is not an order of the columns";
        return FALSE;
    }
    const size_t nMax = static_cast<size_t>(nCount);
    if (!AllWithin(ReadNumberValue(hKey, "Visibles", nMax), 0, 1) ||
        !AllWithin(ReadNumberValue(hKey, "OrderByAscDesc", nMax), 0, 1))
    {
        strWhy = "Visibles or OrderByAscDesc holds other flags than 0 and 1";
        return FALSE;
    }
    const std::vector<long> priorities = ReadNumberValue(hKey, "OrderBy", nMax);
    std::vector<bool> taken(nMax, false);
    for (long nPriority : priorities)
    {
        if (nPriority < -1 || nPriority >= nCount || (nPriority >= 0 && taken[static_cast<size_t>(nPriority)]))
        {
            strWhy = "OrderBy is not a chain of sort keys";
            return FALSE;
        }
        if (nPriority >= 0)
        {
            taken[static_cast<size_t>(nPriority)] = true;
        }
    }
    return TRUE;
}

void CBriselListCtrl::LoadSettings(LPCSTR lpszListName, int nColumn)
{
    CWnd* pParent = GetParent();
    if (!m_bPersist || nColumn < 0 || m_header.m_hWnd == nullptr || nColumn >= m_header.GetItemCount() ||
        pParent == nullptr)
    {
        return;
    }
    HKEY hKey = OpenLayoutKey(lpszListName, LAYOUT_ACCESS);
    if (hKey == nullptr)
    {
        return;
    }
    CString strText;
    long nCount = 0;
    if (!ReadText(hKey, "nColumnas", strText) || (nCount = atol(strText)) == 0)
    {
        RegCloseKey(hKey);
        return;
    }
    CString strWhy;
    if (!IsStoredLayoutSound(hKey, strWhy))
    {
        if (!m_bLayoutReported)
        {
            fprintf(stderr, "The column layout of list %s of \"%s\" is not applied: %s\n", lpszListName,
                    static_cast<LPCSTR>(GetParentText()), static_cast<LPCSTR>(strWhy));
            m_bLayoutReported = 1;
        }
        RegCloseKey(hKey);
        return;
    }
    const size_t nRoom = static_cast<size_t>(m_header.GetStateCount());
    const std::vector<long> priorities = ReadNumberValue(hKey, "OrderBy", nRoom);
    for (size_t i = 0; i < priorities.size(); i++)
    {
        m_header.SetPriority(static_cast<int>(i), static_cast<int>(priorities[i]));
    }
    const std::vector<long> directions = ReadNumberValue(hKey, "OrderByAscDesc", nRoom);
    for (size_t i = 0; i < directions.size(); i++)
    {
        m_header.SetDirection(static_cast<int>(i), directions[i] != 0 ? ORDEN_DESCENDENTE : ORDEN_ASCENDENTE);
    }

    CString strName;
    CString strWidth;
    CString strNameValue;
    CString strWidthValue;
    strName.Format("Name_%d", nColumn);
    strWidth.Format("width_%d", nColumn);
    if (ReadText(hKey, strName, strNameValue) && ReadText(hKey, strWidth, strWidthValue))
    {
        if (strNameValue == m_header.GetColumnText(nColumn))
        {
            const std::vector<long> visible = ReadNumberValue(hKey, "Visibles", nRoom);
            for (size_t i = 0; i < visible.size(); i++)
            {
                m_header.SetColumnVisible(static_cast<int>(i), visible[i] != 0);
            }
            SetColumnWidth(nColumn, m_header.IsColumnVisible(nColumn) ? atoi(strWidthValue) : 0);
        }
    }

    if (nColumn >= nCount - 1 && ReadText(hKey, "OrdenColumnas", strText) && HasOrderLength(strText, nCount))
    {
        const std::vector<long> stored = SplitOrder(strText, nCount);
        std::vector<int> order(stored.begin(), stored.end());
        if (!order.empty())
        {
            SetColumnOrderArray(static_cast<int>(order.size()), order.data());
        }
    }
    if (nColumn == nCount - 1)
    {
        m_header.MoveHiddenColumnsFirst();
    }
    RegCloseKey(hKey);
}

int CBriselListCtrl::LoadColumnCount(LPCSTR lpszListName)
{
    HKEY hKey = OpenLayoutKey(lpszListName, KEY_READ);
    if (hKey == nullptr)
    {
        return -1;
    }
    CString strText;
    const BOOL bFound = ReadText(hKey, "nColumnas", strText);
    RegCloseKey(hKey);
    return bFound ? static_cast<int>(atol(strText)) : -1;
}

int CBriselListCtrl::ResetLayout()
{
    CWnd* pParent = GetParent();
    if (!m_bPersist || pParent == nullptr)
    {
        return -1;
    }
    const CString strParentText = GetParentText();
    if (strParentText.IsEmpty())
    {
        // No subkey to name: deleting "" would take every window's layouts.
        return 0;
    }
    const CString strKey = CString("SOFTWARE\\") + GetBrandName(m_nBrand) + "\\" + AfxGetAppName() + "\\" +
                           GetRuntimeClass()->m_lpszClassName;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, strKey, 0, LAYOUT_ACCESS, &hKey) != ERROR_SUCCESS)
    {
        return 0;
    }
    const LONG rc = RegDeleteKeyA(hKey, strParentText);
    RegCloseKey(hKey);
    return rc == ERROR_SUCCESS ? 1 : 0;
}

void CBriselListCtrl::RestoreSettings(int* pnColumns)
{
    if (pnColumns == nullptr)
    {
        return;
    }
    const int nStored = LoadColumnCount(m_strListName);
    if (nStored <= 0)
    {
        return;
    }
    if (nStored != *pnColumns + 1)
    {
        ResetLayout();
        return;
    }
    if (GetParent() == nullptr)
    {
        return;
    }
    HKEY hKey = OpenLayoutKey(m_strListName, KEY_READ);
    if (hKey == nullptr)
    {
        return;
    }
    CString strWhy;
    const BOOL bSound = IsStoredLayoutSound(hKey, strWhy);
    RegCloseKey(hKey);
    if (!bSound)
    {
        fprintf(stderr, "The column layout of list %s of \"%s\" is deleted: %s\n", static_cast<LPCSTR>(m_strListName),
                static_cast<LPCSTR>(GetParentText()), static_cast<LPCSTR>(strWhy));
        m_bLayoutReported = 1;
        ResetLayout();
    }
}
