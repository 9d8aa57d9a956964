#include "RudUvud/core/UndoRedo.h"

#include "RudUvud/core/BaseGrid.h"

namespace {

bool IsSequenceMarker(const TUndoRedoItem* I)
{
    return I->SequenceStart() || I->SequenceStop();
}

} // namespace

TRudUvudUndoRedo::TRudUvudUndoRedo(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TUndoRedoCollection>())
{
}

TRudUvudUndoRedo::~TRudUvudUndoRedo() = default;

void TRudUvudUndoRedo::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && FGrid && AComponent == static_cast<TComponent*>(FGrid))
        FGrid = nullptr;
}

TUndoRedoItem* TRudUvudUndoRedo::AddItem()
{
    return static_cast<TUndoRedoItem*>(FItems->Add());
}

// A sequence whose start marker is dropped goes whole: a stop marker left without its start would
// make the next undo run past the first item.
void TRudUvudUndoRedo::DropOldest()
{
    if (FItems->Count() == 0)
        return;
    const bool WasStart = FItems->Items(0)->SequenceStart();
    FItems->Delete(0);
    while (WasStart && FItems->Count() > 0) {
        const bool Stop = FItems->Items(0)->SequenceStop();
        FItems->Delete(0);
        if (Stop)
            break;
    }
}

void TRudUvudUndoRedo::RegisterChange(Integer ACol, Integer ARow, const AnsiString& OrigValue,
                                      const AnsiString& NewValue)
{
    if (FMaxLevel > 0 && FItems->Count() >= FMaxLevel)
        DropOldest();
    TUndoRedoItem* I = AddItem();
    I->SetCol(ACol);
    I->SetRow(ARow);
    I->SetValue(NewValue);
    I->SetOrigValue(OrigValue);
    FLevel = FItems->Count();
}

void TRudUvudUndoRedo::AddMarker(bool Start)
{
    TUndoRedoItem* I = AddItem();
    I->SetCol(-1);
    I->SetRow(-1);
    I->SetSequenceStart(Start);
    I->SetSequenceStop(!Start);
    FLevel = FItems->Count();
}

void TRudUvudUndoRedo::StartSequence()
{
    AddMarker(true);
}

void TRudUvudUndoRedo::StopSequence()
{
    AddMarker(false);
}

void TRudUvudUndoRedo::Reset()
{
    FItems->Clear();
    FLevel = 0;
}

// Focus follows the change to the display column of its column in both directions (with hidden
// columns the stored column can lie past the grid); a cell no longer in the grid is not focused.
void TRudUvudUndoRedo::FocusCell(Integer ACol, Integer ARow)
{
    const Integer C = FGrid->DisplColIndex(ACol);
    if (C < 0 || C >= FGrid->ColCount() || ARow < 0 || ARow >= FGrid->RowCount())
        return;
    FGrid->SetCol(C);
    FGrid->SetRow(ARow);
}

void TRudUvudUndoRedo::UndoItem(TUndoRedoItem* I)
{
    if (IsSequenceMarker(I))
        return;
    if (OnUndo)
        OnUndo(this, FGrid, I->Col(), I->Row(), FGrid->GetCellEx(I->Col(), I->Row()), I->OrigValue());
    FGrid->SetCellEx(I->Col(), I->Row(), I->OrigValue());
    FocusCell(I->Col(), I->Row());
}

void TRudUvudUndoRedo::RedoItem(TUndoRedoItem* I)
{
    if (IsSequenceMarker(I))
        return;
    if (OnRedo)
        OnRedo(this, FGrid, I->Col(), I->Row(), FGrid->GetCellEx(I->Col(), I->Row()), I->Value());
    FGrid->SetCellEx(I->Col(), I->Row(), I->Value());
    FocusCell(I->Col(), I->Row());
}

void TRudUvudUndoRedo::Undo()
{
    if (!FGrid || FLevel <= 0 || FItems->Count() < FLevel)
        return;
    TUndoRedoItem* I = FItems->Items(FLevel - 1);
    if (I->SequenceStop()) {
        --FLevel;
        while (FLevel > 0 && !FItems->Items(FLevel - 1)->SequenceStart()) {
            UndoItem(FItems->Items(FLevel - 1));
            --FLevel;
        }
        // Over the start marker; a sequence that lost its start ends at the first item.
        if (FLevel > 0)
            --FLevel;
        FGrid->Invalidate();
        return;
    }
    UndoItem(I);
    if (!IsSequenceMarker(I))
        FGrid->RepaintCell(FGrid->Col(), I->Row());
    --FLevel;
}

void TRudUvudUndoRedo::Redo()
{
    if (!FGrid || FLevel < 0 || FLevel >= FItems->Count())
        return;
    ++FLevel;
    TUndoRedoItem* I = FItems->Items(FLevel - 1);
    if (I->SequenceStart()) {
        ++FLevel;
        while (FLevel <= FItems->Count() && !FItems->Items(FLevel - 1)->SequenceStop()) {
            RedoItem(FItems->Items(FLevel - 1));
            ++FLevel;
        }
        // Past the stop marker, so that the next undo takes the whole sequence back; a sequence
        // left open ends at the last item.
        if (FLevel > FItems->Count())
            FLevel = FItems->Count();
        FGrid->Invalidate();
        return;
    }
    RedoItem(I);
}
