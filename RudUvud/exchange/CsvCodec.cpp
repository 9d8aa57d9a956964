// Comma-separated text rules of the grid's file exchange.

#include "RudUvud/exchange/CsvCodec.h"

#include "platform/rtl/Exceptions.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace csvcodec {

namespace {

const char Candidates[10] = {',', ';', '#', '\t', '|', '@', '*', '-', '+', '&'};
const char VT = '\x0b';

void ReplaceAll(AnsiString& S, const AnsiString& From, const AnsiString& To)
{
    AnsiString Out;
    Out.reserve(S.size());
    size_t I = 0;
    while (true) {
        const size_t P = S.find(From, I);
        if (P == AnsiString::npos)
            break;
        Out.append(S, I, P - I);
        Out += To;
        I = P + From.size();
    }
    Out.append(S, I, AnsiString::npos);
    S.swap(Out);
}

// Runs of the character: odd runs count once, even runs nothing, a run ending the line once.
int NumSingleChar(char C, const AnsiString& S)
{
    int N = 0;
    size_t I = 0;
    while (I < S.size()) {
        if (S[I] != C) {
            ++I;
            continue;
        }
        size_t J = I;
        while (J < S.size() && S[J] == C)
            ++J;
        if (J == S.size() || (J - I) % 2 == 1)
            ++N;
        I = J;
    }
    return N;
}

int NumChar(char C, const AnsiString& S)
{
    int N = 0;
    for (char X : S)
        N += X == C;
    return N;
}

// Collapses doubled quotes and drops lone ones.
AnsiString DoubleToSingle(const AnsiString& S)
{
    AnsiString Out;
    Out.reserve(S.size());
    for (size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '"') {
            if (I + 1 < S.size() && S[I + 1] == '"') {
                Out += '"';
                ++I;
            }
            continue;
        }
        Out += S[I];
    }
    return Out;
}

// The closing quote of a quoted field: the first quote not doubled, from From on.
size_t ClosingQuote(const AnsiString& S, size_t From)
{
    for (size_t I = From; I < S.size(); ++I) {
        if (S[I] != '"')
            continue;
        if (I + 1 < S.size() && S[I + 1] == '"') {
            ++I;
            continue;
        }
        return I;
    }
    return AnsiString::npos;
}

AnsiString DecodeBreaks(AnsiString F, bool Tilde)
{
    if (Tilde) {
        if (F == "^")
            return AnsiString();
        ReplaceAll(F, "~", "\r\n");
    } else if (F.find(VT) != AnsiString::npos) {
        ReplaceAll(F, AnsiString(1, VT), "\r\n");
    }
    return F;
}

} // namespace

AnsiString EncodeField(const AnsiString& Text, const TCsvWriteOptions& Opt)
{
    const char S = Opt.Separator ? Opt.Separator : ',';
    AnsiString T = Text;
    const bool HasQuote = T.find('"') != AnsiString::npos;
    if (HasQuote)
        ReplaceAll(T, "\"", "\"\"");
    const bool HasSep = T.find(S) != AnsiString::npos;
    bool Quoted = false;
    if (Opt.QuoteAll || (!HasSep && HasQuote)) {
        T = "\"" + T + "\"";
        Quoted = true;
    }
    if (T.empty()) {
        if (Opt.TildeLineBreaks)
            T = "^";
        else if (Opt.EmptyCellsAsQuotes)
            T = "\"\"";
        return T;
    }
    // Any line break is encoded, whatever Multilinecells says: written raw it would end the
    // record and split the cell over two rows of the file.
    const bool MultiLine = T.find_first_of("\r\n") != AnsiString::npos;
    if (HasSep || MultiLine) {
        if (Opt.TildeLineBreaks) {
            ReplaceAll(T, "\r\n", "~");
            ReplaceAll(T, "\r", "~");
            ReplaceAll(T, "\n", "~");
            // A separator inside still needs quotes, or the reader splits the cell.
            if (HasSep && !Quoted)
                T = "\"" + T + "\"";
        } else {
            // Line breaks always travel as VT, also in a field quoted already: a bare line end
            // inside a field would end the record for the reader.
            ReplaceAll(T, "\r\n", AnsiString(1, VT));
            ReplaceAll(T, "\r", AnsiString(1, VT));
            ReplaceAll(T, "\n", AnsiString(1, VT));
            if (!Quoted)
                T = "\"" + T + "\"";
        }
    }
    return T;
}

char DetectSeparator(const AnsiString& L1, const AnsiString& L2)
{
    char Sep = '\0';
    int Best = 0;
    for (char C : Candidates) {
        const int A = NumSingleChar(C, L1), B = NumSingleChar(C, L2);
        if (A == B && A > Best) {
            Sep = C;
            Best = A;
        }
    }
    if (Sep)
        return Sep;
    for (char C : Candidates) {
        const int A = NumChar(C, L1), B = NumChar(C, L2);
        if (A == B && A > Best) {
            Sep = C;
            Best = A;
        }
    }
    if (Sep)
        return Sep;
    for (char C : Candidates) {
        const int A = NumChar(C, L1), B = NumChar(C, L2);
        if (A > Best || B > Best) {
            Sep = C;
            Best = A > B ? A : B;
        }
    }
    return Sep;
}

std::vector<AnsiString> SplitLine(const AnsiString& Line, char Sep, bool Tilde)
{
    std::vector<AnsiString> Fields;
    if (!Sep) {
        AnsiString F = Line;
        if (!F.empty() && F.front() == '"')
            F.erase(0, 1);
        if (!F.empty() && F.back() == '"')
            F.pop_back();
        Fields.push_back(DecodeBreaks(DoubleToSingle(F), Tilde));
        return Fields;
    }
    size_t I = 0; // start of the rest of the line
    const size_t N = Line.size();
    while (I < N) {
        const size_t P = Line.find(Sep, I);
        if (P == AnsiString::npos)
            break;
        AnsiString F;
        size_t Next;
        if (Line[I] == '"') {
            const size_t Close = ClosingQuote(Line, I + 1);
            if (Close == AnsiString::npos) {
                // No closing quote: the field is empty and the rest is dropped.
                Fields.push_back(AnsiString());
                return Fields;
            }
            F = DoubleToSingle(Line.substr(I + 1, Close - I - 1));
            const size_t S2 = Line.find(Sep, Close + 1);
            Next = S2 == AnsiString::npos ? N : S2 + 1;
        } else {
            F = DoubleToSingle(Line.substr(I, P - I));
            Next = P + 1;
        }
        Fields.push_back(DecodeBreaks(std::move(F), Tilde));
        I = Next;
    }
    if (I < N) {
        AnsiString F = Line.substr(I);
        if (!F.empty() && F.front() == '"')
            F.erase(0, 1);
        if (!F.empty() && F.back() == '"')
            F.pop_back();
        Fields.push_back(DecodeBreaks(DoubleToSingle(F), Tilde));
    }
    return Fields;
}

std::vector<AnsiString> SplitFileLines(const AnsiString& Text)
{
    std::vector<AnsiString> Lines;
    size_t I = 0;
    const size_t N = Text.size();
    while (I < N) {
        size_t J = I;
        while (J < N && Text[J] != '\r' && Text[J] != '\n')
            ++J;
        Lines.emplace_back(Text, I, J - I);
        if (J < N && Text[J] == '\r' && J + 1 < N && Text[J + 1] == '\n')
            J += 2;
        else if (J < N)
            ++J;
        I = J;
    }
    return Lines;
}

void WriteFileAtomic(const AnsiString& Name, const AnsiString& Text)
{
    const AnsiString Tmp = Name + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream F(Tmp, std::ios::binary | std::ios::trunc);
        if (!F)
            throw Exception("Cannot create file " + Name);
        F.write(Text.data(), static_cast<std::streamsize>(Text.size()));
        F.flush();
        if (!F) {
            F.close();
            std::remove(Tmp.c_str());
            throw Exception("Cannot write file " + Name);
        }
    }
    if (std::rename(Tmp.c_str(), Name.c_str()) != 0) {
        std::remove(Tmp.c_str());
        throw Exception("Cannot create file " + Name);
    }
}

AnsiString ReadFile(const AnsiString& Name)
{
    std::ifstream F(Name, std::ios::binary);
    if (!F)
        throw Exception("Cannot open file " + Name);
    std::ostringstream SS;
    SS << F.rdbuf();
    return SS.str();
}

} // namespace csvcodec
