// The client's window send and its receive with a time-out, judged on the
// device's side and by the clock.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "net_test_support.h"

using namespace nettest;

namespace {

struct Pair {
    SOCKET device = Udp("127.0.9.1");
    CIPSimpleClient client;
    Pair() {
        _TIPClientConfig c;
        c.m_nProtocol = 1;
        c.m_strHost = "127.0.9.1";
        c.m_nPort = PortOf(device);
        open = client.Open(c) == 1;
    }
    ~Pair() { closesocket(device); }
    bool open = false;
};

}  // namespace

// Each buffer is one datagram of its own length, in order; more than one
// system call's worth go too.
TEST(IPSimpleClientBatch, EveryBufferIsADatagramInOrder) {
    for (int count : {1, 10, 70}) {
        SCOPED_TRACE(count);
        Pair pair;
        ASSERT_TRUE(pair.open);
        std::vector<std::string> payloads;
        std::vector<DATAGRAM_BUFFER> datagrams;
        for (int i = 0; i < count; ++i) payloads.push_back(std::string(static_cast<size_t>(i % 7), char('a' + i % 26)) + "#");
        for (const std::string& p : payloads) datagrams.push_back({p.data(), static_cast<int>(p.size())});
        EXPECT_EQ(pair.client.SendDatagrams(datagrams.data(), count), count);
        for (int i = 0; i < count; ++i) {
            char buffer[64];
            ASSERT_EQ(recv(pair.device, buffer, sizeof(buffer), 0), static_cast<int>(payloads[i].size()));
            EXPECT_EQ(std::string(buffer, payloads[i].size()), payloads[i]);
        }
    }
}

TEST(IPSimpleClientBatch, ReceiveWithinWaitsOnlyItsTime) {
    Pair pair;
    ASSERT_TRUE(pair.open);
    BYTE buffer[522];
    // Nothing waits: 0 at once without a time, 0 after the time with one.
    EXPECT_EQ(pair.client.ReceiveWithin(buffer, sizeof(buffer), 0), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(pair.client.ReceiveWithin(buffer, sizeof(buffer), 120), 0);
    EXPECT_GE(MsSince(start), 110);
    EXPECT_LT(MsSince(start), 1000);
    // A datagram from the peer, then one already waiting.
    BYTE hello[] = {9};
    ASSERT_EQ(1, pair.client.SendTo("127.0.9.1", PortOf(pair.device), hello, 1));
    sockaddr_in from;
    int fromLength = sizeof(from);
    char in[8];
    ASSERT_EQ(recvfrom(pair.device, in, sizeof(in), 0, (sockaddr*)&from, &fromLength), 1);
    sendto(pair.device, "abc", 3, 0, (sockaddr*)&from, sizeof(from));
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(pair.client.ReceiveWithin(buffer, sizeof(buffer), 5000), 3);
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(std::memcmp(buffer, "abc", 3), 0);
    sendto(pair.device, "de", 2, 0, (sockaddr*)&from, sizeof(from));
    for (int i = 0; i < 100 && pair.client.WaitForData(10) == 0; ++i) {
    }
    EXPECT_EQ(pair.client.ReceiveWithin(buffer, sizeof(buffer), 0), 2);
    EXPECT_EQ(std::memcmp(buffer, "de", 2), 0);
}
