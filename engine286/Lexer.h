#pragma once

#include "engine286/QueryElement.h"

#include <cstdint>
#include <string>
#include <unordered_set>

// Tokens of the query language. The codes of keywords are also their tags in the symbol table.
enum dbToken {
    tkn_ident = 0,
    tkn_lpar = 1,
    tkn_rpar = 2,
    tkn_lbr = 3,
    tkn_rbr = 4,
    tkn_dot = 5,
    tkn_comma = 6,
    tkn_power = 7,
    tkn_iconst = 8,
    tkn_sconst = 9,
    tkn_fconst = 10,
    tkn_add = 11, // "+" and "||"
    tkn_sub = 12,
    tkn_mul = 13,
    tkn_div = 14,
    tkn_and = 15,
    tkn_or = 16,
    tkn_not = 17,
    tkn_null = 18,
    tkn_eq = 20,
    tkn_ne = 21, // "<>" and "!="
    tkn_gt = 22,
    tkn_ge = 23,
    tkn_lt = 24,
    tkn_le = 25,
    tkn_between = 26,
    tkn_escape = 27,
    tkn_exists = 28,
    tkn_like = 29,
    tkn_in = 30,
    tkn_length = 31,
    tkn_lower = 32,
    tkn_upper = 33,
    tkn_abs = 34,
    tkn_is = 35,
    tkn_integer = 36,
    tkn_real = 37,
    tkn_string = 38,
    tkn_first = 39,
    tkn_last = 40,
    tkn_current = 41,
    tkn_var = 42, // a bound parameter
    tkn_col = 43,
    tkn_true = 44,
    tkn_false = 45,
    tkn_where = 46,
    tkn_follow = 47,
    tkn_start = 48,
    tkn_from = 49,
    tkn_order = 50,
    tkn_by = 51,
    tkn_asc = 52,
    tkn_desc = 53,
    tkn_eof = 54,
    tkn_insert = 55,
    tkn_into = 56,
    tkn_select = 57,
    tkn_table = 58,
    tkn_all = 60,
};

// A lexical error: its message and the position of the offending text, counted from the start
// of the line that holds it. The compiler catches it and reports a query error.
struct dbQueryError {
    const char* message;
    int position;
};

// Cuts a list of query elements into tokens. One lexer belongs to one compiler object (one per
// thread), so it is never shared between threads.
class dbLexer {
public:
    enum { maxStringLength = 4096, maxNameLength = 4096 };

    // Starts on a new element list. lineOffset is added to every reported position.
    void reset(const dbQueryElement* first, int lineOffset = 0);
    // The next token; literal values, the name or the parameter are left in the members below.
    // Throws dbQueryError.
    int get();
    // Makes the next get() return tkn.
    void unget(int tkn)
    {
        pushedBack = true;
        pushedToken = tkn;
    }
    // Reports a compilation error at pos (default: the current position). Never returns.
    [[noreturn]] void error(const char* msg, int pos = -1);

    // Position state (offsets into the current element's text).
    int currPos = 0;
    int firstPos = 0;
    int lineAdjustment = 0;

    // Values of the last literals.
    std::int64_t ivalue = 0;
    double fvalue = 0;
    std::string svalue; // without the terminating zero; svalueLength counts it
    int svalueLength = 0;

    // The last identifier. Names of tables and fields and keywords come from the symbol table;
    // other names are kept by the lexer (the same text gives the same pointer until the next
    // reset), so that names in query texts never make the process-wide table grow.
    const char* name = nullptr;

    // The last parameter.
    int paramType = 0;
    const void* paramAddress = nullptr;
    class dbTableDescriptor* paramTable = nullptr;

private:
    int scan();
    int scanNumber(const char* text, int start);

    const dbQueryElement* element = nullptr;
    bool pushedBack = false;
    int pushedToken = 0;
    std::unordered_set<std::string> localNames;
};
