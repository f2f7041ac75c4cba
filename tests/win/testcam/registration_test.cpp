// The virtual microscope as a COM server and a video input device: registration, the device
// list, instance configuration reaching the filter, stream capabilities and camera controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/vcam_harness_win.h"

namespace {

class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};
const auto* const kComEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

const wchar_t kClsidText[] = L"{5A3F1C20-7B4E-4C1D-9E2A-6D8B0F13C7A5}";

std::wstring RegString(HKEY root, const std::wstring& key, const wchar_t* value) {
    wchar_t buf[512] = {};
    DWORD size = sizeof(buf) - sizeof(wchar_t);
    if (RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return L"";
    return buf;
}

std::wstring DisplayName(IMoniker* m) {
    LPOLESTR name = nullptr;
    std::wstring s;
    if (SUCCEEDED(m->GetDisplayName(nullptr, nullptr, &name))) {
        s = name;
        CoTaskMemFree(name);
    }
    return s;
}

int CapabilityCount(IBaseFilter* camera) {
    ComPtr<IPin> pin;
    *pin.Put() = OutputPin(camera, 0);
    ComPtr<IAMStreamConfig> config;
    if (!pin || FAILED(pin->QueryInterface(IID_IAMStreamConfig, config.PutVoid()))) return -1;
    int count = 0, size = 0;
    config->GetNumberOfCapabilities(&count, &size);
    return count;
}

}  // namespace

TEST(VcamRegistration, ServerEntryAndDeviceListFollowAddAndRemove) {
    ASSERT_TRUE(EnsureVcamRegistered());
    std::wstring key = std::wstring(L"CLSID\\") + kClsidText + L"\\InprocServer32";
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, key, L"ThreadingModel"), L"Both");
    EXPECT_NE(RegString(HKEY_CLASSES_ROOT, key, nullptr).find(L"vcam.dll"), std::wstring::npos);
    {
        ScopedCamera cam(L"Vcam Reg Scope");
        ASSERT_TRUE(cam.ok());
        ComPtr<IMoniker> m;
        *m.Put() = FindCameraMoniker(cam.name());
        ASSERT_TRUE(m);
        EXPECT_EQ(DisplayName(m.Get()), L"@device:sw:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Vcam Reg Scope");
    }
    ComPtr<IMoniker> gone;
    *gone.Put() = FindCameraMoniker(L"Vcam Reg Scope");
    EXPECT_FALSE(gone);
    EXPECT_NE(RunVcamctl(L"remove \"Vcam Reg Scope\""), 0) << "removing twice reports the missing camera";
    EXPECT_NE(RunVcamctl(L"add \"Bad\\Name\""), 0);
    EXPECT_NE(RunVcamctl(L"add X --formats \"MJPG 1280\""), 0);
}

TEST(VcamRegistration, EachInstanceBindsWithItsOwnConfiguration) {
    ScopedCamera a(L"Vcam Cfg A", L"--formats \"YUY2 640x480\" --no-still --no-procamp");
    ScopedCamera b(L"Vcam Cfg B", L"--formats \"MJPG 1280x720,MJPG 800x600,YUY2 320x240\" --no-camctl");
    ASSERT_TRUE(a.ok() && b.ok());
    ComPtr<IBaseFilter> fa, fb;
    *fa.Put() = BindCamera(a.name());
    *fb.Put() = BindCamera(b.name());
    ASSERT_TRUE(fa && fb);
    EXPECT_EQ(CapabilityCount(fa.Get()), 1);
    EXPECT_EQ(CapabilityCount(fb.Get()), 3);
    ComPtr<IPin> stillA, stillB;
    *stillA.Put() = OutputPin(fa.Get(), 1);
    *stillB.Put() = OutputPin(fb.Get(), 1);
    EXPECT_FALSE(stillA);
    ASSERT_TRUE(stillB);
    ComPtr<IAMVideoProcAmp> ampA, ampB;
    ComPtr<IAMCameraControl> camA, camB;
    EXPECT_EQ(fa->QueryInterface(IID_IAMVideoProcAmp, ampA.PutVoid()), E_NOINTERFACE);
    EXPECT_EQ(fa->QueryInterface(IID_IAMCameraControl, camA.PutVoid()), S_OK);
    EXPECT_EQ(fb->QueryInterface(IID_IAMVideoProcAmp, ampB.PutVoid()), S_OK);
    EXPECT_EQ(fb->QueryInterface(IID_IAMCameraControl, camB.PutVoid()), E_NOINTERFACE);

    // Pin categories, which the capture graph builder uses to find the still pin.
    ComPtr<IPin> captureB;
    *captureB.Put() = OutputPin(fb.Get(), 0);
    for (auto [pin, want] : {std::pair<IPin*, GUID>{captureB.Get(), PIN_CATEGORY_CAPTURE},
                             std::pair<IPin*, GUID>{stillB.Get(), PIN_CATEGORY_STILL}}) {
        ComPtr<IKsPropertySet> ks;
        ASSERT_EQ(pin->QueryInterface(IID_IKsPropertySet, ks.PutVoid()), S_OK);
        GUID category = GUID_NULL;
        DWORD returned = 0;
        EXPECT_EQ(ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof(category), &returned),
                  S_OK);
        EXPECT_EQ(returned, sizeof(GUID));
        EXPECT_TRUE(IsEqualGUID(category, want));
    }
}

TEST(VcamRegistration, CreatedWithoutAMonikerActsAsTheFirstInstance) {
    ScopedCamera cam(L"Vcam Direct", L"--formats \"YUY2 640x480,YUY2 320x240\"");
    ASSERT_TRUE(cam.ok());
    ComPtr<IBaseFilter> f;
    ASSERT_EQ(CoCreateInstance({0x5a3f1c20, 0x7b4e, 0x4c1d, {0x9e, 0x2a, 0x6d, 0x8b, 0x0f, 0x13, 0xc7, 0xa5}}, nullptr,
                               CLSCTX_INPROC_SERVER, IID_IBaseFilter, f.PutVoid()),
              S_OK);
    EXPECT_GT(CapabilityCount(f.Get()), 0);  // some configured instance, never an empty camera
}

TEST(VcamStreamConfig, CapabilitiesDescribeEveryConfiguredFormat) {
    ScopedCamera cam(L"Vcam Caps", L"--formats \"MJPG 1280x720,MJPG 1920x1080,YUY2 640x480\" --fps 25");
    ASSERT_TRUE(cam.ok());
    ComPtr<IBaseFilter> f;
    *f.Put() = BindCamera(cam.name());
    ASSERT_TRUE(f);
    ComPtr<IPin> pin;
    *pin.Put() = OutputPin(f.Get(), 0);
    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(pin->QueryInterface(IID_IAMStreamConfig, config.PutVoid()), S_OK);
    int count = 0, size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    ASSERT_EQ(count, 3);
    ASSERT_EQ(size, 128);
    const struct {
        GUID subtype;
        int w, h;
        DWORD sizeImage;
    } want[3] = {{MEDIASUBTYPE_MJPG, 1280, 720, 1280 * 720 * 3},
                 {MEDIASUBTYPE_MJPG, 1920, 1080, 1920 * 1080 * 3},
                 {MEDIASUBTYPE_YUY2, 640, 480, 640 * 480 * 2}};
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        ASSERT_EQ(config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
        EXPECT_TRUE(IsEqualGUID(mt->majortype, MEDIATYPE_Video));
        EXPECT_TRUE(IsEqualGUID(mt->formattype, FORMAT_VideoInfo));
        EXPECT_TRUE(IsEqualGUID(mt->subtype, want[i].subtype));
        ASSERT_GE(mt->cbFormat, sizeof(VIDEOINFOHEADER));
        auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
        EXPECT_EQ(vih->bmiHeader.biWidth, want[i].w);
        EXPECT_EQ(vih->bmiHeader.biHeight, want[i].h);
        EXPECT_EQ(vih->bmiHeader.biSizeImage, want[i].sizeImage);
        EXPECT_EQ(vih->AvgTimePerFrame, 400000);
        EXPECT_EQ(caps.MaxOutputSize.cx, want[i].w);
        EXPECT_TRUE(IsEqualGUID(caps.guid, FORMAT_VideoInfo));
        CoTaskMemFree(mt->pbFormat);
        CoTaskMemFree(mt);
    }
    AM_MEDIA_TYPE* dummy = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps;
    EXPECT_EQ(config->GetStreamCaps(3, &dummy, reinterpret_cast<BYTE*>(&caps)), S_FALSE);

    // SetFormat accepts only what the camera offers and GetFormat reports it.
    EXPECT_TRUE(FAILED(SetCameraFormat(f.Get(), {true, 800, 600})));
    ASSERT_EQ(SetCameraFormat(f.Get(), {false, 640, 480}), S_OK);
    AM_MEDIA_TYPE* cur = nullptr;
    ASSERT_EQ(config->GetFormat(&cur), S_OK);
    EXPECT_TRUE(IsEqualGUID(cur->subtype, MEDIASUBTYPE_YUY2));
    EXPECT_EQ(reinterpret_cast<VIDEOINFOHEADER*>(cur->pbFormat)->bmiHeader.biWidth, 640);
    CoTaskMemFree(cur->pbFormat);
    CoTaskMemFree(cur);
}

TEST(VcamControls, RangesDefaultsAndRememberedValues) {
    ScopedCamera cam(L"Vcam Controls");
    ASSERT_TRUE(cam.ok());
    ComPtr<IBaseFilter> f;
    *f.Put() = BindCamera(cam.name());
    ASSERT_TRUE(f);
    ComPtr<IAMVideoProcAmp> amp;
    ComPtr<IAMCameraControl> cc;
    ASSERT_EQ(f->QueryInterface(IID_IAMVideoProcAmp, amp.PutVoid()), S_OK);
    ASSERT_EQ(f->QueryInterface(IID_IAMCameraControl, cc.PutVoid()), S_OK);
    // Both objects lead back to the same filter.
    ComPtr<IBaseFilter> back;
    ASSERT_EQ(amp->QueryInterface(IID_IBaseFilter, back.PutVoid()), S_OK);
    EXPECT_EQ(back.Get(), f.Get());

    long mn, mx, step, def, caps, value, flags;
    ASSERT_EQ(amp->GetRange(VideoProcAmp_Brightness, &mn, &mx, &step, &def, &caps), S_OK);
    EXPECT_LT(mn, def);
    EXPECT_LT(def, mx);
    EXPECT_GT(step, 0);
    ASSERT_EQ(amp->Get(VideoProcAmp_Brightness, &value, &flags), S_OK);
    EXPECT_EQ(value, def);
    EXPECT_EQ(amp->Set(VideoProcAmp_Brightness, mx, VideoProcAmp_Flags_Manual), S_OK);
    EXPECT_EQ(amp->Set(VideoProcAmp_Brightness, mx + 1, VideoProcAmp_Flags_Manual), E_INVALIDARG);
    EXPECT_EQ(amp->Set(VideoProcAmp_Brightness, 0, VideoProcAmp_Flags_Auto), E_INVALIDARG) << "no auto brightness";
    ASSERT_EQ(amp->Get(VideoProcAmp_Brightness, &value, &flags), S_OK);
    EXPECT_EQ(value, mx);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Manual);
    EXPECT_EQ(amp->GetRange(VideoProcAmp_ColorEnable, &mn, &mx, &step, &def, &caps), E_PROP_ID_UNSUPPORTED);

    ASSERT_EQ(amp->GetRange(VideoProcAmp_WhiteBalance, &mn, &mx, &step, &def, &caps), S_OK);
    EXPECT_EQ(caps, VideoProcAmp_Flags_Auto | VideoProcAmp_Flags_Manual);
    ASSERT_EQ(amp->Get(VideoProcAmp_WhiteBalance, &value, &flags), S_OK);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Auto);
    EXPECT_EQ(amp->Set(VideoProcAmp_WhiteBalance, mn + step, VideoProcAmp_Flags_Manual), S_OK);
    ASSERT_EQ(amp->Get(VideoProcAmp_WhiteBalance, &value, &flags), S_OK);
    EXPECT_EQ(value, mn + step);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Manual);

    ASSERT_EQ(cc->GetRange(CameraControl_Exposure, &mn, &mx, &step, &def, &caps), S_OK);
    EXPECT_EQ(caps, CameraControl_Flags_Auto | CameraControl_Flags_Manual);
    EXPECT_EQ(cc->Set(CameraControl_Exposure, mx, CameraControl_Flags_Manual), S_OK);
    ASSERT_EQ(cc->Get(CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(value, mx);
    EXPECT_EQ(cc->GetRange(CameraControl_Pan, &mn, &mx, &step, &def, &caps), E_PROP_ID_UNSUPPORTED);
    // The two interfaces keep separate values for the same property number.
    ASSERT_EQ(amp->Get(CameraControl_Exposure, &value, &flags), S_OK);  // 4 is Sharpness there
    EXPECT_NE(value, mx);

    // Every Set above is in the write log, in order, refused ones with their result.
    std::vector<VcamWrite> writes = CameraWrites(f.Get());
    ASSERT_EQ(writes.size(), 5u);
    EXPECT_EQ(writes[1].procAmp, 1);
    EXPECT_EQ(writes[1].property, VideoProcAmp_Brightness);
    EXPECT_EQ(writes[1].result, E_INVALIDARG);
    EXPECT_EQ(writes[2].flags, VideoProcAmp_Flags_Auto);
    EXPECT_EQ(writes[4].procAmp, 0);
    EXPECT_EQ(writes[4].property, CameraControl_Exposure);
    EXPECT_EQ(writes[4].value, mx);
    EXPECT_EQ(writes[4].result, S_OK);
}

TEST(VcamRegistration, ServerCanUnloadOnceEveryObjectIsReleased) {
    ScopedCamera cam(L"Vcam Unload");
    ASSERT_TRUE(cam.ok());
    HMODULE dll = GetModuleHandleW(L"vcam.dll");
    ASSERT_TRUE(dll);
    auto canUnload = reinterpret_cast<HRESULT(__stdcall*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    ASSERT_TRUE(canUnload);
    {
        FrameCollector preview, still;
        TestGraph graph;
        ASSERT_TRUE(graph.Build(cam.name(), nullptr, &preview, &still));
        ComPtr<IEnumPins> pins;
        ASSERT_EQ(graph.Camera()->EnumPins(pins.Put()), S_OK);
        ComPtr<IPin> pin;
        *pin.Put() = OutputPin(graph.Camera(), 0);
        ComPtr<IEnumMediaTypes> types;
        ASSERT_EQ(pin->EnumMediaTypes(types.Put()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
    }
    EXPECT_EQ(canUnload(), S_OK) << "a reference was leaked";
}
