// The control panel's layout arithmetic (see panel_layout.h).
#include "panel/panel_layout.h"

#include <algorithm>

#include "app/display_scale.h"

int MulDivRound(int a, int b, int c) {
    if (c == 0) return -1;
    int64_t num = int64_t(a) * b;
    int64_t den = c;
    if (den < 0) { num = -num; den = -den; }
    int64_t half = den / 2;
    return int(num >= 0 ? (num + half) / den : -((-num + half) / den));
}

PanelMetrics PanelMetricsFor(DialogBase b) {
    return {DluX(4, b), DluY(4, b), DluY(14, b)};
}

SectionHeights SectionHeightsFor(DialogBase b, int bodyUnits) {
    SectionHeights h;
    h.collapsed = DluY(14, b) + 1;
    h.expanded = h.collapsed + DluY(bodyUnits, b);
    return h;
}

uint32_t PackSectionHeights(SectionHeights h) {
    return (uint32_t(h.collapsed) & 0xFFFF) | ((uint32_t(h.expanded) & 0xFFFF) << 16);
}

SectionHeights UnpackSectionHeights(uint32_t packed) {
    return {int(packed & 0xFFFF), int(packed >> 16)};
}

int PanelContentHeight(int marginY, const int* visibleHeights, int count) {
    int sum = 2 * marginY;
    for (int i = 0; i < count; ++i) sum += visibleHeights[i];
    return sum;
}

PanelScroll UpdatePanelScroll(int contentHeight, int clientHeight, int position) {
    PanelScroll s;
    if (clientHeight >= contentHeight) return s;  // everything fits: no bar, position 0
    s.showBar = true;
    s.excess = contentHeight - clientHeight;
    s.maximum = s.excess + kPanelScrollPage - 1;
    s.position = std::clamp(position, 0, s.excess);
    return s;
}

int PanelScrollTo(int code, int position, int excess, int step, int thumb) {
    int next = position;
    switch (code) {
    case kScrollLineUp: next = position - step; break;
    case kScrollLineDown: next = position + step; break;
    case kScrollPageUp: next = position - 4 * step; break;
    case kScrollPageDown: next = position + 4 * step; break;
    case kPanelThumbPosition:
    case kPanelThumbTrack: next = thumb; break;
    case kScrollTop: next = 0; break;
    case kScrollBottom: next = excess; break;
    default: break;
    }
    return std::clamp(next, 0, std::max(excess, 0));
}

int PanelScrollToShow(int position, int excess, int top, int bottom, int clientHeight) {
    int next = position;
    if (top < 0 || bottom - top >= clientHeight) next = position + top;
    else if (bottom > clientHeight) next = position + bottom - clientHeight;
    return std::clamp(next, 0, std::max(excess, 0));
}

void StackPanelSections(int clientWidth, PanelMetrics m, int position, const int* visibleHeights, int count,
                        PanelRect* out) {
    int y = m.marginY - position;
    for (int i = 0; i < count; ++i) {
        out[i] = {m.marginX, y, clientWidth - 2 * m.marginX, visibleHeights[i]};
        y += visibleHeights[i];
    }
}

Chevron ChevronFor(int width, int height, bool open, int dpi) {
    auto px = [dpi](int v) { return ScalePx(v, dpi); };
    Chevron c;
    if (open) {
        int apex = (height - px(6)) / 2;
        c = {{width - px(25), apex + px(5)}, {width - px(20), apex}, {width - px(14), apex + px(6)}};
    } else {
        int apex = (height + px(8)) / 2;
        c = {{width - px(25), apex - px(5)}, {width - px(20), apex}, {width - px(14), apex - px(6)}};
    }
    return c;
}

SourceLayout LayOutSourceSection(int w, DialogBase b, int labelWidth) {
    const int title = DluY(14, b), top = title + 1;
    const int labelY = top + DluY(5, b), listY = top + DluY(3, b), row = DluY(15, b);
    const int wider = std::max(0, labelWidth - DluX(32, b));
    const int listX = DluX(36, b) + wider, listW = w - DluX(39, b) - wider;
    const int labelX = DluX(2, b), labelW = DluX(32, b) + wider, labelH = DluY(8, b), dropH = DluY(80, b);
    const int buttonW = (w - DluX(14, b)) / 2, buttonY = top + DluY(51, b), buttonH = DluY(16, b);
    return {{
        {0, 0, w, title},
        {labelX, labelY, labelW, labelH},
        {listX, listY, listW, dropH},
        {labelX, labelY + row, labelW, labelH},
        {listX, listY + row, listW, dropH},
        {labelX, labelY + row + row, labelW, labelH},
        {listX, listY + row + row, listW, dropH},
        {DluX(4, b), buttonY, buttonW, buttonH},
        {DluX(4, b) + buttonW + DluX(6, b), buttonY, buttonW, buttonH},
        // The read-out's two lines at the foot (id 109), under the row of the time-lapse and mosaic
        // buttons (ids 110 and 111) below the two.
        {DluX(4, b), top + DluY(kSourceBodyUnits + kSourceTimelapseUnits - 4, b), w - DluX(8, b), DluY(17, b)},
        {DluX(4, b), buttonY + buttonH + DluY(2, b), buttonW, buttonH},
        {DluX(4, b) + buttonW + DluX(6, b), buttonY + buttonH + DluY(2, b), buttonW, buttonH},
    }};
}

PreviewLayout LayOutPreviewSection(int w, DialogBase b) {
    const int title = DluY(14, b), top = title + 1;
    const int c = (w - DluX(14, b)) / 2;
    const int leftX = DluX(7, b), rightX = c + DluX(2, b) + DluX(7, b);
    const int row0 = top + DluY(27, b), step = DluY(16, b), buttonH = DluY(12, b);
    const int histogramY = top + DluY(107, b), checkY = top + DluY(148, b);
    return {{
        {0, 0, w, title},
        {DluX(4, b), top + DluY(4, b), DluX(48, b), DluY(8, b)},
        {DluX(4, b), top + DluY(14, b), w - DluX(8, b), DluY(8, b)},
        {w - DluX(50, b), top + DluY(4, b), DluX(46, b), DluY(10, b)},
        {leftX, row0, c, buttonH},
        {rightX, row0, c, buttonH},
        {leftX, row0 + step, c, buttonH},
        {rightX, row0 + step, c, buttonH},
        {leftX, row0 + step + step, c, buttonH},
        {rightX, row0 + step + step, c, buttonH},
        {leftX, row0 + 3 * step, c, buttonH},
        {rightX, row0 + 3 * step, c, buttonH},
        {leftX, row0 + 4 * step, c, buttonH},
        {rightX, row0 + 4 * step, c, buttonH},
        {leftX, histogramY, w - DluX(14, b), DluY(38, b)},
        {leftX, checkY, w - DluX(14, b), DluY(10, b)},
    }};
}
