// The text table: both built-in lists, switching languages, unknown keys.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/text_table.h"

namespace {

TEST(TextLists, BothListsHoldTheSameKeysInTheSameOrder) {
    std::set<std::string> keys;
    for (std::size_t i = 0; i < kTextKeyCount; ++i) {
        EXPECT_STREQ(kEnglishTexts[i].key, kChineseTexts[i].key) << i;
        EXPECT_TRUE(keys.insert(kEnglishTexts[i].key).second) << "duplicate " << kEnglishTexts[i].key;
        EXPECT_NE(kEnglishTexts[i].text[0], L'\0') << kEnglishTexts[i].key;
        EXPECT_NE(kChineseTexts[i].text[0], L'\0') << kChineseTexts[i].key;
    }
    EXPECT_EQ(keys.size(), 116u);
    EXPECT_STREQ(kEnglishTexts[0].key, "device");
    EXPECT_STREQ(kEnglishTexts[kTextKeyCount - 1].key, "tip fullscreen");

    for (std::size_t i = 0; i < kAddedTextKeyCount; ++i) {
        EXPECT_STREQ(kAddedEnglishTexts[i].key, kAddedChineseTexts[i].key) << i;
        EXPECT_TRUE(keys.insert(kAddedEnglishTexts[i].key).second) << "duplicate " << kAddedEnglishTexts[i].key;
        EXPECT_NE(kAddedEnglishTexts[i].text[0], L'\0') << kAddedEnglishTexts[i].key;
        EXPECT_NE(kAddedChineseTexts[i].text[0], L'\0') << kAddedChineseTexts[i].key;
    }
}

TEST(TextTable, LanguagesSwitchBackAndForth) {
    LoadTextTable(kLanguageChinese);
    EXPECT_EQ(GetText("device"), L"\u8BBE\u5907");
    EXPECT_EQ(GetText("input tip"), L" \u8F93\u5165\u6587\u5B57, \u53EF\u62D6\u52A8\u5B9A\u4F4D...");
    EXPECT_EQ(GetText("um"), L"\u5FAE\u7C73(\u03BCm)");
    EXPECT_EQ(GetText("howto 1"), L"1. \u8FDE\u63A5\u5E76\u6253\u5F00\u663E\u5FAE\u955C\uFF1B");
    EXPECT_EQ(GetText("mjpg yuy2"), GetText("format"));

    LoadTextTable(kLanguageEnglish);
    EXPECT_EQ(GetText("input tip"), L" Input text, drag to move...");
    EXPECT_EQ(GetText("um"), L"microns(\u03BCm)");
    EXPECT_EQ(GetText("split -1"), L"Don't split");
    EXPECT_EQ(GetText("tip calibration"), L"Calibration");
    EXPECT_EQ(GetText("calib title"), L"Calibration");
    EXPECT_EQ(GetText("mjpg yuy2"), GetText("format"));

    LoadTextTable(5);  // every value other than 1 is English
    EXPECT_EQ(GetText("photo video"), L"Photo and video:");

    LoadTextTable(kLanguageChinese);
    for (std::size_t i = 0; i < kTextKeyCount; ++i)
        EXPECT_EQ(GetText(kChineseTexts[i].key), kChineseTexts[i].text) << kChineseTexts[i].key;
    for (std::size_t i = 0; i < kAddedTextKeyCount; ++i)
        EXPECT_EQ(GetText(kAddedChineseTexts[i].key), kAddedChineseTexts[i].text) << kAddedChineseTexts[i].key;
}

TEST(TextTable, UnknownKeyGivesTheSameStoredEmptyText) {
    LoadTextTable(kLanguageEnglish);
    const std::wstring& first = GetText("no such key");
    EXPECT_TRUE(first.empty());
    const std::wstring& second = GetText("no such key");
    EXPECT_EQ(&first, &second);
    EXPECT_TRUE(GetText("Device").empty());  // keys are case-sensitive
    // A reference stays valid across language changes and follows them.
    const std::wstring& ok = GetText("ok");
    LoadTextTable(kLanguageChinese);
    EXPECT_EQ(ok, L"\u786E\u5B9A");
    EXPECT_TRUE(GetText(nullptr).empty());
}

}  // namespace
