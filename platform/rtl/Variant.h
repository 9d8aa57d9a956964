#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

#include <initializer_list>
#include <memory>
#include <vector>

using TVarType = Word;

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

// Type codes (VarType of a Variant).
enum : TVarType {
    varEmpty = 0x0000,
    varNull = 0x0001,
    varSmallint = 0x0002,
    varInteger = 0x0003,
    varSingle = 0x0004,
    varDouble = 0x0005,
    varCurrency = 0x0006,
    varDate = 0x0007,
    varOleStr = 0x0008,
    varDispatch = 0x0009,
    varError = 0x000A,
    varBoolean = 0x000B,
    varVariant = 0x000C,
    varUnknown = 0x000D,
    varShortInt = 0x0010,
    varByte = 0x0011,
    varWord = 0x0012,
    varLongWord = 0x0013,
    varInt64 = 0x0014,
    varUInt64 = 0x0015,
    varStrArg = 0x0048,
    varString = 0x0100,
    varAny = 0x0101,
    varTypeMask = 0x0FFF,
    varArray = 0x2000,
    varByRef = 0x4000
};

// A value that cannot be converted to the requested type.
class EVariantTypeCastError : public EVariantError {
public:
    using EVariantError::EVariantError;
};
// A number outside the range of the requested type.
class EVariantOverflowError : public EVariantError {
public:
    using EVariantError::EVariantError;
};
// An array operation on something that is not an array, or an index outside the bounds.
class EVariantArrayBoundsError : public EVariantError {
public:
    using EVariantError::EVariantError;
};

// The object behind a varDispatch value. The automation layer's objects derive from it (or wrap
// their interface in one); a Variant shares the object, so it lives as long as any copy holds it.
class IVarDispatch {
public:
    virtual ~IVarDispatch() = default;
};

struct TVarArrayBound {
    Integer LowBound = 0;
    Integer ElementCount = 0;
};

// A value of one of the type codes above: empty (the default), null, integers of every width,
// Single/Double/Currency/Date, Boolean, 8-bit (varString, UTF-8) and wide (varOleStr, UTF-16)
// strings, an error code, an object (varDispatch), or an array of Variants (varArray |
// varVariant). Copying copies arrays element by element; objects are shared.
//
// Conversions (As...) follow the platform's rules: empty reads as 0 / "" / false, null raises,
// strings are parsed in the current locale, numbers printed in it, Booleans print as "True" /
// "False" and read as -1 / 0. A value that cannot be converted raises EVariantTypeCastError
// "Could not convert variant of type (<from>) into type (<to>)"; a number out of the target's
// range raises EVariantOverflowError "Overflow while converting variant of type (<from>) into type (<to>)".
class Variant {
public:
    Variant();
    Variant(const Variant& Other);
    Variant(Variant&& Other) noexcept;
    Variant& operator=(const Variant& Other);
    Variant& operator=(Variant&& Other) noexcept;
    ~Variant();

    Variant(bool Value);
    Variant(int Value);
    Variant(unsigned Value);
    Variant(long Value);
    Variant(unsigned long Value);
    Variant(long long Value);
    Variant(unsigned long long Value);
    Variant(float Value);
    Variant(double Value);
    Variant(long double Value);
    Variant(const char* Value);
    Variant(const AnsiString& Value);
    Variant(const char16_t* Value);
    Variant(const WideString& Value);
    Variant(std::shared_ptr<IVarDispatch> Value);

    // Values with an explicit type code.
    static Variant FromDateTime(TDateTime Value);
    static Variant FromCurrency(Currency Value);
    static Variant FromError(Integer Code);
    static Variant FromInteger(Int64 Value, TVarType Type);
    static Variant Null();
    static Variant Empty() { return Variant(); }

    // The type code (varArray is or-ed in for arrays).
    TVarType VType() const { return FType; }
    bool IsEmpty() const { return FType == varEmpty; }
    bool IsNull() const { return FType == varNull; }
    bool IsArray() const { return (FType & varArray) != 0; }

    Integer AsInteger() const;
    Int64 AsInt64() const;
    Double AsDouble() const;
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    AnsiString AsString() const;
    WideString AsWideString() const;
    std::shared_ptr<IVarDispatch> AsDispatch() const;
    // The code of a varError value.
    Integer ErrorCode() const;

    // Arrays. Indexes are one per dimension and must lie within the bounds, else
    // EVariantArrayBoundsError "Variant or safe array index out of bounds".
    Integer ArrayDimCount() const;
    Integer ArrayLowBound(Integer Dim) const;  // Dim is 1-based
    Integer ArrayHighBound(Integer Dim) const; // Dim is 1-based
    const Variant& GetElement(std::initializer_list<Integer> Indices) const;
    void PutElement(std::initializer_list<Integer> Indices, const Variant& Value);
    Variant& Element(std::initializer_list<Integer> Indices);
    const Variant& Element(const std::vector<Integer>& Indices) const;
    Variant& Element(const std::vector<Integer>& Indices);

    friend bool operator==(const Variant& A, const Variant& B);
    friend bool operator<(const Variant& A, const Variant& B);

private:
    friend Variant VarArrayCreate(const std::vector<Integer>& Bounds, TVarType VarType);
    friend Variant VarAsType(const Variant& V, TVarType VarType);
    friend TVariantRelationship VarCompareValue(const Variant& A, const Variant& B);
    struct TArray;
    void Reset();
    Int64 ToInt64(TVarType Target) const;
    [[noreturn]] void CastError(TVarType To) const;
    [[noreturn]] void OverflowError(TVarType To) const;
    std::size_t Offset(const Integer* Indices, std::size_t Count) const;

    TVarType FType = varEmpty;
    union {
        Int64 FInt = 0; // also Boolean (0 / 1) and varError codes
        UInt64 FUInt;   // varUInt64
        Double FDouble; // varSingle, varDouble, varCurrency, varDate
    };
    AnsiString FString;
    WideString FWide;
    std::shared_ptr<IVarDispatch> FDispatch;
    std::unique_ptr<TArray> FArray;
};

using OleVariant = Variant;

// The unassigned (empty) and null values.
Variant Unassigned();
Variant Null();

TVarType VarType(const Variant& V);
bool VarIsEmpty(const Variant& V);
bool VarIsNull(const Variant& V);
// Empty, null, or an unassigned object.
bool VarIsClear(const Variant& V);
bool VarIsArray(const Variant& V);
bool VarIsNumeric(const Variant& V);
bool VarIsStr(const Variant& V);
// The value converted to VarType (simple types only); raises as the As... conversions.
Variant VarAsType(const Variant& V, TVarType VarType);
// The value as text; null and empty give "".
AnsiString VarToStr(const Variant& V);
WideString VarToWideStr(const Variant& V);
Variant VarFromDateTime(TDateTime Value);
TDateTime VarToDateTime(const Variant& V);

// Compares two values: numbers (Booleans and dates included) numerically, strings by code point,
// a string and a number as numbers (a string that is no number raises EVariantTypeCastError).
// Null or empty against anything else, and objects or arrays, are vrNotEqual (null equals null,
// empty equals empty, an object equals itself).
TVariantRelationship VarCompareValue(const Variant& A, const Variant& B);

// A variant array: Bounds holds pairs low, high for each dimension
// (VarArrayCreate({0, Rows - 1, 0, Cols - 1}, varVariant)). Only varVariant elements are held;
// other element types are accepted and stored as Variants too. An odd count of bounds or a
// high bound below low - 1 raises EVariantArrayBoundsError.
Variant VarArrayCreate(const std::vector<Integer>& Bounds, TVarType VarType);
Integer VarArrayDimCount(const Variant& A);
Integer VarArrayLowBound(const Variant& A, Integer Dim);
Integer VarArrayHighBound(const Variant& A, Integer Dim);
Variant VarArrayGet(const Variant& A, std::initializer_list<Integer> Indices);
void VarArrayPut(Variant& A, const Variant& Value, std::initializer_list<Integer> Indices);
