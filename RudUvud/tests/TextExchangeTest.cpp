// Fixed-width files, the padded text table, the HTML export and the grid's own text format:
// every writer's file read back by an independent reader (a Python script per format, in
// tests/data/readers) over one fixture grid, round trips through the grid's readers, and files
// that do not parse leaving the grid as it was.

#include "RudUvud/exchange/TextFormats.h"
#include "RudUvud/support/DerOdoz.h"
#include "RudUvud/tests/GridTestSupport.h"

#include "platform/forms/Clipbrd.h"
#include "platform/forms/Graphics.h"
#include "platform/rtl/Streams.h"
#include "platform/testing/FileContents.h"
#include "platform/testing/TempFolder.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Colors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Table = std::vector<std::vector<std::string>>;

const std::string Chinese = "\xe4\xb8\xad\xe6\x96\x87\xe7\x8d\x8e\xe5\x93\x81"; // four characters
const std::string NBSP = "\xc2\xa0";

using uitest::ReadWholeFile;
using uitest::WriteWholeFile;

std::vector<std::string> Split(const std::string& S, char Sep)
{
    std::vector<std::string> Out(1);
    for (char C : S) {
        if (C == Sep)
            Out.emplace_back();
        else
            Out.back() += C;
    }
    return Out;
}

// Runs one of the reader scripts on File; its output is rows (0x1e) of cells (0x1f).
Table RunReader(const std::string& Script, const std::string& File, const std::string& Args = "")
{
    const std::string Out = File + ".reader.txt";
    const std::string Cmd =
        "/usr/bin/python3 " DRAWMERE_TEST_DATA "/readers/" + Script + " '" + File + "' '" + Out + "' " + Args;
    EXPECT_EQ(std::system(Cmd.c_str()), 0) << Cmd;
    const std::string All = ReadWholeFile(Out);
    std::remove(Out.c_str());
    Table T;
    for (const std::string& Row : Split(All, '\x1e'))
        T.push_back(Split(Row, '\x1f'));
    return T;
}

class TextExchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 6, 5);
        Path = Dir + "grid";
    }
    void TearDown() override { Form->Free(); }
    // The fixture: commas, quotes, markup characters, a line break, Chinese text, empty cells, a
    // block merged over two columns and two rows, and a hidden column (real column 4).
    void FillFixture()
    {
        const char* T[5][6] = {
            {"No", "Name", "Prize", "Note", "Secret", "Code"},
            {"1", "Smith, J.", "say \"hi\"", "see http://example.com/a?b=1&c=2 now", "s1", Chinese.c_str()},
            {"2", "one\r\ntwo", "a < b & c", "x", "s2", "42"},
            {"3", "", "merged", "", "s3", "z"},
            {"4", "last", "", "", "s4", "end"},
        };
        for (Integer R = 0; R < 5; ++R)
            for (Integer C = 0; C < 6; ++C)
                G->SetCells(C, R, T[R][C]);
        G->SetMultilinecells(true);
        G->MergeCells(2, 3, 2, 2);
        G->HideColumn(4);
    }
    // What the grid hands to files: display positions read at their real columns.
    Table Saved(TDidAririzEvar* X)
    {
        Table V(X->RowCount());
        for (Integer R = 0; R < X->RowCount(); ++R)
            for (Integer C = 0; C < X->ColCount(); ++C)
                V[R].push_back(X->SaveCell(X->RemapCol(C), R));
        return V;
    }
    Table Cells(TDidAririzEvar* X)
    {
        Table V(X->RowCount());
        for (Integer R = 0; R < X->RowCount(); ++R)
            for (Integer C = 0; C < X->ColCount(); ++C)
                V[R].push_back(X->Cells(C, R));
        return V;
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    uitest::TempFolder Temp{"textexchange"};
    std::string Dir = Temp.Path().string() + "/", Path;
};

std::string Flat(std::string S)
{
    std::string Out;
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '\r' && I + 1 < S.size() && S[I + 1] == '\n')
            continue;
        Out += S[I] == '\r' || S[I] == '\n' ? ' ' : S[I];
    }
    return Out;
}

TEST(TextFormats, CharactersAreNeverCut)
{
    EXPECT_EQ(textformats::CharLength(Chinese), 4u);
    EXPECT_EQ(textformats::FitToWidth(Chinese, 2), "\xe4\xb8\xad\xe6\x96\x87");
    EXPECT_EQ(textformats::FitToWidth("ab", 4), "ab  ");
    const auto F = textformats::SplitFixedLine("ab" + Chinese + "xyz", {1, 3, 5, 20}, false);
    EXPECT_EQ(F, (std::vector<std::string>{"ab", "\xe4\xb8\xad\xe6\x96\x87", "\xe7\x8d\x8e\xe5\x93\x81xyz"}));
    // Positions 1, 5, 9 give two fields of four characters; positions past the line give empty
    // fields.
    EXPECT_EQ(textformats::SplitFixedLine(" abc defgh", {1, 5, 9}, true),
              (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(textformats::SplitFixedLine("ab", {3, 6, 9}, true), (std::vector<std::string>{"", ""}));
}

TEST(TextFormats, TextTablePieces)
{
    using textformats::AlignPiece;
    EXPECT_EQ(AlignPiece("42", 5, textformats::paRight), "   42 ");
    EXPECT_EQ(AlignPiece("ab", 6, textformats::paCenter), "  ab   "); // even deficit: equal blanks
    EXPECT_EQ(AlignPiece("ab", 5, textformats::paCenter), "  ab  ");  // grows past W, no padding
    EXPECT_EQ(AlignPiece("ab", 4, textformats::paLeft), "ab   ");
}

TEST(TextFormats, CellTextEncoding)
{
    using textformats::EncodeCellText;
    EXPECT_EQ(EncodeCellText("a\r\nb"), "a\x09\x08"
                                        "b");
    EXPECT_EQ(EncodeCellText("a\nb"), "a\x08"
                                      "b"); // a bare LF would end the record
    EXPECT_EQ(EncodeCellText("a\tb"), "a\tb");
    EXPECT_EQ(FileToLf(EncodeCellText("a\tb\r\nc"), true), "a\rb\r\nc"); // the TAB comes back as CR
    EXPECT_EQ(FileToLf(EncodeCellText("one\r\ntwo"), false), "one");
}

TEST(TextFormats, NativeStreamStopsAtAForeignLine)
{
    const std::string S = "2,2\r\ncw 0,64\r\n0,1,x,y\r\n3,4\r\ncw 0,10\r\n";
    textformats::TNativeData D;
    textformats::ParseNativeStream(S.data(), S.size(), D);
    EXPECT_TRUE(D.HasHeader);
    ASSERT_EQ(D.Cells.size(), 1u);
    EXPECT_EQ(D.Cells[0].Text, "x,y");
    EXPECT_EQ(S.substr(D.Consumed), "3,4\r\ncw 0,10\r\n");
    const std::string Bad = "2,2\r\nq,1,x\r\n";
    EXPECT_THROW(textformats::ParseNativeStream(Bad.data(), Bad.size(), D), EConvertError);
}

TEST_F(TextExchange, FixedWidthFileReadsBackInPythonAndInTheGrid)
{
    FillFixture();
    std::vector<Integer> Widths{4}; // the first column's width given, the others measured
    G->SaveToFixed(Path, Widths);
    ASSERT_EQ(Widths.size(), 5u);
    // One more than the longest text as written ("one two" for the line-break cell).
    EXPECT_EQ(Widths, (std::vector<Integer>{4, 10, 10, 37, 5}));
    std::string Args;
    for (Integer W : Widths)
        Args += (Args.empty() ? "" : ",") + std::to_string(W);
    Table Expected = Saved(G);
    for (auto& Row : Expected)
        for (auto& Cell : Row)
            Cell = Flat(Cell);
    EXPECT_EQ(RunReader("read_fixed.py", Path, Args), Expected);

    // Round trip: positions from the widths; fields come back trimmed.
    std::vector<Integer> Pos{1};
    for (Integer W : Widths)
        Pos.push_back(Pos.back() + W);
    std::reverse(Pos.begin(), Pos.end()); // the reader sorts them
    TDidAririzEvar* B = gridtest::NewShownGrid(Form, 1, 1);
    B->SetFixedCols(0);
    B->SetFixedRows(0);
    B->LoadFromFixed(Path, Pos);
    EXPECT_EQ(Pos.front(), 1);
    EXPECT_EQ(Cells(B), Expected);

    // A maximum of 0 lines still reads one; 2 reads two; rows below keep their texts.
    TDidAririzEvar* C = gridtest::NewShownGrid(Form, 5, 3);
    C->SetCells(0, 2, "kept");
    C->LoadFromFixed(Path, Pos, true, 0);
    EXPECT_EQ(C->Cells(1, 0), "Name");
    EXPECT_EQ(C->Cells(1, 1), "");
    C->LoadFromFixed(Path, Pos, true, 2);
    EXPECT_EQ(C->Cells(1, 1), "Smith, J.");
    EXPECT_EQ(C->Cells(0, 2), "kept");
    EXPECT_EQ(C->RowCount(), 3);
}

TEST_F(TextExchange, FixedWidthErrorsLeaveTheGridAsItWas)
{
    FillFixture();
    const Table Before = Cells(G);
    std::vector<Integer> Pos{1, 5};
    try {
        G->LoadFromFixed(Path + ".missing", Pos);
        FAIL() << "a missing file loaded";
    } catch (const ERudUvudError& E) {
        EXPECT_EQ(E.Message(), "File " + Path + ".missing not found");
    }
    std::vector<Integer> One{1};
    WriteWholeFile(Path, "abc\r\n");
    EXPECT_THROW(G->LoadFromFixed(Path, One), ERudUvudError);
    EXPECT_EQ(Cells(G), Before);
    // More fields than a grid may have columns, and more lines than it may have rows.
    std::vector<Integer> Many;
    for (Integer I = 1; I <= 16386; ++I)
        Many.push_back(I);
    try {
        G->LoadFromFixed(Path, Many);
        FAIL() << "16,385 fields loaded";
    } catch (const ERudUvudError& E) {
        EXPECT_EQ(E.Message(), "File " + Path + " has too many columns (more than 16384)");
    }
    WriteWholeFile(Path, std::string(1048577, '\n'));
    try {
        G->LoadFromFixed(Path, Pos);
        FAIL() << "1,048,577 lines loaded";
    } catch (const ERudUvudError& E) {
        EXPECT_EQ(E.Message(), "File " + Path + " has too many rows (more than 1048576)");
    }
    EXPECT_EQ(Cells(G), Before);
    std::vector<Integer> W;
    try {
        G->SaveToFixed("/nonexistent-dir/x.txt", W);
        FAIL() << "wrote into a missing folder";
    } catch (const ERudUvudError& E) {
        EXPECT_EQ(E.Message(), "Cannot Create file /nonexistent-dir/x.txt");
    }
}

TEST_F(TextExchange, TextTableColumnsAndAlignment)
{
    FillFixture();
    G->SetMultilinecells(true);
    for (Integer R = 0; R < G->RowCount(); ++R) {
        G->SetAlignments(0, R, taRightJustify);
        G->SetAlignments(5, R, taCenter);
    }
    G->SaveToASCII(Path);
    // Widths: the longest line of each written column.
    std::vector<Integer> W;
    std::string Args;
    for (Integer C = 0; C < G->ColCount(); ++C) {
        W.push_back(G->MaxCharsInCol(G->RemapCol(C)));
        Args += (Args.empty() ? "" : ",") + std::to_string(W.back());
    }
    EXPECT_EQ(W, (std::vector<Integer>{2, 9, 9, 36, 4}));
    const Table Got = RunReader("read_table.py", Path, Args + " rlllc");
    // The line-break cell puts "two" on a continuation line under its own column.
    ASSERT_EQ(Got.size(), 6u);
    EXPECT_EQ(Got[0], (std::vector<std::string>{"No", "Name", "Prize", "Note", "Code"}));
    EXPECT_EQ(Got[1][4], Chinese);
    EXPECT_EQ(Got[2], (std::vector<std::string>{"2", "one", "a < b & c", "x", "42"}));
    EXPECT_EQ(Got[3], (std::vector<std::string>{"", "two", "", "", ""}));
    EXPECT_EQ(Got[4][2], "merged");
    const std::string Text = ReadWholeFile(Path);
    EXPECT_NE(Text.find("\r\n 1 Smith, J."), std::string::npos); // right-aligned in 2 + 1
    EXPECT_NE(Text.find(" 42  \r\n"), std::string::npos);        // centred in 4 + 1
    // Appending adds the table again; a missing file is simply started.
    G->AppendToASCII(Path);
    EXPECT_EQ(RunReader("read_table.py", Path, Args + " rlllc").size(), 12u);
    G->AppendToASCII(Path + ".new");
    EXPECT_EQ(RunReader("read_table.py", Path + ".new", Args + " rlllc").size(), 6u);
}

TEST_F(TextExchange, HtmlTableReadsBackCellByCell)
{
    FillFixture();
    G->SetURLShow(true);
    G->HTMLSettings()->HTMLColWidths = {50, 80};
    G->SetFontStyles(1, 1, TFontStyles{fsBold});
    G->SetFontStyles(1, 2, TFontStyles{fsBold});
    G->SaveToHTML(Path + ".htm");
    const std::string Html = ReadWholeFile(Path + ".htm");
    const Table Got = RunReader("read_html.py", Path + ".htm");
    ASSERT_EQ(Got.size(), 5u);
    ASSERT_EQ(Got[0].size(), 5u); // the hidden column is not written
    Table Expected = Saved(G);
    Expected[1][3] = "see example.com/a?b=1&c=2 now"; // the link's label goes without the scheme
    for (Integer R = 0; R < 5; ++R) {
        for (Integer C = 0; C < 5; ++C) {
            const std::string& Cell = Got[R][C];
            if (!G->IsBaseCell(G->RemapCol(C), R)) {
                EXPECT_EQ(Cell, "#covered") << R << "," << C;
                continue;
            }
            const auto Parts = Split(Cell, '\x1d');
            ASSERT_EQ(Parts.size(), 3u) << Cell;
            std::string Want = Expected[R][C];
            if (Want.empty())
                Want = NBSP;
            EXPECT_EQ(Parts[0], Want) << R << "," << C;
            EXPECT_NE(Parts[2], "?") << "class " << Parts[1] << " has no declaration";
            if (R == 0) {
                EXPECT_NE(Parts[2].find("background-color: #" + HTMLColor(ColorToRGB(G->FixedColor()))),
                          std::string::npos);
            }
        }
    }
    // The link has its address quoted and only the URL made a link.
    EXPECT_NE(Html.find("see <a href=\"http://example.com/a?b=1&amp;c=2\">example.com/a?b=1&amp;c=2</a> now"),
              std::string::npos);
    // Markup characters of plain text are escaped.
    EXPECT_NE(Html.find(">a &lt; b &amp; c</td>"), std::string::npos);
    // The same look shares a class; bold adds one.
    const auto ClassAt = [&](Integer R, Integer C) { return Split(Got[R][C], '\x1d')[1]; };
    EXPECT_EQ(ClassAt(1, 1), ClassAt(2, 1));
    EXPECT_NE(ClassAt(1, 1), ClassAt(1, 2));
    EXPECT_EQ(ClassAt(1, 2), ClassAt(2, 2));
    EXPECT_NE(Split(Got[1][1], '\x1d')[2].find("font-weight: bold"), std::string::npos);
    // Widths stand in the header only.
    EXPECT_NE(Html.find("<TD class=\"c0\" nowrap WIDTH=\"50\">No</td>"), std::string::npos) << Html;
    EXPECT_EQ(Html.find(" width="), std::string::npos);
    EXPECT_NE(Html.find("COLSPAN=\"2\" ROWSPAN=\"2\""), std::string::npos);
    EXPECT_EQ(std::system(("xmllint --html --noout '" + Path + ".htm' 2>/dev/null").c_str()), 0);

    // Opening afterwards: once, whether asked for or set in the settings.
    const std::size_t Opens = uitest::ShellOpens().size();
    G->SaveToHTML(Path + ".htm", true);
    G->HTMLSettings()->AutoPreview = true;
    G->SaveToHTML(Path + ".htm", true);
    ASSERT_EQ(uitest::ShellOpens().size(), Opens + 2);
    EXPECT_EQ(uitest::ShellOpens().back().Target, Path + ".htm");
    EXPECT_EQ(uitest::ShellOpens().back().Verb, "open");
}

TEST_F(TextExchange, HtmlHeaderAndFooterFilesAndErrors)
{
    G->SetCells(1, 1, "<b>bold</b><script>alert(1)</script>");
    G->SetCells(2, 1, "<i>x</i><img src=x onerror=alert(2)>");
    G->SetCells(3, 1, "x <y> & z");
    WriteWholeFile(Dir + "head.txt", "<html><body>\r\n<h1>Prizes</h1>\n");
    WriteWholeFile(Dir + "foot.txt", "</body></html>");
    G->HTMLSettings()->HeaderFile = Dir + "head.txt";
    G->HTMLSettings()->FooterFile = Dir + "foot.txt";
    G->SaveToHTML(Path + ".htm");
    std::string Html = ReadWholeFile(Path + ".htm");
    EXPECT_EQ(Html.rfind("<html><body>\r\n<h1>Prizes</h1>\r\n", 0), 0u);
    EXPECT_EQ(Html.substr(Html.size() - 16), "</body></html>\r\n");
    // Cell text never becomes markup of the page: mini-HTML keeps only its own tags without
    // handlers, plain text is escaped.
    EXPECT_NE(Html.find("><b>bold</b>&lt;script&gt;alert(1)&lt;/script&gt;</td>"), std::string::npos) << Html;
    EXPECT_NE(Html.find("><i>x</i>&lt;img src=x onerror=alert(2)&gt;</td>"), std::string::npos);
    EXPECT_NE(Html.find(">x &lt;y&gt; &amp; z</td>"), std::string::npos);
    // A header file that cannot be read is left out; appending keeps the first table.
    G->HTMLSettings()->HeaderFile = Dir + "missing.txt";
    G->HTMLSettings()->FooterFile.clear();
    G->AppendToHTML(Path + ".htm");
    Html = ReadWholeFile(Path + ".htm");
    EXPECT_EQ(Html.rfind("<html><body>", 0), 0u);
    EXPECT_NE(Html.find("</TABLE>"), Html.rfind("</TABLE>"));
    try {
        G->SaveToHTML("/nonexistent-dir/x.htm");
        FAIL() << "wrote into a missing folder";
    } catch (const ERudUvudError& E) {
        EXPECT_EQ(E.Message(), "Cannot Create file /nonexistent-dir/x.htm");
    }
}

TEST_F(TextExchange, XhtmlIsWellFormedXml)
{
    FillFixture();
    G->HTMLSettings()->XHTML = true;
    G->HTMLSettings()->Summary = "Prizes & \"gifts\"";
    G->SaveToHTML(Path + ".xhtml");
    const std::string Html = ReadWholeFile(Path + ".xhtml");
    EXPECT_EQ(Html.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n", 0), 0u);
    EXPECT_EQ(std::system(("xmllint --noout '" + Path + ".xhtml'").c_str()), 0);
    const Table Got = RunReader("read_html.py", Path + ".xhtml");
    ASSERT_EQ(Got.size(), 5u);
    EXPECT_EQ(Split(Got[2][1], '\x1d')[0], "one\r\ntwo");
    EXPECT_EQ(Split(Got[1][4], '\x1d')[0], Chinese);
}

// A grid whose cells (2, 1) and (3, 2) show pictures and (1, 3) is a node.
class PictureGrid : public TDidAririzEvar {
public:
    using TDidAririzEvar::TDidAririzEvar;
    TCellType GetCellType(Integer ACol, Integer ARow) override
    {
        if ((ACol == 2 && ARow == 1) || (ACol == 3 && ARow == 2))
            return ctBitmap;
        return ACol == 1 && ARow == 3 ? ctNode : ctEmpty;
    }
};

TEST_F(TextExchange, XhtmlCharacterSetIsReadByHtmlParsers)
{
    FillFixture();
    G->HTMLSettings()->XHTML = true;
    G->SaveToHTML(Path + ".xhtml");
    // html5lib finds the character set as browsers do; without a declaration it can read it in
    // it would guess a single-byte code page and the Chinese text would come out garbled.
    const Table Got = RunReader("read_html5.py", Path + ".xhtml");
    ASSERT_EQ(Got.size(), 5u);
    EXPECT_EQ(Got[1][4], Chinese);
    EXPECT_EQ(std::system(("xmllint --noout '" + Path + ".xhtml'").c_str()), 0);
}

TEST_F(TextExchange, HtmlAddressesPassOnlyWithSafeSchemes)
{
    struct Case {
        const char* Cell;
        bool Passes;
    };
    const Case Cases[] = {
        {"<a href=\"java&#115;cript:alert(1)\">x</a>", false},
        {"<a href=\"&#106;&#x61;vascript:alert(1)\">x</a>", false},
        {"<a href=\"jav&#x09;ascript:alert(1)\">x</a>", false},
        {"<a href=\"javascript&colon;alert(1)\">x</a>", false},
        {"<a href=\" &#14; JaVaScRiPt:alert(1)\">x</a>", false},
        {"<a href='vbscript:msgbox(1)'>x</a>", false},
        {"<a href=data:text/html;base64,PHNjcmlwdD4=>x</a>", false},
        {"<img src=\"data:image/svg+xml,&lt;svg onload=alert(1)&gt;\"><b>x</b>", false},
        {"<a href=\"http://example.com/a?b=c:d\">x</a>", true},
        {"<a href=\"HTTPS://example.com\">x</a>", true},
        {"<a href=\"prizes.htm#top\">x</a>", true},
        {"<a href=\"mailto:draw@example.com\">x</a>", true},
        {"<img src=\"idx:1\"><b>x</b>", true}, // a closing tag makes a cell mini-HTML
    };
    for (const Case& C : Cases) {
        G->SetCells(1, 1, C.Cell);
        AnsiString Html;
        G->SaveToHTMLString("", Html);
        const std::string Tag = std::string(C.Cell).substr(0, std::string(C.Cell).find('>') + 1);
        EXPECT_EQ(Html.find(Tag) != std::string::npos, C.Passes) << C.Cell << "\n" << Html;
    }
    // Plain text becomes a link only when its scheme names a place.
    G->SetURLShow(true);
    G->SetCells(1, 1, "javascript://%0aalert(1)");
    G->SetCells(2, 1, "see https://example.com/x");
    AnsiString Html;
    G->SaveToHTMLString("", Html);
    EXPECT_EQ(Html.find("href=\"javascript"), std::string::npos) << Html;
    EXPECT_NE(Html.find("<a href=\"https://example.com/x\">"), std::string::npos) << Html;
}

TEST_F(TextExchange, PicturesAreNumberedAcrossAppends)
{
    PictureGrid* P = New<PictureGrid>(Form);
    P->SetParent(Form);
    P->SetColCount(4);
    P->SetRowCount(4);
    P->SetCells(1, 3, "child");
    // The pictures are the test's; the grid only points to them.
    TBitmap Pics[2];
    for (TBitmap& B : Pics)
        B.SetSize(8, 6);
    P->SetGraphicObjectEx(2, 1, &Pics[0]);
    P->SetGraphicObjectEx(3, 2, &Pics[1]);
    const std::string File = Dir + "pics.htm";
    P->SaveToHTML(File);
    P->AppendToHTML(File);
    for (int N = 1; N <= 4; ++N)
        EXPECT_TRUE(std::filesystem::exists(Dir + "images/img" + std::to_string(N) + ".jpg")) << N;
    const Table Got = RunReader("read_html.py", File); // the first table
    EXPECT_EQ(Split(Got[1][2], '\x1d')[0], NBSP + "[img:images/img1.jpg]");
    EXPECT_EQ(Split(Got[2][3], '\x1d')[0], NBSP + "[img:images/img2.jpg]");
    EXPECT_EQ(Split(Got[3][1], '\x1d')[0], "+child");
    EXPECT_NE(ReadWholeFile(File).find("images/img4.jpg"), std::string::npos);
    P->SetGraphicObjectEx(2, 1, nullptr);
    P->SetGraphicObjectEx(3, 2, nullptr);
}

TEST_F(TextExchange, ClipboardHoldsTheFragmentAndPlainText)
{
    FillFixture();
    G->CopyToClipBoardAsHTML();
    std::string Frag;
    G->SaveToHTMLString("", Frag);
    const UINT Format = RegisterClipboardFormat("HTML Format");
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE H = GetClipboardData(Format);
    ASSERT_NE(H, nullptr);
    const char* P = static_cast<const char*>(GlobalLock(static_cast<HGLOBAL>(H)));
    const std::string Env(P);
    GlobalUnlock(static_cast<HGLOBAL>(H));
    CloseClipboard();
    auto Offset = [&](const char* Name) {
        const std::size_t I = Env.find(Name);
        return std::stoul(Env.substr(I + std::strlen(Name), 8));
    };
    const std::size_t SF = Offset("StartFragment:"), EF = Offset("EndFragment:");
    EXPECT_EQ(Env.substr(SF, EF - SF), Frag);
    EXPECT_EQ(Env.substr(Offset("StartHTML:"), 9), "<!DOCTYPE");
    EXPECT_EQ(Offset("EndHTML:"), Env.size());
    const std::string Text = Clipboard()->AsText();
    EXPECT_EQ(Text.rfind("No\tName\tPrize\tNote\tCode\r\n1\tSmith, J.", 0), 0u) << Text;
    ResetClipboardState();
}

TEST_F(TextExchange, NativeFileReadsBackInPythonAndInTheGrid)
{
    FillFixture();
    G->SetColWidths(1, 77);
    std::vector<Integer> Progress;
    G->OnFileProgress = [&](TObject*, Integer P) { Progress.push_back(P); };
    G->SaveToFile(Path);
    EXPECT_EQ(Progress, (std::vector<Integer>{0, 25, 50, 75, 100}));
    const Table Got = RunReader("read_native.py", Path);
    // The last row carries the widths after 0x1c.
    Table Cells5 = Got;
    const auto Tail = Split(Cells5.back().back(), '\x1c');
    Cells5.back().back() = Tail[0];
    EXPECT_EQ(Cells5, Saved(G));
    EXPECT_NE(Tail[1].find("1=77"), std::string::npos);

    TDidAririzEvar* B = gridtest::NewShownGrid(Form, 2, 2);
    B->SetMultilinecells(true);
    B->LoadFromFile(Path);
    EXPECT_EQ(B->ColCount(), 5);
    EXPECT_EQ(Cells(B), Saved(G));
    EXPECT_EQ(B->ColWidths(1), 77);
    B->SetMultilinecells(false);
    B->LoadFromFile(Path);
    EXPECT_EQ(B->Cells(1, 2), "one");
}

TEST_F(TextExchange, CorruptNativeFilesLeaveTheGridAsItWas)
{
    FillFixture();
    const Table Before = Cells(G);
    const Integer Cols = G->ColCount();
    const char* Bad[] = {"",
                         "0,0\r\n",
                         "5,5\r\n1,x,text\r\n",
                         "5,5\r\nno separators\r\n",
                         "99999999,5\r\n",
                         "5,5\r\ncw x,10\r\n"};
    for (const char* B : Bad) {
        WriteWholeFile(Path, B);
        try {
            G->LoadFromFile(Path);
            FAIL() << "loaded: " << B;
        } catch (const ERudUvudError& E) {
            EXPECT_EQ(E.Message(), "File contains no data or corrupt file " + Path) << B;
        }
        EXPECT_EQ(Cells(G), Before) << B;
        EXPECT_EQ(G->ColCount(), Cols) << B;
    }
    // Cells and widths outside the grid are skipped.
    WriteWholeFile(Path, "2,2\r\ncw 9,10\r\n1,1,in\r\n5,0,out\r\n-1,0,neg\r\n");
    TDidAririzEvar* S = gridtest::NewShownGrid(Form, 1, 1);
    S->LoadFromFile(Path);
    EXPECT_EQ(Cells(S), (Table{{"", ""}, {"", "in"}}));
}

TEST_F(TextExchange, TwoGridsInOneStream)
{
    FillFixture();
    TDidAririzEvar* Second = gridtest::NewShownGrid(Form, 2, 3);
    Second->SetCells(1, 2, "second\r\ngrid");
    TMemoryStream MS;
    G->SaveToStream(&MS);
    Second->SaveToStream(&MS);
    MS.WriteString("tail");
    MS.SetPosition(0);
    TDidAririzEvar* A = gridtest::NewShownGrid(Form, 1, 1);
    TDidAririzEvar* B = gridtest::NewShownGrid(Form, 1, 1);
    A->SetMultilinecells(true);
    B->SetMultilinecells(true);
    A->LoadFromStream(&MS);
    B->LoadFromStream(&MS);
    EXPECT_EQ(Cells(A), Saved(G));
    EXPECT_EQ(Cells(B), Cells(Second));
    EXPECT_EQ(MS.ReadString(4), "tail");

    // Malformed numbers raise and leave grid and stream as they were; coordinates outside the
    // grid are skipped.
    const Table Before = Cells(A);
    TMemoryStream Bad;
    Bad.WriteString("2,2\r\n0,0,ok\r\nx,1,bad\r\n");
    Bad.SetPosition(0);
    EXPECT_THROW(A->LoadFromStream(&Bad), EConvertError);
    EXPECT_EQ(Bad.Position(), 0);
    EXPECT_EQ(Cells(A), Before);
    TMemoryStream Wide;
    Wide.WriteString("2,2\r\ncw 5,10\r\n");
    Wide.SetPosition(0);
    EXPECT_THROW(A->LoadFromStream(&Wide), EInvalidGridOperation);
    EXPECT_EQ(Wide.Position(), 0);
    EXPECT_EQ(Cells(A), Before);
    TMemoryStream Out;
    Out.WriteString("2,2\r\n-1,0,neg\r\n7,7,far\r\n1,1,in\r\n");
    Out.SetPosition(0);
    TDidAririzEvar* C = gridtest::NewShownGrid(Form, 1, 1);
    C->LoadFromStream(&Out);
    EXPECT_EQ(Cells(C), (Table{{"", ""}, {"", "in"}}));
}

} // namespace
