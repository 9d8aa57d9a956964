#include "engine286/Zarvo.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

// ---- Database ------------------------------------------------------------------------------------

namespace {

std::atomic<long> fileSystemTypeOverride{0};

// The file system type of the directory, or 0 when it cannot be read.
long fileSystemTypeOf(const char* path)
{
    if (long t = fileSystemTypeOverride.load())
        return t;
    struct statfs st;
    if (statfs(path, &st) != 0)
        return 0;
    return long(st.f_type);
}

} // namespace

zarvoVolumeKind zarvoVolumeKindOf(long fileSystemType)
{
    switch (static_cast<unsigned long>(fileSystemType) & 0xFFFFFFFFul) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x01021997: // 9P
    case 0x564C:     // NCP
    case 0x73757245: // Coda
    case 0x5346414F: // AFS
    case 0x00C36400: // Ceph
        return zarvoVolumeRemote;
    case 0x9660:     // ISO 9660
    case 0x15013346: // UDF
        return zarvoVolumeOptical;
    case 0x4D44:     // FAT
    case 0x2011BAB0: // exFAT
        return zarvoVolumeRemovable;
    default:
        return zarvoVolumeLocal;
    }
}

void zarvoSetFileSystemTypeOverride(long fileSystemType)
{
    fileSystemTypeOverride = fileSystemType;
}

zarvoDatabase::zarvoDatabase(int accessType, std::uint32_t initSize, std::uint32_t extensionQuantum,
                             std::uint32_t initIndexSize, int nThreads)
    : dbDatabase(accessType, initSize, extensionQuantum, initIndexSize, nThreads)
{
}

bool zarvoDatabase::open(const char* dbName, const char* fileName, int lockTimeout, unsigned commitDelay)
{
    // The runtime's format settings are the program's own (they are not read from the system
    // locale), so there is no thread locale to take over here.
    if (rootPath.empty()) {
        std::vector<char> cwd(4096);
        while (getcwd(cwd.data(), cwd.size()) == nullptr) {
            if (errno != ERANGE || cwd.size() >= (1u << 20))
                return false;
            cwd.resize(cwd.size() * 2);
        }
        // A database is kept only on a local disk or a removable medium: network file systems
        // do not give the locking and mapping guarantees the engine needs.
        const zarvoVolumeKind kind = zarvoVolumeKindOf(fileSystemTypeOf(cwd.data()));
        if (kind != zarvoVolumeLocal && kind != zarvoVolumeRemovable)
            return false;
        rootPath = cwd.data();
        if (rootPath.empty() || rootPath.back() != '/')
            rootPath += '/';
    }
    name = dbName ? dbName : "";
    std::string defaultFile;
    if (fileName == nullptr) {
        defaultFile = rootPath + name + ".zrv";
        fileName = defaultFile.c_str();
    }
    return dbDatabase::open(dbName, fileName, lockTimeout, commitDelay);
}

bool zarvoDatabase::isLiveRow(oid_t oid)
{
    return oid != 0 && (getObjectHandle(oid) & (dbFreeHandleMarker | dbFlagsMask)) == 0;
}

// ---- Cursor --------------------------------------------------------------------------------------

bool zarvoAnyCursor::first()
{
    position = 0;
    if (!gotoFirst())
        return false;
    if (prefetch)
        fetch();
    return true;
}

bool zarvoAnyCursor::next()
{
    if (!gotoNext())
        return false;
    if (prefetch)
        fetch();
    position += 1;
    return true;
}

// ---- String pool ---------------------------------------------------------------------------------

zarvoBuffer::zarvoBuffer() : capacity(blockSize)
{
    blocks.push_back(std::make_unique<char[]>(blockSize));
}

const char* zarvoBuffer::append(const char* text)
{
    static const char empty[1] = "";
    if (text == nullptr || *text == '\0')
        return empty;
    const std::size_t len = std::strlen(text);
    if (used + len + 1 > capacity) {
        // A fresh block, filled from its start: a block sized to the running total would make
        // the pool grow with the square of the strings added.
        const std::size_t size = std::max<std::size_t>(blockSize, len + 1);
        blocks.push_back(std::make_unique<char[]>(size));
        capacity = size;
        used = 0;
    }
    char* copy = blocks.back().get() + used;
    std::memcpy(copy, text, len + 1);
    used += len + 1;
    return copy;
}

int zarvoBuffer::blockCount() const
{
    return int(blocks.size());
}
