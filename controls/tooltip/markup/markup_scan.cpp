// The scanning primitives that every reader of the mark-up walks with. A
// position is a byte index into the text; each primitive only moves it
// forward and never past the end.
#include "controls/tooltip/markup/markup_drawer.h"

#include <algorithm>
#include <cstring>

namespace
{

void ClampPosition(int& nPos, int nLength)
{
    nPos = std::clamp(nPos, 0, nLength);
}

} // namespace

bool CMarkupDrawer::IsWordStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
}

bool CMarkupDrawer::SkipToWordStart(const CString& strText, int& nPos)
{
    const char* p = strText;
    const int nLength = strText.GetLength();
    ClampPosition(nPos, nLength);
    while (nPos < nLength && !IsWordStart(p[nPos]))
        nPos++;
    return nPos < nLength;
}

char CMarkupDrawer::ScanTo(const CString& strText, int& nPos, const char* pszSet)
{
    const char* p = strText;
    const int nLength = strText.GetLength();
    ClampPosition(nPos, nLength);
    while (nPos < nLength && (p[nPos] == '\0' || std::strchr(pszSet, p[nPos]) == nullptr))
        nPos++;
    return nPos < nLength ? p[nPos] : '\0';
}

char CMarkupDrawer::SkipSet(const CString& strText, int& nPos, const char* pszSet)
{
    const char* p = strText;
    const int nLength = strText.GetLength();
    ClampPosition(nPos, nLength);
    while (nPos < nLength && p[nPos] != '\0' && std::strchr(pszSet, p[nPos]) != nullptr)
        nPos++;
    return nPos < nLength ? p[nPos] : '\0';
}

int CMarkupDrawer::CountChar(const CString& strText, char c)
{
    const char* p = strText;
    int nCount = 0;
    for (int i = 0, n = strText.GetLength(); i < n; i++)
        nCount += p[i] == c;
    return nCount;
}
