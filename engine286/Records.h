#pragma once

#include "engine286/Descriptors.h"

// Application records and stored rows. A row is the record's fields at the stored offsets of its
// table descriptor behind the 12-byte row header; strings ({size incl. NUL, offset}) and arrays
// ({count, offset}) keep their contents in a variable part after the fixed part. Offsets are
// relative to the row, or to the array element that holds them.

// Scratch space with 512 bytes inline; larger requests are allocated and freed with the buffer.
class dbSmallBuffer {
public:
    explicit dbSmallBuffer(std::size_t size) : buf(size <= sizeof inlineBuf ? inlineBuf : new char[size]) {}
    ~dbSmallBuffer()
    {
        if (buf != inlineBuf)
            delete[] buf;
    }
    dbSmallBuffer(const dbSmallBuffer&) = delete;
    dbSmallBuffer& operator=(const dbSmallBuffer&) = delete;
    char* base() { return buf; }

private:
    char inlineBuf[512];
    char* buf;
};

// Scratch space of one expression evaluation: requests are served from an 8 KB inline area while
// it lasts, then from blocks of their own that are freed with the scratch space. Nothing is
// freed earlier, so pointers stay valid for the whole evaluation.
class dbEvaluatorScratch {
public:
    enum { inlineSize = 8192 };
    dbEvaluatorScratch() = default;
    ~dbEvaluatorScratch();
    dbEvaluatorScratch(const dbEvaluatorScratch&) = delete;
    dbEvaluatorScratch& operator=(const dbEvaluatorScratch&) = delete;
    void* allocate(std::size_t n);

private:
    struct Block {
        Block* next;
    };
    alignas(std::max_align_t) char area[inlineSize];
    std::size_t used = 0;
    Block* blocks = nullptr;
};

// Stored size of a record: size (the fixed part) plus its variable parts.
std::size_t dbStoredRecordSize(dbFieldDescriptor* fields, const void* record, std::size_t size);
// Writes the record's fields into dst (a row or array element); variable parts go from offs on.
// Returns the end of the variable part.
std::size_t dbPackRecord(dbFieldDescriptor* fields, char* dst, const void* record, std::size_t offs);
// Fills the application record from a row of table. Fetched strings point into the row (they
// stay valid while this row version exists); arrays whose elements are stored as the
// application lays them out point into the row as well, others are allocated. Every stored
// string and array is checked against the row: a corrupt row throws dbException.
void dbUnpackRecord(dbTableDescriptor* table, void* record, const dbRecord* row);

// Row operations. Each takes the write lock. Index entries and inverse references are kept
// in step; cursors of the calling thread hear about changed and removed rows.
oid_t dbInsertRecord(dbDatabase& db, dbTableDescriptor* table, const void* record);
void dbUpdateRecord(dbDatabase& db, oid_t oid, dbTableDescriptor* table, const void* record);
void dbRemoveRecord(dbDatabase& db, dbTableDescriptor* table, oid_t oid);
void dbRemoveAllRows(dbDatabase& db, dbTableDescriptor* table);

// Set by the cursor layer: called for the calling thread's cursors when the row oid was changed
// or removed by a row operation.
typedef void (*dbCursorNotifier)(dbDatabase& db, oid_t oid, bool removed);
void dbSetCursorNotifier(dbCursorNotifier notifier);
