// One decompressor per frame: creating it costs next to nothing beside the decode itself.
#include "frame/mjpg_decode.h"

#include <climits>

#include <turbojpeg.h>

namespace {

// True when the sample holds the end-of-image marker. Inside the compressed data every 0xFF
// is followed by a stuffed 0x00 or a restart marker, so FF D9 marks a frame that arrived whole;
// cameras may pad the sample with bytes after it.
bool HasEndOfImage(const uint8_t* buffer, size_t length) {
    for (size_t i = length; i-- > 1;)
        if (buffer[i] == 0xD9 && buffer[i - 1] == 0xFF) return true;
    return false;
}

}  // namespace

bool DecodeMjpg(const uint8_t* buffer, size_t length, int width, int height, DisplayFrame* target) {
    if (!buffer || !target || length == 0 || length > ULONG_MAX || DisplayFrameBytes(width, height) == 0) return false;
    if (uint64_t(width) * 3 > INT_MAX) return false;
    tjhandle handle = tjInitDecompress();
    if (!handle) return false;
    int jpegWidth = 0, jpegHeight = 0, subsampling = 0, colorspace = 0;
    // A header read with only a warning (stray bytes between markers) still gives the size.
    bool ok = (tjDecompressHeader3(handle, buffer, static_cast<unsigned long>(length), &jpegWidth, &jpegHeight,
                                   &subsampling, &colorspace) == 0 ||
               tjGetErrorCode(handle) == TJERR_WARNING) &&
              jpegWidth == width && jpegHeight == height;
    if (ok && tjDecompress2(handle, buffer, static_cast<unsigned long>(length), target, width, width * 3, height,
                            TJPF_BGR, 0) != 0) {
        // A warning still gives a whole picture. Many cameras send frames that draw one (stray
        // bytes before a marker, say) on every frame, and those frames are shown. A frame cut
        // short (no end marker; the rest would be filled in grey) or a fatal error is dropped.
        ok = tjGetErrorCode(handle) == TJERR_WARNING && HasEndOfImage(buffer, length);
    }
    tjDestroy(handle);
    return ok;
}
