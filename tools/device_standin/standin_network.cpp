#include "tools/device_standin/standin_network.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/net/net.h"
#include "tools/device_standin/standin_update.h"

// A socket of the stand-in: a device's channel, or the broadcast listener
// (no device) whose requests every device answers.
struct CStandinNetwork::Bound {
    SOCKET socket = INVALID_SOCKET;
    CStandinDevice* device = nullptr;
    StandinChannel channel = StandinChannel::Main;
};

namespace {

enum : char { WAKE_STOP = 's', WAKE_RELOAD = 'r' };

// A datagram socket bound to the address and port; the port may be shared
// with the broadcast listener, which is bound to the any address.
SOCKET OpenBound(ULONG address, uint16_t port, std::string& error) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        error = "sockets cannot be started";
        return INVALID_SOCKET;
    }
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) {
        error = "no socket: error " + std::to_string(WSAGetLastError());
        return INVALID_SOCKET;
    }
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof(on));
    setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof(on));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.S_un.S_addr = address;
    if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == SOCKET_ERROR) {
        in_addr shown{};
        shown.S_un.S_addr = address;
        error = std::string("cannot bind ") + inet_ntoa(shown) + ":" + std::to_string(port) + " (error " +
                std::to_string(WSAGetLastError()) + "; is the address on an interface?)";
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// Batches taken from one socket at one wake-up at most, so that a busy
// device cannot hold the loop from the others.
const int kRoundsPerWake = 4;

// A network that plays a single device takes the datagrams of a load one by
// one from a receive that waits on that device's own socket, as a device's
// own loop would: one system call per datagram (and one wake-up path) less
// than a wait over all its sockets. The other sockets and the wake-up pipe
// are looked at after this many datagrams, and as soon as the device's
// socket stays quiet this long.
const int kDirectDatagrams = 64;
const int kDirectQuietMs = 2;

}  // namespace

CStandinNetwork::CStandinNetwork(const StandinOptions& options) : m_options(options) {
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_wake[0] = m_wake[1] = -1;
    }
}

CStandinNetwork::~CStandinNetwork() {
    for (auto& device : m_devices) {
        device->SetSender(nullptr);
    }
    for (auto& bound : m_sockets) {
        closesocket(bound->socket);
    }
    for (int fd : m_wake) {
        if (fd >= 0) close(fd);
    }
}

bool CStandinNetwork::AddDevice(const StandinDeviceLine& line, std::string& error) {
    for (const auto& device : m_devices) {
        if (device->Profile().address == line.profile.address) {
            error = line.profile.address + " is described twice";
            return false;
        }
    }
    const ULONG address = inet_addr(line.profile.address.c_str());
    auto device = std::make_unique<CStandinDevice>(line.profile);
    device->Faults() = line.faults;
    auto main = std::make_unique<Bound>();
    main->socket = OpenBound(address, m_options.port, error);
    if (main->socket == INVALID_SOCKET) return false;
    main->device = device.get();
    const SOCKET mainSocket = main->socket;
    device->SetSender([mainSocket](uint32_t toIp, uint16_t toPort, const std::vector<uint8_t>& datagram) {
        SendDatagram(mainSocket, toIp, toPort, datagram.data(), datagram.size());
    });
    InstallStandinUpdate(*device, line.update);
    auto settings = std::make_unique<Bound>();
    settings->socket = OpenBound(address, static_cast<uint16_t>(m_options.port + 2), error);
    if (settings->socket == INVALID_SOCKET) {
        closesocket(main->socket);
        return false;
    }
    settings->device = device.get();
    settings->channel = StandinChannel::Settings;
    m_sockets.push_back(std::move(main));
    m_sockets.push_back(std::move(settings));
    m_devices.push_back(std::move(device));
    return true;
}

bool CStandinNetwork::Open(std::string& error) {
    if (m_wake[0] < 0) {
        error = "no wake-up pipe";
        return false;
    }
    if (m_options.listenBroadcast) {
        auto listener = std::make_unique<Bound>();
        listener->socket = OpenBound(INADDR_ANY, m_options.port, error);
        if (listener->socket == INVALID_SOCKET) return false;
        m_sockets.push_back(std::move(listener));
    }
    // Tags: 0 the wake-up pipe, i + 1 socket i.
    bool ok = m_poller.Ok() && m_poller.Add(m_wake[0], 0);
    for (size_t i = 0; ok && i < m_sockets.size(); ++i) ok = m_poller.Add(m_sockets[i]->socket, i + 1);
    if (!ok) error = std::string("cannot watch the sockets: ") + std::strerror(errno);
    if (ok && m_devices.size() == 1) {
        m_direct = m_sockets.front().get();
        if (!SetReceiveLimit(m_direct->socket, kDirectQuietMs)) m_direct = nullptr;
    }
    return ok;
}

void CStandinNetwork::Run() {
    const size_t directTag = 1;  // the lone device's main socket (see Open)
    bool direct = false;         // it is busy: waited on directly
    for (;;) {
        if (direct) {
            direct = ServeDirect(*m_direct);
            if (!Serve(m_poller.Wait(0))) return;
            continue;
        }
        const std::vector<size_t>& tags = m_poller.Wait();
        direct = m_direct != nullptr && std::find(tags.begin(), tags.end(), directTag) != tags.end();
        if (!Serve(tags)) return;
    }
}

// True while datagrams keep coming: the caller looks at the other sockets
// and comes back; false once the socket stayed quiet.
bool CStandinNetwork::ServeDirect(Bound& bound) {
    for (int datagram = 0; datagram < kDirectDatagrams; ++datagram) {
        const int count = m_batch.ReceiveWaiting(bound.socket);
        if (count == 0) return false;
        Dispatch(bound, count);
    }
    return true;
}

bool CStandinNetwork::Serve(const std::vector<size_t>& tags) {
    for (size_t tag : tags) {
        if (tag != 0) {
            Receive(*m_sockets[tag - 1]);
            continue;
        }
        char wake[16];
        const ssize_t n = read(m_wake[0], wake, sizeof(wake));
        for (ssize_t i = 0; i < n; ++i) {
            if (wake[i] == WAKE_STOP) return false;
            if (wake[i] == WAKE_RELOAD && m_reload) m_reload(*this);
        }
    }
    return true;
}

void CStandinNetwork::Receive(Bound& bound) {
    // A busy device takes at most a few batches before the others get theirs.
    for (int round = 0; round < kRoundsPerWake; ++round) {
        const int count = m_batch.Receive(bound.socket);
        Dispatch(bound, count);
        // A batch not full took all that waited; what comes later wakes the loop again.
        if (count < m_batch.Size()) return;
    }
}

void CStandinNetwork::Dispatch(Bound& bound, int count) {
    for (int k = 0; k < count; ++k) {
        const StandinDatagram& datagram = m_batch[k];
        if (datagram.length < 0) continue;  // too long for any request: nothing to answer
        StandinRequest request;
        request.channel = bound.channel;
        request.fromIp = datagram.ip;
        request.fromPort = datagram.port;
        request.data = datagram.data;
        request.length = datagram.length;
        std::lock_guard<std::mutex> lock(m_lock);
        ++m_requests;
        if (bound.device != nullptr) {
            Answer(bound, *bound.device, request);
            continue;
        }
        // A broadcast: every device answers through its own socket of the channel.
        for (auto& other : m_sockets) {
            if (other->device != nullptr && other->channel == bound.channel) {
                Answer(*other, *other->device, request);
            }
        }
    }
}

void CStandinNetwork::Answer(Bound& bound, CStandinDevice& device, const StandinRequest& request) {
    m_replies.clear();
    if (m_options.log != nullptr) {
        std::string what;
        device.Handle(request, m_replies, &what);
        Log(&device, request, what);
    } else {
        device.Handle(request, m_replies, nullptr);
    }
    for (const auto& reply : m_replies)
        SendDatagram(bound.socket, request.fromIp, request.fromPort, reply.data(), reply.size());
}

void CStandinNetwork::Log(const CStandinDevice* device, const StandinRequest& request, const std::string& what) {
    if (m_options.log == nullptr) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char stamp[32];
    strftime(stamp, sizeof(stamp), "%H:%M:%S", &local);
    std::fprintf(m_options.log, "%s.%03ld %s:%d <- %s:%u %s\n", stamp, now.tv_nsec / 1000000L,
                 device->Profile().address.c_str(),
                 request.channel == StandinChannel::Main ? m_options.port : m_options.port + 2,
                 request.FromText().c_str(), request.fromPort, what.c_str());
    std::fflush(m_options.log);
}

void CStandinNetwork::Stop() {
    const char wake = WAKE_STOP;
    if (m_wake[1] >= 0 && write(m_wake[1], &wake, 1) < 0) {
        // The pipe is full of earlier wake-ups: Run sees them.
    }
}

void CStandinNetwork::RequestReload() {
    const char wake = WAKE_RELOAD;
    if (m_wake[1] >= 0 && write(m_wake[1], &wake, 1) < 0) {
        // As in Stop.
    }
}

void CStandinNetwork::SetReloadFunction(std::function<void(CStandinNetwork&)> reload) { m_reload = std::move(reload); }

void CStandinNetwork::Update(const std::vector<StandinDeviceLine>& devices, std::string& warnings) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (const auto& line : devices) {
        bool found = false;
        for (auto& device : m_devices) {
            if (device->Profile().address == line.profile.address) {
                device->Profile() = line.profile;
                device->Faults() = line.faults;
                found = true;
                break;
            }
        }
        if (!found) {
            warnings += line.profile.address + " is not played (addresses are fixed at start); ignored\n";
        }
    }
}

bool CStandinNetwork::WithDevice(const std::string& address, const std::function<void(CStandinDevice&)>& change) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (auto& device : m_devices) {
        if (device->Profile().address == address) {
            change(*device);
            return true;
        }
    }
    return false;
}

bool CStandinNetwork::Plays(const std::string& address) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (const auto& device : m_devices) {
        if (device->Profile().address == address) return true;
    }
    return false;
}

uint64_t CStandinNetwork::RequestCount() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}
