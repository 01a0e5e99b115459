// Opening web addresses: what is opened, what is refused, and how the
// opener is started (one argument, no inherited descriptors, found on PATH).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/user/shell_execute.h"
#include "tests/platform/user/opener_stand_in.h"

namespace {

using user_test::OpenerStandIn;
using user_test::ScopedEnv;

INT_PTR Open(LPCSTR verb, LPCSTR file, LPCSTR parameters = nullptr) {
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, verb, file, parameters, nullptr, SW_SHOW));
}

TEST(WebAddressOpener, WebAddressesReachTheOpenerAsOneArgumentUnchanged) {
    OpenerStandIn opener;
    ScopedEnv env("TRELWIN_URL_OPENER", opener.Script().c_str());
    // A descriptor of the program's own, open across exec, that the opener
    // must not get.
    const std::string marker = opener.Dir() + "/held-by-the-program";
    const int held = open(marker.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(held, 0);
    const char* addresses[] = {
        "http://example.com/a?b=c&d=e;f|g$(h)`i`'j'\"k\"",
        "HTTPS://Example.com/Path",
        "https://example.com/-rf",
    };
    for (const char* address : addresses) {
        SCOPED_TRACE(address);
        EXPECT_GT(Open("open", address), 32);
        const std::string output = opener.WaitForOutput();
        EXPECT_EQ(output.substr(0, output.find('\n', output.find('\n') + 1) + 1), "1\n" + std::string(address) + "\n");
        EXPECT_EQ(output.find(marker), std::string::npos) << output;
    }
    EXPECT_GT(Open(nullptr, "http://x"), 32);
    EXPECT_NE(opener.WaitForOutput(), "");
    EXPECT_GT(Open("OPEN", "http://x"), 32);
    EXPECT_NE(opener.WaitForOutput(), "");
    close(held);
    std::remove(marker.c_str());
}

TEST(WebAddressOpener, EverythingButAWebAddressIsRefusedWithoutStartingAnything) {
    OpenerStandIn opener;
    ScopedEnv env("TRELWIN_URL_OPENER", opener.Script().c_str());
    struct Case {
        const char* verb;
        const char* file;
        const char* parameters;
    };
    const Case cases[] = {
        {"open", "javascript:alert(1)", nullptr}, {"open", "file:///etc/passwd", nullptr},
        {"open", "/usr/bin/xterm", nullptr},      {"open", "xterm", nullptr},
        {"open", "ftp://example.com", nullptr},   {"open", "http://", nullptr},
        {"open", "http:/x", nullptr},             {"open", "http://a b", nullptr},
        {"open", "http://a\tb", nullptr},         {"open", "http://a\nb", nullptr},
        {"open", " http://x", nullptr},           {"open", "http://x\x7F", nullptr},
        {"open", "", nullptr},                    {"open", nullptr, nullptr},
        {"print", "http://x", nullptr},           {"open", "http://\xC3\xA9", nullptr},
        {"open", "http://x", "--new-window"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "(null)");
        EXPECT_EQ(Open(c.verb, c.file, c.parameters), SE_ERR_NOASSOC);
    }
    struct stat info {};
    EXPECT_NE(stat(opener.Output().c_str(), &info), 0) << "the opener ran";
}

TEST(WebAddressOpener, TheOpenerIsFoundOnThePathOrReportedMissing) {
    OpenerStandIn opener;
    {
        ScopedEnv noOverride("TRELWIN_URL_OPENER", nullptr);
        ScopedEnv path("PATH", ("/nonexistent-dir:" + opener.Dir()).c_str());
        EXPECT_GT(Open("open", "http://found.example/"), 32);
        EXPECT_EQ(opener.WaitForOutput().substr(0, 24), "1\nhttp://found.example/\n");
    }
    {
        ScopedEnv missing("TRELWIN_URL_OPENER", (opener.Dir() + "/missing").c_str());
        EXPECT_EQ(Open("open", "http://x"), SE_ERR_FNF);
    }
    {
        ScopedEnv noOverride("TRELWIN_URL_OPENER", nullptr);
        ScopedEnv path("PATH", "/nonexistent-dir");
        EXPECT_EQ(Open("open", "http://x"), SE_ERR_FNF);
    }
}

}  // namespace
