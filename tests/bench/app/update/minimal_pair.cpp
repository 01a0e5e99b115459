#include "tests/bench/app/update/minimal_pair.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const uint8_t kReset = 7, kStartLoad = 1, kData = 2, kRecord = 4;

sockaddr_in Address(const std::string& address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr(address.c_str());
    return a;
}

size_t Header(uint8_t* out, uint8_t direction, uint8_t command) {
    std::memcpy(out, "BRISEL", 6);
    out[6] = direction;
    out[7] = command;
    return 8;
}

}  // namespace

uint32_t ImageCrc(const uint8_t* bytes, size_t size) {
    uLong crc = crc32(0, nullptr, 0);
    for (size_t at = 0; at < size;) {
        const uInt part = static_cast<uInt>(std::min<size_t>(size - at, 1u << 30));
        crc = crc32(crc, bytes + at, part);
        at += part;
    }
    return static_cast<uint32_t>(crc);
}

CMinimalDevice::CMinimalDevice(const std::string& address, uint16_t port, bool window) : m_window(window) {
    m_socket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const sockaddr_in local = Address(address, port);
    if (m_socket >= 0 && bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) {
        close(m_socket);
        m_socket = -1;
    }
    if (m_socket >= 0) m_thread = std::thread([this] { Run(); });
}

CMinimalDevice::~CMinimalDevice() {
    if (m_socket < 0) return;
    m_stop = true;
    shutdown(m_socket, SHUT_RDWR);  // wakes the blocked receive
    m_thread.join();
    close(m_socket);
}

void CMinimalDevice::Run() {
    uint8_t in[600];
    uint8_t out[16];
    uLong crc = 0;
    uint64_t size = 0;
    uint16_t last = 10;  // sequence number that completes the window
    while (!m_stop) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof(from);
        const ssize_t n = recvfrom(m_socket, in, sizeof(in), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 0 && errno == EINTR) continue;
        if (n < 8) continue;
        auto reply = [&](size_t length) {
            sendto(m_socket, out, length, 0, reinterpret_cast<const sockaddr*>(&from), fromLength);
        };
        size_t length = Header(out, 1, in[7]);
        switch (in[7]) {
        case kReset:
            out[length++] = 0;
            reply(length);
            break;
        case kStartLoad:
            crc = crc32(0, nullptr, 0);
            size = 0;
            last = 10;
            out[length++] = 0;
            if (m_window) out[length++] = 0, out[length++] = 0;
            reply(length);
            break;
        case kData: {
            size_t bytes = static_cast<size_t>(n) - 8;
            if (m_window) {
                if (bytes < 2) break;
                bytes -= 2;
                crc = crc32(crc, in + 8, static_cast<uInt>(bytes));
                size += bytes;
                const uint16_t sequence = static_cast<uint16_t>((in[n - 2] << 8) | in[n - 1]);
                if (sequence != last) break;
                last = static_cast<uint16_t>(last + 10);
                out[length++] = 0;
                out[length++] = static_cast<uint8_t>(sequence >> 8);
                out[length++] = static_cast<uint8_t>(sequence & 0xFF);
            } else {
                crc = crc32(crc, in + 8, static_cast<uInt>(bytes));
                size += bytes;
                out[length++] = 0;
            }
            reply(length);
            break;
        }
        case kRecord:
            m_crc = static_cast<uint32_t>(crc);
            m_size = size;
            out[length++] = 0;
            out[length++] = 0;
            reply(length);  // the answer to start record
            reply(length);  // and the record end
            break;
        default:
            break;
        }
    }
}

namespace {

// A connected socket to the device with a two-second receive limit.
class CMinimalLoader {
public:
    CMinimalLoader(const std::string& address, uint16_t port) {
        m_socket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const sockaddr_in peer = Address(address, port);
        const timeval limit{2, 0};
        if (m_socket < 0 || setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit)) != 0 ||
            connect(m_socket, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) != 0) {
            Close();
        }
    }
    ~CMinimalLoader() { Close(); }

    bool Ok() const { return m_socket >= 0; }
    bool Send(uint8_t command, const uint8_t* payload, size_t length) {
        uint8_t out[8 + 514];
        Header(out, 0, command);
        std::memcpy(out + 8, payload, length);
        return send(m_socket, out, 8 + length, 0) == static_cast<ssize_t>(8 + length);
    }
    // The length of the next datagram answering the command; -1 on time-out.
    ssize_t Answer(uint8_t command) {
        for (int other = 0; other < 64; ++other) {
            const ssize_t n = recv(m_socket, m_reply, sizeof(m_reply), 0);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return -1;
            if (n > 8 && m_reply[7] == command) return n;
        }
        return -1;
    }
    ssize_t Exchange(uint8_t command, const uint8_t* payload, size_t length) {
        return Send(command, payload, length) ? Answer(command) : -1;
    }
    const uint8_t* Reply() const { return m_reply; }

private:
    void Close() {
        if (m_socket >= 0) close(m_socket);
        m_socket = -1;
    }
    int m_socket = -1;
    uint8_t m_reply[600];
};

}  // namespace

bool MinimalLoad(const std::string& address, uint16_t port, const uint8_t* image, size_t size) {
    CMinimalLoader loader(address, port);
    const uint8_t empty[3] = {0, 0, 0};
    if (!loader.Ok() || loader.Exchange(kReset, nullptr, 0) < 0 || loader.Exchange(kReset, nullptr, 0) < 0) return false;
    const ssize_t started = loader.Exchange(kStartLoad, empty, 3);
    if (started < 9 || loader.Reply()[8] != 0) return false;
    uint8_t slot[514];
    size_t at = 0;
    if (started == 11) {
        for (uint16_t sequence = 1; at < size;) {
            for (int k = 0; k < 10; ++k, ++sequence) {
                const size_t bytes = std::min<size_t>(512, size - at);
                std::memcpy(slot, image + at, bytes);
                at += bytes;
                slot[bytes] = static_cast<uint8_t>(sequence >> 8);
                slot[bytes + 1] = static_cast<uint8_t>(sequence & 0xFF);
                if (!loader.Send(kData, slot, bytes + 2)) return false;
            }
            if (loader.Answer(kData) != 11 || loader.Reply()[8] != 0) return false;
        }
    } else {
        for (; at < size; at += 512) {
            if (loader.Exchange(kData, image + at, std::min<size_t>(512, size - at)) < 9 || loader.Reply()[8] != 0)
                return false;
        }
    }
    if (loader.Exchange(kRecord, empty, 3) < 10 || loader.Reply()[8] != 0) return false;
    return loader.Answer(kRecord) >= 10 && loader.Reply()[8] == 0;
}
