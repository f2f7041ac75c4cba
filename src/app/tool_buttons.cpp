// Button tables of the toolbars and the arithmetic of a tool button.
#include "app/tool_buttons.h"

#include "app/display_scale.h"
#include "app/messages.h"
#include "settings/text_table.h"

const ToolButtonSpec kHToolbarButtons[13] = {
    {ID_CALIBRATE, 4, 0, 1, "tip calibration"},
    {ID_CROSSLINE, 58, 0, 2, "tip crossline"},
    {ID_TOOL_LINE, 116, 0, 3, "tip line"},
    {ID_TOOL_PARALLEL, 168, 0, 4, "tip line2"},
    {ID_TOOL_RECTANGLE, 220, 0, 5, "tip rectangle"},
    {ID_TOOL_CIRCLE, 272, 0, 6, "tip circle"},
    {ID_TOOL_CONCENTRIC, 324, 0, 7, "tip circle2"},
    {ID_TOOL_ANGLE, 376, 0, 8, "tip angle"},
    {ID_TOOL_PENCIL, 428, 0, 9, "tip pencil"},
    {ID_TOOL_TEXT, 480, 0, 10, "tip text"},
    {ID_TOOL_NONE, 532, 0, 11, "tip drag"},
    {ID_DELETE_LAST, 592, 0, 12, "tip del last"},
    {ID_DELETE_ALL, 644, 0, 13, "tip del all"},
};

const ToolButtonSpec kVToolbarButtons[10] = {
    {ID_ABOUT, 4, 0, 0, nullptr},
    {ID_OPEN_DEVICE, 4, 60, 15, "tip open"},
    {ID_TAKE_PHOTO, 4, 120, 16, "tip image", "key space"},  // Space in the camera view
    {ID_RECORD_VIDEO, 4, 174, 17, "tip video"},
    {ID_ADJUST_BRIGHTNESS, 4, 234, 18, "tip brightness"},
    {ID_ADJUST_RATIO, 4, 294, 19, "tip ratio"},
    {ID_ADJUST_SHARPNESS, 4, 348, 20, "tip sharpness"},
    {ID_ADJUST_CONTRAST, 4, 402, 21, "tip contrast"},
    {ID_ADJUST_SATURATION, 4, 456, 22, "tip saturation"},
    {ID_ADJUST_GAIN, 4, 510, 23, "tip gain"},
};

ToolButtonPlace ToolButtonAt(const ToolButtonSpec& b, int dpi) {
    // The side rounds down: round(x) + floor(side) <= round(x + side), so buttons that touch at
    // 96 dpi (line, parallels, ...) never overlap at any scale.
    const int d = dpi > 0 ? dpi : kBaseDpi;
    return {ScalePx(b.x, dpi), ScalePx(b.y, dpi), kToolButtonSize * d / kBaseDpi};
}

bool HToolbarForwards(int id) {
    return id == ID_CALIBRATE || (id >= 3021 && id <= 3030) || id == ID_TOOL_CONCENTRIC || id == ID_CROSSLINE;
}

bool VToolbarForwards(int id) {
    return id == ID_OPEN_DEVICE || (id >= 3007 && id <= 3010) || id == ID_ABOUT || (id >= 3093 && id <= 3099);
}

bool ToolButtonInside(uint16_t x, uint16_t y, int width, int height) {
    return x > 0 && x < width && y > 0 && y < height;
}

int ToolButtonVeilAlpha(bool hover, bool pressed, bool checked) {
    if (pressed) return 180;
    if (hover) return 144;
    if (checked) return 96;
    return 0;
}

uint8_t BlendChannel(uint8_t dst, uint8_t src, int alpha) {
    int v = (src * alpha + dst * (255 - alpha) + 127) / 255;
    return static_cast<uint8_t>(v);
}

TipPoint ToolTipAnchor(int orientation, int bx, int by, int bw, int bh, int tx, int ty, int dpi) {
    const int gap = ScalePx(2, dpi);
    // The horizontal toolbar sits at the main window's top and the vertical one at its left,
    // so one of (tx, ty) is always 0; both are added so the place stays right wherever the
    // toolbar is.
    if (orientation == kTipRight) return {bx + bw + gap + tx, by + ty};
    return {bx + tx, by + bh + gap + ty};
}

int ToolButtonIdForTool(int tool) {
    switch (tool) {
    case 1: return ID_TOOL_LINE;
    case 2: return ID_TOOL_PARALLEL;
    case 3: return ID_TOOL_RECTANGLE;
    case 4: return ID_TOOL_CIRCLE;
    case 5: return ID_TOOL_CONCENTRIC;
    case 6: return ID_TOOL_ANGLE;
    case 11: return ID_TOOL_PENCIL;
    case 12: return ID_TOOL_TEXT;
    default: return ID_TOOL_NONE;
    }
}

void CopyCut(wchar_t* dst, std::size_t max, const wchar_t* text) {
    if (!max) return;
    std::size_t n = 0;
    if (text)
        for (; n + 1 < max && text[n]; ++n) dst[n] = text[n];
    dst[n] = 0;
}

std::wstring ToolButtonTip(const ToolButtonSpec& b) {
    if (!b.tipKey) return {};
    return WithShortcut(GetText(b.tipKey), b.keyName ? GetText(b.keyName) : std::wstring());
}
