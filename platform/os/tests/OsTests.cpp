#include "platform/os/FileMapping.h"
#include "platform/os/ProcessLocks.h"
#include "platform/os/SharedMemory.h"
#include "platform/os/SharedSync.h"
#include "platform/os/Sync.h"

#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string tempPath(const char* name)
{
    // One folder for the run, removed when the tests end.
    static uitest::TempFolder directory("osTests");
    const std::filesystem::path& dir = directory.Path();
    auto path = dir / name;
    std::filesystem::remove(path);
    return path.string();
}

// Waits for a child and returns its exit status, or -signal when it was killed.
int reap(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(FileMappingTest, GrowthIsVisibleThroughEveryExistingMapping)
{
    std::string path = tempPath("grow.bin");
    os::File a, b;
    ASSERT_EQ(0, a.open(path, false, true));
    ASSERT_EQ(0, a.allocate(4096));
    ASSERT_EQ(0, b.open(path, false, false));
    os::FileMapping ma, mb;
    const std::size_t window = std::size_t(1) << 30;
    ASSERT_EQ(0, ma.map(a, window, false));
    ASSERT_EQ(0, mb.map(b, window, true));

    // The second mapping was made while the file was one page long; growing the file makes the
    // new pages reachable through it without mapping again, at the same address.
    char* before = mb.address();
    ASSERT_EQ(0, a.allocate(3 * 4096));
    std::memcpy(ma.address() + 2 * 4096 + 10, "grown", 6);
    EXPECT_EQ(0, ma.flush(3 * 4096));
    EXPECT_EQ(before, mb.address());
    EXPECT_STREQ("grown", mb.address() + 2 * 4096 + 10);
    EXPECT_EQ(3 * 4096, b.size());
}

TEST(ProcessLocksTest, KilledHolderReleasesItsLockAndIsSeenByOthers)
{
    std::string path = tempPath("locks.bin");
    os::File mine;
    ASSERT_EQ(0, mine.open(path, false, true));
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    pid_t child = fork();
    if (child == 0) {
        os::File f;
        if (f.open(path, false, false) != 0)
            _exit(2);
        os::ByteRangeLock lock(f.handle());
        if (!lock.tryLock(1000, os::ByteRangeLock::Exclusive))
            _exit(3);
        char c = 1;
        (void)!write(ready[1], &c, 1);
        pause();
        _exit(0);
    }
    char c;
    ASSERT_EQ(1, read(ready[0], &c, 1));
    os::ByteRangeLock lock(mine.handle());
    EXPECT_TRUE(lock.isLockedByOther(1000));
    EXPECT_FALSE(lock.isLockedByOther(1001));
    EXPECT_FALSE(lock.tryLock(1000, os::ByteRangeLock::Shared));

    kill(child, SIGKILL);
    EXPECT_EQ(-SIGKILL, reap(child));
    EXPECT_FALSE(lock.isLockedByOther(1000));
    EXPECT_TRUE(lock.tryLock(1000, os::ByteRangeLock::Exclusive));
    close(ready[0]);
    close(ready[1]);
}

struct SharedBlock {
    os::SharedMutex mutex;
    os::SharedSignal signal;
    os::SharedEvent event;
    os::SharedSemaphore semaphore;
    std::int32_t counter;
};

TEST(SharedSyncTest, MutexOfAKilledHolderIsRecoverable)
{
    os::SharedMemory shm;
    ASSERT_EQ(0, shm.open(tempPath("mutex.shm"), sizeof(SharedBlock)));
    auto* block = static_cast<SharedBlock*>(shm.address());
    ASSERT_TRUE(block->mutex.init());
    pid_t child = fork();
    if (child == 0) {
        block->mutex.lock();
        raise(SIGKILL);
        _exit(0);
    }
    EXPECT_EQ(-SIGKILL, reap(child));
    // The next locker gets the mutex and is told that its state needs repair.
    EXPECT_FALSE(block->mutex.lock());
    block->mutex.unlock();
    EXPECT_TRUE(block->mutex.lock());
    block->mutex.unlock();
}

TEST(SharedSyncTest, SignalEventAndSemaphoreWakeAnotherProcess)
{
    os::SharedMemory shm;
    ASSERT_EQ(0, shm.open(tempPath("signal.shm"), sizeof(SharedBlock)));
    auto* block = static_cast<SharedBlock*>(shm.address());
    block->signal.init();
    block->event.init();
    ASSERT_TRUE(block->semaphore.init(0));
    block->counter = 0;

    std::uint32_t seen = block->signal.sequence();
    EXPECT_FALSE(block->signal.waitChange(seen, 20)); // nothing moved: times out
    EXPECT_FALSE(block->event.wait(20));
    EXPECT_FALSE(block->semaphore.wait(20));

    pid_t child = fork();
    if (child == 0) {
        usleep(50 * 1000);
        os::interlockedIncrement(block->counter);
        block->signal.signalAll();
        block->event.set();
        block->semaphore.post(2);
        _exit(0);
    }
    EXPECT_TRUE(block->signal.waitChange(seen, 10000));
    EXPECT_TRUE(block->event.wait(10000));
    EXPECT_TRUE(block->event.wait(0)); // manual reset: stays set
    EXPECT_TRUE(block->semaphore.wait(10000));
    // The two posts are separate calls: let the child finish before counting the second one.
    EXPECT_EQ(0, reap(child));
    EXPECT_TRUE(block->semaphore.tryWait());
    EXPECT_FALSE(block->semaphore.tryWait());
    EXPECT_EQ(1, block->counter);
    block->event.reset();
    EXPECT_FALSE(block->event.wait(0));
}

TEST(SyncTest, ThreadLocalSlotsAreSeparatePerThreadAndPerKey)
{
    os::TlsKey a, b;
    ASSERT_TRUE(a.valid() && b.valid());
    int x = 1, y = 2;
    a.set(&x);
    b.set(&y);
    void* seenInOther = &x;
    os::Thread t([&] { seenInOther = a.get(); });
    t.join();
    EXPECT_EQ(nullptr, seenInOther);
    EXPECT_EQ(&x, a.get());
    EXPECT_EQ(&y, b.get());
}

TEST(SyncTest, LocalEventAndSemaphore)
{
    os::LocalEvent ev;
    os::LocalSemaphore sem;
    EXPECT_FALSE(ev.wait(10));
    EXPECT_FALSE(sem.wait(10));
    os::Thread t([&] {
        sem.post(2);
        ev.set();
    });
    EXPECT_TRUE(ev.wait());
    EXPECT_TRUE(sem.wait());
    EXPECT_TRUE(sem.wait(1000));
    EXPECT_FALSE(sem.wait(0));
    EXPECT_NE(0u, os::currentThreadId());
}

} // namespace
