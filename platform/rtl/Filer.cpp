#include "platform/rtl/Filer.h"

#include "platform/rtl/Persistent.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Strings.h"

#include <cmath>
#include <cstring>

namespace {

const char* const SInvalidPropertyValue = "Invalid property value";
const char* const SInvalidImage = "Invalid stream format";
const char* const SReadError = "Stream read error";
const char* const SWriteError = "Stream write error";

// Lists inside lists are legal, but a stream nesting them thousands deep is damaged or hostile;
// stop before the reader's recursion becomes a danger.
constexpr int kMaxNesting = 256;

bool IsAscii(const AnsiString& S)
{
    for (unsigned char c : S)
        if (c >= 0x80)
            return false;
    return true;
}

// The 10-byte extended format: 64-bit mantissa with an explicit integer bit, 15-bit exponent
// biased by 16383, sign bit. Converted by hand so that the format does not depend on what
// long double is on the machine.
void DoubleToExtended(double Value, Byte Out[10])
{
    std::uint64_t bits;
    std::memcpy(&bits, &Value, sizeof bits);
    const bool negative = bits >> 63;
    int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    std::uint64_t mantissa = 0;
    int exponent80 = 0;
    if (exponent == 0x7FF) {
        exponent80 = 0x7FFF;
        mantissa = (std::uint64_t{1} << 63) | (fraction << 11);
        if (fraction != 0)
            mantissa |= std::uint64_t{1} << 62; // a quiet NaN
    } else if (exponent == 0 && fraction == 0) {
        exponent80 = 0;
        mantissa = 0;
    } else {
        if (exponent == 0) {
            // A subnormal double is a normal extended: shift its leading one into place.
            exponent = 1;
            while ((fraction & (std::uint64_t{1} << 52)) == 0) {
                fraction <<= 1;
                --exponent;
            }
            fraction &= (std::uint64_t{1} << 52) - 1;
        }
        exponent80 = exponent - 1023 + 16383;
        mantissa = (std::uint64_t{1} << 63) | (fraction << 11);
    }
    for (int i = 0; i < 8; ++i)
        Out[i] = static_cast<Byte>(mantissa >> (8 * i));
    const unsigned top = static_cast<unsigned>(exponent80) | (negative ? 0x8000u : 0u);
    Out[8] = static_cast<Byte>(top);
    Out[9] = static_cast<Byte>(top >> 8);
}

double ExtendedToDouble(const Byte In[10])
{
    std::uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= static_cast<std::uint64_t>(In[i]) << (8 * i);
    const unsigned top = In[8] | (static_cast<unsigned>(In[9]) << 8);
    const bool negative = top & 0x8000;
    const int exponent = static_cast<int>(top & 0x7FFF);
    double value;
    if (exponent == 0x7FFF) {
        value = (mantissa << 1) == 0 ? HUGE_VAL : std::nan("");
    } else {
        // ldexp rounds once and saturates to infinity or zero where the double range ends.
        value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    }
    return negative ? -value : value;
}

} // namespace

// ---- TFiler -----------------------------------------------------------------------------------

TFiler::TFiler(TStream* Stream, Integer) : FStream(Stream) {}

// ---- TWriter ----------------------------------------------------------------------------------

TWriter::TWriter(TStream* Stream, Integer BufSize) : TFiler(Stream, BufSize) {}

void TWriter::WriteBytes(const void* Data, Integer Size)
{
    FStream->WriteBuffer(Data, Size);
}

void TWriter::DefineProperty(const AnsiString& Name, TReaderProc, TWriterProc WriteData, bool HasData)
{
    if (HasData && WriteData) {
        WritePropName(Name);
        WriteData(this);
    }
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, TStreamProc, TStreamProc WriteData, bool HasData)
{
    if (!HasData || !WriteData)
        return;
    TMemoryStream data;
    WriteData(&data);
    WritePropName(Name);
    if (data.Size() > 0x7FFFFFFF)
        throw EWriteError(SWriteError);
    WriteBinary(data.Memory(), static_cast<Integer>(data.Size()));
}

void TWriter::WriteSignature()
{
    WriteBytes("TPF0", 4);
}

void TWriter::WriteValue(TValueType Value)
{
    FStream->WriteByte(static_cast<Byte>(Value));
}

void TWriter::WritePropName(const AnsiString& PropName)
{
    AnsiString name = FPropPath + PropName;
    if (name.empty())
        throw EWriteError(SWriteError);
    WriteStr(name);
}

void TWriter::WriteStr(const AnsiString& Value)
{
    if (Value.size() > 255)
        throw EWriteError(SWriteError);
    FStream->WriteByte(static_cast<Byte>(Value.size()));
    WriteBytes(Value.data(), static_cast<Integer>(Value.size()));
}

void TWriter::WriteString(const AnsiString& Value)
{
    if (!IsAscii(Value)) {
        WriteUTF8Str(Value);
    } else if (Value.size() <= 255) {
        WriteValue(vaString);
        WriteStr(Value);
    } else {
        if (Value.size() > 0x7FFFFFFF)
            throw EWriteError(SWriteError);
        WriteValue(vaLString);
        FStream->WriteInteger(static_cast<Integer>(Value.size()));
        WriteBytes(Value.data(), static_cast<Integer>(Value.size()));
    }
}

void TWriter::WriteUTF8Str(const AnsiString& Value)
{
    if (Value.size() > 0x7FFFFFFF)
        throw EWriteError(SWriteError);
    WriteValue(vaUTF8String);
    FStream->WriteInteger(static_cast<Integer>(Value.size()));
    WriteBytes(Value.data(), static_cast<Integer>(Value.size()));
}

void TWriter::WriteWideString(const WideString& Value)
{
    if (Value.size() > 0x3FFFFFFF)
        throw EWriteError(SWriteError);
    WriteValue(vaWString);
    FStream->WriteInteger(static_cast<Integer>(Value.size()));
    for (WideChar c : Value)
        FStream->WriteWord(static_cast<Word>(c));
}

void TWriter::WriteInteger(Int64 Value)
{
    if (Value >= -128 && Value <= 127) {
        WriteValue(vaInt8);
        FStream->WriteShortInt(static_cast<ShortInt>(Value));
    } else if (Value >= -32768 && Value <= 32767) {
        WriteValue(vaInt16);
        FStream->WriteSmallInt(static_cast<SmallInt>(Value));
    } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
        WriteValue(vaInt32);
        FStream->WriteInteger(static_cast<Integer>(Value));
    } else {
        WriteValue(vaInt64);
        FStream->WriteInt64(Value);
    }
}

void TWriter::WriteBoolean(bool Value)
{
    WriteValue(Value ? vaTrue : vaFalse);
}

void TWriter::WriteFloat(Extended Value)
{
    Byte bytes[10];
    DoubleToExtended(Value, bytes);
    WriteValue(vaExtended);
    WriteBytes(bytes, 10);
}

void TWriter::WriteSingle(Single Value)
{
    WriteValue(vaSingle);
    FStream->WriteSingle(Value);
}

void TWriter::WriteCurrency(Currency Value)
{
    WriteValue(vaCurrency);
    // Currency is a scaled 64-bit integer with four decimals.
    const double scaled = std::nearbyint(Value * 10000.0);
    Int64 units = 0;
    if (std::isfinite(scaled))
        units = scaled >= 9.2e18 ? INT64_MAX : scaled <= -9.2e18 ? INT64_MIN : static_cast<Int64>(scaled);
    FStream->WriteInt64(units);
}

void TWriter::WriteDate(TDateTime Value)
{
    WriteValue(vaDate);
    FStream->WriteDouble(Value);
}

void TWriter::WriteIdent(const AnsiString& Ident)
{
    if (SameText(Ident, "False")) {
        WriteValue(vaFalse);
    } else if (SameText(Ident, "True")) {
        WriteValue(vaTrue);
    } else if (SameText(Ident, "nil")) {
        WriteValue(vaNil);
    } else if (SameText(Ident, "Null")) {
        WriteValue(vaNull);
    } else {
        WriteValue(vaIdent);
        WriteStr(Ident);
    }
}

void TWriter::WriteSet(const std::vector<AnsiString>& Members)
{
    WriteValue(vaSet);
    for (const auto& member : Members) {
        if (member.empty())
            throw EWriteError(SWriteError);
        WriteStr(member);
    }
    WriteStr(AnsiString());
}

void TWriter::WriteBinary(const void* Data, Integer Size)
{
    WriteValue(vaBinary);
    FStream->WriteInteger(Size);
    WriteBytes(Data, Size);
}

void TWriter::WriteListBegin()
{
    WriteValue(vaList);
}

void TWriter::WriteListEnd()
{
    WriteValue(vaNull);
}

void TWriter::WriteCollectionBegin()
{
    WriteValue(vaCollection);
}

void TWriter::WriteDefinedProperties(TPersistent* Instance)
{
    Instance->DefineProperties(this);
}

// ---- TReader ----------------------------------------------------------------------------------

TReader::TReader(TStream* Stream, Integer BufSize) : TFiler(Stream, BufSize) {}

void TReader::ReadBytes(void* Data, Integer Size)
{
    FStream->ReadBuffer(Data, Size);
}

void TReader::PropValueError()
{
    throw EReadError(SInvalidPropertyValue);
}

Integer TReader::ReadLength(Integer UnitSize)
{
    Integer length = FStream->ReadInteger();
    // A length beyond what the stream still holds is damage: refuse it before allocating.
    const Int64 left = FStream->Size() - FStream->Position();
    if (length < 0 || static_cast<Int64>(length) * UnitSize > left)
        throw EReadError(SReadError);
    return length;
}

void TReader::DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc, bool)
{
    if (ReadData && !FPropName.empty() && SameText(Name, FPropName)) {
        ReadData(this);
        FPropName.clear();
    }
}

void TReader::DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc, bool)
{
    if (!ReadData || FPropName.empty() || !SameText(Name, FPropName))
        return;
    std::vector<Byte> bytes = ReadBinary();
    TMemoryStream data;
    if (!bytes.empty())
        data.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    data.SetPosition(0);
    ReadData(&data);
    FPropName.clear();
}

void TReader::ReadSignature()
{
    char signature[4];
    if (FStream->Read(signature, 4) != 4 || std::memcmp(signature, "TPF0", 4) != 0)
        throw EReadError(SInvalidImage);
}

bool TReader::ReadDefinedProperty(TPersistent* Instance)
{
    if (FPropName.empty())
        return false;
    Instance->DefineProperties(this);
    return PropertyHandled();
}

TValueType TReader::ReadValue()
{
    Byte value = FStream->ReadByte();
    if (value > vaUTF8String)
        PropValueError();
    return static_cast<TValueType>(value);
}

TValueType TReader::NextValue()
{
    TValueType value = ReadValue();
    FStream->Seek(-1, soCurrent);
    return value;
}

bool TReader::EndOfList()
{
    // The item after the last may be a property, whose first byte is its name's length (any value
    // up to 255), so the byte is compared with the end marker rather than read as a value type.
    const Byte B = FStream->ReadByte();
    FStream->Seek(-1, soCurrent);
    return B == vaNull;
}

void TReader::CheckValue(TValueType Value)
{
    if (ReadValue() != Value) {
        FStream->Seek(-1, soCurrent);
        PropValueError();
    }
}

void TReader::ReadListBegin()
{
    CheckValue(vaList);
}

void TReader::ReadListEnd()
{
    CheckValue(vaNull);
}

void TReader::ReadCollectionBegin()
{
    CheckValue(vaCollection);
}

AnsiString TReader::ReadStr()
{
    Byte length = FStream->ReadByte();
    AnsiString result(length, '\0');
    if (length > 0)
        ReadBytes(result.data(), length);
    return result;
}

AnsiString TReader::ReadPropName()
{
    FPropName = ReadStr();
    if (FPropName.empty())
        throw EReadError(SInvalidImage);
    return FPropName;
}

AnsiString TReader::ReadString()
{
    switch (ReadValue()) {
    case vaString:
        return ReadStr();
    case vaLString:
    case vaUTF8String: {
        Integer length = ReadLength(1);
        AnsiString result(static_cast<std::size_t>(length), '\0');
        ReadBytes(result.data(), length);
        return result;
    }
    case vaWString: {
        Integer length = ReadLength(2);
        WideString wide(static_cast<std::size_t>(length), u'\0');
        for (auto& c : wide)
            c = static_cast<WideChar>(FStream->ReadWord());
        return WideToAnsi(wide);
    }
    default:
        FStream->Seek(-1, soCurrent);
        PropValueError();
    }
}

WideString TReader::ReadWideString()
{
    if (NextValue() == vaWString) {
        ReadValue();
        Integer length = ReadLength(2);
        WideString wide(static_cast<std::size_t>(length), u'\0');
        for (auto& c : wide)
            c = static_cast<WideChar>(FStream->ReadWord());
        return wide;
    }
    return AnsiToWide(ReadString());
}

Int64 TReader::ReadInt64()
{
    switch (ReadValue()) {
    case vaInt8:
        return FStream->ReadShortInt();
    case vaInt16:
        return FStream->ReadSmallInt();
    case vaInt32:
        return FStream->ReadInteger();
    case vaInt64:
        return FStream->ReadInt64();
    default:
        FStream->Seek(-1, soCurrent);
        PropValueError();
    }
}

Integer TReader::ReadInteger()
{
    if (NextValue() == vaInt64)
        PropValueError();
    return static_cast<Integer>(ReadInt64());
}

bool TReader::ReadBoolean()
{
    switch (ReadValue()) {
    case vaTrue:
        return true;
    case vaFalse:
        return false;
    default:
        FStream->Seek(-1, soCurrent);
        PropValueError();
    }
}

Extended TReader::ReadFloat()
{
    if (NextValue() == vaExtended) {
        ReadValue();
        Byte bytes[10];
        ReadBytes(bytes, 10);
        return ExtendedToDouble(bytes);
    }
    return static_cast<Extended>(ReadInt64());
}

Single TReader::ReadSingle()
{
    if (NextValue() == vaSingle) {
        ReadValue();
        return FStream->ReadSingle();
    }
    return static_cast<Single>(ReadInt64());
}

Currency TReader::ReadCurrency()
{
    if (NextValue() == vaCurrency) {
        ReadValue();
        return static_cast<Currency>(FStream->ReadInt64()) / 10000.0;
    }
    return static_cast<Currency>(ReadInt64());
}

TDateTime TReader::ReadDate()
{
    if (NextValue() == vaDate) {
        ReadValue();
        return FStream->ReadDouble();
    }
    return static_cast<TDateTime>(ReadInt64());
}

AnsiString TReader::ReadIdent()
{
    switch (ReadValue()) {
    case vaIdent:
        return ReadStr();
    case vaFalse:
        return "False";
    case vaTrue:
        return "True";
    case vaNil:
        return "nil";
    case vaNull:
        return "Null";
    default:
        FStream->Seek(-1, soCurrent);
        PropValueError();
    }
}

std::vector<AnsiString> TReader::ReadSet()
{
    CheckValue(vaSet);
    std::vector<AnsiString> members;
    // Each member takes at least one byte, so the loop ends with the stream at the latest.
    for (AnsiString member = ReadStr(); !member.empty(); member = ReadStr())
        members.push_back(member);
    return members;
}

std::vector<Byte> TReader::ReadBinary()
{
    CheckValue(vaBinary);
    Integer length = ReadLength(1);
    std::vector<Byte> bytes(static_cast<std::size_t>(length));
    if (length > 0)
        ReadBytes(bytes.data(), length);
    return bytes;
}

void TReader::SkipValue()
{
    SkipValueAt(0);
}

void TReader::SkipValueAt(int Depth)
{
    if (Depth > kMaxNesting)
        throw EReadError(SInvalidImage);
    auto skipBytes = [this](Int64 Count) {
        if (FStream->Size() - FStream->Position() < Count)
            throw EReadError(SReadError);
        FStream->Seek(Count, soCurrent);
    };
    switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        break;
    case vaList:
        while (!EndOfList())
            SkipValueAt(Depth + 1);
        ReadListEnd();
        break;
    case vaInt8:
        skipBytes(1);
        break;
    case vaInt16:
        skipBytes(2);
        break;
    case vaInt32:
    case vaSingle:
        skipBytes(4);
        break;
    case vaInt64:
    case vaCurrency:
    case vaDate:
        skipBytes(8);
        break;
    case vaExtended:
        skipBytes(10);
        break;
    case vaString:
    case vaIdent:
        skipBytes(FStream->ReadByte());
        break;
    case vaLString:
    case vaUTF8String:
    case vaBinary:
        skipBytes(ReadLength(1));
        break;
    case vaWString:
        skipBytes(static_cast<Int64>(ReadLength(2)) * 2);
        break;
    case vaSet:
        while (Byte length = FStream->ReadByte())
            skipBytes(length);
        break;
    case vaCollection:
        while (!EndOfList()) {
            switch (NextValue()) {
            case vaInt8:
            case vaInt16:
            case vaInt32:
                ReadInteger();
                break;
            default:
                break;
            }
            ReadListBegin();
            while (!EndOfList()) {
                ReadPropName();
                SkipValueAt(Depth + 1);
            }
            ReadListEnd();
        }
        ReadListEnd();
        break;
    }
}
