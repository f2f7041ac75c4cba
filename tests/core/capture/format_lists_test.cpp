// What the source section and the open-microscope dialog list of a catalogue and what a choice
// in those lists asks for; the stored-format lookup with the interpolated flag.
#include "capture/format_lists.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::wstring>;

// A catalogue of real formats; synthetic sizes only when asked for.
FormatCatalogue Catalogue(std::initializer_list<CameraFormat> formats, bool synthetic = false) {
    FormatCatalogue c;
    for (const CameraFormat& f : formats) AddCapability(c, f.subtype, f.width, f.height);
    if (synthetic) AddSyntheticSizes(c);
    return c;
}

const FormatCatalogue kBoth = Catalogue({{kSubtypeMjpg, 1280, 720}, {kSubtypeMjpg, 640, 480},
                                         {kSubtypeMjpg, 1920, 1080}, {kSubtypeYuy2, 640, 480}});
const FormatCatalogue kYuy2Only = Catalogue({{kSubtypeYuy2, 800, 600}, {kSubtypeYuy2, 1280, 1024}});
const FormatCatalogue kVga = Catalogue({{kSubtypeMjpg, 640, 480}}, true);  // gains 1280x960 and 1920x1080

TEST(FormatLists, FormatNamesAndTheRunningRow) {
    EXPECT_EQ(FormatNames(kBoth), (Names{L"MJPG", L"YUY2"}));
    EXPECT_EQ(FormatNames(kYuy2Only), (Names{L"YUY2"}));
    EXPECT_EQ(FormatNames(FormatCatalogue{}), Names{});
    EXPECT_EQ(RunningFormatRow(kBoth, kSubtypeYuy2), 1);
    EXPECT_EQ(RunningFormatRow(kBoth, kSubtypeMjpg), 0);
    EXPECT_EQ(RunningFormatRow(kYuy2Only, kSubtypeYuy2), 0);
    EXPECT_EQ(SubtypeOfFormatRow(kBoth, 0), kSubtypeMjpg);
    EXPECT_EQ(SubtypeOfFormatRow(kBoth, 1), kSubtypeYuy2);
    EXPECT_EQ(SubtypeOfFormatRow(kYuy2Only, 0), kSubtypeYuy2);
    EXPECT_EQ(SubtypeOfFormatRow(kVga, 1), kSubtypeMjpg);
}

TEST(FormatLists, SizesInKeyOrderWithTheCurrentOneSelected) {
    const FormatMap& mjpg = MapOfSubtype(kBoth, kSubtypeMjpg);
    EXPECT_EQ(SizeNames(mjpg), (Names{L"640x480", L"1280x720", L"1920x1080"}));
    EXPECT_EQ(SizeIndex(mjpg, 1280, 720, 0), 1);
    EXPECT_EQ(SizeIndex(mjpg, 1024, 768, 0), 0);  // a size the catalogue lacks selects the first
    EXPECT_EQ(SizeNames(MapOfSubtype(kBoth, kSubtypeYuy2)), (Names{L"640x480"}));
    EXPECT_EQ(FormatAt(mjpg, 3), nullptr);
    EXPECT_EQ(FormatAt(mjpg, -1), nullptr);
}

TEST(FormatLists, SizeChoiceAsksOnlyForAnotherListedSize) {
    EXPECT_EQ(SizeChoice(kBoth, kSubtypeMjpg, 1, 1280, 720), std::nullopt);  // the size shown: no restart
    EXPECT_EQ(SizeChoice(kBoth, kSubtypeMjpg, 3, 640, 480), std::nullopt);   // a row the catalogue lacks
    EXPECT_EQ(SizeChoice(FormatCatalogue{}, kSubtypeMjpg, 0, 640, 480), std::nullopt);  // closed: empty
    EXPECT_EQ(SizeChoice(kBoth, kSubtypeMjpg, 0, 1280, 720), (CameraFormat{kSubtypeMjpg, 640, 480, 0}));
    EXPECT_EQ(SizeChoice(kVga, kSubtypeMjpg, 1, 640, 480), (CameraFormat{kSubtypeMjpg, 1280, 960, 1}));
}

TEST(FormatLists, DialogPreselection) {
    EXPECT_EQ(&DialogSizeMap(kBoth, 0), &kBoth.mjpgFormats);
    EXPECT_EQ(&DialogSizeMap(kBoth, 1), &kBoth.yuy2Formats);
    EXPECT_EQ(&DialogSizeMap(kYuy2Only, 0), &kYuy2Only.yuy2Formats);
    EXPECT_EQ(DialogSizeRow(kVga.mjpgFormats, 1280, 960), 1);  // a running 1280 x 960 interpolated stream
    EXPECT_EQ(DialogSizeRow(kVga.mjpgFormats, 800, 600), 1);   // 3 rows, none matches: the second
    const FormatCatalogue four = Catalogue({{kSubtypeMjpg, 640, 480}, {kSubtypeMjpg, 800, 600},
                                            {kSubtypeMjpg, 1280, 720}, {kSubtypeMjpg, 1600, 1200}});
    EXPECT_EQ(DialogSizeRow(four.mjpgFormats, 1, 1), 2);       // 4 rows: the third
}

TEST(MatchRequested, KeepsTheStoredInterpolatedFlag) {
    struct Case { CameraFormat stored, expected; };
    for (Case k : {Case{{kSubtypeMjpg, 640, 480, 1}, {kSubtypeMjpg, 640, 480, 1}},  // the default pick, restarted
                   Case{{kSubtypeYuy2, 640, 480, 1}, {kSubtypeMjpg, 640, 480, 1}},
                   Case{{kSubtypeMjpg, 640, 480, 0}, {kSubtypeMjpg, 640, 480, 0}},
                   Case{{kSubtypeMjpg, 1920, 1080, 1}, {kSubtypeMjpg, 1920, 1080, 1}},
                   Case{{kSubtypeMjpg, 1280, 960, 0}, {kSubtypeMjpg, 1280, 960, 1}}}) {  // size alone
        CameraFormat r = k.stored;
        MatchRequestedFormat(kVga, r);
        EXPECT_EQ(r, k.expected) << k.stored.width << " " << k.stored.interpolated;
    }
    CameraFormat real = {kSubtypeMjpg, 640, 480, 1};
    MatchRequestedFormat(kBoth, real);  // no synthetic sizes there: the real entry by size
    EXPECT_EQ(real, (CameraFormat{kSubtypeMjpg, 640, 480, 0}));
}

}  // namespace
