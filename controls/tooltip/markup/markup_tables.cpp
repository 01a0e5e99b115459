// Tables of the mark-up: the measuring pass finds every cell's size and from
// them the column widths and row heights; the drawing pass places the cells
// from those records, stretches the columns to the rectangle and draws
// backgrounds, borders and content.
//
// Spans read from the text are cut to the table before anything is summed
// over them, and a span below 1 is 1, so no sum reaches past the table.
#include "controls/tooltip/markup/markup_drawer.h"

#include "platform/gdi/gdi.h"

#include <algorithm>
#include <tuple>

namespace
{

enum : int
{
    DOUBLE_BORDER = 6,
    ROW_CLOSE_SKIP = 5,  // "</tr>"
    CELL_CLOSE_SKIP = 5, // "</td>"
    EFFECT_GRANULARITY = 5,
};

// Pixels a table's border takes on each side.
int BorderInset(const StyleRecord& style)
{
    return style.borderStyle == DOUBLE_BORDER ? 3 * style.borderWidth : style.borderWidth;
}

// The cells that start a span (colSpan or rowSpan at least 1) as (span,
// row, column), narrow spans first, in table order among equal spans.
std::vector<std::tuple<int, int, int>> SpansNarrowFirst(const TableInfo& table, int CellInfo::*pSpan)
{
    std::vector<std::tuple<int, int, int>> order;
    for (size_t r = 0; r < table.cells.size(); r++)
        for (size_t c = 0; c < table.cells[r].size(); c++)
            if (table.cells[r][c].*pSpan >= 1)
                order.emplace_back(table.cells[r][c].*pSpan, static_cast<int>(r), static_cast<int>(c));
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
    return order;
}

// Sum of (size + spacing + 1) over the first n entries: where entry n starts.
int Offset(const std::vector<int>& sizes, int n, int nSpacing)
{
    int nSum = 0;
    for (int i = 0; i < n; i++)
        nSum += sizes[static_cast<size_t>(i)] + nSpacing + 1;
    return nSum;
}

// Sum of the sizes of n entries from the first, with (spacing + 1) between.
int Extent(const std::vector<int>& sizes, int nFirst, int n, int nSpacing)
{
    int nSum = 0;
    for (int i = nFirst; i < nFirst + n; i++)
        nSum += sizes[static_cast<size_t>(i)];
    return nSum + (nSpacing + 1) * (n - 1);
}

// s + (n - 1) + sum of (size + s), with the border on both sides.
int TableExtent(const std::vector<int>& sizes, int nSpacing, int nInset)
{
    int nSum = nSpacing + static_cast<int>(sizes.size()) - 1;
    for (int n : sizes)
        nSum += n + nSpacing;
    return std::max(nSum + 2 * nInset, 0);
}

// The inside of the tag at the start of a table, row or cell text, and the
// position after it.
CString OpeningAttributes(const CMarkupDrawer& drawer, const CString& strText, int& nPos)
{
    nPos = 0;
    CString strTag = drawer.GetTagBody(strText, nPos);
    return drawer.SplitTag(strTag);
}

} // namespace

void CMarkupDrawer::DrawHtmlTable(SIZE* pSize, CString& strTableText, const RECT* pRect)
{
    const int nIndex = ++m_nTableIndex;
    *pSize = SIZE{0, 0};
    if (m_nPrepare)
    {
        const TableSize dims = GetTableSize(strTableText);
        TableInfo info;
        info.cells.assign(static_cast<size_t>(dims.rows), std::vector<CellInfo>(static_cast<size_t>(dims.columns)));
        info.columnWidths.assign(static_cast<size_t>(dims.columns), 0);
        info.rowHeights.assign(static_cast<size_t>(dims.rows), 0);
        info.columnFixed.assign(static_cast<size_t>(dims.columns), 0);
        m_arrTables.push_back(std::move(info));
    }
    if (nIndex >= static_cast<int>(m_arrTables.size()))
        return;
    TableInfo table = m_arrTables[static_cast<size_t>(nIndex)];
    const int nColumns = static_cast<int>(table.columnWidths.size());
    const int nRows = static_cast<int>(table.rowHeights.size());

    const int nDepth = GetStyleDepth();
    if (!OpenBox("table"))
        return;
    ApplyNamedStyle("table", m_style);
    int nPos = 0;
    ParseTableAttributes(OpeningAttributes(*this, strTableText, nPos), m_style, true);
    ApplyStyleToDC();

    const int s = m_style.padding;
    const int nInset = BorderInset(m_style);
    RECT rcCells{0, 0, 0, 0};
    if (!m_nPrepare)
    {
        HDC hDC = GetMeasureDC();
        int nWidth = TableExtent(table.columnWidths, s, nInset);
        const int nBottom = pRect->top + TableExtent(table.rowHeights, s, nInset);
        const int nAvailable = pRect->right - pRect->left;
        int nLeft = pRect->left;
        if (nWidth < nAvailable)
        {
            int nExtra = nAvailable - nWidth;
            int nFree = static_cast<int>(std::count(table.columnFixed.begin(), table.columnFixed.end(), 0));
            for (int c = 0; c < nColumns && nFree > 0; c++)
            {
                if (table.columnFixed[static_cast<size_t>(c)] != 0)
                    continue;
                const int nShare = nExtra / nFree;
                table.columnWidths[static_cast<size_t>(c)] += nShare;
                nExtra -= nShare;
                nFree--;
                nWidth += nShare;
            }
            if (nWidth < nAvailable && m_style.horzAlign == 1)
                nLeft += (nAvailable - nWidth) / 2;
            else if (nWidth < nAvailable && m_style.horzAlign == 2)
                nLeft = pRect->right - nWidth;
        }
        const RECT rcTable{nLeft, pRect->top, nLeft + nWidth, nBottom};
        if (m_style.backEffect >= 0)
            m_drawManager.FillEffect(hDC, rcTable, m_style.backEffect, m_style.backColor, m_style.backMidColor,
                                     m_style.backEndColor, EFFECT_GRANULARITY, 0);
        else if (!m_style.backImage.IsEmpty())
            DrawBackgroundImage(hDC, rcTable, m_style.backImage);
        if (m_style.borderWidth > 0 && m_style.borderStyle != 0)
            m_drawManager.DrawRectangle(hDC, rcTable, m_style.borderLightColor, m_style.borderDarkColor,
                                        m_style.borderStyle, m_style.borderWidth);
        rcCells = RECT{rcTable.left + nInset, rcTable.top + nInset, rcTable.right - nInset, rcTable.bottom - nInset};
        pSize->cx = nWidth;
        pSize->cy = nBottom - pRect->top;
    }

    if (nColumns > 0 && nRows > 0)
    {
        const int nLength = strTableText.GetLength();
        for (int r = 0; r < nRows && FindTag(strTableText, nPos, "tr"); r++)
        {
            int nEnd = nPos;
            FindRowEnd(strTableText, nEnd);
            CString strRow = strTableText.Mid(nPos, nEnd - nPos);
            DrawHtmlTableRow(strRow, &rcCells, table, r);
            nPos = std::min(std::max(nEnd, nPos + 1) + ROW_CLOSE_SKIP, nLength);
        }
    }

    if (m_nPrepare)
    {
        MeasureColumns(table);
        MeasureRows(table);
        pSize->cx = TableExtent(table.columnWidths, s, nInset);
        pSize->cy = TableExtent(table.rowHeights, s, nInset);
    }
    // Nested tables were appended meanwhile: this table's record is the one
    // at the index it took.
    m_arrTables[static_cast<size_t>(nIndex)] = std::move(table);
    CloseBox(nDepth);
}

void CMarkupDrawer::DrawHtmlTableRow(CString& strRowText, const RECT* pCellsRect, TableInfo& table, int nRow)
{
    const int nDepth = GetStyleDepth();
    if (!OpenBox("tr"))
        return;
    ApplyNamedStyle("tr", m_style);
    int nPos = 0;
    ParseTableAttributes(OpeningAttributes(*this, strRowText, nPos), m_style, false);
    ApplyStyleToDC();

    const int nColumns = static_cast<int>(table.columnWidths.size());
    const int nRows = static_cast<int>(table.rowHeights.size());
    std::vector<CellInfo>& cells = table.cells[static_cast<size_t>(nRow)];
    const int s = m_style.padding;
    const int nLength = strRowText.GetLength();
    int c = 0;
    while (nPos < nLength)
    {
        int nCell = nPos;
        if (!FindTag(strRowText, nCell, "td"))
            break;
        const int nRowEnd = FindTagBefore(strRowText, nPos, nLength, "/tr");
        if (nRowEnd >= 0 && nRowEnd < nCell)
            break;
        while (c < nColumns && cells[static_cast<size_t>(c)].colSpan < 0)
            c++;
        if (c >= nColumns)
            break;
        int nCellEnd = nCell;
        FindCellEnd(strRowText, nCellEnd);
        CString strCell = strRowText.Mid(nCell, nCellEnd - nCell);
        CellInfo& cell = cells[static_cast<size_t>(c)];

        RECT rcCell{0, 0, 0, 0};
        if (!m_nPrepare)
        {
            const int nColSpan = std::clamp(cell.colSpan, 1, nColumns - c);
            const int nRowSpan = std::clamp(cell.rowSpan, 1, nRows - nRow);
            rcCell.left = pCellsRect->left + s + Offset(table.columnWidths, c, s);
            rcCell.right = rcCell.left + Extent(table.columnWidths, c, nColSpan, s);
            rcCell.top = pCellsRect->top + s + Offset(table.rowHeights, nRow, s);
            rcCell.bottom = rcCell.top + Extent(table.rowHeights, nRow, nRowSpan, s);
        }
        DrawHtmlTableCell(cell, strCell, &rcCell);
        if (m_nPrepare)
        {
            cell.colSpan = std::clamp(cell.colSpan, 1, nColumns - c);
            cell.rowSpan = std::clamp(cell.rowSpan, 1, nRows - nRow);
            for (int r = nRow; r < nRow + cell.rowSpan; r++)
            {
                for (int k = c; k < c + cell.colSpan; k++)
                {
                    if (r != nRow || k != c)
                        table.cells[static_cast<size_t>(r)][static_cast<size_t>(k)].colSpan =
                            table.cells[static_cast<size_t>(r)][static_cast<size_t>(k)].rowSpan = -1;
                }
            }
        }
        c += std::max(cell.colSpan, 1);
        nPos = std::min(std::max(nCellEnd, nCell + 1) + CELL_CLOSE_SKIP, nLength);
    }
    CloseBox(nDepth);
}

void CMarkupDrawer::DrawHtmlTableCell(CellInfo& cell, CString& strCellText, const RECT* pCellRect)
{
    if (m_nPrepare)
        cell.contentWidth = cell.contentHeight = 0;
    const int nDepth = GetStyleDepth();
    if (!OpenBox("td"))
        return;
    ApplyNamedStyle("td", m_style);
    m_style.width = m_style.height = 0;
    int nPos = 0;
    const TableSpan span = ParseTableAttributes(OpeningAttributes(*this, strCellText, nPos), m_style, false);

    RECT rcContent = *pCellRect;
    if (m_nPrepare)
    {
        cell.colSpan = span.columns;
        cell.rowSpan = span.rows;
        cell.contentWidth = m_style.width;
        cell.contentHeight = 0;
        cell.fixedWidth = m_style.width > 0 ? 1 : 0;
        rcContent = RECT{pCellRect->left, pCellRect->top, pCellRect->left + m_style.width, pCellRect->top};
    }
    else
    {
        HDC hDC = GetMeasureDC();
        if (m_style.backEffect >= 0)
            m_drawManager.FillEffect(hDC, rcContent, m_style.backEffect, m_style.backColor, m_style.backMidColor,
                                     m_style.backEndColor, EFFECT_GRANULARITY, 0);
        if (m_style.borderStyle != 0)
            m_drawManager.DrawRectangle(hDC, rcContent, m_style.borderDarkColor, m_style.borderLightColor,
                                        m_style.borderStyle, 1);
        const int d = m_style.borderWidth + m_style.margin;
        rcContent = RECT{rcContent.left + d, rcContent.top + d, rcContent.right - d, rcContent.bottom - d};
        if (m_style.vertAlign == 1)
            rcContent.top += (rcContent.bottom - cell.contentHeight - rcContent.top) / 2;
        else if (m_style.vertAlign == 2)
            rcContent.top = rcContent.bottom - cell.contentHeight;
    }

    const int nLength = strCellText.GetLength();
    while (nPos < nLength)
    {
        const int nClose = FindTagBefore(strCellText, nPos, nLength, "/td");
        const int nTable = FindTagBefore(strCellText, nPos, nLength, "table");
        const int a = nClose >= 0 ? nClose : nLength;
        const int t = nTable >= 0 ? nTable : nLength;
        const int e = std::min(a, t);
        SIZE size{0, 0};
        if (e > nPos)
        {
            CString strStretch = strCellText.Mid(nPos, e - nPos);
            DrawHtmlString(strStretch, &rcContent, &size);
            nPos = e;
        }
        else if (t < a)
        {
            int nEnd = t;
            FindTableEnd(strCellText, nEnd);
            nEnd = std::max(nEnd, t + 1);
            CString strTable = strCellText.Mid(t, nEnd - t);
            DrawNestedTable(&size, strTable, &rcContent);
            nPos = nEnd;
        }
        else
            break;
        if (m_nPrepare)
        {
            cell.contentWidth = std::max(cell.contentWidth, static_cast<int>(size.cx));
            cell.contentHeight += size.cy;
        }
        rcContent.top += size.cy;
    }

    if (m_nPrepare)
    {
        const int d = 2 * (m_style.borderWidth + m_style.margin);
        cell.width = std::max(m_style.width, cell.contentWidth) + d;
        cell.height = std::max(m_style.height, cell.contentHeight) + d;
    }
    CloseBox(nDepth);
}

void CMarkupDrawer::DrawNestedTable(SIZE* pSize, CString& strTableText, const RECT* pRect)
{
    *pSize = SIZE{0, 0};
    if (m_nTableDepth >= MARKUP_MAX_TABLE_DEPTH)
        return;
    const RECT rcBlock = m_rcBlock;
    const int nBlockWidth = m_nBlockWidth;
    m_nTableDepth++;
    DrawHtmlTable(pSize, strTableText, pRect);
    m_nTableDepth--;
    m_rcBlock = rcBlock;
    m_nBlockWidth = nBlockWidth;
}

// Column widths from the cells, narrow spans first: a spanning cell only
// widens its columns by what they lack.
void CMarkupDrawer::MeasureColumns(TableInfo& table) const
{
    for (const auto& [nSpan, r, c] : SpansNarrowFirst(table, &CellInfo::colSpan))
    {
        const CellInfo& cell = table.cells[static_cast<size_t>(r)][static_cast<size_t>(c)];
        int nSum = 0;
        for (int k = c; k < c + nSpan; k++)
        {
            nSum += table.columnWidths[static_cast<size_t>(k)];
            if (cell.fixedWidth)
                table.columnFixed[static_cast<size_t>(k)] = 1;
        }
        if (nSum >= cell.width)
            continue;
        const int nExtra = cell.width - nSum;
        for (int k = c; k < c + nSpan; k++)
            table.columnWidths[static_cast<size_t>(k)] += nExtra / nSpan;
        table.columnWidths[static_cast<size_t>(c + nSpan - 1)] += nExtra % nSpan;
    }
}

void CMarkupDrawer::MeasureRows(TableInfo& table) const
{
    for (const auto& [nSpan, r, c] : SpansNarrowFirst(table, &CellInfo::rowSpan))
    {
        const CellInfo& cell = table.cells[static_cast<size_t>(r)][static_cast<size_t>(c)];
        int nSum = 0;
        for (int k = r; k < r + nSpan; k++)
            nSum += table.rowHeights[static_cast<size_t>(k)];
        if (nSum >= cell.height)
            continue;
        const int nExtra = cell.height - nSum;
        for (int k = r; k < r + nSpan; k++)
            table.rowHeights[static_cast<size_t>(k)] += nExtra / nSpan;
        table.rowHeights[static_cast<size_t>(r)] += nExtra % nSpan;
    }
}
