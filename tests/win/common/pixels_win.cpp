// Reading back what windows draw (see pixels_win.h).
#include "common/pixels_win.h"

#include <gtest/gtest.h>

DibCanvas::DibCanvas(int width, int height) : width(width), height(height) {
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
}

DibCanvas::~DibCanvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF DibCanvas::At(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    GdiFlush();
    const uint32_t p = bits_[size_t(y) * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

bool DibCanvas::CopyFrom(HWND window, int x, int y) {
    HDC source = GetDC(window);
    const bool ok = BitBlt(dc_, 0, 0, width, height, source, x, y, SRCCOPY) != 0;
    ReleaseDC(window, source);
    GdiFlush();
    return ok;
}

bool DibCanvas::WriteBmp(const std::wstring& path) const {
    GdiFlush();
    BITMAPINFOHEADER ih = {sizeof(ih), width, -height, 1, 32, BI_RGB};
    const DWORD size = DWORD(width) * DWORD(height) * 4;
    BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof(fh) + sizeof(ih) + size), 0, 0, DWORD(sizeof(fh) + sizeof(ih))};
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    bool ok = WriteFile(f, &fh, sizeof(fh), &done, nullptr) && WriteFile(f, &ih, sizeof(ih), &done, nullptr) &&
              WriteFile(f, bits_, size, &done, nullptr);
    return CloseHandle(f) && ok;
}

COLORREF PrintedPixel(HWND window, int x, int y) {
    RECT rc;
    GetClientRect(window, &rc);
    DibCanvas canvas(rc.right, rc.bottom);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    return canvas.At(x, y);
}

void ExpectColour(COLORREF got, COLORREF want, const char* what, int tolerance) {
    EXPECT_NEAR(GetRValue(got), GetRValue(want), tolerance) << what;
    EXPECT_NEAR(GetGValue(got), GetGValue(want), tolerance) << what;
    EXPECT_NEAR(GetBValue(got), GetBValue(want), tolerance) << what;
}
