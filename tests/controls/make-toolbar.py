#!/usr/bin/env python3
# Writes toolbar.bmp, the image strip of the test toolbar: three 16 x 15 images (a folder,
# a disk, a cross) on the grey (192, 192, 192) that the tests make transparent.
import struct

WIDTH, HEIGHT, COUNT = 16, 15, 3
GREY, YELLOW, BLUE, RED, BLACK = (192, 192, 192), (230, 190, 40), (40, 80, 200), (210, 30, 30), (0, 0, 0)


def pixel(image, x, y):
    if image == 0 and 2 <= x <= 13 and 4 <= y <= 12:
        return BLACK if x in (2, 13) or y in (4, 12) else YELLOW
    if image == 1 and 2 <= x <= 13 and 2 <= y <= 12:
        return (230, 230, 230) if 5 <= x <= 10 and 2 <= y <= 6 else BLUE
    if image == 2 and 2 <= x <= 13 and 1 <= y <= 13 and abs((x - 2) - (y - 1) * 11 / 12) < 1.5:
        return RED
    if image == 2 and 2 <= x <= 13 and 1 <= y <= 13 and abs((13 - x) - (y - 1) * 11 / 12) < 1.5:
        return RED
    return GREY


rows = []
stride = (WIDTH * COUNT * 3 + 3) & ~3
for y in reversed(range(HEIGHT)):  # a BMP stores the bottom row first
    row = bytearray()
    for x in range(WIDTH * COUNT):
        r, g, b = pixel(x // WIDTH, x % WIDTH, y)
        row += bytes((b, g, r))
    rows.append(bytes(row) + b"\0" * (stride - len(row)))
data = b"".join(rows)
header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, WIDTH * COUNT, HEIGHT, 1, 24, 0, len(data), 2835, 2835, 0, 0)
with open("toolbar.bmp", "wb") as out:
    out.write(header + info + data)
