// Screenshots of windows for looking at them: a window's screen rectangle written as a BMP
// into the folder named by VARDELO_SHOT_DIR (a Windows path); nothing when it is not set.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

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
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    DWORD row = (DWORD(w) * 3 + 3) & ~3u, size = row * DWORD(h);
    BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof(fh) + sizeof(bi.bmiHeader) + size), 0, 0,
                           DWORD(sizeof(fh) + sizeof(bi.bmiHeader))};
    std::wstring path;
    for (const char* p = dir; *p; ++p) path += wchar_t(*p);
    path += L"\\";
    path += name;
    path += L".bmp";
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD done;
        WriteFile(f, &fh, sizeof(fh), &done, nullptr);
        WriteFile(f, &bi.bmiHeader, sizeof(bi.bmiHeader), &done, nullptr);
        WriteFile(f, bits, size, &done, nullptr);
        CloseHandle(f);
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

