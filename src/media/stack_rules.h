// The focus-stack mode's rules that need no window: when the "all sharp" hint is due, what the
// panel's status line says, and where the depth map goes beside the photo. Portable.
#pragma once
#include <string>

// Fused frames in a row that must have made nothing sharper before the hint shows, and frames
// fused before it may show at all.
constexpr int kHintQuietFrames = 20;
constexpr int kHintMinFrames = 5;

bool StackHintDue(int fused, int quiet);

// The status line of a running stack: which text (a key of the text tables) and its numbers.
struct StackStatusLine {
    const char* key;  // "stack hint", "stack running", "stack running skipped"
    int fused = 0, leftOut = 0;
};
StackStatusLine StackStatusFor(int fused, int leftOut, int quiet);

// The depth map beside a photo: the photo's name with "-depth" before its extension
// (…\20230322-142501-007.png -> …\20230322-142501-007-depth.png).
std::wstring DepthMapPathFor(const std::wstring& photoPath);
