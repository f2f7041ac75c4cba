// The virtual microscope's specimen with relief, for focus stacking: a stained tissue texture on
// a surface with a height at every point (a tilted slide, a dome and a staircase). A picture is
// focused at a height: each point is blurred by its distance from the focal plane, and the
// field shifts and scales slightly with the focus as a real microscope's does. The all-in-focus
// picture is the ground truth a fused stack is measured against. Portable code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class DepthSpecimen {
public:
    // Renders the texture, its heights and the blurred copies the pictures are mixed from (a
    // second or so for 1920 x 1080).
    DepthSpecimen(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // The picture focused at z (0 the lowest point, 1 the highest; clamped), 24-bit BGR top-down,
    // stride width * 3. A non-zero noiseSeed adds a camera's sensor noise, different per seed.
    void Render(double z, uint32_t noiseSeed, uint8_t* bgr) const;
    // The all-in-focus picture in the field of focus z, without noise.
    void RenderTruth(double z, uint8_t* bgr) const;
    // As Render, in the field of focus 0 whatever z is: the picture a perfectly steady
    // microscope would give (for tools that take no alignment).
    void RenderSteady(double z, uint32_t noiseSeed, uint8_t* bgr) const;

    // Height 0..1 of the point at (x, y) in the field of focus 0.
    float HeightAt(int x, int y) const { return heights_[size_t(y) * width_ + x]; }
    // Where the steps' edges are: true for a point beside a jump in height.
    bool OnStepEdge(int x, int y) const;

    // The field of focus z against the field of focus 0: a point p of the latter appears at
    // centre + scale * (p - centre) + (shiftX, shiftY), the centre being the picture's.
    struct Field {
        double scale = 1, shiftX = 0, shiftY = 0;
    };
    Field FieldAt(double z) const;
    // Blur (Gaussian sigma in pixels) of a point 1.0 away from the focal plane.
    double MaxSigma() const { return maxSigma_; }

private:
    void Mix(double z, std::vector<uint8_t>* out) const;
    void Resample(const uint8_t* scene, const Field& field, uint8_t* out) const;

    int width_, height_;
    double maxSigma_;
    std::vector<float> heights_;
    std::vector<float> sigmas_;                 // blur of each level, increasing from 0
    std::vector<std::vector<uint8_t>> levels_;  // the texture at each blur, BGR
};

// The focus knob of the virtual microscope, turned by commands: held at a position, or swept
// slowly from where it is to the top and back, a pass from 0 to 1 taking the given seconds.
// Stepped once per frame; a new command is told by its serial number.
struct FocusCommand {
    uint32_t serial = 0;
    double position = 0;      // where a hold command puts the focus
    double sweepSeconds = 0;  // 0: hold; otherwise sweep from the current position
};

class FocusDrive {
public:
    // The focus for the next frame at fps frames per second.
    double Step(const FocusCommand& command, int fps);
    double Position() const { return z_; }

private:
    double z_ = 0;
    int direction_ = 1;
    uint32_t serial_ = 0;
};

// A camera's sensor noise on a BGR picture: about 1.2 levels of deviation, deterministic per seed.
void AddSensorNoise(uint8_t* bgr, size_t bytes, uint32_t seed);
