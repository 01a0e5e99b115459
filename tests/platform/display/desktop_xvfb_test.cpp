// The test wizard on a real X server, as a person uses it, with a window
// manager (openbox) and without one: typed into as soon as it shows, moved
// by its caption, minimised and brought back, closed from the desktop; and
// ended cleanly when the server goes away or a signal comes. Driven with
// xdotool and the window manager's own requests; skipped with a message
// where a tool is missing. Screenshots of each run stay in the build tree.
#include <algorithm>

#include <gtest/gtest.h>

#include "tests/platform/display/x_server.h"

// After the test framework, whose names the X headers' macros would take.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using xtest::Process;
using xtest::Within;
using xtest::XServer;
namespace fs = std::filesystem;

constexpr const char* kTitle = "Trelwin test wizard";

// One short connection per question, so that none is open when the server
// is killed.
class XConnection {
public:
    explicit XConnection(const std::string& display) : d_(XOpenDisplay(display.c_str())) {}
    ~XConnection() {
        if (d_) XCloseDisplay(d_);
    }
    ::Display* get() const { return d_; }
    Atom atom(const char* name) const { return XInternAtom(d_, name, False); }

private:
    ::Display* d_;
};

bool ManagerRuns(const std::string& display) {
    XConnection x(display);
    if (!x.get()) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(x.get(), DefaultRootWindow(x.get()), x.atom("_NET_SUPPORTING_WM_CHECK"), 0, 1,
                                          False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
                       count == 1;
    if (data) XFree(data);
    return found;
}

// "Iconic", "Normal", or "none" when no manager gave the window a state.
std::string WmState(const std::string& display, Window w) {
    XConnection x(display);
    const Atom state = x.atom("WM_STATE");
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out = "none";
    if (XGetWindowProperty(x.get(), w, state, 0, 2, False, state, &type, &format, &count, &after, &data) == Success &&
        data && count >= 1) {
        const long value = reinterpret_cast<long*>(data)[0];
        out = value == IconicState ? "Iconic" : value == NormalState ? "Normal" : "Withdrawn";
    }
    if (data) XFree(data);
    return out;
}

bool Viewable(const std::string& display, Window w) {
    XConnection x(display);
    XWindowAttributes a{};
    return XGetWindowAttributes(x.get(), w, &a) && a.map_state == IsViewable;
}

// The close request as a desktop makes it: through the window manager
// (which asks the window), or straight to the window where there is none.
void AskToClose(const std::string& display, Window w, bool throughManager) {
    XConnection x(display);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.format = 32;
    e.xclient.window = w;
    if (throughManager) {
        e.xclient.message_type = x.atom("_NET_CLOSE_WINDOW");
        e.xclient.data.l[1] = 2;  // from a pager or task bar
        XSendEvent(x.get(), DefaultRootWindow(x.get()), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    } else {
        e.xclient.message_type = x.atom("WM_PROTOCOLS");
        e.xclient.data.l[0] = static_cast<long>(x.atom("WM_DELETE_WINDOW"));
        XSendEvent(x.get(), w, False, NoEventMask, &e);
    }
    XSync(x.get(), False);
}

struct Place {
    int x = 0;
    int y = 0;
};

class WizardDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "xwd"}) {
            if (!xtest::OnPath(tool)) {
                GTEST_SKIP() << tool << " is missing (scripts/setup installs xvfb, xdotool and x11-apps): "
                             << "not running the wizard on an X server";
            }
        }
        dir_ = fs::temp_directory_path() / ("trelwin_desktop_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "settings");
        // The system's D-Bus library, loaded by SDL, keeps a buffer to the
        // end: not ours to report when the wizard runs under the leak checker.
        std::ofstream(dir_ / "lsan.supp") << "leak:libdbus-1.so\n";
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    bool StartServer(XServer& x, const char* manager) {
        std::string error;
        if (!x.Start("1024x768x24", &error)) {
            ADD_FAILURE() << error;
            return false;
        }
        if (manager && !x.StartWindowManager(manager, [&] { return ManagerRuns(x.Display()); }, &error)) {
            ADD_FAILURE() << error;
            return false;
        }
        // The pointer away from where the wizard shows: with no one to give
        // it the focus, the keys would go where the pointer is.
        x.Run("xdotool mousemove 5 5");
        return true;
    }

    bool StartWizard(Process& wizard, const XServer& x, bool writeSettings = false) {
        std::vector<std::string> args = {TRELWIN_WIZARD_DEMO};
        if (writeSettings) args.push_back("--write-settings");
        const bool started =
            wizard.Start(args,
                         {x.Env(), "TRELWIN_REGISTRY_DIR=" + (dir_ / "settings").string(),
                          "LSAN_OPTIONS=suppressions=" + (dir_ / "lsan.supp").string() + ":" +
                              (std::getenv("LSAN_OPTIONS") ? std::getenv("LSAN_OPTIONS") : "")},
                         dir_ / "out", dir_ / "err");
        return started &&
               Within(10000, [&] { return wizard.Said("page 1 ") && (!writeSettings || wizard.Said("writing")); });
    }

    Window FindWizard(const XServer& x) {
        Window w = 0;
        Within(5000, [&] {
            w = std::strtoul(x.Output(std::string("xdotool search --onlyvisible --name '^") + kTitle + "$'").c_str(),
                             nullptr, 10);
            return w != 0;
        });
        return w;
    }

    // How many windows the server shows.
    size_t Visible(const XServer& x) {
        const std::string ids = x.Output("xdotool search --onlyvisible --name ''");
        return static_cast<size_t>(std::count(ids.begin(), ids.end(), '\n'));
    }

    Place Where(const XServer& x, Window w) {
        Place p;
        std::istringstream lines(x.Output("xdotool getwindowgeometry --shell " + std::to_string(w)));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("X=", 0) == 0) p.x = std::stoi(line.substr(2));
            if (line.rfind("Y=", 0) == 0) p.y = std::stoi(line.substr(2));
        }
        return p;
    }

    void Shot(const XServer& x, const std::string& name) {
        xtest::Image screen;
        std::string error;
        const fs::path folder = TRELWIN_SCREENSHOTS;
        fs::create_directories(folder);
        if (!x.Screen(screen, &error) || !xtest::WritePng((folder / (name + ".png")).string(), screen)) {
            ADD_FAILURE() << "no screenshot " << name << ": " << error;
        }
    }

    std::string Said() const { return "\n--- wizard said:\n" + xtest::FileText(dir_ / "out") + "--- errors:\n" +
                                      xtest::FileText(dir_ / "err"); }

    // The whole dialogue with the wizard on a desktop with the manager (or
    // none).
    void UseTheWizard(const char* manager) {
        const bool managed = manager != nullptr;
        const std::string name = managed ? manager : "no-manager";
        XServer x(dir_);
        ASSERT_TRUE(StartServer(x, manager));
        Process wizard;
        ASSERT_TRUE(StartWizard(wizard, x)) << Said();
        const Window w = FindWizard(x);
        ASSERT_NE(w, 0u) << "no window titled '" << kTitle << "'";

        // The wizard takes the focus when it shows, with nobody clicking it,
        // and is typed into at once.
        EXPECT_TRUE(Within(3000, [&] { return x.Output("xdotool getwindowfocus") == std::to_string(w) + "\n"; }))
            << "the focus is on " << x.Output("xdotool getwindowfocus");
        x.Run("xdotool type --delay 20 hello");
        Shot(x, name + "-1-shown");

        // The list of colours drops down over the wizard without taking the
        // focus from it; keys still reach the wizard once the list is gone.
        const auto combo = wizard.Line("combo");
        ASSERT_EQ(combo.size(), 3u) << Said();
        const Place shown = Where(x, w);
        const size_t windows = Visible(x);
        x.Run("xdotool mousemove " + std::to_string(shown.x + std::stoi(combo[1])) + " " +
              std::to_string(shown.y + std::stoi(combo[2])) + " click 1");
        EXPECT_TRUE(Within(3000, [&] { return Visible(x) == windows + 1; })) << "the list did not drop";
        Shot(x, name + "-1-list");
        EXPECT_EQ(x.Output("xdotool getwindowfocus"), std::to_string(w) + "\n") << "the dropped list took the focus";
        x.Run("xdotool key Escape");
        EXPECT_TRUE(Within(3000, [&] { return Visible(x) == windows; })) << "the list stayed";
        x.Run("xdotool type g");

        // Dragged by the caption 60 across and 40 down; the window manager
        // moves it where there is one, the wizard itself otherwise.
        const Place before = Where(x, w);
        const std::string grab = std::to_string(before.x + 150) + " " + std::to_string(before.y + 10);
        x.Run("xdotool mousemove " + grab + " mousedown 1 sleep 0.2 mousemove_relative 20 20 sleep 0.1"
              " mousemove_relative 40 20 sleep 0.2 mouseup 1");
        Place after;
        const bool moved = Within(3000, [&] {
            after = Where(x, w);
            return after.x == before.x + 60 && after.y == before.y + 40;
        });
        EXPECT_TRUE(moved) << "from (" << before.x << ", " << before.y << ") to (" << after.x << ", " << after.y << ")";
        if (!managed) {
            // The wizard moved itself, and it is where the server shows it.
            const std::string at = "moved to " + std::to_string(after.x) + " " + std::to_string(after.y);
            EXPECT_TRUE(Within(3000, [&] { return wizard.Said(at); })) << Said();
        }

        // The wizard agrees where it is: Next is where it says it is.
        const auto next = wizard.Line("page 1 next");
        ASSERT_EQ(next.size(), 5u) << Said();
        x.Run("xdotool mousemove " + std::to_string(after.x + std::stoi(next[3])) + " " +
              std::to_string(after.y + std::stoi(next[4])) + " click 1");
        ASSERT_TRUE(Within(5000, [&] { return wizard.Said("page 2 "); }))
            << "Next at its new place was missed" << Said();
        x.Run("xdotool type --delay 20 world");
        Shot(x, name + "-2-moved");

        // The minimise box: to the task bar with a manager, and back as the
        // task bar brings it; without one there is nowhere to go, and the
        // wizard stays on the screen.
        const auto box = wizard.Line("caption minimize");
        ASSERT_EQ(box.size(), 7u) << Said();
        x.Run("xdotool mousemove " + std::to_string(after.x + std::stoi(box[2])) + " " +
              std::to_string(after.y + std::stoi(box[3])) + " click 1");
        EXPECT_TRUE(Within(3000, [&] { return wizard.Said("minimized"); })) << Said();
        if (managed) {
            EXPECT_TRUE(Within(3000, [&] { return WmState(x.Display(), w) == "Iconic" && !Viewable(x.Display(), w); }));
            Shot(x, name + "-3-minimized");
            x.Run("xdotool windowactivate " + std::to_string(w));
            EXPECT_TRUE(Within(3000, [&] { return WmState(x.Display(), w) == "Normal"; }));
        }
        EXPECT_TRUE(Within(3000, [&] { return wizard.Said("restored"); })) << Said();
        EXPECT_TRUE(Viewable(x.Display(), w));
        x.Run("xdotool type --delay 20 again");
        Shot(x, name + "-4-back");

        // Closed from the desktop: the wizard's Cancel, a clean end.
        AskToClose(x.Display(), w, managed);
        const int status = wizard.Wait(5000);
        ASSERT_NE(status, -1) << "the wizard did not end on the close request" << Said();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << Said();
        EXPECT_TRUE(wizard.Said("result 0")) << Said();
        EXPECT_TRUE(wizard.Said("typed page 1: hello")) << Said();
        EXPECT_TRUE(wizard.Said("chose page 1: Green")) << Said();
        EXPECT_TRUE(wizard.Said("typed page 2: worldagain")) << Said();
    }

    fs::path dir_;
};

}  // namespace

TEST_F(WizardDesktop, WithoutAWindowManager) { UseTheWizard(nullptr); }

TEST_F(WizardDesktop, UnderOpenbox) {
    if (!xtest::OnPath("openbox")) {
        GTEST_SKIP() << "openbox is missing (scripts/setup installs it): not running the wizard under a window manager";
    }
    UseTheWizard("openbox");
}

// A click on a window that has just been given the focus is a click: the
// focus and the press reach the wizard together (as on a busy machine, or
// from a quick hand), and Next must still turn the page. Each round takes
// the focus away to a window of another client first.
TEST_F(WizardDesktop, AClickThatComesWithTheFocusIsNotLost) {
    XServer x(dir_);
    ASSERT_TRUE(StartServer(x, nullptr));
    Process wizard;
    ASSERT_TRUE(StartWizard(wizard, x)) << Said();
    const Window w = FindWizard(x);
    ASSERT_NE(w, 0u) << "no window titled '" << kTitle << "'";
    const Place at = Where(x, w);
    // Declared after the server: closed before it goes.
    XConnection other(x.Display());
    ASSERT_NE(other.get(), nullptr);
    const Window elsewhere = XCreateSimpleWindow(other.get(), DefaultRootWindow(other.get()), 960, 700, 40, 40, 0, 0, 0);
    XMapWindow(other.get(), elsewhere);
    XSync(other.get(), False);
    ASSERT_TRUE(Within(3000, [&] { return Viewable(x.Display(), elsewhere); }));
    for (int page = 1; page <= 2; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const auto next = wizard.Line("page " + std::to_string(page) + " next");
        ASSERT_EQ(next.size(), 5u) << Said();
        XSetInputFocus(other.get(), elsewhere, RevertToParent, CurrentTime);
        XSync(other.get(), False);
        ASSERT_TRUE(Within(3000, [&] { return x.Output("xdotool getwindowfocus") == std::to_string(elsewhere) + "\n"; }));
        x.Run("xdotool windowfocus " + std::to_string(w) + " mousemove " + std::to_string(at.x + std::stoi(next[3])) +
              " " + std::to_string(at.y + std::stoi(next[4])) + " click 1");
        ASSERT_TRUE(Within(5000, [&] { return wizard.Said("page " + std::to_string(page + 1) + " "); }))
            << "the click that came with the focus was lost" << Said();
    }
    AskToClose(x.Display(), w, false);
    EXPECT_NE(wizard.Wait(5000), -1) << "the wizard did not end on the close request" << Said();
}

// The server going away, SIGTERM or SIGINT, in the middle of writing the
// settings: one line on standard error, a non-zero status, no abort, and a
// settings file that reads whole. SIGTERM right after the server went away
// ends the program for either reason, and SIGTERM ends it while the server
// does not answer, since the end waits for nothing of the server's.
TEST_F(WizardDesktop, EndsCleanlyWhenTheDisplayGoesOrASignalComes) {
    enum class Server { Kept, Killed, Paused };
    struct Case {
        const char* name;
        Server server;
        int signo;  // 0: none
        std::vector<std::pair<int, const char*>> ends;  // the statuses and lines allowed
    };
    const char* lost = "trelwin: lost the connection to the display :";
    const char* terminated = "trelwin: ended by SIGTERM";
    const Case cases[] = {
        {"the X server goes away", Server::Killed, 0, {{1, lost}}},
        {"SIGTERM", Server::Kept, SIGTERM, {{143, terminated}}},
        {"SIGINT", Server::Kept, SIGINT, {{130, "trelwin: ended by SIGINT"}}},
        {"SIGTERM as the X server goes away", Server::Killed, SIGTERM, {{1, lost}, {143, terminated}}},
        {"SIGTERM while the X server does not answer", Server::Paused, SIGTERM, {{143, terminated}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XServer x(dir_);
        ASSERT_TRUE(StartServer(x, nullptr));
        Process wizard;
        ASSERT_TRUE(StartWizard(wizard, x, true)) << Said();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // a few writes on
        if (c.server == Server::Paused) {
            x.Pause();
            // The wizard goes on drawing and writing to the stopped server.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        const auto start = std::chrono::steady_clock::now();
        if (c.server == Server::Killed) x.Kill();
        if (c.signo) wizard.Signal(c.signo);
        const int status = wizard.Wait(8000);
        ASSERT_NE(status, -1) << "the wizard did not end" << Said();
        // A settings file takes milliseconds to write: nothing else is waited for.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status)
                                       << (WCOREDUMP(status) ? " with a core" : "") << Said();
        const std::string errors = xtest::FileText(dir_ / "err");
        const bool allowed = std::any_of(c.ends.begin(), c.ends.end(), [&](const auto& end) {
            return WEXITSTATUS(status) == end.first && errors.rfind(end.second, 0) == 0;
        });
        EXPECT_TRUE(allowed) << "status " << WEXITSTATUS(status) << Said();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        const std::string settings = xtest::FileText(dir_ / "settings" / "HKEY_CURRENT_USER.reg");
        const std::string written = "[HKEY_CURRENT_USER\\Software\\Trelwin test wizard]\n\"Count\"=dword:";
        EXPECT_NE(settings.find(written), std::string::npos) << settings;
        EXPECT_FALSE(fs::exists(dir_ / "settings" / "HKEY_CURRENT_USER.reg.tmp")) << "a write was cut short";
    }
}
