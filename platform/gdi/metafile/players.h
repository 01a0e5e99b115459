// The two record players. Each reads its records from `file` (the whole
// metafile), starting past the header, and draws them through `playback`;
// it returns false with a message when a record is damaged or the playback
// ran out of budget. Shared bitmap reading for DIB records is here too.
#pragma once

#include <cstddef>
#include <string>

#include "platform/gdi/metafile/playback.h"
#include "platform/gdi/metafile/record_reader.h"

namespace trelwin::gdi::metafile {

// Header sizes and the fields the frame and the players need.
struct WmfHeader {
    int left = 0, top = 0, right = 0, bottom = 0;  // the bounding box, logical units
    int units_per_inch = 0;
    size_t records = 0;  // offset of the first record
    size_t objects = 0;  // size of the object table
};

struct EmfHeader {
    RECT frame{};  // 0.01 mm
    double pixels_per_mm_x = 0, pixels_per_mm_y = 0;
    size_t records = 0;
    size_t handles = 0;
};

bool read_wmf_header(const RecordReader& file, WmfHeader* header, std::string* error);
bool read_emf_header(const RecordReader& file, EmfHeader* header, std::string* error);

bool play_wmf(Playback& playback, const RecordReader& file, const WmfHeader& header, std::string* error);
bool play_emf(Playback& playback, const RecordReader& file, const EmfHeader& header, std::string* error);

// A packed DIB (header, colour table, rows) as a bitmap, or null.
HBITMAP packed_dib(const RecordReader& dib);
// A DIB whose header and rows lie apart in a record, as a bitmap, or null.
HBITMAP split_dib(const RecordReader& record, size_t header_offset, size_t header_size, size_t bits_offset,
                  size_t bits_size);
// A StretchDIBits-style source row (counted from the bottom of a
// bottom-up DIB) as the top row in the bitmap.
int source_top(HBITMAP bitmap, int y, int height);

}  // namespace trelwin::gdi::metafile
