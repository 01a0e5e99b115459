// Helpers of the tests on a real X server: an Xvfb of the test's own (with a
// window manager when asked), programs started on it with their output in
// files, what the server shows read from an xwd dump (screen_image.h). Every
// wait is bounded; the server and everything started on it end with the
// helper.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/display/screen_image.h"

extern char** environ;

namespace xtest {

namespace fs = std::filesystem;

inline bool OnPath(const std::string& program) {
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

// Until the condition holds, at most the time; true when it held.
inline bool Within(int ms, const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

inline std::string FileText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A program started with extra environment, its standard output and error
// in files; killed and waited for when it is dropped.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { Kill(SIGKILL); }

    bool Start(const std::vector<std::string>& args, const std::vector<std::string>& env, const fs::path& out,
               const fs::path& err, int extraFd = -1) {
        std::vector<std::string> environment = env;
        for (char** e = environ; *e; ++e) environment.push_back(*e);  // the first of a name wins
        std::vector<char*> argv, envp;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (extraFd >= 0) posix_spawn_file_actions_adddup2(&files, extraFd, 3);
        const int failed = posix_spawnp(&pid_, argv[0], &files, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&files);
        if (failed) pid_ = -1;
        out_ = out;
        return pid_ > 0;
    }

    // Whether the output has a line that starts with the text.
    bool Said(const std::string& start) const {
        std::istringstream lines(FileText(out_));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(start, 0) == 0) return true;
        }
        return false;
    }
    // The words of the first line that starts with the text.
    std::vector<std::string> Line(const std::string& start) const {
        std::istringstream lines(FileText(out_));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(start, 0) != 0) continue;
            std::istringstream words(line);
            std::vector<std::string> out;
            for (std::string w; words >> w;) out.push_back(w);
            return out;
        }
        return {};
    }

    // Waits at most the time for the end; the wait status, or -1.
    int Wait(int ms) {
        if (pid_ <= 0) return status_;
        int status = 0;
        const bool ended = Within(ms, [&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
        if (!ended) return -1;
        pid_ = -1;
        status_ = status;
        return status;
    }
    void Kill(int signo) {
        if (pid_ <= 0) return;
        kill(pid_, signo);
        if (signo == SIGKILL) Wait(5000);
    }
    void Signal(int signo) const {
        if (pid_ > 0) kill(pid_, signo);
    }
    bool Running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
    int status_ = -1;
    fs::path out_;
};

// An Xvfb of the test's own. It picks a free display number itself (lock
// files settle races with other servers starting at the same time) and
// writes it once it is ready.
class XServer {
public:
    explicit XServer(fs::path dir) : dir_(std::move(dir)) {}

    bool Start(const std::string& screen, std::string* error, const std::vector<std::string>& options = {}) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            *error = "no pipe for Xvfb";
            return false;
        }
        // No reset when the last client leaves: a client coming just then
        // would be turned away while the server starts over.
        std::vector<std::string> args = {"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"};
        args.insert(args.end(), options.begin(), options.end());
        const bool started = server_.Start(args, {}, dir_ / "xvfb.out", dir_ / "xvfb.log", pipeFds[1]);
        close(pipeFds[1]);
        std::string number;
        pollfd ready{pipeFds[0], POLLIN, 0};
        char c = 0;
        while (started && poll(&ready, 1, 10000) == 1 && read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
        close(pipeFds[0]);
        if (number.empty()) {
            *error = "Xvfb did not come up: " + FileText(dir_ / "xvfb.log");
            return false;
        }
        display_ = ":" + number;
        // Ready, and taking connections.
        const bool answers = !OnPath("xdotool") || Within(5000, [&] { return Run("xdotool getdisplaygeometry") == 0; });
        if (!answers) {
            *error = "Xvfb on " + display_ + " takes no connections: " + FileText(dir_ / "xvfb.log");
            return false;
        }
        return true;
    }
    const std::string& Display() const { return display_; }
    std::string Env() const { return "DISPLAY=" + display_; }
    // Runs a command line on the server; its exit status.
    int Run(const std::string& command) const {
        return std::system(("DISPLAY=" + display_ + " " + command + " >/dev/null 2>&1").c_str());
    }
    // A command's standard output.
    std::string Output(const std::string& command) const {
        std::string out;
        if (FILE* p = popen(("DISPLAY=" + display_ + " " + command + " 2>/dev/null").c_str(), "r")) {
            char buf[256];
            while (std::fgets(buf, sizeof buf, p)) out += buf;
            pclose(p);
        }
        return out;
    }
    bool StartWindowManager(const std::string& program, const std::function<bool()>& ready, std::string* error) {
        if (!manager_.Start({program}, {Env()}, dir_ / "wm.out", dir_ / "wm.log") || !Within(10000, ready)) {
            const int status = manager_.Wait(0);
            *error = program + " did not come up on " + display_ + (status == -1 ? " (still running)" : " (ended)") +
                     ": " + FileText(dir_ / "wm.log") + FileText(dir_ / "wm.out");
            return false;
        }
        return true;
    }
    // The whole screen as an image.
    bool Screen(Image& out, std::string* error) const {
        const fs::path dump = dir_ / "screen.xwd";
        if (Run("xwd -root -silent -out " + dump.string()) != 0) {
            *error = "xwd failed";
            return false;
        }
        return ReadXwd(dump.string(), out, error);
    }
    // The server goes away at once, as a crashed one would; its lock and
    // socket go with it.
    void Kill() {
        server_.Kill(SIGKILL);
        manager_.Kill(SIGKILL);
        if (display_.size() < 2) return;
        std::error_code ignored;
        fs::remove("/tmp/.X" + display_.substr(1) + "-lock", ignored);
        fs::remove("/tmp/.X11-unix/X" + display_.substr(1), ignored);
    }
    // The server stops answering (its clients stay connected), as a hung
    // one or one behind a broken link would.
    void Pause() { server_.Signal(SIGSTOP); }
    ~XServer() {
        manager_.Kill(SIGTERM);
        manager_.Wait(3000);
        server_.Signal(SIGCONT);
        server_.Kill(SIGTERM);
        server_.Wait(3000);
    }

private:
    fs::path dir_;
    Process server_;
    Process manager_;
    std::string display_;
};

}  // namespace xtest
