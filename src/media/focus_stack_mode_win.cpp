// The focus-stack mode (see focus_stack_mode_win.h): commands, progress, the hint, and the
// saving of the result through the photo commands. The fusing itself runs on the stack's worker
// thread (frame/stack_worker_win.h), which posts WMU_STACK_PROGRESS here.
#include "media/focus_stack_mode_win.h"

#include <new>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "frame/stack_worker_win.h"
#include "media/photo_commands_win.h"
#include "media/photo_paths.h"
#include "media/photo_saver_win.h"
#include "media/stack_rules.h"
#include "settings/app_settings.h"
#include "settings/text_table.h"

namespace {

bool hintShown = false;  // the hint's toast was shown for the current quiet spell

void Toast(const std::wstring& text) {
    if (ShellState.mainWnd) ShowPrompt(ShellState.mainWnd, text.c_str(), 0, ShellState.toolbarHeight + 1);
}

void ShowStackState() {
    if (ShellState.panel) PostMessageW(ShellState.panel, WMU_STACK_STATE, 0, 0);
    if (ShellState.cameraView) InvalidateRect(ShellState.cameraView, nullptr, FALSE);
}

void EndStackForTeardown();

void StartStack(HWND main) {
    if (StackExists() || !IsDeviceOpen()) return;
    if (!StartStackWorker(main, WMU_STACK_PROGRESS)) {
        Toast(GetText("stack no memory"));
        return;
    }
    // A camera that closes meanwhile (unplugged, another format) ends the stack first.
    CaptureState.finishStack = EndStackForTeardown;
    hintShown = false;
    Toast(GetText("stack started"));
    // The keys that stop and cancel go to the view.
    if (ShellState.cameraView) SetFocus(ShellState.cameraView);
    ShowStackState();
}

// The depth map beside the photo at photoPath; its loss is told.
void SaveDepthMap(const std::wstring& photoPath, int width, int height) {
    const std::wstring path = DepthMapPathFor(photoPath);
    std::vector<uint8_t> map;
    bool saved = false;
    try {
        map.resize(size_t(width) * height * 3);
        saved = RenderStackDepthMap(map.data()) && SaveFramePicture(path, map.data(), width, height, false);
    } catch (const std::bad_alloc&) {
    }
    if (!saved) Toast(TextWithPath(GetText("stack depth not saved"), path));
}

// Ends the stack; with save, the fused picture becomes a photo (and the depth map with it).
void EndStack(bool save) {
    if (!StackExists()) return;
    StopStackWorker();
    CaptureState.finishStack = nullptr;
    if (save) {
        int width = 0, height = 0;
        std::wstring path;
        if (const uint8_t* picture = FinishedStackPicture(&width, &height)) {
            if (SaveFramePhoto(picture, width, height, LocalMediaTime(), &path) && AppSettings.stackDepthMap == 1)
                SaveDepthMap(path, width, height);
        } else {
            Toast(GetText("stack empty"));
        }
    } else {
        Toast(GetText("stack cancelled"));
    }
    DiscardStack();
    hintShown = false;
    ShowStackState();
}

// The capture session is closing: the stack ends with what it has, saved (the worker must be
// done with the frame ring before the session frees it).
void EndStackForTeardown() { EndStack(true); }

void OnProgress() {
    if (!StackExists()) return;  // a message the worker posted before it was stopped
    const StackProgress p = CurrentStackProgress();
    const bool due = StackHintDue(p.fused, p.quiet);
    if (due && !hintShown) Toast(GetText("stack hint"));
    hintShown = due;
    if (ShellState.panel) PostMessageW(ShellState.panel, WMU_STACK_STATE, 0, 0);
}

}  // namespace

FocusStackStatus CurrentFocusStackStatus() {
    FocusStackStatus s;
    s.running = StackExists();
    if (!s.running) return s;
    const StackProgress p = CurrentStackProgress();
    s.fused = p.fused;
    s.leftOut = p.leftOut;
    s.hint = StackHintDue(p.fused, p.quiet);
    return s;
}

bool MainOnFocusStackMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WMU_STACK_PROGRESS:
        OnProgress();
        return true;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case ID_FOCUS_STACK:
            if (StackExists())
                EndStack(true);
            else
                StartStack(hwnd);
            return true;
        case ID_FOCUS_STACK_CANCEL:
            EndStack(false);
            return true;
        }
        return false;
    }
    return false;
}
