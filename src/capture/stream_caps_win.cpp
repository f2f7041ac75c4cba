// Pin search and the capability walk shared by format enumeration and format setting.
#include "capture/stream_caps_win.h"

#include <dvdmedia.h>
#include <uuids.h>

#include "capture/camera_format.h"
#include "capture/com_ptr_win.h"

void FreeMediaTypeContents(AM_MEDIA_TYPE& mt) {
    if (mt.cbFormat && mt.pbFormat) CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
    SafeRelease(mt.pUnk);
}

void DeleteMediaType(AM_MEDIA_TYPE* mt) {
    if (!mt) return;
    FreeMediaTypeContents(*mt);
    CoTaskMemFree(mt);
}

namespace {

bool IsUnconnected(IPin* pin) {
    IPin* peer = nullptr;
    HRESULT hr = pin->ConnectedTo(&peer);
    SafeRelease(peer);
    return hr == VFW_E_NOT_CONNECTED;
}

bool PinHasCategory(IPin* pin, const GUID& category) {
    ComPtr<IKsPropertySet> props;
    if (FAILED(pin->QueryInterface(IID_IKsPropertySet, props.PutVoid()))) return false;
    GUID got = GUID_NULL;
    DWORD returned = 0;
    if (FAILED(props->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &got, sizeof(got), &returned)) ||
        returned != sizeof(got))
        return false;
    return IsEqualGUID(got, category);
}

// The first pin of the direction that take() accepts, as an owned reference, or null.
template <class Take>
IPin* FirstPin(IBaseFilter* filter, PIN_DIRECTION dir, Take take) {
    if (!filter) return nullptr;
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Put())) || !pins) return nullptr;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
        PIN_DIRECTION d;
        if (FAILED(pin->QueryDirection(&d)) || d != dir) continue;
        if (take(pin.Get())) return pin.Detach();
    }
    return nullptr;
}

}  // namespace

IPin* FindPin(IBaseFilter* filter, PIN_DIRECTION dir, bool unconnectedOnly, int skip) {
    return FirstPin(filter, dir, [&](IPin* pin) {
        if (skip > 0) { --skip; return false; }
        return !unconnectedOnly || IsUnconnected(pin);
    });
}

IPin* FindCapturePin(IBaseFilter* filter) {
    if (IPin* pin = FirstPin(filter, PINDIR_OUTPUT, [](IPin* p) { return PinHasCategory(p, PIN_CATEGORY_CAPTURE); }))
        return pin;
    return FindPin(filter, PINDIR_OUTPUT, false);
}

IPin* FindUnconnectedPinOfCategory(IBaseFilter* filter, const GUID& category) {
    return FirstPin(filter, PINDIR_OUTPUT, [&](IPin* p) { return PinHasCategory(p, category) && IsUnconnected(p); });
}

void ForEachStreamCap(IBaseFilter* filter, const std::function<bool(IAMStreamConfig*, const StreamCap&)>& visit) {
    ComPtr<IPin> pin;
    *pin.Put() = FindCapturePin(filter);
    if (!pin) return;
    ComPtr<IAMStreamConfig> config;
    if (FAILED(pin->QueryInterface(IID_IAMStreamConfig, config.PutVoid()))) return;
    int count = 0, size = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &size)) || size != 128) return;
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        BYTE caps[128];
        if (FAILED(config->GetStreamCaps(i, &mt, caps)) || !mt) break;
        bool stop = false;
        const BITMAPINFOHEADER* bih = nullptr;
        if (mt->formattype == FORMAT_VideoInfo && mt->cbFormat >= sizeof(VIDEOINFOHEADER) && mt->pbFormat)
            bih = &reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader;
        else if (mt->formattype == FORMAT_VideoInfo2 && mt->cbFormat >= sizeof(VIDEOINFOHEADER2) && mt->pbFormat)
            bih = &reinterpret_cast<VIDEOINFOHEADER2*>(mt->pbFormat)->bmiHeader;
        uint32_t subtype = 0;
        if (mt->subtype == MEDIASUBTYPE_MJPG) subtype = kSubtypeMjpg;
        else if (mt->subtype == MEDIASUBTYPE_YUY2) subtype = kSubtypeYuy2;
        if (mt->majortype == MEDIATYPE_Video && subtype && bih)
            stop = visit(config.Get(), StreamCap{mt, subtype, int32_t(bih->biWidth), int32_t(bih->biHeight), i,
                                                 mt->formattype == FORMAT_VideoInfo2});
        DeleteMediaType(mt);
        if (stop) break;
    }
}
