// The frame trace's switch (VARDELO_TRACE), its file and the process's CPU time.
#include "frame/frame_trace_win.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "frame/perf_clock_win.h"

namespace {

constexpr size_t kTraceRecords = 1 << 16;  // about 36 minutes of shown frames at 30 a second

struct TraceFile {
    bool checked = false;
    std::wstring path;     // empty: no trace
    bool started = false;  // the file was replaced and the header written
    FrameTrace records;
};
TraceFile gTrace;  // user-interface thread

TraceFile& Trace() {
    if (!gTrace.checked) {
        gTrace.checked = true;
        const wchar_t* path = _wgetenv(L"VARDELO_TRACE");
        if (path && *path) {
            gTrace.path = path;
            gTrace.records.Reserve(kTraceRecords);
        }
    }
    return gTrace;
}

int64_t Value(FILETIME t) { return (int64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

int64_t ProcessCpuTime() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    return Value(kernel) + Value(user);
}

int64_t ThreadCpuTime() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    return Value(kernel) + Value(user);
}

}  // namespace

bool FrameTraceOn() { return !Trace().path.empty(); }

void TraceFrameShown(const FrameStamp& stamp, int64_t shownAt) {
    TraceFile& t = Trace();
    if (t.path.empty()) return;
    t.records.AddShown(stamp, shownAt);
    if (t.records.Full()) FlushFrameTrace();
}

void TraceTick(TickRecord tick) {
    TraceFile& t = Trace();
    if (t.path.empty()) return;
    tick.cpuTime = ProcessCpuTime();
    tick.uiCpuTime = ThreadCpuTime();
    t.records.AddTick(tick);
    if (t.records.Full()) FlushFrameTrace();
}

void FlushFrameTrace() {
    TraceFile& t = Trace();
    if (t.path.empty()) return;
    FILE* file = _wfopen(t.path.c_str(), t.started ? L"a" : L"w");
    if (!file) {
        OutputDebugStringW(L"Frame trace: the file cannot be written; tracing stops.\r\n");
        t.path.clear();
        return;
    }
    if (!t.started) std::fprintf(file, "vardelo qpf %lld\n", static_cast<long long>(PerfFrequency()));
    t.started = true;
    const bool ok = t.records.WriteTo(file);
    if (std::fclose(file) != 0 || !ok) OutputDebugStringW(L"Frame trace: writing failed.\r\n");
}
