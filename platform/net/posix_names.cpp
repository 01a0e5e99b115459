// Addresses, names and interfaces from the system.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/net/posix_socket.h"
#include "platform/net/winsock_errors.h"

namespace netsys {

bool ParseAddress(const char* text, uint32_t* ip) {
    in_addr a{};
    if (!text || inet_aton(text, &a) == 0) return false;
    *ip = a.s_addr;
    return true;
}

int Resolve(const char* name, std::vector<uint32_t>* addrs) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    // No AI_CANONNAME: it may cost a look-up of its own, and nothing reads
    // more than the name given.
    addrinfo* list = nullptr;
    int rc = getaddrinfo(name, nullptr, &hints, &list);
    if (rc != 0) {
        switch (rc) {
        case EAI_NONAME: return WSAHOST_NOT_FOUND;
        case EAI_AGAIN: return WSATRY_AGAIN;
        case EAI_NODATA:
        case EAI_ADDRFAMILY: return WSANO_DATA;
        default: return WSANO_RECOVERY;
        }
    }
    addrs->clear();
    for (addrinfo* p = list; p; p = p->ai_next) {
        if (p->ai_family != AF_INET || !p->ai_addr) continue;
        uint32_t ip = reinterpret_cast<sockaddr_in*>(p->ai_addr)->sin_addr.s_addr;
        if (std::find(addrs->begin(), addrs->end(), ip) == addrs->end()) addrs->push_back(ip);
    }
    freeaddrinfo(list);
    return addrs->empty() ? WSANO_DATA : 0;
}

int HostName(std::string* name) {
    char buf[HOST_NAME_MAX + 1] = {};
    if (::gethostname(buf, sizeof(buf) - 1) != 0) return ErrorFromErrno(errno);
    name->assign(buf);
    return 0;
}

int ListInterfaces(std::vector<Interface>* list) {
    ifaddrs* all = nullptr;
    if (getifaddrs(&all) != 0) return ErrorFromErrno(errno);
    list->clear();
    for (ifaddrs* p = all; p; p = p->ifa_next) {
        if (!p->ifa_addr || p->ifa_addr->sa_family != AF_INET) continue;
        Interface info;
        info.ip = reinterpret_cast<sockaddr_in*>(p->ifa_addr)->sin_addr.s_addr;
        if (p->ifa_netmask) info.netmask = reinterpret_cast<sockaddr_in*>(p->ifa_netmask)->sin_addr.s_addr;
        info.up = (p->ifa_flags & IFF_UP) != 0;
        info.canBroadcast = (p->ifa_flags & IFF_BROADCAST) != 0;
        info.loopback = (p->ifa_flags & IFF_LOOPBACK) != 0;
        info.pointToPoint = (p->ifa_flags & IFF_POINTOPOINT) != 0;
        info.multicast = (p->ifa_flags & IFF_MULTICAST) != 0;
        if (info.canBroadcast && p->ifa_broadaddr)
            info.broadcast = reinterpret_cast<sockaddr_in*>(p->ifa_broadaddr)->sin_addr.s_addr;
        list->push_back(info);
    }
    freeifaddrs(all);
    return 0;
}

}  // namespace netsys
