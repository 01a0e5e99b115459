// trelwin-standin: plays networked devices for tests, benchmarks and demos.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/device_standin/standin_network.h"
#include "tools/device_standin/standin_description.h"

namespace {

// The networks, one per thread; set while they run. The first one reloads
// the descriptions for all.
std::vector<std::unique_ptr<CStandinNetwork>>* g_networks = nullptr;

void OnStopSignal(int) {
    if (g_networks == nullptr) return;
    for (auto& network : *g_networks) network->Stop();
}

void OnReloadSignal(int) {
    if (g_networks != nullptr) g_networks->front()->RequestReload();
}

void Usage(FILE* out) {
    std::fputs(
        "usage: trelwin-standin [options]\n"
        "Plays networked devices, each bound to its own address, until stopped (SIGINT, SIGTERM).\n"
        "  --devices FILE      device descriptions, one a line; SIGHUP reads it again and applies\n"
        "                      the new type, texts, answers and faults to the devices already played\n"
        "  --device 'LINE'     one device description (may be repeated)\n"
        "  --port N            device port (default 50013); settings requests come to N + 2\n"
        "  --threads N         plays the devices on N threads (default 1; 0: one per processor)\n"
        "  --listen-broadcast  also answer requests sent to 255.255.255.255 (every device answers);\n"
        "                      use only inside a network namespace of its own\n"
        "  --log FILE          log of the requests received (default: standard output)\n"
        "  --quiet             no log of requests\n"
        "A description: ADDRESS [type=N] [version=TEXT] [name=TEXT] [status=TEXT]\n"
        "               [version-reply=yes|no] [settings-reply=yes|no] [silent=yes|no]\n"
        "               and the update side's keys: load=window|plain record-steps=N record-pace=MS\n"
        "               record-error=CODE start-record-error=CODE record-end=yes|no loss=PERCENT\n"
        "               duplicate-acks=yes|no ack-delay=MS refuse-acks=N short-refusals=yes|no\n"
        "               lose-data=N,... drop-acks=N,... short-record-end=yes|no reset-reply=yes|no\n"
        "               update-silent=yes|no ignore=N,... slow=MS inventory12=yes|no inventory9=yes|no\n"
        "               section=KEY:ID:VERSION (repeatable) dump=DIR (every recorded image to DIR)\n"
        "Keys for the faults of a careless device or a lossy network:\n"
        "  lose-data=N,...       these data datagrams of each load (1 = its first) are lost\n"
        "  drop-acks=N,...       these data acknowledgements of each load are not sent\n"
        "  faulty-loads=N        lose-data and drop-acks in the first N loads only (default: every load)\n"
        "  answer-delay=N,...:MS the answers to these commands (and the record phase after start\n"
        "                        record, 4) come MS later; slow=MS delays every answer\n"
        "  bare-start-reply=yes  start load (1) is answered by the 8-byte header alone, without\n"
        "                        a status, and no load opens\n"
        "  inventory12=bare      the inventory answer is the 8-byte header alone, without its count\n"
        "  inventory12=count:N   the inventory's count byte says N, whatever records follow\n"
        "                        (inventory9= takes the same values)\n"
        "A plain data block carries no number, so a block that comes again (its acknowledgement\n"
        "was lost or late) is kept again, as a device must: the load then holds it twice.\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    StandinOptions options;
    options.log = stdout;
    std::string devicesFile;
    std::vector<StandinDeviceLine> devices;
    unsigned threads = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "trelwin-standin: %s needs %s\n", arg.c_str(), what);
                std::exit(2);
            }
            return argv[++i];
        };
        std::string error;
        if (arg == "--devices") {
            devicesFile = value("a file name");
            std::vector<StandinDeviceLine> read;
            if (!LoadStandinDeviceFile(devicesFile, read, error)) {
                std::fprintf(stderr, "trelwin-standin: %s\n", error.c_str());
                return 2;
            }
            devices.insert(devices.end(), read.begin(), read.end());
        } else if (arg == "--device") {
            StandinDeviceLine device;
            const char* line = value("a description");
            if (!ParseStandinDeviceLine(line, device, error)) {
                std::fprintf(stderr, "trelwin-standin: --device '%s': %s\n", line, error.c_str());
                return 2;
            }
            devices.push_back(device);
        } else if (arg == "--port") {
            const char* text = value("a port number");
            char* end = nullptr;
            const long port = std::strtol(text, &end, 10);
            if (*end != '\0' || port < 1 || port > 65533) {
                std::fprintf(stderr, "trelwin-standin: --port must be 1 to 65533, not \"%s\"\n", text);
                return 2;
            }
            options.port = static_cast<uint16_t>(port);
        } else if (arg == "--threads") {
            const char* text = value("a number of threads");
            char* end = nullptr;
            const long count = std::strtol(text, &end, 10);
            if (*end != '\0' || count < 0 || count > 1024) {
                std::fprintf(stderr, "trelwin-standin: --threads must be 0 to 1024, not \"%s\"\n", text);
                return 2;
            }
            threads = count == 0 ? std::max(1u, std::thread::hardware_concurrency()) : static_cast<unsigned>(count);
        } else if (arg == "--listen-broadcast") {
            options.listenBroadcast = true;
        } else if (arg == "--log") {
            const char* path = value("a file name");
            options.log = std::fopen(path, "a");
            if (options.log == nullptr) {
                std::fprintf(stderr, "trelwin-standin: cannot open the log %s: %s\n", path, std::strerror(errno));
                return 2;
            }
        } else if (arg == "--quiet") {
            options.log = nullptr;
        } else if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "trelwin-standin: unknown option \"%s\"\n", arg.c_str());
            Usage(stderr);
            return 2;
        }
    }
    if (devices.empty()) {
        std::fprintf(stderr, "trelwin-standin: no devices described\n");
        Usage(stderr);
        return 2;
    }

    // Devices go to the threads in turn; every thread listens for
    // broadcasts itself when asked to (each gets its own copy of one).
    std::vector<std::unique_ptr<CStandinNetwork>> networks;
    for (unsigned n = 0; n < std::min<size_t>(threads, devices.size()); ++n)
        networks.push_back(std::make_unique<CStandinNetwork>(options));
    for (size_t i = 0; i < devices.size(); ++i) {
        std::string error;
        if (!networks[i % networks.size()]->AddDevice(devices[i], error)) {
            std::fprintf(stderr, "trelwin-standin: %s\n", error.c_str());
            return 1;
        }
    }
    for (auto& network : networks) {
        std::string error;
        if (!network->Open(error)) {
            std::fprintf(stderr, "trelwin-standin: %s\n", error.c_str());
            return 1;
        }
    }
    networks.front()->SetReloadFunction([devicesFile, &networks](CStandinNetwork&) {
        if (devicesFile.empty()) return;
        std::vector<StandinDeviceLine> read;
        std::string loadError;
        if (!LoadStandinDeviceFile(devicesFile, read, loadError)) {
            std::fprintf(stderr, "trelwin-standin: reload: %s (devices unchanged)\n", loadError.c_str());
            return;
        }
        // Each network takes the lines of the devices it plays.
        std::vector<std::vector<StandinDeviceLine>> lines(networks.size());
        std::string warnings;
        for (const auto& line : read) {
            size_t n = 0;
            while (n < networks.size() && !networks[n]->Plays(line.profile.address)) ++n;
            if (n < networks.size()) lines[n].push_back(line);
            else warnings += line.profile.address + " is not played (addresses are fixed at start); ignored\n";
        }
        for (size_t n = 0; n < networks.size(); ++n) networks[n]->Update(lines[n], warnings);
        if (!warnings.empty()) std::fprintf(stderr, "trelwin-standin: reload: %s", warnings.c_str());
        std::fprintf(stderr, "trelwin-standin: reloaded %s\n", devicesFile.c_str());
    });

    g_networks = &networks;
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    struct sigaction reload {};
    reload.sa_handler = OnReloadSignal;
    sigaction(SIGHUP, &reload, nullptr);

    std::fprintf(stderr, "trelwin-standin: playing %zu device(s) on port %u%s%s\n", devices.size(), options.port,
                 options.listenBroadcast ? ", answering broadcasts" : "",
                 networks.size() > 1 ? (", on " + std::to_string(networks.size()) + " threads").c_str() : "");
    std::vector<std::thread> others;
    for (size_t n = 1; n < networks.size(); ++n) others.emplace_back([&networks, n] { networks[n]->Run(); });
    networks.front()->Run();
    // A stop reaches every network; the others end as soon as they see it.
    for (auto& network : networks) network->Stop();
    for (auto& thread : others) thread.join();
    g_networks = nullptr;
    std::fprintf(stderr, "trelwin-standin: stopped\n");
    return 0;
}
