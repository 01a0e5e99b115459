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

// One request received by a device.
struct StandinRequest {
    StandinChannel channel = StandinChannel::Main;
    std::string fromAddress;
    uint16_t fromPort = 0;
    const uint8_t* data = nullptr;
    int length = 0;
};

// Datagrams a handler sends back to the requester, each from the channel
// the request came in on.
typedef std::vector<std::vector<uint8_t>> StandinReplies;

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

    StandinDeviceProfile& Profile() { return m_profile; }
    const StandinDeviceProfile& Profile() const { return m_profile; }
    StandinFaults& Faults() { return m_faults; }

    // Sends a datagram from the device's main socket outside the answer to
    // a request (a later answer). The network sets the sender and clears it
    // before it closes the socket; safe from any thread.
    typedef std::function<void(const std::string& address, uint16_t port, const std::vector<uint8_t>& datagram)>
        Sender;
    void SetSender(Sender sender);
    void Send(const std::string& address, uint16_t port, const std::vector<uint8_t>& datagram);

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
