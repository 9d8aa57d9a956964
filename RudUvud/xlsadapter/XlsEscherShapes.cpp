#include "RudUvud/xlsadapter/XlsEscherShapes.h"

#include "RudUvud/xlsadapter/XlsEscherGraphToBSE.h"
#include "RudUvud/xlsadapter/XlsEscherRules.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace zivXlsMessages;

namespace {

template <class T>
std::unique_ptr<TEscherRecord> Make(const TEscherRecordHeader& H, TEscherDwgGroupCache* G, TEscherDwgCache* D,
                                    TEscherContainerRecord* P)
{
    return std::make_unique<T>(H, G, D, P);
}

// The shape container a part is created in; a part anywhere else is refused like the class check
// of a typed list would refuse it.
TEscherSpContainerRecord* ShapeContainerOf(TEscherContainerRecord* Parent)
{
    auto* sp = dynamic_cast<TEscherSpContainerRecord*>(Parent);
    if (Parent && !sp)
        XlsError(ErrLoadingEscher);
    return sp;
}

Int64 RoundEven(double V)
{
    return static_cast<Int64>(std::nearbyint(V));
}

ByteArray Bytes16(std::initializer_list<LongWord> Words)
{
    ByteArray b(Words.size() * 4);
    Integer p = 0;
    for (LongWord w : Words) {
        SetLongWord(b.data(), p, w);
        p += 4;
    }
    return b;
}

// Property table entries (property word, value) followed by complex data.
ByteArray PropTable(std::initializer_list<std::pair<Word, LongWord>> Props)
{
    ByteArray b(Props.size() * 6);
    Integer p = 0;
    for (auto& [w, v] : Props) {
        SetWord(b.data(), p, w);
        SetLongWord(b.data(), p + 2, v);
        p += 6;
    }
    return b;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The class table

std::unique_ptr<TEscherRecord> CreateEscherRecord(const TEscherRecordHeader& Header,
                                                  TEscherDwgGroupCache* GroupCaches,
                                                  TEscherDwgCache* DrawingCaches,
                                                  TEscherContainerRecord* ParentContainer)
{
    // A length no container can hold is refused before anything is built from it.
    if (Header.Length > 0x7FFFFFFFu)
        XlsError(ErrLoadingEscher);
    if (ParentContainer) {
        Int64 room = Int64(ParentContainer->DataLength()) - ParentContainer->LoadedLength() - 8;
        if (Int64(Header.Length) > room)
            XlsError(ErrLoadingEscher);
        if (Header.IsContainer() && ParentContainer->Depth() + 1 >= EscherMaxDepth)
            XlsError(ErrLoadingEscher);
    }
    using G = TEscherDwgGroupCache;
    using D = TEscherDwgCache;
    using P = TEscherContainerRecord;
    std::unique_ptr<TEscherRecord> (*make)(const TEscherRecordHeader&, G*, D*, P*) = nullptr;
    if (Header.IsContainer()) {
        switch (Header.RecType) {
        case 0xF001:
            make = Make<TEscherBStoreRecord>;
            break;
        case 0xF003:
            make = Make<TEscherSpgrContainerRecord>;
            break;
        case 0xF004:
            make = Make<TEscherSpContainerRecord>;
            break;
        case 0xF005:
            make = Make<TEscherSolverContainerRecord>;
            break;
        default:
            make = Make<TEscherContainerRecord>;
        }
    } else {
        switch (Header.RecType) {
        case 0xF006:
            make = Make<TEscherDggRecord>;
            break;
        case 0xF007:
            make = Make<TEscherBSERecord>;
            break;
        case 0xF008:
            make = Make<TEscherDgRecord>;
            break;
        case 0xF00A:
            make = Make<TEscherSPRecord>;
            break;
        case 0xF00B:
            make = Make<TEscherOPTRecord>;
            break;
        case 0xF00D:
            make = Make<TEscherClientTextBoxRecord>;
            break;
        case 0xF010:
            make = Make<TEscherClientAnchorRecord>;
            break;
        case 0xF011:
            make = Make<TEscherClientDataRecord>;
            break;
        case 0xF012:
            make = Make<TEscherConnectorRuleRecord>;
            break;
        case 0xF013:
            make = Make<TEscherAlignRuleRecord>;
            break;
        case 0xF014:
            make = Make<TEscherArcRuleRecord>;
            break;
        case 0xF017:
            make = Make<TEscherCalloutRuleRecord>;
            break;
        case 0xF11E:
            make = Make<TEscherSplitMenuRecord>;
            break;
        default:
            make = Make<TEscherDataRecord>;
        }
    }
    return make(Header, GroupCaches, DrawingCaches, ParentContainer);
}

// ---------------------------------------------------------------------------------------------
// Cell arithmetic

Int64 EscherColPos(const TEscherSheet& Sheet, Integer Col, Integer Offset)
{
    Int64 x = 0;
    for (Integer i = 0; i < Col; ++i)
        x += Sheet.GetColWidth(i);
    return x + RoundEven(double(Offset) * Sheet.GetColWidth(Col) / 1024.0);
}

Int64 EscherRowPos(const TEscherSheet& Sheet, Integer Row, Integer Offset)
{
    Int64 y = 0;
    for (Integer i = 0; i < Row; ++i)
        y += Sheet.GetRowHeight(i);
    return y + RoundEven(double(Offset) * Sheet.GetRowHeight(Row) / 255.0);
}

namespace {
template <class TSize>
void CellOfPos(Int64 Pos, Integer Last, Integer Units, TSize Size, Word& Cell, Word& Offset)
{
    Int64 start = 0, cellStart = 0;
    Integer cell = 0;
    for (Integer i = 0; i <= Last && start <= Pos; ++i) {
        cell = i;
        cellStart = start;
        start += Size(i);
    }
    Integer w = Size(cell);
    Int64 off = w > 0 ? RoundEven(double(Pos - cellStart) / w * Units) : 0;
    Cell = static_cast<Word>(cell);
    Offset = static_cast<Word>(std::clamp<Int64>(off, 0, Units));
}
} // namespace

void EscherColOfPos(const TEscherSheet& Sheet, Int64 X, Word& Col, Word& Offset)
{
    CellOfPos(
        X, 255, 1024, [&](Integer i) { return Sheet.GetColWidth(i); }, Col, Offset);
}

void EscherRowOfPos(const TEscherSheet& Sheet, Int64 Y, Word& Row, Word& Offset)
{
    CellOfPos(
        Y, 65535, 255, [&](Integer i) { return Sheet.GetRowHeight(i); }, Row, Offset);
}

// ---------------------------------------------------------------------------------------------
// Anchor

TEscherClientAnchorRecord::TEscherClientAnchorRecord(const TEscherRecordHeader& Header,
                                                     TEscherDwgGroupCache* aGroupCaches,
                                                     TEscherDwgCache* aDrawingCaches,
                                                     TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

TEscherClientAnchorRecord::TEscherClientAnchorRecord(const TClientAnchor& Anchor,
                                                     TEscherDwgGroupCache* aGroupCaches,
                                                     TEscherDwgCache* aDrawingCaches,
                                                     TEscherContainerRecord* aParentContainer,
                                                     TEscherSheet* Sheet)
    : TEscherDataRecord(TEscherRecordHeader{0x0000, 0xF010, 18}, aGroupCaches, aDrawingCaches,
                        aParentContainer)
{
    InitBody(ByteArray(18));
    PutAnchor(Anchor);
    SaveObjectCoords(Sheet);
    Register();
}

void TEscherClientAnchorRecord::Register()
{
    TEscherSpContainerRecord* sp = ShapeContainerOf(FParentContainer);
    if (sp)
        sp->AnchorRec = this;
    if (InSheet())
        FDrawingCaches->AnchorList->Add(this);
}

TEscherClientAnchorRecord::~TEscherClientAnchorRecord()
{
    if (SheetUpkeep())
        FDrawingCaches->AnchorList->Remove(this);
    if (auto* sp = dynamic_cast<TEscherSpContainerRecord*>(FParentContainer))
        if (sp->AnchorRec == this)
            sp->AnchorRec = nullptr;
}

std::unique_ptr<TEscherRecord>
TEscherClientAnchorRecord::Create(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                  TEscherDwgCache* aDrawingCaches,
                                  TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherClientAnchorRecord>(Header, aGroupCaches, aDrawingCaches,
                                                       aParentContainer);
}

TClientAnchor TEscherClientAnchorRecord::GetAnchor() const
{
    TClientAnchor a;
    a.AnchorFlags = BodyWord(0);
    a.StartCol = BodyWord(2);
    a.StartColOffset = BodyWord(4);
    a.StartRow = BodyWord(6);
    a.StartRowOffset = BodyWord(8);
    a.EndCol = BodyWord(10);
    a.EndColOffset = BodyWord(12);
    a.EndRow = BodyWord(14);
    a.EndRowOffset = BodyWord(16);
    return a;
}

void TEscherClientAnchorRecord::PutAnchor(const TClientAnchor& A)
{
    SetBodyWord(0, A.AnchorFlags);
    SetBodyWord(2, A.StartCol);
    SetBodyWord(4, A.StartColOffset);
    SetBodyWord(6, A.StartRow);
    SetBodyWord(8, A.StartRowOffset);
    SetBodyWord(10, A.EndCol);
    SetBodyWord(12, A.EndColOffset);
    SetBodyWord(14, A.EndRow);
    SetBodyWord(16, A.EndRowOffset);
}

void TEscherClientAnchorRecord::SetAnchor(const TClientAnchor& Anchor, TEscherSheet* Sheet)
{
    PutAnchor(Anchor);
    SaveObjectCoords(Sheet);
}

std::unique_ptr<TEscherRecord> TEscherClientAnchorRecord::DoCopyTo(TEscherDwgCache* aDrawingCaches,
                                                                   Integer RowOffset, Integer ColOffset,
                                                                   TEscherSheet* Sheet)
{
    std::unique_ptr<TEscherRecord> copy =
        TEscherDataRecord::DoCopyTo(aDrawingCaches, RowOffset, ColOffset, Sheet);
    auto* c = static_cast<TEscherClientAnchorRecord*>(copy.get());
    TClientAnchor a = GetAnchor();
    a.StartRow = static_cast<Word>(a.StartRow + RowOffset);
    a.EndRow = static_cast<Word>(a.EndRow + RowOffset);
    a.StartCol = static_cast<Word>(a.StartCol + ColOffset);
    a.EndCol = static_cast<Word>(a.EndCol + ColOffset);
    c->PutAnchor(a);
    c->SavedRect = SavedRect;
    return copy;
}

void TEscherClientAnchorRecord::SaveObjectCoords(TEscherSheet* Sheet)
{
    TClientAnchor a = GetAnchor();
    if (!Sheet || (a.AnchorFlags & 3) == 0)
        return;
    SavedRect.LeftPos = static_cast<Integer>(EscherColPos(*Sheet, a.StartCol, a.StartColOffset));
    SavedRect.TopPos = static_cast<Integer>(EscherRowPos(*Sheet, a.StartRow, a.StartRowOffset));
    SavedRect.RightPos = static_cast<Integer>(EscherColPos(*Sheet, a.EndCol, a.EndColOffset));
    SavedRect.BottomPos = static_cast<Integer>(EscherRowPos(*Sheet, a.EndRow, a.EndRowOffset));
}

void TEscherClientAnchorRecord::RestoreObjectCoords(TEscherSheet* Sheet)
{
    TClientAnchor a = GetAnchor();
    Integer kind = a.AnchorFlags & 3;
    if (!Sheet || kind == 0)
        return;
    if (kind == 3) {
        EscherColOfPos(*Sheet, SavedRect.LeftPos, a.StartCol, a.StartColOffset);
        EscherColOfPos(*Sheet, SavedRect.RightPos, a.EndCol, a.EndColOffset);
        EscherRowOfPos(*Sheet, SavedRect.TopPos, a.StartRow, a.StartRowOffset);
        EscherRowOfPos(*Sheet, SavedRect.BottomPos, a.EndRow, a.EndRowOffset);
    } else {
        Int64 x = EscherColPos(*Sheet, a.StartCol, a.StartColOffset);
        Int64 y = EscherRowPos(*Sheet, a.StartRow, a.StartRowOffset);
        EscherColOfPos(*Sheet, x + SavedRect.RightPos - SavedRect.LeftPos, a.EndCol, a.EndColOffset);
        EscherRowOfPos(*Sheet, y + SavedRect.BottomPos - SavedRect.TopPos, a.EndRow, a.EndRowOffset);
    }
    PutAnchor(a);
}

void TEscherClientAnchorRecord::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos,
                                                         Integer ColCount, const TSheetInfo& SheetInfo,
                                                         bool ForceMove, TEscherSheet* Sheet)
{
    if (SheetInfo.InsSheet != SheetInfo.FormulaSheet)
        return;
    TClientAnchor a = GetAnchor();
    Integer kind = ForceMove ? 2 : (a.AnchorFlags & 3);
    if (kind == 0) {
        auto move = [](Word& Cell, Word& Offset, Integer Pos, Integer Count, Integer Max) {
            if (Cell < Pos)
                return;
            Integer moved = Cell + Count;
            if (moved < Pos)
                Offset = 0; // the cell was deleted: the corner goes to the start of the next one
            Cell = static_cast<Word>(std::clamp(moved, Pos, Max));
        };
        move(a.StartRow, a.StartRowOffset, RowPos, RowCount, 65535);
        move(a.EndRow, a.EndRowOffset, RowPos, RowCount, 65535);
        move(a.StartCol, a.StartColOffset, ColPos, ColCount, 255);
        move(a.EndCol, a.EndColOffset, ColPos, ColCount, 255);
        PutAnchor(a);
    } else if (kind == 1 || kind == 2) {
        auto move = [](Word& Start, Word& End, Integer Pos, Integer Count, Integer Max) {
            if (Start < Pos)
                return;
            Integer start = std::clamp(Start + Count, Pos, Max);
            Integer delta = start - Start;
            End = static_cast<Word>(std::clamp(End + delta, start, Max));
            Start = static_cast<Word>(start);
        };
        move(a.StartRow, a.EndRow, RowPos, RowCount, 65535);
        move(a.StartCol, a.EndCol, ColPos, ColCount, 255);
        PutAnchor(a);
        RestoreObjectCoords(Sheet);
    } else
        RestoreObjectCoords(Sheet);
}

bool TEscherClientAnchorRecord::AllowCopy(Integer FirstRow, Integer LastRow, Integer FirstCol,
                                          Integer LastCol) const
{
    TClientAnchor a = GetAnchor();
    Integer kind = a.AnchorFlags & 3;
    return (kind == 0 || kind == 2) && a.StartRow >= FirstRow && a.EndRow <= LastRow &&
           a.StartCol >= FirstCol && a.EndCol <= LastCol;
}

bool TEscherClientAnchorRecord::AllowDelete(Integer FirstRow, Integer LastRow, Integer FirstCol,
                                            Integer LastCol) const
{
    TClientAnchor a = GetAnchor();
    return (a.AnchorFlags & 3) == 0 && a.StartRow >= FirstRow && a.EndRow <= LastRow &&
           a.StartCol >= FirstCol && a.EndCol <= LastCol;
}

// ---------------------------------------------------------------------------------------------
// Shape

TEscherSPRecord::TEscherSPRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                 TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

TEscherSPRecord::TEscherSPRecord(Word aVerInst, LongWord ShapeId, LongWord Flags,
                                 TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                 TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(TEscherRecordHeader{aVerInst, 0xF00A, 8}, aGroupCaches, aDrawingCaches,
                        aParentContainer)
{
    InitBody(Bytes16({ShapeId, Flags}));
    Register();
}

void TEscherSPRecord::Register()
{
    TEscherSpContainerRecord* sp = ShapeContainerOf(FParentContainer);
    if (sp)
        sp->ShapeRec = this;
    if (InSheet())
        FDrawingCaches->ShapeList->Add(this);
}

TEscherSPRecord::~TEscherSPRecord()
{
    if (SheetUpkeep()) {
        if (FDrawingCaches->DgRecord)
            FDrawingCaches->DgRecord->DecShapeCount();
        if (FDrawingCaches->SolverRecord)
            FDrawingCaches->SolverRecord->DeleteRef(this);
        FDrawingCaches->ShapeList->Remove(this);
    }
    if (auto* sp = dynamic_cast<TEscherSpContainerRecord*>(FParentContainer))
        if (sp->ShapeRec == this)
            sp->ShapeRec = nullptr;
}

std::unique_ptr<TEscherRecord> TEscherSPRecord::Create(const TEscherRecordHeader& Header,
                                                       TEscherDwgGroupCache* aGroupCaches,
                                                       TEscherDwgCache* aDrawingCaches,
                                                       TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherSPRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

std::unique_ptr<TEscherRecord> TEscherSPRecord::DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                                         Integer ColOffset, TEscherSheet* Sheet)
{
    if (!aDrawingCaches || !aDrawingCaches->DgRecord)
        XlsError(ErrLoadingEscher);
    std::unique_ptr<TEscherRecord> copy =
        TEscherDataRecord::DoCopyTo(aDrawingCaches, RowOffset, ColOffset, Sheet);
    static_cast<TEscherSPRecord*>(copy.get())->SetShapeId(aDrawingCaches->DgRecord->IncMaxShapeId());
    return copy;
}

// ---------------------------------------------------------------------------------------------
// Shape and group containers

TEscherSpContainerRecord::TEscherSpContainerRecord(TEscherDwgGroupCache* aGroupCaches,
                                                   TEscherDwgCache* aDrawingCaches,
                                                   TEscherContainerRecord* aParentContainer)
    : TEscherContainerRecord(0x000F, 0xF004, aGroupCaches, aDrawingCaches, aParentContainer)
{
}

TEscherSpContainerRecord::~TEscherSpContainerRecord()
{
    // The parts clear their links while this container is still whole.
    FChildren.Clear();
}

std::unique_ptr<TEscherRecord>
TEscherSpContainerRecord::Create(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                 TEscherDwgCache* aDrawingCaches,
                                 TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherSpContainerRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

TEscherSpgrContainerRecord::TEscherSpgrContainerRecord(const TEscherRecordHeader& Header,
                                                       TEscherDwgGroupCache* aGroupCaches,
                                                       TEscherDwgCache* aDrawingCaches,
                                                       TEscherContainerRecord* aParentContainer)
    : TEscherContainerRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

TEscherSpgrContainerRecord::TEscherSpgrContainerRecord(TEscherDwgGroupCache* aGroupCaches,
                                                       TEscherDwgCache* aDrawingCaches,
                                                       TEscherContainerRecord* aParentContainer)
    : TEscherContainerRecord(0x000F, 0xF003, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

void TEscherSpgrContainerRecord::Register()
{
    if (InSheet() && !FDrawingCaches->PatriarchRecord)
        FDrawingCaches->PatriarchRecord = this;
}

TEscherSpgrContainerRecord::~TEscherSpgrContainerRecord()
{
    FChildren.Clear();
    if (FDrawingCaches && FDrawingCaches->PatriarchRecord == this)
        FDrawingCaches->PatriarchRecord = nullptr;
}

std::unique_ptr<TEscherRecord>
TEscherSpgrContainerRecord::Create(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                   TEscherDwgCache* aDrawingCaches,
                                   TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherSpgrContainerRecord>(Header, aGroupCaches, aDrawingCaches,
                                                        aParentContainer);
}

// ---------------------------------------------------------------------------------------------
// Drawing record

TEscherDgRecord::TEscherDgRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                 TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

TEscherDgRecord::TEscherDgRecord(LongWord ShapeCount, Word DrawingId, LongWord FirstShapeId,
                                 TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                 TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(TEscherRecordHeader{static_cast<Word>(DrawingId << 4), 0xF008, 8}, aGroupCaches,
                        aDrawingCaches, aParentContainer)
{
    InitBody(Bytes16({ShapeCount, FirstShapeId + 1}));
    Register();
}

void TEscherDgRecord::Register()
{
    if (!InSheet())
        return;
    if (FDrawingCaches->DgRecord)
        XlsError(ErrDgDuplicated);
    FDrawingCaches->DgRecord = this;
}

TEscherDgRecord::~TEscherDgRecord()
{
    // The clusters go back to the drawing group even when the whole drawing is torn down.
    if (FGroupCaches && FGroupCaches->DggRecord && InSheet())
        FGroupCaches->DggRecord->DestroyClusters(DrawingId());
    if (FDrawingCaches && FDrawingCaches->DgRecord == this)
        FDrawingCaches->DgRecord = nullptr;
}

std::unique_ptr<TEscherRecord> TEscherDgRecord::Create(const TEscherRecordHeader& Header,
                                                       TEscherDwgGroupCache* aGroupCaches,
                                                       TEscherDwgCache* aDrawingCaches,
                                                       TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherDgRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

std::unique_ptr<TEscherRecord> TEscherDgRecord::DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                                         Integer ColOffset, TEscherSheet* Sheet)
{
    if (!FGroupCaches || !FGroupCaches->DggRecord)
        XlsError(ErrLoadingEscher);
    Word id = 0;
    LongWord first = 0;
    FGroupCaches->DggRecord->GetNewDgIdAndCluster(id, first);
    std::unique_ptr<TEscherRecord> copy =
        TEscherDataRecord::DoCopyTo(aDrawingCaches, RowOffset, ColOffset, Sheet);
    auto* c = static_cast<TEscherDgRecord*>(copy.get());
    c->SetVerInst(static_cast<Word>((id << 4) | Version()));
    c->SetBodyLongWord(0, 0);
    c->SetBodyLongWord(4, first + 1);
    return copy;
}

LongWord TEscherDgRecord::IncMaxShapeId()
{
    if (!FGroupCaches || !FGroupCaches->DggRecord)
        XlsError(ErrLoadingEscher);
    SetBodyLongWord(0, ShapesInDrawing() + 1);
    Int64 id = FGroupCaches->DggRecord->AddImage(DrawingId(), LastShapeId());
    SetBodyLongWord(4, static_cast<LongWord>(id));
    return static_cast<LongWord>(id);
}

void TEscherDgRecord::DecShapeCount()
{
    if (ShapesInDrawing() > 0)
        SetBodyLongWord(0, ShapesInDrawing() - 1);
    if (FGroupCaches && FGroupCaches->DggRecord)
        FGroupCaches->DggRecord->RemoveImage(DrawingId());
}

// ---------------------------------------------------------------------------------------------
// Drawing-group record

TEscherDggRecord::TEscherDggRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                   TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

TEscherDggRecord::TEscherDggRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                   TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(TEscherRecordHeader{0x0000, 0xF006, 16}, aGroupCaches, aDrawingCaches,
                        aParentContainer)
{
    InitBody(Bytes16({2, 1, 0, 0}));
    Register();
}

void TEscherDggRecord::Register()
{
    // Only the drawing group's own record serves the workbook: one in a sheet stream stays a
    // record of that sheet, so that nothing outlives it by pointing into it.
    if (!FGroupCaches || InSheet())
        return;
    if (FGroupCaches->DggRecord)
        XlsError(ErrDggDuplicated);
    FGroupCaches->DggRecord = this;
}

TEscherDggRecord::~TEscherDggRecord()
{
    if (FGroupCaches && FGroupCaches->DggRecord == this)
        FGroupCaches->DggRecord = nullptr;
}

std::unique_ptr<TEscherRecord> TEscherDggRecord::Create(const TEscherRecordHeader& Header,
                                                        TEscherDwgGroupCache* aGroupCaches,
                                                        TEscherDwgCache* aDrawingCaches,
                                                        TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherDggRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

Integer TEscherDggRecord::SlotCount() const
{
    Int64 stored = Int64(ClusterSlots()) - 1;
    Int64 room = FData.size() >= 16 ? Int64(FData.size() - 16) / 8 : 0;
    return static_cast<Integer>(std::clamp<Int64>(stored, 0, room));
}

void TEscherDggRecord::GetNewCluster(Word& DrawingId, bool NewDrawing, Int64 UsedIds, LongWord& FirstShapeId)
{
    Integer slots = SlotCount();
    Integer free = -1;
    if (NewDrawing) {
        LongWord highest = 0;
        for (Integer k = 0; k < slots; ++k) {
            highest = std::max(highest, ClusterDrawing(k));
            if (free < 0 && ClusterDrawing(k) == 0)
                free = k;
        }
        DrawingId = static_cast<Word>(std::max<LongWord>(highest + 1, 1));
    } else {
        for (Integer k = slots - 1; k >= 0; --k) {
            if (ClusterDrawing(k) == DrawingId)
                break;
            if (free < 0 && ClusterDrawing(k) == 0)
                free = k;
        }
    }
    if (free < 0) {
        // A stored slot count beyond the body is cut back to the slots that exist.
        FData.resize(16 + 8 * size_t(slots) + 8, 0);
        FDataLength = static_cast<Integer>(FData.size());
        FLoadedLength = FDataLength;
        SetBodyLongWord(4, static_cast<LongWord>(slots + 2));
        free = slots;
    }
    SetBodyLongWord(16 + 8 * free, DrawingId);
    SetBodyLongWord(20 + 8 * free, static_cast<LongWord>(UsedIds));
    FirstShapeId = static_cast<LongWord>((free + 1) * 1024);
}

void TEscherDggRecord::GetNewDgIdAndCluster(Word& DrawingId, LongWord& FirstShapeId)
{
    GetNewCluster(DrawingId, true, 0, FirstShapeId);
    SetSavedDrawings(SavedDrawings() + 1);
}

void TEscherDggRecord::AddNewCluster(Word DrawingId, Int64 UsedIds, LongWord& FirstShapeId)
{
    GetNewCluster(DrawingId, false, UsedIds, FirstShapeId);
}

void TEscherDggRecord::DestroyClusters(Word DrawingId)
{
    Integer slots = SlotCount();
    for (Integer k = 0; k < slots; ++k)
        if (ClusterDrawing(k) == DrawingId)
            SetBodyLongWord(16 + 8 * k, 0);
    if (SavedDrawings() > 0)
        SetSavedDrawings(SavedDrawings() - 1);
}

Int64 TEscherDggRecord::AddImage(Word DrawingId, LongWord LastShapeId)
{
    Int64 k = Int64(LastShapeId / 1024) - 1;
    Int64 id;
    if (k >= 0 && k < SlotCount() && ClusterDrawing(static_cast<Integer>(k)) == DrawingId &&
        ClusterIdsUsed(static_cast<Integer>(k)) < 1024) {
        LongWord used = ClusterIdsUsed(static_cast<Integer>(k));
        id = (k + 1) * 1024 + used;
        SetBodyLongWord(static_cast<Integer>(20 + 8 * k), used + 1);
    } else {
        LongWord first = 0;
        AddNewCluster(DrawingId, 1, first);
        id = first;
    }
    SetBodyLongWord(8, SavedShapes() + 1);
    if (id + 1 > Int64(ShapeIdLimit()))
        SetBodyLongWord(0, static_cast<LongWord>(id + 1));
    return id;
}

void TEscherDggRecord::RemoveImage(Word DrawingId)
{
    if (SavedShapes() > 0)
        SetBodyLongWord(8, SavedShapes() - 1);
}

// ---------------------------------------------------------------------------------------------
// Picture store and entries

TEscherBSERecord::TEscherBSERecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                   TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
}

std::unique_ptr<TEscherRecord> TEscherBSERecord::Create(const TEscherRecordHeader& Header,
                                                        TEscherDwgGroupCache* aGroupCaches,
                                                        TEscherDwgCache* aDrawingCaches,
                                                        TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherBSERecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

void TEscherBSERecord::AfterCreate()
{
    FRefs = 0;
    StoreRefs();
}

void TEscherBSERecord::StoreRefs()
{
    SetBodyLongWord(24, FRefs);
}

Integer TEscherBSERecord::CompareRec(const TEscherRecord& Other) const
{
    if (FDataLength != Other.DataLength())
        return FDataLength < Other.DataLength() ? -1 : 1;
    auto* o = dynamic_cast<const TEscherBSERecord*>(&Other);
    if (!o)
        return TEscherRecord::CompareRec(Other);
    for (Integer i = 2; i < 18; ++i) {
        Byte a = BodyByte(i), b = o->BodyByte(i);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return 0;
}

void TEscherBSERecord::AddRef()
{
    ++FRefs;
    StoreRefs();
}

void TEscherBSERecord::Release()
{
    if (FRefs > 0)
        --FRefs;
    StoreRefs();
    if (FRefs == 0 && FGroupCaches && FGroupCaches->BStoreRecord && !FGroupCaches->KeepEntries) {
        TEscherRecordList& entries = FGroupCaches->BStoreRecord->Children();
        Integer i = entries.IndexOf(this);
        if (i >= 0)
            entries.Delete(i); // frees this entry: nothing may follow
    }
}

void TEscherBSERecord::CopyFromData(const Byte* Head, const Byte* PictureHeader, const ByteArray& Picture)
{
    if (Int64(FDataLength) != Int64(Picture.size()) + 44)
        XlsError(ErrInternal);
    FData.assign(Head, Head + 36);
    FData.insert(FData.end(), PictureHeader, PictureHeader + 8);
    FData.insert(FData.end(), Picture.begin(), Picture.end());
    FLoadedLength = FDataLength;
    FRefs = BodyLongWord(24);
}

void TEscherBSERecord::SaveGraphicToStream(TStream& Stream, TXlsImgTypes& ImgType) const
{
    switch (PictureType()) {
    case 2:
        ImgType = xli_Emf;
        break;
    case 3:
        ImgType = xli_Wmf;
        break;
    case 5:
        ImgType = xli_Jpeg;
        break;
    case 6:
        ImgType = xli_Png;
        break;
    case 7:
        ImgType = xli_Bmp;
        break;
    default:
        ImgType = xli_Unknown;
    }
    Int64 start = 36 + 8 + ((ImgType == xli_Jpeg || ImgType == xli_Png || ImgType == xli_Bmp) ? 17 : 16);
    // An entry too short to hold its picture record refuses rather than reading outside the body.
    if (Int64(FData.size()) < start)
        XlsError(ErrChangingEscher);
    if (ImgType == xli_Bmp) {
        Byte fileHeader[14] = {'B', 'M'};
        Stream.WriteBuffer(fileHeader, 14);
    }
    Int64 n = Int64(FData.size()) - start;
    if (n > 0)
        Stream.WriteBuffer(FData.data() + start, static_cast<Integer>(n));
}

TEscherBStoreRecord::TEscherBStoreRecord(const TEscherRecordHeader& Header,
                                         TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                         TEscherContainerRecord* aParentContainer)
    : TEscherContainerRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

TEscherBStoreRecord::TEscherBStoreRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                         TEscherContainerRecord* aParentContainer)
    : TEscherContainerRecord(0x002F, 0xF001, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

void TEscherBStoreRecord::Register()
{
    // Only the drawing group's own record serves the workbook: one in a sheet stream stays a
    // record of that sheet, so that nothing outlives it by pointing into it.
    if (!FGroupCaches || InSheet())
        return;
    if (FGroupCaches->BStoreRecord)
        XlsError(ErrBStroreDuplicated);
    FGroupCaches->BStoreRecord = this;
}

TEscherBStoreRecord::~TEscherBStoreRecord()
{
    if (FGroupCaches && FGroupCaches->BStoreRecord == this)
        FGroupCaches->BStoreRecord = nullptr;
    FChildren.Clear();
}

std::unique_ptr<TEscherRecord> TEscherBStoreRecord::Create(const TEscherRecordHeader& Header,
                                                           TEscherDwgGroupCache* aGroupCaches,
                                                           TEscherDwgCache* aDrawingCaches,
                                                           TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherBStoreRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

void TEscherBStoreRecord::NumberEntries()
{
    for (Integer i = 0; i < FChildren.Count(); ++i)
        if (auto* e = dynamic_cast<TEscherBSERecord*>(FChildren.Items(i)))
            e->StorePosition = static_cast<LongWord>(i + 1);
}

void TEscherBStoreRecord::SaveToStream(TOle2File& DataStream, TBreakList* BreakList)
{
    NumberEntries();
    TEscherContainerRecord::SaveToStream(DataStream, BreakList);
}

TEscherBSERecord* TEscherBStoreRecord::Entry(LongWord Position) const
{
    if (Position < 1 || Position > static_cast<LongWord>(FChildren.Count()))
        return nullptr;
    return dynamic_cast<TEscherBSERecord*>(FChildren.Items(static_cast<Integer>(Position - 1)));
}

// ---------------------------------------------------------------------------------------------
// Shape options

TEscherOPTRecord::TEscherOPTRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                   TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

TEscherOPTRecord::TEscherOPTRecord(const ByteArray& Bytes, TXlsImgTypes ImgType, const WideString& Name,
                                   TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                   TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(TEscherRecordHeader{0x0043, 0xF00B, 0}, aGroupCaches, aDrawingCaches,
                        aParentContainer)
{
    Register();
    // The picture first: a refused picture leaves nothing behind.
    Integer position = AddImg(Bytes, ImgType);
    // AddImg counted a reference that AfterCreate counts again from the body.
    TEscherBSERecord* entry = BlipRefs.back();
    BlipRefs.clear();
    BlipOffsets.clear();
    LongWord nameBytes = static_cast<LongWord>(2 * Name.size() + 2);
    ByteArray body = PropTable({{0x4104, static_cast<LongWord>(position + 1)},
                                {0xC105, nameBytes},
                                {0x01BF, 0x00010000},
                                {0x03BF, 0x00080000}});
    for (WideChar c : Name) {
        body.push_back(static_cast<Byte>(c & 0xFF));
        body.push_back(static_cast<Byte>(c >> 8));
    }
    body.push_back(0);
    body.push_back(0);
    InitBody(std::move(body));
    TScopeExit Uncount([entry] { entry->Release(); });
    AfterCreate();
}

TEscherOPTRecord::TEscherOPTRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                   TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(TEscherRecordHeader{0x0033, 0xF00B, 0}, aGroupCaches, aDrawingCaches,
                        aParentContainer)
{
    InitBody(PropTable({{0x00BF, 0x00080008}, {0x0181, 0x08000009}, {0x01C0, 0x08000040}}));
    Register();
}

TEscherOPTRecord::TEscherOPTRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                   TEscherContainerRecord* aParentContainer, Integer)
    : TEscherDataRecord(TEscherRecordHeader{0x0093, 0xF00B, 0}, aGroupCaches, aDrawingCaches,
                        aParentContainer)
{
    InitBody(PropTable({{0x0080, 0},
                        {0x00BF, 0x00080008},
                        {0x0158, 0},
                        {0x0181, 0x08000050},
                        {0x0183, 0x08000050},
                        {0x01BF, 0x00110010},
                        {0x0201, 0},
                        {0x023F, 0x00030003},
                        {0x03BF, 0x000A0002}}));
    Register();
}

TEscherOPTRecord::TEscherOPTRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                   TEscherContainerRecord* aParentContainer, Integer, Integer)
    : TEscherDataRecord(TEscherRecordHeader{0x0043, 0xF00B, 0}, aGroupCaches, aDrawingCaches,
                        aParentContainer)
{
    InitBody(
        PropTable({{0x007F, 0x01040104}, {0x00BF, 0x00080008}, {0x01FF, 0x00080000}, {0x03BF, 0x00020000}}));
    Register();
}

void TEscherOPTRecord::Register()
{
    // Options also stand outside shapes: the drawing group holds the workbook's default options.
    if (auto* sp = dynamic_cast<TEscherSpContainerRecord*>(FParentContainer))
        sp->OptRec = this;
}

void TEscherOPTRecord::ReleaseRefs()
{
    std::vector<TEscherBSERecord*> refs;
    refs.swap(BlipRefs);
    BlipOffsets.clear();
    for (TEscherBSERecord* e : refs)
        e->Release();
}

TEscherOPTRecord::~TEscherOPTRecord()
{
    if (SheetUpkeep() && !BlipRefs.empty()) {
        FDrawingCaches->BlipList->Remove(this);
        ReleaseRefs();
    }
    if (auto* sp = dynamic_cast<TEscherSpContainerRecord*>(FParentContainer))
        if (sp->OptRec == this)
            sp->OptRec = nullptr;
}

std::unique_ptr<TEscherRecord> TEscherOPTRecord::Create(const TEscherRecordHeader& Header,
                                                        TEscherDwgGroupCache* aGroupCaches,
                                                        TEscherDwgCache* aDrawingCaches,
                                                        TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherOPTRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

void TEscherOPTRecord::AfterCreate()
{
    if (!InSheet())
        return; // the drawing group's options stay bytes
    Integer n = Instance();
    if (Int64(n) * 6 > Int64(FData.size()))
        XlsError(ErrLoadingEscher);
    Int64 complexPos = Int64(n) * 6;
    for (Integer i = 0; i < n; ++i) {
        Integer at = i * 6;
        Word prop = BodyWord(at);
        LongWord value = BodyLongWord(at + 2);
        bool complex = (prop & 0x8000) != 0;
        if (!complex && (prop & 0x4000)) {
            // A 1-based store position; 0 is "no picture".
            if (value != 0) {
                TEscherBStoreRecord* store = FGroupCaches ? FGroupCaches->BStoreRecord : nullptr;
                if (!store)
                    XlsError(ErrLoadingEscher); // a picture reference without a picture store
                TEscherBSERecord* entry = store->Entry(value);
                if (!entry)
                    XlsError(ErrLoadingEscher);
                entry->AddRef();
                BlipRefs.push_back(entry);
                BlipOffsets.push_back(static_cast<LongWord>(at + 2));
                if (BlipRefs.size() == 1)
                    FDrawingCaches->BlipList->Add(this);
            }
        }
        if ((prop & 0x3FFF) == 0x0380 && complex) {
            // The shape name: value / 2 - 1 UTF-16 characters, without the closing zero, kept
            // inside the body.
            Int64 chars = Int64(value / 2) - 1;
            Int64 fits = (Int64(FData.size()) - complexPos) / 2;
            chars = std::clamp<Int64>(chars, 0, std::max<Int64>(fits, 0));
            ShapeNameText.clear();
            for (Int64 c = 0; c < chars; ++c)
                ShapeNameText.push_back(
                    static_cast<WideChar>(BodyWord(static_cast<Integer>(complexPos + 2 * c))));
        }
        if (complex)
            complexPos += value;
    }
}

void TEscherOPTRecord::SaveToStream(TOle2File& DataStream, TBreakList* BreakList)
{
    if (BlipRefs.size() != BlipOffsets.size())
        XlsError(ErrInternal);
    for (size_t i = 0; i < BlipRefs.size(); ++i)
        SetBodyLongWord(static_cast<Integer>(BlipOffsets[i]), BlipRefs[i]->StorePosition);
    TEscherDataRecord::SaveToStream(DataStream, BreakList);
}

std::unique_ptr<TEscherRecord> TEscherOPTRecord::DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                                          Integer ColOffset, TEscherSheet* Sheet)
{
    std::unique_ptr<TEscherRecord> copy =
        TEscherDataRecord::DoCopyTo(aDrawingCaches, RowOffset, ColOffset, Sheet);
    auto* c = static_cast<TEscherOPTRecord*>(copy.get());
    for (TEscherBSERecord* e : BlipRefs) {
        e->AddRef();
        c->BlipRefs.push_back(e);
    }
    c->BlipOffsets = BlipOffsets;
    c->ShapeNameText = ShapeNameText;
    if (!BlipRefs.empty() && InSheet() && aDrawingCaches && aDrawingCaches->BlipList)
        aDrawingCaches->BlipList->Add(c);
    return copy;
}

TEscherBSERecord* TEscherOPTRecord::StoreEntry(std::unique_ptr<TEscherRecord> NewEntry)
{
    TEscherBStoreRecord* store = FGroupCaches->BStoreRecord;
    Integer index = 0;
    if (store->Children().Find(*NewEntry, index))
        return static_cast<TEscherBSERecord*>(store->Children().Items(index));
    auto* entry = static_cast<TEscherBSERecord*>(NewEntry.get());
    store->Children().Insert(index, std::move(NewEntry));
    return entry;
}

Integer TEscherOPTRecord::AddImg(const ByteArray& Bytes, TXlsImgTypes ImgType)
{
    if (!FGroupCaches || !FGroupCaches->BStoreRecord)
        XlsError("BStore can't be nil");
    TEscherBSERecord* entry = StoreEntry(ConvertGraphicToBSE(Bytes, ImgType, FGroupCaches, FDrawingCaches));
    entry->AddRef();
    BlipRefs.push_back(entry);
    BlipOffsets.push_back(2);
    return FGroupCaches->BStoreRecord->Children().IndexOf(entry);
}

void TEscherOPTRecord::ReplaceImg(const ByteArray& Bytes, TXlsImgTypes ImgType)
{
    if (!FGroupCaches || !FGroupCaches->BStoreRecord)
        XlsError(ErrInternal);
    if (BlipRefs.size() != 1)
        XlsError(ErrChangingEscher);
    ChangeRef(StoreEntry(ConvertGraphicToBSE(Bytes, ImgType, FGroupCaches, FDrawingCaches)));
}

void TEscherOPTRecord::ChangeRef(TEscherBSERecord* Entry)
{
    if (BlipRefs.size() != 1)
        XlsError(ErrChangingEscher);
    TEscherBSERecord* old = BlipRefs[0];
    if (old == Entry)
        return;
    Entry->AddRef();
    BlipRefs[0] = Entry;
    old->Release();
}

void TEscherOPTRecord::GetImageFromStream(TStream& Stream, TXlsImgTypes& ImgType) const
{
    if (BlipRefs.size() != 1)
        XlsError(ErrChangingEscher);
    BlipRefs[0]->SaveGraphicToStream(Stream, ImgType);
}

Word TEscherOPTRecord::Row()
{
    return GetAnchor().StartRow;
}

TClientAnchor TEscherOPTRecord::GetAnchor()
{
    auto* sp = dynamic_cast<TEscherSpContainerRecord*>(FindRoot());
    if (sp && sp->AnchorRec)
        return sp->AnchorRec->GetAnchor();
    return TClientAnchor();
}

void TEscherOPTRecord::SetAnchor(const TClientAnchor& Anchor, TEscherSheet* Sheet)
{
    auto* sp = dynamic_cast<TEscherSpContainerRecord*>(FindRoot());
    if (sp && sp->AnchorRec)
        sp->AnchorRec->SetAnchor(Anchor, Sheet);
}

// ---------------------------------------------------------------------------------------------
// Fixed records

TEscherSplitMenuRecord::TEscherSplitMenuRecord(TEscherDwgGroupCache* aGroupCaches,
                                               TEscherDwgCache* aDrawingCaches,
                                               TEscherContainerRecord* aParentContainer)
    : TEscherDataRecord(TEscherRecordHeader{0x0040, 0xF11E, 0}, aGroupCaches, aDrawingCaches,
                        aParentContainer)
{
    InitBody(Bytes16({0x0800000D, 0x0800000C, 0x08000017, 0x100000F7}));
}

std::unique_ptr<TEscherRecord> TEscherSplitMenuRecord::Create(const TEscherRecordHeader& Header,
                                                              TEscherDwgGroupCache* aGroupCaches,
                                                              TEscherDwgCache* aDrawingCaches,
                                                              TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherSplitMenuRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

std::unique_ptr<TEscherDataRecord> NewEscherGroupCoords(TEscherDwgGroupCache* GroupCaches,
                                                        TEscherDwgCache* DrawingCaches,
                                                        TEscherContainerRecord* ParentContainer)
{
    auto r = std::make_unique<TEscherDataRecord>(TEscherRecordHeader{0x0001, 0xF009, 16}, GroupCaches,
                                                 DrawingCaches, ParentContainer);
    r->SetBody(ByteArray(16));
    return r;
}
