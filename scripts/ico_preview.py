#!/usr/bin/env python3
"""Check an .ico file and render its entries to a PNG contact sheet.

    python3 scripts/ico_preview.py                       # res/korimo.ico
    python3 scripts/ico_preview.py some.ico -o sheet.png

The file is read back the way Windows reads it (directory, BITMAPINFOHEADER,
bottom-up BGRA, AND mask), so the sheet shows what is really stored, and any
structural fault stops with an error.  The sheet has one column per size:
the image enlarged (nearest neighbour) and at its real size, once on a light
and once on a dark background, as on a light or dark taskbar.
Standard library only.
"""

import argparse
import os
import struct
import sys
import zlib

LIGHT = (0xF3, 0xF3, 0xF3)
DARK = (0x20, 0x20, 0x20)
LABEL_LIGHT = (0x40, 0x40, 0x40)
LABEL_DARK = (0xD0, 0xD0, 0xD0)
CELL = 208          # width and height of the enlarged area of a column
GAP = 16


class IcoError(Exception):
    pass


def read_ico(data):
    """Parse an .ico; returns a list of (width, height, rows of RGBA)."""
    if len(data) < 6:
        raise IcoError("file too short for an icon directory")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        raise IcoError("not an icon directory (%d, %d, %d)"
                       % (reserved, kind, count))
    if len(data) < 6 + 16 * count:
        raise IcoError("directory runs past the end of the file")
    images = []
    for i in range(count):
        w, h, colours, _, planes, bpp, nbytes, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        if offset + nbytes > len(data):
            raise IcoError("entry %d runs past the end of the file" % i)
        if bpp != 32 or colours != 0 or planes != 1:
            raise IcoError("entry %d is not a 32-bit image" % i)
        images.append((w, h, _read_dib(data[offset:offset + nbytes], w, h, i)))
    return images


def _read_dib(blob, w, h, index):
    if len(blob) < 40:
        raise IcoError("entry %d: header cut short" % index)
    (size, bw, bh, planes, bpp, compression, _, _, _, _, _) = struct.unpack_from(
        "<IiiHHIIiiII", blob, 0)
    if size != 40 or bw != w or bh != 2 * h or planes != 1 or bpp != 32 \
            or compression != 0:
        raise IcoError("entry %d: unexpected header (%d %d %d %d %d %d)"
                       % (index, size, bw, bh, planes, bpp, compression))
    mask_stride = ((w + 31) // 32) * 4
    need = 40 + w * h * 4 + mask_stride * h
    if len(blob) != need:
        raise IcoError("entry %d: %d bytes, expected %d"
                       % (index, len(blob), need))
    rows = []
    for y in range(h):
        src = 40 + (h - 1 - y) * w * 4
        mask_row = 40 + w * h * 4 + (h - 1 - y) * mask_stride
        row = []
        for x in range(w):
            b, g, r, a = blob[src + 4 * x:src + 4 * x + 4]
            masked = (blob[mask_row + (x >> 3)] >> (7 - (x & 7))) & 1
            if masked != (a == 0):
                raise IcoError("entry %d: AND mask disagrees with alpha at "
                               "(%d, %d)" % (index, x, y))
            row.append((r, g, b, a))
        rows.append(row)
    return rows


# --------------------------------------------------------------------------
# A tiny canvas and PNG writer.

# 3x5 digits for the size labels.
DIGITS = {
    "0": "111101101101111", "1": "010110010010111", "2": "111001111100111",
    "3": "111001111001111", "4": "101101111001001", "5": "111100111001111",
    "6": "111100111101111", "7": "111001010010010", "8": "111101111101111",
    "9": "111101111001111", "x": "000101010101000",
}


class Canvas:
    def __init__(self, w, h, colour):
        self.w, self.h = w, h
        self.px = [list(colour) * w for _ in range(h)]

    def fill(self, x, y, w, h, colour):
        for yy in range(max(0, y), min(self.h, y + h)):
            row = self.px[yy]
            for xx in range(max(0, x), min(self.w, x + w)):
                row[3 * xx:3 * xx + 3] = colour

    def blend(self, x, y, rgba):
        if not (0 <= x < self.w and 0 <= y < self.h):
            return
        r, g, b, a = rgba
        row = self.px[y]
        i = 3 * x
        for k, c in enumerate((r, g, b)):
            row[i + k] = (c * a + row[i + k] * (255 - a) + 127) // 255

    def image(self, x, y, rows, scale):
        for j, row in enumerate(rows):
            for i, p in enumerate(row):
                if p[3] == 0:
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        self.blend(x + i * scale + dx, y + j * scale + dy, p)

    def text(self, x, y, s, colour, scale=3):
        for ch in s:
            bits = DIGITS.get(ch)
            if bits:
                for k, bit in enumerate(bits):
                    if bit == "1":
                        self.fill(x + (k % 3) * scale, y + (k // 3) * scale,
                                  scale, scale, colour)
            x += 4 * scale

    def png(self):
        raw = b"".join(b"\x00" + bytes(row) for row in self.px)

        def chunk(tag, body):
            return (struct.pack(">I", len(body)) + tag + body
                    + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF))

        return (b"\x89PNG\r\n\x1a\n"
                + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h,
                                             8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9))
                + chunk(b"IEND", b""))


def contact_sheet(images):
    images = sorted(images, key=lambda im: im[0])
    col_w = CELL + GAP
    band_h = 24 + CELL + GAP + max(h for _, h, _ in images) + GAP
    sheet = Canvas(GAP + col_w * len(images), 2 * band_h, LIGHT)
    for band, (bg, ink) in enumerate(((LIGHT, LABEL_LIGHT),
                                      (DARK, LABEL_DARK))):
        top = band * band_h
        sheet.fill(0, top, sheet.w, band_h, bg)
        for col, (w, h, rows) in enumerate(images):
            left = GAP + col * col_w
            sheet.text(left, top + 6, str(w), ink)
            scale = max(1, CELL // max(w, h))
            ox = left + (CELL - w * scale) // 2
            sheet.image(ox, top + 24, rows, scale)
            sheet.image(left + (CELL - w) // 2, top + 24 + CELL + GAP, rows, 1)
    return sheet


def main(argv=None):
    here = os.path.dirname(os.path.abspath(__file__))
    default_ico = os.path.normpath(os.path.join(here, os.pardir, "res",
                                                "korimo.ico"))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("ico", nargs="?", default=default_ico)
    parser.add_argument("-o", "--out", default="/tmp/korimo-icon-sheet.png",
                        help="PNG to write (default: %(default)s)")
    args = parser.parse_args(argv)

    with open(args.ico, "rb") as f:
        data = f.read()
    try:
        images = read_ico(data)
    except IcoError as e:
        print("%s: %s" % (args.ico, e), file=sys.stderr)
        return 1
    with open(args.out, "wb") as f:
        f.write(contact_sheet(images).png())
    print("%s: %d bytes, %d entries (%s) - well formed"
          % (args.ico, len(data), len(images),
             ", ".join("%dx%d" % (w, h) for w, h, _ in images)))
    print("sheet written to %s" % args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
