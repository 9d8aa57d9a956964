#pragma once

#include "engine286/Database.h"

#include <cstddef>
#include <cstdint>

typedef int (*dbUDTComparator)(const void* a, const void* b, std::size_t size);

// What an index search needs from the query layer: the key (or the bounds of a range), how
// keys of the field are stored and compared, an optional filter and where the found rows go.
struct dbSearchContext {
    const void* firstKey = nullptr; // exact key or low bound; strings: a NUL-terminated text
    int firstKeyInclusion = 1;      // 1: the bound belongs to the range
    const void* lastKey = nullptr;  // high bound or null
    int lastKeyInclusion = 1;
    int type = 0;       // field type code
    int sizeofType = 0; // key size (stored size of the field)
    dbUDTComparator comparator = nullptr;
    int offs = 0; // stored offset of the field in a row
    // Optional filter: false skips the row.
    bool (*condition)(oid_t oid, void* arg) = nullptr;
    void* conditionArg = nullptr;
    // Receives a found row; returns false when the cursor wants no more (its limit).
    bool (*add)(oid_t oid, void* arg) = nullptr;
    void* addArg = nullptr;
    int probes = 0;
};

// Checked access to index objects: an oid that does not name a live object of the expected
// kind inside the file (a corrupt or hostile file) throws dbException instead of reading a wild
// address.
char* dbGetIndexObject(dbDatabase& db, oid_t oid, int kind);
char* dbPutIndexObject(dbDatabase& db, oid_t oid, int kind);

// The key of a row's field: its address in the row, checked against the row's size. For strings
// the text (NUL-terminated inside the row) and its stored size including the NUL.
const char* dbFieldKey(dbDatabase& db, oid_t rowId, int type, int sizeofType, int offs,
                       std::uint32_t* keySize = nullptr);

// Compares two stored values of a field (a < b: negative). Strings are NUL-terminated texts.
// Reals are totally ordered: -0 equals +0 and NaN sorts after every number and equals NaN, so
// that an index stays consistent whatever the data.
int dbCompareKeys(const void* a, const void* b, int type, int sizeofType, dbUDTComparator comparator);
