#!/usr/bin/env python3
"""Draws the application icon and writes it as a Windows .ico file.

The motif: a dark panel holding a grid of three rows, one per device slot,
in which every column lights exactly one cell in its row's colour, the way
each General MIDI program is routed to exactly one device.

Images, in this order: 32 x 32 in 16 colours, 48 x 48 in 256 colours,
16 x 16 in 16 colours. Each is an uncompressed DIB (4 or 8 bits per pixel)
followed by its 1-bit AND mask, as the icon loader expects.

Usage: make_icon.py OUTPUT.ico
"""

import struct
import sys

# The standard 16-colour palette, so the 4-bit images look the same on every
# display the icon loader may choose them for.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# Which row (device slot) each column lights, left to right.
ROUTING = [0, 2, 1, 0, 2, 1]

# Geometry per size: columns, cell width and height, horizontal and vertical
# gap, corner cut of the panel.
LAYOUT = {
    16: dict(columns=4, cell_w=2, cell_h=3, gap_x=1, gap_y=1, corner=1),
    32: dict(columns=6, cell_w=3, cell_h=6, gap_x=1, gap_y=2, corner=2),
    48: dict(columns=6, cell_w=5, cell_h=9, gap_x=2, gap_y=3, corner=3),
}

ROW_COLOURS = [(255, 0, 0), (255, 255, 0), (0, 255, 255)]
PANEL = (0, 0, 128)
FRAME = (0, 0, 0)
UNLIT = (128, 128, 128)


def shade(colour, factor):
    return tuple(max(0, min(255, int(round(c * factor)))) for c in colour)


def draw(size, rich):
    """Returns rows of pixels, top row first; None marks a transparent pixel.

    `rich` adds gradients and bevels for the 256-colour image; without it
    only colours of the 16-colour palette are used.
    """
    layout = LAYOUT[size]
    corner = layout["corner"]
    pixels = [[None] * size for _ in range(size)]

    # Panel with cut corners and a one-pixel frame.
    for y in range(size):
        for x in range(size):
            dx = min(x, size - 1 - x)
            dy = min(y, size - 1 - y)
            if dx + dy < corner:
                continue
            edge = dx == 0 or dy == 0 or dx + dy == corner
            if edge:
                pixels[y][x] = FRAME
            elif rich:
                pixels[y][x] = shade(PANEL, 1.5 - 0.9 * y / size)
            else:
                pixels[y][x] = PANEL

    columns = layout["columns"]
    cw, ch = layout["cell_w"], layout["cell_h"]
    gx, gy = layout["gap_x"], layout["gap_y"]
    grid_w = columns * cw + (columns - 1) * gx
    grid_h = 3 * ch + 2 * gy
    left = (size - grid_w) // 2
    top = (size - grid_h) // 2

    for column in range(columns):
        lit_row = ROUTING[column % len(ROUTING)]
        for row in range(3):
            x0 = left + column * (cw + gx)
            y0 = top + row * (ch + gy)
            base = ROW_COLOURS[row] if row == lit_row else UNLIT
            for y in range(ch):
                for x in range(cw):
                    colour = base
                    if rich:
                        if row != lit_row:
                            colour = shade(UNLIT, 0.6)
                        elif x == 0 or y == 0:
                            colour = tuple(min(255, c + 120) for c in base)
                        elif x == cw - 1 or y == ch - 1:
                            colour = shade(base, 0.55)
                        else:
                            colour = shade(base, 1.0 - 0.3 * y / ch)
                    pixels[y0 + y][x0 + x] = colour
    return pixels


def palette_for(pixels, bits):
    if bits == 4:
        return list(VGA16)
    colours = list(VGA16)
    for row in pixels:
        for colour in row:
            if colour is not None and colour not in colours:
                colours.append(colour)
    if len(colours) > 256:
        raise SystemExit("icon design uses more than 256 colours")
    return colours + [(0, 0, 0)] * (256 - len(colours))


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))


def row_bytes(bits_per_pixel, width):
    # DIB rows are padded to whole 32-bit words.
    return ((width * bits_per_pixel + 31) // 32) * 4


def dib(size, bits, rich):
    pixels = draw(size, rich)
    palette = palette_for(pixels, bits)
    index = {}
    xor_rows = []
    and_rows = []
    for row in reversed(pixels):  # DIBs are stored bottom-up
        indices = []
        mask = 0
        for x, colour in enumerate(row):
            if colour is None:
                indices.append(0)
                mask |= 1 << (size - 1 - x)
            else:
                if colour not in index:
                    index[colour] = nearest(palette, colour)
                indices.append(index[colour])
        if bits == 4:
            packed = bytes((indices[i] << 4) | indices[i + 1]
                           for i in range(0, size, 2))
        else:
            packed = bytes(indices)
        xor_rows.append(packed.ljust(row_bytes(bits, size), b"\0"))
        and_rows.append(mask.to_bytes(size // 8, "big").ljust(row_bytes(1, size), b"\0"))
    image = b"".join(xor_rows) + b"".join(and_rows)
    # The height counts the colour image and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0,
                         len(image), 0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + image


IMAGES = [(32, 4, False), (48, 8, True), (16, 4, False)]


def icon():
    images = [(size, bits, dib(size, bits, rich)) for size, bits, rich in IMAGES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = len(out) + 16 * len(images)
    for size, bits, data in images:
        colour_count = 1 << bits if bits < 8 else 0  # 0 stands for 256 or more
        out += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, data in images)


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: make_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as f:
        f.write(icon())


if __name__ == "__main__":
    main()
