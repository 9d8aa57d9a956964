#pragma once

#include "engine286/Database.h"
#include "engine286/TableDefinition.h"
#include "platform/testing/TempFolder.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

// A fresh folder per test, removed at the end.
using TempDir = uitest::TempFolder;

// Tables without a record layer: a row's body is a NUL-terminated text.
inline oid_t createTable(dbDatabase& db, const char* name)
{
    db.beginTransaction(dbExclusiveLock);
    std::uint32_t size = dbTableDefinitionSize(name, {});
    oid_t oid = db.allocateRow(dbMetatableId, size);
    dbWriteTableDefinition(static_cast<dbTable*>(db.getRow(oid)), name, {}, sizeof(dbRecord), 0);
    return oid;
}

inline oid_t findTable(dbDatabase& db, const char* name)
{
    for (oid_t t = db.getTable(dbMetatableId)->firstRow; t != 0; t = db.getRow(t)->next) {
        dbTable* table = db.getTable(t);
        if (std::strcmp(reinterpret_cast<char*>(table) + table->name.offs, name) == 0)
            return t;
    }
    return 0;
}

inline oid_t insertText(dbDatabase& db, oid_t table, const std::string& text)
{
    db.beginTransaction(dbExclusiveLock);
    oid_t oid = db.allocateRow(table, std::uint32_t(sizeof(dbRecord) + text.size() + 1));
    std::memcpy(reinterpret_cast<char*>(db.getRow(oid)) + sizeof(dbRecord), text.c_str(), text.size() + 1);
    return oid;
}

inline std::string rowText(dbDatabase& db, oid_t oid)
{
    return reinterpret_cast<char*>(db.getRow(oid)) + sizeof(dbRecord);
}

inline void updateText(dbDatabase& db, oid_t oid, const std::string& text)
{
    db.beginTransaction(dbExclusiveLock);
    dbRecord* row = db.resizeRow(oid, std::uint32_t(sizeof(dbRecord) + text.size() + 1));
    std::memcpy(reinterpret_cast<char*>(row) + sizeof(dbRecord), text.c_str(), text.size() + 1);
}

// Every row text of a table, walking the row list forwards and checking the back links.
inline std::vector<std::string> tableTexts(dbDatabase& db, oid_t table)
{
    db.beginTransaction(dbSharedLock);
    std::vector<std::string> texts;
    oid_t prev = 0;
    for (oid_t r = db.getTable(table)->firstRow; r != 0; r = db.getRow(r)->next) {
        if (db.getRow(r)->prev != prev)
            texts.push_back("<broken back link>");
        texts.push_back(rowText(db, r));
        prev = r;
    }
    if (db.getTable(table)->lastRow != prev)
        texts.push_back("<broken last row>");
    return texts;
}
