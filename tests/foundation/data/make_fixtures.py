#!/usr/bin/env python3
"""Writes the user-list and settings fixtures byte by byte from the file
formats. Run from this folder; the outputs are committed beside it.

Common forms: numbers little-endian; header = id length (2), id bytes,
version (2); text = length prefix, then each byte stored as 255 - byte;
texts are CP1250.
"""
import struct


def u8(v):
    return struct.pack('<B', v & 0xFF)


def u16(v):
    return struct.pack('<H', v & 0xFFFF)


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def header(file_id, version):
    raw = file_id.encode('ascii')
    return u16(len(raw)) + raw + u16(version)


def text(value, bits):
    raw = value.encode('cp1250')
    prefix = {8: u8, 16: u16, 32: u32}[bits](len(raw))
    return prefix + bytes(255 - b for b in raw)


def user_v3(login, name, password, remember, flag1, flag2, when, user_id):
    day, month, year, hour, minute, second = when
    return (text(login, 8) + text(name, 8) + text(password, 8) + u8(remember) + u8(flag1) + u8(flag2) +
            u8(day) + u8(month) + u16(year) + u8(hour) + u8(minute) + u8(second) + u32(user_id))


def user_v2(login, name, password, remember):
    return text(login, 8) + text(name, 8) + text(password, 8) + u8(remember)


def users_v3():
    return (header('BrivaneUsersFile', 3) + u32(1) + u32(2) +
            user_v3('petra@example.com', 'petra', 'tajne123', 1, 1, 0, (24, 12, 2023, 18, 30, 5), 4711) +
            user_v3('rehor@example.com', 'Řehoř', '', 0, 0, 1, (1, 2, 2025, 7, 5, 9), 3000000000))


def users_v2():
    return (header('BrivaneUsersFile', 2) + u32(0) + u32(2) +
            user_v2('jana@example.com', 'jana', 'heslo', 1) +
            user_v2('karel@example.com', 'karel', '', 0))


def item(kind, name, value):
    return u8(kind) + text(name, 8) + value


def setup_all_types():
    items = [
        item(1, 'Today_AppRunCount', u8(200)),
        item(2, 'Teplota', u16(-1234)),
        item(3, 'LastSynchronisationTime', u32(1700000000)),
        item(4, 'PovolitZvuk', u8(0)),
        item(50, 'FirstName', text('Jiří', 8)),
        item(51, 'Proxy_Host', text('proxy.example.com', 16)),
        item(52, 'Poznamka', text('Žluťoučký kůň', 32)),
        item(90, 'Narozeniny', u8(29) + u8(2) + u16(2024)),
        item(91, 'Budik', u8(23) + u8(59) + u8(58)),
        item(92, 'PosledniZaloha', u8(24) + u8(12) + u16(2024) + u8(18) + u8(30) + u8(0)),
        item(100, 'Cisla', u32(3) + u32(-1) + u32(0) + u32(2147483647)),
        item(101, 'Bajty', u32(3) + u8(0) + u8(255) + u8(7)),
        item(102, 'Slova', u32(3) + u16(65535) + u16(1) + u16(0)),
        item(110, 'Texty32', u32(2) + text('', 32) + text('ahoj', 32)),
        item(111, 'Texty8', u32(1) + text('čeština', 8)),
        item(112, 'Texty16', u32(3) + text('a', 16) + text('bb', 16) + text('ccc', 16)),
    ]
    return header('BrivaneAppSetup', 2) + u32(len(items)) + b''.join(items)


FIXTURES = {
    'users-v3.dat': users_v3,
    'users-v2.dat': users_v2,
    'setup-all-types.dat': setup_all_types,
}

if __name__ == '__main__':
    for name, build in FIXTURES.items():
        with open(name, 'wb') as out:
            out.write(build())
