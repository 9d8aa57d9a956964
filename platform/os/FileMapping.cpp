#include "platform/os/FileMapping.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace os {

std::string errorText(int code)
{
    char buffer[256];
    // The GNU variant returns a pointer that may or may not be the buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return text ? std::string(text) : std::string();
}

int File::open(const std::string& path, bool readOnly, bool create)
{
    close();
    int flags = O_CLOEXEC | (readOnly ? O_RDONLY : O_RDWR);
    if (create && !readOnly)
        flags |= O_CREAT;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    return 0;
}

int File::close()
{
    if (fd < 0)
        return 0;
    int rc = ::close(fd) == 0 ? 0 : errno;
    fd = -1;
    return rc;
}

std::int64_t File::size() const
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return -1;
    return st.st_size;
}

int File::allocate(std::int64_t newSize)
{
    std::int64_t old = size();
    if (old < 0)
        return errno;
    if (newSize <= old)
        return 0;
    int rc = posix_fallocate(fd, old, newSize - old);
    if (rc == EOPNOTSUPP || rc == EINVAL) {
        // File systems without block preallocation: extend the length and write zeros so the
        // blocks exist before the mapping touches them.
        static const char zeros[4096] = {};
        for (std::int64_t pos = old; pos < newSize;) {
            std::size_t n = std::size_t(std::min<std::int64_t>(sizeof zeros, newSize - pos));
            ssize_t w = ::pwrite(fd, zeros, n, pos);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            pos += w;
        }
        rc = 0;
    }
    return rc;
}

int File::truncate(std::int64_t newSize)
{
    return ftruncate(fd, newSize) == 0 ? 0 : errno;
}

int File::syncData()
{
    return fdatasync(fd) == 0 ? 0 : errno;
}

int File::touch()
{
    return futimens(fd, nullptr) == 0 ? 0 : errno;
}

void File::prefetch()
{
    // Forced read-ahead fills the cache with single pages, unlike the fault path's read-ahead.
    posix_fadvise(fd, 0, 0, POSIX_FADV_WILLNEED);
}

int File::pread(void* buffer, std::size_t count, std::int64_t offset) const
{
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::pread(fd, static_cast<char*>(buffer) + done, count - done, offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO; // short file
        done += std::size_t(n);
    }
    return 0;
}

bool File::identity(std::uint64_t& device, std::uint64_t& inode) const
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return false;
    device = st.st_dev;
    inode = st.st_ino;
    return true;
}

int FileMapping::map(const File& file, std::size_t windowBytes, bool readOnly)
{
    unmap();
    int prot = readOnly ? PROT_READ : PROT_READ | PROT_WRITE;
    void* p = mmap(nullptr, windowBytes, prot, MAP_SHARED, file.handle(), 0);
    if (p == MAP_FAILED)
        return errno;
    madvise(p, windowBytes, MADV_RANDOM);
    base = static_cast<char*>(p);
    window = windowBytes;
    return 0;
}

void FileMapping::unmap()
{
    if (base)
        munmap(base, window);
    base = nullptr;
    window = 0;
}

int FileMapping::flush(std::size_t length)
{
    if (!base || length == 0)
        return 0;
    if (length > window)
        length = window;
    return msync(base, length, MS_SYNC) == 0 ? 0 : errno;
}

} // namespace os
