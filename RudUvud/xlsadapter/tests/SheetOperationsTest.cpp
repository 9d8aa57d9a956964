// The workbook's row, column and sheet operations on their own: argument checks, what a copied
// sheet owns, sheets made from the empty-workbook template, and chart sheets kept record by record
// with their linked-data formulas following the workbook.

#include "RudUvud/xlsadapter/XlsClientData.h"
#include "RudUvud/xlsadapter/XlsTemplate.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"

#include "SheetTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

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

void LoadTemplate(TWorkbook& Book)
{
    TXlsTemplateDocument doc;
    Book.LoadFromStream(doc.File());
}

ByteArray Save(TWorkbook& Book)
{
    return WriteWorkbook([&](TOle2File& f) { Book.SaveToStream(f, true); });
}

void Load(TWorkbook& Book, const ByteArray& Stream)
{
    BiffStream s(Stream);
    Book.LoadFromStream(*s.File);
}

TEST(SheetOperations, RowAndColumnArgumentsAreChecked)
{
    TWorkbook book;
    LoadTemplate(book);
    const std::string bad = "Ivalid arguments to call InsertAndCopyRows";
    struct {
        Integer FirstRow, LastRow, DestRow, RowCount, FirstCol, LastCol, DestCol, ColCount;
        std::string Message;
    } cases[] = {
        {2, 5, 4, 1, 0, 0, 0, 0, bad},              // the destination inside the block
        {2, 5, 2, 1, 0, 0, 0, 0, "(no error)"},     // at its first row
        {2, 5, 6, 1, 0, 0, 0, 0, "(no error)"},     // right after it
        {0, 0, 65535, 1, 0, 0, 0, 0, bad},          // a row past the last
        {0, 0, 65534, 1, 0, 0, 0, 0, "(no error)"}, // the last row
        {0, 0, 0, 0, 0, 1, 254, 1, bad},            // DestCol + 2 = 256
        {0, 0, 0, 0, 0, 0, 254, 1, "(no error)"},   // DestCol + 1 = 255
        {3, 2, 0, 1, 0, 0, 0, 0, bad},              // LastRow < FirstRow
        {0, 0, 0, 0, 0, 256, 0, 0, bad},            // LastCol past the last column
        {0, 0, 0, -1, 0, 0, 0, 0, bad},             // a negative count would delete elsewhere
        {0, 0, 0, 1000000000, 0, 0, 0, 0, bad},     // far too many, without wrapping round
    };
    for (const auto& c : cases)
        EXPECT_EQ(MessageOf([&] {
                      book.InsertAndCopyRowsAndCols(0, c.FirstRow, c.LastRow, c.DestRow, c.RowCount,
                                                    c.FirstCol, c.LastCol, c.DestCol, c.ColCount, false);
                  }),
                  c.Message)
            << c.FirstRow << ".." << c.LastRow << " at " << c.DestRow << ", " << c.FirstCol << ".."
            << c.LastCol << " at " << c.DestCol;

    EXPECT_EQ(MessageOf([&] { book.InsertAndCopyRowsAndCols(1, 0, 0, 0, 1, 0, 0, 0, 0, false); }),
              "Sheet number \"1\" invalid. Must be between 0 and 0");
    EXPECT_EQ(MessageOf([&] { book.DeleteRowsAndCols(1, 0, 1, 0, 0); }),
              "Sheet number \"1\" invalid. Must be between 0 and 0");
    EXPECT_EQ(MessageOf([&] { book.InsertSheets(1, 0, 1); }),
              "Sheet number \"1\" invalid. Must be between -1 and 0");
    EXPECT_EQ(MessageOf([&] { book.InsertSheets(-1, 2, 1); }),
              "Sheet number \"2\" invalid. Must be between 0 and 1");
    EXPECT_EQ(MessageOf([&] { book.DeleteSheets(2, 1); }),
              "Sheet number \"2\" invalid. Must be between 0 and 1");
}

TEST(SheetOperations, PageBreaksMoveWithInsertedAndDeletedRows)
{
    TWorkbook book;
    LoadTemplate(book);
    TWorkSheet& sheet = book.GetWorkSheets(0);
    book.InsertHPageBreak(0, 12);
    book.InsertVPageBreak(0, 4);
    // Three copies of rows 2..3 at row 10: six rows come in above the break.
    book.InsertAndCopyRowsAndCols(0, 2, 3, 10, 3, 1, 1, 2, 2, false);
    EXPECT_TRUE(sheet.HasHPageBreak(18));
    EXPECT_FALSE(sheet.HasHPageBreak(12));
    EXPECT_TRUE(sheet.HasVPageBreak(6));
    book.DeleteRowsAndCols(0, 10, 2, 0, 0);
    EXPECT_TRUE(sheet.HasHPageBreak(16));
    // A break in the deleted rows goes.
    book.DeleteRowsAndCols(0, 16, 1, 6, 1);
    EXPECT_FALSE(sheet.HasHPageBreak(16));
    EXPECT_FALSE(sheet.HasVPageBreak(6));
}

TEST(SheetOperations, NewSheetsComeFromTheTemplateAndTakeFreeNames)
{
    TWorkbook book;
    LoadTemplate(book);
    ASSERT_EQ(book.SheetCount(), 1);
    EXPECT_EQ(book.Globals().GetSheetName(0), u"Sheet1");
    book.InsertSheets(-1, 1, 2);
    ASSERT_EQ(book.SheetCount(), 3);
    // Each goes to index 1: the one made first ("Sheet") ends last.
    EXPECT_EQ(book.Globals().GetSheetName(1), u"Sheet2");
    EXPECT_EQ(book.Globals().GetSheetName(2), u"Sheet");
    for (Integer i = 0; i < 3; ++i) {
        ASSERT_TRUE(book.IsWorksheet(i));
        TWorkSheet& s = book.GetWorkSheets(i);
        // The template carries the records the settings need, a place for the zoom among them.
        EXPECT_NE(s.RecordCache().Setup, nullptr);
        EXPECT_NE(s.RecordCache().Window2, nullptr);
        s.SetSheetZoom(150);
        EXPECT_EQ(s.GetSheetZoom(), 150);
    }
    EXPECT_EQ(book.GetWorkSheets(2).DefColWidth(), 8 * TWorkSheet::DefColWidthAdapt);

    // A cleared sheet is the template's sheet again.
    TWorkSheet& s = book.GetWorkSheets(1);
    s.Cells().AddCell(std::make_unique<TNumberRecord>(3, 2, 15), 3);
    s.SetPageHeader(u"Header");
    s.ClearValues();
    EXPECT_EQ(s.Cells().CellList().Count(), 0);
    EXPECT_EQ(s.GetPageHeader(), u"");
    EXPECT_EQ(s.GetSheetZoom(), 100);

    // Saved and loaded again, the three sheets are there.
    TWorkbook again;
    Load(again, Save(book));
    EXPECT_EQ(again.SheetCount(), 3);
}

TEST(SheetOperations, TemplateIsWhatItsScriptWrites)
{
    if (std::system("/usr/bin/python3 -c '' >/dev/null 2>&1") != 0)
        return uitest::SkipMissing("python3 is not installed");
    TempDir dir;
    const std::string cmd = "/usr/bin/python3 " DRAWMERE_SOURCE_DIR
                            "/RudUvud/xlsadapter/template/make-empty-workbook.py " +
                            dir.File("t.xls");
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(LoadFile(dir.File("t.xls")), EmptyWorkbookTemplate());
}

TEST(SheetOperations, CopiedSheetOwnsItsPartsAndHasNoCodeName)
{
    TWorkbook book;
    Load(book, ReadStream(Fixture("lo-rowcol.xls"), u"Workbook"));
    book.GetWorkSheets(0).SetCodeName(u"DataCode");
    book.InsertSheets(0, 1, 1);
    TWorkSheet& source = book.GetWorkSheets(0);
    TWorkSheet& copy = book.GetWorkSheets(1);
    EXPECT_EQ(copy.GetCodeName(), u"");
    EXPECT_EQ(source.GetCodeName(), u"DataCode");
    // Settings reached through the copy's cache are the copy's own.
    const WideString header = source.GetPageHeader();
    copy.SetPageHeader(u"Copy");
    EXPECT_EQ(source.GetPageHeader(), header);
    EXPECT_EQ(copy.GetPageHeader(), u"Copy");
    EXPECT_EQ(copy.HLinks().Count(), 1);
    EXPECT_EQ(copy.CellMergedListCount(), 1);
    // The copy's comment has its own box: freeing the source leaves it whole.
    book.DeleteSheets(0, 1);
    ASSERT_EQ(book.SheetCount(), 2);
    TWorkSheet& left = book.GetWorkSheets(0);
    ASSERT_NE(left.Notes().GetNotes(2), nullptr);
    EXPECT_EQ(left.Notes().GetNotes(2)->Items(0)->GetText(), u"Refill");
    TWorkbook again;
    Load(again, Save(book));
    EXPECT_EQ(again.SheetCount(), 2);
}

TEST(SheetOperations, DeletingRowsUnderACommentBoxLeavesTheBoxToItsComment)
{
    // The comment of A3 and its box go with rows 1..8; nothing refers to the freed box after.
    TWorkbook book;
    Load(book, ReadStream(Fixture("lo-rowcol.xls"), u"Workbook"));
    book.DeleteRowsAndCols(0, 0, 8, 0, 0);
    EXPECT_EQ(book.GetWorkSheets(0).Notes().GetNotes(0), nullptr);
    TWorkbook again;
    Load(again, Save(book));
    const TEscherDwgCache& caches = again.GetWorkSheets(0).Drawing().Caches();
    EXPECT_EQ(caches.ObjList ? caches.ObjList->Count() : 0, 0);

    // Copying the rows of a comment copies its box once.
    TWorkbook copied;
    Load(copied, ReadStream(Fixture("lo-rowcol.xls"), u"Workbook"));
    copied.InsertAndCopyRowsAndCols(0, 0, 4, 10, 1, 0, 0, 0, 0, false);
    TWorkSheet& s = copied.GetWorkSheets(0);
    ASSERT_NE(s.Notes().GetNotes(12), nullptr);
    EXPECT_EQ(s.Notes().GetNotes(12)->Items(0)->GetText(), u"Refill");
    EXPECT_NE(s.Notes().GetNotes(12)->Items(0)->Dwg(), s.Notes().GetNotes(2)->Items(0)->Dwg());
    Integer comments = 0;
    for (Integer i = 0; i < s.Drawing().Caches().ObjList->Count(); ++i)
        if (auto* obj = dynamic_cast<ZIvObj*>(s.Drawing().Caches().ObjList->Obj(i)->ClientData()))
            comments += obj->ObjType() == 25 ? 1 : 0;
    EXPECT_EQ(comments, 2);
}

TEST(SheetOperations, WorkbookWithMacrosKeepsItsSheets)
{
    std::vector<TRec> recs = Split(ReadStream(EmptyWorkbookTemplate(), u"Workbook"));
    recs.insert(recs.begin() + 1, {0x00D3, {}}); // OBPROJ
    TWorkbook book;
    Load(book, Join(recs));
    book.InsertSheets(-1, 1, 1);
    EXPECT_EQ(MessageOf([&] { book.DeleteSheets(0, 1); }),
              "Can't delete a sheet on a file containing macros");
    EXPECT_EQ(book.SheetCount(), 2);
    EXPECT_EQ(book.Globals().GetSheetCount(), 2);
}

// ---- Chart sheets ------------------------------------------------------------------------------

// A linked-data record whose formula is Sheet1!A(first + 1):A(last + 1) through EXTERNSHEET 0.
ByteArray AIRecordData(Word FirstRow, Word LastRow)
{
    ByteArray d = Bytes({1, 2, 0, 0, 0, 0, 11, 0, 0x3B, 0, 0});
    for (Word w : {FirstRow, LastRow, Word(0), Word(0)}) {
        d.push_back(static_cast<Byte>(w & 0xFF));
        d.push_back(static_cast<Byte>(w >> 8));
    }
    return d;
}

// The template with a chart sheet after its worksheet, holding a LABELSST. Nesting levels of BEGIN..END in
// the chart: Levels; the chart's EOF is followed by a CONTINUE.
ByteArray WithChart(Integer Levels = 2)
{
    std::vector<TRec> book = Split(ReadStream(EmptyWorkbookTemplate(), u"Workbook"));
    std::vector<TRec> out;
    size_t i = 0;
    for (; book[i].Id != 0x0085; ++i)
        out.push_back(book[i]);
    out.push_back(book[i++]); // BOUNDSHEET Sheet1
    out.push_back({0x0085, Bytes({0, 0, 0, 0, 0, 2, 6, 0, 'C', 'h', 'a', 'r', 't', '1'})}); // a chart
    out.push_back({0x01AE, Bytes({2, 0, 1, 4})});             // SUPBOOK, this workbook
    out.push_back({0x0017, Bytes({1, 0, 0, 0, 0, 0, 0, 0})}); // EXTERNSHEET: Sheet1
    for (; i < book.size(); ++i) {
        if (book[i].Id == 0x00FC) // SST: one string, "Q", for the chart's LABELSST
            book[i].Data = Bytes({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 'Q'});
        out.push_back(book[i]);
    }
    out.push_back({0x0809, Bytes({0, 6, 0x20, 0, 0x38, 0x13, 0xCD, 7, 0xC1, 0xC0, 0, 0, 6, 3, 0, 0})});
    out.push_back({0x0014, {}});                                     // HEADER
    out.push_back({0x00FD, Bytes({0, 0, 0, 0, 15, 0, 0, 0, 0, 0})}); // LABELSST: string 0
    out.push_back({0x1002, ByteArray(16, 0)});
    for (Integer l = 0; l < Levels; ++l) {
        out.push_back({0x1033, {}});
        out.push_back({0x1003, ByteArray(12, 0)});
    }
    out.push_back({0x1051, AIRecordData(0, 2)});
    for (Integer l = 0; l < Levels; ++l)
        out.push_back({0x1034, {}});
    out.push_back({0x000A, {}});
    out.push_back({0x003C, Bytes({1, 2})});
    return Join(out);
}

const TChartAIRecord& OnlyAI(TWorkbook& Book, Integer Sheet)
{
    auto& chart = dynamic_cast<TVovChart&>(Book.Sheets(Sheet));
    EXPECT_EQ(chart.ChartRecords().AIRecords().size(), 1u);
    return *chart.ChartRecords().AIRecords().at(0);
}

ByteArray DataOf(const TChartAIRecord& Rec)
{
    return ByteArray(Rec.Data().get(), Rec.Data() + Rec.DataSize());
}

TEST(ChartSheets, KeepTheirRecordsInOrderWithoutTheTrailingData)
{
    const ByteArray stream = WithChart();
    TWorkbook book;
    Load(book, stream);
    ASSERT_EQ(book.SheetCount(), 2);
    EXPECT_FALSE(book.IsWorksheet(1));
    auto& chart = dynamic_cast<TVovChart&>(book.Sheets(1));
    ASSERT_NE(chart.TrailingData(), nullptr);

    // Written back record for record, the CONTINUE after the EOF left out.
    const ByteArray saved = Save(book);
    std::vector<TRec> in = Split(stream), out = Split(saved);
    auto chartPart = [](const std::vector<TRec>& R) {
        size_t at = 0;
        for (Integer bofs = 0; at < R.size(); ++at)
            if (R[at].Id == 0x0809 && ++bofs == 3)
                break;
        std::vector<std::pair<Word, ByteArray>> part;
        for (; at < R.size() && R[at].Id != 0x003C; ++at)
            part.push_back({R[at].Id, R[at].Data});
        return part;
    };
    EXPECT_EQ(chartPart(out), chartPart(in));
    EXPECT_EQ(out.back().Id, 0x000A);

    // Both sheets are found where the directory says.
    TWorkbook again;
    Load(again, saved);
    EXPECT_EQ(again.SheetCount(), 2);
    EXPECT_EQ(Save(again), saved);

    // The chart's settings are reached in its own records.
    EXPECT_NE(chart.RecordCache().PageHeader, nullptr);
    chart.SetPageHeader(u"Chart");
    EXPECT_EQ(chart.GetPageHeader(), u"Chart");
}

TEST(ChartSheets, LinkedDataFollowsRowsAndSheets)
{
    TWorkbook book;
    Load(book, WithChart());
    // Two rows inserted above the series on the worksheet move it down.
    book.InsertAndCopyRowsAndCols(0, 5, 5, 0, 2, 0, 0, 0, 0, false);
    EXPECT_EQ(DataOf(OnlyAI(book, 1)), AIRecordData(2, 4));
    book.DeleteRowsAndCols(0, 0, 1, 0, 0);
    EXPECT_EQ(DataOf(OnlyAI(book, 1)), AIRecordData(1, 3));

    // A copy of the chart still shows the worksheet's data, and moves with it too.
    book.InsertSheets(1, 2, 1);
    ASSERT_EQ(book.SheetCount(), 3);
    EXPECT_EQ(DataOf(OnlyAI(book, 2)), AIRecordData(1, 3));
    book.DeleteRowsAndCols(0, 0, 1, 0, 0);
    EXPECT_EQ(DataOf(OnlyAI(book, 1)), AIRecordData(0, 2));
    EXPECT_EQ(DataOf(OnlyAI(book, 2)), AIRecordData(0, 2));
    // The AI index forgets what the list no longer holds.
    dynamic_cast<TVovChart&>(book.Sheets(2)).Clear();
    EXPECT_TRUE(dynamic_cast<TVovChart&>(book.Sheets(2)).ChartRecords().AIRecords().empty());
}

TEST(ChartSheets, DamagedChartsAreRefused)
{
    // Deeper than any chart nests: refused instead of read level by level without end.
    TWorkbook deep;
    EXPECT_EQ(MessageOf([&] { Load(deep, WithChart(TVovChart::MaxNesting + 1)); }),
              "Error reading Excel records. File invalid");
    TWorkbook fine;
    EXPECT_EQ(MessageOf([&] { Load(fine, WithChart(TVovChart::MaxNesting)); }), "(no error)");

    // A BOF inside the chart.
    std::vector<TRec> recs = Split(WithChart());
    for (size_t i = recs.size() - 1; i > 0; --i)
        if (recs[i].Id == 0x1033) {
            recs.insert(recs.begin() + static_cast<std::ptrdiff_t>(i), recs[0]);
            break;
        }
    TWorkbook withBof;
    EXPECT_EQ(MessageOf([&] { Load(withBof, Join(recs)); }), "Error reading Excel records. File invalid");

    // Linked data whose formula runs past its record.
    recs = Split(WithChart());
    for (TRec& r : recs)
        if (r.Id == 0x1051)
            r.Data[6] = 40;
    TWorkbook shortAI;
    EXPECT_EQ(MessageOf([&] { Load(shortAI, Join(recs)); }), "Record with ID 0x1051 is invalid");
}

} // namespace
