// Frame pipeline speed beside its references, measured in the same run: the YUY2 converters
// against libyuv's two-pass YUY2 -> ARGB -> RGB24 and a bare read-2-write-3 streaming loop; the
// effects against their plain forms and an in-place read-write loop; the MJPG preview path
// against a bare TurboJPEG decode and libavcodec + swscale.
#include <benchmark/benchmark.h>
#include <libyuv.h>
#include <turbojpeg.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
#include <libavutil/imgutils.h>
}

#include <immintrin.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

#include "frame/cpu_features.h"
#include "frame/frame_effects.h"
#include "frame/mjpg_decode.h"
#include "frame/yuy2_convert.h"

#include "camera_pictures.h"

namespace {

// ---- YUY2 -> BGR ----

template <void (*Convert)(const uint8_t*, int, int, DisplayFrame*)>
void BM_Yuy2ToBgr(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    if (Convert == ConvertYuy2ToBgrAvx2 && !CpuHasAvx2()) return state.SkipWithError("no AVX2");
    const std::vector<uint8_t> src = CameraYuy2(w, h);
    std::vector<uint8_t> dst(size_t(w) * h * 3);
    for (auto _ : state) {
        Convert(src.data(), w, h, dst.data());
        benchmark::ClobberMemory();
    }
    state.counters["ns/px"] = benchmark::Counter(double(w) * h, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Yuy2ToBgr_Scalar(benchmark::State& s) { BM_Yuy2ToBgr<ConvertYuy2ToBgrScalar>(s); }
void BM_Yuy2ToBgr_Sse2(benchmark::State& s) { BM_Yuy2ToBgr<ConvertYuy2ToBgrSse2>(s); }
void BM_Yuy2ToBgr_Avx2(benchmark::State& s) { BM_Yuy2ToBgr<ConvertYuy2ToBgrAvx2>(s); }

void BM_LibyuvYuy2ToRgb24(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const std::vector<uint8_t> src = CameraYuy2(w, h);
    std::vector<uint8_t> argb(size_t(w) * h * 4), dst(size_t(w) * h * 3);
    for (auto _ : state) {
        libyuv::YUY2ToARGB(src.data(), w * 2, argb.data(), w * 4, w, h);
        libyuv::ARGBToRGB24(argb.data(), w * 4, dst.data(), w * 3, w, h);
        benchmark::ClobberMemory();
    }
    state.counters["ns/px"] = benchmark::Counter(double(w) * h, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Reads 2 bytes and writes 3 bytes per pixel with no work in between: the bound for any
// YUY2 -> BGR converter over the same buffers.
VARDELO_TARGET_AVX2 void StreamRead2Write3(const uint8_t* src, uint8_t* dst, size_t pixels) {
    for (size_t i = 0; i + 32 <= pixels; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i * 2));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i * 2 + 32));
        __m256i* d = reinterpret_cast<__m256i*>(dst + i * 3);
        _mm256_storeu_si256(d, a);
        _mm256_storeu_si256(d + 1, b);
        _mm256_storeu_si256(d + 2, _mm256_xor_si256(a, b));
    }
}

void BM_StreamingLimitRead2Write3(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    if (!CpuHasAvx2()) return state.SkipWithError("no AVX2");
    const std::vector<uint8_t> src = CameraYuy2(w, h);
    std::vector<uint8_t> dst(size_t(w) * h * 3);
    for (auto _ : state) {
        StreamRead2Write3(src.data(), dst.data(), size_t(w) * h);
        benchmark::ClobberMemory();
    }
    state.counters["ns/px"] = benchmark::Counter(double(w) * h, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// ---- The same pair from memory ----
// The camera path writes a four-slot ring from samples the graph hands over: its buffers do not
// stay in the cache between frames. Twelve source/target pairs, cycled, exceed a 32 MiB L3
// at both sizes, so every frame streams from and to memory. From memory the fastest plain
// stream writes with non-temporal stores (no read of the target lines before they are
// written); that is the bound here.
constexpr int kRingFrames = 12;

VARDELO_TARGET_AVX2 void StreamRead2Write3NonTemporal(const uint8_t* src, uint8_t* dst, size_t pixels) {
    for (size_t i = 0; i + 32 <= pixels; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i * 2));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i * 2 + 32));
        __m256i* d = reinterpret_cast<__m256i*>(dst + i * 3);  // 32-byte aligned: see RunFromMemory
        _mm256_stream_si256(d, a);
        _mm256_stream_si256(d + 1, b);
        _mm256_stream_si256(d + 2, _mm256_xor_si256(a, b));
    }
    _mm_sfence();
}

template <class Fn>
void RunFromMemory(benchmark::State& state, Fn convert) {
    const int w = int(state.range(0)), h = int(state.range(1));
    if (!CpuHasAvx2()) return state.SkipWithError("no AVX2");
    using Buffer = std::unique_ptr<uint8_t, decltype(&std::free)>;
    std::vector<std::vector<uint8_t>> src;
    std::vector<Buffer> dst;
    const size_t dstBytes = (size_t(w) * h * 3 + 63) / 64 * 64;
    for (int i = 0; i < kRingFrames; ++i) {
        src.push_back(CameraYuy2(w, h));
        dst.emplace_back(static_cast<uint8_t*>(std::aligned_alloc(64, dstBytes)), &std::free);
        std::memset(dst.back().get(), 0, dstBytes);
    }
    int i = 0;
    for (auto _ : state) {
        convert(src[i].data(), dst[i].get(), w, h);
        benchmark::ClobberMemory();
        i = (i + 1) % kRingFrames;
    }
    state.counters["ns/px"] = benchmark::Counter(double(w) * h, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_StreamingLimitRead2Write3_FromMemory(benchmark::State& state) {
    RunFromMemory(state, [](const uint8_t* s, uint8_t* d, int w, int h) { StreamRead2Write3NonTemporal(s, d, size_t(w) * h); });
}
void BM_Yuy2ToBgr_Avx2_FromMemory(benchmark::State& state) {
    RunFromMemory(state, [](const uint8_t* s, uint8_t* d, int w, int h) { ConvertYuy2ToBgrAvx2(s, w, h, d); });
}

// ---- Effects on a 1080p frame ----

template <void (*Effect)(DisplayFrame*, int, int)>
void BM_Effect(benchmark::State& state) {
    const int w = 1920, h = 1080;
    std::vector<uint8_t> frame = CameraBgr(w, h, 3);
    for (auto _ : state) {
        Effect(frame.data(), w, h);
        benchmark::ClobberMemory();
    }
    state.counters["ns/px"] = benchmark::Counter(double(w) * h, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Reads and writes back every byte of the frame in place: the bound for invert.
VARDELO_TARGET_AVX2 void InPlaceReadWrite(uint8_t* p, size_t n, __m256i key) {
    for (size_t i = 0; i + 64 <= n; i += 64) {
        __m256i* q = reinterpret_cast<__m256i*>(p + i);
        _mm256_storeu_si256(q, _mm256_xor_si256(_mm256_loadu_si256(q), key));
        _mm256_storeu_si256(q + 1, _mm256_xor_si256(_mm256_loadu_si256(q + 1), key));
    }
}
VARDELO_TARGET_AVX2 void InPlaceLimit(DisplayFrame* f, int w, int h) {
    int zero = 0;
    benchmark::DoNotOptimize(zero);
    InPlaceReadWrite(f, size_t(w) * h * 3, _mm256_set1_epi32(zero));
}

void BM_Invert(benchmark::State& s) { BM_Effect<InvertFrame>(s); }
void BM_Invert_Scalar(benchmark::State& s) { BM_Effect<InvertFrameScalar>(s); }
void BM_InPlaceLimit(benchmark::State& s) {
    if (!CpuHasAvx2()) return s.SkipWithError("no AVX2");
    BM_Effect<InPlaceLimit>(s);
}
void BM_Gray(benchmark::State& s) { BM_Effect<GrayFrame>(s); }
void BM_Gray_Scalar(benchmark::State& s) { BM_Effect<GrayFrameScalar>(s); }
void BM_Binary(benchmark::State& s) { BM_Effect<BinaryFrame>(s); }
void BM_Binary_Scalar(benchmark::State& s) { BM_Effect<BinaryFrameScalar>(s); }
void BM_Emboss(benchmark::State& s) { BM_Effect<EmbossFrame>(s); }
void BM_Emboss_Scalar(benchmark::State& s) { BM_Effect<EmbossFrameScalar>(s); }
void BM_FlipHorizontal(benchmark::State& s) { BM_Effect<FlipHorizontal>(s); }
void BM_FlipHorizontal_Scalar(benchmark::State& s) { BM_Effect<FlipHorizontalScalar>(s); }

// ---- MJPG ----

void BM_TurboJpegDecode(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const std::vector<uint8_t> jpeg = CameraJpeg(w, h);
    std::vector<uint8_t> dst(size_t(w) * h * 3);
    tjhandle tj = tjInitDecompress();
    for (auto _ : state) {
        tjDecompress2(tj, jpeg.data(), jpeg.size(), dst.data(), w, w * 3, h, TJPF_BGR, 0);
        benchmark::ClobberMemory();
    }
    tjDestroy(tj);
}

// What the preview callback does per MJPG frame: decode with a fresh decompressor into the
// slot, one effect, publish the slot under a lock.
void BM_PreviewPathMjpg(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const std::vector<uint8_t> jpeg = CameraJpeg(w, h);
    std::vector<std::vector<uint8_t>> ring(4, std::vector<uint8_t>(size_t(w) * h * 3));
    std::mutex frameLock;
    int currentSlot = 0;
    FrameEffects fx;
    fx.invert = true;
    for (auto _ : state) {
        const int next = currentSlot + 1 < 4 ? currentSlot + 1 : 0;
        if (DecodeMjpg(jpeg.data(), jpeg.size(), w, h, ring[next].data())) {
            ApplyEffects(ring[next].data(), w, h, fx);
            std::lock_guard<std::mutex> lock(frameLock);
            currentSlot = next;
        }
        benchmark::DoNotOptimize(currentSlot);
    }
}

void BM_LibavcodecSwscaleDecode(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    std::vector<uint8_t> jpeg = CameraJpeg(w, h);
    const size_t size = jpeg.size();
    jpeg.resize(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->thread_count = 1;
    avcodec_open2(ctx, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* sws = nullptr;
    std::vector<uint8_t> dst(size_t(w) * h * 3);
    for (auto _ : state) {
        packet->data = jpeg.data();
        packet->size = int(size);
        avcodec_send_packet(ctx, packet);
        if (avcodec_receive_frame(ctx, frame) == 0) {
            if (!sws)
                sws = sws_getContext(w, h, AVPixelFormat(frame->format), w, h, AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr);
            uint8_t* planes[1] = {dst.data()};
            int strides[1] = {w * 3};
            sws_scale(sws, frame->data, frame->linesize, 0, h, planes, strides);
            av_frame_unref(frame);
        }
        benchmark::ClobberMemory();
    }
    sws_freeContext(sws);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&ctx);
}

}  // namespace

#define SIZES Args({1280, 720})->Args({1920, 1080})
BENCHMARK(BM_StreamingLimitRead2Write3)->SIZES;
BENCHMARK(BM_StreamingLimitRead2Write3_FromMemory)->SIZES;
BENCHMARK(BM_Yuy2ToBgr_Avx2_FromMemory)->SIZES;
BENCHMARK(BM_Yuy2ToBgr_Avx2)->SIZES;
BENCHMARK(BM_LibyuvYuy2ToRgb24)->SIZES;
BENCHMARK(BM_Yuy2ToBgr_Sse2)->SIZES;
BENCHMARK(BM_Yuy2ToBgr_Scalar)->SIZES;
BENCHMARK(BM_InPlaceLimit);
BENCHMARK(BM_Invert);
BENCHMARK(BM_Invert_Scalar);
BENCHMARK(BM_Gray);
BENCHMARK(BM_Gray_Scalar);
BENCHMARK(BM_Binary);
BENCHMARK(BM_Binary_Scalar);
BENCHMARK(BM_Emboss);
BENCHMARK(BM_Emboss_Scalar);
BENCHMARK(BM_FlipHorizontal);
BENCHMARK(BM_FlipHorizontal_Scalar);
BENCHMARK(BM_TurboJpegDecode)->SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewPathMjpg)->SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibavcodecSwscaleDecode)->SIZES->Unit(benchmark::kMillisecond);
