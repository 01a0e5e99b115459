#include <gtest/gtest.h>

#include <sys/resource.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include "net_test_util.h"

TEST(FdSet, IsACountAndAnArray) {
    fd_set set;
    FD_ZERO(&set);
    EXPECT_EQ(0u, set.fd_count);
    FD_SET(5, &set);
    FD_SET(5, &set);
    FD_SET(0, &set);
    EXPECT_EQ(2u, set.fd_count);
    EXPECT_TRUE(FD_ISSET(0, &set));
    EXPECT_TRUE(FD_ISSET(5, &set));
    FD_CLR(5, &set);
    EXPECT_FALSE(FD_ISSET(5, &set));
    EXPECT_TRUE(FD_ISSET(0, &set));
    // A full set ignores further handles instead of writing past its end.
    FD_ZERO(&set);
    for (int i = 0; i < FD_SETSIZE + 10; ++i) FD_SET(100000 + i, &set);
    EXPECT_EQ((u_int)FD_SETSIZE, set.fd_count);
    EXPECT_FALSE(FD_ISSET(100000 + FD_SETSIZE, &set));
}

TEST(Select, TimesOutAndKeepsOnlyReadySockets) {
    SOCKET idle = nettest::BoundUdp("127.0.0.41"), busy = nettest::BoundUdp("127.0.0.42");
    fd_set rd;
    FD_ZERO(&rd);
    FD_SET(idle, &rd);
    timeval tv{0, 150000};
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(0, select(0, &rd, nullptr, nullptr, &tv));
    EXPECT_GE(nettest::MsSince(t0), 140);
    EXPECT_EQ(0u, rd.fd_count);
    sockaddr_in to = nettest::Loopback("127.0.0.42", nettest::LocalPort(busy));
    ASSERT_EQ(1, sendto(idle, "x", 1, 0, (sockaddr*)&to, sizeof(to)));
    FD_ZERO(&rd);
    FD_SET(idle, &rd);
    FD_SET(busy, &rd);
    fd_set wr;
    FD_ZERO(&wr);
    FD_SET(idle, &wr);
    tv = {1, 0};
    EXPECT_EQ(2, select(0, &rd, &wr, nullptr, &tv));
    EXPECT_TRUE(FD_ISSET(busy, &rd));
    EXPECT_FALSE(FD_ISSET(idle, &rd));
    EXPECT_TRUE(FD_ISSET(idle, &wr));
    closesocket(idle);
    closesocket(busy);
}

namespace {

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

}  // namespace

// Short timed waits, as a receive loop makes them: each lasts its whole
// time, and the thread sleeps through it instead of polling for the last
// fraction of a millisecond.
TEST(Select, ShortWaitsLastTheirTimeAndSleep) {
    SOCKET idle = nettest::BoundUdp("127.0.0.43");
    constexpr int kWaits = 40;
    const double cpuBefore = ThreadCpuMs();
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kWaits; ++i) {
        fd_set rd;
        FD_ZERO(&rd);
        FD_SET(idle, &rd);
        timeval tv{0, 10000};
        const auto before = std::chrono::steady_clock::now();
        ASSERT_EQ(0, select(0, &rd, nullptr, nullptr, &tv));
        ASSERT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(10)) << "wait " << i;
    }
    const double wallMs = nettest::MsSince(t0);
    const double cpuMs = ThreadCpuMs() - cpuBefore;
    // Polling through the rest of each millisecond costs about a tenth of
    // the wall time; sleeping costs next to nothing.
    EXPECT_LT(cpuMs, wallMs / 40) << cpuMs << " ms of CPU in " << wallMs << " ms";
    closesocket(idle);
}

TEST(Select, ClosedHandleAndEmptySetsAreErrors) {
    SOCKET s = nettest::BoundUdp("127.0.0.43");
    closesocket(s);
    fd_set rd;
    FD_ZERO(&rd);
    FD_SET(s, &rd);
    timeval tv{0, 1000};
    EXPECT_EQ(SOCKET_ERROR, select(0, &rd, nullptr, nullptr, &tv));
    EXPECT_EQ(WSAENOTSOCK, WSAGetLastError());
    FD_ZERO(&rd);
    FD_SET(INVALID_SOCKET, &rd);
    EXPECT_EQ(SOCKET_ERROR, select(0, &rd, nullptr, nullptr, &tv));
    EXPECT_EQ(WSAENOTSOCK, WSAGetLastError());
    EXPECT_EQ(SOCKET_ERROR, select(0, (fd_set*)nullptr, nullptr, nullptr, &tv));
    EXPECT_EQ(WSAEINVAL, WSAGetLastError());
}

// Descriptors beyond the bitmap size of the system's own select.
TEST(Select, WorksWithDescriptorsAboveTheSystemLimit) {
    rlimit lim{};
    getrlimit(RLIMIT_NOFILE, &lim);
    if (lim.rlim_cur < 1600) GTEST_SKIP() << "descriptor limit too low";
    SOCKET s = nettest::BoundUdp("127.0.0.44");
    SOCKET high = fcntl(s, F_DUPFD_CLOEXEC, 1500);
    ASSERT_GE(high, 1500);
    closesocket(s);
    SOCKET a = nettest::BoundUdp("127.0.0.45");
    sockaddr_in to = nettest::Loopback("127.0.0.44", nettest::LocalPort(high));
    ASSERT_EQ(2, sendto(a, "hi", 2, 0, (sockaddr*)&to, sizeof(to)));
    fd_set rd;
    FD_ZERO(&rd);
    FD_SET(high, &rd);
    timeval tv{1, 0};
    EXPECT_EQ(1, select(0, &rd, nullptr, nullptr, &tv));
    EXPECT_TRUE(FD_ISSET(high, &rd));
    closesocket(high);
    closesocket(a);
}
