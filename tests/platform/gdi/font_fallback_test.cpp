// Characters that the chosen face lacks come from another installed face, at
// the chosen font's pixel size and in its line; only characters that no
// installed face has show the missing-glyph box, and the font engine counts
// those.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "canvas.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/font_engine.h"
#include "platform/gdi/internal/text_decode.h"

using namespace gdi_test;

namespace {

HFONT MakeFont(const char* face, int height, int weight = FW_NORMAL) {
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

// The pixels of one character drawn alone at the canvas's top left.
std::vector<uint32_t> Drawn(int height, const std::string& character) {
    Canvas c(48, 32);
    Selected f(c.dc(), MakeFont("MS Sans Serif", height));
    SetBkMode(c.dc(), TRANSPARENT);
    TextOut(c.dc(), 4, 2, character.data(), static_cast<int>(character.size()));
    return std::vector<uint32_t>(c.bits(), c.bits() + 48 * 32);
}

// Rows 0..31 that hold ink.
int InkHeight(const std::vector<uint32_t>& pixels) {
    int top = 32, bottom = -1;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 48; ++x) {
            if ((pixels[static_cast<size_t>(y) * 48 + x] & 0xFFFFFF) != 0xFFFFFF) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return bottom < top ? 0 : bottom - top + 1;
}

std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> out;
    for (const trelwin::gdi::DecodedChar& c : trelwin::gdi::decode_text(text)) {
        if (c.code != ' ') out.push_back(text.substr(c.offset, c.length));
    }
    return out;
}

}  // namespace

TEST(FontFallback, NamesInEveryScriptDrawAtTheFontsSizeWithoutBoxes) {
    struct Case {
        const char* script;
        const char* name;
        bool wide;  // ideographs, kana and Hangul take a full em each
    };
    const Case cases[] = {
        {"Chinese", "编码器 北京", true},
        {"Japanese", "エンコーダ ひらがな", true},
        {"Korean", "인코더 서울", true},
        {"Cyrillic", "Кодер Москва", false},
        {"Greek", "Κωδικοποιητής", false},
    };
    const int ppem = 16;
    Canvas line(400, 30);
    Selected selected(line.dc(), MakeFont("MS Sans Serif", -ppem));
    TEXTMETRIC tm{};
    GetTextMetrics(line.dc(), &tm);
    // A code point that no face has: the face's missing-glyph box.
    const std::vector<uint32_t> box = Drawn(-ppem, "\xCD\xB8");  // U+0378, unassigned
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const uint64_t before = trelwin::gdi::missing_glyph_count();
        TextOut(line.dc(), 2, 2, c.name, static_cast<int>(std::strlen(c.name)));
        EXPECT_EQ(trelwin::gdi::missing_glyph_count(), before);
        SIZE size{};
        GetTextExtentPoint32(line.dc(), c.name, static_cast<int>(std::strlen(c.name)), &size);
        EXPECT_EQ(size.cy, tm.tmHeight) << "the line keeps the chosen face's height";
        for (const std::string& ch : Characters(c.name)) {
            SCOPED_TRACE(ch);
            const std::vector<uint32_t> pixels = Drawn(-ppem, ch);
            EXPECT_NE(pixels, box);
            EXPECT_GT(InkHeight(pixels), 0);
            EXPECT_LE(InkHeight(pixels), tm.tmHeight);
            if (c.wide) {
                GetTextExtentPoint32(line.dc(), ch.data(), static_cast<int>(ch.size()), &size);
                EXPECT_GE(size.cx, ppem * 4 / 5);
                EXPECT_LE(size.cx, ppem * 6 / 5);
            }
        }
    }
    // The box itself counts, every time it is drawn.
    const uint64_t before = trelwin::gdi::missing_glyph_count();
    TextOut(line.dc(), 2, 2, "a\xCD\xB8z\xCD\xB8", 6);
    EXPECT_EQ(trelwin::gdi::missing_glyph_count(), before + 2);
}

// Threads that meet the same new characters at once, each pair with a font
// of its own size, draw them alike and without boxes.
TEST(FontFallback, ThreadsFallBackToTheSameGlyphs) {
    const char* names[] = {"设备 一号", "デバイス", "장치 둘", "Устройство", "Συσκευή"};
    const uint64_t before = trelwin::gdi::missing_glyph_count();
    constexpr int kThreads = 6;
    std::vector<std::vector<uint32_t>> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &names, &results] {
            Canvas c(300, 5 * 24);
            Selected f(c.dc(), MakeFont("Verdana", -(13 + t / 2), t % 2 ? FW_BOLD : FW_NORMAL));
            for (int i = 0; i < 5; ++i) TextOut(c.dc(), 2, i * 24, names[i], static_cast<int>(std::strlen(names[i])));
            results[t].assign(c.bits(), c.bits() + 300 * 5 * 24);
        });
    }
    for (std::thread& th : threads) th.join();
    EXPECT_EQ(trelwin::gdi::missing_glyph_count(), before);
    for (int size = 0; size < kThreads / 2; ++size) {
        Canvas alone(300, 5 * 24);
        Selected f(alone.dc(), MakeFont("Verdana", -(13 + size), FW_NORMAL));
        for (int i = 0; i < 5; ++i) TextOut(alone.dc(), 2, i * 24, names[i], static_cast<int>(std::strlen(names[i])));
        EXPECT_EQ(results[static_cast<size_t>(size) * 2], std::vector<uint32_t>(alone.bits(), alone.bits() + 300 * 5 * 24))
            << "size " << 13 + size;
    }
}

// A text or picture that asks for a thousand sizes leaves the font cache at
// a few hundred fonts, while the font a DC holds stays the one it realised.
TEST(FontCache, FontsNoDcHoldsAreLetGoBeyondAFewHundred) {
    LOGFONTA held{};
    held.lfHeight = -13;
    std::strncpy(held.lfFaceName, "Arial", LF_FACESIZE - 1);
    const std::shared_ptr<const trelwin::gdi::RealFont> kept = trelwin::gdi::realise_font(held);
    for (int size = 1; size <= 1000; ++size) {
        LOGFONTA lf{};
        lf.lfHeight = -size;
        lf.lfWeight = size % 2 ? FW_BOLD : FW_NORMAL;
        std::strncpy(lf.lfFaceName, "Verdana", LF_FACESIZE - 1);
        trelwin::gdi::realise_font(lf);
    }
    EXPECT_LE(trelwin::gdi::cached_font_count(), 300u);
    EXPECT_EQ(trelwin::gdi::realise_font(held), kept);
}
