// Resource ids. Included by vardelo.rc and by the code that loads the resources.
#pragma once

#define IDI_APP 107              // main window icon
#define IDB_CALIBRATE_HELP 130   // ruler picture of the calibration help dialog
#define IDB_NO_DEVICE 139        // "connect a microscope" picture of the camera view
#define IDB_TOOL_ART 150         // tool-button artwork strip, 27 cells of 40 x 40
#define IDI_FULLSCREEN 5116      // camera view's corner full-screen button
