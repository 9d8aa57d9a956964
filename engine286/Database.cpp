// The database object: open, close, commit, rollback, recovery and the error hook.
//
// Crash safety. The file holds two roots; root[curr] is committed, the other is the working
// root of the running transaction. A transaction never overwrites anything the committed root
// reaches: changed objects, new index arrays and changed bitmap pages are copies in space that
// the committed bitmap calls free, and the working index lives in the committed root's spare
// array.
//
// Where changes go. A writable file is mapped privately (dbMappedFile): a store changes this
// process's own copy of the page and nothing reaches the file until the page is published,
// written back with pwrite from the list of pages the transaction noted (publishChanges): the
// data pages first, the header page last, so that a process killed in between leaves a header
// that points at whole data. A transaction publishes before each commit flush (readers of other
// processes wait for the durable switch, so nothing needs to be in the file earlier) and whenever
// it gives up the write lock, so the next holder reads the file, not this process's copies. Since no
// published page is one the committed root reaches, the kernel may write any of them to disk at any time
// without harm, and a commit makes the new root durable in one of two ways (crash points in brackets):
//
//   Small commits (the common single-row change), one flush:
//   1. the commit record of the new root is written: every region the new root reaches that
//      differs from what is durable (changed objects, changed pages of the working index, the
//      index pages the previous commit refreshed), each with a hash of its bytes; the data pages
//      are published                                                  [commit.dataPublished];
//   2. the record's head and header.curr, in the header's sector, switch to the new root and
//      the header page is published                                   [commit.recorded];
//   3. one flush (fdatasync of the published pages)                   <- the commit point.
//   A power loss during that flush may keep the switch without some region; the next opener
//   finds the mismatch in the record and takes the old root, which nothing touched (see
//   committedRecordHolds). An acknowledged commit always verifies, as its flush completed.
//
//   Larger commits (more regions than a record holds, a grown index, another access type):
//   1. everything the new root reaches is published and flushed       [commit.flushed];
//   2. header.curr is switched (with no record), published            [commit.switched]
//      and flushed                                                    <- the commit point.
//
//   Before either: the versions the committed root used and the working root replaced are freed
//   [commit.freeing, commit.freed]; after it [commit.durable] the old root is refreshed as the
//   next working root [commit.refreshing, commit.refreshed]; a crash there keeps the new state.
//
// A flush that fails stops the program before the switch (or after it, without claiming
// success): the next open recovers. The header's dirty flag is set and flushed before the first
// change after a clean close; an opener that finds it set (or a lock waiter that finds a dead
// writer) rebuilds the working root from the committed one (recovery). A close reaps the slots
// of dead processes first and leaves the flag set while a recovery is due or a commit runs, so a
// clean mark never hides a dead committer's half-done work. The 72-byte header and the record
// heads lie in the first disk sector, whose writes are atomic.
//
// Delayed commit. With a commit delay, commit hands the transaction with its locks to a timer
// thread and returns; the work is made durable as above by the deadline of the first delayed
// commit of the series, at once when any thread or process waits for a lock, and at close. A
// crash before that loses the delayed work only. The owner of a delayed commit is kept in this
// object (the monitor records only the process id): a thread context never crosses processes.
//
// Concurrent access. Concurrent readers read the committed root while a writer works. A
// concurrent-update writer moves the monitor's curr when its commit starts, so readers let in
// during the commit already read the new state; a read-write writer moves it only at the end,
// after it has copied the new state into the old committed array, so concurrent readers are held
// back until then (they would see a mix of both states). Readers of other database objects of
// any kind are held back until the switch is durable: a writer that died before it would leave
// them having read a state that recovery discards.
#include "engine286/Database.h"

#include "engine286/TableDefinition.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
dbCrashHook crashHook = nullptr;
dbFlushFaultHook flushFaultHook = nullptr;
} // namespace

std::uint64_t dbHash64(const void* data, std::size_t size)
{
    const std::uint64_t k1 = 0x9E3779B185EBCA87ull, k2 = 0xC2B2AE3D27D4EB4Full;
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint64_t h = k2 ^ (std::uint64_t(size) * k1);
    auto mix = [&](std::uint64_t w) {
        w *= k2;
        w = (w << 31) | (w >> 33);
        w *= k1;
        h ^= w;
        h = ((h << 27) | (h >> 37)) * k1 + 0x165667B19E3779F9ull;
    };
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        mix(w);
    }
    if (i < size) {
        std::uint64_t w = 0;
        std::memcpy(&w, p + i, size - i);
        mix(w);
    }
    h ^= h >> 33;
    h *= k2;
    h ^= h >> 29;
    h *= k1;
    h ^= h >> 32;
    return h;
}

bool dbCommitRecordHolds(const char* base, std::uint64_t length, int root)
{
    char* page = const_cast<char*>(base); // the accessors serve writers too; nothing is written
    const dbCommitRecordHead& head = dbCommitRecordHeads(page)[root];
    if (head.magic != dbCommitRecordMagic)
        return true;
    if (head.count > dbCommitRecordCapacity)
        return false;
    const dbCommitRecordEntry* area = dbCommitRecordArea(page, root);
    if (dbHash64(area, std::size_t(head.count) * sizeof(dbCommitRecordEntry)) != head.listHash)
        return false;
    for (std::uint32_t k = 0; k < head.count; k++) {
        const dbCommitRecordEntry& e = area[k];
        if (e.pos < dbPageSize || std::uint64_t(e.pos) + e.size > length ||
            dbHash64(base + e.pos, e.size) != e.hash)
            return false;
    }
    return true;
}

void dbSetFlushFaultHook(dbFlushFaultHook hook)
{
    flushFaultHook = hook;
}

void dbSetCrashHook(dbCrashHook hook)
{
    crashHook = hook;
}

void dbCrashPoint(const char* point)
{
    if (crashHook)
        crashHook(point);
}

dbDatabase::dbDatabase(int accessType, std::uint32_t initSize, std::uint32_t extensionQuantum,
                       std::uint32_t initIndexSize, int nThreads)
    : accessType(accessType), initSize(initSize), extensionQuantum(extensionQuantum),
      initIndexSize(initIndexSize)
{
    if (!threadContext.valid())
        fatalError("Assertion failed: index != TLS_OUT_OF_INDEXES");
    if (nThreads <= 0)
        nThreads = int(os::processorCount());
    parallelScanThreads = nThreads > 64 ? 64 : nThreads;
    resetAllocationHints();
}

dbDatabase::~dbDatabase()
{
    // Not a close: nothing is committed and the header stays as it is. The kernel resources are
    // released, so to the other processes this looks like an exit.
    cleanup();
}

void dbDatabase::fatalError(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
    std::abort();
}

void dbDatabase::reportError(int errorClass, const char* msg, int arg)
{
    if (errorHandler)
        errorHandler(errorClass, msg, arg);
    if (!msg)
        msg = "";
    switch (errorClass) {
    case QueryError:
        std::fprintf(stderr, "%s in position %d\n", msg, arg);
        return;
    // Errors met while evaluating a condition on a row (bad arithmetic, an index past the end,
    // a null reference) come from the query or the data it reads, not from a broken database:
    // the select that met them fails and returns nothing, and the program goes on.
    case ArithmeticError:
        std::fprintf(stderr, "%s\n", msg);
        return;
    case IndexOutOfRangeError:
        std::fprintf(stderr, "Index %d is out of range\n", arg);
        return;
    case DatabaseOpenError:
        std::fprintf(stderr, "%s\n", msg);
        return;
    case FileError:
        std::fprintf(stderr, "%s: %s\n", msg, dbMappedFile::errorText(arg).c_str());
        break;
    case OutOfMemoryError:
        std::fprintf(stderr, "Not enough memory: failed to allocate %d bytes\n", arg);
        break;
    case Deadlock:
        std::fprintf(stderr, "Deadlock is caused by upgrading shared locks to exclusive");
        break;
    case NullReferenceError:
        std::fprintf(stderr, "Null object reference is accessed\n");
        return;
    case LockRevoked:
        std::fprintf(stderr, "Lock is revoked by some other client");
        break;
    case FileLimitExeeded:
        return;
    case InconsistentInverseReference:
        std::fprintf(stderr, "%s\n", msg);
        return;
    case DatabaseReadOnly:
        std::fprintf(stderr, "Attempt to modify readonly database");
        break;
    default:
        return;
    }
    std::fflush(stderr);
    std::abort();
}

bool dbDatabase::checkedFlush(const char* what, const char* point, bool publishFirst)
{
    if (publishFirst)
        publishChanges();
    int rc = flushFaultHook ? flushFaultHook(point) : 0;
    if (rc == 0)
        rc = file.flush();
    if (rc != 0)
        reportError(FileError, what, rc); // stops the program
    return rc == 0;
}

namespace {
#ifdef NDEBUG
const std::uint32_t dbPrivateCopiesLimit = 16384; // pages (64 MB) a process keeps copies of
#else
const std::uint32_t dbPrivateCopiesLimit = 64; // small, so that tests drop copies often
#endif

void sortUnique(std::vector<std::uint32_t>& pages)
{
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
}
} // namespace

bool dbDatabase::hasCopy(std::uint32_t page) const
{
    return page / 64 < copiedPages.size() && (copiedPages[page / 64] >> (page % 64) & 1) != 0;
}

// Notes a region this object wrote through its private mapping, to be published.
void dbDatabase::notePages(std::uint64_t pos, std::uint64_t size)
{
    if (size == 0)
        return;
    const std::uint32_t last = std::uint32_t((pos + size - 1) / dbPageSize);
    if (last / 64 >= copiedPages.size()) {
        dbCriticalSection guard(copiedPagesMutex);
        copiedPages.resize(last / 64 + 1, 0);
    }
    for (std::uint32_t p = std::uint32_t(pos / dbPageSize); p <= last; p++) {
        if (writtenPages.empty() || writtenPages.back() != p)
            writtenPages.push_back(p);
        std::uint64_t& word = copiedPages[p / 64];
        if (!(word >> (p % 64) & 1)) {
            word |= std::uint64_t(1) << (p % 64);
            copiedCount++;
        }
    }
}

// Objects the working root reaches that the committed root does not share: a transaction (or an
// earlier one of the same uncommitted series) may have changed them in place, where no
// allocation noted them. (Index entries note their own pages.)
void dbDatabase::noteChangedObjects()
{
    if (!currIndex || !monitor)
        return;
    const offs_t* committed = index[committedRoot];
    const std::uint32_t used = workingIndexUsed;
    const std::uint32_t cUsed = committedIndexUsed;
    const std::uint32_t wPages = (used + dbHandlesPerPage - 1) / dbHandlesPerPage;
    for (std::uint32_t p = 0; p < wPages; p++) {
        if (!(monitor->dirtyPagesMap[p >> 5] & (1u << (p & 31))))
            continue;
        const std::uint32_t first = p * dbHandlesPerPage;
        const std::uint32_t end = std::min<std::uint32_t>(first + dbHandlesPerPage, used);
        for (oid_t i = first; i < end; i++) {
            const offs_t e = currIndex[i];
            if ((e & dbFreeHandleMarker) || (i < cUsed && committed[i] == e))
                continue;
            notePages(e & ~dbFlagsMask, objectSize(e));
        }
    }
}

// Writes what this object changed into the file: the data first, then (with header set) the
// header page (the roots, the switch, the commit record heads), so that a process killed in
// between leaves the header pointing at whole data.
void dbDatabase::publishChanges(bool withHeader)
{
    if (!baseAddr || !monitor || accessType == dbReadOnly || accessType == dbConcurrentRead)
        return;
    noteChangedObjects();
    sortUnique(writtenPages);
    if (!writtenPages.empty() && writtenPages[0] == 0)
        writtenPages.erase(writtenPages.begin());
    int rc = file.publish(writtenPages);
    if (rc != 0)
        reportError(FileError, "Failed to write database file", rc); // stops the program
    writtenPages.clear();
    if (!withHeader)
        return; // the caller publishes the header next
    publishHeader();
    if (copiedCount > dbPrivateCopiesLimit) {
        // After a large transaction: its copies go, the file holds the same bytes.
        dbCriticalSection guard(copiedPagesMutex);
        dropCopies();
    }
#ifndef NDEBUG
    // Every page this process holds a copy of must now read the same in the file: a write that
    // bypassed the notes would otherwise be lost at the next drop or never reach the disk.
    std::int64_t stale = file.firstUnpublishedPage();
    if (stale >= 0) {
        std::fprintf(stderr, "page %lld was changed but not written to the file\n", (long long)stale);
        fatalError("Assertion failed: every changed page is published");
    }
#endif
}

// The header page, last of a publish or for a switch made after everything else was published.
void dbDatabase::publishHeader()
{
    if (!baseAddr || !monitor || accessType == dbReadOnly || accessType == dbConcurrentRead)
        return;
    int rc = file.publish({0});
    if (rc != 0)
        reportError(FileError, "Failed to write database file", rc);
    // The serial and what this object has seen of it move together: a thread of this object
    // starting a transaction meanwhile must not take this object's own publish for another's
    // and drop copies its writer is still changing.
    dbCriticalSection guard(copiedPagesMutex);
    if (!hasCopy(0)) {
        // The header is stored into through the mapping without notes: it is always published,
        // and dropped with the other copies.
        if (copiedPages.empty())
            copiedPages.resize(1, 0);
        copiedPages[0] |= 1;
        copiedCount++;
    }
    publishSeen = os::interlockedIncrement(monitor->publishSerial);
}

// Under copiedPagesMutex: forgets every copy (all of them published).
void dbDatabase::dropCopies()
{
    std::vector<std::uint32_t> pages;
    for (std::size_t w = 0; w < copiedPages.size(); w++) {
        for (std::uint64_t bits = copiedPages[w]; bits != 0; bits &= bits - 1)
            pages.push_back(std::uint32_t(w * 64 + std::size_t(__builtin_ctzll(bits))));
        copiedPages[w] = 0;
    }
    file.drop(pages);
    copiedCount = 0;
}

// Under the critical section, at the start of a transaction: another database object wrote into
// the file since this one last published, so its copies of pages may be stale. Nothing of this
// object is unpublished here: it publishes before it gives up the write lock.
void dbDatabase::dropStaleCopies()
{
    dbCriticalSection guard(copiedPagesMutex);
    const std::int32_t serial = os::interlockedAdd(monitor->publishSerial, 0);
    if (serial == publishSeen)
        return;
    dropCopies();
    publishSeen = serial;
}

// An index entry of the working root, through the mapping. (Stored straight into the file it
// would save copying the page, but another process that peeks at the index without a lock would
// then find entries pointing at objects that are still this process's own.)
void dbDatabase::storeIndexEntry(offs_t* at, offs_t value)
{
    const std::uint64_t pos = std::uint64_t(reinterpret_cast<char*>(at) - baseAddr);
    if (file.isPrivate() && !hasCopy(std::uint32_t(pos / dbPageSize)))
        copyIndexPages(pos);
    *at = value;
    notePages(pos, sizeof value);
}

// The working index of a large file is changed at pages scattered over it, one or two a commit,
// and each first store into a page this object holds no copy of would fault. The pages around
// the one about to be stored into (within the working array) are copied together instead, so a
// run of commits soon finds every index page copied and stores into the index without a fault.
// Copies that are never stored into read the same as the file; like every copy they are
// counted and dropped with the others.
void dbDatabase::copyIndexPages(std::uint64_t pos)
{
    const std::uint32_t chunk = 64; // pages copied together
    const dbRoot& wr = header->root[1 - committedRoot];
    const std::uint64_t arrayBegin = wr.index, arrayEnd = wr.index + std::uint64_t(wr.indexSize) * 4;
    if (pos < arrayBegin || pos >= arrayEnd)
        return;
    const std::uint32_t page = std::uint32_t(pos / dbPageSize);
    std::uint32_t first =
        std::max<std::uint32_t>(page / chunk * chunk, std::uint32_t(arrayBegin / dbPageSize));
    std::uint32_t end = std::min<std::uint64_t>({std::uint64_t(page / chunk * chunk + chunk),
                                                 (arrayEnd + dbPageSize - 1) / dbPageSize,
                                                 std::uint64_t(file.getSize()) / dbPageSize});
    if (end <= page)
        return;
    if (end / 64 >= copiedPages.size()) {
        dbCriticalSection guard(copiedPagesMutex);
        copiedPages.resize(end / 64 + 1, 0);
    }
    // Runs of pages without a copy: a copy holds this object's unpublished changes.
    for (std::uint32_t p = first; p < end;) {
        if (hasCopy(p)) {
            p++;
            continue;
        }
        std::uint32_t q = p;
        while (q < end && !hasCopy(q)) {
            copiedPages[q / 64] |= std::uint64_t(1) << (q % 64);
            copiedCount++;
            q++;
        }
        file.copy(p, q - p);
        p = q;
    }
}

void dbDatabase::cleanup()
{
    // Work handed to the delayed-commit thread is dropped with the rest: its locks go with the
    // slot below, and whoever takes them next discards the work by recovery.
    stopDelayedCommitThread(false);
    if (monitor && slot >= 0) {
        enterCs();
        releaseSlot(slot);
        leaveCs();
    }
    {
        dbCriticalSection cs(threadContextListMutex);
        while (!threadContextList.isEmpty())
            delete static_cast<dbDatabaseThreadContext*>(threadContextList.next);
    }
    // Other threads still hold the deleted contexts in their slots: a new slot forgets them.
    threadContext.renew();
    file.close();
    locks.reset();
    monitorMemory.close(); // closing the description drops its byte-range locks
    monitor = nullptr;
    slot = -1;
    initLockHeld = false;
    baseAddr = nullptr;
    header = nullptr;
    index[0] = index[1] = currIndex = nullptr;
    opened = false;
}

bool dbDatabase::open(const char* name, const char* dbFileName, int timeout, unsigned delay)
{
    if (opened) {
        reportError(DatabaseOpenError, "Database is already opened");
        return false;
    }
    lockTimeout = timeout;
    commitDelay = 0; // set once the delayed-commit thread runs
    commitDeadlineSet = false;
    delayedCommitContext = nullptr;
    delayedCommitStop = delayedCommitAbandon = false;
    databaseName = name ? name : "";
    if (dbFileName && *dbFileName) {
        fileName = dbFileName;
    } else {
        fileName = databaseName + ".fdb";
    }
    if (!openKernelObjects()) {
        cleanup();
        return false;
    }
    resetAllocationHints();
    reservedChain = nullptr;
    modified = false;
    attachThread();
    if (!openFile(firstProcess)) {
        cleanup();
        return false;
    }
    const bool writable = accessType == dbReadWrite || accessType == dbConcurrentUpdate;
    if (!loadSchema(firstProcess && writable)) {
        cleanup();
        return false;
    }
    locks->unlock(dbLockInit);
    initLockHeld = false;
    opened = true;
    if (delay != 0 && accessType != dbReadOnly && accessType != dbConcurrentRead) {
        commitDelay = delay;
        startDelayedCommitThread();
    }
    return true;
}

bool dbDatabase::openFile(bool first)
{
    const bool readOnly = accessType == dbReadOnly || accessType == dbConcurrentRead;
    dbNewFileLayout layout = dbComputeNewFileLayout(initSize, initIndexSize);
    int rc = file.open(fileName, readOnly, layout.fileSize);
    if (rc != 0) {
        reportError(DatabaseOpenError, "Failed to create database file");
        return false;
    }
    baseAddr = file.getBase();
    header = reinterpret_cast<dbHeader*>(baseAddr);
    std::uint64_t device = 0, inode = 0;
    file.handle().identity(device, inode);
    if (!first) {
        if (monitor->fileDevice != device || monitor->fileInode != inode) {
            reportError(DatabaseOpenError, "Database file was replaced while the database is open");
            return false;
        }
        mappingVersion = 0; // the first transaction picks up the current length
        publishSeen = os::interlockedAdd(monitor->publishSerial, 0); // a new mapping holds no copies
        return true;
    }
    monitor->fileDevice = device;
    monitor->fileInode = inode;
    monitor->mappingVersion = 1;
    mappingVersion = 1;

    if (file.getSize() < dbPageSize) {
        reportError(DatabaseOpenError, "Database file was corrupted: file is too short");
        return false;
    }
    if (header->curr < 0 || header->curr > 1) {
        reportError(DatabaseOpenError, "Database file was corrupted: invalid root index");
        return false;
    }
    if (header->initialized == 1) {
        if (header->majorVersion != dbMajorVersion || header->minorVersion != dbMinorVersion) {
            reportError(DatabaseOpenError, "Database file was corrupted: unknown format version");
            return false;
        }
        if (header->dirty) {
            if (readOnly) {
                reportError(DatabaseOpenError, "Can not open dirty file in read only moode");
                return false;
            }
            if (!committedRecordHolds()) {
                // The last commit's single flush never completed: the device kept its switch
                // but not all it switched to. Nothing was acknowledged; the previous root is
                // whole, since that transaction wrote only beside it.
                dbCommitRecordHeads(baseAddr)[header->curr].magic = 0;
                header->curr = 1 - header->curr;
            }
        } else if (header->size != file.getSize()) {
            reportError(DatabaseOpenError,
                        "Database file was corrupted: file size in header differs from actual file size");
            return false;
        }
        monitor->curr = header->curr;
        std::string problem;
        if (!validateFile(problem)) {
            std::string text = "Database file was corrupted: " + problem;
            reportError(DatabaseOpenError, text.c_str());
            return false;
        }
        if (header->dirty)
            recovery();
        publishChanges(); // the root taken and the recovered working root
        return true;
    }
    if (readOnly) {
        reportError(DatabaseOpenError, "Can not open uninitialized file in read only mode");
        return false;
    }
    // Only a new (all-zero) file or one whose own layout was interrupted is laid out: a file of
    // some other kind is never overwritten. An interrupted layout has committed nothing: root 0
    // is current and neither root has handed out a user object id. A populated file whose
    // initialized word was damaged is refused, never wiped.
    const dbHeader zero = {};
    bool fresh = std::memcmp(header, &zero, sizeof zero) == 0;
    bool interrupted = header->initialized == 0 && header->majorVersion == dbMajorVersion &&
                       header->minorVersion == dbMinorVersion && header->curr == 0 &&
                       header->root[0].indexUsed <= dbFirstUserId &&
                       header->root[1].indexUsed <= dbFirstUserId;
    if (!fresh && !interrupted) {
        reportError(DatabaseOpenError, "Database file was corrupted: invalid header");
        return false;
    }
    return layoutNewFile();
}

bool dbDatabase::layoutNewFile()
{
    dbNewFileLayout l = dbComputeNewFileLayout(initSize, initIndexSize);
    if (file.getSize() < l.fileSize && file.setSize(l.fileSize) != 0) {
        reportError(DatabaseOpenError, "Failed to create database file");
        return false;
    }
    std::memset(baseAddr, 0, dbPageSize);
    header->curr = 0;
    header->size = file.getSize();
    header->root[0] = {dbPageSize, dbPageSize + 4 * l.indexSize, l.indexSize, l.indexSize, dbFirstUserId, 0};
    header->root[1] = {dbPageSize + 4 * l.indexSize, dbPageSize, l.indexSize, l.indexSize, dbFirstUserId, 0};
    header->majorVersion = dbMajorVersion;
    header->minorVersion = dbMinorVersion;
    monitor->curr = 0;

    std::memset(baseAddr + l.used, 0, std::size_t(l.bitmapPages) * dbPageSize);
    std::memset(baseAddr + l.used, 0xFF, (l.used + std::size_t(dbPageSize) * l.bitmapPages) / 128);
    index[0] = reinterpret_cast<offs_t*>(baseAddr + header->root[0].index);
    index[1] = reinterpret_cast<offs_t*>(baseAddr + header->root[1].index);
    offs_t* idx = index[0];
    idx[0] = dbFreeHandleMarker;
    idx[1] = 0;
    for (std::uint32_t i = 0; i < l.bitmapPages; i++)
        idx[dbBitmapId + i] = (l.used + i * dbPageSize) | dbPageObjectMarker;
    for (std::uint32_t i = dbBitmapId + l.bitmapPages; i < dbFirstUserId; i++)
        idx[i] = dbFreeHandleMarker;
    notePages(0, l.used + std::uint64_t(l.bitmapPages) * dbPageSize); // header, indexes, bitmap
    committedRoot = 1; // during the layout the roots are not yet in use: index[0] is written
    currIndex = index[0];
    workingIndexUsed = dbFirstUserId;
    committedIndexUsed = 0;
    resetAllocationHints();

    const std::vector<dbStoredFieldSpec>& fields = dbMetatableFields();
    std::uint32_t size = dbTableDefinitionSize("Metatable", fields);
    offs_t pos = allocateSpace(size, 0);
    auto* meta = reinterpret_cast<dbTable*>(baseAddr + pos);
    meta->size = size;
    meta->next = meta->prev = 0;
    dbWriteTableDefinition(meta, "Metatable", fields, sizeof(dbTable), 5);
    idx[dbMetatableId] = pos;

    header->dirty = 1;
    std::memcpy(index[1], index[0], std::size_t(dbFirstUserId) * 4);
    // Again: a flush inside the allocation above published what was written before it.
    notePages(0, l.used + std::uint64_t(l.bitmapPages) * dbPageSize);
    checkedFlush("Failed to create database file", "layout");
    header->initialized = 1;
    checkedFlush("Failed to create database file", "layout");
    std::memset(monitor->dirtyPagesMap, 0, sizeof monitor->dirtyPagesMap);
    monitor->refreshedCount = -1; // the working index was rewritten
    modified = false;
    return true;
}

// Checks what the committed root reaches before anything is trusted: a garbage or truncated
// file must be refused, never followed into a wild address.
bool dbDatabase::validateFile(std::string& problem)
{
    const std::uint64_t fileSize = file.getSize();
    const int c = header->curr;
    auto arrayInFile = [&](offs_t pos, std::uint32_t entries) {
        return pos >= dbPageSize && (pos & (dbPageSize - 1)) == 0 &&
               std::uint64_t(pos) + std::uint64_t(entries) * 4 <= fileSize;
    };
    for (int r = 0; r < 2; r++) {
        const dbRoot& root = header->root[r];
        if (r != c && header->dirty)
            continue; // recovery rebuilds the working root
        if (root.indexSize < dbFirstUserId || root.indexSize % dbHandlesPerPage != 0 ||
            root.shadowIndexSize < root.indexUsed || !arrayInFile(root.index, root.indexSize) ||
            !arrayInFile(root.shadowIndex, root.shadowIndexSize) || root.indexUsed < dbFirstUserId ||
            root.indexUsed > root.indexSize ||
            (root.freeList != 0 && (root.freeList < dbFirstUserId || root.freeList >= root.indexUsed))) {
            problem = "invalid object index";
            return false;
        }
    }
    const dbRoot& cr = header->root[c];
    const offs_t* ci = reinterpret_cast<const offs_t*>(baseAddr + cr.index);
    const std::uint32_t used = cr.indexUsed;
    if (ci[0] != dbFreeHandleMarker || (ci[dbMetatableId] & (dbFreeHandleMarker | dbFlagsMask)) != 0) {
        problem = "invalid object index";
        return false;
    }
    std::uint32_t pages = 0;
    while (dbBitmapId + pages < dbFirstUserId && ci[dbBitmapId + pages] != dbFreeHandleMarker)
        pages++;
    for (oid_t i = dbBitmapId + pages; i < dbFirstUserId; i++) {
        if (ci[i] != dbFreeHandleMarker) {
            problem = "invalid bitmap";
            return false;
        }
    }
    const std::uint64_t covered =
        std::min<std::uint64_t>(std::uint64_t(pages) * dbBitmapPageCoverage, fileSize);
    auto objectEnd = [&](offs_t entry, std::uint64_t& end) {
        offs_t pos = entry & ~dbFlagsMask;
        unsigned kind = entry & dbFlagsMask;
        if (pos < dbPageSize || (pos & (dbAllocationQuantum - 1)) != 0 || kind > dbHashTableItemMarker)
            return false;
        std::uint64_t size = dbInternalObjectSize(kind);
        if (kind == dbRowObject) {
            if (pos + std::uint64_t(sizeof(dbRecord)) > covered)
                return false;
            size = reinterpret_cast<const dbRecord*>(baseAddr + pos)->size;
            if (size < sizeof(dbRecord))
                return false;
        }
        end = pos + size;
        return end <= covered;
    };
    for (oid_t i = dbBitmapId; i < dbBitmapId + pages; i++) {
        std::uint64_t end;
        if ((ci[i] & dbFlagsMask) != dbPageObjectMarker || !objectEnd(ci[i], end)) {
            problem = "invalid bitmap";
            return false;
        }
    }
    // The bitmap must claim the header, both arrays of the committed root and every live object.
    auto allocatedBit = [&](std::uint64_t pos) {
        std::uint64_t q = pos / dbAllocationQuantum;
        if (q / (dbPageSize * 8) >= pages)
            return 0; // beyond the bitmap: never allocated
        const unsigned char* page = reinterpret_cast<const unsigned char*>(
            baseAddr + (ci[dbBitmapId + q / (dbPageSize * 8)] & ~dbFlagsMask));
        std::uint32_t bit = std::uint32_t(q % (dbPageSize * 8));
        return (page[bit >> 3] >> (bit & 7)) & 1;
    };
    // Every quantum of an extent, not only its first: an object that runs into free space would
    // be overwritten by the next allocation there.
    auto allocatedExtent = [&](std::uint64_t pos, std::uint64_t size) {
        for (std::uint64_t q = pos; q < pos + size; q += dbAllocationQuantum) {
            if (!allocatedBit(q))
                return false;
        }
        return true;
    };
    if (!allocatedExtent(0, dbPageSize) || !allocatedExtent(cr.index, std::uint64_t(cr.indexSize) * 4) ||
        !allocatedExtent(cr.shadowIndex, std::uint64_t(cr.shadowIndexSize) * 4)) {
        problem = "invalid bitmap";
        return false;
    }
    for (oid_t i = 1; i < used; i++) {
        offs_t e = ci[i];
        if (e & dbFreeHandleMarker) {
            if (i >= dbFirstUserId && (e & ~dbFreeHandleMarker) != 0 &&
                ((e & ~dbFreeHandleMarker) < dbFirstUserId || (e & ~dbFreeHandleMarker) >= used)) {
                problem = "invalid free object chain";
                return false;
            }
            continue;
        }
        std::uint64_t end;
        if (!objectEnd(e, end)) {
            problem = "invalid object index";
            return false;
        }
        const offs_t pos = e & ~dbFlagsMask;
        if (!allocatedExtent(pos, end - pos)) {
            problem = "object extends into free space";
            return false;
        }
    }
    // The free chain, bounded so that a cycle cannot hang the open.
    std::uint32_t steps = 0;
    for (oid_t f = cr.freeList; f != 0; f = ci[f] & ~dbFreeHandleMarker) {
        if (f < dbFirstUserId || f >= used || !(ci[f] & dbFreeHandleMarker) || ++steps > used) {
            problem = "invalid free object chain";
            return false;
        }
    }
    // Table definitions: the Metatable and the rows on its chain.
    auto liveRow = [&](oid_t oid) {
        return oid == 0 || (oid < used && (ci[oid] & (dbFreeHandleMarker | dbFlagsMask)) == 0);
    };
    auto tableOk = [&](oid_t oid) {
        const auto* t = reinterpret_cast<const dbTable*>(baseAddr + ci[oid]);
        if (t->size < sizeof(dbTable))
            return false;
        std::uint64_t nameEnd = std::uint64_t(t->name.offs) + t->name.size;
        std::uint64_t fieldsEnd =
            std::uint64_t(t->fields.offs) + std::uint64_t(t->fields.size) * sizeof(dbField);
        return nameEnd <= t->size && fieldsEnd <= t->size && t->nRows >= 0 && liveRow(t->firstRow) &&
               liveRow(t->lastRow);
    };
    if (!tableOk(dbMetatableId)) {
        problem = "invalid table definition";
        return false;
    }
    steps = 0;
    for (oid_t t = reinterpret_cast<const dbTable*>(baseAddr + ci[dbMetatableId])->firstRow; t != 0;
         t = reinterpret_cast<const dbRecord*>(baseAddr + ci[t])->next) {
        if (!liveRow(t) || !tableOk(t) || ++steps > used) {
            problem = "invalid table definition";
            return false;
        }
    }
    if (header->dirty == 0) {
        // A clean file's working root mirrors the committed one.
        const dbRoot& wr = header->root[1 - c];
        if (wr.index != cr.shadowIndex || wr.indexUsed != cr.indexUsed ||
            std::memcmp(baseAddr + wr.index, ci, std::size_t(used) * 4) != 0) {
            problem = "invalid object index";
            return false;
        }
    }
    return true;
}

// Rebuilds the working root from the committed one. Idempotent: a crash during recovery is
// repaired by the next recovery.
void dbDatabase::recovery()
{
    dbCrashPoint("recovery.begin");
    if (file.refreshSize() == 0)
        header->size = file.getSize();
    const int c = header->curr, w = 1 - c;
    dbRoot& cr = header->root[c];
    dbRoot& wr = header->root[w];
    wr.indexUsed = cr.indexUsed;
    wr.freeList = cr.freeList;
    wr.index = cr.shadowIndex;
    wr.indexSize = cr.shadowIndexSize;
    wr.shadowIndex = cr.index;
    wr.shadowIndexSize = cr.indexSize;
    committedRoot = c;
    index[c] = reinterpret_cast<offs_t*>(baseAddr + cr.index);
    index[w] = reinterpret_cast<offs_t*>(baseAddr + wr.index);
    currIndex = index[w];
    committedIndexUsed = workingIndexUsed = cr.indexUsed;
    for (std::uint32_t i = 0; i < cr.indexUsed; i++) {
        if (currIndex[i] != index[c][i]) {
            currIndex[i] = index[c][i];
            notePages(wr.index + std::uint64_t(i) * 4, 4);
        }
    }
    dbCrashPoint("recovery.indexRestored");
    restoreTablesConsistency();
    std::memset(monitor->dirtyPagesMap, 0, sizeof monitor->dirtyPagesMap);
    monitor->refreshedCount = -1; // the working index was rewritten
    monitor->curr = c;
    monitor->uncommitted = 0;
    monitor->commitRunning = 0;
    monitor->unswitchedCommitSlot = 0;
    for (dbProcessSlot& s : monitor->slots)
        s.uncommitted = 0;
    monitor->transactionCounter += 1;
    modified = false;
    resetAllocationHints();
}

// Files written by earlier versions of the engine may hold a committed last row whose next link
// was written in place by an interrupted transaction; undoing a transaction sets every table's
// last-row link back to 0. (Appending now copies the last row like any other change.)
void dbDatabase::restoreTablesConsistency()
{
    auto row = [&](oid_t oid) -> dbRecord* {
        if (oid == 0 || oid >= workingIndexUsed)
            return nullptr;
        offs_t e = currIndex[oid];
        if ((e & (dbFreeHandleMarker | dbFlagsMask)) != 0 || e < dbPageSize ||
            std::uint64_t(e) + sizeof(dbTable) > header->size)
            return nullptr;
        return reinterpret_cast<dbRecord*>(baseAddr + e);
    };
    auto fix = [&](dbTable* t) {
        dbRecord* last = row(t->lastRow);
        if (last && last->next != 0) {
            last->next = 0;
            notePages(std::uint64_t(reinterpret_cast<char*>(last) - baseAddr), sizeof(dbRecord));
        }
    };
    auto* meta = static_cast<dbTable*>(row(dbMetatableId));
    if (!meta)
        return;
    fix(meta);
    std::uint32_t steps = 0;
    for (oid_t t = meta->firstRow; t != 0 && steps++ < workingIndexUsed;) {
        auto* table = static_cast<dbTable*>(row(t));
        if (!table)
            break;
        fix(table);
        t = table->next;
    }
}

void dbDatabase::commit()
{
    dbDatabaseThreadContext* ctx = getThreadContext();
    if (!ctx || !monitor)
        return;
    {
        dbCriticalSection guard(delayedCommitMutex);
        if (ctx->commitPending)
            return;
    }
    if (ctx->writeAccess && monitor->owner != ctx->threadId)
        reportError(LockRevoked);
    enterCs();
    bool needed = modified && !monitor->commitRunning &&
                  (monitor->uncommitted || ctx->writeAccess || ctx->holdsMutatorLock ||
                   ctx->lastCommitSeen == monitor->transactionCounter);
    leaveCs();
    if (!needed) {
        endTransaction(ctx);
        return;
    }
    if (!ctx->writeAccess && !beginTransaction(ctx->holdsMutatorLock ? dbCommitLock : dbExclusiveLock))
        return;
    if (!modified) {
        // While it waited for the lock, the work was committed (by the delayed-commit thread).
        endTransaction(ctx);
        return;
    }
    if (commitDelayActive()) {
        dbCriticalSection guard(delayedCommitMutex);
        if (commitDelayActive() && !delayedCommitStop) {
            // The transaction keeps its locks; the timer thread commits it by the deadline of the
            // first commit of the series, or earlier when someone waits for a lock.
            delayedCommitContext = ctx;
            ctx->commitPending = true;
            if (!commitDeadlineSet) {
                commitDeadline = os::tickCount() + commitDelay * 1000u;
                commitDeadlineSet = true;
            }
            enterCs();
            monitor->delayedCommitOwner = os::currentProcessId();
            leaveCs();
            commitTimerStart.set();
            return;
        }
    }
    commitNow(ctx);
}

void dbDatabase::commitNow(dbDatabaseThreadContext* ctx)
{
    dbCrashPoint("commit.begin");
    const int c = committedRoot, w = 1 - c;
    dbRoot& cr = header->root[c];
    dbRoot& wr = header->root[w];
    const bool indexGrew = cr.indexSize < wr.indexSize;
    if (indexGrew) {
        // The new committed root needs a spare array of its own size; the old committed array is
        // no longer reached once the switch is made.
        offs_t shadow = allocateSpace(wr.indexSize * 4, 0);
        wr.shadowIndex = shadow;
        wr.shadowIndexSize = wr.indexSize;
        freeSpace(cr.index, cr.indexSize * 4);
        dbCrashPoint("commit.indexGrown");
    }
    dbProcessSlot& s = monitor->slots[slot];
    // Nothing is published yet: the readers let in from here on are this object's own, which read
    // its copies, and other objects' readers wait for the durable switch (lockShared). The pages
    // go out once, with what the freeing below changes, before the flush.
    enterCs();
    if (!ctx->writeAccess)
        fatalError("Assertion failed: ctx->writeAccess");
    // The writer becomes a reader while it frees space: readers may proceed meanwhile.
    monitor->commitRunning = 1;
    if (accessType == dbConcurrentUpdate) {
        // Concurrent readers take the new state from now on: the old committed array, which
        // this commit rewrites below, is no longer anybody's snapshot.
        monitor->curr = w;
    } else {
        monitor->snapshotUnsafe = 1;
    }
    monitor->nWriters -= 1;
    monitor->readerCount += 1;
    monitor->owner = 0;
    s.writer = 2; // committing: its death still calls for recovery
    s.readers += 1;
    monitor->unswitchedCommitSlot = slot + 1;
    monitor->admittedReaders = monitor->waitingReaders;
    monitor->lockChanged.signalAll();
    ctx->writeAccess = false;
    ctx->readAccess = true;
    leaveCs();

    // Free the versions the committed root used and the working root replaced.
    const offs_t* committed = index[c];
    const std::uint32_t cUsed = committedIndexUsed;
    const std::uint32_t cPages = (cUsed + dbHandlesPerPage - 1) / dbHandlesPerPage;
    int freed = 0;
    for (std::uint32_t p = 0; p < cPages; p++) {
        if (!(monitor->dirtyPagesMap[p >> 5] & (1u << (p & 31))))
            continue;
        std::uint32_t end = std::min<std::uint32_t>((p + 1) * dbHandlesPerPage, cUsed);
        for (oid_t i = p * dbHandlesPerPage; i < end; i++) {
            offs_t old = committed[i];
            if (old != currIndex[i] && !(old & dbFreeHandleMarker)) {
                freeSpace(old & ~dbFlagsMask, objectSize(old));
                if (++freed == 1)
                    dbCrashPoint("commit.freeing");
            }
        }
    }
    dbCrashPoint("commit.freed");
    dbCommitRecordHead head{};
    const bool oneFlush = !indexGrew && prepareCommitRecord(w, head);
    if (oneFlush) {
        while (monitor->backupRunning)
            monitor->backupCompleted.wait(-1);
        // The head and the switch share the header's sector; the entries are already in place.
        enterCs();
        dbCommitRecordHeads(baseAddr)[w] = head;
        header->curr = w;
        leaveCs();
        publishChanges(false);
        dbCrashPoint("commit.dataPublished");
        publishHeader();
        dbCrashPoint("commit.recorded");
        checkedFlush("Failed to flush database file", "commit.recorded", false);
    } else {
        publishChanges();
        checkedFlush("Failed to flush database file", "commit.beforeSwitch", false);
        dbCrashPoint("commit.flushed");
        while (monitor->backupRunning)
            monitor->backupCompleted.wait(-1);
        enterCs();
        dbCommitRecordHeads(baseAddr)[w].magic = 0; // durable before the switch: nothing to verify
        header->curr = w;
        leaveCs();
        publishHeader();
        dbCrashPoint("commit.switched");
        checkedFlush("Failed to flush database file", "commit.afterSwitch", false);
    }
    dbCrashPoint("commit.durable");

    // The old committed root becomes the next working root. Readers let in during the commit
    // read the roots' counts when they set up their indices, under the critical section. Other
    // processes' readers may come in from here: what they read survives this process's death.
    enterCs();
    cr.indexUsed = workingIndexUsed;
    cr.freeList = wr.freeList;
    s.writer = 3;
    monitor->unswitchedCommitSlot = 0;
    monitor->lockChanged.signalAll();
    leaveCs();
    if (!indexGrew) {
        offs_t* next = reinterpret_cast<offs_t*>(baseAddr + cr.index);
        const std::uint32_t wPages = (workingIndexUsed + dbHandlesPerPage - 1) / dbHandlesPerPage;
        std::vector<offs_t> refreshed;
        // With no other thread of this object in a transaction, a page this process holds no
        // copy of is written into the file directly: a store through the mapping would first copy
        // the page, at the cost of a page fault. (Another thread's reader may be switched to this
        // array by a later transaction's set-up while it still reads.)
        enterCs();
        const bool alone = s.readers == 1;
        leaveCs();
        for (std::uint32_t p = 0; p < wPages; p++) {
            std::uint32_t& word = monitor->dirtyPagesMap[p >> 5];
            if (!(word & (1u << (p & 31))) && (p + 1) * dbHandlesPerPage <= cUsed)
                continue;
            std::uint32_t first = p * dbHandlesPerPage;
            std::uint32_t n = std::min<std::uint32_t>(dbHandlesPerPage, workingIndexUsed - first);
            word &= ~(1u << (p & 31));
            // A page already equal is left alone: a store would dirty it for the next flush.
            if (std::memcmp(next + first, currIndex + first, std::size_t(n) * 4) == 0)
                continue;
            const std::uint64_t at = cr.index + std::uint64_t(first) * 4;
            if (alone && file.isPrivate() && !hasCopy(std::uint32_t(at / dbPageSize))) {
                int rc = file.write(at, currIndex + first, std::size_t(n) * 4);
                if (rc != 0)
                    reportError(FileError, "Failed to write database file", rc); // stops the program
            } else {
                std::memcpy(next + first, currIndex + first, std::size_t(n) * 4);
                notePages(at, std::uint64_t(n) * 4);
            }
            refreshed.push_back(cr.index + first * 4);
            if (p == 0)
                dbCrashPoint("commit.refreshing");
        }
        noteRefreshedPages(&refreshed);
    } else {
        enterCs();
        cr.index = wr.shadowIndex;
        cr.indexSize = wr.shadowIndexSize;
        cr.shadowIndex = wr.index;
        cr.shadowIndexSize = wr.indexSize;
        leaveCs();
        std::memcpy(baseAddr + cr.index, currIndex, std::size_t(workingIndexUsed) * 4);
        notePages(cr.index, std::uint64_t(workingIndexUsed) * 4);
        std::memset(monitor->dirtyPagesMap, 0, sizeof monitor->dirtyPagesMap);
        noteRefreshedPages(nullptr);
    }
    dbCrashPoint("commit.refreshed");
    publishChanges(); // the refreshed working index, before the lock goes

    enterCs();
    modified = false;
    monitor->uncommitted = 0;
    for (dbProcessSlot& other : monitor->slots)
        other.uncommitted = 0;
    monitor->commitRunning = 0;
    monitor->snapshotUnsafe = 0;
    monitor->curr = w;
    monitor->transactionCounter += 1;
    lastTransactionSeen = monitor->transactionCounter;
    s.writer = 0;
    committedRoot = w;
    committedIndexUsed = workingIndexUsed;
    leaveCs();
    dbCrashPoint("commit.end");
    endTransaction(ctx);
}

// Writes into the working root's record area the regions the new root reaches that may differ
// from what is durable, with their hashes; fills head. False when a record cannot cover the
// commit (too many regions, refreshed pages not known, an access type whose commit moves the
// roots otherwise): the commit then flushes its data before the switch.
bool dbDatabase::prepareCommitRecord(int root, dbCommitRecordHead& head)
{
    if (accessType != dbReadWrite || monitor->refreshedCount < 0)
        return false;
    dbCommitRecordEntry* area = dbCommitRecordArea(baseAddr, root);
    std::uint32_t n = 0;
    auto add = [&](offs_t pos, std::uint32_t size) {
        if (n == dbCommitRecordCapacity)
            return false;
        area[n++] = {pos, size, dbHash64(baseAddr + pos, size)};
        return true;
    };
    const offs_t* committed = index[committedRoot];
    const offs_t arrayPos = offs_t(reinterpret_cast<char*>(currIndex.get()) - baseAddr);
    const std::uint32_t wPages = (workingIndexUsed + dbHandlesPerPage - 1) / dbHandlesPerPage;
    // Every entry this transaction set (new oids included) marked its page.
    auto pageListed = [&](std::uint32_t p) {
        return (monitor->dirtyPagesMap[p >> 5] & (1u << (p & 31))) != 0;
    };
    for (std::uint32_t p = 0; p < wPages; p++) {
        if (!pageListed(p))
            continue;
        const std::uint32_t first = p * dbHandlesPerPage;
        const std::uint32_t end = std::min<std::uint32_t>(first + dbHandlesPerPage, workingIndexUsed);
        if (!add(arrayPos + first * 4, (end - first) * 4))
            return false;
        for (oid_t i = first; i < end; i++) {
            const offs_t e = currIndex[i];
            if ((e & dbFreeHandleMarker) || (i < committedIndexUsed && committed[i] == e))
                continue;
            if (!add(e & ~dbFlagsMask, objectSize(e)))
                return false;
        }
    }
    for (std::int32_t k = 0; k < monitor->refreshedCount; k++) {
        const offs_t pos = monitor->refreshedPages[k];
        const std::uint32_t p = (pos - arrayPos) / dbPageSize;
        if (pos < arrayPos || p >= wPages || pageListed(p))
            continue;
        const std::uint32_t first = p * dbHandlesPerPage;
        const std::uint32_t end = std::min<std::uint32_t>(first + dbHandlesPerPage, workingIndexUsed);
        if (!add(pos, (end - first) * 4))
            return false;
    }
    head.magic = dbCommitRecordMagic;
    head.count = n;
    head.listHash = dbHash64(area, std::size_t(n) * sizeof(dbCommitRecordEntry));
    return true;
}

// Tells the next commit which pages of its working index this one wrote after its last flush
// (nullptr: not known, so that the next commit flushes before its switch).
void dbDatabase::noteRefreshedPages(const std::vector<offs_t>* pages)
{
    if (!pages || pages->size() > dbMaxRefreshedPages || accessType != dbReadWrite) {
        monitor->refreshedCount = -1;
        return;
    }
    std::copy(pages->begin(), pages->end(), monitor->refreshedPages);
    monitor->refreshedCount = std::int32_t(pages->size());
}

// Whether the committed root's commit record (if it has one) matches the file: false proves that
// the flush of that commit did not complete.
bool dbDatabase::committedRecordHolds()
{
    return dbCommitRecordHolds(baseAddr, file.getSize(), header->curr);
}

void dbDatabase::rollback()
{
    dbDatabaseThreadContext* ctx = getThreadContext();
    if (!ctx || !monitor)
        return;
    {
        // Its commit waits in the timer thread and it began nothing since: nothing to undo, and
        // the committed work must not be.
        dbCriticalSection guard(delayedCommitMutex);
        if (ctx->commitPending)
            return;
    }
    enterCs();
    bool needed = modified && (monitor->uncommitted || ctx->writeAccess || ctx->holdsMutatorLock ||
                               ctx->lastCommitSeen == monitor->transactionCounter);
    leaveCs();
    if (needed && (ctx->writeAccess || ctx->holdsMutatorLock || beginTransaction(dbExclusiveLock))) {
        const int c = committedRoot, w = 1 - c;
        dbRoot& cr = header->root[c];
        dbRoot& wr = header->root[w];
        const offs_t* committed = index[c];
        const std::uint32_t cPages = (committedIndexUsed + dbHandlesPerPage - 1) / dbHandlesPerPage;
        offs_t* shadow = reinterpret_cast<offs_t*>(baseAddr + cr.shadowIndex);
        if (wr.index == cr.shadowIndex) {
            for (std::uint32_t p = 0; p < cPages; p++) {
                if (monitor->dirtyPagesMap[p >> 5] & (1u << (p & 31))) {
                    std::memcpy(shadow + p * dbHandlesPerPage, committed + p * dbHandlesPerPage, dbPageSize);
                    notePages(cr.shadowIndex + std::uint64_t(p) * dbPageSize, dbPageSize);
                }
            }
        } else {
            std::memcpy(shadow, committed, std::size_t(cPages) * dbPageSize);
            notePages(cr.shadowIndex, std::uint64_t(cPages) * dbPageSize);
        }
        wr.index = cr.shadowIndex;
        wr.indexSize = cr.shadowIndexSize;
        wr.shadowIndex = cr.index;
        wr.shadowIndexSize = cr.indexSize;
        wr.indexUsed = cr.indexUsed;
        wr.freeList = cr.freeList;
        index[w] = currIndex = shadow;
        workingIndexUsed = committedIndexUsed;
        enterCs();
        std::memset(monitor->dirtyPagesMap, 0, sizeof monitor->dirtyPagesMap);
        monitor->refreshedCount = -1; // the working index was rewritten
        modified = false;
        monitor->uncommitted = 0;
        for (dbProcessSlot& other : monitor->slots)
            other.uncommitted = 0;
        monitor->transactionCounter += 1;
        lastTransactionSeen = monitor->transactionCounter;
        leaveCs();
        restoreTablesConsistency();
        resetAllocationHints();
    }
    endTransaction(ctx);
}

void dbDatabase::close()
{
    if (!opened)
        return;
    detachThread(dbCommitOnDetach | dbDestroyContext);
    // A delayed commit (ours from just now, or another thread's) is made before anything closes.
    stopDelayedCommitThread(true);
    {
        // Other threads' contexts go too; their locks are given back first.
        dbCriticalSection cs(threadContextListMutex);
        for (dbL2List* l = threadContextList.next; l != &threadContextList; l = l->next)
            endTransaction(static_cast<dbDatabaseThreadContext*>(l));
    }
    enterCs();
    dropStaleCopies(); // the header is read and written below
    // A process that died is found here even when nobody waited for a lock since: a writer
    // killed while it committed (a reader by then, no longer counted in nWriters) may have left
    // a half-done commit that only recovery can repair.
    reapDeadSlots();
    const bool writable = accessType == dbReadWrite || accessType == dbConcurrentUpdate;
    // Clean only when no other live process could still have work in the working root.
    if (header->dirty && writable && !modified && monitor->nWriters == 0 && !monitor->uncommitted &&
        !monitor->recoveryNeeded && !monitor->commitRunning &&
        locks->tryLock(dbLockUsers, os::ByteRangeLock::Exclusive)) {
        checkedFlush("Failed to flush database file", "close");
        header->dirty = 0;
        checkedFlush("Failed to flush database file", "close");
    }
    leaveCs();
    // Descriptors shared by every database are free again for the next one to bind.
    unbindTables();
    cleanup();
}

void dbDatabase::startDelayedCommitThread()
{
    delayedCommitThreadReady.reset();
    commitTimerStart.reset();
    delayedCommitStop = delayedCommitAbandon = false;
    delayedCommitThreadRunning = true;
    delayedCommitThread.start([this] { delayedCommitProc(); });
    delayedCommitThreadReady.wait(-1);
}

// commitPendingWork: make a delayed commit before the thread ends (close), or drop it (the object
// dies without closing: its locks and working root go the way of a process that ends).
void dbDatabase::stopDelayedCommitThread(bool commitPendingWork)
{
    if (!delayedCommitThreadRunning)
        return;
    {
        dbCriticalSection guard(delayedCommitMutex);
        delayedCommitStop = true;
        delayedCommitAbandon = !commitPendingWork;
        delayedCommitThreadRunning = false; // commits from now on are made at once
        commitDelay = 0;
    }
    monitor->delayedCommitEvent.set();
    commitTimerStart.set();
    delayedCommitThread.join();
}

// Under delayedCommitMutex: the thread whose commit waits begins a new transaction.
void dbDatabase::takeBackDelayedCommit(dbDatabaseThreadContext* ctx)
{
    if (delayedCommitContext != ctx)
        return;
    delayedCommitContext = nullptr;
    ctx->commitPending = false;
    // The deadline stays: the commit that ends this transaction is due when the one taken back was.
    enterCs();
    monitor->delayedCommitOwner = 0;
    leaveCs();
    monitor->delayedCommitEvent.set(); // the timer stops waiting for a commit that is gone
}

void dbDatabase::delayedCommitProc()
{
    delayedCommitThreadReady.set();
    for (;;) {
        commitTimerStart.wait(-1);
        int waitMs = 0;
        {
            dbCriticalSection guard(delayedCommitMutex);
            commitTimerStart.reset();
            if (!delayedCommitStop && delayedCommitContext &&
                os::interlockedAdd(monitor->pendingTransactions, 0) == 0) {
                std::int32_t left = std::int32_t(commitDeadline - os::tickCount());
                waitMs = left > 0 ? left : 0;
            }
        }
        if (waitMs > 0) {
            // Lock waiters, a take-back and close cut the wait short.
            monitor->delayedCommitEvent.reset();
            monitor->delayedCommitEvent.wait(waitMs);
            monitor->delayedCommitEvent.reset();
        }
        dbCriticalSection guard(delayedCommitMutex);
        if (dbDatabaseThreadContext* ctx = delayedCommitContext) {
            delayedCommitContext = nullptr;
            commitDeadlineSet = false;
            enterCs();
            monitor->delayedCommitOwner = 0;
            leaveCs();
            if (!delayedCommitAbandon) {
                // The context is adopted for the commit, so that what runs inside it (growth of
                // the file, the cursor reset) finds the transaction's locks.
                ctx->commitPending = false; // before the locks go: a waiter may look at it next
                threadContext.set(ctx);
                commitNow(ctx);
                threadContext.set(nullptr);
                if (ctx->deleteAfterCommit) {
                    dbCriticalSection cs(threadContextListMutex);
                    delete ctx;
                }
            } else {
                ctx->commitPending = false; // the context list and the slot are cleaned up next
            }
        }
        if (delayedCommitStop)
            break;
    }
}
