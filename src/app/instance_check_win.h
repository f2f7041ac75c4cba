// The single-instance check at start-up: one copy per machine, since a camera can be open in one
// process only. User-interface thread, before any window of the program exists.
#pragma once
#include <windows.h>

// The marks of this copy: held for the life of the process, they are what tells a later copy
// that this one runs.
struct InstanceMarks {
    HANDLE session = nullptr;  // kSessionMutexName: this copy runs at this desk
    HANDLE machine = nullptr;  // kInstanceMutexName: this copy runs on this machine
    InstanceMarks() = default;
    InstanceMarks(const InstanceMarks&) = delete;
    InstanceMarks& operator=(const InstanceMarks&) = delete;
    ~InstanceMarks();
};

// Makes this copy's marks. When another copy runs, brings its window forward, or tells the user
// in a message box when there is no window to bring (a copy in another session, or one at this
// desk that shows no window: still closing, say), and returns true: this copy must end.
bool AnotherCopyTakesOver(InstanceMarks* marks);
