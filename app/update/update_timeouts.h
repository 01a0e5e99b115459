// The time-outs of the update protocol, kept in the settings store. A run
// reads each at the start of the operation that uses it, so that a value
// changed in the registry counts from the next operation on. Those reads
// never write: a missing value is created with its default before the
// transfers start (CreateMissingUpdateTimeouts), because a settings write
// waits for the disk and would stall a transfer in the middle.
#pragma once

enum _eUpdateTimeout
{
    // Each command answer and each window acknowledgement (ms, 5000).
    UPGRADE_PACKET_TIMEOUT,
    // The whole of a device reset (ms, 60000).
    UPGRADE_RESET_TIMEOUT,
    // Each datagram of the record phase (ms, 120000).
    RECORD_PACKET_TIMEOUT,
};

// The time-out's value in ms; its default when the value is missing.
int ReadUpdateTimeout(_eUpdateTimeout timeout);

// Writes every missing time-out with its default, so that after the first
// update each stands in the registry where a user can change it. Call it
// before the transfers start; it costs a look at the settings when nothing
// is missing.
void CreateMissingUpdateTimeouts();
