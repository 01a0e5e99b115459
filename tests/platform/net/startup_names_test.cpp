#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "net_test_util.h"

TEST(WinsockStartup, GrantsTheVersionAskedForWhenSupported) {
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
    EXPECT_EQ(1, LOBYTE(data.wVersion));
    EXPECT_EQ(1, HIBYTE(data.wVersion));
    EXPECT_EQ(0, WSACleanup());
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &data));
    EXPECT_EQ(MAKEWORD(2, 2), data.wVersion);
    EXPECT_EQ(0, WSACleanup());
    // Newer than supported: the highest supported version is granted.
    ASSERT_EQ(0, WSAStartup(MAKEWORD(3, 0), &data));
    EXPECT_EQ(MAKEWORD(2, 2), data.wVersion);
    EXPECT_EQ(0, WSACleanup());
    EXPECT_EQ(WSAVERNOTSUPPORTED, WSAStartup(MAKEWORD(1, 0), &data));
    EXPECT_EQ(WSAEFAULT, WSAStartup(MAKEWORD(1, 1), nullptr));
}

TEST(WinsockStartup, CleanupWithoutStartupFails) {
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
    ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
    EXPECT_EQ(0, WSACleanup());
    EXPECT_EQ(0, WSACleanup());
    EXPECT_EQ(SOCKET_ERROR, WSACleanup());
    EXPECT_EQ(WSANOTINITIALISED, WSAGetLastError());
}

TEST(WinsockErrors, LastErrorBelongsToTheThread) {
    WSASetLastError(WSAEINTR);
    std::thread([] {
        EXPECT_EQ(0, WSAGetLastError());
        WSASetLastError(WSAECONNRESET);
    }).join();
    EXPECT_EQ(WSAEINTR, WSAGetLastError());
}

TEST(WinsockNames, InetAddrParsesDottedForms) {
    in_addr a;
    a.s_addr = inet_addr("192.168.1.10");
    EXPECT_EQ(192, a.S_un.S_un_b.s_b1);
    EXPECT_EQ(10, a.S_un.S_un_b.s_b4);
    EXPECT_EQ(htonl(0x7f000001), inet_addr("127.0.0.1"));
    EXPECT_EQ(htonl(0x0a000001), inet_addr("10.1"));  // classic short form
    EXPECT_EQ(INADDR_NONE, inet_addr("255.255.255.255"));
    EXPECT_EQ(INADDR_NONE, inet_addr("1.2.3.256"));
    EXPECT_EQ(INADDR_NONE, inet_addr("host.name"));
    EXPECT_EQ(INADDR_NONE, inet_addr(""));
    EXPECT_EQ(INADDR_NONE, inet_addr(nullptr));
}

TEST(WinsockNames, InetNtoaKeepsOneBufferPerThread) {
    in_addr a;
    a.s_addr = inet_addr("10.20.30.40");
    const char* mine = inet_ntoa(a);
    std::string other;
    std::thread([&] {
        in_addr b;
        b.s_addr = inet_addr("1.2.3.4");
        other = inet_ntoa(b);
    }).join();
    EXPECT_STREQ("10.20.30.40", mine);
    EXPECT_EQ("1.2.3.4", other);
}

TEST(WinsockNames, GetHostByNameResolvesAddressesAndLocalNames) {
    hostent* h = gethostbyname("127.0.0.9");
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(AF_INET, h->h_addrtype);
    EXPECT_EQ(4, h->h_length);
    ULONG ip;
    std::memcpy(&ip, h->h_addr, 4);
    EXPECT_EQ(inet_addr("127.0.0.9"), ip);
    EXPECT_EQ(nullptr, h->h_addr_list[1]);
    // The broadcast address is a valid name although inet_addr rejects it.
    h = gethostbyname("255.255.255.255");
    ASSERT_NE(nullptr, h);
    std::memcpy(&ip, h->h_addr_list[0], 4);
    EXPECT_EQ(0xffffffffu, ip);
    h = gethostbyname("localhost");
    ASSERT_NE(nullptr, h);
    std::memcpy(&ip, h->h_addr_list[0], 4);
    EXPECT_EQ(127, ip & 0xff);
    EXPECT_EQ(nullptr, gethostbyname(nullptr));
    EXPECT_EQ(nullptr, gethostbyname(""));
    EXPECT_EQ(WSAHOST_NOT_FOUND, WSAGetLastError());
}

TEST(WinsockNames, GetHostByNameIsSafeAcrossThreads) {
    auto worker = [](const char* text, int* bad) {
        ULONG want = inet_addr(text);
        for (int i = 0; i < 200; ++i) {
            hostent* h = gethostbyname(text);
            ULONG got = 0;
            if (h) std::memcpy(&got, h->h_addr_list[0], 4);
            if (!h || got != want) ++*bad;
        }
    };
    int bad1 = 0, bad2 = 0;
    std::thread t1(worker, "127.0.1.1", &bad1), t2(worker, "127.0.2.2", &bad2);
    t1.join();
    t2.join();
    EXPECT_EQ(0, bad1);
    EXPECT_EQ(0, bad2);
}

TEST(WinsockNames, GetHostNameChecksItsBuffer) {
    char name[256];
    ASSERT_EQ(0, gethostname(name, (int)sizeof(name)));
    EXPECT_GT(std::strlen(name), 0u);
    char tiny[1];
    EXPECT_EQ(SOCKET_ERROR, gethostname(tiny, 1));
    EXPECT_EQ(WSAEFAULT, WSAGetLastError());
}

TEST(WinsockInterfaces, ListsLoopbackWithItsFlags) {
    SOCKET s = WSASocketA(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, 0);
    ASSERT_NE(INVALID_SOCKET, s);
    INTERFACE_INFO list[10];
    DWORD bytes = 0;
    ASSERT_EQ(0, WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, list, sizeof(list), &bytes, nullptr, nullptr));
    ASSERT_EQ(0u, bytes % sizeof(INTERFACE_INFO));
    size_t n = bytes / sizeof(INTERFACE_INFO);
    bool loopback = false;
    for (size_t i = 0; i < n; ++i) {
        if (list[i].iiAddress.AddressIn.sin_addr.s_addr == inet_addr("127.0.0.1")) {
            loopback = true;
            EXPECT_TRUE(list[i].iiFlags & IFF_LOOPBACK);
            EXPECT_TRUE(list[i].iiFlags & IFF_UP);
            EXPECT_FALSE(list[i].iiFlags & IFF_BROADCAST);
            EXPECT_EQ(AF_INET, list[i].iiAddress.AddressIn.sin_family);
        }
    }
    EXPECT_TRUE(loopback);
    // A buffer for one entry gets exactly one.
    ASSERT_EQ(0, WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, list, sizeof(INTERFACE_INFO) + 10, &bytes,
                          nullptr, nullptr));
    EXPECT_EQ(sizeof(INTERFACE_INFO), bytes);
    EXPECT_EQ(SOCKET_ERROR, WSAIoctl(s, 12345, nullptr, 0, list, sizeof(list), &bytes, nullptr, nullptr));
    closesocket(s);
}
