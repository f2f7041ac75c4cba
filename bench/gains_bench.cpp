// The software white balance beside the conversion it rides on, per 1080p frame: the camera
// path converts into a ring whose buffers do not stay in the cache between frames, so each run
// cycles through twelve source/target pairs (more than a 32 MiB L3). Each iteration converts one
// frame without gains and the next with them (inside the converter, or eight rows at a time as
// the JPEG decodes, as the preview callback does), and the counters give both times and the share the
// gains add. For comparison: the gains as a separate pass over the converted frame, and that
// pass's kernels alone on a frame in the cache.
#include <benchmark/benchmark.h>

#include <time.h>

#include <vector>

#include "frame/channel_gains.h"
#include "frame/cpu_features.h"
#include "frame/sample_convert.h"

#include "camera_pictures.h"

namespace {

constexpr int kW = 1920, kH = 1080;
constexpr int kRing = 12;
const ChannelGains kCastGains = {5851, 4819, 4096};  // a warm LED ring taken out

struct Ring {
    std::vector<std::vector<uint8_t>> samples, frames;
    Ring(SampleFormat format) {
        for (int i = 0; i < kRing; ++i) {
            samples.push_back(format == SampleFormat::Yuy2 ? CameraYuy2(kW, kH) : CameraJpeg(kW, kH));
            frames.emplace_back(DisplayFrameBytes(kW, kH));
        }
    }
};

// This thread's processor time in milliseconds: other work on a busy machine does not count.
double ThreadMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// plain: without gains; balanced: the way under test.
template <class Balanced>
void RunBeside(benchmark::State& state, SampleFormat format, Balanced balanced) {
    Ring ring(format);
    double plainMs = 0, balancedMs = 0;
    int slot = 0;
    for (auto _ : state) {
        const double t0 = ThreadMs();
        ConvertSample(format, ring.samples[slot].data(), ring.samples[slot].size(), kW, kH, ring.frames[slot].data());
        slot = (slot + 1) % kRing;
        const double t1 = ThreadMs();
        balanced(ring.samples[slot], ring.frames[slot].data());
        slot = (slot + 1) % kRing;
        const double t2 = ThreadMs();
        benchmark::ClobberMemory();
        plainMs += t1 - t0;
        balancedMs += t2 - t1;
    }
    const double n = double(state.iterations());
    state.counters["convert_ms"] = plainMs / n;
    state.counters["with_gains_ms"] = balancedMs / n;
    state.counters["gains_share"] = (balancedMs - plainMs) / plainMs;
}

void BM_WhiteBalance_Yuy2InConverter(benchmark::State& state) {
    RunBeside(state, SampleFormat::Yuy2, [](const std::vector<uint8_t>& s, uint8_t* f) {
        ConvertSample(SampleFormat::Yuy2, s.data(), s.size(), kW, kH, f, kCastGains);
    });
}

void BM_WhiteBalance_Yuy2SeparatePass(benchmark::State& state) {
    RunBeside(state, SampleFormat::Yuy2, [](const std::vector<uint8_t>& s, uint8_t* f) {
        ConvertSample(SampleFormat::Yuy2, s.data(), s.size(), kW, kH, f);
        ApplyChannelGains(f, size_t(kW) * kH, kCastGains);
    });
}

void BM_WhiteBalance_MjpgEightRows(benchmark::State& state) {
    RunBeside(state, SampleFormat::Mjpg, [](const std::vector<uint8_t>& s, uint8_t* f) {
        ConvertSample(SampleFormat::Mjpg, s.data(), s.size(), kW, kH, f, kCastGains);
    });
}

// The kernels alone on one 1080p frame that stays in the cache as far as it fits.
template <void (*Apply)(uint8_t*, size_t, const ChannelGains&)>
void BM_GainsKernel(benchmark::State& state) {
    if (Apply == ApplyChannelGainsAvx2 && !CpuHasAvx2()) return state.SkipWithError("no AVX2");
    std::vector<uint8_t> frame = CameraBgr(kW, kH, 7);
    for (auto _ : state) {
        Apply(frame.data(), size_t(kW) * kH, kCastGains);
        benchmark::ClobberMemory();
    }
    state.counters["ns/px"] = benchmark::Counter(double(kW) * kH, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// What the MJPG path adds: the gains over eight decoded rows at a time, a 1080-row frame, the
// rows still in the cache from the decode.
void BM_GainsPerEightRows1080(benchmark::State& state) {
    std::vector<uint8_t> rows = CameraBgr(kW, 8, 9);
    for (auto _ : state) {
        for (int y = 0; y < kH; y += 8) ApplyChannelGains(rows.data(), size_t(kW) * 8, kCastGains);
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(BM_WhiteBalance_Yuy2InConverter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WhiteBalance_Yuy2SeparatePass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WhiteBalance_MjpgEightRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GainsPerEightRows1080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GainsKernel<ApplyChannelGainsAvx2>)->Name("BM_GainsKernel_Avx2")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GainsKernel<ApplyChannelGainsSse2>)->Name("BM_GainsKernel_Sse2")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GainsKernel<ApplyChannelGainsScalar>)->Name("BM_GainsKernel_Scalar")->Unit(benchmark::kMillisecond);
