#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <pthread.h>
#include <thread>

// In-process threads and synchronisation, and the small kernel services around them.
namespace os {

// Milliseconds of a monotonic clock, truncated to 32 bits (wraps like a tick counter: compare
// with unsigned differences). The same clock in every process.
std::uint32_t tickCount();
// The system-wide id of the calling thread (unique across processes while it lives).
std::uint32_t currentThreadId();
std::uint32_t currentProcessId();
unsigned processorCount();

// Full-barrier increments on 32-bit words, also valid on words in shared memory.
std::int32_t interlockedIncrement(std::int32_t& word);
std::int32_t interlockedDecrement(std::int32_t& word);
std::int32_t interlockedAdd(std::int32_t& word, std::int32_t delta);

// A recursive in-process lock.
using RecursiveMutex = std::recursive_mutex;

// An in-process manual-reset event.
class LocalEvent {
public:
    void set();
    void reset();
    // Waits until set; at most timeoutMs when not negative. False on time-out.
    bool wait(int timeoutMs = -1);

private:
    std::mutex m;
    std::condition_variable cv;
    bool signalled = false;
};

// An in-process counting semaphore.
class LocalSemaphore {
public:
    void post(unsigned count = 1);
    bool wait(int timeoutMs = -1);

private:
    std::mutex m;
    std::condition_variable cv;
    unsigned count = 0;
};

// A dynamically allocated thread-local slot. Values are plain pointers and are not destroyed
// when a thread ends.
class TlsKey {
public:
    TlsKey();
    ~TlsKey();
    TlsKey(const TlsKey&) = delete;
    TlsKey& operator=(const TlsKey&) = delete;
    bool valid() const { return ok; }
    // Replaces the slot by a new, empty one: values other threads stored are no longer reachable.
    void renew();
    void* get() const { return ok ? pthread_getspecific(key) : nullptr; }
    void set(void* value)
    {
        if (ok)
            pthread_setspecific(key, value);
    }

private:
    pthread_key_t key{};
    bool ok = false;
};

// A thread that runs one function; joined (waited for) when the object dies.
class Thread {
public:
    Thread() = default;
    explicit Thread(std::function<void()> body) : t(std::move(body)) {}
    ~Thread() { join(); }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    void start(std::function<void()> body)
    {
        join();
        t = std::thread(std::move(body));
    }
    void join()
    {
        if (t.joinable())
            t.join();
    }

private:
    std::thread t;
};

} // namespace os
