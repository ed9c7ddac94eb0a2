#!/usr/bin/env python3
"""Draws the program's two 16-colour icons and writes them as .ico files beside this script.

tuckbay.ico: an arrow pointer over a dotted rectangle, with a small yellow square holding a
plus sign (the window's and the program's icon). files.ico: a stack of three blank documents
(the icon that is dragged out).

Each icon holds one image for every size the program asks for at some display scale (16 and
32 pixels at 100 % up to 200 %). Every size is drawn for itself on whole pixels, so small
sizes stay sharp instead of being resampled from the 32-pixel drawing; the 32-pixel images
are the program's original drawings, pixel for pixel.

    make_icons.py                 rewrites tuckbay.ico and files.ico
    make_icons.py --preview DIR   also writes enlarged PNGs of every image into DIR
"""
import os
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64)

BLACK, GRAY, SILVER, YELLOW, WHITE, NAVY = 0, 8, 7, 11, 15, 4
TRANSPARENT = -1
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def canvas(size):
    return [[TRANSPARENT] * size for _ in range(size)]


def stroke_for(size):
    # Lines stay one pixel thick up to 40 pixels (125 % of 32); from 48 on they are two, so
    # the icon keeps the weight the 32-pixel drawing has on its own screen.
    return 1 if size <= 40 else 2


def outlined(img, mask, stroke, fill, lines=()):
    """Paints the cells of mask: the outer stroke cells and lines black, the rest in fill.

    A cell belongs to the outline when it lies within stroke steps (left, right, up, down)
    of a cell outside the mask, which gives diagonals one clean staircase of pixels.
    """
    inner = set(mask)
    outline = set(lines)
    for _ in range(stroke):
        edge = {(x, y) for x, y in inner
                if any(n not in inner for n in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))}
        outline |= edge
        inner -= edge
    for x, y in mask:
        img[y][x] = BLACK if (x, y) in outline else fill


def dotted_frame(img, x0, y0, x1, y1, stroke):
    # Dots of stroke × stroke pixels on a checkerboard of the whole image, so a frame whose
    # corners lie on dots shows a dot in every corner.
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            on_edge = x < x0 + stroke or x > x1 - stroke or y < y0 + stroke or y > y1 - stroke
            if on_edge and (x // stroke + y // stroke) % 2 == 0:
                img[y][x] = NAVY


def pointer(img, ox, oy, body, notch, tail_width, tail_rows, stroke):
    """Draws the classic pointer with its tip at (ox, oy).

    body: the row of the triangle's base (the triangle is body + 1 rows tall, as wide as it is
    tall); notch: how far right of the left edge the tail starts below the base; tail_width:
    the tail's width with its outline; tail_rows: its rows below the base before the rounded
    end. The tail leans one column right every two rows, as the system's pointer does.
    """
    cells = set()
    for y in range(body + 1):
        cells |= {(x, y) for x in range(y + 1)}
    for y in range(body + 1, body + notch + 2):
        cells |= {(x, y) for x in range(notch - (y - body - 1) + 1)}
    for y in range(body + 1, body + tail_rows + 1):
        left = notch + (y - body) // 2
        cells |= {(x, y) for x in range(left, left + tail_width)}
    last_left = notch + tail_rows // 2
    for i in range(1, stroke + 1):
        cells |= {(x, body + tail_rows + i)
                  for x in range(last_left + i, last_left + tail_width - i)}
    # The base is closed right of the tail, where the tail's own edge continues it.
    base = {(x, y) for y in range(body - stroke + 1, body + 1)
            for x in range(notch + tail_width - stroke, y + 1)}
    outlined(img, [(ox + x, oy + y) for x, y in cells], stroke, WHITE,
             [(ox + x, oy + y) for x, y in base])


def plus_square(img, x0, y0, side, arm, thickness, stroke):
    cells = [(x, y) for y in range(y0, y0 + side) for x in range(x0, x0 + side)]
    outlined(img, cells, stroke, YELLOW)
    first = (side - arm) // 2
    across = (side - thickness) // 2
    for along in range(first, first + arm):
        for width in range(across, across + thickness):
            img[y0 + width][x0 + along] = BLACK
            img[y0 + along][x0 + width] = BLACK


def document(img, x0, y0, w, h, fold, stroke):
    # A page with its top right corner folded over: the corner above the fold's diagonal is
    # cut away and the folded flap is outlined inside the page.
    right = x0 + w - 1 - fold
    cells = [(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w)
             if x <= right or y - y0 >= x - right]
    outlined(img, cells, stroke, WHITE)
    for i in range(stroke):
        for y in range(y0, y0 + fold + 1):
            img[y][right + i] = BLACK
        for x in range(right, x0 + w):
            img[y0 + fold - i][x] = BLACK


# Where each size puts the window icon's parts, chosen for that size's pixel grid:
# dotted frame (x0, y0, x1, y1); pointer tip (x, y) and shape (body, notch, tail width, tail
# rows); yellow square (x, y, side) with its plus (arm length, arm thickness).
WINDOW_LAYOUT = {
    16: ((0, 0, 12, 10), (2, 2), (6, 2, 3, 3), (9, 9, 7), (3, 1)),
    20: ((1, 1, 17, 13), (4, 3), (6, 2, 3, 3), (11, 11, 9), (5, 1)),
    24: ((1, 1, 19, 17), (5, 4), (7, 2, 4, 3), (13, 13, 10), (6, 2)),
    32: ((1, 2, 26, 22), (9, 7), (10, 3, 4, 5), (19, 19, 12), (6, 2)),
    40: ((1, 3, 33, 27), (11, 8), (12, 4, 5, 6), (24, 24, 15), (9, 3)),
    48: ((2, 2, 39, 31), (13, 10), (15, 4, 7, 7), (28, 28, 19), (9, 3)),
    64: ((4, 4, 53, 45), (18, 14), (20, 6, 8, 10), (38, 38, 24), (12, 4)),
}

# The three pages of the files icon, back to front: their top left corners, and the pages'
# width, height and fold.
FILES_LAYOUT = {
    16: (((1, 0), (4, 2), (7, 5)), (8, 11, 3)),
    20: (((1, 0), (4, 3), (8, 6)), (11, 14, 3)),
    24: (((2, 1), (6, 4), (10, 8)), (12, 16, 3)),
    32: (((3, 1), (8, 5), (13, 10)), (17, 21, 4)),
    40: (((3, 1), (10, 6), (16, 12)), (21, 27, 5)),
    48: (((4, 1), (12, 7), (20, 14)), (25, 32, 6)),
    64: (((6, 2), (16, 10), (26, 20)), (34, 42, 8)),
}


def window_icon(size):
    frame, tip, shape, square, plus = WINDOW_LAYOUT[size]
    stroke = stroke_for(size)
    img = canvas(size)
    dotted_frame(img, *frame, stroke)
    pointer(img, *tip, *shape, stroke)
    plus_square(img, *square, *plus, stroke)
    return img


def files_icon(size):
    corners, (w, h, fold) = FILES_LAYOUT[size]
    img = canvas(size)
    for x, y in corners:
        document(img, x, y, w, h, fold, stroke_for(size))
    return img


def image_bytes(img):
    size = len(img)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor = b""
    mask = b""
    for row in reversed(img):
        line = bytearray()
        for x in range(0, size, 2):
            hi = max(row[x], 0)
            lo = max(row[x + 1], 0)
            line.append(hi << 4 | lo)
        xor += bytes(line) + b"\0" * (-len(line) % 4)
        bits = bytearray((size + 7) // 8)
        for x, c in enumerate(row):
            if c == TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits) + b"\0" * (-len(bits) % 4)
    return header + palette + xor + mask


def write_ico(path, images):
    data = [image_bytes(img) for img in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, data):
        size = len(img)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(data))


def write_png(path, rows):
    """rows: lists of (r, g, b) tuples."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body)))
    raw = b"".join(b"\0" + bytes(c for rgb in row for c in rgb) for row in rows)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview_rows(img, scale, background):
    # Transparent pixels show the background, so the icon is seen as on a light and on a
    # dark taskbar.
    rows = []
    for row in img:
        line = [background if c == TRANSPARENT else PALETTE[c] for c in row for _ in range(scale)]
        rows += [line] * scale
    return rows


def write_previews(folder, name, images):
    os.makedirs(folder, exist_ok=True)
    for img in images:
        size = len(img)
        write_png(os.path.join(folder, f"{name}-{size}.png"),
                  preview_rows(img, 512 // size, (236, 236, 236)))
    # All sizes side by side at four times their size on a light and on a dark ground.
    scale, gap = 4, 8
    width = sum(len(img) * scale + gap for img in images) + gap
    sheet = []
    for background in ((236, 236, 236), (32, 32, 48)):
        band = [[background] * width for _ in range(64 * scale + 2 * gap)]
        x = gap
        for img in images:
            for dy, line in enumerate(preview_rows(img, scale, background)):
                band[gap + dy][x:x + len(line)] = line
            x += len(img) * scale + gap
        sheet += band
    write_png(os.path.join(folder, f"{name}-sheet.png"), sheet)


def main(args):
    here = os.path.dirname(os.path.abspath(__file__))
    icons = {"tuckbay": [window_icon(s) for s in SIZES], "files": [files_icon(s) for s in SIZES]}
    for name, images in icons.items():
        write_ico(os.path.join(here, name + ".ico"), images)
        if args[:1] == ["--preview"]:
            write_previews(args[1], name, images)


if __name__ == "__main__":
    main(sys.argv[1:])
