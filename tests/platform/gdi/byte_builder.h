// Little-endian byte strings built field by field, so that tests of the
// picture and icon readers control every header value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gdi_test {

class Bytes {
public:
    Bytes& u8(unsigned v) {
        data.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Bytes& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    Bytes& zeros(size_t n) {
        data.insert(data.end(), n, 0);
        return *this;
    }
    Bytes& append(const Bytes& other) {
        data.insert(data.end(), other.data.begin(), other.data.end());
        return *this;
    }
    std::vector<uint8_t> data;
};

}  // namespace gdi_test
