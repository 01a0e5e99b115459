// Start-up, clean-up and the calling thread's error code.
#include <atomic>
#include <cstring>

#include "platform/net/posix_socket.h"
#include "platform/net/socket_api.h"

namespace {

constexpr WORD kLowestVersion = MAKEWORD(1, 1);
constexpr WORD kHighestVersion = MAKEWORD(2, 2);
std::atomic<int> g_startups{0};
std::atomic<bool> g_unavailable{false};

// Versions compare by major number (low byte), then minor (high byte).
int VersionRank(WORD v) { return LOBYTE(v) * 256 + HIBYTE(v); }

}  // namespace

inline namespace wsock {

int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    if (!lpWSAData) return WSAEFAULT;
    if (g_unavailable.load()) return WSASYSNOTREADY;
    if (VersionRank(wVersionRequested) < VersionRank(kLowestVersion)) return WSAVERNOTSUPPORTED;
    std::memset(lpWSAData, 0, sizeof(*lpWSAData));
    lpWSAData->wVersion =
        VersionRank(wVersionRequested) > VersionRank(kHighestVersion) ? kHighestVersion : wVersionRequested;
    lpWSAData->wHighVersion = kHighestVersion;
    std::strcpy(lpWSAData->szDescription, "Sockets over the system's BSD sockets");
    std::strcpy(lpWSAData->szSystemStatus, "Running");
    lpWSAData->iMaxSockets = 0xffff;
    lpWSAData->iMaxUdpDg = 65467;
    g_startups.fetch_add(1);
    return 0;
}

int WSACleanup() {
    int n = g_startups.load();
    while (n > 0 && !g_startups.compare_exchange_weak(n, n - 1)) {
    }
    if (n <= 0) {
        netsys::SetLastError(WSANOTINITIALISED);
        return SOCKET_ERROR;
    }
    return 0;
}

void SetSocketsUnavailable(bool unavailable) { g_unavailable.store(unavailable); }

int WSAGetLastError() { return netsys::LastError(); }
void WSASetLastError(int iError) { netsys::SetLastError(iError); }

}  // namespace wsock
