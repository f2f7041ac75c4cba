// The virtual microscope's picture: the micrometer's divisions lie at the configured number of
// pixels per millimetre (so calibration can be tested end to end), and a frame saved as PNG
// for a person to look at.
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "common/pump_win.h"
#include "common/vcam_harness_win.h"

namespace {

std::vector<BYTE> OneFrame(const std::wstring& name, const StreamFormat& fmt) {
    FrameCollector preview;
    TestGraph graph;
    if (!graph.Build(name, &fmt, &preview, nullptr) || FAILED(graph.Run())) return {};
    WaitUntil([&] { return preview.Count() >= 3; }, 20000);
    graph.Stop();
    auto b = preview.Buffers();
    return b.empty() ? std::vector<BYTE>() : b.back();
}

// BGR pixels of a frame, decoded from MJPG or YUY2 (full-range BT.601).
std::vector<BYTE> ToBgr(const std::vector<BYTE>& frame, const StreamFormat& fmt) {
    std::vector<BYTE> bgr(static_cast<size_t>(fmt.width) * fmt.height * 3);
    if (fmt.mjpg) {
        tjhandle tj = tjInitDecompress();
        int rc = tjDecompress2(tj, frame.data(), static_cast<unsigned long>(frame.size()), bgr.data(), fmt.width, 0,
                               fmt.height, TJPF_BGR, 0);
        tjDestroy(tj);
        if (rc != 0) return {};
        return bgr;
    }
    if (frame.size() != static_cast<size_t>(fmt.width) * fmt.height * 2) return {};
    auto clamp = [](double v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); };
    for (size_t i = 0, o = 0; i + 3 < frame.size(); i += 4, o += 6) {
        double u = frame[i + 1] - 128.0, v = frame[i + 3] - 128.0;
        for (int k = 0; k < 2; ++k) {
            double y = frame[i + 2 * k];
            bgr[o + 3 * k] = clamp(y + 1.772 * u);
            bgr[o + 3 * k + 1] = clamp(y - 0.344 * u - 0.714 * v);
            bgr[o + 3 * k + 2] = clamp(y + 1.402 * v);
        }
    }
    return bgr;
}

// Centres of the micrometer's division lines along the row just above its baseline.
std::vector<double> DivisionCentres(const std::vector<BYTE>& bgr, int width, int height) {
    std::vector<int> luma(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < luma.size(); ++i)
        luma[i] = (29 * bgr[i * 3] + 150 * bgr[i * 3 + 1] + 77 * bgr[i * 3 + 2]) >> 8;
    // The baseline is the row with the most ink below the middle of the picture.
    int baseline = -1, best = 0;
    for (int y = height / 2; y < height / 2 + 60 && y < height; ++y) {
        int dark = 0;
        for (int x = 0; x < width; ++x) dark += luma[static_cast<size_t>(y) * width + x] < 60;
        if (dark > best) best = dark, baseline = y;
    }
    std::vector<double> centres;
    if (baseline < 10) return centres;
    // Only within the ruler's length, which the baseline shows.
    const int* base = &luma[static_cast<size_t>(baseline) * width];
    int first = 0, last = width - 1;
    while (first < width && base[first] >= 60) ++first;
    while (last > first && base[last] >= 60) --last;
    const int* row = &luma[static_cast<size_t>(baseline - 8) * width];
    double sum = 0, weighted = 0;
    for (int x = std::max(0, first - 2); x <= std::min(width - 1, last + 2); ++x) {
        // Background: the brighter side two or three pixels away, the darker of the two
        // sides, so that the edge of a dark cell is not taken for a line.
        auto side = [&](int a, int b) {
            int m = 0;
            for (int k = a; k <= b; ++k) m = std::max(m, row[std::min(width - 1, std::max(0, k))]);
            return m;
        };
        int bg = std::min(side(x - 3, x - 2), side(x + 2, x + 3));
        int ink = bg - row[x];
        if (ink > std::max(25, bg / 5)) {  // a line, not a cell wall; also over a dark nucleus
            sum += ink;
            weighted += ink * static_cast<double>(x);
        } else if (sum > 0) {
            centres.push_back(weighted / sum);
            sum = weighted = 0;
        }
    }
    if (sum > 0) centres.push_back(weighted / sum);
    return centres;
}

bool SavePng(const std::vector<BYTE>& bgr, int width, int height, const std::wstring& path) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool ok = false;
    {
        Gdiplus::Bitmap bitmap(width, height, width * 3, PixelFormat24bppRGB, const_cast<BYTE*>(bgr.data()));
        const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
        ok = bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return ok;
}

}  // namespace

TEST(VcamPicture, DivisionsLieAtTheConfiguredPixelsPerMillimetre) {
    const struct {
        const wchar_t* options;
        StreamFormat fmt;
        double ppmm;
    } cases[] = {
        {L"--formats \"MJPG 1280x720\" --ppmm 500", {true, 1280, 720}, 500},
        {L"--formats \"YUY2 640x480\" --ppmm 437", {false, 640, 480}, 437},
        {L"--formats \"MJPG 1920x1080\" --ppmm 812.5", {true, 1920, 1080}, 812.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ppmm);
        ScopedCamera cam(L"Vcam Scale", c.options);
        ASSERT_TRUE(cam.ok());
        auto frame = OneFrame(cam.name(), c.fmt);
        auto bgr = ToBgr(frame, c.fmt);
        ASSERT_FALSE(bgr.empty());
        auto centres = DivisionCentres(bgr, c.fmt.width, c.fmt.height);
        const double division = c.ppmm / 100;  // 0.01 mm
        // The ruler spans most of the width.
        ASSERT_GT(centres.size(), static_cast<size_t>(0.8 * c.fmt.width / division));
        for (size_t i = 1; i < centres.size(); ++i)
            ASSERT_NEAR(centres[i] - centres[i - 1], division, 0.75) << "between divisions " << i - 1 << " and " << i;
        double mean = (centres.back() - centres.front()) / (centres.size() - 1);
        EXPECT_NEAR(mean, division, division * 0.002);
    }
}

TEST(VcamPicture, FrameSavedAsPngForInspection) {
    ScopedCamera cam(L"Vcam Shot", L"--formats \"MJPG 1280x720,YUY2 640x480\"");
    ASSERT_TRUE(cam.ok());
    for (const StreamFormat& fmt : {StreamFormat{true, 1280, 720}, StreamFormat{false, 640, 480}}) {
        auto bgr = ToBgr(OneFrame(cam.name(), fmt), fmt);
        ASSERT_FALSE(bgr.empty());
        std::wstring path = BinPath((L"vcam_frame_" + std::to_wstring(fmt.width) + L"x" +
                                     std::to_wstring(fmt.height) + L".png").c_str());
        ASSERT_TRUE(SavePng(bgr, fmt.width, fmt.height, path));
        EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST(VcamPicture, ProcessingAmplifierActsOnThePicture) {
    ScopedCamera cam(L"Vcam Amp", L"--formats \"YUY2 640x480\"");
    ASSERT_TRUE(cam.ok());
    FrameCollector preview;
    TestGraph graph;
    ASSERT_TRUE(graph.Build(cam.name(), nullptr, &preview, nullptr));
    ComPtr<IAMVideoProcAmp> amp;
    ASSERT_EQ(graph.Camera()->QueryInterface(IID_IAMVideoProcAmp, amp.PutVoid()), S_OK);
    // Mean luma and the largest chroma swing of the next frame.
    auto measure = [&](double* meanY, int* chroma) {
        size_t n = preview.Count();
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(WaitUntil([&] { return preview.Count() >= n + 2; }, 20000));
        graph.Stop();
        auto b = preview.Buffers().back();
        ASSERT_EQ(b.size(), 614400u);
        double sum = 0;
        *chroma = 0;
        for (size_t i = 0; i < b.size(); i += 4) {
            sum += b[i] + b[i + 2];
            *chroma = std::max({*chroma, std::abs(b[i + 1] - 128), std::abs(b[i + 3] - 128)});
        }
        *meanY = sum / (b.size() / 2);
    };
    double y0, y1, y2;
    int c0, c1, c2;
    measure(&y0, &c0);
    ASSERT_EQ(amp->Set(VideoProcAmp_Brightness, -40, VideoProcAmp_Flags_Manual), S_OK);
    measure(&y1, &c1);
    EXPECT_LT(y1, y0 - 50);
    ASSERT_EQ(amp->Set(VideoProcAmp_Brightness, 0, VideoProcAmp_Flags_Manual), S_OK);
    ASSERT_EQ(amp->Set(VideoProcAmp_Saturation, 0, VideoProcAmp_Flags_Manual), S_OK);
    measure(&y2, &c2);
    EXPECT_GT(c0, 20);
    EXPECT_LE(c2, 2) << "no colour left";
}
