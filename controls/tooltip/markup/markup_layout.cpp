// The two passes over a tip's mark-up: the text cut into stretches and
// tables, each stretch laid out line by line with the pen (x, y), and the
// line records that let the drawing pass align, justify and place what the
// measuring pass measured.
#include "controls/tooltip/markup/markup_drawer.h"

#include "platform/gdi/gdi.h"

#include <algorithm>
#include <cstring>

namespace
{

const char TABLE_TAG[] = "table";
const int TABLE_TAG_SKIP = 6; // "<table"

enum : int
{
    MAX_CACHED_FONTS = 64,
};

void FoldSize(SIZE* pTotal, const SIZE& part)
{
    pTotal->cx = std::max(pTotal->cx, part.cx);
    pTotal->cy += part.cy;
}

LOGFONTA LogFontOf(const StyleRecord& style)
{
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof(lf));
    lf.lfHeight = style.fontHeight;
    lf.lfWeight = style.fontWeight;
    lf.lfItalic = static_cast<BYTE>(style.italic != 0);
    lf.lfUnderline = static_cast<BYTE>(style.underline != 0);
    lf.lfStrikeOut = static_cast<BYTE>(style.strikeout != 0);
    lf.lfCharSet = DEFAULT_CHARSET;
    // The face is cut to what a LOGFONT holds.
    std::strncpy(lf.lfFaceName, style.faceName, LF_FACESIZE - 1);
    return lf;
}

} // namespace

void CMarkupDrawer::PrepareOutput(HDC hDC, const char* pszText, SIZE* pSize)
{
    m_hDC = hDC;
    SetTextJustification(GetMeasureDC(), 0, 0);
    m_strText = pszText != nullptr ? pszText : "";
    PrepareText();
    *pSize = SIZE{0, 0};
    if (m_strText.IsEmpty())
        return;
    m_nPrepare = 1;
    m_arrTables.clear();
    const RECT rc{0, 0, m_nMaxWidth, 0};
    DrawHtml(pSize, &rc);
    if (pSize->cx == 0 && pSize->cy == 0)
        m_strText.Empty();
    if (m_nMaxWidth != 0 && pSize->cx > m_nMaxWidth)
        pSize->cx = m_nMaxWidth;
    pSize->cx += 1;
    pSize->cy += 1;
}

void CMarkupDrawer::DrawHtml(SIZE* pSize, const RECT* pRect)
{
    HDC hDC = GetMeasureDC();
    RECT rc = *pRect;
    // Every pass draws its link areas anew; the measuring pass also starts
    // the line and animation records anew.
    m_arrHotAreas.clear();
    if (m_nPrepare)
    {
        m_arrLines.clear();
        m_arrAnimations.clear();
    }
    m_nTableIndex = m_nLinkCounter = m_nAnimationIndex = -1;
    m_nLineIndex = 0;
    m_nTableDepth = 0;
    m_arrStyles.clear();
    ResetStyle();
    ApplyNamedStyle("body", m_style);

    m_hFont = FontOfStyle(m_style);
    m_hOldFont = SelectObject(hDC, m_hFont);
    const int nOldMode = SetBkMode(hDC, m_style.backMode);
    const COLORREF clrOldText = SetTextColor(hDC, m_style.textColor);
    const COLORREF clrOldBack = SetBkColor(hDC, m_style.backColor);
    GetTextMetricsA(hDC, &m_tm);

    const CString& strText = m_strText;
    const int nLength = strText.GetLength();
    for (int nPos = 0; nPos < nLength;)
    {
        int nTable = nPos;
        const bool bTable = FindTag(strText, nTable, TABLE_TAG);
        if (nTable > nPos)
        {
            CString strStretch = strText.Mid(nPos, nTable - nPos);
            SIZE size{0, 0};
            DrawHtmlString(strStretch, &rc, &size);
            FoldSize(pSize, size);
            if (!m_nPrepare)
                rc.top += size.cy;
        }
        if (!bTable)
            break;
        int nEnd = nTable;
        FindTableEnd(strText, nEnd);
        nEnd = std::max(nEnd, nTable + TABLE_TAG_SKIP);
        CString strTable = strText.Mid(nTable, nEnd - nTable);
        SIZE size{0, 0};
        m_nTableDepth = 1;
        DrawHtmlTable(&size, strTable, &rc);
        m_nTableDepth = 0;
        FoldSize(pSize, size);
        if (!m_nPrepare)
            rc.top += size.cy;
        // The next stretch meets the closing tag and ignores it.
        nPos = nEnd;
    }

    SetBkMode(hDC, nOldMode);
    SetBkColor(hDC, clrOldBack);
    SetTextColor(hDC, clrOldText);
    SelectObject(hDC, m_hOldFont);
    m_hFont = nullptr;
    m_arrStyles.clear();
}

void CMarkupDrawer::DrawHtmlString(CString& strText, const RECT* pRect, SIZE* pSize)
{
    *pSize = SIZE{0, 0};
    strText = "<body>" + strText + "</body>";
    m_rcBlock = *pRect;
    m_nBlockWidth = m_rcBlock.right - m_rcBlock.left;
    const int nEntryLine = m_nLineIndex;

    int y = m_rcBlock.top;
    int x = BeginLine(m_rcBlock.left);
    int nLineStartX = x;
    const int nLength = strText.GetLength();
    for (int nPos = 0; nPos < nLength;)
    {
        CString strTag;
        CString strRun = GetNextChunk(strText, nPos, strTag);
        if (!strRun.IsEmpty())
        {
            TransformRun(strRun);
            PlaceRun(strRun, x, y, pSize);
        }
        if (!strTag.IsEmpty())
        {
            CString strName = strTag;
            const CString strAttributes = SplitTag(strName);
            DoTag(strName, strAttributes, x, y, pSize);
        }
        if (!m_bLineHasContent)
            nLineStartX = x;
    }
    if (x != nLineStartX || m_bLineHasContent)
    {
        m_line.justify = 0;
        BreakLine(1, x, y, pSize);
    }
    SetTextJustification(GetMeasureDC(), 0, 0);
    pSize->cy = y - m_rcBlock.top;
    // Rules given as a percentage widen the block by their share of it.
    const int nLast = std::min(m_nLineIndex, static_cast<int>(m_arrLines.size()) - 1);
    for (int i = nEntryLine; i <= nLast; i++)
    {
        const LineInfo& line = m_arrLines[static_cast<size_t>(i)];
        if (line.percentWidth != 0)
            pSize->cx = std::max(pSize->cx, line.width + MulDiv(line.percentWidth, pSize->cx, 100));
    }
}

int CMarkupDrawer::BeginLine(int nLeft)
{
    m_bLineHasContent = false;
    if (m_nPrepare)
    {
        m_line = LineInfo();
        m_line.align = m_style.horzAlign;
        const size_t nIndex = static_cast<size_t>(m_nLineIndex);
        if (m_arrLines.size() <= nIndex)
            m_arrLines.resize(nIndex + 1);
        m_arrLines[nIndex] = m_line;
        return nLeft;
    }
    const size_t nIndex = static_cast<size_t>(m_nLineIndex);
    m_line = nIndex < m_arrLines.size() ? m_arrLines[nIndex] : LineInfo();
    const int nAvailable = m_rcBlock.right - m_rcBlock.left;
    if (m_line.percentWidth != 0)
        m_line.width += MulDiv(nAvailable, m_line.percentWidth, 100);
    m_nRemainWidth = m_line.width;
    m_nRemainBreaks = m_line.breakCount;
    if (m_line.align == 3 && m_line.justify == 1)
        SetTextJustification(GetMeasureDC(), nAvailable - m_line.width, m_line.breakCount);
    else
        SetTextJustification(GetMeasureDC(), 0, 0);
    // A line wider than the block (a rule's percentage on top of its text)
    // starts at the left edge rather than before it.
    const int nSlack = std::max(nAvailable - m_line.width, 0);
    switch (m_line.align)
    {
    case 1:
        return nLeft + nSlack / 2;
    case 2:
        return nLeft + nSlack;
    default:
        return nLeft;
    }
}

void CMarkupDrawer::BreakLine(int nCount, int& x, int& y, SIZE* pSize)
{
    nCount = std::max(nCount, 1);
    if (m_nPrepare)
    {
        if (m_line.height == 0)
            m_line.height = m_tm.tmHeight;
        pSize->cx = std::max(pSize->cx, static_cast<LONG>(x - m_rcBlock.left));
        m_line.width = x - m_rcBlock.left;
        m_line.height += m_line.descent;
        m_arrLines[static_cast<size_t>(m_nLineIndex)] = m_line;
    }
    m_nLineIndex++;
    y += m_line.height * nCount;
    x = BeginLine(m_rcBlock.left);
}

int CMarkupDrawer::PlaceTextInLine(int y, int nHeight)
{
    if (m_nPrepare)
    {
        m_line.descent = std::max(m_line.descent, nHeight - static_cast<int>(m_tm.tmAscent));
        m_line.height = std::max(m_line.height, static_cast<int>(m_tm.tmAscent));
        return y;
    }
    switch (m_style.vertAlign)
    {
    case 1:
        return y + (m_line.height - m_tm.tmHeight) / 2;
    case 2:
        return y + m_line.height - m_tm.tmAscent;
    case 3:
        return y + m_line.height - m_tm.tmAscent - m_line.descent;
    default:
        return y;
    }
}

int CMarkupDrawer::PlaceObjectInLine(int y, int nHeight)
{
    if (m_nPrepare)
    {
        m_line.height = std::max(m_line.height, nHeight);
        return y;
    }
    switch (m_style.vertAlign)
    {
    case 1:
        return y + (m_line.height - nHeight) / 2;
    case 2:
        return y + m_line.height - nHeight;
    case 3:
        return y + m_line.height - m_line.descent - nHeight;
    default:
        return y;
    }
}

void CMarkupDrawer::AdvanceTab(int& x, int nCount)
{
    if (nCount == 0)
        nCount = 1;
    const int nTab = std::max(m_nTabWidth, 1);
    const int nRest = (x - m_rcBlock.left) % nTab;
    if (nRest != 0)
    {
        x += nTab - nRest;
        nCount--;
    }
    x += nTab * nCount;
    m_bLineHasContent = true;
}

void CMarkupDrawer::AddHotArea(int nLeft, int nTop, int nRight, int nBottom)
{
    if (m_style.linkKind == LINK_KIND_NONE)
        return;
    HotArea area;
    area.rect = RECT{nLeft, nTop, nRight, nBottom};
    area.kind = m_style.linkKind;
    area.linkIndex = m_nLinkCounter;
    area.target = m_style.linkTarget;
    m_arrHotAreas.push_back(area);
}

void CMarkupDrawer::ApplyStyleToDC()
{
    HDC hDC = GetMeasureDC();
    m_hFont = FontOfStyle(m_style);
    SelectObject(hDC, m_hFont);
    GetTextMetricsA(hDC, &m_tm);
    SetBkMode(hDC, m_style.backMode);
    SetTextColor(hDC, m_style.textColor);
    SetBkColor(hDC, m_style.backColor);
}

void CMarkupDrawer::ApplyNamedStyle(const char* pszSelector, StyleRecord& style)
{
    const char* pszDeclarations = GetCssStyle(pszSelector);
    if (pszDeclarations != nullptr)
        ApplyCssDeclarations(pszDeclarations, style);
}

// Fonts are kept by their LOGFONT: a tip selects the same few fonts on every
// pass and every hover. A text that asks for very many is served by a cache
// emptied of all but the selected font once it is full.
HFONT CMarkupDrawer::FontOfStyle(const StyleRecord& style)
{
    const LOGFONTA lf = LogFontOf(style);
    const std::string strKey(reinterpret_cast<const char*>(&lf), sizeof(lf));
    const auto found = m_mapFonts.find(strKey);
    if (found != m_mapFonts.end())
        return found->second;
    if (m_mapFonts.size() >= MAX_CACHED_FONTS)
    {
        for (auto it = m_mapFonts.begin(); it != m_mapFonts.end();)
        {
            if (it->second == m_hFont)
                ++it;
            else
            {
                DeleteObject(it->second);
                it = m_mapFonts.erase(it);
            }
        }
    }
    HFONT hFont = CreateFontIndirectA(&lf);
    if (hFont == nullptr)
        hFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    else
        m_mapFonts[strKey] = hFont;
    return hFont;
}

void CMarkupDrawer::FreeFonts()
{
    for (auto& entry : m_mapFonts)
        DeleteObject(entry.second);
    m_mapFonts.clear();
}

bool CMarkupDrawer::OpenBox(const char* pszName)
{
    m_style.name = pszName;
    return PushPopStyle(false);
}

void CMarkupDrawer::CloseBox(int nDepth)
{
    // Tags left open inside the box end with it, so its content cannot
    // change what follows the box.
    if (nDepth >= 0 && nDepth < GetStyleDepth())
    {
        m_style = m_arrStyles[static_cast<size_t>(nDepth)];
        m_arrStyles.resize(static_cast<size_t>(nDepth));
    }
    m_style.name.Empty();
    ApplyStyleToDC();
}
