// The keyed text table of the current user-interface language: ASCII keys to wide texts,
// refilled from the built-in English or Chinese list when the language changes.
// Used only on the user-interface thread.
#pragma once
#include <cstddef>
#include <map>
#include <string>

// Text of key in the current language. An unknown key is added with an empty text, so the
// reference stays valid for the life of the program (entries are never removed); its content
// changes when the language changes, so callers copy it at once.
const std::wstring& GetText(const char* key);

// A tooltip naming the key of its command, the same form in both languages: "Take photo (Space)",
// "拍照 (空格)". Without a key name the tooltip alone.
std::wstring WithShortcut(const std::wstring& tip, const std::wstring& key);

// Fills the table from the Chinese list for language 1, from the English list otherwise.
void LoadTextTable(int language);

// Key to text, compared byte by byte (case-sensitive).
struct TextTableData {
    std::map<std::string, std::wstring> entries;
};
extern TextTableData TextTable;

constexpr int kLanguageEnglish = 0;
constexpr int kLanguageChinese = 1;

// The built-in lists: the same keys in the same order in both languages.
struct TextListEntry {
    const char* key;
    const wchar_t* text;
};
constexpr std::size_t kTextKeyCount = 116;
extern const TextListEntry kEnglishTexts[kTextKeyCount];
extern const TextListEntry kChineseTexts[kTextKeyCount];

// Texts added beyond those lists, in the same form; each list ends with a {nullptr, nullptr}
// entry that kAddedTextKeyCount does not count.
extern const TextListEntry kAddedEnglishTexts[];
extern const TextListEntry kAddedChineseTexts[];
extern const std::size_t kAddedTextKeyCount;
