// The rules that turn stored values into AppSettings: fallbacks, per-value defaults, ranges,
// the palette, and values of the wrong size or shape.
#include <gtest/gtest.h>

#include "settings/app_settings.h"
#include "settings/first_start_defaults.h"

namespace {

StoredBytes Dword(uint32_t v) {
    return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

StoredBytes Utf16(const std::u16string& s, bool terminator = true) {
    std::vector<uint8_t> b;
    for (char16_t c : s) { b.push_back(uint8_t(c)); b.push_back(uint8_t(c >> 8)); }
    if (terminator) { b.push_back(0); b.push_back(0); }
    return b;
}

StoredSettings EmptyKey() {
    StoredSettings s;
    s.keyOpened = true;
    return s;
}

TEST(SettingsLoad, FirstStartWithEmptyKeyGivesDocumentedDefaults) {
    AppSettingsData s = SettingsFromStored(EmptyKey());
    ExpectFirstStartDefaults(s);
    EXPECT_STREQ(s.imgDir, L"");
}

TEST(SettingsLoad, KeyThatCannotBeOpenedGivesFallbacks) {
    StoredSettings stored;  // keyOpened false; values are ignored
    stored.textSize = Dword(20);
    AppSettingsData s = SettingsFromStored(stored);
    EXPECT_EQ(s.language, 0);
    EXPECT_EQ(s.gridColor, 0x0000FFu);
    EXPECT_EQ(s.lineColor, 0x0000FFu);
    EXPECT_EQ(s.textColor, 0x0000FFu);
    EXPECT_EQ(s.lineWidth, 2);
    EXPECT_EQ(s.textSize, 12);
    EXPECT_EQ(s.maxRecordTime, 10);
    EXPECT_EQ(s.jpgPng, 0);
}

struct RangeCase {
    StoredBytes StoredSettings::*value;
    int32_t AppSettingsData::*field;
    uint32_t stored;
    int32_t loaded;
};

TEST(SettingsLoad, RangeChecks) {
    using S = StoredSettings;
    using A = AppSettingsData;
    const RangeCase cases[] = {
        {&S::textSize, &A::textSize, 30, 10},       {&S::textSize, &A::textSize, 8, 8},
        {&S::compressVideo, &A::compressVideo, 1, 1}, {&S::compressVideo, &A::compressVideo, 2, 0},
        {&S::stackDepthMap, &A::stackDepthMap, 1, 1}, {&S::stackDepthMap, &A::stackDepthMap, 7, 0},
        {&S::labelBacking, &A::labelBacking, 1, 1},   {&S::labelBacking, &A::labelBacking, 2, 0},
        {&S::textSize, &A::textSize, 24, 24},       {&S::textSize, &A::textSize, 7, 10},
        {&S::lineWidth, &A::lineWidth, 0, 1},       {&S::lineWidth, &A::lineWidth, 2, 2},
        {&S::lineWidth, &A::lineWidth, 3, 1},       {&S::language, &A::language, 5, 5},
        {&S::language, &A::language, 11, 11},       {&S::language, &A::language, 12, 0},
        {&S::language, &A::language, 0xFFFFFFFF, 0}, {&S::maxRecordTime, &A::maxRecordTime, 28800, 28800},
        {&S::maxRecordTime, &A::maxRecordTime, 28801, 0}, {&S::maxRecordTime, &A::maxRecordTime, 0xFFFFFFFF, 0},
        {&S::maxRecordTime, &A::maxRecordTime, 45, 45}, {&S::jpgPng, &A::jpgPng, 1, 1},
        {&S::jpgPng, &A::jpgPng, 2, 2},             {&S::jpgPng, &A::jpgPng, 3, 0},             {&S::width, &A::width, 1920, 1920},
        {&S::scaleBar, &A::scaleBar, 1, 1},         {&S::scaleBar, &A::scaleBar, 2, 0},
        {&S::measuresWithPhotos, &A::measuresWithPhotos, 1, 1},
        {&S::measuresWithPhotos, &A::measuresWithPhotos, 0xFFFFFFFF, 0},
    };
    for (const RangeCase& c : cases) {
        StoredSettings stored = EmptyKey();
        stored.*c.value = Dword(c.stored);
        EXPECT_EQ(SettingsFromStored(stored).*c.field, c.loaded) << "stored " << c.stored;
    }
}

TEST(SettingsLoad, ColoursOutsideThePaletteBecomeGreen) {
    StoredSettings stored = EmptyKey();
    stored.gridColor = Dword(0x000000);
    stored.lineColor = Dword(0x008080);
    stored.textColor = Dword(0x01FFFF00);  // palette colour with a stray high byte
    AppSettingsData s = SettingsFromStored(stored);
    EXPECT_EQ(s.gridColor, 0x00FF00u);
    EXPECT_EQ(s.lineColor, 0x008080u);
    EXPECT_EQ(s.textColor, 0x00FF00u);
}

TEST(SettingsLoad, PaletteHoldsTheTwelveColoursInOrder) {
    // (R, G, B) of each entry; stored values are 0x00BBGGRR.
    const int rgb[kPaletteSize][3] = {{128, 0, 0},   {255, 0, 0},   {0, 128, 0},     {0, 255, 0},
                                      {0, 0, 128},   {0, 0, 255},   {128, 0, 128},   {255, 0, 255},
                                      {0, 128, 128}, {0, 255, 255}, {128, 128, 0},   {255, 255, 0}};
    for (std::size_t i = 0; i < kPaletteSize; ++i) {
        EXPECT_EQ(ColorPalette[i], uint32_t(rgb[i][0] | rgb[i][1] << 8 | rgb[i][2] << 16)) << i;
        EXPECT_TRUE(IsPaletteColor(ColorPalette[i]));
    }
    EXPECT_EQ(ColorPalette[3], kReplacementColor);
    EXPECT_FALSE(IsPaletteColor(0));
}

TEST(SettingsLoad, NumbersOfTheWrongSizeCountAsUnreadable) {
    StoredSettings stored = EmptyKey();
    stored.textSize = std::vector<uint8_t>{20, 0};                // a 2-byte value
    stored.lineWidth = std::vector<uint8_t>{2, 0, 0, 0, 0, 0, 0, 0};  // 8 bytes
    stored.maxRecordTime = std::vector<uint8_t>{};
    stored.language = Utf16(u"1");                                // text where a number belongs
    AppSettingsData s = SettingsFromStored(stored);
    EXPECT_EQ(s.textSize, 14);
    EXPECT_EQ(s.lineWidth, 1);
    EXPECT_EQ(s.maxRecordTime, 30);
    EXPECT_EQ(s.language, 0);
}

TEST(SettingsLoad, TextValuesOfEveryShape) {
    const std::size_t cap = kImgDirChars;
    EXPECT_EQ(DecodeStoredText(Utf16(u"C:\\Pics"), cap), std::wstring(L"C:\\Pics"));
    // Without terminator, with an odd trailing byte, with junk after the first zero.
    EXPECT_EQ(DecodeStoredText(Utf16(u"C:\\Pics", false), cap), std::wstring(L"C:\\Pics"));
    StoredBytes odd = Utf16(u"C:\\P", false);
    odd->push_back(0x41);
    EXPECT_EQ(DecodeStoredText(odd, cap), std::wstring(L"C:\\P"));
    EXPECT_EQ(DecodeStoredText(Utf16(std::u16string(u"ab\0junk", 7)), cap), std::wstring(L"ab"));
    // 259 characters fit the 260 of the field; 260 leave no room for the terminator.
    EXPECT_EQ(DecodeStoredText(Utf16(std::u16string(259, u'x')), cap)->size(), 259u);
    EXPECT_FALSE(DecodeStoredText(Utf16(std::u16string(260, u'x'), false), cap));
    EXPECT_FALSE(DecodeStoredText(Utf16(std::u16string(5000, u'x')), cap));
    EXPECT_FALSE(DecodeStoredText(std::nullopt, cap));
    EXPECT_EQ(DecodeStoredText(std::vector<uint8_t>{}, cap), std::wstring());

    StoredSettings stored = EmptyKey();
    stored.imgDir = Utf16(std::u16string(300, u'x'));
    stored.calibrations = std::vector<uint8_t>{0xFF, 0xFE, 0x00, 0xD8, 0x13};  // binary junk
    stored.latestFiles = Utf16(u"C:\\a.jpg;", false);
    AppSettingsData s = SettingsFromStored(stored);
    EXPECT_STREQ(s.imgDir, L"");
    EXPECT_EQ(std::wcslen(s.calibrations), 2u);
    EXPECT_STREQ(s.latestFiles, L"C:\\a.jpg;");
}

TEST(SettingsLoad, DefaultSaveFolderInDocuments) {
    EXPECT_EQ(DefaultSaveFolder(L"C:\\Users\\ann\\Documents"), L"C:\\Users\\ann\\Documents\\Vardelo Files");
    EXPECT_EQ(DefaultSaveFolder(L"D:\\"), L"D:\\Vardelo Files");
    EXPECT_EQ(DefaultSaveFolder(L""), L"");
    EXPECT_EQ(DefaultSaveFolder(std::wstring(250, L'x')), L"");  // would not fit the field
}

TEST(SettingsLoad, CopyTextFieldRefusesWhatDoesNotFit) {
    wchar_t field[8] = L"keep";
    EXPECT_FALSE(CopyTextField(field, L"12345678"));
    EXPECT_STREQ(field, L"keep");
    EXPECT_TRUE(CopyTextField(field, L"1234567"));
    EXPECT_STREQ(field, L"1234567");
}

TEST(SettingsLoad, StoredCameraFormat) {
    AppSettingsData s = SettingsFromStored(EmptyKey());
    s.mjpg = 1;
    s.width = 1280;
    s.height = 720;
    s.interpolated = 0;
    CameraFormat f = StoredCameraFormat(s);
    EXPECT_EQ(f.subtype, kSubtypeMjpg);
    EXPECT_EQ(f.width, 1280);
    EXPECT_EQ(f.height, 720);
    s.mjpg = 2;
    s.interpolated = 1;
    f = StoredCameraFormat(s);
    EXPECT_EQ(f.subtype, kSubtypeYuy2);
    EXPECT_EQ(f.interpolated, 1);
}

TEST(SettingsLoad, LastCameraIsKeptWhenItFits) {
    StoredSettings stored = EmptyKey();
    stored.lastCamera = Utf16(u"USB Microscope\n@device:pnp:\\\\?\\usb#vid_1");
    EXPECT_STREQ(SettingsFromStored(stored).lastCamera, L"USB Microscope\n@device:pnp:\\\\?\\usb#vid_1");
    stored.lastCamera = Utf16(std::u16string(kLastCameraChars, u'x'));  // no room for the terminator
    EXPECT_STREQ(SettingsFromStored(stored).lastCamera, L"");
}

}  // namespace
