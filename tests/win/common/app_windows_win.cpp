// Window classes of the main window and its children, for test processes.
#include "common/app_windows_win.h"

#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "app/toolbar_win.h"
#include "view/camera_view_win.h"

void RegisterAppWindowClasses(HINSTANCE instance) {
    RegisterMainWndClass(instance);
    RegisterCameraWndClass(instance);
    RegisterPromptClass(instance);
    RegisterHToolbarClass(instance);
    RegisterVToolbarClass(instance);
    RegisterToolButtonClass(instance);
}

RECT RectIn(HWND window, HWND other) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, other, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
