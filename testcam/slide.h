// The virtual microscope's large slide: a stained specimen far larger than the camera's field
// (cells of varying density, a few nearly empty regions, a faint uneven stain), made up from a
// seed so that any part of it can be drawn again exactly, and the camera's view of it at any
// place: a crop with mild vignetting and noise. Portable; drawn in tiles on demand and kept in a
// small cache, so a slide of 12,000 x 9,000 pixels costs only what the camera looks at.
#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

struct SlideRegion {
    int x, y, radius;  // a nearly empty disc: no cells inside radius, few near it
};

class SlideScene {
public:
    SlideScene(int width, int height, uint32_t seed = 1);
    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<SlideRegion>& EmptyRegions() const { return empty_; }

    // The slide itself, without camera effects: w x h BGR pixels from (x, y), rows w * 3 bytes
    // apart. Parts outside the slide are black.
    void Crop(int x, int y, int w, int h, uint8_t* bgr);

    // What the camera shows with its field's top-left corner at (x, y): the crop darkened towards
    // the corners (by vignetting at the far corner, 0.06 = 6 %) and with noise of the given
    // standard deviation in levels, drawn from frameNumber (the same number gives the same noise).
    struct Camera {
        double vignetting = 0.05;
        double noise = 1.5;
    };
    void Field(int x, int y, int w, int h, uint32_t frameNumber, const Camera& camera, uint8_t* bgr);

private:
    static constexpr int kTile = 256;
    const std::vector<uint8_t>& Tile(int tx, int ty);
    void DrawTile(int tx, int ty, uint8_t* bgr) const;
    float Density(double x, double y) const;

    int width_, height_;
    uint32_t seed_;
    std::vector<SlideRegion> empty_;
    // Least recently used tiles are dropped beyond kCacheTiles.
    static constexpr size_t kCacheTiles = 160;
    std::list<int64_t> order_;
    std::unordered_map<int64_t, std::pair<std::vector<uint8_t>, std::list<int64_t>::iterator>> cache_;
    std::vector<float> vignette_;  // per pixel of the last field size
    int vignetteW_ = 0, vignetteH_ = 0;
    double vignetteStrength_ = -1;
};

// A path of the field's top-left corner: straight segments between waypoints, travelled at
// speed pixels per frame; positions are whole pixels (rounded).
struct SlidePoint {
    double x, y;
};
std::vector<SlidePoint> WalkPath(const std::vector<SlidePoint>& waypoints, double speed);

// A serpentine over a rectangle: passes left to right, right to left, ... each pass lower by
// (1 - overlap) of the field's height, frames step pixels apart along a pass and down a turn.
std::vector<SlidePoint> SerpentinePath(double x0, double y0, int passes, double passLength, double fieldHeight,
                                       double overlap, double step);
