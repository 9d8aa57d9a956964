// Formula records and the token fix-ups for inserted, deleted and copied rows, columns and sheets.

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/XlsEncodeFormula.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsTokenArray.h"
#include "RudUvud/xlsadapter/tests/FormulaTestSupport.h"
#include "RudUvud/xlsadapter/tests/XlsTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using xlstest::TTestFormulaContext;

namespace {

// A FORMULA record in cell (Row, Col) of sheet 0 holding Text.
std::unique_ptr<TFormulaRecord> MakeFormula(const AnsiString& Text, Word Row, Word Col,
                                            TFormulaContext* Cells)
{
    TParseString ps(UTF8Decode(Text), Cells, fmValue);
    ps.Parse();
    auto rec = std::make_unique<TFormulaRecord>(xlr_FORMULA, static_cast<Word>(20 + ps.TotalSize()), Row, Col,
                                                15, TXlsVariant::FromNumber(0), false);
    ps.CopyToPtr(rec->Data(), 20);
    return rec;
}

AnsiString TextOf(const TFormulaRecord& Rec, TFormulaContext* Cells)
{
    return UTF8Encode(RPNToString(Rec.Data(), Rec.DataSize(), 22, Cells));
}

} // namespace

TEST(TokenFixups, FollowInsertedAndDeletedRowsAndColumns)
{
    TTestFormulaContext cells;
    const TSheetInfo sheet0{0, 0, [&](Word r) { return cells.Refs.GetSheet(r); }, {}, nullptr};
    const struct {
        const char* Before;
        Integer RowPos, RowCount, ColPos, ColCount;
        const char* After;
    } cases[] = {
        // Rows 5 to 7 deleted.
        {"=A6", 4, -3, 0, 0, "=#REF!"},
        {"=A10", 4, -3, 0, 0, "=A7"},
        {"=SUM(A3:A8)", 4, -3, 0, 0, "=SUM(A3:A5)"},
        {"=SUM(A5:A6)", 4, -3, 0, 0, "=SUM(#REF!)"},
        {"=SUM(A9:B12)", 4, -3, 0, 0, "=SUM(A6:B9)"},
        // Rows inserted: whole columns keep their last row; the last row itself falls off.
        {"=SUM(C:C)", 2, 5, 0, 0, "=SUM(C:C)"},
        {"=A65536", 100, 1, 0, 0, "=#REF!"},
        {"=$B$2+B3", 1, 2, 0, 0, "=$B$4+B5"},
        // Columns inserted and deleted; an area over deleted columns shrinks like one over rows.
        {"=B1+D1", 0, 0, 2, 1, "=B1+E1"},
        {"=C1", 0, 0, 1, -2, "=#REF!"},
        {"=SUM(A1:E1)", 0, 0, 1, -2, "=SUM(A1:C1)"},
        // Another sheet's cells do not move.
        {"=Sheet2!A10", 4, -3, 0, 0, "='Sheet2'!A10"},
        {"=Sheet1!A10", 4, -3, 0, 0, "='Sheet1'!A7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Before);
        auto rec = MakeFormula(c.Before, 0, 30, &cells);
        rec->ArrangeTokensInsertRowsAndCols(c.RowPos, c.RowCount, 0, c.ColPos, c.ColCount, 0, sheet0);
        EXPECT_EQ(TextOf(*rec, &cells), c.After);
    }
}

// The walk steps over the relative memory tokens (3 bytes each) and moves the references after them.
TEST(TokenFixups, StepOverRelativeMemoryTokens)
{
    TTestFormulaContext cells;
    const TSheetInfo sheet0{0, 0, [&](Word r) { return cells.Refs.GetSheet(r); }, {}, nullptr};
    for (Byte mem : {0x2E, 0x2F, 0x4E, 0x6F}) {
        SCOPED_TRACE(static_cast<int>(mem));
        // mem(size 5), A10 (tRef, row 9, column 0 relative)
        ByteArray t = {mem, 5, 0, 0x24, 9, 0, 0, 0xC0};
        UXlsTokenArray_ArrangeInsertRowsAndCols(t.data(), 0, static_cast<Integer>(t.size()), 4, 2, 0, 0, 0, 0,
                                                sheet0, false);
        EXPECT_EQ(GetWord(t.data(), 4), 11);
        EXPECT_EQ(FmTokenSize(t.data(), 0, static_cast<Integer>(t.size())), 3);
    }
}

TEST(TokenFixups, CopiesMoveOnlyRelativeReferences)
{
    TTestFormulaContext cells;
    auto rec = MakeFormula("=$A$1+A2+SUM(B$3:$C4)", 5, 5, &cells);
    rec->ArrangeCopyRowsAndCols(2, 1);
    EXPECT_EQ(TextOf(*rec, &cells), "=$A$1+B4+SUM(C$3:$C6)");
    EXPECT_EQ(rec->GetRow(), 7);
    EXPECT_EQ(rec->GetColumn(), 6);
    EXPECT_TRUE(rec->GetValue().IsEmpty() || rec->GetValue().VarType == xvNumber);

    auto up = MakeFormula("=A1", 5, 5, &cells);
    up->ArrangeCopyRowsAndCols(-1, 0);
    EXPECT_EQ(TextOf(*up, &cells), "=#REF!");
}

TEST(TokenFixups, ExpandsSharedFormulasForTheirCell)
{
    TTestFormulaContext cells;
    // SHRFMLA data: range, reserved, then an N reference one row up and one column right.
    ByteArray shared{0, 0, 20, 0, 0, 5, 0, 0, 5, 0, 0x4C, 0xFF, 0xFF, 1, 0xC0};
    ByteArray pointer(27, 0);
    SetWord(pointer.data(), 0, 10);
    SetWord(pointer.data(), 2, 2);
    SetWord(pointer.data(), 20, 5);
    pointer[22] = 0x01;
    SetWord(pointer.data(), 23, 10);
    SetWord(pointer.data(), 25, 2);
    TFormulaRecord rec(xlr_FORMULA, pointer);
    LongWord key = 0;
    ASSERT_TRUE(rec.IsExp(key));
    EXPECT_EQ(key, 10u + 65536u * 2);
    rec.MixShared(shared.data(), static_cast<Integer>(shared.size()));
    EXPECT_EQ(TextOf(rec, &cells), "=D10");

    EXPECT_THROW(rec.MixShared(shared.data(), 9), EExcelException);
}

TEST(TokenFixups, RefuseTokenArraysThatDoNotFit)
{
    ByteArray data(22, 0);
    SetWord(data.data(), 20, 4);
    EXPECT_THROW(TFormulaRecord(xlr_FORMULA, data), EExcelException);

    Byte tokens[] = {0x17, 200, 0, 'a'};
    const TSheetInfo info{0, 0, {}, {}, nullptr};
    EXPECT_THROW(UXlsTokenArray_ArrangeInsertRowsAndCols(tokens, 0, 4, 0, 1, 0, 0, 0, 0, info, true),
                 ETokenException);
    Byte attr[] = {0x19, 0x04, 0x10, 0x00};
    EXPECT_THROW(UXlsTokenArray_ArrangeInsertRowsAndCols(attr, 0, 4, 0, 1, 0, 0, 0, 0, info, true),
                 ETokenException);
}

TEST(FormulaRecords, KeepTheirCachedResults)
{
    ByteArray data(22, 0);
    SetWord(data.data(), 12, 0xFFFF);
    data[6] = 2;
    data[8] = 0x07;
    TFormulaRecord err(xlr_FORMULA, data);
    EXPECT_EQ(err.GetValue(), TXlsVariant::FromString(u"#DIV/0!"));
    EXPECT_TRUE(err.Data()[14] & 0x02);

    // A number result writes no STRING record even when its first byte is 0; a text result does,
    // split over CONTINUE records when long.
    TFormulaRecord num(xlr_FORMULA, 22, 0, 0, 15, TXlsVariant::FromNumber(0), false);
    EXPECT_EQ(num.SaveStringRecord(nullptr, true), 0);
    TFormulaRecord text(xlr_FORMULA, 22, 0, 0, 15, TXlsVariant::FromString(WideString(9000, u'x')), false);
    EXPECT_EQ(text.SaveStringRecord(nullptr, false), 3 + 9000 + 1);
    EXPECT_EQ(text.SaveStringRecord(nullptr, true), 3 + 9000 + 1 + 8);
    EXPECT_EQ(text.TotalSize(), 26 + 3 + 9000 + 1 + 8);

    auto copy = text.CopyTo();
    // A copy has no result yet: "no value" (kind 3), which readers show as an empty cell.
    EXPECT_TRUE(static_cast<TFormulaRecord*>(copy.get())->GetValue().IsEmpty());
    EXPECT_EQ(copy->Data()[6], 3);
    EXPECT_EQ(GetWord(copy->Data(), 12), 0xFFFF);
}

// A long 16-bit text result goes on in CONTINUE records, never cutting a surrogate pair.
TEST(FormulaRecords, LongTextResultsKeepSurrogatePairsWhole)
{
    for (size_t before : {4107u, 4108u, 8216u}) {
        SCOPED_TRACE(before);
        WideString text = WideString(before, u'\u4e2d') + u"\U0001F600" + WideString(5000, u'\u6587');
        TFormulaRecord rec(xlr_FORMULA, 22, 0, 0, 15, TXlsVariant::FromString(text), false);
        const ByteArray out = xlstest::WriteWorkbook([&](TOle2File& f) { rec.SaveToStream(f); });
        ASSERT_EQ(static_cast<Int64>(out.size()), rec.TotalSize());
        WideString back;
        size_t p = 26;
        for (bool firstPiece = true; p + 4 <= out.size(); firstPiece = false) {
            const Word size = GetWord(out.data(), static_cast<Integer>(p + 2));
            size_t at = p + 4 + (firstPiece ? 3 : 1);
            if (!firstPiece) {
                const Word head = GetWord(out.data(), static_cast<Integer>(at));
                EXPECT_FALSE(head >= 0xDC00 && head <= 0xDFFF);
            }
            for (; at + 1 < p + 4 + size; at += 2)
                back += static_cast<WideChar>(GetWord(out.data(), static_cast<Integer>(at)));
            p += 4 + size;
        }
        EXPECT_EQ(back, text);
    }
}

TEST(FormulaRecords, NamesReadTheirReferences)
{
    TTestFormulaContext cells;
    TXlsNamedRange range;
    range.RangeName = "Prizes";
    range.RefersTo = "=B2:C9";
    range.LocalSheet = 1;
    TNameRecord name(range, &cells, u"Sheet2");
    EXPECT_EQ(name.Name(), u"Prizes");
    EXPECT_EQ(name.RangeSheet(), 1);
    EXPECT_EQ(name.GetR1(), 1);
    EXPECT_EQ(name.GetR2(), 8);
    EXPECT_EQ(name.GetC1(), 1);
    EXPECT_EQ(name.GetC2(), 2);
    EXPECT_EQ(name.RefersToSheet([&](Word r) { return cells.Refs.GetSheet(r); }), 1);

    range.RefersTo = "=A5";
    TNameRecord single(range, &cells, u"Sheet2");
    single.SetR2(7);
    EXPECT_EQ(single.GetR1(), 4);
    EXPECT_EQ(single.GetR2(), 7);
    EXPECT_EQ(single.TokenSize(), 11);

    TNameRecord reread(xlr_NAME, ByteArray(single.Data().get(), single.Data() + single.DataSize()));
    EXPECT_EQ(reread.Name(), u"Prizes");
    ByteArray cut(single.Data().get(), single.Data() + single.DataSize() - 1);
    EXPECT_THROW(TNameRecord(xlr_NAME, cut), EExcelException);
}

TEST(References, KeepTheExternSheetTable)
{
    TTestFormulaContext cells({"Sheet1", "Sheet2", "Sheet3", "Sheet4", "Sheet5", "Sheet6"});
    TReferences& refs = cells.Refs;
    EXPECT_EQ(refs.TotalSize(), 0);
    const Word a = refs.AddSheet(6, 2, 2);
    EXPECT_EQ(refs.SetSheet(2), a);
    EXPECT_EQ(refs.GetSheet(a), 2);
    const Word range = refs.AddSheet(6, 3, 5);
    EXPECT_EQ(UTF8Encode(refs.GetSheetName(range, cells.Globals())), "'Sheet4:Sheet6'!");

    const Word five = refs.SetSheet(5);
    refs.InsertSheets(2, -2);
    EXPECT_EQ(refs.ExternRefs().Items(a).FirstSheet, 0xFFFF);
    EXPECT_EQ(refs.ExternRefs().Items(five).FirstSheet, 3);

    TReferences many;
    for (Integer i = 0; i < 1371; ++i)
        many.AddSheet(2000, i, i);
    EXPECT_EQ(many.ExternRefs().TotalSize(), 8236);
}

TEST(References, ReadPathsOfOtherWorkbooks)
{
    // An encoded path: drive D, "dir", a separator, "Book.xls"; one sheet "Data".
    const AnsiString path = AnsiString("\x01\x01") + "Ddir\x03" + "Book.xls";
    ByteArray data{1, 0};
    data.push_back(static_cast<Byte>(path.size()));
    data.push_back(0);
    data.push_back(0);
    data.insert(data.end(), path.begin(), path.end());
    for (Byte b : ByteArray{4, 0, 0, 'D', 'a', 't', 'a'})
        data.push_back(b);
    auto book = std::make_unique<TSupBookRecord>(xlr_SUPBOOK, data);
    EXPECT_EQ(UTF8Encode(book->BookName()), "D:\\dir\\Book.xls");

    TTestFormulaContext cells;
    cells.Refs.AddSheet(4, 0, 0);
    cells.Refs.AddSupBook(std::move(book));
    TExternRefList& list = const_cast<TExternRefList&>(cells.Refs.ExternRefs());
    const Integer ref = list.Add({1, 0, 0});
    EXPECT_EQ(UTF8Encode(cells.Refs.GetSheetName(ref, cells.Globals())), "'D:\\dir\\[Book.xls]Data'!");

    // A sheet name that runs past the record is not read.
    data.resize(data.size() - 2);
    TSupBookRecord cut(xlr_SUPBOOK, data);
    EXPECT_EQ(cut.SheetName(0, cells.Globals()), u"");
}

// What a record writes and what it counts agree byte for byte: the sheet offsets depend on it.
TEST(FormulaRecords, WriteWhatTheyCount)
{
    TFormulaRecord text(xlr_FORMULA, 22, 3, 4, 15, TXlsVariant::FromString(WideString(9000, u'x')), false);
    text.SetArrayRecord(std::make_unique<TArrayRecord>(xlr_ARRAY, ByteArray(14, 0)));
    const ByteArray out = xlstest::WriteWorkbook([&](TOle2File& f) { text.SaveToStream(f); });
    ASSERT_EQ(static_cast<Int64>(out.size()), text.TotalSize());
    const Integer headers[][2] = {
        {0, xlr_FORMULA}, {26, xlr_ARRAY}, {44, xlr_STRING}, {44 + 4 + 8219, xlr_CONTINUE}};
    for (const auto& h : headers)
        EXPECT_EQ(GetWord(out.data(), h[0]), h[1]) << h[0];
    EXPECT_EQ(GetWord(out.data(), 46), 8219);
    EXPECT_EQ(GetWord(out.data(), 44 + 4 + 8219 + 2), 9003 - 8219 + 1);
    EXPECT_EQ(out[44 + 4 + 8219 + 4], 0); // the string's option byte starts the CONTINUE

    TReferences refs;
    for (Integer i = 0; i < 1371; ++i)
        refs.AddSheet(2000, i, i);
    const ByteArray ext = xlstest::WriteWorkbook([&](TOle2File& f) { refs.SaveToStream(f); });
    ASSERT_EQ(static_cast<Int64>(ext.size()), refs.TotalSize());
    const Integer sheetTable = static_cast<Integer>(ext.size()) - 8236;
    EXPECT_EQ(GetWord(ext.data(), sheetTable), xlr_EXTERNSHEET);
    EXPECT_EQ(GetWord(ext.data(), sheetTable + 2), 8222);
    EXPECT_EQ(GetWord(ext.data(), sheetTable + 4), 1371);
    EXPECT_EQ(GetWord(ext.data(), sheetTable + 4 + 8222), xlr_CONTINUE);
    EXPECT_EQ(GetWord(ext.data(), sheetTable + 4 + 8222 + 2), 6);

    // And the table reads back the same entries.
    TReferences back;
    TExternSheetRecord first(xlr_EXTERNSHEET,
                             ByteArray(ext.begin() + sheetTable + 4, ext.begin() + sheetTable + 4 + 8222));
    first.AddContinue(std::make_unique<TContinueRecord>(xlr_CONTINUE, ByteArray(ext.end() - 6, ext.end())));
    back.AddExternRef(first);
    ASSERT_EQ(back.ExternRefs().Count(), 1371);
    EXPECT_EQ(back.ExternRefs().Items(1370).FirstSheet, 1370);
}

TEST(TokenFixups, FollowACopiedSheet)
{
    TTestFormulaContext cells;
    // Names: a workbook name "Total" and a local name "Total" on sheet 2.
    for (const auto& [sheet, refersTo] :
         {std::pair<Integer, const char*>{-1, "=Sheet1!A1"}, {2, "=Sheet3!B2"}}) {
        TXlsNamedRange r;
        r.RangeName = "Total";
        r.RefersTo = refersTo;
        r.LocalSheet = sheet;
        cells.Names.Add(std::make_unique<TNameRecord>(r, &cells, sheet < 0 ? u"Sheet1" : u"Sheet3"));
    }
    // Tokens of a formula on sheet 0: a 3-D reference to sheet 0 and the workbook name.
    auto rec = MakeFormula("=Sheet1!C3+Sheet2!C3", 0, 0, &cells);
    ByteArray tokens(rec->Data() + 22, rec->Data() + 22 + rec->TokenSize());
    tokens.insert(tokens.end(), {0x43, 1, 0, 0, 0, 0x03});
    const TSheetInfo info{2, 0, [&](Word r) { return cells.Refs.GetSheet(r); },
                          [&](Integer s) { return cells.Refs.SetSheet(s); }, &cells.Names};
    UXlsTokenArray_ArrangeInsertSheets(tokens.data(), 0, static_cast<Integer>(tokens.size()), info);
    EXPECT_EQ(cells.Refs.GetSheet(GetWord(tokens.data(), 1)), 2); // moved to the copy
    EXPECT_EQ(cells.Refs.GetSheet(GetWord(tokens.data(), 8)), 1); // another sheet stays
    EXPECT_EQ(GetWord(tokens.data(), 16), 2);                     // the copy's local name

    // Deleting sheet 2 drops its local name and moves later names' sheets.
    cells.Names.DeleteSheets(2, 1);
    ASSERT_EQ(cells.Names.Count(), 1);
    EXPECT_EQ(cells.Names.Items(0)->RangeSheet(), -1);
}

TEST(FormulaRecords, TheFactoryKnowsTheirIds)
{
    for (Word id : {xlr_FORMULA, xlr_NAME, xlr_SHRFMLA, xlr_TABLE, xlr_ARRAY, xlr_SUPBOOK, xlr_EXTERNNAME,
                    xlr_EXTERNNAME2, xlr_EXTERNSHEET})
        EXPECT_NE(FormulaRecordCreator(id), nullptr) << id;
    EXPECT_EQ(FormulaRecordCreator(0x0203), nullptr);
    auto rec = FormulaRecordCreator(xlr_TABLE)(xlr_TABLE, ByteArray(16, 0));
    EXPECT_NE(dynamic_cast<TTableRecord*>(rec.get()), nullptr);
    EXPECT_EQ(GetWord(rec->Data(), 6), 3);
}

// Records that follow a record and belong to it are kept whole through load, copy and save: a
// long array formula's ARRAY runs on in CONTINUE records, and a hyperlink's tooltip (QUICKTIP)
// follows its HLINK, which takes it in.
TEST(FormulaRecords, FollowOnRecordsSurviveLoadCopyAndSave)
{
    TFormulaRecord formula(xlr_FORMULA, 22, 2, 3, 15, TXlsVariant::FromNumber(1), false);
    ByteArray array(xlr_BIFF8MaxData, 0);
    SetWord(array.data(), 12, 8); // a tArray token; its constants fill the rest and run on
    array[14] = 0x60;
    for (size_t i = 22; i < array.size(); ++i)
        array[i] = static_cast<Byte>(i * 7);
    ByteArray more(300);
    for (size_t i = 0; i < more.size(); ++i)
        more[i] = static_cast<Byte>(i + 1);
    ByteArray hlink(40, 0x11), tip = xlstest::Bytes({0x00, 0x08, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                                     0x11, 'h', 0, 'i', 0, 0, 0});
    ByteArray in;
    xlstest::PutRecord(in, xlr_FORMULA, ByteArray(formula.Data().get(), formula.Data() + formula.DataSize()));
    xlstest::PutRecord(in, xlr_ARRAY, array);
    xlstest::PutRecord(in, xlr_CONTINUE, more);
    xlstest::PutRecord(in, 0x01B8, hlink);
    xlstest::PutRecord(in, 0x0800, tip);
    xlstest::BiffStream s(in);
    std::vector<std::unique_ptr<TBaseRecord>> recs = s.LoadAll();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[1]->Id(), 0x01B8);
    std::unique_ptr<TBaseRecord> copy = recs[0]->CopyTo();
    for (TBaseRecord* f : {recs[0].get(), copy.get()}) {
        const ByteArray out = xlstest::WriteWorkbook([&](TOle2File& w) {
            f->SaveToStream(w);
            recs[1]->SaveToStream(w);
        });
        EXPECT_EQ(static_cast<Int64>(out.size()), f->TotalSize() + 44 + 20);
        // Everything after the FORMULA record comes out byte for byte as it went in.
        const size_t formulaEnd = 4 + formula.DataSize();
        ASSERT_EQ(out.size(), in.size());
        EXPECT_TRUE(std::equal(out.begin() + formulaEnd, out.end(), in.begin() + formulaEnd));
    }
}

// Records that change size where they stand (new references, texts, printer data, names,
// attached and CONTINUE records) keep the running total of their list in step, and a save checks
// that the total predicted what was written: sheet offsets are placed from these totals.
TEST(RecordLists, RecordsResizedInPlaceKeepTheTotalInStep)
{
    TTestFormulaContext cells;
    TXlsNamedRange range;
    range.RangeName = "Prizes";
    range.RefersTo = "=A5";
    range.LocalSheet = 1;
    TBaseRecordList list;
    auto add = [&](auto rec) {
        auto* raw = rec.get();
        list.Add(std::move(rec));
        return raw;
    };
    auto* name = add(std::make_unique<TNameRecord>(range, &cells, u"Sheet2"));
    auto* code = add(std::make_unique<TCodeNameRecord>(u"Sheet1"));
    auto* header = add(std::make_unique<TPageHeaderFooterRecord>(0x0014, ByteArray{}));
    auto* pls = add(std::make_unique<TPlsRecord>(TPrinterDriverSettings{1, ByteArray(20, 3)}));
    auto* sheet = add(std::make_unique<TBoundSheetRecord>(0, u"S"));
    auto* formula = add(MakeFormula("=1+A1", 0, 0, &cells));
    auto* plain = add(std::make_unique<TBaseRecord>(0x0099, ByteArray(3, 1)));
    auto* book = add(std::make_unique<TSupBookRecord>(xlr_SUPBOOK, ByteArray{1, 0, 1, 4}));
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"name reference setter", [&] { name->SetR2(7); }},
        {"code name", [&] { code->SetSheetName(u"A much longer code name"); }},
        {"page header", [&] { header->SetText(u"&CPrize draw"); }},
        {"printer data",
         [&] {
             pls->SetPrinterDriverSettings({1, ByteArray(300, 7)});
         }},
        {"sheet name", [&] { sheet->SetSheetName(u"Prizes of the year"); }},
        {"attached array",
         [&] { formula->SetArrayRecord(std::make_unique<TArrayRecord>(xlr_ARRAY, ByteArray(14, 0))); }},
        {"CONTINUE",
         [&] { plain->AddContinue(std::make_unique<TContinueRecord>(xlr_CONTINUE, ByteArray(9, 2))); }},
        {"external name",
         [&] {
             book->AddExternName(
                 std::make_unique<TExternNameRecord>(0x0023, ByteArray{0, 0, 0, 0, 0, 0, 1, 0, 'f'}));
         }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.first);
        const Int64 before = list.GetTotalSize();
        c.second();
        EXPECT_NE(list.GetTotalSize(), before);
        EXPECT_EQ(list.GetTotalSize(), list.ComputedTotalSize());
    }
    const ByteArray out = xlstest::WriteWorkbook([&](TOle2File& f) { list.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), list.GetTotalSize());
    // A record taken out of the list no longer moves its total.
    std::unique_ptr<TBaseRecord> taken = list.Extract(1);
    const Int64 total = list.GetTotalSize();
    static_cast<TCodeNameRecord&>(*taken).SetSheetName(u"x");
    EXPECT_EQ(list.GetTotalSize(), total);
    EXPECT_EQ(list.GetTotalSize(), list.ComputedTotalSize());
}

TEST(RecordLists, SavingWhatTheTotalDidNotPredictIsALogicalError)
{
    // A record whose size changes behind the list's back.
    struct TResizedUnseen : TBaseRecord {
        using TBaseRecord::TBaseRecord;
        void Grow() { FData.resize(FData.size() + 5); }
    };
    TBaseRecordList list;
    auto rec = std::make_unique<TResizedUnseen>(0x0099, ByteArray(3, 1));
    TResizedUnseen* raw = rec.get();
    list.Add(std::move(rec));
    raw->Grow();
    try {
        xlstest::WriteWorkbook([&](TOle2File& f) { list.SaveToStream(f); });
        ADD_FAILURE() << "saved";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Tabrix: Logical Error");
    }
}
