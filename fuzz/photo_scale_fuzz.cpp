// Fuzzes the writing of a photo's scale into its file: the PNG and JPEG rewriters on any bytes,
// and the TIFF encoder on any small picture. A rewritten file must still be the same picture
// (the same chunks or segments, only the scale's own replaced, the same size and wholeness to
// the picture check), carry the scale it was given exactly once, and take a second rewrite; a
// TIFF must read back, through libtiff, with its pixels and its scale tags.
//
// Input: byte 0 the kind (0 PNG, 1 JPEG, 2 TIFF, by its value modulo 3) and the unit (bit 7),
// bytes 1-8 the two pixels-per-unit figures (floats, little-endian), byte 9 the length of the
// calibration name (modulo 20) and that many UTF-16LE units, then the file (for a TIFF: a byte
// of width, a byte of height, the pixels).
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/picture_check.h"
#include "media/photo_scale.h"
#include "media/tiff_encoder.h"
#include "view/calibration_table.h"
#include "view/measure_table.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Check(bool ok) {
    if (!ok) std::abort();
}

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

bool SameFacts(const PictureFacts& a, const PictureFacts& b) {
    return a.kind == b.kind && a.width == b.width && a.height == b.height && a.complete == b.complete;
}

// ---- PNG ----

struct PngChunk {
    std::string type;
    const uint8_t* at;  // the whole chunk: length, type, data, CRC
    size_t bytes;
};

// The chunks up to and including IEND (the rewriter's output must be exactly that).
std::vector<PngChunk> PngChunks(const Bytes& png, bool wholeFile) {
    std::vector<PngChunk> chunks;
    size_t at = 8;
    for (;;) {
        Check(png.size() - at >= 12);
        const uint32_t length = Be32(&png[at]);
        Check(length <= png.size() - at - 12);
        chunks.push_back({std::string(reinterpret_cast<const char*>(&png[at + 4]), 4), &png[at], 12 + size_t(length)});
        at += 12 + size_t(length);
        if (chunks.back().type == "IEND") break;
    }
    if (wholeFile) Check(at == png.size());
    return chunks;
}

bool IsScaleChunk(const PngChunk& c) { return c.type == "pHYs"; }
bool IsCommentChunk(const PngChunk& c) {
    return (c.type == "tEXt" || c.type == "iTXt") && c.bytes >= 20 && std::memcmp(c.at + 8, "Comment\0", 8) == 0;
}

void CheckPng(const Bytes& in, const Bytes& out, const PhotoScale& scale) {
    const std::vector<PngChunk> before = PngChunks(in, false), after = PngChunks(out, true);
    // Right after the header: the scale and the comment, with their checksums.
    Check(after.size() >= 3 && after[0].type == "IHDR" && after[1].type == "pHYs" && IsCommentChunk(after[2]));
    for (int i = 1; i <= 2; ++i)
        Check(Be32(after[i].at + after[i].bytes - 4) == Crc32(after[i].at + 4, after[i].bytes - 8));
    const uint8_t* phys = after[1].at + 8;
    Check(after[1].bytes == 21 && Be32(phys) == PngPixelsPerMetre(scale.pixelsPerUnitX, scale.unit) &&
          Be32(phys + 4) == PngPixelsPerMetre(scale.pixelsPerUnitY, scale.unit) && phys[8] == 1);
    // Everything else as it was, in order, and no other pHYs.
    std::vector<PngChunk> kept;
    for (const PngChunk& c : before)
        if (!IsScaleChunk(c)) kept.push_back(c);
    Check(kept.size() == after.size() - 2);
    for (size_t i = 0, k = 0; i < after.size(); ++i) {
        if (i == 1 || i == 2) continue;
        Check(after[i].bytes == kept[k].bytes && std::memcmp(after[i].at, kept[k].at, kept[k].bytes) == 0);
        ++k;
    }
}

// ---- JPEG ----

struct JpegSegment {
    uint8_t marker;
    const uint8_t* body;
    size_t bodyBytes;
};

// The segments before the scan; scan is where its marker is.
std::vector<JpegSegment> JpegSegments(const Bytes& jpeg, size_t* scan) {
    std::vector<JpegSegment> segments;
    size_t at = 2;
    for (;;) {
        Check(jpeg.size() - at >= 4 && jpeg[at] == 0xFF);
        const uint8_t marker = jpeg[at + 1];
        if (marker == 0xDA) break;
        const size_t length = Be16(&jpeg[at + 2]);
        Check(length >= 2 && length <= jpeg.size() - at - 2);
        segments.push_back({marker, &jpeg[at + 4], length - 2});
        at += 2 + length;
    }
    *scan = at;
    return segments;
}

bool IsJfif(const JpegSegment& s) { return s.marker == 0xE0 && s.bodyBytes >= 5 && std::memcmp(s.body, "JFIF\0", 5) == 0; }
bool IsExif(const JpegSegment& s) { return s.marker == 0xE1 && s.bodyBytes >= 6 && std::memcmp(s.body, "Exif\0\0", 6) == 0; }

// The resolution the EXIF segment gives (pixels per centimetre), from its first directory.
double ExifResolution(const JpegSegment& s, uint16_t tag) {
    const uint8_t* tiff = s.body + 6;
    const size_t size = s.bodyBytes - 6;
    Check(size >= 8 && std::memcmp(tiff, "II*\0", 4) == 0);
    const uint32_t ifd = Le32(tiff + 4);
    Check(ifd + 2 <= size);
    const uint32_t entries = uint32_t(tiff[ifd]) | uint32_t(tiff[ifd + 1]) << 8;
    Check(ifd + 2 + 12 * entries <= size);
    for (uint32_t e = 0; e < entries; ++e) {
        const uint8_t* entry = tiff + ifd + 2 + 12 * e;
        if ((uint32_t(entry[0]) | uint32_t(entry[1]) << 8) != tag) continue;
        const uint32_t at = Le32(entry + 8);
        Check(at + 8 <= size);
        const uint32_t num = Le32(tiff + at), den = Le32(tiff + at + 4);
        Check(den > 0 && num > 0);
        return double(num) / den;
    }
    std::abort();
}

void CheckJpeg(const Bytes& in, const Bytes& out, const PhotoScale& scale) {
    size_t scanIn = 0, scanOut = 0;
    const std::vector<JpegSegment> before = JpegSegments(in, &scanIn), after = JpegSegments(out, &scanOut);
    // The scan and everything after it as it was.
    Check(out.size() - scanOut == in.size() - scanIn && std::equal(out.begin() + ptrdiff_t(scanOut), out.end(), in.begin() + ptrdiff_t(scanIn)));
    // First the JFIF density, the EXIF resolution and the comment; no other JFIF or EXIF.
    Check(after.size() >= 3 && IsJfif(after[0]) && IsExif(after[1]) && after[2].marker == 0xFE);
    const JfifDensity d = JfifDensityFor(scale);
    Check(after[0].bodyBytes == 14 && after[0].body[7] == d.units && Be16(after[0].body + 8) == d.x &&
          Be16(after[0].body + 10) == d.y);
    for (int k = 0; k < 2; ++k) {
        const double want = PixelsPerMetre(k ? scale.pixelsPerUnitY : scale.pixelsPerUnitX, scale.unit) / 100.0;
        const double got = ExifResolution(after[1], k ? 0x011B : 0x011A);
        // As exact as a 32-bit fraction allows, within its range.
        if (want >= 1e-3 && want <= 4e9) Check(std::fabs(got - want) <= want * 1e-3 + 1e-3);
    }
    const std::string comment = Utf8(ScaleComment(scale));
    Check(after[2].bodyBytes == comment.size() && std::memcmp(after[2].body, comment.data(), comment.size()) == 0);
    std::vector<JpegSegment> kept;
    for (const JpegSegment& s : before)
        if (!IsJfif(s) && !IsExif(s)) kept.push_back(s);
    Check(kept.size() == after.size() - 3);
    for (size_t k = 0; k < kept.size(); ++k)
        Check(after[k + 3].marker == kept[k].marker && after[k + 3].bodyBytes == kept[k].bodyBytes &&
              std::memcmp(after[k + 3].body, kept[k].body, kept[k].bodyBytes) == 0);
}

// ---- TIFF ----

struct MemoryFile {
    const Bytes* bytes;
    uint64_t at = 0;
};
tmsize_t ReadProc(thandle_t h, void* data, tmsize_t size) {
    auto& f = *static_cast<MemoryFile*>(h);
    if (size <= 0 || f.at >= f.bytes->size()) return 0;
    const size_t n = size_t(std::min<uint64_t>(uint64_t(size), f.bytes->size() - f.at));
    std::memcpy(data, f.bytes->data() + f.at, n);
    f.at += n;
    return tmsize_t(n);
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
    auto& f = *static_cast<MemoryFile*>(h);
    f.at = (whence == SEEK_CUR ? f.at : whence == SEEK_END ? f.bytes->size() : 0) + offset;
    return f.at;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<MemoryFile*>(h)->bytes->size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

void CheckTiff(const uint8_t* data, size_t size, const PhotoScale& scale) {
    if (size < 2) return;
    const int width = 1 + data[0] % 24, height = 1 + data[1] % 24;
    const size_t stride = size_t(width) * 3 + data[0] / 24 % 4;  // rows with and without padding
    Bytes pixels(stride * size_t(height));
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = size > 2 ? data[2 + i % (size - 2)] : uint8_t(i);
    const Bytes tiff = EncodeTiff(pixels.data(), width, height, stride, &scale);
    Check(!tiff.empty());
    const PictureFacts facts = InspectPicture(tiff.data(), tiff.size());
    Check(facts.kind == PictureKind::Tiff && facts.complete && facts.width == width && facts.height == height);

    MemoryFile file{&tiff};
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    TIFF* t = TIFFClientOpen("photo", "r", &file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc, UnmapProc);
    Check(t != nullptr);
    uint32_t w = 0, h = 0;
    Check(TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w) && TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h) && int(w) == width && int(h) == height);
    Bytes row(size_t(TIFFScanlineSize(t)));
    Check(row.size() == size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        Check(TIFFReadScanline(t, row.data(), uint32_t(y), 0) == 1);
        const uint8_t* src = &pixels[size_t(y) * stride];
        for (int x = 0; x < width; ++x)
            Check(row[3 * x] == src[3 * x + 2] && row[3 * x + 1] == src[3 * x + 1] && row[3 * x + 2] == src[3 * x]);
    }
    float xres = 0, yres = 0;
    uint16_t unit = 0;
    const char* description = nullptr;
    if (HasScale(scale)) {
        const TiffScaleTags tags = TiffScaleFor(scale);
        Check(TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres) && TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres));
        Check(TIFFGetField(t, TIFFTAG_RESOLUTIONUNIT, &unit) && unit == tags.resolutionUnit);
        Check(TIFFGetField(t, TIFFTAG_IMAGEDESCRIPTION, &description) && tags.description == description);
        // libtiff keeps a resolution as a 32-bit fraction: as exact as that allows, within its range.
        for (auto [got, want] : {std::pair{double(xres), tags.xResolution}, std::pair{double(yres), tags.yResolution}})
            if (want >= 1e-3 && want <= 1e9) Check(std::fabs(got - want) <= want * 1e-5 + 1e-3);
    } else {
        Check(!TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres) && !TIFFGetField(t, TIFFTAG_IMAGEDESCRIPTION, &description));
    }
    TIFFClose(t);
}

float FloatAt(const uint8_t* p) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 10) return 0;
    PhotoScale scale;
    scale.unit = data[0] >> 7;
    scale.pixelsPerUnitX = FloatAt(data + 1);
    scale.pixelsPerUnitY = FloatAt(data + 5);
    // The figures a calibration gives: finite and positive (or none at all for a TIFF).
    for (double* v : {&scale.pixelsPerUnitX, &scale.pixelsPerUnitY})
        if (!std::isfinite(*v) || *v < 0) *v = 0;
    const size_t nameUnits = data[9] % kCalibrationNameChars;
    size_t at = 10;
    for (size_t i = 0; i < nameUnits && at + 1 < size; ++i, at += 2) {
        const wchar_t c = wchar_t(data[at] | data[at + 1] << 8);
        scale.name += c ? c : L'?';
    }
    const uint8_t* file = data + at;
    const size_t fileSize = size - at;

    const Bytes in(file, file + fileSize);
    switch ((data[0] & 0x7F) % 3) {
    case 0: {
        if (!HasScale(scale)) return 0;  // the saver rewrites only a calibrated photo
        const Bytes out = PngWithScale(in, scale);
        if (out.empty()) return 0;
        CheckPng(in, out, scale);
        Check(SameFacts(InspectPicture(in.data(), in.size()), InspectPicture(out.data(), out.size())));
        PhotoScale other = scale;
        other.pixelsPerUnitX = scale.pixelsPerUnitY;
        other.unit = 1 - scale.unit;
        const Bytes twice = PngWithScale(out, other);
        Check(!twice.empty());
        const std::vector<PngChunk> chunks = PngChunks(twice, true);
        Check(std::count_if(chunks.begin(), chunks.end(), IsScaleChunk) == 1);
        Check(Be32(chunks[1].at + 8) == PngPixelsPerMetre(other.pixelsPerUnitX, other.unit));
        return 0;
    }
    case 1: {
        if (!HasScale(scale)) return 0;
        const Bytes out = JpegWithScale(in, scale);
        if (out.empty()) return 0;
        CheckJpeg(in, out, scale);
        if (in.size() >= 8)  // the picture check looks at nothing shorter
            Check(SameFacts(InspectPicture(in.data(), in.size()), InspectPicture(out.data(), out.size())));
        const Bytes twice = JpegWithScale(out, scale);
        Check(!twice.empty());
        CheckJpeg(out, twice, scale);
        return 0;
    }
    default:
        CheckTiff(file, fileSize, scale);
        return 0;
    }
}
