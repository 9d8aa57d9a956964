#pragma once

// Format: the checked formatting routine of the runtime library.
//
//   Format("%s has %d prizes", {Name, Count})
//
// Each argument is a TVarRec made implicitly from an integer, a float, a string, a character, a
// bool or a pointer. A specifier reads the next argument (or the one its index names) and checks
// its kind: Format("%d", {"x"}) raises EConvertError "Format '%d' invalid or incompatible with
// argument"; a missing argument raises EConvertError "No argument for format '%d'". The messages
// quote the whole format string.
//
// Specifiers: "%" ["-"] [index ":"] [width] ["." precision] type, with width and precision "*"
// read from the argument list. Types: d (decimal, precision = minimum digits), u (unsigned),
// x (hexadecimal, upper case), e f g n m (floats: scientific, fixed, general, fixed with thousand
// separators, currency), s (string, precision = maximum length), p (pointer), "%%" for "%".

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

#include <initializer_list>
#include <string_view>
#include <type_traits>

class TVarRec {
public:
    enum TKind {
        vtInteger,
        vtInt64,
        vtExtended,
        vtCurrency,
        vtString,
        vtWideString,
        vtChar,
        vtWideChar,
        vtBoolean,
        vtPointer
    };

    TVarRec(bool V) : FKind(vtBoolean), FInt(V) {}
    TVarRec(char V) : FKind(vtChar), FInt(static_cast<unsigned char>(V)) {}
    TVarRec(WideChar V) : FKind(vtWideChar), FInt(V) {}
    TVarRec(signed char V) : FKind(vtInteger), FInt(V) {}
    TVarRec(unsigned char V) : FKind(vtInteger), FInt(V) {}
    TVarRec(short V) : FKind(vtInteger), FInt(V) {}
    TVarRec(unsigned short V) : FKind(vtInteger), FInt(V) {}
    TVarRec(int V) : FKind(vtInteger), FInt(V) {}
    // Unsigned 32-bit values above MaxInt are passed as 64-bit integers, so they keep their value.
    TVarRec(unsigned V) : FKind(V > 0x7FFFFFFFu ? vtInt64 : vtInteger), FInt(V) {}
    TVarRec(long V) : FKind(vtInt64), FInt(V) {}
    TVarRec(long long V) : FKind(vtInt64), FInt(V) {}
    TVarRec(unsigned long V) : FKind(vtInt64), FInt(static_cast<Int64>(V)) {}
    TVarRec(unsigned long long V) : FKind(vtInt64), FInt(static_cast<Int64>(V)) {}
    TVarRec(float V) : FKind(vtExtended), FFloat(V) {}
    TVarRec(double V) : FKind(vtExtended), FFloat(V) {}
    TVarRec(long double V) : FKind(vtExtended), FFloat(static_cast<double>(V)) {}
    TVarRec(const char* V) : FKind(vtString), FText(V ? std::string_view(V) : std::string_view()) {}
    TVarRec(const AnsiString& V) : FKind(vtString), FText(V) {}
    TVarRec(std::string_view V) : FKind(vtString), FText(V) {}
    TVarRec(const WideString& V) : FKind(vtWideString), FWide(V) {}
    TVarRec(const WideChar* V)
        : FKind(vtWideString), FWide(V ? std::u16string_view(V) : std::u16string_view())
    {
    }
    TVarRec(const void* V) : FKind(vtPointer), FPointer(V) {}
    TVarRec(void* V) : FKind(vtPointer), FPointer(V) {}
    // Enumerations pass their ordinal value, as the platform's open arrays do.
    template <class E, std::enable_if_t<std::is_enum_v<E>, int> = 0>
    TVarRec(E V) : FKind(vtInteger), FInt(static_cast<Int64>(V))
    {
    }

    // A float passed as currency: "%m" and the float types read it as its value.
    static TVarRec AsCurrency(Currency V)
    {
        TVarRec R(static_cast<double>(V));
        R.FKind = vtCurrency;
        return R;
    }

    TKind Kind() const { return FKind; }
    Int64 AsInteger() const { return FInt; }
    double AsFloat() const { return FFloat; }
    std::string_view AsText() const { return FText; }
    std::u16string_view AsWideText() const { return FWide; }
    const void* AsPointer() const { return FPointer; }

private:
    TKind FKind;
    Int64 FInt = 0;
    double FFloat = 0;
    std::string_view FText;
    std::u16string_view FWide;
    const void* FPointer = nullptr;
};

// The argument list refers to the strings passed; use it within the full expression only.
AnsiString Format(const AnsiString& Fmt, std::initializer_list<TVarRec> Args);
AnsiString Format(const AnsiString& Fmt, std::initializer_list<TVarRec> Args,
                  const TFormatSettings& Settings);
// The same over a sequence (for wrappers that collect arguments themselves).
AnsiString Format(const AnsiString& Fmt, const TVarRec* Args, std::size_t Count);
AnsiString Format(const AnsiString& Fmt, const TVarRec* Args, std::size_t Count,
                  const TFormatSettings& Settings);
