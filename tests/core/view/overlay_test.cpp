// The overlay's geometry against a recording surface: ticks, labels and their flipping, frames,
// handles, circles, the crossline ruler, the calibration line and the drawing order.
#include <gtest/gtest.h>

#include "recording_surface.h"
#include "test_shapes.h"

namespace {

constexpr int W = 640, H = 480;

OverlayParams Params(float ppu = -1.0f) {
    OverlayParams op;
    op.imageW = W;
    op.imageH = H;
    op.ppu = ppu;
    op.lineWidth = 1;
    return op;
}

std::vector<Call> ThinLines(const RecordingSurface& s) {
    std::vector<Call> out;
    for (const Call& c : s.Of(Call::AaLine))
        if (c.pen == static_cast<int>(AaPen::Thin)) out.push_back(c);
    return out;
}

TEST(LineTicks, VerticalLineTicksAre64PixelsWhileDrawnAnd24WhenFinished) {
    MeasurementStateData st;
    st.tool = kToolLine;
    st.pressActive = true;
    st.pending = Shape(kToolLine, {100, 50}, {100, 300});
    RecordingSurface pending;
    DrawOverlay(pending, st, Params());
    auto ticks = ThinLines(pending);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0].a, 100 - 32);
    EXPECT_EQ(ticks[0].c, 100 + 32);
    EXPECT_EQ(ticks[0].b, 50);
    EXPECT_EQ(ticks[0].d, 50);
    EXPECT_EQ(ticks[1].b, 300);

    st.pressActive = false;
    st.shapes.push_back(st.pending);
    RecordingSurface finished;
    DrawOverlay(finished, st, Params());
    ticks = ThinLines(finished);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0].c - ticks[0].a, 24);
}

TEST(LineTicks, HorizontalAndSlantedLines) {
    RecordingSurface s;
    DrawShape(s, Shape(kToolLine, {10, 40}, {200, 40}), kToolLine, false, false, false, Params());
    auto t = ThinLines(s);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].a, 10);
    EXPECT_EQ(t[0].b, 28);
    EXPECT_EQ(t[0].d, 52);
    // 45 degrees: a = b = trunc(12 * 0.7071) = 8; tick (x - a, y + b)-(x + a, y - b).
    RecordingSurface d;
    DrawShape(d, Shape(kToolLine, {100, 100}, {200, 200}), kToolLine, false, false, false, Params());
    t = ThinLines(d);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(Box(t[0]), (Ints4{92, 108, 108, 92}));
}

TEST(Labels, NoLengthLabelsWithoutCalibrationButAnglesStayLabelled) {
    MeasurementStateData st;
    st.shapes = {Shape(kToolLine, {10, 10}, {100, 10}), Shape(kToolParallel, {10, 50}, {100, 50}, {40, 90}),
                 Shape(kToolRectangle, {10, 100}, {90, 150}), Shape(kToolCircle, {300, 300}, {330, 300}),
                 Shape(kToolConcentric, {400, 100}, {420, 100}, {440, 100}),
                 Shape(kToolAngle, {200, 200}, {300, 200}, {200, 100})};
    for (float ppu : {-1.0f, 0.0f}) {
        RecordingSurface s;
        DrawOverlay(s, st, Params(ppu));
        EXPECT_EQ(s.Texts(), std::vector<std::wstring>{L"90.000\u00B0"}) << ppu;
    }
    RecordingSurface cal;
    DrawOverlay(cal, st, Params(10.0f));
    EXPECT_NE(cal.FindText(L"9.00000mm"), nullptr);
    EXPECT_NE(cal.FindText(L"D:4.00000mm"), nullptr);
    EXPECT_NE(cal.FindText(L"8.00x5.00mm"), nullptr);
    EXPECT_NE(cal.FindText(L"S:40.00mm^2"), nullptr);
    EXPECT_NE(cal.FindText(L"R:3.00000mm"), nullptr);
    EXPECT_NE(cal.FindText(L"C:18.84954mm"), nullptr);
    EXPECT_NE(cal.FindText(L"R1:2.00000mm"), nullptr);
    EXPECT_NE(cal.FindText(L"R2:4.00000mm"), nullptr);
    EXPECT_NE(cal.FindText(L"90.000\u00B0"), nullptr);
}

TEST(Labels, MicrometreUnitAndSixtyFourCharacterBound) {
    OverlayParams op = Params(1e-30f);
    op.unit = 1;
    RecordingSurface s;
    DrawShape(s, Shape(kToolLine, {0, 0}, {0, 400}), kToolLine, false, false, false, op);
    auto texts = s.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_LE(texts[0].size(), 63u);
    op.ppu = 400.0f;
    RecordingSurface u;
    DrawShape(u, Shape(kToolLine, {0, 0}, {0, 400}), kToolLine, false, false, false, op);
    EXPECT_EQ(u.Texts(), std::vector<std::wstring>{L"1.00000\u03BCm"});
}

TEST(Labels, SingleLabelFlipsAtTheRightAndBottomEdges) {
    struct Case { int x, y, left, top; } cases[] = {
        {100, 100, 102, 102},             // room enough: right of and below the point
        {W - 20, 100, W - 20 - 2 - 70, 102},  // 70 pixels wide: flips left
        {100, H - 10, 102, H - 10 - 2 - kTextH},  // flips up
        {W - 1, H - 1, W - 1 - 2 - 70, H - 1 - 2 - kTextH},
    };
    for (const Case& c : cases) {
        RecordingSurface s;
        DrawLabel(s, L"0123456789", c.x, c.y, W, H);
        auto t = s.Of(Call::Text);
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(t[0].a, c.left) << c.x << "," << c.y;
        EXPECT_EQ(t[0].b, c.top) << c.x << "," << c.y;
        EXPECT_EQ(t[0].c - t[0].a, 70);
        EXPECT_EQ(t[0].d - t[0].b, kTextH);
    }
}

TEST(Labels, OffsetAndHandlesFollowTheDisplayScale) {
    struct Case { int dpi, offset, handle; } cases[] = {{96, 2, 5}, {144, 3, 8}, {192, 4, 10}};
    for (const Case& c : cases) {
        RecordingSurface s;
        s.dpi = c.dpi;
        DrawLabel(s, L"0123456789", 100, 100, W, H);
        ASSERT_EQ(s.Of(Call::Text).size(), 1u);
        EXPECT_EQ(s.Of(Call::Text)[0].a, 100 + c.offset) << c.dpi;
        MeasurementStateData st;
        st.shapes.push_back(Shape(kToolLine, {100, 100}, {300, 100}));
        st.selected = 0;
        RecordingSurface h;
        h.dpi = c.dpi;
        DrawOverlay(h, st, Params());
        auto fills = h.Of(Call::Fill);
        ASSERT_FALSE(fills.empty()) << c.dpi;
        EXPECT_EQ(fills[0].c - fills[0].a, 2 * c.handle) << c.dpi;
    }
}

TEST(Labels, BlockFlipsAsAWholeAndKeepsLineOneNearestThePoint) {
    RecordingSurface s;
    DrawLabelBlock(s, L"aaaa", L"bbbbbbbb", L"cc", 100, 100, W, H);
    auto t = s.Of(Call::Text);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].b, 102);
    EXPECT_EQ(t[1].b, 102 + kTextH);
    EXPECT_EQ(t[2].b, 102 + 2 * kTextH);
    for (const Call& c : t) EXPECT_EQ(c.a, 102);

    // Block height 15 + 16 + 16 = 47: at y = H - 40 it flips up; block width 56 flips it left.
    RecordingSurface f;
    DrawLabelBlock(f, L"aaaa", L"bbbbbbbb", L"cc", W - 50, H - 40, W, H);
    t = f.Of(Call::Text);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].b, H - 40 - 2 - kTextH);
    EXPECT_EQ(t[1].b, H - 40 - 2 - 2 * kTextH);
    EXPECT_EQ(t[2].b, H - 40 - 2 - 3 * kTextH);
    EXPECT_EQ(t[0].c, W - 52);  // each line ends 2 pixels left of the point
    EXPECT_EQ(t[1].c, W - 52);
    EXPECT_EQ(t[0].a, W - 52 - 28);

    // An empty third line still counts: two lines (31 high) fit at H - 36, three (47) do not.
    RecordingSurface two, three;
    DrawLabelBlock(two, L"a", L"b", nullptr, 10, H - 36, W, H);
    DrawLabelBlock(three, L"a", L"b", L"", 10, H - 36, W, H);
    EXPECT_EQ(two.Of(Call::Text)[0].b, H - 34);
    EXPECT_EQ(three.Of(Call::Text)[0].b, H - 36 - 2 - kTextH);
    EXPECT_EQ(three.Of(Call::Text).size(), 2u);  // the empty line prints nothing
}

// Every label stands on its backing: 2 pixels around a single label, one box around a block
// (flipped with it). Its colour is the scale bar's (ContrastingBacking).
TEST(Labels, BackingSitsBehindEachLabelAndBlock) {
    RecordingSurface s;
    DrawLabel(s, L"0123456789", 100, 100, W, H);
    DrawLabelBlock(s, L"aaaa", L"bbbbbbbb", L"cc", W - 50, H - 40, W, H);
    auto b = s.Of(Call::Backing);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(s.calls.front().kind, Call::Backing);  // before its text
    EXPECT_EQ(Box(b[0]), (Ints4{100, 100, 102 + 70 + 2, 102 + kTextH + 2}));
    EXPECT_EQ(Box(b[1]), (Ints4{W - 52 - 56 - 2, H - 42 - 47 - 2, W - 52 + 2, H - 42 + 2}));
}

// At another ratio shapes land on the display's pixels; text keeps its size and its box holds it.
TEST(Labels, ScaledSurfaceMapsImageToDisplayPixels) {
    for (double scale : {2.0, 0.5, 1.38}) {
        RecordingSurface display;
        ScaledSurface s(display, W, H, int(W * scale), int(H * scale));
        DrawShape(s, Shape(kToolLine, {100, 200}, {300, 200}), kToolLine, false, false, false, Params(10.0f));
        const Call line = display.Of(Call::AaLine)[0], text = display.Of(Call::Text)[0];
        EXPECT_EQ(Box(line), (Ints4{int(100 * scale + 0.5), int(200 * scale + 0.5), int(300 * scale + 0.5), int(200 * scale + 0.5)}));
        EXPECT_EQ(text.a, int(102 * scale + 0.5)) << scale;
        EXPECT_GE(text.c - text.a, int(text.text.size()) * kCharW) << scale;
    }
}

TEST(Shapes, RectangleFrameIsDoubledOnlyAboveWidthOne) {
    for (int width : {1, 2, 7}) {
        OverlayParams op = Params();
        op.lineWidth = width;
        RecordingSurface s;
        DrawShape(s, Shape(kToolRectangle, {200, 150}, {50, 40}), kToolRectangle, false, false, false, op);
        auto frames = s.Of(Call::Frame);
        ASSERT_EQ(frames.size(), width > 1 ? 2u : 1u) << width;
        EXPECT_EQ(Box(frames[0]), (Ints4{50, 40, 200, 150}));
        if (width > 1) {
            EXPECT_EQ(frames[1].a, 51);
            EXPECT_EQ(frames[1].d, 149);
        }
        EXPECT_TRUE(s.Of(Call::AaLine).empty());
    }
}

TEST(Shapes, HandlesAreFilledWhenSelectedFramedWhenHoveredAndClippedToTheImage) {
    MeasureShape line = Shape(kToolLine, {2, 3}, {W - 1, H - 2});
    RecordingSurface none, hov, sel;
    DrawShape(none, line, kToolLine, false, false, false, Params());
    DrawShape(hov, line, kToolLine, false, true, false, Params());
    DrawShape(sel, line, kToolLine, true, false, false, Params());
    EXPECT_TRUE(none.Of(Call::Frame).empty());
    EXPECT_TRUE(none.Of(Call::Fill).empty());
    ASSERT_EQ(hov.Of(Call::Frame).size(), 2u);
    auto fills = sel.Of(Call::Fill);
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(Box(fills[0]), (Ints4{0, 0, 7, 8}));
    EXPECT_EQ(fills[1].a, W - 6);
    EXPECT_EQ(fills[1].c, W);
    EXPECT_EQ(fills[1].d, H);
}

TEST(Shapes, CirclesAndConcentricCircles) {
    RecordingSurface s;
    DrawShape(s, Shape(kToolCircle, {100, 100}, {103, 104}), kToolCircle, false, false, false, Params());
    auto arcs = s.Of(Call::AaArc);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(arcs[0].a, 95);
    EXPECT_EQ(arcs[0].c, 10);
    EXPECT_EQ(arcs[0].d, 10);
    EXPECT_EQ(arcs[0].start, 0.0f);
    EXPECT_EQ(arcs[0].sweep, 360.0f);
    EXPECT_EQ(s.Of(Call::Frame).size(), 1u);  // the centre's handle is always there

    // Third point absent (x3 <= 0): one circle and the R1 label at p1.
    RecordingSurface one;
    DrawShape(one, Shape(kToolConcentric, {100, 100}, {120, 100}, {0, 40}), kToolConcentric, false, false, false,
              Params(10.0f));
    EXPECT_EQ(one.Of(Call::AaArc).size(), 1u);
    EXPECT_EQ(one.Texts(), std::vector<std::wstring>{L"R1:2.00000mm"});
    RecordingSurface two;
    DrawShape(two, Shape(kToolConcentric, {100, 100}, {120, 100}, {100, 150}), kToolConcentric, false, true,
              false, Params(10.0f));
    auto twoArcs = two.Of(Call::AaArc);
    ASSERT_EQ(twoArcs.size(), 2u);
    EXPECT_EQ(twoArcs[1].c, 100);
    auto line = two.Of(Call::AaLine);
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0].c, 100);
    EXPECT_EQ(line[0].d, 150);  // the radius line goes to the third point
    auto texts = two.Of(Call::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].a, 102);
    EXPECT_EQ(texts[0].b, 152);
}

TEST(Shapes, ParallelConstruction) {
    // Horizontal base: perpendicular straight down from p3, parallel of the base's length.
    RecordingSurface h;
    DrawShape(h, Shape(kToolParallel, {100, 100}, {201, 100}, {150, 160}), kToolParallel, false, false, false,
              Params());
    auto l = h.Of(Call::AaLine);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(Box(l[1]), (Ints4{150, 160, 150, 100}));
    EXPECT_EQ(l[2].a, 100);
    EXPECT_EQ(l[2].c, 200);
    // Slanted base (0,0)-(100,100), p3 (0,100): foot (50,50) with the thin pen; parallel centred on p3.
    RecordingSurface d;
    DrawShape(d, Shape(kToolParallel, {0, 0}, {100, 100}, {0, 100}), kToolParallel, false, false, false, Params());
    l = d.Of(Call::AaLine);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[1].pen, static_cast<int>(AaPen::Thin));
    EXPECT_NEAR(l[1].c, 50, 1);
    EXPECT_NEAR(l[1].d, 50, 1);
    EXPECT_EQ(l[2].pen, static_cast<int>(AaPen::Shape));
    EXPECT_EQ(Box(l[2]), (Ints4{-50, 50, 50, 150}));
}

TEST(Shapes, ParallelAndAngleWithoutThirdPointShowOnlyTheFirstLine) {
    for (int kind : {kToolParallel, kToolAngle}) {
        RecordingSurface s;
        DrawShape(s, Shape(kind, {10, 10}, {100, 40}, {-1, 70}), kind, false, false, false, Params(5.0f));
        EXPECT_EQ(s.Of(Call::AaLine).size(), 1u) << kind;
        EXPECT_TRUE(s.Texts().empty()) << kind;
    }
}

TEST(Shapes, PencilAndText) {
    MeasureShape p;
    p.kind = kToolPencil;
    p.points = {{1, 1}, {5, 5}, {9, 2}};
    RecordingSurface s;
    DrawShape(s, p, kToolPencil, false, true, false, Params());
    EXPECT_EQ(s.Of(Call::AaLine).size(), 2u);
    EXPECT_EQ(s.Of(Call::Frame).size(), 2u);

    MeasureShape t = Shape(kToolText, {50, 60}, {0, 0});
    RecordingSurface empty;
    OverlayParams op = Params();
    op.textPrompt = L"prompt";
    DrawShape(empty, t, kToolText, false, false, true, op);  // pending: framed, shows the prompt
    ASSERT_EQ(empty.Of(Call::Frame).size(), 1u);
    Call frame = empty.Of(Call::Frame)[0];
    EXPECT_EQ(Box(frame), (Ints4{52, 62, 50 + 6 * kCharW + 4, 60 + kTextH + 4}));
    EXPECT_EQ(empty.Texts(), std::vector<std::wstring>{L"prompt"});

    std::wcscpy(t.text, L"hello");
    RecordingSurface finished;
    DrawShape(finished, t, kToolText, false, false, false, op);
    EXPECT_TRUE(finished.Of(Call::Frame).empty());
    EXPECT_EQ(finished.Texts(), std::vector<std::wstring>{L"hello"});
}

TEST(Overlay, OrderSelectionAndPendingVisibility) {
    MeasurementStateData st;
    st.shapes = {Shape(kToolLine, {10, 10}, {50, 10}), Shape(kToolLine, {10, 100}, {50, 100})};
    st.selected = 1;
    st.hovered = 0;
    st.tool = kToolAngle;
    st.pending = Shape(kToolAngle, {300, 300}, {400, 300}, {300, 200});
    OverlayParams op = Params();
    op.crossline = true;

    RecordingSurface idle;
    DrawOverlay(idle, st, op);
    // Crossline first, then shape 0 (hovered: framed handles), then shape 1 (selected: filled).
    ASSERT_FALSE(idle.calls.empty());
    EXPECT_EQ(idle.calls[0].kind, Call::Line);
    EXPECT_EQ(idle.Of(Call::Frame).size(), 2u);
    EXPECT_EQ(idle.Of(Call::Fill).size(), 2u);
    EXPECT_TRUE(idle.Texts().empty());  // pending angle not shown at stage 0

    st.stage = kToolAngle;
    RecordingSurface third;
    DrawOverlay(third, st, op);
    EXPECT_EQ(third.Texts(), std::vector<std::wstring>{L"90.000\u00B0"});
    EXPECT_EQ(third.calls.back().kind, Call::Text);  // the pending shape comes last

    st.stage = 0;
    st.tool = kToolNone;
    st.pressActive = true;  // panning: nothing pending to draw
    RecordingSurface pan;
    DrawOverlay(pan, st, op);
    EXPECT_EQ(pan.calls.size(), idle.calls.size());
}

TEST(Crossline, UncalibratedTicksEveryTenPixels) {
    OverlayParams op = Params(-1.0f);
    op.crossline = true;
    MeasurementStateData st;
    RecordingSurface s;
    DrawOverlay(s, st, op);
    auto lines = s.Of(Call::Line);
    // Axes, then i < 24 on the vertical axis (2 x 23) and i < 32 on the horizontal one (2 x 31).
    ASSERT_EQ(lines.size(), 2u + 46u + 62u);
    EXPECT_EQ(lines[0].b, H / 2);
    EXPECT_EQ(lines[0].c, W);
    EXPECT_EQ(lines[1].a, W / 2);
    EXPECT_EQ(lines[2].a, W / 2 - 4);  // i = 1: short tick left of the axis
    EXPECT_EQ(lines[2].b, H / 2 - 10);
    EXPECT_EQ(lines[10].a, W / 2 - 9);  // i = 5: long tick
    EXPECT_EQ(lines[10].b, H / 2 - 50);
    EXPECT_TRUE(s.Texts().empty());
}

TEST(Crossline, CalibratedRulerAndItsLabel) {
    OverlayParams op = Params(20.0f);
    op.crossline = true;
    UpdateRulerStep(op.ruler, op.ppu);
    MeasurementStateData st;
    RecordingSurface s;
    DrawOverlay(s, st, op);
    auto texts = s.Of(Call::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, L"5.0mm");
    EXPECT_EQ(texts[0].a, W / 2 + 100 - 5 * kCharW / 2);
    EXPECT_EQ(texts[0].b, H / 2 + 2);
    auto lines = s.Of(Call::Line);
    // First major tick above the centre, then its minor ticks (i = 5 is 14 long).
    EXPECT_EQ(lines[2].b, H / 2 - 100);
    EXPECT_EQ(lines[2].c, W / 2 + 20);
    EXPECT_EQ(lines[3].b, H / 2 - 100 + 10);
    EXPECT_EQ(lines[3].c, W / 2 + 8);
    EXPECT_EQ(lines[7].c, W / 2 + 14);
    // Every tick stays inside the image.
    for (const Call& c : lines) {
        EXPECT_GE(c.b, 0);
        EXPECT_LT(c.d, H + 1);
    }
}

// On a picture stretched 3 x wide and 2.25 x high a step spans 100 columns but only 75 rows.
TEST(Crossline, VerticalStepFollowsAnUnevenStretch) {
    OverlayParams op = Params(20.0f);
    op.crossline = true;
    op.yScale = 4.0 / 3.0;
    UpdateRulerStep(op.ruler, op.ppu);
    MeasurementStateData st;
    RecordingSurface s;
    DrawOverlay(s, st, op);
    auto lines = s.Of(Call::Line);
    EXPECT_EQ(lines[2].b, H / 2 - 75);      // first major tick above the centre
    EXPECT_EQ(lines[3].b, H / 2 - 75 + 8);  // its first minor tick, 7.5 rows on
    bool across = false;
    for (const Call& c : lines) across |= c.a == W / 2 + 100 && c.b == H / 2 - 20;
    EXPECT_TRUE(across);
}

TEST(CalibrationLine, FreshLineIsCentredAndOnlyItIsDrawn) {
    MeasurementStateData st;
    st.shapes = {Shape(kToolLine, {10, 10}, {50, 10})};
    CalibrationLine line;
    line.freshRequested = true;
    OverlayParams op = Params(10.0f);
    op.crossline = true;
    op.calibLine = &line;
    RecordingSurface s;
    DrawOverlay(s, st, op);
    EXPECT_EQ(line.length, 300);  // W/3 = 213 is below 300
    EXPECT_EQ(line.left, 170);
    EXPECT_EQ(line.right, 470);
    EXPECT_TRUE(s.Of(Call::AaLine).empty());
    auto lines = s.Of(Call::Line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].pen, static_cast<int>(SolidPen::CalibThick));
    EXPECT_EQ(lines[1].b, H / 2 - 60);
    EXPECT_EQ(s.Texts(), std::vector<std::wstring>{L"300 pixels"});
    EXPECT_EQ(s.Of(Call::Text)[0].a, 174);
    EXPECT_TRUE(s.Of(Call::Polyline).empty());

    line.rightHot = true;
    RecordingSurface hot;
    op.imageW = 1920;
    line.freshRequested = true;
    DrawOverlay(hot, st, op);
    EXPECT_EQ(line.length, 640);
    auto arrows = hot.Of(Call::Polyline);
    ASSERT_EQ(arrows.size(), 4u);
    EXPECT_EQ(arrows[0].points[0].x, line.right - 4);
    EXPECT_EQ(arrows[0].points[1].x, line.right - 8);  // opens to the left, points at the bar
    EXPECT_EQ(arrows[1].points[1].x, line.right + 8);
}

// On a 3840-wide picture the reference may be dragged far beyond 2,000 pixels: a long line is the
// most exact calibration, and only the request for a fresh line lays it out anew.
TEST(CalibrationLine, ALongLineKeepsItsLengthAt3840Wide) {
    MeasurementStateData st;
    FakeHost host;
    host.view = MeasureViewInfo{3840, 2160, 3840, 2160, 0, 0, 100, 0};
    host.line.freshRequested = true;
    OverlayParams op = Params();
    op.imageW = 3840;
    op.imageH = 2160;
    op.calibLine = &host.line;
    RecordingSurface first;
    DrawOverlay(first, st, op);
    ASSERT_EQ(host.line.length, 1280);
    ASSERT_EQ(host.line.right, 2560);

    PressAt(st, host, 2560, 1080);
    MoveTo(st, host, 3800, 1080, true);
    Release(st, host);
    EXPECT_EQ(host.line.length, 2520);
    RecordingSurface next;
    DrawOverlay(next, st, op);
    EXPECT_EQ(host.line.length, 2520);
    EXPECT_EQ(host.line.right, 3800);
    EXPECT_NE(next.FindText(L"2520 pixels"), nullptr);
}

}  // namespace
