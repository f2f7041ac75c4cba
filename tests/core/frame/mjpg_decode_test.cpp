// MJPG samples: exact-size frames decode, everything else leaves the target alone and fails.
#include "frame/mjpg_decode.h"
#include "frame/sample_convert.h"
#include "frame/yuy2_convert.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "frame/test_frames.h"

namespace {

// Offset of the n-th (from 0) marker FF <code> in the data, or 0.
size_t FindMarker(const std::vector<uint8_t>& jpeg, uint8_t code, int n = 0) {
    for (size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code && n-- == 0) return i;
    return 0;
}

struct MjpgTest : ::testing::Test {
    const int w = 64, h = 48;
    std::vector<uint8_t> picture = TexturedBgr(w, h, 3);
    std::vector<uint8_t> jpeg = EncodeJpeg(picture, w, h);
    std::vector<uint8_t> target = std::vector<uint8_t>(size_t(w) * h * 3, 0xA5);
    const std::vector<uint8_t> untouched = target;
};

TEST_F(MjpgTest, DecodesExactSizeIntoTarget) {
    ASSERT_TRUE(DecodeMjpg(jpeg.data(), jpeg.size(), w, h, target.data()));
    // The same bytes as a plain top-down BGR decode, rows w * 3 apart.
    std::vector<uint8_t> want(target.size());
    tjhandle tj = tjInitDecompress();
    ASSERT_EQ(tjDecompress2(tj, jpeg.data(), jpeg.size(), want.data(), w, w * 3, h, TJPF_BGR, 0), 0);
    tjDestroy(tj);
    EXPECT_EQ(target, want);
    long diff = 0;
    for (size_t i = 0; i < target.size(); ++i) diff += std::abs(int(target[i]) - picture[i]);
    EXPECT_LT(diff / long(target.size()), 25);  // and the picture that was encoded
    EXPECT_TRUE(ConvertSample(SampleFormat::Mjpg, jpeg.data(), jpeg.size(), w, h, target.data()));
}

TEST_F(MjpgTest, OtherSizeLeavesTargetUnchanged) {
    EXPECT_FALSE(DecodeMjpg(jpeg.data(), jpeg.size(), 32, 48, target.data()));
    EXPECT_FALSE(DecodeMjpg(jpeg.data(), jpeg.size(), 64, 47, target.data()));
    EXPECT_EQ(target, untouched);
}

TEST_F(MjpgTest, GarbageAndTruncatedDataFail) {
    const std::vector<uint8_t> garbage = NoisyBytes(5000, 9);
    EXPECT_FALSE(DecodeMjpg(garbage.data(), garbage.size(), w, h, target.data()));
    EXPECT_EQ(target, untouched);
    EXPECT_FALSE(DecodeMjpg(jpeg.data(), 0, w, h, target.data()));
    EXPECT_FALSE(DecodeMjpg(jpeg.data(), 2, w, h, target.data()));
    EXPECT_FALSE(DecodeMjpg(jpeg.data(), jpeg.size() / 2, w, h, target.data()));  // header fine, data cut
    std::vector<uint8_t> damaged = jpeg;
    for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 40; ++i) damaged[i] = 0xFF;
    DecodeMjpg(damaged.data(), damaged.size(), w, h, target.data());  // must not crash, any answer
}

// Frames that only draw a decoder warning but arrive whole are shown: stray bytes before the
// end marker (common with camera firmware) and zero padding after it.
TEST_F(MjpgTest, WholeFramesWithWarningsOrPaddingDecode) {
    std::vector<uint8_t> want(target.size());
    ASSERT_TRUE(DecodeMjpg(jpeg.data(), jpeg.size(), w, h, want.data()));
    ASSERT_GE(jpeg.size(), 2u);
    ASSERT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    ASSERT_EQ(jpeg[jpeg.size() - 1], 0xD9);

    // Three stray bytes before the start-of-scan marker.
    std::vector<uint8_t> stray = jpeg;
    const size_t sos = FindMarker(stray, 0xDA);
    ASSERT_NE(sos, 0u);
    stray.insert(stray.begin() + long(sos), {0x00, 0x00, 0x00});
    tjhandle tj = tjInitDecompress();
    std::vector<uint8_t> scratch(target.size());
    ASSERT_NE(tjDecompress2(tj, stray.data(), stray.size(), scratch.data(), w, w * 3, h, TJPF_BGR, 0), 0);
    ASSERT_EQ(tjGetErrorCode(tj), TJERR_WARNING);  // the case this test is about
    tjDestroy(tj);
    ASSERT_TRUE(DecodeMjpg(stray.data(), stray.size(), w, h, target.data()));
    EXPECT_EQ(target, want);

    std::vector<uint8_t> padded = jpeg;
    padded.resize(jpeg.size() + 512, 0);
    std::fill(target.begin(), target.end(), 0xA5);
    ASSERT_TRUE(DecodeMjpg(padded.data(), padded.size(), w, h, target.data()));
    EXPECT_EQ(target, want);
    // What a compressed recording keeps of such a sample: the JPEG without the padding.
    EXPECT_EQ(JpegDataLength(padded.data(), padded.size()), jpeg.size());
    EXPECT_EQ(JpegDataLength(jpeg.data(), jpeg.size() - 1), 0u);
}

// Frames whose rows after some point would be made up are dropped, and what a compressed
// recording keeps of a frame is never cut inside its header: compressed data that stops at an
// early end marker, and a frame without its end marker but with the same two bytes in a comment
// before its scan.
TEST_F(MjpgTest, DataEndingEarlyOrAnEndMarkerInTheHeaderIsNoWholeFrame) {
    std::vector<uint8_t> early(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 2));
    early.insert(early.end(), {0xFF, 0xD9});
    std::vector<uint8_t> comment = {0xFF, 0xFE, 0x00, 0x06, 0xFF, 0xD9, 0xFF, 0xD9};
    std::vector<uint8_t> endless = jpeg;
    endless.insert(endless.begin() + 2, comment.begin(), comment.end());
    endless.resize(endless.size() - 2);  // all the data, but no end marker
    const size_t scan = FindMarker(endless, 0xDA);
    ASSERT_NE(scan, 0u);
    EXPECT_EQ(JpegDataLength(endless.data(), endless.size()), 0u);
    endless.insert(endless.end(), {0xFF, 0xD9});
    EXPECT_EQ(JpegDataLength(endless.data(), endless.size()), endless.size());  // with it, all of it
    endless.resize(endless.size() - 2);
    for (const std::vector<uint8_t>* frame : {&early, &endless}) {
        std::fill(target.begin(), target.end(), 0xA5);
        EXPECT_FALSE(DecodeMjpg(frame->data(), frame->size(), w, h, target.data())) << frame->size();
    }
}

// A warning (stray bytes before the quantisation table, which many cameras raise on every
// frame) followed by a fatal error (a second scan naming a component the frame does not have)
// is a frame that was not decoded, though its end marker is there.
TEST_F(MjpgTest, FatalErrorAfterAWarningFails) {
    std::vector<uint8_t> bad = EncodeJpeg(picture, w, h, TJFLAG_PROGRESSIVE);
    const size_t secondScan = FindMarker(bad, 0xDA, 1);
    ASSERT_NE(secondScan, 0u);
    bad[secondScan + 5] = 9;  // FF DA, length (2), count (1), then the first component's id
    const size_t dqt = FindMarker(bad, 0xDB);
    ASSERT_NE(dqt, 0u);
    bad.insert(bad.begin() + long(dqt), {0x00, 0x00});
    EXPECT_FALSE(DecodeMjpg(bad.data(), bad.size(), w, h, target.data()));
    EXPECT_EQ(target, untouched);
}

TEST(SampleConvert, ShortYuy2SampleIsRejectedUntouched) {
    const int w = 6, h = 2;
    const std::vector<uint8_t> sample = NoisyBytes(Yuy2SampleBytes(w, h), 1);
    std::vector<uint8_t> target(DisplayFrameBytes(w, h), 7);
    EXPECT_FALSE(ConvertSample(SampleFormat::Yuy2, sample.data(), sample.size() - 1, w, h, target.data()));
    EXPECT_EQ(target, std::vector<uint8_t>(target.size(), 7));
    EXPECT_TRUE(ConvertSample(SampleFormat::Yuy2, sample.data(), sample.size(), w, h, target.data()));
    std::vector<uint8_t> longer = sample;
    longer.resize(sample.size() + 100, 3);
    std::vector<uint8_t> second(target.size());
    EXPECT_TRUE(ConvertSample(SampleFormat::Yuy2, longer.data(), longer.size(), w, h, second.data()));
    EXPECT_EQ(second, target);  // converted from its start
}

TEST(SampleConvert, UnknownFormatOrEmptyFrameIsRejected) {
    const std::vector<uint8_t> sample = NoisyBytes(64, 2);
    std::vector<uint8_t> target(48, 1);
    EXPECT_FALSE(ConvertSample(SampleFormat::Other, sample.data(), sample.size(), 4, 4, target.data()));
    EXPECT_FALSE(ConvertSample(SampleFormat::Yuy2, sample.data(), sample.size(), 0, 4, target.data()));
    EXPECT_FALSE(ConvertSample(SampleFormat::Yuy2, sample.data(), sample.size(), 4, -4, target.data()));
    EXPECT_EQ(target, std::vector<uint8_t>(48, 1));
}

}  // namespace
