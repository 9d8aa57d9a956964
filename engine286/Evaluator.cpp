#include "engine286/Evaluator.h"

#include "engine286/Messages.h"
#include "engine286/UserFunction.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

using dbMessages::corruptRow;

namespace {

struct ExistsEnd {
    int variable;
};

[[noreturn]] void fail(int errorClass, const char* message, int arg = 0)
{
    throw dbEvaluationError{errorClass, message, arg};
}

[[noreturn]] void corrupt()
{
    throw dbException(corruptRow);
}

// Wrapping 64-bit arithmetic: overflow is defined (two's complement) instead of undefined.
inline std::int64_t wrapAdd(std::int64_t a, std::int64_t b)
{
    return std::int64_t(std::uint64_t(a) + std::uint64_t(b));
}
inline std::int64_t wrapSub(std::int64_t a, std::int64_t b)
{
    return std::int64_t(std::uint64_t(a) - std::uint64_t(b));
}
inline std::int64_t wrapMul(std::int64_t a, std::int64_t b)
{
    return std::int64_t(std::uint64_t(a) * std::uint64_t(b));
}
inline std::int64_t wrapNeg(std::int64_t a)
{
    return std::int64_t(0 - std::uint64_t(a));
}

std::int64_t powerInt(std::int64_t base, std::int64_t exp)
{
    if (base == 2 && exp >= 0)
        return exp < 64 ? std::int64_t(std::uint64_t(1) << exp) : 0;
    if (base == 0 && exp < 0)
        fail(ArithmeticError, "Raise zero to negative power");
    // The exponent's magnitude as unsigned: negating the smallest integer would stay negative.
    std::uint64_t e = exp < 0 ? 0 - std::uint64_t(exp) : std::uint64_t(exp);
    if (exp < 0)
        base = base == 1 ? 1 : (base == -1 ? -1 : 0);
    std::int64_t result = 1;
    while (e != 0) {
        if (e & 1)
            result = wrapMul(result, base);
        base = wrapMul(base, base);
        e >>= 1;
    }
    return result;
}

double powerRealInt(double base, std::int64_t exp)
{
    if (base == 0 && exp < 0)
        fail(ArithmeticError, "Raise zero to negative power");
    std::uint64_t e = exp < 0 ? 0 - std::uint64_t(exp) : std::uint64_t(exp);
    if (exp < 0)
        base = 1 / base;
    double result = 1;
    while (e != 0) {
        if (e & 1)
            result *= base;
        base *= base;
        e >>= 1;
    }
    return result;
}

// Real to integer: toward zero; NaN gives 0 and values beyond the range saturate.
std::int64_t realToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 9223372036854775807.0)
        return INT64_MAX;
    if (v <= -9223372036854775808.0)
        return INT64_MIN;
    return std::int64_t(v);
}

inline int compareStrings(const dbValue& a, const dbValue& b)
{
    return std::strcmp(a.ptr, b.ptr);
}

char* scratchString(dbEvaluationContext& ctx, std::size_t length)
{
    return static_cast<char*>(ctx.scratch.allocate(length));
}

void setString(dbValue& v, const char* text, std::size_t lengthWithZero)
{
    v.ptr = text;
    v.length = std::uint32_t(lengthWithZero);
}

// A string stored at base + offs ({size incl. NUL, offset from base}); checked against the row.
void loadString(const char* base, const char* end, int offs, dbValue& v)
{
    if (base + offs + sizeof(dbVarying) > end)
        corrupt();
    dbVarying var;
    std::memcpy(&var, base + offs, sizeof var);
    if (var.size == 0 || std::uint64_t(var.offs) + var.size > std::uint64_t(end - base) ||
        base[var.offs + var.size - 1] != '\0')
        corrupt();
    v.ptr = base + var.offs;
    v.length = var.size;
    v.end = end;
}

void loadArray(const char* base, const char* end, int offs, std::uint32_t elemSize, dbValue& v)
{
    if (base + offs + sizeof(dbVarying) > end)
        corrupt();
    dbVarying var;
    std::memcpy(&var, base + offs, sizeof var);
    if (std::uint64_t(var.offs) + std::uint64_t(var.size) * elemSize > std::uint64_t(end - base))
        corrupt();
    v.ptr = base + var.offs;
    v.length = var.size;
    v.elemSize = elemSize;
    v.end = end;
}

// Loads a field of type at base + offs (a row or an array element ending at end).
void loadField(const dbExprNode* node, int type, const char* base, const char* end, dbValue& v)
{
    const int offs = node->offs;
    const char* p = base + offs;
    switch (type) {
    case tpBool:
        if (p + 1 > end)
            corrupt();
        v.ivalue = *p != 0;
        return;
    case tpInt1:
        if (p + 1 > end)
            corrupt();
        v.ivalue = static_cast<signed char>(*p);
        return;
    case tpInt2: {
        std::int16_t x;
        if (p + 2 > end)
            corrupt();
        std::memcpy(&x, p, 2);
        v.ivalue = x;
        return;
    }
    case tpInt4: {
        std::int32_t x;
        if (p + 4 > end)
            corrupt();
        std::memcpy(&x, p, 4);
        v.ivalue = x;
        return;
    }
    case tpInt8:
        if (p + 8 > end)
            corrupt();
        std::memcpy(&v.ivalue, p, 8);
        return;
    case tpReal4: {
        float x;
        if (p + 4 > end)
            corrupt();
        std::memcpy(&x, p, 4);
        v.fvalue = x;
        return;
    }
    case tpReal8:
        if (p + 8 > end)
            corrupt();
        std::memcpy(&v.fvalue, p, 8);
        return;
    case tpString:
        loadString(base, end, offs, v);
        return;
    case tpReference:
        if (p + 4 > end)
            corrupt();
        std::memcpy(&v.oid, p, 4);
        return;
    case tpArray: {
        const dbFieldDescriptor* elem = node->field ? node->field->components : nullptr;
        loadArray(base, end, offs, elem ? std::uint32_t(elem->dbsSize) : 4, v);
        return;
    }
    default: // raw binary: the address
        if (node->field && p + node->field->dbsSize > end)
            corrupt();
        v.ptr = p;
        v.end = end;
        return;
    }
}

void invokeMethod(const dbExprNode* node, int resultType, const char* base, dbEvaluationContext& ctx,
                  dbValue& v)
{
    dbAnyMethodTrampoline* method = node->field ? node->field->method : nullptr;
    if (!method)
        fail(QueryError, "Method cannot be called");
    union {
        bool b;
        std::int8_t i1;
        std::int16_t i2;
        std::int32_t i4;
        std::int64_t i8;
        float r4;
        double r8;
        char* s;
        oid_t ref;
    } r;
    std::memset(&r, 0, sizeof r);
    method->invoke(base, &r);
    switch (resultType) {
    case tpBool:
        v.ivalue = r.b;
        break;
    case tpInt1:
        v.ivalue = r.i1;
        break;
    case tpInt2:
        v.ivalue = r.i2;
        break;
    case tpInt4:
        v.ivalue = r.i4;
        break;
    case tpInt8:
        v.ivalue = r.i8;
        break;
    case tpReal4:
        v.fvalue = r.r4;
        break;
    case tpReal8:
        v.fvalue = r.r8;
        break;
    case tpString: {
        const char* text = r.s ? r.s : "";
        std::size_t n = std::strlen(text) + 1;
        char* copy = scratchString(ctx, n);
        std::memcpy(copy, text, n);
        delete[] r.s;
        setString(v, copy, n);
        break;
    }
    default:
        v.oid = r.ref;
        break;
    }
}

// Horspool search for texts past the short-text limit.
bool horspool(const unsigned char* text, std::size_t n, const unsigned char* pat, std::size_t m)
{
    std::size_t shift[256];
    for (std::size_t& s : shift)
        s = m;
    for (std::size_t i = 0; i + 1 < m; i++)
        shift[pat[i]] = m - 1 - i;
    std::size_t pos = 0;
    while (pos + m <= n) {
        std::size_t j = m;
        while (j > 0 && text[pos + j - 1] == pat[j - 1])
            j--;
        if (j == 0)
            return true;
        pos += shift[text[pos + m - 1]];
    }
    return false;
}

// Index into an array or a string; out of range ends an EXISTS iteration or is an error.
std::uint64_t checkIndex(const dbExprNode* indexNode, const dbValue& index, std::uint64_t count,
                         dbEvaluationContext& ctx)
{
    const bool variable = indexNode->cop == dbvmVariable;
    if (index.ivalue < 0 || std::uint64_t(index.ivalue) >= count) {
        if (variable)
            throw ExistsEnd{indexNode->offs};
        std::int64_t arg = index.ivalue;
        int shown = arg > INT32_MAX ? INT32_MAX : (arg < INT32_MIN ? INT32_MIN : int(arg));
        fail(IndexOutOfRangeError, "Index %d is out of range\n", shown);
    }
    if (variable)
        ctx.variables[indexNode->offs].accesses++;
    return std::uint64_t(index.ivalue);
}

void copyCase(dbEvaluationContext& ctx, const dbValue& src, dbValue& v, bool upper)
{
    char* out = scratchString(ctx, src.length);
    for (std::uint32_t i = 0; i < src.length; i++) {
        unsigned char c = (unsigned char)src.ptr[i];
        // ASCII only: bytes of multi-byte characters are left alone, whatever the locale.
        if (upper && c >= 'a' && c <= 'z')
            c = (unsigned char)(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = (unsigned char)(c - 'A' + 'a');
        out[i] = char(c);
    }
    setString(v, out, src.length);
}

bool inArray(int elemType, const dbValue& left, const dbValue& arr)
{
    const char* p = arr.ptr;
    for (std::uint32_t i = 0; i < arr.length; i++, p += arr.elemSize) {
        switch (elemType) {
        case tpBool:
            if ((*p != 0) == (left.ivalue != 0))
                return true;
            break;
        // The left value is cut to the element's width: 259 matches 3 in a one-byte array.
        case tpInt1:
            if (static_cast<std::int8_t>(*p) == static_cast<std::int8_t>(left.ivalue))
                return true;
            break;
        case tpInt2: {
            std::int16_t x;
            std::memcpy(&x, p, 2);
            if (x == static_cast<std::int16_t>(left.ivalue))
                return true;
            break;
        }
        case tpInt4: {
            std::int32_t x;
            std::memcpy(&x, p, 4);
            if (x == static_cast<std::int32_t>(left.ivalue))
                return true;
            break;
        }
        case tpInt8: {
            std::int64_t x;
            std::memcpy(&x, p, 8);
            if (x == left.ivalue)
                return true;
            break;
        }
        case tpReal4: {
            float x;
            std::memcpy(&x, p, 4);
            if (x == float(left.fvalue))
                return true;
            break;
        }
        case tpReal8: {
            double x;
            std::memcpy(&x, p, 8);
            if (x == left.fvalue)
                return true;
            break;
        }
        case tpString: {
            dbVarying var;
            std::memcpy(&var, p, sizeof var);
            if (var.size == 0 ||
                std::uint64_t(p - arr.ptr) + var.offs + var.size > std::uint64_t(arr.end - arr.ptr))
                corrupt();
            if (var.size == left.length && std::memcmp(p + var.offs, left.ptr, var.size - 1) == 0)
                return true;
            break;
        }
        default: {
            oid_t x;
            std::memcpy(&x, p, 4);
            if (x == left.oid)
                return true;
            break;
        }
        }
    }
    return false;
}

} // namespace

// Kinds 0-11 receive the argument's value itself, kinds 12-23 a tagged record per argument. A
// string result is the function's heap string: copied into the evaluation's scratch, then freed.
static void callUserFunction(const dbExprNode* node, dbEvaluationContext& ctx, dbValue& v)
{
    typedef dbUserFunctionArgument Arg;
    const int kind = node->cop - dbvmFuncBase;
    void* f = node->function;
    bool b = false;
    std::int64_t i = 0;
    double d = 0;
    char* text = nullptr;
    const int result = kind < 12 ? kind / 3 : kind % 4; // boolean, integer, real, string
    if (kind < 12) {
        dbValue a;
        dbEvaluate(node->operand[0], ctx, a);
        switch (kind % 3 * 4 + result) {
        case 0:
            b = reinterpret_cast<bool (*)(std::int64_t)>(f)(a.ivalue);
            break;
        case 1:
            i = reinterpret_cast<std::int64_t (*)(std::int64_t)>(f)(a.ivalue);
            break;
        case 2:
            d = reinterpret_cast<double (*)(std::int64_t)>(f)(a.ivalue);
            break;
        case 3:
            text = reinterpret_cast<char* (*)(std::int64_t)>(f)(a.ivalue);
            break;
        case 4:
            b = reinterpret_cast<bool (*)(double)>(f)(a.fvalue);
            break;
        case 5:
            i = reinterpret_cast<std::int64_t (*)(double)>(f)(a.fvalue);
            break;
        case 6:
            d = reinterpret_cast<double (*)(double)>(f)(a.fvalue);
            break;
        case 7:
            text = reinterpret_cast<char* (*)(double)>(f)(a.fvalue);
            break;
        case 8:
            b = reinterpret_cast<bool (*)(const char*)>(f)(a.ptr);
            break;
        case 9:
            i = reinterpret_cast<std::int64_t (*)(const char*)>(f)(a.ptr);
            break;
        case 10:
            d = reinterpret_cast<double (*)(const char*)>(f)(a.ptr);
            break;
        default:
            text = reinterpret_cast<char* (*)(const char*)>(f)(a.ptr);
            break;
        }
    } else {
        const int n = kind < 16 ? 1 : (kind < 20 ? 2 : 3);
        Arg args[3];
        for (int k = 0; k < n; k++) {
            dbValue a;
            const dbExprNode* operand = node->operand[k];
            dbEvaluate(operand, ctx, a);
            Arg& arg = args[k];
            switch (operand->type) {
            case tpBoolean:
                arg.type = Arg::atBoolean;
                arg.u.boolValue = a.ivalue != 0;
                break;
            case tpReal:
                arg.type = Arg::atReal;
                arg.u.realValue = a.fvalue;
                break;
            case tpStringValue:
                arg.type = Arg::atString;
                arg.u.strValue = a.ptr;
                break;
            case tpReferenceValue:
                arg.type = Arg::atReference;
                arg.u.oidValue = a.oid;
                break;
            case tpRawBinaryValue:
                arg.type = Arg::atRawBinary;
                arg.u.rawValue = a.ptr;
                break;
            default:
                arg.type = Arg::atInteger;
                arg.u.intValue = a.ivalue;
                break;
            }
        }
        switch (n * 4 + result) {
        case 4:
            b = reinterpret_cast<bool (*)(Arg&)>(f)(args[0]);
            break;
        case 5:
            i = reinterpret_cast<std::int64_t (*)(Arg&)>(f)(args[0]);
            break;
        case 6:
            d = reinterpret_cast<double (*)(Arg&)>(f)(args[0]);
            break;
        case 7:
            text = reinterpret_cast<char* (*)(Arg&)>(f)(args[0]);
            break;
        case 8:
            b = reinterpret_cast<bool (*)(Arg&, Arg&)>(f)(args[0], args[1]);
            break;
        case 9:
            i = reinterpret_cast<std::int64_t (*)(Arg&, Arg&)>(f)(args[0], args[1]);
            break;
        case 10:
            d = reinterpret_cast<double (*)(Arg&, Arg&)>(f)(args[0], args[1]);
            break;
        case 11:
            text = reinterpret_cast<char* (*)(Arg&, Arg&)>(f)(args[0], args[1]);
            break;
        case 12:
            b = reinterpret_cast<bool (*)(Arg&, Arg&, Arg&)>(f)(args[0], args[1], args[2]);
            break;
        case 13:
            i = reinterpret_cast<std::int64_t (*)(Arg&, Arg&, Arg&)>(f)(args[0], args[1], args[2]);
            break;
        case 14:
            d = reinterpret_cast<double (*)(Arg&, Arg&, Arg&)>(f)(args[0], args[1], args[2]);
            break;
        default:
            text = reinterpret_cast<char* (*)(Arg&, Arg&, Arg&)>(f)(args[0], args[1], args[2]);
            break;
        }
    }
    switch (result) {
    case 0:
        v.ivalue = b ? 1 : 0;
        break;
    case 1:
        v.ivalue = i;
        break;
    case 2:
        v.fvalue = d;
        break;
    default: {
        const std::size_t len = text ? std::strlen(text) : 0;
        char* out = scratchString(ctx, len + 1);
        if (text)
            std::memcpy(out, text, len);
        out[len] = '\0';
        delete[] text;
        setString(v, out, len + 1);
        break;
    }
    }
}

bool dbMatchLike(const char* text, std::size_t tlen, const char* pat, std::size_t plen, int escape)
{
    std::size_t ti = 0, pi = 0;
    bool haveWild = false;
    std::size_t wildPi = 0, wildTi = 0;
    while (ti < tlen) {
        if (pi < plen) {
            const char pc = pat[pi];
            if (escape >= 0 && (unsigned char)pc == escape) {
                // An escape at the very end of the pattern matches nothing.
                if (pi + 1 < plen && pat[pi + 1] == text[ti]) {
                    pi += 2;
                    ti++;
                    continue;
                }
            } else if (pc == '%') {
                pi++;
                haveWild = true;
                wildPi = pi;
                wildTi = ti;
                continue;
            } else if (pc == '_' || pc == text[ti]) {
                pi++;
                ti++;
                continue;
            }
        }
        if (!haveWild)
            return false;
        pi = wildPi;
        ti = ++wildTi;
    }
    while (pi < plen && pat[pi] == '%' && !(escape >= 0 && escape == '%'))
        pi++;
    return pi == plen;
}

bool dbContains(const char* hay, std::size_t n, const char* needle, std::size_t m)
{
    if (m == 0)
        return true;
    if (m > n)
        return false;
    if (n <= 512)
        return std::string_view(hay, n).find(std::string_view(needle, m)) != std::string_view::npos;
    return horspool(reinterpret_cast<const unsigned char*>(hay), n,
                    reinterpret_cast<const unsigned char*>(needle), m);
}

void dbEvaluationContext::setRow(oid_t rowOid, std::size_t fixedSize)
{
    const dbRecord* r = db->getRow(rowOid);
    row = reinterpret_cast<const char*>(r);
    rowEnd = row + r->size;
    oid = rowOid;
    if (r->size < fixedSize)
        corrupt();
}

void dbEvaluate(const dbExprNode* node, dbEvaluationContext& ctx, dbValue& v)
{
    dbValue a, b, c;
    const int cop = node->cop;
    switch (cop) {
    case dbvmLoadBool:
    case dbvmLoadBool + 1:
    case dbvmLoadBool + 2:
    case dbvmLoadBool + 3:
    case dbvmLoadBool + 4:
    case dbvmLoadBool + 5:
    case dbvmLoadBool + 6:
    case dbvmLoadBool + 7:
    case dbvmLoadBool + 8:
    case dbvmLoadBool + 9:
    case dbvmLoadRawBinary:
        dbEvaluate(node->operand[0], ctx, a);
        loadField(node, cop == dbvmLoadRawBinary ? tpRawBinary : cop - dbvmLoadBool, a.ptr, a.end, v);
        return;
    case dbvmLoadSelfBool:
    case dbvmLoadSelfBool + 1:
    case dbvmLoadSelfBool + 2:
    case dbvmLoadSelfBool + 3:
    case dbvmLoadSelfBool + 4:
    case dbvmLoadSelfBool + 5:
    case dbvmLoadSelfBool + 6:
    case dbvmLoadSelfBool + 7:
    case dbvmLoadSelfBool + 8:
    case dbvmLoadSelfBool + 9:
    case dbvmLoadSelfRawBinary:
        loadField(node, cop == dbvmLoadSelfRawBinary ? tpRawBinary : cop - dbvmLoadSelfBool, ctx.row,
                  ctx.rowEnd, v);
        return;
    case dbvmInvokeBool:
    case dbvmInvokeBool + 1:
    case dbvmInvokeBool + 2:
    case dbvmInvokeBool + 3:
    case dbvmInvokeBool + 4:
    case dbvmInvokeBool + 5:
    case dbvmInvokeBool + 6:
    case dbvmInvokeBool + 7:
    case dbvmInvokeBool + 8:
        dbEvaluate(node->operand[0], ctx, a);
        invokeMethod(node, cop - dbvmInvokeBool, a.ptr, ctx, v);
        return;
    case dbvmInvokeSelfBool:
    case dbvmInvokeSelfBool + 1:
    case dbvmInvokeSelfBool + 2:
    case dbvmInvokeSelfBool + 3:
    case dbvmInvokeSelfBool + 4:
    case dbvmInvokeSelfBool + 5:
    case dbvmInvokeSelfBool + 6:
    case dbvmInvokeSelfBool + 7:
    case dbvmInvokeSelfBool + 8:
        invokeMethod(node, cop - dbvmInvokeSelfBool, ctx.row, ctx, v);
        return;
    case dbvmInArrayBool:
    case dbvmInArrayBool + 1:
    case dbvmInArrayBool + 2:
    case dbvmInArrayBool + 3:
    case dbvmInArrayBool + 4:
    case dbvmInArrayBool + 5:
    case dbvmInArrayBool + 6:
    case dbvmInArrayBool + 7:
    case dbvmInArrayBool + 8:
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        v.ivalue = inArray(cop - dbvmInArrayBool, a, b);
        return;
    case dbvmInString:
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        v.ivalue = dbContains(b.ptr, b.length - 1, a.ptr, a.length - 1);
        return;
    case dbvmLengthArray:
        dbEvaluate(node->operand[0], ctx, a);
        v.ivalue = a.length;
        return;
    case dbvmLengthString:
        dbEvaluate(node->operand[0], ctx, a);
        v.ivalue = std::int64_t(a.length) - 1;
        return;
    case dbvmGetAt: {
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        std::uint64_t i = checkIndex(node->operand[1], b, a.length, ctx);
        v.ptr = a.ptr + i * node->offs;
        v.end = a.end;
        return;
    }
    case dbvmCharAt: {
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        std::uint64_t i = checkIndex(node->operand[1], b, a.length > 0 ? a.length - 1 : 0, ctx);
        v.ivalue = (unsigned char)a.ptr[i];
        return;
    }
    case dbvmVarBool:
        v.ivalue = *dbParameterAddress(node, ctx.parameterBase) != 0;
        return;
    case dbvmVarInt1:
        v.ivalue = *reinterpret_cast<const signed char*>(dbParameterAddress(node, ctx.parameterBase));
        return;
    case dbvmVarInt2: {
        std::int16_t x;
        std::memcpy(&x, dbParameterAddress(node, ctx.parameterBase), 2);
        v.ivalue = x;
        return;
    }
    case dbvmVarInt4: {
        std::int32_t x;
        std::memcpy(&x, dbParameterAddress(node, ctx.parameterBase), 4);
        v.ivalue = x;
        return;
    }
    case dbvmVarInt8:
        std::memcpy(&v.ivalue, dbParameterAddress(node, ctx.parameterBase), 8);
        return;
    case dbvmVarReal4: {
        float x;
        std::memcpy(&x, dbParameterAddress(node, ctx.parameterBase), 4);
        v.fvalue = x;
        return;
    }
    case dbvmVarReal8:
        std::memcpy(&v.fvalue, dbParameterAddress(node, ctx.parameterBase), 8);
        return;
    case dbvmVarString: {
        const char* text = dbParameterAddress(node, ctx.parameterBase);
        setString(v, text, std::strlen(text) + 1);
        return;
    }
    case dbvmVarStringPtr: {
        const char* text;
        std::memcpy(&text, dbParameterAddress(node, ctx.parameterBase), sizeof text);
        if (!text)
            text = "";
        setString(v, text, std::strlen(text) + 1);
        return;
    }
    case dbvmVarReference:
        std::memcpy(&v.oid, dbParameterAddress(node, ctx.parameterBase), 4);
        return;
    case dbvmVarArrayOfRef:
    case dbvmVarArrayOfRefPtr: {
        const dbAnyArray* arr;
        if (cop == dbvmVarArrayOfRef)
            arr = reinterpret_cast<const dbAnyArray*>(dbParameterAddress(node, ctx.parameterBase));
        else
            std::memcpy(&arr, dbParameterAddress(node, ctx.parameterBase), sizeof arr);
        static const dbAnyArray empty;
        if (!arr)
            arr = &empty;
        v.ptr = static_cast<const char*>(arr->data);
        v.length = std::uint32_t(arr->nElems);
        v.elemSize = 4;
        v.end = v.ptr + std::size_t(v.length) * 4;
        return;
    }
    case dbvmVarRawData:
        v.ptr = dbParameterAddress(node, ctx.parameterBase);
        return;
    case dbvmTrue:
        v.ivalue = 1;
        return;
    case dbvmFalse:
        v.ivalue = 0;
        return;
    case dbvmCurrent:
        v.oid = ctx.oid;
        return;
    case dbvmFirst:
        v.oid = ctx.tableRow ? ctx.tableRow->firstRow : 0;
        return;
    case dbvmLast:
        v.oid = ctx.tableRow ? ctx.tableRow->lastRow : 0;
        return;
    case dbvmNull:
        v.oid = 0;
        return;
    case dbvmIntConst:
        v.ivalue = node->ivalue;
        return;
    case dbvmRealConst:
        v.fvalue = node->fvalue;
        return;
    case dbvmStringConst:
        setString(v, node->svalue.c_str(), node->svalue.size() + 1);
        return;
    case dbvmOr:
        dbEvaluate(node->operand[0], ctx, a);
        if (a.ivalue) {
            v.ivalue = 1;
            return;
        }
        dbEvaluate(node->operand[1], ctx, b);
        v.ivalue = b.ivalue != 0;
        return;
    case dbvmAnd:
        dbEvaluate(node->operand[0], ctx, a);
        if (!a.ivalue) {
            v.ivalue = 0;
            return;
        }
        dbEvaluate(node->operand[1], ctx, b);
        v.ivalue = b.ivalue != 0;
        return;
    case dbvmNot:
        dbEvaluate(node->operand[0], ctx, a);
        v.ivalue = a.ivalue == 0;
        return;
    case dbvmIsNull:
        dbEvaluate(node->operand[0], ctx, a);
        v.ivalue = a.oid == 0;
        return;
    case dbvmNegInt:
        dbEvaluate(node->operand[0], ctx, a);
        v.ivalue = wrapNeg(a.ivalue);
        return;
    case dbvmAddInt:
    case dbvmSubInt:
    case dbvmMulInt:
    case dbvmDivInt:
    case dbvmAndInt:
    case dbvmOrInt:
    case dbvmPowerInt:
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        switch (cop) {
        case dbvmAddInt:
            v.ivalue = wrapAdd(a.ivalue, b.ivalue);
            break;
        case dbvmSubInt:
            v.ivalue = wrapSub(a.ivalue, b.ivalue);
            break;
        case dbvmMulInt:
            v.ivalue = wrapMul(a.ivalue, b.ivalue);
            break;
        case dbvmDivInt:
            if (b.ivalue == 0)
                fail(ArithmeticError, "Division by zero");
            // The smallest integer divided by -1 wraps instead of trapping.
            v.ivalue = b.ivalue == -1 ? wrapNeg(a.ivalue) : a.ivalue / b.ivalue;
            break;
        case dbvmAndInt:
            v.ivalue = a.ivalue & b.ivalue;
            break;
        case dbvmOrInt:
            v.ivalue = a.ivalue | b.ivalue;
            break;
        default:
            v.ivalue = powerInt(a.ivalue, b.ivalue);
            break;
        }
        return;
    case dbvmNotInt:
        dbEvaluate(node->operand[0], ctx, a);
        v.ivalue = ~a.ivalue;
        return;
    case dbvmAbsInt:
        dbEvaluate(node->operand[0], ctx, a);
        v.ivalue = a.ivalue < 0 ? wrapNeg(a.ivalue) : a.ivalue;
        return;
    case dbvmEqInt:
    case dbvmEqInt + 1:
    case dbvmEqInt + 2:
    case dbvmEqInt + 3:
    case dbvmEqInt + 4:
    case dbvmEqInt + 5: {
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        std::int64_t x = a.ivalue, y = b.ivalue;
        static const auto results = [](int op, bool lt, bool eq) {
            switch (op) {
            case cmpEq:
                return eq;
            case cmpNe:
                return !eq;
            case cmpGt:
                return !lt && !eq;
            case cmpGe:
                return !lt;
            case cmpLt:
                return lt;
            default:
                return lt || eq;
            }
        };
        v.ivalue = results(cop - dbvmEqInt, x < y, x == y);
        return;
    }
    case dbvmBetweenInt:
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        if (a.ivalue < b.ivalue) {
            v.ivalue = 0;
            return;
        }
        dbEvaluate(node->operand[2], ctx, c);
        v.ivalue = a.ivalue <= c.ivalue;
        return;
    case dbvmNegReal:
        dbEvaluate(node->operand[0], ctx, a);
        v.fvalue = -a.fvalue;
        return;
    case dbvmAbsReal:
        dbEvaluate(node->operand[0], ctx, a);
        v.fvalue = std::fabs(a.fvalue);
        return;
    case dbvmAddReal:
    case dbvmSubReal:
    case dbvmMulReal:
    case dbvmDivReal:
    case dbvmPowerReal:
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        switch (cop) {
        case dbvmAddReal:
            v.fvalue = a.fvalue + b.fvalue;
            break;
        case dbvmSubReal:
            v.fvalue = a.fvalue - b.fvalue;
            break;
        case dbvmMulReal:
            v.fvalue = a.fvalue * b.fvalue;
            break;
        case dbvmDivReal:
            if (b.fvalue == 0.0)
                fail(ArithmeticError, "Division by zero");
            v.fvalue = a.fvalue / b.fvalue;
            break;
        default:
            if (a.fvalue < 0)
                fail(ArithmeticError, "Power operator returns complex result");
            if (a.fvalue == 0.0 && b.fvalue < 0)
                fail(ArithmeticError, "Raise zero to negative power");
            v.fvalue = std::pow(a.fvalue, b.fvalue);
            break;
        }
        return;
    case dbvmPowerRealInt:
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        v.fvalue = powerRealInt(a.fvalue, b.ivalue);
        return;
    case dbvmEqReal:
    case dbvmEqReal + 1:
    case dbvmEqReal + 2:
    case dbvmEqReal + 3:
    case dbvmEqReal + 4:
    case dbvmEqReal + 5: {
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        double x = a.fvalue, y = b.fvalue;
        switch (cop - dbvmEqReal) {
        case cmpEq:
            v.ivalue = x == y;
            break;
        case cmpNe:
            v.ivalue = x != y;
            break;
        case cmpGt:
            v.ivalue = x > y;
            break;
        case cmpGe:
            v.ivalue = x >= y;
            break;
        case cmpLt:
            v.ivalue = x < y;
            break;
        default:
            v.ivalue = x <= y;
            break;
        }
        return;
    }
    case dbvmBetweenReal:
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        if (a.fvalue < b.fvalue) {
            v.ivalue = 0;
            return;
        }
        dbEvaluate(node->operand[2], ctx, c);
        v.ivalue = a.fvalue <= c.fvalue;
        return;
    case dbvmEqString:
    case dbvmEqString + 1:
    case dbvmEqString + 2:
    case dbvmEqString + 3:
    case dbvmEqString + 4:
    case dbvmEqString + 5:
    case dbvmEqBinary:
    case dbvmEqBinary + 1:
    case dbvmEqBinary + 2:
    case dbvmEqBinary + 3:
    case dbvmEqBinary + 4:
    case dbvmEqBinary + 5: {
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        const bool str = cop >= dbvmEqString;
        int d = str ? compareStrings(a, b) : node->comparator(a.ptr, b.ptr, node->offs);
        switch (cop - (str ? dbvmEqString : dbvmEqBinary)) {
        case cmpEq:
            v.ivalue = d == 0;
            break;
        case cmpNe:
            v.ivalue = d != 0;
            break;
        case cmpGt:
            v.ivalue = d > 0;
            break;
        case cmpGe:
            v.ivalue = d >= 0;
            break;
        case cmpLt:
            v.ivalue = d < 0;
            break;
        default:
            v.ivalue = d <= 0;
            break;
        }
        return;
    }
    case dbvmBetweenString:
    case dbvmBetweenBinary: {
        const bool str = cop == dbvmBetweenString;
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        if ((str ? compareStrings(a, b) : node->comparator(a.ptr, b.ptr, node->offs)) < 0) {
            v.ivalue = 0;
            return;
        }
        dbEvaluate(node->operand[2], ctx, c);
        v.ivalue = (str ? compareStrings(a, c) : node->comparator(a.ptr, c.ptr, node->offs)) <= 0;
        return;
    }
    case dbvmEqBool:
    case dbvmNeBool:
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        v.ivalue = ((a.ivalue != 0) == (b.ivalue != 0)) == (cop == dbvmEqBool);
        return;
    case dbvmEqReference:
    case dbvmNeReference:
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        v.ivalue = (a.oid == b.oid) == (cop == dbvmEqReference);
        return;
    case dbvmLike:
    case dbvmLikeEsc: {
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        int escape = -1;
        if (cop == dbvmLikeEsc && !node->operand[2]->svalue.empty())
            escape = (unsigned char)node->operand[2]->svalue[0];
        v.ivalue = dbMatchLike(a.ptr, a.length - 1, b.ptr, b.length - 1, escape);
        return;
    }
    case dbvmUpper:
    case dbvmLower:
        dbEvaluate(node->operand[0], ctx, a);
        copyCase(ctx, a, v, cop == dbvmUpper);
        return;
    case dbvmIntToReference:
        dbEvaluate(node->operand[0], ctx, a);
        v.oid = oid_t(std::uint64_t(a.ivalue));
        return;
    case dbvmIntToReal:
        dbEvaluate(node->operand[0], ctx, a);
        v.fvalue = double(a.ivalue);
        return;
    case dbvmRealToInt:
        dbEvaluate(node->operand[0], ctx, a);
        v.ivalue = realToInt(a.fvalue);
        return;
    case dbvmIntToString:
    case dbvmRealToString: {
        dbEvaluate(node->operand[0], ctx, a);
        // Formatted without the C locale: a decimal point whatever the process's locale.
        char buf[400];
        std::to_chars_result r = cop == dbvmIntToString ? std::to_chars(buf, buf + sizeof buf - 1, a.ivalue)
                                                        : std::to_chars(buf, buf + sizeof buf - 1, a.fvalue,
                                                                        std::chars_format::fixed, 6);
        std::size_t n = r.ec == std::errc() ? std::size_t(r.ptr - buf) : 0;
        char* out = scratchString(ctx, n + 1);
        std::memcpy(out, buf, n);
        out[n] = '\0';
        setString(v, out, n + 1);
        return;
    }
    case dbvmStringConcat: {
        dbEvaluate(node->operand[0], ctx, a);
        dbEvaluate(node->operand[1], ctx, b);
        std::size_t n = std::size_t(a.length) - 1 + b.length;
        char* out = scratchString(ctx, n);
        std::memcpy(out, a.ptr, a.length - 1);
        std::memcpy(out + a.length - 1, b.ptr, b.length);
        setString(v, out, n);
        return;
    }
    case dbvmDeref: {
        dbEvaluate(node->operand[0], ctx, a);
        if (a.oid == 0)
            fail(NullReferenceError, "Null object reference is accessed\n");
        const dbRecord* r = ctx.db->getRow(a.oid);
        // Rows carry no table id: a row shorter than the referenced table's fixed part is not one
        // of its rows, and reading its fields would leave the row.
        if (node->refTable && r->size < node->refTable->fixedSize)
            corrupt();
        v.ptr = reinterpret_cast<const char*>(r);
        v.end = v.ptr + r->size;
        v.oid = a.oid;
        return;
    }
    case dbvmExists: {
        const int k = node->offs;
        for (std::uint32_t i = 0;; i++) {
            ctx.variables[k].index = i;
            ctx.variables[k].accesses = 0;
            try {
                dbEvaluate(node->operand[0], ctx, a);
            } catch (const ExistsEnd& e) {
                if (e.variable != k)
                    throw;
                v.ivalue = 0;
                return;
            }
            if (a.ivalue) {
                v.ivalue = 1;
                return;
            }
            // An iteration that never indexed with the variable cannot depend on it: every
            // further iteration would give the same false.
            if (ctx.variables[k].accesses == 0) {
                v.ivalue = 0;
                return;
            }
        }
    }
    case dbvmVariable:
        v.ivalue = ctx.variables[node->offs].index;
        return;
    case dbvmVoid:
        v.ivalue = 1;
        return;
    default:
        if (cop >= dbvmFuncBase && cop < dbvmFuncBase + 24) {
            callUserFunction(node, ctx, v);
            return;
        }
        fail(QueryError, "Operation cannot be evaluated");
    }
}

bool dbTestCondition(dbDatabase& db, const dbExprNode* condition, oid_t oid, const dbTable* tableRow,
                     std::size_t fixedSize, const char* parameterBase)
{
    if (!condition || condition->cop == dbvmVoid)
        return true;
    dbEvaluationContext ctx;
    ctx.db = &db;
    ctx.tableRow = tableRow;
    ctx.parameterBase = parameterBase;
    ctx.setRow(oid, fixedSize);
    dbValue v;
    dbEvaluate(condition, ctx, v);
    return v.ivalue != 0;
}
