#pragma once

#include "TestSupport.h"

#include <algorithm>
#include <string>
#include <vector>

// A deterministic series of transactions over one table of text rows ("T") and a one-row table
// that holds the number of the last transaction ("S"). The same steps run against the database
// (in a child that may be killed) and against a plain list (the model a reopened file is
// compared with). It grows the object index past its initial size and the file past its
// initial length.
namespace workload {

inline std::string padded(std::string s, std::size_t len)
{
    if (s.size() < len)
        s.resize(len, '.');
    return s;
}

struct Step {
    enum Kind { Update, Remove, Insert } kind;
    std::size_t position;
    std::string text;
};

inline std::vector<Step> steps(int tx, std::size_t rowCount, int inserts)
{
    std::vector<Step> out;
    std::size_t n = rowCount;
    for (std::size_t p = std::size_t(tx % 5); p < n; p += 9)
        out.push_back({Step::Update, p,
                       padded("u" + std::to_string(tx) + "-" + std::to_string(p), (p * 13 + tx) % 150 + 4)});
    for (std::size_t p = n / 2; p-- > 0;) {
        if (p % 11 == std::size_t(tx % 11))
            out.push_back({Step::Remove, p, ""});
    }
    for (int j = 0; j < inserts; j++)
        out.push_back(
            {Step::Insert, 0,
             padded("r" + std::to_string(tx) + "-" + std::to_string(j), (tx * 37 + j * 11) % 180 + 8)});
    if (tx % 3 == 0)
        out.push_back({Step::Insert, 0, padded("big" + std::to_string(tx), 150000)});
    return out;
}

inline void applyToModel(std::vector<std::string>& rows, int tx, int inserts)
{
    for (const Step& s : steps(tx, rows.size(), inserts)) {
        if (s.kind == Step::Update)
            rows[s.position] = s.text;
        else if (s.kind == Step::Remove)
            rows.erase(rows.begin() + std::ptrdiff_t(s.position));
        else
            rows.push_back(s.text);
    }
}

inline std::vector<std::string> model(int lastTx, int inserts)
{
    std::vector<std::string> rows;
    for (int tx = 1; tx <= lastTx; tx++)
        applyToModel(rows, tx, inserts);
    return rows;
}

// Runs transaction tx against the database (without committing it).
inline void apply(dbDatabase& db, oid_t table, oid_t seqRow, std::vector<oid_t>& oids, int tx, int inserts)
{
    for (const Step& s : steps(tx, oids.size(), inserts)) {
        if (s.kind == Step::Update) {
            updateText(db, oids[s.position], s.text);
        } else if (s.kind == Step::Remove) {
            db.beginTransaction(dbExclusiveLock);
            db.unlinkRow(table, oids[s.position]);
            oids.erase(oids.begin() + std::ptrdiff_t(s.position));
        } else {
            oids.push_back(insertText(db, table, s.text));
        }
    }
    updateText(db, seqRow, std::to_string(tx));
}

inline std::vector<oid_t> rowIds(dbDatabase& db, oid_t table)
{
    db.beginTransaction(dbSharedLock);
    std::vector<oid_t> oids;
    for (oid_t r = db.getTable(table)->firstRow; r != 0; r = db.getRow(r)->next)
        oids.push_back(r);
    return oids;
}

// Creates the two tables; transaction 0.
inline void create(dbDatabase& db)
{
    oid_t t = createTable(db, "T");
    (void)t;
    oid_t s = createTable(db, "S");
    insertText(db, s, "0");
    db.commit();
}

inline int lastTransaction(dbDatabase& db)
{
    oid_t s = findTable(db, "S");
    return std::stoi(rowText(db, db.getTable(s)->firstRow));
}

} // namespace workload
