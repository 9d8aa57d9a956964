// The floating footer: its settings and the panel that paints it. The panel shows the columns
// in the order the grid shows them (the fixed ones, then the scrolling ones from LeftCol), so it
// follows horizontal scrolling; being a child window docked at the bottom, it stays in place
// while the rows scroll. The fsFixedLastRow style paints the grid's last row through the grid's
// own cell painting, so footer and grid look alike.

#include "RudUvud/exchange/FloatingFooter.h"

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/edit/GridPaintState.h"

#include "RudUvud/support/Daehtmle.h"
#include "platform/rtl/Conversions.h"

// ---- Settings ---------------------------------------------------------------------------------------

TFloatingFooter::TFloatingFooter(TDidAririzEvar* AGrid) : FGrid(AGrid) {}

TFooterPanel* TFloatingFooter::Panel() const
{
    return FGrid ? FGrid->FooterPanel() : nullptr;
}

void TFloatingFooter::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TFloatingFooter*>(Source);
    if (!S)
        return;
    CalculateHiddenRows = S->CalculateHiddenRows;
    FColor = S->FColor;
    FColumn = S->FColumn;
    FCustomTemplate = S->FCustomTemplate;
    FFooterStyle = S->FFooterStyle;
    SetVisible(S->FVisible);
    SetShowHint(S->FShowHint);
}

void TFloatingFooter::Invalidate()
{
    if (TFooterPanel* P = Panel())
        P->Invalidate();
}

void TFloatingFooter::SetHeight(Integer Value)
{
    FHeight = Value;
    if (TFooterPanel* P = Panel(); P && Value > 0)
        P->SetHeight(Value - 1);
}

void TFloatingFooter::SetVisible(bool Value)
{
    FVisible = Value;
    TFooterPanel* P = Panel();
    if (P) {
        P->SetHeight(Value ? FHeight - 1 : 0);
        P->SetVisible(Value);
    }
    if (!FGrid)
        return;
    FGrid->SetFixedFooters(P && P->Visible() && FFooterStyle == fsFixedLastRow ? 1 : 0);
    FGrid->SetFooterRowFlag(FFooterStyle == fsFixedLastRow && Value);
    FGrid->Invalidate();
}

void TFloatingFooter::SetColor(TColor Value)
{
    FColor = Value;
    Invalidate();
}

void TFloatingFooter::SetFooterStyle(TFooterStyle Value)
{
    FFooterStyle = Value;
    if (FGrid) {
        FGrid->SetFooterRowFlag(Value == fsFixedLastRow && FVisible);
        FGrid->Invalidate();
    }
    Invalidate();
}

void TFloatingFooter::SetColumn(Integer Value)
{
    FColumn = Value;
    Invalidate();
}

void TFloatingFooter::SetCustomTemplate(const AnsiString& Value)
{
    FCustomTemplate = Value;
    Invalidate();
}

void TFloatingFooter::SetEnableCalculation(bool Value)
{
    FEnableCalculation = Value;
}

void TFloatingFooter::SetShowHint(bool Value)
{
    FShowHint = Value;
    if (TFooterPanel* P = Panel())
        P->SetShowHint(Value);
}

void TFloatingFooter::SetBorderColor(TColor Value)
{
    if (Value == FBorderColor)
        return;
    FBorderColor = Value;
    Invalidate();
}

TColumnCalcType TFloatingFooter::GetColumnCalc(Integer ACol) const
{
    const Integer Last = FGrid->GetRowCountEx() - 1;
    if (ACol < 0 || Last < 0 || !FGrid->HasCellProperties(ACol, Last))
        return acNONE;
    return FGrid->GetCellProperties(ACol, Last)->CalcType();
}

void TFloatingFooter::SetColumnCalc(Integer ACol, TColumnCalcType Value)
{
    const Integer Last = FGrid->GetRowCountEx() - 1;
    if (ACol < 0 || Last < 0)
        return;
    FGrid->GetCellProperties(ACol, Last)->SetCalcType(Value);
    FGrid->UpdateCell(ACol, Last);
}

// ---- The grid's side ----------------------------------------------------------------------------

TCanvas* TDidAririzEvar::GetFooterCanvas()
{
    return FFooterPanel ? FFooterPanel->Canvas() : nullptr;
}

// ---- Panel ------------------------------------------------------------------------------------------

TFooterPanel::TFooterPanel(TComponent* AOwner)
    : TCustomPanel(AOwner), FGrid(dynamic_cast<TDidAririzEvar*>(AOwner))
{
}

void TFooterPanel::CreateWnd()
{
    TCustomPanel::CreateWnd();
    if (!FGrid || !FGrid->FloatingFooter())
        return;
    TFloatingFooter* FF = FGrid->FloatingFooter();
    SetHeight(FF->Visible() ? FF->Height() : 0);
    if (FGrid->OnCreatedFloatingFooter)
        FGrid->OnCreatedFloatingFooter(FGrid);
}

void TFooterPanel::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_HINTSHOW:
        CMHintShow(Message);
        return;
    case CM_MOUSELEAVE:
        CMMouseLeave(Message);
        return;
    default:
        TCustomPanel::WndProc(Message);
    }
}

std::vector<Integer> TFooterPanel::FooterSequence()
{
    std::vector<Integer> Seq;
    for (Integer K = 0; K < FGrid->GetFixedColsEx(); ++K)
        Seq.push_back(K);
    for (Integer K = std::max(FGrid->LeftCol(), FGrid->GetFixedColsEx()); K < FGrid->GetColCountEx(); ++K)
        Seq.push_back(K);
    return Seq;
}

Integer TFooterPanel::FooterColumnAt(Integer X)
{
    Integer Right = 0;
    for (Integer K : FooterSequence()) {
        Right += FGrid->ColWidths(K);
        if (Right >= X)
            return K;
    }
    return -1;
}

TRect TFooterPanel::RTLCoord(bool RightToLeft, const TRect& Rect)
{
    if (!RightToLeft)
        return Rect;
    const Integer W = ClientWidth();
    return TRect{W - Rect.Left, Rect.Top, W - Rect.Right, Rect.Bottom};
}

AnsiString TFooterPanel::HTMLColReplace(const AnsiString& Template)
{
    AnsiString Out;
    AnsiString Rest = Template;
    for (auto Open = Rest.find("<#"); Open != AnsiString::npos; Open = Rest.find("<#")) {
        Out += Rest.substr(0, Open);
        const auto Close = Rest.find('>', Open + 2);
        if (Close == AnsiString::npos) {
            // An unterminated placeholder stays as text; looking for its end again would never
            // finish.
            Out += Rest.substr(Open);
            return Out;
        }
        const AnsiString Content = Rest.substr(Open + 2, Close - Open - 2);
        Rest.erase(0, Close + 1);
        Integer N = 0, Code = 0;
        Val(Content, N, Code);
        // A column outside the grid shows nothing, like a cell that holds nothing.
        if (Code == 0 && N >= 0 && N < FGrid->GetColCountEx())
            Out += FGrid->GetCellEx(N, FGrid->Row());
    }
    return Out + Rest;
}

// ---- Painting ---------------------------------------------------------------------------------------

TRect TFooterPanel::FillFooterArea(Integer FooterWidth)
{
    const TRect Client = ClientRect();
    TRect Area = Client;
    if (FGrid->UseRightToLeftAlignment()) {
        Area.Left = Client.Right - FooterWidth;
    } else {
        Area.Right = FooterWidth;
    }
    TCanvas* C = Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FGrid->FloatingFooter()->Color());
    C->Pen()->SetColor(FGrid->FloatingFooter()->Color());
    C->Pen()->SetWidth(1);
    C->FillRect(Area);
    FillOutsideFooterArea(Area);
    return Area;
}

void TFooterPanel::FillOutsideFooterArea(const TRect& Area)
{
    const TRect Client = ClientRect();
    TCanvas* C = Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FGrid->Color());
    C->Pen()->SetColor(FGrid->Color());
    if (Area.Left > Client.Left)
        C->FillRect(TRect{Client.Left, Client.Top, Area.Left, Client.Bottom});
    if (Area.Right < Client.Right)
        C->FillRect(TRect{std::max(Area.Right, Client.Left), Client.Top, Client.Right, Client.Bottom});
}

void TFooterPanel::DrawPreviewFrame(const TRect& Area)
{
    TCanvas* C = Canvas();
    C->Pen()->SetColor(clGray);
    C->MoveTo(Area.Left, Area.Bottom);
    C->LineTo(Area.Right - 1, Area.Bottom);
    C->LineTo(Area.Right - 1, Area.Top);
    C->Pen()->SetColor(clWhite);
    C->LineTo(Area.Left, Area.Top);
    C->LineTo(Area.Left, Area.Bottom);
}

void TFooterPanel::Paint()
{
    if (!FGrid || !FGrid->FloatingFooter())
        return;
    SetBiDiMode(FGrid->BiDiMode());
    Integer Right = ClientWidth();
    switch (FGrid->FloatingFooter()->FooterStyle()) {
    case fsFixedLastRow:
        Right = PaintLastRow();
        break;
    case fsColumnPreview:
        Right = PaintColPreview();
        break;
    case fsCustomPreview:
        Right = PaintCustomPreview();
        break;
    }
    const TColor Border = FGrid->FloatingFooter()->BorderColor();
    if (Border != clNone) {
        Canvas()->Pen()->SetColor(Border);
        Canvas()->MoveTo(0, 0);
        Canvas()->LineTo(Right, 0);
    }
}

namespace {

bool RaisedLook(TGridLook L)
{
    return L == glSoft || L == glZIV || L == glXP || L == glVista;
}

// Clears the grid's footer-painting flag however the painting ends.
struct TFooterPaintingScope {
    explicit TFooterPaintingScope(bool& AFlag) : Flag(AFlag) { Flag = true; }
    ~TFooterPaintingScope() { Flag = false; }
    TFooterPaintingScope(const TFooterPaintingScope&) = delete;
    TFooterPaintingScope& operator=(const TFooterPaintingScope&) = delete;
    bool& Flag;
};

// Black text for the preview styles, the grid's selection text colour back afterwards.
struct TSelectionTextScope {
    explicit TSelectionTextScope(TDidAririzEvar* AGrid) : Grid(AGrid), Saved(AGrid->SelectionTextColor())
    {
        Grid->SetSelectionTextColor(clBlack);
    }
    ~TSelectionTextScope() { Grid->SetSelectionTextColor(Saved); }
    TSelectionTextScope(const TSelectionTextScope&) = delete;
    TSelectionTextScope& operator=(const TSelectionTextScope&) = delete;
    TDidAririzEvar* Grid;
    TColor Saved;
};

} // namespace

Integer TFooterPanel::PaintLastRow()
{
    TDidAririzEvar* G = FGrid;
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    const bool RTL = G->UseRightToLeftAlignment();
    const std::vector<Integer> Seq = FooterSequence();
    Integer FW = 0;
    for (Integer K : Seq)
        FW += G->ColWidths(K);
    const Integer L = G->GetRowCountEx() - 1;
    const Integer FixedCols = G->GetFixedColsEx();
    const TGridOptions O = G->Options();
    const bool VertLines = O.Contains(goFixedVertLine);
    const bool HorzLines = O.Contains(goFixedHorzLine);
    const bool Raised = RaisedLook(G->Look()) && !G->Flat();
    // 1.
    FillFooterArea(FW);
    // 2. Column lines: a white left edge in the raised looks, the grid line along the top and at
    // the right of each column.
    Integer X = RTL ? Client.Width() : 0;
    for (Integer K : Seq) {
        const Integer W = G->ColWidths(K);
        C->Pen()->SetColor(clWhite);
        C->MoveTo(X, Client.Bottom);
        if (VertLines && Raised)
            C->LineTo(X, Client.Top);
        C->MoveTo(X, Client.Top);
        X += RTL ? -W : W;
        C->Pen()->SetColor(G->GridLineColor());
        if (HorzLines)
            C->LineTo(X - 1, Client.Top);
        C->MoveTo(X - 1, Client.Top);
        if (K >= FixedCols && G->Look() != glVista)
            C->Pen()->SetColor(clGray);
        if (VertLines)
            C->LineTo(X - 1, Client.Bottom);
    }
    // 3. Cells.
    TRect R = Client;
    if (HorzLines)
        R.Top += 1;
    R.Left = 0;
    TFooterPaintingScope Painting(G->FFooterPainting);
    for (Integer K : Seq) {
        R.Right = G->IsMergedCell(K, L) ? G->CellRect(K, L).Right - 1 : R.Left + G->ColWidths(K) - 1;
        if (HorzLines && Raised)
            R.Left += 1;
        const TRect Drawn = RTLCoord(RTL, R);
        const bool Scrolling = K >= FixedCols;
        if (Scrolling) {
            const Integer RC = G->RealColIndex(K);
            if (G->OnGetCellColor) {
                C->Brush()->SetColor(clNone);
                G->OnGetCellColor(G, L, RC, TGridDrawState{gdFixed}, C->Brush(), C->Font());
                if (C->Brush()->Color() != clNone)
                    C->Rectangle(Drawn);
            }
            if (const TColor Own = G->GetColors(RC, L); Own != clNone) {
                C->Brush()->SetColor(Own);
                C->Rectangle(Drawn);
            }
        }
        if (G->IsBaseCell(K, L)) {
            if (Scrolling && G->OnFooterPaint)
                G->OnFooterPaint(this, K, C, Drawn);
            else
                G->DrawGridCell(C, K, L, Drawn, TGridDrawState{gdFixed});
        }
        R.Left = R.Right + 1;
    }
    return R.Right;
}

Integer TFooterPanel::PaintColPreview()
{
    TDidAririzEvar* G = FGrid;
    TFloatingFooter* FF = G->FloatingFooter();
    const bool RTL = G->UseRightToLeftAlignment();
    Integer FW = 0;
    for (Integer K : FooterSequence())
        FW += G->ColWidths(K);
    const TRect Area = FillFooterArea(FW);
    DrawPreviewFrame(Area);
    const TRect Client = ClientRect();
    const TRect R{0, Client.Top, FW, Client.Bottom};
    {
        TFooterPaintingScope Painting(G->FFooterPainting);
        TSelectionTextScope Black(G);
        const Integer K = FF->Column();
        if (G->OnFooterPaint)
            G->OnFooterPaint(this, K, Canvas(), RTLCoord(RTL, R));
        else if (K >= 0 && K < G->GetColCountEx())
            G->DrawGridCell(Canvas(), K, G->Row(), RTLCoord(RTL, R), TGridDrawState{});
    }
    FillOutsideFooterArea(Area);
    return Area.Right;
}

Integer TFooterPanel::PaintCustomPreview()
{
    TDidAririzEvar* G = FGrid;
    TFloatingFooter* FF = G->FloatingFooter();
    Integer FW = 0;
    for (Integer K : FooterSequence())
        FW += G->ColWidths(K);
    TRect Area = FillFooterArea(FW);
    DrawPreviewFrame(Area);
    TCanvas* C = Canvas();
    {
        TSelectionTextScope Black(G);
        if (ComponentState().Contains(csDesigning)) {
            const AnsiString& T = FF->CustomTemplate();
            RECT DR{Area.Left, Area.Top, Area.Right, Area.Bottom};
            C->Brush()->SetStyle(bsClear);
            ::DrawText(C->Handle(), T.c_str(), static_cast<int>(T.size()), &DR, 0);
        } else {
            const AnsiString Text = HTMLColReplace(FF->CustomTemplate());
            Area.Top += 2;
            AnsiString Anchor, Strip, FocusAnchor, Hint, CtrlID, CtrlVal, CtrlType;
            Integer XSize = 0, YSize = 0, Links = 0, MouseLink = 0;
            TRect MouseRect{}, CtrlRect{};
            // Pictures are drawn at screen size (factor 1): a factor of 0 would draw none.
            HTMLDrawEx(C, Text, Area, G->GridImages(), 0, 0, -1, 0, 1, false, false, false, false, false,
                       false, !G->EnhTextSize(), false, 1.0, G->URLColor(), clNone, clNone, clGray, Anchor,
                       Strip, FocusAnchor, Hint, XSize, YSize, Links, MouseLink, MouseRect, CtrlRect, CtrlID,
                       CtrlVal, CtrlType, G->FPictureCache.get(), nullptr,
                       HandleAllocated() ? Handle() : nullptr);
            Area.Top -= 2;
        }
    }
    FillOutsideFooterArea(Area);
    return Area.Right;
}

// ---- Hints and mouse ------------------------------------------------------------------------------

void TFooterPanel::CMHintShow(TMessage& Message)
{
    auto* Info = reinterpret_cast<THintInfo*>(Message.LParam);
    const Integer K = Info ? FooterColumnAt(Info->CursorPos.X) : -1;
    if (FGrid->OnGridHint && K >= 0)
        FGrid->OnGridHint(FGrid, FGrid->GetRowCountEx() - 1, K, Info->HintStr);
    FLastHintCol = ShowHint() && K >= 0 ? K : -1;
    Message.Result = ShowHint() ? 0 : 1;
}

void TFooterPanel::CMMouseLeave(TMessage& Message)
{
    TCustomPanel::WndProc(Message);
    FLastHintCol = -1;
}

void TFooterPanel::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TCustomPanel::MouseMove(Shift, X, Y);
    Integer K = FooterColumnAt(X);
    if (K < 0)
        K = FGrid->GetColCountEx() - 1;
    if (ShowHint() && FLastHintCol >= 0 && K != FLastHintCol) {
        Application->CancelHint();
        FLastHintCol = K;
    }
}

void TFooterPanel::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomPanel::MouseUp(Button, Shift, X, Y);
    if (FGrid->OnClick)
        FGrid->OnClick(FGrid);
    const Integer K = FooterColumnAt(X);
    if (FGrid->OnClickCell && K >= 0)
        FGrid->OnClickCell(FGrid, FGrid->GetRowCountEx() - 1, K);
}
