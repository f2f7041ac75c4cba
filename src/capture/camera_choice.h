// Which listed camera to open: the one the user last had open (remembered by friendly name and
// display name), else a hardware device before a software one, and among equals the one listed
// last. Also the text form of the remembered camera as the settings keep it. Portable.
#pragma once
#include <string>
#include <vector>

struct CameraIdentity {
    std::wstring friendlyName;
    std::wstring devicePath;  // the moniker's display name
    bool hardware = false;
};

// A device the system lists as plug and play ("@device:pnp:..."), or whose property bag names
// its device interface: a real camera rather than a software one.
bool IsHardwareCamera(const std::wstring& displayName, const std::wstring& devicePathProperty);

// The remembered camera as one text: friendly name, a line feed, display name. Neither name
// holds a line feed; an empty friendly name means nothing is remembered.
std::wstring RememberedCameraText(const CameraIdentity& camera);
CameraIdentity ParseRememberedCamera(const std::wstring& text);

// Index of the remembered camera in list: the same display name, else the last camera of the
// same friendly name (the same model plugged into another port gets another display name);
// -1 when it is not listed or nothing is remembered.
int FindRememberedCamera(const std::vector<CameraIdentity>& list, const CameraIdentity& remembered);

// The camera to open: the remembered one when listed, else the last hardware camera, else the
// last one; -1 for an empty list.
int ChooseCameraToOpen(const std::vector<CameraIdentity>& list, const CameraIdentity& remembered);
