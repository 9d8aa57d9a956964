#include "RecordSupport.h"

#include "engine286/Symbols.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct Stamp {
    std::int32_t stamp;
};

struct All {
    bool b;
    std::int8_t i1;
    std::int16_t i2;
    std::int32_t i4;
    std::int64_t i8;
    float r4;
    double r8;
    const char* s;
    oid_t ref;
    dbAnyArray arr;
    Stamp st;
    Stamp plain;
    char raw[3];
};

dbFieldDescriptor* describeStamp(std::size_t offs, const char* name, int flags)
{
    return describeStructureField(
        new dbFieldDescriptor(name, offs, sizeof(Stamp), flags),
        describeInt4Field(new dbFieldDescriptor("stamp", offsetof(Stamp, stamp), 4, HASHED | INDEXED)));
}

dbFieldDescriptor* describeAll()
{
    return describeBoolField(new dbFieldDescriptor("b", offsetof(All, b), 1, 0))
        ->chain(describeInt1Field(new dbFieldDescriptor("i1", offsetof(All, i1), 1, 0)))
        ->chain(describeInt2Field(new dbFieldDescriptor("i2", offsetof(All, i2), 2, 0)))
        ->chain(describeInt4Field(new dbFieldDescriptor("i4", offsetof(All, i4), 4, HASHED)))
        ->chain(describeInt8Field(new dbFieldDescriptor("i8", offsetof(All, i8), 8, INDEXED)))
        ->chain(describeReal4Field(new dbFieldDescriptor("r4", offsetof(All, r4), 4, 0)))
        ->chain(describeReal8Field(new dbFieldDescriptor("r8", offsetof(All, r8), 8, HASHED | INDEXED)))
        ->chain(describeStringField(new dbFieldDescriptor("s", offsetof(All, s), sizeof(char*), INDEXED)))
        ->chain(describeReferenceField(
            new dbFieldDescriptor("ref", offsetof(All, ref), 4, HASHED | DB_FIELD_CASCADE_DELETE), "All"))
        ->chain(
            describeInt1ArrayField(new dbFieldDescriptor("arr", offsetof(All, arr), sizeof(dbAnyArray), 0)))
        ->chain(describeStamp(offsetof(All, st), "st", HASHED))
        ->chain(describeStamp(offsetof(All, plain), "plain", 0))
        ->chain(describeRawBinaryField(new dbFieldDescriptor("raw", offsetof(All, raw), 3, 0)));
}

// A descriptor defined at namespace scope joins the chain during static initialisation. It is
// fixed to a database object that never opens, so no test database binds it.
dbDatabase* const neverOpened = reinterpret_cast<dbDatabase*>(std::uintptr_t(16));
dbTableDescriptor staticDescriptor("StaticallyDescribed", neverOpened, sizeof(Stamp),
                                   [] { return describeInt4Field(new dbFieldDescriptor("stamp", 0, 4, 0)); });

TEST(DescriptorTest, EveryTypeCodeGetsItsStoredOffsetSizeAndIndexFlags)
{
    dbTableDescriptor all("All", neverOpened, sizeof(All), describeAll);
    struct Expected {
        const char* name;
        int type;
        int offset;
        std::size_t size;
        int indexFlags;
    } expected[] = {
        {"b", tpBool, 12, 1, 0},
        {"i1", tpInt1, 13, 1, 0},
        {"i2", tpInt2, 14, 2, 0},
        {"i4", tpInt4, 16, 4, HASHED},
        {"i8", tpInt8, 24, 8, INDEXED},
        {"r4", tpReal4, 32, 4, 0},
        {"r8", tpReal8, 40, 8, HASHED | INDEXED},
        {"s", tpString, 48, 8, INDEXED},
        {"ref", tpReference, 56, 4, HASHED | DB_FIELD_CASCADE_DELETE},
        {"arr", tpArray, 60, 8, 0},
        {"arr[]", tpInt1, 0, 1, 0},
        {"st", tpStructure, 68, 4, HASHED},
        {"st.stamp", tpInt4, 68, 4, HASHED}, // only what the structure's own field allows
        {"plain", tpStructure, 72, 4, 0},
        {"plain.stamp", tpInt4, 72, 4, 0},
        {"raw", tpRawBinary, 76, 3, 0},
    };
    int i = 0;
    for (dbFieldDescriptor* fd = all.firstField; fd; fd = fd->nextField, i++) {
        ASSERT_LT(i, int(std::size(expected)));
        const Expected& e = expected[i];
        EXPECT_EQ(e.name, fd->longName);
        EXPECT_EQ(e.type, fd->type) << e.name;
        EXPECT_EQ(e.offset, fd->dbsOffs) << e.name;
        EXPECT_EQ(e.size, fd->dbsSize) << e.name;
        EXPECT_EQ(e.indexFlags, fd->indexType) << e.name;
        EXPECT_EQ(i, fd->fieldNo);
        EXPECT_EQ(&all, fd->defTable);
    }
    EXPECT_EQ(int(std::size(expected)), all.nFields);
    EXPECT_EQ(13, all.nColumns);
    EXPECT_EQ(79u, all.fixedSize);
    EXPECT_GE(all.appSize, sizeof(All) - 8); // the trailing padding of All may be left out

    auto names = [](dbFieldDescriptor* first, dbFieldDescriptor* dbFieldDescriptor::*next) {
        std::vector<std::string> out;
        for (dbFieldDescriptor* fd = first; fd; fd = fd->*next)
            out.push_back(fd->longName);
        return out;
    };
    EXPECT_EQ((std::vector<std::string>{"i4", "r8", "ref", "st.stamp"}),
              names(all.hashedFields, &dbFieldDescriptor::nextHashedField));
    EXPECT_EQ((std::vector<std::string>{"i8", "r8", "s"}),
              names(all.indexedFields, &dbFieldDescriptor::nextIndexedField));

    // Arrays of one-byte elements are stored as the application holds them; the record is not.
    EXPECT_TRUE(all.findField("arr")->attr & dbFieldDescriptor::OneToOneMapping);
    EXPECT_TRUE(all.findField("arr")->attr & dbFieldDescriptor::ComponentOfArray);
    EXPECT_TRUE(all.findField("arr[]")->attr & dbFieldDescriptor::ComponentOfArray);

    // Names are interned: lookups compare pointers.
    const char* st = "st";
    dbSymbolTable::instance().add(st, 0, true);
    EXPECT_EQ(all.findField("st"), all.findSymbol(st));
    const char* stamp = "stamp";
    dbSymbolTable::instance().add(stamp, 0, true);
    EXPECT_EQ(all.findField("st.stamp"), all.findSymbol(st)->findSymbol(stamp));
}

struct Reward {
    const char* name;
    std::int32_t quantity;
    std::int32_t take;
};

struct ColWidth {
    std::int8_t type;
    std::int8_t col;
    std::int16_t width;
};

TEST(DescriptorTest, ApplicationTablesGetTheirKnownLayoutsAndDefinitionSizes)
{
    dbTableDescriptor reward("Reward", neverOpened, sizeof(Reward), [] {
        return describeStringField(new dbFieldDescriptor("name", offsetof(Reward, name), sizeof(char*), 0))
            ->chain(describeInt4Field(new dbFieldDescriptor("quantity", offsetof(Reward, quantity), 4, 0)))
            ->chain(describeInt4Field(new dbFieldDescriptor("take", offsetof(Reward, take), 4, 0)));
    });
    dbTableDescriptor colWidth("ColWidth", neverOpened, sizeof(ColWidth), [] {
        return describeInt1Field(new dbFieldDescriptor("type", offsetof(ColWidth, type), 1, 0))
            ->chain(describeInt1Field(new dbFieldDescriptor("col", offsetof(ColWidth, col), 1, 0)))
            ->chain(describeInt2Field(new dbFieldDescriptor("width", offsetof(ColWidth, width), 2, 0)));
    });
    EXPECT_EQ(28u, reward.fixedSize);
    EXPECT_EQ(20, reward.findField("quantity")->dbsOffs);
    EXPECT_EQ(24, reward.findField("take")->dbsOffs);
    EXPECT_EQ(16u, colWidth.fixedSize);
    EXPECT_EQ(14, colWidth.findField("width")->dbsOffs);

    TempDir dir;
    dbDatabase db;
    dbTableDescriptor stored("Reward", &db, sizeof(Reward), reward.describeComponentsFunc);
    dbTableDescriptor storedCols("ColWidth", &db, sizeof(ColWidth), colWidth.describeComponentsFunc);
    ASSERT_TRUE(openWithSchema(db, dir.File("a"), dir.File("a.fdb")));
    db.beginTransaction(dbSharedLock);
    EXPECT_EQ(212u, db.getRow(stored.tableId)->size);
    EXPECT_EQ(210u, db.getRow(storedCols.tableId)->size);
    closeWithSchema(db);
}

TEST(DescriptorTest, DescribingFewerBytesThanTheRecordWarnsWithTheClassName)
{
    struct Wide {
        std::int32_t a;
        std::int32_t undescribed[4];
    };
    testing::internal::CaptureStderr();
    dbTableDescriptor wide("Wide", neverOpened, sizeof(Wide),
                           [] { return describeInt4Field(new dbFieldDescriptor("a", 0, 4, 0)); });
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ("Warning: may be not all fields of the class 'Wide' were described\n", err);

    testing::internal::CaptureStderr();
    dbTableDescriptor reward("Reward", neverOpened, sizeof(Reward), [] {
        return describeStringField(new dbFieldDescriptor("name", offsetof(Reward, name), sizeof(char*), 0))
            ->chain(describeInt4Field(new dbFieldDescriptor("quantity", offsetof(Reward, quantity), 4, 0)))
            ->chain(describeInt4Field(new dbFieldDescriptor("take", offsetof(Reward, take), 4, 0)));
    });
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
}

TEST(DescriptorTest, DescriptorsJoinTheGlobalChainAndLeaveItWhenDestroyed)
{
    auto inChain = [](dbTableDescriptor* d) {
        for (dbTableDescriptor* t = dbTableDescriptor::getChain(); t; t = t->getNext()) {
            if (t == d)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(inChain(&staticDescriptor));
    dbTableDescriptor* local =
        new dbTableDescriptor("Local", neverOpened, sizeof(Stamp), staticDescriptor.describeComponentsFunc);
    EXPECT_EQ(local, dbTableDescriptor::getChain());
    dbTableDescriptor* copy = local->clone();
    EXPECT_FALSE(inChain(copy));
    EXPECT_EQ(local->fixedSize, copy->fixedSize);
    delete copy;
    delete local;
    EXPECT_FALSE(inChain(local));
    EXPECT_TRUE(inChain(&staticDescriptor));
}

TEST(DescriptorTest, ATemplateGetsACopyInEveryDatabaseThatOpens)
{
    TempDir dir;
    dbTableDescriptor shared("Shared", DETACHED_TABLE, sizeof(Stamp),
                             staticDescriptor.describeComponentsFunc);
    dbDatabase a, b;
    ASSERT_TRUE(openWithSchema(a, dir.File("a"), dir.File("a.fdb")));
    ASSERT_TRUE(openWithSchema(b, dir.File("b"), dir.File("b.fdb")));
    dbTableDescriptor* inA = dbFindBoundTable(a, &shared);
    dbTableDescriptor* inB = dbFindBoundTable(b, &shared);
    ASSERT_NE(nullptr, inA);
    ASSERT_NE(nullptr, inB);
    EXPECT_NE(inA, inB);
    EXPECT_NE(&shared, inA);
    EXPECT_EQ(&a, inA->db);
    EXPECT_EQ(0u, shared.tableId);
    Stamp s{5};
    EXPECT_NE(0u, dbInsertRecord(a, inA, &s));
    EXPECT_THROW(dbInsertRecord(b, inA, &s), dbException); // a copy belongs to its database
    closeWithSchema(a);
    closeWithSchema(b);
    EXPECT_TRUE(a.tables.empty());
}

} // namespace
