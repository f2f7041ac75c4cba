// The overlay drawn through the GDI/GDI+ surface into a 32-bit bitmap: the line colour lies
// along lines, handles and frames are crisp, labels appear in the text colour next to their
// anchors (and flip at the right edge), and new settings take effect. The picture is also
// written to Z:\tmp\measure_overlay.png (/tmp on the Linux side) for a look by eye.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "../../core/view/test_shapes.h"
#include "common/pixels_win.h"
#include "view/gdi_surface_win.h"
#include "view/measure_model.h"
#include "view/overlay.h"

namespace {

constexpr int W = 480, H = 360;
constexpr int32_t kLine = 0x000000FF;  // red (0x00BBGGRR)
constexpr int32_t kText = 0x0000FFFF;  // yellow
constexpr int32_t kGrid = 0x0000FF00;  // green
constexpr uint32_t kBackground = 0x00202020;

struct Pixel {
    int r, g, b;
};

// The overlay's canvas on the background colour.
class Canvas : public DibCanvas {
public:
    Canvas() : DibCanvas(W, H) { Clear(); }
    void Clear() {
        const RECT all = {0, 0, W, H};
        HBRUSH ground = CreateSolidBrush(kBackground);
        FillRect(Dc(), &all, ground);
        DeleteObject(ground);
    }
    Pixel At(int x, int y) const {
        const COLORREF c = DibCanvas::At(x, y);
        return {GetRValue(c), GetGValue(c), GetBValue(c)};
    }
    // Pixels in [l, r) x [t, b) matching a predicate.
    template <class F>
    int Count(int l, int t, int r, int b, F f) const {
        int n = 0;
        for (int y = std::max(0, t); y < std::min(H, b); ++y)
            for (int x = std::max(0, l); x < std::min(W, r); ++x)
                if (f(At(x, y))) ++n;
        return n;
    }
};

bool IsRed(Pixel p) { return p.r == 255 && p.g == 0 && p.b == 0; }
bool IsYellowish(Pixel p) { return p.r > 160 && p.g > 160 && p.b < 100; }
bool IsGreen(Pixel p) { return p.r == 0 && p.g == 255 && p.b == 0; }

bool SavePng(HBITMAP bitmap, const wchar_t* path) {
    using namespace Gdiplus;
    UINT count = 0, size = 0;
    if (DllExports::GdipGetImageEncodersSize(&count, &size) != Ok || size == 0) return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (DllExports::GdipGetImageEncoders(count, size, codecs) != Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wcscmp(codecs[i].MimeType, L"image/png") != 0) continue;
        GpBitmap* image = nullptr;
        if (DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) != Ok) return false;
        Status st = DllExports::GdipSaveImageToFile(image, path, &codecs[i].Clsid, nullptr);
        DllExports::GdipDisposeImage(image);
        return st == Ok;
    }
    return false;
}

struct GdiSurfaceTest : ::testing::Test {
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(token); }
    static ULONG_PTR token;

    DrawSettings settings{kGrid, kLine, 3, kText, 12};
};
ULONG_PTR GdiSurfaceTest::token = 0;

TEST_F(GdiSurfaceTest, DrawsShapesLabelsAndHandlesWhereTheGeometrySays) {
    Canvas canvas;
    MeasurementStateData st;
    st.shapes = {
        Shape(kToolLine, {40, 60}, {300, 60}),
        Shape(kToolCircle, {340, 200}, {390, 200}),
        Shape(kToolRectangle, {60, 120}, {200, 220}),
        Shape(kToolLine, {470, 300}, {470, 340}),  // label flips left at the right edge
        Shape(kToolAngle, {100, 300}, {200, 300}, {100, 240}),
        Shape(kToolParallel, {380, 20}, {460, 60}, {430, 100}),
    };
    MeasureShape text = Shape(kToolText, {230, 110}, {0, 0});
    std::wcscpy(text.text, L"Sample A");
    st.shapes.push_back(text);
    st.selected = 2;  // the rectangle: filled handles
    st.hovered = 5;   // the parallel: framed handles
    st.tool = kToolLine;  // a vertical line being drawn: long ticks
    st.pressActive = true;
    st.pending = Shape(kToolLine, {30, 250}, {30, 340});

    OverlayParams op;
    op.imageW = W;
    op.imageH = H;
    op.ppu = 10.0f;
    op.lineWidth = settings.lineWidth;
    op.crossline = true;
    UpdateRulerStep(op.ruler, op.ppu);
    {
        GdiSurface surface(canvas.Dc(), settings, 96);
        ASSERT_TRUE(surface.Ready());
        DrawOverlay(surface, st, op);
        GdiFlush();
    }
    CreateDirectoryW(L"Z:\\tmp", nullptr);
    EXPECT_TRUE(SavePng(canvas.Bitmap(), L"Z:\\tmp\\measure_overlay.png"));

    // The shape pen (3 pixels, anti-aliased) is fully red along the line's middle row.
    for (int x : {80, 150, 250}) EXPECT_TRUE(IsRed(canvas.At(x, 60))) << x;
    // Away from the line, the background.
    EXPECT_EQ(canvas.At(150, 90).r, 0x20);
    // The circle passes through (390, 200) and (340, 150).
    EXPECT_GT(canvas.At(390, 200).r, 200);
    EXPECT_GT(canvas.At(340, 150).r, 200);
    // Selected rectangle: filled handle squares at its corners, crisp frame along its edges.
    EXPECT_TRUE(IsRed(canvas.At(58, 118)));
    EXPECT_TRUE(IsRed(canvas.At(203, 223)));
    EXPECT_TRUE(IsRed(canvas.At(120, 120)));
    EXPECT_TRUE(IsRed(canvas.At(120, 121)));  // the second frame of a wide line
    EXPECT_FALSE(IsRed(canvas.At(120, 122)));
    // The crossline in the ruler colour, one pixel wide.
    EXPECT_TRUE(IsGreen(canvas.At(W / 2, 5)));
    EXPECT_TRUE(IsGreen(canvas.At(5, H / 2)));

    // "26.00000mm" right of and below p1 of the first line.
    EXPECT_GT(canvas.Count(42, 62, 160, 90, IsYellowish), 20);
    // The label near the right edge sits left of its anchor, none right of it.
    EXPECT_GT(canvas.Count(380, 302, 468, 330, IsYellowish), 20);
    EXPECT_EQ(canvas.Count(471, 290, W, 340, IsYellowish), 0);
    // The angle label (90.000 degrees), and the text annotation.
    EXPECT_GT(canvas.Count(102, 302, 200, 330, IsYellowish), 10);
    EXPECT_GT(canvas.Count(232, 112, 320, 140, IsYellowish), 10);
    // The ruler label "5.0mm" under the first major tick right of the centre.
    EXPECT_GT(canvas.Count(W / 2 + 70, H / 2 + 2, W / 2 + 130, H / 2 + 17, IsYellowish), 5);
    // The pending line's ticks reach 32 pixels to each side, a finished line's only 12.
    EXPECT_GT(canvas.At(60, 250).r, 100);
    EXPECT_LT(canvas.At(470 - 20, 300).r, 100);
}

TEST_F(GdiSurfaceTest, MeasuresInTheLabelFontAndFollowsNewSettings) {
    Canvas canvas;
    GdiSurface surface(canvas.Dc(), settings, 96);
    TextExtent small = surface.MeasureText(L"0123456789", 10);
    TextExtent empty = surface.MeasureText(L"", 0);
    EXPECT_GT(small.cx, 30);
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, small.cy);
    LOGFONTW lf = {};
    ASSERT_TRUE(GetObjectW(surface.LabelFont(), sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, -16);  // 12 points at 96 dots per inch
    EXPECT_STREQ(lf.lfFaceName, LabelFontFace());
    EXPECT_EQ(surface.SmoothingModeInUse(), static_cast<int>(Gdiplus::SmoothingModeHighQuality));

    DrawSettings bigger = settings;
    bigger.textSize = 24;
    bigger.lineColor = 0x00FF0000;  // blue
    const int32_t values[kDrawSettingCount] = {bigger.gridColor, bigger.lineColor, bigger.lineWidth,
                                               bigger.textColor, bigger.textSize, 0};
    DrawSettings stored;
    EXPECT_TRUE(SetDrawSettings(stored, &surface, values));
    EXPECT_EQ(stored.textSize, 24);
    EXPECT_GT(surface.MeasureText(L"0123456789", 10).cx, small.cx * 3 / 2);
    surface.AaLine(AaPen::Shape, 10, 20, 200, 20);
    surface.Fill(10, 40, 20, 50);
    GdiFlush();
    Pixel p = canvas.At(100, 20);
    EXPECT_EQ(p.b, 255);
    EXPECT_EQ(p.r, 0);
    EXPECT_EQ(canvas.At(15, 45).b, 255);
    EXPECT_FALSE(SetDrawSettings(stored, nullptr, values));
}

TEST_F(GdiSurfaceTest, CalibrationLineWithHotEnd) {
    Canvas canvas;
    GdiSurface surface(canvas.Dc(), settings, 96);
    MeasurementStateData st;
    CalibrationLine line;
    line.freshRequested = true;
    line.leftHot = true;
    OverlayParams op;
    op.imageW = W;
    op.imageH = H;
    op.calibLine = &line;
    DrawOverlay(surface, st, op);
    GdiFlush();
    EXPECT_EQ(line.left, 90);
    EXPECT_EQ(line.right, 390);
    EXPECT_TRUE(IsRed(canvas.At(200, H / 2)));  // the 2-pixel line: two rows
    EXPECT_EQ(canvas.Count(200, H / 2 - 1, 201, H / 2 + 2, IsRed), 2);
    EXPECT_TRUE(IsRed(canvas.At(90, H / 2 - 50)));  // the end bar
    EXPECT_TRUE(IsRed(canvas.At(86, H / 2 - 30)));  // tip of the left-opening arrowhead
    EXPECT_GT(canvas.Count(92, H / 2 + 2, 160, H / 2 + 30, IsYellowish), 10);  // "300 pixels"
}

}  // namespace
