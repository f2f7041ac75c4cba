// AppSettings: the persisted settings of the program, the fixed drawing palette, and the rules
// that turn what the settings store handed back into a checked record. The store itself
// (registry) is in settings_store_win.cpp; everything here is portable.
// AppSettings is read and written only on the user-interface thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/camera_format.h"

constexpr std::size_t kImgDirChars = 260;         // terminator included
constexpr std::size_t kCalibrationsChars = 512;   // terminator included
constexpr std::size_t kLatestFilesChars = 1024;   // terminator included
constexpr std::size_t kLastCameraChars = 768;     // terminator included

struct AppSettingsData {
    int32_t language;       // 1 = Chinese, anything else English (0 is what the options dialog writes)
    int32_t mjpg;           // last running format: 1 = MJPG, otherwise YUY2
    int32_t width;
    int32_t height;
    int32_t interpolated;
    uint32_t gridColor;     // 0x00BBGGRR, always one of ColorPalette after loading
    uint32_t lineColor;
    uint32_t textColor;
    int32_t lineWidth;      // 1 or 2 pixels
    int32_t textSize;       // 8 to 24 points
    wchar_t imgDir[kImgDirChars];
    int32_t jpgPng;         // photo format: 0 = JPG, 1 = PNG, 2 = TIFF
    int32_t maxRecordTime;  // seconds, 0 = no limit, at most 28800
    wchar_t calibrations[kCalibrationsChars];
    wchar_t latestFiles[kLatestFilesChars];
    // `LastCamera`: the camera the user last had open, friendly name and display name (see
    // capture/camera_choice.h); empty until a camera has run.
    wchar_t lastCamera[kLastCameraChars];
    int32_t scaleBar;            // "ScaleBar": 1 = photos get a scale bar while calibrated; default 0
    int32_t measuresWithPhotos;  // "PhotoMeasures": 1 = a CSV of the shapes beside each photo; default 0
    int32_t compressVideo;       // "CompressVideo": 1 = recordings are 'MJPG' files; default 0
    int32_t stackDepthMap;       // "StackDepthMap": 1 = a focus stack's depth map is saved beside it; default 0
    int32_t labelBacking;        // "LabelBack": 1 = measurement labels stand on a contrasting box; default 0
};
extern AppSettingsData AppSettings;

// The twelve drawing colours (0x00BBGGRR), in the order the options dialog shows them.
constexpr std::size_t kPaletteSize = 12;
constexpr uint32_t ColorPalette[kPaletteSize] = {
    0x000080, 0x0000FF, 0x008000, 0x00FF00, 0x800000, 0xFF0000,
    0x800080, 0xFF00FF, 0x808000, 0xFFFF00, 0x008080, 0x00FFFF,
};
constexpr uint32_t kReplacementColor = 0x00FF00;  // palette index 3, green
bool IsPaletteColor(uint32_t color);

constexpr int32_t kMaxRecordTimeLimit = 28800;  // 8 hours

// One value as the store returned it: its raw bytes (the value type is not looked at), or
// nothing when the value is missing or does not fit its field.
using StoredBytes = std::optional<std::vector<uint8_t>>;

// Everything LoadSettings read from the store, before any check.
struct StoredSettings {
    bool keyOpened = false;
    StoredBytes language, mjpg, width, height, interpolated, imgDir, gridColor, lineColor, lineWidth,
        textColor, textSize, jpgPng, maxRecordTime, calibrations, latestFiles, lastCamera, scaleBar,
        measuresWithPhotos, compressVideo, stackDepthMap, labelBacking;
};

// A numeric value: exactly four little-endian bytes, anything else counts as unreadable.
std::optional<int32_t> DecodeStoredNumber(const StoredBytes& value);
// A text value: UTF-16LE units up to the first zero unit (or the end; an odd last byte is
// dropped). Unreadable when the text and its terminator do not fit capacityChars.
std::optional<std::wstring> DecodeStoredText(const StoredBytes& value, std::size_t capacityChars);

// The checked record for what the store returned: the fallbacks when the key could not be
// opened, each value's own default when it could not be read, then every range and palette
// check. Does not touch the text table, the calibration table or the save folder.
AppSettingsData SettingsFromStored(const StoredSettings& stored);

// The range and palette checks alone (language, colours, line width, text size, photo format,
// record time limit, the on/off options), applied in place.
void CheckSettingRanges(AppSettingsData& settings);

// The default save folder inside the user's documents folder; empty when documents is empty
// or the result would not fit the save-folder field.
std::wstring DefaultSaveFolder(std::wstring_view documents);

// Copies text into a fixed wide-character field when it fits with its terminator; returns
// false and leaves the field alone otherwise.
bool CopyTextField(wchar_t* field, std::size_t capacityChars, std::wstring_view text);
template <std::size_t N>
bool CopyTextField(wchar_t (&field)[N], std::wstring_view text) {
    return CopyTextField(field, N, text);
}

// The stream format stored with the settings, as the next camera opening should use it:
// MJPG when the stored flag is 1, YUY2 otherwise, with the stored size and interpolated flag.
CameraFormat StoredCameraFormat(const AppSettingsData& settings);
