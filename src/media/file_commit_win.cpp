// Whole files under their final names (see file_commit_win.h).
#include "media/file_commit_win.h"

#include <windows.h>

#include "media/file_commit.h"

namespace {

// How long a rename waits for a program that holds the new file, and between two tries.
constexpr ULONGLONG kRenamePatienceMs = 1000;
constexpr DWORD kRenameRetryMs = 50;

// A path the file functions take at its length: the long form where the plain one is too long.
std::wstring Usable(const std::wstring& path) {
    if (FitsShortPath(path)) return path;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD used = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (used == 0 || used >= size) return path;
    full.resize(used);
    return LongFormPath(full);
}

// Creates a new, empty file beside path under a name of its own; its name in *temporary.
bool CreateTemporaryBeside(const std::wstring& path, std::wstring* temporary, DWORD flags = 0) {
    static LONG counter = 0;  // any thread; the name is also unique through CREATE_NEW
    for (int attempt = 0; attempt < 64; ++attempt) {
        const uint32_t number =
            (GetCurrentProcessId() << 16) ^ GetTickCount() ^ (uint32_t(InterlockedIncrement(&counter)) * 0x9E3779B9u);
        const std::wstring candidate = Usable(TemporaryPathFor(path, number));
        HANDLE f = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | flags, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            CloseHandle(f);
            *temporary = candidate;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

// Runs step until it works, waiting while its failure is one that clears up by itself.
template <typename Step>
bool Patiently(Step step) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (step()) return true;
        const DWORD error = GetLastError();
        if (!RenameMayClearUp(error) || GetTickCount64() - start >= kRenamePatienceMs) {
            SetLastError(error);
            return false;
        }
        Sleep(kRenameRetryMs);
    }
}

bool PutInPlace(const std::wstring& temporary, const std::wstring& path, bool replace) {
    const std::wstring target = Usable(path);
    return Patiently([&] {
        if (replace && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
            // The file named path becomes the new content but stays the same file to Windows.
            if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                             REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
                return true;
            // Gone meanwhile: taken as a sharing problem, so the next try moves the file in.
            if (GetLastError() == ERROR_FILE_NOT_FOUND) SetLastError(ERROR_SHARING_VIOLATION);
            return false;
        }
        if (MoveFileExW(temporary.c_str(), target.c_str(), 0)) return true;
        // A file of that name appeared meanwhile: replaced on the next try when that was asked.
        if (replace && GetLastError() == ERROR_ALREADY_EXISTS) SetLastError(ERROR_SHARING_VIOLATION);
        return false;
    });
}

bool Commit(const std::wstring& path, const FileWriter& write, bool replace) {
    std::wstring temporary;
    if (!CreateTemporaryBeside(path, &temporary)) {
        OutputDebugStringW((L"Saving FAILED, no temporary file beside: " + path + L"\r\n").c_str());
        return false;
    }
    if (write(temporary) && PutInPlace(temporary, path, replace)) return true;
    const DWORD error = GetLastError();
    OutputDebugStringW((L"Saving FAILED: " + path + L"\r\n").c_str());
    DeleteFileW(temporary.c_str());
    SetLastError(error);
    return false;
}

}  // namespace

bool WriteWholeFile(const std::wstring& path, const FileWriter& write) { return Commit(path, write, false); }

bool ReplaceWholeFile(const std::wstring& path, const FileWriter& write) { return Commit(path, write, true); }

bool WriteBytesToFile(const std::wstring& file, const void* data, size_t size) {
    HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const bool written = WriteFile(f, data, DWORD(size), &done, nullptr) && done == size;
    return CloseHandle(f) && written;
}

bool FolderRefusesNewFiles(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(Usable(folder).c_str());
    if (folder.empty() || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // A file made and deleted again at once: what a save does first.
    std::wstring probe;
    if (CreateTemporaryBeside(folder + L"\\probe", &probe, FILE_FLAG_DELETE_ON_CLOSE)) return false;
    return GetLastError() == ERROR_ACCESS_DENIED;
}
