// The live mosaic's course from frame to frame (see live_mosaic.h): the guess for the next frame
// is the last place moved on by the field's recent movement per camera frame; a frame that is not
// found there is looked for at the last place itself (the hand stopped), then across the mosaic.
#include "frame/live_mosaic.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr uint32_t kLongestGap = 8;  // camera frames the movement is carried over at most

}  // namespace

bool LiveMosaic::Start(int width, int height) {
    canvas_.Clear();
    state_ = MosaicState::Waiting;
    placed_ = 0;
    lastX_ = lastY_ = vx_ = vy_ = 0;
    lastSequence_ = 0;
    early_.clear();
    shading_.Start(width, height);
    return tracker_.Start(width, height);
}

MosaicStep LiveMosaic::Locate(const uint8_t* frame, size_t stride, uint32_t sequence) {
    MosaicStep step;
    step.x = lastX_;
    step.y = lastY_;
    tracker_.LoadFrame(frame, stride);
    if (placed_ == 0) {
        // The first frame starts the mosaic where it is, if it shows anything to follow.
        step.fix.found = tracker_.Texture() >= kStartTexture;
        step.state = step.fix.found ? MosaicState::Tracking : MosaicState::Waiting;
        step.x = step.y = 0;
        state_ = step.state;
        if (step.fix.found) shading_.Add(tracker_.Quarter(), tracker_.QuarterWidth(), tracker_.QuarterHeight(), 0, 0);
        lastSequence_ = sequence;
        return step;
    }
    const uint32_t gap = std::min(kLongestGap, std::max(1u, sequence - lastSequence_));
    const double guessX = lastX_ + vx_ * gap, guessY = lastY_ + vy_ * gap;
    MosaicFix fix = tracker_.Near(canvas_, guessX, guessY);
    if (!fix.found && std::hypot(guessX - lastX_, guessY - lastY_) > 2) fix = tracker_.Near(canvas_, lastX_, lastY_);
    if (!fix.found) fix = tracker_.Search(canvas_, lastX_, lastY_, kSearchWindows);
    step.fix = fix;
    if (!fix.found) {
        state_ = step.state = MosaicState::Lost;
        vx_ = vy_ = 0;  // after a loss the field may be anywhere: no movement is carried on
        return step;
    }
    if (state_ == MosaicState::Tracking || state_ == MosaicState::Full) {
        // Smoothed over a few frames: a hand moves steadily but single answers jitter.
        vx_ = 0.5 * vx_ + 0.5 * (fix.x - lastX_) / gap;
        vy_ = 0.5 * vy_ + 0.5 * (fix.y - lastY_) / gap;
    }
    lastX_ = step.x = fix.x;
    lastY_ = step.y = fix.y;
    shading_.Add(tracker_.Quarter(), tracker_.QuarterWidth(), tracker_.QuarterHeight(), fix.x, fix.y);
    lastSequence_ = sequence;
    state_ = step.state = MosaicState::Tracking;
    return step;
}

void LiveMosaic::Place(const uint8_t* frame, size_t stride, MosaicStep* step) {
    if (!step->fix.found) return;
    const int w = tracker_.width(), h = tracker_.height();
    if (!canvas_.Reserve(FrameFootprint(w, h, step->x, step->y))) {
        state_ = step->state = MosaicState::Full;
        return;
    }
    const bool learnt = shading_.Learnt();
    step->changed = BlendFrame(&canvas_, frame, w, h, stride, step->x, step->y, &scratch_,
                               learnt ? &shading_.Gains() : nullptr);
    step->placed = true;
    ++placed_;
    if (!learnt) {
        KeepEarly(frame, stride, step->x, step->y);
    } else if (!early_.empty()) {
        // The shading has just been learnt: the first frames again, evened out, then this one.
        for (const EarlyFrame& e : early_)
            step->changed = Union(step->changed, BlendFrame(&canvas_, e.pixels.data(), w, h, size_t(w) * 3, e.x, e.y,
                                                            &scratch_, &shading_.Gains()));
        BlendFrame(&canvas_, frame, w, h, stride, step->x, step->y, &scratch_, &shading_.Gains());
        std::vector<EarlyFrame>().swap(early_);
    }
}

void LiveMosaic::KeepEarly(const uint8_t* frame, size_t stride, double x, double y) {
    const int w = tracker_.width(), h = tracker_.height();
    // A frame near the last one kept stands in for it (it won the same blocks, or most of them).
    const double near = 0.05 * std::min(w, h);
    if (!early_.empty() && std::hypot(early_.back().x - x, early_.back().y - y) < near) early_.pop_back();
    if (early_.size() >= kEarlyFrames) return;
    try {
        EarlyFrame e{std::vector<uint8_t>(size_t(w) * h * 3), x, y};
        for (int j = 0; j < h; ++j) std::copy(frame + size_t(j) * stride, frame + size_t(j) * stride + size_t(w) * 3,
                                              e.pixels.begin() + std::ptrdiff_t(j) * w * 3);
        early_.push_back(std::move(e));
    } catch (const std::bad_alloc&) {
        // Without memory the first part keeps its shading.
    }
}

MosaicStep LiveMosaic::Add(const uint8_t* frame, size_t stride, uint32_t sequence) {
    MosaicStep step = Locate(frame, stride, sequence);
    Place(frame, stride, &step);
    return step;
}
