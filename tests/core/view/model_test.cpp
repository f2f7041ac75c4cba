// The measurement model driven like the camera view drives it: presses, moves and releases in
// client coordinates, tool and text commands, deleting, and the calibration line's drag.
#include <gtest/gtest.h>

#include <functional>

#include "recording_surface.h"

namespace {

struct Model : ::testing::Test {
    MeasurementStateData st;
    FakeHost host;

    void Drag(int tool, ShapePoint from, ShapePoint to) {
        SetTool(st, host, tool);
        PressAt(st, host, from.x, from.y);
        MoveTo(st, host, to.x, to.y, true);
        Release(st, host);
    }
    void Line(ShapePoint from, ShapePoint to) { Drag(kToolLine, from, to); }
};

TEST_F(Model, ToImageCentresSmallImagesAndAddsTheScroll) {
    ShapePoint p;
    MeasureViewInfo v{640, 480, 800, 600, 0, 0, 100, 0};
    EXPECT_TRUE(ToImage(v, 80, 60, &p));
    EXPECT_EQ(p, (ShapePoint{0, 0}));
    EXPECT_FALSE(ToImage(v, 79, 60, &p));
    EXPECT_FALSE(ToImage(v, 720, 100, &p));
    MeasureViewInfo big{1920, 1080, 800, 600, 300, 200, 100, 0};
    EXPECT_TRUE(ToImage(big, 10, 20, &p));
    EXPECT_EQ(p, (ShapePoint{310, 220}));
    EXPECT_FALSE(ToImage(big, 65535, 20, &p));  // captured mouse left of the window
}

TEST_F(Model, LineIsDrawnCommittedAndKeepsTheLastPointInside) {
    SetTool(st, host, kToolLine);
    PressAt(st, host, 100, 100);
    EXPECT_EQ(host.captures, 1);
    EXPECT_TRUE(st.pressActive);
    MoveTo(st, host, 200, 150, true);
    MoveTo(st, host, 9000, 150, true);  // outside: dropped
    EXPECT_EQ(st.pending.p2, (ShapePoint{200, 150}));
    Release(st, host);
    ASSERT_EQ(st.shapes.size(), 1u);
    EXPECT_EQ(st.shapes[0].kind, kToolLine);
    EXPECT_EQ(st.shapes[0].p1, (ShapePoint{100, 100}));
    EXPECT_EQ(st.shapes[0].p2, (ShapePoint{200, 150}));
    EXPECT_EQ(st.shapes[0].hitBoxes[1], (HitBox{195, 145, 205, 155}));
    EXPECT_FALSE(st.pressActive);

    // A press outside the image starts nothing; a click without dragging still commits.
    PressAt(st, host, 700, 10);
    EXPECT_FALSE(st.pressActive);
    PressAt(st, host, 30, 30);
    Release(st, host);
    ASSERT_EQ(st.shapes.size(), 2u);
    EXPECT_EQ(st.shapes[1].p1, st.shapes[1].p2);
}

// At a larger display scale the ends are easier to grab, but the shape and its measure stay in
// image pixels.
TEST_F(Model, HitDistancesFollowTheDisplayScaleMeasuresDoNot) {
    struct Case { int dpi, near; } cases[] = {{96, 5}, {120, 6}, {144, 8}, {192, 10}};
    for (const Case& c : cases) {
        st = MeasurementStateData{};
        host.dpi = c.dpi;
        Line({100, 100}, {200, 150});
        ASSERT_EQ(st.shapes.size(), 1u);
        EXPECT_EQ(st.shapes[0].hitBoxes[1], (HitBox{200 - c.near, 150 - c.near, 200 + c.near, 150 + c.near})) << c.dpi;
        EXPECT_NEAR(LineLength(st.shapes[0], 1.0f), 111.803f, 0.001f) << c.dpi;  // hypot(100, 50)
    }
}

TEST_F(Model, ToolsDrawAtAnyRatioInImagePixelsButNotUnderZoom) {
    host.view.ratio = 200;
    host.view.displayW = 1280;
    host.view.displayH = 960;
    Line({20, 20}, {100, 60});
    ASSERT_EQ(st.shapes.size(), 1u);
    EXPECT_EQ(st.shapes[0].p2, (ShapePoint{50, 30}));
    st.shapes.clear();
    host.view = FakeHost{}.view;
    host.view.zoom = 2;
    PressAt(st, host, 10, 10);
    Release(st, host);
    EXPECT_TRUE(st.shapes.empty());
}

TEST_F(Model, ThreePointToolsRunTheirStages) {
    for (int tool : {kToolParallel, kToolConcentric, kToolAngle}) {
        st = MeasurementStateData{};
        SetTool(st, host, tool);
        PressAt(st, host, 100, 100);
        EXPECT_EQ(st.pending.p3.x, -1);
        MoveTo(st, host, 200, 100, true);
        Release(st, host);
        EXPECT_EQ(st.stage, tool);
        EXPECT_TRUE(st.shapes.empty());
        MoveTo(st, host, 150, 180, false);  // the third point follows the mouse
        MoveTo(st, host, 5000, 5000, false);
        EXPECT_EQ(st.pending.p3, (ShapePoint{150, 180}));
        host.view.ratio = 80;  // the committing press may come at any ratio, anywhere
        PressAt(st, host, 9999, 9999);
        host.view.ratio = 100;
        EXPECT_EQ(st.stage, 0);
        ASSERT_EQ(st.shapes.size(), 1u) << tool;
        EXPECT_EQ(st.shapes[0].p3, (ShapePoint{150, 180}));
        EXPECT_FALSE(st.pressActive);
    }
    // Choosing another tool while the third point follows drops the pending shape.
    SetTool(st, host, kToolAngle);
    PressAt(st, host, 10, 10);
    MoveTo(st, host, 60, 10, true);
    Release(st, host);
    SetTool(st, host, kToolLine);
    EXPECT_EQ(st.stage, 0);
    EXPECT_EQ(st.pending.p3.x, -1);
    EXPECT_EQ(st.pending.p1, (ShapePoint{0, 0}));
    EXPECT_EQ(st.shapes.size(), 1u);
}

TEST_F(Model, PencilRecordsEveryMoveInside) {
    SetTool(st, host, kToolPencil);
    PressAt(st, host, 10, 10);
    MoveTo(st, host, 11, 10, true);
    MoveTo(st, host, 11, 10, true);
    MoveTo(st, host, 700, 10, true);
    MoveTo(st, host, 12, 12, true);
    Release(st, host);
    ASSERT_EQ(st.shapes.size(), 1u);
    EXPECT_EQ(st.shapes[0].points.size(), 4u);
    EXPECT_EQ(st.shapes[0].hitBoxes[1], (HitBox{7, 7, 17, 17}));
}

TEST_F(Model, HitBoxesPerKind) {
    MeasureShape r;
    r.kind = kToolRectangle;
    r.p1 = {10, 20};
    r.p2 = {100, 200};
    ComputeHitBoxes(r, host, L"");
    EXPECT_EQ(r.hitBoxes[2], (HitBox{5, 195, 15, 205}));
    EXPECT_EQ(r.hitBoxes[3], (HitBox{95, 15, 105, 25}));
    MeasureShape a = r;
    a.kind = kToolAngle;
    a.p3 = {50, 60};
    ComputeHitBoxes(a, host, L"");
    EXPECT_EQ(a.hitBoxes[2], (HitBox{46, 56, 54, 64}));
    EXPECT_TRUE(a.hitBoxes[3].Empty());
    a.kind = kToolConcentric;
    ComputeHitBoxes(a, host, L"");
    EXPECT_EQ(a.hitBoxes[1], (HitBox{45, 55, 55, 65}));
    MeasureShape t;
    t.kind = kToolText;
    t.p1 = {5, 6};
    ComputeHitBoxes(t, host, L"abc");
    EXPECT_EQ(t.hitBoxes[0], (HitBox{5, 6, 5 + 3 * kCharW + 4, 6 + kTextH + 4}));
    MeasureShape p;
    p.kind = kToolPencil;
    p.points = {{1, 1}};
    ComputeHitBoxes(p, host, L"");
    for (const HitBox& b : p.hitBoxes) EXPECT_TRUE(b.Empty());
}

TEST_F(Model, SelectingTakesTheLowestIndexAndEmptyPressPans) {
    Line({100, 100}, {300, 100});
    Line({102, 102}, {300, 300});  // its first box overlaps the first line's
    SetTool(st, host, kToolNone);
    PressAt(st, host, 101, 101);
    EXPECT_EQ(st.selected, 0);
    EXPECT_EQ(st.dragTarget.kind, DragKind::Shape);
    EXPECT_EQ(st.dragTarget.index, 0);
    Release(st, host);
    EXPECT_EQ(st.dragTarget.kind, DragKind::None);

    PressAt(st, host, 500, 400);
    EXPECT_EQ(st.selected, -1);
    EXPECT_TRUE(st.pressActive);
    MoveTo(st, host, 490, 380, true);
    MoveTo(st, host, 495, 385, true);
    EXPECT_EQ(host.pans, 2);
    EXPECT_EQ(host.panX, -5);
    EXPECT_EQ(host.panY, -15);
    Release(st, host);
    EXPECT_FALSE(st.pressActive);
    EXPECT_EQ(st.shapes.size(), 2u);

    // Hovering with the button up follows the hit boxes; outside the image it keeps its value.
    MoveTo(st, host, 300, 300, false);
    EXPECT_EQ(st.hovered, 1);
    MoveTo(st, host, 9000, 9000, false);
    EXPECT_EQ(st.hovered, 1);
    MoveTo(st, host, 400, 400, false);
    EXPECT_EQ(st.hovered, -1);
}

TEST_F(Model, GrabbedShapeMovesAsAWhole) {
    Drag(kToolAngle, {100, 100}, {200, 100});
    MoveTo(st, host, 120, 150, false);
    PressAt(st, host, 0, 0);
    Drag(kToolPencil, {300, 300}, {310, 320});
    SetTool(st, host, kToolNone);
    PressAt(st, host, 198, 101);  // the angle's second box
    ASSERT_EQ(st.selected, 0);
    MoveTo(st, host, 208, 96, true);
    Release(st, host);
    MoveTo(st, host, 300, 300, true);  // released: no longer moves
    const MeasureShape& a = st.shapes[0];
    EXPECT_EQ(a.p1, (ShapePoint{110, 95}));
    EXPECT_EQ(a.p2, (ShapePoint{210, 95}));
    EXPECT_EQ(a.p3, (ShapePoint{130, 145}));
    EXPECT_EQ(a.hitBoxes[2], (HitBox{126, 141, 134, 149}));

    PressAt(st, host, 310, 320);  // the stroke's last point
    ASSERT_EQ(st.selected, 1);
    MoveTo(st, host, 300, 330, true);
    EXPECT_EQ(st.shapes[1].points.front(), (ShapePoint{290, 310}));
    EXPECT_EQ(st.shapes[1].points.back(), (ShapePoint{300, 330}));
    Release(st, host);

    // A parallel committed before its third point was placed stays without one when moved.
    Drag(kToolParallel, {400, 100}, {500, 100});
    PressAt(st, host, 0, 0);  // commits at once: no move after the release
    ASSERT_EQ(st.shapes.size(), 3u);
    SetTool(st, host, kToolNone);
    PressAt(st, host, 400, 100);
    ASSERT_EQ(st.selected, 2);
    MoveTo(st, host, 430, 140, true);
    Release(st, host);
    EXPECT_EQ(st.shapes[2].p1, (ShapePoint{430, 140}));
    EXPECT_EQ(st.shapes[2].p3.x, -1);
}

TEST_F(Model, DeleteBookkeepingOfSelectedAndHovered) {
    for (int i = 0; i < 4; ++i) Line({10, 10 + 50 * i}, {100, 10 + 50 * i});
    SetTool(st, host, kToolNone);
    st.selected = 1;
    st.hovered = 2;
    DeleteSelected(st, host);
    EXPECT_EQ(st.shapes.size(), 3u);
    EXPECT_EQ(st.selected, -1);
    EXPECT_EQ(st.hovered, 2);  // same index, now the following shape
    EXPECT_EQ(st.shapes[1].p1.y, 110);
    st.selected = st.hovered = 1;
    DeleteSelected(st, host);
    EXPECT_EQ(st.hovered, -1);
    DeleteSelected(st, host);  // nothing selected: nothing happens
    EXPECT_EQ(st.shapes.size(), 2u);

    st.selected = 1;
    st.hovered = 0;
    DeleteLast(st, host);
    EXPECT_EQ(st.selected, -1);
    EXPECT_EQ(st.hovered, 0);
    DeleteAll(st, host);
    EXPECT_TRUE(st.shapes.empty());
    EXPECT_EQ(st.hovered, -1);
    DeleteLast(st, host);  // empty list: harmless
    EXPECT_GE(host.invalidates, 4);
}

TEST_F(Model, DeletingNeverLeavesTheGrabOnAMissingOrShiftedShape) {
    for (int i = 0; i < 3; ++i) Line({10, 10 + 50 * i}, {100, 10 + 50 * i});
    SetTool(st, host, kToolNone);

    // Delete during a drag removes exactly the grabbed shape and ends the grab.
    PressAt(st, host, 10, 60);
    ASSERT_EQ(st.selected, 1);
    DeleteSelected(st, host);
    EXPECT_EQ(st.dragTarget.kind, DragKind::None);
    MoveTo(st, host, 30, 80, true);
    EXPECT_EQ(st.shapes[1].p1, (ShapePoint{10, 110}));  // the next shape did not move
    Release(st, host);

    // Grab the last shape, then delete an earlier one: the grab follows its shape.
    PressAt(st, host, 10, 110);
    ASSERT_EQ(st.dragTarget.index, 1);
    st.selected = 0;
    DeleteSelected(st, host);
    EXPECT_EQ(st.dragTarget.index, 0);
    MoveTo(st, host, 20, 110, true);
    EXPECT_EQ(st.shapes[0].p1, (ShapePoint{20, 110}));

    // Delete-last and delete-all while a shape is held.
    DeleteLast(st, host);
    EXPECT_EQ(st.dragTarget.kind, DragKind::None);
    Line({10, 10}, {100, 10});
    SetTool(st, host, kToolNone);
    PressAt(st, host, 10, 10);
    DeleteAll(st, host);
    EXPECT_EQ(st.dragTarget.kind, DragKind::None);
    MoveTo(st, host, 50, 50, true);  // nothing to move, nothing breaks

    Line({10, 10}, {100, 10});
    SetTool(st, host, kToolNone);
    PressAt(st, host, 10, 10);
    ClearAll(st);
    EXPECT_EQ(st.dragTarget.kind, DragKind::None);
    EXPECT_EQ(st.selected, -1);
}

TEST_F(Model, TextAnnotation) {
    SetTool(st, host, kToolText);
    host.view.scrollY = 20;
    TextInput(st, host, "Init");
    EXPECT_EQ(st.stage, kToolText);
    EXPECT_EQ(st.pending.kind, kToolText);
    EXPECT_EQ(st.pending.p1, (ShapePoint{640 / 2 - 100, 158}));

    // "OK" with an empty text adds nothing; the prompt is never stored.
    TextInput(st, host, L"OK");
    EXPECT_TRUE(st.shapes.empty());

    // The pending text can be dragged inside its box (its size follows the prompt while empty).
    PressAt(st, host, 221, 139);
    EXPECT_EQ(st.dragTarget.kind, DragKind::Pending);
    MoveTo(st, host, 231, 149, true);
    Release(st, host);
    EXPECT_EQ(st.pending.p1, (ShapePoint{230, 168}));

    std::wstring longText(400, L'x');
    SetPendingText(st, host, longText.c_str());
    EXPECT_EQ(std::wcslen(st.pending.text), static_cast<size_t>(kMaxShapeText));
    SetPendingText(st, host, L"note");
    TextInput(st, host, L"OK");
    ASSERT_EQ(st.shapes.size(), 1u);
    EXPECT_STREQ(st.shapes[0].text, L"note");
    EXPECT_EQ(st.shapes[0].hitBoxes[0], (HitBox{230, 168, 230 + 4 * kCharW + 4, 168 + kTextH + 4}));
    TextInput(st, host, L"Cancel");
    TextInput(st, host, static_cast<const wchar_t*>(nullptr));
    TextInput(st, host, "OKAY-and-more");
    EXPECT_EQ(st.shapes.size(), 1u);
}

TEST_F(Model, CalibrationLineDrag) {
    host.line = {300, 170, 470, false, false};
    const int cy = 240;
    SetTool(st, host, kToolLine);
    // Hover over the left end: hot flag and a composition.
    MoveTo(st, host, 171, cy, false);
    EXPECT_TRUE(host.line.leftHot);
    int composes = host.composes;
    MoveTo(st, host, 171, cy + 1, false);
    EXPECT_EQ(host.composes, composes);  // no change, no composition

    PressAt(st, host, 170, cy);
    EXPECT_EQ(st.tool, kToolCalibLeft);
    EXPECT_TRUE(host.captured);
    EXPECT_TRUE(st.shapes.empty());
    MoveTo(st, host, 200, cy + 100, true);
    EXPECT_EQ(host.line.left, 200);
    EXPECT_EQ(host.line.length, 270);
    MoveTo(st, host, 300, cy, true);  // would leave 170 < 200 pixels: refused
    EXPECT_EQ(host.line.left, 200);
    EXPECT_EQ(host.line.length, 270);
    Release(st, host);
    EXPECT_EQ(st.tool, kToolNone);
    EXPECT_FALSE(st.pressActive);

    PressAt(st, host, 469, cy - 59);
    EXPECT_EQ(st.tool, kToolCalibRight);
    MoveTo(st, host, 639, cy, true);  // right would reach x = W: refused
    EXPECT_EQ(host.line.right, 470);
    MoveTo(st, host, 638, cy, true);
    EXPECT_EQ(host.line.right, 639);
    EXPECT_EQ(host.line.length, 300 - 30 + 169);
    MoveTo(st, host, 640 + 80, cy, true);  // outside the image: nothing
    EXPECT_EQ(host.line.right, 639);
    Release(st, host);

    // The right zone wins where both ends' zones hold the point.
    host.line = {2, 100, 102, false, false};
    PressAt(st, host, 101, cy);
    EXPECT_EQ(st.tool, kToolCalibRight);
    Release(st, host);
    // The left end never reaches x = 0.
    host.line = {400, 10, 410, false, false};
    PressAt(st, host, 10, cy);
    MoveTo(st, host, 0, cy, true);
    EXPECT_EQ(host.line.left, 10);
}

// Every drag holds the mouse while the button is down and ends when the button is found up
// (a move without it) or the view loses the mouse; after that no move drags.
TEST_F(Model, DragsHoldTheMouseAndEndWithoutTheButton) {
    struct Case {
        const char* name;
        std::function<void(Model&)> grab;      // the press that starts the drag
        std::function<int(Model&)> position;   // what the drag moves
    } cases[] = {
        {"shape",
         [](Model& m) {
             m.Line({100, 100}, {300, 100});
             SetTool(m.st, m.host, kToolNone);
             PressAt(m.st, m.host, 100, 100);
         },
         [](Model& m) { return m.st.shapes[0].p1.x; }},
        {"text",
         [](Model& m) {
             SetTool(m.st, m.host, kToolText);
             TextInput(m.st, m.host, "Init");
             PressAt(m.st, m.host, 221, 139);
         },
         [](Model& m) { return m.st.pending.p1.x; }},
        {"line end", [](Model& m) { m.host.line = {300, 170, 470, false, false}; PressAt(m.st, m.host, 170, 240); },
         [](Model& m) { return m.host.line.left; }},
        {"pan", [](Model& m) { SetTool(m.st, m.host, kToolNone); PressAt(m.st, m.host, 500, 400); },
         [](Model& m) { return m.host.panX; }},
    };
    for (const Case& c : cases) {
        for (bool lostMouse : {false, true}) {
            st = MeasurementStateData{};
            host = FakeHost{};
            c.grab(*this);
            EXPECT_TRUE(host.captured) << c.name;
            const int before = c.position(*this);
            MoveTo(st, host, 200, 230, true);
            const int moved = c.position(*this);
            EXPECT_NE(moved, before) << c.name;
            if (lostMouse)
                CancelPress(st, host);
            else
                MoveTo(st, host, 210, 240, false);  // the button went up unheard
            EXPECT_FALSE(host.captured) << c.name;
            MoveTo(st, host, 250, 260, true);
            EXPECT_EQ(c.position(*this), moved) << c.name << (lostMouse ? ", mouse lost" : ", button up");
        }
    }
}

TEST_F(Model, LosingTheMouseDropsAShapeBeingDrawn) {
    SetTool(st, host, kToolLine);
    PressAt(st, host, 100, 100);
    MoveTo(st, host, 200, 150, true);
    CancelPress(st, host);
    EXPECT_FALSE(st.pressActive);
    EXPECT_FALSE(host.captured);
    Release(st, host);
    EXPECT_TRUE(st.shapes.empty());
}

}  // namespace
