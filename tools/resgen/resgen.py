#!/usr/bin/env python3
"""Draws Velix's icons and bitmaps and writes them as .ico, .bmp and .png files.

Usage:  python3 tools/resgen/resgen.py app/res

Everything is drawn procedurally from the shapes below; the output depends
only on this file, so re-running it gives byte-identical files (a PNG file's
compressed rows also depend on the zlib that Python uses).

Drawing model: a Canvas holds straight-alpha RGBA pixels.  Shapes are
point-in-shape tests with a bounding box, expressed in "design units";
the canvas maps pixels to design units through its view (scale + offset),
so one drawing function serves both 16x16 and 32x32.  Every pixel is
sampled on a 4x4 grid, which gives the edges their anti-aliasing.
"""

import math
import os
import struct
import sys
import zlib

SUBSAMPLES = 4
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"

# --------------------------------------------------------------------------
# Colours and paints
# --------------------------------------------------------------------------


def rgb(hex_colour, alpha=1.0):
    """'#RRGGBB' -> (r, g, b, a) with channels 0..255 and alpha 0..1."""
    h = hex_colour.lstrip("#")
    return (int(h[0:2], 16), int(h[2:4], 16), int(h[4:6], 16), alpha)


def mix(c0, c1, t):
    t = min(1.0, max(0.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def linear(x0, y0, c0, x1, y1, c1):
    """Linear gradient from c0 at (x0, y0) to c1 at (x1, y1)."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def paint(x, y):
        return mix(c0, c1, ((x - x0) * dx + (y - y0) * dy) / length2)
    return paint


def radial(cx, cy, r, c0, c1):
    """Radial gradient from c0 at the centre to c1 at radius r."""
    def paint(x, y):
        return mix(c0, c1, math.hypot(x - cx, y - cy) / r)
    return paint


# --------------------------------------------------------------------------
# Shapes
# --------------------------------------------------------------------------


class Shape:
    """A point-in-shape test plus a bounding box (x0, y0, x1, y1)."""

    def __init__(self, test, box):
        self.test = test
        self.box = box

    def __or__(self, other):
        a, b = self.box, other.box
        return Shape(lambda x, y: self.test(x, y) or other.test(x, y),
                     (min(a[0], b[0]), min(a[1], b[1]),
                      max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, other):
        a, b = self.box, other.box
        return Shape(lambda x, y: self.test(x, y) and other.test(x, y),
                     (max(a[0], b[0]), max(a[1], b[1]),
                      min(a[2], b[2]), min(a[3], b[3])))

    def __sub__(self, other):
        return Shape(lambda x, y: self.test(x, y) and not other.test(x, y),
                     self.box)

    def moved(self, dx, dy):
        b = self.box
        return Shape(lambda x, y: self.test(x - dx, y - dy),
                     (b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy))


def rect(x0, y0, x1, y1):
    return Shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1))


def rrect(x0, y0, x1, y1, r):
    """Rectangle with corners rounded to radius r."""
    def test(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        qx = max(x0 + r - x, 0.0, x - (x1 - r))
        qy = max(y0 + r - y, 0.0, y - (y1 - r))
        return qx * qx + qy * qy <= r * r
    return Shape(test, (x0, y0, x1, y1))


def circle(cx, cy, r):
    return Shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                 (cx - r, cy - r, cx + r, cy + r))


def segment(x0, y0, x1, y1, width):
    """A line of the given width with round caps."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1e-12
    hw = width / 2.0

    def test(x, y):
        t = min(1.0, max(0.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        ex, ey = x - (x0 + t * dx), y - (y0 + t * dy)
        return ex * ex + ey * ey <= hw * hw
    return Shape(test, (min(x0, x1) - hw, min(y0, y1) - hw,
                        max(x0, x1) + hw, max(y0, y1) + hw))


def polyline(points, width):
    shape = segment(*points[0], *points[1], width)
    for a, b in zip(points[1:], points[2:]):
        shape = shape | segment(*a, *b, width)
    return shape


def polygon(points):
    """Filled polygon (even-odd rule)."""
    pts = list(points)
    edges = list(zip(pts, pts[1:] + pts[:1]))

    def test(x, y):
        inside = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y):
                if x < ax + (y - ay) * (bx - ax) / (by - ay):
                    inside = not inside
        return inside
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return Shape(test, (min(xs), min(ys), max(xs), max(ys)))


def rotator(cx, cy, degrees):
    """Returns a function rotating points about (cx, cy), clockwise on screen."""
    a = math.radians(degrees)
    c, s = round(math.cos(a), 12), round(math.sin(a), 12)

    def rotate(points):
        return [(cx + (x - cx) * c - (y - cy) * s,
                 cy + (x - cx) * s + (y - cy) * c) for x, y in points]
    return rotate


# --------------------------------------------------------------------------
# Canvas
# --------------------------------------------------------------------------


class Canvas:
    """A w x h straight-alpha RGBA buffer (channels 0..255, alpha 0..1).

    Row 0 is the top row.  Shapes and paints are given in design units;
    pixel (px, py) covers design units ((px - ox) / scale, (py - oy) / scale)
    and one scale further.
    """

    def __init__(self, w, h, units=None):
        self.w, self.h = w, h
        self.pixels = [(0.0, 0.0, 0.0, 0.0)] * (w * h)
        self.set_view(w / units if units else 1.0)

    def set_view(self, scale, ox=0.0, oy=0.0):
        self.scale, self.ox, self.oy = scale, ox, oy

    @property
    def px(self):
        """One pixel, in design units (for strokes that must stay visible)."""
        return 1.0 / self.scale

    def blend(self, x, y, colour, coverage=1.0):
        """Composites colour over pixel (x, y) ('over' operator)."""
        r, g, b, a = colour
        a *= coverage
        if a <= 0.0:
            return
        i = y * self.w + x
        dr, dg, db, da = self.pixels[i]
        out_a = a + da * (1.0 - a)
        k = da * (1.0 - a)
        self.pixels[i] = ((r * a + dr * k) / out_a, (g * a + dg * k) / out_a,
                          (b * a + db * k) / out_a, out_a)

    def fill(self, shape, paint, alpha=1.0):
        """Fills shape with a colour tuple or a paint function of (x, y)."""
        s, n = self.scale, SUBSAMPLES
        x0, y0, x1, y1 = shape.box
        px0 = max(0, int(math.floor(x0 * s + self.ox)))
        py0 = max(0, int(math.floor(y0 * s + self.oy)))
        px1 = min(self.w, int(math.ceil(x1 * s + self.ox)))
        py1 = min(self.h, int(math.ceil(y1 * s + self.oy)))
        offsets = [(i + 0.5) / n for i in range(n)]
        for py in range(py0, py1):
            for px in range(px0, px1):
                hits = 0
                for fy in offsets:
                    y = (py + fy - self.oy) / s
                    for fx in offsets:
                        if shape.test((px + fx - self.ox) / s, y):
                            hits += 1
                if not hits:
                    continue
                if callable(paint):
                    colour = paint((px + 0.5 - self.ox) / s,
                                   (py + 0.5 - self.oy) / s)
                else:
                    colour = paint
                if len(colour) == 3:
                    colour = tuple(colour) + (1.0,)
                self.blend(px, py, colour[:3] + (colour[3] * alpha,),
                           hits / (n * n))

    def paste(self, other, x, y):
        """Composites another canvas with its top-left corner at (x, y)."""
        for sy in range(other.h):
            for sx in range(other.w):
                self.blend(x + sx, y + sy, other.pixels[sy * other.w + sx])

    def rgba8(self, x, y):
        """Pixel (x, y) as 8-bit (r, g, b, a); fully transparent is all zero."""
        r, g, b, a = self.pixels[y * self.w + x]
        a8 = int(round(a * 255))
        if a8 == 0:
            return (0, 0, 0, 0)
        return (int(round(r)), int(round(g)), int(round(b)), a8)

    def rgb8_over(self, x, y, background):
        """Pixel (x, y) composited over an opaque background, as 8-bit rgb."""
        r, g, b, a = self.pixels[y * self.w + x]
        return tuple(int(round(c * a + bg * (1.0 - a)))
                     for c, bg in zip((r, g, b), background))


# --------------------------------------------------------------------------
# File writers
# --------------------------------------------------------------------------


def bmp_bytes(canvas, background=(255, 255, 255)):
    """24-bit bottom-up BMP: BITMAPFILEHEADER + BITMAPINFOHEADER + rows.

    Each row is padded to a multiple of 4 bytes.  Transparent parts of the
    canvas are composited over background.
    """
    w, h = canvas.w, canvas.h
    stride = (w * 3 + 3) & ~3
    pad = bytes(stride - w * 3)
    rows = []
    for y in range(h - 1, -1, -1):  # bottom row first
        row = bytearray()
        for x in range(w):
            r, g, b = canvas.rgb8_over(x, y, background)
            row += bytes((b, g, r))
        rows.append(bytes(row) + pad)
    image = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(image),
                       2835, 2835, 0, 0)  # 2835 px/m = 72 dpi
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + image


def paeth(left, up, up_left):
    """The PNG Paeth predictor: whichever neighbour is nearest to left + up - up_left."""
    guess = left + up - up_left
    near_left, near_up = abs(guess - left), abs(guess - up)
    near_up_left = abs(guess - up_left)
    if near_left <= near_up and near_left <= near_up_left:
        return left
    return up if near_up <= near_up_left else up_left


def png_bytes(canvas, background=(255, 255, 255)):
    """8-bit RGB PNG, not interlaced, every row with the Paeth filter (a fifth
    smaller than without one).

    As bmp_bytes, transparent parts are composited over background.  The
    rows are compressed with zlib at level 9.
    """
    raw = bytearray()
    above = bytes(3 * canvas.w)
    for y in range(canvas.h):
        row = bytes(b for x in range(canvas.w)
                    for b in canvas.rgb8_over(x, y, background))
        raw.append(4)  # filter type Paeth
        for i, value in enumerate(row):
            left = row[i - 3] if i >= 3 else 0
            up_left = above[i - 3] if i >= 3 else 0
            raw.append((value - paeth(left, above[i], up_left)) & 0xFF)
        above = row

    def chunk(kind, data):
        crc = zlib.crc32(kind + data) & 0xFFFFFFFF
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)
    header = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 2, 0, 0, 0)
    return (PNG_SIGNATURE + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def icon_image_bytes(canvas):
    """One icon image: BITMAPINFOHEADER (doubled height) + BGRA + AND mask.

    Both bitmaps are bottom-up.  An AND bit is 1 (transparent) where the
    pixel is fully transparent, so the icon also looks right where the
    alpha channel is ignored.
    """
    w, h = canvas.w, canvas.h
    mask_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row_mask = bytearray(mask_stride)
        for x in range(w):
            r, g, b, a = canvas.rgba8(x, y)
            xor += bytes((b, g, r, a))
            if a == 0:
                row_mask[x // 8] |= 0x80 >> (x % 8)
        mask += row_mask
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico_bytes(canvases):
    """ICONDIR + one ICONDIRENTRY per image + the images, in order."""
    images = [icon_image_bytes(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", canvas.w % 256, canvas.h % 256, 0, 0,
                           1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


# --------------------------------------------------------------------------
# Palette
# --------------------------------------------------------------------------

WHITE = rgb("#FFFFFF")
TEAL = rgb("#1FC2B0")
BLUE = rgb("#2460E6")
TEAL_DARK = rgb("#11877C")
BLUE_DARK = rgb("#173F9E")
GREEN = rgb("#34B558")
GREEN_DARK = rgb("#1F8A3F")
PAPER_EDGE = rgb("#6E7A8A")
INK = rgb("#A3ADBA")


def badge(c, cx, cy, r, top, bottom, edge):
    """A round badge with a white rim, used to mark up other glyphs."""
    c.fill(circle(cx, cy, r + c.px), WHITE)
    c.fill(circle(cx, cy, r), edge)
    c.fill(circle(cx, cy, r - 0.8 * c.px),
           linear(cx, cy - r, top, cx, cy + r, bottom))


def page(c, x0, y0, x1, y1, fold):
    """A white sheet with a folded top-right corner and a grey edge."""
    p = c.px
    outline = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    inner = [(x0 + p, y0 + p), (x1 - fold - 0.4 * p, y0 + p),
             (x1 - p, y0 + fold + 0.4 * p), (x1 - p, y1 - p), (x0 + p, y1 - p)]
    c.fill(polygon(outline), PAPER_EDGE)
    c.fill(polygon(inner), linear(0, y0, WHITE, 0, y1, rgb("#EEF2F6")))
    c.fill(polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]),
           PAPER_EDGE)
    c.fill(polygon([(x1 - fold + p, y0 + 1.6 * p), (x1 - fold + p, y0 + fold - p),
                    (x1 - 1.6 * p, y0 + fold - p)]), rgb("#D5DCE4"))


# --------------------------------------------------------------------------
# The Velix mark: a rounded square in a teal-to-blue gradient with a white V.
# Drawn in a 32-unit box; callers place it with the canvas view.
# --------------------------------------------------------------------------


def draw_mark(c):
    p = c.px
    m = min(p, 2.0)  # a one-pixel margin, so the edges fall on pixel lines
    body = rrect(m, m, 32 - m, 32 - m, 7)
    c.fill(body, linear(1, 1, TEAL_DARK, 31, 31, BLUE_DARK))
    inner = rrect(m + p, m + p, 32 - m - p, 32 - m - p, 7 - p)
    c.fill(inner, linear(1, 1, TEAL, 31, 31, BLUE))
    # A soft sheen across the upper half.
    c.fill(inner & rect(0, 0, 32, 15),
           linear(0, 1, rgb("#FFFFFF", 0.26), 0, 15, rgb("#FFFFFF", 0.0)))
    v = polygon([(7, 7.5), (12.6, 7.5), (16, 17.6), (19.4, 7.5), (25, 7.5),
                 (18.7, 24.5), (13.3, 24.5)])
    c.fill(v.moved(0, 1.2 * p), rgb("#0B2C6B", 0.35))
    c.fill(v, WHITE)


def icon_app(size):
    c = Canvas(size, size, units=32)
    draw_mark(c)
    return c


# --------------------------------------------------------------------------
# Groups (folders)
# --------------------------------------------------------------------------

FOLDER_EDGE = rgb("#B07A12")
FOLDER_BACK = rgb("#E9A93A")
FOLDER_FRONT_TOP = rgb("#FFDA6B")
FOLDER_FRONT_BOTTOM = rgb("#F6B93B")


def folder_back(c):
    p = c.px
    back = rrect(2, 5, 14, 12, 2) | rrect(2, 8, 30, 28, 2)
    c.fill(back, FOLDER_EDGE)
    c.fill(rrect(2 + p, 5 + p, 14 - p, 12, 2 - p)
           | rrect(2 + p, 8 + p, 30 - p, 28 - p, 2 - p), FOLDER_BACK)


def icon_group(size):
    """A closed folder."""
    c = Canvas(size, size, units=32)
    p = c.px
    folder_back(c)
    c.fill(rrect(2, 11, 30, 28, 2), FOLDER_EDGE)
    c.fill(rrect(2 + p, 11 + p, 30 - p, 28 - p, 2 - p),
           linear(0, 11, FOLDER_FRONT_TOP, 0, 28, FOLDER_FRONT_BOTTOM))
    c.fill(rect(2 + p, 11 + p, 30 - p, 11 + 2 * p) & rrect(2, 11, 30, 28, 2),
           rgb("#FFF1BF", 0.8))
    return c


def icon_group_open(size):
    """An open folder: the front flap tilted forward, a sheet inside."""
    c = Canvas(size, size, units=32)
    p = c.px
    folder_back(c)
    c.fill(rect(5, 9, 25, 20), PAPER_EDGE)
    c.fill(rect(5 + p, 9 + p, 25 - p, 20), WHITE)
    flap = [(7, 14), (31.5, 14), (27, 28), (2, 28)]
    c.fill(polygon(flap), FOLDER_EDGE)
    c.fill(polygon([(7 + 0.9 * p, 14 + p), (31.5 - 1.6 * p, 14 + p),
                    (27 - 0.8 * p, 28 - p), (2 + 1.4 * p, 28 - p)]),
           linear(0, 14, FOLDER_FRONT_TOP, 0, 28, FOLDER_FRONT_BOTTOM))
    return c


# --------------------------------------------------------------------------
# Shortcut maintenance: a list with a pencil over it
# --------------------------------------------------------------------------


def pencil(c, tip, end, width):
    """A pencil lying from tip to end (design units)."""
    (tx, ty), (ex, ey) = tip, end
    length = math.hypot(ex - tx, ey - ty)
    dx, dy = (ex - tx) / length, (ey - ty) / length
    nx, ny = -dy, dx
    hw = width / 2.0

    def at(t, n):  # t along the pencil from the tip, n across it
        return (tx + dx * t + nx * n, ty + dy * t + ny * n)

    def band(t0, t1, w0, w1):
        """Symmetric piece from half width w0 at t0 to half width w1 at t1."""
        return polygon([at(t0, w0), at(t1, w1), at(t1, -w1), at(t0, -w0)])

    def stripe(t0, t1, n0, n1):
        """Lengthwise stripe between offsets n0 and n1 across the pencil."""
        return polygon([at(t0, n0), at(t1, n0), at(t1, n1), at(t0, n1)])

    p = c.px
    cone = width * 1.1
    ferrule = length - width * 0.95
    eraser = length - width * 0.55
    c.fill(band(-0.9 * p, cone, 0.0, hw + p) | band(cone, length + p, hw + p, hw + p),
           rgb("#4A3B22"))                                               # outline
    c.fill(band(0.4 * p, cone, 0.0, hw), rgb("#F3D9A8"))                 # wood
    c.fill(band(0.4 * p, cone * 0.38, 0.0, hw * 0.38), rgb("#3B3B3B"))   # lead
    c.fill(band(cone, ferrule, hw, hw), rgb("#F6A623"))                  # body
    c.fill(stripe(cone, ferrule, -hw, -hw * 0.25), rgb("#FFC75A"))       # sheen
    c.fill(band(ferrule, eraser, hw, hw), rgb("#B8BEC6"))                # ferrule
    c.fill(band(eraser, length, hw, hw), rgb("#F08CA0"))                 # eraser


def icon_maintain(size):
    c = Canvas(size, size, units=32)
    p = c.px
    c.fill(rrect(2, 2, 24, 30, 2), PAPER_EDGE)
    c.fill(rrect(2 + p, 2 + p, 24 - p, 30 - p, 2 - p),
           linear(0, 2, WHITE, 0, 30, rgb("#EDF1F5")))
    # Rows on even units, so the small size keeps them on whole pixels.
    text = 1 if size >= 32 else 2
    for y in (6, 12, 18):
        c.fill(rect(6, y, 10, y + 4), linear(6, y, TEAL, 10, y + 4, BLUE))
        c.fill(rect(12, y + text, 21, y + text + 2), INK)
    pencil(c, tip=(13, 29.5), end=(29.5, 11), width=6.2)
    return c


# --------------------------------------------------------------------------
# New menu item: a document with a plus
# --------------------------------------------------------------------------


def icon_newitem(size):
    c = Canvas(size, size, units=32)
    page(c, 4, 1, 24, 30, 7)
    for y in (10, 15, 20):
        c.fill(rect(8, y, 19, y + 2), INK)
    badge(c, 23, 23, 8, rgb("#4CCB6E"), GREEN_DARK, rgb("#17733A"))
    bar = 2.0            # two pixels at 32 x 32, one at 16 x 16
    arm = 5.0            # ends on pixel lines at both sizes
    c.fill(rect(23 - bar / 2, 23 - arm, 23 + bar / 2, 23 + arm)
           | rect(23 - arm, 23 - bar / 2, 23 + arm, 23 + bar / 2), WHITE)
    return c


# --------------------------------------------------------------------------
# Current virtual desktop: a monitor with a check mark
# --------------------------------------------------------------------------


def monitor(c, x0, y0, x1, y1):
    p = c.px
    cx = (x0 + x1) / 2.0
    c.fill(rect(cx - 2, y1, cx + 2, y1 + 4), rgb("#55626E"))
    c.fill(rrect(cx - 6, y1 + 4, cx + 6, y1 + 6, 1), rgb("#3E4A55"))
    c.fill(rrect(x0, y0, x1, y1, 2.2), rgb("#2F3A44"))
    c.fill(rect(x0 + 2, y0 + 2, x1 - 2, y1 - 2),
           linear(x0, y0, rgb("#6EC6FF"), x1, y1, rgb("#1E6FD9")))
    c.fill(polygon([(x0 + 2, y0 + 2), (x1 - 2 - (y1 - y0) * 0.5, y0 + 2),
                    (x0 + 2 + 4 * p, y1 - 2)]), rgb("#FFFFFF", 0.16))


def icon_desktop_current(size):
    c = Canvas(size, size, units=32)
    if size >= 32:
        monitor(c, 1, 3, 27, 21)
        badge(c, 23, 23, 8, rgb("#4CCB6E"), GREEN_DARK, rgb("#17733A"))
        c.fill(polyline([(19.2, 23.2), (22, 26), (26.8, 20)], 2.6), WHITE)
    else:
        # Too small for a badge: the whole screen carries the tick instead,
        # drawn through pixel centres so it stays sharp.
        monitor(c, 0, 2, 32, 22)
        c.fill(polyline([(8, 12), (13, 17), (23, 7)], 3.6), rgb("#0E4C9E", 0.55))
        c.fill(polyline([(8, 11), (13, 16), (23, 6)], 3.0), WHITE)
    return c


# --------------------------------------------------------------------------
# Note manager: a stack of yellow sticky notes
# --------------------------------------------------------------------------

NOTE_EDGE = rgb("#B99A12")


def note(c, corners, top, bottom):
    p = c.px
    c.fill(polygon(corners), NOTE_EDGE)
    (ax, ay), (bx, by), (cx_, cy_), (dx, dy) = corners
    mx, my = (ax + bx + cx_ + dx) / 4.0, (ay + by + cy_ + dy) / 4.0

    def shrink(x, y):  # pull each corner about one pixel towards the centre
        d = math.hypot(x - mx, y - my)
        k = 1.4 * p / d
        return (x + (mx - x) * k, y + (my - y) * k)
    c.fill(polygon([shrink(x, y) for x, y in corners]),
           linear(0, min(ay, by), top, 0, max(cy_, dy), bottom))


def icon_note_manager(size):
    c = Canvas(size, size, units=32)
    p = c.px
    square = [(3, 3), (21, 3), (21, 21), (3, 21)]
    note(c, rotator(12, 12, -12)(square), rgb("#F2D35B"), rgb("#E2B93B"))
    note(c, rotator(12, 12, 6)([(x + 3, y + 3) for x, y in square]),
         rgb("#FBE27A"), rgb("#EDC848"))
    # The front note, square to the icon, with a curled lower-right corner.
    x0, y0, x1, y1, curl = 10, 10, 30, 30, 6
    front = [(x0, y0), (x1, y0), (x1, y1 - curl), (x1 - curl, y1), (x0, y1)]
    c.fill(polygon(front), NOTE_EDGE)
    c.fill(polygon([(x0 + p, y0 + p), (x1 - p, y0 + p), (x1 - p, y1 - curl - 0.4 * p),
                    (x1 - curl - 0.4 * p, y1 - p), (x0 + p, y1 - p)]),
           linear(0, y0, rgb("#FFF59A"), 0, y1, rgb("#FFE14D")))
    c.fill(rect(x0 + p, y0 + p, x1 - p, y0 + 4), rgb("#F7D433"))
    c.fill(polygon([(x1 - curl, y1 - curl), (x1, y1 - curl), (x1 - curl, y1)]),
           NOTE_EDGE)
    c.fill(polygon([(x1 - curl + p, y1 - curl + p), (x1 - 2.4 * p, y1 - curl + p),
                    (x1 - curl + p, y1 - 2.4 * p)]), rgb("#F1CF3E"))
    for y, x_end in ((15.5, 26), (20, 26), (24.5, 21)):
        c.fill(rect(x0 + 3, y, x_end, y + 1.6 if size >= 32 else y + 2),
               rgb("#8A6D00", 0.55))
    return c


# --------------------------------------------------------------------------
# Close: a red disc with a white X
# --------------------------------------------------------------------------


def icon_close(size):
    c = Canvas(size, size, units=32)
    p = c.px
    c.fill(circle(16, 16, 15), rgb("#A31D1D"))
    c.fill(circle(16, 16, 15 - p),
           linear(0, 1, rgb("#FF7A6B"), 0, 31, rgb("#D12A2A")))
    c.fill(circle(16, 16, 15 - p) & rect(0, 0, 32, 14),
           rgb("#FFFFFF", 0.12))
    w = 3.4 if size >= 32 else 4.0
    c.fill(segment(10.5, 10.5, 21.5, 21.5, w) | segment(21.5, 10.5, 10.5, 21.5, w),
           WHITE)
    return c


# --------------------------------------------------------------------------
# Topmost: a push pin leaning over, needle to the lower left
# --------------------------------------------------------------------------


def icon_topmost(size):
    c = Canvas(size, size, units=32)
    p = c.px
    turn = rotator(16, 16, 45)
    cx = 16.0
    # Designed upright (needle down), then turned by 45 degrees.
    needle = turn([(cx, 19), (cx, 30.5)])
    c.fill(segment(*needle[0], *needle[1], 2.6 if size >= 32 else 3.0),
           rgb("#5E6670"))
    c.fill(segment(*needle[0], *needle[1], 1.2 if size >= 32 else 1.4),
           rgb("#C9CED4"))
    parts = [  # (half width at top, top, half width at bottom, bottom)
        (8.5, 16.0, 8.5, 20.0),   # flange
        (4.2, 7.0, 5.0, 17.0),    # body
        (6.5, 2.0, 6.5, 7.5),     # cap
    ]

    def part(wt, top, wb, bottom, inset):
        return polygon(turn([(cx - wt + inset, top + inset),
                             (cx + wt - inset, top + inset),
                             (cx + wb - inset, bottom - inset),
                             (cx - wb + inset, bottom - inset)]))
    (lx, ly), (rx, ry) = turn([(cx - 7, 0), (cx + 7, 0)])
    shading = linear(lx, ly, rgb("#FF9A90"), rx, ry, rgb("#D8302C"))
    if size >= 32:
        # Each part outlined, so the cap, body and flange read separately.
        for wt, top, wb, bottom in parts:
            c.fill(part(wt, top, wb, bottom, 0), rgb("#8E1B1B"))
            c.fill(part(wt, top, wb, bottom, p), shading)
    else:
        # At 16 x 16 inner outlines would only smear: one outline around all.
        for wt, top, wb, bottom in parts:
            c.fill(part(wt, top, wb, bottom, 0), rgb("#9E1F1F"))
        for wt, top, wb, bottom in parts:
            c.fill(part(wt, top, wb, bottom, 0.9 * p), shading)
    return c


# --------------------------------------------------------------------------
# Bitmaps
# --------------------------------------------------------------------------


def soft_shadow(c, shape_at, steps=6, spread=0.6, alpha=0.05):
    """Approximates a blurred shadow with a few widening translucent copies."""
    for i in range(steps, 0, -1):
        c.fill(shape_at(i * spread), rgb("#0A1F3D", alpha))


def bitmap_app():
    """70 x 70: the mark, large, on a light background."""
    c = Canvas(70, 70)
    c.fill(rect(0, 0, 70, 70), linear(0, 0, rgb("#F7FAFC"), 70, 70, rgb("#E3ECF4")))
    c.fill(rect(0, 0, 70, 1), rgb("#FFFFFF"))
    size, x, y = 54, 8, 7
    soft_shadow(c, lambda g: rrect(x + 1 - g, y + 3 - g, x + size - 1 + g,
                                   y + size + 1 + g, 12 + g))
    c.set_view(size / 32.0, x, y)
    draw_mark(c)
    return c


def bitmap_kit_default():
    """70 x 70: the mark on a soft pastel gradient with a few light bubbles."""
    c = Canvas(70, 70)
    c.fill(rect(0, 0, 70, 70), linear(0, 0, rgb("#C6F1EA"), 70, 70, rgb("#CBD5FA")))
    for cx, cy, r, a in ((12, 14, 16, 0.5), (60, 58, 20, 0.42),
                         (58, 10, 7, 0.65), (9, 60, 6, 0.6)):
        c.fill(circle(cx, cy, r), radial(cx, cy, r, rgb("#FFFFFF", a),
                                         rgb("#FFFFFF", a * 0.3)))
    size, x, y = 42, 14, 13
    soft_shadow(c, lambda g: rrect(x + 1 - g, y + 3 - g, x + size - 1 + g,
                                   y + size + 1 + g, 9 + g), alpha=0.045)
    c.set_view(size / 32.0, x, y)
    draw_mark(c)
    return c


def tree_shortcut(size):
    """A program sheet with the small curved arrow that marks a shortcut."""
    c = Canvas(size, size, units=32)
    p = c.px
    page(c, 8, 0, 30, 30, 8)
    c.fill(rrect(14, 8, 26, 20, 3), linear(14, 8, TEAL, 26, 20, BLUE))
    # The arrow badge in the lower-left corner.
    c.fill(rect(0, 16, 16, 32), PAPER_EDGE)
    c.fill(rect(p, 16 + p, 16 - p, 32 - p), WHITE)
    arrow = rgb("#1F5FD1")
    c.fill(polyline([(5, 28.5), (5, 25), (8, 22), (10.5, 22)], 3.0), arrow)
    c.fill(polygon([(10, 18), (14.5, 22), (10, 26)]), arrow)
    return c


def tree_separator(size):
    c = Canvas(size, size, units=size)
    c.fill(rect(1, size // 2 - 1, size - 1, size // 2), rgb("#9AA3AD"))
    c.fill(rect(1, size // 2, size - 1, size // 2 + 1), rgb("#E2E6EA"))
    return c


def bitmap_tree(side=16):
    """Five side x side images in a row: root, group closed, group open,
    shortcut, separator.  Each is drawn at its side, not scaled from 16."""
    strip = Canvas(5 * side, side)
    for i, draw in enumerate((icon_app, icon_group, icon_group_open,
                              tree_shortcut, tree_separator)):
        strip.paste(draw(side), side * i, 0)
    return strip


# --------------------------------------------------------------------------
# Output
# --------------------------------------------------------------------------


def icon(draw):
    return lambda: ico_bytes([draw(16), draw(32)])


def bitmap(draw):
    return lambda: bmp_bytes(draw(), background=(255, 255, 255))


def still_png(draw):
    return lambda: png_bytes(draw(), background=(255, 255, 255))


def tree_png(side):
    return lambda: png_bytes(bitmap_tree(side), background=(255, 255, 255))


# File name -> function producing its bytes.  The numbers are the resource ids.
IMAGES = {
    "icon101.ico": icon(icon_app),
    "icon102.ico": icon(icon_group),
    "icon103.ico": icon(icon_maintain),
    "icon109.ico": icon(icon_newitem),
    "icon127.ico": icon(icon_desktop_current),
    "icon134.ico": icon(icon_note_manager),
    "icon142.ico": icon(icon_close),
    "icon144.ico": icon(icon_topmost),
    # PNG files (RCDATA), a few KB each where a 24-bit bitmap would take four
    # times as much: the pictures of the about and settings windows and of the
    # kit window, and the tree's images at 150 % and 200 %.
    "bitmap304.png": still_png(bitmap_app),
    "bitmap305.png": still_png(bitmap_kit_default),
    "tree307.bmp": bitmap(bitmap_tree),
    "tree308.png": tree_png(24),
    "tree309.png": tree_png(32),
}


def generate(outdir):
    os.makedirs(outdir, exist_ok=True)
    for name, produce in IMAGES.items():
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(produce())
    return sorted(IMAGES)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: resgen.py OUTPUT_DIR\n")
        return 2
    for name in generate(argv[1]):
        print(os.path.join(argv[1], name))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
