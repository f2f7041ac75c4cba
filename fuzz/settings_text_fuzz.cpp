// Fuzzes what the settings read from the store: the two stored texts (the calibration records
// and the recent-files list, read as UTF-16LE units) and, with bit 1 of the first byte, every
// value as the store hands over its raw bytes. Checks that parsing never runs past its buffers,
// that what it yields writes back within bounds and reads back the same, and that the settings
// made from any values are in range, with every text field terminated inside itself, and the
// save folder's path splits into the folders to create.
//
// Stored values (bit 1): bit 2 says whether the key opened; then for each value a 16-bit
// little-endian length (0xFFFF: missing) and that many bytes.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "capture/camera_choice.h"
#include "settings/app_settings.h"
#include "settings/folder_path.h"
#include "settings/recent_files.h"
#include "view/calibration_table.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void FuzzStoredValues(const uint8_t* data, size_t size) {
    StoredSettings stored;
    stored.keyOpened = data[0] & 4;
    size_t at = 1;
    for (StoredBytes* v : {&stored.language, &stored.mjpg, &stored.width, &stored.height, &stored.interpolated,
                           &stored.imgDir, &stored.gridColor, &stored.lineColor, &stored.lineWidth, &stored.textColor,
                           &stored.textSize, &stored.jpgPng, &stored.maxRecordTime, &stored.calibrations,
                           &stored.latestFiles, &stored.lastCamera, &stored.scaleBar, &stored.measuresWithPhotos,
                           &stored.compressVideo, &stored.stackDepthMap}) {
        if (size - at < 2) break;
        const size_t length = size_t(data[at] | data[at + 1] << 8);
        at += 2;
        if (length == 0xFFFF) continue;
        const size_t n = std::min(length, size - at);
        *v = std::vector<uint8_t>(data + at, data + at + n);
        at += n;
    }
    const AppSettingsData s = SettingsFromStored(stored);
    Check(s.language >= 0 && s.language <= 11 && s.lineWidth >= 1 && s.lineWidth <= 2 && s.textSize >= 8 &&
          s.textSize <= 24 && s.jpgPng >= 0 && s.jpgPng <= 2 && s.maxRecordTime >= 0 &&
          s.maxRecordTime <= kMaxRecordTimeLimit);
    for (uint32_t c : {s.gridColor, s.lineColor, s.textColor}) Check(IsPaletteColor(c));
    for (int32_t flag : {s.scaleBar, s.measuresWithPhotos, s.compressVideo, s.stackDepthMap}) Check(flag == 0 || flag == 1);
    Check(wcsnlen(s.imgDir, kImgDirChars) < kImgDirChars && wcsnlen(s.calibrations, kCalibrationsChars) < kCalibrationsChars &&
          wcsnlen(s.latestFiles, kLatestFilesChars) < kLatestFilesChars &&
          wcsnlen(s.lastCamera, kLastCameraChars) < kLastCameraChars);
    // What start-up makes of the texts: the save folder's folders to create, shortest first,
    // each a part of the path that ends before one of its separators.
    const std::wstring folder = s.imgDir;
    size_t previous = 0;
    for (const std::wstring& f : FolderPathPrefixes(folder)) {
        Check(f.size() > previous && f.size() < folder.size() + 1 && folder.compare(0, f.size(), f) == 0);
        Check(f.back() != L'\\' && f.back() != L'/' && (f.size() == folder.size() || folder[f.size()] == L'\\' || folder[f.size()] == L'/'));
        previous = f.size();
    }
    Calibration slots[kCalibrationSlots];
    ParseCalibrations(s.calibrations, slots);
    for (const std::wstring& p : ParseRecentFilesText(s.latestFiles)) Check(!p.empty() && p.find(L';') == std::wstring::npos);
    const CameraIdentity camera = ParseRememberedCamera(s.lastCamera);
    Check(camera.friendlyName.find(L'\n') == std::wstring::npos);
    const CameraIdentity again = ParseRememberedCamera(RememberedCameraText(camera));
    if (!camera.friendlyName.empty())
        Check(again.friendlyName == camera.friendlyName && again.devicePath == camera.devicePath);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    if (mode & 2) {
        FuzzStoredValues(data, size);
        return 0;
    }
    std::wstring text;
    for (size_t i = 1; i + 1 < size; i += 2) text += wchar_t(uint16_t(data[i] | data[i + 1] << 8));

    if (mode & 1) {
        Calibration slots[kCalibrationSlots];
        ParseCalibrations(text, slots);
        for (const Calibration& s : slots) {
            if (std::wcslen(s.name) >= kCalibrationNameChars) std::abort();
            if (s.pixelsPerUnit > 0 && !std::isfinite(s.pixelsPerUnit)) std::abort();
        }
        std::wstring stored = SerializeCalibrations(slots);
        if (stored.size() > kCalibrationTextMaxChars) std::abort();
        Calibration again[kCalibrationSlots];
        ParseCalibrations(stored, again);
        if (SerializeCalibrations(again) != stored) std::abort();
        // The same text through the settings field, as the store hands it over.
        wchar_t field[kCalibrationsChars] = {};
        if (CopyTextField(field, text)) ParseCalibrations(field, again);
    } else {
        std::vector<std::wstring> paths = ParseRecentFilesText(text);
        for (const std::wstring& p : paths)
            if (p.empty() || p.find(L';') != std::wstring::npos) std::abort();
        std::vector<std::wstring> oldestFirst(paths.rbegin(), paths.rend());
        std::wstring stored = BuildRecentFilesText(oldestFirst);
        if (stored.size() >= kLatestFilesChars) std::abort();
        for (const std::wstring& p : ParseRecentFilesText(stored))
            if (p.size() > kRecentFileMaxChars) std::abort();
    }
    return 0;
}
