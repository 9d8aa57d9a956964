#include "engine286/MappedFile.h"

#include "engine286/Format.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// Grows the file with written zeros rather than preallocated (unwritten) blocks: the first write
// into an unwritten block changes the file system's extent map, so every commit that reaches new
// space would pay for a metadata journal commit on top of its data flush. The zeros go in one
// page per write: the page cache sizes its folios by the write, and a later publish of one page
// dirties (and the commit's flush writes back) the whole folio it lands in.
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
    if (readOnly) {
        rc = mapping.map(file, std::size_t(dbMaxFileSize), true);
    } else {
        // No swap is reserved for the window: only the pages this process changes get copies.
        void* p = mmap(nullptr, std::size_t(dbMaxFileSize), PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_NORESERVE, file.handle(), 0);
        if (p == MAP_FAILED) {
            // A system that reserves swap for every private page it might copy: the shared
            // mapping works too, at the old cost per page.
            rc = mapping.map(file, std::size_t(dbMaxFileSize), false);
        } else {
            madvise(p, std::size_t(dbMaxFileSize), MADV_RANDOM);
            privateBase = static_cast<char*>(p);
        }
    }
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

namespace {
std::atomic<std::uint64_t> flushesDone{0};
} // namespace

std::uint64_t dbMappedFile::completedFlushes()
{
    return flushesDone.load();
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
    if (rc == 0)
        flushesDone += 1;
    return rc;
}

namespace {

// Calls f(first, count) for each run of consecutive page numbers in a sorted list.
template <typename F> void forEachRun(const std::vector<std::uint32_t>& pages, F f)
{
    for (std::size_t i = 0; i < pages.size();) {
        std::size_t j = i + 1;
        while (j < pages.size() && pages[j] == pages[j - 1] + 1)
            j++;
        f(pages[i], std::uint32_t(j - i));
        i = j;
    }
}

} // namespace

int dbMappedFile::publish(const std::vector<std::uint32_t>& pages)
{
    if (readOnly || !privateBase)
        return 0;
    int rc = 0;
    forEachRun(pages, [&](std::uint32_t first, std::uint32_t count) {
        std::uint64_t at = std::uint64_t(first) * dbPageSize;
        std::uint64_t end = std::min<std::uint64_t>(at + std::uint64_t(count) * dbPageSize, size);
        while (rc == 0 && at < end) {
            ssize_t w = ::pwrite(file.handle(), privateBase + at, std::size_t(end - at), off_t(at));
            if (w < 0) {
                if (errno != EINTR)
                    rc = errno;
                continue;
            }
            at += std::uint64_t(w);
        }
    });
    return rc;
}

int dbMappedFile::write(std::uint64_t pos, const void* data, std::size_t count)
{
    const char* from = static_cast<const char*>(data);
    while (count > 0) {
        ssize_t w = ::pwrite(file.handle(), from, count, off_t(pos));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        from += w;
        pos += std::uint64_t(w);
        count -= std::size_t(w);
    }
    return 0;
}

void dbMappedFile::drop(const std::vector<std::uint32_t>& pages)
{
    if (!privateBase)
        return;
    forEachRun(pages, [&](std::uint32_t first, std::uint32_t count) {
        madvise(privateBase + std::uint64_t(first) * dbPageSize, std::size_t(count) * dbPageSize,
                MADV_DONTNEED);
    });
}

void dbMappedFile::copy(std::uint32_t first, std::uint32_t count)
{
    if (!privateBase)
        return;
    // A page this process has read is mapped to the file's page; replacing that mapping with a
    // copy clears a present entry, and the kernel then flushes the translations of every
    // processor the process ran on, one page at a time. Unmapped first (one flush for the run:
    // the pages hold no copy, so nothing is lost), the pages are copied in as new entries.
    char* at = privateBase + std::uint64_t(first) * dbPageSize;
    madvise(at, std::size_t(count) * dbPageSize, MADV_DONTNEED);
    madvise(at, std::size_t(count) * dbPageSize, MADV_POPULATE_WRITE);
}

std::int64_t dbMappedFile::firstUnpublishedPage() const
{
    if (!privateBase)
        return -1;
    // A page of the private mapping that is present but not the file's page is this process's
    // own copy (bit 63: present; bit 61: a file page).
    int fd = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const std::uint64_t pages = (std::uint64_t(size) + dbPageSize - 1) / dbPageSize;
    const std::uint64_t first = reinterpret_cast<std::uintptr_t>(privateBase) / dbPageSize;
    std::vector<std::uint64_t> entries(std::size_t(pages), 0);
    ssize_t got = ::pread(fd, entries.data(), entries.size() * 8, off_t(first * 8));
    ::close(fd);
    if (got < 0)
        return -1;
    std::vector<char> filePage(dbPageSize);
    for (std::uint64_t p = 0; p < std::uint64_t(got) / 8; p++) {
        const std::uint64_t e = entries[std::size_t(p)];
        if (!(e >> 63 & 1) || (e >> 61 & 1))
            continue;
        std::size_t n = std::size_t(std::min<std::uint64_t>(dbPageSize, size - p * dbPageSize));
        if (file.pread(filePage.data(), n, std::int64_t(p * dbPageSize)) != 0 ||
            std::memcmp(filePage.data(), privateBase + p * dbPageSize, n) != 0)
            return std::int64_t(p);
    }
    return -1;
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
    if (privateBase)
        munmap(privateBase, std::size_t(dbMaxFileSize));
    privateBase = nullptr;
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
