// The datagrams of the device update protocol: the common 8-byte header
// ("BRISEL", 0, command) and a payload of at most 514 bytes. Replies repeat
// the command they answer and carry a status in byte 8 (0 = accepted).
#pragma once

#include "platform/base/win_types.h"

enum _eUpgradeCommand : BYTE
{
    UPGRADE_START_LOAD = 1,
    UPGRADE_DATA = 2,
    UPGRADE_ABORT_LOAD = 3,
    // Sent: start recording; received later: the end of the recording.
    UPGRADE_RECORD = 4,
    UPGRADE_RECORD_PROGRESS = 6,
    UPGRADE_RESET = 7,
    UPGRADE_INVENTORY_32 = 9,
    UPGRADE_RESTORE_DEFAULTS = 10,
    UPGRADE_NOTHING_TO_UPGRADE = 11,
    UPGRADE_INVENTORY_12 = 12,
};

enum : int
{
    UPGRADE_HEADER_SIZE = 8,
    UPGRADE_PAYLOAD_MAX = 514,
    // Every receive uses a buffer of this size.
    UPGRADE_PACKET_MAX = UPGRADE_HEADER_SIZE + UPGRADE_PAYLOAD_MAX,
    // Image bytes per data datagram, and datagrams per acknowledged window.
    UPGRADE_BLOCK_SIZE = 512,
    UPGRADE_WINDOW_SLOTS = 10,
    // A start-load reply of this length selects window mode.
    UPGRADE_WINDOW_REPLY_LENGTH = 11,
    // Inventory record sizes (key, id, version; the long one has 20 more bytes).
    UPGRADE_INVENTORY_12_SIZE = 12,
    UPGRADE_INVENTORY_32_SIZE = 32,
    UPGRADE_INVENTORY_FIRST = 9,
};

// The payload of the commands that carry no data but three zero bytes (start
// load, abort, start record, restore defaults, nothing to upgrade).
inline constexpr BYTE UPGRADE_EMPTY_PAYLOAD[3] = {0, 0, 0};

#pragma pack(push, 1)
struct _TDevicePacket
{
    char magic[6];
    BYTE zero;
    BYTE command;
    BYTE data[UPGRADE_PAYLOAD_MAX];
};
#pragma pack(pop)

static_assert(sizeof(_TDevicePacket) == UPGRADE_PACKET_MAX);

// The fields of a received reply of nLength bytes; a field the datagram is too
// short to carry is absent.
struct _TDeviceReply
{
    const _TDevicePacket& packet;
    int nLength;

    BOOL HasStatus() const { return nLength > UPGRADE_HEADER_SIZE; }
    // Byte 8: 0 = accepted; record progress: the total steps.
    BYTE Status() const { return packet.data[0]; }
    BOOL HasCode() const { return nLength > UPGRADE_HEADER_SIZE + 1; }
    // Byte 9: the record's error code; record progress: the current step.
    BYTE Code() const { return packet.data[1]; }
    // Bytes 9..10 of a window acknowledgement: its last sequence number.
    BOOL HasSequence() const { return nLength >= UPGRADE_WINDOW_REPLY_LENGTH; }
    WORD Sequence() const { return static_cast<WORD>((packet.data[1] << 8) | packet.data[2]); }
};

// One slot of the load window: the payload length and its buffer (up to 512
// image bytes, then the 2-byte sequence number).
struct _TBuffer
{
    INT32 nLength;
    BYTE* pBuffer;
};
