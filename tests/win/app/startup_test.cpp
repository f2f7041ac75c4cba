// Start-up: the process-wide habits set first thing.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/process_habits_win.h"

namespace {

// No system box for a drive without a disk; DLLs are still found beside the program (the virtual
// microscope's DLL stands beside the tests), as a camera driver's loads behind COM need.
TEST(StartUp, ProcessHabits) {
    SetProcessHabits();
    EXPECT_TRUE(GetErrorMode() & SEM_FAILCRITICALERRORS);
    HMODULE beside = LoadLibraryW(L"vcam.dll");
    EXPECT_NE(beside, nullptr);
    if (beside) FreeLibrary(beside);
}

}  // namespace
