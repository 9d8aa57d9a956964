#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/OtherRecords.h"
#include "RudUvud/xlsadapter/SettingRecords.h"
#include "RudUvud/xlsadapter/XlsSST.h"

#include <algorithm>
#include <memory>
#include <vector>

// Owning record lists. Items may be null; every operation skips null items.

// The whole sheet as a range.
inline constexpr TXlsCellRange XlsWholeSheet = {0, 0, 255, 65535};

// A list of records that knows its written size: the running total is the sum of the records'
// TotalSize. Whoever changes the size of a record inside the list reports it with AdaptSize.
class TBaseRecordList : public TObject {
public:
    TBaseRecordList() = default;
    ~TBaseRecordList() override;
    // A sheet holds one list per row: they come from the record pools too.
    static void* operator new(size_t Size) { return PoolAllocate(Size); }
    static void operator delete(void* P, size_t Size) noexcept { PoolFree(P, Size); }

    Integer Count() const { return static_cast<Integer>(FList.size()); }
    void Reserve(Integer aCount) { FList.reserve(static_cast<size_t>(std::max<Integer>(aCount, 0))); }
    TBaseRecord* Items(Integer Index) const { return FList.at(static_cast<size_t>(Index)).get(); }
    // Replaces the item at Index, freeing the old one.
    void SetItems(Integer Index, std::unique_ptr<TBaseRecord> Rec);
    virtual Integer Add(std::unique_ptr<TBaseRecord> Rec);
    virtual void Insert(Integer Index, std::unique_ptr<TBaseRecord> Rec);
    // Frees the item.
    void Delete(Integer Index);
    // Takes the item out without freeing it.
    std::unique_ptr<TBaseRecord> Extract(Integer Index);
    void Clear();

    void AdaptSize(Int64 Delta) { FTotalSize += Delta; }
    virtual Int64 GetTotalSize() const { return FTotalSize; }
    virtual void SaveToStream(TOle2File& DataStream);
    // Appends a deep copy of every item of Source, nulls as nulls; nothing for a null list.
    void CopyFrom(const TBaseRecordList* Source);
    // The size walked record by record: equal to GetTotalSize while the invariant holds.
    Int64 ComputedTotalSize() const;

protected:
    std::vector<std::unique_ptr<TBaseRecord>, TLargeAllocator<std::unique_ptr<TBaseRecord>>> FList;
    Int64 FTotalSize = 0;
    virtual void Added(TBaseRecord* Rec);
    virtual void Removed(TBaseRecord* Rec);
};

// Records with a row and a column, found by column.
class TBaseRowColRecordList : public TBaseRecordList {
public:
    // A list may keep some of its items in a compact form rather than as records (see
    // TCellRecordList); Count, Items and the other members of the record list see them only
    // after Unpack. Whoever hands a list out to code that works on its records unpacks it first.
    bool Packed() const { return FPacked; }
    void Unpack()
    {
        if (FPacked)
            DoUnpack();
    }
    // Appends copies of Source's items, packed ones staying packed.
    virtual void CopyItemsFrom(const TBaseRowColRecordList& Source) { CopyFrom(&Source); }
    TBaseRowColRecord* Items(Integer Index) const
    {
        return static_cast<TBaseRowColRecord*>(TBaseRecordList::Items(Index));
    }
    Integer Add(std::unique_ptr<TBaseRecord> Rec) override;
    void Insert(Integer Index, std::unique_ptr<TBaseRecord> Rec) override;
    bool Sorted() const { return FSorted; }
    // Stable sort by column, so that equal columns keep their order and saves are reproducible.
    void Sort();
    // Sorts first when needed; true with the index of a record of that column, or false with
    // the insertion index.
    bool Find(Integer aCol, Integer& Index);
    void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                  const TSheetInfo& SheetInfo);
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset);
    virtual void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange);
    virtual Int64 TotalRangeSize(const TXlsCellRange& CellRange, bool NeedsRecalc);

protected:
    bool FSorted = false;
    bool FPacked = false;
    static bool InRange(const TBaseRowColRecord* R, const TXlsCellRange& Range);
    virtual void DoUnpack() {}
    // ArrangeInsertRowsAndCols for the packed items.
    virtual void ArrangePacked(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                               const TSheetInfo& SheetInfo)
    {
    }
};

// A plain value cell kept without a record object: NUMBER, RK, BLANK, BOOLERR or LABELSST with
// exactly the data size a writer gives them. These make up nearly all of a large sheet, and a
// record object each costs far more memory and time than a packed cell (TCellRecordList keeps
// them in 8 bytes each). This is the cell as it is handed in and out.
struct TPlainCell {
    Word Col = 0;
    Word XF = 0;
    Word Id = 0;
    union {
        double Number; // NUMBER
        LongWord RK;   // RK
        Int64 Entry;   // LABELSST: the shared string's entry reference (one reference held)
        Byte Flags[2]; // BOOLERR: value, then 1 for an error
        Byte Raw[8];
    };
    TPlainCell() : Raw{} {}

    // The data size of the records a plain cell stands for; 0 for any other id.
    static Word BodySize(Word aId);
    // Fills Out (at least 14 bytes) with the record data of this cell in row aRow; returns its size.
    Word Body(Word aRow, const TSST* SST, Byte* Out) const;
    // The cell's value as its record reads it.
    TXlsVariant Value(const TSST* SST) const;
};
static_assert(sizeof(TPlainCell) == 16);

// Storage from the record pools for the small arrays of rows: their slabs outlive a closed
// workbook, so opening the next one does not fault fresh memory in again.
template <class T> struct TPoolAllocator {
    using value_type = T;
    TPoolAllocator() = default;
    template <class U> TPoolAllocator(const TPoolAllocator<U>&) noexcept {}
    T* allocate(size_t N) { return static_cast<T*>(PoolAllocate(N * sizeof(T))); }
    void deallocate(T* P, size_t N) noexcept { PoolFree(P, N * sizeof(T)); }
    template <class U> bool operator==(const TPoolAllocator<U>&) const noexcept { return true; }
};

// The cells of one row, ordered by column. Adjacent cells that can join are written as one
// multiple-cell record, so the list's size is walked rather than kept.
//
// A row loaded from a file keeps its plain value cells packed (TPackedCell) as long as nothing
// asks for their records: reading values, sizing and writing work on the packed cells directly.
// The row is packed as a whole: a row holds packed cells or records, never both, and the first
// record added to a packed row, or any use of its records, unpacks it for good. Unpacking gives
// exactly the records loading them would have given, in the same order.
class TCellRecordList : public TBaseRowColRecordList {
public:
    TCellRecordList() = default;
    ~TCellRecordList() override;
    TCellRecordList(const TCellRecordList&) = delete;
    TCellRecordList& operator=(const TCellRecordList&) = delete;

    TCellRecord* Items(Integer Index) const
    {
        return static_cast<TCellRecord*>(TBaseRecordList::Items(Index));
    }
    Int64 GetTotalSize() const override;
    void SaveToStream(TOle2File& DataStream) override;
    void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange) override;
    Int64 TotalRangeSize(const TXlsCellRange& CellRange, bool NeedsRecalc) override;
    // Writes (DataStream given) or sizes the cells in the range, joining runs.
    Int64 SaveAndCalcRange(TOle2File* DataStream, const TXlsCellRange& CellRange, bool NeedsRecalc);

    Integer Add(std::unique_ptr<TBaseRecord> Rec) override;
    void Insert(Integer Index, std::unique_ptr<TBaseRecord> Rec) override;
    void CopyItemsFrom(const TBaseRowColRecordList& Source) override;

    // Adds a plain value cell from its record data (the id's BodySize bytes), packed
    // when the row is packed or empty, as a record otherwise. A LABELSST takes a reference to the
    // string its index names in SST; an index beyond the table (or no table) raises "Error
    // reading Excel records. File invalid".
    void AddPlain(Word aId, const Byte* Data, TSST* SST);
    // Adds the cells of a MULRK (aId xlr_RK) or MULBLANK (xlr_BLANK) run of row aRow packed:
    // aCount items of Items (XF and RK, or XF) from column aFirst on. False, with nothing added,
    // when the row is not packed (or empty) or the run goes past the last column.
    bool AddPackedRun(Word aRow, Word aId, Word aFirst, const Byte* Items, Integer aCount);
    // Takes a plain record in packed when the row allows it (false: the caller keeps it).
    bool TryPack(TCellRecord& Rec);
    // Takes a plain cell of row aRow in packed, with no record made, when the row allows it; a
    // LABELSST's entry already holds the reference the cell keeps (false: the caller keeps it).
    bool PackPlain(Word aRow, const TPlainCell& Cell, TSST* SST);
    void ReservePacked(Integer aCount) { FPlain.reserve(static_cast<size_t>(std::max<Integer>(aCount, 0))); }

    // Members that work whether the row is packed or not.
    Integer CellCount() const { return FPacked ? static_cast<Integer>(FPlain.size()) : Count(); }
    // The packed cell of a column (the first of equal columns) into Cell; false when there is
    // none. Sorts the row first.
    bool FindPacked(Integer aCol, TPlainCell& Cell);
    bool HasPacked(Integer aCol) { return FindPackedIndex(aCol) >= 0; }
    // The value of the packed cell of a column into Value (empty when there is none), as
    // TPlainCell::Value gives it, without the cell made whole first.
    void ReadPacked(Integer aCol, TXlsVariant& Value);
    // The shared string table packed LABELSST cells point into (null when gone or none).
    TSST* SST() const { return FSST ? *FSST : nullptr; }
    // Column of the cell at Index (0-based) after sorting, -1 past the end.
    Integer ColumnAt(Integer Index);
    // Like Find: true with the index of a cell of that column, or false with the insertion index.
    bool FindColumn(Integer aCol, Integer& Index);
    // First and last column of the cells (sorted first); false when the row has none.
    bool ColumnSpan(Integer& First, Integer& Last);

protected:
    void DoUnpack() override;
    void ArrangePacked(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                       const TSheetInfo& SheetInfo) override;

private:
    // A packed cell: its column, its kind (an index of PackedIds), its XF and its value: the RK,
    // the shared string's entry reference, the BOOLERR bytes, or for a NUMBER the index of its
    // value in FNumbers.
    struct TPackedCell {
        Byte Col;
        Byte Kind;
        Word XF;
        LongWord Value;
    };
    static_assert(sizeof(TPackedCell) == 8);
    // The values of a row's NUMBER cells. Few rows have any (RK holds most numbers), so the
    // array is made with the first one and an empty row list pays one pointer for it.
    class TNumbers {
    public:
        TNumbers() = default;
        TNumbers(const TNumbers& Other) { *this = Other; }
        TNumbers& operator=(const TNumbers& Other)
        {
            if (this != &Other)
                FValues = Other.FValues && !Other.FValues->empty() ? std::make_unique<TValues>(*Other.FValues)
                                                                   : nullptr;
            return *this;
        }
        size_t size() const { return FValues ? FValues->size() : 0; }
        double operator[](size_t I) const { return (*FValues)[I]; }
        // Room for one more value, so that push_back cannot fail.
        void MakeRoom()
        {
            if (!FValues)
                FValues = std::make_unique<TValues>();
            if (FValues->size() == FValues->capacity())
                FValues->reserve(std::max<size_t>(4, 2 * FValues->size()));
        }
        void push_back(double V) noexcept { FValues->push_back(V); }
        void clear() noexcept { FValues.reset(); }

    private:
        using TValues = std::vector<double, TPoolAllocator<double>>;
        std::unique_ptr<TValues> FValues;
    };
    Word FRow = 0; // the row of the packed cells (here it fits beside the flags of the base)
    std::vector<TPackedCell, TPoolAllocator<TPackedCell>> FPlain;
    TNumbers FNumbers;
    std::shared_ptr<TSST*> FSST; // the table's link, once a packed LABELSST is added
    void SortPacked();
    // The index of the packed cell of a column (the first of equal ones), -1 for none.
    Integer FindPackedIndex(Integer aCol);
    // True when Cell has a packed form (column and entry reference within its fields).
    static bool Fits(const TPlainCell& Cell);
    TPlainCell Expanded(const TPackedCell& Cell) const;
    // Appends Cell (it fits, and MakeRoom made room for it): cannot fail.
    void Append(const TPlainCell& Cell) noexcept;
    // Room for one more packed cell (and its number), so that adding it cannot fail.
    void MakeRoom(bool Number = true);
    void ReleaseEntries() noexcept;
    Int64 SavePacked(TOle2File* DataStream, const TXlsCellRange& CellRange);
};

// The ROW records of a sheet, indexed by row number (item r is row r's record or null).
class TRowRecordList : public TBaseRowColRecordList {
public:
    TRowRecord* Items(Integer Index) const { return static_cast<TRowRecord*>(TBaseRecordList::Items(Index)); }
    // Puts the record at its row's index, padding with nulls; a second record for a row raises
    // "Duplicated ROW record". Returns the row.
    Integer AddRecord(std::unique_ptr<TRowRecord> aRecord);
    // Raises "Missing ROW Record for row %d" when the row has none.
    TRowRecord* GetItems(Integer aRow) const;
    bool HasRow(Integer aRow) const;
    void AddRow(Word aRow);
    Word RowHeight(Integer aRow) const;
    void SetRowHeight(Integer aRow, Word Height);
    void AutoRowHeight(Integer aRow, bool Value);
    bool IsAutoRowHeight(Integer aRow) const;
    void CalcGuts(TGutsRecord* Guts) const;
    Int64 TotalRangeSize(const TXlsCellRange& CellRange, bool NeedsRecalc) override;
    void DeleteRows(Word aRow, Word aCount, const TSheetInfo& SheetInfo);
    void InsertAndCopyRows(Word FirstRow, Word LastRow, Word DestRow, Word aCount,
                           const TSheetInfo& SheetInfo);
};

// One BOUNDSHEET record per sheet, in sheet order.
class TBoundSheetRecordList : public TBaseRecordList {
public:
    TBoundSheetRecord* Items(Integer Index) const
    {
        return static_cast<TBoundSheetRecord*>(TBaseRecordList::Items(Index));
    }
    WideString GetSheetName(Integer Index) const { return Items(Index)->GetSheetName(); }
    void SetSheetName(Integer Index, const WideString& Name);
    TXlsSheetVisible GetSheetVisible(Integer Index) const;
    void SetSheetVisible(Integer Index, TXlsSheetVisible Value);
};

class TNameRecord;
class TShrFmlaRecord;

// Defined names. The operations that read a name's references are defined with TNameRecord,
// in the formula record unit.
class TNameRecordList : public TBaseRecordList {
public:
    TNameRecord* Items(Integer Index) const;
    void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                  const TSheetInfo& SheetInfo);
    void DeleteSheets(Integer FirstSheet, Integer SheetCount);
    void InsertSheets(Integer CopyFrom, Integer BeforeSheet, Integer SheetCount, const TSheetInfo& SheetInfo);
};

// Shared formulas, keyed by their 32-bit anchor key. Defined with TShrFmlaRecord, in the formula
// record unit.
class TShrFmlaRecordList : public TBaseRecordList {
public:
    TShrFmlaRecord* Items(Integer Index) const;
    Integer Add(std::unique_ptr<TBaseRecord> Rec) override
    {
        FSorted = false;
        return TBaseRecordList::Add(std::move(Rec));
    }
    void Sort();
    bool Find(LongWord aKey, Integer& Index);

protected:
    bool FSorted = false;
};
