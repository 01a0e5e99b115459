// The host display on a real X server: a window shown through SDL2 on Xvfb
// must show exactly the pixels that the headless display renders for it.
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = list.find(':', start);
        const std::string dir = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB
    uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

bool ReadPng(const std::string& path, Image& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return false;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.resize(static_cast<size_t>(out.width) * out.height);
    for (size_t i = 0; i < out.rgb.size(); ++i) {
        out.rgb[i] = (uint32_t(bytes[i * 3]) << 16) | (uint32_t(bytes[i * 3 + 1]) << 8) | bytes[i * 3 + 2];
    }
    return true;
}

uint32_t Big(const std::vector<unsigned char>& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

int Shift(uint32_t mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

// A screen dump of xwd: a big-endian header, a colour map, then the pixels
// (24 or 32 bits each, in the byte order the header names).
bool ReadXwd(const std::string& path, Image& out, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (b.size() < 100) {
        *error = "screen dump too short";
        return false;
    }
    const uint32_t headerSize = Big(b, 0), width = Big(b, 16), height = Big(b, 20), byteOrder = Big(b, 28);
    const uint32_t bitsPerPixel = Big(b, 44), bytesPerLine = Big(b, 48);
    const uint32_t red = Big(b, 56), green = Big(b, 60), blue = Big(b, 64), colours = Big(b, 76);
    if (bitsPerPixel != 32 && bitsPerPixel != 24) {
        *error = "screen dump has " + std::to_string(bitsPerPixel) + " bits per pixel";
        return false;
    }
    const size_t data = headerSize + static_cast<size_t>(colours) * 12;
    if (data + static_cast<size_t>(bytesPerLine) * height > b.size()) {
        *error = "screen dump truncated";
        return false;
    }
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.rgb.resize(static_cast<size_t>(width) * height);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const size_t bytes = bitsPerPixel / 8;
            const unsigned char* p = &b[data + y * bytesPerLine + x * bytes];
            uint32_t v = 0;
            for (size_t i = 0; i < bytes; ++i) {
                v |= uint32_t(p[i]) << (8 * (byteOrder == 0 ? i : bytes - 1 - i));
            }
            const uint32_t r = (v & red) >> Shift(red), g = (v & green) >> Shift(green), bl = (v & blue) >> Shift(blue);
            out.rgb[static_cast<size_t>(y) * width + x] = (r << 16) | (g << 8) | bl;
        }
    }
    return true;
}

// prefix + number + suffix, built without the concatenation GCC warns about.
std::string Numbered(const char* prefix, int n, const char* suffix = "") {
    std::string out(prefix);
    out.append(std::to_string(n));
    out.append(suffix);
    return out;
}

struct Xvfb {
    pid_t pid = -1;
    int number = -1;
    ~Xvfb() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }
    bool Start(std::string* error) {
        for (int n = 91; n < 140; ++n) {
            if (fs::exists(Numbered("/tmp/.X11-unix/X", n)) || fs::exists(Numbered("/tmp/.X", n, "-lock"))) {
                continue;
            }
            const std::string display = Numbered(":", n);
            // A black root window (-br) shows where a shaped window lets the screen through.
            const char* args[] = {"Xvfb", display.c_str(), "-screen", "0", "800x600x24", "-br", "-nolisten", "tcp", nullptr};
            if (posix_spawnp(&pid, "Xvfb", nullptr, nullptr, const_cast<char**>(args), environ) != 0) {
                *error = "cannot start Xvfb";
                return false;
            }
            number = n;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!fs::exists(Numbered("/tmp/.X11-unix/X", n))) {
                if (std::chrono::steady_clock::now() > deadline) {
                    *error = "Xvfb did not come up on " + display;
                    return false;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            return true;
        }
        *error = "no free X display number";
        return false;
    }
};

}  // namespace

TEST(XvfbDisplay, AHostWindowShowsTheHeadlessPixels) {
    if (!OnPath("Xvfb") || !OnPath("xwd")) {
        GTEST_SKIP() << "Xvfb or xwd is missing (scripts/setup installs xvfb and x11-apps): skipping the comparison "
                        "of the SDL2 display with the headless one";
    }
    const fs::path dir = fs::temp_directory_path() / ("trelwin_xvfb_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string demo = TRELWIN_WINDOW_DEMO;
    const std::string headlessPng = (dir / "headless.png").string();
    const std::string shapedPng = (dir / "shaped.png").string();
    ASSERT_EQ(std::system((demo + " --headless --png " + headlessPng + " --shaped-png " + shapedPng).c_str()), 0);

    std::string error;
    Xvfb server;
    ASSERT_TRUE(server.Start(&error)) << error;
    // The system's D-Bus library, loaded by SDL, keeps a buffer to the end:
    // not ours to report when the demo runs under the leak checker.
    const std::string suppressions = (dir / "lsan.supp").string();
    std::ofstream(suppressions) << "leak:libdbus-1.so\n";
    const std::string display = "LSAN_OPTIONS=suppressions=" + suppressions + " DISPLAY=:" + std::to_string(server.number) + " ";
    const std::string stop = (dir / "stop").string();
    FILE* shown = popen((display + demo + " --png " + (dir / "sdl.png").string() + " --until " + stop).c_str(), "r");
    ASSERT_NE(shown, nullptr);
    char line[64] = {};
    const bool ready = std::fgets(line, sizeof(line), shown) != nullptr && std::string(line) == "ready\n";
    // The X server draws asynchronously; give it a moment to catch up.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::string shot = (dir / "screen.xwd").string();
    const int dumped = std::system((display + "xwd -root -silent -out " + shot).c_str());
    // A click on the close box goes from the X server through SDL to the
    // window, which closes; without xdotool the demo is told to stop.
    bool closedByClick = false;
    if (OnPath("xdotool") && ready &&
        std::system((display + "xdotool mousemove 407 92 click 1").c_str()) == 0) {
        char word[64] = {};
        closedByClick = std::fgets(word, sizeof(word), shown) != nullptr && std::string(word) == "closed\n";
    }
    std::ofstream(stop).put('x');
    pclose(shown);
    ASSERT_TRUE(ready) << "the demo did not show its window through SDL2";
    ASSERT_EQ(dumped, 0);
    if (OnPath("xdotool")) {
        EXPECT_TRUE(closedByClick) << "a click on the close box did not close the window";
    }

    Image headless, screen;
    ASSERT_TRUE(ReadPng(headlessPng, headless));
    ASSERT_TRUE(ReadXwd(shot, screen, &error)) << error;
    ASSERT_EQ(headless.width, 320);
    ASSERT_EQ(headless.height, 240);
    int different = 0;
    for (int y = 0; y < headless.height; ++y) {
        for (int x = 0; x < headless.width; ++x) {
            if (screen.at(100 + x, 80 + y) != headless.at(x, y) && different++ < 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): screen " << std::hex << screen.at(100 + x, 80 + y)
                              << ", headless " << headless.at(x, y);
            }
        }
    }
    EXPECT_EQ(different, 0);

    // The shaped popup: its colour inside the ellipse, the screen outside.
    Image shaped;
    ASSERT_TRUE(ReadPng(shapedPng, shaped));
    int inside = 0, wrong = 0;
    for (int y = 0; y < shaped.height; ++y) {
        for (int x = 0; x < shaped.width; ++x) {
            const bool painted = shaped.at(x, y) == 0x1E3CDC;
            inside += painted;
            const uint32_t shown = screen.at(500 + x, 100 + y);
            if ((painted ? shown != 0x1E3CDC : shown != 0) && wrong++ < 5) {
                ADD_FAILURE() << "shaped window pixel (" << x << ", " << y << "): screen " << std::hex << shown;
            }
        }
    }
    EXPECT_GT(inside, 6000);  // most of the 120 x 80 ellipse
    EXPECT_LT(inside, 120 * 80);
    EXPECT_EQ(wrong, 0);
    fs::remove_all(dir);
}
