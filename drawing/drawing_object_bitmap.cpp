#include "drawing/drawing_object_bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "drawing/dc_saver.h"
#include "drawing/extended_bitmap.h"
#include "platform/resources/resource_api.h"

namespace
{

// floor(x * 0.5 + 0.5): half of a length, rounded.
int HalfRounded(int length)
{
    return static_cast<int>(std::floor(length * 0.5 + 0.5));
}

// A picture resource of type "JPG" or "PNG" decoded into a new bitmap, or
// null; pbHasAlpha receives whether it carries premultiplied alpha.
HBITMAP LoadEncodedPicture(UINT nId, BOOL* pbHasAlpha)
{
    HRSRC hResource = ::FindResource(nullptr, MAKEINTRESOURCE(nId), "JPG");
    if (hResource == nullptr)
    {
        hResource = ::FindResource(nullptr, MAKEINTRESOURCE(nId), "PNG");
    }
    if (hResource == nullptr)
    {
        return nullptr;
    }
    const DWORD dwSize = ::SizeofResource(nullptr, hResource);
    const BYTE* pData = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, hResource)));
    CExtendedBitmap picture;
    if (pData == nullptr || !picture.LoadFromMemory(pData, dwSize, 0, pbHasAlpha))
    {
        return nullptr;
    }
    return static_cast<HBITMAP>(picture.Detach());
}

}  // namespace

CDrawingObjectBitmap::CDrawingObjectBitmap(CWnd* pHostWnd, CDrawingObject* pParent)
    : CDrawingObjectMap(pHostWnd, pParent, TRUE, TRUE, FALSE),
      m_bHasAlpha(FALSE),
      m_pictureInfo{},
      m_bScaledCopyChanged(FALSE),
      m_crLabelText(0xFFFFFF),
      m_crLabelBackground(0),
      m_bLabelTransparent(FALSE),
      m_bStretch(FALSE),
      m_bLabelBand(TRUE),
      m_crTransparent(0),
      m_bTransparentColorMode(FALSE),
      m_nRegionReferenceWidth(0),
      m_nRegionReferenceHeight(0),
      m_dwRegionDataSize(0),
      m_pRegionData(nullptr),
      m_bPositionIsCentre(FALSE),
      m_bRotated(FALSE),
      m_dRotationCos(0),
      m_dRotationSin(0),
      m_rotationTransform{},
      m_bTransparentBackground(TRUE),
      m_bCentrePicture(FALSE),
      m_blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}
{
    m_types.Add(DRAWING_OBJECT_TYPE_BITMAP);
}

CDrawingObjectBitmap::~CDrawingObjectBitmap()
{
    std::free(m_pRegionData);
    m_pRegionData = nullptr;
    m_drawnRegion.DeleteObject();
    m_keptRegion.DeleteObject();
    m_labelFont.DeleteObject();
    m_strLabel.Empty();
    // The scaled copy is selected in the memory DC until the DC goes.
    m_memoryDC.DeleteDC();
    m_scaledCopy.DeleteObject();
    m_picture.DeleteObject();
}

void CDrawingObjectBitmap::LoadBitmap(UINT nId, BOOL bResizeToPicture, BOOL bStretch, BOOL bCentrePicture)
{
    m_bCentrePicture = bCentrePicture;
    m_bHasAlpha = FALSE;
    m_memoryDC.DeleteDC();
    m_picture.DeleteObject();
    if (!m_picture.LoadBitmap(nId))
    {
        BOOL bHasAlpha = FALSE;
        if (HBITMAP hPicture = LoadEncodedPicture(nId, &bHasAlpha))
        {
            m_picture.Attach(hPicture);
            m_bHasAlpha = bHasAlpha;
        }
    }
    AfterLoad(bResizeToPicture, bStretch);
}

void CDrawingObjectBitmap::AfterLoad(BOOL bResize, BOOL bStretch)
{
    std::memset(&m_pictureInfo, 0, sizeof(m_pictureInfo));
    if (m_picture.GetSafeHandle() != nullptr)
    {
        m_picture.GetBitmap(&m_pictureInfo);
    }
    if (bResize)
    {
        const int width = m_pictureInfo.bmWidth;
        const int height = m_pictureInfo.bmHeight + BandHeight();
        if (m_bInWindow)
        {
            if (m_pHostWnd != nullptr && m_pHostWnd->GetSafeHwnd() != nullptr)
            {
                m_pHostWnd->SetWindowPos(nullptr, 0, 0, width, height,
                                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
        else
        {
            SetSize(width, height, TRUE);
        }
    }
    m_bStretch = bStretch;
    MakeScaledCopy();
    Invalidate();
}

void CDrawingObjectBitmap::MakeScaledCopy()
{
    m_bScaledCopyChanged = TRUE;
    m_memoryDC.DeleteDC();
    m_scaledCopy.DeleteObject();
    if (m_picture.GetSafeHandle() == nullptr)
    {
        return;
    }
    int cx = m_pictureInfo.bmWidth;
    int cy = m_pictureInfo.bmHeight;
    if (m_bStretch)
    {
        cx = std::max(m_rect.Width(), 0);
        cy = std::max(m_rect.Height() - BandHeight(), 0);
    }
    // A size of 0 would ask for a copy of the picture's own size.
    if (cx == 0 || cy == 0)
    {
        return;
    }
    m_scaledCopy.Attach(::CopyImage(m_picture.GetSafeHandle(), IMAGE_BITMAP, cx, cy, LR_CREATEDIBSECTION));
}

void CDrawingObjectBitmap::SetSize(int cx, int cy, BOOL bRedraw)
{
    if (m_rect.Width() == cx && m_rect.Height() == cy)
    {
        return;
    }
    CDrawingObjectMap::SetSize(cx, cy, bRedraw);
    if (m_picture.GetSafeHandle() != nullptr)
    {
        MakeScaledCopy();
    }
    ScaleRegion();
}

void CDrawingObjectBitmap::MoveTo(int x, int y, BOOL bRedraw)
{
    if (m_bPositionIsCentre)
    {
        x -= HalfRounded(m_rect.Width());
        y -= HalfRounded(m_rect.Height());
    }
    CDrawingObject::MoveTo(x, y, bRedraw);
    PlaceRegion();
}

void CDrawingObjectBitmap::ShowLabel(BOOL bShow)
{
    m_bLabelBand = bShow;
}

int CDrawingObjectBitmap::BandHeight() const
{
    return m_bLabelBand ? LABEL_BAND_HEIGHT : 0;
}

BOOL CDrawingObjectBitmap::SetRegion(CRgn* pRegion)
{
    if (pRegion == nullptr || pRegion->GetSafeHandle() == nullptr)
    {
        return FALSE;
    }
    CRgn copy;
    if (!copy.CreateRectRgn(0, 0, 0, 0) || copy.CopyRgn(pRegion) == ERROR)
    {
        return FALSE;
    }
    // The data is kept relative to the object's corner.
    copy.OffsetRgn(-m_rect.left, -m_rect.top);
    const int nSize = copy.GetRegionData(nullptr, 0);
    RGNDATA* pData = nSize > 0 ? static_cast<RGNDATA*>(std::malloc(static_cast<size_t>(nSize))) : nullptr;
    if (pData == nullptr || copy.GetRegionData(pData, nSize) != nSize)
    {
        std::free(pData);
        return FALSE;
    }
    copy.OffsetRgn(m_rect.left, m_rect.top);
    m_keptRegion.DeleteObject();
    m_keptRegion.Attach(copy.Detach());
    std::free(m_pRegionData);
    m_pRegionData = pData;
    m_dwRegionDataSize = static_cast<DWORD>(nSize);
    m_nRegionReferenceWidth = m_rect.Width();
    m_nRegionReferenceHeight = m_rect.Height();
    PlaceRegion();
    ScaleRegion();
    return TRUE;
}

BOOL CDrawingObjectBitmap::BuildRegion(CRgn* pTarget, int width, int height, CPoint corner) const
{
    // A reference size of 0 cannot be scaled from: the region keeps its size.
    XFORM transform{};
    transform.eM11 = m_nRegionReferenceWidth > 0 ? static_cast<float>(width) / m_nRegionReferenceWidth : 1.0f;
    transform.eM22 = m_nRegionReferenceHeight > 0 ? static_cast<float>(height) / m_nRegionReferenceHeight : 1.0f;
    pTarget->DeleteObject();
    if (!pTarget->CreateFromData(&transform, static_cast<int>(m_dwRegionDataSize), m_pRegionData))
    {
        return FALSE;
    }
    pTarget->OffsetRgn(corner.x, corner.y);
    return TRUE;
}

void CDrawingObjectBitmap::PlaceRegion()
{
    // The region follows the object: it is rebuilt at the object's corner.
    ScaleRegion();
}

void CDrawingObjectBitmap::ScaleRegion()
{
    if (m_pRegionData == nullptr)
    {
        return;
    }
    BuildRegion(&m_drawnRegion, m_rect.Width(), m_rect.Height(), m_rect.TopLeft());
}

BOOL CDrawingObjectBitmap::HitTest(int x, int y, BOOL bEvenIfHidden)
{
    if (!m_bVisible && !bEvenIfHidden)
    {
        return FALSE;
    }
    if (m_drawnRegion.GetSafeHandle() != nullptr)
    {
        return m_drawnRegion.PtInRegion(x, y);
    }
    return CDrawingObject::HitTest(x, y, bEvenIfHidden);
}

void CDrawingObjectBitmap::Draw(CDC* pDC)
{
    {
        CDCStateSaver saver(pDC);
        if (m_bVisible)
        {
            if (m_scaledCopy.GetSafeHandle() != nullptr)
            {
                DrawPicture(pDC);
            }
            if (m_bLabelBand)
            {
                DrawLabel(pDC);
            }
            if (m_bBorderEnabled && m_nState != 0 && m_drawnRegion.GetSafeHandle() != nullptr)
            {
                CBrush frame(0xFF0000);
                pDC->FrameRgn(&m_drawnRegion, &frame, m_nBorderWidth, m_nBorderWidth);
            }
        }
    }
    CDrawingObject::Draw(pDC);
}

void CDrawingObjectBitmap::DrawPicture(CDC* pDC)
{
    if (m_drawnRegion.GetSafeHandle() != nullptr)
    {
        CRgn clip;
        if (IsZoomed())
        {
            BuildRegion(&clip, m_rectZoomed.Width(), m_rectZoomed.Height(), m_rectZoomed.TopLeft());
        }
        else if (clip.CreateRectRgn(0, 0, 0, 0))
        {
            clip.CopyRgn(&m_drawnRegion);
        }
        pDC->SelectClipRgn(&clip);
    }
    if (!m_bTransparentBackground)
    {
        pDC->FillSolidRect(&m_rect, m_crBackground);
    }
    const int band = BandHeight();
    CPoint point = m_rect.TopLeft();
    if (m_bCentrePicture)
    {
        if (m_rect.Width() > m_pictureInfo.bmWidth)
        {
            point.x += HalfRounded(m_rect.Width() - m_pictureInfo.bmWidth);
        }
        if (m_rect.Height() - band > m_pictureInfo.bmHeight)
        {
            point.y += HalfRounded(m_rect.Height() - band - m_pictureInfo.bmHeight);
        }
    }
    if (m_bHasAlpha)
    {
        AlphaBlit(pDC, &m_scaledCopy, point);
        return;
    }
    if (m_bTransparentColorMode)
    {
        DrawTransparent(pDC);
        return;
    }
    if (m_bScaledCopyChanged || m_memoryDC.GetSafeHdc() == nullptr)
    {
        m_memoryDC.DeleteDC();
        if (!m_memoryDC.CreateCompatibleDC(pDC))
        {
            return;
        }
        m_memoryDC.SelectObject(&m_scaledCopy);
        m_bScaledCopyChanged = FALSE;
    }
    if (m_bRotated)
    {
        DrawRotated(pDC);
        return;
    }
    // Never more than the copy holds.
    BITMAP copy{};
    m_scaledCopy.GetBitmap(&copy);
    const int width = std::min(m_rect.Width(), copy.bmWidth);
    const int height = std::min(m_rect.Height() - band, copy.bmHeight);
    if (width <= 0 || height <= 0)
    {
        return;
    }
    if (!IsZoomed())
    {
        pDC->BitBlt(point.x, point.y, width, height, &m_memoryDC, 0, 0, SRCCOPY);
        return;
    }
    pDC->SetStretchBltMode(HALFTONE);
    pDC->StretchBlt(m_rectZoomed.left, m_rectZoomed.top, m_rectZoomed.Width() * width / std::max(m_rect.Width(), 1),
                    m_rectZoomed.Height() * height / std::max(m_rect.Height() - band, 1), &m_memoryDC, 0, 0, width,
                    height, SRCCOPY);
}

void CDrawingObjectBitmap::DrawLabel(CDC* pDC)
{
    if (m_labelFont.GetSafeHandle() != nullptr)
    {
        pDC->SelectObject(&m_labelFont);
    }
    else
    {
        pDC->SelectStockObject(DEFAULT_GUI_FONT);
    }
    pDC->SetTextColor(m_crLabelText);
    pDC->SetBkColor(m_crLabelBackground);
    pDC->SetBkMode(m_bLabelTransparent ? TRANSPARENT : OPAQUE);
    const int left = m_rect.left;
    const int top = m_rect.top;
    const int width = m_rect.Width();
    const int height = m_rect.Height();
    if (!m_bLabelTransparent)
    {
        pDC->FillSolidRect(left, top + height - LABEL_BAND_HEIGHT, width, LABEL_BAND_HEIGHT, m_crLabelBackground);
        CRect edge(left, top + height - LABEL_BAND_HEIGHT, left + width, top + height);
        pDC->DrawEdge(&edge, EDGE_BUMP, BF_RECT);
        // The fill leaves its colour as the background colour.
        pDC->SetBkColor(m_crLabelBackground);
    }
    CRect text(left + 2, top + height - 23, left + width - 2, top + height - 2);
    pDC->DrawText(m_strLabel, &text, DT_CENTER | DT_WORD_ELLIPSIS);
}

void CDrawingObjectBitmap::AlphaBlit(CDC* pDC, CBitmap* pBitmap, CPoint point)
{
    BITMAP bm{};
    pBitmap->GetBitmap(&bm);
    if (bm.bmBitsPixel != 32)
    {
        return;
    }
    // The scaled copy may be held by the object's memory DC.
    m_memoryDC.DeleteDC();
    m_bScaledCopyChanged = TRUE;
    if (!m_bRotated)
    {
        CMemoryDC memory(pDC, pBitmap);
        if (memory.IsReady())
        {
            pDC->AlphaBlend(point.x, point.y, bm.bmWidth, bm.bmHeight, &memory, 0, 0, bm.bmWidth, bm.bmHeight,
                            m_blend);
        }
        return;
    }
    std::vector<DWORD> pixels;
    CSize size;
    if (!RotatePixels(pBitmap, pixels, size) || size.cx <= 0 || size.cy <= 0)
    {
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top down, as the pixels are
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    CBitmap turned;
    if (!turned.Attach(::CreateDIBSection(pDC->GetSafeHdc(), &info, DIB_RGB_COLORS, &pBits, nullptr, 0)) ||
        pBits == nullptr)
    {
        return;
    }
    std::memcpy(pBits, pixels.data(), pixels.size() * sizeof(DWORD));
    CMemoryDC memory(pDC, &turned);
    if (memory.IsReady())
    {
        pDC->AlphaBlend(point.x, point.y, size.cx, size.cy, &memory, 0, 0, size.cx, size.cy, m_blend);
    }
}

CSize CDrawingObjectBitmap::RotatedSize(CSize picture) const
{
    // The sine and cosine of a right angle are off by a rounding error;
    // without the allowance a 3-pixel side turned by 90 degrees would
    // measure 3 pixels across.
    const double allowance = 1e-6;
    const double c = std::fabs(m_dRotationCos);
    const double s = std::fabs(m_dRotationSin);
    return CSize(static_cast<int>(std::ceil(picture.cx * c + picture.cy * s - allowance)),
                 static_cast<int>(std::ceil(picture.cx * s + picture.cy * c - allowance)));
}

BOOL CDrawingObjectBitmap::RotatePixels(CBitmap* pBitmap, std::vector<DWORD>& pixels, CSize& size) const
{
    BITMAP bm{};
    pBitmap->GetBitmap(&bm);
    if (bm.bmBitsPixel != 32 || bm.bmWidth <= 0 || bm.bmHeight <= 0)
    {
        return FALSE;
    }
    const int width = bm.bmWidth;
    const int height = bm.bmHeight;
    std::vector<DWORD> source(static_cast<size_t>(width) * static_cast<size_t>(height));
    const DWORD dwBytes = static_cast<DWORD>(source.size() * sizeof(DWORD));
    if (pBitmap->GetBitmapBits(dwBytes, source.data()) != dwBytes)
    {
        return FALSE;
    }
    size = RotatedSize(CSize(width, height));
    pixels.assign(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy), 0);
    const double c = m_dRotationCos;
    const double s = m_dRotationSin;
    for (int ty = 0; ty < size.cy; ++ty)
    {
        const double dy = ty + 0.5 - size.cy / 2.0;
        for (int tx = 0; tx < size.cx; ++tx)
        {
            // The target pixel's centre, relative to the box's centre, turned
            // back into the picture.
            const double dx = tx + 0.5 - size.cx / 2.0;
            const double x = std::floor(dx * c + dy * s + width / 2.0);
            const double y = std::floor(dy * c - dx * s + height / 2.0);
            if (x >= 0 && x < width && y >= 0 && y < height)
            {
                pixels[static_cast<size_t>(ty) * static_cast<size_t>(size.cx) + static_cast<size_t>(tx)] =
                    source[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            }
        }
    }
    return TRUE;
}

void CDrawingObjectBitmap::DrawRotated(CDC* pDC)
{
    const CSize area(m_rect.Width(), m_rect.Height() - BandHeight());
    BITMAP copy{};
    m_scaledCopy.GetBitmap(&copy);
    const CSize picture(copy.bmWidth, copy.bmHeight);
    const CSize turned = RotatedSize(picture);
    if (area.cx <= 0 || area.cy <= 0 || turned.cx <= 0 || turned.cy <= 0)
    {
        return;
    }
    // The turned box lies on whole pixels, so that right angles turn the
    // picture's pixels onto pixels; its centre is the picture's centre.
    const double boxCentreX = HalfRounded(area.cx - turned.cx) + turned.cx / 2.0;
    const double boxCentreY = HalfRounded(area.cy - turned.cy) + turned.cy / 2.0;
    const double c = m_dRotationCos;
    const double s = m_dRotationSin;
    m_rotationTransform.eM11 = static_cast<float>(c);
    m_rotationTransform.eM12 = static_cast<float>(s);
    m_rotationTransform.eM21 = static_cast<float>(-s);
    m_rotationTransform.eM22 = static_cast<float>(c);
    m_rotationTransform.eDx = static_cast<float>(boxCentreX - (c * picture.cx - s * picture.cy) / 2.0);
    m_rotationTransform.eDy = static_cast<float>(boxCentreY - (s * picture.cx + c * picture.cy) / 2.0);

    // What lies under the object shows around the turned picture.
    CBitmap work;
    if (!work.CreateCompatibleBitmap(pDC, area.cx, area.cy))
    {
        return;
    }
    CMemoryDC turnedDC(pDC, &work);
    if (!turnedDC.IsReady())
    {
        return;
    }
    turnedDC.BitBlt(0, 0, area.cx, area.cy, pDC, m_rect.left, m_rect.top, SRCCOPY);
    turnedDC.SetGraphicsMode(GM_ADVANCED);
    if (!turnedDC.SetWorldTransform(&m_rotationTransform))
    {
        return;
    }
    turnedDC.BitBlt(0, 0, picture.cx, picture.cy, &m_memoryDC, 0, 0, SRCCOPY);
    turnedDC.ModifyWorldTransform(nullptr, MWT_IDENTITY);
    turnedDC.SetGraphicsMode(GM_COMPATIBLE);
    pDC->BitBlt(m_rect.left, m_rect.top, area.cx, area.cy, &turnedDC, 0, 0, SRCCOPY);
}

void CDrawingObjectBitmap::DrawTransparent(CDC* pDC)
{
    const CRect area = GetDrawnRect();
    if (area.Width() <= 0 || area.Height() <= 0)
    {
        return;
    }
    m_memoryDC.DeleteDC();
    m_bScaledCopyChanged = TRUE;
    BITMAP copy{};
    m_scaledCopy.GetBitmap(&copy);
    CMemoryDC picture(pDC, &m_scaledCopy);
    if (!picture.IsReady())
    {
        return;
    }
    pDC->TransparentBlt(area.left, area.top, area.Width(), area.Height(), &picture, 0, 0, copy.bmWidth, copy.bmHeight,
                        m_crTransparent);
}
