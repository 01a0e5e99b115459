#include "platform/gdi/image_decode.h"
#include "platform/gdi/internal/jpeg_reader.h"
#include "platform/gdi/internal/objects.h"

namespace trelwin::gdi {

HBITMAP decode_jpeg(const uint8_t* data, size_t size, std::string* error) {
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        if (error) *error = "not a JPEG image";
        return nullptr;
    }
    std::shared_ptr<BitmapObject> bitmap;
    JpegSink sink{&bitmap, [](void* context, int width, int height, ptrdiff_t* stride) -> uint8_t* {
                      auto& target = *static_cast<std::shared_ptr<BitmapObject>*>(context);
                      target = make_dib(width, height, 32, false, {});
                      if (!target) return nullptr;
                      *stride = target->surface.stride;
                      return target->surface.bits;
                  }};
    if (!read_jpeg(data, size, &sink, error)) return nullptr;
    return static_cast<HBITMAP>(register_object(bitmap));
}

}  // namespace trelwin::gdi
