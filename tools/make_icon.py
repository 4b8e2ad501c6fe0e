#!/usr/bin/env python3
"""Draws the program icon (ui/torvinel.ico): a desktop with a grid of icons, one of
them out of place, and an arrow bringing it back. 32x32 and 16x16, 16 colours."""
import struct
import sys

# The standard 16-colour palette (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, TEAL, SILVER, GREY, RED, YELLOW, BLUE, WHITE = 0, 6, 7, 8, 9, 11, 12, 15
CLEAR = None


def draw(size):
    px = [[CLEAR] * size for _ in range(size)]
    s = size / 32.0

    def rect(x0, y0, x1, y1, c):  # inclusive, in 32-grid units
        for y in range(int(y0 * s), int((y1 + 1) * s)):
            for x in range(int(x0 * s), int((x1 + 1) * s)):
                px[y][x] = c

    # Monitor: grey frame, teal desktop, stand.
    rect(0, 1, 31, 25, GREY)
    rect(1, 2, 30, 24, BLACK)
    rect(2, 3, 29, 23, TEAL)
    rect(12, 26, 19, 27, GREY)
    rect(7, 28, 24, 30, SILVER)
    # A 3x3 grid of desktop icons (white pages with a blue band); the last one
    # stands out of place at the right.
    cells = [(4, 5), (4, 11), (4, 17), (10, 5), (10, 11), (10, 17), (16, 5), (16, 11)]
    for cx, cy in cells:
        rect(cx, cy, cx + 3, cy + 3, WHITE)
        rect(cx, cy, cx + 3, cy, BLUE)
    rect(24, 16, 27, 19, WHITE)
    rect(24, 16, 27, 16, BLUE)
    # Arrow from the stray icon back to its place in the grid (16, 17).
    rect(20, 18, 23, 19, YELLOW if size == 32 else RED)
    rect(21, 16, 21, 21, RED)
    rect(20, 17, 20, 20, RED)
    rect(16, 17, 19, 20, CLEAR if size == 32 else TEAL)
    if size == 32:
        for i in range(4):  # dotted outline of the empty place
            px[17 + i][16] = WHITE if i % 2 == 0 else TEAL
            px[17 + i][19] = WHITE if i % 2 == 0 else TEAL
            px[17][16 + i] = WHITE if i % 2 == 0 else TEAL
            px[20][16 + i] = WHITE if i % 2 == 0 else TEAL
        for y in range(18, 20):
            for x in range(17, 19):
                px[y][x] = TEAL
    return px


def image(size):
    px = draw(size)
    row_xor = ((size * 4 + 31) // 32) * 4
    row_and = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):  # bottom-up rows
        r = bytearray(row_xor)
        m = bytearray(row_and)
        for x in range(size):
            c = px[y][x]
            if c is None:
                m[x // 8] |= 0x80 >> (x % 8)
                c = 0
            r[x // 2] |= c << (4 if x % 2 == 0 else 0)
        xor += r
        mask += m
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + pal + bytes(xor) + bytes(mask)


def main(out):
    images = [image(32), image(16)]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, img in zip((32, 16), images):
        data += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    with open(out, 'wb') as f:
        f.write(data + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'ui/torvinel.ico')
