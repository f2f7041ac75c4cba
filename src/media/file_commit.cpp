// Temporary names, long paths and rename retries (see file_commit.h).
#include "media/file_commit.h"

namespace {

// System error codes (winerror.h), spelled out so this file stays portable.
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorLockViolation = 33;
constexpr uint32_t kErrorUnableToRemoveReplaced = 1175;
constexpr uint32_t kErrorUnableToMoveReplacement = 1176;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

std::wstring TemporaryPathFor(std::wstring_view finalPath, uint32_t number) {
    const size_t slash = finalPath.find_last_of(L"\\/");
    std::wstring path(slash == std::wstring_view::npos ? std::wstring_view() : finalPath.substr(0, slash + 1));
    path += L"~vdl";
    static const wchar_t kHex[] = L"0123456789abcdef";
    for (int shift = 28; shift >= 0; shift -= 4) path += kHex[(number >> shift) & 0xF];
    return path += L".tmp";
}

bool FitsShortPath(std::wstring_view path) { return path.size() + 1 <= kShortPathChars; }

std::wstring LongFormPath(std::wstring_view fullPath) {
    std::wstring path(fullPath);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
    if (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]))
        return L"\\\\?\\UNC\\" + path.substr(2);
    return std::wstring(fullPath);
}

bool RenameMayClearUp(uint32_t error) {
    switch (error) {
    case kErrorAccessDenied:
    case kErrorSharingViolation:
    case kErrorLockViolation:
    case kErrorUnableToRemoveReplaced:
    case kErrorUnableToMoveReplacement:
        return true;
    default:
        return false;
    }
}
