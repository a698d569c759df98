#!/usr/bin/env python3
"""Writes the byte fixtures of the alert, tag and tag-assignment tests from the
stored formats.

Record bodies: numbers little-endian, strings as a 4-byte length and each byte
stored as 255 minus the byte. Answers: CP1250 text with entities. Run it from
this folder; the outputs are committed.
"""

import struct


def num(value, width):
    return struct.pack("<" + {1: "B", 4: "I"}[width], value)


def text(value):
    raw = value.encode("cp1250")
    return struct.pack("<I", len(raw)) + bytes(255 - b for b in raw)


def write(name, data):
    with open(name, "wb") as out:
        out.write(data)


# One alert; the tests hold the same values.
ALERT_SETTINGS = '{"Zvuk":"pípnutí","Opakovat":"ne"}'


def alert_body(version):
    b = num(version, 1) + num(1, 1)
    for value in (70001, 1700000000, 1700000600, 0, 512, 81234, 77):
        b += num(value, 4)
    b += num(2, 1) + num(1, 1) + num(3, 1) + num(45, 1)
    b += num(1710050400, 4) + text(ALERT_SETTINGS)
    return b


def tag_body(version):
    b = num(version, 1) + num(1, 1)
    for value in (812, 1700000000, 1700000900, 0, 512):
        b += num(value, 4)
    b += text("Výlety") + num(1, 1) + num(0, 1)
    if version == 2:
        b += num(7, 1) + num(123456, 4) + num(654321, 4) + text("rezerva") + text("žluť")
    return b


def assign_body(version):
    b = num(version, 1) + num(1, 1)
    for value in (90001, 1700000000, 1700000700, 0, 512, 81234, 812):
        b += num(value, 4)
    return b


def answer(fields):
    return "".join("<%s>%s</%s>" % (k, v, k) for k, v in fields).encode("cp1250")


write("alert_v1.bin", alert_body(1))
write("alert_v2.bin", alert_body(2))
write("tag_v1.bin", tag_body(1))
write("tag_v2.bin", tag_body(2))
write("tag_v3.bin", tag_body(3))
write("tags_assign_v1.bin", assign_body(1))
write("tags_assign_v2.bin", assign_body(2))

write("alert_answer_1.txt", answer([
    ("ID", "70001"), ("Created", "1700000000"), ("Changed", "1700000600"), ("Deleted", "0"),
    ("OrganizerID", "512"), ("RecordID", "81234"), ("UserID", "77"), ("Type", "2"), ("DaysBefore", "1"),
    ("HoursBefore", "3"), ("MinutesBefore", "45"), ("AlertTimestamp", "1710050400"),
    ("Settings", "{&quot;Zvuk&quot;:&quot;pípnutí&quot;,&quot;Opakovat&quot;:&quot;ne&quot;}"),
]))
write("alert_answer_2.txt", answer([
    ("ID", "70001"), ("Changed", "1700000300"), ("MinutesBefore", "30"),
]))
write("tag_answer.txt", answer([
    ("ID", "812"), ("Created", "1700000000"), ("Changed", "1700000900"), ("Deleted", "0"),
    ("OrganizerID", "512"), ("Title", "Práce &amp; hry"),
]))
write("tags_assign_answer.txt", answer([
    ("ID", "90001"), ("Created", "1700000000"), ("Changed", "1700000700"), ("Deleted", "0"),
    ("OrganizerID", "512"), ("RecordID", "81234"), ("TagID", "812"),
]))
