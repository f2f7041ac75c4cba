"""Tiny anti-aliased rasteriser and BMP/ICO writers for Vardelo's artwork.

Shapes are drawn by coverage (4x4 supersampling) onto an RGBA canvas; the artwork scripts
beside this file compose icons and bitmaps from them and write the files in src/resources.
Plain Python 3, no third-party modules.
"""
import math
import struct

SS = 4  # supersampling per axis


class Canvas:
    """A w x h picture drawn at `scale`: every coordinate and size given to the drawing methods is
    in 1x units and multiplied by the scale, so one drawing makes the 1x, 1.5x and 2x artwork
    (w, h and the pixels are those of the scaled picture)."""

    def __init__(self, w, h, bg=(0, 0, 0, 0), scale=1.0):
        self.scale = scale
        self.w, self.h = int(round(w * scale)), int(round(h * scale))
        self.px = [list(bg) for _ in range(self.w * self.h)]

    def blend(self, x, y, rgba, cov):
        if cov <= 0 or x < 0 or y < 0 or x >= self.w or y >= self.h:
            return
        r, g, b, a = rgba
        a = a / 255.0 * min(cov, 1.0)
        p = self.px[y * self.w + x]
        da = p[3] / 255.0
        oa = a + da * (1 - a)
        if oa <= 0:
            return
        for i, c in enumerate((r, g, b)):
            p[i] = (c * a + p[i] * da * (1 - a)) / oa
        p[3] = oa * 255.0

    def shape(self, inside, rgba, bbox=None):
        """Fills every pixel by the fraction of its subsamples for which inside(x, y) holds."""
        k = self.scale
        if k != 1.0:
            drawn = inside
            inside = lambda x, y: drawn(x / k, y / k)  # noqa: E731
        x0, y0, x1, y1 = [v * k for v in bbox] if bbox else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(math.floor(x0)) - 1), max(0, int(math.floor(y0)) - 1)
        x1, y1 = min(self.w, int(math.ceil(x1)) + 1), min(self.h, int(math.ceil(y1)) + 1)
        for y in range(y0, y1):
            for x in range(x0, x1):
                n = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            n += 1
                if n:
                    self.blend(x, y, rgba, n / (SS * SS))

    def rect(self, x0, y0, x1, y1, rgba):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, rgba, (x0, y0, x1, y1))

    def round_rect(self, x0, y0, x1, y1, r, rgba):
        def inside(x, y):
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        self.shape(inside, rgba, (x0, y0, x1, y1))

    def circle(self, cx, cy, r, rgba):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, rgba, (cx - r, cy - r, cx + r, cy + r))

    def ring(self, cx, cy, r, width, rgba):
        ri, ro = r - width / 2, r + width / 2
        self.shape(lambda x, y: ri * ri <= (x - cx) ** 2 + (y - cy) ** 2 <= ro * ro, rgba,
                   (cx - ro, cy - ro, cx + ro, cy + ro))

    def arc(self, cx, cy, r, width, a0, a1, rgba):
        """Ring segment from angle a0 to a1 in degrees (0 = right, counter-clockwise, y up)."""
        ri, ro = r - width / 2, r + width / 2

        def inside(x, y):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if not (ri * ri <= d <= ro * ro):
                return False
            a = math.degrees(math.atan2(cy - y, x - cx)) % 360
            s, e = a0 % 360, a1 % 360
            return s <= a <= e if s <= e else (a >= s or a <= e)
        self.shape(inside, rgba, (cx - ro, cy - ro, cx + ro, cy + ro))

    def line(self, x0, y0, x1, y1, width, rgba, cap=True):
        """A stroke of the given width; round caps when cap is true."""
        dx, dy = x1 - x0, y1 - y0
        ln2 = dx * dx + dy * dy or 1e-9
        hw = width / 2

        def inside(x, y):
            t = ((x - x0) * dx + (y - y0) * dy) / ln2
            if not cap and (t < 0 or t > 1):
                return False
            t = min(max(t, 0), 1)
            px, py = x0 + t * dx, y0 + t * dy
            return (x - px) ** 2 + (y - py) ** 2 <= hw * hw
        self.shape(inside, rgba, (min(x0, x1) - hw, min(y0, y1) - hw, max(x0, x1) + hw, max(y0, y1) + hw))

    def polygon(self, pts, rgba):
        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.shape(inside, rgba, (min(xs), min(ys), max(xs), max(ys)))

    def blit(self, other, ox, oy):
        """Copies other (drawn at the same scale) to (ox, oy) in 1x units."""
        ox, oy = int(round(ox * self.scale)), int(round(oy * self.scale))
        for y in range(other.h):
            for x in range(other.w):
                p = other.px[y * other.w + x]
                if p[3] > 0:
                    self.blend(ox + x, oy + y, (p[0], p[1], p[2], 255), p[3] / 255.0)

    def rgba_bytes(self, x, y):
        p = self.px[y * self.w + x]
        return [int(round(min(max(c, 0), 255))) for c in p]


def bmp24(canvas, path):
    """Writes a bottom-up 24-bit BMP (alpha composited over the canvas colour, so draw an opaque ground)."""
    row = (canvas.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(canvas.h - 1, -1, -1):
        line = bytearray()
        for x in range(canvas.w):
            r, g, b, a = canvas.rgba_bytes(x, y)
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def ico(canvases, path):
    """Writes an icon with one 32-bit image (alpha channel and AND mask) per canvas."""
    images = []
    for c in canvases:
        xor = bytearray()
        for y in range(c.h - 1, -1, -1):
            for x in range(c.w):
                r, g, b, a = c.rgba_bytes(x, y)
                xor += bytes((b, g, r, a))
        mask_row = ((c.w + 31) // 32) * 4
        mask = bytearray()
        for y in range(c.h - 1, -1, -1):
            bits = bytearray(mask_row)
            for x in range(c.w):
                if c.rgba_bytes(x, y)[3] < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((c.w, c.h, info + xor + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, blob in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, _, blob in images:
        out += blob
    with open(path, "wb") as f:
        f.write(out)
