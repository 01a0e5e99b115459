// Socket creation, connection, transfer and options.
#include "platform/net/posix_socket.h"
#include "platform/net/socket_api.h"

namespace {

int Fail(int wsaError) {
    netsys::SetLastError(wsaError);
    return SOCKET_ERROR;
}

// Reads an IPv4 address given by the caller; fails with the caller's error.
bool FromCaller(const sockaddr* name, int namelen, netsys::Addr4* out) {
    if (!name || namelen < (int)sizeof(sockaddr_in)) {
        netsys::SetLastError(WSAEFAULT);
        return false;
    }
    const sockaddr_in* in = reinterpret_cast<const sockaddr_in*>(name);
    if (in->sin_family != AF_INET) {
        netsys::SetLastError(WSAEAFNOSUPPORT);
        return false;
    }
    out->ip = in->sin_addr.S_un.S_addr;
    out->port = in->sin_port;
    return true;
}

// Writes an address back for the caller; a short buffer is an error.
bool ToCaller(const netsys::Addr4& a, sockaddr* name, int* namelen) {
    if (!name || !namelen) return true;
    if (*namelen < (int)sizeof(sockaddr_in)) {
        netsys::SetLastError(WSAEFAULT);
        return false;
    }
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_port = a.port;
    in.sin_addr.S_un.S_addr = a.ip;
    *reinterpret_cast<sockaddr_in*>(name) = in;
    *namelen = sizeof(sockaddr_in);
    return true;
}

int FlagsOf(int flags) {
    int out = 0;
    if (flags & MSG_OOB) out |= netsys::kFlagOob;
    if (flags & MSG_PEEK) out |= netsys::kFlagPeek;
    if (flags & MSG_DONTROUTE) out |= netsys::kFlagDontRoute;
    return out;
}

bool OptionOf(int level, int optname, netsys::Option* opt) {
    if (level == IPPROTO_TCP) {
        if (optname != TCP_NODELAY) return false;
        *opt = netsys::Option::NoDelay;
        return true;
    }
    if (level != SOL_SOCKET) return false;
    switch (optname) {
    case SO_DEBUG: *opt = netsys::Option::Debug; return true;
    case SO_ACCEPTCONN: *opt = netsys::Option::AcceptConn; return true;
    case SO_REUSEADDR: *opt = netsys::Option::ReuseAddr; return true;
    case SO_KEEPALIVE: *opt = netsys::Option::KeepAlive; return true;
    case SO_DONTROUTE: *opt = netsys::Option::DontRoute; return true;
    case SO_BROADCAST: *opt = netsys::Option::Broadcast; return true;
    case SO_OOBINLINE: *opt = netsys::Option::OobInline; return true;
    case SO_SNDBUF: *opt = netsys::Option::SendBuf; return true;
    case SO_RCVBUF: *opt = netsys::Option::RecvBuf; return true;
    case SO_ERROR: *opt = netsys::Option::Error; return true;
    case SO_TYPE: *opt = netsys::Option::Type; return true;
    default: return false;
    }
}

}  // namespace

inline namespace wsock {

SOCKET socket(int af, int type, int protocol) {
    if (af != AF_INET) return Fail(WSAEAFNOSUPPORT);
    netsys::Kind kind;
    switch (type) {
    case SOCK_STREAM: kind = netsys::Kind::Stream; break;
    case SOCK_DGRAM: kind = netsys::Kind::Datagram; break;
    case SOCK_RAW: kind = netsys::Kind::Raw; break;
    default: return Fail(WSAESOCKTNOSUPPORT);
    }
    return netsys::Open(kind, protocol);
}

SOCKET WSASocketA(int af, int type, int protocol, LPWSAPROTOCOL_INFOA, GROUP, DWORD) {
    return socket(af, type, protocol);
}

int closesocket(SOCKET s) {
    if (s < 0) return Fail(WSAENOTSOCK);
    return netsys::Close(s);
}

int shutdown(SOCKET s, int how) {
    if (s < 0) return Fail(WSAENOTSOCK);
    switch (how) {
    case SD_RECEIVE: return netsys::Shutdown(s, netsys::Shut::Receive);
    case SD_SEND: return netsys::Shutdown(s, netsys::Shut::Send);
    case SD_BOTH: return netsys::Shutdown(s, netsys::Shut::Both);
    default: return Fail(WSAEINVAL);
    }
}

int bind(SOCKET s, const sockaddr* name, int namelen) {
    netsys::Addr4 a;
    if (!FromCaller(name, namelen, &a)) return SOCKET_ERROR;
    return netsys::Bind(s, a);
}

int connect(SOCKET s, const sockaddr* name, int namelen) {
    netsys::Addr4 a;
    if (!FromCaller(name, namelen, &a)) return SOCKET_ERROR;
    return netsys::Connect(s, a);
}

int listen(SOCKET s, int backlog) { return netsys::Listen(s, backlog); }

SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen) {
    if (addr && addrlen && *addrlen < (int)sizeof(sockaddr_in)) return Fail(WSAEFAULT);
    netsys::Addr4 peer;
    int fd = netsys::Accept(s, &peer);
    if (fd < 0) return INVALID_SOCKET;
    ToCaller(peer, addr, addrlen);
    return fd;
}

int getsockname(SOCKET s, sockaddr* name, int* namelen) {
    if (!name || !namelen) return Fail(WSAEFAULT);
    netsys::Addr4 a;
    if (netsys::LocalName(s, &a) != 0) return SOCKET_ERROR;
    return ToCaller(a, name, namelen) ? 0 : SOCKET_ERROR;
}

int getpeername(SOCKET s, sockaddr* name, int* namelen) {
    if (!name || !namelen) return Fail(WSAEFAULT);
    netsys::Addr4 a;
    if (netsys::PeerName(s, &a) != 0) return SOCKET_ERROR;
    return ToCaller(a, name, namelen) ? 0 : SOCKET_ERROR;
}

int send(SOCKET s, const char* buf, int len, int flags) {
    if (len < 0 || (!buf && len > 0)) return Fail(WSAEFAULT);
    return (int)netsys::Send(s, buf, (size_t)len, FlagsOf(flags), nullptr);
}

int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen) {
    if (len < 0 || (!buf && len > 0)) return Fail(WSAEFAULT);
    if (!to) return (int)netsys::Send(s, buf, (size_t)len, FlagsOf(flags), nullptr);
    netsys::Addr4 a;
    if (!FromCaller(to, tolen, &a)) return SOCKET_ERROR;
    return (int)netsys::Send(s, buf, (size_t)len, FlagsOf(flags), &a);
}

int SendDatagrams(SOCKET s, const DATAGRAM_BUFFER* datagrams, int count) {
    constexpr int kMax = 64;
    if (count < 0 || (!datagrams && count > 0)) return Fail(WSAEFAULT);
    netsys::ConstBuffer buffers[kMax];
    int sent = 0;
    while (sent < count) {
        const int batch = count - sent < kMax ? count - sent : kMax;
        for (int i = 0; i < batch; ++i) {
            const DATAGRAM_BUFFER& d = datagrams[sent + i];
            if (d.len < 0 || (!d.buf && d.len > 0)) return sent > 0 ? sent : Fail(WSAEFAULT);
            buffers[i] = netsys::ConstBuffer{d.buf, (size_t)d.len};
        }
        const long n = netsys::SendMany(s, buffers, (size_t)batch);
        if (n < 0) return sent > 0 ? sent : SOCKET_ERROR;
        sent += (int)n;
        if (n < batch) break;
    }
    return sent;
}

int recv(SOCKET s, char* buf, int len, int flags) {
    if (len < 0 || (!buf && len > 0)) return Fail(WSAEFAULT);
    return (int)netsys::Receive(s, buf, (size_t)len, FlagsOf(flags), nullptr);
}

int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
    if (len < 0 || (!buf && len > 0)) return Fail(WSAEFAULT);
    if (from && (!fromlen || *fromlen < (int)sizeof(sockaddr_in))) return Fail(WSAEFAULT);
    netsys::Addr4 a;
    long n = netsys::Receive(s, buf, (size_t)len, FlagsOf(flags), from ? &a : nullptr);
    if (n < 0) return SOCKET_ERROR;
    if (from) ToCaller(a, from, fromlen);
    return (int)n;
}

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
    if (!optval || optlen < 1) return Fail(WSAEFAULT);
    if (level == SOL_SOCKET && (optname == SO_RCVTIMEO || optname == SO_SNDTIMEO)) {
        if (optlen < (int)sizeof(DWORD)) return Fail(WSAEFAULT);
        DWORD ms = *reinterpret_cast<const DWORD*>(optval);
        return netsys::SetTimeout(s, optname == SO_RCVTIMEO, ms);
    }
    if (level == SOL_SOCKET && optname == SO_LINGER) {
        if (optlen < (int)sizeof(linger)) return Fail(WSAEFAULT);
        const linger* l = reinterpret_cast<const linger*>(optval);
        return netsys::SetLinger(s, l->l_onoff != 0, l->l_linger);
    }
    netsys::Option opt;
    if (!OptionOf(level, optname, &opt)) return Fail(WSAENOPROTOOPT);
    int value = optlen >= (int)sizeof(int) ? *reinterpret_cast<const int*>(optval) : (unsigned char)optval[0];
    return netsys::SetOption(s, opt, value);
}

int getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen) {
    if (!optval || !optlen || *optlen < 1) return Fail(WSAEFAULT);
    if (level == SOL_SOCKET && (optname == SO_RCVTIMEO || optname == SO_SNDTIMEO)) {
        if (*optlen < (int)sizeof(DWORD)) return Fail(WSAEFAULT);
        uint32_t ms = 0;
        if (netsys::GetTimeout(s, optname == SO_RCVTIMEO, &ms) != 0) return SOCKET_ERROR;
        *reinterpret_cast<DWORD*>(optval) = ms;
        *optlen = sizeof(DWORD);
        return 0;
    }
    if (level == SOL_SOCKET && optname == SO_LINGER) {
        if (*optlen < (int)sizeof(linger)) return Fail(WSAEFAULT);
        bool on = false;
        int seconds = 0;
        if (netsys::GetLinger(s, &on, &seconds) != 0) return SOCKET_ERROR;
        linger* l = reinterpret_cast<linger*>(optval);
        l->l_onoff = on ? 1 : 0;
        l->l_linger = (USHORT)seconds;
        *optlen = sizeof(linger);
        return 0;
    }
    netsys::Option opt;
    if (!OptionOf(level, optname, &opt)) return Fail(WSAENOPROTOOPT);
    int value = 0;
    if (netsys::GetOption(s, opt, &value) != 0) return SOCKET_ERROR;
    if (*optlen >= (int)sizeof(int)) {
        *reinterpret_cast<int*>(optval) = value;
        *optlen = sizeof(int);
    } else {
        optval[0] = (char)value;
        *optlen = 1;
    }
    return 0;
}

int ioctlsocket(SOCKET s, long cmd, u_long* argp) {
    if (!argp) return Fail(WSAEFAULT);
    if (cmd == FIONBIO) return netsys::SetNonBlocking(s, *argp != 0);
    if (cmd == FIONREAD) {
        unsigned long n = 0;
        if (netsys::BytesReadable(s, &n) != 0) return SOCKET_ERROR;
        *argp = n;
        return 0;
    }
    return Fail(WSAEINVAL);
}

int select(int, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, timeval* timeout) {
    netsys::PollItem items[3 * FD_SETSIZE];
    size_t count = 0;
    auto add = [&](fd_set* set, int bit) {
        if (!set) return;
        for (u_int i = 0; i < set->fd_count && i < FD_SETSIZE; ++i) {
            size_t j = 0;
            while (j < count && items[j].fd != set->fd_array[i]) ++j;
            if (j == count) items[count++] = netsys::PollItem{set->fd_array[i], 0, 0};
            items[j].want |= bit;
        }
    };
    add(readfds, netsys::kReadable);
    add(writefds, netsys::kWritable);
    add(exceptfds, netsys::kExcept);
    if (count == 0) return Fail(WSAEINVAL);
    // The system's poll skips negative descriptors; here they are errors.
    for (size_t j = 0; j < count; ++j)
        if (items[j].fd < 0) return Fail(WSAENOTSOCK);
    long ms = -1;
    if (timeout) {
        if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return Fail(WSAEINVAL);
        ms = (long)timeout->tv_sec * 1000 + (long)((timeout->tv_usec + 999) / 1000);
    }
    if (netsys::Poll(items, count, ms) < 0) return SOCKET_ERROR;
    for (size_t j = 0; j < count; ++j)
        if (items[j].got & netsys::kInvalid) return Fail(WSAENOTSOCK);
    // Each set keeps the sockets that are ready for it; the result counts
    // them over all three sets.
    int total = 0;
    auto keep = [&](fd_set* set, int bit) {
        if (!set) return;
        u_int out = 0;
        for (u_int i = 0; i < set->fd_count && i < FD_SETSIZE; ++i) {
            size_t j = 0;
            while (items[j].fd != set->fd_array[i]) ++j;
            if (items[j].got & bit) set->fd_array[out++] = set->fd_array[i];
        }
        set->fd_count = out;
        total += (int)out;
    };
    keep(readfds, netsys::kReadable);
    keep(writefds, netsys::kWritable);
    keep(exceptfds, netsys::kExcept);
    return total;
}

}  // namespace wsock
