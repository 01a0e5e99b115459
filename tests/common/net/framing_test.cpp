#include <gtest/gtest.h>

#include <thread>

#include <unistd.h>

#include "net_test_support.h"

using namespace nettest;

namespace {

struct Pipe {
    SOCKET writer = INVALID_SOCKET, reader = INVALID_SOCKET;
    explicit Pipe(const char* ip) { StreamPair(ip, &writer, &reader); }
    ~Pipe() {
        if (writer != INVALID_SOCKET) closesocket(writer);
        if (reader != INVALID_SOCKET) closesocket(reader);
    }
    void CloseWriter() {
        closesocket(writer);
        writer = INVALID_SOCKET;
    }
};

struct Packet {
    int result = -9, command = -9, length = -9;
    BYTE* data = reinterpret_cast<BYTE*>(1);
    ~Packet() {
        if (result == 1) delete[] data;
    }
    void Read(SOCKET s, int timeout, DWORD limit = 0x100000) {
        result = CIPSendReceive::ReceivePacket(s, timeout, limit, &command, &data, &length);
    }
};

}  // namespace

TEST(ReceivePacket, SkipsKeepAlivesAndGivesThePacket) {
    Pipe p("127.0.2.1");
    ASSERT_TRUE(SendAll(p.writer, Frame(0, "") + Frame(5, "abc")));
    Packet k;
    k.Read(p.reader, 1000);
    ASSERT_EQ(1, k.result);
    EXPECT_EQ(5, k.command);
    ASSERT_EQ(3, k.length);
    EXPECT_EQ(0, std::memcmp(k.data, "abc", 3));
}

TEST(ReceivePacket, EmptyPayloadGivesNoBuffer) {
    Pipe p("127.0.2.2");
    ASSERT_TRUE(SendAll(p.writer, Frame(7, "")));
    Packet k;
    k.Read(p.reader, -1);
    ASSERT_EQ(1, k.result);
    EXPECT_EQ(7, k.command);
    EXPECT_EQ(0, k.length);
    EXPECT_EQ(nullptr, k.data);
}

TEST(ReceivePacket, LengthsOutsideTheLimitEndTheConnection) {
    Pipe p("127.0.2.3");
    ASSERT_TRUE(SendAll(p.writer, FrameHeader(3, 0x100001)));
    Packet k;
    k.Read(p.reader, 1000);
    EXPECT_EQ(0, k.result);
    EXPECT_EQ(nullptr, k.data);
    Pipe q("127.0.2.3");
    ASSERT_TRUE(SendAll(q.writer, FrameHeader(3, -1)));
    Packet m;
    m.Read(q.reader, 1000);
    EXPECT_EQ(0, m.result);
    EXPECT_EQ(nullptr, m.data);
    // Exactly the limit is allowed.
    Pipe r("127.0.2.3");
    ASSERT_TRUE(SendAll(r.writer, Frame(2, "1234")));
    Packet n;
    n.Read(r.reader, 1000, 4);
    EXPECT_EQ(1, n.result);
}

TEST(ReceivePacket, PeerClosingMidPacketGivesNothing) {
    Pipe p("127.0.2.4");
    ASSERT_TRUE(SendAll(p.writer, FrameHeader(9, 100) + std::string(40, 'x')));
    p.CloseWriter();
    Packet k;
    k.Read(p.reader, 1000);
    EXPECT_EQ(0, k.result);
    EXPECT_EQ(nullptr, k.data);
    Pipe q("127.0.2.4");
    ASSERT_TRUE(SendAll(q.writer, std::string(5, '\0')));  // half a header
    q.CloseWriter();
    Packet m;
    m.Read(q.reader, -1);
    EXPECT_EQ(0, m.result);
}

TEST(ReceivePacket, TimeOutBoundsEachWaitNotThePacket) {
    Pipe p("127.0.2.5");
    auto t0 = std::chrono::steady_clock::now();
    Packet idle;
    idle.Read(p.reader, 200);
    EXPECT_EQ(0, idle.result);
    EXPECT_GE(MsSince(t0), 190);
    EXPECT_LT(MsSince(t0), 2000);
    // Six pieces 100 ms apart under a 400 ms limit: slower in total than
    // the limit, but no single wait runs out (even with a busy machine's
    // late wake-ups).
    std::thread slow([&] {
        std::string f = Frame(4, "0123456789");
        for (size_t i = 0; i < f.size(); i += 3) {
            SendAll(p.writer, f.substr(i, 3));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    const auto t1 = std::chrono::steady_clock::now();
    Packet k;
    k.Read(p.reader, 400);
    EXPECT_GE(MsSince(t1), 450);
    slow.join();
    ASSERT_EQ(1, k.result);
    EXPECT_EQ(10, k.length);
}

TEST(ReceivePacket, InvalidSocketGivesNothing) {
    Packet k;
    k.Read(INVALID_SOCKET, 10);
    EXPECT_EQ(0, k.result);
    EXPECT_EQ(nullptr, k.data);
}

// Descriptor 0 is a valid socket: frames on it are read like on any other.
TEST(ReceivePacket, WorksOnDescriptorZero) {
    Pipe p("127.0.2.6");
    int saved = dup(0);
    ASSERT_GE(saved, 0);
    ASSERT_EQ(0, dup2(p.reader, 0));
    ASSERT_TRUE(SendAll(p.writer, Frame(6, "zero")));
    Packet k;
    k.Read(0, 1000);
    EXPECT_EQ(1, k.result);
    EXPECT_EQ(4, k.length);
    EXPECT_EQ(1, SendKeepAlive(0));
    EXPECT_EQ(std::string(8, '\0'), ReadFor(p.writer, 200));
    ASSERT_EQ(0, dup2(saved, 0));
    close(saved);
}

TEST(KeepAlive, FrameIsEightZeroBytes) {
    Pipe p("127.0.2.7");
    EXPECT_EQ(1, SendKeepAlive(p.reader));
    EXPECT_EQ(std::string(8, '\0'), ReadFor(p.writer, 200));
    EXPECT_EQ(0, SendKeepAlive(INVALID_SOCKET));
    SOCKET a = Udp("127.0.2.8"), b = Udp("127.0.2.9");
    sockaddr_in to = Address("127.0.2.9", PortOf(b));
    EXPECT_EQ(1, SendKeepAliveTo(a, to));
    char buf[16];
    EXPECT_EQ(8, recv(b, buf, sizeof(buf), 0));
    closesocket(a);
    closesocket(b);
}

TEST(ReceiveWithTimeout, RunOutWaitGivesMinusOne) {
    Pipe p("127.0.2.10");
    BYTE buf[4];
    EXPECT_EQ(-1, ReceiveWithTimeout(p.reader, buf, 4, 50));
    SendAll(p.writer, "hi");
    EXPECT_EQ(2, ReceiveWithTimeout(p.reader, buf, 4, 1000));
}
