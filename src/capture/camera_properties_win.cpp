// Camera property records over IAMCameraControl and IAMVideoProcAmp.
#include "capture/camera_properties_win.h"

#include <windows.h>
#define NO_DSHOW_STRSAFE  // it would hide swprintf, which the debugger lines use
#include <dshow.h>

#include <cstdio>

#include "capture/com_ptr_win.h"
#include "frame/capture_state_win.h"

namespace {

unsigned propertiesSerial = 0;  // user-interface thread

void Debug(const wchar_t* fmt, const CameraProperty& p, bool withValue) {
    wchar_t line[160];
    if (withValue)
        swprintf(line, 160, fmt, p.minimum, p.maximum, p.step, p.defaultValue, p.flags, p.value);
    else
        swprintf(line, 160, fmt, p.minimum, p.maximum, p.step, p.defaultValue, p.flags);
    OutputDebugStringW(line);
}

template <class Itf>
void QueryOne(Itf* itf, int32_t id, CameraProperty& p) {
    long mn = 0, mx = 0, step = 0, def = 0, flags = 0, value = 0;
    if (SUCCEEDED(itf->GetRange(id, &mn, &mx, &step, &def, &flags))) {
        p.minimum = mn;
        p.maximum = mx;
        p.step = step;
        p.defaultValue = def;
        p.flags = flags;
        p.autoCapable = flags & 1;
    }
    if (SUCCEEDED(itf->Get(id, &value, &flags))) {
        p.value = value;
        p.flags = flags;
        p.autoNow = flags & 1;
    }
}

}  // namespace

void QueryCameraProperties() {
    CaptureStateData& s = CaptureState;
    if (!s.source) return;
    ++propertiesSerial;
    SafeRelease(s.cameraControl);
    SafeRelease(s.procAmp);
    // Every record comes from this camera: what it does not support reads as zeros, never as
    // the range of the camera before it (white balance and backlight outlive a teardown).
    for (CameraProperty& p : s.properties) p = CameraProperty{};
    if (SUCCEEDED(s.source->QueryInterface(IID_IAMCameraControl, reinterpret_cast<void**>(&s.cameraControl)))) {
        CameraProperty& p = s.properties[kPropExposure];
        QueryOne(s.cameraControl, kCameraPropertyInfo[kPropExposure].id, p);
        Debug(L"IID_IAMCameraControl %d %d %d %d %d %d\r\n", p, true);
    } else {
        s.cameraControl = nullptr;
    }
    if (SUCCEEDED(s.source->QueryInterface(IID_IAMVideoProcAmp, reinterpret_cast<void**>(&s.procAmp)))) {
        for (CameraPropertyIndex i : kProcAmpQueryOrder) {
            QueryOne(s.procAmp, kCameraPropertyInfo[i].id, s.properties[i]);
            if (i == kPropWhiteBalance) Debug(L"VideoProcAmp_WhiteBalance %d %d %d %d %d\r\n", s.properties[i], false);
            if (i == kPropContrast) Debug(L"VideoProcAmp_Contrast %d %d %d %d %d %d\r\n", s.properties[i], true);
        }
    } else {
        s.procAmp = nullptr;
    }
}

bool WriteProperty(const PropertyWrite& w) {
    if (w.property < 0 || w.property >= kCameraPropertyCount) return false;
    CaptureStateData& s = CaptureState;
    const CameraPropertyInfo& info = kCameraPropertyInfo[w.property];
    if (info.cameraControl ? !s.cameraControl : !s.procAmp) return false;
    // The automatic flag is 1 and the manual one 2 in both interfaces.
    const long flags = w.autoMode ? CameraControl_Flags_Auto : CameraControl_Flags_Manual;
    HRESULT hr = info.cameraControl ? s.cameraControl->Set(info.id, w.value, flags)
                                    : s.procAmp->Set(info.id, w.value, flags);
    CameraProperty& p = s.properties[w.property];
    long value = 0, now = 0;
    HRESULT read = info.cameraControl ? s.cameraControl->Get(info.id, &value, &now) : s.procAmp->Get(info.id, &value, &now);
    if (SUCCEEDED(read)) {
        p.value = value;
        p.flags = now;
        p.autoNow = now & 1;
    } else if (SUCCEEDED(hr)) {  // a camera that takes values but cannot say them back
        if (!w.autoMode) p.value = w.value;
        p.autoNow = w.autoMode ? 1 : 0;
    }
    if (FAILED(hr)) {
        wchar_t line[96];
        swprintf(line, 96, L"Camera refused property %d = %d (%s): %08x\r\n", int(w.property), int(w.value),
                 w.autoMode ? L"auto" : L"manual", unsigned(hr));
        OutputDebugStringW(line);
    }
    return SUCCEEDED(hr);
}

bool SetManual(CameraPropertyIndex property, int value) {
    return WriteProperty({property, value, false});
}

bool SetAuto(CameraPropertyIndex property, bool on) {
    if (property < 0 || property >= kCameraPropertyCount) return false;
    return WriteProperty({property, CaptureState.properties[property].value, on});
}

void ReleaseCameraProperties() {
    ++propertiesSerial;
    SafeRelease(CaptureState.cameraControl);
    SafeRelease(CaptureState.procAmp);
    ResetCameraProperties(CaptureState.properties);
}

unsigned CameraPropertiesSerial() { return propertiesSerial; }
