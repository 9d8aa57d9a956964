#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/XlsStrings.h"

class TSSTRecord;

// The workbook's shared string table. Strings are kept once each in one growing byte arena and
// addressed by their offset there (an "entry reference"), so that sorting, growth and removal
// from the list never touch the cells that point at them.
//
// An entry in the arena: reference count (32-bit), save index (32-bit), then the string's stored
// form with a 2-byte character count. The reference count is 32 bits wide: a text shared by more
// than 65,535 cells is common in a full sheet and must not wrap. Where a save wrote each string
// (stream position and record offset, for EXTSST) is kept beside the list, by save index, only
// from the first save on: a table that is only read does not carry it.
//
// How cells use it (every text cell goes through these calls, so they cost O(1) on average):
//   Integer i = Sst.AddString(Text, Runs); // one more reference to the text, added if new
//   Int64 ref = Sst.GetItems(i);          // the entry reference the cell keeps
//   Sst.EntryText(ref), Sst.EntryRuns(ref); Sst.DecRef(ref) when the cell lets go.
// Duplicates are found through a hash of each entry's stored bytes, not through the list order:
// the list may be in any order (a file's own order after Load, new strings appended at the end),
// and every order writes a valid file. Sort puts the list in entry order when a caller wants
// that order; nothing in the engine depends on it.
class TSST : public TObject {
public:
    static constexpr Integer EntryHeaderSize = 8;

    // Cells hold the table through this shared link rather than a bare pointer: the table clears
    // the link when it is destroyed, so a cell that outlives its table (whatever order owners
    // destroy things in) finds no table instead of a dangling one.
    using TLink = std::shared_ptr<TSST*>;

    TSST() : FLink(std::make_shared<TSST*>(this)) {}
    ~TSST() override;
    TSST(const TSST&) = delete;
    TSST& operator=(const TSST&) = delete;
    const TLink& Link() const { return FLink; }

    Integer Count() const { return static_cast<Integer>(FList.size()); }
    Int64 GetItems(Integer Index) const
    {
        Settle();
        return FList.at(static_cast<size_t>(Index));
    }
    void SetItems(Integer Index, Int64 Ref);
    void Add(Int64 Ref)
    {
        Settle();
        FList.push_back(Ref);
    }
    void Insert(Integer Index, Int64 Ref);
    void Delete(Integer Index);
    // Empties the list and the arena.
    void Clear();

    Byte* GetEntry(Int64 Ref) { return FMem + Ref; }
    const Byte* GetEntry(Int64 Ref) const { return FMem + Ref; }
    LongWord RefCount(Int64 Ref) const { return GetLongWord(GetEntry(Ref), 0); }
    void IncRef(Int64 Ref);
    void DecRef(Int64 Ref);
    Int64 EntrySize(Int64 Ref) const;
    WideString EntryText(Int64 Ref) const;
    // The same text into Text, reusing its storage.
    void EntryTextTo(Int64 Ref, WideString& Text) const;
    TRTFRunList EntryRuns(Int64 Ref) const;
    // Where the last save wrote the entry (0 before any save).
    LongWord EntryStreamPosition(Int64 Ref) const { return Written(Ref).Position(); }
    Word EntryRecordOffset(Int64 Ref) const { return Written(Ref).Offset; }
    LongWord EntrySaveIndex(Int64 Ref) const { return GetLongWord(GetEntry(Ref), 4); }

    // Adds one reference to the text with these runs and returns its list index: an equal entry
    // (same text and same runs) gains a reference, otherwise a new entry with one reference is
    // appended. O(1) on average in the table's size. More than 65,535 characters or runs raise
    // "String too large".
    Integer AddString(const WideString& S, const TRTFRunList& RTFRuns = {});
    // Looks an entry up by its stored bytes. Found: Index is the first equal entry in list order.
    // Not found: Index is Count(), where AddString would append it.
    bool Find(Int64 Ref, Integer& Index) const;
    // Appends every string of the SST record and its CONTINUE chain, in file order, with
    // reference counts 0. Equal strings of the file stay separate entries.
    void Load(const TSSTRecord& aSSTRecord);
    // Sorts the list by entry order (entry size, then stored bytes) in O(n log n) for any input.
    // The sort is carried out when the order is next looked at (an index used, a lookup, a save),
    // so a workbook that is only read never pays for it.
    void Sort();
    void QuickSort(Integer L, Integer R);
    // Drops entries that no cell references.
    void FixRefs();
    // Writes SST, its CONTINUE records and EXTSST; numbers the entries (save index) and records
    // where each string was written.
    void SaveToStream(TOle2File& DataStream);
    void WriteExtSST(TOle2File& DataStream);
    Int64 SSTRecordSize() const;
    Int64 ExtSSTRecordSize() const;
    Int64 TotalSize() const { return SSTRecordSize() + ExtSSTRecordSize(); }

private:
    struct TSlot {
        LongWord Tag;  // the low half of the entry's hash: where the slot belongs, and a filter
                       // that skips most byte comparisons
        Integer Index; // list index, -1 for a free slot
    };
    // Six bytes a string: as much as the fields took inside each entry.
    struct TWrittenAt {
        Word PositionLow = 0, PositionHigh = 0; // in the stream
        Word Offset = 0;                        // in its record
        LongWord Position() const { return PositionLow | (LongWord(PositionHigh) << 16); }
    };
    static_assert(sizeof(TWrittenAt) == 6);
    TLink FLink;
    mutable std::vector<Int64, TLargeAllocator<Int64>> FList;
    // Where the last save wrote each string, by save index.
    std::vector<TWrittenAt, TLargeAllocator<TWrittenAt>> FWritten;
    TWrittenAt Written(Int64 Ref) const
    {
        const LongWord i = EntrySaveIndex(Ref);
        return i < FWritten.size() ? FWritten[i] : TWrittenAt{};
    }
    mutable bool FSortPending = false;
    // The arena: a large block (see LargeAllocate), grown by doubling (a large one by moving its
    // pages, not its bytes), never cleared ahead (every entry is written whole when added).
    Byte* FMem = nullptr;
    Int64 FCapacity = 0;
    Int64 FUsed = 0;
    // Open-addressing hash of the stored bytes to list indexes. It covers the list items below
    // FIndexed; appends are taken in lazily, any other change of the list drops it whole and the
    // next lookup rebuilds it (O(n), so only reordering between lookups costs). Growing moves the
    // slots over by their tags, without hashing any entry again.
    mutable std::vector<TSlot> FIndex;
    mutable Integer FIndexed = 0;

    Int64 Reserve(Int64 Bytes);
    // Makes the arena at least Capacity bytes long, keeping what it holds.
    void Grow(Int64 Capacity);
    Integer CompareEntries(Int64 A, Int64 B) const;
    size_t EntryHash(Int64 Ref) const;
    bool SameEntry(Int64 A, Int64 B) const;
    void DropIndex() const { FIndex.clear(), FIndexed = 0; }
    // Carries out a sort asked for and not yet done.
    void Settle() const
    {
        if (FSortPending)
            SortNow();
    }
    void SortNow() const;
    // Brings the hash up to the whole list, sized so that Spare more entries fit.
    void UpdateIndex(Integer Spare = 0) const;
    // The slot holding an entry equal to Ref, or the free slot where it would go.
    size_t Probe(Int64 Ref, size_t Hash) const;
    Int64 SaveOrSize(TOle2File* DataStream);
    Word ExtSSTBucketSize() const;
};

// LABELSST: a cell whose text lives in the shared string table (string index at offset 6).
class TLabelSSTRecord : public TCellRecord {
public:
    TLabelSSTRecord(Word aId, TRecordBody aData);
    TLabelSSTRecord(Word aRow, Word aCol, Word aXF, TSST* aSST);
    ~TLabelSSTRecord() override;
    XLS_RECORD_CREATE(TLabelSSTRecord)

    // Takes the string its index names and adds a reference to it; an index beyond the table
    // raises "Error reading Excel records. File invalid".
    void AttachToSST(TSST* aSST);
    // Points at Entry of the table Link names, adding a reference to it.
    void ShareEntry(const TSST::TLink& Link, Int64 Entry);
    TXlsVariant GetValue() const override;
    void SetValue(const TXlsVariant& Value) override;
    WideString GetAsString() const;
    void SetAsString(const WideString& S);
    TRichString GetAsRichString() const;
    void SetAsRichString(const TRichString& RS);
    WideString GetAsRTF() const { return WideString(); }
    void SetAsRTF(const WideString&) {}
    std::unique_ptr<TBaseRecord> DoCopyTo() const override;
    void SaveToStream(TOle2File& Workbook) override;

    // The table, or null when none was given or it has been destroyed.
    TSST* SST() const { return FSST ? *FSST : nullptr; }
    Int64 Pointer() const { return FPointer; }

private:
    TSST::TLink FSST;
    Int64 FPointer = -1;
};

// LABEL: a cell with its text inline (read, never created).
class TLabelRecord : public TCellRecord {
public:
    TLabelRecord(Word aId, TRecordBody aData) : TCellRecord(aId, std::move(aData)) {}
    XLS_RECORD_CREATE(TLabelRecord)
    TXlsVariant GetValue() const override;
};

// RSTRING: a cell with rich text inline (read, never created).
class TRStringRecord : public TCellRecord {
public:
    TRStringRecord(Word aId, TRecordBody aData) : TCellRecord(aId, std::move(aData)) {}
    XLS_RECORD_CREATE(TRStringRecord)
    TXlsVariant GetValue() const override;
    TRichString GetAsRichString() const;
};
