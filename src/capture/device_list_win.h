// The list of connected cameras (video input devices that pass the name filter), binding a
// camera's capture filter, and reading a filter's stream formats. User-interface thread only.
#pragma once
#include <windows.h>
#include <dshow.h>

#include <string>
#include <vector>

#include "capture/format_catalogue.h"

struct CameraDevice {
    IMoniker* moniker = nullptr;    // one reference owned
    IBaseFilter* filter = nullptr;  // bound on first need; one reference owned
    std::wstring devicePath;        // the moniker's display name
    std::wstring interfacePath;     // a plug-and-play camera's "DevicePath" (property bag), else empty
    std::wstring friendlyName;
    bool hardware = false;          // a plug-and-play camera rather than a software one
    FormatCatalogue catalogue;      // filled by the open-microscope dialog
    int stale = 0;                  // used only during a refresh
};

// Records are never reused after removal; indices change only through these two functions.
extern std::vector<CameraDevice> DeviceList;
extern int currentDeviceIndex;          // device of the running session, -1 for none
extern std::wstring currentDeviceName;  // friendly name of the open device

// Keeps known cameras in place and appends new ones; removals shift later records down, so the
// running session's index is looked up again.
void RefreshDeviceList();
void ClearDeviceList();
// Index of the record whose moniker is `moniker`, -1 when none.
int FindDevice(IMoniker* moniker);
// Makes the device's capture filter when it has none. The result says why a camera that fails
// here cannot be opened: a driver that opens the device while binding answers "in use" or
// "access denied" (privacy settings) here rather than at the start.
HRESULT BindFilter(CameraDevice& device);
void EnumerateFormats(IBaseFilter* filter, FormatCatalogue& catalogue);
// Fills the running session's catalogue from its camera when it is empty.
void EnsureFormatCatalogue();
// requestedFormat from the running session's catalogue (see format_catalogue.h).
void ChooseDefaultFormat();
