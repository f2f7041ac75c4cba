// TIFF photos through libtiff, written into memory (see tiff_encoder.h).
#include "media/tiff_encoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// The file libtiff writes, grown as it goes; libtiff seeks back to patch the directory offset.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    uint64_t at = 0;
};

MemoryFile& FileOf(thandle_t h) { return *static_cast<MemoryFile*>(h); }

tmsize_t ReadProc(thandle_t h, void* data, tmsize_t size) {
    MemoryFile& f = FileOf(h);
    if (size < 0 || f.at >= f.bytes.size()) return 0;
    const size_t n = std::min<uint64_t>(uint64_t(size), f.bytes.size() - f.at);
    std::memcpy(data, f.bytes.data() + f.at, n);
    f.at += n;
    return tmsize_t(n);
}

tmsize_t WriteProc(thandle_t h, void* data, tmsize_t size) {
    MemoryFile& f = FileOf(h);
    if (size < 0) return -1;
    const uint64_t end = f.at + uint64_t(size);
    try {
        if (end > f.bytes.size()) f.bytes.resize(size_t(end));
    } catch (const std::bad_alloc&) {
        return -1;  // libtiff stops with an error
    }
    std::memcpy(f.bytes.data() + f.at, data, size_t(size));
    f.at = end;
    return size;
}

toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
    MemoryFile& f = FileOf(h);
    uint64_t base = whence == SEEK_CUR ? f.at : whence == SEEK_END ? f.bytes.size() : 0;
    f.at = base + offset;
    return f.at;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return FileOf(h).bytes.size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

// libtiff's messages would go to the standard error stream, which a windowed program does not
// have: the result of the save is what counts.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OpenOptions {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    ~OpenOptions() {
        if (options) TIFFOpenOptionsFree(options);
    }
};

// Rows per strip for strips of about 256 KB.
uint32_t RowsPerStrip(int width) { return uint32_t(std::max<size_t>(1, (size_t(256) << 10) / (size_t(width) * 3))); }

}  // namespace

TiffScaleTags TiffScaleFor(const PhotoScale& scale) {
    TiffScaleTags t;
    if (scale.unit == 1) {
        t.resolutionUnit = RESUNIT_CENTIMETER;
        t.xResolution = PixelsPerMetre(scale.pixelsPerUnitX, scale.unit) / 100.0;
        t.yResolution = PixelsPerMetre(scale.pixelsPerUnitY, scale.unit) / 100.0;
        t.description = "ImageJ=1.11a\nunit=um\n";
    } else {
        t.resolutionUnit = RESUNIT_NONE;
        t.xResolution = scale.pixelsPerUnitX;
        t.yResolution = scale.pixelsPerUnitY;
        t.description = "ImageJ=1.11a\nunit=mm\n";
    }
    return t;
}

std::vector<uint8_t> EncodeTiff(const uint8_t* bgrRows, int width, int height, size_t stride,
                                const PhotoScale* scale) {
    if (!bgrRows || width <= 0 || height <= 0 || stride < size_t(width) * 3) return {};
    MemoryFile file;
    OpenOptions open;
    if (!open.options) return {};
    TIFFOpenOptionsSetErrorHandlerExtR(open.options, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(open.options, Quiet, nullptr);
    TIFF* tif = TIFFClientOpenExt("photo", "w", &file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                                  UnmapProc, open.options);
    if (!tif) return {};
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width)) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height)) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
              TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, RowsPerStrip(width)) &&
              TIFFSetField(tif, TIFFTAG_SOFTWARE, "Vardelo");
    if (ok && scale && HasScale(*scale)) {
        const TiffScaleTags tags = TiffScaleFor(*scale);
        ok = TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, tags.resolutionUnit) &&
             TIFFSetField(tif, TIFFTAG_XRESOLUTION, tags.xResolution) &&
             TIFFSetField(tif, TIFFTAG_YRESOLUTION, tags.yResolution) &&
             TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, tags.description.c_str());
    }
    std::vector<uint8_t> row;
    try {
        row.resize(size_t(width) * 3);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    for (int y = 0; ok && y < height; ++y) {
        const uint8_t* src = bgrRows + size_t(y) * stride;
        for (size_t x = 0; x < size_t(width) * 3; x += 3) {
            row[x] = src[x + 2];
            row[x + 1] = src[x + 1];
            row[x + 2] = src[x];
        }
        ok = TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) == 1;
    }
    // The directory is written at the close; a failure there shows only as a failed flush.
    ok = ok && TIFFFlush(tif) == 1;
    TIFFClose(tif);
    if (!ok) return {};
    return std::move(file.bytes);
}
