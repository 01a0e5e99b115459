#include "platform/gdi/image/bmp_reader.h"

#include "platform/gdi/image/dib_layout.h"

namespace trelwin::gdi {

namespace {

constexpr size_t kFileHeaderBytes = 14;

HBITMAP finish(std::shared_ptr<BitmapObject> bitmap) {
    return bitmap ? static_cast<HBITMAP>(register_object(std::move(bitmap))) : nullptr;
}

}  // namespace

HBITMAP decode_bmp_file(const void* data, size_t size, std::string* error) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (!bytes || size < kFileHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') {
        set_error(error, "not a bitmap file");
        return nullptr;
    }
    DibLayout layout;
    if (!parse_dib_header(bytes + kFileHeaderBytes, size - kFileHeaderBytes, 1, layout, error)) return nullptr;
    const size_t offset = static_cast<size_t>(bytes[10]) | (static_cast<size_t>(bytes[11]) << 8) |
                          (static_cast<size_t>(bytes[12]) << 16) | (static_cast<size_t>(bytes[13]) << 24);
    size_t bits = kFileHeaderBytes + layout.header_bytes;
    if (offset != 0) {
        // The rows may start later than the colour table ends, never inside
        // the header or past the end of the file.
        if (offset < bits || offset > size) {
            set_error(error, "pixel data offset is out of range");
            return nullptr;
        }
        bits = offset;
    }
    return finish(build_dib(layout, bytes + bits, size - bits, error));
}

HBITMAP decode_packed_dib(const void* data, size_t size, std::string* error) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    DibLayout layout;
    if (!parse_dib_header(bytes, size, 1, layout, error)) return nullptr;
    return finish(build_dib(layout, bytes + layout.header_bytes, size - layout.header_bytes, error));
}

HBITMAP decode_bmp(const void* data, size_t size, std::string* error) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (bytes && size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return decode_bmp_file(data, size, error);
    return decode_packed_dib(data, size, error);
}

}  // namespace trelwin::gdi
