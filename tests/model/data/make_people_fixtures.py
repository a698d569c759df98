#!/usr/bin/env python3
"""Writes the byte fixtures of the contact, group, notification, sharing and
event-type tests from the stored formats.

Record bodies: numbers little-endian, strings as a 4-byte length and each byte
stored as 255 minus the byte, times as day, month, year (2 bytes), hour,
minute, second. Answers: CP1250 text with entities. Upload forms: "&", key,
"=" and the value percent-encoded from its CP1250 bytes (A-Z, a-z, 0-9 kept,
a blank as "+"). Run it from this folder; the outputs are committed.
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


def encode(value):
    out = ""
    for b in str(value).encode("cp1250"):
        ch = chr(b)
        if ch.isascii() and ch.isalnum():
            out += ch
        elif ch == " ":
            out += "+"
        else:
            out += "%%%02X" % b
    return out


def form(pairs):
    return "".join("&%s=%s" % (key, encode(value)) for key, value in pairs).encode("ascii")


def entities(value):
    return value.replace("&", "&amp;").replace('"', "&quot;").replace("<", "&lt;").replace(">", "&gt;")


def answer(pairs):
    return "".join("<%s>%s</%s>" % (k, entities(str(v)), k) for k, v in pairs).encode("cp1250")


def check_size(body, fixed, *strings):
    assert len(body) == fixed + sum(len(s.encode("cp1250")) for s in strings), len(body)
    return body


def write(name, data):
    with open(name, "wb") as out:
        out.write(data)


# ------------------------------------------------------------ contact request
CR = dict(ID=7001, Created=1700000000, Changed=1700000100, Deleted=0, UserID=3001, ContactUserID=77,
          RequestIP="192.168.0.10", AcceptanceType=200, AcceptanceTimestamp=1700000200, EmailID=55,
          FullName="Jana Dvořáková & syn", Company="Pekárna Šťastný", City="Brno-Líšeň", ProfilePicture=9001)
write("contacts_request_answer.txt", answer(CR.items()))


def cr_body(version, bio="", web="", picture_state=1):
    c = CR
    b = num(version, 1) + num(0, 1)
    for key in ("ID", "Created", "Changed", "Deleted", "UserID", "ContactUserID"):
        b += num(c[key], 4)
    b += text(c["RequestIP"]) + num(c["AcceptanceType"], 1) + num(c["AcceptanceTimestamp"], 4) + num(c["EmailID"], 4)
    if version == 1:
        return check_size(b, 39, c["RequestIP"])
    b += text(c["FullName"]) + text(bio) + text(web) + text(c["Company"]) + text(c["City"])
    b += num(c["ProfilePicture"], 4) + num(picture_state, 4)
    return check_size(b, 67, c["RequestIP"], c["FullName"], bio, web, c["Company"], c["City"])


write("contacts_request_v2.bin", cr_body(2))
write("contacts_request_v2_picture_state_7.bin", cr_body(2, "Pekařka", "https://example.org/", 7))
write("contacts_request_v1.bin", cr_body(1))
write("contacts_request_form.txt", form([
    ("ItemID", CR["ID"]), ("Deleted", CR["Deleted"]), ("UserID", CR["UserID"]), ("ContactUserID", CR["ContactUserID"]),
    ("RequestIP", CR["RequestIP"]), ("AcceptanceType", CR["AcceptanceType"]),
    ("AcceptanceTimestamp", CR["AcceptanceTimestamp"]), ("EmailID", CR["EmailID"]), ("FullName", CR["FullName"]),
    ("Bio", ""), ("Web", ""), ("Company", CR["Company"]), ("City", CR["City"]),
    ("ProfilePicture", CR["ProfilePicture"])]))

# ---------------------------------------------------------------------- group
GROUP = dict(ID=7101, Created=1700001000, Changed=1700001100, Deleted=0, UserID=3001, Title="Kolegové & přátelé")
write("group_answer.txt", answer(GROUP.items()))
b = num(1, 1) + num(0, 1)
for key in ("ID", "Created", "Changed", "Deleted", "UserID"):
    b += num(GROUP[key], 4)
b += text(GROUP["Title"])
write("group_v1.bin", check_size(b, 26, GROUP["Title"]))
write("group_form.txt", form([("ItemID", GROUP["ID"]), ("Deleted", 0), ("UserID", GROUP["UserID"]),
                              ("Title", GROUP["Title"])]))

# ----------------------------------------------------------- group assignment
GA = dict(ID=7201, Created=1700002000, Changed=1700002100, Deleted=0, UserID=3001, ContactID=7301, ContactUserID=77,
          ContactsGroupID=7101)
write("groups_assign_answer.txt", answer(GA.items()))
b = num(1, 1) + num(0, 1)
for key in ("ID", "Created", "Changed", "Deleted", "UserID", "ContactID", "ContactUserID", "ContactsGroupID"):
    b += num(GA[key], 4)
write("groups_assign_v1.bin", check_size(b, 34))
write("groups_assign_form.txt", form([("ItemID", GA["ID"]), ("Deleted", 0), ("UserID", GA["UserID"]),
                                      ("ContactID", GA["ContactID"]), ("ContactUserID", GA["ContactUserID"]),
                                      ("ContactsGroupID", GA["ContactsGroupID"])]))

# -------------------------------------------------------------------- contact
CONTACT = dict(ID=7301, Created=1700003000, Changed=1700003100, Deleted=0, UserID=3001, ContactUserID=77,
               MainOrganizerID=512, UsernamePath="jan.novak", FirstName="Jan", MiddleName="Křtitel",
               LastName="Novák", SecondLastName="Horák", Company="Novák & syn", City="Plzeň",
               AcademicTitles="Ing. Ph.D.", ProfilePicture=9002, DisplayAs="")
CONTACT_TEXTS = ("UsernamePath", "FirstName", "MiddleName", "LastName", "SecondLastName", "Company", "City",
                 "AcademicTitles")
write("contact_answer.txt", answer(CONTACT.items()))


def contact_body(version):
    c = CONTACT
    b = num(version, 1) + num(0, 1)
    for key in ("ID", "Created", "Changed", "Deleted", "UserID", "ContactUserID"):
        b += num(c[key], 4)
    if version >= 2:
        b += num(c["MainOrganizerID"], 4)
    for key in CONTACT_TEXTS:
        b += text(c[key])
    b += num(c["ProfilePicture"], 4) + text(c["DisplayAs"])
    return check_size(b, 70 if version >= 2 else 66, *(c[k] for k in CONTACT_TEXTS), c["DisplayAs"])


write("contact_v2.bin", contact_body(2))
write("contact_v1.bin", contact_body(1))
write("contact_form.txt", form([("ItemID", CONTACT["ID"]), ("Deleted", 0), ("UserID", CONTACT["UserID"]),
                                ("ContactUserID", CONTACT["ContactUserID"]),
                                ("MainOrganizerID", CONTACT["MainOrganizerID"])] +
                               [(k, CONTACT[k]) for k in CONTACT_TEXTS] +
                               [("ProfilePicture", CONTACT["ProfilePicture"]), ("DisplayAs", "")]))

# --------------------------------------------------------------- notification
SETTINGS = '{"SenderUserID":"3002","OrganizerID":"512","RecordID":"81234","Data":"Oběd"}'
NOTE = dict(ID=9100, Created=1700004000, Changed=1700004100, Deleted=0, Type=200, RecipientUserID=3001,
            Text='Petr Šmíd sdílí kalendář "Rodina"', URL="https://example.org/?a=1&b=2", Read=0, Emailed=1,
            Settings=SETTINGS)
write("notification_answer.txt", answer(NOTE.items()))


def note_body(version):
    n = NOTE
    b = num(version, 1) + num(0, 1)
    for key in ("ID", "Created", "Changed", "Deleted"):
        b += num(n[key], 4)
    b += num(n["Type"], 1) + num(n["RecipientUserID"], 4) + text(n["Text"]) + text(n["URL"])
    b += num(n["Read"], 4) + num(n["Emailed"], 4) + text(n["Settings"])
    if version == 1:
        return check_size(b, 43, n["Text"], n["URL"], n["Settings"])
    b += text("") * 4 + num(0, 4)
    return check_size(b, 63, n["Text"], n["URL"], n["Settings"])


write("notification_v2.bin", note_body(2))
write("notification_v1.bin", note_body(1))
write("notification_form.txt", form([("ItemID", NOTE["ID"]), ("Deleted", 0), ("Type", NOTE["Type"]),
                                     ("RecipientUserID", NOTE["RecipientUserID"]), ("Text", NOTE["Text"]),
                                     ("URL", NOTE["URL"]), ("Read", 0), ("Emailed", NOTE["Emailed"]),
                                     ("Settings", NOTE["Settings"])]))

# -------------------------------------------------------------------- sharing
SHARE = dict(ID=6100, Created=1700005000, Changed=1700005100, Deleted=0, OrganizerID=512, RecordID=81234, Type=2,
             ObjectID=3002, Rights=200, RecordType=3, HasBegin=1, DateBegin="2024-03-10", DateEnd="2024-03-17")
write("sharing_answer.txt", answer(SHARE.items()))
b = num(1, 1) + num(0, 1)
for key in ("ID", "Created", "Changed", "Deleted", "OrganizerID", "RecordID"):
    b += num(SHARE[key], 4)
b += num(SHARE["Type"], 1) + num(SHARE["ObjectID"], 4) + num(SHARE["Rights"], 1) + num(SHARE["RecordType"], 1)
# A date from an answer keeps the time of day of a new value, 12:00:00.
b += num(1, 1) + time(10, 3, 2024, 12, 0, 0) + time(17, 3, 2024, 12, 0, 0)
write("sharing_v1.bin", check_size(b, 48))
write("sharing_form.txt", form([("ItemID", SHARE["ID"]), ("Deleted", 0), ("OrganizerID", SHARE["OrganizerID"]),
                                ("RecordID", SHARE["RecordID"]), ("Type", SHARE["Type"]),
                                ("ObjectID", SHARE["ObjectID"]), ("Rights", SHARE["Rights"])]))

# ----------------------------------------------------------------- event type
EVENT = dict(ID=6200, Created=1700006000, Changed=1700006100, Deleted=0, CreatedByUserID=3001, TitleLn=4,
             TitleLngString="Kino & divadlo", ShowBeforeText=1)
write("event_type_answer.txt", answer(EVENT.items()))


def event_body(version):
    e = EVENT
    b = num(version, 1) + num(0, 1)
    for key in ("ID", "Created", "Changed", "Deleted", "CreatedByUserID"):
        b += num(e[key], 4)
    if version >= 2:
        b += num(e["TitleLn"], 4)
    b += text(e["TitleLngString"]) + num(e["ShowBeforeText"], 1)
    return check_size(b, 31 if version >= 2 else 27, e["TitleLngString"])


write("event_type_v2.bin", event_body(2))
write("event_type_v1.bin", event_body(1))
write("event_type_form.txt", form([("ItemID", EVENT["ID"]), ("Deleted", 0),
                                   ("CreatedByUserID", EVENT["CreatedByUserID"]), ("TitleLn", EVENT["TitleLn"]),
                                   ("TitleLngString", EVENT["TitleLngString"]), ("ShowBeforeText", 1)]))
