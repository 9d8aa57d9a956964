#pragma once

#include "engine286/IndexSupport.h"

// T-tree indices stored as database objects: a header {root} and height-balanced nodes of up to
// 125 row oids each, kept in ascending order of the rows' field values (keys are read from the
// rows, never copied). Every object changes copy-on-write inside the caller's transaction.

struct dbTtreeNode {
    enum { pageSize = 125 };
    oid_t left;
    oid_t right;
    std::int8_t balance; // -1: the left subtree is one level higher, +1: the right one
    std::uint8_t pad;
    std::uint16_t nItems;
    oid_t item[pageSize];
};
static_assert(sizeof(dbTtreeNode) == 512);

struct dbTtree {
    oid_t root;
};

oid_t createTTree(dbDatabase& db);
void insertInTTree(dbDatabase& db, oid_t treeId, oid_t rowId, int type, int sizeofType,
                   dbUDTComparator comparator, int offs);
// The row must be in the tree: a row that cannot be found means the index and the rows disagree
// (a corrupt file) and throws dbException.
void removeFromTTree(dbDatabase& db, oid_t treeId, oid_t rowId, int type, int sizeofType,
                     dbUDTComparator comparator, int offs);
// Offers the rows whose keys lie between sc.firstKey and sc.lastKey (either may be null), in
// ascending order. Returns false when sc.add refused a row.
bool findInTTree(dbDatabase& db, oid_t treeId, dbSearchContext& sc);
// Offer every row (that sc.condition accepts) in ascending or descending key order.
bool visitAscending(dbDatabase& db, oid_t treeId, dbSearchContext& sc);
bool visitDescending(dbDatabase& db, oid_t treeId, dbSearchContext& sc);
// Frees every node; the tree stays, empty.
void clearTTree(dbDatabase& db, oid_t treeId);
void deleteTTree(dbDatabase& db, oid_t treeId);
