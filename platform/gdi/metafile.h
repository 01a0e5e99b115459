// Metafiles: placeable Windows metafiles and enhanced metafiles, played
// record by record through this layer's own drawing calls.
//
// The player reads hostile bytes: every record's size, every count and
// every object index is checked against the record and the file before it
// is used, unknown records are skipped, and the drawing a file may ask for
// is bounded (see metafile/playback.h), so a damaged or malicious file
// ends with an error instead of a crash, a hang or an unbounded allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

// The picture's frame in HIMETRIC units (0.01 mm): a placeable metafile's
// bounding box at its units per inch, an enhanced metafile's frame.
struct MetafileFrame {
    int width = 0;
    int height = 0;
};

// True when the bytes start like a metafile of either kind (plain Windows
// metafiles included, which this player refuses for want of a size).
bool looks_like_metafile(const uint8_t* data, size_t size);

// Reads the header; false with a message in *error when the bytes are not
// a metafile this player can size.
bool read_metafile_frame(const uint8_t* data, size_t size, MetafileFrame* frame, std::string* error);

// Plays the metafile into `dest` (device coordinates of dc), its frame
// stretched to fill the rectangle. The DC's state is the same afterwards.
// False with a message when the file is damaged or asks for more drawing
// than the bound allows; what was drawn before stays drawn.
bool play_metafile(HDC dc, const RECT& dest, const uint8_t* data, size_t size, std::string* error);

}  // namespace trelwin::gdi
