// Pasted text split into lines of fields, and the quoted form of a multi-line cell in copied
// text (see ClipboardText.h).

#include "RudUvud/exchange/ClipboardText.h"

#include <cstring>

namespace cliptext {

namespace {

// The text of a quoted field that holds a line break: without its quotes, doubled quotes made
// one, line breaks (and the CSV line-break character 11) made CR LF.
AnsiString UnquoteField(const AnsiString& Q)
{
    AnsiString S;
    S.reserve(Q.size());
    for (std::size_t I = 1; I + 1 < Q.size(); ++I) {
        const char C = Q[I];
        if (C == '"' && Q[I + 1] == '"' && I + 2 < Q.size()) {
            S += '"';
            ++I;
        } else if (C == '\r') {
            S += "\r\n";
            if (Q[I + 1] == '\n')
                ++I;
        } else if (C == '\n' || C == '\x0B') {
            S += "\r\n";
        } else {
            S += C;
        }
    }
    return S;
}

} // namespace

std::vector<TPasteLine> SplitPasteText(const char* Text)
{
    return Text ? SplitPasteText(Text, std::strlen(Text)) : std::vector<TPasteLine>{};
}

std::vector<TPasteLine> SplitPasteText(const char* Text, std::size_t N)
{
    std::vector<TPasteLine> Lines;
    std::size_t P = 0;
    TPasteLine Line;
    for (;;) {
        AnsiString Field;
        std::size_t End = P;
        bool Quoted = false;
        if (P < N && Text[P] == '"') {
            // Find the closing quote: a quote not doubled, followed by a separator or the end.
            std::size_t Q = P + 1;
            bool Break = false;
            for (; Q < N; ++Q) {
                if (Text[Q] == '"') {
                    if (Q + 1 < N && Text[Q + 1] == '"') {
                        ++Q;
                        continue;
                    }
                    break;
                }
                if (Text[Q] == '\r' || Text[Q] == '\n' || Text[Q] == '\x0B')
                    Break = true;
            }
            const bool Closed =
                Q < N && (Q + 1 == N || Text[Q + 1] == '\t' || Text[Q + 1] == '\r' || Text[Q + 1] == '\n');
            if (Closed && Break) {
                Field = UnquoteField(AnsiString(Text + P, Q + 1 - P));
                End = Q + 1;
                Quoted = true;
            }
        }
        if (!Quoted) {
            End = P;
            while (End < N && Text[End] != '\t' && Text[End] != '\r' && Text[End] != '\n')
                ++End;
            Field.assign(Text + P, End - P);
            // The CSV line-break form of a copy made with CopyMultiLineAsCSV.
            if (Field.size() >= 2 && Field.front() == '"' && Field.back() == '"' &&
                Field.find('\x0B') != AnsiString::npos)
                Field = UnquoteField(Field);
        }
        Line.Fields.push_back(std::move(Field));
        P = End;
        if (P < N && Text[P] == '\t') {
            ++P;
            continue;
        }
        // A line end or the end of the text.
        if (P >= N) {
            Lines.push_back(std::move(Line));
            break;
        }
        if (Text[P] == '\r' && P + 1 < N && Text[P + 1] == '\n')
            ++P;
        ++P;
        Lines.push_back(std::move(Line));
        Line = TPasteLine{};
        if (P >= N) {
            TPasteLine Rest;
            Rest.Fields.emplace_back();
            Rest.Remainder = true;
            Lines.push_back(std::move(Rest));
            break;
        }
    }
    return Lines;
}

AnsiString QuoteMultiLine(const AnsiString& S)
{
    AnsiString Q = "\"";
    Q.reserve(S.size() + 2);
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '\r') {
            Q += '\n';
            if (I + 1 < S.size() && S[I + 1] == '\n')
                ++I;
        } else if (S[I] == '"') {
            Q += "\"\"";
        } else {
            Q += S[I];
        }
    }
    return Q + '"';
}

} // namespace cliptext
