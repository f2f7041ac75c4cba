// Format lists of the source section and the open-microscope dialog (see format_lists.h).
#include "capture/format_lists.h"

#include <cwchar>
#include <iterator>

std::vector<std::wstring> FormatNames(const FormatCatalogue& c) {
    std::vector<std::wstring> names;
    if (!c.mjpgFormats.empty()) names.push_back(L"MJPG");
    if (!c.yuy2Formats.empty()) names.push_back(L"YUY2");
    return names;
}

std::vector<std::wstring> SizeNames(const FormatMap& map) {
    std::vector<std::wstring> names;
    for (const auto& entry : map) {
        wchar_t text[32];
        std::swprintf(text, 32, L"%dx%d", entry.second.width, entry.second.height);
        names.push_back(text);
    }
    return names;
}

const CameraFormat* FormatAt(const FormatMap& map, int index) {
    if (index < 0 || size_t(index) >= map.size()) return nullptr;
    return &std::next(map.begin(), index)->second;
}

int SizeIndex(const FormatMap& map, int width, int height, int notFound) {
    int i = 0;
    for (const auto& entry : map) {
        if (entry.second.width == width && entry.second.height == height) return i;
        ++i;
    }
    return notFound;
}

const FormatMap& MapOfSubtype(const FormatCatalogue& c, uint32_t subtype) {
    return subtype == kSubtypeMjpg ? c.mjpgFormats : c.yuy2Formats;
}

int RunningFormatRow(const FormatCatalogue& c, uint32_t runningSubtype) {
    if (runningSubtype == kSubtypeMjpg) return 0;
    return c.mjpgFormats.empty() ? 0 : 1;
}

uint32_t SubtypeOfFormatRow(const FormatCatalogue& c, int row) {
    if (!c.mjpgFormats.empty() && !c.yuy2Formats.empty()) return row == 0 ? kSubtypeMjpg : kSubtypeYuy2;
    return c.mjpgFormats.empty() ? kSubtypeYuy2 : kSubtypeMjpg;
}

std::optional<CameraFormat> SizeChoice(const FormatCatalogue& c, uint32_t runningSubtype, int row,
                                       int imageWidth, int imageHeight) {
    const CameraFormat* entry = FormatAt(MapOfSubtype(c, runningSubtype), row);
    if (!entry || (entry->width == imageWidth && entry->height == imageHeight)) return std::nullopt;
    return CameraFormat{runningSubtype, entry->width, entry->height, entry->interpolated};
}

const FormatMap& DialogSizeMap(const FormatCatalogue& c, int formatRow) {
    return c.mjpgFormats.empty() || formatRow != 0 ? c.yuy2Formats : c.mjpgFormats;
}
