// Interfaces and broadcasts inside a network namespace of the test's own:
// a child process unshares its network, adds veth pairs, checks, and exits,
// which removes the namespace with everything in it.
#include <gtest/gtest.h>

#include "netns_util.h"
#include "net_test_util.h"

using nettest::AddPair;
using nettest::InNamespace;
using nettest::kSkip;

TEST(Namespace, InterfaceListHasFlagsAndFillsOnlyTheBuffer) {
    int rc = InNamespace([] {
        for (int n = 0; n < 6; ++n)
            if (!AddPair(n)) return kSkip;
        SOCKET s = WSASocketA(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, 0);
        INTERFACE_INFO list[20];
        DWORD bytes = 0;
        if (WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, list, sizeof(list), &bytes, nullptr, nullptr) != 0)
            return 1;
        if (bytes != 13 * sizeof(INTERFACE_INFO)) return 2;  // loopback and twelve veth ends
        int usable = 0;
        for (int i = 0; i < 13; ++i) {
            ULONG f = list[i].iiFlags;
            if ((f & IFF_UP) && (f & IFF_BROADCAST) && !(f & IFF_LOOPBACK)) {
                ++usable;
                in_addr bc = list[i].iiBroadcastAddress.AddressIn.sin_addr;
                if (bc.S_un.S_un_b.s_b4 != 255 || bc.S_un.S_un_b.s_b1 != 10) return 3;
                if (list[i].iiNetmask.AddressIn.sin_addr.s_addr != inet_addr("255.255.255.0")) return 4;
            }
        }
        if (usable != 12) return 5;
        // The 760-byte buffer of ten entries gets the first ten.
        if (WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, list, 760, &bytes, nullptr, nullptr) != 0) return 6;
        if (bytes != 760) return 7;
        closesocket(s);
        return 0;
    });
    if (rc == kSkip) GTEST_SKIP() << nettest::kSkipReason;
    EXPECT_EQ(0, rc);
}

TEST(Namespace, BroadcastNeedsTheOptionAndReachesLocalListeners) {
    int rc = InNamespace([] {
        if (!AddPair(1)) return kSkip;
        SOCKET listener = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_port = htons(50013);
        any.sin_addr.s_addr = INADDR_ANY;
        if (bind(listener, (sockaddr*)&any, sizeof(any)) != 0) return 1;
        SOCKET sender = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local = nettest::Loopback("10.77.1.1", 0);
        if (bind(sender, (sockaddr*)&local, sizeof(local)) != 0) return 2;
        sockaddr_in to = any;
        to.sin_addr.s_addr = INADDR_BROADCAST;
        if (sendto(sender, "b", 1, 0, (sockaddr*)&to, sizeof(to)) != SOCKET_ERROR) return 3;
        if (WSAGetLastError() != WSAEACCES) return 4;
        BOOL on = TRUE;
        setsockopt(sender, SOL_SOCKET, SO_BROADCAST, (const char*)&on, sizeof(on));
        if (sendto(sender, "b", 1, 0, (sockaddr*)&to, sizeof(to)) != 1) return 5;
        fd_set rd;
        FD_ZERO(&rd);
        FD_SET(listener, &rd);
        timeval tv{2, 0};
        if (select(0, &rd, nullptr, nullptr, &tv) != 1) return 6;
        sockaddr_in from{};
        int len = sizeof(from);
        char c = 0;
        if (recvfrom(listener, &c, 1, 0, (sockaddr*)&from, &len) != 1 || c != 'b') return 7;
        if (from.sin_addr.s_addr != inet_addr("10.77.1.1")) return 8;
        return 0;
    });
    if (rc == kSkip) GTEST_SKIP() << nettest::kSkipReason;
    EXPECT_EQ(0, rc);
}
