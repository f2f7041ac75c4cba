// The image view (ImageWndClass): a child window showing one saved picture file at a chosen
// scale, centred on a dark ground, panned with the scroll bars (when created with scroll-bar
// styles) or by dragging. A video path shows the video's cover picture with a play triangle.
// It posts WMU_IMAGE_CLICK to its parent on a press (wParam 0) and a double click (wParam 1),
// lParam = its control id. User-interface thread only.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/picture_file_win.h"

constexpr wchar_t kImageWndClass[] = L"ImageWndClass";

// Commands (WM_COMMAND, low word of wParam), sent to the view.
constexpr int IMAGE_CMD_LOAD = 1;       // lParam: const wchar_t* path; empty clears the view
constexpr int IMAGE_CMD_SET_SCALE = 6;  // lParam: scale in percent (15, 25, 50, 75, 100, 125, 150, 175, 200)

constexpr COLORREF kImageGround = RGB(33, 37, 60);
constexpr COLORREF kImageBadgeFill = RGB(31, 31, 191);

// One per view, attached at creation and freed at destruction.
struct ImageViewState {
    HWND window = nullptr;
    int imageWidth = 0, imageHeight = 0;
    int scaledWidth = 0, scaledHeight = 0;
    int scrollX = 0, scrollY = 0;
    int scale = 100;
    int hBarShown = 0, vBarShown = 0;
    int videoBadge = 0;
    BITMAPINFOHEADER pixelHeader = {};  // bottom-up 24-bit rows of the picture
    std::unique_ptr<uint8_t[]> pixels;  // empty when no picture is loaded
    size_t pixelBytes = 0;
    // The picture at the current scale, with the badge drawn in; made at the first paint after a
    // load or scale change.
    HBITMAP cache = nullptr;
    HDC cacheDc = nullptr;
    HGDIOBJ cacheOldBitmap = nullptr;
    int dragging = 0;
    int lastX = 0, lastY = 0;
    bool barStyles = false;  // created with a scroll-bar style (hiding a bar clears its style bit)
    bool updatingBars = false;
    PictureLoad lastLoad = PictureLoad::Unreadable;  // how the last load ended (diagnostics, tests)
};

bool RegisterImageWndClass(HINSTANCE instance);
