// Reads back what the recorder wrote: the RIFF chunks of an AVI file (main header, one stream
// header and format, the movie's frame chunks and the index), so a test can check the layout
// and the pictures without a player.
#pragma once
#include <windows.h>
#include <vfw.h>

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

struct AviFile {
    bool ok = false;          // a RIFF 'AVI ' file with a movie list
    int streams = 0;          // 'strh' chunks
    uint32_t fccType = 0, fccHandler = 0, scale = 0, rate = 0, length = 0, suggestedBuffer = 0;
    int32_t quality = 0;
    RECT frameRect = {};
    std::string name;         // 'strn'
    BITMAPINFOHEADER format = {};
    std::vector<size_t> frameOffsets;  // of each '00db'/'00dc' chunk's data that holds a picture
    std::vector<uint32_t> frameSizes;
    size_t entries = 0;                // frame chunks, empty "dropped frame" entries included
    int indexEntries = 0, keyFrames = 0;
    std::vector<uint8_t> bytes;

    explicit AviFile(const std::wstring& path) {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return;
        LARGE_INTEGER size = {};
        GetFileSizeEx(f, &size);
        bytes.resize(size_t(size.QuadPart));
        DWORD got = 0;
        for (size_t at = 0; at < bytes.size(); at += got)
            if (!ReadFile(f, &bytes[at], DWORD(std::min<size_t>(bytes.size() - at, 1 << 30)), &got, nullptr) || !got) break;
        CloseHandle(f);
        if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) || std::memcmp(bytes.data() + 8, "AVI ", 4)) return;
        Walk(12, Le32(4) + 8 < bytes.size() ? Le32(4) + 8 : bytes.size(), false);
        ok = movie;
    }
    // Top-down BGR pixel (x, y) of frame i, from the bottom-up padded rows.
    const uint8_t* Pixel(size_t i, int x, int y) const {
        const size_t stride = (size_t(format.biWidth) * 3 + 3) & ~size_t(3);
        return &bytes[frameOffsets[i] + (size_t(format.biHeight) - 1 - y) * stride + size_t(x) * 3];
    }

private:
    bool movie = false;
    uint32_t Le32(size_t at) const { uint32_t v; std::memcpy(&v, &bytes[at], 4); return v; }
    void Walk(size_t at, size_t end, bool inMovie) {
        while (at + 8 <= end) {
            const char* id = reinterpret_cast<const char*>(&bytes[at]);
            const uint32_t size = Le32(at + 4);
            const size_t data = at + 8;
            if (data + size > bytes.size()) return;
            if (!std::memcmp(id, "LIST", 4) && size >= 4) {
                const bool isMovie = !std::memcmp(&bytes[data], "movi", 4);
                movie = movie || isMovie;
                Walk(data + 4, data + size, isMovie);
            } else if (!std::memcmp(id, "strh", 4) && size >= 56) {
                ++streams;
                fccType = Le32(data);
                fccHandler = Le32(data + 4);
                scale = Le32(data + 20);
                rate = Le32(data + 24);
                length = Le32(data + 32);
                suggestedBuffer = Le32(data + 36);
                quality = int32_t(Le32(data + 40));
                int16_t r[4];
                std::memcpy(r, &bytes[data + 48], 8);
                frameRect = {r[0], r[1], r[2], r[3]};
            } else if (!std::memcmp(id, "strf", 4) && size >= sizeof(format)) {
                std::memcpy(&format, &bytes[data], sizeof(format));
            } else if (!std::memcmp(id, "strn", 4)) {
                name.assign(reinterpret_cast<const char*>(&bytes[data]), strnlen(reinterpret_cast<const char*>(&bytes[data]), size));
            } else if (inMovie && (!std::memcmp(id, "00db", 4) || !std::memcmp(id, "00dc", 4))) {
                ++entries;
                if (size > 0) {
                    frameOffsets.push_back(data);
                    frameSizes.push_back(size);
                }
            } else if (!std::memcmp(id, "idx1", 4)) {
                for (size_t e = data; e + 16 <= data + size; e += 16) {
                    ++indexEntries;
                    if (Le32(e + 4) & AVIIF_KEYFRAME) ++keyFrames;
                }
            }
            at = data + size + (size & 1);
        }
    }
};

inline uint32_t Fourcc(const char (&s)[5]) { return uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16 | uint32_t(s[3]) << 24; }
