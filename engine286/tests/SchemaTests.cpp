#include "RecordSupport.h"

#include "engine286/Checker.h"
#include "platform/testing/FileContents.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// One table, "Conv", described differently by successive versions of the application.
struct V1 {
    std::int32_t a;
    std::int32_t b;
    const char* s;
};
dbFieldDescriptor* describeV1()
{
    return describeInt4Field(new dbFieldDescriptor("a", offsetof(V1, a), 4, HASHED))
        ->chain(describeInt4Field(new dbFieldDescriptor("b", offsetof(V1, b), 4, INDEXED)))
        ->chain(describeStringField(new dbFieldDescriptor("s", offsetof(V1, s), sizeof(char*), 0)));
}

// b becomes a real, a bool and a string are added, s moves behind them.
struct V2 {
    std::int32_t a;
    double b;
    bool added;
    const char* text;
    const char* s;
};
dbFieldDescriptor* describeV2()
{
    return describeInt4Field(new dbFieldDescriptor("a", offsetof(V2, a), 4, HASHED))
        ->chain(describeReal8Field(new dbFieldDescriptor("b", offsetof(V2, b), 8, INDEXED)))
        ->chain(describeBoolField(new dbFieldDescriptor("added", offsetof(V2, added), 1, 0)))
        ->chain(describeStringField(new dbFieldDescriptor("text", offsetof(V2, text), sizeof(char*), 0)))
        ->chain(describeStringField(new dbFieldDescriptor("s", offsetof(V2, s), sizeof(char*), 0)));
}

// b becomes a string: not convertible.
struct V3 {
    std::int32_t a;
    const char* b;
    const char* s;
};
dbFieldDescriptor* describeV3()
{
    return describeInt4Field(new dbFieldDescriptor("a", offsetof(V3, a), 4, HASHED))
        ->chain(describeStringField(new dbFieldDescriptor("b", offsetof(V3, b), sizeof(char*), 0)))
        ->chain(describeStringField(new dbFieldDescriptor("s", offsetof(V3, s), sizeof(char*), 0)));
}

// b is gone.
struct V4 {
    std::int32_t a;
    const char* s;
};
dbFieldDescriptor* describeV4()
{
    return describeInt4Field(new dbFieldDescriptor("a", offsetof(V4, a), 4, HASHED))
        ->chain(describeStringField(new dbFieldDescriptor("s", offsetof(V4, s), sizeof(char*), 0)));
}

class SchemaTest : public ::testing::Test {
protected:
    void SetUp() override { reportedErrors().clear(); }
    std::string path() const { return dir.File("s.fdb"); }
    std::string name() const { return dir.File("s"); }

    // Stores rows a = i, b = -i * 3 + 1, s = "row<i>" with version 1.
    void storeV1Rows(int n)
    {
        dbDatabase db;
        dbTableDescriptor conv("Conv", &db, sizeof(V1), describeV1);
        ASSERT_TRUE(openWithSchema(db, name(), path()));
        for (int i = 0; i < n; i++) {
            std::string s = "row" + std::to_string(i);
            V1 r{i, -i * 3 + 1, s.c_str()};
            dbInsertRecord(db, &conv, &r);
        }
        db.commit();
        closeWithSchema(db);
    }

    void expectCleanFile()
    {
        dbCheckReport report = dbCheckFile(path());
        EXPECT_TRUE(report.errors.empty()) << report.text();
    }

    TempDir dir;
};

TEST_F(SchemaTest, ReopeningWithTheSameDescriptorsChangesNothing)
{
    storeV1Rows(10);
    std::string before = uitest::ReadWholeFile(path());
    {
        dbDatabase db;
        dbTableDescriptor conv("Conv", &db, sizeof(V1), describeV1);
        ASSERT_TRUE(openWithSchema(db, name(), path()));
        EXPECT_NE(0u, conv.tableId);
        EXPECT_NE(0u, conv.findField("a")->hashTable);
        EXPECT_NE(0u, conv.findField("b")->tTree);
        closeWithSchema(db);
        EXPECT_EQ(0u, conv.tableId);
    }
    EXPECT_EQ(before, uitest::ReadWholeFile(path()));
}

TEST_F(SchemaTest, ChangedFieldsConvertEveryRowAndKeepTheIndicesWorking)
{
    storeV1Rows(50);
    dbDatabase db;
    dbTableDescriptor conv("Conv", &db, sizeof(V2), describeV2);
    ASSERT_TRUE(openWithSchema(db, name(), path()));
    db.beginTransaction(dbSharedLock);
    std::vector<oid_t> rows = tableRows(db, &conv);
    ASSERT_EQ(50u, rows.size());
    for (std::size_t i = 0; i < rows.size(); i++) {
        V2 r{};
        dbUnpackRecord(&conv, &r, db.getRow(rows[i]));
        EXPECT_EQ(int(i), r.a);
        EXPECT_EQ(-double(i) * 3 + 1, r.b);
        EXPECT_FALSE(r.added);
        EXPECT_STREQ("", r.text);
        EXPECT_EQ("row" + std::to_string(i), r.s);
    }
    // The hash index on a (type kept) was taken over; the T-tree on b (type changed) was rebuilt
    // for the real values.
    std::int32_t seven = 7;
    EXPECT_EQ(std::vector<oid_t>{rows[7]}, hashFind(db, conv.findField("a"), &seven));
    std::vector<oid_t> order = treeOrder(db, conv.findField("b"));
    std::vector<oid_t> reversed(rows.rbegin(), rows.rend());
    EXPECT_EQ(reversed, order);
    double low = -20, high = 1;
    EXPECT_EQ(8u, treeRange(db, conv.findField("b"), &low, 1, &high, 1).size()); // i = 0..7
    closeWithSchema(db);
    expectCleanFile();
}

TEST_F(SchemaTest, AnIncompatibleChangeFailsTheOpenAndLeavesTheFileAlone)
{
    storeV1Rows(5);
    std::string before = uitest::ReadWholeFile(path());
    dbDatabase db;
    dbTableDescriptor conv("Conv", &db, sizeof(V3), describeV3);
    EXPECT_FALSE(openWithSchema(db, name(), path()));
    EXPECT_TRUE(reported(DatabaseOpenError, "Incompatible class definition in application"));
    EXPECT_EQ(0u, conv.tableId);
    dbUnbindTables(db);
    expectCleanFile();
    // Only the header's dirty flag may differ: nothing of the failed load is committed.
    std::string after = uitest::ReadWholeFile(path());
    ASSERT_EQ(before.size(), after.size());
    EXPECT_EQ(0, std::memcmp(before.data() + sizeof(dbHeader), after.data() + sizeof(dbHeader),
                             before.size() - sizeof(dbHeader)));
}

TEST_F(SchemaTest, RemovingAFieldNeedsPermissionOnlyWhenTheTableHasRows)
{
    storeV1Rows(3);
    {
        dbDatabase db;
        dbTableDescriptor conv("Conv", &db, sizeof(V4), describeV4);
        EXPECT_FALSE(openWithSchema(db, name(), path()));
        EXPECT_TRUE(reported(DatabaseOpenError, "Incompatible class definition in application"));
        dbUnbindTables(db);
    }
    {
        dbDatabase db;
        db.allowFieldRemoval(true);
        dbTableDescriptor conv("Conv", &db, sizeof(V4), describeV4);
        ASSERT_TRUE(openWithSchema(db, name(), path()));
        db.beginTransaction(dbSharedLock);
        std::vector<oid_t> rows = tableRows(db, &conv);
        ASSERT_EQ(3u, rows.size());
        V4 r{};
        dbUnpackRecord(&conv, &r, db.getRow(rows[2]));
        EXPECT_EQ(2, r.a);
        EXPECT_STREQ("row2", r.s);
        closeWithSchema(db);
    }
    expectCleanFile();

    // An empty table takes any change.
    TempDir other;
    {
        dbDatabase db;
        dbTableDescriptor conv("Conv", &db, sizeof(V1), describeV1);
        ASSERT_TRUE(openWithSchema(db, other.File("e"), other.File("e.fdb")));
        closeWithSchema(db);
    }
    {
        dbDatabase db;
        dbTableDescriptor conv("Conv", &db, sizeof(V3), describeV3);
        ASSERT_TRUE(openWithSchema(db, other.File("e"), other.File("e.fdb")));
        EXPECT_EQ(tpString, conv.findField("b")->type);
        closeWithSchema(db);
    }
}

TEST_F(SchemaTest, AnIndexFlagAddedLaterBuildsTheIndexOverTheStoredRows)
{
    storeV1Rows(40);
    dbDatabase db;
    dbTableDescriptor conv("Conv", &db, sizeof(V1), [] {
        return describeInt4Field(new dbFieldDescriptor("a", offsetof(V1, a), 4, HASHED))
            ->chain(describeInt4Field(new dbFieldDescriptor("b", offsetof(V1, b), 4, INDEXED)))
            ->chain(describeStringField(
                new dbFieldDescriptor("s", offsetof(V1, s), sizeof(char*), HASHED | INDEXED)));
    });
    ASSERT_TRUE(openWithSchema(db, name(), path()));
    dbFieldDescriptor* s = conv.findField("s");
    ASSERT_NE(0u, s->hashTable);
    ASSERT_NE(0u, s->tTree);
    db.beginTransaction(dbSharedLock);
    std::vector<oid_t> rows = tableRows(db, &conv);
    EXPECT_EQ(std::vector<oid_t>{rows[31]}, hashFind(db, s, "row31"));
    EXPECT_EQ(40u, treeOrder(db, s).size());
    closeWithSchema(db);
    expectCleanFile();

    // Reopened by the first version, which declares no index on s: the stored T-tree makes the
    // field indexed again (and is kept up to date); the hash table is not kept beside it.
    dbDatabase again;
    dbTableDescriptor v1("Conv", &again, sizeof(V1), describeV1);
    ASSERT_TRUE(openWithSchema(again, name(), path()));
    dbFieldDescriptor* s1 = v1.findField("s");
    EXPECT_TRUE(s1->indexType & INDEXED);
    EXPECT_EQ(0u, s1->hashTable);
    V1 r{100, 0, "new"};
    oid_t added = dbInsertRecord(again, &v1, &r);
    const char* key = "new";
    EXPECT_EQ(std::vector<oid_t>{added}, treeRange(again, s1, key, 1, key, 1));
    EXPECT_EQ(41u, treeOrder(again, s1).size());
    closeWithSchema(again);
}

// Stored definitions that do not make sense fail the open with a report.
TEST_F(SchemaTest, CorruptDefinitionsAndIndexHandlesFailTheOpen)
{
    enum Damage {
        FieldNameOutside,
        BadTypeCode,
        FieldsPastTheRow,
        HashHandleOutside,
        HashHandleOfARow,
        TreeHandleWrongKind
    };
    for (Damage damage : {FieldNameOutside, BadTypeCode, FieldsPastTheRow, HashHandleOutside,
                          HashHandleOfARow, TreeHandleWrongKind}) {
        TempDir d;
        oid_t tableId = 0, someRow = 0, hashTable = 0;
        {
            dbDatabase db;
            dbTableDescriptor conv("Conv", &db, sizeof(V1), describeV1);
            ASSERT_TRUE(openWithSchema(db, d.File("c"), d.File("c.fdb")));
            V1 r{1, 2, "x"};
            someRow = dbInsertRecord(db, &conv, &r);
            tableId = conv.tableId;
            hashTable = conv.findField("a")->hashTable;
            db.beginTransaction(dbExclusiveLock);
            auto* t = static_cast<dbTable*>(db.getWritableRow(tableId));
            auto* fields = reinterpret_cast<dbField*>(reinterpret_cast<char*>(t) + t->fields.offs);
            switch (damage) {
            case FieldNameOutside:
                fields[1].name.offs = 100000;
                break;
            case BadTypeCode:
                fields[2].type = 15;
                break;
            case FieldsPastTheRow:
                t->fields.size = 1000;
                break;
            case HashHandleOutside:
                fields[0].hashTable = 0x7FFFFF00u;
                break;
            case HashHandleOfARow:
                fields[0].hashTable = someRow;
                break;
            case TreeHandleWrongKind:
                fields[1].tTree = hashTable;
                break;
            }
            db.commit();
            closeWithSchema(db);
        }
        reportedErrors().clear();
        dbDatabase db;
        dbTableDescriptor conv("Conv", &db, sizeof(V1), describeV1);
        EXPECT_FALSE(openWithSchema(db, d.File("c"), d.File("c.fdb"))) << damage;
        EXPECT_FALSE(reportedErrors().empty()) << damage;
        for (const ReportedError& e : reportedErrors())
            EXPECT_EQ(DatabaseOpenError, e.errorClass) << e.message;
        dbUnbindTables(db);
    }
}

TEST_F(SchemaTest, ANewTableCannotBeAddedInReadOnlyAccess)
{
    storeV1Rows(1);
    dbDatabase db(dbReadOnly);
    dbTableDescriptor conv("Conv", &db, sizeof(V1), describeV1);
    dbTableDescriptor extra("Extra", &db, sizeof(V1), describeV1);
    EXPECT_FALSE(openWithSchema(db, name(), path()));
    EXPECT_TRUE(reported(DatabaseOpenError, "New table definition can not be added to read only database"));
    dbUnbindTables(db);
}

} // namespace

namespace {

struct Bytes {
    dbAnyArray values;
};

void int4ArrayAllocator(dbAnyArray* array, void* data, std::size_t count)
{
    delete[] static_cast<std::int32_t*>(array->allocated ? array->data : nullptr);
    array->data = data;
    array->nElems = count;
    array->allocated = 0;
    if (!data && count) {
        array->data = new std::int32_t[count];
        array->allocated = count;
    }
}

TEST(SchemaArrayTest, ArrayElementsThatGrowAreConvertedIntoRoomOfTheirNewSize)
{
    TempDir dir;
    {
        dbDatabase db;
        dbTableDescriptor t("Bytes", &db, sizeof(Bytes), [] {
            return describeInt1ArrayField(new dbFieldDescriptor("values", 0, sizeof(dbAnyArray), 0));
        });
        ASSERT_TRUE(openWithSchema(db, dir.File("a"), dir.File("a.fdb")));
        signed char v[] = {1, -2, 127, -128, 5, 6, 7};
        Bytes b{{7, v, 0}};
        dbInsertRecord(db, &t, &b);
        db.commit();
        closeWithSchema(db);
    }
    dbDatabase db;
    dbTableDescriptor t("Bytes", &db, sizeof(Bytes), [] {
        auto* element = new dbFieldDescriptor("[]");
        element->appSize = 4;
        describeInt4Field(element);
        return describeArrayField(new dbFieldDescriptor("values", 0, sizeof(dbAnyArray), 0), element,
                                  int4ArrayAllocator);
    });
    ASSERT_TRUE(openWithSchema(db, dir.File("a"), dir.File("a.fdb")));
    db.beginTransaction(dbSharedLock);
    std::vector<oid_t> rows = tableRows(db, &t);
    ASSERT_EQ(1u, rows.size());
    Bytes b{};
    dbUnpackRecord(&t, &b, db.getRow(rows[0]));
    ASSERT_EQ(7u, b.values.nElems);
    const auto* got = static_cast<const std::int32_t*>(b.values.data);
    EXPECT_EQ((std::vector<std::int32_t>{1, -2, 127, -128, 5, 6, 7}),
              std::vector<std::int32_t>(got, got + 7));
    closeWithSchema(db);
    dbCheckReport report = dbCheckFile(dir.File("a.fdb"));
    EXPECT_TRUE(report.errors.empty()) << report.text();
}

} // namespace

namespace {

TEST(SchemaSecondOpenerTest, OnlyTheFirstOpenerMayConvertAndOthersBindOrAreRefused)
{
    TempDir dir;
    dbDatabase first, second, third;
    dbTableDescriptor conv1("Conv", &first, sizeof(V1), describeV1);
    dbTableDescriptor conv2("Conv", &second, sizeof(V1), describeV1);
    dbTableDescriptor conv3("Conv", &third, sizeof(V2), describeV2);
    reportedErrors().clear();
    ASSERT_TRUE(openWithSchema(first, dir.File("m"), dir.File("m.fdb")));
    V1 r{1, 2, "x"};
    dbInsertRecord(first, &conv1, &r);
    first.commit();
    ASSERT_TRUE(openWithSchema(second, dir.File("m"), dir.File("m.fdb")));
    EXPECT_EQ(conv1.tableId, conv2.tableId);
    EXPECT_EQ(conv1.findField("a")->hashTable, conv2.findField("a")->hashTable);
    EXPECT_FALSE(openWithSchema(third, dir.File("m"), dir.File("m.fdb")));
    EXPECT_TRUE(reported(DatabaseOpenError, "Incompatible class definition in application"));
    third.unbindTables();
    closeWithSchema(second);
    closeWithSchema(first);
}

} // namespace

namespace {

TEST(SchemaHostileRowTest, AStoredRowThatOverrunsItselfFailsTheConversionWithAReport)
{
    TempDir dir;
    {
        dbDatabase db;
        dbTableDescriptor conv("Conv", &db, sizeof(V1), describeV1);
        ASSERT_TRUE(openWithSchema(db, dir.File("h"), dir.File("h.fdb")));
        V1 r{1, 2, "text"};
        oid_t oid = dbInsertRecord(db, &conv, &r);
        char* row = reinterpret_cast<char*>(db.getWritableRow(oid));
        reinterpret_cast<dbVarying*>(row + conv.findField("s")->dbsOffs)->offs = 0xFFFFFF00u;
        db.commit();
        closeWithSchema(db);
    }
    reportedErrors().clear();
    dbDatabase db;
    dbTableDescriptor conv("Conv", &db, sizeof(V2), describeV2);
    EXPECT_FALSE(openWithSchema(db, dir.File("h"), dir.File("h.fdb")));
    EXPECT_TRUE(reported(DatabaseOpenError, "Database file was corrupted: Row is corrupted"));
    db.unbindTables();
}

} // namespace

namespace {

TEST(SchemaSharedDescriptorTest, ADescriptorOfNoFixedDatabaseIsFreeForTheNextDatabaseAfterClose)
{
    TempDir dir;
    dbTableDescriptor shared("Conv", nullptr, sizeof(V1), describeV1);
    reportedErrors().clear();
    {
        dbDatabase first;
        ASSERT_TRUE(openWithSchema(first, dir.File("one"), dir.File("one.fdb")));
        EXPECT_EQ(shared.db, &first);
        first.close(); // a plain close, as the application does
    }
    dbDatabase second;
    ASSERT_TRUE(openWithSchema(second, dir.File("two"), dir.File("two.fdb")));
    EXPECT_EQ(shared.db, &second);
    EXPECT_NE(shared.tableId, 0u);
    V1 r{7, 8, "moved"};
    dbInsertRecord(second, &shared, &r);
    second.commit();
    closeWithSchema(second);
}

} // namespace
