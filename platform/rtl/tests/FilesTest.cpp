#include "platform/rtl/Files.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Streams.h"

#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using uitest::TempFolder;

TEST(Paths, SplittingAndJoiningNames)
{
    struct Case {
        const char* Input;
        const char* Path;
        const char* Dir;
        const char* Name;
        const char* Ext;
    } cases[] = {
        {"/home/u/prize.xls", "/home/u/", "/home/u", "prize.xls", ".xls"},
        {"C:\\Data\\Prizes.Backup.ZIP", "C:/Data/", "C:/Data", "Prizes.Backup.ZIP", ".ZIP"},
        {"dir.d/noext", "dir.d/", "dir.d", "noext", ""},
        {"/file", "/", "/", "file", ""},
        {"plain.txt", "", "", "plain.txt", ".txt"},
        {"trailing/", "trailing/", "trailing", "", ""},
        {".hidden", "", "", ".hidden", ".hidden"},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Input);
        EXPECT_EQ(ExtractFilePath(c.Input), c.Path);
        EXPECT_EQ(ExtractFileDir(c.Input), c.Dir);
        EXPECT_EQ(ExtractFileName(c.Input), c.Name);
        EXPECT_EQ(ExtractFileExt(c.Input), c.Ext);
        EXPECT_EQ(ExtractFileDrive(c.Input), "");
    }

    struct ExtCase {
        const char* Input;
        const char* Ext;
        const char* Expected;
    } exts[] = {
        {"a/b.txt", ".bak", "a/b.bak"},
        {"a/b", ".bak", "a/b.bak"},
        {"a.d/b", ".x", "a.d/b.x"},
        {"a\\b.tar.gz", "", "a/b.tar"},
    };
    for (const auto& c : exts)
        EXPECT_EQ(ChangeFileExt(c.Input, c.Ext), c.Expected) << c.Input;

    EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp/"), "/tmp/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("a\\b"), "a/b/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/tmp/"), "/tmp");
    EXPECT_TRUE(IsPathDelimiter("a\\b", 2));
    EXPECT_FALSE(IsPathDelimiter("ab", 3));
}

TEST(Paths, ExpandFileNameResolvesAgainstTheCurrentDirectory)
{
    TempFolder dir;
    AnsiString old = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(dir.Path().string()));
    AnsiString cwd = GetCurrentDir();
    struct Case {
        AnsiString Input;
        AnsiString Expected;
    } cases[] = {
        {"x.txt", cwd + "/x.txt"},         {"./a/../b\\c.txt", cwd + "/b/c.txt"},
        {"/usr/./lib/../bin", "/usr/bin"}, {"/../..", "/"},
        {"sub/", cwd + "/sub/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandFileName(c.Input), c.Expected) << c.Input;
    SetCurrentDir(old);
}

TEST(FilesAndDirectories, CreateQueryRenameDelete)
{
    TempFolder dir;
    AnsiString deep = dir.File("a\\b/c");
    EXPECT_FALSE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(ForceDirectories(deep + "/")); // existing: still true
    EXPECT_TRUE(DirectoryExists(dir.File("a/b/c")));
    EXPECT_FALSE(FileExists(dir.File("a/b/c")));
    EXPECT_THROW(ForceDirectories(""), EInOutError);

    dir.Touch("a/one.txt");
    EXPECT_TRUE(FileExists(dir.File("a\\one.txt")));
    EXPECT_FALSE(DirectoryExists(dir.File("a/one.txt")));

    dir.Touch("a/two.txt");
    // Renaming onto an existing file is refused and keeps both.
    EXPECT_FALSE(RenameFile(dir.File("a/one.txt"), dir.File("a/two.txt")));
    EXPECT_TRUE(RenameFile(dir.File("a/one.txt"), dir.File("a/three.txt")));
    EXPECT_FALSE(FileExists(dir.File("a/one.txt")));
    EXPECT_TRUE(FileExists(dir.File("a/three.txt")));

    EXPECT_TRUE(DeleteFile(dir.File("a/three.txt")));
    EXPECT_FALSE(DeleteFile(dir.File("a/three.txt")));
    EXPECT_FALSE(DeleteFile(dir.File("a/b"))); // directories are not files
    EXPECT_FALSE(RemoveDir(dir.File("a/b")));  // not empty
    EXPECT_TRUE(RemoveDir(dir.File("a/b/c")));
}

TEST(FileDates, AgeIsTheDosPackedModificationTimeInLocalTime)
{
    TempFolder dir;
    dir.Touch("dated.txt");
    AnsiString name = dir.File("dated.txt");
    // 2024-03-05 14:07:31 local time; DOS dates keep even seconds.
    struct tm when {};
    when.tm_year = 124;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 14;
    when.tm_min = 7;
    when.tm_sec = 31;
    when.tm_isdst = -1;
    struct timespec times[2] = {{0, UTIME_OMIT}, {mktime(&when), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, name.c_str(), times, 0), 0);

    const Integer expected = ((2024 - 1980) << 25) | (3 << 21) | (5 << 16) | (14 << 11) | (7 << 5) | 15;
    EXPECT_EQ(FileAge(name), expected);
    int fd = FileOpen(name, fmOpenRead | fmShareDenyNone);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(FileGetDate(fd), expected);
    FileClose(fd);
    EXPECT_EQ(FileAge(dir.File("missing")), -1);
    EXPECT_EQ(FileAge(dir.Path().string()), -1);

    // Setting a date and reading it back, by name and by handle.
    const Integer other = ((1999 - 1980) << 25) | (12 << 21) | (31 << 16) | (23 << 11) | (59 << 5) | 29;
    EXPECT_EQ(FileSetDate(name, other), 0);
    EXPECT_EQ(FileAge(name), other);
    fd = FileOpen(name, fmOpenReadWrite | fmShareDenyNone);
    EXPECT_EQ(FileSetDate(fd, expected), 0);
    FileClose(fd);
    EXPECT_EQ(FileAge(name), expected);
    // A packed value naming no date is refused.
    EXPECT_NE(FileSetDate(name, (44 << 25) | (13 << 21) | (1 << 16)), 0);

    // Times before 1980 read as the earliest DOS date.
    struct timespec old[2] = {{0, UTIME_OMIT}, {86400 * 365, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, name.c_str(), old, 0), 0);
    EXPECT_EQ(FileAge(name), (1 << 21) | (1 << 16));
}

bool ArchiveAttributesSupported(const AnsiString& File)
{
    if (setxattr(File.c_str(), "user.drawmere.probe", "1", 1, 0) != 0)
        return false;
    removexattr(File.c_str(), "user.drawmere.probe");
    return true;
}

TEST(FileAttributes, ReadOnlyHiddenDirectoryAndArchive)
{
    TempFolder dir;
    dir.Touch("doc.txt");
    dir.Touch(".profile");
    ForceDirectories(dir.File("sub"));
    AnsiString doc = dir.File("doc.txt");

    EXPECT_EQ(FileGetAttr(doc), faArchive);
    EXPECT_EQ(FileGetAttr(dir.File(".profile")), faHidden | faArchive);
    EXPECT_EQ(FileGetAttr(dir.File("sub")), faDirectory);
    EXPECT_EQ(FileGetAttr(dir.File("none")), -1);

    EXPECT_EQ(FileSetAttr(doc, faReadOnly | faArchive), 0);
    EXPECT_EQ(FileGetAttr(doc), faReadOnly | faArchive);
    if (geteuid() != 0) { // permissions do not bind the superuser
        EXPECT_THROW(TFileStream(doc, fmOpenWrite | fmShareDenyNone), EFOpenError);
    }
    EXPECT_EQ(FileSetAttr(doc, faArchive), 0);
    EXPECT_EQ(FileGetAttr(doc), faArchive);

    if (!ArchiveAttributesSupported(doc))
        GTEST_SKIP() << "no user extended attributes on " << dir.Path().string();
    // Clearing the archive flag keeps the other attributes; a change to the file sets it again,
    // whoever makes the change.
    EXPECT_EQ(FileSetAttr(doc, FileGetAttr(doc) & ~faArchive), 0);
    EXPECT_EQ(FileGetAttr(doc), 0);
    {
        TFileStream stream(doc, fmOpenWrite | fmShareDenyNone);
        stream.WriteString("changed");
    }
    struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    utimensat(AT_FDCWD, doc.c_str(), later, 0);
    EXPECT_EQ(FileGetAttr(doc), faArchive);
    // Clearing works on a read-only file as well, and keeps it read-only.
    EXPECT_EQ(FileSetAttr(doc, faReadOnly), 0);
    EXPECT_EQ(FileGetAttr(doc), faReadOnly);
    EXPECT_EQ(FileSetAttr(doc, faArchive), 0);
    // Setting it explicitly works too.
    EXPECT_EQ(FileSetAttr(doc, 0), 0);
    EXPECT_EQ(FileSetAttr(doc, faArchive), 0);
    EXPECT_EQ(FileGetAttr(doc), faArchive);
}

TEST(Wildcards, PlatformMatchingRules)
{
    struct Case {
        const char* Name;
        const char* Mask;
        bool Matches;
    } cases[] = {
        {"readme", "*.*", true},
        {"a.b.c", "*.*", true},
        {".", "*.*", true},
        {"readme", "read*.*", true},
        {"readme", "*.txt", false},
        {"Notes.TXT", "*.txt", true},
        {"notes.txt", "N?TES.*", true},
        {"nots.txt", "n?tes.*", false},
        {"獎品.xls", "??.xls", true},
        {"獎品.xls", "?.xls", false},
        {"abc", "a*c*", true},
        {"abc", "a*d", false},
        {"abc", "", false},
        {"", "*", true},
        {"ÉTÉ.doc", "été.*", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "a*a*a*a*a*a*a*a*a*a*a*a*c", false},
        // A byte that is not UTF-8 matches itself and '?', never a character.
        {"\xFF.txt", "\xFF.*", true},
        {"\xFF.txt", "?.txt", true},
        {"\xFF.txt", "\xFE.txt", false},
        {"\xE9.txt", "\xC3\xA9.txt", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Matches) << c.Name << " ~ " << c.Mask;
}

std::vector<std::pair<AnsiString, Integer>> FindAll(const AnsiString& Path, Integer Attr)
{
    std::vector<std::pair<AnsiString, Integer>> found;
    TSearchRec rec;
    if (FindFirst(Path, Attr, rec) == 0) {
        do
            found.emplace_back(rec.Name, rec.Attr);
        while (FindNext(rec) == 0);
        FindClose(rec);
    }
    return found;
}

TEST(FindFirst, ListsMatchingEntriesFilteredByAttributes)
{
    TempFolder dir;
    dir.Touch("b.txt", "12345");
    dir.Touch("A.TXT");
    dir.Touch("readme");
    dir.Touch(".secret.txt");
    ForceDirectories(dir.File("sub.txt"));

    using List = std::vector<std::pair<AnsiString, Integer>>;
    EXPECT_EQ(FindAll(dir.File("*.txt"), 0), (List{{"A.TXT", faArchive}, {"b.txt", faArchive}}));
    EXPECT_EQ(FindAll(dir.File("*.txt"), faDirectory),
              (List{{"A.TXT", faArchive}, {"b.txt", faArchive}, {"sub.txt", faDirectory}}));
    EXPECT_EQ(FindAll(dir.Path().string() + "\\*.*", faAnyFile), (List{{".", faDirectory},
                                                                       {"..", faDirectory},
                                                                       {".secret.txt", faHidden | faArchive},
                                                                       {"A.TXT", faArchive},
                                                                       {"b.txt", faArchive},
                                                                       {"readme", faArchive},
                                                                       {"sub.txt", faDirectory}}));
    EXPECT_EQ(FindAll(dir.File("B.TXT"), faAnyFile), (List{{"b.txt", faArchive}}));

    TSearchRec rec;
    ASSERT_EQ(FindFirst(dir.File("b.*"), faAnyFile, rec), 0);
    EXPECT_EQ(rec.Size, 5);
    EXPECT_EQ(rec.Time, FileAge(dir.File("b.txt")));
    EXPECT_NE(FindNext(rec), 0);
    FindClose(rec);

    EXPECT_NE(FindFirst(dir.File("*.none"), faAnyFile, rec), 0);
    EXPECT_NE(FindFirst(dir.File("missing/*.*"), faAnyFile, rec), 0);
}

TEST(LowLevelHandles, ReadWriteSeek)
{
    TempFolder dir;
    AnsiString name = dir.File("h.bin");
    int fd = FileCreate(name);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(FileWrite(fd, "hello world", 11), 11);
    EXPECT_EQ(FileSeek(fd, 6, 0), 6);
    char buffer[16] = {};
    EXPECT_EQ(FileRead(fd, buffer, sizeof buffer), 5);
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(FileSeek(fd, -5, 2), 6);
    EXPECT_EQ(FileSeek(fd, 1, 1), 7);
    // FileCreate opened it exclusively.
    EXPECT_EQ(FileOpen(name, fmOpenRead | fmShareDenyNone), -1);
    FileClose(fd);
    EXPECT_EQ(FileOpen(dir.File("missing"), fmOpenRead), -1);
}

TEST(TemporaryFiles, UniqueNamesInTheGivenDirectory)
{
    TempFolder dir;
    std::set<AnsiString> names;
    for (int i = 0; i < 20; ++i) {
        AnsiString name = GetTempFileName(dir.Path().string(), "FID");
        EXPECT_EQ(ExtractFilePath(name), dir.Path().string() + "/");
        EXPECT_EQ(ExtractFileName(name).substr(0, 3), "FID");
        EXPECT_TRUE(FileExists(name));
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 20u);
    EXPECT_THROW(GetTempFileName(dir.File("missing"), "x"), EInOutError);

    const char* old = std::getenv("TMPDIR");
    AnsiString saved = old ? old : "";
    setenv("TMPDIR", dir.Path().string().c_str(), 1);
    EXPECT_EQ(GetTempPath(), dir.Path().string() + "/");
    EXPECT_EQ(ExtractFilePath(GetTempFileName("", "T")), dir.Path().string() + "/");
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

} // namespace
