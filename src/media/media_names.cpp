// Time-stamped photo and video names and the next-free-name rule.
#include "media/media_names.h"

#include <cwchar>

std::wstring FormatMediaPath(std::wstring_view folder, const MediaTime& t, std::wstring_view ext) {
    wchar_t name[64];
    std::swprintf(name, 64, L"\\%d%02d%02d-%02d%02d%02d-%03d.", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    std::wstring path(folder);
    path += name;
    path += ext;
    return path;
}

static int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return (month >= 1 && month <= 12) ? kDays[month - 1] : 31;
}

MediaTime NextMillisecond(MediaTime t) {
    if (++t.millisecond < 1000) return t;
    t.millisecond = 0;
    if (++t.second < 60) return t;
    t.second = 0;
    if (++t.minute < 60) return t;
    t.minute = 0;
    if (++t.hour < 24) return t;
    t.hour = 0;
    if (++t.day <= DaysInMonth(t.year, t.month)) return t;
    t.day = 1;
    if (++t.month <= 12) return t;
    t.month = 1;
    ++t.year;
    return t;
}

std::wstring MakeFreeMediaPath(std::wstring_view folder, const MediaTime& t, std::wstring_view ext,
                               const std::function<bool(const std::wstring&)>& exists) {
    MediaTime at = t;
    for (int i = 0; i < kMaxMediaNameTries; ++i) {
        std::wstring path = FormatMediaPath(folder, at, ext);
        if (!exists(path)) return path;
        at = NextMillisecond(at);
    }
    return {};
}

std::wstring VideoCoverPath(std::wstring_view videoPath, std::wstring_view ext) {
    std::wstring cover(videoPath);
    if (cover.size() < 3) return cover;
    cover.replace(cover.size() - 3, 3, ext);
    return cover;
}
