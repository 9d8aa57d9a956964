#pragma once

#include "RudUvud/xlsadapter/Ole2File.h"
#include "RudUvud/xlsadapter/VovMessages.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "platform/rtl/Objects.h"

#include <cstdint>
#include <functional>
#include <memory>

// The BIFF8 record layer: every record of the "Workbook" stream becomes an object that keeps its
// raw bytes. Records of an id the engine knows get their class; any other stays a TBaseRecord
// whose bytes are written back unchanged.

inline constexpr Word xlr_CONTINUE = 0x003C;
inline constexpr Word xlr_EOF = 0x000A;
inline constexpr Word xlr_BIFF8MaxData = 8224;

struct TRecordHeader {
    Word Id = 0;
    Word Size = 0;
};

// Blocks for the engine's many small objects, records and their row lists: carved in order from
// slabs kept per thread (see BaseRecords.cpp). A block is freed with the size it was asked for.
void* PoolAllocate(size_t Size);
void PoolFree(void* P, size_t Size) noexcept;

// Blocks for the few large arrays of a workbook (a sheet's rows, the shared strings): from
// LargeBlockMin bytes on they are mapped on their own, aligned so that the system may back them
// with huge pages (a fresh page costs far more than the bytes in it on some machines); smaller
// ones come from the heap. A block is freed with the size it was asked for.
inline constexpr size_t LargeBlockMin = 256 * 1024;
void* LargeAllocate(size_t Size);
void LargeFree(void* P, size_t Size) noexcept;
// Grows a block from LargeAllocate to NewSize bytes keeping its first Keep bytes, moving its
// pages rather than copying them where it can; returns the block, which may have moved.
void* LargeGrow(void* P, size_t Size, size_t NewSize, size_t Keep);

template <class T> struct TLargeAllocator {
    using value_type = T;
    TLargeAllocator() = default;
    template <class U> TLargeAllocator(const TLargeAllocator<U>&) noexcept {}
    T* allocate(size_t N) { return static_cast<T*>(LargeAllocate(N * sizeof(T))); }
    void deallocate(T* P, size_t N) noexcept { LargeFree(P, N * sizeof(T)); }
    template <class U> bool operator==(const TLargeAllocator<U>&) const noexcept { return true; }
};

// A record's data bytes. Bodies of up to InlineSize bytes (cells, rows, most settings) live
// inside the record object itself, so such a record costs one allocation, not two; longer bodies
// come from the record pools. It converts from a ByteArray, so records are still built from one.
class TRecordBody {
public:
    static constexpr size_t InlineSize = 24;

    TRecordBody() = default;
    explicit TRecordBody(size_t Size, Byte Fill = 0) { resize(Size, Fill); }
    TRecordBody(const Byte* First, const Byte* Last) { assign(First, Last); }
    TRecordBody(const ByteArray& Bytes) { assign(Bytes.data(), Bytes.data() + Bytes.size()); }
    TRecordBody(const TRecordBody& Other) { assign(Other.begin(), Other.end()); }
    TRecordBody(TRecordBody&& Other) noexcept { Take(Other); }
    TRecordBody& operator=(const TRecordBody& Other)
    {
        if (this != &Other)
            assign(Other.begin(), Other.end());
        return *this;
    }
    TRecordBody& operator=(TRecordBody&& Other) noexcept
    {
        if (this != &Other) {
            Free();
            Take(Other);
        }
        return *this;
    }
    ~TRecordBody() { Free(); }

    size_t size() const { return FSize; }
    bool empty() const { return FSize == 0; }
    Byte* data() { return FCapacity ? FHeap : FInline; }
    const Byte* data() const { return FCapacity ? FHeap : FInline; }
    Byte* begin() { return data(); }
    Byte* end() { return data() + FSize; }
    const Byte* begin() const { return data(); }
    const Byte* end() const { return data() + FSize; }
    Byte& operator[](size_t I) { return data()[I]; }
    Byte operator[](size_t I) const { return data()[I]; }
    // New bytes are set to Fill; a shorter size keeps the storage.
    void resize(size_t Size, Byte Fill = 0);
    void assign(const Byte* First, const Byte* Last);
    ByteArray ToBytes() const { return ByteArray(begin(), end()); }

private:
    union {
        Byte* FHeap;
        Byte FInline[InlineSize];
    };
    std::uint32_t FSize = 0;
    std::uint32_t FCapacity = 0; // 0: the bytes are inline
    void Free()
    {
        if (FCapacity)
            PoolFree(FHeap, FCapacity);
        FCapacity = 0;
        FSize = 0;
    }
    void Take(TRecordBody& Other) noexcept;
};

class TNameRecordList;
class TBaseRecordList;
class TContinueRecord;

// Passed to every row, column and sheet fix-up.
using TGetSheet = std::function<Integer(Word aSheetRef)>;
using TSetSheet = std::function<Word(Integer aSheet)>;
struct TSheetInfo {
    Integer InsSheet = -1;    // the sheet being changed, -1 none
    Integer FormulaSheet = 0; // the sheet being fixed
    TGetSheet GetSheet;
    TSetSheet SetSheet;
    TNameRecordList* Names = nullptr;
};

// One record: its id, its data and the CONTINUE records that follow it. A record has exactly one
// owner; destroying it frees its data and its CONTINUE chain.
class TBaseRecord : public TObject {
public:
    TBaseRecord(Word aId, TRecordBody aData);
    ~TBaseRecord() override;

    // Records come from the slab pools: a large sheet holds hundreds of thousands of them, and
    // the general heap spends more on their bookkeeping, and on handing the memory back to the
    // system and faulting it in again on the next open, than on the records themselves.
    static void* operator new(size_t Size) { return PoolAllocate(Size); }
    static void operator delete(void* P, size_t Size) noexcept { PoolFree(P, Size); }

    Word Id() const { return FId; }
    // The data, bounded: fields read or written past its end raise (see TRecordBytes).
    TRecordBytes Data() { return {FData.data(), FData.size()}; }
    TConstRecordBytes Data() const { return {FData.data(), FData.size()}; }
    Word DataSize() const { return static_cast<Word>(FData.size()); }
    // Replaces the data; the size follows. More than 65,535 bytes is a logical error.
    void SetData(TRecordBody aData);
    TContinueRecord* Continue() const { return FContinue.get(); }
    // Hands the CONTINUE chain over, for a record that takes this one's place.
    std::unique_ptr<TContinueRecord> ReleaseContinue() { return std::move(FContinue); }

    // A deep copy: the same class, data and CONTINUE chain.
    virtual std::unique_ptr<TBaseRecord> DoCopyTo() const;
    // The virtual constructor: a record of this class built from an id and data.
    virtual std::unique_ptr<TBaseRecord> Create(Word aId, TRecordBody aData) const;
    virtual void SaveToStream(TOle2File& Workbook);
    // Bytes SaveToStream writes, headers included.
    virtual Int64 TotalSize() const;
    // Data bytes of the record and its CONTINUE chain.
    virtual Int64 TotalSizeNoHeaders() const;

    // Records that take the record after them into themselves: a formula its TABLE or ARRAY, a
    // hyperlink its tip. The factory asks before it loads the next record.
    virtual bool AcceptsAttached(Word NextId) const { return false; }
    virtual void AttachRecord(std::unique_ptr<TBaseRecord> Rec);
    // True for the records after which a STRING record (a formula's text result) may follow.
    virtual bool AllowsStringRecord() const { return false; }

    std::unique_ptr<TBaseRecord> CopyTo() const { return DoCopyTo(); }
    // A record takes at most one CONTINUE record; the CONTINUE records chain among themselves.
    void AddContinue(std::unique_ptr<TContinueRecord> Cont);
    // Writes this record's id and size with another buffer of the same size.
    void SaveDataToStream(TOle2File& Workbook, const Byte* OtherData);

protected:
    Word FId;
    TRecordBody FData;
    std::unique_ptr<TContinueRecord> FContinue;
    void CopyContinueTo(TBaseRecord& Target) const;

    // Wraps every change of TotalSize made in place (new data, CONTINUE records, attached
    // records): when it ends, the list that holds the record moves its running total by the
    // difference, so sheet offsets computed from the totals stay right.
    class TSizeChange {
    public:
        explicit TSizeChange(TBaseRecord& Rec) : FRec(Rec), FBefore(Rec.FOwner ? Rec.TotalSize() : 0) {}
        ~TSizeChange() { FRec.SizeChanged(FBefore); }
        TSizeChange(const TSizeChange&) = delete;
        TSizeChange& operator=(const TSizeChange&) = delete;

    private:
        TBaseRecord& FRec;
        Int64 FBefore;
    };

private:
    friend class TBaseRecordList;
    // The list whose running total counts this record, null when none does.
    TBaseRecordList* FOwner = nullptr;
    void SizeChanged(Int64 Before);
};

class TContinueRecord : public TBaseRecord {
public:
    using TBaseRecord::TBaseRecord;
    std::unique_ptr<TBaseRecord> Create(Word aId, TRecordBody aData) const override;
};

// Kept in memory while loaded but never written (DBCELL, INDEX, EXTSST and the like: the writer
// regenerates what it needs).
class TIgnoreRecord : public TBaseRecord {
public:
    using TBaseRecord::TBaseRecord;
    std::unique_ptr<TBaseRecord> Create(Word aId, TRecordBody aData) const override;
    void SaveToStream(TOle2File& Workbook) override {}
    Int64 TotalSize() const override { return 0; }
};

// Stands in a record list for a whole other list (not owned), which it saves in its place.
class TSubListRecord : public TBaseRecord {
public:
    explicit TSubListRecord(TBaseRecordList* aList) : TBaseRecord(0, {}), FList(aList) {}
    std::unique_ptr<TBaseRecord> Create(Word aId, TRecordBody aData) const override;
    void SaveToStream(TOle2File& Workbook) override;
    Int64 TotalSize() const override { return 0; }
    TBaseRecordList* List() const { return FList; }

private:
    TBaseRecordList* FList;
};

// A record whose data starts with a row (offset 0) and a column (offset 2).
class TBaseRowColRecord : public TBaseRecord {
public:
    // Data shorter than 4 bytes raises "Record with ID 0x%x is invalid".
    TBaseRowColRecord(Word aId, TRecordBody aData);
    std::unique_ptr<TBaseRecord> Create(Word aId, TRecordBody aData) const override;

    virtual void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                          Integer aColCount, const TSheetInfo& SheetInfo);
    virtual void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset);
    virtual Int64 FixTotalSize(bool NeedsRecalc) { return TotalSize(); }

    Word GetRow() const { return GetWord(Data(), 0); }
    void SetRow(Word Value) { ::SetWord(Data(), 0, Value); }
    Word GetColumn() const { return GetWord(Data(), 2); }
    void SetColumn(Word Value) { ::SetWord(Data(), 2, Value); }
};

// A cell: row, column and XF index (offset 4).
class TCellRecord : public TBaseRowColRecord {
public:
    // Data shorter than 6 bytes raises "Record with ID 0x%x is invalid".
    TCellRecord(Word aId, TRecordBody aData);
    // A new cell of DataSize zero bytes with the given position and format.
    TCellRecord(Word aId, Word aDataSize, Word aRow, Word aCol, Word aXF);
    std::unique_ptr<TBaseRecord> Create(Word aId, TRecordBody aData) const override;

    Word GetXF() const { return GetWord(Data(), 4); }
    void SetXF(Word Value) { ::SetWord(Data(), 4, Value); }

    virtual TXlsVariant GetValue() const { return TXlsVariant(); }
    virtual void SetValue(const TXlsVariant& Value) {}
    // Runs of cells that can be written as one multiple-cell record.
    virtual bool CanJoinNext(const TCellRecord* NextRecord, Integer MaxCol) const { return false; }
    virtual void SaveFirstMul(TOle2File& Workbook, Word JoinedRecordSize) { SaveToStream(Workbook); }
    virtual void SaveMidMul(TOle2File& Workbook) {}
    virtual void SaveLastMul(TOle2File& Workbook) {}
    virtual Int64 TotalSizeFirst() const { return TotalSize(); }
    virtual Int64 TotalSizeMid() const { return TotalSize(); }
    virtual Int64 TotalSizeLast() const { return TotalSize(); }
};

// Builds the record whose header the caller has read into RecHeader and leaves there the header
// of the record that follows (id 0x000A, size 0 when fewer than 4 bytes remain). CONTINUE records
// are chained to the record; a TABLE, ARRAY or QUICKTIP record is attached to the record before it
// when that record takes it. A QUICKTIP after an HLINK kept as a plain record is left to be read
// as a plain record of its own.
std::unique_ptr<TBaseRecord> LoadRecords(TOle2File& DataStream, TRecordHeader& RecHeader);
// The second half of LoadRecords, for a record whose data the caller has read, followed by the
// header now in RecHeader: takes in the CONTINUE, TABLE, ARRAY, QUICKTIP or STRING record that
// follows, or raises for one the record does not take, as LoadRecords does.
void LoadRecordTail(TOle2File& DataStream, TRecordHeader& RecHeader, TBaseRecord& Rec);
// True for the ids LoadRecordTail looks at; after any other the record is complete.
bool IsRecordTail(Word Id);

// Reads the next record header, or the substitute EOF header at the end of the stream.
inline void ReadRecordHeader(TOle2File& DataStream, TRecordHeader& RecHeader)
{
    if (DataStream.NextEof(3)) {
        RecHeader.Id = xlr_EOF;
        RecHeader.Size = 0;
        return;
    }
    Byte b[4];
    DataStream.ReadMem(b, 4);
    RecHeader.Id = GetWord(b, 0);
    RecHeader.Size = GetWord(b, 2);
}

// Builds a record of the class registered for Id from its data, checking the class's minimum size.
std::unique_ptr<TBaseRecord> CreateRecordById(Word Id, TRecordBody Data);

// Reads Size bytes of record data from Pos on, moving into the CONTINUE chain as needed; Rec and
// Pos are left after the bytes read. A null Buffer skips the bytes. Reading past the chain
// raises "Error reading record".
void ReadMem(const TBaseRecord*& Rec, Integer& Pos, Integer Size, void* Buffer);

// Reads the characters of a BIFF8 string that may run over CONTINUE records. ShortData holds the
// 8-bit characters as raw bytes (one byte per character code), WideData the 16-bit ones; both are
// sized to StrLen by the caller, OptionFlags and ActualOptionFlags set to the string's option
// byte and DestPos to 0. A string that turns 16-bit at a CONTINUE is widened in WideData.
void ReadStr(const TBaseRecord*& Rec, Integer& Pos, std::string& ShortData, WideString& WideData,
             Byte& OptionFlags, Byte& ActualOptionFlags, Integer& DestPos, Integer StrLen);

// Declares the copying virtual constructor of a record class built from (id, data).
#define XLS_RECORD_CREATE(Class)                                                                             \
    std::unique_ptr<TBaseRecord> Create(Word aId, TRecordBody aData) const override                          \
    {                                                                                                        \
        return std::make_unique<Class>(aId, std::move(aData));                                               \
    }
