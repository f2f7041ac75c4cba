// Geometry of the camera view: display ratio and fit, display size, scroll bars, scrolling,
// panning, the digital-zoom crop and where the picture lands in the window. Pure arithmetic,
// shared by the window code and the tests. User-interface thread only.
#pragma once
#include "app/display_scale.h"

constexpr int kMinRatio = 50;
constexpr int kMaxRatio = 200;
constexpr int kMaxZoom = 5;

struct ViewGeometry {
    int frameW = 0, frameH = 0;      // display frame as delivered (height positive)
    int imageW = 0, imageH = 0;      // chosen camera resolution; shape coordinates
    int displayW = 0, displayH = 0;  // image size at the display ratio
    int ratio = 100;                 // percent, 50..200
    bool fit = false;                // ratio chosen to fit the window
    int zoom = 0;                    // digital zoom step 0..5
    int scrollX = 0, scrollY = 0;    // in display pixels
    bool hBar = false, vBar = false; // scroll bars shown
};

// How much y must be stretched to match x's stretch of the frame into the image, so that shapes
// are measured in pixels of equal aspect: 4/3 for a 640 x 480 camera shown as 1920 x 1080, 1
// for an unstretched or evenly stretched picture (1280 x 960) and without a picture.
double EqualAspectYScale(const ViewGeometry& g);

// Truncation of size * (ratio / 100), in single precision.
int DisplaySize(int size, int ratio);

// Ratio that fits an imageW x imageH picture into the client area: truncation of
// 100 * min(clientH / imageH, clientW / imageW) in single precision, clamped to 50..200.
// Without a picture (a zero image size) the quotient is unbounded and the result is 200.
int FitRatio(int clientW, int clientH, int imageW, int imageH);

// Ratio of fit mode: FitRatio, except that a picture which does not fit at 50 goes below it (down
// to 1), so that a fitted picture never needs a scroll bar, whatever the window size and the
// display scale (the toolbars and the panel grow with it and leave the view less room). The
// result's display size never exceeds the client area (single-precision truncation checked).
int FittedRatio(int clientW, int clientH, int imageW, int imageH);

// The ratio command with value r (outside 50..200 asks for fit, see FittedRatio). Returns true when the ratio
// changed; then the display size is recomputed and the caller frees its composition surface,
// lays out and repaints. The fit flag is set or cleared in every case.
bool ApplyRatio(ViewGeometry& g, int r, int clientW, int clientH);

// Centres the scroll position on the image (the view's own size messages): uses the image
// size, not the display size. Returns which coordinates were set.
struct CentreResult { bool x = false, y = false; };
CentreResult CentreScroll(ViewGeometry& g, int clientW, int clientH);

// Which scroll bars the display needs, given the client size (which excludes the bars shown
// now) and the thickness of each bar.
struct BarLayout {
    bool hNeeded = false, vNeeded = false;
    int availW = 0, availH = 0;  // client size once the needed bars are shown
};
BarLayout ComputeBars(const ViewGeometry& g, int clientW, int clientH, int vBarWidth, int hBarHeight);

// Range of one shown bar: minimum 0, page min(avail / 3, 50), maximum display + page - avail - 1,
// so the largest reachable position is display - avail. The 50 is pixels at 96 dpi.
struct BarRange { int min = 0, max = 0, page = 0; };
BarRange ScrollBarRange(int display, int avail, int dpi = kBaseDpi);

// Clamp of a scroll position to 0 .. display - avail (0 when the display fits).
int ClampScroll(int pos, int display, int avail);

// Scroll requests, numbered as the platform's scroll-bar codes.
enum ScrollRequest {
    kScrollLineBack = 0,
    kScrollLineForward = 1,
    kScrollPageBack = 2,
    kScrollPageForward = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5,
    kScrollToStart = 6,
    kScrollToEnd = 7,
};
constexpr int kScrollLineStep = 5;
constexpr int kScrollPageStep = 50;

// New position for a scroll request: lines 5, pages 50 (pixels at 96 dpi, grown with the display
// scale), thumb from the message, start 0, end display - client; others keep the position.
// Clamped to 0 .. display - client.
int ScrollTo(int request, int thumbPos, int pos, int display, int client, int dpi = kBaseDpi);

// Panning by (dx, dy) client pixels: only in directions where the display is larger than the
// client area, and not at all when it is larger in neither. Returns true when a position changed.
bool Pan(ViewGeometry& g, int dx, int dy, int clientW, int clientH);

// The frame region shown at zoom step n > 0: a = roundf(fw * 0.1 * n), c = roundf(fh * 0.1 * n)
// in single precision; the region (a/2, c/2, fw - a, fh - c).
struct CropRect { int x = 0, y = 0, width = 0, height = 0; };
CropRect ZoomCrop(int frameW, int frameH, int zoom);

// Next step of the zoom button: 0 -> 1 -> ... -> 5 -> 0.
inline int NextZoom(int zoom) { return zoom >= kMaxZoom || zoom < 0 ? 0 : zoom + 1; }

// Where the composition surface goes in the window, along one axis: with the bar shown from
// surface position scroll to window 0 over the client extent; without it from surface 0 to the
// centring offset (client - display) / 2 over the display extent.
struct BlitSpan { int src = 0, dst = 0, length = 0; };
BlitSpan BlitAxis(bool barShown, int scroll, int display, int client);

// The frame pixel drawn at client point (cx, cy), at any ratio, scroll position and zoom step,
// rows counted as the frame holds them (bottom-up in the window while flipped vertically). A
// point off the picture gives the nearest frame pixel. False without a picture.
struct FramePoint { int x = 0, y = 0; };
bool ClientToFrame(const ViewGeometry& g, int clientW, int clientH, bool flippedVertically, int cx, int cy,
                   FramePoint* out);

// The grey strips beside a picture narrower (or lower) than the client area, along one axis:
// [0, before) and [after, client). Both empty when the display fills the axis.
struct StripSpan { int before = 0, after = 0; bool any = false; };
StripSpan Strips(int display, int client);

// The full-screen button in the view's bottom-right corner: 40 x 40 pixels, its top-left 60
// pixels in from the right and bottom edges at 96 dpi, scaled with the display; its icon 32 x 32.
struct CornerButtonPlace { int x = 0, y = 0, size = 0, icon = 0; };
CornerButtonPlace CornerButtonAt(int clientW, int clientH, int dpi);
