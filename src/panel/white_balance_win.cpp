// White balance from a neutral area: arming the camera view, and the gains from the rectangle
// the user dragged, measured on the frame the view shows.
#include "panel/white_balance_win.h"

#include <windows.h>

#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/camera_settings_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"
#include "view/measure_model.h"

namespace {

constexpr int kMinAreaSide = 2;  // frame pixels; a click without a drag picks nothing

void Tell(const char* key) {
    if (ShellState.mainWnd) ShowPrompt(ShellState.mainWnd, GetText(key).c_str(), 0, ShellState.toolbarHeight + 1);
}

// Gray, binary, invert and emboss leave no colour to measure.
bool ColourEffectOn() {
    const CaptureStateData& s = CaptureState;
    return s.gray != 0 || s.binary != 0 || s.invert != 0 || s.emboss != 0;
}

}  // namespace

void StartNeutralAreaPick() {
    if (!ShellState.cameraView || !IsDeviceOpen()) return;
    if (ColourEffectOn()) {
        Tell("wb effects");
        return;
    }
    SelectTool(kToolNone);
    CameraViewPickArea(ShellState.cameraView, true);
    SetFocus(ShellState.cameraView);  // Escape drops the pick
    Tell("wb drag");
}

void OnNeutralAreaPicked(const FrameArea& area) {
    if (!IsDeviceOpen()) return;
    if (ColourEffectOn()) {
        Tell("wb effects");
        return;
    }
    if (area.x1 - area.x0 < kMinAreaSide || area.y1 - area.y0 < kMinAreaSide) {
        StartNeutralAreaPick();
        return;
    }
    // As in the view's paint, the slot last published is read without a lock: the streaming
    // thread fills the slots after it first, so its pixels stay for three frame periods (a
    // timing assumption), and adding up even a whole 1080p frame takes a few milliseconds.
    const DisplayFrame* frame = GetCurrentFrame();
    if (!frame) return;
    const AreaMeans means = MeanOfArea(frame, CaptureState.width, CaptureState.height, area);
    NeutralProblem problem = NeutralProblem::None;
    const std::optional<ChannelGains> gains =
        NeutralGains(means, UnpackGains(CaptureState.channelGains.load()), &problem);
    if (!gains) {
        Tell(problem == NeutralProblem::Clipped ? "wb clipped" : "wb dark");
        return;
    }
    RememberBalance(*gains);
    if (ShellState.panel) PostMessageW(ShellState.panel, WMU_PANEL_REFRESH, 1, 0);  // the button lights up
    Tell("wb done");
}
