#include "engine286/Schema.h"

#include "engine286/HashIndex.h"
#include "engine286/Messages.h"
#include "engine286/Records.h"
#include "engine286/StoredRow.h"
#include "engine286/TTree.h"
#include "engine286/TableDefinition.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using dbMessages::corruptDefinition;
using dbMessages::corruptRow;

namespace {

inline std::size_t alignUp(std::size_t x, std::size_t a)
{
    return a <= 1 ? x : (x + a - 1) / a * a;
}

const char* const incompatible = "Incompatible class definition in application";

// A schema load that cannot go on: the message is reported as class 4.
struct SchemaFailure {
    std::string message;
};

bool validType(int type)
{
    return (type >= tpBool && type <= tpArray) || type == tpStructure || type == tpRawBinary;
}

bool isNumeric(int type)
{
    return type >= tpBool && type <= tpReal8;
}

// Read access to a stored definition whose every offset has been checked.
class StoredDefinition {
public:
    explicit StoredDefinition(const dbTable* t) : t(t), base(reinterpret_cast<const char*>(t)) {}

    static bool valid(const dbTable* t)
    {
        const char* base = reinterpret_cast<const char*>(t);
        const std::uint64_t size = t->size;
        if (size < sizeof(dbTable) || t->nRows < 0 || t->fixedSize < int(sizeof(dbRecord)) || t->nColumns < 0)
            return false;
        auto text = [&](std::uint64_t at, const dbVarying& v) {
            std::uint64_t start = at + v.offs;
            return v.size >= 1 && start >= sizeof(dbRecord) && start + v.size <= size &&
                   base[start + v.size - 1] == '\0';
        };
        if (!text(0, t->name))
            return false;
        const std::uint64_t fieldsEnd =
            std::uint64_t(t->fields.offs) + std::uint64_t(t->fields.size) * sizeof(dbField);
        if (t->fields.offs < sizeof(dbTable) || fieldsEnd > size)
            return false;
        for (std::uint32_t i = 0; i < t->fields.size; i++) {
            std::uint64_t at = t->fields.offs + std::uint64_t(i) * sizeof(dbField);
            const auto* f = reinterpret_cast<const dbField*>(base + at);
            if (!text(at, f->name) || !text(at, f->tableName) || !text(at, f->inverse) ||
                !validType(f->type) || f->offset < 0 || f->size < 0)
                return false;
        }
        return true;
    }

    const char* name() const { return base + t->name.offs; }
    int count() const { return int(t->fields.size); }
    const dbField& field(int i) const
    {
        return *reinterpret_cast<const dbField*>(base + t->fields.offs + std::size_t(i) * sizeof(dbField));
    }
    const char* fieldName(int i) const
    {
        return reinterpret_cast<const char*>(&field(i)) + field(i).name.offs;
    }
    const char* tableName(int i) const
    {
        return reinterpret_cast<const char*>(&field(i)) + field(i).tableName.offs;
    }
    const char* inverse(int i) const
    {
        return reinterpret_cast<const char*>(&field(i)) + field(i).inverse.offs;
    }
    int find(const std::string& longName) const
    {
        for (int i = 0; i < count(); i++) {
            if (longName == fieldName(i))
                return i;
        }
        return -1;
    }

    const dbTable* t;
    const char* base;
};

const char* orEmpty(const char* s)
{
    return s ? s : "";
}

bool identical(dbTableDescriptor* desc, const StoredDefinition& def)
{
    if (def.t->nColumns != desc->nColumns || def.count() != desc->nFields ||
        def.t->fixedSize != int(desc->fixedSize))
        return false;
    int i = 0;
    for (dbFieldDescriptor* fd = desc->firstField; fd; fd = fd->nextField, i++) {
        const dbField& f = def.field(i);
        if (fd->longName != def.fieldName(i) ||
            std::strcmp(orEmpty(fd->refTableName), def.tableName(i)) != 0 ||
            std::strcmp(orEmpty(fd->inverseRefName), def.inverse(i)) != 0 || f.offset != fd->dbsOffs ||
            f.type != fd->type || std::size_t(f.size) != fd->dbsSize)
            return false;
    }
    return true;
}

std::vector<dbStoredFieldSpec> fieldSpecs(dbTableDescriptor* desc)
{
    std::vector<dbStoredFieldSpec> specs;
    specs.reserve(std::size_t(desc->nFields));
    for (dbFieldDescriptor* fd = desc->firstField; fd; fd = fd->nextField) {
        dbStoredFieldSpec s;
        s.name = fd->longName.c_str();
        s.type = fd->type;
        s.size = int(fd->dbsSize);
        s.offset = fd->dbsOffs;
        s.tableName = orEmpty(fd->refTableName);
        s.inverse = orEmpty(fd->inverseRefName);
        s.hashTable = fd->hashTable;
        s.tTree = fd->tTree;
        specs.push_back(s);
    }
    return specs;
}

void bindTable(dbDatabase& db, dbTableDescriptor* desc, oid_t tableId)
{
    if (desc->tableId != 0)
        dbDescriptorAssertion("((void)\"Table can be used only in one database\", table->tableId == 0)");
    desc->db = &db;
    db.tables.insert(db.tables.begin(), desc);
    desc->tableId = tableId;
}

// Writes desc's definition into the (already sized) definition row.
void writeDefinition(dbDatabase& db, dbTableDescriptor* desc)
{
    dbWriteTableDefinition(db.getWritableTable(desc->tableId), desc->name, fieldSpecs(desc),
                           std::int32_t(desc->fixedSize), desc->nColumns);
}

// The stored definition is replaced by desc's: the stored indices still named are dropped, the
// row list stays.
void rewriteDefinition(dbDatabase& db, dbTableDescriptor* desc, const std::vector<char>& oldCopy)
{
    StoredDefinition old(reinterpret_cast<const dbTable*>(oldCopy.data()));
    for (int i = 0; i < old.count(); i++) {
        if (old.field(i).hashTable != 0)
            deleteHashTable(db, old.field(i).hashTable);
        if (old.field(i).tTree != 0)
            deleteTTree(db, old.field(i).tTree);
    }
    std::uint32_t size = dbTableDefinitionSize(desc->name, fieldSpecs(desc));
    db.resizeRow(desc->tableId, size);
    writeDefinition(db, desc);
    dbTable* t = db.getWritableTable(desc->tableId);
    t->nRows = old.t->nRows;
    t->firstRow = old.t->firstRow;
    t->lastRow = old.t->lastRow;
}

// ---- Conversion of stored rows ---------------------------------------------------------------

struct Number {
    std::int64_t i = 0;
    double d = 0;
    bool real = false;
};

Number readNumber(const char* p, int type)
{
    Number n;
    switch (type) {
    case tpBool:
        n.i = *reinterpret_cast<const unsigned char*>(p);
        break;
    case tpInt1:
        n.i = *reinterpret_cast<const signed char*>(p);
        break;
    case tpInt2: {
        std::int16_t v;
        std::memcpy(&v, p, 2);
        n.i = v;
        break;
    }
    case tpInt4: {
        std::int32_t v;
        std::memcpy(&v, p, 4);
        n.i = v;
        break;
    }
    case tpInt8:
        std::memcpy(&n.i, p, 8);
        break;
    case tpReal4: {
        float v;
        std::memcpy(&v, p, 4);
        n.d = v;
        n.real = true;
        break;
    }
    case tpReal8:
        std::memcpy(&n.d, p, 8);
        n.real = true;
        break;
    }
    return n;
}

// Truncation toward zero that stays defined for every double.
std::int64_t truncated(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 9.2233720368547758e18)
        return INT64_MAX;
    if (d <= -9.2233720368547758e18)
        return INT64_MIN;
    return std::int64_t(d);
}

// Converts (dst null: measures) the fields of one row or element from its stored layout (src,
// offsets oldDbsOffs) to the descriptor's layout; variable parts go from offs on. Returns the end
// of the variable part.
std::size_t convertFields(dbFieldDescriptor* fields, char* dst, const char* src, std::size_t offs,
                          const dbStoredRow& b)
{
    dbFieldDescriptor* fd = fields;
    do {
        char* d = dst ? dst + fd->dbsOffs : nullptr;
        const bool absent = fd->oldDbsType == tpUnknown;
        const char* o = absent ? nullptr : src + fd->oldDbsOffs;
        switch (fd->type) {
        case tpBool:
        case tpInt1:
        case tpInt2:
        case tpInt4:
        case tpInt8:
        case tpReal4:
        case tpReal8: {
            if (absent || !isNumeric(fd->oldDbsType))
                break; // zero
            static const std::size_t numericSize[] = {1, 1, 2, 4, 8, 4, 8};
            Number n = readNumber(b.at(o, numericSize[fd->oldDbsType]), fd->oldDbsType);
            if (!d)
                break;
            switch (fd->type) {
            case tpBool:
                *d = char(n.real ? n.d != 0 : n.i != 0);
                break;
            case tpInt1:
                *d = char(n.real ? truncated(n.d) : n.i);
                break;
            case tpInt2: {
                auto v = std::int16_t(n.real ? truncated(n.d) : n.i);
                std::memcpy(d, &v, 2);
                break;
            }
            case tpInt4: {
                auto v = std::int32_t(n.real ? truncated(n.d) : n.i);
                std::memcpy(d, &v, 4);
                break;
            }
            case tpInt8: {
                std::int64_t v = n.real ? truncated(n.d) : n.i;
                std::memcpy(d, &v, 8);
                break;
            }
            case tpReal4: {
                auto v = float(n.real ? n.d : double(n.i));
                std::memcpy(d, &v, 4);
                break;
            }
            default: {
                double v = n.real ? n.d : double(n.i);
                std::memcpy(d, &v, 8);
                break;
            }
            }
            break;
        }
        case tpString: {
            std::uint32_t size = 1;
            const char* text = "";
            if (!absent) {
                const auto* v = reinterpret_cast<const dbVarying*>(b.at(o, sizeof(dbVarying)));
                text = b.at(src + v->offs, v->size);
                size = v->size;
                if (size == 0 || text[size - 1] != '\0')
                    throw dbException(corruptRow);
            }
            if (d) {
                std::memcpy(dst + offs, text, size);
                auto* nv = reinterpret_cast<dbVarying*>(d);
                nv->size = size;
                nv->offs = offs_t(offs);
            }
            offs += size;
            break;
        }
        case tpReference:
            if (!absent && d)
                std::memcpy(d, b.at(o, 4), 4);
            break;
        case tpArray: {
            dbFieldDescriptor* elem = fd->components;
            std::uint32_t n = 0;
            const char* elems = nullptr;
            const std::size_t stride = std::size_t(elem->oldDbsSize);
            if (!absent && elem->oldDbsType != tpUnknown) {
                const auto* v = reinterpret_cast<const dbVarying*>(b.at(o, sizeof(dbVarying)));
                n = v->size;
                if (n != 0 && stride == 0)
                    throw dbException(corruptRow);
                if (n != 0)
                    elems = b.at(src + v->offs, std::uint64_t(n) * stride);
            }
            if (n == 0)
                break; // {0, 0}
            offs = alignUp(offs, elem->alignment);
            const std::size_t slot = offs;
            offs += std::size_t(n) * elem->dbsSize;
            if (d) {
                auto* nv = reinterpret_cast<dbVarying*>(d);
                nv->size = n;
                nv->offs = offs_t(slot);
            }
            for (std::uint32_t i = 0; i < n; i++) {
                const std::size_t at = slot + std::size_t(i) * elem->dbsSize;
                offs = at + convertFields(elem, dst ? dst + at : nullptr, elems + std::size_t(i) * stride,
                                          offs - at, b);
            }
            break;
        }
        case tpStructure:
            offs = convertFields(fd->components, dst, src, offs, b);
            break;
        case tpRawBinary:
            if (!absent && fd->oldDbsType == tpRawBinary && d) {
                std::size_t n = std::min<std::size_t>(std::size_t(fd->oldDbsSize), fd->dbsSize);
                std::memcpy(d, b.at(o, n), n);
            }
            break;
        }
    } while ((fd = fd->next) != fields);
    return offs;
}

bool convertible(int from, int to, const char* fromTable, const char* toTable)
{
    if (from == tpUnknown)
        return true;
    if (isNumeric(from) && isNumeric(to))
        return true;
    if (from == tpReference && to == tpReference)
        return std::strcmp(fromTable, orEmpty(toTable)) == 0;
    return from == to && (to == tpString || to == tpArray || to == tpStructure || to == tpRawBinary);
}

// Converts a stored table with rows to desc's layout.
void convertTable(dbDatabase& db, dbTableDescriptor* desc, oid_t tableId, bool fieldRemovalAllowed)
{
    const dbTable* stored = db.getTable(tableId);
    std::vector<char> oldCopy(reinterpret_cast<const char*>(stored),
                              reinterpret_cast<const char*>(stored) + stored->size);
    StoredDefinition old(reinterpret_cast<const dbTable*>(oldCopy.data()));
    // Match the fields by long name and check every change before touching anything.
    int nMatches = 0;
    bool sameLayout = old.count() == desc->nFields;
    std::vector<char> keep(std::size_t(old.count()), 0);
    for (dbFieldDescriptor* fd = desc->firstField; fd; fd = fd->nextField) {
        int i = old.find(fd->longName);
        if (i < 0) {
            fd->oldDbsType = tpUnknown;
            fd->oldDbsOffs = fd->oldDbsSize = 0;
            sameLayout = false;
            continue;
        }
        nMatches += 1;
        const dbField& f = old.field(i);
        if (!convertible(f.type, fd->type, old.tableName(i), fd->refTableName))
            throw SchemaFailure{incompatible};
        fd->oldDbsType = f.type;
        fd->oldDbsOffs = f.offset;
        fd->oldDbsSize = f.size;
        if (f.type != fd->type || f.offset != fd->dbsOffs)
            sameLayout = false;
        if (f.type == fd->type) {
            if ((fd->indexType & HASHED) && f.hashTable != 0) {
                fd->hashTable = f.hashTable;
                keep[std::size_t(i)] |= 1;
            }
            if ((fd->indexType & INDEXED) && f.tTree != 0) {
                fd->tTree = f.tTree;
                keep[std::size_t(i)] |= 2;
            }
        }
    }
    if (nMatches != old.count() && !fieldRemovalAllowed)
        throw SchemaFailure{incompatible};
    // Indices taken over are not dropped by the rewrite.
    for (int i = 0; i < old.count(); i++) {
        auto* f = const_cast<dbField*>(&old.field(i));
        if (keep[std::size_t(i)] & 1)
            f->hashTable = 0;
        if (keep[std::size_t(i)] & 2)
            f->tTree = 0;
    }
    bindTable(db, desc, tableId);
    rewriteDefinition(db, desc, oldCopy);
    if (sameLayout && old.t->fixedSize == int(desc->fixedSize))
        return;
    if (old.t->fixedSize < int(sizeof(dbRecord)))
        throw dbException(corruptRow);
    oid_t oid = old.t->firstRow;
    std::uint32_t steps = 0;
    while (oid != 0) {
        if (++steps > std::uint32_t(old.t->nRows))
            throw dbException(corruptRow); // a cycle in the row list
        const dbRecord* row = db.getRow(oid);
        if (row->size < std::uint32_t(old.t->fixedSize))
            throw dbException(corruptRow);
        std::vector<char> copy(reinterpret_cast<const char*>(row),
                               reinterpret_cast<const char*>(row) + row->size);
        dbStoredRow b{copy.data(), copy.size()};
        std::size_t newSize = convertFields(desc->columns, nullptr, copy.data(), desc->fixedSize, b);
        if (newSize > 0x7FFFFFFFu)
            throw dbException(corruptRow);
        char* dst = reinterpret_cast<char*>(db.resizeRow(oid, std::uint32_t(newSize)));
        std::memset(dst + sizeof(dbRecord), 0, newSize - sizeof(dbRecord));
        convertFields(desc->columns, dst, copy.data(), desc->fixedSize, b);
        oid = reinterpret_cast<dbRecord*>(dst)->next;
    }
}

// Brings the table's indices in line with its fields' flags. Returns false when that needs a
// change that this process may not make.
bool alterIndices(dbDatabase& db, dbTableDescriptor* desc, bool alter, bool definitionChanged)
{
    bool created = false, changed = false;
    const std::uint32_t nRows = std::uint32_t(db.getTable(desc->tableId)->nRows);
    for (dbFieldDescriptor* fd = desc->firstField; fd; fd = fd->nextField) {
        if (fd->type == tpStructure)
            continue;
        if (fd->indexType & HASHED) {
            if (fd->hashTable == 0) {
                if (!alter && !definitionChanged)
                    return false;
                fd->hashTable = createHashTable(db, nRows);
                fd->indexType |= DB_FIELD_INDEX_NEW;
                created = changed = true;
            }
        } else if (fd->hashTable != 0) {
            if (!alter)
                return false;
            fd->hashTable = 0; // dropped below
            changed = true;
        }
        if (fd->indexType & INDEXED) {
            if (fd->tTree == 0) {
                if (!alter && !definitionChanged)
                    return false;
                fd->tTree = createTTree(db);
                fd->attr |= dbFieldDescriptor::Updated; // marks a new tree until it is filled
                created = changed = true;
            }
        } else if (fd->tTree != 0) {
            if (!alter)
                return false;
            fd->tTree = 0;
            changed = true;
        }
    }
    desc->buildIndexLists();
    if (created) {
        oid_t oid = db.getTable(desc->tableId)->firstRow;
        std::uint32_t steps = 0;
        while (oid != 0) {
            if (++steps > nRows)
                throw dbException(corruptRow);
            for (dbFieldDescriptor* fd = desc->hashedFields; fd; fd = fd->nextHashedField) {
                if (fd->indexType & DB_FIELD_INDEX_NEW)
                    insertInHashTable(db, fd->hashTable, oid, fd->type, int(fd->dbsSize), fd->dbsOffs,
                                      2 * nRows);
            }
            for (dbFieldDescriptor* fd = desc->indexedFields; fd; fd = fd->nextIndexedField) {
                if (fd->attr & dbFieldDescriptor::Updated)
                    insertInTTree(db, fd->tTree, oid, fd->type, int(fd->dbsSize), fd->comparator,
                                  fd->dbsOffs);
            }
            oid = db.getRow(oid)->next;
        }
        for (dbFieldDescriptor* fd = desc->firstField; fd; fd = fd->nextField) {
            fd->indexType &= ~DB_FIELD_INDEX_NEW;
            fd->attr &= ~dbFieldDescriptor::Updated;
        }
    }
    if (changed) {
        dbTable* t = db.getWritableTable(desc->tableId);
        char* base = reinterpret_cast<char*>(t);
        int i = 0;
        for (dbFieldDescriptor* fd = desc->firstField; fd; fd = fd->nextField, i++) {
            auto* f = reinterpret_cast<dbField*>(base + t->fields.offs + std::size_t(i) * sizeof(dbField));
            if (f->hashTable != fd->hashTable) {
                if (f->hashTable != 0) {
                    if (fd->hashTable != 0)
                        dbDescriptorAssertion("fd->hashTable == 0");
                    deleteHashTable(db, f->hashTable);
                    t = db.getWritableTable(desc->tableId);
                    base = reinterpret_cast<char*>(t);
                    f = reinterpret_cast<dbField*>(base + t->fields.offs + std::size_t(i) * sizeof(dbField));
                }
                f->hashTable = fd->hashTable;
            }
            if (f->tTree != fd->tTree) {
                if (f->tTree != 0) {
                    if (fd->tTree != 0)
                        dbDescriptorAssertion("fd->tTree == 0");
                    deleteTTree(db, f->tTree);
                    t = db.getWritableTable(desc->tableId);
                    base = reinterpret_cast<char*>(t);
                    f = reinterpret_cast<dbField*>(base + t->fields.offs + std::size_t(i) * sizeof(dbField));
                }
                f->tTree = fd->tTree;
            }
        }
    }
    return true;
}

// A stored index handle is trusted only when it names a live object of the right kind.
void checkIndexHandle(dbDatabase& db, oid_t oid, int kind)
{
    if (oid != 0)
        dbGetIndexObject(db, oid, kind);
}

void resolveReferences(dbDatabase& db)
{
    char buf[1024];
    for (dbTableDescriptor* desc : db.tables) {
        for (dbFieldDescriptor* fd = desc->firstField; fd; fd = fd->nextField) {
            fd->refTable = fd->refTableName ? dbFindBoundTable(db, fd->refTableName) : nullptr;
        }
    }
    for (dbTableDescriptor* desc : db.tables) {
        for (dbFieldDescriptor* fd = desc->inverseFields; fd; fd = fd->nextInverseField) {
            fd->inverseRef = nullptr;
            dbTableDescriptor* ref = fd->type == tpArray ? fd->components->refTable : fd->refTable;
            const char* refName = fd->type == tpArray ? fd->components->refTableName : fd->refTableName;
            dbFieldDescriptor* inverse = ref ? ref->findSymbol(fd->inverseRefName) : nullptr;
            if (!inverse) {
                std::snprintf(buf, sizeof buf,
                              "Failed to locate inverse reference field %s.%s for field %s.%s",
                              orEmpty(refName), fd->inverseRefName, desc->name, fd->longName.c_str());
                db.reportError(InconsistentInverseReference, buf);
                continue;
            }
            if (inverse->inverseRefName != fd->name) {
                std::snprintf(buf, sizeof buf,
                              "Inverse references for field %s.%s is %s.%s, but its inverse reference is %s",
                              desc->name, fd->longName.c_str(), ref->name, inverse->longName.c_str(),
                              orEmpty(inverse->inverseRefName));
                db.reportError(InconsistentInverseReference, buf);
                continue;
            }
            fd->inverseRef = inverse;
        }
    }
}

void loadTable(dbDatabase& db, dbTableDescriptor* desc, bool alter, oid_t& searchPos, const dbTable* meta)
{
    const bool readOnly = db.getAccessType() == dbReadOnly || db.getAccessType() == dbConcurrentRead;
    for (dbFieldDescriptor* fd = desc->firstField; fd; fd = fd->nextField) {
        fd->hashTable = fd->tTree = 0;
        fd->attr &= ~dbFieldDescriptor::Updated;
    }
    const std::uint32_t nTables = std::uint32_t(meta->nRows);
    const oid_t firstTable = meta->firstRow;
    oid_t found = 0;
    oid_t pos = searchPos;
    for (std::uint32_t n = 0; n < nTables; n++) {
        if (pos == 0)
            pos = firstTable;
        const dbTable* t = db.getTable(pos);
        if (!StoredDefinition::valid(t))
            throw SchemaFailure{corruptDefinition};
        if (std::strcmp(StoredDefinition(t).name(), desc->name) == 0) {
            found = pos;
            break;
        }
        pos = t->next;
    }
    bool definitionChanged = false;
    if (found != 0) {
        searchPos = found;
        const dbTable* t = db.getTable(found);
        StoredDefinition def(t);
        if (identical(desc, def)) {
            bindTable(db, desc, found);
            int i = 0;
            for (dbFieldDescriptor* fd = desc->firstField; fd; fd = fd->nextField, i++) {
                checkIndexHandle(db, def.field(i).hashTable, dbHashTableMarker);
                checkIndexHandle(db, def.field(i).tTree, dbTtreeMarker);
                fd->hashTable = def.field(i).hashTable;
                fd->tTree = def.field(i).tTree;
            }
        } else {
            if (!alter || readOnly)
                throw SchemaFailure{incompatible};
            db.beginTransaction(dbExclusiveLock);
            definitionChanged = true;
            if (t->nRows > 0) {
                convertTable(db, desc, found, db.isFieldRemovalAllowed());
            } else {
                std::vector<char> oldCopy(reinterpret_cast<const char*>(t),
                                          reinterpret_cast<const char*>(t) + t->size);
                bindTable(db, desc, found);
                rewriteDefinition(db, desc, oldCopy);
            }
        }
        // A stored index makes the field indexed even when its descriptor did not ask for it.
        for (dbFieldDescriptor* fd = desc->firstField; fd; fd = fd->nextField) {
            if (fd->tTree != 0)
                fd->indexType |= INDEXED;
            else if (fd->hashTable != 0)
                fd->indexType |= HASHED;
        }
        desc->buildIndexLists();
    } else {
        if (readOnly)
            throw SchemaFailure{"New table definition can not be added to read only database"};
        std::uint32_t size = dbTableDefinitionSize(desc->name, fieldSpecs(desc));
        oid_t tableId = db.allocateRow(dbMetatableId, size);
        bindTable(db, desc, tableId);
        writeDefinition(db, desc);
        definitionChanged = true;
    }
    if (!readOnly) {
        if (!alterIndices(db, desc, alter, definitionChanged))
            throw SchemaFailure{"Failed to alter indices with active applications"};
    }
}

} // namespace

dbTableDescriptor* dbFindBoundTable(dbDatabase& db, dbTableDescriptor* table)
{
    for (dbTableDescriptor* t : db.tables) {
        if (t == table || t->cloneOf == table)
            return t;
    }
    return nullptr;
}

dbTableDescriptor* dbFindBoundTable(dbDatabase& db, const char* name)
{
    for (dbTableDescriptor* t : db.tables) {
        if (t->name == name || std::strcmp(t->name, name) == 0)
            return t;
    }
    return nullptr;
}

void dbUnbindTables(dbDatabase& db)
{
    std::vector<dbTableDescriptor*> bound;
    bound.swap(db.tables);
    for (dbTableDescriptor* t : bound) {
        t->tableId = 0;
        if (t->cloneOf) {
            delete t;
            continue;
        }
        if (!t->fixedDatabase)
            t->db = nullptr;
    }
}

void dbDatabase::unbindTables()
{
    dbUnbindTables(*this);
}

bool dbLoadSchema(dbDatabase& db, bool alter)
{
    // Descriptors still bound by an earlier open of this object (closed without unbinding).
    dbUnbindTables(db);
    const bool writable = db.getAccessType() == dbReadWrite || db.getAccessType() == dbConcurrentUpdate;
    try {
        if (!db.beginTransaction(writable ? dbExclusiveLock : dbSharedLock))
            return false;
    } catch (const dbException& e) {
        std::string text = std::string("Failed to lock database: ") + e.what();
        db.reportError(DatabaseOpenError, text.c_str());
        return false;
    }
    try {
        const dbTable* meta = db.getTable(dbMetatableId);
        if (!StoredDefinition::valid(meta))
            throw SchemaFailure{corruptDefinition};
        oid_t searchPos = meta->firstRow;
        for (dbTableDescriptor* desc = dbTableDescriptor::getChain(); desc; desc = desc->getNext()) {
            if (desc->db == DETACHED_TABLE) {
                dbTableDescriptor* copy = desc->clone();
                // The copy is deleted here until it is bound; a bound one goes when the tables
                // are unbound.
                TScopeExit unbound([copy] {
                    if (copy->tableId == 0)
                        delete copy;
                });
                copy->db = &db;
                loadTable(db, copy, alter, searchPos, db.getTable(dbMetatableId));
                unbound.Dismiss();
            } else if (desc->tableId == 0 && (desc->db == nullptr || desc->db == &db)) {
                loadTable(db, desc, alter, searchPos, db.getTable(dbMetatableId));
            }
        }
        resolveReferences(db);
    } catch (const SchemaFailure& f) {
        db.reportError(DatabaseOpenError, f.message.c_str());
        db.rollback();
        dbUnbindTables(db);
        return false;
    } catch (const dbException& e) {
        std::string text = std::string("Database file was corrupted: ") + e.what();
        db.reportError(DatabaseOpenError, text.c_str());
        db.rollback();
        dbUnbindTables(db);
        return false;
    }
    db.commit();
    return true;
}
