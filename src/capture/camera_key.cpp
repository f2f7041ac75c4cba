// The key of a camera's settings (see camera_key.h).
#include "capture/camera_key.h"

#include <cstdint>
#include <cstdio>
#include <cwctype>
#include <vector>

namespace {

constexpr size_t kMaxKeyChars = 200;

std::wstring Lower(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) out += wchar_t(std::towlower(c));
    return out;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// Bus#model#instance of an interface path, or the path itself when it is not of that form.
std::wstring InstanceOfInterfacePath(std::wstring path) {
    if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\??\\")) path.erase(0, 4);
    std::vector<std::wstring> parts = Split(path, L'#');
    if (parts.size() >= 3 && !parts[0].empty() && !parts[1].empty() && !parts[2].empty())
        return parts[0] + L'#' + parts[1] + L'#' + parts[2];
    return path;
}

// A registry key name: no backslash or control character, not too long.
std::wstring KeyName(std::wstring text) {
    for (wchar_t& c : text)
        if (c == L'\\' || c < 0x20) c = L'#';
    if (text.size() <= kMaxKeyChars) return text;
    uint32_t hash = 2166136261u;  // FNV-1a over the whole text
    for (wchar_t c : text) hash = (hash ^ uint32_t(c)) * 16777619u;
    wchar_t tail[16];
    std::swprintf(tail, 16, L"~%08x", unsigned(hash));
    return text.substr(0, kMaxKeyChars - 9) + tail;
}

}  // namespace

std::wstring CameraKeyOf(const std::wstring& displayName, const std::wstring& interfacePath) {
    const std::wstring display = Lower(displayName);
    std::wstring key;
    if (!interfacePath.empty()) {
        key = InstanceOfInterfacePath(Lower(interfacePath));
    } else if (StartsWith(display, L"@device:pnp:")) {
        key = InstanceOfInterfacePath(display.substr(12));
    } else if (StartsWith(display, L"@device:sw:")) {
        size_t slash = display.find_last_of(L'\\');
        if (slash != std::wstring::npos && slash + 1 < display.size()) key = L"sw#" + display.substr(slash + 1);
    } else {
        key = display;
    }
    return KeyName(key);
}
