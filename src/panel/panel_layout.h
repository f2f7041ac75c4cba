// The control panel's layout arithmetic: dialog units to pixels, section heights, the stacking
// and scrolling of the container, the title bar's chevron and the control rectangles of the
// source and preview sections. Pure arithmetic, shared by the windows and the tests.
#pragma once
#include <array>
#include <cstdint>

struct PanelRect {
    int x, y, width, height;
    bool operator==(const PanelRect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// The platform's dialog base units in pixels (horizontal, vertical).
struct DialogBase {
    int x, y;
};

// a * b / c rounded half away from zero, like the platform's MulDiv (-1 when c is 0).
int MulDivRound(int a, int b, int c);
inline int DluX(int units, DialogBase b) { return MulDivRound(units, b.x, 4); }
inline int DluY(int units, DialogBase b) { return MulDivRound(units, b.y, 8); }

// Margins around the stacked sections (4 dialog units each way) and the title-bar height
// (14 vertical dialog units).
struct PanelMetrics {
    int marginX, marginY, titleHeight;
};
PanelMetrics PanelMetricsFor(DialogBase b);

// A section's two heights; WMU_SECTION_HEIGHTS packs them collapsed low, expanded high.
struct SectionHeights {
    int collapsed = 0, expanded = 0;
    bool operator==(const SectionHeights& o) const { return collapsed == o.collapsed && expanded == o.expanded; }
};
// Collapsed = title bar + 1; expanded adds the body of bodyUnits vertical dialog units.
SectionHeights SectionHeightsFor(DialogBase b, int bodyUnits);
uint32_t PackSectionHeights(SectionHeights h);
SectionHeights UnpackSectionHeights(uint32_t packed);

// ---- Container ----

constexpr int kPanelMaxSections = 18;
constexpr int kPanelScrollPage = 20;  // fixed page; the range maximum is excess + 19

struct PanelScroll {
    bool showBar = false;
    int excess = 0;    // content height - client height when the bar shows, else 0
    int position = 0;  // clamped to 0..excess
    int maximum = 0;   // scroll range maximum (excess + page - 1) when the bar shows
};

// 2 x margin + the visible heights.
int PanelContentHeight(int marginY, const int* visibleHeights, int count);
// The scroll update: a bar only when the content is taller than the client area.
PanelScroll UpdatePanelScroll(int contentHeight, int clientHeight, int position);

// Scroll requests, numbered as the platform's vertical scroll-bar codes.
enum PanelScrollCode {
    kScrollLineUp = 0, kScrollLineDown = 1, kScrollPageUp = 2, kScrollPageDown = 3,
    kPanelThumbPosition = 4, kPanelThumbTrack = 5, kScrollTop = 6, kScrollBottom = 7,
};
// New position for a scroll request, clamped to 0..excess; any other code keeps position.
int PanelScrollTo(int code, int position, int excess, int step, int thumb);
// The position that shows the band top..bottom (client coordinates at the present position) in
// a client area of clientHeight with the least scrolling; a band taller than the area, or above
// it, shows from its top. Clamped to 0..excess.
int PanelScrollToShow(int position, int excess, int top, int bottom, int clientHeight);
// A wheel message scrolls one line whatever its delta: up when positive, else down.
inline int PanelWheelCode(int delta) { return delta > 0 ? kScrollLineUp : kScrollLineDown; }

// Rectangles of the stacked sections, one under the other from the top margin, shifted up by
// the scroll position; width = client width - 2 x margin.
void StackPanelSections(int clientWidth, PanelMetrics m, int position, const int* visibleHeights, int count,
                        PanelRect* out);

// ---- Title bar ----

struct PanelPoint {
    int x, y;
    bool operator==(const PanelPoint& o) const { return x == o.x && y == o.y; }
};
// The two strokes a -> apex -> b of the chevron: pointing up while open, down while collapsed.
// Its figures are pixels at 96 dpi and grow with the display scale.
struct Chevron {
    PanelPoint a, apex, b;
};
Chevron ChevronFor(int width, int height, bool open, int dpi = 96);

// ---- Sections (index 0 = id 100, the title bar) ----

constexpr int kSourceBodyUnits = 75;       // the lists and the two buttons
constexpr int kSourceTimelapseUnits = 18;  // the row of the time-lapse and mosaic buttons below them
constexpr int kSourceReadoutUnits = 18;    // the live read-out's two lines below that
constexpr int kSourceSectionUnits = kSourceBodyUnits + kSourceTimelapseUnits + kSourceReadoutUnits;
constexpr int kPreviewBodyUnits = 160;
using SourceLayout = std::array<PanelRect, 12>;   // ids 100-111
// ids 100-115: title, ratio read-out, trackbar and check, six effects, four camera buttons,
// histogram and its channels check box
using PreviewLayout = std::array<PanelRect, 16>;
// labelWidth: the widest of the three labels in pixels; a label wider than the 32 dialog
// units of its column widens the column and narrows the lists by as much.
SourceLayout LayOutSourceSection(int width, DialogBase b, int labelWidth = 0);
PreviewLayout LayOutPreviewSection(int width, DialogBase b);
