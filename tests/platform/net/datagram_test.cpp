#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "net_test_util.h"

using nettest::BoundUdp;
using nettest::LocalPort;
using nettest::Loopback;

namespace {

int SendUdp(SOCKET from, const char* ip, USHORT port, const void* data, int len) {
    sockaddr_in to = Loopback(ip, port);
    return sendto(from, (const char*)data, len, 0, (sockaddr*)&to, sizeof(to));
}

}  // namespace

TEST(Datagram, RoundTripReportsTheSender) {
    SOCKET a = BoundUdp("127.0.0.11"), b = BoundUdp("127.0.0.12");
    ASSERT_NE(INVALID_SOCKET, a);
    ASSERT_NE(INVALID_SOCKET, b);
    ASSERT_EQ(5, SendUdp(a, "127.0.0.12", LocalPort(b), "hello", 5));
    char buf[64];
    sockaddr_in from{};
    int fromLen = sizeof(from);
    ASSERT_EQ(5, recvfrom(b, buf, sizeof(buf), 0, (sockaddr*)&from, &fromLen));
    EXPECT_EQ(0, std::memcmp(buf, "hello", 5));
    EXPECT_EQ((int)sizeof(sockaddr_in), fromLen);
    EXPECT_EQ(AF_INET, from.sin_family);
    EXPECT_STREQ("127.0.0.11", inet_ntoa(from.sin_addr));
    EXPECT_EQ(LocalPort(a), ntohs(from.sin_port));
    // An empty datagram is a datagram of length 0, not an error.
    ASSERT_EQ(0, SendUdp(a, "127.0.0.12", LocalPort(b), "", 0));
    EXPECT_EQ(0, recv(b, buf, sizeof(buf), 0));
    closesocket(a);
    closesocket(b);
}

TEST(Datagram, OversizedDatagramIsDroppedNotCut) {
    SOCKET a = BoundUdp("127.0.0.13"), b = BoundUdp("127.0.0.14");
    ASSERT_NE(INVALID_SOCKET, b);
    std::vector<char> big(2000, 'x');
    ASSERT_EQ(2000, SendUdp(a, "127.0.0.14", LocalPort(b), big.data(), (int)big.size()));
    ASSERT_EQ(3, SendUdp(a, "127.0.0.14", LocalPort(b), "abc", 3));
    char buf[1024];
    sockaddr_in from{};
    int fromLen = sizeof(from);
    EXPECT_EQ(SOCKET_ERROR, recvfrom(b, buf, sizeof(buf), 0, (sockaddr*)&from, &fromLen));
    EXPECT_EQ(WSAEMSGSIZE, WSAGetLastError());
    // The next datagram comes whole.
    ASSERT_EQ(3, recv(b, buf, sizeof(buf), 0));
    EXPECT_EQ(0, std::memcmp(buf, "abc", 3));
    closesocket(a);
    closesocket(b);
}

TEST(Datagram, ConnectedSocketTakesOnlyItsPeer) {
    SOCKET peer = BoundUdp("127.0.0.15"), stranger = BoundUdp("127.0.0.16"), me = BoundUdp("127.0.0.17");
    sockaddr_in to = Loopback("127.0.0.15", LocalPort(peer));
    ASSERT_EQ(0, connect(me, (sockaddr*)&to, sizeof(to)));
    ASSERT_EQ(1, SendUdp(stranger, "127.0.0.17", LocalPort(me), "s", 1));
    ASSERT_EQ(1, SendUdp(peer, "127.0.0.17", LocalPort(me), "p", 1));
    char c = 0;
    ASSERT_EQ(1, recv(me, &c, 1, 0));
    EXPECT_EQ('p', c);
    ASSERT_EQ(2, send(me, "ok", 2, 0));
    char buf[4];
    ASSERT_EQ(2, recv(peer, buf, sizeof(buf), 0));
    closesocket(peer);
    closesocket(stranger);
    closesocket(me);
}

TEST(Datagram, OptionsReadBackAsSet) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(INVALID_SOCKET, s);
    int value = 0, len = sizeof(value);
    ASSERT_EQ(0, getsockopt(s, SOL_SOCKET, SO_BROADCAST, (char*)&value, &len));
    EXPECT_EQ(0, value);
    BOOL on = TRUE;
    ASSERT_EQ(0, setsockopt(s, SOL_SOCKET, SO_BROADCAST, (const char*)&on, sizeof(on)));
    len = sizeof(value);
    ASSERT_EQ(0, getsockopt(s, SOL_SOCKET, SO_BROADCAST, (char*)&value, &len));
    EXPECT_NE(0, value);
    int size = 65536;
    ASSERT_EQ(0, setsockopt(s, SOL_SOCKET, SO_RCVBUF, (const char*)&size, sizeof(size)));
    len = sizeof(value);
    ASSERT_EQ(0, getsockopt(s, SOL_SOCKET, SO_RCVBUF, (char*)&value, &len));
    EXPECT_EQ(65536, value);
    len = sizeof(value);
    ASSERT_EQ(0, getsockopt(s, SOL_SOCKET, SO_TYPE, (char*)&value, &len));
    EXPECT_EQ(SOCK_DGRAM, value);
    DWORD ms = 250;
    ASSERT_EQ(0, setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, (const char*)&ms, sizeof(ms)));
    DWORD back = 0;
    len = sizeof(back);
    ASSERT_EQ(0, getsockopt(s, SOL_SOCKET, SO_RCVTIMEO, (char*)&back, &len));
    EXPECT_NEAR(250, (int)back, 10);  // the system keeps time-outs in clock ticks
    EXPECT_EQ(SOCKET_ERROR, setsockopt(s, SOL_SOCKET, 0x7777, (const char*)&on, sizeof(on)));
    EXPECT_EQ(WSAENOPROTOOPT, WSAGetLastError());
    closesocket(s);
}

TEST(Datagram, ReceiveTimeoutEndsAWaitWithTimedOut) {
    SOCKET s = BoundUdp("127.0.0.18");
    DWORD ms = 100;
    ASSERT_EQ(0, setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, (const char*)&ms, sizeof(ms)));
    char buf[8];
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(SOCKET_ERROR, recv(s, buf, sizeof(buf), 0));
    EXPECT_EQ(WSAETIMEDOUT, WSAGetLastError());
    EXPECT_GE(nettest::MsSince(t0), 80);
    EXPECT_LT(nettest::MsSince(t0), 1000);
    closesocket(s);
}

TEST(Datagram, NonBlockingAndBytesWaiting) {
    SOCKET a = BoundUdp("127.0.0.19"), b = BoundUdp("127.0.0.20");
    u_long on = 1;
    ASSERT_EQ(0, ioctlsocket(b, FIONBIO, &on));
    char buf[16];
    EXPECT_EQ(SOCKET_ERROR, recv(b, buf, sizeof(buf), 0));
    EXPECT_EQ(WSAEWOULDBLOCK, WSAGetLastError());
    ASSERT_EQ(7, SendUdp(a, "127.0.0.20", LocalPort(b), "seven!!", 7));
    u_long waiting = 0;
    for (int i = 0; i < 100 && waiting == 0; ++i) {
        ASSERT_EQ(0, ioctlsocket(b, FIONREAD, &waiting));
        if (!waiting) usleep(5000);
    }
    EXPECT_EQ(7u, waiting);
    closesocket(a);
    closesocket(b);
}

TEST(Datagram, ReuseAddressLetsTwoSocketsSharePort) {
    SOCKET first = socket(AF_INET, SOCK_DGRAM, 0), second = socket(AF_INET, SOCK_DGRAM, 0), third = socket(AF_INET, SOCK_DGRAM, 0);
    BOOL on = TRUE;
    ASSERT_EQ(0, setsockopt(first, SOL_SOCKET, SO_REUSEADDR, (const char*)&on, sizeof(on)));
    ASSERT_EQ(0, setsockopt(second, SOL_SOCKET, SO_REUSEADDR, (const char*)&on, sizeof(on)));
    sockaddr_in a = Loopback("127.0.0.21", 0);
    ASSERT_EQ(0, bind(first, (sockaddr*)&a, sizeof(a)));
    a.sin_port = htons(LocalPort(first));
    EXPECT_EQ(0, bind(second, (sockaddr*)&a, sizeof(a)));
    // Without the option the port stays taken.
    EXPECT_EQ(SOCKET_ERROR, bind(third, (sockaddr*)&a, sizeof(a)));
    EXPECT_EQ(WSAEADDRINUSE, WSAGetLastError());
    closesocket(first);
    closesocket(second);
    closesocket(third);
}

TEST(Datagram, BadHandlesAndArguments) {
    char buf[4];
    EXPECT_EQ(SOCKET_ERROR, recv(INVALID_SOCKET, buf, 4, 0));
    EXPECT_EQ(WSAENOTSOCK, WSAGetLastError());
    EXPECT_EQ(SOCKET_ERROR, closesocket(INVALID_SOCKET));
    EXPECT_EQ(WSAENOTSOCK, WSAGetLastError());
    EXPECT_EQ(INVALID_SOCKET, socket(AF_INET, 99, 0));
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = Loopback("127.0.0.22", 0);
    EXPECT_EQ(SOCKET_ERROR, bind(s, (sockaddr*)&a, 8));
    EXPECT_EQ(WSAEFAULT, WSAGetLastError());
    a.sin_family = 99;
    EXPECT_EQ(SOCKET_ERROR, bind(s, (sockaddr*)&a, sizeof(a)));
    EXPECT_EQ(WSAEAFNOSUPPORT, WSAGetLastError());
    closesocket(s);
}

// Descriptor 0 is a socket like any other.
TEST(Datagram, DescriptorZeroIsAValidSocket) {
    int savedStdin = dup(0);
    ASSERT_GE(savedStdin, 0);
    SOCKET s = BoundUdp("127.0.0.23");
    ASSERT_NE(INVALID_SOCKET, s);
    ASSERT_EQ(0, dup2(s, 0));
    closesocket(s);
    SOCKET zero = 0;
    SOCKET a = BoundUdp("127.0.0.24");
    ASSERT_EQ(4, SendUdp(a, "127.0.0.23", LocalPort(zero), "zero", 4));
    fd_set rd;
    FD_ZERO(&rd);
    FD_SET(zero, &rd);
    timeval tv{1, 0};
    EXPECT_EQ(1, select(0, &rd, nullptr, nullptr, &tv));
    EXPECT_TRUE(FD_ISSET(zero, &rd));
    char buf[8];
    EXPECT_EQ(4, recv(zero, buf, sizeof(buf), 0));
    closesocket(a);
    ASSERT_EQ(0, dup2(savedStdin, 0));
    close(savedStdin);
}
