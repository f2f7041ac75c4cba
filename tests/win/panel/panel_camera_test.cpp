// The source and preview sections and the open-microscope dialog against the virtual
// microscope: size and format changes reopen the camera, effects reach the frames, the ratio
// trackbar drives the view, a list change after the camera closed reopens nothing, and the
// dialog lists, opens and survives an unplugged camera, and the live read-out counts what a
// camera dropping frames on purpose leaves out. With VARDELO_SHOT_DIR set, screenshots of the
// window and the dialog in both languages.
#include "panel/panel_fixture.h"

#include <cstdio>
#include <cstdlib>

#include "calib/shot_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "common/stored_settings_win.h"
#include "frame/capture_state_win.h"
#include "frame/perf_clock_win.h"
#include "panel/flip_section_win.h"
#include "panel/readout_line_win.h"
#include "panel/source_section_win.h"
#include "resources/panel_resources.h"

namespace {

const wchar_t kScope[] = L"Panel Scope";
const wchar_t kScopeA[] = L"Panel Scope A";
const wchar_t kScopeB[] = L"Panel Scope B";
const wchar_t kOpenTitle[] = L"Open microscope";

const CameraFormat kMjpg720 = {kSubtypeMjpg, 1280, 720, 0};

class PanelCameraTest : public PanelFixture {
protected:
    CameraViewInfo View() { return CameraViewGetInfo(ShellState.cameraView); }
    // The camera runs at width x height and frames of that size reach the view.
    bool StreamingAt(uint32_t subtype, int width, int height) {
        return WaitUntil([&] { return IsDeviceOpen() && CaptureState.subtype == subtype && CaptureState.width == width &&
                                      CaptureState.height == height && View().composedFrames > 0; },
                         30000) &&
               FrameAfter(View().composedFrames);
    }
    bool FrameAfter(unsigned long long composed) {
        return WaitUntil([&] { return View().composedFrames > composed + 1; }, 30000);
    }
    // Bytes of the frame published last (copied at once).
    std::vector<uint8_t> Frame() {
        DisplayFrame* f = GetCurrentFrame();
        if (!f) return {};
        const uint8_t* p = reinterpret_cast<const uint8_t*>(f);
        return std::vector<uint8_t>(p, p + size_t(CaptureState.width) * CaptureState.height * 3);
    }
    // The dialog's device rows.
    static std::vector<std::wstring> DeviceRows(HWND dlg) {
        std::vector<std::wstring> rows;
        HWND list = GetDlgItem(dlg, IDC_OPEN_DEVICES);
        int n = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t text[256] = {};
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            rows.push_back(text);
        }
        return rows;
    }
    static void PickDevice(HWND dlg, int row) {
        HWND list = GetDlgItem(dlg, IDC_OPEN_DEVICES);
        SendMessageW(list, LB_SETCURSEL, row, 0);
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_OPEN_DEVICES, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    // The scope with these vcamctl options, the main window streaming format.
    void Open(const wchar_t* options, const CameraFormat& format) {
        ASSERT_NO_FATAL_FAILURE(AddCamera(kScope, options));
        requestedFormat = format;
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(StreamingAt(format.subtype, format.width, format.height));
    }
    INT_PTR OpenDeviceCommand(std::vector<ScriptStep> steps) {
        return RunScripted([&] { return INT_PTR(SendMessageW(main, WM_COMMAND, ID_OPEN_DEVICE, 0)); }, std::move(steps));
    }
};

TEST_F(PanelCameraTest, SizeListReopensAtTheChosenSizeAndStoresIt) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720,MJPG 640x480,YUY2 640x480\"", kMjpg720));
    ASSERT_TRUE(WaitUntil([&] { return Rows(Control(100, kSourceSizeList)).size() == 4; }));
    EXPECT_EQ(Rows(Control(100, kSourceSizeList)),
              (std::vector<std::wstring>{L"640x480", L"1280x720", L"1280x960", L"1920x1080"}));
    EXPECT_EQ(Selected(Control(100, kSourceSizeList)), 1);
    EXPECT_EQ(Rows(Control(100, kSourceDeviceList)), std::vector<std::wstring>{kScope});
    EXPECT_EQ(Selected(Control(100, kSourceDeviceList)), 0);
    EXPECT_EQ(Rows(Control(100, kSourceFormatList)), (std::vector<std::wstring>{L"MJPG", L"YUY2"}));

    // The size shown restarts nothing.
    IGraphBuilder* graph = CaptureState.graph;
    Choose(100, kSourceSizeList, 1);
    EXPECT_EQ(CaptureState.graph, graph);

    Choose(100, kSourceSizeList, 0);
    ASSERT_TRUE(StreamingAt(kSubtypeMjpg, 640, 480));
    EXPECT_EQ(View().imageW, 640);
    ASSERT_TRUE(WaitUntil([&] { return StoredNumber(L"width") == 640u; }));
    EXPECT_EQ(StoredNumber(L"height"), 480u);
    EXPECT_EQ(StoredNumber(L"mjpg"), 1u);
    ASSERT_TRUE(WaitUntil([&] { return Selected(Control(100, kSourceSizeList)) == 0; }));
}

TEST_F(PanelCameraTest, FormatListReopensAsYuy2) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 640x480,YUY2 640x480\"", {kSubtypeMjpg, 640, 480, 0}));
    ASSERT_TRUE(WaitUntil([&] { return Rows(Control(100, kSourceFormatList)).size() == 2; }));
    EXPECT_EQ(Selected(Control(100, kSourceFormatList)), 0);
    Choose(100, kSourceFormatList, 1);
    ASSERT_TRUE(StreamingAt(kSubtypeYuy2, 640, 480));
    ASSERT_TRUE(WaitUntil([&] { return Selected(Control(100, kSourceFormatList)) == 1; }));
    EXPECT_EQ(StoredNumber(L"mjpg"), 0u);
}

TEST_F(PanelCameraTest, AChoiceAfterTheCameraClosedReopensNothing) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720,MJPG 640x480\"", kMjpg720));
    ASSERT_TRUE(WaitUntil([&] { return !Rows(Control(100, kSourceSizeList)).empty(); }));
    // The session closes; the lists still show what was there until the refresh comes.
    CloseSession();
    Choose(100, kSourceSizeList, 0);
    Choose(100, kSourceFormatList, 0);
    EXPECT_FALSE(IsDeviceOpen());
    EXPECT_EQ(currentDeviceIndex, -1);
    PumpMessages();
    EXPECT_FALSE(IsDeviceOpen());
    EXPECT_TRUE(Rows(Control(100, kSourceSizeList)).empty());
    EXPECT_FALSE(IsWindowEnabled(Control(101, kPreviewRatioBar)));
    // A switch or a drag queued before the close changes nothing either.
    Press(101, 106);
    SendMessageW(Section(101), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 150),
                 reinterpret_cast<LPARAM>(Control(101, kPreviewRatioBar)));
    EXPECT_EQ(CaptureState.gray.load(), 0);
    EXPECT_EQ(WindowText(Control(101, kPreviewRatioText)), L"100%");
}

TEST_F(PanelCameraTest, GrayThenEmbossLeavesOnlyEmbossAndTheFramesShowIt) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"YUY2 640x480\"", {kSubtypeYuy2, 640, 480, 0}));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(Control(101, 106)); }));
    EXPECT_EQ(Rows(Control(100, kSourceFormatList)), std::vector<std::wstring>{L"YUY2"});

    Press(101, 106);  // gray
    EXPECT_EQ(CaptureState.gray.load(), 1);
    ASSERT_TRUE(FrameAfter(View().composedFrames));
    std::vector<uint8_t> f = Frame();
    ASSERT_FALSE(f.empty());
    int colour = 0;
    for (size_t i = 0; i < f.size(); i += 3 * 97) colour += f[i] != f[i + 1] || f[i + 1] != f[i + 2];
    EXPECT_EQ(colour, 0);

    Press(101, 109);  // emboss
    EXPECT_EQ(CaptureState.gray.load(), 0);
    EXPECT_EQ(CaptureState.emboss.load(), 1);
    EXPECT_EQ(CaptureState.binary.load() + CaptureState.invert.load(), 0);
    ASSERT_TRUE(FrameAfter(View().composedFrames));
    f = Frame();
    // An embossed picture is mid-gray around 128 where neighbouring rows agree.
    long long sum = 0;
    size_t n = 0, near128 = 0;
    for (size_t i = 0; i + 3 * 640 < f.size(); i += 31) {
        sum += f[i];
        near128 += f[i] >= 96 && f[i] <= 160;
        ++n;
    }
    EXPECT_NEAR(double(sum) / n, 128.0, 16.0);
    EXPECT_GT(near128 * 10, n * 8);
    Press(101, 104);  // a flip goes with it
    Shot(main, L"panel_effects");
}

TEST_F(PanelCameraTest, RatioTrackbarDrivesTheView) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720\"", kMjpg720));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(Control(101, kPreviewRatioBar)); }));
    HWND bar = Control(101, kPreviewRatioBar);
    auto drag = [&](int value) {
        SendMessageW(Section(101), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, value), reinterpret_cast<LPARAM>(bar));
    };
    drag(150);
    EXPECT_EQ(View().ratio, 150);
    EXPECT_EQ(WindowText(Control(101, kPreviewRatioText)), L"150%");
    EXPECT_EQ(IsDlgButtonChecked(Section(101), kPreviewRatio100), BST_UNCHECKED);
    // A measuring tool puts the view to 100 % by itself: the read-out and the trackbar follow.
    SendMessageW(main, WM_COMMAND, ID_TOOL_LINE, 0);
    EXPECT_EQ(View().ratio, 100);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(Control(101, kPreviewRatioText)) == L"100%"; }));
    EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 100);
    SendMessageW(main, WM_COMMAND, ID_TOOL_NONE, 0);
    drag(150);
    drag(100);
    EXPECT_EQ(View().ratio, 100);
    EXPECT_EQ(IsDlgButtonChecked(Section(101), kPreviewRatio100), BST_CHECKED);
    // With a measuring tool active, dropping it must not undo the chosen ratio.
    SendMessageW(main, WM_COMMAND, ID_TOOL_LINE, 0);
    ASSERT_EQ(MeasurementState.tool, kToolLine);
    drag(75);
    EXPECT_EQ(MeasurementState.tool, kToolNone);
    EXPECT_EQ(View().ratio, 75);
    // The "100%" box puts everything back to 100.
    CheckDlgButton(Section(101), kPreviewRatio100, BST_CHECKED);
    Press(101, kPreviewRatio100);
    EXPECT_EQ(View().ratio, 100);
    EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(WindowText(Control(101, kPreviewRatioText)), L"100%");
}

// A 640 x 480-only camera's default pick is stored as 640 x 480 interpolated; the next start
// must open it interpolated again (the zoom button works only then).
TEST_F(PanelCameraTest, StoredInterpolatedPickOpensInterpolatedAgain) {
    // Asked for interpolated, as start-up reads it from the settings.
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 640x480\"", {kSubtypeMjpg, 640, 480, 1}));
    EXPECT_EQ(CaptureState.interpolated, 1);
    EXPECT_EQ(requestedFormat, (CameraFormat{kSubtypeMjpg, 640, 480, 1}));
}

TEST_F(PanelCameraTest, DialogListsBothCamerasAndOpensTheChosenOne) {
    ScopedCamera a(kScopeA, L"--formats \"MJPG 1280x720,YUY2 640x480\"");
    ScopedCamera b(kScopeB, L"--formats \"MJPG 640x480\"");
    ASSERT_TRUE(a.ok() && b.ok());
    requestedFormat = {kSubtypeMjpg, 640, 480, 0};
    Start();
    ASSERT_TRUE(StreamingAt(kSubtypeMjpg, 640, 480));
    ASSERT_EQ(currentDeviceName, kScopeB);  // the camera listed last opens at start
    OpenDeviceCommand({
        OnDialog(kOpenTitle, [&](HWND dlg) {
            EXPECT_EQ(DeviceRows(dlg), (std::vector<std::wstring>{kScopeA, kScopeB}));
            EXPECT_EQ(SendMessageW(GetDlgItem(dlg, IDC_OPEN_DEVICES), LB_GETCURSEL, 0, 0), 1);
            EXPECT_EQ(Rows(GetDlgItem(dlg, IDC_OPEN_FORMATS)), std::vector<std::wstring>{L"MJPG"});
            Shot(dlg, L"open_dialog_en");
            PickDevice(dlg, 0);
            EXPECT_EQ(Rows(GetDlgItem(dlg, IDC_OPEN_FORMATS)), (std::vector<std::wstring>{L"MJPG", L"YUY2"}));
            EXPECT_EQ(Rows(GetDlgItem(dlg, IDC_OPEN_SIZES)), std::vector<std::wstring>{L"1280x720"});
            ClickDialogButton(dlg, IDOK);
        }),
    });
    ASSERT_TRUE(StreamingAt(kSubtypeMjpg, 1280, 720));
    EXPECT_EQ(currentDeviceName, kScopeA);
    EXPECT_EQ(currentDeviceIndex, 0);
    EXPECT_EQ(StoredNumber(L"width"), 1280u);
    ASSERT_TRUE(WaitUntil([&] { return Selected(Control(100, kSourceDeviceList)) == 0; }));
}

// A chosen camera that cannot be opened (busy in another program) leaves the stored format as it
// was: only what runs is stored.
TEST_F(PanelCameraTest, ChoiceThatCannotOpenStoresNothing) {
    ScopedCamera a(kScopeA, L"--formats \"MJPG 1280x720\" --busy");
    ScopedCamera b(kScopeB, L"--formats \"MJPG 640x480\"");
    ASSERT_TRUE(a.ok() && b.ok());
    requestedFormat = {kSubtypeMjpg, 640, 480, 0};
    Start();
    ASSERT_TRUE(StreamingAt(kSubtypeMjpg, 640, 480));
    ASSERT_TRUE(WaitUntil([&] { return StoredNumber(L"width") == 640u; }));
    OpenDeviceCommand({OnDialog(kOpenTitle, [&](HWND dlg) {
        PickDevice(dlg, 0);
        ClickDialogButton(dlg, IDOK);
    })});
    PumpFor(300);
    EXPECT_FALSE(IsDeviceOpen());
    EXPECT_EQ(StoredNumber(L"width"), 640u);
    EXPECT_EQ(StoredNumber(L"height"), 480u);
}

TEST_F(PanelCameraTest, CameraUnpluggedWhileTheDialogShowsIsNotOpened) {
    ScopedCamera a(kScopeA, L"--formats \"MJPG 1280x720\"");
    ScopedCamera b(kScopeB, L"--formats \"MJPG 640x480\"");
    ASSERT_TRUE(a.ok() && b.ok());
    requestedFormat = {kSubtypeMjpg, 640, 480, 0};
    Start();
    ASSERT_TRUE(StreamingAt(kSubtypeMjpg, 640, 480));
    ASSERT_EQ(currentDeviceName, kScopeB);
    OpenDeviceCommand({
        OnDialog(kOpenTitle, [&](HWND dlg) {
            PickDevice(dlg, 0);
            // Camera A goes away; the view hears of it and its record leaves the list.
            RunVcamctl(L"remove \"" + std::wstring(kScopeA) + L"\"");
        }),
        [&] {
            if (DeviceList.size() != 1) return false;
            ClickDialogButton(VisibleDialog(kOpenTitle), IDOK);
            return true;
        },
    });
    PumpFor(300);
    EXPECT_TRUE(IsDeviceOpen());
    EXPECT_EQ(currentDeviceName, kScopeB);
    EXPECT_EQ(CaptureState.width, 640);
}

TEST_F(PanelCameraTest, WithoutCamerasTheDialogSaysSoAndCannotOpen) {
    Start();
    OpenDeviceCommand({
        OnDialog(kOpenTitle, [&](HWND dlg) {
            EXPECT_EQ(DeviceRows(dlg), std::vector<std::wstring>{L"No microscope found."});
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDOK)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_OPEN_SIZES)));
            ClickDialogButton(dlg, IDCANCEL);
        }),
    });
    EXPECT_FALSE(IsDeviceOpen());
}

// A camera that drops every tenth frame it makes: the read-out's count of frames the camera
// dropped grows by about a ninth of those received, its rate keeps within 5 % of what the camera
// delivers, its line says so, and everything starts again from nothing when the camera reopens.
TEST_F(PanelCameraTest, ReadoutCountsWhatTheCameraDropsAndKeepsItsRate) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"YUY2 640x480\" --pre-encoded 10 --drop-every 10", {kSubtypeYuy2, 640, 480, 0}));
    ComPtr<IAMDroppedFrames> camera;
    ASSERT_TRUE(SUCCEEDED(CaptureState.cameraOutPin->QueryInterface(IID_IAMDroppedFrames, camera.PutVoid())));
    const FrameCounters& counts = CaptureState.counters;
    ASSERT_TRUE(WaitUntil([&] { return counts.received >= 90 && CurrentReadout().cameraDropped >= 10; }, 30000));
    // The figures are of the read-out's last look, at most about half a second old.
    EXPECT_TRUE(WaitUntil([&] {
        const int64_t dropped = CurrentReadout().cameraDropped;
        const int64_t received = counts.received;
        return dropped * 9 - 9 <= received && received <= dropped * 9 + 9 + 30;
    })) << CurrentReadout().cameraDropped << " of " << counts.received;
    // The camera's own rate over two seconds against the read-out's (over its last two).
    EXPECT_TRUE(WaitUntil([&] {
        long before = 0, after = 0;
        camera->GetNumNotDropped(&before);
        const int64_t start = PerfNow();
        PumpFor(2000);
        camera->GetNumNotDropped(&after);
        const double delivered = (after - before) * double(PerfFrequency()) / double(PerfNow() - start);
        const double received = CurrentReadout().receivedFps;
        printf("read-out %.2f fps received, the camera delivered %.2f fps; dropped by the camera %lld of %u received\n",
               received, delivered, static_cast<long long>(CurrentReadout().cameraDropped), counts.received.load());
        return delivered > 0 && received >= delivered * 0.95 && received <= delivered * 1.05;
    }, 60000));
    const ReadoutFigures f = CurrentReadout();
    EXPECT_GT(f.shownFps, 0.0);
    EXPECT_GE(f.Dropped(), f.cameraDropped);
    const std::wstring line = WindowText(Control(100, kSourceReadout));
    EXPECT_NE(line.find(L" fps in, "), std::wstring::npos) << line;
    EXPECT_NE(line.find(L"dropped "), std::wstring::npos) << line;
    EXPECT_NE(ReadoutTipText(Section(100)).find(L" by the camera, "), std::wstring::npos) << ReadoutTipText(Section(100));

    // Closed: the line empties. Opened again: the counts begin anew.
    const uint32_t opens = counts.opens;
    CloseSession();
    EXPECT_TRUE(WaitUntil([&] { return WindowText(Control(100, kSourceReadout)).empty(); }));
    PostMessageW(ShellState.cameraView, WM_COMMAND, VIEW_CMD_OPEN_DEVICE, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsDeviceOpen() && counts.opens == opens + 1; }, 30000));
    ASSERT_TRUE(WaitUntil([&] { return CurrentReadout().receivedFps > 0; }, 30000));
    EXPECT_LT(CurrentReadout().cameraDropped, f.cameraDropped);
}

TEST_F(PanelCameraTest, DeviceListClosingShowsTheDialogInTheLanguage) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720,MJPG 1920x1080,YUY2 640x480\"", kMjpg720));
    Shot(main, L"panel_en_221");
    const int saved = ShellState.panelWidth;
    ShellState.panelWidth = 252;  // the width with a dialog base unit of 8
    LayoutMainWindow();
    PumpMessages();
    Shot(main, L"panel_en_252");

    AppSettings.language = 1;
    LoadTextTable(1);
    PostMessageW(panel, WM_COMMAND, CMD_RELOAD_TEXTS, 0);
    PumpMessages();
    Shot(main, L"panel_zh_252");
    ShellState.panelWidth = saved;
    LayoutMainWindow();
    PumpMessages();
    Shot(main, L"panel_zh_221");

    HWND devices = Control(100, kSourceDeviceList);
    RunScripted(
        [&] {
            SendMessageW(Section(100), WM_COMMAND, MAKEWPARAM(kSourceDeviceList, CBN_CLOSEUP),
                         reinterpret_cast<LPARAM>(devices));
            return INT_PTR(0);
        },
        {
            OnDialog(L"\u6253\u5f00\u663e\u5fae\u955c", [&](HWND dlg) {
                EXPECT_EQ(WindowText(GetDlgItem(dlg, IDCANCEL)), L"\u53d6\u6d88");
                EXPECT_EQ(Rows(GetDlgItem(dlg, IDC_OPEN_SIZES))[SendMessageW(GetDlgItem(dlg, IDC_OPEN_SIZES), CB_GETCURSEL, 0, 0)],
                          L"1280x720");
                Shot(dlg, L"open_dialog_zh");
                ClickDialogButton(dlg, IDCANCEL);
            }),
        });
    EXPECT_EQ(currentDeviceName, kScope);
    EXPECT_EQ(CaptureState.width, 1280);
}

}  // namespace
