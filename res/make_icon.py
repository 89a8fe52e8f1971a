#!/usr/bin/env python3
# Draws the application icon and writes res/qelt.ico, byte for byte the same
# on every run:
#
#     python3 res/make_icon.py                      # rewrites res/qelt.ico
#     python3 res/make_icon.py --preview out.png    # also a PNG to look at
#
# Python 3 standard library only. A stack of windows, the front one holding
# the list of lines the program shows. Each size is laid out by hand on its
# own pixel grid, so every edge falls on a whole pixel; nothing is scaled.

import argparse
import os
import struct
import zlib

# Straight (not premultiplied) RGBA.
SHADOW = (0, 0, 0)
FRAME_ACTIVE = (0x1C, 0x3B, 0x73, 255)
FRAME_INACTIVE = (0x5A, 0x67, 0x7D, 255)
TITLE_ACTIVE = (0x2F, 0x6F, 0xD0, 255)
TITLE_ACTIVE_SHINE = (0x5C, 0x97, 0xE8, 255)
TITLE_INACTIVE = (0x98, 0xA6, 0xBC, 255)
CLOSE_BOX = (0xE8, 0xF0, 0xFC, 255)
BODY_ACTIVE = (0xFF, 0xFF, 0xFF, 255)
BODY_INACTIVE = (0xE4, 0xE9, 0xF0, 255)
HANDLE_INK = (0x2F, 0x6F, 0xD0, 255)   # the handle column
TEXT_INK = (0x4E, 0x58, 0x6A, 255)     # class and title


class Image:
    def __init__(self, size):
        self.size = size
        self.pixels = [(0, 0, 0, 0)] * (size * size)

    def blend(self, x, y, rgba):
        # Source-over compositing of one pixel.
        if not (0 <= x < self.size and 0 <= y < self.size):
            return
        sr, sg, sb, sa = rgba
        dr, dg, db, da = self.pixels[y * self.size + x]
        oa = sa + da * (255 - sa) // 255
        if oa == 0:
            self.pixels[y * self.size + x] = (0, 0, 0, 0)
            return

        def mix(s, d):
            return (s * sa * 255 + d * da * (255 - sa) + (oa * 255) // 2) // (oa * 255)

        self.pixels[y * self.size + x] = (mix(sr, dr), mix(sg, dg), mix(sb, db), oa)

    def fill(self, x0, y0, x1, y1, rgba):
        # Inclusive corners.
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.blend(x, y, rgba)


def window(img, x0, y0, x1, y1, title, active, shadow, close):
    """One window frame: 1 px border, a title bar `title` px tall (border
    included), a client area. `shadow` is the drop shadow's alpha, 0 for
    none; `close` the side of the close box, 0 for none."""
    if shadow:
        img.fill(x0 + 1, y1 + 1, x1 + 1, y1 + 1, SHADOW + (shadow,))
        img.fill(x1 + 1, y0 + 1, x1 + 1, y1, SHADOW + (shadow,))
    img.fill(x0, y0, x1, y1, FRAME_ACTIVE if active else FRAME_INACTIVE)
    img.fill(x0 + 1, y0 + 1, x1 - 1, y0 + title - 1, TITLE_ACTIVE if active else TITLE_INACTIVE)
    if active and title >= 5:
        img.fill(x0 + 1, y0 + 1, x1 - 1, y0 + 1, TITLE_ACTIVE_SHINE)
    if close:
        cy = y0 + 1 + (title - 1 - close) // 2
        img.fill(x1 - 1 - close, cy, x1 - 2, cy + close - 1, CLOSE_BOX)
    img.fill(x0 + 1, y0 + title, x1 - 1, y1 - 1, BODY_ACTIVE if active else BODY_INACTIVE)


def lines(img, x, y, rows, pitch, thick, handle, gap, lengths):
    """The listing: each row a handle mark, a gap, then class and title."""
    for i in range(rows):
        top = y + i * pitch
        img.fill(x, top, x + handle - 1, top + thick - 1, HANDLE_INK)
        tx = x + handle + gap
        img.fill(tx, top, tx + lengths[i % len(lengths)] - 1, top + thick - 1, TEXT_INK)


def draw16():
    img = Image(16)
    window(img, 0, 0, 10, 10, title=3, active=False, shadow=0, close=0)
    window(img, 4, 4, 14, 14, title=3, active=True, shadow=110, close=0)
    lines(img, 6, 8, rows=3, pitch=2, thick=1, handle=1, gap=1, lengths=(5, 3, 4))
    return img


def draw32():
    img = Image(32)
    window(img, 1, 1, 20, 17, title=4, active=False, shadow=0, close=0)
    window(img, 5, 5, 24, 21, title=4, active=False, shadow=0, close=0)
    window(img, 9, 9, 30, 30, title=5, active=True, shadow=90, close=2)
    lines(img, 12, 16, rows=6, pitch=2, thick=1, handle=2, gap=1, lengths=(12, 8, 10, 6, 11, 7))
    return img


def draw48():
    img = Image(48)
    window(img, 1, 1, 30, 25, title=6, active=False, shadow=0, close=0)
    window(img, 7, 7, 36, 31, title=6, active=False, shadow=0, close=0)
    window(img, 13, 13, 45, 45, title=7, active=True, shadow=90, close=3)
    lines(img, 17, 23, rows=7, pitch=3, thick=2, handle=3, gap=2, lengths=(19, 12, 16, 9, 17, 11, 14))
    return img


def dib(img):
    """One icon image: BITMAPINFOHEADER, 32-bit BGRA rows bottom-up, then
    the 1-bit AND mask (set where fully transparent) for old renderers."""
    n = img.size
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((n + 31) // 32) * 4
    for y in reversed(range(n)):
        row = bytearray(mask_stride)
        for x in range(n):
            r, g, b, a = img.pixels[y * n + x]
            xor += bytes((b, g, r, a))
            if a == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(xor) + bytes(mask)


def ico(images):
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = [dib(img) for img in images]
    for img, blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", img.size, img.size, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def png(width, height, rgba_rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + bytes(row) for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def preview(images, scale, path):
    """The sizes side by side, each enlarged `scale` times, over a light and
    a dark background, and once more at their real size."""
    pad = 8
    backgrounds = [(0xF0, 0xF0, 0xF0), (0x30, 0x30, 0x38)]
    width = pad + sum(img.size * scale + pad for img in images) + sum(img.size + pad for img in images)
    band = max(img.size for img in images) * scale + 2 * pad
    height = band * len(backgrounds)
    canvas = [[0, 0, 0, 255] * width for _ in range(height)]
    for band_index, bg in enumerate(backgrounds):
        for y in range(band_index * band, (band_index + 1) * band):
            for x in range(width):
                canvas[y][4 * x:4 * x + 3] = bg
        x_at = pad
        placements = [(img, scale) for img in images] + [(img, 1) for img in images]
        for img, s in placements:
            y_at = band_index * band + pad
            for y in range(img.size * s):
                for x in range(img.size * s):
                    r, g, b, a = img.pixels[(y // s) * img.size + x // s]
                    px = canvas[y_at + y]
                    i = 4 * (x_at + x)
                    for c, v in enumerate((r, g, b)):
                        px[i + c] = (v * a + px[i + c] * (255 - a) + 127) // 255
            x_at += img.size * s + pad
    with open(path, "wb") as f:
        f.write(png(width, height, canvas))


def main():
    parser = argparse.ArgumentParser(description="Writes the application icon.")
    parser.add_argument("--output", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "qelt.ico"))
    parser.add_argument("--preview", help="also write the sizes enlarged into this PNG")
    parser.add_argument("--scale", type=int, default=8)
    args = parser.parse_args()
    images = [draw16(), draw32(), draw48()]
    with open(args.output, "wb") as f:
        f.write(ico(images))
    if args.preview:
        preview(images, args.scale, args.preview)


if __name__ == "__main__":
    main()
