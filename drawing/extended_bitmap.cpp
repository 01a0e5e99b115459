#include "drawing/extended_bitmap.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>

#include "platform/gdi/image_decode.h"
#include "platform/user/user.h"

namespace
{

const size_t PNG_SIGNATURE_SIZE = 8;

// Where libpng reads from: the image bytes and the read position.
struct _TPngMemoryRead
{
    const BYTE* pData;
    size_t nSize;
    size_t nPosition;
};

// libpng's read callback: copies the bytes asked for and moves on; a
// request beyond the end is an error of the image.
void PngReadFromMemory(png_structp png, png_bytep pOut, png_size_t nCount)
{
    _TPngMemoryRead* pRead = static_cast<_TPngMemoryRead*>(png_get_io_ptr(png));
    if (nCount > pRead->nSize - pRead->nPosition)
    {
        png_error(png, "the image data ends early");
    }
    std::memcpy(pOut, pRead->pData + pRead->nPosition, nCount);
    pRead->nPosition += nCount;
}

// Errors end the decode through the jump buffer; nothing is printed.
[[noreturn]] void PngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp)
{
}

// x / 255, truncated, for x up to 255 * 255, without a division.
inline unsigned DivideBy255(unsigned x)
{
    return (x + 1 + (x >> 8)) >> 8;
}

// Red, green, blue, alpha rows from libpng become blue, green, red, alpha
// with the colours multiplied by alpha (truncating), in place, in one pass.
void SwapAndPremultiply(BYTE* pBits, int nWidth, int nHeight, int nStride)
{
    for (int y = 0; y < nHeight; ++y)
    {
        BYTE* p = pBits + static_cast<ptrdiff_t>(y) * nStride;
        for (int x = 0; x < nWidth; ++x, p += 4)
        {
            const unsigned red = p[0];
            const unsigned alpha = p[3];
            p[0] = static_cast<BYTE>(DivideBy255(p[2] * alpha));
            p[1] = static_cast<BYTE>(DivideBy255(p[1] * alpha));
            p[2] = static_cast<BYTE>(DivideBy255(red * alpha));
        }
    }
}

// The decode itself, between setjmp and the last libpng call: only plain
// values live here, since an error jumps back over this frame. Returns the
// DIB section (rows straight from libpng, blue first) or null.
HBITMAP DecodePng(png_structp png, png_infop info, _TPngMemoryRead* pRead, BOOL* pbHasAlpha)
{
    HBITMAP volatile hDib = nullptr;
    if (setjmp(png_jmpbuf(png)))
    {
        if (hDib != nullptr)
        {
            ::DeleteObject(hDib);
        }
        return nullptr;
    }
    png_set_read_fn(png, pRead, PngReadFromMemory);
    png_set_user_limits(png, CExtendedBitmap::MAX_PNG_SIDE, CExtendedBitmap::MAX_PNG_SIDE);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (static_cast<unsigned long long>(width) * height > CExtendedBitmap::MAX_PNG_PIXELS)
    {
        return nullptr;
    }
    const int nColourType = png_get_color_type(png, info);
    const bool bPalette = nColourType == PNG_COLOR_TYPE_PALETTE;
    const bool bTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    // Everything becomes 8-bit red, green, blue (and alpha): palettes and
    // low depths are expanded, 16-bit channels are cut, grey is spread over
    // the three colours. Palette images always get alpha, from their
    // transparency table when they have one. A grey or RGB image keeps its
    // depth: its transparent colour (a tRNS chunk) is not turned into alpha
    // and shows as the colour it is.
    const int nChannels = nColourType == PNG_COLOR_TYPE_GRAY || nColourType == PNG_COLOR_TYPE_RGB ? 3 : 4;
    if (bPalette)
    {
        png_set_palette_to_rgb(png);
        if (bTransparency)
        {
            png_set_tRNS_to_alpha(png);
        }
    }
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    if (bPalette && !bTransparency)
    {
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    // Rows with alpha are turned round and premultiplied in one pass of
    // our own afterwards; the others come from libpng blue first.
    if (nChannels == 3)
    {
        png_set_bgr(png);
    }
    const int nPasses = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_channels(png, info) != nChannels || png_get_bit_depth(png, info) != 8)
    {
        return nullptr;
    }

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = static_cast<LONG>(width);
    bmi.bmiHeader.biHeight = -static_cast<LONG>(height);
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = static_cast<WORD>(nChannels * 8);
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    hDib = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (hDib == nullptr || pBits == nullptr)
    {
        return nullptr;
    }
    // DIB rows are padded to 4 bytes; libpng fills each one in place, pass
    // after pass for interlaced images.
    const int nStride = static_cast<int>((width * static_cast<png_uint_32>(nChannels) + 3) & ~3u);
    BYTE* pRows = static_cast<BYTE*>(pBits);
    for (int pass = 0; pass < nPasses; ++pass)
    {
        for (png_uint_32 y = 0; y < height; ++y)
        {
            png_read_row(png, pRows + static_cast<ptrdiff_t>(y) * nStride, nullptr);
        }
    }
    if (nChannels == 4)
    {
        SwapAndPremultiply(pRows, static_cast<int>(width), static_cast<int>(height), nStride);
    }
    *pbHasAlpha = bPalette ? bTransparency : nChannels == 4;
    return hDib;
}

}  // namespace

BOOL CExtendedBitmap::LoadFromMemory(const BYTE* pData, DWORD dwSize, COLORREF crBackground, BOOL* pbHasAlpha)
{
    if (GetSafeHandle() != nullptr || pData == nullptr)
    {
        return FALSE;
    }
    if (dwSize >= PNG_SIGNATURE_SIZE && png_sig_cmp(pData, 0, PNG_SIGNATURE_SIZE) == 0)
    {
        return LoadPngFromMemory(this, pData, dwSize, pbHasAlpha);
    }
    return LoadFromPicture(pData, dwSize, this, crBackground);
}

BOOL CExtendedBitmap::LoadPngFromMemory(CBitmap* pTarget, const BYTE* pData, DWORD dwSize, BOOL* pbHasAlpha)
{
    if (pTarget == nullptr || pTarget->GetSafeHandle() != nullptr || pData == nullptr)
    {
        return FALSE;
    }
    // The version of the headers the build compiled against, which libpng
    // checks against the library it runs with.
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (png == nullptr)
    {
        return FALSE;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr)
    {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return FALSE;
    }
    _TPngMemoryRead read = {pData, dwSize, 0};
    BOOL bHasAlpha = FALSE;
    HBITMAP hDib = DecodePng(png, info, &read, &bHasAlpha);
    png_destroy_read_struct(&png, &info, nullptr);
    if (hDib == nullptr)
    {
        return FALSE;
    }
    if (!pTarget->Attach(hDib))
    {
        ::DeleteObject(hDib);
        return FALSE;
    }
    if (pbHasAlpha != nullptr)
    {
        *pbHasAlpha = bHasAlpha;
    }
    return TRUE;
}

BOOL CExtendedBitmap::LoadFromPicture(const BYTE* pData, DWORD dwSize, CBitmap* pTarget, COLORREF crBackground)
{
    if (pTarget == nullptr || pTarget->GetSafeHandle() != nullptr)
    {
        return FALSE;
    }
    // Metafiles are sized from their frame (in HIMETRIC) at the desktop's
    // resolution; raster pictures keep their own size.
    HDC hDesktop = ::GetDC(::GetDesktopWindow());
    const SIZE resolution = {::GetDeviceCaps(hDesktop, LOGPIXELSX), ::GetDeviceCaps(hDesktop, LOGPIXELSY)};
    ::ReleaseDC(::GetDesktopWindow(), hDesktop);
    std::string error;
    HBITMAP hPicture = trelwin::gdi::render_picture(pData, dwSize, crBackground, resolution, &error);
    if (hPicture == nullptr)
    {
        return FALSE;
    }
    if (!pTarget->Attach(hPicture))
    {
        ::DeleteObject(hPicture);
        return FALSE;
    }
    return TRUE;
}
