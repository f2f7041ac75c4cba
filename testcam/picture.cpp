// Synthetic stage-micrometer picture and colour-bar frame of the virtual microscope.
#include "picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// 5x7 glyphs, one byte per row, bit 4 is the leftmost column.
struct Glyph {
    char c;
    uint8_t rows[7];
};
const Glyph kFont[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'m', {0x00, 0x00, 0x1A, 0x15, 0x15, 0x15, 0x15}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}}, {' ', {0, 0, 0, 0, 0, 0, 0}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& g : kFont)
        if (g.c == c) return &g;
    return nullptr;
}

// Smooth value noise in 0..1 from an integer lattice hash.
float Hash(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777215.0f;
}

float Noise(float x, float y, uint32_t seed) {
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float fx = x - ix, fy = y - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed), c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

uint8_t Clamp8(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Darkens pixel (x, y) toward the line colour by coverage 0..1.
void Ink(uint8_t* img, int w, int h, int x, int y, float coverage) {
    if (x < 0 || y < 0 || x >= w || y >= h || coverage <= 0) return;
    if (coverage > 1) coverage = 1;
    uint8_t* p = img + (static_cast<size_t>(y) * w + x) * 3;
    const int ink[3] = {28, 22, 20};
    for (int i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>(p[i] + (ink[i] - p[i]) * coverage + 0.5f);
}

// Vertical line centred at fractional x, from y0 to y1 inclusive, width lw, box-filtered.
void VLine(uint8_t* img, int w, int h, double x, int y0, int y1, double lw) {
    double left = x - lw / 2, right = x + lw / 2;
    for (int col = static_cast<int>(std::floor(left)); col <= static_cast<int>(std::floor(right)); ++col) {
        double cov = std::min<double>(col + 1, right) - std::max<double>(col, left);
        if (cov <= 0) continue;
        for (int y = y0; y <= y1; ++y) Ink(img, w, h, col, y, static_cast<float>(cov));
    }
}

}  // namespace

int TextWidth(const char* text, int scale) { return static_cast<int>(std::strlen(text)) * 6 * scale - scale; }

void DrawText(uint8_t* bgr, int width, int height, int x, int y, const char* text, int scale, uint8_t b, uint8_t g,
              uint8_t r) {
    for (; *text; ++text, x += 6 * scale) {
        const Glyph* gl = FindGlyph(*text);
        if (!gl) continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col) {
                if (!(gl->rows[row] & (0x10 >> col))) continue;
                for (int sy = 0; sy < scale; ++sy)
                    for (int sx = 0; sx < scale; ++sx) {
                        int px = x + col * scale + sx, py = y + row * scale + sy;
                        if (px < 0 || py < 0 || px >= width || py >= height) continue;
                        uint8_t* p = bgr + (static_cast<size_t>(py) * width + px) * 3;
                        p[0] = b;
                        p[1] = g;
                        p[2] = r;
                    }
            }
    }
}

MicrometerScene::MicrometerScene(int width, int height, double pixelsPerMm)
    : width_(width), height_(height), sceneW_(width + 2 * kMargin), sceneH_(height + 2 * kMargin),
      pixelsPerMm_(pixelsPerMm) {
    scene_.resize(static_cast<size_t>(sceneW_) * sceneH_ * 3);
    // Specimen: a thin stained tissue section, pink cells with darker walls and a purple
    // nucleus each, over faint fibres. Its scale follows the magnification so the cells keep
    // their size against the ruler.
    const float cell = static_cast<float>(std::max(24.0, pixelsPerMm * 0.08));
    for (int y = 0; y < sceneH_; ++y) {
        uint8_t* p = &scene_[static_cast<size_t>(y) * sceneW_ * 3];
        const float fy = y / cell;
        const int cy = static_cast<int>(std::floor(fy));
        for (int x = 0; x < sceneW_; ++x, p += 3) {
            const float fx = x / cell;
            const int cx = static_cast<int>(std::floor(fx));
            // Nearest and second nearest jittered cell centres (a Voronoi tissue).
            float d1 = 9, d2 = 9, r1 = 0;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) {
                    float px = cx + i + 0.15f + 0.7f * Hash(cx + i, cy + j, 11);
                    float py = cy + j + 0.15f + 0.7f * Hash(cx + i, cy + j, 12);
                    float d = std::sqrt((fx - px) * (fx - px) + (fy - py) * (fy - py));
                    if (d < d1) {
                        d2 = d1;
                        d1 = d;
                        r1 = 0.16f + 0.1f * Hash(cx + i, cy + j, 13);
                    } else if (d < d2) {
                        d2 = d;
                    }
                }
            float wobble = 0.04f * (Noise(fx * 4, fy * 4, 5) - 0.5f);
            float nucleus = std::min(1.0f, std::max(0.0f, (r1 + wobble - d1) * cell / 2.0f));
            float wall = std::max(0.0f, 1.0f - (d2 - d1) * cell / 3.0f);
            float fibre = Noise(x / 3.0f, y / 9.0f, 3) * 0.5f + Noise(x / 7.0f, y / 2.5f, 4) * 0.5f;
            float r = 242 - 10 * fibre - 20 * wall - 100 * nucleus;
            float g = 222 - 12 * fibre - 30 * wall - 120 * nucleus;
            float b = 230 - 8 * fibre - 15 * wall - 45 * nucleus;
            p[0] = Clamp8(static_cast<int>(b));
            p[1] = Clamp8(static_cast<int>(g));
            p[2] = Clamp8(static_cast<int>(r));
        }
    }
    // The grey card, drawn over the specimen in scene coordinates (the frame shows it shifted
    // by the drift).
    const CardArea card = GreyCardArea(width, height);
    for (int y = card.y0 - kMargin; y < card.y1 + kMargin; ++y)
        for (int x = card.x0 - kMargin; x < card.x1 + kMargin; ++x) {
            uint8_t* p = &scene_[(static_cast<size_t>(y + kMargin) * sceneW_ + x + kMargin) * 3];
            const int grain = static_cast<int>(Hash(x, y, 21) * 7) - 3;
            p[0] = p[1] = p[2] = Clamp8(kGreyCardLevel + grain);
        }
    // Micrometer: baseline a little below the middle, ticks rising from it.
    const double div = pixelsPerMm / 100.0;  // pixels per 0.01 mm
    const double lw = std::max(1.0, std::round(pixelsPerMm * 0.0025));
    rulerX0_ = kMargin + std::max(24.0, width * 0.04);
    baselineY_ = kMargin + height / 2 + 30;
    int count = static_cast<int>((width - 2 * (rulerX0_ - kMargin)) / div);
    if (count < 0) count = 0;
    count = std::min(count, 100000);
    const int shortLen = 16, midLen = 26, longLen = 38;
    for (int i = 0; i <= count; ++i) {
        double x = rulerX0_ + i * div;
        int len = i % 10 == 0 ? longLen : i % 5 == 0 ? midLen : shortLen;
        VLine(scene_.data(), sceneW_, sceneH_, x, baselineY_ - len, baselineY_, lw);
    }
    double end = rulerX0_ + count * div;
    for (int t = 0; t < 2; ++t)
        for (int x = static_cast<int>(std::floor(rulerX0_ - lw / 2)); x <= static_cast<int>(end + lw / 2); ++x)
            Ink(scene_.data(), sceneW_, sceneH_, x, baselineY_ + 1 + t, 1.0f);
    // Numbers every 0.1 mm (0, 1, 2, ... in tenths of a millimetre), thinned out when crowded.
    const int scale = 2;
    for (int i = 0; i <= count; i += 10) {
        char label[16];
        std::snprintf(label, sizeof label, "%d", i / 10);
        int tw = TextWidth(label, scale);
        int every = div * 10 >= tw + 6 ? 1 : div * 50 >= tw + 6 ? 5 : 10;
        if ((i / 10) % every) continue;
        int x = static_cast<int>(std::lround(rulerX0_ + i * div)) - tw / 2;
        DrawText(scene_.data(), sceneW_, sceneH_, x, baselineY_ - longLen - 6 - 7 * scale, label, scale, 28, 22, 20);
    }
    DrawText(scene_.data(), sceneW_, sceneH_, static_cast<int>(rulerX0_), baselineY_ + 10, "0.01 mm", scale, 28, 22,
             20);
}

CardArea GreyCardArea(int width, int height) {
    return {width * 3 / 4, height * 3 / 4, width * 3 / 4 + width / 6, height * 3 / 4 + height / 7};
}

void MicrometerScene::Drift(uint32_t n, int* dx, int* dy) const {
    const double kTwoPi = 6.283185307179586;
    *dx = kMargin + static_cast<int>(std::lround(4 * std::sin(n * kTwoPi / 120)));
    *dy = kMargin + static_cast<int>(std::lround(3 * std::sin(n * kTwoPi / 90)));
}

void MicrometerScene::OriginOf(uint32_t n, double* x, int* baselineY) const {
    int dx, dy;
    Drift(n, &dx, &dy);
    *x = rulerX0_ - dx;
    *baselineY = baselineY_ - dy;
}

void MicrometerScene::RenderBgr(uint32_t n, uint8_t* out) const {
    int dx, dy;
    Drift(n, &dx, &dy);
    const size_t rowBytes = static_cast<size_t>(width_) * 3;
    for (int y = 0; y < height_; ++y)
        std::memcpy(out + y * rowBytes, &scene_[(static_cast<size_t>(y + dy) * sceneW_ + dx) * 3], rowBytes);
    DrawFrameCounter(out, width_, height_, n);
}

void DrawFrameCounter(uint8_t* bgr, int width, int rows, uint32_t n) {
    // A dark plate in the top-left corner, always as wide (seven characters).
    char label[24];
    std::snprintf(label, sizeof label, "#%06u", static_cast<unsigned>(n % 1000000));
    const int tw = TextWidth(label, 2);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 6; y < 6 + 22 && y < rows; ++y)
        for (int x = 6; x < 6 + tw + 12 && x < width; ++x) {
            uint8_t* p = bgr + y * rowBytes + x * 3;
            p[0] = p[1] = p[2] = 40;
        }
    DrawText(bgr, width, rows, 12, 10, label, 2, 240, 240, 240);
}

void BgrToYuy2(const uint8_t* bgr, int width, int height, uint8_t* yuy2) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = bgr + static_cast<size_t>(y) * width * 3;
        uint8_t* d = yuy2 + static_cast<size_t>(y) * width * 2;
        for (int x = 0; x + 1 < width; x += 2, s += 6, d += 4) {
            int b0 = s[0], g0 = s[1], r0 = s[2], b1 = s[3], g1 = s[4], r1 = s[5];
            int y0 = (77 * r0 + 150 * g0 + 29 * b0 + 128) >> 8;
            int y1 = (77 * r1 + 150 * g1 + 29 * b1 + 128) >> 8;
            int r = (r0 + r1) / 2, g = (g0 + g1) / 2, b = (b0 + b1) / 2;
            int u = 128 + ((-43 * r - 85 * g + 128 * b + 128) >> 8);
            int v = 128 + ((128 * r - 107 * g - 21 * b + 128) >> 8);
            d[0] = Clamp8(y0);
            d[1] = Clamp8(u);
            d[2] = Clamp8(y1);
            d[3] = Clamp8(v);
        }
    }
}

void MakeColourBarFrame(uint8_t* out) {
    // Studio-range BT.601 Y, U, V of the fully saturated colours.
    struct Yuv {
        uint8_t y, u, v;
    };
    const Yuv red = {81, 90, 240}, yellow = {210, 16, 146}, cyan = {170, 166, 16}, green = {145, 54, 34},
              magenta = {106, 202, 222}, blue = {41, 240, 110};
    const Yuv bands[8] = {red, yellow, cyan, green, magenta, red, blue, red};
    for (int row = 0; row < 480; ++row) {
        const Yuv& c = bands[row / 60];
        uint8_t* d = out + static_cast<size_t>(row) * 1280;
        for (int x = 0; x < 1280; x += 4) {
            d[x] = c.y;
            d[x + 1] = c.u;
            d[x + 2] = c.y;
            d[x + 3] = c.v;
        }
    }
}
