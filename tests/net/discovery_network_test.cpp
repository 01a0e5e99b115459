// Discovery by broadcast, end to end, in the private network that
// private_network.sh makes: this program in one namespace, the stand-in's
// devices in the other. Outside that network every test is skipped; the
// first thing each test checks is that the only interface that can
// broadcast is the private one, so no broadcast ever leaves it.
#include "tests/net/discovery_harness.h"
#include "tests/net/standin_process.h"

#include "common/base/address_helpers.h"

using namespace discovery_test;

namespace {

constexpr int kPort = 50013;

class DiscoveryNetwork : public ::testing::Test {
protected:
    void SetUp() override {
        m_net = PrivateNetwork::FromEnvironment();
        if (!m_net.IsPresent()) {
            GTEST_SKIP() << "not inside the private network of tests/net/private_network.sh";
        }
        CBriselMultiDiscover probe;
        CStringList addresses;
        probe.ListLocalAddresses(addresses);
        ASSERT_EQ(addresses.GetCount(), 1) << "more than the private interface can broadcast here: not broadcasting";
        ASSERT_EQ(std::string(static_cast<LPCTSTR>(addresses.GetHead())), m_net.programAddress)
            << "the broadcast interface is not the private one: not broadcasting";
        m_multi.m_hWndOwner = m_owner.m_hwnd;
        m_owner.m_pMulti = &m_multi;
    }

    void StartDevices(const std::vector<std::string>& lines) {
        std::string error;
        ASSERT_TRUE(m_standin.Start(m_net, lines, error)) << error;
    }

    // One non-periodic run as the Discover page makes it: per interface,
    // server mode, version and settings asked.
    void RunBroadcast(DWORD listenMs, int acceptType0 = 0, _eDeviceType classItem = 0) {
        m_multi.Start(0, 0, 1, 1, "", 1, "", listenMs, acceptType0, kPort, nullptr, nullptr, classItem);
        EXPECT_EQ(m_multi.m_discoverers.GetSize(), 1);
        m_multi.WaitEnd();
    }

    std::string Dev(int n) const { return m_net.Device(n); }

    PrivateNetwork m_net;
    CDiscoveryOwner m_owner;
    CBriselMultiDiscover m_multi;
    CStandinProcess m_standin;
};

}  // namespace

TEST_F(DiscoveryNetwork, BroadcastFindsEveryDeviceOnceWithTypeVersionAndSettings) {
    StartDevices({Dev(1) + " type=23 version=6.8.0 name=Enc-1 status=Connected",
                  Dev(2) + " type=26 version=7.0.1 name=Enc-2 status=Idle",
                  Dev(3) + " type=2 version=1.2.3 name=Dec-3 status=Down",
                  Dev(4) + " type=34 version=2.0 name=\"Decoder four\" status=\"No signal\"",
                  Dev(5) + " type=23 version-reply=no settings-reply=no"});
    RunBroadcast(1500);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 5);
    const int types[] = {23, 26, 2, 34, 23};
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Dev(n)), 1) << Dev(n);
        const Event* found = m_owner.Find(MSG_DISCOVER_DEVICE_FOUND, Dev(n));
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->type, types[n - 1]);
        EXPECT_EQ(found->port, static_cast<UINT>(kPort));
    }
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_VERSION, Dev(n)), 1) << Dev(n);
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_SETTINGS, Dev(n)), 1) << Dev(n);
    }
    EXPECT_EQ(m_owner.Find(MSG_DISCOVER_DEVICE_VERSION, Dev(2))->version, "7.0.1");
    EXPECT_EQ(m_owner.Find(MSG_DISCOVER_DEVICE_SETTINGS, Dev(4))->name, "Decoder four");
    EXPECT_EQ(m_owner.Find(MSG_DISCOVER_DEVICE_SETTINGS, Dev(4))->lineStatus, "No signal");
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_VERSION, Dev(5)), 0);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_SETTINGS, Dev(5)), 0);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_END), 1);
    EXPECT_EQ(m_multi.m_discoverers.GetSize(), 0);
}

// Every device answers the broadcast at once, and each new one is then
// asked for its version and settings. Those requests must not hold up the
// reading of the other replies: had each new device cost the receive thread
// 20 ms, this listening time would end before half of them were read.
TEST_F(DiscoveryNetwork, EveryDeviceOfABusyNetworkIsFoundAndAskedWithinOneListeningTime) {
    constexpr int kDevices = 40;
    if (m_net.deviceCount < kDevices) {
        GTEST_SKIP() << "needs " << kDevices << " device addresses: private_network.sh run --devices " << kDevices;
    }
    std::vector<std::string> lines;
    for (int n = 1; n <= kDevices; ++n) {
        lines.push_back(Dev(n) + " type=23 version=3." + std::to_string(n) + " name=D" + std::to_string(n));
    }
    StartDevices(lines);
    RunBroadcast(500);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), kDevices);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_VERSION), kDevices);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_SETTINGS), kDevices);
    for (int n = 1; n <= kDevices; ++n) {
        const Event* version = m_owner.Find(MSG_DISCOVER_DEVICE_VERSION, Dev(n));
        ASSERT_NE(version, nullptr) << Dev(n);
        EXPECT_EQ(version->version, "3." + std::to_string(n));
        const Event* settings = m_owner.Find(MSG_DISCOVER_DEVICE_SETTINGS, Dev(n));
        ASSERT_NE(settings, nullptr) << Dev(n);
        EXPECT_EQ(settings->name, "D" + std::to_string(n));
    }
}

TEST_F(DiscoveryNetwork, TypedAddressesAndARangeFindExactlyThose) {
    StartDevices({Dev(1) + " type=23 name=a", Dev(2) + " type=23 name=b", Dev(3) + " type=23 name=c",
                  Dev(4) + " type=23 name=d", Dev(5) + " type=23 name=e"});
    m_multi.Start(0, 0, 1, 1, "", 1, (Dev(2) + ";" + Dev(4) + ":50013").c_str(), 800, 0, kPort, nullptr, nullptr, 0);
    m_multi.WaitEnd();
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 2);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Dev(2)), 1);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Dev(4)), 1);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_SETTINGS), 2);

    m_owner.m_events.clear();
    const DWORD range[2] = {inet_addr(Dev(3).c_str()), 1};  // .3 and .4
    m_multi.Start(1, 0, 1, 0, "", 1, "", 800, 0, kPort, range, nullptr, 0);
    m_multi.WaitEnd();
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 2);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Dev(3)), 1);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Dev(4)), 1);
}

TEST_F(DiscoveryNetwork, FiltersByClassTypeZeroAndUnknownTypes) {
    StartDevices({Dev(1) + " type=23 name=a", Dev(2) + " type=2 name=b", Dev(3) + " type=0 name=c",
                  Dev(4) + " type=36 name=d"});
    RunBroadcast(800, 0, 4);  // class 4 only
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 1);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Dev(1)), 1);

    m_owner.m_events.clear();
    RunBroadcast(800, 1);  // every class, type 0 accepted
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 3);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Dev(3)), 1);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Dev(4)), 0);

    m_owner.m_events.clear();
    RunBroadcast(800, 0);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 2);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Dev(3)), 0);
}

TEST_F(DiscoveryNetwork, PeriodicReportsATypeChangeAndASilentDevice) {
    StartDevices({Dev(1) + " type=23 name=a", Dev(2) + " type=23 name=b", Dev(3) + " type=24 name=c"});
    const DWORD period = 1000;  // expiry 2 s
    m_multi.Start(0, 1, 1, 1, "", 1, "", 0, 0, kPort, nullptr, &period, 0);
    ASSERT_EQ(m_multi.m_discoverers.GetSize(), 1);
    ASSERT_TRUE(m_owner.PumpUntil(
        [](const std::vector<Event>& e) { return CDiscoveryOwner::Count(e, MSG_DISCOVER_DEVICE_FOUND) == 3; }, 5000));
    ASSERT_TRUE(m_standin.Change(
        {Dev(1) + " type=25 name=a", Dev(2) + " type=23 name=b silent=yes", Dev(3) + " type=24 name=c"}));
    const DWORD lost1 = AddressFromString(Dev(1).c_str()), lost2 = AddressFromString(Dev(2).c_str());
    auto lostOf = [](const std::vector<Event>& events, DWORD address) {
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i].message == MSG_DISCOVER_DEVICE_LOST && events[i].lostAddress == address) return (int)i;
        }
        return -1;
    };
    ASSERT_TRUE(m_owner.PumpUntil(
        [&](const std::vector<Event>& e) { return lostOf(e, lost1) >= 0 && lostOf(e, lost2) >= 0; }, 8000));
    ASSERT_TRUE(m_owner.PumpUntil(
        [&](const std::vector<Event>& e) {
            for (size_t i = 0; i < e.size(); ++i) {
                if (e[i].message == MSG_DISCOVER_DEVICE_FOUND && e[i].address == Dev(1) && e[i].type == 25)
                    return (int)i > lostOf(e, lost1);
            }
            return false;
        },
        5000));
    // The silent device went after the expiry, not at once.
    const Event& silent = m_owner.m_events[lostOf(m_owner.m_events, lost2)];
    const Event* first = m_owner.Find(MSG_DISCOVER_DEVICE_FOUND, Dev(2));
    EXPECT_GE(silent.when - first->when, std::chrono::milliseconds(1500));
    EXPECT_EQ(lostOf(m_owner.m_events, AddressFromString(Dev(3).c_str())), -1);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_END), 0);
    m_multi.m_discoverers[0]->Stop();
    m_multi.WaitEnd();
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_END), 1);
}

TEST_F(DiscoveryNetwork, WaitEndReturnsAfterTheLastDiscovererAndLetsNothingElseThrough) {
    StartDevices({Dev(1) + " type=23 name=a", Dev(2) + " type=23 name=b"});
    ASSERT_TRUE(PostMessageA(m_owner.m_hwnd, WM_USER + 1, 0, 0));
    m_multi.Start(0, 0, 1, 1, "", 1, "", 400, 0, kPort, nullptr, nullptr, 0);    // broadcast, short
    m_multi.Start(0, 0, 1, 0, "", 1, Dev(2).c_str(), 1200, 0, kPort, nullptr, nullptr, 0);  // typed, longer
    ASSERT_EQ(m_multi.m_discoverers.GetSize(), 2);
    CBriselDiscover* longer = m_multi.m_discoverers[1];
    const auto start = std::chrono::steady_clock::now();
    m_multi.WaitEnd();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1150));
    ASSERT_EQ(m_owner.Count(MSG_DISCOVER_END), 2);
    EXPECT_EQ(m_owner.m_events.back().message, static_cast<UINT>(MSG_DISCOVER_END));
    EXPECT_EQ(m_owner.m_events.back().ended, longer);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, m_owner.m_hwnd, WM_USER + 1, WM_USER + 1, PM_REMOVE));
}
