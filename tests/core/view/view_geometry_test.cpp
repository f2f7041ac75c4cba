#include "view/dib_rows.h"
#include "view/view_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ViewGeometry Picture(int w, int h) {
    ViewGeometry g;
    g.frameW = g.imageW = g.displayW = w;
    g.frameH = g.imageH = g.displayH = h;
    return g;
}

TEST(ViewRatio, FitExamples) {
    struct Case { int cw, ch, w, h, want; } cases[] = {
        {960, 700, 1920, 1080, 50},   // width-limited, exactly 50
        {1600, 1200, 640, 480, 200},  // 250 clamps to 200
        {1055, 648, 1920, 1080, 54},  // 0.5494.. -> 54
        {800, 600, 2592, 1944, 50},   // below 50 clamps up
        {1000, 1000, 1280, 720, 78},  // 0.78125 -> 78
        {500, 500, 0, 0, 200},        // no picture: unbounded quotient
    };
    for (auto& c : cases) EXPECT_EQ(FitRatio(c.cw, c.ch, c.w, c.h), c.want) << c.cw << "x" << c.ch;
}

TEST(ViewRatio, FittedPictureNeverNeedsABar) {
    // Client areas of a maximised 1366 x 768 window at 96, 144 and 192 dpi, a small window, and
    // odd sizes: the fitted display always fits, and no bar is needed.
    struct Case { int cw, ch, w, h, want; } cases[] = {
        {1053, 714, 1920, 1080, 54},  // 96 dpi: as FitRatio
        {928, 678, 1920, 1080, 48},   // 144 dpi: below 50 rather than a bar
        {808, 582, 1920, 1080, 42},   // 192 dpi
        {300, 200, 2592, 1944, 10},   // 0.1029.. -> 10
        {5, 5, 2592, 1944, 1},        // never below 1
        {500, 500, 0, 0, 200},        // no picture
    };
    for (auto& c : cases) {
        EXPECT_EQ(FittedRatio(c.cw, c.ch, c.w, c.h), c.want) << c.cw << "x" << c.ch;
        ViewGeometry g = Picture(c.w, c.h);
        ApplyRatio(g, 0, c.cw, c.ch);
        BarLayout b = ComputeBars(g, c.cw, c.ch, 17, 17);
        if (c.w > 0 && c.want > 1) {
            EXPECT_FALSE(b.hNeeded || b.vNeeded) << c.cw << "x" << c.ch;
        }
    }
}

TEST(ViewRatio, ApplyRatioSetsDisplaySizeAndFitFlag) {
    ViewGeometry g = Picture(1920, 1080);
    EXPECT_TRUE(ApplyRatio(g, 0, 960, 700));
    EXPECT_TRUE(g.fit);
    EXPECT_EQ(g.ratio, 50);
    EXPECT_EQ(g.displayW, 960);
    EXPECT_EQ(g.displayH, 540);

    // The same ratio again only touches the fit flag.
    EXPECT_FALSE(ApplyRatio(g, 50, 960, 700));
    EXPECT_FALSE(g.fit);
    EXPECT_FALSE(ApplyRatio(g, 250, 960, 700));
    EXPECT_TRUE(g.fit);

    EXPECT_TRUE(ApplyRatio(g, 133, 960, 700));
    EXPECT_FALSE(g.fit);
    EXPECT_EQ(g.displayW, DisplaySize(1920, 133));
    EXPECT_EQ(g.displayW, 2553);  // 1920 * 1.33f = 2553.6 truncated
    EXPECT_EQ(g.displayH, 1436);
}

TEST(ViewScrollBars, BarsNeededAndTheRoomLeft) {
    struct Case {
        const char* what;
        int w, h;
        bool shown;  // both bars shown now
        int cw, ch;
        bool hNeeded, vNeeded;
        int availW, availH;
    } cases[] = {
        {"a picture smaller than the client needs no bars", 640, 480, false, 1055, 648, false, false, 1055, 648},
        // Client 1048 x 648 with both bars shown: 1065 x 665 once they are gone.
        {"bars shown now are given back before deciding", 1060, 660, true, 1048, 648, false, false, 1065, 665},
        {"wide enough only without a vertical bar: too tall, so both", 1050, 2000, false, 1055, 648, true, true, 1038,
         631},
        {"the horizontal bar takes height, which then needs the vertical", 2000, 640, false, 1055, 648, true, true,
         1038, 631},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ViewGeometry g = Picture(c.w, c.h);
        g.hBar = g.vBar = c.shown;
        BarLayout b = ComputeBars(g, c.cw, c.ch, 17, 17);
        EXPECT_EQ(b.hNeeded, c.hNeeded);
        EXPECT_EQ(b.vNeeded, c.vNeeded);
        EXPECT_EQ(b.availW, c.availW);
        EXPECT_EQ(b.availH, c.availH);
    }
}

TEST(ViewScrollBars, RangeReachesExactlyDisplayMinusAvailable) {
    struct Case { int display, avail, page, max; } cases[] = {
        {1920, 1038, 50, 931},  // page capped at 50
        {700, 120, 40, 619},    // page = avail / 3
    };
    for (auto& c : cases) {
        BarRange r = ScrollBarRange(c.display, c.avail);
        EXPECT_EQ(r.min, 0);
        EXPECT_EQ(r.page, c.page);
        EXPECT_EQ(r.max, c.max);
        // Largest position the platform lets the thumb reach: max - page + 1.
        int reach = r.max - r.page + 1;
        EXPECT_EQ(reach, c.display - c.avail);
    }
}

TEST(ViewScrolling, RequestsMoveAndClamp) {
    const int display = 1920, client = 1000;  // largest position 920
    struct Case { int request, thumb, from, want; } cases[] = {
        {kScrollLineForward, 0, 100, 105},
        {kScrollLineBack, 0, 100, 95},
        {kScrollLineBack, 0, 3, 0},
        {kScrollPageForward, 0, 100, 150},
        {kScrollPageForward, 0, 900, 920},
        {kScrollPageBack, 0, 30, 0},
        {kScrollThumbTrack, 432, 0, 432},
        {kScrollThumbPosition, 5000, 0, 920},
        {kScrollToStart, 0, 700, 0},
        {kScrollToEnd, 0, 0, 920},
        {8 /* end scroll */, 0, 321, 321},
    };
    for (auto& c : cases)
        EXPECT_EQ(ScrollTo(c.request, c.thumb, c.from, display, client), c.want) << c.request;
    // A display narrower than the client area pins the position at 0.
    EXPECT_EQ(ScrollTo(kScrollToEnd, 0, 0, 640, 1000), 0);
    // Steps and the bar's page grow with the display scale: 200 % doubles them.
    EXPECT_EQ(ScrollTo(kScrollLineForward, 0, 100, display, client, 192), 110);
    EXPECT_EQ(ScrollTo(kScrollPageBack, 0, 300, display, client, 144), 225);
    EXPECT_EQ(ScrollBarRange(display, client, 192).page, 100);
}

TEST(ViewPanning, ClampsToDisplayMinusClientPerDirection) {
    ViewGeometry g = Picture(1920, 480);  // wider, not taller than 1000 x 600
    g.scrollX = 100;
    EXPECT_TRUE(Pan(g, 30, 50, 1000, 600));
    EXPECT_EQ(g.scrollX, 70);
    EXPECT_EQ(g.scrollY, 0);
    EXPECT_TRUE(Pan(g, 500, 0, 1000, 600));
    EXPECT_EQ(g.scrollX, 0);
    EXPECT_FALSE(Pan(g, 10, 0, 1000, 600));
    EXPECT_TRUE(Pan(g, -5000, 0, 1000, 600));
    EXPECT_EQ(g.scrollX, 920);

    ViewGeometry small = Picture(640, 480);
    EXPECT_FALSE(Pan(small, -100, -100, 1000, 600));
    EXPECT_EQ(small.scrollX, 0);
    EXPECT_EQ(small.scrollY, 0);
}

TEST(ViewLayout, CentresOnTheImageSize) {
    ViewGeometry g = Picture(1920, 1080);
    CentreResult c = CentreScroll(g, 1000, 1200);
    EXPECT_TRUE(c.x);
    EXPECT_FALSE(c.y);
    EXPECT_EQ(g.scrollX, 460);
    EXPECT_EQ(g.scrollY, 0);
}

TEST(ViewZoom, CropsTenPercentPerStepHalfOnEachSide) {
    struct Case { int fw, fh, n; CropRect want; } cases[] = {
        {640, 480, 1, {32, 24, 576, 432}},
        {640, 480, 5, {160, 120, 320, 240}},
        {1280, 960, 3, {192, 144, 896, 672}},
        {645, 485, 1, {32, 24, 580, 436}},  // 64.5 and 48.5 round away from zero: 65 and 49
        {15, 5, 1, {1, 0, 13, 4}},          // 1.5 -> 2, 0.5 -> 1
    };
    for (auto& c : cases) {
        CropRect r = ZoomCrop(c.fw, c.fh, c.n);
        EXPECT_EQ(r.x, c.want.x) << c.fw << " n" << c.n;
        EXPECT_EQ(r.y, c.want.y);
        EXPECT_EQ(r.width, c.want.width);
        EXPECT_EQ(r.height, c.want.height);
    }
    int z = 0;
    int seen[7];
    for (int& s : seen) s = z = NextZoom(z);
    EXPECT_EQ(seen[0], 1);
    EXPECT_EQ(seen[4], 5);
    EXPECT_EQ(seen[5], 0);
    EXPECT_EQ(seen[6], 1);
}

// Where a click lands in the frame: centred and scrolled pictures, other ratios, the zoom crop,
// a picture scaled up from a smaller frame, the vertical flip, and points off the picture.
TEST(ViewPoints, ClientPointToFramePixel) {
    ViewGeometry centred = Picture(640, 480);  // in a 1000 x 600 client: offset (180, 60)
    ViewGeometry scrolled = Picture(1920, 1080);
    scrolled.hBar = scrolled.vBar = true;
    scrolled.scrollX = 100;
    scrolled.scrollY = 50;
    ViewGeometry zoomed = Picture(1000, 500);
    zoomed.zoom = 2;  // shows (100, 50) to (900, 450) over 1000 x 500
    ViewGeometry scaledUp = Picture(640, 480);  // interpolated, or at ratio 200
    scaledUp.displayW = 1280;
    scaledUp.displayH = 960;
    struct Case { const ViewGeometry* g; int cw, ch; bool flip; int cx, cy, fx, fy; } cases[] = {
        {&centred, 1000, 600, false, 180, 60, 0, 0},     {&centred, 1000, 600, false, 819, 539, 639, 479},
        {&centred, 1000, 600, false, 0, 0, 0, 0},        {&centred, 1000, 600, true, 180, 60, 0, 479},
        {&scrolled, 800, 600, false, 10, 20, 110, 70},
        {&zoomed, 1000, 500, false, 0, 0, 100, 50},      {&zoomed, 1000, 500, false, 500, 250, 500, 250},
        {&scaledUp, 1280, 960, false, 1279, 959, 639, 479},
    };
    for (const Case& c : cases) {
        FramePoint p;
        ASSERT_TRUE(ClientToFrame(*c.g, c.cw, c.ch, c.flip, c.cx, c.cy, &p));
        EXPECT_EQ(p.x, c.fx) << &c - cases;
        EXPECT_EQ(p.y, c.fy) << &c - cases;
    }
    FramePoint p;
    EXPECT_FALSE(ClientToFrame(ViewGeometry{}, 100, 100, false, 5, 5, &p));
}

TEST(ViewPainting, GreyStripsAndCentredCopy) {
    StripSpan s = Strips(640, 1055);
    EXPECT_TRUE(s.any);
    EXPECT_EQ(s.before, 207);
    EXPECT_EQ(s.after, 847);
    EXPECT_FALSE(Strips(1055, 1055).any);
    EXPECT_FALSE(Strips(1920, 1055).any);

    BlitSpan centred = BlitAxis(false, 0, 640, 1055);
    EXPECT_EQ(centred.src, 0);
    EXPECT_EQ(centred.dst, 207);
    EXPECT_EQ(centred.length, 640);
    BlitSpan scrolled = BlitAxis(true, 300, 1920, 1038);
    EXPECT_EQ(scrolled.src, 300);
    EXPECT_EQ(scrolled.dst, 0);
    EXPECT_EQ(scrolled.length, 1038);
}

}  // namespace

TEST(DibRows, RowsAreWholeWordsAndHoldTheFrameRowsUnshifted) {
    EXPECT_EQ(DibRowBytes(640), 1920u);
    EXPECT_EQ(DibRowBytes(642), 1928u);
    EXPECT_EQ(DibRowBytes(1), 4u);
    EXPECT_EQ(DibRowBytes(0), 0u);
    const int w = 3, h = 2;  // 9-byte rows become 12-byte rows
    std::vector<uint8_t> frame(w * h * 3);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i + 1);
    std::vector<uint8_t> dib(DibRowBytes(w) * h, 0xEE);
    CopyToDibRows(frame.data(), w, h, dib.data());
    const std::vector<uint8_t> want = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    EXPECT_EQ(dib, want);
}
