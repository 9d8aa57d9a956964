#!/usr/bin/python3
"""An independent reader and writer of the backup archive format, for cross-checks.

    backup_archive.py read ARCHIVE [FOLDER]
                                     prints the archive as JSON: title, total, count and the
                                     entries (name, date, sha1 and size of the expanded bytes),
                                     following NEXT:DISK records into the next volumes; with
                                     FOLDER also writes entry i's bytes to FOLDER/i
    backup_archive.py write FOLDER   writes the hand-made archive handmade.bak (with its second
                                     volume handmade.002) into FOLDER

Written from the format's description alone, with zlib's one-shot functions.
"""
import hashlib
import json
import os
import struct
import sys
import zlib

CHUNK = 16384


def i32(f):
    b = f.read(4)
    if len(b) != 4:
        raise ValueError("truncated")
    return struct.unpack("<i", b)[0]


def section(f):
    if f.read(4) != b"EC2\0":
        raise ValueError("section without EC2")
    out = b""
    while True:
        n = i32(f)
        if n == 0:
            return out
        data = f.read(abs(n))
        if len(data) != abs(n):
            raise ValueError("truncated block")
        if n > 0:
            chunk = zlib.decompress(data)
        else:
            chunk = data
        if len(chunk) > CHUNK:
            raise ValueError("chunk too long")
        out += chunk


def read(path, folder=None):
    f = open(path, "rb")
    title = f.read(i32(f)).decode("utf-8")
    total = i32(f)
    count = i32(f)
    entries = []
    volume = path
    while True:
        n = i32(f)
        if n == 0:
            break
        name = f.read(n).decode("utf-8")
        if name.startswith("NEXT:DISK"):
            f.close()
            volume = os.path.splitext(volume)[0] + "." + name[9:]
            f = open(volume, "rb")
            entries[-1]["data"] += section(f)
            continue
        date = i32(f) & 0xFFFFFFFF
        entries.append({"name": name, "date": date, "data": section(f)})
    for i, e in enumerate(entries):
        data = e.pop("data")
        if folder:
            with open(os.path.join(folder, str(i)), "wb") as out:
                out.write(data)
        e["size"] = len(data)
        e["sha1"] = hashlib.sha1(data).hexdigest()
    print(json.dumps({"title": title, "total": total, "count": count, "entries": entries}, indent=1))


def name(s):
    b = s.encode("utf-8")
    return struct.pack("<i", len(b)) + b


def compressed(chunk):
    z = zlib.compress(chunk, 6)
    return struct.pack("<i", len(z)) + z


def stored(chunk):
    return struct.pack("<i", -len(chunk)) + chunk


def sec(*blocks):
    return b"EC2\0" + b"".join(blocks) + struct.pack("<i", 0)


# 1990-06-15 12:30:10 as a DOS date-time
DATE = ((1990 - 1980) << 25) | (6 << 21) | (15 << 16) | (12 << 11) | (30 << 5) | 5


def write(folder):
    text = bytes(range(256)) * 100  # 25600 bytes, split below over two volumes
    words = b"prize draw " * 3000  # 33000 bytes, three chunks
    listing = "C:\\docs\\a.txt\t%d=%d\r\n" % (DATE, len(words))
    head = name("Hand-made archive") + struct.pack("<ii", len(text) + len(words) + 5 + len(listing), 3)
    v1 = head
    v1 += name("FILE:LIST") + struct.pack("<i", DATE) + sec(compressed(listing.encode()))
    v1 += name("C:\\docs\\a.txt") + struct.pack("<i", DATE)
    v1 += sec(compressed(words[:CHUNK]), stored(words[CHUNK:2 * CHUNK]), compressed(words[2 * CHUNK:]))
    v1 += name("C:\\docs\\empty.txt") + struct.pack("<i", DATE) + sec()
    v1 += name("C:\\docs\\sub\\bytes.bin") + struct.pack("<i", DATE) + sec(stored(text[:CHUNK]))
    v1 += name("NEXT:DISK002")
    v2 = sec(compressed(text[CHUNK:]))
    v2 += name("C:\\docs\\late.txt") + struct.pack("<i", DATE) + sec()  # first section empty
    v2 += name("NEXT:DISK003")
    v3 = sec(compressed(b"hello"))
    v3 += struct.pack("<i", 0)
    for ext, data in ((".bak", v1), (".002", v2), (".003", v3)):
        with open(os.path.join(folder, "handmade" + ext), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    if sys.argv[1] == "read":
        read(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else None)
    else:
        write(sys.argv[2])
