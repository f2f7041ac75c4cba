// White balance from a neutral area: the pop-up's button arms the camera view, the user drags
// a rectangle over something white or grey, and the gains that make its mean neutral go on the
// frame pipeline and into the camera's record. User-interface thread only.
#pragma once

#include "frame/white_balance.h"

// Arms the camera view for one rectangle and tells the user what to do (no measuring tool stays
// active meanwhile).
void StartNeutralAreaPick();
// The rectangle the user dragged, in frame pixels: balances on it, or says why it cannot.
void OnNeutralAreaPicked(const FrameArea& area);
