// Focus stacking per frame at 1920 x 1080, stage by stage: align (reduce, phase correlation,
// refinement, resampling), measure (focus and the smoothed choice) and commit (the blend), on the
// virtual microscope's depth specimen as the focus moves from one frame to the next.
// scripts/bench-stack measures the whole stack against a peer and the truth.
#include <benchmark/benchmark.h>

#include <vector>

#include "frame/focus_stack.h"
#include "testcam/depth_specimen.h"

namespace {

constexpr int kW = 1920, kH = 1080;

// Two frames a twentieth of the depth apart, made once.
const std::vector<std::vector<uint8_t>>& Frames() {
    static const std::vector<std::vector<uint8_t>> frames = [] {
        const DepthSpecimen specimen(kW, kH);
        std::vector<std::vector<uint8_t>> f(2, std::vector<uint8_t>(size_t(kW) * kH * 3));
        specimen.Render(0.40, 1, f[0].data());
        specimen.Render(0.45, 2, f[1].data());
        return f;
    }();
    return frames;
}

enum class Stage { Prepare, Measure, Commit, All };

template <Stage S>
void BM_StackFrame(benchmark::State& state) {
    const auto& frames = Frames();
    FocusStack stack;
    stack.Start(kW, kH);
    stack.Add(frames[0].data());
    for (auto _ : state) {
        if (S == Stage::All) {
            benchmark::DoNotOptimize(stack.Add(frames[1].data()));
            continue;
        }
        state.PauseTiming();
        if (S != Stage::Prepare) stack.Prepare(frames[1].data());
        if (S == Stage::Commit) stack.Measure();
        state.ResumeTiming();
        if (S == Stage::Prepare) stack.Prepare(frames[1].data());
        if (S == Stage::Measure) stack.Measure();
        if (S == Stage::Commit) benchmark::DoNotOptimize(stack.Commit());
    }
}

BENCHMARK(BM_StackFrame<Stage::Prepare>)->Name("FocusStack/align")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StackFrame<Stage::Measure>)->Name("FocusStack/measure")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StackFrame<Stage::Commit>)->Name("FocusStack/update")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StackFrame<Stage::All>)->Name("FocusStack/frame")->Unit(benchmark::kMillisecond);

}  // namespace
