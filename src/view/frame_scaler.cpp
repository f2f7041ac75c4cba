// Nearest-neighbour scaling of a frame region into 32-bit rows (see frame_scaler.h).
#include "view/frame_scaler.h"

#include <cstring>

bool FrameScaler::Key::operator==(const Key& o) const {
    return frameW == o.frameW && frameH == o.frameH && x == o.x && y == o.y && width == o.width &&
           height == o.height && targetW == o.targetW && targetH == o.targetH && flipped == o.flipped;
}

bool FrameScaler::Prepare(int frameW, int frameH, CropRect region, int targetW, int targetH, bool flipped) {
    const Key key = {frameW, frameH, region.x, region.y, region.width, region.height, targetW, targetH, flipped};
    if (Ready() && key == key_) return true;
    columns_.clear();
    rows_.clear();
    key_ = key;
    if (DisplayFrameBytes(frameW, frameH) == 0 || targetW <= 0 || targetH <= 0 || region.width <= 0 ||
        region.height <= 0 || region.x < 0 || region.y < 0 || region.x + region.width > frameW ||
        region.y + region.height > frameH)
        return false;
    columns_.resize(size_t(targetW));
    for (int x = 0; x < targetW; ++x) {
        const int64_t source = region.x + (int64_t(2 * x + 1) * region.width) / (int64_t(2) * targetW);
        columns_[size_t(x)] = uint32_t(source * 3);
    }
    rows_.resize(size_t(targetH));
    for (int y = 0; y < targetH; ++y) {
        const int source = int(region.y + (int64_t(2 * y + 1) * region.height) / (int64_t(2) * targetH));
        rows_[size_t(y)] = flipped ? frameH - 1 - source : source;
    }
    return true;
}

void FrameScaler::Scale(const DisplayFrame* frame, uint8_t* target, size_t targetStride) const {
    if (!Ready() || !frame || !target) return;
    const size_t frameRow = size_t(key_.frameW) * 3;
    const size_t targetRow = columns_.size() * 4;
    for (size_t y = 0; y < rows_.size(); ++y) {
        uint8_t* out = target + y * targetStride;
        if (y > 0 && rows_[y] == rows_[y - 1]) {  // enlarging: the row above again
            std::memcpy(out, out - targetStride, targetRow);
            continue;
        }
        const uint8_t* in = frame + size_t(rows_[y]) * frameRow;
        // A four-byte read takes one byte of the next pixel, which the frame's last row lacks at its end.
        const bool lastRow = rows_[y] == key_.frameH - 1;
        for (size_t x = 0; x < columns_.size(); ++x) {
            const uint8_t* p = in + columns_[x];
            uint32_t pixel;
            if (!lastRow) {
                std::memcpy(&pixel, p, 4);
                pixel &= 0x00FFFFFFu;  // little-endian: blue, green, red in the low bytes
            } else {
                pixel = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
            }
            std::memcpy(out + x * 4, &pixel, 4);
        }
    }
}
