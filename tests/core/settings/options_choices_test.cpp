// The options dialog's lists and OK's rules: the rows selected for stored settings, lists left
// without a valid row, and the folder's length. (What valid rows store is checked on the dialog.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/options_choices.h"

namespace {

AppSettingsData Settings() {
    AppSettingsData s;
    std::memset(&s, 0, sizeof(s));
    s.gridColor = s.lineColor = s.textColor = 0x00FF00;
    s.lineWidth = 1;
    s.textSize = 14;
    CopyTextField(s.imgDir, L"C:\\old");
    return s;
}

TEST(OptionsLists, RowTexts) {
    EXPECT_EQ(ColorRows().size(), 12u);
    EXPECT_EQ(TextSizeRows().front(), L" 8");
    EXPECT_EQ(TextSizeRows().back(), L" 24");
    EXPECT_EQ(LanguageRows()[1], L" \u4e2d\u6587");
}

TEST(OptionsLists, RowsSelectedForStoredSettings) {
    struct Case {
        uint32_t text;
        int width, size, format, language;
        int textRow, widthRow, sizeRow, formatRow, languageRow;
    } cases[] = {
        {0x000080, 1, 8, 0, 0, 0, 0, 0, 0, 0},
        {0x00FFFF, 2, 24, 1, 1, 11, 1, 16, 1, 1},
        {0x00FFFF, 2, 24, 2, 1, 11, 1, 16, 2, 1},     // TIFF
        {0x123456, 1, 14, 0, 5, 3, 0, 6, 0, kNoRow},  // outside the palette: green; language 5: no row
        {0x000000, 1, 14, 0, 0, 3, 0, 6, 0, 0},       // black is not in the palette
    };
    for (const Case& c : cases) {
        AppSettingsData s = Settings();
        s.textColor = c.text;
        s.lineWidth = c.width;
        s.textSize = c.size;
        s.jpgPng = c.format;
        s.language = c.language;
        OptionsChoice choice = ChoiceFromSettings(s);
        EXPECT_EQ(choice.textRow, c.textRow) << std::hex << c.text;
        EXPECT_EQ(choice.widthRow, c.widthRow);
        EXPECT_EQ(choice.sizeRow, c.sizeRow);
        EXPECT_EQ(choice.formatRow, c.formatRow);
        EXPECT_EQ(choice.languageRow, c.languageRow);
        EXPECT_EQ(choice.folder, L"C:\\old");
    }
}

TEST(OptionsOk, ListsWithoutAValidRowKeepTheirSettings) {
    AppSettingsData s = Settings();
    s.language = 5;  // shows English, selects no language row
    OptionsChoice c = ChoiceFromSettings(s);
    c.widthRow = c.sizeRow = c.formatRow = c.languageRow = kNoRow;
    c.gridRow = kNoRow;  // a colour list without a row stores green
    c.lineRow = 12;
    EXPECT_FALSE(ApplyOptionsChoice(c, s));
    EXPECT_EQ(s.gridColor, 0x00FF00u);
    EXPECT_EQ(s.lineColor, 0x00FF00u);
    EXPECT_EQ(s.lineWidth, 1);
    EXPECT_EQ(s.textSize, 14);
    EXPECT_EQ(s.jpgPng, 0);
    EXPECT_EQ(s.language, 5);
    c.languageRow = 1;
    EXPECT_TRUE(ApplyOptionsChoice(c, s));
    EXPECT_EQ(s.language, 1);
    EXPECT_FALSE(ApplyOptionsChoice(c, s)) << "the same language again is no change";
}

TEST(OptionsOk, FolderIsCutTo259Characters) {
    AppSettingsData s = Settings();
    OptionsChoice c = ChoiceFromSettings(s);
    c.folder = L"C:\\" + std::wstring(300, L'a');
    ApplyOptionsChoice(c, s);
    EXPECT_EQ(std::wcslen(s.imgDir), 259u);
    c.folder.clear();  // accepted as typed, like a folder that does not exist
    ApplyOptionsChoice(c, s);
    EXPECT_STREQ(s.imgDir, L"");
}

}  // namespace
