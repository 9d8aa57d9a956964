#include "engine286/Checker.h"

#include "engine286/Format.h"
#include "engine286/HashIndex.h"
#include "engine286/TTree.h"
#include "platform/os/FileMapping.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

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
        // A dirty file whose last one-flush commit did not complete: the open takes the other
        // root, so that is the committed state.
        const int curr = report.dirty && data.size() >= dbPageSize &&
                                 !dbCommitRecordHolds(data.data(), data.size(), h->curr)
                             ? 1 - h->curr
                             : h->curr;
        const dbRoot& root = h->root[curr];
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
            const dbRoot& w = h->root[1 - curr];
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
        if (!report.errors.empty())
            return;
        for (oid_t t : tables)
            checkIndices(t, onChain);
    }

    // ---- Indices: every hash and T-tree index of a table holds exactly the table's rows, each
    // under the value the row holds now.
    std::set<oid_t> reached;

    // An index object of the given kind, or null after an error.
    const char* indexObject(oid_t oid, unsigned kind, const std::string& what)
    {
        if (oid == 0 || oid >= used || (index[oid] & dbFreeHandleMarker) ||
            (index[oid] & dbFlagsMask) != kind) {
            error(what + " names oid " + num(oid) + ", which is not an index object of the right kind");
            return nullptr;
        }
        if (!reached.insert(oid).second) {
            error(what + " reaches oid " + num(oid) + " twice");
            return nullptr;
        }
        return data.data() + (index[oid] & ~dbFlagsMask);
    }

    struct IndexedField {
        std::string name;
        int type;
        std::int32_t offset, size;
    };

    // The key a row holds for the field (strings without their NUL), or false when the row
    // cannot hold one.
    bool rowKey(oid_t r, const IndexedField& f, const char*& key, std::size_t& size) const
    {
        const dbRecord* rec = row(r);
        if (f.offset < std::int32_t(sizeof(dbRecord)) || f.size <= 0 ||
            std::uint64_t(f.offset) + std::uint64_t(f.size) > rec->size)
            return false;
        const char* base = reinterpret_cast<const char*>(rec);
        if (f.type == dbStoredString) {
            const auto* v = reinterpret_cast<const dbVarying*>(base + f.offset);
            if (v->size == 0 || v->offs < sizeof(dbRecord) || std::uint64_t(v->offs) + v->size > rec->size ||
                base[v->offs + v->size - 1] != '\0')
                return false;
            key = base + v->offs;
            size = v->size - 1;
            return true;
        }
        key = base + f.offset;
        size = std::size_t(f.size);
        return true;
    }

    static bool indexable(int type)
    {
        return (type >= dbStoredBool && type <= dbStoredReference) || type == dbStoredRawBinary;
    }

    void checkIndices(oid_t tableId, const std::map<oid_t, oid_t>& onChain)
    {
        const dbTable* t = reinterpret_cast<const dbTable*>(row(tableId));
        const char* base = reinterpret_cast<const char*>(t);
        std::string tableName = "table " + num(tableId);
        if (t->name.size > 0 && data[index[tableId] + t->name.offs + t->name.size - 1] == '\0')
            tableName = base + t->name.offs;
        std::vector<oid_t> rows;
        for (const auto& [r, owner] : onChain) {
            if (owner == tableId)
                rows.push_back(r);
        }
        for (std::uint32_t i = 0; i < t->fields.size; i++) {
            const auto* f = reinterpret_cast<const dbField*>(base + t->fields.offs + i * sizeof(dbField));
            if (f->hashTable == 0 && f->tTree == 0)
                continue;
            IndexedField field{tableName + "." + fieldName(f, t), f->type, f->offset, f->size};
            if (!indexable(f->type)) {
                // A hash index over an array field keys on the array's stored header, which says
                // nothing checkable; a T-tree over one cannot exist.
                if (f->tTree != 0)
                    error("field " + field.name + " of a type that cannot be ordered has a T-tree");
                continue;
            }
            std::vector<oid_t> keyless;
            for (oid_t r : rows) {
                const char* key;
                std::size_t size;
                if (!rowKey(r, field, key, size))
                    keyless.push_back(r);
            }
            if (!keyless.empty()) {
                error("row " + num(keyless[0]) + " holds no readable value of indexed field " + field.name);
                continue;
            }
            if (f->hashTable != 0)
                checkHashIndex(f->hashTable, field, rows);
            if (f->tTree != 0)
                checkTTree(f->tTree, field, rows);
        }
    }

    std::string fieldName(const dbField* f, const dbTable* t) const
    {
        const char* entry = reinterpret_cast<const char*>(f);
        std::uint64_t at = std::uint64_t(entry - reinterpret_cast<const char*>(t)) + f->name.offs;
        if (f->name.size == 0 || at + f->name.size > t->size ||
            entry[f->name.offs + f->name.size - 1] != '\0')
            return "?";
        return entry + f->name.offs;
    }

    // Compares what an index holds with the table's rows.
    void compareRows(const std::vector<oid_t>& found, const std::vector<oid_t>& rows, const std::string& what)
    {
        std::vector<oid_t> sorted(found);
        std::sort(sorted.begin(), sorted.end());
        auto dup = std::adjacent_find(sorted.begin(), sorted.end());
        if (dup != sorted.end())
            return error(what + " holds row " + num(*dup) + " twice");
        std::vector<oid_t> missing, extra;
        std::set_difference(rows.begin(), rows.end(), sorted.begin(), sorted.end(),
                            std::back_inserter(missing));
        std::set_difference(sorted.begin(), sorted.end(), rows.begin(), rows.end(),
                            std::back_inserter(extra));
        if (!missing.empty())
            error(what + " misses " + num(missing.size()) + " rows of its table (first " + num(missing[0]) +
                  ")");
        if (!extra.empty())
            error(what + " holds " + num(extra.size()) + " objects that are not rows of its table (first " +
                  num(extra[0]) + ")");
    }

    void checkHashIndex(oid_t hashId, const IndexedField& field, const std::vector<oid_t>& rows)
    {
        const std::string what = "the hash index of " + field.name;
        const auto* h =
            reinterpret_cast<const dbHashTableHeader*>(indexObject(hashId, dbHashTableMarker, what));
        if (!h)
            return;
        if (h->size < dbHandlesPerPage - 1 || ((h->size + 1) & h->size) != 0)
            return error(what + " has an invalid size " + num(h->size));
        const std::uint32_t pages = (h->size + 1) / dbHandlesPerPage;
        if (h->page < dbFirstUserId || std::uint64_t(h->page) + pages > used)
            return error(what + " has its bucket pages outside the object index");
        std::vector<oid_t> found;
        std::uint32_t nonEmpty = 0;
        for (std::uint32_t p = 0; p < pages; p++) {
            const auto* heads =
                reinterpret_cast<const oid_t*>(indexObject(h->page + p, dbPageObjectMarker, what));
            if (!heads)
                return;
            for (std::uint32_t slot = 0; slot < dbHandlesPerPage; slot++) {
                const std::uint32_t bucket = p * dbHandlesPerPage + slot;
                if (heads[slot] != 0)
                    nonEmpty++;
                for (oid_t it = heads[slot]; it != 0;) {
                    const auto* item = reinterpret_cast<const dbHashTableItem*>(
                        indexObject(it, dbHashTableItemMarker, what));
                    if (!item)
                        return;
                    found.push_back(item->record);
                    if (item->hash % h->size != bucket)
                        return error(what + " keeps row " + num(item->record) + " in the wrong bucket");
                    const char* key;
                    std::size_t size;
                    if (liveRow(item->record) && rowKey(item->record, field, key, size) &&
                        dbHashKey(key, size, field.type) != item->hash)
                        return error(what + " keeps row " + num(item->record) +
                                     " under a value the row no longer holds");
                    it = item->next;
                }
            }
        }
        if (nonEmpty != h->used)
            error(what + " counts " + num(h->used) + " used buckets but has " + num(nonEmpty));
        compareRows(found, rows, what);
    }

    void checkTTree(oid_t treeId, const IndexedField& field, const std::vector<oid_t>& rows)
    {
        const std::string what = "the T-tree of " + field.name;
        const auto* tree = reinterpret_cast<const dbTtree*>(indexObject(treeId, dbTtreeMarker, what));
        if (!tree)
            return;
        std::vector<oid_t> inOrder;
        bool ok = true;
        walkNode(tree->root, what, inOrder, ok, 0);
        if (!ok)
            return;
        compareRows(inOrder, rows, what);
        // Keys ascend (a raw binary field's own comparison is unknown here: its order is not checked).
        if (field.type == dbStoredRawBinary)
            return;
        const char *prev = nullptr, *key;
        std::size_t size;
        for (oid_t r : inOrder) {
            if (!liveRow(r) || !rowKey(r, field, key, size))
                continue;
            if (prev && dbCompareKeys(prev, key, field.type, field.size, nullptr) > 0)
                return error(what + " keeps row " + num(r) + " out of order");
            prev = key;
        }
    }

    // The node's height, after appending its rows in order; sets ok to false after an error.
    int walkNode(oid_t nodeId, const std::string& what, std::vector<oid_t>& out, bool& ok, int depth)
    {
        if (nodeId == 0 || !ok)
            return 0;
        if (depth > 64) { // a balanced tree of 2^31 objects is far less deep
            error(what + " is too deep (a cycle?)");
            ok = false;
            return 0;
        }
        const auto* node = reinterpret_cast<const dbTtreeNode*>(indexObject(nodeId, dbTtreeNodeMarker, what));
        if (!node || node->nItems == 0 || node->nItems > dbTtreeNode::pageSize) {
            if (node)
                error(what + " has node " + num(nodeId) + " holding " + num(node->nItems) + " rows");
            ok = false;
            return 0;
        }
        int left = walkNode(node->left, what, out, ok, depth + 1);
        out.insert(out.end(), node->item, node->item + node->nItems);
        int right = walkNode(node->right, what, out, ok, depth + 1);
        if (ok && node->balance != right - left) {
            error(what + " has node " + num(nodeId) + " with a wrong balance");
            ok = false;
        }
        return std::max(left, right) + 1;
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
