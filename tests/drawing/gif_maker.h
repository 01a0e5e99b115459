// GIF images made in the test through giflib's writer: one frame of
// palette indexes, optionally interlaced and with a transparent index.
#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <vector>

namespace gif_maker
{

struct Picture
{
    int width = 1;
    int height = 1;
    std::vector<GifColorType> palette;  // a power of two entries
    std::vector<std::vector<uint8_t>> rows;
    int transparent = -1;
    bool interlaced = false;
    int screenWidth = 0;  // 0: the frame's size
    int screenHeight = 0;
    int left = 0;
    int top = 0;
};

inline int Write(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

// The GIF's bytes, or nothing when giflib refuses the picture.
inline std::vector<uint8_t> Make(const Picture& picture)
{
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, Write, &error);
    if (gif == nullptr)
    {
        return {};
    }
    EGifSetGifVersion(gif, true);
    ColorMapObject* colours = GifMakeMapObject(static_cast<int>(picture.palette.size()), picture.palette.data());
    bool ok = colours != nullptr &&
              EGifPutScreenDesc(gif, picture.screenWidth ? picture.screenWidth : picture.width,
                                picture.screenHeight ? picture.screenHeight : picture.height, 8, 0, colours) == GIF_OK;
    if (ok && picture.transparent >= 0)
    {
        GraphicsControlBlock control{};
        control.TransparentColor = picture.transparent;
        GifByteType block[4];
        const size_t length = EGifGCBToExtension(&control, block);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), block) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, picture.left, picture.top, picture.width, picture.height, picture.interlaced, nullptr) == GIF_OK;
    // An interlaced frame is written in its four passes.
    std::vector<int> order;
    if (picture.interlaced)
    {
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < picture.height; y += step[pass]) order.push_back(y);
    }
    else
    {
        for (int y = 0; y < picture.height; ++y) order.push_back(y);
    }
    for (int y : order)
    {
        const std::vector<uint8_t>& indexes = picture.rows[static_cast<size_t>(y)];
        std::vector<GifPixelType> row(indexes.begin(), indexes.end());
        ok = ok && EGifPutLine(gif, row.data(), picture.width) == GIF_OK;
    }
    if (colours != nullptr)
    {
        GifFreeMapObject(colours);
    }
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
    {
        return {};
    }
    return out;
}

}  // namespace gif_maker
