// The photo commands of the main window (see photo_commands_win.h).
#include "media/photo_commands_win.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <functional>

#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "media/avi_recorder_win.h"
#include "media/file_commit_win.h"
#include "media/measure_export_win.h"
#include "media/photo_paths.h"
#include "media/photo_saver_win.h"
#include "media/save_folder_win.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"

std::wstring gSavePath;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void ShowPhotoToast(const std::wstring& text) {
    if (ShellState.mainWnd) ShowPrompt(ShellState.mainWnd, text.c_str(), 0, ShellState.toolbarHeight + 1);
}

// The first file (not folder) the file system lists for a pattern.
std::wstring FirstFile(const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return {};
    std::wstring name;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) name = found.cFileName;
    } while (name.empty() && FindNextFileW(find, &found));
    FindClose(find);
    return name;
}

}  // namespace

MediaTime LocalMediaTime() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::wstring MakePhotoPath(const std::wstring& folder, const MediaTime& now) {
    return MakeFreeMediaPath(folder, now, PhotoExtension(AppSettings.jpgPng), Exists);
}

namespace {

// The course every photo takes: a free name for now in the usable folder, the picture written
// there by save, then the toast (note, when given, in place of the usual text), the recent-files
// list, the settings and the panel; or the toast saying it was not saved. The saved path, or
// empty.
std::wstring SaveNamedPhoto(std::wstring_view extension, const MediaTime& now,
                            const std::function<bool(const std::wstring&)>& save, bool withMeasurements,
                            const std::wstring& note) {
    const SaveFolder folder = UsableSaveFolder();
    const std::wstring path = folder.path.empty() ? std::wstring() : MakeFreeMediaPath(folder.path, now, extension, Exists);
    if (path.empty() || !save(path)) {
        // A folder that refuses new files (Controlled folder access) is named, so the user knows
        // what to allow or change; any other failure names the photo.
        if (FolderRefusesNewFiles(folder.path))
            ShowPhotoToast(TextWithPath(GetText("folder denied"), folder.path));
        else
            ShowPhotoToast(TextWithPath(GetText("save failed"), path.empty() ? folder.path : path));
        return {};
    }
    gSavePath = path;
    // The table of the shapes beside the photo, when asked for; its loss is what the toast says.
    const std::wstring csv = MeasurementsPathFor(path);
    if (withMeasurements && AppSettings.measuresWithPhotos == 1 && HasMeasurements() && !WriteMeasurementsCsv(csv))
        ShowPhotoToast(TextWithPath(GetText("measures not saved"), csv));
    else if (!note.empty())
        ShowPhotoToast(TextWithPath(note, path));
    else
        ShowPhotoToast(folder.fallback ? TextWithPath(GetText("saved elsewhere"), path)
                                       : TextWithPath(L"File saved: %s", path));
    AddRecentFile(path);
    SaveSettings();
    if (ShellState.panel) PostMessageW(ShellState.panel, WMU_FILE_ADDED, gRecentFiles.size() - 1, 0);
    return path;
}

}  // namespace

bool SavePhoto(PhotoSource source, const MediaTime& now) {
    return !SaveNamedPhoto(
                PhotoExtension(AppSettings.jpgPng), now,
                [&](const std::wstring& path) { return source == PhotoSource::Still ? SaveStillImage(path) : SaveViewImage(path); },
                true, {})
                .empty();
}

std::wstring SavePicturePhoto(const PhotoPicture& picture, std::wstring_view extension, const MediaTime& now,
                              const std::wstring& note) {
    return SaveNamedPhoto(
        extension, now,
        [&](const std::wstring& path) {
            return SaveBgrImage(picture.bits, picture.width, picture.height, picture.stride, path, &picture.scale);
        },
        false, note);
}

bool SaveFramePhoto(const uint8_t* bgr, int width, int height, const MediaTime& now, std::wstring* savedPath) {
    const std::wstring path = SaveNamedPhoto(
        PhotoExtension(AppSettings.jpgPng), now,
        [&](const std::wstring& p) { return SaveFramePicture(p, bgr, width, height, true); }, true, {});
    if (savedPath) *savedPath = path;
    return !path.empty();
}

void TakePhoto() {
    if (IsDeviceOpen()) SavePhoto(PhotoSource::View, LocalMediaTime());
}

void SaveStill() {
    if (CaptureState.previewGrabber && CaptureState.stillGrabber) SavePhoto(PhotoSource::Still, LocalMediaTime());
}

void SaveVideoCover(int fileNumber) {
    // A split may have moved on to the next file by the time the request is handled: the
    // request names its file.
    const std::wstring video = RecordedVideoPath(fileNumber);
    if (!IsDeviceOpen() || video.empty()) return;
    // No toast and no list entry: the video itself is announced when it is finished.
    SaveViewImage(VideoCoverPath(video, PhotoExtension(AppSettings.jpgPng)));
}

void OpenImageFolder() {
    std::wstring folder = AppSettings.imgDir;
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    // A last saved file that was deleted or moved since cannot be selected: the folder's own
    // files are looked at instead.
    const FolderTarget target = OpenFolderTarget(Exists(gSavePath) ? gSavePath : std::wstring(), folder, FirstFile);
    if (!target.selectInFolder) {
        // Given the folder itself and no file, the shell would open its parent with the folder
        // selected: the folder is opened instead.
        ShellExecuteW(ShellState.mainWnd, L"open", target.path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return;
    LPITEMIDLIST items = nullptr;
    if (SUCCEEDED(link->SetPath(target.path.c_str())) && SUCCEEDED(link->GetIDList(&items)) && items)
        SHOpenFolderAndSelectItems(items, 0, nullptr, 0);
    if (items) CoTaskMemFree(items);
    link->Release();
}

bool MainOnPhotoMessage(HWND, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WMU_STILL_READY:
        SaveStill();
        return true;
    case WMU_VIDEO_COVER:
        SaveVideoCover(int(wp));
        return true;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case CMD_SNAPSHOT:
        case ID_TAKE_PHOTO:
            TakePhoto();
            return true;
        case ID_OPEN_FOLDER:
            OpenImageFolder();
            return true;
        }
        return false;
    }
    return false;
}
