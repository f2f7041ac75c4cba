// Fuzzes the two stored texts the settings hold: the calibration records and the recent-files
// list. Each input is read as UTF-16LE units; the first byte picks the parser. Checks that
// parsing never runs past its buffers and that what it yields writes back within bounds and
// reads back the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "view/calibration_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
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
