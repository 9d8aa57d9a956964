#include "engine286/Compiler.h"

#include "engine286/Query.h"
#include "engine286/UserFunction.h"

#include <cstdio>
#include <cstring>

// Every message of the compiler, spelt as the engine has always reported them (including their
// misspellings and trailing newlines: callers match them verbatim).
namespace msg {
const char* const notBoolean = "Conditional expression should have boolean type\n";
const char* const badOr = "Bad operands for OR operator";
const char* const badAnd = "Bad operands for AND operator";
const char* const relIntger = "operands of relation operator should be of intger, real or string type";
const char* const relInteger = "operands of relation operator should be of integer, real or string type";
const char* const refEquality = "References can be checked only for equality";
const char* const boolEquality = "Boolean variables can be checked only for equality";
const char* const rawField = "Operations with raw binary types should include at least one record field";
const char* const escapeExpected = "String literal espected after ESCAPE";
const char* const likeTypes = "operands of LIKE operator should be of string type";
const char* const andExpected = "AND expected";
const char* const betweenOperand = "operand of BETWEEN operator should be of integer, real or string type";
const char* const betweenOperands = "operands of BETWEEN operator should be of integer, real or string type";
const char* const inLeftString = "Left operand of IN expression hasn't string type";
const char* const inArrayType = "Type of selective expression of IN operator doesn't match type of the array";
const char* const inListItem = "Expression %d in right part of IN operator have incompatible type";
const char* const listExpected = "List of expressions or array expected";
const char* const predicateExpected = "LIKE, BETWEEN or IN expected";
const char* const nullExpected = "NULL expected";
const char* const notNullExpected = "[NOT] NULL expected";
const char* const isNullRefs = "IS [NOT] NULL predicate can be applied only to references";
const char* const minusStrings = "Operation - is not defined for strings";
const char* const arithLeft = "operands of arithmetic operators should be of integer or real type";
const char* const arithRight = "operands of arithmetic operator should be of integer or real type";
const char* const arith = "operands of arithmentic operator should be of integer or real type";
const char* const dotExpected = "'.' expected";
const char* const fieldNotFound = "Field not found";
const char* const rparExpected = "')' expected";
const char* const unaryMinus = "Unary minus can be applied only to integer or real expressions";
const char* const unaryPlus = "Using of unary plus operator has no sence";
const char* const notOperand = "NOT operator can be applied only to integer or boolean expressions";
const char* const freeVarExpected = "Free variable name expected";
const char* const colExpected = "':' expected";
const char* const existsBoolean = "Expresion in EXISTS clause should be of boolean type";
const char* const tooManyExists = "Too many nested EXISTS clauses\n";
const char* const lengthArg = "LENGTH function is defined only for arrays and strings";
const char* const lowerArg = "LOWER function can be applied only to string argument";
const char* const upperArg = "UPPER function can be applied only to string argument";
const char* const absArg = "ABS function can be applied only to integer or real expression";
const char* const integerArg = "INTEGER function can be applied only to expression of real type";
const char* const realArg = "REAL function can be applied only to expression of integer type";
const char* const stringArg = "STRING function can be applied only to integer or real expression";
const char* const operandExpected = "operand expected";
const char* const identExpected = "identifier expected";
const char* const dotLeft = "Left operand of '.' should be structure or reference";
const char* const rbrExpected = "']' expected";
const char* const indexArrays = "Index can be applied only to arrays";
const char* const indexInteger = "Index should have integer type";
const char* const fromExpected = "FROM expected after START";
const char* const refVarType = "Incompatiable type of reference variable";
const char* const arrayVarType = "Incompatiable type of array of reference variable";
const char* const refVarExpected = "Reference or array of reference variable expected";
const char* const startExpected = "FIRST, LAST or reference varaible expected";
const char* const followBy = "BY expected after FOLLOW";
const char* const fieldNameExpected = "Field name expected";
const char* const followType = "Follow field should be of compatibale reference or array of reference type";
const char* const orderBy = "BY expected after ORDER";
const char* const unbalanced = "Unbalanced parentheses ";
const char* const orderScalar = "Expressions in ORDER BY part should have scalar type";
// Added: limits that keep hostile texts from exhausting the stack or memory, and parameters the
// evaluator could not read.
const char* const tooComplex = "Expression is too complex";
const char* const unsupportedParam = "Parameter of unsupported type";
const char* const tooFewParamsNoList = "Too few paramters for user defined function";
const char* const tooManyParams = "Too many parameters for user defined function";
const char* const tooFewParams = "Too few parameters for user defined function";
const char* const functionParams = "User function should receive parameters of boolean, integer, real, "
                                   "string, reference or user defined type";
const char* const operatorParam = "User function should receive parameter of boolean, integer, real, string, "
                                  "reference or user defined type";
const char* const incompatibleArg = "Incompatible function argument";
const char* const operatorArity = "Only function with two arguments can be used as operator";
} // namespace msg

namespace {

// Value type of each opcode.
struct OpcodeTables {
    std::uint8_t type[dbvmCount];
    std::uint8_t operands[dbvmCount];
    std::uint8_t mirror[dbvmCount];
    OpcodeTables()
    {
        static const std::uint8_t loadType[10] = {tpBoolean,        tpInteger,   tpInteger, tpInteger,
                                                  tpInteger,        tpReal,      tpReal,    tpStringValue,
                                                  tpReferenceValue, tpArrayValue};
        for (int i = 0; i < dbvmCount; i++) {
            type[i] = tpBoolean;
            operands[i] = 0;
            mirror[i] = std::uint8_t(i);
        }
        for (int i = 0; i < 10; i++) {
            type[dbvmLoadBool + i] = type[dbvmLoadSelfBool + i] = loadType[i];
            operands[dbvmLoadBool + i] = 1;
        }
        for (int i = 0; i < 9; i++) {
            type[dbvmInvokeBool + i] = type[dbvmInvokeSelfBool + i] = loadType[i];
            operands[dbvmInvokeBool + i] = 1;
        }
        type[dbvmLoadRawBinary] = type[dbvmLoadSelfRawBinary] = tpRawBinaryValue;
        operands[dbvmLoadRawBinary] = 1;
        for (int i = dbvmInArrayBool; i <= dbvmInString; i++)
            operands[i] = 2;
        type[dbvmLengthArray] = type[dbvmLengthString] = tpInteger;
        operands[dbvmLengthArray] = operands[dbvmLengthString] = 1;
        type[dbvmGetAt] = type[dbvmCharAt] = tpInteger;
        operands[dbvmGetAt] = operands[dbvmCharAt] = 2;
        static const std::uint8_t varType[14] = {
            tpBoolean,    tpInteger,    tpInteger,        tpInteger,     tpInteger,
            tpReal,       tpReal,       tpStringValue,    tpStringValue, tpReferenceValue,
            tpArrayValue, tpArrayValue, tpRawBinaryValue, tpStringValue};
        for (int i = 0; i < 14; i++)
            type[dbvmVarBool + i] = varType[i];
        for (int i = dbvmCurrent; i <= dbvmNull; i++)
            type[i] = tpReferenceValue;
        type[dbvmIntConst] = tpInteger;
        type[dbvmRealConst] = tpReal;
        type[dbvmStringConst] = tpStringValue;
        operands[dbvmOr] = operands[dbvmAnd] = 2;
        operands[dbvmNot] = operands[dbvmIsNull] = 1;
        static const std::uint8_t intOps[10] = {1, 2, 2, 2, 2, 2, 2, 1, 1, 2};
        for (int i = 0; i < 10; i++) {
            type[dbvmNegInt + i] = tpInteger;
            operands[dbvmNegInt + i] = intOps[i];
        }
        static const std::uint8_t realOps[8] = {1, 2, 2, 2, 2, 1, 2, 2};
        for (int i = 0; i < 8; i++) {
            type[dbvmNegReal + i] = tpReal;
            operands[dbvmNegReal + i] = realOps[i];
        }
        for (int family : {int(dbvmEqInt), int(dbvmEqBinary), int(dbvmEqReal), int(dbvmEqString)}) {
            for (int i = 0; i < 6; i++)
                operands[family + i] = 2;
            operands[family + cmpBetween] = 3;
            mirror[family + cmpGt] = std::uint8_t(family + cmpLt);
            mirror[family + cmpLt] = std::uint8_t(family + cmpGt);
            mirror[family + cmpGe] = std::uint8_t(family + cmpLe);
            mirror[family + cmpLe] = std::uint8_t(family + cmpGe);
        }
        operands[dbvmEqBool] = operands[dbvmNeBool] = operands[dbvmEqReference] = operands[dbvmNeReference] =
            2;
        operands[dbvmLike] = 2;
        operands[dbvmLikeEsc] = 3;
        type[dbvmUpper] = type[dbvmLower] = tpStringValue;
        operands[dbvmUpper] = operands[dbvmLower] = 1;
        type[dbvmIntToReference] = tpReferenceValue;
        type[dbvmIntToReal] = tpReal;
        type[dbvmRealToInt] = tpInteger;
        type[dbvmIntToString] = type[dbvmRealToString] = tpStringValue;
        for (int i = dbvmIntToReference; i <= dbvmRealToString; i++)
            operands[i] = 1;
        type[dbvmStringConcat] = tpStringValue;
        operands[dbvmStringConcat] = 2;
        type[dbvmDeref] = tpReferenceValue;
        operands[dbvmDeref] = 1;
        operands[dbvmExists] = 1;
        type[dbvmVariable] = tpFreeVar;
        type[dbvmList] = tpList;
        operands[dbvmList] = 2;
        for (int k = 0; k < 24; k++) {
            static const std::uint8_t results[4] = {tpBoolean, tpInteger, tpReal, tpStringValue};
            type[dbvmFuncBase + k] = k < 12 ? results[k / 3] : results[k % 4];
            operands[dbvmFuncBase + k] = k < 16 ? 1 : (k < 20 ? 2 : 3);
        }
        type[dbvmVoid] = tpVoid;
    }
};

const OpcodeTables& tables()
{
    static const OpcodeTables t;
    return t;
}

bool isParameter(const dbExprNode* n)
{
    return n->cop >= dbvmVarBool && n->cop <= dbvmVarUnknown;
}
bool isSelfRawLoad(const dbExprNode* n)
{
    return n->cop == dbvmLoadSelfRawBinary || n->cop == dbvmLoadRawBinary;
}
bool isIntOrReal(int t)
{
    return t == tpInteger || t == tpReal;
}

} // namespace

int dbOpcodeValueType(int cop)
{
    return cop >= 0 && cop < dbvmCount ? int(tables().type[cop]) : int(tpVoid);
}
int dbOpcodeOperands(int cop)
{
    return cop >= 0 && cop < dbvmCount ? tables().operands[cop] : 0;
}
int dbMirroredOpcode(int cop)
{
    return cop >= 0 && cop < dbvmCount ? tables().mirror[cop] : cop;
}

dbExprNode::~dbExprNode()
{
    for (dbExprNode* op : operand)
        delete op;
}

std::unique_ptr<dbExprNode> dbExprNode::clone() const
{
    auto n = std::make_unique<dbExprNode>(cop, type);
    n->offs = offs;
    n->field = field;
    n->refTable = refTable;
    n->ivalue = ivalue;
    n->fvalue = fvalue;
    n->svalue = svalue;
    n->paramAddress = paramAddress;
    n->comparator = comparator;
    n->function = function;
    n->height = height;
    for (int i = 0; i < 3; i++)
        n->operand[i] = operand[i] ? operand[i]->clone().release() : nullptr;
    return n;
}

// ---- Compiler -------------------------------------------------------------------------------

namespace {
// A nesting level, counted on the way in and released on every way out.
struct NestingGuard {
    int& level;
    explicit NestingGuard(int& l) : level(l) { ++level; }
    ~NestingGuard() { --level; }
};
} // namespace

int dbCompiler::get()
{
    lastToken = lex.get();
    return lastToken;
}

void dbCompiler::error(const char* message, int position)
{
    if (position < 0)
        position = lex.currPos > 0 ? lex.currPos - 1 : 0;
    if (position < lex.firstPos)
        position = lex.firstPos;
    if (position + lex.lineAdjustment >= 0)
        position += lex.lineAdjustment;
    throw dbQueryError{message, position};
}

dbCompiler::Node dbCompiler::make(int cop, Node a, Node b, Node c)
{
    if (++nodes > maxNodes)
        error(msg::tooComplex);
    auto n = std::make_unique<dbExprNode>(cop, dbOpcodeValueType(cop));
    int h = 0;
    Node* ops[3] = {&a, &b, &c};
    for (int i = 0; i < 3; i++) {
        if (*ops[i]) {
            if ((*ops[i])->height > h)
                h = (*ops[i])->height;
            n->operand[i] = ops[i]->release();
        }
    }
    n->height = h + 1;
    if (n->height > maxHeight)
        error(msg::tooComplex);
    return n;
}

dbCompiler::Node dbCompiler::makeInt(std::int64_t v)
{
    Node n = make(dbvmIntConst);
    n->ivalue = v;
    return n;
}

dbCompiler::Node dbCompiler::makeReal(double v)
{
    Node n = make(dbvmRealConst);
    n->fvalue = v;
    return n;
}

// Integer operands of real operations: a constant becomes a real constant, anything else gets
// a conversion node.
dbCompiler::Node dbCompiler::toReal(Node n)
{
    if (n->cop == dbvmIntConst) {
        n->cop = dbvmRealConst;
        n->type = tpReal;
        n->fvalue = double(n->ivalue);
        return n;
    }
    return make(dbvmIntToReal, std::move(n));
}

bool dbCompiler::compile(dbDatabase& db, dbTableDescriptor* tbl, dbQuery& query)
{
    query.destroy();
    table = tbl;
    nesting = 0;
    nodes = 0;
    bindings.clear();
    pendingStructure = nullptr;
    pendingBase.reset();
    lex.reset(query.elements(), query.positionOffset);
    lastMessage = nullptr;
    dbCompiledQuery result;
    try {
        Node tree = disjunction();
        if (tree->type != tpBoolean && tree->type != tpVoid) {
            lastMessage = msg::notBoolean;
            lastPosition = 0;
            db.reportError(QueryError, msg::notBoolean, 0);
            return false;
        }
        result.tree = std::move(tree);
        int tkn = get();
        if (tkn == tkn_start) {
            startFrom(result);
            tkn = get();
        }
        if (tkn == tkn_order)
            orderBy(result);
        // Tokens after the clauses are ignored.
    } catch (const dbQueryError& e) {
        lastMessage = e.message;
        lastPosition = e.position;
        db.reportError(QueryError, e.message, lastPosition);
        return false;
    }
    query.tree = std::move(result.tree);
    query.order = std::move(result.order);
    query.follow = std::move(result.follow);
    query.startFrom = result.startFrom;
    query.root = result.root;
    query.table = tbl;
    return true;
}

dbCompiler::Node dbCompiler::disjunction()
{
    NestingGuard guard(nesting);
    if (nesting > maxNesting)
        error(msg::tooComplex);
    // or is right-nested: collect the operands, then fold from the right. A loop, not recursion,
    // so that long chains do not deepen the parser's stack.
    std::vector<Node> items;
    std::vector<int> positions;
    for (;;) {
        positions.push_back(pos());
        items.push_back(conjunction());
        if (get() != tkn_or) {
            unget(lastToken);
            break;
        }
    }
    Node right = std::move(items.back());
    for (std::size_t i = items.size() - 1; i-- > 0;) {
        Node left = std::move(items[i]);
        if (left->type == tpBoolean && right->type == tpBoolean)
            right = make(dbvmOr, std::move(left), std::move(right));
        else if (left->type == tpInteger && right->type == tpInteger)
            right = make(dbvmOrInt, std::move(left), std::move(right));
        else
            error(msg::badOr, positions[i + 1]);
    }
    return right;
}

dbCompiler::Node dbCompiler::conjunction()
{
    std::vector<Node> items;
    std::vector<int> positions;
    for (;;) {
        positions.push_back(pos());
        items.push_back(comparison());
        if (get() != tkn_and) {
            unget(lastToken);
            break;
        }
    }
    Node right = std::move(items.back());
    for (std::size_t i = items.size() - 1; i-- > 0;) {
        Node left = std::move(items[i]);
        if (left->type == tpBoolean && right->type == tpBoolean)
            right = make(dbvmAnd, std::move(left), std::move(right));
        else if (left->type == tpInteger && right->type == tpInteger)
            right = make(dbvmAndInt, std::move(left), std::move(right));
        else
            error(msg::badAnd, positions[i + 1]);
    }
    return right;
}

// A relational comparison of left and right; op is a dbCompareOp (eq to le).
dbCompiler::Node dbCompiler::compare(Node left, Node right, int op, int leftPos, int rightPos)
{
    Node result;
    int lt = left->type, rt = right->type;
    if (lt == tpReal || rt == tpReal) {
        if (lt == tpInteger)
            left = toReal(std::move(left));
        else if (lt != tpReal)
            error(msg::relIntger, leftPos);
        if (rt == tpInteger)
            right = toReal(std::move(right));
        else if (rt != tpReal)
            error(msg::relIntger, rightPos);
        result = make(dbvmEqReal + op, std::move(left), std::move(right));
    } else if (lt == tpInteger && rt == tpInteger) {
        result = make(dbvmEqInt + op, std::move(left), std::move(right));
    } else if (lt == tpStringValue && rt == tpStringValue) {
        result = make(dbvmEqString + op, std::move(left), std::move(right));
    } else if ((lt == tpReferenceValue || lt == tpInteger) && (rt == tpReferenceValue || rt == tpInteger)) {
        if (op != cmpEq && op != cmpNe)
            error(msg::refEquality, rightPos);
        if (lt == tpInteger)
            left = make(dbvmIntToReference, std::move(left));
        if (rt == tpInteger)
            right = make(dbvmIntToReference, std::move(right));
        result = make(dbvmEqReference + op, std::move(left), std::move(right));
    } else if (lt == tpBoolean && rt == tpBoolean) {
        if (op != cmpEq && op != cmpNe)
            error(msg::boolEquality, rightPos);
        result = make(dbvmEqBool + op, std::move(left), std::move(right));
    } else if (lt == tpRawBinaryValue && rt == tpRawBinaryValue) {
        const dbExprNode* fieldSide =
            isSelfRawLoad(left.get()) ? left.get() : (isSelfRawLoad(right.get()) ? right.get() : nullptr);
        if (!fieldSide)
            error(msg::rawField, leftPos);
        dbUDTComparator cmp = fieldSide->field->comparator;
        std::uint16_t size = std::uint16_t(fieldSide->field->dbsSize);
        result = make(dbvmEqBinary + op, std::move(left), std::move(right));
        result->comparator = cmp;
        result->offs = size;
    } else {
        error(msg::relInteger, rightPos);
    }
    if (isParameter(result->operand[0])) {
        std::swap(result->operand[0], result->operand[1]);
        result->cop = std::uint8_t(dbMirroredOpcode(result->cop));
    }
    return result;
}

dbCompiler::Node dbCompiler::comparison()
{
    int leftPos = pos();
    Node left = addition();
    int tkn = get();
    int op = -1;
    switch (tkn) {
    case tkn_eq:
        op = cmpEq;
        break;
    case tkn_ne:
        op = cmpNe;
        break;
    case tkn_gt:
        op = cmpGt;
        break;
    case tkn_ge:
        op = cmpGe;
        break;
    case tkn_lt:
        op = cmpLt;
        break;
    case tkn_le:
        op = cmpLe;
        break;
    default:
        break;
    }
    if (op >= 0) {
        int rightPos = pos();
        Node right = addition();
        return compare(std::move(left), std::move(right), op, leftPos, rightPos);
    }
    bool negate = false;
    if (tkn == tkn_not) {
        negate = true;
        tkn = get();
        if (tkn != tkn_like && tkn != tkn_between && tkn != tkn_in)
            error(msg::predicateExpected);
    }
    Node result;
    if (tkn == tkn_like) {
        int rightPos = pos();
        Node right = addition();
        if (left->type != tpStringValue || right->type != tpStringValue)
            error(msg::likeTypes, left->type != tpStringValue ? leftPos : rightPos);
        if (get() == tkn_escape) {
            if (get() != tkn_sconst)
                error(msg::escapeExpected);
            Node esc = make(dbvmStringConst);
            esc->svalue = lex.svalue;
            result = make(dbvmLikeEsc, std::move(left), std::move(right), std::move(esc));
        } else {
            unget(lastToken);
            result = make(dbvmLike, std::move(left), std::move(right));
        }
    } else if (tkn == tkn_between) {
        int lowPos = pos();
        Node low = addition();
        if (get() != tkn_and)
            error(msg::andExpected);
        int highPos = pos();
        Node high = addition();
        Node* ops[3] = {&left, &low, &high};
        int positions[3] = {leftPos, lowPos, highPos};
        if (left->type == tpReal || low->type == tpReal || high->type == tpReal) {
            for (int i = 0; i < 3; i++) {
                if ((*ops[i])->type == tpInteger)
                    *ops[i] = toReal(std::move(*ops[i]));
                else if ((*ops[i])->type != tpReal)
                    error(msg::betweenOperand, positions[i]);
            }
            result = make(dbvmBetweenReal, std::move(left), std::move(low), std::move(high));
        } else if (left->type == tpInteger && low->type == tpInteger && high->type == tpInteger) {
            result = make(dbvmBetweenInt, std::move(left), std::move(low), std::move(high));
        } else if (left->type == tpStringValue && low->type == tpStringValue && high->type == tpStringValue) {
            result = make(dbvmBetweenString, std::move(left), std::move(low), std::move(high));
        } else if (left->type == tpRawBinaryValue && low->type == tpRawBinaryValue &&
                   high->type == tpRawBinaryValue) {
            if (!isSelfRawLoad(left.get()))
                error(msg::rawField, leftPos);
            dbUDTComparator cmp = left->field->comparator;
            std::uint16_t size = std::uint16_t(left->field->dbsSize);
            result = make(dbvmBetweenBinary, std::move(left), std::move(low), std::move(high));
            result->comparator = cmp;
            result->offs = size;
        } else {
            error(msg::betweenOperands, leftPos);
        }
    } else if (tkn == tkn_in) {
        int rightPos = pos();
        Node right = addition();
        if (right->type == tpStringValue) {
            if (left->type != tpStringValue)
                error(msg::inLeftString, leftPos);
            result = make(dbvmInString, std::move(left), std::move(right));
        } else if (right->type == tpArrayValue) {
            int elemType;
            if (right->field && right->field->components)
                elemType = right->field->components->type;
            else
                elemType = tpReference; // an array-of-references parameter
            bool ok = false;
            switch (elemType) {
            case tpBool:
                ok = left->type == tpBoolean;
                break;
            case tpInt1:
            case tpInt2:
            case tpInt4:
            case tpInt8:
                ok = left->type == tpInteger;
                break;
            case tpReal4:
            case tpReal8:
                ok = left->type == tpReal;
                break;
            case tpString:
                ok = left->type == tpStringValue;
                break;
            case tpReference:
                ok = left->type == tpReferenceValue || left->type == tpInteger;
                if (ok && left->type == tpInteger)
                    left = make(dbvmIntToReference, std::move(left));
                break;
            default:
                break;
            }
            if (!ok)
                error(msg::inArrayType, leftPos);
            result = make(dbvmInArrayBool + elemType, std::move(left), std::move(right));
        } else if (right->type == tpList) {
            // Each element compared with its own copy of the left operand, joined by or in list
            // order; long lists become a balanced tree so that evaluation stays shallow.
            std::vector<Node> items;
            takeItems(std::move(right), items);
            std::vector<Node> cmps;
            for (std::size_t i = 0; i < items.size(); i++) {
                Node l = left->clone();
                nodes += 1;
                int et = items[i]->type, lt = l->type;
                bool fits = (isIntOrReal(lt) && isIntOrReal(et)) ||
                            (lt == tpStringValue && et == tpStringValue) ||
                            ((lt == tpReferenceValue || lt == tpInteger) &&
                             (et == tpReferenceValue || et == tpInteger)) ||
                            (lt == tpBoolean && et == tpBoolean) ||
                            (lt == tpRawBinaryValue && et == tpRawBinaryValue &&
                             (isSelfRawLoad(l.get()) || isSelfRawLoad(items[i].get())));
                if (!fits) {
                    char text[120];
                    std::snprintf(text, sizeof text, msg::inListItem, int(i + 1));
                    // The message must outlive this frame: keep it with the lexer's names.
                    static thread_local std::string kept;
                    kept = text;
                    error(kept.c_str(), rightPos);
                }
                cmps.push_back(compare(std::move(l), std::move(items[i]), cmpEq, leftPos, rightPos));
            }
            result = buildList(cmps, 0, cmps.size());
        } else {
            error(msg::listExpected, rightPos);
        }
    } else if (tkn == tkn_is) {
        tkn = get();
        bool isNot = false;
        if (tkn == tkn_not) {
            isNot = true;
            if (get() != tkn_null)
                error(msg::notNullExpected);
        } else if (tkn != tkn_null) {
            error(msg::nullExpected);
        }
        if (left->type != tpReferenceValue)
            error(msg::isNullRefs, leftPos);
        result = make(dbvmIsNull, std::move(left));
        if (isNot)
            result = make(dbvmNot, std::move(result));
        return result;
    } else {
        unget(tkn);
        return left;
    }
    if (negate)
        result = make(dbvmNot, std::move(result));
    return result;
}

dbCompiler::Node dbCompiler::buildCells(std::vector<Node>& items, std::size_t from, std::size_t to)
{
    if (to - from == 1)
        return std::move(items[from]);
    std::size_t mid = from + (to - from + 1) / 2;
    Node left = buildCells(items, from, mid);
    Node right = buildCells(items, mid, to);
    Node cell = make(dbvmList, std::move(left), std::move(right));
    cell->offs = 1;
    return cell;
}

void dbCompiler::takeItems(Node list, std::vector<Node>& items)
{
    if (list->cop != dbvmList || list->offs != 1) {
        items.push_back(std::move(list));
        return;
    }
    Node left(list->operand[0]), right(list->operand[1]);
    list->operand[0] = list->operand[1] = nullptr;
    takeItems(std::move(left), items);
    takeItems(std::move(right), items);
}

// or over items[from, to): the first half on the left, so that three items give
// or(or(a, b), c) as a left-to-right chain would.
dbCompiler::Node dbCompiler::buildList(std::vector<Node>& items, std::size_t from, std::size_t to)
{
    if (to - from == 1)
        return std::move(items[from]);
    std::size_t mid = from + (to - from + 1) / 2;
    Node left = buildList(items, from, mid);
    Node right = buildList(items, mid, to);
    return make(dbvmOr, std::move(left), std::move(right));
}

void dbCompiler::promoteToReal(Node& left, Node& right, int leftPos, int rightPos)
{
    if (left->type == tpInteger)
        left = toReal(std::move(left));
    else if (left->type != tpReal)
        error(msg::arithLeft, leftPos);
    if (right->type == tpInteger)
        right = toReal(std::move(right));
    else if (right->type != tpReal)
        error(msg::arithRight, rightPos);
}

dbCompiler::Node dbCompiler::arithmetic(int intCop, int realCop, Node left, Node right, int leftPos,
                                        int rightPos)
{
    if (left->type == tpReal || right->type == tpReal) {
        promoteToReal(left, right, leftPos, rightPos);
        return make(realCop, std::move(left), std::move(right));
    }
    if (left->type == tpInteger && right->type == tpInteger)
        return make(intCop, std::move(left), std::move(right));
    error(msg::arith, left->type != tpInteger ? leftPos : rightPos);
}

dbCompiler::Node dbCompiler::addition()
{
    int leftPos = pos();
    Node left = multiplication();
    for (;;) {
        int tkn = get();
        if (tkn != tkn_add && tkn != tkn_sub) {
            unget(tkn);
            return left;
        }
        int rightPos = pos();
        Node right = multiplication();
        if (left->type == tpStringValue && right->type == tpStringValue) {
            if (tkn == tkn_sub)
                error(msg::minusStrings, rightPos);
            left = make(dbvmStringConcat, std::move(left), std::move(right));
        } else if (tkn == tkn_add) {
            left = arithmetic(dbvmAddInt, dbvmAddReal, std::move(left), std::move(right), leftPos, rightPos);
        } else {
            left = arithmetic(dbvmSubInt, dbvmSubReal, std::move(left), std::move(right), leftPos, rightPos);
        }
    }
}

dbCompiler::Node dbCompiler::multiplication()
{
    int leftPos = pos();
    Node left = power();
    for (;;) {
        int tkn = get();
        if (tkn != tkn_mul && tkn != tkn_div) {
            unget(tkn);
            return left;
        }
        int rightPos = pos();
        Node right = power();
        if (tkn == tkn_mul)
            left = arithmetic(dbvmMulInt, dbvmMulReal, std::move(left), std::move(right), leftPos, rightPos);
        else
            left = arithmetic(dbvmDivInt, dbvmDivReal, std::move(left), std::move(right), leftPos, rightPos);
    }
}

dbCompiler::Node dbCompiler::power()
{
    // Right-nested: collected in a loop, folded from the right.
    std::vector<Node> items;
    std::vector<int> positions;
    for (;;) {
        positions.push_back(pos());
        items.push_back(userOperator());
        if (get() != tkn_power) {
            unget(lastToken);
            break;
        }
    }
    Node right = std::move(items.back());
    for (std::size_t i = items.size() - 1; i-- > 0;) {
        Node left = std::move(items[i]);
        if (left->type == tpInteger && right->type == tpInteger) {
            right = make(dbvmPowerInt, std::move(left), std::move(right));
        } else if (left->type == tpReal && right->type == tpInteger) {
            right = make(dbvmPowerRealInt, std::move(left), std::move(right));
        } else {
            promoteToReal(left, right, positions[i], positions[i + 1]);
            right = make(dbvmPowerReal, std::move(left), std::move(right));
        }
    }
    return right;
}

namespace {
// The value types a user function of the any-type kinds accepts.
bool anyTypeArgument(int type)
{
    return type == tpBoolean || type == tpInteger || type == tpReal || type == tpStringValue ||
           type == tpReferenceValue || type == tpRawBinaryValue;
}
} // namespace

// Terms joined by the name of a registered two-argument function: "a f b" calls f(a, b), left to
// right. An identifier that names no function ends the expression.
dbCompiler::Node dbCompiler::userOperator()
{
    int leftPos = pos();
    Node left = term();
    for (;;) {
        int tkn = get();
        dbUserFunction* f = tkn == tkn_ident ? dbUserFunction::find(lex.name) : nullptr;
        if (!f) {
            unget(tkn);
            return left;
        }
        if (f->getArity() != 2)
            error(msg::operatorArity);
        int rightPos = pos();
        Node right = term();
        if (!anyTypeArgument(left->type))
            error(msg::operatorParam, leftPos);
        if (!anyTypeArgument(right->type))
            error(msg::operatorParam, rightPos);
        left = make(dbvmFuncBase + f->getKind(), std::move(left), std::move(right));
        left->function = f->getFunction();
    }
}

// A call of a registered function with the term that follows its name as its argument, or with
// the items of a parenthesised list as its arguments.
dbCompiler::Node dbCompiler::callFunction(dbUserFunction* f)
{
    const int argPos = pos();
    Node arg = term();
    std::vector<Node> args;
    const std::size_t arity = std::size_t(f->getArity());
    const bool list = arg->cop == dbvmList && arg->offs == 1;
    if (arity == 1) {
        if (list)
            error(msg::tooManyParams, argPos);
        args.push_back(std::move(arg));
    } else {
        if (!list)
            error(msg::tooFewParamsNoList, argPos);
        takeItems(std::move(arg), args);
        if (args.size() > arity)
            error(msg::tooManyParams, argPos);
        if (args.size() < arity)
            error(msg::tooFewParams, argPos);
    }
    const int kind = f->getKind();
    if (kind < 12) {
        // One argument of a given type: integer, real or string; an integer passes for a real.
        static const int expected[3] = {tpInteger, tpReal, tpStringValue};
        const int want = expected[kind % 3];
        if (want == tpReal && args[0]->type == tpInteger)
            args[0] = toReal(std::move(args[0]));
        else if (args[0]->type != want)
            error(msg::incompatibleArg, argPos);
    } else {
        for (const Node& a : args) {
            if (!anyTypeArgument(a->type))
                error(msg::functionParams, argPos);
        }
    }
    args.resize(3);
    Node call = make(dbvmFuncBase + kind, std::move(args[0]), std::move(args[1]), std::move(args[2]));
    call->function = f->getFunction();
    return fieldPath(std::move(call), nullptr);
}

dbCompiler::Node dbCompiler::loadField(dbFieldDescriptor* fd, Node base)
{
    const bool self = base == nullptr;
    int cop;
    if (fd->type <= tpArray)
        cop = (self ? dbvmLoadSelfBool : dbvmLoadBool) + fd->type;
    else if (fd->type >= 10 && fd->type <= 18)
        cop = (self ? dbvmInvokeSelfBool : dbvmInvokeBool) + (fd->type - 10);
    else if (fd->type == tpRawBinary)
        cop = self ? dbvmLoadSelfRawBinary : dbvmLoadRawBinary;
    else
        error(msg::fieldNotFound);
    Node n = make(cop, std::move(base));
    n->field = fd;
    n->offs = std::uint16_t(fd->dbsOffs);
    if (fd->type == tpReference)
        n->refTable = fd->refTable;
    return n;
}

dbCompiler::Node dbCompiler::term()
{
    NestingGuard guard(nesting);
    if (nesting > maxNesting)
        error(msg::tooComplex);
    int tkn = get();
    if (tkn == tkn_where) {
        lex.firstPos = lex.currPos;
        tkn = get();
    }
    Node expr;
    switch (tkn) {
    case tkn_ident: {
        for (std::size_t i = bindings.size(); i-- > 0;) {
            if (std::strcmp(bindings[i].name, lex.name) == 0) {
                bindings[i].used = true;
                expr = make(dbvmVariable);
                expr->offs = std::uint16_t(i);
                return expr;
            }
        }
        dbFieldDescriptor* fd = table->findSymbol(lex.name);
        if (!fd) {
            if (dbUserFunction* f = dbUserFunction::find(lex.name))
                return callFunction(f);
            error(msg::fieldNotFound);
        }
        if (fd->type == tpStructure)
            return fieldPath(nullptr, fd);
        return fieldPath(loadField(fd, nullptr), nullptr);
    }
    case tkn_lpar: {
        std::vector<Node> items;
        items.push_back(disjunction());
        int t;
        while ((t = get()) == tkn_comma)
            items.push_back(disjunction());
        if (t != tkn_rpar)
            error(msg::rparExpected);
        if (items.size() == 1)
            return std::move(items[0]);
        // A list: a balanced tree of cells (marked by offs 1) whose leaves are the items in
        // text order, so that long lists stay shallow.
        return buildCells(items, 0, items.size());
    }
    case tkn_iconst:
        return makeInt(lex.ivalue);
    case tkn_fconst:
        return makeReal(lex.fvalue);
    case tkn_sconst:
        expr = make(dbvmStringConst);
        expr->svalue = lex.svalue;
        return fieldPath(std::move(expr), nullptr);
    case tkn_true:
        return make(dbvmTrue);
    case tkn_false:
        return make(dbvmFalse);
    case tkn_null:
        return make(dbvmNull);
    case tkn_current:
    case tkn_first:
    case tkn_last:
        expr = make(tkn == tkn_current ? dbvmCurrent : (tkn == tkn_first ? dbvmFirst : dbvmLast));
        expr->refTable = table;
        return fieldPath(std::move(expr), nullptr);
    case tkn_var: {
        if (lex.paramType < dbQueryElement::qVarBool || lex.paramType >= dbQueryElement::qVarUnknown)
            error(msg::unsupportedParam);
        expr = make(dbvmVarBool - 1 + lex.paramType);
        expr->paramAddress = lex.paramAddress;
        expr->refTable = lex.paramTable;
        return fieldPath(std::move(expr), nullptr);
    }
    case tkn_sub: {
        int operandPos = pos();
        expr = term();
        if (expr->cop == dbvmIntConst) {
            expr->ivalue = std::int64_t(0 - std::uint64_t(expr->ivalue));
        } else if (expr->cop == dbvmRealConst) {
            expr->fvalue = -expr->fvalue;
        } else if (expr->type == tpInteger) {
            expr = make(dbvmNegInt, std::move(expr));
        } else if (expr->type == tpReal) {
            expr = make(dbvmNegReal, std::move(expr));
        } else {
            error(msg::unaryMinus, operandPos);
        }
        return expr;
    }
    case tkn_add:
        error(msg::unaryPlus);
    case tkn_not: {
        int operandPos = pos();
        expr = comparison();
        if (expr->type == tpBoolean)
            return make(dbvmNot, std::move(expr));
        if (expr->cop == dbvmIntConst) {
            expr->ivalue = ~expr->ivalue;
            return expr;
        }
        if (expr->type == tpInteger)
            return make(dbvmNotInt, std::move(expr));
        error(msg::notOperand, operandPos);
    }
    case tkn_exists: {
        if (get() != tkn_ident)
            error(msg::freeVarExpected);
        if (bindings.size() >= std::size_t(maxExistsDepth))
            error(msg::tooManyExists);
        bindings.push_back({lex.name, false});
        // The name may live in the lexer's buffers; they stay valid until the next reset.
        if (get() != tkn_col)
            error(msg::colExpected);
        int bodyPos = pos();
        Node body = term();
        if (body->type != tpBoolean)
            error(msg::existsBoolean, bodyPos);
        const bool used = bindings.back().used;
        const std::size_t number = bindings.size() - 1;
        bindings.pop_back();
        if (!used)
            return body;
        expr = make(dbvmExists, std::move(body));
        expr->offs = std::uint16_t(number);
        return expr;
    }
    case tkn_length:
    case tkn_lower:
    case tkn_upper:
    case tkn_abs:
    case tkn_integer:
    case tkn_real:
    case tkn_string: {
        int operandPos = pos();
        Node arg = term();
        int t = arg->type;
        int cop = -1;
        const char* message = nullptr;
        switch (tkn) {
        case tkn_length:
            cop = t == tpArrayValue ? dbvmLengthArray : (t == tpStringValue ? dbvmLengthString : -1);
            message = msg::lengthArg;
            break;
        case tkn_lower:
            cop = t == tpStringValue ? dbvmLower : -1;
            message = msg::lowerArg;
            break;
        case tkn_upper:
            cop = t == tpStringValue ? dbvmUpper : -1;
            message = msg::upperArg;
            break;
        case tkn_abs:
            cop = t == tpInteger ? dbvmAbsInt : (t == tpReal ? dbvmAbsReal : -1);
            message = msg::absArg;
            break;
        case tkn_integer:
            cop = t == tpReal ? dbvmRealToInt : -1;
            message = msg::integerArg;
            break;
        case tkn_real:
            cop = t == tpInteger ? dbvmIntToReal : -1;
            message = msg::realArg;
            break;
        default:
            cop = t == tpInteger ? dbvmIntToString : (t == tpReal ? dbvmRealToString : -1);
            message = msg::stringArg;
            break;
        }
        if (cop < 0)
            error(message, operandPos);
        return fieldPath(make(cop, std::move(arg)), nullptr);
    }
    case tkn_start:
    case tkn_order:
    case tkn_eof:
        unget(tkn);
        return make(dbvmVoid);
    default:
        error(msg::operandExpected);
    }
}

// Follows "." and "[" after expr; structure (with the base it lies in, or none) is a structure
// field waiting for its component.
dbCompiler::Node dbCompiler::fieldPath(Node expr, dbFieldDescriptor* structure)
{
    Node structBase; // the base of a pending structure (null: the current record)
    if (structure)
        structBase = std::move(expr);
    for (;;) {
        int tkn = get();
        if (tkn == tkn_dot) {
            if (get() != tkn_ident)
                error(msg::identExpected);
            if (structure) {
                dbFieldDescriptor* fd = structure->findSymbol(lex.name);
                if (!fd)
                    error(msg::fieldNotFound);
                if (fd->type == tpStructure) {
                    structure = fd;
                    continue;
                }
                expr = loadField(fd, std::move(structBase));
                structure = nullptr;
                continue;
            }
            if (expr->type != tpReferenceValue)
                error(msg::dotLeft);
            dbTableDescriptor* target = expr->refTable;
            if (!target)
                error(msg::fieldNotFound);
            dbFieldDescriptor* fd = target->findSymbol(lex.name);
            if (!fd)
                error(msg::fieldNotFound);
            Node base = make(dbvmDeref, std::move(expr));
            base->refTable = target;
            if (fd->type == tpStructure) {
                structure = fd;
                structBase = std::move(base);
                continue;
            }
            expr = loadField(fd, std::move(base));
        } else if (tkn == tkn_lbr) {
            if (structure)
                error(msg::dotExpected);
            if (expr->type != tpArrayValue && expr->type != tpStringValue)
                error(msg::indexArrays);
            int indexPos = pos();
            Node index = disjunction();
            if (index->type != tpInteger && index->type != tpFreeVar)
                error(msg::indexInteger, indexPos);
            if (get() != tkn_rbr)
                error(msg::rbrExpected);
            if (expr->type == tpStringValue)
                return make(dbvmCharAt, std::move(expr), std::move(index));
            dbFieldDescriptor* arrayField = expr->field;
            dbFieldDescriptor* elem = arrayField ? arrayField->components : nullptr;
            Node at = make(dbvmGetAt, std::move(expr), std::move(index));
            if (elem) {
                at->offs = std::uint16_t(elem->dbsSize);
                at->field = elem;
                if (elem->type == tpStructure) {
                    structure = elem;
                    structBase = std::move(at);
                    continue;
                }
                expr = loadField(elem, std::move(at));
                if (elem->type == tpReference)
                    expr->refTable = elem->refTable;
            } else {
                // An array that is no field (an array-of-references parameter): its elements are
                // references of 4 bytes.
                at->offs = 4;
                dbTableDescriptor* target = at->operand[0]->refTable;
                expr = make(dbvmLoadReference, std::move(at));
                expr->refTable = target;
            }
        } else {
            unget(tkn);
            if (structure)
                error(msg::dotExpected);
            return expr;
        }
    }
}

void dbCompiler::startFrom(dbCompiledQuery& q)
{
    if (get() != tkn_from)
        error(msg::fromExpected);
    int tkn = get();
    if (tkn == tkn_first) {
        q.startFrom = dbCompiledQuery::StartFromFirst;
    } else if (tkn == tkn_last) {
        q.startFrom = dbCompiledQuery::StartFromLast;
    } else if (tkn == tkn_var) {
        if (lex.paramType == dbQueryElement::qVarReference) {
            if (lex.paramTable != table)
                error(msg::refVarType);
            q.startFrom = dbCompiledQuery::StartFromRef;
        } else if (lex.paramType == dbQueryElement::qVarArrayOfRef ||
                   lex.paramType == dbQueryElement::qVarArrayOfRefPtr) {
            if (lex.paramTable != table)
                error(msg::arrayVarType);
            q.startFrom = lex.paramType == dbQueryElement::qVarArrayOfRef
                              ? dbCompiledQuery::StartFromArray
                              : dbCompiledQuery::StartFromArrayPtr;
        } else {
            error(msg::refVarExpected);
        }
        q.root = lex.paramAddress;
    } else {
        error(msg::startExpected);
    }
    tkn = get();
    if (tkn != tkn_follow) {
        unget(tkn);
        return;
    }
    if (get() != tkn_by)
        error(msg::followBy);
    do {
        if (get() != tkn_ident)
            error(msg::fieldNameExpected);
        dbFieldDescriptor* fd = table->findSymbol(lex.name);
        if (!fd)
            error(msg::fieldNotFound);
        while (fd->type == tpStructure) {
            if (get() != tkn_dot)
                error(msg::dotExpected);
            if (get() != tkn_ident)
                error(msg::fieldNameExpected);
            fd = fd->findSymbol(lex.name);
            if (!fd)
                error(msg::fieldNotFound);
        }
        bool ok = (fd->type == tpReference && fd->refTable == table) ||
                  (fd->type == tpArray && fd->components && fd->components->type == tpReference &&
                   fd->components->refTable == table);
        if (!ok)
            error(msg::followType);
        q.follow.insert(q.follow.begin(), dbFollowByItem{fd});
    } while (get() == tkn_comma);
    unget(lastToken);
}

void dbCompiler::orderBy(dbCompiledQuery& q)
{
    if (get() != tkn_by)
        error(msg::orderBy);
    // Parentheses around an item belong to its expression: "(a + b) desc" is the expression
    // a + b, descending.
    do {
        int itemPos = pos();
        Node expr = disjunction();
        dbOrderByItem item;
        item.table = table;
        int tkn = get();
        if (tkn == tkn_desc)
            item.ascent = false;
        else if (tkn != tkn_asc)
            unget(tkn);
        if ((expr->cop >= dbvmLoadSelfBool && expr->cop <= dbvmLoadSelfArray) ||
            expr->cop == dbvmLoadSelfRawBinary) {
            item.field = expr->field;
        } else if (expr->cop == dbvmLengthArray && expr->operand[0]->cop == dbvmLoadSelfArray) {
            item.field = expr->operand[0]->field;
        } else if (expr->type == tpBoolean || expr->type == tpInteger || expr->type == tpReal ||
                   expr->type == tpStringValue || expr->type == tpReferenceValue) {
            item.expr = std::move(expr);
        } else {
            error(msg::orderScalar, itemPos);
        }
        q.order.push_back(std::move(item));
        int t = get();
        if (t == tkn_rpar)
            error(msg::unbalanced);
        if (t != tkn_comma) {
            unget(t);
            break;
        }
    } while (true);
}
