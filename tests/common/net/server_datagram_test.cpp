#include <gtest/gtest.h>

#include <thread>

#include "net_test_support.h"
#include "platform/user/window_class.h"

using namespace nettest;

namespace {

_TIPServerConfig DatagramSettings(Recorder* r, const char* ip, int port = 0) {
    _TIPServerConfig s;
    s.m_nProtocol = 1;
    s.m_nPort = port;
    s.m_strBindAddress = ip;
    s.m_pfnCallback = &Recorder::Callback;
    s.m_pContext = r;
    return s;
}

}  // namespace

TEST(IPServerMessages, AreRegisteredAtStartUp) {
    EXPECT_GE(MSG_IP_CLIENTE_CONECTADO, 0xC000u);
    EXPECT_NE(MSG_IP_CLIENTE_CONECTADO, MSG_IP_CLIENTE_DESCONECTADO);
    EXPECT_NE(MSG_IP_CLIENTE_DESCONECTADO, MSG_IP_CLIENTE_COMANDO_RECIBIDO);
    EXPECT_EQ(MSG_IP_CLIENTE_COMANDO_RECIBIDO, RegisterWindowMessageA("MSG_IP_CLIENTE_COMANDO_RECIBIDO"));
}

TEST(IPServerDatagram, EveryDatagramReachesTheCallback) {
    Recorder r;
    CIPServer server;
    server.Start(DatagramSettings(&r, "127.0.4.1"));
    ASSERT_TRUE(server.IsRunning());
    int port = PortOf(server.GetSocket());
    SOCKET a = Udp("127.0.4.2"), b = Udp("127.0.4.3");
    sockaddr_in to = Address("127.0.4.1", port);
    sendto(a, "one", 3, 0, (sockaddr*)&to, sizeof(to));
    sendto(b, "two!", 4, 0, (sockaddr*)&to, sizeof(to));
    ASSERT_TRUE(r.WaitFor(IP_SERVER_PACKET, 2));
    auto events = r.Snapshot();
    for (auto& e : events) {
        EXPECT_EQ(IP_SERVER_PACKET, e.event);
        EXPECT_EQ(0, e.socket);
        EXPECT_EQ(0, e.command);
        if (e.address == "127.0.4.2") {
            EXPECT_EQ("one", e.data);
            EXPECT_EQ(PortOf(a), e.port);
        } else {
            EXPECT_EQ("127.0.4.3", e.address);
            EXPECT_EQ("two!", e.data);
            EXPECT_EQ(PortOf(b), e.port);
        }
    }
    server.Stop();
    EXPECT_FALSE(server.IsRunning());
    EXPECT_EQ(INVALID_SOCKET, server.GetSocket());
    closesocket(a);
    closesocket(b);
}

TEST(IPServerDatagram, OversizedDatagramIsNotReported) {
    Recorder r;
    CIPServer server;
    server.Start(DatagramSettings(&r, "127.0.4.4"));
    SOCKET a = Udp("127.0.4.5");
    sockaddr_in to = Address("127.0.4.4", PortOf(server.GetSocket()));
    std::string big(5000, 'B');
    sendto(a, big.data(), (int)big.size(), 0, (sockaddr*)&to, sizeof(to));
    std::string exact(4096, 'E');
    sendto(a, exact.data(), (int)exact.size(), 0, (sockaddr*)&to, sizeof(to));
    sendto(a, "", 0, 0, (sockaddr*)&to, sizeof(to));
    ASSERT_TRUE(r.WaitFor(IP_SERVER_PACKET, 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto events = r.Snapshot();
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(exact, events[0].data);
    EXPECT_EQ("", events[1].data);
    EXPECT_TRUE(events[1].dataNullWhenEmpty);
    server.Stop();
    closesocket(a);
}

TEST(IPServerDatagram, StartAndStopAreIdempotentAndRestartable) {
    Recorder r;
    CIPServer server;
    server.Stop();  // nothing to stop
    server.Start(DatagramSettings(&r, "127.0.4.6"));
    SOCKET first = server.GetSocket();
    server.Start(DatagramSettings(&r, "127.0.4.7"));  // running: ignored
    EXPECT_EQ(first, server.GetSocket());
    EXPECT_STREQ("127.0.4.6", AddressOf(server.GetSocket()));
    auto t0 = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_LT(MsSince(t0), 1000);
    server.Stop();
    server.Start(DatagramSettings(&r, "127.0.4.7"));
    ASSERT_TRUE(server.IsRunning());
    SOCKET a = Udp("127.0.4.8");
    sockaddr_in to = Address("127.0.4.7", PortOf(server.GetSocket()));
    sendto(a, "again", 5, 0, (sockaddr*)&to, sizeof(to));
    EXPECT_TRUE(r.WaitFor(IP_SERVER_PACKET, 1));
    server.Stop();
    closesocket(a);
}

TEST(IPServerDatagram, SharesItsPortAndFailsQuietlyOnABadAddress) {
    Recorder r;
    CIPServer one, two, bad;
    one.Start(DatagramSettings(&r, "127.0.4.9"));
    ASSERT_TRUE(one.IsRunning());
    two.Start(DatagramSettings(&r, "127.0.4.9", PortOf(one.GetSocket())));
    EXPECT_TRUE(two.IsRunning());
    bad.Start(DatagramSettings(&r, "192.0.2.1"));
    EXPECT_FALSE(bad.IsRunning());
    bad.Stop();
    one.Stop();
    two.Stop();
}

TEST(IPServerDatagram, NoCallbackIsFine) {
    CIPServer server;
    _TIPServerConfig s = DatagramSettings(nullptr, "127.0.4.10");
    s.m_pfnCallback = nullptr;
    server.Start(s);
    SOCKET a = Udp("127.0.4.11");
    sockaddr_in to = Address("127.0.4.10", PortOf(server.GetSocket()));
    sendto(a, "x", 1, 0, (sockaddr*)&to, sizeof(to));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server.Stop();
    closesocket(a);
}

TEST(IPServerDatagram, StopUnderLoad) {
    Recorder r;
    CIPServer server;
    server.Start(DatagramSettings(&r, "127.0.4.12"));
    sockaddr_in to = Address("127.0.4.12", PortOf(server.GetSocket()));
    std::atomic<bool> stop{false};
    std::vector<std::thread> senders;
    for (int i = 0; i < 3; ++i) {
        senders.emplace_back([&, i] {
            SOCKET s = Udp(i == 0 ? "127.0.4.13" : i == 1 ? "127.0.4.14" : "127.0.4.15");
            for (int n = 0; n < 20000 && !stop; ++n) sendto(s, "load", 4, 0, (sockaddr*)&to, sizeof(to));
            closesocket(s);
        });
    }
    ASSERT_TRUE(r.WaitFor(IP_SERVER_PACKET, 50));
    auto t0 = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_LT(MsSince(t0), 1000);
    stop = true;
    for (auto& t : senders) t.join();
}
