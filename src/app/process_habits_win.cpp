// Process-wide error mode and DLL search (see process_habits_win.h).
#include "app/process_habits_win.h"

#include <windows.h>

void SetProcessHabits() {
    // The recent-files check at start, the save folder and the recorder's free-space query touch
    // removed drives and empty card-reader slots. Without this flag the system asks "There is no
    // disk in the drive" in a box of its own, and the recorder's writer thread waits for that box
    // while Stop waits for the writer. Threads take the process's mode.
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS);

    // The process's search path also governs the loads made behind COM and DirectShow (a camera's
    // own filter, a codec), so it keeps what such drivers may need, the program's and the system's
    // folders, and drops only the current directory. Our own loads name the system folder
    // themselves (LOAD_LIBRARY_SEARCH_SYSTEM32). Looked up at run time for loaders without the call.
    using SetDirsFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto set = kernel ? reinterpret_cast<SetDirsFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                      : nullptr;
    if (!set || !set(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) SetDllDirectoryW(L"");
}
