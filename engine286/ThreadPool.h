#pragma once

#include "engine286/Sync.h"

// A small pool of worker threads for parallel scans. create() hands a function to an idle
// thread (or a new one); join() waits for it and returns the thread to the pool. Workers run
// their functions concurrently: the pool's mutex is held only to hand work over.
class dbThreadPool;

class dbPooledThread {
    friend class dbThreadPool;

    explicit dbPooledThread(dbThreadPool* pool);
    ~dbPooledThread();
    void run();
    void stop();

    os::Thread thread;
    dbThreadPool* pool;
    dbPooledThread* next = nullptr;
    void (*function)(void*) = nullptr;
    void* argument = nullptr;
    bool running = true;
    os::LocalSemaphore startSem;
    os::LocalSemaphore doneSem;
};

class dbThreadPool {
public:
    dbThreadPool() = default;
    ~dbThreadPool();
    dbThreadPool(const dbThreadPool&) = delete;
    dbThreadPool& operator=(const dbThreadPool&) = delete;

    dbPooledThread* create(void (*function)(void*), void* argument);
    void join(dbPooledThread* thread);

private:
    friend class dbPooledThread;
    dbMutex mutex;
    dbPooledThread* freeThreads = nullptr;
};
