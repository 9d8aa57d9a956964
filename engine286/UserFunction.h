#pragma once

#include "engine286/Format.h"

#include <cstdint>

// Functions of the application that queries may call by name. A dbUserFunction object registers
// its function for as long as it lives (usually a static object); the query compiler finds it by
// its interned name. The function's signature decides its kind:
//
//   kinds 0-11   one argument of type integer, real or string (in that order within each group of
//                three), returning boolean (0-2), integer (3-5), real (6-8) or string (9-11);
//   kinds 12-15  one argument of any type, passed as a dbUserFunctionArgument;
//   kinds 16-19  two such arguments; kinds 20-23 three; each group returning boolean, integer,
//                real or string in that order.
//
// In a condition a function is called with the term that follows its name: "f x", "f(x)" or, with
// several arguments, "f(x, y)". A two-argument function may also stand between its arguments as
// an operator: "x f y". A string result must be allocated with new[]: the evaluator copies it and
// frees it with delete[]. A function may throw; the select that called it then fails with the
// exception.
struct dbUserFunctionArgument {
    enum dbArgumentType {
        atInteger = 0,
        atBoolean = 1,
        atString = 2,
        atReal = 3,
        atReference = 4,
        atRawBinary = 5,
    };
    dbArgumentType type;
    union {
        std::int64_t intValue;
        bool boolValue;
        const char* strValue;
        double realValue;
        oid_t oidValue;
        const void* rawValue;
    } u;
};

class dbUserFunction {
public:
    typedef dbUserFunctionArgument& Arg;

    dbUserFunction(const char* name, bool (*f)(std::int64_t)) { bind(name, (void*)f, 0); }
    dbUserFunction(const char* name, bool (*f)(double)) { bind(name, (void*)f, 1); }
    dbUserFunction(const char* name, bool (*f)(const char*)) { bind(name, (void*)f, 2); }
    dbUserFunction(const char* name, std::int64_t (*f)(std::int64_t)) { bind(name, (void*)f, 3); }
    dbUserFunction(const char* name, std::int64_t (*f)(double)) { bind(name, (void*)f, 4); }
    dbUserFunction(const char* name, std::int64_t (*f)(const char*)) { bind(name, (void*)f, 5); }
    dbUserFunction(const char* name, double (*f)(std::int64_t)) { bind(name, (void*)f, 6); }
    dbUserFunction(const char* name, double (*f)(double)) { bind(name, (void*)f, 7); }
    dbUserFunction(const char* name, double (*f)(const char*)) { bind(name, (void*)f, 8); }
    dbUserFunction(const char* name, char* (*f)(std::int64_t)) { bind(name, (void*)f, 9); }
    dbUserFunction(const char* name, char* (*f)(double)) { bind(name, (void*)f, 10); }
    dbUserFunction(const char* name, char* (*f)(const char*)) { bind(name, (void*)f, 11); }

    dbUserFunction(const char* name, bool (*f)(Arg)) { bind(name, (void*)f, 12); }
    dbUserFunction(const char* name, std::int64_t (*f)(Arg)) { bind(name, (void*)f, 13); }
    dbUserFunction(const char* name, double (*f)(Arg)) { bind(name, (void*)f, 14); }
    dbUserFunction(const char* name, char* (*f)(Arg)) { bind(name, (void*)f, 15); }

    dbUserFunction(const char* name, bool (*f)(Arg, Arg)) { bind(name, (void*)f, 16); }
    dbUserFunction(const char* name, std::int64_t (*f)(Arg, Arg)) { bind(name, (void*)f, 17); }
    dbUserFunction(const char* name, double (*f)(Arg, Arg)) { bind(name, (void*)f, 18); }
    dbUserFunction(const char* name, char* (*f)(Arg, Arg)) { bind(name, (void*)f, 19); }

    dbUserFunction(const char* name, bool (*f)(Arg, Arg, Arg)) { bind(name, (void*)f, 20); }
    dbUserFunction(const char* name, std::int64_t (*f)(Arg, Arg, Arg)) { bind(name, (void*)f, 21); }
    dbUserFunction(const char* name, double (*f)(Arg, Arg, Arg)) { bind(name, (void*)f, 22); }
    dbUserFunction(const char* name, char* (*f)(Arg, Arg, Arg)) { bind(name, (void*)f, 23); }

    // Unregisters. Queries compiled while it lived must not run after it is gone.
    ~dbUserFunction();
    dbUserFunction(const dbUserFunction&) = delete;
    dbUserFunction& operator=(const dbUserFunction&) = delete;

    // The function registered under an interned name, or null.
    static dbUserFunction* find(const char* internedName);

    const char* getName() const { return name; }
    int getKind() const { return kind; }
    // Number of arguments: 1 (kinds 0-15), 2 (16-19) or 3 (20-23).
    int getArity() const { return kind < 16 ? 1 : (kind < 20 ? 2 : 3); }
    void* getFunction() const { return function; }

private:
    void bind(const char* name, void* function, int kind);

    const char* name = nullptr; // interned
    void* function = nullptr;
    int kind = 0;
    dbUserFunction* next = nullptr;
};
