// Geometry and timing of the prompt toast.
#include "app/prompt_layout.h"

PromptRect PromptLayout(int textWidth, int textHeight, int x, int y, int parentClientWidth) {
    PromptRect r;
    r.width = textWidth + 32;
    r.height = textHeight + 16;
    r.x = x > 0 ? x : (parentClientWidth - r.width) / 2;
    r.y = y;  // the parent's client area starts at 0
    return r;
}

bool PromptTick(int& ticks, int autoHide) {
    if (!autoHide) return false;
    ++ticks;
    return ticks > kPromptAutoHide;
}
