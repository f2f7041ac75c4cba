// The settings store: AppSettings read from and written to the registry key
// "Software\Vardelo" under the current user, and the save folder made sure of.
// User-interface thread only.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "settings/app_settings.h"
#include "settings/folder_path.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/calibration_table.h"

namespace {

// A value's raw bytes, whatever its type; nothing when it is missing or larger than capacity.
StoredBytes ReadValue(HKEY key, const wchar_t* name, DWORD capacityBytes) {
    std::vector<uint8_t> bytes(capacityBytes);
    DWORD size = capacityBytes;
    if (RegQueryValueExW(key, name, nullptr, nullptr, bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size <= capacityBytes ? size : capacityBytes);
    return bytes;
}

StoredBytes ReadNumber(HKEY key, const wchar_t* name) { return ReadValue(key, name, sizeof(DWORD)); }

StoredBytes ReadText(HKEY key, const wchar_t* name, std::size_t capacityChars) {
    return ReadValue(key, name, DWORD(capacityChars * sizeof(wchar_t)));
}

void WriteNumber(HKEY key, const wchar_t* name, int32_t value) {
    DWORD v = DWORD(value);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
}

// Written with its terminating zero: 2 bytes per character plus 2.
void WriteText(HKEY key, const wchar_t* name, const wchar_t* text) {
    DWORD bytes = DWORD((wcslen(text) + 1) * sizeof(wchar_t));
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

HKEY OpenSettingsKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

}  // namespace

std::wstring DocumentsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

void LoadSettings() {
    StoredSettings stored;
    if (HKEY key = OpenSettingsKey()) {
        stored.keyOpened = true;
        stored.language = ReadNumber(key, L"Language");
        stored.mjpg = ReadNumber(key, L"mjpg");
        stored.width = ReadNumber(key, L"width");
        stored.height = ReadNumber(key, L"height");
        stored.interpolated = ReadNumber(key, L"interpolated");
        stored.imgDir = ReadText(key, L"ImgDir", kImgDirChars);
        stored.gridColor = ReadNumber(key, L"GridColor");
        stored.lineColor = ReadNumber(key, L"LineColor");
        stored.lineWidth = ReadNumber(key, L"LineWidth");
        stored.textColor = ReadNumber(key, L"TextColor");
        stored.textSize = ReadNumber(key, L"TextSize");
        stored.jpgPng = ReadNumber(key, L"jpgPng");
        stored.maxRecordTime = ReadNumber(key, L"MaxRecordTime");
        stored.calibrations = ReadText(key, L"Calibrations", kCalibrationsChars);
        stored.latestFiles = ReadText(key, L"LatestFiles", kLatestFilesChars);
        stored.lastCamera = ReadText(key, L"LastCamera", kLastCameraChars);
        stored.scaleBar = ReadNumber(key, L"ScaleBar");
        stored.measuresWithPhotos = ReadNumber(key, L"PhotoMeasures");
        stored.compressVideo = ReadNumber(key, L"CompressVideo");
        stored.stackDepthMap = ReadNumber(key, L"StackDepthMap");
        stored.labelBacking = ReadNumber(key, L"LabelBack");
        RegCloseKey(key);
    }
    AppSettings = SettingsFromStored(stored);
    LoadTextTable(AppSettings.language);
    ParseCalibrations(AppSettings.calibrations, CalibrationTable);
    // The in-memory list starts as the stored one, so the next save writes the same files back
    // instead of an empty list.
    std::vector<std::wstring> newestFirst = ParseRecentFilesText(AppSettings.latestFiles);
    gRecentFiles.assign(newestFirst.rbegin(), newestFirst.rend());

    if (!AppSettings.imgDir[0]) {
        std::wstring folder = DefaultSaveFolder(DocumentsFolder());
        if (!folder.empty()) {
            // Its parent, the documents folder, exists. When this fails (a file of that name,
            // say) the path is still used; every save tries again and leaves such a file alone.
            CreateDirectoryW(folder.c_str(), nullptr);
            CopyTextField(AppSettings.imgDir, folder);
        } else {
            OutputDebugStringW(L"LoadSettings: no documents folder for the default save folder.\r\n");
        }
    }
}

void SaveSettings() {
    HKEY key = OpenSettingsKey();  // a failed open makes the writes below fail quietly
    WriteNumber(key, L"Language", AppSettings.language);
    WriteNumber(key, L"mjpg", AppSettings.mjpg);
    WriteNumber(key, L"width", AppSettings.width);
    WriteNumber(key, L"height", AppSettings.height);
    WriteNumber(key, L"interpolated", AppSettings.interpolated);
    WriteText(key, L"ImgDir", AppSettings.imgDir);
    WriteNumber(key, L"GridColor", int32_t(AppSettings.gridColor));
    WriteNumber(key, L"LineColor", int32_t(AppSettings.lineColor));
    WriteNumber(key, L"LineWidth", AppSettings.lineWidth);
    WriteNumber(key, L"TextColor", int32_t(AppSettings.textColor));
    WriteNumber(key, L"TextSize", AppSettings.textSize);
    WriteNumber(key, L"jpgPng", AppSettings.jpgPng);
    WriteNumber(key, L"MaxRecordTime", AppSettings.maxRecordTime);
    WriteNumber(key, L"ScaleBar", AppSettings.scaleBar);
    WriteNumber(key, L"PhotoMeasures", AppSettings.measuresWithPhotos);
    WriteNumber(key, L"CompressVideo", AppSettings.compressVideo);
    WriteNumber(key, L"StackDepthMap", AppSettings.stackDepthMap);
    WriteNumber(key, L"LabelBack", AppSettings.labelBacking);

    // Both texts are built to fit their fields (511 and 1023 characters).
    CopyTextField(AppSettings.calibrations, SerializeCalibrations(CalibrationTable));
    WriteText(key, L"Calibrations", AppSettings.calibrations);
    CopyTextField(AppSettings.latestFiles, BuildRecentFilesText(gRecentFiles));
    WriteText(key, L"LatestFiles", AppSettings.latestFiles);
    WriteText(key, L"LastCamera", AppSettings.lastCamera);
    if (key) RegCloseKey(key);

    if (AppSettings.imgDir[0]) {
        std::wstring thumbnails = AppSettings.imgDir;
        if (thumbnails.back() != L'\\' && thumbnails.back() != L'/') thumbnails += L'\\';
        thumbnails += L"Thumbnails";
        EnsureFolderPath(thumbnails);
    }
}

namespace {

class Win32Folders final : public FolderSystem {
public:
    Kind KindOf(const std::wstring& path) override {
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return Kind::Missing;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            OutputDebugStringW((L"EnsureFolderPath: a file is in the way: " + path + L"\r\n").c_str());
            return Kind::File;
        }
        return Kind::Folder;
    }
    bool CreateFolder(const std::wstring& path) override {
        return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    }
};

}  // namespace

bool EnsureFolderPath(const std::wstring& path) {
    Win32Folders folders;
    return EnsureFolders(path, folders);
}
