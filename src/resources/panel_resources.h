// Resource ids of the control panel and the open-microscope dialog.
#pragma once

#define IDD_OPEN_DEVICE 131          // "Open microscope", modal
#define IDC_OPEN_DEVICE_LABEL 100
#define IDC_OPEN_FORMAT_LABEL 101
#define IDC_OPEN_SIZE_LABEL 102
#define IDC_OPEN_DEVICES 3005        // list box, one row per camera
#define IDC_OPEN_SIZES 3014          // drop-down list "%dx%d"
#define IDC_OPEN_FORMATS 1018        // drop-down list "MJPG" and/or "YUY2"

#define IDI_PANEL_FOLDER 5119        // source section: open the save folder
#define IDI_PANEL_SETTINGS 5121      // source section: options
