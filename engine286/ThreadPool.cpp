#include "engine286/ThreadPool.h"

dbPooledThread::dbPooledThread(dbThreadPool* pool) : pool(pool)
{
    thread.start([this] { run(); });
}

dbPooledThread::~dbPooledThread()
{
    thread.join();
}

void dbPooledThread::run()
{
    for (;;) {
        startSem.wait();
        if (!running)
            break;
        function(argument);
        doneSem.post();
    }
    doneSem.post();
}

void dbPooledThread::stop()
{
    running = false;
    startSem.post();
    doneSem.wait();
}

dbPooledThread* dbThreadPool::create(void (*function)(void*), void* argument)
{
    dbPooledThread* t;
    {
        dbCriticalSection cs(mutex);
        t = freeThreads;
        if (t)
            freeThreads = t->next;
    }
    if (!t)
        t = new dbPooledThread(this);
    t->function = function;
    t->argument = argument;
    t->startSem.post();
    return t;
}

void dbThreadPool::join(dbPooledThread* t)
{
    t->doneSem.wait();
    dbCriticalSection cs(mutex);
    t->next = freeThreads;
    freeThreads = t;
}

dbThreadPool::~dbThreadPool()
{
    dbCriticalSection cs(mutex);
    while (freeThreads) {
        dbPooledThread* t = freeThreads;
        freeThreads = t->next;
        t->stop();
        delete t;
    }
}
