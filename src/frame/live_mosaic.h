// A live mosaic: frames of a camera whose field the user moves by hand, each located in the
// mosaic built so far (near where the last one lay, moving on as the field moved; searched for
// across the whole mosaic once that fails) and laid into it with a feathered seam. A frame whose
// place is not certain is left out: the mosaic says it has lost the field until a frame is
// found again. The camera's shading is learnt from the frames and evened out. Memory stays within a budget (the tiles of mosaic_canvas.h): frames that would
// need more are left out too, while the field is still followed.
//
// A frame is taken in two stages, so that a caller can keep readers of the mosaic out only while
// it changes: Locate reads the frame and the mosaic, Place writes the mosaic. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame/mosaic_blend.h"
#include "frame/mosaic_canvas.h"
#include "frame/mosaic_shading.h"
#include "frame/mosaic_tracker.h"

enum class MosaicState {
    Waiting,   // no frame placed yet: the first one needs some detail to start from
    Tracking,  // the last frame was placed (or found)
    Lost,      // the last frame could not be placed with confidence: "move slower"
    Full,      // the last frame was found but would take the mosaic beyond its memory
};

struct MosaicStep {
    MosaicState state = MosaicState::Waiting;
    bool placed = false;
    double x = 0, y = 0;       // where the frame lies (found or placed), else the last known place
    MosaicRect changed;        // full-size pixels written by Place
    MosaicFix fix;
};

class LiveMosaic {
public:
    explicit LiveMosaic(size_t budgetBytes = size_t(400) << 20) : canvas_(budgetBytes) {}
    LiveMosaic(const LiveMosaic&) = delete;
    LiveMosaic& operator=(const LiveMosaic&) = delete;

    // Starts an empty mosaic for frames of width x height; false for a size out of range.
    bool Start(int width, int height);
    int FrameWidth() const { return tracker_.width(); }
    int FrameHeight() const { return tracker_.height(); }

    // Stage one: where the frame (BGR, rows stride bytes apart) goes. sequence counts the
    // camera's frames (frames skipped in between make the field's movement per frame known).
    // Reads the mosaic, writes nothing the readers of the mosaic see.
    MosaicStep Locate(const uint8_t* frame, size_t stride, uint32_t sequence);
    // Stage two: the located frame laid into the mosaic (when Locate found a place); the same
    // frame must be passed. Sets step->placed, ->changed and, when the memory is spent, ->state.
    void Place(const uint8_t* frame, size_t stride, MosaicStep* step);
    MosaicStep Add(const uint8_t* frame, size_t stride, uint32_t sequence);

    const MosaicCanvas& Canvas() const { return canvas_; }
    MosaicState State() const { return state_; }
    int Placed() const { return placed_; }
    // The field as last known: top-left corner in the mosaic (valid once a frame was placed).
    double FieldX() const { return lastX_; }
    double FieldY() const { return lastY_; }
    // The camera's shading as learnt so far (see mosaic_shading.h).
    double Shading() const { return shading_.Strength(); }

    // The fewest detail (MosaicTracker::Texture) the first frame needs.
    static constexpr float kStartTexture = 6.0f;
    // Windows of the whole-mosaic search tried per frame while lost.
    static constexpr int kSearchWindows = 60;
    // Frames kept to be laid in again once the shading is learnt.
    static constexpr size_t kEarlyFrames = 8;

private:
    void KeepEarly(const uint8_t* frame, size_t stride, double x, double y);

    MosaicCanvas canvas_;
    MosaicTracker tracker_;
    ShadingEstimate shading_;
    BlendScratch scratch_;
    // The frames placed before the shading was learnt (the latest at each place), laid in again
    // evened out when it is, so the first part of the mosaic shows no shading either.
    struct EarlyFrame {
        std::vector<uint8_t> pixels;
        double x, y;
    };
    std::vector<EarlyFrame> early_;
    MosaicState state_ = MosaicState::Waiting;
    int placed_ = 0;
    double lastX_ = 0, lastY_ = 0;  // last frame found
    double vx_ = 0, vy_ = 0;        // the field's movement per camera frame
    uint32_t lastSequence_ = 0;
};
