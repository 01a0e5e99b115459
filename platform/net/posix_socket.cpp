// The system socket calls behind the Windows Sockets functions.
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <mutex>
#include <unordered_map>

#include "platform/net/posix_socket.h"
#include "platform/net/winsock_errors.h"

namespace netsys {

namespace {

int Fail(int wsaError) {
    SetLastError(wsaError);
    return -1;
}
int FailErrno() { return Fail(ErrorFromErrno(errno)); }

// Directions each descriptor has been shut down in by this process. A
// datagram socket shut down for receiving keeps returning empty reads, which
// must not pass for empty datagrams: they are reported as WSAESHUTDOWN.
constexpr int kShutRead = 1;
constexpr int kShutWrite = 2;
struct ShutTable {
    std::mutex mutex;
    std::unordered_map<int, int> bits;
};
// Never destroyed: threads still ending at process exit may use it.
ShutTable& Shuts() {
    static ShutTable* table = new ShutTable;
    return *table;
}

void ForgetShutdown(int fd) {
    std::lock_guard<std::mutex> lock(Shuts().mutex);
    Shuts().bits.erase(fd);
}
// Returns the bits held before.
int NoteShutdown(int fd, int bits) {
    std::lock_guard<std::mutex> lock(Shuts().mutex);
    int before = Shuts().bits[fd];
    Shuts().bits[fd] = before | bits;
    return before;
}
void RestoreShutdown(int fd, int bits) {
    std::lock_guard<std::mutex> lock(Shuts().mutex);
    if (bits == 0) Shuts().bits.erase(fd);
    else Shuts().bits[fd] = bits;
}
bool IsShut(int fd, int bits) {
    std::lock_guard<std::mutex> lock(Shuts().mutex);
    auto it = Shuts().bits.find(fd);
    return it != Shuts().bits.end() && (it->second & bits) != 0;
}

bool IsNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && (flags & O_NONBLOCK) != 0;
}

// A time-out set with SO_RCVTIMEO or SO_SNDTIMEO ends a blocking call with
// EAGAIN; that is a time-out, not a call that would have blocked.
int FailTransfer(int fd) {
    int err = errno;
    if ((err == EAGAIN || err == EWOULDBLOCK) && !IsNonBlocking(fd)) return Fail(WSAETIMEDOUT);
    if (err == EPIPE && IsShut(fd, kShutWrite)) return Fail(WSAESHUTDOWN);
    return Fail(ErrorFromErrno(err));
}

sockaddr_in ToSystem(const Addr4& a) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = a.port;
    sa.sin_addr.s_addr = a.ip;
    return sa;
}

Addr4 FromSystem(const sockaddr_in& sa) {
    Addr4 a;
    a.ip = sa.sin_addr.s_addr;
    a.port = sa.sin_port;
    return a;
}

int SystemFlags(int flags) {
    int out = 0;
    if (flags & kFlagOob) out |= MSG_OOB;
    if (flags & kFlagPeek) out |= MSG_PEEK;
    if (flags & kFlagDontRoute) out |= MSG_DONTROUTE;
    return out;
}

bool OptionOf(Option opt, int* level, int* name) {
    *level = SOL_SOCKET;
    switch (opt) {
    case Option::Debug: *name = SO_DEBUG; return true;
    case Option::ReuseAddr: *name = SO_REUSEADDR; return true;
    case Option::KeepAlive: *name = SO_KEEPALIVE; return true;
    case Option::DontRoute: *name = SO_DONTROUTE; return true;
    case Option::Broadcast: *name = SO_BROADCAST; return true;
    case Option::OobInline: *name = SO_OOBINLINE; return true;
    case Option::SendBuf: *name = SO_SNDBUF; return true;
    case Option::RecvBuf: *name = SO_RCVBUF; return true;
    case Option::Error: *name = SO_ERROR; return true;
    case Option::Type: *name = SO_TYPE; return true;
    case Option::AcceptConn: *name = SO_ACCEPTCONN; return true;
    case Option::NoDelay: *level = IPPROTO_TCP; *name = TCP_NODELAY; return true;
    }
    return false;
}

}  // namespace

int Open(Kind kind, int protocol) {
    int type = kind == Kind::Stream ? SOCK_STREAM : kind == Kind::Datagram ? SOCK_DGRAM : SOCK_RAW;
    int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, protocol);
    if (fd < 0) return FailErrno();
    ForgetShutdown(fd);
    return fd;
}

int Close(int fd) {
    // Forget the descriptor's state first: once closed, its number can be
    // handed out again at any moment.
    ForgetShutdown(fd);
    if (::close(fd) != 0 && errno != EINTR) return FailErrno();
    return 0;
}

int Shutdown(int fd, Shut how) {
    int sys = how == Shut::Receive ? SHUT_RD : how == Shut::Send ? SHUT_WR : SHUT_RDWR;
    int bits = how == Shut::Receive ? kShutRead : how == Shut::Send ? kShutWrite : kShutRead | kShutWrite;
    // Noted before the call: a reader woken by it must already find it.
    int before = NoteShutdown(fd, bits);
    int rc = ::shutdown(fd, sys);
    if (rc == 0) return 0;
    int err = errno;
    // An unconnected datagram socket reports ENOTCONN, yet the shutdown
    // takes effect and wakes its readers.
    if (err != ENOTCONN) RestoreShutdown(fd, before);
    return Fail(ErrorFromErrno(err));
}

int Bind(int fd, const Addr4& addr) {
    sockaddr_in sa = ToSystem(addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)) != 0) return FailErrno();
    return 0;
}

int Connect(int fd, const Addr4& addr) {
    sockaddr_in sa = ToSystem(addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)) != 0) return FailErrno();
    return 0;
}

int Listen(int fd, int backlog) {
    if (::listen(fd, backlog) != 0) return FailErrno();
    return 0;
}

int Accept(int fd, Addr4* peer) {
    for (;;) {
        sockaddr_in sa{};
        socklen_t len = sizeof(sa);
        int s = ::accept4(fd, reinterpret_cast<sockaddr*>(&sa), &len, SOCK_CLOEXEC);
        if (s >= 0) {
            ForgetShutdown(s);
            if (peer) *peer = FromSystem(sa);
            return s;
        }
        if (errno == EINTR) continue;
        // A listening socket that was shut down to stop its acceptor.
        if (errno == EINVAL && IsShut(fd, kShutRead)) return Fail(WSAESHUTDOWN);
        return FailTransfer(fd);
    }
}

static int NameOf(int fd, Addr4* addr, bool peer) {
    sockaddr_in sa{};
    socklen_t len = sizeof(sa);
    int rc = peer ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&sa), &len)
                  : ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    if (rc != 0) return FailErrno();
    if (sa.sin_family != AF_INET) return Fail(WSAEAFNOSUPPORT);
    *addr = FromSystem(sa);
    return 0;
}
int LocalName(int fd, Addr4* addr) { return NameOf(fd, addr, false); }
int PeerName(int fd, Addr4* addr) { return NameOf(fd, addr, true); }

long Send(int fd, const void* data, size_t len, int flags, const Addr4* to) {
    // MSG_NOSIGNAL: a peer that has gone must give an error, not end the
    // process with SIGPIPE.
    int sysFlags = SystemFlags(flags) | MSG_NOSIGNAL;
    for (;;) {
        ssize_t n;
        if (to) {
            sockaddr_in sa = ToSystem(*to);
            n = ::sendto(fd, data, len, sysFlags, reinterpret_cast<sockaddr*>(&sa), sizeof(sa));
        } else {
            n = ::send(fd, data, len, sysFlags);
        }
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        return FailTransfer(fd);
    }
}

long SendMany(int fd, const ConstBuffer* datagrams, size_t count) {
    constexpr size_t kBatch = 64;
    mmsghdr messages[kBatch];
    iovec parts[kBatch];
    size_t sent = 0;
    while (sent < count) {
        const size_t batch = count - sent < kBatch ? count - sent : kBatch;
        for (size_t i = 0; i < batch; ++i) {
            parts[i] = iovec{const_cast<void*>(datagrams[sent + i].data), datagrams[sent + i].length};
            messages[i] = mmsghdr{};
            messages[i].msg_hdr.msg_iov = &parts[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int n = ::sendmmsg(fd, messages, static_cast<unsigned>(batch), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (sent > 0) return static_cast<long>(sent);
            return FailTransfer(fd);
        }
        sent += static_cast<size_t>(n);
    }
    return static_cast<long>(sent);
}

long Receive(int fd, void* data, size_t len, int flags, Addr4* from) {
    for (;;) {
        sockaddr_in sa{};
        iovec iov{data, len};
        msghdr msg{};
        msg.msg_name = from ? &sa : nullptr;
        msg.msg_namelen = from ? sizeof(sa) : 0;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        ssize_t n = ::recvmsg(fd, &msg, SystemFlags(flags));
        if (n < 0) {
            if (errno == EINTR) continue;
            return FailTransfer(fd);
        }
        // A datagram longer than the buffer: its tail is gone, so the
        // datagram is dropped rather than passed on cut short.
        if (msg.msg_flags & MSG_TRUNC) return Fail(WSAEMSGSIZE);
        if (n == 0 && IsShut(fd, kShutRead)) return Fail(WSAESHUTDOWN);
        if (from) *from = FromSystem(sa);
        return static_cast<long>(n);
    }
}

int SetOption(int fd, Option opt, int value) {
    int level, name;
    if (!OptionOf(opt, &level, &name) || opt == Option::Error || opt == Option::Type ||
        opt == Option::AcceptConn)
        return Fail(WSAENOPROTOOPT);
    if (opt == Option::Debug) return 0;  // needs privileges here and changes nothing
    if (::setsockopt(fd, level, name, &value, sizeof(value)) != 0) return FailErrno();
    return 0;
}

int GetOption(int fd, Option opt, int* value) {
    int level, name;
    if (!OptionOf(opt, &level, &name)) return Fail(WSAENOPROTOOPT);
    int v = 0;
    socklen_t len = sizeof(v);
    if (::getsockopt(fd, level, name, &v, &len) != 0) return FailErrno();
    switch (opt) {
    case Option::Error: v = ErrorFromErrno(v); break;
    case Option::Type: v = v == SOCK_STREAM ? 1 : v == SOCK_DGRAM ? 2 : 3; break;
    // The system reserves twice the size asked for and reports that.
    case Option::SendBuf:
    case Option::RecvBuf: v /= 2; break;
    default: break;
    }
    *value = v;
    return 0;
}

int SetTimeout(int fd, bool receive, uint32_t ms) {
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    if (::setsockopt(fd, SOL_SOCKET, receive ? SO_RCVTIMEO : SO_SNDTIMEO, &tv, sizeof(tv)) != 0) return FailErrno();
    return 0;
}

int GetTimeout(int fd, bool receive, uint32_t* ms) {
    timeval tv{};
    socklen_t len = sizeof(tv);
    if (::getsockopt(fd, SOL_SOCKET, receive ? SO_RCVTIMEO : SO_SNDTIMEO, &tv, &len) != 0) return FailErrno();
    *ms = static_cast<uint32_t>(tv.tv_sec * 1000 + tv.tv_usec / 1000);
    return 0;
}

int SetLinger(int fd, bool on, int seconds) {
    ::linger l{on ? 1 : 0, seconds};
    if (::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof(l)) != 0) return FailErrno();
    return 0;
}

int GetLinger(int fd, bool* on, int* seconds) {
    ::linger l{};
    socklen_t len = sizeof(l);
    if (::getsockopt(fd, SOL_SOCKET, SO_LINGER, &l, &len) != 0) return FailErrno();
    *on = l.l_onoff != 0;
    *seconds = l.l_linger;
    return 0;
}

int SetNonBlocking(int fd, bool on) {
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0) return FailErrno();
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    if (fcntl(fd, F_SETFL, flags) != 0) return FailErrno();
    return 0;
}

int BytesReadable(int fd, unsigned long* count) {
    int n = 0;
    if (::ioctl(fd, FIONREAD, &n) != 0) return FailErrno();
    *count = static_cast<unsigned long>(n);
    return 0;
}

int Poll(PollItem* items, size_t count, long timeoutMs) {
    constexpr size_t kMax = 3 * 64;
    if (count > kMax) return Fail(WSAEINVAL);
    pollfd fds[kMax];
    for (size_t i = 0; i < count; ++i) {
        fds[i].fd = items[i].fd;
        fds[i].events = static_cast<short>(((items[i].want & kReadable) ? POLLIN : 0) |
                                           ((items[i].want & kWritable) ? POLLOUT : 0) |
                                           ((items[i].want & kExcept) ? POLLPRI : 0));
        fds[i].revents = 0;
        items[i].got = 0;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) {
            // Rounded up: poll counts whole milliseconds, and a wait cut
            // short by the rounding would end in polls of 0 ms, spinning
            // until the deadline.
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left < 0) left = 0;
            wait = left > INT_MAX ? INT_MAX : static_cast<int>(left);
        }
        int rc = ::poll(fds, count, wait);
        if (rc < 0) {
            if (errno == EINTR) continue;
            return FailErrno();
        }
        if (rc == 0 && timeoutMs >= 0 && Clock::now() < deadline) continue;  // a wait longer than poll takes
        break;
    }
    int ready = 0;
    for (size_t i = 0; i < count; ++i) {
        short r = fds[i].revents;
        int got = 0;
        if (r & POLLNVAL) got |= kInvalid;
        // A hang-up or an error makes the next read or write return at once.
        if ((items[i].want & kReadable) && (r & (POLLIN | POLLHUP | POLLERR))) got |= kReadable;
        if ((items[i].want & kWritable) && (r & (POLLOUT | POLLHUP | POLLERR))) got |= kWritable;
        if ((items[i].want & kExcept) && (r & (POLLPRI | POLLERR))) got |= kExcept;
        items[i].got = got;
        if (got) ++ready;
    }
    return ready;
}

}  // namespace netsys
