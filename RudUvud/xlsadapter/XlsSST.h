#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/XlsStrings.h"

class TSSTRecord;

// The workbook's shared string table. Strings are kept once each in one growing byte arena and
// addressed by their offset there (an "entry reference"), so that sorting, growth and removal
// from the list never touch the cells that point at them. The list holds the references in
// entry order once sorted.
//
// An entry in the arena: reference count (32-bit), stream position (32-bit), record offset
// (16-bit), save index (32-bit), then the string's stored form with a 2-byte character count.
// The reference count is 32 bits wide: a text shared by more than 65,535 cells is common in a
// full sheet and must not wrap.
class TSST : public TObject {
public:
    static constexpr Integer EntryHeaderSize = 14;

    TSST() = default;

    Integer Count() const { return static_cast<Integer>(FList.size()); }
    Int64 GetItems(Integer Index) const { return FList.at(static_cast<size_t>(Index)); }
    void SetItems(Integer Index, Int64 Ref) { FList.at(static_cast<size_t>(Index)) = Ref; }
    void Add(Int64 Ref) { FList.push_back(Ref); }
    void Insert(Integer Index, Int64 Ref) { FList.insert(FList.begin() + Index, Ref); }
    void Delete(Integer Index) { FList.erase(FList.begin() + Index); }
    // Empties the list and the arena.
    void Clear();

    Byte* GetEntry(Int64 Ref) { return FMem.data() + Ref; }
    const Byte* GetEntry(Int64 Ref) const { return FMem.data() + Ref; }
    LongWord RefCount(Int64 Ref) const { return GetLongWord(GetEntry(Ref), 0); }
    void IncRef(Int64 Ref);
    void DecRef(Int64 Ref);
    Int64 EntrySize(Int64 Ref) const;
    WideString EntryText(Int64 Ref) const;
    TRTFRunList EntryRuns(Int64 Ref) const;
    LongWord EntryStreamPosition(Int64 Ref) const { return GetLongWord(GetEntry(Ref), 4); }
    Word EntryRecordOffset(Int64 Ref) const { return GetWord(GetEntry(Ref), 8); }
    LongWord EntrySaveIndex(Int64 Ref) const { return GetLongWord(GetEntry(Ref), 10); }

    // Adds one reference to the text with these runs; returns its list index. The table must be
    // sorted (it is after Load and Sort, and AddString keeps it so). More than 65,535 characters
    // raise "String too large".
    Integer AddString(const WideString& S, const TRTFRunList& RTFRuns = {});
    // Binary search by entry order; Index is the first equal entry or the insertion point.
    bool Find(Int64 Ref, Integer& Index) const;
    // Appends every string of the SST record and its CONTINUE chain, in file order, unsorted,
    // with reference counts 0.
    void Load(const TSSTRecord& aSSTRecord);
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
    std::vector<Int64> FList;
    ByteArray FMem;
    Int64 FUsed = 0;

    Int64 Reserve(Int64 Bytes);
    Integer CompareEntries(Int64 A, Int64 B) const;
    Int64 SaveOrSize(TOle2File* DataStream);
    Word ExtSSTBucketSize() const;
};

// LABELSST: a cell whose text lives in the shared string table (string index at offset 6).
class TLabelSSTRecord : public TCellRecord {
public:
    TLabelSSTRecord(Word aId, ByteArray aData);
    TLabelSSTRecord(Word aRow, Word aCol, Word aXF, TSST* aSST);
    ~TLabelSSTRecord() override;
    XLS_RECORD_CREATE(TLabelSSTRecord)

    // Takes the string its index names and adds a reference to it; an index beyond the table
    // raises "Error reading Excel records. File invalid".
    void AttachToSST(TSST* aSST);
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

    TSST* SST() const { return FSST; }
    Int64 Pointer() const { return FPointer; }

private:
    TSST* FSST = nullptr;
    Int64 FPointer = -1;
};

// LABEL: a cell with its text inline (read, never created).
class TLabelRecord : public TCellRecord {
public:
    TLabelRecord(Word aId, ByteArray aData) : TCellRecord(aId, std::move(aData)) {}
    XLS_RECORD_CREATE(TLabelRecord)
    TXlsVariant GetValue() const override;
};

// RSTRING: a cell with rich text inline (read, never created).
class TRStringRecord : public TCellRecord {
public:
    TRStringRecord(Word aId, ByteArray aData) : TCellRecord(aId, std::move(aData)) {}
    XLS_RECORD_CREATE(TRStringRecord)
    TXlsVariant GetValue() const override;
    TRichString GetAsRichString() const;
};
