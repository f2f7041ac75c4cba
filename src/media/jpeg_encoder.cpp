// TurboJPEG compression of video frames into a buffer kept between frames (see jpeg_encoder.h).
#include "media/jpeg_encoder.h"

#include <climits>

#include <turbojpeg.h>

#include "frame/display_frame.h"

JpegEncoder::~JpegEncoder() { Release(); }

void JpegEncoder::Release() {
    if (compressor_) tjDestroy(compressor_);
    if (buffer_) tjFree(buffer_);
    compressor_ = nullptr;
    buffer_ = nullptr;
    capacity_ = 0;
    width_ = height_ = 0;
}

bool JpegEncoder::Encode(const uint8_t* frame, int width, int height, const uint8_t** jpeg, size_t* size) {
    if (!frame || DisplayFrameBytes(width, height) == 0 || uint64_t(width) * 3 > INT_MAX) return false;
    if (width != width_ || height != height_ || !compressor_ || !buffer_) {
        Release();
        const unsigned long bound = tjBufSize(width, height, TJSAMP_420);
        if (bound == static_cast<unsigned long>(-1) || bound > INT_MAX) return false;
        compressor_ = tjInitCompress();
        buffer_ = tjAlloc(int(bound));
        if (!compressor_ || !buffer_) {
            Release();
            return false;
        }
        capacity_ = bound;
        width_ = width;
        height_ = height;
    }
    unsigned char* out = buffer_;
    unsigned long bytes = capacity_;
    // The buffer holds the worst case for this size, so TurboJPEG never needs to grow it.
    if (tjCompress2(compressor_, frame, width, width * 3, height, TJPF_BGR, &out, &bytes, TJSAMP_420,
                    kVideoJpegQuality, TJFLAG_NOREALLOC) != 0)
        return false;
    *jpeg = out;
    *size = bytes;
    return true;
}
