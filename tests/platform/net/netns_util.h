// Runs test code in a network namespace of its own: a forked child
// unshares its network, so that everything it adds goes with it when it
// exits. Needs root; without it the tests skip.
#pragma once

#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace nettest {

inline constexpr int kSkip = 77;
// What a test skipped for kSkip says.
inline constexpr const char* kSkipReason =
    "needs root and network namespaces (unshare, ip link) to make its own network: not run here";

// Runs body in a child with a network namespace of its own; the child's
// exit code is the body's result (0 passed, kSkip when no namespace could
// be made). Bounded: a child still running after 20 s is killed.
inline int InNamespace(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() != 0 || unshare(CLONE_NEWNET) != 0) _exit(kSkip);
        if (std::system("ip link set lo up 2>/dev/null") != 0) _exit(kSkip);
        _exit(body());
    }
    if (pid < 0) return kSkip;
    int status = 0;
    for (int i = 0; i < 2000; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return 101;
}

// One veth pair with an address on each end, both up.
inline bool AddPair(int n) {
    std::string cmd = "ip link add va" + std::to_string(n) + " type veth peer name vb" + std::to_string(n) +
                      " && ip addr add 10.77." + std::to_string(n) + ".1/24 brd + dev va" + std::to_string(n) +
                      " && ip addr add 10.78." + std::to_string(n) + ".1/24 brd + dev vb" + std::to_string(n) +
                      " && ip link set va" + std::to_string(n) + " up && ip link set vb" + std::to_string(n) +
                      " up";
    return std::system((cmd + " 2>/dev/null").c_str()) == 0;
}

}  // namespace nettest
