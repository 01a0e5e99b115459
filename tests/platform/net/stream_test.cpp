#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "net_test_util.h"

using nettest::ConnectTo;
using nettest::Listener;
using nettest::LocalPort;
using nettest::Loopback;

namespace {

struct Pair {
    SOCKET client = INVALID_SOCKET, server = INVALID_SOCKET;
    ~Pair() {
        if (client != INVALID_SOCKET) closesocket(client);
        if (server != INVALID_SOCKET) closesocket(server);
    }
};

void MakePair(const char* ip, Pair* p) {
    SOCKET l = Listener(ip);
    ASSERT_NE(INVALID_SOCKET, l);
    p->client = ConnectTo(ip, LocalPort(l));
    ASSERT_NE(INVALID_SOCKET, p->client);
    sockaddr_in peer{};
    int len = sizeof(peer);
    p->server = accept(l, (sockaddr*)&peer, &len);
    ASSERT_NE(INVALID_SOCKET, p->server);
    EXPECT_EQ(LocalPort(p->client), ntohs(peer.sin_port));
    closesocket(l);
}

// Waits for a non-blocking connect: the select result, with the socket
// left in the sets it is ready for.
int WaitConnect(SOCKET s, fd_set* wr, fd_set* ex) {
    FD_ZERO(wr);
    FD_ZERO(ex);
    FD_SET(s, wr);
    FD_SET(s, ex);
    timeval tv{2, 0};
    return select(0, nullptr, wr, ex, &tv);
}

}  // namespace

TEST(Stream, TransferAndOrderlyClose) {
    Pair p;
    MakePair("127.0.0.31", &p);
    ASSERT_EQ(6, send(p.client, "stream", 6, 0));
    char buf[16];
    int got = 0;
    for (int i = 0; i < 10 && got < 6; ++i) {
        int n = recv(p.server, buf + got, sizeof(buf) - got, 0);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(0, std::memcmp(buf, "stream", 6));
    sockaddr_in name{};
    int len = sizeof(name);
    ASSERT_EQ(0, getpeername(p.server, (sockaddr*)&name, &len));
    EXPECT_EQ(LocalPort(p.client), ntohs(name.sin_port));
    closesocket(p.client);
    p.client = INVALID_SOCKET;
    EXPECT_EQ(0, recv(p.server, buf, sizeof(buf), 0));
}

TEST(Stream, SendingToAClosedPeerFailsWithoutSignal) {
    Pair p;
    MakePair("127.0.0.32", &p);
    linger l{1, 0};  // close with a reset
    ASSERT_EQ(0, setsockopt(p.client, SOL_SOCKET, SO_LINGER, (const char*)&l, sizeof(l)));
    linger back{};
    int len = sizeof(back);
    ASSERT_EQ(0, getsockopt(p.client, SOL_SOCKET, SO_LINGER, (char*)&back, &len));
    EXPECT_EQ(1, back.l_onoff);
    EXPECT_EQ(0, back.l_linger);
    closesocket(p.client);
    p.client = INVALID_SOCKET;
    std::vector<char> data(4096, 'd');
    int result = 0;
    for (int i = 0; i < 50 && result != SOCKET_ERROR; ++i) result = send(p.server, data.data(), (int)data.size(), 0);
    EXPECT_EQ(SOCKET_ERROR, result);
    EXPECT_EQ(WSAECONNRESET, WSAGetLastError());
}

TEST(Stream, RefusedConnectionIsReported) {
    SOCKET l = Listener("127.0.0.33");
    USHORT port = LocalPort(l);
    closesocket(l);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback("127.0.0.33", port);
    EXPECT_EQ(SOCKET_ERROR, connect(s, (sockaddr*)&a, sizeof(a)));
    EXPECT_EQ(WSAECONNREFUSED, WSAGetLastError());
    closesocket(s);
}

TEST(Stream, NonBlockingConnectCompletesThroughSelect) {
    SOCKET l = Listener("127.0.0.34");
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    u_long on = 1;
    ASSERT_EQ(0, ioctlsocket(s, FIONBIO, &on));
    sockaddr_in a = Loopback("127.0.0.34", LocalPort(l));
    int rc = connect(s, (sockaddr*)&a, sizeof(a));
    if (rc == SOCKET_ERROR) {
        EXPECT_EQ(WSAEWOULDBLOCK, WSAGetLastError());
        fd_set wr, ex;
        EXPECT_EQ(1, WaitConnect(s, &wr, &ex));
        EXPECT_TRUE(FD_ISSET(s, &wr));
        EXPECT_FALSE(FD_ISSET(s, &ex));
    }
    int err = -1, len = sizeof(err);
    ASSERT_EQ(0, getsockopt(s, SOL_SOCKET, SO_ERROR, (char*)&err, &len));
    EXPECT_EQ(0, err);
    closesocket(s);
    closesocket(l);
}

TEST(Stream, FailedNonBlockingConnectShowsInExceptionSet) {
    SOCKET l = Listener("127.0.0.35");
    USHORT port = LocalPort(l);
    closesocket(l);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    u_long on = 1;
    ASSERT_EQ(0, ioctlsocket(s, FIONBIO, &on));
    sockaddr_in a = Loopback("127.0.0.35", port);
    if (connect(s, (sockaddr*)&a, sizeof(a)) == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set wr, ex;
        EXPECT_GE(WaitConnect(s, &wr, &ex), 1);
        EXPECT_TRUE(FD_ISSET(s, &ex));
        int err = 0, len = sizeof(err);
        ASSERT_EQ(0, getsockopt(s, SOL_SOCKET, SO_ERROR, (char*)&err, &len));
        EXPECT_EQ(WSAECONNREFUSED, err);
    } else {
        EXPECT_EQ(WSAECONNREFUSED, WSAGetLastError());
    }
    closesocket(s);
}

TEST(Stream, SocketOptions) {
    Pair p;
    MakePair("127.0.0.36", &p);
    BOOL on = TRUE;
    int value = 0, len = sizeof(value);
    ASSERT_EQ(0, setsockopt(p.client, IPPROTO_TCP, TCP_NODELAY, (const char*)&on, sizeof(on)));
    ASSERT_EQ(0, getsockopt(p.client, IPPROTO_TCP, TCP_NODELAY, (char*)&value, &len));
    EXPECT_NE(0, value);
    ASSERT_EQ(0, setsockopt(p.client, SOL_SOCKET, SO_KEEPALIVE, (const char*)&on, sizeof(on)));
    len = sizeof(value);
    ASSERT_EQ(0, getsockopt(p.client, SOL_SOCKET, SO_KEEPALIVE, (char*)&value, &len));
    EXPECT_NE(0, value);
    int size = 65536;
    ASSERT_EQ(0, setsockopt(p.server, SOL_SOCKET, SO_SNDBUF, (const char*)&size, sizeof(size)));
    len = sizeof(value);
    ASSERT_EQ(0, getsockopt(p.server, SOL_SOCKET, SO_SNDBUF, (char*)&value, &len));
    EXPECT_EQ(65536, value);
    DWORD ms = 1500;
    ASSERT_EQ(0, setsockopt(p.server, SOL_SOCKET, SO_SNDTIMEO, (const char*)&ms, sizeof(ms)));
    DWORD back = 0;
    len = sizeof(back);
    ASSERT_EQ(0, getsockopt(p.server, SOL_SOCKET, SO_SNDTIMEO, (char*)&back, &len));
    EXPECT_NEAR(1500, (int)back, 10);
    len = sizeof(value);
    ASSERT_EQ(0, getsockopt(p.server, SOL_SOCKET, SO_TYPE, (char*)&value, &len));
    EXPECT_EQ(SOCK_STREAM, value);
}

TEST(Stream, SendAfterOwnShutdownReportsShutdown) {
    Pair p;
    MakePair("127.0.0.37", &p);
    ASSERT_EQ(0, shutdown(p.client, SD_SEND));
    EXPECT_EQ(SOCKET_ERROR, send(p.client, "x", 1, 0));
    EXPECT_EQ(WSAESHUTDOWN, WSAGetLastError());
    char c;
    EXPECT_EQ(0, recv(p.server, &c, 1, 0));
    EXPECT_EQ(SOCKET_ERROR, shutdown(p.client, 7));
}
