// The program's debug output on standard error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/base/process.h"
#include "platform/base/utf8.h"

namespace
{

void AppendEscaped(std::string& out, unsigned char byte)
{
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

std::string Escaped(const char* text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const size_t size = std::strlen(text);
    std::string out;
    out.reserve(size);
    for (size_t i = 0; i < size;)
    {
        const unsigned char b = p[i];
        if (b == '\\')
        {
            out += "\\\\";
            ++i;
        }
        else if (b >= 0x20 && b < 0x7F)
        {
            out += static_cast<char>(b);
            ++i;
        }
        else if (b == '\n' && i + 1 == size)
        {
            out += '\n';
            ++i;
        }
        else if (b < 0x80)
        {
            AppendEscaped(out, b);
            ++i;
        }
        else
        {
            uint32_t code = 0;
            const int length = trelwin::Utf8Sequence(p + i, size - i, code);
            const bool shown = length > 0 && code > 0x9F;
            for (int k = 0; k < (length > 0 ? length : 1); ++k)
            {
                if (shown)
                    out += static_cast<char>(p[i + k]);
                else
                    AppendEscaped(out, p[i + k]);
            }
            i += static_cast<size_t>(length > 0 ? length : 1);
        }
    }
    return out;
}

} // namespace

void OutputDebugStringA(LPCSTR lpOutputString)
{
    static const bool enabled = getenv("TRELWIN_DEBUG_OUTPUT") != nullptr;
    if (enabled && lpOutputString)
        fputs(Escaped(lpOutputString).c_str(), stderr);
}
