// Stand-in devices on loopback addresses for the update engine's tests and
// benchmarks: a private registry with short time-outs, devices at
// 127.<block>.<group>.<n> played by an in-process stand-in, a recording
// report, and images.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "app/registry_settings.h"
#include "app/update/update_engine.h"
#include "platform/base/mem_file.h"
#include "platform/net/net.h"
#include "tests/platform/registry/registry_test_dir.h"
#include "tools/device_standin/standin_network.h"
#include "tools/device_standin/standin_update.h"

// What runs told about their devices.
class CRecordingReport : public CUpdateReport {
public:
    void SendProgress(int index, int percent) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_progress[index].push_back(percent);
    }
    void SetStatusText(int index, const CString& text) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_status[index].push_back(static_cast<LPCTSTR>(text));
    }
    void UpdateTransferInfo(DWORD bytes, DWORD total, int index) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_transfer[index].push_back({bytes, total});
    }
    void SetRemainingTime(int index, int seconds) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_remaining[index].push_back(seconds);
    }
    void ReportError(const CString& text, int index, int show) override {
        if (!show) return;
        std::lock_guard<std::mutex> lock(m_lock);
        m_progress[index].push_back(-1);
        m_status[index].push_back(static_cast<LPCTSTR>(text));
        m_errors[index].push_back(static_cast<LPCTSTR>(text));
    }
    void ShowMessageBox(const CString& text) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_boxes.push_back(static_cast<LPCTSTR>(text));
    }

    std::vector<int> Progress(int index) { return Get(m_progress, index); }
    std::vector<std::string> Status(int index) { return Get(m_status, index); }
    std::vector<std::string> Errors(int index) { return Get(m_errors, index); }
    std::vector<int> Remaining(int index) { return Get(m_remaining, index); }
    std::vector<std::pair<DWORD, DWORD>> Transfers(int index) { return Get(m_transfer, index); }
    std::vector<std::string> Boxes() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_boxes;
    }
    bool HasStatus(int index, const std::string& text) {
        const auto all = Status(index);
        return std::find(all.begin(), all.end(), text) != all.end();
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_progress.clear();
        m_status.clear();
        m_errors.clear();
        m_remaining.clear();
        m_transfer.clear();
        m_boxes.clear();
    }

private:
    template <class T> std::vector<T> Get(std::map<int, std::vector<T>>& map, int index) {
        std::lock_guard<std::mutex> lock(m_lock);
        auto found = map.find(index);
        return found == map.end() ? std::vector<T>() : found->second;
    }

    std::mutex m_lock;
    std::map<int, std::vector<int>> m_progress;
    std::map<int, std::vector<std::string>> m_status;
    std::map<int, std::vector<std::string>> m_errors;
    std::map<int, std::vector<int>> m_remaining;
    std::map<int, std::vector<std::pair<DWORD, DWORD>>> m_transfer;
    std::vector<std::string> m_boxes;
};

// A report that keeps only the first failure it is told, for runs whose
// reports are not the point (benchmarks).
class CQuietReport : public CUpdateReport {
public:
    void SendProgress(int, int) override {}
    void SetStatusText(int, const CString&) override {}
    void UpdateTransferInfo(DWORD, DWORD, int) override {}
    void SetRemainingTime(int, int) override {}
    void ReportError(const CString& text, int index, int show) override {
        std::lock_guard<std::mutex> lock(m_lock);
        if (show && m_error.empty()) m_error = "device " + std::to_string(index) + ": " + static_cast<LPCTSTR>(text);
    }
    void ShowMessageBox(const CString& text) override { ReportError(text, -1, 1); }
    std::string Error() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_error;
    }

private:
    std::mutex m_lock;
    std::string m_error;
};

// The time-outs of a test, written to its private registry.
struct UpdateTimeouts {
    int packet = 1000;
    int reset = 1;
    int record = 2000;
};

// The second byte of this process's device addresses. The stand-in's
// sockets allow shared binds, so two processes playing one address would
// split its datagrams between them, and test runs of other builds may go on
// at the same time. So a process claims its byte with an exclusive socket on
// 127.<byte>.255.254, open until the process ends, and takes the next byte
// when another process holds that one.
inline int ProcessAddressByte() {
    static const int byte = [] {
        const int claimPort = 50012;
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
        const int first = static_cast<int>(getpid() % 254);
        for (int k = 0; k < 254; ++k) {
            const int candidate = 1 + (first + k) % 254;
            SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
            if (s == INVALID_SOCKET) break;
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_port = htons(claimPort);
            local.sin_addr.S_un.S_addr = inet_addr(("127." + std::to_string(candidate) + ".255.254").c_str());
            if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0) return candidate;
            closesocket(s);
        }
        return 1 + first;
    }();
    return byte;
}

// Devices 127.<process>.<group>.1 .. n on the device port (the process's
// byte above), played by in-process stand-ins, each on its own thread (one
// by default; more spread the devices so that the stand-in does not limit
// many devices at once). Harnesses alive at the same time in one process
// take different groups (0..254); more than 250 devices go on in the next
// group.
class CStandinHarness {
public:
    CStandinHarness(int group, int devices, const StandinUpdateProfile& profile = StandinUpdateProfile(),
                    const UpdateTimeouts& timeouts = UpdateTimeouts(), int standins = 1) {
        SetTimeouts(timeouts);
        for (int n = 0; n < std::max(1, standins); ++n)
            m_networks.push_back(std::make_unique<CStandinNetwork>(StandinOptions{}));
        for (int i = 1; i <= devices; ++i) {
            StandinDeviceLine line;
            line.profile.address = DeviceAddress(group, i);
            CStandinNetwork& network = *m_networks[static_cast<size_t>(i - 1) % m_networks.size()];
            std::string error;
            m_ok = m_ok && network.AddDevice(line, error);
            m_error += error;
            m_addresses.push_back(line.profile.address);
            network.WithDevice(line.profile.address, [&](CStandinDevice& device) {
                m_updaters.push_back(InstallStandinUpdate(device, profile));
            });
        }
        for (auto& network : m_networks) {
            if (m_ok) m_ok = network->Open(m_error);
        }
        if (!m_ok) return;
        for (auto& network : m_networks) m_threads.emplace_back([&network] { network->Run(); });
    }
    ~CStandinHarness() {
        Stop();
        for (auto& thread : m_threads) thread.join();
    }
    // Asks the stand-in's threads to end, without waiting for them.
    void Stop() {
        for (auto& network : m_networks) network->Stop();
    }

    bool Ok() const { return m_ok; }
    const std::string& Error() const { return m_error; }
    const std::string& Address(int i) const { return m_addresses[static_cast<size_t>(i)]; }
    CStandinUpdater& Device(int i) { return *m_updaters[static_cast<size_t>(i)]; }
    // Lets a test give device i answers of its own (handlers of commands).
    void WithDevice(int i, const std::function<void(CStandinDevice&)>& change) {
        m_networks[static_cast<size_t>(i) % m_networks.size()]->WithDevice(Address(i), change);
    }
    int Count() const { return static_cast<int>(m_addresses.size()); }

    // The address of device i (1, 2, ...) of a group.
    static std::string DeviceAddress(int group, int i) {
        return "127." + std::to_string(ProcessAddressByte()) + "." + std::to_string(group + (i - 1) / 250) + "." +
               std::to_string((i - 1) % 250 + 1);
    }

    static void SetTimeouts(const UpdateTimeouts& timeouts) {
        WriteRegistryString(std::to_string(timeouts.packet).c_str(), "UpgradePacketTimeout");
        WriteRegistryString(std::to_string(timeouts.reset).c_str(), "UpgradeResetTimeout");
        WriteRegistryString(std::to_string(timeouts.record).c_str(), "RecordPacketTimeout2");
    }

private:
    ScopedRegistryDir m_registry;
    std::vector<std::unique_ptr<CStandinNetwork>> m_networks;
    std::vector<std::string> m_addresses;
    std::vector<std::shared_ptr<CStandinUpdater>> m_updaters;
    std::vector<std::thread> m_threads;
    bool m_ok = true;
    std::string m_error;
};

// Asks the engine to stop, from a thread of its own, once the condition
// holds (at the latest after ten seconds), as Cancel does while runs go on.
class CStopWhen {
public:
    CStopWhen(CUpdateEngine& engine, std::function<bool()> condition)
        : m_thread([this, &engine, condition] {
              for (int i = 0; i < 1000 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
              m_stopped = std::chrono::steady_clock::now();
              engine.RequestStop();
          }) {}
    ~CStopWhen() {
        if (m_thread.joinable()) m_thread.join();
    }
    // After the run has returned: how long it went on after the stop request.
    std::chrono::steady_clock::duration SinceStop() {
        if (m_thread.joinable()) m_thread.join();
        return std::chrono::steady_clock::now() - m_stopped;
    }

private:
    std::chrono::steady_clock::time_point m_stopped;
    std::thread m_thread;
};

// A datagram client open to a device, as a worker opens it.
struct DeviceConnection {
    explicit DeviceConnection(const std::string& address, int port = 50013) {
        settings.m_nProtocol = 1;
        settings.m_strHost = address.c_str();
        settings.m_nPort = port;
        open = client.Open(settings) == 1;
    }
    CIPSimpleClient client;
    _TIPClientConfig settings;
    bool open = false;
};

// An engine that loads images as a shown run of the band 0..30 would, and
// the report of its runs.
struct CEngineLoader {
    CWizardState sheet;
    CRecordingReport report;
    CUpdateEngine engine{sheet, report};

    int Load(const std::string& address, std::vector<uint8_t>& image);
};

inline std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    std::mt19937 random(seed);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

// A read-only stream over the bytes, as the engine reads images.
inline std::unique_ptr<CMemFile> ImageStream(std::vector<uint8_t>& bytes) {
    static uint8_t empty = 0;
    return std::make_unique<CMemFile>(bytes.empty() ? &empty : bytes.data(), static_cast<UINT>(bytes.size()), 0);
}

inline std::vector<uint8_t> ToBytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// Ticked device records of the sheet for the addresses, on one port.
inline void AddSelectedDevices(CWizardState& sheet, const std::vector<std::string>& addresses, int port = 50013) {
    for (const std::string& address : addresses) {
        auto* device = new _TDevice;
        device->m_strIPAddress = address.c_str();
        device->m_nUDPPort = port;
        device->m_nSelected = 1;
        sheet.m_devices.Add(device);
    }
}

inline int CEngineLoader::Load(const std::string& address, std::vector<uint8_t>& image) {
    DeviceConnection connection(address);
    auto stream = ImageStream(image);
    return connection.open ? engine.LoadAndRecord(connection.client, connection.settings, 0, *stream, 30, 0, 1, 0) : -1;
}
