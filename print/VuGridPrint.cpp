#include "print/VuGridPrint.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Conversions.h"

// ---- TVuDecimalList ----

void TVuDecimalList::AddValue(Extended Value)
{
    Add(FloatToStr(Value));
}

Extended TVuDecimalList::GetValue(Integer Index) const
{
    return StrToFloat(Strings(Index));
}

void TVuDecimalList::SetValue(Integer Index, Extended Value)
{
    SetStrings(Index, FloatToStr(Value));
}

Extended TVuDecimalList::GetTotal() const
{
    Extended Total = 0;
    for (Integer I = 0; I < Count(); ++I)
        Total += GetValue(I);
    return Total;
}

// ---- TVuAbstractGridPrint ----

TVuAbstractGridPrint::TVuAbstractGridPrint(TComponent* AOwner)
    : TVuCustomGridPrint(AOwner), FColWidths(New<TVuDecimalList>()), FFont(New<TFont>()),
      FFixedCellFont(New<TFont>())
{
    FFont->SetName("Arial");
    FFont->SetSize(8);
    FFixedCellFont->Assign(FFont.get());
}

TVuAbstractGridPrint::~TVuAbstractGridPrint()
{
    if (FPreview)
        FPreview->RemoveFreeNotification(this);
}

void TVuAbstractGridPrint::SetPreview(TVuPreview* Value)
{
    if (Value == FPreview)
        return;
    if (FPreview)
        FPreview->RemoveFreeNotification(this);
    FPreview = Value;
    FPreviewTarget.reset(Value ? new TVuPreviewGridTarget(Value) : nullptr);
    if (FPreview)
        FPreview->FreeNotification(this);
    SetTarget(FPreviewTarget.get());
}

void TVuAbstractGridPrint::Notification(TComponent* AComponent, TOperation Operation)
{
    TVuCustomGridPrint::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPreview && FPreview) {
        FPreview = nullptr;
        if (FTarget == FPreviewTarget.get())
            FTarget = nullptr;
        FPreviewTarget.reset();
    }
}

void TVuAbstractGridPrint::SetTarget(TVuGridPrintTarget* Value)
{
    FTarget = Value;
    if (FTarget) {
        TVuPageList* D = FTarget->Document();
        FBottomMargin.SetAsInches(D->Footer()->GetHeight(vuInches) + D->Margins()->Bottom()->GetAsInches());
    }
}

Extended TVuAbstractGridPrint::GetColWidth(Integer ACol, TVuMeasurement M) const
{
    return ConvertValue(FColWidths->GetValue(ACol), vuInches, M);
}

TVuValue* TVuAbstractGridPrint::GetScreenGridWidth()
{
    Extended W = 0;
    for (Integer C = 0; C < GetColCount(); ++C)
        W += GetColWidthInch(C);
    FGridWidth.SetAsInches(W);
    return &FGridWidth;
}

Extended TVuAbstractGridPrint::GetCutOffInch()
{
    TVuPageList* D = FTarget->Document();
    const Extended Height = D->DefaultPageSize().Height;
    const Extended FooterHeight = D->Footer()->GetHeight(vuInches);
    const Extended CutOff = Height - (FooterHeight + FBottomMargin.GetAsInches());
    // The footer band sits on the page's bottom margin: a bottom margin value smaller than that
    // margin must not let the rows run into the footer's text.
    if (D->Footer()->Visible())
        return MinFloat(CutOff, Height - D->Margins()->Bottom()->GetAsInches() - FooterHeight);
    return CutOff;
}

TFont* TVuAbstractGridPrint::CellFont(Integer ACol, Integer ARow)
{
    // A fixed cell font still named "Arial" has not been chosen by anyone: the body font
    // stands in for it.
    if (IsFixedCell(ACol, ARow) && FFixedCellFont->Name() != "Arial")
        return FFixedCellFont.get();
    return FFont.get();
}

void TVuAbstractGridPrint::BuildColWidths()
{
    FColWidths->Clear();
    TVuValue W;
    for (Integer C = 0; C < GetColCount(); ++C) {
        W.SetAsInches(GetColWidthInch(C) * FScale);
        if (OnGetColWidth)
            OnGetColWidth(this, C, &W);
        FColWidths->AddValue(W.GetAsInches());
    }
    FTotalWidth = FColWidths->GetTotal();
    FWidths.clear();
    for (Integer C = 0; C < FColWidths->Count(); ++C)
        FWidths.push_back(FColWidths->GetValue(C));
}

Extended TVuAbstractGridPrint::GetRowHeightInch(Integer ARow)
{
    Extended H = GetDefaultRowHeight(ARow);
    if (OnGetRowHeight) {
        TVuValue V;
        V.SetAsInches(H);
        OnGetRowHeight(this, ARow, &V);
        H = V.GetAsInches();
    }
    TVuCanvas* C = Canvas();
    TFont* Saved = nullptr;
    std::unique_ptr<TFont> Keep(New<TFont>());
    Keep->Assign(C->Font());
    Saved = Keep.get();
    for (Integer Col = 0; Col < static_cast<Integer>(FWidths.size()); ++Col) {
        AnsiString Text = GetCellText(Col, ARow);
        if (Text.empty())
            continue;
        // Each cell is measured in the font it will be drawn in, not in whatever font the
        // previous cell left on the canvas, so that rows are neither too low nor too high.
        C->SetFont(CellFont(Col, ARow));
        C->TextBoxWordBreak = WordWrap;
        H = MaxFloat(H, C->TextBoxHeight(FWidths[static_cast<size_t>(Col)], Text, vuInches));
    }
    C->SetFont(Saved);
    return H;
}

void TVuAbstractGridPrint::GridToPage(Extended X, Extended Y, Extended Width, TVuMeasurement M)
{
    if (!FTarget) {
        ShowVuError(this, "The \"Preview\" property must be set to a TVuPreview component");
        return;
    }
    if (!HasGrid()) {
        ShowVuError(this, "The \"Grid\" property must be set to a valid grid component\"");
        return;
    }
    ForgetRowCount();
    FScale = 1;
    if (Width != 0) {
        // A grid without any screen width has nothing to scale: it keeps its widths.
        Extended Screen = GetScreenGridWidth()->GetVuValue(M);
        if (Screen != 0)
            FScale = Width / Screen;
    }
    FTarget->BeginUpdate();
    BuildColWidths();
    FCursorX = ConvertValue(X, M, vuInches);
    FCursorY = ConvertValue(Y, M, vuInches);
    FPageOrigin = TVuPoint{FCursorX, FCursorY};
    FTopMargin.SetAsInches(FCursorY);
    FRowPlaced = false;
    FRowRect = TVuRect{FCursorX, FCursorY, FCursorX + FTotalWidth, FCursorY};
    Canvas()->SetFont(FFont.get());
    Integer Rows = GetRowCount();
    for (Integer R = 0; R < Rows; ++R) {
        FRowHeight = GetRowHeightInch(R);
        if (BeforeDrawRow)
            BeforeDrawRow(this, R);
        if (GetCutOffInch() < FCursorY + FRowHeight) {
            NewPage();
            // A row taller than a whole page would run past the footer and off the paper: it
            // is cut at the footer (its cells clip their text).
            Extended Room = GetCutOffInch() - FCursorY;
            if (FRowHeight > Room)
                FRowHeight = MaxFloat(Room, 0);
        }
        FRowRect = TVuRect{FCursorX, FCursorY, FCursorX + FTotalWidth, FCursorY + FRowHeight};
        DrawRow(FRowRect, R);
        FRowPlaced = true;
        FCursorY += FRowHeight;
        if (AfterDrawRow)
            AfterDrawRow(this, R);
        if (OnDrawProgress)
            OnDrawProgress(this, Extended(R + 1) / Rows * 100);
        NextRecord(R);
    }
    if (OnFinishGrid) {
        TVuValue YPos;
        YPos.SetAsInches(FCursorY);
        OnFinishGrid(this, &YPos);
    }
    CloseRow(FRowRect);
    FTarget->EndUpdate();
}

void TVuAbstractGridPrint::NewPage()
{
    CloseRow(FRowRect);
    TVuPageList* D = FTarget->Document();
    if (D->CurrentPage() == D->Count())
        FTarget->NewPage();
    else
        FTarget->NextPage();
    if (OnGridNewPage) {
        TVuValue* Top = &FTopMargin;
        TVuValue* Bottom = &FBottomMargin;
        OnGridNewPage(this, Top, Bottom);
    }
    FCursorX = FPageOrigin.X;
    FCursorY = FTopMargin.GetAsInches();
    FPageOrigin = TVuPoint{FCursorX, FCursorY};
    FRowPlaced = false;
    Extended H0 = GetRowHeightInch(0);
    FRowRect = TVuRect{FCursorX, FCursorY, FCursorX + FTotalWidth, FCursorY + H0};
    if (GridOptions.Contains(vuFixedRowPerPage)) {
        DrawRow(FRowRect, 0);
        FRowPlaced = true;
    }
    FCursorY += H0;
}

void TVuAbstractGridPrint::DrawRow(const TVuRect& Rect, Integer Row)
{
    TVuCanvas* C = Canvas();
    Extended X = Rect.Left;
    TVuValueRect Cell;
    for (Integer Col = 0; Col < static_cast<Integer>(FWidths.size()); ++Col) {
        Extended W = FWidths[static_cast<size_t>(Col)];
        Cell.SetAsInchRect(TVuRect{X, Rect.Top, X + W, Rect.Bottom});
        C->SetFont(CellFont(Col, Row));
        C->Brush()->SetColor(IsFixedCell(Col, Row) ? GetFixedCellColor() : TColor(0xFFFFFF));
        if (OnDrawCellAssigned())
            CallOnDrawCell(Col, Row, &Cell);
        else
            DefaultDrawCell(&Cell, Col, Row);
        X += W;
    }
    C->Pen()->SetStyle(psSolid);
    C->Pen()->SetColor(CellPenColor);
    if (GridOptions.Contains(vuHorzLine) && Row > 0)
        C->Line(Rect.Left, Rect.Top, Rect.Right, Rect.Top, vuInches);
    if (GridOptions.Contains(vuVertLine)) {
        X = Rect.Left;
        for (Extended W : FWidths) {
            C->Line(X, Rect.Top, X, Rect.Bottom, vuInches);
            X += W;
        }
    }
}

void TVuAbstractGridPrint::CloseRow(const TVuRect& Rect)
{
    // Nothing placed on this page yet (a grid without rows): there is no block to outline.
    if (!FRowPlaced || !GridOptions.Contains(vuGridBorder))
        return;
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->Rectangle(FPageOrigin.X, FPageOrigin.Y, Rect.Right, Rect.Bottom, vuInches);
}

void TVuAbstractGridPrint::DefaultDrawCell(TVuValueRect* ARect, Integer ACol, Integer ARow)
{
    DrawCellBackground(ARect, ACol, ARow);
    DrawCellText(ARect, ACol, ARow);
}

void TVuAbstractGridPrint::DrawCellBackground(TVuValueRect* ARect, Integer ACol, Integer ARow)
{
    TVuCanvas* C = Canvas();
    if (Monochrome || C->Brush()->Color() == TColor(0xFFFFFF) || FTarget->ClearBrush())
        return;
    C->Pen()->SetStyle(psClear);
    TVuRect R = ARect->GetAsInchRect();
    C->Rectangle(R.Left, R.Top, R.Right, R.Bottom, vuInches);
}

void TVuAbstractGridPrint::DrawCellText(TVuValueRect* ARect, Integer ACol, Integer ARow)
{
    AnsiString Text = GetCellText(ACol, ARow);
    if (Text.empty())
        return;
    TAlignment Alignment = DefaultCellAlignment;
    TVuVertAlignment VertAlignment = DefaultCellVertAlignment;
    if (OnGetCellAlignment)
        OnGetCellAlignment(this, ACol, ARow, Alignment, VertAlignment);
    TVuCanvas* C = Canvas();
    C->Pen()->SetStyle(psClear);
    C->Brush()->SetStyle(bsClear);
    C->TextBoxWordBreak = false;
    TVuRect R = ARect->GetAsInchRect();
    C->TextBoxExt(R.Left, R.Top, R.Right, R.Bottom, 0.025, Text, Alignment, VertAlignment, vuInches);
    if (auto* Box = dynamic_cast<TVuTextBoxObject*>(C->LastObject())) {
        Box->SetWordBreak(WordWrap);
        Box->SetClipText(true);
    }
}

// ---- TVuGridPrint ----

namespace {

Integer ScreenPpi()
{
    return Screen ? Screen->PixelsPerInch() : 96;
}

} // namespace

TVuGridPrint::~TVuGridPrint()
{
    SetGrid(nullptr);
}

void TVuGridPrint::SetGrid(TStringGrid* Value)
{
    if (Value == FGrid)
        return;
    if (FGrid)
        FGrid->RemoveFreeNotification(this);
    FGrid = Value;
    if (FGrid)
        FGrid->FreeNotification(this);
}

void TVuGridPrint::Notification(TComponent* AComponent, TOperation Operation)
{
    TVuAbstractGridPrint::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FGrid)
        FGrid = nullptr;
}

Extended TVuGridPrint::GetColWidthInch(Integer ACol)
{
    return Extended(FGrid->ColWidths(ACol)) / ScreenPpi();
}

Extended TVuGridPrint::GetDefaultRowHeight(Integer ARow)
{
    return Extended(FGrid->RowHeights(ARow)) / ScreenPpi();
}

Integer TVuGridPrint::GetRowCount()
{
    if (FRowCount < 0)
        FRowCount = FGrid->RowCount();
    return FRowCount;
}

void TVuGridPrint::CallOnDrawCell(Integer ACol, Integer ARow, TVuValueRect* ARect)
{
    OnDrawCell(this, ACol, ARow, ARect, Canvas());
}
