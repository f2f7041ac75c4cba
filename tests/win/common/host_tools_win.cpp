// The machine's own tools run from inside Wine (see host_tools_win.h).
#include "common/host_tools_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "common/pump_win.h"  // BinPath, WaitUntil

std::wstring UnixPath(const std::wstring& windowsPath) {
    std::wstring p = windowsPath.substr(2);
    for (wchar_t& c : p)
        if (c == L'\\') c = L'/';
    return p;
}

namespace {

std::string ReadText(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(f, block, sizeof block, &got, nullptr) && got) text.append(block, got);
    CloseHandle(f);
    return text;
}

}  // namespace

std::string RunHost(const std::wstring& command) {
    CreateDirectoryW(BinPath(L"host-output").c_str(), nullptr);
    const std::wstring out = BinPath(L"host-output\\output.txt");
    DeleteFileW(out.c_str());
    std::wstring line = L"/bin/sh -c \"(" + command + L") >'" + UnixPath(out) + L".tmp' 2>&1; mv '" + UnixPath(out) +
                        L".tmp' '" + UnixPath(out) + L"'\"";
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return "<none>";
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    if (!WaitUntil([&] { return GetFileAttributesW(out.c_str()) != INVALID_FILE_ATTRIBUTES; }, 120000)) return "<none>";
    return ReadText(out);
}

bool HostHasFfmpeg() {
    static int has = -1;
    if (has < 0) {
        const std::string found = RunHost(L"command -v ffprobe && command -v ffmpeg");
        has = found.find("ffmpeg") != std::string::npos;
        if (!has) std::printf("ffprobe and ffmpeg cannot be run here: files are checked by their layout only\n");
    }
    return has == 1;
}
