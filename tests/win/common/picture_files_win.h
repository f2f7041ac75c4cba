// Picture files as other programs read them, for the tests that check saved pictures: the
// decoded pixels (GDI+) with the format the file's first bytes tell, the file's bytes, and the
// pixel size a PNG or JPEG records.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A decoded picture file: its first bytes tell the format.
struct Picture {
    bool png = false, jpeg = false, tiff = false;
    int width = 0, height = 0;
    std::vector<uint8_t> bgr;  // rows top-down, width * 3 bytes each
    COLORREF At(int x, int y) const {
        const uint8_t* p = &bgr[(size_t(y) * width + x) * 3];
        return RGB(p[2], p[1], p[0]);
    }
};

// Decodes the file (GDI+ must be started); false when it cannot.
bool LoadPicture(const std::wstring& path, Picture* out);
// The file's bytes (empty when it cannot be read).
std::vector<uint8_t> FileBytes(const std::wstring& path);
// Pixels per metre in a PNG's pHYs, or pixels per centimetre in a JPEG's JFIF density (units 2).
uint32_t RecordedDensity(const std::vector<uint8_t>& b);
