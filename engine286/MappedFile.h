#pragma once

#include "platform/os/FileMapping.h"

#include <cstdint>
#include <string>

// The database file and its mapping. The whole address range the format can reach is
// mapped once, so the base address never moves while the file grows: pointers into the mapping
// stay valid for as long as the file is open. Results are 0 for success or a system error code.
class dbMappedFile {
public:
    dbMappedFile() = default;
    dbMappedFile(const dbMappedFile&) = delete;
    dbMappedFile& operator=(const dbMappedFile&) = delete;

    // Opens (read-write: creating when absent) and maps the file; a writable empty file is
    // given initSize bytes. A file longer than the format allows is refused (EFBIG).
    int open(const std::string& fileName, bool readOnly, std::uint32_t initSize);
    // Writes every changed page of the file (and its length) to stable storage and waits.
    int flush();
    // Grows the file to newSize with written zero blocks behind it. The mapping follows.
    int setSize(std::uint32_t newSize);
    // Re-reads the file's length (another process may have grown it).
    int refreshSize();
    int close();
    static std::string errorText(int code);

    char* getBase() const { return mapping.address(); }
    std::uint32_t getSize() const { return size; }
    bool isOpen() const { return file.isOpen(); }
    const os::File& handle() const { return file; }

private:
    os::File file;
    os::FileMapping mapping;
    std::uint32_t size = 0;
    bool readOnly = false;
    bool grown = false;
};
