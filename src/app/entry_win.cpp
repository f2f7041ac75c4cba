// The Windows entry point; everything else lives in VardeloMain so tests can link the program.
#include "app/shell_state_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return VardeloMain(instance);
}
