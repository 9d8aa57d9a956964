#include "engine286/Records.h"

#include "engine286/HashIndex.h"
#include "engine286/Messages.h"
#include "engine286/StoredRow.h"
#include "engine286/TTree.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <cstring>
#include <vector>

using dbMessages::corruptRow;

namespace {

inline std::size_t alignUp(std::size_t x, std::size_t a)
{
    return a <= 1 ? x : (x + a - 1) / a * a;
}

dbCursorNotifier cursorNotifier = nullptr;

// The rows being removed by this thread (nested through cascade removal) and the row whose
// update is in progress. Only the thread holding the write lock changes rows, so per-thread
// state is exactly the database's state while it matters.
struct RemovalFrame {
    dbDatabase* db;
    oid_t oid;
    RemovalFrame* next;
};
thread_local RemovalFrame* removalChain = nullptr;
thread_local oid_t recordUnderUpdate = 0;
thread_local dbTableDescriptor* tableBeingEmptied = nullptr;

struct RemovalScope {
    RemovalFrame frame;
    RemovalScope(dbDatabase& db, oid_t oid) : frame{&db, oid, removalChain} { removalChain = &frame; }
    ~RemovalScope() { removalChain = frame.next; }
};

bool onRemovalChain(dbDatabase& db, oid_t oid)
{
    for (RemovalFrame* f = removalChain; f; f = f->next) {
        if (f->db == &db && f->oid == oid)
            return true;
    }
    return false;
}

void notifyCursors(dbDatabase& db, oid_t oid, bool removed)
{
    if (cursorNotifier)
        cursorNotifier(db, oid, removed);
}

const dbVarying* storedVarying(const char* base, const dbFieldDescriptor* fd, const dbStoredRow& b)
{
    return b.varying(base + fd->dbsOffs);
}

const char* storedString(const char* base, const dbFieldDescriptor* fd, const dbStoredRow& b,
                         std::uint32_t* size)
{
    return b.text(base, fd->dbsOffs, size);
}

// Elements of a stored array, checked against the row.
const char* storedArray(const char* base, const dbFieldDescriptor* fd, const dbStoredRow& b,
                        std::uint32_t* count)
{
    const dbVarying* v = storedVarying(base, fd, b);
    *count = v->size;
    const char* p = base + v->offs;
    if (v->size != 0)
        b.at(p, std::uint64_t(v->size) * fd->components->dbsSize);
    return p;
}

dbRecord* checkedRow(dbDatabase& db, dbTableDescriptor* table, oid_t oid)
{
    dbRecord* row = db.getRow(oid);
    if (row->size < table->fixedSize)
        throw dbException(corruptRow);
    return row;
}

void requireBound(dbDatabase& db, dbTableDescriptor* table)
{
    if (!db.isOpen())
        throw dbException("Database is not opened");
    if (table->tableId == 0 || table->db != &db)
        throw dbException("Table is not bound to this database");
}

void unpackFields(dbFieldDescriptor* fields, char* dst, const char* src, const dbStoredRow& b)
{
    dbFieldDescriptor* fd = fields;
    do {
        char* d = dst + fd->appOffs;
        const char* s = src + fd->dbsOffs;
        switch (fd->type) {
        case tpString:
            *reinterpret_cast<const char**>(d) = storedString(src, fd, b, nullptr);
            break;
        case tpArray: {
            std::uint32_t n;
            const char* elems = storedArray(src, fd, b, &n);
            auto* arr = reinterpret_cast<dbAnyArray*>(d);
            dbFieldDescriptor* elem = fd->components;
            if (fd->attr & dbFieldDescriptor::OneToOneMapping) {
                fd->arrayAllocator(arr, const_cast<char*>(elems), n);
            } else {
                fd->arrayAllocator(arr, nullptr, n);
                char* data = static_cast<char*>(arr->data);
                for (std::uint32_t i = 0; i < n; i++)
                    unpackFields(elem, data + i * elem->appSize, elems + i * elem->dbsSize, b);
            }
            break;
        }
        case tpStructure:
            unpackFields(fd->components, d, src, b);
            break;
        default:
            std::memcpy(d, s, fd->dbsSize);
            break;
        }
    } while ((fd = fd->next) != fields);
}

// Copies the variable parts of a stored row or element (src) behind the fixed part of dst,
// compacted from offs on, and points dst's strings and arrays at the copies. dst null: only
// measures. skip: a field left out (its caller places it). Returns the end of the variable part.
std::size_t copyVarying(dbFieldDescriptor* fields, char* dst, const char* src, std::size_t offs,
                        const dbStoredRow& b, const dbFieldDescriptor* skip)
{
    dbFieldDescriptor* fd = fields;
    do {
        if (fd == skip)
            continue;
        switch (fd->type) {
        case tpString: {
            std::uint32_t size;
            const char* s = storedString(src, fd, b, &size);
            if (dst) {
                std::memcpy(dst + offs, s, size);
                auto* v = reinterpret_cast<dbVarying*>(dst + fd->dbsOffs);
                v->size = size;
                v->offs = offs_t(offs);
            }
            offs += size;
            break;
        }
        case tpArray: {
            std::uint32_t n;
            const char* elems = storedArray(src, fd, b, &n);
            dbFieldDescriptor* elem = fd->components;
            offs = alignUp(offs, elem->alignment);
            std::size_t slot = offs;
            offs += std::size_t(n) * elem->dbsSize;
            if (dst) {
                std::memcpy(dst + slot, elems, std::size_t(n) * elem->dbsSize);
                auto* v = reinterpret_cast<dbVarying*>(dst + fd->dbsOffs);
                v->size = n;
                v->offs = offs_t(slot);
            }
            if (fd->attr & dbFieldDescriptor::HasArrayComponents) {
                for (std::uint32_t i = 0; i < n; i++) {
                    std::size_t at = slot + i * elem->dbsSize;
                    offs = at + copyVarying(elem, dst ? dst + at : nullptr, elems + i * elem->dbsSize,
                                            offs - at, b, nullptr);
                }
            }
            break;
        }
        case tpStructure:
            if (fd->attr & dbFieldDescriptor::HasArrayComponents)
                offs = copyVarying(fd->components, dst, src, offs, b, skip);
            break;
        default:
            break;
        }
    } while ((fd = fd->next) != fields);
    return offs;
}

// The end of the furthest variable part of src (relative to rowBase), leaving skip out.
std::size_t varyingEnd(dbFieldDescriptor* fields, const char* src, std::size_t at, const dbStoredRow& b,
                       const dbFieldDescriptor* skip)
{
    std::size_t end = 0;
    dbFieldDescriptor* fd = fields;
    do {
        if (fd == skip)
            continue;
        if (fd->type == tpString) {
            const dbVarying* v = storedVarying(src, fd, b);
            end = std::max<std::size_t>(end, at + v->offs + v->size);
        } else if (fd->type == tpArray) {
            std::uint32_t n;
            const char* elems = storedArray(src, fd, b, &n);
            dbFieldDescriptor* elem = fd->components;
            std::size_t slot = at + std::size_t(elems - src);
            if (n != 0)
                end = std::max<std::size_t>(end, slot + std::size_t(n) * elem->dbsSize);
            if (fd->attr & dbFieldDescriptor::HasArrayComponents) {
                for (std::uint32_t i = 0; i < n; i++)
                    end = std::max(end, varyingEnd(elem, elems + i * elem->dbsSize, slot + i * elem->dbsSize,
                                                   b, nullptr));
            }
        } else if (fd->type == tpStructure && (fd->attr & dbFieldDescriptor::HasArrayComponents)) {
            end = std::max(end, varyingEnd(fd->components, src, at, b, skip));
        }
    } while ((fd = fd->next) != fields);
    return end;
}

// Inverse maintenance writes a field of another row behind the application's back: the field's
// own indices must follow, or a search through them misses the row and removing the row later
// finds the index corrupted. The row leaves them under its old value and comes back under the
// new one.
struct FieldIndexUpdate {
    dbDatabase& db;
    dbFieldDescriptor* field;
    oid_t oid;
    FieldIndexUpdate(dbDatabase& db, dbFieldDescriptor* field, oid_t oid) : db(db), field(field), oid(oid)
    {
        if (field->hashTable != 0)
            removeFromHashTable(db, field->hashTable, oid, field->type, int(field->dbsSize), field->dbsOffs);
        if (field->tTree != 0)
            removeFromTTree(db, field->tTree, oid, field->type, int(field->dbsSize), field->comparator,
                            field->dbsOffs);
    }
    void done()
    {
        if (field->hashTable != 0)
            insertInHashTable(db, field->hashTable, oid, field->type, int(field->dbsSize), field->dbsOffs, 0);
        if (field->tTree != 0)
            insertInTTree(db, field->tTree, oid, field->type, int(field->dbsSize), field->comparator,
                          field->dbsOffs);
    }
};

void insertInverseReference(dbDatabase& db, dbFieldDescriptor* fd, oid_t from, oid_t to)
{
    dbFieldDescriptor* t = fd->inverseRef;
    if (from == to || t == nullptr)
        return;
    dbTableDescriptor* table = t->defTable;
    if (t->type == tpReference) {
        checkedRow(db, table, to);
        FieldIndexUpdate indices(db, t, to);
        auto* row = reinterpret_cast<char*>(db.getWritableRow(to));
        std::memcpy(row + t->dbsOffs, &from, sizeof from);
        indices.done();
    } else {
        checkedRow(db, table, to);
        FieldIndexUpdate indices(db, t, to);
        const char* old = reinterpret_cast<const char*>(checkedRow(db, table, to));
        const std::uint32_t oldSize = reinterpret_cast<const dbRecord*>(old)->size;
        dbStoredRow ob{old, oldSize};
        std::uint32_t count;
        const char* oldElems = storedArray(old, t, ob, &count);
        // The other fields compacted, then t's elements from base on.
        const std::size_t others = copyVarying(table->columns, nullptr, old, table->fixedSize, ob, t);
        const std::size_t base = alignUp(others, 4);
        std::size_t newSize = oldSize;
        if (newSize < base + 4 * (std::size_t(count) + 1))
            newSize = base + 8 * (std::size_t(count) + 1);
        // Appending in place needs t's elements at base with nothing else behind them.
        const bool inPlaceShape =
            std::size_t(oldElems - old) == base && varyingEnd(table->columns, old, 0, ob, t) <= base;
        // A copy of the old version: the new version may be the same object.
        dbSmallBuffer copy(oldSize);
        std::memcpy(copy.base(), old, oldSize);
        dbStoredRow cb{copy.base(), oldSize};
        char* row = reinterpret_cast<char*>(db.resizeRow(to, std::uint32_t(newSize)));
        const dbRecord saved = *reinterpret_cast<dbRecord*>(row);
        if (row == old && inPlaceShape) {
            std::memcpy(row + base + 4 * std::size_t(count), &from, 4);
            reinterpret_cast<dbVarying*>(row + t->dbsOffs)->size = count + 1;
        } else {
            std::memset(row + sizeof(dbRecord), 0, newSize - sizeof(dbRecord));
            std::memcpy(row + sizeof(dbRecord), copy.base() + sizeof(dbRecord),
                        table->fixedSize - sizeof(dbRecord));
            copyVarying(table->columns, row, copy.base(), table->fixedSize, cb, t);
            std::memcpy(row + base, copy.base() + (oldElems - old), std::size_t(count) * 4);
            std::memcpy(row + base + 4 * std::size_t(count), &from, 4);
            auto* v = reinterpret_cast<dbVarying*>(row + t->dbsOffs);
            v->size = count + 1;
            v->offs = offs_t(base);
            *reinterpret_cast<dbRecord*>(row) = saved;
        }
        indices.done();
    }
    notifyCursors(db, to, false);
}

void removeInverseReference(dbDatabase& db, dbFieldDescriptor* fd, oid_t from, oid_t to)
{
    dbFieldDescriptor* t = fd->inverseRef;
    if (from == to || t == nullptr || to == recordUnderUpdate || onRemovalChain(db, to))
        return;
    offs_t handle = db.getObjectHandle(to);
    if (handle & (dbFreeHandleMarker | dbFlagsMask))
        return; // already gone (or not a row at all)
    dbTableDescriptor* table = t->defTable;
    if (table == tableBeingEmptied)
        return;
    const char* old = reinterpret_cast<const char*>(checkedRow(db, table, to));
    dbStoredRow ob{old, reinterpret_cast<const dbRecord*>(old)->size};
    std::uint32_t count = 0;
    if (t->type == tpArray)
        storedArray(old, t, ob, &count);
    if ((fd->indexType & DB_FIELD_CASCADE_DELETE) && (t->type == tpReference || count < 2)) {
        dbRemoveRecord(db, table, to);
        return;
    }
    if (t->type != tpArray) {
        oid_t cur;
        std::memcpy(&cur, reinterpret_cast<const char*>(old) + t->dbsOffs, 4);
        if (cur != from)
            return;
    }
    FieldIndexUpdate indices(db, t, to);
    char* row = reinterpret_cast<char*>(db.getWritableRow(to));
    if (t->type == tpArray) {
        auto* v = reinterpret_cast<dbVarying*>(row + t->dbsOffs);
        oid_t* elems = reinterpret_cast<oid_t*>(row + v->offs);
        for (std::uint32_t i = v->size; i-- > 0;) {
            oid_t e;
            std::memcpy(&e, &elems[i], 4);
            if (e == from) {
                std::memmove(&elems[i], &elems[i + 1], (v->size - i - 1) * 4);
                v->size -= 1;
                break;
            }
        }
    } else {
        const oid_t none = 0;
        std::memcpy(row + t->dbsOffs, &none, 4);
    }
    indices.done();
    notifyCursors(db, to, false);
}

// Sets Updated on every indexed field whose value in record differs from the stored row.
void flagChangedIndexedFields(dbTableDescriptor* table, const char* row, const dbStoredRow& b,
                              const char* record)
{
    auto flag = [&](dbFieldDescriptor* fd) {
        const char* app = record + fd->recordOffs;
        bool changed;
        if (fd->type == tpString) {
            const char* s = *reinterpret_cast<const char* const*>(app);
            changed = std::strcmp(storedString(row, fd, b, nullptr), s ? s : "") != 0;
        } else {
            changed = dbCompareKeys(row + fd->dbsOffs, app, fd->type, int(fd->dbsSize), fd->comparator) != 0;
        }
        if (changed)
            fd->attr |= dbFieldDescriptor::Updated;
    };
    for (dbFieldDescriptor* fd = table->hashedFields; fd; fd = fd->nextHashedField)
        flag(fd);
    for (dbFieldDescriptor* fd = table->indexedFields; fd; fd = fd->nextIndexedField)
        flag(fd);
}

} // namespace

dbEvaluatorScratch::~dbEvaluatorScratch()
{
    while (Block* b = blocks) {
        blocks = b->next;
        ::operator delete(b);
    }
}

void* dbEvaluatorScratch::allocate(std::size_t n)
{
    const std::size_t rounded = (n + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
    if (rounded <= inlineSize - used) {
        void* p = area + used;
        used += rounded;
        return p;
    }
    // A block of its own, behind a header that keeps the chain.
    const std::size_t header =
        (sizeof(Block) + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
    auto* b = static_cast<Block*>(::operator new(header + n));
    b->next = blocks;
    blocks = b;
    return reinterpret_cast<char*>(b) + header;
}

void dbSetCursorNotifier(dbCursorNotifier notifier)
{
    cursorNotifier = notifier;
}

std::size_t dbStoredRecordSize(dbFieldDescriptor* fields, const void* record, std::size_t size)
{
    const char* src = static_cast<const char*>(record);
    dbFieldDescriptor* fd = fields;
    do {
        const char* s = src + fd->appOffs;
        switch (fd->type) {
        case tpString: {
            const char* str = *reinterpret_cast<const char* const*>(s);
            size += str ? std::strlen(str) + 1 : 1;
            break;
        }
        case tpArray: {
            const auto* arr = reinterpret_cast<const dbAnyArray*>(s);
            dbFieldDescriptor* elem = fd->components;
            std::size_t n = arr->data ? arr->nElems : 0;
            size = alignUp(size, elem->alignment) + n * elem->dbsSize;
            if (fd->attr & dbFieldDescriptor::HasArrayComponents) {
                for (std::size_t i = 0; i < n; i++)
                    size = dbStoredRecordSize(elem, static_cast<const char*>(arr->data) + i * elem->appSize,
                                              size);
            }
            break;
        }
        case tpStructure:
            if (fd->attr & dbFieldDescriptor::HasArrayComponents)
                size = dbStoredRecordSize(fd->components, s, size);
            break;
        default:
            break;
        }
    } while ((fd = fd->next) != fields);
    return size;
}

std::size_t dbPackRecord(dbFieldDescriptor* fields, char* dst, const void* record, std::size_t offs)
{
    const char* src = static_cast<const char*>(record);
    dbFieldDescriptor* fd = fields;
    do {
        char* d = dst + fd->dbsOffs;
        const char* s = src + fd->appOffs;
        switch (fd->type) {
        case tpString: {
            const char* str = *reinterpret_cast<const char* const*>(s);
            std::size_t len = str ? std::strlen(str) + 1 : 1;
            if (str)
                std::memcpy(dst + offs, str, len);
            else
                dst[offs] = '\0';
            auto* v = reinterpret_cast<dbVarying*>(d);
            v->size = std::uint32_t(len);
            v->offs = offs_t(offs);
            offs += len;
            break;
        }
        case tpArray: {
            const auto* arr = reinterpret_cast<const dbAnyArray*>(s);
            dbFieldDescriptor* elem = fd->components;
            std::size_t n = arr->data ? arr->nElems : 0;
            offs = alignUp(offs, elem->alignment);
            auto* v = reinterpret_cast<dbVarying*>(d);
            v->size = std::uint32_t(n);
            v->offs = offs_t(offs);
            const std::size_t slot = offs;
            offs += n * elem->dbsSize;
            const char* data = static_cast<const char*>(arr->data);
            if (n != 0 && (fd->attr & dbFieldDescriptor::OneToOneMapping)) {
                std::memcpy(dst + slot, data, n * elem->dbsSize);
            } else {
                for (std::size_t i = 0; i < n; i++) {
                    std::size_t at = slot + i * elem->dbsSize;
                    offs = at + dbPackRecord(elem, dst + at, data + i * elem->appSize, offs - at);
                }
            }
            break;
        }
        case tpStructure:
            offs = dbPackRecord(fd->components, dst, s, offs);
            break;
        case tpBool:
        case tpInt1:
            *d = *s;
            break;
        default:
            std::memcpy(d, s, fd->dbsSize);
            break;
        }
    } while ((fd = fd->next) != fields);
    return offs;
}

void dbUnpackRecord(dbTableDescriptor* table, void* record, const dbRecord* row)
{
    if (row->size < table->fixedSize)
        throw dbException(corruptRow);
    const char* src = reinterpret_cast<const char*>(row);
    dbStoredRow b{src, row->size};
    unpackFields(table->columns, static_cast<char*>(record), src, b);
}

oid_t dbInsertRecord(dbDatabase& db, dbTableDescriptor* table, const void* record)
{
    requireBound(db, table);
    db.beginTransaction(dbExclusiveLock);
    const std::size_t size = dbStoredRecordSize(table->columns, record, table->fixedSize);
    if (size > 0x7FFFFFFFu)
        throw dbException("Record is too large");
    const oid_t oid = db.allocateRow(table->tableId, std::uint32_t(size));
    char* row = reinterpret_cast<char*>(db.getRow(oid));
    std::memset(row + sizeof(dbRecord), 0, size - sizeof(dbRecord));
    dbPackRecord(table->columns, row, record, table->fixedSize);

    for (dbFieldDescriptor* fd = table->inverseFields; fd; fd = fd->nextInverseField) {
        const char* app = static_cast<const char*>(record) + fd->recordOffs;
        if (fd->type == tpArray) {
            const auto* arr = reinterpret_cast<const dbAnyArray*>(app);
            const oid_t* elems = static_cast<const oid_t*>(arr->data);
            for (std::size_t i = elems ? arr->nElems : 0; i-- > 0;) {
                if (elems[i] != 0)
                    insertInverseReference(db, fd, oid, elems[i]);
            }
        } else {
            oid_t target = *reinterpret_cast<const oid_t*>(app);
            if (target != 0)
                insertInverseReference(db, fd, oid, target);
        }
    }
    const std::uint32_t nRows = std::uint32_t(db.getTable(table->tableId)->nRows);
    for (dbFieldDescriptor* fd = table->hashedFields; fd; fd = fd->nextHashedField)
        insertInHashTable(db, fd->hashTable, oid, fd->type, int(fd->dbsSize), fd->dbsOffs, nRows);
    for (dbFieldDescriptor* fd = table->indexedFields; fd; fd = fd->nextIndexedField)
        insertInTTree(db, fd->tTree, oid, fd->type, int(fd->dbsSize), fd->comparator, fd->dbsOffs);
    return oid;
}

void dbUpdateRecord(dbDatabase& db, oid_t oid, dbTableDescriptor* table, const void* record)
{
    requireBound(db, table);
    db.beginTransaction(dbExclusiveLock);
    const char* app = static_cast<const char*>(record);
    const char* old = reinterpret_cast<const char*>(checkedRow(db, table, oid));
    dbStoredRow ob{old, reinterpret_cast<const dbRecord*>(old)->size};
    const std::size_t newSize = dbStoredRecordSize(table->columns, record, table->fixedSize);
    if (newSize > 0x7FFFFFFFu)
        throw dbException("Record is too large");
    // Indexed values that change leave their indices before the row changes and come back after.
    struct UpdatedFlags {
        dbTableDescriptor* table;
        ~UpdatedFlags()
        {
            for (dbFieldDescriptor* fd = table->firstField; fd; fd = fd->nextField)
                fd->attr &= ~dbFieldDescriptor::Updated;
        }
    } clearFlags{table};
    flagChangedIndexedFields(table, old, ob, app);

    recordUnderUpdate = oid;
    {
        TScopeExit notUnderUpdate([] { recordUnderUpdate = 0; });
        for (dbFieldDescriptor* fd = table->inverseFields; fd; fd = fd->nextInverseField) {
            const char* a = app + fd->recordOffs;
            old = reinterpret_cast<const char*>(checkedRow(db, table, oid));
            ob = dbStoredRow{old, reinterpret_cast<const dbRecord*>(old)->size};
            if (fd->type == tpArray) {
                std::uint32_t oldCount;
                const char* oldElems = storedArray(old, fd, ob, &oldCount);
                std::vector<oid_t> was(oldCount);
                std::memcpy(was.data(), oldElems, std::size_t(oldCount) * 4);
                const auto* arr = reinterpret_cast<const dbAnyArray*>(a);
                const oid_t* now = static_cast<const oid_t*>(arr->data);
                const std::size_t nowCount = now ? arr->nElems : 0;
                // Matches are searched from where the previous one was found, so an unchanged order
                // costs one pass.
                auto contains = [](const oid_t* v, std::size_t n, oid_t x, std::size_t& from) {
                    for (std::size_t k = 0; k < n; k++) {
                        std::size_t j = (from + k) % n;
                        if (v[j] == x) {
                            from = j + 1;
                            return true;
                        }
                    }
                    return false;
                };
                std::size_t pos = 0;
                for (std::uint32_t i = 0; i < oldCount; i++) {
                    if (was[i] != 0 && !contains(now, nowCount, was[i], pos))
                        removeInverseReference(db, fd, oid, was[i]);
                }
                pos = 0;
                for (std::size_t i = 0; i < nowCount; i++) {
                    if (now[i] != 0 && !contains(was.data(), oldCount, now[i], pos))
                        insertInverseReference(db, fd, oid, now[i]);
                }
            } else {
                oid_t was, now;
                std::memcpy(&was, old + fd->dbsOffs, 4);
                std::memcpy(&now, a, 4);
                if (was != now) {
                    if (was != 0)
                        removeInverseReference(db, fd, oid, was);
                    if (now != 0)
                        insertInverseReference(db, fd, oid, now);
                }
            }
        }
    }

    for (dbFieldDescriptor* fd = table->hashedFields; fd; fd = fd->nextHashedField) {
        if (fd->attr & dbFieldDescriptor::Updated)
            removeFromHashTable(db, fd->hashTable, oid, fd->type, int(fd->dbsSize), fd->dbsOffs);
    }
    for (dbFieldDescriptor* fd = table->indexedFields; fd; fd = fd->nextIndexedField) {
        if (fd->attr & dbFieldDescriptor::Updated)
            removeFromTTree(db, fd->tTree, oid, fd->type, int(fd->dbsSize), fd->comparator, fd->dbsOffs);
    }

    // The record's strings may point into the old version, which resizeRow may free at once:
    // nothing is allocated between the resize and the packing, so they are still intact.
    old = reinterpret_cast<const char*>(db.getRow(oid));
    char* row = reinterpret_cast<char*>(db.resizeRow(oid, std::uint32_t(newSize)));
    if (row == old) {
        // The very object being read: pack aside, then copy over.
        dbSmallBuffer buf(newSize);
        std::memset(buf.base(), 0, newSize);
        dbPackRecord(table->columns, buf.base(), record, table->fixedSize);
        std::memcpy(row + sizeof(dbRecord), buf.base() + sizeof(dbRecord), newSize - sizeof(dbRecord));
    } else {
        std::memset(row + sizeof(dbRecord), 0, newSize - sizeof(dbRecord));
        dbPackRecord(table->columns, row, record, table->fixedSize);
    }

    for (dbFieldDescriptor* fd = table->hashedFields; fd; fd = fd->nextHashedField) {
        if (fd->attr & dbFieldDescriptor::Updated)
            insertInHashTable(db, fd->hashTable, oid, fd->type, int(fd->dbsSize), fd->dbsOffs, 0);
    }
    for (dbFieldDescriptor* fd = table->indexedFields; fd; fd = fd->nextIndexedField) {
        if (fd->attr & dbFieldDescriptor::Updated)
            insertInTTree(db, fd->tTree, oid, fd->type, int(fd->dbsSize), fd->comparator, fd->dbsOffs);
    }
    notifyCursors(db, oid, false);
}

namespace {

// Takes the row out of the inverse fields of the rows it refers to. The row is read afresh for
// each field: removing one reference may cascade into removing or resizing other rows, which can
// grow and remap the file and leave an earlier pointer into it dangling. The caller has put the
// row on the removal chain, so the cascade never changes the row itself.
void removeInverseReferencesOf(dbDatabase& db, dbTableDescriptor* table, oid_t oid)
{
    for (dbFieldDescriptor* fd = table->inverseFields; fd; fd = fd->nextInverseField) {
        const char* row = reinterpret_cast<const char*>(checkedRow(db, table, oid));
        dbStoredRow b{row, reinterpret_cast<const dbRecord*>(row)->size};
        if (fd->type == tpArray) {
            std::uint32_t n;
            const char* elems = storedArray(row, fd, b, &n);
            std::vector<oid_t> targets(n);
            std::memcpy(targets.data(), elems, std::size_t(n) * 4);
            for (std::uint32_t i = n; i-- > 0;) {
                if (targets[i] != 0)
                    removeInverseReference(db, fd, oid, targets[i]);
            }
        } else {
            oid_t target;
            std::memcpy(&target, row + fd->dbsOffs, 4);
            if (target != 0)
                removeInverseReference(db, fd, oid, target);
        }
    }
}

} // namespace

void dbRemoveRecord(dbDatabase& db, dbTableDescriptor* table, oid_t oid)
{
    requireBound(db, table);
    db.beginTransaction(dbExclusiveLock);
    checkedRow(db, table, oid);
    {
        RemovalScope scope(db, oid);
        removeInverseReferencesOf(db, table, oid);
    }
    for (dbFieldDescriptor* fd = table->hashedFields; fd; fd = fd->nextHashedField)
        removeFromHashTable(db, fd->hashTable, oid, fd->type, int(fd->dbsSize), fd->dbsOffs);
    for (dbFieldDescriptor* fd = table->indexedFields; fd; fd = fd->nextIndexedField)
        removeFromTTree(db, fd->tTree, oid, fd->type, int(fd->dbsSize), fd->comparator, fd->dbsOffs);
    db.unlinkRow(table->tableId, oid);
    notifyCursors(db, oid, true);
}

void dbRemoveAllRows(dbDatabase& db, dbTableDescriptor* table)
{
    requireBound(db, table);
    db.beginTransaction(dbExclusiveLock);
    dbTable* t = db.getWritableTable(table->tableId);
    oid_t next = t->firstRow;
    const std::uint32_t limit = std::uint32_t(t->nRows);
    t->firstRow = t->lastRow = 0;
    t->nRows = 0;
    struct Emptying {
        dbTableDescriptor* saved = tableBeingEmptied;
        explicit Emptying(dbTableDescriptor* t) { tableBeingEmptied = t; }
        ~Emptying() { tableBeingEmptied = saved; }
    } emptying(table);
    std::uint32_t steps = 0;
    while (next != 0) {
        if (++steps > limit + 1)
            throw dbException(corruptRow); // a cycle in the row list
        const oid_t oid = next;
        const char* row = reinterpret_cast<const char*>(checkedRow(db, table, oid));
        next = reinterpret_cast<const dbRecord*>(row)->next;
        RemovalScope scope(db, oid);
        removeInverseReferencesOf(db, table, oid);
        // Rows unchanged in this transaction keep their space until commit.
        db.freeObject(oid);
        notifyCursors(db, oid, true);
    }
    for (dbFieldDescriptor* fd = table->hashedFields; fd; fd = fd->nextHashedField)
        clearHashTable(db, fd->hashTable);
    for (dbFieldDescriptor* fd = table->indexedFields; fd; fd = fd->nextIndexedField)
        clearTTree(db, fd->tTree);
}

void dbDatabase::insertRecord(dbTableDescriptor* table, oid_t* oid, const void* record)
{
    oid_t id = dbInsertRecord(*this, table, record);
    if (oid)
        *oid = id;
}

void dbDatabase::updateRecord(oid_t oid, dbTableDescriptor* table, const void* record)
{
    dbUpdateRecord(*this, oid, table, record);
}

void dbDatabase::removeRecord(dbTableDescriptor* table, oid_t oid)
{
    dbRemoveRecord(*this, table, oid);
}

void dbDatabase::removeAllRows(dbTableDescriptor* table)
{
    dbRemoveAllRows(*this, table);
}
