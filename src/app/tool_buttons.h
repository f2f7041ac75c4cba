// The two toolbars' buttons (ids, positions, artwork cells, tooltip keys), which ids each toolbar
// passes on to the main window, and the arithmetic of a tool button's look and tooltip place.
// Portable: shared by the window code and the native tests.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kToolButtonSize = 52;     // a button is 52 x 52 pixels at 96 dpi
constexpr int kToolCellSize = 40;       // one picture of the 1x artwork strip is 40 x 40
constexpr int kToolStripCells = 27;     // the strip holds 27 pictures side by side
constexpr int kToolStripWidth = kToolCellSize * kToolStripCells;  // 1080
constexpr int kToolVeilSide = 2 * kToolCellSize;                  // the green veil: 80 x 80
constexpr int kToolTipChars = 64;       // tooltip buffer, terminator included


// Commands a tool button accepts (WM_COMMAND, low word of wParam).
constexpr int TOOLBTN_SET_CHECKED = 1;  // lParam: non-zero = checked
constexpr int TOOLBTN_SET_TOOLTIP = 6;  // lParam: const wchar_t*, copied (63 characters at most)

enum ToolButtonOrientation { kTipBelow = 0, kTipRight = 1 };

struct ToolButtonSpec {
    int id;
    int x, y;
    int cell;            // picture index in the strip
    const char* tipKey;  // text key of the tooltip; nullptr = no tooltip
    const char* keyName = nullptr;  // text key of the name of the command's key, if it has one
};

// The tooltip of a button in the current language: its text, with the name of its command's key
// when it has one ("Take photo (Space)"); empty for a button without a tooltip.
std::wstring ToolButtonTip(const ToolButtonSpec& b);

extern const ToolButtonSpec kHToolbarButtons[13];  // horizontal toolbar, creation order
extern const ToolButtonSpec kVToolbarButtons[10];  // vertical toolbar, creation order

// A button's place in its toolbar and its side at a display scale: the table's 96-dpi figures
// scaled one by one (ScalePx; the side rounded down), so 96 dpi gives the table unchanged.
struct ToolButtonPlace { int x, y, size; };
ToolButtonPlace ToolButtonAt(const ToolButtonSpec& b, int dpi);

// Which button ids each toolbar posts on to the main window; any other id is dropped.
bool HToolbarForwards(int id);
bool VToolbarForwards(int id);

// The mouse is inside when 0 < x < width and 0 < y < height, the coordinates read as unsigned
// 16-bit values: edge pixels and anything left of or above the button count as outside.
bool ToolButtonInside(uint16_t x, uint16_t y, int width, int height);

// Constant opacity of the green veil: 180 pressed, else 144 hovered, else 96 checked, else 0
// (no veil).
int ToolButtonVeilAlpha(bool hover, bool pressed, bool checked);

// One colour channel after blending src over dst at constant opacity alpha/255.
uint8_t BlendChannel(uint8_t dst, uint8_t src, int alpha);

struct TipPoint { int x, y; };
// Where a button's tooltip goes, in the main window's client coordinates: below the button
// (kTipBelow) or to its right (kTipRight), 2 pixels away at 96 dpi (scaled with dpi). (bx, by)
// is the button's place in its toolbar, (tx, ty) the toolbar's place in the main window.
TipPoint ToolTipAnchor(int orientation, int bx, int by, int bw, int bh, int tx, int ty, int dpi = 96);

// The horizontal-toolbar button of a measuring tool (MeasureTool value); unknown tools -> none.
int ToolButtonIdForTool(int tool);

// Copies at most max-1 characters of text (nullptr = empty) into dst and terminates it.
void CopyCut(wchar_t* dst, std::size_t max, const wchar_t* text);
