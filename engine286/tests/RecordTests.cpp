#include "RecordSupport.h"

#include "engine286/Checker.h"
#include "engine286/Query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <map>
#include <random>

namespace {

struct Item {
    const char* name;
    std::int32_t key;
    std::int64_t big;
    double score;
    bool flag;
};

dbFieldDescriptor* describeItem()
{
    return describeStringField(
               new dbFieldDescriptor("name", offsetof(Item, name), sizeof(char*), HASHED | INDEXED))
        ->chain(describeInt4Field(new dbFieldDescriptor("key", offsetof(Item, key), 4, HASHED | INDEXED)))
        ->chain(describeInt8Field(new dbFieldDescriptor("big", offsetof(Item, big), 8, HASHED)))
        ->chain(describeReal8Field(new dbFieldDescriptor("score", offsetof(Item, score), 8, INDEXED)))
        ->chain(describeBoolField(new dbFieldDescriptor("flag", offsetof(Item, flag), 1, 0)));
}

struct Model {
    std::string name;
    std::int32_t key;
    std::int64_t big;
    double score;
    bool flag;
};

// NaN after every number and equal to NaN; -0 equal to +0.
int compareScores(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) == std::isnan(b) ? 0 : (std::isnan(a) ? 1 : -1);
    return a < b ? -1 : (a == b ? 0 : 1);
}

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reportedErrors().clear();
        ASSERT_TRUE(openWithSchema(db, name(), path()));
    }
    void TearDown() override
    {
        if (db.isOpen())
            closeWithSchema(db);
    }
    std::string path() const { return dir.File("test.fdb"); }
    std::string name() const { return dir.File("test"); }
    void reopen()
    {
        db.commit();
        closeWithSchema(db);
        ASSERT_TRUE(openWithSchema(db, name(), path()));
    }
    dbFieldDescriptor* field(const char* n) { return items.findField(n); }

    Item fetch(oid_t oid)
    {
        Item item{};
        db.beginTransaction(dbSharedLock);
        dbUnpackRecord(&items, &item, db.getRow(oid));
        return item;
    }

    // Every index of the table agrees with the model.
    void expectIndicesMatch(const std::map<oid_t, Model>& model, std::mt19937& rng)
    {
        db.beginTransaction(dbSharedLock);
        std::vector<oid_t> rows = tableRows(db, &items);
        std::set<oid_t> expectedRows;
        for (const auto& m : model)
            expectedRows.insert(m.first);
        ASSERT_EQ(expectedRows, std::set<oid_t>(rows.begin(), rows.end()));
        ASSERT_EQ(model.size(), rows.size());

        std::map<std::string, std::multiset<oid_t>> byName;
        std::map<std::int64_t, std::multiset<oid_t>> byBig;
        std::map<std::int32_t, std::multiset<oid_t>> byKey;
        for (const auto& [oid, m] : model) {
            byName[m.name].insert(oid);
            byBig[m.big].insert(oid);
            byKey[m.key].insert(oid);
        }
        for (const auto& [n, oids] : byName) {
            std::vector<oid_t> found = hashFind(db, field("name"), n.c_str());
            ASSERT_EQ(oids, std::multiset<oid_t>(found.begin(), found.end())) << "name " << n.substr(0, 20);
        }
        for (const auto& [b, oids] : byBig) {
            std::vector<oid_t> found = hashFind(db, field("big"), &b);
            ASSERT_EQ(oids, std::multiset<oid_t>(found.begin(), found.end())) << "big " << b;
        }
        std::int32_t absent = 1000000;
        EXPECT_TRUE(hashFind(db, field("key"), &absent).empty());

        // T-trees: every row once, in key order; backwards the exact reverse.
        std::vector<oid_t> byKeyOrder = treeOrder(db, field("key"));
        ASSERT_EQ(expectedRows, std::set<oid_t>(byKeyOrder.begin(), byKeyOrder.end()));
        ASSERT_EQ(model.size(), byKeyOrder.size());
        for (std::size_t i = 1; i < byKeyOrder.size(); i++)
            ASSERT_LE(model.at(byKeyOrder[i - 1]).key, model.at(byKeyOrder[i]).key);
        std::vector<oid_t> back = treeOrder(db, field("key"), false);
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(byKeyOrder, back);

        std::vector<oid_t> byName2 = treeOrder(db, field("name"));
        ASSERT_EQ(model.size(), byName2.size());
        for (std::size_t i = 1; i < byName2.size(); i++)
            ASSERT_LE(model.at(byName2[i - 1]).name, model.at(byName2[i]).name);
        std::vector<oid_t> byScore = treeOrder(db, field("score"));
        ASSERT_EQ(expectedRows, std::set<oid_t>(byScore.begin(), byScore.end()));
        for (std::size_t i = 1; i < byScore.size(); i++)
            ASSERT_LE(compareScores(model.at(byScore[i - 1]).score, model.at(byScore[i]).score), 0);

        // Random ranges over the key, all four inclusions.
        for (int r = 0; r < 8; r++) {
            std::int32_t lo = std::int32_t(rng() % 220) - 10, hi = lo + std::int32_t(rng() % 60);
            int li = int(rng() % 2), hiIncl = int(rng() % 2);
            std::multiset<oid_t> expected;
            for (const auto& [oid, m] : model) {
                if ((li ? m.key >= lo : m.key > lo) && (hiIncl ? m.key <= hi : m.key < hi))
                    expected.insert(oid);
            }
            std::vector<oid_t> found = treeRange(db, field("key"), &lo, li, &hi, hiIncl);
            ASSERT_EQ(expected, std::multiset<oid_t>(found.begin(), found.end()))
                << lo << (li ? "<=" : "<") << " key " << (hiIncl ? "<=" : "<") << hi;
        }
    }

    TempDir dir;
    dbDatabase db;
    dbTableDescriptor items{"Item", &db, sizeof(Item), describeItem};
};

TEST_F(RecordTest, IndicesFollowThousandsOfRandomChangesThroughCommitRollbackAndReopen)
{
    std::mt19937 rng(20261210);
    std::map<oid_t, Model> model, committed;
    const double specials[] = {0.0, -0.0, std::numeric_limits<double>::quiet_NaN(), -1.5, 1e300};
    auto randomModel = [&]() {
        Model m;
        int n = int(rng() % 60);
        m.name = n == 0 ? std::string(600 + rng() % 50, 'x') : "name" + std::to_string(n);
        m.key = std::int32_t(rng() % 200);
        m.big = std::int64_t(rng() % 40) * 1000000007LL;
        m.score = rng() % 10 == 0 ? specials[rng() % 5] : double(rng() % 100) / 4;
        m.flag = rng() % 2;
        return m;
    };
    auto toItem = [](const Model& m) { return Item{m.name.c_str(), m.key, m.big, m.score, m.flag}; };

    for (int step = 1; step <= 3000; step++) {
        unsigned op = rng() % 10;
        if (model.empty() || op < 5) {
            Model m = randomModel();
            Item item = toItem(m);
            oid_t oid = dbInsertRecord(db, &items, &item);
            model[oid] = m;
        } else {
            auto it = model.begin();
            std::advance(it, rng() % model.size());
            if (op < 8) {
                Model m = randomModel();
                if (rng() % 3 == 0)
                    m.key = it->second.key, m.name = it->second.name; // indexed values unchanged
                Item item = toItem(m);
                dbUpdateRecord(db, it->first, &items, &item);
                it->second = m;
            } else {
                dbRemoveRecord(db, &items, it->first);
                model.erase(it);
            }
        }
        if (step % 250 == 0) {
            if (rng() % 4 == 0) {
                db.rollback();
                model = committed;
            } else {
                db.commit();
                committed = model;
            }
            expectIndicesMatch(model, rng);
            if (HasFatalFailure())
                return;
        }
    }
    EXPECT_GT(model.size(), 300u); // the run really built up a table
    db.commit();
    reopen();
    expectIndicesMatch(model, rng);
    for (const auto& [oid, m] : model) {
        Item item = fetch(oid);
        ASSERT_EQ(m.name, item.name);
        ASSERT_EQ(m.key, item.key);
        ASSERT_EQ(m.big, item.big);
        ASSERT_EQ(0, compareScores(m.score, item.score));
        ASSERT_EQ(m.flag, item.flag);
    }
    closeWithSchema(db);
    dbCheckReport report = dbCheckFile(path());
    EXPECT_TRUE(report.errors.empty()) << report.text();
}

TEST_F(RecordTest, CheckerFindsIndicesThatDisagreeWithTheRows)
{
    struct Case {
        const char* what;
        std::function<void(oid_t)> damage;
        const char* error;
    };
    const Case cases[] = {
        {"an indexed value written behind the indices' back",
         [this](oid_t r) {
             char* row = reinterpret_cast<char*>(db.getWritableRow(r));
             std::int32_t key = 1000; // above every other key: the tree order breaks too
             std::memcpy(row + field("key")->dbsOffs, &key, 4);
         },
         "the hash index of Item.key keeps row"},
        {"a row left out of a hash index",
         [this](oid_t r) {
             const dbFieldDescriptor* f = field("big");
             removeFromHashTable(db, f->hashTable, r, f->type, int(f->dbsSize), f->dbsOffs);
         },
         "the hash index of Item.big misses 1 rows"},
        {"a row left out of a T-tree",
         [this](oid_t r) {
             const dbFieldDescriptor* f = field("score");
             removeFromTTree(db, f->tTree, r, f->type, int(f->dbsSize), f->comparator, f->dbsOffs);
         },
         "the T-tree of Item.score misses 1 rows"},
        {"a row taken off its table but left in the indices",
         [this](oid_t r) { db.unlinkRow(items.tableId, r); },
         "holds 1 objects that are not rows of its table"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<oid_t> rows;
        for (int i = 0; i < 40; i++) {
            std::string n = "n" + std::to_string(i % 7);
            Item item{n.c_str(), i, std::int64_t(i) * 3, i / 2.0, false};
            rows.push_back(dbInsertRecord(db, &items, &item));
        }
        db.commit();
        db.beginTransaction(dbExclusiveLock);
        c.damage(rows[5]);
        db.commit();
        closeWithSchema(db);
        dbCheckReport report = dbCheckFile(path());
        bool found = false;
        for (const std::string& e : report.errors)
            found = found || e.find(c.error) != std::string::npos;
        EXPECT_TRUE(found) << report.text();
        std::filesystem::remove(path());
        ASSERT_TRUE(openWithSchema(db, name(), path()));
    }
}

TEST_F(RecordTest, NullStringIsStoredAsAnEmptyStringInTheRow)
{
    Item item{nullptr, 7, 0, 0, false};
    oid_t oid = dbInsertRecord(db, &items, &item);
    Item back = fetch(oid);
    ASSERT_NE(nullptr, back.name);
    EXPECT_STREQ("", back.name);
    const char* row = reinterpret_cast<const char*>(db.getRow(oid));
    EXPECT_GE(back.name, row);
    EXPECT_LT(back.name, row + db.getRow(oid)->size);
    const char* empty = "";
    EXPECT_EQ(std::vector<oid_t>{oid}, hashFind(db, field("name"), empty));
}

TEST_F(RecordTest, UpdateThatKeepsIndexedValuesLeavesTheIndexObjectsAlone)
{
    Item item{"alpha", 5, 77, 1.5, false};
    oid_t oid = dbInsertRecord(db, &items, &item);
    db.commit();
    db.beginTransaction(dbExclusiveLock);
    dbFieldDescriptor* name = field("name");
    dbFieldDescriptor* key = field("key");
    auto* h = reinterpret_cast<dbHashTableHeader*>(db.getObject(name->hashTable));
    std::uint32_t bucket = dbHashKey("alpha", 5, tpString) % h->size;
    oid_t page = h->page + bucket / 1024;
    oid_t root = reinterpret_cast<dbTtree*>(db.getObject(key->tTree))->root;
    offs_t pageBefore = db.getObjectHandle(page), rootBefore = db.getObjectHandle(root);

    Item changed{"alpha", 5, 77, 1.5, true}; // only the unindexed flag
    dbUpdateRecord(db, oid, &items, &changed);
    EXPECT_EQ(pageBefore, db.getObjectHandle(page));
    EXPECT_EQ(rootBefore, db.getObjectHandle(root));
    EXPECT_TRUE(fetch(oid).flag);

    Item renamed{"beta", 6, 77, 1.5, true};
    dbUpdateRecord(db, oid, &items, &renamed);
    EXPECT_TRUE(hashFind(db, name, "alpha").empty());
    EXPECT_EQ(std::vector<oid_t>{oid}, hashFind(db, name, "beta"));
    std::int32_t six = 6;
    EXPECT_EQ(std::vector<oid_t>{oid}, treeRange(db, key, &six, 1, &six, 1));
}

TEST_F(RecordTest, UpdateFromStringsOfTheSameRowAndLargerThanTheScratchBuffer)
{
    std::string big(700, 'q');
    Item item{big.c_str(), 1, 2, 3, false};
    oid_t oid = dbInsertRecord(db, &items, &item);
    // Twice in one transaction: the second update writes the very object it reads, whose strings
    // the fetched record points into.
    Item fetched = fetch(oid);
    fetched.key = 9;
    dbUpdateRecord(db, oid, &items, &fetched);
    fetched = fetch(oid);
    fetched.flag = true;
    const offs_t moved = db.getObjectHandle(oid);
    dbUpdateRecord(db, oid, &items, &fetched);
    EXPECT_EQ(moved, db.getObjectHandle(oid)); // same size, already copied: updated in place
    Item back = fetch(oid);
    EXPECT_EQ(big, back.name);
    EXPECT_EQ(9, back.key);
    EXPECT_TRUE(back.flag);
    EXPECT_EQ(std::vector<oid_t>{oid}, hashFind(db, field("name"), big.c_str()));
}

TEST_F(RecordTest, RemoveAllRowsEmptiesTheTableAndItsIndices)
{
    for (int i = 0; i < 300; i++) {
        std::string n = "n" + std::to_string(i % 7);
        Item item{n.c_str(), i % 11, i, double(i), false};
        dbInsertRecord(db, &items, &item);
    }
    db.commit();
    dbRemoveAllRows(db, &items);
    EXPECT_TRUE(tableRows(db, &items).empty());
    EXPECT_EQ(0, db.getTable(items.tableId)->nRows);
    EXPECT_TRUE(hashFind(db, field("name"), "n3").empty());
    EXPECT_TRUE(treeOrder(db, field("key")).empty());
    Item again{"n3", 1, 1, 1, false};
    oid_t oid = dbInsertRecord(db, &items, &again);
    EXPECT_EQ(std::vector<oid_t>{oid}, hashFind(db, field("name"), "n3"));
    EXPECT_EQ(std::vector<oid_t>{oid}, treeOrder(db, field("key")));
    reopen();
    db.beginTransaction(dbSharedLock);
    EXPECT_EQ(std::vector<oid_t>{oid}, tableRows(db, &items));
    closeWithSchema(db);
    dbCheckReport report = dbCheckFile(path());
    EXPECT_TRUE(report.errors.empty()) << report.text();
}

TEST_F(RecordTest, RowsAndIndexEntriesOfAnotherKindAreErrorsNotCrashes)
{
    Item item{"x", 1, 2, 3, false};
    oid_t oid = dbInsertRecord(db, &items, &item);
    db.beginTransaction(dbExclusiveLock);
    char* row = reinterpret_cast<char*>(db.getWritableRow(oid));
    auto* name = reinterpret_cast<dbVarying*>(row + field("name")->dbsOffs);
    const dbVarying saved = *name;
    Item back{};
    const dbVarying hostile[] = {{5000, saved.offs}, {saved.size, 0xFFFFFFF0u}, {0, saved.offs}, {1, 4}};
    for (const dbVarying& v : hostile) {
        *name = v;
        EXPECT_THROW(dbUnpackRecord(&items, &back, db.getRow(oid)), dbException) << v.size << " " << v.offs;
    }
    *name = saved;
    EXPECT_NO_THROW(dbUnpackRecord(&items, &back, db.getRow(oid)));
    // A hash table or T-tree handle that names the wrong kind of object.
    dbSearchContext sc = searchFor(field("key"));
    std::int32_t k = 1;
    sc.firstKey = &k;
    EXPECT_THROW(findInHashTable(db, oid, sc), dbException);
    EXPECT_THROW(findInTTree(db, field("name")->hashTable, sc), dbException);
    EXPECT_THROW(findInTTree(db, 0x7FFFFFF0u, sc), dbException);
}

// ---- Inverse references --------------------------------------------------------------------

struct Owner;
struct Pet {
    const char* name;
    oid_t owner;
};
struct Owner {
    const char* name;
    dbAnyArray pets;
    oid_t favourite; // cascade: removing the owner removes the favourite when nobody else needs it
};

dbFieldDescriptor* describePet()
{
    return describeStringField(new dbFieldDescriptor("name", offsetof(Pet, name), sizeof(char*), 0))
        ->chain(describeReferenceField(new dbFieldDescriptor("owner", offsetof(Pet, owner), 4, 0, "pets"),
                                       "Owner"));
}

dbFieldDescriptor* describeOwner()
{
    return describeStringField(new dbFieldDescriptor("name", offsetof(Owner, name), sizeof(char*), 0))
        ->chain(describeReferenceArrayField(
            new dbFieldDescriptor("pets", offsetof(Owner, pets), sizeof(dbAnyArray), 0, "owner"), "Pet"))
        ->chain(describeReferenceField(
            new dbFieldDescriptor("favourite", offsetof(Owner, favourite), 4, DB_FIELD_CASCADE_DELETE),
            "Pet"));
}

class InverseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reportedErrors().clear();
        ASSERT_TRUE(openWithSchema(db, dir.File("inv"), dir.File("inv.fdb")));
    }
    void TearDown() override
    {
        if (db.isOpen())
            closeWithSchema(db);
    }
    std::vector<oid_t> petsOf(oid_t owner)
    {
        Owner o{};
        db.beginTransaction(dbSharedLock);
        dbUnpackRecord(&owners, &o, db.getRow(owner));
        std::vector<oid_t> result(static_cast<oid_t*>(o.pets.data),
                                  static_cast<oid_t*>(o.pets.data) + o.pets.nElems);
        return result;
    }
    oid_t ownerOf(oid_t pet)
    {
        Pet p{};
        db.beginTransaction(dbSharedLock);
        dbUnpackRecord(&pets, &p, db.getRow(pet));
        return p.owner;
    }
    oid_t addPet(const char* n, oid_t owner)
    {
        Pet p{n, owner};
        return dbInsertRecord(db, &pets, &p);
    }

    TempDir dir;
    dbDatabase db;
    dbTableDescriptor pets{"Pet", &db, sizeof(Pet), describePet};
    dbTableDescriptor owners{"Owner", &db, sizeof(Owner), describeOwner};
};

TEST_F(InverseTest, ReferencesAndTheirInverseArraysStayInStep)
{
    EXPECT_TRUE(reportedErrors().empty());
    Owner o{"ann", {}, 0};
    oid_t ann = dbInsertRecord(db, &owners, &o);
    Owner b{"bob", {}, 0};
    oid_t bob = dbInsertRecord(db, &owners, &b);
    std::vector<oid_t> annPets;
    for (int i = 0; i < 40; i++) {
        annPets.push_back(addPet(("p" + std::to_string(i)).c_str(), ann));
        if (i == 20)
            db.commit(); // growth continues on a committed (copied) row
    }
    EXPECT_EQ(annPets, petsOf(ann));
    Owner fetched{};
    dbUnpackRecord(&owners, &fetched, db.getRow(ann));
    EXPECT_STREQ("ann", fetched.name); // the other variable parts survived the growth

    // Moving a pet to bob takes it out of ann's array and into bob's.
    Pet moved{"p5", bob};
    const oid_t movedPet = annPets[5];
    dbUpdateRecord(db, movedPet, &pets, &moved);
    annPets.erase(annPets.begin() + 5);
    EXPECT_EQ(annPets, petsOf(ann));
    EXPECT_EQ(std::vector<oid_t>{movedPet}, petsOf(bob));

    // Removing a pet clears it from its owner; removing bob clears the pet's owner.
    dbRemoveRecord(db, &pets, annPets[0]);
    annPets.erase(annPets.begin());
    EXPECT_EQ(annPets, petsOf(ann));
    oid_t bobsPet = petsOf(bob)[0];
    dbRemoveRecord(db, &owners, bob);
    EXPECT_EQ(0u, ownerOf(bobsPet));

    // Updating the owner's array directly adjusts the pets' references.
    std::vector<oid_t> keep(annPets.begin(), annPets.begin() + 3);
    keep.push_back(bobsPet);
    Owner edited{"ann", {keep.size(), keep.data(), 0}, 0};
    dbUpdateRecord(db, ann, &owners, &edited);
    EXPECT_EQ(ann, ownerOf(bobsPet));
    EXPECT_EQ(0u, ownerOf(annPets[5]));
    EXPECT_EQ(ann, ownerOf(annPets[1]));
    db.commit();
    closeWithSchema(db);
    dbCheckReport report = dbCheckFile(dir.File("inv.fdb"));
    EXPECT_TRUE(report.errors.empty()) << report.text();
}

// The member's team is indexed both ways and written by the engine whenever a team's member list
// changes: every index must follow those writes.
struct Member {
    const char* name;
    oid_t team;
};
struct Team {
    const char* name;
    dbAnyArray members;
};

TEST(InverseIndexTest, IndicesOfAnInverseMaintainedFieldFindWhatAScanFinds)
{
    TempDir dir;
    dbDatabase db;
    dbTableDescriptor members("Member", &db, sizeof(Member), [] {
        return describeStringField(new dbFieldDescriptor("name", offsetof(Member, name), sizeof(char*), 0))
            ->chain(describeReferenceField(
                new dbFieldDescriptor("team", offsetof(Member, team), 4, HASHED | INDEXED, "members"),
                "Team"));
    });
    dbTableDescriptor teams("Team", &db, sizeof(Team), [] {
        return describeStringField(new dbFieldDescriptor("name", offsetof(Team, name), sizeof(char*), 0))
            ->chain(describeReferenceArrayField(
                new dbFieldDescriptor("members", offsetof(Team, members), sizeof(dbAnyArray), 0, "team"),
                "Member"));
    });
    ASSERT_TRUE(openWithSchema(db, dir.File("t"), dir.File("t.fdb")));
    std::vector<oid_t> m;
    for (int i = 0; i < 10; i++) {
        Member x{"m", 0};
        m.push_back(dbInsertRecord(db, &members, &x));
    }
    Team a{"a", {5, m.data(), 0}};
    const oid_t teamA = dbInsertRecord(db, &teams, &a); // m0..m4 join a
    Team b{"b", {}};
    const oid_t teamB = dbInsertRecord(db, &teams, &b);
    db.commit();
    Member moved{"m", teamB};
    dbUpdateRecord(db, m[5], &members, &moved);
    oid_t nowInA[] = {m[0], m[1], m[6]};
    Team edited{"a", {3, nowInA, 0}}; // m2..m4 leave a (team set to 0), m6 joins
    dbUpdateRecord(db, teamA, &teams, &edited);

    const dbFieldDescriptor* team = members.findField("team");
    ASSERT_NE(nullptr, team);
    db.beginTransaction(dbSharedLock);
    for (oid_t key : {teamA, teamB, oid_t(0)}) {
        std::vector<oid_t> scanned;
        for (oid_t r : tableRows(db, &members)) {
            Member row{};
            dbUnpackRecord(&members, &row, db.getRow(r));
            if (row.team == key)
                scanned.push_back(r);
        }
        std::sort(scanned.begin(), scanned.end());
        std::vector<oid_t> hashed = hashFind(db, team, &key);
        std::vector<oid_t> ranged = treeRange(db, team, &key, 1, &key, 1);
        std::sort(hashed.begin(), hashed.end());
        std::sort(ranged.begin(), ranged.end());
        EXPECT_EQ(scanned, hashed) << "team " << key;
        EXPECT_EQ(scanned, ranged) << "team " << key;
        // And a select, which plans through the index.
        oid_t param = key;
        dbQuery q;
        q.add("team = ").bindReference(param, &teams);
        dbQueryResult result;
        ASSERT_TRUE(dbSelect(db, &members, q, result));
        std::sort(result.ids.begin(), result.ids.end());
        EXPECT_EQ(scanned, result.ids) << "team " << key;
    }
    EXPECT_EQ(3u, hashFind(db, team, &teamA).size());

    // Removing the team clears its members' team through the indices too; then every member goes.
    dbRemoveRecord(db, &teams, teamA);
    for (oid_t r : m)
        EXPECT_NO_THROW(dbRemoveRecord(db, &members, r));
    db.commit();
    closeWithSchema(db);
    dbCheckReport report = dbCheckFile(dir.File("t.fdb"));
    EXPECT_TRUE(report.clean()) << report.text();
}

struct Box {
    oid_t content;
};
struct Content {
    oid_t box;
    dbAnyArray boxes; // shared contents list every box that holds them
};

TEST(CascadeTest, RemovingARecordRemovesWhatItAloneReferencesWithCascade)
{
    TempDir dir;
    dbDatabase db;
    dbTableDescriptor boxes("Box", &db, sizeof(Box), [] {
        return describeReferenceField(
            new dbFieldDescriptor("content", offsetof(Box, content), 4, DB_FIELD_CASCADE_DELETE, "boxes"),
            "Content");
    });
    dbTableDescriptor contents("Content", &db, sizeof(Content), [] {
        return describeReferenceField(new dbFieldDescriptor("box", offsetof(Content, box), 4, 0), "Box")
            ->chain(describeReferenceArrayField(
                new dbFieldDescriptor("boxes", offsetof(Content, boxes), sizeof(dbAnyArray), 0, "content"),
                "Box"));
    });
    ASSERT_TRUE(openWithSchema(db, dir.File("c"), dir.File("c.fdb")));
    Content c{0, {}};
    oid_t single = dbInsertRecord(db, &contents, &c);
    oid_t shared = dbInsertRecord(db, &contents, &c);
    Box b1{single}, b2{shared}, b3{shared};
    oid_t box1 = dbInsertRecord(db, &boxes, &b1);
    oid_t box2 = dbInsertRecord(db, &boxes, &b2);
    oid_t box3 = dbInsertRecord(db, &boxes, &b3);
    (void)box3;
    db.beginTransaction(dbSharedLock);
    Content got{};
    dbUnpackRecord(&contents, &got, db.getRow(shared));
    EXPECT_EQ(2u, got.boxes.nElems);

    dbRemoveRecord(db, &boxes, box1); // the only box holding it: removed too
    EXPECT_EQ(std::vector<oid_t>{shared}, tableRows(db, &contents));
    dbRemoveRecord(db, &boxes, box2); // another box still holds it: kept, one reference less
    EXPECT_EQ(std::vector<oid_t>{shared}, tableRows(db, &contents));
    dbUnpackRecord(&contents, &got, db.getRow(shared));
    EXPECT_EQ(1u, got.boxes.nElems);
    closeWithSchema(db);
}

TEST(InverseSchemaTest, AMissingOrMismatchedInverseFieldIsAWarningAndTheSchemaLoads)
{
    struct Lonely {
        oid_t other;
    };
    struct Other {
        oid_t back;
    };
    TempDir dir;
    dbDatabase db;
    dbTableDescriptor lonely("Lonely", &db, sizeof(Lonely), [] {
        return describeReferenceField(new dbFieldDescriptor("other", 0, 4, 0, "back"), "Other");
    });
    dbTableDescriptor other("Other", &db, sizeof(Other), [] {
        return describeReferenceField(new dbFieldDescriptor("back", 0, 4, 0, "wrong"), "Lonely");
    });
    reportedErrors().clear();
    ASSERT_TRUE(openWithSchema(db, dir.File("l"), dir.File("l.fdb")));
    EXPECT_TRUE(reported(
        InconsistentInverseReference,
        "Inverse references for field Lonely.other is Other.back, but its inverse reference is wrong"));
    EXPECT_TRUE(reported(InconsistentInverseReference,
                         "Failed to locate inverse reference field Lonely.wrong for field Other.back"));
    Lonely l{0};
    EXPECT_NE(0u, dbInsertRecord(db, &lonely, &l));
    closeWithSchema(db);
}

} // namespace

namespace {

struct Part {
    const char* label;
    std::int64_t weight; // aligned to 8 inside the element
};

void partAllocator(dbAnyArray* array, void* data, std::size_t count)
{
    delete[] static_cast<Part*>(array->allocated ? array->data : nullptr);
    array->data = data;
    array->nElems = count;
    array->allocated = 0;
    if (!data && count) {
        array->data = new Part[count];
        array->allocated = count;
    }
}

struct Assembly {
    std::int8_t tag;
    std::int64_t serial;
    float ratio;
    dbAnyArray parts;
    const char* title;
    dbAnyArray bytes;
    unsigned char digest[5];
};

dbFieldDescriptor* describeAssembly()
{
    auto* element = new dbFieldDescriptor("[]");
    element->appSize = sizeof(Part);
    describeStructureField(
        element,
        describeStringField(new dbFieldDescriptor("label", offsetof(Part, label), sizeof(char*), 0))
            ->chain(describeInt8Field(new dbFieldDescriptor("weight", offsetof(Part, weight), 8, 0))));
    return describeInt1Field(new dbFieldDescriptor("tag", offsetof(Assembly, tag), 1, 0))
        ->chain(describeInt8Field(new dbFieldDescriptor("serial", offsetof(Assembly, serial), 8, 0)))
        ->chain(describeReal4Field(new dbFieldDescriptor("ratio", offsetof(Assembly, ratio), 4, 0)))
        ->chain(describeArrayField(
            new dbFieldDescriptor("parts", offsetof(Assembly, parts), sizeof(dbAnyArray), 0), element,
            partAllocator))
        ->chain(
            describeStringField(new dbFieldDescriptor("title", offsetof(Assembly, title), sizeof(char*), 0)))
        ->chain(describeInt1ArrayField(
            new dbFieldDescriptor("bytes", offsetof(Assembly, bytes), sizeof(dbAnyArray), 0)))
        ->chain(describeRawBinaryField(new dbFieldDescriptor("digest", offsetof(Assembly, digest), 5, 0)));
}

TEST(RoundTripTest, ArraysOfStructuresWithStringsComeBackAsStored)
{
    TempDir dir;
    dbDatabase db;
    dbTableDescriptor table("Assembly", &db, sizeof(Assembly), describeAssembly);
    ASSERT_TRUE(openWithSchema(db, dir.File("r"), dir.File("r.fdb")));
    Part parts[] = {{"wheel", 1LL << 40}, {nullptr, -3}, {"a much longer label than the others", 7}};
    unsigned char bytes[] = {1, 2, 250};
    Assembly a{-7, -(1LL << 50), 0.25f, {3, parts, 0}, "cart", {3, bytes, 0}, {9, 8, 7, 6, 5}};
    oid_t oid = dbInsertRecord(db, &table, &a);
    Assembly empty{0, 0, 0, {0, nullptr, 0}, nullptr, {0, nullptr, 0}, {}};
    oid_t none = dbInsertRecord(db, &table, &empty);
    db.commit();
    closeWithSchema(db);
    ASSERT_TRUE(openWithSchema(db, dir.File("r"), dir.File("r.fdb")));
    db.beginTransaction(dbSharedLock);
    const dbRecord* row = db.getRow(oid);
    // Elements are 16 bytes apart (8-aligned weight), their strings lie behind the element array
    // and are addressed relative to their element.
    EXPECT_EQ(16u, table.findField("parts[]")->dbsSize);
    Assembly b{};
    dbUnpackRecord(&table, &b, row);
    EXPECT_EQ(-7, b.tag);
    EXPECT_EQ(-(1LL << 50), b.serial);
    EXPECT_EQ(0.25f, b.ratio);
    ASSERT_EQ(3u, b.parts.nElems);
    const Part* got = static_cast<const Part*>(b.parts.data);
    EXPECT_STREQ("wheel", got[0].label);
    EXPECT_EQ(1LL << 40, got[0].weight);
    EXPECT_STREQ("", got[1].label);
    EXPECT_EQ(-3, got[1].weight);
    EXPECT_STREQ("a much longer label than the others", got[2].label);
    EXPECT_STREQ("cart", b.title);
    ASSERT_EQ(3u, b.bytes.nElems);
    EXPECT_EQ(0, std::memcmp(bytes, b.bytes.data, 3));
    EXPECT_EQ(0u, b.bytes.allocated); // one-byte elements are read in place
    EXPECT_EQ(0, std::memcmp(a.digest, b.digest, 5));
    partAllocator(&b.parts, nullptr, 0);

    Assembly c{};
    dbUnpackRecord(&table, &c, db.getRow(none));
    EXPECT_EQ(0u, c.parts.nElems);
    EXPECT_STREQ("", c.title);
    closeWithSchema(db);
}

} // namespace

namespace {

TEST(EvaluatorScratchTest, InlineAreaFirstThenBlocksThatLiveAsLongAsTheScratch)
{
    dbEvaluatorScratch scratch;
    char* a = static_cast<char*>(scratch.allocate(4000));
    char* b = static_cast<char*>(scratch.allocate(4000));
    EXPECT_EQ(a + 4000, b);                               // both in the inline area
    char* c = static_cast<char*>(scratch.allocate(1000)); // past 8 KB: a block of its own
    EXPECT_TRUE(c < a || c >= a + dbEvaluatorScratch::inlineSize);
    char* d = static_cast<char*>(scratch.allocate(100000));
    std::memset(a, 1, 4000);
    std::memset(c, 2, 1000);
    std::memset(d, 3, 100000);
    EXPECT_EQ(1, b[-1]);
    EXPECT_EQ(2, c[999]);
}

} // namespace
