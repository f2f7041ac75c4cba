// Display scale: the window layouts are given in pixels at 96 dpi and multiplied by dpi / 96 at
// other scales, so the whole window grows as one; artwork comes at 1x, 1.5x and 2x. Portable,
// shared by every window that places children in pixels and by the tests.
#pragma once

constexpr int kBaseDpi = 96;

// px * dpi / 96, rounded half away from zero (as the platform's MulDiv): 52 -> 65 at 120 dpi,
// 78 at 144, 104 at 192. A dpi of 0 or less (not known) counts as 96, so 96 gives px unchanged.
int ScalePx(int px, int dpi);

// Artwork scales, drawn by the generators: index 0 = 1x, 1 = 1.5x, 2 = 2x.
constexpr int kArtScales = 3;
// The artwork nearest to dpi / 96; halfway between two goes to the smaller one, so a picture is
// never drawn larger than its place at the scale (120 dpi -> 1x, 144 -> 1.5x, 168 -> 1.5x, 192 -> 2x).
int ArtScaleFor(int dpi);
// A 96-dpi pixel figure at artwork scale `art`: 40 -> 40, 60, 80.
int ArtPx(int px, int art);
