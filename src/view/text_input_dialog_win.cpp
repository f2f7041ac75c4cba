// The text input dialog: every change of its field goes to the camera view's pending text
// annotation, OK commits it there, Cancel drops it; either way the main window hears of it.
#include "view/text_input_dialog_win.h"

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "resources/calibration_dialogs.h"
#include "settings/app_settings.h"
#include "settings/text_table.h"
#include "view/calibration_dialogs_win.h"
#include "view/camera_view_win.h"

namespace {

constexpr int kFieldChars = 256;  // the field's limit; the view keeps 255 of them

void SendViewWord(const wchar_t* word) {
    if (ShellState.cameraView)
        SendMessageW(ShellState.cameraView, WM_COMMAND, VIEW_CMD_TEXT_INPUT, reinterpret_cast<LPARAM>(word));
}

BOOL TextInputOnInit(HWND dlg) {
    if (AppSettings.language != 0) {
        SetWindowTextW(dlg, GetText("input text").c_str());
        SetDlgItemTextW(dlg, IDOK, GetText("ok").c_str());
        SetDlgItemTextW(dlg, IDCANCEL, GetText("cancel").c_str());
    }
    PlaceDialogBelowMainTop(dlg);
    SendDlgItemMessageW(dlg, IDC_TEXT_FIELD, EM_LIMITTEXT, kFieldChars, 0);
    SendViewWord(L"Init");
    return TRUE;  // focus to the field
}

void TextInputOnChange(HWND dlg) {
    wchar_t text[kFieldChars + 1] = {};
    GetDlgItemTextW(dlg, IDC_TEXT_FIELD, text, kFieldChars + 1);
    if (ShellState.cameraView) CameraViewSetPendingText(ShellState.cameraView, text);
}

void TextInputFinish(HWND dlg, const wchar_t* word) {
    SendViewWord(word);
    if (ShellState.mainWnd) PostMessageW(ShellState.mainWnd, WM_COMMAND, CMD_TEXT_INPUT_DONE, 0);
    DestroyWindow(dlg);
}

INT_PTR CALLBACK TextInputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TextInputOnInit(dlg);
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_TEXT_FIELD:
            if (HIWORD(wp) == EN_CHANGE) TextInputOnChange(dlg);
            return TRUE;
        case IDOK: TextInputFinish(dlg, L"OK"); return TRUE;
        case IDCANCEL: TextInputFinish(dlg, L"Cancel"); return TRUE;
        }
        break;
    case WM_DESTROY:
        if (ShellState.textInputDlg == dlg) ShellState.textInputDlg = nullptr;
        break;
    }
    return FALSE;
}

}  // namespace

HWND CreateTextInputDialog(HWND owner) {
    HINSTANCE instance = ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
    HWND dlg = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_TEXT_INPUT), owner, TextInputProc, 0);
    if (!dlg) return nullptr;
    ShellState.textInputDlg = dlg;
    ShowWindow(dlg, SW_SHOW);
    return dlg;
}
