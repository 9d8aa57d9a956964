#include "engine286/HashIndex.h"

#include "engine286/Descriptors.h"
#include "engine286/Messages.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using dbMessages::corruptIndex;

namespace {

dbHashTableHeader* header(dbDatabase& db, oid_t hashId)
{
    auto* h = reinterpret_cast<dbHashTableHeader*>(dbGetIndexObject(db, hashId, dbHashTableMarker));
    if (h->size != 0 && (((h->size + 1) & h->size) != 0 || h->size + 1 < dbHandlesPerPage))
        throw dbException(corruptIndex);
    return h;
}

oid_t pageOf(const dbHashTableHeader* h, std::uint32_t bucket)
{
    return h->page + bucket / dbHandlesPerPage;
}

oid_t* bucketPage(dbDatabase& db, oid_t page)
{
    return reinterpret_cast<oid_t*>(dbGetIndexObject(db, page, dbPageObjectMarker));
}

oid_t* writableBucketPage(dbDatabase& db, oid_t page)
{
    return reinterpret_cast<oid_t*>(dbPutIndexObject(db, page, dbPageObjectMarker));
}

dbHashTableItem* item(dbDatabase& db, oid_t itemId)
{
    return reinterpret_cast<dbHashTableItem*>(dbGetIndexObject(db, itemId, dbHashTableItemMarker));
}

// Chains can never be longer than the number of objects; a longer walk means a cycle.
struct ChainGuard {
    std::uint32_t limit, steps = 0;
    explicit ChainGuard(dbDatabase& db) : limit(db.getWorkingIndexUsed()) {}
    void step()
    {
        if (++steps > limit)
            throw dbException(corruptIndex);
    }
};

// Consecutive page objects, taken from the end of the object index: the oids on the free chain
// are set aside first and given back afterwards (only ids move, no space is allocated for them).
oid_t allocatePages(dbDatabase& db, std::uint32_t n)
{
    std::vector<oid_t> setAside;
    for (;;) {
        const oid_t end = db.getWorkingIndexUsed();
        oid_t oid = db.allocateObjectId(1);
        if (oid == end) {
            // The free chain is empty; this id becomes its only entry and the first page.
            db.freeObjectId(oid, 1);
            break;
        }
        setAside.push_back(oid);
    }
    oid_t first = 0;
    for (std::uint32_t i = 0; i < n; i++) {
        oid_t page = db.allocateInternalObject(dbPageObjectMarker);
        if (i == 0)
            first = page;
        else if (page != first + i)
            throw dbException("Failed to allocate consecutive index pages");
        std::memset(db.getObject(page), 0, dbPageSize);
    }
    for (auto it = setAside.rbegin(); it != setAside.rend(); ++it)
        db.freeObjectId(*it, 1);
    return first;
}

void grow(dbDatabase& db, oid_t hashId, std::uint32_t newSize)
{
    dbHashTableHeader* h = header(db, hashId);
    const std::uint32_t oldSize = h->size;
    const oid_t oldPage = h->page;
    const std::uint32_t nOldPages = (oldSize + 1) / dbHandlesPerPage;
    const std::uint32_t nNewPages = (newSize + 1) / dbHandlesPerPage;
    oid_t newPage = allocatePages(db, nNewPages);
    std::uint32_t used = 0;
    ChainGuard guard(db);
    for (std::uint32_t p = 0; p < nOldPages; p++) {
        for (std::uint32_t slot = 0; slot < dbHandlesPerPage; slot++) {
            oid_t itemId = bucketPage(db, oldPage + p)[slot];
            while (itemId != 0) {
                guard.step();
                dbHashTableItem* it = item(db, itemId);
                oid_t following = it->next;
                std::uint32_t bucket = it->hash % newSize;
                oid_t* heads = reinterpret_cast<oid_t*>(db.getObject(newPage + bucket / dbHandlesPerPage));
                oid_t head = heads[bucket % dbHandlesPerPage];
                if (head == 0)
                    used += 1;
                if (it->next != head)
                    reinterpret_cast<dbHashTableItem*>(db.putObject(itemId))->next = head;
                heads[bucket % dbHandlesPerPage] = itemId; // a page of this transaction: in place
                itemId = following;
            }
        }
    }
    for (std::uint32_t p = 0; p < nOldPages; p++)
        db.freeObject(oldPage + p);
    h = reinterpret_cast<dbHashTableHeader*>(db.putObject(hashId));
    h->size = newSize;
    h->used = used;
    h->page = newPage;
}

} // namespace

std::uint32_t dbHashKey(const void* key, std::size_t size, int type)
{
    const unsigned char* p = static_cast<const unsigned char*>(key);
    double d;
    float f;
    if (type == tpReal8) {
        std::memcpy(&d, key, 8);
        if (d == 0)
            d = 0.0;
        else if (std::isnan(d))
            d = std::numeric_limits<double>::quiet_NaN();
        p = reinterpret_cast<const unsigned char*>(&d);
    } else if (type == tpReal4) {
        std::memcpy(&f, key, 4);
        if (f == 0)
            f = 0.0f;
        else if (std::isnan(f))
            f = std::numeric_limits<float>::quiet_NaN();
        p = reinterpret_cast<const unsigned char*>(&f);
    }
    std::uint32_t h = 0;
    for (std::size_t i = 0; i < size; i++)
        h = h * 31 + p[i];
    return h;
}

namespace {
// The next bucket count after size: 2 × size + 1, once more when that is a multiple of 31 (every
// fifth one is). The stored hash multiplies by 31 at each byte, so keys whose last hashed byte is
// 0 (little-endian integers below 2^24: consecutive ids) all hash to multiples of 31, and with 31
// dividing the bucket count they would fill only every 31st bucket.
std::uint32_t nextSize(std::uint32_t size)
{
    size = 2 * size + 1;
    if (size % 31 == 0 && size < 0x3FFFFFFFu)
        size = 2 * size + 1;
    return size;
}
} // namespace

oid_t createHashTable(dbDatabase& db, std::uint32_t nRows)
{
    std::uint32_t size = dbHashTableInitSize;
    while (size <= nRows && size < 0x3FFFFFFFu)
        size = nextSize(size);
    oid_t hashId = db.allocateInternalObject(dbHashTableMarker);
    oid_t page = allocatePages(db, (size + 1) / dbHandlesPerPage);
    auto* h = reinterpret_cast<dbHashTableHeader*>(db.getObject(hashId));
    h->size = size;
    h->used = 0;
    h->page = page;
    return hashId;
}

void insertInHashTable(dbDatabase& db, oid_t hashId, oid_t rowId, int type, int sizeofType, int offs,
                       std::uint32_t nRows)
{
    dbHashTableHeader* h = header(db, hashId);
    if (h->size == 0)
        throw dbException(corruptIndex);
    // Grows as soon as the rows outnumber the buckets (load factor 1): chains stay short, and
    // the growth hint of an index being built (twice the rows) sizes it once for the table.
    if (nRows != 0 && nRows > h->size && h->size < 0x3FFFFFFFu) {
        std::uint32_t size = h->size;
        while (nRows > size && size < 0x3FFFFFFFu)
            size = nextSize(size);
        grow(db, hashId, size);
        h = header(db, hashId);
    }
    std::uint32_t keySize;
    const char* key = dbFieldKey(db, rowId, type, sizeofType, offs, &keySize);
    std::uint32_t hash = dbHashKey(key, type == tpString ? keySize - 1 : keySize, type);
    const std::uint32_t bucket = hash % h->size;
    const oid_t page = pageOf(h, bucket);
    oid_t itemId = db.allocateInternalObject(dbHashTableItemMarker);
    oid_t head = bucketPage(db, page)[bucket % dbHandlesPerPage];
    auto* it = reinterpret_cast<dbHashTableItem*>(db.getObject(itemId));
    it->next = head;
    it->record = rowId;
    it->hash = hash;
    writableBucketPage(db, page)[bucket % dbHandlesPerPage] = itemId;
    if (head == 0)
        reinterpret_cast<dbHashTableHeader*>(db.putObject(hashId))->used += 1;
}

void removeFromHashTable(dbDatabase& db, oid_t hashId, oid_t rowId, int type, int sizeofType, int offs)
{
    dbHashTableHeader* h = header(db, hashId);
    if (h->size == 0)
        throw dbException(corruptIndex);
    std::uint32_t keySize;
    const char* key = dbFieldKey(db, rowId, type, sizeofType, offs, &keySize);
    std::uint32_t hash = dbHashKey(key, type == tpString ? keySize - 1 : keySize, type);
    const std::uint32_t bucket = hash % h->size;
    const oid_t page = pageOf(h, bucket);
    oid_t prev = 0;
    oid_t itemId = bucketPage(db, page)[bucket % dbHandlesPerPage];
    ChainGuard guard(db);
    while (itemId != 0) {
        guard.step();
        dbHashTableItem* it = item(db, itemId);
        if (it->record == rowId) {
            oid_t next = it->next;
            if (prev != 0) {
                reinterpret_cast<dbHashTableItem*>(db.putObject(prev))->next = next;
            } else {
                writableBucketPage(db, page)[bucket % dbHandlesPerPage] = next;
                if (next == 0)
                    reinterpret_cast<dbHashTableHeader*>(db.putObject(hashId))->used -= 1;
            }
            db.freeObject(itemId);
            return;
        }
        prev = itemId;
        itemId = it->next;
    }
    // The row is not where its key says: the index and the row disagree.
    throw dbException(corruptIndex);
}

void findInHashTable(dbDatabase& db, oid_t hashId, dbSearchContext& sc)
{
    dbHashTableHeader* h = header(db, hashId);
    if (h->size == 0)
        return;
    std::size_t keyLen =
        sc.type == tpString ? std::strlen(static_cast<const char*>(sc.firstKey)) : std::size_t(sc.sizeofType);
    std::uint32_t hash = dbHashKey(sc.firstKey, keyLen, sc.type);
    const std::uint32_t bucket = hash % h->size;
    oid_t itemId = bucketPage(db, pageOf(h, bucket))[bucket % dbHandlesPerPage];
    ChainGuard guard(db);
    while (itemId != 0) {
        guard.step();
        dbHashTableItem* it = item(db, itemId);
        sc.probes += 1;
        oid_t next = it->next;
        if (it->hash == hash) {
            std::uint32_t size;
            const char* key = dbFieldKey(db, it->record, sc.type, sc.sizeofType, sc.offs, &size);
            bool equal = sc.type == tpString
                             ? size == keyLen + 1 && std::memcmp(key, sc.firstKey, keyLen) == 0
                             : dbCompareKeys(key, sc.firstKey, sc.type, sc.sizeofType, sc.comparator) == 0;
            if (equal && (!sc.condition || sc.condition(it->record, sc.conditionArg))) {
                if (sc.add && !sc.add(it->record, sc.addArg))
                    return;
            }
        }
        itemId = next;
    }
}

void clearHashTable(dbDatabase& db, oid_t hashId)
{
    dbHashTableHeader* h = header(db, hashId);
    const std::uint32_t nPages = (h->size + 1) / dbHandlesPerPage;
    const oid_t first = h->page;
    if (h->size != 0)
        reinterpret_cast<dbHashTableHeader*>(db.putObject(hashId))->used = 0;
    ChainGuard guard(db);
    for (std::uint32_t p = 0; p < nPages && h->size != 0; p++) {
        const oid_t* heads = bucketPage(db, first + p);
        bool any = false;
        for (std::uint32_t slot = 0; slot < dbHandlesPerPage; slot++) {
            for (oid_t itemId = heads[slot]; itemId != 0;) {
                guard.step();
                oid_t next = item(db, itemId)->next;
                db.freeObject(itemId);
                itemId = next;
                any = true;
            }
        }
        if (any)
            std::memset(writableBucketPage(db, first + p), 0, dbPageSize);
    }
}

void deleteHashTable(dbDatabase& db, oid_t hashId)
{
    dbHashTableHeader* h = header(db, hashId);
    const std::uint32_t nPages = h->size ? (h->size + 1) / dbHandlesPerPage : 0;
    const oid_t first = h->page;
    ChainGuard guard(db);
    for (std::uint32_t p = 0; p < nPages; p++) {
        const oid_t* heads = bucketPage(db, first + p);
        for (std::uint32_t slot = 0; slot < dbHandlesPerPage; slot++) {
            for (oid_t itemId = heads[slot]; itemId != 0;) {
                guard.step();
                oid_t next = item(db, itemId)->next;
                db.freeObject(itemId);
                itemId = next;
            }
        }
    }
    for (std::uint32_t p = 0; p < nPages; p++)
        db.freeObject(first + p);
    db.freeObject(hashId);
}
