"""Icon 107, the program's icon: a microscope on a dark rounded tile with a green lens glint."""
import os
from raster import Canvas, ico

OUT = os.path.join(os.path.dirname(__file__), "..", "..", "src", "resources", "app.ico")


def draw(n):
    s = n / 48.0
    c = Canvas(n, n)
    c.round_rect(1 * s, 1 * s, 47 * s, 47 * s, 9 * s, (28, 32, 40, 255))
    white = (232, 236, 242, 255)
    green = (64, 214, 120, 255)
    # base and arm
    c.round_rect(10 * s, 38 * s, 38 * s, 42 * s, 2 * s, white)
    c.line(30 * s, 38 * s, 34 * s, 26 * s, 4.5 * s, white)
    c.line(34 * s, 26 * s, 28 * s, 14 * s, 4.5 * s, white)
    # stage
    c.round_rect(12 * s, 29 * s, 30 * s, 32 * s, 1.2 * s, white)
    # tube with eyepiece and objective
    c.line(18 * s, 9 * s, 24 * s, 23 * s, 7 * s, white, cap=False)
    c.line(16.5 * s, 5.5 * s, 18.5 * s, 10 * s, 8.5 * s, white, cap=False)
    c.circle(24.5 * s, 24.5 * s, 3 * s, green)
    return c


if __name__ == "__main__":
    ico([draw(48), draw(32), draw(16)], OUT)
