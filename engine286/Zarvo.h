#pragma once

#include "engine286/Cursor.h"
#include "engine286/Database.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The maker's layer over the engine: the application's database class, a cursor that counts its
// position, and a pool for the strings of records about to be stored.

class zarvoDatabase : public dbDatabase {
public:
    zarvoDatabase(int accessType = dbReadWrite, std::uint32_t initSize = dbDefaultInitDatabaseSize,
                  std::uint32_t extensionQuantum = dbDefaultExtensionQuantum,
                  std::uint32_t initIndexSize = dbDefaultInitIndexSize, int nThreads = 1);

    // Opens the database called name. The first open records the current directory as the
    // database directory (only a directory on a local disk or removable medium is accepted:
    // elsewhere open returns false without touching any file); without a file name the file is
    // "<name>.zrv" in the database directory. lockTimeout in milliseconds (INT_MAX: no limit),
    // commitDelay in seconds.
    bool open(const char* name, const char* fileName = nullptr, int lockTimeout = INT_MAX,
              unsigned commitDelay = 0);

    // The database directory, ending in "/" (empty before the first open).
    const std::string& getRootPath() const { return rootPath; }
    // The name given to the last open.
    const std::string& getName() const { return name; }
    // The working object-index entry of an oid (free marker in bit 31, kind in bits 0 to 2);
    // tells a live row from a removed one without an exception.
    offs_t getObjectHandle(oid_t oid) { return dbDatabase::getObjectHandle(oid); }
    // Whether oid names a live row.
    bool isLiveRow(oid_t oid);

private:
    std::string rootPath;
    std::string name;
};

// Kinds of volume a database directory can lie on.
enum zarvoVolumeKind { zarvoVolumeLocal, zarvoVolumeRemovable, zarvoVolumeRemote, zarvoVolumeOptical };
// The kind of the volume that holds path (a file system type of statfs).
zarvoVolumeKind zarvoVolumeKindOf(long fileSystemType);
// Test hook: replaces the file system type that open reads for its directory (0: the real one).
void zarvoSetFileSystemTypeOverride(long fileSystemType);

// A cursor with a 0-based position within its selection, counted by first and next.
class zarvoAnyCursor : public dbAnyCursor {
public:
    zarvoAnyCursor(dbTableDescriptor& table, int type, void* record) : dbAnyCursor(table, type, record) {}

    // The first record (fetched with prefetch on); position 0.
    bool first();
    // The next record (fetched with prefetch on); the position counts on when there is one.
    bool next();
    std::uint32_t getPosition() const { return position; }

protected:
    std::uint32_t position = 0;
};

template <class T> class zarvoCursor : public zarvoAnyCursor {
public:
    explicit zarvoCursor(int type = dbCursorViewOnly) : zarvoAnyCursor(T::dbDescriptor, type, &rec) {}

    // The current record; dbException when the cursor has none.
    T* operator->()
    {
        if (currId == 0)
            throw dbException("No current record");
        return &rec;
    }
    T* get() { return operator->(); }

private:
    T rec{};
};

// A pool of string copies owned by its caller: the string fields of a record point into it
// until the record has been inserted or updated (the engine copies them then).
class zarvoBuffer {
public:
    zarvoBuffer();
    zarvoBuffer(const zarvoBuffer&) = delete;
    zarvoBuffer& operator=(const zarvoBuffer&) = delete;

    // A copy of text that lives as long as the pool; null and "" give one shared empty string.
    const char* append(const char* text);
    const char* append(const std::string& text) { return append(text.c_str()); }
    // Blocks allocated so far.
    int blockCount() const;

private:
    enum { blockSize = 512 };
    // Filled one after the other; a copy never moves, as a block never grows.
    std::vector<std::unique_ptr<char[]>> blocks;
    std::size_t capacity = 0; // of the last block
    std::size_t used = 0;     // bytes of the last block taken
};
