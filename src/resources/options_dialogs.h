// Dialog and control ids of the options dialog, the about box and the quick-adjust pop-up.
#pragma once

#define IDD_OPTIONS 133          // "Options", modal over the main window
#define IDD_ABOUT 139            // "About", modal over the options dialog or the main window
#define IDD_ADJUST_POPUP 140     // quick-adjust pop-up, modeless, owned by the main window

// Options dialog
#define IDC_OPT_MEASURE_GROUP 101
#define IDC_OPT_RULER_LABEL 102
#define IDC_OPT_LINE_COLOR_LABEL 103
#define IDC_OPT_LINE_WIDTH_LABEL 104
#define IDC_OPT_TEXT_COLOR_LABEL 105
#define IDC_OPT_TEXT_SIZE_LABEL 106
#define IDC_OPT_PHOTO_GROUP 107
#define IDC_OPT_FOLDER_LABEL 108
#define IDC_OPT_FORMAT_LABEL 109
#define IDC_OPT_LANGUAGE_GROUP 110
#define IDC_OPT_RULER_COLOR 1000
#define IDC_OPT_LINE_COLOR 1001
#define IDC_OPT_LINE_WIDTH 1002
#define IDC_OPT_TEXT_COLOR 1003
#define IDC_OPT_TEXT_SIZE 1004
#define IDC_OPT_LANGUAGE 1005
#define IDC_OPT_FORMAT 1016
#define IDC_OPT_FOLDER 3001
#define IDC_OPT_BROWSE 3002
#define IDC_OPT_COMPRESS_VIDEO 3003   // check boxes beyond the template's original rows
#define IDC_OPT_SCALE_BAR 3004
#define IDC_OPT_PHOTO_MEASURES 3005
#define IDC_OPT_LABEL_BACK 3006
#define IDC_OPT_ABOUT 3036       // ID_ABOUT
#define IDC_OPT_REMEASURE 3037   // posted after a change of display scale: swatch rows measured again

// About box
#define IDC_ABOUT_VERSION 100
#define IDC_ABOUT_LINE2 102

// Quick-adjust pop-up
#define IDC_ADJUST_LABEL 100
#define IDC_ADJUST_SLIDER 101
#define IDC_ADJUST_READOUT 102
#define IDC_ADJUST_AUTO 103      // exposure and white balance: the camera's automatic mode
#define IDC_ADJUST_NEUTRAL 104   // white balance: pick a neutral area in the view
#define IDC_ADJUST_CHOICE 110    // 110-113: power-line choices in place of the slider
