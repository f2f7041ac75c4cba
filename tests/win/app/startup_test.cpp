// Start-up: the process-wide habits set first thing; beside another copy that shows no window
// here (one in another session has the machine's mark only; one at this desk may be closing), a
// message box names it instead of this copy vanishing; with neither mark this copy is the first.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/instance_check_win.h"
#include "app/process_habits_win.h"
#include "app/shell_state_win.h"
#include "common/modal_script_win.h"
#include "settings/text_table.h"

TEST(StartUp, HabitsAndAnotherCopyThatShowsNoWindowHere) {
    // No system box for a drive without a disk; DLLs are still found beside the program (the
    // virtual microscope's stands beside the tests), as a camera driver's loads behind COM need.
    SetProcessHabits();
    EXPECT_TRUE(GetErrorMode() & SEM_FAILCRITICALERRORS);
    HMODULE beside = LoadLibraryW(L"vcam.dll");
    EXPECT_NE(beside, nullptr);
    if (beside) FreeLibrary(beside);

    ASSERT_EQ(FindWindowW(kMainWndClass, nullptr), nullptr);
    HANDLE machine = CreateMutexW(nullptr, FALSE, kInstanceMutexName);  // the other copy's marks
    const struct { const char* where; bool sessionMark; const char* key; } cases[] = {
        {"in another session", false, "running elsewhere"},
        {"at this desk, closing", true, "running no window"},
    };
    for (const auto& c : cases) {
        HANDLE session = c.sessionMark ? CreateMutexW(nullptr, FALSE, kSessionMutexName) : nullptr;
        std::wstring shown;
        auto start = [] { InstanceMarks marks; return INT_PTR(AnotherCopyTakesOver(&marks)); };
        const INT_PTR ends = RunScripted(start, {OnDialog(L"Vardelo", [&](HWND box) {
            shown = WindowText(GetDlgItem(box, 0xFFFF));  // the message box's text
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
