// Texts the program shows beyond the built-in lists (failure messages, new options), English
// and Chinese in one key order. Each feature keeps its keys together under its own heading;
// keep both lists in the same order with the same keys (the tests check that).
#include "settings/text_table.h"

const TextListEntry kAddedEnglishTexts[] = {
    // -- photos --
    {"save failed", L"Photo not saved: %s"},
    {"saved elsewhere", L"Image folder unavailable, saved to: %s"},

    // -- recording --

    // -- panel and open dialog --

    // -- recent files --

    // -- options, about, quick adjust --

    // -- cameras --

    // -- calibration and measuring --

    {nullptr, nullptr},
};

const TextListEntry kAddedChineseTexts[] = {
    // -- photos --
    {"save failed", L"\u7167\u7247\u672A\u4FDD\u5B58\uFF1A%s"},
    {"saved elsewhere", L"\u56FE\u7247\u6587\u4EF6\u5939\u4E0D\u53EF\u7528\uFF0C\u5DF2\u4FDD\u5B58\u5230\uFF1A%s"},

    // -- recording --

    // -- panel and open dialog --

    // -- recent files --

    // -- options, about, quick adjust --

    // -- cameras --

    // -- calibration and measuring --

    {nullptr, nullptr},
};

static_assert(sizeof(kAddedEnglishTexts) == sizeof(kAddedChineseTexts), "both lists hold the same keys");
const std::size_t kAddedTextKeyCount = sizeof(kAddedEnglishTexts) / sizeof(kAddedEnglishTexts[0]) - 1;
