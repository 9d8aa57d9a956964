#include "RudUvud/xlsadapter/XlsEscher.h"

#include "RudUvud/xlsadapter/XlsEscherShapes.h"

#include <algorithm>
#include <cstring>

using namespace zivXlsMessages;

// ---------------------------------------------------------------------------------------------
// Header, reader

TEscherRecordHeader TEscherRecordHeader::FromBytes(const Byte* B)
{
    TEscherRecordHeader h;
    h.VerInst = GetWord(B, 0);
    h.RecType = GetWord(B, 2);
    h.Length = GetLongWord(B, 4);
    return h;
}

void TEscherRecordHeader::ToBytes(Byte* B) const
{
    SetWord(B, 0, VerInst);
    SetWord(B, 2, RecType);
    SetLongWord(B, 4, Length);
}

TEscherReader::TEscherReader(const TBaseRecord* aRecord, Integer aPosition)
    : Record(aRecord), Position(aPosition)
{
    Left = aRecord ? aRecord->TotalSizeNoHeaders() - aPosition : 0;
}

void TEscherReader::Read(void* Buffer, Integer Count)
{
    ReadMem(Record, Position, Count, Buffer);
    Left -= Count;
}

Word ClientDataRecordId(TClientDataClass Class)
{
    switch (Class) {
    case cdcObj:
        return 0x005D;
    case cdcTXO:
        return 0x01B6;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Look-up lists

void TEscherRecordCache::Remove(TEscherRecord* Rec)
{
    // The most recent records are the likeliest to go: search from the end.
    for (size_t i = FList.size(); i-- > 0;)
        if (FList[i] == Rec) {
            FList.erase(FList.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

Integer TEscherRecordCache::IndexOf(const TEscherRecord* Rec) const
{
    for (size_t i = 0; i < FList.size(); ++i)
        if (FList[i] == Rec)
            return static_cast<Integer>(i);
    return -1;
}

void TEscherRecordCache::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos,
                                                  Integer ColCount, const TSheetInfo& SheetInfo,
                                                  bool ForceMove, TEscherSheet* Sheet)
{
    for (TEscherRecord* r : FList)
        r->ArrangeInsertRowsAndCols(RowPos, RowCount, ColPos, ColCount, SheetInfo, ForceMove, Sheet);
}

TEscherClientAnchorRecord* TEscherAnchorCache::Anchor(Integer Index) const
{
    return static_cast<TEscherClientAnchorRecord*>(Items(Index));
}

TEscherClientDataRecord* TEscherObjCache::Obj(Integer Index) const
{
    return static_cast<TEscherClientDataRecord*>(Items(Index));
}

void TEscherObjCache::ArrangeCopySheet(const TSheetInfo& SheetInfo)
{
    for (TEscherRecord* r : FList)
        if (TBaseClientData* d = static_cast<TEscherClientDataRecord*>(r)->ClientData())
            d->ArrangeCopySheet(SheetInfo);
}

void TEscherShapeCache::Add(TEscherRecord* Rec)
{
    TEscherRecordCache::Add(Rec);
    FIsSorted = false;
}

TEscherSPRecord* TEscherShapeCache::Shape(Integer Index) const
{
    return static_cast<TEscherSPRecord*>(Items(Index));
}

void TEscherShapeCache::Sort()
{
    std::stable_sort(FList.begin(), FList.end(), [](TEscherRecord* a, TEscherRecord* b) {
        return static_cast<TEscherSPRecord*>(a)->ShapeId() < static_cast<TEscherSPRecord*>(b)->ShapeId();
    });
    FIsSorted = true;
}

bool TEscherShapeCache::Find(LongWord ShapeId, Integer& Index)
{
    if (!FIsSorted)
        Sort();
    Integer lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        Integer mid = (lo + hi) / 2;
        LongWord id = Shape(mid)->ShapeId();
        if (id < ShapeId)
            lo = mid + 1;
        else if (id > ShapeId)
            hi = mid - 1;
        else {
            Index = mid;
            return true;
        }
    }
    Index = lo;
    return false;
}

TEscherOPTRecord* TEscherOPTCache::Opt(Integer Index) const
{
    return static_cast<TEscherOPTRecord*>(Items(Index));
}

void TEscherDwgCache::CreateLists()
{
    AnchorList = std::make_unique<TEscherAnchorCache>();
    ShapeList = std::make_unique<TEscherShapeCache>();
    ObjList = std::make_unique<TEscherObjCache>();
    BlipList = std::make_unique<TEscherOPTCache>();
}

void TEscherDwgCache::FreeLists()
{
    AnchorList.reset();
    ObjList.reset();
    ShapeList.reset();
    BlipList.reset();
}

// ---------------------------------------------------------------------------------------------
// Record list

Integer TEscherRecordList::IndexOf(const TEscherRecord* Rec) const
{
    for (size_t i = 0; i < FList.size(); ++i)
        if (FList[i].get() == Rec)
            return static_cast<Integer>(i);
    return -1;
}

Integer TEscherRecordList::Add(std::unique_ptr<TEscherRecord> Rec)
{
    FList.push_back(std::move(Rec));
    FIsSorted = false;
    return Count() - 1;
}

void TEscherRecordList::Insert(Integer Index, std::unique_ptr<TEscherRecord> Rec)
{
    if (Index < 0 || Index > Count())
        XlsError(ErrXlsIndexOutBounds, {Int64(Index), AnsiString("Escher record"), Int64(0), Int64(Count())});
    FList.insert(FList.begin() + Index, std::move(Rec));
}

std::unique_ptr<TEscherRecord> TEscherRecordList::Extract(Integer Index)
{
    if (Index < 0 || Index >= Count())
        XlsError(ErrXlsIndexOutBounds,
                 {Int64(Index), AnsiString("Escher record"), Int64(0), Int64(Count() - 1)});
    std::unique_ptr<TEscherRecord> r = std::move(FList[static_cast<size_t>(Index)]);
    FList.erase(FList.begin() + Index);
    return r;
}

void TEscherRecordList::Delete(Integer Index)
{
    // Out of the list first: the record's destructor may reach back into this list.
    std::unique_ptr<TEscherRecord> r = Extract(Index);
    r.reset();
}

void TEscherRecordList::Clear()
{
    while (!FList.empty()) {
        std::unique_ptr<TEscherRecord> r = std::move(FList.back());
        FList.pop_back();
        r.reset();
    }
}

void TEscherRecordList::Sort()
{
    std::stable_sort(FList.begin(), FList.end(),
                     [](const std::unique_ptr<TEscherRecord>& a, const std::unique_ptr<TEscherRecord>& b) {
                         return a->CompareRec(*b) < 0;
                     });
    FIsSorted = true;
}

bool TEscherRecordList::Find(const TEscherRecord& Rec, Integer& Index)
{
    if (!FIsSorted)
        Sort();
    Integer lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        Integer mid = (lo + hi) / 2;
        Integer c = FList[static_cast<size_t>(mid)]->CompareRec(Rec);
        if (c < 0)
            lo = mid + 1;
        else if (c > 0)
            hi = mid - 1;
        else {
            Index = mid;
            return true;
        }
    }
    Index = lo;
    return false;
}

void TEscherRecordList::SaveToStream(TOle2File& DataStream, TBreakList* BreakList)
{
    for (auto& r : FList)
        r->SaveToStream(DataStream, BreakList);
}

Int64 TEscherRecordList::TotalSizeNoSplit() const
{
    Int64 n = 0;
    for (auto& r : FList)
        n += r->TotalSizeNoSplit();
    return n;
}

void TEscherRecordList::CopyFrom(const TEscherRecordList* Source, TEscherDwgCache* DrawingCaches,
                                 Integer RowOffset, Integer ColOffset, TEscherSheet* Sheet)
{
    if (!Source)
        return;
    for (auto& r : Source->FList)
        Add(TEscherRecord::CopyTo(r.get(), DrawingCaches, RowOffset, ColOffset, Sheet));
}

// ---------------------------------------------------------------------------------------------
// Record

TEscherRecord::TEscherRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                             TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer)
    : FParentContainer(aParentContainer), FDrawingCaches(aDrawingCaches), FGroupCaches(aGroupCaches),
      FVerInst(Header.VerInst), FRecType(Header.RecType), FDataLength(static_cast<Integer>(Header.Length))
{
    if (Header.Length > 0x7FFFFFFFu)
        XlsError(ErrLoadingEscher);
}

TEscherRecordHeader TEscherRecord::Header() const
{
    TEscherRecordHeader h;
    h.VerInst = FVerInst;
    h.RecType = FRecType;
    h.Length = static_cast<LongWord>(TotalSizeNoSplit() - 8);
    return h;
}

Integer TEscherRecord::Depth() const
{
    Integer d = 0;
    for (const TEscherRecord* p = FParentContainer; p; p = p->FParentContainer)
        ++d;
    return d;
}

bool TEscherRecord::Loaded() const
{
    if (FLoadedLength > FDataLength)
        XlsError(ErrInternal);
    return FLoadedLength == FDataLength;
}

bool TEscherRecord::WaitingClientData(TClientDataClass& ClientClass) const
{
    ClientClass = cdcNone;
    return false;
}

void TEscherRecord::AssignClientData(std::unique_ptr<TBaseClientData> ClientData)
{
    XlsError(ErrLoadingEscher);
}

Integer TEscherRecord::CompareRec(const TEscherRecord& Other) const
{
    if (FRecType != Other.FRecType)
        return FRecType < Other.FRecType ? -1 : 1;
    if (FVerInst != Other.FVerInst)
        return FVerInst < Other.FVerInst ? -1 : 1;
    if (FDataLength != Other.FDataLength)
        return FDataLength < Other.FDataLength ? -1 : 1;
    return 0;
}

TEscherContainerRecord* TEscherRecord::ParentForCopy() const
{
    if (!FParentContainer)
        return nullptr;
    // Children of a container copied in this pass land under its copy; a shape-level record
    // copied on its own stays beside its source (the caller appends it).
    if (FParentContainer->FCopyTarget)
        return static_cast<TEscherContainerRecord*>(FParentContainer->FCopyTarget);
    return FParentContainer;
}

std::unique_ptr<TEscherRecord> TEscherRecord::DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                                       Integer ColOffset, TEscherSheet* Sheet)
{
    TEscherRecordHeader h;
    h.VerInst = FVerInst;
    h.RecType = FRecType;
    h.Length = static_cast<LongWord>(FDataLength);
    std::unique_ptr<TEscherRecord> copy = Create(h, FGroupCaches, aDrawingCaches, ParentForCopy());
    FCopyTarget = copy.get();
    copy->FLoadedLength = FLoadedLength;
    return copy;
}

std::unique_ptr<TEscherRecord> TEscherRecord::CopyTo(TEscherRecord* Rec, TEscherDwgCache* aDrawingCaches,
                                                     Integer RowOffset, Integer ColOffset,
                                                     TEscherSheet* Sheet)
{
    if (!Rec)
        return nullptr;
    return Rec->DoCopyTo(aDrawingCaches, RowOffset, ColOffset, Sheet);
}

TEscherSpgrContainerRecord* TEscherRecord::Patriarch() const
{
    return FDrawingCaches ? FDrawingCaches->PatriarchRecord : nullptr;
}

TEscherRecord* TEscherRecord::FindRoot()
{
    if (!FDrawingCaches)
        return this;
    TEscherRecord* patriarch = Patriarch();
    for (TEscherRecord* r = this; r; r = r->FParentContainer)
        if (r->FParentContainer && static_cast<TEscherRecord*>(r->FParentContainer) == patriarch)
            return r;
    return nullptr;
}

TEscherRecord* TEscherRecord::CopyDwg(Integer RowOffset, Integer ColOffset, TEscherSheet* Sheet)
{
    TEscherSpgrContainerRecord* patriarch = Patriarch();
    TEscherRecord* root = FindRoot();
    if (!patriarch || !root)
        XlsError(ErrLoadingEscher);
    std::unique_ptr<TEscherRecord> copy = root->DoCopyTo(FDrawingCaches, RowOffset, ColOffset, Sheet);
    patriarch->Children().Add(std::move(copy));
    return FCopyTarget;
}

void TEscherRecord::SaveToStream(TOle2File& DataStream, TBreakList* BreakList)
{
    if (!Loaded())
        XlsError(ErrEscherNotLoaded);
    Byte head[8];
    Header().ToBytes(head);
    WriteSplit(DataStream, BreakList, head, 8);
}

void TEscherRecord::SplitRecords(Int64& PieceUsed, Int64& TotalBytes, Integer& PendingRecordId,
                                 TBreakList* BreakList)
{
    if (PendingRecordId > 0) {
        if (BreakList)
            BreakList->Add(static_cast<LongWord>(PendingRecordId), static_cast<LongWord>(PieceUsed));
        TotalBytes += 4;
        PieceUsed = 0;
        PendingRecordId = -1;
    }
    IncNextPos(PieceUsed, 8, TotalBytes, BreakList);
}

void TEscherRecord::IncNextPos(Int64& PieceUsed, Int64 Size, Int64& TotalBytes, TBreakList* BreakList)
{
    if (PieceUsed > EscherMaxPiece)
        XlsError(ErrInternal);
    PieceUsed += Size;
    TotalBytes += Size;
    while (PieceUsed > EscherMaxPiece) {
        PieceUsed -= EscherMaxPiece;
        TotalBytes += 4;
        if (BreakList)
            BreakList->Add(xlr_CONTINUE, EscherMaxPiece);
    }
}

void TEscherRecord::CheckSplit(TOle2File& DataStream, TBreakList* BreakList)
{
    Int64 at = BreakList->AcumSize();
    Int64 pos = DataStream.Get_Position();
    if (at < pos)
        XlsError(ErrInternal);
    if (at == pos)
        WriteNewRecord(DataStream, BreakList);
}

void TEscherRecord::WriteNewRecord(TOle2File& DataStream, TBreakList* BreakList)
{
    LongWord id = BreakList->CurrentId();
    LongWord size = BreakList->CurrentSize();
    if (size > static_cast<LongWord>(EscherMaxPiece))
        XlsError(ErrInternal);
    DataStream.WriteHeader(static_cast<Word>(id), static_cast<Word>(size));
    BreakList->IncCurrent();
}

void TEscherRecord::WriteSplit(TOle2File& DataStream, TBreakList* BreakList, const Byte* Bytes, Int64 Count)
{
    while (Count > 0) {
        CheckSplit(DataStream, BreakList);
        Int64 room = BreakList->AcumSize() - DataStream.Get_Position();
        Int64 n = std::min(room, Count);
        if (n <= 0)
            XlsError(ErrInternal);
        DataStream.WriteMem(Bytes, static_cast<Integer>(n));
        Bytes += n;
        Count -= n;
    }
}

// ---------------------------------------------------------------------------------------------
// Data record

TEscherDataRecord::TEscherDataRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                     TEscherDwgCache* aDrawingCaches,
                                     TEscherContainerRecord* aParentContainer)
    : TEscherRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
}

std::unique_ptr<TEscherRecord> TEscherDataRecord::Create(const TEscherRecordHeader& Header,
                                                         TEscherDwgGroupCache* aGroupCaches,
                                                         TEscherDwgCache* aDrawingCaches,
                                                         TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherDataRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

void TEscherDataRecord::InitBody(ByteArray Body)
{
    FData = std::move(Body);
    FDataLength = static_cast<Integer>(FData.size());
    FLoadedLength = FDataLength;
}

void TEscherDataRecord::SetBody(ByteArray Body)
{
    InitBody(std::move(Body));
}

std::unique_ptr<TEscherRecord> TEscherDataRecord::DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                                           Integer ColOffset, TEscherSheet* Sheet)
{
    std::unique_ptr<TEscherRecord> copy =
        TEscherRecord::DoCopyTo(aDrawingCaches, RowOffset, ColOffset, Sheet);
    static_cast<TEscherDataRecord*>(copy.get())->FData = FData;
    return copy;
}

void TEscherDataRecord::Load(TEscherReader& Reader)
{
    if (FDataLength == 0)
        return;
    if (Reader.Left <= 0)
        XlsError(ErrLoadingEscher);
    // The body grows as its bytes arrive, so a length no stream can satisfy costs nothing.
    Int64 n = std::min<Int64>(Reader.Left, Int64(FDataLength) - FLoadedLength);
    FData.resize(static_cast<size_t>(FLoadedLength + n));
    Reader.Read(FData.data() + FLoadedLength, static_cast<Integer>(n));
    FLoadedLength += static_cast<Integer>(n);
}

void TEscherDataRecord::SaveToStream(TOle2File& DataStream, TBreakList* BreakList)
{
    TEscherRecord::SaveToStream(DataStream, BreakList);
    WriteSplit(DataStream, BreakList, FData.data(), static_cast<Int64>(FData.size()));
}

void TEscherDataRecord::SplitRecords(Int64& PieceUsed, Int64& TotalBytes, Integer& PendingRecordId,
                                     TBreakList* BreakList)
{
    TEscherRecord::SplitRecords(PieceUsed, TotalBytes, PendingRecordId, BreakList);
    IncNextPos(PieceUsed, FDataLength, TotalBytes, BreakList);
}

Integer TEscherDataRecord::CompareRec(const TEscherRecord& Other) const
{
    Integer c = TEscherRecord::CompareRec(Other);
    if (c != 0)
        return c;
    auto* o = dynamic_cast<const TEscherDataRecord*>(&Other);
    if (!o)
        return 0;
    size_t n = std::min(FData.size(), o->FData.size());
    Integer m = n ? std::memcmp(FData.data(), o->FData.data(), n) : 0;
    return m < 0 ? -1 : m > 0 ? 1 : 0;
}

Byte TEscherDataRecord::BodyByte(Integer Pos) const
{
    return Pos >= 0 && static_cast<size_t>(Pos) < FData.size() ? FData[static_cast<size_t>(Pos)] : 0;
}

Word TEscherDataRecord::BodyWord(Integer Pos) const
{
    return Pos >= 0 && static_cast<size_t>(Pos) + 2 <= FData.size() ? GetWord(FData.data(), Pos) : 0;
}

LongWord TEscherDataRecord::BodyLongWord(Integer Pos) const
{
    return Pos >= 0 && static_cast<size_t>(Pos) + 4 <= FData.size() ? GetLongWord(FData.data(), Pos) : 0;
}

void TEscherDataRecord::SetBodyWord(Integer Pos, Word Value)
{
    if (Pos >= 0 && static_cast<size_t>(Pos) + 2 <= FData.size())
        SetWord(FData.data(), Pos, Value);
}

void TEscherDataRecord::SetBodyLongWord(Integer Pos, LongWord Value)
{
    if (Pos >= 0 && static_cast<size_t>(Pos) + 4 <= FData.size())
        SetLongWord(FData.data(), Pos, Value);
}

// ---------------------------------------------------------------------------------------------
// Container

TEscherContainerRecord::TEscherContainerRecord(const TEscherRecordHeader& Header,
                                               TEscherDwgGroupCache* aGroupCaches,
                                               TEscherDwgCache* aDrawingCaches,
                                               TEscherContainerRecord* aParentContainer)
    : TEscherRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
}

TEscherContainerRecord::TEscherContainerRecord(Word aVerInst, Word aRecType,
                                               TEscherDwgGroupCache* aGroupCaches,
                                               TEscherDwgCache* aDrawingCaches,
                                               TEscherContainerRecord* aParentContainer)
    : TEscherRecord(TEscherRecordHeader{aVerInst, aRecType, 0}, aGroupCaches, aDrawingCaches,
                    aParentContainer)
{
}

TEscherContainerRecord::~TEscherContainerRecord()
{
    FChildren.Clear();
}

std::unique_ptr<TEscherRecord> TEscherContainerRecord::Create(const TEscherRecordHeader& Header,
                                                              TEscherDwgGroupCache* aGroupCaches,
                                                              TEscherDwgCache* aDrawingCaches,
                                                              TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherContainerRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

std::unique_ptr<TEscherRecord> TEscherContainerRecord::DoCopyTo(TEscherDwgCache* aDrawingCaches,
                                                                Integer RowOffset, Integer ColOffset,
                                                                TEscherSheet* Sheet)
{
    std::unique_ptr<TEscherRecord> copy =
        TEscherRecord::DoCopyTo(aDrawingCaches, RowOffset, ColOffset, Sheet);
    auto* c = static_cast<TEscherContainerRecord*>(copy.get());
    c->FChildren.CopyFrom(&FChildren, aDrawingCaches, RowOffset, ColOffset, Sheet);
    return copy;
}

void TEscherContainerRecord::LoadFrom(const TBaseRecord*& Record, Integer& Position)
{
    TEscherReader reader(Record, Position);
    Load(reader);
    Record = reader.Record;
    Position = reader.Position;
}

void TEscherContainerRecord::Load(TEscherReader& Reader)
{
    if (Reader.Left < 0)
        XlsError(ErrExcelInvalid);
    while (!Loaded() && !Reader.UsedUp()) {
        if (FChildren.Count() == 0 || FChildren.Items(FChildren.Count() - 1)->Loaded()) {
            Byte head[8];
            Reader.Read(head, 8);
            TEscherRecordHeader h = TEscherRecordHeader::FromBytes(head);
            FChildren.Add(CreateEscherRecord(h, FGroupCaches, FDrawingCaches, this));
        }
        TEscherRecord* last = FChildren.Items(FChildren.Count() - 1);
        last->Load(Reader);
        if (last->Loaded()) {
            FLoadedLength += static_cast<Integer>(last->TotalSizeNoSplit());
            last->AfterCreate();
        }
    }
}

void TEscherContainerRecord::SaveToStream(TOle2File& DataStream, TBreakList* BreakList)
{
    TEscherRecord::SaveToStream(DataStream, BreakList);
    FChildren.SaveToStream(DataStream, BreakList);
}

bool TEscherContainerRecord::WaitingClientData(TClientDataClass& ClientClass) const
{
    ClientClass = cdcNone;
    if (FChildren.Count() == 0)
        return false;
    return FChildren.Items(FChildren.Count() - 1)->WaitingClientData(ClientClass);
}

void TEscherContainerRecord::AssignClientData(std::unique_ptr<TBaseClientData> ClientData)
{
    LastRecord()->AssignClientData(std::move(ClientData));
}

TEscherRecord* TEscherContainerRecord::LastRecord() const
{
    if (FChildren.Count() == 0)
        XlsError(ErrLoadingEscher);
    return FChildren.Items(FChildren.Count() - 1);
}

void TEscherContainerRecord::SplitRecords(Int64& PieceUsed, Int64& TotalBytes, Integer& PendingRecordId,
                                          TBreakList* BreakList)
{
    TEscherRecord::SplitRecords(PieceUsed, TotalBytes, PendingRecordId, BreakList);
    for (Integer i = 0; i < FChildren.Count(); ++i)
        FChildren.Items(i)->SplitRecords(PieceUsed, TotalBytes, PendingRecordId, BreakList);
}

void TEscherContainerRecord::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos,
                                                      Integer ColCount, const TSheetInfo& SheetInfo,
                                                      bool ForceMove, TEscherSheet* Sheet)
{
    for (Integer i = 0; i < FChildren.Count(); ++i)
        FChildren.Items(i)->ArrangeInsertRowsAndCols(RowPos, RowCount, ColPos, ColCount, SheetInfo, ForceMove,
                                                     Sheet);
}

void TEscherContainerRecord::ClearCopiedTo()
{
    TEscherRecord::ClearCopiedTo();
    for (Integer i = 0; i < FChildren.Count(); ++i)
        FChildren.Items(i)->ClearCopiedTo();
}

// ---------------------------------------------------------------------------------------------
// Client data

TEscherClientDataRecord::TEscherClientDataRecord(const TEscherRecordHeader& Header,
                                                 TEscherDwgGroupCache* aGroupCaches,
                                                 TEscherDwgCache* aDrawingCaches,
                                                 TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

TEscherClientDataRecord::TEscherClientDataRecord(TEscherDwgGroupCache* aGroupCaches,
                                                 TEscherDwgCache* aDrawingCaches,
                                                 TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(TEscherRecordHeader{0x0000, 0xF011, 0}, aGroupCaches, aDrawingCaches,
                        aParentContainer)
{
    Register();
}

void TEscherClientDataRecord::Register()
{
    if (InSheet())
        FDrawingCaches->ObjList->Add(this);
}

TEscherClientDataRecord::~TEscherClientDataRecord()
{
    if (SheetUpkeep() && FDrawingCaches->ObjList)
        FDrawingCaches->ObjList->Remove(this);
}

std::unique_ptr<TEscherRecord> TEscherClientDataRecord::Create(const TEscherRecordHeader& Header,
                                                               TEscherDwgGroupCache* aGroupCaches,
                                                               TEscherDwgCache* aDrawingCaches,
                                                               TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherClientDataRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

std::unique_ptr<TEscherRecord> TEscherClientDataRecord::DoCopyTo(TEscherDwgCache* aDrawingCaches,
                                                                 Integer RowOffset, Integer ColOffset,
                                                                 TEscherSheet* Sheet)
{
    std::unique_ptr<TEscherRecord> copy =
        TEscherDataRecord::DoCopyTo(aDrawingCaches, RowOffset, ColOffset, Sheet);
    auto* c = static_cast<TEscherClientDataRecord*>(copy.get());
    if (FClientData) {
        c->AssignClientData(FClientData->CopyTo());
        // A copy within the same sheet needs an object id of its own.
        if (aDrawingCaches == FDrawingCaches && aDrawingCaches)
            c->FClientData->ArrangeId(aDrawingCaches->LastObjId);
    }
    c->ArrangeCopyRowsAndCols(RowOffset, ColOffset);
    return copy;
}

void TEscherClientDataRecord::SaveToStream(TOle2File& DataStream, TBreakList* BreakList)
{
    TEscherDataRecord::SaveToStream(DataStream, BreakList);
    if (FClientData) {
        Int64 before = DataStream.Get_Position();
        FClientData->SaveToStream(DataStream);
        BreakList->AddToZeroPos(DataStream.Get_Position() - before);
    }
}

bool TEscherClientDataRecord::WaitingClientData(TClientDataClass& ClientClass) const
{
    if (Loaded() && !FClientData) {
        ClientClass = this->ClientClass();
        return true;
    }
    ClientClass = cdcNone;
    return false;
}

void TEscherClientDataRecord::AssignClientData(std::unique_ptr<TBaseClientData> ClientData)
{
    FClientData = std::move(ClientData);
    if (FClientData && FDrawingCaches && FClientData->GetId() > FDrawingCaches->LastObjId)
        FDrawingCaches->LastObjId = FClientData->GetId();
}

void TEscherClientDataRecord::SplitRecords(Int64& PieceUsed, Int64& TotalBytes, Integer& PendingRecordId,
                                           TBreakList* BreakList)
{
    TEscherDataRecord::SplitRecords(PieceUsed, TotalBytes, PendingRecordId, BreakList);
    if (FClientData) {
        // Its records are written whole between the pieces; the Escher bytes after them always
        // start a new MSODRAWING record.
        TotalBytes += FClientData->TotalSize();
        PendingRecordId = xlr_MSODRAWING;
    }
}

void TEscherClientDataRecord::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos,
                                                       Integer ColCount, const TSheetInfo& SheetInfo,
                                                       bool ForceMove, TEscherSheet* Sheet)
{
    if (FClientData)
        FClientData->ArrangeInsertRowsAndCols(RowPos, RowCount, ColPos, ColCount, SheetInfo);
}

void TEscherClientDataRecord::ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset)
{
    if (FClientData)
        FClientData->ArrangeCopyRowsAndCols(RowOffset, ColOffset);
}

TEscherClientTextBoxRecord::TEscherClientTextBoxRecord(TEscherDwgGroupCache* aGroupCaches,
                                                       TEscherDwgCache* aDrawingCaches,
                                                       TEscherContainerRecord* aParentContainer)
    : TEscherClientDataRecord(TEscherRecordHeader{0x0000, 0xF00D, 0}, aGroupCaches, aDrawingCaches,
                              aParentContainer)
{
}

std::unique_ptr<TEscherRecord>
TEscherClientTextBoxRecord::Create(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                   TEscherDwgCache* aDrawingCaches,
                                   TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherClientTextBoxRecord>(Header, aGroupCaches, aDrawingCaches,
                                                        aParentContainer);
}

// ---------------------------------------------------------------------------------------------
// Whole streams

std::unique_ptr<TEscherContainerRecord>
CreateEscherRoot(TEscherReader& Reader, TEscherDwgGroupCache* GroupCaches, TEscherDwgCache* DrawingCaches)
{
    Byte head[8];
    Reader.Read(head, 8);
    TEscherRecordHeader h = TEscherRecordHeader::FromBytes(head);
    return std::make_unique<TEscherContainerRecord>(h, GroupCaches, DrawingCaches, nullptr);
}

Int64 EscherStreamSize(TEscherRecord* Root, Word RecordId)
{
    if (!Root)
        return 0;
    Int64 piece = 0, total = 0;
    Integer pending = RecordId;
    Root->SplitRecords(piece, total, pending, nullptr);
    return total;
}

void EscherSaveStream(TEscherRecord* Root, Word RecordId, TOle2File& DataStream)
{
    if (!Root)
        return;
    TBreakList breaks(DataStream.Get_Position());
    Int64 piece = 0, total = 0;
    Integer pending = RecordId;
    Root->SplitRecords(piece, total, pending, &breaks);
    breaks.Add(0, static_cast<LongWord>(piece));
    Root->SaveToStream(DataStream, &breaks);
}
