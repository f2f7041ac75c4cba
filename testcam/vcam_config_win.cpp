// Registry-backed configuration and registration of the virtual microscope's instances.
#include "vcam_config_win.h"

#include <dshow.h>

#include <cstdio>
#include <cwchar>

const CLSID CLSID_VardeloTestCam = {0x5a3f1c20, 0x7b4e, 0x4c1d, {0x9e, 0x2a, 0x6d, 0x8b, 0x0f, 0x13, 0xc7, 0xa5}};
const GUID kCategoryCaptureInterface = {0x65e8773d, 0x8f56, 0x11d0, {0xa3, 0xb9, 0x00, 0xa0, 0xc9, 0x22, 0x31, 0x96}};

namespace {

std::wstring InstanceKey(const std::wstring& name) { return std::wstring(kVcamRootKey) + L"\\" + name; }

std::wstring ClsidText() {
    wchar_t buf[64];
    StringFromGUID2(CLSID_VardeloTestCam, buf, 64);
    return buf;
}

DWORD ReadDword(HKEY key, const wchar_t* value, DWORD fallback) {
    DWORD data = 0, size = sizeof(data), type = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return fallback;
    return data;
}

bool ReadString(HKEY key, const wchar_t* value, std::wstring* out) {
    wchar_t buf[1024];
    DWORD size = sizeof(buf) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    buf[size / sizeof(wchar_t)] = 0;  // registry strings need not be terminated
    *out = buf;
    return true;
}

void WriteDword(HKEY key, const wchar_t* value, DWORD data) {
    RegSetValueExW(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

void WriteString(HKEY key, const wchar_t* value, const std::wstring& data) {
    RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

// COM for the registration helpers: they may be called from regsvr32 or a console tool.
struct ComScope {
    HRESULT hr;
    ComScope() : hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr)) CoUninitialize();
    }
};

}  // namespace

VcamConfig DefaultVcamConfig(const std::wstring& name) {
    VcamConfig c;
    c.name = name;
    c.formats = {{true, 1280, 720}, {true, 1920, 1080}, {false, 640, 480}};
    return c;
}

bool ParseFormatList(const std::wstring& text, std::vector<VcamFormat>* out) {
    std::vector<VcamFormat> formats;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find_first_of(L",;", pos);
        std::wstring item = text.substr(pos, comma == std::wstring::npos ? std::wstring::npos : comma - pos);
        wchar_t kind[8] = {};
        int w = 0, h = 0;
        wchar_t rest = 0;
        if (swscanf(item.c_str(), L" %4ls %dx%d %lc", kind, &w, &h, &rest) != 3) return false;
        VcamFormat f;
        if (_wcsicmp(kind, L"MJPG") == 0)
            f.mjpg = true;
        else if (_wcsicmp(kind, L"YUY2") == 0)
            f.mjpg = false;
        else
            return false;
        // Even sizes only: YUY2 packs pixel pairs and 4:2:2 JPEG halves the chroma width.
        if (w < 16 || h < 16 || w > 4096 || h > 4096 || (w & 1) || (h & 1)) return false;
        f.width = w;
        f.height = h;
        formats.push_back(f);
        if (comma == std::wstring::npos) break;
        pos = comma + 1;
    }
    if (formats.empty() || formats.size() > 32) return false;
    *out = formats;
    return true;
}

bool ParseStillSize(const std::wstring& text, int* width, int* height) {
    int w = 0, h = 0;
    wchar_t rest = 0;
    if (swscanf(text.c_str(), L" %dx%d %lc", &w, &h, &rest) != 2) return false;
    if (w < 16 || h < 16 || w > 4096 || h > 4096 || (w & 1) || (h & 1)) return false;
    *width = w;
    *height = h;
    return true;
}

std::wstring FormatListText(const std::vector<VcamFormat>& formats) {
    std::wstring s;
    for (const VcamFormat& f : formats) {
        wchar_t buf[48];
        swprintf(buf, 48, L"%ls %dx%d", f.mjpg ? L"MJPG" : L"YUY2", f.width, f.height);
        if (!s.empty()) s += L",";
        s += buf;
    }
    return s;
}

static const wchar_t* const kGarbageNames[] = {L"off", L"random", L"truncated", L"wrongsize", L"mixed"};

bool ParseGarbageMode(const std::wstring& text, GarbageMode* out) {
    for (int i = 0; i < 5; ++i) {
        if (_wcsicmp(text.c_str(), kGarbageNames[i]) == 0) {
            *out = static_cast<GarbageMode>(i);
            return true;
        }
    }
    return false;
}

const wchar_t* GarbageModeText(GarbageMode mode) { return kGarbageNames[static_cast<int>(mode)]; }

bool IsValidInstanceName(const std::wstring& name) {
    if (name.empty() || name.size() > 100) return false;
    for (wchar_t c : name)
        if (c == L'\\' || c < 32) return false;
    return true;
}

bool ReadVcamConfig(const std::wstring& name, VcamConfig* out) {
    if (!IsValidInstanceName(name)) return false;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, InstanceKey(name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    VcamConfig c = DefaultVcamConfig(name);
    std::wstring text;
    if (ReadString(key, L"Formats", &text)) {
        std::vector<VcamFormat> formats;
        if (ParseFormatList(text, &formats)) c.formats = formats;
    }
    c.stillPin = ReadDword(key, L"StillPin", 1) != 0;
    c.videoProcAmp = ReadDword(key, L"VideoProcAmp", 1) != 0;
    c.cameraControl = ReadDword(key, L"CameraControl", 1) != 0;
    c.neverDelivers = ReadDword(key, L"NeverDelivers", 0) != 0;
    DWORD rate = ReadDword(key, L"FrameRate", 30);
    c.frameRate = rate >= 1 && rate <= 120 ? static_cast<int>(rate) : 30;
    if (ReadString(key, L"PixelsPerMm", &text)) {
        double v = _wtof(text.c_str());
        if (v >= 10.0 && v <= 100000.0) c.pixelsPerMm = v;
    }
    if (ReadString(key, L"Garbage", &text)) ParseGarbageMode(text, &c.garbage);
    if (ReadString(key, L"StillSize", &text)) ParseStillSize(text, &c.stillWidth, &c.stillHeight);
    c.videoInfo2First = ReadDword(key, L"VideoInfo2First", 0) != 0;
    c.busy = static_cast<int>(ReadDword(key, L"Busy", 0) % 3);
    std::vector<VcamFormat> refused;
    if (ReadString(key, L"RefuseFormat", &text) && ParseFormatList(text, &refused) && refused.size() == 1) {
        c.refuse = true;
        c.refusedFormat = refused[0];
    }
    DWORD lose = ReadDword(key, L"LoseAfter", 0);
    c.loseAfter = lose <= 100000 ? static_cast<int>(lose) : 0;
    c.hardware = ReadDword(key, L"Hardware", 0) != 0;
    ReadMeasureOptions(key, &c.measure);
    ReadVcamLight(key, &c.light);
    c.depth = ReadDword(key, L"Depth", 0) != 0;
    RegCloseKey(key);
    *out = c;
    return true;
}

bool WriteVcamConfig(const VcamConfig& c) {
    if (!IsValidInstanceName(c.name)) return false;
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, InstanceKey(c.name).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    WriteString(key, L"Formats", FormatListText(c.formats));
    WriteDword(key, L"StillPin", c.stillPin);
    WriteDword(key, L"VideoProcAmp", c.videoProcAmp);
    WriteDword(key, L"CameraControl", c.cameraControl);
    WriteDword(key, L"NeverDelivers", c.neverDelivers);
    WriteDword(key, L"FrameRate", c.frameRate);
    wchar_t buf[32];
    swprintf(buf, 32, L"%g", c.pixelsPerMm);
    WriteString(key, L"PixelsPerMm", buf);
    WriteString(key, L"Garbage", GarbageModeText(c.garbage));
    if (c.stillWidth > 0) {
        swprintf(buf, 32, L"%dx%d", c.stillWidth, c.stillHeight);
        WriteString(key, L"StillSize", buf);
    }
    WriteDword(key, L"VideoInfo2First", c.videoInfo2First);
    WriteDword(key, L"Busy", static_cast<DWORD>(c.busy));
    if (c.refuse) WriteString(key, L"RefuseFormat", FormatListText({c.refusedFormat}));
    else RegDeleteValueW(key, L"RefuseFormat");
    WriteDword(key, L"LoseAfter", static_cast<DWORD>(c.loseAfter));
    WriteDword(key, L"Hardware", c.hardware);
    WriteMeasureOptions(key, c.measure);
    WriteVcamLight(key, c.light);
    WriteDword(key, L"Depth", c.depth);
    RegCloseKey(key);
    return true;
}

int VcamBusyNow(const std::wstring& name) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, InstanceKey(name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    int busy = static_cast<int>(ReadDword(key, L"Busy", 0) % 3);
    RegCloseKey(key);
    return busy;
}

bool SetVcamBusy(const std::wstring& name, int busy) {
    HKEY key;
    if (!IsValidInstanceName(name) ||
        RegOpenKeyExW(HKEY_CURRENT_USER, InstanceKey(name).c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    WriteDword(key, L"Busy", static_cast<DWORD>(busy));
    RegCloseKey(key);
    return true;
}

int VcamBindFailureNow(const std::wstring& name) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, InstanceKey(name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    int failure = static_cast<int>(ReadDword(key, L"FailsAtBind", 0) % 3);
    RegCloseKey(key);
    return failure;
}

bool SetVcamBindFailure(const std::wstring& name, int failure) {
    HKEY key;
    if (!IsValidInstanceName(name) ||
        RegOpenKeyExW(HKEY_CURRENT_USER, InstanceKey(name).c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    WriteDword(key, L"FailsAtBind", static_cast<DWORD>(failure));
    RegCloseKey(key);
    return true;
}

void ConsumeVcamLoss(const std::wstring& name) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, InstanceKey(name).c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    WriteDword(key, L"LoseAfter", 0);
    RegCloseKey(key);
}

std::wstring HardwareDevicePath(const std::wstring& name) {
    return L"\\\\?\\usb#vid_1d6b&pid_0102&mi_00#vardelo-testcam-" + name + L"#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
}

bool DeleteVcamConfig(const std::wstring& name) {
    if (!IsValidInstanceName(name)) return false;
    return RegDeleteTreeW(HKEY_CURRENT_USER, InstanceKey(name).c_str()) == ERROR_SUCCESS;
}

std::vector<std::wstring> ListVcamInstances() {
    std::vector<std::wstring> names;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kVcamRootKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t buf[256];
        DWORD len = 256;
        if (RegEnumKeyExW(key, i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(buf, len);
    }
    RegCloseKey(key);
    return names;
}

std::wstring StillEventName(const std::wstring& name) { return L"Local\\VardeloTestCam.Still." + name; }
std::wstring ZoomEventName(const std::wstring& name) { return L"Local\\VardeloTestCam.Zoom." + name; }

HRESULT RegisterVcamInstance(const std::wstring& name) {
    ComScope com;
    IFilterMapper2* mapper = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                  reinterpret_cast<void**>(&mapper));
    if (FAILED(hr)) return hr;
    REGPINTYPES type = {&MEDIATYPE_Video, &MEDIASUBTYPE_NULL};
    REGFILTERPINS pin = {};
    pin.bOutput = TRUE;
    pin.nMediaTypes = 1;
    pin.lpMediaType = &type;
    REGFILTER2 rf2 = {};
    rf2.dwVersion = 1;
    rf2.dwMerit = MERIT_DO_NOT_USE;
    rf2.cPins = 1;
    rf2.rgPins = &pin;
    IMoniker* moniker = nullptr;
    hr = mapper->RegisterFilter(CLSID_VardeloTestCam, name.c_str(), &moniker, &CLSID_VideoInputDeviceCategory,
                                name.c_str(), &rf2);
    mapper->Release();
    // A hardware-like instance carries the device path a plug-and-play camera has in its
    // property bag; one with a serial number has it in that path.
    VcamConfig c;
    if (SUCCEEDED(hr) && moniker && ReadVcamConfig(name, &c) && (c.hardware || !c.light.serial.empty())) {
        IPropertyBag* bag = nullptr;
        if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)))) {
            VARIANT v;
            VariantInit(&v);
            v.vt = VT_BSTR;
            v.bstrVal = SysAllocString(
                (c.light.serial.empty() ? HardwareDevicePath(name) : SerialDevicePath(c.light.serial)).c_str());
            hr = bag->Write(L"DevicePath", &v);
            VariantClear(&v);
            bag->Release();
        }
    }
    if (moniker) moniker->Release();
    return hr;
}

HRESULT UnregisterVcamInstance(const std::wstring& name) {
    ComScope com;
    IFilterMapper2* mapper = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                  reinterpret_cast<void**>(&mapper));
    if (FAILED(hr)) return hr;
    hr = mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, name.c_str(), CLSID_VardeloTestCam);
    mapper->Release();
    return hr;
}

HRESULT RegisterVcamServer(const std::wstring& dllPath) {
    std::wstring base = L"CLSID\\" + ClsidText();
    HKEY key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, base.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    WriteString(key, nullptr, L"Vardelo Virtual Microscope");
    RegCloseKey(key);
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, (base + L"\\InprocServer32").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    WriteString(key, nullptr, dllPath);
    WriteString(key, L"ThreadingModel", L"Both");
    RegCloseKey(key);
    return S_OK;
}

HRESULT UnregisterVcamServer() {
    std::wstring base = L"CLSID\\" + ClsidText();
    LSTATUS st = RegDeleteTreeW(HKEY_CLASSES_ROOT, base.c_str());
    if (st == ERROR_SUCCESS || st == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, base.c_str());
        return S_OK;
    }
    return SELFREG_E_CLASS;
}

std::wstring RegisteredVcamServerPath() {
    HKEY key;
    std::wstring path;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"CLSID\\" + ClsidText() + L"\\InprocServer32").c_str(), 0, KEY_READ,
                      &key) == ERROR_SUCCESS) {
        ReadString(key, nullptr, &path);
        RegCloseKey(key);
    }
    return path;
}
