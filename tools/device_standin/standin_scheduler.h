// Datagrams that devices send later: record progress, late acknowledgements
// and slow answers. One thread for the whole process sends them when due,
// from the device's own socket.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/device_standin/standin_device.h"

class CStandinScheduler {
public:
    CStandinScheduler();
    ~CStandinScheduler();
    CStandinScheduler(const CStandinScheduler&) = delete;
    CStandinScheduler& operator=(const CStandinScheduler&) = delete;

    // Sends the datagram from the device to the address after the delay.
    // The owner tag groups datagrams for Cancel.
    void Schedule(const void* owner, CStandinDevice& device, uint32_t ip, uint16_t port, std::vector<uint8_t> datagram,
                  std::chrono::milliseconds delay);

    // Drops the owner's datagrams not yet sent. When it returns, none of them
    // is being sent either.
    void Cancel(const void* owner);

    // The process's scheduler, started at its first use.
    static CStandinScheduler& Instance();

private:
    struct Item {
        std::chrono::steady_clock::time_point due;
        uint64_t order = 0;
        const void* owner = nullptr;
        CStandinDevice* device = nullptr;
        uint32_t ip = 0;  // network byte order
        uint16_t port = 0;
        std::vector<uint8_t> datagram;
    };
    void Run();

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Item> m_items;  // in no particular order; few at a time
    uint64_t m_order = 0;
    bool m_stop = false;
    std::thread m_thread;
};
