#include "platform/gdi/internal/control_glyph.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace trelwin::gdi {

namespace {

// Hexadecimal digits of 3 x 5 pixels, one row a string.
const char* const kDigits[16][5] = {
    {"###", "#.#", "#.#", "#.#", "###"}, {".#.", "##.", ".#.", ".#.", "###"}, {"###", "..#", "###", "#..", "###"},
    {"###", "..#", "###", "..#", "###"}, {"#.#", "#.#", "###", "..#", "..#"}, {"###", "#..", "###", "..#", "###"},
    {"###", "#..", "###", "#.#", "###"}, {"###", "..#", "..#", "..#", "..#"}, {"###", "#.#", "###", "#.#", "###"},
    {"###", "#.#", "###", "..#", "###"}, {"###", "#.#", "###", "#.#", "#.#"}, {"##.", "#.#", "##.", "#.#", "##."},
    {"###", "#..", "#..", "#..", "###"}, {"##.", "#.#", "#.#", "#.#", "##."}, {"###", "#..", "###", "#..", "###"},
    {"###", "#..", "###", "#..", "#.."},
};

// The box in units (one unit: scale x scale pixels): a frame, a unit of
// room, two digits a unit apart, a unit of room, the frame.
constexpr int kUnitsWide = 11;
constexpr int kUnitsHigh = 9;
constexpr int kMaxScale = 8;

void make(uint32_t code, int scale, Glyph& g) {
    std::vector<std::string> units(kUnitsHigh, std::string(kUnitsWide, '.'));
    for (int x = 0; x < kUnitsWide; ++x) units[0][x] = units[kUnitsHigh - 1][x] = '#';
    for (int y = 0; y < kUnitsHigh; ++y) units[y][0] = units[y][kUnitsWide - 1] = '#';
    const int high = static_cast<int>(code >> 4) & 0xF, low = static_cast<int>(code) & 0xF;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 3; ++x) {
            units[2 + y][2 + x] = kDigits[high][y][x];
            units[2 + y][6 + x] = kDigits[low][y][x];
        }
    }
    g.width = kUnitsWide * scale;
    g.height = kUnitsHigh * scale;
    g.left = scale;
    g.top = g.height;
    g.advance = g.width + 2 * scale;
    g.coverage.assign(static_cast<size_t>(g.width) * g.height, 0);
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            if (units[y / scale][x / scale] == '#') g.coverage[static_cast<size_t>(y) * g.width + x] = 255;
}

}  // namespace

bool is_shown_control(uint32_t code) {
    if (code < 0x20) return code != '\t' && code != '\n' && code != '\r';
    return code >= 0x7F && code <= 0x9F;
}

const Glyph& control_glyph(uint32_t code, int ascent) {
    // Ninety-seven codes at eight scales at most; never freed, so that
    // runs may keep pointers to them.
    static std::mutex mutex;
    static std::map<uint32_t, std::unique_ptr<Glyph>> glyphs;  // guarded by mutex
    const int scale = std::clamp(ascent / 10, 1, kMaxScale);
    const uint32_t key = (code & 0xFF) | static_cast<uint32_t>(scale) << 8;
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<Glyph>& glyph = glyphs[key];
    if (!glyph) {
        glyph = std::make_unique<Glyph>();
        make(code, scale, *glyph);
    }
    return *glyph;
}

const Glyph& shown_glyph(const RealFont& font, uint32_t code) {
    return is_shown_control(code) ? control_glyph(code, font.metrics().tmAscent) : font.glyph(code);
}

}  // namespace trelwin::gdi
