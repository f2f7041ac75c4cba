// Screenshots of windows for looking at them: a window's screen rectangle written as a BMP
// into the folder named by VARDELO_SHOT_DIR (a Windows path); nothing when it is not set.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

#include "common/pixels_win.h"
#include "common/pump_win.h"

inline void Shot(HWND window, const wchar_t* name) {
    const char* dir = std::getenv("VARDELO_SHOT_DIR");
    if (!dir || !window) return;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    PumpMessages();
    RECT r;
    GetWindowRect(window, &r);
    RECT screenRect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&r, &r, &screenRect);  // a maximised window's frame lies off the screen
    DibCanvas canvas(r.right - r.left, r.bottom - r.top);
    canvas.CopyScreen(r.left, r.top);
    std::wstring path;
    for (const char* p = dir; *p; ++p) path += wchar_t(*p);
    canvas.WriteBmp(path + L"\\" + name + L".bmp");
}

