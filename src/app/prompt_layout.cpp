// Geometry and timing of the prompt toast.
#include "app/prompt_layout.h"

#include "app/display_scale.h"

PromptMargins PromptTextOrigin(int dpi) { return {ScalePx(16, dpi), ScalePx(8, dpi)}; }

PromptRect PromptLayout(int textWidth, int textHeight, int x, int y, int parentClientWidth, int dpi) {
    PromptRect r;
    const PromptMargins m = PromptTextOrigin(dpi);
    r.width = textWidth + 2 * m.left;
    r.height = textHeight + 2 * m.top;
    r.x = x > 0 ? x : (parentClientWidth - r.width) / 2;
    r.y = y;  // the parent's client area starts at 0
    return r;
}

bool PromptTick(int& ticks, int autoHide) {
    if (!autoHide) return false;
    ++ticks;
    return ticks > kPromptAutoHide;
}
