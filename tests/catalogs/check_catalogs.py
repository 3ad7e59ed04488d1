#!/usr/bin/python3
"""Checks the catalog of every package folder of a shipping folder against the files
beside it, independently of the code that wrote it: the catalog is read with a schema-
less DER parser, the INF's copy list is read by a parser of this file's own, and each
PE image is hashed by walking its sections as the platform's Authenticode format
describes (the generator cuts ranges out of the whole file instead).

    check_catalogs.py <dist-dir>

Every file that the INF copies, and the INF, must be a member whose tag and digest are
the SHA-1 hash of the file as it is; every member must name a file of the folder. Prints
a line per folder and "N passed, N failed"; exits 1 on any failure."""

import hashlib
import struct
import sys
from pathlib import Path

from asn1crypto import core, parser

FOLDERS = ("amd64", "i386w7", "i386")
INF = "ZORQ80-Series.INF"
CATALOG = "ZORQ80-Series.cat"
OID_CTL = "1.3.6.1.4.1.311.10.1"
OID_NAME_VALUE = "1.3.6.1.4.1.311.12.2.1"
OID_INDIRECT_DATA = "1.3.6.1.4.1.311.2.1.4"


class Tlv:
    """One DER element: its tag and its contents (the elements inside, when constructed)."""

    def __init__(self, data):
        self.class_, self.method, self.tag, header, self.contents, _ = parser.parse(data)
        self.encoded = data[:len(header) + len(self.contents)]


def elements(value):
    """The elements inside a constructed element, in order."""
    out, offset = [], 0
    while offset < len(value.contents):
        item = Tlv(value.contents[offset:])
        out.append(item)
        offset += len(item.encoded)
    return out


def oid(value):
    return core.ObjectIdentifier.load(value.encoded).dotted


def members(catalog_bytes):
    """tag -> (file name, SHA-1 digest), from the catalog's trust list."""
    content_info = Tlv(catalog_bytes)
    signed_data = elements(elements(content_info)[1])[0]
    encapsulated = elements(signed_data)[2]
    content_type, wrapped = elements(encapsulated)
    if oid(content_type) != OID_CTL:
        raise ValueError("the content is no trust list")
    trust_list = elements(wrapped)[0]
    subjects = [e for e in elements(trust_list) if e.tag == 16][-1]
    found = {}
    for subject in elements(subjects):
        identifier, attributes = elements(subject)
        tag = identifier.contents.decode("utf-16-le").rstrip("\0")
        name = digest = None
        for attribute in elements(attributes):
            kind, values = elements(attribute)
            value = elements(values)[0]
            if oid(kind) == OID_NAME_VALUE:
                label, _, text = elements(value)
                if label.contents.decode("utf-16-be") == "File":
                    name = text.contents.decode("utf-16-le").rstrip("\0")
            elif oid(kind) == OID_INDIRECT_DATA:
                digest_info = elements(value)[1]
                digest = elements(digest_info)[1].contents
        found[tag] = (name, digest)
    return found


def copy_list(inf_text):
    """The INF and the entries of the sections that its CopyFiles= lines name."""
    sections, section = {}, None
    for line in inf_text.splitlines():
        line = line.split(";")[0].strip()
        if line.startswith("[") and line.endswith("]"):
            section = sections.setdefault(line[1:-1].strip().lower(), [])
        elif line and section is not None:
            section.append(line)
    files = {INF.lower()}
    for lines in sections.values():
        for line in lines:
            if "=" in line and line.split("=")[0].strip().lower() == "copyfiles":
                for name in line.split("=", 1)[1].split(","):
                    name = name.strip()
                    entries = [name[1:]] if name.startswith("@") else \
                        [e.split(",")[0].strip() for e in sections.get(name.lower(), [])]
                    files.update(e.lower() for e in entries)
    return files


def authenticode_sha1(data):
    """The image hash by the Authenticode format's walk: the headers without the
    checksum and the certificate table entry, each section's raw data in file order,
    then any data behind the sections up to the certificate table, and last, when the
    file's length is no multiple of 8, as many zero bytes as make it one. None for no
    PE image."""
    if data[:2] != b"MZ":
        return None
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    sections_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    pe32_plus = struct.unpack_from("<H", data, optional)[0] == 0x20B
    headers_size = struct.unpack_from("<I", data, optional + 60)[0]
    directories = optional + (112 if pe32_plus else 96)
    certificates = directories + 4 * 8
    table_at, table_size = struct.unpack_from("<II", data, certificates)
    sha1 = hashlib.sha1()
    sha1.update(data[:optional + 64])
    sha1.update(data[optional + 68:certificates])
    sha1.update(data[certificates + 8:headers_size])
    hashed = headers_size
    table = optional + optional_size
    raw = []
    for index in range(sections_count):
        size, at = struct.unpack_from("<II", data, table + 40 * index + 16)
        if size:
            raw.append((at, size))
    for at, size in sorted(raw):
        sha1.update(data[at:at + size])
        hashed += size
    end = len(data) - (table_size if table_at else 0)
    if end > hashed:
        sha1.update(data[hashed:end])
    if len(data) % 8:
        sha1.update(b"\0" * (8 - len(data) % 8))
    return sha1.digest()


def check_folder(folder):
    problems = []
    files = {p.name.lower(): p for p in folder.iterdir() if p.is_file()}
    catalog = files.get(CATALOG.lower())
    if catalog is None:
        return [f"no {CATALOG}"]
    listed = members(catalog.read_bytes())
    by_name = {}
    for tag, (name, digest) in listed.items():
        if name is None or digest is None:
            problems.append(f"member {tag} has no file name or no digest")
            continue
        by_name[name.lower()] = (tag, digest)
        path = files.get(name.lower())
        if path is None:
            problems.append(f"member {name} is not in the folder")
            continue
        data = path.read_bytes()
        expected = authenticode_sha1(data) or hashlib.sha1(data).digest()
        if digest != expected or tag != expected.hex().upper():
            problems.append(f"member {name}: catalog {digest.hex()} (tag {tag}), file "
                            f"{expected.hex()}")
    for name in sorted(copy_list(files[INF.lower()].read_text("ascii"))):
        if name not in by_name:
            problems.append(f"{name} is copied by the INF but not in the catalog")
    return problems


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    dist = Path(sys.argv[1])
    passed = failed = 0
    for variant in FOLDERS:
        problems = check_folder(dist / variant)
        if problems:
            failed += 1
            print(f"FAIL {variant}/{CATALOG}")
            for problem in problems:
                print(f"  {problem}")
        else:
            passed += 1
            print(f"ok   {variant}/{CATALOG}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
