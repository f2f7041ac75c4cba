// Resource ids. Included by vardelo.rc and by the code that loads the resources.
#pragma once

#define IDI_APP 107              // main window icon
#define IDB_CALIBRATE_HELP 130   // ruler picture of the calibration help dialog
#define IDB_NO_DEVICE 139        // "connect a microscope" picture of the camera view
#define IDB_TOOL_ART 150         // tool-button artwork strip, 27 cells of 40 x 40
#define IDI_FULLSCREEN 5116      // camera view's corner full-screen button
#define IDI_FULLSCREEN_LEAVE 5117  // the same button in full screen: leave it

// Artwork at 1.5x and 2x of the display scale (the 1x pictures are the ones above).
#define IDB_NO_DEVICE_15X 6101
#define IDB_NO_DEVICE_2X 6102
#define IDB_TOOL_ART_15X 6103  // 27 cells of 60 x 60
#define IDB_TOOL_ART_2X 6104   // 27 cells of 80 x 80
#define IDB_CALIBRATE_HELP_15X 6111
#define IDB_CALIBRATE_HELP_2X 6112
