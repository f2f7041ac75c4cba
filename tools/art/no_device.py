"""Bitmap 139, the camera view's "connect a microscope" picture: a microscope whose USB cable
runs to a plug that points at a port, with a dashed path between them. No text, so it serves
both languages; the view draws it centred on RGB(13, 15, 20), the ground colour used here."""
import os
from raster import Canvas, bmp24

RES = os.path.join(os.path.dirname(__file__), "..", "..", "src", "resources")
# Bitmap 139 at 1x, bitmaps 6101 and 6102 at 1.5x and 2x.
OUTS = ((1.0, "no_device.bmp"), (1.5, "no_device_15x.bmp"), (2.0, "no_device_2x.bmp"))

W, H = 420, 260
GROUND = (13, 15, 20, 255)
BODY = (206, 214, 226, 255)
DIM = (92, 102, 122, 255)
ACCENT = (64, 214, 120, 255)


def microscope(c, ox, oy):
    # base, pillar arm, stage, tube, eyepiece, objective with a green lens glint
    c.round_rect(ox + 0, oy + 150, ox + 120, oy + 166, 6, BODY)
    c.line(ox + 88, oy + 150, ox + 100, oy + 100, 16, BODY)
    c.line(ox + 100, oy + 100, ox + 80, oy + 44, 16, BODY)
    c.round_rect(ox + 14, oy + 112, ox + 84, oy + 122, 3, BODY)
    c.line(ox + 40, oy + 20, ox + 60, oy + 86, 26, BODY, cap=False)
    c.line(ox + 34, oy + 2, ox + 40, oy + 22, 32, BODY, cap=False)
    c.circle(ox + 61, oy + 94, 10, ACCENT)
    c.circle(ox + 58, oy + 91, 3, (220, 255, 230, 255))


def plug(c, x, y):
    # cable end with a USB-A plug pointing right
    c.round_rect(x, y - 14, x + 40, y + 14, 4, BODY)
    c.rect(x + 40, y - 10, x + 70, y + 10, DIM)
    c.rect(x + 46, y - 6, x + 52, y - 1, GROUND)
    c.rect(x + 58, y - 6, x + 64, y - 1, GROUND)


def port(c, x, y):
    # a computer's side with an open USB port
    c.round_rect(x, y - 70, x + 44, y + 70, 8, (40, 46, 60, 255))
    c.round_rect(x + 8, y - 14, x + 36, y + 14, 3, (24, 28, 36, 255))
    c.rect(x + 8, y - 14, x + 36, y - 6, DIM)


def draw(scale=1.0):
    c = Canvas(W, H, GROUND, scale)
    microscope(c, 30, 46)
    # cable from the base to the plug
    y = 204
    c.line(140, 204, 168, 204, 7, BODY)
    c.line(168, 204, 196, 150, 7, BODY)
    c.line(196, 150, 214, 150, 7, BODY)
    plug(c, 214, 150)
    # dashed path from plug to port with an arrow head
    for x in range(292, 334, 12):
        c.line(x, 150, x + 5, 150, 4, ACCENT)
    c.polygon([(338, 140), (350, 150), (338, 160)], ACCENT)
    port(c, 356, 150)
    # a ring of dots under the picture, like a waiting indicator
    for i, x in enumerate(range(186, 246, 12)):
        c.circle(x, 240, 3.5, ACCENT if i == 2 else DIM)
    return c


if __name__ == "__main__":
    for scale, name in OUTS:
        bmp24(draw(scale), os.path.join(RES, name))
