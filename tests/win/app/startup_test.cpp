// Start-up beside another copy: one in another session (it has the machine's mark only) and one
// at this desk that shows no window are named in a message box instead of this copy vanishing;
// with neither mark this copy is the first. And the process-wide habits set first thing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/instance_check_win.h"
#include "app/process_habits_win.h"
#include "app/shell_state_win.h"
#include "calib/shot_win.h"
#include "common/modal_script_win.h"
#include "settings/text_table.h"

namespace {

TEST(StartUp, AnotherCopyThatShowsNoWindowHereIsNamed) {
    ASSERT_EQ(FindWindowW(kMainWndClass, nullptr), nullptr);
    HANDLE machine = CreateMutexW(nullptr, FALSE, kInstanceMutexName);  // the other copy's marks
    ASSERT_NE(machine, nullptr);
    const struct { const char* where; bool sessionMark; const char* key; } cases[] = {
        {"in another session", false, "running elsewhere"},
        {"at this desk, closing", true, "running no window"},
    };
    for (const auto& c : cases) {
        HANDLE session = c.sessionMark ? CreateMutexW(nullptr, FALSE, kSessionMutexName) : nullptr;
        std::wstring shown;
        const INT_PTR ends = RunScripted(
            [] {
                InstanceMarks marks;
                return INT_PTR(AnotherCopyTakesOver(&marks));
            },
            {OnDialog(L"Vardelo", [&](HWND box) {
                shown = WindowText(GetDlgItem(box, 0xFFFF));  // the message box's text
                Shot(box, c.sessionMark ? L"running_no_window" : L"running_elsewhere");
                ClickDialogButton(box, IDOK);
            })});
        EXPECT_EQ(ends, 1) << c.where;
        EXPECT_EQ(shown, GetText(c.key)) << c.where;
        if (session) CloseHandle(session);
    }
    CloseHandle(machine);
    InstanceMarks marks;
    EXPECT_FALSE(AnotherCopyTakesOver(&marks));
}

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
