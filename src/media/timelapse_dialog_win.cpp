// The time-lapse dialog: the interval, when the run stops, what each picture shows and whether a
// video is made of them. The fields are kept from one run to the next (and across starts, in
// the registry key "Software\Vardelo\Timelapse"). User-interface thread only.
#include "media/timelapse_dialog_win.h"

#include <string>

#include "app/shell_state_win.h"
#include "resources/timelapse_dialog.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/calibration_dialogs_win.h"  // PlaceDialogBelowMainTop

namespace {

constexpr wchar_t kFormKey[] = L"Software\\Vardelo\\Timelapse";

struct ItemText {
    int id;
    const char* key;
};
constexpr ItemText kTexts[] = {
    {IDC_TL_EVERY_LABEL, "tl every"}, {IDC_TL_STOP_GROUP, "tl stop group"}, {IDC_TL_STOP_COUNT, "tl after"},
    {IDC_TL_COUNT_UNIT, "tl pictures"}, {IDC_TL_STOP_DURATION, "tl after"}, {IDC_TL_STOP_NEVER, "tl never"},
    {IDC_TL_TAKE_GROUP, "tl take group"}, {IDC_TL_TAKE_VIEW, "tl take view"}, {IDC_TL_TAKE_FRAME, "tl take frame"},
    {IDC_TL_VIDEO, "tl video"}, {IDC_TL_FPS_LABEL, "tl fps"}, {IDOK, "tl start"}, {IDCANCEL, "cancel"},
};

// The stored form; the defaults for what is not stored.
TimelapseForm LoadForm() {
    TimelapseForm f;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kFormKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return f;
    auto read = [&](const wchar_t* name, int64_t fallback, int64_t low, int64_t high) -> int64_t {
        DWORD value = 0, size = sizeof(value), type = 0;
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
            type != REG_DWORD || int64_t(value) < low || int64_t(value) > high)
            return fallback;
        return int64_t(value);
    };
    f.interval = read(L"Interval", f.interval, 1, 1000000);
    f.intervalUnit = int32_t(read(L"IntervalUnit", f.intervalUnit, 0, 2));
    f.stop = TimelapseStop(read(L"Stop", int64_t(f.stop), 0, 2));
    f.count = read(L"Count", f.count, 1, 100000000);
    f.duration = read(L"Duration", f.duration, 1, 1000000);
    f.durationUnit = int32_t(read(L"DurationUnit", f.durationUnit, 0, 1));
    f.take = TimelapseTake(read(L"Take", int64_t(f.take), 0, 1));
    f.video = read(L"Video", f.video ? 1 : 0, 0, 1) == 1;
    f.videoFps = int32_t(read(L"VideoFps", f.videoFps, 1, kTimelapseMaxVideoFps));
    RegCloseKey(key);
    return f;
}

void StoreForm(const TimelapseForm& f) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kFormKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    auto write = [&](const wchar_t* name, int64_t value) {
        const DWORD v = DWORD(value);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
    };
    write(L"Interval", f.interval);
    write(L"IntervalUnit", f.intervalUnit);
    write(L"Stop", int64_t(f.stop));
    write(L"Count", f.count);
    write(L"Duration", f.duration);
    write(L"DurationUnit", f.durationUnit);
    write(L"Take", int64_t(f.take));
    write(L"Video", f.video ? 1 : 0);
    write(L"VideoFps", f.videoFps);
    RegCloseKey(key);
}

void Fill(HWND dlg, int id, std::initializer_list<const char*> keys, int selected) {
    HWND list = GetDlgItem(dlg, id);
    for (const char* k : keys) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GetText(k).c_str()));
    SendMessageW(list, CB_SETCURSEL, WPARAM(selected), 0);
}

int64_t Number(HWND dlg, int id, int64_t fallback) {
    wchar_t text[24] = {};
    GetDlgItemTextW(dlg, id, text, 24);
    wchar_t* end = nullptr;
    const long long v = wcstoll(text, &end, 10);
    return end != text && v > 0 ? int64_t(v) : fallback;
}

// The stop fields are usable only with their own choice.
void EnableFields(HWND dlg) {
    const bool count = IsDlgButtonChecked(dlg, IDC_TL_STOP_COUNT) == BST_CHECKED;
    const bool duration = IsDlgButtonChecked(dlg, IDC_TL_STOP_DURATION) == BST_CHECKED;
    EnableWindow(GetDlgItem(dlg, IDC_TL_COUNT), count);
    EnableWindow(GetDlgItem(dlg, IDC_TL_DURATION), duration);
    EnableWindow(GetDlgItem(dlg, IDC_TL_DURATION_UNIT), duration);
    EnableWindow(GetDlgItem(dlg, IDC_TL_VIDEO_FPS), IsDlgButtonChecked(dlg, IDC_TL_VIDEO) == BST_CHECKED);
}

void OnInit(HWND dlg, const TimelapseForm& f) {
    SetWindowTextW(dlg, GetText("time-lapse").c_str());
    for (const ItemText& t : kTexts) SetDlgItemTextW(dlg, t.id, GetText(t.key).c_str());
    PlaceDialogBelowMainTop(dlg);
    SetDlgItemInt(dlg, IDC_TL_INTERVAL, UINT(f.interval), FALSE);
    Fill(dlg, IDC_TL_UNIT, {"tl seconds", "tl minutes", "tl hours"}, f.intervalUnit);
    SetDlgItemInt(dlg, IDC_TL_COUNT, UINT(f.count), FALSE);
    SetDlgItemInt(dlg, IDC_TL_DURATION, UINT(f.duration), FALSE);
    Fill(dlg, IDC_TL_DURATION_UNIT, {"tl minutes", "tl hours"}, f.durationUnit);
    const int stop = f.stop == TimelapseStop::AfterCount ? IDC_TL_STOP_COUNT
                     : f.stop == TimelapseStop::AfterDuration ? IDC_TL_STOP_DURATION
                                                                : IDC_TL_STOP_NEVER;
    CheckRadioButton(dlg, IDC_TL_STOP_COUNT, IDC_TL_STOP_NEVER, stop);
    CheckRadioButton(dlg, IDC_TL_TAKE_VIEW, IDC_TL_TAKE_FRAME,
                     f.take == TimelapseTake::View ? IDC_TL_TAKE_VIEW : IDC_TL_TAKE_FRAME);
    CheckDlgButton(dlg, IDC_TL_VIDEO, f.video ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(dlg, IDC_TL_VIDEO_FPS, UINT(f.videoFps), FALSE);
    EnableFields(dlg);
}

TimelapseForm FormOf(HWND dlg, const TimelapseForm& before) {
    TimelapseForm f = before;
    f.interval = Number(dlg, IDC_TL_INTERVAL, before.interval);
    f.intervalUnit = int32_t(SendDlgItemMessageW(dlg, IDC_TL_UNIT, CB_GETCURSEL, 0, 0));
    if (f.intervalUnit < 0) f.intervalUnit = 0;
    f.stop = IsDlgButtonChecked(dlg, IDC_TL_STOP_COUNT) == BST_CHECKED      ? TimelapseStop::AfterCount
             : IsDlgButtonChecked(dlg, IDC_TL_STOP_DURATION) == BST_CHECKED ? TimelapseStop::AfterDuration
                                                                            : TimelapseStop::Never;
    f.count = Number(dlg, IDC_TL_COUNT, before.count);
    f.duration = Number(dlg, IDC_TL_DURATION, before.duration);
    f.durationUnit = int32_t(SendDlgItemMessageW(dlg, IDC_TL_DURATION_UNIT, CB_GETCURSEL, 0, 0));
    if (f.durationUnit < 0) f.durationUnit = 0;
    f.take = IsDlgButtonChecked(dlg, IDC_TL_TAKE_FRAME) == BST_CHECKED ? TimelapseTake::CameraFrame : TimelapseTake::View;
    f.video = IsDlgButtonChecked(dlg, IDC_TL_VIDEO) == BST_CHECKED;
    f.videoFps = int32_t(std::min<int64_t>(Number(dlg, IDC_TL_VIDEO_FPS, before.videoFps), kTimelapseMaxVideoFps));
    return f;
}

struct DialogParams {
    TimelapseForm form;
};

INT_PTR CALLBACK TimelapseDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        OnInit(dlg, reinterpret_cast<DialogParams*>(lp)->form);
        return TRUE;
    }
    auto* params = reinterpret_cast<DialogParams*>(GetWindowLongPtrW(dlg, DWLP_USER));
    if (!params || msg != WM_COMMAND) return FALSE;
    switch (LOWORD(wp)) {
    case IDC_TL_STOP_COUNT:
    case IDC_TL_STOP_DURATION:
    case IDC_TL_STOP_NEVER:
    case IDC_TL_VIDEO: EnableFields(dlg); return TRUE;
    case IDOK:
        params->form = FormOf(dlg, params->form);
        EndDialog(dlg, IDOK);
        return TRUE;
    case IDCANCEL: EndDialog(dlg, IDCANCEL); return TRUE;
    }
    return FALSE;
}

}  // namespace

bool RunTimelapseDialog(HWND parent, TimelapsePlan* plan) {
    DialogParams params{LoadForm()};
    HINSTANCE instance = ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
    if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_TIMELAPSE), parent, TimelapseDlgProc,
                        reinterpret_cast<LPARAM>(&params)) != IDOK)
        return false;
    StoreForm(params.form);
    *plan = PlanFromForm(params.form);
    return true;
}
