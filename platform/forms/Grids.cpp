#include "platform/forms/Grids.h"

#include <algorithm>
#include <limits>

// ---- TGridAxis ------------------------------------------------------------------------------------
//
// FTree[i] holds the sum of the blocks' sums over the blocks (i - lowbit(i), i] (1-based). A
// block's own running sums are worked out again on the first read after a change to it.

namespace {

inline Integer LowBit(Integer I)
{
    return I & -I;
}

// Counts are capped so that offsets and indexes stay far inside their types.
constexpr Integer MaxGridCount = 0x1000000;

} // namespace

void TGridAxis::Rebuild()
{
    const Integer N = Blocks();
    FTree.assign(static_cast<size_t>(N) + 1, 0);
    FLocal.resize(static_cast<size_t>(N));
    FLocalStale.assign(static_cast<size_t>(N), 1);
    for (Integer K = 0; K < N; ++K) {
        Int64 Sum = 0;
        const Integer End = std::min(Count(), (K + 1) << Bits);
        for (Integer I = K << Bits; I < End; ++I)
            Sum += ExtentOf(FSizes[I]);
        FTree[K + 1] += Sum;
        const Integer J = K + 1 + LowBit(K + 1);
        if (J <= N)
            FTree[J] += FTree[K + 1];
    }
}

void TGridAxis::AddToBlock(Integer Block, Int64 Delta)
{
    FLocalStale[static_cast<size_t>(Block)] = 1;
    if (Delta == 0)
        return;
    const Integer N = Blocks();
    for (Integer I = Block + 1; I <= N; I += LowBit(I))
        FTree[I] += Delta;
}

const std::vector<Int64>& TGridAxis::Local(Integer Block) const
{
    std::vector<Int64>& L = FLocal[static_cast<size_t>(Block)];
    if (FLocalStale[static_cast<size_t>(Block)]) {
        const Integer Start = Block << Bits, End = std::min(Count(), Start + TSizes::BlockSize);
        L.resize(static_cast<size_t>(End - Start) + 1);
        Int64 Sum = 0;
        for (Integer I = Start; I < End; ++I) {
            L[static_cast<size_t>(I - Start)] = Sum;
            Sum += ExtentOf(FSizes[I]);
        }
        L[static_cast<size_t>(End - Start)] = Sum;
        FLocalStale[static_cast<size_t>(Block)] = 0;
    }
    return L;
}

void TGridAxis::Reset(Integer ACount, Integer Size)
{
    ACount = std::max(ACount, 0);
    FSizes.Resize(0);
    FSizes.Resize(ACount);
    for (Integer I = 0; I < ACount; ++I)
        FSizes[I] = Size;
    Rebuild();
}

void TGridAxis::Resize(Integer ACount, Integer DefaultSize)
{
    ACount = std::max(ACount, 0);
    const Integer Old = Count();
    if (ACount == Old)
        return;
    const Integer OldBlocks = Blocks();
    if (ACount < Old) {
        // The tree of a shorter prefix of blocks is a prefix of the tree; the cut block loses
        // its dropped items.
        const Integer N = (ACount + TSizes::BlockMask) >> Bits;
        Int64 Dropped = 0;
        if ((ACount & TSizes::BlockMask) != 0)
            for (Integer I = ACount; I < std::min(Old, N << Bits); ++I)
                Dropped += ExtentOf(FSizes[I]);
        FSizes.Resize(ACount);
        FTree.resize(static_cast<size_t>(N) + 1);
        FLocal.resize(static_cast<size_t>(N));
        FLocalStale.resize(static_cast<size_t>(N));
        if (N > 0 && (ACount & TSizes::BlockMask) != 0)
            AddToBlock(N - 1, -Dropped);
        return;
    }
    FSizes.Resize(ACount);
    for (Integer I = Old; I < ACount; ++I)
        FSizes[I] = DefaultSize;
    const Integer N = Blocks();
    // Growing: the last old block takes new items, then whole new blocks follow; each new
    // tree node needs only the prefix sums already there.
    FTree.resize(static_cast<size_t>(N) + 1, 0);
    FLocal.resize(static_cast<size_t>(N));
    FLocalStale.resize(static_cast<size_t>(N), 1);
    if (OldBlocks > 0 && (Old & TSizes::BlockMask) != 0) {
        const Integer K = OldBlocks - 1;
        const Integer End = std::min(ACount, (K + 1) << Bits);
        AddToBlock(K, Int64(End - Old) * ExtentOf(DefaultSize));
    }
    for (Integer K = OldBlocks; K < N; ++K) {
        const Integer Items = std::min(ACount, (K + 1) << Bits) - (K << Bits);
        Int64 Node = Int64(Items) * ExtentOf(DefaultSize);
        // FTree[K + 1] covers blocks (K + 1 - lowbit, K + 1]: the block itself plus the sums of
        // the earlier blocks in that range.
        for (Integer I = K; I > K + 1 - LowBit(K + 1); I -= LowBit(I))
            Node += FTree[I];
        FTree[K + 1] = Node;
    }
}

void TGridAxis::SetSize(Integer Index, Integer Value)
{
    const Integer Old = FSizes[Index];
    if (Old == Value)
        return;
    FSizes[Index] = Value;
    AddToBlock(Index >> Bits, Int64(ExtentOf(Value)) - ExtentOf(Old));
}

void TGridAxis::SetLineWidth(Integer Value)
{
    if (FLineWidth == Value)
        return;
    FLineWidth = Value;
    Rebuild();
}

Int64 TGridAxis::Offset(Integer Index) const
{
    Index = std::min(Index, Count());
    if (Index <= 0)
        return 0;
    const Integer Block = Index >> Bits;
    Int64 Sum = 0;
    for (Integer I = Block; I > 0; I -= LowBit(I))
        Sum += FTree[I];
    if ((Index & TSizes::BlockMask) != 0)
        Sum += Local(Block)[static_cast<size_t>(Index & TSizes::BlockMask)];
    return Sum;
}

Integer TGridAxis::CountFitting(Int64 Pos) const
{
    const Integer N = Blocks();
    if (Pos < 0 || N == 0)
        return 0;
    // Whole blocks first, down the tree; then the items of the next block.
    Integer Step = 1;
    while (Step * 2 <= N)
        Step *= 2;
    Integer Result = 0;
    Int64 Rest = Pos;
    for (; Step > 0; Step /= 2) {
        const Integer Next = Result + Step;
        if (Next <= N && FTree[Next] <= Rest) {
            Result = Next;
            Rest -= FTree[Next];
        }
    }
    if (Result == N)
        return Count();
    const std::vector<Int64>& L = Local(Result);
    // L[i] is the sum before item i; the count fitting is the last i with L[i] <= Rest.
    const auto It = std::upper_bound(L.begin(), L.end(), Rest);
    return (Result << Bits) + static_cast<Integer>(It - L.begin()) - 1;
}

void TGridAxis::Move(Integer From, Integer To)
{
    if (From == To)
        return;
    const Integer Lo = std::min(From, To), Hi = std::max(From, To);
    if (Hi - Lo > 2 * TSizes::BlockSize) {
        const Integer V = FSizes[From];
        Delete(From, 1);
        Insert(To, V);
        return;
    }
    std::vector<Integer> Before;
    for (Integer I = Lo; I <= Hi; ++I)
        Before.push_back(FSizes[I]);
    FSizes.Move(From, To);
    // Rows of equal size (the usual case) leave the tree untouched.
    for (Integer I = Lo; I <= Hi; ++I)
        if (FSizes[I] != Before[static_cast<size_t>(I - Lo)])
            AddToBlock(I >> Bits, Int64(ExtentOf(FSizes[I])) - ExtentOf(Before[static_cast<size_t>(I - Lo)]));
}

void TGridAxis::Exchange(Integer A, Integer B)
{
    if (A == B)
        return;
    const Integer SizeA = FSizes[A], SizeB = FSizes[B];
    SetSize(A, SizeB);
    SetSize(B, SizeA);
}

void TGridAxis::Delete(Integer Index, Integer Count)
{
    Count = std::min(Count, this->Count() - Index);
    if (Index < 0 || Count <= 0)
        return;
    if (Count > 1) {
        FSizes.Rotate(Index, Index + Count, this->Count());
        FSizes.Resize(this->Count() - Count);
        Rebuild();
        return;
    }
    // One item: every later block passes one item to the block before it, so only the sums of
    // the blocks from Index on change, each by what it lost and gained.
    const Integer N = Blocks();
    const Integer First = Index >> Bits;
    // Block sums change by: the first loses the item and gains the next block's first item;
    // each later block loses its first item and gains the following block's first item.
    std::vector<Int64> Delta(static_cast<size_t>(N - First), 0);
    Delta[0] -= ExtentOf(FSizes[Index]);
    for (Integer K = First + 1; K < N; ++K) {
        const Int64 Moved = ExtentOf(FSizes[K << Bits]);
        Delta[static_cast<size_t>(K - First)] -= Moved;
        Delta[static_cast<size_t>(K - First - 1)] += Moved;
    }
    FSizes.Erase(Index);
    const Integer NewBlocks = Blocks();
    for (Integer K = First; K < NewBlocks; ++K)
        AddToBlock(K, Delta[static_cast<size_t>(K - First)]);
    if (NewBlocks < N) {
        FTree.resize(static_cast<size_t>(NewBlocks) + 1);
        FLocal.resize(static_cast<size_t>(NewBlocks));
        FLocalStale.resize(static_cast<size_t>(NewBlocks));
    }
}

void TGridAxis::Insert(Integer Index, Integer Size)
{
    Index = std::clamp(Index, 0, Count());
    const Integer OldBlocks = Blocks();
    const Integer First = Index >> Bits;
    // Each block from Index on gains an item and (when full) passes its last one on.
    std::vector<Int64> Delta;
    Int64 Carry = ExtentOf(Size);
    for (Integer K = First; K < OldBlocks; ++K) {
        const Integer End = std::min(Count(), (K + 1) << Bits);
        const bool Full = End - (K << Bits) == TSizes::BlockSize;
        const Int64 Out = Full ? ExtentOf(FSizes[End - 1]) : 0;
        Delta.push_back(Carry - Out);
        Carry = Out;
    }
    FSizes.Insert(Index, Size);
    const Integer N = Blocks();
    if (N > OldBlocks) {
        // A new last block holding just the carried item.
        FTree.resize(static_cast<size_t>(N) + 1, 0);
        FLocal.resize(static_cast<size_t>(N));
        FLocalStale.resize(static_cast<size_t>(N), 1);
        const Integer K = N - 1;
        Int64 Node = First == K ? ExtentOf(Size) : Carry;
        for (Integer I = K; I > K + 1 - LowBit(K + 1); I -= LowBit(I))
            Node += FTree[I];
        FTree[K + 1] = Node;
    }
    for (Integer K = First; K < OldBlocks; ++K)
        AddToBlock(K, Delta[static_cast<size_t>(K - First)]);
}

// ---- TGridCellStore ---------------------------------------------------------------------------------

const TGridCell* TGridCellStore::Find(Integer ACol, Integer ARow) const
{
    if (ARow < 0 || ACol < 0 || ARow >= RowCapacity())
        return nullptr;
    const TRowData* R = FRows[ARow].get();
    if (!R || ACol >= static_cast<Integer>(R->size()))
        return nullptr;
    return &(*R)[ACol];
}

TGridCell& TGridCellStore::Ensure(Integer ACol, Integer ARow, Integer Width)
{
    if (ARow >= RowCapacity())
        FRows.Resize(ARow + 1);
    auto& R = FRows[ARow];
    if (!R)
        R = std::make_unique<TRowData>();
    if (ACol >= static_cast<Integer>(R->size())) {
        if (ACol < Width && R->capacity() < static_cast<size_t>(Width))
            R->reserve(static_cast<size_t>(Width));
        R->resize(static_cast<size_t>(ACol) + 1);
    }
    return (*R)[ACol];
}

void TGridCellStore::SetText(Integer ACol, Integer ARow, const AnsiString& Value, Integer Width)
{
    if (Value.empty() && !Find(ACol, ARow))
        return;
    Ensure(ACol, ARow, Width).Text = Value;
}

void TGridCellStore::SetObject(Integer ACol, Integer ARow, TObject* Value, Integer Width)
{
    if (!Value && !Find(ACol, ARow))
        return;
    Ensure(ACol, ARow, Width).Object = Value;
}

void TGridCellStore::MoveRow(Integer From, Integer To)
{
    if (From == To)
        return;
    const Integer Need = std::max(From, To) + 1;
    if (Need > RowCapacity())
        FRows.Resize(Need);
    FRows.Move(From, To);
}

void TGridCellStore::ExchangeRows(Integer A, Integer B)
{
    if (A == B)
        return;
    const Integer Need = std::max(A, B) + 1;
    if (Need > RowCapacity())
        FRows.Resize(Need);
    FRows.Swap(A, B);
}

void TGridCellStore::MoveRowsToEnd(Integer Index, Integer Count, Integer End)
{
    if (Count <= 0 || Index < 0 || Index + Count > End)
        return;
    if (End > RowCapacity())
        FRows.Resize(End);
    if (Count == 1) {
        FRows.Move(Index, End - 1);
        return;
    }
    FRows.Rotate(Index, Index + Count, End);
}

void TGridCellStore::MoveColumn(Integer From, Integer To)
{
    if (From == To)
        return;
    const Integer Need = std::max(From, To) + 1;
    for (Integer I = 0; I < RowCapacity(); ++I) {
        auto& R = FRows[I];
        if (!R || (From >= static_cast<Integer>(R->size()) && To >= static_cast<Integer>(R->size())))
            continue; // nothing stored at either end: moving changes nothing in this row
        if (static_cast<Integer>(R->size()) < Need)
            R->resize(static_cast<size_t>(Need));
        if (From < To)
            std::rotate(R->begin() + From, R->begin() + From + 1, R->begin() + To + 1);
        else
            std::rotate(R->begin() + To, R->begin() + From, R->begin() + From + 1);
    }
}

// ---- TCustomGrid: construction and properties ---------------------------------------------------

namespace {

[[noreturn]] void InvalidOp(const char* Msg)
{
    throw EInvalidGridOperation(Msg);
}

template <class T> void Restrict(T& Coord, Integer MinX, Integer MinY, Integer MaxX, Integer MaxY)
{
    Coord.X = std::clamp(Coord.X, MinX, std::max(MinX, MaxX));
    Coord.Y = std::clamp(Coord.Y, MinY, std::max(MinY, MaxY));
}

inline bool PointInGridRect(Integer Col, Integer Row, const TGridRect& R)
{
    return Col >= std::min(R.Left, R.Right) && Col <= std::max(R.Left, R.Right) &&
           Row >= std::min(R.Top, R.Bottom) && Row <= std::max(R.Top, R.Bottom);
}

} // namespace

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks};
    FTabStop = true;
    FColor = clWindow;
    FParentColor = false;
    FCols.SetLineWidth(FGridLineWidth);
    FRows.SetLineWidth(FGridLineWidth);
    FCols.Reset(FColCount, FDefaultColWidth);
    FRows.Reset(FRowCount, FDefaultRowHeight);
    FWidth = 320;
    FHeight = 120;
}

TCustomGrid::~TCustomGrid()
{
    if (FHandle && IsWindow(FHandle))
        KillTimer(FHandle, GridScrollTimerId);
    // The editor is a child of this control: it goes while the grid is still whole.
    TInplaceEdit* Editor = FInplaceEdit;
    FInplaceEdit = nullptr;
    if (Editor)
        Editor->Free();
}

void TCustomGrid::ChangeSize(Integer NewColCount, Integer NewRowCount)
{
    if (NewColCount > MaxGridCount || NewRowCount > MaxGridCount)
        InvalidOp(SGridTooLarge);
    NewColCount = std::max(NewColCount, 1);
    NewRowCount = std::max(NewRowCount, 1);
    const Integer OldColCount = FColCount, OldRowCount = FRowCount;
    if (NewColCount == OldColCount && NewRowCount == OldRowCount)
        return;
    FColCount = NewColCount;
    FRowCount = NewRowCount;
    if (FFixedCols > FColCount - 1)
        FFixedCols = FColCount - 1;
    if (FFixedRows > FRowCount - 1)
        FFixedRows = FRowCount - 1;
    FCols.Resize(FColCount, FDefaultColWidth);
    FRows.Resize(FRowCount, FDefaultRowHeight);

    // An editor on a cell that no longer exists has nothing to write back to.
    if (FInplaceCol >= FColCount || FInplaceRow >= FRowCount) {
        FInplaceCol = -1;
        FInplaceRow = -1;
        HideEdit();
    }
    Restrict(FCurrent, FFixedCols, FFixedRows, FColCount - 1, FRowCount - 1);
    Restrict(FAnchor, FFixedCols, FFixedRows, FColCount - 1, FRowCount - 1);
    if (FOptions.Contains(goRowSelect)) {
        FCurrent.X = FFixedCols;
        FAnchor.X = FColCount - 1;
    }
    const TGridCoord OldTopLeft = FTopLeft;
    Restrict(FTopLeft, FFixedCols, FFixedRows, FColCount - 1, FRowCount - 1);
    UpdateScrollRange();
    SizeChanged(OldColCount, OldRowCount);
    if (!(OldTopLeft == FTopLeft))
        TopLeftChanged();
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::SetColCount(Integer Value)
{
    ChangeSize(Value, FRowCount);
}

void TCustomGrid::SetRowCount(Integer Value)
{
    ChangeSize(FColCount, Value);
}

void TCustomGrid::SetFixedCols(Integer Value)
{
    if (Value < 0)
        InvalidOp(SGridIndexOutOfRange);
    if (Value >= FColCount)
        InvalidOp(SFixedColTooBig);
    if (Value == FFixedCols)
        return;
    const Integer Old = FFixedCols;
    FFixedCols = Value;
    ClampPosition(Old, FFixedRows);
}

void TCustomGrid::SetFixedRows(Integer Value)
{
    if (Value < 0)
        InvalidOp(SGridIndexOutOfRange);
    if (Value >= FRowCount)
        InvalidOp(SFixedRowTooBig);
    if (Value == FFixedRows)
        return;
    const Integer Old = FFixedRows;
    FFixedRows = Value;
    ClampPosition(FFixedCols, Old);
}

// A new fixed area keeps the current cell, the selection and the view where they are, only
// brought out of the fixed cells (a grid built on this one changes its fixed counts while the
// user works in it). A view that was not scrolled stays unscrolled.
void TCustomGrid::ClampPosition(Integer OldFixedCols, Integer OldFixedRows)
{
    const TGridCoord OldTopLeft = FTopLeft;
    if (FTopLeft.X == OldFixedCols)
        FTopLeft.X = FFixedCols;
    if (FTopLeft.Y == OldFixedRows)
        FTopLeft.Y = FFixedRows;
    Restrict(FCurrent, FFixedCols, FFixedRows, FColCount - 1, FRowCount - 1);
    Restrict(FAnchor, FFixedCols, FFixedRows, FColCount - 1, FRowCount - 1);
    if (FOptions.Contains(goRowSelect)) {
        FCurrent.X = FFixedCols;
        FAnchor.X = FColCount - 1;
    }
    Restrict(FTopLeft, FFixedCols, FFixedRows, FColCount - 1, FRowCount - 1);
    UpdateScrollRange();
    if (!(OldTopLeft == FTopLeft))
        TopLeftChanged();
    InvalidateGrid();
    // A shown editor goes with the current cell (writing its text back to the cell it was on).
    UpdateEdit();
}

void TCustomGrid::SetDefaultColWidth(Integer Value)
{
    FDefaultColWidth = Value;
    FCols.Reset(FColCount, Value);
    ColWidthsChanged();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(Integer Value)
{
    FDefaultRowHeight = Value;
    FRows.Reset(FRowCount, Value);
    RowHeightsChanged();
    InvalidateGrid();
}

Integer TCustomGrid::ColWidths(Integer Index) const
{
    if (Index < 0)
        InvalidOp(SGridIndexOutOfRange);
    return Index < FColCount ? FCols.Size(Index) : FDefaultColWidth;
}

void TCustomGrid::SetColWidths(Integer Index, Integer Value)
{
    if (Index < 0 || Index >= FColCount)
        InvalidOp(SGridIndexOutOfRange);
    if (FCols.Size(Index) == Value)
        return;
    FCols.SetSize(Index, Value);
    ColWidthsChanged();
}

Integer TCustomGrid::RowHeights(Integer Index) const
{
    if (Index < 0)
        InvalidOp(SGridIndexOutOfRange);
    return Index < FRowCount ? FRows.Size(Index) : FDefaultRowHeight;
}

void TCustomGrid::SetRowHeights(Integer Index, Integer Value)
{
    if (Index < 0 || Index >= FRowCount)
        InvalidOp(SGridIndexOutOfRange);
    if (FRows.Size(Index) == Value)
        return;
    FRows.SetSize(Index, Value);
    RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(Integer Value)
{
    Value = std::max(Value, 0);
    if (FGridLineWidth == Value)
        return;
    FGridLineWidth = Value;
    FCols.SetLineWidth(FOptions.Contains(goFixedVertLine) || FOptions.Contains(goVertLine) ? Value : 0);
    FRows.SetLineWidth(FOptions.Contains(goFixedHorzLine) || FOptions.Contains(goHorzLine) ? Value : 0);
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

Integer TCustomGrid::GridWidth() const
{
    return static_cast<Integer>(
        std::min<Int64>(FCols.Offset(FColCount), std::numeric_limits<Integer>::max()));
}

Integer TCustomGrid::GridHeight() const
{
    return static_cast<Integer>(
        std::min<Int64>(FRows.Offset(FRowCount), std::numeric_limits<Integer>::max()));
}

void TCustomGrid::SetCol(Integer Value)
{
    if (Value != FCurrent.X)
        FocusCell(Value, FCurrent.Y, true);
}

void TCustomGrid::SetRow(Integer Value)
{
    if (Value != FCurrent.Y)
        FocusCell(FCurrent.X, Value, true);
}

// Values outside FixedCols..ColCount - 1 are brought inside (the grids built on this one park
// the view past the last full page on purpose).
void TCustomGrid::SetLeftCol(Integer Value)
{
    if (Value != FTopLeft.X)
        MoveTopLeft(Value, FTopLeft.Y);
}

void TCustomGrid::SetTopRow(Integer Value)
{
    if (Value != FTopLeft.Y)
        MoveTopLeft(FTopLeft.X, Value);
}

Integer TCustomGrid::VisibleColCount()
{
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    return Info.Horz.LastFullVisibleCell - FTopLeft.X + 1;
}

Integer TCustomGrid::VisibleRowCount()
{
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    return Info.Vert.LastFullVisibleCell - FTopLeft.Y + 1;
}

TGridRect TCustomGrid::Selection() const
{
    TGridRect R = FAnchorMoves ? TGridRect{FCurrent.X, FCurrent.Y, FAnchor.X, FAnchor.Y}
                               : TGridRect{FAnchor.X, FAnchor.Y, FCurrent.X, FCurrent.Y};
    if (FOptions.Contains(goRowSelect)) {
        R.Left = FFixedCols;
        R.Right = FColCount - 1;
    }
    return R;
}

void TCustomGrid::SetSelection(const TGridRect& Value)
{
    const TGridRect OldSel = Selection();
    FAnchor = Value.TopLeft();
    FCurrent = Value.BottomRight();
    FAnchorMoves = false;
    SelectionMoved(OldSel);
}

void TCustomGrid::SetOptions(TGridOptions Value)
{
    if (FOptions == Value)
        return;
    if (Value.Contains(goRowSelect))
        Value.Exclude(goAlwaysShowEditor);
    FOptions = Value;
    FCols.SetLineWidth(Value.Contains(goFixedVertLine) || Value.Contains(goVertLine) ? FGridLineWidth : 0);
    FRows.SetLineWidth(Value.Contains(goFixedHorzLine) || Value.Contains(goHorzLine) ? FGridLineWidth : 0);
    if (!FEditorMode) {
        if (Value.Contains(goAlwaysShowEditor))
            ShowEditor();
    } else if (!Value.Contains(goEditing) || Value.Contains(goRowSelect)) {
        HideEditor();
    }
    if (Value.Contains(goRowSelect)) {
        FCurrent.X = FFixedCols;
        FAnchor.X = FColCount - 1;
    }
    UpdateScrollRange();
    // Through the virtual Invalidate: a grid built on this one may hold back the repaint.
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value)
{
    if (FScrollBars == Value)
        return;
    FScrollBars = Value;
    RecreateWnd();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value)
{
    if (FBorderStyle == Value)
        return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomGrid::SetDefaultDrawing(bool Value)
{
    if (FDefaultDrawing == Value)
        return;
    FDefaultDrawing = Value;
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor Value)
{
    if (FFixedColor == Value)
        return;
    FFixedColor = Value;
    InvalidateGrid();
}

void TCustomGrid::Invalidate()
{
    TCustomControl::Invalidate();
}

void TCustomGrid::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomGrid::ChangeScale(Integer M, Integer D)
{
    TCustomControl::ChangeScale(M, D);
}

// ---- Geometry ---------------------------------------------------------------------------------------

void TCustomGrid::CalcAxis(TGridAxisDrawInfo& Axis, const TGridAxis& Sizes, Integer FixedCount, Integer First,
                           Integer Extent)
{
    const Integer Count = Sizes.Count();
    Axis.EffectiveLineWidth = Sizes.LineWidth();
    Axis.FixedCellCount = FixedCount;
    Axis.FirstGridCell = First;
    Axis.GridCellCount = Count;
    Axis.GridExtent = Extent;
    Axis.FixedBoundary =
        static_cast<Integer>(std::min<Int64>(Sizes.Offset(FixedCount), Extent + 0x40000000LL));
    Axis.GridBoundary = Axis.FixedBoundary;
    Axis.FullVisBoundary = Axis.FixedBoundary;
    Axis.LastFullVisibleCell = First;
    if (First >= Count)
        return;
    // A cell counts as fully visible when it ends (its trailing line aside) inside the extent.
    const Int64 Base = Sizes.Offset(First);
    const Int64 Room = Int64(Extent) + Axis.EffectiveLineWidth - Axis.FixedBoundary;
    const Integer Fitting = Sizes.CountFitting(Base + Room); // cells 0..Fitting-1 end inside
    if (Fitting - 1 >= First) {
        Axis.LastFullVisibleCell = Fitting - 1;
        Axis.FullVisBoundary = static_cast<Integer>(Axis.FixedBoundary + Sizes.Offset(Fitting) - Base);
    }
    if (Fitting >= Count)
        Axis.GridBoundary = static_cast<Integer>(Axis.FixedBoundary + Sizes.Offset(Count) - Base);
    else
        Axis.GridBoundary = Extent;
}

void TCustomGrid::CalcDrawInfoXY(TGridDrawInfo& DrawInfo, Integer UseWidth, Integer UseHeight)
{
    CalcAxis(DrawInfo.Horz, FCols, FFixedCols, FTopLeft.X, UseWidth);
    CalcAxis(DrawInfo.Vert, FRows, FFixedRows, FTopLeft.Y, UseHeight);
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& DrawInfo)
{
    const TRect R = ClientRect();
    CalcDrawInfoXY(DrawInfo, R.Width(), R.Height());
}

void TCustomGrid::CalcFixedInfo(TGridDrawInfo& DrawInfo)
{
    CalcDrawInfo(DrawInfo);
}

TGridCoord TCustomGrid::CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo)
{
    // The smallest first cell from which Coord still ends inside the extent.
    auto MaxCell = [](const TGridAxis& Sizes, const TGridAxisDrawInfo& Axis, Integer Last) {
        if (Last < Axis.FixedCellCount)
            return Axis.FixedCellCount;
        const Int64 Room = Int64(Axis.GridExtent) + Axis.EffectiveLineWidth - Axis.FixedBoundary;
        const Int64 Target = Sizes.Offset(Last + 1) - Room;
        // First index I with Offset(I) >= Target.
        Integer I = Target <= 0 ? 0 : Sizes.CountFitting(Target - 1) + 1;
        if (I > 0 && Sizes.Offset(I - 1) >= Target)
            --I;
        return std::clamp(I, Axis.FixedCellCount, std::max(Axis.FixedCellCount, Last));
    };
    return {MaxCell(FCols, DrawInfo.Horz, Coord.X), MaxCell(FRows, DrawInfo.Vert, Coord.Y)};
}

TRect TCustomGrid::CellRect(Integer ACol, Integer ARow)
{
    return BoxRect(ACol, ARow, ACol, ARow);
}

TRect TCustomGrid::BoxRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)
{
    TRect R;
    GridRectToScreenRect(TGridRect{ALeft, ATop, ARight, ABottom}, R, false);
    return R;
}

void TCustomGrid::GridRectToScreenRect(const TGridRect& GridRect, TRect& ScreenRect, bool IncludeLine)
{
    ScreenRect = TRect{};
    if (GridRect.Left > GridRect.Right || GridRect.Top > GridRect.Bottom) {
        // Stored selections may be reversed; the rectangle covers the same cells.
        const TGridRect N{std::min(GridRect.Left, GridRect.Right), std::min(GridRect.Top, GridRect.Bottom),
                          std::max(GridRect.Left, GridRect.Right), std::max(GridRect.Top, GridRect.Bottom)};
        GridRectToScreenRect(N, ScreenRect, IncludeLine);
        return;
    }
    TGridDrawInfo Info;
    CalcDrawInfo(Info);

    // Position of a cell on one axis: fixed cells from 0, scrolled cells from the first shown.
    // Answers false when no part of the range is in view.
    auto Span = [](const TGridAxis& Sizes, const TGridAxisDrawInfo& Axis, Integer Lo, Integer Hi, bool Line,
                   Integer& A, Integer& B) {
        if (Lo < 0 || Hi < Lo || Lo >= Axis.GridCellCount)
            return false;
        Hi = std::min(Hi, Axis.GridCellCount - 1);
        auto StartOf = [&](Integer I) -> Int64 {
            if (I < Axis.FixedCellCount)
                return Sizes.Offset(I);
            return Int64(Axis.FixedBoundary) + Sizes.Offset(I) - Sizes.Offset(Axis.FirstGridCell);
        };
        // A scrolled cell before the first shown one is hidden under the fixed cells.
        if (Lo >= Axis.FixedCellCount && Lo < Axis.FirstGridCell) {
            if (Hi < Axis.FirstGridCell)
                return false;
            Lo = Axis.FirstGridCell;
        }
        if (Lo < Axis.FixedCellCount && Hi >= Axis.FixedCellCount && Hi < Axis.FirstGridCell)
            Hi = Axis.FixedCellCount - 1;
        const Int64 Start = StartOf(Lo);
        Int64 End = StartOf(Hi) + Sizes.Size(Hi);
        if (Line)
            End += Axis.EffectiveLineWidth;
        if (Start >= Axis.GridExtent)
            return false;
        A = static_cast<Integer>(Start);
        B = static_cast<Integer>(std::min<Int64>(End, Axis.GridExtent));
        return B > A || (B == A && Sizes.Size(Hi) == 0);
    };
    Integer L, R, T, B;
    if (!Span(FCols, Info.Horz, GridRect.Left, GridRect.Right, IncludeLine, L, R))
        return;
    if (!Span(FRows, Info.Vert, GridRect.Top, GridRect.Bottom, IncludeLine, T, B))
        return;
    ScreenRect = TRect{L, T, R, B};
}

TGridCoord TCustomGrid::CalcCoordFromPoint(Integer X, Integer Y, const TGridDrawInfo& DrawInfo)
{
    auto Calc = [](const TGridAxis& Sizes, const TGridAxisDrawInfo& Axis, Integer N) -> Integer {
        if (N < 0)
            return -1;
        if (N < Axis.FixedBoundary) {
            const Integer I = Sizes.CountFitting(N);
            return I < Axis.FixedCellCount ? I : -1;
        }
        if (N >= Axis.GridBoundary)
            return -1;
        const Int64 Pos = Sizes.Offset(Axis.FirstGridCell) + (N - Axis.FixedBoundary);
        const Integer I = Sizes.CountFitting(Pos);
        return I < Axis.GridCellCount ? I : -1;
    };
    return {Calc(FCols, DrawInfo.Horz, X), Calc(FRows, DrawInfo.Vert, Y)};
}

void TCustomGrid::MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow)
{
    const TGridCoord C = MouseCoord(X, Y);
    ACol = C.X;
    ARow = C.Y;
}

TGridCoord TCustomGrid::MouseCoord(Integer X, Integer Y)
{
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    TGridCoord C = CalcCoordFromPoint(X, Y, Info);
    if (C.X < 0)
        C.Y = -1;
    else if (C.Y < 0)
        C.X = -1;
    return C;
}

// ---- Moving the current cell and the view ---------------------------------------------------------

bool TCustomGrid::SelectCell(Integer, Integer)
{
    return true;
}

void TCustomGrid::FocusCell(Integer ACol, Integer ARow, bool MoveAnchor)
{
    MoveCurrent(ACol, ARow, MoveAnchor, true);
    UpdateEdit();
    Click();
}

void TCustomGrid::MoveColRow(Integer ACol, Integer ARow, bool MoveAnchor, bool Show)
{
    if (MoveCurrent(ACol, ARow, MoveAnchor, Show))
        UpdateEdit();
}

bool TCustomGrid::MoveCurrent(Integer ACol, Integer ARow, bool MoveAnchor, bool Show)
{
    if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount)
        InvalidOp(SGridIndexOutOfRange);
    if (!SelectCell(ACol, ARow))
        return false;
    const TGridRect OldSel = Selection();
    FAnchorMoves = false;
    FCurrent = {ACol, ARow};
    if (!FOptions.Contains(goAlwaysShowEditor))
        HideEditor();
    if (MoveAnchor || !FOptions.Contains(goRangeSelect)) {
        FAnchor = FCurrent;
        if (FOptions.Contains(goRowSelect))
            FAnchor.X = FColCount - 1;
    }
    if (FOptions.Contains(goRowSelect))
        FCurrent.X = FFixedCols;
    if (Show)
        ClampInView(FCurrent);
    SelectionMoved(OldSel);
    return true;
}

void TCustomGrid::MoveAnchor(const TGridCoord& NewAnchor)
{
    if (!FOptions.Contains(goRangeSelect)) {
        MoveCurrent(NewAnchor.X, NewAnchor.Y, true, true);
        return;
    }
    const TGridRect OldSel = Selection();
    // The mouse moves the far end; the current cell stays where the press was.
    FAnchor = NewAnchor;
    FAnchorMoves = true;
    if (FOptions.Contains(goRowSelect))
        FAnchor.X = FColCount - 1;
    ClampInView(NewAnchor);
    SelectionMoved(OldSel);
}

void TCustomGrid::ClampInView(const TGridCoord& Coord)
{
    if (!HandleAllocated())
        return;
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    const bool OutX =
        Coord.X >= FFixedCols && (Coord.X < FTopLeft.X || Coord.X > Info.Horz.LastFullVisibleCell ||
                                  Info.Horz.FullVisBoundary <= Info.Horz.FixedBoundary);
    const bool OutY =
        Coord.Y >= FFixedRows && (Coord.Y < FTopLeft.Y || Coord.Y > Info.Vert.LastFullVisibleCell ||
                                  Info.Vert.FullVisBoundary <= Info.Vert.FixedBoundary);
    if (!OutX && !OutY)
        return;
    const TGridCoord Max = CalcMaxTopLeft(Coord, Info);
    TGridCoord NewTopLeft = FTopLeft;
    if (OutX) {
        if (Coord.X < FTopLeft.X)
            NewTopLeft.X = Coord.X;
        else if (Coord.X > Info.Horz.LastFullVisibleCell)
            NewTopLeft.X = Max.X;
    }
    if (OutY) {
        if (Coord.Y < FTopLeft.Y)
            NewTopLeft.Y = Coord.Y;
        else if (Coord.Y > Info.Vert.LastFullVisibleCell)
            NewTopLeft.Y = Max.Y;
    }
    MoveTopLeft(NewTopLeft.X, NewTopLeft.Y);
}

void TCustomGrid::MoveTopLeft(Integer ALeft, Integer ATop)
{
    ALeft = std::clamp(ALeft, FFixedCols, std::max(FFixedCols, FColCount - 1));
    ATop = std::clamp(ATop, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    if (ALeft == FTopLeft.X && ATop == FTopLeft.Y)
        return;
    const TGridCoord Old = FTopLeft;
    FTopLeft = {ALeft, ATop};
    TopLeftMoved(Old);
}

void TCustomGrid::TopLeftMoved(const TGridCoord&)
{
    UpdateScrollPos();
    InvalidateGrid();
    UpdateEdit();
    TopLeftChanged();
}

void TCustomGrid::SelectionMoved(const TGridRect& OldSel)
{
    if (!HandleAllocated())
        return;
    InvalidateRect(OldSel);
    InvalidateRect(Selection());
    InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::TopLeftChanged()
{
    if (FEditorMode && FInplaceEdit)
        UpdateEdit();
}

void TCustomGrid::SizeChanged(Integer, Integer) {}

void TCustomGrid::ColWidthsChanged()
{
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::RowHeightsChanged()
{
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::ColumnMoved(Integer, Integer) {}

void TCustomGrid::RowMoved(Integer, Integer) {}

void TCustomGrid::MoveColumn(Integer FromIndex, Integer ToIndex)
{
    if (FromIndex == ToIndex)
        return;
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= FColCount || ToIndex >= FColCount)
        InvalidOp(SGridIndexOutOfRange);
    HideEditor();
    // Widths and the current column are the handlers' (see the header).
    ColumnMoved(FromIndex, ToIndex);
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::MoveRow(Integer FromIndex, Integer ToIndex)
{
    if (FromIndex == ToIndex)
        return;
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= FRowCount || ToIndex >= FRowCount)
        InvalidOp(SGridIndexOutOfRange);
    HideEditor();
    // The current row and the anchor stay with their rows; heights are the handlers'.
    auto Follow = [&](Integer& Y) {
        if (Y == FromIndex)
            Y = ToIndex;
        else if (FromIndex < ToIndex && Y > FromIndex && Y <= ToIndex)
            --Y;
        else if (FromIndex > ToIndex && Y >= ToIndex && Y < FromIndex)
            ++Y;
    };
    Follow(FCurrent.Y);
    Follow(FAnchor.Y);
    RowMoved(FromIndex, ToIndex);
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::DeleteRow(Integer ARow)
{
    if (ARow < 0 || ARow >= FRowCount)
        InvalidOp(SGridIndexOutOfRange);
    if (FRowCount <= 1 || FRowCount - 1 < FFixedRows + (ARow >= FFixedRows ? 0 : 1))
        InvalidOp(STooManyDeleted);
    MoveRow(ARow, FRowCount - 1);
    SetRowCount(FRowCount - 1);
}

void TCustomGrid::DeleteColumn(Integer ACol)
{
    if (ACol < 0 || ACol >= FColCount)
        InvalidOp(SGridIndexOutOfRange);
    if (FColCount <= 1 || FColCount - 1 < FFixedCols + (ACol >= FFixedCols ? 0 : 1))
        InvalidOp(STooManyDeleted);
    MoveColumn(ACol, FColCount - 1);
    SetColCount(FColCount - 1);
}

void TCustomGrid::ExchangeRows(Integer A, Integer B)
{
    if (A < 0 || B < 0 || A >= FRowCount || B >= FRowCount)
        InvalidOp(SGridIndexOutOfRange);
    if (A == B)
        return;
    // The editor's text belongs to the row it was loaded from.
    if (FInplaceRow == A || FInplaceRow == B)
        HideEditor();
    FRows.Exchange(A, B);
    if (FRows.Size(A) != FRows.Size(B)) {
        UpdateScrollRange();
        InvalidateGrid();
        UpdateEdit();
    } else {
        InvalidateRow(A);
        InvalidateRow(B);
    }
}

void TCustomGrid::CheckRowDeletion(Integer ARow, Integer ACount) const
{
    if (ARow < 0 || ACount < 0 || ARow >= FRowCount || ACount > FRowCount - ARow)
        InvalidOp(SGridIndexOutOfRange);
    // As for one row: a grid keeps a row, and a deleted fixed row must leave a scrollable one.
    if (FRowCount - ACount < std::max(1, FFixedRows + (ARow < FFixedRows ? 1 : 0)))
        InvalidOp(STooManyDeleted);
}

void TCustomGrid::DeleteRows(Integer ARow, Integer ACount)
{
    CheckRowDeletion(ARow, ACount);
    if (ACount == 0)
        return;
    if (FInplaceRow >= ARow)
        HideEditor();
    FRows.Delete(ARow, ACount);
    FRows.Resize(FRowCount, FDefaultRowHeight); // the count drops below, through ChangeSize
    auto Follow = [&](Integer& Y) {
        if (Y >= ARow + ACount)
            Y -= ACount;
        else if (Y >= ARow)
            Y = ARow;
    };
    Follow(FCurrent.Y);
    Follow(FAnchor.Y);
    ChangeSize(FColCount, FRowCount - ACount);
}

// ---- Invalidation ----------------------------------------------------------------------------------

void TCustomGrid::InvalidateRect(const TGridRect& ARect)
{
    if (!HandleAllocated() || !IsWindow(FHandle))
        return;
    TRect R;
    GridRectToScreenRect(ARect, R, true);
    if (R.Right > R.Left && R.Bottom > R.Top) {
        RECT W{R.Left, R.Top, R.Right, R.Bottom};
        ::InvalidateRect(FHandle, &W, FALSE);
    }
}

void TCustomGrid::InvalidateCell(Integer ACol, Integer ARow)
{
    InvalidateRect(TGridRect{ACol, ARow, ACol, ARow});
}

void TCustomGrid::InvalidateCol(Integer ACol)
{
    if (!HandleAllocated())
        return;
    InvalidateRect(TGridRect{ACol, 0, ACol, FFixedRows - 1});
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    InvalidateRect(
        TGridRect{ACol, FTopLeft.Y, ACol, std::min(FRowCount - 1, Info.Vert.LastFullVisibleCell + 1)});
}

void TCustomGrid::InvalidateRow(Integer ARow)
{
    if (!HandleAllocated())
        return;
    InvalidateRect(TGridRect{0, ARow, FFixedCols - 1, ARow});
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    InvalidateRect(
        TGridRect{FTopLeft.X, ARow, std::min(FColCount - 1, Info.Horz.LastFullVisibleCell + 1), ARow});
}

void TCustomGrid::InvalidateGrid()
{
    Invalidate();
}

bool TCustomGrid::IsActiveControl()
{
    if (!HandleAllocated())
        return false;
    TCustomForm* Form = GetParentForm(this);
    if (Form && Form->ActiveControl() == this)
        return GetFocus() == FHandle ||
               (FInplaceEdit && FInplaceEdit->HandleAllocated() && GetFocus() == FInplaceEdit->FHandle) ||
               Form->Handle() == GetActiveWindow();
    const HWND Focus = GetFocus();
    return Focus && (Focus == FHandle || IsChild(FHandle, Focus));
}

// ---- Scroll bars ----------------------------------------------------------------------------------
//
// Both bars run on a 0..127 scale whatever the count, so that a grid of any size maps onto the
// same range: position = (TopRow - FixedRows) * 127 / (RowCount - VisibleRowCount - FixedRows).

Integer TCustomGrid::IndexToScrollPos(Integer Index, Integer Count, Integer Visible, Integer Fixed)
{
    const Integer Range = Count - Visible - Fixed;
    if (Range <= 0)
        return 0;
    return std::clamp(MulDiv(Index - Fixed, 127, Range), 0, 127);
}

Integer TCustomGrid::ScrollPosToIndex(Integer Pos, Integer Count, Integer Visible, Integer Fixed)
{
    const Integer Range = std::max(Count - Visible - Fixed, 0);
    return MulDiv(Pos, Range, 127) + Fixed;
}

void TCustomGrid::UpdateScrollRange()
{
    if (!HandleAllocated() || !IsWindow(FHandle) || FUpdatingScrollBars)
        return;
    FUpdatingScrollBars = true;
    // Showing a bar narrows the client area, which may call for the other bar: two rounds settle it.
    for (int Round = 0; Round < 2; ++Round) {
        TGridDrawInfo Info;
        CalcDrawInfo(Info);
        const TGridCoord Max = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, Info);
        const bool WantH = (FScrollBars == ssHorizontal || FScrollBars == ssBoth) &&
                           (Max.X > FFixedCols || FTopLeft.X > FFixedCols);
        const bool WantV = (FScrollBars == ssVertical || FScrollBars == ssBoth) &&
                           (Max.Y > FFixedRows || FTopLeft.Y > FFixedRows);
        if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
            SCROLLINFO Si;
            Si.fMask = SIF_RANGE;
            Si.nMin = 0;
            Si.nMax = WantH ? 127 : 0;
            SetScrollInfo(FHandle, SB_HORZ, &Si, TRUE);
            ShowScrollBar(FHandle, SB_HORZ, WantH);
        }
        if (FScrollBars == ssVertical || FScrollBars == ssBoth) {
            SCROLLINFO Si;
            Si.fMask = SIF_RANGE;
            Si.nMin = 0;
            Si.nMax = WantV ? 127 : 0;
            SetScrollInfo(FHandle, SB_VERT, &Si, TRUE);
            ShowScrollBar(FHandle, SB_VERT, WantV);
        }
    }
    FUpdatingScrollBars = false;
    UpdateScrollPos();
}

void TCustomGrid::UpdateScrollPos()
{
    if (!HandleAllocated() || !IsWindow(FHandle))
        return;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
        SetScrollPos(FHandle, SB_HORZ, IndexToScrollPos(FTopLeft.X, FColCount, VisibleColCount(), FFixedCols),
                     TRUE);
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
        SetScrollPos(FHandle, SB_VERT, IndexToScrollPos(FTopLeft.Y, FRowCount, VisibleRowCount(), FFixedRows),
                     TRUE);
}

void TCustomGrid::ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos)
{
    const bool Horz = ScrollBar == SB_HORZ;
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    const TGridAxisDrawInfo& Axis = Horz ? Info.Horz : Info.Vert;
    const Integer Fixed = Horz ? FFixedCols : FFixedRows;
    const Integer Count = Horz ? FColCount : FRowCount;
    const Integer First = Horz ? FTopLeft.X : FTopLeft.Y;
    const Integer Visible = Axis.LastFullVisibleCell - First + 1;
    const Integer Max =
        Horz ? CalcMaxTopLeft({FColCount - 1, 0}, Info).X : CalcMaxTopLeft({0, FRowCount - 1}, Info).Y;
    const Integer Page = std::max(1, Visible);
    Integer NewFirst = First;
    switch (ScrollCode) {
    case SB_LINEUP:
        NewFirst = First - 1;
        break;
    case SB_LINEDOWN:
        NewFirst = First + 1;
        break;
    case SB_PAGEUP:
        NewFirst = First - Page;
        break;
    case SB_PAGEDOWN:
        NewFirst = First + Page;
        break;
    case SB_THUMBPOSITION:
        NewFirst = ScrollPosToIndex(Pos, Count, Visible, Fixed);
        break;
    case SB_THUMBTRACK:
        if (!FOptions.Contains(goThumbTracking))
            return;
        NewFirst = ScrollPosToIndex(Pos, Count, Visible, Fixed);
        break;
    case SB_TOP:
        NewFirst = Fixed;
        break;
    case SB_BOTTOM:
        NewFirst = Max;
        break;
    default:
        return;
    }
    NewFirst = std::clamp(NewFirst, Fixed, std::max(Fixed, Max));
    if (Horz)
        MoveTopLeft(NewFirst, FTopLeft.Y);
    else
        MoveTopLeft(FTopLeft.X, NewFirst);
    UpdateScrollPos();
}
