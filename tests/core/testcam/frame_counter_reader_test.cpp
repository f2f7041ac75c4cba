// The frame counter plate read back from the virtual microscope's pictures, as they come out of
// a Motion-JPEG round trip, and nothing read where there is no plate.
#include <gtest/gtest.h>

#include <vector>

#include "frame/mjpg_decode.h"
#include "media/jpeg_encoder.h"
#include "testcam/frame_counter_reader.h"
#include "testcam/picture.h"

TEST(FrameCounterReaderTest, ReadsThePlateThroughAJpegRoundTripAndNothingElse) {
    const int w = 320, h = 240;
    MicrometerScene scene(w, h, 100.0);
    std::vector<uint8_t> frame(size_t(w) * h * 3), decoded(frame.size());
    JpegEncoder encoder;
    for (uint32_t n : {0u, 7u, 40189u, 123456u, 999999u, 1000123u}) {
        scene.RenderBgr(n, frame.data());
        EXPECT_EQ(ReadFrameCounter(frame.data(), w, h), int64_t(n % 1000000)) << n;
        const uint8_t* jpeg = nullptr;
        size_t size = 0;
        ASSERT_TRUE(encoder.Encode(frame.data(), w, h, &jpeg, &size));
        ASSERT_TRUE(DecodeMjpg(jpeg, size, w, h, decoded.data()));
        EXPECT_EQ(ReadFrameCounter(decoded.data(), w, h), int64_t(n % 1000000)) << n << " after JPEG";
    }
    // A picture without a plate, one too small to hold it.
    std::vector<uint8_t> grey(frame.size(), 128);
    EXPECT_EQ(ReadFrameCounter(grey.data(), w, h), -1);
    EXPECT_EQ(ReadFrameCounter(frame.data(), kCounterPlateWidth - 1, kCounterBandRows), -1);
}
