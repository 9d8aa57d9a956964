#include "RudUvud/xlsadapter/XlsSST.h"

#include "RudUvud/xlsadapter/OtherRecords.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

using namespace zivXlsMessages;

namespace {

constexpr Integer RecBufSize = 8228; // 4 header bytes + the BIFF8 limit of 8,224 data bytes

// Offsets inside an entry.
constexpr Integer eRefs = 0, eIndex = 4, eStr = TSST::EntryHeaderSize;

Integer StoredHeaderSize(Byte Options)
{
    return 3 + ((Options & 8) ? 2 : 0) + ((Options & 4) ? 4 : 0);
}

} // namespace

void TSST::SetItems(Integer Index, Int64 Ref)
{
    Settle();
    FList.at(static_cast<size_t>(Index)) = Ref;
    DropIndex();
}

void TSST::Insert(Integer Index, Int64 Ref)
{
    Settle();
    FList.insert(FList.begin() + Index, Ref);
    DropIndex();
}

void TSST::Delete(Integer Index)
{
    Settle();
    FList.erase(FList.begin() + Index);
    DropIndex();
}

TSST::~TSST()
{
    *FLink = nullptr;
    LargeFree(FMem, static_cast<size_t>(FCapacity));
}

void TSST::Clear()
{
    FSortPending = false;
    DropIndex();
    FList.clear();
    FWritten.clear();
    LargeFree(FMem, static_cast<size_t>(FCapacity));
    FMem = nullptr;
    FCapacity = 0;
    FUsed = 0;
}

void TSST::Grow(Int64 Capacity)
{
    if (Capacity <= FCapacity)
        return;
    FMem = static_cast<Byte*>(LargeGrow(FMem, static_cast<size_t>(FCapacity), static_cast<size_t>(Capacity),
                                        static_cast<size_t>(FUsed)));
    FCapacity = Capacity;
}

Int64 TSST::Reserve(Int64 Bytes)
{
    Int64 at = FUsed;
    if (FUsed + Bytes > FCapacity)
        Grow(std::max<Int64>({FUsed + Bytes, FCapacity * 2, 4096}));
    FUsed += Bytes;
    return at;
}

void TSST::IncRef(Int64 Ref)
{
    LongWord n = RefCount(Ref);
    if (n == 0xFFFFFFFF)
        XlsError(ErrTooManyEntries, {Int64(n) + 1, Int64(0xFFFFFFFF)});
    SetLongWord(GetEntry(Ref), eRefs, n + 1);
}

void TSST::DecRef(Int64 Ref)
{
    LongWord n = RefCount(Ref);
    if (n > 0)
        SetLongWord(GetEntry(Ref), eRefs, n - 1);
}

Int64 TSST::EntrySize(Int64 Ref) const
{
    const Byte* e = GetEntry(Ref);
    Word count = GetWord(e, eStr);
    Byte opt = e[eStr + 2];
    Int64 size = eStr + 3 + static_cast<Int64>(count) * ((opt & 1) ? 2 : 1);
    Integer p = eStr + 3;
    if (opt & 8) {
        size += 2 + 4 * static_cast<Int64>(GetWord(e, p));
        p += 2;
    }
    if (opt & 4)
        size += 4 + static_cast<Int64>(GetLongWord(e, p));
    return size;
}

WideString TSST::EntryText(Int64 Ref) const
{
    WideString s;
    EntryTextTo(Ref, s);
    return s;
}

void TSST::EntryTextTo(Int64 Ref, WideString& Text) const
{
    const Byte* e = GetEntry(Ref);
    const Word count = GetWord(e, eStr);
    const Byte opt = e[eStr + 2];
    const Byte* chars = e + eStr + StoredHeaderSize(opt);
    Text.resize(count);
    WideChar* out = Text.data();
    if (opt & 1) {
        for (Word i = 0; i < count; ++i)
            out[i] = static_cast<WideChar>(chars[2 * i] | (chars[2 * i + 1] << 8));
    } else {
        for (Word i = 0; i < count; ++i)
            out[i] = chars[i];
    }
}

TRTFRunList TSST::EntryRuns(Int64 Ref) const
{
    const Byte* e = GetEntry(Ref);
    Word count = GetWord(e, eStr);
    Byte opt = e[eStr + 2];
    TRTFRunList runs;
    if (!(opt & 8))
        return runs;
    Word n = GetWord(e, eStr + 3);
    const Byte* p = e + eStr + StoredHeaderSize(opt) + static_cast<Int64>(count) * ((opt & 1) ? 2 : 1);
    for (Word i = 0; i < n; ++i)
        runs.push_back({GetWord(p, 4 * i), GetWord(p, 4 * i + 2)});
    return runs;
}

Integer TSST::CompareEntries(Int64 A, Int64 B) const
{
    Int64 sa = EntrySize(A), sb = EntrySize(B);
    if (sa != sb)
        return sa < sb ? -1 : 1;
    Integer c = std::memcmp(GetEntry(A) + eStr, GetEntry(B) + eStr, static_cast<size_t>(sa - eStr));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

size_t TSST::EntryHash(Int64 Ref) const
{
    const Byte* e = GetEntry(Ref) + eStr;
    return std::hash<std::string_view>()(
        std::string_view(reinterpret_cast<const char*>(e), static_cast<size_t>(EntrySize(Ref) - eStr)));
}

bool TSST::SameEntry(Int64 A, Int64 B) const
{
    Int64 sa = EntrySize(A);
    return sa == EntrySize(B) &&
           std::memcmp(GetEntry(A) + eStr, GetEntry(B) + eStr, static_cast<size_t>(sa - eStr)) == 0;
}

size_t TSST::Probe(Int64 Ref, size_t Hash) const
{
    const size_t mask = FIndex.size() - 1;
    for (size_t at = Hash & mask;; at = (at + 1) & mask) {
        const TSlot& slot = FIndex[at];
        if (slot.Index < 0 || (slot.Tag == static_cast<LongWord>(Hash) &&
                               SameEntry(FList[static_cast<size_t>(slot.Index)], Ref)))
            return at;
    }
}

void TSST::UpdateIndex(Integer Spare) const
{
    Settle();
    if (FIndexed == Count() && !FIndex.empty() && 3 * FIndex.size() >= 4 * (FList.size() + Spare) + 4)
        return;
    // Kept at most three quarters full: probes stay short (eight slots share a cache line) and
    // always end at a free slot, and the table stays small enough to stay in cache longer.
    size_t want = 16;
    while (3 * want < 4 * (FList.size() + Spare) + 4)
        want *= 2;
    if (want > FIndex.size()) {
        // The slots of the items already indexed move by their tags: they are all of different
        // entries, so none is compared with another.
        std::vector<TSlot> old(want, TSlot{0, -1});
        old.swap(FIndex);
        const size_t mask = want - 1;
        for (const TSlot& slot : old) {
            if (slot.Index < 0)
                continue;
            size_t at = slot.Tag & mask;
            while (FIndex[at].Index >= 0)
                at = (at + 1) & mask;
            FIndex[at] = slot;
        }
    }
    const Integer from = FIndexed;
    // Earlier items go in first and are never replaced, so a lookup finds the first of equal
    // entries in list order.
    for (Integer i = from; i < Count(); ++i) {
        const Int64 ref = FList[static_cast<size_t>(i)];
        const size_t hash = EntryHash(ref);
        TSlot& slot = FIndex[Probe(ref, hash)];
        if (slot.Index < 0)
            slot = TSlot{static_cast<LongWord>(hash), i};
    }
    FIndexed = Count();
}

bool TSST::Find(Int64 Ref, Integer& Index) const
{
    UpdateIndex();
    const TSlot& slot = FIndex[Probe(Ref, EntryHash(Ref))];
    Index = slot.Index < 0 ? Count() : slot.Index;
    return slot.Index >= 0;
}

Integer TSST::AddString(const WideString& S, const TRTFRunList& RTFRuns)
{
    if (S.size() > 0xFFFF || RTFRuns.size() > 0xFFFF)
        XlsError(ErrStringTooLarge);
    const Int64 used = FUsed;
    const bool wide = IsWide(S);
    Byte opt = (wide ? 1 : 0) | (RTFRuns.empty() ? 0 : 8);
    Int64 size = eStr + 3 + static_cast<Int64>(S.size()) * (wide ? 2 : 1);
    if (!RTFRuns.empty())
        size += 2 + 4 * static_cast<Int64>(RTFRuns.size());
    Int64 at = Reserve(size);
    Byte* e = GetEntry(at);
    std::memset(e, 0, eStr);
    SetWord(e, eStr, static_cast<Word>(S.size()));
    e[eStr + 2] = opt;
    Integer p = eStr + 3;
    if (!RTFRuns.empty()) {
        SetWord(e, p, static_cast<Word>(RTFRuns.size()));
        p += 2;
    }
    for (WideChar c : S) {
        if (wide) {
            SetWord(e, p, c);
            p += 2;
        } else {
            e[p++] = static_cast<Byte>(c);
        }
    }
    for (const TRTFRun& r : RTFRuns) {
        SetWord(e, p, r.StartChar);
        SetWord(e, p + 2, r.FontRef);
        p += 4;
    }
    // Looked up with room for one more, so a new entry goes straight into the free slot found.
    UpdateIndex(1);
    const size_t hash = EntryHash(at);
    TSlot& slot = FIndex[Probe(at, hash)];
    if (slot.Index >= 0) {
        IncRef(FList[static_cast<size_t>(slot.Index)]);
        FUsed = used; // the copy is given back
        return slot.Index;
    }
    const Integer index = Count();
    Add(at);
    SetLongWord(GetEntry(at), eRefs, 1);
    slot = TSlot{static_cast<LongWord>(hash), index};
    FIndexed = Count();
    return index;
}

namespace {

// The byte size of the string (2-byte length) at Pos when it ends inside Rec's own data, else 0.
Int64 WholeStringSize(const TBaseRecord& Rec, Integer Pos)
{
    const Int64 left = static_cast<Int64>(Rec.DataSize()) - Pos;
    if (left < 3)
        return 0;
    const Byte* d = Rec.Data() + Pos;
    const Byte opt = d[2];
    Int64 head = 3;
    Int64 tail = 0;
    if (opt & 8) {
        if (left < head + 2)
            return 0;
        tail += 4 * static_cast<Int64>(GetWord(d, static_cast<Integer>(head)));
        head += 2;
    }
    if (opt & 4) {
        if (left < head + 4)
            return 0;
        tail += GetLongWord(d, static_cast<Integer>(head));
        head += 4;
    }
    const Int64 size = head + static_cast<Int64>(GetWord(d, 0)) * ((opt & 1) ? 2 : 1) + tail;
    return size <= left ? size : 0;
}

} // namespace

void TSST::Load(const TSSTRecord& aSSTRecord)
{
    Settle();
    const TBaseRecord* rec = &aSSTRecord;
    Integer pos = 8;
    LongWord unique = aSSTRecord.UniqueCount();
    // The unique count is only an upper bound, and a table that ends early (no bytes left at
    // all) simply has fewer strings. The room reserved ahead is what the record's bytes can
    // hold (a string takes at least 3 of them), so a false count cannot make it larger.
    const Int64 bytes = aSSTRecord.TotalSizeNoHeaders();
    const Int64 strings = std::min<Int64>(unique, bytes / 3);
    Grow(FUsed + bytes + strings * eStr);
    FList.reserve(FList.size() + static_cast<size_t>(strings));
    ByteArray stored;
    for (LongWord i = 0; i < unique; ++i) {
        if (BytesLeftInChain(rec, pos, 1) == 0)
            break;
        // A string that lies whole in one record is stored as its bytes there are: the stored
        // form is the record's own. Only strings split over CONTINUE records are pieced together.
        if (const Int64 size = WholeStringSize(*rec, pos); size > 0) {
            Int64 at = Reserve(eStr + size);
            std::memset(GetEntry(at), 0, eStr);
            std::memcpy(GetEntry(at) + eStr, rec->Data() + pos, static_cast<size_t>(size));
            pos += static_cast<Integer>(size);
            FList.push_back(at); // settled above
            continue;
        }
        TExcelString s(2, rec, pos);
        Int64 at = Reserve(eStr + s.TotalSize());
        std::memset(GetEntry(at), 0, eStr);
        stored.clear();
        s.SaveToBytes(stored);
        std::memcpy(GetEntry(at) + eStr, stored.data(), stored.size());
        FList.push_back(at);
    }
}

void TSST::Sort()
{
    FSortPending = Count() > 0;
}

void TSST::SortNow() const
{
    FSortPending = false;
    if (Count() > 0)
        const_cast<TSST*>(this)->QuickSort(0, Count() - 1);
}

void TSST::QuickSort(Integer L, Integer R)
{
    Settle();
    // An introspective sort: O(n log n) whatever order a file brings its strings in (a middle
    // pivot alone turns quadratic on plausible orders such as 0, 2, 4, ..., 3, 1).
    if (L >= R)
        return;
    // Tables written in entry order (this engine's own, and many other writers') come back
    // strictly ascending; the sort would leave such a list as it is, so it is skipped. Equal
    // entries anywhere still go through the sort, which may reorder them.
    bool ascending = true;
    for (Integer i = L; i < R && ascending; ++i)
        ascending = CompareEntries(FList[static_cast<size_t>(i)], FList[static_cast<size_t>(i) + 1]) < 0;
    if (!ascending)
        std::sort(FList.begin() + L, FList.begin() + R + 1,
                  [this](Int64 A, Int64 B) { return CompareEntries(A, B) < 0; });
    DropIndex();
}

void TSST::FixRefs()
{
    Settle();
    // A table whose every entry is referenced (the common case after writing cells) stays as it
    // is, index and all.
    if (std::all_of(FList.begin(), FList.end(), [this](Int64 Ref) { return RefCount(Ref) > 0; }))
        return;
    // One compaction pass rather than deleting item by item.
    decltype(FList) kept;
    kept.reserve(FList.size());
    for (Int64 ref : FList)
        if (RefCount(ref) > 0)
            kept.push_back(ref);
    FList.swap(kept);
    DropIndex();
}

Int64 TSST::SaveOrSize(TOle2File* Out)
{
    Settle();
    Byte buf[RecBufSize];
    Int64 closed = 0;
    Integer wp = 4;
    SetWord(buf, 0, 0x00FC);
    auto closeRecord = [&]() {
        SetWord(buf, 2, static_cast<Word>(wp - 4));
        if (Out)
            Out->WriteMem(buf, wp);
        closed += wp;
        SetWord(buf, 0, xlr_CONTINUE);
        buf[4] = buf[5] = 0;
        wp = 4;
    };
    if (Out) {
        FWritten.clear();
        FWritten.resize(FList.size());
    }
    UInt64 total = 0;
    for (size_t i = 0; i < FList.size(); ++i) {
        if (Out)
            SetLongWord(GetEntry(FList[i]), eIndex, static_cast<LongWord>(i));
        total += RefCount(FList[i]);
    }
    SetLongWord(buf, 4, static_cast<LongWord>(std::min<UInt64>(total, 0xFFFFFFFF)));
    SetLongWord(buf, 8, static_cast<LongWord>(FList.size()));
    wp = 12;
    for (size_t i = 0; i < FList.size(); ++i) {
        if (RecBufSize - wp < 32)
            closeRecord();
        if (Out) {
            const auto at = static_cast<LongWord>(Out->Get_Position() + wp);
            FWritten[i] = {static_cast<Word>(at), static_cast<Word>(at >> 16), static_cast<Word>(wp)};
        }
        const Byte* e = GetEntry(FList[i]);
        const Word count = GetWord(e, eStr);
        const Byte opt = e[eStr + 2];
        const bool wide = opt & 1;
        const Integer hdr = StoredHeaderSize(opt);
        std::memcpy(buf + wp, e + eStr, hdr);
        Integer optPos = wp + 2;
        wp += hdr;
        const Byte* chars = e + eStr + hdr;
        Integer done = 0;
        while (done < count) {
            Integer room = RecBufSize - wp;
            Integer left = count - done;
            Integer fit8 = std::min(left, room);
            Integer fit16 = std::min(left, room / 2);
            // A surrogate pair is never cut by a record end: readers decode each record's chunk
            // on its own and refuse half a pair. The chunk is never empty for it, since a chunk
            // starts a string (at least 23 bytes of room) or a CONTINUE record.
            if (wide && fit16 < left && fit16 > 1) {
                const Word last = GetWord(chars, 2 * (done + fit16 - 1));
                if (last >= 0xD800 && last <= 0xDBFF)
                    --fit16;
            }
            if (wide) {
                Integer n = 0;
                while (n < fit8 && chars[2 * (done + n) + 1] == 0)
                    ++n;
                fit8 = n;
            }
            if (fit8 >= fit16) {
                buf[optPos] &= static_cast<Byte>(~1);
                for (Integer k = 0; k < fit8; ++k)
                    buf[wp + k] = wide ? chars[2 * (done + k)] : chars[done + k];
                wp += fit8;
                done += fit8;
            } else {
                buf[optPos] |= 1;
                std::memcpy(buf + wp, chars + 2 * done, static_cast<size_t>(2 * fit16));
                wp += 2 * fit16;
                done += fit16;
            }
            if (done < count) {
                closeRecord();
                optPos = 4;
                buf[4] = 0;
                wp = 5;
            }
        }
        // Runs and far-east data go on in pieces of whole runs; their CONTINUE records carry no
        // option byte.
        const Byte* tail = chars + static_cast<Int64>(count) * (wide ? 2 : 1);
        Int64 runBytes = (opt & 8) ? 4 * static_cast<Int64>(GetWord(e, eStr + 3)) : 0;
        Int64 feBytes = (opt & 4) ? static_cast<Int64>(GetLongWord(e, eStr + 3 + ((opt & 8) ? 2 : 0))) : 0;
        for (Int64 block : {runBytes, feBytes}) {
            while (block > 0) {
                Int64 piece = std::min<Int64>(block, ((RecBufSize - wp) / 4) * 4);
                std::memcpy(buf + wp, tail, static_cast<size_t>(piece));
                wp += static_cast<Integer>(piece);
                tail += piece;
                block -= piece;
                if (block > 0)
                    closeRecord();
            }
        }
    }
    SetWord(buf, 2, static_cast<Word>(wp - 4));
    if (Out)
        Out->WriteMem(buf, wp);
    return closed + wp;
}

void TSST::SaveToStream(TOle2File& DataStream)
{
    SaveOrSize(&DataStream);
    WriteExtSST(DataStream);
}

Int64 TSST::SSTRecordSize() const
{
    return const_cast<TSST*>(this)->SaveOrSize(nullptr);
}

Word TSST::ExtSSTBucketSize() const
{
    Word b = static_cast<Word>(Count() / 128 + 1);
    return b < 8 ? 8 : b;
}

Int64 TSST::ExtSSTRecordSize() const
{
    Integer b = ExtSSTBucketSize();
    Int64 buckets = Count() == 0 ? 0 : (Count() - 1) / b + 1;
    return 6 + 8 * buckets;
}

void TSST::WriteExtSST(TOle2File& DataStream)
{
    Settle();
    Integer b = ExtSSTBucketSize();
    Int64 buckets = Count() == 0 ? 0 : (Count() - 1) / b + 1;
    ByteArray data(static_cast<size_t>(4 + 2 + 8 * buckets), 0);
    SetWord(data.data(), 0, 0x00FF);
    SetWord(data.data(), 2, static_cast<Word>(2 + 8 * buckets));
    SetWord(data.data(), 4, static_cast<Word>(b));
    Integer p = 6;
    for (Integer i = 0; i < Count(); i += b) {
        SetLongWord(data.data(), p, EntryStreamPosition(FList[i]));
        SetWord(data.data(), p + 4, EntryRecordOffset(FList[i]));
        p += 8;
    }
    DataStream.WriteMem(data.data(), static_cast<Integer>(data.size()));
}

// ---- LABELSST ---------------------------------------------------------------------------------

TLabelSSTRecord::TLabelSSTRecord(Word aId, TRecordBody aData) : TCellRecord(aId, std::move(aData))
{
    if (DataSize() < 10)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(aId)});
}

TLabelSSTRecord::TLabelSSTRecord(Word aRow, Word aCol, Word aXF, TSST* aSST)
    : TCellRecord(0x00FD, 10, aRow, aCol, aXF), FSST(aSST ? aSST->Link() : nullptr)
{
}

TLabelSSTRecord::~TLabelSSTRecord()
{
    if (TSST* sst = SST(); sst && FPointer >= 0)
        sst->DecRef(FPointer);
}

void TLabelSSTRecord::AttachToSST(TSST* aSST)
{
    LongWord index = GetLongWord(Data(), 6);
    if (!aSST || index >= static_cast<LongWord>(aSST->Count()))
        XlsError(ErrExcelInvalid);
    if (TSST* old = SST(); old && FPointer >= 0)
        old->DecRef(FPointer);
    FSST = aSST->Link();
    FPointer = aSST->GetItems(static_cast<Integer>(index));
    aSST->IncRef(FPointer);
}

void TLabelSSTRecord::ShareEntry(const TSST::TLink& Link, Int64 Entry)
{
    TSST* sst = Link ? *Link : nullptr;
    if (sst && Entry >= 0)
        sst->IncRef(Entry);
    if (TSST* old = SST(); old && FPointer >= 0)
        old->DecRef(FPointer);
    FSST = Link;
    FPointer = Entry;
}

TXlsVariant TLabelSSTRecord::GetValue() const
{
    return TXlsVariant::FromString(GetAsString());
}

void TLabelSSTRecord::SetValue(const TXlsVariant& Value)
{
    SetAsString(VariantToString(Value));
}

WideString TLabelSSTRecord::GetAsString() const
{
    const TSST* sst = SST();
    if (!sst || FPointer < 0)
        return WideString();
    return sst->EntryText(FPointer);
}

void TLabelSSTRecord::SetAsString(const WideString& S)
{
    SetAsRichString({S, {}});
}

TRichString TLabelSSTRecord::GetAsRichString() const
{
    const TSST* sst = SST();
    if (!sst || FPointer < 0)
        return {};
    return {sst->EntryText(FPointer), sst->EntryRuns(FPointer)};
}

void TLabelSSTRecord::SetAsRichString(const TRichString& RS)
{
    TSST* sst = SST();
    if (!sst)
        XlsError(ErrInternal);
    Int64 old = FPointer;
    Integer index = sst->AddString(RS.Text, RS.Runs);
    FPointer = sst->GetItems(index);
    if (old >= 0)
        sst->DecRef(old);
}

std::unique_ptr<TBaseRecord> TLabelSSTRecord::DoCopyTo() const
{
    auto copy = std::make_unique<TLabelSSTRecord>(FId, FData);
    CopyContinueTo(*copy);
    copy->FSST = FSST;
    copy->FPointer = FPointer;
    if (TSST* sst = SST(); sst && FPointer >= 0)
        sst->IncRef(FPointer);
    return copy;
}

void TLabelSSTRecord::SaveToStream(TOle2File& Workbook)
{
    if (const TSST* sst = SST(); sst && FPointer >= 0)
        SetLongWord(Data(), 6, sst->EntrySaveIndex(FPointer));
    TCellRecord::SaveToStream(Workbook);
}

// ---- LABEL and RSTRING ---------------------------------------------------------------------------

TXlsVariant TLabelRecord::GetValue() const
{
    const TBaseRecord* rec = this;
    Integer pos = 6;
    TExcelString s(2, rec, pos);
    return TXlsVariant::FromString(s.GetValue());
}

TXlsVariant TRStringRecord::GetValue() const
{
    return TXlsVariant::FromString(GetAsRichString().Text);
}

TRichString TRStringRecord::GetAsRichString() const
{
    const TBaseRecord* rec = this;
    Integer pos = 6;
    TExcelString s(2, rec, pos);
    TRichString rs;
    rs.Text = s.GetValue();
    Byte b[4];
    ReadMem(rec, pos, 2, b);
    Word n = GetWord(b, 0);
    for (Word i = 0; i < n; ++i) {
        ReadMem(rec, pos, 4, b);
        rs.Runs.push_back({GetWord(b, 0), GetWord(b, 2)});
    }
    return rs;
}
