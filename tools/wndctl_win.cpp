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
//   wndctl text CLASS ID    print the text of the control ID of the window of CLASS (UTF-8)
//   wndctl stats CLASS      print the window's process figures on one line:
//                           "answers=1 gdi=N user=N handles=N private_kb=N working_kb=N pid=N";
//                           answers is 0 when the window did not answer WM_NULL within 2 s
//                           (exit 4). A figure the system cannot give is printed as -1.
#include <windows.h>
#include <psapi.h>

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

int Stats(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    DWORD_PTR result = 0;
    const bool answers =
        SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 2000, &result) != 0;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return 1;
    long long gdi = -1, user = -1, handles = -1, privateKb = -1, workingKb = -1;
    // GetGuiResources returns 0 on failure; a live window's process always owns some objects.
    if (DWORD n = GetGuiResources(process, GR_GDIOBJECTS)) gdi = n;
    if (DWORD n = GetGuiResources(process, GR_USEROBJECTS)) user = n;
    DWORD count = 0;
    if (GetProcessHandleCount(process, &count) && count) handles = count;
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof(pmc);
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc))) {
        // PagefileUsage is the commit charge, the process's private committed memory; some
        // systems leave PrivateUsage (its newer name) at 0.
        privateKb = static_cast<long long>((pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / 1024);
        workingKb = static_cast<long long>(pmc.WorkingSetSize / 1024);
    }
    CloseHandle(process);
    printf("answers=%d gdi=%lld user=%lld handles=%lld private_kb=%lld working_kb=%lld pid=%lu\n", answers ? 1 : 0,
           gdi, user, handles, privateKb, workingKb, static_cast<unsigned long>(pid));
    return answers ? 0 : 4;
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
    if (wcscmp(verb, L"stats") == 0) return Stats(hwnd);
    if (wcscmp(verb, L"text") == 0 && argc > 3) {
        HWND item = GetDlgItem(hwnd, _wtoi(argv[3]));
        wchar_t text[512] = {};
        DWORD_PTR copied = 0;
        if (!item || !SendMessageTimeoutW(item, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                          2000, &copied))
            return 1;
        char utf8[1536] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        printf("%s\n", utf8);
        return 0;
    }
    if (wcscmp(verb, L"command") == 0 && argc > 3)
        return PostMessageW(hwnd, WM_COMMAND, WPARAM(_wtoi(argv[3]) & 0xFFFF), 0) ? 0 : 1;
    return 2;
}
