#include "RecordSupport.h"

#include "engine286/Checker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

namespace {

// Rows without descriptors: a key at offset 12 (int4 or real8) and a string at offset 20.
const int keyOffs = 12;
const int realOffs = 12;
const int stringOffs = 20;

class IndexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.open(dir.File("i").c_str(), dir.File("i.fdb").c_str()));
        table = createTable(db, "Raw");
    }
    void TearDown() override
    {
        if (db.isOpen())
            db.close();
    }

    oid_t row(std::int32_t key, const std::string& text = "")
    {
        db.beginTransaction(dbExclusiveLock);
        std::uint32_t size = std::uint32_t(28 + text.size() + 1);
        oid_t oid = db.allocateRow(table, size);
        char* r = reinterpret_cast<char*>(db.getRow(oid));
        std::memcpy(r + keyOffs, &key, 4);
        dbVarying v{std::uint32_t(text.size() + 1), 28};
        std::memcpy(r + stringOffs, &v, sizeof v);
        std::memcpy(r + 28, text.c_str(), text.size() + 1);
        return oid;
    }
    oid_t realRow(double key)
    {
        oid_t oid = row(0);
        std::memcpy(reinterpret_cast<char*>(db.getRow(oid)) + realOffs, &key, 8);
        return oid;
    }

    std::vector<oid_t> findInt(oid_t hash, std::int32_t key)
    {
        dbSearchContext sc;
        sc.type = tpInt4;
        sc.sizeofType = 4;
        sc.offs = keyOffs;
        sc.firstKey = &key;
        Collected c;
        c.attach(sc);
        findInHashTable(db, hash, sc);
        return c.rows;
    }
    std::vector<oid_t> findString(oid_t hash, const char* key)
    {
        dbSearchContext sc;
        sc.type = tpString;
        sc.sizeofType = 8;
        sc.offs = stringOffs;
        sc.firstKey = key;
        Collected c;
        c.attach(sc);
        findInHashTable(db, hash, sc);
        return c.rows;
    }
    std::vector<oid_t> range(oid_t tree, const std::int32_t* low, int li, const std::int32_t* high, int hi)
    {
        dbSearchContext sc;
        sc.type = tpInt4;
        sc.sizeofType = 4;
        sc.offs = keyOffs;
        sc.firstKey = low;
        sc.firstKeyInclusion = li;
        sc.lastKey = high;
        sc.lastKeyInclusion = hi;
        Collected c;
        c.attach(sc);
        findInTTree(db, tree, sc);
        return c.rows;
    }
    dbTtreeNode* node(oid_t id) { return reinterpret_cast<dbTtreeNode*>(db.getObject(id)); }
    oid_t rootOf(oid_t tree) { return reinterpret_cast<dbTtree*>(db.getObject(tree))->root; }
    void insertInt(oid_t tree, oid_t r) { insertInTTree(db, tree, r, tpInt4, 4, nullptr, keyOffs); }
    // The subtree's height after appending its rows in order; fails on a wrong balance field.
    int walkTree(oid_t id, std::vector<oid_t>& rows)
    {
        if (id == 0)
            return 0;
        const dbTtreeNode* n = node(id);
        const oid_t left = n->left, right = n->right;
        const int balance = n->balance;
        EXPECT_GE(n->nItems, 1);
        const int hl = walkTree(left, rows);
        n = node(id);
        rows.insert(rows.end(), n->item, n->item + n->nItems);
        const int hr = walkTree(right, rows);
        EXPECT_EQ(hr - hl, balance) << "node " << id;
        EXPECT_LE(std::abs(hr - hl), 1) << "node " << id;
        return 1 + std::max(hl, hr);
    }

    TempDir dir;
    dbDatabase db;
    oid_t table = 0;
};

TEST_F(IndexTest, HashFindsEqualKeysAndTellsCollidingStringsApart)
{
    oid_t h = createHashTable(db, 0);
    oid_t s = createHashTable(db, 0);
    // "Aa" and "BB" have the same hash code, so they share a bucket.
    ASSERT_EQ(dbHashKey("Aa", 2, tpString), dbHashKey("BB", 2, tpString));
    oid_t a = row(5, "Aa"), b = row(5, "BB"), c = row(6, "abc"), d = row(7, "abcd");
    for (oid_t r : {a, b, c, d}) {
        insertInHashTable(db, h, r, tpInt4, 4, keyOffs, 0);
        insertInHashTable(db, s, r, tpString, 8, stringOffs, 0);
    }
    std::vector<oid_t> fives = findInt(h, 5);
    EXPECT_EQ((std::multiset<oid_t>{a, b}), std::multiset<oid_t>(fives.begin(), fives.end()));
    EXPECT_EQ(std::vector<oid_t>{a}, findString(s, "Aa"));
    EXPECT_EQ(std::vector<oid_t>{b}, findString(s, "BB"));
    EXPECT_EQ(std::vector<oid_t>{c}, findString(s, "abc"));
    EXPECT_TRUE(findString(s, "ab").empty());

    // a was inserted first, so it is second in its bucket's chain: removing it keeps b as head.
    removeFromHashTable(db, s, a, tpString, 8, stringOffs);
    EXPECT_TRUE(findString(s, "Aa").empty());
    EXPECT_EQ(std::vector<oid_t>{b}, findString(s, "BB"));
    removeFromHashTable(db, h, a, tpInt4, 4, keyOffs);
    EXPECT_EQ(std::vector<oid_t>{b}, findInt(h, 5));
    // A row that is not in the table is an error, not a crash.
    EXPECT_THROW(removeFromHashTable(db, h, a, tpInt4, 4, keyOffs), dbException);

    // Purged tables take new items without being recreated.
    clearHashTable(db, h);
    EXPECT_TRUE(findInt(h, 5).empty());
    EXPECT_EQ(0u, reinterpret_cast<dbHashTableHeader*>(db.getObject(h))->used);
    insertInHashTable(db, h, c, tpInt4, 4, keyOffs, 0);
    EXPECT_EQ(std::vector<oid_t>{c}, findInt(h, 6));
    deleteHashTable(db, h);
    deleteHashTable(db, s);
    db.commit();
    db.close();
    dbCheckReport report = dbCheckFile(dir.File("i.fdb"));
    EXPECT_TRUE(report.clean()) << report.text();
}

TEST_F(IndexTest, BucketPagesAreConsecutiveEvenWhenFreedIdsAreWaiting)
{
    std::vector<oid_t> freed;
    for (int i = 0; i < 5; i++)
        freed.push_back(row(i));
    db.commit();
    db.beginTransaction(dbExclusiveLock);
    for (oid_t r : freed)
        db.unlinkRow(table, r);
    oid_t h = createHashTable(db, 0);
    auto* header = reinterpret_cast<dbHashTableHeader*>(db.getObject(h));
    for (oid_t p = header->page; p < header->page + 16; p++)
        EXPECT_EQ(unsigned(dbPageObjectMarker), db.getObjectHandle(p) & dbFlagsMask) << p;
    // The freed ids the header did not take are still there to be reused.
    std::set<oid_t> waiting(freed.begin(), freed.end());
    waiting.erase(h);
    std::set<oid_t> reused;
    for (std::size_t i = 0; i < waiting.size(); i++)
        reused.insert(row(int(i)));
    EXPECT_EQ(waiting, reused);
    db.commit();
    db.close();
    dbCheckReport report = dbCheckFile(dir.File("i.fdb"));
    EXPECT_TRUE(report.clean()) << report.text();
}

TEST_F(IndexTest, RealKeysMatchByValue)
{
    oid_t h = createHashTable(db, 0);
    oid_t negZero = realRow(-0.0), nan = realRow(std::numeric_limits<double>::quiet_NaN()),
          one = realRow(1.0);
    for (oid_t r : {negZero, nan, one})
        insertInHashTable(db, h, r, tpReal8, 8, realOffs, 0);
    auto find = [&](double key) {
        dbSearchContext sc;
        sc.type = tpReal8;
        sc.sizeofType = 8;
        sc.offs = realOffs;
        sc.firstKey = &key;
        Collected c;
        c.attach(sc);
        findInHashTable(db, h, sc);
        return c.rows;
    };
    EXPECT_EQ(std::vector<oid_t>{negZero}, find(0.0));
    EXPECT_EQ(std::vector<oid_t>{one}, find(1.0));
    EXPECT_EQ(std::vector<oid_t>{nan}, find(-std::numeric_limits<double>::quiet_NaN()));
}

TEST_F(IndexTest, HashTableGrowsWithItsRowsAndKeepsThemFindable)
{
    oid_t h = createHashTable(db, 0);
    std::vector<oid_t> rows;
    const int n = 33000;
    // The buckets double as soon as the rows outnumber them; 32767 buckets (a multiple of 31)
    // are skipped.
    const std::map<int, std::uint32_t> sizeAfter = {{16383, 16383}, {16384, 65535}, {33000, 65535}};
    for (int i = 0; i < n; i++) {
        rows.push_back(row(i));
        insertInHashTable(db, h, rows.back(), tpInt4, 4, keyOffs, std::uint32_t(i + 1));
        auto expected = sizeAfter.find(i + 1);
        if (expected != sizeAfter.end()) {
            EXPECT_EQ(expected->second, reinterpret_cast<dbHashTableHeader*>(db.getObject(h))->size) << i + 1;
        }
    }
    auto* header = reinterpret_cast<dbHashTableHeader*>(db.getObject(h));
    EXPECT_EQ(65535u, header->size);
    for (int i = 0; i < n; i += 97)
        ASSERT_EQ(std::vector<oid_t>{rows[std::size_t(i)]}, findInt(h, i)) << i;
    // Consecutive integer keys: the stored hash gives them only about 8,000 distinct codes, so a
    // lookup walks about 4 items; a bucket count divisible by 31 would make that about 31.
    long probes = 0;
    for (std::int32_t i = 0; i < n; i += 7) {
        dbSearchContext sc;
        sc.type = tpInt4;
        sc.sizeofType = 4;
        sc.offs = keyOffs;
        sc.firstKey = &i;
        findInHashTable(db, h, sc);
        probes += sc.probes;
    }
    EXPECT_LT(double(probes) / (n / 7 + 1), 8.0);
    // used counts the non-empty buckets.
    std::uint32_t used = 0;
    for (std::uint32_t p = 0; p < (header->size + 1) / 1024; p++) {
        const oid_t* heads = reinterpret_cast<const oid_t*>(db.getObject(header->page + p));
        for (int k = 0; k < 1024; k++)
            used += heads[k] != 0;
    }
    EXPECT_EQ(used, header->used);
    db.commit();
    db.close();
    dbCheckReport report = dbCheckFile(dir.File("i.fdb"));
    EXPECT_TRUE(report.clean()) << report.text();
}

TEST_F(IndexTest, TTreeNodeShapesAndRanges)
{
    oid_t t = createTTree(db);
    std::vector<oid_t> rows;
    for (int i = 0; i < 126; i++) {
        rows.push_back(row(i));
        insertInt(t, rows.back());
    }
    // 125 ascending keys fill the root; the 126th opens a right child.
    dbTtreeNode* root = node(rootOf(t));
    EXPECT_EQ(125, root->nItems);
    EXPECT_EQ(0u, root->left);
    ASSERT_NE(0u, root->right);
    EXPECT_EQ(1, node(root->right)->nItems);
    EXPECT_EQ(1, root->balance);

    // Removing the only item of the leaf frees it and the tree is one level lower.
    oid_t leaf = root->right;
    removeFromTTree(db, t, rows.back(), tpInt4, 4, nullptr, keyOffs);
    EXPECT_EQ(0u, node(rootOf(t))->right);
    EXPECT_EQ(0, node(rootOf(t))->balance);
    EXPECT_TRUE(db.getObjectHandle(leaf) & dbFreeHandleMarker);

    // Equal keys: a range whose bounds equal the key returns them all with both bounds
    // included and none with both excluded; a low bound inside a node starts at its first match.
    std::vector<oid_t> fives;
    for (int i = 0; i < 300; i++) {
        fives.push_back(row(5000));
        insertInt(t, fives.back());
    }
    std::int32_t five = 5000;
    std::vector<oid_t> all = range(t, &five, 1, &five, 1);
    EXPECT_EQ(std::multiset<oid_t>(fives.begin(), fives.end()), std::multiset<oid_t>(all.begin(), all.end()));
    EXPECT_TRUE(range(t, &five, 0, &five, 0).empty());
    std::int32_t lo = 10, hi = 20;
    EXPECT_EQ(std::vector<oid_t>(rows.begin() + 10, rows.begin() + 21), range(t, &lo, 1, &hi, 1));
    EXPECT_EQ(std::vector<oid_t>(rows.begin() + 11, rows.begin() + 20), range(t, &lo, 0, &hi, 0));
    EXPECT_EQ(125u + 300u, range(t, nullptr, 1, nullptr, 1).size());

    // A cursor that wants no more stops the search.
    dbSearchContext sc;
    sc.type = tpInt4;
    sc.sizeofType = 4;
    sc.offs = keyOffs;
    Collected c;
    c.limit = 7;
    c.attach(sc);
    EXPECT_FALSE(findInTTree(db, t, sc));
    EXPECT_EQ(7u, c.rows.size());

    clearTTree(db, t);
    EXPECT_EQ(0u, rootOf(t));
    insertInt(t, rows[3]);
    EXPECT_EQ(std::vector<oid_t>{rows[3]}, range(t, nullptr, 1, nullptr, 1));
    deleteTTree(db, t);
    db.commit();
    db.close();
    dbCheckReport report = dbCheckFile(dir.File("i.fdb"));
    EXPECT_TRUE(report.clean()) << report.text();
}

// Enough rows for a tree several levels deep, with many equal keys: inserts into full nodes push
// items down the edges of subtrees, and removals from inner nodes pull them up from there.
TEST_F(IndexTest, TTreeStaysOrderedAndBalancedThroughRandomInsertsAndRemovals)
{
    oid_t t = createTTree(db);
    std::mt19937 rng(48);
    std::map<oid_t, std::int32_t> model;
    auto check = [&] {
        std::vector<oid_t> inOrder;
        walkTree(rootOf(t), inOrder);
        ASSERT_EQ(model.size(), inOrder.size());
        std::int32_t last = std::numeric_limits<std::int32_t>::min();
        for (oid_t r : inOrder) {
            ASSERT_EQ(1u, model.count(r));
            ASSERT_LE(last, model[r]);
            last = model[r];
        }
        for (int k = 0; k < 5; k++) {
            std::int32_t lo = std::int32_t(rng() % 3000), hi = lo + std::int32_t(rng() % 200);
            std::multiset<oid_t> expected;
            for (const auto& [r, key] : model)
                if (key >= lo && key <= hi)
                    expected.insert(r);
            std::vector<oid_t> found = range(t, &lo, 1, &hi, 1);
            ASSERT_EQ(expected, std::multiset<oid_t>(found.begin(), found.end()));
        }
    };
    for (int round = 0; round < 4; round++) {
        for (int i = 0; i < 6000; i++) {
            std::int32_t key = round % 2 ? std::int32_t(i * 3000 / 6000) : std::int32_t(rng() % 3000);
            oid_t r = row(key);
            insertInt(t, r);
            model[r] = key;
        }
        ASSERT_NO_FATAL_FAILURE(check());
        for (int i = 0; i < 4000 && !model.empty(); i++) {
            auto it = model.begin();
            std::advance(it, rng() % model.size());
            removeFromTTree(db, t, it->first, tpInt4, 4, nullptr, keyOffs);
            model.erase(it);
        }
        ASSERT_NO_FATAL_FAILURE(check());
        db.commit();
    }
    db.beginTransaction(dbExclusiveLock);
    while (!model.empty()) {
        removeFromTTree(db, t, model.begin()->first, tpInt4, 4, nullptr, keyOffs);
        model.erase(model.begin());
    }
    EXPECT_EQ(0u, rootOf(t));
    db.commit();
}

TEST_F(IndexTest, CyclesInStoredIndicesAreErrorsNotHangs)
{
    oid_t t = createTTree(db);
    for (int i = 0; i < 300; i++)
        insertInt(t, row(i % 10));
    oid_t h = createHashTable(db, 0);
    oid_t a = row(1), b = row(1);
    insertInHashTable(db, h, a, tpInt4, 4, keyOffs, 0);
    insertInHashTable(db, h, b, tpInt4, 4, keyOffs, 0);
    db.commit();

    db.beginTransaction(dbExclusiveLock);
    dbTtreeNode* root = reinterpret_cast<dbTtreeNode*>(db.putObject(rootOf(t)));
    root->left = rootOf(t); // the root is its own left subtree
    std::int32_t k = -1;
    EXPECT_THROW(range(t, nullptr, 1, &k, 1), dbException);
    EXPECT_THROW(insertInt(t, row(-5)), dbException);

    // The bucket's second item points back to the first.
    auto* header = reinterpret_cast<dbHashTableHeader*>(db.getObject(h));
    std::int32_t one = 1;
    std::uint32_t b1 = dbHashKey(&one, 4, tpInt4) % header->size;
    oid_t head = reinterpret_cast<oid_t*>(db.getObject(header->page + b1 / 1024))[b1 % 1024];
    oid_t second = reinterpret_cast<dbHashTableItem*>(db.getObject(head))->next;
    reinterpret_cast<dbHashTableItem*>(db.putObject(second))->next = head;
    EXPECT_THROW(findInt(h, 1), dbException);
    db.rollback();
}

} // namespace
