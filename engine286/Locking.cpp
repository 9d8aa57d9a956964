// Locks between the threads and processes of one database, the shared monitor and the thread
// contexts.
//
// The reader/writer lock is kept as counts in the monitor (readerCount, nWriters and the waiting
// counts), changed only under the monitor's robust mutex. A thread that cannot have the lock yet
// registers as waiting and sleeps on the monitor's lockChanged signal; every release moves the
// signal and the sleepers re-check the counts. Writers have priority: a new reader waits while a
// writer holds or waits for the lock, except the readers a commit lets in when it turns its
// writer into a reader. Each sleeper wakes at least every few hundred milliseconds and probes the
// other attached processes' slot locks: the counts of a process that died are revoked, and if it
// was writing, its work is discarded by recovery before anyone uses the working index. A live
// holder is never revoked, however long it holds the lock.
#include "engine286/Database.h"

#include "platform/os/Sync.h"

#include <cstring>

namespace {
const int dbLockPollMs = 100;
} // namespace

dbDatabaseThreadContext::dbDatabaseThreadContext() : threadId(os::currentThreadId()) {}

bool dbDatabase::openKernelObjects()
{
    std::string dir = ".";
    std::size_t slash = fileName.rfind('/');
    if (slash != std::string::npos)
        dir = slash == 0 ? "/" : fileName.substr(0, slash);
    std::string base = databaseName;
    slash = base.rfind('/');
    if (slash != std::string::npos)
        base = base.substr(slash + 1);
    std::string path = dir + "/" + base + ".dm";

    if (monitorMemory.open(path, sizeof(dbMonitor)) != 0) {
        reportError(DatabaseOpenError, "Failed to open database monitor");
        return false;
    }
    monitor = static_cast<dbMonitor*>(monitorMemory.address());
    locks = std::make_unique<os::ByteRangeLock>(monitorMemory.handle());
    if (locks->lock(dbLockInit, os::ByteRangeLock::Exclusive) != 0) {
        reportError(DatabaseOpenError, "Failed to start database initialization");
        return false;
    }
    initLockHeld = true;
    firstProcess = locks->tryLock(dbLockUsers, os::ByteRangeLock::Exclusive);
    if (firstProcess) {
        initMonitor();
        if (!locks->tryLock(dbLockUsers, os::ByteRangeLock::Shared)) {
            reportError(DatabaseOpenError, "Failed to initialize database monitor");
            return false;
        }
    } else {
        if (monitor->magic != dbMonitorMagic || monitor->layoutVersion != dbMonitorLayoutVersion) {
            reportError(DatabaseOpenError, "Failed to open shared semaphore");
            return false;
        }
        if (locks->lock(dbLockUsers, os::ByteRangeLock::Shared) != 0) {
            reportError(DatabaseOpenError, "Failed to open database monitor");
            return false;
        }
    }
    if (!claimSlot()) {
        reportError(DatabaseOpenError, "Failed to open database monitor");
        return false;
    }
    return true;
}

// Lays the monitor out afresh. Only an opener that found no live user does this, so whatever a
// crashed process left in the file is discarded.
void dbDatabase::initMonitor()
{
    std::memset(monitor, 0, sizeof(dbMonitor));
    monitor->csCounter = 1;
    monitor->mcsCounter = 1;
    monitor->transactionCounter = 1;
    monitor->mappingVersion = 1;
    monitor->cs.init();
    monitor->lockChanged.init();
    monitor->backupCompleted.init();
    monitor->delayedCommitEvent.init();
    monitor->magic = dbMonitorMagic;
    monitor->layoutVersion = dbMonitorLayoutVersion;
}

bool dbDatabase::claimSlot()
{
    enterCs();
    reapDeadSlots();
    for (int i = 0; i < dbMaxAttached; i++) {
        dbProcessSlot& s = monitor->slots[i];
        if (s.inUse)
            continue;
        if (!locks->tryLock(dbLockSlot(i), os::ByteRangeLock::Exclusive))
            continue;
        std::memset(&s, 0, sizeof s);
        s.inUse = 1;
        s.pid = os::currentProcessId();
        slot = i;
        monitor->users += 1;
        leaveCs();
        return true;
    }
    leaveCs();
    return false;
}

void dbDatabase::enterCs()
{
    if (!monitor->cs.lock()) {
        // Its previous holder died inside: the counts may be half updated. Rebuild them from the
        // slots, which each process updates together with the counts, then revoke the dead.
        rebuildMonitorCounts();
        reapDeadSlots();
    }
}

void dbDatabase::leaveCs()
{
    monitor->cs.unlock();
}

void dbDatabase::rebuildMonitorCounts()
{
    int readers = 0, writers = 0, waitingReaders = 0, waitingWriters = 0, upgrading = 0, users = 0;
    for (const dbProcessSlot& s : monitor->slots) {
        if (!s.inUse)
            continue;
        users += 1;
        readers += s.readers;
        writers += s.writer == 1 ? 1 : 0;
        waitingReaders += s.waitingReaders;
        waitingWriters += s.waitingWriters;
        upgrading += s.upgrading;
    }
    monitor->readerCount = readers;
    monitor->nWriters = writers;
    monitor->waitingReaders = waitingReaders;
    monitor->waitingWriters = waitingWriters;
    monitor->waitForUpgrade = upgrading ? 1 : 0;
    monitor->users = users;
    if (writers == 0)
        monitor->owner = 0;
}

// Called under the critical section: takes back everything slot i contributed to the counts, as
// when its database object died or was destroyed without closing. Work it was writing cannot be
// trusted: the working root is rebuilt before anyone uses it.
void dbDatabase::releaseSlot(int i)
{
    dbProcessSlot& s = monitor->slots[i];
    monitor->readerCount -= s.readers;
    monitor->waitingReaders -= s.waitingReaders;
    monitor->waitingWriters -= s.waitingWriters;
    if (s.upgrading)
        monitor->waitForUpgrade = 0;
    if (s.writer != 0 || s.uncommitted) {
        if (s.writer == 1) {
            monitor->nWriters = 0;
            monitor->owner = 0;
        }
        monitor->commitRunning = 0;
        monitor->recoveryNeeded = 1;
    }
    monitor->users -= 1;
    std::memset(&s, 0, sizeof s);
    if (monitor->admittedReaders > monitor->waitingReaders)
        monitor->admittedReaders = monitor->waitingReaders;
    monitor->lockChanged.signalAll();
}

// Called under the critical section: revokes everything the dead database objects held.
void dbDatabase::reapDeadSlots()
{
    for (int i = 0; i < dbMaxAttached; i++) {
        dbProcessSlot& s = monitor->slots[i];
        if (!s.inUse || i == slot || locks->isLockedByOther(dbLockSlot(i)))
            continue;
        releaseSlot(i);
        monitor->lastRevocationTime = os::tickCount();
    }
}

// Called under the critical section with the caller registered as waiting: sleeps until the
// counts change or a poll period passes, then (on a quiet period) looks for dead holders.
void dbDatabase::waitLockChange(std::uint32_t seen)
{
    leaveCs();
    bool moved = monitor->lockChanged.waitChange(seen, dbLockPollMs);
    enterCs();
    if (!moved)
        reapDeadSlots();
}

bool dbDatabase::lockExclusive(dbDatabaseThreadContext* ctx)
{
    if (ctx->writeAccess) {
        if (monitor->owner != ctx->threadId)
            reportError(LockRevoked);
        return true;
    }
    if (accessType == dbReadOnly || accessType == dbConcurrentRead)
        fatalError("Assertion failed: accessType != dbReadOnly && accessType != dbConcurrentRead");
    dbProcessSlot& s = monitor->slots[slot];
    enterCs();
    if (ctx->readAccess) {
        if (monitor->readerCount != 1) {
            if (monitor->waitForUpgrade) {
                leaveCs();
                reportError(Deadlock);
                return false;
            }
            monitor->waitForUpgrade = 1;
            s.upgrading = 1;
            monitor->waitingWriters += 1;
            s.waitingWriters += 1;
            while (!(monitor->readerCount == 1 && monitor->nWriters == 0))
                waitLockChange(monitor->lockChanged.sequence());
            monitor->waitForUpgrade = 0;
            s.upgrading = 0;
            monitor->waitingWriters -= 1;
            s.waitingWriters -= 1;
        }
        monitor->readerCount -= 1;
        s.readers -= 1;
        ctx->readAccess = false;
    } else if (monitor->nWriters != 0 || monitor->readerCount != 0 || monitor->waitForUpgrade) {
        monitor->waitingWriters += 1;
        s.waitingWriters += 1;
        while (monitor->nWriters != 0 || monitor->readerCount != 0 || monitor->waitForUpgrade)
            waitLockChange(monitor->lockChanged.sequence());
        monitor->waitingWriters -= 1;
        s.waitingWriters -= 1;
    }
    monitor->nWriters = 1;
    s.writer = 1;
    monitor->owner = ctx->threadId;
    ctx->writeAccess = true;
    leaveCs();
    return true;
}

void dbDatabase::lockShared(dbDatabaseThreadContext* ctx)
{
    dbProcessSlot& s = monitor->slots[slot];
    enterCs();
    if (monitor->nWriters + monitor->waitingWriters > 0) {
        monitor->waitingReaders += 1;
        s.waitingReaders += 1;
        // Waiting writers go first, except for the readers a commit let in.
        while (!(monitor->nWriters == 0 && (monitor->waitingWriters == 0 || monitor->admittedReaders > 0)))
            waitLockChange(monitor->lockChanged.sequence());
        if (monitor->admittedReaders > 0)
            monitor->admittedReaders -= 1;
        monitor->waitingReaders -= 1;
        s.waitingReaders -= 1;
    }
    monitor->readerCount += 1;
    s.readers += 1;
    ctx->readAccess = true;
    leaveCs();
}

// After another process grew the file, this process only has to learn the new length: the
// mapping already spans the format's whole range.
bool dbDatabase::refreshMapping()
{
    if (monitor->mappingVersion == mappingVersion)
        return true;
    if (file.refreshSize() != 0 || file.getSize() < header->size) {
        reportError(FileError, "Failed to reopen database file", 0);
        return false;
    }
    mappingVersion = monitor->mappingVersion;
    return true;
}

// Under the critical section: points the index pointers at the roots as the monitor says.
void dbDatabase::setupIndexes()
{
    int curr = monitor->curr;
    index[0] = reinterpret_cast<offs_t*>(baseAddr + header->root[0].index);
    index[1] = reinterpret_cast<offs_t*>(baseAddr + header->root[1].index);
    committedRoot = curr;
    committedIndexUsed = header->root[curr].indexUsed;
    if (accessType == dbConcurrentRead || monitor->recoveryNeeded) {
        // A read-only process cannot repair a dead writer's work: it reads the committed state.
        currIndex = index[curr];
        workingIndexUsed = committedIndexUsed;
    } else {
        currIndex = index[1 - curr];
        workingIndexUsed = header->root[1 - curr].indexUsed;
    }
}

void dbDatabase::runPendingRecovery()
{
    if (monitor->recoveryNeeded && accessType != dbReadOnly && accessType != dbConcurrentRead) {
        recovery();
        monitor->recoveryNeeded = 0;
        monitor->lockChanged.signalAll();
    }
}

bool dbDatabase::beginTransaction(int lockType)
{
    if (!monitor)
        fatalError("Assertion failed: opened");
    dbDatabaseThreadContext* ctx = getThreadContext();
    if (!ctx) {
        attachThread();
        ctx = getThreadContext();
    }
    bool acquired = false;
    if (lockType != dbSharedLock) {
        if (!ctx->writeAccess) {
            if (!lockExclusive(ctx))
                return false;
            acquired = true;
        } else if (monitor->owner != ctx->threadId) {
            reportError(LockRevoked);
        }
    } else if (!ctx->readAccess && !ctx->writeAccess) {
        lockShared(ctx);
        acquired = true;
    }
    if (!acquired)
        return true;
    if (!refreshMapping()) {
        endTransaction(ctx);
        return false;
    }
    enterCs();
    runPendingRecovery();
    setupIndexes();
    if (ctx->writeAccess && monitor->transactionCounter != lastTransactionSeen) {
        // Another database object committed since we last wrote: our allocation hints are stale.
        resetAllocationHints();
        lastTransactionSeen = monitor->transactionCounter;
    }
    leaveCs();
    return true;
}

void dbDatabase::endTransaction(dbDatabaseThreadContext* ctx)
{
    resetCursors(ctx);
    if (!ctx->readAccess && !ctx->writeAccess)
        return;
    dbProcessSlot& s = monitor->slots[slot];
    enterCs();
    if (ctx->writeAccess) {
        monitor->nWriters -= 1;
        s.writer = 0;
        monitor->owner = 0;
    } else {
        monitor->readerCount -= 1;
        s.readers -= 1;
    }
    monitor->lockChanged.signalAll();
    leaveCs();
    ctx->readAccess = false;
    ctx->writeAccess = false;
}

std::uint32_t dbDatabase::getTransactionCounter() const
{
    return monitor ? monitor->transactionCounter : 0;
}

dbDatabaseThreadContext* dbDatabase::getThreadContext()
{
    return static_cast<dbDatabaseThreadContext*>(threadContext.get());
}

void dbDatabase::attachThread()
{
    if (getThreadContext())
        return;
    auto* ctx = new dbDatabaseThreadContext();
    {
        dbCriticalSection cs(threadContextListMutex);
        ctx->link(&threadContextList);
    }
    threadContext.set(ctx);
}

void dbDatabase::detachThread(int flags)
{
    dbDatabaseThreadContext* ctx = getThreadContext();
    if (!ctx)
        return;
    if (flags & dbCommitOnDetach) {
        commit();
    } else {
        if (modified && ctx->writeAccess) {
            enterCs();
            monitor->uncommitted = 1;
            monitor->slots[slot].uncommitted = 1;
            leaveCs();
        }
        releaseUncommitted();
    }
    if (flags & dbDestroyContext) {
        dbCriticalSection cs(threadContextListMutex);
        delete ctx;
    }
    threadContext.set(nullptr);
}

void dbDatabase::releaseUncommitted()
{
    dbDatabaseThreadContext* ctx = getThreadContext();
    if (ctx && (ctx->readAccess || ctx->writeAccess)) {
        ctx->lastCommitSeen = monitor->transactionCounter;
        endTransaction(ctx);
    }
}

int dbDatabase::getAttachedProcessCount()
{
    if (!monitor)
        return 0;
    enterCs();
    reapDeadSlots();
    int n = 0;
    for (const dbProcessSlot& s : monitor->slots)
        n += s.inUse ? 1 : 0;
    leaveCs();
    return n;
}
