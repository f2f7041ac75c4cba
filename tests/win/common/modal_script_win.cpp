// Driving modal dialogs from a test (see modal_script_win.h).
#include "common/modal_script_win.h"

#include <gtest/gtest.h>

namespace {

std::vector<ScriptStep> script;
size_t scriptNext = 0;
DWORD scriptTicks = 0, scriptMaxTicks = 0;
bool scriptBusy = false;

// Cancels a dialog of the thread (lParam 0) or ends it (lParam 1).
BOOL CALLBACK StopAnyDialog(HWND hwnd, LPARAM end) {
    wchar_t cls[16];
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, L"#32770") != 0) return TRUE;
    if (end) EndDialog(hwnd, IDABORT);
    else PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    if (scriptBusy) return;  // a step that opened a nested loop is still running
    scriptBusy = true;
    ++scriptTicks;
    if (scriptNext < script.size() && script[scriptNext]()) ++scriptNext;
    if (scriptTicks == scriptMaxTicks) {
        ADD_FAILURE() << "the script did not finish in time (step " << scriptNext << ")";
        scriptNext = script.size();
        EnumThreadWindows(GetCurrentThreadId(), StopAnyDialog, 0);
    } else if (scriptTicks > scriptMaxTicks + 250) {  // not closed by a cancel in 5 s
        EnumThreadWindows(GetCurrentThreadId(), StopAnyDialog, 1);
        PostQuitMessage(0);  // ends a message box's loop too
    }
    scriptBusy = false;
}

}  // namespace

INT_PTR RunScripted(const std::function<INT_PTR()>& open, std::vector<ScriptStep> steps, DWORD timeoutMs,
                    UINT stepMs) {
    script = std::move(steps);
    scriptNext = 0;
    scriptTicks = 0;
    scriptMaxTicks = timeoutMs / stepMs;
    UINT_PTR timer = SetTimer(nullptr, 0, stepMs, ScriptTick);
    INT_PTR result = open();
    KillTimer(nullptr, timer);
    EXPECT_EQ(scriptNext, script.size()) << "the script stopped at step " << scriptNext;
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return result;
}

bool ScriptFinished() { return scriptNext >= script.size(); }

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

ScriptStep OnDialog(std::function<HWND()> find, std::function<void(HWND)> action) {
    return [find, action] {
        HWND dlg = find();
        if (!dlg) return false;
        action(dlg);
        return true;
    };
}

ScriptStep OnDialog(const wchar_t* title, std::function<void(HWND)> action) {
    return OnDialog([title] { return VisibleDialog(title); }, std::move(action));
}

void ClickDialogButton(HWND dlg, int id) {
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buf[1024] = {};
    GetWindowTextW(hwnd, buf, 1024);
    return buf;
}
