// Rebuilding recordings cut short (see video_recovery_win.h). The search runs on its own thread
// so that start-up is not held up by a rebuild of up to 2 GB; it touches no window and no
// setting: each outcome is posted to the main window with the video's path (a heap string the
// receiver frees).
#include "media/video_recovery_win.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "media/avi_rebuild.h"
#include "media/file_commit_win.h"
#include "media/photo_paths.h"
#include "media/recording_journal.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"

namespace {

enum class Outcome : WPARAM {
    Recovered = 1,     // rebuilt in place
    NotRecovered = 2,  // left as it was; the user is told
    Whole = 3,         // it had been closed after all: only the journal was left over
};

struct RecoverySearch {
    HANDLE thread = nullptr;  // UI thread: started once, joined at shutdown
    std::atomic<bool> stop{false};
    HWND notify = nullptr;               // set before the thread starts
    std::vector<std::wstring> folders;   // set before the thread starts
};
RecoverySearch gSearch;

// A handle closed when it goes out of scope.
struct FileHandle {
    HANDLE h = INVALID_HANDLE_VALUE;
    explicit FileHandle(HANDLE handle) : h(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Ok() const { return h != INVALID_HANDLE_VALUE; }
    void Close() {
        if (Ok()) CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }
};

size_t ReadAt(HANDLE f, uint64_t offset, uint8_t* out, size_t n) {
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(offset);
    if (!SetFilePointerEx(f, at, nullptr, FILE_BEGIN)) return 0;
    size_t done = 0;
    while (done < n) {
        DWORD got = 0;
        if (!ReadFile(f, out + done, DWORD(std::min<size_t>(n - done, 1 << 24)), &got, nullptr) || got == 0) break;
        done += got;
    }
    return done;
}

bool WriteAll(HANDLE f, const uint8_t* data, size_t n) {
    size_t done = 0;
    while (done < n) {
        DWORD wrote = 0;
        if (!WriteFile(f, data + done, DWORD(std::min<size_t>(n - done, 1 << 24)), &wrote, nullptr) || wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

std::vector<std::wstring> JournalsIn(const std::wstring& folder) {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*.avi" + kJournalSuffix).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(folder + L"\\" + fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return found;
}

bool ReadJournal(const std::wstring& path, RecordingJournal* j) {
    FileHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f.Ok()) return false;
    char text[1024];
    const size_t got = ReadAt(f.h, 0, reinterpret_cast<uint8_t*>(text), sizeof text);
    return ParseJournal(std::string_view(text, got), j);
}

// Writes the rebuilt file to temp: the head, the kept chunks copied from the source in runs
// of adjacent chunks, the index. False when a write fails or the search is stopped.
bool WriteRebuilt(HANDLE source, uint64_t sourceSize, HANDLE temp, const RecordingJournal& j, const AviScan& scan) {
    std::vector<uint8_t> block = RebuiltAviHead(j, scan.chunks);
    if (!WriteAll(temp, block.data(), block.size())) return false;
    block.resize(size_t(4) << 20);
    size_t i = 0;
    while (i < scan.chunks.size()) {
        const uint64_t start = scan.chunks[i].offset;
        uint64_t end = start + ChunkSpan(scan.chunks[i]);
        for (++i; i < scan.chunks.size() && scan.chunks[i].offset == end; ++i) end += ChunkSpan(scan.chunks[i]);
        for (uint64_t at = start; at < end;) {
            if (gSearch.stop) return false;
            const size_t n = size_t(std::min<uint64_t>(end - at, block.size()));
            // The pad byte after a last chunk of odd size may never have been written: it is a zero.
            const size_t got = ReadAt(source, at, block.data(), n);
            if (got < n) {
                if (at + got != sourceSize || n - got > 1) return false;
                block[got] = 0;
            }
            if (!WriteAll(temp, block.data(), n)) return false;
            at += n;
        }
    }
    const std::vector<uint8_t> index = RebuiltAviIndex(scan.chunks);
    return WriteAll(temp, index.data(), index.size()) && FlushFileBuffers(temp);
}

// Brings back the video of one journal; false when there is nothing to tell (the video is being
// written right now, it is gone, it never got a frame, or the search was stopped).
bool RecoverOne(const std::wstring& journal, Outcome* outcome) {
    const std::wstring video = VideoPathForJournal(journal);
    // Read with writers shut out: a video still being written by a running recording is left alone.
    FileHandle source(CreateFileW(video.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.Ok()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) DeleteFileW(journal.c_str());
        return false;
    }
    LARGE_INTEGER size = {};
    GetFileSizeEx(source.h, &size);
    RecordingJournal j;
    if (!ReadJournal(journal, &j)) {
        *outcome = Outcome::NotRecovered;
        DeleteFileW(journal.c_str());
        return true;
    }
    const AviScan scan =
        ScanRecordedAvi([&](uint64_t at, uint8_t* out, size_t n) { return ReadAt(source.h, at, out, n); },
                        uint64_t(size.QuadPart), j);
    switch (scan.result) {
    case AviScanResult::Whole:
        DeleteFileW(journal.c_str());
        *outcome = Outcome::Whole;
        return true;
    case AviScanResult::NoFrames:  // an empty file, or only the space for its headers
        source.Close();
        DeleteFileW(video.c_str());
        DeleteFileW(journal.c_str());
        return false;
    case AviScanResult::Unreadable:  // not ours to rewrite: left as it is
        DeleteFileW(journal.c_str());
        *outcome = Outcome::NotRecovered;
        return true;
    case AviScanResult::Frames: break;
    }
    // The original bytes are replaced only by a complete file (written beside it, then put in
    // its place). A rebuild that could not be finished (no room on the disk, the program
    // closing) leaves the video and its journal for the next start.
    const bool replaced = ReplaceWholeFile(video, [&](const std::wstring& temporary) {
        bool written = false;
        {
            FileHandle out(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                       nullptr));
            written = out.Ok() && WriteRebuilt(source.h, uint64_t(size.QuadPart), out.h, j, scan);
        }
        source.Close();  // the original is replaced next
        return written;
    });
    if (!replaced) {
        if (gSearch.stop) return false;
        *outcome = Outcome::NotRecovered;
        return true;
    }
    DeleteFileW(journal.c_str());
    *outcome = Outcome::Recovered;
    return true;
}

DWORD WINAPI RecoveryThread(void*) {
    // The journals of every folder are listed first: a recording started meanwhile adds its own,
    // which must not be taken for one left behind.
    std::vector<std::wstring> journals;
    for (const std::wstring& folder : gSearch.folders) {
        std::vector<std::wstring> found = JournalsIn(folder);
        journals.insert(journals.end(), found.begin(), found.end());
    }
    for (const std::wstring& journal : journals) {
        if (gSearch.stop) break;
        Outcome outcome;
        if (!RecoverOne(journal, &outcome)) continue;
        auto* path = new std::wstring(VideoPathForJournal(journal));
        if (!PostMessageW(gSearch.notify, WMU_VIDEO_RECOVERED, WPARAM(outcome), reinterpret_cast<LPARAM>(path)))
            delete path;
    }
    return 0;
}

std::wstring WithoutTrailingSlash(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

bool Listed(const std::wstring& path) {
    for (const std::wstring& p : gRecentFiles)
        if (CompareStringOrdinal(p.c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
    return false;
}

void ListVideo(const std::wstring& path) {
    if (Listed(path)) return;
    AddRecentFile(path);
    SaveSettings();
    if (ShellState.panel) PostMessageW(ShellState.panel, WMU_FILE_ADDED, WPARAM(gRecentFiles.size() - 1), 0);
}

void ShowRecoveryToast(const char* key, const std::wstring& path) {
    if (ShellState.mainWnd)
        ShowPrompt(ShellState.mainWnd, TextWithPath(GetText(key), path).c_str(), 0, ShellState.toolbarHeight + 1);
}

}  // namespace

std::vector<std::wstring> RecoveryFolders() {
    std::vector<std::wstring> folders;
    for (const std::wstring& f : {WithoutTrailingSlash(AppSettings.imgDir), WithoutTrailingSlash(DefaultSaveFolder(DocumentsFolder()))}) {
        if (f.empty()) continue;
        bool seen = false;
        for (const std::wstring& g : folders) seen = seen || CompareStringOrdinal(f.c_str(), -1, g.c_str(), -1, TRUE) == CSTR_EQUAL;
        if (!seen) folders.push_back(f);
    }
    return folders;
}

void StartVideoRecovery(HWND notify, std::vector<std::wstring> folders) {
    if (gSearch.thread) return;
    gSearch.stop = false;
    gSearch.notify = notify;
    gSearch.folders = std::move(folders);
    gSearch.thread = CreateThread(nullptr, 0, RecoveryThread, nullptr, 0, nullptr);
}

void StopVideoRecovery() {
    if (!gSearch.thread) return;
    gSearch.stop = true;
    WaitForSingleObject(gSearch.thread, INFINITE);
    CloseHandle(gSearch.thread);
    gSearch.thread = nullptr;
}

bool VideoRecoveryRunning() {
    return gSearch.thread && WaitForSingleObject(gSearch.thread, 0) == WAIT_TIMEOUT;
}

bool MainOnRecoveryMessage(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WMU_VIDEO_RECOVERED) return false;
    std::wstring* path = reinterpret_cast<std::wstring*>(lp);
    if (!path) return true;
    switch (Outcome(wp)) {
    case Outcome::Recovered:
        ListVideo(*path);
        ShowRecoveryToast("rec recovered", *path);
        break;
    case Outcome::Whole: ListVideo(*path); break;
    case Outcome::NotRecovered: ShowRecoveryToast("rec not recovered", *path); break;
    }
    delete path;
    return true;
}
