// Small helpers for the socket tests: loopback sockets on port 0 and a clock.
#pragma once

#include <gtest/gtest.h>

#include <chrono>

#include "platform/net/net.h"

namespace nettest {

inline sockaddr_in Loopback(const char* ip, USHORT port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr(ip);
    return a;
}

inline USHORT LocalPort(SOCKET s) {
    sockaddr_in a{};
    int len = sizeof(a);
    if (getsockname(s, (sockaddr*)&a, &len) != 0) return 0;
    return ntohs(a.sin_port);
}

// A datagram socket bound to ip with a port the system chooses.
inline SOCKET BoundUdp(const char* ip) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = Loopback(ip, 0);
    if (s == INVALID_SOCKET || bind(s, (sockaddr*)&a, sizeof(a)) != 0) return INVALID_SOCKET;
    return s;
}

// A listening stream socket on ip with a port the system chooses.
inline SOCKET Listener(const char* ip, int backlog = 5) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(ip, 0);
    if (s == INVALID_SOCKET || bind(s, (sockaddr*)&a, sizeof(a)) != 0 || listen(s, backlog) != 0)
        return INVALID_SOCKET;
    return s;
}

inline SOCKET ConnectTo(const char* ip, USHORT port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(ip, port);
    if (s == INVALID_SOCKET || connect(s, (sockaddr*)&a, sizeof(a)) != 0) {
        if (s != INVALID_SOCKET) closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

inline long long MsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace nettest
