// The scale a photo carries: pixel sizes for mm and µm calibrations, the fields written into
// PNG and JPEG bytes, and the scale bar's length and place.
#include <gtest/gtest.h>

#include <cstring>

#include "media/photo_scale.h"
#include "media/scale_bar.h"

namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

uint32_t Crc(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

void Chunk(std::vector<uint8_t>& out, const char* type, std::vector<uint8_t> data) {
    for (int s : {24, 16, 8, 0}) out.push_back(uint8_t(data.size() >> s));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uint32_t c = Crc(&out[start], out.size() - start);
    for (int s : {24, 16, 8, 0}) out.push_back(uint8_t(c >> s));
}

// A PNG's chunks as (type, data), checking every CRC on the way.
std::vector<std::pair<std::string, std::vector<uint8_t>>> Chunks(const std::vector<uint8_t>& png) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> out;
    for (size_t at = 8; at + 12 <= png.size();) {
        uint32_t n = Be32(&png[at]);
        EXPECT_EQ(Be32(&png[at + 8 + n]), Crc(&png[at + 4], 4 + n));
        out.push_back({std::string(png.begin() + at + 4, png.begin() + at + 8),
                       std::vector<uint8_t>(png.begin() + at + 8, png.begin() + at + 8 + n)});
        at += 12 + n;
    }
    return out;
}

PhotoScale Scale(double ppu, int unit, const wchar_t* name = L"Slide") {
    PhotoScale s;
    s.pixelsPerUnitX = s.pixelsPerUnitY = ppu;
    s.unit = unit;
    s.name = name;
    return s;
}

TEST(PhotoScale, PixelSizesForMillimetreAndMicrometreCalibrations) {
    struct Case { double ppu; int unit; uint32_t perMetre; double micronsPerPixel; JfifDensity jfif; } cases[] = {
        {400, 0, 400000, 2.5, {2, 4000, 4000}},           // 400 px/mm
        {2.5, 1, 2500000, 0.4, {2, 25000, 25000}},        // 2.5 px/µm
        {12.5, 1, 12500000, 0.08, {0, 1, 1}},             // 125000 px/cm: beyond JFIF's 16 bits
        {0.0004, 0, 1, 2500000, {0, 1, 1}},               // less than a pixel per metre: kept at 1
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PngPixelsPerMetre(c.ppu, c.unit), c.perMetre) << c.ppu;
        EXPECT_DOUBLE_EQ(MicronsPerPixel(c.ppu, c.unit), c.micronsPerPixel) << c.ppu;
        JfifDensity d = JfifDensityFor(Scale(c.ppu, c.unit));
        EXPECT_EQ(d.units, c.jfif.units) << c.ppu;
        EXPECT_EQ(d.x, c.jfif.x) << c.ppu;
    }
    EXPECT_EQ(ScaleComment(Scale(400, 0)), L"Calibration: Slide, 2.5 \u00B5m per pixel");
    EXPECT_EQ(ScaleComment(Scale(400, 0, L"")), L"Calibration: 2.5 \u00B5m per pixel");  // a calibration without a name
}

TEST(PhotoScale, ViewPhotoFollowsRatioZoomAndStretch) {
    // 1280 x 720 shown at ratio 50: half the pixels per unit.
    PhotoScale half = ViewPhotoScale(400.0f, 1280, 720, 1280, 720, 640, 360, 0);
    EXPECT_DOUBLE_EQ(half.pixelsPerUnitX, 200.0);
    EXPECT_DOUBLE_EQ(half.pixelsPerUnitY, 200.0);
    // Zoom 5 crops half the frame (640 x 360) onto 1280 x 720: twice the pixels per unit.
    PhotoScale zoomed = ViewPhotoScale(400.0f, 1280, 720, 1280, 720, 1280, 720, 5);
    EXPECT_DOUBLE_EQ(zoomed.pixelsPerUnitX, 800.0);
    // A still of 2560 x 1440 of the same field.
    EXPECT_DOUBLE_EQ(ViewPhotoScale(400.0f, 1280, 720, 1280, 720, 2560, 1440, 0).pixelsPerUnitY, 800.0);
    // A 640 x 480 camera stretched to 1920 x 1080 and calibrated along x at 1200 per mm: its own
    // square pixels hold 400 per mm both ways, as does a photo of its unstretched picture.
    PhotoScale stretched = ViewPhotoScale(1200.0f, 1920, 1080, 640, 480, 1920, 1080, 0);
    EXPECT_DOUBLE_EQ(stretched.pixelsPerUnitX, 1200.0);
    EXPECT_DOUBLE_EQ(stretched.pixelsPerUnitY, 900.0);
    EXPECT_DOUBLE_EQ(ViewPhotoScale(1200.0f, 1920, 1080, 640, 480, 640, 480, 0).pixelsPerUnitY, 400.0);
    EXPECT_FALSE(HasScale(ViewPhotoScale(-1.0f, 1280, 720, 1280, 720, 1280, 720, 0)));
}

TEST(PhotoScale, PngGetsPhysAndCommentAfterItsHeaderAndLosesTheOldPhys) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Chunk(png, "IHDR", std::vector<uint8_t>(13, 1));
    Chunk(png, "pHYs", {0, 0, 0x0E, 0xC4, 0, 0, 0x0E, 0xC4, 1});
    Chunk(png, "IDAT", {1, 2, 3});
    Chunk(png, "IEND", {});
    struct Case { const wchar_t* name; const char* textChunk; } cases[] = {
        {L"Slide", "tEXt"},                   // Latin-1, with the sign µ
        {L"\u8F7D\u73BB\u7247", "iTXt"},  // a Chinese name needs UTF-8
    };
    for (const Case& c : cases) {
        auto chunks = Chunks(PngWithScale(png, Scale(2.5, 1, c.name)));
        ASSERT_EQ(chunks.size(), 5u);
        EXPECT_EQ(chunks[0].first, "IHDR");
        EXPECT_EQ(chunks[1].first, "pHYs");
        EXPECT_EQ(Be32(&chunks[1].second[0]), 2500000u);
        EXPECT_EQ(Be32(&chunks[1].second[4]), 2500000u);
        EXPECT_EQ(chunks[1].second[8], 1);
        EXPECT_EQ(chunks[2].first, c.textChunk);
        EXPECT_EQ(std::string(chunks[2].second.begin(), chunks[2].second.begin() + 8), std::string("Comment\0", 8));
        EXPECT_EQ(chunks[3].first, "IDAT");
        EXPECT_EQ(chunks[4].first, "IEND");
    }
    png.resize(png.size() - 5);  // cut inside IEND
    EXPECT_TRUE(PngWithScale(png, Scale(2.5, 1)).empty());
}

TEST(PhotoScale, JpegGetsOneJfifOneExifAndAComment) {
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8,                                                     // SOI
                                       0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0,  // old JFIF
                                       0xFF, 0xDB, 0, 3, 7,                                            // a table
                                       0xFF, 0xDA, 0, 2, 9, 9, 0xFF, 0xD9};                            // scan, EOI
    const std::vector<uint8_t> out = JpegWithScale(jpeg, Scale(400, 0));
    ASSERT_GT(out.size(), 20u);
    int jfif = 0, exif = 0, comments = 0;
    size_t at = 2;
    while (out[at + 1] != 0xDA) {
        size_t n = size_t(out[at + 2]) << 8 | out[at + 3];
        if (out[at + 1] == 0xE0) {
            ++jfif;
            EXPECT_EQ(out[at + 11], 2);  // pixels per centimetre
            EXPECT_EQ(out[at + 12] << 8 | out[at + 13], 4000);
        }
        exif += out[at + 1] == 0xE1 && std::memcmp(&out[at + 4], "Exif\0\0", 6) == 0;
        if (out[at + 1] == 0xFE) {
            ++comments;
            EXPECT_EQ(std::string(out.begin() + at + 4, out.begin() + at + 2 + n),
                      "Calibration: Slide, 2.5 \xC2\xB5m per pixel");
        }
        at += 2 + n;
    }
    EXPECT_EQ(jfif, 1);
    EXPECT_EQ(exif, 1);
    EXPECT_EQ(comments, 1);
    EXPECT_EQ(std::vector<uint8_t>(out.end() - 8, out.end()), std::vector<uint8_t>(jpeg.end() - 8, jpeg.end()));
    EXPECT_TRUE(JpegWithScale({0xFF, 0xD8, 0xFF, 0xE0, 0, 40}, Scale(400, 0)).empty());
}

TEST(ScaleBar, RoundLengthNearAFifthOfThePicture) {
    struct Case { double ppu; int unit; int width; const wchar_t* label; int pixels; } cases[] = {
        {400, 0, 1280, L"500 \u03BCm", 200},  // a fifth is 0.64 mm: 0.5 lies nearer than 1 by ratio
        {400, 0, 640, L"500 \u03BCm", 200},   // 0.32 mm: 0.5 a little nearer than 0.2
        {100, 0, 1920, L"5 mm", 500},         // 3.84 mm
        {2.5, 1, 1280, L"100 \u03BCm", 250},  // 102.4 µm
        {0.1, 1, 1920, L"5 mm", 500},         // 3840 µm, written in mm
        {20, 1, 640, L"5 \u03BCm", 100},      // 6.4 µm
        {4000, 1, 640, L"0.05 \u03BCm", 200}, // 0.032 µm
    };
    for (const Case& c : cases) {
        ScaleBarLength b = ChooseScaleBar(c.ppu, c.unit, c.width);
        EXPECT_EQ(b.label, c.label) << c.ppu << " " << c.width;
        EXPECT_EQ(b.pixels, c.pixels) << c.ppu << " " << c.width;
    }
    EXPECT_EQ(ChooseScaleBar(-1, 0, 1280).pixels, 0);
}

TEST(ScaleBar, SitsOnItsBackingInTheBottomRightCorner) {
    ScaleBarLayout l = LayOutScaleBar(1280, 720, 250, 60, 22);
    ASSERT_TRUE(l.fits);
    EXPECT_LT(l.backing.right, 1280);
    EXPECT_LT(l.backing.bottom, 720);
    EXPECT_GT(l.backing.left, 1280 - 400);
    EXPECT_EQ(l.bar.right - l.bar.left, 250);
    EXPECT_GT(l.bar.left, l.backing.left);
    EXPECT_LT(l.bar.bottom, l.backing.bottom);
    EXPECT_GE(l.bar.top, l.textTop + 22);  // label above the bar
    EXPECT_FALSE(LayOutScaleBar(100, 40, 50, 60, 22).fits);
    EXPECT_EQ(ScaleBarBacking(0x00FFFF), 0x000000u);  // yellow ruler on black
    EXPECT_EQ(ScaleBarBacking(0x800000), 0xFFFFFFu);  // dark blue ruler on white
}

}  // namespace
