// Fonts realised from a LOGFONT: fontconfig picks an installed face for the
// name (the classic interface faces map to metric-compatible or close
// substitutes), FreeType renders and measures glyphs. A character that the
// face lacks is taken from another installed face that has it, at the same
// pixel size, while the line metrics stay the chosen face's. Realised fonts
// and their glyphs are cached and shared between threads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

struct Glyph {
    int advance = 0;    // pixels to the next pen position
    int left = 0;       // bitmap's left edge from the pen
    int top = 0;        // bitmap's top edge above the baseline
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;  // width * height, 0 (none) to 255 (full)
    bool missing = false;           // the face's missing-glyph shape: no installed face has the character
};

class RealFont {
public:
    virtual ~RealFont() = default;
    virtual const TEXTMETRICA& metrics() const = 0;
    // Offsets below the baseline (positive down) and line thicknesses.
    virtual int underline_offset() const = 0;
    virtual int underline_thickness() const = 0;
    virtual int strikeout_offset() const = 0;  // negative: above the baseline
    virtual int strikeout_thickness() const = 0;
    // The glyph of a code point; the reference stays valid for the font's life.
    virtual const Glyph& glyph(uint32_t code) const = 0;
    // The glyphs of several code points under one lock.
    virtual void glyphs(const uint32_t* codes, size_t count, const Glyph** out) const {
        for (size_t i = 0; i < count; ++i) out[i] = &glyph(codes[i]);
    }
    // The family fontconfig chose, for example "Liberation Sans".
    virtual const std::string& family() const = 0;
};

// Never null: when no face can be loaded at all, a font without glyphs
// (zero widths) with plausible metrics is returned.
std::shared_ptr<const RealFont> realise_font(const LOGFONTA& logfont);
// Fonts the cache holds now: at most a few hundred besides those in use.
size_t cached_font_count();

// How many glyphs have been handed out as the missing-glyph shape since the
// process started, over all fonts and threads (each lookup counts).
uint64_t missing_glyph_count();

// The installed family a face name maps to.
std::string substitute_family(const char* face_name, BYTE pitch_and_family);

}  // namespace trelwin::gdi
