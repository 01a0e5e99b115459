#include "platform/afx/afx_dc.h"

#include <memory>

#include "platform/afx/afx_handle_map.h"

IMPLEMENT_DYNCREATE(CDC, CObject)

namespace {

void ForgetDc(CDC* dc) {
    dc->m_hDC = nullptr;
    dc->m_hAttribDC = nullptr;
}

using DcMap = trelwin::afx::HandleMap<CDC, &ForgetDc>;

std::unique_ptr<CDC> MakeTemporaryDc(void* handle) {
    auto dc = std::make_unique<CDC>();
    dc->m_hDC = static_cast<HDC>(handle);
    dc->m_hAttribDC = dc->m_hDC;
    return dc;
}

}  // namespace

CDC::~CDC() {
    if (m_hDC) ::DeleteDC(Detach());
}

CDC* CDC::FromHandle(HDC hDC) { return DcMap::FromHandle(hDC, &MakeTemporaryDc); }

void CDC::DeleteTempMap() { DcMap::FreeTemporaries(); }

BOOL CDC::Attach(HDC hDC) {
    if (!DcMap::Attach(this, m_hDC, hDC)) return FALSE;
    m_hAttribDC = hDC;
    return TRUE;
}

HDC CDC::Detach() {
    m_hAttribDC = nullptr;
    return DcMap::Detach(this, m_hDC);
}

void CDC::SetOutputDC(HDC hDC) {
    DcMap::Detach(this, m_hDC);
    DcMap::Attach(this, m_hDC, hDC);
}

void CDC::ReleaseOutputDC() { DcMap::Detach(this, m_hDC); }

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    if (m_hDC) return FALSE;
    HDC dc = ::CreateCompatibleDC(DcHandle(pDC));
    if (!dc) return FALSE;
    return Attach(dc);
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    return ::DeleteDC(Detach());
}

int CDC::SaveDC() { return Both(&::SaveDC, 0); }

BOOL CDC::RestoreDC(int nSavedDC) {
    BOOL restored = TRUE;
    if (m_hDC && m_hDC != m_hAttribDC) restored = ::RestoreDC(m_hDC, nSavedDC);
    if (m_hAttribDC) restored = ::RestoreDC(m_hAttribDC, nSavedDC) && restored;
    return m_hDC || m_hAttribDC ? restored : FALSE;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) {
    if (!hObject) return nullptr;
    if (::GetObjectType(hObject) == OBJ_BITMAP) return ::SelectObject(m_hDC, hObject);
    return Both(&::SelectObject, static_cast<HGDIOBJ>(nullptr), hObject);
}

CPen* CDC::SelectObject(CPen* pPen) {
    return pPen ? CPen::FromHandle(static_cast<HPEN>(SelectObject(pPen->m_hObject))) : nullptr;
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
    return pBrush ? CBrush::FromHandle(static_cast<HBRUSH>(SelectObject(pBrush->m_hObject))) : nullptr;
}

CFont* CDC::SelectObject(CFont* pFont) {
    return pFont ? CFont::FromHandle(static_cast<HFONT>(SelectObject(pFont->m_hObject))) : nullptr;
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    if (!pBitmap || !pBitmap->m_hObject) return nullptr;
    return CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, pBitmap->m_hObject)));
}

int CDC::SelectObject(CRgn* pRgn) { return SelectClipRgn(pRgn); }

CGdiObject* CDC::SelectObject(CGdiObject* pObject) {
    if (!pObject || !pObject->m_hObject) return nullptr;
    // A region becomes the clip and is not "selected"; there is no previous object.
    if (pObject->GetObjectType() == OBJ_REGION) {
        SelectClipRgn(static_cast<CRgn*>(pObject));
        return nullptr;
    }
    return CGdiObject::FromHandle(SelectObject(pObject->m_hObject));
}

CGdiObject* CDC::SelectStockObject(int nIndex) {
    HGDIOBJ stock = ::GetStockObject(nIndex);
    return stock ? CGdiObject::FromHandle(SelectObject(stock)) : nullptr;
}

CPen* CDC::GetCurrentPen() const {
    return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hAttribDC, OBJ_PEN)));
}

CBrush* CDC::GetCurrentBrush() const {
    return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hAttribDC, OBJ_BRUSH)));
}

CFont* CDC::GetCurrentFont() const {
    return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hAttribDC, OBJ_FONT)));
}

CBitmap* CDC::GetCurrentBitmap() const {
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

namespace {

CPoint ReadPoint(BOOL (*getter)(HDC, LPPOINT), HDC dc) {
    CPoint point;
    getter(dc, &point);
    return point;
}

}  // namespace

CPoint CDC::ChangePoint(BOOL (*setter)(HDC, int, int, LPPOINT), int x, int y) {
    CPoint previous;
    Both(setter, FALSE, x, y, static_cast<LPPOINT>(&previous));
    return previous;
}

CPoint CDC::GetBrushOrg() const { return ReadPoint(&::GetBrushOrgEx, m_hDC); }

CPoint CDC::SetBrushOrg(int x, int y) {
    CPoint previous;
    ::SetBrushOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CPoint CDC::GetViewportOrg() const { return ReadPoint(&::GetViewportOrgEx, m_hAttribDC); }
CPoint CDC::SetViewportOrg(int x, int y) { return ChangePoint(&::SetViewportOrgEx, x, y); }
CPoint CDC::OffsetViewportOrg(int nWidth, int nHeight) { return ChangePoint(&::OffsetViewportOrgEx, nWidth, nHeight); }
CPoint CDC::GetWindowOrg() const { return ReadPoint(&::GetWindowOrgEx, m_hAttribDC); }
CPoint CDC::SetWindowOrg(int x, int y) { return ChangePoint(&::SetWindowOrgEx, x, y); }
CPoint CDC::OffsetWindowOrg(int nWidth, int nHeight) { return ChangePoint(&::OffsetWindowOrgEx, nWidth, nHeight); }

int CDC::SelectClipRgn(CRgn* pRgn) { return Both(&::SelectClipRgn, ERROR, RegionHandle(pRgn)); }

int CDC::SelectClipRgn(CRgn* pRgn, int nMode) { return Both(&::ExtSelectClipRgn, ERROR, RegionHandle(pRgn), nMode); }

CPoint CDC::GetCurrentPosition() const { return ReadPoint(&::GetCurrentPositionEx, m_hAttribDC); }

// The pen position lives in both DCs, so that drawing on the output DC and
// asking the attribute DC agree.
CPoint CDC::MoveTo(int x, int y) { return ChangePoint(&::MoveToEx, x, y); }

BOOL CDC::LineTo(int x, int y) {
    if (m_hAttribDC && m_hAttribDC != m_hDC) ::MoveToEx(m_hAttribDC, x, y, nullptr);
    return ::LineTo(m_hDC, x, y);
}

BOOL CDC::PolylineTo(const POINT* lpPoints, int nCount) {
    if (nCount < 0) return FALSE;
    const BOOL drawn = ::PolylineTo(m_hDC, lpPoints, static_cast<DWORD>(nCount));
    if (drawn && nCount > 0 && m_hAttribDC && m_hAttribDC != m_hDC) {
        ::MoveToEx(m_hAttribDC, lpPoints[nCount - 1].x, lpPoints[nCount - 1].y, nullptr);
    }
    return drawn;
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr) { ::FillSolidRect(m_hDC, lpRect, clr); }

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr) { ::FillSolidRect(m_hDC, x, y, cx, cy, clr); }

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight) {
    Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, clrTopLeft,
               clrBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight) {
    // The top and left edges stop one pixel short of the far corners, which
    // belong to the bottom and right edges.
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, clrBottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, clrBottomRight);
}

CSize CDC::GetTextExtent(LPCTSTR lpszString, int nCount) const {
    CSize size;
    ::GetTextExtentPoint32(m_hAttribDC, lpszString, nCount, &size);
    return size;
}

CSize CDC::GetOutputTextExtent(LPCTSTR lpszString, int nCount) const {
    CSize size;
    ::GetTextExtentPoint32(m_hDC, lpszString, nCount, &size);
    return size;
}

int CDC::GetTextFace(CString& rString) const {
    char face[LF_FACESIZE] = {};
    const int n = ::GetTextFaceA(m_hAttribDC, LF_FACESIZE, face);
    rString = face;
    return n;
}
