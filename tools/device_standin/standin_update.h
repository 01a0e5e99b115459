// The device's side of the update protocol: reset into the loader, load in
// plain or window mode, abort, record with progress datagrams, inventory of
// the sections it holds, restore defaults and "nothing to upgrade". A device
// keeps what it recorded: an image in the container format replaces the
// sections of the same key and id in its inventory.
//
// A plain data block carries no number: a block that comes again (its
// acknowledgement was lost or late) is kept again, as any device must keep
// it, so the load then holds it twice.
//
// Description keys (on a device line of the stand-in):
//   load=window|plain        answer start load with 11 bytes, or 9
//   bare-start-reply=yes|no  start load is answered by the 8-byte header alone (no status) and opens no load
//   record-steps=N           record progress datagrams (0..255, default 3)
//   record-pace=MS           time between them (default 10)
//   record-error=CODE        the record end reports this error (1..255)
//   start-record-error=CODE  the answer to start record refuses with it
//   loss=PERCENT             drops that share of the data datagrams received
//   duplicate-acks=yes|no    every data acknowledgement is sent twice
//   ack-delay=MS             data acknowledgements come this much later
//   refuse-acks=N            the first N data acknowledgements refuse (byte 8 = 1)
//   short-refusals=yes|no    a refusing window acknowledgement carries only its status
//   lose-data=N[,N...]       these data datagrams of each load (1 = its first) are lost
//   drop-acks=N[,N...]       these data acknowledgements of each load (1 = its first) are not sent
//   faulty-loads=N           lose-data and drop-acks apply to the first N loads only (default: every load)
//   answer-delay=N[,N...]:MS the answers to these commands, and what follows them, come MS later
//   reset-reply=yes|no       no: the reset is never answered
//   update-silent=yes|no     receives and logs the update commands, answers none
//   ignore=N[,N...]          receives and logs these commands, answers none
//   record-end=yes|no        no: the recording never ends
//   short-record-end=yes|no  the record end carries only its status, not its code
//   slow=MS                  every answer comes this much later
//   inventory12=ANSWER       inventory9=ANSWER   how the inventory commands are answered:
//                            yes, no (not at all), bare (the 8-byte header alone, no count),
//                            count:N (the count byte says N, whatever records follow)
//   section=KEY:ID:VERSION   a section the device holds at start (repeatable)
//   dump=DIR                 writes every recorded image to DIR/ADDRESS-N.bin
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/device_standin/standin_device.h"

// The update commands, as the device numbers them.
namespace standin_command {
enum : uint8_t {
    kStartLoad = 1,
    kData = 2,
    kAbortLoad = 3,
    kRecord = 4,
    kRecordProgress = 6,
    kReset = 7,
    kInventory32 = 9,
    kRestore = 10,
    kNothingToUpgrade = 11,
    kInventory12 = 12,
};
}  // namespace standin_command

// A reply of a few bytes, built on the stack: the answers to data datagrams
// allocate nothing.
struct ShortDatagram {
    uint8_t bytes[16];
    size_t size = 0;
};

// A section installed in the device, as its inventory reports it.
struct StandinSection {
    uint16_t key = 0;
    uint32_t id = 0;
    std::string version;  // 6 characters

    bool operator==(const StandinSection& other) const {
        return key == other.key && id == other.id && version == other.version;
    }
};

// An inventory answer that does not hold what it says, for tests; by
// default the device tells the truth.
struct StandinInventoryLie {
    bool bare = false;      // the 8-byte header alone, without the count
    int claimedCount = -1;  // 0..255: the count byte says this, whatever records follow
};

struct StandinUpdateProfile {
    int startReplyLength = 11;  // 11 selects window mode
    bool bareStartReply = false;
    int recordSteps = 3;
    int recordPaceMs = 10;
    int recordError = 0;
    int startRecordError = 0;
    int lossPercent = 0;
    bool duplicateAcks = false;
    int ackDelayMs = 0;
    int refuseAcks = 0;
    bool shortRefusals = false;
    std::vector<int> loseData;  // ordinals within a load, 1 = its first data datagram
    std::vector<int> dropAcks;  // ordinals within a load, 1 = its first acknowledgement
    int faultyLoads = -1;       // loads that loseData and dropAcks apply to; below 0: every load
    std::vector<uint8_t> lateCommands;
    int lateMs = 0;             // the answers to lateCommands come this much later
    bool resetAnswers = true;
    bool silent = false;
    std::vector<uint8_t> ignored;
    bool recordEnds = true;
    bool shortRecordEnd = false;
    int slowMs = 0;
    bool answersInventory12 = true;
    bool answersInventory9 = true;
    StandinInventoryLie inventory12Lie;
    StandinInventoryLie inventory9Lie;
    std::vector<StandinSection> sections;
    std::string dumpDirectory;
    // False: a load keeps only the length and CRC-32 of what it received
    // (many large loads at once), no bytes and no sequence numbers, and a
    // recorded image changes no section.
    bool keepBytes = true;
    size_t loadsKept = 4;  // loads that Loads() keeps, the latest last
};

// One load as the device saw it.
struct StandinLoad {
    bool windowMode = false;
    std::vector<uint8_t> bytes;  // image bytes received, in order (unless the profile keeps none)
    uint64_t size = 0;           // image bytes received
    uint32_t crc = 0;            // their CRC-32
    // Window mode: the sequence number of every data datagram received
    // (not the lost ones), in order.
    std::vector<uint16_t> sequences;
    bool aborted = false;
    bool recorded = false;  // start record accepted and no record error
};

class CStandinUpdater {
public:
    explicit CStandinUpdater(StandinUpdateProfile profile);
    ~CStandinUpdater();
    CStandinUpdater(const CStandinUpdater&) = delete;
    CStandinUpdater& operator=(const CStandinUpdater&) = delete;

    // Answers one update command (the header has been checked).
    void Handle(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies);

    // What the device has seen, for tests; safe from any thread.
    std::vector<StandinLoad> Loads() const;
    std::vector<StandinSection> Sections() const;
    // Every update command received, in order (also the dropped and the
    // unanswered ones).
    std::vector<uint8_t> Commands() const;
    int CountOf(uint8_t command) const;
    // Changes the switches while the device runs.
    void SetProfile(const StandinUpdateProfile& profile);

private:
    // Now (into the replies) or after the delay.
    void Reply(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies,
               const uint8_t* datagram, size_t length, int delayMs);
    void Reply(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies,
               const ShortDatagram& datagram, int delayMs);
    void Reply(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies,
               const std::vector<uint8_t>& datagram, int delayMs);
    void OnData(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies);
    void OnStartRecord(CStandinDevice& device, const StandinRequest& request, StandinReplies& replies);
    std::vector<uint8_t> Inventory(uint8_t command, size_t recordSize, const StandinInventoryLie& lie) const;
    // The delay of the answers to the command (and of what follows them).
    int DelayOf(uint8_t command) const;
    // Whether the scripted faults apply to the load now going on.
    bool FaultyLoad() const;
    void Record(const std::string& address, const std::vector<uint8_t>& image);
    bool Lose();
    void Take(StandinLoad& load, const uint8_t* bytes, size_t length);

    mutable std::mutex m_lock;
    StandinUpdateProfile m_profile;
    std::vector<uint8_t> m_commands;
    std::vector<StandinLoad> m_loads;
    int m_loadsStarted = 0;  // every load opened, also those no longer kept
    bool m_inLoader = false;
    bool m_loading = false;
    uint16_t m_windowBase = 1;  // first sequence number of the window being filled
    bool m_windowDone = false;  // a window has been acknowledged in this load
    std::vector<std::vector<uint8_t>> m_slots;
    std::vector<bool> m_filled;
    int m_dataInLoad = 0;  // data datagrams received in this load
    int m_acksInLoad = 0;  // acknowledgements sent (or dropped) in this load
    uint32_t m_random = 12345;
    int m_dumpCount = 0;
};

// Makes the device play the update protocol with these switches; the
// returned object tells what it received and recorded.
std::shared_ptr<CStandinUpdater> InstallStandinUpdate(CStandinDevice& device, const StandinUpdateProfile& profile);

// True when the key belongs to the update side; then parses its value (false
// with a message for bad input).
bool IsStandinUpdateKey(const std::string& key);
bool ParseStandinUpdateKey(const std::string& key, const std::string& value, StandinUpdateProfile& profile,
                           std::string& error);
