"""The pixels of a screenshot, read with the standard library alone: the harness's PNGs
are 8-bit RGB or RGBA, not interlaced, which is all that this reader takes."""

import struct
import zlib
from dataclasses import dataclass
from pathlib import Path

__unittest = True

_SIGNATURE = b"\x89PNG\r\n\x1a\n"
# colour type -> bytes per pixel at 8 bits per sample
_CHANNELS = {2: 3, 6: 4}


@dataclass(frozen=True)
class Box:
    """A rectangle of pixels; right and bottom are outside it."""
    left: int
    top: int
    right: int
    bottom: int

    def inset(self, pixels):
        return Box(self.left + pixels, self.top + pixels, self.right - pixels,
                   self.bottom - pixels)

    def points(self):
        return [(x, y) for y in range(self.top, self.bottom)
                for x in range(self.left, self.right)]

    def sides(self):
        """The one-pixel lines along the box's own edge, by name."""
        return {"top": Box(self.left, self.top, self.right, self.top + 1),
                "bottom": Box(self.left, self.bottom - 1, self.right, self.bottom),
                "left": Box(self.left, self.top, self.left + 1, self.bottom),
                "right": Box(self.right - 1, self.top, self.right, self.bottom)}

    def ring(self):
        """The pixels along the box's own edge (the corners twice)."""
        return [point for side in self.sides().values() for point in side.points()]


class Image:
    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self._rows = rows   # per row, a flat sequence of R, G, B

    def pixel(self, x, y):
        row = self._rows[y]
        return tuple(row[3 * x:3 * x + 3])

    def row_bytes(self, y, left, right):
        """The R, G, B bytes of the pixels left to right - 1 of row y."""
        return bytes(self._rows[y][3 * left:3 * right])

    def colours(self, points):
        return [self.pixel(x, y) for x, y in points]

    def rows_with(self, box, colour):
        """The rows of the box that hold at least one pixel of exactly this colour."""
        return [y for y in range(box.top, box.bottom)
                if any(self.pixel(x, y) == colour for x in range(box.left, box.right))]

    def height_of(self, box, colour):
        """How many rows, top to bottom, the pixels of this colour in the box span."""
        rows = self.rows_with(box, colour)
        return rows[-1] - rows[0] + 1 if rows else 0


def read_png(path):
    data = Path(path).read_bytes()
    if not data.startswith(_SIGNATURE):
        raise ValueError(f"{path}: not a PNG")
    header = None
    compressed = bytearray()
    offset = len(_SIGNATURE)
    while offset < len(data):
        length, kind = struct.unpack(">I4s", data[offset:offset + 8])
        body = data[offset + 8:offset + 8 + length]
        offset += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
        elif kind == b"IEND":
            break
    width, height, depth, colour_type, _, _, interlace = header
    if depth != 8 or colour_type not in _CHANNELS or interlace:
        raise ValueError(f"{path}: only 8-bit RGB or RGBA without interlacing is read "
                         f"(depth {depth}, colour type {colour_type}, interlace {interlace})")
    step = _CHANNELS[colour_type]
    raw = zlib.decompress(bytes(compressed))
    stride = width * step
    rows = []
    previous = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        row = _unfilter(raw[start], bytearray(raw[start + 1:start + 1 + stride]), previous,
                        step)
        rows.append(row if step == 3 else bytes(b for i, b in enumerate(row) if i % 4 != 3))
        previous = row
    return Image(width, height, rows)


def _unfilter(kind, row, previous, step):
    """Undoes one row's PNG filter in place (filter types 0 to 4)."""
    for i in range(len(row)):
        left = row[i - step] if i >= step else 0
        up = previous[i]
        upper_left = previous[i - step] if i >= step else 0
        if kind == 1:
            row[i] = (row[i] + left) & 0xFF
        elif kind == 2:
            row[i] = (row[i] + up) & 0xFF
        elif kind == 3:
            row[i] = (row[i] + (left + up) // 2) & 0xFF
        elif kind == 4:
            row[i] = (row[i] + _paeth(left, up, upper_left)) & 0xFF
    return row


def _paeth(left, up, upper_left):
    estimate = left + up - upper_left
    distances = (abs(estimate - left), abs(estimate - up), abs(estimate - upper_left))
    if distances[0] <= distances[1] and distances[0] <= distances[2]:
        return left
    return up if distances[1] <= distances[2] else upper_left
