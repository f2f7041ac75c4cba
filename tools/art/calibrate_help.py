"""Bitmap 130, the calibration help picture: a ruler seen through the microscope, with the
calibration line laid over two of its marks, one end grabbed by the mouse to adjust it; bitmaps
6111 and 6112 are the same drawing at 1.5x and 2x for larger display scales.

The ground is one flat colour up to the edges, because the dialog fills any room around the
centred picture with the colour of its top-left pixel.
"""
import os
from raster import Canvas, bmp24

RES = os.path.join(os.path.dirname(__file__), "..", "..", "src", "resources")
OUTS = ((1.0, "calibrate_help.bmp"), (1.5, "calibrate_help_15x.bmp"), (2.0, "calibrate_help_2x.bmp"))

W, H = 480, 120
GROUND = (240, 240, 240, 255)  # the usual dialog face colour
SCREEN = (44, 48, 56, 255)
RULER = (236, 214, 150, 255)
RULER_EDGE = (176, 150, 84, 255)
INK = (40, 36, 30, 255)
LINE = (64, 214, 120, 255)
WHITE = (250, 250, 250, 255)
SHADOW = (0, 0, 0, 90)


def digit(c, ch, x, y, h, rgba, w=1.6):
    """A stroke digit of height h with its top-left corner at (x, y)."""
    s = h / 2
    segs = {
        "0": [(0, 0, s, 0), (s, 0, s, h), (s, h, 0, h), (0, h, 0, 0)],
        "1": [(s * 0.5, 0, s * 0.5, h), (s * 0.15, h * 0.2, s * 0.5, 0)],
        "2": [(0, 0, s, 0), (s, 0, s, s), (s, s, 0, s), (0, s, 0, h), (0, h, s, h)],
        "3": [(0, 0, s, 0), (s, 0, s, h), (0, s, s, s), (0, h, s, h)],
        "4": [(0, 0, 0, s), (0, s, s, s), (s, 0, s, h)],
        "5": [(s, 0, 0, 0), (0, 0, 0, s), (0, s, s, s), (s, s, s, h), (s, h, 0, h)],
    }[ch]
    for x0, y0, x1, y1 in segs:
        c.line(x + x0, y + y0, x + x1, y + y1, w, rgba)


def pointer(c, x, y, scale=1.0):
    """The standard arrow cursor with its tip at (x, y)."""
    pts = [(0, 0), (0, 17), (4, 13), (7, 20), (10, 19), (7, 12), (12, 12)]
    pts = [(x + px * scale, y + py * scale) for px, py in pts]
    c.polygon([(px + 1.5, py + 1.5) for px, py in pts], SHADOW)
    c.polygon(pts, WHITE)
    for i in range(len(pts)):
        x0, y0 = pts[i]
        x1, y1 = pts[(i + 1) % len(pts)]
        c.line(x0, y0, x1, y1, 1.2, INK)


def arrowhead(c, x, y, direction, rgba):
    """A filled arrowhead pointing left (-1) or right (+1) with its tip at (x, y)."""
    c.polygon([(x, y), (x - direction * 9, y - 6), (x - direction * 9, y + 6)], rgba)


def draw(scale=1.0):
    c = Canvas(W, H, GROUND, scale)
    # the camera view, as a dark screen
    c.round_rect(20, 8, 460, 112, 8, SCREEN)
    # the ruler under the microscope: one mark per 0.5 mm, long marks on whole millimetres
    c.rect(28, 58, 452, 100, RULER)
    c.rect(28, 58, 452, 60, RULER_EDGE)
    c.rect(28, 98, 452, 100, RULER_EDGE)
    step = 40  # pixels per 0.5 mm
    for i in range(11):
        x = 40 + i * step
        long_mark = i % 2 == 0
        c.line(x, 60, x, 60 + (20 if long_mark else 11), 2.0 if long_mark else 1.4, INK, cap=False)
        if long_mark:
            digit(c, "012345"[i // 2], x - 3.5, 84, 11, INK)
    # the calibration line from 1 mm to 4 mm, with its end marks
    x0, x1, y = 120, 360, 40
    c.line(x0, y, x1, y, 3, LINE, cap=False)
    for x in (x0, x1):
        c.line(x, y - 18, x, y + 18, 2.5, LINE, cap=False)
    # guides from the line's ends down to the ruler's marks
    for x in (x0, x1):
        for yy in range(y + 22, 60, 6):
            c.line(x, yy, x, yy + 3, 1.2, (150, 230, 180, 255), cap=False)
    # the right end is hot: arrowheads both ways, and the mouse holding it
    arrowhead(c, x1 + 22, y, 1, LINE)
    arrowhead(c, x1 - 22, y, -1, LINE)
    pointer(c, x1 + 4, y + 4)
    return c


if __name__ == "__main__":
    for scale, name in OUTS:
        bmp24(draw(scale), os.path.join(RES, name))
