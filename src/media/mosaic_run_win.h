// The live mosaic's run: a worker thread of its own takes the newest camera frame whenever it is
// free (frames that come meanwhile are skipped), locates it in the mosaic and lays it in, and
// tells its window by a posted WMU_MOSAIC_STEP (at most one waiting at a time). The camera's
// streaming thread is not touched: the worker copies frames out of the frame ring itself.
//
// One run at a time. Start, stop and end come from the user-interface thread; the window reads
// the mosaic while holding a MosaicReading, which keeps the worker from changing it meanwhile.
#pragma once
#include <windows.h>

#include <cstddef>

#include "frame/live_mosaic.h"

struct MosaicStatus {
    bool running = false;     // the worker takes frames
    MosaicState state = MosaicState::Waiting;
    int placed = 0;           // frames laid into the mosaic
    MosaicRect bounds;        // of the mosaic, full-size pixels
    double fieldX = 0, fieldY = 0;  // the field's top-left as last found (once placed > 0)
    int frameWidth = 0, frameHeight = 0;
    bool noCamera = false;    // no camera frame to take
    bool otherSize = false;   // the camera sends frames of another size than the mosaic's
    double shading = 0;       // the camera's shading as learnt (see mosaic_shading.h)
};

// A new mosaic for the open camera's frame size, its worker started; notify gets the
// WMU_MOSAIC_STEP messages. False when no camera is open, a run exists, or there is no memory.
bool StartMosaicRun(HWND notify);
// The worker stopped and joined; the mosaic stays for saving.
void StopMosaicRun();
// The mosaic freed (after StopMosaicRun).
void EndMosaicRun();
bool MosaicRunExists();

// The status now, and the mosaic pixels changed since the last call (empty when none). Clears
// the pending-message flag, so the next step posts WMU_MOSAIC_STEP again.
MosaicStatus TakeMosaicStep(MosaicRect* changed);

// While one exists, the worker does not change the mosaic; Canvas() is null without a run.
class MosaicReading {
public:
    MosaicReading();
    ~MosaicReading();
    MosaicReading(const MosaicReading&) = delete;
    MosaicReading& operator=(const MosaicReading&) = delete;
    const MosaicCanvas* Canvas() const;
};
