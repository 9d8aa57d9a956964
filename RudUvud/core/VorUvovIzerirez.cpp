#include "RudUvud/core/VorUvovIzerirez.h"

#include "platform/rtl/Conversions.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <algorithm>

// ---- TGridSheet ------------------------------------------------------------------------------------

TGridSheet::TGridSheet(TCollection* Collection)
    : TCollectionItem(Collection), FSheetData(std::make_unique<TMemoryStream>())
{
}

TGridSheet::~TGridSheet() = default;

void TGridSheet::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TGridSheet*>(Source);
    if (!S) {
        TCollectionItem::Assign(Source);
        return;
    }
    FTag = S->FTag;
    FSheetData->Clear();
    if (S->FSheetData->Size() > 0)
        FSheetData->Write(S->FSheetData->Memory(), static_cast<Integer>(S->FSheetData->Size()));
    FSheetCol = S->FSheetCol;
    FSheetRow = S->FSheetRow;
    FSheetLeftCol = S->FSheetLeftCol;
    FSheetTopRow = S->FSheetTopRow;
    FSheetColWidths = S->FSheetColWidths;
    FSheetRowHeights = S->FSheetRowHeights;
    FSheetSortColumn = S->FSheetSortColumn;
    SetName(S->FName);
}

void TGridSheet::SetName(const AnsiString& Value)
{
    FName = Value;
    if (auto* C = dynamic_cast<TGridSheetCollection*>(Collection()); C && C->OnChange)
        C->OnChange(C);
}

// ---- TGridSheetCollection --------------------------------------------------------------------------

TGridSheetCollection::TGridSheetCollection(TVorUvovIzerirez* AOwner)
    : TCollection(ItemClassOf<TGridSheet>()), FOwner(AOwner)
{
}

TPersistent* TGridSheetCollection::GetOwner()
{
    return FOwner;
}

void TGridSheetCollection::Update(TCollectionItem*)
{
    if (OnChange)
        OnChange(this);
}

void TGridSheetCollection::Clear()
{
    while (Count() > 0)
        FOwner->RemoveSheet(0);
}

// ---- TTabLook --------------------------------------------------------------------------------------

TTabLook::TTabLook() : FFont(std::make_unique<TFont>())
{
    FFont->OnChange = [this](TObject*) { Changed(); };
}

TTabLook::~TTabLook()
{
    FFont->OnChange = nullptr;
}

void TTabLook::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TTabLook::SetFont(TFont* Value)
{
    FFont->Assign(Value);
    Changed();
}

void TTabLook::SetSelectColor(TColor Value)
{
    FSelectColor = Value;
    Changed();
}

void TTabLook::SetUnSelectColor(TColor Value)
{
    FUnSelectColor = Value;
    Changed();
}

void TTabLook::SetDitherBackground(bool Value)
{
    FDitherBackground = Value;
    Changed();
}

void TTabLook::SetBackgroundColor(TColor Value)
{
    FBackgroundColor = Value;
    Changed();
}

// ---- TVorUvovIzerirez ------------------------------------------------------------------------------

TVorUvovIzerirez::TVorUvovIzerirez(TComponent* AOwner)
    : TCustomControl(AOwner), FSheets(std::make_unique<TGridSheetCollection>(this)),
      FTabLook(std::make_unique<TTabLook>())
{
    SetBorderWidth(1);
    SetCtl3D(false);
    FSheets->Add()->SetName("Sheet 1");
    FSheets->Add()->SetName("Sheet 2");
    FSheets->Add()->SetName("Sheet 3");
    SetWidth(320);
    SetHeight(150);
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
}

TVorUvovIzerirez::~TVorUvovIzerirez()
{
    FSheets->OnChange = nullptr;
    FTabLook->OnChange = nullptr;
    if (FTabSet)
        FTabSet->OnChange = nullptr;
    FSheets.reset();
    FTabLook.reset();
    if (FWorkbookGrid && !FGridSupplied) {
        TDidAririzEvar* G = FWorkbookGrid;
        FWorkbookGrid = nullptr;
        G->Free();
    }
    if (FTabSet) {
        TTabSet* T = FTabSet;
        FTabSet = nullptr;
        T->Free();
    }
}

void TVorUvovIzerirez::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_TABSTOP | WS_BORDER;
}

void TVorUvovIzerirez::CreateWnd()
{
    TCustomControl::CreateWnd();
    FWindowCreated = true;
    const bool NoTabs = FTabSet == nullptr;
    // A window made again keeps its grid.
    if (!FWorkbookGrid) {
        TDidAririzEvar* Placed = ControlCount() > 0 ? dynamic_cast<TDidAririzEvar*>(Controls(0)) : nullptr;
        if (Placed) {
            FWorkbookGrid = Placed;
            FGridSupplied = true;
        } else {
            FWorkbookGrid = New<TDidAririzEvar>(this);
            FWorkbookGrid->SetParent(this);
            FWorkbookGrid->SetVisible(true);
            FWorkbookGrid->SetBorderStyle(bsNone);
        }
        FInitRowCount = FWorkbookGrid->RowCount();
        FInitColCount = FWorkbookGrid->ColCount();
        FInitRowHeight = FWorkbookGrid->DefaultRowHeight();
        FInitColWidth = FWorkbookGrid->DefaultColWidth();
        if (!FGridSupplied)
            FWorkbookGrid->SetName("WorkBookGrid" + IntToStr(Parent() ? Parent()->ControlCount() : 0));
    }
    if (NoTabs) {
        FTabSet = New<TTabSet>(this);
        FTabSet->SetParent(this);
        FTabSet->SetAlign(alBottom);
        FWorkbookGrid->SetAlign(alClient);
        FWorkbookGrid->SetOptions(FWorkbookGrid->Options() + TGridOptions{goEditing});
        for (Integer I = 0; I < FSheets->Count(); ++I)
            FTabSet->Tabs()->Add(FSheets->Items(I)->Name());
    }
    // The sheet shown: the first, or after the window is made again the active one.
    if (FTabSet->Tabs()->Count() > 0)
        SelectTab(std::max<Integer>(FActiveSheet, 0));
    FSheets->OnChange = [this](TObject* Sender) { SheetChange(Sender); };
    FTabSet->OnChange = [this](TObject* Sender, Integer NewTab, bool& Allow) {
        TabChange(Sender, NewTab, Allow);
    };
    FTabLook->OnChange = [this](TObject* Sender) { TabLookChange(Sender); };
    TabLookChange(this);
}

void TVorUvovIzerirez::GetChildren(TGetChildProc Proc, TComponent* Root)
{
    TCustomControl::GetChildren(Proc, Root);
    if (FWorkbookGrid && !FGridSupplied && FWindowCreated)
        Proc(FWorkbookGrid);
}

void TVorUvovIzerirez::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (FWorkbookGrid && AComponent == static_cast<TComponent*>(FWorkbookGrid))
        FWorkbookGrid = nullptr;
    if (FTabSet && AComponent == static_cast<TComponent*>(FTabSet))
        FTabSet = nullptr;
}

void TVorUvovIzerirez::SetSheets(TGridSheetCollection* Value)
{
    if (Value == FSheets.get())
        return;
    FSheets->Clear();
    for (Integer I = 0; I < Value->Count(); ++I)
        FSheets->Add()->Assign(Value->Items(I));
    if (FWorkbookGrid)
        SetActiveSheet(0);
    else if (FSheets->Count() > 0)
        FActiveSheet = 0;
}

void TVorUvovIzerirez::SetTabLook(TTabLook* Value)
{
    FTabLook->SetSelectColor(Value->SelectColor());
    FTabLook->SetUnSelectColor(Value->UnSelectColor());
    FTabLook->SetDitherBackground(Value->DitherBackground());
    FTabLook->SetBackgroundColor(Value->BackgroundColor());
    FTabLook->SetFont(Value->Font());
}

void TVorUvovIzerirez::SelectTab(Integer Index)
{
    if (!FTabSet || FInTabChange)
        return;
    TTabChangeEvent Handler = std::move(FTabSet->OnChange);
    FTabSet->OnChange = nullptr;
    FTabSet->SetTabIndex(Index);
    FTabSet->OnChange = std::move(Handler);
}

void TVorUvovIzerirez::ShowHiddenCells()
{
    TDidAririzEvar* G = FWorkbookGrid;
    // Contracted nodes open first, so that no row is left in the hidden-row store.
    G->ExpandAll();
    if (G->FilterActive())
        G->SetFilterActive(false);
    while (G->HideLevel() > 0)
        G->RemoveLastHideLevel();
    if (G->NumHiddenRows() > 0)
        G->UnHideRowsAll();
    if (G->NumHiddenColumns() > 0)
        G->UnHideColumnsAll();
}

void TVorUvovIzerirez::StoreActiveSheet()
{
    if (!FWorkbookGrid || FActiveSheet < 0 || FActiveSheet >= FSheets->Count())
        return;
    TDidAririzEvar* G = FWorkbookGrid;
    TGridSheet* S = FSheets->Items(FActiveSheet);
    S->FSheetData->Clear();
    // Fixed rows, fixed columns and footers are stored too.
    const bool ExportFixed = G->IncludeFixedCells();
    G->SetIncludeFixedCells(true);
    ShowHiddenCells();
    G->SaveToBinStream(S->FSheetData.get());
    G->SetIncludeFixedCells(ExportFixed);
    S->FSheetRow = G->Row();
    S->FSheetCol = G->Col();
    S->FSheetTopRow = G->TopRow();
    S->FSheetLeftCol = G->LeftCol();
    S->FSheetSortColumn = G->SortSettings()->Column;
    S->FSheetRowHeights.clear();
    for (Integer R = 0; R < G->RowCount(); ++R)
        S->FSheetRowHeights.push_back(G->RowHeights(R));
    S->FSheetColWidths.clear();
    for (Integer C = 0; C < G->ColCount(); ++C)
        S->FSheetColWidths.push_back(G->ColWidths(C));
}

void TVorUvovIzerirez::SetActiveSheet(Integer Value)
{
    if (!FWorkbookGrid || Value == FActiveSheet || Value < 0 || Value >= FSheets->Count())
        return;
    TDidAririzEvar* G = FWorkbookGrid;
    G->HideInplaceEdit();
    const bool ExportFixed = G->IncludeFixedCells();
    if (FActiveSheet >= 0)
        StoreActiveSheet();
    TGridSheet* T = FSheets->Items(Value);
    if (T->FSheetData->Size() > 0) {
        T->FSheetData->SetPosition(0);
        G->LoadFromBinStream(T->FSheetData.get());
        if (T->FSheetRow < G->RowCount())
            G->SetRow(T->FSheetRow);
        if (T->FSheetCol < G->ColCount())
            G->SetCol(T->FSheetCol);
        G->SetTopRow(T->FSheetTopRow);
        G->SetLeftCol(T->FSheetLeftCol);
        for (Integer C = 0; C < Integer(T->FSheetColWidths.size()) && C < G->ColCount(); ++C)
            G->SetColWidths(C, T->FSheetColWidths[C]);
        for (Integer R = 0; R < Integer(T->FSheetRowHeights.size()) && R < G->RowCount(); ++R)
            G->SetRowHeights(R, T->FSheetRowHeights[R]);
        G->SortSettings()->Column = T->FSheetSortColumn;
    } else {
        G->Clear();
        G->SetCol(G->FixedCols());
        G->SetRow(G->FixedRows());
        G->SetTopRow(G->FixedRows());
        G->SetLeftCol(G->FixedCols());
        G->SetColCount(FInitColCount);
        G->SetRowCount(FInitRowCount);
        G->SetDefaultRowHeight(FInitRowHeight);
        G->SetDefaultColWidth(FInitColWidth);
    }
    G->SetIncludeFixedCells(ExportFixed);
    FActiveSheet = Value;
    SelectTab(Value);
}

void TVorUvovIzerirez::AddSheet(const AnsiString& Name)
{
    FSheets->Add()->SetName(Name);
    SetActiveSheet(FSheets->Count() - 1);
}

void TVorUvovIzerirez::InsertSheet(Integer Index, const AnsiString& Name)
{
    if (Index < 0 || Index >= FSheets->Count())
        return;
    // The grid goes into the current sheet before the indexes shift.
    StoreActiveSheet();
    FActiveSheet = -1;
    FSheets->Insert(Index)->SetName(Name);
    SetActiveSheet(Index);
}

void TVorUvovIzerirez::RemoveSheet(Integer Index)
{
    if (Index < 0 || Index >= FSheets->Count())
        return;
    SetActiveSheet(Index);
    if (FTabSet && Index < FTabSet->Tabs()->Count())
        FTabSet->Tabs()->Delete(Index);
    FSheets->Items(Index)->Free();
    FActiveSheet = -1;
    SetActiveSheet(0);
}

void TVorUvovIzerirez::SheetChange(TObject*)
{
    if (!FTabSet)
        return;
    TStrings* Tabs = FTabSet->Tabs();
    while (Tabs->Count() > FSheets->Count())
        Tabs->Delete(Tabs->Count() - 1);
    while (Tabs->Count() < FSheets->Count())
        Tabs->Add("");
    for (Integer I = 0; I < FSheets->Count(); ++I)
        if (Tabs->Strings(I) != FSheets->Items(I)->Name())
            Tabs->SetStrings(I, FSheets->Items(I)->Name());
}

void TVorUvovIzerirez::TabChange(TObject*, Integer NewTab, bool& AllowChange)
{
    if (OnSheetChange)
        OnSheetChange(this, NewTab, AllowChange);
    if (!AllowChange)
        return;
    FInTabChange = true;
    try {
        SetActiveSheet(NewTab);
    } catch (...) {
        FInTabChange = false;
        throw;
    }
    FInTabChange = false;
}

void TVorUvovIzerirez::TabLookChange(TObject*)
{
    if (!FTabSet)
        return;
    FTabSet->SetSelectedColor(FTabLook->SelectColor());
    FTabSet->SetUnselectedColor(FTabLook->UnSelectColor());
    FTabSet->SetDitherBackground(FTabLook->DitherBackground());
    FTabSet->SetBackgroundColor(FTabLook->BackgroundColor());
    FTabSet->Font()->Assign(FTabLook->Font());
}

Integer TVorUvovIzerirez::GetVersionNr()
{
    return (3 << 24) | (3 << 16) | (0 << 8) | 1;
}

AnsiString TVorUvovIzerirez::GetVersion()
{
    const Integer V = GetVersionNr();
    return IntToStr((V >> 24) & 0xFF) + "." + IntToStr((V >> 16) & 0xFF) + "." + IntToStr((V >> 8) & 0xFF) +
           "." + IntToStr(V & 0xFF);
}

void TVorUvovIzerirez::WndProc(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    if (Message.Msg == WM_NCPAINT) {
        NCPaintProc();
        Message.Result = 0;
    }
}

void TVorUvovIzerirez::NCPaintProc()
{
    if (BorderWidth() == 0 || !HandleAllocated())
        return;
    TWindowDC DC(Handle(), GetWindowDC(Handle()));
    TCanvas Canvas;
    Canvas.SetHandle(DC.get());
    const Integer W = Width(), H = Height();
    Canvas.Pen()->SetColor(0xB99D7F);
    Canvas.MoveTo(1, H);
    Canvas.LineTo(1, 1);
    Canvas.LineTo(W - 2, 1);
    Canvas.LineTo(W - 2, H - 2);
    Canvas.LineTo(1, H - 2);
    if (Parent()) {
        Canvas.Pen()->SetColor(Parent()->Color());
        Canvas.MoveTo(0, H);
        Canvas.LineTo(0, 0);
        Canvas.LineTo(W - 1, 0);
        Canvas.LineTo(W - 1, H - 1);
        Canvas.LineTo(0, H - 1);
    }
    Canvas.SetHandle(nullptr);
}
