// The preview section: the display ratio (read-out, trackbar 50-200 and a "100%" check), six
// owner-drawn switches for the image effects, which are process-wide flags the frame pipeline
// reads at every frame, a row of buttons for the camera's own settings (exposure, white balance
// and anti-flicker open the quick-adjust pop-up beside them; "Reset camera" puts the camera back
// to its defaults), and the live histogram. The camera view owns the ratio; this section asks it
// to change. The flips are kept in the open camera's record. User-interface thread only.
#include "panel/flip_section_win.h"

#include <string>

#include <commctrl.h>  // after <string>: it brings strsafe.h, which hides the printf family

#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/camera_settings_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "panel/adjust_popup_win.h"
#include "panel/ctrl_panel_win.h"
#include "panel/histogram_view_win.h"
#include "panel/panel_section_win.h"
#include "panel/preview_rules.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"

namespace {

constexpr wchar_t kFlipClass[] = L"CtrlPanelFlipWndClass";
constexpr int kLastEffect = kPreviewFirstEffect + kEffectCount - 1;
constexpr int kLastControl = kPreviewHistogramRgb;
constexpr COLORREF kEffectOn = RGB(59, 180, 247);
constexpr COLORREF kEffectOff = RGB(34, 38, 51);
constexpr COLORREF kCameraButton = RGB(48, 54, 72);  // actions, not switches: a shade apart
constexpr COLORREF kCameraButtonDisabled = RGB(112, 118, 136);  // their text while there is nothing to adjust
constexpr const char* kEffectKeys[kEffectCount] = {"flip horz", "flip vert", "gray", "binary", "invert", "emboss"};
constexpr int kCameraButtons = 4;
// Buttons 110-113: their text key and the pop-up command (0: Reset camera).
constexpr struct { const char* key; int command; } kCameraButtonSpecs[kCameraButtons] = {
    {"exposure", ID_ADJUST_EXPOSURE},
    {"white balance", ID_ADJUST_WHITE_BALANCE},
    {"anti flicker", ID_ADJUST_POWER_LINE},
    {"reset camera", 0},
};

// A label of the text table as a button shows it: without the colon it has as a field label.
std::wstring ButtonText(const char* key) {
    std::wstring text = GetText(key);
    while (!text.empty() && (text.back() == L':' || text.back() == L'\uFF1A' || text.back() == L' ')) text.pop_back();
    return text;
}

bool gFlipOpen = false;  // the section's open flag, one for the class

std::atomic<int32_t>* EffectFlag(int index) {
    CaptureStateData& s = CaptureState;
    std::atomic<int32_t>* flags[kEffectCount] = {&s.flipHorizontal, &s.flipVertical, &s.gray,
                                                 &s.binary,         &s.invert,       &s.emboss};
    return flags[index];
}

HWND Item(HWND section, int id) { return GetDlgItem(section, id); }

// The view's ratio in percent; a fitted view reports the percentage it is drawn at.
int ViewRatio() {
    if (!ShellState.cameraView) return 100;
    CameraViewInfo info = CameraViewGetInfo(ShellState.cameraView);
    if (info.fit && info.imageW > 0) return MulDiv(info.displayW, 100, info.imageW);
    return info.ratio;
}

void SendViewRatio(int ratio) {
    if (ShellState.cameraView) SendMessageW(ShellState.cameraView, WM_COMMAND, VIEW_CMD_SET_RATIO, ratio);
}

void ShowRatio(HWND section, int ratio, bool moveBar) {
    std::wstring text = std::to_wstring(ratio) + L"%";
    SetDlgItemTextW(section, kPreviewRatioText, text.c_str());
    if (moveBar) SendMessageW(Item(section, kPreviewRatioBar), TBM_SETPOS, TRUE, ratio);
    CheckDlgButton(section, kPreviewRatio100, ratio == 100 ? BST_CHECKED : BST_UNCHECKED);
}

void FlipOnRefresh(HWND section, int level) {
    PreviewRefresh plan = PlanPreviewRefresh(IsDeviceOpen(), level, ViewRatio());
    if (plan.disable || plan.enable)
        for (int id = kPreviewRatioBar; id <= kLastControl; ++id) EnableWindow(Item(section, id), plan.enable);
    if (plan.showRatio) ShowRatio(section, plan.ratio, true);
    if (!plan.enable) return;
    // Exposure and anti-flicker that the camera does not offer have nothing to adjust; white
    // balance stays for the grey-area balance, which any camera can have.
    EnableWindow(Item(section, kPreviewExposure), CameraOffers(CaptureState.properties[kPropExposure]));
    EnableWindow(Item(section, kPreviewAntiFlicker), CameraOffers(CaptureState.properties[kPropPowerLine]));
    // The switches (and the white balance's button) paint from the flags.
    for (int id = kPreviewFirstEffect; id <= kPreviewResetCamera; ++id) InvalidateRect(Item(section, id), nullptr, FALSE);
}

void FlipOnTrackbar(HWND section, WPARAM wp) {
    int code = LOWORD(wp);
    int value = code == TB_THUMBPOSITION || code == TB_THUMBTRACK
                    ? int(short(HIWORD(wp)))
                    : int(SendMessageW(Item(section, kPreviewRatioBar), TBM_GETPOS, 0, 0));
    if (value == ViewRatio()) return;
    SendViewRatio(value);
    SelectTool(0);
    // Dropping an active tool puts the view back to 100 %: the chosen ratio is sent again,
    // so the view shows what the read-out says.
    if (ViewRatio() != value) SendViewRatio(value);
    ShowRatio(section, value, false);
}

void FlipOnRatio100(HWND section) {
    if (IsDlgButtonChecked(section, kPreviewRatio100) != BST_CHECKED) return;
    SendViewRatio(100);
    SetDlgItemTextW(section, kPreviewRatioText, L"100%");
    SendMessageW(Item(section, kPreviewRatioBar), TBM_SETPOS, TRUE, 100);
}

void FlipOnEffect(HWND section, int index) {
    int32_t flags[kEffectCount];
    for (int i = 0; i < kEffectCount; ++i) flags[i] = EffectFlag(i)->load();
    unsigned repaint = ToggleEffect(flags, index);
    for (int i = 0; i < kEffectCount; ++i) EffectFlag(i)->store(flags[i]);
    // The view draws the frame's rows bottom-up while the vertical flip is on; the still
    // picture shows the change at once.
    if (index == kEffectFlipVertical && ShellState.cameraView) InvalidateRect(ShellState.cameraView, nullptr, FALSE);
    for (int i = 0; i < kEffectCount; ++i)
        if (repaint & (1u << i)) InvalidateRect(Item(section, kPreviewFirstEffect + i), nullptr, FALSE);
    if (index == kEffectFlipHorizontal || index == kEffectFlipVertical) RememberFlips();
}

// "Reset camera", once the user says yes: the pop-up's values would be stale, the flips
// went off.
void FlipOnResetCamera(HWND section) {
    const std::wstring ask = GetText("reset camera ask"), title = ButtonText("reset camera");
    if (MessageBoxW(ShellState.mainWnd, ask.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    if (!IsDeviceOpen()) return;  // closed while the question was open
    CloseAdjustPopup();
    ResetOpenCamera();
    for (int id = kPreviewFirstEffect; id <= kPreviewResetCamera; ++id) InvalidateRect(Item(section, id), nullptr, FALSE);
    if (ShellState.cameraView) InvalidateRect(ShellState.cameraView, nullptr, FALSE);
    if (ShellState.mainWnd)
        ShowPrompt(ShellState.mainWnd, GetText("camera reset").c_str(), 0, ShellState.toolbarHeight + 1);
}

void FlipOnCameraButton(HWND section, int index) {
    if (kCameraButtonSpecs[index].command == 0) {
        FlipOnResetCamera(section);
        return;
    }
    RECT button;
    GetWindowRect(Item(section, kPreviewExposure + index), &button);
    RunAdjustCommandAt(kCameraButtonSpecs[index].command, &button);
}

LRESULT FlipOnDrawItem(const DRAWITEMSTRUCT* d) {
    int index = int(d->CtlID) - kPreviewFirstEffect;
    const int camera = int(d->CtlID) - kPreviewExposure;
    const bool isCamera = camera >= 0 && camera < kCameraButtons;
    if (!isCamera && (index < 0 || index >= kEffectCount)) return FALSE;
    const std::wstring text = isCamera ? ButtonText(kCameraButtonSpecs[camera].key) : GetText(kEffectKeys[index]);
    HGDIOBJ oldFont = SelectObject(d->hDC, GetPanelResources().controlFont);
    SIZE extent = {};
    GetTextExtentPoint32W(d->hDC, text.c_str(), int(text.size()), &extent);
    const RECT& r = d->rcItem;
    // White balance shows lit while a software balance corrects the picture.
    const bool balanced = isCamera && kPreviewExposure + camera == kPreviewWhiteBalance &&
                          !UnpackGains(CaptureState.channelGains.load()).Neutral();
    const bool lit = isCamera ? balanced : EffectFlag(index)->load() != 0;
    SetBkColor(d->hDC, lit ? kEffectOn : isCamera ? kCameraButton : kEffectOff);
    SetTextColor(d->hDC, isCamera && (d->itemState & ODS_DISABLED) ? kCameraButtonDisabled : RGB(255, 255, 255));
    int x = r.left + (r.right - r.left - extent.cx) / 2;
    int y = r.top + (r.bottom - r.top - extent.cy) / 2;
    ExtTextOutW(d->hDC, x, y, ETO_OPAQUE | ETO_CLIPPED, &r, text.c_str(), UINT(text.size()), nullptr);
    SelectObject(d->hDC, oldFont);
    return TRUE;
}

void FlipReloadTexts(HWND section) {
    PanelSetText(section, 100, "preview");
    for (int i = 0; i < kEffectCount; ++i) PanelSetText(section, kPreviewFirstEffect + i, kEffectKeys[i]);
    for (int i = 0; i < kCameraButtons; ++i)
        SetDlgItemTextW(section, kPreviewExposure + i, ButtonText(kCameraButtonSpecs[i].key).c_str());
    PanelSetText(section, kPreviewHistogramRgb, "hist rgb");
}

void FlipOnCreate(HWND section) {
    GetPanelResources();
    CreatePanelHeader(section, L"");
    CreatePanelControl(section, WC_STATICW, L"Ratio", SS_LEFT, kPreviewRatioText);
    HWND bar = CreatePanelControl(section, TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, kPreviewRatioBar);
    SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELPARAM(50, 200));
    SendMessageW(bar, TBM_SETPOS, TRUE, 100);
    HWND check = CreatePanelControl(section, WC_BUTTONW, L"100%", BS_AUTOCHECKBOX | BS_LEFTTEXT | BS_RIGHT | WS_TABSTOP,
                                    kPreviewRatio100);
    PanelUnthemeControl(check);
    for (int i = 0; i < kEffectCount; ++i)
        CreatePanelControl(section, WC_BUTTONW, L"", BS_OWNERDRAW | WS_TABSTOP, kPreviewFirstEffect + i);
    for (int i = 0; i < kCameraButtons; ++i)
        CreatePanelControl(section, WC_BUTTONW, L"", BS_OWNERDRAW | WS_TABSTOP, kPreviewExposure + i);
    CreateHistogramView(section, kPreviewHistogram);
    PanelUnthemeControl(CreatePanelControl(section, WC_BUTTONW, L"", BS_AUTOCHECKBOX | WS_TABSTOP, kPreviewHistogramRgb));
}

void FlipOnCommand(HWND section, WPARAM wp) {
    int id = LOWORD(wp);
    if (id == CMD_RELOAD_TEXTS) {
        FlipReloadTexts(section);
    } else if (id == kPreviewHistogramRgb) {
        HistogramViewShowChannels(Item(section, kPreviewHistogram),
                                  IsDlgButtonChecked(section, kPreviewHistogramRgb) == BST_CHECKED);
    } else if (!IsDeviceOpen()) {
        // A click queued before the camera closed (the controls are disabled since): the
        // flags were cleared with the session and stay so until a camera opens.
    } else if (id == kPreviewRatio100) {
        FlipOnRatio100(section);
    } else if (id >= kPreviewFirstEffect && id <= kLastEffect) {
        FlipOnEffect(section, id - kPreviewFirstEffect);
    } else if (id >= kPreviewExposure && id < kPreviewExposure + kCameraButtons) {
        FlipOnCameraButton(section, id - kPreviewExposure);
    }
}

void FlipLayOut(HWND section, int width) {
    PreviewLayout rects = LayOutPreviewSection(width, GetPanelResources().base);
    PanelSectionLayOut(section, rects.data(), int(rects.size()));
}

LRESULT CALLBACK FlipProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        FlipOnCreate(hwnd);
        return 0;
    case WM_SIZE:
        if (LOWORD(lp) && HIWORD(lp)) FlipLayOut(hwnd, LOWORD(lp));
        return 0;
    case WM_DPICHANGED_AFTERPARENT: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (rc.right > 0) FlipLayOut(hwnd, rc.right);
        return 0;
    }
    case WM_COMMAND:
        FlipOnCommand(hwnd, wp);
        return 0;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lp) == Item(hwnd, kPreviewRatioBar) && IsDeviceOpen()) FlipOnTrackbar(hwnd, wp);
        return 0;
    case WM_DRAWITEM:
        return FlipOnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    case WMU_PANEL_REFRESH:
        FlipOnRefresh(hwnd, int(wp));
        return 0;
    case WMU_SECTION_HEIGHTS:
        return PanelSectionHeights(kPreviewBodyUnits);
    case WMU_SECTION_TOGGLE:
        gFlipOpen = wp != 0;
        PanelSectionToggled(hwnd, kPreviewSectionIndex, kLastControl, gFlipOpen);
        return 0;
    }
    if (IsCtlColorMessage(msg)) return PanelSectionCtlColor(reinterpret_cast<HDC>(wp));
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterFlipSectionClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.style = CS_HREDRAW;
    wc.lpfnWndProc = FlipProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CtrlPanelBrush();
    wc.lpszClassName = kFlipClass;
    return RegisterClassExW(&wc) != 0;
}
