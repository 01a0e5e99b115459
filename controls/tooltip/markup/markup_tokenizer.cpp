// The tokenizer of the mark-up: the text prepared once (entities, line
// ends), then walked chunk by chunk: a plain run up to the next tag, and the
// tag split into its name and its attributes.
#include "controls/tooltip/markup/markup_drawer.h"

#include <algorithm>
#include <string_view>

namespace
{

int Clamp(int nPos, int nLength)
{
    return std::clamp(nPos, 0, nLength);
}

} // namespace

void CMarkupDrawer::PrepareText()
{
    // Entities in the table's order, so "&amp;lt;" ends as "<<" (a "<").
    for (const auto& entity : m_mapEntities)
        m_strText.Replace(entity.first, entity.second);
    m_strText.Remove('\r');
    if (m_nConvertLineBreaks)
    {
        m_strText.Replace("\n", "<br>");
        m_strText.Replace("\t", "<t>");
    }
    // A tip is a few lines; a text this long is not one, and cutting it
    // keeps every scan over it short.
    if (m_strText.GetLength() > MARKUP_MAX_TEXT)
        m_strText = m_strText.Left(MARKUP_MAX_TEXT);
}

CString CMarkupDrawer::GetNextChunk(const CString& strText, int& nPos, CString& strTag) const
{
    strTag.Empty();
    const int nLength = strText.GetLength();
    nPos = Clamp(nPos, nLength);
    if (nPos >= nLength)
        return CString();
    const int nOpen = strText.Find('<', nPos);
    if (nOpen < 0)
    {
        CString strRun = strText.Mid(nPos);
        nPos = nLength;
        return strRun;
    }
    CString strRun = strText.Mid(nPos, nOpen - nPos);
    nPos = nOpen;
    const char* p = strText;
    if (nOpen == nLength - 1 || p[nOpen + 1] == '<')
    {
        strRun += '<';
        nPos = std::min(nOpen + 2, nLength);
        return strRun;
    }
    strTag = GetTagBody(strText, nPos);
    return strRun;
}

CString CMarkupDrawer::GetTagBody(const CString& strText, int& nPos) const
{
    const int nLength = strText.GetLength();
    nPos = Clamp(nPos, nLength);
    const int nClose = strText.Find('>', nPos + 1);
    if (nClose > nPos + 1)
    {
        CString strBody = strText.Mid(nPos + 1, nClose - nPos - 1);
        nPos = nClose + 1;
        return strBody;
    }
    nPos = std::min(nPos + 1, nLength);
    return CString();
}

CString CMarkupDrawer::SplitTag(CString& strTag) const
{
    const int nSplit = strTag.FindOneOf(" =");
    if (nSplit < 0)
        return CString();
    CString strAttributes = strTag.Mid(nSplit);
    strAttributes.TrimLeft(' ');
    strTag = strTag.Left(nSplit);
    return strAttributes;
}

CString CMarkupDrawer::GetNextAttribute(const CString& strAttributes, int& nPos, CString& strName) const
{
    strName.Empty();
    const int nLength = strAttributes.GetLength();
    if (!SkipToWordStart(strAttributes, nPos))
        return CString();
    const int nNameStart = nPos;
    ScanTo(strAttributes, nPos, " =");
    strName = strAttributes.Mid(nNameStart, nPos - nNameStart);
    if (SkipSet(strAttributes, nPos, " ") != '=')
        return CString();
    const char cFirst = SkipSet(strAttributes, nPos, " =");
    if (cFirst == '\'' || cFirst == '"')
    {
        const int nStart = nPos + 1;
        int nEnd = strAttributes.Find(cFirst, nStart);
        if (nEnd < 0)
            nEnd = nLength;
        nPos = std::min(nEnd + 1, nLength);
        return strAttributes.Mid(nStart, nEnd - nStart);
    }
    const int nStart = nPos;
    ScanTo(strAttributes, nPos, " ");
    const int nEnd = nPos;
    nPos = std::min(nEnd + 1, nLength);
    return strAttributes.Mid(nStart, nEnd - nStart);
}

bool CMarkupDrawer::FindTag(const CString& strText, int& nPos, const char* pszName) const
{
    const int nFound = FindTagBefore(strText, nPos, strText.GetLength(), pszName);
    nPos = nFound >= 0 ? nFound : strText.GetLength();
    return nFound >= 0;
}

int CMarkupDrawer::FindTagBefore(const CString& strText, int nFrom, int nTo, const char* pszName)
{
    const int nLength = strText.GetLength();
    nTo = Clamp(nTo, nLength);
    nFrom = Clamp(nFrom, nTo);
    const std::string_view text(strText, static_cast<size_t>(nTo));
    const std::string_view name(pszName);
    size_t at = static_cast<size_t>(nFrom);
    for (;;)
    {
        at = text.find('<', at);
        if (at == std::string_view::npos)
            return -1;
        // "<<" is a literal "<": an occurrence right after one is no tag.
        if (text.substr(at + 1, name.size()) == name && !(at > 0 && text[at - 1] == '<'))
            return static_cast<int>(at);
        at++;
    }
}
