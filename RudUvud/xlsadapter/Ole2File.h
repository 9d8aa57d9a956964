#pragma once

#include "RudUvud/xlsadapter/VovMessages.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// A seekable byte stream as the compound document needs it. Reads return the bytes delivered;
// writes past the end extend the stream, filling any gap with zeros.
class TOle2Stream {
public:
    virtual ~TOle2Stream() = default;
    virtual Int64 Size() const = 0;
    virtual Int64 Position() const = 0;
    virtual void Seek(Int64 Pos) = 0;
    virtual Int64 Read(void* Buffer, Int64 Count) = 0;
    virtual void Write(const void* Buffer, Int64 Count) = 0;
    // The Count bytes from Pos on where the stream holds them in memory, so that a reader can use
    // them in place; null when it does not (or they run past its end). Valid until the stream
    // next changes.
    virtual const Byte* Direct(Int64 Pos, Int64 Count) const { return nullptr; }
};

// A stream over a byte vector it owns.
class TOle2MemoryStream : public TOle2Stream {
public:
    TOle2MemoryStream() = default;
    explicit TOle2MemoryStream(ByteArray Data) : FData(std::move(Data)) {}
    Int64 Size() const override { return static_cast<Int64>(FData.size()); }
    Int64 Position() const override { return FPos; }
    void Seek(Int64 Pos) override { FPos = Pos < 0 ? 0 : Pos; }
    Int64 Read(void* Buffer, Int64 Count) override;
    void Write(const void* Buffer, Int64 Count) override;
    const Byte* Direct(Int64 Pos, Int64 Count) const override
    {
        return Pos >= 0 && Count >= 0 && Pos + Count <= Size() ? FData.data() + Pos : nullptr;
    }
    const ByteArray& Bytes() const { return FData; }
    ByteArray& Bytes() { return FData; }

private:
    ByteArray FData;
    Int64 FPos = 0;
};

// A read-only stream over bytes it does not own, read in place; writing raises "Tabrix: Logical
// Error".
class TOle2ViewStream : public TOle2Stream {
public:
    TOle2ViewStream(const Byte* Data, Int64 Size) : FData(Data), FSize(Size) {}
    // Views other bytes from their start.
    void Reset(const Byte* Data, Int64 Size) { FData = Data, FSize = Size, FPos = 0; }
    Int64 Size() const override { return FSize; }
    Int64 Position() const override { return FPos; }
    void Seek(Int64 Pos) override { FPos = Pos < 0 ? 0 : Pos; }
    Int64 Read(void* Buffer, Int64 Count) override;
    void Write(const void* Buffer, Int64 Count) override;
    const Byte* Direct(Int64 Pos, Int64 Count) const override
    {
        return Pos >= 0 && Count >= 0 && Pos + Count <= FSize ? FData + Pos : nullptr;
    }

private:
    const Byte* FData;
    Int64 FSize;
    Int64 FPos = 0;
};

// The compound document over a runtime-library stream (a file or memory stream), not owned.
class TOle2TStream : public TOle2Stream {
public:
    explicit TOle2TStream(TStream* AStream) : FStream(AStream) {}
    Int64 Size() const override { return FStream->Size(); }
    Int64 Position() const override { return FStream->Position(); }
    void Seek(Int64 Pos) override;
    Int64 Read(void* Buffer, Int64 Count) override;
    void Write(const void* Buffer, Int64 Count) override;

private:
    TStream* FStream;
};

enum STGTY {
    STGTY_INVALID = 0,
    STGTY_STORAGE = 1,
    STGTY_STREAM = 2,
    STGTY_LOCKBYTES = 3,
    STGTY_PROPERTY = 4,
    STGTY_ROOT = 5
};
enum DECOLOR { DECOLOR_RED = 0, DECOLOR_BLACK = 1 };
using StringArray = std::vector<WideString>;

inline constexpr LongWord Ole2EndOfChain = 0xFFFFFFFE;
inline constexpr LongWord Ole2FreeSector = 0xFFFFFFFF;
inline constexpr LongWord Ole2DifSector = 0xFFFFFFFC;
inline constexpr LongWord Ole2FatSector = 0xFFFFFFFD;

// A growable list of 32-bit values. Reading outside the list means a damaged document and
// raises the engine's "File invalid" message.
class UInt32List : public TObject {
public:
    void Add(LongWord V) { FItems.push_back(V); }
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    Integer Capacity() const { return static_cast<Integer>(FItems.capacity()); }
    void SetCapacity(Integer C);
    LongWord Items(Int64 Index) const;
    void SetItems(Int64 Index, LongWord V);
    void Clear() { FItems.clear(); }

protected:
    std::vector<LongWord> FItems;
};

// The fields of the 512-byte header that the document reader uses, over the first 76 bytes as found.
class TOle2Header : public TObject {
public:
    Byte Data[76] = {};
    bool NotXls = false;
    Int64 StartOffset = 0;
    LongWord SectorSize = 512;
    Integer SectorShift = 9;
    Integer MiniSectorShift = 6;
    LongWord MiniCutoff = 4096;

    LongWord FATCount() const;
    void SetFATCount(LongWord V);
    LongWord FirstDirSector() const;
    void SetFirstDirSector(LongWord V);
    LongWord FirstMiniFATSector() const;
    void SetFirstMiniFATSector(LongWord V);
    LongWord MiniFATCount() const;
    LongWord FirstDIFATSector() const;
    void SetFirstDIFATSector(LongWord V);
    LongWord DIFATCount() const;
    void SetDIFATCount(LongWord V);
    // Stream position where sector N begins.
    Int64 SectorPos(Int64 N) const { return StartOffset + (N + 1) * static_cast<Int64>(SectorSize); }
};

class TOle2FAT : public UInt32List {};
class TOle2MiniFAT : public UInt32List {};

// One 128-byte directory entry.
class TOle2Directory : public TObject {
public:
    static constexpr Integer EntrySize = 128;
    Byte Data[EntrySize] = {};
    UInt64 StreamSize = 0;

    TOle2Directory() = default;
    TOle2Directory(const Byte* Entry);

    // Accessors on an entry at Offset inside any buffer.
    static Integer GetNameSize(const Byte* Buf, Integer Offset);
    static WideString GetName(const Byte* Buf, Integer Offset);
    static Byte GetType(const Byte* Buf, Integer Offset) { return Buf[Offset + 66]; }
    static Byte GetColor(const Byte* Buf, Integer Offset) { return Buf[Offset + 67]; }
    static void SetColor(Byte* Buf, Integer Offset, Byte C) { Buf[Offset + 67] = C; }
    static LongWord GetLeftSid(const Byte* Buf, Integer Offset);
    static LongWord GetRightSid(const Byte* Buf, Integer Offset);
    static LongWord GetChildSid(const Byte* Buf, Integer Offset);
    static void SetLeftSid(Byte* Buf, Integer Offset, LongWord V);
    static void SetRightSid(Byte* Buf, Integer Offset, LongWord V);
    static void SetChildSid(Byte* Buf, Integer Offset, LongWord V);
    static LongWord GetSectStart(const Byte* Buf, Integer Offset);
    static void SetSectStart(Byte* Buf, Integer Offset, LongWord V);
    static LongWord GetSize(const Byte* Buf, Integer Offset);
    static void SetSize(Byte* Buf, Integer Offset, LongWord V);
    static void Clear(Byte* Buf, Integer Offset);

    Integer Get_NameSize() const { return GetNameSize(Data, 0); }
    WideString Get_Name() const { return GetName(Data, 0); }
    // Keeps at most 32 code units; a longer name raises "Too many entries".
    void Set_Name(const WideString& Name);
    Byte Get_ObjType() const { return GetType(Data, 0); }
    LongWord Get_SectStart() const { return GetSectStart(Data, 0); }
    void Set_SectStart(LongWord V) { SetSectStart(Data, 0, V); }
};

// One node of the directory tree, read when entries are deleted.
struct TOneDirEntry {
    WideString Name;
    Integer LeftSid = -1;
    Integer RightSid = -1;
    Integer ChildSid = -1;
    bool Deleted = false;
    DECOLOR Color = DECOLOR_BLACK;
};
using TDirEntryList = std::vector<TOneDirEntry>;

// An OLE2 compound document: reads one selected stream, or writes a copy of the document in
// which one named stream is replaced by the bytes appended to it and every other stream and
// storage is kept byte for byte.
//
// Every count, sector number and size that the document states is checked against the size of
// the underlying stream before it is used: a damaged or hostile document raises EExcelException
// ("Error reading Excel records. File invalid") and never loops or allocates beyond the file.
class TOle2File : public TObject {
public:
    // Opens the document at the stream's current position. The stream is not owned and must
    // outlive the object. With AllowNonCompound an invalid header only sets NotXls().
    explicit TOle2File(TOle2Stream* AStream, bool AllowNonCompound = false);
    ~TOle2File() override;

    bool NotXls() const { return FNotXls; }

    // Selects a stream for reading; the name is compared without regard to ASCII case.
    void SelectStream(const WideString& StreamName);
    // Reads Count bytes at the read position (Buffer null skips them). Bytes that lie together in
    // memory (the rest of a sector, or of sectors that follow each other in a document held in
    // memory) are copied with no further look at the sector chain.
    void ReadMem(void* Buffer, Integer Count)
    {
        if (Count > 0 && Count <= FRunLeft) {
            if (Buffer)
                std::memcpy(Buffer, FRun, static_cast<size_t>(Count));
            FRun += Count;
            FRunLeft -= Count;
            FPosition += Count;
            return;
        }
        ReadMemSlow(Buffer, Count);
    }
    // The next Count (above 0) bytes where a document held in memory keeps them, the read
    // position moved past them; null, with nothing read, when they do not lie together there.
    // Valid as long as the stream the document was opened on.
    const Byte* ReadInPlace(Integer Count)
    {
        if (Count <= 0 || (Count > FRunLeft && (FRunLeft > 0 || !FillRun() || Count > FRunLeft)) ||
            !FRunInPlace)
            return nullptr;
        const Byte* p = FRun;
        FRun += Count;
        FRunLeft -= Count;
        FPosition += Count;
        return p;
    }
    void Read(ByteArray& Data, Integer Count);
    bool NextEof(Integer Count) const
    {
        if (FPrepared)
            FailPrepared();
        return FPosition + Count >= Get_Length();
    }
    bool Get_Eof() const;
    Int64 Get_Length() const { return FSelected ? static_cast<Int64>(FSelected->StreamSize) : 0; }
    Int64 Get_Position() const;
    WideString Get_FileName() const { return WideString(); }
    void SeekForward(UInt64 Position);

    // Copies the document to Output (from its current position on) with StreamName emptied and
    // the entries named in NamesToDelete removed; afterwards only appends are allowed.
    void PrepareForWrite(TOle2Stream* Output, const WideString& StreamName, const StringArray& NamesToDelete);
    void WriteMem(const void* Buffer, Integer Count);
    void WriteRawMem(const void* Buffer, Integer Count) { WriteMem(Buffer, Count); }
    void WriteRaw(const ByteArray& Data, Integer Count) { WriteMem(Data.data(), Count); }
    void WriteRaw(const ByteArray& Data, Integer Offset, Integer Count)
    {
        WriteMem(Data.data() + Offset, Count);
    }
    void Write(const ByteArray& Data, Integer Count) { WriteMem(Data.data(), Count); }
    void Write(const ByteArray& Data, Integer Offset, Integer Count)
    {
        WriteMem(Data.data() + Offset, Count);
    }
    void Write16(Word V);
    void Write32(LongWord V);
    void WriteHeader(Word Id, Word Length);
    // Completes a prepared document: the header, the FAT and the written stream's entry. Called
    // by the destructor when the caller did not; raises on a write failure when called directly.
    void FinishStream();
    bool Prepared() const { return FPrepared; }

private:
    TOle2Stream* FStream;
    std::unique_ptr<TOle2Header> FHeader;
    std::unique_ptr<TOle2FAT> FFAT;
    std::unique_ptr<TOle2MiniFAT> FMiniFAT;
    std::unique_ptr<TOle2Directory> FRoot;
    std::unique_ptr<TOle2Directory> FSelected;
    Int64 FPosition = 0;
    bool FPrepared = false;
    bool FFinished = false;
    Int64 FEntryPosition = -1;
    bool FNotXls = false;
    Int64 FFileSectors = 0;
    // Sector buffer: one sector's bytes and its number (-1 none).
    ByteArray FSector;
    Int64 FSectorNo = -1;
    // Sector chains, checked once when they are first needed.
    std::vector<LongWord> FSelectedChain;
    std::vector<LongWord> FRootChain;
    bool FRootChainRead = false;

    // The bytes from the read position on that lie together in memory (none when FRunLeft is 0):
    // set up by FillRun, emptied whenever the stream, the position's meaning or the sector buffer
    // changes other than by reading.
    const Byte* FRun = nullptr;
    Int64 FRunLeft = 0;
    bool FRunInPlace = false; // the run is the stream's own memory, not the sector buffer

    void ReadMemSlow(void* Buffer, Integer Count);
    // Sets the run up at the read position; false at the end of the stream or when not reading.
    bool FillRun();
    void DropRun() { FRun = nullptr, FRunLeft = 0, FRunInPlace = false; }
    [[noreturn]] static void FailPrepared();
    bool InSectorBuffer(const Byte* P) const;
    void ReadSectorInto(Int64 Sector, Byte* Buf);
    const Byte* LoadSector(Int64 Sector);
    std::vector<LongWord> FollowChain(const UInt32List& Fat, LongWord Start, Int64 MaxSteps) const;
    std::vector<LongWord> DirectoryChain() const;
    void ReadFAT();
    void ReadMiniFAT();
    const std::vector<LongWord>& RootChain();
    bool NameMatches(const Byte* Buf, Integer Offset, const WideString& Name) const;
    void ReadDirs(TDirEntryList& Entries);
    bool ApplyDeletions(TDirEntryList& Entries, const StringArray& Names) const;
    void AppendBytes(const void* Buffer, Int64 Count);
    void CheckReadState(const WideString& Name) const;
};
