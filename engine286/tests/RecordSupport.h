#pragma once

#include "TestSupport.h"

#include "engine286/HashIndex.h"
#include "engine286/Records.h"
#include "engine286/Schema.h"
#include "engine286/TTree.h"

#include <cstddef>
#include <set>
#include <string>
#include <vector>

// What the error hook received, for tests that expect reports.
struct ReportedError {
    int errorClass;
    std::string message;
};

inline std::vector<ReportedError>& reportedErrors()
{
    static std::vector<ReportedError> errors;
    return errors;
}

inline void recordError(int errorClass, const char* msg, int)
{
    reportedErrors().push_back({errorClass, msg ? msg : ""});
}

inline bool reported(int errorClass, const std::string& message)
{
    for (const ReportedError& e : reportedErrors()) {
        if (e.errorClass == errorClass && e.message == message)
            return true;
    }
    return false;
}

// Opens a database (which binds the table descriptors) with errors recorded.
inline bool openWithSchema(dbDatabase& db, const std::string& name, const std::string& file)
{
    db.setErrorHandler(recordError);
    return db.open(name.c_str(), file.c_str());
}

inline void closeWithSchema(dbDatabase& db)
{
    db.close();
    db.unbindTables();
}

// Collects the rows an index search offers.
struct Collected {
    std::vector<oid_t> rows;
    std::size_t limit = SIZE_MAX;

    static bool add(oid_t oid, void* arg)
    {
        auto* self = static_cast<Collected*>(arg);
        self->rows.push_back(oid);
        return self->rows.size() < self->limit;
    }
    void attach(dbSearchContext& sc)
    {
        sc.add = &Collected::add;
        sc.addArg = this;
    }
    std::multiset<oid_t> set() const { return {rows.begin(), rows.end()}; }
};

inline dbSearchContext searchFor(const dbFieldDescriptor* fd)
{
    dbSearchContext sc;
    sc.type = fd->type;
    sc.sizeofType = int(fd->dbsSize);
    sc.comparator = fd->comparator;
    sc.offs = fd->dbsOffs;
    return sc;
}

inline std::vector<oid_t> hashFind(dbDatabase& db, const dbFieldDescriptor* fd, const void* key)
{
    dbSearchContext sc = searchFor(fd);
    sc.firstKey = key;
    Collected c;
    c.attach(sc);
    findInHashTable(db, fd->hashTable, sc);
    return c.rows;
}

inline std::vector<oid_t> treeRange(dbDatabase& db, const dbFieldDescriptor* fd, const void* low, int lowIncl,
                                    const void* high, int highIncl)
{
    dbSearchContext sc = searchFor(fd);
    sc.firstKey = low;
    sc.firstKeyInclusion = lowIncl;
    sc.lastKey = high;
    sc.lastKeyInclusion = highIncl;
    Collected c;
    c.attach(sc);
    findInTTree(db, fd->tTree, sc);
    return c.rows;
}

inline std::vector<oid_t> treeOrder(dbDatabase& db, const dbFieldDescriptor* fd, bool ascending = true)
{
    dbSearchContext sc = searchFor(fd);
    Collected c;
    c.attach(sc);
    if (ascending)
        visitAscending(db, fd->tTree, sc);
    else
        visitDescending(db, fd->tTree, sc);
    return c.rows;
}

inline std::vector<oid_t> tableRows(dbDatabase& db, dbTableDescriptor* table)
{
    std::vector<oid_t> rows;
    for (oid_t r = db.getTable(table->tableId)->firstRow; r != 0; r = db.getRow(r)->next)
        rows.push_back(r);
    return rows;
}
