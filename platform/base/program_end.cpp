#include "platform/base/program_end.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <shared_mutex>
#include <thread>

namespace trelwin {

namespace {

// How long the end waits for writes in progress; a settings file takes
// milliseconds, so this only bounds a write stuck on a dead disk.
constexpr auto kWritesWait = std::chrono::seconds(5);

// Shared by the writers, taken whole by the end (and never given back).
std::shared_timed_mutex& Writes() {
    static auto* writes = new std::shared_timed_mutex;
    return *writes;
}

thread_local int t_deferrals = 0;  // deferrals the calling thread holds
std::atomic<bool> g_ending{false};
std::atomic<int> g_signalled{0};
std::atomic<bool> g_lineWritten{false};  // one line, whoever ends the program
int g_signalPipe[2] = {-1, -1};

void WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    const char* at = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(STDERR_FILENO, at, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        at += n;
        left -= static_cast<size_t>(n);
    }
}

// Runs in the signal's context: only hands the number to the watcher. A
// second signal ends the process at once, with the line the first one has
// not written yet.
void OnSignal(int signo) {
    if (g_signalled.exchange(signo) != 0) {
        static const char kInterrupted[] = "trelwin: ended by SIGINT\n";
        static const char kTerminated[] = "trelwin: ended by SIGTERM\n";
        const bool interrupt = signo == SIGINT;
        if (!g_lineWritten.exchange(true)) {
            const ssize_t written = write(STDERR_FILENO, interrupt ? kInterrupted : kTerminated,
                                          (interrupt ? sizeof kInterrupted : sizeof kTerminated) - 1);
            (void)written;
        }
        _exit(128 + signo);
    }
    const unsigned char number = static_cast<unsigned char>(signo);
    const ssize_t written = write(g_signalPipe[1], &number, 1);
    (void)written;
}

const char* SignalName(int signo) {
    switch (signo) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    default: return "a signal";
    }
}

void WatchSignals() {
    unsigned char number = 0;
    for (;;) {
        const ssize_t n = read(g_signalPipe[0], &number, 1);
        if (n == 1) break;
        if (n < 0 && errno == EINTR) continue;
        return;
    }
    EndProgram(128 + number, std::string("trelwin: ended by ") + SignalName(number));
}

}  // namespace

void EndProgram(int status, const std::string& line) {
    if (g_ending.exchange(true)) {
        // Another thread is ending the program already.
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    }
    // A thread inside a write of its own cannot wait for it to finish.
    if (t_deferrals == 0) (void)Writes().try_lock_for(kWritesWait);
    if (!g_lineWritten.exchange(true)) WriteLine(line);
    _exit(status);
}

EndDeferral::EndDeferral() {
    if (t_deferrals++ == 0) Writes().lock_shared();
}

EndDeferral::~EndDeferral() {
    if (--t_deferrals == 0) Writes().unlock_shared();
}

void EndProgramOnSignals() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (pipe2(g_signalPipe, O_CLOEXEC) != 0) return;  // the signals keep their default action
        std::thread(WatchSignals).detach();
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    });
}

}  // namespace trelwin
