// Readers of the values that styles and attributes give: lengths with their
// units, colours, and keywords. Each returns the field's new value from the
// text and the field's current value. Numbers saturate instead of
// overflowing; callers clamp the result to the field's own range.
#include "controls/tooltip/markup/markup_drawer.h"

#include "platform/gdi/gdi.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{

const int FONT_SIZES[] = {8, 10, 12, 14, 18, 24, 36};

int Saturate(int64_t n)
{
    return static_cast<int>(std::clamp<int64_t>(n, INT_MIN, INT_MAX));
}

// The decimal number at the start of the text as atoi reads it (blanks,
// a sign, digits), saturated to the range of an int.
int ReadDecimal(const char* p)
{
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v')
        p++;
    const bool bNegative = *p == '-';
    if (*p == '-' || *p == '+')
        p++;
    int64_t n = 0;
    for (; *p >= '0' && *p <= '9'; p++)
        n = std::min<int64_t>(n * 10 + (*p - '0'), int64_t(INT_MAX) + 1);
    return Saturate(bNegative ? -n : n);
}

// The number at the start of the text with C's base detection ("0x" hex,
// a leading "0" octal), as strtoul reads it; 0 when there is none.
// ULLONG_MAX beyond the range, which *pOverflow then tells.
unsigned long long ReadUnsigned(const char* p, bool* pOverflow = nullptr)
{
    errno = 0;
    const unsigned long long n = std::strtoull(p, nullptr, 0);
    const bool bOverflow = errno == ERANGE;
    if (pOverflow != nullptr)
        *pOverflow = bOverflow;
    return bOverflow ? ULLONG_MAX : n;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool EndsWith(const CString& strValue, const char* pszUnit)
{
    return strValue.GetLength() >= 2 && strValue.Right(2) == pszUnit;
}

struct Keyword
{
    const char* text;
    int value;
};

// The value of the keyword, or nUnknown.
template <size_t N>
int Lookup(const CString& strValue, const Keyword (&keywords)[N], int nUnknown)
{
    for (const Keyword& k : keywords)
    {
        if (strValue == k.text)
            return k.value;
    }
    return nUnknown;
}

} // namespace

int CMarkupDrawer::ParseLength(const CString& strValue, int nCurrent, BOOL bFontSizeMode)
{
    if (strValue.IsEmpty())
        return nCurrent;
    if (strValue[strValue.GetLength() - 1] == '%')
        return MulDiv(nCurrent, ReadDecimal(strValue), 100);

    const char* p = strValue;
    if (*p == '+' || *p == '-')
        p++;
    const CString strNumber(p);
    const int64_t n = ReadDecimal(strNumber);
    HDC hDC = GetMeasureDC();
    const int64_t d = GetDeviceCaps(hDC, LOGPIXELSY);
    if (EndsWith(strNumber, "px"))
        return Saturate(n);
    if (EndsWith(strNumber, "ex"))
    {
        SIZE size{0, 0};
        GetTextExtentPoint32A(hDC, "x", 1, &size);
        return Saturate(n * size.cy);
    }
    if (EndsWith(strNumber, "em"))
    {
        TEXTMETRICA tm{};
        GetTextMetricsA(hDC, &tm);
        return Saturate(n * tm.tmHeight);
    }
    if (EndsWith(strNumber, "in"))
        return Saturate(n * d);
    if (EndsWith(strNumber, "cm"))
        return Saturate(static_cast<int64_t>(static_cast<double>(n * d) / 2.54));
    if (EndsWith(strNumber, "mm"))
        return Saturate(static_cast<int64_t>(static_cast<double>(n * d) / 25.4));
    if (EndsWith(strNumber, "pt"))
        return Saturate(n * d / 72);
    if (EndsWith(strNumber, "pc"))
        return Saturate(n * d / 6);

    const unsigned long long m = ReadUnsigned(strNumber);
    if (bFontSizeMode && m >= 1 && m <= 7)
        return FONT_SIZES[m - 1];
    return static_cast<int>(std::min<unsigned long long>(m, INT_MAX));
}

COLORREF CMarkupDrawer::ParseColor(const CString& strValue, COLORREF clrCurrent) const
{
    if (strValue.IsEmpty())
        return clrCurrent;
    const char* p = strValue;
    if (p[0] == '#')
    {
        if (strValue.GetLength() != 7)
            return clrCurrent;
        int nDigits[6];
        for (int i = 0; i < 6; i++)
        {
            nDigits[i] = HexDigit(p[i + 1]);
            if (nDigits[i] < 0)
                return clrCurrent;
        }
        return RGB(nDigits[0] * 16 + nDigits[1], nDigits[2] * 16 + nDigits[3], nDigits[4] * 16 + nDigits[5]);
    }
    if (p[0] >= '0' && p[0] <= '9')
    {
        // The number is the COLORREF itself; its top byte, which would make
        // it a palette or special colour, is dropped.
        return static_cast<COLORREF>(ReadUnsigned(p) & 0x00FFFFFF);
    }
    return GetColorByName(p, clrCurrent);
}

UINT_PTR CMarkupDrawer::ParseHandle(const CString& strValue)
{
    bool bOverflow = false;
    const unsigned long long n = ReadUnsigned(strValue, &bOverflow);
    return bOverflow || n > UINTPTR_MAX ? 0 : static_cast<UINT_PTR>(n);
}

int CMarkupDrawer::ParseFontStyle(const CString& strValue, int nCurrent)
{
    static const Keyword KEYWORDS[] = {{"normal", 0}, {"", 0}, {"italic", 1}, {"oblique", 1}};
    return Lookup(strValue, KEYWORDS, nCurrent);
}

int CMarkupDrawer::ParseFontWeight(const CString& strValue, int)
{
    static const Keyword KEYWORDS[] = {{"normal", 400}, {"", 400}, {"bold", 700}, {"bolder", 900}, {"lighter", 100}};
    const int nWeight = Lookup(strValue, KEYWORDS, -1);
    return nWeight >= 0 ? nWeight : std::clamp(ReadDecimal(strValue), 0, 1000);
}

int CMarkupDrawer::ParseHorzAlign(const CString& strValue, int nCurrent)
{
    static const Keyword KEYWORDS[] = {{"left", 0}, {"", 0}, {"center", 1}, {"right", 2}};
    return Lookup(strValue, KEYWORDS, nCurrent);
}

int CMarkupDrawer::ParseVertAlign(const CString& strValue, int nCurrent)
{
    static const Keyword KEYWORDS[] = {{"baseline", 3}, {"", 3}, {"middle", 1}, {"vcenter", 1}, {"top", 0},
                                       {"bottom", 2}};
    return Lookup(strValue, KEYWORDS, nCurrent);
}

int CMarkupDrawer::ParseTextTransform(const CString& strValue, int nCurrent)
{
    static const Keyword KEYWORDS[] = {{"none", 0}, {"", 0}, {"uppercase", 1}, {"lowercase", 2}, {"capitalize", 3}};
    return Lookup(strValue, KEYWORDS, nCurrent);
}

int CMarkupDrawer::ParseBorderStyle(const CString& strValue, int nCurrent)
{
    static const Keyword KEYWORDS[] = {{"none", 0}, {"", 0}, {"solid", 1}, {"dotted", 3}, {"dashed", 2},
                                       {"double", 6}};
    return Lookup(strValue, KEYWORDS, nCurrent);
}

int CMarkupDrawer::ParseBorderWidth(const CString& strValue, int nCurrent)
{
    if (strValue == "thin")
        return MulDiv(75, nCurrent, 100);
    if (strValue == "thick")
        return MulDiv(125, nCurrent, 100);
    if (strValue == "medium")
        return nCurrent;
    return ParseLength(strValue, nCurrent);
}

int CMarkupDrawer::ParseBackEffect(const CString& strValue, int nCurrent)
{
    static const Keyword KEYWORDS[] = {
        {"transparent", BACK_EFFECT_TRANSPARENT}, {"solid", BACK_EFFECT_SOLID},
        {"hgradient", BACK_EFFECT_HGRADIENT},     {"vgradient", BACK_EFFECT_VGRADIENT},
        {"hcgradient", BACK_EFFECT_HCGRADIENT},   {"vcgradient", BACK_EFFECT_VCGRADIENT},
        {"3hgradient", BACK_EFFECT_3HGRADIENT},   {"3vgradient", BACK_EFFECT_3VGRADIENT},
        {"noise", BACK_EFFECT_NOISE},             {"diagshade", BACK_EFFECT_DIAGSHADE},
        {"hshade", BACK_EFFECT_HSHADE},           {"vshade", BACK_EFFECT_VSHADE},
        {"hbump", BACK_EFFECT_HBUMP},             {"vbump", BACK_EFFECT_VBUMP},
        {"softbump", BACK_EFFECT_SOFTBUMP},       {"hardbump", BACK_EFFECT_HARDBUMP},
        {"metal", BACK_EFFECT_METAL},
    };
    if (strValue.IsEmpty())
        return nCurrent;
    const int nEffect = Lookup(strValue, KEYWORDS, INT_MIN);
    return nEffect != INT_MIN ? nEffect : ParseLength(strValue, nCurrent);
}

void CMarkupDrawer::ParseTextDecoration(const CString& strValue, StyleRecord& style)
{
    const CString strWords = strValue.IsEmpty() ? CString("none") : strValue;
    int nPos = 0;
    while (SkipToWordStart(strWords, nPos))
    {
        const int nStart = nPos;
        ScanTo(strWords, nPos, " ,");
        const CString strWord = strWords.Mid(nStart, nPos - nStart);
        if (strWord == "none")
            style.underline = style.strikeout = style.overline = 0;
        else if (strWord == "underline")
            style.underline = 1;
        else if (strWord == "line-through")
            style.strikeout = 1;
        else if (strWord == "overline")
            style.overline = 1;
    }
}
