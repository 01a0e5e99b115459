#include "platform/display/screen_resolution.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace trelwin::display {

namespace {

std::string_view trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// Digits with an optional fraction ("96", "143.5"); nothing else.
std::optional<double> decimal(std::string_view text) {
    text = trim(text);
    double whole = 0, scale = 1;
    bool digits = false, point = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (whole > 1e6) return std::nullopt;
            if (point) scale /= 10;
            whole = point ? whole + (c - '0') * scale : whole * 10 + (c - '0');
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return whole;
}

std::optional<int> dots(std::string_view text) {
    const std::optional<double> value = decimal(text);
    if (!value || std::lround(*value) <= 0) return std::nullopt;
    return static_cast<int>(std::lround(*value));
}

// Sizes that some screens report in place of their size: the aspect ratio,
// in centimetres or millimetres.
bool is_aspect_ratio(SIZE mm) {
    static const SIZE ratios[] = {{16, 9}, {16, 10}, {4, 3}, {160, 90}, {160, 100}, {40, 30}};
    return std::any_of(std::begin(ratios), std::end(ratios),
                       [&](SIZE r) { return r.cx == mm.cx && r.cy == mm.cy; });
}

}  // namespace

std::optional<int> dpi_from_resources(std::string_view database) {
    std::optional<int> found;
    while (!database.empty()) {
        const size_t end = database.find('\n');
        std::string_view line = trim(database.substr(0, end));
        database.remove_prefix(end == std::string_view::npos ? database.size() : end + 1);
        const size_t colon = line.find(':');
        if (line.empty() || line.front() == '!' || colon == std::string_view::npos) continue;
        const std::string_view name = trim(line.substr(0, colon));
        if (name != "Xft.dpi" && name != "Xft*dpi") continue;
        // The database keeps the last of several entries for one name.
        found = dots(line.substr(colon + 1));
    }
    return found;
}

std::optional<int> dpi_from_physical_size(SIZE pixels, SIZE millimetres) {
    if (pixels.cx <= 0 || pixels.cy <= 0 || millimetres.cx <= 0 || millimetres.cy <= 0) return std::nullopt;
    if (is_aspect_ratio(millimetres)) return std::nullopt;
    const double x = pixels.cx * 25.4 / millimetres.cx, y = pixels.cy * 25.4 / millimetres.cy;
    if (std::fabs(x - y) > 0.1 * std::max(x, y)) return std::nullopt;
    const double mean = (x + y) / 2;
    if (mean < 48 || mean > 2 * kMaximumDpi) return std::nullopt;
    constexpr int kStep = kDefaultDpi / 4;
    return static_cast<int>(std::lround(mean / kStep)) * kStep;
}

std::optional<int> dpi_from_text(std::string_view text) { return dots(text); }

ScreenResolution choose_resolution(const ResolutionSources& sources) {
    ScreenResolution chosen;
    const auto take = [&](std::optional<int> dpi, const char* source) {
        if (!dpi) return false;
        chosen.dpi = std::clamp(*dpi, kMinimumDpi, kMaximumDpi);
        chosen.source = source;
        return true;
    };
    const char* wanted = sources.override_text;
    const std::optional<int> asked = wanted && *wanted ? dpi_from_text(wanted) : std::nullopt;
    if (wanted && *wanted && (!asked || *asked < kMinimumDpi || *asked > kMaximumDpi)) {
        chosen.complaint = std::string("TRELWIN_DPI \"") + wanted + "\" is not a resolution from " +
                           std::to_string(kMinimumDpi) + " to " + std::to_string(kMaximumDpi) + " dpi";
    }
    // The first source that gives one; none: 96.
    const bool given =
        take(asked, "TRELWIN_DPI") || (sources.resources && take(dpi_from_resources(*sources.resources), "Xft.dpi"));
    if (!given) take(dpi_from_physical_size(sources.pixels, sources.millimetres), "physical size");
    if (!chosen.complaint.empty()) chosen.complaint += "; using " + std::to_string(chosen.dpi);
    return chosen;
}

}  // namespace trelwin::display
