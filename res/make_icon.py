#!/usr/bin/env python3
"""Draws Tolvane's program icon (a PLC module with a "T" and three status
lights) and writes it as a Windows .ico with a 16x16 and a 32x32 image, so the
build needs no binary in the repository. Shapes are laid out on a 32-unit
grid, sampled 4x4 per pixel for smooth edges at both sizes."""
import struct
import sys

SAMPLES = 4

# (shape, colour RGBA) from back to front; coordinates on the 32-unit grid.
BODY = (0x2E, 0x3D, 0x4F, 255)
EDGE = (0x17, 0x20, 0x2B, 255)
STRIP = (0x9A, 0xA6, 0xB3, 255)
LETTER = (0xF4, 0xF6, 0xF8, 255)
GREEN = (0x3C, 0xD0, 0x4E, 255)
AMBER = (0xF2, 0xA5, 0x1A, 255)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


SHAPES = [
    (rounded_rect(3, 1, 29, 31, 3.5), EDGE),
    (rounded_rect(4.2, 2.2, 27.8, 29.8, 2.5), BODY),
    (rect(6, 3.5, 26, 6), STRIP),      # terminal strips
    (rect(6, 26, 26, 28.5), STRIP),
    (rect(6.5, 8.5, 21.5, 12.5), LETTER),  # the "T"
    (rect(12, 12.5, 16, 24), LETTER),
    (circle(24.5, 10, 1.9), GREEN),    # status lights
    (circle(24.5, 15.5, 1.9), GREEN),
    (circle(24.5, 21, 1.9), AMBER),
]


def render(size):
    """Rows of (r, g, b, a) tuples, top row first."""
    scale = 32.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    colour = None
                    for inside, c in SHAPES:
                        if inside(x, y):
                            colour = c
                    if colour:
                        # Premultiplied while summing, so edges do not darken.
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 255
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                cover = acc[3] / 255
                row.append(tuple(round(v / cover) for v in acc[:3]) + (round(alpha),))
        rows.append(row)
    return rows


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, 32-bit BGRA rows bottom-up, then the
    1-bit AND mask (set where fully transparent), rows padded to 32 bits."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = bytearray()
    stride = (size + 31) // 32 * 4
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def icon_file(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    if len(sys.argv) != 2:
        print("usage: make_icon.py OUTPUT.ico", file=sys.stderr)
        return 64
    data = icon_file([16, 32])
    with open(sys.argv[1], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
