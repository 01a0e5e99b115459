// The discoverer's unicast modes against stand-in devices on loopback
// addresses of this test process (127.X.Y.n, X and Y from the process id,
// so that parallel test processes never share a device address).
#include <unistd.h>

#include "tests/net/discovery_harness.h"

#include "common/base/address_helpers.h"
#include "platform/base/system_time.h"
#include "platform/net/net.h"

using namespace discovery_test;

namespace {

constexpr int kPort = 41013;

class DiscoveryLoopback : public ::testing::Test {
protected:
    DiscoveryLoopback() {
        const int pid = static_cast<int>(getpid());
        m_prefix = "127." + std::to_string(100 + (pid / 256) % 100) + "." + std::to_string(pid % 256) + ".";
    }
    std::string Addr(int n) const { return m_prefix + std::to_string(n); }
    std::string Device(int n, const std::string& rest) const { return Addr(n) + " " + rest; }

    // One non-periodic unicast run over the list, without server mode.
    void RunList(CBriselDiscover& discoverer, const std::string& list, DWORD listenMs = 1000, int acceptType0 = 0) {
        discoverer.m_hWndOwner = m_owner.m_hwnd;
        discoverer.Start(1, 0, 1, 0, "", 1, list.c_str(), listenMs, acceptType0, "", kPort, "", "255.255.255.255", 0);
        ASSERT_TRUE(m_owner.PumpUntilEnded(1, 10000));
    }

    std::string m_prefix;
    CDiscoveryOwner m_owner;
};

// Exposes the discoverer's inner state to the tests.
class CProbeDiscover : public CBriselDiscover {
public:
    using CBriselDiscover::AgeDevices;
    std::vector<std::string> Queried() {
        std::vector<std::string> out;
        for (INT_PTR i = 0; i < m_queried.GetSize(); ++i) out.push_back(static_cast<LPCTSTR>(m_queried[i]));
        return out;
    }
    void AddDevice(const CString& address, int type, double secondsAgo) {
        auto* device = new _tDeviceDiscovered;
        device->m_strAddress = address;
        device->m_eType = type;
        device->m_lastSeen = COleDateTime::GetCurrentTime() - COleDateTimeSpan(secondsAgo / 86400.0);
        m_devices.Add(device);
    }
    INT_PTR DeviceCount() { return m_devices.GetSize(); }
    // Whether the send thread finished its pass within the time.
    bool WaitForPass(DWORD milliseconds) { return ::WaitForSingleObject(m_evSendDone, milliseconds) == WAIT_OBJECT_0; }

    // Hands a datagram from the address straight to the reply handling.
    void Reply(const std::string& from, std::vector<BYTE> datagram) {
        _TIPCommand packet;
        packet.m_nCommand = 0;
        packet.m_dwLength = static_cast<DWORD>(datagram.size());
        packet.m_pData = datagram.data();
        packet.m_strAddress = from.c_str();
        OnReply(&packet, IP_SERVER_PACKET);
        packet.m_pData = nullptr;
    }
    void FilterSubnet(const char* local, const char* mask) {
        m_strLocalAddress = local;
        m_strSubnetMask = mask;
        m_bSubnetFilter = 1;
    }
    void Exclude(const char* address) { m_strExcludedAddress = address; }
};

std::vector<BYTE> DiscoverReply(int type) {
    return {'B', 'R', 'I', 'S', 'E', 'L', 1, 0, static_cast<BYTE>(type)};
}

std::vector<BYTE> VersionReply(const std::string& text) {
    const std::string header("BRISEL\x01\x05\x00", 9);
    const std::string datagram = header + static_cast<char>(text.size()) + '\0' + text;
    return std::vector<BYTE>(datagram.begin(), datagram.end());
}

}  // namespace

TEST_F(DiscoveryLoopback, ListFindsEachDeviceOnceWithTypeVersionAndSettings) {
    CInProcessDevices devices(kPort, {Device(10, "type=23 version=6.8.0 name=Enc-A status=Connected"),
                                      Device(11, "type=5 version= name=Dec-B status=Idle"),
                                      Device(12, "type=23 silent=yes")});
    CBriselDiscover discoverer;
    // .10 twice: its second reply must change nothing.
    RunList(discoverer, Addr(10) + ";" + Addr(11) + ":41013;" + Addr(12) + ";" + Addr(10));
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 2);
    const Event* a = m_owner.Find(MSG_DISCOVER_DEVICE_FOUND, Addr(10));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->type, 23);
    EXPECT_EQ(a->port, static_cast<UINT>(kPort));
    EXPECT_EQ(a->version, "");
    const Event* b = m_owner.Find(MSG_DISCOVER_DEVICE_FOUND, Addr(11));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->type, 5);

    const Event* versionA = m_owner.Find(MSG_DISCOVER_DEVICE_VERSION, Addr(10));
    ASSERT_NE(versionA, nullptr);
    EXPECT_EQ(versionA->version, "6.8.0");
    EXPECT_EQ(versionA->type, 23);
    const Event* versionB = m_owner.Find(MSG_DISCOVER_DEVICE_VERSION, Addr(11));
    ASSERT_NE(versionB, nullptr);
    EXPECT_EQ(versionB->version, "Wrong Version");
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_VERSION), 2);

    const Event* settingsA = m_owner.Find(MSG_DISCOVER_DEVICE_SETTINGS, Addr(10));
    ASSERT_NE(settingsA, nullptr);
    EXPECT_EQ(settingsA->name, "Enc-A");
    EXPECT_EQ(settingsA->lineStatus, "Connected");
    EXPECT_EQ(settingsA->type, 23);
    const Event* settingsB = m_owner.Find(MSG_DISCOVER_DEVICE_SETTINGS, Addr(11));
    ASSERT_NE(settingsB, nullptr);
    EXPECT_EQ(settingsB->name, "Dec-B");
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Addr(12)), 0);

    ASSERT_EQ(m_owner.Count(MSG_DISCOVER_END), 1);
    EXPECT_EQ(m_owner.m_events.back().message, static_cast<UINT>(MSG_DISCOVER_END));
    EXPECT_EQ(m_owner.m_events.back().ended, &discoverer);
    // The receive thread clears the running event just after posting the
    // end: on a busy machine the end message can be handled first.
    bool ended = false;
    for (int i = 0; i < 200 && !ended; ++i) {
        ended = WaitForSingleObject(discoverer.m_evRunning, 0) == WAIT_TIMEOUT;
        if (!ended) Sleep(10);
    }
    EXPECT_TRUE(ended);
}

// A typed "host:port" entry is a device of its own, asked for its version
// and settings at that port (settings at port + 2), and reported with it;
// two devices may share an address on different ports.
TEST_F(DiscoveryLoopback, TypedPortsAreDevicesOfTheirOwnAskedAtTheirPort) {
    constexpr int kOtherPort = kPort + 100;
    CInProcessDevices standard(kPort, {Device(20, "type=23 version=1.0 name=A-std status=Up")});
    CInProcessDevices other(kOtherPort, {Device(20, "type=24 version=2.0 name=A-other status=Down"),
                                         Device(21, "type=26 version=3.0 name=B-other status=Idle")});
    CBriselDiscover discoverer;
    const std::string p = ":" + std::to_string(kOtherPort);
    RunList(discoverer, Addr(20) + ";" + Addr(20) + p + ";" + Addr(21) + p);
    struct Case {
        std::string address;
        int port, type;
        const char *version, *name;
    };
    const Case cases[] = {{Addr(20), kPort, 23, "1.0", "A-std"},
                          {Addr(20), kOtherPort, 24, "2.0", "A-other"},
                          {Addr(21), kOtherPort, 26, "3.0", "B-other"}};
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 3);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_VERSION), 3);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_SETTINGS), 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address + ":" + std::to_string(c.port));
        auto find = [&](UINT message) -> const Event* {
            for (const auto& e : m_owner.m_events) {
                if (e.message == message && e.address == c.address && e.port == static_cast<UINT>(c.port)) return &e;
            }
            return nullptr;
        };
        const Event* found = find(MSG_DISCOVER_DEVICE_FOUND);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->type, c.type);
        const Event* version = find(MSG_DISCOVER_DEVICE_VERSION);
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->version, c.version);
        const Event* settings = find(MSG_DISCOVER_DEVICE_SETTINGS);
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(settings->name, c.name);
    }
}

TEST_F(DiscoveryLoopback, DevicesThatDoNotAnswerVersionOrSettingsAreStillFound) {
    CInProcessDevices devices(kPort, {Device(10, "type=23 name=X version-reply=no settings-reply=no")});
    CBriselDiscover discoverer;
    RunList(discoverer, Addr(10));
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Addr(10)), 1);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_VERSION), 0);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_SETTINGS), 0);
}

TEST_F(DiscoveryLoopback, RangeQueriesExactlyItsAddresses) {
    CInProcessDevices devices(kPort, {Device(10, "type=23 name=a"), Device(12, "type=24 name=b"),
                                      Device(14, "type=23 name=c")});
    CBriselDiscover discoverer;
    discoverer.m_hWndOwner = m_owner.m_hwnd;
    discoverer.m_dwRangeStart = inet_addr(Addr(10).c_str());
    discoverer.m_nRangeCount = 3;  // .10 to .13
    discoverer.Start(1, 0, 0, 0, "", 0, "", 600, 0, "", kPort, "", "255.255.255.255", 0);
    ASSERT_TRUE(m_owner.PumpUntilEnded(1, 10000));
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Addr(10)), 1);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Addr(12)), 1);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 2);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_VERSION), 0);  // not asked
}

TEST_F(DiscoveryLoopback, RangeCarriesIntoTheHigherOctets) {
    CProbeDiscover discoverer;
    discoverer.m_hWndOwner = m_owner.m_hwnd;
    discoverer.m_dwRangeStart = inet_addr("127.0.0.250");
    discoverer.m_nRangeCount = 10;
    // The end of the listening time stops the pass: the run listens for a
    // minute and is stopped once its pass has ended, however long the pass
    // took on a busy machine.
    discoverer.Start(1, 0, 0, 0, "", 0, "", 60000, 0, "", kPort, "", "255.255.255.255", 0);
    ASSERT_TRUE(discoverer.WaitForPass(10000));
    discoverer.Stop();
    ASSERT_TRUE(m_owner.PumpUntilEnded(1, 10000));
    const std::vector<std::string> queried = discoverer.Queried();
    ASSERT_EQ(queried.size(), 11u);
    EXPECT_EQ(queried.front(), "127.0.0.250");
    EXPECT_EQ(queried[5], "127.0.0.255");
    EXPECT_EQ(queried[6], "127.0.1.0");
    EXPECT_EQ(queried.back(), "127.0.1.4");
}

TEST_F(DiscoveryLoopback, ListSkipsEmptyEntriesWhereverTheyAre) {
    CProbeDiscover discoverer;
    RunList(discoverer, ";" + Addr(40) + ";;;" + Addr(41) + ":41013;;", 50);
    EXPECT_EQ(discoverer.Queried(), (std::vector<std::string>{Addr(40), Addr(41)}));
}

TEST_F(DiscoveryLoopback, FiltersByClassAndTypeZero) {
    CInProcessDevices devices(kPort, {Device(10, "type=23 name=a"), Device(11, "type=2 name=b"),
                                      Device(12, "type=0 name=c"), Device(13, "type=36 name=d"),
                                      Device(14, "type=-1 name=e")});
    const std::string list = Addr(10) + ";" + Addr(11) + ";" + Addr(12) + ";" + Addr(13) + ";" + Addr(14);
    {
        CBriselDiscover discoverer;
        discoverer.m_classFilter.Add(4);  // type 23's class
        RunList(discoverer, list);
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 1);
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Addr(10)), 1);
    }
    m_owner.m_events.clear();
    {
        CBriselDiscover discoverer;
        RunList(discoverer, list, 1000, 1);
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 3);
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Addr(12)), 1);  // type 0, accepted
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Addr(13)), 0);  // type 36
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Addr(14)), 0);
    }
    m_owner.m_events.clear();
    {
        CBriselDiscover discoverer;
        RunList(discoverer, list, 1000, 0);
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), 2);
        EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Addr(12)), 0);  // type 0, refused
    }
}

// Asking for settings from devices that never send them leaves the
// settings channel idle; the replies on the main channel must still be read
// as fast as they come, not one per idle wait of the other channel (which
// would read fewer than a hundred in this listening time).
TEST_F(DiscoveryLoopback, AnIdleSettingsChannelDoesNotHoldUpTheReplies) {
    constexpr int kDevices = 120;
    std::vector<std::string> lines;
    std::string list;
    for (int n = 100; n < 100 + kDevices; ++n) {
        lines.push_back(Device(n, "type=23 version=1." + std::to_string(n) + " settings-reply=no"));
        list += (list.empty() ? "" : ";") + Addr(n);
    }
    CInProcessDevices devices(kPort, lines);
    CBriselDiscover discoverer;
    RunList(discoverer, list, 800);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND), kDevices);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_VERSION), kDevices);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_SETTINGS), 0);
    const Event* last = m_owner.Find(MSG_DISCOVER_DEVICE_VERSION, Addr(100 + kDevices - 1));
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->version, "1." + std::to_string(100 + kDevices - 1));
}

TEST_F(DiscoveryLoopback, RunEndsAfterTheListeningTimeWhenNobodyAnswers) {
    CBriselDiscover discoverer;
    const auto start = std::chrono::steady_clock::now();
    RunList(discoverer, Addr(20), 500);
    const auto took = m_owner.m_events.back().when - start;
    EXPECT_GE(took, std::chrono::milliseconds(490));
    EXPECT_LT(took, std::chrono::milliseconds(2000));
    EXPECT_EQ(m_owner.m_events.size(), 1u);
}

TEST_F(DiscoveryLoopback, PeriodicReportsTypeChangesAndSilentDevices) {
    CInProcessDevices devices(kPort, {Device(10, "type=23 name=a"), Device(11, "type=23 name=b")});
    CBriselMultiDiscover multi;
    CBriselDiscover discoverer;
    multi.SetPeriod(&discoverer, 1000);  // expiry 2 s
    discoverer.m_hWndOwner = m_owner.m_hwnd;
    discoverer.Start(1, 1, 1, 0, "", 1, (Addr(10) + ";" + Addr(11)).c_str(), 0, 0, "", kPort, "", "255.255.255.255",
                     0);
    ASSERT_TRUE(m_owner.PumpUntil(
        [&](const std::vector<Event>& e) { return CDiscoveryOwner::Count(e, MSG_DISCOVER_DEVICE_FOUND) == 2; }, 5000));
    devices.Network().WithDevice(Addr(10), [](CStandinDevice& d) { d.Profile().type = 5; });
    devices.Network().WithDevice(Addr(11), [](CStandinDevice& d) { d.Faults().silent = true; });
    ASSERT_TRUE(m_owner.PumpUntil(
        [&](const std::vector<Event>& e) { return CDiscoveryOwner::Count(e, MSG_DISCOVER_DEVICE_LOST) == 2; }, 8000));
    ASSERT_TRUE(m_owner.PumpUntil(
        [&](const std::vector<Event>& e) { return CDiscoveryOwner::Count(e, MSG_DISCOVER_DEVICE_FOUND) == 3; }, 5000));
    // .10: lost, then found with its new type; .11: lost after the expiry.
    int lost10 = -1, found10 = -1;
    for (size_t i = 0; i < m_owner.m_events.size(); ++i) {
        const Event& e = m_owner.m_events[i];
        if (e.message == MSG_DISCOVER_DEVICE_LOST && e.lostAddress == AddressFromString(Addr(10).c_str())) lost10 = i;
        if (e.message == MSG_DISCOVER_DEVICE_FOUND && e.address == Addr(10) && e.type == 5) found10 = i;
    }
    EXPECT_GE(lost10, 0);
    EXPECT_GT(found10, lost10);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_END), 0);
    discoverer.Stop();
    ASSERT_TRUE(m_owner.PumpUntilEnded(1, 2000));
}

// Stop and destruction in the middle of a long range pass, with the
// datagram server and both channels open, end the run at once.
TEST_F(DiscoveryLoopback, StopAndDestructionEndALongPassPromptly) {
    CInProcessDevices devices(kPort, {Device(10, "type=23 name=a")});
    const DWORD range[2] = {inet_addr(Addr(0).c_str()), 2000};
    const DWORD period = 1000;
    for (int destroy = 0; destroy <= 1; ++destroy) {
        auto* discoverer = new CBriselDiscover;
        discoverer->m_hWndOwner = m_owner.m_hwnd;
        discoverer->m_dwRangeStart = range[0];
        discoverer->m_nRangeCount = static_cast<int>(range[1]);
        CBriselMultiDiscover().SetPeriod(discoverer, period);
        discoverer->Start(1, 1, 1, 1, "", 1, "", 0, 0, "", kPort, "", "255.255.255.255", 0);
        ASSERT_TRUE(m_owner.PumpUntil(
            [&](const std::vector<Event>& e) { return CDiscoveryOwner::Count(e, MSG_DISCOVER_DEVICE_FOUND) > 0; }, 5000));
        const auto start = std::chrono::steady_clock::now();
        if (destroy == 0) discoverer->Stop();
        delete discoverer;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000)) << destroy;
    }
    ASSERT_TRUE(m_owner.PumpUntilEnded(2, 2000));
}

TEST_F(DiscoveryLoopback, AgeingRoundsToWholeSeconds) {
    CProbeDiscover discoverer;
    discoverer.m_hWndOwner = m_owner.m_hwnd;
    discoverer.AddDevice(Addr(30).c_str(), 23, 3.4);  // 3 s: stays
    discoverer.AddDevice(Addr(31).c_str(), 23, 3.6);  // 4 s: dropped
    discoverer.AgeDevices();
    EXPECT_EQ(discoverer.DeviceCount(), 1);
    ASSERT_TRUE(m_owner.PumpUntil([](const std::vector<Event>& e) { return !e.empty(); }, 2000));
    EXPECT_EQ(m_owner.m_events[0].message, static_cast<UINT>(MSG_DISCOVER_DEVICE_LOST));
    EXPECT_EQ(m_owner.m_events[0].lostAddress, AddressFromString(Addr(31).c_str()));
}

TEST(DiscoverReplies, SubnetRuleComparesOctetsUpToTheFirstOpenMaskOctet) {
    CProbeDiscover discoverer;
    discoverer.FilterSubnet("10.1.2.3", "255.255.255.0");
    discoverer.Reply("10.1.2.9", DiscoverReply(23));
    EXPECT_EQ(discoverer.DeviceCount(), 1);
    discoverer.Reply("10.1.3.9", DiscoverReply(23));
    EXPECT_EQ(discoverer.DeviceCount(), 1);
    // The octets after the first one that is not 255 are not looked at.
    discoverer.FilterSubnet("10.1.2.3", "255.0.255.255");
    discoverer.Reply("10.9.9.9", DiscoverReply(23));
    EXPECT_EQ(discoverer.DeviceCount(), 2);
    discoverer.Reply("11.1.2.3", DiscoverReply(23));
    EXPECT_EQ(discoverer.DeviceCount(), 2);
    discoverer.FilterSubnet("10.1.2.3", "255.255.255.255");
    discoverer.Reply("10.1.2.4", DiscoverReply(23));
    EXPECT_EQ(discoverer.DeviceCount(), 2);
    discoverer.Reply("10.1.2.3", DiscoverReply(23));
    EXPECT_EQ(discoverer.DeviceCount(), 3);
}

TEST_F(DiscoveryLoopback, OnlyChangedVersionsAndNewDevicesArePosted) {
    CProbeDiscover discoverer;
    discoverer.m_hWndOwner = m_owner.m_hwnd;
    discoverer.Exclude("10.0.0.9");
    discoverer.Reply("10.0.0.1", DiscoverReply(23));
    discoverer.Reply("10.0.0.1", DiscoverReply(23));  // known: nothing in a single run
    discoverer.Reply("10.0.0.9", DiscoverReply(23));  // excluded
    discoverer.Reply("10.0.0.1", VersionReply("6.8.0"));
    discoverer.Reply("10.0.0.1", VersionReply("6.8.0"));  // unchanged
    discoverer.Reply("10.0.0.2", VersionReply("1.0"));    // not a known device
    discoverer.Reply("10.0.0.1", VersionReply(""));
    m_owner.PumpUntil([](const std::vector<Event>&) { return false; }, 100);
    ASSERT_EQ(m_owner.m_events.size(), 3u);
    EXPECT_EQ(m_owner.m_events[0].message, static_cast<UINT>(MSG_DISCOVER_DEVICE_FOUND));
    EXPECT_EQ(m_owner.m_events[1].version, "6.8.0");
    EXPECT_EQ(m_owner.m_events[2].version, "Wrong Version");
    EXPECT_EQ(m_owner.m_events[2].type, 23);
}

TEST(MultiDiscover, SetPeriodKeepsAtLeastASecondAndExpiresAfterTwoPeriods) {
    CBriselMultiDiscover multi;
    CBriselDiscover discoverer;
    multi.SetPeriod(&discoverer, 500);
    EXPECT_EQ(discoverer.m_dwPeriod, 1000u);
    EXPECT_EQ(discoverer.m_dwExpiry, 2u);
    multi.SetPeriod(&discoverer, 2500);
    EXPECT_EQ(discoverer.m_dwPeriod, 2500u);
    EXPECT_EQ(discoverer.m_dwExpiry, 5u);
}

TEST_F(DiscoveryLoopback, TypedListRunsOneDiscovererAndWaitEndLeavesOtherMessages) {
    CInProcessDevices devices(kPort, {Device(10, "type=23 name=a")});
    ASSERT_TRUE(PostMessageA(m_owner.m_hwnd, WM_USER + 5, 0, 0));
    CBriselMultiDiscover multi;
    multi.m_hWndOwner = m_owner.m_hwnd;
    m_owner.m_pMulti = &multi;
    multi.Start(0, 0, 1, 0, "", 1, Addr(10).c_str(), 500, 0, kPort, nullptr, nullptr, 0);
    EXPECT_EQ(multi.m_discoverers.GetSize(), 1);
    multi.WaitEnd();
    EXPECT_EQ(multi.m_discoverers.GetSize(), 0);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_DEVICE_FOUND, Addr(10)), 1);
    EXPECT_EQ(m_owner.Count(MSG_DISCOVER_END), 1);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, m_owner.m_hwnd, WM_USER + 5, WM_USER + 5, PM_REMOVE));
}

TEST_F(DiscoveryLoopback, MessagesForAGoneOwnerAreFreedByTheDiscoverer) {
    // Nothing is left allocated (the sanitizer build checks for leaks).
    CInProcessDevices devices(kPort, {Device(10, "type=23 name=a")});
    CBriselMultiDiscover multi;
    {
        CDiscoveryOwner gone;
        multi.m_hWndOwner = gone.m_hwnd;
    }
    multi.Start(1, 0, 1, 0, "", 1, Addr(10).c_str(), 300, 0, kPort, nullptr, nullptr, 0);
    multi.WaitEnd();  // ends although nobody handles the end message
    EXPECT_EQ(multi.m_discoverers.GetSize(), 0);
    EXPECT_GT(devices.Network().RequestCount(), 0u);
}
