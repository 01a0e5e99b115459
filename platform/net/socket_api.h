// The Windows Sockets functions, implemented over the system's BSD sockets.
// Failures return SOCKET_ERROR (or INVALID_SOCKET, or null) and leave a WSA
// error code for WSAGetLastError in the calling thread.
//
// Linux differences the implementation takes care of:
// - a datagram longer than the receive buffer is dropped and reported as
//   WSAEMSGSIZE, never handed on cut short;
// - sending to a peer that has gone never raises SIGPIPE;
// - closing a descriptor does not wake a thread blocked on it. To stop such a
//   thread, call shutdown(s, SD_BOTH): a blocked recv, recvfrom, accept or
//   select returns at once (a datagram socket then reports WSAESHUTDOWN from
//   its receives), and the descriptor stays valid until closesocket, which
//   should follow once the thread has been joined.
#pragma once

#include "platform/net/winsock_types.h"

#include <bit>

inline namespace wsock {

int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData);
int WSACleanup();
// Lets tests play a machine whose sockets layer is not ready: while set,
// WSAStartup fails with WSASYSNOTREADY.
void SetSocketsUnavailable(bool unavailable);
int WSAGetLastError();
void WSASetLastError(int iError);

SOCKET socket(int af, int type, int protocol);
SOCKET WSASocketA(int af, int type, int protocol, LPWSAPROTOCOL_INFOA lpProtocolInfo, GROUP g, DWORD dwFlags);
int closesocket(SOCKET s);
int shutdown(SOCKET s, int how);

int bind(SOCKET s, const struct sockaddr* name, int namelen);
int connect(SOCKET s, const struct sockaddr* name, int namelen);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, struct sockaddr* addr, int* addrlen);
int getsockname(SOCKET s, struct sockaddr* name, int* namelen);
int getpeername(SOCKET s, struct sockaddr* name, int* namelen);

int send(SOCKET s, const char* buf, int len, int flags);
int sendto(SOCKET s, const char* buf, int len, int flags, const struct sockaddr* to, int tolen);
int recv(SOCKET s, char* buf, int len, int flags);
int recvfrom(SOCKET s, char* buf, int len, int flags, struct sockaddr* from, int* fromlen);

// Not a Windows Sockets function but ours: sends each buffer as a datagram
// of its own to the peer of a connected datagram socket, in order, with as
// few system calls as the system allows (the datagrams on the wire are those
// of one send per buffer). The number of datagrams sent, fewer when an error
// stopped the rest; SOCKET_ERROR when none went.
struct DATAGRAM_BUFFER {
    const char* buf;
    int len;
};
int SendDatagrams(SOCKET s, const DATAGRAM_BUFFER* datagrams, int count);

// The first argument is ignored; the sets say which sockets to watch.
// A null timeout waits without limit. The time-out is taken non-const like
// the C library's own select, so that a call with three null sets is
// ambiguous at compile time instead of silently reaching that one.
int select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, struct timeval* timeout);

// SO_RCVTIMEO and SO_SNDTIMEO take a DWORD of milliseconds; boolean options
// take an int (a single byte is accepted too).
int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
int getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen);
int ioctlsocket(SOCKET s, long cmd, u_long* argp);

// SIO_GET_INTERFACE_LIST fills as many INTERFACE_INFO entries for the IPv4
// interfaces as the output buffer holds.
int WSAIoctl(SOCKET s, DWORD dwIoControlCode, LPVOID lpvInBuffer, DWORD cbInBuffer, LPVOID lpvOutBuffer,
             DWORD cbOutBuffer, LPDWORD lpcbBytesReturned, LPWSAOVERLAPPED lpOverlapped,
             LPWSAOVERLAPPED_COMPLETION_ROUTINE lpCompletionRoutine);

// INADDR_NONE for text that is not an address (also for "255.255.255.255").
ULONG inet_addr(const char* cp);
// The text lives in a buffer of the calling thread until its next call.
char* inet_ntoa(struct in_addr in);
// IPv4 only; the result lives in storage of the calling thread until its
// next call.
struct hostent* gethostbyname(const char* name);
int gethostname(char* name, int namelen);

inline USHORT htons(USHORT v) {
    if constexpr (std::endian::native == std::endian::big) return v;
    return (USHORT)((v << 8) | (v >> 8));
}
inline USHORT ntohs(USHORT v) { return htons(v); }
inline ULONG htonl(ULONG v) {
    if constexpr (std::endian::native == std::endian::big) return v;
    return ((v & 0xffu) << 24) | ((v & 0xff00u) << 8) | ((v >> 8) & 0xff00u) | (v >> 24);
}
inline ULONG ntohl(ULONG v) { return htonl(v); }

}  // namespace wsock
