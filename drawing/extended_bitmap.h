// CExtendedBitmap: a bitmap made from an image held in memory (the bytes of
// a resource). PNG images go through libpng into a DIB section, 24 bits for
// opaque images and 32 bits with premultiplied alpha for images that carry
// transparency and for palette images; every other picture (BMP, JPEG,
// GIF, icons, placeable and enhanced metafiles) is rendered into a 32-bit
// DIB section over a background colour: raster pictures at their own size,
// metafiles at the size of their frame at the desktop's resolution.
//
// The bitmap belongs to the object; a caller usually detaches the handle
// and attaches it to a CBitmap of its own.
//
// PNG images may be at most MAX_PNG_SIDE pixels wide and high and hold at
// most MAX_PNG_PIXELS pixels (64 MiB at 32 bits); larger ones are refused
// before anything is allocated for them.
#pragma once

#include "platform/afx/afx_gdi_objects.h"

class CExtendedBitmap : public CBitmap
{
public:
    enum : unsigned
    {
        MAX_PNG_SIDE = 32768,
        MAX_PNG_PIXELS = 1u << 24,
    };

    CExtendedBitmap() = default;
    ~CExtendedBitmap() override = default;

    // FALSE, changing nothing, when the object already holds a bitmap.
    // Bytes that start with the PNG signature are decoded as PNG (and never
    // as anything else, even when that fails); other bytes as a picture,
    // over crBackground (0xFFFFFFFF: no fill). pbHasAlpha (may be null)
    // receives whether the PNG bitmap carries premultiplied alpha; it is not
    // written for other pictures.
    BOOL LoadFromMemory(const BYTE* pData, DWORD dwSize, COLORREF crBackground, BOOL* pbHasAlpha);

    // The PNG road: palette images become 32 bits, with the alpha of their
    // transparency table (hasAlpha TRUE) or opaque (hasAlpha FALSE); grey
    // and RGB images 24 bits (a transparent colour given by a tRNS chunk is
    // not applied), or 32 with their alpha channel (hasAlpha TRUE); 16-bit
    // channels are cut to 8.
    // Colours are premultiplied by alpha, truncating. A damaged, truncated
    // or oversized image gives FALSE and leaves the target as it was.
    static BOOL LoadPngFromMemory(CBitmap* pTarget, const BYTE* pData, DWORD dwSize, BOOL* pbHasAlpha);

    // The picture road, through the platform's picture loader.
    static BOOL LoadFromPicture(const BYTE* pData, DWORD dwSize, CBitmap* pTarget, COLORREF crBackground);
};
