#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Types.h"

#include <cstddef>
#include <vector>

// Streams: a byte sequence with a position. Read/Write move as many bytes as they can and
// return the count; ReadBuffer/WriteBuffer insist on the whole count and raise otherwise.
// Multi-byte helpers read and write little-endian, the byte order of every file format the
// libraries exchange.

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// The older names of the seek origins; the same values, so either spelling reaches Seek.
inline constexpr TSeekOrigin soFromBeginning = soBeginning;
inline constexpr TSeekOrigin soFromCurrent = soCurrent;
inline constexpr TSeekOrigin soFromEnd = soEnd;

// Open modes of TFileStream and FileOpen: one access mode or-ed with one share mode.
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;
// Creates the file (or truncates it) and opens it for reading and writing.
inline constexpr Word fmCreate = 0xFF00;

class TComponent;

class TStream : public TObject {
public:
    // Reads up to Count bytes into Buffer; returns the number read (0 at the end).
    virtual Integer Read(void* Buffer, Integer Count) = 0;
    // Writes up to Count bytes; returns the number written.
    virtual Integer Write(const void* Buffer, Integer Count) = 0;
    // Moves the position; returns the new position measured from the start.
    virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

    Int64 Position();
    void SetPosition(Int64 Pos);
    virtual Int64 Size();
    // Sets the size; streams that cannot change size raise EStreamError.
    virtual void SetSize(Int64 NewSize);

    // Reads exactly Count bytes or raises EReadError "Stream read error".
    void ReadBuffer(void* Buffer, Integer Count);
    // Writes exactly Count bytes or raises EWriteError "Stream write error".
    void WriteBuffer(const void* Buffer, Integer Count);
    // Copies Count bytes from Source's current position; Count 0 copies all of Source from its
    // start. Returns the number copied. Raises EReadError/EWriteError on a short transfer.
    Int64 CopyFrom(TStream* Source, Int64 Count);

    // Little-endian typed helpers; each reads or writes the whole value or raises.
    Byte ReadByte();
    ShortInt ReadShortInt();
    Word ReadWord();
    SmallInt ReadSmallInt();
    LongWord ReadLongWord();
    Integer ReadInteger();
    Int64 ReadInt64();
    Single ReadSingle();
    Double ReadDouble();
    bool ReadBoolean();
    // Reads Count bytes as a string.
    AnsiString ReadString(Integer Count);

    void WriteByte(Byte Value);
    void WriteShortInt(ShortInt Value);
    void WriteWord(Word Value);
    void WriteSmallInt(SmallInt Value);
    void WriteLongWord(LongWord Value);
    void WriteInteger(Integer Value);
    void WriteInt64(Int64 Value);
    void WriteSingle(Single Value);
    void WriteDouble(Double Value);
    void WriteBoolean(bool Value);
    // Writes the bytes of Value, without a length.
    void WriteString(const AnsiString& Value);

    // A component image with the signature (TWriter::WriteDescendent), and reading one back
    // (TReader::ReadRootComponent; nullptr makes a component of the registered class). Defined
    // in platform/forms/ComponentStream.cpp.
    void WriteComponent(TComponent* Instance);
    TComponent* ReadComponent(TComponent* Instance);
};

// A stream over an operating-system file descriptor. Does not close the descriptor.
class THandleStream : public TStream {
public:
    explicit THandleStream(Integer AHandle) : FHandle(AHandle) {}

    Integer Read(void* Buffer, Integer Count) override;
    Integer Write(const void* Buffer, Integer Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    void SetSize(Int64 NewSize) override;
    Integer Handle() const { return FHandle; }

protected:
    Integer FHandle;
};

// A stream over a named file. Mode is fmCreate or an access mode or-ed with a share mode.
// Raises EFCreateError "Cannot create file "%s". %s" or EFOpenError "Cannot open file "%s". %s"
// with the system's error text. Share denial is enforced between streams of this process and
// other processes with advisory locks: a denied open fails as a sharing violation would.
class TFileStream : public THandleStream {
public:
    TFileStream(const AnsiString& AFileName, Word Mode);
    TFileStream(const AnsiString& AFileName, Word Mode, Cardinal Rights);
    ~TFileStream() override;

    const AnsiString& FileName() const { return FFileName; }

private:
    AnsiString FFileName;
};

// A stream over a growable block of memory. Growing zero-fills the new bytes.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;

    Integer Read(void* Buffer, Integer Count) override;
    Integer Write(const void* Buffer, Integer Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 Size() override { return static_cast<Int64>(FData.size()); }
    void SetSize(Int64 NewSize) override;

    // The bytes; valid until the size changes. nullptr when the stream is empty.
    void* Memory() { return FData.empty() ? nullptr : FData.data(); }
    const void* Memory() const { return FData.empty() ? nullptr : FData.data(); }
    void Clear();
    // Replaces the contents with the whole of Stream (from its start); position 0 afterwards.
    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const AnsiString& FileName);
    // Writes the whole contents to Stream at its position.
    void SaveToStream(TStream* Stream);
    void SaveToFile(const AnsiString& FileName);

private:
    std::vector<Byte> FData;
    std::size_t FPosition = 0;
};

// A stream over a string; DataString is the whole contents.
class TStringStream : public TStream {
public:
    explicit TStringStream(const AnsiString& AString = AnsiString()) : FDataString(AString) {}

    Integer Read(void* Buffer, Integer Count) override;
    Integer Write(const void* Buffer, Integer Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 Size() override { return static_cast<Int64>(FDataString.size()); }
    void SetSize(Int64 NewSize) override;

    const AnsiString& DataString() const { return FDataString; }

private:
    AnsiString FDataString;
    std::size_t FPosition = 0;
};

// Raised when a resource is not embedded in the program: "Resource <name> not found".
class EResNotFound : public Exception {
public:
    using Exception::Exception;
};

// A read-only stream over a resource embedded in the program (Resources.h). Instance is accepted
// for compatibility: every resource lives in the one program image. ResType is a type name
// ("RCDATA", "BITMAP") or one of the numeric resource types (RT_RCDATA and the like, as small
// integers in the pointer). Writing raises EStreamError.
class TResourceStream : public TStream {
public:
    TResourceStream(const void* Instance, const AnsiString& ResName, const char* ResType);
    // A resource named by number; its embedded file is named with the decimal number.
    static TResourceStream* CreateFromID(const void* Instance, Integer ResID, const char* ResType);

    Integer Read(void* Buffer, Integer Count) override;
    Integer Write(const void* Buffer, Integer Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 Size() override { return static_cast<Int64>(FSize); }

    const void* Memory() const { return FData; }
    void SaveToStream(TStream* Stream);
    void SaveToFile(const AnsiString& FileName);

private:
    const Byte* FData = nullptr;
    std::size_t FSize = 0;
    std::size_t FPosition = 0;
};
