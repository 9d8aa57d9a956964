#include "platform/rtl/Variant.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Strings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

struct Variant::TArray {
    std::vector<TVarArrayBound> Bounds;
    std::vector<Variant> Data;
};

namespace {

// Larger arrays are refused rather than allocated: their bounds usually come from a file or a
// reply of another program.
constexpr std::size_t MaxArrayElements = std::size_t{1} << 26;

AnsiString VarTypeAsText(TVarType Type)
{
    AnsiString Prefix = (Type & varArray) != 0 ? "Array " : "";
    switch (Type & varTypeMask) {
    case varEmpty:
        return Prefix + "Empty";
    case varNull:
        return Prefix + "Null";
    case varSmallint:
        return Prefix + "Smallint";
    case varInteger:
        return Prefix + "Integer";
    case varSingle:
        return Prefix + "Single";
    case varDouble:
        return Prefix + "Double";
    case varCurrency:
        return Prefix + "Currency";
    case varDate:
        return Prefix + "Date";
    case varOleStr:
        return Prefix + "OleStr";
    case varDispatch:
        return Prefix + "Dispatch";
    case varError:
        return Prefix + "Error";
    case varBoolean:
        return Prefix + "Boolean";
    case varVariant:
        return Prefix + "Variant";
    case varUnknown:
        return Prefix + "Unknown";
    case varShortInt:
        return Prefix + "ShortInt";
    case varByte:
        return Prefix + "Byte";
    case varWord:
        return Prefix + "Word";
    case varLongWord:
        return Prefix + "LongWord";
    case varInt64:
        return Prefix + "Int64";
    case varUInt64:
        return Prefix + "UInt64";
    case varString:
        return Prefix + "String";
    default: {
        char Text[16];
        std::snprintf(Text, sizeof Text, "$%04X", static_cast<unsigned>(Type & varTypeMask));
        return Prefix + Text;
    }
    }
}

bool IsIntegerType(TVarType T)
{
    switch (T) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
        return true;
    default:
        return false;
    }
}

bool IsFloatType(TVarType T)
{
    return T == varSingle || T == varDouble || T == varCurrency || T == varDate;
}

bool IsStringType(TVarType T)
{
    return T == varString || T == varOleStr;
}

bool IntegerRange(TVarType T, Int64& Low, Int64& High)
{
    switch (T) {
    case varSmallint:
        Low = -32768;
        High = 32767;
        return true;
    case varInteger:
        Low = std::numeric_limits<std::int32_t>::min();
        High = std::numeric_limits<std::int32_t>::max();
        return true;
    case varShortInt:
        Low = -128;
        High = 127;
        return true;
    case varByte:
        Low = 0;
        High = 255;
        return true;
    case varWord:
        Low = 0;
        High = 65535;
        return true;
    case varLongWord:
        Low = 0;
        High = 0xFFFFFFFFLL;
        return true;
    case varInt64:
        Low = std::numeric_limits<Int64>::min();
        High = std::numeric_limits<Int64>::max();
        return true;
    default:
        return false;
    }
}

bool TextToInt64(const AnsiString& S, Int64& Value)
{
    return TryStrToInt64(Trim(S), Value);
}

bool TextToDouble(const AnsiString& S, Double& Value)
{
    Extended E;
    if (!TryStrToFloat(S, E) || !std::isfinite(E))
        return false;
    Value = E;
    return true;
}

} // namespace

// ---- Construction -------------------------------------------------------------------------------

Variant::Variant(const Variant& Other)
    : FType(Other.FType), FString(Other.FString), FWide(Other.FWide), FDispatch(Other.FDispatch)
{
    FInt = Other.FInt;
    if (Other.FArray)
        FArray = std::make_unique<TArray>(*Other.FArray);
}

Variant::Variant(Variant&& Other) noexcept
    : FType(Other.FType), FString(std::move(Other.FString)), FWide(std::move(Other.FWide)),
      FDispatch(std::move(Other.FDispatch)), FArray(std::move(Other.FArray))
{
    FInt = Other.FInt;
    Other.FType = varEmpty;
    Other.FInt = 0;
}

Variant& Variant::operator=(const Variant& Other)
{
    if (this != &Other) {
        Variant Copy(Other);
        *this = std::move(Copy);
    }
    return *this;
}

Variant& Variant::operator=(Variant&& Other) noexcept
{
    if (this != &Other) {
        FType = Other.FType;
        FInt = Other.FInt;
        FString = std::move(Other.FString);
        FWide = std::move(Other.FWide);
        FDispatch = std::move(Other.FDispatch);
        FArray = std::move(Other.FArray);
        Other.FType = varEmpty;
        Other.FInt = 0;
    }
    return *this;
}

Variant::Variant() = default;
Variant::~Variant() = default;

void Variant::Reset()
{
    FType = varEmpty;
    FInt = 0;
    FString.clear();
    FWide.clear();
    FDispatch.reset();
    FArray.reset();
}

Variant::Variant(bool Value) : FType(varBoolean)
{
    FInt = Value ? 1 : 0;
}
Variant::Variant(int Value) : FType(varInteger)
{
    FInt = Value;
}
Variant::Variant(unsigned Value) : FType(varLongWord)
{
    FInt = Value;
}
Variant::Variant(long Value) : FType(varInt64)
{
    FInt = Value;
}
Variant::Variant(long long Value) : FType(varInt64)
{
    FInt = Value;
}
Variant::Variant(unsigned long Value) : FType(varUInt64)
{
    FUInt = Value;
}
Variant::Variant(unsigned long long Value) : FType(varUInt64)
{
    FUInt = Value;
}
Variant::Variant(float Value) : FType(varSingle)
{
    FDouble = Value;
}
Variant::Variant(double Value) : FType(varDouble)
{
    FDouble = Value;
}
Variant::Variant(long double Value) : FType(varDouble)
{
    FDouble = static_cast<Double>(Value);
}
Variant::Variant(const char* Value) : FType(varString), FString(Value != nullptr ? Value : "") {}
Variant::Variant(const AnsiString& Value) : FType(varString), FString(Value) {}
Variant::Variant(const char16_t* Value) : FType(varOleStr), FWide(Value != nullptr ? Value : u"") {}
Variant::Variant(const WideString& Value) : FType(varOleStr), FWide(Value) {}
Variant::Variant(std::shared_ptr<IVarDispatch> Value) : FType(varDispatch), FDispatch(std::move(Value)) {}

Variant Variant::FromDateTime(TDateTime Value)
{
    Variant V(Value);
    V.FType = varDate;
    return V;
}

Variant Variant::FromCurrency(Currency Value)
{
    Variant V(static_cast<double>(Value));
    V.FType = varCurrency;
    return V;
}

Variant Variant::FromError(Integer Code)
{
    Variant V;
    V.FType = varError;
    V.FInt = Code;
    return V;
}

Variant Variant::FromInteger(Int64 Value, TVarType Type)
{
    Variant V(Value);
    Int64 Low, High;
    if (Type == varUInt64) {
        if (Value < 0)
            V.OverflowError(Type);
        V.FType = varUInt64;
        return V;
    }
    if (!IntegerRange(Type, Low, High))
        V.CastError(Type);
    if (Value < Low || Value > High)
        V.OverflowError(Type);
    V.FType = Type;
    return V;
}

Variant Variant::Null()
{
    Variant V;
    V.FType = varNull;
    return V;
}

void Variant::CastError(TVarType To) const
{
    throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(FType) +
                                ") into type (" + VarTypeAsText(To) + ")");
}

void Variant::OverflowError(TVarType To) const
{
    throw EVariantOverflowError("Overflow while converting variant of type (" + VarTypeAsText(FType) +
                                ") into type (" + VarTypeAsText(To) + ")");
}

// ---- Conversions --------------------------------------------------------------------------------

Int64 Variant::AsInt64() const
{
    return ToInt64(varInt64);
}

Int64 Variant::ToInt64(TVarType Target) const
{
    if (FType == varEmpty)
        return 0;
    if (FType == varBoolean)
        return FInt != 0 ? -1 : 0;
    if (FType == varUInt64) {
        if (FUInt > static_cast<UInt64>(std::numeric_limits<Int64>::max()))
            OverflowError(Target);
        return static_cast<Int64>(FUInt);
    }
    if (IsIntegerType(FType))
        return FInt;
    Double D;
    if (IsFloatType(FType)) {
        D = FDouble;
    } else if (IsStringType(FType)) {
        const AnsiString S = FType == varString ? FString : WideToAnsi(FWide);
        Int64 Value;
        if (TextToInt64(S, Value))
            return Value;
        if (!TextToDouble(S, D))
            CastError(Target);
    } else {
        CastError(Target);
    }
    // Halves round to even, as the platform's Round does.
    const Double R = std::nearbyint(D);
    if (!(R >= -9223372036854775808.0 && R < 9223372036854775808.0))
        OverflowError(Target);
    return static_cast<Int64>(R);
}

Integer Variant::AsInteger() const
{
    const Int64 Value = ToInt64(varInteger);
    if (Value < std::numeric_limits<Integer>::min() || Value > std::numeric_limits<Integer>::max())
        OverflowError(varInteger);
    return static_cast<Integer>(Value);
}

Double Variant::AsDouble() const
{
    if (FType == varEmpty)
        return 0;
    if (FType == varBoolean)
        return FInt != 0 ? -1 : 0;
    if (FType == varUInt64)
        return static_cast<Double>(FUInt);
    if (IsIntegerType(FType))
        return static_cast<Double>(FInt);
    if (IsFloatType(FType))
        return FDouble;
    if (IsStringType(FType)) {
        Double D;
        if (TextToDouble(FType == varString ? FString : WideToAnsi(FWide), D))
            return D;
    }
    CastError(varDouble);
}

TDateTime Variant::AsDateTime() const
{
    if (FType == varEmpty || FType == varBoolean || IsIntegerType(FType) || IsFloatType(FType))
        return AsDouble();
    if (IsStringType(FType)) {
        TDateTime Value;
        if (TryStrToDateTime(FType == varString ? FString : WideToAnsi(FWide), Value))
            return Value;
    }
    CastError(varDate);
}

bool Variant::AsBoolean() const
{
    if (FType == varEmpty)
        return false;
    if (FType == varBoolean || IsIntegerType(FType))
        return FInt != 0;
    if (IsFloatType(FType))
        return FDouble != 0;
    if (IsStringType(FType)) {
        AnsiString S = Trim(FType == varString ? FString : WideToAnsi(FWide));
        for (char& C : S)
            if (C >= 'a' && C <= 'z')
                C = static_cast<char>(C - 'a' + 'A');
        if (S == "TRUE")
            return true;
        if (S == "FALSE")
            return false;
        Int64 I;
        if (TextToInt64(S, I))
            return I != 0;
        Double D;
        if (TextToDouble(S, D))
            return D != 0;
    }
    CastError(varBoolean);
}

AnsiString Variant::AsString() const
{
    switch (FType) {
    case varEmpty:
        return AnsiString();
    case varString:
        return FString;
    case varOleStr:
        return WideToAnsi(FWide);
    case varBoolean:
        return FInt != 0 ? "True" : "False";
    case varUInt64:
        return UIntToStr(FUInt);
    default:
        break;
    }
    if (IsIntegerType(FType))
        return IntToStr(static_cast<long long>(FInt));
    if (FType == varDate)
        return DateTimeToStr(FDouble);
    if (IsFloatType(FType))
        return FloatToStr(static_cast<Extended>(FDouble));
    CastError(varString);
}

WideString Variant::AsWideString() const
{
    if (FType == varOleStr)
        return FWide;
    return AnsiToWide(AsString());
}

std::shared_ptr<IVarDispatch> Variant::AsDispatch() const
{
    if (FType == varDispatch || FType == varUnknown)
        return FDispatch;
    if (FType == varEmpty)
        return nullptr;
    CastError(varDispatch);
}

Integer Variant::ErrorCode() const
{
    if (FType != varError)
        CastError(varError);
    return static_cast<Integer>(FInt);
}

// ---- Arrays -------------------------------------------------------------------------------------

Integer Variant::ArrayDimCount() const
{
    return FArray ? static_cast<Integer>(FArray->Bounds.size()) : 0;
}

Integer Variant::ArrayLowBound(Integer Dim) const
{
    if (!FArray || Dim < 1 || Dim > ArrayDimCount())
        throw EVariantArrayBoundsError("Variant or safe array index out of bounds");
    return FArray->Bounds[static_cast<std::size_t>(Dim - 1)].LowBound;
}

Integer Variant::ArrayHighBound(Integer Dim) const
{
    const Integer Low = ArrayLowBound(Dim);
    return Low + FArray->Bounds[static_cast<std::size_t>(Dim - 1)].ElementCount - 1;
}

std::size_t Variant::Offset(const Integer* Indices, std::size_t Count) const
{
    if (!FArray || Count != FArray->Bounds.size())
        throw EVariantArrayBoundsError("Variant or safe array index out of bounds");
    std::size_t Result = 0;
    for (std::size_t D = 0; D < Count; ++D) {
        const TVarArrayBound& B = FArray->Bounds[D];
        const Int64 Relative = static_cast<Int64>(Indices[D]) - B.LowBound;
        if (Relative < 0 || Relative >= B.ElementCount)
            throw EVariantArrayBoundsError("Variant or safe array index out of bounds");
        Result = Result * static_cast<std::size_t>(B.ElementCount) + static_cast<std::size_t>(Relative);
    }
    return Result;
}

const Variant& Variant::GetElement(std::initializer_list<Integer> Indices) const
{
    const std::size_t At = Offset(Indices.begin(), Indices.size());
    return FArray->Data[At];
}

void Variant::PutElement(std::initializer_list<Integer> Indices, const Variant& Value)
{
    const std::size_t At = Offset(Indices.begin(), Indices.size());
    FArray->Data[At] = Value;
}

Variant& Variant::Element(std::initializer_list<Integer> Indices)
{
    const std::size_t At = Offset(Indices.begin(), Indices.size());
    return FArray->Data[At];
}

const Variant& Variant::Element(const std::vector<Integer>& Indices) const
{
    const std::size_t At = Offset(Indices.data(), Indices.size());
    return FArray->Data[At];
}

Variant& Variant::Element(const std::vector<Integer>& Indices)
{
    const std::size_t At = Offset(Indices.data(), Indices.size());
    return FArray->Data[At];
}

Variant VarArrayCreate(const std::vector<Integer>& Bounds, TVarType VarType)
{
    if (Bounds.empty() || Bounds.size() % 2 != 0)
        throw EVariantArrayBoundsError("Variant array bounds error");
    auto Array = std::make_unique<Variant::TArray>();
    std::size_t Total = 1;
    for (std::size_t I = 0; I < Bounds.size(); I += 2) {
        const Int64 Count = static_cast<Int64>(Bounds[I + 1]) - Bounds[I] + 1;
        if (Count < 0)
            throw EVariantArrayBoundsError("Variant array bounds error");
        if (Count > 0 && Total > MaxArrayElements / static_cast<std::size_t>(Count))
            throw EVariantError("Variant array cannot be created");
        Total *= static_cast<std::size_t>(Count);
        Array->Bounds.push_back({Bounds[I], static_cast<Integer>(Count)});
    }
    Array->Data.resize(Total);
    Variant Result;
    Result.FType = static_cast<TVarType>(varArray | (VarType & varTypeMask));
    Result.FArray = std::move(Array);
    return Result;
}

Integer VarArrayDimCount(const Variant& A)
{
    return A.ArrayDimCount();
}
Integer VarArrayLowBound(const Variant& A, Integer Dim)
{
    return A.ArrayLowBound(Dim);
}
Integer VarArrayHighBound(const Variant& A, Integer Dim)
{
    return A.ArrayHighBound(Dim);
}
Variant VarArrayGet(const Variant& A, std::initializer_list<Integer> Indices)
{
    return A.GetElement(Indices);
}
void VarArrayPut(Variant& A, const Variant& Value, std::initializer_list<Integer> Indices)
{
    A.PutElement(Indices, Value);
}

// ---- Free functions -----------------------------------------------------------------------------

Variant Unassigned()
{
    return Variant();
}
Variant Null()
{
    return Variant::Null();
}
TVarType VarType(const Variant& V)
{
    return V.VType();
}
bool VarIsEmpty(const Variant& V)
{
    return V.IsEmpty();
}
bool VarIsNull(const Variant& V)
{
    return V.IsNull();
}

bool VarIsClear(const Variant& V)
{
    const TVarType T = V.VType();
    if (T == varEmpty || T == varNull)
        return true;
    return (T == varDispatch || T == varUnknown) && V.AsDispatch() == nullptr;
}

bool VarIsArray(const Variant& V)
{
    return V.IsArray();
}

bool VarIsNumeric(const Variant& V)
{
    const TVarType T = V.VType();
    return IsIntegerType(T) || T == varSingle || T == varDouble || T == varCurrency || T == varBoolean;
}

bool VarIsStr(const Variant& V)
{
    return IsStringType(V.VType());
}

Variant VarAsType(const Variant& V, TVarType VarType)
{
    switch (VarType) {
    case varEmpty:
        return Variant();
    case varNull:
        return Variant::Null();
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: {
        const Int64 Value = V.ToInt64(VarType);
        Int64 Low = 0, High = 0;
        IntegerRange(VarType, Low, High);
        if (Value < Low || Value > High)
            V.OverflowError(VarType);
        return Variant::FromInteger(Value, VarType);
    }
    case varUInt64: {
        if (V.VType() == varUInt64)
            return V;
        return Variant::FromInteger(V.AsInt64(), varUInt64);
    }
    case varSingle:
        return Variant(static_cast<float>(V.AsDouble()));
    case varDouble:
        return Variant(V.AsDouble());
    case varCurrency:
        return Variant::FromCurrency(V.AsDouble());
    case varDate:
        return Variant::FromDateTime(V.AsDateTime());
    case varBoolean:
        return Variant(V.AsBoolean());
    case varString:
        return Variant(V.AsString());
    case varOleStr:
        return Variant(V.AsWideString());
    default:
        V.CastError(VarType);
    }
}

AnsiString VarToStr(const Variant& V)
{
    return V.IsNull() ? AnsiString() : V.AsString();
}

WideString VarToWideStr(const Variant& V)
{
    return V.IsNull() ? WideString() : V.AsWideString();
}

Variant VarFromDateTime(TDateTime Value)
{
    return Variant::FromDateTime(Value);
}
TDateTime VarToDateTime(const Variant& V)
{
    return V.AsDateTime();
}

TVariantRelationship VarCompareValue(const Variant& A, const Variant& B)
{
    const TVarType TA = A.VType(), TB = B.VType();
    if (TA == varEmpty || TA == varNull || TB == varEmpty || TB == varNull)
        return TA == TB ? vrEqual : vrNotEqual;
    if (A.IsArray() || B.IsArray())
        return vrNotEqual;
    if (TA == varDispatch || TA == varUnknown || TB == varDispatch || TB == varUnknown || TA == varError ||
        TB == varError) {
        if (TA == TB && TA == varError)
            return A.ErrorCode() == B.ErrorCode() ? vrEqual : vrNotEqual;
        if ((TA == varDispatch || TA == varUnknown) && (TB == varDispatch || TB == varUnknown))
            return A.AsDispatch() == B.AsDispatch() ? vrEqual : vrNotEqual;
        return vrNotEqual;
    }
    auto Order = [](auto X, auto Y) { return X < Y ? vrLessThan : Y < X ? vrGreaterThan : vrEqual; };
    if (IsStringType(TA) && IsStringType(TB)) {
        // UTF-8 byte order is code-point order.
        const AnsiString SA = A.AsString(), SB = B.AsString();
        const int C = SA.compare(SB);
        return C < 0 ? vrLessThan : C > 0 ? vrGreaterThan : vrEqual;
    }
    const bool IntA = IsIntegerType(TA) || TA == varBoolean;
    const bool IntB = IsIntegerType(TB) || TB == varBoolean;
    if (IntA && IntB) {
        // 128 bits hold every Int64 and UInt64 value exactly.
        auto Wide = [](const Variant& V) -> __int128 {
            return V.FType == varUInt64 ? static_cast<__int128>(V.FUInt) : static_cast<__int128>(V.AsInt64());
        };
        return Order(Wide(A), Wide(B));
    }
    return Order(A.AsDouble(), B.AsDouble());
}

bool operator==(const Variant& A, const Variant& B)
{
    return VarCompareValue(A, B) == vrEqual;
}

bool operator<(const Variant& A, const Variant& B)
{
    return VarCompareValue(A, B) == vrLessThan;
}
