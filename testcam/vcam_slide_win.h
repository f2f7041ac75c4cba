// The virtual microscope over a slide larger than its field (slide.h): an instance configured
// with a slide shows the part of it under its field instead of the stage micrometer, and the
// field moves as vcamctl tells it (at once, or along a path at a speed), as a hand moves a
// specimen. On request every frame's true place is written to a file. Everything is kept in the
// instance's registry key: "Slide" ("8000x6000" or "8000x6000@seed"), "SlideMove" (the latest
// move, see SetSlideMove) and "SlideTruth" (the file, or absent), read afresh by the streaming
// camera at every frame.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "slide.h"

struct SlideConfig {
    int width = 0, height = 0;
    uint32_t seed = 1;
};
// "8000x6000" or "8000x6000@7": sides 256 .. 100000.
bool ParseSlideConfig(const std::wstring& text, SlideConfig* out);
bool ReadSlideConfig(const std::wstring& name, SlideConfig* out);  // false: no slide
// Writes the instance's slide, or removes it (config null).
bool WriteSlideConfig(const std::wstring& name, const SlideConfig* config);

// A new move for the field's top-left corner: through points in turn at speed pixels per frame
// (0: at once to the last point).
bool SetSlideMove(const std::wstring& name, double speed, const std::vector<SlidePoint>& points);
// Frames' true places appended to file ("frame x y" lines), or no more (empty).
bool SetSlideTruth(const std::wstring& name, const std::wstring& file);

class SlideCamera {
public:
    SlideCamera(const std::wstring& name, const SlideConfig& config);
    ~SlideCamera();
    // Frame frameNumber, width x height BGR: the field moved on by the latest move and drawn.
    void Render(uint32_t frameNumber, int width, int height, uint8_t* bgr);

private:
    void FollowMove(int width, int height);
    void WriteTruth(uint32_t frameNumber);

    std::wstring key_;
    SlideScene scene_;
    bool placed_ = false;             // the field has a place (the middle until a move says)
    double x_ = 0, y_ = 0;            // the field's top-left corner
    std::wstring move_;               // the move being followed, as written
    std::vector<SlidePoint> points_;  // what is left of it
    double speed_ = 0;
    std::wstring truthPath_;
    FILE* truth_ = nullptr;
};
