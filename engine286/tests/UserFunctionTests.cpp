// Application functions called from conditions: the kinds, their call conventions, the operator
// form and the compile errors.
#include "TestSupport.h"

#include "engine286/Cursor.h"
#include "engine286/Query.h"
#include "engine286/Records.h"
#include "engine286/UserFunction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

typedef dbUserFunctionArgument Arg;

char* heapString(const std::string& text)
{
    char* s = new char[text.size() + 1];
    std::memcpy(s, text.c_str(), text.size() + 1);
    return s;
}

std::string describeArg(const Arg& a)
{
    switch (a.type) {
    case Arg::atInteger:
        return "int:" + std::to_string(a.u.intValue);
    case Arg::atBoolean:
        return std::string("bool:") + (a.u.boolValue ? "1" : "0");
    case Arg::atString:
        return std::string("str:") + a.u.strValue;
    case Arg::atReal:
        return "real:" + std::to_string(a.u.realValue).substr(0, 3);
    case Arg::atReference:
        return "ref:" + std::to_string(a.u.oidValue);
    default:
        return "raw:" + std::to_string(static_cast<const unsigned char*>(a.u.rawValue)[0]);
    }
}

bool isEven(std::int64_t x)
{
    return x % 2 == 0;
}
std::int64_t twice(std::int64_t x)
{
    return 2 * x;
}
double squareRoot(double x)
{
    return x == 16 ? 4 : -1;
}
std::int64_t textLength(const char* s)
{
    return std::int64_t(std::strlen(s));
}
char* shout(const char* s)
{
    std::string t(s);
    std::transform(t.begin(), t.end(), t.begin(),
                   [](char c) { return char(std::toupper((unsigned char)c)); });
    return heapString(t + "!");
}
char* describe(Arg& a)
{
    return heapString(describeArg(a));
}
std::int64_t maxOf(Arg& a, Arg& b)
{
    return std::max(a.u.intValue, b.u.intValue);
}
bool near(Arg& a, Arg& b)
{
    return a.u.intValue - b.u.intValue <= 1 && b.u.intValue - a.u.intValue <= 1;
}
bool ordered(Arg& a, Arg& b, Arg& c)
{
    return a.u.intValue <= b.u.intValue && b.u.intValue <= c.u.intValue;
}
char* joined(Arg& a, Arg& b, Arg& c)
{
    return heapString(describeArg(a) + "," + describeArg(b) + "," + describeArg(c));
}

// The first caller waits (for at most a few seconds) until a second caller has come in.
std::atomic<int> callers{0};
std::atomic<bool> met{false};
bool meetOther(std::int64_t)
{
    if (callers.fetch_add(1) == 0) {
        for (int i = 0; i < 5000 && callers.load() < 2; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        met = callers.load() >= 2;
    }
    return true;
}
dbUserFunction meetOtherFunction("meetOther", meetOther);

dbUserFunction isEvenFunction("isEven", isEven);             // kind 0
dbUserFunction twiceFunction("twice", twice);                // kind 3
dbUserFunction squareRootFunction("squareRoot", squareRoot); // kind 7
dbUserFunction textLengthFunction("textLength", textLength); // kind 5
dbUserFunction shoutFunction("shout", shout);                // kind 11
dbUserFunction describeFunction("describe", describe);       // kind 15
dbUserFunction maxOfFunction("maxOf", maxOf);                // kind 17
dbUserFunction nearFunction("near", near);                   // kind 16
dbUserFunction orderedFunction("ordered", ordered);          // kind 20
dbUserFunction joinedFunction("joined", joined);             // kind 23

class FunctionTestDatabase : public dbDatabase {
public:
    void reportError(int errorClass, const char* msg, int) override
    {
        reports.push_back(std::to_string(errorClass) + ": " + (msg ? msg : ""));
    }
    std::vector<std::string> reports;
};

struct Thing {
    bool b;
    std::int32_t i;
    double d;
    const char* s;
    oid_t r;
    dbAnyArray a;
    unsigned char raw[2];
};

class UserFunctionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.open(dir.File("f").c_str(), dir.File("f.fdb").c_str()));
        std::int8_t bytes[2] = {1, 2};
        Thing t{true, 4, 2.5, "ab", 0, {2, bytes, 0}, {9, 8}};
        row = dbInsertRecord(db, &things, &t);
        db.commit();
    }
    void TearDown() override
    {
        db.close();
        db.unbindTables();
    }
    // Selects with the condition; "error: <message>" after a compile error.
    std::string select(const std::string& condition)
    {
        db.reports.clear();
        dbQuery q(condition.c_str());
        dbQueryResult result;
        if (!dbSelect(db, &things, q, result))
            return db.reports.empty() ? "failed" : "error: " + db.reports[0];
        return std::to_string(result.wholeTable ? 1 : result.ids.size()) + " rows";
    }

    TempDir dir;
    FunctionTestDatabase db;
    dbTableDescriptor things{
        "Thing", &db, sizeof(Thing), [] {
            return describeBoolField(new dbFieldDescriptor("b", offsetof(Thing, b), 1, 0))
                ->chain(describeInt4Field(new dbFieldDescriptor("i", offsetof(Thing, i), 4, 0)))
                ->chain(describeReal8Field(new dbFieldDescriptor("d", offsetof(Thing, d), 8, 0)))
                ->chain(describeStringField(new dbFieldDescriptor("s", offsetof(Thing, s), sizeof(char*), 0)))
                ->chain(describeReferenceField(new dbFieldDescriptor("r", offsetof(Thing, r), 4, 0), "Thing"))
                ->chain(describeInt1ArrayField(
                    new dbFieldDescriptor("a", offsetof(Thing, a), sizeof(dbAnyArray), 0)))
                ->chain(describeRawBinaryField(new dbFieldDescriptor("raw", offsetof(Thing, raw), 2, 0)));
        }};
    oid_t row = 0;
};

TEST_F(UserFunctionTest, EachKindIsCalledWithItsConventionAndGivesItsResultType)
{
    const char* truths[] = {
        "isEven(i)",
        "isEven i", // the term that follows is the argument
        "not isEven(i + 1)",
        "twice(i) = 8",
        "twice(twice(i)) = 16",
        "squareRoot(16) = 4.0", // an integer passes for a real
        "textLength(s) = 2",
        "shout(s) = 'AB!'", // a heap string comes back as a query string
        "shout(shout(s)) = 'AB!!'",
        "describe(i) = 'int:4'",
        "describe(b) = 'bool:1'",
        "describe(s) = 'str:ab'",
        "describe(d) = 'real:2.5'",
        "describe(r) = 'ref:0'",
        "describe(raw) = 'raw:9'",
        "maxOf(i, 10) = 10",
        "maxOf(i, -3) = 4",
        "ordered(1, i, 5)",
        "not ordered(5, i, 1)",
        "joined(i, s, b) = 'int:4,str:ab,bool:1'",
        "i near 5", // a two-argument function as an operator
        "not (i near 7)",
        "twice(i) near 9", // the terms around it are whole terms
    };
    for (const char* t : truths)
        EXPECT_EQ("1 rows", select(t)) << t;
    EXPECT_EQ("0 rows", select("isEven(i + 1)"));
}

TEST_F(UserFunctionTest, BadCallsReportTheirMessage)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"isEven('a')", "Incompatible function argument"},
        {"isEven(d)", "Incompatible function argument"},
        {"isEven(1, 2)", "Too many parameters for user defined function"},
        {"maxOf 1 = 1", "Too few paramters for user defined function"},
        {"maxOf(1, 2, 3) = 1", "Too many parameters for user defined function"},
        {"ordered(1, 2)", "Too few parameters for user defined function"},
        {"maxOf(1, a) = 1", "User function should receive parameters of boolean, integer, real, string, "
                            "reference or user defined "
                            "type"},
        {"i isEven 2", "Only function with two arguments can be used as operator"},
        {"a near 1", "User function should receive parameter of boolean, integer, real, string, reference or "
                     "user defined type"},
        {"nothing(1)", "Field not found"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string("error: 1: ") + c.message, select(c.text)) << c.text;
}

TEST_F(UserFunctionTest, AFunctionIsFoundOnlyWhileItsObjectLives)
{
    {
        dbUserFunction scoped("scoped", isEven);
        EXPECT_EQ("1 rows", select("scoped(i)"));
    }
    EXPECT_EQ("error: 1: Field not found", select("scoped(i)"));
}

TEST_F(UserFunctionTest, SelectsOfOneQueryObjectRunSideBySide)
{
    // Each select's condition calls meetOther; the first call returns only once the other
    // thread's select has reached it too, which it cannot while the first holds the query.
    dbQuery shared("meetOther(i)");
    callers = 0;
    met = false;
    auto run = [&] {
        dbQueryResult result;
        EXPECT_TRUE(dbSelect(db, &things, shared, result));
        EXPECT_EQ(std::vector<oid_t>{row}, result.ids);
        db.commit();
    };
    std::thread other(run);
    run();
    other.join();
    EXPECT_TRUE(met.load());
}

TEST_F(UserFunctionTest, ACursorWhoseSelectFailsHalfwayHoldsNothing)
{
    for (std::int32_t i : {5, 6, 7}) {
        Thing t{false, i, 0, "", 0, {}, {}};
        dbInsertRecord(db, &things, &t);
    }
    Thing rec{};
    dbAnyCursor cursor(things, dbCursorViewOnly, &rec);
    // Rows 4 and 5 pass before row 6 divides by zero.
    dbQuery q("10 / (i - 6) < 0");
    EXPECT_EQ(0, cursor.select(q, dbCursorViewOnly));
    EXPECT_TRUE(cursor.isEmpty());
    EXPECT_FALSE(cursor.gotoFirst());
    ASSERT_EQ(1u, db.reports.size());
    // The same cursor then selects as usual, in the order asked for.
    dbQuery ordered("i >= 5 order by i desc");
    EXPECT_EQ(3, cursor.select(ordered, dbCursorViewOnly));
    std::vector<std::int32_t> seen{rec.i};
    while (cursor.gotoNext()) {
        cursor.fetch();
        seen.push_back(rec.i);
    }
    EXPECT_EQ((std::vector<std::int32_t>{7, 6, 5}), seen);
}

} // namespace
