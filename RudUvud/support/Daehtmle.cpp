#include "RudUvud/support/Daehtmle.h"

#include "platform/rtl/Strings.h"

#include <cstring>
#include <limits>

bool IsWinXP = true;

namespace {

char AsciiUpper(char Ch)
{
    return (Ch >= 'a' && Ch <= 'z') ? static_cast<char>(Ch - 'a' + 'A') : Ch;
}

bool StartsWithNoCase(const AnsiString& S, std::size_t At, const char* Prefix)
{
    const std::size_t N = std::strlen(Prefix);
    if (At > S.size() || S.size() - At < N)
        return false;
    for (std::size_t I = 0; I < N; ++I)
        if (AsciiUpper(S[At + I]) != AsciiUpper(Prefix[I]))
            return false;
    return true;
}

// The entities of the preparation. The 8-bit text is UTF-8, so each becomes the UTF-8 form of its
// character rather than a single code page byte.
struct TEntity {
    const char* Name;
    const char* Text;
};
const TEntity PreparedEntities[] = {
    {"&amp;", "&"},         {"&quot;", "\""},      {"&sect;", "\u00A7"},
    {"&permil;", "\u2030"}, {"&reg;", "\u00AE"},   {"&copy;", "\u00A9"},
    {"&para;", "\u00B6"},   {"&trade;", "\u2122"}, {"&euro;", "\u20AC"},
};

AnsiString ReplaceEntities(const AnsiString& S)
{
    AnsiString Result;
    Result.reserve(S.size());
    for (std::size_t I = 0; I < S.size();) {
        bool Replaced = false;
        if (S[I] == '&') {
            for (const TEntity& E : PreparedEntities) {
                if (StartsWithNoCase(S, I, E.Name)) {
                    Result += E.Text;
                    I += std::strlen(E.Name);
                    Replaced = true;
                    break;
                }
            }
        }
        if (!Replaced)
            Result += S[I++];
    }
    return Result;
}

// Every "<#" loses its '<' and the first '>' after it goes, in one pass. A '<' left right before a
// '#' (also one that a removed '>' brought together with it) forms a new field mark, so it goes as
// well and owes one more '>'.
AnsiString RemoveFieldMarks(const AnsiString& S)
{
    AnsiString Result;
    Result.reserve(S.size());
    std::size_t OwedCloses = 0;
    for (char Ch : S) {
        if (Ch == '#') {
            while (!Result.empty() && Result.back() == '<') {
                Result.pop_back();
                ++OwedCloses;
            }
            Result += Ch;
        } else if (Ch == '>' && OwedCloses > 0) {
            --OwedCloses;
        } else {
            Result += Ch;
        }
    }
    return Result;
}

const struct {
    const char* Name;
    TColor Color;
} LiteralColors[] =
    {
        {"clred", 0x0000FF},  {"clblack", 0x000000},  {"clblue", 0xFF0000},    {"clgreen", 0x008000},
        {"claqua", 0xFFFF00}, {"clyellow", 0x00FFFF}, {"clfuchsia", 0xFF00FF}, {"clwhite", 0xFFFFFF},
        {"cllime", 0x00FF00}, {"clsilver", 0xC0C0C0}, {"clgray", 0x808080},    {"clolive", 0x008080},
        {"clnavy", 0x800000}, {"clpurple", 0x800080}, {"clteal", 0x808000},    {"clmaroon", 0x000080},
},
  SystemColors[] = {
      {"clbackground", 0x80000001},
      {"clactivecaption", 0x80000002},
      {"clinactivecaption", 0x80000003},
      {"clmenu", 0x80000004},
      {"clwindow", 0x80000005},
      {"clwindowframe", 0x80000006},
      {"clmenutext", 0x80000007},
      {"clwindowtext", 0x80000008},
      {"clcaptiontext", 0x80000009},
      {"clactiveborder", 0x8000000A},
      {"clinactiveborder", 0x8000000B},
      {"clappworkspace", 0x8000000C},
      {"clhighlight", 0x8000000D},
      {"clhighlighttext", 0x8000000E},
      {"clbtnface", 0x8000000F},
      {"clbtnshadow", 0x80000010},
      {"clgraytext", 0x80000011},
      {"clbtntext", 0x80000012},
      {"clinactivecaptiontext", 0x80000013},
      {"clbtnhighlight", 0x80000014},
      {"cl3ddkshadow", 0x80000015},
      {"cl3dlight", 0x80000016},
      {"clinfotext", 0x80000017},
      {"clinfobk", 0x80000018},
};

int HexDigit(char Ch)
{
    if (Ch >= '0' && Ch <= '9')
        return Ch - '0';
    if (Ch >= 'A' && Ch <= 'F')
        return Ch - 'A' + 10;
    if (Ch >= 'a' && Ch <= 'f')
        return Ch - 'a' + 10;
    return -1;
}

unsigned HexPair(const AnsiString& Digits, std::size_t At)
{
    if (At + 2 > Digits.size())
        return 0;
    int Hi = HexDigit(Digits[At]), Lo = HexDigit(Digits[At + 1]);
    if (Hi < 0 || Lo < 0)
        return 0;
    return unsigned(Hi * 16 + Lo);
}

} // namespace

// ---- Preparing -----------------------------------------------------------------------------------

AnsiString HTMLPrepare(const AnsiString& S)
{
    AnsiString Result = S.find('&') != AnsiString::npos ? ReplaceEntities(S) : S;
    if (Result.find("<#") != AnsiString::npos)
        Result = RemoveFieldMarks(Result);
    if (Result.find_first_of("\r\n") != AnsiString::npos) {
        AnsiString Lines;
        Lines.reserve(Result.size() + 16);
        for (char Ch : Result) {
            if (Ch == '\r')
                Lines += "<BR>";
            else if (Ch != '\n')
                Lines += Ch;
        }
        Result = std::move(Lines);
    }
    return Result;
}

AnsiString HTMLRunEntities(const AnsiString& Run)
{
    if (Run.find('&') == AnsiString::npos)
        return Run;
    AnsiString Result;
    Result.reserve(Run.size());
    for (std::size_t I = 0; I < Run.size();) {
        if (Run.compare(I, 6, "&nbsp;") == 0) {
            Result += ' ';
            I += 6;
        } else if (Run.compare(I, 4, "&lt;") == 0) {
            Result += '<';
            I += 4;
        } else if (Run.compare(I, 4, "&gt;") == 0) {
            Result += '>';
            I += 4;
        } else {
            Result += Run[I++];
        }
    }
    return Result;
}

// ---- Cutting into runs and tags -------------------------------------------------------------------

THTMLToken THTMLReader::Peek(bool WordWrap) const
{
    THTMLToken Token;
    if (AtEnd())
        return Token;
    const std::size_t Remaining = FText.size() - FPos;
    if (FText[FPos] == '<') {
        if (Remaining <= 2) {
            Token.Length = Remaining; // a lone "<x" at the end is dropped
            return Token;
        }
        const std::size_t Close = FText.find('>', FPos);
        const std::size_t End = Close == AnsiString::npos ? FText.size() : Close + 1;
        Token.Kind = tkTag;
        Token.Length = End - FPos;
        Token.Text = FText.substr(FPos, Token.Length);
        return Token;
    }
    const std::size_t Tag = FText.find('<', FPos);
    std::size_t End = Tag == AnsiString::npos ? FText.size() : Tag;
    if (WordWrap) {
        const std::size_t Space = FText.find(' ', FPos);
        if (Space != AnsiString::npos && Space < End)
            End = Space + 1;
    }
    Token.Kind = tkText;
    Token.Length = End - FPos;
    Token.Text = FText.substr(FPos, Token.Length);
    return Token;
}

void THTMLReader::Consume(const THTMLToken& Token)
{
    FPos += Token.Length;
    if (FPos > FText.size())
        FPos = FText.size();
}

THTMLToken THTMLReader::Next(bool WordWrap)
{
    THTMLToken Token = Peek(WordWrap);
    Consume(Token);
    return Token;
}

// ---- Tags -----------------------------------------------------------------------------------------

THTMLTag HTMLTagKind(const AnsiString& Tag)
{
    auto At = [&](std::size_t I) { return I < Tag.size() ? AsciiUpper(Tag[I]) : '\0'; };
    if (At(0) != '<')
        return htUnknown;
    if (At(1) == '/' && Tag.size() > 3) {
        switch (At(2)) {
        case 'A':
            return htEndA;
        case 'B':
            return At(3) == '>' ? htEndB : htEndColor;
        case 'E':
            return htEndE;
        case 'F':
            return htEndFONT;
        case 'H':
            return htEndHI;
        case 'I':
            return htEndI;
        case 'L':
            return htEndLI;
        case 'P':
            return htEndP;
        case 'R':
            return htEndR;
        case 'S':
            return At(3) == 'U' ? htEndSUBSUP : (At(3) == 'H' ? htEndSHAD : htEndS);
        case 'U':
            return At(3) == '>' ? htEndU : htEndUL;
        case 'Z':
            return htEndZ;
        default:
            return htUnknown;
        }
    }
    switch (At(1)) {
    case 'A':
        return htA;
    case 'B':
        switch (At(2)) {
        case '>':
            return htB;
        case 'R':
            return htBR;
        case 'L':
            return htBL;
        case 'O':
            return htBODY;
        default:
            return htUnknown;
        }
    case 'C':
        return htCONTROL;
    case 'E':
        return htE;
    case 'F':
        return htFONT;
    case 'H':
        return At(2) == 'I' ? htHI : (At(2) == 'R' ? htHR : htUnknown);
    case 'I':
        switch (At(2)) {
        case '>':
            return htI;
        case 'N':
            return htIND;
        case 'M':
            return htIMG;
        default:
            return htUnknown;
        }
    case 'L':
        return htLI;
    case 'P':
        return htP;
    case 'R':
        return htR;
    case 'S':
        if (At(2) == '>')
            return htS;
        if (At(2) == 'H')
            return htSHAD;
        if (StartsWithNoCase(Tag, 0, "<SUB>"))
            return htSUB;
        if (StartsWithNoCase(Tag, 0, "<SUP>"))
            return htSUP;
        return htUnknown;
    case 'U':
        return At(2) == '>' ? htU : htUL;
    case 'Z':
        return htZ;
    default:
        return htUnknown;
    }
}

// ---- Attribute values -----------------------------------------------------------------------------

namespace {

// Position just after "Name =" in the upper-cased tag, or npos.
std::size_t FindAttributeValue(const AnsiString& Upper, const AnsiString& Name)
{
    if (Name.empty())
        return AnsiString::npos;
    for (std::size_t At = Upper.find(Name); At != AnsiString::npos; At = Upper.find(Name, At + 1)) {
        std::size_t I = At + Name.size();
        while (I < Upper.size() && Upper[I] == ' ')
            ++I;
        if (I < Upper.size() && Upper[I] == '=') {
            ++I;
            while (I < Upper.size() && Upper[I] == ' ')
                ++I;
            return I;
        }
    }
    return AnsiString::npos;
}

} // namespace

AnsiString HTMLAttribute(const AnsiString& Tag, const AnsiString& Name, bool AsWritten)
{
    const AnsiString Upper = UpperCase(Tag);
    const std::size_t At = FindAttributeValue(Upper, UpperCase(Name));
    if (At == AnsiString::npos || At >= Upper.size() || Upper[At] != '"')
        return AnsiString();
    const std::size_t Start = At + 1;
    std::size_t End = Upper.find('"', Start);
    if (End == AnsiString::npos) {
        // No closing quote: up to the end of the tag.
        End = Upper.size();
        if (End > Start && Upper[End - 1] == '>')
            --End;
    }
    return (AsWritten ? Tag : Upper).substr(Start, End - Start);
}

AnsiString HTMLFontSizeValue(const AnsiString& Tag)
{
    const AnsiString Upper = UpperCase(Tag);
    const std::size_t At = FindAttributeValue(Upper, "SIZE");
    if (At == AnsiString::npos || At >= Upper.size())
        return AnsiString();
    if (Upper[At] == '"')
        return HTMLAttribute(Tag, "SIZE", false);
    std::size_t End = At;
    while (End < Upper.size() && Upper[End] != ' ' && Upper[End] != '>')
        ++End;
    return Upper.substr(At, End - At);
}

bool HTMLReadNumber(const AnsiString& Value, Integer& Number)
{
    std::size_t I = 0;
    const std::size_t N = Value.size();
    while (I < N && Value[I] == ' ')
        ++I;
    bool Negative = false;
    if (I < N && (Value[I] == '+' || Value[I] == '-'))
        Negative = Value[I++] == '-';
    int Base = 10;
    if (I < N && Value[I] == '$') {
        Base = 16;
        ++I;
    } else if (I + 1 < N && Value[I] == '0' && (Value[I + 1] == 'x' || Value[I + 1] == 'X')) {
        Base = 16;
        I += 2;
    }
    // Accumulated as a magnitude; hexadecimal may use all 32 bits.
    const std::uint64_t Limit = Base == 16 ? 0xFFFFFFFFull : (Negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t Magnitude = 0;
    std::size_t Digits = 0;
    while (I < N) {
        int D = HexDigit(Value[I]);
        if (D < 0 || D >= Base)
            break;
        const std::uint64_t Next = Magnitude * unsigned(Base) + unsigned(D);
        if (Next > Limit)
            break;
        Magnitude = Next;
        ++Digits;
        ++I;
    }
    const std::uint32_t Bits = static_cast<std::uint32_t>(Magnitude);
    Integer Read = static_cast<Integer>(Bits);
    if (Negative)
        Read = static_cast<Integer>(0u - Bits);
    Number = Read;
    return Digits > 0 && I == N;
}

Integer HTMLFontSize(Integer Size)
{
    switch (Size) {
    case 1:
        return 8;
    case 2:
        return 10;
    case 3:
        return 12;
    case 4:
        return 14;
    case 5:
        return 16;
    default:
        return Size < 1 ? 1 : (Size > 1638 ? 1638 : Size);
    }
}

TColor HTMLColorName(const AnsiString& Name)
{
    const AnsiString Lower = LowerCase(Name);
    for (const auto& C : LiteralColors)
        if (Lower == C.Name)
            return C.Color;
    for (const auto& C : SystemColors)
        if (Lower == C.Name)
            return C.Color;
    return 0;
}

TColor HTMLHexColor(const AnsiString& Digits)
{
    return HexPair(Digits, 0) | (HexPair(Digits, 2) << 8) | (HexPair(Digits, 4) << 16);
}

bool HTMLReadColor(const AnsiString& Value, bool BodyRule, TColor& Color)
{
    if (Value.empty())
        return false;
    if (BodyRule) {
        const std::size_t Hash = Value.find('#');
        if (Hash != AnsiString::npos) {
            Color = HTMLHexColor(Value.substr(Hash + 1));
            return true;
        }
        if (UpperCase(Value).find("CL") == AnsiString::npos)
            return false;
        Color = HTMLColorName(Value);
        return true;
    }
    Color = Value[0] == '#' ? HTMLHexColor(Value.substr(1)) : HTMLColorName(Value);
    return true;
}
