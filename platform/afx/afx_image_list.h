// CImageList: an image list as a C++ object. It owns the list it created or
// attached and destroys it when destroyed; FromHandle gives the owner of a
// list or a temporary wrapper that owns nothing (see afx_handle_map.h).
#pragma once

#include "platform/afx/afx_gdi_objects.h"
#include "platform/afx/afx_geometry.h"
#include "platform/base/object.h"
#include "platform/gdi/image_list.h"

class CDC;

class CImageList : public CObject {
    DECLARE_DYNCREATE(CImageList)

public:
    HIMAGELIST m_hImageList = nullptr;

    CImageList() = default;
    ~CImageList() override;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    static CImageList* FromHandle(HIMAGELIST hImageList);
    static void DeleteTempMap();

    // Each Create fails (FALSE) when this object already holds a list.
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // Images of width cx side by side in a bitmap resource; crMask is the
    // colour that turns transparent, CLR_NONE for none.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);

    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    int GetImageCount() const { return ::ImageList_GetImageCount(m_hImageList); }
    COLORREF SetBkColor(COLORREF cr) { return ::ImageList_SetBkColor(m_hImageList, cr); }
    COLORREF GetBkColor() const { return ::ImageList_GetBkColor(m_hImageList); }

    // The index of the first image added, or -1.
    int Add(CBitmap* pbmImage, CBitmap* pbmMask);
    int Add(CBitmap* pbmImage, COLORREF crMask);
    int Add(HICON hIcon) { return ::ImageList_AddIcon(m_hImageList, hIcon); }
    int Replace(int nImage, HICON hIcon) { return ::ImageList_ReplaceIcon(m_hImageList, nImage, hIcon); }
    // -1 removes every image.
    BOOL Remove(int nImage) { return ::ImageList_Remove(m_hImageList, nImage); }
    // A new icon that the caller destroys.
    HICON ExtractIcon(int nImage) { return ::ImageList_GetIcon(m_hImageList, nImage, ILD_NORMAL); }

    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle);
    BOOL DrawEx(CDC* pDC, int nImage, POINT pt, SIZE sz, COLORREF clrBk, COLORREF clrFg, UINT nStyle);
};
