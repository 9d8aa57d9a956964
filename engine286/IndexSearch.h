#pragma once

#include "engine286/Evaluator.h"
#include "engine286/IndexSupport.h"
#include "engine286/Query.h"

// Answers one comparison of a condition from a hash or T-tree index instead of a scan.

struct dbPlanContext {
    dbDatabase& db;
    dbTableDescriptor* table; // the table selected from
    const dbTable* tableRow;
    const char* parameterBase;
    dbQueryResult& result;
};

// Tries to answer comparison from an index of the field on its left; the rows found are added
// to the result when they satisfy the and-node's right operand (when andNode is given). Returns
// whether an index answered it; *field receives the field whose index did.
bool dbFindIndexForCondition(dbPlanContext& pc, const dbExprNode* comparison, const dbExprNode* andNode,
                             dbFieldDescriptor** field = nullptr);

// Position of the first "%", "_" or escape character in pattern, or npos.
std::size_t dbFirstWildcard(const std::string& pattern, int escape);

// Counts the index searches made (hash and T-tree), for tests that check the plan.
struct dbPlanStatistics {
    int hashSearches = 0;
    int treeSearches = 0;
    int orderedWalks = 0;
    int sorts = 0;
    int parallelScans = 0;
};
dbPlanStatistics& dbGetPlanStatistics();
