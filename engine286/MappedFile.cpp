#include "engine286/MappedFile.h"

#include "engine286/Format.h"

#include <cerrno>
#include <cstdio>

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
        rc = file.allocate(initSize);
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
    size = std::uint32_t(length);
    grown = false;
    return 0;
}

int dbMappedFile::flush()
{
    if (readOnly)
        return 0;
    int rc = mapping.flush(size);
    // msync writes the pages; the file's new length after growth needs the data sync too.
    int rc2 = file.syncData();
    grown = false;
    return rc != 0 ? rc : rc2;
}

int dbMappedFile::setSize(std::uint32_t newSize)
{
    if (newSize <= size)
        return 0;
    int rc = file.allocate(newSize);
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
