// Internal: the system socket calls behind the Windows Sockets layer, with
// neutral types only, so that this header mixes with neither the system's
// socket headers nor the Windows Sockets names. Every call that fails sets
// the calling thread's WSA error code and returns -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace netsys {

// Address and port in network byte order.
struct Addr4 {
    uint32_t ip = 0;
    uint16_t port = 0;
};

enum class Kind { Stream, Datagram, Raw };
enum class Option { Debug, ReuseAddr, KeepAlive, DontRoute, Broadcast, OobInline, SendBuf, RecvBuf, Error, Type, AcceptConn, NoDelay };
enum class Shut { Receive, Send, Both };

// Flags of a send or receive.
constexpr int kFlagOob = 1;
constexpr int kFlagPeek = 2;
constexpr int kFlagDontRoute = 4;

// Readiness bits of one poll entry.
constexpr int kReadable = 1;
constexpr int kWritable = 2;
constexpr int kExcept = 4;
constexpr int kInvalid = 8;
struct PollItem {
    int fd;
    int want;
    int got;
};

struct Interface {
    uint32_t ip = 0, broadcast = 0, netmask = 0;  // network order
    bool up = false, canBroadcast = false, loopback = false, pointToPoint = false, multicast = false;
};

int LastError();
void SetLastError(int wsaError);
int ErrorFromErrno(int err);

int Open(Kind kind, int protocol);
int Close(int fd);
int Shutdown(int fd, Shut how);
int Bind(int fd, const Addr4& addr);
int Connect(int fd, const Addr4& addr);
int Listen(int fd, int backlog);
int Accept(int fd, Addr4* peer);
int LocalName(int fd, Addr4* addr);
int PeerName(int fd, Addr4* addr);
long Send(int fd, const void* data, size_t len, int flags, const Addr4* to);
long Receive(int fd, void* data, size_t len, int flags, Addr4* from);
// One datagram of SendMany.
struct ConstBuffer {
    const void* data;
    size_t length;
};
// Sends each buffer as a datagram of its own to the connected peer, in
// order, with as few system calls as the system allows. The number sent
// (fewer than count when an error stopped the rest); -1 when none went.
long SendMany(int fd, const ConstBuffer* datagrams, size_t count);
int SetOption(int fd, Option opt, int value);
int GetOption(int fd, Option opt, int* value);
int SetTimeout(int fd, bool receive, uint32_t ms);
int GetTimeout(int fd, bool receive, uint32_t* ms);
int SetLinger(int fd, bool on, int seconds);
int GetLinger(int fd, bool* on, int* seconds);
int SetNonBlocking(int fd, bool on);
int BytesReadable(int fd, unsigned long* count);
// Waits until one of the items is ready; timeoutMs < 0 waits without limit.
// Returns the number of items with any readiness bit, 0 on time-out.
int Poll(PollItem* items, size_t count, long timeoutMs);

// Dotted text (all the classic forms) to an address in network order.
bool ParseAddress(const char* text, uint32_t* ip);
// IPv4 addresses of a name, in network order; 0 or a WSA error code.
int Resolve(const char* name, std::vector<uint32_t>* addrs);
int HostName(std::string* name);
int ListInterfaces(std::vector<Interface>* list);

}  // namespace netsys
