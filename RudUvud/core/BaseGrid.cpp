#include "RudUvud/core/BaseGrid.h"
#include "RudUvud/core/UndoRedo.h"

#include "RudUvud/support/DerOdoz.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <memory>

// ---- TCellProperties ------------------------------------------------------------------------------

static_assert(sizeof(TCellProperties) <= 48, "a cell record keeps its common fields in 48 bytes");

TCellProperties::TCellProperties(TBaseGrid* AOwner, Integer ACol, Integer ARow)
    : FOwnerCol(ACol), FOwnerRow(ARow)
{
    if (AOwner) {
        FWordWrap = AOwner->DefaultWordWrap();
        Extra().Owner = AOwner;
    }
}

TCellProperties::TCellProperties(TBaseGrid* AOwner, Integer ACol, Integer ARow, TInStore)
    : FOwnerCol(ACol), FOwnerRow(ARow), FWordWrap(AOwner->DefaultWordWrap()), FInStore(true)
{
}

TCellProperties::~TCellProperties() = default;

void TCellProperties::operator delete(TCellProperties* P, std::destroying_delete_t)
{
    TCellRecordStore* S = P->Store();
    P->~TCellProperties();
    if (S)
        S->Release(P);
    else
        ::operator delete(P);
}

TBaseGrid* TCellProperties::OwnerGrid() const
{
    if (TCellRecordStore* S = Store())
        return S->Owner();
    return FExtra ? FExtra->Owner : nullptr;
}

void TCellProperties::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TCellProperties*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    if (S == this)
        return;
    FIsBaseCell = S->FIsBaseCell;
    FCellSpanX = S->FCellSpanX;
    FCellSpanY = S->FCellSpanY;
    FOwnerRow = S->FOwnerRow;
    FOwnerCol = S->FOwnerCol;
    FAlignment = S->FAlignment;
    SetBorderColor(S->BorderColor());
    SetBorderWidth(S->BorderWidth());
    FBrushColor = S->FBrushColor;
    FBrushStyle = S->FBrushStyle;
    FFontColor = S->FFontColor;
    FFontStyle = S->FFontStyle;
    SetFontName(S->FontName());
    SetFontSize(S->FontSize());
    FReadOnly = S->FReadOnly;
    FEditor = S->FEditor;
    FVAlignment = S->FVAlignment;
    FWordWrap = S->FWordWrap;
    SetNodeLevel(S->NodeLevel());
    SetControl(S->Control());
}

TFontStyles TCellProperties::FontStyle() const
{
    TFontStyles R;
    for (unsigned I = 0; I < 4; ++I)
        if (FFontStyle >> I & 1u)
            R.Include(static_cast<TFontStyle>(I));
    return R;
}

void TCellProperties::SetFontStyle(TFontStyles V)
{
    unsigned Bits = 0;
    for (unsigned I = 0; I < 4; ++I)
        if (V.Contains(static_cast<TFontStyle>(I)))
            Bits |= 1u << I;
    FFontStyle = Bits;
}

void TCellProperties::SetFontSize(Integer V)
{
    if (V >= INT16_MIN && V <= INT16_MAX) {
        FFontSize = static_cast<std::int16_t>(V);
        FWideFontSize = false;
        return;
    }
    Extra().FontSize = V;
    FWideFontSize = true;
}

const AnsiString& TCellProperties::FontName() const
{
    static const AnsiString Empty;
    if (FNameInExtra)
        return FExtra->FontName;
    if (TCellRecordStore* S = Store())
        return S->Name(FFontName);
    return Empty;
}

void TCellProperties::SetFontName(const AnsiString& V)
{
    TCellRecordStore* S = Store();
    const std::uint16_t Id = S ? S->NameId(V) : TCellRecordStore::NoName;
    if (Id != TCellRecordStore::NoName) {
        FFontName = Id;
        FNameInExtra = false;
        if (FExtra)
            FExtra->FontName.clear();
        return;
    }
    if (!V.empty() || FExtra || FNameInExtra) {
        // Assigned before the flag changes: V may be this record's own name.
        Extra().FontName = V;
        FNameInExtra = true;
    }
    FFontName = TCellRecordStore::EmptyName;
}

TPoint TCellProperties::GetBaseCell(Integer ACol, Integer ARow) const
{
    if (!FIsBaseCell && FCellSpanX != -1 && FCellSpanY != -1)
        return TPoint{ACol - FCellSpanX, ARow - FCellSpanY};
    return TPoint{ACol, ARow};
}

void TCellProperties::Repaint()
{
    if (TBaseGrid* G = OwnerGrid())
        G->RepaintCell(FOwnerCol, FOwnerRow);
}

void TCellProperties::SetBrushColor(TColor V)
{
    FBrushColor = V;
    Repaint();
}

void TCellProperties::SetBrushColorTo(TColor V)
{
    if (V != clNone || FExtra)
        Extra().BrushColorTo = V;
    Repaint();
}

void TCellProperties::SetVAlignment(TVAlignment V)
{
    FVAlignment = static_cast<unsigned>(V) & 3u;
    Repaint();
}

void TCellProperties::SetWordWrap(bool V)
{
    FWordWrap = V;
    Repaint();
}

// ---- TBaseGrid: construction ------------------------------------------------------------------------

TBaseGrid::TBaseGrid(TComponent* AOwner) : TStringGrid(AOwner)
{
    TStringGrid::SetGridLineWidth(0);
    TStringGrid::SetDefaultDrawing(false);
}

TBaseGrid::~TBaseGrid()
{
    ClearProps();
    // Records the cell scan did not reach (rows beyond the counts, rows parked elsewhere) go too.
    for (void* Slot : FRecordStore.LiveSlots())
        FreeCellRecord(static_cast<TCellProperties*>(Slot));
}

void TBaseGrid::FreeCellRecord(TCellProperties* CP)
{
    if (!CP || !FRecordStore.Holds(CP))
        return;
    TObject* G = CP->GraphicObject();
    if (G && G != FSharedGraphic && G->ClassName() == "TCellGraphic")
        delete G;
    delete CP;
}

void TBaseGrid::Notification(TComponent* AComponent, TOperation Operation)
{
    TStringGrid::Notification(AComponent, Operation);
    if (Operation == opRemove && FUndoRedo && AComponent == static_cast<TComponent*>(FUndoRedo))
        FUndoRedo = nullptr;
}

// ---- Published properties -------------------------------------------------------------------------

void TBaseGrid::SetActiveRowShow(bool Value)
{
    if (FActiveRowShow == Value)
        return;
    FActiveRowShow = Value;
    Invalidate();
}

void TBaseGrid::SetActiveRowColor(TColor Value)
{
    if (FActiveRowColor == Value)
        return;
    FActiveRowColor = Value;
    Invalidate();
}

void TBaseGrid::SetDefaultDrawing(bool Value)
{
    FOwnDefaultDrawing = Value;
    TStringGrid::SetDefaultDrawing(false);
}

void TBaseGrid::SetGridLineWidth(Integer Value)
{
    FGridLineWidth2 = Value;
    TStringGrid::SetGridLineWidth(0);
    Invalidate();
}

void TBaseGrid::SetGridLineColor(TColor Value)
{
    FGridLineColor = Value;
    Invalidate();
}

void TBaseGrid::SetGridFixedLineColor(TColor Value)
{
    FGridFixedLineColor = Value;
    Invalidate();
}

void TBaseGrid::SetUndoRedo(TRudUvudUndoRedo* Value)
{
    FUndoRedo = Value;
    if (Value) {
        // Each side is told when the other goes away.
        Value->LinkGrid(this);
        Value->FreeNotification(this);
    }
}

void TBaseGrid::SetSelectionStyle(TGridSelectionStyle Value)
{
    if (FSelectionStyle == Value)
        return;
    FSelectionStyle = Value;
    Invalidate();
}

void TBaseGrid::SetShowSelection(bool Value)
{
    if (FShowSelection == Value)
        return;
    FShowSelection = Value;
    Invalidate();
}

// ---- Virtual operations: base behaviour ---------------------------------------------------------

bool TBaseGrid::IsFixed(Integer, Integer)
{
    return false;
}
Integer TBaseGrid::NodeIndent(Integer)
{
    return 0;
}
bool TBaseGrid::HasNodes()
{
    return false;
}
void TBaseGrid::FloatFooterUpdate() {}
void TBaseGrid::CellTextChange(Integer, Integer) {}
bool TBaseGrid::HasCustomCellBorder()
{
    return false;
}
Integer TBaseGrid::DisplColIndex(Integer ACol)
{
    return ACol;
}

void TBaseGrid::GetDisplText(Integer ACol, Integer ARow, AnsiString& Value)
{
    if (OnGetDisplText)
        OnGetDisplText(this, ACol, ARow, Value);
}

void TBaseGrid::GetDisplWideText(Integer ACol, Integer ARow, WideString& Value)
{
    if (OnGetDisplWideText)
        OnGetDisplWideText(this, ACol, ARow, Value);
}

void TBaseGrid::GetDefaultProps(Integer, Integer, TFont* AFont, TBrush* ABrush, TColor& ColorTo,
                                TColor& MirrorColor, TColor& MirrorColorTo, TAlignment& HAlign,
                                TVAlignment& VAlign, bool& WordWrap, TCellGradientDirection& GradientDir)
{
    AFont->Assign(Font());
    ABrush->SetColor(Color());
    ColorTo = clNone;
    MirrorColor = clNone;
    MirrorColorTo = clNone;
    HAlign = taLeftJustify;
    VAlign = vtaTop;
    WordWrap = FDefaultWordWrap;
    GradientDir = GradientVertical;
}

void TBaseGrid::GetVisualProperties(Integer, Integer, TGridDrawState&, bool, bool, bool, TBrush*, TColor&,
                                    TColor&, TColor&, TFont*, TAlignment&, TVAlignment&, bool&,
                                    TCellGradientDirection&)
{
}

// ---- Cell property store ----------------------------------------------------------------------------

TCellProperties* TBaseGrid::RecordAt(Integer ACol, Integer ARow) const
{
    if (ACol < 0 || ARow < 0)
        return nullptr;
    // Only live records of this grid count, found by address without touching the object: a user
    // object placed in the raw slot is never taken for one, and a slot still pointing at a record
    // freed through another slot that shared it reads as empty.
    return AsRecord(Objects(ACol, ARow));
}

bool TBaseGrid::HasCellProperties(Integer ACol, Integer ARow) const
{
    return RecordAt(ACol, ARow) != nullptr;
}

TCellProperties* TBaseGrid::GetCellProperties(Integer ACol, Integer ARow)
{
    if (TCellProperties* CP = RecordAt(ACol, ARow))
        return CP;
    auto* CP = new (FRecordStore.Allocate()) TCellProperties(this, ACol, ARow, TCellProperties::TInStore{});
    try {
        SetObjects(ACol, ARow, CP);
    } catch (...) {
        delete CP;
        throw;
    }
    FPropsCreated = true;
    auto F = std::make_unique<TFont>();
    auto B = std::make_unique<TBrush>();
    TColor ColorTo = clNone, MirrorColor = clNone, MirrorColorTo = clNone;
    TAlignment HAlign = taLeftJustify;
    TVAlignment VAlign = vtaTop;
    bool WW = FDefaultWordWrap;
    TCellGradientDirection GD = GradientVertical;
    GetDefaultProps(ACol, ARow, F.get(), B.get(), ColorTo, MirrorColor, MirrorColorTo, HAlign, VAlign, WW,
                    GD);
    CP->SetCalcType(acNONE);
    CP->SetAlignment(HAlign);
    // Seeding writes the fields directly: a new record needs no repaint of its cell.
    CP->FVAlignment = static_cast<unsigned>(VAlign) & 3u;
    CP->FWordWrap = WW;
    CP->SetFontName(F->Name());
    CP->SetFontSize(F->Size());
    CP->SetFontStyle(F->Style());
    CP->SetFontColor(F->Color());
    CP->FBrushColor = B->Color();
    if (ColorTo != clNone)
        CP->Extra().BrushColorTo = ColorTo;
    CP->SetGradientDirection(GD);
    return CP;
}

void TBaseGrid::SetCellProperties(Integer ACol, Integer ARow, TCellProperties* Value)
{
    TCellProperties* Old = RecordAt(ACol, ARow);
    if (Old && Old != Value)
        FreeCellRecord(Old);
    SetObjects(ACol, ARow, Value);
}

TObject* TBaseGrid::GetObjectEx(Integer ACol, Integer ARow) const
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    return CP ? CP->CellObject() : nullptr;
}

void TBaseGrid::SetObjectEx(Integer ACol, Integer ARow, TObject* Obj)
{
    // A cell with an empty text may be skipped by code that walks only filled cells, so the blank
    // is written for the moment the record is created and taken away again afterwards.
    const bool Empty = GetCellEx(ACol, ARow).empty();
    if (Empty)
        SetCellEx(ACol, ARow, " ");
    GetCellProperties(ACol, ARow)->SetCellObject(Obj);
    if (Empty)
        SetCellEx(ACol, ARow, "");
}

TObject* TBaseGrid::GetGraphicObjectEx(Integer ACol, Integer ARow) const
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    return CP ? CP->GraphicObject() : nullptr;
}

void TBaseGrid::SetGraphicObjectEx(Integer ACol, Integer ARow, TObject* Obj)
{
    if (ComponentState().Contains(csDestroying))
        return;
    const bool Empty = GetCellEx(ACol, ARow).empty();
    if (Empty)
        SetCellEx(ACol, ARow, " ");
    GetCellProperties(ACol, ARow)->SetGraphicObject(Obj);
    if (Empty)
        SetCellEx(ACol, ARow, "");
}

void TBaseGrid::ClearPropCell(Integer ACol, Integer ARow)
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    if (!CP)
        return;
    SetObjects(ACol, ARow, nullptr);
    FreeCellRecord(CP);
}

void TBaseGrid::ClearPropRect(Integer ACol1, Integer ARow1, Integer ACol2, Integer ARow2)
{
    if (!FPropsCreated || ACol2 < ACol1)
        return;
    ACol1 = std::max<Integer>(ACol1, 0);
    ARow1 = std::max<Integer>(ARow1, 0);
    for (Integer C = ACol1; C <= ACol2; ++C)
        for (Integer R = ARow1; R <= ARow2; ++R) {
            TCellProperties* CP = RecordAt(C, R);
            if (!CP)
                continue;
            SetObjects(C, R, nullptr);
            FreeCellRecord(CP);
        }
}

void TBaseGrid::ClearPropRow(Integer ARow)
{
    ClearPropRect(0, ARow, ColCount() - 1, ARow);
}

void TBaseGrid::ClearProps()
{
    ClearPropRect(0, 0, ColCount() - 1, RowCount() - 1);
}

void TBaseGrid::CopyRows(Integer ToRow, Integer FromRow)
{
    for (Integer C = 0; C < ColCount(); ++C) {
        SetCellEx(C, ToRow, GetCellEx(C, FromRow));
        SetObjects(C, ToRow, Objects(C, FromRow));
    }
}

void TBaseGrid::CopyCols(Integer ToCol, Integer FromCol)
{
    for (Integer R = 0; R < RowCount(); ++R) {
        SetCells(ToCol, R, Cells(FromCol, R));
        SetObjects(ToCol, R, Objects(FromCol, R));
    }
}

void TBaseGrid::NilRow(Integer ARow)
{
    for (Integer C = 0; C < ColCount(); ++C) {
        SetObjects(C, ARow, nullptr);
        SetCellEx(C, ARow, "");
    }
}

void TBaseGrid::NilCol(Integer ACol)
{
    for (Integer R = 0; R < RowCount(); ++R) {
        SetObjects(ACol, R, nullptr);
        SetCellEx(ACol, R, "");
    }
}

void TBaseGrid::NilCell(Integer ACol, Integer ARow)
{
    SetCellEx(ACol, ARow, "");
    SetObjects(ACol, ARow, nullptr);
}

// ---- Merged cells ------------------------------------------------------------------------------

TCellProperties* TBaseGrid::BaseRecordOf(Integer ACol, Integer ARow, TPoint* Base) const
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    if (!CP)
        return nullptr;
    const TPoint B = CP->GetBaseCell(ACol, ARow);
    if (Base)
        *Base = B;
    if (B.X == ACol && B.Y == ARow)
        return CP;
    return RecordAt(B.X, B.Y);
}

TPoint TBaseGrid::BaseCell(Integer ACol, Integer ARow) const
{
    TPoint B{ACol, ARow};
    // A covered cell whose base lost its record acts as an unmerged cell.
    if (!BaseRecordOf(ACol, ARow, &B))
        return TPoint{ACol, ARow};
    return B;
}

bool TBaseGrid::IsBaseCell(Integer ACol, Integer ARow) const
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    return !CP || CP->IsBaseCell();
}

bool TBaseGrid::IsBaseCellEx(Integer ACol, Integer ARow, Integer& BaseCol, Integer& BaseRow) const
{
    const TPoint B = BaseCell(ACol, ARow);
    BaseCol = B.X;
    BaseRow = B.Y;
    return B.X == ACol && B.Y == ARow;
}

bool TBaseGrid::IsMergedCell(Integer ACol, Integer ARow) const
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    return CP && (CP->CellSpanX() > 0 || CP->CellSpanY() > 0);
}

bool TBaseGrid::IsMergedNonBaseCell(Integer ACol, Integer ARow) const
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    return CP && (CP->CellSpanX() > 0 || CP->CellSpanY() > 0) && !CP->IsBaseCell();
}

bool TBaseGrid::IsXMergedCell(Integer ACol, Integer ARow) const
{
    TCellProperties* B = BaseRecordOf(ACol, ARow);
    return B && B->CellSpanX() > 0;
}

bool TBaseGrid::IsYMergedCell(Integer ACol, Integer ARow) const
{
    TCellProperties* B = BaseRecordOf(ACol, ARow);
    return B && B->CellSpanY() > 0;
}

TPoint TBaseGrid::CellSpan(Integer ACol, Integer ARow) const
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    if (!CP || CP->CellSpanX() == -1 || CP->CellSpanY() == -1)
        return TPoint{0, 0};
    TCellProperties* B = BaseRecordOf(ACol, ARow);
    if (!B || B->CellSpanX() < 0 || B->CellSpanY() < 0)
        return TPoint{0, 0};
    return TPoint{B->CellSpanX(), B->CellSpanY()};
}

TPoint TBaseGrid::CellExt(Integer ACol, Integer ARow) const
{
    const TPoint S = CellSpan(ACol, ARow);
    if (S.X == 0 && S.Y == 0)
        return TPoint{0, 0};
    const TPoint B = BaseCell(ACol, ARow);
    return TPoint{B.X + S.X - ACol, B.Y + S.Y - ARow};
}

TGridRect TBaseGrid::FullCell(Integer ACol, Integer ARow) const
{
    const TPoint B = BaseCell(ACol, ARow);
    const TPoint S = CellSpan(ACol, ARow);
    return TGridRect{B.X, B.Y, B.X + S.X, B.Y + S.Y};
}

void TBaseGrid::MergeCells(Integer ACol, Integer ARow, Integer NCols, Integer NRows)
{
    ++FMergeCount;
    // Blocks reaching before the first cell have no place in the store.
    if (ACol < 0 || ARow < 0 || NCols < 1 || NRows < 1)
        return;
    for (Integer I = ACol; I < ACol + NCols; ++I)
        for (Integer J = ARow; J < ARow + NRows; ++J) {
            TCellProperties* CP = GetCellProperties(I, J);
            const bool Base = I == ACol && J == ARow;
            CP->SetIsBaseCell(Base);
            CP->SetCellSpanX(Base ? NCols - 1 : I - ACol);
            CP->SetCellSpanY(Base ? NRows - 1 : J - ARow);
        }
    for (Integer I = ACol; I < ACol + NCols; ++I)
        for (Integer J = ARow; J < ARow + NRows; ++J)
            RepaintCell(I, J);
}

void TBaseGrid::SplitCells(Integer ACol, Integer ARow)
{
    TCellProperties* CP = GetCellProperties(ACol, ARow);
    const TPoint B = CP->GetBaseCell(ACol, ARow);
    TCellProperties* BP = RecordAt(B.X, B.Y);
    const Integer SX = BP ? std::max<Integer>(BP->CellSpanX(), 0) : 0;
    const Integer SY = BP ? std::max<Integer>(BP->CellSpanY(), 0) : 0;
    for (Integer I = B.X; I <= B.X + SX; ++I)
        for (Integer J = B.Y; J <= B.Y + SY; ++J)
            if (TCellProperties* P = RecordAt(I, J)) {
                P->SetIsBaseCell(true);
                P->SetCellSpanX(-1);
                P->SetCellSpanY(-1);
            }
    CP->SetIsBaseCell(true);
    CP->SetCellSpanX(-1);
    CP->SetCellSpanY(-1);
    for (Integer I = B.X; I <= B.X + SX; ++I)
        for (Integer J = B.Y; J <= B.Y + SY; ++J)
            RepaintCell(I, J);
    --FMergeCount;
}

Integer TBaseGrid::MinRowSpan(Integer ARow) const
{
    Integer Result = RowCount();
    for (Integer C = 0; C < ColCount(); ++C) {
        const Integer Y = CellSpan(C, ARow).Y;
        if (Y > 0 && Y < Result)
            Result = Y;
    }
    return Result;
}

Integer TBaseGrid::MaxRowSpan(Integer ARow) const
{
    Integer Result = 0;
    for (Integer C = 0; C < ColCount(); ++C)
        Result = std::max(Result, CellSpan(C, ARow).Y);
    return Result;
}

bool TBaseGrid::RowSpanIdentical(Integer ARow1, Integer ARow2) const
{
    bool Result = true, Merged = false;
    for (Integer C = 0; C < ColCount(); ++C) {
        if (CellSpan(C, ARow1).Y > 0 && CellSpan(C, ARow2).Y > 0) {
            Merged = true;
            if (BaseCell(C, ARow1).Y != BaseCell(C, ARow2).Y) {
                Result = false;
                break;
            }
        }
    }
    return Result && Merged;
}

bool TBaseGrid::ColSpanIdentical(Integer ACol1, Integer ACol2) const
{
    bool Result = true, Merged = false;
    for (Integer R = 0; R < RowCount(); ++R) {
        const Integer X1 = CellSpan(ACol1, R).X, X2 = CellSpan(ACol2, R).X;
        if (X1 > 0 && X2 > 0) {
            Merged = true;
            if (BaseCell(ACol1, R).X != BaseCell(ACol2, R).X) {
                Result = false;
                break;
            }
        } else if (X1 != X2) {
            Result = false;
            break;
        }
    }
    return Result && Merged;
}

void TBaseGrid::SelectBaseCell()
{
    if (!RecordAt(Col(), Row()))
        return;
    const TPoint B = BaseCell(Col(), Row());
    if (B.X != Col() && B.X >= 0 && B.X < ColCount())
        SetCol(B.X);
    if (B.Y != Row() && B.Y >= 0 && B.Y < RowCount())
        SetRow(B.Y);
}

// ---- Geometry ----------------------------------------------------------------------------------

Int64 TBaseGrid::ColOffset(Integer Index)
{
    if (Index <= 0)
        return 0;
    TGridAxis& A = ColAxis();
    const Integer N = std::min(Index, A.Count());
    return A.Offset(N) + static_cast<Int64>(Index - N) * DefaultColWidth();
}

Int64 TBaseGrid::RowOffset(Integer Index)
{
    if (Index <= 0)
        return 0;
    TGridAxis& A = RowAxis();
    const Integer N = std::min(Index, A.Count());
    return A.Offset(N) + static_cast<Int64>(Index - N) * DefaultRowHeight();
}

TRect TBaseGrid::GetCellRect(Integer ACol, Integer ARow)
{
    Int64 X = ColOffset(ACol), Y = RowOffset(ARow);
    const Integer W = ColWidths(ACol), H = RowHeights(ARow);
    if (ACol >= FixedCols())
        X -= ColOffset(LeftCol()) - ColOffset(FixedCols());
    if (ARow >= FixedRows())
        Y -= RowOffset(TopRow()) - RowOffset(FixedRows());
    // The platform draws the first scrollable cell right after the fixed ones; the sums above
    // already place it there, so the client origin is 0 in both directions.
    return TRect{static_cast<Integer>(X), static_cast<Integer>(Y), static_cast<Integer>(X + W),
                 static_cast<Integer>(Y + H)};
}

TRect TBaseGrid::CellRect(Integer ACol, Integer ARow)
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    if (CP && (CP->CellSpanX() != -1 || CP->CellSpanY() != -1)) {
        const TGridRect F = FullCell(ACol, ARow);
        const TRect A = GetCellRect(F.Left, F.Top), B = GetCellRect(F.Right, F.Bottom);
        return TRect{std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
                     std::max(A.Bottom, B.Bottom)};
    }
    if (CP && CP->Control())
        return GetCellRect(ACol, ARow);
    const TRect P = TStringGrid::CellRect(ACol, ARow);
    return TRect{P.Left, P.Top, P.Left + ColWidths(ACol), P.Top + RowHeights(ARow)};
}

TPoint TBaseGrid::CellSize(Integer ACol, Integer ARow)
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    TRect R;
    if (CP && (CP->CellSpanX() != -1 || CP->CellSpanY() != -1)) {
        const TGridRect F = FullCell(ACol, ARow);
        const TRect A = GetCellRect(F.Left, F.Top), B = GetCellRect(F.Right, F.Bottom);
        R = TRect{A.Left, A.Top, B.Right, B.Bottom};
    } else
        R = GetCellRect(ACol, ARow);
    return TPoint{R.Right - R.Left, R.Bottom - R.Top};
}

Integer TBaseGrid::FixedColsWidth() const
{
    Integer W = 0;
    for (Integer C = 0; C < FixedCols(); ++C)
        W += ColWidths(C);
    return W;
}

Integer TBaseGrid::FixedRowsHeight() const
{
    Integer H = 0;
    for (Integer R = 0; R < FixedRows(); ++R)
        H += RowHeights(R);
    return H;
}

// ---- Text ------------------------------------------------------------------------------------

AnsiString TBaseGrid::GetCellEx(Integer ACol, Integer ARow)
{
    TPoint B{ACol, ARow};
    if (RecordAt(ACol, ARow))
        B = BaseCell(ACol, ARow);
    AnsiString Result = Cells(B.X, B.Y);
    if (B.Y < FDisplayLimit) {
        GetDisplText(B.X, B.Y, Result);
        if (OnGetDisplWideText) {
            WideString W = DecodeWideStr(Result);
            GetDisplWideText(B.X, B.Y, W);
            Result = EncodeWideStr(W);
        }
    }
    return Result;
}

void TBaseGrid::SetCellEx(Integer ACol, Integer ARow, const AnsiString& Value)
{
    if (RecordAt(ACol, ARow)) {
        const TPoint B = BaseCell(ACol, ARow);
        SetCells(B.X, B.Y, Value);
        if (Parent())
            RepaintCell(ACol, ARow);
    } else
        SetCells(ACol, ARow, Value);
    if (FFooterRow && ARow == RowCount() - 1)
        FloatFooterUpdate();
}

// ---- Painting helpers --------------------------------------------------------------------------

void TBaseGrid::InvalidateRectOf(const TRect& R, bool Erase)
{
    if (!HandleAllocated())
        return;
    RECT W{R.Left, R.Top, R.Right, R.Bottom};
    ::InvalidateRect(Handle(), &W, Erase ? TRUE : FALSE);
}

void TBaseGrid::RepaintCell(Integer ACol, Integer ARow)
{
    if (!HandleAllocated())
        return;
    InvalidateRectOf(CellRect(ACol, ARow), true);
}

bool TBaseGrid::IsSelected(Integer ACol, Integer ARow)
{
    const TGridRect S = Selection();
    const Integer L = std::min(S.Left, S.Right), R = std::max(S.Left, S.Right);
    const Integer T = std::min(S.Top, S.Bottom), B = std::max(S.Top, S.Bottom);
    if (ACol >= L && ACol <= R && ARow >= T && ARow <= B)
        return true;
    TCellProperties* CP = RecordAt(ACol, ARow);
    if (CP && ((CP->CellSpanX() != -1 && CP->CellSpanX() != 0) ||
               (CP->CellSpanY() != -1 && CP->CellSpanY() != 0))) {
        const TGridRect F = FullCell(ACol, ARow);
        return Col() >= F.Left && Col() <= F.Right && Row() >= F.Top && Row() <= F.Bottom;
    }
    return false;
}

void TBaseGrid::RepaintFixedMergedCols()
{
    if (FixedCols() == 0)
        return;
    for (Integer C = 0; C < FixedCols(); ++C)
        for (Integer R = TopRow(); R <= TopRow() + VisibleRowCount(); ++R)
            if (IsMergedCell(C, R))
                RepaintCell(C, R);
}

void TBaseGrid::RepaintFixedMergedRows()
{
    if (FixedRows() == 0)
        return;
    for (Integer R = 0; R < FixedRows(); ++R)
        for (Integer C = LeftCol(); C <= LeftCol() + VisibleColCount(); ++C)
            if (IsMergedCell(C, R))
                RepaintCell(C, R);
}

// ---- Focus and keys ----------------------------------------------------------------------------

bool TBaseGrid::SelectCell(Integer ACol, Integer ARow)
{
    if (UseRightToLeftAlignment()) {
        const bool Result = TStringGrid::SelectCell(ACol, ARow);
        Invalidate();
        return Result;
    }
    RepaintCell(Col(), Row());
    const bool Result = TStringGrid::SelectCell(ACol, ARow);
    RepaintCell(ACol, ARow);
    return Result;
}

void TBaseGrid::StartKeyMoveAt(Integer ACol, Integer ARow)
{
    if (ACol != Col())
        SetCol(ACol);
    if (ARow != Row())
        SetRow(ARow);
    // A grid that refuses covered cells as current (no range selection) keeps the focus on the
    // block's base cell; the key's one-step move must still start from the block's edge, or it
    // would never leave the block.
    if (Col() != ACol || Row() != ARow) {
        FCurrent = TGridCoord{ACol, ARow};
        FAnchor = FCurrent;
    }
}

void TBaseGrid::KeyDown(Word& Key, TShiftState Shift)
{
    TCellProperties* BP = nullptr;
    TPoint B{Col(), Row()};
    if (RecordAt(Col(), Row()))
        BP = BaseRecordOf(Col(), Row(), &B);
    const Integer SX = BP ? std::max<Integer>(BP->CellSpanX(), 0) : 0;
    const Integer SY = BP ? std::max<Integer>(BP->CellSpanY(), 0) : 0;
    switch (Key) {
    case VK_NEXT:
        if (FFooterRow && RowCount() > 1 && VisibleRowCount() + TopRow() - FixedRows() == RowCount() - 1)
            SetRow(RowCount() - 2);
        break;
    case VK_RIGHT:
        if (BP && B.X + SX >= Col() && Col() < ColCount() - 1 && B.X < ColCount() - 1 &&
            B.X + SX < ColCount())
            StartKeyMoveAt(B.X + SX, Row());
        break;
    case VK_DOWN:
        if (BP && B.Y + SY >= Row() && Row() < RowCount() - 1 && B.Y < RowCount() - 1 &&
            B.Y + SY < RowCount())
            StartKeyMoveAt(Col(), B.Y + SY);
        break;
    case VK_LEFT:
        // From a covered cell the move starts at the block's left edge, so the platform's one-step
        // move leaves the block on its left side.
        if (BP && Col() > B.X && Col() > FixedCols() && B.X > 0)
            StartKeyMoveAt(B.X, Row());
        break;
    case VK_UP:
        if (BP && Row() > B.Y && Row() > FixedRows() && B.Y > 0)
            StartKeyMoveAt(Col(), B.Y);
        break;
    default:
        break;
    }
    TStringGrid::KeyDown(Key, Shift);
    SelectBaseCell();
}

bool TBaseGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    const bool Result = TStringGrid::DoMouseWheelUp(Shift, MousePos);
    SelectBaseCell();
    return Result;
}

bool TBaseGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    const bool Result = TStringGrid::DoMouseWheelDown(Shift, MousePos);
    if (VisibleRowCount() < Row() - TopRow() && Row() < RowCount() - 1 && FFooterRow)
        SetTopRow(TopRow() + 1);
    SelectBaseCell();
    return Result;
}

void TBaseGrid::TopLeftChanged()
{
    TStringGrid::TopLeftChanged();
    RepaintFixedMergedRows();
    RepaintFixedMergedCols();
}

void TBaseGrid::ChangeScale(Integer M, Integer D)
{
    TStringGrid::ChangeScale(M, D);
    if (!ComponentState().Contains(csDesigning) && M != D)
        SetDefaultRowHeight(MulDiv(DefaultRowHeight(), M, D));
}

AnsiString TBaseGrid::GetEditText(Integer ACol, Integer ARow)
{
    return TStringGrid::GetEditText(ACol, ARow);
}

void TBaseGrid::SetEditText(Integer ACol, Integer ARow, const AnsiString& Value)
{
    TStringGrid::SetEditText(ACol, ARow, Value);
}
