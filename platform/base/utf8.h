// The program's texts are UTF-8 where their bytes form valid sequences; any
// other byte stands for itself (a Windows-1252 character). Shared by the text
// drawing and the debug output, so that both read a text alike.
#pragma once

#include <cstddef>
#include <cstdint>

namespace trelwin {

// Length (2 to 4) and code point of a valid multi-byte UTF-8 sequence at p,
// of which `left` bytes may be read; 0 when the bytes there form none
// (overlong forms, surrogates and code points beyond U+10FFFF included).
inline int Utf8Sequence(const unsigned char* p, size_t left, uint32_t& code)
{
    const unsigned char b = p[0];
    int length;
    uint32_t min;
    if (b >= 0xC2 && b <= 0xDF) { length = 2; code = b & 0x1F; min = 0x80; }
    else if (b >= 0xE0 && b <= 0xEF) { length = 3; code = b & 0x0F; min = 0x800; }
    else if (b >= 0xF0 && b <= 0xF4) { length = 4; code = b & 0x07; min = 0x10000; }
    else return 0;
    if (left < static_cast<size_t>(length)) return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace trelwin
