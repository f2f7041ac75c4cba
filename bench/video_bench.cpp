// The recorder's writer per frame, for both kinds of file: the uncompressed writer's bottom-up
// padded rows and the compressed writer's TurboJPEG encode of a DisplayFrame (the camera's own
// JPEG passes through with no work). Each reports the file bytes a minute of 30 frames per
// second takes, from the frame sizes (frame, chunk header and index entry); the encoder shows
// whether 30 frames per second fit on one core.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "media/jpeg_encoder.h"
#include "media/record_rules.h"

#include "camera_pictures.h"

namespace {

constexpr double kFramesPerMinute = 30.0 * 60.0;
constexpr double kBytesBesideFrame = 8 + 16;  // the '00dc' chunk header and the index entry

void ReportFileSize(benchmark::State& state, double frameBytes) {
    state.counters["MB/min"] = (frameBytes + kBytesBesideFrame) * kFramesPerMinute / 1e6;
    state.counters["KB/frame"] = frameBytes / 1e3;
}

void BM_WriterUncompressedRows(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const std::vector<uint8_t> frame = CameraBgr(w, h, 3);
    const size_t bytes = AviFrameBytes(w, h);
    for (auto _ : state) {
        auto* sample = static_cast<uint8_t*>(std::malloc(bytes));
        CopyFrameBottomUp(frame.data(), w, h, sample);
        benchmark::DoNotOptimize(sample);
        std::free(sample);
    }
    ReportFileSize(state, double(bytes));
}

void BM_WriterMjpegEncode(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const std::vector<uint8_t> frame = CameraBgr(w, h, 3);
    JpegEncoder encoder;
    const uint8_t* jpeg = nullptr;
    size_t size = 0;
    for (auto _ : state) {
        if (!encoder.Encode(frame.data(), w, h, &jpeg, &size)) return state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(jpeg);
    }
    ReportFileSize(state, double(size));
    state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}

// The camera's JPEG (4:2:2, quality 85) as a compressed file keeps it: nothing to do per frame
// beyond the queue's copy, which both kinds make.
void BM_WriterMjpegPassThrough(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const std::vector<uint8_t> jpeg = CameraJpeg(w, h);
    for (auto _ : state) {
        std::vector<uint8_t> copy(jpeg);
        benchmark::DoNotOptimize(copy.data());
    }
    ReportFileSize(state, double(jpeg.size()));
}

}  // namespace

#define SIZES Args({1280, 720})->Args({1920, 1080})
BENCHMARK(BM_WriterUncompressedRows)->SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriterMjpegEncode)->SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriterMjpegPassThrough)->SIZES->Unit(benchmark::kMillisecond);
