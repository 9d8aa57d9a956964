#include "platform/os/SharedMemory.h"

namespace os {

int SharedMemory::open(const std::string& path, std::size_t bytes)
{
    close();
    int rc = file.open(path, false, true);
    if (rc != 0)
        return rc;
    if (file.size() < std::int64_t(bytes)) {
        rc = file.allocate(std::int64_t(bytes));
        if (rc != 0) {
            file.close();
            return rc;
        }
    }
    rc = mapping.map(file, bytes, false);
    if (rc != 0)
        file.close();
    return rc;
}

void SharedMemory::close()
{
    mapping.unmap();
    file.close();
}

} // namespace os
