// Nearest-neighbour scaling of a region of a DisplayFrame (24-bit BGR, stride width * 3) straight
// into the composition surface's 32-bit rows (blue, green, red and an unused byte), with the
// vertical flip. It takes the place of the platform's stretching, which under Wine costs more
// than the decoding of the frame: the sampling table is made once for each geometry, so a frame
// costs only the copying. Portable, user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame/display_frame.h"
#include "view/view_geometry.h"

class FrameScaler {
public:
    // Makes the table unless it is already the one for this geometry: region of a frameW x
    // frameH frame onto targetW x targetH, rows read bottom-up when flipped. Each target pixel
    // shows the frame pixel under its centre. False (and nothing to scale) for an empty or
    // out-of-frame region or target.
    bool Prepare(int frameW, int frameH, CropRect region, int targetW, int targetH, bool flipped);
    // Writes the targetH rows of targetW pixels (stride targetStride bytes) from frame.
    void Scale(const DisplayFrame* frame, uint8_t* target, size_t targetStride) const;
    bool Ready() const { return !columns_.empty(); }

private:
    struct Key {
        int frameW = 0, frameH = 0, x = 0, y = 0, width = 0, height = 0, targetW = 0, targetH = 0;
        bool flipped = false;
        bool operator==(const Key& o) const;
    } key_;
    std::vector<uint32_t> columns_;  // byte offset in a frame row of each target column's pixel
    std::vector<int32_t> rows_;      // frame row of each target row
};
