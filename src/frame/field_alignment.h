// Fine alignment of two pictures of one field that differ by a shift and a slight change of
// scale about the picture's centre, as turning a microscope's focus moves and breathes the field:
// Gauss-Newton on the reference's most detailed points, from a start such as phase correlation
// gives. Works on one channel (brightness) of any sample type. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A point p of the reference shows in the moving picture at centre + scale * (p - centre) +
// (dx, dy), centre = ((width - 1) / 2, (height - 1) / 2).
struct FieldWarp {
    double scale = 1.0;
    double dx = 0.0, dy = 0.0;
};

struct FieldAlignment {
    FieldWarp warp;
    bool converged = false;  // the steps became negligible before the iteration limit
    float rms = 0;           // remaining difference per point, in sample units
    int points = 0;          // points that took part in the last step
};

// A one-channel picture: width x height samples, rows stride samples apart.
template <class Sample>
struct Plane {
    const Sample* samples = nullptr;
    int width = 0, height = 0;
    size_t stride = 0;
};

// The reference, prepared once for any number of alignments against it: its points of
// strongest gradient, spread evenly over the picture (the best few of every block), with their
// values and gradients. Nothing of the reference picture itself is kept.
class FieldAligner {
public:
    // Up to maxPoints points; false when the picture is too small (under 16 x 16) or shows
    // nothing to align on.
    template <class Sample>
    bool SetReference(const Plane<Sample>& reference, int maxPoints);
    bool Ready() const { return !points_.empty(); }

    // Refines start so that moving(warp(p)) matches reference(p); moving has the reference's
    // size. withScale false keeps start.scale.
    template <class Sample>
    FieldAlignment Refine(const Plane<Sample>& moving, FieldWarp start, bool withScale) const;

    size_t MemoryBytes() const { return points_.capacity() * sizeof(Point); }

private:
    struct Point {
        float x, y, value, gx, gy;
    };
    std::vector<Point> points_;
    int width_ = 0, height_ = 0;
};

// The warp between pictures of another resolution, binned factor x factor from the other
// (e.g. 2 from a half-size picture to the full one): the scale stays, the shift grows by factor.
FieldWarp ScaleFieldWarp(const FieldWarp& warp, double factor);
