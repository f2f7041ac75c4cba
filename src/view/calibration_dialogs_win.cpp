// The calibration dialogs and the calibrate command. The manager lists the ten slots and
// renames, deletes, applies or picks one to calibrate; the calibrate dialog stays open beside
// the calibration line in the camera view until the user types the line's true length; the
// help dialog shows how. The slots live in CalibrationTable, the workflow's state in
// CalibrationState; everything runs on the user-interface thread.
#include "view/calibration_dialogs_win.h"

#include <commctrl.h>

#include <string>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "resources/calibration_dialogs.h"
#include "resources/resource.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/calibration_table.h"
#include "view/calibration_workflow.h"
#include "view/camera_view_win.h"

namespace {

HINSTANCE ResourceInstance() {
    return ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
}

// With language 0 the dialogs keep their template texts.
bool Translated() { return AppSettings.language != 0; }

void SetItemText(HWND dlg, int id, const char* key) { SetDlgItemTextW(dlg, id, GetText(key).c_str()); }

// Payload of VIEW_CMD_SET_CALIBRATION.
struct CalibrationPayload {
    float ppu;
    int32_t unit;
};

void SendViewCalibration(float ppu, int32_t unit) {
    if (!ShellState.cameraView) return;
    CalibrationPayload payload = {ppu, unit};
    SendMessageW(ShellState.cameraView, WM_COMMAND, VIEW_CMD_SET_CALIBRATION, reinterpret_cast<LPARAM>(&payload));
}

void SendViewRatio100() {
    if (ShellState.cameraView) SendMessageW(ShellState.cameraView, WM_COMMAND, VIEW_CMD_SET_RATIO, 100);
}

void PostToMain(int command) {
    if (ShellState.mainWnd) PostMessageW(ShellState.mainWnd, WM_COMMAND, command, 0);
}

bool ValidSlot(int index) { return index >= 0 && index < kCalibrationSlots; }

}  // namespace

// Centred horizontally over the main window (or the dialog's owner when there is none), its
// top 68 pixels (at 96 dpi, scaled with that window's display scale) below that window's top.
void PlaceDialogBelowMainTop(HWND dlg) {
    PlaceDialogBelowTopOf(dlg, ShellState.mainWnd ? ShellState.mainWnd : GetWindow(dlg, GW_OWNER));
}

void PlaceDialogBelowTopOf(HWND dlg, HWND anchor) {
    RECT a, d;
    if (!anchor || !GetWindowRect(anchor, &a) || !GetWindowRect(dlg, &d)) return;
    DialogOrigin o = OriginBelowOwnerTop(a.left, a.top, a.right, d.right - d.left, DpiOf(anchor));
    SetWindowPos(dlg, nullptr, o.left, o.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// ---------------------------------------------------------------------------------------------
// Manager

struct ColumnSpec {
    const char* key;
    int width;
    int format;
};
constexpr ColumnSpec kManagerColumns[] = {
    {"name col", 128, LVCFMT_LEFT},   {"value col", 88, LVCFMT_RIGHT}, {"unit col", 78, LVCFMT_CENTER},
    {"date col", 118, LVCFMT_LEFT},   {"resolution col", 128, LVCFMT_LEFT},
};

void InsertColumn(HWND list, int index, const wchar_t* title, int width, int format) {
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<wchar_t*>(title);
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&col));
}

void SetSubItem(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void RefreshManagerRow(HWND list, int row) {
    CalibrationRowTexts t = RowTextsOf(CalibrationTable[row]);
    SetSubItem(list, row, 0, t.name);
    SetSubItem(list, row, 1, t.value);
    SetSubItem(list, row, 2, t.unit);
    SetSubItem(list, row, 3, t.date);
    SetSubItem(list, row, 4, t.resolution);
}

// The column widths are pixels at 96 dpi, scaled with the display like the list's font.
void SetManagerColumnWidths(HWND list, int dpi) {
    int index = 0;
    for (const ColumnSpec& c : kManagerColumns) SendMessageW(list, LVM_SETCOLUMNWIDTH, index++, ScalePx(c.width, dpi));
}

void FillManagerList(HWND list) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    // The first column of a report list is always left-aligned: a placeholder takes that place
    // while the real columns go in, then leaves.
    const int dpi = DpiOf(list);
    InsertColumn(list, 0, L"TMP", ScalePx(48, dpi), LVCFMT_CENTER);
    int index = 1;
    for (const ColumnSpec& c : kManagerColumns)
        InsertColumn(list, index++, GetText(c.key).c_str(), ScalePx(c.width, dpi), c.format);
    SendMessageW(list, LVM_DELETECOLUMN, 0, 0);

    for (int row = 0; row < kCalibrationSlots; ++row) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        RefreshManagerRow(list, row);
    }
    if (ValidSlot(CalibrationState.managerRow)) {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, CalibrationState.managerRow, reinterpret_cast<LPARAM>(&state));
        SendMessageW(list, LVM_ENSUREVISIBLE, CalibrationState.managerRow, FALSE);
    }
}

HWND ManagerList(HWND dlg) { return GetDlgItem(dlg, IDC_CALIB_LIST); }

// The selected row when it is a slot, else -1.
int SelectedSlot(HWND dlg) {
    int row = int(SendMessageW(ManagerList(dlg), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    return ValidSlot(row) ? row : -1;
}

BOOL ManagerOnInit(HWND dlg) {
    if (Translated()) {
        SetWindowTextW(dlg, GetText("calib man").c_str());
        SetItemText(dlg, IDC_CALIB_RENAME, "rename");
        SetItemText(dlg, IDC_CALIB_DELETE, "delete");
        SetItemText(dlg, IDC_CALIB_CALIBRATE, "calibrate");
        SetItemText(dlg, IDC_CALIB_APPLY, "apply");
        SetItemText(dlg, IDC_CALIB_HELP, "howto");
    }
    if (CalibrationState.managerPositionSet) {
        SetWindowPos(dlg, nullptr, CalibrationState.managerLeft, CalibrationState.managerTop, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        PlaceDialogBelowMainTop(dlg);
        RECT r;
        GetWindowRect(dlg, &r);
        CalibrationState.managerLeft = r.left;
        CalibrationState.managerTop = r.top;
        CalibrationState.managerPositionSet = true;
    }
    if (!IsDeviceOpen()) {
        EnableWindow(GetDlgItem(dlg, IDC_CALIB_APPLY), FALSE);
        EnableWindow(GetDlgItem(dlg, IDC_CALIB_CALIBRATE), FALSE);
    }
    HWND list = ManagerList(dlg);
    FillManagerList(list);
    SetFocus(list);
    return FALSE;  // focus set here
}

void ManagerOnRename(HWND dlg) {
    int row = SelectedSlot(dlg);
    if (row < 0) return;
    CalibrationState.managerRow = row;
    HWND list = ManagerList(dlg);
    SetFocus(list);
    SendMessageW(list, LVM_EDITLABELW, row, 0);
}

void ManagerOnDelete(HWND dlg) {
    int row = SelectedSlot(dlg);
    if (row < 0) return;
    CalibrationState.managerRow = row;
    std::wstring text = GetText("del data"), caption = GetText("calibrate");
    if (MessageBoxW(dlg, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2) != IDYES)
        return;
    Calibration& slot = CalibrationTable[row];
    EmptyCalibration(slot);
    RefreshManagerRow(ManagerList(dlg), row);
    SaveSettings();
    if (row == CalibrationState.appliedSlot) {
        SendViewCalibration(slot.pixelsPerUnit, slot.unit);
        PostToMain(CMD_CALIBRATION_CHANGED);
    }
}

// Cancel, close, and the end of Apply: the applied slot is what the manager shows next time,
// and it opens centred again.
void ManagerClose(HWND dlg, INT_PTR result) {
    CalibrationState.managerRow = CalibrationState.appliedSlot;
    CalibrationState.managerPositionSet = false;
    EndDialog(dlg, result);
}

void ManagerOnCalibrate(HWND dlg) {
    // Guarded here too: Enter or a stray command must not get past a disabled button.
    if (!IsWindowEnabled(GetDlgItem(dlg, IDC_CALIB_CALIBRATE))) return;
    int row = SelectedSlot(dlg);
    if (row < 0) return;
    CalibrationState.managerRow = row;
    CalibrationState.calibratingSlot = row;
    RECT r;
    GetWindowRect(dlg, &r);
    CalibrationState.managerLeft = r.left;
    CalibrationState.managerTop = r.top;
    CalibrationState.managerPositionSet = true;
    EndDialog(dlg, IDC_CALIB_CALIBRATE);
}

void ManagerOnApply(HWND dlg) {
    if (!IsWindowEnabled(GetDlgItem(dlg, IDC_CALIB_APPLY))) return;
    int row = SelectedSlot(dlg);
    if (row < 0) return;
    CalibrationState.managerRow = row;
    CalibrationState.appliedSlot = row;
    const Calibration& slot = CalibrationTable[row];
    SendViewCalibration(slot.pixelsPerUnit, slot.unit);
    SendViewRatio100();
    PostToMain(CMD_CALIBRATION_CHANGED);
    ManagerClose(dlg, IDC_CALIB_APPLY);
}

// In-place editing: the editor takes no more than a name can hold, and the new name goes to
// the row that was edited (the list lets a click on the selected row start editing too, so
// that row need not be the one the Rename button last chose).
void ManagerOnBeginEdit(HWND list) {
    if (HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0)))
        SendMessageW(edit, EM_LIMITTEXT, kCalibrationNameChars - 1, 0);
}

void ManagerOnEndEdit(HWND list, const NMLVDISPINFOW* info) {
    if (!info->item.pszText) return;  // cancelled
    int row = info->item.iItem;
    if (!ValidSlot(row)) return;
    CalibrationState.managerRow = row;
    RenameCalibration(CalibrationTable, row, info->item.pszText);
    RefreshManagerRow(list, row);  // shows the name as stored, not as typed
    SaveSettings();
}

BOOL ManagerOnNotify(HWND dlg, const NMHDR* hdr) {
    if (hdr->idFrom != IDC_CALIB_LIST) return FALSE;
    switch (hdr->code) {
    case NM_DBLCLK: {
        int row = reinterpret_cast<const NMITEMACTIVATE*>(hdr)->iItem;
        CalibrationState.managerRow = row;
        if (ValidSlot(row)) PostMessageW(dlg, WM_COMMAND, IDC_CALIB_RENAME, 0);
        return FALSE;
    }
    case LVN_BEGINLABELEDITW:
        ManagerOnBeginEdit(hdr->hwndFrom);
        SetWindowLongPtrW(dlg, DWLP_MSGRESULT, FALSE);  // allow
        return TRUE;
    case LVN_ENDLABELEDITW:
        ManagerOnEndEdit(hdr->hwndFrom, reinterpret_cast<const NMLVDISPINFOW*>(hdr));
        SetWindowLongPtrW(dlg, DWLP_MSGRESULT, FALSE);  // the row already shows the stored name
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK ManagerProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return ManagerOnInit(dlg);
    case WM_DPICHANGED:
        // The dialog manager scales the dialog, its controls and fonts; the columns are ours.
        SetManagerColumnWidths(ManagerList(dlg), LOWORD(wp));
        return FALSE;
    case WM_NOTIFY:
        return ManagerOnNotify(dlg, reinterpret_cast<const NMHDR*>(lp));
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_CALIB_RENAME: ManagerOnRename(dlg); return TRUE;
        case IDC_CALIB_DELETE: ManagerOnDelete(dlg); return TRUE;
        case IDC_CALIB_CALIBRATE: ManagerOnCalibrate(dlg); return TRUE;
        case IDC_CALIB_APPLY: ManagerOnApply(dlg); return TRUE;
        case IDC_CALIB_HELP: ShowCalibrationHelp(dlg); return TRUE;
        case IDCANCEL: ManagerClose(dlg, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---------------------------------------------------------------------------------------------
// Calibrate dialog

void ShowUnitCaption(HWND dlg, int unit) { SetDlgItemTextW(dlg, IDC_CALIB_UNIT_TEXT, CalibrationUnitText(unit)); }

BOOL CalibrateOnInit(HWND dlg) {
    if (Translated()) {
        SetItemText(dlg, IDC_CALIB_TIP1, "calib tip1");
        SetItemText(dlg, IDC_CALIB_TIP2, "calib tip2");
        SetItemText(dlg, IDC_CALIB_UNIT_TIP, "unit tip");
        SetItemText(dlg, IDOK, "ok");
        SetItemText(dlg, IDCANCEL, "cancel");
    }
    PlaceDialogBelowMainTop(dlg);
    const int slotIndex = CalibrationState.calibratingSlot;
    const Calibration& slot = CalibrationTable[slotIndex];
    SetWindowTextW(dlg, CalibrateDialogTitle(slotIndex, slot).c_str());
    HWND units = GetDlgItem(dlg, IDC_CALIB_UNIT_LIST);
    SendMessageW(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GetText("mm").c_str()));
    SendMessageW(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GetText("um").c_str()));
    int unit = slot.unit == 0 ? 0 : 1;
    SendMessageW(units, CB_SETCURSEL, unit, 0);
    ShowUnitCaption(dlg, unit);
    SetDlgItemTextW(dlg, IDC_CALIB_LENGTH, L"");
    return TRUE;  // focus to the length field, the first tab stop
}

// OK and Cancel alike: the line goes, the dialog goes, the manager comes back.
void CalibrateClose(HWND dlg) {
    if (ShellState.cameraView) CameraViewSetCalibrationLength(ShellState.cameraView, 0);
    DestroyWindow(dlg);
    PostToMain(ID_CALIBRATE);
}

void CalibrateOnOk(HWND dlg) {
    const int slotIndex = CalibrationState.calibratingSlot;
    if (!ValidSlot(slotIndex) || !ShellState.cameraView) return;
    int unit = int(SendDlgItemMessageW(dlg, IDC_CALIB_UNIT_LIST, CB_GETCURSEL, 0, 0)) == 1 ? 1 : 0;
    wchar_t text[kCalibrationLengthChars + 1] = {};
    GetDlgItemTextW(dlg, IDC_CALIB_LENGTH, text, kCalibrationLengthChars + 1);
    float length = ParseCalibrationLength(text);

    // A line the view has not drawn yet (still the request) has no length on the picture.
    int linePixels = CameraViewCalibrationLength(ShellState.cameraView);
    if (linePixels <= 0) return;
    CameraViewInfo view = CameraViewGetInfo(ShellState.cameraView);
    SYSTEMTIME today;
    GetLocalTime(&today);
    Calibration& slot = CalibrationTable[slotIndex];
    if (!StoreCalibration(slot, unit, linePixels, length, view.frameW, view.frameH,
                          DateNumber(today.wYear, today.wMonth, today.wDay))) {
        // Not a usable length: the dialog stays open and says so under the field.
        SetItemText(dlg, IDC_CALIB_LENGTH_NOTE, "bad length");
        HWND field = GetDlgItem(dlg, IDC_CALIB_LENGTH);
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
        return;
    }
    SaveSettings();
    if (slotIndex == CalibrationState.appliedSlot) {
        SendViewCalibration(slot.pixelsPerUnit, slot.unit);
        SendViewRatio100();
        PostToMain(CMD_CALIBRATION_CHANGED);
    }
    CalibrateClose(dlg);
}

INT_PTR CALLBACK CalibrateProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return CalibrateOnInit(dlg);
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_CALIB_UNIT_LIST:
            if (HIWORD(wp) == CBN_SELCHANGE)
                ShowUnitCaption(dlg, int(SendMessageW(reinterpret_cast<HWND>(lp), CB_GETCURSEL, 0, 0)) == 1 ? 1 : 0);
            return TRUE;
        case IDC_CALIB_LENGTH:
            if (HIWORD(wp) == EN_CHANGE) SetDlgItemTextW(dlg, IDC_CALIB_LENGTH_NOTE, L"");
            return TRUE;
        case IDOK: CalibrateOnOk(dlg); return TRUE;
        case IDCANCEL: CalibrateClose(dlg); return TRUE;
        }
        break;
    case WM_DESTROY:
        if (ShellState.calibrationWnd == dlg) ShellState.calibrationWnd = nullptr;
        break;
    }
    return FALSE;
}

// ---------------------------------------------------------------------------------------------
// Help dialog

// The picture drawn for the display scale (1x, 1.5x or 2x, the nearest not larger than its place
// at dpi), centred in its frame; the picture it replaces is deleted, the last one when the
// dialog closes.
void ShowHelpPicture(HWND dlg, int dpi) {
    static const int ids[kArtScales] = {IDB_CALIBRATE_HELP, IDB_CALIBRATE_HELP_15X, IDB_CALIBRATE_HELP_2X};
    auto* art = static_cast<HBITMAP>(
        LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(ids[ArtScaleFor(dpi)]), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (!art) return;
    auto* old = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageW(dlg, IDC_HELP_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(art)));
    if (old && old != art) DeleteObject(old);
}

BOOL HelpOnInit(HWND dlg) {
    if (Translated()) {
        SetWindowTextW(dlg, GetText("howto").c_str());  // the caption too, as the button that opens it
        SetItemText(dlg, IDC_HELP_LINE1, "howto 1");
        SetItemText(dlg, IDC_HELP_LINE2, "howto 2");
        SetItemText(dlg, IDC_HELP_LINE3, "howto 3");
        SetItemText(dlg, IDOK, "ok");
    }
    ShowHelpPicture(dlg, DpiOf(dlg));
    PlaceDialogBelowMainTop(dlg);
    return TRUE;
}

INT_PTR CALLBACK HelpProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return HelpOnInit(dlg);
    case WM_DPICHANGED:
        ShowHelpPicture(dlg, LOWORD(wp));
        return FALSE;  // the dialog manager scales the rest
    case WM_DESTROY:
        if (auto* art = reinterpret_cast<HBITMAP>(SendDlgItemMessageW(dlg, IDC_HELP_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, 0)))
            DeleteObject(art);
        break;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunCalibrationManager(HWND owner) {
    return DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_CALIB_MANAGER), owner, ManagerProc, 0);
}

HWND CreateCalibrateDialog(HWND owner) {
    if (!ValidSlot(CalibrationState.calibratingSlot)) return nullptr;
    HWND dlg = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_CALIBRATE), owner, CalibrateProc, 0);
    if (!dlg) return nullptr;
    ShellState.calibrationWnd = dlg;
    ShowWindow(dlg, SW_SHOW);
    return dlg;
}

INT_PTR ShowCalibrationHelp(HWND owner) {
    return DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_CALIB_HELP), owner, HelpProc, 0);
}

void RunCalibrateCommand() {
    if (ShellState.calibrationWnd) {
        // Already calibrating: the button brings the calibrate dialog forward.
        SetActiveWindow(ShellState.calibrationWnd);
        return;
    }
    if (!IsDeviceOpen()) return;
    if (RunCalibrationManager(ShellState.mainWnd) != IDC_CALIB_CALIBRATE) return;
    if (!CreateCalibrateDialog(ShellState.mainWnd)) return;
    SendViewRatio100();
    if (ShellState.cameraView) CameraViewRequestCalibrationLine(ShellState.cameraView);
}
