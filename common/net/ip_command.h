// _TIPCommand: one packet received by the socket server, as its callback
// gets it.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

struct _TIPCommand {
    _TIPCommand();
    // Copies share the data buffer: the record does not own it. Whoever
    // filled the record frees the buffer (delete[]) once, after the callback
    // has returned; a callback copies what it keeps.
    _TIPCommand(const _TIPCommand& other);
    _TIPCommand& operator=(const _TIPCommand& other);
    ~_TIPCommand();

    // The frame's command (1 or more); 0 for a datagram.
    int m_nCommand;
    DWORD m_dwLength;
    // Exactly m_dwLength bytes; null when the length is 0.
    BYTE* m_pData;
    // Dotted IPv4 text of the sender.
    CString m_strAddress;
    // The sender's port, host order; datagrams only, 0 for stream packets.
    WORD m_wPort;
};
