// Rules of the image view (see image_view_rules.h).
#include "app/image_view_rules.h"

#include "app/display_scale.h"
#include "media/media_names.h"
#include "view/view_geometry.h"

ImageSource ImageSourceFor(std::wstring_view path, const std::function<int64_t(const std::wstring&)>& savedAt) {
    ImageSource source;
    if (path.size() <= 3) return source;
    std::wstring_view ext = path.substr(path.size() - 3);
    auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; };
    if (lower(ext[0]) == L'a' && lower(ext[1]) == L'v' && lower(ext[2]) == L'i') {
        // The photo format may have changed since the recording: its cover is looked for under
        // every format's extension.
        source.file = VideoCoverPath(path, L"jpg");
        int64_t first = -1;
        for (const wchar_t* photoExt : {L"jpg", L"png", L"tif"}) {
            const std::wstring cover = VideoCoverPath(path, photoExt);
            const int64_t at = savedAt(cover);
            if (at >= 0 && (first < 0 || at < first)) {
                first = at;
                source.file = cover;
            }
        }
        source.videoBadge = true;
    } else {
        source.file = path;
    }
    return source;
}

int ScaledExtent(int size, int scale) {
    switch (scale) {
    case 15: return int(float(size) * 0.15f);
    case 25: return size / 4;
    case 50: return size / 2;
    case 75: return size * 3 / 4;
    case 125: return size * 5 / 4;
    case 150: return size * 3 / 2;
    case 175: return size * 7 / 4;
    case 200: return size * 2;
    default: return size;
    }
}

ImageBars ImageViewBars(bool hasBarStyles, int scaledW, int scaledH, int clientW, int clientH, bool hShown,
                        bool vShown, int vBarWidth, int hBarHeight) {
    ImageBars b;
    if (!hasBarStyles) {
        b.clientW = clientW;
        b.clientH = clientH;
        return b;
    }
    ViewGeometry g;
    g.displayW = scaledW;
    g.displayH = scaledH;
    g.hBar = hShown;
    g.vBar = vShown;
    BarLayout layout = ComputeBars(g, clientW, clientH, vBarWidth, hBarHeight);
    b.hBar = layout.hNeeded;
    b.vBar = layout.vNeeded;
    b.clientW = layout.availW;
    b.clientH = layout.availH;
    return b;
}

PlayBadge PlayBadgeAt(int scaledW, int scaledH, int dpi) {
    const int cx = scaledW / 2, cy = scaledH / 2, half = ScalePx(7, dpi), tall = ScalePx(10, dpi);
    return {{{cx - half, cy - tall}, {cx - half, cy + tall}, {cx + half, cy}}};
}

int CentredScroll(int scaled, int client) { return scaled > client ? (scaled - client) / 2 : 0; }

bool PanImage(int& scrollX, int& scrollY, int dx, int dy, int scaledW, int scaledH, int clientW, int clientH) {
    ViewGeometry g;
    g.displayW = scaledW;
    g.displayH = scaledH;
    g.scrollX = scrollX;
    g.scrollY = scrollY;
    bool changed = Pan(g, dx, dy, clientW, clientH);
    scrollX = g.scrollX;
    scrollY = g.scrollY;
    return changed;
}
