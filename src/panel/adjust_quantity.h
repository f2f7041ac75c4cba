// The quick-adjust pop-up's arithmetic: which quantity each adjust command moves, its label in
// each language, where the pop-up stands, the display-ratio presets, the slider's range and
// read-out, and when a slider move is a change. Portable; the window is adjust_popup_win.cpp.
#pragma once
#include <cstddef>
#include <string>

#include "capture/camera_property.h"

constexpr int kAdjustRatio = -1;    // AdjustQuantity::property of the display ratio
constexpr int kAdjustPopupLeft = 70;  // screen x of the pop-up's left edge at 96 dpi, for every quantity

struct AdjustQuantity {
    int command;             // ID_ADJUST_... of the button that opens it
    int property;            // CameraPropertyIndex, or kAdjustRatio
    const wchar_t* english;  // label; chosen by the language value, not from the text table
    const wchar_t* chinese;
    int top;                 // screen y of the pop-up's top edge at 96 dpi
};

// The quantity of an adjust command, or nullptr for any other id.
const AdjustQuantity* FindAdjustQuantity(int command);
// The Chinese label for language 1, the English one for any other value.
const wchar_t* AdjustLabel(const AdjustQuantity& quantity, int language);

// Where the pop-up for quantity stands on the screen: (70, top) at 96 dpi, both scaled with the
// display scale of the main window (dpi) like the toolbar buttons they line up with.
struct AdjustPopupPlace {
    int x = 0, y = 0;
};
AdjustPopupPlace AdjustPopupOrigin(const AdjustQuantity& quantity, int dpi);

// Display ratios of the ratio slider's six positions, in percent.
constexpr int kRatioPresets[] = {50, 75, 100, 125, 150, 200};
constexpr int kRatioPositions = int(sizeof(kRatioPresets) / sizeof(kRatioPresets[0]));
// The position of the preset nearest to ratio (the lower one on a tie): the view's ratio may be
// any value from 50 to 200.
int RatioPosition(int ratio);
// The preset of a position, positions outside 0-5 taken as the nearest end.
int RatioOfPosition(int position);

// One slider: trackbar position p stands for value base + p, 0 <= p <= maximum - base.
struct AdjustSlider {
    int base = 0;
    int maximum = 0;
    int value = 0;
};
// The slider for a camera property record, or for the ratio (positions 0 to 5) at viewRatio.
AdjustSlider PropertySlider(const CameraProperty& record);
AdjustSlider RatioSlider(int viewRatio);

// The slider moved to position: stores the new value and returns true only when it differs.
bool MoveAdjustSlider(AdjustSlider& slider, int position);

// The read-out: "%d" of the value, or the preset's "50%" ... "200%" for the ratio.
std::wstring AdjustReadout(bool ratio, int value);
