#!/usr/bin/env python3
"""Draws the installer's pictures and icon into res/pictures/.

The outputs are committed, so the Windows build needs no image tools. Run it
again after changing a picture: `python3 res/tools/make_pictures.py`. It needs
Pillow (Debian: python3-pil) and the Noto Sans CJK fonts (fonts-noto-cjk).

Every output is byte-for-byte the same on every run: nothing depends on time,
randomness or the file system's order, and the BMP and ICO containers are
written here rather than by Pillow, whose headers vary between versions.
"""

import math
import struct
import sys
from dataclasses import dataclass
from pathlib import Path

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont
except ImportError:
    sys.exit("make_pictures: Pillow is missing (Debian package python3-pil; "
             "run with the system's /usr/bin/python3)")

OUTPUT_DIR = Path(__file__).resolve().parent.parent / "pictures"
FONT_DIR = Path("/usr/share/fonts/opentype/noto")
CHINESE_FACE = "Noto Sans CJK SC"

BACKGROUND_SIZE = (728, 564)
TEMPLATE_SIZE = (729, 564)
BUTTON_SIZE = (106, 29)
PORT_QUESTION_SIZE = (89, 85)
ICON_SIZE = 48

# Where the install button lands on the background, in Windows' own metrics:
# the main window's font, 宋体 9 pt at 96 dpi, gives dialog base units of
# 6 x 12 px (1.5 px per dialog unit). The picture static draws the picture 3 px
# into its window: the dialog manager turns its WS_BORDER into a 2 px client
# edge, and SS_SUNKEN adds a 1 px static edge. The button's (287, 191, 74, 22)
# DLU become a 111 x 33 px window at (431, 287), which centres its 106 x 29 px
# picture 2 px in, at (433, 289): (430, 286) on the background. Under Wine this
# holds only where 宋体 is replaced by a face of the same metrics (the test
# prefixes use AR PL SungtiL GB); its default CJK stand-in has larger base units.
DIALOG_BASE_UNITS = (6, 12)          # px per 4 x 8 dialog units
PICTURE_FRAME = 3                    # px from the static's corner to the picture
INSTALL_BUTTON_DLU = (287, 191, 74, 22)


def dialog_units_to_pixels(value, axis):
    """MulDiv(value, base unit, 4 or 8), which rounds halves away from zero."""
    base, per = DIALOG_BASE_UNITS[axis], (4, 8)[axis]
    return (value * base * 2 + per) // (per * 2)


def install_button_origin():
    """Top left pixel of the drawn button face on the background."""
    x, y, w, h = INSTALL_BUTTON_DLU
    left, top = dialog_units_to_pixels(x, 0), dialog_units_to_pixels(y, 1)
    width, height = dialog_units_to_pixels(w, 0), dialog_units_to_pixels(h, 1)
    return (left + (width - BUTTON_SIZE[0]) // 2 - PICTURE_FRAME,
            top + (height - BUTTON_SIZE[1]) // 2 - PICTURE_FRAME)


INSTALL_BUTTON_ORIGIN = install_button_origin()

# Shapes are drawn this many times larger and scaled down, which gives them
# smooth edges; text is drawn at its real size, where the font's own hinting
# keeps small glyphs sharp.
SUPERSAMPLE = 4

WHITE = (255, 255, 255)
INK = (46, 52, 62)
FRAME_LIGHT = (236, 238, 241)
FRAME_DARK = (214, 218, 224)
FRAME_EDGE = (176, 182, 191)
PANEL_TOP = (34, 104, 196)
PANEL_BOTTOM = (14, 58, 128)
BUTTON_TOP = (52, 132, 232)
BUTTON_BOTTOM = (22, 88, 186)
BUTTON_EDGE = (16, 70, 156)
HEADING_BLUE = (24, 90, 180)
RULE_GREY = (222, 226, 232)
QUESTION_BLUE_TOP = (58, 136, 232)
QUESTION_BLUE_BOTTOM = (20, 84, 180)

INSTALL_TEXT = "点击安装驱动"
SETUP_WORDS = "安装程序"
NOTICE_HEADING = "温馨提示"
NOTICE_LINES = ("请确认电脑与打印机之间的连接线",
                "（USB 线或并口线）已经连接好。")
SLOGAN = "稳定可靠的 24 针点阵打印机"


# --------------------------------------------------------------------------
# Fonts and small drawing helpers

_font_cache = {}


def font(size, bold=False):
    """Noto Sans CJK SC at a pixel size; the collection is searched by name
    because the face order inside the .ttc differs between releases."""
    key = (size, bold)
    if key not in _font_cache:
        path = FONT_DIR / ("NotoSansCJK-Bold.ttc" if bold else "NotoSansCJK-Regular.ttc")
        for index in range(16):
            face = ImageFont.truetype(str(path), size, index=index)
            if face.getname()[0] == CHINESE_FACE:
                _font_cache[key] = face
                break
        else:
            sys.exit(f"make_pictures: no '{CHINESE_FACE}' face in {path}")
    return _font_cache[key]


def vertical_gradient(size, top, bottom, mode="RGB"):
    width, height = size
    column = Image.new(mode, (1, height))
    for y in range(height):
        t = y / max(height - 1, 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        if mode == "RGBA" and len(colour) == 3:
            colour += (255,)
        column.putpixel((0, y), colour)
    return column.resize(size, Image.NEAREST)


def spaced_text(draw, origin, text, face, fill, spacing):
    """Draws text with extra room between letters, from its left baseline."""
    x, y = origin
    for letter in text:
        draw.text((x, y), letter, font=face, fill=fill, anchor="ls")
        x += draw.textlength(letter, font=face) + spacing


def spaced_text_width(draw, text, face, spacing):
    return sum(draw.textlength(c, font=face) for c in text) + spacing * (len(text) - 1)


class Sketch:
    """An RGBA layer drawn in design units at SUPERSAMPLE times the output size
    and reduced to that size with smooth edges by finish()."""

    def __init__(self, design_size, output_size):
        self.output_size = output_size
        self.unit = SUPERSAMPLE * output_size[0] / design_size[0]
        self.size = tuple(round(v * SUPERSAMPLE) for v in output_size)
        self.layer = Image.new("RGBA", self.size, (0, 0, 0, 0))

    def _p(self, points):
        return [(x * self.unit, y * self.unit) for x, y in points]

    def _box(self, box):
        x0, y0, x1, y1 = box
        return [x0 * self.unit, y0 * self.unit, x1 * self.unit, y1 * self.unit]

    def _fill(self, paint_mask, fill):
        """fill is a colour, or a (top, bottom) pair for a vertical gradient
        over the painted shape's own height."""
        mask = Image.new("L", self.size, 0)
        paint_mask(ImageDraw.Draw(mask))
        if isinstance(fill[0], tuple):
            box = mask.getbbox()
            if box is None:
                return
            span = (self.size[0], box[3] - box[1])
            paint = Image.new("RGBA", self.size, (0, 0, 0, 0))
            paint.paste(vertical_gradient(span, *fill, mode="RGBA"), (0, box[1]))
        else:
            paint = Image.new("RGBA", self.size, fill if len(fill) == 4 else fill + (255,))
        paint.putalpha(ImageChops.multiply(paint.getchannel("A"), mask))
        self.layer.alpha_composite(paint)

    def polygon(self, points, fill):
        self._fill(lambda d: d.polygon(self._p(points), fill=255), fill)

    def rounded(self, box, radius, fill):
        self._fill(lambda d: d.rounded_rectangle(self._box(box), radius * self.unit,
                                                 fill=255), fill)

    def ellipse(self, box, fill):
        self._fill(lambda d: d.ellipse(self._box(box), fill=255), fill)

    def line(self, points, fill, width):
        self._fill(lambda d: d.line(self._p(points), fill=255,
                                    width=max(1, round(width * self.unit)),
                                    joint="curve"), fill)

    def blur(self, radius):
        self.layer = self.layer.filter(ImageFilter.GaussianBlur(radius * self.unit))

    def finish(self):
        small = self.layer.convert("RGBa").resize(self.output_size, Image.LANCZOS)
        return small.convert("RGBA")


def lerp(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)


# --------------------------------------------------------------------------
# Logos

@dataclass(frozen=True)
class Brand:
    name: str
    mark: str            # "chevron" or "paper"
    mark_top: tuple
    mark_bottom: tuple
    word_colour: tuple


KELVARO = Brand("KELVARO", "chevron", (40, 118, 214), (14, 64, 146), (22, 46, 88))
NORVENT = Brand("NORVENT", "paper", (24, 170, 160), (10, 112, 116), (30, 62, 66))


def draw_mark(brand, pixels):
    """The brand's square mark, pixels wide, on a transparent ground."""
    sketch = Sketch((100, 100), (pixels, pixels))
    if brand.mark == "chevron":
        sketch.rounded((2, 2, 98, 98), 22, (brand.mark_top, brand.mark_bottom))
        sketch.polygon([(26, 20), (42, 20), (42, 80), (26, 80)], WHITE)
        sketch.polygon([(46, 50), (68, 20), (86, 20), (64, 50), (86, 80), (68, 80)], WHITE)
    else:
        sketch.ellipse((2, 2, 98, 98), (brand.mark_top, brand.mark_bottom))
        sketch.polygon([(30, 24), (70, 24), (70, 76), (30, 76)], WHITE)
        for y in (36, 46, 56, 66):
            sketch.line([(38, y), (62, y)], brand.mark_bottom, 4)
    return sketch.finish()


def draw_logo(image, brand, right, centre_y):
    """Mark and word mark, right-aligned at `right`."""
    draw = ImageDraw.Draw(image)
    face = font(24, bold=True)
    spacing = 3
    word_width = spaced_text_width(draw, brand.name, face, spacing)
    mark_size = 34
    left = round(right - word_width - 10 - mark_size)
    image.alpha_composite(draw_mark(brand, mark_size), (left, centre_y - mark_size // 2))
    spaced_text(draw, (left + mark_size + 10, centre_y + 9), brand.name, face,
                brand.word_colour, spacing)


# --------------------------------------------------------------------------
# Printer illustration (design units: a 220 x 180 box)

@dataclass(frozen=True)
class PrinterLook:
    face_top: tuple
    face_bottom: tuple
    deck: tuple
    cover: tuple
    panel: tuple
    trim: tuple
    panel_on_right: bool
    paper_top: float      # how high the fan-fold paper rises
    paper_bars: bool      # the pale bands of classic listing paper


RT450_LOOK = PrinterLook(face_top=(244, 243, 239), face_bottom=(206, 203, 196),
                         deck=(232, 231, 227), cover=(70, 78, 92, 225),
                         panel=(58, 64, 74), trim=(156, 152, 146),
                         panel_on_right=True, paper_top=8, paper_bars=False)
TEMPLATE_LOOK = PrinterLook(face_top=(96, 102, 112), face_bottom=(56, 60, 68),
                            deck=(118, 124, 134), cover=(40, 46, 56, 230),
                            panel=(28, 32, 38), trim=(36, 40, 46),
                            panel_on_right=False, paper_top=22, paper_bars=True)

DESIGN_PRINTER = (220, 180)


def printer_shadow(sketch):
    sketch.ellipse((12, 146, 208, 166), (0, 0, 0, 110))


PAPER_FOOT = 82           # where the paper enters the deck


def paper_corners(look):
    """Top left, top right, bottom right, bottom left: the sheet narrows
    upwards because it leans away from the viewer."""
    return [(66, look.paper_top), (154, look.paper_top), (164, PAPER_FOOT), (56, PAPER_FOOT)]


def paper_listing_bands(sketch, corners):
    top_left, top_right, bottom_right, bottom_left = corners
    for i in range(4):
        t0, t1 = 0.08 + i * 0.24, 0.2 + i * 0.24
        a, b = lerp(top_left, bottom_left, t0), lerp(top_right, bottom_right, t0)
        c, d = lerp(top_right, bottom_right, t1), lerp(top_left, bottom_left, t1)
        sketch.polygon([(a[0] + 12, a[1]), (b[0] - 12, b[1]),
                        (c[0] - 12, c[1]), (d[0] + 12, d[1])], (214, 236, 218))


def paper_tractor_edge(sketch, start, end, inward):
    """Feed holes and the tear-off perforation along one edge; inward is +1
    for the left edge and -1 for the right."""
    steps = int((end[1] - start[1]) / 6.5)
    for i in range(1, steps):
        cx, cy = lerp(start, end, i / steps)
        cx += inward * 5
        sketch.ellipse((cx - 1.7, cy - 1.7, cx + 1.7, cy + 1.7), (150, 156, 166))
    for i in range(0, steps * 2, 2):
        a = lerp(start, end, i / (steps * 2))
        b = lerp(start, end, (i + 1) / (steps * 2))
        sketch.line([(a[0] + inward * 10, a[1]), (b[0] + inward * 10, b[1])],
                    (200, 204, 212), 0.6)


def paper_printed_lines(sketch, look, corners):
    """A few lines of output, so the sheet reads as printed."""
    top_left, _, _, bottom_left = corners
    y = look.paper_top + 10
    for length in (52, 40, 58, 30, 46, 56, 36, 50):
        if y > PAPER_FOOT - 16:
            break
        t = (y - top_left[1]) / (bottom_left[1] - top_left[1])
        left = lerp(top_left, bottom_left, t)[0] + 16
        sketch.line([(left, y), (left + length, y)], (132, 140, 152), 1.6)
        y += 7


def printer_paper(sketch, look):
    """Continuous fan-fold paper rising from the back slot."""
    corners = paper_corners(look)
    top_left, top_right, bottom_right, bottom_left = corners
    sketch.polygon(corners, ((255, 255, 255), (226, 229, 234)))
    if look.paper_bars:
        paper_listing_bands(sketch, corners)
    paper_tractor_edge(sketch, top_left, bottom_left, +1)
    paper_tractor_edge(sketch, top_right, bottom_right, -1)
    paper_printed_lines(sketch, look, corners)
    sketch.polygon([top_left, top_right, (top_right[0], top_right[1] + 0.8),
                    (top_left[0], top_left[1] + 0.8)], (196, 200, 208))


def printer_body(sketch, look):
    # platen knob, behind the right side wall
    sketch.rounded((198, 80, 214, 98), 4, ((92, 96, 104), (52, 56, 62)))
    # deck: the top face, seen at an angle
    sketch.polygon([(10, 106), (210, 106), (196, 70), (24, 70)], look.deck)
    sketch.polygon([(24, 70), (196, 70), (197, 73), (23, 73)], look.trim)
    # tractor units on both sides of the paper entry
    for x0, x1 in ((48, 62), (158, 172)):
        sketch.rounded((x0, 72, x1, 84), 2, look.panel)
    sketch.polygon([(56, PAPER_FOOT), (164, PAPER_FOOT), (164, 86), (56, 86)], (40, 44, 52))
    # smoked cover over the print head
    sketch.polygon([(24, 104), (196, 104), (182, 84), (38, 84)], look.cover)
    sketch.line([(40, 86), (180, 86)], (255, 255, 255, 90), 1.2)
    # front face
    sketch.rounded((8, 104, 212, 154), 7, (look.face_top, look.face_bottom))
    sketch.line([(12, 105.5), (208, 105.5)], (255, 255, 255, 150), 1.0)
    sketch.rounded((10, 146, 210, 154), 4, look.trim)


def printer_front(sketch, look):
    panel_x = 150 if look.panel_on_right else 20
    slot_x = 24 if look.panel_on_right else 84
    # front paper guide slot for single sheets
    sketch.rounded((slot_x, 116, slot_x + 112, 122), 3, (64, 68, 76))
    sketch.rounded((slot_x + 4, 126, slot_x + 60, 129), 1.5, look.trim)
    # control panel: three keys and two lamps
    sketch.rounded((panel_x, 114, panel_x + 50, 140), 4, look.panel)
    for i in range(3):
        x = panel_x + 6 + i * 14
        sketch.rounded((x, 127, x + 10, 135), 2, ((226, 228, 232), (176, 180, 188)))
    sketch.ellipse((panel_x + 8, 118, panel_x + 13, 123), (96, 220, 120))
    sketch.ellipse((panel_x + 20, 118, panel_x + 25, 123), (248, 176, 60))


def draw_printer(look, output_size):
    sketch = Sketch(DESIGN_PRINTER, output_size)
    printer_shadow(sketch)
    sketch.blur(4)
    printer_paper(sketch, look)
    printer_body(sketch, look)
    printer_front(sketch, look)
    return sketch.finish()


# --------------------------------------------------------------------------
# Install button

def draw_button_face(ground):
    """The install button's face, as the background shows it and as the button
    control shows it; `ground` is the colour around the rounded corners."""
    image = Image.new("RGBA", BUTTON_SIZE, ground + (255,))
    sketch = Sketch(BUTTON_SIZE, BUTTON_SIZE)
    w, h = BUTTON_SIZE
    sketch.rounded((0, 0, w, h), 6, BUTTON_EDGE)
    sketch.rounded((1, 1, w - 1, h - 1), 5, (BUTTON_TOP, BUTTON_BOTTOM))
    sketch.line([(6, 1.6), (w - 6, 1.6)], (255, 255, 255, 70), 1.0)
    image.alpha_composite(sketch.finish())
    draw = ImageDraw.Draw(image)
    draw.text((w / 2, h / 2 + 0.5), INSTALL_TEXT, font=font(14, bold=True),
              fill=WHITE, anchor="mm")
    return image.convert("RGB")


# --------------------------------------------------------------------------
# Background

@dataclass(frozen=True)
class Background:
    size: tuple
    brand: Brand
    product_line: str
    model: str
    look: PrinterLook


RT450_BACKGROUND = Background(BACKGROUND_SIZE, KELVARO, "ZORQ 80 Series", "RT450", RT450_LOOK)
TEMPLATE_BACKGROUND = Background(TEMPLATE_SIZE, NORVENT, "NORVENT 60 Series", "NX610",
                                 TEMPLATE_LOOK)

FRAME_MARGIN = 14
TOP_BAND = 66
PANEL_GAP = 6


def layout(size, button_origin):
    """Rectangles of the blue panel and the white area. The white area is
    centred on the install button, so the notice above it lines up too."""
    width, height = size
    button_centre = button_origin[0] + BUTTON_SIZE[0] / 2
    white_right = width - FRAME_MARGIN
    white_left = round(2 * button_centre - white_right)
    bottom = height - FRAME_MARGIN
    panel = (FRAME_MARGIN, TOP_BAND, white_left - PANEL_GAP, bottom)
    white = (white_left, TOP_BAND, white_right, bottom)
    return panel, white


def draw_frame(image):
    width = image.size[0]
    image.paste(vertical_gradient(image.size, FRAME_LIGHT, FRAME_DARK), (0, 0))
    draw = ImageDraw.Draw(image)
    draw.line([(0, TOP_BAND - 1), (width, TOP_BAND - 1)], fill=(228, 231, 235))


def fitting_font(draw, text, size, bold, max_width):
    """The largest font up to `size` in which text fits max_width."""
    while size > 10 and draw.textlength(text, font=font(size, bold)) > max_width:
        size -= 1
    return font(size, bold)


def draw_panel_waves(image, box):
    """Two pale swells along the panel's foot, so the empty lower part of the
    panel reads as deliberate."""
    x0, y0, x1, y1 = box
    width, height = x1 - x0, 90
    sketch = Sketch((width, height), (width, height))
    for alpha, phase, level, swing in ((22, 0.0, 40, 12), (30, 2.2, 58, 9)):
        crest = [(x, level + swing * math.sin(x / width * 2 * math.pi + phase))
                 for x in range(0, width + 1, 4)]
        sketch.polygon(crest + [(width, height), (0, height)], (255, 255, 255, alpha))
    image.alpha_composite(sketch.finish(), (x0, y1 - height))


def draw_panel(image, box, background):
    x0, y0, x1, y1 = box
    width = x1 - x0
    centre = x0 + width / 2
    image.paste(vertical_gradient((width, y1 - y0), PANEL_TOP, PANEL_BOTTOM), (x0, y0))
    draw_panel_waves(image, box)
    draw = ImageDraw.Draw(image)
    draw.text((centre, y0 + 46), background.product_line,
              font=fitting_font(draw, background.product_line, 23, True, width - 24),
              fill=WHITE, anchor="mm")
    draw.text((centre, y0 + 80), SETUP_WORDS, font=font(18), fill=(214, 230, 250),
              anchor="mm")
    draw.line([(centre - 24, y0 + 104), (centre + 24, y0 + 104)], fill=(112, 164, 226),
              width=2)
    printer_width = width - 28
    printer_size = (printer_width, round(printer_width * DESIGN_PRINTER[1] / DESIGN_PRINTER[0]))
    printer_top = y0 + 128
    # a soft pool of light behind the printer lifts it off the blue
    glow = Sketch((100, 100), (width, width))
    glow.ellipse((8, 14, 92, 86), (255, 255, 255, 46))
    glow.blur(12)
    image.alpha_composite(glow.finish(), (x0, round(printer_top + printer_size[1] / 2
                                                    - width / 2)))
    image.alpha_composite(draw_printer(background.look, printer_size),
                          (x0 + 14, printer_top))
    name_y = printer_top + printer_size[1] + 36
    draw.text((centre, name_y), background.model, font=font(32, bold=True), fill=WHITE,
              anchor="mm")
    draw.text((centre, name_y + 38), SLOGAN, font=font(14), fill=(214, 230, 250),
              anchor="mm")


def draw_notice_icon(image, centre):
    """A small blue disc with a white "i" before the heading."""
    size = 22
    sketch = Sketch((22, 22), (size, size))
    sketch.ellipse((0, 0, 22, 22), (QUESTION_BLUE_TOP, QUESTION_BLUE_BOTTOM))
    sketch.ellipse((9.4, 4.2, 12.6, 7.4), WHITE)
    sketch.rounded((9.5, 9.2, 12.5, 17.8), 1.2, WHITE)
    image.alpha_composite(sketch.finish(), (round(centre[0] - size / 2),
                                            round(centre[1] - size / 2)))


def draw_connection_hint(image, centre_x, top):
    """Line drawing of a computer joined to a printer by a cable, in quiet
    grey so that it supports the notice without competing with the button."""
    colour = (188, 196, 208)
    accent = (120, 168, 230)
    sketch = Sketch((240, 80), (240, 80))
    # computer: screen and stand
    sketch.rounded((10, 6, 76, 52), 4, colour)
    sketch.rounded((14, 10, 72, 46), 2, WHITE)
    sketch.polygon([(36, 52), (50, 52), (54, 64), (32, 64)], colour)
    sketch.rounded((24, 64, 62, 68), 2, colour)
    # printer
    sketch.rounded((166, 14, 226, 22), 2, colour)
    sketch.rounded((160, 22, 232, 54), 5, colour)
    sketch.rounded((168, 26, 224, 50), 3, WHITE)
    sketch.rounded((172, 40, 220, 44), 2, colour)
    sketch.rounded((174, 4, 218, 16), 1, colour)
    sketch.rounded((177, 7, 215, 16), 1, WHITE)
    # cable with plugs
    sketch.line([(76, 44), (100, 44), (112, 58), (132, 58), (144, 44), (160, 44)],
                accent, 2.2)
    sketch.rounded((76, 40, 84, 48), 1.5, accent)
    sketch.rounded((152, 40, 160, 48), 1.5, accent)
    hint = sketch.finish()
    image.alpha_composite(hint, (round(centre_x - 120), top))


def draw_white_area(image, box, button_origin):
    x0, y0, x1, y1 = box
    draw = ImageDraw.Draw(image)
    draw.rectangle([x0, y0, x1 - 1, y1 - 1], fill=WHITE)
    centre = (x0 + x1) / 2
    heading = font(22, bold=True)
    heading_width = draw.textlength(NOTICE_HEADING, font=heading)
    icon_gap = 8
    group_left = centre - (22 + icon_gap + heading_width) / 2
    heading_y = button_origin[1] - 170
    draw_notice_icon(image, (group_left + 11, heading_y))
    draw.text((group_left + 22 + icon_gap, heading_y), NOTICE_HEADING, font=heading,
              fill=HEADING_BLUE, anchor="lm")
    draw.line([(centre - 150, heading_y + 28), (centre + 150, heading_y + 28)],
              fill=RULE_GREY, width=1)
    for i, text in enumerate(NOTICE_LINES):
        draw.text((centre, heading_y + 62 + i * 28), text, font=font(16), fill=INK,
                  anchor="mm")
    draw_connection_hint(image, centre, button_origin[1] + BUTTON_SIZE[1] + 60)
    # the button is drawn on pure white, as the button picture itself is
    image.paste(draw_button_face(WHITE), button_origin)


def draw_background(background):
    image = Image.new("RGBA", background.size)
    panel, white = layout(background.size, INSTALL_BUTTON_ORIGIN)
    draw_frame(image)
    draw_logo(image, background.brand, background.size[0] - FRAME_MARGIN - 6, TOP_BAND // 2)
    draw_panel(image, panel, background)
    draw_white_area(image, white, INSTALL_BUTTON_ORIGIN)
    draw = ImageDraw.Draw(image)
    for x0, y0, x1, y1 in (panel, white):
        draw.rectangle([x0 - 1, y0 - 1, x1, y1], outline=FRAME_EDGE)
    return image.convert("RGB")


# --------------------------------------------------------------------------
# Port question picture

def draw_port_question():
    w, h = PORT_QUESTION_SIZE
    image = Image.new("RGBA", PORT_QUESTION_SIZE, WHITE + (255,))
    sketch = Sketch(PORT_QUESTION_SIZE, PORT_QUESTION_SIZE)
    r = 37
    cx, cy = w / 2, h / 2
    sketch.ellipse((cx - r, cy - r + 1.5, cx + r, cy + r + 1.5), (0, 0, 0, 40))
    sketch.blur(1.5)
    sketch.ellipse((cx - r, cy - r, cx + r, cy + r), (QUESTION_BLUE_TOP, QUESTION_BLUE_BOTTOM))
    image.alpha_composite(sketch.finish())
    draw = ImageDraw.Draw(image)
    draw.text((cx, cy + 1), "?", font=font(54, bold=True), fill=WHITE, anchor="mm")
    return image.convert("RGB")


# --------------------------------------------------------------------------
# Icon

def draw_icon_rgba():
    """The brand mark at 48 x 48, opaque inside, transparent around."""
    return draw_mark(KELVARO, ICON_SIZE)


def icon_indices(rgba):
    """Palette and 8-bit indices for the icon, with index 0 kept black for
    the transparent pixels: the AND mask makes them show the ground only if
    their XOR colour is black."""
    opaque = rgba.getchannel("A").point(lambda a: 255 if a >= 128 else 0)
    # edge pixels drop their partial alpha; settle them over a light grey so
    # they sit well on both light and dark title bars
    matte = Image.new("RGBA", rgba.size, (210, 214, 220, 255))
    matte.alpha_composite(rgba)
    solid = matte.convert("RGB")
    quantised = solid.quantize(colors=255, method=Image.Quantize.MEDIANCUT,
                               dither=Image.Dither.NONE)
    palette = [(0, 0, 0)]
    raw = quantised.getpalette()[:255 * 3]
    palette += [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    width, height = rgba.size
    indices = []
    for y in range(height):
        for x in range(width):
            visible = opaque.getpixel((x, y))
            indices.append(quantised.getpixel((x, y)) + 1 if visible else 0)
    return palette, indices


# --------------------------------------------------------------------------
# Containers

def bmp_bytes(image):
    """Uncompressed 24-bit bottom-up BMP with a BITMAPINFOHEADER."""
    width, height = image.size
    stride = (width * 3 + 3) & ~3
    rgb = image.convert("RGB").tobytes()
    rows = []
    for y in reversed(range(height)):
        line = bytearray(rgb[y * width * 3:(y + 1) * width * 3])
        line[0::3], line[2::3] = line[2::3], line[0::3]
        rows.append(bytes(line) + bytes(stride - width * 3))
    pixels = b"".join(rows)
    pixels_per_metre = 3780  # 96 dpi
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels),
                       pixels_per_metre, pixels_per_metre, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0,
                         14 + len(info))
    return header + info + pixels


def ico_bytes(size, palette, indices):
    """One 8-bit palettised image: BITMAPINFOHEADER of double height, 256
    RGBQUADs, the bottom-up XOR pixels and the bottom-up 1-bit AND mask."""
    xor_stride = (size + 3) & ~3
    and_stride = ((size + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for y in reversed(range(size)):
        row = indices[y * size:(y + 1) * size]
        xor_rows.append(bytes(row) + bytes(xor_stride - size))
        bits = bytearray(and_stride)
        for x, index in enumerate(row):
            if index == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_rows.append(bytes(bits))
    image_bits = b"".join(xor_rows) + b"".join(and_rows)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(image_bits),
                       0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    resource = info + colours + image_bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(resource), 6 + 16)
    return directory + entry + resource


# --------------------------------------------------------------------------

def main():
    OUTPUT_DIR.mkdir(parents=True, exist_ok=True)
    outputs = {
        "background.bmp": bmp_bytes(draw_background(RT450_BACKGROUND)),
        "background_template.bmp": bmp_bytes(draw_background(TEMPLATE_BACKGROUND)),
        "install_button.bmp": bmp_bytes(draw_button_face(WHITE)),
        "port_question.bmp": bmp_bytes(draw_port_question()),
        "app.ico": ico_bytes(ICON_SIZE, *icon_indices(draw_icon_rgba())),
    }
    for name, data in outputs.items():
        (OUTPUT_DIR / name).write_bytes(data)
        print(f"make_pictures: wrote {OUTPUT_DIR / name} ({len(data)} bytes)")


if __name__ == "__main__":
    main()
