#include "platform/os/Sync.h"

#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

namespace os {

std::uint32_t tickCount()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::uint32_t(std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u);
}

std::uint32_t currentThreadId()
{
    return std::uint32_t(gettid());
}

std::uint32_t currentProcessId()
{
    return std::uint32_t(getpid());
}

unsigned processorCount()
{
    unsigned n = std::thread::hardware_concurrency();
    return n ? n : 1;
}

std::int32_t interlockedIncrement(std::int32_t& word)
{
    return std::atomic_ref<std::int32_t>(word).fetch_add(1) + 1;
}

std::int32_t interlockedDecrement(std::int32_t& word)
{
    return std::atomic_ref<std::int32_t>(word).fetch_sub(1) - 1;
}

std::int32_t interlockedAdd(std::int32_t& word, std::int32_t delta)
{
    return std::atomic_ref<std::int32_t>(word).fetch_add(delta) + delta;
}

void LocalEvent::set()
{
    std::lock_guard<std::mutex> g(m);
    signalled = true;
    cv.notify_all();
}

void LocalEvent::reset()
{
    std::lock_guard<std::mutex> g(m);
    signalled = false;
}

bool LocalEvent::wait(int timeoutMs)
{
    std::unique_lock<std::mutex> g(m);
    if (timeoutMs < 0) {
        cv.wait(g, [this] { return signalled; });
        return true;
    }
    return cv.wait_for(g, std::chrono::milliseconds(timeoutMs), [this] { return signalled; });
}

void LocalSemaphore::post(unsigned n)
{
    std::lock_guard<std::mutex> g(m);
    count += n;
    if (n == 1)
        cv.notify_one();
    else
        cv.notify_all();
}

bool LocalSemaphore::wait(int timeoutMs)
{
    std::unique_lock<std::mutex> g(m);
    auto ready = [this] { return count > 0; };
    if (timeoutMs < 0)
        cv.wait(g, ready);
    else if (!cv.wait_for(g, std::chrono::milliseconds(timeoutMs), ready))
        return false;
    --count;
    return true;
}

TlsKey::TlsKey()
{
    ok = pthread_key_create(&key, nullptr) == 0;
}

void TlsKey::renew()
{
    if (ok)
        pthread_key_delete(key);
    ok = pthread_key_create(&key, nullptr) == 0;
}

TlsKey::~TlsKey()
{
    if (ok)
        pthread_key_delete(key);
}

} // namespace os
