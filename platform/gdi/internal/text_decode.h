// Text bytes are UTF-8 where they form valid sequences; any other byte is a
// Windows-1252 character (the mark-up's entities produce such bytes).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace trelwin::gdi {

struct DecodedChar {
    uint32_t code;   // Unicode code point
    uint32_t offset;  // first byte in the text
    uint32_t length;  // bytes it took
};

std::vector<DecodedChar> decode_text(std::string_view text);
uint32_t cp1252_to_unicode(uint8_t byte);

}  // namespace trelwin::gdi
