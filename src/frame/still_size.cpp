// Still frame sizes (see still_size.h).
#include "frame/still_size.h"

#include <climits>

#include <turbojpeg.h>

#include "frame/sample_convert.h"
#include "frame/yuy2_convert.h"

namespace {

bool Usable(FrameSize s) {
    return s.width > 0 && s.height > 0 && s.width <= kMaxStillSide && s.height <= kMaxStillSide;
}

}  // namespace

bool MjpgHeaderSize(const uint8_t* buffer, size_t length, FrameSize* size) {
    if (!buffer || length == 0 || length > ULONG_MAX) return false;
    tjhandle handle = tjInitDecompress();
    if (!handle) return false;
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    // A header read with only a warning still gives the size (the decoder decides the rest).
    const bool ok = (tjDecompressHeader3(handle, buffer, static_cast<unsigned long>(length), &width, &height,
                                         &subsampling, &colorspace) == 0 ||
                     tjGetErrorCode(handle) == TJERR_WARNING) &&
                    width > 0 && height > 0;
    tjDestroy(handle);
    if (ok) *size = {width, height};
    return ok;
}

bool StillFrameSize(SampleFormat format, const uint8_t* buffer, size_t length, FrameSize preview,
                    FrameSize stillPin, FrameSize* size) {
    FrameSize s;
    switch (format) {
    case SampleFormat::Mjpg:
        if (!MjpgHeaderSize(buffer, length, &s)) return false;
        break;
    case SampleFormat::Yuy2:
        if (Usable(stillPin)) {
            s = stillPin;
        } else {
            s = preview;
            if (Usable(s) && IsYuy2OfAnotherSize(length, s.width, s.height)) return false;
        }
        if (!Usable(s) || length < Yuy2SampleBytes(s.width, s.height)) return false;
        break;
    default:
        return false;
    }
    if (!Usable(s)) return false;
    *size = s;
    return true;
}
