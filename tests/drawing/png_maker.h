// PNG images made by the tests themselves: with libpng for well-formed
// images of any colour type, depth and interlacing, and chunk by chunk
// (with zlib's CRC) for images that libpng would refuse to write.
#pragma once

#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace png_maker {

struct Spec
{
    int width = 1;
    int height = 1;
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    // The rows as the format packs them (16-bit samples big-endian).
    std::vector<std::vector<uint8_t>> rows;
    std::vector<png_color> palette;  // written when not empty, also for RGB images
    std::vector<uint8_t> paletteAlpha;  // tRNS of a palette image
    bool colourKey = false;             // tRNS of a grey or RGB image
    png_color_16 key{};
    bool interlaced = false;
    int compression = 6;
};

inline std::vector<uint8_t> Make(const Spec& spec)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_compression_level(png, spec.compression);
    png_set_IHDR(png, info, static_cast<png_uint_32>(spec.width), static_cast<png_uint_32>(spec.height),
                 spec.bitDepth, spec.colourType, spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.empty())
    {
        png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
    }
    if (!spec.paletteAlpha.empty())
    {
        png_set_tRNS(png, info, spec.paletteAlpha.data(), static_cast<int>(spec.paletteAlpha.size()), nullptr);
    }
    if (spec.colourKey)
    {
        png_set_tRNS(png, info, nullptr, 0, &spec.key);
    }
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
    {
        for (const auto& row : spec.rows)
        {
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// One chunk: length, type, data, CRC of type and data.
inline std::vector<uint8_t> Chunk(const char* type, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> chunk;
    const uint32_t length = static_cast<uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<uint8_t>(length >> shift));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(data.size() + 4));
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<uint8_t>(crc >> shift));
    return chunk;
}

inline std::vector<uint8_t> Signature()
{
    return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
}

// The 13 bytes of an IHDR chunk's data.
inline std::vector<uint8_t> Header(uint32_t width, uint32_t height, int bitDepth, int colourType)
{
    std::vector<uint8_t> h;
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) h.push_back(static_cast<uint8_t>(v >> shift));
    h.insert(h.end(), {static_cast<uint8_t>(bitDepth), static_cast<uint8_t>(colourType), 0, 0, 0});
    return h;
}

// IDAT data: the rows, each behind filter byte 0, deflated.
inline std::vector<uint8_t> Deflated(const std::vector<std::vector<uint8_t>>& rows)
{
    std::vector<uint8_t> raw;
    for (const auto& row : rows)
    {
        raw.push_back(0);
        raw.insert(raw.end(), row.begin(), row.end());
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> out(size);
    compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

inline std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace png_maker
