#include "platform/gdi/internal/jpeg_reader.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace trelwin::gdi {

namespace {

constexpr JDIMENSION kMaxSide = 32768;
// The program's pictures are skins and tooltip images, far below 16M pixels
// (64 MiB decoded). A few hundred bytes of JPEG can claim any size, so the
// claim is checked before anything is allocated.
constexpr uint64_t kMaxPixels = 1ull << 24;
// Each scan of a progressive stream is a pass over the coefficients of the
// whole picture, and a scan header costs ten bytes. Encoders write about ten
// scans (eighteen for four components in the usual scripts); a stream of
// more than a hundred is refused rather than decoded pass after pass.
constexpr int kMaxScans = 100;

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void on_error(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    longjmp(manager->jump, 1);
}

void on_message(j_common_ptr) {}

bool size_in_range(const jpeg_decompress_struct& info) {
    return info.output_width > 0 && info.output_height > 0 && info.output_width <= kMaxSide &&
           info.output_height <= kMaxSide &&
           static_cast<uint64_t>(info.output_width) * info.output_height <= kMaxPixels && info.output_components == 4;
}

// At least the number of scans the decoder will read: the one the header
// ended with and one for each SOS marker code after it. Every marker the
// decoder reads follows a 0xFF byte, and entropy-coded data never holds
// 0xFF 0xDA, so counting the pairs can only count too many.
int scans_at_most(const jpeg_decompress_struct& info) {
    const JOCTET* rest = info.src->next_input_byte;
    const size_t size = info.src->bytes_in_buffer;
    int scans = 1;
    for (size_t i = 0; i + 1 < size; ++i) {
        if (rest[i] == 0xFF && rest[i + 1] == 0xDA) ++scans;
    }
    return scans;
}

// Plain C-style decoding: nothing with a destructor lives across the jumps.
bool decode(const uint8_t* data, size_t size, JpegSink* sink, char* message) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = on_error;
    errors.base.output_message = on_message;
    errors.message[0] = '\0';
    if (setjmp(errors.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    // Judged from the header, before the decompression starts: starting it
    // sets aside the coefficients of the whole picture for a progressive
    // stream and reads every one of its scans.
    jpeg_calc_output_dimensions(&info);
    const char* refusal = !size_in_range(info)              ? "image size is out of range"
                          : scans_at_most(info) > kMaxScans ? "the image has too many scans"
                                                             : nullptr;
    if (refusal) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", refusal);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    ptrdiff_t stride = 0;
    uint8_t* top = sink->allocate(sink->context, static_cast<int>(info.output_width),
                                  static_cast<int>(info.output_height), &stride);
    if (!top) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", "out of memory");
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = top + stride * static_cast<ptrdiff_t>(info.output_scanline);
        if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
        // The decoder fills the fourth byte with 0xFF; a picture without alpha keeps it 0.
        for (JDIMENSION x = 0; x < info.output_width; ++x) row[x * 4 + 3] = 0;
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

bool read_jpeg(const uint8_t* data, size_t size, JpegSink* sink, std::string* error) {
    char message[JMSG_LENGTH_MAX] = {};
    if (decode(data, size, sink, message)) return true;
    if (error) *error = message[0] ? message : "JPEG image cannot be decoded";
    return false;
}

}  // namespace trelwin::gdi
