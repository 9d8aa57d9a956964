#!/usr/bin/env bash
# Regenerates xlwt-bitmap.xls: a sheet with two bitmaps inserted by python3-xlwt, which keeps
# them the older way (an OBJ record outside any drawing, then the picture's IMDATA record).
#   bitmap-a.bmp, bitmap-b.bmp   the two 24-bit bitmaps given to xlwt, written here
# Run it by hand; the tests use the committed files.
set -euo pipefail
cd "$(dirname "$0")"

/usr/bin/python3 - <<'PY'
import struct, xlwt

def bmp(name, w, h, pix):
    stride = (w * 3 + 3) & ~3
    rows = b''
    for y in range(h):
        row = b''.join(bytes(pix(x, y)) for x in range(w))
        rows += row + b'\0' * (stride - len(row))
    head = b'BM' + struct.pack('<IHHI', 54 + len(rows), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 0, 0, 0, 0)
    open(name, 'wb').write(head + info + rows)

bmp('bitmap-a.bmp', 3, 2, lambda x, y: (10 * x, 20 * y, 200))
bmp('bitmap-b.bmp', 2, 2, lambda x, y: (255, 40 * x, 90 * y))

wb = xlwt.Workbook()
ws = wb.add_sheet('Pictures')
ws.write(0, 0, 'Prize')
ws.insert_bitmap('bitmap-a.bmp', 2, 1)
ws.insert_bitmap('bitmap-b.bmp', 5, 3)
wb.save('xlwt-bitmap.xls')
PY
