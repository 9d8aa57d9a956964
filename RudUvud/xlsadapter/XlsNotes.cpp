#include "RudUvud/xlsadapter/XlsNotes.h"

#include "RudUvud/xlsadapter/XlsClientData.h"
#include "RudUvud/xlsadapter/XlsDrawing.h"
#include "platform/rtl/Guards.h"

#include <algorithm>

using namespace zivXlsMessages;

namespace {

// A comment box the NOTE may own: a comment OBJ whose shape stands directly in the drawing's
// top group, so that taking the shape away takes nothing else with it.
bool IsCommentObject(TEscherClientDataRecord* R)
{
    auto* obj = dynamic_cast<const ZIvObj*>(R->ClientData());
    return obj && obj->ObjType() == ObjTypeComment && R->FindRoot() == R->ParentContainer();
}

TEscherClientTextBoxRecord* TextBoxOf(TEscherClientDataRecord* Dwg)
{
    auto* root = Dwg ? dynamic_cast<TEscherContainerRecord*>(Dwg->FindRoot()) : nullptr;
    return root ? root->FindRec<TEscherClientTextBoxRecord>() : nullptr;
}

// Takes the shape holding Dwg out of its drawing's patriarch, freeing it. Quietly does nothing
// when the shape is not where it should be: this runs in destructors.
void RemoveBox(TEscherClientDataRecord* Dwg) noexcept
{
    try {
        const TEscherDwgCache* caches = Dwg->DrawingCaches();
        if (!caches || caches->Destroying)
            return;
        TEscherSpgrContainerRecord* patriarch = Dwg->Patriarch();
        TEscherRecord* root = Dwg->FindRoot();
        if (!patriarch || !root)
            return;
        const Integer i = patriarch->Children().IndexOf(root);
        if (i >= 0)
            patriarch->Children().Delete(i);
    } catch (...) {
        // Nothing may leave a destructor: the box stays with its drawing.
    }
}

} // namespace

// ---- TNoteRecord -----------------------------------------------------------------------------

TNoteRecord::TNoteRecord(Word aId, TRecordBody aData) : TBaseRowColRecord(aId, std::move(aData))
{
    if (DataSize() < 8)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(aId)});
}

TNoteRecord::TNoteRecord(Integer Row, Integer Col, const WideString& Text, TDrawing& Drawing,
                         const TImageProperties& Properties, TEscherSheet* Sheet)
    : TBaseRowColRecord(xlr_NOTE, ByteArray(12, 0))
{
    if (Row < 0 || Row > 65535)
        XlsError(ErrXlsIndexOutBounds, {static_cast<Int64>(Row), AnsiString("Row"), Int64(0), Int64(65535)});
    if (Col < 0 || Col > 255)
        XlsError(ErrXlsIndexOutBounds, {static_cast<Int64>(Col), AnsiString("Column"), Int64(0), Int64(255)});
    SetRow(static_cast<Word>(Row));
    SetColumn(static_cast<Word>(Col));
    Link(Drawing.AddNewComment(Properties, Sheet));
    FOwnsDwg = true;
    ::SetWord(Data(), 6, FDwg->ObjId());
    // The destructor does not run for a constructor that fails: the box goes here.
    TScopeExit Unbox([this] { RemoveBox(FDwg); });
    SetText(Text);
    Unbox.Dismiss();
}

TNoteRecord::~TNoteRecord()
{
    if (FDwg && FOwnsDwg)
        RemoveBox(FDwg);
}

void TNoteRecord::Link(TEscherClientDataRecord* Dwg)
{
    FDwg = Dwg;
}

std::unique_ptr<TBaseRecord> TNoteRecord::DoCopyTo() const
{
    auto copy = std::make_unique<TNoteRecord>(FId, FData);
    CopyContinueTo(*copy);
    copy->FDwg = FDwg;
    copy->FOwnsDwg = false;
    return copy;
}

WideString TNoteRecord::GetText() const
{
    TEscherClientTextBoxRecord* box = TextBoxOf(FDwg);
    return box ? GetTextBoxValue(*box) : WideString();
}

void TNoteRecord::SetText(const WideString& Text)
{
    if (TEscherClientTextBoxRecord* box = TextBoxOf(FDwg))
        SetTextBoxValue(*box, Text);
}

void TNoteRecord::FixDwgIds(TDrawing& Drawing, std::vector<TEscherClientDataRecord*>& Taken)
{
    FDwg = nullptr;
    FOwnsDwg = false;
    const TEscherDwgCache& caches = Drawing.Caches();
    if (!caches.ObjList)
        return;
    for (Integer i = 0; i < caches.ObjList->Count(); ++i) {
        TEscherClientDataRecord* r = caches.ObjList->Obj(i);
        if (r->ObjId() != GetObjId() || !IsCommentObject(r))
            continue;
        if (std::find(Taken.begin(), Taken.end(), r) != Taken.end())
            continue;
        Link(r);
        FOwnsDwg = true;
        Taken.push_back(r);
        return;
    }
}

void TNoteRecord::ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset)
{
    if (FDwg) {
        // Copy links left from an earlier copy pass (a sheet copy, say) must not place this one.
        TEscherRecord* top = FDwg;
        while (top->ParentContainer())
            top = top->ParentContainer();
        top->ClearCopiedTo();
        auto* copy = static_cast<TEscherClientDataRecord*>(FDwg->CopyDwg(RowOffset, ColOffset, nullptr));
        Link(copy);
        FOwnsDwg = true;
        ::SetWord(Data(), 6, copy->ObjId());
    }
    TBaseRowColRecord::ArrangeCopyRowsAndCols(RowOffset, ColOffset);
}

void TNoteRecord::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                           Integer aColCount, const TSheetInfo& SheetInfo)
{
    TBaseRowColRecord::ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
    if (!FDwg || !FOwnsDwg || SheetInfo.InsSheet < 0 || SheetInfo.InsSheet != SheetInfo.FormulaSheet)
        return;
    // The box moves with its cell, keeping its size, whatever its own placement says (a comment
    // box is fixed on the sheet for everything else).
    if (TEscherRecord* root = FDwg->FindRoot())
        root->ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo, true, nullptr);
}

// ---- Lists -----------------------------------------------------------------------------------

void TNoteRecordList::FixDwgIds(TDrawing& Drawing, std::vector<TEscherClientDataRecord*>& Taken)
{
    for (Integer i = 0; i < Count(); ++i)
        if (TNoteRecord* n = Items(i))
            n->FixDwgIds(Drawing, Taken);
}

TNoteList::TNoteList() : TBaseRowColList([] { return std::make_unique<TNoteRecordList>(); }) {}

void TNoteList::FixDwgIds(TDrawing& Drawing)
{
    std::vector<TEscherClientDataRecord*> taken;
    for (Integer r = 0; r < Count(); ++r)
        if (TNoteRecordList* row = GetNotes(r))
            row->FixDwgIds(Drawing, taken);
}

void TNoteList::AddNewComment(Integer Row, Integer Col, const WideString& Text, TDrawing& Drawing,
                              const TImageProperties& Properties, TEscherSheet* Sheet)
{
    auto note = std::make_unique<TNoteRecord>(Row, Col, Text, Drawing, Properties, Sheet);
    AddRecord(std::move(note), Row);
}

// ---- TRowComments ----------------------------------------------------------------------------

bool TRowComments::Find(Integer Row, Integer& Index) const
{
    auto it =
        std::lower_bound(FList.begin(), FList.end(), Row,
                         [](const std::unique_ptr<TCommentRowPos>& E, Integer R) { return E->Row < R; });
    Index = static_cast<Integer>(it - FList.begin());
    return it != FList.end() && (*it)->Row == Row;
}

void TRowComments::Add(Integer Row, Integer Number)
{
    Integer i;
    if (!Find(Row, i))
        FList.insert(FList.begin() + i, std::make_unique<TCommentRowPos>(Row));
    FList[static_cast<size_t>(i)]->Add(Number);
}

const TCommentRowPos& TRowComments::GetItems(Integer Row) const
{
    Integer i;
    return Find(Row, i) ? *FList[static_cast<size_t>(i)] : FEmpty;
}

void TRowComments::Delete(Integer Row, Integer Position)
{
    Integer i;
    if (!Find(Row, i))
        return;
    TCommentRowPos& entry = *FList[static_cast<size_t>(i)];
    if (Position < 0 || Position >= entry.Count())
        XlsError(ErrXlsIndexOutBounds,
                 {static_cast<Int64>(Position), AnsiString("Position"), Int64(0), Int64(entry.Count() - 1)});
    const Integer v = entry.GetItems(Position);
    entry.Delete(Position);
    for (auto& e : FList)
        for (Integer k = 0; k < e->Count(); ++k)
            if (e->GetItems(k) > v)
                e->SetItems(k, e->GetItems(k) - 1);
}
