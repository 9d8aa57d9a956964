// The compound document: the container of named streams an xls file is. The engine needs two
// things from it: the bytes of one stream ("Workbook") to read records from, and a way to write
// a new "Workbook" while every other stream (summary information, macros, whatever another
// program stored) comes through byte for byte.
//
// Reading. The header is checked against the two published layouts (512- or 4096-byte sectors,
// 64-byte mini sectors) before any arithmetic is done with it; the FAT is gathered from the
// header and the DIFAT chain, capped at the sectors the file holds. Every chain (DIFAT,
// directory, MiniFAT, a stream) is walked with a visited set and a step limit, so a damaged or
// hostile file that loops or points past its end is refused with the engine's invalid-file
// message rather than hanging or reading stray memory. A document held in memory is read in
// place (LoadSector hands out a pointer into it); a stream is found by its name compared without
// case, and read through the FAT or, below the cutoff, through the mini stream.
//
// Writing. The document is never edited in place. PrepareForWrite copies everything except the
// chosen stream into a fresh output: each other stream's sectors (each source sector at most
// once, so overlapping chains cannot multiply the output), the directory and the mini stream,
// with the chosen stream's entry left pointing at the end. The record writer then appends the
// new stream sequentially (AppendBytes), since a
// BIFF writer only knows the stream's length when it is done; FinishStream pads it to at least
// the mini-stream cutoff and to whole sectors, so that it is one contiguous run of regular
// sectors, and writes the FAT, the DIFAT and, last, the header that points at them. Only when all
// of that succeeded does the caller put the output in place of the old file.

#include "RudUvud/xlsadapter/Ole2File.h"

#include "RudUvud/xlsadapter/XlsMessages.h"

#include <algorithm>
#include <cstring>

using namespace zivXlsMessages;

namespace {

const Byte Ole2Signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

[[noreturn]] void Invalid()
{
    XlsError(ErrExcelInvalid);
}

bool IsRegularSector(LongWord S)
{
    return S < 0xFFFFFFFA;
}

} // namespace

// ---- TOle2MemoryStream -------------------------------------------------------------------

Int64 TOle2MemoryStream::Read(void* Buffer, Int64 Count)
{
    Int64 avail = std::max<Int64>(0, Size() - FPos);
    Int64 n = std::min(avail, std::max<Int64>(0, Count));
    if (n > 0)
        std::memcpy(Buffer, FData.data() + FPos, static_cast<size_t>(n));
    FPos += n;
    return n;
}

Int64 TOle2ViewStream::Read(void* Buffer, Int64 Count)
{
    const Int64 n = std::min(std::max<Int64>(0, FSize - FPos), std::max<Int64>(0, Count));
    if (n > 0)
        std::memcpy(Buffer, FData + FPos, static_cast<size_t>(n));
    FPos += n;
    return n;
}

void TOle2ViewStream::Write(const void*, Int64)
{
    XlsError(ErrInternal);
}

void TOle2MemoryStream::Write(const void* Buffer, Int64 Count)
{
    if (Count <= 0)
        return;
    if (FPos + Count > Size())
        FData.resize(static_cast<size_t>(FPos + Count), 0);
    std::memcpy(FData.data() + FPos, Buffer, static_cast<size_t>(Count));
    FPos += Count;
}

// ---- TOle2TStream ----------------------------------------------------------------------------

void TOle2TStream::Seek(Int64 Pos)
{
    // A gap past the end is filled with zeros, as the memory stream does.
    Int64 size = FStream->Size();
    if (Pos > size) {
        FStream->Seek(size, soBeginning);
        ByteArray zeros(static_cast<size_t>(std::min<Int64>(Pos - size, 1 << 16)), 0);
        for (Int64 left = Pos - size; left > 0;) {
            Integer n = static_cast<Integer>(std::min<Int64>(left, static_cast<Int64>(zeros.size())));
            FStream->WriteBuffer(zeros.data(), n);
            left -= n;
        }
    }
    FStream->Seek(Pos < 0 ? 0 : Pos, soBeginning);
}

Int64 TOle2TStream::Read(void* Buffer, Int64 Count)
{
    Int64 done = 0;
    Byte* out = static_cast<Byte*>(Buffer);
    while (done < Count) {
        Integer n = FStream->Read(out + done, static_cast<Integer>(std::min<Int64>(Count - done, 1 << 30)));
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

void TOle2TStream::Write(const void* Buffer, Int64 Count)
{
    const Byte* in = static_cast<const Byte*>(Buffer);
    for (Int64 done = 0; done < Count;) {
        Integer n = static_cast<Integer>(std::min<Int64>(Count - done, 1 << 30));
        FStream->WriteBuffer(in + done, n);
        done += n;
    }
}

// ---- UInt32List, TOle2Header ------------------------------------------------------------

void UInt32List::SetCapacity(Integer C)
{
    if (C > Count())
        FItems.reserve(static_cast<size_t>(C));
}

LongWord UInt32List::Items(Int64 Index) const
{
    if (Index < 0 || Index >= Count())
        Invalid();
    return FItems[static_cast<size_t>(Index)];
}

void UInt32List::SetItems(Int64 Index, LongWord V)
{
    if (Index < 0 || Index >= Count())
        Invalid();
    FItems[static_cast<size_t>(Index)] = V;
}

LongWord TOle2Header::FATCount() const
{
    return GetLongWord(Data, 44);
}
void TOle2Header::SetFATCount(LongWord V)
{
    SetLongWord(Data, 44, V);
}
LongWord TOle2Header::FirstDirSector() const
{
    return GetLongWord(Data, 48);
}
void TOle2Header::SetFirstDirSector(LongWord V)
{
    SetLongWord(Data, 48, V);
}
LongWord TOle2Header::FirstMiniFATSector() const
{
    return GetLongWord(Data, 60);
}
void TOle2Header::SetFirstMiniFATSector(LongWord V)
{
    SetLongWord(Data, 60, V);
}
LongWord TOle2Header::MiniFATCount() const
{
    return GetLongWord(Data, 64);
}
LongWord TOle2Header::FirstDIFATSector() const
{
    return GetLongWord(Data, 68);
}
void TOle2Header::SetFirstDIFATSector(LongWord V)
{
    SetLongWord(Data, 68, V);
}
LongWord TOle2Header::DIFATCount() const
{
    return GetLongWord(Data, 72);
}
void TOle2Header::SetDIFATCount(LongWord V)
{
    SetLongWord(Data, 72, V);
}

// ---- TOle2Directory -----------------------------------------------------------------------

TOle2Directory::TOle2Directory(const Byte* Entry)
{
    std::memcpy(Data, Entry, EntrySize);
    StreamSize = GetSize(Data, 0);
}

Integer TOle2Directory::GetNameSize(const Byte* Buf, Integer Offset)
{
    return Buf[Offset + 64];
}

WideString TOle2Directory::GetName(const Byte* Buf, Integer Offset)
{
    Integer n = GetNameSize(Buf, Offset);
    if (n < 2 || n > 64)
        return WideString();
    WideString name((n - 2) / 2, u'\0');
    for (size_t i = 0; i < name.size(); ++i)
        name[i] = static_cast<WideChar>(GetWord(Buf, Offset + static_cast<Integer>(2 * i)));
    return name;
}

LongWord TOle2Directory::GetLeftSid(const Byte* Buf, Integer Offset)
{
    return GetLongWord(Buf, Offset + 68);
}
LongWord TOle2Directory::GetRightSid(const Byte* Buf, Integer Offset)
{
    return GetLongWord(Buf, Offset + 72);
}
LongWord TOle2Directory::GetChildSid(const Byte* Buf, Integer Offset)
{
    return GetLongWord(Buf, Offset + 76);
}
void TOle2Directory::SetLeftSid(Byte* Buf, Integer Offset, LongWord V)
{
    SetLongWord(Buf, Offset + 68, V);
}
void TOle2Directory::SetRightSid(Byte* Buf, Integer Offset, LongWord V)
{
    SetLongWord(Buf, Offset + 72, V);
}
void TOle2Directory::SetChildSid(Byte* Buf, Integer Offset, LongWord V)
{
    SetLongWord(Buf, Offset + 76, V);
}
LongWord TOle2Directory::GetSectStart(const Byte* Buf, Integer Offset)
{
    return GetLongWord(Buf, Offset + 116);
}
void TOle2Directory::SetSectStart(Byte* Buf, Integer Offset, LongWord V)
{
    SetLongWord(Buf, Offset + 116, V);
}
LongWord TOle2Directory::GetSize(const Byte* Buf, Integer Offset)
{
    return GetLongWord(Buf, Offset + 120);
}
void TOle2Directory::SetSize(Byte* Buf, Integer Offset, LongWord V)
{
    SetLongWord(Buf, Offset + 120, V);
}

void TOle2Directory::Clear(Byte* Buf, Integer Offset)
{
    std::memset(Buf + Offset, 0, 68);
    SetLeftSid(Buf, Offset, 0xFFFFFFFF);
    SetRightSid(Buf, Offset, 0xFFFFFFFF);
    SetChildSid(Buf, Offset, 0xFFFFFFFF);
    std::memset(Buf + Offset + 80, 0, 48);
}

void TOle2Directory::Set_Name(const WideString& Name)
{
    if (Name.size() > 31)
        XlsError(ErrTooManyEntries, {static_cast<Int64>(Name.size() * 2), Int64(62)});
    for (size_t i = 0; i < 32; ++i)
        SetWord(Data, static_cast<Integer>(2 * i), i < Name.size() ? static_cast<Word>(Name[i]) : 0);
    SetWord(Data, 64, static_cast<Word>(2 * Name.size() + 2));
}

// ---- TOle2File: opening -----------------------------------------------------------------

TOle2File::TOle2File(TOle2Stream* AStream, bool AllowNonCompound)
    : FStream(AStream), FHeader(std::make_unique<TOle2Header>()), FFAT(std::make_unique<TOle2FAT>()),
      FMiniFAT(std::make_unique<TOle2MiniFAT>())
{
    TOle2Header& h = *FHeader;
    h.StartOffset = FStream->Position();
    Int64 remaining = FStream->Size() - h.StartOffset;
    bool valid = remaining >= 512;
    if (valid) {
        FStream->Read(h.Data, 76);
        valid = std::memcmp(h.Data, Ole2Signature, 8) == 0;
    }
    // Only the layouts of the published format are accepted: 512-byte sectors (version 3) or
    // 4096-byte sectors (version 4), with 64-byte mini sectors. Any other shift would make the
    // sector arithmetic meaningless.
    if (valid) {
        h.SectorShift = GetWord(h.Data, 30);
        h.MiniSectorShift = GetWord(h.Data, 32);
        h.MiniCutoff = GetLongWord(h.Data, 56);
        // The cutoff is fixed by the format; any other value would size the written stream's
        // padding from the file.
        valid = (h.SectorShift == 9 || h.SectorShift == 12) && h.MiniSectorShift == 6 && h.MiniCutoff == 4096;
    }
    if (!valid) {
        if (AllowNonCompound) {
            FNotXls = true;
            h.NotXls = true;
            FStream->Seek(h.StartOffset);
            return;
        }
        XlsError(ErrFileIsNotXLS, {AnsiString()});
    }
    h.SectorSize = 1u << h.SectorShift;
    // Sectors that begin inside the stream; a document cannot refer to any other.
    FFileSectors = std::max<Int64>(0, (remaining - h.SectorSize + h.SectorSize - 1) / h.SectorSize);
    FSector.assign(h.SectorSize, 0);
    ReadFAT();
    ReadMiniFAT();
    std::vector<LongWord> dirs = DirectoryChain();
    if (dirs.empty())
        Invalid();
    ByteArray buf(h.SectorSize);
    ReadSectorInto(dirs[0], buf.data());
    FRoot = std::make_unique<TOle2Directory>(buf.data());
}

TOle2File::~TOle2File()
{
    if (FPrepared && !FFinished) {
        try {
            FinishStream();
        } catch (...) {
            // A destructor must not throw; callers that need the error call FinishStream first.
        }
    }
}

void TOle2File::ReadSectorInto(Int64 Sector, Byte* Buf)
{
    if (Sector < 0 || Sector >= FFileSectors)
        Invalid();
    FStream->Seek(FHeader->SectorPos(Sector));
    Int64 got = FStream->Read(Buf, FHeader->SectorSize);
    // The last sector of a file may be cut short; its missing bytes read as zeros.
    if (got < FHeader->SectorSize)
        std::memset(Buf + std::max<Int64>(got, 0), 0,
                    static_cast<size_t>(FHeader->SectorSize - std::max<Int64>(got, 0)));
}

const Byte* TOle2File::LoadSector(Int64 Sector)
{
    // A document in memory is read in place: no copy of each sector.
    if (Sector >= 0 && Sector < FFileSectors)
        if (const Byte* direct = FStream->Direct(FHeader->SectorPos(Sector), FHeader->SectorSize))
            return direct;
    if (FSectorNo != Sector) {
        FSectorNo = -1;
        DropRun();
        ReadSectorInto(Sector, FSector.data());
        FSectorNo = Sector;
    }
    return FSector.data();
}

void TOle2File::ReadFAT()
{
    TOle2Header& h = *FHeader;
    const Int64 perSector = h.SectorSize / 4;
    // A FAT longer than the sectors the file holds describes nothing: cap it there, which also
    // bounds what free DIFAT entries may add.
    const Int64 maxEntries = std::max<Int64>(109, FFileSectors / perSector + 1) * perSector;
    FFAT->SetCapacity(static_cast<Integer>(
        std::min<Int64>(maxEntries, (std::min<Int64>(h.FATCount(), FFileSectors) + 1) * perSector + 125)));
    ByteArray sector(h.SectorSize);
    bool done = false;
    auto processBlock = [&](const Byte* Block, Integer Bytes) {
        for (Integer i = 0; i + 4 <= Bytes && !done; i += 4) {
            LongWord e = GetLongWord(Block, i);
            if (e == Ole2EndOfChain)
                return; // ends this block; the DIFAT chain goes on
            if (FFAT->Count() + perSector > maxEntries) {
                done = true;
                return;
            }
            if (e == Ole2FreeSector) {
                for (Int64 k = 0; k < perSector; ++k)
                    FFAT->Add(Ole2FreeSector);
                continue;
            }
            ReadSectorInto(e, sector.data());
            for (Int64 k = 0; k < perSector; ++k)
                FFAT->Add(GetLongWord(sector.data(), static_cast<Integer>(4 * k)));
        }
    };
    Byte headerDifat[436];
    FStream->Seek(h.StartOffset + 76);
    if (FStream->Read(headerDifat, 436) != 436)
        Invalid();
    processBlock(headerDifat, 436);
    // The DIFAT chain: as many sectors as the header counts, never more than the file holds and
    // never the same sector twice.
    LongWord next = h.FirstDIFATSector();
    Int64 count = h.DIFATCount();
    if (count > FFileSectors)
        Invalid();
    std::vector<bool> seen(static_cast<size_t>(FFileSectors), false);
    ByteArray difat(h.SectorSize);
    for (Int64 i = 0; i < count && !done; ++i) {
        if (!IsRegularSector(next) || next >= FFileSectors || seen[next])
            Invalid();
        seen[next] = true;
        ReadSectorInto(next, difat.data());
        processBlock(difat.data(), static_cast<Integer>(h.SectorSize - 4));
        next = GetLongWord(difat.data(), static_cast<Integer>(h.SectorSize - 4));
    }
}

std::vector<LongWord> TOle2File::FollowChain(const UInt32List& Fat, LongWord Start, Int64 MaxSteps) const
{
    // Every chain is walked with a visited set: a loop in a damaged document is refused at once.
    std::vector<LongWord> chain;
    std::vector<bool> seen(static_cast<size_t>(Fat.Count()), false);
    LongWord s = Start;
    while (s != Ole2EndOfChain) {
        if (!IsRegularSector(s) || static_cast<Int64>(s) >= Fat.Count() || seen[s])
            Invalid();
        if (MaxSteps >= 0 && static_cast<Int64>(chain.size()) >= MaxSteps)
            break;
        seen[s] = true;
        chain.push_back(s);
        s = Fat.Items(s);
    }
    return chain;
}

std::vector<LongWord> TOle2File::DirectoryChain() const
{
    return FollowChain(*FFAT, FHeader->FirstDirSector(), -1);
}

void TOle2File::ReadMiniFAT()
{
    TOle2Header& h = *FHeader;
    Int64 count = h.MiniFATCount();
    if (count == 0 || h.FirstMiniFATSector() == Ole2EndOfChain)
        return;
    if (count > FFileSectors)
        Invalid();
    std::vector<LongWord> chain = FollowChain(*FFAT, h.FirstMiniFATSector(), count);
    if (static_cast<Int64>(chain.size()) < count)
        Invalid();
    ByteArray sector(h.SectorSize);
    FMiniFAT->SetCapacity(static_cast<Integer>(count * (h.SectorSize / 4)));
    for (LongWord s : chain) {
        ReadSectorInto(s, sector.data());
        for (LongWord k = 0; k < h.SectorSize / 4; ++k)
            FMiniFAT->Add(GetLongWord(sector.data(), static_cast<Integer>(4 * k)));
    }
}

const std::vector<LongWord>& TOle2File::RootChain()
{
    if (!FRootChainRead) {
        FRootChain = FollowChain(*FFAT, FRoot->Get_SectStart(), -1);
        FRootChainRead = true;
    }
    return FRootChain;
}

bool TOle2File::NameMatches(const Byte* Buf, Integer Offset, const WideString& Name) const
{
    WideString n = TOle2Directory::GetName(Buf, Offset);
    if (n.size() != Name.size())
        return false;
    auto fold = [](WideChar c) { return (c >= u'a' && c <= u'z') ? static_cast<WideChar>(c - 32) : c; };
    for (size_t i = 0; i < n.size(); ++i)
        if (fold(n[i]) != fold(Name[i]))
            return false;
    return true;
}

// ---- TOle2File: reading -----------------------------------------------------------------

void TOle2File::CheckReadState(const WideString& Name) const
{
    if (FPrepared)
        XlsError(ErrInvalidStream, {WideStringToStringNoCodePage(Name)});
}

void TOle2File::SelectStream(const WideString& StreamName)
{
    CheckReadState(StreamName);
    if (FNotXls)
        XlsError(ErrFileIsNotXLS, {AnsiString()});
    DropRun();
    FSelected.reset();
    FSelectedChain.clear();
    ByteArray buf(FHeader->SectorSize);
    for (LongWord ds : DirectoryChain()) {
        ReadSectorInto(ds, buf.data());
        for (Integer off = 0; off + TOle2Directory::EntrySize <= static_cast<Integer>(FHeader->SectorSize);
             off += TOle2Directory::EntrySize) {
            if (!NameMatches(buf.data(), off, StreamName))
                continue;
            auto entry = std::make_unique<TOle2Directory>(buf.data() + off);
            // The stream's chain must hold its stated size, without loops.
            UInt64 size = entry->StreamSize;
            if (size > 0) {
                if (size < FHeader->MiniCutoff) {
                    std::vector<LongWord> chain = FollowChain(*FMiniFAT, entry->Get_SectStart(), -1);
                    Int64 perSector = FHeader->SectorSize >> FHeader->MiniSectorShift;
                    Int64 rootSectors = static_cast<Int64>(RootChain().size());
                    if ((static_cast<UInt64>(chain.size()) << FHeader->MiniSectorShift) < size)
                        Invalid();
                    for (LongWord m : chain)
                        if (m / perSector >= rootSectors)
                            Invalid();
                    FSelectedChain = std::move(chain);
                } else {
                    std::vector<LongWord> chain = FollowChain(*FFAT, entry->Get_SectStart(), -1);
                    if ((static_cast<UInt64>(chain.size()) << FHeader->SectorShift) < size)
                        Invalid();
                    FSelectedChain = std::move(chain);
                }
            }
            FSelected = std::move(entry);
            FPosition = 0;
            return;
        }
    }
    XlsError(ErrFileIsNotXLS, {AnsiString()});
}

void TOle2File::FailPrepared()
{
    XlsError(ErrInvalidStream, {AnsiString()});
}

bool TOle2File::InSectorBuffer(const Byte* P) const
{
    const auto p = reinterpret_cast<std::uintptr_t>(P), b = reinterpret_cast<std::uintptr_t>(FSector.data());
    return p >= b && p < b + FSector.size();
}

bool TOle2File::FillRun()
{
    DropRun();
    if (!FSelected || FPrepared)
        return false;
    const Int64 size = static_cast<Int64>(FSelected->StreamSize);
    if (FPosition >= size)
        return false;
    if (FSelected->StreamSize < FHeader->MiniCutoff) {
        const Int64 unitSize = Int64(1) << FHeader->MiniSectorShift;
        const Int64 unitIndex = FPosition >> FHeader->MiniSectorShift;
        const Int64 offsetInUnit = FPosition & (unitSize - 1);
        const LongWord m = FSelectedChain[static_cast<size_t>(unitIndex)];
        const Int64 perSector = FHeader->SectorSize >> FHeader->MiniSectorShift;
        FRun = LoadSector(RootChain()[m / perSector]) + (m % perSector) * unitSize + offsetInUnit;
        FRunLeft = std::min(unitSize - offsetInUnit, size - FPosition);
        FRunInPlace = !InSectorBuffer(FRun);
        return true;
    }
    const Int64 unitSize = FHeader->SectorSize;
    const size_t unitIndex = static_cast<size_t>(FPosition >> FHeader->SectorShift);
    const Int64 offsetInUnit = FPosition & (unitSize - 1);
    const LongWord sector = FSelectedChain[unitIndex];
    FRun = LoadSector(sector) + offsetInUnit;
    FRunLeft = std::min(unitSize - offsetInUnit, size - FPosition);
    FRunInPlace = !InSectorBuffer(FRun);
    // In a document held in memory, sectors that follow each other in the chain and in the file
    // are read as one run.
    if (FRunLeft < size - FPosition && FRunInPlace) {
        size_t last = unitIndex;
        // At most RunSectors at a time, so that the stream sees the reading move on.
        constexpr size_t RunSectors = 2048;
        while (last + 1 < FSelectedChain.size() && last + 1 - unitIndex < RunSectors &&
               FSelectedChain[last + 1] == FSelectedChain[last] + 1 &&
               static_cast<Int64>(last + 1 - unitIndex) * unitSize - offsetInUnit < size - FPosition)
            ++last;
        const Int64 run =
            std::min(static_cast<Int64>(last + 1 - unitIndex) * unitSize - offsetInUnit, size - FPosition);
        if (last > unitIndex && static_cast<Int64>(FSelectedChain[last]) < FFileSectors &&
            FStream->Direct(FHeader->SectorPos(sector) + offsetInUnit, run) == FRun)
            FRunLeft = run;
    }
    return true;
}

void TOle2File::ReadMemSlow(void* Buffer, Integer Count)
{
    if (!FSelected)
        return;
    if (FPrepared)
        FailPrepared();
    if (Count <= 0)
        return;
    Int64 size = static_cast<Int64>(FSelected->StreamSize);
    if (FPosition + Count > size)
        XlsError(ErrEofReached, {FPosition + Count - size});
    Byte* out = static_cast<Byte*>(Buffer);
    Int64 left = Count;
    while (left > 0) {
        if (FRunLeft == 0 && !FillRun())
            XlsError(ErrExcelInvalid);
        const Int64 n = std::min(left, FRunLeft);
        if (out) {
            std::memcpy(out, FRun, static_cast<size_t>(n));
            out += n;
        }
        FRun += n;
        FRunLeft -= n;
        FPosition += n;
        left -= n;
    }
}

void TOle2File::Read(ByteArray& Data, Integer Count)
{
    if (Data.empty())
        return;
    if (Count > static_cast<Integer>(Data.size()))
        XlsError(ErrInternal);
    ReadMem(Data.data(), Count);
}

bool TOle2File::Get_Eof() const
{
    if (FPrepared)
        XlsError(ErrInvalidStream, {AnsiString()});
    return FPosition >= Get_Length();
}

Int64 TOle2File::Get_Position() const
{
    return FPosition;
}

void TOle2File::SeekForward(UInt64 Position)
{
    if (static_cast<Int64>(Position) < FPosition)
        XlsError(ErrInvalidPropertySector);
    Int64 left = static_cast<Int64>(Position) - FPosition;
    while (left > 0) {
        Integer n = static_cast<Integer>(std::min<Int64>(left, 0x10000));
        ReadMem(nullptr, n);
        left -= n;
    }
}

// ---- TOle2File: deleting directory entries ----------------------------------------------

void TOle2File::ReadDirs(TDirEntryList& Entries)
{
    ByteArray buf(FHeader->SectorSize);
    for (LongWord ds : DirectoryChain()) {
        ReadSectorInto(ds, buf.data());
        for (Integer off = 0; off + TOle2Directory::EntrySize <= static_cast<Integer>(FHeader->SectorSize);
             off += TOle2Directory::EntrySize) {
            TOneDirEntry e;
            e.Name = TOle2Directory::GetName(buf.data(), off);
            e.Color = TOle2Directory::GetColor(buf.data(), off) == DECOLOR_RED ? DECOLOR_RED : DECOLOR_BLACK;
            e.LeftSid = static_cast<Integer>(TOle2Directory::GetLeftSid(buf.data(), off));
            e.RightSid = static_cast<Integer>(TOle2Directory::GetRightSid(buf.data(), off));
            e.ChildSid = static_cast<Integer>(TOle2Directory::GetChildSid(buf.data(), off));
            Entries.push_back(e);
        }
    }
}

bool TOle2File::ApplyDeletions(TDirEntryList& E, const StringArray& Names) const
{
    const Integer n = static_cast<Integer>(E.size());
    auto valid = [&](Integer i) { return i >= 0 && i < n; };
    bool deletedBlack = false;
    // Mark the named entries and everything below them; every walk keeps a visited set, so a
    // damaged tree cannot make it loop.
    for (Integer i = 1; i < n; ++i) {
        if (std::find(Names.begin(), Names.end(), E[i].Name) == Names.end() || E[i].Deleted)
            continue;
        E[i].Deleted = true;
        if (E[i].Color == DECOLOR_BLACK)
            deletedBlack = true;
        std::vector<Integer> stack{E[i].ChildSid};
        std::vector<bool> seen(n, false);
        while (!stack.empty()) {
            Integer k = stack.back();
            stack.pop_back();
            if (!valid(k) || k == 0 || seen[k])
                continue;
            seen[k] = true;
            E[k].Deleted = true;
            stack.push_back(E[k].ChildSid);
            stack.push_back(E[k].LeftSid);
            stack.push_back(E[k].RightSid);
        }
    }
    // Replaces a link to a deleted node by the node that takes its place in the tree.
    auto fix = [&](Integer link) {
        for (Integer guard = 0; guard <= n && valid(link) && link > 0 && E[link].Deleted; ++guard) {
            TOneDirEntry& d = E[link];
            Integer l = valid(d.LeftSid) ? d.LeftSid : -1;
            Integer r = valid(d.RightSid) ? d.RightSid : -1;
            if (l < 0 || r < 0) {
                link = l >= 0 ? l : r;
                continue;
            }
            Integer parent = -1, m = r;
            for (Integer steps = 0; steps <= n && valid(E[m].LeftSid) && E[m].LeftSid != m; ++steps) {
                parent = m;
                m = E[m].LeftSid;
            }
            if (parent >= 0) {
                E[parent].LeftSid = E[m].RightSid;
                E[m].RightSid = r;
            }
            E[m].LeftSid = l;
            link = m;
        }
        return valid(link) ? link : -1;
    };
    E[0].ChildSid = fix(E[0].ChildSid);
    std::vector<bool> seen(n, false);
    std::vector<Integer> stack{E[0].ChildSid};
    while (!stack.empty()) {
        Integer k = stack.back();
        stack.pop_back();
        if (!valid(k) || k == 0 || seen[k] || E[k].Deleted)
            continue;
        seen[k] = true;
        E[k].LeftSid = fix(E[k].LeftSid);
        E[k].RightSid = fix(E[k].RightSid);
        E[k].ChildSid = fix(E[k].ChildSid);
        stack.push_back(E[k].LeftSid);
        stack.push_back(E[k].RightSid);
        stack.push_back(E[k].ChildSid);
    }
    return deletedBlack;
}

// ---- TOle2File: writing -----------------------------------------------------------------

void TOle2File::PrepareForWrite(TOle2Stream* Output, const WideString& StreamName,
                                const StringArray& NamesToDelete)
{
    if (FPrepared || FNotXls)
        XlsError(ErrInvalidStream, {AnsiString()});
    TOle2Header& h = *FHeader;
    const Int64 ssz = h.SectorSize;
    FEntryPosition = -1;
    auto newFat = std::make_unique<TOle2FAT>();
    const Int64 newStart = Output->Position();
    FSelected.reset();

    TDirEntryList tree;
    bool treeRead = !NamesToDelete.empty();
    bool deletedBlack = false;
    if (treeRead) {
        ReadDirs(tree);
        deletedBlack = ApplyDeletions(tree, NamesToDelete);
    }

    Byte outHeader[76];
    std::memcpy(outHeader, h.Data, 76);
    auto outSectorPos = [&](Int64 n) { return newStart + (n + 1) * ssz; };
    Output->Seek(outSectorPos(0));
    ByteArray dirBuf(ssz), dataBuf(ssz);
    std::unique_ptr<TOle2Directory> selected;
    Int64 prevDirFatIndex = -1;
    Integer entryIndex = 0;
    bool found = false;

    // Every source sector is copied at most once: streams of a sound document never share
    // sectors, and a damaged one whose chains overlap would otherwise multiply the output.
    std::vector<bool> copied(static_cast<size_t>(FFAT->Count()), false);
    auto takeSector = [&](LongWord Sector) {
        if (Sector >= copied.size() || copied[Sector])
            Invalid();
        copied[Sector] = true;
    };
    auto appendSector = [&](const Byte* Buf) {
        Output->Write(Buf, ssz);
        if (Output->Position() != outSectorPos(newFat->Count() + 1))
            XlsError(ErrNewStreamIO);
    };

    for (LongWord ds : DirectoryChain()) {
        takeSector(ds);
        ReadSectorInto(ds, dirBuf.data());
        Integer selectedOffset = -1;
        for (Integer off = 0; off + TOle2Directory::EntrySize <= ssz;
             off += TOle2Directory::EntrySize, ++entryIndex) {
            Byte* e = dirBuf.data();
            if (deletedBlack)
                TOle2Directory::SetColor(e, off, DECOLOR_BLACK);
            if (treeRead && entryIndex < static_cast<Integer>(tree.size())) {
                const TOneDirEntry& t = tree[entryIndex];
                if (t.Deleted) {
                    TOle2Directory::Clear(e, off);
                    continue;
                }
                TOle2Directory::SetLeftSid(e, off, static_cast<LongWord>(t.LeftSid));
                TOle2Directory::SetRightSid(e, off, static_cast<LongWord>(t.RightSid));
                TOle2Directory::SetChildSid(e, off, static_cast<LongWord>(t.ChildSid));
            }
            Byte type = TOle2Directory::GetType(e, off);
            if (type != STGTY_STREAM && type != STGTY_ROOT)
                continue;
            bool isTarget = type == STGTY_STREAM && !found && NameMatches(e, off, StreamName);
            LongWord size = TOle2Directory::GetSize(e, off);
            if (type == STGTY_STREAM && size < h.MiniCutoff && !isTarget)
                continue; // its data stays in the root's mini stream
            if (isTarget) {
                TOle2Directory::SetSectStart(e, off, Ole2EndOfChain);
                TOle2Directory::SetSize(e, off, 0);
                selected = std::make_unique<TOle2Directory>(e + off);
                selectedOffset = off;
                found = true;
                continue;
            }
            // Copy the entry's chain. Its length is bounded by the source FAT and checked for
            // loops; a chain shorter than the stated size gives a size that matches what was copied.
            LongWord start = TOle2Directory::GetSectStart(e, off);
            std::vector<LongWord> chain;
            if (size > 0 && start != Ole2EndOfChain)
                chain = FollowChain(*FFAT, start, (static_cast<Int64>(size) + ssz - 1) / ssz);
            if (chain.empty()) {
                TOle2Directory::SetSectStart(e, off, Ole2EndOfChain);
                if (type == STGTY_STREAM)
                    TOle2Directory::SetSize(e, off, 0);
                continue;
            }
            TOle2Directory::SetSectStart(e, off, static_cast<LongWord>(newFat->Count()));
            if (static_cast<UInt64>(chain.size()) * ssz < size)
                TOle2Directory::SetSize(e, off, static_cast<LongWord>(chain.size() * ssz));
            for (size_t i = 0; i < chain.size(); ++i) {
                takeSector(chain[i]);
                ReadSectorInto(chain[i], dataBuf.data());
                appendSector(dataBuf.data());
                newFat->Add(i + 1 == chain.size() ? Ole2EndOfChain
                                                  : static_cast<LongWord>(newFat->Count() + 1));
            }
        }
        if (selectedOffset >= 0)
            FEntryPosition = Output->Position() + selectedOffset;
        appendSector(dirBuf.data());
        Int64 thisDir = newFat->Count();
        newFat->Add(Ole2EndOfChain);
        if (prevDirFatIndex < 0)
            SetLongWord(outHeader, 48, static_cast<LongWord>(thisDir));
        else
            newFat->SetItems(prevDirFatIndex, static_cast<LongWord>(thisDir));
        prevDirFatIndex = thisDir;
    }
    if (!found)
        XlsError(ErrInvalidStream, {AnsiString()});

    // The MiniFAT sectors, in chain order.
    if (h.MiniFATCount() > 0 && h.FirstMiniFATSector() != Ole2EndOfChain) {
        std::vector<LongWord> chain = FollowChain(*FFAT, h.FirstMiniFATSector(), h.MiniFATCount());
        Int64 prev = -1;
        for (LongWord s : chain) {
            takeSector(s);
            ReadSectorInto(s, dataBuf.data());
            appendSector(dataBuf.data());
            Int64 self = newFat->Count();
            newFat->Add(Ole2EndOfChain);
            if (prev < 0)
                SetLongWord(outHeader, 60, static_cast<LongWord>(self));
            else
                newFat->SetItems(prev, static_cast<LongWord>(self));
            prev = self;
        }
    }

    // Switch over to the output.
    std::memcpy(h.Data, outHeader, 76);
    FFAT = std::move(newFat);
    FStream = Output;
    h.StartOffset = newStart;
    FSectorNo = -1;
    DropRun();
    FRoot.reset();
    FRootChain.clear();
    FRootChainRead = false;
    FSelectedChain.clear();
    FPrepared = true;
    FSelected = std::move(selected);
    FSelected->Set_SectStart(static_cast<LongWord>(FFAT->Count()));
    FSelected->StreamSize = 0;
    FPosition = 0;
}

void TOle2File::AppendBytes(const void* Buffer, Int64 Count)
{
    if (!FPrepared)
        XlsError(ErrInvalidStream, {AnsiString()});
    if (!FSelected || Count <= 0 || FFinished)
        return;
    FStream->Write(Buffer, Count);
    FSelected->StreamSize += static_cast<UInt64>(Count);
    FPosition += Count;
}

void TOle2File::WriteMem(const void* Buffer, Integer Count)
{
    AppendBytes(Buffer, Count);
}

void TOle2File::Write16(Word V)
{
    Byte b[2];
    SetWord(b, 0, V);
    AppendBytes(b, 2);
}

void TOle2File::Write32(LongWord V)
{
    Byte b[4];
    SetLongWord(b, 0, V);
    AppendBytes(b, 4);
}

void TOle2File::WriteHeader(Word Id, Word Length)
{
    Byte b[4];
    SetWord(b, 0, Id);
    SetWord(b, 2, Length);
    AppendBytes(b, 4);
}

void TOle2File::FinishStream()
{
    if (!FPrepared || FFinished)
        return;
    TOle2Header& h = *FHeader;
    const Int64 ssz = h.SectorSize;
    const Int64 E = ssz / 4;
    // A written stream always lives in regular sectors: pad it up to the cutoff.
    if (FSelected->StreamSize < h.MiniCutoff) {
        ByteArray zeros(static_cast<size_t>(h.MiniCutoff - FSelected->StreamSize), 0);
        AppendBytes(zeros.data(), static_cast<Int64>(zeros.size()));
    }
    const Int64 S = static_cast<Int64>(FSelected->StreamSize);
    if (S >= (Int64(1) << 32))
        XlsError(ErrCantWrite);
    FFinished = true;
    if (S % ssz != 0) {
        ByteArray zeros(static_cast<size_t>(ssz - S % ssz), 0);
        FStream->Write(zeros.data(), static_cast<Int64>(zeros.size()));
    }
    const Int64 N0 = FFAT->Count();
    const Int64 SS = ((S - 1) >> h.SectorShift) + 1;
    auto ceilDiv = [](Int64 a, Int64 b) { return (a + b - 1) / b; };
    Int64 DIF = 0, F = 0;
    for (;;) {
        Int64 A = N0 + 1 + SS + DIF;
        F = ceilDiv(A, E);
        for (Int64 prev = -1; prev != F;) {
            prev = F;
            F = ceilDiv(A + F, E);
        }
        Int64 newDif = F > 109 ? ceilDiv(F - 109, E - 1) : 0;
        if (newDif == DIF)
            break;
        DIF = newDif;
    }
    h.SetFATCount(static_cast<LongWord>(F));
    h.SetDIFATCount(static_cast<LongWord>(DIF));
    h.SetFirstDIFATSector(DIF > 0 ? static_cast<LongWord>(N0 + 1 + SS) : Ole2EndOfChain);

    TOle2Directory::SetSize(FSelected->Data, 0, static_cast<LongWord>(S));
    FStream->Seek(FEntryPosition);
    FStream->Write(FSelected->Data, TOle2Directory::EntrySize);

    const Int64 fatStart = N0 + 1 + SS + DIF;
    Byte headerDifat[436];
    std::memset(headerDifat, 0xFF, sizeof headerDifat);
    for (Int64 i = 0; i < std::min<Int64>(F, 109); ++i)
        SetLongWord(headerDifat, static_cast<Integer>(4 * i), static_cast<LongWord>(fatStart + i));
    FStream->Seek(h.StartOffset);
    FStream->Write(h.Data, 76);
    FStream->Write(headerDifat, 436);

    // The spare sector after the written stream is written as zeros, so that no stale bytes of
    // the output's memory can end up in the file.
    ByteArray sector(static_cast<size_t>(ssz), 0);
    FStream->Seek(h.SectorPos(N0 + SS));
    FStream->Write(sector.data(), ssz);

    for (Int64 i = 0; i < DIF; ++i) {
        std::fill(sector.begin(), sector.end(), 0xFF);
        for (Int64 j = 0; j < E - 1; ++j) {
            Int64 fatIndex = 109 + i * (E - 1) + j;
            if (fatIndex >= F)
                break;
            SetLongWord(sector.data(), static_cast<Integer>(4 * j),
                        static_cast<LongWord>(fatStart + fatIndex));
        }
        SetLongWord(sector.data(), static_cast<Integer>(4 * (E - 1)),
                    i + 1 < DIF ? static_cast<LongWord>(N0 + 1 + SS + i + 1) : Ole2FreeSector);
        FStream->Write(sector.data(), ssz);
    }

    // The FAT as one run, padded with free entries to the end of its last sector.
    ByteArray fat(static_cast<size_t>(F * ssz), 0xFF);
    Int64 k = 0;
    auto put = [&](LongWord v) { SetLongWord(fat.data(), static_cast<Integer>(4 * k++), v); };
    for (Int64 i = 0; i < N0; ++i)
        put(FFAT->Items(i));
    // The written stream's chain ends on its own last sector. Readers check that a chain holds
    // no more sectors than its size needs, so the spare sector after it is left free.
    for (Int64 i = 0; i + 1 < SS; ++i)
        put(static_cast<LongWord>(N0 + i + 1));
    put(Ole2EndOfChain);
    put(Ole2FreeSector);
    for (Int64 i = 0; i < DIF; ++i)
        put(Ole2DifSector);
    for (Int64 i = 0; i < F; ++i)
        put(Ole2FatSector);
    FStream->Seek(h.SectorPos(fatStart));
    FStream->Write(fat.data(), static_cast<Int64>(fat.size()));
}
