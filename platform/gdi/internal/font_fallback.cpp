#include "platform/gdi/internal/font_fallback.h"

#include <fontconfig/fontconfig.h>

#include <atomic>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/gdi/internal/font_engine.h"

namespace trelwin::gdi {

FcPattern* match_styled_face(FcPattern* pattern, bool bold, bool italic) {
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    return match;
}

namespace {

std::atomic<uint64_t> g_missing_glyphs{0};

// What fontconfig answered, per code point and style, and the faces those
// answers name (each file once, so that fonts can share their loaded faces
// by pointer). Guarded by its own mutex, taken before fontconfig's.
struct FallbackTable {
    std::mutex mutex;
    std::unordered_map<uint64_t, const FaceFile*> by_code;
    std::map<std::pair<std::string, int>, std::unique_ptr<FaceFile>> faces;
};

FallbackTable& table() {
    // Kept until the process ends: fonts in other threads may still hold
    // its faces while static objects are destroyed.
    static auto* t = new FallbackTable;
    return *t;
}

// Asks fontconfig for the best face that has code, or none.
bool query_face(uint32_t code, bool bold, bool italic, std::string& file, int& index) {
    std::lock_guard<std::mutex> lock(fontconfig_mutex());
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* wanted = FcCharSetCreate();
    FcCharSetAddChar(wanted, code);
    FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
    FcCharSetDestroy(wanted);
    FcPattern* match = match_styled_face(pattern, bold, italic);
    if (!match) return false;
    // The best match is only the nearest one: it may still lack the
    // character when no installed face has it.
    FcCharSet* has = nullptr;
    FcChar8* path = nullptr;
    FcBool scalable = FcFalse;
    const bool ok = FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch && FcCharSetHasChar(has, code) &&
                    FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
                    (FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) != FcResultMatch || scalable);
    if (ok) {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    }
    FcPatternDestroy(match);
    return ok;
}

}  // namespace

const FaceFile* fallback_face(uint32_t code, bool bold, bool italic) {
    FallbackTable& t = table();
    const uint64_t key = (static_cast<uint64_t>(code) << 2) | (bold ? 2u : 0u) | (italic ? 1u : 0u);
    {
        std::lock_guard<std::mutex> lock(t.mutex);
        auto it = t.by_code.find(key);
        if (it != t.by_code.end()) return it->second;
    }
    std::string file;
    int index = 0;
    const bool found = query_face(code, bold, italic, file, index);
    std::lock_guard<std::mutex> lock(t.mutex);
    const FaceFile* face = nullptr;
    if (found) {
        std::unique_ptr<FaceFile>& slot = t.faces[{file, index}];
        if (!slot) slot = std::make_unique<FaceFile>(FaceFile{file, index});
        face = slot.get();
    }
    return t.by_code.emplace(key, face).first->second;
}

bool shows_missing_box(uint32_t code) { return code >= 0x20 && !(code >= 0x7F && code < 0xA0); }

void count_missing_glyphs(uint64_t count) { g_missing_glyphs.fetch_add(count, std::memory_order_relaxed); }

uint64_t missing_glyph_count() { return g_missing_glyphs.load(std::memory_order_relaxed); }

}  // namespace trelwin::gdi
