// Little-endian fields of the archive's records, written into and read from
// byte buffers, whatever the byte order of the machine.
#pragma once

#include "platform/base/win_types.h"

namespace ZipBytes
{

inline void Put16(char*& p, WORD uValue)
{
    *p++ = static_cast<char>(uValue & 0xFF);
    *p++ = static_cast<char>(uValue >> 8);
}

inline void Put32(char*& p, DWORD uValue)
{
    Put16(p, static_cast<WORD>(uValue & 0xFFFF));
    Put16(p, static_cast<WORD>(uValue >> 16));
}

inline WORD Get16(const char*& p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    p += 2;
    return static_cast<WORD>(b[0] | (b[1] << 8));
}

inline DWORD Get32(const char*& p)
{
    const DWORD uLow = Get16(p);
    return uLow | (static_cast<DWORD>(Get16(p)) << 16);
}

}  // namespace ZipBytes
