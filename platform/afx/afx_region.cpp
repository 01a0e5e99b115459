#include "platform/afx/afx_gdi_objects.h"

namespace {

HRGN Handle(const CRgn* region) { return region ? static_cast<HRGN>(region->m_hObject) : nullptr; }

}  // namespace

BOOL CRgn::CreateFromData(const XFORM* lpXForm, int nCount, const RGNDATA* pRgnData) {
    if (nCount <= 0) return FALSE;
    return AttachNew(::ExtCreateRegion(lpXForm, static_cast<DWORD>(nCount), pRgnData));
}

int CRgn::CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode) {
    return ::CombineRgn(Handle(this), Handle(pRgn1), Handle(pRgn2), nCombineMode);
}

int CRgn::CopyRgn(const CRgn* pRgnSrc) { return ::CombineRgn(Handle(this), Handle(pRgnSrc), nullptr, RGN_COPY); }

BOOL CRgn::EqualRgn(const CRgn* pRgn) const { return ::EqualRgn(Handle(this), Handle(pRgn)); }

int CRgn::GetRegionData(LPRGNDATA lpRgnData, int nCount) const {
    if (nCount < 0) return 0;
    return static_cast<int>(::GetRegionData(Handle(this), static_cast<DWORD>(nCount), lpRgnData));
}
