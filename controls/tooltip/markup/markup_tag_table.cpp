// The tags and entities of the mark-up.
#include "controls/tooltip/markup/markup_drawer.h"

void CMarkupDrawer::AddTag(const char* pszTag, int nId, const char* pszStyleName)
{
    m_mapTags[pszTag] = TagInfo{nId, pszStyleName};
}

// Each tag maps to what it does and to the style name that its style-sheet
// rule and its closing tag are matched by; an empty style name opens no
// styled span.
void CMarkupDrawer::InitTagTable()
{
    AddTag("b", MARKUP_TAG_BOLD, "bold");
    AddTag("i", MARKUP_TAG_ITALIC, "italic");
    AddTag("em", MARKUP_TAG_ITALIC, "italic");
    AddTag("u", MARKUP_TAG_UNDERLINE, "underline");
    AddTag("s", MARKUP_TAG_STRIKEOUT, "strikeout");
    AddTag("strike", MARKUP_TAG_STRIKEOUT, "strikeout");
    AddTag("font", MARKUP_TAG_FONT, "font");
    AddTag("hr", MARKUP_TAG_RULE, "");
    AddTag("br", MARKUP_TAG_BREAK, "");
    AddTag("\n", MARKUP_TAG_BREAK, "");
    AddTag("t", MARKUP_TAG_TAB, "");
    AddTag("\t", MARKUP_TAG_TAB, "");
    AddTag("left", MARKUP_TAG_LEFT, "left");
    AddTag("center", MARKUP_TAG_CENTER, "center");
    AddTag("right", MARKUP_TAG_RIGHT, "right");
    AddTag("justify", MARKUP_TAG_JUSTIFY, "justify");
    AddTag("baseline", MARKUP_TAG_BASELINE, "baseline");
    AddTag("top", MARKUP_TAG_TOP, "top");
    AddTag("vcenter", MARKUP_TAG_VCENTER, "vcenter");
    AddTag("middle", MARKUP_TAG_VCENTER, "vcenter");
    AddTag("bottom", MARKUP_TAG_BOTTOM, "bottom");
    AddTag("bmp", MARKUP_TAG_BITMAP, "");
    AddTag("icon", MARKUP_TAG_ICON, "");
    AddTag("ilst", MARKUP_TAG_IMAGE_STRIP, "");
    AddTag("string", MARKUP_TAG_STRING, "");
    AddTag("body", MARKUP_TAG_NAMED_STYLE, "body");
    AddTag("h1", MARKUP_TAG_NAMED_STYLE, "h1");
    AddTag("h2", MARKUP_TAG_NAMED_STYLE, "h2");
    AddTag("h3", MARKUP_TAG_NAMED_STYLE, "h3");
    AddTag("h4", MARKUP_TAG_NAMED_STYLE, "h4");
    AddTag("h5", MARKUP_TAG_NAMED_STYLE, "h5");
    AddTag("h6", MARKUP_TAG_NAMED_STYLE, "h6");
    AddTag("code", MARKUP_TAG_NAMED_STYLE, "code");
    AddTag("pre", MARKUP_TAG_NAMED_STYLE, "pre");
    AddTag("big", MARKUP_TAG_NAMED_STYLE, "big");
    AddTag("small", MARKUP_TAG_NAMED_STYLE, "small");
    AddTag("sub", MARKUP_TAG_NAMED_STYLE, "sub");
    AddTag("sup", MARKUP_TAG_NAMED_STYLE, "sup");
    AddTag("span", MARKUP_TAG_SPAN, "span");
    AddTag("a", MARKUP_TAG_LINK, "link");
}

// Replacements are bytes of the Windows-1252 code page. "&lt;" becomes "<<",
// which the tokenizer shows as one literal "<".
void CMarkupDrawer::InitEntityTable()
{
    m_mapEntities["&amp;"] = "&";
    m_mapEntities["&bull;"] = "\x95";
    m_mapEntities["&copy;"] = "\xA9";
    m_mapEntities["&euro;"] = "\x80";
    m_mapEntities["&gt;"] = ">";
    m_mapEntities["&iquest;"] = "\xBF";
    m_mapEntities["&lt;"] = "<<";
    m_mapEntities["&nbsp;"] = " ";
    m_mapEntities["&para;"] = "\xB6";
    m_mapEntities["&pound;"] = "\xA3";
    m_mapEntities["&quot;"] = "\"";
    m_mapEntities["&reg;"] = "\xAE";
    m_mapEntities["&trade;"] = "\x99";
}

int CMarkupDrawer::GetTagId(CString strTag, CString& strStyleName, int& nClosing) const
{
    strStyleName.Empty();
    nClosing = 0;
    if (!strTag.IsEmpty() && strTag[0] == '/')
    {
        nClosing = 1;
        strTag = strTag.Mid(1);
    }
    auto found = m_mapTags.find(strTag);
    if (found == m_mapTags.end())
    {
        strTag.MakeLower();
        found = m_mapTags.find(strTag);
        if (found == m_mapTags.end())
            return MARKUP_TAG_UNKNOWN;
    }
    strStyleName = found->second.styleName;
    return found->second.id;
}
