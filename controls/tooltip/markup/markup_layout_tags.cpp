// Text runs placed piece by piece on the lines of a stretch, and what each
// tag does to the current style, the pen and the line.
#include "controls/tooltip/markup/markup_drawer.h"

#include "controls/tooltip/effects/draw_effects.h"
#include "platform/gdi/gdi.h"

#include <algorithm>
#include <climits>

namespace
{

SIZE TextSize(HDC hDC, const CString& strText)
{
    SIZE size{0, 0};
    GetTextExtentPoint32A(hDC, strText, strText.GetLength(), &size);
    return size;
}

bool IsLower(char c)
{
    return c >= 'a' && c <= 'z';
}

} // namespace

void CMarkupDrawer::TransformRun(CString& strRun) const
{
    switch (m_style.textTransform)
    {
    case 1:
        strRun.MakeUpper();
        break;
    case 2:
        strRun.MakeLower();
        break;
    case 3:
    {
        strRun.MakeLower();
        char* p = strRun.GetBuffer(strRun.GetLength());
        for (int i = 0, n = strRun.GetLength(); i < n; i++)
        {
            if (IsLower(p[i]) && (i == 0 || p[i - 1] == ' '))
                p[i] = static_cast<char>(p[i] - 'a' + 'A');
        }
        strRun.ReleaseBuffer(strRun.GetLength());
        break;
    }
    default:
        break;
    }
}

void CMarkupDrawer::PlaceRun(CString& strRun, int& x, int& y, SIZE* pSize)
{
    HDC hDC = GetMeasureDC();
    while (!strRun.IsEmpty())
    {
        SetTextJustification(hDC, 0, 0);
        SIZE size = TextSize(hDC, strRun);
        int w = size.cx;
        const int yText = PlaceTextInLine(y, size.cy);
        const int nAvail = m_rcBlock.right - x;
        CString strPiece;
        if (m_nMaxWidth != 0 && nAvail < w && m_nBlockWidth != 0)
        {
            // Whether the line holds anything yet is tracked, not guessed
            // from the width left: an aligned line starts inside the block.
            w = nAvail;
            strPiece = FitPiece(strRun, m_bLineHasContent ? INT_MAX : nAvail, w);
        }
        else
        {
            strPiece = strRun;
            strRun.Empty();
        }

        if (!m_nPrepare && w > 0)
        {
            if (m_nRemainWidth == w && !strPiece.IsEmpty() && strPiece[strPiece.GetLength() - 1] == ' ')
            {
                // The line's last piece: its trailing spaces take no room.
                strPiece.TrimRight(' ');
                m_nRemainWidth -= w - TextSize(hDC, strPiece).cx;
                m_nRemainBreaks = CountChar(strPiece, ' ');
            }
            if (m_line.align == 3 && m_line.justify == 1)
                SetTextJustification(hDC, nAvail - m_nRemainWidth, std::max(m_nRemainBreaks, 0));
            m_nRemainWidth -= w;
            size = TextSize(hDC, strPiece);
            w = size.cx;
            AddHotArea(x, yText, x + w, yText + size.cy);
            TextOutA(hDC, x, yText, strPiece, strPiece.GetLength());
            m_nRemainBreaks -= CountChar(strPiece, ' ');
            if (m_style.overline)
                m_drawManager.DrawLine(hDC, POINT{x, yText}, POINT{x + w, yText}, m_style.textColor, 1,
                                       m_style.fontWeight >= 700 ? 2 : 1);
        }
        if (m_nPrepare)
        {
            m_line.align = m_style.horzAlign;
            m_line.breakCount += CountChar(strPiece, ' ');
        }
        x += w;
        if (!strPiece.IsEmpty())
            m_bLineHasContent = true;
        if (!strRun.IsEmpty())
        {
            m_line.justify = 1;
            BreakLine(1, x, y, pSize);
        }
    }
}

void CMarkupDrawer::DoTag(const CString& strName, const CString& strAttributes, int& x, int& y, SIZE* pSize)
{
    m_style.name.Empty();
    int nClosing = 0;
    const int nId = GetTagId(strName, m_style.name, nClosing);
    if (nId == MARKUP_TAG_UNKNOWN)
        return;
    if (!m_style.name.IsEmpty())
    {
        if (!PushPopStyle(nClosing != 0))
            return;
        if (nClosing)
        {
            ApplyStyleToDC();
            return;
        }
    }
    switch (nId)
    {
    case MARKUP_TAG_BOLD:
        m_style.fontWeight = std::min(m_style.fontWeight * 2, 900);
        break;
    case MARKUP_TAG_ITALIC:
        m_style.italic = !m_style.italic;
        break;
    case MARKUP_TAG_UNDERLINE:
        m_style.underline = !m_style.underline;
        break;
    case MARKUP_TAG_STRIKEOUT:
        m_style.strikeout = !m_style.strikeout;
        break;
    case MARKUP_TAG_FONT:
        ApplyFontAttributes(strAttributes);
        break;
    case MARKUP_TAG_RULE:
        DrawRule(strAttributes, x, y);
        break;
    case MARKUP_TAG_BREAK:
    {
        const int nCount = ParseRepeatCount(strAttributes);
        m_line.justify = 0;
        BreakLine(nCount, x, y, pSize);
        break;
    }
    case MARKUP_TAG_TAB:
        AdvanceTab(x, ParseRepeatCount(strAttributes));
        break;
    case MARKUP_TAG_LEFT:
    case MARKUP_TAG_CENTER:
    case MARKUP_TAG_RIGHT:
    case MARKUP_TAG_JUSTIFY:
        m_style.horzAlign = nId - MARKUP_TAG_LEFT;
        break;
    case MARKUP_TAG_BASELINE:
        m_style.vertAlign = 3;
        break;
    case MARKUP_TAG_TOP:
        m_style.vertAlign = 0;
        break;
    case MARKUP_TAG_VCENTER:
        m_style.vertAlign = 1;
        break;
    case MARKUP_TAG_BOTTOM:
        m_style.vertAlign = 2;
        break;
    case MARKUP_TAG_BITMAP:
        DrawBitmapTag(strAttributes, x, y, pSize);
        break;
    case MARKUP_TAG_ICON:
        DrawIconTag(strAttributes, x, y, pSize);
        break;
    case MARKUP_TAG_IMAGE_STRIP:
        DrawImageStripTag(strAttributes, x, y, pSize);
        break;
    case MARKUP_TAG_STRING:
        DrawStringTag(strAttributes, x, y);
        break;
    case MARKUP_TAG_NAMED_STYLE:
        ApplyNamedStyle(strName, m_style);
        break;
    case MARKUP_TAG_SPAN:
        ForEachAttribute(strAttributes, [&](const CString& strAttribute, const CString& strValue) {
            if (strAttribute == "class")
                ApplyNamedStyle("." + strValue, m_style);
        });
        break;
    case MARKUP_TAG_LINK:
        ApplyLinkAttributes(strAttributes);
        break;
    default:
        break;
    }
    if (!m_style.name.IsEmpty())
        ApplyStyleToDC();
}

void CMarkupDrawer::ApplyFontAttributes(const CString& strAttributes)
{
    ForEachAttribute(strAttributes, [&](const CString& strName, const CString& strValue) {
        if (strName == "face")
        {
            if (!strValue.IsEmpty())
                m_style.faceName = strValue;
        }
        else if (strName == "size")
            m_style.fontHeight =
                std::clamp(ParseLength(strValue, m_style.fontHeight, TRUE), 1, static_cast<int>(MARKUP_MAX_FONT_HEIGHT));
        else if (strName == "color")
            m_style.textColor = ParseColor(strValue, m_style.textColor);
        else if (strName == "style")
            ParseFontFlags(strValue, m_style);
        else if (strName == "weight")
            m_style.fontWeight = std::clamp(ParseFontWeight(strValue, m_style.fontWeight), 0, 1000);
        else if (strName == "bkgnd")
        {
            if (strValue.IsEmpty() || strValue == "transparent")
                m_style.backMode = 1;
            else
            {
                m_style.backMode = 2;
                m_style.backColor = ParseColor(strValue, m_style.backColor);
            }
        }
    });
}

void CMarkupDrawer::ApplyLinkAttributes(const CString& strAttributes)
{
    m_style.linkKind = LINK_KIND_MESSAGE;
    m_style.linkTarget.Empty();
    ForEachAttribute(strAttributes, [&](const CString& strName, const CString& strValue) {
        if (strName == "href")
        {
            m_style.linkKind = LINK_KIND_URL;
            m_style.linkTarget = strValue;
        }
        else if (strName == "msg")
        {
            m_style.linkKind = LINK_KIND_MESSAGE;
            m_style.linkTarget = strValue;
        }
    });
    m_nLinkCounter++;
    ApplyNamedStyle(m_nLinkCounter == m_nHoverLink ? "a:hover" : "a:link", m_style);
}
