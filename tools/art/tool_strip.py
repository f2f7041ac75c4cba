"""Bitmap 150, the tool-button artwork: 27 pictures of 40 x 40 side by side (1080 x 40, 24-bit)
on the buttons' dark ground. Light line icons with green accents, in the order the toolbars use:
logo, calibrate, crossline, line, parallels, rectangle, circle, concentric circles, angle, pencil,
text, stop measuring, delete last, delete all, text (light), open device, photo, video,
brightness, ratio, sharpness, contrast, saturation, gain, then three empty cells.
"""
import math
import os

from raster import Canvas, bmp24

RES = os.path.join(os.path.dirname(__file__), "..", "..", "src", "resources")
# Bitmap 150 at 1x, bitmaps 6103 and 6104 at 1.5x and 2x (cells of 60 and 80 pixels).
OUTS = ((1.0, "tool_strip.bmp"), (1.5, "tool_strip_15x.bmp"), (2.0, "tool_strip_2x.bmp"))

CELL = 40
GROUND = (21, 21, 25, 255)
INK = (228, 232, 238, 255)
SOFT = (150, 156, 168, 255)
GREEN = (64, 214, 120, 255)
W = 2.4  # stroke width


def rot(px, py, cx, cy, deg):
    a = math.radians(deg)
    dx, dy = px - cx, py - cy
    return cx + dx * math.cos(a) - dy * math.sin(a), cy + dx * math.sin(a) + dy * math.cos(a)


def handle(c, x, y):
    c.circle(x, y, 2.6, GREEN)


def logo(c):
    # A microscope on a small rounded tile, like the program icon.
    c.round_rect(3, 3, 37, 37, 7, (34, 40, 50, 255))
    s = 34 / 48.0
    ox = oy = 3

    def p(v):
        return v * s

    c.round_rect(ox + p(10), oy + p(38), ox + p(38), oy + p(42), p(2), INK)
    c.line(ox + p(30), oy + p(38), ox + p(34), oy + p(26), p(4.5), INK)
    c.line(ox + p(34), oy + p(26), ox + p(28), oy + p(14), p(4.5), INK)
    c.round_rect(ox + p(12), oy + p(29), ox + p(30), oy + p(32), p(1.2), INK)
    c.line(ox + p(18), oy + p(9), ox + p(24), oy + p(23), p(7), INK, cap=False)
    c.line(ox + p(16.5), oy + p(5.5), ox + p(18.5), oy + p(10), p(8.5), INK, cap=False)
    c.circle(ox + p(24.5), oy + p(24.5), p(3), GREEN)


def calibrate(c):
    c.ring(20, 20, 11, W, INK)
    for a, b, d, e in ((20, 5, 20, 13), (20, 27, 20, 35), (5, 20, 13, 20), (27, 20, 35, 20)):
        c.line(a, b, d, e, W, INK)
    c.circle(20, 20, 2.6, GREEN)


def crossline(c):
    c.line(20, 7, 20, 33, 2.6, INK)
    c.line(7, 20, 33, 20, 2.6, INK)
    for t in (11, 15.5, 24.5, 29):  # ruler ticks
        c.line(t, 17, t, 23, 1.4, SOFT, cap=False)
        c.line(17, t, 23, t, 1.4, SOFT, cap=False)


def line(c):
    c.line(10, 30, 30, 10, W, INK)
    handle(c, 10, 30)
    handle(c, 30, 10)


def parallels(c):
    c.line(7, 24, 23, 8, W, INK)
    c.line(17, 32, 33, 16, W, INK)
    c.line(15, 16, 25, 24, 1.4, GREEN)  # the distance between them
    c.polygon([(25.8, 24.8), (21.6, 24.2), (25.2, 20.6)], GREEN)
    c.polygon([(14.2, 15.2), (18.4, 15.8), (14.8, 19.4)], GREEN)


def rectangle(c):
    c.line(10, 10, 30, 10, W, INK)
    c.line(30, 10, 30, 30, W, INK)
    c.line(30, 30, 10, 30, W, INK)
    c.line(10, 30, 10, 10, W, INK)
    handle(c, 10, 10)
    handle(c, 30, 30)


def circle(c):
    c.ring(20, 20, 12, W, INK)
    c.line(20, 20, 28.5, 11.5, 1.4, GREEN)
    c.circle(20, 20, 2.2, GREEN)


def concentric(c):
    c.ring(20, 20, 13, W, INK)
    c.ring(20, 20, 7, W, INK)
    c.circle(20, 20, 2.2, GREEN)


def angle(c):
    c.line(9, 30, 33, 30, W, INK)
    c.line(9, 30, 25, 8, W, INK)
    c.arc(9, 30, 11, 1.8, 0, 54, GREEN)
    handle(c, 9, 30)


def pencil_shape(c, cx, cy, deg, length, width, ink, tip=GREEN):
    """A pencil along angle deg (image coordinates), centred at (cx, cy)."""
    half = length / 2
    a = math.radians(deg)
    ux, uy = math.cos(a), math.sin(a)
    nx, ny = -uy, ux
    hw = width / 2

    def pt(t, s):
        return (cx + ux * t + nx * s, cy + uy * t + ny * s)

    tip_len = width * 1.3
    body = [pt(-half + tip_len, -hw), pt(half, -hw), pt(half, hw), pt(-half + tip_len, hw)]
    c.polygon(body, ink)
    c.polygon([pt(half - 3.2, -hw), pt(half, -hw), pt(half, hw), pt(half - 3.2, hw)], SOFT)  # eraser
    c.polygon([pt(-half + tip_len, -hw), pt(-half + tip_len, hw), pt(-half, 0)], (236, 206, 160, 255))
    c.polygon([pt(-half + tip_len * 0.45, -hw * 0.55), pt(-half + tip_len * 0.45, hw * 0.55), pt(-half, 0)], tip)


def pencil(c):
    pencil_shape(c, 20, 20, 135 + 180, 30, 7, INK)
    c.line(7, 34, 15, 34, 1.4, GREEN)


def letter_t(c, ink):
    c.line(10, 10, 30, 10, 3.6, ink, cap=False)
    c.line(20, 10, 20, 31, 3.6, ink, cap=False)
    c.line(15.5, 31, 24.5, 31, 2.0, ink, cap=False)
    c.line(10, 9.2, 10, 14, 2.2, ink, cap=False)
    c.line(30, 9.2, 30, 14, 2.2, ink, cap=False)


def ruler_pencil(c):
    # Ruler along one diagonal, pencil across it.
    pts = [rot(x, y, 20, 20, 45) for x, y in ((4, 16), (36, 16), (36, 24), (4, 24))]
    c.polygon(pts, (150, 156, 168, 255))
    inner = [rot(x, y, 20, 20, 45) for x, y in ((5.4, 17.4), (34.6, 17.4), (34.6, 22.6), (5.4, 22.6))]
    c.polygon(inner, (58, 62, 72, 255))
    for i, x in enumerate(range(8, 34, 4)):
        l = 3.4 if i % 2 == 0 else 2.0
        a = rot(x, 17.4, 20, 20, 45)
        b = rot(x, 17.4 + l, 20, 20, 45)
        c.line(a[0], a[1], b[0], b[1], 1.1, INK, cap=False)
    pencil_shape(c, 20, 20, 315, 30, 6.5, INK)


def circled_cross(c):
    c.ring(20, 20, 12.5, W, INK)
    c.line(14.5, 14.5, 25.5, 25.5, 2.6, (240, 110, 100, 255))
    c.line(25.5, 14.5, 14.5, 25.5, 2.6, (240, 110, 100, 255))


def bin_(c):
    c.line(9, 12, 31, 12, W, INK)
    c.line(16, 12, 17, 8.5, 2.0, INK)
    c.line(17, 8.5, 23, 8.5, 2.0, INK)
    c.line(23, 8.5, 24, 12, 2.0, INK)
    c.line(12, 15, 13.5, 32, W, INK)
    c.line(28, 15, 26.5, 32, W, INK)
    c.line(13.5, 32, 26.5, 32, W, INK)
    for x0, x1 in ((16.5, 17), (20, 20), (23.5, 23)):
        c.line(x0, 17, x1, 28.5, 1.6, SOFT)


def plug(c):
    # Plug body with two prongs, cable going down.
    c.line(16, 5, 16, 12, 2.2, INK)
    c.line(24, 5, 24, 12, 2.2, INK)
    c.line(11, 13, 29, 13, W, INK)
    c.line(11, 13, 11, 19, W, INK)
    c.line(29, 13, 29, 19, W, INK)
    c.arc(20, 19, 9, W, 180, 360, INK)
    c.line(20, 28, 20, 31, W, INK)
    c.arc(25, 31, 5, W, 180, 270, GREEN)
    c.line(25, 36, 33, 36, W, GREEN)


def photo(c):
    c.line(15, 11, 17, 8, W, INK)
    c.line(17, 8, 23, 8, W, INK)
    c.line(23, 8, 25, 11, W, INK)
    c.round_rect(6, 11, 34, 31, 3.5, INK)
    c.round_rect(8.4, 13.4, 31.6, 28.6, 1.8, GROUND)
    c.ring(20, 20.5, 5.6, W, INK)
    c.circle(20, 20.5, 2.4, GREEN)
    c.circle(29, 15.5, 1.3, GREEN)


def video(c):
    c.round_rect(5, 12, 26, 29, 3.5, INK)
    c.round_rect(7.4, 14.4, 23.6, 26.6, 1.8, GROUND)
    c.polygon([(26, 19), (35, 13), (35, 28), (26, 22)], INK)
    c.circle(11.5, 18.5, 2.2, (240, 90, 80, 255))  # recording light


def sun(c):
    c.circle(20, 20, 5.6, INK)
    for k in range(8):
        a = math.radians(k * 45)
        c.line(20 + 9 * math.cos(a), 20 + 9 * math.sin(a), 20 + 13.5 * math.cos(a), 20 + 13.5 * math.sin(a), 2.2, INK)


def ratio(c):
    c.ring(20, 20, 13, W, INK)
    # the multiplication sign
    c.line(10.5, 16.5, 16.5, 23.5, 2.2, GREEN)
    c.line(16.5, 16.5, 10.5, 23.5, 2.2, GREEN)
    # the digit 2
    c.arc(24.5, 17.5, 3.6, 2.2, -30, 170, INK)
    c.line(27.6, 19.3, 21, 25.3, 2.2, INK)
    c.line(21, 25.3, 28.4, 25.3, 2.2, INK, cap=False)


def sharpness(c):
    tri = [(20, 7), (34, 32), (6, 32)]
    c.line(20, 7, 34, 32, W, INK)
    c.line(34, 32, 6, 32, W, INK)
    c.line(6, 32, 20, 7, W, INK)
    for x in (14, 20, 26):
        top = 7 + abs(x - 20) * 25 / 14 + 4
        c.line(x, top, x, 29, 1.6, GREEN if x == 20 else SOFT)


def contrast(c):
    c.ring(20, 20, 12, W, INK)
    c.shape(lambda x, y: (x - 20) ** 2 + (y - 20) ** 2 <= 12 ** 2 and x <= 20, INK, (8, 8, 32, 32))


def drop(c):
    # A drop: a circle at the bottom with a pointed top; the lower half filled.
    cx, cy, r = 20, 24, 9

    def inside(x, y):
        if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
            return True
        # the cone between the tip and the circle's tangent points
        if y < cy and y >= 6:
            half = (y - 6) / (cy - 6) * r * 1.02
            return abs(x - cx) <= half
        return False

    def edge(x, y):
        if not inside(x, y):
            return False
        for dx, dy in ((1.2, 0), (-1.2, 0), (0, 1.2), (0, -1.2), (0.85, 0.85), (-0.85, 0.85), (0.85, -0.85), (-0.85, -0.85)):
            if not inside(x + dx, y + dy):
                return True
        return False
    c.shape(lambda x, y: edge(x, y) or (inside(x, y) and y >= 23), INK, (8, 4, 32, 35))
    c.shape(lambda x, y: inside(x, y) and not edge(x, y) and y >= 23, GREEN, (8, 4, 32, 35))


def gain(c):
    for i, (x, h) in enumerate(((9, 5), (16, 9), (23, 13), (30, 17))):
        c.rect(x - 2.2, 33 - h, x + 2.2, 33, SOFT if i < 3 else INK)
    c.line(8, 22, 27, 9, 2.4, GREEN)
    c.polygon([(31, 6), (29.4, 14.2), (23.2, 5.6)], GREEN)


PICTURES = [logo, calibrate, crossline, line, parallels, rectangle, circle, concentric, angle, pencil,
            lambda c: letter_t(c, INK), ruler_pencil, circled_cross, bin_,
            lambda c: letter_t(c, (200, 224, 208, 255)), plug, photo, video, sun, ratio, sharpness,
            contrast, drop, gain, None, None, None]


def main():
    assert len(PICTURES) == 27
    for scale, name in OUTS:
        strip = Canvas(CELL * len(PICTURES), CELL, GROUND, scale)
        for k, draw in enumerate(PICTURES):
            if draw is None:
                continue
            cell = Canvas(CELL, CELL, GROUND, scale)
            draw(cell)
            strip.blit(cell, k * CELL, 0)
        bmp24(strip, os.path.join(RES, name))


if __name__ == "__main__":
    main()
