// The YUY2 converters: the reference against the formula, the vector versions against the
// reference on every (Y, U, V), on odd sizes and at the very end of their buffers.
#include "frame/yuy2_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "frame/cpu_features.h"
#include "frame/test_frames.h"

namespace {

using Converter = void (*)(const uint8_t*, int, int, DisplayFrame*);

int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
int FloorDiv(long v) { return int(std::floor(double(v) / 16384.0)); }

// Every (Y, V) for one U: pair k holds Y0 = k & 255, Y1 = 255 - Y0, V = k >> 8.
void AllPairsForU(int u, std::vector<uint8_t>& src) {
    src.resize(65536 * 4);
    for (int k = 0; k < 65536; ++k) {
        src[k * 4] = uint8_t(k & 255);
        src[k * 4 + 1] = uint8_t(u);
        src[k * 4 + 2] = uint8_t(255 - (k & 255));
        src[k * 4 + 3] = uint8_t(k >> 8);
    }
}

void ExpectEqualToReferenceOnAllYuv(Converter convert) {
    std::vector<uint8_t> src, want(65536 * 6), got(65536 * 6);
    for (int u = 0; u < 256; ++u) {
        AllPairsForU(u, src);
        ConvertYuy2ToBgrScalar(src.data(), 512, 256, want.data());
        convert(src.data(), 512, 256, got.data());
        ASSERT_EQ(std::memcmp(want.data(), got.data(), want.size()), 0) << "U " << u;
    }
}

TEST(Yuy2Convert, ReferenceFollowsFormulaOnAllYuv) {
    std::vector<uint8_t> src, out(65536 * 6);
    for (int u = 0; u < 256; ++u) {
        AllPairsForU(u, src);
        ConvertYuy2ToBgrScalar(src.data(), 512, 256, out.data());
        for (int k = 0; k < 65536; ++k) {
            const int d = u - 128, e = (k >> 8) - 128;
            const int terms[3] = {FloorDiv(d * 29049L), FloorDiv(-d * 5636L - e * 11698L), FloorDiv(e * 22987L)};
            const int ys[2] = {k & 255, 255 - (k & 255)};
            for (int px = 0; px < 2; ++px)
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(out[k * 6 + px * 3 + c], Clamp(ys[px] + terms[c])) << "U " << u << " pair " << k;
        }
    }
}

TEST(Yuy2Convert, Sse2EqualsReferenceOnAllYuv) { ExpectEqualToReferenceOnAllYuv(ConvertYuy2ToBgrSse2); }

TEST(Yuy2Convert, Avx2EqualsReferenceOnAllYuv) {
    if (!CpuHasAvx2()) GTEST_SKIP() << "no AVX2";
    ExpectEqualToReferenceOnAllYuv(ConvertYuy2ToBgrAvx2);
}

TEST(Yuy2Convert, ColourExamples) {
    const uint8_t black[4] = {16, 128, 16, 128};
    const uint8_t blue[4] = {255, 255, 255, 128};
    uint8_t out[6];
    ConvertYuy2ToBgrScalar(black, 2, 1, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{16, 16, 16, 16, 16, 16}));
    ConvertYuy2ToBgrScalar(blue, 2, 1, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{255, 211, 255}));
}

// Exact-size heap buffers, so that AddressSanitizer sees any byte read or written past them.
TEST(Yuy2Convert, AllVersionsAgreeOnOddSizesWithinTheirBuffers) {
    std::vector<Converter> versions = {ConvertYuy2ToBgrSse2, ConvertYuy2ToBgr};
    if (CpuHasAvx2()) versions.push_back(ConvertYuy2ToBgrAvx2);
    const int sizes[][2] = {{1, 1}, {3, 1}, {1, 3}, {5, 3}, {15, 1}, {17, 1}, {16, 1}, {33, 1}, {31, 3},
                            {63, 5}, {65, 7}, {97, 3}, {641, 3}, {1279, 5}, {1920, 4}};
    for (auto& s : sizes) {
        const int w = s[0], h = s[1];
        const size_t srcBytes = Yuy2SampleBytes(w, h), dstBytes = DisplayFrameBytes(w, h);
        const std::vector<uint8_t> noise = NoisyBytes(srcBytes, uint32_t(w * 31 + h));
        std::unique_ptr<uint8_t[]> src(new uint8_t[srcBytes]);
        std::memcpy(src.get(), noise.data(), srcBytes);
        std::unique_ptr<uint8_t[]> want(new uint8_t[dstBytes]);
        ConvertYuy2ToBgrScalar(src.get(), w, h, want.get());
        for (Converter convert : versions) {
            std::unique_ptr<uint8_t[]> got(new uint8_t[dstBytes]);
            convert(src.get(), w, h, got.get());
            ASSERT_EQ(std::memcmp(want.get(), got.get(), dstBytes), 0) << w << " x " << h;
        }
    }
}

TEST(Yuy2Convert, SampleBytesCoverWholePairs) {
    EXPECT_EQ(Yuy2SampleBytes(640, 480), 614400u);
    EXPECT_EQ(Yuy2SampleBytes(3, 1), 8u);
    EXPECT_EQ(Yuy2SampleBytes(0, 480), 0u);
    EXPECT_EQ(Yuy2SampleBytes(-2, 2), 0u);
}

}  // namespace
