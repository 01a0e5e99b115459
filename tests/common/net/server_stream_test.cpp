#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "net_test_support.h"

using namespace nettest;

namespace {

_TIPServerConfig StreamSettings(Recorder* r, const char* ip, int multi) {
    _TIPServerConfig s;
    s.m_nProtocol = 0;
    s.m_nPort = 0;
    s.m_strBindAddress = ip;
    s.m_pfnCallback = &Recorder::Callback;
    s.m_pContext = r;
    s.m_bMultiClient = multi;
    s.m_dwReceiveTimeout = 5000;
    return s;
}

bool WaitUntil(const std::function<bool()>& done, int ms = 3000) {
    auto t0 = std::chrono::steady_clock::now();
    while (!done()) {
        if (MsSince(t0) > ms) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

TEST(IPServerSingle, ServesOneConnectionAtATime) {
    Recorder r;
    CIPServer server;
    server.Start(StreamSettings(&r, "127.0.5.1", 0));
    ASSERT_TRUE(server.IsRunning());
    int port = PortOf(server.GetSocket());
    SOCKET first = Connect("127.0.5.1", port);
    ASSERT_TRUE(r.WaitFor(IP_SERVER_CONNECTED, 1));
    ASSERT_TRUE(SendAll(first, Frame(0, "") + Frame(3, "abc") + Frame(4, "")));
    ASSERT_TRUE(r.WaitFor(IP_SERVER_PACKET, 2));
    // The second client waits in the backlog while the first is served.
    SOCKET second = Connect("127.0.5.1", port);
    ASSERT_NE(INVALID_SOCKET, second);
    ASSERT_TRUE(SendAll(second, Frame(8, "later")));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(1, r.Count(IP_SERVER_CONNECTED));
    // Keep-alives reach the client that is served.
    std::string keepAlive = ReadFor(first, 1300);
    EXPECT_GE(keepAlive.size(), 8u);
    EXPECT_EQ(std::string::npos, keepAlive.find_first_not_of('\0'));
    closesocket(first);
    ASSERT_TRUE(r.WaitFor(IP_SERVER_DISCONNECTED, 1));
    ASSERT_TRUE(r.WaitFor(IP_SERVER_PACKET, 3));
    auto events = r.Snapshot();
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(IP_SERVER_CONNECTED, events[0].event);
    EXPECT_EQ(3, events[1].command);
    EXPECT_EQ("abc", events[1].data);
    EXPECT_EQ("127.0.5.1", events[1].address);
    EXPECT_EQ(0, events[1].port);
    EXPECT_EQ(4, events[2].command);
    EXPECT_EQ(IP_SERVER_DISCONNECTED, events[3].event);
    EXPECT_EQ(IP_SERVER_CONNECTED, events[4].event);
    EXPECT_EQ("later", events[5].data);
    server.Stop();
    // Stopping ends the served connection too.
    EXPECT_EQ(2, r.Count(IP_SERVER_DISCONNECTED));
    closesocket(second);
}

// In both modes a refused connection is closed at once, never reported as
// ended, and (with connection objects) not kept.
TEST(IPServer, RejectedConnectionIsClosedWithoutDisconnectEvent) {
    for (int multi = 0; multi <= 1; ++multi) {
        Recorder r;
        r.acceptResult = 0;
        CIPServer server;
        server.Start(StreamSettings(&r, "127.0.5.2", multi));
        SOCKET c = Connect("127.0.5.2", PortOf(server.GetSocket()));
        bool closed = false;
        ReadFor(c, 2000, &closed);
        EXPECT_TRUE(closed);
        EXPECT_EQ(1, r.Count(IP_SERVER_CONNECTED));
        EXPECT_EQ(0, server.GetChilds().GetSize());
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_EQ(0, r.Count(IP_SERVER_DISCONNECTED));
        server.Stop();
        closesocket(c);
    }
}

TEST(IPServerSingle, BadFrameOrCallbackRefusalEndsTheConnection) {
    Recorder r;
    CIPServer server;
    server.Start(StreamSettings(&r, "127.0.5.3", 0));
    int port = PortOf(server.GetSocket());
    SOCKET c = Connect("127.0.5.3", port);
    ASSERT_TRUE(SendAll(c, FrameHeader(1, -5)));
    ASSERT_TRUE(r.WaitFor(IP_SERVER_DISCONNECTED, 1));
    closesocket(c);
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        r.packetResult = 0;
    }
    c = Connect("127.0.5.3", port);
    ASSERT_TRUE(SendAll(c, Frame(2, "stop")));
    ASSERT_TRUE(r.WaitFor(IP_SERVER_DISCONNECTED, 2));
    bool closed = false;
    ReadFor(c, 2000, &closed);
    EXPECT_TRUE(closed);
    server.Stop();
    closesocket(c);
}

TEST(IPServerSingle, StopWhileServingReturnsPromptly) {
    Recorder r;
    CIPServer server;
    server.Start(StreamSettings(&r, "127.0.5.4", 0));
    SOCKET c = Connect("127.0.5.4", PortOf(server.GetSocket()));
    ASSERT_TRUE(r.WaitFor(IP_SERVER_CONNECTED, 1));
    auto t0 = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_LT(MsSince(t0), 1000);
    EXPECT_EQ(1, r.Count(IP_SERVER_DISCONNECTED));
    closesocket(c);
}

TEST(IPServerMulti, ServesSeveralClientsAtOnce) {
    Recorder r;
    CIPServer server;
    server.Start(StreamSettings(&r, "127.0.6.1", 1));
    int port = PortOf(server.GetSocket());
    const int kClients = 5, kFrames = 20;
    std::vector<SOCKET> clients;
    for (int i = 0; i < kClients; ++i) clients.push_back(Connect("127.0.6.1", port));
    ASSERT_TRUE(r.WaitFor(IP_SERVER_CONNECTED, kClients));
    std::vector<std::thread> senders;
    for (int i = 0; i < kClients; ++i) {
        senders.emplace_back([&, i] {
            for (int f = 0; f < kFrames; ++f) SendAll(clients[i], Frame(1 + i, std::to_string(f)));
        });
    }
    for (auto& t : senders) t.join();
    ASSERT_TRUE(r.WaitFor(IP_SERVER_PACKET, kClients * kFrames));
    EXPECT_EQ(kClients, server.GetChilds().GetSize());
    // Each connection's packets come in the order sent.
    std::map<int, int> next;
    for (auto& e : r.Snapshot()) {
        if (e.event != IP_SERVER_PACKET) continue;
        EXPECT_EQ(std::to_string(next[e.command]), e.data);
        ++next[e.command];
        EXPECT_EQ("127.0.6.1", e.address);
    }
    // A connection that ends is reported and leaves the live list.
    closesocket(clients[0]);
    ASSERT_TRUE(r.WaitFor(IP_SERVER_DISCONNECTED, 1));
    EXPECT_TRUE(WaitUntil([&] { return server.GetChilds().GetSize() == kClients - 1; }));
    // Stopping ends the others without further reports.
    auto t0 = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_LT(MsSince(t0), 2000);
    EXPECT_EQ(1, r.Count(IP_SERVER_DISCONNECTED));
    EXPECT_EQ(0, server.GetChilds().GetSize());
    for (int i = 1; i < kClients; ++i) {
        bool closed = false;
        ReadFor(clients[i], 1000, &closed);
        EXPECT_TRUE(closed);
        closesocket(clients[i]);
    }
}

// What came before the peer closed is delivered, and before the end.
TEST(IPServerMulti, LastPacketsArriveBeforeTheDisconnect) {
    Recorder r;
    r.packetDelayMs = 150;
    CIPServer server;
    server.Start(StreamSettings(&r, "127.0.6.3", 1));
    SOCKET c = Connect("127.0.6.3", PortOf(server.GetSocket()));
    ASSERT_TRUE(SendAll(c, Frame(1, "a") + Frame(1, "b") + Frame(1, "c")));
    closesocket(c);
    ASSERT_TRUE(r.WaitFor(IP_SERVER_DISCONNECTED, 1, 5000));
    auto events = r.Snapshot();
    ASSERT_EQ(5u, events.size());
    EXPECT_EQ("a", events[1].data);
    EXPECT_EQ("c", events[3].data);
    EXPECT_EQ(IP_SERVER_DISCONNECTED, events[4].event);
    server.Stop();
}

TEST(IPServerMulti, KeepAlivesAndPacketRefusal) {
    Recorder r;
    CIPServer server;
    server.Start(StreamSettings(&r, "127.0.6.4", 1));
    SOCKET c = Connect("127.0.6.4", PortOf(server.GetSocket()));
    std::string keepAlive = ReadFor(c, 1300);
    EXPECT_GE(keepAlive.size(), 8u);
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        r.packetResult = 0;
    }
    ASSERT_TRUE(SendAll(c, Frame(1, "bye")));
    bool closed = false;
    ReadFor(c, 2000, &closed);
    EXPECT_TRUE(closed);
    ASSERT_TRUE(r.WaitFor(IP_SERVER_DISCONNECTED, 1));
    EXPECT_TRUE(WaitUntil([&] { return server.GetChilds().GetSize() == 0; }));
    server.Stop();
    closesocket(c);
}

TEST(IPServerMulti, StopUnderLoad) {
    Recorder r;
    CIPServer server;
    server.Start(StreamSettings(&r, "127.0.6.5", 1));
    int port = PortOf(server.GetSocket());
    std::atomic<bool> stop{false};
    std::vector<std::thread> clients;
    for (int i = 0; i < 4; ++i) {
        clients.emplace_back([&] {
            for (int round = 0; round < 50 && !stop; ++round) {
                SOCKET c = Connect("127.0.6.5", port);
                if (c == INVALID_SOCKET) break;
                for (int f = 0; f < 200 && !stop; ++f)
                    if (!SendAll(c, Frame(1, std::string(100, 'l')))) break;
                closesocket(c);
            }
        });
    }
    ASSERT_TRUE(r.WaitFor(IP_SERVER_PACKET, 200, 5000));
    auto t0 = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_LT(MsSince(t0), 3000);
    stop = true;
    for (auto& t : clients) t.join();
    EXPECT_EQ(0, server.GetChilds().GetSize());
}
