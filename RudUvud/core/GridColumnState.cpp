// Column layout persistence: the column state string and the column size store (registry key or
// ini file). Everything read back is checked in full before the grid changes.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/exchange/ImportLimits.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Registry.h"

#include <algorithm>

namespace {

// Columns the visibility table covers.
constexpr Integer VisibilityColumns = 512;
// The widest column a layout may ask for.
constexpr Integer LayoutMaxColWidth = 65535;

std::vector<AnsiString> SplitText(const AnsiString& S, char Sep)
{
    std::vector<AnsiString> Parts;
    size_t From = 0;
    for (;;) {
        const size_t At = S.find(Sep, From);
        Parts.push_back(S.substr(From, At == AnsiString::npos ? AnsiString::npos : At - From));
        if (At == AnsiString::npos)
            return Parts;
        From = At + 1;
    }
}

AnsiString JoinInts(const std::vector<Integer>& V)
{
    AnsiString S;
    for (size_t I = 0; I < V.size(); ++I) {
        if (I > 0)
            S += ",";
        S += IntToStr(V[I]);
    }
    return S;
}

[[noreturn]] void ListIndexError(Integer Index)
{
    throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
}

// The entries of a comma list as integers (StrToInt raises EConvertError on a bad one).
std::vector<Integer> IntList(const AnsiString& S)
{
    std::vector<Integer> V;
    if (S.empty())
        return V;
    for (const AnsiString& P : SplitText(S, ','))
        V.push_back(StrToInt(P));
    return V;
}

// Positions of columns 0..Count-1 in Order (entries -1 are left out first); raises EListError
// unless the remaining entries name every column exactly once.
std::vector<Integer> CheckedOrder(const std::vector<Integer>& Entries, Integer Count,
                                  std::vector<Integer>& Order)
{
    Order.clear();
    for (Integer E : Entries)
        if (E != -1)
            Order.push_back(E);
    std::vector<Integer> Inverse(static_cast<size_t>(Count), -1);
    for (size_t K = 0; K < Order.size(); ++K) {
        const Integer C = Order[K];
        if (C < 0 || C >= Count || Inverse[static_cast<size_t>(C)] != -1)
            ListIndexError(static_cast<Integer>(K));
        Inverse[static_cast<size_t>(C)] = static_cast<Integer>(K);
    }
    for (Integer I = 0; I < Count; ++I)
        if (Inverse[static_cast<size_t>(I)] == -1)
            ListIndexError(I);
    return Inverse;
}

} // namespace

AnsiString TDidAririzEvar::ColumnStatesToString()
{
    const Integer N = ColCount() + NumHiddenColumns();
    std::vector<Integer> Widths;
    for (Integer I = 0; I < N; ++I)
        Widths.push_back(I < ColCount() ? ColWidths(I) : DefaultColWidth());
    std::vector<Integer> Order = FCore.ColumnOrder;
    if (Order.empty())
        for (Integer I = 0; I < N; ++I)
            Order.push_back(I);
    std::vector<Integer> Visible;
    for (Integer I = 0; I < N; ++I)
        Visible.push_back(IsHiddenColumn(I) ? 0 : 1);
    return IntToStr(N) + "#" + JoinInts(Widths) + "#" + JoinInts(Order) + "#" + JoinInts(Visible);
}

void TDidAririzEvar::StringToColumnStates(const AnsiString& Value)
{
    if (Value.find('#') == AnsiString::npos)
        return;
    // Everything is read and checked before the grid changes.
    const std::vector<AnsiString> Parts = SplitText(Value, '#');
    if (Parts.size() < 4)
        ListIndexError(static_cast<Integer>(Parts.size()));
    const Integer Count = StrToInt(Parts[0]);
    if (Count < 1 || Count > importlimits::MaxCols)
        ListIndexError(Count);
    const std::vector<Integer> Widths = IntList(Parts[1]);
    const std::vector<Integer> OrderEntries = IntList(Parts[2]);
    const std::vector<Integer> Visible = IntList(Parts[3]);
    if (static_cast<Integer>(Widths.size()) < Count)
        ListIndexError(static_cast<Integer>(Widths.size()));
    if (static_cast<Integer>(Visible.size()) < Count)
        ListIndexError(static_cast<Integer>(Visible.size()));
    for (Integer W : Widths)
        if (W < 0 || W > LayoutMaxColWidth)
            throw EConvertError("'" + IntToStr(W) + "' is not a valid column width");
    std::vector<Integer> Order;
    std::vector<Integer> Inverse;
    if (!OrderEntries.empty())
        Inverse = CheckedOrder(OrderEntries, Count, Order);
    Integer Shown = 0;
    for (Integer I = 0; I < Count; ++I)
        if (Visible[static_cast<size_t>(I)] != 0 || I >= VisibilityColumns)
            ++Shown;
    if (Shown == 0)
        ListIndexError(0); // a grid keeps at least one column

    FCore.ColumnOrder.clear();
    UnHideColumnsAll();
    SetColCount(Count);
    if (!Order.empty()) {
        FCore.ColumnOrder = Inverse;
        ResetColumnOrder();
        FCore.ColumnOrder = Order;
    }
    for (Integer I = std::min(Count, VisibilityColumns) - 1; I >= 0; --I)
        if (Visible[static_cast<size_t>(I)] == 0)
            HideColumn(I);
    TColumnSize* CS = ColumnSize();
    const bool Stretch = CS->Stretch();
    CS->SetStretch(false);
    if (Stretch) {
        const Integer SC = CS->StretchColumn == -1 ? ColCount() - 1 : CS->StretchColumn;
        if (SC >= 0 && SC < ColCount())
            SetDefaultColWidth(ColWidths(SC));
    }
    for (Integer I = 0; I < ColCount(); ++I)
        SetColWidths(I, Widths[static_cast<size_t>(I)]);
    CS->SetStretch(Stretch);
}

// ---- Column size store ----------------------------------------------------------------------------

std::unique_ptr<TCustomIniFile> TDidAririzEvar::OpenColumnStore()
{
    TColumnSize* CS = ColumnSize();
    if (ComponentState().Contains(csDesigning) || CS->Key.empty() || CS->Section.empty())
        return nullptr;
    if (CS->Location == clIniFile)
        return std::make_unique<TIniFile>(CS->Key);
    return std::make_unique<TRegistryIniFile>(CS->Key);
}

void TDidAririzEvar::SaveColSizes()
{
    std::unique_ptr<TCustomIniFile> Store = OpenColumnStore();
    if (!Store)
        return;
    const AnsiString& Section = ColumnSize()->Section;
    for (Integer I = 0; I < ColCount(); ++I)
        Store->WriteInteger(Section, "Col" + IntToStr(I), ColWidths(I));
    Store->UpdateFile();
}

void TDidAririzEvar::LoadColSizes()
{
    std::unique_ptr<TCustomIniFile> Store = OpenColumnStore();
    if (!Store)
        return;
    const AnsiString& Section = ColumnSize()->Section;
    for (Integer I = 0; I < ColCount(); ++I) {
        const Integer Width = Store->ReadInteger(Section, "Col" + IntToStr(I), ColWidths(I));
        // A width no column can have is left out.
        if (Width != ColWidths(I) && Width >= 0 && Width <= LayoutMaxColWidth)
            SetColWidths(I, Width);
    }
    Store->UpdateFile();
}

void TDidAririzEvar::SaveColPositions()
{
    std::unique_ptr<TCustomIniFile> Store = OpenColumnStore();
    if (!Store)
        return;
    const AnsiString& Section = ColumnSize()->Section;
    for (size_t K = 0; K < FCore.ColumnOrder.size(); ++K)
        Store->WriteInteger(Section, "Pos" + IntToStr(static_cast<Integer>(K)), FCore.ColumnOrder[K]);
    Store->UpdateFile();
}

void TDidAririzEvar::LoadColPositions()
{
    std::unique_ptr<TCustomIniFile> Store = OpenColumnStore();
    if (!Store)
        return;
    const AnsiString& Section = ColumnSize()->Section;
    if (Store->ReadInteger(Section, "Pos0", -1) == -1) {
        Store->UpdateFile();
        return;
    }
    const Integer N = ColCount() + NumHiddenColumns();
    std::vector<Integer> Entries;
    for (Integer K = 0; K < N; ++K)
        Entries.push_back(Store->ReadInteger(Section, "Pos" + IntToStr(K), -1));
    // Stored positions must name every column once; anything else is refused unapplied.
    std::vector<Integer> Order;
    const std::vector<Integer> Inverse = CheckedOrder(Entries, N, Order);
    std::vector<Integer> Hidden;
    for (Integer I = 0; I < std::min(N, VisibilityColumns); ++I)
        if (IsHiddenColumn(I))
            Hidden.push_back(I);
    FCore.ColumnOrder = Inverse;
    UnHideColumnsAll();
    ResetColumnOrder();
    for (Integer I : Hidden)
        HideColumn(I);
    FCore.ColumnOrder = Order;
    Store->UpdateFile();
}
