// The process-wide text table and its lookup.
#include "settings/text_table.h"

TextTableData TextTable;

const std::wstring& GetText(const char* key) {
    if (!key) {
        static const std::wstring empty;
        return empty;
    }
    // operator[] inserts an empty text for a key no list defines; std::map never moves a node.
    return TextTable.entries[key];
}

void LoadTextTable(int language) {
    const TextListEntry* list = language == kLanguageChinese ? kChineseTexts : kEnglishTexts;
    for (std::size_t i = 0; i < kTextKeyCount; ++i) TextTable.entries[list[i].key] = list[i].text;
    const TextListEntry* added = language == kLanguageChinese ? kAddedChineseTexts : kAddedEnglishTexts;
    for (std::size_t i = 0; i < kAddedTextKeyCount; ++i) TextTable.entries[added[i].key] = added[i].text;
}

std::wstring WithShortcut(const std::wstring& tip, const std::wstring& key) {
    if (key.empty()) return tip;
    return tip + L" (" + key + L")";
}
