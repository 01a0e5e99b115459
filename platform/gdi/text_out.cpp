#include <algorithm>
#include <cstring>

#include "platform/gdi/internal/control_glyph.h"
#include "platform/gdi/internal/raster.h"
#include "platform/gdi/internal/text_render.h"
#include "platform/gdi/text.h"

using namespace trelwin::gdi;

namespace {

std::string_view text_of(LPCSTR text, int length) {
    if (!text) return {};
    if (length < 0) return std::string_view(text);
    return std::string_view(text, static_cast<size_t>(length));
}

// Cell's top-left in surface coordinates for a reference point, by the
// DC's text alignment.
POINT cell_origin(DeviceContext& dc, const RealFont& font, POINT reference, int width) {
    const UINT align = dc.state.text_align;
    POINT p = reference;
    if ((align & TA_CENTER) == TA_CENTER) p.x -= width / 2;
    else if (align & TA_RIGHT) p.x -= width;
    if ((align & TA_BASELINE) == TA_BASELINE) p.y -= font.metrics().tmAscent;
    else if (align & TA_BOTTOM) p.y -= font.metrics().tmHeight;
    return p;
}

BOOL output(HDC hdc, int x, int y, UINT options, const RECT* rect, std::string_view text, const INT* dx) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !dc->surface()) return FALSE;
    RECT clip_rect{};
    bool have_rect = false;
    if (rect) {
        const POINT a = dc->to_surface(rect->left, rect->top), b = dc->to_surface(rect->right, rect->bottom);
        clip_rect = RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
        have_rect = true;
    }
    if ((options & ETO_OPAQUE) && have_rect) {
        Paint p;
        p.colour = colorref_to_pixel(dc->state.bk_colour);
        paint_rect(*dc, clip_rect, p);
    }
    if (text.empty()) return TRUE;
    auto font = dc_font(*dc);
    TextRun run = layout_run(*dc, *font, text, true);
    if (dx) {
        run.width = 0;
        for (size_t i = 0; i < run.chars.size(); ++i) {
            int advance = 0;
            for (uint32_t b = 0; b < run.chars[i].length; ++b) advance += dx[run.chars[i].offset + b];
            run.advances[i] = advance;
            run.width += advance;
        }
    }
    const bool update = (dc->state.text_align & TA_UPDATECP) != 0;
    const POINT logical = update ? dc->state.current_position : POINT{x, y};
    const POINT origin = cell_origin(*dc, *font, dc->to_surface(logical.x, logical.y), run.width);
    draw_run(*dc, *font, run, origin.x, origin.y, (options & ETO_CLIPPED) && have_rect ? &clip_rect : nullptr);
    if (update) {
        const UINT align = dc->state.text_align;
        if (!(align & TA_RIGHT)) dc->state.current_position.x += run.width;  // left-aligned text moves it right
        else if ((align & TA_CENTER) != TA_CENTER) dc->state.current_position.x -= run.width;
    }
    return TRUE;
}

}  // namespace

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length) {
    if (!text && length > 0) return FALSE;
    return output(hdc, x, y, 0, nullptr, text_of(text, std::max(length, 0)), nullptr);
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* dx) {
    if (!text && length > 0) return FALSE;
    return output(hdc, x, y, options, rect, text_of(text, static_cast<int>(length)), dx);
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !size || length < 0 || (!text && length > 0)) return FALSE;
    auto font = dc_font(*dc);
    TextRun run = layout_run(*dc, *font, text_of(text, length), true);
    size->cx = run.width;
    size->cy = font->metrics().tmHeight;
    return TRUE;
}

BOOL GetTextExtentExPointA(HDC hdc, LPCSTR text, int length, int max_extent, LPINT fit, LPINT dx, LPSIZE size) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !size || length < 0 || (!text && length > 0)) return FALSE;
    auto font = dc_font(*dc);
    TextRun run = layout_run(*dc, *font, text_of(text, length), true);
    int extent = 0, fitting = 0;
    bool fits = true;
    for (size_t i = 0; i < run.chars.size(); ++i) {
        extent += run.advances[i];
        for (uint32_t b = 0; b < run.chars[i].length; ++b) {
            if (dx) dx[run.chars[i].offset + b] = extent;
        }
        if (fits && extent <= max_extent) fitting = static_cast<int>(run.chars[i].offset + run.chars[i].length);
        else fits = false;
    }
    if (fit) *fit = fitting;
    size->cx = run.width;
    size->cy = font->metrics().tmHeight;
    return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !metrics) return FALSE;
    *metrics = dc_font(*dc)->metrics();
    return TRUE;
}

int GetTextFaceA(HDC hdc, int count, LPSTR name) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !dc->state.font) return 0;
    const char* face = dc->state.font->logfont.lfFaceName;
    const int length = static_cast<int>(strnlen(face, LF_FACESIZE));
    if (!name) return length + 1;
    if (count <= 0) return 0;
    const int n = std::min(length, count - 1);
    std::memcpy(name, face, static_cast<size_t>(n));
    name[n] = '\0';
    return n;
}

BOOL GetCharWidth32A(HDC hdc, UINT first, UINT last, LPINT widths) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !widths || last < first) return FALSE;
    auto font = dc_font(*dc);
    for (UINT c = first; c <= last; ++c) {
        const uint32_t code = c < 0x100 ? cp1252_to_unicode(static_cast<uint8_t>(c)) : c;
        widths[c - first] = shown_glyph(*font, code).advance;
    }
    return TRUE;
}

UINT SetTextAlign(HDC hdc, UINT align) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return GDI_ERROR;
    const UINT previous = dc->state.text_align;
    dc->state.text_align = align;
    return previous;
}

UINT GetTextAlign(HDC hdc) {
    auto dc = dc_from_handle(hdc);
    return dc ? dc->state.text_align : GDI_ERROR;
}

BOOL SetTextJustification(HDC hdc, int extra, int count) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return FALSE;
    dc->state.break_extra = count > 0 ? extra : 0;
    dc->state.break_count = count > 0 && extra != 0 ? count : 0;
    return TRUE;
}

int SetTextCharacterExtra(HDC hdc, int extra) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return static_cast<int>(0x80000000u);
    const int previous = dc->state.char_extra;
    dc->state.char_extra = extra;
    return previous;
}

int GetTextCharacterExtra(HDC hdc) {
    auto dc = dc_from_handle(hdc);
    return dc ? dc->state.char_extra : static_cast<int>(0x80000000u);
}
