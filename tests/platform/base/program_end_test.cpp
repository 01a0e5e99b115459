// Ending the program at once: SIGINT and SIGTERM end it with one line on
// standard error and 128 + the signal's number, after a write in progress,
// and a second signal does not wait. Each case runs in a child process.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/program_end.h"

namespace {

namespace fs = std::filesystem;

struct Ended {
    bool exited = false;  // by exit status, not by a signal's default action
    int status = -1;
    std::string errors;   // standard error
};

std::string ReadAll(int fd) {
    std::string out;
    char buf[256];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

// Runs the child's part in a process of its own; the parent's part gets the
// child's id once the child said "ready" (one byte on `ready`). Every wait
// is bounded: a child still there after 10 seconds is killed.
Ended RunChild(const std::function<void(int ready)>& child, const std::function<void(pid_t)>& parent) {
    int errors[2], ready[2];
    if (pipe(errors) != 0 || pipe(ready) != 0) return Ended();
    const pid_t pid = fork();
    if (pid == 0) {
        close(errors[0]);
        close(ready[0]);
        dup2(errors[1], STDERR_FILENO);
        child(ready[1]);
        std::this_thread::sleep_for(std::chrono::seconds(10));
        _exit(99);  // not ended
    }
    close(errors[1]);
    close(ready[1]);
    pollfd wait{ready[0], POLLIN, 0};
    char byte = 0;
    if (poll(&wait, 1, 5000) == 1 && read(ready[0], &byte, 1) == 1) parent(pid);
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 1000 && (done = waitpid(pid, &status, WNOHANG)) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (done == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    Ended ended;
    ended.exited = WIFEXITED(status);
    ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    ended.errors = ReadAll(errors[0]);
    close(errors[0]);
    close(ready[0]);
    return ended;
}

void Ready(int fd) {
    const char byte = 'r';
    (void)!write(fd, &byte, 1);
}

std::string FileText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

// Each case: what the child holds when the signals come, the signals, and
// how the child ends.
TEST(ProgramEnd, SignalsEndTheProgramWithOneLineAfterTheWriteInProgress) {
    struct Case {
        const char* name;
        int holdMs;               // a write in progress for this long (0: none)
        std::vector<int> signals;  // sent 50 ms apart
        int status;
        std::string line;
        std::string written;  // what the write left in its file
    };
    const Case cases[] = {
        {"SIGTERM, nothing written", 0, {SIGTERM}, 143, "trelwin: ended by SIGTERM\n", ""},
        {"SIGINT, nothing written", 0, {SIGINT}, 130, "trelwin: ended by SIGINT\n", ""},
        {"SIGTERM waits for the write", 300, {SIGTERM}, 143, "trelwin: ended by SIGTERM\n", "firstsecond"},
        {"a second signal does not wait", 3000, {SIGTERM, SIGINT}, 130, "trelwin: ended by SIGINT\n", "first"},
    };
    const fs::path dir = fs::temp_directory_path() / ("trelwin_program_end_" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir / "written";
        fs::remove(file);
        const Ended ended = RunChild(
            [&](int ready) {
                trelwin::EndProgramOnSignals();
                if (c.holdMs == 0) {
                    Ready(ready);
                    return;
                }
                // The write holds its deferral from its first part to its last.
                std::thread([&, ready] {
                    trelwin::EndDeferral whole;
                    std::ofstream(file) << "first" << std::flush;
                    Ready(ready);
                    std::this_thread::sleep_for(std::chrono::milliseconds(c.holdMs));
                    std::ofstream(file, std::ios::app) << "second" << std::flush;
                }).detach();
            },
            [&](pid_t pid) {
                for (int signo : c.signals) {
                    kill(pid, signo);
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
            });
        EXPECT_TRUE(ended.exited) << "ended by signal " << -ended.status;
        EXPECT_EQ(ended.status, c.status);
        EXPECT_EQ(ended.errors, c.line);
        EXPECT_EQ(FileText(file), c.written);
    }
    fs::remove_all(dir);
}

// Two threads ending the program at the same time: one line, one status.
TEST(ProgramEnd, TheFirstEndWinsAndTheOtherWaitsForIt) {
    const Ended ended = RunChild(
        [](int ready) {
            Ready(ready);
            std::thread other([] { trelwin::EndProgram(7, "trelwin: the other end"); });
            trelwin::EndProgram(5, "trelwin: this end");
        },
        [](pid_t) {});
    EXPECT_TRUE(ended.exited);
    const bool one = ended.status == 5 && ended.errors == "trelwin: this end\n";
    const bool other = ended.status == 7 && ended.errors == "trelwin: the other end\n";
    EXPECT_TRUE(one || other) << ended.status << " " << ended.errors;
}
