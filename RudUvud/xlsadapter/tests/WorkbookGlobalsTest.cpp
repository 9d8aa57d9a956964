#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsStyles.h"
#include "RudUvud/xlsadapter/XlsWorkbookGlobals.h"
#include "platform/rtl/Strings.h"

#include "FormulaTestSupport.h"
#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace xlstest;

namespace {

constexpr Word BOF = 0x0809, WINDOW1 = 0x003D, COUNTRY = 0x008C, FONT = 0x0031, XF = 0x00E0, STYLE = 0x0293,
               BOUNDSHEET = 0x0085, TEMPLATE = 0x0060, OBPROJ = 0x00D3, PRECISION [[maybe_unused]] = 0x000E,
               CODENAME = 0x01BA;

ByteArray Words(std::initializer_list<int> W)
{
    ByteArray b;
    for (int w : W) {
        b.push_back(static_cast<Byte>(w));
        b.push_back(static_cast<Byte>(w >> 8));
    }
    return b;
}

ByteArray BoundSheet(const char* Name)
{
    ByteArray d = Words({0, 0, 0});
    d.push_back(static_cast<Byte>(strlen(Name)));
    d.push_back(0);
    d.insert(d.end(), Name, Name + strlen(Name));
    return d;
}

ByteArray CodeName(const char* Name)
{
    ByteArray d = Words({static_cast<int>(strlen(Name))});
    d.push_back(0);
    d.insert(d.end(), Name, Name + strlen(Name));
    return d;
}

struct TGlobalsFixture {
    TWorkbookGlobals Globals;
    explicit TGlobalsFixture(const std::vector<TRec>& Records)
    {
        ByteArray s;
        PutRecord(s, BOF, Words({0x0600, 0x0005, 0x1338, 0x07CD, 0xC0C1, 0, 0x0306, 0}));
        for (const TRec& r : Records)
            PutRecord(s, r.Id, r.Data);
        PutRecord(s, xlr_EOF, {});
        BiffStream bs(s);
        TRecordHeader h;
        ReadRecordHeader(*bs.File, h);
        std::unique_ptr<TBaseRecord> bof = LoadRecords(*bs.File, h);
        Globals.LoadFromStream(*bs.File, h,
                               std::unique_ptr<TBOFRecord>(static_cast<TBOFRecord*>(bof.release())), nullptr);
    }
    // The ids of the saved section, in order.
    std::vector<Word> SavedIds()
    {
        ByteArray b = WriteWorkbook([&](TOle2File& f) { Globals.SaveToStream(f); });
        EXPECT_EQ(static_cast<Int64>(b.size()), Globals.TotalSize());
        std::vector<Word> ids;
        for (size_t at = 0; at + 4 <= b.size(); at += 4 + GetWord(b.data(), static_cast<Integer>(at) + 2))
            ids.push_back(GetWord(b.data(), static_cast<Integer>(at)));
        return ids;
    }
    std::vector<std::string> Names()
    {
        std::vector<std::string> n;
        for (Integer i = 0; i < Globals.GetSheetCount(); ++i)
            n.push_back(UTF8Encode(Globals.GetSheetName(i)));
        return n;
    }
};

std::string Message(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const EExcelException& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(WorkbookGlobals, SavedInTheFixedOrderWithStyleListsInPlace)
{
    TGlobalsFixture f({{TEMPLATE, {}},
                       {WINDOW1, Words({360, 240, 14940, 9150, 0x38, 0, 0, 1, 600})},
                       {COUNTRY, Words({1, 886})},
                       {FONT, ByteArray(20, 0)},
                       {FONT, ByteArray(20, 0)},
                       {XF, ByteArray(20, 0)},
                       {STYLE, Words({0x8000, 0xFF00})},
                       {BOUNDSHEET, BoundSheet("Sheet1")},
                       {CODENAME, CodeName("ThisWorkbook")},
                       {BOUNDSHEET, BoundSheet("Prizes")}});
    TWorkbookGlobals& g = f.Globals;
    EXPECT_TRUE(g.IsXltTemplate());
    EXPECT_EQ(g.CodeName(), u"ThisWorkbook");
    EXPECT_EQ(g.GetSheetCount(), 2);
    EXPECT_EQ(g.FontList().Count(), 2);
    EXPECT_EQ(g.PaletteIndex(), 4); // before STYLE: after WINDOW1, COUNTRY and the two list places
    // A TEMPLATE read is written again, fresh, right after BOF; BOUNDSHEETs follow the other
    // records, the shared strings come last.
    EXPECT_EQ(f.SavedIds(), (std::vector<Word>{BOF, TEMPLATE, WINDOW1, COUNTRY, FONT, FONT, XF, STYLE,
                                               CODENAME, BOUNDSHEET, BOUNDSHEET, 0x00FC, 0x00FF, xlr_EOF}));
    EXPECT_EQ(Message([&] { g.TotalRangeSize(2, {}); }),
              "Sheet number \"2\" invalid. Must be between 0 and 1");
    ByteArray one = WriteWorkbook([&](TOle2File& file) { g.SaveRangeToStream(file, 1, {}); });
    EXPECT_EQ(static_cast<Int64>(one.size()), g.TotalRangeSize(1, {}));

    // Settings whose records the workbook lacks read as the defaults and cannot be set.
    EXPECT_FALSE(g.GetIs1904());
    g.SetIs1904(true);
    EXPECT_FALSE(g.GetIs1904());
    g.SetActiveSheet(1);
    EXPECT_EQ(g.GetActiveSheet(), 1);
}

TEST(WorkbookGlobals, SheetsInsertedDeletedAndRenamed)
{
    TGlobalsFixture f({{BOUNDSHEET, BoundSheet("Sheet1")}});
    TWorkbookGlobals& g = f.Globals;
    g.InsertSheets(-1, 0, 0, u"Sheet", 2);
    EXPECT_EQ(f.Names(), (std::vector<std::string>{"Sheet2", "Sheet", "Sheet1"}));
    g.SetSheetName(0, u"Prize:list*");
    EXPECT_EQ(g.GetSheetName(0), u"Prize.list_");
    EXPECT_EQ(Message([&] { g.SetSheetName(1, u"SHEET1"); }), "Sheet name already exists: SHEET1");
    EXPECT_EQ(Message([&] { g.SetSheetName(1, u""); }), "Invalid sheet: ");
    g.SetSheetName(2, u"SHEET1"); // its own name in other case
    EXPECT_EQ(f.Names(), (std::vector<std::string>{"Prize.list_", "Sheet", "SHEET1"}));
    g.DeleteSheets(0, 2);
    EXPECT_EQ(f.Names(), (std::vector<std::string>{"SHEET1"}));
    g.InsertSheets(-1, 1, 0, u"Prize.list_", 1);
    EXPECT_EQ(f.Names(), (std::vector<std::string>{"SHEET1", "Prize.list_"}));
    f.SavedIds();

    // A second sheet whose name differs only in case is refused while loading.
    EXPECT_THROW(TGlobalsFixture({{BOUNDSHEET, BoundSheet("Sheet1")}, {BOUNDSHEET, BoundSheet("SHEET1")}}),
                 EExcelException);

    TGlobalsFixture macros(
        {{OBPROJ, {}}, {BOUNDSHEET, BoundSheet("Sheet1")}, {BOUNDSHEET, BoundSheet("Sheet2")}});
    EXPECT_TRUE(macros.Globals.HasMacro());
    EXPECT_EQ(Message([&] { macros.Globals.DeleteSheets(0, 1); }),
              "Can't delete a sheet on a file containing macros");
    EXPECT_EQ(macros.Globals.GetSheetCount(), 2);
}

TEST(WorkbookGlobals, DefinedNameRules)
{
    const struct {
        const char16_t* Name;
        bool Valid;
    } cases[] = {{u"R", false},   {u"r", false},   {u"C", true},     {u"D", true},      {u"A1B", true},
                 {u"ABC1", true}, {u"_x", true},   {u"A1", false},   {u"AB12", false},  {u"A.B", false},
                 {u"1A", false},  {u"a b", false}, {u"Prize", true}, {u"\u734e", true}, {u"x\u00b5", true},
                 {u"", false},    {u"?x", false},  {u"\\x", true}};
    for (const auto& c : cases) {
        LongWord flags = 0;
        EXPECT_EQ(TWorkbookGlobals::IsValidRangeName(c.Name, flags), c.Valid) << UTF8Encode(c.Name);
        EXPECT_EQ(flags, 0u) << UTF8Encode(c.Name);
    }
    LongWord flags = 1;
    EXPECT_TRUE(TWorkbookGlobals::IsValidRangeName(WideString(1, u'\r'), flags));
    EXPECT_EQ(flags, 0x21u);
    EXPECT_FALSE(TWorkbookGlobals::IsValidRangeName(WideString(255, u'a'), flags));
}

TEST(WorkbookGlobals, NamesAddedReplacedAndBuiltInNamesDropTheCountry)
{
    TGlobalsFixture f({{COUNTRY, Words({1, 886})}, {BOUNDSHEET, BoundSheet("Sheet1")}});
    TWorkbookGlobals& g = f.Globals;
    TTestFormulaContext cells({"Sheet1"});
    TXlsNamedRange prize{"Prizes", "=Sheet1!$A$1:$B$4", 0, -1};
    g.AddName(prize, &cells);
    ASSERT_NE(g.GetName(-1, u"PRIZES"), nullptr);
    EXPECT_EQ(g.GetName(0, u"Prizes"), nullptr);

    // An equal name of the same sheet, case aside, is replaced in place even when it would not
    // be accepted as a new name.
    TXlsNamedRange bad{"A1", "=Sheet1!$C$1", 0, -1};
    EXPECT_EQ(Message([&] { g.AddName(bad, &cells); }), "Invalid named range: \"A1\"");
    TXlsNamedRange again{"PRIZES", "=Sheet1!$C$1", 0, -1};
    g.AddName(again, &cells);
    EXPECT_EQ(g.Names().Count(), 1);
    EXPECT_EQ(g.Names().Items(0)->Name(), u"PRIZES");

    // The filter database name is built in: the workbook's COUNTRY record goes.
    TXlsNamedRange filter{"\r", "=Sheet1!$A$1:$D$1", 0x0001, 0};
    g.AddName(filter, &cells);
    EXPECT_EQ(filter.NameOptions, 0x21u);
    EXPECT_NE(g.GetName(0, WideString(1, u'\r')), nullptr);
    EXPECT_EQ(f.SavedIds(), (std::vector<Word>{BOF, BOUNDSHEET, 0x0018, 0x0018, 0x00FC, 0x00FF, xlr_EOF}));
}

TEST(WorkbookGlobals, FirstColourSetMakesAPaletteBeforeTheLastStyle)
{
    TGlobalsFixture f({{FONT, ByteArray(20, 0)},
                       {XF, ByteArray(20, 0)},
                       {XF, ByteArray(20, 0)},
                       {STYLE, Words({0x8000, 0xFF00})},
                       {STYLE, Words({0x8001, 0xFF00})},
                       {BOUNDSHEET, BoundSheet("Sheet1")}});
    TWorkbookGlobals& g = f.Globals;
    EXPECT_EQ(g.Palette(), nullptr);
    EXPECT_EQ(g.GetColorPalette(0), StandardPalette(0));
    EXPECT_EQ(g.GetColorPalette(55), StandardPalette(55));
    EXPECT_THROW(g.SetColorPalette(56, 0), EExcelException);
    EXPECT_EQ(g.Palette(), nullptr);

    g.SetColorPalette(3, 0x00563412);
    EXPECT_EQ(g.GetColorPalette(3), 0x00563412u);
    EXPECT_EQ(g.GetColorPalette(4), StandardPalette(4));
    EXPECT_EQ(f.SavedIds(), (std::vector<Word>{BOF, FONT, XF, XF, STYLE, 0x0092, STYLE, BOUNDSHEET, 0x00FC,
                                               0x00FF, xlr_EOF}));
    g.SetColorPalette(4, 0x00010203);
    EXPECT_EQ(g.OtherRecords().Count(), 5); // the list places, the two STYLEs and one PALETTE
}
