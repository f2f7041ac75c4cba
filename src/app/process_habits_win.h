// Process-wide settings made first thing at start, before any file, DLL or window is touched:
// how the system reports a drive without a disk, and where DLLs are looked for.
#pragma once

// Failing drives report errors instead of system message boxes, for every thread of the process;
// DLLs are looked for in the program's folder, the system folder and the folders added
// explicitly, never in the current directory.
void SetProcessHabits();
