// Putting a camera frame into the composition surface at the display size: this runs for every
// frame shown, on the user-interface thread. 1920 x 1080 fitted into a 1366 x 768 screen's view
// (1075 x 604), the digital zoom's centre crop, and 640 x 480 enlarged twice (an interpolated size).
#include <benchmark/benchmark.h>

#include <vector>

#include "camera_pictures.h"
#include "view/frame_scaler.h"

namespace {

void BM_FrameScaler(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1)), tw = int(state.range(2)), th = int(state.range(3));
    const int zoom = int(state.range(4));
    const std::vector<uint8_t> frame = CameraBgr(w, h, 5);
    std::vector<uint8_t> surface(size_t(tw) * th * 4);
    FrameScaler scaler;
    const CropRect region = zoom ? ZoomCrop(w, h, zoom) : CropRect{0, 0, w, h};
    if (!scaler.Prepare(w, h, region, tw, th, false)) state.SkipWithError("no table");
    for (auto _ : state) {
        scaler.Scale(frame.data(), surface.data(), size_t(tw) * 4);
        benchmark::DoNotOptimize(surface.data());
    }
    state.SetItemsProcessed(state.iterations() * tw * th);
}

}  // namespace

BENCHMARK(BM_FrameScaler)
    ->Args({1920, 1080, 1075, 604, 0})
    ->Args({1920, 1080, 1920, 1080, 0})
    ->Args({1920, 1080, 1075, 604, 3})
    ->Args({640, 480, 1280, 960, 0})
    ->Unit(benchmark::kMicrosecond);
