"""Icons 5116 and 5117, the camera view's corner button: four arrows pointing out to the
corners (full screen), or in from the corners to the centre (leave full screen), on a
translucent dark disc, readable over any picture."""
import os
from raster import Canvas, ico

RES = os.path.join(os.path.dirname(__file__), "..", "..", "src", "resources")
OUT = os.path.join(RES, "fullscreen.ico")
OUT_LEAVE = os.path.join(RES, "fullscreen_leave.ico")


def draw(n):
    s = n / 32.0
    c = Canvas(n, n)
    c.round_rect(0.5 * s, 0.5 * s, 31.5 * s, 31.5 * s, 7 * s, (20, 24, 32, 200))
    white = (240, 244, 250, 255)
    w = 2.6 * s
    for sx, sy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
        # corner point, arrow head and the shaft running in from the centre
        cx, cy = 16 + sx * 10.5, 16 + sy * 10.5
        c.line((16 + sx * 3.5) * s, (16 + sy * 3.5) * s, (cx - sx * 1.5) * s, (cy - sy * 1.5) * s, w, white)
        c.polygon([(cx * s, cy * s), ((cx - sx * 8) * s, cy * s), (cx * s, (cy - sy * 8) * s)], white)
    return c


def draw_leave(n):
    s = n / 32.0
    c = Canvas(n, n)
    c.round_rect(0.5 * s, 0.5 * s, 31.5 * s, 31.5 * s, 7 * s, (20, 24, 32, 200))
    white = (240, 244, 250, 255)
    w = 2.6 * s
    for sx, sy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
        # arrow head near the centre, the shaft running out to the corner
        hx, hy = 16 + sx * 3.5, 16 + sy * 3.5
        c.line((hx + sx * 1.5) * s, (hy + sy * 1.5) * s, (16 + sx * 12) * s, (16 + sy * 12) * s, w, white)
        c.polygon([(hx * s, hy * s), ((hx + sx * 7) * s, hy * s), (hx * s, (hy + sy * 7) * s)], white)
    return c


if __name__ == "__main__":
    # 32, 48 and 64 are the button's icon at 1x, 1.5x and 2x of the display scale.
    ico([draw(32), draw(24), draw(16), draw(48), draw(64)], OUT)
    ico([draw_leave(32), draw_leave(24), draw_leave(16), draw_leave(48), draw_leave(64)], OUT_LEAVE)
