#!/usr/bin/env python3
# Writes the seeds of fuzz_winmetafile: a placeable WMF (a filled rectangle and a line) and an EMF
# (a filled triangle), laid out as the metafile formats define their records.
import struct
import sys
from pathlib import Path


def wmf_record(fn, params):
    return struct.pack('<IH', 3 + len(params), fn) + b''.join(struct.pack('<h', p) for p in params)


def wmf(units):
    placeable = struct.pack('<IHhhhhHIH', 0x9AC6CDD7, 0, 0, 0, units, units, 1440, 0, 0)
    header = struct.pack('<HHHIHIH', 1, 9, 0x0300, 0, 2, 0, 0)
    body = b''.join([
        wmf_record(0x020B, [0, 0]),
        wmf_record(0x020C, [units, units]),
        wmf_record(0x02FC, [0, 0x00FF, 0, 0]),
        wmf_record(0x012D, [0]),
        wmf_record(0x041B, [units // 2, units // 2, 0, 0]),
        wmf_record(0x02FA, [0, 45, 0, 0, 0x00FF]),
        wmf_record(0x012D, [1]),
        wmf_record(0x0214, [units - 30, 0]),
        wmf_record(0x0213, [units - 30, units]),
        wmf_record(0x0000, []),
    ])
    return placeable + header + body


def emf_record(kind, params):
    return struct.pack('<II', kind, 8 + 4 * len(params)) + b''.join(struct.pack('<I', p) for p in params)


def emf():
    header = struct.pack('<II4i4iI', 1, 88, 0, 0, 19, 19, 0, 0, 529, 529, 0x464D4520).ljust(88, b'\0')
    poly = struct.pack('<II5i', 86, 8 + 20 + 12, 0, 0, 19, 19, 3) + struct.pack('<6h', 0, 0, 19, 0, 0, 19)
    return header + emf_record(39, [1, 0, 0x00FF00, 0]) + emf_record(37, [1]) + \
        emf_record(37, [0x80000008]) + poly + emf_record(14, [0, 0, 0])


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent / 'corpus' / 'fuzz_winmetafile')
    out.mkdir(parents=True, exist_ok=True)
    (out / 'rectangle.wmf').write_bytes(wmf(480))
    (out / 'triangle.emf').write_bytes(emf())


main()
