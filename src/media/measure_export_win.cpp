// The camera view's context menu and what its commands do (see measure_export_win.h).
#include "media/measure_export_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "media/file_commit_win.h"
#include "media/photo_commands_win.h"
#include "media/photo_paths.h"
#include "media/photo_saver_win.h"
#include "media/save_folder_win.h"
#include "settings/file_dialogs_win.h"
#include "settings/text_table.h"
#include "view/calibration_workflow.h"
#include "view/camera_view_win.h"
#include "view/measure_table.h"
#include "view/view_geometry.h"

namespace {

// The table as the labels show it: the view's calibration and its equal-aspect measuring.
std::vector<TableRow> CurrentTable() {
    const CameraViewInfo info = CameraViewGetInfo(ShellState.cameraView);
    ViewGeometry geometry;
    geometry.frameW = info.frameW;
    geometry.frameH = info.frameH;
    geometry.imageW = info.imageW;
    geometry.imageH = info.imageH;
    return MeasurementTable(MeasurementState.shapes, CameraViewPixelsPerUnit(ShellState.cameraView),
                            CameraViewUnit(ShellState.cameraView), EqualAspectYScale(geometry),
                            AppliedCalibrationName());
}

void Toast(const std::wstring& text) {
    if (ShellState.mainWnd) ShowPrompt(ShellState.mainWnd, text.c_str(), 0, ShellState.toolbarHeight + 1);
}

// Another program (the clipboard history, a remote desktop, an office suite) may hold the
// clipboard for a moment: it is tried again, about 20 ms apart, for about a third of a second.
constexpr int kClipboardAttempts = 15;
constexpr DWORD kClipboardRetryMs = 20;

bool OpenClipboardPatiently(HWND owner) {
    for (int attempt = 1;; ++attempt) {
        if (OpenClipboard(owner)) return true;
        if (attempt == kClipboardAttempts) return false;
        Sleep(kClipboardRetryMs);
    }
}

// Hands data to the clipboard, which owns it from then on; frees it when the clipboard refuses.
bool PutOnClipboard(HWND owner, UINT format, HGLOBAL data) {
    if (!data) return false;
    bool ok = false;
    if (OpenClipboardPatiently(owner)) {
        ok = EmptyClipboard() && SetClipboardData(format, data);
        CloseClipboard();
    }
    if (!ok) GlobalFree(data);
    return ok;
}

HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return nullptr;
    void* p = GlobalLock(memory);
    if (!p) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(p, bytes, size);
    GlobalUnlock(memory);
    return memory;
}

// The dialog opens in the save folder every time, with a date-and-time name; a file the user
// chose to replace keeps its permissions.
void SaveMeasurementsAs(HWND owner) {
    if (!HasMeasurements()) return;
    SaveRequest request;
    request.folder = UsableSaveFolder().path;
    request.fileName = FormatMediaPath(L"", LocalMediaTime(), L"csv").substr(1);  // without the "\"
    request.typeName = GetText("csv files");
    request.typeFilter = L"*.csv";
    request.extension = L"csv";
    std::wstring path;
    if (!AskSavePath(owner, request, &path)) return;
    const std::string bytes = CsvUtf8(CurrentTable());
    const bool ok = ReplaceWholeFile(path, [&](const std::wstring& temporary) {
        return WriteBytesToFile(temporary, bytes.data(), bytes.size());
    });
    if (ok) {
        Toast(TextWithPath(GetText("measures saved"), path));
        return;
    }
    const std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
    Toast(FolderRefusesNewFiles(folder) ? TextWithPath(GetText("folder denied"), folder)
                                        : TextWithPath(GetText("measures not saved"), path));
}

}  // namespace

bool HasMeasurements() { return CurrentTable().size() > 1; }

std::wstring MeasurementsPathFor(const std::wstring& photoPath) {
    const size_t dot = photoPath.find_last_of(L'.');
    const size_t slash = photoPath.find_last_of(L"\\/");
    const bool hasExt = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    return (hasExt ? photoPath.substr(0, dot) : photoPath) + L".csv";
}

bool WriteMeasurementsCsv(const std::wstring& path) {
    const std::string bytes = CsvUtf8(CurrentTable());
    return WriteWholeFile(path, [&](const std::wstring& temporary) {
        return WriteBytesToFile(temporary, bytes.data(), bytes.size());
    });
}

bool CopyMeasurements(HWND owner) {
    if (!HasMeasurements()) return false;
    const std::wstring text = TabSeparated(CurrentTable());
    return PutOnClipboard(owner, CF_UNICODETEXT, GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
}

bool CopyPicture(HWND owner) {
    PhotoPicture picture;
    if (!ComposeViewPhoto(&picture)) return false;
    // A packed bottom-up DIB: header, then the rows from the last to the first.
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = picture.width;
    header.biHeight = picture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = DWORD(size_t(picture.stride) * picture.height);
    // The pixel size, as a photo records it, for the programs that read it from a bitmap.
    if (HasScale(picture.scale)) {
        auto perMetre = [&](double ppu) {
            return LONG(std::min(PixelsPerMetre(ppu, picture.scale.unit) + 0.5, 2147483647.0));
        };
        header.biXPelsPerMeter = perMetre(picture.scale.pixelsPerUnitX);
        header.biYPelsPerMeter = perMetre(picture.scale.pixelsPerUnitY);
    }
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(header) + header.biSizeImage);
    if (!memory) return false;
    auto* p = static_cast<uint8_t*>(GlobalLock(memory));
    if (!p) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(p, &header, sizeof(header));
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(p + sizeof(header) + size_t(picture.height - 1 - y) * picture.stride,
                    picture.bits + size_t(y) * picture.stride, size_t(picture.stride));
    GlobalUnlock(memory);
    return PutOnClipboard(owner, CF_DIB, memory);
}

void ShowViewContextMenu(HWND owner, HWND view, LPARAM screenPoint) {
    POINT at = {GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    if (screenPoint == -1) {
        RECT rc;
        GetClientRect(view, &rc);
        at = {rc.right / 2, rc.bottom / 2};
        ClientToScreen(view, &at);
    }
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    const UINT shapes = HasMeasurements() ? MF_ENABLED : MF_GRAYED;
    const UINT picture = CameraViewSurfaceDc(view) ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu, MF_STRING | shapes, ID_COPY_MEASUREMENTS, GetText("copy measures").c_str());
    AppendMenuW(menu, MF_STRING | shapes, ID_SAVE_MEASUREMENTS, GetText("save measures").c_str());
    AppendMenuW(menu, MF_STRING | picture, ID_COPY_PICTURE, GetText("copy picture").c_str());
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    DestroyMenu(menu);
}

bool MainOnMeasureExportMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CONTEXTMENU) {
        if (!ShellState.cameraView || reinterpret_cast<HWND>(wp) != ShellState.cameraView) return false;
        ShowViewContextMenu(hwnd, ShellState.cameraView, lp);
        return true;
    }
    if (msg != WM_COMMAND) return false;
    switch (LOWORD(wp)) {
    case ID_COPY_MEASUREMENTS:
        if (HasMeasurements())
            Toast(CopyMeasurements(hwnd) ? GetText("measures copied") : GetText("clipboard failed"));
        return true;
    case ID_SAVE_MEASUREMENTS:
        SaveMeasurementsAs(hwnd);
        return true;
    case ID_COPY_PICTURE:
        if (CameraViewSurfaceDc(ShellState.cameraView))
            Toast(CopyPicture(hwnd) ? GetText("picture copied") : GetText("clipboard failed"));
        return true;
    }
    return false;
}
