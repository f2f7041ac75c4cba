// Files section sizes (see files_section_layout.h).
#include "panel/files_section_layout.h"

namespace {
constexpr int kFilesBodyUnits = 133;  // list and its margins; the image view comes on top
int ViewHeight(int width) { return int(0.75 * width); }
}  // namespace

SectionHeights FilesSectionHeights(int width, DialogBase b) {
    SectionHeights h = SectionHeightsFor(b, kFilesBodyUnits);
    h.expanded += ViewHeight(width);
    return h;
}

FilesLayout LayOutFilesSection(int width, DialogBase b) {
    const int title = DluY(14, b), top = title + 1;
    return {{
        {0, 0, width, title},
        {0, top + DluY(2, b), width, DluY(128, b)},
        {0, top + DluY(kFilesBodyUnits, b), width, ViewHeight(width)},
    }};
}
