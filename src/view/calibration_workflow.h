// The calibration workflow's state (applied slot, the slot being calibrated, where the manager
// opens) and the rules behind the calibration dialogs: reading a typed length, storing a new
// calibration into a slot, and the texts the manager shows for a slot. Portable; the dialogs
// themselves are in calibration_dialogs_win.cpp. User-interface thread only.
#pragma once
#include <cstdint>
#include <string>

#include "view/calibration_table.h"

struct CalibrationStateData {
    int appliedSlot = -1;      // slot in use; -1 at start and after every capture start
    int calibratingSlot = -1;  // slot the calibrate dialog works on
    int managerRow = 0;        // row selected when the manager opens
    bool managerPositionSet = false;
    int managerLeft = 0, managerTop = 0;  // screen position of the manager, when set
};
extern CalibrationStateData CalibrationState;

// The applied calibration's name, empty when none is applied (what photos and the measurement
// table name it by).
std::wstring AppliedCalibrationName();

// How many characters of the length field are read.
constexpr int kCalibrationLengthChars = 63;

// The length typed in the calibrate dialog: its first 63 characters read as a decimal number
// the way the C locale reads it (leading blanks skipped, optional sign, digits with an optional
// "." fraction and exponent, the longest valid prefix), kept in single precision. A text without
// a "." takes its first "," as the decimal separator ("0,5" is 0.5); in a text with both, the
// comma ends the number ("1.000,5" is 1). 0 when there is no number or when it lies beyond the
// range of numbers, so such input is refused like any other length that is not positive.
float ParseCalibrationLength(const wchar_t* text);

// The resolution field: height in the upper 16 bits, width in the lower (each cut to 16 bits).
int32_t PackResolution(int width, int height);
// A local date as year * 10000 + month * 100 + day.
inline int32_t DateNumber(int year, int month, int day) { return year * 10000 + month * 100 + day; }

// The calibrate dialog's OK: when length > 0 and linePixels / length is a positive finite
// number, the slot takes unit (0 mm, anything else µm), the reference, the new factor, date and
// frame size, keeps its name, and the result is true. Otherwise the slot is left alone.
bool StoreCalibration(Calibration& slot, int unit, int linePixels, float length, int frameWidth,
                      int frameHeight, int32_t date);

// "mm" for unit 0, "μm" otherwise.
const wchar_t* CalibrationUnitText(int unit);

// What the manager's five columns show for a slot.
struct CalibrationRowTexts {
    std::wstring name, value, unit, date, resolution;
};
CalibrationRowTexts RowTextsOf(const Calibration& slot);

// The calibrate dialog's title: "Calibrate - ID:<slot + 1> Name:<name>".
std::wstring CalibrateDialogTitle(int slotIndex, const Calibration& slot);

// A dialog placed horizontally centred over its owner with its top 68 pixels (at 96 dpi, scaled
// with the owner's dpi) below the owner's top; given the owner's screen rectangle and the
// dialog's width, returns the left edge and top.
struct DialogOrigin {
    int left, top;
};
DialogOrigin OriginBelowOwnerTop(int ownerLeft, int ownerTop, int ownerRight, int dialogWidth, int dpi);
