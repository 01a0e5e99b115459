#include <cstdint>
#include <string>
#include <vector>

#include "platform/afx/afx_dc.h"
#include "platform/afx/afx_gdi_objects.h"
#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/gdi/image_decode.h"
#include "platform/resources/resource_api.h"
#include "platform/user/images.h"

namespace {

// Bitmap resources come as DIBs; the framework loads them as bitmaps of the
// screen's kind, so the picture is copied into a device bitmap.
HBITMAP ToDeviceBitmap(HBITMAP dib) {
    BITMAP bm{};
    if (!::GetObject(dib, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
    HBITMAP ddb = ::CreateBitmap(bm.bmWidth, bm.bmHeight, 1, bm.bmBitsPixel == 1 ? 1 : 32, nullptr);
    if (!ddb) return nullptr;
    BITMAPINFO info = trelwin::gdi::dib32_info(bm.bmWidth, bm.bmHeight);
    std::vector<uint32_t> pixels(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
    HDC dc = ::CreateCompatibleDC(nullptr);
    const UINT rows = static_cast<UINT>(bm.bmHeight);
    const bool copied = dc && ::GetDIBits(dc, dib, 0, rows, pixels.data(), &info, DIB_RGB_COLORS) == bm.bmHeight &&
                        ::SetDIBits(dc, ddb, 0, rows, pixels.data(), &info, DIB_RGB_COLORS) == bm.bmHeight;
    if (dc) ::DeleteDC(dc);
    if (!copied) {
        ::DeleteObject(ddb);
        return nullptr;
    }
    return ddb;
}

}  // namespace

BOOL CBitmap::LoadBitmap(UINT nIDResource) { return LoadBitmap(MAKEINTRESOURCE(nIDResource)); }

BOOL CBitmap::LoadBitmap(LPCTSTR lpszResourceName) {
    if (m_hObject) return FALSE;
    HRSRC resource = trelwin::user::FindScreenBitmap(nullptr, lpszResourceName);
    if (!resource) return FALSE;  // FindResource has set the last error
    const auto* data = static_cast<const uint8_t*>(::LockResource(::LoadResource(nullptr, resource)));
    const DWORD size = ::SizeofResource(nullptr, resource);
    std::string error;
    HBITMAP dib = data ? trelwin::gdi::decode_bmp(data, size, &error) : nullptr;
    if (!dib) {
        ::SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    HBITMAP ddb = ToDeviceBitmap(dib);
    ::DeleteObject(dib);
    if (!ddb) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return AttachNew(ddb);
}

BOOL CBitmap::CreateBitmapIndirect(LPBITMAP lpBitmap) {
    if (!lpBitmap) return FALSE;
    return AttachNew(::CreateBitmap(lpBitmap->bmWidth, lpBitmap->bmHeight, lpBitmap->bmPlanes, lpBitmap->bmBitsPixel,
                                    lpBitmap->bmBits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return AttachNew(::CreateCompatibleBitmap(pDC ? pDC->m_hDC : nullptr, nWidth, nHeight));
}
