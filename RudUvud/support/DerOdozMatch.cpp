// Filter condition matching of the grid's row filter and its condition search.

#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// Operands longer than this are cut; text comparisons look at this many characters.
constexpr std::size_t MaxOperand = 255;
// Deeper nesting of parenthesised groups does not match (a pasted condition must not exhaust the
// stack).
constexpr int MaxGroupDepth = 64;

// ---- Values: number, date-time, text ----------------------------------------------------------

// A whole text as a number: locale thousand separators removed, the locale decimal separator read
// as '.', then an optional sign, digits with at most one '.', an optional exponent. Overflow is
// not a number.
bool TextToNumber(std::string_view S, double& Value)
{
    const char Thousands = FormatSettings.ThousandSeparator;
    const char Decimal = FormatSettings.DecimalSeparator;
    std::string T;
    T.reserve(S.size());
    for (char Ch : S) {
        if (Ch == Thousands)
            continue;
        T += Ch == Decimal ? '.' : Ch;
    }
    std::size_t I = 0;
    const std::size_t N = T.size();
    bool Negative = false;
    if (I < N && (T[I] == '+' || T[I] == '-'))
        Negative = T[I++] == '-';
    const std::size_t NumberStart = I;
    std::size_t Digits = 0;
    while (I < N && T[I] >= '0' && T[I] <= '9')
        ++I, ++Digits;
    if (I < N && T[I] == '.') {
        ++I;
        while (I < N && T[I] >= '0' && T[I] <= '9')
            ++I, ++Digits;
    }
    if (Digits == 0)
        return false;
    if (I < N && (T[I] == 'e' || T[I] == 'E')) {
        ++I;
        if (I < N && (T[I] == '+' || T[I] == '-'))
            ++I;
        std::size_t ExpDigits = 0;
        while (I < N && T[I] >= '0' && T[I] <= '9')
            ++I, ++ExpDigits;
        if (ExpDigits == 0)
            return false;
    }
    if (I != N)
        return false;
    // from_chars does not take a leading '+', and a mantissa written ".5" or "5." is fine for it.
    double V = 0;
    auto [End, Error] = std::from_chars(T.data() + NumberStart, T.data() + N, V);
    if (Error != std::errc() || End != T.data() + N || !std::isfinite(V))
        return false;
    Value = Negative ? -V : V;
    return true;
}

// A non-negative integer in the platform's integer syntax.
bool ReadCount(std::string_view S, Integer& Value)
{
    return TryStrToInt(AnsiString(S), Value) && Value >= 0;
}

// A date in the order of the locale short date format, with an optional time after a blank. The
// result is the day number plus the time of day, which orders correctly also before 1900.
bool TextToDateTime(std::string_view S, double& Value)
{
    const AnsiString Format = UpperCase(FormatSettings.ShortDateFormat);
    const std::size_t DayAt = Format.find('D'), MonthAt = Format.find('M'), YearAt = Format.find('Y');
    if (DayAt == AnsiString::npos || MonthAt == AnsiString::npos || YearAt == AnsiString::npos)
        return false;
    // Fields in the order of their letters: 0 day, 1 month, 2 year.
    struct TField {
        std::size_t At;
        int Kind;
    } Order[3] = {{DayAt, 0}, {MonthAt, 1}, {YearAt, 2}};
    for (int A = 0; A < 2; ++A)
        for (int B = A + 1; B < 3; ++B)
            if (Order[B].At < Order[A].At)
                std::swap(Order[A], Order[B]);

    const char Sep = FormatSettings.DateSeparator;
    const std::size_t P1 = S.find(Sep);
    if (P1 == std::string_view::npos)
        return false;
    const std::string_view Rest = S.substr(P1 + 1);
    const std::size_t P2 = Rest.find(Sep);
    if (P2 == std::string_view::npos)
        return false;
    const AnsiString Last = Trim(AnsiString(Rest.substr(P2 + 1)));
    const std::size_t Blank = Last.find(' ');
    const AnsiString Third = Blank == AnsiString::npos ? Last : Last.substr(0, Blank);

    Integer Numbers[3];
    if (!ReadCount(S.substr(0, P1), Numbers[0]) || !ReadCount(Rest.substr(0, P2), Numbers[1]) ||
        !ReadCount(Third, Numbers[2]))
        return false;
    Integer Fields[3] = {0, 0, 0};
    for (int I = 0; I < 3; ++I)
        Fields[Order[I].Kind] = Numbers[I];
    const Integer Day = Fields[0], Month = Fields[1], Year = Fields[2];
    if (Day > 31 || Month > 12 || Year > 9999)
        return false;
    TDateTime Date;
    if (!TryEncodeDate(Word(Year), Word(Month), Word(Day), Date))
        return false;
    if (Blank == AnsiString::npos) {
        Value = Date;
        return true;
    }

    const AnsiString TimePart = Trim(Last.substr(Blank));
    const char TimeSep = FormatSettings.TimeSeparator;
    const std::size_t T1 = TimePart.find(TimeSep);
    if (T1 == AnsiString::npos)
        return false;
    const AnsiString AfterHours = TimePart.substr(T1 + 1);
    const std::size_t T2 = AfterHours.find(TimeSep);
    Integer Hours, Minutes, Seconds = 0;
    if (!ReadCount(std::string_view(TimePart).substr(0, T1), Hours))
        return false;
    if (T2 == AnsiString::npos) {
        if (!ReadCount(AfterHours, Minutes))
            return false;
    } else if (!ReadCount(std::string_view(AfterHours).substr(0, T2), Minutes) ||
               !ReadCount(std::string_view(AfterHours).substr(T2 + 1), Seconds)) {
        return false;
    }
    if (Hours > 23 || Minutes > 59 || Seconds > 59)
        return false;
    TDateTime Time;
    if (!TryEncodeTime(Word(Hours), Word(Minutes), Word(Seconds), 0, Time))
        return false;
    Value = Date + Time;
    return true;
}

struct TValueKind {
    bool IsNumber = false;
    bool IsDateTime = false;
    double Number = 0;
    double DateTime = 0;
};

TValueKind Classify(std::string_view S)
{
    TValueKind Kind;
    Kind.IsNumber = TextToNumber(S, Kind.Number);
    Kind.IsDateTime = TextToDateTime(S, Kind.DateTime);
    return Kind;
}

template <class T> int Order(T A, T B)
{
    return A < B ? -1 : (B < A ? 1 : 0);
}

// Numbers when both are numbers and neither is a date-time, then date-times, else the first
// MaxOperand bytes in byte order.
int CompareValues(std::string_view A, const TValueKind& KA, std::string_view B, const TValueKind& KB)
{
    if (KA.IsNumber && KB.IsNumber && !KA.IsDateTime && !KB.IsDateTime)
        return Order(KA.Number, KB.Number);
    if (KA.IsDateTime && KB.IsDateTime)
        return Order(KA.DateTime, KB.DateTime);
    A = A.substr(0, std::min(A.size(), MaxOperand));
    B = B.substr(0, std::min(B.size(), MaxOperand));
    const std::size_t N = std::min(A.size(), B.size());
    for (std::size_t I = 0; I < N; ++I) {
        const unsigned char CA = static_cast<unsigned char>(A[I]), CB = static_cast<unsigned char>(B[I]);
        if (CA != CB)
            return CA < CB ? -1 : 1;
    }
    return Order(A.size(), B.size());
}

// ---- One term ------------------------------------------------------------------------------------

// The operand after a comparison operator at From: leading blanks skipped; it ends at a blank or at
// '&' or '|' unless those lie inside double quotes; an opening and a closing quote are not part of
// it; at most MaxOperand characters.
std::string ScanOperand(std::string_view T, std::size_t From)
{
    std::size_t I = From;
    while (I < T.size() && T[I] == ' ')
        ++I;
    std::string Operand;
    int Quotes = 0;
    const std::size_t Start = I;
    for (; I < T.size(); ++I) {
        const char Ch = T[I];
        const bool Outside = Quotes % 2 == 0;
        if (Outside && (Ch == ' ' || Ch == '&' || Ch == '|'))
            break;
        if (Ch == '"') {
            ++Quotes;
            if (I == Start)
                continue;
        }
        if (Operand.size() < MaxOperand)
            Operand += Ch;
    }
    if (!Operand.empty() && Operand.back() == '"')
        Operand.pop_back();
    return Operand;
}

// What a term (or the rest of a term after a '*') says about comparisons.
struct TTermPart {
    std::size_t Start = 0;
    bool HasGreater = false, HasLess = false, HasNot = false, HasCaret = false, HasAmp = false;
    bool GreaterOrEqual = false, LessOrEqual = false;
    std::string GreaterOperand, LessOperand;
    TValueKind GreaterKind, LessKind;
};

// Evaluates a term against a value.
//
// A '*' matches when the rest of the term, evaluated as a whole term (comparisons included),
// matches some suffix of the value. Trying every suffix recursively costs the value length to the
// power of the number of stars; instead the rest after each run of stars is evaluated once for
// every suffix, from the last run back to the first, keeping only the answers of the run after
// the current one. That is O(term x value) time, O(value) memory and no recursion.
class TTermMatcher {
public:
    TTermMatcher(std::string_view Term, std::string_view Value) : FTerm(Term), FValue(Value)
    {
        FValueKinds.resize(Value.size() + 1);
        FValueKnown.assign(Value.size() + 1, 0);
    }

    bool Run()
    {
        std::vector<std::size_t> StarEnds;
        for (std::size_t I = 0; I < FTerm.size(); ++I) {
            if (FTerm[I] != '*')
                continue;
            while (I < FTerm.size() && FTerm[I] == '*')
                ++I;
            StarEnds.push_back(I);
            --I;
        }
        const std::size_t N = FValue.size();
        std::vector<std::uint8_t> AnyAfter, Row(N + 1), NewAny(N + 1);
        for (std::size_t R = StarEnds.size(); R-- > 0;) {
            const TTermPart Part = MakePart(StarEnds[R]);
            const std::vector<std::uint8_t>* Next = R + 1 < StarEnds.size() ? &AnyAfter : nullptr;
            for (std::size_t K = 0; K <= N; ++K)
                Row[K] = Evaluate(Part, K, Next);
            // NewAny[k]: some suffix starting at k or later matches.
            NewAny[N] = Row[N];
            for (std::size_t K = N; K-- > 0;)
                NewAny[K] = Row[K] || NewAny[K + 1];
            AnyAfter.swap(NewAny);
            NewAny.resize(N + 1);
        }
        return Evaluate(MakePart(0), 0, StarEnds.empty() ? nullptr : &AnyAfter);
    }

private:
    TTermPart MakePart(std::size_t Start) const
    {
        TTermPart P;
        P.Start = Start;
        const std::string_view T = FTerm.substr(Start);
        P.HasGreater = T.find('>') != std::string_view::npos;
        P.HasLess = T.find('<') != std::string_view::npos;
        P.HasNot = T.find('!') != std::string_view::npos;
        P.HasCaret = T.find('^') != std::string_view::npos;
        P.HasAmp = T.find('&') != std::string_view::npos;
        if (P.HasGreater) {
            std::size_t At = T.find('>') + 1;
            P.GreaterOrEqual = At < T.size() && T[At] == '=';
            P.GreaterOperand = ScanOperand(T, P.GreaterOrEqual ? At + 1 : At);
            P.GreaterKind = Classify(P.GreaterOperand);
        }
        if (P.HasLess) {
            std::size_t At = T.find('<') + 1;
            P.LessOrEqual = At < T.size() && T[At] == '=';
            P.LessOperand = ScanOperand(T, P.LessOrEqual ? At + 1 : At);
            P.LessKind = Classify(P.LessOperand);
        }
        return P;
    }

    const TValueKind& ValueKind(std::size_t K)
    {
        if (!FValueKnown[K]) {
            FValueKinds[K] = Classify(FValue.substr(K));
            FValueKnown[K] = 1;
        }
        return FValueKinds[K];
    }

    int CompareWith(std::size_t K, const std::string& Operand, const TValueKind& OperandKind)
    {
        return CompareValues(FValue.substr(K), ValueKind(K), Operand, OperandKind);
    }

    bool Evaluate(const TTermPart& P, std::size_t K, const std::vector<std::uint8_t>* AnyAfter)
    {
        bool GreaterResult = true, LessResult = true, GreaterFound = false, LessFound = false;
        if (P.HasGreater) {
            int C = CompareWith(K, P.GreaterOperand, P.GreaterKind);
            GreaterResult = P.GreaterOrEqual ? C >= 0 : C > 0;
            GreaterFound = true;
        }
        if (P.HasLess) {
            int C = CompareWith(K, P.LessOperand, P.LessKind);
            LessResult = P.LessOrEqual ? C <= 0 : C < 0;
            LessFound = true;
        }
        if (P.HasNot) {
            if (!P.HasGreater)
                GreaterFound = true;
            if (!P.HasLess)
                LessFound = true;
        }
        if (P.HasCaret && (GreaterFound || LessFound))
            return LessResult || GreaterResult;
        if (P.HasAmp && GreaterFound && LessFound)
            return LessResult && GreaterResult;
        if (P.HasGreater && GreaterResult)
            return true;
        if (P.HasLess && LessResult)
            return true;
        return Walk(P.Start, K, AnyAfter);
    }

    // The wildcard walk; a '!' met on the way inverts the answer.
    bool Walk(std::size_t P, std::size_t V, const std::vector<std::uint8_t>* AnyAfter) const
    {
        const std::size_t TN = FTerm.size(), VN = FValue.size();
        bool Ok = true, Negated = false;
        while (Ok && !(P == TN && V == VN)) {
            const char Ch = P < TN ? FTerm[P] : '\0';
            if (Ch == '!') {
                Negated = true;
                ++P;
            } else if (Ch == '"') {
                ++P;
            } else if (Ch == '*') {
                Ok = AnyAfter && (*AnyAfter)[V];
                if (Ok) {
                    P = TN;
                    V = VN;
                }
            } else if (Ch == '?') {
                Ok = V < VN;
                if (Ok)
                    ++P, ++V;
            } else {
                Ok = V < VN && FValue[V] == Ch;
                if (Ok)
                    ++P, ++V;
            }
        }
        return Negated ? !Ok : Ok;
    }

    std::string_view FTerm, FValue;
    std::vector<TValueKind> FValueKinds;
    std::vector<std::uint8_t> FValueKnown;
};

// ---- Conditions ----------------------------------------------------------------------------------

bool IsOperator(char Ch)
{
    return Ch == '&' || Ch == '(' || Ch == ';' || Ch == '^' || Ch == '|';
}

// The first operator character of S outside double quotes, counting quotes from the start of S.
std::size_t FindOperator(std::string_view S)
{
    int Quotes = 0;
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '"')
            ++Quotes;
        if (IsOperator(S[I]) && Quotes % 2 == 0)
            return I;
    }
    return std::string_view::npos;
}

void Combine(bool& Result, bool Term, char Op)
{
    switch (Op) {
    case '\0':
        Result = Term;
        break;
    case '&':
        Result = Result && Term;
        break;
    case ';':
    case '^':
    case '|':
        Result = Result || Term;
        break;
    default: // '(': the empty term before an operator that follows a group
        break;
    }
}

bool MatchCondition(const AnsiString& Condition, const AnsiString& Value, bool CaseSensitive, int Depth)
{
    if (Depth > MaxGroupDepth)
        return false;
    // Blanks count only inside double quotes.
    const AnsiString Trimmed = Trim(Condition);
    AnsiString Cond;
    Cond.reserve(Trimmed.size());
    int Quotes = 0;
    for (char Ch : Trimmed) {
        if (Ch == '"')
            ++Quotes;
        if (Ch != ' ' || Quotes % 2 == 1)
            Cond += Ch;
    }
    std::string_view Rest(Cond);
    if (!Rest.empty() && Rest[0] == '=')
        Rest.remove_prefix(1);

    bool Result = false;
    char Op = '\0';
    for (;;) {
        const std::size_t At = FindOperator(Rest);
        if (At == std::string_view::npos)
            break;
        const char Found = Rest[At];
        bool Term;
        if (Rest[0] == '(') {
            int Open = 0, Close = 0;
            std::size_t Match = std::string_view::npos;
            for (std::size_t I = 0; I < Rest.size(); ++I) {
                if (Rest[I] == '(')
                    ++Open;
                else if (Rest[I] == ')' && ++Close == Open) {
                    Match = I;
                    break;
                }
            }
            if (Match == std::string_view::npos) {
                // No closing parenthesis: the rest of the condition is the group, so evaluation
                // always moves on.
                Term = MatchCondition(AnsiString(Rest.substr(1)), Value, CaseSensitive, Depth + 1);
                Rest = std::string_view();
            } else {
                Term = MatchCondition(AnsiString(Rest.substr(1, Match - 1)), Value, CaseSensitive, Depth + 1);
                Rest.remove_prefix(Match + 1);
            }
        } else {
            Term = MatchStr(AnsiString(Rest.substr(0, At)), Value, CaseSensitive);
            Rest.remove_prefix(At + 1);
        }
        Combine(Result, Term, Op);
        Op = Found;
    }
    Combine(Result, MatchStr(AnsiString(Rest), Value, CaseSensitive), Op);
    return Result;
}

} // namespace

bool MatchStrEx(const AnsiString& Condition, const AnsiString& Value, bool CaseSensitive)
{
    return MatchCondition(Condition, Value, CaseSensitive, 0);
}

bool MatchStr(const AnsiString& Term, const AnsiString& Value, bool CaseSensitive)
{
    if (CaseSensitive)
        return Matches(Term.c_str(), Value.c_str());
    return Matches(AnsiUpperCase(Term).c_str(), AnsiUpperCase(Value).c_str());
}

bool Matches(const char* Term, const char* Value)
{
    const std::string_view T = Term ? std::string_view(Term) : std::string_view();
    const std::string_view V = Value ? std::string_view(Value) : std::string_view();
    return TTermMatcher(T, V).Run();
}
