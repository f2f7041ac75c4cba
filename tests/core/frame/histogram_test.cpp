// The live histogram of a known frame: bins, luminance as the gray effect computes it, clipping
// counts, subsampling and the bar heights.
#include "frame/histogram.h"

#include <gtest/gtest.h>

#include <vector>

#include "frame/frame_effects.h"

namespace {

TEST(Histogram, KnownFrame) {
    // 10 x 4 pixels: row 0 black, row 1 white, row 2 pure red, row 3 grey 100 with one blue 255.
    const int w = 10, h = 4;
    const uint8_t rows[h][3] = {{0, 0, 0}, {255, 255, 255}, {0, 0, 255}, {100, 100, 100}};  // blue, green, red
    std::vector<uint8_t> f;
    for (const auto& row : rows)
        for (int x = 0; x < w; ++x) f.insert(f.end(), row, row + 3);
    f[(size_t(3) * w + 9) * 3] = 255;
    FrameHistogram hist;
    ComputeHistogram(f.data(), w, h, 1, &hist);
    EXPECT_EQ(hist.samples, 40u);
    EXPECT_EQ(hist.luma[0], 10u);
    EXPECT_EQ(hist.luma[255], 10u);
    EXPECT_EQ(hist.luma[GrayOf(0, 0, 255)], 10u);  // 76
    EXPECT_EQ(hist.luma[100], 9u);
    EXPECT_EQ(hist.luma[GrayOf(255, 100, 100)], 1u);
    EXPECT_EQ(hist.red[255], 20u);
    EXPECT_EQ(hist.blue[255], 11u);
    EXPECT_EQ(hist.green[100], 10u);
    EXPECT_EQ(hist.shadows, 20u);     // black and red have a channel at 0
    EXPECT_EQ(hist.highlights, 21u);  // white, red and the blue pixel
    EXPECT_TRUE(ShadowsClipped(hist));
    EXPECT_TRUE(HighlightsClipped(hist));

    // Every second pixel of every second row: rows 0 and 2, columns 0, 2, ... 8.
    ComputeHistogram(f.data(), w, h, 2, &hist);
    EXPECT_EQ(hist.samples, 10u);
    EXPECT_EQ(hist.luma[0], 5u);
    EXPECT_EQ(hist.luma[76], 5u);
    EXPECT_EQ(hist.highlights, 5u);

    FrameHistogram few;  // one clipped sample in 1000 is not worth marking; two are
    few.samples = 1000, few.highlights = 1;
    EXPECT_FALSE(HighlightsClipped(few));
    few.highlights = 2;
    EXPECT_TRUE(HighlightsClipped(few));
}

TEST(Histogram, StepsAndBars) {
    struct Case { int w, h, max, step; } cases[] = {
        {1920, 1080, 65536, 6}, {640, 480, 65536, 3}, {100, 100, 65536, 1}, {0, 0, 65536, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(HistogramStep(c.w, c.h, c.max), c.step) << c.w;
    uint32_t bins[256] = {};
    bins[0] = 399;  // a clipped spike does not flatten the rest: it is cut at the height
    bins[10] = 100;
    bins[20] = 50;
    bins[30] = 1;
    int bars[256];
    HistogramBars(bins, 40, bars);
    EXPECT_EQ(bars[0], 40);
    EXPECT_EQ(bars[10], 40);
    EXPECT_EQ(bars[20], 20);
    EXPECT_EQ(bars[30], 1);  // a counted bin shows
    EXPECT_EQ(bars[40], 0);
    bins[255] = 4000;  // a picture gone mostly white: the rest is scaled to a quarter of it
    HistogramBars(bins, 40, bars);
    EXPECT_EQ(bars[10], 4);
    uint32_t empty[256] = {};
    HistogramBars(empty, 40, bars);
    EXPECT_EQ(bars[0], 0);
}

}  // namespace
