// Text rules of the fixed-width files, the text table and the grid's own line format.

#include "RudUvud/exchange/TextFormats.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

#include <cmath>

namespace textformats {

namespace {

bool IsContinuation(char C)
{
    return (static_cast<unsigned char>(C) & 0xC0) == 0x80;
}

// Byte offsets of every character start of S, and S.size() at the end.
std::vector<std::size_t> CharStarts(const AnsiString& S)
{
    std::vector<std::size_t> Starts;
    Starts.reserve(S.size() + 1);
    for (std::size_t I = 0; I < S.size(); ++I)
        if (!IsContinuation(S[I]) || I == 0)
            Starts.push_back(I);
    Starts.push_back(S.size());
    return Starts;
}

AnsiString TrimBlanks(const AnsiString& S)
{
    std::size_t A = 0, B = S.size();
    while (A < B && static_cast<unsigned char>(S[A]) <= ' ')
        ++A;
    while (B > A && static_cast<unsigned char>(S[B - 1]) <= ' ')
        --B;
    return S.substr(A, B - A);
}

// The value of the leading digits, 0 when there are none; false past Limit.
bool LeadingNumber(const AnsiString& S, Integer Limit, Integer& Value)
{
    Int64 V = 0;
    for (char C : S) {
        if (C < '0' || C > '9')
            break;
        V = V * 10 + (C - '0');
        if (V > Limit)
            return false;
    }
    Value = static_cast<Integer>(V);
    return true;
}

} // namespace

Integer ProgressPercent(Integer Done, Integer Total)
{
    return static_cast<Integer>(std::nearbyint(double(Done) * 100.0 / double(Total < 1 ? 1 : Total)));
}

std::size_t CharLength(const AnsiString& S)
{
    std::size_t N = 0;
    for (std::size_t I = 0; I < S.size(); ++I)
        N += !IsContinuation(S[I]) || I == 0;
    return N;
}

AnsiString FitToWidth(const AnsiString& S, std::size_t W)
{
    std::size_t Chars = 0, I = 0;
    for (; I < S.size(); ++I) {
        if (IsContinuation(S[I]) && I > 0)
            continue;
        if (Chars == W)
            break;
        ++Chars;
    }
    AnsiString Out = S.substr(0, I);
    Out.append(W - Chars, ' ');
    return Out;
}

std::vector<AnsiString> SplitFixedLine(const AnsiString& Line, const std::vector<Integer>& Positions,
                                       bool Trim)
{
    std::vector<AnsiString> Fields;
    if (Positions.size() < 2)
        return Fields;
    const std::vector<std::size_t> Starts = CharStarts(Line);
    const std::size_t Chars = Starts.size() - 1;
    auto Offset = [&](Integer Pos) {
        // A 1-based character position to a byte offset, clamped to the line.
        const std::size_t K = Pos <= 1 ? 0 : static_cast<std::size_t>(Pos - 1);
        return Starts[K < Chars ? K : Chars];
    };
    Fields.reserve(Positions.size() - 1);
    for (std::size_t K = 0; K + 1 < Positions.size(); ++K) {
        const std::size_t A = Offset(Positions[K]), B = Offset(Positions[K + 1]);
        AnsiString F = B > A ? Line.substr(A, B - A) : AnsiString();
        Fields.push_back(Trim ? TrimBlanks(F) : F);
    }
    return Fields;
}

AnsiString AlignPiece(const AnsiString& S, std::size_t W, TPieceAlign A)
{
    AnsiString T = S;
    std::size_t Len = CharLength(T);
    if (A == paRight && Len < W) {
        T.insert(0, W - Len, ' ');
        Len = W;
    } else if (A == paCenter) {
        while (Len < W) {
            T = " " + T + " ";
            Len += 2;
        }
    }
    if (Len <= W)
        T.append(W - Len + 1, ' ');
    return T;
}

AnsiString EncodeCellText(const AnsiString& S)
{
    // A bare LF is encoded as well as a CR: written raw it would end the record.
    if (S.find_first_of("\r\n") == AnsiString::npos)
        return S;
    AnsiString Out = S;
    for (char& C : Out) {
        if (C == '\r')
            C = '\x09';
        else if (C == '\n')
            C = '\x08';
        else if (C == '\0')
            C = '\x01';
    }
    return Out;
}

bool ParseNativeFile(const AnsiString& Text, TNativeData& Out)
{
    Out = TNativeData();
    std::size_t I = 0;
    const std::size_t N = Text.size();
    if (N == 0)
        return false;
    bool First = true;
    while (I < N) {
        std::size_t J = I;
        while (J < N && Text[J] != '\r' && Text[J] != '\n')
            ++J;
        const AnsiString Line = Text.substr(I, J - I);
        I = J < N && Text[J] == '\r' && J + 1 < N && Text[J + 1] == '\n' ? J + 2 : J + 1;
        if (First) {
            First = false;
            if (Line.empty())
                continue;
            const std::size_t Comma = Line.find(',');
            const AnsiString A = Line.substr(0, Comma);
            const AnsiString B = Comma == AnsiString::npos ? AnsiString() : Line.substr(Comma + 1);
            if (!LeadingNumber(A, MaxFileCols, Out.Cols) || !LeadingNumber(B, MaxFileRows, Out.Rows))
                return false;
            Out.HasHeader = true;
            continue;
        }
        if (Line.empty())
            continue;
        if (Line.compare(0, 2, "cw") == 0) {
            const std::size_t Comma = Line.find(',');
            if (Comma == AnsiString::npos || Comma < 3)
                return false;
            Integer C = 0, W = 0;
            if (!TryStrToInt(Line.substr(3, Comma - 3), C) || !TryStrToInt(Line.substr(Comma + 1, 255), W) ||
                W < 0)
                return false;
            Out.Widths.emplace_back(C, W);
            continue;
        }
        const std::size_t C1 = Line.find(',');
        const std::size_t C2 = C1 == AnsiString::npos ? C1 : Line.find(',', C1 + 1);
        if (C2 == AnsiString::npos)
            return false;
        TNativeCell Cell;
        if (!TryStrToInt(Line.substr(0, C1), Cell.Col) ||
            !TryStrToInt(Line.substr(C1 + 1, C2 - C1 - 1), Cell.Row))
            return false;
        Cell.Text = Line.substr(C2 + 1);
        Out.Cells.push_back(std::move(Cell));
    }
    return true;
}

void ParseNativeStream(const char* Data, std::size_t Size, TNativeData& Out)
{
    Out = TNativeData();
    std::size_t I = 0;
    // A line runs to a CR (excluded) or the end; the byte after the CR is skipped.
    auto ReadLine = [&]() {
        std::size_t J = I;
        while (J < Size && Data[J] != '\r')
            ++J;
        AnsiString Line(Data + I, J - I);
        I = J < Size ? J + 2 : J;
        if (I > Size)
            I = Size;
        return Line;
    };
    if (Size == 0)
        return;
    const AnsiString Header = ReadLine();
    Out.Consumed = I;
    if (!Header.empty()) {
        const std::size_t Comma = Header.find(',');
        Out.Cols = StrToInt(Header.substr(0, Comma));
        Out.Rows = StrToInt(Comma == AnsiString::npos ? AnsiString() : Header.substr(Comma + 1));
        if (Out.Cols < 0 || Out.Rows < 0 || Out.Cols > MaxFileCols || Out.Rows > MaxFileRows)
            throw EConvertError("'" + Header + "' is not a valid grid size");
        Out.HasHeader = true;
    }
    while (I < Size) {
        const std::size_t Mark = I;
        const AnsiString Line = ReadLine();
        if (Line.compare(0, 2, "cw") == 0) {
            const AnsiString Rest = Line.substr(Line.size() < 3 ? Line.size() : 3);
            const std::size_t Comma = Rest.find(',');
            const Integer C = StrToInt(Rest.substr(0, Comma));
            const Integer W = StrToInt(Comma == AnsiString::npos ? AnsiString() : Rest.substr(Comma + 1));
            Out.Widths.emplace_back(C, W);
            Out.Consumed = I;
            continue;
        }
        const std::size_t C1 = Line.find(',');
        const std::size_t C2 = C1 == AnsiString::npos ? C1 : Line.find(',', C1 + 1);
        if (C2 == AnsiString::npos) {
            // A line of whatever follows the grid: the next reader starts there.
            Out.Consumed = Mark;
            return;
        }
        TNativeCell Cell;
        Cell.Col = StrToInt(Line.substr(0, C1));
        Cell.Row = StrToInt(Line.substr(C1 + 1, C2 - C1 - 1));
        Cell.Text = Line.substr(C2 + 1);
        Out.Cells.push_back(std::move(Cell));
        Out.Consumed = I;
    }
}

} // namespace textformats
