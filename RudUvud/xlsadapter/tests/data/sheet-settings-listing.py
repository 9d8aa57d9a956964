import sys, struct, xlrd, olefile

def records(stream):
    at = 0
    while at + 4 <= len(stream):
        rid, size = struct.unpack_from("<HH", stream, at)
        yield rid, stream[at + 4:at + 4 + size]
        at += 4 + size

def biff_string(data, pos, lenbytes):
    n = data[pos] if lenbytes == 1 else struct.unpack_from("<H", data, pos)[0]
    pos += lenbytes
    if n == 0 and pos >= len(data):
        return ""
    flags = data[pos]; pos += 1
    if flags & 1:
        return data[pos:pos + 2 * n].decode("utf-16-le")
    return data[pos:pos + n].decode("latin-1")

def settings(path):
    # The page-setup records of each sheet, read straight from the records (xlrd skips them).
    stream = olefile.OleFileIO(path).openstream("Workbook").read()
    sheets, cur, depth = [], None, 0
    for rid, d in records(stream):
        if rid == 0x0809:
            depth += 1
            if struct.unpack_from("<H", d, 2)[0] == 0x10:
                cur = {}
                sheets.append(cur)
            continue
        if rid == 0x000A:
            depth -= 1
            cur = None
            continue
        if cur is None:
            continue
        if rid == 0x00A1:
            paper, scale, _, fitw, fith, opts, hres, vres = struct.unpack_from("<8H", d)
            hm, fm = struct.unpack_from("<dd", d, 16)
            copies = struct.unpack_from("<H", d, 32)[0]
            cur["setup"] = "setup %d %d %d %d %d %d %d %d %r %r" % (paper, scale, fitw, fith, opts, hres, vres, copies, hm, fm)
        elif rid in (0x26, 0x27, 0x28, 0x29):
            cur["margin%x" % rid] = "margin %d %r" % (rid - 0x26, struct.unpack_from("<d", d)[0])
        elif rid in (0x14, 0x15):
            cur["hf%x" % rid] = ("header " if rid == 0x14 else "footer ") + (biff_string(d, 0, 2) if d else "")
        elif rid in (0x83, 0x84):
            cur["center%x" % rid] = "center %d %d" % (rid - 0x83, struct.unpack_from("<H", d)[0])
        elif rid == 0x2B:
            cur["printgrid"] = "printgrid %d" % struct.unpack_from("<H", d)[0]
        elif rid == 0x81:
            cur["wsbool"] = "wsbool %d" % struct.unpack_from("<H", d)[0]
    return sheets

def listing(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    extra = settings(path)
    out = []
    for i, sh in enumerate(book.sheets()):
        out.append("sheet %d %s" % (i, sh.name))
        out.append("view %d %d %d" % (sh.show_grid_lines, sh.show_sheet_headers, sh.sheet_selected))
        if sh.panes_are_frozen:
            out.append("frozen %d %d %d %d" % (sh.horz_split_pos, sh.vert_split_pos, sh.horz_split_first_visible, sh.vert_split_first_visible))
        elif sh.has_pane_record:
            out.append("split %d %d" % (sh.vert_split_pos, sh.horz_split_pos))
        out.append("zoom %d" % (sh.scl_mag_factor or 100))
        out.append("defaults %d" % sh.default_row_height)
        for r, c1, c2 in sh.horizontal_page_breaks:
            out.append("hbreak %d %d %d" % (r, c1, c2))
        for c, r1, r2 in sh.vertical_page_breaks:
            out.append("vbreak %d %d %d" % (c, r1, r2))
        for r, info in sorted(sh.rowinfo_map.items()):
            out.append("row %d %d %d %d" % (r, info.height, info.hidden, info.outline_level))
        # Runs of equal columns in one line, as "col first last width hidden level xf".
        run = None
        for c, info in sorted(sh.colinfo_map.items()):
            v = (info.width, info.hidden, info.outline_level, info.xf_index)
            if run and run[1] == c - 1 and run[2] == v:
                run[1] = c
                continue
            if run:
                out.append("col %d %d %d %d %d %d" % ((run[0], run[1]) + run[2]))
            run = [c, c, v]
        if run:
            out.append("col %d %d %d %d %d %d" % ((run[0], run[1]) + run[2]))
        for r1, r2, c1, c2 in sorted(sh.merged_cells):
            out.append("merge %d %d %d %d" % (r1, r2 - 1, c1, c2 - 1))
        if i < len(extra):
            for k in sorted(extra[i]):
                out.append(extra[i][k])
    return "\n".join(out) + "\n"

if __name__ == "__main__":
    sys.stdout.write(listing(sys.argv[1]))
