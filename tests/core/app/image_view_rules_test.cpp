// The image view's rules: which file a path shows, the scale table, the scroll bars it needs,
// centring and dragging, with the examples of a 640 x 480 and a 2592 x 1944 photo.
#include "app/image_view_rules.h"

#include <gtest/gtest.h>

#include "view/view_geometry.h"

namespace {

// A video shows its cover with the badge: the one saved first under either photo extension, so a
// change of the photo format since the recording does not lose it.
TEST(ImageViewRules, VideosShowTheirCoverWithTheBadge) {
    struct Case { const wchar_t* path; int64_t jpgAt, pngAt; const wchar_t* file; bool badge; };
    const Case cases[] = {
        {L"C:\\v\\20230322-142501-007.avi", 5, -1, L"C:\\v\\20230322-142501-007.jpg", true},
        {L"C:\\v\\CLIP.AVI", -1, 5, L"C:\\v\\CLIP.png", true},
        {L"C:\\v\\clip.aVi", 7, 3, L"C:\\v\\clip.png", true},  // saved first
        {L"C:\\v\\clip.avi", 3, 7, L"C:\\v\\clip.jpg", true},
        {L"C:\\v\\clip.avi", -1, -1, L"C:\\v\\clip.jpg", true},  // none: nothing will load
        {L"C:\\v\\photo.jpg", 1, 1, L"C:\\v\\photo.jpg", false},
        {L"avi", 1, 1, L"", false},
        {L"C:\\", 1, 1, L"", false},
        {L"", 1, 1, L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "path of " << wcslen(c.path) << ", covers at " << c.jpgAt << " " << c.pngAt);
        ImageSource s = ImageSourceFor(c.path, [&](const std::wstring& f) {
            return f.size() > 3 && f.substr(f.size() - 3) == L"png" ? c.pngAt : c.jpgAt;
        });
        EXPECT_EQ(s.file, c.file);
        EXPECT_EQ(s.videoBadge, c.badge);
    }
    auto onlyTif = [](const std::wstring& f) { return f.substr(f.size() - 3) == L"tif" ? int64_t(1) : int64_t(-1); };
    EXPECT_EQ(ImageSourceFor(L"C:\\v\\clip.avi", onlyTif).file, L"C:\\v\\clip.tif");
}

TEST(ImageViewRules, ScaleTable) {
    struct Case { int size, scale, scaled; };
    const Case cases[] = {
        {1000, 15, 150}, {999, 15, 149}, {640, 25, 160}, {642, 25, 160}, {481, 50, 240}, {641, 75, 480},
        {641, 125, 801}, {641, 150, 961}, {641, 175, 1121}, {641, 200, 1282}, {641, 100, 641}, {641, 30, 641},
    };
    for (const Case& c : cases) EXPECT_EQ(ScaledExtent(c.size, c.scale), c.scaled) << c.size << " at " << c.scale;
}

TEST(ImageViewRules, SmallPhotoIsCentredOnGroundBands) {
    // 640 x 480 at 25 in 200 x 150: 160 x 120, drawn at (20, 15) with bands of 20 and 15.
    int w = ScaledExtent(640, 25), h = ScaledExtent(480, 25);
    ImageBars bars = ImageViewBars(true, w, h, 200, 150, false, false, 17, 17);
    EXPECT_FALSE(bars.hBar || bars.vBar);
    BlitSpan bx = BlitAxis(bars.hBar, 0, w, 200), by = BlitAxis(bars.vBar, 0, h, 150);
    EXPECT_EQ(bx.dst, 20);
    EXPECT_EQ(by.dst, 15);
    StripSpan sx = Strips(w, 200), sy = Strips(h, 150);
    EXPECT_EQ(sx.before, 20);
    EXPECT_EQ(200 - sx.after, 20);
    EXPECT_EQ(sy.before, 15);
    EXPECT_EQ(150 - sy.after, 15);
}

TEST(ImageViewRules, LargePhotoStartsCentredAndFollowsTheDrag) {
    // 2592 x 1944 at 100 in a 300 x 225 view without bars.
    ImageBars bars = ImageViewBars(false, 2592, 1944, 300, 225, false, false, 17, 17);
    EXPECT_FALSE(bars.hBar || bars.vBar);
    int x = CentredScroll(2592, bars.clientW), y = CentredScroll(1944, bars.clientH);
    EXPECT_EQ(x, 1146);
    EXPECT_EQ(y, 859);
    EXPECT_TRUE(PanImage(x, y, 10, 0, 2592, 1944, 300, 225));  // dragged 10 pixels right
    EXPECT_EQ(x, 1136);
    EXPECT_EQ(y, 859);
    EXPECT_FALSE(PanImage(x, y, 0, 0, 2592, 1944, 300, 225));
    // Only axes where the picture is larger pan, and never past its edges.
    int sx = 0, sy = 0;
    EXPECT_FALSE(PanImage(sx, sy, 50, 50, 160, 120, 200, 150));
    EXPECT_TRUE(PanImage(sx, sy, -5000, 40, 400, 100, 300, 225));
    EXPECT_EQ(sx, 100);
    EXPECT_EQ(sy, 0);
}

TEST(ImageViewRules, ScrollBarsNeeded) {
    struct Case {
        const char* name;
        bool styles;
        int scaledW, scaledH, clientW, clientH;
        bool hShown, vShown;
        bool h, v;
        int availW, availH;
    };
    const Case cases[] = {
        {"no bar styles", false, 1000, 1000, 100, 100, false, false, false, false, 100, 100},
        {"fits", true, 100, 100, 100, 100, false, false, false, false, 100, 100},
        {"wider", true, 200, 50, 100, 100, false, false, true, false, 100, 83},
        {"taller", true, 50, 200, 100, 100, false, false, false, true, 83, 100},
        {"wider, then too tall for the rest", true, 150, 90, 100, 100, false, false, true, true, 83, 83},
        {"taller, then too wide for the rest", true, 90, 150, 100, 100, false, false, true, true, 83, 83},
        {"bars shown count back", true, 95, 95, 83, 83, true, true, false, false, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageBars b = ImageViewBars(c.styles, c.scaledW, c.scaledH, c.clientW, c.clientH, c.hShown, c.vShown, 17, 17);
        EXPECT_EQ(b.hBar, c.h);
        EXPECT_EQ(b.vBar, c.v);
        EXPECT_EQ(b.clientW, c.availW);
        EXPECT_EQ(b.clientH, c.availH);
    }
    // A shown bar's range: page min(extent / 3, 50), the thumb reaching scaled - client.
    BarRange r = ScrollBarRange(2592, 300);
    EXPECT_EQ(r.page, 50);
    EXPECT_EQ(r.max - r.page + 1, 2592 - 300);
    EXPECT_EQ(ScrollBarRange(400, 90).page, 30);
}

// The play triangle is a mark on the screen: its size follows the display scale, its centre
// the scaled picture.
TEST(ImageViewRules, PlayBadgeFollowsTheDisplayScale) {
    struct Case { int dpi, half, tall; } cases[] = {{96, 7, 10}, {120, 9, 13}, {144, 11, 15}, {192, 14, 20}};
    for (const Case& c : cases) {
        PlayBadge b = PlayBadgeAt(160, 121, c.dpi);
        EXPECT_EQ(b.corners[0].x, 80 - c.half) << c.dpi;
        EXPECT_EQ(b.corners[0].y, 60 - c.tall) << c.dpi;
        EXPECT_EQ(b.corners[1].x, 80 - c.half) << c.dpi;
        EXPECT_EQ(b.corners[1].y, 60 + c.tall) << c.dpi;
        EXPECT_EQ(b.corners[2].x, 80 + c.half) << c.dpi;
        EXPECT_EQ(b.corners[2].y, 60) << c.dpi;
    }
}

}  // namespace
