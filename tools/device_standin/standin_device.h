// One device played by the stand-in: what it says about itself, which
// requests it answers, its fault switches, and a table of command handlers
// per channel that protocols add their commands to.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// The two ports a device listens on: the device port and the settings port
// (device port + 2).
enum class StandinChannel { Main, Settings };

// What a device says about itself, as read from its description line.
struct StandinDeviceProfile {
    std::string address;                 // dotted IPv4 address the device is bound to
    int type = 23;                       // device type byte of the discover reply (-128..127)
    std::string version = "1.0.0";       // text of the version reply
    std::string name;                    // settings record: device name
    std::string lineStatus;              // settings record: line status text
    bool answersVersion = true;
    bool answersSettings = true;
};

// Fault switches of one device. A silent device receives and logs, but
// answers nothing.
struct StandinFaults {
    bool silent = false;
};

// One request received by a device. The network gives the sender's address
// as a number (no text is made per datagram); a request made by hand may
// give it as text instead.
struct StandinRequest {
    StandinChannel channel = StandinChannel::Main;
    uint32_t fromIp = 0;      // network byte order; 0: fromAddress holds it
    std::string fromAddress;  // dotted text, when fromIp is 0
    uint16_t fromPort = 0;
    const uint8_t* data = nullptr;
    int length = 0;

    uint32_t FromIp() const;
    std::string FromText() const;
};

// Datagrams a handler sends back to the requester, each from the channel
// the request came in on. Used as a vector of datagrams; clear() keeps the
// buffers, so that a list reused for every request allocates nothing once
// its buffers have grown.
class StandinReplies {
public:
    void push_back(std::vector<uint8_t> datagram) { Add() = std::move(datagram); }
    // A new, empty datagram at the end, in a buffer used before where there is one.
    std::vector<uint8_t>& Add() {
        if (m_count == m_items.size()) m_items.emplace_back();
        std::vector<uint8_t>& datagram = m_items[m_count++];
        datagram.clear();
        return datagram;
    }
    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    void clear() { m_count = 0; }
    const std::vector<uint8_t>& operator[](size_t i) const { return m_items[i]; }
    const std::vector<uint8_t>* begin() const { return m_items.data(); }
    const std::vector<uint8_t>* end() const { return m_items.data() + m_count; }

private:
    std::vector<std::vector<uint8_t>> m_items;
    size_t m_count = 0;
};

class CStandinDevice {
public:
    // A handler answers one command; the dispatcher has checked the request
    // header (magic, direction 0) before calling it.
    typedef std::function<void(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies)>
        Handler;

    // The device answers the discovery requests from the start.
    explicit CStandinDevice(StandinDeviceProfile profile);

    // Adds or replaces the handler of a command on a channel.
    void SetHandler(StandinChannel channel, uint8_t command, Handler handler);

    // Checks the header and runs the command's handler, unless a fault
    // switch keeps the device quiet. Returns a short description of what
    // was received, for the log.
    std::string Handle(const StandinRequest& request, StandinReplies& replies);
    // The same; the description only when asked for (it costs text per request).
    void Handle(const StandinRequest& request, StandinReplies& replies, std::string* what);

    StandinDeviceProfile& Profile() { return m_profile; }
    const StandinDeviceProfile& Profile() const { return m_profile; }
    StandinFaults& Faults() { return m_faults; }

    // Sends a datagram from the device's main socket outside the answer to
    // a request (a later answer). The network sets the sender and clears it
    // before it closes the socket; safe from any thread.
    // The address is in network byte order.
    typedef std::function<void(uint32_t ip, uint16_t port, const std::vector<uint8_t>& datagram)> Sender;
    void SetSender(Sender sender);
    void Send(uint32_t ip, uint16_t port, const std::vector<uint8_t>& datagram);

    // The replies of the discovery protocol.
    std::vector<uint8_t> BuildDiscoverReply() const;
    std::vector<uint8_t> BuildVersionReply() const;
    std::vector<uint8_t> BuildSettingsRecord() const;

private:
    StandinDeviceProfile m_profile;
    StandinFaults m_faults;
    // Before the handlers, which may hold objects that still send while
    // they are destroyed.
    std::mutex m_sendLock;
    Sender m_sender;
    std::map<std::pair<StandinChannel, uint8_t>, Handler> m_handlers;
};
