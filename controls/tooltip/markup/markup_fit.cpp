// Cutting a text run at the width left on a line.
#include "controls/tooltip/markup/markup_drawer.h"

#include "platform/gdi/gdi.h"

#include <algorithm>

namespace
{

const char BREAK_CHARS[] = " -.,!:;)}]?";

int TextWidth(HDC hDC, const char* p, int nCount)
{
    SIZE size{0, 0};
    if (nCount > 0)
        GetTextExtentPoint32A(hDC, p, nCount, &size);
    return size.cx;
}

} // namespace

// The piece is cut after the last break character whose preceding bytes fit
// in the width left, without its trailing spaces, and the run keeps the rest
// without its leading spaces. With no such break character a line that
// holds nothing yet takes the longest prefix that fits, at least one byte;
// a line that holds something gets an empty piece (the caller breaks the
// line and tries again). On an empty line the run therefore always gets
// shorter.
CString CMarkupDrawer::FitPiece(CString& strRun, int nLineWidth, int& nWidth)
{
    const int nLeft = nWidth;
    const int nLength = strRun.GetLength();
    HDC hDC = GetMeasureDC();
    const char* p = strRun;
    if (nLength == 0)
    {
        nWidth = 0;
        return CString();
    }
    // No byte past the ones that fit as a whole can end a fitting prefix.
    int nFit = 0;
    SIZE whole{0, 0};
    GetTextExtentExPointA(hDC, p, nLength, std::max(nLeft, 0), &nFit, nullptr, &whole);
    nFit = std::clamp(nFit, 0, nLength);

    int nCut = -1;
    for (int nPos = 0;;)
    {
        const char cBreak = ScanTo(strRun, nPos, BREAK_CHARS);
        if (cBreak == '\0' || nPos > nFit || TextWidth(hDC, p, nPos) > nLeft)
            break;
        nCut = nPos;
        nPos++;
    }

    CString strPiece;
    if (nCut >= 0)
    {
        strPiece = strRun.Left(nCut + 1);
        strPiece.TrimRight(' ');
        strRun = strRun.Mid(nCut + 1);
        strRun.TrimLeft(' ');
        nWidth = TextWidth(hDC, strPiece, strPiece.GetLength());
        return strPiece;
    }
    if (nLeft != nLineWidth)
    {
        nWidth = 0;
        return strPiece;
    }
    const int nCount = std::max(nFit, 1);
    strPiece = strRun.Left(nCount);
    strRun = strRun.Mid(nCount);
    nWidth = TextWidth(hDC, strPiece, strPiece.GetLength());
    return strPiece;
}
