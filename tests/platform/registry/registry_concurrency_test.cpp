// Several threads and several processes using one registry folder at once,
// and writers killed in the middle of their work.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/regedit_format.h"
#include "platform/registry/registry.h"
#include "tests/platform/registry/registry_test_dir.h"

namespace {

LONG WriteText(const char* path, const std::string& name, const std::string& text) {
    HKEY key;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return rc;
}

std::set<std::string> ValueNames(const char* path) {
    std::set<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    char name[256];
    for (DWORD i = 0; i < 100000; ++i) {
        DWORD size = sizeof name;
        if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}

// Waits at most `seconds` for the child; kills it when it takes longer.
int WaitChild(pid_t pid, int seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ParsesCleanly(const std::string& text, trelwin::registry::RegistryKey& root) {
    trelwin::registry::RegeditError error;
    return trelwin::registry::ParseRegedit(text, "HKEY_CURRENT_USER", root, &error);
}

}  // namespace

TEST(RegistryConcurrency, ThreadsWritingTogetherLoseNothing) {
    ScopedRegistryDir dir;
    constexpr int kThreads = 8, kValues = 40;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < kValues; ++i) {
                if (WriteText("Shared", "t" + std::to_string(t) + "_" + std::to_string(i), "x") != ERROR_SUCCESS)
                    ++failures;
                // Private subtrees come and go meanwhile.
                std::string own = "Own" + std::to_string(t);
                if (WriteText((own + "\\Deep").c_str(), "v", "y") != ERROR_SUCCESS) ++failures;
                if (i % 2 && RegDeleteKeyA(HKEY_CURRENT_USER, own.c_str()) != ERROR_SUCCESS) ++failures;
                ValueNames("Shared");
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(ValueNames("Shared").size(), static_cast<size_t>(kThreads * kValues));
    dir.ForceReread();
    EXPECT_EQ(ValueNames("Shared").size(), static_cast<size_t>(kThreads * kValues));
}

TEST(RegistryConcurrency, ProcessesWritingTogetherLoseNothing) {
    ScopedRegistryDir dir;
    constexpr int kChildren = 3, kValues = 60;
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failed = 0;
            for (int i = 0; i < kValues; ++i)
                failed |= WriteText("Shared", "p" + std::to_string(c) + "_" + std::to_string(i), "x") != ERROR_SUCCESS;
            _exit(failed);
        }
        children.push_back(pid);
    }
    // This process writes as well, and must see the others' values.
    for (int i = 0; i < kValues; ++i) EXPECT_EQ(WriteText("Shared", "parent_" + std::to_string(i), "x"), ERROR_SUCCESS);
    for (pid_t pid : children) EXPECT_EQ(WaitChild(pid, 60), 0);
    std::set<std::string> names = ValueNames("Shared");
    EXPECT_EQ(names.size(), static_cast<size_t>((kChildren + 1) * kValues));
    EXPECT_TRUE(names.count("p2_59"));
}

TEST(RegistryConcurrency, AWriterKilledMidwayLeavesAWholeFile) {
    ScopedRegistryDir dir;
    constexpr size_t kBlob = 20000;
    for (int round = 0; round < 8; ++round) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            alarm(20);  // never outlives a lost parent
            std::vector<BYTE> blob(kBlob);
            HKEY key;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, "Crash", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
                _exit(1);
            for (unsigned i = 0;; ++i) {
                std::fill(blob.begin(), blob.end(), static_cast<BYTE>(i));
                RegSetValueExA(key, "Blob", 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
            }
        }
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        // Wait for the first whole write of the value, then kill at a varying moment.
        while (dir.ReadFile().find("\"Blob\"") == std::string::npos && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(3 + 7 * round));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);

        trelwin::registry::RegistryKey root;
        ASSERT_TRUE(ParsesCleanly(dir.ReadFile(), root)) << "round " << round;
        auto* crash = root.FindSubkey("Crash");
        ASSERT_TRUE(crash);
        const auto* blob = crash->FindValue("Blob");
        ASSERT_TRUE(blob) << "round " << round;
        ASSERT_EQ(blob->data.size(), kBlob);
        EXPECT_EQ(std::count(blob->data.begin(), blob->data.end(), blob->data[0]), static_cast<long>(kBlob));
    }
    // The registry itself goes on using the file, with nothing set aside.
    testing::internal::CaptureStderr();
    EXPECT_EQ(ValueNames("Crash"), std::set<std::string>{"Blob"});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().string().find(".corrupt"), std::string::npos);
}
