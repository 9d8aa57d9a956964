// Filter conditions, grouping and filter drop-down looks, and the registrations the grid's unit
// makes once per program.

#include "RudUvud/exchange/GridSettings.h"

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/exchange/GridExchangeState.h"
#include "RudUvud/support/daecheck.h"

#include "platform/forms/ImgList.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Windows.h"

#include <algorithm>

void TFilterData::Assign(TPersistent* Source)
{
    if (!Source)
        return;
    auto* S = dynamic_cast<TFilterData*>(Source);
    if (!S)
        throw EInvalidCast("Invalid class typecast");
    Column = S->Column;
    Condition = S->Condition;
    CaseSensitive = S->CaseSensitive;
    Data = S->Data;
    Prefix = S->Prefix;
    Suffix = S->Suffix;
    Operation = S->Operation;
}

TFilter::TFilter(TPersistent* AGrid) : TCollection(ItemClassOf<TFilterData>()), FGrid(AGrid) {}

TFilterData* TFilter::GetColFilter(Integer Column)
{
    for (Integer I = 0; I < Count(); ++I)
        if (Items(I)->Column == Column)
            return Items(I);
    TFilterData* F = Add();
    F->Column = static_cast<SmallInt>(Column);
    return F;
}

void TGrouping::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TGrouping*>(Source);
    if (!S)
        return;
    GroupCountFormat = S->GroupCountFormat;
    HeaderColor = S->HeaderColor;
    HeaderColorTo = S->HeaderColorTo;
    HeaderTextColor = S->HeaderTextColor;
    HeaderUnderline = S->HeaderUnderline;
    MergeHeader = S->MergeHeader;
    MergeSummary = S->MergeSummary;
    ShowGroupCount = S->ShowGroupCount;
    SummaryColor = S->SummaryColor;
    SummaryColorTo = S->SummaryColorTo;
    SummaryTextColor = S->SummaryTextColor;
    SummaryLine = S->SummaryLine;
}

TFilterDropDown::TFilterDropDown() : FFont(std::make_unique<TFont>()), FGlyph(std::make_unique<TBitmap>())
{
    FGlyph->OnChange = [this](TObject*) {
        if (OnChange)
            OnChange(this);
    };
}

TFilterDropDown::~TFilterDropDown()
{
    FGlyph->OnChange = nullptr;
    FGlyph.reset();
    FFont.reset();
}

void TFilterDropDown::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TFilterDropDown*>(Source);
    if (!S)
        return;
    Color = S->Color;
    ColumnWidth = S->ColumnWidth;
    FFont->Assign(S->FFont.get());
    Height = S->Height;
    Width = S->Width;
}

void TFilterDropDown::SetGlyph(TBitmap* Value)
{
    FGlyph->Assign(Value);
}

namespace {

// The unit's registrations, made on first use and kept for the program's life.
struct GridUnit {
    Word CellsFormat = static_cast<Word>(::RegisterClipboardFormat("TDidAririzEvar Cells"));
    Word EditDone = static_cast<Word>(::RegisterWindowMessage("GridEditDone"));
};

const GridUnit& Unit()
{
    static const GridUnit U;
    return U;
}

} // namespace

bool DatePickersForVersion(Integer Version)
{
    return Version >= 0x40046;
}

Word GridCellsClipboardFormat()
{
    return Unit().CellsFormat;
}

Word GridEditDoneMessage()
{
    return Unit().EditDone;
}

bool GridDatePickersAvailable()
{
    // The layer's common controls carry no version block but do have the date pickers (the
    // grid's constructor creates them); they count as 4.70.
    return DatePickersForVersion(0x40046);
}

// ---- Change listeners ------------------------------------------------------------------------------

void TDidAririzEvar::CellsChanged(const TRect& R)
{
    if (OnCellsChanged)
        OnCellsChanged(this, R);
    // A listener may unregister itself or another while it is told.
    const std::vector<TGridChangeNotifier*> Listeners = FXchg.Notifiers;
    for (TGridChangeNotifier* N : Listeners)
        if (std::find(FXchg.Notifiers.begin(), FXchg.Notifiers.end(), N) != FXchg.Notifiers.end())
            N->CellsChanged(R);
}

// Footers are recalculated here once the floating footer exists; until then a load has nothing
// more to tell.
void TDidAririzEvar::CellsLoaded() {}

void TDidAririzEvar::RegisterNotifier(TGridChangeNotifier* Notifier)
{
    if (!Notifier ||
        std::find(FXchg.Notifiers.begin(), FXchg.Notifiers.end(), Notifier) != FXchg.Notifiers.end())
        return;
    FXchg.Notifiers.push_back(Notifier);
    Notifier->FreeNotification(this);
}

void TDidAririzEvar::UnRegisterNotifier(TGridChangeNotifier* Notifier)
{
    auto& L = FXchg.Notifiers;
    const auto It = std::find(L.begin(), L.end(), Notifier);
    if (It != L.end())
        L.erase(It);
}

void TDidAririzEvar::Notification(TComponent* AComponent, TOperation Operation)
{
    TBaseGrid::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    auto& L = FXchg.Notifiers;
    L.erase(std::remove(L.begin(), L.end(), AComponent), L.end());
    if (AComponent == FPaint.GridImages)
        FPaint.GridImages = nullptr;
    if (AComponent == FCellChecker)
        FCellChecker = nullptr;
    if (AComponent == reinterpret_cast<TComponent*>(FEdit.Editing.EditLink))
        FEdit.Editing.EditLink = nullptr;
    if (AComponent == FFixedDropDownMenu)
        FFixedDropDownMenu = nullptr;
}
