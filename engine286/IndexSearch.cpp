#include "engine286/IndexSearch.h"

#include "engine286/HashIndex.h"
#include "engine286/Messages.h"
#include "engine286/StoredRow.h"
#include "engine286/TTree.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

dbPlanStatistics& dbGetPlanStatistics()
{
    static thread_local dbPlanStatistics stats;
    return stats;
}

std::size_t dbFirstWildcard(const std::string& pattern, int escape)
{
    for (std::size_t i = 0; i < pattern.size(); i++) {
        unsigned char c = (unsigned char)pattern[i];
        if (c == '%' || c == '_' || int(c) == escape)
            return i;
    }
    return std::string::npos;
}

namespace {

// A key of the field's stored type: an 8-byte slot or the address of a text or raw value.
struct Key {
    alignas(8) char slot[8] = {};
    const void* address = nullptr;
    std::string text; // string keys built here (like prefixes)
};

bool isKeySource(const dbExprNode* n)
{
    switch (n->cop) {
    case dbvmVarBool:
    case dbvmVarInt1:
    case dbvmVarInt2:
    case dbvmVarInt4:
    case dbvmVarInt8:
    case dbvmVarReal4:
    case dbvmVarReal8:
    case dbvmVarString:
    case dbvmVarStringPtr:
    case dbvmVarReference:
    case dbvmVarRawData:
    case dbvmTrue:
    case dbvmFalse:
    case dbvmIntConst:
    case dbvmRealConst:
    case dbvmStringConst:
        return true;
    default:
        return false;
    }
}

// Converts a key source to a key of the field. False when the value has no exact
// representation in the field's type: such a key would find other rows than a scan compares
// equal (a truncated integer, a rounded real), so the scan must decide.
bool makeKey(const dbExprNode* src, const dbFieldDescriptor* fd, const char* paramBase, Key& key)
{
    dbEvaluationContext ctx; // parameters and constants need no row
    ctx.parameterBase = paramBase;
    dbValue v;
    dbEvaluate(src, ctx, v);
    const int vt = src->type;
    auto putInt = [&](std::int64_t lo, std::int64_t hi, std::size_t size) {
        if (vt != tpInteger || v.ivalue < lo || v.ivalue > hi)
            return false;
        std::int64_t x = v.ivalue;
        if (size == 1) {
            std::int8_t y = std::int8_t(x);
            std::memcpy(key.slot, &y, 1);
        } else if (size == 2) {
            std::int16_t y = std::int16_t(x);
            std::memcpy(key.slot, &y, 2);
        } else if (size == 4) {
            std::int32_t y = std::int32_t(x);
            std::memcpy(key.slot, &y, 4);
        } else {
            std::memcpy(key.slot, &x, 8);
        }
        key.address = key.slot;
        return true;
    };
    switch (fd->type) {
    case tpBool:
        if (vt != tpBoolean)
            return false;
        key.slot[0] = v.ivalue != 0;
        key.address = key.slot;
        return true;
    case tpInt1:
        return putInt(INT8_MIN, INT8_MAX, 1);
    case tpInt2:
        return putInt(INT16_MIN, INT16_MAX, 2);
    case tpInt4:
        return putInt(INT32_MIN, INT32_MAX, 4);
    case tpInt8:
        return putInt(INT64_MIN, INT64_MAX, 8);
    case tpReal4: {
        if (vt != tpReal)
            return false;
        float f = float(v.fvalue);
        if (double(f) != v.fvalue)
            return false;
        std::memcpy(key.slot, &f, 4);
        key.address = key.slot;
        return true;
    }
    case tpReal8:
        if (vt != tpReal || std::isnan(v.fvalue))
            return false;
        std::memcpy(key.slot, &v.fvalue, 8);
        key.address = key.slot;
        return true;
    case tpString:
        if (vt != tpStringValue)
            return false;
        key.text.assign(v.ptr, v.length - 1);
        key.address = key.text.c_str();
        return true;
    case tpReference:
        if (vt != tpReferenceValue)
            return false;
        std::memcpy(key.slot, &v.oid, 4);
        key.address = key.slot;
        return true;
    case tpRawBinary:
        if (vt != tpRawBinaryValue)
            return false;
        key.address = v.ptr;
        return true;
    default:
        return false;
    }
}

struct Filter {
    dbDatabase* db;
    const dbExprNode* condition;
    const dbTable* tableRow;
    std::size_t fixedSize;
    const char* paramBase;
};

bool testFilter(oid_t oid, void* arg)
{
    auto* f = static_cast<Filter*>(arg);
    return dbTestCondition(*f->db, f->condition, oid, f->tableRow, f->fixedSize, f->paramBase);
}

bool addToResult(oid_t oid, void* arg)
{
    return static_cast<dbQueryResult*>(arg)->add(oid);
}

bool addToVector(oid_t oid, void* arg)
{
    static_cast<std::vector<oid_t>*>(arg)->push_back(oid);
    return true;
}

bool isSelfLoad(const dbExprNode* n)
{
    return (n->cop >= dbvmLoadSelfBool && n->cop <= dbvmLoadSelfReference) || n->cop == dbvmLoadSelfRawBinary;
}
bool isBaseLoad(const dbExprNode* n)
{
    return (n->cop >= dbvmLoadBool && n->cop <= dbvmLoadReference) || n->cop == dbvmLoadRawBinary;
}

// The comparison's kind: a dbCompareOp, 7 for like, or -1 when no index can answer it.
int comparisonKind(int cop)
{
    for (int family : {int(dbvmEqInt), int(dbvmEqBinary), int(dbvmEqReal), int(dbvmEqString)}) {
        if (cop >= family && cop <= family + cmpBetween)
            return cop - family;
    }
    if (cop == dbvmEqBool || cop == dbvmEqReference)
        return cmpEq;
    if (cop == dbvmLike || cop == dbvmLikeEsc)
        return 7;
    return -1;
}

// Searches the index of fd (a field of its own table) for the rows that comparison accepts;
// found rows pass filter (may be null) and go to add. Returns false when no index applies.
bool searchIndex(dbDatabase& db, const dbExprNode* cmp, dbFieldDescriptor* fd, const char* paramBase,
                 Filter* filter, bool (*add)(oid_t, void*), void* addArg,
                 const dbExprNode* likeFilterIfNeeded, Filter* likeFilter)
{
    const int kind = comparisonKind(cmp->cop);
    if (kind < 0 || kind == cmpNe)
        return false;
    dbSearchContext sc;
    sc.type = fd->type;
    sc.sizeofType = int(fd->dbsSize);
    sc.comparator = fd->comparator;
    sc.offs = fd->dbsOffs;
    sc.condition = filter && filter->condition ? testFilter : nullptr;
    sc.conditionArg = filter;
    sc.add = add;
    sc.addArg = addArg;
    dbPlanStatistics& stats = dbGetPlanStatistics();
    auto hashSearch = [&](const Key& key) {
        sc.firstKey = key.address;
        stats.hashSearches++;
        findInHashTable(db, fd->hashTable, sc);
        return true;
    };
    auto treeSearch = [&](const void* low, int lowIncl, const void* high, int highIncl) {
        if (!fd->tTree)
            return false;
        sc.firstKey = low;
        sc.firstKeyInclusion = lowIncl;
        sc.lastKey = high;
        sc.lastKeyInclusion = highIncl;
        stats.treeSearches++;
        findInTTree(db, fd->tTree, sc);
        return true;
    };

    if (kind == 7) {
        const dbExprNode* patternNode = cmp->operand[1];
        if (!isKeySource(patternNode) || fd->type != tpString)
            return false;
        Key pattern;
        if (!makeKey(patternNode, fd, paramBase, pattern))
            return false;
        int escape = -1;
        if (cmp->cop == dbvmLikeEsc && !cmp->operand[2]->svalue.empty())
            escape = (unsigned char)cmp->operand[2]->svalue[0];
        const std::string& p = pattern.text;
        std::size_t w = dbFirstWildcard(p, escape);
        if (w == std::string::npos) {
            // No wildcard: an exact search, answered by a hash index as well as by a T-tree.
            if (fd->hashTable)
                return hashSearch(pattern);
            return treeSearch(pattern.address, 1, pattern.address, 1);
        }
        if (!fd->tTree)
            return false;
        if (w == 0) {
            if (p == "%") {
                sc.firstKey = sc.lastKey = nullptr;
                stats.treeSearches++;
                findInTTree(db, fd->tTree, sc);
                return true;
            }
            return false;
        }
        Key low, high;
        low.text = p.substr(0, w);
        low.address = low.text.c_str();
        // The first text above every text with this prefix: trailing 255 bytes are dropped and the
        // last remaining byte raised; a prefix of 255 bytes only has no upper bound.
        high.text = low.text;
        while (!high.text.empty() && (unsigned char)high.text.back() == 255)
            high.text.pop_back();
        const void* highKey = nullptr;
        if (!high.text.empty()) {
            high.text.back() = char((unsigned char)high.text.back() + 1);
            highKey = high.text.c_str();
        }
        const bool exactPrefix = w + 1 == p.size() && p[w] == '%' && escape != '%';
        if (!exactPrefix) {
            // The like itself must still hold on each candidate.
            sc.condition = testFilter;
            sc.conditionArg = likeFilter;
            likeFilter->condition = likeFilterIfNeeded;
        }
        return treeSearch(low.address, 1, highKey, 0);
    }

    for (int i = 1; i < dbOpcodeOperands(cmp->cop); i++) {
        if (!isKeySource(cmp->operand[i]))
            return false;
    }
    Key k1, k2;
    if (!makeKey(cmp->operand[1], fd, paramBase, k1))
        return false;
    if (kind == cmpBetween && !makeKey(cmp->operand[2], fd, paramBase, k2))
        return false;
    switch (kind) {
    case cmpEq:
        if (fd->hashTable)
            return hashSearch(k1);
        return treeSearch(k1.address, 1, k1.address, 1);
    case cmpGt:
        return treeSearch(k1.address, 0, nullptr, 1);
    case cmpGe:
        return treeSearch(k1.address, 1, nullptr, 1);
    case cmpLt:
        return treeSearch(nullptr, 1, k1.address, 0);
    case cmpLe:
        return treeSearch(nullptr, 1, k1.address, 1);
    case cmpBetween: {
        bool equal;
        if (fd->type == tpString)
            equal = k1.text == k2.text;
        else if (fd->type == tpRawBinary)
            equal = std::memcmp(k1.address, k2.address, fd->dbsSize) == 0;
        else
            equal = std::memcmp(k1.slot, k2.slot, 8) == 0;
        if (equal && fd->hashTable)
            return hashSearch(k1);
        return treeSearch(k1.address, 1, k2.address, 1);
    }
    default:
        return false;
    }
}

bool hasIndex(const dbFieldDescriptor* fd)
{
    return fd && (fd->hashTable != 0 || fd->tTree != 0);
}

} // namespace

bool dbFindIndexForCondition(dbPlanContext& pc, const dbExprNode* cmp, const dbExprNode* andNode,
                             dbFieldDescriptor** indexed)
{
    if (dbOpcodeOperands(cmp->cop) < 2 || comparisonKind(cmp->cop) < 0)
        return false;
    const dbExprNode* load = cmp->operand[0];
    dbFieldDescriptor* fd = load->field;
    if (!hasIndex(fd) || (fd->attr & dbFieldDescriptor::ComponentOfArray))
        return false;
    Filter filter{&pc.db, andNode ? andNode->operand[1] : nullptr, pc.tableRow, pc.table->fixedSize,
                  pc.parameterBase};
    Filter likeFilter = filter;
    // When a like needs testing, with an and-node the whole and-node is the filter.
    const dbExprNode* likeCondition = andNode ? andNode : cmp;

    if (isSelfLoad(load)) {
        if (!searchIndex(pc.db, cmp, fd, pc.parameterBase, &filter, addToResult, &pc.result, likeCondition,
                         &likeFilter))
            return false;
        if (indexed)
            *indexed = fd;
        return true;
    }
    // A field of a record reached through one reference of the current record.
    if (!isBaseLoad(load) || load->operand[0]->cop != dbvmDeref)
        return false;
    const dbExprNode* refLoad = load->operand[0]->operand[0];
    if (refLoad->cop != dbvmLoadSelfReference || !refLoad->field)
        return false;
    dbFieldDescriptor* refField = refLoad->field;
    dbTableDescriptor* other = fd->defTable;
    if (!other || other->tableId == 0 || cmp->cop == dbvmLike || cmp->cop == dbvmLikeEsc)
        return false;
    const bool viaInverse = refField->inverseRef != nullptr;
    const bool viaRefIndex = !viaInverse && hasIndex(refField);
    if (!viaInverse && !viaRefIndex)
        return false;
    std::vector<oid_t> found;
    if (!searchIndex(pc.db, cmp, fd, pc.parameterBase, nullptr, addToVector, &found, nullptr, nullptr))
        return false;
    if (indexed)
        *indexed = viaInverse ? fd : refField;
    if (viaInverse) {
        // Each row found names its referrers in the inverse field.
        pc.result.enableDuplicateElimination();
        dbFieldDescriptor* inv = refField->inverseRef;
        for (oid_t oid : found) {
            dbEvaluationContext ctx;
            ctx.db = &pc.db;
            ctx.setRow(oid, other->fixedSize);
            std::vector<oid_t> referrers;
            dbStoredRow{ctx.row, std::size_t(ctx.rowEnd - ctx.row)}.references(inv, referrers);
            for (oid_t r : referrers) {
                if (r == 0 || pc.result.isMarked(r))
                    continue;
                if (!filter.condition || testFilter(r, &filter)) {
                    if (!pc.result.add(r))
                        return true;
                }
            }
        }
        return true;
    }
    // The reference field's own index holds the referrers of each row found.
    for (oid_t oid : found) {
        dbSearchContext sc;
        sc.type = tpReference;
        sc.sizeofType = 4;
        sc.offs = refField->dbsOffs;
        sc.comparator = refField->comparator;
        sc.firstKey = sc.lastKey = &oid;
        sc.condition = filter.condition ? testFilter : nullptr;
        sc.conditionArg = &filter;
        sc.add = addToResult;
        sc.addArg = &pc.result;
        if (refField->hashTable) {
            dbGetPlanStatistics().hashSearches++;
            findInHashTable(pc.db, refField->hashTable, sc);
        } else {
            dbGetPlanStatistics().treeSearches++;
            if (!findInTTree(pc.db, refField->tTree, sc))
                return true;
        }
        if (pc.result.size() >= pc.result.limit)
            return true;
    }
    return true;
}
