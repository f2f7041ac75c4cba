// The options dialog: drawing colours as swatch lists, line width, text size, the save folder
// with a folder browser, the photo format and the language. OK stores, applies and saves;
// Cancel stores nothing. The rules behind the lists are in options_choices.cpp.
#include "settings/options_dialog_win.h"


#include <string>
#include <vector>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "resources/options_dialogs.h"
#include "settings/about_dialog_win.h"
#include "settings/app_settings.h"
#include "settings/file_dialogs_win.h"
#include "settings/folder_path.h"
#include "settings/options_choices.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/calibration_dialogs_win.h"
#include "view/camera_view_win.h"

namespace {

struct ItemText {
    int id;
    const char* key;
};
// Texts taken from the table when the language is not 0; "About" keeps its template text.
constexpr ItemText kOptionTexts[] = {
    {IDC_OPT_MEASURE_GROUP, "measure"},   {IDC_OPT_RULER_LABEL, "ruler color"},
    {IDC_OPT_LINE_COLOR_LABEL, "line color"}, {IDC_OPT_LINE_WIDTH_LABEL, "line width"},
    {IDC_OPT_TEXT_COLOR_LABEL, "text color"}, {IDC_OPT_TEXT_SIZE_LABEL, "text size"},
    {IDC_OPT_PHOTO_GROUP, "photo video"}, {IDC_OPT_FOLDER_LABEL, "save path"},
    {IDC_OPT_FORMAT_LABEL, "jpg png"},    {IDC_OPT_LANGUAGE_GROUP, "language"},
    {IDOK, "ok"},                         {IDCANCEL, "cancel"},
};

// The on/off options added to the template (the label background in the measure group, the
// others in the image and video group): their texts come from the table in
// every language (the template has no others), their values straight from the settings.
struct OptionSwitch {
    int id;
    const char* key;
    int32_t AppSettingsData::*value;
};
constexpr OptionSwitch kOptionSwitches[] = {
    {IDC_OPT_SCALE_BAR, "scale bar", &AppSettingsData::scaleBar},
    {IDC_OPT_PHOTO_MEASURES, "measures with photos", &AppSettingsData::measuresWithPhotos},
    {IDC_OPT_COMPRESS_VIDEO, "compress video", &AppSettingsData::compressVideo},
    {IDC_OPT_LABEL_BACK, "label back", &AppSettingsData::labelBacking},
};

bool IsColorList(UINT id) {
    return id == IDC_OPT_RULER_COLOR || id == IDC_OPT_LINE_COLOR || id == IDC_OPT_TEXT_COLOR;
}

void FillList(HWND dlg, int id, const std::vector<std::wstring>& rows, int selected) {
    HWND list = GetDlgItem(dlg, id);
    for (const std::wstring& row : rows) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    SendMessageW(list, CB_SETCURSEL, WPARAM(selected), 0);  // kNoRow leaves the list without a selection
}

int SelectedRow(HWND dlg, int id) {
    LRESULT row = SendDlgItemMessageW(dlg, id, CB_GETCURSEL, 0, 0);
    return row == CB_ERR ? kNoRow : int(row);
}

BOOL OptionsOnInit(HWND dlg) {
    if (AppSettings.language != 0) {
        SetWindowTextW(dlg, GetText("setting").c_str());
        for (const ItemText& t : kOptionTexts) SetDlgItemTextW(dlg, t.id, GetText(t.key).c_str());
    }
    PlaceDialogBelowMainTop(dlg);
    OptionsChoice c = ChoiceFromSettings(AppSettings);
    FillList(dlg, IDC_OPT_RULER_COLOR, ColorRows(), c.gridRow);
    FillList(dlg, IDC_OPT_LINE_COLOR, ColorRows(), c.lineRow);
    FillList(dlg, IDC_OPT_TEXT_COLOR, ColorRows(), c.textRow);
    FillList(dlg, IDC_OPT_LINE_WIDTH, LineWidthRows(), c.widthRow);
    FillList(dlg, IDC_OPT_TEXT_SIZE, TextSizeRows(), c.sizeRow);
    FillList(dlg, IDC_OPT_FORMAT, PhotoFormatRows(), c.formatRow);
    FillList(dlg, IDC_OPT_LANGUAGE, LanguageRows(), c.languageRow);
    SendDlgItemMessageW(dlg, IDC_OPT_FOLDER, EM_LIMITTEXT, kImgDirChars - 1, 0);
    SetDlgItemTextW(dlg, IDC_OPT_FOLDER, c.folder.c_str());
    for (const OptionSwitch& o : kOptionSwitches) {
        SetDlgItemTextW(dlg, o.id, GetText(o.key).c_str());
        CheckDlgButton(dlg, o.id, AppSettings.*o.value ? BST_CHECKED : BST_UNCHECKED);
    }
    return TRUE;
}

// The swatch rows are as high as a text row of the dialog's font and 2 pixels (at 96 dpi).
int SwatchRowHeight(HWND dlg) {
    HDC dc = GetDC(dlg);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(dlg, dc);
    return tm.tmHeight + ScalePx(2, DpiOf(dlg));
}

void OptionsOnMeasureItem(HWND dlg, MEASUREITEMSTRUCT* m) { m->itemHeight = UINT(SwatchRowHeight(dlg)); }

// After a change of display scale the dialog manager has given the lists the new font, but
// the swatch rows keep the height they were measured with: measured again at the new scale.
void OptionsRemeasureSwatches(HWND dlg) {
    const int height = SwatchRowHeight(dlg);
    for (int id : {IDC_OPT_RULER_COLOR, IDC_OPT_LINE_COLOR, IDC_OPT_TEXT_COLOR}) {
        SendDlgItemMessageW(dlg, id, CB_SETITEMHEIGHT, WPARAM(-1), height);  // the selection field
        SendDlgItemMessageW(dlg, id, CB_SETITEMHEIGHT, 0, height);           // the rows of the list
    }
}

// A swatch row: filled with its palette colour, framed light grey, focus rectangle when focused.
// Rows outside the palette (an empty selection included) are left to default processing.
BOOL OptionsOnDrawItem(const DRAWITEMSTRUCT* d) {
    if (d->CtlType != ODT_COMBOBOX || !IsColorList(d->CtlID) || d->itemID >= kPaletteSize) return FALSE;
    RECT r = d->rcItem;
    HBRUSH fill = CreateSolidBrush(ColorPalette[d->itemID]);
    FillRect(d->hDC, &r, fill);
    DeleteObject(fill);
    FrameRect(d->hDC, &r, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    if (d->itemState & ODS_FOCUS) DrawFocusRect(d->hDC, &r);
    return TRUE;
}

// The picked folder replaces the field's text; nothing is stored before OK. The picker opens
// at the folder in the field.
void OptionsOnBrowse(HWND dlg) {
    wchar_t current[kImgDirChars] = {};
    GetDlgItemTextW(dlg, IDC_OPT_FOLDER, current, int(kImgDirChars));
    std::wstring picked;
    if (PickFolder(dlg, current, &picked)) SetDlgItemTextW(dlg, IDC_OPT_FOLDER, picked.c_str());
}

// A new language reaches every window that shows text now: the panel, both toolbars, an open
// quick-adjust pop-up and the camera view's two placeholders; dialogs read it when they open.
void ApplyLanguage() {
    LoadTextTable(AppSettings.language);
    for (HWND w : {ShellState.panel, ShellState.hToolbar, ShellState.vToolbar, ShellState.adjustPopup})
        if (w) PostMessageW(w, WM_COMMAND, CMD_RELOAD_TEXTS, 0);
    if (ShellState.cameraView)
        CameraViewSetPrompts(ShellState.cameraView, GetText("no device").c_str(), GetText("input tip").c_str());
}

void OptionsOnOk(HWND dlg) {
    OptionsChoice c;
    c.gridRow = SelectedRow(dlg, IDC_OPT_RULER_COLOR);
    c.lineRow = SelectedRow(dlg, IDC_OPT_LINE_COLOR);
    c.textRow = SelectedRow(dlg, IDC_OPT_TEXT_COLOR);
    c.widthRow = SelectedRow(dlg, IDC_OPT_LINE_WIDTH);
    c.sizeRow = SelectedRow(dlg, IDC_OPT_TEXT_SIZE);
    c.formatRow = SelectedRow(dlg, IDC_OPT_FORMAT);
    c.languageRow = SelectedRow(dlg, IDC_OPT_LANGUAGE);
    wchar_t folder[kImgDirChars] = {};
    GetDlgItemTextW(dlg, IDC_OPT_FOLDER, folder, int(kImgDirChars));
    c.folder = folder;
    const size_t first = c.folder.find_first_not_of(L" \t"), last = c.folder.find_last_not_of(L" \t");
    c.folder = first == std::wstring::npos ? std::wstring() : c.folder.substr(first, last - first + 1);
    // A relative path would put photos wherever the working folder happens to be: the dialog
    // stays open until the field names a whole path.
    if (!IsFullFolderPath(c.folder)) {
        wchar_t caption[128] = {};
        GetWindowTextW(dlg, caption, 128);
        MessageBoxW(dlg, GetText("folder not full").c_str(), caption, MB_OK | MB_ICONWARNING);
        HWND field = GetDlgItem(dlg, IDC_OPT_FOLDER);
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
        return;
    }
    if (ApplyOptionsChoice(c, AppSettings)) ApplyLanguage();
    for (const OptionSwitch& o : kOptionSwitches) AppSettings.*o.value = IsDlgButtonChecked(dlg, o.id) == BST_CHECKED;
    SaveSettings();
    if (ShellState.mainWnd) PostMessageW(ShellState.mainWnd, WM_COMMAND, CMD_APPLY_DRAW_SETTINGS, 0);
    EndDialog(dlg, IDOK);
}

INT_PTR CALLBACK OptionsProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return OptionsOnInit(dlg);
    case WM_MEASUREITEM:
        OptionsOnMeasureItem(dlg, reinterpret_cast<MEASUREITEMSTRUCT*>(lp));
        return TRUE;
    case WM_DRAWITEM:
        return OptionsOnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    case WM_DPICHANGED:
        PostMessageW(dlg, WM_COMMAND, IDC_OPT_REMEASURE, 0);  // once the dialog manager has scaled it
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_OPT_BROWSE: OptionsOnBrowse(dlg); return TRUE;
        case IDC_OPT_ABOUT: RunAboutDialog(dlg); return TRUE;
        case IDC_OPT_REMEASURE: OptionsRemeasureSwatches(dlg); return TRUE;
        case IDOK: OptionsOnOk(dlg); return TRUE;
        case IDCANCEL: EndDialog(dlg, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunOptionsDialog(HWND owner) {
    HINSTANCE instance = ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_OPTIONS), owner, OptionsProc, 0);
}
