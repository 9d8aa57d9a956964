#include "controls/Backup.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Files.h"
#include "platform/testing/Commands.h"
#include "platform/testing/Harness.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string Python = "/usr/bin/python3";
const std::string Script = std::string(DRAWMERE_TEST_DATA) + "/backup_archive.py";

std::string ReadAll(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

std::string RandomBytes(std::size_t N, unsigned Seed)
{
    std::mt19937 Gen(Seed);
    std::string S(N, '\0');
    for (char& C : S)
        C = static_cast<char>(Gen());
    return S;
}

std::string Words(std::size_t N)
{
    std::string S;
    while (S.size() < N)
        S += "prize " + std::to_string(S.size() % 977) + " ";
    S.resize(N);
    return S;
}

// Every regular file below Folder, by its name relative to Folder.
std::map<std::string, std::string> Tree(const fs::path& Folder)
{
    std::map<std::string, std::string> Files;
    for (auto& E : fs::recursive_directory_iterator(Folder))
        if (E.is_regular_file())
            Files[fs::relative(E.path(), Folder).string()] = ReadAll(E.path().string());
    return Files;
}

void Put(const std::string& Name, const std::string& Contents)
{
    fs::create_directories(fs::path(Name).parent_path());
    std::ofstream(Name, std::ios::binary | std::ios::trunc) << Contents;
}

// Little-endian pieces of a hand-made archive.
std::string I32(int32_t V)
{
    return std::string(reinterpret_cast<const char*>(&V), 4);
}
std::string Name(const std::string& S)
{
    return I32(static_cast<int32_t>(S.size())) + S;
}
std::string Stored(const std::string& Chunk)
{
    return I32(-static_cast<int32_t>(Chunk.size())) + Chunk;
}
std::string Section(const std::string& Blocks)
{
    return std::string("EC2\0", 4) + Blocks + I32(0);
}
std::string Header(int32_t Total = 100, int32_t Count = 1)
{
    return Name("title") + I32(Total) + I32(Count);
}
constexpr int32_t Date1990 = ((1990 - 1980) << 25) | (6 << 21) | (15 << 16) | (12 << 11) | (30 << 5) | 5;

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Backup = New<TBackupFile>(nullptr);
        Backup->OnError = [this](TObject*, Integer Code, const AnsiString& Text) {
            Errors.push_back(Code);
            ErrorTexts.push_back(Text);
        };
        // Records each request; a volume asked for a third time in a row is not coming.
        Backup->OnNeedDisk = [this](TObject*, Word Disk, bool& Continue) {
            Disks.push_back(Disk);
            std::size_t N = Disks.size();
            if (N >= 3 && Disks[N - 2] == Disk && Disks[N - 3] == Disk)
                Continue = false;
        };
    }
    void TearDown() override { Backup->Free(); }

    std::string Src() const { return Dir.File("src"); }
    std::string Out() const { return Dir.File("out"); }

    // A tree with the chunk-size edges, an empty file, incompressible data and a sub-folder.
    void MakeTree()
    {
        Put(Src() + "/empty.txt", "");
        Put(Src() + "/edge1.txt", Words(16383));
        Put(Src() + "/edge2.txt", Words(16384));
        Put(Src() + "/edge3.txt", Words(16385));
        Put(Src() + "/noise.bin", RandomBytes(40000, 7));
        Put(Src() + "/sub/deeper/note.txt", "a note");
        Put(Src() + "/sub/other.dat", "not matched");
    }

    bool RestoreFile(const std::string& Archive, const std::string& Target)
    {
        return Backup->Restore(Archive, Target);
    }

    uitest::TempFolder Dir{"backup-test"};
    TBackupFile* Backup = nullptr;
    std::vector<Integer> Errors;
    std::vector<AnsiString> ErrorTexts;
    std::vector<Word> Disks;
};

TEST_F(BackupTest, RoundTripOfATreeKeepsContentsDatesAndTheIdentityList)
{
    MakeTree();
    FileSetDate(Src() + "/edge1.txt", Date1990);
    std::string Archive = Src() + "/archive.bak"; // inside the folder it backs up
    TStringList List;
    List.Add(Src() + "/*.txt /s");
    List.Add(Src() + "/edge*.txt"); // every match again: stored once
    List.Add(Src() + "/*.b*");      // matches noise.bin and the archive itself
    Backup->SetBackupTitle("Weekly");
    Backup->SetSaveFileID(true);
    Backup->SetCompressionLevel(TBackupFile::clMax);
    ASSERT_TRUE(Backup->Backup(&List, Archive));
    EXPECT_EQ(6, Backup->FilesProcessed());
    EXPECT_GT(Backup->CompressionRate(), 0);

    TStringList Ids;
    EXPECT_EQ("Weekly", Backup->GetArchiveTitle(Archive, &Ids));
    EXPECT_EQ(6, Backup->FileCount());
    ASSERT_EQ(6, Ids.Count());
    EXPECT_EQ(Src() + "/sub/deeper/note.txt\t" + std::to_string(FileAge(Src() + "/sub/deeper/note.txt")) +
                  "=6",
              Ids.Strings(0)); // folders first, depth first
    EXPECT_EQ(Src() + "/edge1.txt\t" + std::to_string(Date1990) + "=16383", Ids.Strings(1));

    Backup->SetRestoreFullPath(true);
    ASSERT_TRUE(RestoreFile(Archive, Out()));
    EXPECT_TRUE(Errors.empty());
    auto Restored = Tree(fs::path(Out()) / Src().substr(1));
    auto Original = Tree(Src());
    Original.erase("archive.bak");
    Original.erase("sub/other.dat");
    EXPECT_EQ(Original, Restored);
    EXPECT_FALSE(fs::exists(fs::path(Out()) / "FILE:LIST"));
    EXPECT_EQ(Date1990, FileAge(Out() + Src() + "/edge1.txt"));

    // Without the full path every file lands in the folder itself.
    Backup->SetRestoreFullPath(false);
    ASSERT_TRUE(RestoreFile(Archive, Dir.File("flat")));
    EXPECT_EQ("a note", ReadAll(Dir.File("flat/note.txt")));
    EXPECT_EQ(6u, Tree(Dir.File("flat")).size());
}

TEST_F(BackupTest, IncompressibleChunksAreStoredAndLevelNoneStoresFullChunks)
{
    Put(Src() + "/noise.bin", RandomBytes(20000, 3));
    Put(Src() + "/words.txt", Words(20000));
    TStringList List;
    List.Add(Src() + "/noise.bin");
    List.Add(Src() + "/words.txt");
    for (TCompressionLevel Level : {TBackupFile::clFastest, TBackupFile::clNone}) {
        Backup->SetCompressionLevel(Level);
        TMemoryStream Stream;
        Backup->SetMaxSize(500000);
        ASSERT_TRUE(Backup->BackupToStream(&List, &Stream));
        EXPECT_EQ(0, Backup->MaxSize());
        // The first block of each file: noise is stored raw, words are compressed at level 1
        // and stored raw at level 0 (the level-0 stream of a full chunk is larger than it).
        const char* Bytes = static_cast<const char*>(Stream.Memory());
        std::string All(Bytes, static_cast<std::size_t>(Stream.Size()));
        std::size_t Noise = All.find(std::string("EC2\0", 4));
        std::size_t WordsAt = All.find(std::string("EC2\0", 4), Noise + 4);
        ASSERT_NE(std::string::npos, WordsAt);
        int32_t First = 0, Second = 0;
        std::memcpy(&First, Bytes + Noise + 4, 4);
        std::memcpy(&Second, Bytes + WordsAt + 4, 4);
        EXPECT_EQ(-16384, First);
        if (Level == TBackupFile::clNone)
            EXPECT_EQ(-16384, Second);
        else
            EXPECT_GT(Second, 0);
        Stream.SetPosition(0);
        ASSERT_TRUE(Backup->RestoreFromStream(&Stream, Out()));
        EXPECT_EQ(ReadAll(Src() + "/noise.bin"), ReadAll(Out() + "/noise.bin"));
        EXPECT_EQ(ReadAll(Src() + "/words.txt"), ReadAll(Out() + "/words.txt"));
    }
}

TEST_F(BackupTest, VolumesSpanAndRestoreAsksForEachDisk)
{
    Put(Src() + "/big.bin", RandomBytes(250000, 11));
    Put(Src() + "/small.txt", "after the big one");
    TStringList List;
    List.Add(Src() + "/big.bin");
    List.Add(Src() + "/small.txt");
    std::string Archive = Dir.File("vol/archive.bak");
    fs::create_directories(Dir.File("vol"));
    Backup->SetMaxSize(100000);
    ASSERT_TRUE(Backup->Backup(&List, Archive));
    EXPECT_EQ((std::vector<Word>{2, 3}), Disks);
    EXPECT_TRUE(fs::exists(Dir.File("vol/archive.002")));
    EXPECT_TRUE(fs::exists(Dir.File("vol/archive.003")));
    EXPECT_FALSE(fs::exists(Dir.File("vol/archive.004")));
    for (auto& V : {"archive.bak", "archive.002"})
        EXPECT_LE(fs::file_size(Dir.File("vol") + "/" + V), 100000u);

    Disks.clear();
    ASSERT_TRUE(RestoreFile(Archive, Out()));
    EXPECT_EQ((std::vector<Word>{2, 3}), Disks);
    EXPECT_EQ(ReadAll(Src() + "/big.bin"), ReadAll(Out() + "/big.bin"));
    EXPECT_EQ("after the big one", ReadAll(Out() + "/small.txt"));

    // A volume that never comes: the prompt is cancelled and the file is not restored at all.
    fs::remove(Dir.File("vol/archive.003"));
    Backup->OnNeedDisk = [](TObject*, Word, bool& Continue) { Continue = false; };
    EXPECT_FALSE(RestoreFile(Archive, Dir.File("partial")));
    EXPECT_FALSE(fs::exists(Dir.File("partial/big.bin")));
    EXPECT_TRUE(Tree(Dir.File("partial")).empty()); // no temporary file left either
}

TEST_F(BackupTest, VolumeSizesWithoutRoomForAChunkAreRefused)
{
    Put(Src() + "/a.txt", "a");
    TStringList List;
    List.Add(Src() + "/a.txt");
    Backup->SetMaxSize(16484);
    EXPECT_FALSE(Backup->Backup(&List, Dir.File("a.bak")));
    EXPECT_EQ(std::vector<Integer>{4}, Errors);
    EXPECT_EQ("Cannot write to archive", ErrorTexts[0]);
    EXPECT_FALSE(fs::exists(Dir.File("a.bak")));
}

TEST_F(BackupTest, PythonReaderReadsOurVolumesAndWeRestoreItsArchive)
{
    if (!fs::exists(Python))
        return uitest::SkipMissing("python3 is not installed");
    Put(Src() + "/big.bin", RandomBytes(120000, 5));
    Put(Src() + "/empty.txt", "");
    Put(Src() + "/text.txt", Words(30000));
    TStringList List;
    List.Add(Src() + "/*.*");
    Backup->SetMaxSize(60000);
    Backup->SetSaveFileID(true);
    Backup->SetBackupTitle("Cross");
    fs::create_directories(Dir.File("vol"));
    ASSERT_TRUE(Backup->Backup(&List, Dir.File("vol/x.bak")));
    fs::create_directories(Dir.File("py"));
    std::string Json = uitest::CommandOutput(Python + " " + Script + " read " + Dir.File("vol/x.bak") + " " +
                                             Dir.File("py"));
    EXPECT_NE(std::string::npos, Json.find("\"title\": \"Cross\"")) << Json;
    EXPECT_NE(std::string::npos, Json.find("\"count\": 3")) << Json;
    EXPECT_NE(std::string::npos, Json.find("\"name\": \"FILE:LIST\"")) << Json;
    const char* Names[] = {"big.bin", "empty.txt", "text.txt"};
    for (int I = 0; I < 3; ++I) {
        EXPECT_NE(std::string::npos, Json.find("\"name\": \"" + Src() + "/" + Names[I] + "\"")) << Json;
        EXPECT_EQ(ReadAll(Src() + "/" + Names[I]), ReadAll(Dir.File("py/" + std::to_string(I + 1))));
    }
    EXPECT_NE(std::string::npos, Json.find("\"date\": " + std::to_string(FileAge(Src() + "/text.txt"))))
        << Json;

    // The other way: the hand-made archive (a stored block, an empty section, a file split
    // across volumes, a file whose first section is empty, the identity list).
    for (auto V : {"handmade.bak", "handmade.002", "handmade.003"})
        fs::copy_file(std::string(DRAWMERE_TEST_DATA) + "/" + V, Dir.File(V));
    TStringList Ids;
    EXPECT_EQ("Hand-made archive", Backup->GetArchiveTitle(Dir.File("handmade.bak"), &Ids));
    ASSERT_EQ(1, Ids.Count());
    Backup->SetRestoreFullPath(true);
    Disks.clear();
    ASSERT_TRUE(RestoreFile(Dir.File("handmade.bak"), Out()));
    EXPECT_EQ((std::vector<Word>{2, 3}), Disks);
    std::string Text;
    for (int I = 0; I < 100; ++I)
        for (int B = 0; B < 256; ++B)
            Text += static_cast<char>(B);
    std::string PrizeDraw;
    for (int I = 0; I < 3000; ++I)
        PrizeDraw += "prize draw ";
    EXPECT_EQ(PrizeDraw, ReadAll(Out() + "/docs/a.txt"));
    EXPECT_EQ(Text, ReadAll(Out() + "/docs/sub/bytes.bin"));
    EXPECT_EQ("", ReadAll(Out() + "/docs/empty.txt"));
    EXPECT_EQ("hello", ReadAll(Out() + "/docs/late.txt"));
    EXPECT_EQ(Date1990, FileAge(Out() + "/docs/a.txt"));
    EXPECT_EQ(4u, Tree(Out()).size());
}

TEST_F(BackupTest, RestoreModesDecideByTheStoredDate)
{
    Put(Src() + "/f.txt", "stored");
    FileSetDate(Src() + "/f.txt", Date1990);
    TStringList List;
    List.Add(Src() + "/f.txt");
    ASSERT_TRUE(Backup->Backup(&List, Dir.File("f.bak")));
    const int32_t Older = Date1990 - (1 << 25), Newer = Date1990 + (1 << 25);
    struct Case {
        TRestoreMode Mode;
        int32_t Target; // 0: no target file
        bool Written;
    } Cases[] = {
        {rmAll, 0, true},
        {rmAll, Newer, true},
        {rmNoOverwrite, 0, true},
        {rmNoOverwrite, Older, false},
        {rmNewer, 0, true},
        {rmNewer, Older, true},
        {rmNewer, Date1990, false},
        {rmNewer, Newer, false},
        {rmExisting, 0, false},
        {rmExisting, Newer, true},
        {rmExistingNewer, 0, false},
        {rmExistingNewer, Older, true},
        {rmExistingNewer, Date1990, false},
    };
    for (const Case& C : Cases) {
        fs::remove_all(Out());
        fs::create_directories(Out());
        if (C.Target) {
            Put(Out() + "/f.txt", "mine");
            FileSetDate(Out() + "/f.txt", C.Target);
        }
        Backup->SetRestoreMode(C.Mode);
        EXPECT_TRUE(RestoreFile(Dir.File("f.bak"), Out()));
        std::string Expected = C.Written ? "stored" : (C.Target ? "mine" : "");
        EXPECT_EQ(Expected, fs::exists(Out() + "/f.txt") ? ReadAll(Out() + "/f.txt") : "")
            << "mode " << C.Mode << " target " << C.Target;
    }
}

TEST_F(BackupTest, IncrementalBackupClearsTheArchiveFlagAndStoresOnlyChangedFiles)
{
    Put(Src() + "/a.txt", "a");
    Put(Src() + "/b.txt", "b");
    if (!(FileGetAttr(Src() + "/a.txt") & faArchive) || FileSetAttr(Src() + "/a.txt", faArchive) != 0)
        GTEST_SKIP() << "the file system keeps no archive flag";
    TStringList List;
    List.Add(Src() + "/*.txt");
    Backup->SetBackupMode(bmIncremental);
    EXPECT_TRUE(Backup->SetArchiveFlag());
    ASSERT_TRUE(Backup->Backup(&List, Dir.File("1.bak")));
    EXPECT_EQ(2, Backup->FilesProcessed());
    EXPECT_FALSE(FileGetAttr(Src() + "/a.txt") & faArchive);
    ASSERT_TRUE(Backup->Backup(&List, Dir.File("2.bak")));
    EXPECT_EQ(0, Backup->FileCount());
    FileSetAttr(Src() + "/b.txt", faArchive);
    ASSERT_TRUE(Backup->Backup(&List, Dir.File("3.bak")));
    EXPECT_EQ(1, Backup->FileCount());
}

TEST_F(BackupTest, EmptyBackupHasNoCompressionRateAndASecondOperationFromAHandlerIsRefused)
{
    Put(Src() + "/a.txt", Words(40000));
    TStringList Empty;
    ASSERT_TRUE(Backup->Backup(&Empty, Dir.File("none.bak")));
    EXPECT_EQ(0, Backup->CompressionRate());

    TStringList List;
    List.Add(Src() + "/a.txt");
    std::vector<bool> Inner;
    Backup->OnProgress = [&](TObject*, const AnsiString& File, TPercentage, bool&) {
        if (!File.empty() && Backup->Busy())
            Inner.push_back(Backup->Backup(&List, Dir.File("inner.bak")));
    };
    ASSERT_TRUE(Backup->Backup(&List, Dir.File("outer.bak")));
    ASSERT_FALSE(Inner.empty());
    EXPECT_EQ(std::vector<bool>(Inner.size(), false), Inner);
    EXPECT_FALSE(fs::exists(Dir.File("inner.bak")));
}

TEST_F(BackupTest, StoppingABackupFromProgressGivesFalse)
{
    Put(Src() + "/a.txt", Words(60000));
    TStringList List;
    List.Add(Src() + "/a.txt");
    Backup->OnProgress = [&](TObject*, const AnsiString& File, TPercentage Percent, bool& Continue) {
        if (!File.empty() && Percent > 20)
            Continue = false;
    };
    EXPECT_FALSE(Backup->Backup(&List, Dir.File("a.bak")));
    EXPECT_TRUE(Errors.empty());
}

// Names that could write outside the target folder are skipped, the other files are restored,
// and the restore reports the archive as invalid.
TEST_F(BackupTest, NamesReachingOutsideTheFolderAreRefused)
{
    fs::create_directories(Out());
    fs::create_directories(Dir.File("elsewhere"));
    fs::create_directory_symlink(Dir.File("elsewhere"), Out() + "/link");
    const std::string Body = Section(Stored("evil"));
    struct Case {
        std::string Stored;
        bool FullPath;
    } Cases[] = {
        {"C:\\..\\evil.txt", true},
        {"/a/../../evil.txt", true},
        {"C:\\docs\\..\\..\\evil", true},
        {"..", false},
        {"C:\\x\\CON", true},
        {"C:\\x\\nul.txt", false},
        {"C:\\link\\evil.txt", true},
        {"/link/evil.txt", true},
        {"C:\\d\\a:b", true},
    };
    for (const Case& C : Cases) {
        std::string Archive = Header() + Name(C.Stored) + I32(Date1990) + Body + Name("C:\\ok.txt") +
                              I32(Date1990) + Section(Stored("fine")) + I32(0);
        TMemoryStream S;
        S.WriteString(Archive);
        S.SetPosition(0);
        Errors.clear();
        Backup->SetRestoreFullPath(C.FullPath);
        EXPECT_FALSE(Backup->RestoreFromStream(&S, Out())) << C.Stored;
        EXPECT_EQ(std::vector<Integer>{5}, Errors) << C.Stored;
        EXPECT_EQ("fine", ReadAll(Out() + "/ok.txt")) << C.Stored;
    }
    EXPECT_TRUE(Tree(Dir.File("elsewhere")).empty());
    EXPECT_FALSE(fs::exists(Dir.File("evil.txt")));
    EXPECT_FALSE(fs::exists(Dir.Path().parent_path() / "evil.txt"));
    std::map<std::string, std::string> OnlyOk{{"ok.txt", "fine"}};
    EXPECT_EQ(OnlyOk, Tree(Out()));
}

TEST_F(BackupTest, WithoutATargetFolderOnlyPlainAbsoluteNamesAreRestored)
{
    std::string Good = Dir.File("home/kept.txt");
    std::string Archive = Header() + Name(Dir.File("x/../escape.txt")) + I32(Date1990) +
                          Section(Stored("no")) + Name(Good) + I32(Date1990) + Section(Stored("yes")) +
                          Name("relative.txt") + I32(Date1990) + Section(Stored("no")) + I32(0);
    TMemoryStream S;
    S.WriteString(Archive);
    S.SetPosition(0);
    EXPECT_FALSE(Backup->RestoreFromStream(&S, ""));
    EXPECT_EQ("yes", ReadAll(Good));
    EXPECT_FALSE(fs::exists(Dir.File("escape.txt")));
    EXPECT_FALSE(fs::exists(fs::current_path() / "relative.txt"));
}

// Damaged archives raise the format's error; a file being restored is never left half-written
// under its name, and an existing file of that name keeps its contents.
TEST_F(BackupTest, DamagedArchivesRaiseAndLeaveTargetsUntouched)
{
    const std::string Entry = Name("C:\\f.txt") + I32(Date1990);
    const std::string Good = Section(Stored("first chunk"));
    struct Case {
        const char* What;
        std::string Archive;
        const char* Message;
    } Cases[] = {
        {"no EC2", Header() + Entry + "EC3" + std::string(1, '\0') + I32(0) + I32(0), "Invalid archive type"},
        {"raw block beyond a chunk",
         Header() + Entry + std::string("EC2\0", 4) + I32(-16385) + std::string(16385, 'x') + I32(0) + I32(0),
         "Invalid archive type"},
        {"smallest length", Header() + Entry + std::string("EC2\0", 4) + I32(INT32_MIN) + I32(0),
         "Invalid archive type"},
        {"huge name", Header() + I32(0x7FFFFFF0) + "abc", "Invalid archive type"},
        {"garbage zlib",
         Header() + Entry + std::string("EC2\0", 4) + I32(6) +
             "\x78\x9c"
             "abcd" +
             I32(0) + I32(0),
         "Compression error"},
        {"truncated block", Header() + Entry + std::string("EC2\0", 4) + I32(-100) + "short",
         "Invalid archive type"},
        {"no end mark", Header() + Entry + Good, "Invalid archive type"},
        {"bad header", I32(-1), "Cannot read archive"},
        {"declared total exceeded", Header(5) + Entry + Good + I32(0), "Invalid archive type"},
    };
    for (const Case& C : Cases) {
        fs::remove_all(Out());
        Put(Out() + "/f.txt", "mine");
        std::string File = Dir.File("bad.bak");
        Put(File, C.Archive);
        Errors.clear();
        try {
            Backup->Restore(File, Out());
            ADD_FAILURE() << C.What << ": no error raised";
        } catch (const EBackupError& E) {
            EXPECT_EQ(C.Message, E.Message()) << C.What;
        }
        EXPECT_FALSE(Backup->Busy());
        std::map<std::string, std::string> Mine{{"f.txt", "mine"}};
        EXPECT_EQ(Mine, Tree(Out())) << C.What;
    }
    // Every prefix of a good archive: never a crash, never a partial file.
    Put(Src() + "/a.txt", Words(20000));
    TStringList List;
    List.Add(Src() + "/a.txt");
    ASSERT_TRUE(Backup->Backup(&List, Dir.File("good.bak")));
    std::string Whole = ReadAll(Dir.File("good.bak"));
    for (std::size_t Cut = 0; Cut < Whole.size(); Cut += 97) {
        fs::remove_all(Out());
        fs::create_directories(Out());
        Put(Dir.File("cut.bak"), Whole.substr(0, Cut));
        EXPECT_THROW(Backup->Restore(Dir.File("cut.bak"), Out()), EBackupError) << Cut;
        EXPECT_TRUE(Tree(Out()).empty()) << Cut;
    }
    TMemoryStream S;
    S.WriteString(Whole.substr(0, Whole.size() / 2));
    S.SetPosition(0);
    EXPECT_FALSE(Backup->RestoreFromStream(&S, Out()));
    // A stream has no next volume.
    TMemoryStream Split;
    Split.WriteString(Header() + Entry + Good + Name("NEXT:DISK002") + Good + I32(0));
    Split.SetPosition(0);
    EXPECT_FALSE(Backup->RestoreFromStream(&Split, Out()));
    EXPECT_TRUE(Tree(Out()).empty());
    // A missing volume that is never given: nothing is left of the file.
    Put(Dir.File("split.bak"), Header() + Entry + Good + Name("NEXT:DISK002"));
    EXPECT_FALSE(Backup->Restore(Dir.File("split.bak"), Out()));
    EXPECT_TRUE(Tree(Out()).empty());
}

TEST_F(BackupTest, AnExceptionFromAHandlerLeavesNoPartialFileAndTheComponentIdle)
{
    Put(Src() + "/a.txt", Words(40000));
    TStringList List;
    List.Add(Src() + "/a.txt");
    ASSERT_TRUE(Backup->Backup(&List, Dir.File("a.bak")));
    Backup->OnProgress = [](TObject*, const AnsiString& File, TPercentage, bool&) {
        if (!File.empty())
            throw Exception("stop here");
    };
    EXPECT_THROW(Backup->Restore(Dir.File("a.bak"), Out()), Exception);
    EXPECT_FALSE(Backup->Busy());
    EXPECT_TRUE(Tree(Out()).empty());
    EXPECT_THROW(Backup->Backup(&List, Dir.File("b.bak")), Exception);
    EXPECT_FALSE(Backup->Busy());
}

TEST_F(BackupTest, DeCompressChecksTheSectionMark)
{
    TMemoryStream In, Expanded;
    In.WriteString(std::string("EC9\0", 4) + I32(0));
    In.SetPosition(0);
    try {
        Backup->DeCompress(&In, &Expanded, true);
        ADD_FAILURE();
    } catch (const EBackupError& E) {
        EXPECT_EQ("Invalid archive type", E.Message());
    }
    // A missing archive: no title and no error.
    EXPECT_EQ("", Backup->GetArchiveTitle(Dir.File("missing.bak"), nullptr));
    EXPECT_FALSE(Backup->Restore(Dir.File("missing.bak"), Out()));
    EXPECT_TRUE(Errors.empty());
}

} // namespace
