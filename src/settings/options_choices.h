// What the options dialog shows and stores: the rows of its lists, the rows selected for the
// current settings, and OK's rules that turn the selected rows back into settings. Portable;
// the dialog itself is options_dialog_win.cpp.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "settings/app_settings.h"

// Row texts of the lists: line width " 1", " 2"; text size " 8" ... " 24"; photo format " JPG",
// " PNG"; language " English", " 中文" (never translated). The colour lists hold the palette
// indexes "0" ... "11" and are drawn as swatches.
std::vector<std::wstring> ColorRows();
std::vector<std::wstring> LineWidthRows();
std::vector<std::wstring> TextSizeRows();
std::vector<std::wstring> PhotoFormatRows();
std::vector<std::wstring> LanguageRows();

constexpr int kNoRow = -1;              // a list without a selection
constexpr int kReplacementColorRow = 3; // green: a colour outside the palette, or no colour row
constexpr int kMinTextSize = 8;

// The rows the dialog selects and the folder it shows for the given settings.
struct OptionsChoice {
    int gridRow = kNoRow, lineRow = kNoRow, textRow = kNoRow;  // colour lists
    int widthRow = kNoRow, sizeRow = kNoRow, formatRow = kNoRow;
    int languageRow = kNoRow;  // no row for a language value other than 0 and 1
    std::wstring folder;
};
OptionsChoice ChoiceFromSettings(const AppSettingsData& settings);

// The palette index of a colour; kReplacementColorRow when it is not in the palette.
int PaletteRow(uint32_t color);
// The colour of a colour-list row; a row outside 0-11 (no selection included) counts as 3.
uint32_t PaletteColorOfRow(int row);

// OK's steps 1 to 5 on settings: the three colours, line width, text size, the save folder (cut
// to 259 characters, not checked), the photo format and the language. A list left without a
// valid row keeps its setting (the language list has none for a stored value other than 0 or 1).
// Returns true when the language changed.
bool ApplyOptionsChoice(const OptionsChoice& choice, AppSettingsData& settings);
