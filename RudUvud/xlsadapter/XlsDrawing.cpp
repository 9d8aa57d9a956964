#include "RudUvud/xlsadapter/XlsDrawing.h"

#include "RudUvud/xlsadapter/XlsClientData.h"
#include "RudUvud/xlsadapter/XlsEscherRules.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <set>

using namespace zivXlsMessages;

namespace {

const char* const ErrNoDrawingGroup = "DrawingGroup can't be nil";
const char* const ErrIndexOutOfRange = "Index out of range";

// True when the BIFF record in hand (with its CONTINUE chain) has no bytes left at Pos.
bool UsedUp(const TBaseRecord* Rec, Integer Pos)
{
    return !Rec || Rec->TotalSizeNoHeaders() - Pos <= 0;
}

Word PlacementKind(TVovAnchorType AnchorType)
{
    switch (AnchorType) {
    case at_MoveAndDontResize:
        return 2;
    case at_DontMoveAndDontResize:
        return 3;
    default:
        return 0;
    }
}

TClientAnchor AnchorOf(const TImageProperties& P, Word Kind)
{
    TClientAnchor a;
    a.AnchorFlags = Kind;
    a.StartCol = static_cast<Word>(P.StartCol);
    a.StartColOffset = static_cast<Word>(P.StartColOffset);
    a.StartRow = static_cast<Word>(P.StartRow);
    a.StartRowOffset = static_cast<Word>(P.StartRowOffset);
    a.EndCol = static_cast<Word>(P.EndCol);
    a.EndColOffset = static_cast<Word>(P.EndColOffset);
    a.EndRow = static_cast<Word>(P.EndRow);
    a.EndRowOffset = static_cast<Word>(P.EndRowOffset);
    return a;
}

// True for a record of a comment box: its shape's client data is a comment OBJ.
bool IsCommentShape(const TEscherRecord* Rec)
{
    const TEscherContainerRecord* shape = Rec->ParentContainer();
    const TEscherClientDataRecord* cd = shape ? shape->FindRec<TEscherClientDataRecord>() : nullptr;
    auto* obj = cd ? dynamic_cast<const ZIvObj*>(cd->ClientData()) : nullptr;
    return obj && obj->ObjType() == ObjTypeComment;
}

} // namespace

const ByteArray& BlankPicture()
{
    static const ByteArray blank = [] {
        ByteArray b(54, 0);
        SetLongWord(b.data(), 0, 40);    // header size
        SetLongWord(b.data(), 4, 1);     // width
        SetLongWord(b.data(), 8, 1);     // height
        SetWord(b.data(), 12, 1);        // planes
        SetWord(b.data(), 14, 1);        // bits per pixel
        SetLongWord(b.data(), 24, 2834); // pixels per metre
        SetLongWord(b.data(), 28, 2834);
        b[40] = b[41] = b[42] = 0xFF; // white, then black
        return b;
    }();
    return blank;
}

// ---- TDrawingGroup ---------------------------------------------------------------------------

TDrawingGroup::~TDrawingGroup()
{
    FGroupContainer.reset();
}

void TDrawingGroup::Clear()
{
    FGroupContainer.reset();
}

void TDrawingGroup::AddDwg()
{
    if (FGroupCaches.DggRecord)
        FGroupCaches.DggRecord->SetSavedDrawings(FGroupCaches.DggRecord->SavedDrawings() + 1);
}

void TDrawingGroup::EnsureDwgGroup()
{
    if (!FGroupContainer)
        FGroupContainer =
            std::make_unique<TEscherContainerRecord>(0x000F, 0xF000, &FGroupCaches, &FEmptyCaches, nullptr);
    TEscherContainerRecord* root = FGroupContainer.get();
    if (!root->FindRec<TEscherDggRecord>())
        root->Children().Add(std::make_unique<TEscherDggRecord>(&FGroupCaches, &FEmptyCaches, root));
    if (!root->FindRec<TEscherBStoreRecord>())
        root->Children().Add(std::make_unique<TEscherBStoreRecord>(&FGroupCaches, &FEmptyCaches, root));
    if (!root->FindRec<TEscherOPTRecord>())
        root->Children().Add(std::make_unique<TEscherOPTRecord>(&FGroupCaches, &FEmptyCaches, root));
    if (!root->FindRec<TEscherSplitMenuRecord>())
        root->Children().Add(std::make_unique<TEscherSplitMenuRecord>(&FGroupCaches, &FEmptyCaches, root));
}

void TDrawingGroup::LoadFromStream(TOle2File& Stream, TRecordHeader& Header,
                                   std::unique_ptr<TBaseRecord> FirstRecord)
{
    if (FGroupContainer)
        XlsError(ErrExcelInvalid);
    TScopeExit Discard([this] { FGroupContainer.reset(); });
    std::unique_ptr<TBaseRecord> hand = std::move(FirstRecord);
    TEscherReader reader(hand.get(), 0);
    FGroupContainer = CreateEscherRoot(reader, &FGroupCaches, &FEmptyCaches);
    const TBaseRecord* rec = reader.Record;
    Integer pos = reader.Position;
    while (!FGroupContainer->Loaded()) {
        if (UsedUp(rec, pos)) {
            if (Header.Id != xlr_MSODRAWINGGROUP)
                XlsError(ErrExcelInvalid);
            hand = LoadRecords(Stream, Header);
            rec = hand.get();
            pos = 0;
        }
        FGroupContainer->LoadFrom(rec, pos);
    }
    Discard.Dismiss();
}

void TDrawingGroup::SaveToStream(TOle2File& Stream)
{
    EscherSaveStream(FGroupContainer.get(), xlr_MSODRAWINGGROUP, Stream);
}

Int64 TDrawingGroup::TotalSize() const
{
    return EscherStreamSize(FGroupContainer.get(), xlr_MSODRAWINGGROUP);
}

// ---- TDrawing: life, loading and saving ------------------------------------------------------

TDrawing::TDrawing(TDrawingGroup* aGroup) : FGroup(aGroup) {}

TDrawing::~TDrawing()
{
    // The records skip their list upkeep; the drawing record still gives its clusters back.
    FCaches.Destroying = true;
    FDrawingContainer.reset();
    FCaches.FreeLists();
}

void TDrawing::ResetCaches()
{
    FCaches.LastObjId = 0;
    FCaches.DgRecord = nullptr;
    FCaches.PatriarchRecord = nullptr;
    FCaches.SolverRecord = nullptr;
}

void TDrawing::Clear()
{
    FCaches.Destroying = false;
    FDrawingContainer.reset();
    FCaches.FreeLists();
    ResetCaches();
}

void TDrawing::LoadFromStream(TOle2File& Stream, TRecordHeader& Header,
                              std::unique_ptr<TBaseRecord> FirstRecord, TSST* SST)
{
    if (!FGroup)
        XlsError(ErrNoDrawingGroup);
    if (FDrawingContainer)
        XlsError(ErrExcelInvalid);
    TScopeExit Discard([this] {
        TEscherDwgGroupCache* group = FGroup->GetRecordCache();
        group->KeepEntries = true;
        Clear();
        group->KeepEntries = false;
    });
    LoadStream(Stream, Header, std::move(FirstRecord), SST);
    Discard.Dismiss();
}

void TDrawing::LoadStream(TOle2File& Stream, TRecordHeader& Header, std::unique_ptr<TBaseRecord> FirstRecord,
                          TSST* SST)
{
    ResetCaches();
    FCaches.CreateLists();
    std::unique_ptr<TBaseRecord> hand = std::move(FirstRecord);
    TEscherReader reader(hand.get(), 0);
    FDrawingContainer = CreateEscherRoot(reader, FGroup->GetRecordCache(), &FCaches);
    TEscherContainerRecord* root = FDrawingContainer.get();
    const TBaseRecord* rec = reader.Record;
    Integer pos = reader.Position;

    for (;;) {
        TClientDataClass wanted = cdcNone;
        const bool waiting = root->WaitingClientData(wanted);
        if (root->Loaded() && !waiting)
            break;
        if (!waiting) {
            if (UsedUp(rec, pos)) {
                if (Header.Id != xlr_MSODRAWING)
                    XlsError(ErrExcelInvalid);
                hand = LoadRecords(Stream, Header);
                rec = hand.get();
                pos = 0;
            }
            root->LoadFrom(rec, pos);
            continue;
        }

        // A shape's OBJ or TXO: always right after the MSODRAWING record that ends with its
        // client data record.
        if (!UsedUp(rec, pos))
            XlsError(ErrExcelInvalid);
        if (Header.Id != ClientDataRecordId(wanted))
            XlsError(ErrInvalidDrawing);
        std::unique_ptr<TBaseRecord> first = LoadRecords(Stream, Header);
        std::unique_ptr<TContinueRecord> trailing;
        if (wanted == cdcObj) {
            auto obj = std::make_unique<ZIvObj>();
            obj->LoadFromStream(Stream, Header, std::move(first), SST);
            trailing = obj->TakeTrailingData();
            root->AssignClientData(std::move(obj));
        } else {
            auto txo = std::make_unique<TTXO>();
            txo->LoadFromStream(Stream, Header, std::move(first), SST);
            trailing = txo->TakeTrailingData();
            root->AssignClientData(std::move(txo));
        }
        // CONTINUE records after the client data hold the stream's next bytes.
        if (trailing) {
            hand = std::move(trailing);
            rec = hand.get();
            pos = 0;
            root->LoadFrom(rec, pos);
        }
    }
    // Bytes past the end of the root in its last MSODRAWING record belong to nothing, and a
    // client data record followed by more drawing bytes in the same record never got its OBJ or
    // TXO: neither could be written back.
    if (!UsedUp(rec, pos))
        XlsError(ErrExcelInvalid);
    for (Integer i = 0; i < FCaches.ObjList->Count(); ++i)
        if (!FCaches.ObjList->Obj(i)->ClientData())
            XlsError(ErrExcelInvalid);

    FCaches.ShapeList->Sort();
    if (FCaches.SolverRecord)
        FCaches.SolverRecord->FixPointers();
}

void TDrawing::SaveToStream(TOle2File& Stream)
{
    EscherSaveStream(FDrawingContainer.get(), xlr_MSODRAWING, Stream);
}

Int64 TDrawing::TotalSize() const
{
    return EscherStreamSize(FDrawingContainer.get(), xlr_MSODRAWING);
}

void TDrawing::CopyFrom(const TDrawing& Source, TEscherSheet* Sheet)
{
    Clear();
    if (Source.FCaches.HasLists())
        FCaches.CreateLists();
    if (!Source.FDrawingContainer)
        return;
    if (!FGroup)
        XlsError(ErrNoDrawingGroup);
    if (!FCaches.HasLists())
        FCaches.CreateLists();
    TScopeExit Discard([this] { Clear(); });
    TEscherContainerRecord* src = Source.FDrawingContainer.get();
    src->ClearCopiedTo();
    std::unique_ptr<TEscherRecord> copy = TEscherRecord::CopyTo(src, &FCaches, 0, 0, Sheet);
    FDrawingContainer.reset(static_cast<TEscherContainerRecord*>(copy.release()));
    FCaches.ShapeList->Sort();
    if (FCaches.SolverRecord && Source.FCaches.SolverRecord)
        FCaches.SolverRecord->LastRuleId =
            std::max(FCaches.SolverRecord->LastRuleId, Source.FCaches.SolverRecord->LastRuleId);
    FGroup->AddDwg();
    Discard.Dismiss();
}

// ---- TDrawing: building shapes ---------------------------------------------------------------

void TDrawing::CreateBasicDrawingInfo()
{
    if (!FGroup)
        XlsError(ErrNoDrawingGroup);
    TEscherDwgGroupCache* group = FGroup->GetRecordCache();
    if (!group->DggRecord)
        XlsError(ErrLoadingEscher);
    Clear();
    FCaches.CreateLists();
    TScopeExit Discard([this] { Clear(); });
    FDrawingContainer = std::make_unique<TEscherContainerRecord>(0x000F, 0xF002, group, &FCaches, nullptr);
    TEscherContainerRecord* root = FDrawingContainer.get();
    FGroup->AddDwg();
    Word dgId = 0;
    LongWord firstShapeId = 0;
    group->DggRecord->GetNewDgIdAndCluster(dgId, firstShapeId);
    root->Children().Add(std::make_unique<TEscherDgRecord>(0, dgId, firstShapeId, group, &FCaches, root));
    auto patriarch = std::make_unique<TEscherSpgrContainerRecord>(group, &FCaches, root);
    TEscherSpgrContainerRecord* p = patriarch.get();
    root->Children().Add(std::move(patriarch));
    auto shape = std::make_unique<TEscherSpContainerRecord>(group, &FCaches, p);
    TEscherSpContainerRecord* s = shape.get();
    s->Children().Add(NewEscherGroupCoords(group, &FCaches, s));
    s->Children().Add(std::make_unique<TEscherSPRecord>(0x0002, FCaches.DgRecord->IncMaxShapeId(), 0x0005,
                                                        group, &FCaches, s));
    p->Children().Add(std::move(shape));
    Discard.Dismiss();
}

TEscherSpgrContainerRecord* TDrawing::RequirePatriarch() const
{
    if (!FCaches.PatriarchRecord)
        XlsError(ErrLoadingEscher);
    return FCaches.PatriarchRecord;
}

std::unique_ptr<TEscherSpContainerRecord> TDrawing::NewShape(Word VerInst)
{
    // Built with the patriarch as its parent and appended by the caller once complete, so a
    // failure part way frees what was built and leaves the drawing as it was.
    TEscherSpgrContainerRecord* p = RequirePatriarch();
    // A loaded drawing may lack the drawing record that hands out shape ids.
    if (!FCaches.DgRecord)
        XlsError(ErrLoadingEscher);
    TEscherDwgGroupCache* group = FGroup->GetRecordCache();
    auto s = std::make_unique<TEscherSpContainerRecord>(group, &FCaches, p);
    s->Children().Add(std::make_unique<TEscherSPRecord>(VerInst, FCaches.DgRecord->IncMaxShapeId(), 0x0A00,
                                                        group, &FCaches, s.get()));
    return s;
}

TEscherClientDataRecord* TDrawing::AddClientData(TEscherSpContainerRecord* Shape,
                                                 std::unique_ptr<TBaseClientData> Data)
{
    auto cd = std::make_unique<TEscherClientDataRecord>(FGroup->GetRecordCache(), &FCaches, Shape);
    TEscherClientDataRecord* r = cd.get();
    r->AssignClientData(std::move(Data));
    Shape->Children().Add(std::move(cd));
    return r;
}

void TDrawing::AddImage(const ByteArray& Bytes, TXlsImgTypes ImgType, const TImageProperties& Props,
                        TVovAnchorType AnchorType, TEscherSheet* Sheet)
{
    const bool blank = Bytes.empty();
    if (!FDrawingContainer || !FCaches.HasLists())
        CreateBasicDrawingInfo();
    TEscherSpgrContainerRecord* p = RequirePatriarch();
    TEscherDwgGroupCache* group = FGroup->GetRecordCache();
    auto s(NewShape(0x04B2));
    s->Children().Add(std::make_unique<TEscherOPTRecord>(blank ? BlankPicture() : Bytes,
                                                         blank ? xli_Bmp : ImgType, Props.PictureName, group,
                                                         &FCaches, s.get()));
    s->Children().Add(std::make_unique<TEscherClientAnchorRecord>(AnchorOf(Props, PlacementKind(AnchorType)),
                                                                  group, &FCaches, s.get(), Sheet));
    AddClientData(s.get(), ZIvObj::CreateEmptyImg(FCaches.LastObjId));
    p->Children().Add(std::move(s));
}

TEscherClientDataRecord* TDrawing::AddNewComment(const TImageProperties& Props, TEscherSheet* Sheet)
{
    if (!FGroup)
        XlsError(ErrNoDrawingGroup);
    FGroup->EnsureDwgGroup();
    if (!FDrawingContainer || !FCaches.HasLists())
        CreateBasicDrawingInfo();
    TEscherSpgrContainerRecord* p = RequirePatriarch();
    TEscherDwgGroupCache* group = FGroup->GetRecordCache();
    auto s(NewShape(0x0CA2));
    s->Children().Add(std::make_unique<TEscherOPTRecord>(group, &FCaches, s.get(), 0));
    s->Children().Add(
        std::make_unique<TEscherClientAnchorRecord>(AnchorOf(Props, 3), group, &FCaches, s.get(), Sheet));
    TEscherClientDataRecord* result = AddClientData(s.get(), ZIvObj::CreateEmptyNote(FCaches.LastObjId));
    auto box = std::make_unique<TEscherClientTextBoxRecord>(group, &FCaches, s.get());
    box->AssignClientData(std::make_unique<TTXO>(0));
    s->Children().Add(std::move(box));
    p->Children().Add(std::move(s));
    return result;
}

void TDrawing::AddAutoFilter(Integer Row, Integer Col, TEscherSheet* Sheet)
{
    if (!FGroup)
        XlsError(ErrNoDrawingGroup);
    FGroup->EnsureDwgGroup();
    if (!FDrawingContainer || !FCaches.HasLists())
        CreateBasicDrawingInfo();
    TEscherSpgrContainerRecord* p = RequirePatriarch();
    TEscherDwgGroupCache* group = FGroup->GetRecordCache();
    auto s(NewShape(0x0C92));
    s->Children().Add(std::make_unique<TEscherOPTRecord>(group, &FCaches, s.get(), 0, 0));
    TClientAnchor a;
    a.AnchorFlags = 1;
    a.StartCol = static_cast<Word>(Col);
    a.StartRow = static_cast<Word>(Row);
    a.EndCol = static_cast<Word>(Col + 1);
    a.EndRow = static_cast<Word>(Row + 1);
    s->Children().Add(std::make_unique<TEscherClientAnchorRecord>(a, group, &FCaches, s.get(), Sheet));
    AddClientData(s.get(), ZIvObj::CreateEmptyAutoFilter(FCaches.LastObjId));
    p->Children().Add(std::move(s));
}

void TDrawing::AddAutoFilter(Integer Row, Integer FirstCol, Integer LastCol, TEscherSheet* Sheet)
{
    for (Integer c = FirstCol; c <= LastCol; ++c)
        AddAutoFilter(Row, c, Sheet);
}

void TDrawing::RemoveShape(TEscherRecord* Rec)
{
    TEscherSpgrContainerRecord* p = RequirePatriarch();
    TEscherRecord* root = Rec ? Rec->FindRoot() : nullptr;
    if (!root)
        XlsError(ErrLoadingEscher);
    const Integer i = p->Children().IndexOf(root);
    if (i < 0)
        XlsError(ErrLoadingEscher);
    p->Children().Delete(i);
}

void TDrawing::RemoveAutoFilter()
{
    if (!FCaches.HasLists())
        return;
    RequirePatriarch();
    for (Integer i = FCaches.ObjList->Count() - 1; i >= 0; --i) {
        if (i >= FCaches.ObjList->Count())
            continue;
        TEscherClientDataRecord* r = FCaches.ObjList->Obj(i);
        auto* obj = dynamic_cast<ZIvObj*>(r->ClientData());
        if (obj && obj->Get_IsAutoFilter())
            RemoveShape(r);
    }
}

// ---- TDrawing: images ------------------------------------------------------------------------

Integer TDrawing::DrawingCount() const
{
    return FCaches.BlipList ? FCaches.BlipList->Count() : 0;
}

TEscherOPTRecord* TDrawing::Image(Integer N) const
{
    if (N < 0 || N >= DrawingCount())
        XlsError(ErrIndexOutOfRange);
    return FCaches.BlipList->Opt(N);
}

TClientAnchor TDrawing::GetAnchor(Integer N) const
{
    return Image(N)->GetAnchor();
}

void TDrawing::SetAnchor(Integer N, const TClientAnchor& Anchor, TEscherSheet* Sheet)
{
    Image(N)->SetAnchor(Anchor, Sheet);
}

void TDrawing::GetDrawingFromStream(Integer N, TStream& Stream, TXlsImgTypes& ImgType) const
{
    Image(N)->GetImageFromStream(Stream, ImgType);
}

WideString TDrawing::GetDrawingName(Integer N) const
{
    return Image(N)->GetShapeName();
}

Integer TDrawing::GetDrawingRow(Integer N) const
{
    return Image(N)->Row();
}

void TDrawing::AssignDrawing(Integer N, const ByteArray& Bytes, TXlsImgTypes ImgType)
{
    if (Bytes.empty())
        ClearImage(N);
    else
        Image(N)->ReplaceImg(Bytes, ImgType);
}

void TDrawing::ClearImage(Integer N)
{
    Image(N)->ReplaceImg(BlankPicture(), xli_Bmp);
}

void TDrawing::DeleteImage(Integer N)
{
    if (!FCaches.BlipList)
        return;
    RemoveShape(Image(N));
}

TEscherClientDataRecord* TDrawing::FindObjId(Word Id) const
{
    if (!FCaches.ObjList)
        return nullptr;
    for (Integer i = 0; i < FCaches.ObjList->Count(); ++i)
        if (TEscherClientDataRecord* r = FCaches.ObjList->Obj(i); r->ObjId() == Id)
            return r;
    return nullptr;
}

// ---- TDrawing: rows, columns and sheets ------------------------------------------------------

void TDrawing::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                        const TSheetInfo& SheetInfo, TEscherSheet* Sheet)
{
    if (!FCaches.HasLists())
        return;
    // Comment boxes are left to their comments, which move them with their cells: as shapes
    // fixed on the sheet they would otherwise go back to where they were.
    if (SheetInfo.InsSheet >= 0 && SheetInfo.InsSheet == SheetInfo.FormulaSheet)
        for (Integer i = 0; i < FCaches.AnchorList->Count(); ++i) {
            TEscherClientAnchorRecord* a = FCaches.AnchorList->Anchor(i);
            if (!IsCommentShape(a))
                a->ArrangeInsertRowsAndCols(RowPos, RowCount, ColPos, ColCount, SheetInfo, false, Sheet);
        }
    for (Integer i = 0; i < FCaches.ObjList->Count(); ++i)
        if (TBaseClientData* d = FCaches.ObjList->Obj(i)->ClientData())
            d->ArrangeInsertRowsAndCols(RowPos, RowCount, ColPos, ColCount, SheetInfo);
}

void TDrawing::DeleteRows(Integer Row, Integer Count, const TSheetInfo& SheetInfo, TEscherSheet* Sheet)
{
    if (!FCaches.HasLists())
        return;
    // The shapes to go are collected first: removing one takes its anchor out of the list.
    std::vector<TEscherRecord*> gone;
    for (Integer i = FCaches.AnchorList->Count() - 1; i >= 0; --i) {
        TEscherClientAnchorRecord* a = FCaches.AnchorList->Anchor(i);
        // A comment's box belongs to its NOTE, which frees it when the NOTE goes.
        if (!IsCommentShape(a) && a->AllowDelete(Row, Row + Count - 1, 0, 256))
            gone.push_back(a->FindRoot());
    }
    if (!gone.empty()) {
        TEscherSpgrContainerRecord* p = RequirePatriarch();
        for (TEscherRecord* root : std::set<TEscherRecord*>(gone.begin(), gone.end()))
            if (Integer i = root ? p->Children().IndexOf(root) : -1; i >= 0)
                p->Children().Delete(i);
    }
    ArrangeInsertRowsAndCols(Row, -Count, 0, 0, SheetInfo, Sheet);
}

void TDrawing::DeleteCols(Integer Col, Integer Count, const TSheetInfo& SheetInfo, TEscherSheet* Sheet)
{
    if (!FCaches.HasLists())
        return;
    std::vector<TEscherRecord*> gone;
    for (Integer i = FCaches.AnchorList->Count() - 1; i >= 0; --i) {
        TEscherClientAnchorRecord* a = FCaches.AnchorList->Anchor(i);
        if (!IsCommentShape(a) && a->AllowDelete(0, 65536, Col, Col + Count - 1))
            gone.push_back(a->FindRoot());
    }
    if (!gone.empty()) {
        TEscherSpgrContainerRecord* p = RequirePatriarch();
        for (TEscherRecord* root : std::set<TEscherRecord*>(gone.begin(), gone.end()))
            if (Integer i = root ? p->Children().IndexOf(root) : -1; i >= 0)
                p->Children().Delete(i);
    }
    ArrangeInsertRowsAndCols(0, 0, Col, -Count, SheetInfo, Sheet);
}

void TDrawing::InsertAndCopyRowsAndCols(Integer FirstRow, Integer LastRow, Integer DestRow, Integer RowCount,
                                        Integer FirstCol, Integer LastCol, Integer DestCol, Integer ColCount,
                                        const TSheetInfo& SheetInfo, TEscherSheet* Sheet)
{
    if (!FDrawingContainer || !FCaches.HasLists())
        return;
    const Integer h = LastRow - FirstRow + 1, w = LastCol - FirstCol + 1;
    Integer srcFirstRow = FirstRow, srcLastRow = LastRow, srcFirstCol = FirstCol, srcLastCol = LastCol;
    if (DestRow <= FirstRow) {
        srcFirstRow += h * RowCount;
        srcLastRow += h * RowCount;
    }
    if (DestCol <= FirstCol) {
        srcFirstCol += w * ColCount;
        srcLastCol += w * ColCount;
    }
    ArrangeInsertRowsAndCols(DestRow, h * RowCount, DestCol, w * ColCount, SheetInfo, Sheet);

    auto pass = [&](bool Rows, Integer K) {
        FDrawingContainer->ClearCopiedTo();
        std::vector<TEscherClientAnchorRecord*> anchors;
        for (Integer i = 0; i < FCaches.AnchorList->Count(); ++i)
            anchors.push_back(FCaches.AnchorList->Anchor(i));
        for (TEscherClientAnchorRecord* a : anchors) {
            // Comment boxes are copied by the comments copied with their cells.
            if (IsCommentShape(a))
                continue;
            if (Rows && a->AllowCopy(srcFirstRow, srcLastRow, 0, 256))
                a->CopyDwg(DestRow + K * h - srcFirstRow, 0, Sheet);
            else if (!Rows && a->AllowCopy(0, 65536, srcFirstCol, srcLastCol))
                a->CopyDwg(0, DestCol + K * w - srcFirstCol, Sheet);
        }
        if (FCaches.SolverRecord)
            FCaches.SolverRecord->ArrangeCopyRowsAndCols(Sheet);
    };
    for (Integer k = 0; k < RowCount; ++k)
        pass(true, k);
    for (Integer k = 0; k < ColCount; ++k)
        pass(false, k);
}

void TDrawing::ArrangeCopySheet(const TSheetInfo& SheetInfo)
{
    if (FCaches.ObjList)
        FCaches.ObjList->ArrangeCopySheet(SheetInfo);
}

void TDrawing::SaveObjectCoords(TEscherSheet* Sheet)
{
    if (!FCaches.PatriarchRecord || !FCaches.AnchorList)
        return;
    for (Integer i = FCaches.AnchorList->Count() - 1; i >= 0; --i)
        FCaches.AnchorList->Anchor(i)->SaveObjectCoords(Sheet);
}

void TDrawing::RestoreObjectCoords(TEscherSheet* Sheet)
{
    if (!FCaches.PatriarchRecord || !FCaches.AnchorList)
        return;
    for (Integer i = FCaches.AnchorList->Count() - 1; i >= 0; --i)
        FCaches.AnchorList->Anchor(i)->RestoreObjectCoords(Sheet);
}
