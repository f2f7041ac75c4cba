// Driving modal dialogs from a test (see modal_script_win.h).
#include "common/modal_script_win.h"

#include <gtest/gtest.h>

namespace {

std::vector<ScriptStep> script;
size_t scriptNext = 0;
int scriptTicks = 0;
bool scriptBusy = false;

BOOL CALLBACK EndAnyDialog(HWND hwnd, LPARAM) {
    wchar_t cls[16];
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0) EndDialog(hwnd, IDABORT);
    return TRUE;
}

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    if (scriptBusy) return;  // a step that opened a nested loop is still running
    scriptBusy = true;
    ++scriptTicks;
    if (scriptNext < script.size() && script[scriptNext]()) ++scriptNext;
    if (scriptTicks > 1500) {  // 30 s
        EnumThreadWindows(GetCurrentThreadId(), EndAnyDialog, 0);
        PostQuitMessage(0);  // ends a message box's loop too
    }
    scriptBusy = false;
}

}  // namespace

INT_PTR RunScripted(const std::function<INT_PTR()>& open, std::vector<ScriptStep> steps) {
    script = std::move(steps);
    scriptNext = 0;
    scriptTicks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, ScriptTick);
    INT_PTR result = open();
    KillTimer(nullptr, timer);
    EXPECT_EQ(scriptNext, script.size()) << "the script stopped at step " << scriptNext;
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return result;
}

HWND VisibleDialog(const wchar_t* title) {
    HWND dlg = FindWindowW(L"#32770", title);
    return dlg && IsWindowVisible(dlg) ? dlg : nullptr;
}

HWND OwnedDialog(HWND owner) {
    struct Find { HWND owner, found; } find = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM lp) -> BOOL {
        auto* f = reinterpret_cast<Find*>(lp);
        wchar_t cls[16];
        GetClassNameW(w, cls, 16);
        if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(w) && GetWindow(w, GW_OWNER) == f->owner) {
            f->found = w;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

void ClickDialogButton(HWND dlg, int id) {
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buf[512] = {};
    GetWindowTextW(hwnd, buf, 512);
    return buf;
}
