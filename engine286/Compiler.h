#pragma once

#include "engine286/Expression.h"
#include "engine286/Lexer.h"

class dbQuery;
class dbUserFunction;

// Turns a query's elements into a compiled form for one table. One compiler per thread; it keeps
// nothing between compilations but its lexer's buffers.
class dbCompiler {
public:
    // Hostile texts get a compile error instead of exhausting the stack or the heap.
    enum {
        maxNesting = 600,   // levels of the parser's recursion (two per parenthesis)
        maxHeight = 1000,   // longest path from the root to a leaf of the tree
        maxNodes = 100000,  // nodes of one compiled condition
        maxExistsDepth = 3, // nested EXISTS clauses
    };

    // Compiles query for table. On an error the database's error hook gets class 1 with the
    // message and the position, the query is left uncompiled and false is returned.
    bool compile(dbDatabase& db, dbTableDescriptor* table, dbQuery& query);

    // The position and message of the last error (for tests and tools).
    const char* lastMessage = nullptr;
    int lastPosition = 0;

private:
    using Node = std::unique_ptr<dbExprNode>;

    Node disjunction();
    Node conjunction();
    Node comparison();
    Node addition();
    Node multiplication();
    Node power();
    Node userOperator();
    Node callFunction(dbUserFunction* f);
    Node term();
    Node fieldPath(Node expr, dbFieldDescriptor* structure);
    Node loadField(dbFieldDescriptor* fd, Node base);
    Node compare(Node left, Node right, int op, int leftPos, int rightPos);
    Node buildList(std::vector<Node>& items, std::size_t from, std::size_t to);
    Node buildCells(std::vector<Node>& items, std::size_t from, std::size_t to);
    void takeItems(Node list, std::vector<Node>& items);
    void startFrom(dbCompiledQuery& q);
    void orderBy(dbCompiledQuery& q);

    Node make(int cop, Node a = nullptr, Node b = nullptr, Node c = nullptr);
    Node makeInt(std::int64_t v);
    Node makeReal(double v);
    Node toReal(Node n);
    // Both operands of a real operation made real: an integer is converted, any other type is an
    // error at that operand's position.
    void promoteToReal(Node& left, Node& right, int leftPos, int rightPos);
    // The operation on two numbers: intCop when both are integers, else realCop with both made
    // real; an operand that is no number is an error.
    Node arithmetic(int intCop, int realCop, Node left, Node right, int leftPos, int rightPos);
    [[noreturn]] void error(const char* msg, int pos = -1);
    int get();
    void unget(int tkn) { lex.unget(tkn); }
    int pos() const { return lex.currPos; }

    dbLexer lex;
    dbTableDescriptor* table = nullptr;
    int nesting = 0;
    int nodes = 0;
    int lastToken = 0;
    // EXISTS variables in scope, innermost last: name and whether the body used it.
    struct Binding {
        const char* name;
        bool used;
    };
    std::vector<Binding> bindings;
    // A structure field met in a path: it gives no node until a component is chosen.
    dbFieldDescriptor* pendingStructure = nullptr;
    Node pendingBase;
};
