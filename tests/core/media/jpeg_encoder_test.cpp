// Video frames encoded for compressed recordings: readable JPEG of the frame's size, 4:2:0,
// close to the picture, into a buffer that is kept while the size stays.
#include "media/jpeg_encoder.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstdlib>
#include <vector>

#include "frame/test_frames.h"

TEST(JpegEncoder, EncodesFramesOfAnySizeCloseToThePicture) {
    JpegEncoder encoder;
    const struct { int w, h; } sizes[] = {{64, 48}, {33, 17}, {642, 480}, {1, 1}, {64, 48}};
    tjhandle tj = tjInitDecompress();
    for (const auto& s : sizes) {
        const std::vector<uint8_t> picture = TexturedBgr(s.w, s.h, 7);
        const uint8_t* jpeg = nullptr;
        size_t size = 0;
        ASSERT_TRUE(encoder.Encode(picture.data(), s.w, s.h, &jpeg, &size)) << s.w << "x" << s.h;
        int w = 0, h = 0, sub = -1, space = -1;
        ASSERT_EQ(tjDecompressHeader3(tj, jpeg, static_cast<unsigned long>(size), &w, &h, &sub, &space), 0);
        EXPECT_EQ(w, s.w);
        EXPECT_EQ(h, s.h);
        EXPECT_EQ(sub, TJSAMP_420);
        std::vector<uint8_t> back(picture.size());
        ASSERT_EQ(tjDecompress2(tj, jpeg, static_cast<unsigned long>(size), back.data(), w, w * 3, h, TJPF_BGR, 0), 0);
        long diff = 0;
        for (size_t i = 0; i < back.size(); ++i) diff += std::abs(int(back[i]) - picture[i]);
        EXPECT_LT(diff / long(back.size()), 20) << s.w << "x" << s.h;  // a noisy picture at quality 85

        // The next frame of the same size goes into the same buffer.
        const uint8_t* again = nullptr;
        ASSERT_TRUE(encoder.Encode(picture.data(), s.w, s.h, &again, &size));
        EXPECT_EQ(again, jpeg);
    }
    tjDestroy(tj);
}
