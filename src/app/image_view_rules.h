// Rules of the image view (ImageWndClass) as plain functions: which file a path shows, the
// scale table, which scroll bars the scaled picture needs, centring at load and panning.
// Scrolling by request, the ground bands and where the picture lands are the camera view's
// rules (view/view_geometry.h) and are used from there.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// What the view loads for a path: a video (a path ending in "avi", any letter case) shows its
// cover picture, saved under the same name with the extension of the photo format set when it
// was recorded, with the play badge. savedAt(path) tells when a file was written (any
// increasing count), or -1 when there is none: the cover is the one saved first under any of the
// photo formats' extensions, jpg, png or tif (the jpg one when there is none). Any other path (a
// photo of any format) shows itself. A path of 3 characters or fewer shows nothing (empty file).
struct ImageSource {
    std::wstring file;
    bool videoBadge = false;
};
ImageSource ImageSourceFor(std::wstring_view path, const std::function<int64_t(const std::wstring&)>& savedAt);

// The view's scales in percent; any other value shows the picture at its own size.
// 15 is computed in single precision and truncated, the others in integer arithmetic.
int ScaledExtent(int size, int scale);

// Which bars the view shows and the client size left for the picture. A view created without
// scroll-bar styles never shows any; with them, a bar is needed when the scaled picture exceeds
// the client size the view would have without bars (a needed vertical bar can make the
// horizontal one needed too).
struct ImageBars {
    bool hBar = false, vBar = false;
    int clientW = 0, clientH = 0;  // client size once the bars are shown or hidden
};
// clientW and clientH are the current client size, which excludes the bars shown now.
ImageBars ImageViewBars(bool hasBarStyles, int scaledW, int scaledH, int clientW, int clientH, bool hShown,
                        bool vShown, int vBarWidth, int hBarHeight);

// The play triangle on a video's cover, centred on the scaled picture: corners (cx - 7, cy - 10),
// (cx - 7, cy + 10), (cx + 7, cy) at 96 dpi, its size scaled with the display (dpi) because it is
// a mark on the screen, not part of the picture; cx, cy are half the scaled width and height.
struct BadgePoint {
    int x = 0, y = 0;
};
struct PlayBadge {
    BadgePoint corners[3];
};
PlayBadge PlayBadgeAt(int scaledW, int scaledH, int dpi);

// The scroll position at load: centred on every axis where the scaled picture exceeds the
// client extent, else 0.
int CentredScroll(int scaled, int client);

// One drag step by (dx, dy) client pixels: the picture follows the mouse on each axis where it
// exceeds the client extent. Returns true when a position changed.
bool PanImage(int& scrollX, int& scrollY, int dx, int dy, int scaledW, int scaledH, int clientW, int clientH);
