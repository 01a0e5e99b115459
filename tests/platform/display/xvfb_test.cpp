// The host display on a real X server: a window shown through SDL2 on Xvfb
// must show exactly the pixels that the headless display renders for it.
#include <gtest/gtest.h>

#include "tests/platform/display/x_server.h"

namespace {

namespace fs = std::filesystem;
using xtest::Image;
using xtest::XServer;
using xtest::OnPath;
using xtest::ReadPng;
using xtest::ReadXwd;

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
    // A white root window (-wr) shows where a shaped window lets the screen
    // through (not black, as when the host ignores the shape).
    XServer server(dir);
    ASSERT_TRUE(server.Start("800x600x24", &error, {"-wr"})) << error;
    // The system's D-Bus library, loaded by SDL, keeps a buffer to the end:
    // not ours to report when the demo runs under the leak checker.
    const std::string suppressions = (dir / "lsan.supp").string();
    std::ofstream(suppressions) << "leak:libdbus-1.so\n";
    const std::string display = "LSAN_OPTIONS=suppressions=" + suppressions + " " + server.Env() + " ";
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
            if ((painted ? shown != 0x1E3CDC : shown != 0xFFFFFF) && wrong++ < 5) {
                ADD_FAILURE() << "shaped window pixel (" << x << ", " << y << "): screen " << std::hex << shown;
            }
        }
    }
    EXPECT_GT(inside, 6000);  // most of the 120 x 80 ellipse
    EXPECT_LT(inside, 120 * 80);
    EXPECT_EQ(wrong, 0);
    fs::remove_all(dir);
}

// Windows of worker threads come and go on the X server while the main
// thread's window keeps drawing: the window threads leave the host to its
// own thread (no message to a host window, which could arrive after the
// window is gone), nothing is reported as an X error, and the drawing goes
// on to its last frame, which the screen shows.
TEST(XvfbDisplay, WindowsComeAndGoWhileAnotherDraws) {
    if (!OnPath("Xvfb") || !OnPath("xwd")) {
        GTEST_SKIP() << "Xvfb or xwd is missing (scripts/setup installs xvfb and x11-apps): not running windows on X";
    }
    const fs::path dir = fs::temp_directory_path() / ("trelwin_churn_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "lsan.supp") << "leak:libdbus-1.so\n";
    std::string error;
    {
        XServer server(dir);
        ASSERT_TRUE(server.Start("800x600x24", &error, {"-br"})) << error;
        xtest::Process churn;
        const fs::path stop = dir / "stop";
        // A second and a half, and at least 20 frames and 20 windows however
        // slowly the machine runs them.
        ASSERT_TRUE(churn.Start({TRELWIN_HOST_CHURN, "1500", "3", stop.string(), "20"},
                                // The debug output names every error the X server reports.
                                {server.Env(), "TRELWIN_DEBUG_OUTPUT=1",
                                 "LSAN_OPTIONS=suppressions=" + (dir / "lsan.supp").string()},
                                dir / "out", dir / "err"));
        const bool ready = xtest::Within(30000, [&] { return churn.Said("ready"); });
        Image screen;
        const bool dumped = ready && server.Screen(screen, &error);
        std::ofstream(stop).put('x');
        const int status = churn.Wait(10000);
        const std::string said = "\n--- said:\n" + xtest::FileText(dir / "out") + "--- errors:\n" +
                                 xtest::FileText(dir / "err");
        ASSERT_TRUE(ready) << said;
        ASSERT_TRUE(dumped) << error;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << said;
        EXPECT_TRUE(churn.Said("window thread sends 0")) << said;
        const auto count = [&](const char* what) {
            const auto words = churn.Line(what);
            return words.size() == 2 ? std::stol(words[1]) : 0L;
        };
        EXPECT_GE(count("frames"), 20) << said;
        EXPECT_GE(count("windows"), 20) << said;
        for (const char* error : {"X Error", "X error: "}) {
            EXPECT_EQ(xtest::FileText(dir / "err").find(error), std::string::npos) << said;
        }
        // The last frame, green, over the whole window (40, 40, 300 x 200).
        int wrong = 0;
        for (int y = 40; y < 240; y += 10) {
            for (int x = 40; x < 340; x += 10) wrong += screen.at(x, y) != 0x0AC81E;
        }
        EXPECT_EQ(wrong, 0) << "the screen shows " << std::hex << screen.at(190, 140) << " in the window";
    }
    fs::remove_all(dir);
}
