#include "RudUvud/tests/GridTestSupport.h"
#include "RudUvud/xlsadapter/XlsGridBridge.h"
#include "RudUvud/xlsadapter/tests/GridBridgeFake.h"
#include "platform/rtl/Files.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

// The grid bridge over an in-memory spreadsheet file: what a grid puts into a sheet, what a
// sheet puts into a grid, and what a failing file leaves behind.

using namespace bridgetest;

namespace {

class GridBridge : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        Grid = gridtest::NewShownGrid(Form, 2, 4);
        Grid->SetFixedRows(0);
        Grid->SetFixedCols(0);
        IO = New<TDozAzevIzaroIO>(Form);
        IO->SetDidAririzEvar(Grid);
        // The program's own settings.
        IO->Options()->ImportCellSizes = false;
        IO->UseUnicode = true;
        IO->SetGridStartRow(0);
        IO->SetGridStartCol(0);
        IO->SetFileFactory([this] {
            auto F = std::make_unique<TFakeExcelFile>();
            F->FailReadAtRow = FailReadAtRow;
            F->FailSave = FailSave;
            F->Disconnects = &Disconnects;
            return std::unique_ptr<TExcelFile>(std::move(F));
        });
        Path = (Dir / "prizes.xls").string();
    }
    void TearDown() override { Form->Free(); }

    void Fill(std::initializer_list<std::initializer_list<const char16_t*>> Rows)
    {
        Grid->SetRowCount(static_cast<Integer>(Rows.size()));
        Integer R = 0;
        for (auto& Row : Rows) {
            Integer C = 0;
            for (const char16_t* Text : Row)
                Grid->SetWideCells(C++, R, Text);
            ++R;
        }
    }
    TFakeSheet Sheet(Integer N = 1) { return LoadWorkbook(Path).Sheets.at(static_cast<size_t>(N - 1)); }
    static TFakeCell Cell(const TFakeSheet& S, Integer Row, Integer Col)
    {
        auto It = S.Cells.find({Row, Col});
        return It == S.Cells.end() ? TFakeCell() : It->second;
    }
    size_t FilesInDir() const
    {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(Dir), {}));
    }

    TForm* Form = nullptr;
    TDidAririzEvar* Grid = nullptr;
    TDozAzevIzaroIO* IO = nullptr;
    uitest::TempFolder Temp{"bridge"};
    std::filesystem::path Dir = Temp.Path();
    AnsiString Path;
    Integer FailReadAtRow = 0;
    bool FailSave = false;
    Integer Disconnects = 0;
};

TEST_F(GridBridge, ExportsTheProgramsPrizeListAsValuesInOneSheet)
{
    Fill({{u"Prize", u"Quantity"}, {u"\u8336\u676f", u"3"}, {u"Lamp", u"12"}});
    IO->XLSExport(Path, u"", -1, 1, InsertInSheet_Clear);

    TFakeWorkbook W = LoadWorkbook(Path);
    ASSERT_EQ(W.Sheets.size(), 1u);
    EXPECT_EQ(W.Selected, 1);
    const TFakeSheet& S = W.Sheets[0];
    EXPECT_EQ(Cell(S, 1, 1).Value, TXlsVariant::FromString(u"Prize"));
    EXPECT_EQ(Cell(S, 2, 1).Value, TXlsVariant::FromString(u"\u8336\u676f"));
    EXPECT_EQ(Cell(S, 2, 2).Value, TXlsVariant::FromNumber(3));
    EXPECT_EQ(Cell(S, 3, 2).Value, TXlsVariant::FromNumber(12));
    // Print options: portrait, settings valid, scale 100.
    EXPECT_EQ(S.PrintOptions & 6, 2);
    EXPECT_EQ(S.PrintScale, 100);
    EXPECT_EQ(Disconnects, 1);
    EXPECT_EQ(FilesInDir(), 1u); // no scratch file left
}

TEST_F(GridBridge, FormulaTextsBecomeFormulasAndUnreadableOnesStayText)
{
    Fill({{u"=A1+1", u"=Hello, world!"}});
    IO->XLSExport(Path);
    EXPECT_EQ(Cell(Sheet(), 1, 1).Formula, u"=A1+1");
    EXPECT_EQ(Cell(Sheet(), 1, 2).Formula, u"");
    EXPECT_EQ(Cell(Sheet(), 1, 2).Value, TXlsVariant::FromString(u"=Hello, world!"));

    IO->Options()->ExportFormulas = false;
    IO->Options()->ExportOverwrite = omAlways;
    IO->XLSExport(Path);
    EXPECT_EQ(Cell(Sheet(), 1, 1).Formula, u"");
    EXPECT_EQ(Cell(Sheet(), 1, 1).Value, TXlsVariant::FromString(u"=A1+1"));
}

TEST_F(GridBridge, LineBreaksBecomeOneLineFeedWithWrapping)
{
    Fill({{u"two\r\nlines", u"one"}});
    IO->XLSExport(Path);
    TFakeWorkbook W = LoadWorkbook(Path);
    TFakeCell Two = Cell(W.Sheets[0], 1, 1), One = Cell(W.Sheets[0], 1, 2);
    EXPECT_EQ(Two.Value, TXlsVariant::FromString(u"two\nlines"));
    EXPECT_TRUE(W.Formats.at(static_cast<size_t>(Two.XF)).Wrap);
    EXPECT_FALSE(W.Formats.at(static_cast<size_t>(One.XF)).Wrap);
}

TEST_F(GridBridge, BackgroundFontAndAlignmentReachTheFormat)
{
    Fill({{u"plain", u"grey"}});
    Grid->SetColors(1, 0, 0xD3D3D3);
    Grid->SetFontStyles(1, 0, TFontStyles{fsBold, fsUnderline});
    Grid->SetAlignments(1, 0, taRightJustify);
    IO->XLSExport(Path);
    TFakeWorkbook W = LoadWorkbook(Path);
    const TVovFormat& Plain = W.Formats.at(static_cast<size_t>(Cell(W.Sheets[0], 1, 1).XF));
    const TVovFormat& Grey = W.Formats.at(static_cast<size_t>(Cell(W.Sheets[0], 1, 2).XF));
    EXPECT_EQ(Plain.Fill.PatternKind, 1);
    EXPECT_EQ(Grey.Fill.PatternKind, 2);
    EXPECT_EQ(Grey.Fill.ForeColor, 15); // silver is the nearest standard entry
    EXPECT_EQ(W.Palette, EmptyWorkbook(1).Palette);
    EXPECT_TRUE(Grey.FontInfo.StyleSet & (1u << flsBold));
    EXPECT_FALSE(Plain.FontInfo.StyleSet & (1u << flsBold));
    EXPECT_EQ(Grey.FontInfo.UnderlineKind, fu_Single);
    EXPECT_EQ(Grey.HorizontalAlign, fha_right);
}

TEST_F(GridBridge, FontHeightIsTakenFromEitherSignOfTheHeight)
{
    Fill({{u"a", u"b"}});
    Grid->Font()->SetHeight(16); // a cell height: 12 points at 96 pixels per inch
    IO->XLSExport(Path);
    TFakeWorkbook W = LoadWorkbook(Path);
    EXPECT_EQ(W.Formats.at(static_cast<size_t>(Cell(W.Sheets[0], 1, 1).XF)).FontInfo.HeightTwips, 240);
}

TEST_F(GridBridge, WholePointSizesKeepTheirSize)
{
    // Sizes whose pixel heights at 96 pixels per inch are not whole points (16 pt is 21 pixels,
    // 15.75 pt) must still come back as the size the grid was given.
    const Integer Sizes[] = {8, 9, 10, 11, 16, 20, 72};
    Grid->SetColCount(7);
    Fill({{u"a", u"b", u"c", u"d", u"e", u"f", u"g"}});
    for (Integer i = 0; i < 7; ++i)
        Grid->SetFontSizes(i, 0, Sizes[i]);
    IO->XLSExport(Path);
    TFakeWorkbook W = LoadWorkbook(Path);
    for (Integer i = 0; i < 7; ++i)
        EXPECT_EQ(W.Formats.at(static_cast<size_t>(Cell(W.Sheets[0], 1, i + 1).XF)).FontInfo.HeightTwips,
                  Sizes[i] * 20)
            << Sizes[i];
}

TEST_F(GridBridge, MergedBlockBecomesOneRangeWithTheFormatOnEveryCell)
{
    Grid->SetColCount(4);
    Grid->SetRowCount(3);
    Grid->SetWideCells(0, 0, u"block");
    Grid->MergeCells(0, 0, 3, 2);
    IO->XLSExport(Path);
    TFakeSheet S = Sheet();
    ASSERT_EQ(S.Merges.size(), 1u);
    EXPECT_EQ(S.Merges[0], (TXlsCellRange{1, 1, 3, 2}));
    EXPECT_EQ(Cell(S, 1, 1).Value, TXlsVariant::FromString(u"block"));
    Integer XF = Cell(S, 1, 1).XF;
    for (Integer r = 1; r <= 2; ++r)
        for (Integer c = 1; c <= 3; ++c)
            EXPECT_EQ(Cell(S, r, c).XF, XF) << r << "," << c;
}

TEST_F(GridBridge, BottomBorderCarriesToTheTopOfTheCellBelow)
{
    Fill({{u"a", u"b"}, {u"c", u"d"}});
    Grid->OnGetCellBorder = [](TObject*, Integer ARow, Integer ACol, TPen* Pen, TCellBorders& Borders) {
        if (ARow == 0 && ACol == 0) {
            Pen->SetColor(0x0000FF);
            Borders.Include(cbBottom);
        }
    };
    IO->XLSExport(Path);
    TFakeWorkbook W = LoadWorkbook(Path);
    auto Fmt = [&](Integer R, Integer C) {
        return W.Formats.at(static_cast<size_t>(Cell(W.Sheets[0], R, C).XF));
    };
    EXPECT_EQ(Fmt(1, 1).BorderSet.BottomEdge, (TVovOneBorder{fbs_Thin, 3}));
    EXPECT_EQ(Fmt(2, 1).BorderSet.TopEdge, (TVovOneBorder{fbs_Thin, 3}));
    EXPECT_EQ(Fmt(2, 2).BorderSet.TopEdge.LineStyle, fbs_None);
}

TEST_F(GridBridge, ExistingFileGainsASheetPerExportOrIsReplaced)
{
    Fill({{u"a", u"1"}});
    IO->XLSExport(Path);
    IO->XLSExport(Path);
    IO->XLSExport(Path);
    EXPECT_EQ(LoadWorkbook(Path).Sheets.size(), 3u);
    EXPECT_EQ(Cell(Sheet(3), 1, 1).Value, TXlsVariant::FromString(u"a"));

    // A named sheet that exists is cleared and refilled, not added again.
    IO->XLSExport(Path, u"SHEET2");
    EXPECT_EQ(LoadWorkbook(Path).Sheets.size(), 3u);
    EXPECT_EQ(Sheet(2).Name, u"SHEET2");

    IO->Options()->ExportOverwrite = omAlways;
    IO->XLSExport(Path);
    EXPECT_EQ(LoadWorkbook(Path).Sheets.size(), 1u);
}

TEST_F(GridBridge, FailingSaveLeavesTheFormerFileAsItWas)
{
    Fill({{u"old", u"1"}});
    IO->XLSExport(Path);
    std::ifstream In(Path);
    std::string Before((std::istreambuf_iterator<char>(In)), {});
    In.close();

    Fill({{u"new", u"2"}});
    FailSave = true;
    for (TOverwriteMode Mode : {omNever, omAlways}) {
        IO->Options()->ExportOverwrite = Mode;
        EXPECT_THROW(IO->XLSExport(Path), EExcelException);
        std::ifstream Again(Path);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(Again)), {}), Before);
        EXPECT_EQ(FilesInDir(), 1u);
    }
    EXPECT_EQ(Cell(Sheet(), 1, 1).Value, TXlsVariant::FromString(u"old"));
}

TEST_F(GridBridge, HiddenColumnIsLeftOutOrExportedHidden)
{
    Grid->SetColCount(3);
    Fill({{u"a", u"b", u"c"}});
    Grid->HideColumn(1);
    IO->XLSExport(Path);
    TFakeSheet S = Sheet();
    EXPECT_EQ(Cell(S, 1, 1).Value, TXlsVariant::FromString(u"a"));
    EXPECT_EQ(Cell(S, 1, 2).Value, TXlsVariant::FromString(u"c"));
    EXPECT_TRUE(Cell(S, 1, 3).Value.IsEmpty());
    EXPECT_TRUE(S.HiddenCols.empty());
    EXPECT_EQ(Grid->ColCount(), 2); // the export's temporary columns are gone again

    IO->Options()->ExportHiddenColumns = true;
    IO->Options()->ExportOverwrite = omAlways;
    IO->XLSExport(Path);
    S = Sheet();
    EXPECT_EQ(Cell(S, 1, 2).Value, TXlsVariant::FromString(u"b"));
    EXPECT_EQ(Cell(S, 1, 3).Value, TXlsVariant::FromString(u"c"));
    EXPECT_EQ(S.HiddenCols, std::set<Integer>{2});
    EXPECT_EQ(Grid->ColCount(), 2);
}

TEST_F(GridBridge, SizesPrintSettingsAndTheOpenRequest)
{
    Fill({{u"a", u"b"}, {u"c", u"d"}});
    Grid->SetFixedRows(1);
    Grid->SetFixedCols(1);
    Grid->SetRowHeights(1, 32);
    Grid->SetColWidths(0, 100);
    Grid->PrintSettings()->Orientation = RudUvudPrint::poLandscape;
    Grid->PrintSettings()->RepeatFixedRows = true;
    Grid->PrintSettings()->RepeatFixedCols = true;
    IO->Options()->ExportShowInExcel = true;
    IO->XLSExport(Path);
    TFakeSheet S = Sheet();
    const TPoint Off = Grid->PaintState().XYOffset;
    EXPECT_EQ(S.RowHeights.at(2), (32 - Off.Y) * 15);
    EXPECT_EQ(S.ColWidths.at(1), static_cast<Integer>(std::nearbyint((100 - Off.X) * 256.0 / 7.0)));
    EXPECT_EQ(S.PrintOptions & 6, 0); // landscape, settings valid
    ASSERT_EQ(S.Names.size(), 1u);
    EXPECT_EQ(S.Names[0].RangeName, AnsiString(1, '\x07'));
    EXPECT_EQ(S.Names[0].RefersTo, "=$A$1:$IV$1, $A$1:$A$65536");
    EXPECT_EQ(S.Names[0].LocalSheet, 1);
    ASSERT_FALSE(uitest::ShellOpens().empty());
    EXPECT_EQ(uitest::ShellOpens().back().Target, Path);
}

TEST_F(GridBridge, NoGridIsReported)
{
    IO->SetDidAririzEvar(nullptr);
    try {
        IO->XLSExport(Path);
        FAIL();
    } catch (const EExcelException& E) {
        EXPECT_EQ(E.Message(), "There is no DidAririzEvar assigned to this component");
    }
    EXPECT_THROW(IO->XLSImport(Path), EExcelException);
}

// ---- Import ----

class GridBridgeImport : public GridBridge {
protected:
    // A workbook with a header row, a Chinese name, a two-line text, a percentage and a
    // formula with its cached result.
    void WriteFile(Integer Sheets = 1)
    {
        W = EmptyWorkbook(Sheets);
        TVovFormat Pct = W.Formats[15];
        Pct.NumberFormat = u"0%";
        W.Formats.push_back(Pct);
        TFakeSheet& S = W.Sheets[0];
        S.Name = u"Prizes";
        S.Cells[{1, 1}] = {TXlsVariant::FromString(u"Prize"), u"", -1};
        S.Cells[{1, 2}] = {TXlsVariant::FromString(u"Quantity"), u"", -1};
        S.Cells[{2, 1}] = {TXlsVariant::FromString(u"\u8336\u676f"), u"", -1};
        S.Cells[{2, 2}] = {TXlsVariant::FromNumber(3), u"", -1};
        S.Cells[{3, 1}] = {TXlsVariant::FromString(u"two\nlines"), u"", -1};
        S.Cells[{3, 2}] = {TXlsVariant::FromNumber(0.5), u"", 16};
        S.Cells[{4, 1}] = {TXlsVariant::FromNumber(7), u"=B2+4", -1};
        SaveWorkbook(W, Path);
    }
    TFakeWorkbook W;
};

TEST_F(GridBridgeImport, ProgramSettingsPutSheetRowOneInGridRowZero)
{
    WriteFile();
    Grid->SetColCount(12);
    IO->XLSImport(Path);
    EXPECT_EQ(Grid->RowCount(), 4);
    EXPECT_EQ(Grid->ColCount(), 2);
    EXPECT_EQ(Grid->GetWideCells(0, 0), u"Prize");
    EXPECT_EQ(Grid->GetWideCells(0, 1), u"\u8336\u676f");
    EXPECT_EQ(Grid->GetWideCells(1, 1), u"3");
    EXPECT_EQ(Grid->GetWideCells(0, 2), u"two\r\nlines");
    EXPECT_EQ(Grid->GetWideCells(1, 2), u"50%");
    EXPECT_EQ(Grid->GetWideCells(0, 3), u"7"); // the cached result, not the formula
    EXPECT_EQ(IO->GetSheetNamesCount(), 1);
    EXPECT_EQ(IO->GetSheetNames(0), u"Prizes");
    EXPECT_EQ(Disconnects, 1);
}

TEST_F(GridBridgeImport, EightBitPathKeepsChineseNamesAndTrimsLines)
{
    WriteFile();
    IO->UseUnicode = false;
    IO->XLSImport(Path);
    EXPECT_EQ(Grid->Cells(0, 1), WideToAnsi(u"\u8336\u676f"));
    EXPECT_EQ(Grid->Cells(0, 2), "two\r\nlines");
}

TEST_F(GridBridgeImport, FormulaTextOnlyWithCellPropertiesAndFormulas)
{
    WriteFile();
    IO->Options()->ImportCellProperties = true;
    IO->XLSImport(Path);
    EXPECT_EQ(Grid->GetWideCells(0, 3), u"=B2+4");
    IO->Options()->ImportFormulas = false;
    IO->XLSImport(Path);
    EXPECT_EQ(Grid->GetWideCells(0, 3), u"7");
}

TEST_F(GridBridgeImport, MergedBlockGivesOneGridMergeAndItsFirstValue)
{
    WriteFile();
    W.Sheets[0].Cells[{2, 2}].Value = TXlsVariant::FromString(u"hidden by the block");
    W.Sheets[0].Merges.push_back({1, 2, 2, 3});
    SaveWorkbook(W, Path);
    IO->XLSImport(Path);
    EXPECT_EQ(Grid->GetWideCells(0, 1), u"\u8336\u676f");
    EXPECT_EQ(Grid->Cells(1, 1), "");
    auto* P = dynamic_cast<TCellProperties*>(Grid->GetGridObject(0, 1));
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(P->CellSpanX(), 1);
    EXPECT_EQ(P->CellSpanY(), 1);
}

TEST_F(GridBridgeImport, SheetChoiceByNameAndNumber)
{
    WriteFile(3);
    W.Sheets[2].Name = u"Second List";
    W.Sheets[2].Cells[{1, 1}] = {TXlsVariant::FromString(u"other"), u"", -1};
    SaveWorkbook(W, Path);

    IO->XLSImport(Path, u"second LIST");
    EXPECT_EQ(Grid->GetWideCells(0, 0), u"other");
    IO->XLSImport(Path, 1);
    EXPECT_EQ(Grid->GetWideCells(0, 0), u"Prize");
    EXPECT_EQ(IO->GetSheetNamesCount(), 3);

    struct Case {
        std::function<void()> Run;
        const char* Message;
    } Cases[] = {
        {[&] { IO->XLSImport(Path, u"Nowhere"); }, "Invalid sheet name: \"Nowhere\""},
        {[&] { IO->XLSImport(Path, u""); }, "Invalid sheet name: \"\""},
        {[&] { IO->XLSImport(Path, 4); },
         "The index \"4\" of the property \"ActiveSheet\" is not in the range 1-3"},
        {[&] { IO->XLSImport((Dir / "list.csv").string()); },
         "The index \"1\" of the property \"ActiveSheet\" is not in the range 1-0"},
    };
    for (auto& C : Cases) {
        try {
            C.Run();
            ADD_FAILURE() << C.Message;
        } catch (const EExcelException& E) {
            EXPECT_EQ(E.Message(), C.Message);
        }
        EXPECT_EQ(Grid->GetWideCells(0, 0), u"Prize") << C.Message;
    }
}

TEST_F(GridBridgeImport, CellPropertiesAndSizesComeWithTheirOptions)
{
    WriteFile();
    TVovFormat Red = W.Formats[15];
    Red.FontInfo.PaletteIndex = 3; // red
    Red.FontInfo.StyleSet = 1u << flsBold;
    Red.FontInfo.HeightTwips = 240;
    Red.Fill = {2, 6, 0}; // solid yellow
    Red.HorizontalAlign = fha_center;
    W.Formats.push_back(Red);
    W.Sheets[0].Cells[{1, 1}].XF = 17;
    W.Sheets[0].RowHeights[2] = 600;
    W.Sheets[0].ColWidths[1] = 3657;
    SaveWorkbook(W, Path);
    IO->Options()->ImportCellProperties = true;
    IO->Options()->ImportCellSizes = true;
    IO->XLSImport(Path);
    EXPECT_EQ(Grid->GetFontColors(0, 0), 0x0000FFu);
    EXPECT_TRUE(Grid->GetFontStyles(0, 0).Contains(fsBold));
    EXPECT_EQ(Grid->GetFontSizes(0, 0), 12);
    EXPECT_EQ(Grid->GetColors(0, 0), 0x00FFFFu);
    EXPECT_EQ(Grid->GetColors(1, 0), 0xFFFFFFu);
    const TPoint Off = Grid->PaintState().XYOffset;
    EXPECT_EQ(Grid->RowHeights(1), 40 + Off.Y);
    EXPECT_EQ(Grid->ColWidths(0), 100 + Off.X);
}

TEST_F(GridBridgeImport, SheetNamesWithoutImporting)
{
    WriteFile(2);
    Fill({{u"keep", u"me"}});
    IO->LoadSheetNames(Path);
    ASSERT_EQ(IO->GetSheetNamesCount(), 2);
    EXPECT_EQ(IO->GetSheetNames(0), u"Prizes");
    EXPECT_EQ(IO->GetSheetNames(1), u"Sheet2");
    EXPECT_EQ(Grid->GetWideCells(0, 0), u"keep");
}

TEST_F(GridBridgeImport, BadFileChangesNothingInTheGrid)
{
    WriteFile();
    Fill({{u"keep", u"me"}, {u"as", u"is"}});
    std::ofstream(Dir / "broken.xls") << "not a workbook";
    EXPECT_THROW(IO->XLSImport((Dir / "broken.xls").string()), EExcelException);
    FailReadAtRow = 3; // the sheet breaks after two rows have been read
    EXPECT_THROW(IO->XLSImport(Path), EExcelException);

    EXPECT_EQ(Grid->RowCount(), 2);
    EXPECT_EQ(Grid->GetWideCells(0, 0), u"keep");
    EXPECT_EQ(Grid->GetWideCells(1, 1), u"is");
    EXPECT_EQ(Disconnects, 2);
}

TEST_F(GridBridgeImport, ExportedGridComesBackTheSame)
{
    Fill({{u"Prize", u"Quantity"}, {u"\u8336\u676f", u"3"}, {u"two\r\nlines", u"12"}});
    IO->XLSExport(Path);
    Fill({{u"", u""}});
    IO->XLSImport(Path);
    EXPECT_EQ(Grid->RowCount(), 3);
    EXPECT_EQ(Grid->GetWideCells(0, 1), u"\u8336\u676f");
    EXPECT_EQ(Grid->GetWideCells(1, 1), u"3");
    EXPECT_EQ(Grid->GetWideCells(0, 2), u"two\r\nlines");
    EXPECT_EQ(Grid->GetWideCells(1, 2), u"12");
}

} // namespace
