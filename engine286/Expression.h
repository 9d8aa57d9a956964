#pragma once

#include "engine286/Descriptors.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Compiled query conditions: a typed tree of dbExprNode objects built by dbCompiler for one
// table, executed by the evaluator and inspected by the index planner.

// Value types of expression nodes.
enum dbValueType {
    tpInteger = 0,
    tpBoolean = 1,
    tpReal = 2,
    tpStringValue = 3,
    tpReferenceValue = 4,
    tpArrayValue = 5,
    tpRawBinaryValue = 6,
    tpFreeVar = 7,
    tpList = 8,
    tpVoid = 9,
};

// Operation codes. Families of loads, parameters and comparisons are laid out so that a member
// is found by adding a field type code (loads) or an element type code to the family's first code.
enum dbOpcode {
    dbvmLoadBool =
        0, // 0-9: load a field through a base: bool int1 int2 int4 int8 real4 real8 string ref array
    dbvmLoadReference = 8,
    dbvmLoadArray = 9,
    dbvmInvokeBool = 10, // 10-18: call a method through a base
    dbvmLoadRawBinary = 19,
    dbvmLoadSelfBool = 20, // 20-29: load a field of the current record
    dbvmLoadSelfReference = 28,
    dbvmLoadSelfArray = 29,
    dbvmInvokeSelfBool = 30, // 30-38: call a method of the current record
    dbvmLoadSelfRawBinary = 39,
    dbvmInArrayBool = 40, // 40-48: in array, by element type
    dbvmInString = 49,
    dbvmLengthArray = 50,
    dbvmLengthString = 51,
    dbvmGetAt = 52,
    dbvmCharAt = 53,
    dbvmVarBool = 54, // 54-66: parameters, 53 + the element type code of the query element
    dbvmVarInt1 = 55,
    dbvmVarInt2 = 56,
    dbvmVarInt4 = 57,
    dbvmVarInt8 = 58,
    dbvmVarReal4 = 59,
    dbvmVarReal8 = 60,
    dbvmVarString = 61,
    dbvmVarStringPtr = 62,
    dbvmVarReference = 63,
    dbvmVarArrayOfRef = 64,
    dbvmVarArrayOfRefPtr = 65,
    dbvmVarRawData = 66,
    dbvmVarUnknown = 67,
    dbvmTrue = 68,
    dbvmFalse = 69,
    dbvmCurrent = 70,
    dbvmFirst = 71,
    dbvmLast = 72,
    dbvmNull = 73,
    dbvmIntConst = 74,
    dbvmRealConst = 75,
    dbvmStringConst = 76,
    dbvmOr = 77,
    dbvmAnd = 78,
    dbvmNot = 79,
    dbvmIsNull = 80,
    dbvmNegInt = 81,
    dbvmAddInt = 82,
    dbvmSubInt = 83,
    dbvmMulInt = 84,
    dbvmDivInt = 85,
    dbvmAndInt = 86,
    dbvmOrInt = 87,
    dbvmNotInt = 88,
    dbvmAbsInt = 89,
    dbvmPowerInt = 90,
    dbvmEqInt = 91, // 91-97: eq ne gt ge lt le between
    dbvmBetweenInt = 97,
    dbvmNegReal = 98,
    dbvmAddReal = 99,
    dbvmSubReal = 100,
    dbvmMulReal = 101,
    dbvmDivReal = 102,
    dbvmAbsReal = 103,
    dbvmPowerReal = 104,
    dbvmPowerRealInt = 105,
    dbvmEqBinary = 106, // 106-112
    dbvmBetweenBinary = 112,
    dbvmEqReal = 113, // 113-119
    dbvmBetweenReal = 119,
    dbvmEqBool = 120,
    dbvmNeBool = 121,
    dbvmEqReference = 122,
    dbvmNeReference = 123,
    dbvmEqString = 124, // 124-130
    dbvmBetweenString = 130,
    dbvmLike = 131,
    dbvmLikeEsc = 132,
    dbvmUpper = 133,
    dbvmLower = 134,
    dbvmIntToReference = 135,
    dbvmIntToReal = 136,
    dbvmRealToInt = 137,
    dbvmIntToString = 138,
    dbvmRealToString = 139,
    dbvmStringConcat = 140,
    dbvmDeref = 141,
    dbvmExists = 142,
    dbvmVariable = 143,
    dbvmList = 144,
    dbvmFuncBase = 145, // 145-168: user function of kind 0-23 (see UserFunction.h)
    dbvmVoid = 169,
    dbvmCount = 170,
};

// Offsets of the comparisons inside their families.
enum dbCompareOp { cmpEq = 0, cmpNe = 1, cmpGt = 2, cmpGe = 3, cmpLt = 4, cmpLe = 5, cmpBetween = 6 };

// The value type and operand count of each opcode, and the mirrored comparison.
int dbOpcodeValueType(int cop);
int dbOpcodeOperands(int cop);
int dbMirroredOpcode(int cop);

struct dbExprNode {
    dbExprNode(int cop, int type) : cop(std::uint8_t(cop)), type(std::uint8_t(type)) {}
    ~dbExprNode();
    dbExprNode(const dbExprNode&) = delete;
    dbExprNode& operator=(const dbExprNode&) = delete;
    // A deep copy (operands and string constant included).
    std::unique_ptr<dbExprNode> clone() const;

    std::uint8_t cop;
    std::uint8_t type;
    // Loads: the field's stored offset; array element: the element size; raw binary comparisons:
    // the compared size; exists and free variables: the variable number.
    std::uint16_t offs = 0;
    dbExprNode* operand[3] = {nullptr, nullptr, nullptr}; // owned; loads keep their base in [0]
    dbFieldDescriptor* field = nullptr;                   // loads, method calls, array elements
    dbTableDescriptor* refTable = nullptr;                // the table a reference value points into
    std::int64_t ivalue = 0;
    double fvalue = 0;
    std::string svalue;                 // string constant (without the terminating zero)
    const void* paramAddress = nullptr; // parameters: relative to the select's parameter base
    dbUDTComparator comparator = nullptr;
    void* function = nullptr; // user function calls: the application's function
    int height = 1;           // of the subtree: bounds the evaluator's recursion
};

// Renders a tree as an S-expression of opcode names, for tests and diagnostics.
std::string dbDumpExpression(const dbExprNode* node);

// An ORDER BY item: a stored field of the current record or an expression.
struct dbOrderByItem {
    dbFieldDescriptor* field = nullptr; // null for an expression item
    dbTableDescriptor* table = nullptr;
    std::unique_ptr<dbExprNode> expr;
    bool ascent = true;
};

struct dbFollowByItem {
    dbFieldDescriptor* field;
};

// What a compilation leaves in a query.
class dbCompiledQuery {
public:
    enum StartFrom {
        StartFromAny = 0,
        StartFromFirst = 1,
        StartFromLast = 2,
        StartFromRef = 3,
        StartFromArray = 4,
        StartFromArrayPtr = 5,
    };
    void destroy()
    {
        tree.reset();
        order.clear();
        follow.clear();
        table = nullptr;
        startFrom = StartFromAny;
        root = nullptr;
    }
    bool compiled() const { return tree != nullptr; }

    std::unique_ptr<dbExprNode> tree;
    std::vector<dbOrderByItem> order;
    std::vector<dbFollowByItem> follow; // in reverse text order: the traversal visits them so
    dbTableDescriptor* table = nullptr;
    int startFrom = StartFromAny;
    const void* root = nullptr; // the start variable (relative to the parameter base)
};
