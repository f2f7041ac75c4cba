// A microscope camera's picture darkens towards its corners (the lens's vignetting, uneven
// light), and a mosaic of such frames would show each frame's corners as a grid of darker
// patches. The shading is learnt from the frames themselves: a point of the specimen seen in two
// overlapping frames at different distances from their centres shows how the brightness falls
// with that distance. Modelled as exp(-a r^2), r = 1 at the corners, a fitted over every pair of
// frames that followed each other at a useful distance (each pair with its own brightness, so a
// camera that changes its exposure does not disturb it); frames are then evened out by the
// inverse before they are laid into the mosaic. Portable.
#pragma once
#include <cstddef>
#include <vector>

#include "frame/mosaic_blend.h"

class ShadingEstimate {
public:
    // For frames of width x height; forgets anything learnt.
    void Start(int width, int height);
    // A frame found at (x, y) of the mosaic, as its quarter-size brightness (qw x qh samples,
    // each the mean of a 4 x 4 block of B + 2G + R). It is compared with the last frame kept,
    // which it replaces unless it lies too close to it to say anything.
    void Add(const float* quarter, int qw, int qh, double x, double y);
    bool Learnt() const { return pairs_ >= kPairsNeeded; }
    double Strength() const { return Learnt() ? strength_ : 0; }
    // Gains that even the frames out (empty until learnt).
    const ShadingGains& Gains() const { return gains_; }

    static constexpr int kPairsNeeded = 3;

private:
    void MakeGains();
    int width_ = 0, height_ = 0;
    std::vector<float> previous_;
    int qw_ = 0, qh_ = 0;
    double px_ = 0, py_ = 0;
    bool havePrevious_ = false;
    double sxy_ = 0, sxx_ = 0;  // over all pairs, centred per pair
    int pairs_ = 0;
    double strength_ = 0, applied_ = -1;
    ShadingGains gains_;
};
