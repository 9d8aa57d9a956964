#pragma once

#include <atomic>
#include <cstdint>
#include <pthread.h>
#include <semaphore.h>

// Synchronisation objects that live inside memory shared between processes (a mapped file).
//
// Each object is placed in the shared block by the first process (init) and only used by the
// others. None of them can leave another process hanging for ever when a holder or waiter is
// killed: the mutex is robust (the next locker is told that the holder died), and the signal and
// event keep no per-waiter state that a dead waiter could leave behind.
namespace os {

// A process-shared robust mutex.
struct SharedMutex {
    pthread_mutex_t m;

    // Lays the mutex out in shared memory; only the process that creates the block calls it.
    bool init();
    // Locks. Returns true normally; returns false when the previous holder died while holding
    // it: the caller then owns the mutex and must repair the state it guards before unlocking.
    bool lock();
    void unlock();
};

// A wake-up counter: waiters sleep until the counter moves, with a time limit; a signal moves it
// and wakes every sleeper. Use: read sequence() under a mutex, release the mutex, waitChange().
struct SharedSignal {
    std::uint32_t value;

    void init() { value = 0; }
    std::uint32_t sequence() const;
    // Sleeps while the counter still equals seen, at most timeoutMs (negative: no limit).
    // Returns false when the time ran out.
    bool waitChange(std::uint32_t seen, int timeoutMs);
    void signalAll();
};

// A process-shared counting semaphore.
struct SharedSemaphore {
    sem_t s;

    bool init(unsigned initial = 0);
    void post(unsigned count = 1);
    // Waits at most timeoutMs (negative: no limit); false on time-out.
    bool wait(int timeoutMs);
    bool tryWait();
};

// A process-shared manual-reset event: stays set until reset and releases every waiter.
struct SharedEvent {
    std::uint32_t flag;
    SharedSignal changed;

    void init(bool signalled = false)
    {
        flag = signalled;
        changed.init();
    }
    void set();
    void reset();
    bool isSet() const;
    // Waits until set, at most timeoutMs (negative: no limit); false on time-out.
    bool wait(int timeoutMs);
};

} // namespace os
