// The settings record, its defaults and the checks applied to what the store returned.
#include "settings/app_settings.h"

#include <cstring>

AppSettingsData AppSettings;

bool IsPaletteColor(uint32_t color) {
    for (uint32_t c : ColorPalette)
        if (c == color) return true;
    return false;
}

std::optional<int32_t> DecodeStoredNumber(const StoredBytes& value) {
    if (!value || value->size() != 4) return std::nullopt;
    const std::vector<uint8_t>& b = *value;
    uint32_t u = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return int32_t(u);
}

std::optional<std::wstring> DecodeStoredText(const StoredBytes& value, std::size_t capacityChars) {
    if (!value || capacityChars == 0) return std::nullopt;
    const std::vector<uint8_t>& b = *value;
    std::wstring text;
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        wchar_t unit = wchar_t(uint16_t(b[i] | b[i + 1] << 8));
        if (unit == 0) break;
        if (text.size() + 1 >= capacityChars) return std::nullopt;  // no room left for the terminator
        text += unit;
    }
    return text;
}

bool CopyTextField(wchar_t* field, std::size_t capacityChars, std::wstring_view text) {
    if (capacityChars == 0 || text.size() >= capacityChars) return false;
    if (text.find(L'\0') != std::wstring_view::npos) return false;
    std::memcpy(field, text.data(), text.size() * sizeof(wchar_t));
    field[text.size()] = L'\0';
    return true;
}

void CheckSettingRanges(AppSettingsData& s) {
    if (s.language < 0 || s.language > 11) s.language = 0;
    for (uint32_t* color : {&s.gridColor, &s.lineColor, &s.textColor})
        if (!IsPaletteColor(*color)) *color = kReplacementColor;
    if (s.lineWidth < 1 || s.lineWidth > 2) s.lineWidth = 1;
    if (s.textSize < 8 || s.textSize > 24) s.textSize = 10;
    if (s.jpgPng < 0 || s.jpgPng > 2) s.jpgPng = 0;
    if (s.maxRecordTime < 0 || s.maxRecordTime > kMaxRecordTimeLimit) s.maxRecordTime = 0;
    for (int32_t* flag : {&s.scaleBar, &s.measuresWithPhotos, &s.compressVideo, &s.stackDepthMap, &s.labelBacking})
        if (*flag != 1) *flag = 0;
}

AppSettingsData SettingsFromStored(const StoredSettings& stored) {
    AppSettingsData s;
    std::memset(&s, 0, sizeof(s));
    // Fallbacks for a key that cannot be opened at all.
    s.language = 0;
    s.gridColor = s.lineColor = s.textColor = 0x0000FF;
    s.lineWidth = 2;
    s.textSize = 12;
    s.maxRecordTime = 10;
    s.jpgPng = 0;

    if (stored.keyOpened) {
        auto number = [](const StoredBytes& v, int32_t unreadable) {
            return DecodeStoredNumber(v).value_or(unreadable);
        };
        s.language = number(stored.language, 0);
        s.mjpg = number(stored.mjpg, 0);
        s.width = number(stored.width, 0);
        s.height = number(stored.height, 0);
        s.interpolated = number(stored.interpolated, 0);
        s.gridColor = uint32_t(number(stored.gridColor, 0));
        s.lineColor = uint32_t(number(stored.lineColor, 0));
        s.lineWidth = number(stored.lineWidth, 1);
        s.textColor = uint32_t(number(stored.textColor, 0));
        s.textSize = number(stored.textSize, 14);
        s.jpgPng = number(stored.jpgPng, 0);
        s.maxRecordTime = number(stored.maxRecordTime, 30);
        s.scaleBar = number(stored.scaleBar, 0);
        s.measuresWithPhotos = number(stored.measuresWithPhotos, 0);
        s.compressVideo = number(stored.compressVideo, 0);
        s.stackDepthMap = number(stored.stackDepthMap, 0);
        s.labelBacking = number(stored.labelBacking, 0);
        auto text = [](wchar_t* field, std::size_t cap, const StoredBytes& v) {
            if (auto t = DecodeStoredText(v, cap)) CopyTextField(field, cap, *t);
        };
        text(s.imgDir, kImgDirChars, stored.imgDir);
        text(s.calibrations, kCalibrationsChars, stored.calibrations);
        text(s.latestFiles, kLatestFilesChars, stored.latestFiles);
        text(s.lastCamera, kLastCameraChars, stored.lastCamera);
    }
    CheckSettingRanges(s);
    return s;
}

std::wstring DefaultSaveFolder(std::wstring_view documents) {
    if (documents.empty()) return {};
    std::wstring path(documents);
    if (path.back() != L'\\') path += L'\\';
    path += L"Vardelo Files";
    if (path.size() >= kImgDirChars) return {};
    return path;
}

CameraFormat StoredCameraFormat(const AppSettingsData& settings) {
    CameraFormat f;
    f.subtype = settings.mjpg == 1 ? kSubtypeMjpg : kSubtypeYuy2;
    f.width = settings.width;
    f.height = settings.height;
    f.interpolated = settings.interpolated;
    return f;
}
