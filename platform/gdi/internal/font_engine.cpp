#include "platform/gdi/internal/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/gdi/internal/font_fallback.h"

namespace trelwin::gdi {

std::mutex& fontconfig_mutex() {
    static std::mutex m;
    return m;
}

namespace {

struct FamilyMapping {
    const char* face;
    const char* family;
};

// The interface faces of the classic desktop and what stands in for them:
// Liberation Sans and Mono share Arial's and Courier New's metrics; Verdana
// and Tahoma have no metric twin, DejaVu Sans is the nearest in shapes and
// widths.
const FamilyMapping kMappings[] = {
    {"MS Sans Serif", "Liberation Sans"}, {"MS Shell Dlg", "Liberation Sans"}, {"MS Shell Dlg 2", "Liberation Sans"},
    {"Microsoft Sans Serif", "Liberation Sans"}, {"Arial", "Liberation Sans"}, {"Helvetica", "Liberation Sans"},
    {"System", "Liberation Sans"}, {"Segoe UI", "Liberation Sans"}, {"Tahoma", "DejaVu Sans"},
    {"Verdana", "DejaVu Sans"}, {"Courier", "Liberation Mono"}, {"Courier New", "Liberation Mono"},
    {"Fixedsys", "Liberation Mono"}, {"Terminal", "Liberation Mono"}, {"Lucida Console", "Liberation Mono"},
    {"Consolas", "Liberation Mono"}, {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"},
    {"MS Serif", "Liberation Serif"}, {"Georgia", "Liberation Serif"},
};

struct Match {
    std::string file;
    int index = 0;
    std::string family;
    bool bold = false;
    bool italic = false;
};

bool find_face(const std::string& family, bool bold, bool italic, Match& out) {
    std::lock_guard<std::mutex> lock(fontconfig_mutex());
    // The library's configuration lives until the process ends; handing it
    // back then keeps leak checkers quiet.
    static bool initialised = [] {
        if (FcInit() != FcTrue) return false;
        std::atexit([] {
            std::lock_guard<std::mutex> exit_lock(fontconfig_mutex());
            FcFini();
        });
        return true;
    }();
    if (!initialised) return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPattern* match = match_styled_face(pattern, bold, italic);
    if (!match) return false;
    FcChar8* file = nullptr;
    FcChar8* name = nullptr;
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    if (ok) {
        out.file = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &out.index) != FcResultMatch) out.index = 0;
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) out.family = reinterpret_cast<const char*>(name);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        out.bold = weight >= FC_WEIGHT_DEMIBOLD;
        out.italic = slant != FC_SLANT_ROMAN;
    }
    FcPatternDestroy(match);
    return ok;
}

int scale_round(long value, int ppem, int units) {
    return static_cast<int>(std::lround(static_cast<double>(value) * ppem / units));
}

class FreeTypeFont : public RealFont {
public:
    ~FreeTypeFont() override {
        for (const Fallback& f : fallbacks_) {
            if (f.face) FT_Done_Face(f.face);
        }
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }

    bool load(const LOGFONTA& lf) {
        const bool want_bold = lf.lfWeight >= FW_SEMIBOLD_VALUE;
        const bool want_italic = lf.lfItalic != 0;
        const std::string family = substitute_family(lf.lfFaceName, lf.lfPitchAndFamily);
        Match match;
        if (!find_face(family, want_bold, want_italic, match)) return false;
        if (strcasecmp(match.family.c_str(), family.c_str()) != 0) {
            // A face that is not installed takes the default face of its
            // pitch and family, not whatever fontconfig likes best.
            const std::string fallback = substitute_family("", lf.lfPitchAndFamily);
            Match second;
            if (find_face(fallback, want_bold, want_italic, second)) match = second;
        }
        if (FT_Init_FreeType(&library_) != 0) return false;
        if (FT_New_Face(library_, match.file.c_str(), match.index, &face_) != 0) {
            face_ = nullptr;
            return false;
        }
        if (!FT_IS_SCALABLE(face_)) return false;
        family_ = match.family;
        want_bold_ = want_bold;
        want_italic_ = want_italic;
        embolden_ = want_bold && !match.bold;
        slant_ = want_italic && !match.italic;
        mono_ = lf.lfQuality == NONANTIALIASED_QUALITY_VALUE;

        const int units = face_->units_per_EM;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
        long ascent = face_->ascender, descent = -face_->descender;
        if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
        }
        // A positive height is the cell (ascent + descent), a negative one the
        // character (em) height.
        if (lf.lfHeight < 0) {
            ppem_ = -lf.lfHeight;
        } else {
            const int cell = lf.lfHeight == 0 ? 16 : lf.lfHeight;
            ppem_ = std::max(1, static_cast<int>(std::lround(static_cast<double>(cell) * units / (ascent + descent))));
        }
        if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(ppem_)) != 0) return false;

        TEXTMETRICA& tm = metrics_;
        tm.tmAscent = scale_round(ascent, ppem_, units);
        tm.tmDescent = scale_round(descent, ppem_, units);
        tm.tmHeight = tm.tmAscent + tm.tmDescent;
        tm.tmInternalLeading = std::max(0, static_cast<int>(tm.tmHeight) - ppem_);
        const long line = face_->ascender - face_->descender + (face_->height - (face_->ascender - face_->descender));
        tm.tmExternalLeading = std::max(0, scale_round(line - (ascent + descent), ppem_, units));
        tm.tmAveCharWidth = os2 && os2->xAvgCharWidth > 0 ? scale_round(os2->xAvgCharWidth, ppem_, units)
                                                           : glyph('x').advance;
        tm.tmMaxCharWidth = scale_round(face_->max_advance_width, ppem_, units);
        tm.tmWeight = lf.lfWeight ? lf.lfWeight : 400;
        tm.tmOverhang = 0;
        tm.tmDigitizedAspectX = 96;
        tm.tmDigitizedAspectY = 96;
        tm.tmFirstChar = 0x20;
        tm.tmLastChar = 0xFF;
        tm.tmDefaultChar = 0x1F;
        tm.tmBreakChar = 0x20;
        tm.tmItalic = lf.lfItalic ? 1 : 0;
        tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
        tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
        // The low bit set means a variable pitch; 2 vector, 4 TrueType outlines.
        const bool fixed = FT_IS_FIXED_WIDTH(face_);
        const BYTE family_bits = fixed ? 0x30 : (family_.find("Serif") != std::string::npos &&
                                                 family_.find("Sans") == std::string::npos) ? 0x10 : 0x20;
        tm.tmPitchAndFamily = static_cast<BYTE>((fixed ? 0 : 1) | 2 | 4 | family_bits);
        tm.tmCharSet = 0;

        underline_thickness_ = std::max(1, scale_round(face_->underline_thickness, ppem_, units));
        underline_offset_ = std::max(1, scale_round(-face_->underline_position, ppem_, units));
        if (underline_offset_ + underline_thickness_ > tm.tmDescent) {
            underline_offset_ = std::max(0, static_cast<int>(tm.tmDescent) - underline_thickness_);
        }
        if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
            strikeout_thickness_ = std::max(1, scale_round(os2->yStrikeoutSize, ppem_, units));
            strikeout_offset_ = -scale_round(os2->yStrikeoutPosition, ppem_, units);
        } else {
            strikeout_thickness_ = underline_thickness_;
            strikeout_offset_ = -static_cast<int>(tm.tmAscent) / 3;
        }
        return true;
    }

    const TEXTMETRICA& metrics() const override { return metrics_; }
    int underline_offset() const override { return underline_offset_; }
    int underline_thickness() const override { return underline_thickness_; }
    int strikeout_offset() const override { return strikeout_offset_; }
    int strikeout_thickness() const override { return strikeout_thickness_; }
    const std::string& family() const override { return family_; }

    const Glyph& glyph(uint32_t code) const override {
        std::lock_guard<std::mutex> lock(mutex_);
        const Glyph& g = locked_glyph(code);
        if (g.missing) count_missing_glyphs(1);
        return g;
    }

    void glyphs(const uint32_t* codes, size_t count, const Glyph** out) const override {
        std::lock_guard<std::mutex> lock(mutex_);
        uint64_t missing = 0;
        for (size_t i = 0; i < count; ++i) {
            out[i] = &locked_glyph(codes[i]);
            missing += out[i]->missing ? 1 : 0;
        }
        if (missing) count_missing_glyphs(missing);
    }

    static constexpr LONG FW_SEMIBOLD_VALUE = 600;
    static constexpr BYTE NONANTIALIASED_QUALITY_VALUE = 3;

private:
    const Glyph& locked_glyph(uint32_t code) const {
        if (code < 256) {
            if (!latin_[code]) latin_[code] = &cached_glyph(code);
            return *latin_[code];
        }
        return cached_glyph(code);
    }

    const Glyph& cached_glyph(uint32_t code) const {
        auto it = glyphs_.find(code);
        if (it != glyphs_.end()) return *it->second;
        auto glyph = std::make_unique<Glyph>();
        render(code, *glyph);
        return *glyphs_.emplace(code, std::move(glyph)).first->second;
    }

    // A face of this font's library, at this font's pixel size, that has a
    // glyph for code; null when no installed face has one. Under mutex_.
    FT_Face fallback_for(uint32_t code) const {
        const FaceFile* file = fallback_face(code, want_bold_, want_italic_);
        if (!file) return nullptr;
        for (const Fallback& f : fallbacks_) {
            if (f.file == file) return f.face;
        }
        FT_Face face = nullptr;
        if (FT_New_Face(library_, file->file.c_str(), file->index, &face) != 0 || !FT_IS_SCALABLE(face) ||
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem_)) != 0) {
            if (face) FT_Done_Face(face);
            face = nullptr;  // remembered as unusable, so it is not opened again
        }
        fallbacks_.push_back({file, face});
        return face;
    }

    void render(uint32_t code, Glyph& g) const {
        if (!face_) return;
        FT_Face face = face_;
        FT_UInt index = FT_Get_Char_Index(face_, code);
        bool embolden = embolden_, slant = slant_;
        if (index == 0 && shows_missing_box(code)) {
            FT_Face other = fallback_for(code);
            const FT_UInt other_index = other ? FT_Get_Char_Index(other, code) : 0;
            if (other_index != 0) {
                // The fallback face's own style decides what must be made up.
                face = other;
                index = other_index;
                embolden = want_bold_ && !(other->style_flags & FT_STYLE_FLAG_BOLD);
                slant = want_italic_ && !(other->style_flags & FT_STYLE_FLAG_ITALIC);
            } else {
                g.missing = true;
            }
        }
        const FT_Int32 flags = FT_LOAD_DEFAULT | (mono_ ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
        if (FT_Load_Glyph(face, index, flags) != 0) return;
        FT_GlyphSlot slot = face->glyph;
        int extra = 0;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (embolden) {
                FT_Outline_Embolden(&slot->outline, std::max<FT_Pos>(64, ppem_ * 64 / 20));
                extra = 1;
            }
            if (slant) {
                FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};
                FT_Outline_Transform(&slot->outline, &shear);
            }
        }
        if (FT_Render_Glyph(slot, mono_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return;
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6) + extra;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = static_cast<int>(slot->bitmap.width);
        g.height = static_cast<int>(slot->bitmap.rows);
        g.coverage.assign(static_cast<size_t>(g.width) * g.height, 0);
        for (int y = 0; y < g.height; ++y) {
            const unsigned char* row = slot->bitmap.buffer + y * slot->bitmap.pitch;
            for (int x = 0; x < g.width; ++x) {
                uint8_t value;
                if (slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                    value = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                } else {
                    value = row[x];
                }
                g.coverage[static_cast<size_t>(y) * g.width + x] = value;
            }
        }
    }

    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    std::string family_;
    bool want_bold_ = false;
    bool want_italic_ = false;
    bool embolden_ = false;
    bool slant_ = false;
    bool mono_ = false;
    int ppem_ = 16;
    TEXTMETRICA metrics_{};
    int underline_offset_ = 1;
    int underline_thickness_ = 1;
    int strikeout_offset_ = -4;
    int strikeout_thickness_ = 1;
    struct Fallback {
        const FaceFile* file;
        FT_Face face;  // null when the file would not load
    };
    mutable std::mutex mutex_;  // guards the glyph caches and the fallback faces (FreeType faces are not shared)
    mutable std::unordered_map<uint32_t, std::unique_ptr<Glyph>> glyphs_;
    mutable std::vector<Fallback> fallbacks_;
    mutable const Glyph* latin_[256] = {};
};

// Used when no face loads: fixed metrics, no ink.
class EmptyFont : public RealFont {
public:
    explicit EmptyFont(const LOGFONTA& lf) {
        const int height = lf.lfHeight < 0 ? -lf.lfHeight * 5 / 4 : (lf.lfHeight ? lf.lfHeight : 16);
        metrics_.tmHeight = height;
        metrics_.tmAscent = height * 4 / 5;
        metrics_.tmDescent = height - metrics_.tmAscent;
        metrics_.tmAveCharWidth = height / 2;
        metrics_.tmMaxCharWidth = height;
        metrics_.tmWeight = lf.lfWeight ? lf.lfWeight : 400;
        metrics_.tmBreakChar = 0x20;
        metrics_.tmLastChar = 0xFF;
        metrics_.tmFirstChar = 0x20;
    }
    const TEXTMETRICA& metrics() const override { return metrics_; }
    int underline_offset() const override { return 1; }
    int underline_thickness() const override { return 1; }
    int strikeout_offset() const override { return -static_cast<int>(metrics_.tmAscent) / 3; }
    int strikeout_thickness() const override { return 1; }
    const Glyph& glyph(uint32_t) const override { return empty_; }
    const std::string& family() const override { return family_; }

private:
    TEXTMETRICA metrics_{};
    Glyph empty_;
    std::string family_;
};

std::string cache_key(const LOGFONTA& lf) {
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, lf.lfFaceName, LF_FACESIZE);
    std::string key = face;
    for (char& c : key) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    key += '|' + std::to_string(lf.lfHeight) + '|' + std::to_string(lf.lfWeight >= 600) + '|' +
           std::to_string(lf.lfWeight) + '|' + std::to_string(lf.lfItalic != 0) + '|' +
           std::to_string(lf.lfUnderline != 0) + '|' + std::to_string(lf.lfStrikeOut != 0) + '|' +
           std::to_string(lf.lfQuality) + '|' + std::to_string(lf.lfPitchAndFamily);
    return key;
}

}  // namespace

std::string substitute_family(const char* face_name, BYTE pitch_and_family) {
    char face[LF_FACESIZE + 1] = {};
    if (face_name) std::strncpy(face, face_name, LF_FACESIZE);
    for (const FamilyMapping& m : kMappings) {
        if (strcasecmp(face, m.face) == 0) return m.family;
    }
    if (face[0] != '\0') return face;
    // No name: choose by the requested pitch and family.
    if ((pitch_and_family & 0x03) == 1 || (pitch_and_family & 0xF0) == 0x30) return "Liberation Mono";
    if ((pitch_and_family & 0xF0) == 0x10) return "Liberation Serif";
    return "Liberation Sans";
}

namespace {

// Fonts that no device context holds any more are let go once the cache
// holds this many: a picture or a text may ask for any number of faces and
// sizes, each costing its face and glyphs, and the program itself uses a few.
constexpr size_t kCachedFonts = 256;

std::mutex& cache_mutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

// Guarded by cache_mutex().
std::map<std::string, std::shared_ptr<const RealFont>>& font_cache() {
    static auto* cache = new std::map<std::string, std::shared_ptr<const RealFont>>;
    return *cache;
}

}  // namespace

size_t cached_font_count() {
    std::lock_guard<std::mutex> lock(cache_mutex());
    return font_cache().size();
}

std::shared_ptr<const RealFont> realise_font(const LOGFONTA& logfont) {
    auto* cache = &font_cache();
    const std::string key = cache_key(logfont);
    {
        std::lock_guard<std::mutex> lock(cache_mutex());
        auto it = cache->find(key);
        if (it != cache->end()) return it->second;
    }
    std::shared_ptr<const RealFont> font;
    auto loaded = std::make_shared<FreeTypeFont>();
    if (loaded->load(logfont)) {
        font = loaded;
    } else {
        font = std::make_shared<EmptyFont>(logfont);
    }
    std::lock_guard<std::mutex> lock(cache_mutex());
    if (cache->size() >= kCachedFonts) {
        std::erase_if(*cache, [](const auto& entry) { return entry.second.use_count() == 1; });
    }
    return cache->emplace(key, font).first->second;
}

}  // namespace trelwin::gdi
