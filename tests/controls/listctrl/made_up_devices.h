// Made-up devices for the list's picture test and its demo: the Discover
// page's five texts of device i, and which devices are not reachable.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace listctrl_test {

inline std::vector<std::string> MadeUpDevice(int i) {
    static const char* const types[] = {"Encoder E-200", "Decoder D-110", "Encoder E-400", "Gateway G-10",
                                        "Decoder D-310"};
    char ip[32];
    char name[32];
    char version[32];
    std::snprintf(ip, sizeof ip, "192.168.%d.%d", 1 + i / 200, 10 + i % 200);
    std::snprintf(name, sizeof name, "Studio %c-%02d", 'A' + (i / 3) % 5, (i * 37) % 61);
    std::snprintf(version, sizeof version, "%d.%d.%d", 3 + i % 2, (i * 3) % 10, i % 7);
    return {ip, name, types[(i * 3) % 5], version, i % 9 == 4 ? "No link" : "Link 100 Mbit/s"};
}

inline bool IsUnreachable(int i) { return i % 11 == 5; }

}  // namespace listctrl_test
