#include "controls/tooltip/markup/markup_drawer.h"

#include "platform/gdi/gdi.h"

CMarkupDrawer::CMarkupDrawer()
    : m_hDC(nullptr), m_hOwnDC(CreateCompatibleDC(nullptr)), m_nHoverLink(-2), m_hHandCursor(nullptr),
      m_hResourceModule(nullptr), m_bFreeResourceModule(FALSE), m_bAllowFileImages(FALSE), m_nConvertLineBreaks(1),
      m_nTabWidth(32), m_nShadowBlur(1), m_nShadowOffsetX(4), m_nShadowOffsetY(4), m_nShadowBlurWidth(7),
      m_nShadowBlurHeight(7), m_nShadowDarkness(50), m_clrShadow(0), m_nPrepare(1), m_nMaxWidth(0),
      m_rcBlock{0, 0, 0, 0}, m_nBlockWidth(0), m_bLineHasContent(false), m_nRemainWidth(0), m_nRemainBreaks(0),
      m_nLineIndex(0), m_nLinkCounter(-1), m_nTableIndex(-1), m_nTableDepth(0), m_nAnimationIndex(-1), m_tm{},
      m_hFont(nullptr), m_hOldFont(nullptr)
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
    FreeFonts();
}
