#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "net_test_support.h"

using namespace nettest;

TEST(IPSimpleClient, DatagramOpenConnectsToThePeerOnly) {
    SOCKET device = Udp("127.0.1.1"), stranger = Udp("127.0.1.2");
    _TIPClientConfig c;
    c.m_nProtocol = 1;
    c.m_strHost = "127.0.1.1";
    c.m_nPort = PortOf(device);
    CIPSimpleClient client;
    ASSERT_EQ(1, client.Open(c));
    BYTE hello[] = {1, 2, 3};
    ASSERT_EQ(1, client.SendTo("127.0.1.1", PortOf(device), hello, 3));
    char buf[16];
    sockaddr_in from;
    int fromLen = sizeof(from);
    ASSERT_EQ(3, recvfrom(device, buf, sizeof(buf), 0, (sockaddr*)&from, &fromLen));
    // Only the peer's datagrams come through.
    sendto(stranger, "zz", 2, 0, (sockaddr*)&from, sizeof(from));
    sendto(device, "ok!", 3, 0, (sockaddr*)&from, sizeof(from));
    ASSERT_EQ(1, client.WaitForData(1000));
    BYTE reply[522];
    EXPECT_EQ(3, client.Receive(reply, sizeof(reply), FALSE));
    EXPECT_EQ(0, std::memcmp(reply, "ok!", 3));
    EXPECT_EQ(0, client.WaitForData(50));
    closesocket(device);
    closesocket(stranger);
}

TEST(IPSimpleClient, LocalBindFollowsAddressesAndPort) {
    SOCKET device = Udp("127.0.1.3");
    _TIPClientConfig c;
    c.m_nProtocol = 1;
    c.m_strHost = "127.0.1.3";
    c.m_nPort = PortOf(device);
    c.m_strLocalAddress = "127.0.1.4";
    {
        CIPSimpleClient client;
        ASSERT_EQ(1, client.Open(c));
        EXPECT_STREQ("127.0.1.4", AddressOf(client.GetSocket()));
    }
    // A second address: no bind to the local address.
    c.m_strSecondAddress = "x";
    {
        CIPSimpleClient client;
        ASSERT_EQ(1, client.Open(c));
        EXPECT_STRNE("127.0.1.4", AddressOf(client.GetSocket()));
    }
    // A local port with a second address: the any address on that port.
    SOCKET probe = Udp("127.0.1.5");
    int port = PortOf(probe);
    closesocket(probe);
    c.m_nLocalPort = port;
    {
        CIPSimpleClient client;
        ASSERT_EQ(1, client.Open(c));
        EXPECT_EQ(port, PortOf(client.GetSocket()));
    }
    // An address that is not this machine's cannot be bound.
    c.m_strSecondAddress = "";
    c.m_nLocalPort = -1;
    c.m_strLocalAddress = "192.0.2.1";
    CIPSimpleClient client;
    EXPECT_EQ(0, client.Open(c));
    closesocket(device);
}

TEST(IPSimpleClient, OpenLocalAndReceiveFrom) {
    CIPSimpleClient client;
    ASSERT_EQ(1, client.OpenLocal("127.0.1.6", -1));
    SOCKET device = Udp("127.0.1.7");
    BYTE buf[1024];
    CString address;
    WORD port = 0;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(0, client.ReceiveFrom(buf, address, port));
    EXPECT_LT(MsSince(t0), 500);
    sockaddr_in to = Address("127.0.1.6", PortOf(client.GetSocket()));
    std::string big(1500, 'b');
    sendto(device, big.data(), (int)big.size(), 0, (sockaddr*)&to, sizeof(to));
    sendto(device, "reply", 5, 0, (sockaddr*)&to, sizeof(to));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // The datagram longer than 1024 bytes is dropped, not cut.
    EXPECT_EQ(0, client.ReceiveFrom(buf, address, port));
    EXPECT_EQ(5, client.ReceiveFrom(buf, address, port));
    EXPECT_STREQ("127.0.1.7", address);
    EXPECT_EQ(PortOf(device), port);
    ASSERT_EQ(1, client.SendTo("127.0.1.7", PortOf(device), (const BYTE*)"back", 4));
    char got[8];
    EXPECT_EQ(4, recv(device, got, sizeof(got), 0));
    // Unbound when neither address nor port is given.
    ASSERT_EQ(1, client.OpenLocal("", -1));
    closesocket(device);
}

TEST(IPSimpleClient, WaitForDataWaitsItsTime) {
    CIPSimpleClient client;
    ASSERT_EQ(1, client.OpenLocal("127.0.1.8", -1));
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(0, client.WaitForData(150));
    EXPECT_GE(MsSince(t0), 140);
    client.Close();
    EXPECT_EQ(INVALID_SOCKET, client.GetSocket());
    EXPECT_EQ(-1, client.WaitForData(10));
}

TEST(IPSimpleClient, StreamConnectWithTimeLimit) {
    SOCKET l = Listener("127.0.1.9");
    _TIPClientConfig c;
    c.m_nProtocol = 0;
    c.m_strHost = "127.0.1.9";
    c.m_nPort = PortOf(l);
    c.m_nConnectTimeout = 500;  // below a second: still limited
    CIPSimpleClient client;
    ASSERT_EQ(1, client.Open(c));
    SOCKET served = accept(l, nullptr, nullptr);
    ASSERT_NE(INVALID_SOCKET, served);
    // The socket is blocking again.
    SendAll(served, "abc");
    BYTE buf[8];
    EXPECT_EQ(3, client.Receive(buf, 3, TRUE));
    closesocket(served);
    int port = PortOf(l);
    closesocket(l);
    c.m_nPort = port;
    c.m_nConnectTimeout = 2000;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(0, client.Open(c));
    EXPECT_LT(MsSince(t0), 1500);
    c.m_nConnectTimeout = -1;
    EXPECT_EQ(0, client.Open(c));
}

TEST(IPSimpleClient, WholeReceiveFailsWhenThePeerClosesEarly) {
    SOCKET l = Listener("127.0.1.10");
    _TIPClientConfig c;
    c.m_strHost = "127.0.1.10";
    c.m_nPort = PortOf(l);
    CIPSimpleClient client;
    ASSERT_EQ(1, client.Open(c));
    SOCKET served = accept(l, nullptr, nullptr);
    SendAll(served, "part");
    closesocket(served);
    BYTE buf[16];
    EXPECT_EQ(-1, client.Receive(buf, 10, TRUE));
    closesocket(l);
}

TEST(IPSimpleClient, UnknownHostFails) {
    _TIPClientConfig c;
    c.m_nProtocol = 1;
    c.m_strHost = "";
    c.m_nPort = 9;
    CIPSimpleClient client;
    EXPECT_EQ(0, client.Open(c));
}

TEST(ResolveHostAddress, NamesAndAddresses) {
    EXPECT_EQ(0u, ResolveHostAddress(nullptr));
    EXPECT_EQ(0u, ResolveHostAddress(""));
    EXPECT_EQ(inet_addr("127.0.1.11"), ResolveHostAddress("127.0.1.11"));
    EXPECT_EQ(0xffffffffu, ResolveHostAddress("255.255.255.255"));
    ULONG local = ResolveHostAddress("localhost");
    EXPECT_EQ(127u, local & 0xff);
}

TEST(IPBroadcast, OpenBindsToTheInterfaceWithAChosenPort) {
    CIPBroadcast b;
    EXPECT_EQ(INVALID_SOCKET, b.GetSocket());
    ASSERT_EQ(1, b.Open(50013, "127.0.1.12", ""));
    EXPECT_STREQ("127.0.1.12", AddressOf(b.GetSocket()));
    EXPECT_NE(50013, PortOf(b.GetSocket()));
    int on = 0, len = sizeof(on);
    ASSERT_EQ(0, getsockopt(b.GetSocket(), SOL_SOCKET, SO_BROADCAST, (char*)&on, &len));
    EXPECT_NE(0, on);
    // Opening again replaces the socket.
    ASSERT_EQ(1, b.Open(50013, "127.0.1.12", "second"));
    EXPECT_STREQ("0.0.0.0", AddressOf(b.GetSocket()));
    b.Close();
    EXPECT_EQ(INVALID_SOCKET, b.GetSocket());
    BYTE buf[1024];
    CString address;
    WORD port;
    EXPECT_EQ(0, b.ReceiveFrom(buf, address, port));
    // An address that is not this machine's: nothing is kept.
    EXPECT_EQ(0, b.Open(50013, "192.0.2.1", ""));
    EXPECT_EQ(INVALID_SOCKET, b.GetSocket());
}

TEST(IPBroadcast, SendsByAddressOrNameAndReceives) {
    CIPBroadcast b;
    ASSERT_EQ(1, b.Open(50015, "127.0.1.13", ""));
    SOCKET device = Udp("127.0.1.14");
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(1, b.SendTo("127.0.1.14", PortOf(device), (const BYTE*)"disc", 4));
    EXPECT_GE(MsSince(t0), 9);  // paced
    char buf[16];
    sockaddr_in from;
    int fromLen = sizeof(from);
    ASSERT_EQ(4, recvfrom(device, buf, sizeof(buf), 0, (sockaddr*)&from, &fromLen));
    SOCKET named = Udp("127.0.0.1");
    EXPECT_EQ(1, b.SendTo("localhost", PortOf(named), (const BYTE*)"n", 1));
    EXPECT_EQ(0, b.SendTo("", PortOf(named), (const BYTE*)"n", 1));
    sendto(device, "answer", 6, 0, (sockaddr*)&from, sizeof(from));
    BYTE in[1024];
    CString address;
    WORD port = 0;
    int n = 0;
    for (int i = 0; i < 50 && n == 0; ++i) n = b.ReceiveFrom(in, address, port);
    EXPECT_EQ(6, n);
    EXPECT_STREQ("127.0.1.14", address);
    EXPECT_EQ(PortOf(device), port);
    t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(0, b.ReceiveFrom(in, address, port));
    EXPECT_LT(MsSince(t0), 500);
    closesocket(device);
    closesocket(named);
}

TEST(IPBroadcast, UnpacedSendsGoOutAtOnce) {
    CIPBroadcast b;
    ASSERT_EQ(1, b.Open(50013, "127.0.1.15", ""));
    SOCKET device = Udp("127.0.1.16");
    const DWORD receiveLimitMs = 2000;
    setsockopt(device, SOL_SOCKET, SO_RCVTIMEO, (const char*)&receiveLimitMs, sizeof(receiveLimitMs));
    constexpr int kSends = 30;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kSends; ++i) {
        const BYTE one = static_cast<BYTE>(i);
        ASSERT_EQ(1, b.SendToUnpaced("127.0.1.16", PortOf(device), &one, 1));
    }
    // Paced, these would take at least 300 ms.
    EXPECT_LT(MsSince(t0), 150);
    for (int i = 0; i < kSends; ++i) {
        char in[4];
        ASSERT_EQ(1, recv(device, in, sizeof(in), 0));
        EXPECT_EQ(i, static_cast<BYTE>(in[0]));
    }
    // Names and failures as with the paced send.
    SOCKET named = Udp("127.0.0.1");
    EXPECT_EQ(1, b.SendToUnpaced("localhost", PortOf(named), (const BYTE*)"n", 1));
    EXPECT_EQ(0, b.SendToUnpaced("", PortOf(named), (const BYTE*)"n", 1));
    b.Close();
    EXPECT_EQ(0, b.SendToUnpaced("127.0.1.16", PortOf(device), (const BYTE*)"n", 1));
    closesocket(device);
    closesocket(named);
}
