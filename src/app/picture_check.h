// What a picture file's bytes claim before anything decodes them: the format (JPEG, PNG, BMP or
// TIFF, told by content, not by name), the size in the header, and whether the file is whole.
// The image view decodes only pictures that pass, so a damaged file or a header claiming an
// enormous size (a few hundred bytes asking for gigabytes) is refused before any allocation.
#pragma once
#include <cstddef>
#include <cstdint>

enum class PictureKind { Unknown, Jpeg, Png, Bmp, Tiff };

struct PictureFacts {
    PictureKind kind = PictureKind::Unknown;
    int64_t width = 0, height = 0;  // as the header says (a bottom-up BMP's height made positive)
    // The structure runs to its end marker (JPEG, PNG) or pixel data (BMP); for a TIFF, its first
    // picture names its size and every strip or tile it names lies inside the file.
    bool complete = false;
};

PictureFacts InspectPicture(const uint8_t* data, size_t size);

// Largest picture the view decodes: 64 megapixels (192 MB of 24-bit rows), so every ordinary
// photo (8000 x 6000 is 48) is shown and nothing asks for more. Sides are capped too.
constexpr int64_t kMaxPicturePixels = int64_t(64) << 20;
constexpr int64_t kMaxPictureSide = 32767;
// Largest file the view reads into memory to decode.
constexpr int64_t kMaxPictureFileBytes = int64_t(256) << 20;

// A recognised, whole picture of 1 .. kMaxPictureSide pixels a side and at most
// kMaxPicturePixels pixels.
bool PictureAcceptable(const PictureFacts& facts);
