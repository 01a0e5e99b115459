// Shared by the discovery tests: an owner window that records every
// discovery message (and frees what it carries), and stand-in devices run
// in a thread of the test process.
#pragma once

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/discover/brisel_discover.h"
#include "common/discover/multi_discover.h"
#include "platform/user/user.h"
#include "tools/device_standin/standin_network.h"

namespace discovery_test {

struct Event {
    UINT message = 0;
    std::string address;
    UINT port = 0;
    int type = -1;
    std::string version;
    std::string name;        // settings
    std::string lineStatus;  // settings
    DWORD lostAddress = 0;
    CBriselDiscover* ended = nullptr;
    std::chrono::steady_clock::time_point when;
};

// A message-only window of the test thread that takes the discovery
// messages. With a multi-discoverer it removes each ended discoverer, as the
// Discover page does.
class CDiscoveryOwner {
public:
    CDiscoveryOwner() {
        static const char* name = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = &CDiscoveryOwner::Proc;
            wc.lpszClassName = "DiscoveryTestOwner";
            RegisterClassA(&wc);
            return "DiscoveryTestOwner";
        }();
        m_hwnd = CreateWindowExA(0, name, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, this);
    }
    ~CDiscoveryOwner() { DestroyWindow(m_hwnd); }

    // Pumps until the predicate on the events holds or the time runs out.
    bool PumpUntil(const std::function<bool(const std::vector<Event>&)>& done, int milliseconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (!done(m_events)) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, m_hwnd, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        }
        return true;
    }
    bool PumpUntilEnded(int ends, int milliseconds) {
        return PumpUntil([ends](const std::vector<Event>& events) { return Count(events, MSG_DISCOVER_END) >= ends; },
                         milliseconds);
    }

    static int Count(const std::vector<Event>& events, UINT message, const std::string& address = "") {
        int n = 0;
        for (const auto& e : events) {
            if (e.message == message && (address.empty() || e.address == address)) ++n;
        }
        return n;
    }
    int Count(UINT message, const std::string& address = "") const { return Count(m_events, message, address); }
    const Event* Find(UINT message, const std::string& address) const {
        for (const auto& e : m_events) {
            if (e.message == message && e.address == address) return &e;
        }
        return nullptr;
    }

    HWND m_hwnd = nullptr;
    CBriselMultiDiscover* m_pMulti = nullptr;
    std::vector<Event> m_events;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        }
        auto* self = reinterpret_cast<CDiscoveryOwner*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self == nullptr || msg < MSG_DISCOVER_DEVICE_FOUND || msg > MSG_DISCOVER_END) {
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        }
        Event e;
        e.message = msg;
        e.when = std::chrono::steady_clock::now();
        CBriselDiscoverInfo* info = nullptr;
        switch (msg) {
        case MSG_DISCOVER_DEVICE_FOUND:
        case MSG_DISCOVER_DEVICE_VERSION:
            info = reinterpret_cast<CBriselDiscoverInfo*>(wParam);
            break;
        case MSG_DISCOVER_DEVICE_SETTINGS: {
            info = reinterpret_cast<CBriselDiscoverInfo*>(lParam);
            // The record's own counts bound the read: the discoverer has
            // checked them against the datagram (of at most 1024 bytes).
            CDeviceSettings settings;
            EXPECT_GT(settings.Read(reinterpret_cast<const BYTE*>(wParam), 1024), 0);
            e.name = static_cast<LPCTSTR>(settings.s1);
            e.lineStatus = static_cast<LPCTSTR>(settings.s2);
            std::free(reinterpret_cast<void*>(wParam));
            break;
        }
        case MSG_DISCOVER_DEVICE_LOST:
            e.lostAddress = static_cast<DWORD>(wParam);
            break;
        case MSG_DISCOVER_END:
            e.ended = reinterpret_cast<CBriselDiscover*>(wParam);
            break;
        }
        if (info != nullptr) {
            e.address = static_cast<LPCTSTR>(info->m_strAddress);
            e.port = info->m_nPort;
            e.type = info->m_eType;
            e.version = static_cast<LPCTSTR>(info->m_strVersion);
            delete info;
        }
        self->m_events.push_back(e);
        if (msg == MSG_DISCOVER_END && self->m_pMulti != nullptr) self->m_pMulti->Remove(e.ended);
        return 0;
    }
};

// Stand-in devices on a thread of the test process.
class CInProcessDevices {
public:
    CInProcessDevices(uint16_t port, const std::vector<std::string>& lines) {
        StandinOptions options;
        options.port = port;
        m_network = std::make_unique<CStandinNetwork>(options);
        for (const auto& line : lines) {
            StandinDeviceLine device;
            std::string error;
            EXPECT_TRUE(ParseStandinDeviceLine(line, device, error)) << error;
            EXPECT_TRUE(m_network->AddDevice(device, error)) << error;
        }
        std::string error;
        EXPECT_TRUE(m_network->Open(error)) << error;
        m_thread = std::thread([this] { m_network->Run(); });
    }
    ~CInProcessDevices() {
        m_network->Stop();
        m_thread.join();
    }
    CStandinNetwork& Network() { return *m_network; }

private:
    std::unique_ptr<CStandinNetwork> m_network;
    std::thread m_thread;
};

}  // namespace discovery_test
