#pragma once

#include "engine286/Expression.h"
#include "engine286/Records.h"

#include <cstdint>

// Executes compiled expression trees against stored rows, in place in the mapped file.

// An error met while evaluating a row (division by zero, an index out of range, a null
// reference, or a stored row whose contents do not fit its table). The select that evaluated
// the row reports it through the database's error hook and fails; the program goes on.
struct dbEvaluationError {
    int errorClass;
    const char* message;
    int arg;
};

// The value of a node. Left uninitialised on purpose (the evaluator makes several per node on
// the hot path of every scan): a node sets the members that its value type uses.
struct dbValue {
    std::int64_t ivalue;    // integer, boolean (0 or 1), free variable
    double fvalue;          // real
    const char* ptr;        // string text, array elements, record or element address, raw bytes
    const char* end;        // end of the row that holds ptr (addresses inside rows)
    std::uint32_t length;   // string: bytes with the terminating zero; array: element count
    std::uint32_t elemSize; // array: bytes of one element
    oid_t oid;              // reference
};

// The state of one evaluation. Lives on the stack of the caller for one row.
struct dbEvaluationContext {
    dbDatabase* db = nullptr;
    const char* row = nullptr; // the current row
    const char* rowEnd = nullptr;
    oid_t oid = 0;
    const dbTable* tableRow = nullptr;   // for "first" and "last"
    const char* parameterBase = nullptr; // added to parameter addresses (null: absolute)
    dbEvaluatorScratch scratch;          // temporary strings of this evaluation
    struct Variable {
        std::uint32_t index;
        std::uint32_t accesses; // index accesses by the variable in the running iteration
    } variables[3] = {};

    // Sets the current row; throws dbException when oid names no live row, and
    // dbEvaluationError when the row is shorter than the table's fixed part.
    void setRow(oid_t rowOid, std::size_t fixedSize);
};

void dbEvaluate(const dbExprNode* node, dbEvaluationContext& ctx, dbValue& result);

// Whether the row oid satisfies condition (a void condition is true).
bool dbTestCondition(dbDatabase& db, const dbExprNode* condition, oid_t oid, const dbTable* tableRow,
                     std::size_t fixedSize, const char* parameterBase);

// The address of a parameter's variable.
inline const char* dbParameterAddress(const dbExprNode* node, const char* base)
{
    return base ? base + reinterpret_cast<std::uintptr_t>(node->paramAddress)
                : static_cast<const char*>(node->paramAddress);
}

// Pattern matching of like: "%" any run, "_" any one byte, escape (or -1 for none) makes the next
// pattern byte literal. Bytes, not characters: a multi-byte character is matched by as many "_".
bool dbMatchLike(const char* text, std::size_t textLength, const char* pattern, std::size_t patternLength,
                 int escape);
// Whether needle occurs in haystack.
bool dbContains(const char* haystack, std::size_t haystackLength, const char* needle,
                std::size_t needleLength);
