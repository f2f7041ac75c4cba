// The open-microscope dialog. It lists the cameras with the formats each one offers (their
// catalogues are built on the way) and reopens the capture session with the chosen camera and
// format. Each row keeps its own reference to the camera's moniker and a copy of its
// catalogue: a camera unplugged while the dialog shows drops out of the device list (and its
// record with it), and Open then looks the row's camera up again instead of using the record.
// A camera that ran before comes up with the format it ran then.
#include "capture/open_dialog_win.h"

#include <optional>
#include <vector>

#include "app/shell_state_win.h"
#include "capture/camera_settings_win.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "capture/format_lists.h"
#include "frame/capture_state_win.h"
#include "resources/panel_resources.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/calibration_dialogs_win.h"
#include "view/camera_view_win.h"

namespace {

// Kept between openings, as the dialog last left them (-1 = none).
CameraFormat dialogFormat;
int selectedDevice = -1;
int selectedFormat = -1;
int selectedResolution = -1;

struct OpenDialogState {
    std::vector<IMoniker*> monikers;        // one reference each
    std::vector<FormatCatalogue> catalogues;
    std::vector<std::optional<CameraFormat>> storedFormats;  // what each camera ran last time
    ~OpenDialogState() {
        for (IMoniker* m : monikers)
            if (m) m->Release();
    }
    bool ValidRow(int row) const { return row >= 0 && size_t(row) < monikers.size(); }
};

HWND Item(HWND dlg, int id) { return GetDlgItem(dlg, id); }

void ApplyTexts(HWND dlg) {
    if (AppSettings.language == 0) return;  // the template's English texts stay
    SetWindowTextW(dlg, GetText("open dev").c_str());
    SetDlgItemTextW(dlg, IDC_OPEN_DEVICE_LABEL, GetText("select dev").c_str());
    SetDlgItemTextW(dlg, IDC_OPEN_SIZE_LABEL, GetText("resolution").c_str());
    SetDlgItemTextW(dlg, IDC_OPEN_FORMAT_LABEL, GetText("format").c_str());
    SetDlgItemTextW(dlg, IDOK, GetText("ok").c_str());
    SetDlgItemTextW(dlg, IDCANCEL, GetText("cancel").c_str());
}

void FillCombo(HWND combo, const std::vector<std::wstring>& rows, int select) {
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& row : rows) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    if (select >= 0) SendMessageW(combo, CB_SETCURSEL, WPARAM(select), 0);
}

void FillResolutions(HWND dlg, const OpenDialogState* s) {
    HWND list = Item(dlg, IDC_OPEN_SIZES);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    selectedResolution = -1;
    if (!s->ValidRow(selectedDevice)) return;
    const FormatMap& map = DialogSizeMap(s->catalogues[selectedDevice], selectedFormat);
    if (map.empty()) return;
    const std::optional<CameraFormat>& stored = s->storedFormats[selectedDevice];
    const CameraFormat& preset = stored ? *stored : dialogFormat;
    selectedResolution = DialogSizeRow(map, preset.width, preset.height);
    FillCombo(list, SizeNames(map), selectedResolution);
}

void FillFormats(HWND dlg, const OpenDialogState* s) {
    HWND list = Item(dlg, IDC_OPEN_FORMATS);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    selectedFormat = -1;
    if (!s->ValidRow(selectedDevice)) return;
    std::vector<std::wstring> names = FormatNames(s->catalogues[selectedDevice]);
    if (names.empty()) return;
    const std::optional<CameraFormat>& stored = s->storedFormats[selectedDevice];
    selectedFormat = stored ? RunningFormatRow(s->catalogues[selectedDevice], stored->subtype) : 0;
    if (size_t(selectedFormat) >= names.size()) selectedFormat = 0;
    FillCombo(list, names, selectedFormat);
}

void FillDevices(HWND dlg, OpenDialogState* s) {
    HWND devices = Item(dlg, IDC_OPEN_DEVICES);
    SendMessageW(devices, LB_RESETCONTENT, 0, 0);
    SendMessageW(Item(dlg, IDC_OPEN_SIZES), CB_RESETCONTENT, 0, 0);
    SendMessageW(Item(dlg, IDC_OPEN_FORMATS), CB_RESETCONTENT, 0, 0);
    bool any = !DeviceList.empty();
    EnableWindow(Item(dlg, IDC_OPEN_SIZES), any);
    EnableWindow(Item(dlg, IDC_OPEN_FORMATS), any);
    EnableWindow(Item(dlg, IDOK), any);
    if (!any) {
        SendMessageW(devices, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"No microscope found."));
        return;
    }
    for (CameraDevice& d : DeviceList) {
        BindFilter(d);
        if (d.filter && d.catalogue.Empty()) EnumerateFormats(d.filter, d.catalogue);
        if (d.moniker) d.moniker->AddRef();
        s->monikers.push_back(d.moniker);
        s->catalogues.push_back(d.catalogue);
        s->storedFormats.push_back(StoredFormatOf(d));
        SendMessageW(devices, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.friendlyName.c_str()));
    }
    if (!s->ValidRow(selectedDevice)) selectedDevice = 0;
    SendMessageW(devices, LB_SETCURSEL, WPARAM(selectedDevice), 0);
    FillFormats(dlg, s);
    FillResolutions(dlg, s);
}

void OpenDialogOnInit(HWND dlg, OpenDialogState* s) {
    ApplyTexts(dlg);
    PlaceDialogBelowMainTop(dlg);
    if (dialogFormat.width == 0 || dialogFormat.height == 0) {
        if (IsDeviceOpen()) {
            dialogFormat.width = CaptureState.width;
            dialogFormat.height = CaptureState.height;
        } else {
            dialogFormat.width = AppSettings.width;
            dialogFormat.height = AppSettings.height;
        }
    }
    FillDevices(dlg, s);
}

void OpenDialogOnOpen(HWND dlg, OpenDialogState* s) {
    selectedDevice = int(SendMessageW(Item(dlg, IDC_OPEN_DEVICES), LB_GETCURSEL, 0, 0));
    selectedFormat = int(SendMessageW(Item(dlg, IDC_OPEN_FORMATS), CB_GETCURSEL, 0, 0));
    selectedResolution = int(SendMessageW(Item(dlg, IDC_OPEN_SIZES), CB_GETCURSEL, 0, 0));
    if (!s->ValidRow(selectedDevice) || selectedFormat < 0 || selectedResolution < 0) return;
    const CameraFormat* entry = FormatAt(DialogSizeMap(s->catalogues[selectedDevice], selectedFormat), selectedResolution);
    if (!entry) return;
    CameraFormat chosen = *entry;
    // The row's camera as it is listed now: gone (unplugged while the dialog showed) opens nothing.
    int index = FindDevice(s->monikers[selectedDevice]);
    if (index < 0) {
        OutputDebugStringW(L"Open microscope: the chosen camera is gone.\r\n");
        return;
    }
    OpenDeviceWithFormat(index, chosen);
    // What runs is stored: nothing when the camera could not be opened, and the format the camera
    // connected with when it took another one than the chosen.
    if (!IsDeviceOpen()) return;
    AppSettings.mjpg = requestedFormat.subtype == kSubtypeMjpg ? 1 : 0;
    AppSettings.width = requestedFormat.width;
    AppSettings.height = requestedFormat.height;
    AppSettings.interpolated = requestedFormat.interpolated;
    SaveSettings();
}

INT_PTR CALLBACK OpenDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        OpenDialogOnInit(dlg, reinterpret_cast<OpenDialogState*>(lp));
        return TRUE;
    }
    auto* s = reinterpret_cast<OpenDialogState*>(GetWindowLongPtrW(dlg, DWLP_USER));
    if (!s || msg != WM_COMMAND) return FALSE;
    int id = LOWORD(wp), code = HIWORD(wp);
    switch (id) {
    case IDC_OPEN_DEVICES:
        if (code == LBN_SELCHANGE) {
            int row = int(SendMessageW(Item(dlg, IDC_OPEN_DEVICES), LB_GETCURSEL, 0, 0));
            if (row != selectedDevice && s->ValidRow(row)) {
                selectedDevice = row;
                FillFormats(dlg, s);
                FillResolutions(dlg, s);
            }
        }
        return TRUE;
    case IDC_OPEN_FORMATS:
        if (code == CBN_SELCHANGE) {
            int row = int(SendMessageW(Item(dlg, IDC_OPEN_FORMATS), CB_GETCURSEL, 0, 0));
            if (row != selectedFormat) {
                selectedFormat = row;
                FillResolutions(dlg, s);
            }
        }
        return TRUE;
    case IDOK:
        OpenDialogOnOpen(dlg, s);
        EndDialog(dlg, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR ShowOpenDialog(const CameraFormat& format) {
    dialogFormat = format;
    selectedDevice = currentDeviceIndex;
    OpenDialogState state;
    HINSTANCE instance = ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_OPEN_DEVICE), ShellState.mainWnd, OpenDialogProc,
                           reinterpret_cast<LPARAM>(&state));
}

CameraFormat OpenDialogPreset() {
    if (!IsDeviceOpen() || !ShellState.cameraView) return CameraFormat{0, 0, 0, 0};
    CameraViewInfo info = CameraViewGetInfo(ShellState.cameraView);
    return CameraFormat{CaptureState.subtype, info.imageW, info.imageH, 0};
}
