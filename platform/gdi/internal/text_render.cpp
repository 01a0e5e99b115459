#include "platform/gdi/internal/text_render.h"

#include <algorithm>

#include "platform/gdi/internal/control_glyph.h"
#include "platform/gdi/internal/raster.h"

namespace trelwin::gdi {

std::shared_ptr<const RealFont> dc_font(DeviceContext& dc) {
    if (dc.realised_font && dc.realised_for == dc.state.font) return dc.realised_font;
    LOGFONTA lf{};
    if (dc.state.font) lf = dc.state.font->logfont;
    dc.realised_for = dc.state.font;
    dc.realised_font = realise_font(lf);
    return dc.realised_font;
}

TextRun layout_run(DeviceContext& dc, const RealFont& font, std::string_view text, bool justify) {
    TextRun run;
    run.chars = decode_text(text);
    run.advances.reserve(run.chars.size());
    std::vector<uint32_t> codes(run.chars.size());
    for (size_t i = 0; i < run.chars.size(); ++i) codes[i] = run.chars[i].code;
    run.glyphs.resize(run.chars.size());
    font.glyphs(codes.data(), codes.size(), run.glyphs.data());
    for (size_t i = 0; i < codes.size(); ++i) {
        if (is_shown_control(codes[i])) run.glyphs[i] = &control_glyph(codes[i], font.metrics().tmAscent);
    }
    const int breaks = dc.state.break_count;
    const int extra = dc.state.break_extra;
    const uint32_t break_char = font.metrics().tmBreakChar;
    int seen_breaks = 0;
    for (size_t i = 0; i < run.chars.size(); ++i) {
        const DecodedChar& c = run.chars[i];
        const Glyph& g = *run.glyphs[i];
        int advance = g.advance + dc.state.char_extra;
        if (justify && breaks > 0 && c.code == break_char) {
            // The first (extra mod breaks) spaces take one pixel more.
            advance += extra / breaks + (seen_breaks < extra % breaks ? 1 : 0);
            ++seen_breaks;
        }
        run.advances.push_back(advance);
        run.width += advance;
    }
    return run;
}

namespace {

// Calls f(y, x0, x1) for the pieces of a span inside the DC clip and the
// optional extra rectangle.
template <typename F>
void clipped(DeviceContext& dc, const RECT* clip, int y, int x0, int x1, F&& f) {
    if (clip) {
        if (y < clip->top || y >= clip->bottom) return;
        x0 = std::max<int>(x0, clip->left);
        x1 = std::min<int>(x1, clip->right);
    }
    for_each_clipped(dc, y, x0, x1, f);
}

void fill(DeviceContext& dc, const RECT* clip, const RECT& r, Pixel colour) {
    Surface* s = dc.surface();
    std::vector<Pixel> row;
    for (int y = r.top; y < r.bottom; ++y) {
        clipped(dc, clip, y, r.left, r.right, [&](int yy, int a, int b) {
            row.assign(static_cast<size_t>(b - a), colour & kRgbMask);
            s->write(yy, a, b - a, row.data());
        });
    }
}

}  // namespace

void draw_run(DeviceContext& dc, const RealFont& font, const TextRun& run, int x, int top, const RECT* clip) {
    Surface* s = dc.surface();
    if (!s) return;
    const TEXTMETRICA& tm = font.metrics();
    if (dc.state.bk_mode == OPAQUE && run.width > 0) {
        fill(dc, clip, RECT{x, top, x + run.width, top + tm.tmHeight}, colorref_to_pixel(dc.state.bk_colour));
    }
    const Pixel colour = colorref_to_pixel(dc.state.text_colour);
    const int baseline = top + tm.tmAscent;
    int pen = x;
    for (size_t i = 0; i < run.glyphs.size(); ++i) {
        const Glyph& g = *run.glyphs[i];
        const int gx = pen + g.left, gy = baseline - g.top;
        for (int j = 0; j < g.height; ++j) {
            const uint8_t* coverage = &g.coverage[static_cast<size_t>(j) * g.width];
            int x0 = gx, x1 = gx + g.width;
            if (clip) {
                if (gy + j < clip->top || gy + j >= clip->bottom) continue;
                x0 = std::max<int>(x0, clip->left);
                x1 = std::min<int>(x1, clip->right);
            }
            if (x1 <= x0) continue;
            modify_span(dc, gy + j, x0, x1, [&](Pixel* pixels, int a, int n) {
                for (int k = 0; k < n; ++k) {
                    const uint32_t c = coverage[a + k - gx];
                    if (c == 0) continue;
                    pixels[k] = c == 255 ? colour : mix_pixel(colour, pixels[k], c);
                }
            });
        }
        pen += run.advances[i];
    }
    if (tm.tmUnderlined) draw_underline(dc, font, x, x + run.width, top, clip);
    if (tm.tmStruckOut) {
        const int y0 = baseline + font.strikeout_offset();
        fill(dc, clip, RECT{x, y0, x + run.width, y0 + font.strikeout_thickness()}, colour);
    }
}

void draw_underline(DeviceContext& dc, const RealFont& font, int x0, int x1, int top, const RECT* clip) {
    if (!dc.surface() || x1 <= x0) return;
    const int y0 = top + font.metrics().tmAscent + font.underline_offset();
    fill(dc, clip, RECT{x0, y0, x1, y0 + font.underline_thickness()}, colorref_to_pixel(dc.state.text_colour));
}

}  // namespace trelwin::gdi
