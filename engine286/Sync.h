#pragma once

#include "platform/os/Sync.h"

#include <atomic>

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

// A field of the database object that the threads sharing the object read inside their
// transactions while another of its threads sets up its own transaction or ends a commit. Those
// stores happen under the monitor's critical section and leave every running reader's view
// equivalent (the committed and the refreshed working index hold the same entries), so relaxed
// order suffices: the atomic only makes the overlap defined. Read-modify-write is for the one
// thread that holds the write lock.
template <typename T> class dbSharedField {
public:
    dbSharedField(T v = T()) : value(v) {}
    dbSharedField(const dbSharedField&) = delete;
    dbSharedField& operator=(const dbSharedField& other) { return *this = other.get(); }
    operator T() const { return value.load(std::memory_order_relaxed); }
    dbSharedField& operator=(T v)
    {
        value.store(v, std::memory_order_relaxed);
        return *this;
    }
    dbSharedField& operator+=(T v) { return *this = T(*this + v); }
    dbSharedField& operator-=(T v) { return *this = T(*this - v); }
    T get() const { return *this; }

private:
    std::atomic<T> value;
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
