// The focus stack section's layout (see stack_section_layout.h).
#include "panel/stack_section_layout.h"

StackLayout LayOutStackSection(int w, DialogBase b) {
    const int title = DluY(14, b), top = title + 1;
    const int inner = w - DluX(14, b), gap = DluX(2, b);
    const int wide = (inner - gap) * 3 / 5, narrow = inner - gap - wide;  // start or stop, cancel
    const int left = DluX(7, b), right = left + wide + gap;
    return {{
        {0, 0, w, title},
        {left, top + DluY(5, b), wide, DluY(14, b)},
        {right, top + DluY(5, b), narrow, DluY(14, b)},
        {left, top + DluY(23, b), inner, DluY(10, b)},
        {left, top + DluY(36, b), inner, DluY(27, b)},  // three lines
    }};
}
