// Rules behind the calibration dialogs: the typed length, a new calibration, the manager's texts.
#include "view/calibration_workflow.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <system_error>

#include "app/display_scale.h"

CalibrationStateData CalibrationState;

std::wstring AppliedCalibrationName() {
    const int slot = CalibrationState.appliedSlot;
    return slot >= 0 && slot < kCalibrationSlots ? CalibrationTable[slot].name : L"";
}

namespace {

bool IsCBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::wstring Widen(const char* s) {
    std::wstring w;
    for (; *s; ++s) w += static_cast<wchar_t>(static_cast<unsigned char>(*s));
    return w;
}

}  // namespace

float ParseCalibrationLength(const wchar_t* text) {
    if (!text) return 0.0f;
    // The first 63 characters; anything outside ASCII ends the number anyway.
    std::string s;
    for (int i = 0; i < kCalibrationLengthChars && text[i]; ++i)
        s += text[i] < 0x80 ? static_cast<char>(text[i]) : '\x7f';
    // Users of decimal-comma locales type "0,5": without a point, the first comma is the point.
    if (s.find('.') == std::string::npos) {
        std::size_t comma = s.find(',');
        if (comma != std::string::npos) s[comma] = '.';
    }

    std::size_t i = 0;
    while (i < s.size() && IsCBlank(static_cast<wchar_t>(s[i]))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

    // The longest decimal prefix: digits, an optional "." with digits, an optional exponent
    // that counts only when it has digits. At least one mantissa digit is needed.
    std::size_t start = i, end = i;
    std::size_t mantissaDigits = 0;
    while (end < s.size() && IsDigit(s[end])) ++end, ++mantissaDigits;
    if (end < s.size() && s[end] == '.') {
        ++end;
        while (end < s.size() && IsDigit(s[end])) ++end, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return 0.0f;
    if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
        std::size_t e = end + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
        if (e < s.size() && IsDigit(s[e])) {
            while (e < s.size() && IsDigit(s[e])) ++e;
            end = e;
        }
    }
    // from_chars never looks at the locale, so "." stays the only decimal separator whatever
    // the process locale is. Beyond the range of doubles it reports an error: taken as 0, which
    // is refused just as the huge or vanishing single-precision value would be.
    double value = 0.0;
    auto result = std::from_chars(s.data() + start, s.data() + end, value, std::chars_format::general);
    if (result.ec != std::errc()) return 0.0f;
    return static_cast<float>(negative ? -value : value);
}

int32_t PackResolution(int width, int height) {
    uint32_t packed = (static_cast<uint32_t>(height) & 0xFFFFu) << 16 | (static_cast<uint32_t>(width) & 0xFFFFu);
    return static_cast<int32_t>(packed);
}

bool StoreCalibration(Calibration& slot, int unit, int linePixels, float length, int frameWidth,
                      int frameHeight, int32_t date) {
    if (!(length > 0)) return false;
    float ppu = PixelsPerUnitFor(linePixels, length);
    if (!(ppu > 0)) return false;
    slot.unit = unit == 0 ? 0 : 1;
    slot.referencePixels = linePixels;
    slot.referenceLength = length;
    slot.pixelsPerUnit = ppu;
    slot.date = date;
    slot.resolution = PackResolution(frameWidth, frameHeight);
    return true;
}

const wchar_t* CalibrationUnitText(int unit) { return unit == 0 ? L"mm" : L"\u03bcm"; }

CalibrationRowTexts RowTextsOf(const Calibration& slot) {
    CalibrationRowTexts row;
    std::size_t n = 0;
    while (n < kCalibrationNameChars && slot.name[n]) ++n;
    row.name.assign(slot.name, n);
    char buf[80];
    if (IsCalibrated(slot)) {
        std::snprintf(buf, sizeof buf, "%.02f", static_cast<double>(slot.pixelsPerUnit));
        row.value = Widen(buf);
        row.unit = CalibrationUnitText(slot.unit);
    }
    int year = slot.date / 10000, month = slot.date / 100 % 100, day = slot.date % 100;
    if (year >= 2020) {
        std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", month, day, year);
        row.date = Widen(buf);
    }
    uint32_t res = static_cast<uint32_t>(slot.resolution);
    int width = static_cast<int>(res & 0xFFFFu), height = static_cast<int>(res >> 16);
    if (width >= 640 && height >= 480) {
        std::snprintf(buf, sizeof buf, "%dx%d", width, height);
        row.resolution = Widen(buf);
    }
    return row;
}

std::wstring CalibrateDialogTitle(int slotIndex, const Calibration& slot) {
    std::size_t n = 0;
    while (n < kCalibrationNameChars && slot.name[n]) ++n;
    return L"Calibrate - ID:" + std::to_wstring(slotIndex + 1) + L" Name:" + std::wstring(slot.name, n);
}

DialogOrigin OriginBelowOwnerTop(int ownerLeft, int ownerTop, int ownerRight, int dialogWidth, int dpi) {
    return {ownerLeft + (ownerRight - ownerLeft - dialogWidth) / 2, ownerTop + ScalePx(68, dpi)};
}
