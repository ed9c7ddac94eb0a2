#!/usr/bin/env python3
"""Draws the program's two 16-colour icons and writes them as .ico files beside this script.

tuckbay.ico: an arrow pointer over a dotted rectangle, with a small yellow square holding a
plus sign (the window's and the program's icon). files.ico: a stack of three blank documents
(the icon that is dragged out).
"""
import os
import struct

BLACK, GRAY, SILVER, YELLOW, WHITE, NAVY = 0, 8, 7, 11, 15, 4
TRANSPARENT = -1
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def canvas(size):
    return [[TRANSPARENT] * size for _ in range(size)]


def rect(img, x0, y0, x1, y1, fill=None, border=None, dotted=False):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            edge = x in (x0, x1) or y in (y0, y1)
            if edge and border is not None:
                if not dotted or (x + y) % 2 == 0:
                    img[y][x] = border
            elif not edge and fill is not None:
                img[y][x] = fill


def arrow(img, ox, oy):
    # The classic pointer: a filled triangle with a tail, outlined in black.
    shape = [
        "X", "XX", "XWX", "XWWX", "XWWWX", "XWWWWX", "XWWWWWX", "XWWWWWWX", "XWWWWWWWX",
        "XWWWWWWWWX", "XWWWWWXXXXX", "XWWXWWX", "XWX XWWX", "XX  XWWX", "X    XWWX",
        "     XWWX", "      XX",
    ]
    for dy, row in enumerate(shape):
        for dx, c in enumerate(row):
            if c == "X":
                img[oy + dy][ox + dx] = BLACK
            elif c == "W":
                img[oy + dy][ox + dx] = WHITE


def document(img, x0, y0, w, h):
    fold = 4
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            if x - x0 > w - 1 - fold and y - y0 < fold - (w - 1 - (x - x0)):
                continue  # the folded corner is cut away
            img[y][x] = WHITE
    for x in range(x0, x0 + w - fold):
        img[y0][x] = BLACK
    for y in range(y0, y0 + h):
        img[y][x0] = BLACK
        if y - y0 >= fold:
            img[y][x0 + w - 1] = BLACK
    for x in range(x0, x0 + w):
        img[y0 + h - 1][x] = BLACK
    for i in range(fold + 1):
        img[y0 + i][x0 + w - 1 - fold + i] = BLACK  # the fold's diagonal
        img[y0 + fold][x0 + w - 1 - fold + i] = BLACK
        img[y0 + i][x0 + w - 1 - fold] = BLACK


def window_icon():
    img = canvas(32)
    rect(img, 1, 2, 26, 22, border=NAVY, dotted=True)
    arrow(img, 9, 7)
    rect(img, 19, 19, 30, 30, fill=YELLOW, border=BLACK)
    for i in range(22, 28):
        img[24][i] = BLACK
        img[25][i] = BLACK
        img[i][24] = BLACK
        img[i][25] = BLACK
    return img


def files_icon():
    img = canvas(32)
    document(img, 3, 1, 17, 21)
    document(img, 8, 5, 17, 21)
    document(img, 13, 10, 17, 21)
    return img


def scaled(img, size):
    step = len(img) // size
    return [[img[y * step + step // 2][x * step + step // 2] for x in range(size)]
            for y in range(size)]


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


here = os.path.dirname(os.path.abspath(__file__))
big = window_icon()
write_ico(os.path.join(here, "tuckbay.ico"), [big, scaled(big, 16)])
write_ico(os.path.join(here, "files.ico"), [files_icon()])
