// The parts of the sheet that belong to no page: the white header band with
// the page's title and subtitle and the header bitmap, the watermark beside
// pages without a header, and the etched lines.
#include "platform/commctrl/property_sheet_internal.h"
#include "platform/gdi/gdi.h"
#include "platform/user/geometry.h"
#include "platform/user/images.h"
#include "platform/user/message_functions.h"
#include "platform/user/system_metrics.h"

namespace trelwin::commctrl::sheet {

namespace {

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

void DrawBitmap(HDC hdc, HBITMAP bitmap, int x, int y) {
    const SIZE size = BitmapSize(bitmap);
    if (!size.cx) return;
    HDC memory = CreateCompatibleDC(hdc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(hdc, x, y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

HBITMAP LoadSheetBitmap(HINSTANCE instance, LPCSTR name, bool* owned) {
    *owned = false;
    if (!name) return nullptr;
    HBITMAP bitmap = LoadBitmapA(instance, name);
    *owned = bitmap != nullptr;
    return bitmap;
}

void PaintHeader(Sheet& sheet, HDC hdc, HPROPSHEETPAGE page, const RECT& client) {
    RECT band{0, 0, client.right, sheet.headerHeight};
    FillRect(hdc, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const SIZE bitmap = BitmapSize(sheet.headerBitmap);
    int textRight = client.right - sheet.margin;
    if (bitmap.cx) {
        const int x = client.right - sheet.margin - bitmap.cx;
        DrawBitmap(hdc, sheet.headerBitmap, x, (sheet.headerHeight - bitmap.cy) / 2);
        textRight = x - sheet.margin;
    }
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ previous = SelectObject(hdc, sheet.titleFont);
    TEXTMETRICA metrics{};
    GetTextMetricsA(hdc, &metrics);
    const int top = sheet.margin + sheet.margin / 2;
    RECT title{sheet.margin * 3, top, textRight, top + metrics.tmHeight};
    DrawTextA(hdc, page->headerTitle.c_str(), -1, &title, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    auto font = reinterpret_cast<HFONT>(SendMessageA(sheet.hwnd, WM_GETFONT, 0, 0));
    SelectObject(hdc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    RECT subtitle{sheet.margin * 6, title.bottom + sheet.margin / 2, textRight, sheet.headerHeight - 2};
    DrawTextA(hdc, page->headerSubTitle.c_str(), -1, &subtitle, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(hdc, previous);
    RECT line{0, sheet.headerHeight - 2, client.right, sheet.headerHeight};
    DrawEdge(hdc, &line, EDGE_ETCHED, BF_BOTTOM);
}

void PaintExterior(Sheet& sheet, HDC hdc, const RECT& client) {
    RECT area{0, 0, client.right, sheet.separatorTop};
    FillRect(hdc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (sheet.watermark) DrawBitmap(hdc, sheet.watermark, 0, 0);
}

}  // namespace

bool IsWizard97(const Sheet& sheet) { return (sheet.header.dwFlags & PSH_WIZARD97) != 0; }

bool HasHeader(const Sheet& sheet, HPROPSHEETPAGE page) {
    return IsWizard97(sheet) && (sheet.header.dwFlags & PSH_HEADER) && !(page->psp()->dwFlags & PSP_HIDEHEADER);
}

void LoadSheetImages(Sheet& sheet) {
    const PROPSHEETHEADERA& h = sheet.header;
    if (!IsWizard97(sheet)) return;
    if (h.dwFlags & PSH_HEADER) {
        if (h.dwFlags & PSH_USEHBMHEADER) {
            sheet.headerBitmap = h.hbmHeader;
        } else {
            sheet.headerBitmap = LoadSheetBitmap(h.hInstance, h.pszbmHeader, &sheet.ownsHeaderBitmap);
        }
    }
    if (h.dwFlags & PSH_WATERMARK) {
        if (h.dwFlags & PSH_USEHBMWATERMARK) {
            sheet.watermark = h.hbmWatermark;
        } else {
            sheet.watermark = LoadSheetBitmap(h.hInstance, h.pszbmWatermark, &sheet.ownsWatermark);
        }
    }
}

void FreeSheetImages(Sheet& sheet) {
    if (sheet.ownsHeaderBitmap && sheet.headerBitmap) DeleteObject(sheet.headerBitmap);
    if (sheet.ownsWatermark && sheet.watermark) DeleteObject(sheet.watermark);
    if (sheet.titleFont) DeleteObject(sheet.titleFont);
    sheet.headerBitmap = sheet.watermark = nullptr;
    sheet.titleFont = nullptr;
}

void PaintSheet(Sheet& sheet, HDC hdc) {
    RECT client{};
    GetClientRect(sheet.hwnd, &client);
    if (sheet.current >= 0 && IsWizard97(sheet)) {
        HPROPSHEETPAGE page = sheet.pages[static_cast<size_t>(sheet.current)];
        if (HasHeader(sheet, page)) {
            PaintHeader(sheet, hdc, page, client);
        } else {
            PaintExterior(sheet, hdc, client);
        }
    }
    RECT line{0, sheet.separatorTop, client.right, sheet.separatorTop + 2};
    DrawEdge(hdc, &line, EDGE_ETCHED, BF_BOTTOM);
}

}  // namespace trelwin::commctrl::sheet
