// The quick-adjust pop-up's quantities, presets and slider arithmetic (see adjust_quantity.h).
#include "panel/adjust_quantity.h"

#include <cstdlib>
#include <cwchar>

#include <algorithm>

#include "app/display_scale.h"
#include "app/messages.h"
#include "settings/text_table.h"

namespace {

constexpr AdjustQuantity kQuantities[] = {
    {ID_ADJUST_BRIGHTNESS, kPropBrightness, L"Brightness:", L"\u4eae\u5ea6:", 260},
    {ID_ADJUST_CONTRAST, kPropContrast, L"Contrast:", L"\u5bf9\u6bd4\u5ea6:", 425},
    {ID_ADJUST_SATURATION, kPropSaturation, L"Saturation:", L"\u9971\u548c\u5ea6:", 480},
    {ID_ADJUST_SHARPNESS, kPropSharpness, L"Sharpness:", L"\u9510\u5ea6:", 370},
    {ID_ADJUST_RATIO, kAdjustRatio, L"Ratio:", L"\u663e\u793a\u6bd4\u4f8b:", 320},
    {ID_ADJUST_GAIN, kPropGain, L"Gain:", L"\u589e\u76ca:", 530},
    {ID_ADJUST_EXPOSURE, kPropExposure, nullptr, nullptr, 0, "exposure", AdjustKind::SliderWithAuto},
    {ID_ADJUST_WHITE_BALANCE, kPropWhiteBalance, nullptr, nullptr, 0, "white balance", AdjustKind::SliderWithAuto},
    {ID_ADJUST_POWER_LINE, kPropPowerLine, nullptr, nullptr, 0, "anti flicker", AdjustKind::Choices},
};

}  // namespace

const AdjustQuantity* FindAdjustQuantity(int command) {
    for (const AdjustQuantity& q : kQuantities)
        if (q.command == command) return &q;
    return nullptr;
}

std::wstring AdjustLabel(const AdjustQuantity& quantity, int language) {
    if (quantity.textKey) return GetText(quantity.textKey);
    return language == 1 ? quantity.chinese : quantity.english;
}

AdjustPopupPlace AdjustPopupOrigin(const AdjustQuantity& quantity, int dpi) {
    return {ScalePx(kAdjustPopupLeft, dpi), ScalePx(quantity.top, dpi)};
}

AdjustPopupPlace AdjustPopupBeside(int buttonLeft, int buttonTop, int popupW, int popupH, const int (&work)[4]) {
    AdjustPopupPlace at{buttonLeft - popupW, buttonTop};
    at.x = std::max(work[0], std::min(at.x, work[2] - popupW));
    at.y = std::max(work[1], std::min(at.y, work[3] - popupH));
    return at;
}

int RatioPosition(int ratio) {
    int best = 0;
    for (int i = 1; i < kRatioPositions; ++i)
        if (std::abs(kRatioPresets[i] - ratio) < std::abs(kRatioPresets[best] - ratio)) best = i;
    return best;
}

int RatioOfPosition(int position) {
    return kRatioPresets[position < 0 ? 0 : position >= kRatioPositions ? kRatioPositions - 1 : position];
}

AdjustSlider PropertySlider(const CameraProperty& record) {
    return {record.minimum, record.maximum, record.value};
}

AdjustSlider RatioSlider(int viewRatio) {
    return {0, kRatioPositions - 1, RatioPosition(viewRatio)};
}

bool MoveAdjustSlider(AdjustSlider& slider, int position) {
    int value = slider.base + position;
    if (value == slider.value) return false;
    slider.value = value;
    return true;
}

std::wstring AdjustReadout(const AdjustQuantity& quantity, int value) {
    wchar_t text[32];
    if (quantity.property == kAdjustRatio)
        std::swprintf(text, 32, L"%d%%", RatioOfPosition(value));
    else if (quantity.property == kPropExposure && value < 0 && value > -31)
        std::swprintf(text, 32, L"1/%ld s", 1L << -value);
    else if (quantity.property == kPropExposure && value >= 0 && value < 31)
        std::swprintf(text, 32, L"%ld s", 1L << value);
    else if (quantity.property == kPropWhiteBalance)
        std::swprintf(text, 32, L"%d K", value);
    else
        std::swprintf(text, 32, L"%d", value);
    return text;
}

std::vector<int> PowerLineChoices(const CameraProperty& record) {
    std::vector<int> choices;
    if (record.maximum <= record.minimum) return choices;
    for (int v = std::max(record.minimum, 0); v <= std::min(record.maximum, kPowerLineChoices - 1); ++v)
        choices.push_back(v);
    return choices;
}

const char* PowerLineKey(int value) {
    static const char* const keys[kPowerLineChoices] = {"power off", "power 50", "power 60", "auto"};
    return value >= 0 && value < kPowerLineChoices ? keys[value] : "power off";
}
