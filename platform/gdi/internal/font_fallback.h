// Per-character fallback: where a font's own face has no glyph for a
// character, fontconfig names an installed face that has one. The answer is
// looked up once per code point for the whole process and kept, so that a
// name in another script costs one query per new character, as on a desktop.
// Characters that no installed face has are drawn as the face's own
// missing-glyph shape and counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

struct _FcPattern;  // fontconfig's pattern

namespace trelwin::gdi {

// A face inside a font file.
struct FaceFile {
    std::string file;
    int index = 0;
};

// The installed face nearest to the pattern with the weight and slant asked
// for, scalable; null when fontconfig has none. Takes the pattern (destroys
// it); the caller destroys the match. Under fontconfig_mutex().
_FcPattern* match_styled_face(_FcPattern* pattern, bool bold, bool italic);

// Serialises every call into fontconfig (its configuration is loaded once
// and handed back at exit under the same lock).
std::mutex& fontconfig_mutex();

// An installed scalable face that has a glyph for code, chosen with the
// weight and slant asked for; null when none has it. The pointer stays valid
// until the process ends. Safe from any thread; fontconfig must have been
// initialised (a realised font always has been).
const FaceFile* fallback_face(uint32_t code, bool bold, bool italic);

// Whether a missing glyph for code would show as a box: control characters
// draw nothing whatever the face holds.
bool shows_missing_box(uint32_t code);

// Adds glyphs handed out as the missing-glyph shape.
void count_missing_glyphs(uint64_t count);

}  // namespace trelwin::gdi
