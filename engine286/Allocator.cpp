// The space allocator: one bit per 16-byte quantum in bitmap pages that are objects themselves
// (oids 2 to 8193), so the bitmap is changed copy-on-write like everything else and a crash or a
// rollback finds the committed bitmap untouched.
//
// Two roving positions (small objects, page-multiple objects) and a per-page bound on the largest
// free run keep scans short. A stack of reserved regions keeps the nested allocations that
// copying a bitmap page can cause off a region that has been chosen but not yet marked.
#include "engine286/Database.h"

#include <algorithm>
#include <cstring>

namespace {

// Tables indexed by a bitmap byte (bit 0 = the lowest address).
struct dbBitTables {
    unsigned char lowFree[256];  // free bits at the low end
    unsigned char highFree[256]; // free bits at the high end
    unsigned char maxRun[256];   // longest free run inside the byte
    unsigned char runStart[256]; // its first bit
    dbBitTables()
    {
        for (int b = 0; b < 256; b++) {
            int low = 0;
            while (low < 8 && !(b & (1 << low)))
                low++;
            int high = 0;
            while (high < 8 && !(b & (0x80 >> high)))
                high++;
            int best = 0, bestStart = 0;
            for (int i = 0; i < 8;) {
                if (b & (1 << i)) {
                    i++;
                    continue;
                }
                int j = i;
                while (j < 8 && !(b & (1 << j)))
                    j++;
                if (j - i > best) {
                    best = j - i;
                    bestStart = i;
                }
                i = j;
            }
            lowFree[b] = (unsigned char)low;
            highFree[b] = (unsigned char)high;
            maxRun[b] = (unsigned char)best;
            runStart[b] = (unsigned char)bestStart;
        }
    }
};
const dbBitTables bitTables;

const std::uint32_t dbPageBits = dbPageSize * 8;

} // namespace

void dbDatabase::resetAllocationHints()
{
    pageFreeRunBound.assign(dbFirstUserId, INT_MAX);
    smallRoving = dbRovingPosition();
    pageRoving = dbRovingPosition();
}

// The first bitmap oid that has no page yet.
std::uint32_t dbDatabase::bitmapEnd()
{
    oid_t i = dbBitmapId;
    while (i < dbFirstUserId && currIndex[i] != dbFreeHandleMarker)
        i++;
    return i;
}

bool dbDatabase::overlapsReserved(offs_t pos, std::uint32_t size) const
{
    for (dbReservedRegion* r = reservedChain; r; r = r->next) {
        if (pos < r->pos + r->size && r->pos < pos + size)
            return true;
    }
    return false;
}

offs_t dbDatabase::allocateSpace(std::uint32_t size, oid_t oid)
{
    size = (size + dbAllocationQuantum - 1) & ~std::uint32_t(dbAllocationQuantum - 1);
    if (size == 0)
        size = dbAllocationQuantum;
    markHeaderDirty();
    const bool pageClass = (size & (dbPageSize - 1)) == 0;
    dbRovingPosition& roving = pageClass ? pageRoving : smallRoving;
    const std::uint64_t objBits = size / dbAllocationQuantum;
    const oid_t end = bitmapEnd();
    oid_t firstPage = roving.page;
    std::uint32_t firstOffset = roving.offset;
    if (firstPage >= end) {
        firstPage = dbBitmapId;
        firstOffset = 0;
    }
    std::uint64_t tailPending = 0; // free bits reaching the end of the bitmap

    for (int pass = 0; pass < 2; pass++) {
        oid_t from = pass == 0 ? firstPage : oid_t(dbBitmapId);
        oid_t to = pass == 0 ? end : std::min<oid_t>(firstPage + 1, end);
        std::uint64_t pending = 0;
        for (oid_t i = from; i < to; i++) {
            std::uint32_t offset = (pass == 0 && i == firstPage) ? firstOffset : 0;
            if (pageClass)
                offset = (offset + 31) & ~31u;
            std::uint64_t maxHole = std::min<std::uint64_t>(objBits - pending, dbPageBits);
            if (!(maxHole < std::uint64_t(pageFreeRunBound[i]))) {
                pending = 0;
                continue;
            }
            const unsigned char* bits = reinterpret_cast<unsigned char*>(getObject(i));
            const bool fromStart = offset == 0;
            bool skippedReserved = false;
            std::uint32_t j = offset;
            while (j < dbPageSize) {
                unsigned b = bits[j];
                std::uint64_t absBit = (std::uint64_t(i - dbBitmapId) * dbPageSize + j) * 8;
                std::uint64_t startBit;
                if (!pageClass) {
                    if (pending + bitTables.lowFree[b] >= objBits) {
                        startBit = absBit - pending;
                    } else if (bitTables.maxRun[b] >= objBits) {
                        startBit = absBit + bitTables.runStart[b];
                    } else {
                        pending = b == 0 ? pending + 8 : bitTables.highFree[b];
                        j++;
                        continue;
                    }
                } else {
                    if (b != 0) {
                        pending = 0;
                        j = (j + 32) & ~31u;
                        continue;
                    }
                    pending += 8;
                    if (pending < objBits) {
                        j++;
                        continue;
                    }
                    startBit = absBit + 8 - pending;
                }
                std::uint64_t pos = startBit * dbAllocationQuantum;
                if (pos + size > dbMaxFileSize - dbPageSize || overlapsReserved(offs_t(pos), size)) {
                    skippedReserved = true;
                    pending = 0;
                    if (!pageClass)
                        j += std::uint32_t((objBits + 7) / 8);
                    else
                        j = (j + std::uint32_t(objBits / 8) + 31) & ~31u;
                    continue;
                }
                roving.page = i;
                roving.offset = j;
                finishAllocation(offs_t(pos), size, oid);
                return offs_t(pos);
            }
            // Bounds are recorded for the small class only: a page-multiple scan that fails may
            // still leave unaligned runs of the same length.
            if (!pageClass && fromStart && pending == 0 && !skippedReserved &&
                maxHole < std::uint64_t(pageFreeRunBound[i]))
                pageFreeRunBound[i] = int(maxHole);
        }
        if (pass == 0)
            tailPending = pending;
    }
    return grow(size, oid, end, tailPending, pageClass);
}

void dbDatabase::finishAllocation(offs_t pos, std::uint32_t size, oid_t oid)
{
    dbReservedRegion reserved{pos, size, reservedChain};
    reservedChain = &reserved;
    extendFile(pos + size);
    notePages(pos, size);
    if (oid != 0) {
        offs_t entry = currIndex[oid];
        std::memcpy(baseAddr + pos, baseAddr + (entry & ~dbFlagsMask), objectSize(entry));
        setIndexEntry(oid, pos | (entry & dbFlagsMask));
    }
    setBits(pos, size, true);
    reservedChain = reserved.next;
    transactionAllocated += size;
}

// No free run was found: new bitmap pages are added, placed inside the new address space right
// after the new object, and the object may begin in a free run at the end of the old bitmap.
offs_t dbDatabase::grow(std::uint32_t size, oid_t oid, oid_t firstNew, std::uint32_t pendingBits,
                        bool pageClass)
{
    const std::uint32_t perPage = dbBitmapPageCoverage - dbPageSize;
    if (firstNew >= dbFirstUserId)
        reportError(OutOfMemoryError, "", int(size));
    std::uint64_t pendingBytes = std::uint64_t(pendingBits) * dbAllocationQuantum;
    if (pendingBytes >= size)
        pendingBytes = 0; // cannot happen: the scan would have taken the run
    std::uint64_t rest = (size - pendingBytes + dbPageSize - 1) & ~std::uint64_t(dbPageSize - 1);
    std::uint64_t want = std::max<std::uint64_t>(extensionQuantum, rest);
    std::uint32_t newPages = std::uint32_t((want + perPage - 1) / perPage);
    if (firstNew + newPages > dbFirstUserId) {
        newPages = std::uint32_t((rest + perPage - 1) / perPage);
        if (firstNew + newPages > dbFirstUserId)
            reportError(OutOfMemoryError, "", int(size));
    }
    std::uint64_t areaStart = std::uint64_t(firstNew - dbBitmapId) * dbBitmapPageCoverage;
    std::uint64_t pos = areaStart - pendingBytes;
    std::uint64_t pagesPos = areaStart + rest;
    std::uint64_t endPos = pagesPos + std::uint64_t(newPages) * dbPageSize;
    if (endPos > dbMaxFileSize - dbPageSize)
        reportError(OutOfMemoryError, "", int(size));

    dbReservedRegion reserved{offs_t(pos), size, reservedChain};
    reservedChain = &reserved;
    extendFile(std::uint32_t(endPos));
    notePages(pos, size);
    notePages(pagesPos, std::uint64_t(newPages) * dbPageSize);
    std::memset(baseAddr + pagesPos, 0, std::size_t(newPages) * dbPageSize);
    for (std::uint32_t k = 0; k < newPages; k++) {
        setIndexEntry(firstNew + k, offs_t(pagesPos + std::uint64_t(k) * dbPageSize) | dbPageObjectMarker);
        pageFreeRunBound[firstNew + k] = INT_MAX;
    }
    // The new pages are new objects of this transaction: marking them changes them in place.
    setBits(offs_t(areaStart), std::uint32_t(pos + size - areaStart), true);
    setBits(offs_t(pagesPos), newPages * dbPageSize, true);
    for (std::uint32_t k = 0; k < newPages; k++) {
        std::uint64_t a = areaStart + std::uint64_t(k) * dbBitmapPageCoverage;
        if (a >= pos && a + dbBitmapPageCoverage <= pos + size)
            pageFreeRunBound[firstNew + k] = 0;
    }
    if (oid != 0) {
        offs_t entry = currIndex[oid];
        std::memcpy(baseAddr + pos, baseAddr + (entry & ~dbFlagsMask), objectSize(entry));
        setIndexEntry(oid, offs_t(pos) | (entry & dbFlagsMask));
    }
    if (pendingBytes != 0)
        setBits(offs_t(pos), std::uint32_t(pendingBytes), true);
    dbRovingPosition& roving = pageClass ? pageRoving : smallRoving;
    roving.page = oid_t(dbBitmapId + (pos + size - 1) / dbBitmapPageCoverage);
    roving.offset = 0;
    reservedChain = reserved.next;
    transactionAllocated += size;
    return offs_t(pos);
}

// Sets or clears the bits of a region in the running transaction's copies of the bitmap pages.
void dbDatabase::setBits(offs_t pos, std::uint32_t size, bool value)
{
    std::uint64_t q = pos / dbAllocationQuantum;
    std::uint64_t qEnd = (std::uint64_t(pos) + size + dbAllocationQuantum - 1) / dbAllocationQuantum;
    while (q < qEnd) {
        oid_t page = oid_t(dbBitmapId + q / dbPageBits);
        std::uint64_t pageEnd = std::min<std::uint64_t>(qEnd, (q / dbPageBits + 1) * dbPageBits);
        unsigned char* bits = reinterpret_cast<unsigned char*>(putObject(page));
        std::uint32_t b = std::uint32_t(q % dbPageBits);
        std::uint32_t e = std::uint32_t(pageEnd - q) + b;
        // Head bits, whole bytes, tail bits.
        while (b < e && (b & 7)) {
            if (value)
                bits[b >> 3] |= (unsigned char)(1 << (b & 7));
            else
                bits[b >> 3] &= (unsigned char)~(1 << (b & 7));
            b++;
        }
        if (e - b >= 8) {
            std::memset(bits + (b >> 3), value ? 0xFF : 0, (e - b) >> 3);
            b += (e - b) & ~7u;
        }
        while (b < e) {
            if (value)
                bits[b >> 3] |= (unsigned char)(1 << (b & 7));
            else
                bits[b >> 3] &= (unsigned char)~(1 << (b & 7));
            b++;
        }
        q = pageEnd;
    }
}

void dbDatabase::freeSpace(offs_t pos, std::uint32_t size)
{
    if (pos == 0 || (pos & (dbAllocationQuantum - 1)) != 0)
        fatalError("Assertion failed: pos != 0 && (pos & (dbAllocationQuantum-1)) == 0");
    size = (size + dbAllocationQuantum - 1) & ~std::uint32_t(dbAllocationQuantum - 1);
    transactionAllocated -= size;
    oid_t page = oid_t(dbBitmapId + pos / dbBitmapPageCoverage);
    std::uint32_t offset = (pos / (dbAllocationQuantum * 8)) % dbPageSize;
    bool pageClass = (pos & (dbPageSize - 1)) == 0 && size >= dbPageSize;
    dbRovingPosition& roving = pageClass ? pageRoving : smallRoving;
    if (roving.page == page && offset < roving.offset)
        roving.offset = offset;
    oid_t lastPage = oid_t(dbBitmapId + (std::uint64_t(pos) + size - 1) / dbBitmapPageCoverage);
    for (oid_t p = page; p <= lastPage; p++)
        pageFreeRunBound[p] = INT_MAX;
    // Always in the transaction's own copies (setBits copies a committed page first): the
    // committed bitmap must keep claiming everything the committed state uses.
    setBits(pos, size, false);
}

void dbDatabase::copyBitmapPages(offs_t pos, std::uint32_t size)
{
    oid_t first = oid_t(dbBitmapId + pos / dbBitmapPageCoverage);
    oid_t last = oid_t(dbBitmapId + (std::uint64_t(pos) + (size ? size : 1) - 1) / dbBitmapPageCoverage);
    for (oid_t p = first; p <= last; p++)
        putObject(p);
}

void dbDatabase::markHeaderDirty()
{
    if (!header->dirty) {
        if (accessType == dbReadOnly || accessType == dbConcurrentRead)
            reportError(DatabaseReadOnly);
        header->dirty = 1;
        checkedFlush("Failed to flush database file", "header.dirty");
    }
    modified = true;
}

void dbDatabase::extendFile(std::uint32_t size)
{
    if (header->size >= size)
        return;
    if (accessType == dbConcurrentUpdate) {
        // A mutator grows the file only under the write lock, with no reader inside.
        dbDatabaseThreadContext* ctx = getThreadContext();
        if (ctx && ctx->holdsMutatorLock && !ctx->writeAccess)
            beginTransaction(dbCommitLock);
    }
    if (fileSizeLimit != 0 && size > fileSizeLimit)
        reportError(FileLimitExeeded, "", int(size));
    std::uint64_t old = header->size;
    std::uint64_t newSize = size;
    if (size < 2 * old) {
        newSize = 2 * old;
        if (fileSizeLimit != 0 && fileSizeLimit < 2 * old)
            newSize = fileSizeLimit > size ? fileSizeLimit : size;
    }
    if (size > dbMaxFileSize - dbPageSize)
        reportError(OutOfMemoryError, "", int(size));
    if (newSize > dbMaxFileSize - dbPageSize)
        newSize = dbMaxFileSize - dbPageSize;
    dbCrashPoint("extend.begin");
    // The blocks exist before the header claims them: a full disk is an error here, never a
    // fault on a later store into the mapping.
    int rc = file.setSize(std::uint32_t(newSize));
    if (rc != 0)
        reportError(FileError, "Failed to extend file", rc);
    header->size = std::uint32_t(newSize);
    enterCs();
    monitor->mappingVersion += 1;
    mappingVersion = monitor->mappingVersion;
    leaveCs();
}
