#!/usr/bin/env python3
"""Writes the picture fixtures of the GUI tests from the file formats.

PNG, BMP and GIF are written byte by byte here; the JPEG comes from a PPM
written here, compressed by cjpeg (Debian package libjpeg-turbo-progs).
Run from this folder: python3 make_picture_fixtures.py
"""
import shutil
import struct
import subprocess
import zlib


def png(width, height, rows, color_type=6):
    """rows: list of bytes per row (RGBA for type 6, RGB for type 2)."""

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, color_type, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def png_header_only(width, height):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))


def bmp(width, height, pixel):
    """pixel(x, y) -> (r, g, b), y = 0 at the top."""
    stride = (width * 3 + 3) & ~3
    body = b""
    for y in range(height - 1, -1, -1):
        row = b"".join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(width)))
        body += row + b"\x00" * (stride - width * 3)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return header + info + body


def gif(width, height, palette, indices, transparent=None, screen=None):
    """Four colours, LZW codes of 3 bits with a clear code before every two
    pixels, so the code width never grows."""
    sw, sh = screen or (width, height)
    out = b"GIF89a" + struct.pack("<HHBBB", sw, sh, 0x81, 0, 0)
    out += b"".join(bytes(c) for c in palette)
    if transparent is not None:
        out += b"\x21\xf9\x04" + bytes((1, 0, 0, transparent, 0))
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    codes = []
    for i, index in enumerate(indices):
        if i % 2 == 0:
            codes.append(4)
        codes.append(index)
    codes.append(5)
    bits = 0
    count = 0
    data = bytearray()
    for code in codes:
        bits |= code << count
        count += 3
        while count >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count:
        data.append(bits & 0xFF)
    out += b"\x02"
    for start in range(0, len(data), 255):
        block = data[start:start + 255]
        out += bytes((len(block),)) + block
    return out + b"\x00\x3b"


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


# 4 x 4, half-transparent red.
write("half_red.png", png(4, 4, [bytes((255, 0, 0, 128)) * 4] * 4))
# 3 x 2: red, green, blue / white, black, opaque grey.
write("sample.png", png(3, 2, [bytes((255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255)),
                               bytes((255, 255, 255, 255, 0, 0, 0, 255, 128, 128, 128, 255))]))
sample = open("sample.png", "rb").read()
write("truncated.png", sample[:45])  # ends inside the picture data
write("huge.png", png_header_only(20000, 20000))
# 8 x 6 glyph: magenta background (the bottom-left colour), a black 4 x 2 bar.
write("glyph.bmp", bmp(8, 6, lambda x, y: (0, 0, 0) if 2 <= x < 6 and 2 <= y < 4 else (255, 0, 255)))
# 5 x 4 GIF: index 0 transparent, 1 red, 2 green, 3 blue; the left column is transparent.
palette = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255)]
indices = [0, 1, 1, 2, 3] * 4
write("sample.gif", gif(5, 4, palette, indices, transparent=0))
write("huge.gif", gif(5, 4, palette, indices, screen=(20000, 20000)))
shutil.copyfile("sample.gif", "gif_named.jpg")
# 16 x 8 JPEG of one colour, RGB 40, 90, 200.
with open("photo.ppm", "wb") as f:
    f.write(b"P6\n16 8\n255\n" + bytes((40, 90, 200)) * 128)
with open("photo.jpg", "wb") as f:
    subprocess.run(["cjpeg", "-quality", "95", "photo.ppm"], stdout=f, check=True)
subprocess.run(["rm", "photo.ppm"], check=True)
