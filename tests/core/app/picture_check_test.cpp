// The picture check: format by content, the header's size, whole files only, and the pixel
// limit that refuses enormous headers before anything is decoded.
#include "app/picture_check.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstring>
#include <string>

#include "app/picture_bytes.h"
#include "frame/test_frames.h"
#include "media/tiff_encoder.h"

namespace {

using picture_bytes::Bytes;

// A real JPEG from the encoder the program links, for a structure no hand-made file has.
Bytes EncodedJpeg(int w, int h) {
    std::vector<uint8_t> bgr(size_t(w) * h * 3);
    for (size_t i = 0; i < bgr.size(); ++i) bgr[i] = uint8_t(i * 7);
    return EncodeJpeg(bgr, w, h, 0, TJSAMP_420, 90);
}

// A real TIFF as photos are saved, with its scale.
Bytes EncodedTiff(int w, int h) {
    std::vector<uint8_t> bgr(size_t(w) * h * 3, 0x40);
    PhotoScale scale;
    scale.pixelsPerUnitX = scale.pixelsPerUnitY = 0.5;
    scale.unit = 1;
    return EncodeTiff(bgr.data(), w, h, size_t(w) * 3, &scale);
}

PictureFacts Inspect(const Bytes& b) { return InspectPicture(b.data(), b.size()); }

Bytes Text(const char* s) { return Bytes(s, s + std::strlen(s)); }

struct Case {
    const char* name;
    Bytes bytes;
    PictureKind kind;
    int64_t width, height;
    bool complete, acceptable;
};

TEST(PictureCheck, KindSizeAndWholeness) {
    using namespace picture_bytes;
    Bytes trailing = Jpeg(64, 48);
    trailing.insert(trailing.end(), {1, 2, 3});
    Bytes wrapping = Bmp(33, 20);  // a header size that wraps past 4 GiB when 14 is added
    for (int i = 14; i < 18; ++i) wrapping[size_t(i)] = 0xFF;
    Bytes notPicture = Text("GIF89a is not among them, nor is plain text");
    const Case cases[] = {
        {"encoded jpeg", EncodedJpeg(64, 48), PictureKind::Jpeg, 64, 48, true, true},
        {"made-up jpeg", Jpeg(640, 480), PictureKind::Jpeg, 640, 480, true, true},
        {"jpeg with bytes after its end", trailing, PictureKind::Jpeg, 64, 48, true, true},
        {"png", Png(640, 480), PictureKind::Png, 640, 480, true, true},
        {"png without pixel data", Png(640, 480, false), PictureKind::Png, 640, 480, false, false},
        {"png without its end", Png(640, 480, true, false), PictureKind::Png, 640, 480, false, false},
        {"bmp bottom-up", Bmp(33, 20), PictureKind::Bmp, 33, 20, true, true},
        {"bmp top-down", Bmp(33, -20), PictureKind::Bmp, 33, 20, true, true},
        {"bmp missing a row", Bmp(33, 20, 1), PictureKind::Bmp, 33, 20, false, false},
        {"bmp header larger than the file", wrapping, PictureKind::Bmp, 33, 20, false, false},
        {"encoded tiff", EncodedTiff(33, 20), PictureKind::Tiff, 33, 20, true, true},
        {"big-endian tiff", Tiff(640, 480, true), PictureKind::Tiff, 640, 480, true, true},
        {"tiff with a strip cut short", Tiff(640, 480, false, 1), PictureKind::Tiff, 640, 480, false, false},
        {"tiff claiming 60000 x 60000", Tiff(60000, 60000), PictureKind::Tiff, 60000, 60000, true, false},
        {"8000 x 6000 photo", Png(8000, 6000), PictureKind::Png, 8000, 6000, true, true},
        {"png claiming 60000 x 60000", Png(60000, 60000), PictureKind::Png, 60000, 60000, true, false},
        {"jpeg claiming 60000 x 60000", Jpeg(60000, 60000), PictureKind::Jpeg, 60000, 60000, true, false},
        {"one side too long", Png(40000, 10), PictureKind::Png, 40000, 10, true, false},
        {"zero width", Png(0, 10), PictureKind::Png, 0, 10, true, false},
        {"text", notPicture, PictureKind::Unknown, 0, 0, false, false},
        {"empty", {}, PictureKind::Unknown, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PictureFacts f = Inspect(c.bytes);
        EXPECT_EQ(f.kind, c.kind);
        EXPECT_EQ(f.width, c.width);
        EXPECT_EQ(f.height, c.height);
        EXPECT_EQ(f.complete, c.complete);
        EXPECT_EQ(PictureAcceptable(f), c.acceptable);
    }
}

TEST(PictureCheck, LimitSitsAt64Megapixels) {
    EXPECT_TRUE(PictureAcceptable(Inspect(picture_bytes::Png(8192, 8192))));
    EXPECT_FALSE(PictureAcceptable(Inspect(picture_bytes::Png(8192, 8193))));
}

// No cut of a whole picture passes, whatever the place: a truncated file is never decoded.
TEST(PictureCheck, EveryTruncationIsRefused) {
    using namespace picture_bytes;
    for (const Bytes& whole : {EncodedJpeg(40, 30), Jpeg(64, 48), Png(64, 48), Bmp(7, 5), EncodedTiff(9, 5), Tiff(7, 5, true)}) {
        ASSERT_TRUE(PictureAcceptable(Inspect(whole)));
        for (size_t n = 0; n < whole.size(); ++n) {
            Bytes cut(whole.begin(), whole.begin() + ptrdiff_t(n));
            ASSERT_FALSE(PictureAcceptable(Inspect(cut))) << "cut at " << n << " of " << whole.size();
        }
    }
}

}  // namespace
