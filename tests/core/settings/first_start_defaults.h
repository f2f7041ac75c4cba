// What a first start with an empty settings key gives, checked by the portable load rules and by
// the settings store against the registry alike (the save folder aside).
#pragma once

#include <gtest/gtest.h>

#include "settings/app_settings.h"

inline void ExpectFirstStartDefaults(const AppSettingsData& s) {
    EXPECT_EQ(s.language, 0);
    EXPECT_EQ(s.mjpg, 0);
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(s.height, 0);
    EXPECT_EQ(s.interpolated, 0);
    EXPECT_EQ(s.compressVideo, 0);
    EXPECT_EQ(s.stackDepthMap, 0);
    EXPECT_EQ(s.labelBacking, 0);
    EXPECT_EQ(s.gridColor, 0x00FF00u);
    EXPECT_EQ(s.lineColor, 0x00FF00u);
    EXPECT_EQ(s.textColor, 0x00FF00u);
    EXPECT_EQ(s.lineWidth, 1);
    EXPECT_EQ(s.textSize, 14);
    EXPECT_EQ(s.jpgPng, 0);
    EXPECT_EQ(s.maxRecordTime, 30);
    EXPECT_EQ(s.scaleBar, 0);
    EXPECT_EQ(s.measuresWithPhotos, 0);
    EXPECT_STREQ(s.calibrations, L"");
    EXPECT_STREQ(s.latestFiles, L"");
}
