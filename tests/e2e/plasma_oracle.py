"""The palette and the plasma computed independently of the demo, for checking its pixels."""

import math

SIZE = 512


def palette():
    """256 (red, green, blue) entries of the cyclic ramp."""
    entries = [None] * 256
    for i in range(64):
        rise, fall = 4 * i, 252 - 4 * i
        entries[i] = (0, rise, fall)
        entries[64 + i] = (rise, fall, 0)
        entries[128 + i] = (255, rise, 0)
        entries[192 + i] = (fall, fall, rise)
    return entries


def index_map(stupid):
    """The plasma's palette indices, every 32nd row cleared, as 262,144 bytes."""
    indices = bytearray(SIZE * SIZE)
    for r in range(SIZE):
        for c in range(SIZE):
            if stupid:
                g = (math.sin(r * 0.03125) + 1.0) * 255.0
            else:
                s1 = math.sin(math.hypot(320 - c, 240 - r) / 12.0)
                s2 = math.sin(math.sqrt(r * c) * 0.03125)
                s3 = math.sin(c * 0.03125)
                s4 = math.sin(r * 0.015625)
                s5 = math.sin((r + c) * 0.03125)
                g = (((((s4 + s3) + s5) + s2) + s1) + 5.0) * 255.0 / 5.0
            indices[r * SIZE + c] = int(g) & 0xFF
    first_image = recolour(indices, 0)
    for r in range(0, SIZE, 32):
        indices[r * SIZE:(r + 1) * SIZE] = bytes(SIZE)
    return bytes(indices), first_image


def recolour(indices, ticks):
    """The RGB image for an index map with every index shifted by ticks."""
    entries = palette()
    rgb = bytearray(3 * len(indices))
    for channel in range(3):
        table = bytes(entries[(i + ticks) % 256][channel] for i in range(256))
        rgb[channel::3] = indices.translate(table)
    return bytes(rgb)


_distance = {}


def share_near_palette(colours, tolerance=12):
    """The share of the (red, green, blue) colours that lie within tolerance of some
    palette entry in every channel."""
    entries = palette()
    for colour in set(colours) - _distance.keys():
        _distance[colour] = min(max(abs(a - b) for a, b in zip(colour, entry))
                                for entry in entries)
    return sum(_distance[c] <= tolerance for c in colours) / len(colours)
