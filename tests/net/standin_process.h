// The stand-in as a process of its own inside the private network's device
// namespace, for the tests and benchmarks that run in that network.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace discovery_test {

// What private_network.sh tells the command it runs; empty outside it.
struct PrivateNetwork {
    std::string programNs, deviceNs, programAddress, devicePrefix;
    int deviceCount = 0;

    static PrivateNetwork FromEnvironment() {
        PrivateNetwork net;
        auto get = [](const char* name) {
            const char* value = std::getenv(name);
            return std::string(value != nullptr ? value : "");
        };
        if (get("TRELWIN_NET_PRIVATE") != "1") return net;
        net.programNs = get("TRELWIN_NET_PROGRAM_NS");
        net.deviceNs = get("TRELWIN_NET_DEVICE_NS");
        net.programAddress = get("TRELWIN_NET_PROGRAM_ADDRESS");
        net.devicePrefix = get("TRELWIN_NET_DEVICE_PREFIX");
        net.deviceCount = std::atoi(get("TRELWIN_NET_DEVICE_COUNT").c_str());
        return net;
    }
    bool IsPresent() const { return !deviceNs.empty() && !programAddress.empty() && deviceCount > 0; }
    std::string Device(int n) const { return devicePrefix + std::to_string(n); }
};

class CStandinProcess {
public:
    // Starts the stand-in with the devices in the device namespace, with the
    // options (by default answering broadcasts); false with a message when
    // it does not come up within 10 s.
    bool Start(const PrivateNetwork& net, const std::vector<std::string>& lines, std::string& error,
               const std::vector<std::string>& options = {"--listen-broadcast"}) {
        const std::string stem = "/tmp/trelwin-standin-" + std::to_string(getpid()) + "-" + std::to_string(++s_count);
        m_devicesFile = stem + ".devices";
        m_errorsFile = stem + ".err";
        m_logFile = stem + ".log";
        WriteDevices(lines);
        std::vector<std::string> args = {"ip", "netns", "exec", net.deviceNs, TRELWIN_STANDIN_PATH,
                                         "--devices", m_devicesFile, "--log", m_logFile};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, m_errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int failed = posix_spawnp(&m_pid, "ip", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) {
            error = "cannot start ip netns exec";
            m_pid = -1;
            return false;
        }
        if (!WaitForText("playing", 10000)) {
            error = "the stand-in did not start: " + ReadFile(m_errorsFile);
            Stop();
            return false;
        }
        return true;
    }

    // Replaces the descriptions and makes the stand-in read them again.
    bool Change(const std::vector<std::string>& lines) {
        const size_t before = Occurrences(ReadFile(m_errorsFile), "reloaded");
        WriteDevices(lines);
        kill(m_pid, SIGHUP);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (Occurrences(ReadFile(m_errorsFile), "reloaded") <= before) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    void Stop() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 300 && waitpid(m_pid, &status, WNOHANG) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (waitpid(m_pid, &status, WNOHANG) == 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
        for (const auto& file : {m_devicesFile, m_errorsFile, m_logFile}) std::remove(file.c_str());
    }

    ~CStandinProcess() { Stop(); }

    std::string Log() const { return ReadFile(m_logFile); }

private:
    void WriteDevices(const std::vector<std::string>& lines) {
        const std::string temporary = m_devicesFile + ".new";
        {
            std::ofstream out(temporary);
            for (const auto& line : lines) out << line << "\n";
        }
        std::rename(temporary.c_str(), m_devicesFile.c_str());
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static size_t Occurrences(const std::string& text, const std::string& word) {
        size_t n = 0;
        for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
        return n;
    }
    bool WaitForText(const std::string& word, int milliseconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (ReadFile(m_errorsFile).find(word) == std::string::npos) {
            int status = 0;
            if (std::chrono::steady_clock::now() > deadline || waitpid(m_pid, &status, WNOHANG) == m_pid) {
                if (waitpid(m_pid, &status, WNOHANG) != 0) m_pid = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    static inline int s_count = 0;
    pid_t m_pid = -1;
    std::string m_devicesFile, m_errorsFile, m_logFile;
};

}  // namespace discovery_test
