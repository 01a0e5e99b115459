#include "tools/device_standin/standin_io.h"

#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

const int kBatch = 32;
const size_t kDatagramMax = 2048;  // longer ones are no request of any device

}  // namespace

CStandinPoller::CStandinPoller() : m_fd(epoll_create1(EPOLL_CLOEXEC)) {}

CStandinPoller::~CStandinPoller() {
    if (m_fd >= 0) close(m_fd);
}

bool CStandinPoller::Add(int fd, size_t tag) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = tag;
    return epoll_ctl(m_fd, EPOLL_CTL_ADD, fd, &event) == 0;
}

const std::vector<size_t>& CStandinPoller::Wait(int timeoutMs) {
    epoll_event events[64];
    m_ready.clear();
    const int n = epoll_wait(m_fd, events, 64, timeoutMs);
    for (int i = 0; i < n; ++i) m_ready.push_back(static_cast<size_t>(events[i].data.u64));
    return m_ready;
}

void SendDatagram(int fd, uint32_t ip, uint16_t port, const uint8_t* data, size_t length) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = ip;
    ssize_t n;
    do {
        n = sendto(fd, data, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    } while (n < 0 && errno == EINTR);
}

bool SetReceiveLimit(int fd, int milliseconds) {
    const timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit)) == 0;
}

struct CStandinBatch::System {
    mmsghdr messages[kBatch];
    iovec parts[kBatch];
    sockaddr_in from[kBatch];
    uint8_t buffers[kBatch][kDatagramMax];
};

CStandinBatch::CStandinBatch() : m_system(new System), m_datagrams(kBatch) {}

CStandinBatch::~CStandinBatch() { delete m_system; }

int CStandinBatch::ReceiveWaiting(int fd) {
    // One datagram, as a device's own loop takes it: a batch call would look
    // for a second one that, between the datagrams of a load, never waits.
    System& s = *m_system;
    ssize_t n;
    socklen_t fromLength;
    do {
        fromLength = sizeof(s.from[0]);
        n = recvfrom(fd, s.buffers[0], kDatagramMax, MSG_TRUNC, reinterpret_cast<sockaddr*>(&s.from[0]), &fromLength);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return 0;
    StandinDatagram& d = m_datagrams[0];
    d.data = s.buffers[0];
    d.length = static_cast<size_t>(n) > kDatagramMax ? -1 : static_cast<int>(n);
    d.ip = s.from[0].sin_addr.s_addr;
    d.port = ntohs(s.from[0].sin_port);
    return 1;
}

int CStandinBatch::Receive(int fd) {
    System& s = *m_system;
    for (int i = 0; i < kBatch; ++i) {
        s.parts[i] = iovec{s.buffers[i], kDatagramMax};
        s.messages[i] = mmsghdr{};
        s.messages[i].msg_hdr.msg_name = &s.from[i];
        s.messages[i].msg_hdr.msg_namelen = sizeof(s.from[i]);
        s.messages[i].msg_hdr.msg_iov = &s.parts[i];
        s.messages[i].msg_hdr.msg_iovlen = 1;
    }
    int n;
    do {
        n = recvmmsg(fd, s.messages, kBatch, MSG_DONTWAIT, nullptr);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return 0;
    for (int i = 0; i < n; ++i) {
        StandinDatagram& d = m_datagrams[static_cast<size_t>(i)];
        const bool cut = (s.messages[i].msg_hdr.msg_flags & MSG_TRUNC) != 0;
        d.data = s.buffers[i];
        d.length = cut ? -1 : static_cast<int>(s.messages[i].msg_len);
        d.ip = s.from[i].sin_addr.s_addr;
        d.port = ntohs(s.from[i].sin_port);
    }
    return n;
}
