#include "platform/os/SharedSync.h"

#include "platform/os/Sync.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace os {

namespace {

std::atomic_ref<std::uint32_t> atomicWord(const std::uint32_t& word)
{
    return std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(word));
}

// Shared futexes: no FUTEX_PRIVATE_FLAG, so that the key is the mapped page, not the process.
int futexWait(std::uint32_t* word, std::uint32_t expected, const struct timespec* relative)
{
    return int(syscall(SYS_futex, word, FUTEX_WAIT, expected, relative, nullptr, 0));
}

void futexWakeAll(std::uint32_t* word)
{
    syscall(SYS_futex, word, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

struct timespec monotonicDeadline(int timeoutMs)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    ts.tv_sec += timeoutMs / 1000;
    ts.tv_nsec += long(timeoutMs % 1000) * 1000000L;
    if (ts.tv_nsec >= 1000000000L) {
        ts.tv_sec += 1;
        ts.tv_nsec -= 1000000000L;
    }
    return ts;
}

} // namespace

bool SharedMutex::init()
{
    pthread_mutexattr_t attr;
    if (pthread_mutexattr_init(&attr) != 0)
        return false;
    bool ok = pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED) == 0 &&
              pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST) == 0 &&
              pthread_mutex_init(&m, &attr) == 0;
    pthread_mutexattr_destroy(&attr);
    return ok;
}

bool SharedMutex::lock()
{
    int rc = pthread_mutex_lock(&m);
    if (rc == EOWNERDEAD) {
        pthread_mutex_consistent(&m);
        return false;
    }
    return true;
}

void SharedMutex::unlock()
{
    pthread_mutex_unlock(&m);
}

std::uint32_t SharedSignal::sequence() const
{
    return atomicWord(value).load(std::memory_order_acquire);
}

bool SharedSignal::waitChange(std::uint32_t seen, int timeoutMs)
{
    std::uint32_t start = tickCount();
    for (;;) {
        if (sequence() != seen)
            return true;
        struct timespec rel;
        const struct timespec* relp = nullptr;
        if (timeoutMs >= 0) {
            std::uint32_t elapsed = tickCount() - start;
            if (elapsed >= std::uint32_t(timeoutMs))
                return sequence() != seen;
            std::uint32_t left = std::uint32_t(timeoutMs) - elapsed;
            rel.tv_sec = left / 1000;
            rel.tv_nsec = long(left % 1000) * 1000000L;
            relp = &rel;
        }
        futexWait(&value, seen, relp);
    }
}

void SharedSignal::signalAll()
{
    atomicWord(value).fetch_add(1, std::memory_order_acq_rel);
    futexWakeAll(&value);
}

bool SharedSemaphore::init(unsigned initial)
{
    return sem_init(&s, 1, initial) == 0;
}

void SharedSemaphore::post(unsigned count)
{
    while (count-- > 0)
        sem_post(&s);
}

bool SharedSemaphore::wait(int timeoutMs)
{
    if (timeoutMs < 0) {
        while (sem_wait(&s) != 0) {
            if (errno != EINTR)
                return false;
        }
        return true;
    }
    struct timespec deadline = monotonicDeadline(timeoutMs);
    while (sem_clockwait(&s, CLOCK_MONOTONIC, &deadline) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

bool SharedSemaphore::tryWait()
{
    return sem_trywait(&s) == 0;
}

void SharedEvent::set()
{
    atomicWord(flag).store(1, std::memory_order_release);
    changed.signalAll();
}

void SharedEvent::reset()
{
    atomicWord(flag).store(0, std::memory_order_release);
}

bool SharedEvent::isSet() const
{
    return atomicWord(flag).load(std::memory_order_acquire) != 0;
}

bool SharedEvent::wait(int timeoutMs)
{
    std::uint32_t start = tickCount();
    for (;;) {
        std::uint32_t seen = changed.sequence();
        if (isSet())
            return true;
        int left = -1;
        if (timeoutMs >= 0) {
            std::uint32_t elapsed = tickCount() - start;
            if (elapsed >= std::uint32_t(timeoutMs))
                return false;
            left = int(std::uint32_t(timeoutMs) - elapsed);
        }
        changed.waitChange(seen, left);
    }
}

} // namespace os
