#include "engine286/IndexSupport.h"

#include "engine286/Descriptors.h"
#include "engine286/Messages.h"
#include "engine286/StoredRow.h"

#include <cmath>
#include <cstring>

using dbMessages::corruptIndex;
using dbMessages::corruptRow;

namespace {

template <typename T> int compareReal(T a, T b)
{
    bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb)
        return na == nb ? 0 : (na ? 1 : -1);
    return a < b ? -1 : (a == b ? 0 : 1);
}
} // namespace

char* dbGetIndexObject(dbDatabase& db, oid_t oid, int kind)
{
    offs_t h = db.getObjectHandle(oid);
    if (oid == 0 || (h & dbFreeHandleMarker) || int(h & dbFlagsMask) != kind)
        throw dbException(corruptIndex);
    offs_t pos = h & ~dbFlagsMask;
    if (pos < dbPageSize || std::uint64_t(pos) + dbInternalObjectSize(kind) > db.getHeader()->size)
        throw dbException(corruptIndex);
    return db.getBase() + pos;
}

char* dbPutIndexObject(dbDatabase& db, oid_t oid, int kind)
{
    dbGetIndexObject(db, oid, kind);
    return db.putObject(oid);
}

const char* dbFieldKey(dbDatabase& db, oid_t rowId, int type, int sizeofType, int offs,
                       std::uint32_t* keySize)
{
    const char* row = reinterpret_cast<const char*>(db.getRow(rowId));
    const dbStoredRow stored{row, reinterpret_cast<const dbRecord*>(row)->size};
    if (offs < 0 || sizeofType < 0)
        throw dbException(corruptRow);
    stored.within(row + offs, std::uint64_t(sizeofType));
    if (type == tpString)
        return stored.text(row, std::size_t(offs), keySize);
    if (keySize)
        *keySize = std::uint32_t(sizeofType);
    return row + offs;
}

int dbCompareKeys(const void* a, const void* b, int type, int sizeofType, dbUDTComparator comparator)
{
    switch (type) {
    case tpBool:
        return int(*static_cast<const unsigned char*>(a)) - int(*static_cast<const unsigned char*>(b));
    case tpInt1:
        return int(*static_cast<const signed char*>(a)) - int(*static_cast<const signed char*>(b));
    case tpInt2: {
        std::int16_t x, y;
        std::memcpy(&x, a, 2);
        std::memcpy(&y, b, 2);
        return int(x) - int(y);
    }
    case tpInt4: {
        std::int32_t x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        return x < y ? -1 : (x == y ? 0 : 1);
    }
    case tpInt8: {
        std::int64_t x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        return x < y ? -1 : (x == y ? 0 : 1);
    }
    case tpReal4: {
        float x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        return compareReal(x, y);
    }
    case tpReal8: {
        double x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        return compareReal(x, y);
    }
    case tpReference: {
        oid_t x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        return x < y ? -1 : (x == y ? 0 : 1);
    }
    case tpString:
        return std::strcmp(static_cast<const char*>(a), static_cast<const char*>(b));
    case tpRawBinary:
        return (comparator ? comparator : dbDefaultComparator)(a, b, std::size_t(sizeofType));
    default:
        throw dbException("Field type can not be indexed");
    }
}
