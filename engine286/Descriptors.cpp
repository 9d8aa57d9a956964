#include "engine286/Descriptors.h"

#include "engine286/Symbols.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

inline std::size_t alignUp(std::size_t x, std::size_t a)
{
    return a <= 1 ? x : (x + a - 1) / a * a;
}

const char* intern(const char* name)
{
    if (!name)
        return nullptr;
    dbSymbolTable::instance().add(name, 0, true);
    return name;
}

} // namespace

void dbDescriptorAssertion(const char* text)
{
    std::fprintf(stderr, "Assertion failed: %s\n", text);
    std::fflush(stderr);
    std::abort();
}

int dbDefaultComparator(const void* a, const void* b, std::size_t size)
{
    return std::memcmp(a, b, size);
}

void dbInt1ArrayAllocator(dbAnyArray* array, void* data, std::size_t count)
{
    if (array->allocated)
        std::free(array->data);
    array->data = nullptr;
    array->allocated = 0;
    array->nElems = count;
    if (data != nullptr || count == 0) {
        array->data = data;
        return;
    }
    array->data = std::malloc(count);
    if (!array->data)
        throw std::bad_alloc();
    array->allocated = count;
}

// ---- Field descriptors ---------------------------------------------------------------------

dbFieldDescriptor::dbFieldDescriptor(const char* fieldName, std::size_t offs, std::size_t size,
                                     int indexFlags, const char* inverse, dbFieldDescriptor* comps)
    : next(this), prev(this), name(intern(fieldName)), inverseRefName(intern(inverse)), indexType(indexFlags),
      appOffs(offs), components(comps), dbsSize(size), appSize(size), alignment(size ? size : 1)
{
}

dbFieldDescriptor::dbFieldDescriptor(const char* fieldName)
    : next(this), prev(this), name(intern(fieldName)), attr(OneToOneMapping)
{
}

dbFieldDescriptor::~dbFieldDescriptor()
{
    delete method;
    if (components) {
        // Components form a ring owned by this field.
        dbFieldDescriptor* c = components;
        c->prev->next = nullptr;
        while (c) {
            dbFieldDescriptor* n = c->next;
            c->next = c->prev = c; // stop the destructor from walking a ring
            delete c;
            c = n;
        }
    }
}

dbFieldDescriptor* dbFieldDescriptor::findSymbol(const char* internedName)
{
    dbFieldDescriptor* fd = components;
    if (!fd)
        return nullptr;
    do {
        if (fd->name == internedName)
            return fd;
    } while ((fd = fd->next) != components);
    return nullptr;
}

static dbFieldDescriptor* setScalar(dbFieldDescriptor* fd, int type, std::size_t size)
{
    fd->type = fd->appType = type;
    fd->dbsSize = size;
    fd->alignment = size;
    return fd;
}

dbFieldDescriptor* describeBoolField(dbFieldDescriptor* fd)
{
    return setScalar(fd, tpBool, 1);
}
dbFieldDescriptor* describeInt1Field(dbFieldDescriptor* fd)
{
    return setScalar(fd, tpInt1, 1);
}
dbFieldDescriptor* describeInt2Field(dbFieldDescriptor* fd)
{
    return setScalar(fd, tpInt2, 2);
}
dbFieldDescriptor* describeInt4Field(dbFieldDescriptor* fd)
{
    return setScalar(fd, tpInt4, 4);
}
dbFieldDescriptor* describeInt8Field(dbFieldDescriptor* fd)
{
    return setScalar(fd, tpInt8, 8);
}
dbFieldDescriptor* describeReal4Field(dbFieldDescriptor* fd)
{
    return setScalar(fd, tpReal4, 4);
}
dbFieldDescriptor* describeReal8Field(dbFieldDescriptor* fd)
{
    return setScalar(fd, tpReal8, 8);
}

dbFieldDescriptor* describeStringField(dbFieldDescriptor* fd)
{
    fd->type = fd->appType = tpString;
    fd->dbsSize = 8;
    fd->alignment = 4;
    auto* element = new dbFieldDescriptor("[]");
    setScalar(element, tpInt1, 1);
    element->appSize = 1;
    fd->components = element;
    return fd;
}

dbFieldDescriptor* describeReferenceField(dbFieldDescriptor* fd, const char* refTableName)
{
    setScalar(fd, tpReference, 4);
    fd->refTableName = intern(refTableName);
    return fd;
}

dbFieldDescriptor* describeArrayField(dbFieldDescriptor* fd, dbFieldDescriptor* element,
                                      dbArrayAllocator allocator)
{
    fd->type = fd->appType = tpArray;
    fd->dbsSize = 8;
    fd->alignment = 4;
    fd->components = element;
    fd->arrayAllocator = allocator;
    return fd;
}

dbFieldDescriptor* describeInt1ArrayField(dbFieldDescriptor* fd)
{
    auto* element = new dbFieldDescriptor("[]");
    setScalar(element, tpInt1, 1);
    element->appSize = 1;
    return describeArrayField(fd, element, dbInt1ArrayAllocator);
}

namespace {
void referenceArrayAllocator(dbAnyArray* array, void* data, std::size_t count)
{
    if (array->allocated)
        std::free(array->data);
    array->data = nullptr;
    array->allocated = 0;
    array->nElems = count;
    if (data != nullptr || count == 0) {
        array->data = data;
        return;
    }
    array->data = std::malloc(count * sizeof(oid_t));
    if (!array->data)
        throw std::bad_alloc();
    array->allocated = count;
}
} // namespace

dbFieldDescriptor* describeReferenceArrayField(dbFieldDescriptor* fd, const char* refTableName)
{
    auto* element = new dbFieldDescriptor("[]");
    describeReferenceField(element, refTableName);
    element->appSize = sizeof(oid_t);
    return describeArrayField(fd, element, referenceArrayAllocator);
}

dbFieldDescriptor* describeStructureField(dbFieldDescriptor* fd, dbFieldDescriptor* components)
{
    fd->type = fd->appType = tpStructure;
    fd->components = components;
    return fd;
}

dbFieldDescriptor* describeRawBinaryField(dbFieldDescriptor* fd, dbUDTComparator comparator)
{
    fd->type = fd->appType = tpRawBinary;
    fd->dbsSize = fd->appSize;
    fd->alignment = 1;
    fd->comparator = comparator ? comparator : dbDefaultComparator;
    return fd;
}

// ---- Table descriptors ---------------------------------------------------------------------

dbTableDescriptor::dbTableDescriptor(const char* tableName, dbDatabase* database, std::size_t size,
                                     dbDescribeFunc describe, dbTableDescriptor* original)
    : name(intern(tableName)), db(database), fixedDatabase(database != nullptr && database != DETACHED_TABLE),
      describeComponentsFunc(describe), cloneOf(original), recordSize(size)
{
    if (!original) {
        next = chain;
        chain = this;
    }
    columns = describe();
    int attr = dbFieldDescriptor::OneToOneMapping;
    std::size_t align = calculateFieldsAttributes(columns, "", sizeof(dbRecord), HASHED | INDEXED, attr);
    appSize = alignUp(appSize, std::max(align, appAlignment));
    if (appSize < size && !original)
        std::fprintf(stderr, "Warning: may be not all fields of the class '%s' were described\n", name);
}

dbTableDescriptor::~dbTableDescriptor()
{
    if (!cloneOf) {
        for (dbTableDescriptor** tpp = &chain; *tpp; tpp = &(*tpp)->next) {
            if (*tpp == this) {
                *tpp = next;
                break;
            }
        }
    }
    if (columns) {
        dbFieldDescriptor* fd = columns;
        fd->prev->next = nullptr;
        while (fd) {
            dbFieldDescriptor* n = fd->next;
            fd->next = fd->prev = fd;
            delete fd;
            fd = n;
        }
    }
}

dbTableDescriptor* dbTableDescriptor::clone()
{
    return new dbTableDescriptor(name, DETACHED_TABLE, recordSize, describeComponentsFunc, this);
}

dbFieldDescriptor* dbTableDescriptor::findSymbol(const char* internedName)
{
    dbFieldDescriptor* fd = columns;
    if (!fd)
        return nullptr;
    do {
        if (fd->name == internedName)
            return fd;
    } while ((fd = fd->next) != columns);
    return nullptr;
}

dbFieldDescriptor* dbTableDescriptor::findField(const char* longName)
{
    for (dbFieldDescriptor* fd = firstField; fd; fd = fd->nextField) {
        if (fd->longName == longName)
            return fd;
    }
    return nullptr;
}

void dbTableDescriptor::buildIndexLists()
{
    dbFieldDescriptor** hashTail = &hashedFields;
    dbFieldDescriptor** treeTail = &indexedFields;
    for (dbFieldDescriptor* fd = firstField; fd; fd = fd->nextField) {
        fd->nextHashedField = fd->nextIndexedField = nullptr;
        if (fd->type == tpStructure)
            continue;
        if (fd->indexType & HASHED) {
            *hashTail = fd;
            hashTail = &fd->nextHashedField;
        }
        if (fd->indexType & INDEXED) {
            *treeTail = fd;
            treeTail = &fd->nextIndexedField;
        }
    }
    *hashTail = nullptr;
    *treeTail = nullptr;
}

// Lays out one ring (the record's columns, a structure's components or an array's element):
// assigns stored offsets behind the row header in declaration order, each aligned to its field,
// and works out whether the stored layout equals the application layout. Returns the ring's
// largest alignment.
std::size_t dbTableDescriptor::calculateFieldsAttributes(dbFieldDescriptor* first, const std::string& prefix,
                                                         std::size_t base, int indexMask, int& attr)
{
    if (first == nullptr)
        return 1;
    if (first->method)
        dbDescriptorAssertion("Not empty record");
    const bool topLevel = prefix.empty();
    std::size_t alignment = 1;
    dbFieldDescriptor* fd = first;
    do {
        if (fd->method)
            break;
        fd->longName = prefix + fd->name;
        if (topLevel)
            nColumns += 1;
        fd->defTable = this;
        fd->indexType &= indexMask | ~(HASHED | INDEXED);
        fd->attr = (attr & dbFieldDescriptor::ComponentOfArray) | dbFieldDescriptor::OneToOneMapping;
        if (!(fd->attr & dbFieldDescriptor::ComponentOfArray))
            fd->recordOffs = base + fd->appOffs - sizeof(dbRecord);
        if (fd->inverseRefName) {
            if ((fd->attr & dbFieldDescriptor::ComponentOfArray) ||
                !(fd->type == tpReference || (fd->type == tpArray && fd->components->type == tpReference)))
                dbDescriptorAssertion("!(attr & dbFieldDescriptor::ComponentOfArray) && (field->type == "
                                      "dbField::tpReference || (field->type == dbField::tpArray && "
                                      "field->components->type==dbField::tpReference))");
            fd->nextInverseField = inverseFields;
            inverseFields = fd;
        }
        *nextFieldLink = fd;
        nextFieldLink = &fd->nextField;
        fd->nextField = nullptr;
        fd->fieldNo = nFields++;

        switch (fd->type) {
        case tpString:
            attr = (attr & ~dbFieldDescriptor::OneToOneMapping) | dbFieldDescriptor::HasArrayComponents;
            if (topLevel)
                addApplicationField(fd->appSize, alignof(const char*));
            break;
        case tpArray: {
            attr = (attr & ~dbFieldDescriptor::OneToOneMapping) | dbFieldDescriptor::HasArrayComponents;
            fd->attr |= dbFieldDescriptor::ComponentOfArray;
            std::size_t saveFixed = fixedSize;
            fixedSize = 0;
            int elementAttr = fd->attr;
            calculateFieldsAttributes(fd->components, fd->longName, 0, 0, elementAttr);
            fixedSize = saveFixed;
            if (fd->components->dbsSize != fd->components->appSize ||
                !(elementAttr & dbFieldDescriptor::OneToOneMapping))
                fd->attr &= ~dbFieldDescriptor::OneToOneMapping;
            fd->attr |= elementAttr & dbFieldDescriptor::HasArrayComponents;
            if (topLevel)
                addApplicationField(sizeof(dbAnyArray), alignof(dbAnyArray));
            break;
        }
        case tpStructure: {
            if (!fd->components)
                dbDescriptorAssertion("Not empty record");
            int structAttr = fd->attr;
            std::size_t a = calculateFieldsAttributes(fd->components, fd->longName + ".", base + fd->appOffs,
                                                      fd->indexType & (HASHED | INDEXED), structAttr);
            fd->alignment = a;
            fd->dbsOffs = fd->components->dbsOffs;
            std::size_t taken = fixedSize - std::size_t(fd->dbsOffs);
            fd->dbsSize = alignUp(taken, a);
            fixedSize = std::size_t(fd->dbsOffs) + fd->dbsSize;
            fd->attr = structAttr;
            if (structAttr & dbFieldDescriptor::HasArrayComponents)
                attr |= dbFieldDescriptor::HasArrayComponents;
            if (!(structAttr & dbFieldDescriptor::OneToOneMapping))
                attr &= ~dbFieldDescriptor::OneToOneMapping;
            if (topLevel) {
                std::size_t sa = a;
                if ((structAttr & dbFieldDescriptor::HasArrayComponents) && sa < alignof(void*))
                    sa = alignof(void*);
                addApplicationField(fd->appSize, sa);
            }
            break;
        }
        default:
            if (topLevel)
                addApplicationField(fd->appSize, fd->type == tpRawBinary ? 1 : fd->appSize);
            break;
        }
        if (fd->type != tpStructure) {
            fd->dbsOffs = int(alignUp(fixedSize, fd->alignment));
            fixedSize = std::size_t(fd->dbsOffs) + fd->dbsSize;
            if (base + fd->appOffs != std::size_t(fd->dbsOffs))
                attr &= ~dbFieldDescriptor::OneToOneMapping;
            if (fd->indexType & (HASHED | INDEXED)) {
                if (fd->attr & dbFieldDescriptor::ComponentOfArray)
                    dbDescriptorAssertion("!(field->attr & dbFieldDescriptor::ComponentOfArray)");
            }
        }
        if (fd->alignment > alignment)
            alignment = fd->alignment;
    } while ((fd = fd->next) != first);

    // Methods follow the data fields.
    if (fd->method) {
        dbFieldDescriptor* firstMethod = fd;
        do {
            if (!fd->method)
                dbDescriptorAssertion("Methods should be specified after variables");
            fd->dbsOffs = first->dbsOffs;
            fd->components = nullptr; // the ring is reached through cls, never owned
            fd->defTable = this;
            if (attr & dbFieldDescriptor::OneToOneMapping) {
                dbAnyMethodTrampoline* fast = fd->method->optimize();
                if (fast != fd->method) {
                    delete fd->method;
                    fd->method = fast;
                }
            }
        } while ((fd = fd->next) != first && fd != firstMethod);
    }
    if (topLevel)
        buildIndexLists();
    return alignment;
}
