// Zooming the camera view: the scroll position that keeps a picture point in place across a
// ratio change (the point at the view's centre for the slider and the pop-up, the point under
// the pointer for the wheel), the wheel's ratio steps and its notch counting. Portable.
#pragma once

// The ratio steps of the wheel and of the quick-adjust pop-up's slider, in percent.
constexpr int kRatioSteps[] = {50, 75, 100, 125, 150, 200};
constexpr int kRatioStepCount = int(sizeof(kRatioSteps) / sizeof(kRatioSteps[0]));

// One axis of the view before or after a ratio change: the picture's extent at the ratio
// (display pixels), the client extent without scroll bars, and the scroll position. A display
// not larger than the client is centred and its scroll is 0.
struct ZoomAxis {
    int display = 0;
    int client = 0;
    int scroll = 0;
};

// The scroll position after the ratio change that puts the picture point which lay under
// client position anchorBefore under anchorAfter (the same pointer position, or the centre of
// a client area that lost or gained a bar), clamped to 0 .. display - client. A point in the
// grey strip beside a centred picture counts as the picture's nearest edge.
int AnchoredScroll(const ZoomAxis& before, int anchorBefore, const ZoomAxis& after, int anchorAfter);

// The ratio the wheel goes to from ratio after notches notches (positive: larger): the next
// step above (or below) for each notch, from a ratio between steps (a fitted picture, the
// panel's slider) to the nearest step in that direction; at the ends it stays.
int WheelRatio(int ratio, int notches);

// Wheel rotation adds up until it makes whole notches (WHEEL_DELTA, 120, each): a fine-grained
// wheel sends many smaller amounts. Returns the whole notches (signed) and keeps the rest; a
// turn in the other direction drops a rest of the old one. Given rotation x pixels per notch,
// it counts whole pixels the same way.
struct WheelCounter {
    int rest = 0;
    int Add(int delta);
};
