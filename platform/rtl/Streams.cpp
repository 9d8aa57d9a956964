#include "platform/rtl/Streams.h"

#include "platform/rtl/Files.h"
#include "platform/rtl/Resources.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <unistd.h>

namespace {

const char* const SReadError = "Stream read error";
const char* const SWriteError = "Stream write error";
const char* const SSharingViolation =
    "The process cannot access the file because it is being used by another process.";

// Raised when a memory stream is asked to grow beyond what can be allocated; callers of the
// libraries see the platform's out-of-memory exception rather than std::bad_alloc.
[[noreturn]] void OutOfMemory()
{
    throw EOutOfMemory("Out of memory");
}

std::size_t CheckedSize(Int64 NewSize)
{
    if (NewSize < 0)
        throw EStreamError("Stream size cannot be negative");
    if (static_cast<UInt64>(NewSize) > static_cast<UInt64>(PTRDIFF_MAX))
        OutOfMemory();
    return static_cast<std::size_t>(NewSize);
}

// New position of an in-memory stream; a negative result is refused, as the platform's memory
// streams refuse it, by leaving the position where it was.
Int64 MemorySeek(std::size_t& Position, std::size_t Size, Int64 Offset, TSeekOrigin Origin)
{
    Int64 base = 0;
    switch (Origin) {
    case soBeginning:
        base = 0;
        break;
    case soCurrent:
        base = static_cast<Int64>(Position);
        break;
    case soEnd:
        base = static_cast<Int64>(Size);
        break;
    }
    Int64 target = 0;
    if (__builtin_add_overflow(base, Offset, &target) || target < 0)
        return static_cast<Int64>(Position);
    Position = static_cast<std::size_t>(target);
    return target;
}

// Reading and writing at the position of an in-memory stream held in a byte container (the
// memory stream's vector, the string stream's string); writing past the end grows the stream
// through its own SetSize.
template <class Buffer>
Integer BufferRead(const Buffer& Data, std::size_t& Position, void* Out, Integer Count)
{
    if (Count <= 0 || Position >= Data.size())
        return 0;
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(Count), Data.size() - Position);
    std::memcpy(Out, Data.data() + Position, n);
    Position += n;
    return static_cast<Integer>(n);
}

template <class Buffer>
Integer BufferWrite(TStream& Stream, Buffer& Data, std::size_t& Position, const void* In, Integer Count)
{
    if (Count <= 0)
        return 0;
    std::size_t end = Position + static_cast<std::size_t>(Count);
    if (end > Data.size())
        Stream.SetSize(static_cast<Int64>(end));
    std::memcpy(Data.data() + Position, In, static_cast<std::size_t>(Count));
    Position = end;
    return Count;
}

template <class T> T LoadLittleEndian(const Byte* Bytes)
{
    std::make_unsigned_t<T> value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<std::make_unsigned_t<T>>(Bytes[i]) << (8 * i);
    return static_cast<T>(value);
}

template <class T> void StoreLittleEndian(T Value, Byte* Bytes)
{
    auto value = static_cast<std::make_unsigned_t<T>>(Value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        Bytes[i] = static_cast<Byte>(value >> (8 * i));
}

template <class T> T ReadLE(TStream& Stream)
{
    Byte bytes[sizeof(T)];
    Stream.ReadBuffer(bytes, sizeof(T));
    return LoadLittleEndian<T>(bytes);
}

template <class T> void WriteLE(TStream& Stream, T Value)
{
    Byte bytes[sizeof(T)];
    StoreLittleEndian(Value, bytes);
    Stream.WriteBuffer(bytes, sizeof(T));
}

} // namespace

// ---- TStream ----------------------------------------------------------------------------------

Int64 TStream::Position()
{
    return Seek(0, soCurrent);
}

void TStream::SetPosition(Int64 Pos)
{
    Seek(Pos, soBeginning);
}

Int64 TStream::Size()
{
    Int64 pos = Seek(0, soCurrent);
    Int64 size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(Int64)
{
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* Buffer, Integer Count)
{
    if (Count <= 0)
        return;
    if (Read(Buffer, Count) != Count)
        throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, Integer Count)
{
    if (Count <= 0)
        return;
    if (Write(Buffer, Count) != Count)
        throw EWriteError(SWriteError);
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count)
{
    if (Count == 0) {
        Source->SetPosition(0);
        Count = Source->Size();
    }
    const Int64 result = Count;
    constexpr Integer kBufferSize = 64 * 1024;
    std::vector<Byte> buffer(
        static_cast<std::size_t>(std::min<Int64>(std::max<Int64>(Count, 1), kBufferSize)));
    while (Count > 0) {
        Integer n = static_cast<Integer>(std::min<Int64>(Count, static_cast<Int64>(buffer.size())));
        Source->ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        Count -= n;
    }
    return result;
}

Byte TStream::ReadByte()
{
    return ReadLE<Byte>(*this);
}
ShortInt TStream::ReadShortInt()
{
    return ReadLE<ShortInt>(*this);
}
Word TStream::ReadWord()
{
    return ReadLE<Word>(*this);
}
SmallInt TStream::ReadSmallInt()
{
    return ReadLE<SmallInt>(*this);
}
LongWord TStream::ReadLongWord()
{
    return ReadLE<LongWord>(*this);
}
Integer TStream::ReadInteger()
{
    return ReadLE<Integer>(*this);
}
Int64 TStream::ReadInt64()
{
    return ReadLE<Int64>(*this);
}
Single TStream::ReadSingle()
{
    std::uint32_t bits = ReadLE<std::uint32_t>(*this);
    Single value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
Double TStream::ReadDouble()
{
    std::uint64_t bits = ReadLE<std::uint64_t>(*this);
    Double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
bool TStream::ReadBoolean()
{
    return ReadByte() != 0;
}
AnsiString TStream::ReadString(Integer Count)
{
    if (Count <= 0)
        return AnsiString();
    // Never allocate more than the stream can still deliver: a corrupt length must not reserve
    // gigabytes before the read fails.
    // (A stream that cannot tell its size, such as a pipe, is read as it comes.)
    Int64 position = Position();
    Int64 size = Size();
    if (position >= 0 && size >= 0 && Count > size - position)
        throw EReadError(SReadError);
    AnsiString result(static_cast<std::size_t>(Count), '\0');
    ReadBuffer(result.data(), Count);
    return result;
}

void TStream::WriteByte(Byte Value)
{
    WriteLE(*this, Value);
}
void TStream::WriteShortInt(ShortInt Value)
{
    WriteLE(*this, Value);
}
void TStream::WriteWord(Word Value)
{
    WriteLE(*this, Value);
}
void TStream::WriteSmallInt(SmallInt Value)
{
    WriteLE(*this, Value);
}
void TStream::WriteLongWord(LongWord Value)
{
    WriteLE(*this, Value);
}
void TStream::WriteInteger(Integer Value)
{
    WriteLE(*this, Value);
}
void TStream::WriteInt64(Int64 Value)
{
    WriteLE(*this, Value);
}
void TStream::WriteSingle(Single Value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &Value, sizeof bits);
    WriteLE(*this, bits);
}
void TStream::WriteDouble(Double Value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &Value, sizeof bits);
    WriteLE(*this, bits);
}
void TStream::WriteBoolean(bool Value)
{
    WriteByte(Value ? 1 : 0);
}
void TStream::WriteString(const AnsiString& Value)
{
    const char* p = Value.data();
    std::size_t left = Value.size();
    while (left > 0) {
        Integer n = static_cast<Integer>(std::min<std::size_t>(left, 1u << 30));
        WriteBuffer(p, n);
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

// ---- THandleStream ----------------------------------------------------------------------------

Integer THandleStream::Read(void* Buffer, Integer Count)
{
    if (Count <= 0)
        return 0;
    Integer done = 0;
    auto* p = static_cast<char*>(Buffer);
    while (done < Count) {
        ssize_t n = ::read(FHandle, p + done, static_cast<std::size_t>(Count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<Integer>(n);
    }
    return done;
}

Integer THandleStream::Write(const void* Buffer, Integer Count)
{
    if (Count <= 0)
        return 0;
    Integer done = 0;
    auto* p = static_cast<const char*>(Buffer);
    while (done < Count) {
        ssize_t n = ::write(FHandle, p + done, static_cast<std::size_t>(Count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<Integer>(n);
    }
    return done;
}

Int64 THandleStream::Seek(Int64 Offset, TSeekOrigin Origin)
{
    return FileSeek(FHandle, Offset, static_cast<Integer>(Origin));
}

void THandleStream::SetSize(Int64 NewSize)
{
    Int64 pos = Position();
    if (NewSize < 0 || ::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0)
        throw EStreamError("Cannot change the size of the stream. " + SysErrorMessage(errno));
    if (pos > NewSize)
        Seek(NewSize, soBeginning);
}

// ---- TFileStream ------------------------------------------------------------------------------

TFileStream::TFileStream(const AnsiString& AFileName, Word Mode) : TFileStream(AFileName, Mode, 0666) {}

TFileStream::TFileStream(const AnsiString& AFileName, Word Mode, Cardinal Rights)
    : THandleStream(-1), FFileName(AFileName)
{
    auto osText = [](int error) {
        return error == EWOULDBLOCK ? AnsiString(SSharingViolation) : SysErrorMessage(error);
    };
    if ((Mode & fmCreate) == fmCreate) {
        FHandle = FileCreate(AFileName, Mode, static_cast<Integer>(Rights));
        if (FHandle < 0) {
            int error = errno;
            throw EFCreateError("Cannot create file \"" + NormalizePathDelimiters(AFileName) + "\". " +
                                osText(error));
        }
    } else {
        FHandle = FileOpen(AFileName, Mode);
        if (FHandle < 0) {
            int error = errno;
            throw EFOpenError("Cannot open file \"" + NormalizePathDelimiters(AFileName) + "\". " +
                              osText(error));
        }
    }
}

TFileStream::~TFileStream()
{
    if (FHandle >= 0)
        FileClose(FHandle);
}

// ---- TMemoryStream ----------------------------------------------------------------------------

Integer TMemoryStream::Read(void* Buffer, Integer Count)
{
    return BufferRead(FData, FPosition, Buffer, Count);
}

Integer TMemoryStream::Write(const void* Buffer, Integer Count)
{
    return BufferWrite(*this, FData, FPosition, Buffer, Count);
}

Int64 TMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin)
{
    return MemorySeek(FPosition, FData.size(), Offset, Origin);
}

void TMemoryStream::SetSize(Int64 NewSize)
{
    std::size_t size = CheckedSize(NewSize);
    try {
        FData.resize(size, 0);
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    } catch (const std::length_error&) {
        OutOfMemory();
    }
    if (FPosition > size)
        FPosition = size;
}

void TMemoryStream::Clear()
{
    FData.clear();
    FData.shrink_to_fit();
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream)
{
    Stream->SetPosition(0);
    Int64 count = Stream->Size();
    SetSize(count);
    FPosition = 0;
    std::size_t done = 0;
    while (done < FData.size()) {
        Integer n = static_cast<Integer>(std::min<std::size_t>(FData.size() - done, 1u << 30));
        Stream->ReadBuffer(FData.data() + done, n);
        done += static_cast<std::size_t>(n);
    }
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TMemoryStream::SaveToStream(TStream* Stream)
{
    std::size_t done = 0;
    while (done < FData.size()) {
        Integer n = static_cast<Integer>(std::min<std::size_t>(FData.size() - done, 1u << 30));
        Stream->WriteBuffer(FData.data() + done, n);
        done += static_cast<std::size_t>(n);
    }
}

void TMemoryStream::SaveToFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmCreate);
    SaveToStream(&file);
}

// ---- TStringStream ----------------------------------------------------------------------------

Integer TStringStream::Read(void* Buffer, Integer Count)
{
    return BufferRead(FDataString, FPosition, Buffer, Count);
}

Integer TStringStream::Write(const void* Buffer, Integer Count)
{
    return BufferWrite(*this, FDataString, FPosition, Buffer, Count);
}

Int64 TStringStream::Seek(Int64 Offset, TSeekOrigin Origin)
{
    return MemorySeek(FPosition, FDataString.size(), Offset, Origin);
}

void TStringStream::SetSize(Int64 NewSize)
{
    std::size_t size = CheckedSize(NewSize);
    try {
        FDataString.resize(size, '\0');
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    } catch (const std::length_error&) {
        OutOfMemory();
    }
    if (FPosition > size)
        FPosition = size;
}

// ---- TResourceStream --------------------------------------------------------------------------

namespace {

AnsiString ResourceTypeName(const char* ResType)
{
    auto value = reinterpret_cast<std::uintptr_t>(ResType);
    if (value >= 0x10000)
        return ResType;
    switch (value) {
    case 1:
        return "CURSOR";
    case 2:
        return "BITMAP";
    case 3:
        return "ICON";
    case 10:
        return "RCDATA";
    default:
        return "#" + std::to_string(value);
    }
}

} // namespace

TResourceStream::TResourceStream(const void*, const AnsiString& ResName, const char* ResType)
{
    const TEmbeddedResource* resource = FindEmbeddedResource(ResName, ResourceTypeName(ResType));
    if (!resource)
        throw EResNotFound("Resource " + ResName + " not found");
    FData = resource->Data;
    FSize = resource->Size;
}

TResourceStream* TResourceStream::CreateFromID(const void* Instance, Integer ResID, const char* ResType)
{
    return New<TResourceStream>(Instance, std::to_string(ResID), ResType);
}

Integer TResourceStream::Read(void* Buffer, Integer Count)
{
    if (Count <= 0 || FPosition >= FSize)
        return 0;
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(Count), FSize - FPosition);
    std::memcpy(Buffer, FData + FPosition, n);
    FPosition += n;
    return static_cast<Integer>(n);
}

Integer TResourceStream::Write(const void*, Integer)
{
    throw EStreamError("Can't write to a read-only resource stream");
}

Int64 TResourceStream::Seek(Int64 Offset, TSeekOrigin Origin)
{
    return MemorySeek(FPosition, FSize, Offset, Origin);
}

void TResourceStream::SaveToStream(TStream* Stream)
{
    std::size_t done = 0;
    while (done < FSize) {
        Integer n = static_cast<Integer>(std::min<std::size_t>(FSize - done, 1u << 30));
        Stream->WriteBuffer(FData + done, n);
        done += static_cast<std::size_t>(n);
    }
}

void TResourceStream::SaveToFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmCreate);
    SaveToStream(&file);
}
