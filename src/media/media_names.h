// File names of saved photos and videos: "<folder>\YYYYMMDD-HHMMSS-mmm.<ext>" from the local
// time. When that name is taken (two saves in one millisecond, a clock set back) the next free
// millisecond is used, so a save never overwrites an earlier file.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// A local date and time to the millisecond (the fields of a SYSTEMTIME).
struct MediaTime {
    int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// "<folder>\YYYYMMDD-HHMMSS-mmm.<ext>".
std::wstring FormatMediaPath(std::wstring_view folder, const MediaTime& t, std::wstring_view ext);

// The time one millisecond later, carrying into seconds, minutes, hours, days, months and years
// (leap years by the Gregorian rule).
MediaTime NextMillisecond(MediaTime t);

// The first path from t on, one millisecond at a time, for which exists() is false. After
// kMaxMediaNameTries taken names it gives up and returns an empty string.
constexpr int kMaxMediaNameTries = 100000;
std::wstring MakeFreeMediaPath(std::wstring_view folder, const MediaTime& t, std::wstring_view ext,
                               const std::function<bool(const std::wstring&)>& exists);

// The cover picture of a video: the path with its last three characters ("avi") replaced by the
// photo extension ext ("jpg", "png", "tif"). A path shorter than three characters is returned
// unchanged.
std::wstring VideoCoverPath(std::wstring_view videoPath, std::wstring_view ext);
