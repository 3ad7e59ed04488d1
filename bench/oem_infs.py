"""Staged INF files of other vendors' printers, as a well-used system keeps them in its
INF directory: oem0.inf .. oem<N-1>.inf, each 5 to 30 KiB of INF text in code page 936
(the [Strings] hold Chinese texts), the same files for the same seed. None holds any of
the given printer names, so a scan for those names reads every file whole."""

import random

MIN_BYTES = 5 * 1024
MAX_BYTES = 30 * 1024

_VENDORS = ["Contoso", "Fabrikam", "Northwind", "Tailspin", "Litware", "Proseware",
            "Adatum", "Wingtip", "Lucerne", "Fourth Coffee"]
_KINDS = ["Laser", "InkJet", "Label", "Photo", "Receipt", "Wide Format"]
_CLASS_GUID = "{4D36E979-E325-11CE-BFC1-08002BE10318}"
_STRING_TEXTS = ["打印机驱动程序", "彩色激光打印机", "标签打印机", "安装磁盘",
                 "打印首选项", "纸张来源", "双面打印单元", "墨盒", "网络端口"]


def _model(rng):
    # Letters and digits never seen in the removal names' models; checked all the same.
    return (f"{rng.choice(_VENDORS)} {rng.choice(_KINDS)} "
            f"{rng.choice('GHJQWYZ')}{rng.choice('GHJQWYZ')}-{rng.randint(1000, 9999)}")


def _inf_text(rng, number, target_bytes):
    vendor = rng.choice(_VENDORS)
    models = [_model(rng) for _ in range(rng.randint(3, 12))]
    lines = [
        f"; oem{number}.inf - {vendor} printer driver package",
        "[Version]",
        'Signature="$Windows NT$"',
        "Class=Printer",
        f"ClassGUID={_CLASS_GUID}",
        "Provider=%MFG%",
        f"DriverVer={rng.randint(1, 12):02d}/{rng.randint(1, 28):02d}/20{rng.randint(10, 24)},"
        f"{rng.randint(1, 9)}.{rng.randint(0, 99)}.{rng.randint(0, 999)}.0",
        "CatalogFile=driver.cat",
        "",
        "[Manufacturer]",
        "%MFG%=Models,NTx86,NTamd64",
        "",
    ]
    for platform in ("NTx86", "NTamd64"):
        lines.append(f"[Models.{platform}]")
        for model in models:
            device = f"{vendor.upper().replace(' ', '')}{rng.randint(100, 999):X}"
            lines.append(f'"{model}" = INSTALL_{device}, USBPRINT\\{device}, LPTENUM\\{device}')
        lines.append("")
    files = [f"{vendor[:3].upper()}{rng.randint(10, 99)}{suffix}"
             for suffix in ("UI.DLL", "GR.DLL", "RES.DLL", "CFG.INI", "LANG.DLL", "HELP.CHM")]
    lines += ["[DestinationDirs]", "DefaultDestDir=66000", "", "[SourceDisksNames]",
              '1 = %DISK%,,,""', "", "[SourceDisksFiles]"]
    lines += [f"{name} = 1" for name in files]
    lines.append("")
    section = 0
    # Per-model install sections, copy lists and registry lines until the size is met.
    while sum(len(line) + 2 for line in lines) < target_bytes - 600:
        section += 1
        model = rng.choice(models)
        lines += [f"[INSTALL_{section}]", f"CopyFiles=FILES_{section}",
                  f"DataSection={vendor.upper()}_DATA", "Include=ntprint.inf",
                  "Needs=UNIDRV.OEM", f"AddReg=REG_{section}", "",
                  f"[FILES_{section}]"]
        lines += rng.sample(files, rng.randint(2, len(files)))
        lines += ["", f"[REG_{section}]",
                  f'HKLM,"SOFTWARE\\{vendor}\\{model}","Version",0x00000000,'
                  f'"{rng.randint(1, 9)}.{rng.randint(0, 99)}"',
                  f'HKLM,"SOFTWARE\\{vendor}\\{model}","Tray{section}",0x00010001,'
                  f"{rng.randint(0, 255)}", ""]
    lines += ["[Strings]", f'MFG="{vendor}"', f'DISK="{vendor} {rng.choice(_STRING_TEXTS)}"']
    lines += [f'TEXT{i}="{rng.choice(_STRING_TEXTS)}{rng.choice(_STRING_TEXTS)}"'
              for i in range(rng.randint(4, 12))]
    return "\r\n".join(lines) + "\r\n"


def make_inf_files(count, forbidden_names, seed=450):
    """{file name: code page 936 bytes} for oem0.inf .. oem<count-1>.inf. Raises when a
    file would hold one of forbidden_names (bytes) anywhere."""
    rng = random.Random(seed)
    files = {}
    for number in range(count):
        data = _inf_text(rng, number, rng.randint(MIN_BYTES, MAX_BYTES)).encode("gbk")
        clash = [name for name in forbidden_names if name in data]
        if clash:
            raise ValueError(f"oem{number}.inf would hold {clash[0].decode('gbk')!r}")
        files[f"oem{number}.inf"] = data
    return files


# Very large staged INF files, as the removal must bear them: LARGE_COUNT files of
# LARGE_BYTES of INF text each, without zero bytes and without a removal name, so that a
# scan searches every byte. One file is written; the others are hard links to it, which
# spares the disk and changes nothing for the program (each is its own path).
LARGE_COUNT = 8
LARGE_BYTES = 200 * 1024 * 1024
_LARGE_BLOCK = ("[Strings]\r\nTEXT1=\"打印首选项\"\r\nDISK=\"Contoso 安装磁盘\"\r\n"
                "HKLM,\"SOFTWARE\\Contoso\\Laser\",\"Version\",0x00000000,\"2.4\"\r\n"
                "; 彩色激光打印机\r\n").encode("gbk")


def write_large_inf_files(inf_dir, forbidden_names, first_number=0):
    """Writes oem<first>.inf .. (LARGE_COUNT files) into inf_dir; returns their names.
    Raises when the text would hold one of forbidden_names (bytes)."""
    clash = [name for name in forbidden_names if name in _LARGE_BLOCK * 2]
    if clash:
        raise ValueError(f"the large INF text would hold {clash[0].decode('gbk')!r}")
    names = [f"oem{first_number + i}.inf" for i in range(LARGE_COUNT)]
    piece = _LARGE_BLOCK * 4096
    with open(inf_dir / names[0], "wb") as file:
        for _ in range(LARGE_BYTES // len(piece)):
            file.write(piece)
        rest = LARGE_BYTES % len(piece)
        file.write((_LARGE_BLOCK * (rest // len(_LARGE_BLOCK) + 1))[:rest])
    for name in names[1:]:
        (inf_dir / name).hardlink_to(inf_dir / names[0])
    return names
