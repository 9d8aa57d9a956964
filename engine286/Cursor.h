#pragma once

#include "engine286/Descriptors.h"
#include "engine286/Records.h"

#include <cstdint>
#include <memory>

// Cursors: the application's way to read, change and remove stored rows. A cursor is bound to
// one table descriptor and one application record buffer; it holds a selection (the oids a
// select found, in result order) and a current row, which it copies into the record on demand.
//
// Every select and positionAt begins a transaction of the calling thread and links the cursor
// into that thread's cursor ring; when the transaction ends (commit or rollback) every cursor of
// the ring is reset, so a cursor must select again after a commit. A cursor belongs to one thread.

enum dbCursorType {
    dbCursorViewOnly = 0,  // shared lock; no update or removal
    dbCursorForUpdate = 1, // exclusive lock
};

class dbQuery;

// Cursor-level misuse (removal through a view, a table never bound) is a programming error: the
// program stops with the assertion's text.
[[noreturn]] void dbCursorAssertion(const char* text);

// The oids of a selection, in 1024-id segments that never move once written.
class dbSelection {
public:
    enum { segmentSize = 1024 };
    struct segment {
        segment* prev;
        segment* next;
        std::uint32_t nRows;
        oid_t rows[segmentSize];
    };

    dbSelection() = default;
    ~dbSelection() { reset(); }
    dbSelection(const dbSelection&) = delete;
    dbSelection& operator=(const dbSelection&) = delete;

    void add(oid_t oid);
    // Frees every segment and empties the selection.
    void reset();

    segment* first = nullptr;
    segment* last = nullptr;
    segment* curr = nullptr;
    std::uint32_t nRows = 0; // ids added (not lowered by removeCurrent)
    std::uint32_t pos = 0;   // position in curr
};

// The untyped cursor.
class dbAnyCursor : public dbL2List {
public:
    dbAnyCursor(dbTableDescriptor& table, int type, void* record);
    ~dbAnyCursor();
    dbAnyCursor(const dbAnyCursor&) = delete;
    dbAnyCursor& operator=(const dbAnyCursor&) = delete;

    // Every row of the table (the whole-table selection stores no ids; stepping follows the
    // row chain). Returns the number of selected rows; the first becomes current and, with
    // prefetch on, is fetched.
    int select(int type);
    int select() { return select(defaultType); }
    // Selections by condition; defined by the query layer.
    int select(dbQuery& query, int type, void* paramBase = nullptr);
    int select(const char* condition, int type, void* paramBase = nullptr);

    // Both return whether there is a current row; neither fetches.
    bool gotoFirst();
    bool gotoNext();
    // Makes oid the only selected row and the current one (fetched with prefetch on). oid 0
    // throws dbException; a dead oid throws from the fetch.
    void positionAt(oid_t oid);
    // Copies the current row into the record; dbException when it names no live row.
    void fetch();
    // Writes the record back to the current row; dbException on a view or without a current row.
    void update();
    // Removes the current row; the cursor then stands on a neighbouring entry of the selection
    // (fetched), or has no current row. gotoNext after a removal that moved forward stays on the
    // row it moved to, so a loop that removes some of the rows it steps over visits every row.
    void removeCurrent();
    // Removes every selected row (the whole table for a whole-table selection) and resets.
    void removeAllSelected();
    // Empties the selection (and rebinds the table to the cursor's database when needed).
    void reset();

    // Ids selected by the last select (a count of ids found, not of ids left).
    int getNumberOfRecords() const { return int(selection.nRows); }
    bool isEmpty() const { return currId == 0; }
    oid_t getOid() const { return currId; }
    bool isRemoved() const { return removed; }
    dbTableDescriptor* getTable() const { return table; }
    dbDatabase* getDatabase() const { return db; }
    int getType() const { return type; }
    void setPrefetchMode(bool on) { prefetch = on; }
    void setSelectionLimit(std::uint32_t n) { limit = n; }
    void unsetSelectionLimit() { limit = 2000000000u; }

    // ---- For the query layer: building a selection -------------------------------------------
    // Sets the type, resets, begins the transaction and links the cursor into the thread's ring.
    void beginSelect(int type);
    // Makes the first selected id current (fetched with prefetch on); returns the count.
    int finishSelect();
    // Adds an id; false when the selection is full (or becomes full by this id).
    bool add(oid_t oid);
    void enableDuplicateElimination();
    bool isMarked(oid_t oid) const;
    void mark(oid_t oid);
    void setParameterBase(void* base) { paramBase = base; }
    void* getParameterBase() const { return paramBase; }
    void* getRecord() const { return record; }

    // Run by the database when the calling thread changes or removes a row, and when a
    // transaction ends (the cursor then leaves the ring with an empty selection).
    void rowChanged(oid_t oid, bool rowRemoved);
    void clearSelection();

protected:
    dbDatabase* db;
    dbTableDescriptor* table;
    std::uint8_t type;
    std::uint8_t defaultType;
    dbSelection selection;
    bool allRecords = false; // whole-table selection
    oid_t firstId = 0;
    oid_t lastId = 0;
    oid_t currId = 0;
    void* record;
    std::uint32_t limit = 2000000000u;
    std::unique_ptr<std::uint32_t[]> bitmap; // the rows marked by duplicate elimination, when on
    std::uint32_t bitmapSize = 0;            // words
    bool eliminateDuplicates = false;
    bool prefetch = true;
    bool removed = false;
    bool removeMovedForward = false; // the last removeCurrent stepped onto a row not yet visited
    bool updateInProgress = false;
    void* paramBase = nullptr;

private:
    void bind();
    void linkToThread();
};

// A cursor over application records of type T, which names its descriptor as the static member
// T::dbDescriptor. The current row is read and changed in place through the arrow operator.
template <class T> class dbCursor : public dbAnyCursor {
public:
    explicit dbCursor(int type = dbCursorViewOnly) : dbAnyCursor(T::dbDescriptor, type, &rec) {}

    int select(int type) { return dbAnyCursor::select(type); }
    int select() { return dbAnyCursor::select(); }
    int select(dbQuery& query, void* paramBase = nullptr)
    {
        return dbAnyCursor::select(query, defaultType, paramBase);
    }
    int select(const char* condition, void* paramBase = nullptr)
    {
        return dbAnyCursor::select(condition, defaultType, paramBase);
    }

    // The current record; dbException when the cursor has none.
    T* operator->()
    {
        if (currId == 0)
            throw dbException("No current record");
        return &rec;
    }
    T* get() { return operator->(); }
    // Steps on and fetches: the next record, or null at the end.
    T* next()
    {
        if (!gotoNext())
            return nullptr;
        fetch();
        return &rec;
    }

private:
    T rec{};
};

// Inserts a record of type T into the database its descriptor is bound to; returns the oid.
template <class T> oid_t dbInsert(const T& record)
{
    dbTableDescriptor& table = T::dbDescriptor;
    if (table.db == DETACHED_TABLE || table.db == nullptr)
        dbCursorAssertion("db != DETACHED_TABLE");
    oid_t oid = 0;
    table.db->insertRecord(&table, &oid, &record);
    return oid;
}
