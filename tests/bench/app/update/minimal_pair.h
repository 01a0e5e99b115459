// The floor of an update on this machine: a minimal loader and a minimal
// device that speak the update datagrams over blocking sockets and do
// nothing else (no registry, no reports, no faults, no loss handling). What
// the engine and the stand-in reach is measured against what these two reach
// on the same bytes in the same run.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

// One device on its own thread and its own blocking socket, bound to the
// address and port. Answers reset, start load (window or plain), data,
// start record (with the record end right behind it); keeps the CRC-32 and
// length of the last recorded image.
class CMinimalDevice {
public:
    CMinimalDevice(const std::string& address, uint16_t port, bool window);
    ~CMinimalDevice();
    CMinimalDevice(const CMinimalDevice&) = delete;
    CMinimalDevice& operator=(const CMinimalDevice&) = delete;

    bool Ok() const { return m_socket >= 0; }
    uint32_t RecordedCrc() const { return m_crc.load(); }
    uint64_t RecordedSize() const { return m_size.load(); }

private:
    void Run();

    int m_socket = -1;
    bool m_window;
    std::atomic<bool> m_stop{false};
    std::atomic<uint32_t> m_crc{0};
    std::atomic<uint64_t> m_size{0};
    std::thread m_thread;
};

// Resets the device (twice, as the engine does), loads the image in the mode
// the device's answer selects and waits for the record end. True when the
// image was recorded; false after two seconds without an answer.
bool MinimalLoad(const std::string& address, uint16_t port, const uint8_t* image, size_t size);

// CRC-32 of the bytes, as both devices keep it.
uint32_t ImageCrc(const uint8_t* bytes, size_t size);
