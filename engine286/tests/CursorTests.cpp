#include "RecordSupport.h"

#include "engine286/Cursor.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

struct Item {
    const char* name;
    std::int32_t value;
    static dbTableDescriptor dbDescriptor;
};

// The cursor tests' own database; the Item table is fixed to it, so no other test binds it.
dbDatabase cursorDb;

dbTableDescriptor Item::dbDescriptor("CursorItem", &cursorDb, sizeof(Item), [] {
    return describeStringField(new dbFieldDescriptor("name", offsetof(Item, name), sizeof(char*), 0))
        ->chain(describeInt4Field(new dbFieldDescriptor("value", offsetof(Item, value), 4, 0)));
});

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reportedErrors().clear();
        ASSERT_TRUE(openWithSchema(cursorDb, dir.File("cursor"), dir.File("cursor.fdb")));
    }
    void TearDown() override
    {
        if (cursorDb.isOpen())
            closeWithSchema(cursorDb);
    }

    // Inserts rows named by the texts; their value is their index.
    std::vector<oid_t> insertItems(const std::vector<std::string>& names)
    {
        std::vector<oid_t> oids;
        for (std::size_t i = 0; i < names.size(); i++) {
            Item item{names[i].c_str(), std::int32_t(i)};
            oids.push_back(dbInsert(item));
        }
        return oids;
    }

    // The names seen by stepping on from the current record.
    static std::vector<std::string> restOf(dbCursor<Item>& c)
    {
        std::vector<std::string> names;
        if (c.isEmpty())
            return names;
        names.push_back(c->name);
        while (Item* item = c.next())
            names.push_back(item->name);
        return names;
    }

    std::vector<std::string> storedNames()
    {
        dbCursor<Item> c;
        c.select();
        return restOf(c);
    }

    // A segment selection of the given oids, in that order.
    static void selectIds(dbAnyCursor& c, const std::vector<oid_t>& oids, int type = dbCursorForUpdate)
    {
        c.beginSelect(type);
        for (oid_t oid : oids)
            c.add(oid);
        c.finishSelect();
    }

    TempDir dir;
};

TEST_F(CursorTest, SelectAllStepsThroughEveryRowInStorageOrderAndStopsAtTheEnd)
{
    dbCursor<Item> empty;
    EXPECT_EQ(0, empty.select());
    EXPECT_FALSE(empty.gotoFirst());
    EXPECT_THROW(empty.get(), dbException);
    EXPECT_EQ(nullptr, empty.next());

    insertItems({"a", "b", "c"});
    dbCursor<Item> c;
    ASSERT_EQ(3, c.select());
    EXPECT_STREQ("a", c->name); // fetched by the select
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), restOf(c));
    EXPECT_FALSE(c.gotoNext());
    EXPECT_FALSE(c.gotoNext());
    EXPECT_TRUE(c.gotoFirst());
    c.fetch();
    EXPECT_STREQ("a", c->name);
}

TEST_F(CursorTest, ACommitEmptiesEveryCursorOfTheThread)
{
    insertItems({"a", "b"});
    dbCursor<Item> all;
    dbCursor<Item> one;
    all.select();
    one.positionAt(all.getOid());
    cursorDb.commit();
    for (dbCursor<Item>* c : {&all, &one}) {
        EXPECT_TRUE(c->isEmpty());
        EXPECT_EQ(0, c->getNumberOfRecords());
        EXPECT_THROW(c->get(), dbException);
        EXPECT_FALSE(c->gotoNext());
    }
    EXPECT_EQ(2, all.select()); // usable again after a new select
}

TEST_F(CursorTest, RemoveCurrentInAWholeTableSelectionMovesToANeighbour)
{
    const struct {
        std::vector<std::string> rows;
        int removeAt;
        const char* currentAfter; // null: no current record
        std::vector<std::string> left;
    } cases[] = {
        {{"a"}, 0, nullptr, {}},
        {{"a", "b", "c"}, 0, "b", {"b", "c"}},
        {{"a", "b", "c"}, 1, "c", {"a", "c"}},
        {{"a", "b", "c"}, 2, "b", {"a", "b"}},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.removeAt);
        {
            dbCursor<Item> wipe(dbCursorForUpdate);
            wipe.select();
            wipe.removeAllSelected();
        }
        insertItems(tc.rows);
        dbCursor<Item> c(dbCursorForUpdate);
        const int n = c.select();
        for (int i = 0; i < tc.removeAt; i++)
            c.next();
        c.removeCurrent();
        EXPECT_EQ(n, c.getNumberOfRecords()); // the count of ids found is kept
        if (tc.currentAfter)
            EXPECT_STREQ(tc.currentAfter, c->name);
        else
            EXPECT_TRUE(c.isEmpty());
        EXPECT_EQ(tc.left, storedNames());
    }
}

TEST_F(CursorTest, ALoopThatRemovesSomeRowsStillVisitsEveryRow)
{
    insertItems({"a", "b", "c", "d", "e"});
    std::vector<std::string> visited;
    dbCursor<Item> c(dbCursorForUpdate);
    c.select();
    do {
        visited.push_back(c->name);
        if (c->value % 2 == 0)
            c.removeCurrent();
    } while (c.gotoNext() && (c.fetch(), true));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "d", "e"}), visited);
    EXPECT_EQ((std::vector<std::string>{"b", "d"}), storedNames());
}

TEST_F(CursorTest, RemoveCurrentInASegmentSelection)
{
    // 1025 ids: a full first segment and a second holding one id.
    std::vector<std::string> names;
    for (int i = 0; i < 1025; i++)
        names.push_back("n" + std::to_string(i));
    const std::vector<oid_t> oids = insertItems(names);
    dbCursor<Item> c(dbCursorForUpdate);
    selectIds(c, oids);
    ASSERT_EQ(1025, c.getNumberOfRecords());

    // The last entry of a segment that keeps others: back to the preceding entry, and stepping
    // on continues with the next segment.
    for (int i = 0; i < 1023; i++)
        c.gotoNext();
    ASSERT_EQ(oids[1023], c.getOid());
    c.removeCurrent();
    EXPECT_EQ(oids[1022], c.getOid());
    EXPECT_STREQ("n1022", c->name);
    ASSERT_TRUE(c.gotoNext());
    EXPECT_EQ(oids[1024], c.getOid());

    // The only entry of the last segment: back to the last entry of the segment before.
    c.removeCurrent();
    EXPECT_EQ(oids[1022], c.getOid());
    EXPECT_FALSE(c.gotoNext());

    // A middle entry: on to the next one, which gotoNext does not skip.
    c.gotoFirst();
    c.removeCurrent();
    EXPECT_EQ(oids[1], c.getOid());
    ASSERT_TRUE(c.gotoNext());
    EXPECT_EQ(oids[1], c.getOid());
    ASSERT_TRUE(c.gotoNext());
    EXPECT_EQ(oids[2], c.getOid());
    EXPECT_EQ(1025, c.getNumberOfRecords());
}

TEST_F(CursorTest, PositionAtChecksTheOidWhenTheRecordIsFetched)
{
    const std::vector<oid_t> oids = insertItems({"a", "b"});
    dbCursor<Item> c(dbCursorForUpdate);
    c.positionAt(oids[1]);
    EXPECT_STREQ("b", c->name);

    EXPECT_THROW(c.positionAt(0), dbException);
    EXPECT_EQ(oids[1], c.getOid()); // nothing changed

    c.removeCurrent();
    EXPECT_THROW(c.positionAt(oids[1]), dbException);
    EXPECT_THROW(c.positionAt(0x7FFFFFF0u), dbException); // beyond the object index
    EXPECT_THROW(c.positionAt(dbBitmapId), dbException);  // not a row

    c.setPrefetchMode(false);
    c.positionAt(oids[1]); // not checked until the fetch
    EXPECT_THROW(c.fetch(), dbException);
    EXPECT_THROW(c.update(), dbException);
    EXPECT_EQ((std::vector<std::string>{"a"}), storedNames());
}

TEST_F(CursorTest, UpdateWritesTheRecordAndOtherCursorsOfTheThreadFollow)
{
    const std::vector<oid_t> oids = insertItems({"a", "b"});
    dbCursor<Item> view;
    view.positionAt(oids[0]);
    EXPECT_THROW(view.update(), dbException);
    dbCursor<Item> none(dbCursorForUpdate);
    EXPECT_THROW(none.update(), dbException);

    dbCursor<Item> writer(dbCursorForUpdate);
    writer.positionAt(oids[0]);
    writer->name = "a longer name than before";
    writer->value = 42;
    writer.update();
    EXPECT_STREQ("a longer name than before", view->name); // fetched again, without asking
    EXPECT_EQ(42, view->value);

    writer.removeCurrent();
    EXPECT_TRUE(view.isEmpty());
    cursorDb.commit();
    EXPECT_EQ((std::vector<std::string>{"b"}), storedNames());
}

TEST_F(CursorTest, RemoveAllSelectedRemovesTheSelectionOnly)
{
    const std::vector<oid_t> oids = insertItems({"a", "b", "c", "d"});
    {
        dbCursor<Item> some(dbCursorForUpdate);
        selectIds(some, {oids[3], oids[1], oids[1]}); // an id twice is removed once
        some.removeAllSelected();
        EXPECT_EQ(0, some.getNumberOfRecords());
    }
    EXPECT_EQ((std::vector<std::string>{"a", "c"}), storedNames());

    dbCursor<Item> watcher;
    watcher.positionAt(oids[2]);
    dbCursor<Item> all(dbCursorForUpdate);
    all.select();
    all.removeAllSelected();
    EXPECT_TRUE(watcher.isEmpty()); // told about the rows that went
    EXPECT_TRUE(storedNames().empty());
    EXPECT_EQ(0, all.select());
}

TEST_F(CursorTest, AWholeTableLoopThatInsertsIntoItsTableEnds)
{
    insertItems({"a", "b", "c"});
    dbCursor<Item> c;
    c.select();
    int visited = 0;
    do {
        Item copy{"copy", 0};
        dbInsert(copy);
        visited += 1;
    } while (c.gotoNext() && visited < 100);
    EXPECT_EQ(3, visited);
    EXPECT_EQ(6u, storedNames().size());
}

TEST_F(CursorTest, AddStopsAtTheLimitAndSkipsDuplicatesWhenAsked)
{
    const std::vector<oid_t> oids = insertItems({"a", "b", "c", "d"});
    dbAnyCursor c(Item::dbDescriptor, dbCursorViewOnly, nullptr);
    c.setPrefetchMode(false);
    c.beginSelect(dbCursorViewOnly);
    c.setSelectionLimit(3);
    c.enableDuplicateElimination();
    EXPECT_TRUE(c.add(oids[0]));
    EXPECT_TRUE(c.add(oids[0])); // skipped
    EXPECT_TRUE(c.add(oids[1]));
    EXPECT_FALSE(c.add(oids[2])); // the third fills the selection
    EXPECT_FALSE(c.add(oids[3]));
    EXPECT_EQ(3, c.finishSelect());

    // Marks beyond the bitmap (ids allocated after it was sized) neither crash nor get lost.
    const oid_t later = cursorDb.getWorkingIndexUsed() + 5000;
    EXPECT_FALSE(c.isMarked(later));
    c.mark(later);
    EXPECT_TRUE(c.isMarked(later));

    dbAnyCursor plain(Item::dbDescriptor, dbCursorViewOnly, nullptr);
    plain.mark(oids[0]); // no bitmap: marks are ignored
    EXPECT_FALSE(plain.isMarked(oids[0]));
}

TEST(CursorDeathTest, MisuseStopsTheProgramWithTheAssertion)
{
    dbTableDescriptor unbound("NeverBound", reinterpret_cast<dbDatabase*>(std::uintptr_t(16)), sizeof(Item),
                              Item::dbDescriptor.describeComponentsFunc);
    EXPECT_DEATH(
        {
            dbCursor<Item> view;
            view.removeCurrent();
        },
        "type == dbCursorForUpdate && removedId != 0");
    EXPECT_DEATH(
        {
            dbCursor<Item> view;
            view.removeAllSelected();
        },
        "type == dbCursorForUpdate");
    EXPECT_DEATH(
        {
            dbAnyCursor c(unbound, dbCursorViewOnly, nullptr);
            c.select();
        },
        "cursor associated with online database table");
}

} // namespace
