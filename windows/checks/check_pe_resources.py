#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the built executable and checks what Windows shows of it: one
file (only system DLLs imported), the GUI subsystem, the Italian version
block with its fixed fields and seven strings in order, and icon group 1
with the five images of assets/app.ico as 30001-30005. The version and the
strings are the resource script's (test_forms checks the script against the
program's own numbers). Usage: check_pe_resources.py <exe> <bottinaro.rc>"""

import os
import re
import struct
import sys

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
ITALIAN = 0x0410
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def resources(image):
    """{type: {id: {language: bytes}}} from the .rsrc section."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        sys.exit("not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic, subsystem = struct.unpack_from("<H", image, optional)[0], struct.unpack_from(
        "<H", image, optional + 68)[0]
    check(magic == 0x20B, "not a 64-bit executable (PE32+)")
    check(subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI, f"subsystem {subsystem}, not the GUI subsystem")
    directories = optional + 112  # PE32+
    rsrc_rva, rsrc_size = struct.unpack_from("<II", image, directories + 2 * 8)
    table = optional + optional_size

    def offset(rva):
        for i in range(sections):
            size, address, _, raw = struct.unpack_from("<IIII", image, table + 40 * i + 8)
            if address <= rva < address + max(size, 1):
                return raw + rva - address
        sys.exit(f"RVA {rva:#x} in no section")

    # Imports: Windows' own DLLs only, no Qt or mingw runtime beside the .exe.
    import_rva = struct.unpack_from("<I", image, directories + 1 * 8)[0]
    at = offset(import_rva)
    while True:
        name_rva = struct.unpack_from("<I", image, at + 12)[0]
        if not name_rva:
            break
        start = offset(name_rva)
        dll = image[start:image.index(b"\0", start)].decode("ascii")
        check(not re.match(r"(?i)(qt|libstdc|libgcc|libwinpthread)", dll), f"imports {dll}")
        at += 20

    base = offset(rsrc_rva)

    def directory(at):
        named, numbered = struct.unpack_from("<12xHH", image, base + at)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, base + at + 16 + 8 * i)
            check(not name & 0x80000000, "a resource with a name instead of a number")
            yield name & 0xFFFF, target

    found = {}
    for rtype, types in directory(0):
        for rid, ids in directory(types & 0x7FFFFFFF):
            for language, leaf in directory(ids & 0x7FFFFFFF):
                check(not leaf & 0x80000000, "a fourth directory level")
                rva, size = struct.unpack_from("<II", image, base + leaf)
                data = offset(rva)
                found.setdefault(rtype, {}).setdefault(rid, {})[language] = image[data:data + size]
    return found


def version_block(data):
    """The VS_VERSIONINFO tree: (key, value bytes, children)."""

    def node(at):
        length, value_length, is_text = struct.unpack_from("<HHH", data, at)
        end = at + length
        key_end = data.index(b"\0\0", at + 6)
        while (key_end - at - 6) % 2:
            key_end = data.index(b"\0\0", key_end + 1)
        key = data[at + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        value_bytes = value_length * 2 if is_text else value_length
        value = data[value_at:value_at + value_bytes]
        children = []
        child = (value_at + value_bytes + 3) & ~3
        while child < end:
            entry, child_end = node(child)
            children.append(entry)
            child = (child_end + 3) & ~3
        return (key, value, children), end

    return node(0)[0]


def main():
    with open(sys.argv[1], "rb") as file:
        image = file.read()
    found = resources(image)
    with open(sys.argv[2], encoding="utf-8") as file:
        script = file.read()

    languages = {lang for ids in found.values() for langs in ids.values() for lang in langs}
    check(languages == {ITALIAN}, f"languages {sorted(hex(x) for x in languages)}, not 0x410 alone")

    # Version block.
    if check(list(found.get(RT_VERSION, {})) == [1], "no version resource 1"):
        data = found[RT_VERSION][1].get(ITALIAN, b"")
        key, fixed, children = version_block(data)
        check(key == "VS_VERSION_INFO", f"version block key {key!r}")
        fields = struct.unpack("<13I", fixed)
        check(fields[0] == 0xFEEF04BD, "no fixed file info")
        major, minor, build, revision = map(int, re.search(
            r"FILEVERSION (\d+),(\d+),(\d+),(\d+)", script).groups())
        high, low = major << 16 | minor, build << 16 | revision
        expected = {2: high, 3: low, 4: high, 5: low,
                    6: 0, 7: 0, 8: 0x4, 9: 0x1, 10: 0, 11: 0, 12: 0}
        for index, value in expected.items():
            check(fields[index] == value, f"fixed field {index}: {fields[index]:#x}, not {value:#x}")
        blocks = {child[0]: child for child in children}
        strings = blocks.get("StringFileInfo", ("", b"", []))[2]
        check([table[0] for table in strings] == ["041004B0"], "string tables are not 041004B0 alone")
        pairs = [(entry[0], entry[1].decode("utf-16-le").rstrip("\0"))
                 for table in strings for entry in table[2]]
        check(pairs == re.findall(r'VALUE "(\w+)", "([^"]*)"', script), f"strings {pairs}")
        variables = blocks.get("VarFileInfo", ("", b"", []))[2]
        check([(v[0], v[1]) for v in variables] == [("Translation", bytes.fromhex("1004b004"))],
              f"translation {variables}")

    # Icon group 1 and its five images.
    check(list(found.get(RT_GROUP_ICON, {})) == [1], "icon groups are not group 1 alone")
    group = found.get(RT_GROUP_ICON, {}).get(1, {}).get(ITALIAN, b"\0" * 6)
    reserved, kind, count = struct.unpack_from("<HHH", group)
    check((reserved, kind, count) == (0, 1, 5), f"icon group header {(reserved, kind, count)}")
    entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
    # The icon file's images, in its order, numbered from 30001.
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "assets", "app.ico"), "rb") as file:
        ico = file.read()
    wanted = [(e[0], e[2], e[5], e[6], 30001 + i) for i, e in enumerate(
        struct.unpack_from("<BBBBHHI", ico, 6 + 16 * i) for i in range(5))]
    got = [(e[0], e[2], e[5], e[6], e[7]) for e in entries]
    check(got == wanted, f"icon entries (side, colours, bits, bytes, id) {got}")
    images = found.get(RT_ICON, {})
    check(sorted(images) == [w[4] for w in wanted], f"icon images {sorted(images)}")
    for side, _, bits, size, rid in wanted:
        data = images.get(rid, {}).get(ITALIAN, b"")
        if check(len(data) == size, f"image {rid}: {len(data)} bytes, not {size}"):
            header = struct.unpack_from("<IiiHH", data)
            check(header == (40, side, 2 * side, 1, bits), f"image {rid}: DIB header {header}")

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("PASS: system DLLs only, GUI subsystem, version block, icon group 1 with images 30001-30005, all Italian")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
