// The sample-grabber callbacks fed with samples directly, as the streaming thread would: ring,
// publishing, messages to the view, effects, recorder queue and the still image hand-over.
#include <windows.h>

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "../../core/frame/signal_frame_picture.h"
#include "../../core/frame/test_frames.h"
#include "app/messages.h"
#include "common/pump_win.h"
#include "frame/capture_state_win.h"
#include "frame/cpu_features.h"
#include "frame/frame_effects.h"
#include "frame/grabber_callback_win.h"
#include "frame/yuy2_convert.h"

namespace {

const CLSID kClsidSampleGrabber = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

std::vector<uint8_t> EncodeJpeg(int w, int h, uint32_t seed) { return ::EncodeJpeg(TexturedBgr(w, h, seed), w, h); }

std::vector<uint8_t> DecodeJpeg(const std::vector<uint8_t>& jpeg, int w, int h) {
    std::vector<uint8_t> out(size_t(w) * h * 3);
    tjhandle tj = tjInitDecompress();
    tjDecompress2(tj, jpeg.data(), jpeg.size(), out.data(), w, w * 3, h, TJPF_BGR, 0);
    tjDestroy(tj);
    return out;
}

struct FrameCallbackTest : ::testing::Test {
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FrameCallbackTestWnd";
        RegisterClassW(&wc);
    }

    void SetUp() override {
        view = CreateWindowExW(0, L"FrameCallbackTestWnd", L"view", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 150,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(view, nullptr);
        InitCaptureState(view);
        ASSERT_EQ(CoCreateInstance(kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ISampleGrabber),
                                   reinterpret_cast<void**>(&CaptureState.previewGrabber)),
                  S_OK);
        PumpMessages();
    }

    void TearDown() override {
        FreeFrameRing();
        if (CaptureState.previewGrabber) CaptureState.previewGrabber->Release();
        CaptureState.previewGrabber = nullptr;
        for (auto* flag : {&CaptureState.flipHorizontal, &CaptureState.gray, &CaptureState.binary, &CaptureState.invert,
                           &CaptureState.emboss})
            *flag = 0;
        CaptureState.recording = 0;
        CaptureState.paused = 0;
        for (FrameCopy& c : CaptureState.recorderQueue) free(c.buffer);
        CaptureState.recorderQueue.clear();
        CaptureState.queueBudget.Reset(0);
        if (CaptureState.frameQueued) CloseHandle(CaptureState.frameQueued);
        CaptureState.frameQueued = nullptr;
        free(CaptureState.stillImage);
        CaptureState.stillImage = nullptr;
        DestroyWindow(view);
        PumpMessages();
    }

    // A session of this format with every ring slot filled with a known pattern.
    void Open(uint32_t subtype, int w, int h) {
        CaptureState.subtype = subtype;
        CaptureState.width = w;
        CaptureState.height = h;
        ASSERT_TRUE(AllocateFrameRing());
        for (int i = 0; i < 4; ++i) memset(CaptureState.frameRing[i], 0x11 * (i + 1), Bytes());
    }
    size_t Bytes() const { return DisplayFrameBytes(CaptureState.width, CaptureState.height); }
    std::vector<uint8_t> Slot(int i) const { return {CaptureState.frameRing[i], CaptureState.frameRing[i] + Bytes()}; }

    // Runs the callback on another thread, as the capture graph does.
    static void Feed(ISampleGrabberCB& callback, const std::vector<uint8_t>& sample, long length = -1) {
        std::vector<uint8_t> copy = sample;  // exactly the sample's bytes
        HRESULT hr = E_FAIL;
        std::thread t([&] { hr = callback.BufferCB(0.0, copy.data(), length < 0 ? long(copy.size()) : length); });
        t.join();
        EXPECT_EQ(hr, S_OK);
    }

    bool TakePosted(UINT message) {
        MSG msg;
        return PeekMessageW(&msg, view, message, message, PM_REMOVE) != 0;
    }
    bool Invalidated() { return GetUpdateRect(view, nullptr, FALSE) != 0; }

    HWND view = nullptr;
};

TEST_F(FrameCallbackTest, ComIdentityWithoutReferenceCounting) {
    for (ISampleGrabberCB* cb : {static_cast<ISampleGrabberCB*>(&GrabberCallback), static_cast<ISampleGrabberCB*>(&StillCallback)}) {
        void* object = nullptr;
        EXPECT_EQ(cb->QueryInterface(IID_IUnknown, &object), S_OK);
        EXPECT_EQ(object, cb);
        EXPECT_EQ(cb->QueryInterface(IID_ISampleGrabberCB, &object), S_OK);
        EXPECT_EQ(object, cb);
        EXPECT_EQ(cb->QueryInterface(IID_IClassFactory, &object), E_NOINTERFACE);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(cb->AddRef(), 1u);
        EXPECT_EQ(cb->Release(), 2u);
        EXPECT_EQ(cb->SampleCB(0.0, nullptr), E_NOTIMPL);
    }
}

TEST_F(FrameCallbackTest, Yuy2SamplesFillTheRingInTurnAndPublish) {
    Open(kSubtypeYuy2, 640, 480);
    EXPECT_EQ(GetCurrentFrame(), CaptureState.frameRing[0]);
    for (int k = 1; k <= 5; ++k) {
        const std::vector<uint8_t> sample = NoisyBytes(640 * 480 * 2, uint32_t(k));
        ValidateRect(view, nullptr);
        Feed(GrabberCallback, sample);
        const int slot = k % 4;
        ASSERT_EQ(CaptureState.currentSlot, slot);
        ASSERT_EQ(GetCurrentFrame(), CaptureState.frameRing[slot]);
        std::vector<uint8_t> want(Bytes());
        ConvertYuy2ToBgrScalar(sample.data(), 640, 480, want.data());
        EXPECT_EQ(Slot(slot), want);
        EXPECT_TRUE(Invalidated());
    }
    EXPECT_FALSE(TakePosted(WMU_ZOOM_BUTTON));
}

TEST_F(FrameCallbackTest, NoFrameWhileNoCameraIsOpen) {
    Open(kSubtypeYuy2, 64, 48);
    CaptureState.previewGrabber->Release();
    CaptureState.previewGrabber = nullptr;
    EXPECT_EQ(GetCurrentFrame(), nullptr);
}

// Until the first frame arrives the view shows the published slot: black, never a picture
// left in memory by an earlier session of the same size.
TEST_F(FrameCallbackTest, NewRingIsBlackBeforeTheFirstFrame) {
    for (int round = 0; round < 3; ++round) {
        Open(kSubtypeYuy2, 16, 8);  // fills every slot with a pattern
        FreeFrameRing();
        ASSERT_TRUE(AllocateFrameRing());
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Slot(i), std::vector<uint8_t>(Bytes(), 0)) << "round " << round << ", slot " << i;
        EXPECT_EQ(GetCurrentFrame(), CaptureState.frameRing[0]);
        FreeFrameRing();
    }
}

TEST_F(FrameCallbackTest, SignalFramePostsZoomAndIsNotShown) {
    Open(kSubtypeYuy2, 640, 480);
    ValidateRect(view, nullptr);
    std::vector<uint8_t> bars = SignalFramePicture();
    Feed(GrabberCallback, bars);
    EXPECT_TRUE(TakePosted(WMU_ZOOM_BUTTON));
    EXPECT_EQ(CaptureState.currentSlot, 0);
    EXPECT_EQ(Slot(1), std::vector<uint8_t>(Bytes(), 0x22));
    EXPECT_FALSE(Invalidated());
    // One differing word inside a band's checked run: an ordinary frame.
    bars[157440 + 100 * 4] ^= 0x10;
    Feed(GrabberCallback, bars);
    EXPECT_FALSE(TakePosted(WMU_ZOOM_BUTTON));
    EXPECT_EQ(CaptureState.currentSlot, 1);
    EXPECT_TRUE(Invalidated());
}

TEST_F(FrameCallbackTest, MjpgOfAnotherSizeOrDamagedLeavesThePictureUnchanged) {
    Open(kSubtypeMjpg, 640, 480);
    Feed(GrabberCallback, EncodeJpeg(1280, 720, 1));
    EXPECT_EQ(CaptureState.currentSlot, 0);
    EXPECT_EQ(Slot(1), std::vector<uint8_t>(Bytes(), 0x22));

    const std::vector<uint8_t> jpeg = EncodeJpeg(640, 480, 2);
    Feed(GrabberCallback, jpeg);
    ASSERT_EQ(CaptureState.currentSlot, 1);
    const std::vector<uint8_t> shown = DecodeJpeg(jpeg, 640, 480);
    EXPECT_EQ(Slot(1), shown);

    Feed(GrabberCallback, NoisyBytes(40000, 3));                                 // garbage
    Feed(GrabberCallback, std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() / 2));  // truncated
    Feed(GrabberCallback, std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 10));
    EXPECT_EQ(CaptureState.currentSlot, 1);
    ASSERT_EQ(GetCurrentFrame(), CaptureState.frameRing[1]);
    EXPECT_EQ(Slot(1), shown);
}

TEST_F(FrameCallbackTest, ShortYuy2SampleIsDropped) {
    Open(kSubtypeYuy2, 64, 48);
    Feed(GrabberCallback, NoisyBytes(64 * 48 * 2 - 2, 4));
    Feed(GrabberCallback, {});
    EXPECT_EQ(CaptureState.currentSlot, 0);
    EXPECT_EQ(Slot(1), std::vector<uint8_t>(Bytes(), 0x22));
}

TEST_F(FrameCallbackTest, EffectsAreAppliedBeforePublishingOncePerFrame) {
    Open(kSubtypeYuy2, 66, 20);
    CaptureState.flipHorizontal = 1;
    CaptureState.invert = 1;
    CaptureState.emboss = 1;  // invert comes first: emboss does not run
    for (int k = 0; k < 2; ++k) {
        const std::vector<uint8_t> sample = NoisyBytes(66 * 20 * 2, 10);
        Feed(GrabberCallback, sample);
        std::vector<uint8_t> want(Bytes());
        ConvertYuy2ToBgrScalar(sample.data(), 66, 20, want.data());
        FlipHorizontalScalar(want.data(), 66, 20);
        InvertFrameScalar(want.data(), 66, 20);
        EXPECT_EQ(Slot(CaptureState.currentSlot), want);
    }
}

TEST_F(FrameCallbackTest, RecordingQueuesCopiesUnlessPaused) {
    Open(kSubtypeYuy2, 32, 8);
    CaptureState.frameQueued = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Feed(GrabberCallback, NoisyBytes(32 * 8 * 2, 20));  // not recording
    EXPECT_TRUE(CaptureState.recorderQueue.empty());
    EXPECT_EQ(WaitForSingleObject(CaptureState.frameQueued, 0), WAIT_TIMEOUT);

    CaptureState.queueBudget.Reset(Bytes() * 4);  // what a start gives the queue
    CaptureState.recording = 1;
    CaptureState.gray = 1;
    for (int k = 0; k < 2; ++k) {
        Feed(GrabberCallback, NoisyBytes(32 * 8 * 2, 21 + k));
        ASSERT_EQ(CaptureState.recorderQueue.size(), size_t(k + 1));
        const FrameCopy& copy = CaptureState.recorderQueue.back();
        EXPECT_EQ(copy.size, int32_t(Bytes()));
        EXPECT_EQ(std::vector<uint8_t>(copy.buffer, copy.buffer + copy.size), Slot(CaptureState.currentSlot));
    }
    EXPECT_EQ(WaitForSingleObject(CaptureState.frameQueued, 0), WAIT_OBJECT_0);

    CaptureState.paused = 1;
    const int32_t slotBefore = CaptureState.currentSlot;
    Feed(GrabberCallback, NoisyBytes(32 * 8 * 2, 30));
    EXPECT_EQ(CaptureState.recorderQueue.size(), 2u);
    EXPECT_NE(CaptureState.currentSlot, slotBefore);  // the preview goes on
}

// A disk slower than the camera: copies beyond the queue's byte bound are dropped and counted,
// and the queue takes frames again once the writer has made room.
TEST_F(FrameCallbackTest, QueueBeyondItsByteBoundDropsAndCounts) {
    Open(kSubtypeYuy2, 32, 8);
    CaptureState.frameQueued = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CaptureState.queueBudget.Reset(Bytes() * 2);
    CaptureState.recording = 1;
    for (int k = 0; k < 5; ++k) Feed(GrabberCallback, NoisyBytes(32 * 8 * 2, 50 + k));
    EXPECT_EQ(CaptureState.recorderQueue.size(), 2u);
    EXPECT_EQ(CaptureState.queueBudget.dropped, 3);
    EXPECT_EQ(CaptureState.queueBudget.queued, Bytes() * 2);
    free(CaptureState.recorderQueue.front().buffer);  // the writer takes one
    CaptureState.recorderQueue.pop_front();
    CaptureState.queueBudget.Release(Bytes());
    Feed(GrabberCallback, NoisyBytes(32 * 8 * 2, 60));
    EXPECT_EQ(CaptureState.recorderQueue.size(), 2u);
    EXPECT_EQ(CaptureState.queueBudget.dropped, 3);
}

// A stop that comes while the streaming thread is copying a frame (after it saw recording on)
// must still keep that frame out of the queue.
TEST_F(FrameCallbackTest, FrameInFlightWhenRecordingStopsIsNotQueued) {
    Open(kSubtypeYuy2, 320, 240);
    CaptureState.recording = 1;
    std::vector<uint8_t> sample = NoisyBytes(320 * 240 * 2, 40);
    const int32_t slotBefore = CaptureState.currentSlot;
    EnterCriticalSection(&CaptureState.queueLock);  // as the stop does
    std::thread streaming([&] { GrabberCallback.BufferCB(0.0, sample.data(), long(sample.size())); });
    // Published means the callback is past its conversion and at the recorder copy.
    const bool published = WaitUntil([&] { return CaptureState.currentSlot != slotBefore; });
    CaptureState.recording = 0;
    LeaveCriticalSection(&CaptureState.queueLock);
    streaming.join();
    EXPECT_TRUE(published);
    EXPECT_TRUE(CaptureState.recorderQueue.empty());
}

TEST_F(FrameCallbackTest, StillFrameIsConvertedWithoutEffectsAndAnnounced) {
    Open(kSubtypeYuy2, 40, 30);
    CaptureState.invert = 1;
    const std::vector<uint8_t> sample = NoisyBytes(40 * 30 * 2, 40);
    Feed(StillCallback, sample);
    EXPECT_TRUE(TakePosted(WMU_STILL_READY));
    std::vector<uint8_t> want(Bytes());
    ConvertYuy2ToBgrScalar(sample.data(), 40, 30, want.data());
    ASSERT_NE(CaptureState.stillImage, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(CaptureState.stillImage, CaptureState.stillImage + Bytes()), want);

    // A damaged or short still frame is not announced and the last good one stays.
    Feed(StillCallback, NoisyBytes(100, 41));
    EXPECT_FALSE(TakePosted(WMU_STILL_READY));
    EXPECT_EQ(std::vector<uint8_t>(CaptureState.stillImage, CaptureState.stillImage + Bytes()), want);

    // Another stream type clears it.
    CaptureState.subtype = 0x33424752;  // 'RGB3'
    Feed(StillCallback, sample);
    EXPECT_EQ(CaptureState.stillImage, nullptr);
    EXPECT_FALSE(TakePosted(WMU_STILL_READY));
}

// The still pin may stream a larger size than the preview: such a frame is no photo of the
// preview's size (its start would be a sheared picture), while a frame with a few bytes of
// padding still is.
TEST_F(FrameCallbackTest, Yuy2StillOfAnotherSizeIsNotAPhoto) {
    Open(kSubtypeYuy2, 40, 30);
    Feed(StillCallback, NoisyBytes(80 * 60 * 2, 41));
    EXPECT_FALSE(TakePosted(WMU_STILL_READY));
    EXPECT_EQ(CaptureState.stillImage, nullptr);
    Feed(StillCallback, NoisyBytes(40 * 30 * 2 + 16, 42));
    EXPECT_TRUE(TakePosted(WMU_STILL_READY));
    EXPECT_NE(CaptureState.stillImage, nullptr);
}

// Many cameras deliver the still at the sensor's size beside a smaller preview: the still keeps
// its own size (the JPEG header's, or the still pin's for YUY2); a damaged one keeps the last good.
TEST_F(FrameCallbackTest, StillKeepsItsOwnSize) {
    Open(kSubtypeMjpg, 40, 30);
    const std::vector<uint8_t> jpeg = EncodeJpeg(82, 62, 5);
    Feed(StillCallback, jpeg);
    EXPECT_TRUE(TakePosted(WMU_STILL_READY));
    ASSERT_NE(CaptureState.stillImage, nullptr);
    EXPECT_EQ(CaptureState.stillWidth, 82);
    EXPECT_EQ(CaptureState.stillHeight, 62);
    const std::vector<uint8_t> want = DecodeJpeg(jpeg, 82, 62);
    EXPECT_EQ(std::vector<uint8_t>(CaptureState.stillImage, CaptureState.stillImage + want.size()), want);
    Feed(StillCallback, std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() / 2));  // truncated
    EXPECT_FALSE(TakePosted(WMU_STILL_READY));
    EXPECT_EQ(std::vector<uint8_t>(CaptureState.stillImage, CaptureState.stillImage + want.size()), want);

    CaptureState.subtype = kSubtypeYuy2;
    CaptureState.stillPinWidth = 80;
    CaptureState.stillPinHeight = 60;
    Feed(StillCallback, NoisyBytes(80 * 60 * 2, 6));
    EXPECT_TRUE(TakePosted(WMU_STILL_READY));
    EXPECT_EQ(CaptureState.stillWidth, 80);
    EXPECT_EQ(CaptureState.stillHeight, 60);
    CaptureState.stillPinWidth = CaptureState.stillPinHeight = 0;
}

TEST_F(FrameCallbackTest, StillImageBeingSavedIsNeverFreedUnderTheSaver) {
    Open(kSubtypeYuy2, 40, 30);
    EXPECT_EQ(TakeStillImage().pixels, nullptr);
    const std::vector<uint8_t> first = NoisyBytes(40 * 30 * 2, 50), second = NoisyBytes(40 * 30 * 2, 51);
    Feed(StillCallback, first);
    StillImageData taken = TakeStillImage();
    ASSERT_NE(taken.pixels, nullptr);
    EXPECT_EQ(taken.width, 40);
    EXPECT_EQ(taken.height, 30);
    EXPECT_EQ(CaptureState.stillImage, nullptr);
    std::vector<uint8_t> want(Bytes());
    ConvertYuy2ToBgrScalar(first.data(), 40, 30, want.data());

    // A new still frame while the first is being saved: the first stays intact.
    Feed(StillCallback, second);
    ASSERT_NE(CaptureState.stillImage, nullptr);
    uint8_t* newer = CaptureState.stillImage;
    EXPECT_EQ(std::vector<uint8_t>(taken.pixels, taken.pixels + Bytes()), want);
    ReturnStillImage(taken);  // freed: the newer one stays
    EXPECT_EQ(CaptureState.stillImage, newer);

    StillImageData again = TakeStillImage();
    EXPECT_EQ(again.pixels, newer);
    ReturnStillImage(again);  // nothing newer: it goes back
    EXPECT_EQ(CaptureState.stillImage, newer);
}

TEST_F(FrameCallbackTest, ManyFramesFromTheStreamingThreadWhileTheViewReads) {
    Open(kSubtypeYuy2, 320, 240);
    std::vector<std::vector<uint8_t>> samples;
    for (int k = 0; k < 4; ++k) samples.push_back(NoisyBytes(320 * 240 * 2, 60 + k));
    std::atomic<bool> done{false};
    CaptureState.fps = 0.0f;  // the session starts it at 30: the stream must set it
    std::thread streaming([&] {
        for (int k = 0; k < 120; ++k) {
            std::vector<uint8_t>& s = samples[k % 4];
            GrabberCallback.BufferCB(0.0, s.data(), long(s.size()));
        }
        done = true;
    });
    int reads = 0, strays = 0;
    while (!done) {
        DisplayFrame* f = GetCurrentFrame();
        const auto& ring = CaptureState.frameRing;
        if (f != ring[0] && f != ring[1] && f != ring[2] && f != ring[3]) ++strays;
        ++reads;
    }
    streaming.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(strays, 0);
    EXPECT_EQ(CaptureState.currentSlot, 120 % 4);
    EXPECT_GT(CaptureState.fps.load(), 0.0f);
}

}  // namespace

// The Windows build's vector converters (its own compiler, calling convention and stack
// alignment) against the reference on every (Y, U, V).
TEST(FrameConvertersWin, VectorVersionsExactOnAllYuv) {
    std::vector<uint8_t> src(65536 * 4), want(65536 * 6), got(65536 * 6);
    for (int u = 0; u < 256; ++u) {
        for (int k = 0; k < 65536; ++k) {
            src[k * 4] = uint8_t(k), src[k * 4 + 1] = uint8_t(u), src[k * 4 + 2] = uint8_t(255 - (k & 255)), src[k * 4 + 3] = uint8_t(k >> 8);
        }
        ConvertYuy2ToBgrScalar(src.data(), 512, 256, want.data());
        ConvertYuy2ToBgrSse2(src.data(), 512, 256, got.data());
        ASSERT_EQ(want, got) << "SSE2, U " << u;
        if (CpuHasAvx2()) {
            ConvertYuy2ToBgrAvx2(src.data(), 512, 256, got.data());
            ASSERT_EQ(want, got) << "AVX2, U " << u;
        }
    }
    ::testing::Test::RecordProperty("avx2", CpuHasAvx2() ? 1 : 0);
}
