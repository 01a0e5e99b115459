// The extents of tables, rows and cells in a text of mark-up, and the size
// of a table. Every scanner moves forward only and stops at the end of the
// text: a tag without its closing tag runs to the end, and nested tables
// are stepped over whole.
#include "controls/tooltip/markup/markup_drawer.h"

#include <algorithm>

namespace
{

enum : int
{
    TABLE_OPEN_SKIP = 7,  // past "<table" and one more byte
    TABLE_CLOSE_SKIP = 8, // past "</table>"
    NESTED_TABLE_SKIP = 6,
    ROW_OPEN_SKIP = 4,
    ROW_CLOSE_SKIP = 5,
    CELL_OPEN_SKIP = 4,
};

// The next occurrence of one tag at or after a position that only grows;
// the text is searched again only once the position has passed the last
// occurrence found, so a scan costs one pass over the text per tag name.
class CNextTag
{
public:
    CNextTag(const CString& strText, const char* pszName) : m_strText(strText), m_pszName(pszName), m_nFound(-1) {}

    // The occurrence's position, or the text's length when there is none.
    int From(int nPos)
    {
        if (m_nFound < nPos)
        {
            const int nFound =
                CMarkupDrawer::FindTagBefore(m_strText, nPos, m_strText.GetLength(), m_pszName);
            m_nFound = nFound >= 0 ? nFound : m_strText.GetLength();
        }
        return m_nFound;
    }

private:
    const CString& m_strText;
    const char* m_pszName;
    int m_nFound;
};

int Start(const CString& strText, int nPos)
{
    return std::clamp(nPos, 0, strText.GetLength());
}

} // namespace

void CMarkupDrawer::FindTableEnd(const CString& strText, int& nPos) const
{
    const int nLength = strText.GetLength();
    const int nStart = Start(strText, nPos);
    int nOpenCursor = std::min(nStart + TABLE_OPEN_SKIP, nLength);
    int nCloseCursor = nOpenCursor;
    int nDepth = 1;
    CNextTag open(strText, "table"), close(strText, "/table");
    while (nDepth > 0)
    {
        const int a = open.From(nOpenCursor), b = close.From(nCloseCursor);
        if (a >= nLength && b >= nLength)
            break;
        if (b < a)
        {
            nDepth--;
            nCloseCursor = b + TABLE_CLOSE_SKIP;
        }
        else
        {
            nDepth++;
            nOpenCursor = a + TABLE_OPEN_SKIP;
        }
    }
    nPos = nDepth == 0 ? nCloseCursor - TABLE_CLOSE_SKIP : nLength;
}

void CMarkupDrawer::FindRowEnd(const CString& strText, int& nPos) const
{
    const int nLength = strText.GetLength();
    int p = std::min(Start(strText, nPos) + ROW_OPEN_SKIP, nLength);
    int nDepth = 1;
    CNextTag close(strText, "/tr");
    while (p < nLength && nDepth > 0)
    {
        const int b = close.From(p);
        const int a = FindTagBefore(strText, p, b, "tr");
        const int c = FindTagBefore(strText, p, a >= 0 ? a : b, "table");
        if (c >= 0)
        {
            int nTableEnd = c;
            FindTableEnd(strText, nTableEnd);
            p = nTableEnd + NESTED_TABLE_SKIP;
        }
        else if (a >= 0)
        {
            nDepth++;
            p = a + ROW_OPEN_SKIP;
        }
        else if (b < nLength)
        {
            nDepth--;
            p = b + ROW_CLOSE_SKIP;
        }
        else
        {
            break;
        }
    }
    nPos = nDepth == 0 ? p - ROW_CLOSE_SKIP : nLength;
}

void CMarkupDrawer::FindCellEnd(const CString& strText, int& nPos) const
{
    const int nLength = strText.GetLength();
    int p = std::min(Start(strText, nPos) + CELL_OPEN_SKIP, nLength);
    CNextTag close(strText, "/td");
    for (;;)
    {
        const int b = close.From(p);
        const int c = FindTagBefore(strText, p, b, "table");
        if (c < 0)
        {
            nPos = b;
            return;
        }
        int nTableEnd = c;
        FindTableEnd(strText, nTableEnd);
        p = nTableEnd + NESTED_TABLE_SKIP;
    }
}

TableSize CMarkupDrawer::GetTableSize(const CString& strText)
{
    TableSize size;
    StyleRecord scratch;
    int nPos = 0;
    while (size.rows < MARKUP_MAX_TABLE_ROWS && FindTag(strText, nPos, "tr"))
    {
        size.rows++;
        int nRowEnd = nPos;
        FindRowEnd(strText, nRowEnd);
        int nColumns = 0;
        for (int p = nPos;;)
        {
            const int nCell = FindTagBefore(strText, p, nRowEnd, "td");
            if (nCell < 0)
                break;
            int nTagPos = nCell;
            CString strTag;
            GetNextChunk(strText, nTagPos, strTag);
            const TableSpan span = ParseTableAttributes(SplitTag(strTag), scratch, true);
            nColumns = std::min(nColumns + span.columns, static_cast<int>(MARKUP_MAX_TABLE_COLUMNS));
            int nCellEnd = nCell;
            FindCellEnd(strText, nCellEnd);
            p = std::max(nCellEnd, nCell + 1);
        }
        size.columns = std::max(size.columns, nColumns);
        nPos = std::max(nRowEnd, nPos + 1);
    }
    return size;
}
