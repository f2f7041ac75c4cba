// Texts the program shows beyond the built-in lists (failure messages, new options), English
// and Chinese in one key order. Each feature keeps its keys together under its own heading;
// keep both lists in the same order with the same keys (the tests check that).
#include "settings/text_table.h"

const TextListEntry kAddedEnglishTexts[] = {
    // -- photos --

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
