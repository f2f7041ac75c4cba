// Fuzzes the picture check with arbitrary file contents: it must stay inside the bytes it is
// given, and what it accepts must fit the view's pixel limit.
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
    return 0;
}
