// Still frames keep their own size: from the JPEG header or the still pin's media type.
#include "frame/still_size.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <vector>

#include "frame/test_frames.h"
#include "frame/yuy2_convert.h"

namespace {

std::vector<uint8_t> Jpeg(int w, int h) {
    return EncodeJpeg(TexturedBgr(w, h, 5), w, h);
}

}  // namespace

TEST(StillSize, FromTheSampleOrThePin) {
    const FrameSize preview{64, 48}, none{}, pin{96, 80};
    const std::vector<uint8_t> bigJpeg = Jpeg(130, 98), jpeg = Jpeg(64, 48);
    const std::vector<uint8_t> garbage = NoisyBytes(5000, 3);
    struct Case {
        const char* what;
        SampleFormat format;
        std::vector<uint8_t> sample;
        FrameSize pin;
        bool ok;
        FrameSize size;
    } cases[] = {
        {"jpeg of the preview's size", SampleFormat::Mjpg, jpeg, none, true, {64, 48}},
        {"jpeg larger than the preview", SampleFormat::Mjpg, bigJpeg, none, true, {130, 98}},
        {"jpeg header wins over the pin", SampleFormat::Mjpg, bigJpeg, pin, true, {130, 98}},
        {"garbage", SampleFormat::Mjpg, garbage, none, false, {}},
        {"yuy2 at the pin's size", SampleFormat::Yuy2, NoisyBytes(Yuy2SampleBytes(96, 80), 1), pin, true, {96, 80}},
        {"yuy2 short of the pin's size", SampleFormat::Yuy2, NoisyBytes(Yuy2SampleBytes(96, 80) - 2, 1), pin, false, {}},
        {"yuy2 at the preview's size", SampleFormat::Yuy2, NoisyBytes(Yuy2SampleBytes(64, 48) + 16, 1), none, true, {64, 48}},
        {"yuy2 of an unknown size", SampleFormat::Yuy2, NoisyBytes(Yuy2SampleBytes(96, 80), 1), none, false, {}},
        {"yuy2 short", SampleFormat::Yuy2, NoisyBytes(100, 1), none, false, {}},
        {"other format", SampleFormat::Other, jpeg, pin, false, {}},
        {"pin beyond the largest still", SampleFormat::Yuy2, NoisyBytes(64, 1), {kMaxStillSide + 2, 2}, false, {}},
    };
    for (const auto& c : cases) {
        FrameSize size{-1, -1};
        EXPECT_EQ(StillFrameSize(c.format, c.sample.data(), c.sample.size(), preview, c.pin, &size), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(size.width, c.size.width) << c.what;
            EXPECT_EQ(size.height, c.size.height) << c.what;
        }
    }
}
