#pragma once

#include <cstddef>
#include <cstdint>

// The on-disk format of a database file. Every integer is a 32-bit little-endian word; the file
// is mapped whole and these structures are read and written in place. The consistency checker
// reads the same structures without going through the engine.
//
//   offset 0       the header (72 bytes), then in the rest of the first 4 KB page the commit
//                  records (dbCommitRecordHead, dbCommitRecordEntry: see below)
//   root.index     an object index: one word per object id (oid), indexSize words
//   bitmap pages   one bit per 16-byte quantum of the file; page j (oid 2 + j) covers
//                  file bytes [j * 512 KB, (j + 1) * 512 KB)
//   objects        rows of tables and internal objects, anywhere, 16-aligned
//
// Two roots describe two object indexes: root[curr] is the committed state, the other one the
// working copy of the running transaction (see the commit comment in Database.cpp).

typedef std::uint32_t oid_t;
typedef std::uint32_t offs_t;

enum {
    dbPageSize = 4096,
    dbAllocationQuantum = 16,
    dbBitmapPageCoverage = dbPageSize * 8 * dbAllocationQuantum, // 524,288 bytes
    dbBitmapId = 2,                                              // first bitmap page oid
    dbBitmapPages = 8192,                       // 4 GB of address space (objects stay below 2 GB)
    dbFirstUserId = dbBitmapId + dbBitmapPages, // 8194
    dbMetatableId = 1,
    dbHandlesPerPage = dbPageSize / 4, // index entries in one page of an index array
    dbDefaultInitDatabaseSize = 1024 * 1024,
    dbDefaultInitIndexSize = 64 * 1024,
    dbDefaultExtensionQuantum = 4 * 1024 * 1024,
    dbMajorVersion = 2,
    dbMinorVersion = 86,
};

const offs_t dbFreeHandleMarker = 0x80000000u;
const offs_t dbFlagsMask = 7; // kind bits of an index entry
// Bit 31 of an index entry marks a free oid, so every object must lie below 2 GB: that, not the
// 4 GB the 8192 bitmap pages could describe, is the largest file.
const std::uint64_t dbMaxFileSize = std::uint64_t(1) << 31;

// Kinds of objects (bits 0 to 2 of an index entry).
enum dbInternalObject {
    dbRowObject = 0,        // a row of a table; its size is in its own header
    dbPageObjectMarker = 1, // bitmap page, hash bucket page
    dbTtreeMarker = 2,
    dbTtreeNodeMarker = 3,
    dbHashTableMarker = 4,
    dbHashTableItemMarker = 5,
    dbReservedPageMarker = 6, // never created
};

// Size of an internal object of a kind (0 for rows: their header tells).
inline std::uint32_t dbInternalObjectSize(unsigned kind)
{
    static const std::uint32_t sizes[8] = {0, dbPageSize, 4, 512, 12, 12, dbPageSize, 0};
    return sizes[kind & 7];
}

struct dbRoot {
    offs_t index;            // file offset of this root's object index
    offs_t shadowIndex;      // the spare array the next commit's working root will use
    std::uint32_t indexSize; // capacity in entries
    std::uint32_t shadowIndexSize;
    std::uint32_t indexUsed; // next oid to hand out from the end
    oid_t freeList;          // first oid of the free chain, 0 when empty
};

struct dbHeader {
    std::uint32_t size;       // file size as the engine manages it
    std::int32_t curr;        // committed root: 0 or 1
    std::int32_t dirty;       // set by the first change after a clean close
    std::int32_t initialized; // 1 once a new file is fully laid out
    dbRoot root[2];
    std::int32_t majorVersion;
    std::int32_t minorVersion;
};
static_assert(sizeof(dbRoot) == 24);
static_assert(sizeof(dbHeader) == 72);

// Commit records. A small commit is made durable by one flush: the header switch to the new root
// is written together with everything the new root reaches that changed, and the header names
// those regions with a hash of their contents. After a power loss (the device may have kept any
// subset of the writes of an interrupted flush), the first opener of a dirty file verifies the
// record of the committed root; a region that does not match proves that the flush never
// completed (so the commit was never acknowledged), and the other root, which that transaction
// never touched, is taken as the committed one. Larger commits keep the two-flush order (data,
// then the switch) and leave no record.
//
// The heads lie in the header's own sector (bytes 72..103), which is written atomically with
// curr; the entries of root r lie in area r of the rest of the first page. A commit to root r
// writes area r and head r only, so the record of the committed root is never rewritten while it
// is current. A head whose magic differs names no record: the header is trusted as it is (files
// written before records existed read this way, their first page being zero behind the header).
struct dbCommitRecordHead {
    std::uint32_t magic;
    std::uint32_t count;    // entries in the root's area
    std::uint64_t listHash; // dbHash64 of those entries
};
struct dbCommitRecordEntry {
    offs_t pos;
    std::uint32_t size;
    std::uint64_t hash; // dbHash64 of the region's bytes
};
static_assert(sizeof(dbCommitRecordHead) == 16 && sizeof(dbCommitRecordEntry) == 16);

const std::uint32_t dbCommitRecordMagic = 0x52436264; // "dbCR"
enum {
    dbCommitRecordHeadOffset = 72,  // head[2]
    dbCommitRecordAreaOffset = 512, // area[2], the first page's other seven sectors
    dbCommitRecordCapacity = (dbPageSize - dbCommitRecordAreaOffset) / 2 / 16, // 112 entries
};

inline dbCommitRecordHead* dbCommitRecordHeads(char* base)
{
    return reinterpret_cast<dbCommitRecordHead*>(base + dbCommitRecordHeadOffset);
}
inline dbCommitRecordEntry* dbCommitRecordArea(char* base, int root)
{
    return reinterpret_cast<dbCommitRecordEntry*>(base + dbCommitRecordAreaOffset) +
           root * dbCommitRecordCapacity;
}

// The hash of commit records (part of the stored format): 64 bits over little-endian 64-bit
// words, a final partial word zero-padded, seeded with the length.
std::uint64_t dbHash64(const void* data, std::size_t size);

// Whether the record of a root (if it has one) matches a file image of length bytes at base:
// false proves that the flush of that root's commit did not complete.
bool dbCommitRecordHolds(const char* base, std::uint64_t length, int root);
static_assert(offsetof(dbHeader, root) == 16 && offsetof(dbHeader, majorVersion) == 64);

// The 12-byte header of every row.
struct dbRecord {
    std::uint32_t size; // total bytes of the object, header included
    oid_t next;         // next row of the same table, 0 at the end
    oid_t prev;         // previous row, 0 at the start
};

// A variable part of a row: a string {size incl. NUL, offset} or an array {count, offset}; the
// offset is from the start of the object (or of the array element that holds it).
struct dbVarying {
    std::uint32_t size;
    offs_t offs;
};

// A table definition: a row of the Metatable.
struct dbTable : dbRecord {
    dbVarying name;
    dbVarying fields; // count × dbField at offs
    std::int32_t fixedSize;
    std::int32_t nRows;
    std::int32_t nColumns;
    oid_t firstRow;
    oid_t lastRow;
};
static_assert(sizeof(dbTable) == 48);

// A stored field entry; its string offsets are relative to the start of the entry.
struct dbField {
    dbVarying name;
    dbVarying tableName;
    dbVarying inverse;
    std::int32_t type;
    std::int32_t offset;
    std::int32_t size;
    oid_t hashTable;
    oid_t tTree;
};
static_assert(sizeof(dbField) == 44);

// Field type codes as stored.
enum dbStoredFieldType {
    dbStoredBool = 0,
    dbStoredInt1 = 1,
    dbStoredInt2 = 2,
    dbStoredInt4 = 3,
    dbStoredInt8 = 4,
    dbStoredReal4 = 5,
    dbStoredReal8 = 6,
    dbStoredString = 7,
    dbStoredReference = 8,
    dbStoredArray = 9,
    dbStoredStructure = 19,
    dbStoredRawBinary = 20,
};

// Sizes of a new database's layout for the given constructor parameters.
struct dbNewFileLayout {
    std::uint32_t indexSize;
    std::uint32_t fileSize;
    std::uint32_t used; // header page and both index arrays
    std::uint32_t bitmapPages;
};

inline dbNewFileLayout dbComputeNewFileLayout(std::uint32_t initSize, std::uint32_t initIndexSize)
{
    dbNewFileLayout l;
    std::uint32_t n =
        initIndexSize < std::uint32_t(dbFirstUserId) ? std::uint32_t(dbFirstUserId) : initIndexSize;
    l.indexSize = (n + dbHandlesPerPage - 1) & ~std::uint32_t(dbHandlesPerPage - 1);
    std::uint64_t size = initSize ? initSize : std::uint32_t(dbDefaultInitDatabaseSize);
    if (size < std::uint64_t(16) * l.indexSize)
        size = std::uint64_t(16) * l.indexSize;
    size = (size + dbBitmapPageCoverage - 1) / dbBitmapPageCoverage * dbBitmapPageCoverage;
    l.fileSize = std::uint32_t(size);
    l.used = dbPageSize + 8 * l.indexSize;
    const std::uint32_t perPage = dbBitmapPageCoverage - dbPageSize; // 520,192
    l.bitmapPages = (l.used + perPage - 1) / perPage;
    return l;
}
