// Comma-separated text rules of the grid's file exchange.

#include "RudUvud/exchange/CsvCodec.h"

#include "platform/rtl/Exceptions.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace csvcodec {

namespace {

const char Candidates[10] = {',', ';', '#', '\t', '|', '@', '*', '-', '+', '&'};
const char VT = '\x0b';

void ReplaceAll(AnsiString& S, const AnsiString& From, const AnsiString& To)
{
    if (S.find(From) == AnsiString::npos)
        return; // the common case, without a copy
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

// Collapses doubled quotes and drops lone ones, into Out (replacing what it held).
void DoubleToSingle(std::string_view S, AnsiString& Out)
{
    if (S.find('"') == std::string_view::npos) {
        Out.assign(S.data(), S.size());
        return;
    }
    Out.clear();
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
}

// The closing quote of a quoted field: the first quote not doubled, from From on.
size_t ClosingQuote(std::string_view S, size_t From)
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

void DecodeBreaks(AnsiString& F, bool Tilde)
{
    if (Tilde) {
        if (F == "^")
            F.clear();
        else if (F.find('~') != AnsiString::npos)
            ReplaceAll(F, "~", "\r\n");
    } else if (F.find(VT) != AnsiString::npos) {
        ReplaceAll(F, AnsiString(1, VT), "\r\n");
    }
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

void AppendField(AnsiString& Out, const AnsiString& Text, const TCsvWriteOptions& Opt)
{
    const char S = Opt.Separator ? Opt.Separator : ',';
    bool Plain = !Text.empty() && !Opt.QuoteAll;
    for (std::size_t I = 0; Plain && I < Text.size(); ++I) {
        const char C = Text[I];
        Plain = C != '"' && C != S && C != '\r' && C != '\n';
    }
    if (Plain)
        Out += Text;
    else
        Out += EncodeField(Text, Opt);
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
    SplitLineInto(Line, Sep, Tilde, Fields);
    return Fields;
}

size_t SplitLineInto(std::string_view Line, char Sep, bool Tilde, std::vector<AnsiString>& Fields,
                     std::size_t MaxFields)
{
    // The vector's strings are reused from line to line, so that their storage is too.
    size_t Count = 0;
    auto Next = [&]() -> AnsiString& {
        if (Count == Fields.size())
            Fields.emplace_back();
        return Fields[Count++];
    };
    // The last field (or the only one): one leading and one trailing quote dropped.
    auto Tail = [&](std::string_view F) {
        if (!F.empty() && F.front() == '"')
            F.remove_prefix(1);
        if (!F.empty() && F.back() == '"')
            F.remove_suffix(1);
        AnsiString& Out = Next();
        DoubleToSingle(F, Out);
        DecodeBreaks(Out, Tilde);
    };
    if (!Sep) {
        Tail(Line);
        Fields.resize(Count);
        return Count;
    }
    size_t I = 0; // start of the rest of the line
    const size_t N = Line.size();
    bool AfterSep = false; // the rest starts right after a separator
    while (I < N && Count <= MaxFields) {
        const size_t P = Line.find(Sep, I);
        if (P == std::string_view::npos)
            break;
        size_t NextStart;
        if (Line[I] == '"') {
            const size_t Close = ClosingQuote(Line, I + 1);
            if (Close == AnsiString::npos) {
                // No closing quote: the field runs to the end of the line, as other readers
                // take it, so that nothing typed after the stray quote is lost.
                AnsiString& F = Next();
                DoubleToSingle(Line.substr(I + 1), F);
                DecodeBreaks(F, Tilde);
                Fields.resize(Count);
                return Count;
            }
            AnsiString& F = Next();
            DoubleToSingle(Line.substr(I + 1, Close - I - 1), F);
            DecodeBreaks(F, Tilde);
            const size_t S2 = Line.find(Sep, Close + 1);
            NextStart = S2 == std::string_view::npos ? N : S2 + 1;
            AfterSep = S2 != std::string_view::npos;
        } else {
            AnsiString& F = Next();
            DoubleToSingle(Line.substr(I, P - I), F);
            DecodeBreaks(F, Tilde);
            NextStart = P + 1;
            AfterSep = true;
        }
        I = NextStart;
    }
    if (Count > MaxFields) {
        // Stopped early: the caller refuses the line, so the rest is not split.
    } else if (I < N) {
        Tail(Line.substr(I));
    } else if (AfterSep) {
        // A line ending in a separator has an empty last field; it is stored like any other,
        // so that loading over a filled grid empties that cell too.
        Next().clear();
    }
    Fields.resize(Count);
    return Count;
}

bool NextLine(const AnsiString& Text, size_t& Pos, std::string_view& Line)
{
    const size_t N = Text.size();
    if (Pos >= N)
        return false;
    size_t J = Pos;
    while (J < N && Text[J] != '\r' && Text[J] != '\n')
        ++J;
    Line = std::string_view(Text).substr(Pos, J - Pos);
    if (J < N && Text[J] == '\r' && J + 1 < N && Text[J + 1] == '\n')
        J += 2;
    else if (J < N)
        ++J;
    Pos = J;
    return true;
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

TAtomicFileWriter::TAtomicFileWriter(const AnsiString& Name)
    : FName(Name), FTmp(Name + ".tmp" + std::to_string(::getpid()))
{
    FFile = std::fopen(FTmp.c_str(), "wb");
    if (!FFile)
        throw Exception("Cannot create file " + Name);
}

TAtomicFileWriter::~TAtomicFileWriter()
{
    if (FFile) {
        std::fclose(FFile);
        std::remove(FTmp.c_str());
    }
}

void TAtomicFileWriter::Write(const char* Data, std::size_t Size)
{
    if (Size && !FFailed && std::fwrite(Data, 1, Size, FFile) != Size)
        FFailed = true;
}

void TAtomicFileWriter::Commit()
{
    const bool Failed = FFailed || std::fflush(FFile) != 0;
    const bool Closed = std::fclose(FFile) == 0;
    FFile = nullptr;
    if (Failed || !Closed) {
        std::remove(FTmp.c_str());
        throw Exception("Cannot write file " + FName);
    }
    if (std::rename(FTmp.c_str(), FName.c_str()) != 0) {
        std::remove(FTmp.c_str());
        throw Exception("Cannot create file " + FName);
    }
}

void WriteFileAtomic(const AnsiString& Name, const AnsiString& Text)
{
    TAtomicFileWriter W(Name);
    W.Write(Text);
    W.Commit();
}

AnsiString ReadFile(const AnsiString& Name)
{
    // One read of the whole file into a string of its size: a string stream would copy a large
    // file several times over while it grows.
    std::ifstream F(Name, std::ios::binary | std::ios::ate);
    if (!F)
        throw Exception("Cannot open file " + Name);
    const std::streamoff Size = F.tellg();
    AnsiString Text;
    if (Size > 0) {
        Text.resize(static_cast<std::size_t>(Size));
        F.seekg(0);
        F.read(Text.data(), Size);
        Text.resize(static_cast<std::size_t>(F.gcount()));
    }
    if (F.bad())
        throw Exception("Cannot open file " + Name);
    return Text;
}

} // namespace csvcodec
