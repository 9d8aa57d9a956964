#pragma once

#include "platform/os/Sync.h"

// The engine's in-process synchronisation classes.

// A recursive in-process lock. Enter and leave do nothing once the mutex is destroyed, so that
// static objects destroyed at exit in any order can still use it.
class dbMutex {
public:
    dbMutex() : initialized(true) {}
    ~dbMutex() { initialized = false; }
    dbMutex(const dbMutex&) = delete;
    dbMutex& operator=(const dbMutex&) = delete;
    void lock()
    {
        if (initialized)
            m.lock();
    }
    void unlock()
    {
        if (initialized)
            m.unlock();
    }
    bool isInitialized() const { return initialized; }

private:
    os::RecursiveMutex m;
    bool initialized;
};

class dbCriticalSection {
public:
    explicit dbCriticalSection(dbMutex& m) : mutex(m) { mutex.lock(); }
    ~dbCriticalSection() { mutex.unlock(); }
    dbCriticalSection(const dbCriticalSection&) = delete;
    dbCriticalSection& operator=(const dbCriticalSection&) = delete;

private:
    dbMutex& mutex;
};

// A doubly linked ring; a member links itself into a ring headed by another dbL2List.
class dbL2List {
public:
    dbL2List() : next(this), prev(this) {}
    ~dbL2List() { unlink(); }
    dbL2List(const dbL2List&) = delete;
    dbL2List& operator=(const dbL2List&) = delete;

    bool isEmpty() const { return next == this; }
    void link(dbL2List* after)
    {
        unlink();
        next = after->next;
        prev = after;
        after->next->prev = this;
        after->next = this;
    }
    void unlink()
    {
        next->prev = prev;
        prev->next = next;
        next = prev = this;
    }

    dbL2List* next;
    dbL2List* prev;
};
