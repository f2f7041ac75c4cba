// The dialogs and the windows placed in pixels at the display scale of the prefix the tests run
// in (96 in the tests' prefix, others in tests/e2e/display_scale.sh): the record dialog's clock
// font, the quick-adjust pop-up's place and the image view's scroll bars follow the scale, and
// every dialog's texts fit their controls in English and Chinese. With VARDELO_SHOT_DIR set the
// dialogs are pictured, named by language and dpi.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/image_view_win.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "calib/shot_win.h"
#include "capture/camera_format.h"
#include "capture/open_dialog_win.h"
#include "common/camera_app_win.h"
#include "common/modal_script_win.h"
#include "common/pump_win.h"
#include "media/photo_saver_win.h"
#include "media/record_dialog_win.h"
#include "media/timelapse_dialog_win.h"
#include "panel/adjust_popup_win.h"
#include "resources/record_dialog.h"
#include "settings/about_dialog_win.h"
#include "settings/app_settings.h"
#include "settings/options_dialog_win.h"
#include "settings/text_table.h"
#include "view/calibration_dialogs_win.h"
#include "view/calibration_workflow.h"
#include "view/text_input_dialog_win.h"

namespace {

// The extent of text in a font, measured in a control's DC.
SIZE Extent(HWND control, HFONT font, const wchar_t* text, int n) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, n, &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

int ClockTextHeight(HWND clock, const LOGFONTW& lf) {
    HFONT font = CreateFontIndirectW(&lf);
    const int height = Extent(clock, font, L"ZH", 2).cy;
    DeleteObject(font);
    return height;
}

// Every text of a dialog's statics, buttons and check boxes fits its control in the control's
// font: a static's one line within its width, a button's text within the button less its edges,
// a check box's beside its box.
void ExpectTextsFit(HWND dlg, const std::string& what) {
    const int dpi = DpiOf(dlg);
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[32] = {}, text[256] = {};
        GetClassNameW(c, cls, 32);
        const int n = GetWindowTextW(c, text, 256);
        const LONG style = GetWindowLongW(c, GWL_STYLE), kind = style & BS_TYPEMASK;
        const bool isStatic = lstrcmpiW(cls, L"Static") == 0;
        if (n == 0 || !IsWindowVisible(c) || !(isStatic || lstrcmpiW(cls, L"Button") == 0)) continue;
        if (isStatic && (style & SS_TYPEMASK) > SS_RIGHT) continue;  // pictures, frames
        RECT rc;
        GetClientRect(c, &rc);
        int room = rc.right - ScalePx(6, dpi);  // a push button's edges
        if (isStatic) room = rc.right;
        else if (kind == BS_GROUPBOX) room = rc.right - ScalePx(16, dpi);
        else if (kind == BS_AUTOCHECKBOX) room = rc.right - MetricForDpi(SM_CXMENUCHECK, dpi) - ScalePx(4, dpi);
        const SIZE size = Extent(c, reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)), text, n);
        EXPECT_LE(size.cx, room) << what << ": control " << GetDlgCtrlID(c);
    }
}

// The message a dialog gets when it moves to a monitor of another scale, here for the scale it
// has (the only one this desktop has), with its own rectangle; and what the dialog posts itself.
void AnnounceScale(HWND dlg) {
    RECT r;
    GetWindowRect(dlg, &r);
    const int dpi = DpiOf(dlg);
    SendMessageW(dlg, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
    PumpMessages();
}

struct DialogScaleTest : ::testing::Test {
    static void SetUpTestSuite() {
        ASSERT_TRUE(CameraApp::StartSuite(L"Dialog Scale Scope", L"--formats \"MJPG 1280x720\""));
    }
    static void TearDownTestSuite() { CameraApp::EndSuite(); }
    void SetUp() override {
        Language(0);
        // A main window as large on the screen at every scale, so the dialogs centred over it fit.
        const int system = DpiOf(nullptr);
        ASSERT_TRUE(app.Open(0, 0, ScalePx(1200, system), ScalePx(760, system), {kSubtypeMjpg, 1280, 720, 0}));
        main = app.main;
        dpi = DpiOf(main);
    }
    void TearDown() override {
        CloseAdjustPopup();
        app.Close();
        Language(0);
    }
    static void Language(int language) {
        AppSettings.language = language;
        LoadTextTable(language);
    }
    // "<name>_<en|zh>_<dpi>", the picture's name.
    std::wstring ShotName(const wchar_t* name) const {
        return std::wstring(name) + (AppSettings.language == 1 ? L"_zh_" : L"_en_") + std::to_wstring(dpi);
    }
    // Opens a modal dialog with open(), hands it to look() once it shows, then ends it.
    void WithModal(const std::function<INT_PTR()>& open, HWND owner, const std::function<void(HWND)>& look) {
        bool seen = false;
        RunScripted(open, {[&] {
            HWND dlg = OwnedDialog(owner);
            if (!dlg) return false;
            seen = true;
            look(dlg);
            EndDialog(dlg, IDCANCEL);
            return true;
        }});
        EXPECT_TRUE(seen);
    }
    CameraApp app;
    HWND main = nullptr;
    int dpi = 96;
};

// The largest "Courier New" whose glyphs fit the clock, in whole points at the dialog's scale;
// made again after a change of scale.
TEST_F(DialogScaleTest, RecordClockIsTheLargestFontThatFitsAtTheDialogScale) {
    WithModal([&] { return RunRecordDialog(main); }, main, [&](HWND dlg) {
        const int at = DpiOf(dlg);
        EXPECT_EQ(at, dpi);
        HWND clock = GetDlgItem(dlg, IDC_REC_CLOCK);
        const HFONT first = reinterpret_cast<HFONT>(SendMessageW(clock, WM_GETFONT, 0, 0));
        AnnounceScale(dlg);
        const HFONT font = reinterpret_cast<HFONT>(SendMessageW(clock, WM_GETFONT, 0, 0));
        EXPECT_NE(font, first);
        LOGFONTW lf = {};
        ASSERT_TRUE(GetObjectW(font, sizeof(lf), &lf));
        EXPECT_STREQ(lf.lfFaceName, L"Courier New");
        const int points = MulDiv(-lf.lfHeight, 72, at);
        EXPECT_EQ(lf.lfHeight, FontHeightAt(points, at));
        RECT rc;
        GetClientRect(clock, &rc);
        EXPECT_LE(ClockTextHeight(clock, lf), rc.bottom);
        lf.lfHeight = FontHeightAt(points + 1, at);
        EXPECT_GT(ClockTextHeight(clock, lf), rc.bottom);
        // Placed 68 pixels at 96 dpi below the main window's top.
        RECT d, m;
        GetWindowRect(dlg, &d);
        GetWindowRect(main, &m);
        EXPECT_EQ(d.top, m.top + ScalePx(68, dpi));
    });
}

TEST_F(DialogScaleTest, AdjustPopupStandsAtTheScaledPlace) {
    const struct { int command, top; } cases[] = {{ID_ADJUST_BRIGHTNESS, 260}, {ID_ADJUST_RATIO, 320}, {ID_ADJUST_GAIN, 530}};
    for (const auto& c : cases) {
        SendMessageW(main, WM_COMMAND, c.command, 0);
        PumpMessages();
        HWND popup = ShellState.adjustPopup;
        ASSERT_NE(popup, nullptr) << c.command;
        RECT r;
        GetWindowRect(popup, &r);
        EXPECT_EQ(r.left, ScalePx(70, dpi)) << c.command;
        EXPECT_EQ(r.top, ScalePx(c.top, dpi)) << c.command;
        CloseAdjustPopup();
        PumpMessages();
    }
}

// Pictures just as wide or tall as the room the other bar leaves: the bars the view shows and
// the client area it keeps are those of bars as thick as the scale makes them.
TEST_F(DialogScaleTest, ImageViewBarsHaveTheThicknessOfTheScale) {
    const int w = 300, h = 200;
    HWND v = CreateWindowExW(0, kImageWndClass, L"", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 0, 0, w, h, main,
                             reinterpret_cast<HMENU>(INT_PTR(77)), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(v, nullptr);
    const int vBar = MetricForDpi(SM_CXVSCROLL, DpiOf(v)), hBar = MetricForDpi(SM_CYHSCROLL, DpiOf(v));
    const struct { const char* what; int pictureW, pictureH; bool h, v; } cases[] = {
        {"fits", w, h, false, false},
        {"taller, as wide as the room beside the bar", w - vBar, h + 1, false, true},
        {"taller, a pixel wider than that room", w - vBar + 1, h + 1, true, true},
        {"wider, as tall as the room above the bar", w + 1, h - hBar, true, false},
    };
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"vardelo_dialog_scale.png";
    for (const auto& c : cases) {
        const int stride = (c.pictureW * 3 + 3) & ~3;
        std::vector<uint8_t> grey(size_t(stride) * c.pictureH, 128);
        DeleteFileW(path.c_str());
        ASSERT_TRUE(SaveBgrImage(grey.data(), c.pictureW, c.pictureH, stride, path)) << c.what;
        SendMessageW(v, WM_COMMAND, IMAGE_CMD_LOAD, reinterpret_cast<LPARAM>(path.c_str()));
        PumpMessages();
        auto* s = reinterpret_cast<ImageViewState*>(GetWindowLongPtrW(v, GWLP_USERDATA));
        ASSERT_EQ(s->lastLoad, PictureLoad::Ok) << c.what;
        EXPECT_EQ(bool(s->hBarShown), c.h) << c.what;
        EXPECT_EQ(bool(s->vBarShown), c.v) << c.what;
        RECT rc;
        GetClientRect(v, &rc);
        EXPECT_EQ(rc.right, w - (c.v ? vBar : 0)) << c.what;
        EXPECT_EQ(rc.bottom, h - (c.h ? hBar : 0)) << c.what;
    }
    DestroyWindow(v);
    DeleteFileW(path.c_str());
}

// Every dialog in both languages, after what it does at a change of scale: its texts fit;
// pictured when VARDELO_SHOT_DIR is set.
TEST_F(DialogScaleTest, EveryDialogFitsItsTexts) {
    for (int language : {0, 1}) {
        Language(language);
        auto look = [&](const wchar_t* name) {
            return [this, name](HWND dlg) {
                AnnounceScale(dlg);  // what each dialog redoes at a new scale leaves it as it was
                std::wstring shot = ShotName(name);
                ExpectTextsFit(dlg, std::string(shot.begin(), shot.end()));
                Shot(dlg, shot.c_str());
            };
        };
        WithModal([&] { return RunRecordDialog(main); }, main, look(L"record"));
        WithModal([&] { return RunOptionsDialog(main); }, main, look(L"options"));
        WithModal([&] { return RunAboutDialog(main); }, main, look(L"about"));
        WithModal([&] { return ShowOpenDialog(CameraFormat{}); }, main, look(L"open"));
        WithModal([&] { return RunCalibrationManager(main); }, main, look(L"calib_manager"));
        WithModal([&] { return ShowCalibrationHelp(main); }, main, look(L"calib_help"));
        TimelapsePlan plan;
        WithModal([&] { return INT_PTR(RunTimelapseDialog(main, &plan)); }, main, look(L"timelapse"));
        CalibrationState.calibratingSlot = 0;
        const std::pair<const wchar_t*, std::function<HWND()>> modeless[] = {
            {L"calibrate", [&] { return CreateCalibrateDialog(main); }},
            {L"text_input", [&] { return CreateTextInputDialog(main); }},
            {L"adjust", [&] {
                 SendMessageW(main, WM_COMMAND, ID_ADJUST_CONTRAST, 0);
                 return ShellState.adjustPopup;
             }},
        };
        for (const auto& m : modeless) {
            HWND dlg = m.second();
            ASSERT_NE(dlg, nullptr);
            PumpMessages();
            look(m.first)(dlg);
            DestroyWindow(dlg);
            PumpMessages();
        }
        CalibrationState.calibratingSlot = -1;
    }
}

}  // namespace
