#include "dropdowns/VadColGrid.h"

#include "dropdowns/DavEdevaRuvuviZaroDizu.h"

#include "platform/win/Windows.h"

#include <algorithm>

// ---- Columns and rows --------------------------------------------------------------------------------

TDropDownColumn::TDropDownColumn(TCollection* Collection)
    : TCollectionItem(Collection), FFont(std::make_unique<TFont>())
{
}

TDropDownColumn::~TDropDownColumn() = default;

void TDropDownColumn::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TDropDownColumn*>(Source);
    if (!S) {
        TCollectionItem::Assign(Source);
        return;
    }
    FWordwrap = S->FWordwrap;
    FWidth = S->FWidth;
    FAutoSize = S->FAutoSize;
    FHeader = S->FHeader;
    FAlignment = S->FAlignment;
    FColor = S->FColor;
    FColumnType = S->FColumnType;
    FFont->Assign(S->FFont.get());
    FEllipsis = S->FEllipsis;
}

TDropDownColumns::TDropDownColumns(TPersistent* AOwner)
    : TCollection(ItemClassOf<TDropDownColumn>()), FOwner(AOwner)
{
}

TDropDownItem::TDropDownItem(TCollection* Collection)
    : TCollectionItem(Collection), FText(std::make_unique<TStringList>())
{
    // A row whose texts change changes the collection: the dropdown's lookup list follows.
    FText->OnChange = [this](TObject*) { Changed(false); };
}

TDropDownItem::~TDropDownItem()
{
    FText->OnChange = nullptr;
}

void TDropDownItem::SetImageIndex(Integer Value)
{
    if (FImageIndex != Value) {
        FImageIndex = Value;
        Changed(false);
    }
}

void TDropDownItem::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TDropDownItem*>(Source);
    if (!S) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetImageIndex(S->ImageIndex());
    // The texts too: copying the rows of a dropdown must not leave them empty.
    FText->Assign(S->Text());
}

AnsiString TDropDownItem::TextOf(Integer Column) const
{
    return Column >= 0 && Column < FText->Count() ? FText->Strings(Column) : AnsiString();
}

TDropDownItems::TDropDownItems(TPersistent* AOwner)
    : TCollection(ItemClassOf<TDropDownItem>()), FOwner(AOwner)
{
}

void TDropDownItems::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    if (OnChange)
        OnChange(this);
}

// ---- Grid --------------------------------------------------------------------------------------------

TVadColGrid::TVadColGrid(TComponent* AOwner)
    : TStringGrid(AOwner), FColumns(std::make_unique<TDropDownColumns>(this)),
      FHeaderFont(std::make_unique<TFont>())
{
    SetFixedRows(1);
    SetFixedCols(0);
    TGridOptions Options = this->Options();
    Options.Include(goHorzLine);
    Options.Include(goRowSelect);
    Options.Exclude(goRangeSelect);
    Options.Exclude(goDrawFocusSelected);
    SetOptions(Options);
    SetDefaultDrawing(false);
    SetParentCtl3D(false);
    SetCtl3D(false);
    SetGridLineWidth(0);
    FColLineWidth = 1;
    SetBorderStyle(bsNone);
}

TVadColGrid::~TVadColGrid() = default;

void TVadColGrid::SetGridLineWidth(Integer Value)
{
    FColLineWidth = Value;
    TStringGrid::SetGridLineWidth(0);
    Invalidate();
}

void TVadColGrid::SetImages(TCustomImageList* Value)
{
    FImages = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TVadColGrid::Notification(TComponent* AComponent, TOperation Operation)
{
    TStringGrid::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages && !ComponentState().Contains(csDestroying))
        FImages = nullptr;
}

bool TVadColGrid::InPopup() const
{
    return FDadOrorUdur && FDadOrorUdur->DropDownForm() && Parent() == FDadOrorUdur->DropDownForm();
}

void TVadColGrid::Initialize(TDavEdevaRuvuviZaroDizu* DropDown)
{
    if (!DropDown)
        return;
    FDadOrorUdur = DropDown;
    FColumns->Assign(DropDown->Columns());
    SetColCount(FColumns->Count());
    const Integer Rows = DropDown->Items()->Count() + 1;
    SetRowCount(Rows);
    if (RowCount() > 1) {
        SetRow(1);
        SetFixedRows(1);
        SetRowCount(Rows);
    }
    for (Integer I = 0; I < FColumns->Count(); ++I)
        SetColWidths(I, FColumns->Items(I)->Width());
    FLineColor = DropDown->LineColor();
    FFixedLineColor = DropDown->FixedLineColor();
    FHeaderColor = DropDown->HeaderColor();
    FHeaderColorTo = DropDown->HeaderColorTo();
    FHeaderHeight = DropDown->HeaderHeight();
    FHeaderFont->Assign(DropDown->HeaderFont());
    SetImages(DropDown->Images());
    SetDefaultRowHeight(DropDown->DropDownRowHeight());
    SetRowHeights(0, DropDown->HeaderHeight());
    TGridOptions Options = this->Options();
    if (DropDown->ColumnSizing())
        Options.Include(goColSizing);
    else
        Options.Exclude(goColSizing);
    SetOptions(Options);
    AutoSizeColumns();
    DoWordWrap();
}

Integer TVadColGrid::CellImage(Integer Column, Integer Row) const
{
    if (!FDadOrorUdur || Column < 0 || Column >= FColumns->Count() || Row < 1 ||
        Row > FDadOrorUdur->Items()->Count() || FColumns->Items(Column)->ColumnType() != ctImage)
        return -1;
    return FDadOrorUdur->Items()->Items(Row - 1)->ImageIndex();
}

void TVadColGrid::AutoSizeColumn(Integer Index)
{
    if (Index < 0 || Index >= FColumns->Count() || !FColumns->Items(Index)->AutoSize() || !InPopup())
        return;
    TCanvas* C = FDadOrorUdur->DropDownForm()->Canvas();
    C->Font()->Assign(FColumns->Items(Index)->Font());
    Integer Widest = 0;
    for (Integer R = 1; R < RowCount(); ++R) {
        const AnsiString S =
            R - 1 < FDadOrorUdur->Items()->Count() ? FDadOrorUdur->Items()->Items(R - 1)->TextOf(Index) : "";
        Integer W = 0;
        if (CellImage(Index, R) >= 0 && FImages)
            W += FImages->Width() + 4;
        if (!S.empty())
            W += C->TextWidth(S) + 6;
        Widest = std::max(Widest, W);
    }
    SetColWidths(Index, Widest);
    FColumns->Items(Index)->SetWidth(Widest);
}

void TVadColGrid::AutoSizeColumns()
{
    for (Integer I = 0; I < FColumns->Count(); ++I)
        if (FColumns->Items(I)->AutoSize())
            AutoSizeColumn(I);
}

void TVadColGrid::DoWordWrap()
{
    bool AnyWrap = false;
    for (Integer I = 0; I < FColumns->Count(); ++I)
        AnyWrap = AnyWrap || FColumns->Items(I)->Wordwrap();
    if (!AnyWrap || !InPopup())
        return;
    TCanvas* C = FDadOrorUdur->DropDownForm()->Canvas();
    for (Integer R = 1; R < RowCount(); ++R) {
        Integer Height = 24;
        for (Integer I = 0; I < FColumns->Count(); ++I) {
            TDropDownColumn* Column = FColumns->Items(I);
            if (!Column->Wordwrap())
                continue;
            Integer Cell = 0;
            if (CellImage(I, R) >= 0 && FImages)
                Cell = FImages->Height() + 6;
            const AnsiString S =
                R - 1 < FDadOrorUdur->Items()->Count() ? FDadOrorUdur->Items()->Items(R - 1)->TextOf(I) : "";
            if (!S.empty()) {
                C->Font()->Assign(Column->Font());
                RECT Box{0, 0, ColWidths(I), 500};
                DrawText(C->Handle(), S.c_str(), int(S.size()), &Box,
                         DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
                Cell = std::max(Cell, Integer(Box.Bottom - Box.Top) + 6);
            }
            Height = std::max(Height, Cell);
        }
        SetRowHeights(R, Height);
    }
}

Integer TVadColGrid::GetDesiredWidth()
{
    Integer W = 2 * BorderWidth();
    for (Integer I = 0; I < ColCount(); ++I)
        W += ColWidths(I);
    if (VisibleRowCount() + FixedRows() != RowCount())
        W += GetSystemMetrics(SM_CXVSCROLL);
    return W;
}

TRect TVadColGrid::CellRect(Integer Column, Integer Row)
{
    const TRect R = TStringGrid::CellRect(Column, Row);
    return TRect{R.Left, R.Top, R.Left + ColWidths(Column), R.Top + RowHeights(Row)};
}

void TVadColGrid::SelectionChanged()
{
    if (OnSelect)
        OnSelect(this);
}

// ---- Drawing -----------------------------------------------------------------------------------------

void TVadColGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState)
{
    if (!FDadOrorUdur)
        return;
    TCanvas* C = Canvas();
    if (FDadOrorUdur->OnDropDownDrawItem) {
        FDadOrorUdur->OnDropDownDrawItem(FDadOrorUdur, ACol, ARow, C, ARect);
        return;
    }
    // Where the cell sits in the row, for the ends of the selection look.
    TGradientPart Part = gpMiddle;
    if (ColCount() == 1)
        Part = gpFull;
    else if (ACol == FixedCols())
        Part = gpLeft;
    else if (ACol == ColCount() - 1)
        Part = gpRight;

    TRect R = CellRect(ACol, ARow);
    Integer Image = -1;
    AnsiString Text = Cells(ACol, ARow);
    TDropDownColumn* Column =
        ACol >= FixedCols() && ACol < FColumns->Count() ? FColumns->Items(ACol) : nullptr;
    TColor Back = Color();
    TAlignment Alignment = taLeftJustify;
    bool Wrap = false, Ellipsis = false;
    TFont* Font = FHeaderFont.get();
    // Row 0 is the header, also when it is the only row and the grid has no fixed row left.
    const bool Fixed = ARow == 0;
    if (Column) {
        Back = Column->Color();
        Alignment = Column->Alignment();
        Wrap = Column->Wordwrap();
        Ellipsis = Column->Ellipsis();
        Font = Column->Font();
        if (!Fixed && ARow - 1 < FDadOrorUdur->Items()->Count()) {
            TDropDownItem* Item = FDadOrorUdur->Items()->Items(ARow - 1);
            if (Column->ColumnType() == ctImage)
                Image = Item->ImageIndex();
            if (ACol < Item->Text()->Count())
                Text = Item->Text()->Strings(ACol);
        }
    }
    if (FDadOrorUdur->OnDropDownGetItemText)
        FDadOrorUdur->OnDropDownGetItemText(FDadOrorUdur, ACol, ARow, Text);

    const bool Selected = !Fixed && AState.Contains(gdSelected);
    C->Brush()->SetStyle(bsSolid);
    if (!Fixed && !Selected) {
        C->Pen()->SetColor(Back);
        C->Brush()->SetColor(Back);
        C->Pen()->SetWidth(1);
        C->Rectangle(R);
    } else if (Selected) {
        FDadOrorUdur->DrawSelectionBackground(C, R, Back, Part);
    } else {
        Text = Column ? Column->Header() : AnsiString();
        Image = -1;
        if (FHeaderColor == clNone || FHeaderColorTo == clNone) {
            if (FHeaderColor != clNone) {
                C->Brush()->SetColor(FHeaderColor);
                C->FillRect(R);
            }
        } else {
            FDadOrorUdur->DrawGradientBackground(C, FHeaderColor, FHeaderColorTo, 80, R, false);
        }
    }

    // Lines inside the cell, at its right and bottom edges.
    Integer H = 1;
    if (!Fixed) {
        if (FColLineWidth > 0)
            C->Pen()->SetColor(FLineColor);
        C->Pen()->SetWidth(FColLineWidth);
        H = (FColLineWidth + 1) / 2;
    } else {
        C->Pen()->SetColor(FFixedLineColor);
        C->Pen()->SetWidth(1);
    }
    const TGridOptions O = Options();
    if (Fixed ? O.Contains(goFixedHorzLine) : O.Contains(goHorzLine)) {
        C->MoveTo(R.Left - H + 1, R.Bottom - H);
        C->LineTo(R.Right - H + 1, R.Bottom - H);
    }
    if (Fixed ? O.Contains(goFixedVertLine) : O.Contains(goVertLine)) {
        const Integer X = UseRightToLeftAlignment() ? R.Right - H + 1 : R.Right - H;
        C->MoveTo(X, R.Bottom - H);
        C->LineTo(X, R.Top - H);
    }

    R = TRect{R.Left + FColLineWidth, R.Top + FColLineWidth, R.Right - FColLineWidth,
              R.Bottom - FColLineWidth};
    TRect T = R;
    TCustomImageList* Images = FDadOrorUdur->Images();
    if (Images && Image >= 0) {
        Integer Y = R.Top;
        if (Images->Height() < R.Height())
            Y += (R.Height() - Images->Height()) / 2;
        Images->Draw(C, R.Left + 2, Y, Image, true);
        T.Left += Images->Width() + 4;
    } else {
        T.Left += 2;
    }
    if (Text.empty())
        return;
    C->Brush()->SetStyle(bsClear);
    C->Font()->Assign(Fixed ? FHeaderFont.get() : Font);
    if (Selected)
        C->Font()->SetColor(FDadOrorUdur->SelectionTextColor());
    UINT Flags = DT_NOPREFIX | DT_EXPANDTABS | DT_VCENTER;
    Flags |= Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
    Flags |= Wrap ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE;
    if (Ellipsis)
        Flags |= DT_END_ELLIPSIS;
    RECT Box = T;
    HDC DC = C->Handle();
    SetBkMode(DC, TRANSPARENT);
    DrawText(DC, Text.c_str(), int(Text.size()), &Box, Flags);
}

// ---- Keys and mouse ----------------------------------------------------------------------------------

void TVadColGrid::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_KEYDOWN:
        if (Message.WParam == VK_TAB)
            return;
        break;
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB;
        return;
    default:
        break;
    }
    TStringGrid::WndProc(Message);
}

void TVadColGrid::KeyDown(Word& Key, TShiftState Shift)
{
    FSelectionConfirmed = true;
    if ((Key == VK_UP || Key == VK_DOWN) && Shift.Contains(ssAlt)) {
        if (FDadOrorUdur && FDadOrorUdur->HandleAllocated())
            SendMessage(FDadOrorUdur->Handle(), WM_KEYDOWN, Key, 0);
        return;
    }
    const Word Pressed = Key;
    TStringGrid::KeyDown(Key, Shift);
    if (Pressed == VK_RETURN)
        SelectionChanged();
}

void TVadColGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    FSelectionConfirmed = true;
    TStringGrid::MouseDown(Button, Shift, X, Y);
}

void TVadColGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TStringGrid::MouseUp(Button, Shift, X, Y);
    Integer Col = -1, Row = -1;
    MouseToCell(X, Y, Col, Row);
    if (Row >= FixedRows() && Row < RowCount())
        SelectionChanged();
}

bool TVadColGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    FWheelMoving = true;
    FSelectionConfirmed = false;
    const bool Result = TStringGrid::DoMouseWheelDown(Shift, MousePos);
    FWheelMoving = false;
    return Result;
}

bool TVadColGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    FWheelMoving = true;
    FSelectionConfirmed = false;
    const bool Result = TStringGrid::DoMouseWheelUp(Shift, MousePos);
    FWheelMoving = false;
    return Result;
}
