// Stopping the virtual microscope while its streaming thread waits for a free buffer: a
// downstream pin that keeps every sample exhausts the allocator, and Stop must still return
// promptly (the allocator is decommitted before the thread is joined).
#include <gtest/gtest.h>

#include <vector>

#include "common/pump_win.h"
#include "common/vcam_harness_win.h"

namespace {

// An input pin that accepts anything and holds on to every sample it receives.
class HoardingPin : public IPin, public IMemInputPin {
public:
    ~HoardingPin() { ReleaseSamples(); }
    void ReleaseSamples() {
        EnterCriticalSection(&lock_);
        for (IMediaSample* s : held_) s->Release();
        held_.clear();
        LeaveCriticalSection(&lock_);
    }
    size_t Held() {
        EnterCriticalSection(&lock_);
        size_t n = held_.size();
        LeaveCriticalSection(&lock_);
        return n;
    }
    HoardingPin() { InitializeCriticalSection(&lock_); }

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IPin)
            *out = static_cast<IPin*>(this);
        else if (riid == IID_IMemInputPin)
            *out = static_cast<IMemInputPin*>(this);
        else
            return *out = nullptr, E_NOINTERFACE;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives on the test's stack
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    // IPin
    STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return S_OK; }
    STDMETHODIMP Disconnect() override { return S_OK; }
    STDMETHODIMP ConnectedTo(IPin** p) override { return *p = nullptr, VFW_E_NOT_CONNECTED; }
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryPinInfo(PIN_INFO*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryDirection(PIN_DIRECTION* d) override { return *d = PINDIR_INPUT, S_OK; }
    STDMETHODIMP QueryId(LPWSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return S_OK; }
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override { return S_OK; }
    STDMETHODIMP BeginFlush() override { return S_OK; }
    STDMETHODIMP EndFlush() override { return S_OK; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    // IMemInputPin: no allocator of its own, like the Sample Grabber under Wine.
    STDMETHODIMP GetAllocator(IMemAllocator**) override { return VFW_E_NO_ALLOCATOR; }
    STDMETHODIMP NotifyAllocator(IMemAllocator*, BOOL) override { return S_OK; }
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    STDMETHODIMP Receive(IMediaSample* s) override {
        s->AddRef();
        EnterCriticalSection(&lock_);
        held_.push_back(s);
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    STDMETHODIMP ReceiveMultiple(IMediaSample** s, long n, long* done) override {
        for (*done = 0; *done < n; ++*done) Receive(s[*done]);
        return S_OK;
    }
    STDMETHODIMP ReceiveCanBlock() override { return S_FALSE; }

private:
    CRITICAL_SECTION lock_;
    std::vector<IMediaSample*> held_;
};

}  // namespace

TEST(VcamTeardown, StopReturnsWhileTheStreamingThreadWaitsForABuffer) {
    ScopedCamera cam(L"Vcam Hoard", L"--formats \"YUY2 320x240\" --no-still --fps 60");
    ASSERT_TRUE(cam.ok());
    ComPtr<IBaseFilter> camera;
    *camera.Put() = BindCamera(cam.name());
    ASSERT_TRUE(camera);
    ComPtr<IPin> out;
    *out.Put() = OutputPin(camera.Get(), 0);
    HoardingPin sink;
    ASSERT_EQ(out->Connect(&sink, nullptr), S_OK);
    const DWORD threads = ThreadCount();
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(camera->Run(0), S_OK);
        // The camera asks for three buffers; once all are held the thread blocks in GetBuffer.
        ASSERT_TRUE(WaitUntil([&] { return sink.Held() >= 3; }, 20000));
        PumpFor(200);
        EXPECT_EQ(sink.Held(), 3u) << "no buffer comes free while they are all held";
        ASSERT_EQ(camera->Stop(), S_OK);  // would hang here without the decommit
        EXPECT_LE(ThreadCount(), threads);
        sink.ReleaseSamples();
    }
    ASSERT_EQ(out->Disconnect(), S_OK);
}
