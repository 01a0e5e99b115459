#include "platform/gdi/image/jpeg_reader.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

// The library's headers declare INT32 as long unless told that another
// header already has; ours declares it as int and the library does not use it.
#define XMD_H
#include <jpeglib.h>
#undef XMD_H

#include "platform/gdi/image/dib_layout.h"

namespace trelwin::gdi {

namespace {

// The library reports fatal errors through error_exit, which must not
// return: it jumps back into decode() with the message saved.
struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf resume;
    char message[JMSG_LENGTH_MAX];
};

void on_error(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    longjmp(manager->resume, 1);
}

// Warnings (a truncated stream, for instance) are not printed; the decoder
// fills what is missing and the picture is still shown.
void on_message(j_common_ptr, int) {}

constexpr JDIMENSION kMaxSide = 65535;
constexpr unsigned long long kMaxPixels = 64ull * 1024 * 1024;

// Kept apart from any object with a destructor, so that the jump back from
// the error handler skips nothing that needs cleaning up.
bool decode(const unsigned char* data, unsigned long size, std::shared_ptr<BitmapObject>& out,
            std::vector<JSAMPLE>& row, std::string* error) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = on_error;
    errors.base.emit_message = on_message;
    errors.message[0] = '\0';
    if (setjmp(errors.resume) != 0) {
        jpeg_destroy_decompress(&info);
        if (error) *error = std::string("JPEG image is broken: ") + errors.message;
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_calc_output_dimensions(&info);
    if (info.output_width == 0 || info.output_height == 0 || info.output_width > kMaxSide ||
        info.output_height > kMaxSide ||
        static_cast<unsigned long long>(info.output_width) * info.output_height > kMaxPixels) {
        jpeg_destroy_decompress(&info);
        set_error(error, "JPEG image size is out of range");
        return false;
    }
    out = make_dib(static_cast<int>(info.output_width), static_cast<int>(info.output_height), 32, false, {});
    if (!out) {
        jpeg_destroy_decompress(&info);
        set_error(error, "out of memory for the JPEG image");
        return false;
    }
    jpeg_start_decompress(&info);
    row.resize(static_cast<size_t>(info.output_width) * 4);
    Surface& s = out->surface;
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
        uint8_t* target = s.row(y);
        for (JDIMENSION x = 0; x < info.output_width; ++x) {
            const JSAMPLE* p = row.data() + x * 4;
            uint8_t* q = target + x * 4;
            if (cmyk) {
                // Stored inverted, as the common writers do.
                q[0] = static_cast<uint8_t>(p[2] * p[3] / 255);
                q[1] = static_cast<uint8_t>(p[1] * p[3] / 255);
                q[2] = static_cast<uint8_t>(p[0] * p[3] / 255);
            } else {
                q[0] = p[0];
                q[1] = p[1];
                q[2] = p[2];
            }
            q[3] = 0;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

HBITMAP decode_jpeg(const void* data, size_t size, std::string* error) {
    if (!data || size < 4 || size > 0xFFFFFFFFu) {
        set_error(error, "not a JPEG image");
        return nullptr;
    }
    std::shared_ptr<BitmapObject> bitmap;
    std::vector<JSAMPLE> row;
    if (!decode(static_cast<const unsigned char*>(data), static_cast<unsigned long>(size), bitmap, row, error)) {
        return nullptr;
    }
    return static_cast<HBITMAP>(register_object(std::move(bitmap)));
}

}  // namespace trelwin::gdi
