// The plain text of rich text and the checked number formatter.

#include "RudUvud/edit/GridText.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

AnsiString RTFPlainText(const AnsiString& S)
{
    AnsiString Out;
    int Depth = 0, SkipDepth = -1;
    for (size_t I = 0; I < S.size(); ++I) {
        const char C = S[I];
        if (C == '{') {
            ++Depth;
            if (I + 2 < S.size() && S[I + 1] == '\\' && S[I + 2] == '*' && SkipDepth < 0)
                SkipDepth = Depth;
        } else if (C == '}') {
            if (SkipDepth == Depth)
                SkipDepth = -1;
            --Depth;
        } else if (C == '\\') {
            size_t J = I + 1;
            if (J < S.size() && !std::isalpha(static_cast<unsigned char>(S[J]))) {
                if (SkipDepth < 0 && (S[J] == '\\' || S[J] == '{' || S[J] == '}'))
                    Out += S[J];
                I = J;
                continue;
            }
            AnsiString Word;
            while (J < S.size() && std::isalpha(static_cast<unsigned char>(S[J])))
                Word += S[J++];
            while (J < S.size() && (std::isdigit(static_cast<unsigned char>(S[J])) || S[J] == '-'))
                ++J;
            if (J < S.size() && S[J] == ' ')
                ++J;
            if ((Word == "fonttbl" || Word == "colortbl" || Word == "stylesheet" || Word == "info") &&
                SkipDepth < 0)
                SkipDepth = Depth;
            if (SkipDepth < 0 && (Word == "par" || Word == "line"))
                Out += "\r\n";
            if (SkipDepth < 0 && Word == "tab")
                Out += '\t';
            I = J - 1;
        } else if (SkipDepth < 0 && C != '\r' && C != '\n') {
            Out += C;
        }
    }
    while (Out.size() >= 2 && Out.compare(Out.size() - 2, 2, "\r\n") == 0)
        Out.resize(Out.size() - 2);
    return Out;
}

bool FormatNumber(const AnsiString& Fmt, const AnsiString& Text, AnsiString& Out)
{
    // Find the one conversion; %% is a literal.
    size_t Spec = AnsiString::npos;
    char Conv = 0;
    for (size_t I = 0; I < Fmt.size(); ++I) {
        if (Fmt[I] != '%')
            continue;
        if (I + 1 < Fmt.size() && Fmt[I + 1] == '%') {
            ++I;
            continue;
        }
        if (Spec != AnsiString::npos)
            return false;
        size_t J = I + 1;
        while (J < Fmt.size() && std::strchr("-+ #0", Fmt[J]))
            ++J;
        size_t Digits = 0;
        while (J < Fmt.size() && std::isdigit(static_cast<unsigned char>(Fmt[J])))
            ++J, ++Digits;
        if (J < Fmt.size() && Fmt[J] == '.') {
            ++J;
            size_t Prec = 0;
            while (J < Fmt.size() && std::isdigit(static_cast<unsigned char>(Fmt[J])))
                ++J, ++Prec;
            if (Prec > 2)
                return false;
        }
        if (Digits > 2 || J >= Fmt.size())
            return false;
        Conv = Fmt[J];
        if (!std::strchr("dieEfgG", Conv))
            return false;
        Spec = I;
        I = J;
    }
    if (Spec == AnsiString::npos)
        return false;
    char* End = nullptr;
    const double V = std::strtod(Text.c_str(), &End);
    if (End == Text.c_str() || !std::isfinite(V))
        return false;
    while (*End == ' ')
        ++End;
    if (*End)
        return false;
    char Buf[512];
    int N;
    if (Conv == 'd' || Conv == 'i') {
        if (std::fabs(V) > 9.2e18)
            return false;
        // The integer form takes the format with a long long length modifier put in.
        AnsiString F = Fmt;
        const size_t P = F.find_first_of("di", Spec + 1);
        F.insert(P, "ll");
        N = std::snprintf(Buf, sizeof Buf, F.c_str(), static_cast<long long>(std::llround(V)));
    } else {
        N = std::snprintf(Buf, sizeof Buf, Fmt.c_str(), V);
    }
    if (N < 0 || static_cast<size_t>(N) >= sizeof Buf)
        return false;
    Out.assign(Buf, static_cast<size_t>(N));
    return true;
}
