// The measurement overlay's cost per composition: 50 mixed shapes with their labels, the
// crossline ruler and a pending line, drawn onto a surface that only counts calls. This runs for
// every camera frame, so it has to stay far below a frame period.
#include <benchmark/benchmark.h>

#include <cwchar>

#include "view/overlay.h"

namespace {

class CountingSurface : public DrawSurface {
public:
    long calls = 0;
    TextExtent MeasureText(const wchar_t*, int length) override {
        ++calls;
        return {length * 7, 15};
    }
    void AaLine(AaPen, int, int, int, int) override { ++calls; }
    void AaArc(AaPen, int, int, int, int, float, float) override { ++calls; }
    void Frame(int, int, int, int) override { ++calls; }
    void Fill(int, int, int, int) override { ++calls; }
    void Line(SolidPen, int, int, int, int) override { ++calls; }
    void Polyline(SolidPen, const ShapePoint*, int) override { ++calls; }
    void ClippedText(const wchar_t*, int, int, int, int, int) override { ++calls; }
};

MeasurementStateData FiftyShapes() {
    MeasurementStateData st;
    const int kinds[] = {kToolLine, kToolParallel, kToolRectangle, kToolCircle, kToolConcentric,
                         kToolAngle, kToolPencil, kToolText};
    for (int i = 0; i < 50; ++i) {
        MeasureShape s;
        s.kind = kinds[i % 8];
        int x = 40 + (i * 97) % 1700, y = 30 + (i * 61) % 1000;
        s.p1 = {x, y};
        s.p2 = {x + 37 + i, y + 23 - i};
        s.p3 = {x + 11, y + 55};
        if (s.kind == kToolPencil)
            for (int k = 0; k < 40; ++k) s.points.push_back({x + k * 3, y + (k * k) % 17});
        if (s.kind == kToolText) std::wcscpy(s.text, L"Sample annotation");
        st.shapes.push_back(s);
    }
    st.selected = 3;
    st.hovered = 7;
    st.tool = kToolLine;
    st.pressActive = true;
    st.pending.kind = kToolLine;
    st.pending.p1 = {500, 500};
    st.pending.p2 = {800, 640};
    return st;
}

void BM_Overlay50Shapes(benchmark::State& state) {
    MeasurementStateData st = FiftyShapes();
    OverlayParams op;
    op.imageW = 1920;
    op.imageH = 1080;
    op.ppu = 123.45f;
    op.lineWidth = 2;
    op.crossline = true;
    UpdateRulerStep(op.ruler, op.ppu);
    CountingSurface surface;
    for (auto _ : state) {
        DrawOverlay(surface, st, op);
        benchmark::DoNotOptimize(surface.calls);
    }
    state.counters["calls/overlay"] = static_cast<double>(surface.calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Overlay50Shapes)->Unit(benchmark::kMicrosecond);

}  // namespace
