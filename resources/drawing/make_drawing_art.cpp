// Build tool: draws the pictures of the drawing objects and writes them as
// the files the resources embed, the same on every build.
//
//   make_drawing_art <output folder>
//
// writes gauge_empty.bmp (136) and gauge_full.bmp (137), the progress
// gauge's two pictures, 729 x 20 at 24 bits, with one frame, so that the
// full gauge cut off anywhere meets the empty one seamlessly; and the five
// cursors of map editing, 32 x 32 with alpha, hot spot in the middle:
// size_nwse.cur (30983), size_nesw.cur (30984), size_ns.cur (30985),
// size_we.cur (30986) and move.cur (30987).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const int GAUGE_WIDTH = 729;
const int GAUGE_HEIGHT = 20;
const int CURSOR_SIZE = 32;

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

// The frame both gauge pictures share: a grey line round the picture with
// a lighter line inside its bottom edge. Returns false inside the frame.
bool GaugeFrame(int x, int y, Rgb* colour) {
    if (x == 0 || y == 0 || x == GAUGE_WIDTH - 1 || y == GAUGE_HEIGHT - 1) {
        *colour = {112, 118, 128};
        return true;
    }
    return false;
}

Rgb EmptyGauge(int x, int y) {
    Rgb c;
    if (GaugeFrame(x, y, &c)) return c;
    // A shallow trough, darker under its top edge, with faint marks at
    // every tenth.
    Rgb trough = Blend({226, 229, 234}, {248, 249, 251}, (y - 1) / double(GAUGE_HEIGHT - 3));
    if (y == 1) trough = {206, 210, 217};
    const double tenth = (GAUGE_WIDTH - 1) / 10.0;
    const double fromMark = std::fabs(x - std::round(x / tenth) * tenth);
    if (fromMark < 0.5 && x > 1 && x < GAUGE_WIDTH - 2 && y >= 13) trough = Blend(trough, {170, 176, 186}, 0.6);
    return trough;
}

Rgb FullGauge(int x, int y) {
    Rgb c;
    if (GaugeFrame(x, y, &c)) return c;
    // Green, light at the top with a soft shine, deeper towards the bottom,
    // crossed by faint slanted bands.
    const double t = (y - 1) / double(GAUGE_HEIGHT - 3);
    Rgb bar = t < 0.45 ? Blend({150, 222, 136}, {82, 186, 74}, t / 0.45)
                       : Blend({58, 164, 56}, {34, 124, 40}, (t - 0.45) / 0.55);
    if (((x + y) / 9) % 2 == 0) bar = Blend(bar, {255, 255, 255}, 0.07);
    if (y == 1) bar = Blend(bar, {255, 255, 255}, 0.35);
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

// A cursor file of one 32-bit image: white shape, black outline, clear
// elsewhere; the AND mask is set where the image is clear.
bool SaveCursor(const std::string& path, const Shape& shape) {
    const int n = CURSOR_SIZE;
    const double centre = n / 2.0;
    auto inside = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < n && y < n && shape(x + 0.5 - centre, y + 0.5 - centre);
    };
    std::vector<uint32_t> pixels(static_cast<size_t>(n * n), 0);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) edge = edge || inside(x + dx, y + dy);
            pixels[static_cast<size_t>(y * n + x)] = inside(x, y) ? 0xFFFFFFFF : edge ? 0xFF000000 : 0;
        }
    }
    const int maskStride = 4;
    const uint32_t imageSize = static_cast<uint32_t>(40 + n * n * 4 + maskStride * n);
    Writer w;
    w.Le(0, 2);
    w.Le(2, 2);  // a cursor
    w.Le(1, 2);
    w.Bytes({static_cast<uint8_t>(n), static_cast<uint8_t>(n), 0, 0});
    w.Le(static_cast<uint32_t>(n / 2), 2);  // hot spot x
    w.Le(static_cast<uint32_t>(n / 2), 2);  // hot spot y
    w.Le(imageSize, 4);
    w.Le(6 + 16, 4);
    InfoHeader(w, n, 2 * n, 32, static_cast<uint32_t>(n * n * 4));
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; ++x) w.Le(pixels[static_cast<size_t>(y * n + x)], 4);
    for (int y = n - 1; y >= 0; --y) {
        uint32_t bits = 0;
        for (int x = 0; x < n; ++x)
            if ((pixels[static_cast<size_t>(y * n + x)] >> 24) == 0) bits |= 0x80000000u >> x;
        w.Bytes({static_cast<uint8_t>(bits >> 24), static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 8),
                 static_cast<uint8_t>(bits)});
    }
    return w.Save(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_drawing_art OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const double pi = std::acos(-1.0);
    const Shape vertical = Along(pi / 2, 12);
    const Shape horizontal = Along(0, 12);
    const Shape cross = [](double x, double y) { return DoubleArrow(x, y, 12) || DoubleArrow(y, x, 12); };
    const bool ok = SaveBitmap(dir + "gauge_empty.bmp", GAUGE_WIDTH, GAUGE_HEIGHT, EmptyGauge) &&
                    SaveBitmap(dir + "gauge_full.bmp", GAUGE_WIDTH, GAUGE_HEIGHT, FullGauge) &&
                    SaveCursor(dir + "size_nwse.cur", Along(pi / 4, 12)) &&
                    SaveCursor(dir + "size_nesw.cur", Along(-pi / 4, 12)) &&
                    SaveCursor(dir + "size_ns.cur", vertical) && SaveCursor(dir + "size_we.cur", horizontal) &&
                    SaveCursor(dir + "move.cur", cross);
    if (!ok) {
        std::fprintf(stderr, "make_drawing_art: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
