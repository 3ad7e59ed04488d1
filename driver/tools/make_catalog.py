#!/usr/bin/python3
"""Writes the catalog of one package folder: an unsigned PKCS #7 SignedData whose
content is a certificate trust list of the catalog kind, one member for the INF and one
for every file that the INF copies, each with the SHA-1 hash that Windows computes for
it (the Authenticode image hash of a PE file, the hash of the whole file otherwise), and
the operating-system attribute of the Windows versions the folder serves.

    make_catalog.py --os 2:6.1,2:6.2 --time 20261210120000Z <folder> <inf-name> <cat-name>

The packaging signs the catalog afterwards (osslsigncode). driver/README.md describes
the structure."""

import argparse
import hashlib
import re
import struct
import sys
from datetime import datetime, timezone
from pathlib import Path

from asn1crypto import algos, core

OID_SIGNED_DATA = "1.2.840.113549.1.7.2"
OID_CTL = "1.3.6.1.4.1.311.10.1"
OID_CATALOG_LIST = "1.3.6.1.4.1.311.12.1.1"
OID_CATALOG_LIST_MEMBER = "1.3.6.1.4.1.311.12.1.2"
OID_CAT_NAME_VALUE = "1.3.6.1.4.1.311.12.2.1"
OID_CAT_MEMBER_INFO = "1.3.6.1.4.1.311.12.2.2"
OID_SPC_INDIRECT_DATA = "1.3.6.1.4.1.311.2.1.4"
OID_SPC_PE_IMAGE_DATA = "1.3.6.1.4.1.311.2.1.15"
OID_SPC_CAB_DATA = "1.3.6.1.4.1.311.2.1.25"
# The subject interface packages that hash a member: PE images, and flat files.
SIP_PE_IMAGE = "{C689AAB8-8E78-11D0-8C47-00C04FC295EE}"
SIP_FLAT_IMAGE = "{DE351A42-8E59-11D0-8C47-00C04FC295EE}"
# CRYPTCAT_ATTR_NAMEASCII | CRYPTCAT_ATTR_DATAASCII | CRYPTCAT_ATTR_AUTHENTICATED
NAME_VALUE_FLAGS = 0x10010001
OBSOLETE = "<<<Obsolete>>>"


def utf16z(text):
    return text.encode("utf-16-le") + b"\0\0"


# --- the structures, as the platform's catalogs lay them out

class SpcString(core.Choice):
    _alternatives = [("unicode", core.BMPString, {"implicit": 0})]


class SpcLink(core.Choice):
    _alternatives = [("file", SpcString, {"explicit": 2})]


class SpcPeImageData(core.Sequence):
    _fields = [("flags", core.BitString), ("file", SpcLink, {"explicit": 0})]


class SpcAttributeTypeAndOptionalValue(core.Sequence):
    _fields = [("type", core.ObjectIdentifier), ("value", core.Any)]


class SpcIndirectDataContent(core.Sequence):
    _fields = [("data", SpcAttributeTypeAndOptionalValue),
               ("message_digest", algos.DigestInfo)]


class NameValue(core.Sequence):
    _fields = [("tag", core.BMPString), ("flags", core.Integer), ("value", core.OctetString)]


class MemberInfo(core.Sequence):
    _fields = [("subject_guid", core.BMPString), ("cert_version", core.Integer)]


class AnyValues(core.SetOf):
    _child_spec = core.Any


class Attribute(core.Sequence):
    _fields = [("type", core.ObjectIdentifier), ("values", AnyValues)]


class Attributes(core.SetOf):
    _child_spec = Attribute


class TrustedSubject(core.Sequence):
    _fields = [("identifier", core.OctetString), ("attributes", Attributes)]


class TrustedSubjects(core.SequenceOf):
    _child_spec = TrustedSubject


class Extension(core.Sequence):
    _fields = [("id", core.ObjectIdentifier), ("value", core.OctetString)]


class Extensions(core.SequenceOf):
    _child_spec = Extension


class Usages(core.SequenceOf):
    _child_spec = core.ObjectIdentifier


class CertificateTrustList(core.Sequence):
    _fields = [("subject_usage", Usages),
               ("list_identifier", core.OctetString),
               ("this_update", core.UTCTime),
               ("subject_algorithm", algos.DigestAlgorithm),
               ("trusted_subjects", TrustedSubjects),
               ("extensions", Extensions, {"explicit": 0})]


class EncapsulatedContent(core.Sequence):
    # PKCS #7 content: the list itself, not wrapped in an octet string.
    _fields = [("type", core.ObjectIdentifier),
               ("content", CertificateTrustList, {"explicit": 0})]


class DigestAlgorithms(core.SetOf):
    _child_spec = algos.DigestAlgorithm


class SignedData(core.Sequence):
    _fields = [("version", core.Integer), ("digest_algorithms", DigestAlgorithms),
               ("content_info", EncapsulatedContent),
               ("signer_infos", AnyValues)]


class ContentInfo(core.Sequence):
    _fields = [("type", core.ObjectIdentifier), ("content", SignedData, {"explicit": 0})]


# --- hashes

def pe_image_hash(data):
    """The Authenticode image hash (SHA-1): the file without the checksum field, the
    certificate table's directory entry and the certificate table, followed by zero
    bytes up to the next multiple of 8 of the file's length. None for a file that is no
    PE image. (Signing writes those zeros into the file before its certificate table, so
    a program has one hash whether it is signed or not.)"""
    if len(data) < 0x40 or data[:2] != b"MZ":
        return None
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    if magic not in (0x10B, 0x20B):
        return None
    checksum = optional + 64
    security_entry = optional + (96 if magic == 0x10B else 112) + 4 * 8
    table, size = struct.unpack_from("<II", data, security_entry)
    end = table if table and size else len(data)
    digest = hashlib.sha1()
    digest.update(data[:checksum])
    digest.update(data[checksum + 4:security_entry])
    digest.update(data[security_entry + 8:end])
    digest.update(bytes(-len(data) % 8))
    return digest.digest()


def member(path):
    data = path.read_bytes()
    image_hash = pe_image_hash(data)
    if image_hash is not None:
        obsolete = SpcLink(name="file", value=SpcString(name="unicode", value=OBSOLETE))
        spc_type = OID_SPC_PE_IMAGE_DATA
        spc_value = SpcPeImageData({"flags": core.BitString(()), "file": obsolete})
        sip, digest = SIP_PE_IMAGE, image_hash
    else:
        spc_type = OID_SPC_CAB_DATA
        spc_value = SpcLink(name="file", value=SpcString(name="unicode", value=OBSOLETE))
        sip, digest = SIP_FLAT_IMAGE, hashlib.sha1(data).digest()
    indirect = SpcIndirectDataContent({
        "data": {"type": spc_type, "value": core.Any.load(spc_value.dump())},
        "message_digest": {"digest_algorithm": {"algorithm": "sha1", "parameters": core.Null()},
                           "digest": digest},
    })
    name = NameValue({"tag": "File", "flags": NAME_VALUE_FLAGS,
                      "value": utf16z(path.name.lower())})
    info = MemberInfo({"subject_guid": sip, "cert_version": 512})

    def attribute(oid, value):
        return {"type": oid, "values": [core.Any.load(value.dump())]}

    return digest, TrustedSubject({
        "identifier": utf16z(digest.hex().upper()),
        "attributes": [attribute(OID_CAT_NAME_VALUE, name),
                       attribute(OID_CAT_MEMBER_INFO, info),
                       attribute(OID_SPC_INDIRECT_DATA, indirect)],
    })


# --- the INF's copy list

def copied_files(inf_text):
    """The files of every section that a CopyFiles= line names (not @file entries)."""
    sections, current = {}, None
    for raw in inf_text.splitlines():
        line = raw.split(";", 1)[0].strip()
        if not line:
            continue
        header = re.fullmatch(r"\[(.+)\]", line)
        if header:
            current = sections.setdefault(header.group(1).strip().lower(), [])
        elif current is not None:
            current.append(line)
    names = []
    for lines in sections.values():
        for line in lines:
            key, _, value = line.partition("=")
            if key.strip().lower() != "copyfiles":
                continue
            for section in value.split(","):
                section = section.strip()
                if section.startswith("@"):
                    names.append(section[1:])
                    continue
                for entry in sections.get(section.lower(), []):
                    names.append(entry.split(",")[0].strip())
    return sorted(set(names), key=str.lower)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--os", required=True, help='the OSAttr value, e.g. "2:6.1,2:6.2"')
    parser.add_argument("--time", required=True, help="thisUpdate, YYYYMMDDHHMMSSZ")
    parser.add_argument("folder", type=Path)
    parser.add_argument("inf")
    parser.add_argument("catalog")
    args = parser.parse_args()

    inf = args.folder / args.inf
    files = [inf] + [args.folder / name for name in copied_files(inf.read_text("ascii"))]
    missing = [str(f) for f in files if not f.is_file()]
    if missing:
        sys.exit("make_catalog: the INF copies files that are not there: " + ", ".join(missing))
    members = sorted((member(f) for f in files), key=lambda m: m[0])
    # The list's identifier is a digest of what it lists: the same folder, the same bytes.
    identifier = hashlib.md5(b"".join(d for d, _ in members)).digest()
    os_attribute = NameValue({"tag": "OSAttr", "flags": NAME_VALUE_FLAGS,
                              "value": utf16z(args.os)})
    trust_list = CertificateTrustList({
        "subject_usage": [OID_CATALOG_LIST],
        "list_identifier": identifier,
        "this_update": datetime.strptime(args.time, "%Y%m%d%H%M%SZ").replace(
            tzinfo=timezone.utc),
        "subject_algorithm": {"algorithm": OID_CATALOG_LIST_MEMBER, "parameters": core.Null()},
        "trusted_subjects": [s for _, s in members],
        "extensions": [{"id": OID_CAT_NAME_VALUE, "value": os_attribute.dump()}],
    })
    catalog = ContentInfo({
        "type": OID_SIGNED_DATA,
        "content": {
            "version": 1,
            "digest_algorithms": [{"algorithm": "sha1", "parameters": core.Null()}],
            "content_info": {"type": OID_CTL, "content": trust_list},
            "signer_infos": [],
        },
    })
    (args.folder / args.catalog).write_bytes(catalog.dump())


if __name__ == "__main__":
    main()
