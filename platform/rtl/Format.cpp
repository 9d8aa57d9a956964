#include "platform/rtl/Format.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cstdint>

namespace {

// Width and precision come from format strings that may be typed by a person; a bigger number
// than this would only allocate padding nobody can see.
constexpr Integer MaxFieldSize = 1 << 20;

class TFormatter {
public:
    TFormatter(const AnsiString& Fmt, const TVarRec* Args, std::size_t Count, const TFormatSettings& Settings)
        : FFmt(Fmt), FArgs(Args), FCount(Count), FSettings(Settings)
    {
    }

    AnsiString Run()
    {
        AnsiString Out;
        std::size_t I = 0;
        const std::size_t Size = FFmt.size();
        while (I < Size) {
            const auto Next = FFmt.find('%', I);
            if (Next == AnsiString::npos) {
                Out.append(FFmt, I, AnsiString::npos);
                break;
            }
            Out.append(FFmt, I, Next - I);
            I = Next + 1;
            if (I < Size && FFmt[I] == '%') {
                Out.push_back('%');
                ++I;
                continue;
            }
            Out += Specifier(I);
        }
        return Out;
    }

private:
    [[noreturn]] void Invalid() const { ConvertErrorFmt(SInvalidFormat, FFmt); }

    const TVarRec& NextArg()
    {
        if (FNext >= FCount)
            ConvertErrorFmt(SArgumentMissing, FFmt);
        return FArgs[FNext++];
    }

    // Reads digits or '*' at I; -1 when neither is there.
    Integer Number(std::size_t& I)
    {
        if (I < FFmt.size() && FFmt[I] == '*') {
            ++I;
            const TVarRec& A = NextArg();
            if (A.Kind() != TVarRec::vtInteger)
                Invalid();
            return static_cast<Integer>(std::clamp<Int64>(A.AsInteger(), -MaxFieldSize, MaxFieldSize));
        }
        if (I >= FFmt.size() || FFmt[I] < '0' || FFmt[I] > '9')
            return -1;
        Integer N = 0;
        while (I < FFmt.size() && FFmt[I] >= '0' && FFmt[I] <= '9') {
            N = std::min(N * 10 + (FFmt[I] - '0'), MaxFieldSize);
            ++I;
        }
        return N;
    }

    // One specifier after its '%'; advances I past it.
    AnsiString Specifier(std::size_t& I)
    {
        bool Left = false;
        if (I < FFmt.size() && FFmt[I] == '-') {
            Left = true;
            ++I;
        }
        Integer Width = Number(I);
        if (I < FFmt.size() && FFmt[I] == ':') {
            // The number read was an argument index.
            if (Width < 0)
                Width = 0;
            FNext = static_cast<std::size_t>(Width);
            ++I;
            if (I < FFmt.size() && FFmt[I] == '-') {
                Left = true;
                ++I;
            }
            Width = Number(I);
        }
        Integer Precision = -1;
        if (I < FFmt.size() && FFmt[I] == '.') {
            ++I;
            Precision = Number(I);
            if (Precision < 0)
                Precision = 0;
        }
        if (I >= FFmt.size())
            Invalid();
        const char Type = static_cast<char>(FFmt[I] >= 'a' && FFmt[I] <= 'z' ? FFmt[I] - 32 : FFmt[I]);
        ++I;
        AnsiString Text = Convert(Type, Precision);
        if (Width > 0 && static_cast<Integer>(Text.size()) < Width) {
            const std::size_t Pad = static_cast<std::size_t>(Width) - Text.size();
            if (Left)
                Text.append(Pad, ' ');
            else
                Text.insert(0, Pad, ' ');
        }
        return Text;
    }

    static bool IsInteger(const TVarRec& A)
    {
        return A.Kind() == TVarRec::vtInteger || A.Kind() == TVarRec::vtInt64;
    }

    static AnsiString ZeroPad(AnsiString Digits, Integer Precision)
    {
        if (Precision > static_cast<Integer>(Digits.size()))
            Digits.insert(0, static_cast<std::size_t>(Precision) - Digits.size(), '0');
        return Digits;
    }

    AnsiString Convert(char Type, Integer Precision)
    {
        switch (Type) {
        case 'D': {
            const TVarRec& A = NextArg();
            if (!IsInteger(A))
                Invalid();
            const Int64 V = A.AsInteger();
            const UInt64 Magnitude = V < 0 ? 0 - static_cast<UInt64>(V) : static_cast<UInt64>(V);
            return (V < 0 ? "-" : "") + ZeroPad(UIntToStr(Magnitude), Precision);
        }
        case 'U': {
            const TVarRec& A = NextArg();
            if (!IsInteger(A))
                Invalid();
            const UInt64 V = A.Kind() == TVarRec::vtInteger
                                 ? static_cast<std::uint32_t>(static_cast<std::int32_t>(A.AsInteger()))
                                 : static_cast<UInt64>(A.AsInteger());
            return ZeroPad(UIntToStr(V), Precision);
        }
        case 'X': {
            const TVarRec& A = NextArg();
            if (!IsInteger(A))
                Invalid();
            const AnsiString Hex = A.Kind() == TVarRec::vtInteger
                                       ? IntToHex(static_cast<std::int32_t>(A.AsInteger()), 0)
                                       : IntToHex(static_cast<long long>(A.AsInteger()), 0);
            return ZeroPad(Hex, Precision);
        }
        case 'E':
            return FloatToStrF(FloatArg(), ffExponent, Precision < 0 ? 15 : Precision, 3, FSettings);
        case 'F':
            return FloatToStrF(FloatArg(), ffFixed, 18, Precision < 0 ? 2 : Precision, FSettings);
        case 'G':
            return FloatToStrF(FloatArg(), ffGeneral, Precision < 0 ? 15 : Precision, 3, FSettings);
        case 'N':
            return FloatToStrF(FloatArg(), ffNumber, 18, Precision < 0 ? 2 : Precision, FSettings);
        case 'M':
            return FloatToStrF(FloatArg(), ffCurrency, 18,
                               Precision < 0 ? FSettings.CurrencyDecimals : Precision, FSettings);
        case 'S': {
            const TVarRec& A = NextArg();
            AnsiString Text;
            switch (A.Kind()) {
            case TVarRec::vtString:
                Text = AnsiString(A.AsText());
                break;
            case TVarRec::vtWideString:
                Text = WideToAnsi(WideString(A.AsWideText()));
                break;
            case TVarRec::vtChar:
                Text = AnsiString(1, static_cast<char>(A.AsInteger()));
                break;
            case TVarRec::vtWideChar:
                AppendUtf8(Text, static_cast<char32_t>(A.AsInteger()));
                break;
            default:
                Invalid();
            }
            if (Precision >= 0 && Precision < static_cast<Integer>(Text.size())) {
                // Cut at a character boundary so the result stays valid UTF-8.
                std::size_t Cut = static_cast<std::size_t>(Precision);
                while (Cut > 0 && (static_cast<unsigned char>(Text[Cut]) & 0xC0) == 0x80)
                    --Cut;
                Text.resize(Cut);
            }
            return Text;
        }
        case 'P': {
            const TVarRec& A = NextArg();
            if (A.Kind() != TVarRec::vtPointer)
                Invalid();
            return IntToHex(static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(A.AsPointer())),
                            static_cast<Integer>(sizeof(void*) * 2));
        }
        default:
            Invalid();
        }
    }

    double FloatArg()
    {
        const TVarRec& A = NextArg();
        if (A.Kind() != TVarRec::vtExtended && A.Kind() != TVarRec::vtCurrency)
            Invalid();
        return A.AsFloat();
    }

    const AnsiString& FFmt;
    const TVarRec* FArgs;
    std::size_t FCount;
    const TFormatSettings& FSettings;
    std::size_t FNext = 0;
};

} // namespace

AnsiString Format(const AnsiString& Fmt, const TVarRec* Args, std::size_t Count,
                  const TFormatSettings& Settings)
{
    return TFormatter(Fmt, Args, Count, Settings).Run();
}

AnsiString Format(const AnsiString& Fmt, const TVarRec* Args, std::size_t Count)
{
    return Format(Fmt, Args, Count, FormatSettings);
}

AnsiString Format(const AnsiString& Fmt, std::initializer_list<TVarRec> Args)
{
    return Format(Fmt, Args.begin(), Args.size(), FormatSettings);
}

AnsiString Format(const AnsiString& Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& Settings)
{
    return Format(Fmt, Args.begin(), Args.size(), Settings);
}
