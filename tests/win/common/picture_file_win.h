// Reading a picture file back (BMP, PNG, JPEG through GDI+) as 24-bit pixels, for tests that
// check what was saved.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct PictureFile {
    int width = 0, height = 0;
    std::vector<uint8_t> bgr;  // rows top-down, width * 3 bytes each
    const uint8_t* At(int x, int y) const { return &bgr[(size_t(y) * width + x) * 3]; }
};

// False when the file cannot be read or decoded. GDI+ must be started.
bool ReadPictureFile(const std::wstring& path, PictureFile* out);

// PSNR in dB of a against b (same size) over the pixels margin or more from every edge.
double PicturePsnr(const PictureFile& a, const PictureFile& b, int margin);
