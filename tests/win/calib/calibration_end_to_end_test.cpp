// Calibrating end to end with the virtual microscope (400 pixels per millimetre on its stage
// micrometer): the real main window opens the camera; the calibrate command runs the manager,
// the calibration line is dragged by mouse to 400 pixels and typed as 1 mm, the manager comes
// back and applies the slot; the crossline switches on with a 0.2 mm step of 80 pixels, a line
// drawn by mouse over 400 pixels is labelled 1 mm, and the slot is in the settings and is read
// back by the next start's settings load.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "app/toolbar_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "calib/calibration_lists_win.h"
#include "calib/shot_win.h"
#include "common/main_window_fixture_win.h"
#include "common/modal_script_win.h"
#include "common/pixels_win.h"
#include "common/pump_win.h"
#include "resources/calibration_dialogs.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "common/vcam_harness_win.h"
#include "view/calibration_table.h"
#include "view/calibration_workflow.h"
#include "view/camera_view_win.h"
#include "view/measure_model.h"
#include "view/overlay.h"

namespace {

constexpr int kW = 1280, kH = 720;
constexpr COLORREF kGrid = RGB(255, 0, 255);   // palette 0xFF00FF
constexpr COLORREF kText = RGB(255, 255, 0);   // palette 0x00FFFF

// Image point to the view's client point, as the view maps it back (ToImage).
POINT ClientOf(HWND view, int ix, int iy) {
    CameraViewInfo info = CameraViewGetInfo(view);
    RECT rc;
    GetClientRect(view, &rc);
    int cx = ix - info.scrollX, cy = iy - info.scrollY;
    if (rc.right > kW) cx += (rc.right - kW) / 2;
    if (rc.bottom > kH) cy += (rc.bottom - kH) / 2;
    return {cx, cy};
}

void Mouse(HWND view, UINT msg, POINT p, WPARAM keys) { SendMessageW(view, msg, keys, MAKELPARAM(p.x, p.y)); }

// Drags with the left button from image point a to image point b in a few moves.
void Drag(HWND view, POINT a, POINT b) {
    Mouse(view, WM_LBUTTONDOWN, ClientOf(view, a.x, a.y), MK_LBUTTON);
    for (int i = 1; i <= 4; ++i) {
        POINT p = {a.x + (b.x - a.x) * i / 4, a.y + (b.y - a.y) * i / 4};
        Mouse(view, WM_MOUSEMOVE, ClientOf(view, p.x, p.y), MK_LBUTTON);
    }
    Mouse(view, WM_LBUTTONUP, ClientOf(view, b.x, b.y), 0);
}

// Keeps the texts the overlay writes.
class TextRecorder : public DrawSurface {
public:
    std::vector<std::wstring> texts;
    TextExtent MeasureText(const wchar_t*, int length) override { return {7 * length, 16}; }
    void AaLine(AaPen, int, int, int, int) override {}
    void AaArc(AaPen, int, int, int, int, float, float) override {}
    void Frame(int, int, int, int) override {}
    void Fill(int, int, int, int) override {}
    void Line(SolidPen, int, int, int, int) override {}
    void Polyline(SolidPen, const ShapePoint*, int) override {}
    void ClippedText(const wchar_t* text, int length, int, int, int, int) override { texts.emplace_back(text, length); }
    bool Has(const std::wstring& t) const {
        for (auto& s : texts)
            if (s == t) return true;
        return false;
    }
};

class CalibrationEndToEnd : public MainWindowFixture {
protected:
    void TearDown() override {
        MainWindowFixture::TearDown();
        ShellState = ShellStateData{};
        ShellState.instance = GetModuleHandleW(nullptr);
    }
};

TEST_F(CalibrationEndToEnd, CalibrateApplyMeasureAndReadBack) {
    ASSERT_NO_FATAL_FAILURE(AddCamera(L"Calibration Scope", L"--formats \"MJPG 1280x720\" --ppmm 400"));
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    LoadSettings();  // defaults, English, ten empty slots
    AppSettings.gridColor = 0xFF00FF;
    AppSettings.textColor = 0x00FFFF;
    AppSettings.lineColor = 0x00FF00;
    requestedFormat = {kSubtypeMjpg, kW, kH, 0};
    CalibrationState = CalibrationStateData{};

    ASSERT_NO_FATAL_FAILURE(StartMaximised());
    // The view's timer opens the camera; frames flow into compositions.
    streamingFrames = 4;
    ASSERT_TRUE(Streaming());
    ASSERT_EQ(CameraViewGetInfo(view).imageW, kW);

    // Without a calibration the "calibration changed" command changes nothing.
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 50);
    SendMessageW(main, WM_COMMAND, CMD_CALIBRATION_CHANGED, 0);
    EXPECT_FALSE(CameraViewCrossline(view));
    EXPECT_EQ(CameraViewGetInfo(view).ratio, 50);

    const wchar_t* manager = L"Config calibrations";
    bool lineSet = false;
    POINT heldEnd = {};
    std::vector<ScriptStep> steps = {
        // 1. The manager: calibrate slot 1 (row 0).
        OnDialog(manager, [&](HWND dlg) {
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_CALIB_CALIBRATE)));
            SelectRow(GetDlgItem(dlg, IDC_CALIB_LIST), 0);
            ClickDialogButton(dlg, IDC_CALIB_CALIBRATE);
        }),
        // 2. The calibrate dialog is up and the view has drawn the fresh line: W/3 centred.
        [&] {
            if (lineSet) {  // a tick later, with everything painted
                Shot(GetDesktopWindow(), L"e2e_calibrating");
                // Take hold of the end again and let go outside the view (no button-up reaches
                // it): OK must end that drag. OK is sent at once, so no mouse move comes between.
                Mouse(view, WM_LBUTTONDOWN, heldEnd, MK_LBUTTON);
                EXPECT_EQ(MeasurementState.tool, kToolCalibRight);
                HWND dlg = ShellState.calibrationWnd;
                SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
                return true;
            }
            if (!ShellState.calibrationWnd || CameraViewCalibrationLength(view) == 0) return false;
            EXPECT_EQ(CameraViewCalibrationLength(view), kW / 3);
            EXPECT_EQ(CameraViewGetInfo(view).ratio, 100);
            // Drag the right end (at (W + W/3) / 2) 26 pixels to the left: 426 -> 400 pixels.
            int right = (kW - kW / 3) / 2 + kW / 3;
            Drag(view, {right, kH / 2}, {right - 26, kH / 2});
            EXPECT_EQ(CameraViewCalibrationLength(view), 400);
            EXPECT_EQ(MeasurementState.tool, kToolNone);
            heldEnd = ClientOf(view, right - 26, kH / 2);
            SetDlgItemTextW(ShellState.calibrationWnd, IDC_CALIB_LENGTH, L"1");
            lineSet = true;
            return false;
        },
        // 3. OK closed it and the manager is back, showing the new slot; apply it.
        [&] {
            HWND dlg = VisibleDialog(manager);
            if (ShellState.calibrationWnd || !dlg) return false;
            EXPECT_EQ(CameraViewCalibrationLength(view), 0);
            EXPECT_EQ(MeasurementState.tool, kToolNone);
            EXPECT_FALSE(MeasurementState.pressActive);
            HWND list = GetDlgItem(dlg, IDC_CALIB_LIST);
            EXPECT_EQ(ItemText(list, 0, 1), L"400.00");
            EXPECT_EQ(ItemText(list, 0, 2), L"mm");
            EXPECT_EQ(ItemText(list, 0, 4), L"1280x720");
            SelectRow(list, 0);
            ClickDialogButton(dlg, IDC_CALIB_APPLY);
            return true;
        },
        [&] { return !VisibleDialog(manager); },
    };
    bool finished = false;
    RunScripted(
        [&] {
            PostMessageW(main, WM_COMMAND, ID_CALIBRATE, 0);
            finished = WaitUntil([] { return ScriptFinished(); }, 60000);
            return INT_PTR(0);
        },
        std::move(steps), 60000, 30);
    ASSERT_TRUE(finished);
    PumpMessages();  // CMD_CALIBRATION_CHANGED

    // Applied: calibrated view at ratio 100 with the crossline on.
    EXPECT_EQ(CalibrationState.appliedSlot, 0);
    EXPECT_FLOAT_EQ(CameraViewPixelsPerUnit(view), 400.0f);
    EXPECT_TRUE(CameraViewCrossline(view));
    EXPECT_EQ(CameraViewGetInfo(view).ratio, 100);

    // A line drawn by mouse over 400 pixels.
    SendMessageW(main, WM_COMMAND, ID_TOOL_LINE, 0);
    ASSERT_EQ(MeasurementState.tool, kToolLine);
    Drag(view, {300, 500}, {700, 500});
    ASSERT_EQ(MeasurementState.shapes.size(), 1u);
    EXPECT_EQ(MeasurementState.shapes[0].p1, (ShapePoint{300, 500}));
    EXPECT_EQ(MeasurementState.shapes[0].p2, (ShapePoint{700, 500}));

    // What the overlay writes with the view's calibration: the line's length and the ruler.
    RulerStep step;
    UpdateRulerStep(step, CameraViewPixelsPerUnit(view));
    EXPECT_EQ(step.length, 80);
    EXPECT_FLOAT_EQ(step.value, 0.2f);
    TextRecorder recorder;
    OverlayParams params;
    params.imageW = kW;
    params.imageH = kH;
    params.ppu = CameraViewPixelsPerUnit(view);
    params.unit = CalibrationTable[0].unit;
    params.crossline = CameraViewCrossline(view);
    params.ruler = step;
    DrawOverlay(recorder, MeasurementState, params);
    EXPECT_TRUE(recorder.Has(L"1.00000mm"));
    EXPECT_TRUE(recorder.Has(L"0.2mm"));

    // And what the view shows: major crossline ticks every 80 pixels right of the centre (20
    // pixels tall, ruler colour), a 14-pixel minor tick half way, and text in the label colour
    // beside the line's start.
    unsigned long long composed = CameraViewGetInfo(view).composedFrames;
    ASSERT_TRUE(WaitUntil([&] { return CameraViewGetInfo(view).composedFrames > composed + 2; }, 20000));
    UpdateWindow(view);
    // The view's contents as shown, read at image points.
    RECT rc;
    GetClientRect(view, &rc);
    DibCanvas shown(rc.right, rc.bottom);
    ASSERT_TRUE(shown.CopyClient(view));
    const POINT origin = ClientOf(view, 0, 0);
    auto at = [&](int ix, int iy) { return shown.At(ix + origin.x, iy + origin.y); };
    Shot(main, L"e2e_measured");
    for (int k = 1; k <= 3; ++k) {
        int x = kW / 2 + 80 * k;
        for (int y = kH / 2 - 20; y < kH / 2; ++y) EXPECT_EQ(at(x, y), kGrid) << "major tick " << k << " y " << y;
        EXPECT_NE(at(x, kH / 2 - 22), kGrid);
        int half = x - 40;
        for (int y = kH / 2 - 14; y < kH / 2; ++y) EXPECT_EQ(at(half, y), kGrid) << "half tick " << k;
        for (int y = kH / 2 - 20; y < kH / 2 - 15; ++y) EXPECT_NE(at(half, y), kGrid) << "half tick " << k;
    }
    int textPixels = 0;
    for (int y = 502; y < 530; ++y)
        for (int x = 302; x < 420; ++x) textPixels += at(x, y) == kText;
    EXPECT_GT(textPixels, 20);

    // A text annotation through the main window's text tool and the text input dialog.
    SendMessageW(main, WM_COMMAND, ID_TOOL_TEXT, 0);
    ASSERT_NE(ShellState.textInputDlg, nullptr);
    EXPECT_EQ(MeasurementState.tool, kToolText);
    SetDlgItemTextW(ShellState.textInputDlg, IDC_TEXT_FIELD, L"1 mm");
    SendMessageW(ShellState.textInputDlg, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ShellState.textInputDlg, nullptr);
    ASSERT_TRUE(WaitUntil([] { return MeasurementState.tool == kToolNone; }));  // CMD_TEXT_INPUT_DONE
    ASSERT_EQ(MeasurementState.shapes.size(), 2u);
    EXPECT_STREQ(MeasurementState.shapes[1].text, L"1 mm");

    // Stored, and read back by the next start's settings load.
    std::wstring stored = StoredCalibrations();
    EXPECT_EQ(stored.substr(0, 29), L",0,400,1065353216,47187200,20") << stored;
    for (auto& slot : CalibrationTable) EmptyCalibration(slot);
    LoadSettings();
    EXPECT_FLOAT_EQ(CalibrationTable[0].pixelsPerUnit, 400.0f);
    EXPECT_EQ(CalibrationTable[0].unit, 0);
    EXPECT_EQ(CalibrationTable[0].resolution, PackResolution(kW, kH));
    for (int i = 1; i < kCalibrationSlots; ++i) EXPECT_FALSE(IsCalibrated(CalibrationTable[i])) << i;
}

}  // namespace
