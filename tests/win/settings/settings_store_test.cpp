// The settings store against the real registry and file system of the test prefix: the round
// trip with the stored types and sizes, first start, range checks on load, damaged values, and
// the save folder. Every test starts and ends without the settings key.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../core/settings/first_start_defaults.h"
#include "common/scratch_files_win.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/calibration_table.h"

namespace {

void DeleteSettingsKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}


struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool found = false;
};

RawValue ReadRaw(const wchar_t* name) {
    RawValue v;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return v;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
        v.bytes.resize(size);
        v.found = RegQueryValueExW(key, name, nullptr, &v.type, v.bytes.data(), &size) == ERROR_SUCCESS;
        v.bytes.resize(size);
    }
    RegCloseKey(key);
    return v;
}

void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void WriteDword(const wchar_t* name, DWORD v) { WriteRaw(name, REG_DWORD, &v, sizeof(v)); }

std::wstring TempRoot() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::wstring root = tmp;
    if (root.back() == L'\\') root.pop_back();
    return root + L"\\vardelo-settings-test";
}

std::wstring Documents() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

struct SettingsStoreTest : ::testing::Test {
    void SetUp() override {
        DeleteSettingsKey();
        RemoveTree(TempRoot());
        ASSERT_TRUE(CreateDirectoryW(TempRoot().c_str(), nullptr));
        defaultFolder = Documents() + L"\\Vardelo Files";
        defaultFolderExisted = Exists(defaultFolder);
        std::memset(&AppSettings, 0, sizeof(AppSettings));
        gRecentFiles.clear();
        for (auto& slot : CalibrationTable) EmptyCalibration(slot);
    }
    void TearDown() override {
        DeleteSettingsKey();
        RemoveTree(TempRoot());
        if (!defaultFolderExisted) RemoveTree(defaultFolder);
        gRecentFiles.clear();
    }
    std::wstring defaultFolder;
    bool defaultFolderExisted = false;
};

TEST_F(SettingsStoreTest, SaveThenLoadRoundTripWithStoredTypesAndSizes) {
    // A 200-character save folder that does not exist yet.
    std::wstring folder = TempRoot() + L"\\";
    folder.resize(200, L'd');
    AppSettings.language = 1;
    AppSettings.mjpg = 1;
    AppSettings.width = 1280;
    AppSettings.height = 720;
    AppSettings.interpolated = 1;
    AppSettings.gridColor = 0x008080;
    AppSettings.lineColor = 0xFF0000;
    AppSettings.textColor = 0x800080;
    AppSettings.lineWidth = 2;
    AppSettings.textSize = 20;
    AppSettings.jpgPng = 1;
    AppSettings.maxRecordTime = 600;
    AppSettings.compressVideo = 1;
    AppSettings.stackDepthMap = 1;
    AppSettings.labelBacking = 1;
    ASSERT_TRUE(CopyTextField(AppSettings.imgDir, folder));
    Calibration& slide = CalibrationTable[0];
    SetCalibrationName(slide, L"Slide");
    slide.referencePixels = 400;
    slide.referenceLength = 1.0f;
    slide.resolution = 720 << 16 | 1280;
    slide.date = 20230322;
    slide.pixelsPerUnit = 400.0f;
    gRecentFiles = {L"C:\\old.jpg", L"C:\\new.avi"};

    SaveSettings();

    struct { const wchar_t* name; DWORD value; } dwords[] = {
        {L"Language", 1}, {L"mjpg", 1}, {L"width", 1280}, {L"height", 720}, {L"interpolated", 1},
        {L"GridColor", 0x008080}, {L"LineColor", 0xFF0000}, {L"LineWidth", 2}, {L"TextColor", 0x800080},
        {L"TextSize", 20}, {L"jpgPng", 1}, {L"MaxRecordTime", 600}, {L"CompressVideo", 1},
        {L"StackDepthMap", 1}, {L"LabelBack", 1},
    };
    for (auto& d : dwords) {
        RawValue v = ReadRaw(d.name);
        ASSERT_TRUE(v.found) << d.name;
        EXPECT_EQ(v.type, DWORD(REG_DWORD)) << d.name;
        ASSERT_EQ(v.bytes.size(), 4u) << d.name;
        DWORD got;
        std::memcpy(&got, v.bytes.data(), 4);
        EXPECT_EQ(got, d.value) << d.name;
    }
    std::wstring calibrations = L"Slide,0,400,1065353216,47187200,20230322;";
    for (int i = 1; i < 10; ++i) calibrations += L",0,0,0,0,0;";
    struct { const wchar_t* name; std::wstring text; } texts[] = {
        {L"ImgDir", folder}, {L"Calibrations", calibrations}, {L"LatestFiles", L"C:\\new.avi;C:\\old.jpg;"},
    };
    for (auto& t : texts) {
        RawValue v = ReadRaw(t.name);
        ASSERT_TRUE(v.found) << t.name;
        EXPECT_EQ(v.type, DWORD(REG_SZ)) << t.name;
        ASSERT_EQ(v.bytes.size(), 2 * t.text.size() + 2) << t.name;
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(v.bytes.data())), t.text) << t.name;
    }
    EXPECT_TRUE(IsFolder(folder + L"\\Thumbnails"));

    // A restart: everything comes back, the table in Chinese.
    AppSettingsData saved = AppSettings;
    std::memset(&AppSettings, 0, sizeof(AppSettings));
    for (auto& s : CalibrationTable) EmptyCalibration(s);
    LoadSettings();
    EXPECT_EQ(std::memcmp(&AppSettings, &saved, sizeof(saved)), 0);
    EXPECT_EQ(std::wstring(AppSettings.imgDir), folder);
    EXPECT_EQ(CalibrationTable[0].pixelsPerUnit, 400.0f);
    EXPECT_STREQ(CalibrationTable[0].name, L"Slide");
    EXPECT_EQ(GetText("device"), L"\u8BBE\u5907");
    LoadTextTable(kLanguageEnglish);
}

TEST_F(SettingsStoreTest, FirstStartGivesDefaultsAndCreatesTheDefaultFolder) {
    LoadSettings();
    ExpectFirstStartDefaults(AppSettings);
    for (auto& s : CalibrationTable) EXPECT_FALSE(IsCalibrated(s));
    EXPECT_EQ(std::wstring(AppSettings.imgDir), defaultFolder);
    EXPECT_TRUE(IsFolder(defaultFolder));
    EXPECT_EQ(GetText("device"), L"Device");
    // Loading creates the key but writes nothing.
    EXPECT_FALSE(ReadRaw(L"TextSize").found);
}

TEST_F(SettingsStoreTest, StoredValuesOutOfRangeAreCorrectedOnLoad) {
    WriteDword(L"TextSize", 30);
    WriteDword(L"LineWidth", 0);
    WriteDword(L"GridColor", 0x000000);
    WriteDword(L"LineColor", 0x008080);
    WriteDword(L"Language", 12);
    WriteDword(L"MaxRecordTime", 28801);
    WriteDword(L"jpgPng", 7);
    LoadSettings();
    EXPECT_EQ(AppSettings.textSize, 10);
    EXPECT_EQ(AppSettings.lineWidth, 1);
    EXPECT_EQ(AppSettings.gridColor, 0x00FF00u);
    EXPECT_EQ(AppSettings.lineColor, 0x008080u);
    EXPECT_EQ(AppSettings.language, 0);
    EXPECT_EQ(AppSettings.maxRecordTime, 0);
    EXPECT_EQ(AppSettings.jpgPng, 0);

    WriteDword(L"Language", 5);
    WriteDword(L"MaxRecordTime", 28800);
    LoadSettings();
    EXPECT_EQ(AppSettings.language, 5);
    EXPECT_EQ(GetText("photo video"), L"Photo and video:");
    EXPECT_EQ(AppSettings.maxRecordTime, 28800);
}

TEST_F(SettingsStoreTest, DamagedValuesLoadCleanly) {
    const BYTE two[2] = {20, 0};
    WriteRaw(L"TextSize", REG_BINARY, two, 2);
    const ULONGLONG wide = 1920;
    WriteRaw(L"width", REG_QWORD, &wide, sizeof(wide));
    WriteRaw(L"LineWidth", REG_SZ, L"2", 4);
    std::wstring noTerminator = TempRoot() + L"\\pics";
    WriteRaw(L"ImgDir", REG_SZ, noTerminator.c_str(), DWORD(noTerminator.size() * 2));
    const BYTE junk[7] = {0xFF, 0xFE, 0x00, 0xD8, 0x2C, 0x00, 0x3B};
    WriteRaw(L"Calibrations", REG_BINARY, junk, sizeof(junk));
    std::wstring huge(5000, L';');
    WriteRaw(L"LatestFiles", REG_SZ, huge.c_str(), DWORD(huge.size() * 2 + 2));
    LoadSettings();
    EXPECT_EQ(AppSettings.textSize, 14);
    EXPECT_EQ(AppSettings.width, 0);
    EXPECT_EQ(AppSettings.lineWidth, 1);
    EXPECT_EQ(std::wstring(AppSettings.imgDir), noTerminator);
    EXPECT_STREQ(AppSettings.latestFiles, L"");
    for (auto& s : CalibrationTable) EXPECT_FALSE(IsCalibrated(s));

    // A save folder longer than its field is not used: the default folder is.
    std::wstring tooLong(300, L'x');
    WriteRaw(L"ImgDir", REG_SZ, tooLong.c_str(), DWORD(tooLong.size() * 2 + 2));
    LoadSettings();
    EXPECT_EQ(std::wstring(AppSettings.imgDir), defaultFolder);
}

TEST_F(SettingsStoreTest, MissingSaveFolderIsRecreatedWithThumbnailsByTheNextSave) {
    std::wstring folder = TempRoot() + L"\\gone\\photos";
    WriteRaw(L"ImgDir", REG_SZ, folder.c_str(), DWORD(folder.size() * 2 + 2));
    LoadSettings();
    EXPECT_EQ(std::wstring(AppSettings.imgDir), folder);
    EXPECT_FALSE(Exists(folder));
    SaveSettings();
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_TRUE(IsFolder(folder + L"\\Thumbnails"));
}

TEST_F(SettingsStoreTest, StoredRecentFilesSurviveALoadAndSave) {
    // A save before anything reads the list (the capture start does one) must not wipe it.
    const std::wstring text = L"C:\\shots\\b.jpg;C:\\shots\\a.avi;";
    WriteRaw(L"LatestFiles", REG_SZ, text.c_str(), DWORD(text.size() * 2 + 2));
    LoadSettings();
    ASSERT_EQ(gRecentFiles.size(), 2u);
    EXPECT_EQ(gRecentFiles.back(), L"C:\\shots\\b.jpg");  // kept oldest first in memory
    SaveSettings();
    RawValue v = ReadRaw(L"LatestFiles");
    ASSERT_TRUE(v.found);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(v.bytes.data())), text);
}

// A read-only folder is a customised one (Documents, Pictures): saving the settings leaves the
// attribute on the save folder and on its parents, and still makes "Thumbnails".
TEST_F(SettingsStoreTest, ReadOnlyFoldersKeepTheirAttribute) {
    const std::wstring outer = TempRoot() + L"\\locked", save = outer + L"\\shots";
    ASSERT_TRUE(CreateDirectoryW(outer.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(save.c_str(), nullptr));
    for (const std::wstring& f : {outer, save}) ASSERT_TRUE(SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_READONLY));
    if (!(GetFileAttributesW(outer.c_str()) & FILE_ATTRIBUTE_READONLY))
        GTEST_SKIP() << "this file system keeps no read-only attribute on folders";
    ASSERT_TRUE(CopyTextField(AppSettings.imgDir, save));
    SaveSettings();
    for (const std::wstring& f : {outer, save}) EXPECT_TRUE(GetFileAttributesW(f.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(IsFolder(save + L"\\Thumbnails"));
}

TEST_F(SettingsStoreTest, AFileWhereAFolderBelongsIsLeftAlone) {
    std::wstring file = TempRoot() + L"\\notes";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written;
    WriteFile(h, "keep me", 7, &written, nullptr);
    CloseHandle(h);

    EXPECT_FALSE(EnsureFolderPath(file + L"\\sub\\deeper"));
    EXPECT_TRUE(EnsureFolderPath(TempRoot() + L"\\a\\b\\"));
    EXPECT_TRUE(IsFolder(TempRoot() + L"\\a\\b"));

    // The same file as the save folder: saving keeps it intact.
    ASSERT_TRUE(CopyTextField(AppSettings.imgDir, file));
    AppSettings.lineWidth = 1;
    AppSettings.textSize = 14;
    SaveSettings();
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data));
    EXPECT_FALSE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(data.nFileSizeLow, 7u);
}

TEST_F(SettingsStoreTest, AFileNamedLikeTheDefaultFolderSurvivesLoadAndSave) {
    if (defaultFolderExisted) GTEST_SKIP() << "the default folder already exists in this prefix";
    HANDLE h = CreateFileW(defaultFolder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written;
    WriteFile(h, "abc", 3, &written, nullptr);
    CloseHandle(h);
    LoadSettings();
    EXPECT_EQ(std::wstring(AppSettings.imgDir), defaultFolder);  // still used, as documented
    SaveSettings();
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(defaultFolder.c_str(), GetFileExInfoStandard, &data));
    EXPECT_FALSE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(data.nFileSizeLow, 3u);
}

}  // namespace
