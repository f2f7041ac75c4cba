// Dialog and control ids of the time-lapse dialog.
#pragma once

#define IDD_TIMELAPSE 141              // "Time-lapse", modal
#define IDC_TL_EVERY_LABEL 3201        // "Take a picture every"
#define IDC_TL_INTERVAL 3202           // number
#define IDC_TL_UNIT 3203               // seconds, minutes, hours
#define IDC_TL_STOP_GROUP 3204         // "Stop"
#define IDC_TL_STOP_COUNT 3205         // radio: after a number of pictures
#define IDC_TL_COUNT 3206
#define IDC_TL_COUNT_UNIT 3207         // "pictures"
#define IDC_TL_STOP_DURATION 3208      // radio: after a duration
#define IDC_TL_DURATION 3209
#define IDC_TL_DURATION_UNIT 3210      // minutes, hours
#define IDC_TL_STOP_NEVER 3211         // radio: when the user stops it
#define IDC_TL_TAKE_GROUP 3212         // "Take"
#define IDC_TL_TAKE_VIEW 3213          // radio: the view as shown
#define IDC_TL_TAKE_FRAME 3214         // radio: the camera frame alone
#define IDC_TL_VIDEO 3215              // check: also a video
#define IDC_TL_VIDEO_FPS 3216          // its playback rate
#define IDC_TL_FPS_LABEL 3217          // "frames per second"
