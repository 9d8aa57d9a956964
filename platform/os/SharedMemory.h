#pragma once

#include "platform/os/FileMapping.h"

#include <cstddef>
#include <string>

namespace os {

// A block of memory shared by every process that opens the same backing file. Unlike a named
// kernel object it outlives its users, so whoever uses it decides (with byte-range locks on
// handle()) when it is stale and lays it out again.
class SharedMemory {
public:
    SharedMemory() = default;
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;
    ~SharedMemory() { close(); }

    // Opens (creating when absent) the backing file and maps size bytes of it; the file is grown
    // to size when shorter. Returns 0 or errno.
    int open(const std::string& path, std::size_t size);
    void close();
    void* address() const { return mapping.address(); }
    std::size_t size() const { return mapping.windowSize(); }
    // Descriptor of the backing file, for byte-range locks on it.
    int handle() const { return file.handle(); }
    const File& backingFile() const { return file; }

private:
    File file;
    FileMapping mapping;
};

} // namespace os
