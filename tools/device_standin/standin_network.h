// The stand-in's network side: every device bound to its own address on the
// device port and the settings port, one optional listener for broadcast
// requests on the device port, and one loop that receives, dispatches to the
// device the request was meant for, sends the replies and logs each request.
// A network of one device serves a load from a receive that waits on that
// device's socket, as a device of its own would; the program and the
// benchmarks play many devices fastest with one network (thread) per device.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/device_standin/standin_device.h"
#include "tools/device_standin/standin_description.h"
#include "tools/device_standin/standin_io.h"

struct StandinOptions {
    uint16_t port = 50013;         // device port; settings requests come to port + 2
    bool listenBroadcast = false;  // also take requests sent to 255.255.255.255 (answered by every device)
    FILE* log = nullptr;           // one line per request received; null = no log
};

class CStandinNetwork {
public:
    explicit CStandinNetwork(const StandinOptions& options);
    ~CStandinNetwork();
    CStandinNetwork(const CStandinNetwork&) = delete;
    CStandinNetwork& operator=(const CStandinNetwork&) = delete;

    // Binds the device's sockets; false with a message when an address is
    // taken twice or cannot be bound. Call before Run.
    bool AddDevice(const StandinDeviceLine& device, std::string& error);

    // Opens the broadcast listener when the options ask for it and watches
    // every socket; false with a message on failure. Call after the devices
    // are added, before Run.
    bool Open(std::string& error);

    // Receives and answers until Stop. Called on one thread.
    void Run();

    // Ends Run; safe from any thread and from a signal handler.
    void Stop();
    // Makes Run call the reload function on its own thread; safe from any
    // thread and from a signal handler.
    void RequestReload();
    void SetReloadFunction(std::function<void(CStandinNetwork&)> reload);

    // Applies new descriptions to the devices of the same address (type,
    // texts, answers, faults); an address that is not played is reported in
    // the warnings. Safe from any thread.
    void Update(const std::vector<StandinDeviceLine>& devices, std::string& warnings);

    // Runs a function on a device under the lock that Run takes while it
    // handles a request, e.g. to change a switch while the loop runs. False
    // when no device has the address.
    bool WithDevice(const std::string& address, const std::function<void(CStandinDevice&)>& change);

    // True when one of the devices has the address.
    bool Plays(const std::string& address);

    // Number of requests received (all devices), for tests.
    uint64_t RequestCount();

private:
    struct Bound;
    bool Serve(const std::vector<size_t>& tags);
    void Receive(Bound& bound);
    void Dispatch(Bound& bound, int count);
    bool ServeDirect(Bound& bound);
    void Answer(Bound& bound, CStandinDevice& device, const StandinRequest& request);
    void Log(const CStandinDevice* device, const StandinRequest& request, const std::string& what);

    StandinOptions m_options;
    std::vector<std::unique_ptr<CStandinDevice>> m_devices;
    std::vector<std::unique_ptr<Bound>> m_sockets;  // each device's two, then the broadcast listener
    int m_wake[2] = {-1, -1};                       // Stop and RequestReload write a byte here
    Bound* m_direct = nullptr;  // the lone device's main socket, waited on directly while busy (see Run)
    std::function<void(CStandinNetwork&)> m_reload;
    std::mutex m_lock;  // guards the devices while a request is handled
    uint64_t m_requests = 0;
    // Used by Run's thread only, for every request: nothing is allocated
    // per datagram.
    CStandinPoller m_poller;  // made with the network, so that Run needs no new descriptor
    CStandinBatch m_batch;
    StandinReplies m_replies;
};
