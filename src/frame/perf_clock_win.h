// The performance counter the frame path, the trace and the read-out stamp their times with:
// the same clock in every thread and process of the machine.
#pragma once
#include <windows.h>

#include <cstdint>

inline int64_t PerfNow() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

inline int64_t PerfFrequency() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
}
