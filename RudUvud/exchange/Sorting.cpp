// Sorting of the string grid: by one column with the tie-break over the following columns, by a
// multi-column index, and back to the first order.
//
// Each sort reads every key once (the text, and for number and date styles its value) and sorts a
// permutation of the rows with a stable merge sort, so a sort costs O(n log n) comparisons of
// parsed keys whatever the data, and rows that compare equal keep their order. The permutation is
// then applied with at most n row exchanges, each an O(1) exchange of row objects that carries
// the height, the disjunct mark, the modified flag and the cross-reference entry along.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cstring>
#include <numeric>

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

struct TSortKey {
    AnsiString Text;
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
    V = std::strtod(S.c_str(), &End);
    while (End && *End == ' ')
        ++End;
    return End && *End == 0 && std::strchr("0123456789.+-", S[0]);
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

// The keys of one column over the sorted rows, read once per sort, with the column's style.
struct TSortColumnKeys {
    TSortStyle Style = ssAlphabetic;
    std::vector<TSortKey> Keys; // by display row - First
};

// ---- Comparison --------------------------------------------------------------------------------------

namespace {

struct TSortContext {
    TDidAririzEvar* Grid;
    TSortSettings* S;
    Integer First = 0;
    Integer Last = -1;
    std::vector<std::unique_ptr<TSortColumnKeys>> Cols; // by real column, built on first use
};

} // namespace

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
        bool Ok1 = ParseNumber(T1, Prefix, Suffix, Style == ssFinancial, V1);
        bool Ok2 = ParseNumber(T2, Prefix, Suffix, Style == ssFinancial, V2);
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

// Reads the keys of a column over rows First..Last: the column's style is fixed once for the
// whole sort (a mixed column would otherwise give an order that depends on which rows meet).
std::unique_ptr<TSortColumnKeys>
BuildKeys(TDidAririzEvar* G, TSortSettings* S, Integer ACol, Integer First, Integer Last,
          const std::function<void(Integer, TSortStyle&, AnsiString&, AnsiString&)>& Format)
{
    auto K = std::make_unique<TSortColumnKeys>();
    TSortStyle Style = S->AutoFormat ? ssAutomatic : (S->IgnoreCase ? ssAlphaNoCase : ssAlphabetic);
    AnsiString Prefix, Suffix;
    Format(ACol, Style, Prefix, Suffix);
    const Integer N = std::max<Integer>(0, Last - First + 1);
    K->Keys.resize(static_cast<size_t>(N));
    for (Integer I = 0; I < N; ++I)
        K->Keys[I].Text =
            S->SortOnVirtualCells ? G->GetCellEx(ACol, First + I) : G->GetGridCell(ACol, First + I);
    if (Style == ssAutomatic || Style == ssAlphaNumeric || Style == ssAlphaNumericNoCase) {
        bool AllNum = true, AllDate = true, Any = false;
        for (const TSortKey& Key : K->Keys) {
            if (Key.Text.empty())
                continue;
            Any = true;
            AllNum = AllNum && IsNumberText(Key.Text);
            AllDate = AllDate && Style == ssAutomatic && LooksLikeDate(Key.Text);
            if (!AllNum && !AllDate)
                break;
        }
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
    if (IsNumericStyle(Style) || IsDateStyle(Style)) {
        for (TSortKey& Key : K->Keys) {
            if (IsNumericStyle(Style))
                Key.Valid = ParseNumber(Key.Text, Prefix, Suffix, Style == ssFinancial, Key.Value);
            else
                Key.Valid = ParseDate(Style, Key.Text, Key.Value);
            if (!Key.Valid && Key.Text.empty() && IsNumericStyle(Style)) {
                Key.Valid = true;
                Key.Value = 0;
            }
            if (!Key.Valid && IsDateStyle(Style))
                Key.Value = 0, Key.Valid = true;
        }
    } else if (Style == ssAlphaNoCase) {
        for (TSortKey& Key : K->Keys)
            Key.Value = 0;
    }
    return K;
}

} // namespace

namespace {

struct TRowSorter {
    TDidAririzEvar* G;
    TSortSettings* S;
    Integer First, Last;
    std::vector<std::unique_ptr<TSortColumnKeys>> Cols;
    std::vector<AnsiString> Upper; // upper-cased texts of a no-case column, by column slot
    std::function<void(Integer, TSortStyle&, AnsiString&, AnsiString&)> Format;

    TSortColumnKeys& Keys(Integer ACol)
    {
        if (static_cast<Integer>(Cols.size()) <= ACol)
            Cols.resize(static_cast<size_t>(ACol) + 1);
        if (!Cols[ACol])
            Cols[ACol] = BuildKeys(G, S, ACol, First, Last, Format);
        return *Cols[ACol];
    }

    // How row A (offset from First) orders against row B in the column, ascending.
    int Cmp(Integer ACol, Integer A, Integer B, TSortDirection Dir, TCustomCompareEvent& Custom,
            TRawCompareEvent& Raw)
    {
        TSortColumnKeys& K = Keys(ACol);
        const TSortKey& KA = K.Keys[A];
        const TSortKey& KB = K.Keys[B];
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
            const size_t N = std::min(KA.Text.size(), KB.Text.size());
            for (size_t I = 0; I < N && R == 0; ++I) {
                unsigned char A1 = static_cast<unsigned char>(KA.Text[I]),
                              B1 = static_cast<unsigned char>(KB.Text[I]);
                if (A1 >= 'a' && A1 <= 'z')
                    A1 = static_cast<unsigned char>(A1 - 32);
                if (B1 >= 'a' && B1 <= 'z')
                    B1 = static_cast<unsigned char>(B1 - 32);
                R = A1 < B1 ? -1 : (A1 > B1 ? 1 : 0);
            }
            if (R == 0)
                R = KA.Text.size() < KB.Text.size() ? -1 : (KA.Text.size() > KB.Text.size() ? 1 : 0);
            if (R == 0)
                R = CompareBytes(KA.Text, KB.Text);
            break;
        }
        case ssAnsiAlphaCase:
            R = Sign(AnsiCompareStr(KA.Text, KB.Text));
            break;
        case ssAnsiAlphaNoCase:
        case ssUnicode:
            R = Sign(AnsiCompareText(KA.Text, KB.Text));
            break;
        case ssCustom: {
            Integer Res = 0;
            if (Custom)
                Custom(G, KA.Text, KB.Text, Res);
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
            R = CompareBytes(KA.Text, KB.Text);
            break;
        }
        if (Dir == sdDescending)
            R = -R;
        if (S->IgnoreBlanks && KA.Text.empty() != KB.Text.empty()) {
            // Blanks go to their place whatever the direction.
            const int Bl = S->BlankPos == blFirst ? -1 : 1;
            R = KA.Text.empty() ? Bl : -Bl;
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

// Puts the rows First..First + Perm.size() - 1 in the order Perm gives (Perm[i]: the offset of
// the row that goes to offset i) with at most one exchange per row.
template <class Swap>
void ApplyOrder(const std::vector<Integer>& Perm, Integer First, Integer& Followed, Swap DoSwap)
{
    const Integer N = static_cast<Integer>(Perm.size());
    std::vector<Integer> At(N), Where(N); // At[p]: original offset now at p; Where: inverse
    std::iota(At.begin(), At.end(), 0);
    std::iota(Where.begin(), Where.end(), 0);
    for (Integer I = 0; I < N; ++I) {
        const Integer P = Where[Perm[I]];
        if (P == I)
            continue;
        DoSwap(First + I, First + P);
        if (Followed == First + I)
            Followed = First + P;
        else if (Followed == First + P)
            Followed = First + I;
        const Integer OI = At[I];
        At[I] = Perm[I];
        At[P] = OI;
        Where[Perm[I]] = I;
        Where[OI] = P;
    }
}

} // namespace

// The rows a sort orders: below the fixed rows, above the fixed footers and a visible floating
// footer row.
static void SortRange(TDidAririzEvar* G, Integer& First, Integer& Last)
{
    First = G->FixedRows();
    Last = G->RowCount() - 1 - G->FixedFooters();
    if (G->FloatingFooter()->Visible && G->FloatingFooter()->FooterStyle == fsFixedLastRow)
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
    ApplyOrder(Perm, First, Followed, Swap);
}

} // namespace

void TDidAririzEvar::QuickSort(Integer ACol, Integer ALeft, Integer ARight)
{
    TRowSorter Sorter{this, FSortSettings.get(), ALeft, ARight, {}, {}, {}};
    Sorter.Format = [this](Integer C, TSortStyle& St, AnsiString& P, AnsiString& Sf) {
        GetColFormat(C, St, P, Sf);
    };
    const Integer LastCol = ColCount() + NumHiddenColumns() - 1;
    const TSortDirection Dir = FSortSettings->Direction;
    const bool Full = FSortSettings->Full && !FSortSettings->SingleColumn;
    Integer Followed = Row();
    RunSort(
        this, ALeft, ARight,
        [&](Integer A, Integer B) {
            for (Integer C = ACol; C <= LastCol; ++C) {
                const int R =
                    IsIgnoredColumn(C) ? 0 : Sorter.Cmp(C, A, B, Dir, OnCustomCompare, OnRawCompare);
                if (R != 0)
                    return R < 0;
                if (!Full)
                    break;
            }
            return false;
        },
        [this](Integer A, Integer B) { SortSwapRows(A, B); }, Followed);
    FXchg.Sort.Followed = Followed; // read by the sort frame
}

void TDidAririzEvar::QuickSortIndexed(Integer ALeft, Integer ARight)
{
    TRowSorter Sorter{this, FSortSettings.get(), ALeft, ARight, {}, {}, {}};
    Sorter.Format = [this](Integer C, TSortStyle& St, AnsiString& P, AnsiString& Sf) {
        GetColFormat(C, St, P, Sf);
    };
    const TSortIndexList& Idx = FSortSettings->SortIndexes;
    const bool Full = FSortSettings->Full;
    Integer Followed = Row();
    RunSort(
        this, ALeft, ARight,
        [&](Integer A, Integer B) {
            for (Integer I = 0; I < Idx.Count(); ++I) {
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
    FXchg.Sort.Followed = Followed;
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
    Frame.Finish(FXchg.Sort.Followed);
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
    Frame.Finish(FXchg.Sort.Followed);
}

void TDidAririzEvar::QUnSort()
{
    auto& X = RowTables().XRef();
    if (static_cast<Integer>(X.size()) != TotalRowCount())
        return; // no order to go back to
    Integer First, Last;
    SortRange(this, First, Last);
    TSortFrame Frame(this, FSortSettings.get(), First, Last);
    // Each shown row's place in the first order, read once.
    std::vector<Integer> Ref(static_cast<size_t>(std::max<Integer>(Last - First + 1, 0)));
    for (Integer R = First; R <= Last; ++R)
        Ref[R - First] = X[RealRowIndex(R)];
    Integer Followed = Row();
    RunSort(
        this, First, Last, [&](Integer A, Integer B) { return Ref[A] < Ref[B]; },
        [this](Integer A, Integer B) { SortSwapRows(A, B); }, Followed);
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
        if (Undo) {
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
