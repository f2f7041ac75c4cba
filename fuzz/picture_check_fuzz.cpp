// Fuzzes the picture check with arbitrary file contents (JPEG, PNG, BMP and TIFF structures): it
// must stay inside the bytes it is given, and what it accepts must fit the view's pixel limit.
// Bytes after a picture (a file padded or followed by something else) never change what it
// says of it: a whole picture stays whole, with the same size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/picture_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so reading one byte past the end is caught.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    PictureFacts f = InspectPicture(copy.get(), size);
    if (PictureAcceptable(f) && (f.width * f.height > kMaxPicturePixels || f.width <= 0 || f.height <= 0)) std::abort();
    // The same bytes with the last input byte's worth of bytes after them.
    const size_t extra = size ? 1 + data[size - 1] % 64 : 1;
    std::unique_ptr<uint8_t[]> longer(new uint8_t[size + extra]);
    if (size) std::memcpy(longer.get(), data, size);
    std::memset(longer.get() + size, size ? data[0] : 0, extra);
    const PictureFacts g = InspectPicture(longer.get(), size + extra);
    if (f.complete && !(g.complete && g.kind == f.kind && g.width == f.width && g.height == f.height)) std::abort();
    return 0;
}
