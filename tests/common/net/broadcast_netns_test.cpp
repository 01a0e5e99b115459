// Discovery's way of using the sockets, inside a network namespace of the
// test's own (see netns_util.h): a broadcast through CIPBroadcast, a reply
// to its chosen port, and a datagram server on the interface address.
#include <gtest/gtest.h>

#include "net_test_support.h"
#include "tests/platform/net/netns_util.h"

TEST(BroadcastNamespace, DiscoveryStyleRoundTrip) {
    int rc = nettest::InNamespace([] {
        if (!nettest::AddPair(3)) return nettest::kSkip;
        // The stand-in device shares port 50013 with the server, so both
        // sides ask for address reuse; the server, bound to the interface
        // address, is the better match for datagrams sent to that address.
        SOCKET device = socket(AF_INET, SOCK_DGRAM, 0);
        BOOL on = TRUE;
        setsockopt(device, SOL_SOCKET, SO_REUSEADDR, (const char*)&on, sizeof(on));
        sockaddr_in any = nettest::Address("0.0.0.0", 50013);
        if (bind(device, (sockaddr*)&any, sizeof(any)) != 0) return 1;
        nettest::Recorder r;
        CIPServer server;
        _TIPServerConfig settings;
        settings.m_nProtocol = 1;
        settings.m_nPort = 50013;
        settings.m_strBindAddress = "10.77.3.1";
        settings.m_pfnCallback = &nettest::Recorder::Callback;
        settings.m_pContext = &r;
        server.Start(settings);
        if (!server.IsRunning()) return 2;

        CIPBroadcast b;
        if (b.Open(50013, "10.77.3.1", "") != 1) return 3;
        if (b.SendTo("255.255.255.255", 50013, (const BYTE*)"disc", 4) != 1) return 4;
        char buf[64];
        sockaddr_in from{};
        int len = sizeof(from);
        fd_set rd;
        FD_ZERO(&rd);
        FD_SET(device, &rd);
        timeval tv{2, 0};
        if (select(0, &rd, nullptr, nullptr, &tv) != 1) return 5;
        if (recvfrom(device, buf, sizeof(buf), 0, (sockaddr*)&from, &len) != 4) return 6;
        if (from.sin_addr.s_addr != inet_addr("10.77.3.1")) return 7;
        // The reply goes to the port the broadcast came from...
        sendto(device, "reply", 5, 0, (sockaddr*)&from, sizeof(from));
        BYTE in[1024];
        CString address;
        WORD port = 0;
        int n = 0;
        for (int i = 0; i < 100 && n == 0; ++i) n = b.ReceiveFrom(in, address, port);
        if (n != 5 || address != CString("10.77.3.1")) return 8;
        // ...and a datagram to the interface's port 50013 reaches the server.
        sockaddr_in to = nettest::Address("10.77.3.1", 50013);
        sendto(device, "srv", 3, 0, (sockaddr*)&to, sizeof(to));
        if (!r.WaitFor(IP_SERVER_PACKET, 1)) return 9;
        server.Stop();
        closesocket(device);
        return 0;
    });
    if (rc == nettest::kSkip) GTEST_SKIP() << nettest::kSkipReason;
    EXPECT_EQ(0, rc);
}
