// Extended depth of field: frames taken while the focus is turned through a specimen are fused
// into one picture that is sharp wherever any frame was. Each frame is aligned to the first one
// (phase correlation on a reduced copy, refined for shift and scale), moved into the first
// frame's field, measured for focus at every point (the modified Laplacian summed over a small
// window) and fused: a point takes the frame's colour where the frame is the sharpest seen
// there so far. The choice is smoothed (a majority over neighbours, no lone points) and blended
// over a pixel or two at its edges, so noise and edges leave neither speckle nor seams.
//
// Memory stays the same whatever the number of frames: the fused picture, the frame being
// fused, and per point of a half-size grid the best focus so far, the frame it came from and the
// current choice, with one half-size brightness picture for the alignment. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame/field_alignment.h"
#include "frame/phase_correlation.h"
#include "frame/stack_kernels.h"

// What one frame did.
struct StackStep {
    bool fused = false;   // false: the frame did not match the first one and was left out
    FieldWarp warp;       // where the first frame's field lies in this frame (full size)
    float match = 0;      // the alignment's phase correlation peak (0..1)
    float clarity = 0;    // how far that peak stood out (see PhaseShift)
    float improved = 0;   // share of the picture the frame made sharper (0..1)
};

class FocusStack {
public:
    FocusStack() = default;
    FocusStack(const FocusStack&) = delete;
    FocusStack& operator=(const FocusStack&) = delete;

    // Prepares to fuse frames of width x height (16 to 8192 each way, BGR rows width * 3 bytes
    // apart). False when the size is out of range or the memory is not there; nothing is kept.
    bool Start(int width, int height);
    void Clear();  // frees everything
    bool Started() const { return width_ > 0; }
    int width() const { return width_; }
    int height() const { return height_; }

    // A frame is fused in three stages, so that a caller can read it from a buffer that another
    // thread may reuse (Prepare is the only stage that reads it) and can keep readers of the
    // fused picture out only while it changes (Commit is the only stage that writes it).
    // Prepare: aligns the frame to the first one and copies it, moved into the first frame's
    // field, into the stack's own buffer. False when it could not be aligned (it is then left
    // out: Measure and Commit do nothing).
    bool Prepare(const uint8_t* frame);
    // Measure: the prepared frame's focus everywhere, and the smoothed choice of the points
    // where it is the sharpest yet.
    void Measure();
    // Commit: the chosen points into the fused picture and the depth map.
    StackStep Commit();
    // All three; the usual way when nobody else reads the frame or the fused picture.
    StackStep Add(const uint8_t* frame);

    // The fused picture: width x height BGR, rows width * 3 bytes apart.
    const uint8_t* Fused() const { return fused_.data(); }
    int Frames() const { return frames_; }  // frames fused, the first included
    // Fused frames in a row (the latest included) that made nearly nothing sharper.
    int QuietFrames() const { return quiet_; }

    // Makes the choice map hold no lone point: a point whose frame none of its eight neighbours
    // shares takes its neighbours' commonest frame and, in the picture, their middle colour.
    // For the end of a stack; fusing may go on afterwards.
    void Finish();

    // The depth map: which frame each point came from, first frame blue, last red, as a
    // width x height BGR picture (rows width * 3 bytes apart).
    void RenderDepthMap(uint8_t* bgr) const;
    // The choice map on its half-size grid: the number of the frame (0 the first) per point.
    const std::vector<uint16_t>& Choices() const { return depth_; }
    int GridWidth() const { return halfW_; }
    int GridHeight() const { return halfH_; }

    // Bytes held, frames of width x height x 3 bytes as the unit being what a caller compares.
    size_t MemoryBytes() const;

private:
    void Reduce(const uint8_t* frame, uint16_t* luma) const;
    void LoadCorrelatorPicture(const uint16_t* luma);
    void SetReference(const uint8_t* picture);
    bool Align(FieldWarp* warp);
    void Warp(const uint8_t* frame, const FieldWarp& warp);
    void MeasureFocus();
    void SmoothChoice();
    void BlendChoice();

    int width_ = 0, height_ = 0, halfW_ = 0, halfH_ = 0;
    int frames_ = 0, quiet_ = 0;
    bool prepared_ = false, measured_ = false;
    FieldWarp lastWarp_;   // full-size warp of the frame last prepared
    float lastMatch_ = 0, lastClarity_ = 0;
    double lastScale_ = 1.0;  // scale of the last frame fused: where the next one's search starts
    // Valid part of the prepared frame on the half-size grid (the rest lay outside the frame).
    int validX0_ = 0, validX1_ = 0, validY0_ = 0, validY1_ = 0;
    uint32_t chosen_ = 0, valid_ = 0;  // points chosen by the measured frame, and points it covers

    std::vector<uint8_t> fused_;      // width x height BGR
    std::vector<uint8_t> warped_;     // the prepared frame in the first frame's field
    std::vector<uint16_t> luma_;      // half size: sum of four (B + 2G + R), of a frame or the reference
    std::vector<uint16_t> best_;      // half size: best focus so far, as ordered 16-bit codes
    std::vector<uint16_t> depth_;     // half size: frame each point came from
    std::vector<uint8_t> choice_;     // half size: 1 where the measured frame is chosen
    std::vector<uint32_t> rowChosen_;  // half size rows: chosen points per row
    // Row buffers: the warp's rows resampled across (six rows of floats), the brightness rows,
    // the Laplacian's two rows, the focus measure's rows and their sums down, the smoothing's
    // three rows of the choice and the blend's weights.
    std::vector<float> acrossRows_;
    std::vector<float> paddedRow_;
    std::vector<AcrossRun> runs_;
    std::vector<int16_t> lumaRows_;
    std::vector<int16_t> laplacian_;
    std::vector<uint16_t> measureRows_;
    std::vector<int32_t> columnSums_;
    std::vector<uint8_t> choiceRows_;
    std::vector<uint8_t> alpha_;
    std::vector<float> quarter_;  // the correlator's picture
    PhaseCorrelator correlator_;
    FieldAligner aligner_;
    int correlatorLevel_ = 2;    // half-size samples per sample of the correlator's grid (1 or 2)
    int cropX_ = 0, cropY_ = 0;  // where the correlator's picture lies on its grid
};

// A 16-bit code of a non-negative focus value that orders as the value does (its float's top
// bits: 8 bits of exponent, 7 of mantissa).
uint16_t FocusCode(float value);
