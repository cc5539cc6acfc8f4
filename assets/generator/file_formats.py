# SPDX-License-Identifier: GPL-3.0-or-later
"""The file formats of Bottinaro's assets, written byte for byte.

Classic Windows icons (ICO with DIB images and AND masks), GIF89a with one
transparent palette entry, 24-bit BMP, RGBA PNG and a small SVG. The writers
take finished pixels (palette indices, masks, colours) and know nothing of
what is drawn.
"""

import struct
import zlib


def ico_image(width, height, bpp, palette, indices, mask):
    """One classic DIB icon image: header, palette, XOR rows, AND rows (bottom-up)."""
    xor_stride = ((width * bpp + 31) // 32) * 4
    and_stride = ((width + 31) // 32) * 4
    colour_rows = bytearray()
    and_rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(xor_stride)
        for x in range(width):
            v = indices[y][x]
            if bpp == 8:
                row[x] = v
            elif bpp == 4:
                row[x >> 1] |= v << (4 if x % 2 == 0 else 0)
            elif bpp == 1:
                row[x >> 3] |= (v & 1) << (7 - (x & 7))
        colour_rows += row
        mask_row = bytearray(and_stride)
        for x in range(width):
            if mask[y][x]:
                mask_row[x >> 3] |= 1 << (7 - (x & 7))
        and_rows += mask_row
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bpp, 0,
                         len(colour_rows) + len(and_rows), 0, 0, 0, 0)
    if len(palette) != 1 << bpp:
        raise ValueError("an icon image of %d bits per pixel needs %d colours" % (bpp, 1 << bpp))
    colours = bytearray()
    for r, g, b in palette:
        colours += bytes((b, g, r, 0))
    return header + bytes(colours) + bytes(colour_rows) + bytes(and_rows)


def ico_file(images):
    """images: list of (width, height, colour_count, bpp, data)."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for w, h, cc, bpp, data in images:
        out += struct.pack("<BBBBHHII", w & 0xFF, h & 0xFF, cc, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for img in images:
        out += img[4]
    return bytes(out)


def lzw_encode(indices, min_size):
    """GIF's variable-width LZW, codes packed least significant bit first."""
    clear_code, end_code = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    bits = bit_count = 0

    def emit(code, code_size):
        nonlocal bits, bit_count
        bits |= code << bit_count
        bit_count += code_size
        while bit_count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            bit_count -= 8

    code_size, next_code, table = min_size + 1, end_code + 1, {}
    emit(clear_code, code_size)
    prefix = indices[0]
    for k in indices[1:]:
        key = (prefix, k)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix, code_size)
        if next_code == 4096:
            # table full: start over rather than keep a stale dictionary
            emit(clear_code, code_size)
            code_size, next_code, table = min_size + 1, end_code + 1, {}
        else:
            if next_code == (1 << code_size):
                code_size += 1
            table[key] = next_code
            next_code += 1
        prefix = k
    emit(prefix, code_size)
    # the decoder adds one more entry after the last code; follow its width
    if next_code == (1 << code_size) and code_size < 12:
        code_size += 1
    emit(end_code, code_size)
    if bit_count:
        out.append(bits & 0xFF)
    return bytes(out)


def gif_file(width, height, palette, indices, transparent):
    bits = max(1, (len(palette) - 1).bit_length())
    assert len(palette) == 1 << bits
    min_size = max(2, bits)
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | (7 << 4) | (bits - 1), transparent, 0)
    for c in palette:
        out += bytes(c)
    out += bytes((0x21, 0xF9, 4, 0x01, 0, 0, transparent, 0))
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    flat = [v for row in indices for v in row]
    data = lzw_encode(flat, min_size)
    out.append(min_size)
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    out.append(0x3B)
    return bytes(out)


def bmp24_file(width, height, pixels):
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for r, g, b in pixels[y]:
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        body += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return header + info + bytes(body)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_rgba(width, height, rgba_rows):
    raw = bytearray()
    for row in rgba_rows:
        raw.append(0)
        for px in row:
            raw += bytes(px)
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + png_chunk(b"IEND", b""))


def _hex(rgb):
    return "#%02x%02x%02x" % tuple(int(round(c)) for c in rgb)


def _path(contours):
    return " ".join("M" + " L".join("%.3f %.3f" % p for p in c) + " Z" for c in contours)


def svg_embossed_shape(size, shape, colours):
    """An even-odd shape on a square canvas: a rim of shape.outline around it,
    a vertical gradient inside, and a bevel of shape.bevel lit from the top
    left (the shape shifted down-right shades its lower edges, shifted
    up-left leaves its upper edges lit)."""
    d = _path(shape.contours)
    shift = shape.bevel * 0.5
    return ("""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="{s}" height="{s}" viewBox="0 0 {s} {s}">
  <defs>
    <linearGradient id="body" gradientUnits="userSpaceOnUse" x1="0" y1="{y0:.3f}" x2="0" y2="{y1:.3f}">
      <stop offset="0" stop-color="{top}"/>
      <stop offset="1" stop-color="{bottom}"/>
    </linearGradient>
    <clipPath id="inside"><path d="{d}" clip-rule="evenodd"/></clipPath>
    <clipPath id="raised"><path d="{d}" clip-rule="evenodd" transform="translate(-{k:.3f} -{k:.3f})"/></clipPath>
  </defs>
  <path d="{d}" fill="{rim}" fill-rule="evenodd" stroke="{rim}" stroke-width="{w:.3f}" stroke-linejoin="round"/>
  <g clip-path="url(#inside)">
    <path d="{d}" fill="{hi}" fill-rule="evenodd"/>
    <path d="{d}" fill="{lo}" fill-rule="evenodd" transform="translate({k:.3f} {k:.3f})"/>
    <g clip-path="url(#raised)">
      <path d="{d}" fill="url(#body)" fill-rule="evenodd" transform="translate({k:.3f} {k:.3f})"/>
    </g>
  </g>
</svg>
""".format(s=size, d=d, k=shift, w=2 * shape.outline, y0=shape.top, y1=shape.top + shape.height,
           top=_hex(colours.body_top), bottom=_hex(colours.body_bottom), rim=_hex(colours.rim),
           hi=_hex(colours.highlight), lo=_hex(colours.shadow))).encode("ascii")
