// Each camera's own settings over two virtual microscopes, in-process with the main window and
// its panel: what the user sets on one (format, exposure, brightness, white balance, anti-flicker,
// flips, calibration) is written back when it comes back, through the open dialog or by being
// plugged in again in another port, while the other keeps its own. White balance from the grey
// card of a microscope under a tinted light, the live histogram and "Reset camera".
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/picture_file_win.h"
#include "calib/shot_win.h"
#include "capture/camera_settings_win.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "common/pixels_win.h"
#include "common/scratch_files_win.h"
#include "frame/capture_state_win.h"
#include "panel/adjust_popup_win.h"
#include "panel/flip_section_win.h"
#include "panel/histogram_view_win.h"
#include "panel/panel_fixture.h"
#include "resources/options_dialogs.h"
#include "resources/panel_resources.h"
#include "testcam/picture.h"
#include "view/calibration_table.h"
#include "view/calibration_workflow.h"
#include "view/dib_rows.h"
#include "view/view_geometry.h"

namespace {

const wchar_t kOne[] = L"Settings Scope One";
const wchar_t kOneElsewhere[] = L"Settings Scope One Port 2";  // the same camera in another port
const wchar_t kTwo[] = L"Settings Scope Two";
const wchar_t kOneOptions[] = L"--serial SN001 --formats \"MJPG 1280x720,MJPG 1920x1080\"";
constexpr int kSection = 101;  // the preview section

// One write as the virtual microscope logs it: interface (1 amplifier, 0 camera control),
// property, value and whether it was automatic mode.
using Write = std::tuple<long, long, long, bool>;
std::vector<Write> WritesSince(IUnknown* camera, size_t from) {
    std::vector<Write> writes;
    std::vector<VcamWrite> all = CameraWrites(camera);
    for (size_t i = from; i < all.size(); ++i) writes.emplace_back(all[i].procAmp, all[i].property, all[i].value, all[i].flags & 1);
    return writes;
}
bool Has(const std::vector<Write>& writes, Write w) { return std::find(writes.begin(), writes.end(), w) != writes.end(); }

class CameraSettingsTest : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        for (Calibration& c : CalibrationTable) EmptyCalibration(c);
        CalibrationState.appliedSlot = -1;
        requestedFormat = {kSubtypeMjpg, 1280, 720, 0};
    }
    void TearDown() override {
        CloseAdjustPopup();
        PanelFixture::TearDown();
        for (IUnknown* s : sources) s->Release();
    }
    // The open camera's filter, kept for its write log.
    IUnknown* Source() {
        IUnknown* s = CaptureState.source;
        s->AddRef();
        sources.push_back(s);
        return s;
    }
    // The camera called name open at that width, and three of its frames published.
    bool StreamingOn(const wchar_t* name, int width) {
        if (!WaitUntil([&] { return IsDeviceOpen() && currentDeviceName == name && CaptureState.width == width; }, 30000))
            return false;
        const uint32_t frames = CaptureState.framesPublished.load();
        return WaitUntil([&] { return CaptureState.framesPublished.load() >= frames + 3; }, 30000);
    }
    HWND Popup(int button) {
        Press(kSection, button);
        PumpMessages();
        return ShellState.adjustPopup;
    }
    // The slider of the open pop-up moved to a property's value.
    static void Slide(HWND popup, CameraPropertyIndex property, int value) {
        HWND bar = GetDlgItem(popup, IDC_ADJUST_SLIDER);
        const int position = value - CaptureState.properties[property].minimum;
        SendMessageW(bar, TBM_SETPOS, TRUE, position);
        SendMessageW(popup, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(bar));
    }
    // A click on a check box or choice button of the pop-up (it checks itself, then tells the pop-up).
    static void Click(HWND popup, int id, bool radio = false) {
        HWND control = GetDlgItem(popup, id);
        const bool checked = IsDlgButtonChecked(popup, id) == BST_CHECKED;
        CheckDlgButton(popup, id, radio || !checked ? BST_CHECKED : BST_UNCHECKED);
        SendMessageW(popup, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    }
    // The open-microscope dialog, the camera called name chosen; its preselected size checked.
    void OpenInDialog(const wchar_t* name, const wchar_t* size) {
        RunScripted([&] { return INT_PTR(SendMessageW(main, WM_COMMAND, ID_OPEN_DEVICE, 0)); },
                    {OnDialog(L"Open microscope", [&](HWND dlg) {
                        HWND list = GetDlgItem(dlg, IDC_OPEN_DEVICES);
                        LRESULT row = SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(name));
                        SendMessageW(list, LB_SETCURSEL, WPARAM(row), 0);
                        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_OPEN_DEVICES, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
                        HWND sizes = GetDlgItem(dlg, IDC_OPEN_SIZES);
                        EXPECT_EQ(Rows(sizes)[size_t(std::max(0, Selected(sizes)))], size) << name;
                        ClickDialogButton(dlg, IDOK);
                    })});
    }
    std::vector<IUnknown*> sources;
};

TEST_F(CameraSettingsTest, EachCameraKeepsItsOwnSettings) {
    ASSERT_NO_FATAL_FAILURE(AddCamera(kTwo, L"--formats \"MJPG 1280x720,YUY2 640x480\""));
    auto one = std::make_unique<ScopedCamera>(kOne, kOneOptions);
    ASSERT_TRUE(one->ok());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(StreamingOn(kOne, 1280)) << "start-up opens the plug-and-play camera";

    // The user's settings on the first camera.
    OpenDeviceWithFormat(currentDeviceIndex, {kSubtypeMjpg, 1920, 1080, 0});
    ASSERT_TRUE(StreamingOn(kOne, 1920));
    PumpMessages();
    IUnknown* first = Source();
    HWND popup = Popup(kPreviewExposure);
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(popup, IDC_ADJUST_AUTO)));
    EXPECT_EQ(IsDlgButtonChecked(popup, IDC_ADJUST_AUTO), BST_CHECKED) << "the camera's automatic exposure";
    Slide(popup, kPropExposure, -4);
    EXPECT_EQ(IsDlgButtonChecked(popup, IDC_ADJUST_AUTO), BST_UNCHECKED) << "a manual value turns Auto off";
    SendMessageW(main, WM_COMMAND, ID_ADJUST_BRIGHTNESS, 0);
    Slide(ShellState.adjustPopup, kPropBrightness, 20);
    popup = Popup(kPreviewWhiteBalance);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(popup, IDC_ADJUST_NEUTRAL)));
    Click(popup, IDC_ADJUST_AUTO);  // off: the camera's value in manual mode
    Click(popup, IDC_ADJUST_AUTO);  // on again
    popup = Popup(kPreviewAntiFlicker);
    EXPECT_EQ(WindowText(GetDlgItem(popup, IDC_ADJUST_CHOICE + 2)), L"60 Hz");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(popup, IDC_ADJUST_CHOICE + 3))) << "the camera has no automatic choice";
    EXPECT_EQ(IsDlgButtonChecked(popup, IDC_ADJUST_CHOICE + 1), BST_CHECKED) << "the camera's 50 Hz";
    Click(popup, IDC_ADJUST_CHOICE + 2, true);
    CloseAdjustPopup();
    const std::vector<Write> user = {{0, 4, -4, false}, {1, 0, 20, false}, {1, 7, 4600, false}, {1, 7, 4600, true},
                                     {1, 13, 2, false}};
    EXPECT_EQ(WritesSince(first, 0), user) << "each change reaches the camera once, Auto off and on included";
    Press(kSection, kPreviewFirstEffect);      // flip horizontal
    Press(kSection, kPreviewFirstEffect + 1);  // flip vertical
    Calibration& slot = CalibrationTable[0];
    SetCalibrationName(slot, L"Obj 10x");
    ASSERT_TRUE(StoreCalibration(slot, 0, 500, 1.0f, 1920, 1080, 0));
    CalibrationState.appliedSlot = 0;  // as the calibration manager's Apply does
    SendMessageW(main, WM_COMMAND, CMD_CALIBRATION_CHANGED, 0);

    // The second camera, through the open dialog, keeps none of it.
    OpenInDialog(kTwo, L"1280x720");
    ASSERT_TRUE(StreamingOn(kTwo, 1280));
    PumpMessages();
    IUnknown* second = Source();
    EXPECT_TRUE(WritesSince(second, 0).empty());
    EXPECT_EQ(CaptureState.flipHorizontal + CaptureState.flipVertical, 0);
    EXPECT_EQ(CalibrationState.appliedSlot, -1);
    SendMessageW(main, WM_COMMAND, ID_ADJUST_BRIGHTNESS, 0);
    Slide(ShellState.adjustPopup, kPropBrightness, -10);
    CloseAdjustPopup();

    // Back to the first: the dialog offers the size it ran, and its settings come back.
    size_t before = CameraWrites(first).size();
    OpenInDialog(kOne, L"1920x1080");
    ASSERT_TRUE(StreamingOn(kOne, 1920));
    PumpMessages();
    const std::vector<Write> restored = {{0, 4, -4, false}, {1, 7, 4600, true}, {1, 0, 20, false}, {1, 13, 2, false}};
    EXPECT_EQ(WritesSince(first, before), restored);
    EXPECT_EQ(CaptureState.flipHorizontal + CaptureState.flipVertical, 2);
    EXPECT_EQ(CalibrationState.appliedSlot, 0);
    EXPECT_GT(CameraViewPixelsPerUnit(view), 0.0f);

    // Unplugged and plugged into another port: its serial number finds its settings.
    one.reset();
    ASSERT_TRUE(WaitUntil([] { return !IsDeviceOpen(); }));
    ScopedCamera elsewhere(kOneElsewhere, kOneOptions);
    ASSERT_TRUE(elsewhere.ok());
    ASSERT_TRUE(StreamingOn(kOneElsewhere, 1920)) << "plugged in again, it opens with the format it ran";
    PumpMessages();
    IUnknown* replugged = Source();
    EXPECT_EQ(WritesSince(replugged, 0), restored);
    EXPECT_EQ(CaptureState.flipHorizontal + CaptureState.flipVertical, 2);
    EXPECT_EQ(CalibrationState.appliedSlot, 0);

    // The second keeps its own; a stored value it refuses leaves its own.
    const DWORD outOfRange = 99;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Vardelo\\Cameras\\sw#settings scope two", L"Sharpness",
                              REG_DWORD, &outOfRange, sizeof outOfRange), ERROR_SUCCESS);
    before = CameraWrites(second).size();
    OpenInDialog(kTwo, L"1280x720");
    ASSERT_TRUE(StreamingOn(kTwo, 1280));
    PumpMessages();
    EXPECT_EQ(WritesSince(second, before), (std::vector<Write>{{1, 0, -10, false}, {1, 4, 99, false}}));
    EXPECT_EQ(CaptureState.properties[kPropSharpness].value, 3) << "the camera's own value";
    EXPECT_EQ(CalibrationState.appliedSlot, -1);
}

// A microscope whose LED ring tints the light: white balance from its grey card makes the card
// grey in the next photo and stays with the camera; the histogram follows the picture and marks
// what the exposure clips; "Reset camera", once the user says yes, puts the camera's defaults
// back, turns flips and balance off and forgets the record.
TEST_F(CameraSettingsTest, NeutralAreaHistogramAndReset) {
    const int w = 1280, h = 720;
    ASSERT_NO_FATAL_FAILURE(AddCamera(kTwo, L"--cast 1.0,0.85,0.7 --formats \"MJPG 1280x720\""));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(StreamingOn(kTwo, w));
    IUnknown* camera = Source();
    HWND histogram = Control(kSection, kPreviewHistogram);
    FrameHistogram hist;
    auto clipped = [&] { return HistogramViewUpdate(histogram) && HistogramViewGet(histogram, &hist) && HighlightsClipped(hist); };
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 50);  // the whole picture in the window
    const std::wstring folder = FreshTempFolder(L"vardelo-balance-test");
    ASSERT_TRUE(CopyTextField(AppSettings.imgDir, folder));
    AppSettings.jpgPng = 1;

    // The card's means in a photo (a PNG of the picture as shown, here at half its size).
    const CardArea card = GreyCardArea(w, h);
    const int margin = 12;  // the card drifts a few pixels with the stage
    auto cardMeans = [&](double* mean) {
        const unsigned long long composed = CameraViewGetInfo(view).composedFrames;
        ASSERT_TRUE(WaitUntil([&] { return CameraViewGetInfo(view).composedFrames > composed + 2; }));
        SendMessageW(main, WM_COMMAND, ID_TAKE_PHOTO, 0);
        const std::vector<std::wstring> files = FilesIn(folder);
        ASSERT_EQ(files.size(), 1u);
        const std::wstring file = folder + L"\\" + files[0];
        DecodedPicture pic;
        ASSERT_EQ(LoadPictureFile(file.c_str(), pic), PictureLoad::Ok);
        DeleteFileW(file.c_str());
        ASSERT_EQ(pic.width, w / 2);
        double sum[3] = {};
        int n = 0;
        for (int y = (card.y0 + margin) / 2; y < (card.y1 - margin) / 2; ++y)
            for (int x = (card.x0 + margin) / 2; x < (card.x1 - margin) / 2; ++x, ++n) {
                const uint8_t* p = &pic.rows[size_t(pic.height - 1 - y) * DibRowBytes(pic.width) + size_t(x) * 3];
                for (int c = 0; c < 3; ++c) sum[c] += p[c];
            }
        for (int c = 0; c < 3; ++c) mean[c] = sum[c] / n;
    };
    double tinted[3];
    ASSERT_NO_FATAL_FAILURE(cardMeans(tinted));
    EXPECT_GT(tinted[2] - tinted[0], 40) << "red over blue under the ring's light";

    // The pop-up's button, then a drag over the inside of the card.
    HWND popup = Popup(kPreviewWhiteBalance);
    SendMessageW(popup, WM_COMMAND, MAKEWPARAM(IDC_ADJUST_NEUTRAL, BN_CLICKED), 0);
    ASSERT_TRUE(CameraViewPickingArea(view));
    CameraViewInfo info = CameraViewGetInfo(view);
    RECT client;
    GetClientRect(view, &client);
    auto at = [&](int fx, int fy) {
        const BlitSpan x = BlitAxis(info.hBar, info.scrollX, info.displayW, client.right);
        const BlitSpan y = BlitAxis(info.vBar, info.scrollY, info.displayH, client.bottom);
        return MAKELPARAM(fx * info.displayW / w - x.src + x.dst, fy * info.displayH / h - y.src + y.dst);
    };
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at(card.x0 + margin, card.y0 + margin));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, at(card.x1 - margin, card.y1 - margin));
    SendMessageW(view, WM_LBUTTONUP, 0, at(card.x1 - margin, card.y1 - margin));
    EXPECT_FALSE(CameraViewPickingArea(view));
    const ChannelGains gains = UnpackGains(CaptureState.channelGains.load());
    EXPECT_EQ(gains.red, kUnityGain) << "the strongest channel keeps its level";
    double balanced[3];
    ASSERT_NO_FATAL_FAILURE(cardMeans(balanced));
    EXPECT_NEAR(balanced[0], balanced[2], 2.0) << "blue and red of the card";
    EXPECT_NEAR(balanced[1], balanced[2], 2.0) << "green and red of the card";
    ASSERT_NE(OpenCameraRecord(), nullptr);
    EXPECT_EQ(OpenCameraRecord()->balance, gains);
    PumpMessages();
    HWND balanceButton = Control(kSection, kPreviewWhiteBalance);
    EXPECT_EQ(PrintedPixel(balanceButton, 2, 2), RGB(59, 180, 247)) << "the button shows the balance";
    // The camera's own white balance set above the light's temperature warms the picture.
    popup = Popup(kPreviewWhiteBalance);
    Slide(popup, kPropWhiteBalance, 6500);
    double warmer[3];
    ASSERT_NO_FATAL_FAILURE(cardMeans(warmer));
    EXPECT_GT(warmer[2] - warmer[0], 20);
    RemoveTree(folder);

    // Four times the light: the histogram marks the clipped highlights, most of the picture.
    popup = Popup(kPreviewExposure);
    Slide(popup, kPropExposure, -2);
    CloseAdjustPopup();
    Press(kSection, kPreviewFirstEffect);
    const size_t before = CameraWrites(camera).size();
    ASSERT_TRUE(WaitUntil([&] { return clipped() && hist.luma[255] > hist.samples / 2; }));
    CheckDlgButton(Section(kSection), kPreviewHistogramRgb, BST_CHECKED);
    Press(kSection, kPreviewHistogramRgb);
    Shot(main, L"camera_settings_histogram_en");

    RunScripted([&] { Press(kSection, kPreviewResetCamera); return INT_PTR(0); },
                {OnDialog(L"Reset camera", [&](HWND box) { ClickDialogButton(box, IDYES); })});
    const std::vector<Write> defaults = WritesSince(camera, before);
    EXPECT_TRUE(Has(defaults, {0, 4, -6, true})) << "exposure back to automatic";
    EXPECT_TRUE(Has(defaults, {1, 7, 4600, true}));
    EXPECT_TRUE(Has(defaults, {1, 0, 0, false}));
    EXPECT_EQ(CaptureState.flipHorizontal.load(), 0);
    EXPECT_TRUE(UnpackGains(CaptureState.channelGains.load()).Neutral());
    HKEY key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Vardelo\\Cameras\\sw#settings scope two", 0, KEY_READ, &key),
              ERROR_SUCCESS) << "the record is forgotten";
    ASSERT_TRUE(WaitUntil([&] { return !clipped(); })) << "the micrometer as drawn has no white";

    AppSettings.language = 1;
    LoadTextTable(1);
    PostMessageW(panel, WM_COMMAND, CMD_RELOAD_TEXTS, 0);
    PumpMessages();
    EXPECT_EQ(WindowText(Control(kSection, kPreviewResetCamera)), L"\u91cd\u7f6e\u76f8\u673a");
    Shot(main, L"camera_settings_histogram_zh");
}

}  // namespace
