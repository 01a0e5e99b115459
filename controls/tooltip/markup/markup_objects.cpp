// Objects placed on a line like text: horizontal rules, bitmaps, icons,
// frames of image strips and strings of the program's string table. What
// cannot be loaded draws nothing and takes no room.
#include "controls/tooltip/markup/markup_drawer.h"

#include "platform/gdi/gdi.h"
#include "platform/user/images.h"
#include "platform/user/system_metrics.h"

#include <algorithm>

namespace
{

const COLORREF DEFAULT_MASK = RGB(255, 0, 255);

ImageAttributes DefaultImage()
{
    ImageAttributes image;
    image.width = image.height = 100;
    image.widthPercent = image.heightPercent = 1;
    image.maskColor = DEFAULT_MASK;
    return image;
}

int Scaled(int nOwn, int nValue, int bPercent)
{
    return bPercent ? MulDiv(nOwn, nValue, 100) : nValue;
}

} // namespace

int CMarkupDrawer::PlaceObject(int cx, int cy, int& x, int& y, SIZE* pSize)
{
    // An object wider than what is left of the line starts a new one, even
    // when the line holds nothing yet.
    if (m_nMaxWidth != 0 && m_nBlockWidth != 0 && cx > m_rcBlock.right - x)
    {
        m_line.justify = 1;
        BreakLine(1, x, y, pSize);
    }
    m_nRemainWidth -= cx;
    if (m_nPrepare)
        m_line.align = m_style.horzAlign;
    return PlaceObjectInLine(y, cy);
}

// Set when either style casts a shadow: the image's box keeps the shadow's
// room in both, and the drawing moves the image into that room while the
// style of the moment casts none.
bool CMarkupDrawer::HasShadow(const ImageAttributes& image)
{
    return ((image.style | image.hotStyle) & (IMAGE_EFFECT_SHADOW | IMAGE_EFFECT_BLURRED_SHADOW)) != 0;
}

SIZE CMarkupDrawer::ImageBox(const ImageAttributes& image, int cx, int cy) const
{
    if (HasShadow(image) && cx > 0 && cy > 0)
        return SIZE{cx + m_nShadowOffsetX, cy + m_nShadowOffsetY};
    return SIZE{cx, cy};
}

DWORD CMarkupDrawer::ImageFlags(const ImageAttributes& image) const
{
    const bool bHot = m_style.linkKind != LINK_KIND_NONE && m_nLinkCounter == m_nHoverLink;
    return static_cast<DWORD>(bHot ? image.hotStyle : image.style);
}

HBITMAP CMarkupDrawer::LoadTagBitmap(const ImageAttributes& image, bool& bOwned)
{
    bOwned = true;
    if (image.idres != 0)
        return GetBitmapFromResource(static_cast<UINT>(image.idres));
    if (!image.file.IsEmpty())
        return GetBitmapFromFile(image.file);
    if (image.iddll != 0)
        return GetBitmapFromDll(static_cast<UINT>(image.iddll), image.srcDll.IsEmpty() ? nullptr : (const char*)image.srcDll);
    bOwned = false;
    return image.handle != 0 ? GetBitmapFromHandle(image.handle) : nullptr;
}

template <typename Draw>
void CMarkupDrawer::PlaceImage(const ImageAttributes& image, int cx, int cy, int& x, int& y, SIZE* pSize, Draw draw)
{
    const SIZE box = ImageBox(image, cx, cy);
    const int yTop = PlaceObject(box.cx, box.cy, x, y, pSize);
    if (!m_nPrepare && cx > 0 && cy > 0)
    {
        AddHotArea(x, yTop, x + box.cx, yTop + box.cy);
        draw(yTop, ImageFlags(image), HasShadow(image));
    }
    x += box.cx;
    m_bLineHasContent = true;
}

void CMarkupDrawer::DrawRule(const CString& strAttributes, int& x, int& y)
{
    StyleRecord rule = m_style;
    rule.borderWidth = 1;
    ApplyNamedStyle("hr", rule);
    int nWidth = 100;
    bool bPercent = true;
    ForEachAttribute(strAttributes, [&](const CString& strName, const CString& strValue) {
        if (strName == "width")
        {
            bPercent = !strValue.IsEmpty() && strValue[strValue.GetLength() - 1] == '%';
            nWidth = std::clamp(ParseLength(strValue, 100), 0,
                                static_cast<int>(bPercent ? MARKUP_MAX_PERCENT : MARKUP_MAX_LENGTH));
        }
        else if (strName == "size")
            rule.borderWidth = std::clamp(ParseLength(strValue, rule.borderWidth), 0,
                                          static_cast<int>(MARKUP_MAX_BORDER_WIDTH));
        else if (strName == "color")
            rule.textColor = ParseColor(strValue, rule.textColor);
    });
    const int nThickness = rule.borderWidth;
    m_bLineHasContent = true;
    if (m_nPrepare)
    {
        if (bPercent)
        {
            m_line.percentWidth += nWidth;
            x += 1;
        }
        else
            x += nWidth;
        m_line.height = std::max(m_line.height, nThickness + 8);
        m_line.align = m_style.horzAlign;
        return;
    }
    if (bPercent)
        nWidth = MulDiv(m_nBlockWidth, nWidth, 100);
    const int yLine = y + m_line.height / 2;
    if (nThickness >= 1)
        m_drawManager.DrawLine(GetMeasureDC(), POINT{x, yLine}, POINT{x + nWidth, yLine}, rule.textColor, 1,
                               nThickness);
    x += nWidth;
}

void CMarkupDrawer::DrawBitmapTag(const CString& strAttributes, int& x, int& y, SIZE* pSize)
{
    ImageAttributes image = DefaultImage();
    ParseImageAttributes(strAttributes, image);
    bool bOwned = false;
    HBITMAP hBitmap = LoadTagBitmap(image, bOwned);
    if (hBitmap == nullptr)
        return;
    const SIZE own = CDrawEffects::GetSizeOfBitmap(hBitmap);
    const int w = std::min(Scaled(own.cx, image.width, image.widthPercent), static_cast<int>(MARKUP_MAX_LENGTH));
    const int h = std::min(Scaled(own.cy, image.height, image.heightPercent), static_cast<int>(MARKUP_MAX_LENGTH));
    PlaceImage(image, w, h, x, y, pSize, [&](int yTop, DWORD dwFlags, bool bShadow) {
        m_drawManager.DrawBitmap(GetMeasureDC(), x, yTop, w, h, hBitmap, image.useMask, image.maskColor, dwFlags,
                                 bShadow, m_nShadowOffsetX, m_nShadowOffsetY, m_nShadowBlurWidth,
                                 m_nShadowBlurHeight, m_clrShadow);
    });
    if (bOwned)
        DeleteObject(hBitmap);
}

void CMarkupDrawer::DrawIconTag(const CString& strAttributes, int& x, int& y, SIZE* pSize)
{
    ImageAttributes image = DefaultImage();
    ParseImageAttributes(strAttributes, image);
    const int cxWanted =
        std::min(Scaled(GetSystemMetrics(SM_CXICON), image.width, image.widthPercent), static_cast<int>(MARKUP_MAX_LENGTH));
    const int cyWanted = std::min(Scaled(GetSystemMetrics(SM_CYICON), image.height, image.heightPercent),
                                  static_cast<int>(MARKUP_MAX_LENGTH));
    HICON hIcon = nullptr;
    bool bOwned = true;
    if (image.idres != 0)
        hIcon = GetIconFromResource(static_cast<UINT>(image.idres), cxWanted, cyWanted);
    else if (!image.file.IsEmpty())
    {
        if (m_bAllowFileImages)
            hIcon = static_cast<HICON>(LoadImageA(nullptr, image.file, IMAGE_ICON, cxWanted, cyWanted, LR_LOADFROMFILE));
    }
    else if (image.iddll != 0)
        hIcon = GetIconFromDll(static_cast<UINT>(image.iddll), cxWanted, cyWanted,
                               image.srcDll.IsEmpty() ? nullptr : (const char*)image.srcDll);
    else if (image.handle != 0)
    {
        hIcon = GetIconFromHandle(image.handle);
        bOwned = false;
    }
    if (hIcon == nullptr)
        return;
    const SIZE own = CDrawEffects::GetSizeOfIcon(hIcon);
    PlaceImage(image, own.cx, own.cy, x, y, pSize, [&](int yTop, DWORD dwFlags, bool bShadow) {
        m_drawManager.DrawIcon(GetMeasureDC(), x, yTop, own.cx, own.cy, hIcon, dwFlags, bShadow, m_nShadowOffsetX,
                               m_nShadowOffsetY, m_nShadowBlurWidth, m_nShadowBlurHeight, m_clrShadow);
    });
    if (bOwned)
        DestroyIcon(hIcon);
}

void CMarkupDrawer::DrawImageStripTag(const CString& strAttributes, int& x, int& y, SIZE* pSize)
{
    ImageAttributes image = DefaultImage();
    ParseImageAttributes(strAttributes, image);
    // Without a source the strip would be the drawer's own image list, and
    // the drawer holds none.
    bool bOwned = false;
    HBITMAP hStrip = LoadTagBitmap(image, bOwned);
    if (hStrip == nullptr)
        return;
    const SIZE own = CDrawEffects::GetSizeOfBitmap(hStrip);
    int cx = image.cx, cy = image.cy;
    if (cx == 0 && cy == 0)
        cx = cy = std::min(own.cx, own.cy);
    else if (cy == 0)
        cy = cx;
    else if (cx == 0)
        cx = cy;
    const int nColumns = cx > 0 ? own.cx / cx : 0;
    const int nRows = cy > 0 ? own.cy / cy : 0;
    const int nFrames = nColumns * nRows;
    const int w = std::min(Scaled(cx, image.width, image.widthPercent), static_cast<int>(MARKUP_MAX_LENGTH));
    const int h = std::min(Scaled(cy, image.height, image.heightPercent), static_cast<int>(MARKUP_MAX_LENGTH));
    if (image.speed != 0)
    {
        if (m_nPrepare)
            m_arrAnimations.push_back(ImageListAnimation{image.index, nFrames, 0, image.speed});
        else if (++m_nAnimationIndex < static_cast<int>(m_arrAnimations.size()))
            image.index = m_arrAnimations[static_cast<size_t>(m_nAnimationIndex)].frame;
    }
    if (nFrames > 0 && image.index < nFrames)
    {
        PlaceImage(image, w, h, x, y, pSize, [&](int yTop, DWORD dwFlags, bool bShadow) {
            m_drawManager.DrawImageList(GetMeasureDC(), x, yTop, w, h, hStrip, image.index, cx, cy, image.useMask,
                                        image.maskColor, dwFlags, bShadow, m_nShadowOffsetX, m_nShadowOffsetY,
                                        m_nShadowBlurWidth, m_nShadowBlurHeight, m_clrShadow);
        });
    }
    if (bOwned)
        DeleteObject(hStrip);
}

void CMarkupDrawer::DrawStringTag(const CString& strAttributes, int& x, int& y)
{
    int nId = 0;
    ForEachAttribute(strAttributes, [&](const CString& strName, const CString& strValue) {
        if (strName == "idres" || strName == "iddll")
            nId = std::clamp(ParseLength(strValue, 0), 0, 0xFFFF);
    });
    if (nId == 0)
        return;
    const CString strText = GetStringFromResource(static_cast<UINT>(nId));
    if (strText.IsEmpty())
        return;
    HDC hDC = GetMeasureDC();
    SIZE size{0, 0};
    GetTextExtentPoint32A(hDC, strText, strText.GetLength(), &size);
    if (m_nPrepare)
        m_line.align = m_style.horzAlign;
    const int yText = PlaceTextInLine(y, size.cy);
    if (!m_nPrepare)
    {
        AddHotArea(x, yText, x + size.cx, yText + size.cy);
        TextOutA(hDC, x, yText, strText, strText.GetLength());
    }
    x += size.cx;
    m_bLineHasContent = true;
}
