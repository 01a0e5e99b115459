// Measuring and drawing runs of text in a DC's font, shared by TextOut,
// ExtTextOut and DrawText.
#pragma once

#include <string_view>
#include <vector>

#include "platform/gdi/internal/dc_state.h"
#include "platform/gdi/internal/font_engine.h"
#include "platform/gdi/internal/text_decode.h"

namespace trelwin::gdi {

struct TextRun {
    std::vector<DecodedChar> chars;
    std::vector<const Glyph*> glyphs;
    std::vector<int> advances;  // per character: glyph advance, character extra, justification
    int width = 0;
};

std::shared_ptr<const RealFont> dc_font(DeviceContext& dc);
// With justify, the DC's break extra is spread over the spaces.
TextRun layout_run(DeviceContext& dc, const RealFont& font, std::string_view text, bool justify);

// Draws a run with its cell's top-left at (x, top) in surface coordinates.
// clip (surface coordinates) narrows the DC's clip when not null. The
// background cell is painted when the DC's mode is OPAQUE.
void draw_run(DeviceContext& dc, const RealFont& font, const TextRun& run, int x, int top, const RECT* clip);
// Underline of a run part [x0, x1) at the cell whose top is `top`.
void draw_underline(DeviceContext& dc, const RealFont& font, int x0, int x1, int top, const RECT* clip);

}  // namespace trelwin::gdi
