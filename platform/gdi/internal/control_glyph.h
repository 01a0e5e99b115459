// Control characters in text are shown, not passed on: each is drawn as a
// small framed box holding its code in two hexadecimal digits (ESC as "1B",
// DEL as "7F"), in place of whatever the font would make of it. Texts that
// devices send reach list cells and tips this way. Tab, line feed and
// carriage return are left to the font: the controls lay text out by them.
#pragma once

#include <cstdint>

#include "platform/gdi/internal/font_engine.h"

namespace trelwin::gdi {

// C0 controls other than tab, line feed and carriage return; DEL; C1 controls.
bool is_shown_control(uint32_t code);

// The box of a control character for a font of the given ascent: at least
// nine pixels high (more in steps for large fonts), standing on the
// baseline. The glyph lives as long as the process.
const Glyph& control_glyph(uint32_t code, int ascent);

// The glyph text drawing uses for a code point: the control box or the font's.
const Glyph& shown_glyph(const RealFont& font, uint32_t code);

}  // namespace trelwin::gdi
