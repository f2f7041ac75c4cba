// The frame-rate queue over the last second.
#include "frame/frame_rate.h"

#include <gtest/gtest.h>

TEST(FrameRate, FourFramesInAHundredMillisecondsIsThirty) {
    FrameRateMeter meter;
    float fps = 30.0f;
    EXPECT_FALSE(UpdateFrameRate(meter, 50000, fps));  // a single stamp keeps the value
    EXPECT_EQ(fps, 30.0f);
    fps = 12.0f;
    UpdateFrameRate(meter, 50033, fps);
    UpdateFrameRate(meter, 50066, fps);
    EXPECT_TRUE(UpdateFrameRate(meter, 50100, fps));
    EXPECT_FLOAT_EQ(fps, 30.0f);
}

TEST(FrameRate, StampsOlderThanASecondAreDropped) {
    FrameRateMeter meter;
    float fps = 0;
    UpdateFrameRate(meter, 1000, fps);
    UpdateFrameRate(meter, 1500, fps);
    UpdateFrameRate(meter, 2000, fps);  // 1000 is exactly 1000 ms old: kept
    EXPECT_FLOAT_EQ(fps, 2.0f);
    UpdateFrameRate(meter, 2100, fps);  // 1000 goes
    EXPECT_EQ(meter.count, 3u);
    EXPECT_FLOAT_EQ(fps, 2000.0f / 600.0f);
    fps = 7.0f;
    EXPECT_FALSE(UpdateFrameRate(meter, 9000, fps));  // long gap: only the new stamp is left
    EXPECT_EQ(fps, 7.0f);
}

TEST(FrameRate, SurvivesClockWrapAndSameMillisecond) {
    FrameRateMeter meter;
    float fps = 30.0f;
    UpdateFrameRate(meter, 0xFFFFFFF0u, fps);
    EXPECT_TRUE(UpdateFrameRate(meter, 0x10u, fps));  // 32 ms later, across the wrap
    EXPECT_FLOAT_EQ(fps, 1000.0f / 32.0f);
    FrameRateMeter early;
    fps = 30.0f;
    UpdateFrameRate(early, 100, fps);  // a clock that started less than a second ago
    EXPECT_TRUE(UpdateFrameRate(early, 200, fps));
    EXPECT_FLOAT_EQ(fps, 10.0f);
    FrameRateMeter burst;
    fps = 25.0f;
    UpdateFrameRate(burst, 500, fps);
    EXPECT_FALSE(UpdateFrameRate(burst, 500, fps));  // no division by zero
    EXPECT_EQ(fps, 25.0f);
    // More frames in a second than the ring holds: the rate of the last ones it holds.
    FrameRateMeter fast;
    for (uint32_t t = 0; t < 2 * FrameRateMeter::kCapacity; ++t) UpdateFrameRate(fast, 10000 + t, fps);
    EXPECT_FLOAT_EQ(fps, 1000.0f);
    EXPECT_EQ(fast.count, FrameRateMeter::kCapacity);
}
