// The quick-adjust pop-up in-process over the main window and the virtual microscope: what
// reaches the camera (its write log), the ratio slider and the view, labels and places, when
// the pop-up closes, a second adjust command, a camera closed while the pop-up is open; zooming.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "calib/shot_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "common/main_window_fixture_win.h"
#include "common/modal_script_win.h"
#include "common/pump_win.h"
#include "common/vcam_harness_win.h"
#include "frame/capture_state_win.h"
#include "resources/options_dialogs.h"
#include "settings/app_settings.h"
#include "view/camera_view_win.h"
#include "view/measure_model.h"
#include "view/overlay.h"
#include "../../core/view/test_shapes.h"

namespace {

// The writes of one property through IAMVideoProcAmp, as values in arrival order.
std::vector<long> ProcAmpWrites(IUnknown* camera, long property) {
    std::vector<long> values;
    for (const VcamWrite& w : CameraWrites(camera))
        if (w.procAmp && w.property == property) values.push_back(w.value);
    return values;
}

class AdjustPopupTest : public MainWindowFixture {
protected:
    static void SetUpTestSuite() {
        MainWindowFixture::SetUpTestSuite();
        RegisterPanelClasses();
        AddSuiteCamera(L"Adjust Scope", L"--formats \"MJPG 1280x720\"");
    }
    void SetUp() override {
        AppSettings.language = 0;
        ClearAll(MeasurementState);
        MeasurementState.tool = kToolNone;
        requestedFormat = {kSubtypeMjpg, 1280, 720, 0};
        ASSERT_NO_FATAL_FAILURE(Start(1200, 760));
        ASSERT_TRUE(Streaming());
        source = CaptureState.source;
        source->AddRef();  // its write log stays readable after the session closes
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        if (source) source->Release();
        AppSettings.language = 0;
    }
    HWND Adjust(int command) {
        SendMessageW(main, WM_COMMAND, command, 0);
        PumpMessages();
        return ShellState.adjustPopup;
    }
    // The trackbar moved by the user to position, as the trackbar reports it to the pop-up.
    static void Slide(HWND popup, int position, int request = TB_THUMBTRACK) {
        HWND bar = GetDlgItem(popup, IDC_ADJUST_SLIDER);
        SendMessageW(bar, TBM_SETPOS, TRUE, position);
        SendMessageW(popup, WM_HSCROLL, MAKEWPARAM(request, position), reinterpret_cast<LPARAM>(bar));
    }
    static int Position(HWND popup) {
        return int(SendDlgItemMessageW(popup, IDC_ADJUST_SLIDER, TBM_GETPOS, 0, 0));
    }
    static int RangeMax(HWND popup) {
        return int(SendDlgItemMessageW(popup, IDC_ADJUST_SLIDER, TBM_GETRANGEMAX, 0, 0));
    }
    static POINT Place(HWND popup) {
        RECT r;
        GetWindowRect(popup, &r);
        return {r.left, r.top};
    }
    IBaseFilter* source = nullptr;
};

TEST_F(AdjustPopupTest, BrightnessReachesTheCameraOnlyWhenItChanges) {
    const CameraProperty record = CaptureState.properties[kPropBrightness];
    ASSERT_LT(record.minimum, record.maximum);
    HWND popup = Adjust(ID_ADJUST_BRIGHTNESS);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(ShellState.adjustProperty, ID_ADJUST_BRIGHTNESS);
    EXPECT_EQ(GetActiveWindow(), popup);
    EXPECT_EQ(WindowText(GetDlgItem(popup, IDC_ADJUST_LABEL)), L"Brightness:");
    EXPECT_EQ(WindowText(GetDlgItem(popup, IDC_ADJUST_READOUT)), std::to_wstring(record.value));
    EXPECT_EQ(RangeMax(popup), record.maximum - record.minimum);
    const int start = record.value - record.minimum;
    EXPECT_EQ(Position(popup), start);
    EXPECT_EQ(Place(popup).x, 70);
    EXPECT_EQ(Place(popup).y, 260);
    Shot(main, L"adjust_popup");

    Slide(popup, start);  // no change: nothing written
    Slide(popup, start + 6);
    Slide(popup, start + 6, TB_THUMBPOSITION);
    Slide(popup, start - 4);
    Slide(popup, start + 6, TB_LINEDOWN);  // a request without a position: the trackbar's
    EXPECT_EQ(ProcAmpWrites(source, VideoProcAmp_Brightness),
              (std::vector<long>{record.value + 6, record.value - 4, record.value + 6}));
    EXPECT_EQ(CaptureState.properties[kPropBrightness].value, record.value + 6);
    EXPECT_EQ(WindowText(GetDlgItem(popup, IDC_ADJUST_READOUT)), std::to_wstring(record.value + 6));
}

TEST_F(AdjustPopupTest, RatioStartsAtTheViewsPresetAndSetsTheView) {
    SendMessageW(main, WM_COMMAND, ID_TOOL_LINE, 0);
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 150);
    HWND popup = Adjust(ID_ADJUST_RATIO);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(popup, IDC_ADJUST_LABEL)), L"Ratio:");
    EXPECT_EQ(RangeMax(popup), 5);
    EXPECT_EQ(Position(popup), 4);
    EXPECT_EQ(WindowText(GetDlgItem(popup, IDC_ADJUST_READOUT)), L"150%");
    EXPECT_EQ(Place(popup).y, 320);
    size_t writes = CameraWrites(source).size();
    Slide(popup, 0);
    EXPECT_EQ(CameraViewGetInfo(view).ratio, 50);
    EXPECT_EQ(WindowText(GetDlgItem(popup, IDC_ADJUST_READOUT)), L"50%");
    EXPECT_EQ(CameraWrites(source).size(), writes);
    EXPECT_EQ(MeasurementState.tool, kToolLine);  // the measuring tool is not touched
}

TEST_F(AdjustPopupTest, ClosesWhenTheMainWindowIsActivatedOrOnCancelModeOnly) {
    HWND popup = Adjust(ID_ADJUST_SHARPNESS);
    ASSERT_NE(popup, nullptr);
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 600, 100, 200, 100, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SetActiveWindow(other);
    PumpMessages();
    EXPECT_TRUE(IsWindow(popup)) << "another window leaves it open";
    DestroyWindow(other);
    PumpMessages();

    popup = Adjust(ID_ADJUST_SHARPNESS);
    ASSERT_EQ(GetActiveWindow(), popup);
    SetActiveWindow(main);
    PumpMessages();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(ShellState.adjustPopup, nullptr);

    popup = Adjust(ID_ADJUST_SATURATION);
    ASSERT_NE(popup, nullptr);
    SendMessageW(popup, WM_CANCELMODE, 0, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(ShellState.adjustPopup, nullptr);
}

TEST_F(AdjustPopupTest, SecondAdjustCommandTurnsTheOpenPopupToItsQuantity) {
    HWND popup = Adjust(ID_ADJUST_BRIGHTNESS);
    ASSERT_NE(popup, nullptr);
    const CameraProperty gain = CaptureState.properties[kPropGain];
    ASSERT_LT(gain.minimum, gain.maximum);
    AppSettings.language = 1;
    EXPECT_EQ(Adjust(ID_ADJUST_GAIN), popup);  // the same window
    EXPECT_EQ(WindowText(GetDlgItem(popup, IDC_ADJUST_LABEL)), L"\u589e\u76ca:");
    EXPECT_EQ(RangeMax(popup), gain.maximum - gain.minimum);
    EXPECT_EQ(Position(popup), gain.value - gain.minimum);
    EXPECT_EQ(Place(popup).y, 530);
    Slide(popup, gain.value - gain.minimum + 10);
    EXPECT_EQ(ProcAmpWrites(source, VideoProcAmp_Gain), (std::vector<long>{gain.value + 10}));
    EXPECT_TRUE(ProcAmpWrites(source, VideoProcAmp_Brightness).empty());

    // An open pop-up follows a language change.
    AppSettings.language = 0;
    SendMessageW(popup, WM_COMMAND, CMD_RELOAD_TEXTS, 0);
    EXPECT_EQ(WindowText(GetDlgItem(popup, IDC_ADJUST_LABEL)), L"Gain:");
}

TEST_F(AdjustPopupTest, ClosedCameraIsNotWrittenAndOpensNoPopup) {
    HWND popup = Adjust(ID_ADJUST_CONTRAST);
    ASSERT_NE(popup, nullptr);
    const int start = Position(popup);
    CloseSession();  // before its stop message reaches the main window
    Slide(popup, start + 3);
    EXPECT_TRUE(ProcAmpWrites(source, VideoProcAmp_Contrast).empty());
    EXPECT_FALSE(IsWindow(popup));
    PumpMessages();
    EXPECT_EQ(Adjust(ID_ADJUST_CONTRAST), nullptr);
    EXPECT_EQ(ShellState.adjustProperty, ID_ADJUST_CONTRAST);
}


// After drawing shapes, a ratio set as the panel sets it keeps the point at the view's centre in
// place (so every point's distance from it grows with the ratio), Ctrl + wheel keeps the point
// under the pointer, the line stays drawn over its specimen point, the read-out and the ratio
// pop-up follow the wheel, a fine wheel zooms once its turns make a notch, the plain wheel scrolls.
TEST_F(AdjustPopupTest, ZoomKeepsTheUsersPlaceAndTheReadoutsFollow) {
    int32_t style[kDrawSettingCount] = {0x00C000, 0x0000FF, 2, 0x00FF00, 12, 1};  // red shapes, labels backed
    SendMessageW(view, WM_COMMAND, VIEW_CMD_DRAW_SETTINGS, reinterpret_cast<LPARAM>(style));
    MeasurementState.shapes = {Shape(kToolLine, {440, 300}, {840, 300}), Shape(kToolCircle, {640, 420}, {700, 420})};
    auto shown = [&](double x, double y) {  // client point of image point (x, y)
        const CameraViewInfo i = CameraViewGetInfo(view);
        RECT rc;
        GetClientRect(view, &rc);
        auto along = [](double v, int scroll, int client, int display, int image) {
            const int d = int(v * display / image);
            return display > client ? d - scroll : d + (client - display) / 2;
        };
        return POINT{along(x, i.scrollX, rc.right, i.displayW, i.imageW), along(y, i.scrollY, rc.bottom, i.displayH, i.imageH)};
    };
    auto lineShown = [&] {  // the line's colour at (640, 300), give or take a pixel
        InvalidateRect(view, nullptr, FALSE);
        UpdateWindow(view);
        const POINT c = shown(640, 300);
        for (int dy = -1; dy <= 1; ++dy) {
            const COLORREF p = ViewPixel(c.x, c.y + dy);
            if (GetRValue(p) > 200 && GetGValue(p) < 80 && GetBValue(p) < 80) return true;
        }
        return false;
    };
    ASSERT_TRUE(lineShown());
    RECT rc;
    GetClientRect(view, &rc);
    const POINT from = shown(640, 300);
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 138);
    EXPECT_NEAR(shown(640, 300).x - rc.right / 2, (from.x - rc.right / 2) * 1.38, 2.0);
    EXPECT_NEAR(shown(640, 300).y - rc.bottom / 2, (from.y - rc.bottom / 2) * 1.38, 2.0);
    EXPECT_TRUE(lineShown());

    POINT pointer = shown(640, 300), screen = pointer;
    ClientToScreen(view, &screen);
    auto wheel = [&](int keys, int delta) {
        SendMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(keys, WORD(short(delta))), MAKELPARAM(screen.x, screen.y));
    };
    HWND popup = Adjust(ID_ADJUST_RATIO), readout = GetDlgItem(GetDlgItem(panel, 101), 101);
    ASSERT_NE(popup, nullptr);
    wheel(MK_CONTROL, WHEEL_DELTA);  // 138 -> 150
    for (int k = 0; k < 2; ++k) wheel(MK_CONTROL, 40);  // a fine wheel: no notch yet
    EXPECT_EQ(CameraViewGetInfo(view).ratio, 150);
    wheel(MK_CONTROL, 40);
    EXPECT_EQ(CameraViewGetInfo(view).ratio, 200);
    EXPECT_LE(std::abs(shown(640, 300).x - pointer.x) + std::abs(shown(640, 300).y - pointer.y), 2);
    EXPECT_TRUE(lineShown());
    EXPECT_TRUE(WaitUntil([&] { return WindowText(readout) == L"200%"; }));
    EXPECT_EQ(Position(popup), 5);
    EXPECT_EQ(WindowText(GetDlgItem(popup, IDC_ADJUST_READOUT)), L"200%");
    Shot(main, L"zoom_wheel_200");

    const int scrollY = CameraViewGetInfo(view).scrollY;
    wheel(0, -WHEEL_DELTA);  // the plain wheel scrolls down a page of the bar
    EXPECT_EQ(CameraViewGetInfo(view).scrollY, scrollY + 50);
}

}  // namespace
