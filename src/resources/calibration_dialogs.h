// Dialog and control ids of the text input dialog and the three calibration dialogs.
#pragma once

#define IDD_TEXT_INPUT 135       // "Input text", modeless
#define IDD_CALIB_MANAGER 136    // "Config calibrations", modal
#define IDD_CALIBRATE 137        // "Calibration", modeless, beside the calibration line
#define IDD_CALIB_HELP 138       // "Help", modal, with bitmap 130

// Text input dialog
#define IDC_TEXT_FIELD 3027      // the annotation's text, at most 256 characters

// Manager
#define IDC_CALIB_LIST 3005      // report list, one row per slot
#define IDC_CALIB_RENAME 1030
#define IDC_CALIB_DELETE 1031
#define IDC_CALIB_CALIBRATE 3017 // also the dialog's result when calibrating follows
#define IDC_CALIB_APPLY 6        // IDYES: Apply ends the dialog with 6
#define IDC_CALIB_HELP 3033

// Calibrate dialog
#define IDC_CALIB_TIP1 100
#define IDC_CALIB_TIP2 101
#define IDC_CALIB_UNIT_TEXT 102  // "mm" or "μm" beside the length field
#define IDC_CALIB_UNIT_TIP 103
#define IDC_CALIB_UNIT_LIST 1005
#define IDC_CALIB_LENGTH 3011
#define IDC_CALIB_LENGTH_NOTE 105  // says why OK refused the typed length; empty otherwise

// Help dialog
#define IDC_HELP_PICTURE 104
#define IDC_HELP_LINE1 100
#define IDC_HELP_LINE2 101
#define IDC_HELP_LINE3 102
