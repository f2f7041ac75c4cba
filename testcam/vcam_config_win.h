// Configuration of the virtual microscope's instances: one registry key per instance under
// HKCU\Software\VardeloTestCam\<name>, shared by the filter DLL and vcamctl.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "measure_options_win.h"
#include "vcam_light_win.h"

// The filter's class id; every instance is the same class, told apart by its instance name.
// {5A3F1C20-7B4E-4C1D-9E2A-6D8B0F13C7A5}
extern const CLSID CLSID_VardeloTestCam;
extern const GUID kCategoryCaptureInterface;  // KSCATEGORY_CAPTURE

constexpr wchar_t kVcamRootKey[] = L"Software\\VardeloTestCam";

struct VcamFormat {
    bool mjpg = true;
    int width = 0;
    int height = 0;
    bool vi2 = false;  // a media type with a VideoInfo2 block (set or connected that way)
};

enum class GarbageMode { Off, RandomBytes, TruncatedJpeg, WrongSizeJpeg, Mixed };

struct VcamConfig {
    std::wstring name;  // instance name = the friendly name the device list shows
    std::vector<VcamFormat> formats;
    bool stillPin = true;
    bool videoProcAmp = true;
    bool cameraControl = true;
    double pixelsPerMm = 500.0;
    int frameRate = 30;
    bool neverDelivers = false;
    GarbageMode garbage = GarbageMode::Off;
    // Size of the still pin's pictures, in the preview's subtype; 0 x 0: the preview's size.
    int stillWidth = 0;
    int stillHeight = 0;
    // Habits of real hardware.
    bool videoInfo2First = false;  // each capability listed as VideoInfo2, then its VideoInfo twin
    int busy = 0;                  // Run fails: 1 in use (0x800705AA), 2 access denied (read at every start)
    bool refuse = false;           // SetFormat refuses refusedFormat although it is listed
    VcamFormat refusedFormat;
    int loseAfter = 0;             // after this many frames: a device-lost event (once; 0 = never)
    bool hardware = false;         // the device's property bag names a plug-and-play device path
    VcamMeasureOptions measure;    // prepared frames, frames dropped on purpose, hand-over trace
    VcamLight light;               // colour cast of the light, serial number in the device path
    // The specimen with relief instead of the micrometer: focused by vcamctl focus (see
    // depth_control_win.h), no drift, no frame counter.
    bool depth = false;
};

// The configuration a new instance gets when no option says otherwise.
VcamConfig DefaultVcamConfig(const std::wstring& name);

// "MJPG 1280x720,YUY2 640x480" <-> formats. Parsing fails on any malformed entry.
bool ParseFormatList(const std::wstring& text, std::vector<VcamFormat>* out);
std::wstring FormatListText(const std::vector<VcamFormat>& formats);
// "2592x1944" <-> a still size (even, 16..4096 a side, as formats are).
bool ParseStillSize(const std::wstring& text, int* width, int* height);
bool ParseGarbageMode(const std::wstring& text, GarbageMode* out);
const wchar_t* GarbageModeText(GarbageMode mode);

// A valid instance name: 1..100 characters, no backslash (it names a registry key and events).
bool IsValidInstanceName(const std::wstring& name);

bool ReadVcamConfig(const std::wstring& name, VcamConfig* out);
// The instance's busy switch and its device-lost countdown as they are now in the registry
// (another program may change them while the camera is bound).
// 0 free, 1 in use by another program, 2 kept away by the privacy settings.
int VcamBusyNow(const std::wstring& name);
bool SetVcamBusy(const std::wstring& name, int busy);
// The instance's bind switch (value FailsAtBind), read at every bind: the device fails while it
// is bound, as a driver that opens the hardware there does. 0 binds, 1 in use by another program
// (0x800705AA), 2 kept away by the privacy settings (E_ACCESSDENIED).
int VcamBindFailureNow(const std::wstring& name);
bool SetVcamBindFailure(const std::wstring& name, int failure);
// Clears LoseAfter: the device-lost event comes once per configuration.
void ConsumeVcamLoss(const std::wstring& name);
// The plug-and-play device path a hardware-like instance shows in its property bag.
std::wstring HardwareDevicePath(const std::wstring& name);
bool WriteVcamConfig(const VcamConfig& config);
bool DeleteVcamConfig(const std::wstring& name);
std::vector<std::wstring> ListVcamInstances();  // configured names in registry order

// Named auto-reset events that press the camera's buttons from another process.
std::wstring StillEventName(const std::wstring& name);
std::wstring ZoomEventName(const std::wstring& name);

// Device-category entry of one instance (IFilterMapper2, video input device category).
HRESULT RegisterVcamInstance(const std::wstring& name);
HRESULT UnregisterVcamInstance(const std::wstring& name);

// The COM server entry (HKCR\CLSID\{...}\InprocServer32) for the DLL at dllPath.
HRESULT RegisterVcamServer(const std::wstring& dllPath);
HRESULT UnregisterVcamServer();
// Path the server entry points at, empty when it is not registered.
std::wstring RegisteredVcamServerPath();
