#include "platform/afx/afx_gdi_objects.h"

#include <memory>

#include "platform/afx/afx_handle_map.h"
#include "platform/base/exceptions.h"

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNCREATE(CFont, CGdiObject)
IMPLEMENT_DYNCREATE(CBitmap, CGdiObject)
IMPLEMENT_DYNCREATE(CRgn, CGdiObject)

namespace {

void ForgetHandle(CGdiObject* object) { object->m_hObject = nullptr; }

using GdiMap = trelwin::afx::HandleMap<CGdiObject, &ForgetHandle>;

// A temporary wrapper of the class that fits the handle's kind, so that a
// typed FromHandle can hand it out as that class.
std::unique_ptr<CGdiObject> MakeWrapper(void* handle) {
    std::unique_ptr<CGdiObject> object;
    switch (::GetObjectType(handle)) {
        case OBJ_PEN: object = std::make_unique<CPen>(); break;
        case OBJ_BRUSH: object = std::make_unique<CBrush>(); break;
        case OBJ_FONT: object = std::make_unique<CFont>(); break;
        case OBJ_BITMAP: object = std::make_unique<CBitmap>(); break;
        case OBJ_REGION: object = std::make_unique<CRgn>(); break;
        default: object = std::make_unique<CGdiObject>(); break;
    }
    object->m_hObject = handle;
    return object;
}

template <typename T>
T* TypedFromHandle(HGDIOBJ handle) {
    return dynamic_cast<T*>(CGdiObject::FromHandle(handle));
}

}  // namespace

CGdiObject::~CGdiObject() { DeleteObject(); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) { return GdiMap::FromHandle(hObject, &MakeWrapper); }

void CGdiObject::DeleteTempMap() { GdiMap::FreeTemporaries(); }

BOOL CGdiObject::Attach(HGDIOBJ hObject) { return GdiMap::Attach(this, m_hObject, hObject); }

HGDIOBJ CGdiObject::Detach() { return GdiMap::Detach(this, m_hObject); }

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    return ::DeleteObject(Detach());
}

BOOL CGdiObject::AttachNew(HGDIOBJ hObject) {
    if (!hObject) return FALSE;
    if (m_hObject) {
        ::DeleteObject(hObject);
        return FALSE;
    }
    return Attach(hObject);
}

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor) {
    if (!CreatePen(nPenStyle, nWidth, crColor)) AfxThrowResourceException();
}

CPen* CPen::FromHandle(HPEN hPen) { return TypedFromHandle<CPen>(hPen); }

CBrush::CBrush(COLORREF crColor) {
    if (!CreateSolidBrush(crColor)) AfxThrowResourceException();
}

CBrush::CBrush(int nIndex, COLORREF crColor) {
    if (!CreateHatchBrush(nIndex, crColor)) AfxThrowResourceException();
}

CBrush::CBrush(CBitmap* pBitmap) {
    if (!CreatePatternBrush(pBitmap)) AfxThrowResourceException();
}

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap) {
    if (!pBitmap) return FALSE;
    return AttachNew(::CreatePatternBrush(static_cast<HBITMAP>(pBitmap->m_hObject)));
}

CBrush* CBrush::FromHandle(HBRUSH hBrush) { return TypedFromHandle<CBrush>(hBrush); }
CFont* CFont::FromHandle(HFONT hFont) { return TypedFromHandle<CFont>(hFont); }
CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) { return TypedFromHandle<CBitmap>(hBitmap); }
CRgn* CRgn::FromHandle(HRGN hRgn) { return TypedFromHandle<CRgn>(hRgn); }
