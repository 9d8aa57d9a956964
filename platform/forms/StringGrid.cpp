// TDrawGrid (events), TStringGrid (texts and objects in the sparse store) and the string-list
// views of its rows and columns.

#include "platform/forms/Grids.h"

#include <algorithm>

namespace {

// Indexes past this are refused rather than allocated.
constexpr Integer MaxCellIndex = 0x1000000;

void CheckCellIndex(Integer ACol, Integer ARow)
{
    if (ACol < 0 || ARow < 0 || ACol >= MaxCellIndex || ARow >= MaxCellIndex)
        throw EInvalidGridOperation(SGridIndexOutOfRange);
}

} // namespace

// ---- TDrawGrid ------------------------------------------------------------------------------------

bool TDrawGrid::SelectCell(Integer ACol, Integer ARow)
{
    bool CanSelect = true;
    if (OnSelectCell)
        OnSelectCell(this, ACol, ARow, CanSelect);
    return CanSelect;
}

void TDrawGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState)
{
    if (OnDrawCell)
        OnDrawCell(this, ACol, ARow, ARect, AState);
}

void TDrawGrid::TopLeftChanged()
{
    TCustomGrid::TopLeftChanged();
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

void TDrawGrid::ColumnMoved(Integer FromIndex, Integer ToIndex)
{
    if (OnColumnMoved)
        OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(Integer FromIndex, Integer ToIndex)
{
    if (OnRowMoved)
        OnRowMoved(this, FromIndex, ToIndex);
}

AnsiString TDrawGrid::GetEditMask(Integer ACol, Integer ARow)
{
    AnsiString Result;
    if (OnGetEditMask)
        OnGetEditMask(this, ACol, ARow, Result);
    return Result;
}

AnsiString TDrawGrid::GetEditText(Integer ACol, Integer ARow)
{
    AnsiString Result;
    if (OnGetEditText)
        OnGetEditText(this, ACol, ARow, Result);
    return Result;
}

void TDrawGrid::SetEditText(Integer ACol, Integer ARow, const AnsiString& Value)
{
    if (OnSetEditText)
        OnSetEditText(this, ACol, ARow, Value);
}

// ---- TStringGrid ----------------------------------------------------------------------------------

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) {}

TStringGrid::~TStringGrid() = default;

AnsiString TStringGrid::Cells(Integer ACol, Integer ARow) const
{
    CheckCellIndex(ACol, ARow);
    const TGridCell* C = FStore.Find(ACol, ARow);
    return C ? C->Text : AnsiString();
}

void TStringGrid::SetCells(Integer ACol, Integer ARow, const AnsiString& Value)
{
    CheckCellIndex(ACol, ARow);
    FStore.SetText(ACol, ARow, Value, ColCount());
    InvalidateCell(ACol, ARow);
    // A shown editor on this cell that the user has not touched follows the new text.
    if (FInplaceEdit && FEditorMode && FInplaceCol == ACol && FInplaceRow == ARow &&
        FInplaceEdit->Visible() && !FInplaceEdit->Modified() && FInplaceEdit->Text() != Value) {
        FInplaceEdit->SetText(Value);
        FInplaceEdit->SetModified(false);
    }
}

TObject* TStringGrid::Objects(Integer ACol, Integer ARow) const
{
    CheckCellIndex(ACol, ARow);
    const TGridCell* C = FStore.Find(ACol, ARow);
    return C ? C->Object : nullptr;
}

void TStringGrid::SetObjects(Integer ACol, Integer ARow, TObject* Value)
{
    CheckCellIndex(ACol, ARow);
    FStore.SetObject(ACol, ARow, Value, ColCount());
    InvalidateCell(ACol, ARow);
}

TStringGridStrings* TStringGrid::View(std::vector<std::unique_ptr<TStringGridStrings>>& Views, Integer Index,
                                      bool IsColumn)
{
    if (Index < 0 || Index >= MaxCellIndex)
        throw EInvalidGridOperation(SGridIndexOutOfRange);
    if (Index >= static_cast<Integer>(Views.size()))
        Views.resize(static_cast<size_t>(Index) + 1);
    if (!Views[Index])
        Views[Index] = std::make_unique<TStringGridStrings>(this, Index, IsColumn);
    return Views[Index].get();
}

TStrings* TStringGrid::Cols(Integer Index)
{
    return View(FColViews, Index, true);
}

TStrings* TStringGrid::Rows(Integer Index)
{
    return View(FRowViews, Index, false);
}

void TStringGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState)
{
    if (FDefaultDrawing) {
        const TGridCell* C = FStore.Find(ACol, ARow);
        Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, C ? C->Text : AnsiString());
    }
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

// Data moves with its column or row through the whole store, beyond the counts too, so that
// cells kept past ColCount travel with the rest of their row.
void TStringGrid::ColumnMoved(Integer FromIndex, Integer ToIndex)
{
    FStore.MoveColumn(FromIndex, ToIndex);
    InvalidateGrid();
    TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(Integer FromIndex, Integer ToIndex)
{
    FStore.MoveRow(FromIndex, ToIndex);
    InvalidateGrid();
    TDrawGrid::RowMoved(FromIndex, ToIndex);
}

void TStringGrid::ExchangeRows(Integer A, Integer B)
{
    if (A < 0 || B < 0 || A >= RowCount() || B >= RowCount())
        throw EInvalidGridOperation(SGridIndexOutOfRange);
    FStore.ExchangeRows(A, B);
    TDrawGrid::ExchangeRows(A, B);
}

void TStringGrid::DeleteRows(Integer ARow, Integer ACount)
{
    // Checked before the store changes, so that a refused deletion moves nothing.
    CheckRowDeletion(ARow, ACount);
    FStore.MoveRowsToEnd(ARow, ACount, RowCount());
    TDrawGrid::DeleteRows(ARow, ACount);
}

AnsiString TStringGrid::GetEditText(Integer ACol, Integer ARow)
{
    AnsiString Result = Cells(ACol, ARow);
    if (OnGetEditText)
        OnGetEditText(this, ACol, ARow, Result);
    return Result;
}

void TStringGrid::SetEditText(Integer ACol, Integer ARow, const AnsiString& Value)
{
    if (Value != Cells(ACol, ARow))
        SetCells(ACol, ARow, Value);
    TDrawGrid::SetEditText(ACol, ARow, Value);
}

// ---- TStringGridStrings -----------------------------------------------------------------------------

void TStringGridStrings::CheckIndex(Integer Index) const
{
    if (Index < 0 || Index >= GetCount())
        throw EInvalidGridOperation(SGridIndexOutOfRange);
}

Integer TStringGridStrings::GetCount() const
{
    return FIsColumn ? FGrid->RowCount() : FGrid->ColCount();
}

AnsiString TStringGridStrings::Get(Integer Index) const
{
    CheckIndex(Index);
    return FIsColumn ? FGrid->Cells(FIndex, Index) : FGrid->Cells(Index, FIndex);
}

TObject* TStringGridStrings::GetObject(Integer Index) const
{
    CheckIndex(Index);
    return FIsColumn ? FGrid->Objects(FIndex, Index) : FGrid->Objects(Index, FIndex);
}

void TStringGridStrings::Put(Integer Index, const AnsiString& S)
{
    CheckIndex(Index);
    if (FIsColumn)
        FGrid->SetCells(FIndex, Index, S);
    else
        FGrid->SetCells(Index, FIndex, S);
}

void TStringGridStrings::PutObject(Integer Index, TObject* AObject)
{
    CheckIndex(Index);
    if (FIsColumn)
        FGrid->SetObjects(FIndex, Index, AObject);
    else
        FGrid->SetObjects(Index, FIndex, AObject);
}

Integer TStringGridStrings::Add(const AnsiString& S)
{
    const Integer N = GetCount();
    if (FNextAdd >= 0) {
        if (FNextAdd >= N)
            return -1;
        Put(FNextAdd, S);
        return FNextAdd++;
    }
    for (Integer I = 0; I < N; ++I)
        if (Get(I).empty()) {
            Put(I, S);
            return I;
        }
    return -1;
}

void TStringGridStrings::Assign(TPersistent* Source)
{
    auto* From = dynamic_cast<TStrings*>(Source);
    if (!From) {
        TStrings::Assign(Source);
        return;
    }
    // Read the source first: it may be a view of the same grid overlapping this one.
    const Integer N = GetCount();
    const Integer M = std::min(N, From->Count());
    std::vector<std::pair<AnsiString, TObject*>> Items;
    Items.reserve(static_cast<size_t>(M));
    for (Integer I = 0; I < M; ++I)
        Items.emplace_back(From->Strings(I), From->Objects(I));
    BeginUpdate();
    for (Integer I = 0; I < N; ++I) {
        Put(I, I < M ? Items[I].first : AnsiString());
        PutObject(I, I < M ? Items[I].second : nullptr);
    }
    EndUpdate();
}

Integer TStringGridStrings::AddObject(const AnsiString& S, TObject* AObject)
{
    const Integer Result = Add(S);
    if (Result >= 0)
        PutObject(Result, AObject);
    return Result;
}

void TStringGridStrings::Clear()
{
    const Integer N = GetCount();
    for (Integer I = 0; I < N; ++I) {
        Put(I, AnsiString());
        PutObject(I, nullptr);
    }
    // A list refilled after a Clear (Text, CommaText) takes its strings in order, empty ones too.
    if (UpdateCount() > 0)
        FNextAdd = 0;
}

void TStringGridStrings::SetUpdateState(bool Updating)
{
    if (!Updating)
        FNextAdd = -1;
}

void TStringGridStrings::Delete(Integer)
{
    throw EInvalidGridOperation(SInvalidStringGridOp);
}

void TStringGridStrings::Insert(Integer, const AnsiString&)
{
    throw EInvalidGridOperation(SInvalidStringGridOp);
}
