// Plain text shown literally by the mark-up: names and versions that devices
// send go into tips through here, so no byte of them is ever read as a tag,
// an entity or an image reference.
#include "controls/tooltip/markup/markup_drawer.h"

CString CMarkupDrawer::EscapeText(const char* pszText)
{
    CString strEscaped;
    if (pszText == nullptr)
        return strEscaped;
    for (const char* p = pszText; *p != '\0'; p++)
    {
        switch (*p)
        {
        case '<':
            // "<<" is a literal "<" to the tokenizer and no tag to the finders.
            strEscaped += "<<";
            break;
        case '&':
            // An entity is replaced only when its text follows the "&"
            // directly; an empty unknown tag after it keeps every entity
            // (and the "&" an "&amp;" would leave) from forming.
            strEscaped += "&<!>";
            break;
        default:
            strEscaped += *p;
            break;
        }
    }
    return strEscaped;
}
