#include "RecordSupport.h"

#include "engine286/Zarvo.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs the test body in dir as the current directory.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& dir) : saved(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~CurrentDirectory() { std::filesystem::current_path(saved); }

private:
    std::filesystem::path saved;
};

TEST(ZarvoBufferTest, CopiesLiveAsLongAsThePoolAndMemoryGrowsWithTheText)
{
    zarvoBuffer pool;
    EXPECT_EQ(1, pool.blockCount());
    const char* empty = pool.append("");
    EXPECT_EQ(empty, pool.append(nullptr));
    EXPECT_STREQ("", empty);
    EXPECT_EQ(1, pool.blockCount());

    const std::string long600(600, 'x');
    const char* big = pool.append(long600);
    EXPECT_EQ(2, pool.blockCount());

    // Many short strings after the first block is full: a block per 512 bytes or so, not one
    // per string.
    std::vector<std::pair<const char*, std::string>> copies;
    for (int i = 0; i < 1000; i++) {
        std::string text = "prize number " + std::to_string(i) + std::string(i % 50, '.');
        copies.emplace_back(pool.append(text), text);
    }
    EXPECT_LT(pool.blockCount(), 200);
    EXPECT_EQ(long600, big);
    for (const auto& [copy, text] : copies)
        ASSERT_EQ(text, copy);
}

TEST(ZarvoVolumeTest, NetworkAndOpticalVolumesAreRefused)
{
    const struct {
        long type;
        zarvoVolumeKind kind;
    } cases[] = {
        {0xEF53, zarvoVolumeLocal},     {0x01021994, zarvoVolumeLocal},
        {0x58465342, zarvoVolumeLocal}, {0x4D44, zarvoVolumeRemovable},
        {0x6969, zarvoVolumeRemote},    {long(0xFF534D42), zarvoVolumeRemote},
        {0x9660, zarvoVolumeOptical},   {0x15013346, zarvoVolumeOptical},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.kind, zarvoVolumeKindOf(c.type)) << std::hex << c.type;

    TempDir dir;
    CurrentDirectory here(dir.Path());
    zarvoDatabase db;
    zarvoSetFileSystemTypeOverride(0x6969);
    const bool opened = db.open("Remote");
    zarvoSetFileSystemTypeOverride(0);
    EXPECT_FALSE(opened);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(ZarvoDatabaseTest, TheFileIsNamedAfterTheDatabaseInTheDirectoryOfTheFirstOpen)
{
    TempDir first, second;
    zarvoDatabase db;
    {
        CurrentDirectory here(first.Path());
        ASSERT_TRUE(db.open("Sample"));
        EXPECT_EQ(std::filesystem::canonical(first.Path()).string() + "/", db.getRootPath());
        EXPECT_EQ("Sample", db.getName());
        EXPECT_TRUE(std::filesystem::exists(first.Path() / "Sample.zrv"));
        EXPECT_EQ(1, db.getAttachedProcessCount());
        db.close();
    }
    CurrentDirectory here(second.Path());
    ASSERT_TRUE(db.open("Other"));
    EXPECT_EQ(std::filesystem::canonical(first.Path()).string() + "/", db.getRootPath());
    EXPECT_TRUE(std::filesystem::exists(first.Path() / "Other.zrv"));
    EXPECT_TRUE(std::filesystem::is_empty(second.Path()));
    db.close();
}

struct Counted {
    std::int32_t n;
    static dbTableDescriptor dbDescriptor;
};
zarvoDatabase countedDb;
dbTableDescriptor Counted::dbDescriptor("Counted", &countedDb, sizeof(Counted), [] {
    return describeInt4Field(new dbFieldDescriptor("n", 0, 4, 0));
});

TEST(ZarvoCursorTest, PositionCountsFromZeroAndRestartsAtFirst)
{
    TempDir dir;
    ASSERT_TRUE(countedDb.open("counted", dir.File("counted.zrv").c_str()));
    for (std::int32_t i = 10; i < 13; i++)
        dbInsert(Counted{i});
    zarvoCursor<Counted> c(dbCursorForUpdate);
    EXPECT_FALSE(c.first()); // nothing selected yet
    c.select();
    std::vector<std::pair<std::uint32_t, std::int32_t>> seen;
    for (bool more = c.first(); more; more = c.next())
        seen.emplace_back(c.getPosition(), c->n);
    EXPECT_EQ((std::vector<std::pair<std::uint32_t, std::int32_t>>{{0, 10}, {1, 11}, {2, 12}}), seen);
    EXPECT_EQ(2u, c.getPosition()); // unchanged by the failed step
    ASSERT_TRUE(c.first());
    EXPECT_EQ(0u, c.getPosition());

    const oid_t oid = c.getOid();
    EXPECT_TRUE(countedDb.isLiveRow(oid));
    c.removeCurrent();
    EXPECT_FALSE(countedDb.isLiveRow(oid));
    EXPECT_NE(0u, countedDb.getObjectHandle(oid) & dbFreeHandleMarker);
    EXPECT_FALSE(countedDb.isLiveRow(0xFFFFFFFFu));
    countedDb.close();
}

// Child processes are forked before anything opens the database: a child shares its parent's
// open files, and with them the locks that tell who is attached.
TEST(ZarvoDatabaseTest, AttachedProcessesAreCountedAndAKilledOneIsNot)
{
    TempDir dir;
    const std::string file = dir.File("shared.zrv");
    int toChild[2], toParent[2];
    ASSERT_EQ(0, pipe(toChild));
    ASSERT_EQ(0, pipe(toParent));
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        zarvoDatabase db;
        char c = db.open("shared", file.c_str()) ? 'o' : 'f';
        if (write(toParent[1], &c, 1) != 1 || read(toChild[0], &c, 1) != 1)
            _exit(1);
        const char count = char(db.getAttachedProcessCount());
        if (write(toParent[1], &count, 1) != 1)
            _exit(1);
        for (;;)
            pause(); // until killed
    }
    char c = 0;
    ASSERT_EQ(1, read(toParent[0], &c, 1));
    ASSERT_EQ('o', c);
    zarvoDatabase db;
    ASSERT_TRUE(db.open("shared", file.c_str()));
    EXPECT_EQ(2, db.getAttachedProcessCount());
    ASSERT_EQ(1, write(toChild[1], &c, 1));
    ASSERT_EQ(1, read(toParent[0], &c, 1));
    EXPECT_EQ(2, c); // as the second process sees it

    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(1, db.getAttachedProcessCount());
    db.close();
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]})
        close(fd);
}

} // namespace
