// The single-instance decision from what creating the named mutex answered. Portable.
#pragma once
#include <cstdint>

// True when another copy runs: the mutex existed already, or it exists but may not be opened by
// this copy ("access denied": a copy of another user or an elevated one holds it). Any other
// failure to create it lets this copy start as the first one.
bool AnotherCopyRuns(bool mutexCreated, uint32_t lastError);
