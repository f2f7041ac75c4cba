// The preview section's histogram window: its state record, timer, reading of the frame ring and
// painting.
#include "panel/histogram_view_win.h"

#include <algorithm>
#include <memory>
#include <string>  // before the capture headers: they bring strsafe.h, which hides what <string> uses

#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"

namespace {

constexpr wchar_t kHistogramClass[] = L"CtrlPanelHistogramWndClass";
constexpr UINT_PTR kTimer = 1;
constexpr UINT kPeriodMs = 250;
constexpr int kMaxSamples = 65536;  // about a millisecond of counting, whatever the frame size
constexpr COLORREF kBackground = RGB(22, 25, 34);
constexpr COLORREF kBorder = RGB(70, 76, 96);
constexpr COLORREF kGrid = RGB(44, 49, 64);  // quarters of the level range
constexpr COLORREF kLuma = RGB(150, 156, 170);
constexpr COLORREF kShadowMark = RGB(60, 140, 255);
constexpr COLORREF kHighlightMark = RGB(255, 70, 60);
constexpr COLORREF kChannelColours[3] = {RGB(230, 60, 60), RGB(60, 200, 60), RGB(70, 120, 255)};  // red, green, blue

struct HistogramWnd {
    HWND hwnd = nullptr;
    FrameHistogram histogram;
    bool valid = false;     // histogram holds a frame of the open camera
    bool channels = false;  // draw the red, green and blue curves too
    uint32_t framesSeen = 0;
};

HistogramWnd* FromHwnd(HWND hwnd) { return reinterpret_cast<HistogramWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

bool HistogramRead(HistogramWnd* w) {
    if (!IsDeviceOpen()) {
        if (w->valid) InvalidateRect(w->hwnd, nullptr, FALSE);
        w->valid = false;
        return false;
    }
    // Read without a lock, as the view's paint does: the slot stays unchanged for three frame
    // periods (a timing assumption) and counting it takes about a millisecond.
    const DisplayFrame* frame = GetCurrentFrame();
    if (!frame) return w->valid;
    w->framesSeen = CaptureState.framesPublished.load(std::memory_order_relaxed);
    const int width = CaptureState.width, height = CaptureState.height;
    ComputeHistogram(frame, width, height, HistogramStep(width, height, kMaxSamples), &w->histogram);
    w->valid = w->histogram.samples > 0;
    InvalidateRect(w->hwnd, nullptr, FALSE);
    return w->valid;
}

void HistogramOnTimer(HistogramWnd* w) {
    if (!IsWindowVisible(w->hwnd)) return;
    if (IsDeviceOpen() && w->valid && CaptureState.framesPublished.load(std::memory_order_relaxed) == w->framesSeen)
        return;  // nothing new to count
    HistogramRead(w);
}

// The height of column x of a plot width columns wide: the fullest of the bins it covers.
int ColumnTop(const int (&bars)[256], int x, int width) {
    const int first = x * 256 / width, end = std::max(first + 1, (x + 1) * 256 / width);
    int top = 0;
    for (int bin = first; bin < end && bin < 256; ++bin) top = std::max(top, bars[bin]);
    return top;
}

// One curve as a polyline over the plot, a point per column.
void DrawCurve(HDC dc, const RECT& plot, const int (&bars)[256], COLORREF colour) {
    const int width = plot.right - plot.left;
    if (width <= 0) return;
    std::unique_ptr<POINT[]> points(new POINT[size_t(width)]);
    for (int x = 0; x < width; ++x) points[size_t(x)] = {plot.left + x, plot.bottom - 1 - ColumnTop(bars, x, width)};
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points.get(), width);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void FillRectColour(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void DrawHistogram(HistogramWnd* w, HDC dc, const RECT& all) {
    FillRectColour(dc, all, kBorder);
    RECT plot = {all.left + 1, all.top + 1, all.right - 1, all.bottom - 1};
    FillRectColour(dc, plot, kBackground);
    if (plot.right <= plot.left || plot.bottom <= plot.top) return;
    for (int q = 1; q < 4; ++q) {
        const int x = plot.left + (plot.right - plot.left) * q / 4;
        FillRectColour(dc, {x, plot.top, x + 1, plot.bottom}, kGrid);
    }
    if (!w->valid) return;
    const FrameHistogram& h = w->histogram;
    const int plotW = plot.right - plot.left, plotH = plot.bottom - plot.top;
    int bars[256];
    HistogramBars(h.luma, plotH, bars);
    for (int x = 0; x < plotW; ++x) {
        const int top = ColumnTop(bars, x, plotW);
        if (top > 0) FillRectColour(dc, {plot.left + x, plot.bottom - top, plot.left + x + 1, plot.bottom}, kLuma);
    }
    if (w->channels) {
        const uint32_t (*curves[3])[256] = {&h.red, &h.green, &h.blue};
        for (int c = 0; c < 3; ++c) {
            HistogramBars(*curves[c], plotH, bars);
            DrawCurve(dc, plot, bars, kChannelColours[c]);
        }
    }
    const int mark = MulDiv(4, GetDeviceCaps(dc, LOGPIXELSX), 96);
    if (ShadowsClipped(h)) FillRectColour(dc, {plot.left, plot.top, plot.left + mark, plot.bottom}, kShadowMark);
    if (HighlightsClipped(h)) FillRectColour(dc, {plot.right - mark, plot.top, plot.right, plot.bottom}, kHighlightMark);
}

// Drawn in a memory bitmap first: the view repaints four times a second and must not flicker.
void HistogramOnPaint(HistogramWnd* w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w->hwnd, &ps);
    RECT rc;
    GetClientRect(w->hwnd, &rc);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
    if (mem && bitmap) {
        HGDIOBJ old = SelectObject(mem, bitmap);
        DrawHistogram(w, mem, rc);
        BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
    } else {
        DrawHistogram(w, dc, rc);
    }
    if (bitmap) DeleteObject(bitmap);
    if (mem) DeleteDC(mem);
    EndPaint(w->hwnd, &ps);
}

LRESULT CALLBACK HistogramProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created = new HistogramWnd;
        created->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    HistogramWnd* w = FromHwnd(hwnd);
    if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        SetTimer(hwnd, kTimer, kPeriodMs, nullptr);
        return 0;
    case WM_TIMER:
        if (wp == kTimer) HistogramOnTimer(w);
        return 0;
    case WM_PAINT:
        HistogramOnPaint(w);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers everything
    case WM_DESTROY:
        KillTimer(hwnd, kTimer);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete w;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterHistogramClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = HistogramProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kHistogramClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateHistogramView(HWND parent, int id) {
    return CreateWindowExW(0, kHistogramClass, L"", WS_CHILD, 0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
}

void HistogramViewShowChannels(HWND view, bool on) {
    if (HistogramWnd* w = view ? FromHwnd(view) : nullptr) {
        w->channels = on;
        InvalidateRect(view, nullptr, FALSE);
    }
}

bool HistogramViewUpdate(HWND view) {
    HistogramWnd* w = view ? FromHwnd(view) : nullptr;
    return w && HistogramRead(w);
}

bool HistogramViewGet(HWND view, FrameHistogram* out) {
    HistogramWnd* w = view ? FromHwnd(view) : nullptr;
    if (!w || !w->valid) return false;
    *out = w->histogram;
    return true;
}
