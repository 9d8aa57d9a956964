// The expression printer: a compiled condition as a parenthesised prefix tree, one opcode name
// per node ("(and (eq load.int4@ id 5) ...)"). Tests compare compiled trees through it.
#include "engine286/Descriptors.h"
#include "engine286/Expression.h"

#include <cstdio>
#include <string>

namespace {
const char* opcodeName(int cop)
{
    static const char* const loads[] = {"bool",  "int1",  "int2",   "int4", "int8",
                                        "real4", "real8", "string", "ref",  "array"};
    static thread_local std::string text;
    if (cop <= dbvmLoadArray)
        return (text = std::string("load.") + loads[cop] + "@").c_str();
    if (cop >= dbvmInvokeBool && cop < dbvmLoadRawBinary)
        return (text = std::string("invoke.") + loads[cop - dbvmInvokeBool] + "@").c_str();
    if (cop >= dbvmLoadSelfBool && cop <= dbvmLoadSelfArray)
        return (text = std::string("load.") + loads[cop - dbvmLoadSelfBool]).c_str();
    if (cop >= dbvmInvokeSelfBool && cop < dbvmLoadSelfRawBinary)
        return (text = std::string("invoke.") + loads[cop - dbvmInvokeSelfBool]).c_str();
    if (cop >= dbvmInArrayBool && cop < dbvmInString)
        return (text = std::string("in.array.") + loads[cop - dbvmInArrayBool]).c_str();
    static const char* const cmps[] = {"eq", "ne", "gt", "ge", "lt", "le", "between"};
    if (cop >= dbvmEqInt && cop <= dbvmBetweenInt)
        return (text = std::string("int.") + cmps[cop - dbvmEqInt]).c_str();
    if (cop >= dbvmEqBinary && cop <= dbvmBetweenBinary)
        return (text = std::string("raw.") + cmps[cop - dbvmEqBinary]).c_str();
    if (cop >= dbvmEqReal && cop <= dbvmBetweenReal)
        return (text = std::string("real.") + cmps[cop - dbvmEqReal]).c_str();
    if (cop >= dbvmEqString && cop <= dbvmBetweenString)
        return (text = std::string("str.") + cmps[cop - dbvmEqString]).c_str();
    if (cop >= dbvmVarBool && cop <= dbvmVarUnknown)
        return "param";
    if (cop >= dbvmFuncBase && cop < dbvmVoid)
        return "func";
    switch (cop) {
    case dbvmLoadRawBinary:
        return "load.raw@";
    case dbvmLoadSelfRawBinary:
        return "load.raw";
    case dbvmInString:
        return "in.string";
    case dbvmLengthArray:
    case dbvmLengthString:
        return "length";
    case dbvmGetAt:
        return "elem";
    case dbvmCharAt:
        return "charat";
    case dbvmTrue:
        return "true";
    case dbvmFalse:
        return "false";
    case dbvmCurrent:
        return "current";
    case dbvmFirst:
        return "first";
    case dbvmLast:
        return "last";
    case dbvmNull:
        return "null";
    case dbvmOr:
        return "or";
    case dbvmAnd:
        return "and";
    case dbvmNot:
        return "not";
    case dbvmIsNull:
        return "isnull";
    case dbvmNegInt:
        return "int.neg";
    case dbvmAddInt:
        return "int.add";
    case dbvmSubInt:
        return "int.sub";
    case dbvmMulInt:
        return "int.mul";
    case dbvmDivInt:
        return "int.div";
    case dbvmAndInt:
        return "int.and";
    case dbvmOrInt:
        return "int.or";
    case dbvmNotInt:
        return "int.not";
    case dbvmAbsInt:
        return "int.abs";
    case dbvmPowerInt:
        return "int.pow";
    case dbvmNegReal:
        return "real.neg";
    case dbvmAddReal:
        return "real.add";
    case dbvmSubReal:
        return "real.sub";
    case dbvmMulReal:
        return "real.mul";
    case dbvmDivReal:
        return "real.div";
    case dbvmAbsReal:
        return "real.abs";
    case dbvmPowerReal:
        return "real.pow";
    case dbvmPowerRealInt:
        return "real.powi";
    case dbvmEqBool:
        return "bool.eq";
    case dbvmNeBool:
        return "bool.ne";
    case dbvmEqReference:
        return "ref.eq";
    case dbvmNeReference:
        return "ref.ne";
    case dbvmLike:
        return "like";
    case dbvmLikeEsc:
        return "like.esc";
    case dbvmUpper:
        return "upper";
    case dbvmLower:
        return "lower";
    case dbvmIntToReference:
        return "int->ref";
    case dbvmIntToReal:
        return "int->real";
    case dbvmRealToInt:
        return "real->int";
    case dbvmIntToString:
        return "int->string";
    case dbvmRealToString:
        return "real->string";
    case dbvmStringConcat:
        return "concat";
    case dbvmDeref:
        return "deref";
    case dbvmExists:
        return "exists";
    case dbvmVariable:
        return "var";
    case dbvmList:
        return "list";
    case dbvmVoid:
        return "void";
    default:
        return "?";
    }
}
} // namespace

std::string dbDumpExpression(const dbExprNode* n)
{
    if (!n)
        return "";
    switch (n->cop) {
    case dbvmIntConst:
        return std::to_string(n->ivalue);
    case dbvmRealConst: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", n->fvalue);
        std::string s = buf;
        if (s.find_first_of(".en") == std::string::npos)
            s += ".0";
        return s;
    }
    case dbvmStringConst:
        return "'" + n->svalue + "'";
    default:
        break;
    }
    std::string s = opcodeName(n->cop);
    if (n->field && n->cop != dbvmGetAt)
        s += " " + std::string(n->field->name);
    bool any = false;
    for (dbExprNode* op : n->operand)
        any = any || op;
    if (!any && !(n->cop >= dbvmLoadBool && n->cop <= dbvmLoadSelfRawBinary))
        return n->cop == dbvmVariable || n->cop == dbvmExists ? s + std::to_string(n->offs) : s;
    if (!any)
        return s;
    std::string out = "(" + s;
    if (n->cop == dbvmExists)
        out += std::to_string(n->offs);
    for (dbExprNode* op : n->operand) {
        if (op)
            out += " " + dbDumpExpression(op);
    }
    return out + ")";
}
