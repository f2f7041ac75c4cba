// The name under which a camera's own settings are kept: the same camera plugged into the same
// port gets the same name again, and a camera whose device path carries its serial number gets
// it in any port; two cameras of one model without serial numbers in two ports get two names.
// Portable.
#pragma once
#include <string>

// A plug-and-play camera's device interface path names its bus, its model and its device
// instance ("\\?\usb#vid_046d&pid_0825&mi_00#6&2d6b4b8e&0&0000#{65e8773d-...}\global"). The
// instance is the serial number for a device that has one (no "&" in it), otherwise an id the
// system derives from the port (and, for one function of a composite device, from its parent's
// instance, which again is the serial number or the port). Bus, model and instance, lowercased,
// make the key. interfacePath is the "DevicePath" of the device's property bag; without one the
// moniker's display name serves ("@device:pnp:\\?\usb#..."; a software camera's
// "@device:sw:{category}\<instance>" gives "sw#<instance>"). The key is a valid registry key
// name (no backslash, at most 200 characters: a longer one is cut and ends in a hash of the
// whole). Empty when there is nothing to go by.
std::wstring CameraKeyOf(const std::wstring& displayName, const std::wstring& interfacePath);
