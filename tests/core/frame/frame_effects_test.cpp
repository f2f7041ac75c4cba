// The pixel effects: the worked examples, the fast forms against the plain ones, and the order.
#include "frame/frame_effects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "frame/test_frames.h"

namespace {

using Effect = void (*)(DisplayFrame*, int, int);

std::vector<uint8_t> Pixels(std::initializer_list<uint8_t> bytes) { return std::vector<uint8_t>(bytes); }

TEST(Effects, GrayAndBinaryExamples) {
    auto red = Pixels({0, 0, 255});
    GrayFrame(red.data(), 1, 1);
    EXPECT_EQ(red, Pixels({76, 76, 76}));
    red = Pixels({0, 0, 255});
    BinaryFrame(red.data(), 1, 1);
    EXPECT_EQ(red, Pixels({0, 0, 0}));
    auto white = Pixels({255, 255, 255});
    GrayFrame(white.data(), 1, 1);
    EXPECT_EQ(white, Pixels({255, 255, 255}));
    BinaryFrame(white.data(), 1, 1);
    EXPECT_EQ(white, Pixels({255, 255, 255}));
    auto grays = Pixels({127, 127, 127, 128, 128, 128});
    BinaryFrame(grays.data(), 2, 1);
    EXPECT_EQ(grays, Pixels({0, 0, 0, 255, 255, 255}));
}

TEST(Effects, EmbossExamples) {
    std::vector<uint8_t> uniform(4 * 3 * 3, 90);
    EmbossFrame(uniform.data(), 4, 3);
    for (size_t i = 0; i < 24; ++i) ASSERT_EQ(uniform[i], 128) << i;
    for (size_t i = 24; i < 36; ++i) ASSERT_EQ(uniform[i], 90) << i;  // last row untouched
    auto rows = Pixels({200, 250, 60, 10, 0, 50});  // 1 x 2: bright over dark
    EmbossFrame(rows.data(), 1, 2);
    EXPECT_EQ(rows, Pixels({255, 255, 138, 10, 0, 50}));
    auto dark = Pixels({0, 0, 0, 255, 200, 129});
    EmbossFrame(dark.data(), 1, 2);
    EXPECT_EQ(dark, Pixels({0, 0, 0, 255, 200, 129}));
}

TEST(Effects, InvertAndFlipExamples) {
    auto p = Pixels({0, 1, 2, 3, 4, 5, 6, 7, 8});
    FlipHorizontal(p.data(), 3, 1);
    EXPECT_EQ(p, Pixels({6, 7, 8, 3, 4, 5, 0, 1, 2}));
    InvertFrame(p.data(), 3, 1);
    EXPECT_EQ(p, Pixels({249, 248, 247, 252, 251, 250, 255, 254, 253}));
}

// Exact-size buffers so AddressSanitizer catches any stray byte.
TEST(Effects, FastFormsEqualPlainFormsOnAllWidths) {
    const std::pair<Effect, Effect> effects[] = {{FlipHorizontal, FlipHorizontalScalar}, {GrayFrame, GrayFrameScalar},
                                                 {BinaryFrame, BinaryFrameScalar},       {InvertFrame, InvertFrameScalar},
                                                 {EmbossFrame, EmbossFrameScalar}};
    std::vector<std::pair<int, int>> sizes;
    for (int w = 1; w <= 50; ++w) sizes.push_back({w, 1 + w % 4});
    sizes.push_back({640, 7});
    sizes.push_back({1920, 3});
    for (auto [w, h] : sizes) {
        const std::vector<uint8_t> picture = TexturedBgr(w, h, uint32_t(w));
        const size_t n = picture.size();
        for (auto [fast, plain] : effects) {
            std::unique_ptr<uint8_t[]> a(new uint8_t[n]), b(new uint8_t[n]);
            std::memcpy(a.get(), picture.data(), n);
            std::memcpy(b.get(), picture.data(), n);
            fast(a.get(), w, h);
            plain(b.get(), w, h);
            ASSERT_EQ(std::memcmp(a.get(), b.get(), n), 0) << w << " x " << h;
        }
    }
}

TEST(Effects, GrayAndBinaryExactOnEveryColour) {
    // All 2^24 colours, 4096 x 4096 pixels in strips.
    const int w = 4096, h = 64;
    std::vector<uint8_t> strip(size_t(w) * h * 3), gray, binary;
    for (int s = 0; s < 64; ++s) {
        for (int i = 0; i < w * h; ++i) {
            const uint32_t c = uint32_t(s) * w * h + uint32_t(i);
            strip[i * 3] = uint8_t(c), strip[i * 3 + 1] = uint8_t(c >> 8), strip[i * 3 + 2] = uint8_t(c >> 16);
        }
        gray = strip, binary = strip;
        GrayFrame(gray.data(), w, h);
        BinaryFrame(binary.data(), w, h);
        for (int i = 0; i < w * h; ++i) {
            const int v = GrayOf(strip[i * 3], strip[i * 3 + 1], strip[i * 3 + 2]);
            ASSERT_EQ(gray[i * 3 + 1], v);
            ASSERT_EQ(binary[i * 3 + 2], v > 127 ? 255 : 0);
        }
    }
}

TEST(Effects, OrderIsFlipThenFirstOfGrayBinaryInvertEmboss) {
    const int w = 37, h = 5;
    const std::vector<uint8_t> picture = TexturedBgr(w, h, 7);
    auto expect = [&](const FrameEffects& fx, std::initializer_list<Effect> steps) {
        std::vector<uint8_t> a = picture, b = picture;
        ApplyEffects(a.data(), w, h, fx);
        for (Effect e : steps) e(b.data(), w, h);
        EXPECT_EQ(a, b);
    };
    FrameEffects all;
    all.flipHorizontal = all.gray = all.binary = all.invert = all.emboss = true;
    expect(all, {FlipHorizontalScalar, GrayFrameScalar});
    FrameEffects grayInvert;
    grayInvert.gray = grayInvert.invert = true;
    expect(grayInvert, {GrayFrameScalar});
    FrameEffects binaryEmboss;
    binaryEmboss.binary = binaryEmboss.emboss = true;
    expect(binaryEmboss, {BinaryFrameScalar});
    FrameEffects flipInvertEmboss;
    flipInvertEmboss.flipHorizontal = flipInvertEmboss.invert = flipInvertEmboss.emboss = true;
    expect(flipInvertEmboss, {FlipHorizontalScalar, InvertFrameScalar});
    FrameEffects emboss;
    emboss.emboss = true;
    expect(emboss, {EmbossFrameScalar});
    expect(FrameEffects{}, {});
}

}  // namespace
