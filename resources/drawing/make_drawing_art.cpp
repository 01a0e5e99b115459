// Build tool: draws the pictures of the drawing objects and writes them as
// the files the resources embed, the same on every build.
//
//   make_drawing_art <output folder> <percent>...
//
// writes gauge_empty.bmp (136) and gauge_full.bmp (137), the progress
// gauge's two pictures, 729 x 20 at 24 bits, with one frame, so that the
// full gauge cut off anywhere meets the empty one seamlessly, and for each
// other scale gauge_empty_<percent>.bmp and gauge_full_<percent>.bmp drawn
// at that size; and the five cursors of map editing, with alpha, hot spot
// in the middle, each with a 32 x 32 image scaled by every scale given:
// size_nwse.cur (30983), size_nesw.cur (30984), size_ns.cur (30985),
// size_we.cur (30986) and move.cur (30987).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

const int GAUGE_WIDTH = 729;
const int GAUGE_HEIGHT = 20;
const int CURSOR_SIZE = 32;

int Scaled(int pixels, int percent) { return static_cast<int>(std::lround(pixels * percent / 100.0)); }

// A gauge picture's size and the scale its details are drawn at.
struct Gauge {
    int width, height;
    double k;  // pixels of this picture for one of the 100 % picture
    explicit Gauge(int percent)
        : width(Scaled(GAUGE_WIDTH, percent)), height(Scaled(GAUGE_HEIGHT, percent)), k(percent / 100.0) {}
    int Line() const { return std::max(1, static_cast<int>(std::lround(k))); }
};

struct Rgb {
    double r, g, b;
};

Rgb Blend(Rgb p, Rgb q, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t};
}

uint8_t Channel(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

class Writer {
public:
    void Le(uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) data.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void Bytes(std::initializer_list<uint8_t> bytes) { data.insert(data.end(), bytes); }
    bool Save(const std::string& path) const {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const bool ok = file != nullptr && std::fwrite(data.data(), 1, data.size(), file) == data.size();
        return file != nullptr && std::fclose(file) == 0 && ok;
    }
    std::vector<uint8_t> data;
};

// The info header of a picture of `rows` rows (cursor images count their
// mask rows too).
void InfoHeader(Writer& w, int width, int rows, int bits, uint32_t imageSize) {
    w.Le(40, 4);
    w.Le(static_cast<uint32_t>(width), 4);
    w.Le(static_cast<uint32_t>(rows), 4);
    w.Le(1, 2);
    w.Le(static_cast<uint32_t>(bits), 2);
    w.Le(0, 4);
    w.Le(imageSize, 4);
    w.Le(2835, 4);
    w.Le(2835, 4);
    w.Le(0, 4);
    w.Le(0, 4);
}

// A 24-bit bitmap file of the picture's colours, rows bottom-up.
bool SaveBitmap(const std::string& path, int width, int height, const std::function<Rgb(int x, int y)>& pixel) {
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(stride * height);
    Writer w;
    w.Bytes({'B', 'M'});
    w.Le(14 + 40 + imageSize, 4);
    w.Le(0, 4);
    w.Le(14 + 40, 4);
    InfoHeader(w, width, height, 24, imageSize);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = pixel(x, y);
            w.Bytes({Channel(c.b), Channel(c.g), Channel(c.r)});
        }
        for (int pad = width * 3; pad < stride; ++pad) w.Bytes({0});
    }
    return w.Save(path);
}

// The frame both gauge pictures share: a grey line round the picture.
// Returns false inside the frame.
bool GaugeFrame(const Gauge& g, int x, int y, Rgb* colour) {
    const int line = g.Line();
    if (x < line || y < line || x >= g.width - line || y >= g.height - line) {
        *colour = {112, 118, 128};
        return true;
    }
    return false;
}

// Where y lies between the frame's top and bottom lines, 0 to 1.
double Depth(const Gauge& g, int y) { return (y - g.Line()) / double(g.height - 2 * g.Line() - 1); }

Rgb EmptyGauge(const Gauge& g, int x, int y) {
    Rgb c;
    if (GaugeFrame(g, x, y, &c)) return c;
    // A shallow trough, darker under its top edge, with faint marks at
    // every tenth.
    Rgb trough = Blend({226, 229, 234}, {248, 249, 251}, Depth(g, y));
    if (y < 2 * g.Line()) trough = {206, 210, 217};
    // In pixels of the 100 % picture, so that the marks are where it has them.
    const double u = (x + 0.5) / g.k - 0.5, v = (y + 0.5) / g.k - 0.5;
    const double tenth = (GAUGE_WIDTH - 1) / 10.0;
    const double fromMark = std::fabs(u - std::round(u / tenth) * tenth);
    if (fromMark < 0.5 && u > 1 && u < GAUGE_WIDTH - 2 && v >= 13) {
        trough = Blend(trough, {170, 176, 186}, 0.6);
    }
    return trough;
}

Rgb FullGauge(const Gauge& g, int x, int y) {
    Rgb c;
    if (GaugeFrame(g, x, y, &c)) return c;
    // Green, light at the top with a soft shine, deeper towards the bottom,
    // crossed by faint slanted bands.
    const double t = Depth(g, y);
    Rgb bar = t < 0.45 ? Blend({150, 222, 136}, {82, 186, 74}, t / 0.45)
                       : Blend({58, 164, 56}, {34, 124, 40}, (t - 0.45) / 0.55);
    if (static_cast<int>((x + y) / (9 * g.k)) % 2 == 0) bar = Blend(bar, {255, 255, 255}, 0.07);
    if (y < 2 * g.Line()) bar = Blend(bar, {255, 255, 255}, 0.35);
    return bar;
}

// Cursor shapes in coordinates centred on the hot spot, in pixels.
using Shape = std::function<bool(double u, double v)>;

// A double arrow along u: a shaft and a head at each end.
bool DoubleArrow(double u, double v, double reach) {
    const double au = std::fabs(u), av = std::fabs(v);
    const double headStart = reach - 6;
    if (au <= headStart) return av <= 1.6;
    return au <= reach && av <= (reach - au) + 0.6;
}

Shape Along(double angle, double reach) {
    const double cu = std::cos(angle), su = std::sin(angle);
    return [=](double x, double y) { return DoubleArrow(x * cu + y * su, -x * su + y * cu, reach); };
}

// One 32-bit cursor image of n x n pixels, the shape scaled from 32: white
// shape, black outline, clear elsewhere; the AND mask is set where the
// image is clear.
std::vector<uint8_t> CursorImage(const Shape& shape, int n) {
    const double centre = n / 2.0, k = n / double(CURSOR_SIZE);
    const int outline = std::max(1, static_cast<int>(std::lround(k)));
    auto inside = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < n && y < n && shape((x + 0.5 - centre) / k, (y + 0.5 - centre) / k);
    };
    std::vector<uint32_t> pixels(static_cast<size_t>(n * n), 0);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            bool edge = false;
            for (int dy = -outline; dy <= outline; ++dy)
                for (int dx = -outline; dx <= outline; ++dx) edge = edge || inside(x + dx, y + dy);
            pixels[static_cast<size_t>(y * n + x)] = inside(x, y) ? 0xFFFFFFFF : edge ? 0xFF000000 : 0;
        }
    }
    const int maskStride = (n + 31) / 32 * 4;
    Writer w;
    InfoHeader(w, n, 2 * n, 32, static_cast<uint32_t>(n * n * 4));
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; ++x) w.Le(pixels[static_cast<size_t>(y * n + x)], 4);
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(static_cast<size_t>(maskStride), 0);
        for (int x = 0; x < n; ++x)
            if ((pixels[static_cast<size_t>(y * n + x)] >> 24) == 0) row[static_cast<size_t>(x / 8)] |= 0x80 >> (x % 8);
        w.data.insert(w.data.end(), row.begin(), row.end());
    }
    return w.data;
}

// A cursor file with one image of each size, hot spot in the middle.
bool SaveCursor(const std::string& path, const Shape& shape, const std::vector<int>& sizes) {
    Writer w;
    w.Le(0, 2);
    w.Le(2, 2);  // a cursor
    w.Le(static_cast<uint32_t>(sizes.size()), 2);
    std::vector<std::vector<uint8_t>> images;
    uint32_t offset = static_cast<uint32_t>(6 + 16 * sizes.size());
    for (int n : sizes) {
        images.push_back(CursorImage(shape, n));
        w.Bytes({static_cast<uint8_t>(n), static_cast<uint8_t>(n), 0, 0});
        w.Le(static_cast<uint32_t>(n / 2), 2);  // hot spot x
        w.Le(static_cast<uint32_t>(n / 2), 2);  // hot spot y
        w.Le(static_cast<uint32_t>(images.back().size()), 4);
        w.Le(offset, 4);
        offset += static_cast<uint32_t>(images.back().size());
    }
    for (const auto& image : images) w.data.insert(w.data.end(), image.begin(), image.end());
    return w.Save(path);
}

std::string Suffix(int percent) { return percent == 100 ? "" : "_" + std::to_string(percent); }

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> scales;
    for (int i = 2; i < argc; ++i) {
        const int percent = std::atoi(argv[i]);
        if (percent < 100 || percent > 500) {
            std::fprintf(stderr, "make_drawing_art: scale '%s' is not a percentage from 100 to 500\n", argv[i]);
            return 2;
        }
        scales.push_back(percent);
    }
    if (scales.empty()) {
        std::fprintf(stderr, "usage: make_drawing_art OUTPUT_FOLDER PERCENT...\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    bool ok = true;
    std::vector<int> cursorSizes;
    for (int percent : scales) {
        const Gauge gauge(percent);
        ok = ok &&
             SaveBitmap(dir + "gauge_empty" + Suffix(percent) + ".bmp", gauge.width, gauge.height,
                        [&](int x, int y) { return EmptyGauge(gauge, x, y); }) &&
             SaveBitmap(dir + "gauge_full" + Suffix(percent) + ".bmp", gauge.width, gauge.height,
                        [&](int x, int y) { return FullGauge(gauge, x, y); });
        cursorSizes.push_back(Scaled(CURSOR_SIZE, percent));
    }
    const double pi = std::acos(-1.0);
    const Shape cross = [](double x, double y) { return DoubleArrow(x, y, 12) || DoubleArrow(y, x, 12); };
    ok = ok && SaveCursor(dir + "size_nwse.cur", Along(pi / 4, 12), cursorSizes) &&
         SaveCursor(dir + "size_nesw.cur", Along(-pi / 4, 12), cursorSizes) &&
         SaveCursor(dir + "size_ns.cur", Along(pi / 2, 12), cursorSizes) &&
         SaveCursor(dir + "size_we.cur", Along(0, 12), cursorSizes) && SaveCursor(dir + "move.cur", cross, cursorSizes);
    if (!ok) {
        std::fprintf(stderr, "make_drawing_art: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
