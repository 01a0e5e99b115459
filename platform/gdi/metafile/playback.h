// What the two record players share: the mapping from the metafile's
// logical coordinates to the destination's pixels, the metafile's object
// table, the pen and font that are realised at the scale of the moment, the
// path being recorded, and the drawing budget.
//
// Coordinates go through three steps, as in a DC: the world transform
// (enhanced metafiles only), the page mapping (window and viewport origins
// and extents under a mapping mode) into the reference device, and the
// playback's own scale that stretches the frame over the destination. The
// player then draws in pixels through a DC left in its plain pixel
// mapping; shapes that a rotation or shear turns are drawn as polygons.
//
// Budget: each drawing call costs an estimate of the pixels it touches
// (its clipped box, times the pen's width for strokes), and a font not
// used before costs kWorkPerFont; when the total passes the budget the
// playback stops with an error. Pen widths and font heights are capped at
// the destination's size.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/metafile/record_reader.h"

namespace trelwin::gdi::metafile {

// Pixel operations a whole playback may cost, besides kWorkPerPixel for
// every pixel of the destination.
constexpr uint64_t kWorkBudget = 1ull << 28;
constexpr uint64_t kWorkPerPixel = 16;
// What a font of a size not used before in the playback costs.
constexpr uint64_t kWorkPerFont = 1ull << 20;

struct Mapping {
    XFORM world{1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    int map_mode = MM_TEXT;
    double window_org_x = 0, window_org_y = 0, window_ext_x = 1, window_ext_y = 1;
    double viewport_org_x = 0, viewport_org_y = 0, viewport_ext_x = 1, viewport_ext_y = 1;
};

// A logical pen or font as the metafile gave it; realised per scale.
struct PenSpec {
    UINT style = PS_SOLID;
    double width = 0;  // logical units; 0 is one pixel at any scale
    bool cosmetic = true;
    COLORREF colour = 0;
};

struct FontSpec {
    LOGFONTA font{};
    HFONT stock = nullptr;  // a stock font is used as it is
};

struct PathFigure {
    std::vector<POINT> points;  // device pixels
    bool closed = false;
};

class Playback {
public:
    // Everything the metafile changes in dc is undone by the destructor.
    Playback(HDC dc, const RECT& dest);
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // The reference device's pixels per millimetre (for the metric mapping
    // modes) and the scale and offset from reference pixels to dest pixels.
    void set_reference(double pixels_per_mm_x, double pixels_per_mm_y, double scale_x, double scale_y,
                       double offset_x, double offset_y);

    Mapping& mapping() { return state_.mapping; }
    HDC dc() const { return dc_; }
    bool exhausted() const { return exhausted_; }
    const char* error() const { return error_; }
    void fail(const char* text) {
        if (!error_) error_ = text;
        exhausted_ = true;
    }

    // Logical point to destination pixels.
    POINT to_device(double x, double y) const;
    // Reference-device point (regions of enhanced metafiles) to pixels.
    POINT reference_to_device(double x, double y) const;
    // Length along x (pens) and along y (fonts) of one logical unit.
    double unit_x() const;
    double unit_y() const;
    bool axis_aligned() const { return state_.mapping.world.eM12 == 0.0f && state_.mapping.world.eM21 == 0.0f; }

    // The object table: slots hold brushes as handles, pens and fonts as
    // specs; every create writes a slot, delete empties it.
    void reset_objects(size_t count);
    size_t object_count() const { return objects_.size(); }
    // WMF: the lowest free slot, or SIZE_MAX when the table is full.
    size_t free_slot() const;
    void store_pen(size_t slot, const PenSpec& pen);
    void store_brush(size_t slot, HBRUSH brush);
    void store_font(size_t slot, const FontSpec& font);
    void store_placeholder(size_t slot);
    void delete_object(size_t slot);
    void select_object(size_t slot);
    void select_stock(int index);

    // State that travels with SaveDC / RestoreDC. A negative level counts
    // back; a positive one counts the metafile's own saves from the first.
    void save();
    void restore(int level);

    // Drawing, in logical coordinates; each realises the pen, font and
    // brush first and charges the budget.
    void move_to(double x, double y);
    void line_to(double x, double y);
    void polyline(const std::vector<POINT>& logical, bool from_current);
    void polygon(const std::vector<POINT>& logical);
    void poly_polygon(const std::vector<POINT>& logical, const std::vector<int>& counts);
    void poly_polyline(const std::vector<POINT>& logical, const std::vector<int>& counts);
    void poly_bezier(const std::vector<POINT>& logical, bool from_current);
    void rectangle(double left, double top, double right, double bottom);
    void round_rect(double left, double top, double right, double bottom, double corner_w, double corner_h);
    void ellipse(double left, double top, double right, double bottom);
    // Arcs run counter-clockwise (as seen) round the ellipse of the box,
    // from where the line from its centre to (xs, ys) meets it to where the
    // line to (xe, ye) does; a chord closes them with a line, a pie through
    // the centre. arc_to draws a line to the arc's start first and ends
    // there.
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void arc(ArcKind kind, double left, double top, double right, double bottom, double xs, double ys, double xe,
             double ye);
    // A region in the reference device's pixels, filled with the brush in
    // `slot` (or the selected brush for SIZE_MAX).
    void fill_region(const std::vector<RECT>& rects, size_t slot);
    void set_pixel(double x, double y, COLORREF colour);
    void pattern_blt(double x, double y, double w, double h, DWORD rop);
    // A bitmap (owned by the caller) over a logical rectangle; the source
    // rectangle is in the bitmap's pixels, top row 0.
    void stretch_bitmap(HBITMAP bitmap, double x, double y, double w, double h, int xs, int ys, int ws, int hs,
                        DWORD rop);
    // Text bytes as the font's encoding gives them (UTF-8 or Windows-1252);
    // dx in logical units per byte, may be empty.
    void text_out(double x, double y, const std::string& text, const std::vector<double>& dx, UINT options,
                  const RECT* logical_rect);

    // Clipping in logical coordinates; region data in device pixels.
    void intersect_clip(double left, double top, double right, double bottom);
    void exclude_clip(double left, double top, double right, double bottom);
    void offset_clip(double dx, double dy);
    // Rectangles in pixels combined with the clip by mode (an empty list
    // is an empty region); null with RGN_COPY puts back the clip the
    // playback started with.
    void select_clip_rects(const std::vector<RECT>* rects, int mode);

    // Paths: while one is open the drawing calls add figures to it.
    void begin_path();
    void end_path() { path_open_ = false; }
    void abort_path();
    void close_figure();
    void fill_path(bool stroke, bool fill);
    void select_clip_path(int mode);

private:
    struct State {
        Mapping mapping;
        PenSpec pen;
        FontSpec font;
        POINT current{0, 0};  // device pixels
    };
    struct Object {
        enum class Kind { Empty, Pen, Brush, Font, Other } kind = Kind::Empty;
        PenSpec pen;
        FontSpec font;
        HBRUSH brush = nullptr;
    };

    bool charge(uint64_t cost);
    uint64_t area_cost(const RECT& box) const;
    uint64_t stroke_cost(const std::vector<POINT>& points, bool closed) const;
    void realise_pen();
    void realise_font();
    int pen_pixels() const;
    std::vector<POINT> device_points(const std::vector<POINT>& logical) const;
    std::vector<POINT> rectangle_outline(double left, double top, double right, double bottom) const;
    std::vector<POINT> ellipse_outline(double left, double top, double right, double bottom) const;
    void draw_polygons(const std::vector<POINT>& device, const std::vector<int>& counts, bool stroke, bool fill);
    void draw_polyline(const std::vector<POINT>& device);
    // Lines on from the current position through the device points (or
    // the points added to the path's figure).
    void polyline_device_to(const std::vector<POINT>& device);
    void add_figure(std::vector<POINT> device, bool closed);
    void clip_polygon(const std::vector<POINT>& device, int mode);
    // Where polygons are cut before they become regions.
    RECT region_window() const;

    HDC dc_;
    RECT dest_;
    int base_level_ = 0;
    HRGN base_clip_ = nullptr;  // null: the DC had no clip
    double ppmm_x_ = 96 / 25.4, ppmm_y_ = 96 / 25.4;
    double scale_x_ = 1, scale_y_ = 1, offset_x_ = 0, offset_y_ = 0;
    State state_;
    std::vector<State> saved_;
    std::vector<Object> objects_;
    // The pen and font realised last; the one before is deleted as soon as
    // a new one is selected (a saved DC state keeps its own reference).
    HPEN pen_ = nullptr;
    PenSpec pen_for_;
    double pen_scale_ = -1;
    HFONT font_ = nullptr;
    FontSpec font_for_;
    double font_scale_ = -1;
    std::set<std::string> fonts_seen_;  // LOGFONTs realised, as bytes
    bool path_open_ = false;
    std::vector<PathFigure> path_;
    uint64_t budget_ = 0;
    int max_size_ = 1;  // the destination's larger side: pens and fonts stop there
    bool exhausted_ = false;
    const char* error_ = nullptr;
};

}  // namespace trelwin::gdi::metafile
