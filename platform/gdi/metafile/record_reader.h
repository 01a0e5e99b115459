// Little-endian reads from a block of bytes that never go past its end: a
// read out of range gives 0, and has() says beforehand whether a range lies
// inside, so that counts from a file are checked before anything is
// allocated or looped over for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace trelwin::gdi::metafile {

class RecordReader {
public:
    RecordReader() = default;
    RecordReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t size() const { return size_; }
    const uint8_t* data() const { return data_; }
    bool has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }
    // Whether `count` items of `item` bytes fit from `offset`, without overflow.
    bool has_items(size_t offset, size_t count, size_t item) const {
        return offset <= size_ && (item == 0 || count <= (size_ - offset) / item);
    }
    RecordReader sub(size_t offset, size_t count) const {
        return has(offset, count) ? RecordReader(data_ + offset, count) : RecordReader();
    }

    uint8_t u8(size_t at) const { return has(at, 1) ? data_[at] : 0; }
    uint16_t u16(size_t at) const {
        return has(at, 2) ? static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8)) : 0;
    }
    int16_t s16(size_t at) const { return static_cast<int16_t>(u16(at)); }
    uint32_t u32(size_t at) const {
        if (!has(at, 4)) return 0;
        return data_[at] | (data_[at + 1] << 8) | (data_[at + 2] << 16) | (static_cast<uint32_t>(data_[at + 3]) << 24);
    }
    int32_t s32(size_t at) const { return static_cast<int32_t>(u32(at)); }
    float f32(size_t at) const {
        const uint32_t bits = u32(at);
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace trelwin::gdi::metafile
