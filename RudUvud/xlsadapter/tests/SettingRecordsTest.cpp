#include "RudUvud/xlsadapter/SettingRecords.h"
#include "RudUvud/xlsadapter/OtherRecords.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

template <class T> std::unique_ptr<T> Make(Word Id, const ByteArray& Data)
{
    auto r = CreateRecordById(Id, Data);
    T* t = dynamic_cast<T*>(r.get());
    EXPECT_NE(t, nullptr) << Id;
    r.release();
    return std::unique_ptr<T>(t);
}

ByteArray Saved(TBaseRecord& R)
{
    return WriteWorkbook([&](TOle2File& f) { R.SaveToStream(f); });
}

ByteArray Words(std::initializer_list<int> W)
{
    ByteArray b;
    for (int w : W) {
        b.push_back(static_cast<Byte>(w));
        b.push_back(static_cast<Byte>(w >> 8));
    }
    return b;
}

} // namespace

TEST(StructureRecords, GutsLevelsGiveTheGutterAndCount)
{
    const struct {
        int Level;
        Word Gutter, Count;
    } cases[] = {{-1, 0, 0}, {0, 0, 0}, {1, 41, 2}, {3, 65, 4}, {7, 113, 8}, {10, 113, 8}};
    auto guts = Make<TGutsRecord>(0x0080, ByteArray(8, 0));
    for (const auto& c : cases) {
        guts->SetRowLevel(c.Level);
        guts->SetColLevel(c.Level);
        EXPECT_EQ(GetWord(guts->Data(), 0), c.Gutter) << c.Level;
        EXPECT_EQ(guts->GetRowLevel(), c.Count) << c.Level;
        EXPECT_EQ(GetWord(guts->Data(), 2), c.Gutter) << c.Level;
        EXPECT_EQ(guts->GetColLevel(), c.Count) << c.Level;
    }
    guts->RecalcNeeded = true;
    EXPECT_TRUE(static_cast<TGutsRecord&>(*guts->CopyTo()).RecalcNeeded);
}

TEST(StructureRecords, PaneKeepsOnlyAnActivePaneThatExists)
{
    const struct {
        int Active, ColSplit, RowSplit, Expected;
    } cases[] = {{0, 3, 5, 0}, {0, 3, 0, 1}, {0, 0, 5, 2}, {0, 0, 0, 3}, {1, 3, 0, 1},
                 {1, 0, 5, 3}, {2, 0, 5, 2}, {2, 3, 0, 3}, {3, 0, 0, 3}, {7, 0, 0, 7}};
    for (const auto& c : cases) {
        auto pane = Make<TPaneRecord>(0x0041, Words({c.ColSplit, c.RowSplit, 0, 0, c.Active}));
        pane->EnsureSelectedVisible();
        EXPECT_EQ(pane->Get_ActivePane(), c.Expected) << c.Active << " " << c.ColSplit << " " << c.RowSplit;
    }
}

TEST(StructureRecords, BoundSheetRenameKeepsPositionAndOptions)
{
    TBoundSheetRecord fresh(0x0100, u"Sheet1");
    EXPECT_EQ(fresh.GetOffset(), 0u);
    EXPECT_EQ(fresh.GetSheetName(), u"Sheet1");
    EXPECT_EQ(fresh.TotalSize(), 4 + 6 + 2 + 6);
    fresh.SetOffset(1234);
    fresh.SetSheetName(u"\u734e\u54c1 list");
    EXPECT_EQ(fresh.GetOffset(), 1234u);
    EXPECT_EQ(fresh.GetOptionFlags(), 0x0100);
    EXPECT_EQ(fresh.GetSheetName(), u"\u734e\u54c1 list");
    EXPECT_EQ(fresh.TotalSize(), 4 + 6 + 2 + 2 * 7);
    // And it reads back through the factory.
    auto again =
        Make<TBoundSheetRecord>(0x0085, ByteArray(fresh.Data().get(), fresh.Data() + fresh.DataSize()));
    EXPECT_EQ(again->GetSheetName(), u"\u734e\u54c1 list");
}

TEST(StructureRecords, SmallRecordsKeepTheirFields)
{
    TTXORecord txo;
    EXPECT_EQ(txo.DataSize(), 18);
    EXPECT_EQ(GetWord(txo.Data(), 0), 0x0212);

    auto obj = Make<TObjRecord>(0x005D, Words({0x15, 0x12, 0x19, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(obj->FirstSubRecordType(), 0x15);
    EXPECT_EQ(obj->ObjType(), 0x19);
    auto emptyObj = Make<TObjRecord>(0x005D, {});
    EXPECT_EQ(emptyObj->ObjType(), 0);

    TCodeNameRecord code(u"ThisWorkbook");
    EXPECT_EQ(code.GetSheetName(), u"ThisWorkbook");
    code.SetSheetName(u"Blad1");
    EXPECT_EQ(code.DataSize(), 3 + 5);

    EXPECT_EQ(TTemplateRecord::GetSize(true), 4);
    EXPECT_EQ(TTemplateRecord::GetSize(false), 0);
    EXPECT_EQ(WriteWorkbook([](TOle2File& f) { TTemplateRecord::SaveNewRecord(f); }), Bytes({0x60, 0, 0, 0}));

    auto sst = Make<TSSTRecord>(0x00FC, Bytes({9, 0, 0, 0, 7, 0, 0, 0}));
    EXPECT_EQ(sst->UniqueCount(), 7u);
}

TEST(SettingRecords, RowRecordsReadTheirFormatAndOptions)
{
    TRowRecord fresh(7);
    EXPECT_EQ(ByteArray(fresh.Data().get(), fresh.Data() + 16), Words({7, 0, 0, 255, 0, 0, 0x100, 15}));
    EXPECT_FALSE(fresh.IsModified());
    EXPECT_EQ(fresh.GetXF(), 15);

    auto row = Make<TRowRecord>(0x0208, Words({3, 1, 5, 300, 0x1234, 0, 0x0100, 22}));
    EXPECT_EQ(GetWord(row->Data(), 8), 0); // cleared when built from data
    EXPECT_EQ(row->GetXF(), 15);           // not formatted: the XF word does not count
    row->SetXF(22);
    EXPECT_EQ(row->GetOptions(), 0x0180);
    EXPECT_EQ(row->GetXF(), 22);
    EXPECT_TRUE(row->IsModified());
    row->Hide(true);
    row->ManualHeight();
    EXPECT_TRUE(row->IsHidden());
    EXPECT_FALSE(row->IsAutoHeight());
    row->SetRowOutlineLevel(9);
    EXPECT_EQ(row->GetOptions() & 7, 1);

    // Written with its columns clamped to the range, then restored.
    ByteArray out = WriteWorkbook([&](TOle2File& f) { row->SaveRangeToStream(f, 2, 3); });
    EXPECT_EQ(GetWord(out.data(), 4 + 2), 2);
    EXPECT_EQ(GetWord(out.data(), 4 + 4), 4);
    EXPECT_EQ(row->GetMinCol(), 1);
    EXPECT_EQ(row->GetMaxCol(), 5);
}

TEST(SettingRecords, WindowAndZoomRecordsClampTheirValues)
{
    auto w2 = Make<TWindow2Record>(0x023E, Words({0x06B6, 0, 0, 64, 0, 0, 0, 0, 0}));
    w2->SetSheetZoom(5);
    EXPECT_EQ(w2->GetSheetZoom(), 10);
    w2->SetSheetZoom(1000);
    EXPECT_EQ(w2->GetSheetZoom(), 400);
    EXPECT_TRUE(w2->GetSelected());
    EXPECT_FALSE(static_cast<TWindow2Record&>(*w2->CopyTo()).GetSelected());
    w2->SetShowGridLines(false);
    EXPECT_EQ(w2->Options(), 0x06B4);
    // A chart sheet's 10-byte window has no zoom.
    auto chartWindow = Make<TWindow2Record>(0x023E, ByteArray(10, 0));
    chartWindow->SetSheetZoom(200);
    EXPECT_EQ(chartWindow->GetSheetZoom(), 0);

    const struct {
        int Num, Den, Zoom;
    } scl[] = {{3, 4, 75}, {1, 3, 33}, {1, 8, 12}, {3, 8, 38}, {5, 0, 100}, {65535, 1, 6553500}};
    for (const auto& c : scl)
        EXPECT_EQ(Make<TSCLRecord>(0x00A0, Words({c.Num, c.Den}))->GetZoom(), c.Zoom)
            << c.Num << "/" << c.Den;
    EXPECT_EQ(TSCLRecord(1000).GetZoom(), 400);

    auto w1 = Make<TWindow1Record>(0x003D, Words({360, 240, 0, 0, 0x38, 3, 2, 2, 600}));
    w1->SetActiveSheet(1);
    ByteArray out = Saved(*w1);
    EXPECT_EQ(ByteArray(out.begin() + 4, out.end()), Words({360, 240, 1, 1, 0x38, 1, 0, 1, 600}));
}

TEST(SettingRecords, PageSetupReadsDefaultsUntilAFieldIsSet)
{
    ByteArray setup = Words({0, 255, 1, 1, 1, 0x0004, 0, 0});
    ByteArray half = {0, 0, 0, 0, 0, 0, 0xE0, 0x3F};
    setup.insert(setup.end(), half.begin(), half.end());
    setup.insert(setup.end(), half.begin(), half.end());
    setup.push_back(0);
    setup.push_back(0);
    auto s = Make<TSetupRecord>(0x00A1, setup);
    EXPECT_EQ(s->GetScale(), 100);
    EXPECT_EQ(s->GetPrintCopies(), 1);
    EXPECT_EQ(s->GetHeaderMargin(), 0.5);
    s->SetScale(80);
    EXPECT_EQ(s->GetScale(), 80);
    EXPECT_EQ(s->GetPrintOptions() & 4, 0);
    EXPECT_EQ(s->GetPrintCopies(), 0); // the real field now counts
    s->SetPrintOptions(0x1234);
    EXPECT_EQ(s->GetPrintOptions(), 0x34);
    TSetupRec rec = s->GetValue();
    rec.FitWidth = 3;
    s->SetValue(rec);
    EXPECT_EQ(s->GetFitWidth(), 3);
    ByteArray longer = setup;
    longer.push_back(0);
    auto odd = Make<TSetupRecord>(0x00A1, longer);
    try {
        odd->SetValue(rec);
        FAIL();
    } catch (const EExcelException& e) {
        EXPECT_STREQ(e.what(), "Error in Setup Record");
    }

    auto margin = Make<TMarginRecord>(0x0026, ByteArray(8, 0));
    margin->SetValue(0.75);
    EXPECT_EQ(margin->GetValue(), 0.75);
    auto oddMargin = Make<TMarginRecord>(0x0027, ByteArray(9, 0));
    EXPECT_THROW(oddMargin->SetValue(1), EExcelException);

    const struct {
        int Before;
        bool Fit;
        int After;
    } wsbool[] = {{0x04C1, false, 0x04C1}, {0x05C1, false, 0x04C1}, {0x04C1, true, 0x05C1}};
    for (const auto& c : wsbool) {
        auto w = Make<TWsBoolRecord>(0x0081, Words({c.Before}));
        w->SetFitToPage(c.Fit);
        EXPECT_EQ(w->GetValue(), c.After);
    }
}

TEST(SettingRecords, SwitchRecordsMapTheirWordsBothWays)
{
    auto check = [](Word Id, auto Get, auto Set, int WordForTrue) {
        auto r = CreateRecordById(Id, Words({WordForTrue}));
        EXPECT_TRUE(Get(*r)) << Id;
        Set(*r, false);
        EXPECT_FALSE(Get(*r)) << Id;
        Set(*r, true);
        EXPECT_EQ(GetWord(r->Data(), 0), WordForTrue) << Id;
    };
    check(
        0x002B, [](TBaseRecord& r) { return dynamic_cast<TPrintGridLinesRecord&>(r).GetValue(); },
        [](TBaseRecord& r, bool v) { dynamic_cast<TPrintGridLinesRecord&>(r).SetValue(v); }, 1);
    check(
        0x0083, [](TBaseRecord& r) { return dynamic_cast<TPrintCenteredRecord&>(r).GetCentered(); },
        [](TBaseRecord& r, bool v) { dynamic_cast<TPrintCenteredRecord&>(r).SetCentered(v); }, 1);
    check(
        0x0022, [](TBaseRecord& r) { return dynamic_cast<T1904Record&>(r).GetIs1904(); },
        [](TBaseRecord& r, bool v) { dynamic_cast<T1904Record&>(r).SetIs1904(v); }, 1);
    check(
        0x000F, [](TBaseRecord& r) { return dynamic_cast<TRefModeRecord&>(r).GetIsR1C1(); },
        [](TBaseRecord& r, bool v) { dynamic_cast<TRefModeRecord&>(r).SetIsR1C1(v); }, 0);
    check(
        0x000E, [](TBaseRecord& r) { return dynamic_cast<TPrecisionRecord&>(r).GetPrecisionAsDisplayed(); },
        [](TBaseRecord& r, bool v) { dynamic_cast<TPrecisionRecord&>(r).SetPrecisionAsDisplayed(v); }, 0);
    check(
        0x00DA, [](TBaseRecord& r) { return dynamic_cast<TBookBoolRecord&>(r).GetSaveExternalLinkValues(); },
        [](TBaseRecord& r, bool v) { dynamic_cast<TBookBoolRecord&>(r).SetSaveExternalLinkValues(v); }, 0);
}

TEST(SettingRecords, TextAndSizeRecordsFollowTheirRules)
{
    auto header = Make<TPageHeaderRecord>(0x0014, {});
    EXPECT_EQ(header->GetText(), u"");
    header->SetText(u"&CPrize list \u734e");
    EXPECT_EQ(header->GetText(), u"&CPrize list \u734e");
    EXPECT_EQ(header->DataSize(), 3 + 2 * 14);

    auto def = Make<TDefColWidthRecord>(0x0055, Words({300}));
    EXPECT_EQ(Saved(*def), Bytes({0x55, 0, 2, 0, 255, 0}));

    // A formula's text result is written by its formula, never by itself.
    auto str = Make<TStringRecord>(0x0207, Bytes({2, 0, 0, 'o', 'k'}));
    EXPECT_EQ(str->Value(), u"ok");
    EXPECT_EQ(str->TotalSize(), 0);
    EXPECT_TRUE(Saved(*str).empty());

    TPrinterDriverSettings pds{7, {1, 2, 3}};
    TPlsRecord pls(pds);
    EXPECT_EQ(pls.DataSize(), 5);
    pls.SetPrinterDriverSettings({9, {4, 5, 6, 7, 8}});
    EXPECT_EQ(pls.DataSize(), 7);
    EXPECT_EQ(pls.GetPrinterDriverSettings().Environment, 9);
    EXPECT_EQ(pls.GetPrinterDriverSettings().DriverData, (ByteArray{4, 5, 6, 7, 8}));

    auto dims = Make<TDimensionsRecord>(0x0200, ByteArray(14, 0));
    dims->SetDim({1, 70, 2, 5, 0});
    EXPECT_EQ(dims->Dim().LastRow, 70u);
    EXPECT_EQ(dims->Dim().LastCol, 5);
}
