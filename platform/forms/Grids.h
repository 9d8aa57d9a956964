#pragma once

// Grids: TCustomGrid (rows and columns of cells drawn by the control itself, fixed rows and
// columns, selection, keyboard and mouse navigation, sizing and moving rows and columns with the
// mouse, scrolling, an in-place editor), TDrawGrid (the events of a grid whose cells the program
// draws), TStringGrid (a text and an object per cell) and TInplaceEdit (the editor that floats
// over the current cell).
//
// Two structures keep the cost of every operation on a visible part independent of the size of
// the grid: the sizes of the rows and of the columns keep their pixel offsets in a Fenwick tree
// (offset of an index, index at a pixel position in O(log n)), and the cells of a string grid live
// in a sparse store of row objects that is not cut when the counts shrink (growing the count
// again shows the old cells).

#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Mask.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringLists.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

// ---- Types --------------------------------------------------------------------------------------

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

struct TGridCoord {
    Integer X = 0;
    Integer Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A block of cells. As the grid stores it, Left/Top is the anchor of the selection and
// Right/Bottom its moving end, so Left may exceed Right and Top may exceed Bottom.
struct TGridRect {
    Integer Left = 0;
    Integer Top = 0;
    Integer Right = 0;
    Integer Bottom = 0;
    TGridCoord TopLeft() const { return {Left, Top}; }
    TGridCoord BottomRight() const { return {Right, Bottom}; }
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// Where the cells of one axis lie in the client area, as the painting and hit testing see them.
struct TGridAxisDrawInfo {
    Integer EffectiveLineWidth = 0;
    Integer FixedBoundary = 0;       // end of the fixed cells
    Integer GridBoundary = 0;        // end of the last (partly) visible cell, at most GridExtent
    Integer GridExtent = 0;          // client width or height
    Integer LastFullVisibleCell = 0; // never less than FirstGridCell
    Integer FullVisBoundary = 0;     // end of LastFullVisibleCell when it is fully visible
    Integer FixedCellCount = 0;
    Integer FirstGridCell = 0; // LeftCol or TopRow
    Integer GridCellCount = 0; // ColCount or RowCount
};

struct TGridDrawInfo {
    TGridAxisDrawInfo Horz;
    TGridAxisDrawInfo Vert;
};

// Raised for out-of-range indexes and counts.
class EInvalidGridOperation : public Exception {
public:
    using Exception::Exception;
};

inline constexpr const char* SGridIndexOutOfRange = "Grid index out of range";
inline constexpr const char* SFixedColTooBig = "Fixed column count must be less than column count";
inline constexpr const char* SFixedRowTooBig = "Fixed row count must be less than row count";
inline constexpr const char* STooManyDeleted = "Too many rows or columns deleted";
inline constexpr const char* SGridTooLarge = "Grid too large for operation";
inline constexpr const char* SInvalidStringGridOp = "Cannot insert or delete rows from grid";

// The timer that scrolls the grid while the mouse selects or moves outside the client area.
inline constexpr UINT_PTR GridScrollTimerId = 1;

// ---- A sequence with cheap insertion anywhere ---------------------------------------------------

// A sequence kept in blocks of a fixed size, each a ring: reaching an item costs O(1), inserting
// or removing one anywhere costs O(BlockSize + Count / BlockSize) (the items of its block shift,
// every later block passes one item on by moving its ring start). Rows of 10,000 and of 100,000
// move alike. Items of 2^Bits make a block.
template <class T, Integer Bits = 10> class TTieredArray {
public:
    static constexpr Integer BlockBits = Bits;
    static constexpr Integer BlockSize = Integer(1) << BlockBits;
    static constexpr Integer BlockMask = BlockSize - 1;

    Integer Count() const { return FCount; }
    T& operator[](Integer I)
    {
        Block& B = FBlocks[static_cast<size_t>(I >> BlockBits)];
        return B.Items[static_cast<size_t>((B.Head + I) & BlockMask)];
    }
    const T& operator[](Integer I) const
    {
        const Block& B = FBlocks[static_cast<size_t>(I >> BlockBits)];
        return B.Items[static_cast<size_t>((B.Head + I) & BlockMask)];
    }
    // New items are value-initialised; dropped ones are destroyed.
    void Resize(Integer ACount)
    {
        ACount = ACount < 0 ? 0 : ACount;
        const size_t Blocks = static_cast<size_t>((ACount + BlockMask) >> BlockBits);
        for (Integer I = ACount; I < FCount && (I >> BlockBits) < static_cast<Integer>(Blocks); ++I)
            (*this)[I] = T();
        FBlocks.resize(Blocks);
        FCount = ACount;
    }
    void Insert(Integer I, T Value)
    {
        if ((FCount & BlockMask) == 0)
            FBlocks.emplace_back();
        const Integer First = I >> BlockBits, Last = FCount >> BlockBits;
        T Carry = std::move(Value);
        // Block First: the items from I shift right; a full block hands its last item on.
        {
            const Integer Fill = First == Last ? (FCount & BlockMask) : BlockSize;
            Block& B = FBlocks[static_cast<size_t>(First)];
            T Out = Fill == BlockSize ? std::move(Slot(B, BlockSize - 1)) : T();
            for (Integer P = std::min(Fill, BlockSize - 1); P > (I & BlockMask); --P)
                Slot(B, P) = std::move(Slot(B, P - 1));
            Slot(B, I & BlockMask) = std::move(Carry);
            Carry = std::move(Out);
        }
        // Later blocks: the carried item goes in front (the ring start moves back one slot, onto
        // the slot of the block's last item, which is carried on).
        for (Integer K = First + 1; K <= Last; ++K) {
            Block& B = FBlocks[static_cast<size_t>(K)];
            B.Head = (B.Head - 1) & BlockMask;
            std::swap(Carry, B.Items[static_cast<size_t>(B.Head)]);
        }
        ++FCount;
    }
    T Erase(Integer I)
    {
        const Integer First = I >> BlockBits, Last = (FCount - 1) >> BlockBits;
        Block& B0 = FBlocks[static_cast<size_t>(First)];
        T Result = std::move(Slot(B0, I & BlockMask));
        const Integer Fill = First == Last ? ((FCount - 1) & BlockMask) + 1 : BlockSize;
        for (Integer P = I & BlockMask; P < Fill - 1; ++P)
            Slot(B0, P) = std::move(Slot(B0, P + 1));
        // Every later block hands its first item back to the end of the block before it.
        T* Hole = &Slot(B0, Fill - 1);
        for (Integer K = First + 1; K <= Last; ++K) {
            Block& B = FBlocks[static_cast<size_t>(K)];
            T& Front = B.Items[static_cast<size_t>(B.Head)];
            *Hole = std::move(Front);
            Front = T();
            Hole = &Front;
            B.Head = (B.Head + 1) & BlockMask;
        }
        *Hole = T();
        --FCount;
        if ((FCount & BlockMask) == 0)
            FBlocks.pop_back();
        return Result;
    }
    void Swap(Integer A, Integer B)
    {
        using std::swap;
        swap((*this)[A], (*this)[B]);
    }
    // Moves the item at From to To, shifting those between.
    void Move(Integer From, Integer To)
    {
        if (From == To)
            return;
        const Integer Dist = From < To ? To - From : From - To;
        if (Dist <= 2 * BlockSize) {
            for (Integer I = From; I < To; ++I)
                Swap(I, I + 1);
            for (Integer I = From; I > To; --I)
                Swap(I, I - 1);
            return;
        }
        T V = Erase(From);
        Insert(To, std::move(V));
    }
    // Items Middle .. Last - 1 come before items First .. Middle - 1.
    void Rotate(Integer First, Integer Middle, Integer Last)
    {
        Reverse(First, Middle);
        Reverse(Middle, Last);
        Reverse(First, Last);
    }

    // The sequence as a container, for the standard algorithms.
    template <bool Const> class Iter {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using Owner = std::conditional_t<Const, const TTieredArray, TTieredArray>;
        using reference = std::conditional_t<Const, const T&, T&>;
        using pointer = std::conditional_t<Const, const T*, T*>;
        Iter() = default;
        Iter(Owner* A, Integer I) : FA(A), FI(I) {}
        operator Iter<true>() const { return Iter<true>(FA, FI); }
        reference operator*() const { return (*FA)[FI]; }
        pointer operator->() const { return &(*FA)[FI]; }
        reference operator[](difference_type N) const { return (*FA)[FI + static_cast<Integer>(N)]; }
        Iter& operator++()
        {
            ++FI;
            return *this;
        }
        Iter operator++(int)
        {
            Iter R = *this;
            ++FI;
            return R;
        }
        Iter& operator--()
        {
            --FI;
            return *this;
        }
        Iter operator--(int)
        {
            Iter R = *this;
            --FI;
            return R;
        }
        Iter& operator+=(difference_type N)
        {
            FI += static_cast<Integer>(N);
            return *this;
        }
        Iter& operator-=(difference_type N)
        {
            FI -= static_cast<Integer>(N);
            return *this;
        }
        friend Iter operator+(Iter A, difference_type N) { return A += N; }
        friend Iter operator+(difference_type N, Iter A) { return A += N; }
        friend Iter operator-(Iter A, difference_type N) { return A -= N; }
        friend difference_type operator-(const Iter& A, const Iter& B) { return A.FI - B.FI; }
        friend bool operator==(const Iter& A, const Iter& B) { return A.FI == B.FI; }
        friend auto operator<=>(const Iter& A, const Iter& B) { return A.FI <=> B.FI; }
        Integer Index() const { return FI; }

    private:
        Owner* FA = nullptr;
        Integer FI = 0;
    };
    using iterator = Iter<false>;
    using const_iterator = Iter<true>;
    using value_type = T;
    iterator begin() { return iterator(this, 0); }
    iterator end() { return iterator(this, FCount); }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, FCount); }
    size_t size() const { return static_cast<size_t>(FCount); }
    bool empty() const { return FCount == 0; }
    void clear() { Resize(0); }
    T& front() { return (*this)[0]; }
    const T& front() const { return (*this)[0]; }
    void push_back(T Value) { Insert(FCount, std::move(Value)); }
    // Removes the items First .. Last - 1, those after them moving up.
    void EraseRange(Integer First, Integer Last)
    {
        if (Last - First == 1) {
            Erase(First);
            return;
        }
        Rotate(First, Last, FCount);
        Resize(FCount - (Last - First));
    }

private:
    struct Block {
        std::unique_ptr<T[]> Items{new T[BlockSize]()};
        Integer Head = 0;
    };
    static T& Slot(Block& B, Integer P) { return B.Items[static_cast<size_t>((B.Head + P) & BlockMask)]; }
    void Reverse(Integer First, Integer Last)
    {
        for (Integer A = First, B = Last - 1; A < B; ++A, --B)
            Swap(A, B);
    }
    std::vector<Block> FBlocks;
    Integer FCount = 0;
};

// ---- Sizes and offsets of one axis ----------------------------------------------------------------

// The sizes of the columns (or rows) of a grid, and the pixel offset of each. The sizes lie in a
// tiered array; a Fenwick tree over the blocks' sums gives the offset of a block, and each block
// keeps the running sums of its own items (worked out again when it is next read after a
// change), so that the offset of an index and the index at a pixel position cost
// O(log n + BlockSize) and inserting or removing one item costs O(BlockSize + n / BlockSize).
class TGridAxis {
public:
    Integer Count() const { return FSizes.Count(); }
    // Every item gets Size.
    void Reset(Integer ACount, Integer Size);
    // Keeps the first items; new ones get DefaultSize.
    void Resize(Integer ACount, Integer DefaultSize);
    Integer Size(Integer Index) const { return FSizes[Index]; }
    void SetSize(Integer Index, Integer Value);
    Integer LineWidth() const { return FLineWidth; }
    void SetLineWidth(Integer Value);
    Integer Extent(Integer Index) const { return ExtentOf(FSizes[Index]); }
    // Sum of the extents of the items before Index (0 <= Index <= Count).
    Int64 Offset(Integer Index) const;
    // The number of leading items whose extents add up to at most Pos.
    Integer CountFitting(Int64 Pos) const;
    // Moves the item at From to To, shifting those between.
    void Move(Integer From, Integer To);
    // Swaps two items: O(log n) whatever their distance.
    void Exchange(Integer A, Integer B);
    // Removes Count items at Index; those after it move up.
    void Delete(Integer Index, Integer Count);
    // Inserts an item of Size at Index; those from it move down.
    void Insert(Integer Index, Integer Size);

private:
    using TSizes = TTieredArray<Integer>;
    static constexpr Integer Bits = TSizes::BlockBits;
    Integer ExtentOf(Integer Size) const { return Size + FLineWidth > 0 ? Size + FLineWidth : 0; }
    Integer Blocks() const { return (Count() + TSizes::BlockMask) >> Bits; }
    void AddToBlock(Integer Block, Int64 Delta);
    // Sums of the blocks and the tree over them, from the sizes.
    void Rebuild();
    // The running sums of one block's items, worked out again when stale.
    const std::vector<Int64>& Local(Integer Block) const;
    TSizes FSizes;
    std::vector<Int64> FTree; // over the blocks' sums, 1-based; FTree[0] unused
    mutable std::vector<std::vector<Int64>>
        FLocal; // per block: the sum before each item, and the block's sum
    mutable std::vector<std::uint8_t> FLocalStale;
    Integer FLineWidth = 0;
};

// ---- The sparse cell store ----------------------------------------------------------------------

struct TGridCell {
    AnsiString Text;
    TObject* Object = nullptr;
};

// Texts and objects by column and row. Rows are objects held by pointer (moving a row moves one
// pointer); a row holds the cells up to the highest column written. Nothing is dropped when the
// grid's counts shrink.
class TGridCellStore {
public:
    const TGridCell* Find(Integer ACol, Integer ARow) const;
    // Width: the columns a row is likely to fill (the grid's column count); a row that grows
    // within it takes that room at once instead of doubling.
    TGridCell& Ensure(Integer ACol, Integer ARow, Integer Width = 0);
    void SetText(Integer ACol, Integer ARow, const AnsiString& Value, Integer Width = 0);
    void SetObject(Integer ACol, Integer ARow, TObject* Value, Integer Width = 0);
    void MoveRow(Integer From, Integer To);
    void MoveColumn(Integer From, Integer To);
    // Swaps two rows (texts and objects): O(1) whatever their distance.
    void ExchangeRows(Integer A, Integer B);
    // Moves the Count rows at Index to just before End and the rows Index + Count .. End - 1 up
    // into their place, in one pass: a run of rows deleted from a grid of End rows.
    void MoveRowsToEnd(Integer Index, Integer Count, Integer End);
    // Rows that have storage (some may be empty).
    Integer RowCapacity() const { return FRows.Count(); }

private:
    using TRowData = std::vector<TGridCell>;
    TTieredArray<std::unique_ptr<TRowData>> FRows;
};

// ---- TCustomGrid ------------------------------------------------------------------------------------

class TInplaceEdit;

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    // Counts. Setting a count keeps at least one row/column, lowers the fixed count below it,
    // keeps the cell data, clamps the current cell and the top-left cell, then calls SizeChanged.
    Integer ColCount() const { return FColCount; }
    void SetColCount(Integer Value);
    Integer RowCount() const { return FRowCount; }
    void SetRowCount(Integer Value);
    Integer FixedCols() const { return FFixedCols; }
    // Raises EInvalidGridOperation when Value is not below ColCount (or negative). The current
    // cell, the anchor and the top-left cell are clamped out of the fixed area, as a count
    // change clamps them.
    void SetFixedCols(Integer Value);
    Integer FixedRows() const { return FFixedRows; }
    void SetFixedRows(Integer Value);

    // Sizes. Setting a default gives every column/row that size.
    Integer DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(Integer Value);
    Integer DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(Integer Value);
    // The default size for an index at or beyond the count; a negative index raises.
    Integer ColWidths(Integer Index) const;
    void SetColWidths(Integer Index, Integer Value);
    Integer RowHeights(Integer Index) const;
    void SetRowHeights(Integer Index, Integer Value);
    Integer GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(Integer Value);
    // Total width/height of all columns/rows with their lines.
    Integer GridWidth() const;
    Integer GridHeight() const;

    // The current cell. Setting moves it through SelectCell (a refusal keeps the old cell) and
    // scrolls it into view; an index out of range raises EInvalidGridOperation.
    Integer Col() const { return FCurrent.X; }
    void SetCol(Integer Value);
    Integer Row() const { return FCurrent.Y; }
    void SetRow(Integer Value);
    // The first scrollable column/row shown; any value from the fixed count to Count - 1 (others
    // are brought into that range).
    Integer LeftCol() const { return FTopLeft.X; }
    void SetLeftCol(Integer Value);
    Integer TopRow() const { return FTopLeft.Y; }
    void SetTopRow(Integer Value);
    // Scrollable columns/rows fully visible from LeftCol/TopRow (at least 1).
    Integer VisibleColCount();
    Integer VisibleRowCount();

    // The fixed end at Left/Top, the moving end at Right/Bottom (see TGridRect), whether keys
    // (which move the current cell) or the mouse (which moves the far end and keeps the current
    // cell at the press) made it; with goRowSelect the columns span FixedCols..ColCount - 1.
    // Setting makes Left/Top the anchor and Right/Bottom the current cell; no range check.
    TGridRect Selection() const;
    void SetSelection(const TGridRect& Value);

    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);

    // The rectangle of a cell in client coordinates; empty when the cell is out of view.
    TRect CellRect(Integer ACol, Integer ARow);
    // The cell under a client point; -1 for a coordinate outside the cells.
    void MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow);
    TGridCoord MouseCoord(Integer X, Integer Y);

    // Editor.
    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool Value);
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
    // Shows the editor over the current cell when CanEditShow allows it (creating it first),
    // loads it through UpdateContents and focuses it.
    void ShowEditor();
    // Writes a modified editor text back through SetEditText and hides the editor.
    void HideEditor();
    // Shows the editor and types Ch into it.
    void ShowEditorChar(WideChar Ch);
    void InvalidateEditor();

    TGridState GridState() const { return FGridState; }

    void Invalidate() override;
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void WndProc(TMessage& Message) override;

    // Scales bounds and font (sizes of rows and columns stay as they are); ScaleBy calls it.
    void ChangeScale(Integer M, Integer D) override;

    // Public so that the grids built on this one and the tests can reach them as the
    // platform's own behaviour (qualified calls skip a descendant's overrides).
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;

    friend class TInplaceEdit;

protected:
    // ---- Virtuals of the grid ----
    // Whether the cell may become current; base: true.
    virtual bool SelectCell(Integer ACol, Integer ARow);
    // Draws one cell; called by Paint for every visible cell.
    virtual void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState);
    virtual void TopLeftChanged();
    virtual void SizeChanged(Integer OldColCount, Integer OldRowCount);
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void ColumnMoved(Integer FromIndex, Integer ToIndex);
    virtual void RowMoved(Integer FromIndex, Integer ToIndex);
    // Whether a press at (X, Y) starts sizing a row or column: sets State, Index (the item
    // being sized), SizingPos (the line's position) and SizingOfs (its offset from the mouse).
    virtual void CalcSizingState(Integer X, Integer Y, TGridState& State, Integer& Index, Integer& SizingPos,
                                 Integer& SizingOfs, TGridDrawInfo& FixedInfo);
    virtual bool CanEditShow();
    virtual bool CanEditModify();
    virtual bool CanEditAcceptKey(WideChar Key);
    virtual bool CanGridAcceptKey(Word Key, TShiftState Shift);
    virtual TInplaceEdit* CreateEditor();
    virtual AnsiString GetEditText(Integer ACol, Integer ARow);
    virtual void SetEditText(Integer ACol, Integer ARow, const AnsiString& Value);
    virtual AnsiString GetEditMask(Integer ACol, Integer ARow);
    virtual Integer GetEditLimit();

    // ---- Overrides of the control ----
    void Paint() override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DoEnter() override;
    void DoExit() override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void Resize() override;

    // ---- Services for the grids built on this one ----
    // Moves the current cell (asking SelectCell; a refusal changes nothing); MoveAnchor also
    // moves the anchor, Show scrolls the cell into view. A shown editor moves with the cell.
    void MoveColRow(Integer ACol, Integer ARow, bool MoveAnchor, bool Show);
    void FocusCell(Integer ACol, Integer ARow, bool MoveAnchor);

    // ---- Moving, exchanging and deleting rows and columns: who adjusts what ----
    //
    // A move is announced to ColumnMoved/RowMoved, which a grid built on this one overrides to
    // carry its own tables along. What the base leaves alone below is the handlers' to adjust,
    // so that nothing is moved twice:
    //
    // MoveColumn(From, To), also a header drag with goColMoving: hides the editor, then
    //   ColumnMoved(From, To). The string grid's ColumnMoved moves the texts and objects of the
    //   column through the whole store (rows beyond RowCount too) and fires OnColumnMoved.
    //   Left to ColumnMoved overrides: the column widths and the current column (with the
    //   anchor); the base moves neither. Afterwards the base updates the scroll range, repaints
    //   and places the editor.
    // MoveRow(From, To), also a fixed-column drag with goRowMoving: hides the editor, moves the
    //   current row and the anchor's row along with the rows they are in, then RowMoved(From,
    //   To): the string grid moves texts and objects and fires OnRowMoved. Left to RowMoved
    //   overrides: the row heights; the base does not move them.
    // DeleteRow/DeleteColumn: MoveRow/MoveColumn of the item to the last place (so the same
    //   handlers run, with the same split), then the count drops by one; the item's data waits
    //   beyond the count.
    // ExchangeRows(A, B): swaps the texts, objects and heights of two rows in O(1) whatever
    //   their distance. No RowMoved and no event; the current cell, the anchor and the view stay
    //   where they are (by position); an editor on either row is closed first (its text written
    //   back). Everything else that belongs to a row is the caller's to exchange.
    // DeleteRows(ARow, ACount): removes a run of rows in one pass instead of ACount DeleteRow
    //   calls. The texts, objects and heights of the rows below move up; the removed rows' data
    //   waits beyond the new count, in order. No RowMoved and no event. An editor on or below
    //   the run is closed first. The current row and the anchor's row move up with their rows
    //   (one inside the run goes to the row that takes its place), then RowCount drops as
    //   SetRowCount drops it (SizeChanged, clamping, repaint).
    // The string grid overrides ExchangeRows and DeleteRows to move its cells and then calls the
    // custom grid's, which moves the heights; an override must call the inherited one.
    void MoveColumn(Integer FromIndex, Integer ToIndex);
    void MoveRow(Integer FromIndex, Integer ToIndex);
    virtual void DeleteRow(Integer ARow);
    virtual void DeleteColumn(Integer ACol);
    virtual void ExchangeRows(Integer A, Integer B);
    virtual void DeleteRows(Integer ARow, Integer ACount);
    // Raises EInvalidGridOperation when DeleteRows(ARow, ACount) may not run.
    void CheckRowDeletion(Integer ARow, Integer ACount) const;
    void InvalidateCell(Integer ACol, Integer ARow);
    void InvalidateCol(Integer ACol);
    void InvalidateRow(Integer ARow);
    void InvalidateGrid();
    void InvalidateRect(const TGridRect& ARect);
    void CalcDrawInfo(TGridDrawInfo& DrawInfo);
    void CalcFixedInfo(TGridDrawInfo& DrawInfo);
    void CalcDrawInfoXY(TGridDrawInfo& DrawInfo, Integer UseWidth, Integer UseHeight);
    TGridCoord CalcCoordFromPoint(Integer X, Integer Y, const TGridDrawInfo& DrawInfo);
    TRect BoxRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
    void MoveTopLeft(Integer ALeft, Integer ATop);
    // The largest top-left that still shows the last column/row fully.
    TGridCoord CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo);
    void UpdateScrollRange();
    void UpdateScrollPos();
    void UpdateEdit();
    void UpdateText();
    void HideEdit();
    void DrawSizingLine(const TGridDrawInfo& DrawInfo);
    void DrawMove();
    bool IsActiveControl();
    TGridAxis& ColAxis() { return FCols; }
    TGridAxis& RowAxis() { return FRows; }

    // ---- Message handlers ----
    void WMHScroll(TMessage& Message);
    void WMVScroll(TMessage& Message);
    void WMGetDlgCode(TMessage& Message);
    void WMSetCursor(TMessage& Message);
    void WMTimer(TMessage& Message);
    void WMCancelMode(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void WMSize(TMessage& Message);
    void WMChar(TMessage& Message);
    void CMWantSpecialKey(TMessage& Message);
    void CMFontChanged(TMessage& Message);

    // ---- State (readable and writable by descendants) ----
    TGridState FGridState = gsNormal;
    Integer FColCount = 5;
    Integer FRowCount = 5;
    Integer FFixedCols = 1;
    Integer FFixedRows = 1;
    Integer FDefaultColWidth = 64;
    Integer FDefaultRowHeight = 24;
    Integer FGridLineWidth = 1;
    TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TScrollStyle FScrollBars = ssBoth;
    TBorderStyle FBorderStyle = bsSingle;
    bool FDefaultDrawing = true;
    TColor FFixedColor = clBtnFace;
    TGridCoord FCurrent{1, 1};
    TGridCoord FAnchor{1, 1};
    TGridCoord FTopLeft{1, 1};
    TInplaceEdit* FInplaceEdit = nullptr;
    bool FEditorMode = false;
    Integer FInplaceCol = -1;
    Integer FInplaceRow = -1;
    bool FCanEditModify = true;
    Integer FSizingIndex = 0;
    Integer FSizingPos = 0;
    Integer FSizingOfs = 0;
    Integer FMoveIndex = 0;
    Integer FMovePos = 0;
    bool FMoveDrawn = false;
    TPoint FHitTest;
    bool FTimerActive = false;
    // True while the selection's moving end is the anchor field (a mouse drag or Shift+click
    // moves the far end and leaves the current cell at the press); Selection() reports the
    // moving end at Right/Bottom either way.
    bool FAnchorMoves = false;
    // Set while ShowEditorChar hands the editor a character the grid's key press has already
    // seen (the form's preview, KeyPress, OnKeyPress): the editor types it without asking again.
    bool FCharToEditor = false;

private:
    void ChangeSize(Integer NewColCount, Integer NewRowCount);
    void ClampPosition(Integer OldFixedCols, Integer OldFixedRows);
    // Answers false when SelectCell refused the cell.
    bool MoveCurrent(Integer ACol, Integer ARow, bool MoveAnchor, bool Show);
    void MoveAnchor(const TGridCoord& NewAnchor);
    void ClampInView(const TGridCoord& Coord);
    void SelectionMoved(const TGridRect& OldSel);
    void TopLeftMoved(const TGridCoord& OldTopLeft);
    void ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos);
    void MoveAndScroll(Integer Mouse, Integer CellHit, TGridDrawInfo& DrawInfo, TGridAxisDrawInfo& Axis,
                       int ScrollBar);
    void GridRectToScreenRect(const TGridRect& GridRect, TRect& ScreenRect, bool IncludeLine);
    void CalcAxis(TGridAxisDrawInfo& Axis, const TGridAxis& Sizes, Integer FixedCount, Integer First,
                  Integer Extent);
    void DrawCells(TGridDrawInfo& Info, Integer ACol, Integer ARow, Integer StartX, Integer StartY,
                   Integer StopX, Integer StopY, TColor Color, TGridDrawState AState);
    void DrawLines(TGridDrawInfo& Info);
    void StartScrollTimer();
    void StopScrollTimer();
    Integer ScrollPosToIndex(Integer Pos, Integer Count, Integer Visible, Integer Fixed);
    Integer IndexToScrollPos(Integer Index, Integer Count, Integer Visible, Integer Fixed);

    TGridAxis FCols;
    TGridAxis FRows;
    bool FUpdatingScrollBars = false;
};

// ---- TDrawGrid -------------------------------------------------------------------------------------

using TDrawCellEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool& CanSelect)>;
using TMovedEvent = std::function<void(TObject* Sender, Integer FromIndex, Integer ToIndex)>;
using TGetEditEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, AnsiString& Value)>;
using TSetEditEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, const AnsiString& Value)>;

// A grid whose cells the program draws in OnDrawCell.
class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged;
    TMovedEvent OnColumnMoved;
    TMovedEvent OnRowMoved;
    TGetEditEvent OnGetEditMask;
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;

protected:
    bool SelectCell(Integer ACol, Integer ARow) override;
    void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
    void TopLeftChanged() override;
    void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
    void RowMoved(Integer FromIndex, Integer ToIndex) override;
    AnsiString GetEditMask(Integer ACol, Integer ARow) override;
    AnsiString GetEditText(Integer ACol, Integer ARow) override;
    void SetEditText(Integer ACol, Integer ARow, const AnsiString& Value) override;
};

// ---- TStringGrid ------------------------------------------------------------------------------------

class TStringGrid;

// A row (or column) of a string grid seen as a string list: Count is ColCount (or RowCount),
// the strings are the cells' texts and the objects their objects. Inserting and deleting are
// refused (EInvalidGridOperation).
class TStringGridStrings : public TStrings {
public:
    TStringGridStrings(TStringGrid* AGrid, Integer AIndex, bool AIsColumn)
        : FGrid(AGrid), FIndex(AIndex), FIsColumn(AIsColumn)
    {
    }
    // Puts S into the first empty cell; answers its index or -1 when none is empty. After a
    // Clear inside BeginUpdate/EndUpdate (as Text, CommaText and AddStrings do) the strings go
    // to the cells one after another instead, empty ones included, so that "a,,c" fills three
    // cells.
    Integer Add(const AnsiString& S) override;
    // Add, and the object into the same cell (nothing when no cell took the string).
    Integer AddObject(const AnsiString& S, TObject* AObject) override;
    // Copies texts and objects of another list; cells beyond its end become empty.
    void Assign(TPersistent* Source) override;
    void Clear() override;
    void Delete(Integer Index) override;
    void Insert(Integer Index, const AnsiString& S) override;

protected:
    AnsiString Get(Integer Index) const override;
    Integer GetCount() const override;
    TObject* GetObject(Integer Index) const override;
    void Put(Integer Index, const AnsiString& S) override;
    void PutObject(Integer Index, TObject* AObject) override;
    void SetUpdateState(bool Updating) override;

private:
    void CheckIndex(Integer Index) const;
    TStringGrid* FGrid;
    Integer FIndex;
    bool FIsColumn;
    Integer FNextAdd = -1; // where Add writes after a Clear in an update; -1: the first empty cell
};

// A grid with a text and an object in each cell. Cells may be read and written at any index
// >= 0, also beyond the counts; unset cells read '' and nullptr. Objects are not owned.
class TStringGrid : public TDrawGrid {
public:
    explicit TStringGrid(TComponent* AOwner);
    ~TStringGrid() override;

    // A negative index raises EInvalidGridOperation.
    AnsiString Cells(Integer ACol, Integer ARow) const;
    void SetCells(Integer ACol, Integer ARow, const AnsiString& Value);
    TObject* Objects(Integer ACol, Integer ARow) const;
    void SetObjects(Integer ACol, Integer ARow, TObject* Value);
    // Views of one column or row; they live as long as the grid.
    TStrings* Cols(Integer Index);
    TStrings* Rows(Integer Index);
    void SetCols(Integer Index, TStrings* Value) { Cols(Index)->Assign(Value); }
    void SetRows(Integer Index, TStrings* Value) { Rows(Index)->Assign(Value); }

    TGridCellStore& CellStore() { return FStore; }

protected:
    void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
    void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
    void RowMoved(Integer FromIndex, Integer ToIndex) override;
    void ExchangeRows(Integer A, Integer B) override;
    void DeleteRows(Integer ARow, Integer ACount) override;
    AnsiString GetEditText(Integer ACol, Integer ARow) override;
    void SetEditText(Integer ACol, Integer ARow, const AnsiString& Value) override;

private:
    friend class TStringGridStrings;
    TStringGridStrings* View(std::vector<std::unique_ptr<TStringGridStrings>>& Views, Integer Index,
                             bool IsColumn);
    TGridCellStore FStore;
    std::vector<std::unique_ptr<TStringGridStrings>> FColViews;
    std::vector<std::unique_ptr<TStringGridStrings>> FRowViews;
};

// ---- TInplaceEdit ----------------------------------------------------------------------------------

// The editor of a grid: a borderless multi-line masked edit, child of the grid, placed over the
// current cell. It takes the cell's text, edit mask and length limit in UpdateContents (typing is
// held to the mask by the masked edit), hands the keys that move between cells to the grid, and
// answers Esc by going back to the cell's text.
class TInplaceEdit : public TCustomMaskEdit {
public:
    explicit TInplaceEdit(TComponent* AOwner);

    TCustomGrid* Grid() const { return FGrid; }
    // Places the editor over Loc (client coordinates of the grid) and shows it.
    void Move(const TRect& Loc);
    void UpdateLoc(const TRect& Loc);
    void Hide();
    bool PosEqual(const TRect& Rect) const;
    void SetFocus() override;
    void Invalidate() override;
    void Deselect();

    // Loads the text, mask and limit of the grid's current cell.
    virtual void UpdateContents();
    void WndProc(TMessage& Message) override;

protected:
    friend class TCustomGrid;
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    // Called after the editor was placed; descendants adjust the formatting rectangle.
    virtual void BoundsChanged();
    void SetGrid(TCustomGrid* Value) { FGrid = Value; }

private:
    void InternalMove(const TRect& Loc, bool Redraw);
    TCustomGrid* FGrid = nullptr;
};
