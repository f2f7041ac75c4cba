// The conversion step shared by the preview and still callbacks.
#include "frame/sample_convert.h"

#include "frame/mjpg_decode.h"
#include "frame/yuy2_convert.h"

bool ConvertSample(SampleFormat format, const uint8_t* buffer, size_t length, int width, int height,
                   DisplayFrame* target, const ChannelGains& gains) {
    if (!buffer || !target || DisplayFrameBytes(width, height) == 0) return false;
    switch (format) {
    case SampleFormat::Yuy2:
        if (length < Yuy2SampleBytes(width, height)) return false;
        ConvertYuy2ToBgrBalanced(buffer, width, height, target, gains);
        return true;
    case SampleFormat::Mjpg:
        return DecodeMjpg(buffer, length, width, height, target, gains);
    default:
        return false;
    }
}

bool IsYuy2OfAnotherSize(size_t length, int width, int height) {
    const size_t frame = Yuy2SampleBytes(width, height);
    return frame == 0 || length >= frame + size_t(width) * 2;
}
