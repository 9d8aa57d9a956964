// Query text against a small database: every text either fails to compile (with one report) or
// selects exactly the rows that evaluating its condition on every row accepts.
#include "engine286/Compiler.h"
#include "engine286/Evaluator.h"
#include "engine286/Query.h"
#include "engine286/Records.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class FuzzDatabase : public dbDatabase {
public:
    void reportError(int errorClass, const char* msg, int arg) override { reports++; }
    int reports = 0;
};

struct Row {
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
    dbAnyArray refs;
};

dbFieldDescriptor* describeRow()
{
    return describeBoolField(new dbFieldDescriptor("b", offsetof(Row, b), 1, 0))
        ->chain(describeInt1Field(new dbFieldDescriptor("i1", offsetof(Row, i1), 1, HASHED)))
        ->chain(describeInt4Field(new dbFieldDescriptor("i", offsetof(Row, i), 4, HASHED)))
        ->chain(describeInt4Field(new dbFieldDescriptor("j", offsetof(Row, j), 4, INDEXED)))
        ->chain(describeInt8Field(new dbFieldDescriptor("l", offsetof(Row, l), 8, HASHED | INDEXED)))
        ->chain(describeReal4Field(new dbFieldDescriptor("f", offsetof(Row, f), 4, INDEXED)))
        ->chain(describeReal8Field(new dbFieldDescriptor("d", offsetof(Row, d), 8, INDEXED)))
        ->chain(describeStringField(new dbFieldDescriptor("s", offsetof(Row, s), sizeof(char*), INDEXED)))
        ->chain(describeStringField(new dbFieldDescriptor("u", offsetof(Row, u), sizeof(char*), HASHED)))
        ->chain(describeReferenceField(new dbFieldDescriptor("r", offsetof(Row, r), 4, INDEXED), "Row"))
        ->chain(describeInt1ArrayField(new dbFieldDescriptor("a", offsetof(Row, a), sizeof(dbAnyArray), 0)))
        ->chain(describeReferenceArrayField(
            new dbFieldDescriptor("refs", offsetof(Row, refs), sizeof(dbAnyArray), 0), "Row"));
}

struct Fixture {
    FuzzDatabase db;
    dbTableDescriptor table{"Row", &db, sizeof(Row), describeRow};
    std::vector<oid_t> rows;
    std::filesystem::path dir;

    Fixture()
    {
        dir = std::filesystem::temp_directory_path() / ("fuzzQuery." + std::to_string(getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::string name = (dir / "q").string();
        if (!db.open(name.c_str(), (name + ".fdb").c_str()))
            std::abort();
        const char* texts[] = {"",    "a",        "ab",   "abc",  "b%c",
                               "x_y", "\xff\xff", "name", "Name", "\xe5\x90\x8d"};
        for (int k = 0; k < 60; k++) {
            std::int8_t bytes[4] = {std::int8_t(k % 3), std::int8_t(-k), 127, std::int8_t(k % 5)};
            oid_t refs[2] = {rows.empty() ? 0 : rows.front(), rows.empty() ? 0 : rows.back()};
            Row r{};
            r.b = k % 2;
            r.i1 = std::int8_t(k * 13);
            r.i = k % 7 - 3;
            r.j = k * 1000 - 20000;
            r.l = k % 4 == 0 ? INT64_MIN + k : std::int64_t(k) << 40;
            r.f = float(k) / 4;
            r.d = k % 9 == 0 ? -0.0 : (k % 11 == 0 ? 1e300 : k / 3.0);
            r.s = texts[k % 10];
            r.u = texts[(k * 7) % 10];
            r.r = rows.empty() || k % 5 == 0 ? 0 : rows[std::size_t(k) / 2];
            r.a.nElems = std::size_t(k % 5);
            r.a.data = bytes;
            r.refs.nElems = k % 3 == 0 ? 2 : 0;
            r.refs.data = refs;
            rows.push_back(dbInsertRecord(db, &table, &r));
        }
        db.commit();
        std::sort(rows.begin(), rows.end());
    }
    ~Fixture()
    {
        db.close();
        std::filesystem::remove_all(dir);
    }
};

Fixture& fixture()
{
    static Fixture* f = new Fixture; // lives until exit: the database stays open between inputs
    return *f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 8192)
        return 0;
    Fixture& fx = fixture();
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str(); // the condition ends at the first NUL, as a C text does
    dbQuery q(text.c_str());
    dbQueryResult result;
    fx.db.reports = 0;
    bool ok = dbSelect(fx.db, &fx.table, q, result);
    if (!ok) {
        if (fx.db.reports != 1)
            __builtin_trap();
        return 0;
    }
    std::vector<oid_t> got = result.wholeTable ? fx.rows : result.ids;
    std::sort(got.begin(), got.end());
    if (std::adjacent_find(got.begin(), got.end()) != got.end() && q.startFrom == 0)
        __builtin_trap(); // a row selected twice
    for (oid_t oid : got) {
        if (!std::binary_search(fx.rows.begin(), fx.rows.end(), oid))
            __builtin_trap();
    }
    if (q.startFrom != dbCompiledQuery::StartFromAny)
        return 0;
    // Whatever plan answered, the rows are those the condition accepts.
    const dbTable* tableRow = fx.db.getTable(fx.table.tableId);
    std::vector<oid_t> expected;
    try {
        for (oid_t oid : fx.rows) {
            if (dbTestCondition(fx.db, q.tree.get(), oid, tableRow, fx.table.fixedSize, nullptr))
                expected.push_back(oid);
        }
    } catch (const dbEvaluationError&) {
        return 0; // a row the plan never had to evaluate may fail
    }
    if (expected != got)
        __builtin_trap();
    return 0;
}
