// Owned windows put back above their owner (see owned_windows_win.h). Windows keeps an owned
// window above its owner whatever activates the owner; Wine's X11 driver, after it activates a
// window (a click into it), raises that window alone on the X side and then takes the X
// stacking back as the window order, a moment later (after the activation's messages, when the
// X server's answer is read), so the main window ends up above the windows it owns, and no
// window-position message says so. The main window looks for that for a short while after each
// activation.
#include "app/owned_windows_win.h"

#include <vector>

bool OwnedWindowBelow(HWND owner) {
    if (!owner) return false;
    for (HWND w = GetWindow(owner, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return true;
    return false;
}

void RaiseOwnedWindows(HWND owner) {
    if (!owner) return;
    std::vector<HWND> owned;  // from the top of the window order down
    for (HWND w = GetWindow(owner, GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w != owner && GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) owned.push_back(w);
    // The lowest first, so that each one raised afterwards lands above it.
    for (auto it = owned.rbegin(); it != owned.rend(); ++it)
        SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
