// The virtual microscope's options for measuring the program that watches it: frames prepared
// once and served in a loop (the camera then costs next to nothing per frame), every n-th frame
// dropped on purpose (and reported through IAMDroppedFrames), and a trace of the moment each
// frame is handed downstream. Stored with the instance's other values, set by vcamctl add.
#pragma once
#include <windows.h>

#include <string>

struct VcamMeasureOptions {
    int preEncoded = 0;      // frames prepared once and served in a loop; 0: each frame made afresh
    int dropEvery = 0;       // every n-th frame is dropped; 0: none
    std::wstring traceFile;  // where the hand-over times are written; empty: no trace
};

// Registry values PreEncoded, DropEvery and TraceFile of an instance's key.
void ReadMeasureOptions(HKEY key, VcamMeasureOptions* out);
void WriteMeasureOptions(HKEY key, const VcamMeasureOptions& options);

// vcamctl add: takes argv[*i] (and its value, moving *i past it) when it is one of
// --pre-encoded N (1..600), --drop-every N (2..1000) or --trace FILE. Returns 1 when taken,
// 0 when the option is not one of these, -1 when its value is missing or out of range.
int TakeMeasureOption(int argc, wchar_t** argv, int* i, VcamMeasureOptions* out);
// " pre-encoded=N drop-every=N trace=FILE" for vcamctl list.
std::wstring MeasureOptionsText(const VcamMeasureOptions& options);
extern const wchar_t kMeasureOptionsUsage[];
