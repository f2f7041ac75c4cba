// Start-up and shutdown: the single-instance check, platform services, window classes,
// settings, the main window and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <mfapi.h>
#include <objbase.h>

#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "panel/ctrl_panel_win.h"
#include "app/tool_button_win.h"
#include "app/toolbar_win.h"
#include "capture/camera_format.h"
#include "media/photo_saver_win.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "view/camera_view_win.h"

ShellStateData ShellState;

namespace {

// Brings an already running copy forward. Returns true when this process must end.
bool OtherInstanceRunning() {
    // The handle is kept until the process ends: it is what marks this copy as the first.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
    if (!mutex || GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (HWND other = FindWindowW(kMainWndClass, nullptr)) {
        if (IsIconic(other)) SendMessageW(other, WM_SYSCOMMAND, SC_RESTORE, 0);
        SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        SetForegroundWindow(other);
        SetFocus(other);
    }
    return true;
}

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
    RegisterToolButtonClass(instance);
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
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
    return int(msg.wParam);
}

}  // namespace

int VardeloMain(HINSTANCE instance) {
    if (OtherInstanceRunning()) return 0;
    ShellState.instance = instance;
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    MFStartup(MF_VERSION, MFSTARTUP_FULL);
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    InitCommonControlClasses();
    LoadLibraryW(L"Msftedit.dll");
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
        exitCode = RunMessageLoop();
    }

    Gdiplus::GdiplusShutdown(gdiplusToken);
    MFShutdown();
    CoUninitialize();
    return exitCode;
}
