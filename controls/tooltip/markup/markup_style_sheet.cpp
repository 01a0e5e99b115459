// The style sheet (selector -> declaration text), the declarations that
// change a style record, and the current style with its stack.
#include "controls/tooltip/markup/markup_drawer.h"

#include <algorithm>

namespace
{

const char DEFAULT_CSS[] =
    "body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
    "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
    "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
    "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
    "code {color:#990000; font-family:Arial}\r\n"
    "a:link {text-decoration:none; color:blue}\r\n"
    "a:hover {text-decoration:underline; color:blue}\r\n"
    "sub {font-size:65%; vertical-align:bottom}\r\n"
    "sup {font-size:65%; vertical-align:top}\r\n"
    "big {font-size:125%}\r\n"
    "small {font-size:75%}\r\n"
    ".cpp-comment {color:green; font-style:italic}\r\n";

// The first position at or after nFrom holding one of the bytes, or -1.
int FindOneOf(const CString& strText, int nFrom, const char* pszSet)
{
    int nPos = nFrom;
    return CMarkupDrawer::ScanTo(strText, nPos, pszSet) != '\0' ? nPos : -1;
}

} // namespace

void CMarkupDrawer::SetDefaultCssStyles()
{
    SetCssStyles(DEFAULT_CSS);
}

void CMarkupDrawer::SetCssStyles(const char* pszText)
{
    m_mapStyles.clear();
    if (pszText == nullptr)
    {
        SetDefaultCssStyles();
        return;
    }
    m_strCssText = pszText;
    const CString& strText = m_strCssText;
    int nPos = 0;
    while (nPos < strText.GetLength() && SkipToWordStart(strText, nPos))
    {
        const int nSelectorEnd = FindOneOf(strText, nPos, " {");
        if (nSelectorEnd < 0)
            break;
        const int nOpen = strText.Find('{', nSelectorEnd);
        const int nClose = nOpen < 0 ? -1 : strText.Find('}', nOpen + 1);
        if (nClose < 0)
            break;
        if (nClose > nOpen + 1)
            SetCssStyle(strText.Mid(nPos, nSelectorEnd - nPos), strText.Mid(nOpen + 1, nClose - nOpen - 1));
        nPos = nClose + 1;
    }
}

const char* CMarkupDrawer::GetCssStyle(const char* pszSelector) const
{
    if (pszSelector == nullptr)
        return nullptr;
    CString strSelector(pszSelector);
    strSelector.MakeLower();
    auto found = m_mapStyles.find(strSelector);
    return found != m_mapStyles.end() ? static_cast<const char*>(found->second) : nullptr;
}

void CMarkupDrawer::SetCssStyle(const char* pszSelector, const char* pszDeclarations)
{
    if (pszSelector == nullptr)
        return;
    CString strSelector(pszSelector);
    strSelector.MakeLower();
    m_mapStyles[strSelector] = pszDeclarations;
}

void CMarkupDrawer::ResetStyle()
{
    StyleRecord defaults;
    defaults.width = m_style.width;
    defaults.height = m_style.height;
    m_style = defaults;
}

bool CMarkupDrawer::PushPopStyle(bool bClosing)
{
    if (!bClosing)
    {
        if (m_arrStyles.size() >= static_cast<size_t>(MARKUP_MAX_STYLE_DEPTH))
            return false;
        m_arrStyles.push_back(m_style);
        return true;
    }
    bool bMatched = false;
    if (!m_arrStyles.empty() && m_arrStyles.back().name == m_style.name)
    {
        m_style = m_arrStyles.back();
        m_arrStyles.pop_back();
        bMatched = true;
    }
    m_style.name.Empty();
    return bMatched;
}

CString CMarkupDrawer::ReadDeclarationValue(const CString& strText, int& nPos)
{
    if (SkipSet(strText, nPos, " ") != ':')
        return CString();
    nPos++;
    if (SkipSet(strText, nPos, " ;") == '"')
    {
        const int nQuote = strText.Find('"', nPos + 1);
        if (nQuote < 0)
        {
            nPos = strText.GetLength();
            return CString();
        }
        CString strValue = strText.Mid(nPos + 1, nQuote - nPos - 1);
        nPos = nQuote + 1;
        return strValue;
    }
    const int nStart = nPos;
    ScanTo(strText, nPos, ";");
    return strText.Mid(nStart, nPos - nStart);
}

void CMarkupDrawer::ApplyCssDeclarations(CString strDeclarations, StyleRecord& style)
{
    strDeclarations.MakeLower();
    int nPos = 0;
    while (nPos < strDeclarations.GetLength() && SkipToWordStart(strDeclarations, nPos))
    {
        const int nNameEnd = FindOneOf(strDeclarations, nPos, " :");
        if (nNameEnd < 0)
            break;
        const CString strProperty = strDeclarations.Mid(nPos, nNameEnd - nPos);
        nPos = nNameEnd;
        const CString strValue = ReadDeclarationValue(strDeclarations, nPos);
        ApplyDeclaration(strProperty, strValue, style);
    }
}

void CMarkupDrawer::ApplyDeclaration(const CString& strProperty, const CString& strValue, StyleRecord& style)
{
    if (strProperty == "font-size")
        style.fontHeight = std::clamp(ParseLength(strValue, style.fontHeight, TRUE), 1,
                                      static_cast<int>(MARKUP_MAX_FONT_HEIGHT));
    else if (strProperty == "font-family")
    {
        if (!strValue.IsEmpty())
            style.faceName = strValue;
    }
    else if (strProperty == "font-style")
        style.italic = ParseFontStyle(strValue, style.italic);
    else if (strProperty == "font-weight")
        style.fontWeight = ParseFontWeight(strValue, style.fontWeight);
    else if (strProperty == "text-align")
        style.horzAlign = ParseHorzAlign(strValue, style.horzAlign);
    else if (strProperty == "text-transform")
        style.textTransform = ParseTextTransform(strValue, style.textTransform);
    else if (strProperty == "color")
        style.textColor = ParseColor(strValue, style.textColor);
    else if (strProperty == "background-color")
    {
        if (strValue == "transparent")
            style.backMode = 1;
        else
        {
            style.backMode = 2;
            style.backColor = ParseColor(strValue, style.backColor);
        }
    }
    else if (strProperty == "text-decoration")
        ParseTextDecoration(strValue, style);
    else if (strProperty == "vertical-align")
        style.vertAlign = ParseVertAlign(strValue, style.vertAlign);
    else if (strProperty == "border-color")
        style.borderLightColor = style.borderDarkColor = ParseColor(strValue, style.borderLightColor);
    else if (strProperty == "border-width" || strProperty == "size")
        style.SetBorderWidth(ParseBorderWidth(strValue, style.borderWidth));
    else if (strProperty == "border-style")
        style.SetBorderStyle(ParseBorderStyle(strValue, style.borderStyle));
    else if (strProperty == "margin")
        style.margin = std::clamp(ParseLength(strValue, style.margin), 0, static_cast<int>(MARKUP_MAX_LENGTH));
    else if (strProperty == "padding")
        style.padding = std::clamp(ParseLength(strValue, style.padding), 0, static_cast<int>(MARKUP_MAX_LENGTH));
}
