// The camera list: the system device enumerator's video input devices that pass the name
// filter, in a stable order (known cameras keep their place, new ones are appended), and the
// stream formats a camera's capture filter offers.
#include "capture/device_list_win.h"

#include <dshow.h>
#include <dvdmedia.h>

#include <cstdio>

#include "capture/camera_choice.h"
#include "capture/com_ptr_win.h"
#include "capture/stream_caps_win.h"
#include "frame/capture_state_win.h"

std::vector<CameraDevice> DeviceList;
int currentDeviceIndex = -1;
std::wstring currentDeviceName;

namespace {

void ReleaseDevice(CameraDevice& d) {
    SafeRelease(d.filter);
    SafeRelease(d.moniker);
    d.catalogue.Clear();
}

std::wstring ReadBagText(IPropertyBag* bag, const wchar_t* property) {
    VARIANT var;
    VariantInit(&var);
    std::wstring text;
    if (SUCCEEDED(bag->Read(property, &var, nullptr)) && var.vt == VT_BSTR && var.bstrVal) text = var.bstrVal;
    VariantClear(&var);
    return text;
}

// The friendly name, and the device interface path that plug-and-play cameras carry in their
// property bag ("DevicePath").
std::wstring ReadFriendlyName(IMoniker* moniker, bool* ok, std::wstring* devicePathProperty) {
    *ok = false;
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) return {};
    *ok = true;
    *devicePathProperty = ReadBagText(bag.Get(), L"DevicePath");
    return ReadBagText(bag.Get(), L"FriendlyName");
}

}  // namespace

void ClearDeviceList() {
    for (CameraDevice& d : DeviceList) ReleaseDevice(d);
    DeviceList.clear();
    currentDeviceIndex = -1;
}

void RefreshDeviceList() {
    for (CameraDevice& d : DeviceList) d.stale = 1;

    ComPtr<ICreateDevEnum> devEnum;
    ComPtr<IEnumMoniker> monikers;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                devEnum.PutVoid())) ||
        devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0) != S_OK ||
        !monikers) {
        ClearDeviceList();
        return;
    }

    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.Put(), nullptr) == S_OK) {
        bool bagOk = false;
        std::wstring pnpPath;
        std::wstring name = ReadFriendlyName(moniker.Get(), &bagOk, &pnpPath);
        if (!bagOk) continue;
        OutputDebugStringW(name.c_str());
        OutputDebugStringW(L"----\r\n");
        if (!PassesNameFilter(name)) continue;

        LPOLESTR display = nullptr;
        if (FAILED(moniker->GetDisplayName(nullptr, nullptr, &display)) || !display) continue;
        std::wstring path = display;
        CoTaskMemFree(display);

        bool known = false;
        for (CameraDevice& d : DeviceList) {
            if (d.moniker && d.moniker->IsEqual(moniker.Get()) == S_OK) {
                d.stale = 0;
                known = true;
                break;
            }
        }
        if (known) continue;
        CameraDevice d;
        d.moniker = moniker.Detach();
        d.devicePath = path;
        d.friendlyName = name;
        d.interfacePath = pnpPath;
        d.hardware = IsHardwareCamera(path, pnpPath);
        DeviceList.push_back(std::move(d));
    }

    for (size_t i = DeviceList.size(); i-- > 0;) {
        if (DeviceList[i].stale) {
            ReleaseDevice(DeviceList[i]);
            DeviceList.erase(DeviceList.begin() + i);
        }
    }
    currentDeviceIndex = CaptureState.graph ? FindDevice(CaptureState.moniker) : -1;
}

int FindDevice(IMoniker* moniker) {
    if (!moniker) return -1;
    for (size_t i = 0; i < DeviceList.size(); ++i)
        if (DeviceList[i].moniker && DeviceList[i].moniker->IsEqual(moniker) == S_OK) return int(i);
    return -1;
}

HRESULT BindFilter(CameraDevice& device) {
    if (device.filter) return S_OK;
    if (!device.moniker) return E_POINTER;
    ComPtr<IBindCtx> ctx;
    HRESULT hr = CreateBindCtx(0, ctx.Put());
    if (SUCCEEDED(hr))
        hr = device.moniker->BindToObject(ctx.Get(), nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&device.filter));
    if (SUCCEEDED(hr) && device.filter) {
        OutputDebugStringW(L"moniker->BindToObject -- OK\r\n");
        return S_OK;
    }
    device.filter = nullptr;
    wchar_t line[80];
    swprintf(line, 80, L"moniker->BindToObject FAILED: %08x\r\n", unsigned(hr));
    OutputDebugStringW(line);
    return FAILED(hr) ? hr : E_FAIL;
}

void EnumerateFormats(IBaseFilter* filter, FormatCatalogue& catalogue) {
    ForEachStreamCap(filter, [&](IAMStreamConfig*, const StreamCap& cap) {
        AddCapability(catalogue, cap.subtype, cap.width, cap.height);
        return false;
    });
    AddSyntheticSizes(catalogue);
}

void EnsureFormatCatalogue() {
    if (CaptureState.catalogue.Empty()) EnumerateFormats(CaptureState.source, CaptureState.catalogue);
}

void ChooseDefaultFormat() {
    ChooseDefaultFormat(CaptureState.catalogue, requestedFormat);
}
