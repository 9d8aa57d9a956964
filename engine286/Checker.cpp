#include "engine286/Checker.h"

#include "engine286/Format.h"
#include "platform/os/FileMapping.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

class Checker {
public:
    explicit Checker(dbCheckReport& r) : report(r) {}

    void run(const std::string& fileName)
    {
        os::File file;
        if (file.open(fileName, true, false) != 0)
            return error("cannot open the file");
        std::int64_t length = file.size();
        if (length < std::int64_t(dbPageSize))
            return error("the file is shorter than one page");
        if (std::uint64_t(length) >= dbMaxFileSize)
            return error("the file is longer than the format allows");
        data.resize(std::size_t(length));
        if (file.pread(data.data(), data.size(), 0) != 0)
            return error("cannot read the file");
        checkHeader();
    }

private:
    dbCheckReport& report;
    std::vector<char> data;
    const dbHeader* h = nullptr;
    const offs_t* index = nullptr;
    std::uint32_t used = 0;

    void error(const std::string& text) { report.errors.push_back(text); }
    void warning(const std::string& text) { report.warnings.push_back(text); }
    static std::string num(std::uint64_t v) { return std::to_string(v); }

    bool inFile(std::uint64_t pos, std::uint64_t size) const { return pos + size <= data.size(); }

    void checkHeader()
    {
        h = reinterpret_cast<const dbHeader*>(data.data());
        if (h->initialized != 1)
            return error("the file is not initialised");
        if (h->majorVersion != dbMajorVersion || h->minorVersion != dbMinorVersion)
            return error("unknown format version " + num(h->majorVersion) + "." + num(h->minorVersion));
        if (h->curr != 0 && h->curr != 1)
            return error("invalid committed root " + num(std::uint32_t(h->curr)));
        if (h->dirty != 0 && h->dirty != 1)
            error("invalid dirty flag");
        report.dirty = h->dirty != 0;
        if (!report.dirty && h->size != data.size())
            error("header size " + num(h->size) + " differs from the file length " + num(data.size()));
        const dbRoot& root = h->root[h->curr];
        for (offs_t arr : {root.index, root.shadowIndex}) {
            std::uint32_t n = arr == root.index ? root.indexSize : root.shadowIndexSize;
            if (arr % dbPageSize != 0 || arr == 0 || !inFile(arr, std::uint64_t(n) * 4))
                return error("an index array of the committed root lies outside the file");
        }
        if (root.indexSize % dbHandlesPerPage != 0 || root.indexUsed < dbFirstUserId ||
            root.indexUsed > root.indexSize || root.shadowIndexSize < root.indexUsed)
            return error("invalid sizes in the committed root");
        index = reinterpret_cast<const offs_t*>(data.data() + root.index);
        used = root.indexUsed;
        if (!report.dirty) {
            const dbRoot& w = h->root[1 - h->curr];
            if (w.index != root.shadowIndex || w.indexUsed != root.indexUsed || w.freeList != root.freeList ||
                std::memcmp(data.data() + w.index, index, std::size_t(used) * 4) != 0)
                error("the working root of a clean file differs from the committed root");
        }
        checkIndexAndBitmap(root);
        if (report.errors.empty())
            checkTables();
        checkFreeChain(root);
    }

    std::uint32_t objectSize(offs_t entry) const
    {
        unsigned kind = entry & dbFlagsMask;
        if (kind != dbRowObject)
            return dbInternalObjectSize(kind);
        offs_t pos = entry & ~dbFlagsMask;
        if (!inFile(pos, sizeof(dbRecord)))
            return 0;
        return reinterpret_cast<const dbRecord*>(data.data() + pos)->size;
    }

    void checkIndexAndBitmap(const dbRoot& root)
    {
        if (index[0] != dbFreeHandleMarker)
            error("entry 0 is not the null reference");
        std::uint32_t pages = 0;
        while (dbBitmapId + pages < dbFirstUserId && index[dbBitmapId + pages] != dbFreeHandleMarker)
            pages++;
        for (oid_t i = dbBitmapId + pages; i < dbFirstUserId; i++) {
            if (index[i] != dbFreeHandleMarker)
                return error("bitmap page entries are not contiguous (oid " + num(i) + ")");
        }
        // Who owns each quantum: built from the header, the committed root's two arrays and
        // every live object.
        std::vector<std::uint32_t> owner((data.size() + dbAllocationQuantum - 1) / dbAllocationQuantum, 0);
        const std::uint32_t arrayOwner = 0xFFFFFFFF;
        auto claim = [&](std::uint64_t pos, std::uint64_t size, std::uint32_t who) {
            if (!inFile(pos, size)) {
                error("object " + num(who) + " lies outside the file");
                return;
            }
            for (std::uint64_t q = pos / 16; q < (pos + size + 15) / 16; q++) {
                if (owner[q] != 0) {
                    error("object " + num(who) + " overlaps object " + num(owner[q]) + " at " + num(q * 16));
                    return;
                }
                owner[q] = who;
            }
        };
        claim(0, dbPageSize, arrayOwner);
        claim(root.index, std::uint64_t(root.indexSize) * 4, arrayOwner);
        claim(root.shadowIndex, std::uint64_t(root.shadowIndexSize) * 4, arrayOwner);
        for (oid_t i = 1; i < used; i++) {
            offs_t e = index[i];
            if (e & dbFreeHandleMarker)
                continue;
            unsigned kind = e & dbFlagsMask;
            offs_t pos = e & ~dbFlagsMask;
            if (kind > dbHashTableItemMarker || pos == 0 || pos % dbAllocationQuantum != 0) {
                error("invalid index entry " + num(e) + " of oid " + num(i));
                continue;
            }
            if ((i >= dbBitmapId && i < dbFirstUserId) != (kind == dbPageObjectMarker && i < dbFirstUserId)) {
                error("oid " + num(i) + " has the wrong kind");
                continue;
            }
            std::uint32_t size = objectSize(e);
            if (kind == dbRowObject && size < sizeof(dbRecord)) {
                error("row " + num(i) + " has an invalid size");
                continue;
            }
            report.liveObjects++;
            claim(pos, size, i);
        }
        // Compare with the committed bitmap.
        std::uint64_t q = 0;
        std::uint64_t leaked = 0, firstLeak = 0;
        for (std::uint32_t p = 0; p < pages; p++) {
            offs_t pagePos = index[dbBitmapId + p] & ~dbFlagsMask;
            if (!inFile(pagePos, dbPageSize))
                return error("bitmap page " + num(p) + " lies outside the file");
            const unsigned char* bits = reinterpret_cast<const unsigned char*>(data.data() + pagePos);
            for (std::uint32_t b = 0; b < dbPageSize * 8; b++, q++) {
                bool set = (bits[b >> 3] >> (b & 7)) & 1;
                bool owned = q < owner.size() && owner[q] != 0;
                if (owned && !set) {
                    error("object " + num(owner[q]) + " lies in space the bitmap calls free (" + num(q * 16) +
                          ")");
                    return;
                }
                if (set && !owned) {
                    if (q * 16 >= data.size() && !report.dirty) {
                        error("the bitmap claims space beyond the end of the file");
                        return;
                    }
                    if (leaked++ == 0)
                        firstLeak = q * 16;
                }
            }
        }
        // Space beyond the last bitmap page is simply unallocated: the next growth puts its
        // bitmap pages there.
        for (; q < owner.size(); q++) {
            if (owner[q] != 0)
                return error("object " + num(owner[q]) + " lies beyond the bitmap");
        }
        if (leaked)
            warning(num(leaked * 16) + " bytes are allocated but unused (first at " + num(firstLeak) + ")");
    }

    bool liveRow(oid_t oid) const
    {
        return oid != 0 && oid < used && (index[oid] & (dbFreeHandleMarker | dbFlagsMask)) == 0 &&
               objectSize(index[oid]) >= sizeof(dbRecord);
    }
    const dbRecord* row(oid_t oid) const
    {
        return reinterpret_cast<const dbRecord*>(data.data() + index[oid]);
    }

    // Walks one table's row list; every row must be on exactly one list.
    void checkChain(oid_t tableId, std::map<oid_t, oid_t>& onChain)
    {
        const dbTable* t = reinterpret_cast<const dbTable*>(row(tableId));
        if (t->size < sizeof(dbTable) || std::uint64_t(t->name.offs) + t->name.size > t->size ||
            std::uint64_t(t->fields.offs) + std::uint64_t(t->fields.size) * sizeof(dbField) > t->size)
            return error("table definition " + num(tableId) + " is malformed");
        oid_t prev = 0;
        std::int64_t count = 0;
        for (oid_t r = t->firstRow; r != 0; r = row(r)->next) {
            if (!liveRow(r))
                return error("table " + num(tableId) + " links to a dead object " + num(r));
            if (onChain.count(r))
                return error("row " + num(r) + " is on the lists of tables " + num(onChain[r]) + " and " +
                             num(tableId));
            onChain[r] = tableId;
            if (row(r)->prev != prev)
                error("row " + num(r) + " has a wrong back link");
            if (row(r)->size < std::uint32_t(t->fixedSize))
                error("row " + num(r) + " is shorter than its table's fixed part");
            prev = r;
            count++;
            if (r == t->lastRow && row(r)->next != 0) {
                if (!report.dirty)
                    error("the last row " + num(r) + " of table " + num(tableId) + " links on");
                break; // a dirty file's in-place link, which recovery resets
            }
        }
        if (prev != t->lastRow)
            error("table " + num(tableId) + " ends at " + num(prev) + " but names " + num(t->lastRow) +
                  " as its last row");
        if (count != t->nRows)
            error("table " + num(tableId) + " has " + num(count) + " rows but counts " + num(t->nRows));
        report.rows += std::uint32_t(count);
    }

    void checkTables()
    {
        if (!liveRow(dbMetatableId))
            return error("the Metatable row is missing");
        std::map<oid_t, oid_t> onChain;
        checkChain(dbMetatableId, onChain);
        std::vector<oid_t> tables;
        for (auto& [r, t] : onChain)
            tables.push_back(r);
        report.tables = std::uint32_t(tables.size());
        report.rows = 0;
        for (oid_t t : tables)
            checkChain(t, onChain);
        std::uint32_t strays = 0;
        for (oid_t i = dbFirstUserId; i < used; i++) {
            if (liveRow(i) && !onChain.count(i))
                strays++;
        }
        if (strays)
            warning(num(strays) + " rows are on no table's list");
    }

    void checkFreeChain(const dbRoot& root)
    {
        std::uint32_t freeEntries = 0;
        for (oid_t i = dbFirstUserId; i < used; i++)
            freeEntries += (index[i] & dbFreeHandleMarker) ? 1 : 0;
        std::uint32_t steps = 0;
        for (oid_t f = root.freeList; f != 0; f = index[f] & ~dbFreeHandleMarker) {
            if (f < dbFirstUserId || f >= used || !(index[f] & dbFreeHandleMarker))
                return error("the free object chain reaches oid " + num(f));
            if (++steps > freeEntries)
                return error("the free object chain has a cycle");
        }
        if (steps != freeEntries)
            warning(num(freeEntries - steps) + " free object ids are not on the free chain");
    }
};

} // namespace

std::string dbCheckReport::text() const
{
    std::string out;
    for (const std::string& e : errors)
        out += "error: " + e + "\n";
    for (const std::string& w : warnings)
        out += "warning: " + w + "\n";
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s file, %u live objects, %u tables, %u rows\n",
                  dirty ? "dirty" : "clean", liveObjects, tables, rows);
    return out + buf;
}

dbCheckReport dbCheckFile(const std::string& fileName)
{
    dbCheckReport report;
    Checker(report).run(fileName);
    return report;
}
