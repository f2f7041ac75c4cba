// Input as the user gives it (see real_input_win.h).
#include "common/real_input_win.h"

#include "common/pump_win.h"

namespace {

void Send(INPUT in) {
    SendInput(1, &in, sizeof(in));
    PumpMessages();
}

void Mouse(DWORD flags, POINT screen) {
    INPUT in = {INPUT_MOUSE};
    in.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(in);
}

}  // namespace

void RealDrag(HWND window, POINT from, int dx, int dy) {
    ClientToScreen(window, &from);
    Mouse(0, from);
    Mouse(MOUSEEVENTF_LEFTDOWN, from);
    for (int i = 1; i <= 4; ++i) Mouse(0, {from.x + dx * i / 4, from.y + dy * i / 4});
    Mouse(MOUSEEVENTF_LEFTUP, {from.x + dx, from.y + dy});
}

void RealKey(WORD key) {
    INPUT in = {INPUT_KEYBOARD};
    in.ki.wVk = key;
    Send(in);
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    Send(in);
}
