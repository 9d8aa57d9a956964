#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Files and whole-file memory mappings on POSIX.
//
// A FileMapping reserves a fixed window of address space over a file once and never moves:
// the file may grow underneath it (the bytes up to the file's length become addressable at
// once, in this and in every other process that maps the same file, because they share the page
// cache). Touching a mapped byte beyond the end of the file raises SIGBUS, so a file must be
// grown (File::allocate) before its new part is used.
namespace os {

// Returns the system's message text for an errno value.
std::string errorText(int code);

class File {
public:
    File() = default;
    ~File() { close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens for reading only, or for reading and writing (creating the file when create is set).
    // Returns 0 or the errno value.
    int open(const std::string& path, bool readOnly, bool create);
    // Closes the file; returns 0 or the errno value of the close.
    int close();
    bool isOpen() const { return fd >= 0; }
    int handle() const { return fd; }

    // The current length of the file, or -1 on failure.
    std::int64_t size() const;
    // Makes the file at least newSize bytes long with real blocks behind the new part, so that a
    // full disk shows as an error here rather than as SIGBUS on a later store. 0 or errno.
    int allocate(std::int64_t newSize);
    // Sets the length exactly (may shrink). 0 or errno.
    int truncate(std::int64_t newSize);
    // Writes the file's data (and its length) to stable storage. 0 or errno.
    int syncData();
    // Sets the file's last-write time to now. 0 or errno.
    int touch();
    // Starts reading the whole file into the page cache in the background (one page at a time
    // in the cache's terms, see FileMapping). Advice only: nothing to report.
    void prefetch();
    int pread(void* buffer, std::size_t count, std::int64_t offset) const;
    // Device and inode, for checking that two opens name the same file.
    bool identity(std::uint64_t& device, std::uint64_t& inode) const;

private:
    int fd = -1;
};

class FileMapping {
public:
    FileMapping() = default;
    ~FileMapping() { unmap(); }
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;

    // Maps window bytes of the file from offset 0, shared with every other process that maps it.
    // A fault reads only the page it touches: read-ahead would fill the page cache with large
    // folios, and a store through a shared mapping dirties the whole folio it lands in, so a
    // transaction that changed a few bytes would write back up to megabytes at its flush. A
    // reader that wants the file in memory asks for it with File::prefetch. Returns 0 or errno.
    int map(const File& file, std::size_t window, bool readOnly);
    void unmap();
    // Writes the first length bytes back and waits for the write. 0 or errno.
    int flush(std::size_t length);
    char* address() const { return base; }
    std::size_t windowSize() const { return window; }

private:
    char* base = nullptr;
    std::size_t window = 0;
};

} // namespace os
