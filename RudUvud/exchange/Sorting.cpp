// Sorting of the string grid: by one column with the tie-break over the following columns, by a
// multi-column index, and back to the first order.
//
// Each sort reads every key once (the text, and for number and date styles its value). A sort
// column whose order folds into integers (numbers, dates, byte-wise texts) is put in order by a
// stable radix sort over flat 12-byte keys, runs of equal keys then by the full comparison; other
// styles sort a permutation with a stable merge sort. Either way rows that compare equal keep
// their order. The permutation is then applied with at most n row exchanges, each an O(1)
// exchange of row objects that carries the height, the disjunct mark, the modified flag and the
// cross-reference entry along.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/exchange/GridSortState.h"

#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <numeric>

#include <charconv>
#include <clocale>
#include <locale.h>
#include <stdlib.h>

// ---- Sort index list and settings -------------------------------------------------------------------

TSortSettings::TSortSettings(TDidAririzEvar* AGrid)
    : FGrid(AGrid), FUpGlyph(std::make_unique<TBitmap>()), FDownGlyph(std::make_unique<TBitmap>()),
      FIndexUpGlyph(std::make_unique<TBitmap>()), FIndexDownGlyph(std::make_unique<TBitmap>())
{
}

TSortSettings::~TSortSettings() = default;

void TSortSettings::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TSortSettings*>(Source);
    if (!S)
        return;
    // Every property but SortOnVirtualCells and IgnoreCase, which keep their values.
    AutoSortForGrouping = S->AutoSortForGrouping;
    AutoColumnMerge = S->AutoColumnMerge;
    Column = S->Column;
    Show = S->Show;
    IndexShow = S->IndexShow;
    IndexColor = S->IndexColor;
    IndexSortKey = S->IndexSortKey;
    Full = S->Full;
    SingleColumn = S->SingleColumn;
    IgnoreBlanks = S->IgnoreBlanks;
    BlankPos = S->BlankPos;
    AutoFormat = S->AutoFormat;
    Direction = S->Direction;
    InitSortDirection = S->InitSortDirection;
    FixedCols = S->FixedCols;
    NormalCellsOnly = S->NormalCellsOnly;
    UndoSort = S->UndoSort;
    HeaderColor = S->HeaderColor;
    HeaderColorTo = S->HeaderColorTo;
    HeaderMirrorColor = S->HeaderMirrorColor;
    HeaderMirrorColorTo = S->HeaderMirrorColorTo;
    SortIndexes.SetStrValue(S->SortIndexes.GetStrValue());
    FRow = S->FRow;
    FUpGlyph->Assign(S->FUpGlyph.get());
    FDownGlyph->Assign(S->FDownGlyph.get());
    FIndexUpGlyph->Assign(S->FIndexUpGlyph.get());
    FIndexDownGlyph->Assign(S->FIndexDownGlyph.get());
}

AnsiString TSortSettings::SaveToString() const
{
    return IntToStr(Column) + ":" + IntToStr(Direction == sdDescending ? 1 : 0) + ":" +
           SortIndexes.SaveToString();
}

void TSortSettings::LoadFromString(const AnsiString& S)
{
    const size_t A = S.find(':');
    const size_t B = A == AnsiString::npos ? A : S.find(':', A + 1);
    Integer C = 0, D = 0;
    if (B == AnsiString::npos || !TryStrToInt(S.substr(0, A), C) ||
        !TryStrToInt(S.substr(A + 1, B - A - 1), D) || (D != 0 && D != 1) || C < -1)
        return;
    Column = C;
    Direction = D ? sdDescending : sdAscending;
    SortIndexes.LoadFromString(S.substr(B + 1));
    if (!FGrid)
        return;
    if (SortIndexes.Count() > 0)
        FGrid->QSortIndexed();
    else if (Column >= 0)
        FGrid->QSort();
}

void TSortSettings::Remove()
{
    Column = -1;
    SortIndexes.Clear();
    if (FGrid && FGrid->FixedRows() > 0)
        FGrid->RepaintRow(FGrid->FixedRows() - 1);
}

void TSortSettings::SetRow(Integer Value)
{
    if (FGrid && (Value < 0 || Value >= FGrid->FixedRows()))
        return;
    FRow = Value;
}

// ---- Keys --------------------------------------------------------------------------------------------

namespace {

const AnsiString NoText;

// The value of a key of a number or date column.
struct TSortValue {
    double Value = 0;
    bool Valid = false;
};

int Sign(int V)
{
    return V < 0 ? -1 : (V > 0 ? 1 : 0);
}

int CompareBytes(const AnsiString& A, const AnsiString& B)
{
    return Sign(A.compare(B));
}

AnsiString UpperAscii(AnsiString S)
{
    for (char& C : S)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    return S;
}

bool IsNumberText(const AnsiString& S)
{
    // The common forms "-123" and "123.45" are answered here as IsType answers them.
    if (FormatSettings.DecimalSeparator == '.' && FormatSettings.ThousandSeparator != '.' &&
        FormatSettings.ThousandSeparator != '-') {
        size_t I = !S.empty() && S[0] == '-' ? 1 : 0;
        const size_t From = I;
        while (I < S.size() && S[I] >= '0' && S[I] <= '9')
            ++I;
        if (I > From && I < S.size() && S[I] == '.')
            for (++I; I < S.size() && S[I] >= '0' && S[I] <= '9';)
                ++I;
        if (I > From && I == S.size())
            return true;
    }
    const TAutoType T = IsType(S);
    return T == atNumeric || T == atFloat || T == atScientific;
}

// A text that starts like a date: the date separator within the first three characters with
// digits on both sides.
bool LooksLikeDate(const AnsiString& S)
{
    const char Sep = FormatSettings.DateSeparator;
    const size_t P = S.find(Sep);
    return P != AnsiString::npos && P >= 1 && P < 3 && P + 1 < S.size() &&
           std::isdigit(static_cast<unsigned char>(S[P - 1])) &&
           std::isdigit(static_cast<unsigned char>(S[P + 1]));
}

bool IsDigit(char C)
{
    return C >= '0' && C <= '9';
}

// The number of a plain decimal text ("-12.5", "3e4", trailing blanks allowed) that needs none of
// ParseNumber's rewriting; false when the text is anything else, which ParseNumber then decides.
bool PlainNumber(const AnsiString& S, double& V)
{
    const size_t N = S.size();
    size_t I = 0;
    if (N > 0 && (S[0] == '+' || S[0] == '-'))
        ++I;
    size_t Digits = 0;
    for (; I < N && IsDigit(S[I]); ++I)
        ++Digits;
    if (I < N && S[I] == '.')
        for (++I; I < N && IsDigit(S[I]); ++I)
            ++Digits;
    if (Digits == 0)
        return false;
    if (I < N && (S[I] == 'e' || S[I] == 'E')) {
        size_t J = I + 1, Exp = 0;
        if (J < N && (S[J] == '+' || S[J] == '-'))
            ++J;
        for (; J < N && IsDigit(S[J]); ++J)
            ++Exp;
        if (Exp == 0)
            return false;
        I = J;
    }
    const size_t End = I;
    while (I < N && S[I] == ' ')
        ++I;
    if (I != N)
        return false;
    const char* From = S.data() + (S[0] == '+' ? 1 : 0);
    const auto R = std::from_chars(From, S.data() + End, V);
    return R.ec == std::errc() && R.ptr == S.data() + End;
}

// Numbers are read with '.' as the decimal point whatever the process's locale says.
double StrToDoubleC(const char* S, char** End)
{
    static const locale_t C = ::newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    return C ? ::strtod_l(S, End, C) : std::strtod(S, End);
}

bool ParseNumber(AnsiString S, const AnsiString& Prefix, const AnsiString& Suffix, bool Financial, double& V)
{
    if (!Suffix.empty()) {
        const size_t P = S.find(Suffix);
        if (P != AnsiString::npos)
            S.erase(P, Suffix.size());
    }
    if (!Prefix.empty()) {
        const size_t P = S.find(Prefix);
        if (P != AnsiString::npos)
            S.erase(P, Prefix.size());
    }
    if (Financial && FormatSettings.ThousandSeparator)
        S.erase(std::remove(S.begin(), S.end(), FormatSettings.ThousandSeparator), S.end());
    if (FormatSettings.DecimalSeparator != '.') {
        const size_t P = S.find(FormatSettings.DecimalSeparator);
        if (P != AnsiString::npos)
            S[P] = '.';
    }
    while (!S.empty() && S.front() == ' ')
        S.erase(0, 1);
    if (S.empty())
        return false;
    char* End = nullptr;
    V = StrToDoubleC(S.c_str(), &End);
    while (End && *End == ' ')
        ++End;
    return End && *End == 0 && std::strchr("0123456789.+-", S[0]);
}

// ParseNumber, without its copy for the texts it would not change.
bool ReadNumber(const AnsiString& S, const AnsiString& Prefix, const AnsiString& Suffix, bool Financial,
                double& V)
{
    const char Thousands = FormatSettings.ThousandSeparator;
    const char Decimal = FormatSettings.DecimalSeparator;
    if (Prefix.empty() && Suffix.empty() &&
        (!Financial || !Thousands || S.find(Thousands) == AnsiString::npos) &&
        (Decimal == '.' || S.find(Decimal) == AnsiString::npos) && PlainNumber(S, V))
        return true;
    return ParseNumber(S, Prefix, Suffix, Financial, V);
}

bool ParseDate(TSortStyle Style, const AnsiString& S, double& V)
{
    if (S.empty())
        return false;
    try {
        if (Style == ssShortDateEU) {
            V = StrToShortDateEU(S);
            return V != 0;
        }
        if (Style == ssShortDateUS) {
            V = StrToShortdateUS(S);
            return V != 0;
        }
        TDateTime D = 0;
        if (!TryStrToDateTime(S, D))
            return false;
        V = D;
        return true;
    } catch (const Exception&) {
        return false;
    }
}

bool IsNumericStyle(TSortStyle S)
{
    return S == ssNumeric || S == ssFinancial;
}

bool IsDateStyle(TSortStyle S)
{
    return S == ssDate || S == ssShortDateEU || S == ssShortDateUS;
}

} // namespace

// The keys of one column over the sorted rows, read once per sort, with the column's style. A key's
// text is the stored one, looked up again on each use (nothing here points into the store while
// the sort runs), or a copy when the text read differs; number and date values are parsed on
// first use.
struct TSortColumnKeys {
    TSortStyle Style = ssAlphabetic;
    AnsiString Prefix, Suffix;
    const TGridCellStore* Store = nullptr;
    Integer Col = 0, First = 0, Count = 0;
    std::vector<std::int32_t> OwnIndex; // by display row - First; empty while no text is a copy
    std::deque<AnsiString> Own;
    std::vector<double> Values;      // number and date styles
    std::vector<std::uint8_t> State; // 1: parsed, 2: valid
    Integer Asked = 0;

    const AnsiString& Text(Integer I) const
    {
        if (!OwnIndex.empty() && OwnIndex[static_cast<size_t>(I)] >= 0)
            return Own[static_cast<size_t>(OwnIndex[static_cast<size_t>(I)])];
        const TGridCell* C = Store->Find(Col, First + I);
        return C ? C->Text : NoText;
    }

    void Keep(Integer I, AnsiString T)
    {
        if (OwnIndex.empty())
            OwnIndex.assign(static_cast<size_t>(Count), -1);
        OwnIndex[static_cast<size_t>(I)] = static_cast<std::int32_t>(Own.size());
        Own.push_back(std::move(T));
    }

    // The value of key I of a number or date column, whose text is T.
    TSortValue Parse(const AnsiString& T) const
    {
        TSortValue V;
        if (IsNumericStyle(Style)) {
            V.Valid = ReadNumber(T, Prefix, Suffix, Style == ssFinancial, V.Value);
            // An empty cell counts as 0.
            if (!V.Valid && T.empty())
                V.Valid = true, V.Value = 0;
        } else if (IsDateStyle(Style)) {
            V.Valid = ParseDate(Style, T, V.Value);
            if (!V.Valid)
                V.Value = 0, V.Valid = true;
        }
        return V;
    }

    // Parse, remembered for the comparisons to come once a column is asked often (a column
    // that only breaks a few ties is parsed where asked).
    TSortValue At(Integer I)
    {
        if (!IsNumericStyle(Style) && !IsDateStyle(Style))
            return {};
        if (Values.empty() && ++Asked < Count / 8 + 16)
            return Parse(Text(I));
        if (Values.empty()) {
            Values.resize(static_cast<size_t>(Count));
            State.resize(static_cast<size_t>(Count));
        }
        const size_t J = static_cast<size_t>(I);
        if (!State[J]) {
            const TSortValue V = Parse(Text(I));
            Values[J] = V.Value;
            State[J] = V.Valid ? 3 : 1;
        }
        return TSortValue{Values[J], State[J] == 3};
    }
};

// ---- Comparison --------------------------------------------------------------------------------------

Integer TDidAririzEvar::Compare(Integer ACol, Integer ARow1, Integer ARow2, TSortDirection ADirection)
{
    TSortSettings* S = FSortSettings.get();
    TSortStyle Style = S->AutoFormat ? ssAutomatic : (S->IgnoreCase ? ssAlphaNoCase : ssAlphabetic);
    AnsiString Prefix, Suffix;
    GetColFormat(ACol, Style, Prefix, Suffix);
    auto Read = [&](Integer R) { return S->SortOnVirtualCells ? GetCellEx(ACol, R) : GetGridCell(ACol, R); };
    AnsiString T1 = Read(ARow1), T2 = Read(ARow2);
    if (Style == ssAutomatic) {
        if (IsNumberText(T1))
            Style = ssNumeric;
        else if (LooksLikeDate(T1) && T2.find(FormatSettings.DateSeparator) != AnsiString::npos)
            Style = ssDate;
        else
            Style = S->IgnoreCase ? ssAlphaNoCase : ssAlphabetic;
    }
    if (Style == ssAlphaNumeric || Style == ssAlphaNumericNoCase) {
        if (IsNumberText(T1) && IsNumberText(T2))
            Style = ssNumeric;
        else
            Style = Style == ssAlphaNumeric ? ssAlphabetic : ssAlphaNoCase;
    }
    Integer R = 0;
    switch (Style) {
    case ssNumeric:
    case ssFinancial: {
        double V1 = 0, V2 = 0;
        bool Ok1 = ReadNumber(T1, Prefix, Suffix, Style == ssFinancial, V1);
        bool Ok2 = ReadNumber(T2, Prefix, Suffix, Style == ssFinancial, V2);
        if (!Ok1 && GetCellEx(ACol, ARow1).empty())
            Ok1 = true, V1 = 0;
        if (!Ok2 && GetCellEx(ACol, ARow2).empty())
            Ok2 = true, V2 = 0;
        if (Ok1 || Ok2)
            R = V1 < V2 ? -1 : (V1 > V2 ? 1 : 0);
        break;
    }
    case ssDate:
    case ssShortDateEU:
    case ssShortDateUS: {
        double V1 = 0, V2 = 0;
        ParseDate(Style, T1, V1);
        ParseDate(Style, T2, V2);
        R = V1 < V2 ? -1 : (V1 > V2 ? 1 : 0);
        break;
    }
    case ssAlphaNoCase:
        R = CompareBytes(UpperAscii(T1), UpperAscii(T2));
        if (R == 0)
            R = CompareBytes(T1, T2);
        break;
    case ssAnsiAlphaCase:
        R = Sign(AnsiCompareStr(T1, T2));
        break;
    case ssAnsiAlphaNoCase:
    case ssUnicode:
        R = Sign(AnsiCompareText(T1, T2));
        break;
    case ssCustom:
        if (OnCustomCompare)
            OnCustomCompare(this, T1, T2, R);
        break;
    case ssRaw:
        if (OnRawCompare)
            OnRawCompare(this, ACol, ARow1, ARow2, R);
        break;
    default:
        R = CompareBytes(T1, T2);
        break;
    }
    if (S->IgnoreBlanks && (T1.empty() != T2.empty())) {
        const int B = S->BlankPos == blFirst ? -1 : 1;
        R = T1.empty() ? B : -B;
        if (ADirection == sdDescending)
            R = -R;
    }
    return R;
}

Integer TDidAririzEvar::CompareLine(Integer ACol, Integer ARow1, Integer ARow2)
{
    const Integer Last = ColCount() + NumHiddenColumns() - 1;
    for (Integer C = ACol; C <= Last; ++C) {
        const Integer R = IsIgnoredColumn(C) ? 0 : Compare(C, ARow1, ARow2, FSortSettings->Direction);
        if (R != 0 || !FSortSettings->Full)
            return R;
    }
    return 0;
}

Integer TDidAririzEvar::CompareLineIndexed(Integer AIndex, Integer ARow1, Integer ARow2)
{
    const TSortIndexList& Idx = FSortSettings->SortIndexes;
    for (Integer I = std::max<Integer>(AIndex, 0); I < Idx.Count(); ++I) {
        const bool Descending = !Idx.GetSortDirections(I);
        const Integer C = Idx.GetSortColumns(I);
        const Integer R = IsIgnoredColumn(C) || C >= ColCount() + NumHiddenColumns()
                              ? 0
                              : Compare(C, ARow1, ARow2, Descending ? sdDescending : sdAscending);
        if (R != 0 || !FSortSettings->Full)
            return Descending ? -R : R;
    }
    return 0;
}

bool TDidAririzEvar::SortLine(Integer ACol, Integer ARow1, Integer ARow2)
{
    // Every column from ACol to the last real one decides in turn, ignored columns too.
    const Integer Swap = FSortSettings->Direction == sdDescending ? -1 : 1;
    const Integer Last = ColCount() + NumHiddenColumns() - 1;
    for (Integer C = ACol; C <= Last; ++C) {
        const Integer R = Compare(C, ARow1, ARow2, FSortSettings->Direction);
        if (R == Swap) {
            SortSwapRows(ARow1, ARow2);
            return true;
        }
        if (R != 0)
            return false;
    }
    return false;
}

// ---- The sort ----------------------------------------------------------------------------------------

namespace {

// A column's sort style, prefix and suffix, asked once per sort.
struct TColumnFormat {
    TSortStyle Style;
    AnsiString Prefix, Suffix;
};

// Reads the keys of a column over rows First..Last: the column's style is fixed once for the
// whole sort (a mixed column would otherwise give an order that depends on which rows meet).
// A text read through the display hooks that equals the stored one is not copied; with Copy every
// text is (comparison events get texts that stay whatever they do to the cells).
std::unique_ptr<TSortColumnKeys> BuildKeys(TDidAririzEvar* G, TSortSettings* S, Integer ACol, Integer First,
                                           Integer Last, const TColumnFormat& Format, bool Copy)
{
    auto K = std::make_unique<TSortColumnKeys>();
    TSortStyle Style = Format.Style;
    K->Prefix = Format.Prefix;
    K->Suffix = Format.Suffix;
    K->Store = &G->CellStore();
    K->Col = ACol;
    K->First = First;
    const Integer N = std::max<Integer>(0, Last - First + 1);
    K->Count = N;
    const bool Detect = Style == ssAutomatic || Style == ssAlphaNumeric || Style == ssAlphaNumericNoCase;
    bool AllNum = true, AllDate = Style == ssAutomatic, Any = false;
    auto Look = [&](const AnsiString& T) {
        if (T.empty() || (!AllNum && !AllDate))
            return;
        Any = true;
        AllNum = AllNum && IsNumberText(T);
        AllDate = AllDate && LooksLikeDate(T);
    };
    for (Integer I = 0; I < N; ++I) {
        // The display hooks run first: they may change the store.
        AnsiString Shown;
        if (S->SortOnVirtualCells)
            Shown = G->GetCellEx(ACol, First + I);
        const TGridCell* C = K->Store->Find(ACol, First + I);
        const AnsiString& Stored = C ? C->Text : NoText;
        if (Copy || (S->SortOnVirtualCells && Shown != Stored)) {
            AnsiString T = S->SortOnVirtualCells ? std::move(Shown) : Stored;
            if (Detect)
                Look(T);
            K->Keep(I, std::move(T));
            continue;
        }
        if (Detect)
            Look(Stored);
    }
    if (Detect) {
        const bool NoCase = S->IgnoreCase || Style == ssAlphaNumericNoCase;
        if (Any && AllNum)
            Style = ssNumeric;
        else if (Any && AllDate)
            Style = ssDate;
        else if (Style == ssAlphaNumeric)
            Style = ssAlphabetic;
        else
            Style = NoCase ? ssAlphaNoCase : ssAlphabetic;
    }
    K->Style = Style;
    return K;
}

} // namespace

namespace {

struct TRowSorter {
    TDidAririzEvar* G;
    TSortSettings* S;
    Integer First, Last;
    bool Copy = false;
    std::vector<std::unique_ptr<TSortColumnKeys>> Cols;
    std::vector<std::unique_ptr<TColumnFormat>> Formats;

    TRowSorter(TDidAririzEvar* AGrid, TSortSettings* ASettings, Integer AFirst, Integer ALast)
        : G(AGrid), S(ASettings), First(AFirst), Last(ALast)
    {
        Copy = G->OnCustomCompare || G->OnRawCompare;
    }

    // Asks the formats of the columns that may order once, before any key is read.
    void AskFormats(const std::vector<Integer>& Columns)
    {
        for (Integer C : Columns) {
            if (C < 0)
                continue;
            if (static_cast<Integer>(Formats.size()) <= C)
                Formats.resize(static_cast<size_t>(C) + 1);
            if (Formats[C])
                continue;
            auto F = std::make_unique<TColumnFormat>();
            F->Style = S->AutoFormat ? ssAutomatic : (S->IgnoreCase ? ssAlphaNoCase : ssAlphabetic);
            G->GetColFormat(C, F->Style, F->Prefix, F->Suffix);
            Formats[C] = std::move(F);
        }
    }

    TSortColumnKeys& Keys(Integer ACol)
    {
        if (static_cast<Integer>(Cols.size()) <= ACol)
            Cols.resize(static_cast<size_t>(ACol) + 1);
        if (!Cols[ACol]) {
            AskFormats({ACol});
            Cols[ACol] = BuildKeys(G, S, ACol, First, Last, *Formats[ACol], Copy);
        }
        return *Cols[ACol];
    }

    // How row A (offset from First) orders against row B in the column, ascending.
    int Cmp(Integer ACol, Integer A, Integer B, TSortDirection Dir, TCustomCompareEvent& Custom,
            TRawCompareEvent& Raw)
    {
        TSortColumnKeys& K = Keys(ACol);
        const TSortValue KA = K.At(A);
        const TSortValue KB = K.At(B);
        const AnsiString& TA = K.Text(A);
        const AnsiString& TB = K.Text(B);
        int R = 0;
        switch (K.Style) {
        case ssNumeric:
        case ssFinancial:
            if (KA.Valid || KB.Valid) {
                const double VA = KA.Valid ? KA.Value : 0, VB = KB.Valid ? KB.Value : 0;
                R = VA < VB ? -1 : (VA > VB ? 1 : 0);
            }
            break;
        case ssDate:
        case ssShortDateEU:
        case ssShortDateUS:
            R = KA.Value < KB.Value ? -1 : (KA.Value > KB.Value ? 1 : 0);
            break;
        case ssAlphaNoCase: {
            const size_t N = std::min(TA.size(), TB.size());
            for (size_t I = 0; I < N && R == 0; ++I) {
                unsigned char A1 = static_cast<unsigned char>(TA[I]), B1 = static_cast<unsigned char>(TB[I]);
                if (A1 >= 'a' && A1 <= 'z')
                    A1 = static_cast<unsigned char>(A1 - 32);
                if (B1 >= 'a' && B1 <= 'z')
                    B1 = static_cast<unsigned char>(B1 - 32);
                R = A1 < B1 ? -1 : (A1 > B1 ? 1 : 0);
            }
            if (R == 0)
                R = TA.size() < TB.size() ? -1 : (TA.size() > TB.size() ? 1 : 0);
            if (R == 0)
                R = CompareBytes(TA, TB);
            break;
        }
        case ssAnsiAlphaCase:
            R = Sign(AnsiCompareStr(TA, TB));
            break;
        case ssAnsiAlphaNoCase:
        case ssUnicode:
            R = Sign(AnsiCompareText(TA, TB));
            break;
        case ssCustom: {
            Integer Res = 0;
            if (Custom)
                Custom(G, TA, TB, Res);
            R = Sign(Res);
            break;
        }
        case ssRaw: {
            Integer Res = 0;
            if (Raw)
                Raw(G, ACol, First + A, First + B, Res);
            R = Sign(Res);
            break;
        }
        default:
            R = CompareBytes(TA, TB);
            break;
        }
        if (Dir == sdDescending)
            R = -R;
        if (S->IgnoreBlanks && TA.empty() != TB.empty()) {
            // Blanks go to their place whatever the direction.
            const int Bl = S->BlankPos == blFirst ? -1 : 1;
            R = TA.empty() ? Bl : -Bl;
        }
        return R;
    }
};

} // namespace

void TDidAririzEvar::InitSortXRef()
{
    // Kept by real row, hidden rows included, so that hiding or showing rows never shifts it.
    auto& X = RowTables().XRef();
    X.resize(static_cast<size_t>(TotalRowCount()));
    std::iota(X.begin(), X.end(), 0);
}

void TDidAririzEvar::SortSwapRows(Integer ARow1, Integer ARow2)
{
    if (ARow1 == ARow2)
        return;
    if (FSortSettings->SingleColumn && FSortSettings->Column >= 0) {
        const Integer C = FSortSettings->Column;
        TGridCell& A = CellStore().Ensure(C, ARow1);
        TGridCell& B = CellStore().Ensure(C, ARow2);
        std::swap(A, B);
        return;
    }
    ExchangeRowData(ARow1, ARow2);
    // Marks are exchanged when there is a disjunct selection; the modified flags and the
    // cross-reference always.
    RowTables().Exchanged(ARow1, ARow2, RealRowIndex(ARow1), RealRowIndex(ARow2),
                          MouseActions()->RowSelectPersistent, MouseActions()->DisjunctRowSelect());
}

namespace {

// Puts the rows First..First + N - 1 in the order Perm gives (Perm(i): the offset of the row that
// goes to offset i) with at most one exchange per row.
template <class Swap>
void ApplyOrder(size_t N, const auto& Perm, Integer First, Integer& Followed, Swap DoSwap)
{
    // Cycle by cycle: the row for place P stands at Perm(P) until P is settled, and each exchange
    // settles one place.
    std::vector<bool> Done(N);
    for (size_t I = 0; I < N; ++I) {
        if (Done[I])
            continue;
        Done[I] = true;
        size_t P = I;
        for (size_t Q = static_cast<size_t>(Perm(P)); Q != I; P = Q, Q = static_cast<size_t>(Perm(Q))) {
            const Integer A = First + static_cast<Integer>(P), B = First + static_cast<Integer>(Q);
            DoSwap(A, B);
            if (Followed == A)
                Followed = B;
            else if (Followed == B)
                Followed = A;
            Done[Q] = true;
        }
    }
}

} // namespace

// The rows a sort orders: below the fixed rows, above the fixed footers and a visible floating
// footer row.
static void SortRange(TDidAririzEvar* G, Integer& First, Integer& Last)
{
    First = G->FixedRows();
    Last = G->RowCount() - 1 - G->FixedFooters();
    if (G->FloatingFooter()->Visible() && G->FloatingFooter()->FooterStyle() == fsFixedLastRow)
        --Last;
}

namespace {

// Sorts rows First..Last by the comparison and applies the order; keeps the current row with
// its data when asked to.
template <class Less>
void RunSort(TDidAririzEvar* G, Integer First, Integer Last, Less L,
             const std::function<void(Integer, Integer)>& Swap, Integer& Followed)
{
    if (Last <= First)
        return;
    std::vector<Integer> Perm(static_cast<size_t>(Last - First + 1));
    std::iota(Perm.begin(), Perm.end(), 0);
    std::stable_sort(Perm.begin(), Perm.end(), L);
    ApplyOrder(
        Perm.size(), [&](size_t I) { return Perm[I]; }, First, Followed, Swap);
}

// A row's place by the first sort column folded into integers, when the column's style allows
// it: the blank rank (IgnoreBlanks), then a 64-bit key whose order is the column's order in the
// sort's direction (for a text its first eight bytes; the next eight are kept apart), so that the
// rows are put in order by a radix sort over flat integers. Rows whose keys are equal are then
// ordered by the full comparison, which gives the same order as comparing throughout.
} // namespace

// Twelve bytes: the rank in the top two bits of Tag, the row's offset from First below them.
struct __attribute__((packed, aligned(4))) TFoldedKey {
    static constexpr std::uint32_t RowMask = (1u << 30) - 1;
    std::uint64_t Key;
    std::uint32_t Tag;

    TFoldedKey() = default;
    TFoldedKey(std::uint64_t AKey, std::uint32_t ARank, std::uint32_t ARow)
        : Key(AKey), Tag(ARank << 30 | ARow)
    {
    }
    std::uint32_t Rank() const { return Tag >> 30; }
    Integer Row() const { return static_cast<Integer>(Tag & RowMask); }
};
static_assert(sizeof(TFoldedKey) == 12);

// The work arrays of a sort, kept by the grid for the next one (FSort.Scratch): a sort of many rows
// then writes into memory it already has instead of faulting in fresh pages each time (about 32
// bytes a row, as long as the grid lives).
struct TSortScratch {
    std::vector<TFoldedKey> Folded, Buffer;
    std::vector<std::uint64_t> Key2;                       // a text's second eight bytes, by row
    std::vector<std::pair<std::uint64_t, TFoldedKey>> Run; // one run of equal keys
};

namespace {

// Eight bytes of S from From (upper-cased for a case-blind column) as a big-endian integer, padded
// with zero bytes: two texts whose integers differ order as their integers do.
std::uint64_t TextPrefix(const AnsiString& S, size_t From, bool Upper)
{
    if (!Upper && S.size() >= From + 8) {
        std::uint64_t K;
        std::memcpy(&K, S.data() + From, sizeof K);
        return __builtin_bswap64(K);
    }
    std::uint64_t K = 0;
    for (size_t I = From; I < From + 8; ++I) {
        unsigned char C = I < S.size() ? static_cast<unsigned char>(S[I]) : 0;
        if (Upper && C >= 'a' && C <= 'z')
            C = static_cast<unsigned char>(C - 32);
        K = (K << 8) | C;
    }
    return K;
}

// A number as an integer of the same order (-0 and 0 the same); false for NaN, which orders
// against nothing.
bool NumberKey(double V, std::uint64_t& K)
{
    if (std::isnan(V))
        return false;
    if (V == 0)
        V = 0;
    std::uint64_t B;
    std::memcpy(&B, &V, sizeof B);
    K = (B & 0x8000000000000000ull) ? ~B : (B | 0x8000000000000000ull);
    return true;
}

// The folded keys of the column (and for a text the second eight bytes by row, in Key2), or false
// when its style compares otherwise (events, locale collation).
bool FoldKeys(TSortColumnKeys& K, TSortDirection Dir, const TSortSettings& S, std::vector<TFoldedKey>& Out,
              std::vector<std::uint64_t>& Key2)
{
    const bool Number = IsNumericStyle(K.Style) || IsDateStyle(K.Style);
    if (!Number && K.Style != ssAlphabetic && K.Style != ssAlphaNoCase)
        return false;
    const Integer N = K.Count;
    if (static_cast<std::uint32_t>(N) > TFoldedKey::RowMask)
        return false;
    Out.resize(static_cast<size_t>(N));
    Key2.resize(Number ? 0 : static_cast<size_t>(N));
    const std::uint32_t BlankRank = S.BlankPos == blFirst ? 0 : 2;
    const bool Upper = K.Style == ssAlphaNoCase;
    for (Integer I = 0; I < N; ++I) {
        const AnsiString& T = K.Text(I);
        const TSortValue Key = Number ? K.Parse(T) : TSortValue{};
        std::uint64_t V = 0;
        if (Number) {
            // An invalid number compares as 0 (see the comparison).
            if (!NumberKey(Key.Valid ? Key.Value : 0, V))
                return false;
        } else {
            V = TextPrefix(T, 0, Upper);
            // Read here, in the rows' order: looked up later in sorted order they would cost a
            // cache miss each.
            Key2[I] = TextPrefix(T, 8, Upper);
            if (Dir == sdDescending)
                Key2[I] = ~Key2[I];
        }
        if (Dir == sdDescending)
            V = ~V;
        Out[I] = TFoldedKey(V, S.IgnoreBlanks && T.empty() ? BlankRank : 1u, static_cast<std::uint32_t>(I));
    }
    return true;
}

// Stable radix sort by (Rank, Key), least significant byte first; a byte that is the same in
// every key costs no pass.
void RadixSort(std::vector<TFoldedKey>& A, std::vector<TFoldedKey>& B)
{
    const size_t N = A.size();
    if (N < 2)
        return;
    std::vector<std::array<std::uint32_t, 256>> Count(9);
    for (const TFoldedKey& E : A) {
        for (unsigned D = 0; D < 8; ++D)
            ++Count[D][(E.Key >> (8 * D)) & 0xFF];
        ++Count[8][E.Rank()];
    }
    B.resize(N);
    for (unsigned D = 0; D < 9; ++D) {
        auto& C = Count[D];
        if (std::find(C.begin(), C.end(), static_cast<std::uint32_t>(N)) != C.end())
            continue;
        std::uint32_t Sum = 0;
        for (std::uint32_t& X : C) {
            const std::uint32_t T = X;
            X = Sum;
            Sum += T;
        }
        if (D < 8)
            for (const TFoldedKey& E : A)
                B[C[(E.Key >> (8 * D)) & 0xFF]++] = E;
        else
            for (const TFoldedKey& E : A)
                B[C[E.Rank()]++] = E;
        A.swap(B);
    }
}

// Stable sort of a short or long sequence.
template <class T, class Less> void StableSort(T* First, T* Last, Less L)
{
    if (Last - First > 32) {
        std::stable_sort(First, Last, L);
        return;
    }
    // Insertion, which keeps equal items in their order and needs no buffer.
    for (T* K = First + 1; K < Last; ++K) {
        const T E = *K;
        T* P = K;
        for (; P > First && L(E, *(P - 1)); --P)
            *P = *(P - 1);
        *P = E;
    }
}

// Sorts the folded keys, then each run of equal keys by Second (a further integer key of a row
// that keeps the column's order, when HasSecond) and then by the rest of the comparison.
template <bool HasSecond, class SecondKey, class TieLess>
void SortFolded(TSortScratch& W, std::vector<TFoldedKey>& A, SecondKey Second, TieLess Less)
{
    RadixSort(A, W.Buffer);
    const size_t N = A.size();
    for (size_t I = 0; I < N;) {
        size_t J = I + 1;
        while (J < N && A[J].Key == A[I].Key && A[J].Rank() == A[I].Rank())
            ++J;
        if (J - I > 1 && HasSecond) {
            W.Run.clear();
            for (size_t K = I; K < J; ++K)
                W.Run.emplace_back(Second(A[K].Row()), A[K]);
            StableSort(W.Run.data(), W.Run.data() + W.Run.size(), [&](const auto& X, const auto& Y) {
                return X.first != Y.first ? X.first < Y.first : Less(X.second.Row(), Y.second.Row());
            });
            for (size_t K = I; K < J; ++K)
                A[K] = W.Run[K - I].second;
        } else if (J - I > 1) {
            StableSort(A.data() + I, A.data() + J,
                       [&](const TFoldedKey& X, const TFoldedKey& Y) { return Less(X.Row(), Y.Row()); });
        }
        I = J;
    }
}

// The order the sorted folded keys give: the offset of the row for each place.
auto FoldedOrder(const std::vector<TFoldedKey>& A)
{
    return [&A](size_t I) { return A[I].Row(); };
}

// The grid's work arrays, taken for one sort (a sort started inside it gets its own).
std::shared_ptr<TSortScratch> TakeScratch(TGridSortState& State)
{
    std::shared_ptr<TSortScratch> W = std::move(State.Scratch);
    return W ? W : std::make_shared<TSortScratch>();
}

} // namespace

void TDidAririzEvar::QuickSort(Integer ACol, Integer ALeft, Integer ARight)
{
    QuickSortRows(ACol, ALeft, ARight);
}

void TDidAririzEvar::QuickSortRows(Integer ACol, Integer ALeft, Integer ARight)
{
    TRowSorter Sorter(this, FSortSettings.get(), ALeft, ARight);
    const Integer LastCol = ColCount() + NumHiddenColumns() - 1;
    const TSortDirection Dir = FSortSettings->Direction;
    const bool Full = FSortSettings->Full && !FSortSettings->SingleColumn;
    Integer Followed = Row();
    // The columns that order, ignored ones left out: the sort column, then (Full) the following.
    std::vector<Integer> Order;
    for (Integer C = ACol; C <= LastCol && (Full || C == ACol); ++C)
        if (!IsIgnoredColumn(C))
            Order.push_back(C);
    Sorter.AskFormats(Order);
    auto Less = [&](Integer A, Integer B) {
        for (Integer C : Order) {
            const int R = Sorter.Cmp(C, A, B, Dir, OnCustomCompare, OnRawCompare);
            if (R != 0)
                return R < 0;
        }
        return false;
    };
    std::shared_ptr<TSortScratch> Work = TakeScratch(FSort);
    TSortScratch& W = *Work;
    if (ARight > ALeft && !Order.empty() && Order.front() == ACol &&
        FoldKeys(Sorter.Keys(ACol), Dir, *FSortSettings, W.Folded, W.Key2)) {
        TSortColumnKeys& K = Sorter.Keys(ACol);
        const bool Number = IsNumericStyle(K.Style) || IsDateStyle(K.Style);
        // Equal number keys are equal values: the sort column decides nothing more. Equal text keys
        // are equal first eight bytes: the next eight order them, then the full comparison.
        auto Rest = [&](Integer A, Integer B) {
            for (size_t I = Number ? 1 : 0; I < Order.size(); ++I) {
                const int R = Sorter.Cmp(Order[I], A, B, Dir, OnCustomCompare, OnRawCompare);
                if (R != 0)
                    return R < 0;
            }
            return false;
        };
        if (Number)
            SortFolded<false>(
                W, W.Folded, [](Integer) { return std::uint64_t{0}; }, Rest);
        else
            SortFolded<true>(
                W, W.Folded, [&](Integer Row) { return W.Key2[static_cast<size_t>(Row)]; }, Rest);
        ApplyOrder(W.Folded.size(), FoldedOrder(W.Folded), ALeft, Followed,
                   [this](Integer A, Integer B) { SortSwapRows(A, B); });
    } else
        RunSort(
            this, ALeft, ARight, Less, [this](Integer A, Integer B) { SortSwapRows(A, B); }, Followed);
    FSort.Scratch = std::move(Work);
    FSort.Followed = Followed; // read by the sort frame
}

void TDidAririzEvar::QuickSortIndexed(Integer ALeft, Integer ARight)
{
    QuickSortRowsIndexed(0, ALeft, ARight);
}

void TDidAririzEvar::QuickSortRowsIndexed(Integer AIndex, Integer ALeft, Integer ARight)
{
    TRowSorter Sorter(this, FSortSettings.get(), ALeft, ARight);
    const TSortIndexList& Idx = FSortSettings->SortIndexes;
    const bool Full = FSortSettings->Full;
    Integer Followed = Row();
    AIndex = std::max<Integer>(AIndex, 0);
    std::vector<Integer> Columns;
    for (Integer I = AIndex; I < Idx.Count() && (Full || I == AIndex); ++I) {
        const Integer C = Idx.GetSortColumns(I);
        if (!IsIgnoredColumn(C) && C < ColCount() + NumHiddenColumns())
            Columns.push_back(C);
    }
    Sorter.AskFormats(Columns);
    RunSort(
        this, ALeft, ARight,
        [&](Integer A, Integer B) {
            for (Integer I = AIndex; I < Idx.Count(); ++I) {
                const Integer C = Idx.GetSortColumns(I);
                const int R =
                    IsIgnoredColumn(C) || C >= ColCount() + NumHiddenColumns()
                        ? 0
                        : Sorter.Cmp(C, A, B, !Idx.GetSortDirections(I) ? sdDescending : sdAscending,
                                     OnCustomCompare, OnRawCompare);
                if (R != 0)
                    return R < 0;
                if (!Full)
                    break;
            }
            return false;
        },
        [this](Integer A, Integer B) { SortSwapRows(A, B); }, Followed);
    FSort.Followed = Followed;
}

namespace {

// The frame every sort runs in: the editor closed, the update lock held, the cross-reference list
// sized, column 0 kept with NormalCellsOnly, and the current row following its data (or staying,
// with OnRowUpdate reporting the row that now holds it).
class TSortFrame {
public:
    TSortFrame(TDidAririzEvar* G, TSortSettings* S, Integer FirstRow, Integer LastRow)
        : FG(G), FS(S), FFirst(FirstRow), FLast(LastRow)
    {
        FG->HideInplaceEdit();
        if (static_cast<Integer>(FG->SortXRef().size()) != FG->TotalRowCount())
            FG->InitSortXRef();
        FG->BeginUpdate();
        FTop = FG->TopRow();
        FOldRow = FG->Row();
        if (FS->NormalCellsOnly && FG->FixedCols() > 0)
            for (Integer R = FFirst; R <= FLast; ++R)
                FCol0.push_back(TGridCell{FG->GetGridCell(0, R), FG->GetGridObject(0, R)});
    }
    ~TSortFrame()
    {
        if (!FCol0.empty())
            for (Integer R = FFirst; R <= FLast; ++R) {
                FG->SetGridObject(0, R, FCol0[R - FFirst].Object);
                FG->SetGridCell(0, R, FCol0[R - FFirst].Text);
            }
        FG->EndUpdate();
    }
    void Finish(Integer Followed)
    {
        if (FG->Navigation()->MoveRowOnSort) {
            if (Followed != FG->Row() && Followed >= FG->FixedRows() && Followed < FG->RowCount())
                FG->SetRowEx(Followed);
        } else if (FG->OnRowUpdate) {
            FG->OnRowUpdate(FG, FOldRow, Followed);
        }
        if (!FG->Navigation()->KeepScrollOnSort && FG->TopRow() != FTop)
            FG->SetTopRow(FTop);
    }

private:
    TDidAririzEvar* FG;
    TSortSettings* FS;
    Integer FFirst, FLast, FTop = 0, FOldRow = 0;
    std::vector<TGridCell> FCol0;
};

} // namespace

void TDidAririzEvar::QSort()
{
    TSortSettings* S = FSortSettings.get();
    if (S->Column < 0)
        return;
    S->SortIndexes.Clear();
    Integer First, Last;
    SortRange(this, First, Last);
    TSortFrame Frame(this, S, First, Last);
    QuickSort(S->Column, First, Last);
    Frame.Finish(FSort.Followed);
}

void TDidAririzEvar::Sort(Integer ACol, TSortDirection ADirection)
{
    FSortSettings->Column = ACol;
    FSortSettings->Direction = ADirection;
    QSort();
}

void TDidAririzEvar::SortByColumn(Integer ACol)
{
    if (RowCount() < 2)
        return;
    FSortSettings->Column = ACol;
    QSort();
}

void TDidAririzEvar::QSortIndexed()
{
    TSortSettings* S = FSortSettings.get();
    if (S->SortIndexes.Count() == 0)
        return;
    Integer First, Last;
    SortRange(this, First, Last);
    TSortFrame Frame(this, S, First, Last);
    QuickSortIndexed(First, Last);
    Frame.Finish(FSort.Followed);
}

void TDidAririzEvar::QSortGroup()
{
    if (FSortSettings->Column >= 0)
        QSortGroupInt(false);
}

void TDidAririzEvar::QSortGroupIndexed()
{
    if (FSortSettings->SortIndexes.Count() > 0)
        QSortGroupInt(true);
}

void TDidAririzEvar::QSortGroupInt(bool Indexed)
{
    TSortSettings* S = FSortSettings.get();
    Integer First, Last;
    SortRange(this, First, Last);
    TSortFrame Frame(this, S, First, Last);
    Integer Deepest = 0;
    for (Integer R = First; R <= Last; ++R)
        if (NodeGraphic(R))
            Deepest = std::max(Deepest, GetNodeLevel(R));
    // The groups are apart: at most one of them holds the current row and moves it.
    Integer Followed = Row();
    for (Integer E = First; E <= Last; ++E) {
        TCellGraphic* G = NodeGraphic(E);
        if (!G || G->CellBoolean || G->CellIndex <= 2 || GetNodeLevel(E) != Deepest)
            continue;
        // The span counts real rows: rows a filter hid inside it take no display row.
        const Integer To = std::min(NodeEnd(E, G) - 1, Last);
        if (To <= E + 1)
            continue;
        if (Indexed)
            QuickSortIndexed(E + 1, To);
        else
            QuickSortRows(S->Column, E + 1, To);
        if (FSort.Followed != Row())
            Followed = FSort.Followed;
    }
    Frame.Finish(Followed);
}

void TDidAririzEvar::QuickSortRowsRef(Integer, Integer ALeft, Integer ARight)
{
    // Each row's place in the first order, read once and sorted as flat integers.
    const auto& X = RowTables().XRef();
    Integer Followed = Row();
    FSort.Followed = -1;
    ALeft = std::max<Integer>(ALeft, 0);
    if (ARight <= ALeft)
        return;
    std::shared_ptr<TSortScratch> Work = TakeScratch(FSort);
    std::vector<TFoldedKey>& Ref = Work->Folded;
    Ref.resize(static_cast<size_t>(ARight - ALeft + 1));
    for (Integer R = ALeft; R <= ARight; ++R) {
        const Integer Real = RealRowIndex(R);
        const Integer Place = Real >= 0 && Real < static_cast<Integer>(X.size()) ? X[Real] : Real;
        Ref[R - ALeft] =
            TFoldedKey(static_cast<std::uint64_t>(static_cast<std::int64_t>(Place)) ^ 0x8000000000000000ull,
                       0, static_cast<std::uint32_t>(R - ALeft));
    }
    SortFolded<false>(
        *Work, Ref, [](Integer) { return std::uint64_t{0}; }, [](Integer, Integer) { return false; });
    ApplyOrder(Ref.size(), FoldedOrder(Ref), ALeft, Followed,
               [this](Integer A, Integer B) { SortSwapRows(A, B); });
    FSort.Scratch = std::move(Work);
    FSort.Followed = Followed;
}

void TDidAririzEvar::QUnSort()
{
    auto& X = RowTables().XRef();
    if (static_cast<Integer>(X.size()) != TotalRowCount())
        return; // no order to go back to
    Integer First, Last;
    SortRange(this, First, Last);
    TSortFrame Frame(this, FSortSettings.get(), First, Last);
    Integer Followed = Row();
    QuickSortRowsRef(0, First, Last);
    if (FSort.Followed >= 0)
        Followed = FSort.Followed;
    if (!RowTables().Hidden().empty())
        PlaceHiddenRowsUnsorted();
    InitSortXRef();
    Frame.Finish(Followed);
}

void TDidAririzEvar::PlaceHiddenRowsUnsorted()
{
    // The shown rows now stand in the order of their places; the hidden rows go back to their own
    // places, and the shown rows then fill the real rows between them, each at its place too.
    auto& X = RowTables().XRef();
    auto& H = RowTables().Hidden();
    const bool Persistent = MouseActions()->DisjunctRowSelect() && MouseActions()->RowSelectPersistent;
    std::vector<Integer> OldShown; // real row of each display row before the hidden rows move
    if (Persistent) {
        OldShown.reserve(static_cast<size_t>(RowCount()));
        for (Integer D = 0; D < RowCount(); ++D)
            OldShown.push_back(RealRowIndex(D));
    }
    std::vector<Integer> OldHidden;
    for (TGridItem& E : H) {
        OldHidden.push_back(E.Idx);
        E.Idx = X[E.Idx];
    }
    std::vector<size_t> Order(H.size());
    std::iota(Order.begin(), Order.end(), size_t{0});
    std::sort(Order.begin(), Order.end(), [&](size_t A, size_t B) {
        return H[static_cast<Integer>(A)].Idx < H[static_cast<Integer>(B)].Idx;
    });
    std::vector<TGridItem> Sorted;
    Sorted.reserve(H.size());
    for (size_t K : Order)
        Sorted.push_back(std::move(H[static_cast<Integer>(K)]));
    RowTables().SetHidden(std::move(Sorted));
    if (Persistent) {
        // Disjunct marks kept by real row follow their rows to the new real indexes.
        std::vector<Integer> NewIndex(X.size(), -1);
        for (Integer D = 0; D < RowCount(); ++D)
            NewIndex[OldShown[D]] = RealRowIndex(D);
        for (Integer Old : OldHidden)
            NewIndex[Old] = X[Old];
        const std::vector<Integer> Marks = RowTables().Marks().Order();
        RowTables().Marks().Clear();
        for (Integer I : Marks)
            RowTables().Marks().Set(I >= 0 && I < static_cast<Integer>(NewIndex.size()) ? NewIndex[I] : I,
                                    true);
    }
}

Integer TDidAririzEvar::SortedRowIndex(Integer ARow) const
{
    const auto& X = RowTables().XRef();
    const Integer R = RealRowIndex(ARow);
    return R >= 0 && R < static_cast<Integer>(X.size()) ? X[R] : R;
}

Integer TDidAririzEvar::UnSortedRowIndex(Integer AIndex) const
{
    const auto& X = RowTables().XRef();
    if (X.empty())
        return AIndex;
    const auto It = std::find(X.begin(), X.end(), AIndex);
    if (It == X.end())
        return static_cast<Integer>(X.size());
    return DisplRowIndex(static_cast<Integer>(It - X.begin()));
}

AnsiString TDidAririzEvar::GetUnSortedCell(Integer ACol, Integer ARow)
{
    const Integer N = static_cast<Integer>(RowTables().XRef().size());
    const Integer R = ARow < N ? UnSortedRowIndex(ARow) : ARow;
    return R < RowCount() ? GetCellEx(ACol, R) : AnsiString();
}

void TDidAririzEvar::SetUnSortedCell(Integer ACol, Integer ARow, const AnsiString& Value)
{
    const Integer N = static_cast<Integer>(RowTables().XRef().size());
    const Integer R = ARow < N ? UnSortedRowIndex(ARow) : ARow;
    if (R < RowCount())
        SetCellEx(ACol, R, Value);
}

// ---- Header click ------------------------------------------------------------------------------------

void TDidAririzEvar::HeaderClickSort(Integer RC, TShiftState Shift)
{
    TSortSettings* S = FSortSettings.get();
    HideInplaceEdit();
    if (static_cast<Integer>(RowTables().XRef().size()) != TotalRowCount())
        InitSortXRef();
    bool Undo = false;
    if (S->AutoColumnMerge)
        SplitColumnCells(RC);
    const bool Keep = Options().Contains(goRowSelect) && Navigation()->KeepHorizScroll;
    const Integer L0 = LeftCol();
    if (Keep)
        BeginUpdate();
    struct Restore {
        TDidAririzEvar* G;
        bool Keep;
        Integer L0;
        ~Restore()
        {
            if (Keep) {
                G->SetLeftCol(L0);
                G->EndUpdate();
            }
        }
    } R{this, Keep, L0};
    const bool Ascending = S->InitSortDirection == sdAscending;
    if (S->IndexShow) {
        const bool KeyHeld = S->IndexSortKey == ikCtrl ? Shift.Contains(ssCtrl) : Shift.Contains(ssShift);
        TSortIndexList& Idx = S->SortIndexes;
        if (KeyHeld) {
            if (Idx.FindIndex(RC) < 0)
                Idx.AddIndex(RC, Ascending);
            else
                Idx.ToggleIndex(RC);
        } else if (Idx.Count() == 1 && Idx.GetSortColumns(0) == RC) {
            Idx.ToggleIndex(RC);
        } else {
            Idx.Clear();
            Idx.AddIndex(RC, Ascending);
        }
        if (HasNodes())
            QSortGroupIndexed();
        else
            QSortIndexed();
        S->Column = Idx.Count() > 0 ? Idx.GetSortColumns(0) : -1;
    } else {
        if (S->Column == RC) {
            if (S->Direction != S->InitSortDirection && S->UndoSort)
                Undo = true;
            S->Direction = S->Direction == sdAscending ? sdDescending : sdAscending;
        } else {
            S->Direction = S->InitSortDirection;
            S->Column = RC;
        }
        if (HasNodes()) {
            QSortGroup();
        } else if (Undo) {
            QUnSort();
            S->Column = -1;
        } else {
            QSort();
        }
    }
    if (S->AutoColumnMerge)
        MergeColumnCells(RC, true);
    if (OnClickSort)
        OnClickSort(this, S->Column);
}

const std::vector<Integer>& TDidAririzEvar::SortXRef() const
{
    return FCore.Rows.XRef();
}
