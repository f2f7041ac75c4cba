// Mouse, keyboard and command handling of the measurement model, and what each shape measures.
// Everything runs on the user-interface thread.
#include "view/measure_model.h"

#include "app/display_scale.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>

MeasurementStateData MeasurementState;

namespace {

bool IsThreePointTool(int32_t t) { return t == kToolParallel || t == kToolConcentric || t == kToolAngle; }

HitBox BoxAround(ShapePoint p, int r) { return {p.x - r, p.y - r, p.x + r, p.y + r}; }

void ResetPendingPoints(MeasureShape& pending) {
    pending.p1 = pending.p2 = ShapePoint{};
    pending.p3.x = -1;
    pending.thirdPlaced = false;
    pending.text[0] = 0;
    pending.points.clear();
}

// Keeps the grab and the two indexes consistent after shape `index` left the list.
void ForgetGrabOf(MeasurementStateData& s, int index) {
    if (s.dragTarget.kind != DragKind::Shape) return;
    if (s.dragTarget.index == index) {
        s.dragTarget = DragTarget{};
    } else if (s.dragTarget.index > index) {
        --s.dragTarget.index;
    }
}

MeasureShape* DragShape(MeasurementStateData& s) {
    switch (s.dragTarget.kind) {
    case DragKind::Pending:
        return &s.pending;
    case DragKind::Shape:
        if (s.dragTarget.index >= 0 && s.dragTarget.index < static_cast<int>(s.shapes.size()))
            return &s.shapes[s.dragTarget.index];
        return nullptr;
    default:
        return nullptr;
    }
}

bool InZone(int endX, int imageH, ShapePoint p) {
    HitBox zone{endX - 2, imageH / 2 - 60, endX + 2, imageH / 2 + 60};
    return zone.Contains(p.x, p.y);
}

void CalibrationPress(MeasurementStateData& s, MeasureHost& host, ShapePoint p) {
    CalibrationLine& line = host.CalibLine();
    int h = host.ViewInfo().imageH;
    s.lastPoint = p;
    s.pressActive = true;
    if (InZone(line.right, h, p)) {
        s.tool = kToolCalibRight;
    } else if (InZone(line.left, h, p)) {
        s.tool = kToolCalibLeft;
    } else {
        return;
    }
    host.CaptureMouse();
}

// Ends every drag (a grabbed shape or text, a held end of the calibration line, panning) where
// it is, without touching a shape being drawn. Releases the mouse after the state is cleared:
// the capture change that causes comes back here and finds nothing to end.
void EndDrags(MeasurementStateData& s, MeasureHost& host) {
    bool dragging = s.dragTarget.kind != DragKind::None;
    s.dragTarget = DragTarget{};
    if (s.tool == kToolCalibLeft || s.tool == kToolCalibRight) {
        s.tool = kToolNone;
        s.pressActive = false;
        dragging = true;
    } else if (s.tool == kToolNone && s.pressActive) {
        s.pressActive = false;  // panning
        dragging = true;
    }
    if (dragging) host.ReleaseMouse();
}

void CalibrationMove(MeasurementStateData& s, MeasureHost& host, int cx, int cy) {
    MeasureViewInfo view = host.ViewInfo();
    ShapePoint p;
    if (!ToImage(view, cx, cy, &p)) return;
    CalibrationLine& line = host.CalibLine();
    int dx = p.x - s.lastPoint.x;
    if (dx != 0 && s.tool == kToolCalibLeft) {
        if (line.left + dx > 0 && line.length - dx >= 200) {
            line.left += dx;
            line.length -= dx;
            s.lastPoint.x = p.x;
            host.ComposeNow();
            return;
        }
    } else if (dx != 0 && s.tool == kToolCalibRight) {
        if (line.right + dx < view.imageW && line.length + dx >= 200) {
            line.right += dx;
            line.length += dx;
            s.lastPoint.x = p.x;
            host.ComposeNow();
            return;
        }
    }
    bool leftHot = InZone(line.left, view.imageH, p);
    bool rightHot = InZone(line.right, view.imageH, p);
    if (leftHot != line.leftHot || rightHot != line.rightHot) {
        line.leftHot = leftHot;
        line.rightHot = rightHot;
        host.ComposeNow();
    }
}

bool WordIs(const wchar_t* word, const wchar_t* expected) { return word && std::wcscmp(word, expected) == 0; }

}  // namespace

bool ToImage(const MeasureViewInfo& view, int cx, int cy, ShapePoint* out) {
    // Client point -> display pixel (scrolled, or beside a centred picture) -> image pixel.
    auto along = [](int c, int scroll, int client, int display, int image) {
        if (display <= 0) display = image;
        int d = c + scroll;
        if (client > display) d -= (client - display) / 2;
        if (display == image) return d;
        return static_cast<int>(std::floor((d + 0.5) * image / display));
    };
    const int ix = along(cx, view.scrollX, view.clientW, view.displayW, view.imageW);
    const int iy = along(cy, view.scrollY, view.clientH, view.displayH, view.imageH);
    out->x = ix;
    out->y = iy;
    return 0 <= ix && ix < view.imageW && 0 <= iy && iy < view.imageH;
}

void ComputeHitBoxes(MeasureShape& shape, TextMeasurer& measurer, const wchar_t* textPrompt) {
    for (HitBox& b : shape.hitBoxes) b = HitBox{};
    const int dpi = measurer.Dpi();
    const int near = ScalePx(5, dpi), nearThird = ScalePx(4, dpi), pad = ScalePx(4, dpi);
    switch (shape.kind) {
    case kToolText: {
        const wchar_t* s = shape.text[0] ? shape.text : (textPrompt ? textPrompt : L"");
        TextExtent e = measurer.MeasureText(s, static_cast<int>(std::wcslen(s)));
        shape.hitBoxes[0] = {shape.p1.x, shape.p1.y, shape.p1.x + e.cx + pad, shape.p1.y + e.cy + pad};
        break;
    }
    case kToolPencil:
        if (shape.points.size() >= 2) {
            shape.hitBoxes[0] = BoxAround(shape.points.front(), near);
            shape.hitBoxes[1] = BoxAround(shape.points.back(), near);
        }
        break;
    default:
        shape.hitBoxes[0] = BoxAround(shape.p1, near);
        shape.hitBoxes[1] = BoxAround(shape.p2, near);
        if (shape.kind == kToolParallel || shape.kind == kToolAngle) {
            shape.hitBoxes[2] = BoxAround(shape.p3, nearThird);
        } else if (shape.kind == kToolConcentric) {
            shape.hitBoxes[1] = BoxAround(shape.p3, near);
        } else if (shape.kind == kToolRectangle) {
            shape.hitBoxes[2] = BoxAround({shape.p1.x, shape.p2.y}, near);
            shape.hitBoxes[3] = BoxAround({shape.p2.x, shape.p1.y}, near);
        }
        break;
    }
}

int HitTest(const MeasurementStateData& state, ShapePoint p) {
    for (size_t i = 0; i < state.shapes.size(); ++i) {
        for (const HitBox& b : state.shapes[i].hitBoxes) {
            if (b.Contains(p.x, p.y)) return static_cast<int>(i);
        }
    }
    return -1;
}

void CommitPending(MeasurementStateData& state, TextMeasurer& measurer, const wchar_t* textPrompt) {
    ComputeHitBoxes(state.pending, measurer, textPrompt);
    state.shapes.push_back(state.pending);
}

void MoveShape(MeasureShape& shape, ShapePoint lastPoint, ShapePoint q, TextMeasurer& measurer,
               const wchar_t* textPrompt) {
    int dx = q.x - lastPoint.x, dy = q.y - lastPoint.y;
    auto shift = [&](ShapePoint& p) { p.x += dx; p.y += dy; };
    switch (shape.kind) {
    case kToolLine:
    case kToolRectangle:
    case kToolCircle:
        shift(shape.p1);
        shift(shape.p2);
        break;
    case kToolParallel:
    case kToolConcentric:
    case kToolAngle:
        shift(shape.p1);
        shift(shape.p2);
        if (shape.thirdPlaced) shift(shape.p3);
        break;
    case kToolPencil:
        for (ShapePoint& p : shape.points) shift(p);
        break;
    case kToolText:
        shift(shape.p1);
        break;
    default:
        break;
    }
    ComputeHitBoxes(shape, measurer, textPrompt);
}

void PressAt(MeasurementStateData& s, MeasureHost& host, int cx, int cy) {
    // 1. The press after a three-point tool's release places nothing: it commits.
    if (IsThreePointTool(s.tool) && s.stage == s.tool) {
        CommitPending(s, host, host.TextPrompt());
        s.stage = 0;
        host.ComposeNow();
        return;
    }
    MeasureViewInfo view = host.ViewInfo();
    ShapePoint p;
    bool inside = ToImage(view, cx, cy, &p);
    // 2. While calibrating, the press belongs to the calibration line.
    if (host.CalibLine().Active()) {
        if (inside) CalibrationPress(s, host, p);
        return;
    }
    // 3. No tool: grab a shape, or deselect and start panning.
    if (s.tool == kToolNone) {
        if (!inside) return;
        int hit = HitTest(s, p);
        int before = s.selected;
        if (hit >= 0) {
            s.selected = hit;
            s.dragTarget = {DragKind::Shape, hit};
            s.lastPoint = p;
        } else {
            s.selected = -1;
            s.pressActive = true;
            s.lastPoint = {cx, cy};
        }
        host.CaptureMouse();  // the drag or the panning ends with the button, wherever it goes up
        if (s.selected != before) host.ComposeNow();
        return;
    }
    // 4. Tools draw at any ratio (in image pixels), but not under the digital zoom.
    if (view.zoom != 0) return;
    // 5. Text: only the pending text can be dragged.
    if (s.tool == kToolText) {
        if (!inside) return;
        ComputeHitBoxes(s.pending, host, host.TextPrompt());
        if (s.pending.hitBoxes[0].Contains(p.x, p.y)) {
            s.dragTarget = {DragKind::Pending, -1};
            s.lastPoint = p;
            host.CaptureMouse();
        }
        return;
    }
    // 6. Start a new shape.
    if (!inside) return;
    host.CaptureMouse();
    s.pressActive = true;
    s.pending.kind = s.tool;
    s.pending.p1 = s.pending.p2 = p;
    s.pending.p3.x = -1;
    s.pending.thirdPlaced = false;
    s.pending.text[0] = 0;
    s.pending.points.clear();
    if (s.tool == kToolPencil) s.pending.points.push_back(p);
    s.stage = 0;
    host.ComposeNow();
}

void MoveTo(MeasurementStateData& s, MeasureHost& host, int cx, int cy, bool buttonHeld) {
    // A drag lives only while the button is held: a move without it (the button went up where
    // the view did not hear of it) ends the drag and is taken as a plain move.
    if (!buttonHeld) EndDrags(s, host);
    if (host.CalibLine().Active()) {
        CalibrationMove(s, host, cx, cy);
        return;
    }
    MeasureViewInfo view = host.ViewInfo();
    ShapePoint p;
    if (s.dragTarget.kind != DragKind::None) {
        if (!ToImage(view, cx, cy, &p)) return;
        MeasureShape* target = DragShape(s);
        if (!target) {
            s.dragTarget = DragTarget{};
            return;
        }
        if (p == s.lastPoint) return;
        MoveShape(*target, s.lastPoint, p, host, host.TextPrompt());
        s.lastPoint = p;
        host.ComposeNow();
        return;
    }
    if (!s.pressActive && !buttonHeld && s.tool == kToolNone) {
        if (!ToImage(view, cx, cy, &p)) return;
        int hit = HitTest(s, p);
        if (hit != s.hovered) {
            s.hovered = hit;
            host.ComposeNow();
        }
        return;
    }
    if (!s.pressActive && buttonHeld) return;
    if (!buttonHeld) {
        if (s.stage == kToolParallel || s.stage == kToolConcentric || s.stage == kToolAngle) {
            if (!ToImage(view, cx, cy, &p)) return;
            s.pending.p3 = p;
            s.pending.thirdPlaced = true;
            host.ComposeNow();
        }
        return;
    }
    // Button held with a press in progress.
    if (s.tool == kToolNone) {
        host.Pan(cx - s.lastPoint.x, cy - s.lastPoint.y);
        s.lastPoint = {cx, cy};
        return;
    }
    if (!ToImage(view, cx, cy, &p)) return;
    if ((s.tool >= kToolLine && s.tool <= kToolAngle) || s.tool == kToolText) {
        s.pending.p2 = p;
    } else if (s.tool == kToolPencil) {
        s.pending.points.push_back(p);
    } else {
        return;
    }
    host.ComposeNow();
}

void Release(MeasurementStateData& s, MeasureHost& host) {
    // The state is settled before the mouse is released: releasing it reports a capture change,
    // which must find no drag or press left to cancel.
    s.dragTarget = DragTarget{};
    if (!s.pressActive) {
        host.ReleaseMouse();
        return;
    }
    s.pressActive = false;
    if (host.CalibLine().Active()) {
        s.tool = kToolNone;
        host.ReleaseMouse();
        return;
    }
    switch (s.tool) {
    case kToolLine:
    case kToolRectangle:
    case kToolCircle:
    case kToolPencil:
        CommitPending(s, host, host.TextPrompt());
        host.ComposeNow();
        break;
    case kToolParallel:
    case kToolConcentric:
    case kToolAngle:
        s.stage = s.tool;
        host.ComposeNow();
        break;
    default:
        break;
    }
    host.ReleaseMouse();
}

void CancelPress(MeasurementStateData& s, MeasureHost& host) {
    EndDrags(s, host);
    if (!s.pressActive) return;
    s.pressActive = false;  // a shape being drawn is dropped
    host.ReleaseMouse();
    host.Invalidate();
}

void SetTool(MeasurementStateData& s, MeasureHost& host, int32_t tool) {
    if (tool == s.tool) return;
    s.tool = tool;
    s.stage = 0;
    ResetPendingPoints(s.pending);
    host.Invalidate();
}

void TextInput(MeasurementStateData& s, MeasureHost& host, const wchar_t* word) {
    if (WordIs(word, L"Init")) {
        MeasureViewInfo view = host.ViewInfo();
        s.pending.kind = kToolText;
        s.pending.p1 = {view.imageW / 2 - 100, view.scrollY + 138};
        s.pending.p2 = ShapePoint{};
        s.stage = kToolText;  // the text dialog is open
        host.Invalidate();
    } else if (WordIs(word, L"OK")) {
        if (s.pending.text[0]) CommitPending(s, host, host.TextPrompt());
        host.Invalidate();
    } else if (WordIs(word, L"Cancel")) {
        host.Invalidate();
    }
}

void TextInput(MeasurementStateData& s, MeasureHost& host, const char* word) {
    if (!word) return;
    wchar_t wide[8] = {};
    for (int i = 0; i < 7 && word[i]; ++i) wide[i] = static_cast<unsigned char>(word[i]);
    if (std::strlen(word) > 7) return;
    TextInput(s, host, wide);
}

void SetPendingText(MeasurementStateData& s, MeasureHost& host, const wchar_t* text) {
    int n = 0;
    if (text) {
        while (n < kMaxShapeText && text[n]) {
            s.pending.text[n] = text[n];
            ++n;
        }
    }
    s.pending.text[n] = 0;
    host.Invalidate();
}

void DeleteSelected(MeasurementStateData& s, MeasureHost& host) {
    int n = static_cast<int>(s.shapes.size());
    if (s.selected < 0 || s.selected >= n) return;
    int index = s.selected;
    s.shapes.erase(s.shapes.begin() + index);
    ForgetGrabOf(s, index);
    if (s.hovered == index) s.hovered = -1;
    s.selected = -1;
    host.Invalidate();
}

void DeleteLast(MeasurementStateData& s, MeasureHost& host) {
    if (s.shapes.empty()) return;
    s.shapes.pop_back();
    int count = static_cast<int>(s.shapes.size());
    ForgetGrabOf(s, count);
    if (s.hovered == count) s.hovered = -1;
    if (s.selected == count) s.selected = -1;
    host.Invalidate();
}

void DeleteAll(MeasurementStateData& s, MeasureHost& host) {
    s.shapes.clear();
    if (s.dragTarget.kind == DragKind::Shape) s.dragTarget = DragTarget{};
    s.hovered = s.selected = -1;
    host.Invalidate();
}

void ClearAll(MeasurementStateData& s) {
    s.shapes.clear();
    s.selected = s.hovered = -1;
    s.dragTarget = DragTarget{};
}

// ---- Measures ----

// With yScale 1 every step below is exact in double precision for image coordinates, so the
// results are those of plain integer pixel arithmetic.
float PixelDistance(ShapePoint p, ShapePoint q, double yScale) {
    const double dx = static_cast<double>(q.x) - p.x, dy = (static_cast<double>(q.y) - p.y) * yScale;
    if (p.x == q.x) return static_cast<float>(std::fabs(dy));
    if (p.y == q.y) return static_cast<float>(std::fabs(dx));
    float sum = static_cast<float>(dx * dx + dy * dy);
    return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

float LineLength(const MeasureShape& s, float ppu, double yScale) { return PixelDistance(s.p1, s.p2, yScale) / ppu; }

float ParallelDistance(const MeasureShape& s, float ppu, double yScale) {
    double x1 = s.p1.x, y1 = s.p1.y * yScale, x2 = s.p2.x, y2 = s.p2.y * yScale, x3 = s.p3.x, y3 = s.p3.y * yScale;
    float d;
    if (s.p1.y == s.p2.y) {
        d = static_cast<float>(y3 - y1);
    } else if (s.p1.x == s.p2.x) {
        d = static_cast<float>(x3 - x1);
    } else {
        double theta = std::atan2(y2 - y1, x2 - x1);
        d = static_cast<float>(std::sin(theta) * ((x3 - x1) - (y3 - y1) / std::tan(theta)));
    }
    return std::fabs(d / ppu);
}

RectMeasure RectangleMeasure(const MeasureShape& s, float ppu, double yScale) {
    RectMeasure m;
    m.width = static_cast<float>(std::fabs(static_cast<double>(s.p2.x) - s.p1.x)) / ppu;
    m.height = static_cast<float>(std::fabs(static_cast<double>(s.p2.y) - s.p1.y) * yScale) / ppu;
    m.area = m.width * m.height;
    return m;
}

CircleMeasure CircleMeasureOf(const MeasureShape& s, float ppu, double yScale) {
    CircleMeasure m;
    m.radius = PixelDistance(s.p1, s.p2, yScale) / ppu;
    m.circumference = m.radius * 2.0f * 3.14159f;
    m.area = m.radius * m.radius * 3.14159f;
    return m;
}

float ConcentricR1(const MeasureShape& s, float ppu, double yScale) { return PixelDistance(s.p1, s.p2, yScale) / ppu; }
float ConcentricR2(const MeasureShape& s, float ppu, double yScale) { return PixelDistance(s.p1, s.p3, yScale) / ppu; }

float AngleDegrees(const MeasureShape& s, double yScale) {
    double a1 = std::atan2((static_cast<double>(s.p2.y) - s.p1.y) * yScale, static_cast<double>(s.p2.x) - s.p1.x);
    double a2 = std::atan2((static_cast<double>(s.p3.y) - s.p1.y) * yScale, static_cast<double>(s.p3.x) - s.p1.x);
    float a = static_cast<float>((a1 - a2) * 180.0 / 3.1415926);
    if (std::fabs(a) < 180.0f) return std::fabs(a);
    if (a >= 180.0f) return 360.0f - a;
    return a + 360.0f;
}
