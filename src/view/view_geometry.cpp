// Camera view geometry (see view_geometry.h).
#include "view/view_geometry.h"

#include "app/display_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

int DisplaySize(int size, int ratio) {
    float v = float(size) * (float(ratio) / 100.0f);
    return int(v);  // truncation toward zero
}

int FitRatio(int clientW, int clientH, int imageW, int imageH) {
    // A zero image size divides by zero: the quotient is unbounded (or undefined), which the
    // clamp turns into the largest ratio rather than an undefined conversion.
    float qh = imageH > 0 ? float(clientH) / float(imageH) : INFINITY;
    float qw = imageW > 0 ? float(clientW) / float(imageW) : INFINITY;
    float r = 100.0f * std::min(qh, qw);
    if (std::isnan(r) || r >= float(kMaxRatio)) return kMaxRatio;
    if (r <= float(kMinRatio)) return kMinRatio;
    return int(r);
}

int FittedRatio(int clientW, int clientH, int imageW, int imageH) {
    int r = FitRatio(clientW, clientH, imageW, imageH);
    if (r > kMinRatio || imageW <= 0 || imageH <= 0) return r;
    if (clientW <= 0 || clientH <= 0) return 1;
    float q = 100.0f * std::min(float(clientH) / float(imageH), float(clientW) / float(imageW));
    r = std::max(1, std::min(kMinRatio, int(q)));
    while (r > 1 && (DisplaySize(imageW, r) > clientW || DisplaySize(imageH, r) > clientH)) --r;
    return r;
}

bool ApplyRatio(ViewGeometry& g, int r, int clientW, int clientH) {
    if (r < kMinRatio || r > kMaxRatio) {
        g.fit = true;
        r = FittedRatio(clientW, clientH, g.imageW, g.imageH);
    } else {
        g.fit = false;
    }
    if (r == g.ratio) return false;
    g.ratio = r;
    g.displayW = DisplaySize(g.imageW, r);
    g.displayH = DisplaySize(g.imageH, r);
    return true;
}

CentreResult CentreScroll(ViewGeometry& g, int clientW, int clientH) {
    CentreResult c;
    if (g.imageW > clientW) { g.scrollX = (g.imageW - clientW) / 2; c.x = true; }
    if (g.imageH > clientH) { g.scrollY = (g.imageH - clientH) / 2; c.y = true; }
    return c;
}

BarLayout ComputeBars(const ViewGeometry& g, int clientW, int clientH, int vBarWidth, int hBarHeight) {
    BarLayout b;
    b.availW = clientW + (g.vBar ? vBarWidth : 0);
    b.availH = clientH + (g.hBar ? hBarHeight : 0);
    b.hNeeded = b.availW < g.displayW;
    if (b.hNeeded) b.availH -= hBarHeight;
    b.vNeeded = b.availH < g.displayH;
    if (b.vNeeded) {
        b.availW -= vBarWidth;
        if (!b.hNeeded && b.availW < g.displayW) {
            b.hNeeded = true;
            b.availH -= hBarHeight;
        }
    }
    return b;
}

BarRange ScrollBarRange(int display, int avail, int dpi) {
    BarRange r;
    r.page = std::min(avail / 3, ScalePx(50, dpi));
    r.max = display + r.page - avail - 1;
    return r;
}

int ClampScroll(int pos, int display, int avail) {
    return std::max(0, std::min(pos, display - avail));
}

int ScrollTo(int request, int thumbPos, int pos, int display, int client, int dpi) {
    const int line = ScalePx(kScrollLineStep, dpi), page = ScalePx(kScrollPageStep, dpi);
    switch (request) {
    case kScrollLineBack: pos -= line; break;
    case kScrollLineForward: pos += line; break;
    case kScrollPageBack: pos -= page; break;
    case kScrollPageForward: pos += page; break;
    case kScrollThumbPosition:
    case kScrollThumbTrack: pos = thumbPos; break;
    case kScrollToStart: pos = 0; break;
    case kScrollToEnd: pos = display - client; break;
    default: break;
    }
    return ClampScroll(pos, display, client);
}

bool Pan(ViewGeometry& g, int dx, int dy, int clientW, int clientH) {
    bool wider = g.displayW > clientW, taller = g.displayH > clientH;
    if (!wider && !taller) return false;
    bool changed = false;
    if (wider) {
        int x = ClampScroll(g.scrollX - dx, g.displayW, clientW);
        changed |= x != g.scrollX;
        g.scrollX = x;
    }
    if (taller) {
        int y = ClampScroll(g.scrollY - dy, g.displayH, clientH);
        changed |= y != g.scrollY;
        g.scrollY = y;
    }
    return changed;
}

CropRect ZoomCrop(int frameW, int frameH, int zoom) {
    CropRect r;
    float n = float(zoom);
    int a = int(std::roundf(float(frameW) * 0.1f * n));
    int c = int(std::roundf(float(frameH) * 0.1f * n));
    r.x = a / 2;
    r.y = c / 2;
    r.width = frameW - a;
    r.height = frameH - c;
    return r;
}

BlitSpan BlitAxis(bool barShown, int scroll, int display, int client) {
    BlitSpan s;
    if (barShown) {
        s.src = scroll;
        s.dst = 0;
        s.length = client;
    } else {
        s.src = 0;
        s.dst = (client - display) / 2;
        s.length = display;
    }
    return s;
}

bool ClientToFrame(const ViewGeometry& g, int clientW, int clientH, bool flippedVertically, int cx, int cy,
                   FramePoint* out) {
    if (g.frameW <= 0 || g.frameH <= 0 || g.displayW <= 0 || g.displayH <= 0) return false;
    const CropRect shown = g.zoom > 0 ? ZoomCrop(g.frameW, g.frameH, g.zoom) : CropRect{0, 0, g.frameW, g.frameH};
    const BlitSpan bx = BlitAxis(g.hBar, g.scrollX, g.displayW, clientW);
    const BlitSpan by = BlitAxis(g.vBar, g.scrollY, g.displayH, clientH);
    auto along = [](int client, const BlitSpan& span, int display, int first, int extent) {
        const int64_t surface = std::clamp<int64_t>(int64_t(client) - span.dst + span.src, 0, display - 1);
        return first + int(surface * extent / display);
    };
    out->x = along(cx, bx, g.displayW, shown.x, shown.width);
    out->y = along(cy, by, g.displayH, shown.y, shown.height);
    if (flippedVertically) out->y = g.frameH - 1 - out->y;
    return true;
}

StripSpan Strips(int display, int client) {
    StripSpan s;
    if (display >= client) return s;
    s.any = true;
    s.before = (client - display) / 2;
    s.after = (client + display) / 2;
    return s;
}

double EqualAspectYScale(const ViewGeometry& g) {
    if (g.frameW <= 0 || g.frameH <= 0 || g.imageW <= 0 || g.imageH <= 0) return 1.0;
    const double across = static_cast<double>(g.imageW) * g.frameH, down = static_cast<double>(g.imageH) * g.frameW;
    return across == down ? 1.0 : across / down;
}

CornerButtonPlace CornerButtonAt(int clientW, int clientH, int dpi) {
    CornerButtonPlace c;
    const int inset = ScalePx(60, dpi);
    c.x = clientW - inset;
    c.y = clientH - inset;
    c.size = ScalePx(40, dpi);
    c.icon = ArtPx(32, ArtScaleFor(dpi));
    return c;
}
