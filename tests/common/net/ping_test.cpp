#include <gtest/gtest.h>

#include <thread>

#include "net_test_support.h"

using namespace nettest;

TEST(Ping, SendsOneFramePerInterval) {
    SOCKET client, server;
    StreamPair("127.0.3.1", &client, &server);
    CCriticalSection lock;
    CPing ping(server, 1, 1, 1, &lock);
    EXPECT_EQ(1000u, ping.m_dwInterval);
    ping.m_dwInterval = 50;
    ASSERT_EQ(1, ping.Start());
    EXPECT_EQ(0, ping.Start());  // already running
    std::string got = ReadFor(client, 400);
    EXPECT_EQ(1, ping.Stop());
    EXPECT_EQ(0, ping.Stop());
    EXPECT_GE(got.size(), 24u);
    EXPECT_EQ(0u, got.size() % 8);
    EXPECT_EQ(std::string::npos, got.find_first_not_of('\0'));
    closesocket(client);
    closesocket(server);
}

TEST(Ping, DatagramStyleSendsToThePeerAddress) {
    SOCKET client, server;
    StreamPair("127.0.3.2", &client, &server);
    CPing ping(server, 0, 1, 0, nullptr);
    ping.m_dwInterval = 50;
    ASSERT_EQ(1, ping.Start());
    std::string got = ReadFor(client, 300);
    ping.Stop();
    EXPECT_GE(got.size(), 16u);
    closesocket(client);
    closesocket(server);
}

TEST(Ping, RunFlagAloneStartsAQuietThread) {
    SOCKET client, server;
    StreamPair("127.0.3.3", &client, &server);
    CPing ping(server, 1, 0, 1, nullptr);
    ping.m_dwInterval = 30;
    ASSERT_EQ(1, ping.Start());
    EXPECT_TRUE(ping.IsRunning());
    EXPECT_EQ("", ReadFor(client, 200));
    EXPECT_EQ(1, ping.Stop());
    closesocket(client);
    closesocket(server);
}

TEST(Ping, RefusesToStartWithoutSocketIntervalOrFlags) {
    CPing none(INVALID_SOCKET, 1, 1, 1, nullptr);
    EXPECT_EQ(0, none.Start());
    SOCKET client, server;
    StreamPair("127.0.3.4", &client, &server);
    CPing noFlags(server, 1, 0, 0, nullptr);
    EXPECT_EQ(0, noFlags.Start());
    CPing noInterval(server, 1, 1, 1, nullptr);
    noInterval.m_dwInterval = 0;
    EXPECT_EQ(0, noInterval.Start());
    closesocket(client);
    closesocket(server);
}

TEST(Ping, EndsByItselfWhenThePeerHasGone) {
    SOCKET client, server;
    StreamPair("127.0.3.5", &client, &server);
    CPing ping(server, 1, 1, 1, nullptr);
    ping.m_dwInterval = 20;
    ASSERT_EQ(1, ping.Start());
    closesocket(client);
    bool ended = false;
    for (int i = 0; i < 200 && !ended; ++i) {
        ended = !ping.IsRunning();
        if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(0, ping.Stop());
    closesocket(server);
}

TEST(Ping, DestructionStopsTheThread) {
    SOCKET client, server;
    StreamPair("127.0.3.6", &client, &server);
    auto t0 = std::chrono::steady_clock::now();
    {
        CPing ping(server, 1, 1, 1, nullptr);
        ASSERT_EQ(1, ping.Start());
    }
    EXPECT_LT(MsSince(t0), 900);  // not a full interval
    closesocket(client);
    closesocket(server);
}
