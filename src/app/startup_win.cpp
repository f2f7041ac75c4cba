// Start-up and shutdown: the single-instance check, platform services, window classes,
// settings, the main window and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <mfapi.h>  // constants only: the media platform is loaded at run time
#include <objbase.h>

#include "app/image_view_win.h"
#include "app/messages.h"
#include "app/instance_check_win.h"
#include "app/process_habits_win.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "panel/ctrl_panel_files_win.h"
#include "panel/ctrl_panel_win.h"
#include "app/tool_button_win.h"
#include "app/toolbar_win.h"
#include "capture/camera_format.h"
#include "media/photo_saver_win.h"
#include "media/mosaic_window_win.h"
#include "media/timelapse_win.h"
#include "media/video_recovery_win.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "view/camera_view_win.h"

ShellStateData ShellState;

namespace {

HMODULE LoadSystemLibrary(const wchar_t* name) {
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The media platform, loaded at run time: editions of the system without it (N and KN without
// the Media Feature Pack, servers) must still start the program.
struct MediaPlatform {
    HMODULE dll = nullptr;
    bool started = false;
    void Start() {
        dll = LoadSystemLibrary(L"mfplat.dll");
        using StartFn = HRESULT(WINAPI*)(ULONG, DWORD);
        auto start = dll ? reinterpret_cast<StartFn>(reinterpret_cast<void*>(GetProcAddress(dll, "MFStartup"))) : nullptr;
        started = start && SUCCEEDED(start(MF_VERSION, MFSTARTUP_FULL));
        if (!started) OutputDebugStringW(L"Media platform not available.\r\n");
    }
    void Shutdown() {
        using ShutdownFn = HRESULT(WINAPI*)();
        auto stop = dll ? reinterpret_cast<ShutdownFn>(reinterpret_cast<void*>(GetProcAddress(dll, "MFShutdown"))) : nullptr;
        if (started && stop) stop();
        if (dll) FreeLibrary(dll);
        dll = nullptr;
        started = false;
    }
};

void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX icc = {sizeof(icc)};
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                ICC_UPDOWN_CLASS | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES |
                ICC_LINK_CLASS;
    InitCommonControlsEx(&icc);
}

// Every window class of the program, in the order the program has always registered them.
// (The camera view's class goes right after the main window's, the panel's four between the
// vertical toolbar and the tool button.)
void RegisterWindowClasses(HINSTANCE instance) {
    RegisterMainWndClass(instance);
    RegisterCameraWndClass(instance);
    RegisterPromptClass(instance);
    RegisterHToolbarClass(instance);
    RegisterVToolbarClass(instance);
    RegisterCtrlPanelClass(instance);
    RegisterCtrlPanelFilesClass(instance);
    RegisterToolButtonClass(instance);
    RegisterImageWndClass(instance);
    RegisterTimelapseIndicatorClass(instance);
    RegisterMosaicWndClass(instance);
}

// The program's keyboard shortcuts, wherever the focus is in the main window.
HACCEL MakeShortcuts() {
    ACCEL keys[] = {
        {FCONTROL | FVIRTKEY, 'T', ID_TIMELAPSE},
        {FCONTROL | FVIRTKEY, 'M', ID_MOSAIC},
    };
    return CreateAcceleratorTableW(keys, int(sizeof keys / sizeof keys[0]));
}

int RunMessageLoop() {
    MSG msg;
    HACCEL shortcuts = MakeShortcuts();
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (shortcuts && ShellState.mainWnd && TranslateAcceleratorW(ShellState.mainWnd, shortcuts, &msg)) continue;
        if (TranslateFullScreenEscape(msg)) continue;
        // The modeless dialogs get their keyboard navigation first.
        HWND dialogs[] = {ShellState.calibrationWnd, ShellState.textInputDlg, ShellState.adjustPopup};
        bool handled = false;
        for (HWND dlg : dialogs) {
            if (dlg && IsDialogMessageW(dlg, &msg)) { handled = true; break; }
        }
        if (handled) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (shortcuts) DestroyAcceleratorTable(shortcuts);
    return int(msg.wParam);
}

}  // namespace

int VardeloMain(HINSTANCE instance) {
    SetProcessHabits();
    InstanceMarks marks;  // held until the program ends
    if (AnotherCopyTakesOver(&marks)) return 0;
    ShellState.instance = instance;
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    MediaPlatform media;
    media.Start();
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    InitCommonControlClasses();
    LoadSystemLibrary(L"Msftedit.dll");
    FindImageEncoders();

    RegisterWindowClasses(instance);
    SetToolButtonBackground(RGB(21, 21, 25));
    LoadToolArt(instance);

    // Settings (with the text table of their language and the calibrations), then the format
    // the first camera opening asks for.
    LoadSettings();
    requestedFormat = StoredCameraFormat(AppSettings);

    int exitCode = 0;
    if (HWND main = CreateMainWindow(instance)) {
        ShowWindow(main, SW_SHOWMAXIMIZED);
        UpdateWindow(main);
        // Recordings a crash cut short are rebuilt in the background while the program starts.
        StartVideoRecovery(main, RecoveryFolders());
        exitCode = RunMessageLoop();
    }
    StopVideoRecovery();

    Gdiplus::GdiplusShutdown(gdiplusToken);
    media.Shutdown();
    CoUninitialize();
    return exitCode;
}
