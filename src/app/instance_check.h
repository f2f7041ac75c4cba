// The single-instance decision from what creating the named mutexes answered. Portable.
#pragma once
#include <cstdint>

// True when another copy runs: the mutex existed already, or it exists but may not be opened by
// this copy ("access denied": a copy of another user or an elevated one holds it). Any other
// failure to create it lets this copy start as the first one.
bool AnotherCopyRuns(bool mutexCreated, uint32_t lastError);

// What creating one of the two marks answered: whether a handle came back, and the last error.
struct MutexAnswer {
    bool created = false;
    uint32_t lastError = 0;
};

// Where the copy that runs already is. Every copy marks the machine and its own session (the
// session's mark is made first, so a copy that has the machine's mark also has the session's).
enum class OtherCopy {
    None,          // this copy is the first
    ThisSession,   // in this session: its window can be brought forward
    OtherSession,  // another user, or this user at another desk (fast user switching, remote
                   // desktop): its window cannot be seen from here
};
OtherCopy FindOtherCopy(const MutexAnswer& session, const MutexAnswer& machine);
