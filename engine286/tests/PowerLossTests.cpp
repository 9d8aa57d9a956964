// Power loss during a commit: the device may keep any subset of the pages written since the last
// completed flush. A file image is rebuilt from what each flush made durable (taken by the flush
// hook, just before the flush) and a chosen subset of the pages the next flush wrote; opening it
// must give exactly the last acknowledged state or the one in flight, never a mix, and the one in
// flight only when its flush could have completed.
#include "Workload.h"

#include "engine286/Checker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

namespace {

const int kInserts = 3; // small transactions: each commits with one flush

struct Flush {
    std::string point;
    std::vector<char> image;
};
std::vector<Flush>* flushes = nullptr;
std::string flushedFile;

std::vector<char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::vector<char>& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), std::streamsize(data.size()));
}

int snapshotBeforeFlush(const char* point)
{
    if (flushes)
        flushes->push_back({point, readFile(flushedFile)});
    return 0;
}

dbDatabase* newDatabase()
{
    return new dbDatabase(dbReadWrite, 1024 * 1024, 1024 * 1024, 8194, 1);
}

class PowerLossTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("db.fdb");
    std::string name = dir.File("db");
    std::string imagePath = dir.File("image.fdb");
    std::string imageName = dir.File("image");
    std::vector<Flush> taken;

    // Runs transactions 1..count, one commit each, and returns for each transaction the index in
    // `taken` of the flush that committed it.
    std::vector<std::size_t> run(int count)
    {
        flushedFile = path;
        flushes = &taken;
        dbSetFlushFaultHook(snapshotBeforeFlush);
        dbDatabase db(dbReadWrite, 1024 * 1024, 1024 * 1024, 8194, 1);
        EXPECT_TRUE(db.open(name.c_str(), path.c_str()));
        workload::create(db);
        oid_t table = findTable(db, "T");
        oid_t seq = db.getTable(findTable(db, "S"))->firstRow;
        std::vector<oid_t> oids;
        std::vector<std::size_t> commitFlush(std::size_t(count) + 1, 0);
        commitFlush[0] = taken.size() - 1;
        for (int tx = 1; tx <= count; tx++) {
            workload::apply(db, table, seq, oids, tx, kInserts);
            db.commit();
            commitFlush[std::size_t(tx)] = taken.size() - 1;
        }
        dbSetFlushFaultHook(nullptr);
        flushes = nullptr;
        db.close();
        return commitFlush;
    }

    // Opens an image and returns the transaction it holds after recovery, checking its content
    // against the model of that transaction, and the image before the open and the reclosed file
    // with the checker.
    int openImage(const std::vector<char>& image)
    {
        writeFile(imagePath, image);
        dbCheckReport before = dbCheckFile(imagePath);
        EXPECT_TRUE(before.clean()) << "the committed state as the checker finds it: " << before.text();
        int tx = -1;
        {
            std::unique_ptr<dbDatabase> db(newDatabase());
            if (!db->open(imageName.c_str(), imagePath.c_str())) {
                ADD_FAILURE() << "the image does not open";
                return -1;
            }
            tx = workload::lastTransaction(*db);
            std::vector<std::string> expected = workload::model(tx, kInserts);
            EXPECT_TRUE(expected == tableTexts(*db, findTable(*db, "T")))
                << "content differs from the model of transaction " << tx;
            db->close();
        }
        dbCheckReport report = dbCheckFile(imagePath);
        EXPECT_TRUE(report.clean() && !report.dirty) << report.text();
        return tx;
    }
};

std::vector<std::size_t> changedPages(const std::vector<char>& before, const std::vector<char>& after)
{
    std::vector<std::size_t> pages;
    for (std::size_t p = 0; p * dbPageSize < after.size(); p++) {
        std::size_t at = p * dbPageSize, n = std::min<std::size_t>(dbPageSize, after.size() - at);
        if (at + n > before.size() || std::memcmp(before.data() + at, after.data() + at, n) != 0)
            pages.push_back(p);
    }
    return pages;
}

// Durable image after `before` plus the listed pages of `after` (the file length is the new
// one when page 0 is among them, as the length travels with the flush).
std::vector<char> mix(const std::vector<char>& before, const std::vector<char>& after,
                      const std::vector<std::size_t>& pages)
{
    std::vector<char> image = before;
    image.resize(std::max(before.size(), after.size()), 0);
    for (std::size_t p : pages) {
        std::size_t at = p * dbPageSize, n = std::min<std::size_t>(dbPageSize, after.size() - at);
        std::memcpy(image.data() + at, after.data() + at, n);
    }
    return image;
}

TEST_F(PowerLossTest, SmallCommitsUseOneFlushAndALostPageNeverLeavesAMixedState)
{
    const int count = 12;
    std::vector<std::size_t> commitFlush = run(count);
    std::mt19937 random(20261210);
    int oneFlushCommits = 0, undone = 0;
    for (int tx = 1; tx <= count; tx++) {
        SCOPED_TRACE("transaction " + std::to_string(tx));
        const std::size_t k = commitFlush[std::size_t(tx)];
        const std::size_t flushesOfCommit = k - commitFlush[std::size_t(tx) - 1];
        ASSERT_EQ("commit.recorded", taken[k].point);
        ASSERT_EQ(1u, flushesOfCommit);
        oneFlushCommits++;
        const std::vector<char>& before = taken[k - 1].image;
        const std::vector<char>& after = taken[k].image;
        std::vector<std::size_t> pages = changedPages(before, after);
        ASSERT_FALSE(pages.empty());
        ASSERT_EQ(0u, pages[0]) << "the header switches";

        EXPECT_EQ(tx, openImage(after)) << "the whole flush";
        EXPECT_EQ(tx - 1, openImage(before)) << "nothing of the flush";
        EXPECT_EQ(tx - 1, openImage(mix(before, after, {0}))) << "only the header";
        // The header and all but one page: the record proves the loss whenever the lost page
        // held anything the new root reaches.
        for (std::size_t lost = 1; lost < pages.size(); lost++) {
            std::vector<std::size_t> kept = pages;
            kept.erase(kept.begin() + std::ptrdiff_t(lost));
            int got = openImage(mix(before, after, kept));
            EXPECT_TRUE(got == tx - 1 || got == tx) << "page " << pages[lost] << " lost: " << got;
            undone += got == tx - 1;
        }
        // Any subset without the header keeps the old state.
        std::vector<std::size_t> subset;
        for (std::size_t p : pages)
            if (p != 0 && random() % 2)
                subset.push_back(p);
        EXPECT_EQ(tx - 1, openImage(mix(before, after, subset)));
    }
    EXPECT_EQ(count, oneFlushCommits);
    EXPECT_GT(undone, count) << "lost row and index pages must be detected";
}

} // namespace
