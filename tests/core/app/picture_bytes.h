// Picture files made up byte by byte for tests: only the structure the picture check walks
// (PNG chunks, JPEG segments, BMP headers, TIFF directories); the pixel data is filler, so a header may claim any
// size. Shared by the native tests and the Wine tests of the image view.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace picture_bytes {

using Bytes = std::vector<uint8_t>;

inline void Be32(Bytes& b, uint32_t v) { for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s)); }
inline void Le32(Bytes& b, uint32_t v) { for (int s = 0; s < 32; s += 8) b.push_back(uint8_t(v >> s)); }
inline void Le16(Bytes& b, uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }

inline void Chunk(Bytes& b, const char* type, const Bytes& data) {
    Be32(b, uint32_t(data.size()));
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    Be32(b, 0);  // the check does not verify checksums
}

// Signature, IHDR of width x height (8-bit RGB), one IDAT of filler and IEND, as asked.
inline Bytes Png(uint32_t width, uint32_t height, bool data = true, bool end = true) {
    Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    Be32(ihdr, width);
    Be32(ihdr, height);
    for (uint8_t v : {8, 2, 0, 0, 0}) ihdr.push_back(v);
    Chunk(b, "IHDR", ihdr);
    if (data) Chunk(b, "IDAT", Bytes(200, 0x55));
    if (end) Chunk(b, "IEND", {});
    return b;
}

// SOI, a baseline frame header of width x height, a scan with filler data (stuffed FF 00 and a
// restart marker inside) and EOI.
inline Bytes Jpeg(uint32_t width, uint32_t height) {
    Bytes b = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 8};
    b.push_back(uint8_t(height >> 8)); b.push_back(uint8_t(height));
    b.push_back(uint8_t(width >> 8)); b.push_back(uint8_t(width));
    for (uint8_t v : {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}) b.push_back(v);
    for (uint8_t v : {0xFF, 0xDA, 0x00, 0x0C, 3, 1, 0, 2, 0x11, 3, 0x11, 0, 0x3F, 0}) b.push_back(v);
    for (uint8_t v : {0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56, 0x78}) b.push_back(v);
    b.push_back(0xFF); b.push_back(0xD9);
    return b;
}

// An uncompressed 24-bit BMP of width x height (negative height: rows top-down), every row
// present unless rowsMissing says how many are left out.
inline Bytes Bmp(int32_t width, int32_t height, int rowsMissing = 0) {
    uint32_t row = (uint32_t(width) * 24 + 31) / 32 * 4;
    uint32_t rows = uint32_t(height < 0 ? -height : height) - uint32_t(rowsMissing);
    Bytes b = {'B', 'M'};
    Le32(b, 54 + row * rows);
    Le32(b, 0);
    Le32(b, 54);
    Le32(b, 40);
    Le32(b, uint32_t(width));
    Le32(b, uint32_t(height));
    Le16(b, 1);
    Le16(b, 24);
    for (int i = 0; i < 6; ++i) Le32(b, 0);
    b.resize(b.size() + size_t(row) * rows, 0x80);
    return b;
}

// A classic TIFF of width x height in either byte order: a directory of the size and two strips of
// 100 bytes (offsets and lengths in arrays after it), the second strip cut short by `missing`.
inline Bytes Tiff(uint32_t width, uint32_t height, bool bigEndian = false, uint32_t missing = 0) {
    Bytes b = bigEndian ? Bytes{'M', 'M', 0, 42} : Bytes{'I', 'I', 42, 0};
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> 8 * (bigEndian ? n - 1 - i : i)));
    };
    constexpr uint32_t kArrays = 8 + 2 + 4 * 12 + 4, kStrips = kArrays + 16;
    put(8, 4);
    put(4, 2);
    const uint32_t entries[4][3] = {{256, 1, width}, {257, 1, height}, {273, 2, kArrays}, {279, 2, kArrays + 8}};
    for (const auto& e : entries) {  // tag, type LONG, count, value
        put(e[0], 2);
        put(4, 2);
        put(e[1], 4);
        put(e[2], 4);
    }
    put(0, 4);  // no further directory
    for (uint32_t v : {kStrips, kStrips + 100, 100u, 100u}) put(v, 4);
    b.resize(b.size() + 200 - missing, 0x33);
    return b;
}

}  // namespace picture_bytes
