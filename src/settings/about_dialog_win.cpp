// The about box: the program's name and version, centred over the window that opened it.
#include "settings/about_dialog_win.h"

#include "app/shell_state_win.h"
#include "resources/options_dialogs.h"
#include "view/calibration_dialogs_win.h"

// The version comes from the build as a narrow literal ("1.0.0").
#define VARDELO_WIDE2(s) L##s
#define VARDELO_WIDE(s) VARDELO_WIDE2(s)

namespace {

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SetDlgItemTextW(dlg, IDC_ABOUT_VERSION, L"Vardelo v" VARDELO_WIDE(VARDELO_VERSION));
        PlaceDialogBelowTopOf(dlg, GetWindow(dlg, GW_OWNER));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunAboutDialog(HWND owner) {
    HINSTANCE instance = ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
}
