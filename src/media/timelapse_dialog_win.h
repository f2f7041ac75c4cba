// The time-lapse dialog (dialog resource 141): the plan of a run. User-interface thread only.
#pragma once
#include <windows.h>

#include "media/timelapse_plan.h"

// Shows the dialog over parent with the fields of the last run; true, with *plan, when the user
// pressed Start (the fields are then kept for the next time).
bool RunTimelapseDialog(HWND parent, TimelapsePlan* plan);
