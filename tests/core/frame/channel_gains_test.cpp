// The white-balance gains: exact rounding and clamping, the vector versions byte for byte
// against the reference at every length around their block sizes, and the conversions that
// apply them on the way giving what converting first and balancing after gives.
#include "frame/channel_gains.h"

#include <gtest/gtest.h>

#include <vector>

#include "frame/cpu_features.h"
#include "frame/sample_convert.h"
#include "frame/test_frames.h"
#include "frame/white_balance.h"
#include "frame/yuy2_convert.h"

namespace {

TEST(ChannelGains, RoundsToNearestAndClamps) {
    struct Case { uint8_t in; uint16_t gain; uint8_t out; } cases[] = {
        {100, 4096, 100}, {100, 6144, 150}, {1, 6144, 2},   // 1.5 rounds up
        {3, 2048, 2},     {255, 8192, 255}, {200, 32767, 255}, {0, 32767, 0},
        {255, 256, 16},   {129, 4095, 129},
    };
    for (const Case& c : cases) {
        uint8_t px[3] = {c.in, c.in, c.in};
        ApplyChannelGainsScalar(px, 1, {c.gain, c.gain, c.gain});
        EXPECT_EQ(px[0], c.out) << int(c.in) << " x " << c.gain;
    }
    EXPECT_EQ(ClampGain(0), kUnityGain);  // a balance never lowers a channel
    EXPECT_EQ(ClampGain(1 << 20), kMaxGain);
}

TEST(ChannelGains, VectorVersionsEqualTheReference) {
    using Apply = void (*)(uint8_t*, size_t, const ChannelGains&);
    std::vector<Apply> versions = {ApplyChannelGainsSse2, ApplyChannelGains};
    if (CpuHasAvx2()) versions.push_back(ApplyChannelGainsAvx2);
    const ChannelGains gains[] = {{4096, 4819, 5851}, {2000, 4096, 9000}, {kMaxGain, 256, 4097}};
    for (size_t pixels : {size_t(0), size_t(1), size_t(15), size_t(16), size_t(17), size_t(31), size_t(32),
                          size_t(33), size_t(47), size_t(1000), size_t(1921)}) {
        const std::vector<uint8_t> source = NoisyBytes(pixels * 3 + 8, uint32_t(pixels));
        for (const ChannelGains& g : gains) {
            std::vector<uint8_t> want = source;
            ApplyChannelGainsScalar(want.data(), pixels, g);
            for (Apply apply : versions) {
                std::vector<uint8_t> got = source;
                apply(got.data(), pixels, g);
                ASSERT_EQ(got, want) << pixels << " pixels, gains " << g.blue << " " << g.green << " " << g.red;
            }
        }
    }
}

TEST(ChannelGains, ConversionAppliesThemLikeAPassAfterwards) {
    const ChannelGains g{5851, 4819, 4096};
    // Odd widths, a frame of one row, heights that end in part of a JPEG's eight-row batch; noise
    // as YUY2 takes every channel below 0 and above 255 before packing.
    for (auto [w, h] : {std::pair{642, 97}, std::pair{1920, 26}, std::pair{33, 1}, std::pair{17, 5}}) {
        const std::vector<uint8_t> bgr = TexturedBgr(w, h, uint32_t(w + h));
        std::vector<uint8_t> yuy2 = NoisyBytes(Yuy2SampleBytes(w, h), uint32_t(w));
        std::vector<uint8_t> want(DisplayFrameBytes(w, h)), got(want.size());
        ConvertYuy2ToBgr(yuy2.data(), w, h, want.data());
        ApplyChannelGainsScalar(want.data(), size_t(w) * h, g);
        ASSERT_TRUE(ConvertSample(SampleFormat::Yuy2, yuy2.data(), yuy2.size(), w, h, got.data(), g));
        EXPECT_EQ(got, want) << "YUY2 " << w << "x" << h;
        ConvertYuy2ToBgrBalancedSse2(yuy2.data(), w, h, got.data(), g);
        EXPECT_EQ(got, want) << "SSE2 " << w << "x" << h;
        if (CpuHasAvx2()) ConvertYuy2ToBgrBalancedAvx2(yuy2.data(), w, h, got.data(), g);
        EXPECT_EQ(got, want) << "AVX2 " << w << "x" << h;
        if (w % 2) continue;  // the encoder takes even widths only at 4:2:2
        const std::vector<uint8_t> jpeg = EncodeJpeg(bgr, w, h);
        ASSERT_TRUE(ConvertSample(SampleFormat::Mjpg, jpeg.data(), jpeg.size(), w, h, want.data()));
        ApplyChannelGainsScalar(want.data(), size_t(w) * h, g);
        ASSERT_TRUE(ConvertSample(SampleFormat::Mjpg, jpeg.data(), jpeg.size(), w, h, got.data(), g));
        EXPECT_EQ(got, want) << "MJPG " << w << "x" << h;
    }
}

// A grey card under a tinted light: its means give gains that make it neutral, measured again
// through the gains; clipped pixels are left out, and an area with nothing to go by is refused.
TEST(WhiteBalance, NeutralGainsFromAnArea) {
    const int w = 64, h = 48;
    std::vector<uint8_t> frame(DisplayFrameBytes(w, h));
    for (size_t i = 0; i < frame.size(); i += 3) {
        const int grain = int(i / 3 % 7) - 3;
        frame[i] = uint8_t(119 + grain);      // blue  0.7 x 170
        frame[i + 1] = uint8_t(145 + grain);  // green 0.85 x 170
        frame[i + 2] = uint8_t(170 + grain);  // red
    }
    frame[0] = 255;  // a clipped pixel inside the area, one outside it
    frame[(size_t(40) * w + 60) * 3] = 0;
    const FrameArea area{0, 0, 40, 30};
    AreaMeans m = MeanOfArea(frame.data(), w, h, area);
    EXPECT_EQ(m.pixels, 40u * 30u - 1);
    EXPECT_EQ(m.clipped, 1u);
    NeutralProblem problem;
    std::optional<ChannelGains> g = NeutralGains(m, ChannelGains{}, &problem);
    ASSERT_TRUE(g);
    EXPECT_EQ(problem, NeutralProblem::None);
    EXPECT_EQ(g->red, kUnityGain);  // the brightest channel keeps its level
    ApplyChannelGains(frame.data(), size_t(w) * h, *g);
    AreaMeans after = MeanOfArea(frame.data(), w, h, area);
    EXPECT_NEAR(after.blue, after.red, 0.6);
    EXPECT_NEAR(after.green, after.red, 0.6);
    // Measured through those gains, the same area asks for the same gains again.
    std::optional<ChannelGains> again = NeutralGains(after, *g);
    ASSERT_TRUE(again);
    EXPECT_NEAR(again->blue, g->blue, 8);
    EXPECT_NEAR(again->green, g->green, 8);

    EXPECT_EQ(MeanOfArea(frame.data(), w, h, {60, 40, 90, 90}).pixels, 4u * 8u - 1);  // cut at the frame
    std::fill(frame.begin(), frame.end(), uint8_t(255));
    EXPECT_FALSE(NeutralGains(MeanOfArea(frame.data(), w, h, area), ChannelGains{}, &problem));
    EXPECT_EQ(problem, NeutralProblem::Clipped);
    AreaMeans dark{1.0, 40.0, 40.0, 100, 0};  // blue would need a gain of 40
    EXPECT_FALSE(NeutralGains(dark, ChannelGains{}, &problem));
    EXPECT_EQ(problem, NeutralProblem::TooDark);
}

}  // namespace
