#include "RecordSupport.h"

#include "engine286/Compiler.h"
#include "engine286/Cursor.h"
#include "engine286/DateTime.h"
#include "engine286/IndexSearch.h"
#include "engine286/Query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

// A database whose error hook records every report and never stops the program.
class QueryTestDatabase : public dbDatabase {
public:
    explicit QueryTestDatabase(int nThreads = 1)
        : dbDatabase(dbReadWrite, 0, dbDefaultExtensionQuantum, dbDefaultInitIndexSize, nThreads)
    {
    }
    void reportError(int errorClass, const char* msg, int arg) override
    {
        reports.push_back({errorClass, msg ? msg : "", arg});
    }
    struct Report {
        int errorClass;
        std::string message;
        int arg;
    };
    std::vector<Report> reports;
};

struct Rec {
    bool b;
    std::int8_t i1;
    std::int32_t i;
    std::int32_t j;
    std::int64_t l;
    float f;
    double d;
    const char* s;
    const char* u;
    oid_t r;
    dbAnyArray a;
    unsigned char raw[4];
};

dbFieldDescriptor* describeRec()
{
    return describeBoolField(new dbFieldDescriptor("b", offsetof(Rec, b), 1, 0))
        ->chain(describeInt1Field(new dbFieldDescriptor("i1", offsetof(Rec, i1), 1, 0)))
        ->chain(describeInt4Field(new dbFieldDescriptor("i", offsetof(Rec, i), 4, HASHED)))
        ->chain(describeInt4Field(new dbFieldDescriptor("j", offsetof(Rec, j), 4, INDEXED)))
        ->chain(describeInt8Field(new dbFieldDescriptor("l", offsetof(Rec, l), 8, 0)))
        ->chain(describeReal4Field(new dbFieldDescriptor("f", offsetof(Rec, f), 4, INDEXED)))
        ->chain(describeReal8Field(new dbFieldDescriptor("d", offsetof(Rec, d), 8, INDEXED)))
        ->chain(describeStringField(new dbFieldDescriptor("s", offsetof(Rec, s), sizeof(char*), INDEXED)))
        ->chain(describeStringField(new dbFieldDescriptor("u", offsetof(Rec, u), sizeof(char*), HASHED)))
        ->chain(describeReferenceField(new dbFieldDescriptor("r", offsetof(Rec, r), 4, 0), "T"))
        ->chain(describeInt1ArrayField(new dbFieldDescriptor("a", offsetof(Rec, a), sizeof(dbAnyArray), 0)))
        ->chain(describeRawBinaryField(new dbFieldDescriptor("raw", offsetof(Rec, raw), 4, 0)));
}

// The same row as the test keeps it, for the brute-force filter.
struct Model {
    oid_t oid;
    bool b;
    int i1, i, j;
    std::int64_t l;
    float f;
    double d;
    std::string s, u;
    oid_t r;
    int rIndex; // position of the referenced row, -1 for none
    std::vector<std::int8_t> a;
};

using Predicate = std::function<bool(const Model&, const std::vector<Model>&)>;

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.open(dir.File("q").c_str(), dir.File("q.fdb").c_str()));
        fill(300);
    }
    void TearDown() override
    {
        db.close();
        db.unbindTables();
    }

    void fill(int n)
    {
        for (int k = 0; k < n; k++) {
            Model m;
            m.b = k % 3 == 0;
            m.i1 = k % 7;
            m.i = k % 100;
            m.j = (k * 37) % 100;
            m.l = std::int64_t(k) * 1000003;
            m.f = float(k % 10) * 0.5f;
            m.d = (k % 20) * 0.75;
            m.s = "name" + std::to_string(k % 40);
            m.u = "key" + std::to_string(k % 15);
            m.rIndex = k > 0 && k % 4 != 0 ? k - 1 : -1;
            m.r = m.rIndex >= 0 ? rows[std::size_t(m.rIndex)].oid : 0;
            for (int e = 0; e < k % 5; e++)
                m.a.push_back(std::int8_t((k + e) % 4));
            Rec rec{};
            rec.b = m.b;
            rec.i1 = std::int8_t(m.i1);
            rec.i = m.i;
            rec.j = m.j;
            rec.l = m.l;
            rec.f = m.f;
            rec.d = m.d;
            rec.s = m.s.c_str();
            rec.u = m.u.c_str();
            rec.r = m.r;
            rec.a.nElems = m.a.size();
            rec.a.data = m.a.data();
            std::memcpy(rec.raw, &k, 4);
            m.oid = dbInsertRecord(db, &table, &rec);
            rows.push_back(m);
        }
        db.commit();
    }

    std::vector<oid_t> select(dbQuery& q, bool* ok = nullptr, std::size_t limit = SIZE_MAX)
    {
        dbQueryResult result;
        dbSelectOptions options;
        options.limit = limit;
        bool done = dbSelect(db, &table, q, result, options);
        if (ok)
            *ok = done;
        if (result.wholeTable)
            return tableRows(db, &table);
        return result.ids;
    }
    std::vector<oid_t> select(const char* text, bool* ok = nullptr)
    {
        dbQuery q(text);
        return select(q, ok);
    }
    std::multiset<oid_t> expected(const Predicate& p) const
    {
        std::multiset<oid_t> out;
        for (const Model& m : rows) {
            if (p(m, rows))
                out.insert(m.oid);
        }
        return out;
    }
    const Model& byOid(oid_t oid) const
    {
        for (const Model& m : rows) {
            if (m.oid == oid)
                return m;
        }
        static Model none{};
        return none;
    }

    TempDir dir;
    QueryTestDatabase db;
    dbTableDescriptor table{"T", &db, sizeof(Rec), describeRec};
    std::vector<Model> rows;
};

// Every operator, function and index path, checked against the same condition applied to the
// rows in C++.
TEST_F(QueryTest, GoodQueriesSelectWhatABruteForceFilterSelects)
{
    const struct {
        const char* text;
        Predicate pred;
    } cases[] = {
        {"i = 5", [](const Model& m, auto&) { return m.i == 5; }},
        {"5 = i", [](const Model& m, auto&) { return m.i == 5; }},
        {"i <> 5 and i != 6", [](const Model& m, auto&) { return m.i != 5 && m.i != 6; }},
        {"j > 50", [](const Model& m, auto&) { return m.j > 50; }},
        {"j >= 97", [](const Model& m, auto&) { return m.j >= 97; }},
        {"j < 3", [](const Model& m, auto&) { return m.j < 3; }},
        {"j <= 3", [](const Model& m, auto&) { return m.j <= 3; }},
        {"j between 10 and 20", [](const Model& m, auto&) { return m.j >= 10 && m.j <= 20; }},
        {"j not between 10 and 90", [](const Model& m, auto&) { return m.j < 10 || m.j > 90; }},
        {"j = 4294967297", [](const Model& m, auto&) { return false; }},
        {"j > 4294967296", [](const Model& m, auto&) { return false; }},
        {"i1 = 3", [](const Model& m, auto&) { return m.i1 == 3; }},
        {"i1 = 259", [](const Model& m, auto&) { return false; }},
        {"i1 in (1, 2, 3)", [](const Model& m, auto&) { return m.i1 >= 1 && m.i1 <= 3; }},
        {"i in (1, 2, 3, 4, 5, 6, 7, 8, 9)", [](const Model& m, auto&) { return m.i >= 1 && m.i <= 9; }},
        {"l * 3 + i > 100000000", [](const Model& m, auto&) { return m.l * 3 + m.i > 100000000; }},
        {"l / 1000003 = i + 100", [](const Model& m, auto&) { return m.l / 1000003 == m.i + 100; }},
        {"l - 5 < 0", [](const Model& m, auto&) { return m.l - 5 < 0; }},
        {"d > 10.5", [](const Model& m, auto&) { return m.d > 10.5; }},
        {"d = 2.25", [](const Model& m, auto&) { return m.d == 2.25; }},
        {"d = 3", [](const Model& m, auto&) { return m.d == 3; }},
        {"d between 1 and 2.5", [](const Model& m, auto&) { return m.d >= 1 && m.d <= 2.5; }},
        {"f < 1.5", [](const Model& m, auto&) { return m.f < 1.5f; }},
        {"f = 0.1", [](const Model& m, auto&) { return double(m.f) == 0.1; }},
        {"f >= 4.5", [](const Model& m, auto&) { return m.f >= 4.5f; }},
        {"d * 2 - i / 10 > 5", [](const Model& m, auto&) { return m.d * 2 - double(m.i / 10) > 5; }},
        {"i = 1.5", [](const Model& m, auto&) { return false; }},
        {"s = 'name7'", [](const Model& m, auto&) { return m.s == "name7"; }},
        {"s > 'name5'", [](const Model& m, auto&) { return m.s > "name5"; }},
        {"s between 'name1' and 'name3'",
         [](const Model& m, auto&) { return m.s >= "name1" && m.s <= "name3"; }},
        {"s like 'name1%'", [](const Model& m, auto&) { return m.s.rfind("name1", 0) == 0; }},
        {"s like 'na_e2%'", [](const Model& m, auto&) { return m.s.rfind("name2", 0) == 0; }},
        {"s like 'name%7'", [](const Model& m, auto&) { return m.s.back() == '7'; }},
        {"s like '%7'", [](const Model& m, auto&) { return m.s.back() == '7'; }},
        {"s like '%'", [](const Model& m, auto&) { return true; }},
        {"s like 'name3'", [](const Model& m, auto&) { return m.s == "name3"; }},
        {"s not like 'name1%'", [](const Model& m, auto&) { return m.s.rfind("name1", 0) != 0; }},
        {"s like 'name\\%' escape '\\'", [](const Model& m, auto&) { return false; }},
        {"u = 'key3'", [](const Model& m, auto&) { return m.u == "key3"; }},
        {"u like 'key3'", [](const Model& m, auto&) { return m.u == "key3"; }},
        {"u between 'key4' and 'key4'", [](const Model& m, auto&) { return m.u == "key4"; }},
        {"u > 'key7'", [](const Model& m, auto&) { return m.u > "key7"; }},
        {"'7' in s", [](const Model& m, auto&) { return m.s.find('7') != std::string::npos; }},
        {"'' in s", [](const Model& m, auto&) { return true; }},
        {"length(s) > 5", [](const Model& m, auto&) { return m.s.size() > 5; }},
        {"length s = 5", [](const Model& m, auto&) { return m.s.size() == 5; }},
        {"upper(s) = 'NAME7'", [](const Model& m, auto&) { return m.s == "name7"; }},
        {"lower(upper(u)) = u", [](const Model& m, auto&) { return true; }},
        {"s + u = 'name1key1'", [](const Model& m, auto&) { return m.s + m.u == "name1key1"; }},
        {"s || '!' = 'name2!'", [](const Model& m, auto&) { return m.s == "name2"; }},
        {"s[4] = 55", [](const Model& m, auto&) { return m.s[4] == '7'; }},
        {"b", [](const Model& m, auto&) { return m.b; }},
        {"not b", [](const Model& m, auto&) { return !m.b; }},
        {"b = true", [](const Model& m, auto&) { return m.b; }},
        {"b <> false and i < 10", [](const Model& m, auto&) { return m.b && m.i < 10; }},
        {"not i = 1 and b", [](const Model& m, auto&) { return m.i != 1 && m.b; }},
        {"r is null", [](const Model& m, auto&) { return m.r == 0; }},
        {"r is not null", [](const Model& m, auto&) { return m.r != 0; }},
        {"r = null", [](const Model& m, auto&) { return m.r == 0; }},
        {"r <> 0", [](const Model& m, auto&) { return m.r != 0; }},
        {"r is not null and r.i = 5",
         [](const Model& m, auto& all) { return m.rIndex >= 0 && all[std::size_t(m.rIndex)].i == 5; }},
        {"r is not null and r.r is not null and r.r.j > 90",
         [](const Model& m, auto& all) {
             if (m.rIndex < 0 || all[std::size_t(m.rIndex)].rIndex < 0)
                 return false;
             return all[std::size_t(all[std::size_t(m.rIndex)].rIndex)].j > 90;
         }},
        {"current = first", [](const Model& m, auto& all) { return m.oid == all.front().oid; }},
        {"current = last or current = first",
         [](const Model& m, auto& all) { return m.oid == all.front().oid || m.oid == all.back().oid; }},
        {"1 in a", [](const Model& m, auto&) { return std::count(m.a.begin(), m.a.end(), 1) > 0; }},
        {"257 in a", [](const Model& m, auto&) { return std::count(m.a.begin(), m.a.end(), 1) > 0; }},
        {"300 in a", [](const Model& m, auto&) { return false; }},
        {"exists k: (a[k] = 2)",
         [](const Model& m, auto&) { return std::count(m.a.begin(), m.a.end(), 2) > 0; }},
        {"exists k: (b and a[k] = 3)",
         [](const Model& m, auto&) { return m.b && std::count(m.a.begin(), m.a.end(), 3) > 0; }},
        {"exists k: (exists n: (a[k] = 1 and a[n] = 3))",
         [](const Model& m, auto&) {
             return std::count(m.a.begin(), m.a.end(), 1) > 0 && std::count(m.a.begin(), m.a.end(), 3) > 0;
         }},
        {"exists k: (true)", [](const Model& m, auto&) { return true; }},
        {"length(a) = 0", [](const Model& m, auto&) { return m.a.empty(); }},
        {"i = 5 or j = 7", [](const Model& m, auto&) { return m.i == 5 || m.j == 7; }},
        {"i = 5 or u = 'key2' or i = 6",
         [](const Model& m, auto&) { return m.i == 5 || m.u == "key2" || m.i == 6; }},
        {"i = 5 or l > 290000000", [](const Model& m, auto&) { return m.i == 5 || m.l > 290000000; }},
        {"i = 5 and j > 10", [](const Model& m, auto&) { return m.i == 5 && m.j > 10; }},
        {"s like 'name1%' and i > 50",
         [](const Model& m, auto&) { return m.s.rfind("name1", 0) == 0 && m.i > 50; }},
        {"s like 'name1%5' and b", [](const Model& m, auto&) { return m.s == "name15" && m.b; }},
        {"abs(i - 50) < 3", [](const Model& m, auto&) { return std::abs(m.i - 50) < 3; }},
        {"abs(-d) > 14", [](const Model& m, auto&) { return m.d > 14; }},
        {"integer(d) = 3", [](const Model& m, auto&) { return std::int64_t(m.d) == 3; }},
        {"real(i) > 98.5", [](const Model& m, auto&) { return m.i > 98.5; }},
        {"string(i) = '42'", [](const Model& m, auto&) { return m.i == 42; }},
        {"string(d) = '2.250000'", [](const Model& m, auto&) { return m.d == 2.25; }},
        {"i ^ 2 = 49", [](const Model& m, auto&) { return m.i == 7; }},
        {"d ^ 2 > 100", [](const Model& m, auto&) { return m.d * m.d > 100; }},
        {"(i and 1) = 1", [](const Model& m, auto&) { return (m.i & 1) == 1; }},
        {"(i or 1) = 1", [](const Model& m, auto&) { return (m.i | 1) == 1; }},
        {"not i = -1", [](const Model& m, auto&) { return m.i != -1; }},
        {"-i < -98", [](const Model& m, auto&) { return -m.i < -98; }},
        {"where i = 1 -- a comment", [](const Model& m, auto&) { return m.i == 1; }},
        {"i = 1 trailing words", [](const Model& m, auto&) { return m.i == 1; }},
        {"", [](const Model& m, auto&) { return true; }},
    };
    for (const auto& c : cases) {
        dbGetPlanStatistics() = {};
        bool ok = false;
        std::vector<oid_t> got = select(c.text, &ok);
        EXPECT_TRUE(ok) << c.text;
        EXPECT_EQ(expected(c.pred), std::multiset<oid_t>(got.begin(), got.end())) << c.text;
    }
    EXPECT_TRUE(db.reports.empty()) << db.reports.front().message;
}

// Comparisons that an index answers use it; the others scan.
TEST_F(QueryTest, IndexedComparisonsAreAnsweredFromTheirIndex)
{
    const struct {
        const char* text;
        int hash, tree;
    } cases[] = {
        {"i = 5", 1, 0},
        {"j = 5", 0, 1},
        {"j between 5 and 7", 0, 1},
        {"u between 'key4' and 'key4'", 1, 0},
        {"u like 'key4'", 1, 0},
        {"s like 'name1%'", 0, 1},
        {"s like 'na_e%'", 0, 1},
        {"s like '%1'", 0, 0},
        {"u > 'key1'", 0, 0},
        {"i = 5 or u = 'key2'", 2, 0},
        {"i = 5 and j > 3", 1, 0},
        {"j > 3 and i = 5", 0, 1},
        {"i <> 5", 0, 0},
        {"i in (5, 6)", 2, 0},
        {"j = 4294967297", 0, 0},
        {"f = 0.1", 0, 0},
        {"f = 0.5", 0, 1},
    };
    for (const auto& c : cases) {
        dbGetPlanStatistics() = {};
        select(c.text);
        EXPECT_EQ(c.hash, dbGetPlanStatistics().hashSearches) << c.text;
        EXPECT_EQ(c.tree, dbGetPlanStatistics().treeSearches) << c.text;
    }
}

TEST_F(QueryTest, OrderByReturnsRowsInKeyOrder)
{
    struct Case {
        const char* text;
        std::function<bool(const Model&, const Model&)> before; // strict order of the keys
        bool walk;                                              // served by the T-tree without a sort
    };
    auto key = [](const Model& m) { return std::make_pair(m.j, 0); };
    const Case cases[] = {
        {"order by j", [&](auto& a, auto& b) { return key(a) < key(b); }, true},
        {"order by j desc", [&](auto& a, auto& b) { return key(b) < key(a); }, true},
        {"i < 10 order by j", [&](auto& a, auto& b) { return a.j < b.j; }, true},
        {"order by i desc, s", [](auto& a, auto& b) { return a.i != b.i ? a.i > b.i : a.s < b.s; }, false},
        {"order by s desc", [](auto& a, auto& b) { return a.s > b.s; }, true},
        {"order by (i + j) desc", [](auto& a, auto& b) { return a.i + a.j > b.i + b.j; }, false},
        {"order by length(a), i",
         [](auto& a, auto& b) { return a.a.size() != b.a.size() ? a.a.size() < b.a.size() : a.i < b.i; },
         false},
        {"j > 90 order by j desc", [](auto& a, auto& b) { return a.j > b.j; }, false},
        {"order by d, l", [](auto& a, auto& b) { return a.d != b.d ? a.d < b.d : a.l < b.l; }, false},
    };
    for (const Case& c : cases) {
        dbGetPlanStatistics() = {};
        std::vector<oid_t> got = select(c.text);
        ASSERT_FALSE(got.empty()) << c.text;
        for (std::size_t k = 1; k < got.size(); k++) {
            ASSERT_FALSE(c.before(byOid(got[k]), byOid(got[k - 1]))) << c.text << " at " << k;
        }
        if (c.walk) {
            EXPECT_EQ(0, dbGetPlanStatistics().sorts) << c.text;
        }
    }
    // Equal keys in bulk: already in order, no reordering.
    std::vector<oid_t> all = select("order by b = b");
    EXPECT_EQ(rows.size(), all.size());
}

TEST_F(QueryTest, BoundParametersAreReadAtEverySelect)
{
    const char* name = "name7";
    dbQuery q;
    q.add("s = ").bind(name);
    std::vector<oid_t> byName = select(q);
    EXPECT_EQ(expected([](const Model& m, auto&) { return m.s == "name7"; }),
              std::multiset<oid_t>(byName.begin(), byName.end()));
    // The import's hostile names are data, not query text.
    name = "x' or 1=1 or s='";
    EXPECT_TRUE(select(q).empty());
    name = "Kid's Toy";
    EXPECT_TRUE(select(q).empty());

    std::int32_t lo = 10, hi = 12;
    dbQuery range;
    range.add("j between ").bind(lo).add(" and ").bind(hi).add(" order by j");
    std::vector<oid_t> got = select(range);
    EXPECT_EQ(expected([](const Model& m, auto&) { return m.j >= 10 && m.j <= 12; }),
              std::multiset<oid_t>(got.begin(), got.end()));
    lo = 98;
    hi = 99;
    got = select(range);
    EXPECT_EQ(expected([](const Model& m, auto&) { return m.j >= 98; }),
              std::multiset<oid_t>(got.begin(), got.end()));

    // A parameter on the left moves to the right with the mirrored operator.
    std::int32_t bound = 95;
    dbQuery mirrored;
    mirrored.add("").bind(bound).add(" < j");
    got = select(mirrored);
    EXPECT_EQ(expected([](const Model& m, auto&) { return m.j > 95; }),
              std::multiset<oid_t>(got.begin(), got.end()));

    oid_t target = rows[17].oid;
    dbQuery current;
    current.add("current = ").bindReference(target, &table);
    EXPECT_EQ(std::vector<oid_t>{target}, select(current));
    target = 0;
    EXPECT_TRUE(select(current).empty());

    double dv = 2.25;
    float fv = 1.5f;
    std::int64_t lv = 1000003;
    std::int8_t i1v = 3;
    bool bv = true;
    dbQuery typed;
    typed.add("d = ").bind(dv).add(" or f = ").bind(fv).add(" or l = ").bind(lv).add(" or i1 = ").bind(i1v);
    typed.add(" or b = ").bind(bv);
    got = select(typed);
    EXPECT_EQ(expected([](const Model& m, auto&) {
                  return m.d == 2.25 || m.f == 1.5f || m.l == 1000003 || m.i1 == 3 || m.b;
              }),
              std::multiset<oid_t>(got.begin(), got.end()));

    int k = 42;
    unsigned char raw[4];
    std::memcpy(raw, &k, 4);
    dbQuery bytes;
    bytes.add("raw = ").bindRaw(raw);
    EXPECT_EQ(std::vector<oid_t>{rows[42].oid}, select(bytes));
}

TEST_F(QueryTest, LimitStopsTheSelectionInEveryPath)
{
    for (const char* text : {"i < 50", "j > 10", "i = 5 or u = 'key2'", "order by j", "b order by i"}) {
        dbQuery q(text);
        EXPECT_EQ(3u, select(q, nullptr, 3).size()) << text;
    }
}

// Errors met while evaluating a row fail the select through the error hook; the program goes on.
TEST_F(QueryTest, RunTimeErrorsFailTheSelectAndAreReported)
{
    const struct {
        const char* text;
        int errorClass;
        const char* message;
    } cases[] = {
        {"l / (i - i) = 1", ArithmeticError, "Division by zero"},
        {"d / (d - d) > 1", ArithmeticError, "Division by zero"},
        {"0 ^ (i - 200) = 1", ArithmeticError, "Raise zero to negative power"},
        {"(d - 100) ^ 0.5 > 1", ArithmeticError, "Power operator returns complex result"},
        {"s[40] = 1", IndexOutOfRangeError, "Index %d is out of range\n"},
        {"a[4294967296] = 1", IndexOutOfRangeError, "Index %d is out of range\n"},
        {"r.i = 1", NullReferenceError, "Null object reference is accessed\n"},
    };
    for (const auto& c : cases) {
        db.reports.clear();
        bool ok = true;
        std::vector<oid_t> got = select(c.text, &ok);
        EXPECT_FALSE(ok) << c.text;
        EXPECT_TRUE(got.empty()) << c.text;
        ASSERT_EQ(1u, db.reports.size()) << c.text;
        EXPECT_EQ(c.errorClass, db.reports[0].errorClass) << c.text;
        EXPECT_EQ(c.message, db.reports[0].message) << c.text;
    }
    // The argument of an index error is the index, clamped to 32 bits.
    db.reports.clear();
    select("s[-3] = 1");
    ASSERT_EQ(1u, db.reports.size());
    EXPECT_EQ(-3, db.reports[0].arg);
}

// Wrapping integer arithmetic and the edges of the evaluator, on one row.
TEST_F(QueryTest, ExpressionsEvaluateToTheirDocumentedValues)
{
    const char* truths[] = {
        "7 / 2 = 3",
        "-7 / 2 = -3",
        "2 ^ 10 = 1024",
        "2 ^ 63 = -9223372036854775807 - 1",
        "2 ^ 64 = 0",
        "2 ^ -1 = 0",
        "(0 - 1) ^ (0 - 3) = -1",
        "3 ^ (0 - 9223372036854775807 - 1) = 0",
        "(0 - 9223372036854775807 - 1) / (0 - 1) = -9223372036854775807 - 1",
        "9223372036854775807 + 1 = -9223372036854775807 - 1",
        "abs(-9223372036854775807 - 1) = -9223372036854775807 - 1",
        "-2 ^ 2 = 4",
        "2.0 ^ -1 = 0.5",
        "integer(2.9) = 2",
        "integer(-2.9) = -2",
        "integer(1e300) = 9223372036854775807",
        "string(1.5) = '1.500000'",
        "string(-7) = '-7'",
        "length(string(1e300)) = 308",
        "length('abc') = 3",
        "'abc'[2] = 99",
        "'b' in 'abc'",
        "not 'abcd' in 'abc'",
        "'abc' like 'a%'",
        "'abc' like '%bc'",
        "'abc' like 'a_c'",
        "not 'abc' like 'a%b'",
        "'' like '%'",
        "not '' like '_'",
        "'100%' like '100\\%' escape '\\'",
        "not '1000' like '100\\%' escape '\\'",
        "not 'a' like 'a\\' escape '\\'",
        "'a%' like 'a%%'",
        "upper('Mixed 7 é') = 'MIXED 7 é'",
        "'abc' || 'def' = 'abcdef'",
        "not 1 = 2",
        "not 5 = -6",
        "true = true and false <> true",
        "1.5 between 1 and 2",
        "'b' between 'a' and 'c'",
    };
    // One row is enough: select from a query that names it.
    for (const char* t : truths) {
        std::string text = std::string("current = first and ") + t;
        bool ok = false;
        std::vector<oid_t> got = select(text.c_str(), &ok);
        EXPECT_TRUE(ok) << t;
        EXPECT_EQ(1u, got.size()) << t;
    }
    EXPECT_TRUE(db.reports.empty());

    // Substring search over texts long enough for the shift-table search.
    std::string hay(700, 'a');
    hay += "abcab";
    for (const char* needle : {"abcab", "aaab", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab"}) {
        std::string text = std::string("current = first and '") + needle + "' in '" + hay + "'";
        EXPECT_EQ(1u, select(text.c_str()).size()) << needle;
    }
    std::string text = "current = first and 'abcx' in '" + hay + "'";
    EXPECT_TRUE(select(text.c_str()).empty());
    EXPECT_TRUE(dbContains(hay.data(), hay.size(), hay.data() + 690, 15));
}

TEST_F(QueryTest, TemporaryStringsBeyondTheInlineAreaStayValid)
{
    std::string text = "current = first and length(s";
    std::string expectedLength = std::to_string(4 + 2 * 3000 * 20);
    for (int k = 0; k < 20; k++)
        text += " + '" + std::string(3000, char('a' + k)) + "'" + " + '" + std::string(3000, 'z') + "'";
    text = text + ") > 0";
    EXPECT_EQ(1u, select(text.c_str()).size());
}

TEST_F(QueryTest, StartFromFollowByVisitsEachReachableRowOnce)
{
    // Chains: every row but each fourth references its predecessor. Close one chain into a cycle.
    Rec rec{};
    const Model& head = rows[4];
    rec.b = head.b;
    rec.i1 = std::int8_t(head.i1);
    rec.i = head.i;
    rec.j = head.j;
    rec.l = head.l;
    rec.f = head.f;
    rec.d = head.d;
    rec.s = head.s.c_str();
    rec.u = head.u.c_str();
    rec.r = rows[7].oid; // 7 -> 6 -> 5 -> 4 -> 7
    dbUpdateRecord(db, head.oid, &table, &rec);
    db.commit();

    oid_t start = rows[6].oid;
    dbQuery q;
    q.add("start from ").bindReference(start, &table).add(" follow by r");
    std::vector<oid_t> got = select(q);
    EXPECT_EQ((std::vector<oid_t>{rows[6].oid, rows[5].oid, rows[4].oid, rows[7].oid}), got);

    dbQuery filtered;
    filtered.add("b start from ").bindReference(start, &table).add(" follow by r order by i desc");
    got = select(filtered);
    EXPECT_EQ(std::vector<oid_t>{rows[6].oid}, got); // 6 is the only multiple of three

    start = 0;
    EXPECT_TRUE(select(q).empty());

    dbQuery last("start from last follow by r");
    EXPECT_EQ((std::vector<oid_t>{rows[299].oid, rows[298].oid, rows[297].oid, rows[296].oid}), select(last));
}

TEST_F(QueryTest, QueriesAreCompiledOncePerTableAndAgainAfterAChange)
{
    dbQuery q("i = 3");
    EXPECT_EQ(3u, select(q).size());
    const dbExprNode* tree = q.tree.get();
    select(q);
    EXPECT_EQ(tree, q.tree.get());
    // A text that fails to compile fails every select, each with its report.
    dbQuery bad("i = ");
    bool ok = true;
    select(bad, &ok);
    EXPECT_FALSE(ok);
    select(bad, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(2u, db.reports.size());
    q = "i = 4 or i = 5";
    EXPECT_EQ(6u, select(q).size());
    EXPECT_EQ("(or (int.eq load.int4 i 4) (int.eq load.int4 i 5))", dbDumpExpression(q.tree.get()));
}

// Cursors select by condition text or by a query with parameters, and step over the result.
TEST_F(QueryTest, CursorsSelectByConditionAndByQuery)
{
    Rec rec{};
    dbAnyCursor cursor(table, dbCursorViewOnly, &rec);
    EXPECT_EQ(8, cursor.select("s = 'name7'", dbCursorViewOnly));
    int n = 0;
    do {
        EXPECT_STREQ("name7", rec.s);
        n++;
    } while (cursor.gotoNext() && (cursor.fetch(), true));
    EXPECT_EQ(8, n);

    const char* wanted = "key3";
    dbQuery q;
    q.add("u = ").bind(wanted).add(" order by i desc");
    EXPECT_EQ(20, cursor.select(q, dbCursorViewOnly));
    std::int32_t prev = INT32_MAX;
    do {
        cursor.fetch();
        EXPECT_STREQ("key3", rec.u);
        EXPECT_LE(rec.i, prev);
        prev = rec.i;
    } while (cursor.gotoNext());

    // A condition with no rows, a compile error and a run-time error select nothing.
    EXPECT_EQ(0, cursor.select("i = 1000", dbCursorViewOnly));
    EXPECT_TRUE(cursor.isEmpty());
    EXPECT_EQ(0, cursor.select("i = ", dbCursorViewOnly));
    EXPECT_EQ(0, cursor.select("l / (i - i) = 1", dbCursorViewOnly));
    EXPECT_EQ(2u, db.reports.size());
    // An empty condition is the whole table.
    EXPECT_EQ(int(rows.size()), cursor.select("", dbCursorViewOnly));

    // The limit holds for condition selects.
    cursor.setSelectionLimit(5);
    EXPECT_EQ(5, cursor.select("j > 0", dbCursorViewOnly));
    cursor.unsetSelectionLimit();

    // An update cursor changes the rows it selected.
    dbAnyCursor updater(table, dbCursorForUpdate, &rec);
    ASSERT_EQ(3, updater.select("i = 42", dbCursorForUpdate));
    do {
        updater.fetch();
        rec.j = -1;
        updater.update();
    } while (updater.gotoNext());
    db.commit();
    EXPECT_EQ(3, cursor.select("j = -1", dbCursorViewOnly));
}

// Stored rows that do not fit their table (a corrupt or hostile file) stop the select with
// dbException instead of reading outside the row or walking a cycle for ever.
TEST_F(QueryTest, CorruptRowsThrowInsteadOfReadingWildAddresses)
{
    const dbFieldDescriptor* s = table.findField("s");
    db.beginTransaction(dbExclusiveLock);
    char* row = reinterpret_cast<char*>(db.getWritableRow(rows[3].oid));
    dbVarying var;
    std::memcpy(&var, row + s->dbsOffs, sizeof var);
    dbVarying wild{var.size, 0x7ffffff0u};
    std::memcpy(row + s->dbsOffs, &wild, sizeof wild);
    EXPECT_THROW(select("s = 'name3'"), dbException);
    EXPECT_THROW(select("order by s, i"), dbException);
    std::memcpy(row + s->dbsOffs, &var, sizeof var);
    EXPECT_EQ(8u, select("s = 'name3'").size());

    // A row chain that loops back on itself.
    dbRecord* last = db.getWritableRow(rows.back().oid);
    last->next = rows[10].oid;
    EXPECT_THROW(select("l < 0"), dbException);
    db.rollback();
    EXPECT_EQ(rows.size(), select("l >= 0").size());
}

// Parallel scans with two threads: the even positions of the chain come first, then the odd.
TEST(ParallelQueryTest, TwoThreadsListEvenPositionsBeforeOddOnesAndMergeOrderedResults)
{
    TempDir dir;
    QueryTestDatabase db(2);
    dbTableDescriptor table{"T", &db, sizeof(Rec), describeRec};
    ASSERT_TRUE(db.open(dir.File("p").c_str(), dir.File("p.fdb").c_str()));
    std::vector<oid_t> oids;
    for (int k = 0; k < 1000; k++) {
        Rec rec{};
        rec.i = k;
        rec.l = (k * 7919) % 1000;
        rec.s = "x";
        rec.u = "y";
        oids.push_back(dbInsertRecord(db, &table, &rec));
    }
    db.commit();
    dbGetPlanStatistics() = {};
    dbQuery q("i >= 0");
    dbQueryResult result;
    ASSERT_TRUE(dbSelect(db, &table, q, result));
    EXPECT_EQ(1, dbGetPlanStatistics().parallelScans);
    ASSERT_EQ(1000u, result.ids.size());
    for (std::size_t k = 0; k < 500; k++) {
        EXPECT_EQ(oids[2 * k], result.ids[k]);
        EXPECT_EQ(oids[2 * k + 1], result.ids[500 + k]);
    }
    dbQuery ordered("i < 900 order by l desc");
    ASSERT_TRUE(dbSelect(db, &table, ordered, result));
    ASSERT_EQ(900u, result.ids.size());
    db.beginTransaction(dbSharedLock);
    std::int64_t prev = INT64_MAX;
    for (oid_t oid : result.ids) {
        Rec r{};
        dbUnpackRecord(&table, &r, db.getRow(oid));
        EXPECT_LE(r.l, prev);
        prev = r.l;
    }
    // Errors in a worker fail the select like any other.
    dbQuery failing("l / (i - 500) > 100");
    EXPECT_FALSE(dbSelect(db, &table, failing, result));
    EXPECT_TRUE(result.ids.empty());
    ASSERT_FALSE(db.reports.empty());
    EXPECT_EQ(ArithmeticError, db.reports.back().errorClass);

    // Below the threshold one thread scans.
    dbGetPlanStatistics() = {};
    dbSetParallelScanThreshold(1001);
    ASSERT_TRUE(dbSelect(db, &table, q, result));
    dbSetParallelScanThreshold(1000);
    EXPECT_EQ(0, dbGetPlanStatistics().parallelScans);
    EXPECT_EQ(oids, result.ids);
    db.close();
    db.unbindTables();
}

struct Dated {
    std::int32_t n;
    dbDateTime t;
};

// Date methods are called from conditions and from ORDER BY expressions.
TEST(DateQueryTest, MethodsOfStoredDatesAnswerConditions)
{
    setenv("TZ", "UTC", 1);
    tzset();
    TempDir dir;
    QueryTestDatabase db;
    dbTableDescriptor table{"Dated", &db, sizeof(Dated), [] {
                                return describeInt4Field(new dbFieldDescriptor("n", offsetof(Dated, n), 4, 0))
                                    ->chain(describeDateField(new dbFieldDescriptor("t", offsetof(Dated, t),
                                                                                    sizeof(dbDateTime), 0)));
                            }};
    ASSERT_TRUE(db.open(dir.File("d").c_str(), dir.File("d.fdb").c_str()));
    const std::int32_t stamps[] = {1325376000 /* 2012-01-01 00:00:00, a Sunday */,
                                   1356998399 /* 2012-12-31 23:59:59, a Monday */,
                                   946684800 /* 2000-01-01, a Saturday */, -1};
    std::vector<oid_t> oids;
    for (int k = 0; k < 4; k++) {
        Dated d{k, dbDateTime(stamps[k])};
        oids.push_back(dbInsertRecord(db, &table, &d));
    }
    db.commit();
    const struct {
        const char* text;
        std::vector<int> rows;
    } cases[] = {
        {"t.year = 2012", {0, 1}},  {"t.month = 12 and t.day = 31", {1, 3}}, // -1 is 1969-12-31 23:59:59
        {"t.dayOfYear = 366", {1}}, {"t.dayOfWeek = 1", {0}},
        {"t.dayOfWeek = 7", {2}},   {"t.hour = 23 and t.minute = 59 and t.second = 59", {1, 3}},
        {"t.year = 1969", {3}},     {"t.year > 1999 order by t.year desc, n", {0, 1, 2}},
    };
    for (const auto& c : cases) {
        dbQuery q(c.text);
        dbQueryResult result;
        ASSERT_TRUE(dbSelect(db, &table, q, result)) << c.text;
        std::vector<oid_t> want;
        for (int r : c.rows)
            want.push_back(oids[std::size_t(r)]);
        std::vector<oid_t> got = result.ids;
        if (std::string(c.text).find("order") == std::string::npos)
            std::sort(got.begin(), got.end());
        EXPECT_EQ(want, got) << c.text;
    }
    db.close();
    db.unbindTables();
}

// The left value of "in" is cut to the element's width before it is compared: 259 is 3 in a
// one-byte array, 65539 in a two-byte one, and only a full-width array compares all 64 bits.
struct Widths {
    dbAnyArray a1, a2, a4, a8;
};

template <typename T> void widthAllocator(dbAnyArray* array, void* data, std::size_t count)
{
    delete[] static_cast<T*>(array->allocated ? array->data : nullptr);
    array->data = data;
    array->nElems = count;
    array->allocated = 0;
    if (!data && count) {
        array->data = new T[count];
        array->allocated = count;
    }
}

template <typename T>
dbFieldDescriptor* describeWidthArray(const char* name, std::size_t offs,
                                      dbFieldDescriptor* (*element)(dbFieldDescriptor*))
{
    auto* elem = new dbFieldDescriptor("[]");
    elem->appSize = sizeof(T);
    element(elem);
    return describeArrayField(new dbFieldDescriptor(name, offs, sizeof(dbAnyArray), 0), elem,
                              widthAllocator<T>);
}

TEST(InArrayQueryTest, TheLeftValueIsTruncatedToTheElementWidth)
{
    TempDir dir;
    QueryTestDatabase db;
    dbTableDescriptor table{
        "Widths", &db, sizeof(Widths), [] {
            return describeWidthArray<std::int8_t>("a1", offsetof(Widths, a1), describeInt1Field)
                ->chain(describeWidthArray<std::int16_t>("a2", offsetof(Widths, a2), describeInt2Field))
                ->chain(describeWidthArray<std::int32_t>("a4", offsetof(Widths, a4), describeInt4Field))
                ->chain(describeWidthArray<std::int64_t>("a8", offsetof(Widths, a8), describeInt8Field));
        }};
    ASSERT_TRUE(db.open(dir.File("w").c_str(), dir.File("w.fdb").c_str()));
    std::int8_t e1[] = {3, -1};
    std::int16_t e2[] = {3, -1};
    std::int32_t e4[] = {3, -1};
    std::int64_t e8[] = {3, -1};
    Widths row{{2, e1, 0}, {2, e2, 0}, {2, e4, 0}, {2, e8, 0}};
    oid_t oid = dbInsertRecord(db, &table, &row);
    db.commit();
    const struct {
        const char* text;
        bool found;
    } cases[] = {
        {"3 in a1", true},          {"259 in a1", true},         {"-253 in a1", true},
        {"255 in a1", true},        {"258 in a1", false},        {"65539 in a2", true},
        {"65535 in a2", true},      {"259 in a2", false},        {"4294967299 in a4", true},
        {"4294967295 in a4", true}, {"65539 in a4", false},      {"3 in a8", true},
        {"-1 in a8", true},         {"4294967299 in a8", false}, {"4294967295 in a8", false},
    };
    for (const auto& c : cases) {
        dbQuery q(c.text);
        dbQueryResult result;
        ASSERT_TRUE(dbSelect(db, &table, q, result)) << c.text;
        EXPECT_EQ(c.found ? std::vector<oid_t>{oid} : std::vector<oid_t>{}, result.ids) << c.text;
    }
    db.close();
    db.unbindTables();
}

} // namespace
