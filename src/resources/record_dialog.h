// Dialog and control ids of the record-video dialog.
#pragma once

#define IDD_RECORD_VIDEO 134     // "Recording video", modal
#define IDC_REC_CLOCK 3003       // elapsed video time
#define IDC_REC_START 1          // IDOK: Start, then Stop
#define IDC_REC_PAUSE 3006       // Pause / Resume
#define IDC_REC_LIMIT_LABEL 100  // "Time limit:"
#define IDC_REC_LIMIT 1005       // time-limit drop-down list
#define IDC_REC_SPLIT 4          // posted by the timer: go on in a new file
#define IDC_REC_SCALE_CLOCK 3010 // posted after a change of display scale: the clock font again
