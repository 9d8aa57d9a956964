// Locks between the threads and processes of one database, the shared monitor and the thread
// contexts.
//
// The reader/writer lock is kept as counts in the monitor (readerCount, nWriters and the waiting
// counts), changed only under the monitor's robust mutex. A thread that cannot have the lock yet
// registers as waiting and sleeps on the monitor's lockChanged signal; every release moves the
// signal and the sleepers re-check the counts. Writers have priority: a new reader waits while a
// writer holds or waits for the lock, except the readers a commit lets in when it turns its
// writer into a reader (so a steady stream of writers can keep readers waiting for long: the
// price of never letting a writer starve). Each sleeper wakes at least every few hundred
// milliseconds and probes the other attached processes' slot locks: the counts of a process that
// died are revoked, and if it was writing, its work is discarded by recovery before anyone uses
// the working index. A live holder is never revoked, however long it holds the lock: with a
// finite lock time-out the waiter gives up instead (it withdraws from the waiting counts and
// throws dbException), so a holder that hangs cannot block everyone for ever and a holder that
// is merely slow never loses its work.
//
// In concurrent update every transaction holds the mutator lock instead (a flag in the monitor,
// also under the robust mutex, so that the delayed-commit thread can release it for the thread
// that took it); the write lock is taken only to grow the file and to commit. Every lock waiter
// signals the delayed-commit event, so a commit that waits in a timer thread is made at once.
#include "engine286/Database.h"

#include "platform/os/Sync.h"

#include <algorithm>
#include <cstring>

namespace {
const int dbLockPollMs = 100;
const char* const lockTimedOut = "Lock wait timed out";
} // namespace

dbDatabase::LockDeadline dbDatabase::lockDeadline() const
{
    LockDeadline d;
    d.finite = lockTimeout >= 0 && lockTimeout != INT_MAX;
    d.end = os::tickCount() + std::uint32_t(d.finite ? lockTimeout : 0);
    return d;
}

bool dbDatabase::LockDeadline::passed() const
{
    return finite && std::int32_t(os::tickCount() - end) > 0;
}

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
    return claimSlot(); // reports its own failures
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
    monitor->refreshedCount = -1;
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
    // Mutators write the working root under the mutator lock alone, which read-write writers and
    // the readers of the working root (read-write, read-only) do not wait for: the two kinds
    // must never share a database.
    auto mutates = [](int type) { return type == dbConcurrentUpdate; };
    auto usesWorkingRoot = [](int type) { return type == dbReadWrite || type == dbReadOnly; };
    for (const dbProcessSlot& other : monitor->slots) {
        if (other.inUse && ((mutates(accessType) && usesWorkingRoot(other.accessType)) ||
                            (usesWorkingRoot(accessType) && mutates(other.accessType)))) {
            leaveCs();
            reportError(DatabaseOpenError, "Database is in use with an incompatible access type");
            return false;
        }
    }
    for (int i = 0; i < dbMaxAttached; i++) {
        dbProcessSlot& s = monitor->slots[i];
        if (s.inUse)
            continue;
        if (!locks->tryLock(dbLockSlot(i), os::ByteRangeLock::Exclusive))
            continue;
        std::memset(&s, 0, sizeof s);
        s.inUse = 1;
        s.pid = os::currentProcessId();
        s.accessType = accessType;
        slot = i;
        monitor->users += 1;
        if (accessType == dbConcurrentRead)
            monitor->concurrentReaders += 1;
        leaveCs();
        return true;
    }
    leaveCs();
    reportError(DatabaseOpenError, "Failed to open database monitor");
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
    int concurrentReaders = 0, mutatorSlot = 0, unswitchedCommitSlot = 0;
    for (int i = 0; i < dbMaxAttached; i++) {
        const dbProcessSlot& s = monitor->slots[i];
        if (!s.inUse)
            continue;
        users += 1;
        concurrentReaders += s.accessType == dbConcurrentRead ? 1 : 0;
        if (s.mutator)
            mutatorSlot = i + 1;
        if (s.writer == 2)
            unswitchedCommitSlot = i + 1;
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
    monitor->concurrentReaders = concurrentReaders;
    if (writers == 0)
        monitor->owner = 0;
    monitor->mutatorSlot = mutatorSlot;
    monitor->unswitchedCommitSlot = unswitchedCommitSlot;
    if (mutatorSlot == 0)
        monitor->mutatorThread = 0;
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
    if (s.mutator) {
        // A mutator works in the working root without the write lock.
        monitor->mutatorSlot = 0;
        monitor->mutatorThread = 0;
    }
    if (s.writer != 0 || s.uncommitted || s.mutator) {
        if (s.writer == 1) {
            monitor->nWriters = 0;
            monitor->owner = 0;
        }
        if (s.writer >= 2 && header) {
            // It died committing; in concurrent update it may have moved readers to a root that
            // the file never switched to. The header says what is committed.
            monitor->curr = header->curr;
        }
        monitor->commitRunning = 0;
        monitor->snapshotUnsafe = 0;
        monitor->unswitchedCommitSlot = 0;
        monitor->recoveryNeeded = 1;
    }
    if (s.accessType == dbConcurrentRead)
        monitor->concurrentReaders -= 1;
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
void dbDatabase::waitLockChange(std::uint32_t seen, const LockDeadline& deadline)
{
    // The holder may be a commit that waits in some process's delayed-commit thread: have it made
    // now. Signalled on every round, because another process's timer thread may reset the event
    // between our signal and its own wait.
    monitor->delayedCommitEvent.set();
    int waitMs = dbLockPollMs;
    if (deadline.finite) {
        std::int32_t left = std::int32_t(deadline.end - os::tickCount());
        waitMs = left <= 0 ? 0 : std::min(left, waitMs);
    }
    leaveCs();
    bool moved = waitMs > 0 && monitor->lockChanged.waitChange(seen, waitMs);
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
            const LockDeadline deadline = lockDeadline();
            while (!(monitor->readerCount == 1 && monitor->nWriters == 0)) {
                if (deadline.passed()) {
                    // The shared lock stays; only the upgrade is given up.
                    monitor->waitForUpgrade = 0;
                    s.upgrading = 0;
                    monitor->waitingWriters -= 1;
                    s.waitingWriters -= 1;
                    monitor->lockChanged.signalAll();
                    leaveCs();
                    throw dbException(lockTimedOut);
                }
                waitLockChange(monitor->lockChanged.sequence(), deadline);
            }
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
        const LockDeadline deadline = lockDeadline();
        while (monitor->nWriters != 0 || monitor->readerCount != 0 || monitor->waitForUpgrade) {
            if (deadline.passed()) {
                monitor->waitingWriters -= 1;
                s.waitingWriters -= 1;
                monitor->lockChanged.signalAll(); // readers held back by this writer may go
                leaveCs();
                throw dbException(lockTimedOut);
            }
            waitLockChange(monitor->lockChanged.sequence(), deadline);
        }
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
    // A concurrent reader takes the committed index as its snapshot. While a read-write commit
    // copies the new state into that very array (before curr moves on) it would see a mix.
    const bool concurrent = accessType == dbConcurrentRead;
    // A commit lets readers in before its switch is durable, but only its own object's: they die
    // with it. Another process reading the new state then could see it vanish in recovery.
    auto heldBack = [&] {
        return (concurrent && monitor->snapshotUnsafe) ||
               (monitor->unswitchedCommitSlot != 0 && monitor->unswitchedCommitSlot != slot + 1);
    };
    enterCs();
    if (monitor->nWriters + monitor->waitingWriters > 0 || heldBack()) {
        monitor->waitingReaders += 1;
        s.waitingReaders += 1;
        // Waiting writers go first, except for the readers a commit let in.
        const LockDeadline deadline = lockDeadline();
        while (!(monitor->nWriters == 0 && (monitor->waitingWriters == 0 || monitor->admittedReaders > 0) &&
                 !heldBack())) {
            if (deadline.passed()) {
                monitor->waitingReaders -= 1;
                s.waitingReaders -= 1;
                if (monitor->admittedReaders > monitor->waitingReaders)
                    monitor->admittedReaders = monitor->waitingReaders;
                leaveCs();
                throw dbException(lockTimedOut);
            }
            waitLockChange(monitor->lockChanged.sequence(), deadline);
        }
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
    // Other threads of this object may be reading these fields under a shared lock meanwhile;
    // the values they hold lead to the same entries (see dbSharedField).
    const int curr = monitor->curr;
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
        // The repaired working root goes into the file at once: the thread may hold a shared lock
        // only, whose end publishes nothing, and other processes read the file.
        publishChanges();
        monitor->recoveryNeeded = 0;
        monitor->lockChanged.signalAll();
    }
}

// Concurrent update: the thread takes the mutator lock, which only other mutators wait for;
// readers of the committed state go on meanwhile.
void dbDatabase::lockMutator(dbDatabaseThreadContext* ctx)
{
    dbProcessSlot& s = monitor->slots[slot];
    enterCs();
    const LockDeadline deadline = lockDeadline();
    while (monitor->mutatorSlot != 0) {
        if (deadline.passed()) {
            leaveCs();
            throw dbException(lockTimedOut);
        }
        waitLockChange(monitor->lockChanged.sequence(), deadline);
    }
    monitor->mutatorSlot = slot + 1;
    monitor->mutatorThread = ctx->threadId;
    s.mutator = 1;
    ctx->holdsMutatorLock = true;
    leaveCs();
}

// Gives back the exclusive lock only (a mutator keeps its mutator lock).
void dbDatabase::releaseWriteLock(dbDatabaseThreadContext* ctx)
{
    publishChanges(); // the next holder reads the file, not this process's copies
    dbProcessSlot& s = monitor->slots[slot];
    enterCs();
    monitor->nWriters -= 1;
    s.writer = 0;
    monitor->owner = 0;
    monitor->lockChanged.signalAll();
    leaveCs();
    ctx->writeAccess = false;
}

// A mutator that finds a dead writer's work to discard: concurrent readers may be reading the
// array that recovery rewrites (a commit that died after moving curr), so they are kept out.
void dbDatabase::recoverUnderWriteLock(dbDatabaseThreadContext* ctx)
{
    if (!lockExclusive(ctx))
        return;
    enterCs();
    runPendingRecovery();
    leaveCs();
    releaseWriteLock(ctx);
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
    // With a commit delay, a thread entering a transaction is counted as pending (the timer
    // thread then does not wait), and a thread whose own commit still waits takes it back: its
    // changes go on in this transaction, still under the locks that commit kept.
    struct PendingTransaction {
        dbMonitor* monitor = nullptr;
        ~PendingTransaction()
        {
            if (monitor)
                os::interlockedDecrement(monitor->pendingTransactions);
        }
    } pending;
    if (lockType != dbCommitLock && commitDelayActive()) {
        dbCriticalSection guard(delayedCommitMutex);
        os::interlockedIncrement(monitor->pendingTransactions);
        pending.monitor = monitor;
        if (ctx->commitPending)
            takeBackDelayedCommit(ctx);
    }
    bool acquired = false;
    if (accessType == dbConcurrentUpdate && lockType != dbCommitLock) {
        if (!ctx->holdsMutatorLock) {
            lockMutator(ctx);
            acquired = true;
        }
    } else if (lockType != dbSharedLock) {
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
    if (accessType == dbConcurrentUpdate && lockType == dbCommitLock)
        return true; // a mutator's transaction goes on in the working root it has
    enterCs();
    dropStaleCopies();
    if (accessType == dbConcurrentUpdate && monitor->recoveryNeeded) {
        leaveCs();
        recoverUnderWriteLock(ctx);
        enterCs();
    }
    runPendingRecovery();
    setupIndexes();
    if ((ctx->writeAccess || ctx->holdsMutatorLock) && monitor->transactionCounter != lastTransactionSeen) {
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
    if (!ctx->readAccess && !ctx->writeAccess && !ctx->holdsMutatorLock)
        return;
    if (ctx->writeAccess || ctx->holdsMutatorLock)
        publishChanges(); // the next holder reads the file, not this process's copies
    dbProcessSlot& s = monitor->slots[slot];
    enterCs();
    if (ctx->writeAccess) {
        monitor->nWriters -= 1;
        s.writer = 0;
        monitor->owner = 0;
    } else if (ctx->readAccess) {
        monitor->readerCount -= 1;
        s.readers -= 1;
    }
    if (ctx->holdsMutatorLock) {
        monitor->mutatorSlot = 0;
        monitor->mutatorThread = 0;
        s.mutator = 0;
    }
    monitor->lockChanged.signalAll();
    leaveCs();
    ctx->readAccess = false;
    ctx->writeAccess = false;
    ctx->holdsMutatorLock = false;
}

std::uint32_t dbDatabase::getTransactionCounter() const
{
    if (!monitor)
        return 0;
    // Commits of other threads and processes move it under the critical section.
    auto* self = const_cast<dbDatabase*>(this);
    self->enterCs();
    std::uint32_t counter = monitor->transactionCounter;
    self->leaveCs();
    return counter;
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
    bool delayed;
    {
        dbCriticalSection guard(delayedCommitMutex);
        delayed = ctx->commitPending;
    }
    if (flags & dbCommitOnDetach) {
        commit();
    } else if (!delayed) { // a delayed commit keeps its locks until the timer thread makes it
        if (modified && ctx->writeAccess) {
            enterCs();
            monitor->uncommitted = 1;
            monitor->slots[slot].uncommitted = 1;
            leaveCs();
        }
        releaseUncommitted();
    }
    if (flags & dbDestroyContext) {
        {
            // The timer thread still needs a context whose commit it has not made yet.
            dbCriticalSection guard(delayedCommitMutex);
            delayed = ctx->commitPending;
            if (delayed)
                ctx->deleteAfterCommit = true;
        }
        if (!delayed) {
            dbCriticalSection cs(threadContextListMutex);
            delete ctx;
        }
    }
    threadContext.set(nullptr);
}

void dbDatabase::releaseUncommitted()
{
    dbDatabaseThreadContext* ctx = getThreadContext();
    if (ctx && (ctx->readAccess || ctx->writeAccess || ctx->holdsMutatorLock)) {
        // A mutator's work lives in the one working root that the next mutator takes over: it
        // cannot be left behind uncommitted.
        if (accessType == dbConcurrentUpdate)
            fatalError("Assertion failed: accessType != dbConcurrentUpdate");
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
