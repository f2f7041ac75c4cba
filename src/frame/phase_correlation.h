// Translation between two pictures of one scene by phase correlation: both are windowed and
// transformed, their cross-power spectrum is whitened (only the phase is kept, so blur and
// brightness matter little), and the peak of its inverse is the shift, located to a fraction
// of a pixel. The reference is transformed once and matched against any number of pictures.
// Portable; single precision FFT (KissFFT).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// moving(x + dx, y + dy) shows what reference(x, y) shows. peak is the height of the
// correlation peak, 1 for identical pictures, near 0 when nothing matches; clarity is how far it
// stands above the rest of the correlation (its height less their mean, in their standard
// deviations): a match stands far out, a chance peak among many a few deviations at most.
struct PhaseShift {
    float dx = 0, dy = 0;
    float peak = 0;
    float clarity = 0;
};

class PhaseCorrelator {
public:
    PhaseCorrelator();
    ~PhaseCorrelator();
    PhaseCorrelator(const PhaseCorrelator&) = delete;
    PhaseCorrelator& operator=(const PhaseCorrelator&) = delete;

    // Prepares for pictures of width x height samples (even, 8 to 4096 each way; sizes whose
    // factors are 2, 3 and 5 transform fastest). False for another size or without memory.
    bool Init(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }

    // The reference picture: width x height floats, rows stride floats apart.
    void SetReference(const float* pixels, size_t stride);
    bool HasReference() const { return hasReference_; }
    // The shift of a picture against the reference; shifts beyond half the size each way are
    // found modulo the size.
    PhaseShift Match(const float* pixels, size_t stride);

    // Bytes the correlator holds.
    size_t MemoryBytes() const;

private:
    struct Plans;
    void Forward(const float* pixels, size_t stride, std::vector<float>* spectrum);
    void Release();

    int width_ = 0, height_ = 0;
    bool hasReference_ = false;
    Plans* plans_ = nullptr;
    std::vector<float> window_;     // separable Hann window: width_ then height_ values
    std::vector<float> reference_;  // conjugate spectrum, interleaved re/im, (width/2+1) x height
    std::vector<float> spectrum_;   // the picture being matched
    std::vector<float> real_;       // a picture in the spatial domain
    std::vector<float> column_;     // one column's complex values, in and out
};

// The larger even sizes with no prime factor above 5 that are at most n (n >= 8).
int FftFriendlySize(int n);
