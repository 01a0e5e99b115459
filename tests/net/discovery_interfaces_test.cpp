// Which interfaces a broadcast search uses, inside a network namespace of
// the test's own (tests/platform/net/netns_util.h): the namespace goes with
// the child process that made it, and with it every interface and every
// broadcast of the test.
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "tests/net/discovery_harness.h"
#include "tests/platform/net/netns_util.h"

namespace {

std::vector<std::string> LocalAddresses() {
    CBriselMultiDiscover multi;
    CStringList list;
    multi.ListLocalAddresses(list);
    std::vector<std::string> out;
    for (POSITION at = list.GetHeadPosition(); at != nullptr;) out.push_back(static_cast<LPCTSTR>(list.GetNext(at)));
    return out;
}

// A broadcast search over every interface, as the Discover page starts it,
// waited for to its end. The number of discoverers it started, or -1 when
// not every one of them ended.
int SearchEveryInterface(DWORD listenMs) {
    discovery_test::CDiscoveryOwner owner;
    CBriselMultiDiscover multi;
    multi.m_hWndOwner = owner.m_hwnd;
    owner.m_pMulti = &multi;
    multi.Start(0, 0, 1, 1, "", 1, "", listenMs, 0, 50013, nullptr, nullptr, 0);
    const int started = static_cast<int>(multi.m_discoverers.GetSize());
    multi.WaitEnd();
    return owner.Count(MSG_DISCOVER_END) == started ? started : -1;
}

void ExpectRan(int rc) {
    if (rc == nettest::kSkip) GTEST_SKIP() << nettest::kSkipReason;
    EXPECT_EQ(0, rc);
}

}  // namespace

TEST(DiscoveryInterfaces, NoUsableInterfaceStartsNothingAndWaitEndReturnsAtOnce) {
    ExpectRan(nettest::InNamespace([] {
        if (!LocalAddresses().empty()) return 1;  // loopback only
        const auto start = std::chrono::steady_clock::now();
        if (SearchEveryInterface(2000) != 0) return 2;
        return std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1000) ? 0 : 3;
    }));
}

TEST(DiscoveryInterfaces, TwoInterfacesGetOneDiscovererEach) {
    ExpectRan(nettest::InNamespace([] {
        if (!nettest::AddPair(1)) return nettest::kSkip;
        const std::vector<std::string> addresses = LocalAddresses();
        if (std::set<std::string>(addresses.begin(), addresses.end()) !=
            std::set<std::string>{"10.77.1.1", "10.78.1.1"})
            return 1;
        return SearchEveryInterface(200) == 2 ? 0 : 2;
    }));
}

// Only the first ten interfaces the system reports are looked at (the
// loopback among them), and of those only the ones that are up and can
// broadcast.
TEST(DiscoveryInterfaces, AtMostTenInterfacesAndOnlyUsableOnes) {
    ExpectRan(nettest::InNamespace([] {
        // Two interfaces that stay down, made first: the system lists the
        // addresses in the order of the interfaces' numbers, so that these
        // are among the ten.
        if (std::system("ip link add d0 type veth peer name d1 && ip addr add 10.79.0.1/24 brd + dev d0 &&"
                        " ip addr add 10.79.1.1/24 brd + dev d1 2>/dev/null") != 0)
            return nettest::kSkip;
        for (int n = 0; n < 5; ++n)
            if (!nettest::AddPair(n)) return nettest::kSkip;
        const std::vector<std::string> addresses = LocalAddresses();
        // Thirteen entries: loopback, the two that are down and ten that are
        // up; seven of the first ten are usable.
        if (addresses.size() != 7) return 1;
        for (const std::string& address : addresses) {
            if (address.rfind("10.77.", 0) != 0 && address.rfind("10.78.", 0) != 0) return 2;
        }
        if (std::set<std::string>(addresses.begin(), addresses.end()).size() != addresses.size()) return 3;
        return 0;
    }));
}
