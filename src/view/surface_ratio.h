// The display ratio at which the composition surface can be made. A large camera at a high
// ratio needs a surface of a hundred megabytes or more; when the system cannot give it, the
// picture is shown at a smaller ratio rather than not at all. Portable.
#pragma once
#include <functional>

// The next ratio to try after ratio failed: three quarters of it, at least 50; 0 after 50.
int NextSmallerRatio(int ratio);

// Tries make(ratio) and then make at each smaller ratio; returns the ratio that worked, or 0
// when even 50 failed.
int RatioWithSurface(int ratio, const std::function<bool(int ratio)>& make);
