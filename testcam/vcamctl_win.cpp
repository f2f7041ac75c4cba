// vcamctl: adds, removes and lists the virtual microscope's instances, presses its still and
// zoom buttons, and tells a running Vardelo that a camera came or went.
#include <windows.h>
#include <dbt.h>
#include <dshow.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pre_encoded.h"
#include "vcam_slide_win.h"
#include "depth_control_win.h"
#include "depth_specimen.h"
#include "vcam_config_win.h"

namespace {

void Print(const std::wstring& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode, written;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], n, nullptr, nullptr);
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void PrintError(const std::wstring& text) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    std::string utf8;
    for (wchar_t c : text) utf8 += c < 128 ? static_cast<char>(c) : '?';
    DWORD written;
    WriteFile(err, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

int Usage() {
    PrintError(
        L"usage: vcamctl add NAME [--formats \"MJPG 1280x720,YUY2 640x480\"] [--no-still]\n"
        L"                       [--no-procamp] [--no-camctl] [--ppmm N] [--fps N]\n"
        L"                       [--never-delivers] [--garbage random|truncated|wrongsize|mixed]\n"
        L"                       [--still-size WxH]\n"
        L"                       [--vi2-first] [--busy] [--refuse \"MJPG 1920x1080\"] [--lose-after N]\n"
        L"                       [--hardware] [--cast R,G,B] [--serial S] [--depth] [--slide WxH[@seed]]\n");
    PrintError(kMeasureOptionsUsage);
    PrintError(
        L"       vcamctl busy NAME on|off|denied\n"
        L"       vcamctl bindfail NAME on|off|denied\n"
        L"       vcamctl remove NAME\n"
        L"       vcamctl list\n"
        L"       vcamctl still NAME\n"
        L"       vcamctl zoom NAME\n"
        L"       vcamctl frames NAME FILE\n"
        L"       vcamctl focus NAME [Z | sweep SECONDS]\n"
        L"       vcamctl truth NAME FILE.bmp [--size WxH] [--at Z]\n"
        L"       vcamctl move NAME X Y [--speed S]\n"
        L"       vcamctl path NAME --speed S X,Y [X,Y ...]\n"
        L"       vcamctl places NAME FILE|off\n");
    return 2;
}

std::wstring BesideExe(const wchar_t* file) {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring path(buf, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + file;
}

// Registers the COM server from the vcam.dll beside this tool unless a working one is registered.
bool EnsureServerRegistered() {
    std::wstring path = RegisteredVcamServerPath();
    if (!path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    HMODULE dll = LoadLibraryW(BesideExe(L"vcam.dll").c_str());
    if (!dll) return false;
    auto reg = reinterpret_cast<HRESULT(__stdcall*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    HRESULT hr = reg ? reg() : E_FAIL;
    FreeLibrary(dll);
    return SUCCEEDED(hr);
}

struct AnnounceTarget {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectCameraViews(HWND hwnd, LPARAM lp) {
    wchar_t cls[64];
    if (GetClassNameW(hwnd, cls, 64) && wcscmp(cls, L"CameraWndClass") == 0)
        reinterpret_cast<AnnounceTarget*>(lp)->windows.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectMainWindows(HWND hwnd, LPARAM lp) {
    wchar_t cls[64];
    if (GetClassNameW(hwnd, cls, 64) && wcscmp(cls, L"VardeloWndClass") == 0) {
        reinterpret_cast<AnnounceTarget*>(lp)->windows.push_back(hwnd);
        EnumChildWindows(hwnd, CollectCameraViews, lp);
    }
    return TRUE;
}

// Sends the plug event a capture device's arrival or removal produces to Vardelo's main window
// and its camera views; returns how many windows got it.
int Announce(const std::wstring& name, bool arrival) {
    std::wstring link = L"\\\\?\\ROOT#VardeloTestCam#" + name + L"#{65e8773d-8f56-11d0-a3b9-00a0c9223196}";
    std::vector<BYTE> buf(FIELD_OFFSET(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (link.size() + 1) * sizeof(wchar_t));
    auto* dev = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(buf.data());
    dev->dbcc_size = static_cast<DWORD>(buf.size());
    dev->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    dev->dbcc_reserved = 0;
    dev->dbcc_classguid = kCategoryCaptureInterface;
    memcpy(dev->dbcc_name, link.c_str(), (link.size() + 1) * sizeof(wchar_t));
    AnnounceTarget target;
    EnumWindows(CollectMainWindows, reinterpret_cast<LPARAM>(&target));
    for (HWND hwnd : target.windows) {
        DWORD_PTR result;
        SendMessageTimeoutW(hwnd, WM_DEVICECHANGE, arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                            reinterpret_cast<LPARAM>(dev), SMTO_ABORTIFHUNG, 10000, &result);
    }
    return static_cast<int>(target.windows.size());
}

int Add(int argc, wchar_t** argv) {
    if (argc < 3 || !IsValidInstanceName(argv[2])) return Usage();
    VcamConfig c = DefaultVcamConfig(argv[2]);
    SlideConfig slide;
    bool slideShown = false;
    for (int i = 3; i < argc; ++i) {
        std::wstring opt = argv[i];
        bool hasValue = i + 1 < argc;
        if (opt == L"--formats" && hasValue) {
            if (!ParseFormatList(argv[++i], &c.formats)) {
                PrintError(L"vcamctl: bad format list\n");
                return 2;
            }
        } else if (opt == L"--no-still") {
            c.stillPin = false;
        } else if (opt == L"--no-procamp") {
            c.videoProcAmp = false;
        } else if (opt == L"--no-camctl") {
            c.cameraControl = false;
        } else if (opt == L"--never-delivers") {
            c.neverDelivers = true;
        } else if (opt == L"--ppmm" && hasValue) {
            c.pixelsPerMm = _wtof(argv[++i]);
            if (c.pixelsPerMm < 10 || c.pixelsPerMm > 100000) return Usage();
        } else if (opt == L"--fps" && hasValue) {
            c.frameRate = _wtoi(argv[++i]);
            if (c.frameRate < 1 || c.frameRate > 120) return Usage();
        } else if (opt == L"--garbage" && hasValue) {
            if (!ParseGarbageMode(argv[++i], &c.garbage)) return Usage();
        } else if (opt == L"--still-size" && hasValue) {
            if (!ParseStillSize(argv[++i], &c.stillWidth, &c.stillHeight)) return Usage();
        } else if (opt == L"--vi2-first") {
            c.videoInfo2First = true;
        } else if (opt == L"--busy") {
            c.busy = 1;
        } else if (opt == L"--refuse" && hasValue) {
            std::vector<VcamFormat> refused;
            if (!ParseFormatList(argv[++i], &refused) || refused.size() != 1) return Usage();
            c.refuse = true;
            c.refusedFormat = refused[0];
        } else if (opt == L"--lose-after" && hasValue) {
            c.loseAfter = _wtoi(argv[++i]);
            if (c.loseAfter < 1 || c.loseAfter > 100000) return Usage();
        } else if (opt == L"--hardware") {
            c.hardware = true;
        } else if (opt == L"--slide" && hasValue) {
            if (!ParseSlideConfig(argv[++i], &slide)) return Usage();
            slideShown = true;
        } else if (opt == L"--depth") {
            c.depth = true;
        } else if (int light = ParseVcamLightOption(argc, argv, i, &c.light)) {
            if (light < 0) return Usage();
        } else if (TakeMeasureOption(argc, argv, &i, &c.measure) != 1) {
            return Usage();
        }
    }
    if (!WriteVcamConfig(c) || !WriteSlideConfig(c.name, slideShown ? &slide : nullptr)) {
        PrintError(L"vcamctl: cannot write the configuration\n");
        return 1;
    }
    if (!EnsureServerRegistered()) {
        PrintError(L"vcamctl: vcam.dll is not registered and cannot be registered\n");
        return 1;
    }
    HRESULT hr = RegisterVcamInstance(c.name);
    if (FAILED(hr)) {
        wchar_t msg[96];
        swprintf(msg, 96, L"vcamctl: registering the device failed (0x%08lx)\n", static_cast<unsigned long>(hr));
        PrintError(msg);
        return 1;
    }
    Announce(c.name, true);
    return 0;
}

int Remove(const std::wstring& name) {
    if (!IsValidInstanceName(name)) return Usage();
    VcamConfig c;
    bool configured = ReadVcamConfig(name, &c);
    HRESULT hr = UnregisterVcamInstance(name);
    DeleteVcamConfig(name);
    if (!configured && FAILED(hr)) {
        PrintError(L"vcamctl: no such virtual microscope\n");
        return 1;
    }
    Announce(name, false);
    return 0;
}

// Every video input device, one per line; ours carry their configuration after a tab.
int List() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ICreateDevEnum* devEnum = nullptr;
    IEnumMoniker* monikers = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                   reinterpret_cast<void**>(&devEnum))) &&
        devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) == S_OK && monikers) {
        IMoniker* m = nullptr;
        while (monikers->Next(1, &m, nullptr) == S_OK) {
            IPropertyBag* bag = nullptr;
            if (SUCCEEDED(m->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)))) {
                VARIANT v;
                VariantInit(&v);
                std::wstring line;
                if (SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR) line = v.bstrVal;
                VariantClear(&v);
                VcamConfig c;
                if (SUCCEEDED(bag->Read(L"CLSID", &v, nullptr)) && v.vt == VT_BSTR) {
                    CLSID id;
                    if (SUCCEEDED(CLSIDFromString(v.bstrVal, &id)) && id == CLSID_VardeloTestCam &&
                        ReadVcamConfig(line, &c)) {
                        wchar_t extra[256];
                        swprintf(extra, 256,
                                 L" still=%d procamp=%d camctl=%d ppmm=%g fps=%d never=%d garbage=%ls vi2first=%d"
                                 L" busy=%d refuse=%ls lose=%d hardware=%d",
                                 c.stillPin, c.videoProcAmp, c.cameraControl, c.pixelsPerMm, c.frameRate,
                                 c.neverDelivers, GarbageModeText(c.garbage), c.videoInfo2First, c.busy,
                                 c.refuse ? FormatListText({c.refusedFormat}).c_str() : L"-", c.loseAfter,
                                 c.hardware);
                        line += L"\tvirtual: " + FormatListText(c.formats) + extra + MeasureOptionsText(c.measure);
                        if (c.light.Tinted()) line += L" cast=" + CastText(c.light.cast);
                        if (!c.light.serial.empty()) line += L" serial=" + c.light.serial;
                        if (c.depth) line += L" depth=1";
                        SlideConfig slide;
                        if (ReadSlideConfig(line.substr(0, line.find(L'\t')), &slide))
                            line += L" slide=" + std::to_wstring(slide.width) + L"x" + std::to_wstring(slide.height) +
                                    L"@" + std::to_wstring(slide.seed);
                    }
                }
                VariantClear(&v);
                Print(line + L"\n");
                bag->Release();
            }
            m->Release();
        }
    }
    if (monikers) monikers->Release();
    if (devEnum) devEnum->Release();
    CoUninitialize();
    return 0;
}

// The other program lets go of the camera (off) or takes it (on), or the privacy settings keep
// programs away from it (denied); the next start sees it.
int Busy(const std::wstring& name, const std::wstring& state) {
    int busy = state == L"off" ? 0 : state == L"on" ? 1 : state == L"denied" ? 2 : -1;
    if (busy < 0) return Usage();
    if (!SetVcamBusy(name, busy)) {
        PrintError(L"vcamctl: no such virtual microscope\n");
        return 1;
    }
    return 0;
}

// The same switches, for a camera whose driver fails while it is bound rather than at the start.
int BindFail(const std::wstring& name, const std::wstring& state) {
    int failure = state == L"off" ? 0 : state == L"on" ? 1 : state == L"denied" ? 2 : -1;
    if (failure < 0) return Usage();
    if (!SetVcamBindFailure(name, failure)) {
        PrintError(L"vcamctl: no such virtual microscope\n");
        return 1;
    }
    return 0;
}

int Press(const std::wstring& name, bool still) {
    if (!IsValidInstanceName(name)) return Usage();
    HANDLE e = OpenEventW(EVENT_MODIFY_STATE, FALSE, (still ? StillEventName(name) : ZoomEventName(name)).c_str());
    if (!e) {
        PrintError(L"vcamctl: that camera is not in use by any program\n");
        return 1;
    }
    SetEvent(e);
    CloseHandle(e);
    return 0;
}

// Writes the frames an instance serves prepared (its first MJPG format, as many as it prepares)
// one after the other into FILE: a Motion-JPEG stream a player can show at the camera's rate.
int WriteFrames(const std::wstring& name, const std::wstring& file) {
    VcamConfig c;
    if (!ReadVcamConfig(name, &c)) {
        PrintError(L"vcamctl: no such virtual microscope\n");
        return 1;
    }
    const VcamFormat* mjpg = nullptr;
    for (const VcamFormat& f : c.formats)
        if (f.mjpg && !mjpg) mjpg = &f;
    if (!mjpg) {
        PrintError(L"vcamctl: that camera has no MJPG format\n");
        return 1;
    }
    MicrometerScene scene(mjpg->width, mjpg->height, c.pixelsPerMm);
    PreEncodedFrames frames(scene, true, c.measure.preEncoded > 0 ? c.measure.preEncoded : 1);
    FILE* out = _wfopen(file.c_str(), L"wb");
    if (!out) {
        PrintError(L"vcamctl: cannot write the file\n");
        return 1;
    }
    bool ok = true;
    for (int i = 0; i < frames.Count() && ok; ++i) {
        const std::vector<uint8_t>& jpeg = frames.Stored(i);
        ok = !jpeg.empty() && fwrite(jpeg.data(), 1, jpeg.size(), out) == jpeg.size();
    }
    ok = fclose(out) == 0 && ok;
    if (!ok) PrintError(L"vcamctl: the frames could not be written\n");
    return ok ? 0 : 1;
}

// The depth specimen's focus: held at Z (0 the lowest point, 1 the highest), swept from where it
// is (a pass from 0 to 1 in SECONDS), or, without either, printed as the camera last had it.
int Focus(int argc, wchar_t** argv) {
    const std::wstring name = argv[2];
    VcamConfig c;
    if (!IsValidInstanceName(name) || !ReadVcamConfig(name, &c)) {
        PrintError(L"vcamctl: no such virtual microscope\n");
        return 1;
    }
    if (argc == 3) {
        double z = 0;
        if (!ReadFocusNow(name, &z)) {
            PrintError(L"vcamctl: that camera has not shown its depth specimen yet\n");
            return 1;
        }
        wchar_t text[32];
        swprintf(text, 32, L"%.4f\n", z);
        Print(text);
        return 0;
    }
    const std::wstring first = argv[3];
    double position = 0, seconds = 0;
    if (first == L"sweep" && argc == 5) {
        seconds = _wtof(argv[4]);
        if (!(seconds > 0 && seconds <= 3600)) return Usage();
    } else if (argc == 4) {
        wchar_t* end = nullptr;
        position = wcstod(argv[3], &end);
        if (!end || *end || !(position >= 0 && position <= 1)) return Usage();
    } else {
        return Usage();
    }
    if (!SendFocusCommand(name, position, seconds)) {
        PrintError(L"vcamctl: the focus could not be set\n");
        return 1;
    }
    return 0;
}

// The depth specimen all in focus, as the truth a focus stack is measured against: at the size
// of the instance's first format unless told, in the field of focus 0 unless told (the field
// moves slightly with the focus).
int Truth(int argc, wchar_t** argv) {
    const std::wstring name = argv[2], path = argv[3];
    VcamConfig c;
    if (!IsValidInstanceName(name) || !ReadVcamConfig(name, &c)) {
        PrintError(L"vcamctl: no such virtual microscope\n");
        return 1;
    }
    int width = c.formats.empty() ? 640 : c.formats[0].width, height = c.formats.empty() ? 480 : c.formats[0].height;
    double at = 0;
    for (int i = 4; i < argc; ++i) {
        const std::wstring opt = argv[i];
        if (opt == L"--size" && i + 1 < argc) {
            if (!ParseStillSize(argv[++i], &width, &height)) return Usage();
        } else if (opt == L"--at" && i + 1 < argc) {
            at = _wtof(argv[++i]);
            if (!(at >= 0 && at <= 1)) return Usage();
        } else {
            return Usage();
        }
    }
    const DepthSpecimen specimen(width, height);
    std::vector<uint8_t> bgr(size_t(width) * height * 3);
    specimen.RenderTruth(at, bgr.data());
    if (!WriteBmp(path, bgr.data(), width, height)) {
        PrintError(L"vcamctl: the picture could not be written\n");
        return 1;
    }
    return 0;
}

// The field of a slide camera moved: at once, or along points at a speed (pixels per frame).
int Move(int argc, wchar_t** argv, bool path) {
    const std::wstring name = argv[2];
    double speed = 0;
    std::vector<SlidePoint> points;
    for (int i = 3; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--speed" && i + 1 < argc) {
            speed = _wtof(argv[++i]);
            if (!(speed > 0)) return Usage();
        } else if (path) {
            double x, y;
            wchar_t comma;
            if (swscanf(arg.c_str(), L"%lf%lc%lf", &x, &comma, &y) != 3 || comma != L',') return Usage();
            points.push_back({x, y});
        } else if (i + 1 < argc) {
            points.push_back({_wtof(argv[i]), _wtof(argv[i + 1])});
            ++i;
        } else {
            return Usage();
        }
    }
    if (points.empty() || (path && speed <= 0) || (!path && points.size() != 1)) return Usage();
    SlideConfig slide;
    if (!ReadSlideConfig(name, &slide) || !SetSlideMove(name, speed, points)) {
        PrintError(L"vcamctl: no such virtual microscope with a slide\n");
        return 1;
    }
    return 0;
}

// Every frame's true place on the slide appended to a file, or no more (off).
int Places(const std::wstring& name, const std::wstring& file) {
    SlideConfig slide;
    if (!ReadSlideConfig(name, &slide) || !SetSlideTruth(name, file == L"off" ? std::wstring() : file)) {
        PrintError(L"vcamctl: no such virtual microscope with a slide\n");
        return 1;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    std::wstring cmd = argv[1];
    if (cmd == L"add") return Add(argc, argv);
    if (cmd == L"remove" && argc == 3) return Remove(argv[2]);
    if (cmd == L"list" && argc == 2) return List();
    if (cmd == L"busy" && argc == 4) return Busy(argv[2], argv[3]);
    if (cmd == L"bindfail" && argc == 4) return BindFail(argv[2], argv[3]);
    if (cmd == L"still" && argc == 3) return Press(argv[2], true);
    if (cmd == L"zoom" && argc == 3) return Press(argv[2], false);
    if (cmd == L"frames" && argc == 4) return WriteFrames(argv[2], argv[3]);
    if (cmd == L"focus" && argc >= 3 && argc <= 5) return Focus(argc, argv);
    if (cmd == L"truth" && argc >= 4) return Truth(argc, argv);
    if (cmd == L"move" && argc >= 5) return Move(argc, argv, false);
    if (cmd == L"path" && argc >= 6) return Move(argc, argv, true);
    if (cmd == L"places" && argc == 4) return Places(argv[2], argv[3]);
    return Usage();
}
