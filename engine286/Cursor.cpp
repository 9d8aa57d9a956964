#include "engine286/Cursor.h"

#include "engine286/Schema.h"
#include "platform/rtl/Guards.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// The record layer tells the calling thread's cursors about every row it changes or removes.
void notifyThreadCursors(dbDatabase& db, oid_t oid, bool removed)
{
    dbDatabaseThreadContext* ctx = db.getThreadContext();
    if (!ctx)
        return;
    for (dbL2List* l = ctx->cursors.next; l != &ctx->cursors;) {
        dbL2List* next = l->next;
        static_cast<dbAnyCursor*>(l)->rowChanged(oid, removed);
        l = next;
    }
}

void registerNotifier()
{
    static const bool registered = (dbSetCursorNotifier(notifyThreadCursors), true);
    (void)registered;
}

inline int lockFor(int cursorType)
{
    return cursorType == dbCursorForUpdate ? dbExclusiveLock : dbSharedLock;
}

} // namespace

void dbCursorAssertion(const char* text)
{
    std::fprintf(stderr, "Assertion failed: %s\n", text);
    std::fflush(stderr);
    std::abort();
}

// ---- Selection ---------------------------------------------------------------------------------

void dbSelection::add(oid_t oid)
{
    if (last == nullptr || last->nRows == segmentSize) {
        auto* seg = new segment;
        seg->prev = last;
        seg->next = nullptr;
        seg->nRows = 0;
        if (last)
            last->next = seg;
        else
            first = seg;
        last = seg;
    }
    last->rows[last->nRows++] = oid;
    nRows += 1;
}

void dbSelection::reset()
{
    for (segment* seg = first; seg;) {
        segment* next = seg->next;
        delete seg;
        seg = next;
    }
    first = last = curr = nullptr;
    nRows = 0;
    pos = 0;
}

// ---- Cursor ------------------------------------------------------------------------------------

dbAnyCursor::dbAnyCursor(dbTableDescriptor& t, int cursorType, void* rec)
    : db(t.db == DETACHED_TABLE ? nullptr : t.db), table(&t), type(std::uint8_t(cursorType)),
      defaultType(std::uint8_t(cursorType)), record(rec)
{
    registerNotifier();
}

dbAnyCursor::~dbAnyCursor() = default;

void dbAnyCursor::bind()
{
    if (db == nullptr) {
        db = table->db == DETACHED_TABLE ? nullptr : table->db;
        if (db == nullptr || table->tableId == 0)
            dbCursorAssertion(
                "((void)\"cursor associated with online database table\", table->tableId != 0)");
    } else if (table->db != db) {
        // A descriptor shared between databases: use the one bound to ours (itself or its copy).
        if (dbTableDescriptor* bound = dbFindBoundTable(*db, table))
            table = bound;
    }
    if (table->tableId == 0)
        dbCursorAssertion("((void)\"cursor associated with online database table\", table->tableId != 0)");
}

void dbAnyCursor::linkToThread()
{
    link(&db->getThreadContext()->cursors);
}

void dbAnyCursor::clearSelection()
{
    unlink();
    selection.reset();
    eliminateDuplicates = false;
    allRecords = false;
    firstId = lastId = currId = 0;
    updateInProgress = false;
    removed = false;
    removeMovedForward = false;
}

void dbAnyCursor::reset()
{
    bind();
    clearSelection();
}

int dbAnyCursor::select(int cursorType)
{
    type = std::uint8_t(cursorType);
    reset();
    if (!db->isOpen())
        dbCursorAssertion("opened");
    db->beginTransaction(lockFor(type));
    const dbTable* t = db->getTable(table->tableId);
    firstId = t->firstRow;
    lastId = t->lastRow;
    selection.nRows = std::uint32_t(t->nRows);
    allRecords = true;
    linkToThread();
    if (gotoFirst() && prefetch)
        fetch();
    return int(selection.nRows);
}

void dbAnyCursor::beginSelect(int cursorType)
{
    type = std::uint8_t(cursorType);
    reset();
    if (!db->isOpen())
        dbCursorAssertion("opened");
    db->beginTransaction(lockFor(type));
    linkToThread();
}

int dbAnyCursor::finishSelect()
{
    if (gotoFirst() && prefetch)
        fetch();
    return int(selection.nRows);
}

bool dbAnyCursor::gotoFirst()
{
    removed = false;
    removeMovedForward = false;
    if (allRecords) {
        currId = firstId;
        return currId != 0;
    }
    selection.curr = selection.first;
    selection.pos = 0;
    currId = selection.curr ? selection.curr->rows[0] : 0;
    return currId != 0;
}

bool dbAnyCursor::gotoNext()
{
    if (removed && removeMovedForward) {
        // The removal already moved onto the row after the removed one.
        removed = false;
        removeMovedForward = false;
        return currId != 0;
    }
    removed = false;
    removeMovedForward = false;
    if (allRecords) {
        // Rows appended after the select are not part of it: a loop that inserts into the table
        // it steps through still ends.
        if (currId == 0 || currId == lastId)
            return false;
        oid_t next = db->getRow(currId)->next;
        if (next == 0)
            return false;
        currId = next;
        return true;
    }
    dbSelection::segment* seg = selection.curr;
    if (seg == nullptr)
        return false;
    if (selection.pos + 1 < seg->nRows) {
        selection.pos += 1;
        currId = seg->rows[selection.pos];
        // A selection's rows lie scattered over the file and the select that found them has
        // usually pushed them out of the caches since: the row a few steps ahead is fetched now,
        // so that stepping and fetching does not wait for each row in turn.
        const std::uint32_t ahead = selection.pos + 8;
        if (ahead < seg->nRows) {
            const offs_t h = db->getObjectHandle(seg->rows[ahead]);
            if ((h & (dbFreeHandleMarker | dbFlagsMask)) == 0)
                __builtin_prefetch(db->getBase() + h);
        }
        return true;
    }
    if (seg->next) {
        selection.curr = seg->next;
        selection.pos = 0;
        currId = seg->next->rows[0];
        return true;
    }
    return false;
}

void dbAnyCursor::positionAt(oid_t oid)
{
    removed = false;
    removeMovedForward = false;
    if (oid == 0)
        throw dbException("Null reference");
    reset();
    db->beginTransaction(lockFor(type));
    linkToThread();
    currId = oid;
    selection.add(oid);
    selection.curr = selection.first;
    selection.pos = 0;
    if (prefetch)
        fetch();
}

void dbAnyCursor::fetch()
{
    if (currId == 0)
        throw dbException("No current record");
    dbUnpackRecord(table, record, db->getRow(currId));
}

void dbAnyCursor::update()
{
    if (type != dbCursorForUpdate)
        throw dbException("Update through a read-only cursor");
    if (currId == 0)
        throw dbException("No current record");
    updateInProgress = true;
    TScopeExit done([this] { updateInProgress = false; });
    db->updateRecord(currId, table, record);
}

void dbAnyCursor::removeCurrent()
{
    const oid_t removedId = currId;
    if (type != dbCursorForUpdate || removedId == 0)
        dbCursorAssertion("type == dbCursorForUpdate && removedId != 0");
    // A stale id throws here, before the selection changes.
    const dbRecord* row = db->getRow(removedId);
    bool forward = false;
    if (allRecords) {
        const oid_t next = row->next, prev = row->prev;
        if (next != 0 && removedId != lastId) {
            if (removedId == firstId)
                firstId = next;
            currId = next;
            forward = true;
        } else if (removedId == firstId) {
            firstId = lastId = currId = 0;
        } else {
            currId = lastId = prev;
        }
    } else {
        dbSelection::segment* seg = selection.curr;
        std::uint32_t pos = selection.pos;
        seg->nRows -= 1;
        if (seg->nRows == 0) {
            dbSelection::segment* next = seg->next;
            dbSelection::segment* prev = seg->prev;
            (prev ? prev->next : selection.first) = next;
            (next ? next->prev : selection.last) = prev;
            delete seg;
            if (next) {
                selection.curr = next;
                selection.pos = 0;
                currId = next->rows[0];
                forward = true;
            } else if (prev) {
                selection.curr = prev;
                selection.pos = prev->nRows - 1;
                currId = prev->rows[selection.pos];
            } else {
                selection.curr = nullptr;
                selection.pos = 0;
                currId = 0;
            }
        } else if (pos < seg->nRows) {
            std::memmove(&seg->rows[pos], &seg->rows[pos + 1], (seg->nRows - pos) * sizeof(oid_t));
            currId = seg->rows[pos];
            forward = true;
        } else {
            selection.pos = pos - 1;
            currId = seg->rows[selection.pos];
        }
    }
    {
        updateInProgress = true;
        TScopeExit done([this] { updateInProgress = false; });
        db->removeRecord(table, removedId);
    }
    removed = true;
    removeMovedForward = forward;
    if (currId != 0)
        fetch();
}

void dbAnyCursor::removeAllSelected()
{
    if (type != dbCursorForUpdate)
        dbCursorAssertion("type == dbCursorForUpdate");
    if (allRecords) {
        if (db == nullptr)
            dbCursorAssertion("db != NULL");
        db->removeAllRows(table);
        reset();
    } else if (selection.first != nullptr) {
        for (dbSelection::segment* seg = selection.first; seg; seg = seg->next) {
            for (std::uint32_t i = 0; i < seg->nRows; i++) {
                // A row removed already (by a cascade of an earlier removal) is skipped.
                const offs_t handle = db->getObjectHandle(seg->rows[i]);
                if ((handle & (dbFreeHandleMarker | dbFlagsMask)) == 0)
                    db->removeRecord(table, seg->rows[i]);
            }
        }
        reset();
    } else if (currId != 0) {
        db->removeRecord(table, currId);
        currId = 0;
    }
}

bool dbAnyCursor::add(oid_t oid)
{
    if (selection.nRows >= limit)
        return false;
    if (eliminateDuplicates) {
        if (isMarked(oid))
            return true;
        mark(oid);
    }
    selection.add(oid);
    return selection.nRows < limit;
}

void dbAnyCursor::enableDuplicateElimination()
{
    if (eliminateDuplicates || limit < 2)
        return;
    eliminateDuplicates = true;
    const std::uint32_t words = (db->getWorkingIndexUsed() + 31) / 32;
    if (words > bitmapSize) {
        // Released first: the old and the new bitmap need not both fit in memory.
        bitmap.reset();
        bitmapSize = 0;
        bitmap.reset(new std::uint32_t[words]);
        bitmapSize = words;
    }
    std::memset(bitmap.get(), 0, std::size_t(bitmapSize) * sizeof(std::uint32_t));
}

bool dbAnyCursor::isMarked(oid_t oid) const
{
    // Ids beyond the bitmap (allocated after it was sized) have not been marked.
    return bitmap != nullptr && oid / 32 < bitmapSize && (bitmap[oid / 32] & (1u << (oid % 32))) != 0;
}

void dbAnyCursor::mark(oid_t oid)
{
    if (bitmap == nullptr)
        return;
    if (oid / 32 >= bitmapSize) {
        const std::uint32_t words = oid / 32 + 1;
        std::unique_ptr<std::uint32_t[]> grown(new std::uint32_t[words]());
        std::memcpy(grown.get(), bitmap.get(), std::size_t(bitmapSize) * sizeof(std::uint32_t));
        bitmap = std::move(grown);
        bitmapSize = words;
    }
    bitmap[oid / 32] |= 1u << (oid % 32);
}

void dbAnyCursor::rowChanged(oid_t oid, bool rowRemoved)
{
    if (currId != oid)
        return;
    if (rowRemoved)
        currId = 0;
    else if (record != nullptr && !updateInProgress)
        fetch();
}
