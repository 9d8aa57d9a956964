// The OBJ and TXO records of drawing shapes: templates, object ids, texts over CONTINUE records,
// and the CONTINUE records that belong to the drawing rather than to them.

#include "RudUvud/xlsadapter/XlsClientData.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

ByteArray Body(const TBaseRecord& R)
{
    return ByteArray(R.Data().get(), R.Data() + R.DataSize());
}

std::vector<ByteArray> Chain(const TBaseRecord& R)
{
    std::vector<ByteArray> out;
    for (const TBaseRecord* c = R.Continue(); c; c = c->Continue())
        out.push_back(Body(*c));
    return out;
}

// Loads an OBJ or TXO (the first record of Records) as the sheet drawing does: the record, then
// the client data takes it over with the header of the record after it.
template <class T> std::unique_ptr<T> LoadClient(const ByteArray& Records, Word* NextId = nullptr)
{
    BiffStream s(Records);
    TRecordHeader h;
    ReadRecordHeader(*s.File, h);
    std::unique_ptr<TBaseRecord> first = LoadRecords(*s.File, h);
    auto c = std::make_unique<T>();
    c->LoadFromStream(*s.File, h, std::move(first), nullptr);
    if (NextId)
        *NextId = h.Id;
    return c;
}

} // namespace

TEST(ClientData, TemplatesTakeTheNextObjectId)
{
    Word last = 4;
    auto img = ZIvObj::CreateEmptyImg(last);
    auto note = ZIvObj::CreateEmptyNote(last);
    auto arrow = ZIvObj::CreateEmptyAutoFilter(last);
    EXPECT_EQ(last, 7);
    EXPECT_EQ(img->GetId(), 5);
    EXPECT_EQ(note->GetId(), 6);
    EXPECT_EQ(arrow->GetId(), 7);
    EXPECT_EQ(img->ObjRec->DataSize(), 38);
    EXPECT_EQ(note->ObjRec->DataSize(), 52);
    EXPECT_EQ(arrow->ObjRec->DataSize(), 70);
    EXPECT_EQ(img->ObjType(), ObjTypePicture);
    EXPECT_EQ(note->ObjType(), ObjTypeComment);
    EXPECT_EQ(arrow->ObjType(), ObjTypeDropDown);
    EXPECT_EQ(GetWord(img->ObjRec->Data(), 8), 0x6011);
    EXPECT_EQ(GetWord(note->ObjRec->Data(), 8), 0x4011);
    EXPECT_EQ(GetWord(arrow->ObjRec->Data(), 8), 0x2101);
    EXPECT_EQ(GetLongWord(note->ObjRec->Data(), 44), 0x10u);
    EXPECT_EQ(GetWord(arrow->ObjRec->Data(), 48), 0x1FEE);

    EXPECT_TRUE(arrow->Get_IsAutoFilter());
    EXPECT_FALSE(img->Get_IsAutoFilter());
    for (int at : {0, 22, 46, 56, 57}) {
        auto changed = ZIvObj::CreateEmptyAutoFilter(last);
        changed->ObjRec->Data()[at] ^= 0x40;
        EXPECT_FALSE(changed->Get_IsAutoFilter()) << at;
    }

    // A copy keeps its id until the drawing gives it a new one.
    auto copy = note->CopyTo();
    EXPECT_EQ(copy->GetId(), 6);
    copy->ArrangeId(last);
    EXPECT_EQ(copy->GetId(), last);
    EXPECT_EQ(note->GetId(), 6);
}

TEST(ClientData, TxoTextLayout)
{
    TTXO t(0);
    t.SetValue(u"abc");
    EXPECT_EQ(GetWord(t.TxoRec->Data(), 0), 0x0212);
    EXPECT_EQ(GetWord(t.TxoRec->Data(), 10), 3);
    EXPECT_EQ(GetWord(t.TxoRec->Data(), 12), 16);
    std::vector<ByteArray> chain = Chain(*t.TxoRec);
    ASSERT_EQ(chain.size(), 2u);
    EXPECT_EQ(chain[0], Bytes({0, 'a', 'b', 'c'}));
    EXPECT_EQ(chain[1].size(), 16u);
    EXPECT_EQ(GetWord(chain[1].data(), 8), 3);
    EXPECT_EQ(t.GetValue(), u"abc");
    EXPECT_EQ(t.TotalSize(), 4 + 18 + 4 + 4 + 4 + 16);

    // One character above 255 makes every character 16-bit.
    t.SetValue(u"a\u734e");
    chain = Chain(*t.TxoRec);
    EXPECT_EQ(chain[0], Bytes({1, 'a', 0, 0x4e, 0x73}));
    EXPECT_EQ(t.GetValue(), u"a\u734e");

    t.SetValue(u"");
    EXPECT_EQ(t.TxoRec->Continue(), nullptr);
    EXPECT_EQ(GetWord(t.TxoRec->Data(), 12), 0);
    EXPECT_EQ(t.GetValue(), u"");

    // A long text is spread over CONTINUE records of at most 8,224 bytes and reads back whole.
    WideString longText;
    for (int i = 0; i < 9000; ++i)
        longText.push_back(static_cast<char16_t>(i % 7 == 0 ? 0x4e2d : 'a' + i % 26));
    t.SetValue(longText);
    for (const ByteArray& c : Chain(*t.TxoRec))
        EXPECT_LE(c.size(), 8224u);
    EXPECT_EQ(Chain(*t.TxoRec).size(), 4u);
    EXPECT_EQ(t.GetValue(), longText);
    EXPECT_THROW(t.SetValue(WideString(70000, u'x')), EExcelException);
}

// A TXO as files have it: text in two CONTINUE records with different option bytes, runs, and
// after them a CONTINUE with the drawing's next bytes, which is taken off.
TEST(ClientData, TxoReadsSplitTextAndHandsOnTheDrawingsBytes)
{
    ByteArray txo(18, 0);
    SetWord(txo.data(), 10, 5);
    SetWord(txo.data(), 12, 16);
    ByteArray runs(16, 0);
    SetWord(runs.data(), 8, 5);
    ByteArray in;
    PutRecord(in, xlr_TXO, txo);
    PutRecord(in, xlr_CONTINUE, Bytes({0, 'a', 'b'}));
    PutRecord(in, xlr_CONTINUE, Bytes({1, 'c', 0, 0x2d, 0x4e, 'e', 0}));
    PutRecord(in, xlr_CONTINUE, runs);
    PutRecord(in, xlr_CONTINUE, Bytes({0x0F, 0x00, 0x04, 0xF0}));
    auto t = LoadClient<TTXO>(in);
    EXPECT_EQ(t->GetValue(), u"abc\u4e2de");
    WideString text;
    TRTFRunList r;
    t->ScanRecord(text, r);
    EXPECT_EQ(r, (TRTFRunList{{0, 0}, {5, 0}}));
    std::unique_ptr<TContinueRecord> trailing = t->TakeTrailingData();
    ASSERT_NE(trailing, nullptr);
    EXPECT_EQ(Body(*trailing), Bytes({0x0F, 0x00, 0x04, 0xF0}));
    EXPECT_EQ(t->TotalSize(), 4 + 18 + 4 + 3 + 4 + 7 + 4 + 16);

    // Without text every CONTINUE belongs to the drawing.
    ByteArray empty;
    PutRecord(empty, xlr_TXO, ByteArray(18, 0));
    PutRecord(empty, xlr_CONTINUE, Bytes({1, 2, 3}));
    auto e = LoadClient<TTXO>(empty);
    EXPECT_EQ(e->TotalSize(), 22);
    EXPECT_NE(e->TakeTrailingData(), nullptr);

    // A text longer than its records is a damaged file: reading it says so.
    ByteArray bad = txo;
    SetWord(bad.data(), 10, 500);
    ByteArray cut;
    PutRecord(cut, xlr_TXO, bad);
    PutRecord(cut, xlr_CONTINUE, Bytes({0, 'a', 'b'}));
    EXPECT_THROW(LoadClient<TTXO>(cut), EExcelException);
}

TEST(ClientData, ObjKeepsItsRecordsAndHandsOnTheDrawingsBytes)
{
    // A comment OBJ followed by a CONTINUE that carries Escher bytes.
    Word last = 0;
    auto note = ZIvObj::CreateEmptyNote(last);
    ByteArray in;
    PutRecord(in, xlr_OBJ, Body(*note->ObjRec));
    PutRecord(in, xlr_CONTINUE, Bytes({0x0F, 0x00, 0x04, 0xF0, 0, 0, 0, 0}));
    auto o = LoadClient<ZIvObj>(in);
    EXPECT_EQ(o->GetId(), 1);
    auto trailing = o->TakeTrailingData();
    ASSERT_NE(trailing, nullptr);
    EXPECT_EQ(trailing->DataSize(), 8);
    EXPECT_EQ(o->TotalSize(), 4 + 52);

    // The autofilter arrow's list box claims more bytes than there are: the scan stops there.
    auto arrow = ZIvObj::CreateEmptyAutoFilter(last);
    ByteArray in2;
    PutRecord(in2, xlr_OBJ, Body(*arrow->ObjRec));
    PutRecord(in2, xlr_CONTINUE, Bytes({1, 2}));
    auto a = LoadClient<ZIvObj>(in2);
    EXPECT_TRUE(a->Get_IsAutoFilter());
    EXPECT_NE(a->TakeTrailingData(), nullptr);

    // A picture's IMDATA record comes along and is written after the OBJ.
    auto img = ZIvObj::CreateEmptyImg(last);
    ByteArray in3;
    PutRecord(in3, xlr_OBJ, Body(*img->ObjRec));
    PutRecord(in3, xlr_IMDATA, Bytes({9, 0, 1, 0, 4, 0, 0, 0, 1, 2, 3, 4}));
    Word next = 0;
    auto p = LoadClient<ZIvObj>(in3, &next);
    ASSERT_NE(p->PictureData, nullptr);
    EXPECT_EQ(p->TotalSize(), 4 + 38 + 4 + 12);
    ByteArray out = WriteWorkbook([&](TOle2File& f) { p->SaveToStream(f); });
    EXPECT_EQ(out, ByteArray(in3.begin(), in3.begin() + (long)out.size()));

    // An embedded OLE object (a picture formula sub-record) is not copied.
    ByteArray ole = Body(*img->ObjRec);
    ole.resize(ole.size() - 4);
    for (int v : {0x09, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00})
        ole.push_back(static_cast<Byte>(v));
    ByteArray in4;
    PutRecord(in4, xlr_OBJ, ole);
    auto oleObj = LoadClient<ZIvObj>(in4);
    EXPECT_TRUE(oleObj->HasPictureFormula);
    try {
        oleObj->CopyTo();
        ADD_FAILURE();
    } catch (const EExcelException& e) {
        EXPECT_EQ(std::string(e.Message()), "Can't copy OLE objects embedded on a sheet");
    }

    // A chart object brings its substream, kept record for record; anything but a BOF after it is
    // a damaged file.
    ByteArray chartObj = Body(*img->ObjRec);
    SetWord(chartObj.data(), 4, ObjTypeChart);
    ByteArray in5;
    PutRecord(in5, xlr_OBJ, chartObj);
    PutRecord(in5, 0x0809, Bytes({0, 6, 0x20, 0, 0, 0, 0, 0}));
    PutRecord(in5, 0x1001, Bytes({1, 0}));
    PutRecord(in5, xlr_EOF, {});
    PutRecord(in5, 0x00EC, Bytes({1, 2, 3}));
    auto chart = LoadClient<ZIvObj>(in5, &next);
    EXPECT_EQ(chart->EmbeddedChart.size(), 3u);
    EXPECT_EQ(next, 0x00EC);
    EXPECT_EQ(chart->TotalSize(), 4 + 38 + 12 + 6 + 4);
    ByteArray in6;
    PutRecord(in6, xlr_OBJ, chartObj);
    PutRecord(in6, 0x00EC, Bytes({1, 2, 3}));
    EXPECT_THROW(LoadClient<ZIvObj>(in6), EExcelException);
}

// The comments of a LibreOffice workbook: every OBJ and TXO of its first sheet loads, the texts
// are the ones python3-xlrd reads, and each writes back as read.
TEST(ClientData, ReadsTheCommentsAnotherProgramWrote)
{
    const ByteArray stream = ReadStream(Fixture("drawings/lo-drawing.xls"), u"Workbook");
    BiffStream s(stream);
    TRecordHeader h;
    ReadRecordHeader(*s.File, h);
    std::vector<WideString> texts;
    std::vector<Word> ids;
    Int64 written = 0, expected = 0;
    int bofs = 0;
    while (s.File->Get_Position() - 4 < s.Length && bofs < 3) {
        const Int64 at = s.File->Get_Position() - 4;
        std::unique_ptr<TBaseRecord> r = LoadRecords(*s.File, h);
        if (r->Id() == 0x0809)
            ++bofs;
        if (r->Id() != xlr_OBJ && r->Id() != xlr_TXO)
            continue;
        std::unique_ptr<TBaseClientData> c;
        if (r->Id() == xlr_OBJ)
            c = std::make_unique<ZIvObj>();
        else
            c = std::make_unique<TTXO>();
        c->LoadFromStream(*s.File, h, std::move(r), nullptr);
        if (auto* t = dynamic_cast<TTXO*>(c.get()))
            texts.push_back(t->GetValue());
        else
            ids.push_back(c->GetId());
        if (auto* o = dynamic_cast<ZIvObj*>(c.get()))
            EXPECT_EQ(o->TakeTrailingData(), nullptr);
        else
            EXPECT_EQ(static_cast<TTXO*>(c.get())->TakeTrailingData(), nullptr);
        const ByteArray out = WriteWorkbook([&](TOle2File& f) { c->SaveToStream(f); });
        EXPECT_EQ(static_cast<Int64>(out.size()), c->TotalSize());
        EXPECT_TRUE(std::equal(out.begin(), out.end(), stream.begin() + at));
        written += static_cast<Int64>(out.size());
        expected += c->TotalSize();
    }
    EXPECT_EQ(texts, (std::vector<WideString>{u"First prize\nred one", u"\u96fb\u8996\u6a5f comment"}));
    EXPECT_EQ(ids.size(), 4u);
    EXPECT_EQ(written, expected);
}
