"""The resources of a Windows program file, read with the standard library alone: the
resource tree of a PE image, and decoders for the kinds that setup.exe holds (dialog
templates, pictures, icons, string tables, manifests, version records)."""

import struct
from dataclasses import dataclass
from pathlib import Path

RT_ICON = 3
RT_BITMAP = 2
RT_DIALOG = 5
RT_STRING = 6
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24

_RESOURCE_DIRECTORY_INDEX = 2
_SUBDIRECTORY = 0x80000000
# Classes that a dialog template may name by number.
_CONTROL_CLASSES = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC", 0x83: "LISTBOX",
                    0x84: "SCROLLBAR", 0x85: "COMBOBOX"}
_DS_SETFONT = 0x40


def read_resources(path):
    """Every resource of the program file: {(type, name, language): bytes}, where type
    and name are numbers or strings."""
    image = Path(path).read_bytes()
    if image[:2] != b"MZ":
        raise ValueError(f"{path}: not a program file")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path}: no PE header")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + {0x10B: 96, 0x20B: 112}[magic]
    rva, size = struct.unpack_from("<II", image, directories + 8 * _RESOURCE_DIRECTORY_INDEX)
    if not size:
        return {}
    table = optional + optional_size
    spans = [struct.unpack_from("<8xIIII", image, table + 40 * i) for i in range(sections)]

    def at(address):
        for virtual_size, virtual, raw_size, raw in spans:
            if virtual <= address < virtual + max(virtual_size, raw_size):
                return raw + address - virtual
        raise ValueError(f"{path}: address {address:#x} is in no section")

    root = at(rva)
    found = {}

    def walk(offset, path_so_far):
        named, numbered = struct.unpack_from("<12xHH", image, root + offset)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, root + offset + 16 + 8 * i)
            key = _entry_name(image, root, name)
            if target & _SUBDIRECTORY:
                walk(target & ~_SUBDIRECTORY, path_so_far + (key,))
            else:
                data, length = struct.unpack_from("<II", image, root + target)
                start = at(data)
                found[path_so_far + (key,)] = image[start:start + length]

    walk(0, ())
    return found


def _entry_name(image, root, name):
    if not name & _SUBDIRECTORY:
        return name
    offset = root + (name & ~_SUBDIRECTORY)
    length = struct.unpack_from("<H", image, offset)[0]
    return image[offset + 2:offset + 2 + 2 * length].decode("utf-16-le")


# --- dialog templates

@dataclass(frozen=True)
class Control:
    id: int
    cls: str
    text: object        # a string, or a resource number (a picture's or an icon's)
    style: int
    ex_style: int
    rect: tuple         # x, y, width, height in dialog units


@dataclass(frozen=True)
class Dialog:
    style: int
    ex_style: int
    rect: tuple
    menu: object
    cls: object
    caption: str
    font: tuple         # point size, weight, italic, character set, face
    controls: tuple


class _Reader:
    def __init__(self, data):
        self.data = data
        self.offset = 0

    def take(self, layout):
        values = struct.unpack_from("<" + layout, self.data, self.offset)
        self.offset += struct.calcsize("<" + layout)
        return values

    def align(self, boundary):
        self.offset += -self.offset % boundary

    def text(self):
        end = self.offset
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.offset:end].decode("utf-16-le")
        self.offset = end + 2
        return value

    def text_or_number(self):
        """A template's name field: nothing, a number after 0xFFFF, or a text."""
        first = struct.unpack_from("<H", self.data, self.offset)[0]
        if first == 0:
            self.offset += 2
            return ""
        if first == 0xFFFF:
            return self.take("HH")[1]
        return self.text()


def parse_dialog(data):
    """An extended dialog template (the only kind that setup.rc writes)."""
    reader = _Reader(data)
    version, signature, _, ex_style, style, count, x, y, cx, cy = reader.take("HHIIIHhhhh")
    if (version, signature) != (1, 0xFFFF):
        raise ValueError("not an extended dialog template")
    menu = reader.text_or_number()
    cls = reader.text_or_number()
    caption = reader.text()
    font = None
    if style & _DS_SETFONT:
        points, weight, italic, charset = reader.take("HHBB")
        font = (points, weight, italic, charset, reader.text())
    controls = []
    for _ in range(count):
        reader.align(4)
        _, c_ex_style, c_style, c_x, c_y, c_cx, c_cy, c_id = reader.take("IIIhhhhi")
        c_cls = reader.text_or_number()
        c_text = reader.text_or_number()
        extra = reader.take("H")[0]
        reader.offset += extra
        controls.append(Control(c_id, _CONTROL_CLASSES.get(c_cls, str(c_cls).upper()),
                                c_text, c_style, c_ex_style, (c_x, c_y, c_cx, c_cy)))
    return Dialog(style, ex_style, (x, y, cx, cy), menu, cls, caption, font,
                  tuple(controls))


# --- pictures and icons

@dataclass(frozen=True)
class Picture:
    width: int
    height: int         # negative when the rows run top down
    bits: int
    compression: int
    colours_used: int


def parse_bitmap_header(data):
    """The BITMAPINFOHEADER at the start of a picture or of an icon image."""
    size, width, height, _, bits, compression, _, _, _, used = struct.unpack_from(
        "<IiiHHIIiiI", data)
    if size < 40:
        raise ValueError("not a BITMAPINFOHEADER")
    return Picture(width, height, bits, compression, used)


def bitmap_pixels(data):
    """The rows of an uncompressed 24-bit picture, top row first, each a bytes object of
    R, G, B triples."""
    header = parse_bitmap_header(data)
    if header.bits != 24 or header.compression != 0:
        raise ValueError("only uncompressed 24-bit pictures are read")
    start = struct.unpack_from("<I", data)[0]
    stride = (header.width * 3 + 3) // 4 * 4
    rows = []
    for y in range(abs(header.height)):
        row = data[start + y * stride:start + y * stride + header.width * 3]
        rgb = bytearray(len(row))
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        rows.append(bytes(rgb))
    return rows if header.height < 0 else rows[::-1]


@dataclass(frozen=True)
class IconEntry:
    width: int          # 0 stands for 256
    height: int
    colours: int        # 0 for 256 colours or more
    planes: int
    bits: int
    size: int
    image_id: int


def parse_icon_group(data):
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if (reserved, kind) != (0, 1):
        raise ValueError("not an icon group")
    return [IconEntry(*struct.unpack_from("<BBBxHHIH", data, 6 + 14 * i))
            for i in range(count)]


# --- strings

def parse_string_block(data):
    """The sixteen strings of a string-table block, empty ones included."""
    reader = _Reader(data)
    strings = []
    for _ in range(16):
        length = reader.take("H")[0]
        strings.append(data[reader.offset:reader.offset + 2 * length].decode("utf-16-le"))
        reader.offset += 2 * length
    return strings


# --- version record

@dataclass(frozen=True)
class VersionNode:
    key: str
    value: object       # a string (text nodes), else the value's bytes
    children: tuple

    def child(self, key):
        matches = [c for c in self.children if c.key == key]
        if len(matches) != 1:
            raise KeyError(f"{len(matches)} nodes named {key!r} under {self.key!r}")
        return matches[0]


def parse_version(data):
    node, _ = _version_node(data, 0)
    return node


def _version_node(data, offset):
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    reader = _Reader(data)
    reader.offset = offset + 6
    key = reader.text()
    reader.align(4)
    end = offset + length
    if kind == 1:
        # Compilers differ on whether a text's length counts characters or bytes: the
        # text ends at its zero, and the next node at the next four-byte boundary.
        value = reader.text() if value_length else ""
    else:
        value = data[reader.offset:reader.offset + value_length]
        reader.offset += value_length
    children = []
    reader.align(4)
    while reader.offset < end:
        child, reader.offset = _version_node(data, reader.offset)
        children.append(child)
        reader.align(4)
    return VersionNode(key, value, tuple(children)), end


@dataclass(frozen=True)
class FixedVersion:
    signature: int
    file_version: tuple
    product_version: tuple
    flags_mask: int
    flags: int
    os: int
    file_type: int
    file_subtype: int


def parse_fixed_version(value):
    fields = struct.unpack_from("<13I", value)

    def version(high, low):
        return (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)

    return FixedVersion(fields[0], version(fields[2], fields[3]),
                        version(fields[4], fields[5]), *fields[6:11])
