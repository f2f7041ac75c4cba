// Nearest-pixel scaling (see resize_nearest.h).
#include "frame/resize_nearest.h"

#include <cstring>

void ResizeNearest(const uint8_t* src, int srcW, int srcH, int srcStride, uint8_t* dst, int dstW, int dstH) {
    if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0) return;
    for (int y = 0; y < dstH; ++y) {
        const uint8_t* row = src + size_t(int64_t(y) * srcH / dstH) * size_t(srcStride);
        uint8_t* out = dst + size_t(y) * size_t(dstW) * 3;
        if (srcW == dstW) {
            std::memcpy(out, row, size_t(dstW) * 3);
            continue;
        }
        for (int x = 0; x < dstW; ++x) std::memcpy(out + size_t(x) * 3, row + size_t(int64_t(x) * srcW / dstW) * 3, 3);
    }
}
