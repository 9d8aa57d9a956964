#include "RudUvud/xlsadapter/BaseRecords.h"

#include "RudUvud/xlsadapter/BaseRecordLists.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include <sys/mman.h>

using namespace zivXlsMessages;

// ---- TRecordBody ------------------------------------------------------------------------------

void TRecordBody::resize(size_t Size, Byte Fill)
{
    if (Size > 0xFFFFFFFFu)
        XlsError(ErrInternal);
    const size_t cap = FCapacity ? FCapacity : InlineSize;
    if (Size > cap) {
        Byte* heap = static_cast<Byte*>(PoolAllocate(Size));
        std::memcpy(heap, data(), FSize);
        if (FCapacity)
            PoolFree(FHeap, FCapacity);
        FHeap = heap;
        FCapacity = static_cast<std::uint32_t>(Size);
    }
    if (Size > FSize)
        std::memset(data() + FSize, Fill, Size - FSize);
    FSize = static_cast<std::uint32_t>(Size);
}

void TRecordBody::assign(const Byte* First, const Byte* Last)
{
    const size_t n = static_cast<size_t>(Last - First);
    // The source may lie in this body: copy it out before the storage changes.
    if (n > (FCapacity ? FCapacity : InlineSize)) {
        TRecordBody fresh;
        fresh.resize(n);
        std::memcpy(fresh.data(), First, n);
        *this = std::move(fresh);
        return;
    }
    if (n > 0)
        std::memmove(data(), First, n);
    FSize = static_cast<std::uint32_t>(n);
}

void TRecordBody::Take(TRecordBody& Other) noexcept
{
    FSize = Other.FSize;
    FCapacity = Other.FCapacity;
    if (FCapacity)
        FHeap = Other.FHeap;
    else
        std::memcpy(FInline, Other.FInline, FSize);
    Other.FCapacity = 0;
    Other.FSize = 0;
}

// ---- The record pools ------------------------------------------------------------------------

namespace {

// The sanitizers keep the plain heap, so that they still see every record's lifetime.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool PoolRecords = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool PoolRecords = false;
#else
constexpr bool PoolRecords = true;
#endif
#else
constexpr bool PoolRecords = true;
#endif

// Records are carved in order from 64 KB slabs, so that a sheet's records lie together in the
// order they were loaded. A slab counts its live records (plus one while a thread still carves
// from it) and is free again when the count drops to zero. Slabs are cut from 2 MB chunks the
// system may back with huge pages: a large sheet's records then cost one page fault per chunk
// instead of one per 4 KB, which on a fresh process is most of the time a load takes. Slabs are
// never given back as address space (a chunk holds records of any age); up to 64 MB of free
// slabs are kept ready for the next records, and the memory of free slabs beyond that is
// returned to the system, a batch at a time. A record may be freed on any thread. Blocks up to
// the largest record body (8,224 bytes) come from the slabs, so that the records a load reads
// and drops (a shared string table's CONTINUE chain) leave their memory to the cells that come
// next; larger blocks come from the heap.
constexpr size_t PoolMax = 8256;
constexpr size_t PoolSlab = 64 * 1024;
constexpr size_t PoolChunk = 2 * 1024 * 1024;
constexpr size_t PoolSpareSlabs = 1024; // 64 MB
// Free slabs beyond the spares give their memory back this many at a time, in as few address
// ranges as they make: each giving back costs every processor that ran the program a flush.
constexpr size_t PoolReleaseBatch = 256; // 16 MB

struct TSlab {
    std::atomic<size_t> Live;
};
constexpr size_t SlabHeader = 16;
static_assert(sizeof(TSlab) <= SlabHeader);

struct TSpareSlabs {
    std::mutex Lock;
    std::vector<void*> Slabs;  // free slabs, the most recently freed last
    size_t Resident = 0;       // how many of them still hold their memory (the last ones)
    Byte* ChunkNext = nullptr; // the uncut rest of the current chunk
    Byte* ChunkEnd = nullptr;
};

// Never destroyed: records may be freed by other objects' destructors at exit.
TSpareSlabs& SpareSlabs()
{
    static TSpareSlabs* spare = new TSpareSlabs;
    return *spare;
}

// A new chunk aligned to its size, so that the system can map it with huge pages.
Byte* NewChunk()
{
    void* mem = ::mmap(nullptr, 2 * PoolChunk, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mem == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mem);
    const std::uintptr_t aligned = (start + PoolChunk - 1) & ~std::uintptr_t(PoolChunk - 1);
    if (aligned > start)
        ::munmap(mem, aligned - start);
    if (const std::uintptr_t tail = start + 2 * PoolChunk - (aligned + PoolChunk); tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + PoolChunk), tail);
    ::madvise(reinterpret_cast<void*>(aligned), PoolChunk, MADV_HUGEPAGE); // advice only
    return reinterpret_cast<Byte*>(aligned);
}

TSlab* NewSlab()
{
    void* mem = nullptr;
    {
        TSpareSlabs& spare = SpareSlabs();
        std::lock_guard<std::mutex> lock(spare.Lock);
        if (!spare.Slabs.empty()) {
            mem = spare.Slabs.back();
            spare.Slabs.pop_back();
            if (spare.Resident > 0)
                --spare.Resident;
        } else {
            if (spare.ChunkNext == spare.ChunkEnd) {
                spare.ChunkNext = NewChunk();
                spare.ChunkEnd = spare.ChunkNext + PoolChunk;
            }
            mem = spare.ChunkNext;
            spare.ChunkNext += PoolSlab;
        }
    }
    return new (mem) TSlab{1};
}

void ReleaseSlab(TSlab* Slab) noexcept
{
    if (Slab->Live.fetch_sub(1, std::memory_order_acq_rel) != 1)
        return;
    Slab->~TSlab();
    TSpareSlabs& spare = SpareSlabs();
    std::lock_guard<std::mutex> lock(spare.Lock);
    try {
        spare.Slabs.push_back(Slab);
    } catch (...) {
        // Not kept for reuse: its memory at least goes back.
        ::madvise(Slab, PoolSlab, MADV_DONTNEED);
        return;
    }
    ++spare.Resident;
    if (spare.Resident < PoolSpareSlabs + PoolReleaseBatch)
        return;
    // The oldest resident free slabs give their memory back and stay free for reuse.
    const size_t first = spare.Slabs.size() - spare.Resident;
    Byte* batch[PoolReleaseBatch];
    for (size_t i = 0; i < PoolReleaseBatch; ++i)
        batch[i] = static_cast<Byte*>(spare.Slabs[first + i]);
    std::sort(batch, batch + PoolReleaseBatch);
    for (size_t i = 0; i < PoolReleaseBatch;) {
        size_t end = i + 1;
        while (end < PoolReleaseBatch && batch[end] == batch[end - 1] + PoolSlab)
            ++end;
        ::madvise(batch[i], (end - i) * PoolSlab, MADV_DONTNEED);
        i = end;
    }
    spare.Resident -= PoolReleaseBatch;
}

struct TRecordPool {
    TSlab* Current = nullptr;
    Byte* Next = nullptr;
    size_t Left = 0;
    ~TRecordPool()
    {
        if (Current)
            ReleaseSlab(Current);
        Current = nullptr;
    }
};

thread_local TRecordPool RecordPool;

} // namespace

void* PoolAllocate(size_t Size)
{
    if (!PoolRecords || Size == 0 || Size > PoolMax)
        return ::operator new(Size);
    const size_t bytes = (Size + 15) & ~size_t(15);
    TRecordPool& pool = RecordPool;
    if (pool.Left < bytes) {
        TSlab* slab = NewSlab();
        if (pool.Current)
            ReleaseSlab(pool.Current);
        pool.Current = slab;
        pool.Next = reinterpret_cast<Byte*>(slab) + SlabHeader;
        pool.Left = PoolSlab - SlabHeader;
    }
    pool.Current->Live.fetch_add(1, std::memory_order_relaxed);
    void* p = pool.Next;
    pool.Next += bytes;
    pool.Left -= bytes;
    return p;
}

void PoolFree(void* P, size_t Size) noexcept
{
    if (!P)
        return;
    if (!PoolRecords || Size == 0 || Size > PoolMax) {
        ::operator delete(P);
        return;
    }
    ReleaseSlab(
        reinterpret_cast<TSlab*>(reinterpret_cast<std::uintptr_t>(P) & ~std::uintptr_t(PoolSlab - 1)));
}

// ---- Large blocks ------------------------------------------------------------------------------

namespace {

constexpr size_t HugePage = 2 * 1024 * 1024;
constexpr size_t SmallPage = 4096;

// A block's mapping ends at the page after its last byte, not at the next huge page: only the
// whole huge pages inside it can be backed by huge pages, and the rest takes small pages, so a
// block never holds (nor faults in) up to 2 MB it was not asked for.
size_t LargeMapping(size_t Size)
{
    return (Size + SmallPage - 1) & ~(SmallPage - 1);
}

// Fresh address space of Bytes (a multiple of SmallPage) starting at a HugePage boundary.
Byte* MapAligned(size_t Bytes)
{
    void* mem = ::mmap(nullptr, Bytes + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mem == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mem);
    const std::uintptr_t aligned = (start + HugePage - 1) & ~std::uintptr_t(HugePage - 1);
    if (aligned > start)
        ::munmap(mem, aligned - start);
    if (const std::uintptr_t tail = start + Bytes + HugePage - (aligned + Bytes); tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + Bytes), tail);
    ::madvise(reinterpret_cast<void*>(aligned), Bytes, MADV_HUGEPAGE); // advice only
    return reinterpret_cast<Byte*>(aligned);
}

} // namespace

void* LargeAllocate(size_t Size)
{
    if (Size < LargeBlockMin)
        return ::operator new(Size);
    return MapAligned(LargeMapping(Size));
}

void LargeFree(void* P, size_t Size) noexcept
{
    if (!P)
        return;
    if (Size < LargeBlockMin)
        ::operator delete(P);
    else
        ::munmap(P, LargeMapping(Size));
}

void* LargeGrow(void* P, size_t Size, size_t NewSize, size_t Keep)
{
    if (!P || Size < LargeBlockMin || NewSize < LargeBlockMin) {
        void* fresh = LargeAllocate(NewSize);
        if (P) {
            std::memcpy(fresh, P, std::min(Keep, NewSize));
            LargeFree(P, Size);
        }
        return fresh;
    }
    const size_t have = LargeMapping(Size), want = LargeMapping(NewSize);
    if (want <= have)
        return P;
    Byte* fresh = MapAligned(want);
    // The pages move into the start of the new block: no byte is copied.
    if (::mremap(P, have, have, MREMAP_MAYMOVE | MREMAP_FIXED, fresh) == MAP_FAILED) {
        std::memcpy(fresh, P, std::min(Keep, NewSize));
        ::munmap(P, have);
    }
    return fresh;
}

// ---- TBaseRecord -----------------------------------------------------------------------------

TBaseRecord::TBaseRecord(Word aId, TRecordBody aData) : FId(aId), FData(std::move(aData))
{
    if (FData.size() > 0xFFFF)
        XlsError(ErrInternal);
}

TBaseRecord::~TBaseRecord()
{
    // A long CONTINUE chain is released link by link, not by recursion.
    std::unique_ptr<TContinueRecord> c = std::move(FContinue);
    while (c) {
        std::unique_ptr<TContinueRecord> next = std::move(c->FContinue);
        c = std::move(next);
    }
}

void TBaseRecord::SetData(TRecordBody aData)
{
    if (aData.size() > 0xFFFF)
        XlsError(ErrInternal);
    TSizeChange change(*this);
    FData = std::move(aData);
}

void TBaseRecord::SizeChanged(Int64 Before)
{
    if (FOwner)
        FOwner->AdaptSize(TotalSize() - Before);
}

std::unique_ptr<TBaseRecord> TBaseRecord::Create(Word aId, TRecordBody aData) const
{
    return std::make_unique<TBaseRecord>(aId, std::move(aData));
}

void TBaseRecord::CopyContinueTo(TBaseRecord& Target) const
{
    TBaseRecord* tail = &Target;
    for (const TContinueRecord* c = FContinue.get(); c; c = c->FContinue.get()) {
        tail->FContinue = std::make_unique<TContinueRecord>(c->FId, c->FData);
        tail = tail->FContinue.get();
    }
}

std::unique_ptr<TBaseRecord> TBaseRecord::DoCopyTo() const
{
    std::unique_ptr<TBaseRecord> copy = Create(FId, FData);
    CopyContinueTo(*copy);
    return copy;
}

void TBaseRecord::SaveToStream(TOle2File& Workbook)
{
    for (TBaseRecord* r = this; r; r = r->FContinue.get()) {
        Workbook.WriteHeader(r->FId, r->DataSize());
        if (r->DataSize() > 0)
            Workbook.WriteMem(r->FData.data(), r->DataSize());
    }
}

Int64 TBaseRecord::TotalSize() const
{
    Int64 size = 0;
    for (const TBaseRecord* r = this; r; r = r->FContinue.get())
        size += 4 + r->DataSize();
    return size;
}

Int64 TBaseRecord::TotalSizeNoHeaders() const
{
    Int64 size = 0;
    for (const TBaseRecord* r = this; r; r = r->FContinue.get())
        size += r->DataSize();
    return size;
}

void TBaseRecord::AttachRecord(std::unique_ptr<TBaseRecord> Rec)
{
    XlsError(ErrExcelInvalid);
}

void TBaseRecord::AddContinue(std::unique_ptr<TContinueRecord> Cont)
{
    if (FContinue)
        XlsError(ErrInvalidContinue);
    TSizeChange change(*this);
    FContinue = std::move(Cont);
}

void TBaseRecord::SaveDataToStream(TOle2File& Workbook, const Byte* OtherData)
{
    Workbook.WriteHeader(FId, DataSize());
    if (DataSize() > 0)
        Workbook.WriteMem(OtherData, DataSize());
}

std::unique_ptr<TBaseRecord> TContinueRecord::Create(Word aId, TRecordBody aData) const
{
    return std::make_unique<TContinueRecord>(aId, std::move(aData));
}

std::unique_ptr<TBaseRecord> TIgnoreRecord::Create(Word aId, TRecordBody aData) const
{
    return std::make_unique<TIgnoreRecord>(aId, std::move(aData));
}

std::unique_ptr<TBaseRecord> TSubListRecord::Create(Word aId, TRecordBody aData) const
{
    // A copy stands for no list: the copy's owner builds its own.
    return std::make_unique<TSubListRecord>(nullptr);
}

void TSubListRecord::SaveToStream(TOle2File& Workbook)
{
    if (FList)
        FList->SaveToStream(Workbook);
}

// ---- Row and column records ------------------------------------------------------------------

TBaseRowColRecord::TBaseRowColRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 4)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(aId)});
}

std::unique_ptr<TBaseRecord> TBaseRowColRecord::Create(Word aId, TRecordBody aData) const
{
    return std::make_unique<TBaseRowColRecord>(aId, std::move(aData));
}

void TBaseRowColRecord::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                                 Integer aColCount, const TSheetInfo& SheetInfo)
{
    if (DataSize() < 4)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(FId)});
    if (SheetInfo.InsSheet < 0 || SheetInfo.InsSheet != SheetInfo.FormulaSheet)
        return;
    if (GetRow() >= aRowPos)
        IncWord(Data(), 0, aRowCount, 65535);
    if (GetColumn() >= aColPos)
        IncWord(Data(), 2, aColCount, 255);
}

void TBaseRowColRecord::ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset)
{
    if (DataSize() < 4)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(FId)});
    ::SetWord(Data(), 0, static_cast<Word>(GetRow() + RowOffset));
    ::SetWord(Data(), 2, static_cast<Word>(GetColumn() + ColOffset));
}

TCellRecord::TCellRecord(Word aId, TRecordBody aData) : TBaseRowColRecord(aId, std::move(aData))
{
    // Every cell carries its XF index after row and column.
    if (DataSize() < 6)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(aId)});
}

TCellRecord::TCellRecord(Word aId, Word aDataSize, Word aRow, Word aCol, Word aXF)
    : TCellRecord(aId, TRecordBody(aDataSize < 6 ? 6 : aDataSize)) // held inside the record
{
    SetRow(aRow);
    SetColumn(aCol);
    SetXF(aXF);
}

std::unique_ptr<TBaseRecord> TCellRecord::Create(Word aId, TRecordBody aData) const
{
    return std::make_unique<TCellRecord>(aId, std::move(aData));
}

// ---- Reading over CONTINUE records -----------------------------------------------------------

void ReadMem(const TBaseRecord*& Rec, Integer& Pos, Integer Size, void* Buffer)
{
    Byte* out = static_cast<Byte*>(Buffer);
    // A loop, not recursion: a chain of many empty CONTINUE records costs no stack.
    while (Size > 0) {
        if (!Rec || Pos > Rec->DataSize())
            XlsError(ErrReadingRecord);
        if (Pos == Rec->DataSize()) {
            Rec = Rec->Continue();
            Pos = 0;
            if (!Rec)
                XlsError(ErrReadingRecord);
            continue;
        }
        Integer n = std::min<Integer>(Size, Rec->DataSize() - Pos);
        if (out) {
            std::memcpy(out, Rec->Data() + Pos, static_cast<size_t>(n));
            out += n;
        }
        Pos += n;
        Size -= n;
    }
}

void ReadStr(const TBaseRecord*& Rec, Integer& Pos, std::string& ShortData, WideString& WideData,
             Byte& OptionFlags, Byte& ActualOptionFlags, Integer& DestPos, Integer StrLen)
{
    while (DestPos < StrLen) {
        if (!Rec || Pos > Rec->DataSize())
            XlsError(ErrReadingRecord);
        if (Pos == Rec->DataSize()) {
            // A string that runs on opens the next CONTINUE with its chunk's option byte.
            Rec = Rec->Continue();
            if (!Rec || Rec->DataSize() < 1)
                XlsError(ErrReadingRecord);
            ActualOptionFlags = Rec->Data()[0];
            Pos = 1;
            if ((ActualOptionFlags & 1) && !(OptionFlags & 1)) {
                for (Integer i = 0; i < DestPos; ++i)
                    WideData[i] = static_cast<WideChar>(static_cast<Byte>(ShortData[i]));
                OptionFlags |= 1;
            }
            continue;
        }
        const bool chunk16 = ActualOptionFlags & 1;
        const Integer bytesPerChar = chunk16 ? 2 : 1;
        Integer chars = std::min<Integer>(StrLen - DestPos, (Rec->DataSize() - Pos) / bytesPerChar);
        if (chars == 0) {
            // Half a 16-bit character left in the record: the data is cut in the wrong place.
            XlsError(ErrReadingRecord);
        }
        const Byte* src = Rec->Data() + Pos;
        for (Integer i = 0; i < chars; ++i) {
            if (chunk16)
                WideData[DestPos + i] = static_cast<WideChar>(GetWord(src, 2 * i));
            else if (OptionFlags & 1)
                WideData[DestPos + i] = static_cast<WideChar>(src[i]);
            else
                ShortData[DestPos + i] = static_cast<char>(src[i]);
        }
        Pos += chars * bytesPerChar;
        DestPos += chars;
    }
}
