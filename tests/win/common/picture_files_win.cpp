// Picture files as other programs read them (see picture_files_win.h).
#include "common/picture_files_win.h"

#include <gdiplus.h>

#include <cstring>

bool LoadPicture(const std::wstring& path, Picture* out) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    uint8_t head[4] = {};
    DWORD got = 0;
    ReadFile(f, head, 4, &got, nullptr);
    CloseHandle(f);
    out->jpeg = head[0] == 0xFF && head[1] == 0xD8;
    out->png = head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G';
    out->tiff = (head[0] == 'I' && head[1] == 'I' && head[2] == 42) || (head[0] == 'M' && head[1] == 'M' && head[3] == 42);
    using namespace Gdiplus;
    GpBitmap* bitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Ok) return false;
    UINT w = 0, h = 0;
    DllExports::GdipGetImageWidth(bitmap, &w);
    DllExports::GdipGetImageHeight(bitmap, &h);
    out->width = int(w);
    out->height = int(h);
    out->bgr.resize(size_t(w) * h * 3);
    Rect all(0, 0, int(w), int(h));
    BitmapData data = {};
    data.Width = w;
    data.Height = h;
    data.Stride = (int(w) * 3 + 3) & ~3;
    std::vector<uint8_t> rows(size_t(data.Stride) * h);
    data.Scan0 = rows.data();
    bool ok = DllExports::GdipBitmapLockBits(bitmap, &all, ImageLockModeRead | ImageLockModeUserInputBuf,
                                             PixelFormat24bppRGB, &data) == Ok;
    if (ok) {
        DllExports::GdipBitmapUnlockBits(bitmap, &data);
        for (UINT y = 0; y < h; ++y) memcpy(&out->bgr[size_t(y) * w * 3], &rows[size_t(y) * data.Stride], size_t(w) * 3);
    }
    DllExports::GdipDisposeImage(bitmap);
    return ok;
}

std::vector<uint8_t> FileBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(f, nullptr));
    DWORD got = 0;
    ReadFile(f, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    CloseHandle(f);
    bytes.resize(got);
    return bytes;
}

uint32_t RecordedDensity(const std::vector<uint8_t>& b) {
    auto be32 = [&](size_t i) {
        return uint32_t(b[i]) << 24 | uint32_t(b[i + 1]) << 16 | uint32_t(b[i + 2]) << 8 | b[i + 3];
    };
    if (b.size() > 8 && b[0] == 0x89) {
        for (size_t at = 8; at + 12 <= b.size(); at += 12 + be32(at))
            if (std::memcmp(&b[at + 4], "pHYs", 4) == 0 && b[at + 16] == 1) return be32(at + 8);
    } else if (b.size() > 20 && b[2] == 0xFF && b[3] == 0xE0 && b[13] == 2) {
        return uint32_t(b[14]) << 8 | b[15];
    }
    return 0;
}
