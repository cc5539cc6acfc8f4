# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a Qt catalogue (.qm) holding only the messages of the given
contexts: Qt's Italian catalogue is 161 kB, of which the windows can show a
few contexts' texts.

usage: trim_qm.py INPUT OUTPUT CONTEXT..."""

import struct
import sys

MAGIC = bytes.fromhex("3CB86418CAEF9C95CD211CBF60A1BDDD")
HASHES, MESSAGES = 0x42, 0x69
END, TRANSLATION, SOURCE, CONTEXT, COMMENT = 1, 3, 6, 7, 8


def blocks(data):
    if data[:16] != MAGIC:
        raise SystemExit("not a Qt catalogue")
    pos = 16
    while pos < len(data):
        length = struct.unpack(">I", data[pos + 1:pos + 5])[0]
        yield data[pos], data[pos + 5:pos + 5 + length]
        pos += 5 + length


def messages(block):
    """Each message's offset, bytes and context."""
    pos = 0
    while pos < len(block):
        start, context = pos, None
        while block[pos] != END:
            tag = block[pos]
            if tag not in (TRANSLATION, SOURCE, CONTEXT, COMMENT):
                raise SystemExit(f"unknown tag {tag} at {pos}")
            length = struct.unpack(">I", block[pos + 1:pos + 5])[0]
            pos += 5
            if length != 0xFFFFFFFF:
                if tag == CONTEXT:
                    context = block[pos:pos + length].decode()
                pos += length
        pos += 1
        yield start, block[start:pos], context


def main(source, target, *contexts):
    parts = dict(blocks(open(source, "rb").read()))
    kept, moved = bytearray(), {}
    for offset, message, context in messages(parts[MESSAGES]):
        if context in contexts:
            moved[offset] = len(kept)
            kept += message
    # The lookup table: (hash, offset) pairs in hash order, as Qt searches it.
    table = parts[HASHES]
    pairs = [struct.unpack(">II", table[i:i + 8]) for i in range(0, len(table), 8)]
    parts[HASHES] = b"".join(struct.pack(">II", h, moved[o]) for h, o in pairs if o in moved)
    parts[MESSAGES] = bytes(kept)
    with open(target, "wb") as out:
        out.write(MAGIC)
        for tag, block in parts.items():
            out.write(struct.pack(">BI", tag, len(block)) + block)


if __name__ == "__main__":
    main(*sys.argv[1:])
