// The headless display: composing host windows onto the virtual screen,
// presenting only what changed, saving PNG files.
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/display/display.h"
#include "platform/display/png_file.h"

using namespace trelwin::display;
using trelwin::gdi::RegionData;

namespace {

// A window-sized surface of one colour.
struct Painted {
    std::vector<uint32_t> pixels;
    trelwin::gdi::Surface surface;
    Painted(int w, int h, uint32_t colour) : pixels(static_cast<size_t>(w) * h, colour) {
        surface.width = w;
        surface.height = h;
        surface.bits = reinterpret_cast<uint8_t*>(pixels.data());
        surface.stride = w * 4;
    }
};

HostWindow Host(uintptr_t id, RECT rect) {
    HostWindow h;
    h.id = id;
    h.rect = rect;
    h.visible = true;
    return h;
}

uint32_t At(int x, int y) { return current().screen().get(x, y) & 0xFFFFFF; }

}  // namespace

TEST(HeadlessDisplay, ComposesHostsInStackingOrderAndShape) {
    use_headless(200, 100);
    EXPECT_EQ(current().screen_size().cx, 200);
    Painted red(50, 50, 0xFF0000), blue(50, 50, 0x0000FF);
    current().update_host(Host(1, RECT{10, 10, 60, 60}), &red.surface);
    current().update_host(Host(2, RECT{40, 40, 90, 90}), &blue.surface);  // a new host goes on top
    EXPECT_EQ(At(20, 20), 0xFF0000u);
    EXPECT_EQ(At(45, 45), 0x0000FFu);
    EXPECT_EQ(At(150, 50), kDesktopPixel);
    current().restack({1, 2});
    EXPECT_EQ(At(45, 45), 0xFF0000u);
    // A shaped host shows only inside its shape.
    HostWindow shaped = Host(1, RECT{10, 10, 60, 60});
    shaped.shape = RegionData::from_rect(RECT{0, 0, 10, 10});
    current().update_host(shaped);
    EXPECT_EQ(At(45, 45), 0x0000FFu);
    EXPECT_EQ(At(15, 15), 0xFF0000u);
    current().remove_host(2);
    EXPECT_EQ(At(45, 45), kDesktopPixel);
}

TEST(HeadlessDisplay, PresentsOnlyTheChangedArea) {
    use_headless(100, 100);
    Painted p(40, 40, 0x00FF00);
    current().update_host(Host(7, RECT{0, 0, 40, 40}), &p.surface);
    for (auto& px : p.pixels) px = 0x123456;
    current().present(7, p.surface, RegionData::from_rect(RECT{0, 0, 10, 10}));
    EXPECT_EQ(At(5, 5), 0x123456u);
    EXPECT_EQ(At(20, 20), 0x00FF00u);  // not presented yet
    HostWindow hidden = Host(7, RECT{0, 0, 40, 40});
    hidden.visible = false;
    current().update_host(hidden);
    EXPECT_EQ(At(5, 5), kDesktopPixel);
}

// A window's surface is being drawn on by its own thread until that thread
// presents: whatever else the screen does meanwhile (another window
// presenting over it, a window going, the stacking, the window moved or
// grown, a copy of what lies beneath another window), it shows the
// window's pixels as last presented, never the surface's current ones. A
// new size keeps the pixels that fit and starts white, unless all pixels
// are handed over.
TEST(HeadlessDisplay, ShowsOnlyWhatAWindowPresented) {
    use_headless(100, 60);
    Painted drawn(20, 20, 0x00FF00), other(20, 20, 0xFF0000);
    current().update_host(Host(1, RECT{0, 0, 20, 20}), &drawn.surface);
    current().update_host(Host(2, RECT{10, 0, 30, 20}), &other.surface);  // over the right half of 1
    for (auto& px : drawn.pixels) px = 0x0000FF;  // drawing, not presented yet
    struct Step {
        const char* name;
        std::function<void()> act;
        POINT at;  // a pixel of window 1
    };
    const Step steps[] = {
        {"restacked", [&] { current().restack({1, 2}); }, {15, 5}},
        {"the other presents", [&] { current().present(2, other.surface, RegionData::from_rect(RECT{0, 0, 20, 20})); },
         {15, 5}},
        {"the other goes", [&] { current().remove_host(2); }, {15, 5}},
        {"moved", [&] { current().update_host(Host(1, RECT{40, 0, 60, 20})); }, {45, 5}},
        {"grown", [&] { current().update_host(Host(1, RECT{40, 0, 70, 30})); }, {45, 5}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(At(step.at.x, step.at.y), 0x00FF00u);
    }
    EXPECT_EQ(At(65, 25), 0xFFFFFFu);  // grown: not painted yet
    uint32_t beneath[4] = {};
    current().update_host(Host(3, RECT{44, 4, 46, 6}));
    current().compose_beneath(3, RECT{44, 4, 46, 6}, beneath);
    EXPECT_EQ(beneath[0] & 0xFFFFFF, 0x00FF00u);
    current().remove_host(3);
    // Presented, the drawing shows; handed over whole with a new size, all of it.
    current().present(1, drawn.surface, RegionData::from_rect(RECT{0, 0, 10, 10}));
    EXPECT_EQ(At(45, 5), 0x0000FFu);
    EXPECT_EQ(At(55, 15), 0x00FF00u);
    Painted bigger(40, 40, 0xABCDEF);
    current().update_host(Host(1, RECT{40, 0, 80, 40}), &bigger.surface);
    EXPECT_EQ(At(45, 5), 0xABCDEFu);
    EXPECT_EQ(At(75, 35), 0xABCDEFu);
}

TEST(PngFile, SavesTheAreaAndRefusesNothingToSave) {
    Painted p(8, 4, 0x102030);
    p.pixels[1] = 0xFFFFFF;
    const std::string path = ::testing::TempDir() + "trelwin_display_test.png";
    std::string error;
    ASSERT_TRUE(save_png(p.surface, RECT{1, 0, 5, 4}, path, &error)) << error;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr));
    EXPECT_EQ(image.width, 4u);
    EXPECT_EQ(image.height, 4u);
    EXPECT_EQ(bytes[0], 0xFF);  // (1, 0) is white
    EXPECT_EQ(bytes[3], 0x10);
    EXPECT_EQ(bytes[4], 0x20);
    std::remove(path.c_str());
    EXPECT_FALSE(save_png(p.surface, RECT{10, 10, 20, 20}, path, &error));
    EXPECT_NE(error.find("empty"), std::string::npos);
}
