#!/usr/bin/env python3
"""Draw Korimo's application icon and write it as a multi-size .ico file.

The icon is a blue shield with a white eye: the window icon of every Korimo
window and the icon in the notification area.  Everything is drawn here from
signed distance fields (standard library only), so the artwork lives in code
and the .ico can be rebuilt at any time:

    python3 scripts/make_icon.py            # writes res/korimo.ico
    python3 scripts/make_icon.py -o x.ico   # somewhere else

Each size is its own drawing, not a downscale: below 32 px the geometry is
snapped to the pixel grid and the eye gets bolder proportions so it still
reads as an eye in a 16 px tray slot.

Every entry is a 32-bit BGRA DIB with an AND mask, the classic layout that
LoadImageW on Windows and on Wine reads at any of the stored sizes.
"""

import argparse
import math
import os
import struct
import sys

SIZES = (16, 20, 24, 32, 40, 48, 64, 100)

# Colours (sRGB, 0-255).
SHIELD_TOP = (0x2F, 0x80, 0xD1)
SHIELD_BOTTOM = (0x1F, 0x4E, 0x8C)
EYE_WHITE = (0xFF, 0xFF, 0xFF)
IRIS = (0x1F, 0x4E, 0x8C)
PUPIL = (0x0E, 0x26, 0x4A)
GLINT = (0xFF, 0xFF, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF)


# --------------------------------------------------------------------------
# Geometry: signed distances (negative inside), all in pixels.

def _cubic(p0, p1, p2, p3, steps):
    """Points of a cubic Bezier, p0 excluded."""
    pts = []
    for i in range(1, steps + 1):
        t = i / steps
        u = 1.0 - t
        a, b, c, d = u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t
        pts.append((a * p0[0] + b * p1[0] + c * p2[0] + d * p3[0],
                    a * p0[1] + b * p1[1] + c * p2[1] + d * p3[1]))
    return pts


def _arc(cx, cy, r, a0, a1, steps):
    """Points of a circular arc from angle a0 to a1 (radians), a0 excluded."""
    return [(cx + r * math.cos(a0 + (a1 - a0) * i / steps),
             cy + r * math.sin(a0 + (a1 - a0) * i / steps))
            for i in range(1, steps + 1)]


class Polygon:
    """Closed polygon with an exact signed distance (flattened curves)."""

    def __init__(self, points):
        self.points = points
        n = len(points)
        self.edges = []
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            dx, dy = bx - ax, by - ay
            length2 = dx * dx + dy * dy
            if length2 > 1e-12:
                self.edges.append((ax, ay, dx, dy, 1.0 / length2))
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.bounds = (min(xs), min(ys), max(xs), max(ys))

    def sd(self, x, y):
        best = float("inf")
        inside = False
        for ax, ay, dx, dy, inv in self.edges:
            px, py = x - ax, y - ay
            t = (px * dx + py * dy) * inv
            if t < 0.0:
                t = 0.0
            elif t > 1.0:
                t = 1.0
            ex, ey = px - dx * t, py - dy * t
            d2 = ex * ex + ey * ey
            if d2 < best:
                best = d2
            # Even-odd crossing test on a horizontal ray to the right.
            if (ay > y) != (ay + dy > y):
                if x < ax + dx * (y - ay) / dy:
                    inside = not inside
        d = math.sqrt(best)
        return -d if inside else d


def shield_outline(x0, y0, x1, y1, corner, shoulder, belly, tip):
    """Outline of the shield inside the box (x0, y0)-(x1, y1).

    corner   radius of the two top corners
    shoulder where the straight sides end, as a fraction of the height
    belly    how far the lower curve keeps its width (fraction of height)
    tip      how wide the curve still is just above the point (fraction of
             the half width); 0 gives a needle point, larger a blunter one
    """
    w, h = x1 - x0, y1 - y0
    cx = (x0 + x1) / 2.0
    ys = y0 + shoulder * h
    pts = [(x0, y0 + corner)]
    pts += _arc(x0 + corner, y0 + corner, corner, math.pi, 1.5 * math.pi, 12)
    pts.append((x1 - corner, y0))
    pts += _arc(x1 - corner, y0 + corner, corner, 1.5 * math.pi, 2 * math.pi, 12)
    pts.append((x1, ys))
    pts += _cubic((x1, ys), (x1, ys + belly * h),
                  (cx + tip * w / 2, y1 - 0.10 * h), (cx, y1), 32)
    pts += _cubic((cx, y1), (cx - tip * w / 2, y1 - 0.10 * h),
                  (x0, ys + belly * h), (x0, ys), 32)
    return Polygon(pts)


def circle_sd(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def almond_sd(x, y, cx, cy, half_w, half_h):
    """Eye shape: the lens where two equal circles overlap."""
    r = (half_w * half_w + half_h * half_h) / (2.0 * half_h)
    off = r - half_h
    return max(math.hypot(x - cx, y - (cy + off)) - r,
               math.hypot(x - cx, y - (cy - off)) - r)


def coverage(sd):
    """Pixel area covered by the inside of an edge at distance sd."""
    v = 0.5 - sd
    return 0.0 if v <= 0.0 else (1.0 if v >= 1.0 else v)


# --------------------------------------------------------------------------
# Per-size design.

def design(size):
    """Geometry of one size, in pixels of that size."""
    s = float(size)
    d = {
        # Shield box (whole pixels, so the straight edges stay sharp) and
        # outline shape.
        "box": (round(0.09 * s), round(0.035 * s),
                size - round(0.09 * s), size - round(0.025 * s)),
        "corner": 0.13 * s,
        "shoulder": 0.36,
        "belly": 0.36,
        "tip": 0.36,
        "rim": max(1, round(0.03 * s)),        # lighter band inside the edge
        "rim_inset": max(1, round(0.02 * s)),  # body colour outside the band
        "rim_mix": 0.35,                       # how far the band goes to white
        # Eye (centre, half width, half height) and iris.
        "eye": (0.5 * s, 0.44 * s, 0.30 * s, 0.175 * s),
        "iris": 0.135 * s,
        "pupil": 0.062 * s,
        # Highlight on the iris: offset x, offset y, radius.
        "glint": (0.045 * s, -0.045 * s, max(1.5, 0.032 * s)),
        "shade": True,  # right half of the shield a touch darker
    }
    # Small sizes: a rounder shield, the rim right on the edge, a bigger eye
    # and no fine details, so that nothing turns to grey mush.
    small = dict(shoulder=0.5, belly=0.25, tip=0.6, rim=1, rim_inset=0,
                 rim_mix=0.22, pupil=0.0, glint=None, shade=False)
    if size == 16:
        d.update(small, box=(1, 0, 15, 16), corner=2.0,
                 eye=(8.0, 7.0, 5.5, 4.0), iris=2.0)
    elif size == 20:
        d.update(small, box=(1, 0, 19, 20), corner=2.5,
                 eye=(10.0, 9.0, 6.8, 4.6), iris=3.0)
    elif size == 24:
        d.update(small, box=(2, 0, 22, 24), corner=3.0, shoulder=0.45,
                 belly=0.3, tip=0.5, eye=(12.0, 10.5, 7.8, 5.0), iris=3.0,
                 pupil=1.4)
    elif size == 32:
        d.update(box=(3, 1, 29, 31), corner=4.0, rim_inset=0, rim_mix=0.3,
                 eye=(16.0, 14.0, 9.6, 5.7), iris=4.0,
                 pupil=2.0, glint=(1.5, -1.5, 1.1))
    elif size == 40:
        d.update(rim_mix=0.3)
    return d


def render(size):
    """Return the icon at one size as rows of straight-alpha RGBA tuples."""
    d = design(size)
    x0, y0, x1, y1 = d["box"]
    shield = shield_outline(x0, y0, x1, y1, d["corner"], d["shoulder"],
                            d["belly"], d["tip"])
    ex, ey, ehw, ehh = d["eye"]
    cx = (x0 + x1) / 2.0
    rows = []
    for py in range(size):
        row = []
        y = py + 0.5
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        body = _mix(SHIELD_TOP, SHIELD_BOTTOM, t)
        rim = _mix(body, WHITE, d["rim_mix"])
        shaded = _mix(body, (0, 0, 0), 0.10)
        for px in range(size):
            x = px + 0.5
            sd = shield.sd(x, y)
            alpha = coverage(sd)
            if alpha == 0.0:
                row.append((0, 0, 0, 0))
                continue
            fill = body
            if d["shade"]:
                # Split shading: a soft step along the centre line.
                fill = _mix(body, shaded, coverage(cx - x))
            inset = d["rim_inset"]
            band = coverage(sd + inset) - coverage(sd + inset + d["rim"])
            colour = _mix(fill, rim, band)
            colour = _eye(colour, x, y, d, ex, ey, ehw, ehh)
            row.append((colour[0], colour[1], colour[2], alpha))
        rows.append(row)
    return [[_to_bytes(p) for p in row] for row in rows]


def _eye(colour, x, y, d, ex, ey, ehw, ehh):
    """Paint the eye over the shield colour at one pixel."""
    lens = almond_sd(x, y, ex, ey, ehw, ehh)
    a = coverage(lens)
    if a == 0.0:
        return colour
    colour = _mix(colour, EYE_WHITE, a)
    iris = max(circle_sd(x, y, ex, ey, d["iris"]), lens)
    colour = _mix(colour, IRIS, coverage(iris))
    if d["pupil"] > 0.0:
        colour = _mix(colour, PUPIL,
                      coverage(circle_sd(x, y, ex, ey, d["pupil"])))
    if d["glint"]:
        gx, gy, gr = d["glint"]
        colour = _mix(colour, GLINT,
                      coverage(circle_sd(x, y, ex + gx, ey + gy, gr)))
    return colour


def _mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t,
            a[1] + (b[1] - a[1]) * t,
            a[2] + (b[2] - a[2]) * t)


def _to_bytes(p):
    r, g, b, a = p
    alpha = int(round(a * 255))
    if alpha == 0:
        return (0, 0, 0, 0)
    return (int(round(r)), int(round(g)), int(round(b)), alpha)


# --------------------------------------------------------------------------
# .ico writing.

def dib_entry(rows):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA, 1-bit AND mask."""
    h = len(rows)
    w = len(rows[0])
    mask_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
        bits = bytearray(mask_stride)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[i >> 3] |= 0x80 >> (i & 7)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def build_ico(images):
    """images: list of (size, rows).  Returns the bytes of the .ico file."""
    count = len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    blobs = [dib_entry(rows) for _, rows in images]
    offset = 6 + 16 * count
    for (size, _), blob in zip(images, blobs):
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32,
                           len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def main(argv=None):
    here = os.path.dirname(os.path.abspath(__file__))
    default_out = os.path.join(here, os.pardir, "res", "korimo.ico")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--out", default=os.path.normpath(default_out),
                        help="where to write the .ico (default: %(default)s)")
    args = parser.parse_args(argv)

    images = [(size, render(size)) for size in SIZES]
    data = build_ico(images)
    out_dir = os.path.dirname(os.path.abspath(args.out))
    os.makedirs(out_dir, exist_ok=True)
    tmp = args.out + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, args.out)
    print("%s: %d bytes, sizes %s" % (args.out, len(data),
                                     " ".join(str(s) for s in SIZES)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
