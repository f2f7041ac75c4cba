// Random sequences of presses, moves, releases, tool changes, text and delete commands fed to
// the measurement model, with the overlay drawn after each step: the grab must never refer to a
// missing shape, the selection stays in range, and nothing reads or writes out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "view/measure_model.h"
#include "view/overlay.h"

namespace {

class NullSurface : public DrawSurface {
public:
    TextExtent MeasureText(const wchar_t*, int length) override { return {length * 6, 13}; }
    void AaLine(AaPen, int, int, int, int) override {}
    void AaArc(AaPen, int, int, int, int, float, float) override {}
    void Frame(int, int, int, int) override {}
    void Fill(int, int, int, int) override {}
    void Line(SolidPen, int, int, int, int) override {}
    void Polyline(SolidPen, const ShapePoint*, int) override {}
    void ClippedText(const wchar_t*, int, int, int, int, int) override {}
};

class Host : public MeasureHost {
public:
    MeasureViewInfo view{320, 240, 400, 200, 0, 20, 100, 0};
    CalibrationLine line;
    TextExtent MeasureText(const wchar_t*, int length) override { return {length * 6, 13}; }
    MeasureViewInfo ViewInfo() override { return view; }
    CalibrationLine& CalibLine() override { return line; }
    const wchar_t* TextPrompt() override { return L" Input text, drag to move. "; }
    void CaptureMouse() override {}
    void ReleaseMouse() override {}
    void ComposeNow() override {}
    void Invalidate() override {}
    void Pan(int, int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MeasurementStateData st;
    Host host;
    NullSurface surface;
    OverlayParams op;
    op.imageW = host.view.imageW;
    op.imageH = host.view.imageH;
    op.calibLine = &host.line;
    op.crossline = true;
    static const int32_t tools[] = {0, 1, 2, 3, 4, 5, 6, 11, 12, 19, 20, 7};
    size_t i = 0;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    while (i < size) {
        uint8_t op_code = next();
        int x = next() * 2 - 40, y = next() * 2 - 40;
        switch (op_code % 14) {
        case 0: PressAt(st, host, x, y); break;
        case 1: MoveTo(st, host, x, y, true); break;
        case 2: MoveTo(st, host, x, y, false); break;
        case 3: Release(st, host); break;
        case 4: SetTool(st, host, tools[static_cast<uint8_t>(x) % 12]); break;
        case 5: DeleteSelected(st, host); break;
        case 6: DeleteLast(st, host); break;
        case 7: if (x % 5 == 0) DeleteAll(st, host); break;
        case 8: TextInput(st, host, x % 3 == 0 ? "Init" : x % 3 == 1 ? "OK" : "Cancel"); break;
        case 9: {
            wchar_t text[300];
            int n = static_cast<uint8_t>(y) % 300;
            for (int k = 0; k < n; ++k) text[k] = L'a' + k % 26;
            text[n] = 0;
            SetPendingText(st, host, text);
            break;
        }
        case 10: host.line.length = (x % 3 == 0) ? 4800 : 0; break;
        case 11: host.view.ratio = x % 2 ? 100 : 150; break;
        case 12: op.ppu = static_cast<float>(y) / 7.0f; op.unit = x & 1; UpdateRulerStep(op.ruler, op.ppu); break;
        case 13: if (x % 7 == 0) ClearAll(st); break;
        }
        const int n = static_cast<int>(st.shapes.size());
        if (st.dragTarget.kind == DragKind::Shape && (st.dragTarget.index < 0 || st.dragTarget.index >= n)) std::abort();
        if (st.selected < -1 || st.selected >= n) std::abort();
        DrawOverlay(surface, st, op);
    }
    return 0;
}
