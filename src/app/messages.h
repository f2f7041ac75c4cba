// Private window messages and command ids shared across the program's windows.
// Each (value, receiver) pair has its own name; unless a comment says otherwise wParam and
// lParam are 0. Messages that cross threads are always posted, never sent.
#pragma once

constexpr unsigned kWmApp = 0x8000;  // WM_APP

// ---- Private messages (WMU_) ----
constexpr unsigned WMU_GRAPH_EVENT = kWmApp + 1;        // capture graph -> camera view: drain graph events
constexpr unsigned WMU_DEVICES_CHANGED = kWmApp + 1;    // camera view -> main window: device list re-read
constexpr unsigned WMU_CAPTURE_STARTED = kWmApp + 2;    // capture session -> camera view -> main window
constexpr unsigned WMU_CAPTURE_STOPPED = kWmApp + 3;    // capture session/camera view -> camera view -> main window
constexpr unsigned WMU_STILL_READY = kWmApp + 4;        // still callback (capture thread) -> camera view -> main window
constexpr unsigned WMU_VIDEO_COVER = kWmApp + 5;        // recorder thread -> main window, once per video file; wParam its number in the recording (0 the first)
constexpr unsigned WMU_PANEL_REFRESH = kWmApp + 6;      // main window/source section -> panel -> sections; wParam 1 full, 11 device list
constexpr unsigned WMU_ZOOM_BUTTON = kWmApp + 7;        // preview callback (capture thread) -> camera view -> main window
constexpr unsigned WMU_SECTION_HEIGHTS = kWmApp + 7;    // panel -> section: returns MAKELONG(collapsed, expanded)
constexpr unsigned WMU_TOGGLE_FULLSCREEN = kWmApp + 8;  // camera view corner button -> main window
constexpr unsigned WMU_SECTION_TOGGLE = kWmApp + 8;     // title bar -> section -> panel
constexpr unsigned WMU_FILE_ADDED = kWmApp + 9;         // main window/recorder -> panel -> files section; wParam newest index
constexpr unsigned WMU_IMAGE_CLICK = kWmApp + 10;       // image view -> parent; wParam 0 click, 1 double-click; lParam id
constexpr unsigned WMU_VIDEO_RECOVERED = kWmApp + 11;   // video recovery thread -> main window; wParam the outcome, lParam a new std::wstring (the video) the receiver deletes
constexpr unsigned WMU_VIEW_RATIO = kWmApp + 12;        // camera view -> main window: the ratio the picture is shown at changed
// Camera view -> main window, sent: the user dragged the white-balance area; lParam -> FrameArea
// (frame/white_balance.h) in frame pixels, owned by the sender.
constexpr unsigned WMU_NEUTRAL_AREA = kWmApp + 20;
constexpr unsigned WMU_STACK_PROGRESS = kWmApp + 32;    // focus stack worker -> main window: frames fused or left out
constexpr unsigned WMU_STACK_STATE = kWmApp + 33;       // main window -> panel -> focus stack section: show the stack's state
constexpr unsigned WMU_MOSAIC_STEP = kWmApp + 30;
// Files section -> panel, sent: scroll so that the band lParam -> RECT (panel client
// coordinates, owned by the sender) is in view, as much of it as fits from its top.
constexpr unsigned WMU_PANEL_SHOW_AREA = kWmApp + 42;
// Main window -> panel -> files section, posted when the program is activated again: drop the
// recent files that are gone.
constexpr unsigned WMU_RECENT_CHECK = kWmApp + 43;       // mosaic worker -> mosaic window: frames placed or the run's state changed (one waiting at a time)

// ---- Main-window commands (WM_COMMAND, low word of wParam) ----
constexpr int CMD_SNAPSHOT = 11;                // camera view, Space: take a photo
constexpr int CMD_APPLY_DRAW_SETTINGS = 1008;   // options dialog after OK
constexpr int CMD_CALIBRATION_CHANGED = 1011;   // calibration dialogs
constexpr int CMD_TEXT_INPUT_DONE = 1014;       // text input dialog on OK or Cancel
constexpr int CMD_ESCAPE = 1016;                // camera view (or the message loop in full screen): Escape drops a focus stack, else leaves full screen
constexpr int CMD_RELOAD_TEXTS = 1039;          // re-read every user-interface text (panel, toolbars)

constexpr int ID_OPEN_DEVICE = 3004;
constexpr int ID_OPTIONS = 3007;
constexpr int ID_TAKE_PHOTO = 3008;
constexpr int ID_RECORD_VIDEO = 3009;
constexpr int ID_OPEN_FOLDER = 3010;
constexpr int ID_CALIBRATE = 3017;
constexpr int ID_TOOL_LINE = 3021;
constexpr int ID_TOOL_PARALLEL = 3022;
constexpr int ID_TOOL_CIRCLE = 3023;
constexpr int ID_TOOL_RECTANGLE = 3024;
constexpr int ID_TOOL_ANGLE = 3025;
constexpr int ID_TOOL_PENCIL = 3026;
constexpr int ID_TOOL_TEXT = 3027;
constexpr int ID_DELETE_LAST = 3028;
constexpr int ID_DELETE_ALL = 3029;
constexpr int ID_TOOL_NONE = 3030;
constexpr int ID_ABOUT = 3036;                  // vertical toolbar logo; about button
constexpr int ID_TOOL_CONCENTRIC = 3039;
constexpr int ID_CROSSLINE = 3090;
constexpr int ID_ADJUST_BRIGHTNESS = 3093;
constexpr int ID_ADJUST_CONTRAST = 3094;
constexpr int ID_ADJUST_SATURATION = 3095;
constexpr int ID_ADJUST_SHARPNESS = 3096;
constexpr int ID_ADJUST_RATIO = 3097;
constexpr int ID_ADJUST_GAIN = 3099;
constexpr int ID_COPY_MEASUREMENTS = 3101;      // camera view's context menu
constexpr int ID_SAVE_MEASUREMENTS = 3102;      // camera view's context menu: CSV through the save dialog
constexpr int ID_COPY_PICTURE = 3103;           // camera view's context menu: the photo picture as a bitmap
constexpr int ID_TIMELAPSE = 3104;              // source section's button, Ctrl+T: the time-lapse dialog, or stop the run
constexpr int ID_MOSAIC = 3140;                 // source section's button, Ctrl+M: the live mosaic window, or bring it forward

// ---- Camera settings: the preview section's camera row and the quick-adjust pop-up ----
constexpr int ID_ADJUST_EXPOSURE = 3120;        // quick adjust: exposure, with Auto
constexpr int ID_ADJUST_WHITE_BALANCE = 3121;   // quick adjust: white balance, with Auto and the neutral area
constexpr int ID_ADJUST_POWER_LINE = 3122;      // quick adjust: power-line frequency choices
constexpr int ID_NEUTRAL_AREA = 3123;           // white balance from an area the user drags in the view
constexpr int ID_RESET_CAMERA = 3124;           // the open camera's properties to defaults, its record forgotten

// ---- Focus stack ----
constexpr int ID_FOCUS_STACK = 3130;            // focus stack section, F in the view: start, or stop and save
constexpr int ID_FOCUS_STACK_CANCEL = 3131;     // focus stack section, Escape in the view: stop without saving

// ---- Window ids of the main window's children ----
constexpr int ID_HTOOLBAR = 106;
constexpr int ID_VTOOLBAR = 107;
constexpr int ID_CAMERA_VIEW = 108;
constexpr int ID_CTRL_PANEL = 109;
constexpr int ID_PROMPT = 5889;

// ---- Camera-view commands (WM_COMMAND to the camera view; 8001-8005 are sent, never posted) ----
constexpr int VIEW_CMD_DEVICE_REMOVED = 3;
constexpr int VIEW_CMD_OPEN_DEVICE = 11;
constexpr int VIEW_CMD_FULLSCREEN_BUTTON = 100;
constexpr int VIEW_CMD_DRAW_SETTINGS = 8001;   // lParam -> six int32: GridColor, LineColor, LineWidth, TextColor, TextSize, LabelBack
constexpr int VIEW_CMD_SELECT_TOOL = 8002;     // lParam = MeasureTool
constexpr int VIEW_CMD_SET_RATIO = 8003;       // lParam = ratio in percent (0 = fit)
constexpr int VIEW_CMD_SET_CALIBRATION = 8004; // lParam -> {float ppu, int32 unit}
constexpr int VIEW_CMD_TEXT_INPUT = 8005;      // lParam -> L"Init", L"OK" or L"Cancel"
