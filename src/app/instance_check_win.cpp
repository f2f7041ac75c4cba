// The single-instance check (see instance_check_win.h).
#include "app/instance_check_win.h"

#include "app/instance_check.h"
#include "app/shell_state_win.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"

namespace {

// A copy at this desk that is still starting shows its window within this.
constexpr DWORD kWindowWaitMs = 3000;

MutexAnswer Mark(const wchar_t* name, HANDLE* handle) {
    SetLastError(0);
    *handle = CreateMutexW(nullptr, FALSE, name);
    return {*handle != nullptr, GetLastError()};
}

HWND WaitForWindow() {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (HWND other = FindWindowW(kMainWndClass, nullptr)) return other;
        if (GetTickCount64() - start >= kWindowWaitMs) return nullptr;
        Sleep(100);
    }
}

// The first copy may be busy: nothing here waits for it. The restore is posted, the z-order
// change is handed to its thread, and activating it gives it the focus.
void BringForward(HWND other) {
    if (IsIconic(other)) PostMessageW(other, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetWindowPos(other, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_ASYNCWINDOWPOS);
    SetForegroundWindow(other);
}

void Tell(const char* key) {
    LoadSettings();  // the texts of the user's language
    MessageBoxW(nullptr, GetText(key).c_str(), L"Vardelo", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

}  // namespace

InstanceMarks::~InstanceMarks() {
    if (machine) CloseHandle(machine);
    if (session) CloseHandle(session);
}

bool AnotherCopyTakesOver(InstanceMarks* marks) {
    // The session's mark first: a copy that has the machine's mark has its session's too.
    const MutexAnswer session = Mark(kSessionMutexName, &marks->session);
    const MutexAnswer machine = Mark(kInstanceMutexName, &marks->machine);
    switch (FindOtherCopy(session, machine)) {
    case OtherCopy::None:
        return false;
    case OtherCopy::OtherSession:
        // Its window is on another desktop, out of reach of FindWindow.
        Tell("running elsewhere");
        return true;
    case OtherCopy::ThisSession:
        if (HWND other = WaitForWindow())
            BringForward(other);
        else
            Tell("running no window");
        return true;
    }
    return true;
}
