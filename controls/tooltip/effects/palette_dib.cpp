#include "controls/tooltip/effects/palette_dib.h"

#include "platform/gdi/gdi.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace
{

const size_t PALETTE_BYTES = CPaletteDib::PALETTE_COLORS * sizeof(RGBQUAD);

BYTE Blend(BYTE entry, BYTE colour, int nPercent)
{
    return static_cast<BYTE>((entry * (100 - nPercent) + colour * nPercent) / 100);
}

} // namespace

CPaletteDib::CPaletteDib()
    : m_pBuffer(nullptr), m_header(), m_nLineWidth(0), m_wColors(0), m_hSection(nullptr), m_hMemDC(nullptr),
      m_pSectionBits(nullptr), m_hOldBitmap(nullptr)
{
}

CPaletteDib::~CPaletteDib()
{
    Free();
}

BYTE* CPaletteDib::Create(int nWidth, int nHeight)
{
    Free();
    if (nWidth < 1 || nHeight < 1 || nWidth > MAX_SIDE || nHeight > MAX_SIDE)
        return nullptr;
    const int nLineWidth = ((nWidth * 8 + 31) / 32) * 4;
    const size_t nImageSize = static_cast<size_t>(nLineWidth) * static_cast<size_t>(nHeight);
    BYTE* pBuffer = new (std::nothrow) BYTE[sizeof(BITMAPINFOHEADER) + PALETTE_BYTES + nImageSize];
    if (pBuffer == nullptr)
        return nullptr;

    m_header.biSize = sizeof(BITMAPINFOHEADER);
    m_header.biWidth = nWidth;
    m_header.biHeight = nHeight;
    m_header.biPlanes = 1;
    m_header.biBitCount = 8;
    m_header.biCompression = BI_RGB;
    m_header.biSizeImage = static_cast<DWORD>(nImageSize);
    m_nLineWidth = nLineWidth;
    m_wColors = PALETTE_COLORS;
    m_pBuffer = pBuffer;
    std::memcpy(m_pBuffer, &m_header, sizeof(m_header));
    std::memset(m_pBuffer + sizeof(m_header), 0, PALETTE_BYTES + nImageSize);
    return m_pBuffer;
}

void CPaletteDib::Free()
{
    if (m_hMemDC != nullptr)
    {
        SelectObject(m_hMemDC, m_hOldBitmap);
        DeleteDC(m_hMemDC);
    }
    if (m_hSection != nullptr)
        DeleteObject(m_hSection);
    delete[] m_pBuffer;
    m_pBuffer = nullptr;
    m_header = BITMAPINFOHEADER();
    m_nLineWidth = 0;
    m_wColors = 0;
    m_hSection = nullptr;
    m_hMemDC = nullptr;
    m_pSectionBits = nullptr;
    m_hOldBitmap = nullptr;
}

RGBQUAD* CPaletteDib::GetPalette()
{
    return m_pBuffer ? reinterpret_cast<RGBQUAD*>(m_pBuffer + sizeof(BITMAPINFOHEADER)) : nullptr;
}

BYTE* CPaletteDib::GetRow(int y)
{
    if (m_pBuffer == nullptr || y < 0 || y >= m_header.biHeight)
        return nullptr;
    return m_pBuffer + sizeof(BITMAPINFOHEADER) + PALETTE_BYTES + static_cast<size_t>(y) * m_nLineWidth;
}

void CPaletteDib::BlendPalette(COLORREF clr, int nPercent)
{
    RGBQUAD* pPalette = GetPalette();
    if (pPalette == nullptr)
        return;
    nPercent = std::clamp(nPercent, 0, 100);
    for (int i = 0; i < m_wColors; i++)
    {
        pPalette[i].rgbRed = Blend(pPalette[i].rgbRed, GetRValue(clr), nPercent);
        pPalette[i].rgbGreen = Blend(pPalette[i].rgbGreen, GetGValue(clr), nPercent);
        pPalette[i].rgbBlue = Blend(pPalette[i].rgbBlue, GetBValue(clr), nPercent);
    }
}

void CPaletteDib::Draw(HDC hDC, int x, int y)
{
    if (m_pBuffer == nullptr)
        return;
    if (m_hSection == nullptr)
    {
        m_hSection = CreateDIBSection(hDC, reinterpret_cast<const BITMAPINFO*>(m_pBuffer), DIB_RGB_COLORS,
                                      &m_pSectionBits, nullptr, 0);
        if (m_hSection == nullptr)
            return;
    }
    if (m_hMemDC == nullptr)
    {
        m_hMemDC = CreateCompatibleDC(hDC);
        if (m_hMemDC == nullptr)
            return;
        m_hOldBitmap = SelectObject(m_hMemDC, m_hSection);
    }
    std::memcpy(m_pSectionBits, m_pBuffer + sizeof(BITMAPINFOHEADER) + PALETTE_BYTES, m_header.biSizeImage);
    BitBlt(hDC, x, y, m_header.biWidth, m_header.biHeight, m_hMemDC, 0, 0, SRCCOPY);
}
