#!/usr/bin/env python3
"""Writes the WAV fixtures of the sound tests from the RIFF WAVE layout.

Run from this folder: ./make_fixtures.py. The samples follow simple formulas
the tests repeat, so a test can tell which bytes reached the output.
"""
import struct

PCM = 1
ADPCM = 2
EXTENSIBLE = 0xFFFE
PCM_SUBTYPE = struct.pack("<IHH", 1, 0, 0x0010) + bytes([0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71])


def chunk(tag, body, size=None):
    """A chunk with its pad byte when the body is odd; `size` overrides the size field."""
    head = tag + struct.pack("<I", len(body) if size is None else size)
    return head + body + (b"\0" if len(body) % 2 else b"")


def fmt(channels, bits, rate, tag=PCM, block_align=None):
    align = channels * bits // 8 if block_align is None else block_align
    return chunk(b"fmt ", struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits))


def extensible_fmt(channels, bits, rate, subtype=PCM_SUBTYPE):
    align = channels * bits // 8
    body = struct.pack("<HHIIHH", EXTENSIBLE, channels, rate, rate * align, align, bits)
    body += struct.pack("<HHI", 22, bits, 3) + subtype
    return chunk(b"fmt ", body)


def riff(*chunks):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def samples8(frames, channels):
    return bytes((i * 7 + c * 64) & 0xFF for i in range(frames) for c in range(channels))


def samples16(frames, channels):
    return b"".join(struct.pack("<h", ((i * 263 + c * 8192) % 65536) - 32768)
                    for i in range(frames) for c in range(channels))


def write(name, data):
    with open(name, "wb") as out:
        out.write(data)


write("pcm8_mono_8000.wav", riff(fmt(1, 8, 8000), chunk(b"data", samples8(400, 1))))
write("pcm8_stereo_44100.wav", riff(fmt(2, 8, 44100), chunk(b"data", samples8(441, 2))))
write("pcm16_mono_8000.wav", riff(fmt(1, 16, 8000), chunk(b"data", samples16(800, 1))))
write("pcm16_stereo_44100.wav", riff(fmt(2, 16, 44100), chunk(b"data", samples16(441, 2))))
write("pcm16_mono_1s.wav", riff(fmt(1, 16, 8000), chunk(b"data", samples16(8000, 1))))
write("list_before_data.wav",
      riff(fmt(1, 16, 8000), chunk(b"LIST", b"INFO" + chunk(b"INAM", b"zvuk\0")), chunk(b"data", samples16(100, 1))))
# An odd "junk" chunk with its pad byte, then an odd data chunk at the end.
write("odd_chunk.wav", riff(fmt(1, 8, 8000), chunk(b"junk", b"abcde"), chunk(b"data", samples8(101, 1))))
write("data_past_end.wav", riff(fmt(1, 8, 8000), chunk(b"data", samples8(200, 1), size=100000)))
write("extensible_pcm.wav", riff(extensible_fmt(2, 16, 22050), chunk(b"data", samples16(50, 2))))
# Data before the format chunk still plays.
write("data_before_fmt.wav", riff(chunk(b"data", samples8(60, 1)), fmt(1, 8, 11025)))

write("compressed.wav", riff(fmt(1, 4, 8000, tag=ADPCM, block_align=256), chunk(b"data", bytes(512))))
write("extensible_float.wav",
      riff(extensible_fmt(1, 16, 8000, subtype=struct.pack("<H", 3) + PCM_SUBTYPE[2:]), chunk(b"data", bytes(64))))
write("zero_channels.wav", riff(fmt(0, 16, 8000, block_align=2), chunk(b"data", bytes(64))))
write("three_channels.wav", riff(fmt(3, 16, 8000), chunk(b"data", bytes(60))))
write("bits24.wav", riff(fmt(1, 24, 8000), chunk(b"data", bytes(60))))
write("rate_500.wav", riff(fmt(1, 8, 500), chunk(b"data", bytes(60))))
write("rate_200000.wav", riff(fmt(1, 8, 200000), chunk(b"data", bytes(60))))
write("block_align_wrong.wav", riff(fmt(2, 16, 8000, block_align=2), chunk(b"data", bytes(64))))
write("truncated_header.wav", riff(fmt(1, 16, 8000), chunk(b"data", samples16(100, 1)))[:30])
write("fmt_too_short.wav", riff(chunk(b"fmt ", struct.pack("<HHI", PCM, 1, 8000)), chunk(b"data", bytes(64))))
write("no_data.wav", riff(fmt(1, 8, 8000)))
write("empty_data.wav", riff(fmt(1, 8, 8000), chunk(b"data", b"")))
write("junk_past_end.wav", riff(fmt(1, 8, 8000), chunk(b"junk", b"x" * 10, size=5000), chunk(b"data", bytes(64))))
write("not_wave.wav", b"RIFF" + struct.pack("<I", 4) + b"AVI ")
