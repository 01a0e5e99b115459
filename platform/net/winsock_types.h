// Types, structures and constants of the Windows Sockets interface the
// program is written against. Everything lives in an inline namespace so
// that the names stay distinct from the C library's own socket structures,
// which the implementation uses underneath.
#pragma once

#include "platform/base/win_types.h"
#include "platform/net/winsock_errors.h"

// The C library declares its bitmap fd_set, timeval and select() in every
// translation unit (through <stdlib.h>). Include it first, then take over
// the fd_set name and the FD_ macros: a Winsock fd_set is a count and an
// array of handles, so descriptors of any value fit and none can overflow.
#include <sys/select.h>
#include <sys/types.h>

#undef FD_SETSIZE
#undef FD_SET
#undef FD_CLR
#undef FD_ISSET
#undef FD_ZERO
#define fd_set wsock_fd_set
#define FD_SETSIZE 64

inline namespace wsock {

typedef int SOCKET;
#define INVALID_SOCKET ((SOCKET)-1)
#define SOCKET_ERROR (-1)

struct wsock_fd_set {
    u_int fd_count;
    SOCKET fd_array[FD_SETSIZE];
};
typedef wsock_fd_set* PFD_SET;
typedef wsock_fd_set* LPFD_SET;

// Adding to a full set is ignored rather than written past the array.
inline void WSAFDSetAdd(SOCKET s, wsock_fd_set* set) {
    for (u_int i = 0; i < set->fd_count; ++i)
        if (set->fd_array[i] == s) return;
    if (set->fd_count < FD_SETSIZE) set->fd_array[set->fd_count++] = s;
}
inline void WSAFDSetRemove(SOCKET s, wsock_fd_set* set) {
    for (u_int i = 0; i < set->fd_count; ++i) {
        if (set->fd_array[i] == s) {
            for (u_int j = i + 1; j < set->fd_count; ++j) set->fd_array[j - 1] = set->fd_array[j];
            --set->fd_count;
            return;
        }
    }
}
inline int WSAFDIsSet(SOCKET s, const wsock_fd_set* set) {
    for (u_int i = 0; i < set->fd_count; ++i)
        if (set->fd_array[i] == s) return 1;
    return 0;
}
#define FD_SET(fd, set) WSAFDSetAdd((SOCKET)(fd), (set))
#define FD_CLR(fd, set) WSAFDSetRemove((SOCKET)(fd), (set))
#define FD_ISSET(fd, set) WSAFDIsSet((SOCKET)(fd), (set))
#define FD_ZERO(set) ((void)((set)->fd_count = 0))

typedef struct timeval TIMEVAL, *PTIMEVAL, *LPTIMEVAL;

struct in_addr {
    union {
        struct {
            UCHAR s_b1, s_b2, s_b3, s_b4;
        } S_un_b;
        struct {
            USHORT s_w1, s_w2;
        } S_un_w;
        ULONG S_addr;
    } S_un;
};
#define s_addr S_un.S_addr
typedef struct in_addr IN_ADDR, *PIN_ADDR, *LPIN_ADDR;

struct sockaddr {
    USHORT sa_family;
    CHAR sa_data[14];
};
typedef struct sockaddr SOCKADDR, *PSOCKADDR, *LPSOCKADDR;

struct sockaddr_in {
    SHORT sin_family;
    USHORT sin_port;
    struct in_addr sin_addr;
    CHAR sin_zero[8];
};
typedef struct sockaddr_in SOCKADDR_IN, *PSOCKADDR_IN, *LPSOCKADDR_IN;
static_assert(sizeof(sockaddr_in) == 16, "an IPv4 socket address is 16 bytes");

struct hostent {
    char* h_name;
    char** h_aliases;
    SHORT h_addrtype;
    SHORT h_length;
    char** h_addr_list;
};
#define h_addr h_addr_list[0]
typedef struct hostent HOSTENT, *PHOSTENT, *LPHOSTENT;

struct linger {
    USHORT l_onoff;
    USHORT l_linger;
};
typedef struct linger LINGER, *PLINGER, *LPLINGER;

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128
typedef struct WSAData {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
    USHORT iMaxSockets;
    USHORT iMaxUdpDg;
    char* lpVendorInfo;
} WSADATA, *LPWSADATA;

// One entry of the interface list: the 24-byte address slots leave room
// for the larger address form the layout reserves.
typedef union sockaddr_gen {
    struct sockaddr Address;
    struct sockaddr_in AddressIn;
    CHAR AddressPadding[24];
} sockaddr_gen;
typedef struct _INTERFACE_INFO {
    ULONG iiFlags;
    sockaddr_gen iiAddress;
    sockaddr_gen iiBroadcastAddress;
    sockaddr_gen iiNetmask;
} INTERFACE_INFO, *LPINTERFACE_INFO;
static_assert(sizeof(INTERFACE_INFO) == 76, "an interface entry is 76 bytes");

typedef struct _WSAOVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
} WSAOVERLAPPED, *LPWSAOVERLAPPED;
typedef void(CALLBACK* LPWSAOVERLAPPED_COMPLETION_ROUTINE)(DWORD dwError, DWORD cbTransferred,
                                                           LPWSAOVERLAPPED lpOverlapped, DWORD dwFlags);
typedef struct _WSAPROTOCOL_INFOA* LPWSAPROTOCOL_INFOA;
typedef unsigned int GROUP;

}  // namespace wsock

#define AF_UNSPEC 0
#define AF_INET 2
#define PF_UNSPEC AF_UNSPEC
#define PF_INET AF_INET

#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define SOCK_RAW 3

#define IPPROTO_IP 0
#define IPPROTO_TCP 6
#define IPPROTO_UDP 17

#define INADDR_ANY ((ULONG)0x00000000)
#define INADDR_LOOPBACK ((ULONG)0x7f000001)
#define INADDR_BROADCAST ((ULONG)0xffffffff)
#define INADDR_NONE ((ULONG)0xffffffff)

#define SOL_SOCKET 0xffff
#define SO_DEBUG 0x0001
#define SO_ACCEPTCONN 0x0002
#define SO_REUSEADDR 0x0004
#define SO_KEEPALIVE 0x0008
#define SO_DONTROUTE 0x0010
#define SO_BROADCAST 0x0020
#define SO_LINGER 0x0080
#define SO_OOBINLINE 0x0100
#define SO_SNDBUF 0x1001
#define SO_RCVBUF 0x1002
#define SO_SNDTIMEO 0x1005
#define SO_RCVTIMEO 0x1006
#define SO_ERROR 0x1007
#define SO_TYPE 0x1008
#define TCP_NODELAY 0x0001

#define MSG_OOB 0x1
#define MSG_PEEK 0x2
#define MSG_DONTROUTE 0x4

#define SD_RECEIVE 0
#define SD_SEND 1
#define SD_BOTH 2

#define SOMAXCONN 0x7fffffff

#define FIONREAD ((long)0x4004667F)
#define FIONBIO ((long)(int)0x8004667E)
#define SIO_GET_INTERFACE_LIST ((DWORD)0x4004747F)

#define IFF_UP 0x00000001
#define IFF_BROADCAST 0x00000002
#define IFF_LOOPBACK 0x00000004
#define IFF_POINTTOPOINT 0x00000008
#define IFF_MULTICAST 0x00000010

#define WSA_FLAG_OVERLAPPED 0x01
