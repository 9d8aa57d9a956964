#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "platform/rtl/Strings.h"

#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

// One sheet of a workbook with three sheets, the style lists of a new workbook (16 XFs, XF 15 the
// default cell format) and a shared string table.
struct TSheet {
    TColInfoList ColInfo;
    TCells Cells{&ColInfo};
    TSST SST;
    TBoundSheetRecordList Sheets;
    TNameRecordList Names;
    TReferences Refs;
    TFontRecordList Fonts;
    TFormatRecordList Formats;
    TXFRecordList XF;
    std::unique_ptr<TCellValues> V;

    TSheet()
    {
        for (const char* n : {"Sheet1", "Sheet2", "My Sheet"})
            Sheets.Add(std::make_unique<TBoundSheetRecord>(0, UTF8Decode(n)));
        TVovFormat f;
        f.FontInfo.FontName = u"Arial";
        f.FontInfo.HeightTwips = 200;
        for (int i = 0; i < 16; ++i)
            XF.Add(std::make_unique<TXFRecord>(f, Formats, Fonts));
        TCellGlobals g;
        g.SST = &SST;
        g.References = &Refs;
        g.Workbook = {&Sheets, &Names};
        g.XF = &XF;
        g.Fonts = &Fonts;
        g.Formats = &Formats;
        V = std::make_unique<TCellValues>(Cells, &ColInfo, g);
    }
    // A new XF of that format; its index.
    Integer AddXF(const TVovFormat& F) { return XF.Add(std::make_unique<TXFRecord>(F, Formats, Fonts)); }
    void Set(Integer Row, Integer Col, const TXlsVariant& Value, Integer XFIndex = -1, bool Is1904 = false)
    {
        TXlsCellValue v;
        v.CellValue = Value;
        v.XFIndex = XFIndex;
        V->SetValueX2(Row, Col, v, {}, Is1904);
    }
    TCellRecord* Cell(Integer Row, Integer Col) { return Cells.CellList().FindCell(Row, Col); }
    Integer LastRow()
    {
        TXlsCellRange r;
        Cells.CalcUsedRange(r);
        return r.LastRow;
    }
};

std::string ErrorOf(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const EExcelException& e) {
        return e.Message();
    }
    return "(no error)";
}

} // namespace

TEST(CellValues, RowsAndColumnsOutsideTheSheetAreRefused)
{
    TSheet s;
    EXPECT_EQ(ErrorOf([&] { s.V->GetValue(65536, 0); }), "Invalid Row (65536)");
    EXPECT_EQ(ErrorOf([&] { s.V->GetValue(-1, 0); }), "Invalid Row (-1)");
    EXPECT_EQ(ErrorOf([&] { s.V->GetValue(0, 256); }), "Invalid Column (256)");
    EXPECT_EQ(ErrorOf([&] { s.Set(0, 256, TXlsVariant::FromNumber(1)); }), "Invalid Column (256)");
    EXPECT_EQ(ErrorOf([&] { s.V->SetFormula(70000, 0, u"=1"); }), "Invalid Row (70000)");
    EXPECT_EQ(s.Cells.RowList().Count(), 0); // checked before anything changed
    const TXlsCellValue empty = s.V->GetValue(3, 3);
    EXPECT_TRUE(empty.CellValue.IsEmpty());
    EXPECT_EQ(empty.XFIndex, -1);
    EXPECT_FALSE(empty.HoldsFormula);
}

// Each kind of value is stored in the record that holds it and reads back as written.
TEST(CellValues, ValuesChooseTheirRecords)
{
    TSheet s;
    struct Case {
        TXlsVariant Value;
        Word Id;
    } cases[] = {
        {TXlsVariant::FromNumber(42), xlr_RK},
        {TXlsVariant::FromNumber(0.07), xlr_NUMBER},
        {TXlsVariant::FromNumber(-12.5), xlr_RK},
        {TXlsVariant::FromNumber(1e300), xlr_NUMBER},
        {TXlsVariant::FromDate(45000.5), xlr_RK},
        {TXlsVariant::FromString(u"Prize \u96fb\u8996"), 0x00FD},
        {TXlsVariant::FromBoolean(true), xlr_BOOLERR},
    };
    Integer col = 0;
    for (const Case& c : cases) {
        s.Set(2, col, c.Value);
        TCellRecord* rec = s.Cell(2, col);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->Id(), c.Id) << col;
        EXPECT_EQ(rec->GetXF(), 15);
        const TXlsCellValue back = s.V->GetValue(2, col);
        EXPECT_EQ(back.XFIndex, 15);
        if (c.Value.VarType == xvDate)
            EXPECT_EQ(back.CellValue.Number, c.Value.Number);
        else
            EXPECT_EQ(back.CellValue, c.Value) << col;
        ++col;
    }
    TRowRecord* row = s.Cells.RowList().Items(2);
    EXPECT_EQ(row->GetMinCol(), 0);
    EXPECT_EQ(row->GetMaxCol(), col);

    // Rich text keeps its runs.
    TXlsCellValue v;
    v.CellValue = TXlsVariant::FromString(u"Bold start");
    s.V->SetValueX2(3, 0, v, {{0, 5}, {4, 0}}, false);
    TRTFRunList runs;
    s.V->GetValueX2(3, 0, v, runs);
    EXPECT_EQ(v.CellValue.Text, u"Bold start");
    EXPECT_EQ(runs, (TRTFRunList{{0, 5}, {4, 0}}));

    // A date written for the 1904 system is stored as a day of that system.
    s.Set(4, 0, TXlsVariant::FromDate(40000), -1, true);
    EXPECT_EQ(s.V->GetValue(4, 0).CellValue.Number, 40000 - 1462);
    // A given XF is kept; writing again without one keeps the cell's.
    s.Set(5, 0, TXlsVariant::FromNumber(1), 17);
    s.Set(5, 0, TXlsVariant::FromNumber(2));
    EXPECT_EQ(s.Cell(5, 0)->GetXF(), 17);
}

TEST(CellValues, EmptyValuesLeaveABlankOnlyWhereTheFormatDiffers)
{
    TSheet s;
    s.Set(1, 1, TXlsVariant::FromNumber(5), 20);
    s.Set(1, 2, TXlsVariant::FromNumber(6));
    s.Set(1, 3, TXlsVariant::FromNumber(7));
    s.Set(1, 1, TXlsVariant());
    ASSERT_NE(s.Cell(1, 1), nullptr);
    EXPECT_EQ(s.Cell(1, 1)->Id(), xlr_BLANK);
    EXPECT_EQ(s.Cell(1, 1)->GetXF(), 20);
    s.Set(1, 3, TXlsVariant::FromString(u""));
    EXPECT_EQ(s.Cell(1, 3), nullptr);
    EXPECT_EQ(s.Cells.RowList().Items(1)->GetMaxCol(), 3); // the ROW record follows its cells

    // SetFormat: the default XF on an empty cell makes nothing, another XF a BLANK, and an
    // existing cell changes in place.
    s.V->SetFormat(6, 0, 15);
    EXPECT_EQ(s.Cell(6, 0), nullptr);
    EXPECT_FALSE(s.Cells.RowList().HasRow(6));
    s.V->SetFormat(6, 0, 21);
    EXPECT_EQ(s.Cell(6, 0)->Id(), xlr_BLANK);
    s.V->SetFormat(1, 2, 22);
    EXPECT_EQ(s.Cell(1, 2)->GetXF(), 22);
    EXPECT_EQ(s.V->GetValue(1, 2).CellValue.Number, 6);
}

TEST(CellValues, DefaultFormatComesFromTheRowThenTheColumn)
{
    TSheet s;
    s.ColInfo.Add({4, 3000, 30, 0});
    s.Cells.RowList().AddRow(8);
    s.Cells.RowList().Items(8)->SetXF(40);
    EXPECT_EQ(s.V->DefaultXF(8, 4), 40);
    EXPECT_EQ(s.V->DefaultXF(7, 4), 30);
    EXPECT_EQ(s.V->DefaultXF(7, 5), 15);
    s.Set(7, 4, TXlsVariant::FromNumber(1));
    EXPECT_EQ(s.Cell(7, 4)->GetXF(), 30);
    // An empty value in a formatted column with the column's format makes nothing.
    s.Set(9, 4, TXlsVariant(), 30);
    EXPECT_EQ(s.Cell(9, 4), nullptr);
}

TEST(CellValues, ClearingTheLastCellsTrimsTrailingRows)
{
    TSheet s;
    for (int r = 0; r <= 10; ++r)
        s.Set(r, 0, TXlsVariant::FromNumber(r));
    EXPECT_EQ(s.LastRow(), 10);
    s.Set(100, 2, TXlsVariant::FromNumber(1));
    EXPECT_EQ(s.LastRow(), 100);
    s.Set(100, 2, TXlsVariant());
    EXPECT_EQ(s.LastRow(), 10);
    EXPECT_EQ(s.Cells.RowList().Count(), 11);
    EXPECT_EQ(s.Cells.CellList().Count(), 11);

    // A row with a height of its own stays.
    s.Set(50, 0, TXlsVariant::FromNumber(1));
    s.Cells.RowList().SetRowHeight(50, 600);
    s.Set(50, 0, TXlsVariant());
    EXPECT_EQ(s.LastRow(), 50);
    // Writing nothing to an empty row far down leaves no row behind.
    s.Set(70, 0, TXlsVariant());
    EXPECT_EQ(s.LastRow(), 50);
}

TEST(CellValues, FormulasAsText)
{
    TSheet s;
    s.V->SetFormula(0, 0, u"=A2+B3*2");
    TXlsCellValue v = s.V->GetValue(0, 0);
    EXPECT_TRUE(v.HoldsFormula);
    EXPECT_EQ(v.XFIndex, 15);
    EXPECT_EQ(s.V->GetFormula(0, 0), u"=A2+B3*2");
    EXPECT_EQ(s.V->GetFormula(0, 1), u"");

    s.V->AssignFormulaX(1, 0, u"=SUM('My Sheet'!A1:B2)", TXlsVariant::FromNumber(12), false);
    EXPECT_EQ(s.V->GetFormula(1, 0), u"=SUM('My Sheet'!A1:B2)");
    EXPECT_EQ(s.V->GetValue(1, 0).CellValue.Number, 12);
    // Sheet names are found without case.
    s.V->SetFormula(2, 0, u"=sheet2!C3");
    EXPECT_EQ(s.V->GetFormula(2, 0), u"='Sheet2'!C3");
    EXPECT_EQ(s.V->FindSheet(u"SHEET1"), 0);
    EXPECT_EQ(s.V->FindSheet(u"Sheet9"), -1);

    // A formula the encoder refuses leaves the cell as it was.
    s.Set(3, 0, TXlsVariant::FromNumber(7), 19);
    EXPECT_NE(ErrorOf([&] { s.V->SetFormula(3, 0, u"=SUM(("); }), "(no error)");
    EXPECT_EQ(s.V->GetValue(3, 0).CellValue.Number, 7);
    // A formula takes the existing cell's format; an empty formula removes the cell.
    s.V->SetFormula(3, 0, u"=1");
    EXPECT_EQ(s.Cell(3, 0)->GetXF(), 19);
    s.V->SetFormula(3, 0, u"");
    EXPECT_EQ(s.Cell(3, 0), nullptr);
}

TEST(CellValues, ArrayAndTableLookups)
{
    TSheet s;
    s.Set(0, 0, TXlsVariant::FromNumber(1));
    s.V->SetFormula(1, 0, u"=A1");
    EXPECT_EQ(ErrorOf([&] { s.V->ArrayFormula(9, 0); }), "Invalid Row (9)");
    EXPECT_EQ(ErrorOf([&] { s.V->ArrayFormula(0, 300); }), "Invalid Column (300)");
    EXPECT_EQ(ErrorOf([&] { s.V->ArrayFormula(0, 0); }), "Can't find Shared Formula");
    EXPECT_EQ(ErrorOf([&] { s.V->TableFormula(1, 0); }),
              "Formula at Row 2, column 1 is not supported. Token Id: 0x 1");
}

TEST(CellValues, RowAutofit)
{
    TSheet s;
    TVovFormat big;
    big.FontInfo.FontName = u"Arial";
    big.FontInfo.HeightTwips = 400;
    const Integer bigXF = s.AddXF(big);
    TVovFormat wrapped = big;
    wrapped.FontInfo.HeightTwips = 200;
    wrapped.Wrap = true;
    const Integer wrapXF = s.AddXF(wrapped);

    s.Set(0, 0, TXlsVariant::FromNumber(1));
    s.Set(1, 0, TXlsVariant::FromNumber(1));
    s.Set(1, 1, TXlsVariant::FromString(u"Big"), bigXF);
    s.Set(2, 0, TXlsVariant::FromString(u"one\ntwo\nthree"), wrapXF);
    s.Set(3, 0, TXlsVariant::FromNumber(1));
    s.Cells.RowList().SetRowHeight(3, 900); // manual height: left alone

    s.V->RecalcRowHeights(0, 10, false, true, 1);
    TRowRecordList& rows = s.Cells.RowList();
    EXPECT_EQ(rows.RowHeight(0), 255); // Arial 10
    EXPECT_EQ(rows.RowHeight(1), 510);
    EXPECT_EQ(rows.RowHeight(2), 3 * 255);
    EXPECT_EQ(rows.RowHeight(3), 900);
    EXPECT_TRUE(rows.IsAutoRowHeight(0));

    s.V->RecalcRowHeights(0, 1, false, false, 0.5);
    EXPECT_EQ(rows.RowHeight(0), 128);
    EXPECT_EQ(rows.RowHeight(1), 255);
    EXPECT_FALSE(rows.IsAutoRowHeight(0));
    s.V->RecalcRowHeights(0, 3, true, true, -1); // every row, the measured height kept
    EXPECT_EQ(rows.RowHeight(0), 255);
    EXPECT_EQ(rows.RowHeight(3), 255);
}

TEST(CellValues, ColumnAutofit)
{
    TSheet s;
    s.Set(0, 0, TXlsVariant::FromString(u"A fairly long prize name"));
    s.Set(1, 0, TXlsVariant::FromNumber(5));
    s.Set(0, 1, TXlsVariant::FromNumber(123456789));
    s.Set(0, 2, TXlsVariant::FromString(u"text only"));
    s.V->RecalcColWidths(0, 3, false, 1);
    Integer i;
    ASSERT_TRUE(s.ColInfo.Find(0, i));
    const Integer wide = s.ColInfo.Items(i).Width;
    ASSERT_TRUE(s.ColInfo.Find(1, i));
    const Integer narrow = s.ColInfo.Items(i).Width;
    EXPECT_GT(wide, narrow);
    EXPECT_GT(narrow, 9 * 256);
    EXPECT_FALSE(s.ColInfo.Find(3, i)); // an empty column gets no width

    TSheet t;
    t.Set(0, 2, TXlsVariant::FromString(u"text only"));
    t.V->RecalcColWidths(2, 2, true, 1);
    EXPECT_FALSE(t.ColInfo.Find(2, i));
    t.V->RecalcColWidths(2, 2, false, 2);
    ASSERT_TRUE(t.ColInfo.Find(2, i));
    EXPECT_EQ(t.ColInfo.Items(i).Width, 2 * (9 * 256 + 128));
}

// Cells written through the cell interface, put in place of a python3-xlwt sheet's cells, read in
// xlrd with the values and formats written.
TEST(CellValues, WrittenCellsReadInXlrd)
{
    const ByteArray doc = Fixture("xlwt-cells.xls");
    const ByteArray stream = ReadStream(doc, u"Workbook");
    // The sheet's cells run from its DIMENSIONS to its WINDOW2.
    Int64 dims = -1, window = -1;
    int bofs = 0;
    for (size_t at = 0; at + 4 <= stream.size();
         at += 4 + GetWord(stream.data(), static_cast<Integer>(at) + 2)) {
        const Word id = GetWord(stream.data(), static_cast<Integer>(at));
        bofs += id == 0x0809;
        if (bofs == 2 && id == 0x0200)
            dims = static_cast<Int64>(at);
        if (bofs == 2 && id == 0x023E) {
            window = static_cast<Int64>(at);
            break;
        }
    }
    ASSERT_GT(window, dims);
    ASSERT_GE(dims, 0);

    TSheet s;
    s.Set(0, 0, TXlsVariant::FromNumber(42));
    s.Set(0, 1, TXlsVariant::FromNumber(0.07), 17);
    s.Set(1, 0, TXlsVariant::FromBoolean(false));
    s.Set(1, 3, TXlsVariant(), 18);
    s.Set(2, 2, TXlsVariant::FromDate(45000), 19);
    s.V->AssignFormulaX(3, 0, u"=A1*2", TXlsVariant::FromNumber(84), false);
    s.Set(40, 5, TXlsVariant::FromNumber(-1.5));
    s.Set(41, 5, TXlsVariant::FromNumber(9));
    s.Set(41, 5, TXlsVariant());
    ByteArray cells = WriteWorkbook([&](TOle2File& f) { s.Cells.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(cells.size()), s.Cells.TotalSize());
    ByteArray spliced(stream.begin(), stream.begin() + dims);
    spliced.insert(spliced.end(), cells.begin(), cells.end());
    spliced.insert(spliced.end(), stream.begin() + window, stream.end());

    if (!HavePython("xlrd"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    TempDir dir;
    TOle2MemoryStream in(doc), out;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        f.WriteMem(spliced.data(), static_cast<Integer>(spliced.size()));
        f.FinishStream();
    }
    SaveFile(dir.File("out.xls"), out.Bytes());
    const std::string script = R"(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sh = book.sheet_by_index(0)
print(sh.nrows, sh.ncols)
for r in range(sh.nrows):
    for c in range(sh.ncols):
        cell = sh.cell(r, c)
        if cell.ctype != xlrd.XL_CELL_EMPTY:
            print(r, c, cell.ctype, repr(cell.value), cell.xf_index)
)";
    std::string output;
    ASSERT_EQ(RunPython(script, dir.File("out.xls"), output), 0) << output;
    EXPECT_EQ(output, "41 6\n"
                      "0 0 2 42.0 15\n"
                      "0 1 2 0.07 17\n"
                      "1 0 4 0 15\n"
                      "1 3 6 '' 18\n"
                      "2 2 3 45000.0 19\n"
                      "3 0 2 84.0 15\n"
                      "40 5 2 -1.5 15\n");
}
