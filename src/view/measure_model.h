// The measurement model of the camera view: drawing tools, drawn shapes, and the mouse,
// keyboard and command handling that creates, selects, moves and deletes them. Portable; the
// camera view reaches the window system through MeasureHost. User-interface thread only.
#pragma once

#include <cstdint>
#include <vector>

enum MeasureTool : int32_t {
    kToolNone = 0,
    kToolLine = 1,
    kToolParallel = 2,
    kToolRectangle = 3,
    kToolCircle = 4,
    kToolConcentric = 5,
    kToolAngle = 6,
    kToolPencil = 11,
    kToolText = 12,
    kToolCalibLeft = 19,   // left end of the calibration line is held
    kToolCalibRight = 20,  // right end of the calibration line is held
};

struct ShapePoint {
    int32_t x = 0, y = 0;
};
inline bool operator==(ShapePoint a, ShapePoint b) { return a.x == b.x && a.y == b.y; }

// (left, top, right, bottom); holds a point when left <= x < right and top <= y < bottom.
struct HitBox {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int32_t x, int32_t y) const { return left <= x && x < right && top <= y && y < bottom; }
    bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
};
inline bool operator==(const HitBox& a, const HitBox& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

constexpr int kMaxShapeText = 255;  // characters of a text annotation

struct MeasureShape {
    int32_t kind = 0;  // the MeasureTool that made it
    ShapePoint p1, p2, p3;  // p3.x is -1 until a third point exists
    // Whether the mouse ever placed p3. A shape committed without one keeps p3.x at -1 when it
    // is moved, so moving never conjures up a third point (and a measure) the user did not set.
    bool thirdPlaced = false;
    std::vector<ShapePoint> points;  // pencil stroke
    wchar_t text[kMaxShapeText + 1] = {};
    HitBox hitBoxes[4];
};

// Where the grab of a shape points. A stored shape is held by index so that appending to the
// list never leaves it dangling; deleting keeps it on the same shape or ends it.
enum class DragKind { None, Pending, Shape };
struct DragTarget {
    DragKind kind = DragKind::None;
    int index = -1;  // into shapes, for DragKind::Shape
};

struct MeasurementStateData {
    std::vector<MeasureShape> shapes;  // drawing order and hit-test priority
    MeasureShape pending;              // being drawn, or the text being typed
    int32_t tool = kToolNone;
    int32_t stage = 0;                 // 0; 2, 5 or 6 while the third point follows; 12 while typing
    bool pressActive = false;
    ShapePoint lastPoint;              // image point while moving, client point while panning
    DragTarget dragTarget;
    int selected = -1;
    int hovered = -1;
};

// The camera view's instance (owned by the view, user-interface thread only).
extern MeasurementStateData MeasurementState;

// The calibration line the view keeps while a calibration is being made. The request for a fresh
// line is its own flag: the next drawing lays the line out centred and clears it, so any length
// a drag makes, up to the picture's width, stays as it is.
struct CalibrationLine {
    int length = 0;  // pixels; 0 with no request pending: not calibrating
    int left = 0, right = 0;
    bool leftHot = false, rightHot = false;
    bool freshRequested = false;
    bool Active() const { return freshRequested || length != 0; }
};

struct TextExtent {
    int cx = 0, cy = 0;
};

// Measures text in the label font; both the drawing surface and the view's host provide it.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual TextExtent MeasureText(const wchar_t* text, int length) = 0;
    // The display scale the text is measured (and the overlay drawn) at: the handles, hit
    // distances and label offsets, given at 96 dpi in image pixels, grow with it. Shapes and
    // their measures stay in image pixels.
    virtual int Dpi() { return 96; }
};

// What the model needs of the camera view at the moment of an event.
struct MeasureViewInfo {
    int imageW = 0, imageH = 0;    // W x H, the coordinate space of all shapes
    int clientW = 0, clientH = 0;
    int scrollX = 0, scrollY = 0;
    int ratio = 100;
    int zoom = 0;
    int displayW = 0, displayH = 0;  // the picture's size at the ratio; 0 counts as the image size
};

class MeasureHost : public TextMeasurer {
public:
    virtual MeasureViewInfo ViewInfo() = 0;
    virtual CalibrationLine& CalibLine() = 0;
    virtual const wchar_t* TextPrompt() = 0;  // shown in an empty text box
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    virtual void ComposeNow() = 0;   // mouse handlers: compose and show at once
    virtual void Invalidate() = 0;   // commands: repaint later
    virtual void Pan(int dx, int dy) = 0;  // movement in client pixels since the last point
};

// Window client point to image point; returns whether it lies inside the image.
bool ToImage(const MeasureViewInfo& view, int cx, int cy, ShapePoint* out);

void ComputeHitBoxes(MeasureShape& shape, TextMeasurer& measurer, const wchar_t* textPrompt);
// First shape (lowest index) one of whose boxes holds the point, or -1.
int HitTest(const MeasurementStateData& state, ShapePoint p);

void PressAt(MeasurementStateData& state, MeasureHost& host, int cx, int cy);
void MoveTo(MeasurementStateData& state, MeasureHost& host, int cx, int cy, bool buttonHeld);
void Release(MeasurementStateData& state, MeasureHost& host);
// The view lost the mouse (its capture went elsewhere, or the system cancelled modes): every drag
// ends where it is and a shape being drawn is dropped.
void CancelPress(MeasurementStateData& state, MeasureHost& host);
void SetTool(MeasurementStateData& state, MeasureHost& host, int32_t tool);
// word: "Init", "OK" or "Cancel"; anything else (or null) does nothing.
void TextInput(MeasurementStateData& state, MeasureHost& host, const wchar_t* word);
void TextInput(MeasurementStateData& state, MeasureHost& host, const char* word);
// The text dialog's field changed: copy at most 255 characters into the pending text.
void SetPendingText(MeasurementStateData& state, MeasureHost& host, const wchar_t* text);
void DeleteSelected(MeasurementStateData& state, MeasureHost& host);
void DeleteLast(MeasurementStateData& state, MeasureHost& host);
void DeleteAll(MeasurementStateData& state, MeasureHost& host);
void ClearAll(MeasurementStateData& state);
// Appends a copy of pending (with fresh hit boxes) to the list.
void CommitPending(MeasurementStateData& state, TextMeasurer& measurer, const wchar_t* textPrompt);
// Moves the grabbed shape to image point q as a whole.
void MoveShape(MeasureShape& shape, ShapePoint lastPoint, ShapePoint q, TextMeasurer& measurer,
               const wchar_t* textPrompt);

// ---- Measures (ppu <= 0 means not calibrated; the caller then shows no length) ----
// Measures are taken in pixels of equal aspect: yScale stretches y back to the scale of x on a
// picture stretched unevenly (EqualAspectYScale; 1 elsewhere). x, and with it the horizontal
// calibration line, stays in image pixels, so calibrations need no scaling and an unstretched
// or evenly stretched picture measures exactly as plain image pixels do.
float PixelDistance(ShapePoint p, ShapePoint q, double yScale = 1.0);
float LineLength(const MeasureShape& s, float ppu, double yScale = 1.0);
float ParallelDistance(const MeasureShape& s, float ppu, double yScale = 1.0);
struct RectMeasure { float width, height, area; };
RectMeasure RectangleMeasure(const MeasureShape& s, float ppu, double yScale = 1.0);
struct CircleMeasure { float radius, circumference, area; };
CircleMeasure CircleMeasureOf(const MeasureShape& s, float ppu, double yScale = 1.0);
float ConcentricR1(const MeasureShape& s, float ppu, double yScale = 1.0);
float ConcentricR2(const MeasureShape& s, float ppu, double yScale = 1.0);
float AngleDegrees(const MeasureShape& s, double yScale = 1.0);  // 0 ... 180, needs no calibration
