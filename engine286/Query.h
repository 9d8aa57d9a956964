#pragma once

#include "engine286/Expression.h"
#include "engine286/QueryElement.h"
#include "engine286/Sync.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <shared_mutex>
#include <string>
#include <vector>

// A condition of the query language: text fragments and bound parameters, in order, and the
// compiled form that the first select builds for the table it runs on.
//
//     dbQuery q("type=2");                     // a whole condition
//     dbQuery byName;                          // a name lookup with a bound parameter
//     byName.add("name = ").bind(wanted);      // wanted: a const char* variable
//
// Text fragments are copied. A parameter is bound by the address of a variable, which must stay
// valid while the query is used; it is read afresh by every select (relative to the cursor's
// parameter base when the cursor has one).
class dbQuery : public dbCompiledQuery {
public:
    dbQuery() = default;
    explicit dbQuery(const char* text) { add(text); }
    ~dbQuery() = default;
    dbQuery(const dbQuery&) = delete;
    dbQuery& operator=(const dbQuery&) = delete;
    // Replaces the condition by text.
    dbQuery& operator=(const char* text)
    {
        reset();
        return add(text);
    }

    dbQuery& add(const char* text);
    dbQuery& add(const std::string& text) { return add(text.c_str()); }
    dbQuery& bind(const bool& v) { return append(dbQueryElement::qVarBool, &v); }
    dbQuery& bind(const std::int8_t& v) { return append(dbQueryElement::qVarInt1, &v); }
    dbQuery& bind(const std::int16_t& v) { return append(dbQueryElement::qVarInt2, &v); }
    dbQuery& bind(const std::int32_t& v) { return append(dbQueryElement::qVarInt4, &v); }
    dbQuery& bind(const std::int64_t& v) { return append(dbQueryElement::qVarInt8, &v); }
    dbQuery& bind(const float& v) { return append(dbQueryElement::qVarReal4, &v); }
    dbQuery& bind(const double& v) { return append(dbQueryElement::qVarReal8, &v); }
    // A const char* variable: the text it points to when the select runs.
    dbQuery& bind(const char* const& v) { return append(dbQueryElement::qVarStringPtr, &v); }
    // A character array holding a NUL-terminated text.
    dbQuery& bindChars(const char* chars) { return append(dbQueryElement::qVarString, chars); }
    // An oid_t variable naming a row of table.
    dbQuery& bindReference(const oid_t& v, dbTableDescriptor* table)
    {
        return append(dbQueryElement::qVarReference, &v, table);
    }
    // A dbAnyArray of oid_t elements naming rows of table (or a pointer to one).
    dbQuery& bindArrayOfRef(const dbAnyArray& v, dbTableDescriptor* table)
    {
        return append(dbQueryElement::qVarArrayOfRef, &v, table);
    }
    dbQuery& bindArrayOfRefPtr(dbAnyArray* const& v, dbTableDescriptor* table)
    {
        return append(dbQueryElement::qVarArrayOfRefPtr, &v, table);
    }
    // Bytes compared with a raw binary field (as many as the field holds).
    dbQuery& bindRaw(const void* bytes) { return append(dbQueryElement::qVarRawData, bytes); }
    // Any element; type is a dbQueryElement type code.
    dbQuery& append(int type, const void* ptr, dbTableDescriptor* ref = nullptr);

    // Forgets the elements and the compiled form.
    void reset();

    const dbQueryElement* elements() const { return first; }
    // Added to the positions of error reports.
    int positionOffset = 0;
    // Held while a select checks whether the query is compiled for its table, and compiles it.
    dbMutex mutex;
    // Shared by every select that runs the compiled form; a compilation for another table takes
    // it exclusively, so the form never changes under a running select.
    std::shared_mutex inUse;

private:
    std::deque<dbQueryElement> elementStore;
    std::deque<std::string> texts;
    dbQueryElement* first = nullptr;
    dbQueryElement** lastLink = &first;
};

// Where a select puts what it found: the ids of the matching rows in order, or the note that
// every row of the table matches (the cursor then walks the table's row chain itself). With a
// sink the ids go straight to it instead of into ids (a cursor's selection: no second buffer);
// a select whose order must be established first collects them and hands them over sorted.
struct dbQueryResult {
    std::vector<oid_t> ids;
    bool wholeTable = false;
    // Stops adding at this many ids.
    std::size_t limit = SIZE_MAX;
    // Receives each id; false when it takes no more.
    bool (*sink)(oid_t oid, void* arg) = nullptr;
    void* sinkArg = nullptr;

    // Ids added so far (to ids or to the sink).
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    bool add(oid_t oid)
    {
        if (count >= limit)
            return false;
        if (dedup && !markOnce(oid))
            return true;
        return append(oid);
    }
    // Adds without duplicate elimination; false once full.
    bool append(oid_t oid)
    {
        count++;
        if (!sink) {
            ids.push_back(oid);
        } else if (!sink(oid, sinkArg)) {
            limit = count;
            return false;
        }
        return count < limit;
    }
    // Duplicate elimination: each oid is added once while it is on.
    void enableDuplicateElimination() { dedup = true; }
    bool isMarked(oid_t oid) const
    {
        std::size_t w = oid / 64;
        return w < bitmap.size() && (bitmap[w] >> (oid % 64) & 1);
    }
    // Marks oid; false when it was marked already.
    bool markOnce(oid_t oid)
    {
        std::size_t w = oid / 64;
        if (w >= bitmap.size())
            bitmap.resize(w + 1 + bitmap.size() / 2);
        std::uint64_t bit = std::uint64_t(1) << (oid % 64);
        if (bitmap[w] & bit)
            return false;
        bitmap[w] |= bit;
        return true;
    }
    // Forgets what was found (the sink stays).
    void clear()
    {
        ids.clear();
        count = 0;
        wholeTable = false;
        dedup = false;
        bitmap.clear();
    }

private:
    std::size_t count = 0;
    bool dedup = false;
    std::vector<std::uint64_t> bitmap;
};

// How a select runs.
struct dbSelectOptions {
    bool forUpdate = false;              // take the exclusive lock
    const char* parameterBase = nullptr; // added to parameter addresses (null: absolute)
    std::size_t limit = SIZE_MAX;        // the cursor's limit
};

// Runs query over table and fills result (cleared first). The query is compiled when it has no
// compiled form for table. Returns false after a compile error or an error met while evaluating
// a row (both reported through the database's error hook); result is then empty. Row access
// through a freed id throws dbException.
bool dbSelect(dbDatabase& db, dbTableDescriptor* table, dbQuery& query, dbQueryResult& result,
              const dbSelectOptions& options = {});

// Rows with at least this many rows are scanned in parallel when the database has more than one
// query thread.
void dbSetParallelScanThreshold(std::uint32_t rows);
std::uint32_t dbGetParallelScanThreshold();
