// The colour-bar signal frame: hue of a word and the eight-band test.
#include "frame/signal_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "frame/signal_frame_picture.h"

TEST(HueOfYuy2Word, StudioRangeColours) {
    EXPECT_EQ(HueOfYuy2Word(Yuy2Word(81, 90, 240)), 0);     // red
    EXPECT_NEAR(HueOfYuy2Word(Yuy2Word(210, 16, 146)), 60, 2);  // yellow
    EXPECT_NEAR(HueOfYuy2Word(Yuy2Word(170, 166, 16)), 180, 2); // cyan
    EXPECT_NEAR(HueOfYuy2Word(Yuy2Word(145, 54, 34)), 120, 2);  // green
    EXPECT_NEAR(HueOfYuy2Word(Yuy2Word(106, 202, 222)), 300, 2); // magenta
    EXPECT_NEAR(HueOfYuy2Word(Yuy2Word(41, 240, 110)), 240, 2);  // blue
    EXPECT_EQ(HueOfYuy2Word(Yuy2Word(128, 128, 128)), 0);    // gray: max = min
    // Y1 (byte 2) plays no part.
    EXPECT_EQ(HueOfYuy2Word(Yuy2Word(145, 54, 34) | 0x00FF0000u), HueOfYuy2Word(Yuy2Word(145, 54, 34)));
}

TEST(SignalFrame, ColourBarsPass) {
    const std::vector<uint8_t> bars = SignalFramePicture();
    EXPECT_TRUE(IsSignalFrame(bars.data(), bars.size()));
}

TEST(SignalFrame, ChangedWordInACheckedRunFails) {
    // Inside each band's run (word 0 is tested by hue, word 5 by the identical-run check).
    const size_t offsets[] = {2560 + 5 * 4, 79360 + 13758 * 4, 234240 + 7000 * 4, 546560 + 12478 * 4, 390400};
    for (size_t offset : offsets) {
        std::vector<uint8_t> bars = SignalFramePicture();
        bars[offset + 2] ^= 1;  // Y1 of one word
        EXPECT_FALSE(IsSignalFrame(bars.data(), bars.size())) << offset;
    }
}

TEST(SignalFrame, ChangesOutsideTheRunsDoNotMatter) {
    std::vector<uint8_t> bars = SignalFramePicture();
    bars[0] ^= 0x55;                          // rows 0-1 are not checked
    bars[2560 + 13119 * 4] ^= 0x55;           // first word after band 1's run
    EXPECT_TRUE(IsSignalFrame(bars.data(), bars.size()));
}

TEST(SignalFrame, WrongLengthOrHueFails) {
    std::vector<uint8_t> bars = SignalFramePicture();
    EXPECT_FALSE(IsSignalFrame(bars.data(), bars.size() - 1));
    bars.push_back(0);
    EXPECT_FALSE(IsSignalFrame(bars.data(), bars.size()));
    EXPECT_FALSE(IsSignalFrame(nullptr, kSignalFrameBytes));
    // Bands 1 and 2 swapped in colour: the hue test of band 1 fails.
    std::vector<uint8_t> gray(kSignalFrameBytes, 128);
    EXPECT_FALSE(IsSignalFrame(gray.data(), gray.size()));
}
