// One decompressor per frame: creating it costs next to nothing beside the decode itself.
#include "frame/mjpg_decode.h"

#include <climits>

#include <turbojpeg.h>

bool DecodeMjpg(const uint8_t* buffer, size_t length, int width, int height, DisplayFrame* target) {
    if (!buffer || !target || length == 0 || length > ULONG_MAX || DisplayFrameBytes(width, height) == 0) return false;
    if (uint64_t(width) * 3 > INT_MAX) return false;
    tjhandle handle = tjInitDecompress();
    if (!handle) return false;
    int jpegWidth = 0, jpegHeight = 0, subsampling = 0, colorspace = 0;
    bool ok = tjDecompressHeader3(handle, buffer, static_cast<unsigned long>(length), &jpegWidth, &jpegHeight,
                                  &subsampling, &colorspace) == 0 &&
              jpegWidth == width && jpegHeight == height;
    // A warning (truncated or corrupt data, the rest filled in) counts as a failure too: such a
    // frame is not shown.
    if (ok) ok = tjDecompress2(handle, buffer, static_cast<unsigned long>(length), target, width, width * 3, height, TJPF_BGR, 0) == 0;
    tjDestroy(handle);
    return ok;
}
