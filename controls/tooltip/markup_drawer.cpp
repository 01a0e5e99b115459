#include "controls/tooltip/markup_drawer.h"

#include "platform/gdi/gdi.h"

CMarkupDrawer::CMarkupDrawer()
    : m_hDC(nullptr), m_hOwnDC(CreateCompatibleDC(nullptr)), m_nHoverLink(-2), m_hHandCursor(nullptr),
      m_hResourceModule(nullptr), m_bFreeResourceModule(FALSE), m_bAllowFileImages(FALSE), m_nConvertLineBreaks(1),
      m_nTabWidth(32), m_nShadowBlur(1), m_nShadowOffsetX(4), m_nShadowOffsetY(4), m_nShadowBlurWidth(7),
      m_nShadowBlurHeight(7), m_nShadowDarkness(50), m_clrShadow(0)
{
    InitTagTable();
    InitEntityTable();
    InitColorTable();
    SetDefaultCursor();
    const int nGrey = MulDiv(255, m_nShadowDarkness, 100);
    m_clrShadow = RGB(nGrey, nGrey, nGrey);
    SetDefaultCssStyles();
}

CMarkupDrawer::~CMarkupDrawer()
{
    // The hand cursor is the shared standard one and the resource module is
    // never loaded by the drawer, so neither is released here.
    if (m_hOwnDC != nullptr)
        DeleteDC(m_hOwnDC);
}
