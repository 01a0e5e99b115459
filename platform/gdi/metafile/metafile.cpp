// The metafile entry points: which kind a file is, its frame, and playing
// it into a rectangle; and the DIB reading both players share.
#include "platform/gdi/metafile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/image_decode.h"
#include "platform/gdi/metafile/players.h"

namespace trelwin::gdi {

using metafile::RecordReader;

namespace {

enum class Kind { Placeable, Plain, Enhanced, None };

Kind kind_of(const RecordReader& file) {
    if (file.u32(0) == 0x9AC6CDD7) return Kind::Placeable;
    if (file.u32(0) == 1 && file.u32(40) == 0x464D4520) return Kind::Enhanced;
    const uint16_t type = file.u16(0), words = file.u16(2);
    if (file.has(0, 18) && (type == 1 || type == 2) && words == 9) return Kind::Plain;
    return Kind::None;
}

// HIMETRIC size of the placeable box: logical units at units per inch.
int himetric(int from, int to, int per_inch) {
    return static_cast<int>((static_cast<int64_t>(std::abs(to - from)) * 2540 + per_inch / 2) / per_inch);
}

}  // namespace

bool looks_like_metafile(const uint8_t* data, size_t size) {
    return data && kind_of(RecordReader(data, size)) != Kind::None;
}

bool read_metafile_frame(const uint8_t* data, size_t size, MetafileFrame* frame, std::string* error) {
    const RecordReader file(data, data ? size : 0);
    switch (kind_of(file)) {
        case Kind::Placeable: {
            metafile::WmfHeader header;
            if (!metafile::read_wmf_header(file, &header, error)) return false;
            frame->width = himetric(header.left, header.right, header.units_per_inch);
            frame->height = himetric(header.top, header.bottom, header.units_per_inch);
            return true;
        }
        case Kind::Enhanced: {
            metafile::EmfHeader header;
            if (!metafile::read_emf_header(file, &header, error)) return false;
            frame->width = header.frame.right - header.frame.left;
            frame->height = header.frame.bottom - header.frame.top;
            return true;
        }
        case Kind::Plain:
            if (error) *error = "a metafile without a placeable header has no size";
            return false;
        case Kind::None: break;
    }
    if (error) *error = "not a metafile";
    return false;
}

bool play_metafile(HDC dc, const RECT& dest, const uint8_t* data, size_t size, std::string* error) {
    const RecordReader file(data, data ? size : 0);
    const double width = static_cast<double>(dest.right) - dest.left;
    const double height = static_cast<double>(dest.bottom) - dest.top;
    switch (kind_of(file)) {
        case Kind::Placeable: {
            metafile::WmfHeader header;
            if (!metafile::read_wmf_header(file, &header, error)) return false;
            metafile::Playback playback(dc, dest);
            // The window (the bounding box, until the records set their
            // own) maps onto a viewport of the destination's size.
            playback.mapping().viewport_ext_x = width;
            playback.mapping().viewport_ext_y = height;
            playback.set_reference(1, 1, 1, 1, dest.left, dest.top);
            return metafile::play_wmf(playback, file, header, error);
        }
        case Kind::Enhanced: {
            metafile::EmfHeader header;
            if (!metafile::read_emf_header(file, &header, error)) return false;
            metafile::Playback playback(dc, dest);
            // The frame, in the reference device's pixels, stretched over
            // the destination.
            const double left = header.frame.left / 100.0 * header.pixels_per_mm_x;
            const double top = header.frame.top / 100.0 * header.pixels_per_mm_y;
            const double frame_w = (header.frame.right - header.frame.left) / 100.0 * header.pixels_per_mm_x;
            const double frame_h = (header.frame.bottom - header.frame.top) / 100.0 * header.pixels_per_mm_y;
            const double sx = width / frame_w, sy = height / frame_h;
            playback.set_reference(header.pixels_per_mm_x, header.pixels_per_mm_y, sx, sy, dest.left - left * sx,
                                   dest.top - top * sy);
            return metafile::play_emf(playback, file, header, error);
        }
        default: break;
    }
    MetafileFrame frame;
    return read_metafile_frame(data, size, &frame, error);
}

namespace metafile {

HBITMAP packed_dib(const RecordReader& dib) {
    if (dib.size() == 0) return nullptr;
    return decode_bmp(dib.data(), dib.size(), nullptr);
}

HBITMAP split_dib(const RecordReader& record, size_t header_offset, size_t header_size, size_t bits_offset,
                  size_t bits_size) {
    if (header_size < 12 || !record.has(header_offset, header_size) || !record.has(bits_offset, bits_size))
        return nullptr;
    // As a BMP file: the file header says where the rows start.
    std::vector<uint8_t> file(14 + header_size + bits_size);
    const uint32_t total = static_cast<uint32_t>(file.size()), rows = static_cast<uint32_t>(14 + header_size);
    file[0] = 'B';
    file[1] = 'M';
    for (int i = 0; i < 4; ++i) {
        file[2 + i] = static_cast<uint8_t>(total >> (8 * i));
        file[10 + i] = static_cast<uint8_t>(rows >> (8 * i));
    }
    std::memcpy(file.data() + 14, record.data() + header_offset, header_size);
    if (bits_size) std::memcpy(file.data() + rows, record.data() + bits_offset, bits_size);
    return decode_bmp(file.data(), file.size(), nullptr);
}

int source_top(HBITMAP bitmap, int y, int height) {
    DIBSECTION ds{};
    if (GetObject(bitmap, sizeof(ds), &ds) != static_cast<int>(sizeof(ds)) || ds.dsBmih.biHeight < 0) return y;
    const int64_t top = int64_t{ds.dsBm.bmHeight} - y - height;
    return static_cast<int>(std::clamp<int64_t>(top, INT32_MIN, INT32_MAX));
}

}  // namespace metafile

}  // namespace trelwin::gdi
