#!/usr/bin/env python3
"""Draws the tray animation's five icon frames and the About box picture.

Each frame is a 32x32, 16-colour icon: a note card whose lines of text are
written one more per frame, with a pen moving along; the fifth frame shows the
finished card sent off with an arrow. The About picture is the finished card
on a larger 16-colour bitmap. Run from anywhere; writes into res/.
"""
import os
import struct

# The standard 16-colour VGA palette (B, G, R, 0).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, NAVY, GREEN, TEAL, MAROON, PURPLE, OLIVE, SILVER, GREY, BLUE, LIME, AQUA, RED, FUCHSIA, YELLOW, WHITE = range(16)
TRANSPARENT = None


def blank(width, height):
    return [[TRANSPARENT] * width for _ in range(height)]


def fill(img, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(len(img), y1 + 1)):
        for x in range(max(0, x0), min(len(img[0]), x1 + 1)):
            img[y][x] = colour


def card(img, ox, oy, lines_written, scale=1):
    s = scale
    # Shadow, border and paper of the card.
    fill(img, ox + 3 * s, oy + 3 * s, ox + 27 * s + s - 1, oy + 27 * s + s - 1, GREY)
    fill(img, ox + 1 * s, oy + 1 * s, ox + 25 * s + s - 1, oy + 25 * s + s - 1, NAVY)
    fill(img, ox + 2 * s, oy + 2 * s, ox + 24 * s + s - 1, oy + 24 * s + s - 1, WHITE)
    # Title bar of the card.
    fill(img, ox + 2 * s, oy + 2 * s, ox + 24 * s + s - 1, oy + 6 * s + s - 1, TEAL)
    widths = [18, 14, 19, 11]
    for i in range(4):
        y = oy + (9 + 4 * i) * s
        colour = NAVY if i < lines_written else SILVER
        fill(img, ox + 5 * s, y, ox + (5 + widths[i]) * s - 1, y + 2 * s - 1, colour)
    return widths


def pen(img, x, y):
    # A small diagonal pen whose nib rests at (x, y).
    for i in range(7):
        fill(img, x + i, y - i - 1, x + i + 1, y - i, YELLOW)
        fill(img, x + i + 1, y - i - 2, x + i + 1, y - i - 2, OLIVE)
    fill(img, x, y, x, y, BLACK)


def arrow(img):
    fill(img, 18, 24, 27, 26, RED)
    for i in range(5):
        fill(img, 26 - i, 20 + i, 26 - i, 30 - i, RED)
        fill(img, 27 + (4 - i) - 4, 21 + i, 27 + (4 - i) - 4, 29 - i, RED)


def frame(n):
    img = blank(32, 32)
    widths = card(img, 0, 0, n if n < 4 else 4)
    if n < 4:
        line = n
        pen(img, 5 + widths[line], 9 + 4 * line + 1)
    else:
        arrow(img)
    return img


def rows_4bpp(img):
    """Bottom-up rows of 4-bit pixels, each row padded to 4 bytes."""
    out = b""
    width = len(img[0])
    for row in reversed(img):
        data = bytearray()
        for x in range(0, width, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if x + 1 < width and row[x + 1] is not None else 0
            data.append((a << 4) | b)
        while len(data) % 4:
            data.append(0)
        out += bytes(data)
    return out


def mask_rows(img):
    out = b""
    width = len(img[0])
    for row in reversed(img):
        data = bytearray((width + 7) // 8)
        for x, v in enumerate(row):
            if v is None:
                data[x // 8] |= 0x80 >> (x % 8)
        while len(data) % 4:
            data.append(0)
        out += bytes(data)
    return out


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)


def ico(img):
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, 0, 0, 0, 16, 0)
    body = header + palette_bytes() + rows_4bpp(img) + mask_rows(img)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(body), 22)
    return directory + body


def bmp(img):
    height, width = len(img), len(img[0])
    pixels = rows_4bpp(img)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    offset = 14 + len(info) + 64
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + palette_bytes() + pixels


def about_picture():
    img = [[SILVER] * 96 for _ in range(64)]
    card(img, 16, 2, 4, scale=2)
    for y in range(64):
        for x in range(96):
            if img[y][x] is None:
                img[y][x] = SILVER
    return img


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    for n in range(5):
        with open(os.path.join(res, "frame%d.ico" % (n + 1)), "wb") as f:
            f.write(ico(frame(n)))
    with open(os.path.join(res, "about.bmp"), "wb") as f:
        f.write(bmp(about_picture()))


if __name__ == "__main__":
    main()
