// Frame rows padded to bitmap rows (see dib_rows.h).
#include "view/dib_rows.h"

#include <cstring>

size_t DibRowBytes(int width) { return width <= 0 ? 0 : (size_t(width) * 3 + 3) / 4 * 4; }

void CopyToDibRows(const uint8_t* frame, int width, int height, uint8_t* dib) {
    const size_t row = DibRowBytes(width), used = size_t(width) * 3;
    for (int y = 0; y < height; ++y) {
        std::memcpy(dib + size_t(y) * row, frame + size_t(y) * used, used);
        std::memset(dib + size_t(y) * row + used, 0, row - used);
    }
}
