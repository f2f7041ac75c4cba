// Reading back what windows draw: a 32-bit top-down DIB section in a memory DC, filled by a
// window's painting (WM_PRINTCLIENT), from the screen, or by the test; pixels compared with a
// tolerance; and the canvas written as a BMP for a person to look at.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class DibCanvas {
public:
    DibCanvas(int width, int height);
    ~DibCanvas();
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;
    HDC Dc() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }
    // The pixel at (x, y) once GDI has finished drawing; CLR_INVALID outside.
    COLORREF At(int x, int y) const;
    // Copies the screen from (x, y) on, or the window's client area from its top left, into the
    // canvas; false when the copy failed.
    bool CopyScreen(int x, int y) { return CopyFrom(nullptr, x, y); }
    bool CopyClient(HWND window) { return CopyFrom(window, 0, 0); }
    // Writes the canvas as a 32-bit BMP file; false when it could not be written.
    bool WriteBmp(const std::wstring& path) const;
    const int width, height;

private:
    bool CopyFrom(HWND window, int x, int y);
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    const uint32_t* bits_ = nullptr;
};

// Pixel (x, y) of what the window paints into its client area (WM_PRINTCLIENT).
COLORREF PrintedPixel(HWND window, int x, int y);
// The colour channels of got within tolerance of want.
void ExpectColour(COLORREF got, COLORREF want, const char* what, int tolerance = 3);
