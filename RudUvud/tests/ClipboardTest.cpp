// Copy, cut and paste through the clipboard: the text's shape, the cell format and RTF between
// grids, growth, inserting, the paste events, the smart selection paste, the clipboard keys, and
// data from other programs that must be refused without changing the grid.

#include "RudUvud/tests/ExchangeTestGrid.h"

#include "RudUvud/support/DerOdoz.h"
#include "platform/forms/Clipbrd.h"
#include "platform/win/Clipboard.h"

#include <cstring>

namespace {

// Records what the grid tells of each paste.
class TRecordingGrid : public TDidAririzEvar {
public:
    using TDidAririzEvar::TDidAririzEvar;
    struct Notice {
        TPoint Origin;
        TGridRect Area;
        TClipOperation Operation;
    };
    std::vector<Notice> Notices;

protected:
    void PasteNotify(TPoint Origin, TGridRect Area, TClipOperation Operation) override
    {
        Notices.push_back({Origin, Area, Operation});
        TDidAririzEvar::PasteNotify(Origin, Area, Operation);
    }
};

// Puts raw bytes under a format, as another program could.
void PutOnClipboard(UINT Format, const std::string& Bytes)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL H = GlobalAlloc(GMEM_MOVEABLE, Bytes.size());
    if (!Bytes.empty())
        std::memcpy(GlobalLock(H), Bytes.data(), Bytes.size());
    GlobalUnlock(H);
    EXPECT_NE(SetClipboardData(Format, H), nullptr);
    CloseClipboard();
}

std::string ClipboardBytes(UINT Format)
{
    auto* H = static_cast<HGLOBAL>(Clipboard()->GetAsHandle(Format));
    if (!H)
        return {};
    std::string S(static_cast<const char*>(GlobalLock(H)), GlobalSize(H));
    GlobalUnlock(H);
    return S;
}

exchangetest::Table Texts(TDidAririzEvar* X)
{
    exchangetest::Table T(static_cast<std::size_t>(X->RowCount()));
    for (Integer R = 0; R < X->RowCount(); ++R)
        for (Integer C = 0; C < X->ColCount(); ++C)
            T[static_cast<std::size_t>(R)].push_back(X->Cells(C, R));
    return T;
}

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = NewGrid(0);
        exchangetest::Fill(G);
        H = NewGrid(420);
        H->SetColCount(6);
        H->SetRowCount(8);
    }
    void TearDown() override { Form->Free(); }

    TRecordingGrid* NewGrid(Integer Left)
    {
        auto* X = New<TRecordingGrid>(Form);
        X->SetParent(Form);
        X->SetBounds(Left, 0, 380, 300);
        X->SetOptions(X->Options() + TGridOptions{goEditing, goRangeSelect});
        uitest::PumpUntilIdle();
        return X;
    }

    TForm* Form = nullptr;
    TRecordingGrid* G = nullptr;
    TRecordingGrid* H = nullptr;
};

TEST_F(ClipboardTest, CopiedTextHasTheShapeOtherProgramsRead)
{
    G->SetSelection(TGridRect{1, 1, 2, 2});
    G->CopySelectionToClipboard();
    // TAB between cells, CR LF after every row; a multi-line cell in quotes with LF, its quotes
    // doubled.
    EXPECT_EQ(Clipboard()->AsText(), "Smith, J.\tsay \"hi\"\r\n\"one\ntwo\"\ta & b <c>\r\n");
    EXPECT_EQ(G->CopyOrigin().X, 1);
    EXPECT_EQ(G->LastClipOperation(), coCopy);

    G->SetSelection(TGridRect{1, 4, 3, 4});
    G->CopySelectionToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "\xe7\x8d\x8e\xe5\x93\x81 prize\t\tlast") << "one row, no line end";
    // Other programs may ask for UTF-16 text: nothing is lost to a code page.
    std::string Wide = ClipboardBytes(CF_UNICODETEXT);
    EXPECT_EQ(Wide.substr(0, 4), std::string("\x4e\x73\xc1\x54", 4));

    G->SetCells(1, 2, "say \"x\"\r\nnext");
    G->SetWideCells(2, 2, u"\u5BEC");
    G->SetCopyMultiLineAsCSV(true);
    G->SetSelection(TGridRect{1, 2, 2, 2});
    G->CopySelectionToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "\"say \"\"x\"\"\x0Bnext\"\t\xe5\xaf\xac");
}

// A copy pasted into another grid gives back every text exactly, line breaks and quotes included,
// whichever form the copy took.
TEST_F(ClipboardTest, TextRoundTripsBetweenGrids)
{
    G->SetCells(3, 1, "\"quoted\"");
    G->SetCells(3, 2, "a \"b\"\r\nc\r\n");
    for (bool Csv : {false, true}) {
        G->SetCopyMultiLineAsCSV(Csv);
        G->SetSelection(TGridRect{1, 1, 3, 2});
        G->CopySelectionToClipboard();
        H->SetSelection(TGridRect{2, 3, 2, 3});
        H->PasteSelectionFromClipboard();
        for (Integer R = 1; R <= 2; ++R)
            for (Integer C = 1; C <= 3; ++C)
                EXPECT_EQ(H->Cells(C + 1, R + 2), G->Cells(C, R)) << C << "," << R << " csv " << Csv;
    }
    // Lines ending in LF alone, as programs on this desktop write them.
    Clipboard()->SetAsText("x\ty\nz\tw\n");
    H->SetSelection(TGridRect{1, 1, 1, 1});
    H->PasteSelectionFromClipboard();
    EXPECT_EQ(H->Cells(1, 1) + H->Cells(2, 1) + H->Cells(1, 2) + H->Cells(2, 2), "xyzw");
    EXPECT_EQ(H->PasteSize("a\tb\r\nc\td\te\tf\r\ng\th\ti\r\n").X, 4);
    EXPECT_EQ(H->PasteSize("a\tb\r\nc\td\te\tf\r\ng\th\ti\r\n").Y, 2);
}

TEST_F(ClipboardTest, PastedTextGrowsTheGridOnlyAsAllowed)
{
    struct Case {
        bool RowGrow, ColGrow;
        Integer Cols, Rows;
    } Cases[] = {{true, true, 8, 10}, {false, false, 6, 8}, {true, false, 6, 10}, {false, true, 8, 8}};
    for (const Case& K : Cases) {
        H->Clear();
        H->SetColCount(6);
        H->SetRowCount(8);
        H->Navigation()->AllowClipboardRowGrow = K.RowGrow;
        H->Navigation()->AllowClipboardColGrow = K.ColGrow;
        Integer Cols = 0, Rows = 0;
        EXPECT_EQ(H->PasteText(5, 7, "a\tb\tc\r\nd\te\tf\r\ng\th\ti", Cols, Rows), 9);
        EXPECT_EQ(H->ColCount(), K.Cols) << K.RowGrow << K.ColGrow;
        EXPECT_EQ(H->RowCount(), K.Rows) << K.RowGrow << K.ColGrow;
        EXPECT_EQ(H->Cells(5, 7), "a");
        // Nothing went where no cell shows it: raising the counts brings no pasted text back.
        H->SetColCount(8);
        H->SetRowCount(10);
        EXPECT_EQ(H->Cells(7, 9), K.RowGrow && K.ColGrow ? "i" : "");
        EXPECT_EQ(H->Cells(6, 7), K.ColGrow ? "b" : "");
        EXPECT_EQ(H->Cells(5, 8), K.RowGrow ? "d" : "");
    }
    // With paInsert each non-empty line first opens a row at the target.
    H->Clear();
    H->SetRowCount(8);
    H->SetCells(1, 2, "below");
    H->Navigation()->ClipboardPasteAction = paInsert;
    Integer Cols = 0, Rows = 0;
    H->PasteText(1, 2, "p\r\n\r\nq\r\n", Cols, Rows);
    EXPECT_EQ(H->RowCount(), 10);
    // An empty line opens no row and empties no cell of the row it lands on.
    EXPECT_EQ(H->Cells(1, 2) + "|" + H->Cells(1, 3) + "|" + H->Cells(1, 4), "p|below|q");
}

TEST_F(ClipboardTest, PasteEventsCheckBoxesAndUndo)
{
    auto* U = New<TRudUvudUndoRedo>(Form);
    H->SetUndoRedo(U);
    H->SetCells(1, 1, "old");
    H->SetCells(2, 1, "old2");
    std::vector<std::string> After;
    H->OnClipboardBeforePasteCell = [](TObject*, Integer ACol, Integer, AnsiString& V, bool& Allow) {
        Allow = ACol != 2;
        V += "!";
    };
    H->OnClipboardAfterPasteCell = [&](TObject*, Integer ACol, Integer, const AnsiString& V) {
        After.push_back(std::to_string(ACol) + V);
    };
    WideString WideSeen;
    H->OnClipboardBeforePasteWideCell = [&](TObject*, Integer, Integer, WideString& V, bool&) {
        WideSeen = V;
    };
    H->AddCheckBox(4, 1, false, false);
    Integer Cols = 0, Rows = 0;
    const AnsiString Wide = EncodeWideStr(u"\u5BEC");
    const AnsiString Text = "a\tb\t" + Wide + "\tY";
    H->PasteText(1, 1, Text.c_str(), Cols, Rows);
    EXPECT_EQ(H->Cells(1, 1), "a!");
    EXPECT_EQ(H->Cells(2, 1), "old2") << "refused by the handler";
    EXPECT_EQ(After, (std::vector<std::string>{"1a!", "4Y!"}));
    EXPECT_EQ(WideSeen, u"\u5BEC");
    EXPECT_EQ(H->GetWideCells(3, 1), u"\u5BEC");
    bool State = false;
    EXPECT_TRUE(H->GetCheckBoxState(4, 1, State));
    EXPECT_FALSE(State) << "\"Y!\" is not the check-true text";
    H->OnClipboardBeforePasteCell = nullptr;
    H->PasteText(4, 1, "Y", Cols, Rows);
    EXPECT_TRUE(H->GetCheckBoxState(4, 1, State));
    EXPECT_TRUE(State);
    // One paste is one undo step.
    U->Undo();
    U->Undo();
    EXPECT_EQ(H->Cells(1, 1), "old");
}

TEST_F(ClipboardTest, CellFormatCarriesColoursAndMergesBetweenGrids)
{
    G->Navigation()->AllowFmtClipboard = true;
    H->Navigation()->AllowFmtClipboard = true;
    G->SetColors(1, 1, clRed);
    G->MergeCells(2, 3, 2, 1);
    G->SetSelection(TGridRect{1, 1, 3, 3});
    G->CopySelectionToClipboard();
    EXPECT_FALSE(ClipboardBytes(GridCellsClipboardFormat()).empty());
    EXPECT_EQ(Clipboard()->AsText().substr(0, 10), "Smith, J.\t") << "text beside the cells";

    H->SetSelection(TGridRect{2, 2, 2, 2});
    H->PasteSelectionFromClipboard();
    EXPECT_EQ(H->Cells(2, 2), "Smith, J.");
    EXPECT_EQ(H->Cells(2, 3), "one\r\ntwo");
    EXPECT_EQ(H->GetColors(2, 2), clRed);
    EXPECT_EQ(H->CellSpan(3, 4).X, 1) << "the merged block came along";
    ASSERT_FALSE(H->Notices.empty());
    EXPECT_EQ(H->Notices.back().Origin.X, -1) << "copied in another grid";
    EXPECT_EQ(H->Notices.back().Area.Right, 4);

    // Within one grid the copy's origin is told; without the setting the text is pasted instead.
    G->SetSelection(TGridRect{3, 1, 3, 1});
    G->PasteSelectionFromClipboard();
    EXPECT_EQ(G->Notices.back().Origin.X, 1);
    EXPECT_EQ(G->Notices.back().Origin.Y, 1);
    H->Navigation()->AllowFmtClipboard = false;
    H->SetSelection(TGridRect{1, 6, 1, 6});
    H->PasteSelectionFromClipboard();
    EXPECT_EQ(H->Cells(1, 6), "Smith, J.");
    EXPECT_NE(H->GetColors(1, 6), clRed);
}

TEST_F(ClipboardTest, RtfOfTheFirstCellTravelsBesideTheText)
{
    const AnsiString Rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 bold {\\b text}\\par}";
    G->SetCells(1, 1, Rtf);
    G->Navigation()->AllowRTFClipboard = true;
    H->Navigation()->AllowRTFClipboard = true;
    G->SetSelection(TGridRect{1, 1, 2, 1});
    G->CopySelectionToClipboard();
    const UINT RtfFormat = RegisterClipboardFormat("Rich Text Format");
    EXPECT_EQ(ClipboardBytes(RtfFormat), Rtf + '\0');
    EXPECT_EQ(Clipboard()->AsText().substr(0, 10), "bold text\t") << "plain text of the RTF";
    H->SetSelection(TGridRect{2, 2, 2, 2});
    H->PasteSelectionFromClipboard();
    EXPECT_EQ(H->Cells(2, 2), Rtf);
    // RTF another program put there that is no RTF stays out of the cell.
    PutOnClipboard(RtfFormat, std::string("not rtf at all\0", 15));
    H->SetSelection(TGridRect{3, 2, 3, 2});
    H->PasteSelectionFromClipboard();
    EXPECT_EQ(H->Cells(3, 2), "");
}

TEST_F(ClipboardTest, SmartPasteFillsContinuesAndRepeats)
{
    H->Navigation()->AllowSmartClipboard = true;
    struct Case {
        const char* Name;
        std::vector<const char*> Copied; // a column of cells, or a row when Row is set
        bool Row;
        Integer Length;
        std::vector<std::string> Want;
    } Cases[] = {
        {"one value fills", {"5"}, true, 4, {"5", "5", "5", "5"}},
        {"whole numbers", {"1", "3"}, false, 6, {"1", "3", "5", "7", "9", "11"}},
        {"falling numbers", {"10", "7"}, true, 4, {"10", "7", "4", "1"}},
        {"decimals", {"1.5", "2"}, false, 4, {"1.50", "2.00", "2.50", "3.00"}},
        {"months", {"1/15/2026", "2/15/2026"}, false, 3, {"1/15/2026", "2/15/2026", "3/15/2026"}},
        {"mixed steps", {"1/31/2026", "2/28/2026"}, false, 3, {"1/31/2026", "2/28/2026", "3/28/2026"}},
        {"days", {"12/30/2026", "12/31/2026"}, false, 3, {"12/30/2026", "12/31/2026", "1/1/2027"}},
        {"pattern", {"a", "b"}, true, 5, {"a", "b", "a", "b", "a"}},
        {"column pattern", {"x", "y", "z"}, false, 5, {"x", "y", "z", "x", "y"}},
    };
    for (const Case& K : Cases) {
        G->Clear();
        for (std::size_t I = 0; I < K.Copied.size(); ++I)
            G->SetCells(1 + (K.Row ? Integer(I) : 0), 1 + (K.Row ? 0 : Integer(I)), K.Copied[I]);
        const Integer N = Integer(K.Copied.size()) - 1;
        G->SetSelection(K.Row ? TGridRect{1, 1, 1 + N, 1} : TGridRect{1, 1, 1, 1 + N});
        G->CopySelectionToClipboard();
        H->Clear();
        H->SetRowCount(8);
        H->SetSelection(K.Row ? TGridRect{1, 2, K.Length, 2} : TGridRect{2, 1, 2, K.Length});
        H->PasteSelectionFromClipboard();
        std::vector<std::string> Got;
        for (Integer I = 0; I < K.Length; ++I)
            Got.push_back(K.Row ? H->Cells(1 + I, 2) : H->Cells(2, 1 + I));
        EXPECT_EQ(Got, K.Want) << K.Name;
    }
    // A row copied into a block repeats down its rows.
    G->SetCells(1, 1, "p");
    G->SetCells(2, 1, "q");
    G->SetSelection(TGridRect{1, 1, 2, 1});
    G->CopySelectionToClipboard();
    H->Clear();
    H->SetSelection(TGridRect{1, 1, 2, 3});
    H->PasteSelectionFromClipboard();
    EXPECT_EQ(H->Cells(1, 3) + H->Cells(2, 3), "pq");
}

// A selection that starts inside a merged block is widened over it; with disjunct rows only the
// marked rows are copied, and a cut clears them.
TEST_F(ClipboardTest, SelectionCopiesFollowMergedBlocksAndDisjunctRows)
{
    G->MergeCells(2, 3, 2, 1);
    G->SetSelection(TGridRect{3, 3, 3, 4});
    G->CopySelectionToClipboard();
    EXPECT_EQ(G->Selection().Left, 2);
    EXPECT_EQ(G->CopyOrigin().X, 2);
    EXPECT_EQ(Clipboard()->AsText(), "merged\tmerged\r\n\tlast\r\n") << "a covered cell copies as its block";

    G->MouseActions()->SetDisjunctRowSelect(true);
    G->SetRowSelect(1, true);
    G->SetRowSelect(4, true);
    G->CopySelectionToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "1\tSmith, J.\tsay \"hi\"\t\t\xe4\xb8\xad\xe6\x96\x87\r\n"
                                     "4\t\xe7\x8d\x8e\xe5\x93\x81 prize\t\tlast\t\r\n")
        << "the marked rows of the save range";
    G->CutSelectionToClipboard();
    EXPECT_EQ(G->Cells(1, 1) + G->Cells(1, 4), "");
    EXPECT_EQ(G->Cells(1, 2), "one\r\ntwo");
}

TEST_F(ClipboardTest, CutEmptiesEditableCellsAsOneUndoStep)
{
    auto* U = New<TRudUvudUndoRedo>(Form);
    G->SetUndoRedo(U);
    G->SetReadOnly(2, 1, true);
    G->SetSelection(TGridRect{1, 1, 2, 1});
    G->CutSelectionToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "Smith, J.\tsay \"hi\"");
    EXPECT_EQ(G->Cells(1, 1), "");
    EXPECT_EQ(G->Cells(2, 1), "say \"hi\"") << "read-only cells stay";
    EXPECT_EQ(G->LastClipOperation(), coCut);
    U->Undo();
    EXPECT_EQ(G->Cells(1, 1), "Smith, J.");
    // Cutting the save range, then pasting it back whole.
    G->ShowModified()->Enabled = true;
    G->CutToClipboard();
    EXPECT_EQ(G->Cells(1, 4), "");
    EXPECT_TRUE(G->RowModified(4));
    G->PasteFromClipboard();
    EXPECT_EQ(G->Cells(1, 4), "\xe7\x8d\x8e\xe5\x93\x81 prize");
}

TEST_F(ClipboardTest, ClipboardKeys)
{
    H->Navigation()->AllowClipboardShortCuts = true;
    H->SetCells(1, 1, "k");
    H->SetFocus();
    H->FocusCell(1, 1);
    uitest::PumpUntilIdle();
    uitest::PressKey('C', uitest::ksCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "k");
    H->FocusCell(2, 2);
    uitest::PressKey(VK_INSERT, uitest::ksShift);
    EXPECT_EQ(H->Cells(2, 2), "k");
    bool Asked = false;
    H->OnClipboardCut = [&](TObject*, bool& Allow) {
        Asked = true;
        Allow = false;
    };
    uitest::PressKey(VK_DELETE, uitest::ksShift);
    EXPECT_TRUE(Asked);
    EXPECT_EQ(H->Cells(2, 2), "k") << "the handler refused the cut";
    H->OnClipboardCut = nullptr;
    uitest::PressKey('X', uitest::ksCtrl);
    EXPECT_EQ(H->Cells(2, 2), "");
    H->FocusCell(3, 3);
    uitest::PressKey('V', uitest::ksCtrl);
    EXPECT_EQ(H->Cells(3, 3), "k");
}

// Data another program put on the clipboard is checked before the grid changes.
TEST_F(ClipboardTest, BadOrOversizedClipboardDataChangesNothing)
{
    H->Navigation()->AllowFmtClipboard = true;
    H->Navigation()->AllowClipboardRowGrow = true;
    H->Navigation()->AllowClipboardColGrow = true;
    H->SetCells(1, 1, "keep");
    const exchangetest::Table Before = Texts(H);
    const Integer Cols = H->ColCount(), Rows = H->RowCount();

    // A real stream cut short, one claiming more columns than a grid may have, and noise.
    TStringStream Real;
    G->SaveRectToBinStream(TRect{1, 1, 3, 3}, &Real);
    std::string Huge = Real.DataString();
    const std::string Noise = "TPF0\x0bTGridPropIO\x00\xff\xff\xff garbage";
    struct Case {
        const char* Name;
        UINT Format;
        std::string Bytes;
    } Cases[] = {
        {"cut short", GridCellsClipboardFormat(), Real.DataString().substr(0, Real.DataString().size() / 2)},
        {"noise", GridCellsClipboardFormat(), Noise},
        {"empty block", GridCellsClipboardFormat(), std::string()},
        {"text too large", CF_TEXT, std::string(std::size_t(33) << 20, 'x')},
        {"too many columns", CF_TEXT, std::string(20000, '\t') + "x"},
        {"too many rows", CF_TEXT,
         [] {
             std::string S;
             for (int I = 0; I < 1100000; ++I)
                 S += "a\n";
             return S;
         }()},
    };
    for (const Case& K : Cases) {
        PutOnClipboard(K.Format, K.Bytes);
        H->SetSelection(TGridRect{1, 1, 1, 1});
        try {
            H->PasteSelectionFromClipboard();
        } catch (const Exception&) {
            // Refusing with an error is fine; changing the grid is not.
        }
        EXPECT_EQ(H->ColCount(), Cols) << K.Name;
        EXPECT_EQ(H->RowCount(), Rows) << K.Name;
        EXPECT_EQ(Texts(H), Before) << K.Name;
    }
}

} // namespace
