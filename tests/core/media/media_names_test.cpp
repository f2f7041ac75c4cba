// Photo and video names: the time-stamped pattern, the next free millisecond and cover paths.
#include "media/media_names.h"

#include <gtest/gtest.h>

#include <set>

TEST(MediaNames, FormatsTheLocalTime) {
    EXPECT_EQ(FormatMediaPath(L"C:\\P", {2023, 3, 22, 14, 25, 1, 7}, L"jpg"), L"C:\\P\\20230322-142501-007.jpg");
    EXPECT_EQ(FormatMediaPath(L"D:", {2026, 12, 7, 0, 0, 0, 999}, L"avi"), L"D:\\20261207-000000-999.avi");
}

TEST(MediaNames, NextMillisecondCarries) {
    struct Case { MediaTime in, out; } cases[] = {
        {{2023, 3, 22, 14, 25, 1, 7}, {2023, 3, 22, 14, 25, 1, 8}},
        {{2023, 3, 22, 14, 25, 1, 999}, {2023, 3, 22, 14, 25, 2, 0}},
        {{2023, 3, 22, 23, 59, 59, 999}, {2023, 3, 23, 0, 0, 0, 0}},
        {{2023, 2, 28, 23, 59, 59, 999}, {2023, 3, 1, 0, 0, 0, 0}},
        {{2024, 2, 28, 23, 59, 59, 999}, {2024, 2, 29, 0, 0, 0, 0}},
        {{2100, 2, 28, 23, 59, 59, 999}, {2100, 3, 1, 0, 0, 0, 0}},
        {{2023, 12, 31, 23, 59, 59, 999}, {2024, 1, 1, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        MediaTime n = NextMillisecond(c.in);
        EXPECT_EQ(FormatMediaPath(L"", n, L""), FormatMediaPath(L"", c.out, L""));
    }
}

TEST(MediaNames, TakesTheNextFreeMillisecond) {
    const MediaTime t{2023, 3, 22, 14, 25, 1, 7};
    struct Case { int taken; const wchar_t* expected; } cases[] = {
        {0, L"F\\20230322-142501-007.jpg"},
        {1, L"F\\20230322-142501-008.jpg"},
        {2, L"F\\20230322-142501-009.jpg"},
        {993, L"F\\20230322-142502-000.jpg"},   // across the second
        {999, L"F\\20230322-142502-006.jpg"},
    };
    for (const auto& c : cases) {
        std::set<std::wstring> existing;
        MediaTime at = t;
        for (int i = 0; i < c.taken; ++i, at = NextMillisecond(at)) existing.insert(FormatMediaPath(L"F", at, L"jpg"));
        auto exists = [&](const std::wstring& p) { return existing.count(p) != 0; };
        EXPECT_EQ(MakeFreeMediaPath(L"F", t, L"jpg", exists), c.expected) << c.taken;
    }
    EXPECT_EQ(MakeFreeMediaPath(L"F", t, L"jpg", [](const std::wstring&) { return true; }), L"");
}

TEST(MediaNames, CoverBesideTheVideo) {
    EXPECT_EQ(VideoCoverPath(L"C:\\V\\20230322-142501-007.avi", L"jpg"), L"C:\\V\\20230322-142501-007.jpg");
    EXPECT_EQ(VideoCoverPath(L"C:\\V\\20230322-142501-007.avi", L"tif"), L"C:\\V\\20230322-142501-007.tif");
    EXPECT_EQ(VideoCoverPath(L"av", L"png"), L"av");
}
