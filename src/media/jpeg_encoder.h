// Video frames encoded as JPEG for compressed recordings: TurboJPEG, quality 85, 4:2:0, into
// one output buffer made once for the frame size, so encoding a frame allocates nothing.
// Not thread-safe: one encoder belongs to one thread at a time (the recorder's writer).
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int kVideoJpegQuality = 85;

class JpegEncoder {
public:
    JpegEncoder() = default;
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    // Encodes one top-down BGR DisplayFrame of width x height. The compressor and the buffer
    // are made at the first frame and again only when the size changes. False (nothing to
    // write) without memory or for a size TurboJPEG refuses; otherwise *jpeg and *size give the
    // image, valid until the next call or Release.
    bool Encode(const uint8_t* frame, int width, int height, const uint8_t** jpeg, size_t* size);

    // Frees the compressor and the buffer.
    void Release();

private:
    void* compressor_ = nullptr;   // tjhandle
    unsigned char* buffer_ = nullptr;
    unsigned long capacity_ = 0;
    int width_ = 0, height_ = 0;
};
