#!/usr/bin/env python3
"""evtart.py: draws the event test utility's pictures and writes them beside
this script: the program icon (evtview.ico, 32x32 and 16x16), the logo of the
main dialog (logo.bmp, bitmap 131) and the device picture of the
device-information dialog (device.bmp, bitmap 134).

Plain Python, no imaging library: shapes are drawn on a 4x finer grid and
averaged down, so edges are smooth. The generated files are committed; run
`python3 evtview/art/evtart.py` after changing a drawing.
"""
import math
import os
import struct

SS = 4  # supersampling factor

# Colours (r, g, b)
NAVY = (22, 40, 86)
NAVY_LIGHT = (44, 78, 150)
WHITE = (255, 255, 255)
RED = (214, 48, 49)
GREEN = (32, 160, 72)
BLUE = (40, 110, 220)
GREY_DARK = (70, 74, 82)
GREY = (150, 154, 162)
GREY_LIGHT = (206, 210, 216)
DIALOG = (212, 208, 200)  # the classic dialog face behind the pictures


class Canvas:
    """RGBA pixels on the fine grid; coordinates are in final pixels."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.fw, self.fh = w * SS, h * SS
        px = (fill + (255,)) if fill else (0, 0, 0, 0)
        self.px = [px] * (self.fw * self.fh)

    def _put(self, x, y, c):
        if 0 <= x < self.fw and 0 <= y < self.fh:
            self.px[y * self.fw + x] = c + (255,) if len(c) == 3 else c

    def shape(self, inside, colour, box=None):
        """Paints every fine pixel whose centre satisfies inside(x, y) (final units)."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        for fy in range(max(0, int(y0 * SS)), min(self.fh, int(math.ceil(y1 * SS)))):
            y = (fy + 0.5) / SS
            for fx in range(max(0, int(x0 * SS)), min(self.fw, int(math.ceil(x1 * SS)))):
                x = (fx + 0.5) / SS
                if inside(x, y):
                    self._put(fx, fy, colour)

    def rect(self, x0, y0, x1, y1, colour, radius=0.0):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 + 1e-9

        self.shape(inside, colour, (x0, y0, x1, y1))

    def ellipse(self, cx, cy, rx, ry, colour):
        self.shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0, colour,
                   (cx - rx, cy - ry, cx + rx, cy + ry))

    def gradient_ellipse(self, cx, cy, rx, ry, top, bottom):
        for fy in range(int((cy - ry) * SS), int(math.ceil((cy + ry) * SS))):
            y = (fy + 0.5) / SS
            t = min(max((y - (cy - ry)) / (2 * ry), 0.0), 1.0)
            colour = tuple(int(a + (b - a) * t) for a, b in zip(top, bottom))
            for fx in range(int((cx - rx) * SS), int(math.ceil((cx + rx) * SS))):
                x = (fx + 0.5) / SS
                if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0:
                    self._put(fx, fy, colour)

    def line(self, x0, y0, x1, y1, width, colour):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        half = width / 2.0

        def inside(x, y):
            t = min(max(((x - x0) * dx + (y - y0) * dy) / length2, 0.0), 1.0)
            px, py = x0 + t * dx - x, y0 + t * dy - y
            return px * px + py * py <= half * half

        pad = half + 1
        self.shape(inside, colour, (min(x0, x1) - pad, min(y0, y1) - pad, max(x0, x1) + pad, max(y0, y1) + pad))

    def polygon(self, points, colour):
        def inside(x, y):
            hit = False
            j = len(points) - 1
            for i, (xi, yi) in enumerate(points):
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit

        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(inside, colour, (min(xs), min(ys), max(xs) + 1, max(ys) + 1))

    def arrow(self, x0, y0, x1, y1, width, head, colour):
        ang = math.atan2(y1 - y0, x1 - x0)
        bx, by = x1 - head * math.cos(ang), y1 - head * math.sin(ang)
        self.line(x0, y0, bx, by, width, colour)
        nx, ny = -math.sin(ang) * head * 0.55, math.cos(ang) * head * 0.55
        self.polygon([(x1, y1), (bx + nx, by + ny), (bx - nx, by - ny)], colour)

    def arc(self, cx, cy, rx, ry, a0, a1, width, colour, steps=24):
        pts = [(cx + rx * math.cos(a0 + (a1 - a0) * i / steps), cy + ry * math.sin(a0 + (a1 - a0) * i / steps))
               for i in range(steps + 1)]
        for (xa, ya), (xb, yb) in zip(pts, pts[1:]):
            self.line(xa, ya, xb, yb, width, colour)
        return pts[-2], pts[-1]

    def text(self, x, y, words, colour, scale=1.0):
        """5x7 capitals, one pixel (times scale) per dot."""
        for ch in words:
            rows = FONT.get(ch)
            if rows:
                for r, bits in enumerate(rows):
                    for c in range(5):
                        if bits & (0x10 >> c):
                            self.rect(x + c * scale, y + r * scale, x + (c + 1) * scale, y + (r + 1) * scale, colour)
            x += 6 * scale

    def pixels(self):
        """Final RGBA rows, averaged over the fine grid (colour weighted by coverage)."""
        out = []
        n = SS * SS
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r = g = b = a = 0
                for fy in range(y * SS, (y + 1) * SS):
                    base = fy * self.fw
                    for fx in range(x * SS, (x + 1) * SS):
                        pr, pg, pb, pa = self.px[base + fx]
                        r += pr * pa
                        g += pg * pa
                        b += pb * pa
                        a += pa
                if a:
                    row.append((r // a, g // a, b // a, a // n))
                else:
                    row.append((0, 0, 0, 0))
            out.append(row)
        return out


FONT = {
    "A": (0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11),
    "E": (0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F),
    "G": (0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F),
    "I": (0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E),
    "N": (0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11),
    "R": (0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11),
    "S": (0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E),
    "T": (0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04),
    "V": (0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04),
    "X": (0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11),
    "Y": (0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04),
    " ": (0, 0, 0, 0, 0, 0, 0),
}


def axes(c, cx, cy, size, width):
    """The six degrees of freedom: three axis arrows and a rotation arc."""
    c.arc(cx, cy, size * 0.95, size * 0.42, math.radians(200), math.radians(480), width * 0.8, WHITE)
    c.arrow(cx, cy, cx + size, cy + size * 0.1, width, size * 0.38, RED)       # x
    c.arrow(cx, cy, cx, cy - size, width, size * 0.38, GREEN)                  # y
    c.arrow(cx, cy, cx - size * 0.7, cy + size * 0.62, width, size * 0.38, BLUE)  # z
    c.ellipse(cx, cy, width * 0.9, width * 0.9, WHITE)


def puck(c, cx, cy, r):
    """The controller's ball on its collar."""
    c.ellipse(cx, cy + r * 0.55, r * 1.05, r * 0.45, GREY_DARK)
    c.gradient_ellipse(cx, cy, r, r, NAVY_LIGHT, NAVY)
    c.ellipse(cx - r * 0.35, cy - r * 0.4, r * 0.28, r * 0.18, (150, 180, 235))


def draw_icon(size):
    c = Canvas(size, size)
    s = size / 32.0
    puck(c, 16 * s, 15 * s, 13 * s)
    axes(c, 16 * s, 16 * s, 9.5 * s, max(1.6, 2.2 * s))
    return c


def draw_logo():
    c = Canvas(96, 44, DIALOG)
    c.rect(0.5, 0.5, 95.5, 43.5, NAVY, radius=5)
    axes(c, 17, 24, 11, 2.0)
    c.text(35, 12, "GYRANTRIX", WHITE)
    c.text(33, 25, "EVENT TEST", GREY_LIGHT)
    return c


def draw_device():
    c = Canvas(64, 64, DIALOG)
    # base with its row of buttons
    c.rect(4, 38, 60, 58, GREY_DARK, radius=6)
    c.rect(5, 39, 59, 56, GREY, radius=5)
    for i in range(8):
        c.ellipse(10 + i * 6.3, 50, 2.2, 2.0, (245, 245, 245) if i else RED)
    puck(c, 32, 24, 17)
    return c


def write_bmp(path, canvas):
    """24-bit bottom-up BMP on the dialog face (transparent parts get it)."""
    rows = canvas.pixels()
    w, h = canvas.w, canvas.h
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, a in row:
            blend = lambda v, bg: (v * a + bg * (255 - a)) // 255
            line += bytes((blend(b, DIALOG[2]), blend(g, DIALOG[1]), blend(r, DIALOG[0])))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def icon_image(canvas):
    """One ICO entry: 32-bit BGRA DIB (height doubled) and its AND mask."""
    rows = canvas.pixels()
    w, h = canvas.w, canvas.h
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def write_ico(path, canvases):
    images = [icon_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, img in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_ico(os.path.join(here, "evtview.ico"), [draw_icon(32), draw_icon(16)])
    write_bmp(os.path.join(here, "logo.bmp"), draw_logo())
    write_bmp(os.path.join(here, "device.bmp"), draw_device())


if __name__ == "__main__":
    main()
