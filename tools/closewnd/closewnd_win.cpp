// closewnd CLASS: asks the top-level window of a class to close (WM_CLOSE), as a user would.
// Used by scripts/run --shot and the end-to-end tests.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    HWND hwnd = FindWindowW(argv[1], nullptr);
    if (!hwnd) return 1;
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return 0;
}
