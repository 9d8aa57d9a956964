#pragma once

#include <cstdint>

// Byte-range locks between processes that the kernel releases when their holder dies.
//
// They are open-file-description locks: they belong to one open() of the file, not to the
// process, so two opens in one process do not share (or silently drop) each other's locks, and
// closing some other descriptor of the same file leaves them alone. A fork()ed child shares its
// parent's descriptions and therefore its locks: open the file after forking.
namespace os {

class ByteRangeLock {
public:
    enum Mode { Shared, Exclusive };

    // fd: an open descriptor (opened for writing when exclusive locks are wanted).
    explicit ByteRangeLock(int fd) : fd(fd) {}

    // Takes the lock on one byte, waiting as long as it takes. 0 or errno.
    int lock(std::uint64_t offset, Mode mode);
    // Tries once; true when taken. Converts an existing lock of this description in place.
    bool tryLock(std::uint64_t offset, Mode mode);
    void unlock(std::uint64_t offset);
    // True when some other open description holds a lock on the byte that conflicts with an
    // exclusive lock (that is: any lock). Locks of this description are not seen.
    bool isLockedByOther(std::uint64_t offset) const;

private:
    int fd;
};

} // namespace os
