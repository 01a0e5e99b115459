// Address texts, host names and the interface list.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/net/posix_socket.h"
#include "platform/net/socket_api.h"

namespace {

// What gethostbyname hands out: one record per thread, valid until the
// thread's next call.
struct HostRecord {
    std::string name;
    std::vector<uint32_t> addrs;
    std::vector<char*> addrList;
    char* noAliases[1] = {nullptr};
    hostent entry{};
};
thread_local HostRecord t_host;
thread_local char t_dotted[16];

}  // namespace

inline namespace wsock {

ULONG inet_addr(const char* cp) {
    uint32_t ip = 0;
    if (!cp || !netsys::ParseAddress(cp, &ip)) return INADDR_NONE;
    return ip;
}

char* inet_ntoa(in_addr in) {
    std::snprintf(t_dotted, sizeof(t_dotted), "%u.%u.%u.%u", in.S_un.S_un_b.s_b1, in.S_un.S_un_b.s_b2,
                  in.S_un.S_un_b.s_b3, in.S_un.S_un_b.s_b4);
    return t_dotted;
}

hostent* gethostbyname(const char* name) {
    if (!name) {
        netsys::SetLastError(WSAEFAULT);
        return nullptr;
    }
    // An empty name is nobody's; no look-up is made for it.
    if (*name == '\0') {
        netsys::SetLastError(WSAHOST_NOT_FOUND);
        return nullptr;
    }
    HostRecord& h = t_host;
    int err = netsys::Resolve(name, &h.addrs);
    if (err != 0) {
        netsys::SetLastError(err);
        return nullptr;
    }
    h.name = name;
    h.addrList.clear();
    for (uint32_t& ip : h.addrs) h.addrList.push_back(reinterpret_cast<char*>(&ip));
    h.addrList.push_back(nullptr);
    h.entry.h_name = h.name.data();
    h.entry.h_aliases = h.noAliases;
    h.entry.h_addrtype = AF_INET;
    h.entry.h_length = 4;
    h.entry.h_addr_list = h.addrList.data();
    return &h.entry;
}

int gethostname(char* name, int namelen) {
    if (!name || namelen <= 0) {
        netsys::SetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    std::string host;
    int err = netsys::HostName(&host);
    if (err != 0) {
        netsys::SetLastError(err);
        return SOCKET_ERROR;
    }
    if ((int)host.size() >= namelen) {
        netsys::SetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    std::memcpy(name, host.c_str(), host.size() + 1);
    return 0;
}

int WSAIoctl(SOCKET s, DWORD dwIoControlCode, LPVOID, DWORD, LPVOID lpvOutBuffer, DWORD cbOutBuffer,
             LPDWORD lpcbBytesReturned, LPWSAOVERLAPPED, LPWSAOVERLAPPED_COMPLETION_ROUTINE) {
    if (dwIoControlCode != SIO_GET_INTERFACE_LIST) {
        netsys::SetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    if (!lpvOutBuffer || !lpcbBytesReturned) {
        netsys::SetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    // The socket only names the address family asked about.
    int type = 0, typeLen = sizeof(type);
    if (getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &typeLen) != 0) return SOCKET_ERROR;
    std::vector<netsys::Interface> list;
    int err = netsys::ListInterfaces(&list);
    if (err != 0) {
        netsys::SetLastError(err);
        return SOCKET_ERROR;
    }
    // As many entries as fit; the rest of the system's list is left out.
    size_t room = cbOutBuffer / sizeof(INTERFACE_INFO);
    size_t n = list.size() < room ? list.size() : room;
    INTERFACE_INFO* out = static_cast<INTERFACE_INFO*>(lpvOutBuffer);
    auto fill = [](sockaddr_gen& g, uint32_t ip) {
        std::memset(&g, 0, sizeof(g));
        g.AddressIn.sin_family = AF_INET;
        g.AddressIn.sin_addr.S_un.S_addr = ip;
    };
    for (size_t i = 0; i < n; ++i) {
        const netsys::Interface& f = list[i];
        INTERFACE_INFO info;
        std::memset(&info, 0, sizeof(info));
        info.iiFlags = (f.up ? IFF_UP : 0) | (f.canBroadcast ? IFF_BROADCAST : 0) | (f.loopback ? IFF_LOOPBACK : 0) |
                       (f.pointToPoint ? IFF_POINTTOPOINT : 0) | (f.multicast ? IFF_MULTICAST : 0);
        fill(info.iiAddress, f.ip);
        fill(info.iiBroadcastAddress, f.broadcast);
        fill(info.iiNetmask, f.netmask);
        std::memcpy(&out[i], &info, sizeof(info));
    }
    *lpcbBytesReturned = (DWORD)(n * sizeof(INTERFACE_INFO));
    return 0;
}

}  // namespace wsock
