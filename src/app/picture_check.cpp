// Picture headers and structure (see picture_check.h). Only the structure is walked: markers,
// chunk lengths and the pixel-data extent; the decoder does the rest.
#include "app/picture_check.h"

#include <algorithm>

namespace {

uint32_t Be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Le16(const uint8_t* p) { return uint32_t(p[1]) << 8 | p[0]; }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

bool IsStartOfFrame(uint8_t m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }
bool IsStandalone(uint8_t m) { return m == 0x01 || (m >= 0xD0 && m <= 0xD7); }

// Segments up to the first scan, then entropy-coded data (where FF 00 and restart markers
// belong to the data) until the next marker, and so on until the end-of-image marker.
void InspectJpeg(const uint8_t* d, size_t size, PictureFacts& f) {
    f.kind = PictureKind::Jpeg;
    bool frame = false, scan = false;
    size_t pos = 2;
    while (pos < size) {
        if (d[pos] != 0xFF) return;
        while (pos < size && d[pos] == 0xFF) ++pos;  // fill bytes
        if (pos >= size) return;
        uint8_t m = d[pos++];
        if (m == 0xD9) {
            f.complete = frame && scan;
            return;
        }
        if (IsStandalone(m)) continue;
        if (size - pos < 2) return;
        size_t length = Be16(d + pos);
        if (length < 2 || size - pos < length) return;
        if (IsStartOfFrame(m) && !frame) {
            if (length < 7) return;
            f.height = Be16(d + pos + 3);
            f.width = Be16(d + pos + 5);
            frame = true;
        }
        pos += length;
        if (m != 0xDA) continue;
        scan = true;
        for (;;) {
            while (pos < size && d[pos] != 0xFF) ++pos;
            if (size - pos < 2) return;
            uint8_t next = d[pos + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7) || next == 0xFF) {
                pos += next == 0xFF ? 1 : 2;
                continue;
            }
            break;
        }
    }
}

// Chunks from the header chunk to the end chunk, each inside the file.
void InspectPng(const uint8_t* d, size_t size, PictureFacts& f) {
    f.kind = PictureKind::Png;
    size_t pos = 8;
    bool header = false, data = false;
    while (size - pos >= 12) {
        uint32_t length = Be32(d + pos);
        const uint8_t* type = d + pos + 4;
        if (length > 0x7FFFFFFFu || size - pos - 12 < length) return;
        bool isHeader = type[0] == 'I' && type[1] == 'H' && type[2] == 'D' && type[3] == 'R';
        if (!header) {
            if (!isHeader || length != 13) return;
            f.width = Be32(d + pos + 8);
            f.height = Be32(d + pos + 12);
            header = true;
        }
        if (type[0] == 'I' && type[1] == 'D' && type[2] == 'A' && type[3] == 'T') data = true;
        if (type[0] == 'I' && type[1] == 'E' && type[2] == 'N' && type[3] == 'D') {
            f.complete = data;
            return;
        }
        pos += 12 + size_t(length);
    }
}

// The file header, the bitmap header and, for uncompressed pixels, every row inside the file.
void InspectBmp(const uint8_t* d, size_t size, PictureFacts& f) {
    f.kind = PictureKind::Bmp;
    if (size < 26) return;
    uint32_t offBits = Le32(d + 10), headerSize = Le32(d + 14);
    int64_t bits = 0, compression = 0;
    if (headerSize == 12) {
        f.width = Le16(d + 18);
        f.height = Le16(d + 20);
        bits = Le16(d + 24);
    } else if (headerSize >= 40 && size >= 34) {
        f.width = int32_t(Le32(d + 18));
        f.height = int32_t(Le32(d + 22));
        if (f.height < 0) f.height = -f.height;
        bits = Le16(d + 28);
        compression = Le32(d + 30);
    } else {
        return;
    }
    if (f.width <= 0 || f.height <= 0 || bits == 0 || offBits >= size ||
        offBits < 14 + uint64_t(headerSize))  // 64 bits: a header size near 4 GiB must not wrap
        return;
    if (compression == 0 || compression == 3) {  // uncompressed or bit fields: rows of whole words
        int64_t rowBytes = (f.width * bits + 31) / 32 * 4;
        if (f.height > int64_t(size) / rowBytes + 1) return;  // keeps the product below from overflowing
        f.complete = int64_t(size) - offBits >= rowBytes * f.height;
    } else {
        f.complete = true;  // run-length pixels: their extent is known only to the decoder
    }
}

// The first directory of a classic TIFF (either byte order): its entries, the next-directory
// link and every value kept outside an entry inside the file, the size, and the strips (or
// tiles) of the picture: as many offsets as byte counts, each range inside the file. Later
// directories (further pages, thumbnails) are left to the decoder.
void InspectTiff(const uint8_t* d, size_t size, PictureFacts& f) {
    f.kind = PictureKind::Tiff;
    const bool little = d[0] == 'I';
    auto u16 = [&](size_t at) { return little ? Le16(d + at) : Be16(d + at); };
    auto u32 = [&](size_t at) { return little ? Le32(d + at) : Be32(d + at); };
    const size_t directory = u32(4);
    if (directory < 8 || directory > size - 2) return;
    const size_t entries = u16(directory);
    if (size - directory < 2 + 12 * entries + 4) return;  // the entries and the next-directory link
    // Where an entry's values are: inside it when they fit in 4 bytes, else at its offset.
    struct Values {
        uint32_t type = 0;
        uint64_t count = 0;
        size_t at = 0;
    } offsets, lengths;
    auto item = [&](const Values& v, uint64_t k) -> uint64_t {
        return v.type == 3 ? u16(v.at + size_t(k) * 2) : u32(v.at + size_t(k) * 4);
    };
    for (size_t i = 0; i < entries; ++i) {
        const size_t entry = directory + 2 + 12 * i;
        Values v;
        v.type = u16(entry + 2);
        v.count = u32(entry + 4);
        // Bytes of BYTE, ASCII, SHORT, LONG, RATIONAL, SBYTE, UNDEFINED, SSHORT, SLONG, SRATIONAL,
        // FLOAT, DOUBLE and IFD values; readers skip entries of other types.
        static const uint8_t kTypeBytes[14] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
        const uint64_t bytes = v.type < 14 ? v.count * kTypeBytes[v.type] : 0;
        v.at = bytes <= 4 ? entry + 8 : size_t(u32(entry + 8));
        if (v.at > size || bytes > size - v.at) return;
        const bool number = v.type == 3 || v.type == 4;
        switch (u16(entry)) {
        case 256: f.width = number ? int64_t(item(v, 0)) : 0; break;   // ImageWidth
        case 257: f.height = number ? int64_t(item(v, 0)) : 0; break;  // ImageLength
        case 273: case 324: if (number) offsets = v; break;  // StripOffsets, TileOffsets
        case 279: case 325: if (number) lengths = v; break;  // StripByteCounts, TileByteCounts
        }
    }
    if (offsets.count == 0 || offsets.count != lengths.count) return;
    for (uint64_t k = 0; k < offsets.count; ++k) {
        const uint64_t at = item(offsets, k), length = item(lengths, k);
        if (at > size || length > size - at) return;
    }
    f.complete = true;
}

}  // namespace

PictureFacts InspectPicture(const uint8_t* data, size_t size) {
    PictureFacts f;
    static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (!data || size < 8) return f;
    if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        InspectJpeg(data, size, f);
    } else if (std::equal(kPngSignature, kPngSignature + 8, data)) {
        InspectPng(data, size, f);
    } else if (data[0] == 'B' && data[1] == 'M') {
        InspectBmp(data, size, f);
    } else if ((data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
               (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42)) {
        InspectTiff(data, size, f);
    }
    return f;
}

bool PictureAcceptable(const PictureFacts& f) {
    return f.kind != PictureKind::Unknown && f.complete && f.width > 0 && f.height > 0 &&
           f.width <= kMaxPictureSide && f.height <= kMaxPictureSide && f.width * f.height <= kMaxPicturePixels;
}
