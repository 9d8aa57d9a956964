#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_xls_escher: BIFF records of a drawing group and a sheet drawing
(pictures, a text box, a solver with rules, client data between the drawing records) and a sheet
stream whose big record runs over a CONTINUE record. Run from the repository root."""
import hashlib
import os
import struct


def atom(vi, t, body):
    return struct.pack('<HHI', vi, t, len(body)) + body


def cont(t, kids, vi=0x0F):
    return atom(vi, t, b''.join(kids))


def biff(i, b):
    return struct.pack('<HH', i, len(b)) + b


def bse(pic):
    d = hashlib.md5(pic).digest()
    body = d + b'\xff' + pic
    head = bytes([6, 4]) + d + struct.pack('<HIIII', 0xFF, len(body) + 8, 1, 0, 0)
    return atom(0x62, 0xF007, head + struct.pack('<HHI', 0x6E00, 0xF01E, len(body)) + body)


def picture_shape(sid, kind, pos=1):
    return [atom(0x4B2, 0xF00A, struct.pack('<II', sid, 0xA00)),
            atom(0x23, 0xF00B, struct.pack('<HIHI', 0x4104, pos, 0x3BF, 0x80000)),
            atom(0, 0xF010, struct.pack('<9H', kind, 1, 0, 2, 0, 3, 100, 5, 50)),
            atom(0, 0xF011, b'')]


def main():
    group = cont(0xF000, [
        atom(0, 0xF006, struct.pack('<IIIIII', 1026, 2, 2, 1, 1, 2)),
        cont(0xF001, [bse(bytes(range(40)))], 0x1F),
        atom(0x33, 0xF00B, struct.pack('<HIHIHI', 0xBF, 0x80008, 0x181, 0x8000009, 0x1C0, 0x8000040)),
        atom(0x40, 0xF11E, struct.pack('<IIII', 0x800000D, 0x800000C, 0x8000017, 0x100000F7))])
    obj = struct.pack('<HHHH', 0x15, 0x12, 8, 1) + bytes(18)
    txo = bytes(18)
    sp0 = cont(0xF004, [atom(1, 0xF009, bytes(16)), atom(2, 0xF00A, struct.pack('<II', 1024, 5))])
    text = [atom(0xCA2, 0xF00A, struct.pack('<II', 1027, 0xA00)),
            atom(0, 0xF010, struct.pack('<9H', 3, 1, 0, 2, 0, 3, 100, 5, 50)),
            atom(0, 0xF011, b''), atom(0, 0xF00D, b'')]
    solver = cont(0xF005, [atom(0, 0xF012, struct.pack('<IIII', 2, 1025, 1026, 1027) + bytes(12)),
                           atom(0, 0xF014, struct.pack('<II', 4, 1025))], 0x2F)
    patriarch = cont(0xF003, [sp0, cont(0xF004, picture_shape(1025, 0)), cont(0xF004, picture_shape(1026, 2)),
                              cont(0xF004, text)])
    full = cont(0xF002, [atom(0x10, 0xF008, struct.pack('<II', 4, 1027)), patriarch, solver])

    cuts = []

    def walk(p, end):
        while p + 8 <= end:
            vi, t, n = struct.unpack_from('<HHI', full, p)
            if vi & 0xF == 0xF:
                walk(p + 8, p + 8 + n)
            elif t in (0xF011, 0xF00D):
                cuts.append((p + 8, t))
            p += 8 + n

    walk(0, len(full))
    sheet, p = b'', 0
    for e, t in cuts:
        sheet += biff(0xEC, full[p:e])
        p = e
        sheet += biff(0x5D, obj) if t == 0xF011 else biff(0x1B6, txo)
    if p < len(full):
        sheet += biff(0xEC, full[p:])

    big = cont(0xF002, [atom(0x10, 0xF008, struct.pack('<II', 1, 1025)),
                        cont(0xF003, [cont(0xF004, [atom(2, 0xF00A, struct.pack('<II', 1024, 5)),
                                                    atom(0, 0xF123, bytes(9000))])])])
    d = 'fuzz/corpus/fuzz_xls_escher'
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, 'group-and-sheet.bin'), 'wb') as f:
        f.write(biff(0xEB, group) + sheet)
    with open(os.path.join(d, 'sheet-only.bin'), 'wb') as f:
        f.write(sheet)
    with open(os.path.join(d, 'continue.bin'), 'wb') as f:
        f.write(biff(0xEC, big[:8224]) + biff(0x3C, big[8224:]))


if __name__ == '__main__':
    main()
