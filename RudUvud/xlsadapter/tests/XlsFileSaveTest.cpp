// Saves that fail and files that are not what they claim: a failed save neither touches the
// caller's stream after it is gone nor an existing file, and a file whose sections come in an
// impossible order is refused whole. Fixtures: tests/data/crashes/ (make-crash-files.py).

#include "RudUvud/xlsadapter/XlsFile.h"
#include "RudUvud/xlsadapter/XlsMessages.h"

#include "WorkbookDocument.h"
#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>

using namespace xlstest;

namespace {

template <class Fn> std::string MessageOf(Fn&& F)
{
    try {
        F();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

std::unique_ptr<TExcelFile> OpenOverwriting(TXLSAdapter& Adapter, const std::string& Name)
{
    Adapter.SetAllowOverwritingFiles(true);
    auto F = Adapter.GetWorkbook();
    F->Connect();
    F->OpenFile(std::string(DRAWMERE_TEST_DATA) + "/" + Name);
    return F;
}

std::vector<std::string> FilesIn(const std::string& Dir)
{
    std::vector<std::string> Names;
    for (const auto& E : std::filesystem::directory_iterator(Dir))
        Names.push_back(E.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

// Limits the size of any file this process writes, for the life of the object.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes)
    {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG
        rlimit L = FOld;
        L.rlim_cur = Bytes;
        setrlimit(RLIMIT_FSIZE, &L);
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = nullptr;
};

} // namespace

// The selected first sheet is hidden: every save fails before a byte of the workbook is written.
TEST(XlsFileSave, AFailedSaveLeavesTheStreamAndTheFileAlone)
{
    TXLSAdapter Adapter(nullptr);
    auto F = OpenOverwriting(Adapter, "crashes/hidden-selected-sheet.xls");
    {
        TMemoryStream M;
        EXPECT_EQ(MessageOf([&] { F->Save(false, "", nullptr, nullptr, &M); }),
                  "To save this file, you must select a visible sheet");
    }
    TempDir Dir;
    const std::string Out = Dir.File("out.xls");
    SaveFile(Out, Bytes({1, 2, 3}));
    EXPECT_EQ(MessageOf([&] { F->Save(false, Out, nullptr); }),
              "To save this file, you must select a visible sheet");
    EXPECT_EQ(LoadFile(Out), Bytes({1, 2, 3}));
    EXPECT_EQ(FilesIn(Dir.Path().string()), std::vector<std::string>{"out.xls"});

    // Once a visible sheet is selected the same file saves.
    F->SetActiveSheetVisible(sv_Visible);
    F->Save(false, Out, nullptr);
    EXPECT_GT(LoadFile(Out).size(), 512u);
}

// A write that fails half-way (here: past the process's file size limit) keeps the old file
// and leaves nothing beside it; a save that succeeds replaces the file and keeps its permissions.
TEST(XlsFileSave, AWriteErrorKeepsTheExistingFile)
{
    TXLSAdapter Adapter(nullptr);
    auto F = OpenOverwriting(Adapter, "xlwt-small.xls");
    TempDir Dir;
    const std::string Out = Dir.File("prizes.xls");
    SaveFile(Out, Bytes({1, 2, 3}));
    std::filesystem::permissions(Out, std::filesystem::perms(0640));
    {
        TFileSizeLimit Limit(1000);
        EXPECT_EQ(MessageOf([&] { F->Save(false, Out, nullptr); }),
                  "Can't write to file \"" + Out + "\". Check it is not in use by another user");
    }
    EXPECT_EQ(LoadFile(Out), Bytes({1, 2, 3}));
    EXPECT_EQ(FilesIn(Dir.Path().string()), std::vector<std::string>{"prizes.xls"});

    F->Save(false, Out, nullptr);
    EXPECT_GT(LoadFile(Out).size(), 1000u);
    EXPECT_EQ(std::filesystem::status(Out).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(FilesIn(Dir.Path().string()), std::vector<std::string>{"prizes.xls"});
    // A folder that does not exist: refused, nothing created.
    EXPECT_NE(MessageOf([&] { F->Save(false, Dir.File("none/x.xls"), nullptr); }), "(no error)");
}

// The second sheet's BOF says "workbook globals": refused as invalid, and the workbook's sheets
// and strings are freed without reading freed memory.
TEST(XlsFileOpen, ASecondGlobalsSectionIsRefused)
{
    TXLSFile F(nullptr);
    F.Connect();
    EXPECT_EQ(
        MessageOf([&] { F.OpenFile(std::string(DRAWMERE_TEST_DATA) + "/crashes/second-globals-bof.xls"); }),
        "Error reading Excel records. File invalid");
    F.OpenFile(std::string(DRAWMERE_TEST_DATA) + "/xlwt-small.xls");
    EXPECT_EQ(F.GetCellValue(1, 1), TXlsVariant::FromString(u"Prize"));
    F.Disconnect();
}

// A damaged stream whose sheet directory and sheets are out of step (found by the fuzz target
// that edits workbooks; its last eight bytes are that target's edits): it opens, but a sheet
// copy is refused with the engine's message rather than failing inside the sheet list.
TEST(XlsFileOpen, SheetsOutOfStepWithTheirDirectoryAreNotCopied)
{
    ByteArray Stream = LoadFile(std::string(DRAWMERE_SOURCE_DIR) +
                                "/fuzz/corpus/fuzz_xls_edit/sheet-directory-out-of-step.bin");
    ASSERT_GT(Stream.size(), 8u);
    Stream.resize(Stream.size() - 8);
    TWriteDoc D;
    D.File->WriteMem(Stream.data(), static_cast<Integer>(Stream.size()));
    D.Finish();
    TMemoryStream M;
    M.Write(D.Out.Bytes().data(), static_cast<Integer>(D.Out.Bytes().size()));
    M.Seek(0, soBeginning);
    TXLSFile F(nullptr);
    F.Connect();
    F.LoadFromStream(&M);
    EXPECT_EQ(MessageOf([&] { F.InsertAndCopySheets(1, 2, 1); }),
              "Error reading Excel records. File invalid");
}
