// What the sheet keeps about its pages and itself, shared by the sheet's
// parts (pages, navigation, painting).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/commctrl/property_sheet.h"

struct _PSP {
    // The caller's description, all dwSize bytes of it: a page's dialog
    // procedure gets a pointer to this copy with WM_INITDIALOG.
    std::unique_ptr<std::max_align_t[]> storage;
    const DLGTEMPLATE* dialog = nullptr;
    std::string headerTitle;
    std::string headerSubTitle;
    HWND hwnd = nullptr;

    PROPSHEETPAGEA* psp() { return reinterpret_cast<PROPSHEETPAGEA*>(storage.get()); }
};

namespace trelwin::commctrl::sheet {

struct Sheet {
    PROPSHEETHEADERA header{};
    HWND hwnd = nullptr;
    std::vector<HPROPSHEETPAGE> pages;
    int current = -1;
    DWORD wizButtons = PSWIZB_BACK | PSWIZB_NEXT;

    // Layout, in client pixels.
    int headerHeight = 0;
    RECT interiorPage{};  // where pages with a header go
    RECT exteriorPage{};  // where pages without one go (beside the watermark)
    int separatorTop = 0;
    int margin = 0;

    HFONT titleFont = nullptr;
    HBITMAP headerBitmap = nullptr;
    HBITMAP watermark = nullptr;
    bool ownsHeaderBitmap = false;
    bool ownsWatermark = false;
};

// A text given as a string or a string id of the module.
std::string TextOf(HINSTANCE instance, LPCSTR text);
bool IsWizard97(const Sheet& sheet);
bool HasHeader(const Sheet& sheet, HPROPSHEETPAGE page);
// The page's template id (for jumps by id), or 0.
INT_PTR TemplateIdOf(HPROPSHEETPAGE page);
// Makes the page's window (hidden, in its place); false when it cannot.
bool CreatePageWindow(Sheet& sheet, HPROPSHEETPAGE page);
void DestroyPage(HPROPSHEETPAGE page);

// The header band, the watermark and the line above the buttons.
void PaintSheet(Sheet& sheet, HDC hdc);
void LoadSheetImages(Sheet& sheet);
void FreeSheetImages(Sheet& sheet);

}  // namespace trelwin::commctrl::sheet
