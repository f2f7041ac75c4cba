// Choosing the camera to open (see camera_choice.h).
#include "capture/camera_choice.h"

#include <cstddef>
#include <cwctype>

namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i)
        if (i >= text.size() || std::towlower(text[i]) != std::towlower(prefix[i])) return false;
    return true;
}

}  // namespace

bool IsHardwareCamera(const std::wstring& displayName, const std::wstring& devicePathProperty) {
    return StartsWithNoCase(displayName, L"@device:pnp:") || !devicePathProperty.empty();
}

std::wstring RememberedCameraText(const CameraIdentity& camera) {
    if (camera.friendlyName.empty()) return {};
    return camera.friendlyName + L'\n' + camera.devicePath;
}

CameraIdentity ParseRememberedCamera(const std::wstring& text) {
    CameraIdentity c;
    size_t lf = text.find(L'\n');
    c.friendlyName = text.substr(0, lf);
    if (lf != std::wstring::npos) c.devicePath = text.substr(lf + 1);
    return c;
}

int FindRememberedCamera(const std::vector<CameraIdentity>& list, const CameraIdentity& remembered) {
    if (remembered.friendlyName.empty()) return -1;
    int byName = -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!remembered.devicePath.empty() && list[i].devicePath == remembered.devicePath) return int(i);
        if (list[i].friendlyName == remembered.friendlyName) byName = int(i);
    }
    return byName;
}

int ChooseCameraToOpen(const std::vector<CameraIdentity>& list, const CameraIdentity& remembered) {
    int index = FindRememberedCamera(list, remembered);
    if (index >= 0) return index;
    for (std::size_t i = list.size(); i-- > 0;)
        if (list[i].hardware) return int(i);
    return int(list.size()) - 1;
}
