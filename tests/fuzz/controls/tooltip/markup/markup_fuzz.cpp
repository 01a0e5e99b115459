// Tip mark-up from the network: the whole text walked as the layout walks
// it (preparation, chunks, tags, attributes, table extents and sizes, the
// attribute and value readers, run cutting) and read as a style sheet; then
// laid out and drawn, twice, into a bitmap of a tip's size, as the tooltip
// does. Every scan must move forward, stay inside the text and end; every
// size it reports must stay within its bound; the layout must end and keep
// its width within the maximum.
#include "controls/tooltip/markup/markup_drawer.h"

#include <cstdint>
#include <cstdlib>

#include "platform/gdi/gdi.h"
#include "tests/platform/gdi/canvas.h"

#include <algorithm>

namespace
{

void Check(bool bHolds)
{
    if (!bHolds)
        std::abort();
}

CMarkupDrawer& Drawer()
{
    static CMarkupDrawer* pDrawer = new CMarkupDrawer;
    return *pDrawer;
}

enum : int
{
    TIP_WIDTH = 320,
    TIP_HEIGHT = 240,
};

// A 32-bit bitmap of a tip's size in a memory DC, made once.
HDC TipDC()
{
    // Kept to the end of the process, as the drawer is.
    static gdi_test::Canvas* pCanvas = new gdi_test::Canvas(TIP_WIDTH, TIP_HEIGHT);
    return pCanvas->dc();
}

// Measured with the width a tip allows, drawn into the bitmap, drawn again
// with a link hovered, as the tooltip does.
void LayOut(const CString& strInput)
{
    static CMarkupDrawer* pLayout = new CMarkupDrawer;
    CMarkupDrawer& drawer = *pLayout;
    HDC hDC = TipDC();
    drawer.SetMaxWidth(TIP_WIDTH - 20);
    SIZE size{0, 0};
    drawer.PrepareOutput(hDC, strInput, &size);
    Check(size.cx >= 0 && size.cx <= TIP_WIDTH - 19 && size.cy >= 0);
    drawer.SetPrepareFlag(0);
    const RECT rc{0, 0, size.cx, std::min<LONG>(size.cy, TIP_HEIGHT)};
    for (int nPass = 0; nPass < 2; nPass++)
    {
        SIZE drawn{0, 0};
        drawer.DrawHtml(&drawn, &rc);
        if (!drawer.GetHotAreas().empty())
            drawer.OnSetCursor(POINT{drawer.GetHotAreas()[0].rect.left, drawer.GetHotAreas()[0].rect.top});
    }
    drawer.OnTimer();
    drawer.SetDC(nullptr);
}

void ScanFrom(CMarkupDrawer& drawer, const CString& strText, int nAt, const char* pszTag)
{
    const int nLength = strText.GetLength();
    int nEnd = nAt;
    if (pszTag[0] == 't' && pszTag[1] == 'a')
        drawer.FindTableEnd(strText, nEnd);
    else if (pszTag[1] == 'r')
        drawer.FindRowEnd(strText, nEnd);
    else
        drawer.FindCellEnd(strText, nEnd);
    Check(nEnd >= nAt && nEnd <= nLength);
}

void ReadAttributes(CMarkupDrawer& drawer, const CString& strAttributes)
{
    int nPos = 0;
    for (int nCount = 0;; nCount++)
    {
        CString strName;
        const int nBefore = nPos;
        const CString strValue = drawer.GetNextAttribute(strAttributes, nPos, strName);
        if (strName.IsEmpty())
            break;
        Check(nPos > nBefore && nPos <= strAttributes.GetLength() && nCount <= strAttributes.GetLength());
        drawer.ParseLength(strValue, 10, nCount % 2);
        drawer.ParseColor(strValue, 0);
        drawer.ParseBackEffect(strValue, -1);
    }
    StyleRecord style;
    const TableSpan span = drawer.ParseTableAttributes(strAttributes, style, true);
    Check(span.columns >= 1 && span.columns <= MARKUP_MAX_TABLE_COLUMNS);
    Check(span.rows >= 1 && span.rows <= MARKUP_MAX_TABLE_ROWS);
    Check(style.borderWidth >= 0 && style.borderWidth <= MARKUP_MAX_BORDER_WIDTH);
    Check(style.width >= 0 && style.width <= MARKUP_MAX_LENGTH);
    Check(style.margin >= 0 && style.margin <= MARKUP_MAX_LENGTH);
    ImageAttributes image;
    image.width = image.height = 100;
    drawer.ParseImageAttributes(strAttributes, image);
    Check(image.cx >= 0 && image.cx <= MARKUP_MAX_LENGTH && image.width >= 0 && image.width <= MARKUP_MAX_LENGTH);
    Check(image.speed >= 0 && image.speed <= MARKUP_MAX_SPEED && image.index >= 0);
    CMarkupDrawer::ParseFontFlags(strAttributes, style);
    drawer.ApplyCssDeclarations(strAttributes, style);
    Check(style.fontHeight >= 1 && style.fontHeight <= MARKUP_MAX_FONT_HEIGHT);
}

void CutRun(CMarkupDrawer& drawer, CString strRun)
{
    // On an empty line every cut takes at least one byte.
    for (int nCount = 0; !strRun.IsEmpty() && nCount < 64; nCount++)
    {
        const int nBefore = strRun.GetLength();
        int nWidth = 40;
        drawer.FitPiece(strRun, 40, nWidth);
        Check(strRun.GetLength() < nBefore);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMarkupDrawer& drawer = Drawer();
    drawer.SetDefaultCssStyles();
    const CString strInput(reinterpret_cast<const char*>(data), static_cast<int>(size));
    drawer.SetMarkupText(strInput);
    drawer.PrepareText();
    const CString strText = drawer.GetMarkupText();
    const int nLength = strText.GetLength();
    Check(nLength <= MARKUP_MAX_TEXT);

    int nPos = 0;
    int nCuts = 0;
    for (int nChunks = 0; nPos < nLength; nChunks++)
    {
        Check(nChunks <= nLength);
        const int nBefore = nPos;
        CString strTag;
        const CString strRun = drawer.GetNextChunk(strText, nPos, strTag);
        Check(nPos > nBefore && nPos <= nLength);
        if (!strRun.IsEmpty() && nCuts++ < 4)
            CutRun(drawer, strRun);
        if (strTag.IsEmpty())
            continue;
        CString strName = strTag;
        const CString strAttributes = drawer.SplitTag(strName);
        CString strStyle;
        int nClosing = 0;
        drawer.GetTagId(strName, strStyle, nClosing);
        ReadAttributes(drawer, strAttributes);
    }

    for (const char* pszTag : {"table", "tr", "td"})
    {
        int nAt = 0;
        for (int nFound = 0; nFound < 64 && drawer.FindTag(strText, nAt, pszTag); nFound++, nAt++)
            ScanFrom(drawer, strText, nAt, pszTag);
        Check(nAt <= nLength + 1);
    }
    const TableSize table = drawer.GetTableSize(strText);
    Check(table.columns >= 0 && table.columns <= MARKUP_MAX_TABLE_COLUMNS);
    Check(table.rows >= 0 && table.rows <= MARKUP_MAX_TABLE_ROWS);

    drawer.SetCssStyles(strInput);
    LayOut(strInput);
    return 0;
}
