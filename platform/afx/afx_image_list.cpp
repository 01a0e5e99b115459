#include "platform/afx/afx_image_list.h"

#include <memory>

#include "platform/afx/afx_dc.h"
#include "platform/afx/afx_handle_map.h"

IMPLEMENT_DYNCREATE(CImageList, CObject)

namespace {

void ForgetList(CImageList* list) { list->m_hImageList = nullptr; }

using ListMap = trelwin::afx::HandleMap<CImageList, &ForgetList>;

std::unique_ptr<CImageList> MakeTemporaryList(void* handle) {
    auto list = std::make_unique<CImageList>();
    list->m_hImageList = static_cast<HIMAGELIST>(handle);
    return list;
}

HBITMAP BitmapHandle(const CBitmap* bitmap) { return bitmap ? static_cast<HBITMAP>(bitmap->m_hObject) : nullptr; }

}  // namespace

CImageList::~CImageList() { DeleteImageList(); }

CImageList* CImageList::FromHandle(HIMAGELIST hImageList) {
    return ListMap::FromHandle(hImageList, &MakeTemporaryList);
}

void CImageList::DeleteTempMap() { ListMap::FreeTemporaries(); }

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
    if (m_hImageList) return FALSE;
    HIMAGELIST list = ::ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    return list ? Attach(list) : FALSE;
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
    if (m_hImageList) return FALSE;
    CBitmap strip;
    BITMAP bm{};
    if (!strip.LoadBitmap(nBitmapID) || !strip.GetBitmap(&bm) || cx <= 0) return FALSE;
    const UINT flags = ILC_COLOR32 | (crMask != CLR_NONE ? ILC_MASK : 0);
    if (!Create(cx, bm.bmHeight, flags, bm.bmWidth / cx, nGrow)) return FALSE;
    const int first = crMask != CLR_NONE ? Add(&strip, crMask) : Add(&strip, static_cast<CBitmap*>(nullptr));
    if (first < 0) {
        DeleteImageList();
        return FALSE;
    }
    return TRUE;
}

BOOL CImageList::Attach(HIMAGELIST hImageList) { return ListMap::Attach(this, m_hImageList, hImageList); }

HIMAGELIST CImageList::Detach() { return ListMap::Detach(this, m_hImageList); }

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList) return FALSE;
    return ::ImageList_Destroy(Detach());
}

int CImageList::Add(CBitmap* pbmImage, CBitmap* pbmMask) {
    return ::ImageList_Add(m_hImageList, BitmapHandle(pbmImage), BitmapHandle(pbmMask));
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask) {
    return ::ImageList_AddMasked(m_hImageList, BitmapHandle(pbmImage), crMask);
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
    if (!pDC) return FALSE;
    return ::ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
}

BOOL CImageList::DrawEx(CDC* pDC, int nImage, POINT pt, SIZE sz, COLORREF clrBk, COLORREF clrFg, UINT nStyle) {
    if (!pDC) return FALSE;
    return ::ImageList_DrawEx(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, sz.cx, sz.cy, clrBk, clrFg, nStyle);
}
