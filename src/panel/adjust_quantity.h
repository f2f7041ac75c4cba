// The quick-adjust pop-up's arithmetic: which quantity each adjust command moves, its label in
// each language, where the pop-up stands, the display-ratio presets, the slider's range and
// read-out, when a slider move is a change, and the power-line choices a camera offers.
// Portable; the window is adjust_popup_win.cpp.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "capture/camera_property.h"
#include "view/view_zoom.h"

constexpr int kAdjustRatio = -1;    // AdjustQuantity::property of the display ratio
constexpr int kAdjustPopupLeft = 70;  // screen x of the pop-up's left edge at 96 dpi, for every quantity

// What the pop-up shows for a quantity: a slider; a slider with an "Auto" check box (and, for
// white balance, the neutral-area button); or one choice button per value the camera offers.
enum class AdjustKind { Slider, SliderWithAuto, Choices };

struct AdjustQuantity {
    int command;             // ID_ADJUST_... of the button that opens it
    int property;            // CameraPropertyIndex, or kAdjustRatio
    const wchar_t* english;  // label of the toolbar's quantities, chosen by the language value
    const wchar_t* chinese;
    int top;                 // screen y of the pop-up's top edge at 96 dpi (toolbar quantities)
    const char* textKey = nullptr;  // the panel's quantities take their label from the text table
    AdjustKind kind = AdjustKind::Slider;
};

// The quantity of an adjust command, or nullptr for any other id.
const AdjustQuantity* FindAdjustQuantity(int command);
// The toolbar quantities' Chinese label for language 1, the English one for any other value;
// the panel quantities' text of their key in the current language.
std::wstring AdjustLabel(const AdjustQuantity& quantity, int language);

// Where the pop-up for quantity stands on the screen: (70, top) at 96 dpi, both scaled with the
// display scale of the main window (dpi) like the toolbar buttons they line up with.
struct AdjustPopupPlace {
    int x = 0, y = 0;
};
AdjustPopupPlace AdjustPopupOrigin(const AdjustQuantity& quantity, int dpi);
// Where the pop-up opened from a panel button stands: its right edge at the button's left, its
// top level with the button's, moved inside the work area (left, top, right, bottom).
AdjustPopupPlace AdjustPopupBeside(int buttonLeft, int buttonTop, int popupW, int popupH, const int (&work)[4]);

// Display ratios of the ratio slider's six positions, in percent: the view's ratio steps.
constexpr const int* kRatioPresets = kRatioSteps;
constexpr int kRatioPositions = kRatioStepCount;
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

// The read-out of a quantity's value: the preset's "50%" ... "200%" for the ratio; for exposure,
// which the camera interfaces give in powers of two of a second, the time ("1/64 s", "2 s");
// for white balance the colour temperature ("4600 K"); otherwise "%d".
std::wstring AdjustReadout(const AdjustQuantity& quantity, int value);

// Power-line frequency: 0 off, 1 50 Hz, 2 60 Hz, 3 automatic (the USB video class's values).
// The choices a camera offers are the values of its range among these; none when it has no
// range.
constexpr int kPowerLineChoices = 4;
std::vector<int> PowerLineChoices(const CameraProperty& record);
// The text key of a power-line value.
const char* PowerLineKey(int value);
