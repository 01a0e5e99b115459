#include "tools/device_standin/standin_scheduler.h"

#include <algorithm>

CStandinScheduler::CStandinScheduler() : m_thread([this] { Run(); }) {}

CStandinScheduler::~CStandinScheduler() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

CStandinScheduler& CStandinScheduler::Instance() {
    static CStandinScheduler scheduler;
    return scheduler;
}

void CStandinScheduler::Schedule(const void* owner, CStandinDevice& device, uint32_t ip, uint16_t port,
                                 std::vector<uint8_t> datagram, std::chrono::milliseconds delay) {
    Item item;
    item.due = std::chrono::steady_clock::now() + delay;
    item.owner = owner;
    item.device = &device;
    item.ip = ip;
    item.port = port;
    item.datagram = std::move(datagram);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        item.order = m_order++;
        m_items.push_back(std::move(item));
    }
    m_changed.notify_all();
}

void CStandinScheduler::Cancel(const void* owner) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_items.erase(std::remove_if(m_items.begin(), m_items.end(), [owner](const Item& item) { return item.owner == owner; }),
                  m_items.end());
}

void CStandinScheduler::Run() {
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_stop) {
        if (m_items.empty()) {
            m_changed.wait(lock);
            continue;
        }
        // The earliest due, and among equal times the first scheduled, so a
        // device's datagrams keep their order.
        auto next = std::min_element(m_items.begin(), m_items.end(), [](const Item& a, const Item& b) {
            return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
        const auto due = next->due;  // the items move while the lock is released
        if (due > std::chrono::steady_clock::now()) {
            m_changed.wait_until(lock, due);
            continue;
        }
        Item item = std::move(*next);
        m_items.erase(next);
        // Sent under the lock, so that Cancel also waits for a send in progress.
        item.device->Send(item.ip, item.port, item.datagram);
    }
}
