// Workbooks made through the xls file interface, read by independent programs: a workbook built
// from nothing (every kind of cell, formats, merged cells, sizes, a picture, a comment, a link,
// page setup, a sheet with a Chinese name) in xlrd and LibreOffice; files of other writers
// opened, changed and saved.

#include "RudUvud/xlsadapter/XlsFile.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"
#include "platform/rtl/Strings.h"

#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace xlstest;

namespace {

std::string Slurp(const std::string& Path)
{
    std::ifstream f(Path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool HaveLibreOffice()
{
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

// Converts In (in Dir) with LibreOffice headless into the given filter; true on success.
bool Convert(const TempDir& Dir, const std::string& In, const std::string& Filter)
{
    const std::string cmd = "cd " + Dir.Path().string() + " && soffice -env:UserInstallation=file://" +
                            Dir.Path().string() + "/profile --headless --norestore --convert-to '" + Filter +
                            "' " + In + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// What xlrd sees of a workbook: names, cells with their format's font, number format and fill,
// merges, sizes, links, comments, panes and zoom. Warnings fail the script.
const char* const XlrdBook = R"PY(
import sys, io, xlrd
log = io.StringIO()
b = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=log, verbosity=1)
for s in b.sheets():
    print('sheet', s.name)
    for r in range(s.nrows):
        for c in range(s.ncols):
            cell = s.cell(r, c)
            xf = b.xf_list[cell.xf_index]
            f = b.font_list[xf.font_index]
            fmt = b.format_map[xf.format_key].format_str
            if cell.ctype != xlrd.XL_CELL_EMPTY or xf.background.pattern_colour_index != 64:
                print('cell', r, c, cell.ctype, repr(cell.value), 'bold' if f.weight >= 700 else '-', f.name,
                      repr(fmt), xf.alignment.text_wrapped, xf.background.fill_pattern,
                      xf.border.bottom_line_style)
    print('merged', sorted(s.merged_cells))
    print('cols', sorted((k, v.width, v.hidden) for k, v in s.colinfo_map.items() if v.width != 2340 or v.hidden))
    print('rows', sorted((k, v.height, v.hidden) for k, v in s.rowinfo_map.items() if not v.height_mismatch == 0 or v.hidden))
    print('links', [(l.frowx, l.fcolx, l.type, l.url_or_path, l.textmark, l.quicktip) for l in s.hyperlink_list])
    print('notes', sorted((k, v.text) for k, v in s.cell_note_map.items()))
    print('panes', s.panes_are_frozen, s.horz_split_pos, s.vert_split_pos, 'zoom', s.scl_mag_factor)
print('datemode', b.datemode)
# xlrd does not read conditional formats and says so; any other warning is a failure.
if any('WARNING' in l and 'Ignoring' not in l for l in log.getvalue().splitlines()):
    print(log.getvalue()); sys.exit(1)
)PY";

std::string Xlrd(const std::string& Path)
{
    std::string Out;
    EXPECT_EQ(RunPython(XlrdBook, Path, Out), 0) << Out;
    return Out;
}

bool Has(const std::string& Text, const std::string& Line)
{
    return Text.find(Line) != std::string::npos;
}

} // namespace

TEST(XlsFileCrossCheck, AWorkbookBuiltFromNothingOpensInXlrdAndLibreOffice)
{
    TXLSFile F(nullptr);
    F.Connect();
    F.NewFile(2);
    ASSERT_EQ(F.SheetCount(), 2);
    EXPECT_EQ(F.GetActiveSheet(), 1);
    EXPECT_EQ(F.GetActiveSheetName(), u"Sheet1");

    F.SetActiveSheetName(u"Prizes");
    F.SetCellValue(1, 1, TXlsVariant::FromString(u"Prize"));
    F.SetCellValue(1, 2, TXlsVariant::FromString(u"Quantity"));
    F.SetCellValue(2, 1, TXlsVariant::FromString(u"\u8336\u676f"));
    F.SetCellValue(2, 2, TXlsVariant::FromNumber(3));
    F.SetCellValue(3, 1, TXlsVariant::FromString(u"Lamp"));
    F.SetCellValue(3, 2, TXlsVariant::FromNumber(12.25));
    F.SetCellValue(4, 1, TXlsVariant::FromBoolean(true));
    F.SetCellFormula(4, 2, u"=B2+B3");

    // A bold, wrapped, filled and bordered format with two decimals.
    TVovFormat Fmt = F.GetFormatList(15);
    Fmt.FontInfo.StyleSet = 1 << flsBold;
    Fmt.NumberFormat = u"0.00";
    Fmt.Wrap = true;
    Fmt.Fill.PatternKind = 2;
    Fmt.Fill.ForeColor = 6; // yellow
    Fmt.BorderSet.BottomEdge.LineStyle = fbs_Thin;
    Fmt.BorderSet.BottomEdge.LineColor = 1;
    const Integer XF = F.AddFormat(Fmt);
    EXPECT_EQ(F.AddFormat(Fmt), XF);
    F.SetCellFormat(3, 2, XF);
    TXlsCellValue Dated;
    Dated.CellValue = TXlsVariant::FromDate(45366); // 15 March 2024
    TVovFormat DateFmt = F.GetFormatList(15);
    DateFmt.NumberFormat = u"yyyy-mm-dd";
    Dated.XFIndex = F.AddFormat(DateFmt);
    F.SetCellValueX(5, 1, Dated);
    F.SetCellFormat(6, 3, XF); // a formatted empty cell

    F.MergeCells(7, 1, 8, 3);
    F.SetCellValue(7, 1, TXlsVariant::FromString(u"merged"));
    F.SetColumnWidth(1, 20 * 256);
    F.SetColumnHidden(5, true);
    F.SetRowHeight(3, 600);
    F.SetRowHidden(9, true);

    // A picture, a comment and a link.
    const ByteArray Png = Fixture("drawings/blue.png");
    TImageProperties Box;
    Box.StartCol = 6;
    Box.StartRow = 2;
    Box.EndCol = 8;
    Box.EndRow = 6;
    Box.PictureName = u"Blue";
    F.AddImage(Png, xli_Png, Box);
    EXPECT_EQ(F.GetPicturesCount(0), 1);
    EXPECT_EQ(F.GetPicturesCount(2), 1);
    TImageProperties NoteBox;
    NoteBox.StartCol = 3;
    NoteBox.StartRow = 1;
    NoteBox.EndCol = 5;
    NoteBox.EndRow = 4;
    F.SetCellComment(2, 1, u"A \u8336 comment", NoteBox);
    EXPECT_EQ(F.GetCellComment(2, 1), u"A \u8336 comment");
    EXPECT_EQ(F.GetCommentsCount(2), 1);
    THyperLink Link;
    Link.Kind = hl_URL;
    Link.DisplayText = u"site";
    Link.Address = u"https://example.com/prizes";
    Link.ScreenTip = u"tip";
    F.AddHyperLink({1, 3, 1, 3}, Link);
    EXPECT_EQ(F.HyperLinkCount(), 1);
    EXPECT_EQ(F.GetHyperLinkCellRange(1), (TXlsCellRange{1, 3, 1, 3}));

    // Page setup and view.
    F.SetPageHeader(u"&CPrize list");
    F.SetPageFooter(u"&CPage &P");
    TXlsMargins M = F.GetMargins();
    M.MarginLeft = 1.25;
    F.SetMargins(M);
    F.SetPrintOptions(static_cast<Byte>(F.GetPrintOptions() & ~2)); // landscape
    F.SetPrintScale(80);
    F.SetSheetZoom(150);
    F.FreezePanes(2, 1);
    F.SetPrintGridLines(true);

    F.SetActiveSheet(2);
    F.SetActiveSheetName(u"\u734e\u54c1");
    F.SetCellValue(1, 1, TXlsVariant::FromString(u"\u7b2c\u4e8c"));
    F.SetCellValue(2, 1, TXlsVariant::FromNumber(-0.5));
    F.SelectSheet(1);

    TempDir Dir;
    const std::string Out = Dir.File("built.xls");
    F.Save(false, Out, nullptr);

    // The engine reads back its own file.
    TXLSFile G(nullptr);
    G.Connect();
    G.OpenFile(Out);
    EXPECT_EQ(G.GetCellValue(2, 1), TXlsVariant::FromString(u"\u8336\u676f"));
    EXPECT_EQ(G.GetCellFormula(4, 2), u"=B2+B3");
    EXPECT_EQ(G.GetPageHeader(), u"&CPrize list");
    EXPECT_EQ(G.GetMargins().MarginLeft, 1.25);
    EXPECT_EQ(G.GetPrintScale(), 80);
    EXPECT_EQ(G.GetSheetZoom(), 150);
    EXPECT_EQ(G.GetHyperLink(1).Address, u"https://example.com/prizes");
    EXPECT_EQ(G.GetCellComment(2, 1), u"A \u8336 comment");
    TMemoryStream Pic;
    TXlsImgTypes Type = xli_Unknown;
    TClientAnchor Anchor;
    G.GetPicture(0, 0, &Pic, Type, Anchor);
    EXPECT_EQ(Type, xli_Png);
    EXPECT_EQ(Anchor.StartCol, 6);
    EXPECT_EQ(Anchor.StartRow, 2);
    EXPECT_EQ(ByteArray(static_cast<const Byte*>(Pic.Memory()),
                        static_cast<const Byte*>(Pic.Memory()) + Pic.Size()),
              Png);
    Integer FR = 0, FC = 0;
    G.GetFrozenPanes(FR, FC);
    EXPECT_EQ(FR, 2);
    EXPECT_EQ(FC, 1);

    if (!HavePython("xlrd"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    const std::string X = Xlrd(Out);
    SCOPED_TRACE(X);
    EXPECT_TRUE(Has(X, "sheet Prizes\n"));
    EXPECT_TRUE(Has(X, "cell 0 0 1 'Prize' - Arial 'General'"));
    EXPECT_TRUE(Has(X, "cell 1 0 1 '\u8336\u676f' - Arial 'General'"));
    EXPECT_TRUE(Has(X, "cell 1 1 2 3.0 - Arial"));
    EXPECT_TRUE(Has(X, "cell 2 1 2 12.25 bold Arial '0.00' 1 1 1\n"));
    EXPECT_TRUE(Has(X, "cell 3 0 4 1 - Arial"));
    // The engine does not compute formulas: the cell is there with no cached result, and
    // LibreOffice computes it (below).
    EXPECT_TRUE(Has(X, "cell 3 1 "));
    EXPECT_TRUE(Has(X, "cell 4 0 3 45366.0 - Arial 'yyyy-mm-dd'"));
    EXPECT_TRUE(Has(X, "cell 5 2 6 '' bold Arial '0.00' 1 1 1\n"));
    EXPECT_TRUE(Has(X, "cell 6 0 1 'merged'"));
    EXPECT_TRUE(Has(X, "merged [(6, 8, 0, 3)]\n"));
    EXPECT_TRUE(Has(X, "(0, 5120, 0)"));
    EXPECT_TRUE(Has(X, "(4, ") && Has(X, ", 1)]")); // column E hidden
    EXPECT_TRUE(Has(X, "(2, 600, 0)"));
    EXPECT_TRUE(Has(X, "(8, ") && Has(X, ", 1)")); // row 9 hidden
    EXPECT_TRUE(Has(X, "links [(2, 0, 'url', 'https://example.com/prizes', None, 'tip')]\n"));
    EXPECT_TRUE(Has(X, "notes [((1, 0), 'A \u8336 comment')]\n"));
    EXPECT_TRUE(Has(X, "panes 1 1 0 zoom 150\n"));
    EXPECT_TRUE(Has(X, "sheet \u734e\u54c1\ncell 0 0 1 '\u7b2c\u4e8c'"));
    EXPECT_TRUE(Has(X, "cell 1 0 2 -0.5"));
    EXPECT_TRUE(Has(X, "datemode 0\n"));

    if (!HaveLibreOffice())
        return uitest::SkipMissing("LibreOffice is not installed");
    // Every sheet as csv, and the whole book as xlsx (its picture and link).
    ASSERT_TRUE(Convert(Dir, "built.xls",
                        "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1"));
    const std::string First = Slurp(Dir.File("built-Prizes.csv"));
    EXPECT_EQ(First.substr(0, First.find('\n', First.find('\n', First.find('\n') + 1) + 1) + 1),
              "Prize,Quantity\n\u8336\u676f,3\nLamp,12.25\n");
    EXPECT_TRUE(Has(First, "1,15.25\n2024-03-15,")) << First;
    EXPECT_TRUE(Has(First, "merged"));
    EXPECT_TRUE(Has(Slurp(Dir.File("built-\u734e\u54c1.csv")), "\u7b2c\u4e8c\n-0.5"));
    ASSERT_TRUE(Convert(Dir, "built.xls", "fods"));
    const std::string Fods = Slurp(Dir.File("built.fods"));
    EXPECT_TRUE(Has(Fods, "<draw:image"));
    EXPECT_TRUE(Has(Fods, "https://example.com/prizes"));
    EXPECT_TRUE(Has(Fods, "table:name=\"\u734e\u54c1\""));
}

// Files of other writers open through the file interface, change, save, and read right.
class XlsFileOtherWriters : public ::testing::TestWithParam<const char*> {};

TEST_P(XlsFileOtherWriters, OpenChangeAndSave)
{
    TXLSFile F(nullptr);
    F.Connect();
    F.OpenFile(std::string(DRAWMERE_TEST_DATA) + "/" + GetParam());
    const Integer Rows = F.MaxRow();
    F.SetCellValue(Rows + 2, 1, TXlsVariant::FromString(u"added \u8336"));
    F.SetCellValue(Rows + 2, 2, TXlsVariant::FromNumber(41.5));
    F.InsertAndCopySheets(-1, F.SheetCount() + 1, 1);
    F.SetActiveSheet(F.SheetCount());
    F.SetActiveSheetName(u"\u65b0");
    F.SetCellValue(1, 1, TXlsVariant::FromNumber(1));
    TempDir Dir;
    F.Save(false, Dir.File("out.xls"), nullptr);
    if (!HavePython("xlrd"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    const std::string X = Xlrd(Dir.File("out.xls"));
    EXPECT_TRUE(Has(X, "cell " + std::to_string(Rows + 1) + " 0 1 'added \u8336'")) << X;
    EXPECT_TRUE(Has(X, "cell " + std::to_string(Rows + 1) + " 1 2 41.5")) << X;
    EXPECT_TRUE(Has(X, "sheet \u65b0\ncell 0 0 2 1.0")) << X;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, XlsFileOtherWriters,
                         ::testing::Values("xlwt-small.xls", "xlwt-styles.xls", "xlwt-settings.xls",
                                           "lo-small.xls", "lo-styles.xls", "lo-panes.xls",
                                           "drawings/lo-drawing.xls", "drawings/lo-links.xls"));
