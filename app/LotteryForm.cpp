#include "app/LotteryForm.h"

#include "app/FormActions.h"
#include "app/Glyphs.h"
#include "app/YesNoForm.h"
#include "platform/rtl/Conversions.h"
#include "platform/win/Colors.h"

#include <algorithm>

TLotteryForm::TLotteryForm(TComponent* AOwner) : TForm(AOwner)
{
    SetCaption("Prize Draw");
    SetBounds(0, 0, 800, 600);
    SetWindowState(wsMaximized);
    Font()->SetName("細明體");
    Font()->SetHeight(-16);
    SetShowHint(true);

    ActionList1 = New<TActionList>(this);
    saveAction = New<TAction>(this);
    saveAction->SetName("saveAction");
    saveAction->SetActionList(ActionList1);
    saveAction->SetCaption("Draw F4");
    saveAction->SetHint("Draw");
    saveAction->SetShortCut(VK_F4);
    saveAction->OnExecute = [this](TObject* S) { saveActionExecute(S); };
    exitAction = New<TAction>(this);
    exitAction->SetName("exitAction");
    exitAction->SetActionList(ActionList1);
    exitAction->SetCaption("Close Esc");
    exitAction->SetHint("Close");
    exitAction->SetShortCut(VK_ESCAPE);
    exitAction->OnExecute = [this](TObject* S) { exitActionExecute(S); };

    actionPanel = New<TPanel>(this);
    actionPanel->SetName("actionPanel");
    actionPanel->SetParent(this);
    actionPanel->SetAlign(alBottom);
    actionPanel->SetHeight(61);
    actionPanel->SetBevelOuter(bvLowered);
    actionPanel->SetCaption("");

    showPanel = New<TPanel>(this);
    showPanel->SetName("showPanel");
    showPanel->SetParent(actionPanel);
    showPanel->SetAlign(alLeft);
    showPanel->SetWidth(185);
    showPanel->SetCaption("");
    gift = New<TLabel>(this);
    gift->SetName("gift");
    gift->SetParent(showPanel);
    gift->SetLeft(16);
    gift->SetTop(8);
    gift->SetCaption("Prize: 0");
    person = New<TLabel>(this);
    person->SetName("person");
    person->SetParent(showPanel);
    person->SetLeft(16);
    person->SetTop(32);
    person->SetCaption("Person: 0");

    auto MakeButton = [this](const char* Name, TAction* Action, TGlyphKind Glyph) {
        return MakeGlyphButton(this, actionPanel, Name, Action, Glyph);
    };
    ZevButton1 = MakeButton("ZevButton1", exitAction, gkCancel);
    ZevButton1->SetWidth(80);
    ZevButton1->SetAlign(alRight);
    startButton = MakeButton("startButton", saveAction, gkDraw);
    startButton->SetAlign(alClient);
    startButton->SetTabOrder(0); // the board opens ready to draw

    grid = New<TBoardGrid>(this);
    grid->SetName("grid");
    grid->SetParent(this);
    grid->SetAlign(alClient);
    grid->SetFixedCols(0);
    grid->SetFixedRows(0);
    grid->SetDefaultColWidth(150);
    grid->SetDefaultRowHeight(90);
    grid->SetOptions(TGridOptions{goVertLine, goHorzLine});
    grid->SetParentFont(false);
    grid->Font()->SetName("新細明體");
    grid->Font()->SetStyle(TFontStyles{fsBold});
    grid->OnDrawCell = [this](TObject* S, Integer C, Integer R, TRect Rect, TGridDrawState State) {
        gridDrawCell(S, C, R, Rect, State);
    };

    Timer1 = New<TTimer>(this);
    Timer1->SetName("Timer1");
    Timer1->SetEnabled(false);
    Timer1->OnTimer = [this](TObject* S) { Timer1Timer(S); };

    OnShow = [this](TObject* S) { FormShow(S); };
    OnResize = [this](TObject* S) { FormResize(S); };
    // The grid takes its final size when the form aligns its children, after the form's own
    // resize: the cells follow the grid.
    grid->OnResize = [this](TObject* S) { FormResize(S); };
    OnCloseQuery = [this](TObject* S, bool& CanClose) { FormCloseQuery(S, CanClose); };
    OnClose = [this](TObject* S, TCloseAction& A) { FormClose(S, A); };
}

void TLotteryForm::ShowCounters()
{
    gift->SetCaption("Prize: " + IntToStr(FBoard.PrizesLeft()));
    person->SetCaption("Person: " + IntToStr(FBoard.PersonsLeft()));
}

void TLotteryForm::FormShow(TObject*)
{
    const std::vector<TPrizeStock> Prizes = DrawStore()->PrepareBoard();
    FBoard.Build(grid->RowCount(), grid->ColCount(), FPersonsLeft, Prizes);
    std::map<TPrizeId, AnsiString> Names;
    for (const TPrizeStock& P : Prizes)
        Names.emplace(P.Id, P.Name);
    for (Integer R = 0; R < FBoard.Rows(); ++R)
        for (Integer C = 0; C < FBoard.Cols(); ++C) {
            const TPrizeId Id = FBoard.CellPrize(C, R);
            grid->SetCells(C, R, Id ? Names[Id] : FNoPrizeText);
        }
    // No cell shows as selected.
    TGridRect Sel = grid->Selection();
    Sel.Top = Sel.Bottom = -1;
    grid->SetSelection(Sel);
    ShowCounters();
    saveAction->SetEnabled(FBoard.CanDraw());
    FormResize(this);
}

void TLotteryForm::FormResize(TObject*)
{
    if (!grid || grid->RowCount() <= 0 || grid->ColCount() <= 0)
        return;
    // Up to 99 rows the board fits the window; a longer one keeps its rows and scrolls. The
    // sizes come from the grid's client area, so that with the lines between them every row and
    // column is whole; a board that fits needs no scroll bar, and one taking room from the
    // cells would make the last row and column part-hidden.
    // The client area is only known once the grid's window (with its border) exists.
    if (!grid->HandleAllocated() && Showing())
        grid->HandleNeeded();
    const bool Fits = grid->RowCount() < 100;
    grid->SetScrollBars(Fits ? ssNone : ssVertical);
    if (Fits)
        grid->SetDefaultRowHeight(std::max(1, grid->ClientHeight() / grid->RowCount() - 1));
    // One width for every column, set in one step whatever the number of columns.
    grid->SetDefaultColWidth(std::max(1, grid->ClientWidth() / grid->ColCount() - 3));
}

void TLotteryForm::FormCloseQuery(TObject*, bool& CanClose)
{
    // While the highlight runs the draw is already stored: the window frame's close waits for
    // the landing, so that the audience sees what was won, and the board closes then.
    CanClose = !FBoard.Animating();
    if (!CanClose)
        FCloseAfterLanding = true;
}

void TLotteryForm::FormClose(TObject*, TCloseAction&)
{
    Timer1->SetEnabled(false);
}

void TLotteryForm::exitActionExecute(TObject*)
{
    SetModalResult(2);
}

void TLotteryForm::ScrollTo(Integer StartRow)
{
    const Integer Visible = grid->VisibleRowCount();
    const Integer Top = grid->TopRow();
    if (StartRow >= Top && StartRow <= Top + Visible - 1)
        return;
    grid->SetTopRow(StartRow <= Visible + 1 ? StartRow : StartRow - Visible + 1);
}

void TLotteryForm::FollowColumn()
{
    // A board too wide for the window (its columns cannot shrink below a pixel) would walk out
    // of sight: the view turns a page, so that it moves once per screenful of moves.
    const Integer Col = FBoard.HighlightCol();
    if (Col < grid->LeftCol() || Col > grid->LeftCol() + grid->VisibleColCount() - 1)
        grid->SetLeftCol(Col);
}

void TLotteryForm::saveActionExecute(TObject*)
{
    if (!FBoard.CanDraw())
        return;
    const Integer OldCol = FBoard.HighlightCol(), OldRow = FBoard.HighlightRow();
    const TDrawBoard::TDraw D = FBoard.BeginDraw();
    if (!D.Found) {
        // Only a board whose cells disagree with its outcomes gets here; nothing was drawn.
        showInformation("The drawn prize is not on the board.", this);
        return;
    }
    exitAction->SetEnabled(false);
    saveAction->SetEnabled(false);
    person->SetCaption("Person: " + IntToStr(FBoard.PersonsLeft()));
    if (D.WipedCol >= 0)
        grid->SetCells(D.WipedCol, D.WipedRow, FNoPrizeText);
    // The outcome is decided now: the won unit and the person who drew it are stored together.
    DrawStore()->RecordDraw(D.Outcome);
    ScrollTo(FBoard.HighlightRow());
    FollowColumn();
    Timer1->SetInterval(50);
    Timer1->SetEnabled(true);
    // The cell the last walk landed on (emptied when its prize was won) and the walk's start.
    RepaintCells({{OldCol, OldRow}, {FBoard.HighlightCol(), FBoard.HighlightRow()}});
}

void TLotteryForm::Timer1Timer(TObject*)
{
    if (FBoard.StepsLeft() != 0) {
        const Integer OldCol = FBoard.HighlightCol(), OldRow = FBoard.HighlightRow();
        const bool Slow = FBoard.Step();
        if (FBoard.HighlightRow() < OldRow)
            grid->SetTopRow(0);
        else if (FBoard.HighlightRow() > grid->TopRow() + grid->VisibleRowCount() - 1)
            grid->SetTopRow(grid->TopRow() + 1);
        FollowColumn();
        if (Slow) {
            Timer1->SetInterval(Timer1->Interval() + 100);
            MessageBeep(0);
        }
        RepaintCells({{OldCol, OldRow}, {FBoard.HighlightCol(), FBoard.HighlightRow()}});
        return;
    }
    FBoard.Land();
    gift->SetCaption("Prize: " + IntToStr(FBoard.PrizesLeft()));
    saveAction->SetEnabled(FBoard.PersonsLeft() > 0);
    exitAction->SetEnabled(true);
    if (saveAction->Enabled() && startButton->CanFocus())
        startButton->SetFocus();
    else if (!saveAction->Enabled() && ZevButton1->CanFocus())
        ZevButton1->SetFocus(); // the draw button is disabled for good: keys go to Close

    Timer1->SetEnabled(false);
    if (FCloseAfterLanding) {
        FCloseAfterLanding = false;
        Close();
    }
}

void TLotteryForm::RepaintCells(std::initializer_list<std::pair<Integer, Integer>> Cells)
{
    for (const auto& [Col, Row] : Cells)
        grid->InvalidateCell(Col, Row);
    grid->Update();
}

TSize TLotteryForm::CellTextExtent(TCanvas* C, const AnsiString& Text, Integer Size)
{
    // A board of distinct prize names stays far below this; a bound keeps an odd one small.
    if (FExtents.size() > 4096)
        FExtents.clear();
    auto [It, Added] = FExtents.try_emplace({Text, Size});
    if (Added)
        It->second = C->TextExtent(Text);
    return It->second;
}

void TLotteryForm::gridDrawCell(TObject*, Integer ACol, Integer ARow, TRect Rect, TGridDrawState)
{
    TCanvas* C = grid->Canvas();
    C->Font()->SetColor(clBlack);
    C->Font()->SetSize(16);
    if (ACol == FBoard.HighlightCol() && ARow == FBoard.HighlightRow()) {
        C->Brush()->SetColor(clHighlight);
        C->Font()->SetColor(RGB(255, 255, 0));
        C->FillRect(Rect);
        C->Font()->SetSize(32);
    } else if (FBoard.CellPrize(ACol, ARow) != 0) {
        C->Brush()->SetColor(RGB(0, 128, 0));
        C->Font()->SetColor(clWhite);
        C->FillRect(Rect);
    } else {
        C->Brush()->SetColor(clWhite);
        C->Font()->SetColor(clBlack);
        C->FillRect(Rect);
    }
    const AnsiString Text = grid->Cells(ACol, ARow);
    const TSize Extent = CellTextExtent(C, Text, C->Font()->Size());
    const Integer X = Rect.Left + (Rect.Width() - Extent.cx) / 2;
    const Integer Y = Rect.Top + (Rect.Height() - Extent.cy) / 2;
    DrawCellText(C, Rect, X, Y, Text, Extent);
}

void TLotteryForm::DrawCellText(TCanvas* C, const TRect& Rect, Integer X, Integer Y, const AnsiString& Text,
                                TSize Extent)
{
    if (Text.empty() || Extent.cx <= 0 || Extent.cy <= 0)
        return;
    // Room around the text for ink that reaches past its advance (emboldened strokes).
    const Integer Pad = Extent.cy / 4 + 2;
    if (FTextImages.size() > 128)
        FTextImages.clear();
    auto [It, Added] =
        FTextImages.try_emplace(TTextLook{Text, C->Font()->Size(), C->Font()->Color(), C->Brush()->Color()});
    if (Added) {
        auto Image = std::make_unique<TBitmap>();
        Image->SetSize(Extent.cx + 2 * Pad, Extent.cy + 2 * Pad);
        TCanvas* IC = Image->Canvas();
        IC->Font()->Assign(C->Font());
        IC->Brush()->Assign(C->Brush());
        const TRect All{0, 0, Image->Width(), Image->Height()};
        IC->FillRect(All);
        IC->TextRect(All, Pad, Pad, Text);
        It->second = std::move(Image);
    }
    TBitmap* Image = It->second.get();
    const Integer Left = X - Pad, Top = Y - Pad;
    const TRect Dest{std::max(Rect.Left, Left), std::max(Rect.Top, Top),
                     std::min(Rect.Right, Left + Image->Width()),
                     std::min(Rect.Bottom, Top + Image->Height())};
    if (Dest.Right <= Dest.Left || Dest.Bottom <= Dest.Top)
        return;
    C->CopyRect(Dest, Image->Canvas(),
                TRect{Dest.Left - Left, Dest.Top - Top, Dest.Right - Left, Dest.Bottom - Top});
}
