#!/usr/bin/env python3
"""Writes the byte fixtures of the model tests from the stored formats.

Record bodies: numbers little-endian, strings as a 4-byte length and each byte
stored as 255 minus the byte, times as day, month, year (2 bytes), hour,
minute, second. Answers: CP1250 text with entities. Run it from this folder;
the outputs are committed.
"""

import struct


def num(value, width, signed=False):
    fmt = {1: "b" if signed else "B", 2: "h" if signed else "H", 4: "i" if signed else "I"}[width]
    return struct.pack("<" + fmt, value)


def text(value):
    raw = value.encode("cp1250")
    return struct.pack("<I", len(raw)) + bytes(255 - b for b in raw)


def time(day, month, year, hour, minute, second):
    return bytes([day, month]) + struct.pack("<H", year) + bytes([hour, minute, second])


# One record; the tests hold the same values.
RECORD = dict(
    please_sync=1, please_sync_recurrence=0, id=81234, created=1700000000, changed=1700000500, deleted=0,
    organizer_id=512, created_by=77, parent_id=5, type=3, event_type=200, text="Oběd & porada č. 2",
    importance=-10, finished=1, finished_time=1700000900, has_begin=1, begin=(10, 3, 2024, 9, 30, 0),
    has_end=1, end=(10, 3, 2024, 99, 0, 0), reschedule=7, note="Poznámka: řeřicha", plain_text="Oběd",
    searchable_plain_text="obed", plain_note="Poznámka", searchable_plain_note="poznamka",
    recurrence_master_id=0, recurrence_frequency=2,
    recurrence_settings='{"Range":1,"Count":3,"RepeatDaily":1}',
    settings='{"Alerts":[{"T":1,"D":0,"H":0,"M":15}],"Hidden":true}', visibility=2, shared=1,
    sharing_request="&Sharing_Groups=4;&Sharing_Contacts=", recurrence_save_mode=2, main_picture=9001,
    main_picture_width=640, main_picture_height=480, promoter_id=12, place="Žďár nad Sázavou", place_id=33,
)


def record_body(version, event_type=None):
    r = RECORD
    event_type = r["event_type"] if event_type is None else event_type
    b = num(version, 1)
    b += num(r["please_sync"], 1) + num(r["please_sync_recurrence"], 1)
    for key in ("id", "created", "changed", "deleted", "organizer_id", "created_by", "parent_id"):
        b += num(r[key], 4)
    # Versions before 4 kept one byte of the event type's id.
    b += num(r["type"], 1) + num(event_type, 4 if version >= 4 else 1)
    b += text(r["text"])
    b += num(r["importance"], 1, signed=True) + num(r["finished"], 1) + num(r["finished_time"], 4)
    b += num(r["has_begin"], 1) + time(*r["begin"])
    b += num(r["has_end"], 1) + time(*r["end"])
    b += num(r["reschedule"], 1)
    for key in ("note", "plain_text", "searchable_plain_text", "plain_note", "searchable_plain_note"):
        b += text(r[key])
    b += num(r["recurrence_master_id"], 4) + num(r["recurrence_frequency"], 1)
    b += text(r["recurrence_settings"]) + text(r["settings"])
    b += num(r["visibility"], 1) + num(r["shared"], 1)
    b += text(r["sharing_request"])
    if version >= 3:
        b += num(r["recurrence_save_mode"], 1, signed=True)
    b += num(r["main_picture"], 4)
    if version >= 2:
        b += num(r["main_picture_width"], 2) + num(r["main_picture_height"], 2)
    b += num(r["promoter_id"], 4)
    b += text(r["place"]) + num(r["place_id"], 4)
    return b


ORGANIZER = dict(
    id=512, created=1600000000, changed=1650000000, deleted=0, user_id=77, title="Rodinný kalendář",
    note="Společné akce", name="rodina", type=1, visibility=2, subscribers_count=14, calendar_icon=21,
    calendar_icon_name="dům", origin=50, subscribe=20, view_setting=3,
)


def organizer_body(version):
    o = ORGANIZER
    b = num(version, 1)
    for key in ("id", "created", "changed", "deleted", "user_id"):
        b += num(o[key], 4)
    for key in ("title", "note", "name"):
        b += text(o[key])
    for key in ("type", "visibility", "subscribers_count", "calendar_icon"):
        b += num(o[key], 4)
    b += text(o["calendar_icon_name"])
    b += num(o["origin"], 4) + num(o["subscribe"], 4)
    if version == 2:
        b += num(o["view_setting"], 4)
    return b


def element(key, value):
    return "<%s>%s</%s>" % (key, value, key)


def record_answer():
    parts = [
        ("ID", "81234"), ("Created", "1700000000"), ("Changed", "1700000500"), ("Deleted", "0"),
        ("OrganizerID", "512"), ("CreatedByUserID", "77"), ("ParentID", "5"), ("Type", "3"),
        ("EventType", "200"), ("Text", "Oběd &amp; porada č. 2"), ("Importance", "-10"), ("Finished", "1"),
        ("FinishedTime", "1700000900"), ("HasBegin", "1"), ("DateBegin", "2024-03-10"),
        ("TimeBegin", "09:30:00"), ("HasEnd", "1"), ("DateEnd", "2024-03-10"), ("TimeEnd", "99:00:00"),
        ("Reschedule", "7"), ("Note", "Poznámka:&br;řeřicha"), ("PlainText", "Oběd"),
        ("SearchablePlainText", "obed"), ("PlainNote", "Poznámka"), ("SearchablePlainNote", "poznamka"),
        ("RecurrenceMasterID", "4711"), ("RecurrenceFrequency", "2"),
        ("RecurrenceSettings", "{&quot;Range&quot;:1,&quot;Count&quot;:3,&quot;RepeatDaily&quot;:1}"),
        ("Visibility", "2"), ("Shared", "1"), ("MainPicture", "9001"), ("MainPictureWidth", "640"),
        ("MainPictureHeight", "480"), ("PromoterID", "12"), ("Place", "Žďár &lt;nad&gt; Sázavou"),
        ("PlaceID", "33"),
        ("Settings", "{&quot;Alerts&quot;:[{&quot;T&quot;:1,&quot;D&quot;:0,&quot;H&quot;:0,&quot;M&quot;:15}],"
                     "&quot;Hidden&quot;:true}"),
    ]
    assert len(parts) == 37
    return "".join(element(k, v) for k, v in parts).encode("cp1250")


def organizer_answer():
    parts = [
        ("ID", "512"), ("Origin", "50"), ("Subscribe", "20"), ("Created", "1600000000"),
        ("Changed", "1650000000"), ("Deleted", "0"), ("UserID", "77"), ("Title", "Rodinný &amp; pracovní"),
        ("Note", "Společné akce"), ("Name", "rodina"), ("Type", "1"), ("Visibility", "2"),
        ("SubscribersCount", "14"), ("CalendarIcon", "21"), ("CalendarIconName", "dům"),
    ]
    return "".join(element(k, v) for k, v in parts).encode("cp1250")


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


# An organizer data file of 30 bytes whose header is damaged (version 0) and
# whose count and first record length make a 32-bit sum wrap to 0: the
# count 0xFFFFFFFF, then a record header of type 2, id 1 and a length of
# 0xFFFFFFF6, so that header plus length is 2^32.
DAMAGED_HEADER_WRAPPING_COUNT = (
    num(12, 2) + b"DalmoraPIMra" + num(0, 2) + num(0xFFFFFFFF, 4) + num(2, 2) + num(1, 4) + num(0xFFFFFFF6, 4)
)


if __name__ == "__main__":
    write("damaged_header_wrapping_count.dld", DAMAGED_HEADER_WRAPPING_COUNT)
    for version in (1, 2, 3, 4):
        write("record_v%d.bin" % version, record_body(version))
    # A temporary event type's id, which needs all four bytes.
    write("record_v4_temporary_event_type.bin", record_body(4, event_type=4200000007))
    write("record_v5.bin", num(5, 1) + record_body(4)[1:])
    # The text's length (after version, two flags, seven ids and two type
    # bytes) claims far more than the record holds.
    body = record_body(3)
    write("record_long_string.bin", body[:33] + num(0xFFFFFFF0, 4) + body[37:])
    write("record_cut_short.bin", body[:-3])
    for version in (1, 2):
        write("organizer_v%d.bin" % version, organizer_body(version))
    write("organizer_v3.bin", num(3, 1) + organizer_body(2)[1:])
    write("record_answer_all_keys.txt", record_answer())
    write("record_answer_id_text.txt", (element("ID", "81234") + element("Text", "Jen &quot;text&quot;"))
          .encode("cp1250"))
    write("organizer_answer.txt", organizer_answer())
    write("organizer_answer_without_title.txt",
          (element("ID", "512") + element("Changed", "1660000000") + element("CalendarIcon", "22"))
          .encode("cp1250"))
