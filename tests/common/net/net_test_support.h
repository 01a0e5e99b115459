// Helpers for the socket class tests: loopback sockets, frames, and a
// recorder for the server's callback.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/net/net.h"

namespace nettest {

inline sockaddr_in Address(const char* ip, int port) {
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    a.sin_family = AF_INET;
    a.sin_port = htons((USHORT)port);
    a.sin_addr.s_addr = inet_addr(ip);
    return a;
}

inline int PortOf(SOCKET s) {
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    int len = sizeof(a);
    if (getsockname(s, (sockaddr*)&a, &len) != 0) return -1;
    return ntohs(a.sin_port);
}

inline CString AddressOf(SOCKET s) {
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    int len = sizeof(a);
    if (getsockname(s, (sockaddr*)&a, &len) != 0) return "";
    return inet_ntoa(a.sin_addr);
}

inline SOCKET Udp(const char* ip) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = Address(ip, 0);
    if (bind(s, (sockaddr*)&a, sizeof(a)) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

inline SOCKET Listener(const char* ip) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Address(ip, 0);
    if (bind(s, (sockaddr*)&a, sizeof(a)) != 0 || listen(s, 5) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// From the same address, so that the server sees the client there.
inline SOCKET Connect(const char* ip, int port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local = Address(ip, 0);
    sockaddr_in a = Address(ip, port);
    if (bind(s, (sockaddr*)&local, sizeof(local)) != 0 || connect(s, (sockaddr*)&a, sizeof(a)) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// A connected stream pair on ip.
inline void StreamPair(const char* ip, SOCKET* client, SOCKET* server) {
    SOCKET l = Listener(ip);
    *client = Connect(ip, PortOf(l));
    *server = accept(l, nullptr, nullptr);
    closesocket(l);
}

inline std::string Frame(int command, const std::string& payload) {
    std::string f(8, '\0');
    int length = (int)payload.size();
    std::memcpy(&f[0], &command, 4);
    std::memcpy(&f[4], &length, 4);
    return f + payload;
}

inline std::string FrameHeader(int command, int length) {
    std::string f(8, '\0');
    std::memcpy(&f[0], &command, 4);
    std::memcpy(&f[4], &length, 4);
    return f;
}

inline bool SendAll(SOCKET s, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        int n = send(s, data.data() + sent, (int)(data.size() - sent), 0);
        if (n <= 0) return false;
        sent += n;
    }
    return true;
}

// Reads what arrives within ms (until the peer closes or the time runs out).
inline std::string ReadFor(SOCKET s, int ms, bool* closed = nullptr) {
    std::string got;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    if (closed) *closed = false;
    while (std::chrono::steady_clock::now() < end) {
        fd_set rd;
        FD_ZERO(&rd);
        FD_SET(s, &rd);
        timeval tv{0, 20000};
        if (select(0, &rd, nullptr, nullptr, &tv) < 1) continue;
        char buf[4096];
        int n = recv(s, buf, sizeof(buf), 0);
        if (n <= 0) {
            if (closed) *closed = true;
            break;
        }
        got.append(buf, n);
    }
    return got;
}

inline long long MsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t).count();
}

// Records the server's callbacks; the results it gives can be chosen.
struct Recorder {
    struct Event {
        int event;
        SOCKET socket;
        int command;
        std::string data;
        std::string address;
        int port;
        bool dataNullWhenEmpty;
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Event> events;
    int acceptResult = 1;
    int packetResult = 1;
    int packetDelayMs = 0;

    static int Callback(void* context, int event, SOCKET s, _TIPCommand* packet) {
        Recorder* self = static_cast<Recorder*>(context);
        Event e{event, s, -1, "", "", 0, true};
        if (packet) {
            e.command = packet->m_nCommand;
            if (packet->m_dwLength) e.data.assign((const char*)packet->m_pData, packet->m_dwLength);
            e.dataNullWhenEmpty = packet->m_dwLength != 0 || packet->m_pData == nullptr;
            e.address = (LPCSTR)packet->m_strAddress;
            e.port = packet->m_wPort;
        }
        int delay, result;
        {
            std::lock_guard<std::mutex> lock(self->mutex);
            self->events.push_back(e);
            delay = event == IP_SERVER_PACKET ? self->packetDelayMs : 0;
            result = event == IP_SERVER_CONNECTED ? self->acceptResult
                     : event == IP_SERVER_PACKET  ? self->packetResult
                                                  : 0;
        }
        self->changed.notify_all();
        if (delay) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        return result;
    }

    int Count(int event) {
        std::lock_guard<std::mutex> lock(mutex);
        int n = 0;
        for (auto& e : events) n += e.event == event;
        return n;
    }

    // Waits up to ms for at least n events of the kind.
    bool WaitFor(int event, int n, int ms = 3000) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::milliseconds(ms), [&] {
            int c = 0;
            for (auto& e : events) c += e.event == event;
            return c >= n;
        });
    }

    std::vector<Event> Snapshot() {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }
};

}  // namespace nettest
