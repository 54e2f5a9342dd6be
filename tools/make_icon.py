#!/usr/bin/env python3
"""Draws the program icon (an expansion card and a hard disk) as a 16-colour .ico
with a 32x32 and a 16x16 image. Run: python3 tools/make_icon.py app/setup.ico"""
import struct
import sys

# The standard 16-colour palette, as Windows 95 shows 4-bit icons.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DGREEN, OLIVE, GREY, DGREY, YELLOW, WHITE, DBLUE = 0, 2, 3, 7, 8, 11, 15, 4


def draw(size):
    s = size / 32.0
    px = [[None] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), max(int(y0 * s) + 1, int(y1 * s))):
            for x in range(int(x0 * s), max(int(x0 * s) + 1, int(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = c

    # The card: a green board with a bracket, a chip and gold contacts.
    rect(1, 3, 24, 17, DGREEN)
    rect(1, 3, 3, 21, DGREY)
    rect(8, 6, 16, 12, BLACK)
    rect(18, 6, 22, 9, DBLUE)
    for x in range(6, 23, 3):
        rect(x, 17, x + 2, 20, YELLOW)
    # The disk: a grey drive with its platter window and a light.
    rect(12, 19, 31, 31, DGREY)
    rect(13, 20, 30, 30, GREY)
    rect(15, 22, 26, 28, WHITE)
    rect(18, 24, 23, 26, DGREY)
    rect(27, 27, 29, 29, OLIVE if size < 32 else 10)
    return px


def image(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor = bytearray()
    andmask = bytearray()
    for y in reversed(range(size)):
        row = [px[y][x] if px[y][x] is not None else 0 for x in range(size)]
        bits = bytearray((row[x] << 4) | row[x + 1] for x in range(0, size, 2))
        xor += bits + b'\0' * (-len(bits) % 4)
        mask = 0
        for x in range(size):
            mask = (mask << 1) | (1 if px[y][x] is None else 0)
        mbytes = mask.to_bytes(size // 8, 'big')
        andmask += mbytes + b'\0' * (-len(mbytes) % 4)
    return header + palette + bytes(xor) + bytes(andmask)


def main(path):
    images = [image(32), image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1])
