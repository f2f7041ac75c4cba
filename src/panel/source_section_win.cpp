// The source section: three drop-down lists filled from the camera device layer (cameras,
// sizes of the running format, formats) and two shortcut buttons. It keeps nothing of the
// device layer between messages: every refresh and every choice reads the running session
// afresh, so a message that arrives after the camera closed or changed finds nothing stale.
// User-interface thread only.
#include "panel/source_section_win.h"

#include <string>
#include <vector>

#include <commctrl.h>  // after <string>: it brings strsafe.h, which hides the printf family

#include "app/display_scale.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "capture/format_lists.h"
#include "capture/open_dialog_win.h"
#include "frame/capture_state_win.h"
#include "panel/ctrl_panel_win.h"
#include "panel/panel_section_win.h"
#include "panel/readout_line_win.h"
#include "resources/panel_resources.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"

namespace {

constexpr wchar_t kSourceClass[] = L"CtrlPanelSourceWndClass";
constexpr int kLastControl = kSourceMosaicButton;  // ids 101 to 111
constexpr int kIconSize = 20;  // at 96 dpi; the icons hold it at 1.5x and 2x too

bool gSourceOpen = false;  // the section's open flag, one for the class
HWND gButtonTip = nullptr;  // the tooltip of the buttons whose command has a key
int gLabelWidth = 0;       // widest label of the current language, in pixels

struct ImageSize {
    int width = 0, height = 0;
};

// The camera view's image size (the size shown, synthetic sizes included).
ImageSize ViewImageSize() {
    if (!ShellState.cameraView) return {};
    CameraViewInfo info = CameraViewGetInfo(ShellState.cameraView);
    return {info.imageW, info.imageH};
}

HWND Item(HWND section, int id) { return GetDlgItem(section, id); }

void FillCombo(HWND combo, const std::vector<std::wstring>& rows, int select) {
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& row : rows) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    if (select >= 0) SendMessageW(combo, CB_SETCURSEL, WPARAM(select), 0);
}

void SourceFillDevices(HWND section) {
    HWND list = Item(section, kSourceDeviceList);
    int remembered = int(SendMessageW(list, CB_GETCURSEL, 0, 0));
    std::vector<std::wstring> names;
    for (const CameraDevice& d : DeviceList) names.push_back(d.friendlyName);
    if (names.empty()) {
        FillCombo(list, {GetText("click open")}, 0);
        return;
    }
    FillCombo(list, names, remembered);
}

void SourceOnRefresh(HWND section, int level) {
    if (level >= 2) {
        SourceFillDevices(section);
        return;
    }
    if (!IsDeviceOpen()) {
        SourceFillDevices(section);
        SendMessageW(Item(section, kSourceSizeList), CB_RESETCONTENT, 0, 0);
        SendMessageW(Item(section, kSourceFormatList), CB_RESETCONTENT, 0, 0);
        return;
    }
    if (CaptureState.catalogue.Empty()) EnsureFormatCatalogue();
    const FormatCatalogue& catalogue = CaptureState.catalogue;
    std::vector<std::wstring> names;
    for (const CameraDevice& d : DeviceList) names.push_back(d.friendlyName);
    FillCombo(Item(section, kSourceDeviceList), names, currentDeviceIndex);
    FillCombo(Item(section, kSourceFormatList), FormatNames(catalogue),
              RunningFormatRow(catalogue, CaptureState.subtype));
    const FormatMap& sizes = MapOfSubtype(catalogue, CaptureState.subtype);
    ImageSize image = ViewImageSize();
    FillCombo(Item(section, kSourceSizeList), SizeNames(sizes), SizeIndex(sizes, image.width, image.height, 0));
}

void RefreshPanel(HWND section) {
    PostMessageW(GetParent(section), WMU_PANEL_REFRESH, 1, 0);
}

// The device list closed (whether or not the choice changed): the open-microscope dialog.
void SourceOnDeviceListClosed(HWND section) {
    OpenWithFormat(OpenDialogPreset(), true);
    RefreshPanel(section);
}

void SourceOnSizeChosen(HWND section) {
    if (!IsDeviceOpen()) return;
    int row = int(SendMessageW(Item(section, kSourceSizeList), CB_GETCURSEL, 0, 0));
    ImageSize image = ViewImageSize();
    // A copy: reopening clears the catalogue the entry came from.
    std::optional<CameraFormat> choice =
        SizeChoice(CaptureState.catalogue, CaptureState.subtype, row, image.width, image.height);
    if (!choice) return;
    OpenWithFormat(*choice, false);
    RefreshPanel(section);
}

void SourceOnFormatChosen(HWND section) {
    if (!IsDeviceOpen()) return;
    int row = int(SendMessageW(Item(section, kSourceFormatList), CB_GETCURSEL, 0, 0));
    if (row < 0) return;
    ImageSize image = ViewImageSize();
    CameraFormat format = {SubtypeOfFormatRow(CaptureState.catalogue, row), image.width, image.height,
                           CaptureState.interpolated};
    OpenWithFormat(format, false);
    RefreshPanel(section);
}

void SourceLayOut(HWND section) {
    RECT rc;
    GetClientRect(section, &rc);
    if (rc.right <= 0 || rc.bottom <= 0) return;
    SourceLayout rects = LayOutSourceSection(rc.right, GetPanelResources().base, gLabelWidth);
    PanelSectionLayOut(section, rects.data(), int(rects.size()));
}

// Labels longer than their column (a language's longer words, a narrower system font) widen
// it instead of being cut.
void MeasureLabels(HWND section) {
    HDC dc = GetDC(section);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, GetPanelResources().controlFont);
    gLabelWidth = 0;
    for (const char* key : {"name", "resolution", "format"}) {
        const std::wstring& text = GetText(key);
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
        if (extent.cx + 2 > gLabelWidth) gLabelWidth = extent.cx + 2;
    }
    SelectObject(dc, old);
    ReleaseDC(section, dc);
}

// The time-lapse and mosaic buttons name their keys in their tooltips.
constexpr struct { int id; const char* text; const char* key; } kKeyedButtons[] = {
    {kSourceTimelapseButton, "time-lapse", "key ctrl t"},
    {kSourceMosaicButton, "mosaic", "key ctrl m"},
};

void MakeButtonTips(HWND section) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(section, GWLP_HINSTANCE));
    gButtonTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, section, nullptr, instance, nullptr);
    if (!gButtonTip) return;
    for (const auto& b : kKeyedButtons) {
        TTTOOLINFOW ti = {sizeof(ti)};
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = section;
        ti.uId = reinterpret_cast<UINT_PTR>(Item(section, b.id));
        ti.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(gButtonTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void SetButtonTips(HWND section) {
    if (!gButtonTip) return;
    for (const auto& b : kKeyedButtons) {
        const std::wstring tip = WithShortcut(GetText(b.text), GetText(b.key));
        TTTOOLINFOW ti = {sizeof(ti)};
        ti.hwnd = section;
        ti.uId = reinterpret_cast<UINT_PTR>(Item(section, b.id));
        ti.lpszText = const_cast<wchar_t*>(tip.c_str());
        SendMessageW(gButtonTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void SourceOnCommand(HWND section, WPARAM wp) {
    int id = LOWORD(wp), code = HIWORD(wp);
    switch (id) {
    case CMD_RELOAD_TEXTS:
        PanelSetText(section, 100, "device");
        PanelSetText(section, 101, "name");
        PanelSetText(section, 103, "resolution");
        PanelSetText(section, 105, "format");
        PanelSetText(section, kSourceFolderButton, "files");
        PanelSetText(section, kSourceSettingsButton, "setting");
        PanelSetText(section, kSourceTimelapseButton, "time-lapse");
        ReadoutReloadTexts(section);
        PanelSetText(section, kSourceMosaicButton, "mosaic");
        SetButtonTips(section);
        if (DeviceList.empty()) SourceFillDevices(section);
        MeasureLabels(section);
        SourceLayOut(section);
        break;
    case kSourceDeviceList:
        if (code == CBN_CLOSEUP) SourceOnDeviceListClosed(section);
        break;
    case kSourceSizeList:
        if (code == CBN_SELCHANGE) SourceOnSizeChosen(section);
        break;
    case kSourceFormatList:
        if (code == CBN_SELCHANGE) SourceOnFormatChosen(section);
        break;
    case kSourceFolderButton:
        if (ShellState.mainWnd) PostMessageW(ShellState.mainWnd, WM_COMMAND, ID_OPEN_FOLDER, 0);
        break;
    case kSourceSettingsButton:
        if (ShellState.mainWnd) PostMessageW(ShellState.mainWnd, WM_COMMAND, ID_OPTIONS, 0);
        break;
    case kSourceTimelapseButton:
        if (ShellState.mainWnd) PostMessageW(ShellState.mainWnd, WM_COMMAND, ID_TIMELAPSE, 0);
        break;
    case kSourceMosaicButton:
        if (ShellState.mainWnd) PostMessageW(ShellState.mainWnd, WM_COMMAND, ID_MOSAIC, 0);
        break;
    }
}

// The buttons' icons at the panel's scale: the image drawn for the nearest artwork scale, never
// stretched. Not shared (a shared icon keeps the size it was first loaded at); the ones they
// replace are destroyed.
HICON gButtonIcons[2] = {};

void SetButtonIcons(HWND section) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(section, GWLP_HINSTANCE));
    const int size = ArtPx(kIconSize, ArtScaleFor(GetPanelResources().dpi));
    const struct { int id, resource; } buttons[] = {{kSourceFolderButton, IDI_PANEL_FOLDER},
                                                    {kSourceSettingsButton, IDI_PANEL_SETTINGS}};
    for (int i = 0; i < 2; ++i) {
        HICON icon = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(buttons[i].resource), IMAGE_ICON, size, size, 0));
        if (!icon) continue;
        SendMessageW(Item(section, buttons[i].id), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        if (gButtonIcons[i]) DestroyIcon(gButtonIcons[i]);
        gButtonIcons[i] = icon;
    }
}

void SourceOnCreate(HWND section) {
    GetPanelResources();
    CreatePanelHeader(section, L"");
    CreatePanelControl(section, WC_STATICW, L"", SS_RIGHT, 101);
    CreatePanelControl(section, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kSourceDeviceList);
    CreatePanelControl(section, WC_STATICW, L"", SS_RIGHT, 103);
    CreatePanelControl(section, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kSourceSizeList);
    CreatePanelControl(section, WC_STATICW, L"", SS_RIGHT, 105);
    CreatePanelControl(section, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kSourceFormatList);
    CreatePanelControl(section, WC_BUTTONW, L"", BS_PUSHBUTTON | WS_TABSTOP, kSourceFolderButton);
    CreatePanelControl(section, WC_BUTTONW, L"", BS_PUSHBUTTON | WS_TABSTOP, kSourceSettingsButton);
    CreatePanelControl(section, WC_BUTTONW, L"", BS_PUSHBUTTON | WS_TABSTOP, kSourceTimelapseButton);
    CreatePanelControl(section, WC_BUTTONW, L"", BS_PUSHBUTTON | WS_TABSTOP, kSourceMosaicButton);
    SetButtonIcons(section);
    CreateReadoutLine(section);
    MakeButtonTips(section);
}

LRESULT CALLBACK SourceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        SourceOnCreate(hwnd);
        return 0;
    case WM_SIZE:
        if (LOWORD(lp) && HIWORD(lp)) SourceLayOut(hwnd);
        return 0;
    case WM_COMMAND:
        SourceOnCommand(hwnd, wp);
        return 0;
    case WMU_PANEL_REFRESH:
        SourceOnRefresh(hwnd, int(wp));
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        SetButtonIcons(hwnd);
        MeasureLabels(hwnd);
        SourceLayOut(hwnd);
        return 0;
    case WM_TIMER:
        if (ReadoutOnTimer(hwnd, wp)) return 0;
        break;
    case WMU_SECTION_HEIGHTS:
        return PanelSectionHeights(kSourceSectionUnits);
    case WMU_SECTION_TOGGLE:
        gSourceOpen = wp != 0;
        PanelSectionToggled(hwnd, kSourceSectionIndex, kLastControl, gSourceOpen);
        return 0;
    }
    if (IsCtlColorMessage(msg)) return PanelSectionCtlColor(reinterpret_cast<HDC>(wp));
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterSourceSectionClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.style = CS_HREDRAW;
    wc.lpfnWndProc = SourceProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CtrlPanelBrush();
    wc.lpszClassName = kSourceClass;
    return RegisterClassExW(&wc) != 0;
}

std::wstring SourceButtonTipText(HWND section, int id) {
    if (!gButtonTip) return L"";
    wchar_t text[128] = {};
    TTTOOLINFOW ti = {sizeof(ti)};
    ti.hwnd = section;
    ti.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(section, id));
    ti.lpszText = text;
    SendMessageW(gButtonTip, TTM_GETTEXTW, WPARAM(std::size(text)), reinterpret_cast<LPARAM>(&ti));
    return text;
}
