// Sizes of the files section: its heights for the panel and where its title bar, list and
// image view go, in the panel's dialog-unit arithmetic (panel_layout.h).
#pragma once
#include <array>

#include "panel/panel_layout.h"

// Collapsed = title bar + 1; expanded = collapsed + 133 vertical dialog units + the 4:3 image
// view's height trunc(0.75 x width), so the expanded height follows the width.
SectionHeights FilesSectionHeights(int width, DialogBase b);

using FilesLayout = std::array<PanelRect, 3>;  // ids 100 (title bar), 101 (list), 102 (image view)
FilesLayout LayOutFilesSection(int width, DialogBase b);

// Before its first size change the section is as wide as the panel less 16 pixels.
constexpr int kFilesSectionInset = 16;
