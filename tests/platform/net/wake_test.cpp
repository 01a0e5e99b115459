// A thread blocked on a socket must be stoppable without closing the
// descriptor under it: shutdown wakes it, the owner joins it, then closes.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "net_test_util.h"

namespace {

// Runs call on a thread, shuts s down once the thread is (very likely)
// blocked, and returns how long the thread took to come back after that.
long long MsToWake(SOCKET s, const std::function<int()>& call, int* result, int* error) {
    std::atomic<bool> done{false};
    std::thread t([&] {
        *result = call();
        *error = WSAGetLastError();
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(done.load()) << "the call did not block";
    auto t0 = std::chrono::steady_clock::now();
    shutdown(s, SD_BOTH);
    for (int i = 0; i < 300 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    long long ms = nettest::MsSince(t0);
    if (!done) {
        // Leave no thread blocked behind: close to let the test fail cleanly.
        ADD_FAILURE() << "the blocked call did not return";
        closesocket(s);
        t.detach();
        return ms;
    }
    t.join();
    return ms;
}

// The descriptor is still open (and still this socket) after the wake-up.
bool StillOpen(SOCKET s) {
    sockaddr_in a{};
    int len = sizeof(a);
    return getsockname(s, (sockaddr*)&a, &len) == 0;
}

}  // namespace

TEST(Wake, ShutdownEndsABlockedDatagramReceive) {
    SOCKET s = nettest::BoundUdp("127.0.0.51");
    int result = 0, error = 0;
    char buf[64];
    sockaddr_in from{};
    int fromLen = sizeof(from);
    long long ms = MsToWake(s, [&] { return recvfrom(s, buf, sizeof(buf), 0, (sockaddr*)&from, &fromLen); },
                            &result, &error);
    EXPECT_LT(ms, 1000);
    // Not an empty datagram: the socket was shut down.
    EXPECT_EQ(SOCKET_ERROR, result);
    EXPECT_EQ(WSAESHUTDOWN, error);
    EXPECT_TRUE(StillOpen(s));
    EXPECT_EQ(SOCKET_ERROR, recv(s, buf, sizeof(buf), 0));
    EXPECT_EQ(WSAESHUTDOWN, WSAGetLastError());
    EXPECT_EQ(0, closesocket(s));
}

TEST(Wake, ShutdownEndsABlockedStreamReceive) {
    SOCKET l = nettest::Listener("127.0.0.52");
    SOCKET c = nettest::ConnectTo("127.0.0.52", nettest::LocalPort(l));
    SOCKET s = accept(l, nullptr, nullptr);
    ASSERT_NE(INVALID_SOCKET, s);
    int result = 0, error = 0;
    char buf[64];
    long long ms = MsToWake(s, [&] { return recv(s, buf, sizeof(buf), 0); }, &result, &error);
    EXPECT_LT(ms, 1000);
    EXPECT_LE(result, 0);
    EXPECT_TRUE(StillOpen(s));
    // The peer sees the connection end.
    EXPECT_EQ(0, recv(c, buf, sizeof(buf), 0));
    closesocket(s);
    closesocket(c);
    closesocket(l);
}

TEST(Wake, ShutdownEndsABlockedAccept) {
    SOCKET l = nettest::Listener("127.0.0.53");
    int result = 0, error = 0;
    long long ms = MsToWake(l, [&] { return (int)accept(l, nullptr, nullptr); }, &result, &error);
    EXPECT_LT(ms, 1000);
    EXPECT_EQ(INVALID_SOCKET, result);
    EXPECT_TRUE(StillOpen(l));
    closesocket(l);
}

TEST(Wake, ShutdownEndsABlockedSelect) {
    SOCKET s = nettest::BoundUdp("127.0.0.54");
    int result = 0, error = 0;
    fd_set rd;
    long long ms = MsToWake(s,
                            [&] {
                                FD_ZERO(&rd);
                                FD_SET(s, &rd);
                                return select(0, &rd, nullptr, nullptr, nullptr);
                            },
                            &result, &error);
    EXPECT_LT(ms, 1000);
    EXPECT_EQ(1, result);
    EXPECT_TRUE(StillOpen(s));
    closesocket(s);
}

TEST(Wake, ShutdownOfAListenerRefusesNewClients) {
    SOCKET l = nettest::Listener("127.0.0.55");
    USHORT port = nettest::LocalPort(l);
    shutdown(l, SD_BOTH);
    EXPECT_EQ(INVALID_SOCKET, nettest::ConnectTo("127.0.0.55", port));
    closesocket(l);
}
