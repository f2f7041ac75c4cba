// Picture files read back for the tests (see picture_file_win.h).
#include "common/picture_file_win.h"

#include <gdiplus.h>

#include <cmath>
#include <cstring>

bool ReadPictureFile(const std::wstring& path, PictureFile* out) {
    using namespace Gdiplus;
    GpBitmap* bitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Ok) return false;
    UINT w = 0, h = 0;
    DllExports::GdipGetImageWidth(bitmap, &w);
    DllExports::GdipGetImageHeight(bitmap, &h);
    BitmapData data = {};
    data.Width = w;
    data.Height = h;
    data.Stride = (int(w) * 3 + 3) & ~3;
    std::vector<uint8_t> rows(size_t(data.Stride) * h);
    data.Scan0 = rows.data();
    Rect all(0, 0, int(w), int(h));
    const bool ok = DllExports::GdipBitmapLockBits(bitmap, &all, ImageLockModeRead | ImageLockModeUserInputBuf,
                                                   PixelFormat24bppRGB, &data) == Ok;
    if (ok) {
        DllExports::GdipBitmapUnlockBits(bitmap, &data);
        out->width = int(w);
        out->height = int(h);
        out->bgr.resize(size_t(w) * h * 3);
        for (UINT y = 0; y < h; ++y) std::memcpy(&out->bgr[size_t(y) * w * 3], &rows[size_t(y) * data.Stride], size_t(w) * 3);
    }
    DllExports::GdipDisposeImage(bitmap);
    return ok;
}

double PicturePsnr(const PictureFile& a, const PictureFile& b, int margin) {
    if (a.width != b.width || a.height != b.height) return 0;
    double squares = 0;
    long n = 0;
    for (int y = margin; y < a.height - margin; ++y)
        for (int x = margin; x < a.width - margin; ++x)
            for (int c = 0; c < 3; ++c, ++n) {
                const double d = double(a.At(x, y)[c]) - b.At(x, y)[c];
                squares += d * d;
            }
    return n && squares > 0 ? 10 * std::log10(255.0 * 255.0 * n / squares) : 99.0;
}
