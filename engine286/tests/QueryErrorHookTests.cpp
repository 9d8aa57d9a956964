// Run-time query errors with the database's own error hook (no override, no handler): the select
// that met the error reports it and selects nothing, and the program carries on.
#include "TestSupport.h"

#include "engine286/Cursor.h"
#include "engine286/Query.h"
#include "engine286/Records.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

struct Num {
    std::int32_t n;
    const char* s;
    oid_t r;
};

dbFieldDescriptor* describeNum()
{
    return describeInt4Field(new dbFieldDescriptor("n", offsetof(Num, n), 4, 0))
        ->chain(describeStringField(new dbFieldDescriptor("s", offsetof(Num, s), sizeof(char*), 0)))
        ->chain(describeReferenceField(new dbFieldDescriptor("r", offsetof(Num, r), 4, 0), "Num"));
}

TEST(QueryErrorHookTest, DefaultHookFailsOnlyTheSelectThatMetARunTimeError)
{
    TempDir dir;
    dbDatabase db; // the default reportError
    dbTableDescriptor table{"Num", &db, sizeof(Num), describeNum};
    ASSERT_TRUE(db.open(dir.File("n").c_str(), dir.File("n.fdb").c_str()));
    for (int k = 0; k < 10; k++) {
        Num rec{k, "abc", 0};
        dbInsertRecord(db, &table, &rec);
    }
    db.commit();

    const struct {
        const char* condition;
        const char* printed;
    } cases[] = {
        {"100 / (n - n) = 1", "Division by zero"},
        {"1.5 / (n - n) > 0", "Division by zero"},
        {"0 ^ (n - 20) = 1", "Raise zero to negative power"},
        {"s[n + 3] = 97", "Index 3 is out of range"},
        {"r.n = 1", "Null object reference is accessed"},
    };
    Num rec{};
    dbAnyCursor cursor(table, dbCursorViewOnly, &rec);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(0, cursor.select(c.condition, dbCursorViewOnly));
        const std::string printed = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, printed.find(c.printed)) << printed;
        EXPECT_TRUE(cursor.isEmpty());
        // The same cursor and database answer the next select normally.
        ASSERT_EQ(4, cursor.select("n >= 6", dbCursorViewOnly));
        cursor.fetch();
        EXPECT_EQ(6, rec.n);
    }

    // A bound query that failed once runs again once its parameter no longer divides by zero.
    std::int32_t divisor = 0;
    dbQuery q;
    q.add("n / ").bind(divisor).add(" = 1");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(0, cursor.select(q, dbCursorViewOnly));
    ::testing::internal::GetCapturedStderr();
    divisor = 5;
    EXPECT_EQ(5, cursor.select(q, dbCursorViewOnly));

    // An update cursor whose select failed leaves the database usable for writing.
    dbAnyCursor updater(table, dbCursorForUpdate, &rec);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(0, updater.select("n / (n - n) = 0", dbCursorForUpdate));
    ::testing::internal::GetCapturedStderr();
    Num added{42, "x", 0};
    dbInsertRecord(db, &table, &added);
    db.commit();
    EXPECT_EQ(1, cursor.select("n = 42", dbCursorViewOnly));
    db.close();
    db.unbindTables();
}

} // namespace
