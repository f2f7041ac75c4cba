// Recording soak: the real main window records the virtual microscope's 1920 x 1080 MJPG stream
// at 30 fps through the record dialog and the real writer for a while (120 s unless given) into
// a folder, then prints what the recorder did: frames written and not kept, peak queue bytes,
// peak private memory. KIND "mjpeg" records compressed files of the camera's own JPEGs,
// "mjpeg-encode" compressed files the writer encodes (the horizontal flip is on). Run by
// scripts/soak-record, never by the tests (it takes minutes and, uncompressed, tens of gigabytes
// of disk).
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "common/app_windows_win.h"
#include "common/pump_win.h"
#include "common/vcam_harness_win.h"
#include "frame/capture_state_win.h"
#include "media/avi_recorder_win.h"
#include "media/photo_saver_win.h"
#include "resources/record_dialog.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "view/camera_view_win.h"

namespace {

DWORD gSeconds = 120;
DWORD gStartedAt = 0;
int gStage = 0;  // 0 dialog not up, 1 recording, 2 stop pressed
SIZE_T gPeakPrivate = 0;
double gDelivered = 0;  // frames the camera delivered while recording: the measured rate over time
DWORD gLastTick = 0;

HWND Dialog() {
    HWND dlg = FindWindowW(L"#32770", nullptr);
    return dlg && IsWindowVisible(dlg) && GetDlgItem(dlg, IDC_REC_CLOCK) ? dlg : nullptr;
}

void SampleMemory() {
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof(pmc);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc)))
        gPeakPrivate = std::max<SIZE_T>(gPeakPrivate, std::max<SIZE_T>(pmc.PrivateUsage, pmc.PeakPagefileUsage));
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    SampleMemory();
    HWND dlg = Dialog();
    if (!dlg) return;
    if (gStage == 0) {
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_REC_START, BN_CLICKED), 0);
        gStartedAt = GetTickCount();
        gStage = 1;
        gLastTick = gStartedAt;
    } else if (gStage == 1) {
        const DWORD now = GetTickCount();
        gDelivered += CaptureState.fps * (now - gLastTick) / 1000.0;
        gLastTick = now;
    }
    if (gStage == 1 && GetTickCount() - gStartedAt >= gSeconds * 1000) {
        gStage = 2;
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_REC_START, BN_CLICKED), 0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: record_soak FOLDER [SECONDS [uncompressed|mjpeg|mjpeg-encode]]\n");
        return 2;
    }
    if (argc > 2) gSeconds = DWORD(std::atoi(argv[2]));
    const std::string kind = argc > 3 ? argv[3] : "uncompressed";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ULONG_PTR gdiplus = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplus, &input, nullptr);
    FindImageEncoders();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ShellState.instance = instance;
    RegisterAppWindowClasses(instance);

    ScopedCamera camera(L"Soak Scope", L"--formats \"MJPG 1920x1080\" --fps 30");
    if (!camera.ok()) {
        std::fprintf(stderr, "the virtual microscope could not be added\n");
        return 1;
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    LoadSettings();
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, AppSettings.imgDir, int(kImgDirChars));
    AppSettings.maxRecordTime = 0;
    AppSettings.compressVideo = kind != "uncompressed";
    requestedFormat = {kSubtypeMjpg, 1920, 1080, 0};
    HWND main = CreateMainWindow(instance);
    ShowWindow(main, SW_SHOWMAXIMIZED);
    if (!WaitUntil([] { return IsDeviceOpen() && CaptureState.width == 1920; }, 60000)) {
        std::fprintf(stderr, "the camera did not open at 1920 x 1080\n");
        return 1;
    }
    CaptureState.flipHorizontal = kind == "mjpeg-encode";
    WaitUntil([] { return false; }, 3000);  // let the frame rate settle
    std::printf("camera frame rate before recording: %.1f fps\n", CaptureState.fps.load());
    UINT_PTR timer = SetTimer(nullptr, 0, 100, Tick);
    SendMessageW(main, WM_COMMAND, ID_RECORD_VIDEO, 0);  // returns when the dialog has closed
    KillTimer(nullptr, timer);
    const DWORD wall = GetTickCount() - gStartedAt;
    SampleMemory();

    const RecorderStatus s = GetRecorderStatus();
    std::printf("recorded for %.1f s of wall time into %zu files\n", wall / 1000.0, gRecentFiles.size());
    std::printf("frames delivered by the camera: about %.0f (its measured rate over the recording)\n", gDelivered);
    std::printf("frames offered to the recorder: %lld (written %lld, dropped %lld)\n",
                static_cast<long long>(s.totalWritten + s.totalDropped), static_cast<long long>(s.totalWritten),
                static_cast<long long>(s.totalDropped));
    std::printf("video time: %.1f s\n", double(CaptureState.accumulatedTime + CaptureState.mediaTime) / 1e7);
    std::printf("peak queue bytes: %zu\n", s.totalPeakQueuedBytes);
    std::printf("peak private memory: %.1f MB\n", gPeakPrivate / 1048576.0);
    for (const std::wstring& f : gRecentFiles) std::printf("file: %ls\n", f.c_str());
    DestroyWindow(main);
    PumpMessages();
    Gdiplus::GdiplusShutdown(gdiplus);
    return 0;
}
