// Owned windows put back above their owner (see owned_windows_win.h). Windows keeps an owned
// window above its owner whatever activates the owner. Under Wine 8 an activated window ends up
// above the windows it owns a moment after the activation, while the activation's X events are
// read, and no window-position message says so: the main window looks for that for a short while
// after each activation.
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
