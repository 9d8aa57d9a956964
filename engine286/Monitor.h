#pragma once

#include "engine286/Format.h"
#include "platform/os/SharedSync.h"

#include <cstdint>

// The shared monitor: the state every process that has a database open coordinates through. It
// lives in a small file beside the database, named from the database name ("<name>.dm"), and is
// mapped by every process.
//
// The first 524,360 bytes are the classic monitor layout (counters and the dirty-page map). A
// second section holds what makes the monitor safe when processes die:
//   - cs: a robust mutex over every field (the shared critical section). A process killed inside
//     it does not block the others: the next locker rebuilds the counts from the slots;
//   - slots: one per attached database object, with what that object contributes to the counts.
//     Each attached object holds a byte-range lock on its slot's byte of the monitor file; the
//     kernel drops it when the process dies, which is how the others learn of the death (a dead
//     holder's locks are revoked, a dead writer's work is discarded by recovery);
//   - the "users" byte: every attached object holds a shared lock on it, so an opener that can
//     lock it exclusively knows it is the only live user and lays the monitor out afresh (a
//     monitor left behind by crashed processes is never trusted).
// Named objects of the classic design map onto this file:
//   "%s.in" -> exclusive lock on dbLockInit; "%s.dm" -> the file itself; "%s.cs" -> cs;
//   "%s.mcs" -> mutatorSlot;
//   "%s.ws", "%s.rs", "%s.us" -> lockChanged (waiters re-check the counts when it moves);
//   "%s.bce", "%s.dce" -> backupCompleted, delayedCommitEvent.

enum {
    dbMaxAttached = 256, // database objects attached at once, over all processes
    dbDirtyMapWords = 131072,
    dbMaxRefreshedPages = 64,
};

// Byte offsets of the kernel locks on the monitor file, far beyond its data.
const std::uint64_t dbLockBase = std::uint64_t(1) << 40;
const std::uint64_t dbLockInit = dbLockBase;
const std::uint64_t dbLockUsers = dbLockBase + 1;
inline std::uint64_t dbLockSlot(int i)
{
    return dbLockBase + 16 + std::uint64_t(i);
}

struct dbProcessSlot {
    std::uint32_t inUse;
    std::uint32_t pid;
    std::int32_t readers; // shared locks held by threads of this database object
    // 1 while one of its threads holds the exclusive lock; 2 while it commits and its switch is not
    // yet durable, 3 while it finishes a commit whose switch is.
    std::int32_t writer;
    std::int32_t waitingReaders;
    std::int32_t waitingWriters;
    std::int32_t upgrading;
    std::int32_t uncommitted;
    std::int32_t mutator;    // one of its threads holds the mutator lock (concurrent update)
    std::int32_t accessType; // the database object's access type
};

struct dbMonitor {
    // Classic layout.
    std::int32_t csCounter; // unused: the critical section is the robust mutex below
    std::int32_t mcsCounter;
    std::int32_t readerCount;
    std::int32_t nWriters;
    std::int32_t waitingReaders;
    std::int32_t waitingWriters;
    std::int32_t waitForUpgrade;
    std::int32_t pendingTransactions;
    std::int32_t backupRunning;
    std::int32_t uncommitted;
    std::int32_t curr;
    std::int32_t commitRunning;
    std::uint32_t transactionCounter;
    std::uint32_t lastRevocationTime;
    std::uint32_t mappingVersion;
    std::int32_t users;
    std::uint32_t owner;              // system thread id of the writer
    std::uint32_t delayedCommitOwner; // process id only: contexts never cross processes
    std::uint32_t dirtyPagesMap[dbDirtyMapWords];

    // Crash-safe section.
    std::uint32_t magic;
    std::uint32_t layoutVersion;
    std::uint64_t fileDevice;
    std::uint64_t fileInode;
    os::SharedMutex cs;
    os::SharedSignal lockChanged;
    os::SharedEvent backupCompleted;
    os::SharedEvent delayedCommitEvent;
    std::int32_t recoveryNeeded;  // a writer died: the working root must be rebuilt
    std::int32_t admittedReaders; // waiting readers let in by a commit ahead of waiting writers
    // "%s.mcs": slot + 1 of the database object whose thread holds the mutator lock, 0 when free.
    // A flag under cs rather than a mutex, because the delayed-commit thread releases it on
    // behalf of the thread that took it, and a dead holder's lock is revoked like the others.
    std::int32_t mutatorSlot;
    std::uint32_t mutatorThread;
    // Set while a read-write commit rewrites the array that concurrent readers take as the
    // committed index (before curr moves): concurrent readers are not let in meanwhile.
    std::int32_t snapshotUnsafe;
    std::int32_t concurrentReaders; // attached database objects with concurrent-read access
    // Slot + 1 of the database object whose commit has turned its writer into a reader but has not
    // made its switch durable yet, 0 when none. Readers of other objects wait meanwhile: should the
    // committer die now, recovery discards the new state, which they must not have read.
    std::int32_t unswitchedCommitSlot;
    dbProcessSlot slots[dbMaxAttached];
    // The pages of the working index array that the last commit refreshed after its final flush
    // (file offsets): they differ from what is durable, so the next commit's record must cover
    // them. -1: not known (a rollback, a recovery, a commit without a record, too many pages),
    // and the next commit makes its data durable before the switch instead.
    std::int32_t refreshedCount;
    offs_t refreshedPages[dbMaxRefreshedPages];
    // Moves each time a database object writes its changes into the file: an object that finds
    // it moved by another one drops its private copies of pages before it reads.
    std::int32_t publishSerial;
};

static_assert(offsetof(dbMonitor, dirtyPagesMap) == 72);
static_assert(offsetof(dbMonitor, magic) == 524360);

const std::uint32_t dbMonitorMagic = 0x4d627264; // "drbM"
const std::uint32_t dbMonitorLayoutVersion = 5;
