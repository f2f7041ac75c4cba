#include "capture/format_catalogue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Size { int w, h; };

FormatCatalogue Catalogue(uint32_t subtype, std::vector<Size> sizes) {
    FormatCatalogue c;
    for (Size s : sizes) AddCapability(c, subtype, s.w, s.h);
    AddSyntheticSizes(c);
    return c;
}

std::vector<CameraFormat> Entries(const FormatMap& m) {
    std::vector<CameraFormat> v;
    for (auto& e : m) v.push_back(e.second);
    return v;
}

TEST(NameFilter, KeepsOnlyExternalCamerasCaseSensitively) {
    EXPECT_TRUE(PassesNameFilter(L"USB Microscope"));
    EXPECT_TRUE(PassesNameFilter(L"integrated microsoft lowercase cam"));
    EXPECT_FALSE(PassesNameFilter(L"Integrated Webcam"));
    EXPECT_FALSE(PassesNameFilter(L"Microsoft LifeCam"));
    EXPECT_FALSE(PassesNameFilter(L"HD Integrated"));
    EXPECT_FALSE(PassesNameFilter(L""));
}

TEST(Catalogue, SixFortyOnlyCameraGainsBothSyntheticSizes) {
    auto c = Catalogue(kSubtypeMjpg, {{640, 480}});
    auto e = Entries(c.mjpgFormats);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0], (CameraFormat{kSubtypeMjpg, 640, 480, 0}));
    EXPECT_EQ(e[1], (CameraFormat{kSubtypeMjpg, 1280, 960, 1}));
    EXPECT_EQ(e[2], (CameraFormat{kSubtypeMjpg, 1920, 1080, 1}));
    EXPECT_TRUE(c.yuy2Formats.empty());
}

TEST(Catalogue, RealSizeIsNeverReplacedBySynthetic) {
    auto c = Catalogue(kSubtypeYuy2, {{640, 480}, {1280, 960}});
    auto e = Entries(c.yuy2Formats);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[1].interpolated, 0);
    EXPECT_EQ(e[2], (CameraFormat{kSubtypeYuy2, 1920, 1080, 1}));
}

TEST(Catalogue, SmallOrOddFormatsAreFilteredAndFirstOfAPixelCountWins) {
    auto c = Catalogue(kSubtypeMjpg, {{320, 240}, {800, 600}, {640, 360}, {-640, 480}, {1280, 720}, {960, 960}});
    auto e = Entries(c.mjpgFormats);
    ASSERT_EQ(e.size(), 2u);  // no synthetic sizes: the smallest is 800 x 600
    EXPECT_EQ(e[0].width, 800);
    EXPECT_EQ(e[1].width, 1280);  // 960 x 960 has the same pixel count and came later
    FormatCatalogue other;
    EXPECT_FALSE(AddCapability(other, 0x30323449 /* I420 */, 1280, 720));
    EXPECT_FALSE(AddCapability(other, kSubtypeMjpg, 70000, 70000));  // would overflow the key
    EXPECT_TRUE(other.Empty());
}

// Both sizes negative make a positive pixel count: such an entry must not take the key of the
// real 640 x 480 (and with it the synthetic sizes) from the camera.
TEST(Catalogue, NonPositiveSizesNeverShadowARealFormat) {
    for (Size bad : {Size{-640, -480}, Size{-480, -640}, Size{0, 480}, Size{640, 0}, Size{-1, -307200}}) {
        auto c = Catalogue(kSubtypeYuy2, {bad, {640, 480}});
        auto e = Entries(c.yuy2Formats);
        ASSERT_EQ(e.size(), 3u) << bad.w << "x" << bad.h;
        EXPECT_EQ(e[0], (CameraFormat{kSubtypeYuy2, 640, 480, 0}));
    }
}

TEST(DefaultFormat, PrefersFullHdThenHdThenVgaThenMiddle) {
    CameraFormat r{kSubtypeYuy2, 0, 0, 0};
    ASSERT_TRUE(ChooseDefaultFormat(Catalogue(kSubtypeMjpg, {{640, 480}, {1280, 720}, {1600, 1200}}), r));
    EXPECT_EQ(r, (CameraFormat{kSubtypeMjpg, 1280, 720, 0}));
    ASSERT_TRUE(ChooseDefaultFormat(Catalogue(kSubtypeMjpg, {{800, 600}, {1024, 768}, {1600, 1200}}), r));
    EXPECT_EQ(r, (CameraFormat{kSubtypeMjpg, 1024, 768, 0}));
    // A 640 x 480-only camera: the synthetic 1920 x 1080 is picked and runs at 640 x 480.
    ASSERT_TRUE(ChooseDefaultFormat(Catalogue(kSubtypeMjpg, {{640, 480}}), r));
    EXPECT_EQ(r, (CameraFormat{kSubtypeMjpg, 640, 480, 1}));
}

TEST(DefaultFormat, MjpgWinsOverYuy2AndEmptyLeavesRequestAlone) {
    FormatCatalogue c;
    AddCapability(c, kSubtypeYuy2, 1920, 1080);
    AddCapability(c, kSubtypeMjpg, 800, 600);
    CameraFormat r{kSubtypeYuy2, 0, 0, 0};
    ChooseDefaultFormat(c, r);
    EXPECT_EQ(r, (CameraFormat{kSubtypeMjpg, 800, 600, 0}));
    CameraFormat untouched{kSubtypeYuy2, 0, 0, 0};
    EXPECT_FALSE(ChooseDefaultFormat(FormatCatalogue{}, untouched));
    EXPECT_EQ(untouched, (CameraFormat{kSubtypeYuy2, 0, 0, 0}));
}

TEST(MatchRequested, TakesCatalogueEntryPreferringMjpgOrClearsSize) {
    FormatCatalogue c;
    AddCapability(c, kSubtypeMjpg, 640, 480);
    AddCapability(c, kSubtypeYuy2, 640, 480);
    AddSyntheticSizes(c);
    CameraFormat r{kSubtypeYuy2, 1280, 960, 0};
    MatchRequestedFormat(c, r);
    EXPECT_EQ(r, (CameraFormat{kSubtypeMjpg, 1280, 960, 1}));
    EXPECT_EQ(CameraRunFormat(r), (CameraFormat{kSubtypeMjpg, 640, 480, 1}));
    CameraFormat missing{kSubtypeMjpg, 1600, 1200, 0};
    MatchRequestedFormat(c, missing);
    EXPECT_EQ(missing.width, 0);
    EXPECT_EQ(missing.height, 0);
}

}  // namespace
