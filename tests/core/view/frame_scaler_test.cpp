// The frame's pixels into the surface's 32-bit rows at the display size.
#include "view/frame_scaler.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A frame whose pixel (x, y) is blue x, green y, red 7.
std::vector<uint8_t> Ramp(int w, int h) {
    std::vector<uint8_t> f(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &f[(size_t(y) * w + x) * 3];
            p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = 7;
        }
    return f;
}

}  // namespace

TEST(FrameScaler, EachTargetPixelShowsTheFramePixelUnderItsCentre) {
    struct Case {
        const char* what;
        int frameW, frameH;
        CropRect region;
        int targetW, targetH;
        bool flipped;
        std::vector<int> columns, rows;  // frame x of each target column, frame y of each target row
    } cases[] = {
        {"as large", 5, 3, {0, 0, 5, 3}, 5, 3, false, {0, 1, 2, 3, 4}, {0, 1, 2}},
        {"halved", 6, 4, {0, 0, 6, 4}, 3, 2, false, {1, 3, 5}, {1, 3}},
        {"doubled", 3, 2, {0, 0, 3, 2}, 6, 4, false, {0, 0, 1, 1, 2, 2}, {0, 0, 1, 1}},
        {"fitted 56 %", 9, 2, {0, 0, 9, 2}, 5, 1, false, {0, 2, 4, 6, 8}, {1}},
        {"zoomed centre", 10, 6, {2, 1, 6, 4}, 3, 2, false, {3, 5, 7}, {2, 4}},
        {"flipped", 4, 3, {0, 0, 4, 3}, 4, 3, true, {0, 1, 2, 3}, {2, 1, 0}},
        {"odd width 642", 642, 1, {0, 0, 642, 1}, 3, 1, false, {107, 321, 535}, {0}},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> frame = Ramp(c.frameW, c.frameH);
        const size_t stride = size_t(c.targetW) * 4 + 8;  // rows may be longer than the picture
        std::vector<uint8_t> target(stride * c.targetH, 0xEE);
        FrameScaler s;
        ASSERT_TRUE(s.Prepare(c.frameW, c.frameH, c.region, c.targetW, c.targetH, c.flipped)) << c.what;
        s.Scale(frame.data(), target.data(), stride);
        for (int y = 0; y < c.targetH; ++y)
            for (int x = 0; x < c.targetW; ++x) {
                const uint8_t* p = &target[y * stride + x * 4];
                EXPECT_EQ(p[0], uint8_t(c.columns[x])) << c.what << " column " << x;
                EXPECT_EQ(p[1], uint8_t(c.rows[y])) << c.what << " row " << y;
                EXPECT_EQ(p[2], 7) << c.what;
                EXPECT_EQ(p[3], 0) << c.what;
            }
        EXPECT_EQ(target[c.targetW * 4], 0xEE) << c.what << ": nothing past the row";
    }
}

TEST(FrameScaler, RefusesWhatLiesOutsideTheFrameAndFollowsANewGeometry) {
    FrameScaler s;
    EXPECT_FALSE(s.Prepare(4, 4, {2, 0, 3, 4}, 2, 2, false));  // past the right edge
    EXPECT_FALSE(s.Ready());
    EXPECT_FALSE(s.Prepare(4, 4, {0, 0, 4, 4}, 0, 2, false));
    EXPECT_FALSE(s.Prepare(0, 4, {0, 0, 0, 4}, 2, 2, false));
    std::vector<uint8_t> target(16, 0xEE);
    s.Scale(Ramp(4, 4).data(), target.data(), 8);  // not ready: writes nothing
    EXPECT_EQ(target, std::vector<uint8_t>(16, 0xEE));
    ASSERT_TRUE(s.Prepare(4, 4, {0, 0, 4, 4}, 2, 2, false));
    ASSERT_TRUE(s.Prepare(4, 4, {0, 0, 4, 4}, 2, 2, true));  // the flip switched on
    s.Scale(Ramp(4, 4).data(), target.data(), 8);
    EXPECT_EQ(target[1], 2);  // the top-left target pixel comes from the bottom half
}
