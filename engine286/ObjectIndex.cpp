// The object index: oid -> file offset and kind, with copy-on-write of objects and the row

#include "engine286/Messages.h"
// lists of tables.
#include "engine286/Database.h"

#include <cstring>

using dbMessages::invalidReference;

namespace {
} // namespace

// Every change of an index entry goes through here, so that commit knows which index pages
// differ between the two roots (a missed page would lose the update and leak the old version).
void dbDatabase::setIndexEntry(oid_t oid, offs_t value)
{
    storeIndexEntry(&currIndex[oid], value);
    setDirty(oid);
}

void dbDatabase::setDirty(oid_t oid)
{
    monitor->dirtyPagesMap[oid >> 15] |= 1u << ((oid >> 10) & 31);
}

bool dbDatabase::isUnchanged(oid_t oid)
{
    return oid < committedIndexUsed && index[committedRoot][oid] == currIndex[oid];
}

std::uint32_t dbDatabase::objectSize(offs_t entry)
{
    unsigned kind = entry & dbFlagsMask;
    if (kind == dbRowObject)
        return reinterpret_cast<dbRecord*>(baseAddr + (entry & ~dbFlagsMask))->size;
    return dbInternalObjectSize(kind);
}

offs_t dbDatabase::getObjectHandle(oid_t oid)
{
    if (oid >= workingIndexUsed)
        return dbFreeHandleMarker;
    return currIndex[oid];
}

char* dbDatabase::getObject(oid_t oid)
{
    if (oid == 0 || oid >= workingIndexUsed || (currIndex[oid] & dbFreeHandleMarker))
        fatalError("Assertion failed: object id is valid");
    return baseAddr + (currIndex[oid] & ~dbFlagsMask);
}

char* dbDatabase::putObject(oid_t oid)
{
    if (oid == 0 || oid >= workingIndexUsed || (currIndex[oid] & dbFreeHandleMarker))
        fatalError("Assertion failed: object id is valid");
    offs_t entry = currIndex[oid];
    if (isUnchanged(oid)) {
        // The committed root still uses the old region; commit frees it. Its bitmap pages are
        // copied now so that the free at commit never has to allocate.
        std::uint32_t size = objectSize(entry);
        setDirty(oid);
        allocateSpace(size, oid);
        copyBitmapPages(entry & ~dbFlagsMask, size);
    }
    return baseAddr + (currIndex[oid] & ~dbFlagsMask);
}

oid_t dbDatabase::allocateInternalObject(int kind)
{
    oid_t oid = allocateObjectId(1);
    offs_t pos = allocateSpace(dbInternalObjectSize(kind), 0);
    setIndexEntry(oid, pos | offs_t(kind));
    return oid;
}

void dbDatabase::freeObject(oid_t oid)
{
    offs_t entry = currIndex[oid];
    std::uint32_t size = objectSize(entry);
    if (isUnchanged(oid))
        copyBitmapPages(entry & ~dbFlagsMask, size);
    else
        freeSpace(entry & ~dbFlagsMask, size);
    freeObjectId(oid, 1);
}

oid_t dbDatabase::allocateObjectId(int n)
{
    dbRoot& w = header->root[1 - committedRoot];
    if (n == 1 && w.freeList != 0) {
        oid_t oid = w.freeList;
        offs_t entry = currIndex[oid];
        if (oid >= workingIndexUsed || !(entry & dbFreeHandleMarker))
            fatalError("Assertion failed: free object chain is consistent");
        w.freeList = entry & ~dbFreeHandleMarker;
        setDirty(oid);
        return oid;
    }
    if (w.indexSize < workingIndexUsed + std::uint32_t(n)) {
        // A larger working index; the old working array is not used by the committed state
        // (only as its shadow, which commit replaces), so it can be freed at once.
        std::uint64_t newSize = w.indexSize;
        while (newSize < std::uint64_t(workingIndexUsed) + n)
            newSize *= 2;
        if (newSize * 4 > dbMaxFileSize / 4)
            reportError(OutOfMemoryError, "", int(newSize * 4));
        offs_t newPos = allocateSpace(std::uint32_t(newSize * 4), 0);
        offs_t* newIndex = reinterpret_cast<offs_t*>(baseAddr + newPos);
        std::memcpy(newIndex, currIndex, std::size_t(workingIndexUsed) * 4);
        offs_t oldPos = w.index;
        std::uint32_t oldSize = w.indexSize;
        w.index = newPos;
        w.indexSize = std::uint32_t(newSize);
        index[1 - committedRoot] = currIndex = newIndex;
        freeSpace(oldPos, oldSize * 4);
    }
    oid_t oid = workingIndexUsed;
    workingIndexUsed += std::uint32_t(n);
    w.indexUsed = workingIndexUsed;
    return oid;
}

void dbDatabase::freeObjectId(oid_t oid, int n)
{
    dbRoot& w = header->root[1 - committedRoot];
    for (int k = 0; k < n; k++, oid++) {
        setIndexEntry(oid, w.freeList | dbFreeHandleMarker);
        w.freeList = oid;
    }
}

dbRecord* dbDatabase::getRow(oid_t oid)
{
    if (oid == 0 || oid >= workingIndexUsed)
        throw dbException(invalidReference);
    offs_t entry = currIndex[oid];
    if ((entry & (dbFreeHandleMarker | dbFlagsMask)) != 0 || entry < dbPageSize)
        throw dbException(invalidReference);
    auto* row = reinterpret_cast<dbRecord*>(baseAddr + entry);
    if (std::uint64_t(entry) + sizeof(dbRecord) > header->size || row->size < sizeof(dbRecord) ||
        std::uint64_t(entry) + row->size > header->size)
        throw dbException(invalidReference);
    return row;
}

dbRecord* dbDatabase::getWritableRow(oid_t oid)
{
    getRow(oid);
    return reinterpret_cast<dbRecord*>(putObject(oid));
}

dbRecord* dbDatabase::resizeRow(oid_t oid, std::uint32_t newSize)
{
    dbRecord* old = getRow(oid);
    offs_t entry = currIndex[oid];
    std::uint32_t oldSize = old->size;
    oid_t next = old->next, prev = old->prev;
    offs_t pos;
    if (isUnchanged(oid)) {
        setDirty(oid);
        pos = allocateSpace(newSize, 0);
        setIndexEntry(oid, pos);
        copyBitmapPages(entry, oldSize);
    } else if (oldSize != newSize) {
        pos = allocateSpace(newSize, 0);
        setIndexEntry(oid, pos);
        freeSpace(entry, oldSize);
    } else {
        pos = entry;
    }
    auto* row = reinterpret_cast<dbRecord*>(baseAddr + pos);
    row->size = newSize;
    row->next = next;
    row->prev = prev;
    return row;
}

oid_t dbDatabase::allocateRow(oid_t tableId, std::uint32_t size)
{
    if (size < sizeof(dbRecord))
        size = sizeof(dbRecord);
    dbTable* table = getWritableTable(tableId);
    oid_t oid = allocateObjectId(1);
    offs_t pos = allocateSpace(size, 0);
    setIndexEntry(oid, pos);
    table = reinterpret_cast<dbTable*>(baseAddr + currIndex[tableId]);
    auto* row = reinterpret_cast<dbRecord*>(baseAddr + pos);
    row->size = size;
    row->next = 0;
    row->prev = table->lastRow;
    if (table->lastRow != 0) {
        // Copy-on-write like every other change: a committed row is never written in place, so
        // concurrent readers never follow a link to a row that is not theirs to see, and the
        // regions a commit record names stay as they were until the next commit.
        getWritableRow(table->lastRow)->next = oid;
    } else {
        table->firstRow = oid;
    }
    table->lastRow = oid;
    table->nRows += 1;
    dbCrashPoint("allocateRow.linked");
    return oid;
}

void dbDatabase::unlinkRow(oid_t tableId, oid_t oid)
{
    dbTable* table = getWritableTable(tableId);
    dbRecord* row = getRow(oid);
    oid_t next = row->next, prev = row->prev;
    if (prev != 0)
        getWritableRow(prev)->next = next;
    else
        table->firstRow = next;
    if (next != 0)
        getWritableRow(next)->prev = prev;
    else
        table->lastRow = prev;
    table->nRows -= 1;
    offs_t entry = currIndex[oid];
    std::uint32_t size = reinterpret_cast<dbRecord*>(baseAddr + entry)->size;
    if (isUnchanged(oid))
        copyBitmapPages(entry, size);
    else
        freeSpace(entry, size);
    freeObjectId(oid, 1);
}
