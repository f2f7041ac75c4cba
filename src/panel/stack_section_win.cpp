// The focus stack section (see stack_section_win.h). It keeps nothing of the stack: every
// refresh reads the mode's status afresh. The buttons post the main window's commands, as F and
// Escape in the camera view do. User-interface thread only.
#include "panel/stack_section_win.h"

#include <string>

#include <commctrl.h>  // after <string>: it brings strsafe.h, which hides the printf family

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "media/focus_stack_mode_win.h"
#include "media/stack_rules.h"
#include "panel/ctrl_panel_win.h"
#include "panel/panel_section_win.h"
#include "panel/stack_section_layout.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"

namespace {

constexpr wchar_t kStackClass[] = L"CtrlPanelStackWndClass";

bool gStackOpen = false;  // the section's open flag, one for the class

void StackShowState(HWND section) {
    const FocusStackStatus status = CurrentFocusStackStatus();
    PanelSetText(section, kStackStartStop, status.running ? "stack stop" : "stack start");
    EnableWindow(GetDlgItem(section, kStackStartStop), status.running || IsDeviceOpen());
    EnableWindow(GetDlgItem(section, kStackCancel), status.running);
    CheckDlgButton(section, kStackDepthOption, AppSettings.stackDepthMap == 1 ? BST_CHECKED : BST_UNCHECKED);
    std::wstring text = GetText("stack idle");
    if (status.running) {
        const StackStatusLine line = StackStatusFor(status.fused, status.leftOut, status.hint ? kHintQuietFrames : 0);
        wchar_t buf[256];
        swprintf(buf, 256, GetText(line.key).c_str(), line.fused, line.leftOut);
        text = buf;
    }
    SetDlgItemTextW(section, kStackStatus, text.c_str());
}

void StackReloadTexts(HWND section) {
    PanelSetText(section, 100, "focus stack");
    PanelSetText(section, kStackCancel, "stack cancel");
    PanelSetText(section, kStackDepthOption, "stack depth map");
    StackShowState(section);
}

void StackOnCreate(HWND section) {
    GetPanelResources();
    CreatePanelHeader(section, L"");
    CreatePanelControl(section, WC_BUTTONW, L"", BS_PUSHBUTTON | WS_TABSTOP, kStackStartStop);
    CreatePanelControl(section, WC_BUTTONW, L"", BS_PUSHBUTTON | WS_TABSTOP, kStackCancel);
    PanelUnthemeControl(CreatePanelControl(section, WC_BUTTONW, L"", BS_AUTOCHECKBOX | WS_TABSTOP, kStackDepthOption));
    CreatePanelControl(section, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, kStackStatus);
}

void StackOnCommand(HWND section, WPARAM wp) {
    switch (LOWORD(wp)) {
    case CMD_RELOAD_TEXTS:
        StackReloadTexts(section);
        break;
    case kStackStartStop:
        if (ShellState.mainWnd) PostMessageW(ShellState.mainWnd, WM_COMMAND, ID_FOCUS_STACK, 0);
        break;
    case kStackCancel:
        if (ShellState.mainWnd) PostMessageW(ShellState.mainWnd, WM_COMMAND, ID_FOCUS_STACK_CANCEL, 0);
        break;
    case kStackDepthOption:
        AppSettings.stackDepthMap = IsDlgButtonChecked(section, kStackDepthOption) == BST_CHECKED ? 1 : 0;
        SaveSettings();
        break;
    }
}

void StackLayOut(HWND section, int width) {
    const StackLayout rects = LayOutStackSection(width, GetPanelResources().base);
    PanelSectionLayOut(section, rects.data(), int(rects.size()));
}

LRESULT CALLBACK StackProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        StackOnCreate(hwnd);
        return 0;
    case WM_SIZE:
        if (LOWORD(lp) && HIWORD(lp)) StackLayOut(hwnd, LOWORD(lp));
        return 0;
    case WM_DPICHANGED_AFTERPARENT: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (rc.right > 0) StackLayOut(hwnd, rc.right);
        return 0;
    }
    case WM_COMMAND:
        StackOnCommand(hwnd, wp);
        return 0;
    case WMU_PANEL_REFRESH:
    case WMU_STACK_STATE:
        StackShowState(hwnd);
        return 0;
    case WMU_SECTION_HEIGHTS:
        return PanelSectionHeights(kStackBodyUnits);
    case WMU_SECTION_TOGGLE:
        gStackOpen = wp != 0;
        PanelSectionToggled(hwnd, kStackSectionIndex, kStackStatus, gStackOpen);
        return 0;
    }
    if (IsCtlColorMessage(msg)) return PanelSectionCtlColor(reinterpret_cast<HDC>(wp));
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterStackSectionClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.style = CS_HREDRAW;
    wc.lpfnWndProc = StackProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CtrlPanelBrush();
    wc.lpszClassName = kStackClass;
    return RegisterClassExW(&wc) != 0;
}
