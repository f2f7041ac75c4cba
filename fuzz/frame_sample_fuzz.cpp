// Fuzzes the sample path of the frame pipeline: any bytes as a YUY2 or MJPG sample (or another
// format) of any small frame size, through the signal-frame test, the conversion into an
// exact-size frame, the effects and the frame-rate queue. Every converter version must give
// the reference's bytes, and an accepted MJPG frame must have been decoded whole: the part of
// the sample the recorder keeps of it (up to its end marker) is the same picture. The same
// bytes as a still-button sample: the size it is converted at is the header's (MJPG) or one the
// sample holds whole (YUY2), within the still's limit.
//
// Input: byte 0 format (0 YUY2, 1 MJPG, other: neither), bytes 1-2 width, bytes 3-4 height
// (little-endian, taken modulo 300 and 200), byte 5 effect bits (bit 5: the still pin names a
// size, the preview's turned sideways), bytes 6-7 a clock step in milliseconds, then the sample.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <cstring>
#include <vector>

#include "frame/cpu_features.h"
#include "frame/mjpg_decode.h"
#include "frame/frame_effects.h"
#include "frame/frame_rate.h"
#include "frame/sample_convert.h"
#include "frame/signal_frame.h"
#include "frame/still_size.h"
#include "frame/yuy2_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    const SampleFormat format = data[0] == 0 ? SampleFormat::Yuy2 : data[0] == 1 ? SampleFormat::Mjpg : SampleFormat::Other;
    const int width = int(data[1] | data[2] << 8) % 300 - 2;   // a few negative and zero sizes too
    const int height = int(data[3] | data[4] << 8) % 200 - 2;
    FrameEffects fx;
    fx.flipHorizontal = data[5] & 1;
    fx.gray = data[5] & 2;
    fx.binary = data[5] & 4;
    fx.invert = data[5] & 8;
    fx.emboss = data[5] & 16;
    const uint32_t step = uint32_t(data[6] | data[7] << 8);

    // The sample in a buffer of exactly its own size, so any read past it is caught.
    const size_t length = size - 8;
    std::unique_ptr<uint8_t[]> sample(new uint8_t[length ? length : 1]);
    if (length) std::memcpy(sample.get(), data + 8, length);

    if (IsSignalFrame(sample.get(), length) && length != kSignalFrameBytes) std::abort();

    // The still pin's sample.
    FrameSize still;
    const FrameSize pin = (data[5] & 32) ? FrameSize{height, width} : FrameSize{};
    if (StillFrameSize(format, sample.get(), length, {width, height}, pin, &still)) {
        if (still.width < 1 || still.height < 1 || still.width > kMaxStillSide || still.height > kMaxStillSide) std::abort();
        FrameSize header;
        if (format == SampleFormat::Mjpg && !(MjpgHeaderSize(sample.get(), length, &header) &&
                                              header.width == still.width && header.height == still.height))
            std::abort();
        if (format == SampleFormat::Yuy2 && length < size_t(still.width) * size_t(still.height) * 2) std::abort();
        if (int64_t(still.width) * still.height <= (int64_t(1) << 20)) {  // converted into a buffer of exactly its size
            std::unique_ptr<uint8_t[]> image(new uint8_t[DisplayFrameBytes(still.width, still.height)]);
            ConvertSample(format, sample.get(), length, still.width, still.height, image.get());
        }
    }

    static FrameRateMeter meter;
    static uint32_t clock = 0xFFFFF000u;  // crosses the wrap early
    static float fps = 30.0f;
    clock += step % 2000;
    UpdateFrameRate(meter, clock, fps);
    if (!(fps > 0.0f) || fps != fps) std::abort();

    const size_t frameBytes = DisplayFrameBytes(width, height);
    std::unique_ptr<uint8_t[]> frame(new uint8_t[frameBytes ? frameBytes : 1]);
    std::memset(frame.get(), 0x00, frameBytes ? frameBytes : 1);
    if (!ConvertSample(format, sample.get(), length, width, height, frameBytes ? frame.get() : nullptr)) return 0;

    // An accepted frame was written whole: decoding over other bytes gives the same picture
    // (a decode that stopped midway and still said yes would show what the buffer held).
    if (format == SampleFormat::Mjpg) {
        std::vector<uint8_t> again(frameBytes, 0xFF);
        if (!ConvertSample(format, sample.get(), length, width, height, again.data())) std::abort();
        if (std::memcmp(again.data(), frame.get(), frameBytes) != 0) std::abort();
        // What a compressed recording keeps of the sample: up to its end marker.
        const size_t kept = JpegDataLength(sample.get(), length);
        if (kept < 4 || kept > length || sample[kept - 2] != 0xFF || sample[kept - 1] != 0xD9) std::abort();
        std::fill(again.begin(), again.end(), 0xFF);
        if (!ConvertSample(format, sample.get(), kept, width, height, again.data())) std::abort();
        if (std::memcmp(again.data(), frame.get(), frameBytes) != 0) std::abort();
    }
    ApplyEffects(frame.get(), width, height, fx);

    if (format == SampleFormat::Yuy2) {
        std::vector<uint8_t> want(frameBytes), got(frameBytes);
        ConvertYuy2ToBgrScalar(sample.get(), width, height, want.data());
        ConvertYuy2ToBgrSse2(sample.get(), width, height, got.data());
        if (want != got) std::abort();
        if (CpuHasAvx2()) {
            ConvertYuy2ToBgrAvx2(sample.get(), width, height, got.data());
            if (want != got) std::abort();
        }
        // Effects: fast forms equal the plain ones.
        std::vector<uint8_t> plain = want;
        FlipHorizontal(want.data(), width, height);
        FlipHorizontalScalar(plain.data(), width, height);
        GrayFrame(want.data(), width, height);
        GrayFrameScalar(plain.data(), width, height);
        EmbossFrame(want.data(), width, height);
        EmbossFrameScalar(plain.data(), width, height);
        if (want != plain) std::abort();
    }
    return 0;
}
