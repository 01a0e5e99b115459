// Page objects: the copied description, the template found once, and the
// page's window made when the page is first shown.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/commctrl/property_sheet_internal.h"
#include "platform/resources/string_table.h"
#include "platform/user/geometry.h"
#include "platform/user/window_object.h"

namespace trelwin::commctrl::sheet {

std::string TextOf(HINSTANCE instance, LPCSTR text) {
    if (!text) return {};
    if (!IS_INTRESOURCE(text)) return text;
    char buffer[1024];
    const int length = LoadStringA(instance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)), buffer,
                                   static_cast<int>(sizeof(buffer)));
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

INT_PTR TemplateIdOf(HPROPSHEETPAGE page) {
    const PROPSHEETPAGEA* psp = page->psp();
    if (psp->dwFlags & PSP_DLGINDIRECT) return 0;
    return IS_INTRESOURCE(psp->pszTemplate) ? static_cast<INT_PTR>(reinterpret_cast<ULONG_PTR>(psp->pszTemplate)) : 0;
}

bool CreatePageWindow(Sheet& sheet, HPROPSHEETPAGE page) {
    if (page->hwnd && IsWindow(page->hwnd)) return true;
    PROPSHEETPAGEA* psp = page->psp();
    if ((psp->dwFlags & PSP_USECALLBACK) && psp->pfnCallback && !psp->pfnCallback(nullptr, PSPCB_CREATE, psp)) {
        return false;
    }
    // A page is a control inside the sheet, whatever its template says.
    DLGTEMPLATE child = *page->dialog;
    child.style &= ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE | WS_DISABLED | WS_BORDER |
                     WS_DLGFRAME | DS_MODALFRAME | DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN | DS_SYSMODAL);
    child.style |= WS_CHILD | DS_CONTROL;
    child.exStyle |= WS_EX_CONTROLPARENT;
    child.exStyle &= ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_TOPMOST | WS_EX_APPWINDOW);
    child.x = child.y = 0;
    HWND hwnd = CreateDialogIndirectParamA(psp->hInstance, &child, sheet.hwnd, psp->pfnDlgProc,
                                           reinterpret_cast<LPARAM>(psp));
    if (!hwnd) return false;
    page->hwnd = hwnd;
    const RECT& place = HasHeader(sheet, page) ? sheet.interiorPage : sheet.exteriorPage;
    SetWindowPos(hwnd, HWND_TOP, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOACTIVATE);
    return true;
}

void DestroyPage(HPROPSHEETPAGE page) {
    if (page->hwnd && IsWindow(page->hwnd)) DestroyWindow(page->hwnd);
    page->hwnd = nullptr;
    PROPSHEETPAGEA* psp = page->psp();
    if ((psp->dwFlags & PSP_USECALLBACK) && psp->pfnCallback) psp->pfnCallback(nullptr, PSPCB_RELEASE, psp);
    if ((psp->dwFlags & PSP_USEREFPARENT) && psp->pcRefParent && *psp->pcRefParent) --*psp->pcRefParent;
    delete page;
}

}  // namespace trelwin::commctrl::sheet

using namespace trelwin::commctrl::sheet;

HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA constPropSheetPagePointer) {
    const PROPSHEETPAGEA* source = constPropSheetPagePointer;
    if (!source || source->dwSize < offsetof(PROPSHEETPAGEA, pcRefParent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const DLGTEMPLATE* dialog = (source->dwFlags & PSP_DLGINDIRECT)
                                    ? source->pResource
                                    : trelwin::user::FindDialogTemplate(source->hInstance, source->pszTemplate);
    if (!dialog) {
        if (GetLastError() == 0) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    auto* page = new _PSP;
    // Room for the whole structure even when the caller's is older and
    // shorter, so that every field read here exists.
    const size_t size = std::max<size_t>(source->dwSize, sizeof(PROPSHEETPAGEA));
    const size_t units = (size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    page->storage.reset(new std::max_align_t[units]());
    std::memcpy(page->storage.get(), source, source->dwSize);
    PROPSHEETPAGEA* psp = page->psp();
    if (source->dwSize < sizeof(PROPSHEETPAGEA)) {
        psp->pszHeaderTitle = nullptr;
        psp->pszHeaderSubTitle = nullptr;
        psp->dwFlags &= ~(PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE);
    }
    page->dialog = dialog;
    if (psp->dwFlags & PSP_USEHEADERTITLE) page->headerTitle = TextOf(psp->hInstance, psp->pszHeaderTitle);
    if (psp->dwFlags & PSP_USEHEADERSUBTITLE) page->headerSubTitle = TextOf(psp->hInstance, psp->pszHeaderSubTitle);
    if ((psp->dwFlags & PSP_USEREFPARENT) && psp->pcRefParent) ++*psp->pcRefParent;
    if ((psp->dwFlags & PSP_USECALLBACK) && psp->pfnCallback) psp->pfnCallback(nullptr, PSPCB_ADDREF, psp);
    return page;
}

BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPage) {
    if (!hPage) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DestroyPage(hPage);
    return TRUE;
}
