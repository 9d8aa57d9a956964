#pragma once

#include "platform/os/FileMapping.h"

#include <cstdint>
#include <string>
#include <vector>

// The database file and its mapping. The whole address range the format can reach is
// mapped once, so the base address never moves while the file grows: pointers into the mapping
// stay valid for as long as the file is open. Results are 0 for success or a system error code.
//
// A writable file is mapped privately: a store through the mapping changes this process's own
// copy of the page, and nothing reaches the file until publish writes the page back with
// pwrite. A store through a shared mapping makes the kernel write-protect the page at every
// write-back and fault it writable again at the next store; on a virtual machine each of those
// page-table changes costs tens of microseconds, and a commit paid them for every page it
// touched. A private page, once copied, stays writable: a commit only copies its bytes. The
// price is that this process's copy goes stale when another process writes the page, so the
// database drops its copies (drop) before it reads after another writer.
class dbMappedFile {
public:
    dbMappedFile() = default;
    dbMappedFile(const dbMappedFile&) = delete;
    dbMappedFile& operator=(const dbMappedFile&) = delete;

    // Opens (read-write: creating when absent) and maps the file; a writable empty file is
    // given initSize bytes. A file longer than the format allows is refused (EFBIG).
    int open(const std::string& fileName, bool readOnly, std::uint32_t initSize);
    // Writes every changed page of the file (and its length) to stable storage and waits. Only
    // published pages are the file's: publish first.
    int flush();
    // For tests: how many flushes of any file of this process have reached stable storage.
    static std::uint64_t completedFlushes();
    // Writes the listed pages (page numbers, sorted, no repeats) of this process's view into the
    // file, so that other processes and the next flush see them. Pages beyond the file's length
    // are left out.
    int publish(const std::vector<std::uint32_t>& pages);
    // Writes bytes into the file directly; a page this process has no copy of shows them at once.
    int write(std::uint64_t pos, const void* data, std::size_t count);
    // Makes this process's own copies of count pages from first (within the file, none of them
    // copied yet) in one call: the kernel copies them without a fault each, which on a virtual
    // machine costs a few microseconds a page instead of tens. Pages may be copied even when it
    // fails.
    void copy(std::uint32_t first, std::uint32_t count);
    // Forgets this process's copies of the listed pages (sorted, no repeats): the next access
    // reads the file's page.
    void drop(const std::vector<std::uint32_t>& pages);
    // For checks in tests: the first page this process holds a copy of that differs from the
    // file's page, or -1 when every copy was published.
    std::int64_t firstUnpublishedPage() const;
    // Grows the file to newSize with written zero blocks behind it. The mapping follows.
    int setSize(std::uint32_t newSize);
    // Re-reads the file's length (another process may have grown it).
    int refreshSize();
    int close();
    static std::string errorText(int code);

    char* getBase() const { return privateBase ? privateBase : mapping.address(); }
    std::uint32_t getSize() const { return size; }
    bool isOpen() const { return file.isOpen(); }
    const os::File& handle() const { return file; }
    bool isPrivate() const { return privateBase != nullptr; }

private:
    os::File file;
    os::FileMapping mapping;     // read-only access
    char* privateBase = nullptr; // read-write access: the private mapping
    std::uint32_t size = 0;
    bool readOnly = false;
    bool grown = false;
};
