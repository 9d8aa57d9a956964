#pragma once

#include "engine286/Format.h"
#include "engine286/MappedFile.h"
#include "engine286/Monitor.h"
#include "engine286/Sync.h"
#include "engine286/ThreadPool.h"
#include "platform/os/ProcessLocks.h"
#include "platform/os/SharedMemory.h"
#include "platform/rtl/Exceptions.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class dbTableDescriptor;
class dbAnyCursor;
class dbDatabase;

// The engine's recoverable errors, thrown out of the operation that met them:
//   - an object id that names no live row: "Invalid object reference" (getRow and everything
//     that reads rows through it: cursors, records, indices);
//   - stored data that fails a check, as a damaged or hostile file can have it: the texts of
//     Messages.h ("Row is corrupted", "Index object is corrupted", "Row chain is corrupted");
//   - a lock wait that gave up: "Lock wait timed out" (see open);
//   - misuse of a cursor or record operation: "No current record", "Update through a read-only
//     cursor", "Null reference", "Record is too large", "Table is not bound to this database",
//     "Database is not opened", "Field type can not be indexed";
//   - a hash index that cannot get consecutive pages: "Failed to allocate consecutive index
//     pages".
// errCode is 0 for all of them. Conditions the program cannot go on from are not thrown: they
// are reported through dbDatabase::reportError (see dbErrorClass).
class dbException : public Exception {
public:
    explicit dbException(const AnsiString& msg, int errCode = 0) : Exception(msg), errCode(errCode) {}
    int getErrCode() const { return errCode; }

private:
    int errCode;
};

enum dbAccessType {
    dbReadOnly = 0,
    dbReadWrite = 1,
    dbConcurrentRead = 2,
    dbConcurrentUpdate = 3,
};

enum dbLockType {
    dbSharedLock = 0,
    dbExclusiveLock = 1,
    dbCommitLock = 2, // the write lock of a mutator in concurrent-update mode
};

// Error classes passed to reportError, with what the engine's own reportError prints to
// standard error and whether it then returns to the caller or stops the program.
enum dbErrorClass {
    NoError = 0,
    QueryError = 1,           // compiling a query: "<message> in position <n>"; returns
    ArithmeticError = 2,      // evaluating a condition: "<message>"; returns, the select fails
    IndexOutOfRangeError = 3, // evaluating: "Index <n> is out of range"; returns, the select fails
    DatabaseOpenError = 4,    // open and the schema load: "<message>"; returns, open fails
    FileError = 5,            // a file call failed: "<message>: <system error text>"; stops
    OutOfMemoryError = 6,     // no memory or file space left: "Not enough memory..."; stops
    Deadlock = 7,             // two shared holders upgrading to exclusive at once; stops
    NullReferenceError = 8,   // evaluating: "Null object reference is accessed"; returns, the select fails
    LockRevoked = 9,          // this writer's lock was revoked; stops
    FileLimitExeeded = 10,    // the file would pass setFileSizeLimit; returns, prints nothing
    InconsistentInverseReference = 11, // a schema warning: "<message>"; returns
    DatabaseReadOnly = 12,             // a change under a read-only access type; stops
};

// What a thread holds in one database. Reached through the database's thread-local slot.
class dbDatabaseThreadContext : public dbL2List {
public:
    dbDatabaseThreadContext();

    bool readAccess = false;
    bool writeAccess = false;
    bool holdsMutatorLock = false;
    std::uint32_t lastCommitSeen = 0;
    dbL2List cursors;         // the thread's open cursors (ring of dbAnyCursor members)
    void* compiler = nullptr; // the thread's query compiler, owned by the query layer
    std::uint32_t threadId;
    // Set and cleared under delayedCommitMutex; atomic so that the owning thread may look
    // without taking it.
    std::atomic<bool> commitPending{false};
    bool deleteAfterCommit = false;
};

// A database: the mapped file, the two object indexes, the space allocator, the locks shared
// with the other threads and processes that open the same database, and transactions.
//
// Thread safety: one object serves every thread of the process; each thread runs its own
// transaction (see beginTransaction). Object-level calls (getRow, allocateRow...) require the
// calling thread to be inside a transaction of the right kind.
//
// Later layers (tables, records, indices, cursors, queries) add their members in their own
// .cpp files; the members they need are declared here.
class dbDatabase {
public:
    // accessType: dbAccessType. initSize: bytes of a new file (0: 1 MB). extensionQuantum: bytes
    // of address space added when the allocator finds no room. initIndexSize: object index
    // entries of a new file. nThreads: parallel scan threads (0: one per processor, at most 64).
    dbDatabase(int accessType = dbReadWrite, std::uint32_t initSize = dbDefaultInitDatabaseSize,
               std::uint32_t extensionQuantum = dbDefaultExtensionQuantum,
               std::uint32_t initIndexSize = dbDefaultInitIndexSize, int nThreads = 1);
    // Does not close the database.
    virtual ~dbDatabase();
    dbDatabase(const dbDatabase&) = delete;
    dbDatabase& operator=(const dbDatabase&) = delete;

    // The error hook: an errorHandler set by setErrorHandler sees every report first; then the
    // message is printed and the call returns or stops the program, by class (see dbErrorClass:
    // QueryError, ArithmeticError, IndexOutOfRangeError, DatabaseOpenError, NullReferenceError,
    // FileLimitExeeded and InconsistentInverseReference return; the others stop).
    virtual void reportError(int errorClass, const char* msg = "", int arg = 0);

    // Opens the database called name, stored in fileName (default "<name>.fdb"). Returns false
    // after reporting class 4.
    //
    // lockTimeout: how long, in milliseconds, a transaction waits for its lock (negative or
    // INT_MAX: no limit; 0: not at all). Holders that died are found and revoked whatever the
    // time-out; a live holder is never revoked. When the time-out passes while a live thread or
    // process still holds the lock, the waiter gives up: beginTransaction, and the record,
    // cursor, select and commit operations that begin a transaction, throw dbException "Lock
    // wait timed out" (the caller's own locks and uncommitted work stay as they were), and an
    // open that cannot lock the database to load its tables fails with a class 4 report.
    bool open(const char* name, const char* fileName = nullptr, int lockTimeout = INT_MAX,
              unsigned commitDelay = 0);
    // Commits the calling thread's work and closes.
    void close();
    // Commits the calling thread's transaction and releases its locks. With a commit delay the
    // transaction, locks and all, goes to the delayed-commit thread, which makes it within the
    // delay (earlier when another thread or process waits for a lock, and at close); if this
    // thread begins a new transaction first, it takes the commit back and goes on with it.
    void commit();
    // Discards the calling thread's uncommitted changes and releases its locks. With a commit
    // delay, a transaction that took back its thread's delayed commit holds that work too, and a
    // rollback discards it with the rest (a commit is final once it has been made).
    void rollback();
    bool isOpen() const { return opened; }
    void allowFieldRemoval(bool enabled) { fieldRemovalAllowed = enabled; }
    bool isFieldRemovalAllowed() const { return fieldRemovalAllowed; }

    // Receives every report first (nothing in the program sets it; tests do).
    typedef void (*dbErrorHandler)(int errorClass, const char* msg, int arg);
    void setErrorHandler(dbErrorHandler handler) { errorHandler = handler; }
    // Reports class 10 (silently) when the file grows past this size; 0: no limit.
    void setFileSizeLimit(std::uint32_t limit) { fileSizeLimit = limit; }

    // Number of live database objects (over all processes) attached to this database.
    int getAttachedProcessCount();

    // ---- Transactions and thread contexts -------------------------------------------------
    // Begins (or continues) the calling thread's transaction with at least the given lock.
    // Returns false only when the file could not be mapped again after another process grew it;
    // throws dbException when the lock time-out passes (see open).
    bool beginTransaction(int lockType);
    // Resets the thread's cursors and releases its locks.
    void endTransaction(dbDatabaseThreadContext* ctx);
    void attachThread();
    enum { dbCommitOnDetach = 1, dbDestroyContext = 2 };
    void detachThread(int flags = dbCommitOnDetach | dbDestroyContext);
    void releaseUncommitted();
    dbDatabaseThreadContext* getThreadContext();

    // ---- Storage internals ------------------------------------------------------------------
    // The object, space and row-list primitives are the storage layer's interface to the layers
    // built on it (records, indices, schema, cursors) and to the engine's tests; applications use
    // cursors and the record operations instead. Each requires the calling thread to be inside a
    // transaction (beginTransaction): reading needs a shared lock at least, changing the
    // exclusive lock. Returned addresses point into the mapping; they stay valid until the
    // object is changed again (a copy may move it), freed, or the transaction ends. An invalid
    // object id is fatal here (fatalError), except in getRow and the row operations built on it,
    // which throw dbException "Invalid object reference".

    // ---- Objects ----------------------------------------------------------------------------
    // Address of the current version of an object; kind bits masked off.
    char* getObject(oid_t oid);
    // Address of a version the running transaction may change (copied first when needed).
    char* putObject(oid_t oid);
    void freeObject(oid_t oid);
    oid_t allocateInternalObject(int kind);
    // The current version of a row; throws dbException when oid names no live row.
    dbRecord* getRow(oid_t oid);
    dbRecord* getWritableRow(oid_t oid);
    // A writable version of newSize bytes with the old links (body not copied).
    dbRecord* resizeRow(oid_t oid, std::uint32_t newSize);
    // A new row of size bytes appended to the table's row list.
    oid_t allocateRow(oid_t tableId, std::uint32_t size);
    void unlinkRow(oid_t tableId, oid_t oid);
    dbTable* getTable(oid_t tableId) { return static_cast<dbTable*>(getRow(tableId)); }
    dbTable* getWritableTable(oid_t tableId) { return static_cast<dbTable*>(getWritableRow(tableId)); }
    // The working index entry of an oid (free marker in bit 31, kind in bits 0 to 2), or the
    // free marker for an oid outside the index.
    offs_t getObjectHandle(oid_t oid);

    // ---- Space -------------------------------------------------------------------------------
    offs_t allocateSpace(std::uint32_t size, oid_t oid = 0);
    void freeSpace(offs_t pos, std::uint32_t size);
    void copyBitmapPages(offs_t pos, std::uint32_t size);
    oid_t allocateObjectId(int n = 1);
    void freeObjectId(oid_t oid, int n = 1);
    void extendFile(std::uint32_t size);
    void markHeaderDirty();

    char* getBase() const { return baseAddr; }
    dbHeader* getHeader() const { return header; }
    std::uint32_t getWorkingIndexUsed() const { return workingIndexUsed; }
    std::uint32_t getCommittedIndexUsed() const { return committedIndexUsed; }
    std::uint32_t getTransactionCounter() const;
    const std::string& getFileName() const { return fileName; }
    const std::string& getDatabaseName() const { return databaseName; }
    int getAccessType() const { return accessType; }
    // Workers for parallel scans, and how many a scan may use.
    dbThreadPool& getThreadPool() { return threadPool; }
    int getParallelScanThreads() const { return parallelScanThreads; }

    // Later layers: the schema load run by open (alter only in the first process), the cursor
    // reset run when a transaction ends, and the table descriptors bound by the schema load.
    bool loadSchema(bool alter);
    void resetCursors(dbDatabaseThreadContext* ctx);
    // Unbinds the descriptors bound to this database and destroys the copies made for it
    // (Schema.cpp); to be run by close, so that a later open of any database can bind them.
    void unbindTables();

    // ---- Records (Records.cpp): each takes the write lock and keeps indices and inverse
    // references in step. Errors in stored rows throw dbException.
    void insertRecord(dbTableDescriptor* table, oid_t* oid, const void* record);
    void updateRecord(oid_t oid, dbTableDescriptor* table, const void* record);
    void removeRecord(dbTableDescriptor* table, oid_t oid);
    void removeAllRows(dbTableDescriptor* table);
    // The table descriptors bound to this database, filled by the schema load (Schema.cpp) and
    // emptied by unbindTables; read by the record and query layers while the database is open.
    std::vector<dbTableDescriptor*> tables;

protected:
    // Fatal reports end here: the message is written and the program stops.
    [[noreturn]] void fatalError(const char* text);

private:
    friend class dbDatabaseTestAccess; // tests read the lock counts

    struct dbRovingPosition {
        oid_t page = dbBitmapId;
        std::uint32_t offset = 0;
    };
    struct dbReservedRegion {
        offs_t pos;
        std::uint32_t size;
        dbReservedRegion* next;
    };

    bool openKernelObjects();
    void closeKernelObjects();
    void initMonitor();
    bool claimSlot();
    void enterCs();
    void leaveCs();
    void reapDeadSlots();
    void releaseSlot(int i);
    void rebuildMonitorCounts();
    // When a lock wait gives up (lockTimeout from open; not finite: never).
    struct LockDeadline {
        bool finite = false;
        std::uint32_t end = 0; // tick count
        bool passed() const;
    };
    LockDeadline lockDeadline() const;
    void waitLockChange(std::uint32_t seen, const LockDeadline& deadline);
    bool lockExclusive(dbDatabaseThreadContext* ctx);
    void lockShared(dbDatabaseThreadContext* ctx);
    bool refreshMapping();
    void setupIndexes();
    void runPendingRecovery();
    void lockMutator(dbDatabaseThreadContext* ctx);
    void releaseWriteLock(dbDatabaseThreadContext* ctx);
    void recoverUnderWriteLock(dbDatabaseThreadContext* ctx);
    bool commitDelayActive() const { return delayedCommitThreadRunning.load(std::memory_order_acquire); }
    void startDelayedCommitThread();
    void stopDelayedCommitThread(bool commitPendingWork);
    void delayedCommitProc();
    void takeBackDelayedCommit(dbDatabaseThreadContext* ctx);

    bool openFile(bool first);
    bool layoutNewFile();
    bool validateFile(std::string& error);
    void recovery();
    void restoreTablesConsistency();
    void commitNow(dbDatabaseThreadContext* ctx);
    bool prepareCommitRecord(int root, dbCommitRecordHead& head);
    void noteRefreshedPages(const std::vector<offs_t>* pages);
    bool committedRecordHolds();
    bool checkedFlush(const char* what, const char* point, bool publishFirst = true);
    void notePages(std::uint64_t pos, std::uint64_t size);
    void copyIndexPages(std::uint64_t pos);
    void noteChangedObjects();
    void publishChanges(bool withHeader = true);
    void publishHeader();
    bool hasCopy(std::uint32_t page) const;
    void dropCopies();
    void dropStaleCopies();
    void storeIndexEntry(offs_t* at, offs_t value);
    void setIndexEntry(oid_t oid, offs_t value);
    void setDirty(oid_t oid);
    bool isUnchanged(oid_t oid);
    std::uint32_t objectSize(offs_t entry);
    offs_t allocateSmall(std::uint32_t size, oid_t oid);
    offs_t grow(std::uint32_t size, oid_t oid, oid_t lastPage, std::uint32_t pendingBits, bool pageClass);
    void finishAllocation(offs_t pos, std::uint32_t size, oid_t oid);
    void setBits(offs_t pos, std::uint32_t size, bool value);
    bool overlapsReserved(offs_t pos, std::uint32_t size) const;
    void resetAllocationHints();
    std::uint32_t bitmapEnd();
    void cleanup();

    int accessType;
    std::uint32_t initSize;
    std::uint32_t extensionQuantum;
    std::uint32_t initIndexSize;
    int parallelScanThreads;

    bool opened = false;
    bool fieldRemovalAllowed = false;
    bool firstProcess = false;
    std::string databaseName;
    std::string fileName;
    int lockTimeout = INT_MAX;
    unsigned commitDelay = 0; // seconds; 0: every commit is made when it is asked for

    // The delayed commit: commit hands the transaction (still holding its locks) to this thread,
    // which commits it at the latest commitDelay seconds after the first commit of the series
    // was delayed, or at once when a lock waiter signals the monitor's delayed-commit event.
    // delayedCommitMutex guards the hand-over: delayedCommitContext, the contexts' commitPending
    // and deleteAfterCommit, the deadline and the stop flags.
    os::Thread delayedCommitThread;
    std::atomic<bool> delayedCommitThreadRunning{false};
    dbMutex delayedCommitMutex;
    os::LocalEvent commitTimerStart;
    os::LocalEvent delayedCommitThreadReady;
    dbDatabaseThreadContext* delayedCommitContext = nullptr;
    bool commitDeadlineSet = false;
    std::uint32_t commitDeadline = 0; // tick count
    bool delayedCommitStop = false;
    bool delayedCommitAbandon = false; // stop without committing (destroyed without close)
    std::uint32_t fileSizeLimit = 0;
    dbErrorHandler errorHandler = nullptr;

    dbMappedFile file;
    char* baseAddr = nullptr;
    dbHeader* header = nullptr;
    // The transaction state of this object, shared by its threads (see dbSharedField).
    dbSharedField<offs_t*> index[2];
    dbSharedField<offs_t*> currIndex;
    dbSharedField<int> committedRoot; // the root the current transaction treats as committed
    dbSharedField<std::uint32_t> workingIndexUsed;
    dbSharedField<std::uint32_t> committedIndexUsed;
    dbSharedField<std::uint32_t> mappingVersion;
    dbSharedField<bool> modified; // uncommitted changes; read by commit in any thread
    std::int64_t transactionAllocated = 0;
    std::uint32_t lastTransactionSeen = 0; // monitor transaction counter of our last write

    // The file is mapped privately (see dbMappedFile): the pages this object changed since it
    // last published (page numbers; noted by the writer, may repeat), one bit per page it holds
    // its own copy of (grown and dropped under copiedPagesMutex) and their count, and the
    // monitor's publish serial as of this object's last publish or drop.
    std::vector<std::uint32_t> writtenPages;
    std::vector<std::uint64_t> copiedPages;
    std::uint32_t copiedCount = 0;
    dbMutex copiedPagesMutex;
    std::atomic<std::int32_t> publishSeen{0};

    dbRovingPosition smallRoving, pageRoving;
    std::vector<int> pageFreeRunBound;
    dbReservedRegion* reservedChain = nullptr;

    os::SharedMemory monitorMemory;
    dbMonitor* monitor = nullptr;
    std::unique_ptr<os::ByteRangeLock> locks;
    int slot = -1;
    bool initLockHeld = false;

    dbThreadPool threadPool;
    os::TlsKey threadContext;
    dbL2List threadContextList;
    dbMutex threadContextListMutex;
};

// Test hook: called with a name at each step of a commit, allocation and recovery where a crash
// matters. Tests install a function that kills the process at a chosen point.
typedef void (*dbCrashHook)(const char* point);
void dbSetCrashHook(dbCrashHook hook);
void dbCrashPoint(const char* point);

// Test hook: called instead of each flush of the database file with the flush's name
// ("header.dirty", "commit.recorded", "commit.beforeSwitch", "commit.afterSwitch", "layout",
// "close"); a non-zero result is taken as the flush's error code (an errno value) and nothing is
// written.
typedef int (*dbFlushFaultHook)(const char* point);
void dbSetFlushFaultHook(dbFlushFaultHook hook);
