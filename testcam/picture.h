// The virtual microscope's picture: a stage micrometer (0.01 mm divisions, numbered every
// 0.1 mm) over a stained-specimen texture, drifting a few pixels, with a frame counter; and
// the colour-bar frame the zoom button sends. Portable code, no Windows headers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class MicrometerScene {
public:
    // Renders the static scene once: slightly larger than the frame so it can drift.
    MicrometerScene(int width, int height, double pixelsPerMm);

    int width() const { return width_; }
    int height() const { return height_; }

    // Frame number n as 24-bit BGR, top-down, stride width * 3 (out must hold width*height*3).
    void RenderBgr(uint32_t frameNumber, uint8_t* out) const;

    // Where the ruler's 0 mark lies in frame n (for tests that measure the picture).
    void OriginOf(uint32_t frameNumber, double* x, int* baselineY) const;

private:
    static constexpr int kMargin = 6;  // drift room on each side
    int width_, height_, sceneW_, sceneH_;
    double pixelsPerMm_;
    double rulerX0_;  // scene x of the 0 mark
    int baselineY_;   // scene y of the ruler's baseline
    std::vector<uint8_t> scene_;
    void Drift(uint32_t n, int* dx, int* dy) const;
};

// The frame counter plate of frame n ("#000123" on a dark plate, top-left), drawn into the top
// rows of a BGR image (stride width * 3). Everything it touches lies above kCounterBandRows.
constexpr int kCounterBandRows = 32;
void DrawFrameCounter(uint8_t* bgr, int width, int rows, uint32_t n);

// A neutral grey card lies on the stage in the lower right of every picture (mid-grey with a
// little grain), for white balance. This is the part of a width x height frame it covers in
// every frame, whatever the drift.
struct CardArea {
    int x0, y0, x1, y1;  // x0 <= x < x1, y0 <= y < y1
};
CardArea GreyCardArea(int width, int height);
constexpr int kGreyCardLevel = 170;

// Packs BGR pixels (stride width*3) into YUY2 (stride width*2), full-range BT.601; width even.
void BgrToYuy2(const uint8_t* bgr, int width, int height, uint8_t* yuy2);

// The 640 x 480 YUY2 colour-bar signal frame: eight 60-row bands red, yellow, cyan, green,
// magenta, red, blue, red. out must hold 614400 bytes.
constexpr size_t kColourBarFrameBytes = 640 * 480 * 2;
void MakeColourBarFrame(uint8_t* out);

// Draws text (digits, '.', ' ', 'm', '#') at (x, y) in a BGR image with the 5x7 font scaled.
void DrawText(uint8_t* bgr, int width, int height, int x, int y, const char* text, int scale, uint8_t b,
              uint8_t g, uint8_t r);
int TextWidth(const char* text, int scale);
