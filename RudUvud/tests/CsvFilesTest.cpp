// Comma-separated files: the field rules, separator detection, the grid's write/read round trip,
// an independent reader (Python's csv module) over the written file, append and insert modes,
// and a file that cannot be read leaving the grid as it was.

#include "RudUvud/exchange/CsvCodec.h"
#include "RudUvud/tests/GridTestSupport.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using csvcodec::TCsvWriteOptions;

struct EncodeCase {
    const char* Name;
    std::string Text;
    TCsvWriteOptions Opt;
    std::string Expected;
};

TCsvWriteOptions Opts(bool Tilde, bool QuoteAll, bool EmptyQuotes, bool Multi)
{
    TCsvWriteOptions O;
    O.TildeLineBreaks = Tilde;
    O.QuoteAll = QuoteAll;
    O.EmptyCellsAsQuotes = EmptyQuotes;
    O.Multilinecells = Multi;
    return O;
}

TEST(CsvCodec, FieldEncodingAndDecodingAgree)
{
    const EncodeCase Cases[] = {
        {"plain", "abc", Opts(false, false, true, false), "abc"},
        {"empty as quotes", "", Opts(false, false, true, false), "\"\""},
        {"empty as caret", "", Opts(true, false, true, false), "^"},
        {"empty as nothing", "", Opts(false, false, false, false), ""},
        {"empty quote-all", "", Opts(true, true, false, false), "\"\""},
        {"separator inside", "a,b", Opts(false, false, true, false), "\"a,b\""},
        {"quotes inside", "say \"hi\"", Opts(false, false, true, false), "\"say \"\"hi\"\"\""},
        {"quotes and separator", "a,\"b\"", Opts(false, false, true, false), "\"a,\"\"b\"\"\""},
        {"two lines", "one\r\ntwo", Opts(false, false, true, true), "\"one\x0btwo\""},
        {"two lines quote-all", "one\r\ntwo", Opts(false, true, true, true), "\"one\x0btwo\""},
        {"two lines tilde", "one\r\ntwo", Opts(true, false, true, true), "one~two"},
        {"tilde with separator", "a,b\r\nc", Opts(true, false, true, true), "\"a,b~c\""},
        {"two lines, single-line grid", "one\r\ntwo", Opts(false, false, true, false), "\"one\x0btwo\""},
        {"chinese", "\xe4\xb8\xad\xe6\x96\x87", Opts(false, false, true, false), "\xe4\xb8\xad\xe6\x96\x87"},
    };
    for (const EncodeCase& C : Cases) {
        const std::string Field = csvcodec::EncodeField(C.Text, C.Opt);
        EXPECT_EQ(Field, C.Expected) << C.Name;
        // The field read back in a line between two others gives the text again.
        const auto F = csvcodec::SplitLine("x," + Field + ",y", ',', C.Opt.TildeLineBreaks);
        ASSERT_EQ(F.size(), 3u) << C.Name;
        EXPECT_EQ(F[1], C.Text) << C.Name;
        EXPECT_EQ(F[2], "y") << C.Name;
    }
}

TEST(CsvCodec, SeparatorDetection)
{
    struct Case {
        const char* L1;
        const char* L2;
        char Sep;
    } Cases[] = {
        {"a;b;c", "d;e;f", ';'},      {"a,b;c", "d,e;f", ','}, // tie: the earlier candidate
        {"a\tb\tc", "1\t2\t3", '\t'}, {"a|b|c|d", "", '|'},    // one line: the most frequent candidate
        {"a,,b;c", "d,,e;f", ';'}, // doubled commas count nothing in the first pass
        {"abc", "def", '\0'},         {"\"x,y\";z", "1;2", ';'},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(csvcodec::DetectSeparator(C.L1, C.L2), C.Sep) << C.L1 << " / " << C.L2;
}

TEST(CsvCodec, MalformedLinesDoNotCrash)
{
    EXPECT_EQ(csvcodec::SplitLine("\"open,b", ',', false), std::vector<std::string>{"open,b"});
    EXPECT_EQ(csvcodec::SplitLine("\"q\"tail,b", ',', false), (std::vector<std::string>{"q", "b"}));
    EXPECT_EQ(csvcodec::SplitLine("a,", ',', false), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(csvcodec::SplitLine("\"q\",", ',', false), (std::vector<std::string>{"q", ""}));
    EXPECT_EQ(csvcodec::SplitLine(",", ',', false), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(csvcodec::SplitFileLines("a\r\nb\nc\rd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
}

class CsvFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 4, 4);
        Path = Temp.File("grid.csv");
    }
    void TearDown() override
    {
        std::remove(Path.c_str());
        Form->Free();
    }
    // The fixture grid: commas, quotes, line breaks, Chinese text, empty cells, a merged block.
    void FillFixture()
    {
        const char* T[4][4] = {
            {"Name", "Prize", "Note", "Code"},
            {"Smith, J.", "say \"hi\"", "", "\xe4\xb8\xad\xe6\x96\x87"},
            {"one\r\ntwo", "x", "y", "42"},
            {"", "", "last", "z"},
        };
        for (Integer R = 0; R < 4; ++R)
            for (Integer C = 0; C < 4; ++C)
                G->SetCells(C, R, T[R][C]);
    }
    std::vector<std::vector<std::string>> Grid(TDidAririzEvar* X)
    {
        std::vector<std::vector<std::string>> V(X->RowCount());
        for (Integer R = 0; R < X->RowCount(); ++R)
            for (Integer C = 0; C < X->ColCount(); ++C)
                V[R].push_back(X->Cells(C, R));
        return V;
    }
    // Python's csv module reads the file; VT inside a field stands for a line break.
    std::vector<std::vector<std::string>> PythonRead(char Sep = ',')
    {
        const std::string Out = Path + ".py.txt";
        const std::string Cmd =
            std::string(
                "/usr/bin/python3 -c \"import csv,sys\n"
                "rows=list(csv.reader(open(sys.argv[1],newline='',encoding='utf-8'),delimiter=sys.argv[3]))\n"
                "open(sys.argv[2],'w',encoding='utf-8',newline='').write("
                "'\\x1e'.join('\\x1f'.join(f.replace('\\x0b','\\r\\n') for f in r) for r in rows))\" ") +
            Path + " " + Out + " '" + std::string(1, Sep) + "'";
        EXPECT_EQ(std::system(Cmd.c_str()), 0);
        std::ifstream F(Out, std::ios::binary);
        std::stringstream SS;
        SS << F.rdbuf();
        std::remove(Out.c_str());
        std::vector<std::vector<std::string>> Rows;
        std::string All = SS.str(), Cell;
        Rows.emplace_back();
        for (char Ch : All) {
            if (Ch == '\x1e') {
                Rows.back().push_back(Cell);
                Cell.clear();
                Rows.emplace_back();
            } else if (Ch == '\x1f') {
                Rows.back().push_back(Cell);
                Cell.clear();
            } else {
                Cell += Ch;
            }
        }
        Rows.back().push_back(Cell);
        return Rows;
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    uitest::TempFolder Temp{"csvfiles"};
    std::string Path;
};

TEST_F(CsvFilesTest, WrittenFileReadsBackInPythonAndInTheGrid)
{
    FillFixture();
    G->SetMultilinecells(true);
    G->MergeCells(2, 2, 2, 1); // each position is written as it stands
    for (char Sep : {'\0', ';', '\t'}) {
        G->SetCSVSeparator(Sep);
        G->SaveToCSV(Path);
        // What the grid gives to files, position by position.
        std::vector<std::vector<std::string>> Expected(4);
        for (Integer R = 0; R < 4; ++R)
            for (Integer C = 0; C < 4; ++C)
                Expected[R].push_back(G->SaveCell(C, R));
        EXPECT_EQ(Expected[2][3], "y");
        EXPECT_EQ(PythonRead(Sep ? Sep : ','), Expected) << int(Sep);

        TDidAririzEvar* B = gridtest::NewShownGrid(Form, 1, 1);
        B->SetMultilinecells(true);
        B->LoadFromCSV(Path); // separator detected
        EXPECT_EQ(Grid(B), Expected) << int(Sep);
        EXPECT_EQ(B->CSVSeparator(), '\0');
    }
}

TEST_F(CsvFilesTest, HiddenColumnsFollowTheSetting)
{
    FillFixture();
    G->HideColumn(1);
    G->SaveToCSV(Path);
    auto Rows = PythonRead();
    ASSERT_EQ(Rows.size(), 4u);
    EXPECT_EQ(Rows[0], (std::vector<std::string>{"Name", "Note", "Code"}));
    G->SetIncludeHiddenColumns(true);
    G->SaveToCSV(Path);
    Rows = PythonRead();
    EXPECT_EQ(Rows[0], (std::vector<std::string>{"Name", "Prize", "Note", "Code"}));
}

TEST_F(CsvFilesTest, AppendAndInsertAddRows)
{
    FillFixture();
    G->SaveToCSV(Path);
    G->AppendToCSV(Path);
    EXPECT_EQ(PythonRead().size(), 8u);
    // Progress: every row's share of the file, each value once.
    std::vector<Integer> Progress;
    G->OnFileProgress = [&](TObject*, Integer P) { Progress.push_back(P); };
    G->SaveToCSV(Path);
    EXPECT_EQ(Progress, (std::vector<Integer>{0, 33, 67, 100}));
    Progress.clear();
    G->LoadFromCSV(Path);
    EXPECT_EQ(Progress, (std::vector<Integer>{25, 50, 75, 100}));
    G->OnFileProgress = nullptr;
    G->AppendToCSV(Path);
    TDidAririzEvar* B = gridtest::NewShownGrid(Form, 4, 10);
    B->InsertFromCSV(Path, 3);
    EXPECT_EQ(B->RowCount(), 13);
    EXPECT_EQ(B->Cells(0, 10), "Name");
    EXPECT_EQ(B->Cells(0, 11), "Smith, J.");
    // Skipping the first line, and a maximum number of lines.
    B->SetCSVReadFirstLine(false);
    B->LoadFromCSV(Path, 2);
    EXPECT_EQ(B->Cells(0, 0), "Smith, J.");
    EXPECT_EQ(B->RowCount(), 2);
}

TEST_F(CsvFilesTest, FilesFromOtherWritersLoadWithTheirSeparator)
{
    // Python's csv writer with ';' and with tabs, and a file ending without a line end.
    for (const char* Sep : {";", "\\t", ","}) {
        const std::string Cmd =
            std::string("/usr/bin/python3 -c \"import csv,sys\n"
                        "w=csv.writer(open(sys.argv[1],'w',newline='',encoding='utf-8'),delimiter='") +
            Sep + "')\nw.writerow(['a','b c','d'])\nw.writerow(['1','2','x\\\"y'])\" " + Path;
        ASSERT_EQ(std::system(Cmd.c_str()), 0);
        TDidAririzEvar* B = gridtest::NewShownGrid(Form, 1, 1);
        B->LoadFromCSV(Path);
        EXPECT_EQ(B->ColCount(), 3) << Sep;
        EXPECT_EQ(B->Cells(1, 0), "b c") << Sep;
        EXPECT_EQ(B->Cells(2, 1), "x\"y") << Sep;
    }
}

TEST_F(CsvFilesTest, SpreadsheetProgramFilesLoadWithTheirSeparator)
{
    // Written by LibreOffice from one table with "," and with ";" (tests/data/libreoffice/
    // make-fixtures.sh): LF line ends, quotes only where needed, an empty last field.
    const std::vector<std::vector<std::string>> Expected = {
        {"No", "Name", "Prize", "Note"},
        {"1", "Smith, J.", "say \"hi\"", ""},
        {"2", "\xe4\xb8\xad\xe6\x96\x87\xe7\x8d\x8e\xe5\x93\x81", "a; b", "x"},
        {"3", "", "last", "\"quoted\", too"},
    };
    for (const char* Name : {"prizes-comma.csv", "prizes-semicolon.csv"}) {
        TDidAririzEvar* B = gridtest::NewShownGrid(Form, 1, 1);
        B->LoadFromCSV(std::string(DRAWMERE_TEST_DATA "/libreoffice/") + Name);
        EXPECT_EQ(Grid(B), Expected) << Name;
        // Loaded over a filled grid, the empty last field empties its cell too.
        B->SetCells(3, 1, "old");
        B->LoadFromCSV(std::string(DRAWMERE_TEST_DATA "/libreoffice/") + Name);
        EXPECT_EQ(Grid(B), Expected) << Name;
    }
}

TEST_F(CsvFilesTest, UnreadableOrEmptyFilesLeaveTheGridAsItWas)
{
    FillFixture();
    const auto Before = Grid(G);
    {
        std::ofstream(Path, std::ios::trunc);
    }
    try {
        G->LoadFromCSV(Path);
        FAIL() << "an empty file loaded";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "File is empty");
    }
    EXPECT_THROW(G->LoadFromCSV(Path + ".missing"), Exception);
    EXPECT_THROW(G->AppendToCSV(Path + ".missing"), Exception);
    EXPECT_EQ(Grid(G), Before);
    // A target that cannot be written leaves no file behind.
    EXPECT_THROW(G->SaveToCSV("/nonexistent-dir/x.csv"), Exception);
}

TEST_F(CsvFilesTest, UnterminatedQuoteKeepsTheRestOfTheLineAsPythonDoes)
{
    // Each line is the last of its file (no line end after it), where Python's reader ends an
    // open quoted field at the end of the input.
    const char* Lines[] = {
        "a,\"open,b", "\"open", "x,\"say \"\"hi\"\", more", "1,2,\"", "\"q\",\"r,s",
    };
    for (const char* L : Lines) {
        {
            std::ofstream(Path, std::ios::binary) << "h1\r\n" << L;
        }
        auto Rows = PythonRead();
        ASSERT_EQ(Rows.size(), 2u) << L;
        EXPECT_EQ(csvcodec::SplitLine(L, ',', false), Rows[1]) << L;
        // The grid keeps the same fields.
        TDidAririzEvar* B = gridtest::NewShownGrid(Form, 1, 1);
        B->SetCSVSeparator(',');
        B->LoadFromCSV(Path);
        for (size_t K = 0; K < Rows[1].size(); ++K)
            EXPECT_EQ(B->Cells(static_cast<Integer>(K), 1), Rows[1][K]) << L;
    }
}

TEST_F(CsvFilesTest, HiddenColumnsStayInPlaceThroughARoundTrip)
{
    for (bool WithHidden : {false, true}) {
        TDidAririzEvar* A = gridtest::NewShownGrid(Form, 4, 4);
        G = A;
        FillFixture();
        const auto Before = Grid(A);
        A->SetIncludeHiddenColumns(WithHidden);
        A->HideColumn(1);
        A->SaveToCSV(Path);
        // Read back into the same grid with its column still hidden, over emptied cells.
        for (Integer R = 0; R < 4; ++R)
            for (Integer C : {0, 2, 3})
                A->SetCells(C, R, "");
        if (WithHidden)
            for (Integer R = 0; R < 4; ++R)
                A->SetCells(1, R, "");
        A->LoadFromCSV(Path);
        A->UnHideColumn(1);
        EXPECT_EQ(A->ColCount(), 4) << WithHidden;
        EXPECT_EQ(Grid(A), Before) << WithHidden;
    }
}

TEST_F(CsvFilesTest, FilesBeyondTheLimitsAreRefusedBeforeTheGridChanges)
{
    FillFixture();
    const auto Before = Grid(G);
    G->SetCSVSeparator(',');
    struct Case {
        const char* Name;
        std::string Text;
        const char* Message;
    };
    const Case Cases[] = {
        {"one line of separators", "a" + std::string(20000, ',') + "\r\n",
         "has too many columns (more than 16384)"},
        {"a wide line after short ones", "a,b\r\nc,d\r\n" + std::string(16384, ',') + "\r\n",
         "has too many columns (more than 16384)"},
        {"empty lines", "a,b\r\n" + std::string(1048576, '\n'), "has too many rows (more than 1048576)"},
    };
    for (const Case& C : Cases) {
        {
            std::ofstream(Path, std::ios::binary) << C.Text;
        }
        try {
            G->LoadFromCSV(Path);
            ADD_FAILURE() << C.Name << ": loaded";
        } catch (const ERudUvudError& E) {
            EXPECT_NE(E.Message().find(C.Message), std::string::npos) << C.Name << ": " << E.Message();
        }
        EXPECT_EQ(G->ColCount(), 4) << C.Name;
        EXPECT_EQ(Grid(G), Before) << C.Name;
    }
    // The widest file that fits loads, its columns sized in one step.
    {
        std::ofstream(Path, std::ios::binary) << "first" << std::string(16383, ',') << "last\r\n";
    }
    G->LoadFromCSV(Path);
    EXPECT_EQ(G->ColCount(), 16384);
    EXPECT_EQ(G->Cells(16383, 0), "last");
}

} // namespace
