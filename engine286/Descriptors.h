#pragma once

#include "engine286/Database.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Static descriptions of application record types: one dbTableDescriptor per record type,
// holding a ring of dbFieldDescriptors built by the type's describe function.

// Field type codes, as stored in table definitions.
enum dbFieldTypeCode {
    tpBool = 0,
    tpInt1 = 1,
    tpInt2 = 2,
    tpInt4 = 3,
    tpInt8 = 4,
    tpReal4 = 5,
    tpReal8 = 6,
    tpString = 7,
    tpReference = 8,
    tpArray = 9,
    tpStructure = 19,
    tpRawBinary = 20,
    tpUnknown = 22, // during conversion: the field was absent in the stored definition
};

// Index flags of a field.
enum dbIndexFlags {
    HASHED = 1,
    INDEXED = 2, // a T-tree
    DB_FIELD_CASCADE_DELETE = 8,
    DB_FIELD_INDEX_NEW = int(0x80000000u), // during index alteration: created just now
};

// Compares two raw binary values of a field.
typedef int (*dbUDTComparator)(const void* a, const void* b, std::size_t size);
int dbDefaultComparator(const void* a, const void* b, std::size_t size);

// The application side of an array field: its elements, and whether it owns them. Stored rows
// keep {count, offset}; fetched arrays of stored-equals-application elements point into the
// mapped file without owning the data.
struct dbAnyArray {
    std::size_t nElems = 0;
    void* data = nullptr;
    std::size_t allocated = 0; // elements owned (0: data is borrowed)
};
// Fills an application array: frees what it allocated before; borrows data (or stays empty for
// count 0) when data is given, else allocates room for count elements.
typedef void (*dbArrayAllocator)(dbAnyArray* array, void* data, std::size_t count);
void dbInt1ArrayAllocator(dbAnyArray* array, void* data, std::size_t count);

class dbFieldDescriptor;
class dbTableDescriptor;

// A query method of a record type. The method layer derives from it.
class dbAnyMethodTrampoline {
public:
    explicit dbAnyMethodTrampoline(dbFieldDescriptor* owner) : cls(owner) {}
    virtual ~dbAnyMethodTrampoline() = default;
    // Calls the method on the structure held by row (a stored row, or a dereferenced record laid
    // out like one) and writes the result to result.
    virtual void invoke(const char* row, void* result) = 0;
    // The form to use when the stored layout equals the application layout (may be this).
    virtual dbAnyMethodTrampoline* optimize() { return this; }
    dbFieldDescriptor* cls;
};

class dbFieldDescriptor {
public:
    enum FieldAttributes {
        ComponentOfArray = 1,
        HasArrayComponents = 2, // a string or array lies inside: the row has variable parts
        OneToOneMapping = 4,    // stored layout equals application layout
        Updated = 8,            // an indexed value changes in the running update
    };

    // A data field: name, offset in the application record, application size, index flags,
    // inverse field name (or null) and components (or null). The type is "structure" until a
    // type setter runs.
    dbFieldDescriptor(const char* name, std::size_t offs, std::size_t size, int indexType,
                      const char* inverse = nullptr, dbFieldDescriptor* components = nullptr);
    // A component: the "[]" element of a string or array, or a method.
    explicit dbFieldDescriptor(const char* name);
    ~dbFieldDescriptor();
    dbFieldDescriptor(const dbFieldDescriptor&) = delete;
    dbFieldDescriptor& operator=(const dbFieldDescriptor&) = delete;

    // Splices the ring that starts at other behind the last element of this ring.
    dbFieldDescriptor* chain(dbFieldDescriptor* other)
    {
        dbFieldDescriptor* tail = other->prev;
        other->prev = prev;
        prev->next = other;
        prev = tail;
        tail->next = this;
        return this;
    }
    // Moves every element of this ring by delta in the application record.
    dbFieldDescriptor* shiftOffsets(std::size_t delta)
    {
        dbFieldDescriptor* fd = this;
        do {
            fd->appOffs += delta;
        } while ((fd = fd->next) != this);
        return this;
    }
    // A component of this structure by interned name, or null.
    dbFieldDescriptor* findSymbol(const char* internedName);

    // Rings and lists.
    dbFieldDescriptor* next;
    dbFieldDescriptor* prev;
    dbFieldDescriptor* nextField = nullptr; // the table's flat list, in layout order
    dbFieldDescriptor* nextHashedField = nullptr;
    dbFieldDescriptor* nextIndexedField = nullptr; // T-tree list
    dbFieldDescriptor* nextInverseField = nullptr;
    int fieldNo = 0;

    const char* name;                   // interned
    std::string longName;               // prefix + name
    const char* refTableName = nullptr; // interned
    dbTableDescriptor* refTable = nullptr;
    dbTableDescriptor* defTable = nullptr;
    dbFieldDescriptor* inverseRef = nullptr;
    const char* inverseRefName = nullptr; // interned

    int type = tpStructure;
    int appType = tpStructure;
    int indexType = 0;
    int dbsOffs = 0;
    std::size_t appOffs = 0;    // in the enclosing structure, element or record
    std::size_t recordOffs = 0; // in the application record (fields outside arrays)
    dbFieldDescriptor* components = nullptr;
    oid_t hashTable = 0;
    oid_t tTree = 0;
    std::size_t dbsSize = 0;
    std::size_t appSize = 0;
    std::size_t alignment = 1;
    dbUDTComparator comparator = dbDefaultComparator;
    int attr = 0;

    int oldDbsType = tpUnknown;
    int oldDbsOffs = 0;
    int oldDbsSize = 0;

    dbAnyMethodTrampoline* method = nullptr; // owned
    dbArrayAllocator arrayAllocator = nullptr;
};

// Type setters used by describe functions; each returns its argument.
dbFieldDescriptor* describeBoolField(dbFieldDescriptor* fd);
dbFieldDescriptor* describeInt1Field(dbFieldDescriptor* fd);
dbFieldDescriptor* describeInt2Field(dbFieldDescriptor* fd);
dbFieldDescriptor* describeInt4Field(dbFieldDescriptor* fd);
dbFieldDescriptor* describeInt8Field(dbFieldDescriptor* fd);
dbFieldDescriptor* describeReal4Field(dbFieldDescriptor* fd);
dbFieldDescriptor* describeReal8Field(dbFieldDescriptor* fd);
// The application field is a const char* to a NUL-terminated text (null reads as "").
dbFieldDescriptor* describeStringField(dbFieldDescriptor* fd);
// The application field is an oid_t naming a row of the table called refTableName.
dbFieldDescriptor* describeReferenceField(dbFieldDescriptor* fd, const char* refTableName);
// The application field is a dbAnyArray; element is the "[]" descriptor of one element.
dbFieldDescriptor* describeArrayField(dbFieldDescriptor* fd, dbFieldDescriptor* element,
                                      dbArrayAllocator allocator);
dbFieldDescriptor* describeInt1ArrayField(dbFieldDescriptor* fd);
// An array of references to rows of refTableName (application elements are oid_t).
dbFieldDescriptor* describeReferenceArrayField(dbFieldDescriptor* fd, const char* refTableName);
// The components ring is stored inline; offsets of the components are relative to the field.
dbFieldDescriptor* describeStructureField(dbFieldDescriptor* fd, dbFieldDescriptor* components);
// A block of bytes compared with comparator.
dbFieldDescriptor* describeRawBinaryField(dbFieldDescriptor* fd,
                                          dbUDTComparator comparator = dbDefaultComparator);

typedef dbFieldDescriptor* (*dbDescribeFunc)();

// Marks a descriptor of which every opening database makes its own copy.
inline dbDatabase* const DETACHED_TABLE = reinterpret_cast<dbDatabase*>(std::uintptr_t(1));

class dbTableDescriptor {
public:
    // name: the table's name; db: a database the descriptor is fixed to, null (the first
    // database that opens binds it) or DETACHED_TABLE; recordSize: sizeof the application
    // record; describe: builds the field ring; original: the template of a copy (a copy does
    // not join the global chain).
    dbTableDescriptor(const char* name, dbDatabase* db, std::size_t recordSize, dbDescribeFunc describe,
                      dbTableDescriptor* original = nullptr);
    ~dbTableDescriptor();
    dbTableDescriptor(const dbTableDescriptor&) = delete;
    dbTableDescriptor& operator=(const dbTableDescriptor&) = delete;

    // The head of the chain of every descriptor of the process. A constant-initialised pointer:
    // it is null before any dynamic initialisation runs, so descriptors constructed in any
    // translation unit, in any order, link correctly.
    static dbTableDescriptor* getChain() { return chain; }
    dbTableDescriptor* getNext() const { return next; }

    // A top-level column by interned name, or null.
    dbFieldDescriptor* findSymbol(const char* internedName);
    // A field of the flat list by its long name, or null.
    dbFieldDescriptor* findField(const char* longName);
    // A copy for one database.
    dbTableDescriptor* clone();
    // Puts the fields that carry index flags into the hashed and T-tree lists.
    void buildIndexLists();

    dbTableDescriptor* next = nullptr;       // global chain
    const char* name;                        // interned
    oid_t tableId = 0;                       // the definition row, 0 while unbound
    dbFieldDescriptor* columns = nullptr;    // the top-level ring
    dbFieldDescriptor* firstField = nullptr; // the flat list
    dbFieldDescriptor** nextFieldLink = &firstField;
    dbFieldDescriptor* hashedFields = nullptr;
    dbFieldDescriptor* indexedFields = nullptr;
    dbFieldDescriptor* inverseFields = nullptr;
    dbDatabase* db;
    bool fixedDatabase;
    std::size_t appSize = 0;
    std::size_t fixedSize = sizeof(dbRecord);
    int nFields = 0;
    int nColumns = 0;
    dbDescribeFunc describeComponentsFunc;
    dbTableDescriptor* cloneOf;
    std::size_t recordSize;

private:
    void addApplicationField(std::size_t size, std::size_t align)
    {
        if (align > appAlignment)
            appAlignment = align;
        appSize = (align > 1 ? (appSize + align - 1) / align * align : appSize) + size;
    }
    std::size_t calculateFieldsAttributes(dbFieldDescriptor* first, const std::string& prefix,
                                          std::size_t base, int indexMask, int& attr);

    std::size_t appAlignment = 1; // of the application record, while laying out
    static inline dbTableDescriptor* chain = nullptr;
};

// The one place where describe-time rule violations stop the program (they are programming
// errors of a record type's describe function, not input).
[[noreturn]] void dbDescriptorAssertion(const char* text);
