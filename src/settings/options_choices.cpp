// The options dialog's lists and OK's rules (see options_choices.h).
#include "settings/options_choices.h"

#include <cwchar>

#include "settings/text_table.h"

namespace {

constexpr int kLineWidths = 2;    // 1 and 2 pixels
constexpr int kTextSizes = 17;    // 8 ... 24 points
constexpr int kPhotoFormats = 3;  // JPG, PNG, TIFF
constexpr int kLanguages = 2;     // English, Chinese

std::vector<std::wstring> NumberRows(int first, int count, const wchar_t* format) {
    std::vector<std::wstring> rows;
    for (int i = 0; i < count; ++i) {
        wchar_t text[16];
        std::swprintf(text, 16, format, first + i);
        rows.push_back(text);
    }
    return rows;
}

bool RowIn(int row, int count) { return row >= 0 && row < count; }

// The row for value - first when it lies in the list, otherwise none.
int RowOf(int value, int first, int count) {
    return RowIn(value - first, count) ? value - first : kNoRow;
}

}  // namespace

std::vector<std::wstring> ColorRows() { return NumberRows(0, int(kPaletteSize), L"%d"); }
std::vector<std::wstring> LineWidthRows() { return NumberRows(1, kLineWidths, L" %d"); }
std::vector<std::wstring> TextSizeRows() { return NumberRows(kMinTextSize, kTextSizes, L" %d"); }
std::vector<std::wstring> PhotoFormatRows() { return {L" JPG", L" PNG", L" TIFF"}; }
std::vector<std::wstring> LanguageRows() { return {L" English", L" \u4e2d\u6587"}; }

int PaletteRow(uint32_t color) {
    for (std::size_t i = 0; i < kPaletteSize; ++i)
        if (ColorPalette[i] == color) return int(i);
    return kReplacementColorRow;
}

uint32_t PaletteColorOfRow(int row) {
    return ColorPalette[RowIn(row, int(kPaletteSize)) ? row : kReplacementColorRow];
}

OptionsChoice ChoiceFromSettings(const AppSettingsData& s) {
    OptionsChoice c;
    c.gridRow = PaletteRow(s.gridColor);
    c.lineRow = PaletteRow(s.lineColor);
    c.textRow = PaletteRow(s.textColor);
    c.widthRow = RowOf(s.lineWidth, 1, kLineWidths);
    c.sizeRow = RowOf(s.textSize, kMinTextSize, kTextSizes);
    c.formatRow = RowOf(s.jpgPng, 0, kPhotoFormats);
    c.languageRow = RowOf(s.language, kLanguageEnglish, kLanguages);
    c.folder.assign(s.imgDir, wcsnlen(s.imgDir, kImgDirChars - 1));
    return c;
}

bool ApplyOptionsChoice(const OptionsChoice& c, AppSettingsData& s) {
    s.gridColor = PaletteColorOfRow(c.gridRow);
    s.lineColor = PaletteColorOfRow(c.lineRow);
    s.textColor = PaletteColorOfRow(c.textRow);
    if (RowIn(c.widthRow, kLineWidths)) s.lineWidth = c.widthRow + 1;
    if (RowIn(c.sizeRow, kTextSizes)) s.textSize = c.sizeRow + kMinTextSize;
    CopyTextField(s.imgDir, std::wstring_view(c.folder).substr(0, kImgDirChars - 1));
    if (RowIn(c.formatRow, kPhotoFormats)) s.jpgPng = c.formatRow;
    if (!RowIn(c.languageRow, kLanguages) || c.languageRow == s.language) return false;
    s.language = c.languageRow;
    return true;
}
