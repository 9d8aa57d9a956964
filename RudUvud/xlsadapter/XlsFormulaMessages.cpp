#include "RudUvud/xlsadapter/XlsFormulaMessages.h"

#include "RudUvud/xlsadapter/XlsMessages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/FormatSettings.h"

#include <charconv>
#include <cmath>

namespace zivXlsFormulaMessages {
const char* const fmErrNull = "#NULL!";
const char* const fmErrDiv0 = "#DIV/0!";
const char* const fmErrValue = "#VALUE!";
const char* const fmErrRef = "#REF!";
const char* const fmErrName = "#NAME?";
const char* const fmErrNum = "#NUM!";
const char* const fmErrNA = "#N/A";
const char* const fmErrUnknown = "#TABRIX_UNKNOWN";
const char* const fmErrStart = "#";
const char* const fmTrue = "TRUE";
const char* const fmFalse = "FALSE";
const char* const fmStartFormula = "=";
const char* const fmFormulaDecimal = ".";
const char* const fmFormulaThousands = ",";
const char* const fmFunctionSep = ",";
const char* const fmUnion = ",";
const char* const fmIntersect = " ";
const char* const fmSingleQuote = "'";
const char* const fmOpenArray = "{";
const char* const fmCloseArray = "}";
const char* const fmOpenParen = "(";
const char* const fmCloseParen = ")";
const char* const fmArrayRowSep = ";";
const char* const fmArrayColSep = ",";
const char* const fmAbsoluteRef = "$";
const char* const fmRangeSep = ":";
const char* const fmExternalRef = "!";
const char* const fmWorkbookOpen = "[";
const char* const fmWorkbookClose = "]";
const char* const fmTableText = "TABLE";
const char* const fmPlus = "+";
const char* const fmMinus = "-";
const char* const fmMul = "*";
const char* const fmDiv = "/";
const char* const fmPower = "^";
const char* const fmPercent = "%";
const char* const fmStr = "\"";
const char* const fmAnd = "&";
const char* const fmLT = "<";
const char* const fmLE = "<=";
const char* const fmEQ = "=";
const char* const fmGE = ">=";
const char* const fmGT = ">";
const char* const fmNE = "<>";

const char* const ErrStringStackEmpty = "String Stack is empty";
const char* const ErrWhiteSpaceStackEmpty = "WhiteSpace Stack is empty";
const char* const ErrExternalNames = "External names are not supported: ";
const char* const ErrArrayFormulas = "Writing array formulas is not yet supported";
const char* const ErrNoReferences = "References must not be nil";
const char* const ErrFormulaTooDeep = "Formula nested too deeply: \"%s\"";
} // namespace zivXlsFormulaMessages

using namespace zivXlsFormulaMessages;

namespace {

struct TFuncRow {
    Integer Index;
    const char* Name;
    Integer MinArgs;
    Integer MaxArgs;
    bool Volatile;
    TFmReturnType Result;
    const char* Classes;
};

// The functions of the BIFF8 numbering; every number missing here is a placeholder.
constexpr TFuncRow FuncRows[] = {
    {0, "COUNT", 0, 30, false, fmValue, "R"},
    {1, "IF", 2, 3, false, fmRef, "VRR"},
    {2, "ISNA", 1, 1, false, fmValue, "V"},
    {3, "ISERROR", 1, 1, false, fmValue, "V"},
    {4, "SUM", 0, 30, false, fmValue, "R"},
    {5, "AVERAGE", 1, 30, false, fmValue, "R"},
    {6, "MIN", 1, 30, false, fmValue, "R"},
    {7, "MAX", 1, 30, false, fmValue, "R"},
    {8, "ROW", 0, 1, false, fmValue, "R"},
    {9, "COLUMN", 0, 1, false, fmValue, "R"},
    {10, "NA", 0, 0, false, fmValue, "-"},
    {11, "NPV", 2, 30, false, fmValue, "VR"},
    {12, "STDEV", 1, 30, false, fmValue, "R"},
    {13, "DOLLAR", 1, 2, false, fmValue, "VV"},
    {14, "FIXED", 1, 3, false, fmValue, "VVV"},
    {15, "SIN", 1, 1, false, fmValue, "V"},
    {16, "COS", 1, 1, false, fmValue, "V"},
    {17, "TAN", 1, 1, false, fmValue, "V"},
    {18, "ATAN", 1, 1, false, fmValue, "V"},
    {19, "PI", 0, 0, false, fmValue, "-"},
    {20, "SQRT", 1, 1, false, fmValue, "V"},
    {21, "EXP", 1, 1, false, fmValue, "V"},
    {22, "LN", 1, 1, false, fmValue, "V"},
    {23, "LOG10", 1, 1, false, fmValue, "V"},
    {24, "ABS", 1, 1, false, fmValue, "V"},
    {25, "INT", 1, 1, false, fmValue, "V"},
    {26, "SIGN", 1, 1, false, fmValue, "V"},
    {27, "ROUND", 2, 2, false, fmValue, "VV"},
    {28, "LOOKUP", 2, 3, false, fmValue, "VRR"},
    {29, "INDEX", 2, 4, false, fmRef, "RVVV"},
    {30, "REPT", 2, 2, false, fmValue, "VV"},
    {31, "MID", 3, 3, false, fmValue, "VVV"},
    {32, "LEN", 1, 1, false, fmValue, "V"},
    {33, "VALUE", 1, 1, false, fmValue, "V"},
    {34, "TRUE", 0, 0, false, fmValue, "-"},
    {35, "FALSE", 0, 0, false, fmValue, "-"},
    {36, "AND", 1, 30, false, fmValue, "R"},
    {37, "OR", 1, 30, false, fmValue, "R"},
    {38, "NOT", 1, 1, false, fmValue, "V"},
    {39, "MOD", 2, 2, false, fmValue, "VV"},
    {40, "DCOUNT", 3, 3, false, fmValue, "RRR"},
    {41, "DSUM", 3, 3, false, fmValue, "RRR"},
    {42, "DAVERAGE", 3, 3, false, fmValue, "RRR"},
    {43, "DMIN", 3, 3, false, fmValue, "RRR"},
    {44, "DMAX", 3, 3, false, fmValue, "RRR"},
    {45, "DSTDEV", 3, 3, false, fmValue, "RRR"},
    {46, "VAR", 1, 30, false, fmValue, "R"},
    {47, "DVAR", 3, 3, false, fmValue, "RRR"},
    {48, "TEXT", 2, 2, false, fmValue, "VV"},
    {49, "LINEST", 1, 4, false, fmArray, "RRVV"},
    {50, "TREND", 1, 4, false, fmArray, "RRRV"},
    {51, "LOGEST", 1, 4, false, fmArray, "RRVV"},
    {52, "GROWTH", 1, 4, false, fmArray, "RRRV"},
    {56, "PV", 3, 5, false, fmValue, "VVVVV"},
    {57, "FV", 3, 5, false, fmValue, "VVVVV"},
    {58, "NPER", 3, 5, false, fmValue, "VVVVV"},
    {59, "PMT", 3, 5, false, fmValue, "VVVVV"},
    {60, "RATE", 3, 6, false, fmValue, "VVVVVV"},
    {61, "MIRR", 3, 3, false, fmValue, "RVV"},
    {62, "IRR", 1, 2, false, fmValue, "RV"},
    {63, "RAND", 0, 0, true, fmValue, "-"},
    {64, "MATCH", 2, 3, false, fmValue, "VRR"},
    {65, "DATE", 3, 3, false, fmValue, "VVV"},
    {66, "TIME", 3, 3, false, fmValue, "VVV"},
    {67, "DAY", 1, 1, false, fmValue, "V"},
    {68, "MONTH", 1, 1, false, fmValue, "V"},
    {69, "YEAR", 1, 1, false, fmValue, "V"},
    {70, "WEEKDAY", 1, 2, false, fmValue, "VV"},
    {71, "HOUR", 1, 1, false, fmValue, "V"},
    {72, "MINUTE", 1, 1, false, fmValue, "V"},
    {73, "SECOND", 1, 1, false, fmValue, "V"},
    {74, "NOW", 0, 0, true, fmValue, "-"},
    {75, "AREAS", 1, 1, false, fmValue, "R"},
    {76, "ROWS", 1, 1, false, fmValue, "R"},
    {77, "COLUMNS", 1, 1, false, fmValue, "R"},
    {78, "OFFSET", 3, 5, true, fmRef, "RVVVV"},
    {82, "SEARCH", 2, 3, false, fmValue, "VVV"},
    {83, "TRANSPOSE", 1, 1, false, fmArray, "A"},
    {86, "TYPE", 1, 1, false, fmValue, "V"},
    {97, "ATAN2", 2, 2, false, fmValue, "VV"},
    {98, "ASIN", 1, 1, false, fmValue, "V"},
    {99, "ACOS", 1, 1, false, fmValue, "V"},
    {100, "CHOOSE", 2, 30, false, fmRef, "VR"},
    {101, "HLOOKUP", 3, 4, false, fmValue, "VRRV"},
    {102, "VLOOKUP", 3, 4, false, fmValue, "VRRV"},
    {105, "ISREF", 1, 1, false, fmValue, "R"},
    {109, "LOG", 1, 2, false, fmValue, "VV"},
    {111, "CHAR", 1, 1, false, fmValue, "V"},
    {112, "LOWER", 1, 1, false, fmValue, "V"},
    {113, "UPPER", 1, 1, false, fmValue, "V"},
    {114, "PROPER", 1, 1, false, fmValue, "V"},
    {115, "LEFT", 1, 2, false, fmValue, "VV"},
    {116, "RIGHT", 1, 2, false, fmValue, "VV"},
    {117, "EXACT", 2, 2, false, fmValue, "VV"},
    {118, "TRIM", 1, 1, false, fmValue, "V"},
    {119, "REPLACE", 4, 4, false, fmValue, "VVVV"},
    {120, "SUBSTITUTE", 3, 4, false, fmValue, "VVVV"},
    {121, "CODE", 1, 1, false, fmValue, "V"},
    {124, "FIND", 2, 3, false, fmValue, "VVV"},
    {125, "CELL", 1, 2, true, fmValue, "VR"},
    {126, "ISERR", 1, 1, false, fmValue, "V"},
    {127, "ISTEXT", 1, 1, false, fmValue, "V"},
    {128, "ISNUMBER", 1, 1, false, fmValue, "V"},
    {129, "ISBLANK", 1, 1, false, fmValue, "V"},
    {130, "T", 1, 1, false, fmValue, "R"},
    {131, "N", 1, 1, false, fmValue, "R"},
    {140, "DATEVALUE", 1, 1, false, fmValue, "V"},
    {141, "TIMEVALUE", 1, 1, false, fmValue, "V"},
    {142, "SLN", 3, 3, false, fmValue, "VVV"},
    {143, "SYD", 4, 4, false, fmValue, "VVVV"},
    {144, "DDB", 4, 5, false, fmValue, "VVVVV"},
    {148, "INDIRECT", 1, 2, true, fmRef, "VV"},
    {162, "CLEAN", 1, 1, false, fmValue, "V"},
    {163, "MDETERM", 1, 1, false, fmValue, "A"},
    {164, "MINVERSE", 1, 1, false, fmArray, "A"},
    {165, "MMULT", 2, 2, false, fmArray, "AA"},
    {167, "IPMT", 4, 6, false, fmValue, "VVVVVV"},
    {168, "PPMT", 4, 6, false, fmValue, "VVVVVV"},
    {169, "COUNTA", 0, 30, false, fmValue, "R"},
    {183, "PRODUCT", 0, 30, false, fmValue, "R"},
    {184, "FACT", 1, 1, false, fmValue, "V"},
    {189, "DPRODUCT", 3, 3, false, fmValue, "RRR"},
    {190, "ISNONTEXT", 1, 1, false, fmValue, "V"},
    {193, "STDEVP", 1, 30, false, fmValue, "R"},
    {194, "VARP", 1, 30, false, fmValue, "R"},
    {195, "DSTDEVP", 3, 3, false, fmValue, "RRR"},
    {196, "DVARP", 3, 3, false, fmValue, "RRR"},
    {197, "TRUNC", 1, 2, false, fmValue, "VV"},
    {198, "ISLOGICAL", 1, 1, false, fmValue, "V"},
    {199, "DCOUNTA", 3, 3, false, fmValue, "RRR"},
    {204, "USDOLLAR", 1, 2, false, fmValue, "VV"},
    {205, "FINDB", 2, 3, false, fmValue, "VVV"},
    {206, "SEARCHB", 2, 3, false, fmValue, "VVV"},
    {207, "REPLACEB", 4, 4, false, fmValue, "VVVV"},
    {208, "LEFTB", 1, 2, false, fmValue, "VV"},
    {209, "RIGHTB", 1, 2, false, fmValue, "VV"},
    {210, "MIDB", 3, 3, false, fmValue, "VVV"},
    {211, "LENB", 1, 1, false, fmValue, "V"},
    {212, "ROUNDUP", 2, 2, false, fmValue, "VV"},
    {213, "ROUNDDOWN", 2, 2, false, fmValue, "VV"},
    {214, "ASC", 1, 1, false, fmValue, "V"},
    {215, "DBCS", 1, 1, false, fmValue, "V"},
    {216, "RANK", 2, 3, false, fmValue, "VRV"},
    {219, "ADDRESS", 2, 5, false, fmValue, "VVVVV"},
    {220, "DAYS360", 2, 3, false, fmValue, "VVV"},
    {221, "TODAY", 0, 0, true, fmValue, "-"},
    {222, "VDB", 5, 7, false, fmValue, "VVVVVVV"},
    {227, "MEDIAN", 1, 30, false, fmValue, "R"},
    {228, "SUMPRODUCT", 1, 30, false, fmValue, "A"},
    {229, "SINH", 1, 1, false, fmValue, "V"},
    {230, "COSH", 1, 1, false, fmValue, "V"},
    {231, "TANH", 1, 1, false, fmValue, "V"},
    {232, "ASINH", 1, 1, false, fmValue, "V"},
    {233, "ACOSH", 1, 1, false, fmValue, "V"},
    {234, "ATANH", 1, 1, false, fmValue, "V"},
    {235, "DGET", 3, 3, false, fmValue, "RRR"},
    {244, "INFO", 1, 1, false, fmValue, "V"},
    {247, "DB", 4, 5, false, fmValue, "VVVVV"},
    {252, "FREQUENCY", 2, 2, false, fmArray, "RR"},
    {261, "ERROR.TYPE", 1, 1, false, fmValue, "V"},
    {269, "AVEDEV", 1, 30, false, fmValue, "R"},
    {270, "BETADIST", 3, 5, false, fmValue, "VVVVV"},
    {271, "GAMMALN", 1, 1, false, fmValue, "V"},
    {272, "BETAINV", 3, 5, false, fmValue, "VVVVV"},
    {273, "BINOMDIST", 4, 4, false, fmValue, "VVVV"},
    {274, "CHIDIST", 2, 2, false, fmValue, "VV"},
    {275, "CHIINV", 2, 2, false, fmValue, "VV"},
    {276, "COMBIN", 2, 2, false, fmValue, "VV"},
    {277, "CONFIDENCE", 3, 3, false, fmValue, "VVV"},
    {278, "CRITBINOM", 3, 3, false, fmValue, "VVV"},
    {279, "EVEN", 1, 1, false, fmValue, "V"},
    {280, "EXPONDIST", 3, 3, false, fmValue, "VVV"},
    {281, "FDIST", 3, 3, false, fmValue, "VVV"},
    {282, "FINV", 3, 3, false, fmValue, "VVV"},
    {283, "FISHER", 1, 1, false, fmValue, "V"},
    {284, "FISHERINV", 1, 1, false, fmValue, "V"},
    {285, "FLOOR", 2, 2, false, fmValue, "VV"},
    {286, "GAMMADIST", 4, 4, false, fmValue, "VVVV"},
    {287, "GAMMAINV", 3, 3, false, fmValue, "VVV"},
    {288, "CEILING", 2, 2, false, fmValue, "VV"},
    {289, "HYPGEOMDIST", 4, 4, false, fmValue, "VVVV"},
    {290, "LOGNORMDIST", 3, 3, false, fmValue, "VVV"},
    {291, "LOGINV", 3, 3, false, fmValue, "VVV"},
    {292, "NEGBINOMDIST", 3, 3, false, fmValue, "VVV"},
    {293, "NORMDIST", 4, 4, false, fmValue, "VVVV"},
    {294, "NORMSDIST", 1, 1, false, fmValue, "V"},
    {295, "NORMINV", 3, 3, false, fmValue, "VVV"},
    {296, "NORMSINV", 1, 1, false, fmValue, "V"},
    {297, "STANDARDIZE", 3, 3, false, fmValue, "VVV"},
    {298, "ODD", 1, 1, false, fmValue, "V"},
    {299, "PERMUT", 2, 2, false, fmValue, "VV"},
    {300, "POISSON", 3, 3, false, fmValue, "VVV"},
    {301, "TDIST", 3, 3, false, fmValue, "VVV"},
    {302, "WEIBULL", 4, 4, false, fmValue, "VVVV"},
    {303, "SUMXMY2", 2, 2, false, fmValue, "AA"},
    {304, "SUMX2MY2", 2, 2, false, fmValue, "AA"},
    {305, "SUMX2PY2", 2, 2, false, fmValue, "AA"},
    {306, "CHITEST", 2, 2, false, fmValue, "AA"},
    {307, "CORREL", 2, 2, false, fmValue, "AA"},
    {308, "COVAR", 2, 2, false, fmValue, "AA"},
    {309, "FORECAST", 3, 3, false, fmValue, "VAA"},
    {310, "FTEST", 2, 2, false, fmValue, "AA"},
    {311, "INTERCEPT", 2, 2, false, fmValue, "AA"},
    {312, "PEARSON", 2, 2, false, fmValue, "AA"},
    {313, "RSQ", 2, 2, false, fmValue, "AA"},
    {314, "STEYX", 2, 2, false, fmValue, "AA"},
    {315, "SLOPE", 2, 2, false, fmValue, "AA"},
    {316, "TTEST", 4, 4, false, fmValue, "AAVV"},
    {317, "PROB", 3, 4, false, fmValue, "AAVV"},
    {318, "DEVSQ", 1, 30, false, fmValue, "R"},
    {319, "GEOMEAN", 1, 30, false, fmValue, "R"},
    {320, "HARMEAN", 1, 30, false, fmValue, "R"},
    {321, "SUMSQ", 0, 30, false, fmValue, "R"},
    {322, "KURT", 1, 30, false, fmValue, "R"},
    {323, "SKEW", 1, 30, false, fmValue, "R"},
    {324, "ZTEST", 2, 3, false, fmValue, "RVV"},
    {325, "LARGE", 2, 2, false, fmValue, "RV"},
    {326, "SMALL", 2, 2, false, fmValue, "RV"},
    {327, "QUARTILE", 2, 2, false, fmValue, "RV"},
    {328, "PERCENTILE", 2, 2, false, fmValue, "RV"},
    {329, "PERCENTRANK", 2, 3, false, fmValue, "RVV"},
    {330, "MODE", 1, 30, false, fmValue, "A"},
    {331, "TRIMMEAN", 2, 2, false, fmValue, "RV"},
    {332, "TINV", 2, 2, false, fmValue, "VV"},
    {336, "CONCATENATE", 0, 30, false, fmValue, "V"},
    {337, "POWER", 2, 2, false, fmValue, "VV"},
    {342, "RADIANS", 1, 1, false, fmValue, "V"},
    {343, "DEGREES", 1, 1, false, fmValue, "V"},
    {344, "SUBTOTAL", 2, 30, false, fmValue, "VR"},
    {345, "SUMIF", 2, 3, false, fmValue, "RVR"},
    {346, "COUNTIF", 2, 2, false, fmValue, "RV"},
    {347, "COUNTBLANK", 1, 1, false, fmValue, "R"},
    {350, "ISPMT", 4, 4, false, fmValue, "VVVV"},
    {351, "DATEDIF", 3, 3, false, fmValue, "VVV"},
    {352, "DATESTRING", 1, 1, false, fmValue, "V"},
    {353, "NUMBERSTRING", 2, 2, false, fmValue, "VV"},
    {354, "ROMAN", 1, 2, false, fmValue, "VV"},
    {358, "GETPIVOTDATA", 2, 30, false, fmValue, "V"},
    {359, "HYPERLINK", 1, 2, false, fmValue, "VV"},
    {360, "PHONETIC", 1, 1, false, fmValue, "R"},
    {361, "AVERAGEA", 1, 30, false, fmValue, "R"},
    {362, "MAXA", 1, 30, false, fmValue, "R"},
    {363, "MINA", 1, 30, false, fmValue, "R"},
    {364, "STDEVPA", 1, 30, false, fmValue, "R"},
    {365, "VARPA", 1, 30, false, fmValue, "R"},
    {366, "STDEVA", 1, 30, false, fmValue, "R"},
    {367, "VARA", 1, 30, false, fmValue, "R"},
};

std::array<TCellFunctionData, FuncNameCount> BuildTable()
{
    std::array<TCellFunctionData, FuncNameCount> t;
    for (Integer i = 0; i < FuncNameCount; ++i) {
        t[i].FuncIndex = i;
        t[i].FuncName = FmWide("NotAFunction" + IntToStr(i));
    }
    for (const TFuncRow& r : FuncRows) {
        TCellFunctionData& d = t[r.Index];
        d.FuncName = FmWide(r.Name);
        d.MinArgs = r.MinArgs;
        d.MaxArgs = r.MaxArgs;
        d.IsVolatile = r.Volatile;
        d.ResultClass = r.Result;
        d.ArgClasses = FmWide(r.Classes);
    }
    return t;
}

} // namespace

const std::array<TCellFunctionData, FuncNameCount>& FuncNameArray()
{
    static const std::array<TCellFunctionData, FuncNameCount> table = BuildTable();
    return table;
}

Integer FindFuncByName(const WideString& UpperName)
{
    const auto& t = FuncNameArray();
    for (Integer i = 0; i < FuncNameCount; ++i)
        if (t[i].FuncName == UpperName)
            return i;
    return -1;
}

TFmReturnType FuncArgClass(const TCellFunctionData& Func, Integer ArgIndex)
{
    if (Func.ArgClasses.empty())
        XlsError(zivXlsMessages::ErrInternal);
    const size_t k = ArgIndex < 0 ? 0 : static_cast<size_t>(ArgIndex);
    const char16_t c = Func.ArgClasses[k < Func.ArgClasses.size() ? k : Func.ArgClasses.size() - 1];
    switch (c) {
    case u'V':
    case u'-':
        return fmValue;
    case u'R':
        return fmRef;
    case u'A':
        return fmArray;
    default:
        XlsError(zivXlsMessages::ErrInternal);
    }
}

const std::array<TFmErrorCode, FmErrorCount>& FmErrorCodes()
{
    static const std::array<TFmErrorCode, FmErrorCount> codes = {{{0x00, &fmErrNull},
                                                                  {0x07, &fmErrDiv0},
                                                                  {0x0F, &fmErrValue},
                                                                  {0x17, &fmErrRef},
                                                                  {0x1D, &fmErrName},
                                                                  {0x24, &fmErrNum},
                                                                  {0x2A, &fmErrNA}}};
    return codes;
}

AnsiString FmErrorText(Byte Code)
{
    for (const TFmErrorCode& e : FmErrorCodes())
        if (e.Code == Code)
            return *e.Text;
    return fmErrUnknown;
}

AnsiString FmFloatToStr(Extended Value)
{
    // The shortest text (15, 16 or 17 significant digits) that reads back as the same double:
    // 15 digits alone turn 1/3 into another number and the largest double into one that
    // overflows, so the formula could not be entered again as it was.
    TFormatSettings fs = FormatSettings;
    fs.DecimalSeparator = fmFormulaDecimal[0];
    fs.ThousandSeparator = fmFormulaThousands[0];
    if (!std::isfinite(Value))
        return FloatToStr(Value, fs);
    AnsiString s;
    for (Integer digits = 15; digits <= 17; ++digits) {
        s = FloatToStrF(Value, ffGeneral, digits, 0, fs);
        double back = 0;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), back);
        if (ec == std::errc() && end == s.data() + s.size() && back == Value)
            break;
    }
    return s;
}

Extended FmStrToFloat(const AnsiString& Text)
{
    AnsiString s;
    s.reserve(Text.size());
    const char thousands = FormatSettings.ThousandSeparator;
    const char decimal = FormatSettings.DecimalSeparator;
    for (char c : Text) {
        if (thousands != fmFormulaThousands[0] && c == fmFormulaThousands[0])
            continue;
        if (decimal != fmFormulaDecimal[0] && c == fmFormulaDecimal[0])
            c = decimal;
        s += c;
    }
    return StrToFloat(s);
}

WideString FmWide(const AnsiString& Text)
{
    WideString w;
    w.reserve(Text.size());
    for (unsigned char c : Text)
        w += static_cast<char16_t>(c);
    return w;
}
