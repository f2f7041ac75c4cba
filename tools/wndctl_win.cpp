// wndctl: small window remote control for scripts and end-to-end tests.
//   wndctl close CLASS      ask the top-level window of CLASS to close (WM_CLOSE)
//   wndctl count CLASS      print how many top-level windows of CLASS exist
//   wndctl minimize CLASS   minimise the window of CLASS
//   wndctl iconic CLASS     exit 0 when the window of CLASS is minimised, 1 when not
//   wndctl command CLASS ID post the window of CLASS the command ID (WM_COMMAND)
//   wndctl kill CLASS       end the process of the window of CLASS at once (TerminateProcess),
//                           as a crash would, and wait until it is gone
//   wndctl hold MUTEX       create the named mutex, print "held", keep it until `wndctl release`
//                           (at most two minutes): a program's mark without its window
//   wndctl release          end the running `wndctl hold`
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

struct CountArgs { const wchar_t* cls; int count; };

BOOL CALLBACK CountProc(HWND hwnd, LPARAM lp) {
    auto* a = reinterpret_cast<CountArgs*>(lp);
    wchar_t name[256];
    if (GetClassNameW(hwnd, name, 256) && wcscmp(name, a->cls) == 0) a->count++;
    return TRUE;
}

constexpr wchar_t kReleaseEvent[] = L"Local\\wndctl.release";

int Hold(const wchar_t* name) {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, kReleaseEvent);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (!release || !mutex) return 1;
    printf("held\n");
    fflush(stdout);
    WaitForSingleObject(release, 120000);
    CloseHandle(mutex);
    CloseHandle(release);
    return 0;
}

int Release() {
    HANDLE release = OpenEventW(EVENT_MODIFY_STATE, FALSE, kReleaseEvent);
    if (!release) return 1;
    SetEvent(release);
    CloseHandle(release);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && wcscmp(argv[1], L"release") == 0) return Release();
    if (argc < 3) return 2;
    if (wcscmp(argv[1], L"hold") == 0) return Hold(argv[2]);
    const wchar_t* verb = argv[1];
    const wchar_t* cls = argv[2];
    if (wcscmp(verb, L"count") == 0) {
        CountArgs a = {cls, 0};
        EnumWindows(CountProc, reinterpret_cast<LPARAM>(&a));
        printf("%d\n", a.count);
        return 0;
    }
    HWND hwnd = FindWindowW(cls, nullptr);
    if (!hwnd) return 3;
    if (wcscmp(verb, L"close") == 0) return PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
    if (wcscmp(verb, L"minimize") == 0) return ShowWindow(hwnd, SW_MINIMIZE), 0;
    if (wcscmp(verb, L"iconic") == 0) return IsIconic(hwnd) ? 0 : 1;
    if (wcscmp(verb, L"kill") == 0) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process) return 1;
        const bool ended = TerminateProcess(process, 9) && WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
        CloseHandle(process);
        return ended ? 0 : 1;
    }
    if (wcscmp(verb, L"command") == 0 && argc > 3)
        return PostMessageW(hwnd, WM_COMMAND, WPARAM(_wtoi(argv[3]) & 0xFFFF), 0) ? 0 : 1;
    return 2;
}
