// GIF images through giflib, read record by record so that only the first
// frame is ever decoded: later frames, comments and application data are
// never looked at.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/image_decode.h"

namespace trelwin::gdi {

namespace {

// The same bounds as the other decoders of the picture loader.
constexpr int kMaxSide = 32768;
constexpr uint64_t kMaxPixels = 1ull << 24;

struct MemoryInput {
    const uint8_t* data;
    size_t size;
    size_t position;
};

// giflib's read callback: a request past the end gives what is left, which
// giflib reports as a read error.
int read_memory(GifFileType* gif, GifByteType* out, int count) {
    auto* input = static_cast<MemoryInput*>(gif->UserData);
    if (count <= 0) return 0;
    const size_t n = std::min(static_cast<size_t>(count), input->size - input->position);
    std::memcpy(out, input->data + input->position, n);
    input->position += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

bool fail(std::string* error, const char* text) {
    if (error) *error = text;
    return false;
}

// The transparent index of a graphic control extension, read on to the end
// of the extension's blocks; -1 when it names none.
bool read_extension(GifFileType* gif, int* transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block) {
        GraphicsControlBlock control{};
        if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) *transparent = control.TransparentColor;
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
    }
    return true;
}

// The rows of an interlaced frame come in four passes.
std::vector<int> row_order(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
    return rows;
}

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    const ColorMapObject* colours = nullptr;
};

// Paints the frame's rows into the top-down picture: opaque pixels as
// (blue, green, red, 255), the transparent index left as zeros, indexes
// past the colour table black.
bool paint_frame(GifFileType* gif, const Frame& f, int transparent, uint8_t* bits, int width, int height,
                 std::string* error) {
    std::vector<GifPixelType> line(static_cast<size_t>(f.width));
    for (int y : row_order(f.height, f.interlaced)) {
        if (DGifGetLine(gif, line.data(), f.width) == GIF_ERROR) return fail(error, "the GIF image data is damaged");
        const int row = f.top + y;
        if (row < 0 || row >= height) continue;
        uint8_t* out = bits + static_cast<size_t>(row) * static_cast<size_t>(width) * 4;
        for (int x = 0; x < f.width; ++x) {
            const int column = f.left + x;
            if (column >= width) break;
            const int index = line[static_cast<size_t>(x)];
            if (index == transparent) continue;
            uint8_t* p = out + static_cast<size_t>(column) * 4;
            if (index < f.colours->ColorCount) {
                const GifColorType& c = f.colours->Colors[index];
                p[0] = c.Blue;
                p[1] = c.Green;
                p[2] = c.Red;
            }
            p[3] = 255;
        }
    }
    return true;
}

HBITMAP make_picture(int width, int height, void** bits) {
    BITMAPINFO info = trelwin::gdi::dib32_info(width, height);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (bitmap && *bits) std::memset(*bits, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    return bitmap;
}

bool within_bounds(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= kMaxPixels;
}

}  // namespace

HBITMAP decode_gif(const uint8_t* data, size_t size, std::string* error) {
    if (!data) {
        fail(error, "no GIF data");
        return nullptr;
    }
    MemoryInput input{data, size, 0};
    int open_error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&input, read_memory, &open_error));
    if (!gif) {
        fail(error, "not a GIF image");
        return nullptr;
    }
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) break;
        if (type == EXTENSION_RECORD_TYPE) {
            if (!read_extension(gif.get(), &transparent)) break;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) break;
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) break;
        const GifImageDesc& desc = gif->Image;
        Frame f{desc.Left, desc.Top, desc.Width, desc.Height, desc.Interlace,
                desc.ColorMap ? desc.ColorMap : gif->SColorMap};
        if (!within_bounds(f.width, f.height)) {
            fail(error, "the GIF frame is empty or too large");
            return nullptr;
        }
        if (!f.colours || f.colours->ColorCount <= 0) {
            fail(error, "the GIF image has no colour table");
            return nullptr;
        }
        // A picture as large as its logical screen; a screen of no size is
        // taken to be the first frame's extent.
        int width = gif->SWidth, height = gif->SHeight;
        if (width <= 0 || height <= 0) {
            width = f.left + f.width;
            height = f.top + f.height;
        }
        if (!within_bounds(width, height)) {
            fail(error, "the GIF image is too large");
            return nullptr;
        }
        void* bits = nullptr;
        HBITMAP picture = make_picture(width, height, &bits);
        if (!picture || !bits) {
            if (picture) DeleteObject(picture);
            fail(error, "no memory for the GIF image");
            return nullptr;
        }
        if (!paint_frame(gif.get(), f, transparent, static_cast<uint8_t*>(bits), width, height, error)) {
            DeleteObject(picture);
            return nullptr;
        }
        return picture;
    }
    fail(error, "the GIF image has no frame");
    return nullptr;
}

}  // namespace trelwin::gdi
