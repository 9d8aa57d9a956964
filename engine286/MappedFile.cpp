#include "engine286/MappedFile.h"

#include "engine286/Format.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

// Grows the file with written zeros rather than preallocated (unwritten) blocks: the first write
// into an unwritten block changes the file system's extent map, so every commit that reaches new
// space would pay for a metadata journal commit on top of its data flush. The zeros go in one
// page per write: the page cache sizes its folios by the write, and a later store through the
// mapping dirties (and the commit's flush writes back) the whole folio it lands in.
int growWithZeros(os::File& file, std::uint32_t newSize)
{
    std::int64_t old = file.size();
    if (old < 0)
        return errno;
    static const std::vector<char> zeros(std::size_t(sysconf(_SC_PAGESIZE)), 0);
    for (std::int64_t pos = old; pos < std::int64_t(newSize);) {
        std::size_t n = std::size_t(std::min<std::int64_t>(std::int64_t(zeros.size()), newSize - pos));
        ssize_t w = ::pwrite(file.handle(), zeros.data(), n, pos);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            int rc = errno;
            if (::ftruncate(file.handle(), old) != 0) {
                // the length stays as the failed write left it; the caller reports rc
            }
            return rc;
        }
        pos += w;
    }
    return 0;
}

} // namespace

int dbMappedFile::open(const std::string& fileName, bool ro, std::uint32_t initSize)
{
    readOnly = ro;
    int rc = file.open(fileName, readOnly, true);
    if (rc != 0)
        return rc;
    std::int64_t length = file.size();
    if (length < 0 || std::uint64_t(length) > dbMaxFileSize - dbPageSize) {
        file.close();
        return length < 0 ? EIO : EFBIG;
    }
    if (length == 0 && !readOnly) {
        rc = growWithZeros(file, initSize);
        if (rc != 0) {
            file.close();
            return rc;
        }
        length = initSize;
    }
    file.touch();
    rc = mapping.map(file, std::size_t(dbMaxFileSize), readOnly);
    if (rc != 0) {
        file.close();
        return rc;
    }
    // The mapping faults page by page; a database is read as a whole, so read it ahead here.
    file.prefetch();
    size = std::uint32_t(length);
    grown = false;
    return 0;
}

int dbMappedFile::flush()
{
    if (readOnly)
        return 0;
    // The mapping is shared: a page changed through it is a dirty page of the file's page cache,
    // and fdatasync writes back exactly the dirty pages (whoever changed them: another process's
    // uncommitted work that this commit makes durable too) and the file's length, then flushes
    // the device. An msync of the mapped range on top would only walk the same pages and flush
    // the device a second time, at a cost that grew with the file.
    int rc = file.syncData();
    grown = false;
    return rc;
}

int dbMappedFile::setSize(std::uint32_t newSize)
{
    if (newSize <= size)
        return 0;
    int rc = growWithZeros(file, newSize);
    if (rc != 0) {
        printf("CreateFileMapping failed: %d\n", rc);
        return rc;
    }
    size = newSize;
    grown = true;
    return 0;
}

int dbMappedFile::refreshSize()
{
    std::int64_t length = file.size();
    if (length < 0)
        return errno;
    if (std::uint64_t(length) > dbMaxFileSize - dbPageSize)
        return EFBIG;
    size = std::uint32_t(length);
    return 0;
}

int dbMappedFile::close()
{
    mapping.unmap();
    size = 0;
    return file.close();
}

std::string dbMappedFile::errorText(int code)
{
    std::string text = os::errorText(code);
    if (text.empty()) {
        char buf[64];
        snprintf(buf, sizeof buf, "unknown error code %u", unsigned(code));
        text = buf;
    }
    return text;
}
