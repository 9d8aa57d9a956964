#include "RudUvud/xlsadapter/XlsClientData.h"

#include "platform/rtl/Guards.h"

using namespace zivXlsMessages;

namespace {

// OBJ bodies of the shapes the engine adds; the object id at offset 6 is filled in.
const Byte PictureTemplate[38] = {0x15, 0x00, 0x12, 0x00, 0x08, 0x00, 0x01, 0x00, 0x11, 0x60,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x00, 0x00, 0x07, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0x08, 0x00,
                                  0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00};
const Byte CommentTemplate[52] = {0x15, 0x00, 0x12, 0x00, 0x19, 0x00, 0x01, 0x00, 0x11, 0x40, 0x00,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x0D, 0x00, 0x16, 0x00, 0x00, 0x12, 0x23, 0x8C, 0x6C, 0x50, 0x8B,
                                  0x4D, 0xA8, 0xC5, 0x7B, 0x64, 0xFF, 0xA8, 0xC5, 0xA3, 0x00, 0x00,
                                  0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
const Byte AutoFilterTemplate[70] = {0x15, 0x00, 0x12, 0x00, 0x14, 0x00, 0x01, 0x00, 0x01, 0x21, 0x00, 0x00,
                                     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x00,
                                     0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00,
                                     0x01, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x10, 0x00, 0x01, 0x00, 0x13, 0x00,
                                     0xEE, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01, 0x03, 0x00, 0x00,
                                     0x02, 0x00, 0x08, 0x00, 0x6C, 0x00, 0x00, 0x00, 0x00, 0x00};

constexpr Word ftEnd = 0x00;
constexpr Word ftPictFmla = 0x09;
constexpr Word ftCmo = 0x15;

// A chart substream nests no deeper than this in any file a spreadsheet program writes.
constexpr Integer MaxChartDepth = 8;

// Takes the CONTINUE records after Piece off the record chain that Piece belongs to.
std::unique_ptr<TContinueRecord> DetachAfter(const TBaseRecord* Piece)
{
    return const_cast<TBaseRecord*>(Piece)->ReleaseContinue();
}

} // namespace

// ---- ZIvObj ----------------------------------------------------------------------------------

ZIvObj::ZIvObj(Word& LastId, const Byte* Bytes, Integer High)
{
    ObjRec = std::make_unique<TObjRecord>(xlr_OBJ, TRecordBody(Bytes, Bytes + High + 1));
    ArrangeId(LastId);
}

ZIvObj::~ZIvObj() = default;

std::unique_ptr<ZIvObj> ZIvObj::CreateEmptyImg(Word& LastId)
{
    return std::make_unique<ZIvObj>(LastId, PictureTemplate, Integer(sizeof PictureTemplate) - 1);
}

std::unique_ptr<ZIvObj> ZIvObj::CreateEmptyNote(Word& LastId)
{
    return std::make_unique<ZIvObj>(LastId, CommentTemplate, Integer(sizeof CommentTemplate) - 1);
}

std::unique_ptr<ZIvObj> ZIvObj::CreateEmptyAutoFilter(Word& LastId)
{
    return std::make_unique<ZIvObj>(LastId, AutoFilterTemplate, Integer(sizeof AutoFilterTemplate) - 1);
}

Word ZIvObj::GetId() const
{
    return ObjRec && ObjRec->DataSize() >= 8 ? GetWord(ObjRec->Data(), 6) : 0;
}

void ZIvObj::SetId(Word Id)
{
    if (ObjRec && ObjRec->DataSize() >= 8)
        ::SetWord(ObjRec->Data(), 6, Id);
}

void ZIvObj::ArrangeId(Word& LastId)
{
    ++LastId;
    SetId(LastId);
}

void ZIvObj::Clear()
{
    ObjRec.reset();
    EmbeddedChart.clear();
    PictureData.reset();
    TrailingData.reset();
    HasPictureFormula = false;
}

Word ZIvObj::ObjType() const
{
    return ObjRec ? ObjRec->ObjType() : 0;
}

bool ZIvObj::Get_IsAutoFilter() const
{
    if (!ObjRec || ObjRec->DataSize() != 70)
        return false;
    const Byte* d = ObjRec->Data();
    return d[0] == 0x15 && d[22] == 0x0C && d[46] == 0x13 && d[56] == 0x01 && d[57] == 0x03;
}

std::unique_ptr<TBaseClientData> ZIvObj::CopyTo() const
{
    if (HasPictureFormula)
        XlsError(ErrCantCopyPictFmla);
    auto copy = std::make_unique<ZIvObj>();
    if (ObjRec) {
        std::unique_ptr<TBaseRecord> r = ObjRec->CopyTo();
        copy->ObjRec.reset(static_cast<TObjRecord*>(r.release()));
    }
    for (const auto& r : EmbeddedChart)
        copy->EmbeddedChart.push_back(r->CopyTo());
    if (PictureData)
        copy->PictureData = PictureData->CopyTo();
    return copy;
}

void ZIvObj::LoadChart(TOle2File& Stream, TRecordHeader& Header)
{
    // The chart's own BOF .. EOF, kept record for record. Nested substreams are counted so that
    // the chart ends at its own EOF; past the end of the stream the loader hands out EOF
    // records, so a cut-off chart ends too.
    if (Header.Id != 0x0809)
        XlsError(ErrExcelInvalid);
    Integer depth = 0;
    do {
        std::unique_ptr<TBaseRecord> r = LoadRecords(Stream, Header);
        const Word id = r->Id();
        EmbeddedChart.push_back(std::move(r));
        if (id == 0x0809 && ++depth > MaxChartDepth)
            XlsError(ErrExcelInvalid);
        if (id == xlr_EOF)
            --depth;
    } while (depth > 0);
}

void ZIvObj::LoadFromStream(TOle2File& Stream, TRecordHeader& Header,
                            std::unique_ptr<TBaseRecord> FirstRecord, TSST* SST)
{
    Clear();
    auto* obj = dynamic_cast<TObjRecord*>(FirstRecord.get());
    if (!obj)
        XlsError(ErrInvalidDrawing);
    FirstRecord.release();
    std::unique_ptr<TObjRecord> rec(obj);
    if (rec->FirstSubRecordType() == ftCmo && rec->ObjType() == ObjTypeChart) {
        TScopeExit Forget([this] { EmbeddedChart.clear(); });
        LoadChart(Stream, Header);
        Forget.Dismiss();
    } else if (rec->FirstSubRecordType() == ftCmo && rec->ObjType() == ObjTypePicture &&
               Header.Id == xlr_IMDATA)
        PictureData = LoadRecords(Stream, Header);
    ObjRec = std::move(rec);
    ScanRecord();
}

void ZIvObj::ScanRecord()
{
    // Walks the sub-records. The scan stops at the end sub-record, or where a sub-record claims
    // more bytes than its piece holds (the list box of an autofilter arrow does so by design):
    // the CONTINUE records after that piece are the drawing's, not the OBJ's.
    const TBaseRecord* piece = ObjRec.get();
    Integer pos = 0;
    try {
        for (;;) {
            Byte head[4];
            ReadMem(piece, pos, 4, head);
            const Word type = GetWord(head, 0), len = GetWord(head, 2);
            if (type == ftPictFmla)
                HasPictureFormula = true;
            if (pos + len > piece->DataSize())
                break;
            pos += len;
            if (type == ftEnd)
                break;
        }
    } catch (const EExcelException&) {
        return; // the chain stays on the OBJ record, as read
    }
    TrailingData = DetachAfter(piece);
}

void ZIvObj::SaveToStream(TOle2File& Stream)
{
    if (!ObjRec)
        XlsError(ErrExcelInvalid);
    ObjRec->SaveToStream(Stream);
    if (PictureData)
        PictureData->SaveToStream(Stream);
    for (const auto& r : EmbeddedChart)
        r->SaveToStream(Stream);
}

Int64 ZIvObj::TotalSize() const
{
    if (!ObjRec)
        XlsError(ErrExcelInvalid);
    Int64 n = ObjRec->TotalSize();
    if (PictureData)
        n += PictureData->TotalSize();
    for (const auto& r : EmbeddedChart)
        n += r->TotalSize();
    return n;
}

// ---- TTXO ------------------------------------------------------------------------------------

TTXO::TTXO(Integer) : TxoRec(std::make_unique<TTXORecord>()) {}

TTXO::~TTXO() = default;

void TTXO::Clear()
{
    TxoRec.reset();
    TrailingData.reset();
}

std::unique_ptr<TBaseClientData> TTXO::CopyTo() const
{
    auto copy = std::make_unique<TTXO>();
    if (TxoRec) {
        std::unique_ptr<TBaseRecord> r = TxoRec->CopyTo();
        copy->TxoRec.reset(static_cast<TTXORecord*>(r.release()));
    }
    return copy;
}

void TTXO::LoadFromStream(TOle2File& Stream, TRecordHeader& Header, std::unique_ptr<TBaseRecord> FirstRecord,
                          TSST* SST)
{
    Clear();
    auto* txo = dynamic_cast<TTXORecord*>(FirstRecord.get());
    if (!txo)
        XlsError(ErrInvalidDrawing);
    FirstRecord.release();
    TxoRec.reset(txo);
    WideString text;
    TRTFRunList runs;
    Scan(text, runs, true);
}

void TTXO::SaveToStream(TOle2File& Stream)
{
    if (TxoRec)
        TxoRec->SaveToStream(Stream);
}

Int64 TTXO::TotalSize() const
{
    return TxoRec ? TxoRec->TotalSize() : 0;
}

WideString TTXO::GetValue() const
{
    WideString text;
    TRTFRunList runs;
    const_cast<TTXO*>(this)->Scan(text, runs, false);
    return text;
}

void TTXO::ScanRecord(WideString& Text, TRTFRunList& Runs)
{
    Scan(Text, Runs, true);
}

void TTXO::Scan(WideString& Text, TRTFRunList& Runs, bool Detach)
{
    Text.clear();
    Runs.clear();
    if (!TxoRec || !TxoRec->Continue())
        return;
    const Integer n = GetWord(TxoRec->Data(), 10);
    if (n == 0) {
        if (Detach)
            TrailingData = TxoRec->ReleaseContinue();
        return;
    }

    const TBaseRecord* rec = TxoRec->Continue();
    if (rec->DataSize() < 1)
        XlsError(ErrReadingRecord);
    Byte options = rec->Data()[0], actual = options;
    Integer pos = 1, dest = 0;
    std::string shortData(static_cast<size_t>(n), '\0');
    WideString wideData(static_cast<size_t>(n), u'\0');
    ReadStr(rec, pos, shortData, wideData, options, actual, dest, n);
    if (options & 1)
        Text = wideData;
    else
        for (char c : shortData)
            Text.push_back(static_cast<char16_t>(static_cast<Byte>(c)));

    // The runs start in the CONTINUE record after the text's last one.
    const Integer runCount = GetWord(TxoRec->Data(), 12) / 8;
    const TBaseRecord* last = rec;
    if (runCount > 0) {
        rec = rec->Continue();
        pos = 0;
        for (Integer i = 0; i < runCount; ++i) {
            Byte run[8];
            ReadMem(rec, pos, 8, run);
            Runs.push_back({GetWord(run, 0), GetWord(run, 2)});
        }
        last = rec;
    }
    if (Detach && last->Continue())
        TrailingData = DetachAfter(last);
}

void TTXO::SetValue(const WideString& Text)
{
    if (Text.size() > 0xFFFF)
        XlsError(ErrStringTooLarge);
    if (!TxoRec)
        TxoRec = std::make_unique<TTXORecord>();
    const Word n = static_cast<Word>(Text.size());
    ::SetWord(TxoRec->Data(), 10, n);
    ::SetWord(TxoRec->Data(), 12, n > 0 ? 16 : 0);
    TxoRec->ReleaseContinue();
    if (n == 0)
        return;

    bool wide = false;
    for (char16_t c : Text)
        wide = wide || c > 0xFF;
    // The characters go into as many CONTINUE records as they need, each with its own option
    // byte, so that no record exceeds the BIFF8 limit of 8,224 data bytes.
    const size_t perChar = wide ? 2 : 1;
    const size_t perRecord = (xlr_BIFF8MaxData - 1) / perChar;
    TBaseRecord* tail = TxoRec.get();
    for (size_t at = 0; at < Text.size(); at += perRecord) {
        const size_t count = std::min(perRecord, Text.size() - at);
        ByteArray b;
        b.reserve(1 + count * perChar);
        b.push_back(wide ? 1 : 0);
        for (size_t i = 0; i < count; ++i) {
            const char16_t c = Text[at + i];
            b.push_back(static_cast<Byte>(c));
            if (wide)
                b.push_back(static_cast<Byte>(c >> 8));
        }
        auto cont = std::make_unique<TContinueRecord>(xlr_CONTINUE, b);
        TBaseRecord* next = cont.get();
        tail->AddContinue(std::move(cont));
        tail = next;
    }
    ByteArray runs(16, 0);
    ::SetWord(runs.data(), 8, n);
    tail->AddContinue(std::make_unique<TContinueRecord>(xlr_CONTINUE, runs));
}

// ---- Text boxes ------------------------------------------------------------------------------

WideString GetTextBoxValue(const TEscherClientTextBoxRecord& Box)
{
    auto* txo = dynamic_cast<TTXO*>(Box.ClientData());
    return txo ? txo->GetValue() : WideString();
}

void SetTextBoxValue(TEscherClientTextBoxRecord& Box, const WideString& Text)
{
    if (auto* txo = dynamic_cast<TTXO*>(Box.ClientData()))
        txo->SetValue(Text);
}

// ---- Pictures outside a drawing ----------------------------------------------------------------

namespace {
// The older OBJ layout: a 32-bit object count, the object type, the id, the flags and the anchor
// (column, offset, row, offset for each corner). Its first word is never the common object data
// that starts a newer OBJ.
constexpr Integer OldObjAnchorPos = 10;
constexpr Integer OldObjMinSize = OldObjAnchorPos + 16;
constexpr Word ImDataBitmap = 0x09;
constexpr Word ImDataMetafile = 0x02;
constexpr Integer ImDataHeaderSize = 8; // format, environment, byte count

bool IsOldPictureObj(const TBaseRecord& R)
{
    return R.Id() == xlr_OBJ && R.DataSize() >= OldObjMinSize && GetWord(R.Data(), 0) != ftCmo &&
           GetWord(R.Data(), 4) == ObjTypePicture;
}
} // namespace

void FindLoosePictures(const TBaseRecordList& List, std::vector<TLoosePicture>& Pictures)
{
    for (Integer i = 0; i + 1 < List.Count(); ++i) {
        const TBaseRecord* obj = List.Items(i);
        const TBaseRecord* data = List.Items(i + 1);
        if (obj && data && IsOldPictureObj(*obj) && data->Id() == xlr_IMDATA)
            Pictures.push_back({obj, data});
    }
}

TClientAnchor LoosePictureAnchor(const TLoosePicture& Picture)
{
    const Byte* d = Picture.Obj->Data() + OldObjAnchorPos;
    TClientAnchor a;
    a.StartCol = GetWord(d, 0);
    a.StartColOffset = GetWord(d, 2);
    a.StartRow = GetWord(d, 4);
    a.StartRowOffset = GetWord(d, 6);
    a.EndCol = GetWord(d, 8);
    a.EndColOffset = GetWord(d, 10);
    a.EndRow = GetWord(d, 12);
    a.EndRowOffset = GetWord(d, 14);
    return a;
}

void GetLoosePicture(const TLoosePicture& Picture, TStream& Stream, TXlsImgTypes& ImgType)
{
    const TBaseRecord* rec = Picture.ImData;
    Integer pos = 0;
    Byte head[ImDataHeaderSize];
    ReadMem(rec, pos, ImDataHeaderSize, head);
    const Word format = GetWord(head, 0);
    const LongWord count = GetLongWord(head, 4);
    // Bounded by what the record chain holds before anything is allocated.
    Int64 held = 0;
    for (const TBaseRecord* r = Picture.ImData; r; r = r->Continue())
        held += r->DataSize();
    if (Int64(count) > held - ImDataHeaderSize)
        XlsError(ErrReadingRecord);
    ByteArray bytes(count);
    ReadMem(rec, pos, static_cast<Integer>(count), bytes.data());
    ImgType = format == ImDataBitmap ? xli_Bmp : format == ImDataMetafile ? xli_Wmf : xli_Unknown;
    if (ImgType == xli_Bmp) {
        Byte fileHeader[14] = {'B', 'M'};
        Stream.WriteBuffer(fileHeader, sizeof fileHeader);
    }
    if (!bytes.empty())
        Stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}
