#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/StringLists.h"
#include "platform/rtl/Strings.h"

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';

bool IsDigitChar(char Ch)
{
    return Ch >= '0' && Ch <= '9';
}

char AsciiUpper(char Ch)
{
    return (Ch >= 'a' && Ch <= 'z') ? static_cast<char>(Ch - 'a' + 'A') : Ch;
}
char AsciiLower(char Ch)
{
    return (Ch >= 'A' && Ch <= 'Z') ? static_cast<char>(Ch - 'A' + 'a') : Ch;
}

// Digits, 'E', 'e' and the locale's thousand and decimal separators.
bool IsNumberChar(char Ch)
{
    return IsDigitChar(Ch) || Ch == 'E' || Ch == 'e' || Ch == FormatSettings.ThousandSeparator ||
           Ch == FormatSettings.DecimalSeparator;
}

bool Contains(const AnsiString& S, char Ch)
{
    return S.find(Ch) != AnsiString::npos;
}

AnsiString ReplaceChar(const AnsiString& S, char From, const char* To, std::size_t ToLength)
{
    AnsiString Result;
    Result.reserve(S.size());
    for (char Ch : S) {
        if (Ch == From)
            Result.append(To, ToLength);
        else
            Result += Ch;
    }
    return Result;
}

// Replaces every occurrence of a two-character sequence.
AnsiString ReplacePair(const AnsiString& S, char First, char Second, const AnsiString& With)
{
    AnsiString Result;
    Result.reserve(S.size());
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == First && I + 1 < S.size() && S[I + 1] == Second) {
            Result += With;
            ++I;
        } else {
            Result += S[I];
        }
    }
    return Result;
}

// Day, month and year numbers of a short date in the order the caller gives; 0 when the text does
// not parse.
TDateTime ParseShortDate(const AnsiString& S, bool MonthFirst)
{
    char Sep;
    if (Contains(S, '/'))
        Sep = '/';
    else if (Contains(S, '.'))
        Sep = '.';
    else if (Contains(S, '-'))
        Sep = '-';
    else
        return 0;
    std::size_t P1 = S.find(Sep);
    std::size_t P2 = S.find(Sep, P1 + 1);
    if (P2 == AnsiString::npos)
        return 0;
    Integer First, Second, Third;
    if (!TryStrToInt(S.substr(0, P1), First) || !TryStrToInt(S.substr(P1 + 1, P2 - P1 - 1), Second) ||
        !TryStrToInt(S.substr(P2 + 1), Third))
        return 0;
    // Two-digit years fall in 1926..2025; a year written in full is taken as written.
    Integer Year = Third;
    if (Third >= 0 && Third <= 99)
        Year = Third > 25 ? Third + 1900 : Third + 2000;
    Integer Month = MonthFirst ? First : Second;
    Integer Day = MonthFirst ? Second : First;
    // Numbers outside the 16-bit range must not wrap into a valid date.
    auto ToWord = [](Integer V) { return (V < 0 || V > 65535) ? Word(0) : static_cast<Word>(V); };
    return EncodeDate(ToWord(Year), ToWord(Month), ToWord(Day));
}

} // namespace

TCharSet CharSetOf(const AnsiString& Chars)
{
    TCharSet Set;
    for (char Ch : Chars)
        Set.set(static_cast<unsigned char>(Ch));
    return Set;
}

// ---- Classification and wide cell text -----------------------------------------------------------

TTextType TextType(const AnsiString& S, bool HTMLCheck)
{
    // Decided on the text as if a blank were appended, without copying it: the paint path calls
    // this for every cell.
    const std::size_t N = S.size();
    if (N == 0)
        return ttText;
    if (S[0] == '=')
        return ttFormula;
    if (N >= 2 && S[0] == '|' && S[1] == '\\') {
        // Wide text whose first unit is '=': low byte of unit 1 is '=' and high byte of unit 2 is 0.
        if (N >= 5 && S[3] == '=' && S[4] == '\0')
            return ttFormula;
        return ttUnicode;
    }
    if (N >= 2 && S[0] == '{' && S[1] == '\\')
        return ttRTF;
    if (HTMLCheck && (S.find("</") != AnsiString::npos || S.find("<B") != AnsiString::npos ||
                      S.find("<I") != AnsiString::npos || S.find("<C") != AnsiString::npos))
        return ttHTML;
    return ttText;
}

AnsiString EncodeWideStr(const WideString& S)
{
    AnsiString Result = "|\\";
    Result.reserve(2 + 2 * S.size());
    for (WideChar U : S) {
        Result += static_cast<char>(static_cast<unsigned>(U) >> 8);
        Result += static_cast<char>(static_cast<unsigned>(U) & 0xFF);
    }
    return Result;
}

WideString DecodeWideStr(const AnsiString& S)
{
    if (S.size() < 2 || S[0] != '|' || S[1] != '\\')
        return AnsiToWide(S);
    const std::size_t Units = (S.size() - 2) / 2;
    WideString Result(Units, u'\0');
    for (std::size_t I = 0; I < Units; ++I) {
        unsigned Hi = static_cast<unsigned char>(S[2 + 2 * I]);
        unsigned Lo = static_cast<unsigned char>(S[3 + 2 * I]);
        Result[I] = static_cast<WideChar>((Hi << 8) | Lo);
    }
    return Result;
}

Integer StrPosWide(const WideString& SubStr, const WideString& S)
{
    if (SubStr.empty() || S.empty() || SubStr.size() > S.size())
        return 0;
    std::size_t P = S.find(SubStr);
    return P == WideString::npos ? 0 : static_cast<Integer>(P + 1);
}

// ---- Numbers and dates ----------------------------------------------------------------------------

TAutoType IsType(const AnsiString& S)
{
    if (S.empty())
        return atString;
    const char Thousands = FormatSettings.ThousandSeparator;
    const char Decimal = FormatSettings.DecimalSeparator;
    bool IsInt = true, IsFloat = true, IsSci = true, HasE = false;
    Integer Decimals = 0, Minuses = 0, LastThousands = -1;
    const Integer N = Length(S);
    for (Integer I = 1; I <= N; ++I) {
        const char Ch = S[I - 1];
        const bool Digit = IsDigitChar(Ch);
        const bool IsE = Ch == 'e' || Ch == 'E';
        if (!Digit && Ch != '-')
            IsInt = false;
        if (IsE) {
            if (HasE)
                IsSci = false;
            HasE = true;
        }
        if (I > 1 && Ch == '-') {
            IsInt = false;
            IsFloat = false;
        }
        if (I == 1 && IsE)
            IsSci = false;
        if (I == N && (IsE || Ch == '+' || Ch == '-'))
            IsSci = false;
        if (!Digit && Ch != '-' && Ch != Thousands && Ch != Decimal)
            IsFloat = false;
        if (!(IsNumberChar(Ch) || Ch == '+' || Ch == '-') || Ch == Thousands)
            IsSci = false;
        if (Ch == Thousands) {
            if (LastThousands != -1 && I - LastThousands < 4)
                IsFloat = false;
            LastThousands = I;
        }
        if (Ch == Decimal)
            ++Decimals;
        if (Ch == '-')
            ++Minuses;
    }
    TAutoType Result = atString;
    if (IsInt)
        Result = atNumeric;
    else if (IsFloat && !HasE)
        Result = atFloat;
    else if (IsSci && HasE)
        Result = atScientific;
    // The mantissa and the exponent may each have a sign: '-1E-5'.
    if (Result == atScientific && Minuses == 2)
        Minuses = 1;
    if (Minuses > 1 || Decimals > 1)
        Result = atString;
    return Result;
}

bool CheckNum(char Ch)
{
    return IsDigitChar(Ch);
}

bool CheckSignedNum(char Ch)
{
    return IsDigitChar(Ch) || Ch == '-';
}

AnsiString RemoveSeps(const AnsiString& Text)
{
    if (Text.empty())
        return AnsiString();
    AnsiString S = Trim(Text);
    bool Negative = S.size() >= 2 && S.front() == '(' && S.back() == ')';
    std::size_t Start = 0;
    while (S.size() - Start >= 2 && !IsNumberChar(S[Start])) {
        if (S[Start] == '-')
            Negative = true;
        ++Start;
    }
    const char Thousands = FormatSettings.ThousandSeparator;
    const char Decimal = FormatSettings.DecimalSeparator;
    AnsiString Result;
    for (std::size_t I = Start; I < S.size(); ++I) {
        const char Ch = S[I];
        if (Ch == Thousands)
            continue;
        if (Ch == Decimal)
            Result += '.';
        else if (Ch == '+' || Ch == '-' || Ch == '.' || IsDigitChar(Ch) || Ch == 'E' || Ch == 'e')
            Result += Ch;
        else
            break;
    }
    if (Negative)
        Result.insert(Result.begin(), '-');
    return Result;
}

AnsiString FixDecimalSeparator(const AnsiString& S)
{
    AnsiString Result = S;
    if (FormatSettings.DecimalSeparator == ',') {
        std::size_t P = Result.find(',');
        if (P != AnsiString::npos)
            Result[P] = '.';
    }
    return Result;
}

bool IsDateStr(const AnsiString& S)
{
    const char Sep = FormatSettings.DateSeparator;
    std::size_t P = S.find(Sep);
    if (P == AnsiString::npos || P == 0)
        return false;
    std::size_t Q = S.find(Sep, P + 1);
    return Q != AnsiString::npos && Q > P + 1;
}

TDateTime StrToShortdateUS(const AnsiString& S)
{
    return ParseShortDate(S, true);
}

TDateTime StrToShortDateEU(const AnsiString& S)
{
    return ParseShortDate(S, false);
}

TDateTime GetNextDate(TDateTime Start, Word YearStep, Word MonthStep, Word DayStep, TDateTime FreeStep)
{
    // Steps are two's complement 16-bit values, so a descending series (65535) steps back instead
    // of jumping 179 years ahead.
    const Integer Years = static_cast<std::int16_t>(YearStep);
    const Integer Months = static_cast<std::int16_t>(MonthStep);
    const Integer Days = static_cast<std::int16_t>(DayStep);
    const TDateTime TimeOfDay = Start - Int(Start);
    Word Y, M, D;
    if (Days != 0 && Years == 0 && Months == 0)
        return Start + Days;
    if (Years != 0 && Months == 0 && Days == 0) {
        DecodeDate(Start, Y, M, D);
        Integer NewYear = Integer(Y) + Years;
        return EncodeDate(NewYear < 1 || NewYear > 9999 ? Word(0) : Word(NewYear), M, D) + TimeOfDay;
    }
    if (Months != 0 && Years == 0 && Days == 0) {
        DecodeDate(Start, Y, M, D);
        // Whole months since year 0, so any step lands on a real month.
        Integer Total = Integer(Y) * 12 + (Integer(M) - 1) + Months;
        Integer NewYear = Total >= 0 ? Total / 12 : -1;
        Integer NewMonth = Total >= 0 ? Total % 12 + 1 : 1;
        return EncodeDate(NewYear < 1 || NewYear > 9999 ? Word(0) : Word(NewYear), Word(NewMonth), D) +
               TimeOfDay;
    }
    return Start + FreeStep;
}

// ---- String conversions ----------------------------------------------------------------------------

AnsiString CSVQuotes(const AnsiString& S)
{
    return ReplaceChar(S, '"', "\"\"", 2);
}

void LineFeedsToCSV(AnsiString& S)
{
    S = '"' + ReplacePair(S, CR, LF, AnsiString(1, '\x0B')) + '"';
}

void LineFeedsToCSVNQ(AnsiString& S)
{
    S = ReplacePair(S, CR, LF, AnsiString(1, LF));
}

void CSVToLineFeeds(AnsiString& S)
{
    if (Contains(S, '\x0B'))
        S = ReplaceChar(S, '\x0B', "\r\n", 2);
}

void LineFeedsToJava(AnsiString& S)
{
    AnsiString Result;
    for (char Ch : S) {
        if (Ch == CR)
            Result += '~';
        else if (Ch != LF)
            Result += Ch;
    }
    S = Result;
}

void JavaToLineFeeds(AnsiString& S)
{
    S = ReplaceChar(S, '~', "\r\n", 2);
    if (S == "^")
        S.clear();
}

AnsiString LineFeedsToXLS(const AnsiString& S)
{
    AnsiString Result;
    for (char Ch : S)
        if (Ch != CR)
            Result += Ch;
    return Result;
}

AnsiString CRToLF(const AnsiString& S)
{
    return ReplaceChar(S, CR, "\n", 1);
}

AnsiString CLFToLF(const AnsiString& S)
{
    return ReplacePair(S, '\\', 'n', AnsiString(1, CR));
}

AnsiString LFToCLF(const AnsiString& S)
{
    AnsiString Result;
    for (char Ch : S) {
        if (Ch == CR)
            Result += "\\n";
        else if (Ch != LF)
            Result += Ch;
    }
    return Result;
}

AnsiString LfToFile(const AnsiString& S)
{
    if (!Contains(S, CR))
        return S;
    AnsiString Result = S;
    for (char& Ch : Result) {
        if (Ch == CR)
            Ch = '\x09';
        else if (Ch == LF)
            Ch = '\x08';
        else if (Ch == '\0')
            Ch = '\x01';
    }
    return Result;
}

AnsiString FileToLf(const AnsiString& S, bool MultiLine)
{
    AnsiString Result = S;
    if (Contains(Result, '\x08')) {
        for (char& Ch : Result) {
            if (Ch == '\x09')
                Ch = CR;
            else if (Ch == '\x08')
                Ch = LF;
            else if (Ch == '\x01')
                Ch = '\0';
        }
    }
    if (MultiLine)
        return Result;
    AnsiString Line;
    GetNextLine(Result, false, Line);
    return Line;
}

void GetNextLine(AnsiString& S, bool Keep, AnsiString& Line)
{
    std::size_t P = S.find(CR);
    if (P == AnsiString::npos) {
        Line = S;
        S.clear();
        return;
    }
    Line = S.substr(0, P);
    S.erase(0, P + 1);
    if (!S.empty() && S[0] == LF)
        S.erase(0, 1);
    if (!Keep)
        S.clear();
}

Integer LinesInText(const AnsiString& S, bool MultiLine)
{
    return MultiLine ? 1 + NumCharInStr(CR, S) : 1;
}

AnsiString DoubleToSingleChar(char Ch, const AnsiString& S)
{
    if (S.empty() || !Contains(S, Ch))
        return S;
    AnsiString Result;
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] != Ch) {
            Result += S[I];
        } else if (I + 1 < S.size() && S[I + 1] == Ch) {
            Result += Ch;
            ++I;
        }
    }
    return Result;
}

namespace {

// SinglePos on the part of S from Offset (0-based); the answer counts from the start of that part.
std::size_t SinglePosFrom(char Ch, const AnsiString& S, std::size_t Offset)
{
    const std::size_t N = S.size();
    std::size_t I = Offset;
    while (I < N) {
        if (S[I] != Ch) {
            ++I;
            continue;
        }
        std::size_t End = I;
        while (End + 1 < N && S[End + 1] == Ch)
            ++End;
        // A run that ends the text counts whatever its length.
        if (End + 1 == N || (End - I + 1) % 2 == 1)
            return End + 1 - Offset;
        I = End + 1;
    }
    return 0;
}

} // namespace

Integer SinglePos(char Ch, const AnsiString& S, Integer& Res)
{
    Res = static_cast<Integer>(SinglePosFrom(Ch, S, 0));
    return Res;
}

Integer NumSingleChar(char Ch, const AnsiString& S)
{
    // Each hit cuts the text after it; an offset does that without copying.
    Integer Count = 0;
    std::size_t Offset = 0;
    while (Offset < S.size()) {
        const std::size_t Hit = SinglePosFrom(Ch, S, Offset);
        if (Hit == 0)
            break;
        ++Count;
        Offset += Hit;
    }
    return Count;
}

Integer NumChar(char Ch, const AnsiString& S)
{
    return NumCharInStr(Ch, S);
}

Integer NumCharInStr(char Ch, const AnsiString& S)
{
    Integer Count = 0;
    for (char C : S)
        if (C == Ch)
            ++Count;
    return Count;
}

Integer CharPos(char Ch, const AnsiString& S)
{
    std::size_t P = S.find(Ch);
    return P == AnsiString::npos ? 0 : static_cast<Integer>(P + 1);
}

Integer VarCharPos(char Ch, const AnsiString& S, Integer& Res)
{
    Integer P = CharPos(Ch, S);
    if (P > 0)
        Res = P;
    return P;
}

Integer VarCharPosNC(char Ch, const AnsiString& S, Integer& Res)
{
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (AsciiUpper(S[I]) == Ch) {
            Res = static_cast<Integer>(I + 1);
            return Res;
        }
    }
    return 0;
}

Integer VarPos(const AnsiString& SubStr, const AnsiString& S, Integer& Res)
{
    Res = Pos(SubStr, S);
    return Res;
}

Integer FIPos(const AnsiString& SubStr, const AnsiString& S)
{
    return Pos(SubStr, UpperCase(S));
}

char FirstChar(const TCharSet& CharSet, const AnsiString& S, Integer& Res)
{
    Integer Quotes = 0;
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '"')
            ++Quotes;
        if (CharSet.test(static_cast<unsigned char>(S[I])) && Quotes % 2 == 0) {
            Res = static_cast<Integer>(I + 1);
            return S[I];
        }
    }
    Res = -1;
    return '\0';
}

AnsiString GetToken(AnsiString& S, const AnsiString& Separator)
{
    if (Separator.empty())
        return AnsiString();
    std::size_t P = S.find(Separator);
    if (P == AnsiString::npos)
        return AnsiString();
    AnsiString Token = S.substr(0, P);
    // The whole separator goes, so a tokenising loop always advances.
    S.erase(0, P + Separator.size());
    return Token;
}

AnsiString StringListToText(TStrings* List)
{
    AnsiString Result;
    if (!List)
        return Result;
    for (Integer I = 0; I < List->Count(); ++I)
        Result += List->Strings(I);
    return Result;
}

bool NameToCell(const AnsiString& Name, TPoint& Cell)
{
    AnsiString S = UpperCase(Name);
    if (S.size() <= 3 || S[0] != 'R')
        return false;
    std::size_t C = S.find('C', 1);
    if (C == AnsiString::npos)
        return false;
    Integer Row, Col;
    if (!TryStrToInt(S.substr(1, C - 1), Row) || !TryStrToInt(S.substr(C + 1), Col))
        return false;
    // Negative numbers name no cell.
    if (Row < 0 || Col < 0)
        return false;
    Cell.X = Col;
    Cell.Y = Row;
    return true;
}

bool IsURL(const AnsiString& S)
{
    return S.find("://") != AnsiString::npos || S.find("mailto:") != AnsiString::npos;
}

void StripURLProtocol(AnsiString& S)
{
    std::size_t P = S.find("://");
    if (P != AnsiString::npos) {
        S.erase(0, P + 3);
        return;
    }
    P = S.find("mailto:");
    if (P != AnsiString::npos)
        S.erase(0, P + 7);
}

void StringToPassword(AnsiString& S, char Ch)
{
    for (char& C : S)
        C = Ch;
}

void StringToOem(AnsiString& S)
{
    (void)S;
}

void OemToString(AnsiString& S)
{
    (void)S;
}

AnsiString ShiftCase(const AnsiString& S)
{
    AnsiString Result = S;
    bool Up = true;
    const Integer N = Length(Result);
    // Position of the first " Mc" of the result so far; earlier characters never change again.
    Integer FirstMc = 0;
    for (Integer I = 1; I <= N; ++I) {
        char& Ch = Result[I - 1];
        if (Ch == ' ' || Ch == '\'' || Ch == ',' || Ch == '-' || Ch == '.') {
            Up = true;
        } else if (Up) {
            Ch = AsciiUpper(Ch);
            Up = false;
        } else {
            Ch = AsciiLower(Ch);
        }
        if (FirstMc == 0 && I >= 3 && Result.compare(I - 3, 3, " Mc") == 0)
            FirstMc = I - 2;
        auto EndsWith = [&](const char* Tail, Integer L) {
            return I >= L && Result.compare(I - L, L, Tail) == 0;
        };
        // Name prefixes and roman numerals that keep the next letter in capitals.
        if (I == 2 && Result.compare(0, 2, "Mc") == 0)
            Up = true;
        else if (I > 2 && FirstMc == I - 2)
            Up = true;
        else if (I > N - 3 && (EndsWith(" I", 2) || EndsWith(" II", 3)))
            Up = true;
    }
    return Result;
}

AnsiString RectString(const TRect& R)
{
    return "[" + IntToStr(R.Left) + ":" + IntToStr(R.Top) + "][" + IntToStr(R.Right) + ":" +
           IntToStr(R.Bottom) + "]";
}

Integer CheckLimits(Integer Value, Integer Lower, Integer Upper)
{
    if (Lower == Upper)
        return Value;
    Integer Result = Value;
    if (Value < Lower && Lower > 0)
        Result = Lower;
    if (Value > Upper && Upper > 0)
        Result = Upper;
    return Result;
}
