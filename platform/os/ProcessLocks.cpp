#include "platform/os/ProcessLocks.h"

#include <cerrno>
#include <fcntl.h>

namespace os {

namespace {
struct flock byteLock(std::uint64_t offset, short type)
{
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = 1;
    fl.l_pid = 0; // required for OFD locks
    return fl;
}
} // namespace

int ByteRangeLock::lock(std::uint64_t offset, Mode mode)
{
    struct flock fl = byteLock(offset, mode == Shared ? F_RDLCK : F_WRLCK);
    while (fcntl(fd, F_OFD_SETLKW, &fl) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

bool ByteRangeLock::tryLock(std::uint64_t offset, Mode mode)
{
    struct flock fl = byteLock(offset, mode == Shared ? F_RDLCK : F_WRLCK);
    return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

void ByteRangeLock::unlock(std::uint64_t offset)
{
    struct flock fl = byteLock(offset, F_UNLCK);
    fcntl(fd, F_OFD_SETLK, &fl);
}

bool ByteRangeLock::isLockedByOther(std::uint64_t offset) const
{
    struct flock fl = byteLock(offset, F_WRLCK);
    if (fcntl(fd, F_OFD_GETLK, &fl) != 0)
        return false;
    return fl.l_type != F_UNLCK;
}

} // namespace os
