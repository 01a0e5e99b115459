// The settings record that a device sends in answer to the settings request
// of discovery. It is versioned: newer versions append fields.
//
// Wire form, integers 32-bit little-endian, a string being a count and that
// many bytes: string "BRISEL", version, a, b, c, string s1, then d from
// version 1 and string s2 from version 2.
#pragma once

#include "platform/base/cstring.h"

class CDeviceSettings
{
public:
    CDeviceSettings() = default;

    // The serialised size; with a buffer, also writes the record into it.
    // Every field is written whatever the version.
    int Write(BYTE* buffer) const;

    // Reads a record from the length bytes of the buffer: the bytes
    // consumed, or 0 when the buffer is null, is not a settings record or
    // ends inside it. Fields that the record's version does not carry keep
    // their values; nothing changes on failure.
    int Read(const BYTE* buffer, int length);

    // 1 when both records serialise to the same bytes.
    int Equals(const CDeviceSettings& other) const;

    // Writes the count and the bytes of the text when there is a buffer;
    // returns the size either way.
    static int WriteLengthPrefixedString(BYTE* buffer, const CString& text);

    // Reads a string from the length bytes of the buffer: 4 + its count, or 0
    // when the count is negative or more than the bytes that follow.
    static int ReadLengthPrefixedString(const BYTE* buffer, int length, CString& text);

    DWORD a = 0;
    DWORD b = 0;
    DWORD c = 0;
    // The device's name.
    CString s1;
    // From version 1.
    DWORD d = 0;
    // The device's line status, from version 2.
    CString s2;
    int version = 2;
};
