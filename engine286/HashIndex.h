#pragma once

#include "engine286/IndexSupport.h"

// Hash indices stored as database objects: a header {size, used, first page}, size + 1 bucket
// heads in consecutive 4 KB page objects, and one item {next, record, hash} per row. Every
// object changes copy-on-write inside the caller's transaction (exclusive lock for changes).

struct dbHashTableHeader {
    std::uint32_t size; // buckets: 2^k - 1
    std::uint32_t used; // non-empty buckets
    oid_t page;         // first bucket page
};

struct dbHashTableItem {
    oid_t next;
    oid_t record;
    std::uint32_t hash;
};

static_assert(sizeof(dbHashTableHeader) == 12 && sizeof(dbHashTableItem) == 12);

enum { dbHashTableInitSize = 16383 };

// The hash code of a key: h = h * 31 + byte over the key's bytes (a string without its NUL).
// Real keys are hashed in a canonical form (-0 as +0, one NaN), so that equal values always
// meet in one bucket.
std::uint32_t dbHashKey(const void* key, std::size_t size, int type);

oid_t createHashTable(dbDatabase& db, std::uint32_t nRows);
// nRows: the growth hint (the table's rows after the insert, twice them while an index is built,
// 0 for updates). The table doubles its buckets (2 × size + 1, skipping counts divisible by 31)
// as soon as the hint passes their number.
void insertInHashTable(dbDatabase& db, oid_t hashId, oid_t rowId, int type, int sizeofType, int offs,
                       std::uint32_t nRows);
void removeFromHashTable(dbDatabase& db, oid_t hashId, oid_t rowId, int type, int sizeofType, int offs);
// Offers every row whose key equals sc.firstKey to sc.add (filtered by sc.condition).
void findInHashTable(dbDatabase& db, oid_t hashId, dbSearchContext& sc);
// Removes all items; keeps the table.
void clearHashTable(dbDatabase& db, oid_t hashId);
// Frees items, bucket pages and header.
void deleteHashTable(dbDatabase& db, oid_t hashId);
