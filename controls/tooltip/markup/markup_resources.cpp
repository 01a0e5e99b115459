// The bitmaps, icons and strings that tags name: from the program's
// resources, from files only where the program allows it, and from handles
// only when the object table knows them. No module is ever loaded by name.
#include "controls/tooltip/markup/markup_drawer.h"

#include "platform/base/module_handle.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/handle_check.h"
#include "platform/user/images.h"

#include <algorithm>

namespace
{

enum : int
{
    // A reference shorter than "file:" plus one byte names nothing.
    MIN_REFERENCE_LENGTH = 6,
};

HINSTANCE ProgramModule()
{
    return GetModuleHandleA(nullptr);
}

} // namespace

HICON CMarkupDrawer::GetIconFromDll(UINT nId, int cx, int cy, const char* pszDll)
{
    if (nId == 0 || pszDll != nullptr || m_hResourceModule == nullptr)
        return nullptr;
    return static_cast<HICON>(LoadImageA(m_hResourceModule, MAKEINTRESOURCEA(nId), IMAGE_ICON, cx, cy, 0));
}

HBITMAP CMarkupDrawer::GetBitmapFromResource(UINT nId)
{
    if (nId == 0)
        return nullptr;
    return static_cast<HBITMAP>(LoadImageA(ProgramModule(), MAKEINTRESOURCEA(nId), IMAGE_BITMAP, 0, 0, 0));
}

HICON CMarkupDrawer::GetIconFromResource(UINT nId, int cx, int cy)
{
    if (nId == 0)
        return nullptr;
    return static_cast<HICON>(LoadImageA(ProgramModule(), MAKEINTRESOURCEA(nId), IMAGE_ICON, cx, cy, 0));
}

HBITMAP CMarkupDrawer::GetBitmapFromFile(const char* pszFile)
{
    if (!m_bAllowFileImages || pszFile == nullptr || *pszFile == '\0')
        return nullptr;
    return static_cast<HBITMAP>(
        LoadImageA(nullptr, pszFile, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE | LR_CREATEDIBSECTION));
}

HBITMAP CMarkupDrawer::GetBitmapFromDll(UINT nId, const char* pszDll)
{
    if (nId == 0 || pszDll != nullptr || m_hResourceModule == nullptr)
        return nullptr;
    return static_cast<HBITMAP>(
        LoadImageA(m_hResourceModule, MAKEINTRESOURCEA(nId), IMAGE_BITMAP, 0, 0, LR_DEFAULTSIZE | LR_CREATEDIBSECTION));
}

CString CMarkupDrawer::GetStringFromResource(UINT nId)
{
    CString strText;
    if (nId != 0 && !strText.LoadString(nId))
        strText.Empty();
    return strText;
}

CString CMarkupDrawer::GetTipFromResource(UINT nId)
{
    const CString strText = GetStringFromResource(nId);
    const int nFirst = strText.Find('\n');
    if (nFirst < 0)
        return CString();
    const int nSecond = strText.Find('\n', nFirst + 1);
    return nSecond < 0 ? strText.Mid(nFirst + 1) : strText.Mid(nFirst + 1, nSecond - nFirst - 1);
}

HBITMAP CMarkupDrawer::GetBitmapFromHandle(UINT_PTR nHandle)
{
    return trelwin::gdi::bitmap_from_number(nHandle);
}

HICON CMarkupDrawer::GetIconFromHandle(UINT_PTR nHandle)
{
    return trelwin::gdi::icon_from_number(nHandle);
}

void CMarkupDrawer::DrawBackgroundImage(HDC hDC, const RECT& rect, const CString& strReference)
{
    if (strReference.GetLength() < MIN_REFERENCE_LENGTH)
        return;
    int nPos = 0;
    ScanTo(strReference, nPos, " :");
    const CString strKey = strReference.Left(nPos);
    const CString strValue = ReadDeclarationValue(strReference, nPos);
    HBITMAP hBitmap = nullptr;
    if (strKey == "idres")
        hBitmap = GetBitmapFromResource(static_cast<UINT>(std::clamp(ParseLength(strValue, 0), 0, 0xFFFF)));
    else if (strKey == "iddll")
        hBitmap = GetBitmapFromDll(static_cast<UINT>(std::clamp(ParseLength(strValue, 0), 0, 0xFFFF)), nullptr);
    else if (strKey == "file")
        hBitmap = GetBitmapFromFile(strValue);
    if (hBitmap == nullptr)
        return;
    const SIZE size = CDrawEffects::GetSizeOfBitmap(hBitmap);
    HDC hMemDC = CreateCompatibleDC(hDC);
    if (hMemDC != nullptr)
    {
        HGDIOBJ hOld = SelectObject(hMemDC, hBitmap);
        m_drawManager.MultipleCopy(hDC, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, hMemDC, 0,
                                   0, size.cx, size.cy);
        SelectObject(hMemDC, hOld);
        DeleteDC(hMemDC);
    }
    DeleteObject(hBitmap);
}
