// Pixel sizes and the PNG and JPEG fields that carry them.
#include "media/photo_scale.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "view/measure_table.h"
#include "view/view_geometry.h"

namespace {

void Be32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift : {24, 16, 8, 0}) out.push_back(uint8_t(v >> shift));
}
void Be16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
void Le16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Le32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift : {0, 8, 16, 24}) out.push_back(uint8_t(v >> shift));
}
uint32_t ReadBe32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

void PngChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    Be32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Be32(out, Crc32(out.data() + start, out.size() - start));
}

// The comment as a PNG text chunk: tEXt (Latin-1, which holds the sign µ) when every character
// fits, else iTXt in UTF-8 (a Chinese calibration name). Some readers show only tEXt.
void PngComment(std::vector<uint8_t>& out, const std::wstring& text) {
    bool latin1 = true;
    for (wchar_t c : text) latin1 = latin1 && uint32_t(c) <= 0xFF && c != 0;
    std::vector<uint8_t> data = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
    if (latin1) {
        for (wchar_t c : text) data.push_back(uint8_t(c));
        PngChunk(out, "tEXt", data);
        return;
    }
    data.insert(data.end(), {0, 0, 0, 0});  // uncompressed, no language tag, no translated keyword
    const std::string utf8 = Utf8(text);
    data.insert(data.end(), utf8.begin(), utf8.end());
    PngChunk(out, "iTXt", data);
}

// A fraction num/den for a positive figure, as exact as 32 bits allow.
void Rational(std::vector<uint8_t>& out, double value) {
    uint32_t den = 1000;
    while (den > 1 && value * den > 4294967295.0) den /= 10;
    double num = std::round(value * den);
    if (num < 1) num = 1;
    if (num > 4294967295.0) num = 4294967295.0;
    Le32(out, uint32_t(num));
    Le32(out, den);
}

// APP1 "Exif": resolution in pixels per centimetre and the comment as a UTF-16 user comment.
std::vector<uint8_t> ExifSegment(const PhotoScale& scale) {
    const std::wstring comment = ScaleComment(scale);
    std::vector<uint8_t> userComment = {'U', 'N', 'I', 'C', 'O', 'D', 'E', 0};
    for (wchar_t c : comment) Le16(userComment, (uint32_t(c) & 0xFFFF0000u) ? 0xFFFDu : uint32_t(c));

    constexpr uint32_t kIfd0 = 8, kIfd0Size = 2 + 4 * 12 + 4;
    constexpr uint32_t kXRes = kIfd0 + kIfd0Size, kYRes = kXRes + 8, kExifIfd = kYRes + 8;
    constexpr uint32_t kExifIfdSize = 2 + 12 + 4, kComment = kExifIfd + kExifIfdSize;
    std::vector<uint8_t> tiff = {'I', 'I', 42, 0};
    Le32(tiff, kIfd0);
    auto entry = [&](uint32_t tag, uint32_t type, uint32_t count, uint32_t value) {
        Le16(tiff, tag);
        Le16(tiff, type);
        Le32(tiff, count);
        Le32(tiff, value);
    };
    Le16(tiff, 4);
    entry(0x011A, 5, 1, kXRes);     // XResolution, RATIONAL
    entry(0x011B, 5, 1, kYRes);     // YResolution, RATIONAL
    entry(0x0128, 3, 1, 3);         // ResolutionUnit, SHORT: centimetre
    entry(0x8769, 4, 1, kExifIfd);  // the Exif IFD
    Le32(tiff, 0);
    Rational(tiff, PixelsPerMetre(scale.pixelsPerUnitX, scale.unit) / 100.0);
    Rational(tiff, PixelsPerMetre(scale.pixelsPerUnitY, scale.unit) / 100.0);
    Le16(tiff, 1);
    entry(0x9286, 7, uint32_t(userComment.size()), kComment);  // UserComment, UNDEFINED
    Le32(tiff, 0);
    tiff.insert(tiff.end(), userComment.begin(), userComment.end());

    std::vector<uint8_t> segment = {0xFF, 0xE1};
    Be16(segment, uint32_t(2 + 6 + tiff.size()));
    segment.insert(segment.end(), {'E', 'x', 'i', 'f', 0, 0});
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    return segment;
}

std::string Figure(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

}  // namespace

PhotoScale ViewPhotoScale(float ppu, int imageW, int imageH, int frameW, int frameH, int photoW, int photoH,
                          int zoom) {
    PhotoScale s;
    if (!(ppu > 0) || imageW <= 0 || imageH <= 0 || frameW <= 0 || frameH <= 0 || photoW <= 0 || photoH <= 0)
        return s;
    // The camera's pixels are square: ppu along x in image pixels is the same figure in frame
    // pixels both ways (a stretched picture is measured in pixels of equal aspect).
    const double framePerUnit = double(ppu) * frameW / imageW;
    const CropRect crop = zoom > 0 ? ZoomCrop(frameW, frameH, zoom) : CropRect{0, 0, frameW, frameH};
    if (crop.width <= 0 || crop.height <= 0) return s;
    s.pixelsPerUnitX = framePerUnit * photoW / crop.width;
    s.pixelsPerUnitY = framePerUnit * photoH / crop.height;
    return s;
}

double PixelsPerMetre(double pixelsPerUnit, int unit) { return pixelsPerUnit * (unit == 0 ? 1e3 : 1e6); }

double MicronsPerPixel(double pixelsPerUnit, int unit) {
    return pixelsPerUnit > 0 ? (unit == 0 ? 1000.0 : 1.0) / pixelsPerUnit : 0.0;
}

std::wstring ScaleComment(const PhotoScale& scale) {
    const std::string x = Figure(MicronsPerPixel(scale.pixelsPerUnitX, scale.unit));
    const std::string y = Figure(MicronsPerPixel(scale.pixelsPerUnitY, scale.unit));
    std::wstring text = L"Calibration: ";
    if (!scale.name.empty()) text += scale.name + L", ";
    text.append(x.begin(), x.end());
    if (y != x) {
        text += L" x ";
        text.append(y.begin(), y.end());
    }
    return text + L" \u00B5m per pixel";
}

uint32_t PngPixelsPerMetre(double pixelsPerUnit, int unit) {
    const double v = std::round(PixelsPerMetre(pixelsPerUnit, unit));
    if (!(v >= 1)) return 1;
    return v > 4294967295.0 ? 0xFFFFFFFFu : uint32_t(v);
}

JfifDensity JfifDensityFor(const PhotoScale& scale) {
    const double x = std::round(PixelsPerMetre(scale.pixelsPerUnitX, scale.unit) / 100.0);
    const double y = std::round(PixelsPerMetre(scale.pixelsPerUnitY, scale.unit) / 100.0);
    JfifDensity d;
    if (x >= 1 && y >= 1 && x <= 65535 && y <= 65535) {
        d.units = 2;
        d.x = uint16_t(x);
        d.y = uint16_t(y);
    }
    return d;
}

std::vector<uint8_t> PngWithScale(const std::vector<uint8_t>& png, const PhotoScale& scale) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || std::memcmp(png.data(), kSignature, 8) != 0) return {};
    std::vector<uint8_t> out(png.begin(), png.begin() + 8);
    out.reserve(png.size() + 128);
    bool sawHeader = false, sawEnd = false;
    for (size_t at = 8; at < png.size() && !sawEnd;) {
        if (png.size() - at < 12) return {};
        const uint32_t length = ReadBe32(&png[at]);
        if (length > png.size() - at - 12) return {};
        const size_t next = at + 12 + length;
        const uint8_t* type = &png[at + 4];
        const bool header = std::memcmp(type, "IHDR", 4) == 0;
        if (!sawHeader && !header) return {};
        sawEnd = std::memcmp(type, "IEND", 4) == 0;
        if (std::memcmp(type, "pHYs", 4) != 0) out.insert(out.end(), png.begin() + at, png.begin() + next);
        if (header && !sawHeader) {
            sawHeader = true;
            std::vector<uint8_t> phys;
            Be32(phys, PngPixelsPerMetre(scale.pixelsPerUnitX, scale.unit));
            Be32(phys, PngPixelsPerMetre(scale.pixelsPerUnitY, scale.unit));
            phys.push_back(1);  // unit: metre
            PngChunk(out, "pHYs", phys);
            PngComment(out, ScaleComment(scale));
        }
        at = next;
    }
    if (!sawEnd) return {};
    return out;
}

std::vector<uint8_t> JpegWithScale(const std::vector<uint8_t>& jpeg, const PhotoScale& scale) {
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return {};
    const JfifDensity d = JfifDensityFor(scale);
    std::vector<uint8_t> out = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 2, d.units};
    Be16(out, d.x);
    Be16(out, d.y);
    out.insert(out.end(), {0, 0});  // no thumbnail
    const std::vector<uint8_t> exif = ExifSegment(scale);
    out.insert(out.end(), exif.begin(), exif.end());
    const std::string comment = Utf8(ScaleComment(scale));
    out.insert(out.end(), {0xFF, 0xFE});
    Be16(out, uint32_t(2 + comment.size()));
    out.insert(out.end(), comment.begin(), comment.end());
    // The segments before the scan, without the old JFIF and EXIF ones; from the scan on as is.
    size_t at = 2;
    while (true) {
        if (jpeg.size() - at < 4 || jpeg[at] != 0xFF) return {};
        const uint8_t marker = jpeg[at + 1];
        const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (marker == 0xDA) break;
        if (length < 2 || length > jpeg.size() - at - 2) return {};
        const uint8_t* body = &jpeg[at + 4];
        const size_t bodySize = length - 2;
        const bool jfif = marker == 0xE0 && bodySize >= 5 && std::memcmp(body, "JFIF\0", 5) == 0;
        const bool exifSegment = marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0;
        if (!jfif && !exifSegment) out.insert(out.end(), jpeg.begin() + at, jpeg.begin() + at + 2 + length);
        at += 2 + length;
    }
    out.insert(out.end(), jpeg.begin() + at, jpeg.end());
    return out;
}
