#include "TestSupport.h"

#include "engine286/Compiler.h"
#include "engine286/Query.h"
#include "engine286/Records.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

class CompilerTestDatabase : public dbDatabase {
public:
    void reportError(int errorClass, const char* msg, int arg) override
    {
        reports.push_back({errorClass, msg ? msg : "", arg});
    }
    struct Report {
        int errorClass;
        std::string message;
        int position;
    };
    std::vector<Report> reports;
};

struct Point {
    std::int32_t x;
    std::int32_t y;
};

struct Shape {
    bool b;
    std::int32_t i;
    std::int64_t l;
    double d;
    const char* s;
    oid_t r;
    dbAnyArray a;
    dbAnyArray refs;
    unsigned char raw[4];
    Point p;
};

struct Other {
    std::int32_t n;
};

dbFieldDescriptor* describeShape()
{
    return describeBoolField(new dbFieldDescriptor("b", offsetof(Shape, b), 1, 0))
        ->chain(describeInt4Field(new dbFieldDescriptor("i", offsetof(Shape, i), 4, 0)))
        ->chain(describeInt8Field(new dbFieldDescriptor("l", offsetof(Shape, l), 8, 0)))
        ->chain(describeReal8Field(new dbFieldDescriptor("d", offsetof(Shape, d), 8, 0)))
        ->chain(describeStringField(new dbFieldDescriptor("s", offsetof(Shape, s), sizeof(char*), 0)))
        ->chain(describeReferenceField(new dbFieldDescriptor("r", offsetof(Shape, r), 4, 0), "Shape"))
        ->chain(describeInt1ArrayField(new dbFieldDescriptor("a", offsetof(Shape, a), sizeof(dbAnyArray), 0)))
        ->chain(describeReferenceArrayField(
            new dbFieldDescriptor("refs", offsetof(Shape, refs), sizeof(dbAnyArray), 0), "Shape"))
        ->chain(describeRawBinaryField(new dbFieldDescriptor("raw", offsetof(Shape, raw), 4, 0)))
        ->chain(describeStructureField(
            new dbFieldDescriptor("p", offsetof(Shape, p), sizeof(Point), 0),
            describeInt4Field(new dbFieldDescriptor("x", offsetof(Point, x), 4, 0))
                ->chain(describeInt4Field(new dbFieldDescriptor("y", offsetof(Point, y), 4, 0)))));
}

class CompilerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.open(dir.File("c").c_str(), dir.File("c.fdb").c_str())); }
    void TearDown() override
    {
        db.close();
        db.unbindTables();
    }
    // The compiled tree, or "error: <message> @<position>".
    std::string compile(dbQuery& q)
    {
        db.reports.clear();
        if (!compiler.compile(db, &shapes, q)) {
            if (db.reports.size() != 1)
                return "error reported " + std::to_string(db.reports.size()) + " times";
            return "error: " + db.reports[0].message + " @" + std::to_string(db.reports[0].position);
        }
        std::string out = dbDumpExpression(q.tree.get());
        for (const dbOrderByItem& item : q.order) {
            out += item.field ? std::string(" | ") + item.field->name
                              : " | " + dbDumpExpression(item.expr.get());
            out += item.ascent ? "" : " desc";
        }
        return out;
    }
    std::string compile(const std::string& text)
    {
        dbQuery q(text.c_str());
        return compile(q);
    }
    std::string message(const std::string& text)
    {
        std::string r = compile(text);
        if (r.rfind("error: ", 0) != 0)
            return "compiled: " + r;
        return r.substr(7, r.rfind(" @") - 7);
    }

    TempDir dir;
    CompilerTestDatabase db;
    dbTableDescriptor shapes{"Shape", &db, sizeof(Shape), describeShape};
    dbTableDescriptor others{
        "Other", &db, sizeof(Other),
        [] { return describeInt4Field(new dbFieldDescriptor("n", offsetof(Other, n), 4, 0)); }};
    dbCompiler compiler;
};

TEST_F(CompilerTest, GoodQueriesCompileToTypedTrees)
{
    const struct {
        const char* text;
        const char* tree;
    } cases[] = {
        {"", "void"},
        {"i = 1", "(int.eq load.int4 i 1)"},
        {"1 = i", "(int.eq 1 load.int4 i)"},
        {"i = 1.5", "(real.eq (int->real load.int4 i) 1.5)"},
        {"d = 1", "(real.eq load.real8 d 1.0)"},
        {"s = 'a' || 'b'", "(str.eq load.string s (concat 'a' 'b'))"},
        {"s like 'ab%'", "(like load.string s 'ab%')"},
        {"s not like 'a\\%' escape '\\'", "(not (like.esc load.string s 'a\\%' '\\'))"},
        {"i between 1 and 10", "(int.between load.int4 i 1 10)"},
        {"d between 1 and 2.5", "(real.between load.real8 d 1.0 2.5)"},
        {"'b' in s", "(in.string 'b' load.string s)"},
        {"i in (1, 2, 3)", "(or (or (int.eq load.int4 i 1) (int.eq load.int4 i 2)) (int.eq load.int4 i 3))"},
        {"1 in a", "(in.array.int1 1 load.array a)"},
        {"r is null", "(isnull load.ref r)"},
        {"r is not null", "(not (isnull load.ref r))"},
        {"r = 0", "(ref.eq load.ref r (int->ref 0))"},
        {"r = current", "(ref.eq load.ref r current)"},
        {"r.i = 5", "(int.eq (load.int4@ i (deref load.ref r)) 5)"},
        {"r.r.s = 'x'", "(str.eq (load.string@ s (deref (load.ref@ r (deref load.ref r)))) 'x')"},
        {"p.x = 1", "(int.eq load.int4 x 1)"},
        {"r.p.y > 2", "(int.gt (load.int4@ y (deref load.ref r)) 2)"},
        {"length(s) > 3", "(int.gt (length load.string s) 3)"},
        {"length s > 3", "(int.gt (length load.string s) 3)"},
        {"upper(s) = 'ABC'", "(str.eq (upper load.string s) 'ABC')"},
        {"abs(i - 5) < 2", "(int.lt (int.abs (int.sub load.int4 i 5)) 2)"},
        {"integer(d) = 2", "(int.eq (real->int load.real8 d) 2)"},
        {"real(i) > 1.5", "(real.gt (int->real load.int4 i) 1.5)"},
        {"string(i) = '5'", "(str.eq (int->string load.int4 i) '5')"},
        {"s[0] = 65", "(int.eq (charat load.string s 0) 65)"},
        {"exists k: (a[k] = 1)", "(exists0 (int.eq (load.int1@ [] (elem load.array a var0)) 1))"},
        {"exists k: (refs[k] = current)",
         "(exists0 (ref.eq (load.ref@ [] (elem load.array refs var0)) current))"},
        {"exists k: (true)", "true"},
        {"not i = 1 and b", "(and (not (int.eq load.int4 i 1)) load.bool b)"},
        {"b = true", "(bool.eq load.bool b true)"},
        {"(i and 1) = 1", "(int.eq (int.and load.int4 i 1) 1)"},
        {"-2 ^ 2 = 4", "(int.eq (int.pow -2 2) 4)"},
        {"2 ^ 3 ^ 2 = 512", "(int.eq (int.pow 2 (int.pow 3 2)) 512)"},
        {"d ^ 2 > 1", "(real.gt (real.powi load.real8 d 2) 1.0)"},
        {"2 ^ d > 1", "(real.gt (real.pow 2.0 load.real8 d) 1.0)"},
        {"i - 1 - 2 = 0", "(int.eq (int.sub (int.sub load.int4 i 1) 2) 0)"},
        {"i = 1 or i = 2 or i = 3",
         "(or (int.eq load.int4 i 1) (or (int.eq load.int4 i 2) (int.eq load.int4 i 3)))"},
        {"where i = 1", "(int.eq load.int4 i 1)"},
        {"i = 1 -- note", "(int.eq load.int4 i 1)"},
        {"i = 1 xyz", "(int.eq load.int4 i 1)"},
        {"raw = raw", "(raw.eq load.raw raw load.raw raw)"},
        {"order by s", "void | s"},
        {"i > 0 order by s desc, i", "(int.gt load.int4 i 0) | s desc | i"},
        {"order by length(s)", "void | (length load.string s)"},
        {"order by length(a)", "void | a"},
        {"order by (i + l) desc", "void | (int.add load.int4 i load.int8 l) desc"},
        {"order by p.x", "void | x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.tree, compile(c.text)) << c.text;
}

TEST_F(CompilerTest, ParametersStandOnTheRightAndKeepTheirType)
{
    std::int32_t v = 3;
    dbQuery q;
    q.bind(v).add(" > i");
    EXPECT_EQ("(int.lt load.int4 i param)", compile(q));
    dbQuery eq;
    eq.bind(v).add(" = 1");
    EXPECT_EQ("(int.eq 1 param)", compile(eq));
    oid_t ref = 0;
    dbQuery deref;
    deref.bindReference(ref, &others).add(".n = 2");
    EXPECT_EQ("(int.eq (load.int4@ n (deref param)) 2)", compile(deref));
    dbQuery untyped;
    untyped.bindReference(ref, nullptr).add(".n = 2");
    EXPECT_EQ(0u, compile(untyped).find("error: Field not found"));
    dbQuery unknown;
    unknown.add("s = ").append(dbQueryElement::qVarUnknown, &v);
    EXPECT_EQ("Parameter of unsupported type", compile(unknown).substr(7, 29));
}

TEST_F(CompilerTest, BadQueriesReportTheirMessage)
{
    const std::string longText(4097, 'x');
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {"s = 'abc", "Unterminated character constant"},
        {"s = '" + longText + "'", "String constant too long"},
        {"d = 1e", "Bad floating point constant"},
        {"d = 1.5e+", "Bad floating point constant"},
        {"l = 99999999999999999999", "Bad integer constant"},
        {"l = 9223372036854775808", "Bad integer constant"},
        {"i ! 1", "Invalid token '!'"},
        {"i | 1", "Invalid token '|'"},
        {longText + " = 1", "Name too long"},
        {"i # 1", "Invalid symbol"},
        {"s = \xe5\x90\x8d", "Invalid symbol"},
        {"i", "Conditional expression should have boolean type\n"},
        {"i and 1", "Conditional expression should have boolean type\n"},
        {"i = 1 or 2", "Bad operands for OR operator"},
        {"i = 1 and", "Bad operands for AND operator"},
        {"d = 's'", "operands of relation operator should be of intger, real or string type"},
        {"s = 1", "operands of relation operator should be of integer, real or string type"},
        {"i =", "operands of relation operator should be of integer, real or string type"},
        {"r > current", "References can be checked only for equality"},
        {"b > false", "Boolean variables can be checked only for equality"},
        {"s like 'a' escape 1", "String literal espected after ESCAPE"},
        {"s like 1", "operands of LIKE operator should be of string type"},
        {"i between 1 or 2", "AND expected"},
        {"d between 's' and 2", "operand of BETWEEN operator should be of integer, real or string type"},
        {"i between 's' and 2", "operands of BETWEEN operator should be of integer, real or string type"},
        {"1 in s", "Left operand of IN expression hasn't string type"},
        {"'x' in a", "Type of selective expression of IN operator doesn't match type of the array"},
        {"i in (1, 's')", "Expression 2 in right part of IN operator have incompatible type"},
        {"i in (5)", "List of expressions or array expected"},
        {"i in 5", "List of expressions or array expected"},
        {"i not = 1", "LIKE, BETWEEN or IN expected"},
        {"r is 1", "NULL expected"},
        {"r is not 1", "[NOT] NULL expected"},
        {"i is null", "IS [NOT] NULL predicate can be applied only to references"},
        {"s - s = ''", "Operation - is not defined for strings"},
        {"s + 1.5 = 1", "operands of arithmetic operators should be of integer or real type"},
        {"1.5 + s = 1", "operands of arithmetic operator should be of integer or real type"},
        {"i + 's' = 1", "operands of arithmentic operator should be of integer or real type"},
        {"s * 2 = 1", "operands of arithmentic operator should be of integer or real type"},
        {"s * 1.5 = 1", "operands of arithmetic operators should be of integer or real type"},
        {"1.5 / s = 1", "operands of arithmetic operator should be of integer or real type"},
        {"2 - s = 1", "operands of arithmentic operator should be of integer or real type"},
        {"s ^ 1.5 = 1", "operands of arithmetic operators should be of integer or real type"},
        {"p = 1", "'.' expected"},
        {"order by p", "'.' expected"},
        {"zz = 1", "Field not found"},
        {"I = 1", "Field not found"},
        {"p.foo = 1", "Field not found"},
        {"start from first follow by zz", "Field not found"},
        {"(i = 1", "')' expected"},
        {"-s = 'a'", "Unary minus can be applied only to integer or real expressions"},
        {"+i = 1", "Using of unary plus operator has no sence"},
        {"not s", "NOT operator can be applied only to integer or boolean expressions"},
        {"exists 1: (true)", "Free variable name expected"},
        {"exists k (true)", "':' expected"},
        {"exists k: 1", "Expresion in EXISTS clause should be of boolean type"},
        {"exists k: a[k] = 1", "Expresion in EXISTS clause should be of boolean type"},
        {"exists a1: (exists a2: (exists a3: (exists a4: (a[a4] = 1))))", "Too many nested EXISTS clauses\n"},
        {"length i = 1", "LENGTH function is defined only for arrays and strings"},
        {"lower i = 'a'", "LOWER function can be applied only to string argument"},
        {"upper i = 'a'", "UPPER function can be applied only to string argument"},
        {"abs s = 1", "ABS function can be applied only to integer or real expression"},
        {"integer i = 1", "INTEGER function can be applied only to expression of real type"},
        {"real d = 1", "REAL function can be applied only to expression of integer type"},
        {"string s = ''", "STRING function can be applied only to integer or real expression"},
        {"= 1", "operand expected"},
        {"i = )", "operand expected"},
        {"r. = 1", "identifier expected"},
        {"i.x = 1", "Left operand of '.' should be structure or reference"},
        {"s[1", "']' expected"},
        {"s[1 = 1] = 1", "Index should have integer type"},
        {"i[0] = 1", "Index can be applied only to arrays"},
        {"s['a'] = 1", "Index should have integer type"},
        {"start 1", "FROM expected after START"},
        {"start from 5", "FIRST, LAST or reference varaible expected"},
        {"start from first follow 1", "BY expected after FOLLOW"},
        {"start from first follow by 1", "Field name expected"},
        {"start from first follow by i",
         "Follow field should be of compatibale reference or array of reference type"},
        {"order i", "BY expected after ORDER"},
        {"order by i)", "Unbalanced parentheses "},
        {"order by a", "compiled: void | a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.message, message(c.text)) << c.text;
}

TEST_F(CompilerTest, BadParametersReportTheirMessage)
{
    oid_t ref = 0;
    dbAnyArray arr;
    std::int32_t n = 0;
    unsigned char raw1[4] = {}, raw2[4] = {};
    const std::string prefix = "error: ";
    dbQuery q1;
    q1.add("start from ").bindReference(ref, &others);
    EXPECT_EQ(0u, compile(q1).find(prefix + "Incompatiable type of reference variable"));
    dbQuery q2;
    q2.add("start from ").bindArrayOfRef(arr, &others);
    EXPECT_EQ(0u, compile(q2).find(prefix + "Incompatiable type of array of reference variable"));
    dbQuery q3;
    q3.add("start from ").bind(n);
    EXPECT_EQ(0u, compile(q3).find(prefix + "Reference or array of reference variable expected"));
    dbQuery q4;
    q4.bindRaw(raw1).add(" = ").bindRaw(raw2);
    EXPECT_EQ(0u, compile(q4).find(
                      prefix + "Operations with raw binary types should include at least one record field"));
    dbQuery q5;
    q5.add("order by ").bindArrayOfRef(arr, &shapes);
    EXPECT_EQ(0u, compile(q5).find(prefix + "Expressions in ORDER BY part should have scalar type"));
    dbQuery good;
    good.add("start from ").bindReference(ref, &shapes).add(" follow by r, refs");
    EXPECT_EQ("void", compile(good));
    ASSERT_EQ(2u, good.follow.size());
    EXPECT_STREQ("refs", good.follow[0].field->name); // reverse text order
}

// Positions: the offending character for lexical errors, the start of the line after a line
// break, the start of an operand for type errors.
TEST_F(CompilerTest, ErrorPositions)
{
    const struct {
        const char* text;
        int position;
    } cases[] = {
        {"s = 'abc", 4}, {"i # 1", 2},        {"i = 1 and\n  s # 1", 4}, {"i", 0}, {"i = 1 and s like 5", 16},
        {"zz = 1", 1},   {"where zz = 1", 7},
    };
    for (const auto& c : cases) {
        std::string r = compile(c.text);
        EXPECT_EQ(std::to_string(c.position), r.substr(r.rfind('@') + 1)) << c.text << ": " << r;
    }
}

// Hostile texts: a compile error, never a crash, a hang or unbounded memory.
TEST_F(CompilerTest, HostileTextsGetACompileError)
{
    std::string deep(100000, '(');
    std::string minus;
    for (int k = 0; k < 50000; k++)
        minus += "- ";
    std::string nots;
    for (int k = 0; k < 50000; k++)
        nots += "not ";
    std::string sum = "i";
    for (int k = 0; k < 20000; k++)
        sum += " + i";
    std::string ors = "i = 0";
    for (int k = 0; k < 20000; k++)
        ors += " or i = 1";
    std::string list = "i in (0";
    for (int k = 0; k < 100000; k++)
        list += ", 1";
    std::string powers = "i";
    for (int k = 0; k < 20000; k++)
        powers += " ^ 2";
    std::string index = "s";
    for (int k = 0; k < 20000; k++)
        index += "[s";
    for (const std::string& text : {deep + "i = 1", minus + "i = 1", nots + "b", sum + " = 1", ors,
                                    list + ") ", powers + " = 1", index})
        EXPECT_EQ("Expression is too complex", message(text)) << text.substr(0, 40);
    // Moderate sizes still compile.
    std::string fine = "i in (0";
    for (int k = 0; k < 2000; k++)
        fine += ", " + std::to_string(k);
    EXPECT_EQ(0u, compile(fine + ")").find("(or")) << compile(fine + ")").substr(0, 100);
    EXPECT_EQ(0u, compile(std::string(250, '(') + "i = 1" + std::string(250, ')')).find("(int.eq"))
        << compile(std::string(250, '(') + "i = 1" + std::string(250, ')')).substr(0, 100);
}

} // namespace
