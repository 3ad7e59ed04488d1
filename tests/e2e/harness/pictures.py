"""The installer's own pictures, read from the setup.exe under test; where they show
on a screenshot (a picture shows when its rows appear in the screenshot pixel for
pixel); and the checksum that the robot's `picture` gives for a control's picture."""

import zlib

from peresources import RT_BITMAP, bitmap_pixels, read_resources

from .context import context

__unittest = True

_LANGUAGE = 2052


def program_picture(resource_id):
    """The rows of a picture of setup.exe (bytes of R, G, B), top row first."""
    resources = read_resources(context().dist_dir / "setup.exe")
    return bitmap_pixels(resources[(RT_BITMAP, resource_id, _LANGUAGE)])


def dib_crc32(rows):
    """The CRC-32 of a picture's pixels as a 24-bit DIB holds them, top row first: blue,
    green, red, each row padded to a multiple of four bytes."""
    crc = 0
    for row in rows:
        bgr = bytearray(len(row))
        bgr[0::3], bgr[1::3], bgr[2::3] = row[2::3], row[1::3], row[0::3]
        crc = zlib.crc32(bytes(bgr) + bytes(-len(bgr) % 4), crc)
    return crc


def crop(rows, margin):
    """The picture without `margin` pixels on every side."""
    return [row[3 * margin:len(row) - 3 * margin] for row in rows[margin:len(rows) - margin]]


def find_picture(image, rows, box):
    """The top left corner in the box at which every row of the picture shows
    unchanged, or None."""
    height, width = len(rows), len(rows[0]) // 3
    for top in range(box.top, box.bottom - height + 1):
        for left in range(box.left, box.right - width + 1):
            if image.row_bytes(top, left, left + width) != rows[0]:
                continue
            if all(image.row_bytes(top + i, left, left + width) == row
                   for i, row in enumerate(rows)):
                return left, top
    return None
