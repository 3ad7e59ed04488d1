"""The resources compiled into setup.exe, read back from the program file and held to
what the installer's windows need: the three dialog templates control by control, the
pictures, the icon, the string, the manifest and the version record.

The program file is taken from SETUP_EXE (set by run_resources.py)."""

import os
import re
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import peresources as pe

CHINESE_PRC = 2052
ENGLISH_US = 1033

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_BORDER, WS_SYSMENU = 0x00C00000, 0x00800000, 0x00080000
WS_GROUP, WS_TABSTOP = 0x00020000, 0x00010000
WS_EX_APPWINDOW = 0x00040000
DS_FIXEDSYS, DS_SETFONT, DS_MODALFRAME = 0x8, 0x40, 0x80
SS_LEFT, SS_ICON, SS_BITMAP, SS_NOPREFIX, SS_SUNKEN = 0x0, 0x3, 0xE, 0x80, 0x1000
BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_OWNERDRAW, BS_BITMAP = 0x1, 0x3, 0xB, 0x80
ES_AUTOHSCROLL = 0x80
DEFAULT_CHARSET, ANSI_CHARSET = 1, 0

SHOWN = WS_CHILD | WS_VISIBLE
HIDDEN = WS_CHILD

# Resource numbers of pictures and icons, as a template names them.
IDI_APP, IDB_INSTALL_BUTTON, IDB_PORT_QUESTION = 128, 131, 136
IDB_BACKGROUND_TEMPLATE, IDB_BACKGROUND = 140, 149
IDD_ABOUTBOX, IDD_MAIN, IDD_PORT = 100, 102, 137
IDS_ABOUT_MENU = 101

# template id: style, extended style, (x, y, width, height), caption, font
DIALOGS = {
    IDD_MAIN: (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
               WS_EX_APPWINDOW, (0, 0, 488, 378), "KELVARO PRINTER SETUP",
               (9, 0, 0, DEFAULT_CHARSET, "宋体")),
    IDD_ABOUTBOX: (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0,
                   (0, 0, 235, 55), "关于安装程序", (9, 0, 0, ANSI_CHARSET, "宋体")),
    IDD_PORT: (WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS, 0,
               (0, 0, 230, 66), "打印机接口",
               (8, 400, 0, DEFAULT_CHARSET, "MS Shell Dlg")),
}

# A copyright line with a year; which line is the program's own choice.
COPYRIGHT = re.compile(r".*(版权所有|Copyright).*\b\d{4}\b.*")

# template id: its controls in template order: (id, class, text, style, rectangle); a
# text that is a pattern stands for any text it matches.
CONTROLS = {
    IDD_MAIN: [
        (1002, "STATIC", IDB_BACKGROUND_TEMPLATE,
         SHOWN | WS_BORDER | SS_SUNKEN | SS_BITMAP, (0, 0, 489, 379)),
        (1000, "BUTTON", "安装驱动", SHOWN | WS_TABSTOP | BS_BITMAP, (287, 191, 74, 22)),
    ],
    IDD_ABOUTBOX: [
        (1005, "STATIC", IDI_APP, SHOWN | SS_ICON, (7, 10, 21, 21)),
        (1003, "STATIC", "KELVARO80Series 1.1 版", SHOWN | WS_GROUP | SS_LEFT | SS_NOPREFIX,
         (40, 10, 119, 8)),
        (1004, "STATIC", COPYRIGHT, SHOWN | WS_GROUP | SS_LEFT, (40, 28, 188, 16)),
        (1, "BUTTON", "确定", SHOWN | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON,
         (178, 7, 50, 14)),
    ],
    IDD_PORT: [
        (1002, "BUTTON", "U S B", SHOWN | WS_TABSTOP | BS_OWNERDRAW, (95, 27, 115, 30)),
        (1006, "BUTTON", "并口", SHOWN | WS_TABSTOP | BS_AUTOCHECKBOX, (95, 2, 28, 10)),
        (1005, "BUTTON", "并口", HIDDEN | WS_TABSTOP | BS_OWNERDRAW, (190, 35, 20, 15)),
        (1003, "EDIT", "", HIDDEN | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, (77, 51, 40, 14)),
        (1004, "EDIT", "", HIDDEN | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
         (135, 52, 40, 14)),
        (-1, "STATIC", IDB_PORT_QUESTION, SHOWN | SS_BITMAP, (7, 7, 59, 52)),
        (-1, "STATIC", "Static", HIDDEN | WS_GROUP | SS_LEFT, (85, 15, 19, 8)),
        (-1, "STATIC", "Static", HIDDEN | WS_GROUP | SS_LEFT, (115, 14, 19, 8)),
    ],
}

# picture id: width, height, bits per pixel
PICTURES = {
    IDB_BACKGROUND: (728, 564, 24),
    IDB_BACKGROUND_TEMPLATE: (729, 564, 24),
    IDB_INSTALL_BUTTON: (106, 29, 24),
    IDB_PORT_QUESTION: (89, 85, 24),
}

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
WINDOWS_SETTINGS = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"

VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD
UTF16_CODE_PAGE = 1200
# The product's version (VERSION), in the record's numbers and in its texts.
VERSION = tuple(int(n) for n in
                (Path(__file__).resolve().parents[2] / "VERSION").read_text().split("."))
VERSION_TEXT = ", ".join(map(str, VERSION))
# Fields whose texts are the program's own choice, but which a record carries.
NAMED_FIELDS = ("Comments", "CompanyName", "InternalName", "LegalCopyright",
                "OriginalFilename", "ProductName")


def load_resources():
    path = os.environ.get("SETUP_EXE")
    if not path:
        raise unittest.SkipTest("SETUP_EXE names no program file")
    return pe.read_resources(path)


class SetupResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.resources = load_resources()

    def of_type(self, kind):
        return {key[1:]: data for key, data in self.resources.items() if key[0] == kind}

    def one(self, kind, name, language=CHINESE_PRC):
        found = self.of_type(kind)
        self.assertIn((name, language), found,
                      f"resource {name} of type {kind} in language {language}")
        return found[(name, language)]

    def test_languages(self):
        others = {key for key in self.resources
                  if key[2] != (ENGLISH_US if key[0] == pe.RT_MANIFEST else CHINESE_PRC)}
        self.assertEqual(others, set(), "resources in another language than their kind's")

    def test_dialog_templates(self):
        self.assertEqual(sorted(name for name, _ in self.of_type(pe.RT_DIALOG)),
                         sorted(DIALOGS), "dialog templates")
        for template, (style, ex_style, rect, caption, font) in DIALOGS.items():
            with self.subTest(template=template):
                dialog = pe.parse_dialog(self.one(pe.RT_DIALOG, template))
                self.assertEqual(
                    (hex(dialog.style), hex(dialog.ex_style), dialog.rect, dialog.menu,
                     dialog.cls, dialog.caption, dialog.font),
                    (hex(style), hex(ex_style), rect, "", "", caption, font))
                self.check_controls(dialog.controls, CONTROLS[template])

    def check_controls(self, controls, expected):
        self.assertEqual(len(controls), len(expected), "number of controls")
        for position, (control, (cid, cls, text, style, rect)) in enumerate(
                zip(controls, expected)):
            with self.subTest(position=position, id=cid):
                if isinstance(text, re.Pattern):
                    self.assertRegex(control.text, text)
                    text = control.text
                self.assertEqual(
                    (control.id, control.cls, control.text, hex(control.style),
                     hex(control.ex_style), control.rect),
                    (cid, cls, text, hex(style), hex(0), rect))

    def test_pictures(self):
        self.assertEqual(sorted(name for name, _ in self.of_type(pe.RT_BITMAP)),
                         sorted(PICTURES), "pictures")
        for picture, size in PICTURES.items():
            with self.subTest(picture=picture):
                header = pe.parse_bitmap_header(self.one(pe.RT_BITMAP, picture))
                self.assertEqual((header.width, abs(header.height), header.bits), size)

    def test_icon(self):
        self.assertEqual(list(self.of_type(pe.RT_GROUP_ICON)), [(IDI_APP, CHINESE_PRC)],
                         "icon groups")
        entries = pe.parse_icon_group(self.one(pe.RT_GROUP_ICON, IDI_APP))
        # One image of 48 x 48 pixels with 256 colours: a colour count of 0, 8 bits.
        self.assertEqual([(e.width, e.height, e.colours, e.bits) for e in entries],
                         [(48, 48, 0, 8)])
        image = pe.parse_bitmap_header(self.one(pe.RT_ICON, entries[0].image_id))
        # An icon image's height counts its colour and its mask rows.
        self.assertEqual((image.width, image.height, image.bits), (48, 96, 8))
        self.assertEqual(len(self.of_type(pe.RT_ICON)), 1, "icon images")

    def test_string(self):
        block, index = divmod(IDS_ABOUT_MENU, 16)
        self.assertEqual(list(self.of_type(pe.RT_STRING)), [(block + 1, CHINESE_PRC)],
                         "string-table blocks")
        strings = pe.parse_string_block(self.one(pe.RT_STRING, block + 1))
        self.assertEqual({i: s for i, s in enumerate(strings) if s},
                         {index: "关于安装程序 (&A)..."})

    def test_manifest(self):
        self.assertEqual(list(self.of_type(pe.RT_MANIFEST)), [(1, ENGLISH_US)], "manifests")
        root = ElementTree.fromstring(self.one(pe.RT_MANIFEST, 1, ENGLISH_US))
        self.assertEqual(root.tag, ASM_V1 + "assembly")
        levels = root.findall(f".//{ASM_V3}requestedExecutionLevel")
        self.assertEqual([level.attrib for level in levels],
                         [{"level": "asInvoker", "uiAccess": "false"}])
        self.assertEqual([e.text for e in root.iter(WINDOWS_SETTINGS + "dpiAware")], ["true"])
        self.assertEqual([e.tag for e in root.iter()
                          if e.tag.endswith("dependency") or e.tag.startswith(COMPATIBILITY)],
                         [], "dependencies and supported systems")

    def test_version_record(self):
        self.assertEqual(list(self.of_type(pe.RT_VERSION)), [(1, CHINESE_PRC)],
                         "version records")
        record = pe.parse_version(self.one(pe.RT_VERSION, 1))
        fixed = pe.parse_fixed_version(record.value)
        self.assertEqual((record.key, hex(fixed.signature), fixed.file_version,
                          fixed.product_version),
                         ("VS_VERSION_INFO", hex(VS_FIXEDFILEINFO_SIGNATURE), VERSION,
                          VERSION))
        table = record.child("StringFileInfo").child(f"{CHINESE_PRC:04x}{UTF16_CODE_PAGE:04x}")
        fields = {node.key: node.value for node in table.children}
        self.assertEqual((fields.get("FileVersion"), fields.get("ProductVersion"),
                          fields.get("FileDescription")),
                         (VERSION_TEXT, VERSION_TEXT, "setup"))
        self.assertEqual([name for name in NAMED_FIELDS if not fields.get(name)], [],
                         "fields without a text")
        translation = record.child("VarFileInfo").child("Translation").value
        self.assertEqual((int.from_bytes(translation[:2], "little"),
                          int.from_bytes(translation[2:4], "little"), len(translation)),
                         (CHINESE_PRC, UTF16_CODE_PAGE, 4))


if __name__ == "__main__":
    unittest.main()
