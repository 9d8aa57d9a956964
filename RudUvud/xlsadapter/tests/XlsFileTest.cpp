// The xls file interface over real files: files written by python3-xlwt and LibreOffice open,
// change and save, and xlrd reads the changes back; the save rules (formats, overwriting, kept
// streams); typed text; and the numbering of the interface.

#include "RudUvud/xlsadapter/XlsFile.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>

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

std::string FixturePath(const std::string& Name)
{
    return std::string(DRAWMERE_TEST_DATA) + "/" + Name;
}

std::unique_ptr<TXLSFile> Open(const std::string& Path)
{
    auto F = std::make_unique<TXLSFile>(nullptr);
    F->Connect();
    F->OpenFile(Path);
    return F;
}

// Every cell xlrd reads, as "sheet row col type value" lines; xlrd's warnings are failures.
const char* const XlrdCells = R"PY(
import sys, io, xlrd
log = io.StringIO()
b = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=log, verbosity=1)
for s in b.sheets():
    print('sheet', s.name)
    for r in range(s.nrows):
        for c in range(s.ncols):
            cell = s.cell(r, c)
            if cell.ctype != xlrd.XL_CELL_EMPTY:
                print(r, c, cell.ctype, repr(cell.value))
if 'WARNING' in log.getvalue():
    print(log.getvalue()); sys.exit(1)
)PY";

// Each stream of a compound document but "Workbook", with the digest of its bytes.
const char* const OtherStreams = R"PY(
import sys, hashlib, olefile
o = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
for e in sorted(o.listdir()):
    n = '/'.join(e)
    if n != 'Workbook':
        print(n, hashlib.md5(o.openstream(e).read()).hexdigest())
)PY";

} // namespace

TEST(XlsFile, OpensAFileOfAnotherWriterAndSavesItsChanges)
{
    auto F = Open(FixturePath("xlwt-small.xls"));
    EXPECT_EQ(F->SheetCount(), 2);
    EXPECT_EQ(F->GetActiveSheet(), 1);
    EXPECT_EQ(F->GetActiveSheetName(), u"Prizes");
    EXPECT_EQ(F->GetCellValue(1, 1), TXlsVariant::FromString(u"Prize"));
    EXPECT_EQ(F->GetCellValue(4, 1), TXlsVariant::FromString(u"\u96fb\u8996\u6a5f"));
    EXPECT_EQ(F->GetCellValue(5, 2), TXlsVariant::FromNumber(10));
    EXPECT_EQ(F->MaxRow(), 5);
    EXPECT_EQ(F->MaxCol(), 2);
    EXPECT_FALSE(F->GetInvalidateFormulas());

    F->SetCellValue(2, 2, TXlsVariant::FromNumber(7.5));
    F->SetCellValue(6, 1, TXlsVariant::FromString(u"\u8336\u676f"));
    EXPECT_TRUE(F->GetInvalidateFormulas());
    F->SetActiveSheet(2);
    EXPECT_EQ(F->GetCellValue(1, 1), TXlsVariant::FromNumber(3.25));
    F->SetActiveSheetName(u"\u7b2c\u4e8c");
    F->SetCellValue(3, 3, TXlsVariant::FromBoolean(true));

    TempDir Dir;
    const std::string Out = Dir.File("out.xls");
    F->Save(false, Out, nullptr);
    F->Disconnect();

    if (!HavePython("xlrd, olefile"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    const std::string Cells = Python(XlrdCells, Out);
    EXPECT_NE(Cells.find("sheet Prizes\n0 0 1 'Prize'\n0 1 1 'Quantity'\n1 0 1 'Bicycle'\n1 1 2 7.5\n"),
              std::string::npos)
        << Cells;
    EXPECT_NE(Cells.find("5 0 1 '\u8336\u676f'\n"), std::string::npos) << Cells;
    EXPECT_NE(Cells.find("sheet \u7b2c\u4e8c\n0 0 2 3.25\n1 0 1 'Prize'\n2 2 4 1\n"), std::string::npos)
        << Cells;

    // And the engine reads back what it wrote.
    auto G = Open(Out);
    EXPECT_EQ(G->GetCellValue(2, 2), TXlsVariant::FromNumber(7.5));
    G->SetActiveSheet(2);
    EXPECT_EQ(G->GetActiveSheetName(), u"\u7b2c\u4e8c");
}

TEST(XlsFile, StreamsBesidesTheWorkbookAreKeptByteForByte)
{
    if (!HavePython("olefile"))
        return uitest::SkipMissing("python3-olefile is not installed");
    const std::string In = FixturePath("drawings/lo-drawing.xls");
    const std::string Before = Python(OtherStreams, In);
    ASSERT_NE(Before.find("SummaryInformation"), std::string::npos) << Before;

    auto F = Open(In);
    F->SetCellValue(1, 1, TXlsVariant::FromString(u"changed"));
    TempDir Dir;
    F->Save(false, Dir.File("out.xls"), nullptr);
    EXPECT_EQ(Python(OtherStreams, Dir.File("out.xls")), Before);
}

TEST(XlsFile, SaveWritesTheAdaptersFormatsAndRefusesToOverwrite)
{
    TempDir Dir;
    const std::string Out = Dir.File("out.xls");
    {
        // No adapter: the xls file only.
        auto F = Open(FixturePath("xlwt-small.xls"));
        F->Save(false, Out, nullptr);
        EXPECT_FALSE(LoadFile(Out).empty());
        // An existing file stays as it was.
        SaveFile(Out, Bytes({1, 2, 3}));
        EXPECT_EQ(MessageOf([&] { F->Save(false, Out, nullptr); }),
                  "Can't write to file \"" + Out + "\". Check it is not in use by another user");
        EXPECT_EQ(LoadFile(Out), Bytes({1, 2, 3}));
        // A stream is written whatever files exist.
        TMemoryStream M;
        F->Save(false, Out, nullptr, nullptr, &M);
        EXPECT_GT(M.Size(), 512);
    }
    {
        TXLSAdapter Adapter(nullptr);
        Adapter.SetSaveFormat(TSetOfExcelSaveFormatNative{snCSVComma});
        auto F = Adapter.GetWorkbook();
        F->Connect();
        F->OpenFile(FixturePath("xlwt-small.xls"));
        F->Save(false, Dir.File("csv.xls"), nullptr);
        EXPECT_FALSE(std::filesystem::exists(Dir.File("csv.xls")));

        // The adapter's overwrite setting reaches its files; the name callback renames.
        Adapter.SetSaveFormat(TSetOfExcelSaveFormatNative{snXLS});
        Adapter.SetAllowOverwritingFiles(true);
        auto G = Adapter.GetWorkbook();
        G->Connect();
        G->OpenFile(FixturePath("xlwt-small.xls"));
        G->Save(false, Out, [&](TObject*, Integer Format, WideString& Name) {
            EXPECT_EQ(Format, 0);
            Name += u".2";
        });
        EXPECT_GT(LoadFile(Out + ".2").size(), 512u);
        G->Save(false, Out, nullptr);
        EXPECT_GT(LoadFile(Out).size(), 512u);
    }
}

namespace {

// While it lives, the calling thread obeys file permissions even when it runs as root: the
// capabilities that override them leave its effective set (capabilities belong to each thread),
// and come back from the permitted set afterwards.
class PermissionsObeyed {
public:
    PermissionsObeyed()
    {
        if (syscall(SYS_capget, &Header, Saved) != 0)
            return;
        __user_cap_data_struct Reduced[2] = {Saved[0], Saved[1]};
        for (int Cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            Reduced[Cap / 32].effective &= ~(1u << (Cap % 32));
        Changed = syscall(SYS_capset, &Header, Reduced) == 0;
    }
    ~PermissionsObeyed()
    {
        if (Changed)
            syscall(SYS_capset, &Header, Saved);
    }
    bool Changed = false;

private:
    __user_cap_header_struct Header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct Saved[2] = {};
};

} // namespace

TEST(XlsFile, AFileThatCannotBeOpenedForWritingIsKept)
{
    TempDir Dir;
    const std::string Out = Dir.File("read-only.xls");
    SaveFile(Out, Bytes({1, 2, 3}));
    std::filesystem::permissions(Out, std::filesystem::perms::owner_read);
    TXLSAdapter Adapter(nullptr);
    Adapter.SetAllowOverwritingFiles(true);
    auto F = Adapter.GetWorkbook();
    F->Connect();
    F->OpenFile(FixturePath("xlwt-small.xls"));
    {
        PermissionsObeyed Obeyed;
        ASSERT_TRUE(Obeyed.Changed || geteuid() != 0);
        EXPECT_NE(MessageOf([&] { F->Save(false, Out, nullptr); }), "(no error)");
    }
    EXPECT_EQ(LoadFile(Out), Bytes({1, 2, 3}));
}

TEST(XlsFile, AFailedOpenKeepsTheFormerFile)
{
    auto F = Open(FixturePath("xlwt-small.xls"));
    TempDir Dir;
    SaveFile(Dir.File("bad.xls"), ByteArray(600, 7));
    EXPECT_NE(MessageOf([&] { F->OpenFile(Dir.File("bad.xls")); }), "(no error)");
    EXPECT_NE(MessageOf([&] { F->OpenFile(Dir.File("missing.xls")); }), "(no error)");
    EXPECT_EQ(F->GetActiveSheet(), 1);
}

TEST(XlsFile, TypedTextBecomesAValueWithAFittingFormat)
{
    SetDefaultFormatSettings(); // "." decimals, "," thousands, "$" before, negative "($1)"
    NegCurrFormat = 1;
    auto F = Open(FixturePath("xlwt-small.xls"));
    struct Case {
        const char16_t* Text;
        TXlsVariant Value;
        const char16_t* Format; // null: the cell's own format
    };
    const Case Cases[] = {
        {u"12%", TXlsVariant::FromNumber(0.12), u"0%"},
        {u"12.5%", TXlsVariant::FromNumber(0.125), u"0.00%"},
        {u"1,234,567", TXlsVariant::FromNumber(1234567), nullptr},
        {u"-1,234", TXlsVariant::FromNumber(-1234), nullptr},
        {u"12,34", TXlsVariant::FromString(u"12,34"), nullptr},
        {u"1.5e3", TXlsVariant::FromNumber(1500), u"0.00E+00"},
        {u"tRuE", TXlsVariant::FromBoolean(true), nullptr},
        {u" =A1 ", TXlsVariant::FromString(u" =A1 "), nullptr},
        {u"$1,234.50", TXlsVariant::FromNumber(1234.5), u"$###,###.00;[Red]-$###,###.00"},
        {u"1,234.50$", TXlsVariant::FromNumber(1234.5), u"$###,###.00;[Red]-$###,###.00"},
        {u"$12", TXlsVariant::FromNumber(12), u"$###,###;[Red]-$###,###"},
        {u"Bicycle", TXlsVariant::FromString(u"Bicycle"), nullptr},
    };
    const WideString Plain = F->GetFormatList(F->GetCellFormat(5, 2)).NumberFormat;
    Integer Row = 10;
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(WideToAnsi(C.Text)));
        F->SetCellString(Row, 1, C.Text, u"", u"");
        EXPECT_EQ(F->GetCellValue(Row, 1), C.Value);
        const WideString Fmt = F->GetFormatList(F->GetCellFormat(Row, 1)).NumberFormat;
        EXPECT_EQ(Fmt, C.Format ? WideString(C.Format) : Plain);
        ++Row;
    }
    // A date takes the date reading's format and its serial number.
    F->SetCellString(Row, 1, u"3/15/2024", u"", u"");
    EXPECT_EQ(F->GetCellValue(Row, 1).Number, 45366);
    EXPECT_NE(F->GetFormatList(F->GetCellFormat(Row, 1)).NumberFormat, Plain);
    // A given format is used as the base.
    TVovFormat Bold = F->GetFormatList(15);
    Bold.FontInfo.StyleSet = 1 << flsBold;
    F->SetCellString(Row + 1, 1, u"42", Bold, u"", u"");
    EXPECT_EQ(F->GetFormatList(F->GetCellFormat(Row + 1, 1)).FontInfo.StyleSet, 1 << flsBold);
    SetDefaultFormatSettings();
}

TEST(XlsFile, NumberingAtTheInterface)
{
    auto F = Open(FixturePath("xlwt-small.xls"));
    // Font 4 does not exist: it reads font 0, and the count is one more than the FONT records.
    EXPECT_EQ(F->GetFontList(4), F->GetFontList(0));
    EXPECT_EQ(F->FontListCount(), F->GetTWorkbook()->Globals().FontList().Count() + 1);
    EXPECT_EQ(F->GetFontList(1000), F->GetFontList(0));

    // A column window from a defined name: window position 0 is the name's first column, while
    // GetCellValue keeps its own column numbers.
    TXlsNamedRange N;
    N.RangeName = "Window";
    N.RefersTo = "=Prizes!$B$1:$C$3";
    N.LocalSheet = 0;
    F->AddRange(N);
    EXPECT_EQ(N.LocalSheet, 0);
    EXPECT_EQ(F->GetExcelNameCount(), 1);
    EXPECT_EQ(F->GetRangeR1(1), 1);
    EXPECT_EQ(F->GetRangeC1(1), 2);
    EXPECT_EQ(F->GetRangeC2(1), 3);
    F->SetBounds(u"Window");
    EXPECT_EQ(F->GetFirstColumn(), 2);
    EXPECT_EQ(F->GetCellData(2, 0), TXlsVariant::FromNumber(2));
    EXPECT_EQ(F->GetCellValue(2, 1), TXlsVariant::FromString(u"Bicycle"));
    EXPECT_EQ(F->CellCount(2), 2);

    // Cells of a row by position.
    EXPECT_EQ(F->ColIndexCount(2), 2);
    EXPECT_EQ(F->ColByIndex(2, 2), 2);
    EXPECT_EQ(F->ColByIndex(2, 3), 0);
    EXPECT_EQ(F->ColIndex(2, 1), 2);
    EXPECT_EQ(F->ColIndex(2, 7), 3);
    EXPECT_FALSE(F->IsEmptyRow(2));
    EXPECT_TRUE(F->IsEmptyRow(50));

    EXPECT_EQ(MessageOf([&] { F->GetHyperLink(1); }),
              "The index \"1\" of the property \"HyperLinkIndex\" is not in the range 1-0");
    EXPECT_EQ(MessageOf([&] { F->ClearImage(0); }),
              "The index \"0\" of the property \"ImageIndex\" is not in the range 0--1");
}

TEST(XlsFile, NewFilesAndSheets)
{
    TXLSFile F(nullptr);
    F.Connect();
    F.NewFile(1);
    EXPECT_EQ(F.SheetCount(), 1);
    EXPECT_EQ(F.GetActiveSheetName(), u"Sheet1");
    EXPECT_EQ(MessageOf([&] { F.DeleteSheet(1); }), "There are not visible sheets on the file");
    EXPECT_EQ(F.SheetCount(), 1);

    F.NewFile(3);
    ASSERT_EQ(F.SheetCount(), 3);
    EXPECT_EQ(F.GetActiveSheetName(), u"Sheet1");
    for (Integer i = 1; i <= 3; ++i)
        EXPECT_TRUE(F.IsWorksheet(i));
    F.SetActiveSheet(3);
    F.DeleteSheet(1);
    EXPECT_EQ(F.SheetCount(), 2);
    EXPECT_EQ(F.GetActiveSheet(), 2);

    // A code name another sheet has is refused.
    F.SetActiveSheetCodeName(u"Second");
    F.SetActiveSheet(1);
    EXPECT_EQ(MessageOf([&] { F.SetActiveSheetCodeName(u"Second"); }), "Sheet name already exists: Second");

    // Rows: marked rows deleted, page breaks at marks, copies of rows.
    for (Integer Row = 1; Row <= 6; ++Row)
        F.SetCellValue(Row, 1, TXlsVariant::FromString(Row % 2 ? u"keep" : u"-"));
    F.SetCellValue(1, 2, TXlsVariant::FromNumber(1));
    F.DeleteMarkedRows(u"-");
    EXPECT_EQ(F.GetCellValue(2, 1), TXlsVariant::FromString(u"keep"));
    EXPECT_EQ(F.GetCellValue(4, 1), TXlsVariant::Empty());
    F.SetCellValue(2, 1, TXlsVariant::FromString(u"break"));
    F.MakePageBreaks(u"break");
    EXPECT_EQ(F.GetCellValue(2, 1), TXlsVariant::Empty());
    EXPECT_TRUE(F.HasHPageBreak(1));
    F.InsertAndCopyRows(1, 1, 2, 2, false);
    EXPECT_EQ(F.GetCellValue(3, 2), TXlsVariant::FromNumber(1));
    EXPECT_EQ(F.GetCellValue(4, 1), TXlsVariant::Empty());
    EXPECT_EQ(F.GetCellValue(5, 1), TXlsVariant::FromString(u"keep"));
    F.DeleteCols(1, 1);
    EXPECT_EQ(F.GetCellValue(1, 1), TXlsVariant::FromNumber(1));
    F.ClearSheet();
    EXPECT_EQ(F.MaxRow(), 0);

    // Every sheet-level operation reads its default and changes nothing without a sheet.
    F.SetActiveSheet(9);
    EXPECT_EQ(F.GetCellValue(1, 1), TXlsVariant::Empty());
    EXPECT_EQ(F.GetDefaultColWidth(), 10);
    EXPECT_EQ(F.GetDefaultRowHeight(), 255);
    EXPECT_EQ(F.GetAutoFilterRange(), (TXlsCellRange{-1, -1, -1, -1}));
    F.SetCellValue(1, 1, TXlsVariant::FromNumber(1));
    EXPECT_EQ(F.GetCellFormat(1, 1), -1);
}

TEST(XlsFile, PastingABiff8BlockMapsFormatsAndRunFonts)
{
    // The source: a block at B2:C3 whose rich text uses a font added to the source (its number
    // above 4) and font number 4, which stands for font 0.
    TXLSFile Src(nullptr);
    Src.Connect();
    Src.NewFile(1);
    TVovFont Big = Src.GetFontList(0);
    Big.HeightTwips = 480;
    Big.FontName = u"Courier New";
    const Integer BigNo = Src.AddFont(Big);
    ASSERT_GT(BigNo, 4);
    TVovFormat Bold = Src.GetFormatList(15);
    Bold.FontInfo.StyleSet = 1 << flsBold;
    TXlsCellValue V;
    V.CellValue = TXlsVariant::FromString(u"abcdef");
    V.XFIndex = Src.AddFormat(Bold);
    Src.AssignCellDataX2(2, 1, V, {{0, static_cast<Word>(BigNo)}, {3, 4}});
    Src.SetCellValue(3, 3, TXlsVariant::FromNumber(2.5));
    TMemoryStream Block;
    Src.Save(false, "", nullptr, nullptr, &Block);

    TXLSFile F(nullptr);
    F.Connect();
    F.NewFile(1);
    Block.Seek(0, soBeginning);
    F.PasteFromBiff8(&Block, 5, 4);
    EXPECT_TRUE(F.GetInvalidateFormulas());
    // The block is the source's DIMENSIONS: rows from the first used one (2), columns from A
    // (the engine writes its used range from column A). So B2 lands one column right of the
    // target cell and C3 one row and column further. Run starts count from 1 here.
    TXlsCellValue Got;
    TRTFRunList Runs;
    F.GetCellValueX2(5, 5, Got, Runs);
    EXPECT_EQ(Got.CellValue, TXlsVariant::FromString(u"abcdef"));
    EXPECT_EQ(F.GetFormatList(Got.XFIndex).FontInfo.StyleSet, 1 << flsBold);
    ASSERT_EQ(Runs.size(), 2u);
    EXPECT_EQ(Runs[0].StartChar, 1);
    EXPECT_EQ(Runs[1].StartChar, 4);
    EXPECT_EQ(F.GetFontList(Runs[0].FontRef), Big);
    EXPECT_EQ(F.GetFontList(Runs[1].FontRef), F.GetFontList(0));
    EXPECT_EQ(F.GetCellValue(6, 6), TXlsVariant::FromNumber(2.5));
}

TEST(XlsFile, FilesComeFromTheTemplateStoreOrAreSearchedUnderTheBasePath)
{
    struct Store : TXlsBaseTemplateStore {
        using TXlsBaseTemplateStore::TXlsBaseTemplateStore;
        WideString Asked;
        ByteArray GetStoredFile(const WideString& FileName) override
        {
            Asked = FileName;
            return Fixture("lo-small.xls");
        }
        bool IsUpToDate() override { return true; }
        void Refresh() override {}
    };
    TXLSAdapter Adapter(nullptr);
    Adapter.SetBasePathToOpen(DRAWMERE_TEST_DATA);
    auto F = Adapter.GetWorkbook();
    F->Connect();
    F->OpenFileAndSearch("xlwt-small.xls");
    EXPECT_EQ(F->GetCellValue(2, 1), TXlsVariant::FromString(u"Bicycle"));
    EXPECT_EQ(MessageOf([&] { F->OpenFileAndSearch("none.xls"); }),
              "Can't find the file \"" + std::string(DRAWMERE_TEST_DATA) + "/none.xls\"");

    {
        Store S(nullptr);
        Adapter.SetTemplateStore(&S);
        F->OpenFile("stored.xls");
        EXPECT_EQ(S.Asked, u"stored.xls");
        // The store's workbook, not a file on the disk.
        EXPECT_EQ(F->GetCellValue(3, 1), TXlsVariant::FromString(u"\u982d\u734e \u96fb\u8996\u6a5f"));
    }
    // A store that goes away is no longer asked.
    EXPECT_EQ(Adapter.TemplateStore(), nullptr);
}

TEST(XlsFile, ChangesThatLeaveFormulasAloneStillSaveAWholeFile)
{
    // Formats, sizes, merges and settings do not mark the file for recalculation; the sheets'
    // sizes must still come out right, or the save would refuse to place the sheet offsets.
    auto F = Open(FixturePath("xlwt-small.xls"));
    F->SetCellFormat(20, 5, 16);
    F->SetRowHeight(30, 500);
    F->SetColumnWidth(9, 4000);
    F->MergeCells(40, 1, 41, 3);
    F->SetRowOutlineLevel(50, 52, 2);
    F->SetPageHeader(u"&CHeader");
    F->FreezePanes(2, 2);
    F->SetCellFormulaX(3, 7, u"=1+2", TXlsVariant::FromNumber(3));
    EXPECT_FALSE(F->GetInvalidateFormulas());
    TMemoryStream M;
    F->Save(false, "", nullptr, nullptr, &M);
    M.Seek(0, soBeginning);
    TXLSFile G(nullptr);
    G.Connect();
    G.LoadFromStream(&M);
    EXPECT_EQ(G.GetCellFormat(20, 5), 16);
    EXPECT_EQ(G.GetRowHeight(30), 500);
    EXPECT_EQ(G.GetCellMergedBounds(41, 2), (TXlsCellRange{1, 40, 3, 41}));
    EXPECT_EQ(G.GetCellFormula(3, 7), u"=1+2");
    EXPECT_EQ(G.GetSheetZoom(), 100);
    EXPECT_EQ(G.GetCellValue(2, 1), TXlsVariant::FromString(u"Bicycle"));
}

TEST(XlsFile, BitmapsKeptOutsideADrawingAreCountedAndRead)
{
    // xlwt keeps a bitmap as an OBJ record of the older layout and an IMDATA record, outside any
    // drawing. Each comes back as a bitmap file with the pixels xlwt was given.
    struct TCase {
        const char* Source;
        Integer Row, Col, Width, Height;
    };
    const TCase Cases[] = {{"drawings/bitmap-a.bmp", 3, 2, 3, 2}, {"drawings/bitmap-b.bmp", 6, 4, 2, 2}};
    auto Check = [&](TXLSFile& F) {
        EXPECT_EQ(F.GetPicturesCount(0), 2);
        EXPECT_EQ(F.GetPicturesCount(1), 0);
        for (const TCase& C : Cases) {
            SCOPED_TRACE(C.Source);
            ASSERT_EQ(F.GetPicturesCount(C.Row), 1);
            TMemoryStream Pic;
            TXlsImgTypes Type = xli_Unknown;
            TClientAnchor Anchor;
            F.GetPicture(C.Row, 0, &Pic, Type, Anchor);
            EXPECT_EQ(Type, xli_Bmp);
            EXPECT_EQ(Anchor.StartRow, C.Row);
            EXPECT_EQ(Anchor.StartCol, C.Col);
            EXPECT_EQ(F.GetPictureName(C.Row, 0), u"");
            const ByteArray Source = Fixture(C.Source);
            const Byte* p = static_cast<const Byte*>(Pic.Memory());
            const ByteArray Got(p, p + Pic.Size());
            ASSERT_EQ(Got.size(), 14 + 12 + Source.size() - 54);
            EXPECT_EQ(Got[0], 'B');
            EXPECT_EQ(Got[1], 'M');
            // A core header: its size, width, height, one plane, 24 bits.
            EXPECT_EQ(GetLongWord(Got.data(), 14), 12u);
            EXPECT_EQ(GetWord(Got.data(), 18), C.Width);
            EXPECT_EQ(GetWord(Got.data(), 20), C.Height);
            EXPECT_EQ(GetWord(Got.data(), 22), 1);
            EXPECT_EQ(GetWord(Got.data(), 24), 24);
            EXPECT_EQ(ByteArray(Got.begin() + 26, Got.end()), ByteArray(Source.begin() + 54, Source.end()));
        }
        // They cannot be replaced or deleted through the drawing.
        EXPECT_NE(MessageOf([&] { F.DeleteImage(0); }), "(no error)");
    };
    auto F = Open(FixturePath("drawings/xlwt-bitmap.xls"));
    Check(*F);
    TempDir Dir;
    F->SetCellValue(1, 2, TXlsVariant::FromNumber(7));
    F->Save(false, Dir.File("out.xls"), nullptr);
    auto G = Open(Dir.File("out.xls"));
    Check(*G);
}
