// Scoped guards of the drawing code: a DC's state saved for the life of the
// guard, and a memory DC with one bitmap selected into it. Each undoes its
// work on every road out of a drawing function.
#pragma once

#include "platform/afx/afx_dc.h"

// SaveDC now, RestoreDC at the end of the scope.
class CDCStateSaver
{
public:
    explicit CDCStateSaver(CDC* pDC) : m_pDC(pDC), m_nSaved(pDC->SaveDC())
    {
    }
    ~CDCStateSaver()
    {
        if (m_nSaved != 0)
        {
            m_pDC->RestoreDC(m_nSaved);
        }
    }
    CDCStateSaver(const CDCStateSaver&) = delete;
    CDCStateSaver& operator=(const CDCStateSaver&) = delete;

private:
    CDC* m_pDC;
    int m_nSaved;
};

// A memory DC compatible with another, holding a bitmap until the end of the
// scope; the bitmap is selected out again before the DC is deleted, so that
// its owner can delete or reuse it.
class CMemoryDC : public CDC
{
public:
    CMemoryDC(CDC* pCompatible, CBitmap* pBitmap)
    {
        if (CreateCompatibleDC(pCompatible) && pBitmap != nullptr && pBitmap->GetSafeHandle() != nullptr)
        {
            m_hOldBitmap = ::SelectObject(m_hDC, pBitmap->GetSafeHandle());
        }
    }
    ~CMemoryDC() override
    {
        if (m_hOldBitmap != nullptr)
        {
            ::SelectObject(m_hDC, m_hOldBitmap);
        }
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    // Whether the DC exists and holds the bitmap.
    BOOL IsReady() const
    {
        return m_hOldBitmap != nullptr;
    }

private:
    HGDIOBJ m_hOldBitmap = nullptr;
};
