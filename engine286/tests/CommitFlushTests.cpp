// Every flush the engine asks for reaches the disk. The flush hook names each point at which the
// engine flushes the file (just before the flush); the file layer counts the flushes it made. A
// flush point that is not followed by exactly one completed flush is a commit that returns
// before its work is durable.
#include "TestSupport.h"

#include "engine286/MappedFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

struct FlushPoint {
    std::string point;
    std::uint64_t flushesBefore; // completed flushes when the point was reached
};
std::vector<FlushPoint>* seen = nullptr;

int notePoint(const char* point)
{
    seen->push_back({point, dbMappedFile::completedFlushes()});
    return 0;
}

class CommitFlushTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("flush.fdb");
    std::string name = dir.File("flush");

    void TearDown() override
    {
        dbSetFlushFaultHook(nullptr);
        seen = nullptr;
    }

    // The flush points that work passes, each with the number of flushes made between it and
    // the next point (or the end of work).
    std::vector<std::pair<std::string, std::uint64_t>> flushesOf(const std::function<void()>& work)
    {
        std::vector<FlushPoint> points;
        seen = &points;
        dbSetFlushFaultHook(notePoint);
        work();
        dbSetFlushFaultHook(nullptr);
        seen = nullptr;
        const std::uint64_t end = dbMappedFile::completedFlushes();
        std::vector<std::pair<std::string, std::uint64_t>> made;
        for (std::size_t i = 0; i < points.size(); i++) {
            const std::uint64_t next = i + 1 < points.size() ? points[i + 1].flushesBefore : end;
            made.emplace_back(points[i].point, next - points[i].flushesBefore);
        }
        return made;
    }
};

// Each flush point of a commit, on both of its paths (the one-flush commit record and the two
// flushes around the root switch when the object index grew), and of the close.
TEST_F(CommitFlushTest, EveryFlushPointOfACommitFlushesTheFile)
{
    struct Case {
        const char* what;
        int rows; // inserted in one transaction
    } cases[] = {
        {"one row", 1},
        {"rows enough to grow the object index", 20000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(path);
        dbDatabase db;
        ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
        oid_t t = createTable(db, "T");
        db.commit();
        auto made = flushesOf([&] {
            for (int i = 0; i < c.rows; i++)
                insertText(db, t, "row " + std::to_string(i));
            db.commit();
        });
        int commitPoints = 0;
        for (const auto& [point, flushes] : made) {
            EXPECT_EQ(flushes, 1u) << "flush point " << point;
            commitPoints += point.rfind("commit.", 0) == 0;
        }
        EXPECT_GE(commitPoints, 1) << "the commit passed no flush point";
        if (c.rows > 1) {
            EXPECT_GE(made.size(), 2u)
                << "the index did not grow: more rows are needed to take the other path";
        }

        made = flushesOf([&] { db.close(); });
        for (const auto& [point, flushes] : made)
            EXPECT_EQ(flushes, 1u) << "flush point " << point;
        dbDatabase again;
        ASSERT_TRUE(again.open(name.c_str(), path.c_str()));
        EXPECT_EQ(tableTexts(again, findTable(again, "T")).size(), std::size_t(c.rows));
        again.close();
    }
}

} // namespace
