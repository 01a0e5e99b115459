// The readers that turn the attributes of table, cell, image and font tags
// into fields. Attribute names are matched exactly; values that do not
// parse leave the field as it was, and sizes are clamped to their bounds.
#include "controls/tooltip/markup/markup_drawer.h"

#include <algorithm>

namespace
{

int ClampLength(int n)
{
    return std::clamp(n, 0, static_cast<int>(MARKUP_MAX_LENGTH));
}

bool EndsWithPercent(const CString& strValue)
{
    return !strValue.IsEmpty() && strValue[strValue.GetLength() - 1] == '%';
}

} // namespace

TableSpan CMarkupDrawer::ParseTableAttributes(const CString& strAttributes, StyleRecord& style, bool bIsTable)
{
    TableSpan span;
    ForEachAttribute(strAttributes, [&](const CString& strName, const CString& strValue) {
        if (strName == "cellpadding" && bIsTable)
            style.margin = ClampLength(ParseLength(strValue, style.margin));
        else if (strName == "cellspacing" && bIsTable)
            style.padding = ClampLength(ParseLength(strValue, style.padding));
        else if (strName == "background" && bIsTable)
            style.backImage = strValue;
        else if (strName == "rowspan")
            span.rows = std::clamp(ParseLength(strValue, span.rows), 1, static_cast<int>(MARKUP_MAX_TABLE_ROWS));
        else if (strName == "colspan")
            span.columns =
                std::clamp(ParseLength(strValue, span.columns), 1, static_cast<int>(MARKUP_MAX_TABLE_COLUMNS));
        else if (strName == "border")
            style.SetBorderWidth(ParseLength(strValue, style.borderWidth));
        else if (strName == "borderstyle")
            style.SetBorderStyle(ParseBorderStyle(strValue, style.borderStyle));
        else if (strName == "bordercolor")
            style.borderLightColor = style.borderDarkColor = ParseColor(strValue, style.borderLightColor);
        else if (strName == "bordercolorlight")
            style.borderLightColor = ParseColor(strValue, style.borderLightColor);
        else if (strName == "bordercolordark")
            style.borderDarkColor = ParseColor(strValue, style.borderDarkColor);
        else if (strName == "bgcolor")
        {
            style.backColor = ParseColor(strValue, style.backColor);
            if (style.backEffect < 0)
                style.backEffect = BACK_EFFECT_SOLID;
        }
        else if (strName == "bgmidcolor")
            style.backMidColor = ParseColor(strValue, style.backMidColor);
        else if (strName == "bgendcolor")
            style.backEndColor = ParseColor(strValue, style.backEndColor);
        else if (strName == "bgeffect")
            style.backEffect = ParseBackEffect(strValue, style.backEffect);
        else if (strName == "align")
            style.horzAlign = ParseHorzAlign(strValue, style.horzAlign);
        else if (strName == "valign")
            style.vertAlign = ParseVertAlign(strValue, style.vertAlign);
        else if (strName == "width")
            style.width = ClampLength(ParseLength(strValue, style.width));
        else if (strName == "height")
            style.height = ClampLength(ParseLength(strValue, style.height));
    });
    if (style.borderStyle == 0 || style.borderWidth == 0)
        style.borderStyle = style.borderWidth = 0;
    else if (style.borderStyle != 1 || !bIsTable)
        style.borderWidth = 1;
    return span;
}

void CMarkupDrawer::ParseImageAttributes(const CString& strAttributes, ImageAttributes& image)
{
    ForEachAttribute(strAttributes, [&](const CString& strName, const CString& strValue) {
        if (strName == "index")
            image.index = std::max(ParseLength(strValue, image.index), 0);
        else if (strName == "idres")
            image.idres = std::clamp(ParseLength(strValue, image.idres), 0, 0xFFFF);
        else if (strName == "iddll")
            image.iddll = std::clamp(ParseLength(strValue, image.iddll), 0, 0xFFFF);
        else if (strName == "handle")
            image.handle = ParseHandle(strValue);
        else if (strName == "cx")
            image.cx = ClampLength(ParseLength(strValue, image.cx));
        else if (strName == "cy")
            image.cy = ClampLength(ParseLength(strValue, image.cy));
        else if (strName == "speed")
            image.speed = std::clamp(ParseLength(strValue, image.speed), 0, static_cast<int>(MARKUP_MAX_SPEED));
        else if (strName == "file")
            image.file = strValue;
        else if (strName == "srcdll")
            image.srcDll = strValue;
        else if (strName == "mask")
        {
            image.maskColor = ParseColor(strValue, image.maskColor);
            image.useMask = 1;
        }
        else if (strName == "style")
            image.style = image.hotStyle = ParseImageStyle(strValue);
        else if (strName == "hotstyle")
            image.hotStyle = ParseImageStyle(strValue);
        else if (strName == "width" || strName == "height")
        {
            const bool bPercent = EndsWithPercent(strValue);
            int& nSize = strName == "width" ? image.width : image.height;
            nSize = std::clamp(ParseLength(strValue, nSize), 0,
                               static_cast<int>(bPercent ? MARKUP_MAX_PERCENT : MARKUP_MAX_LENGTH));
            (strName == "width" ? image.widthPercent : image.heightPercent) = bPercent;
        }
    });
}

int CMarkupDrawer::ParseRepeatCount(const CString& strAttributes)
{
    // The attribute text of "br=3" starts at the equals sign; that of "br 3"
    // at the digit, which is dropped with the first byte.
    return std::clamp(ParseLength(strAttributes.Mid(1), 1), 1, static_cast<int>(MARKUP_MAX_COUNT));
}

int CMarkupDrawer::ParseImageStyle(const CString& strValue) const
{
    int nStyle = 0;
    const char* p = strValue;
    for (int i = 0, n = strValue.GetLength(); i < n; i++)
    {
        switch (p[i])
        {
        case 'g':
            nStyle |= IMAGE_EFFECT_GREY;
            break;
        case 'd':
            nStyle |= IMAGE_EFFECT_DARKER;
            break;
        case 'l':
            nStyle |= IMAGE_EFFECT_LIGHTER;
            break;
        case 's':
            if (m_nShadowOffsetX != 0 || m_nShadowOffsetY != 0)
                nStyle |= m_nShadowBlur ? IMAGE_EFFECT_BLURRED_SHADOW : IMAGE_EFFECT_SHADOW;
            break;
        default:
            break;
        }
    }
    return nStyle;
}

void CMarkupDrawer::ParseFontFlags(const CString& strLetters, StyleRecord& style)
{
    bool bOn = true;
    const char* p = strLetters;
    for (int i = 0, n = strLetters.GetLength(); i < n; i++)
    {
        switch (p[i])
        {
        case '+':
            bOn = true;
            continue;
        case '-':
            bOn = false;
            continue;
        case 'b':
            style.fontWeight = bOn ? 700 : 400;
            break;
        case 'i':
            style.italic = bOn;
            break;
        case 'u':
            style.underline = bOn;
            break;
        case 's':
            style.strikeout = bOn;
            break;
        case 'o':
            style.overline = bOn;
            break;
        default:
            continue;
        }
        bOn = true;
    }
}
