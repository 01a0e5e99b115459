// JPEG streams made to cost: picture sizes claimed by a header of a few
// hundred bytes, thousands of scans. Each is refused before it costs
// memory, by the decoder and by the picture loader; a real progressive
// picture still decodes. Every decode runs in a child process whose growth
// is measured, and which is ended once it has grown by a gigabyte, so that a
// fault costs the test and not the machine.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/image_decode.h"
#include "tests/platform/gdi/jpeg_encode.h"

namespace {

// A field of a /proc status file in KiB, or -1.
long status_kib(const std::string& path, const char* field) {
    std::ifstream in(path);
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(in, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::atol(line.c_str() + length + 1);
    }
    return -1;
}

struct Outcome {
    bool ended = false;     // the child ended by itself
    bool decoded = false;
    long growth_kib = -1;   // peak resident size above the size at the start
};

using Decode = std::function<HBITMAP(const std::vector<uint8_t>&)>;

Outcome decode_in_child(const Decode& decode, const std::vector<uint8_t>& bytes) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        // Forgets the peak so far, so that the peak read below is this decode's.
        if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", f);
            std::fclose(f);
        }
        const long before = status_kib("/proc/self/status", "VmRSS");
        HBITMAP picture = decode(bytes);
        const long peak = status_kib("/proc/self/status", "VmHWM");
        char line[64];
        const int n = std::snprintf(line, sizeof line, "%d %ld", picture != nullptr ? 1 : 0,
                                    before < 0 || peak < 0 ? -1 : peak - before);
        if (write(fds[1], line, static_cast<size_t>(n)) != n) _exit(2);
        _exit(0);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return {};
    }
    const std::string child_status = "/proc/" + std::to_string(pid) + "/status";
    const long limit = status_kib("/proc/self/status", "VmRSS") + (1L << 20);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    Outcome outcome;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (status_kib(child_status, "VmRSS") > limit || std::chrono::steady_clock::now() > give_up) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            close(fds[0]);
            return outcome;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    char line[64] = {};
    const ssize_t n = read(fds[0], line, sizeof line - 1);
    close(fds[0]);
    int decoded = 0;
    outcome.ended = WIFEXITED(status) && WEXITSTATUS(status) == 0 && n > 0 &&
                    std::sscanf(line, "%d %ld", &decoded, &outcome.growth_kib) == 2;
    outcome.decoded = decoded != 0;
    return outcome;
}

std::vector<uint8_t> read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::filesystem::path> files_in(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

HBITMAP jpeg_decoder(const std::vector<uint8_t>& bytes) {
    std::string error;
    return trelwin::gdi::decode_jpeg(bytes.data(), bytes.size(), &error);
}

HBITMAP picture_loader(const std::vector<uint8_t>& bytes) {
    std::string error;
    return trelwin::gdi::render_picture(bytes.data(), bytes.size(), 0xFFFFFFFF, &error);
}

}  // namespace

// The saved inputs of the JPEG and image loader fuzz targets are the
// streams that once cost too much; each is refused having grown the process
// by less than 64 MiB.
TEST(HostileJpeg, SavedStreamsAreRefusedBeforeTheyCostMemory) {
    struct Case {
        std::string name;
        Decode decode;
        std::vector<uint8_t> bytes;
        bool decoded;
    };
    std::vector<uint32_t> grey(256 * 256);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint32_t>(i % 251) * 0x010101;
    const std::vector<uint8_t> progressive = gdi_test::encode_jpeg(256, 256, grey, false, true);
    std::vector<Case> cases = {
        {"real progressive picture, decoder", jpeg_decoder, progressive, true},
        {"real progressive picture, picture loader", picture_loader, progressive, true},
    };
    for (const auto& file : files_in(TRELWIN_FUZZ_INPUTS "/jpeg_reader/regressions"))
        cases.push_back({"decoder: " + file.filename().string(), jpeg_decoder, read_file(file), false});
    for (const auto& file : files_in(TRELWIN_FUZZ_INPUTS "/image_loader/regressions"))
        cases.push_back({"picture loader: " + file.filename().string(), picture_loader, read_file(file), false});
    ASSERT_GT(cases.size(), 4u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = decode_in_child(c.decode, c.bytes);
        EXPECT_TRUE(outcome.ended) << "grew by a gigabyte, took a minute or failed";
        if (!outcome.ended) continue;
        EXPECT_EQ(outcome.decoded, c.decoded);
        EXPECT_GE(outcome.growth_kib, 0);
        EXPECT_LT(outcome.growth_kib, 64 * 1024);
    }
}
