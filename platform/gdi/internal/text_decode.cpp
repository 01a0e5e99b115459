#include "platform/gdi/internal/text_decode.h"

#include "platform/base/utf8.h"

namespace trelwin::gdi {

uint32_t cp1252_to_unicode(uint8_t byte) {
    static const uint16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (byte >= 0x80 && byte < 0xA0) return high[byte - 0x80];
    return byte;
}

std::vector<DecodedChar> decode_text(std::string_view text) {
    std::vector<DecodedChar> out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t i = 0;
    while (i < text.size()) {
        uint32_t code = 0;
        int length = p[i] < 0x80 ? 0 : Utf8Sequence(p + i, text.size() - i, code);
        if (length == 0) {
            code = cp1252_to_unicode(p[i]);
            length = 1;
        }
        out.push_back(DecodedChar{code, static_cast<uint32_t>(i), static_cast<uint32_t>(length)});
        i += static_cast<size_t>(length);
    }
    return out;
}

}  // namespace trelwin::gdi
