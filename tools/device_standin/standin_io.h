// The stand-in's system calls on the hot path, kept apart from the Windows
// Sockets names the rest of the stand-in uses: a readiness set over many
// sockets, and batches of datagrams taken from a socket in one call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The sockets one loop watches; each ready socket comes back with its tag.
class CStandinPoller {
public:
    CStandinPoller();
    ~CStandinPoller();
    CStandinPoller(const CStandinPoller&) = delete;
    CStandinPoller& operator=(const CStandinPoller&) = delete;

    bool Ok() const { return m_fd >= 0; }
    bool Add(int fd, size_t tag);
    // Waits for ready sockets, without limit (-1) or at most that long
    // (0: only a look); their tags. Empty after a signal, an error or the
    // time (the caller looks again).
    const std::vector<size_t>& Wait(int timeoutMs = -1);

private:
    int m_fd = -1;
    std::vector<size_t> m_ready;
};

// Sends one datagram to the address (network byte order) and port; a
// failure is not reported (a device's answer may be lost).
void SendDatagram(int fd, uint32_t ip, uint16_t port, const uint8_t* data, size_t length);

// Sets how long a waiting receive on the socket waits at most; false on failure.
bool SetReceiveLimit(int fd, int milliseconds);

// One datagram of a batch, in the batch's own buffer.
struct StandinDatagram {
    const uint8_t* data = nullptr;
    int length = 0;     // -1: longer than any request; dropped
    uint32_t ip = 0;    // sender, network byte order
    uint16_t port = 0;  // sender, host byte order
};

// Takes the datagrams already waiting on a socket, up to a batch at a time.
class CStandinBatch {
public:
    CStandinBatch();
    ~CStandinBatch();
    CStandinBatch(const CStandinBatch&) = delete;
    CStandinBatch& operator=(const CStandinBatch&) = delete;

    // Receives without waiting; the number taken, 0 when none waits.
    int Receive(int fd);
    // Waits for one datagram as long as the socket's receive time-out
    // allows; 1 when it came (the batch's first), 0 when none did.
    int ReceiveWaiting(int fd);
    const StandinDatagram& operator[](int i) const { return m_datagrams[static_cast<size_t>(i)]; }
    // The most one Receive takes.
    int Size() const { return static_cast<int>(m_datagrams.size()); }

private:
    struct System;
    System* m_system;
    std::vector<StandinDatagram> m_datagrams;
};
