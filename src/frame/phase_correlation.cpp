// Phase correlation (see phase_correlation.h). The whitened cross-power spectrum is weighted
// with a Gaussian before it is inverted, so the peak comes out as a sampled Gaussian of about one
// sample's width centred on the true shift: three samples each way then locate it to a small
// fraction of a sample, and the noise of the highest frequencies is left out.
#include "frame/phase_correlation.h"

#include <kissfft/kiss_fft.h>
#include <kissfft/kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kPeakSigma = 1.0f;  // width of the correlation peak in samples
constexpr int kPeakReach = 3;       // samples around the peak that belong to it

bool OnlySmallFactors(int n) {
    for (int f : {2, 3, 5})
        while (n % f == 0) n /= f;
    return n == 1;
}

// The offset of a sampled Gaussian's centre from the middle sample of three.
float GaussianVertex(float left, float middle, float right) {
    if (left <= 0 || middle <= 0 || right <= 0) {
        // A peak too weak for logarithms: the centre of mass of what is positive.
        const float l = std::max(0.0f, left), r = std::max(0.0f, right), m = std::max(1e-12f, middle);
        return (r - l) / (l + m + r);
    }
    const float a = std::log(left), b = std::log(middle), c = std::log(right);
    const float denominator = a - 2 * b + c;
    if (denominator >= 0) return 0;
    return std::min(0.5f, std::max(-0.5f, 0.5f * (a - c) / denominator));
}

}  // namespace

struct PhaseCorrelator::Plans {
    kiss_fftr_cfg rowForward = nullptr, rowInverse = nullptr;
    kiss_fft_cfg columnForward = nullptr, columnInverse = nullptr;
    std::vector<float> weights;  // Gaussian weight per frequency, (width/2+1) x height
    float weightSum = 0;         // over the whole (two-sided) spectrum
    ~Plans() {
        kiss_fftr_free(rowForward);
        kiss_fftr_free(rowInverse);
        kiss_fft_free(columnForward);
        kiss_fft_free(columnInverse);
    }
};

int FftFriendlySize(int n) {
    n &= ~1;
    while (n > 8 && !OnlySmallFactors(n)) n -= 2;
    return std::max(8, n);
}

PhaseCorrelator::PhaseCorrelator() = default;
PhaseCorrelator::~PhaseCorrelator() { Release(); }

void PhaseCorrelator::Release() {
    delete plans_;
    plans_ = nullptr;
    std::vector<float>().swap(window_);
    std::vector<float>().swap(reference_);
    std::vector<float>().swap(spectrum_);
    std::vector<float>().swap(real_);
    std::vector<float>().swap(column_);
    width_ = height_ = 0;
    hasReference_ = false;
}

bool PhaseCorrelator::Init(int width, int height) {
    Release();
    if (width < 8 || height < 8 || width > 4096 || height > 4096 || (width & 1) || (height & 1)) return false;
    auto* plans = new (std::nothrow) Plans;
    if (!plans) return false;
    plans->rowForward = kiss_fftr_alloc(width, 0, nullptr, nullptr);
    plans->rowInverse = kiss_fftr_alloc(width, 1, nullptr, nullptr);
    plans->columnForward = kiss_fft_alloc(height, 0, nullptr, nullptr);
    plans->columnInverse = kiss_fft_alloc(height, 1, nullptr, nullptr);
    const int half = width / 2 + 1;
    try {
        plans->weights.resize(size_t(half) * height);
        window_.resize(size_t(width) + height);
        reference_.assign(size_t(half) * height * 2, 0.0f);
        spectrum_.resize(size_t(half) * height * 2);
        real_.resize(size_t(width) * height);
        column_.resize(size_t(height) * 4);
    } catch (const std::bad_alloc&) {
        delete plans;
        return false;
    }
    if (!plans->rowForward || !plans->rowInverse || !plans->columnForward || !plans->columnInverse) {
        delete plans;
        return false;
    }
    // Frequencies in cycles per sample; the peak's Gaussian in space is this one in frequency.
    const float k = 2 * kPi * kPi * kPeakSigma * kPeakSigma;
    plans->weightSum = 0;
    for (int y = 0; y < height; ++y) {
        const float v = float(y <= height / 2 ? y : y - height) / float(height);
        for (int x = 0; x < half; ++x) {
            const float u = float(x) / float(width);
            const float g = std::exp(-k * (u * u + v * v));
            plans->weights[size_t(y) * half + x] = g;
            // Columns 1 .. width/2 - 1 stand for their mirror images too.
            plans->weightSum += g * (x == 0 || x == width / 2 ? 1.0f : 2.0f);
        }
    }
    for (int i = 0; i < width; ++i) window_[size_t(i)] = 0.5f - 0.5f * std::cos(2 * kPi * (float(i) + 0.5f) / float(width));
    for (int i = 0; i < height; ++i)
        window_[size_t(width + i)] = 0.5f - 0.5f * std::cos(2 * kPi * (float(i) + 0.5f) / float(height));
    plans_ = plans;
    width_ = width;
    height_ = height;
    hasReference_ = false;
    return true;
}

size_t PhaseCorrelator::MemoryBytes() const {
    if (!plans_) return 0;
    return (plans_->weights.size() + window_.size() + reference_.size() + spectrum_.size() + real_.size() +
            column_.size()) * sizeof(float);
}

void PhaseCorrelator::Forward(const float* pixels, size_t stride, std::vector<float>* spectrum) {
    const int w = width_, h = height_, half = w / 2 + 1;
    double sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) sum += pixels[size_t(y) * stride + x];
    const float mean = float(sum / (double(w) * h));
    for (int y = 0; y < h; ++y) {
        const float wy = window_[size_t(w + y)];
        const float* src = pixels + size_t(y) * stride;
        float* dst = real_.data() + size_t(y) * w;
        for (int x = 0; x < w; ++x) dst[x] = (src[x] - mean) * window_[size_t(x)] * wy;
        kiss_fftr(plans_->rowForward, dst, reinterpret_cast<kiss_fft_cpx*>(spectrum->data() + size_t(y) * half * 2));
    }
    auto* in = reinterpret_cast<kiss_fft_cpx*>(column_.data());
    kiss_fft_cpx* out = in + h;
    auto* s = reinterpret_cast<kiss_fft_cpx*>(spectrum->data());
    for (int x = 0; x < half; ++x) {
        for (int y = 0; y < h; ++y) in[y] = s[size_t(y) * half + x];
        kiss_fft(plans_->columnForward, in, out);
        for (int y = 0; y < h; ++y) s[size_t(y) * half + x] = out[y];
    }
}

void PhaseCorrelator::SetReference(const float* pixels, size_t stride) {
    if (!plans_) return;
    Forward(pixels, stride, &reference_);
    for (size_t i = 1; i < reference_.size(); i += 2) reference_[i] = -reference_[i];  // conjugate
    hasReference_ = true;
}

PhaseShift PhaseCorrelator::Match(const float* pixels, size_t stride) {
    PhaseShift shift;
    if (!plans_ || !hasReference_) return shift;
    Forward(pixels, stride, &spectrum_);
    const int w = width_, h = height_, half = w / 2 + 1;
    // Whitened cross-power spectrum, weighted.
    const size_t n = size_t(half) * h;
    double magnitudes = 0;
    for (size_t i = 0; i < n; ++i) {
        const float ar = spectrum_[2 * i], ai = spectrum_[2 * i + 1];
        const float br = reference_[2 * i], bi = reference_[2 * i + 1];
        const float re = ar * br - ai * bi, im = ar * bi + ai * br;
        spectrum_[2 * i] = re;
        spectrum_[2 * i + 1] = im;
        magnitudes += std::sqrt(re * re + im * im);
    }
    const float floor = float(1e-6 * magnitudes / double(n)) + 1e-30f;
    for (size_t i = 0; i < n; ++i) {
        const float re = spectrum_[2 * i], im = spectrum_[2 * i + 1];
        const float scale = plans_->weights[i] / (std::sqrt(re * re + im * im) + floor);
        spectrum_[2 * i] = re * scale;
        spectrum_[2 * i + 1] = im * scale;
    }
    // Inverse: columns, then rows.
    auto* in = reinterpret_cast<kiss_fft_cpx*>(column_.data());
    kiss_fft_cpx* out = in + h;
    auto* s = reinterpret_cast<kiss_fft_cpx*>(spectrum_.data());
    for (int x = 0; x < half; ++x) {
        for (int y = 0; y < h; ++y) in[y] = s[size_t(y) * half + x];
        kiss_fft(plans_->columnInverse, in, out);
        for (int y = 0; y < h; ++y) s[size_t(y) * half + x] = out[y];
    }
    for (int y = 0; y < h; ++y) kiss_fftri(plans_->rowInverse, s + size_t(y) * half, real_.data() + size_t(y) * w);
    int best = 0;
    for (int i = 1; i < w * h; ++i)
        if (real_[size_t(i)] > real_[size_t(best)]) best = i;
    const int px = best % w, py = best / w;
    auto at = [&](int x, int y) { return real_[size_t((y + h) % h) * w + size_t((x + w) % w)]; };
    const float centre = at(px, py);
    const float fx = GaussianVertex(at(px - 1, py), centre, at(px + 1, py));
    const float fy = GaussianVertex(at(px, py - 1), centre, at(px, py + 1));
    shift.dx = float(px > w / 2 ? px - w : px) + fx;
    shift.dy = float(py > h / 2 ? py - h : py) + fy;
    shift.peak = centre / plans_->weightSum;
    // The rest of the correlation: all of it but the peak's neighbourhood.
    double sum = 0, squares = 0;
    long count = 0;
    for (int y = 0; y < h; ++y) {
        const int ry = std::min(std::abs(y - py), h - std::abs(y - py));
        for (int x = 0; x < w; ++x) {
            const int rx = std::min(std::abs(x - px), w - std::abs(x - px));
            if (rx <= kPeakReach && ry <= kPeakReach) continue;
            const double v = real_[size_t(y) * w + x];
            sum += v;
            squares += v * v;
            ++count;
        }
    }
    if (count > 1) {
        const double mean = sum / count, deviation = std::sqrt(std::max(1e-30, squares / count - mean * mean));
        shift.clarity = float((centre - mean) / deviation);
    }
    return shift;
}
