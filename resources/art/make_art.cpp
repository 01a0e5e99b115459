// Build tool: draws the program's own artwork and writes it as the files
// the resources embed. Every picture is made here from shapes, so the
// pictures are ours and the same on every build.
//
//   make_art <output folder> <percent>...
//
// writes program.ico (128), device_unreachable.ico (996),
// device_unticked.ico (997) and device_ticked.ico (998), each with the small
// (16) and large (32) icon size of every scale given, with alpha;
// wizard_side.bmp (130, 164 x 314) and wizard_header.bmp (131, 49 x 49) for
// 100 %, and for each other scale wizard_side_<percent>.bmp and
// wizard_header_<percent>.bmp, drawn at that size (not stretched).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Colour {
    double r, g, b, a;
};

// A picture in straight (not premultiplied) RGBA, 0..1, top row first.
struct Canvas {
    int w, h;
    std::vector<Colour> px;
    Canvas(int width, int height, Colour fill) : w(width), h(height), px(static_cast<size_t>(width * height), fill) {}
    Colour& at(int x, int y) { return px[static_cast<size_t>(y * w + x)]; }
};

using Shape = std::function<bool(double x, double y)>;  // in units of the picture's width and height

// Paints colour over the canvas where the shape covers it, with 4 x 4
// samples per pixel for smooth edges.
void Paint(Canvas& c, const Shape& shape, const std::function<Colour(double x, double y)>& colour) {
    constexpr int kSamples = 4;
    for (int y = 0; y < c.h; ++y) {
        for (int x = 0; x < c.w; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    if (shape((x + (sx + 0.5) / kSamples) / c.w, (y + (sy + 0.5) / kSamples) / c.h)) ++hits;
                }
            }
            if (!hits) continue;
            const Colour src = colour((x + 0.5) / c.w, (y + 0.5) / c.h);
            const double a = src.a * hits / (kSamples * kSamples);
            Colour& dst = c.at(x, y);
            const double out = a + dst.a * (1 - a);
            if (out <= 0) continue;
            dst.r = (src.r * a + dst.r * dst.a * (1 - a)) / out;
            dst.g = (src.g * a + dst.g * dst.a * (1 - a)) / out;
            dst.b = (src.b * a + dst.b * dst.a * (1 - a)) / out;
            dst.a = out;
        }
    }
}

void Paint(Canvas& c, const Shape& shape, Colour colour) {
    Paint(c, shape, [colour](double, double) { return colour; });
}

Colour Rgb(int r, int g, int b, double a = 1) { return {r / 255.0, g / 255.0, b / 255.0, a}; }

Colour Mix(Colour p, Colour q, double t) {
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t, p.a + (q.a - p.a) * t};
}

Shape RoundRect(double l, double t, double r, double b, double radius) {
    return [=](double x, double y) {
        if (x < l || x > r || y < t || y > b) return false;
        const double cx = std::clamp(x, l + radius, r - radius), cy = std::clamp(y, t + radius, b - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

Shape Rect(double l, double t, double r, double b) { return RoundRect(l, t, r, b, 0); }

Shape Disc(double cx, double cy, double radius) {
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; };
}

Shape Ring(double cx, double cy, double radius, double width, double maxY) {
    return [=](double x, double y) {
        const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
        return y <= maxY && std::fabs(d - radius) <= width / 2;
    };
}

// A segment of the given thickness with round ends.
Shape Stroke(double x0, double y0, double x1, double y1, double width) {
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        const double px = x0 + t * dx - x, py = y0 + t * dy - y;
        return px * px + py * py <= width * width / 4;
    };
}

Shape Triangle(double ax, double ay, double bx, double by, double cx, double cy) {
    return [=](double x, double y) {
        auto side = [&](double px, double py, double qx, double qy) { return (qx - px) * (y - py) - (qy - py) * (x - px); };
        const double d1 = side(ax, ay, bx, by), d2 = side(bx, by, cx, cy), d3 = side(cx, cy, ax, ay);
        return (d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0);
    };
}

Shape Union(Shape a, Shape b) {
    return [=](double x, double y) { return a(x, y) || b(x, y); };
}

// The program's emblem: a firmware chip on a blue tile, with an arrow that
// brings the update down into it. Drawn in the square (l, t)-(l + s, t + s).
void Emblem(Canvas& c, double l, double t, double s) {
    auto X = [&](double v) { return l + v * s; };
    auto Y = [&](double v) { return t + v * s; };
    const Colour top = Rgb(0x2E, 0x86, 0xDE), bottom = Rgb(0x14, 0x3F, 0x8A);
    Paint(c, RoundRect(X(0.04), Y(0.04), X(0.96), Y(0.96), 0.18 * s),
          [&](double, double y) { return Mix(top, bottom, std::clamp((y - t) / s, 0.0, 1.0)); });
    // The chip with its pins.
    for (int i = 0; i < 4; ++i) {
        const double px = 0.30 + i * 0.13;
        Paint(c, Rect(X(px), Y(0.60), X(px + 0.06), Y(0.88)), Rgb(0xC8, 0xD6, 0xE5));
    }
    Paint(c, RoundRect(X(0.22), Y(0.64), X(0.78), Y(0.84), 0.04 * s), Rgb(0x25, 0x2B, 0x33));
    Paint(c, Disc(X(0.30), Y(0.74), 0.035 * s), Rgb(0x5D, 0xD3, 0x6B));
    // The arrow.
    const Colour white = Rgb(0xFF, 0xFF, 0xFF);
    Paint(c, Union(Rect(X(0.43), Y(0.12), X(0.57), Y(0.38)), Triangle(X(0.26), Y(0.36), X(0.74), Y(0.36), X(0.5), Y(0.58))),
          white);
}

// The tick box of a device row: empty, ticked, or crossed out when the
// device cannot be reached.
enum class Box { Unticked, Ticked, Unreachable };

void TickBox(Canvas& c, Box kind) {
    if (kind == Box::Unreachable) {
        Paint(c, Disc(0.5, 0.5, 0.44), Rgb(0xD2, 0x2B, 0x2B));
        Paint(c, RoundRect(0.22, 0.42, 0.78, 0.58, 0.04), Rgb(0xFF, 0xFF, 0xFF));
        return;
    }
    Paint(c, RoundRect(0.06, 0.06, 0.94, 0.94, 0.16), Rgb(0x6B, 0x7A, 0x8C));
    Paint(c, RoundRect(0.14, 0.14, 0.86, 0.86, 0.10), [](double, double y) {
        return Mix(Rgb(0xFF, 0xFF, 0xFF), Rgb(0xE2, 0xE8, 0xEF), y);
    });
    if (kind == Box::Ticked) {
        const Colour green = Rgb(0x1E, 0x9E, 0x3A);
        Paint(c, Union(Stroke(0.26, 0.52, 0.44, 0.70, 0.17), Stroke(0.44, 0.70, 0.76, 0.28, 0.17)), green);
    }
}

void SideBitmap(Canvas& c) {
    const Colour top = Rgb(0x10, 0x34, 0x6A), bottom = Rgb(0x2C, 0x7B, 0xC4);
    Paint(c, Rect(0, 0, 1, 1), [&](double, double y) { return Mix(top, bottom, y); });
    // Waves going out from a device near the bottom.
    const double cx = 0.5, cy = 0.78;
    for (int i = 1; i <= 4; ++i) {
        Paint(c, Ring(cx, cy, i * 0.085, 0.012, cy - 0.02), Rgb(0xFF, 0xFF, 0xFF, 0.55 - i * 0.1));
    }
    Paint(c, RoundRect(0.30, 0.74, 0.70, 0.84, 0.02), Rgb(0xEE, 0xF2, 0xF6));
    for (int i = 0; i < 3; ++i) Paint(c, Disc(0.38 + i * 0.06, 0.79, 0.012), Rgb(0x3C, 0xC8, 0x5A));
    Paint(c, Rect(0.56, 0.775, 0.66, 0.805), Rgb(0x9A, 0xA8, 0xB6));
    // The emblem above, on a square area of the picture.
    const double s = 0.56;  // of the width
    Canvas emblem(static_cast<int>(c.w * s), static_cast<int>(c.w * s), {0, 0, 0, 0});
    Emblem(emblem, 0, 0, 1);
    const int ox = (c.w - emblem.w) / 2, oy = c.h / 8;
    for (int y = 0; y < emblem.h; ++y) {
        for (int x = 0; x < emblem.w; ++x) {
            const Colour e = emblem.at(x, y);
            Colour& d = c.at(ox + x, oy + y);
            d = Mix(d, Colour{e.r, e.g, e.b, 1}, e.a);
        }
    }
}

void Put16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

std::string InfoHeader(int w, int h, int bpp, uint32_t imageSize) {
    std::string out;
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(w));
    Put32(out, static_cast<uint32_t>(h));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bpp));
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    return out;
}

// A 24-bit bitmap file, opaque, rows bottom-up.
std::string Bmp(Canvas& c) {
    const int stride = (c.w * 3 + 3) & ~3;
    std::string pixels;
    for (int y = c.h - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < c.w; ++x) {
            const Colour p = Mix(Rgb(0xFF, 0xFF, 0xFF), Colour{c.at(x, y).r, c.at(x, y).g, c.at(x, y).b, 1}, c.at(x, y).a);
            row.push_back(static_cast<char>(Byte(p.b)));
            row.push_back(static_cast<char>(Byte(p.g)));
            row.push_back(static_cast<char>(Byte(p.r)));
        }
        row.resize(static_cast<size_t>(stride), '\0');
        pixels += row;
    }
    std::string out = "BM";
    Put32(out, static_cast<uint32_t>(14 + 40 + pixels.size()));
    Put32(out, 0);
    Put32(out, 14 + 40);
    return out + InfoHeader(c.w, c.h, 24, static_cast<uint32_t>(pixels.size())) + pixels;
}

// One 32-bit icon image: the colour rows with alpha, then the mask rows
// (set where the image is fully transparent), both bottom-up.
std::string IconImage(Canvas& c) {
    std::string colour, mask;
    const int maskStride = ((c.w + 31) / 32) * 4;
    for (int y = c.h - 1; y >= 0; --y) {
        std::string maskRow(static_cast<size_t>(maskStride), '\0');
        for (int x = 0; x < c.w; ++x) {
            const Colour p = c.at(x, y);
            colour.push_back(static_cast<char>(Byte(p.b)));
            colour.push_back(static_cast<char>(Byte(p.g)));
            colour.push_back(static_cast<char>(Byte(p.r)));
            colour.push_back(static_cast<char>(Byte(p.a)));
            if (Byte(p.a) == 0) maskRow[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        }
        mask += maskRow;
    }
    return InfoHeader(c.w, c.h * 2, 32, static_cast<uint32_t>(colour.size() + mask.size())) + colour + mask;
}

std::string Ico(std::vector<Canvas>& images) {
    std::string out, body;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(images.size()));
    const size_t start = 6 + 16 * images.size();
    for (Canvas& c : images) {
        const std::string image = IconImage(c);
        out.push_back(static_cast<char>(c.w >= 256 ? 0 : c.w));
        out.push_back(static_cast<char>(c.h >= 256 ? 0 : c.h));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<uint32_t>(image.size()));
        Put32(out, static_cast<uint32_t>(start + body.size()));
        body += image;
    }
    return out + body;
}

bool Write(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    if (!file) std::fprintf(stderr, "make_art: cannot write %s\n", path.c_str());
    return static_cast<bool>(file);
}

template <class Draw>
std::string IconOf(const std::vector<int>& sizes, Draw draw) {
    std::vector<Canvas> images;
    for (int size : sizes) {
        images.emplace_back(size, size, Colour{0, 0, 0, 0});
        draw(images.back());
    }
    return Ico(images);
}

int Scaled(int pixels, int percent) { return static_cast<int>(std::lround(pixels * percent / 100.0)); }

std::string Suffix(int percent) { return percent == 100 ? "" : "_" + std::to_string(percent); }

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> scales;
    for (int i = 2; i < argc; ++i) {
        const int percent = std::atoi(argv[i]);
        if (percent < 100 || percent > 500) {
            std::fprintf(stderr, "make_art: scale '%s' is not a percentage from 100 to 500\n", argv[i]);
            return 2;
        }
        scales.push_back(percent);
    }
    if (scales.empty()) {
        std::fprintf(stderr, "usage: %s <output folder> <percent>...\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    // Every icon holds the small and the large size of each scale.
    std::vector<int> iconSizes;
    for (int percent : scales) {
        for (int base : {16, 32}) iconSizes.push_back(Scaled(base, percent));
    }
    std::sort(iconSizes.begin(), iconSizes.end());
    iconSizes.erase(std::unique(iconSizes.begin(), iconSizes.end()), iconSizes.end());
    bool ok = true;
    for (int percent : scales) {
        Canvas side(Scaled(164, percent), Scaled(314, percent), {0, 0, 0, 0});
        SideBitmap(side);
        Canvas header(Scaled(49, percent), Scaled(49, percent), {1, 1, 1, 1});
        Emblem(header, 0.04, 0.04, 0.92);
        ok = ok && Write(dir + "wizard_side" + Suffix(percent) + ".bmp", Bmp(side)) &&
             Write(dir + "wizard_header" + Suffix(percent) + ".bmp", Bmp(header));
    }
    ok = ok && Write(dir + "program.ico", IconOf(iconSizes, [](Canvas& c) { Emblem(c, 0, 0, 1); }));
    ok = ok && Write(dir + "device_unreachable.ico", IconOf(iconSizes, [](Canvas& c) { TickBox(c, Box::Unreachable); }));
    ok = ok && Write(dir + "device_unticked.ico", IconOf(iconSizes, [](Canvas& c) { TickBox(c, Box::Unticked); }));
    ok = ok && Write(dir + "device_ticked.ico", IconOf(iconSizes, [](Canvas& c) { TickBox(c, Box::Ticked); }));
    return ok ? 0 : 1;
}
