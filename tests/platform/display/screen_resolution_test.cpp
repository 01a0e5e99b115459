// Where the screen's resolution comes from: TRELWIN_DPI, then the Xft.dpi
// entry of the X resource database, then the screen's physical size, else
// 96; odd values of each.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/display/screen_resolution.h"

using trelwin::display::choose_resolution;
using trelwin::display::ResolutionSources;
using trelwin::display::ScreenResolution;

namespace {

constexpr SIZE kLaptop{2560, 1600};
constexpr SIZE kLaptopMm{338, 211};  // a 15.6" screen of 2560 x 1600: 192 dpi
constexpr SIZE kXvfbScreen{1024, 768};
constexpr SIZE kXvfbMm{260, 195};  // what Xvfb reports without -dpi: 100 dpi

TEST(ScreenResolution, TheFirstUsableSourceGivesIt) {
    struct Case {
        const char* name;
        const char* override_text;
        std::optional<std::string> resources;
        SIZE pixels, millimetres;
        int dpi;
        std::string source;
        bool complaint;
    };
    const Case cases[] = {
        {"nothing known", nullptr, std::nullopt, {}, {}, 96, "default", false},
        {"a desktop's database", nullptr, "Xcursor.size:\t24\nXft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n",
         {}, {}, 144, "Xft.dpi", false},
        {"blanks and a carriage return", nullptr, "  Xft.dpi :  120 \r\n", {}, {}, 120, "Xft.dpi", false},
        {"loose binding", nullptr, "Xft*dpi: 168", {}, {}, 168, "Xft.dpi", false},
        {"a fraction is rounded", nullptr, "Xft.dpi:\t143.6\n", {}, {}, 144, "Xft.dpi", false},
        {"the last of two counts", nullptr, "Xft.dpi: 96\nXft.dpi: 192\n", {}, {}, 192, "Xft.dpi", false},
        {"a comment is no entry", nullptr, "! Xft.dpi: 192\n", {}, {}, 96, "default", false},
        {"other names", nullptr, "Xft.dpix: 192\nMyXft.dpi: 192\nxft.dpi: 192\nXft.dpi.x: 192\n", {}, {}, 96,
         "default", false},
        {"empty value", nullptr, "Xft.dpi:\n", {}, {}, 96, "default", false},
        {"zero", nullptr, "Xft.dpi: 0\n", {}, {}, 96, "default", false},
        {"negative", nullptr, "Xft.dpi: -192\n", {}, {}, 96, "default", false},
        {"a unit after the number", nullptr, "Xft.dpi: 192dpi\n", {}, {}, 96, "default", false},
        {"two points", nullptr, "Xft.dpi: 1.9.2\n", {}, {}, 96, "default", false},
        {"below the range", nullptr, "Xft.dpi: 72\n", {}, {}, 96, "Xft.dpi", false},
        {"above the range", nullptr, "Xft.dpi: 1000\n", {}, {}, 480, "Xft.dpi", false},
        {"too many digits", nullptr, "Xft.dpi: 99999999999999999999\n", {}, {}, 96, "default", false},
        {"unusable entry leaves the size", nullptr, "Xft.dpi: high\n", kLaptop, kLaptopMm, 192, "physical size",
         false},
        {"the entry before the size", nullptr, "Xft.dpi: 120\n", kLaptop, kLaptopMm, 120, "Xft.dpi", false},
        {"physical size", nullptr, std::nullopt, kLaptop, kLaptopMm, 192, "physical size", false},
        {"a database without the entry", nullptr, "Xft.antialias: 1\n", kLaptop, kLaptopMm, 192, "physical size",
         false},
        {"rough size to the nearest quarter", nullptr, std::nullopt, kXvfbScreen, kXvfbMm, 96, "physical size",
         false},
        {"size of 150 %", nullptr, std::nullopt, {2880, 1800}, {508, 318}, 144, "physical size", false},
        {"an aspect ratio for a size", nullptr, std::nullopt, {1920, 1080}, {160, 90}, 96, "default", false},
        {"an aspect ratio in centimetres", nullptr, std::nullopt, {1920, 1200}, {16, 10}, 96, "default", false},
        {"pixels far from square", nullptr, std::nullopt, {1920, 1080}, {500, 150}, 96, "default", false},
        {"size unknown", nullptr, std::nullopt, kLaptop, {0, 0}, 96, "default", false},
        {"override first", "144", "Xft.dpi: 192\n", kLaptop, kLaptopMm, 144, "TRELWIN_DPI", false},
        {"override with a fraction", "119.6", std::nullopt, {}, {}, 120, "TRELWIN_DPI", false},
        {"empty override", "", "Xft.dpi: 192\n", {}, {}, 192, "Xft.dpi", false},
        {"override not a number", "large", "Xft.dpi: 192\n", {}, {}, 192, "Xft.dpi", true},
        {"override below the range", "50", "Xft.dpi: 192\n", {}, {}, 96, "TRELWIN_DPI", true},
        {"override above the range", "2000", std::nullopt, {}, {}, 480, "TRELWIN_DPI", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResolutionSources sources;
        sources.override_text = c.override_text;
        sources.resources = c.resources;
        sources.pixels = c.pixels;
        sources.millimetres = c.millimetres;
        const ScreenResolution chosen = choose_resolution(sources);
        EXPECT_EQ(chosen.dpi, c.dpi);
        EXPECT_EQ(chosen.source, c.source);
        EXPECT_EQ(!chosen.complaint.empty(), c.complaint) << chosen.complaint;
        if (c.complaint) {
            EXPECT_NE(chosen.complaint.find(std::string("\"") + c.override_text + "\""), std::string::npos);
            EXPECT_NE(chosen.complaint.find("using " + std::to_string(c.dpi)), std::string::npos);
        }
    }
}

}  // namespace
