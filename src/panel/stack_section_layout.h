// The focus stack section's layout: the title bar, the start-or-stop and cancel buttons side by
// side, the depth-map option under them and the status line at the bottom. Pure arithmetic.
#pragma once
#include <array>

#include "panel/panel_layout.h"

constexpr int kStackBodyUnits = 66;
using StackLayout = std::array<PanelRect, 5>;  // ids 100-104
StackLayout LayOutStackSection(int width, DialogBase b);
