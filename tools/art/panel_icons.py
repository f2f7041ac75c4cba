"""Icons 5119 and 5121, the source section's buttons: an open folder (the save folder) and a
gear (the options), light line drawings with a green accent like the toolbar artwork, on a
transparent ground so they sit on the button's own face."""
import math
import os

from raster import Canvas, ico

HERE = os.path.dirname(__file__)
FOLDER_OUT = os.path.join(HERE, "..", "..", "src", "resources", "panel_folder.ico")
SETTINGS_OUT = os.path.join(HERE, "..", "..", "src", "resources", "panel_settings.ico")

INK = (52, 60, 76, 255)      # dark lines: the buttons have a light face
GREEN = (40, 170, 92, 255)
PAPER = (236, 200, 96, 255)  # the folder's body


def folder(n):
    s = n / 32.0
    c = Canvas(n, n)
    # back of the folder with its tab
    c.polygon([(3 * s, 8 * s), (12 * s, 8 * s), (15 * s, 11 * s), (27 * s, 11 * s), (27 * s, 26 * s),
               (3 * s, 26 * s)], INK)
    c.polygon([(4.5 * s, 9.5 * s), (11.4 * s, 9.5 * s), (14.4 * s, 12.5 * s), (25.5 * s, 12.5 * s),
               (25.5 * s, 24.5 * s), (4.5 * s, 24.5 * s)], PAPER)
    # the open front flap, leaning forward
    c.polygon([(3 * s, 26 * s), (8 * s, 15 * s), (30 * s, 15 * s), (25 * s, 26 * s)], INK)
    c.polygon([(5.2 * s, 24.6 * s), (9 * s, 16.5 * s), (27.8 * s, 16.5 * s), (24 * s, 24.6 * s)], PAPER)
    c.line(11 * s, 20.5 * s, 22 * s, 20.5 * s, 1.8 * s, GREEN)
    return c


def gear(n):
    s = n / 32.0
    c = Canvas(n, n)
    cx = cy = 16 * s
    teeth = 8
    for i in range(teeth):
        a = 2 * math.pi * i / teeth
        dx, dy = math.cos(a), math.sin(a)
        px, py = -dy, dx
        w, r0, r1 = 2.6 * s, 8 * s, 13.5 * s
        c.polygon([(cx + dx * r0 + px * w, cy + dy * r0 + py * w), (cx + dx * r1 + px * w * 0.8, cy + dy * r1 + py * w * 0.8),
                   (cx + dx * r1 - px * w * 0.8, cy + dy * r1 - py * w * 0.8), (cx + dx * r0 - px * w, cy + dy * r0 - py * w)],
                  INK)
    c.circle(cx, cy, 10 * s, INK)
    # the hub's hole: coverage taken out of the body along its edge
    r = 4.6 * s
    for y in range(n):
        for x in range(n):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            p = c.px[y * n + x]
            if d < r + 0.5:
                p[3] *= max(0.0, d - (r - 0.5))
    c.ring(cx, cy, r + 1.2 * s, 1.6 * s, GREEN)
    return c


if __name__ == "__main__":
    # 20 px is the buttons' size at 96 dpi; 30 and 40 are its 1.5x and 2x.
    sizes = [16, 20, 24, 30, 32, 40]
    ico([folder(n) for n in sizes], FOLDER_OUT)
    ico([gear(n) for n in sizes], SETTINGS_OUT)
