// CDrawingObjectBitmap: a drawing object that shows one picture of the
// program's resources: a bitmap resource, else a "JPG" or "PNG" resource of
// the same id decoded by CExtendedBitmap. The picture can be clipped (and
// hit-tested) through a region, drawn with its premultiplied alpha, framed
// while selected, and shown above a 25-pixel label band that holds a text.
//
// The picture is copied once per load or size change into a scaled copy of
// the size it is drawn at, which stays selected in the object's own memory
// DC, so a paint costs one blit.
//
// A region is given in the map's coordinates; it stays where it was given
// relative to the object when the object moves, and is scaled with the
// object when the object is resized.
//
// Rotated (m_bRotated, with the angle's cosine and sine), the picture turns
// about its centre, clockwise on the screen for a positive sine, and fills
// its bounding box: centred on the object when drawn plainly, at the
// drawing point when drawn with alpha. Each pixel of the box takes the
// picture's pixel under its centre, so right angles turn the picture
// exactly.
#pragma once

#include <vector>

#include "drawing/drawing_object_map.h"

class CDrawingObjectBitmap : public CDrawingObjectMap
{
public:
    enum
    {
        LABEL_BAND_HEIGHT = 25,
    };

    CDrawingObjectBitmap(CWnd* pHostWnd, CDrawingObject* pParent);
    ~CDrawingObjectBitmap() override;

    void Draw(CDC* pDC) override;
    // With a region, whether the region holds the point.
    BOOL HitTest(int x, int y, BOOL bEvenIfHidden) override;
    void MoveTo(int x, int y, BOOL bRedraw) override;
    // Nothing for the current size; otherwise the scaled copy is made again
    // and the region scaled.
    void SetSize(int cx, int cy, BOOL bRedraw) override;
    // Draws the picture leaving out the pixels of the transparent colour.
    virtual void DrawTransparent(CDC* pDC);

    // Loads picture id; bResizeToPicture sizes the object (or, in a window,
    // the window) to the picture and its label band; bStretch draws the
    // picture at the object's size; bCentrePicture centres a smaller
    // picture. A missing resource leaves the object without a picture.
    void LoadBitmap(UINT nId, BOOL bResizeToPicture, BOOL bStretch, BOOL bCentrePicture);
    // The region clips the drawing and the hit test from now on. FALSE,
    // keeping the old region, when it cannot be copied.
    BOOL SetRegion(CRgn* pRegion);
    // Label band on or off; no redraw.
    void ShowLabel(BOOL bShow);

    BOOL m_bHasAlpha;
    CBitmap m_picture;
    BITMAP m_pictureInfo;
    CBitmap m_scaledCopy;
    BOOL m_bScaledCopyChanged;
    // Holds the scaled copy between paints.
    CDC m_memoryDC;
    CString m_strLabel;
    COLORREF m_crLabelText;
    CFont m_labelFont;
    COLORREF m_crLabelBackground;
    BOOL m_bLabelTransparent;
    BOOL m_bStretch;
    BOOL m_bLabelBand;
    COLORREF m_crTransparent;
    BOOL m_bTransparentColorMode;
    // The region as drawn (placed and scaled) and as it was given.
    CRgn m_drawnRegion;
    CRgn m_keptRegion;
    int m_nRegionReferenceWidth;
    int m_nRegionReferenceHeight;
    // The region relative to the object's top-left corner, for rebuilding
    // it at other places and sizes.
    DWORD m_dwRegionDataSize;
    RGNDATA* m_pRegionData;
    BOOL m_bPositionIsCentre;
    BOOL m_bRotated;
    double m_dRotationCos;
    double m_dRotationSin;
    // Made from the cosine and sine by each rotated Draw.
    XFORM m_rotationTransform;
    // FALSE: the object's rectangle is filled with the background colour
    // before the picture is drawn.
    BOOL m_bTransparentBackground;
    BOOL m_bCentrePicture;
    BLENDFUNCTION m_blend;

protected:
    // Blends a 32-bit bitmap with premultiplied alpha at the point; rotated,
    // its turned copy (RotatePixels), whose top-left corner is the point.
    void AlphaBlit(CDC* pDC, CBitmap* pBitmap, CPoint point);
    // The pixels of a 32-bit bitmap turned by the rotation, rows top down,
    // and their size (the turned bounding box); pixels that no pixel of the
    // bitmap covers are 0, clear. FALSE for a bitmap of another depth.
    BOOL RotatePixels(CBitmap* pBitmap, std::vector<DWORD>& pixels, CSize& size) const;
    // The size of the box that holds a picture of the size turned by the
    // rotation.
    CSize RotatedSize(CSize picture) const;
    // Rebuilds the drawn region at the object's place and size.
    void PlaceRegion();
    void ScaleRegion();
    // Sizes after a load and makes the scaled copy.
    void AfterLoad(BOOL bResize, BOOL bStretch);

private:
    void MakeScaledCopy();
    // The region data transformed to the size and moved to the corner.
    BOOL BuildRegion(CRgn* pTarget, int width, int height, CPoint corner) const;
    int BandHeight() const;
    void DrawPicture(CDC* pDC);
    // The scaled copy through the rotation transform, centred on the
    // picture's part of the object (above the label band).
    void DrawRotated(CDC* pDC);
    void DrawLabel(CDC* pDC);
};
