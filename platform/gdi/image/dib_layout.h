// The header of a device-independent bitmap read from untrusted bytes, and
// its conversion into a DIB section object. Shared by the BMP reader and the
// icon resources (whose header describes the colour image and the mask
// stacked on top of each other).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/internal/objects.h"

namespace trelwin::gdi {

struct DibLayout {
    int width = 0;
    int height = 0;        // rows of the image, always positive
    bool top_down = false;
    int bpp = 0;
    DWORD compression = BI_RGB;
    DWORD masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha (BI_BITFIELDS)
    std::vector<Pixel> palette;
    size_t header_bytes = 0;        // header, masks and colour table
    size_t stride = 0;              // bytes per row, padded to 4
};

// Reads the header, bit masks and colour table at the start of data.
// header_rows_factor is 2 for icon images, whose header counts the mask's
// rows too. Fails with a message on anything inconsistent or truncated.
bool parse_dib_header(const uint8_t* data, size_t size, int header_rows_factor, DibLayout& out, std::string* error);

// A DIB section holding the rows found at bits; `available` is the number of
// bytes there. 16-bit images become 24-bit and bit-field images 32-bit.
std::shared_ptr<BitmapObject> build_dib(const DibLayout& layout, const uint8_t* bits, size_t available,
                                        std::string* error);

inline void set_error(std::string* error, const char* message) {
    if (error) *error = message;
}

}  // namespace trelwin::gdi
