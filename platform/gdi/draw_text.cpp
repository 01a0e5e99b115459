#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/internal/text_render.h"
#include "platform/gdi/text.h"

using namespace trelwin::gdi;

namespace {

const char kEllipsis[] = "...";

struct Line {
    std::string text;
    std::vector<size_t> underlined;  // byte offsets of prefixed characters
};

// Paragraph text with '&' prefixes taken out.
struct Paragraph {
    std::string text;
    std::vector<size_t> underlined;
};

Paragraph strip_prefixes(const std::string& raw, bool process) {
    Paragraph p;
    if (!process) {
        p.text = raw;
        return p;
    }
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '&') {
            if (i + 1 < raw.size() && raw[i + 1] == '&') {
                p.text += '&';
                ++i;
            } else if (i + 1 < raw.size()) {
                p.underlined.push_back(p.text.size());
            }
            continue;
        }
        p.text += raw[i];
    }
    return p;
}

class Measure {
public:
    Measure(DeviceContext& dc, const RealFont& font, bool tabs)
        : dc_(dc), font_(font), tabs_(tabs), tab_width_(std::max<int>(1, font.metrics().tmAveCharWidth * 8)) {}

    // Width of a line, with tabs expanded from the line's start.
    int width(std::string_view text) const {
        int x = 0;
        for_each_segment(text, [&](std::string_view segment, int at) { x = at + run(segment).width; });
        return x;
    }
    int tab_width() const { return tab_width_; }
    TextRun run(std::string_view text) const { return layout_run(dc_, font_, text, false); }

    // f(segment, x offset) for the pieces between tabs.
    template <typename F>
    void for_each_segment(std::string_view text, F&& f) const {
        int x = 0;
        size_t start = 0;
        while (true) {
            const size_t tab = tabs_ ? text.find('\t', start) : std::string_view::npos;
            const std::string_view segment = text.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
            f(segment, x);
            if (tab == std::string_view::npos) break;
            x += run(segment).width;
            x = (x / tab_width_ + 1) * tab_width_;
            start = tab + 1;
        }
    }

private:
    DeviceContext& dc_;
    const RealFont& font_;
    bool tabs_;
    int tab_width_;
};

// Longest prefix (whole characters) of text whose width plus `reserve` fits.
size_t fitting_prefix(const Measure& m, std::string_view text, int limit) {
    TextRun run = m.run(text);
    int x = 0;
    size_t bytes = 0;
    for (size_t i = 0; i < run.chars.size(); ++i) {
        if (x + run.advances[i] > limit) break;
        x += run.advances[i];
        bytes = run.chars[i].offset + run.chars[i].length;
    }
    return bytes;
}

std::string end_ellipsis(const Measure& m, const std::string& text, int limit) {
    const int dots = m.width(kEllipsis);
    return text.substr(0, fitting_prefix(m, text, limit - dots)) + kEllipsis;
}

// Keeps the last path component and removes what does not fit before it.
std::string path_ellipsis(const Measure& m, const std::string& text, int limit, bool also_end) {
    const size_t separator = text.find_last_of("\\/");
    if (separator == std::string::npos) {
        // No path: the ellipsis takes the place of the beginning, so the end stays.
        const int dots = m.width(kEllipsis);
        TextRun run = m.run(text);
        int x = 0;
        size_t keep = text.size();
        for (size_t i = run.chars.size(); i-- > 0;) {
            if (x + run.advances[i] + dots > limit) break;
            x += run.advances[i];
            keep = run.chars[i].offset;
        }
        return kEllipsis + text.substr(keep);
    }
    const std::string tail = text.substr(separator);
    const int fixed = m.width(std::string(kEllipsis) + tail);
    if (fixed > limit) {
        const std::string shortest = kEllipsis + tail;
        return also_end ? end_ellipsis(m, shortest, limit) : shortest;
    }
    const std::string head = text.substr(0, separator);
    return head.substr(0, fitting_prefix(m, head, limit - fixed)) + kEllipsis + tail;
}

// Greedy word wrap: breaks at spaces; a word wider than the limit keeps a
// line of its own.
std::vector<Line> wrap(const Measure& m, const Paragraph& p, int limit) {
    std::vector<Line> lines;
    const std::string& t = p.text;
    size_t line_start = 0;
    while (true) {
        size_t end = line_start;  // end of the accepted text of this line
        size_t scan = line_start;
        bool have_word = false;
        while (scan < t.size()) {
            size_t word_end = t.find(' ', scan);
            if (word_end == std::string::npos) word_end = t.size();
            const bool fits = m.width(std::string_view(t).substr(line_start, word_end - line_start)) <= limit;
            if (!fits && have_word) break;
            end = word_end;
            have_word = true;
            scan = word_end;
            while (scan < t.size() && t[scan] == ' ') ++scan;
            if (!fits) break;
        }
        Line line;
        line.text = t.substr(line_start, end - line_start);
        for (size_t u : p.underlined) {
            if (u >= line_start && u < end) line.underlined.push_back(u - line_start);
        }
        lines.push_back(std::move(line));
        if (scan >= t.size()) break;
        line_start = scan;
    }
    return lines;
}

}  // namespace

int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !rect || (!text && length != 0)) return 0;
    if (!text) text = "";
    const size_t size = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
    const std::string source(text, size);
    auto font = dc_font(*dc);
    const TEXTMETRICA& tm = font->metrics();
    const int line_height = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    const int limit = rect->right - rect->left;
    const Measure measure(*dc, *font, (format & DT_EXPANDTABS) != 0);
    const bool single = (format & DT_SINGLELINE) != 0;

    // Paragraphs at line breaks (CR LF, LF or CR); a single line drops them.
    std::vector<std::string> paragraphs;
    if (single) {
        std::string joined;
        for (char c : source) {
            if (c != '\r' && c != '\n') joined += c;
        }
        paragraphs.push_back(joined);
    } else {
        std::string current;
        for (size_t i = 0; i < source.size(); ++i) {
            if (source[i] == '\r' || source[i] == '\n') {
                paragraphs.push_back(current);
                current.clear();
                if (source[i] == '\r' && i + 1 < source.size() && source[i + 1] == '\n') ++i;
            } else {
                current += source[i];
            }
        }
        paragraphs.push_back(current);
    }

    std::vector<Line> lines;
    const bool prefixes = !(format & DT_NOPREFIX);
    for (const std::string& raw : paragraphs) {
        Paragraph p = strip_prefixes(raw, prefixes);
        if ((format & DT_WORDBREAK) && !single) {
            for (Line& l : wrap(measure, p, limit)) lines.push_back(std::move(l));
        } else {
            lines.push_back(Line{p.text, p.underlined});
        }
    }

    const bool ellipsis = format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS);
    std::vector<int> widths;
    bool modified = false;
    for (Line& line : lines) {
        int w = measure.width(line.text);
        if (ellipsis && w > limit) {
            if (format & DT_PATH_ELLIPSIS) {
                line.text = path_ellipsis(measure, line.text, limit, (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) != 0);
            } else {
                line.text = end_ellipsis(measure, line.text, limit);
            }
            line.underlined.erase(std::remove_if(line.underlined.begin(), line.underlined.end(),
                                                 [&](size_t u) { return u + 3 >= line.text.size(); }),
                                  line.underlined.end());
            w = measure.width(line.text);
            modified = true;
        }
        widths.push_back(w);
    }
    if (modified && (format & DT_MODIFYSTRING) && lines.size() == 1 && length != 0) {
        // The caller's buffer must have room, as the flag demands.
        std::memcpy(const_cast<char*>(text), lines[0].text.c_str(), lines[0].text.size() + 1);
    }

    const int total = line_height * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        const int widest = widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end());
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }

    int y = rect->top;
    if (single && (format & DT_VCENTER)) y = rect->top + (rect->bottom - rect->top - line_height) / 2;
    else if (single && (format & DT_BOTTOM)) y = rect->bottom - line_height;

    const POINT a = dc->to_surface(rect->left, rect->top), b = dc->to_surface(rect->right, rect->bottom);
    const RECT clip{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    const RECT* clip_ptr = (format & DT_NOCLIP) ? nullptr : &clip;
    const POINT origin = dc->to_surface(0, 0);
    for (size_t i = 0; i < lines.size(); ++i) {
        int x = rect->left;
        if (format & DT_CENTER) x = rect->left + (limit - widths[i]) / 2;
        else if (format & DT_RIGHT) x = rect->right - widths[i];
        const int top = y + static_cast<int>(i) * line_height + origin.y;
        const int left = x + origin.x;
        if (!(format & DT_PREFIXONLY)) {
            measure.for_each_segment(lines[i].text, [&](std::string_view segment, int at) {
                draw_run(*dc, *font, measure.run(segment), left + at, top, clip_ptr);
            });
        }
        if (!(format & DT_HIDEPREFIX)) {
            for (size_t u : lines[i].underlined) {
                const int x0 = measure.width(std::string_view(lines[i].text).substr(0, u));
                TextRun one = measure.run(std::string_view(lines[i].text).substr(u));
                const int w = one.advances.empty() ? 0 : one.advances[0];
                draw_underline(*dc, *font, left + x0, left + x0 + w, top, clip_ptr);
            }
        }
    }
    if (single && (format & (DT_VCENTER | DT_BOTTOM))) return y + total - rect->top;
    return total;
}
