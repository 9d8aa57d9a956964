// The search footer: its settings, the docked panel with its edit and buttons, and the grid's
// handlers behind them (incremental search, find next and previous, highlighting, closing).

#include "RudUvud/edit/SearchFooter.h"

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/support/DerOdozDraw.h"
#include "RudUvud/support/VadObj.h"

#include "platform/win/Colors.h"

// ---- TSearchFooter -------------------------------------------------------------------------------------

TSearchFooter::TSearchFooter() : FFont(std::make_unique<TFont>()) {}

TSearchFooter::~TSearchFooter() = default;

void TSearchFooter::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TSearchFooter*>(Source);
    if (!S)
        return;
    FAlwaysHighLight = S->FAlwaysHighLight;
    FColor = S->FColor;
    FColorTo = S->FColorTo;
    FFindNextCaption = S->FFindNextCaption;
    FFindPrevCaption = S->FFindPrevCaption;
    FHighLightCaption = S->FHighLightCaption;
    FMatchCaseCaption = S->FMatchCaseCaption;
    FHintClose = S->FHintClose;
    FHintFindNext = S->FHintFindNext;
    FHintFindPrev = S->FHintFindPrev;
    FHintHighlight = S->FHintHighlight;
    FShowClose = S->FShowClose;
    FShowFindNext = S->FShowFindNext;
    FShowFindPrev = S->FShowFindPrev;
    FShowHighLight = S->FShowHighLight;
    FShowMatchCase = S->FShowMatchCase;
    FSearchActiveColumnOnly = S->FSearchActiveColumnOnly;
    FSearchMatchStart = S->FSearchMatchStart;
    FSearchColumn = S->FSearchColumn;
    FSearchDirection = S->FSearchDirection;
    FSearchHiddenRows = S->FSearchHiddenRows;
    FVisible = S->FVisible;
    FFont->Assign(S->FFont.get());
}

void TSearchFooter::Changed()
{
    if (OnChange)
        OnChange(this);
}

namespace {

template <class T> void StoreAndChange(TSearchFooter* F, T& Field, const T& Value)
{
    Field = Value;
    F->Changed();
}

template <class T> void StoreIfChanged(TSearchFooter* F, T& Field, const T& Value)
{
    if (Field == Value)
        return;
    Field = Value;
    F->Changed();
}

} // namespace

void TSearchFooter::SetColor(TColor Value)
{
    StoreAndChange(this, FColor, Value);
}
void TSearchFooter::SetColorTo(TColor Value)
{
    StoreAndChange(this, FColorTo, Value);
}
void TSearchFooter::SetFindNextCaption(const AnsiString& Value)
{
    StoreAndChange(this, FFindNextCaption, Value);
}
void TSearchFooter::SetFindPrevCaption(const AnsiString& Value)
{
    StoreAndChange(this, FFindPrevCaption, Value);
}
void TSearchFooter::SetFont(TFont* Value)
{
    FFont->Assign(Value);
    Changed();
}
void TSearchFooter::SetHighLightCaption(const AnsiString& Value)
{
    StoreAndChange(this, FHighLightCaption, Value);
}
void TSearchFooter::SetHintClose(const AnsiString& Value)
{
    StoreAndChange(this, FHintClose, Value);
}
void TSearchFooter::SetHintFindNext(const AnsiString& Value)
{
    StoreAndChange(this, FHintFindNext, Value);
}
void TSearchFooter::SetHintFindPrev(const AnsiString& Value)
{
    StoreAndChange(this, FHintFindPrev, Value);
}
void TSearchFooter::SetHintHighlight(const AnsiString& Value)
{
    StoreAndChange(this, FHintHighlight, Value);
}
void TSearchFooter::SetMatchCaseCaption(const AnsiString& Value)
{
    StoreAndChange(this, FMatchCaseCaption, Value);
}
void TSearchFooter::SetShowClose(bool Value)
{
    StoreAndChange(this, FShowClose, Value);
}
void TSearchFooter::SetAutoThemeAdapt(bool Value)
{
    StoreAndChange(this, FAutoThemeAdapt, Value);
}
void TSearchFooter::SetShowFindNext(bool Value)
{
    StoreIfChanged(this, FShowFindNext, Value);
}
void TSearchFooter::SetShowFindPrev(bool Value)
{
    StoreIfChanged(this, FShowFindPrev, Value);
}
void TSearchFooter::SetShowHighLight(bool Value)
{
    StoreIfChanged(this, FShowHighLight, Value);
}
void TSearchFooter::SetShowMatchCase(bool Value)
{
    StoreIfChanged(this, FShowMatchCase, Value);
}
void TSearchFooter::SetVisible(bool Value)
{
    StoreIfChanged(this, FVisible, Value);
}

// ---- TRetEdit ------------------------------------------------------------------------------------------

void TRetEdit::CreateParams(TCreateParams& Params)
{
    TEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE;
}

void TRetEdit::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_RETURN) {
        if (::GetKeyState(VK_CONTROL) < 0) {
            if (OnCtrlReturn)
                OnCtrlReturn(this);
        } else if (OnReturn) {
            OnReturn(this);
        }
        return;
    }
    if (Message.Msg == WM_CHAR && (Message.WParam == 13 || Message.WParam == 10)) {
        WideChar Key = static_cast<WideChar>(Message.WParam);
        if (OnKeyPress)
            OnKeyPress(this, Key);
        Message.Result = 0;
        return;
    }
    TEdit::WndProc(Message);
}

// ---- TSearchPanel --------------------------------------------------------------------------------------

namespace {

void LoadGlyph(TBitmap* Bitmap, const char* Name)
{
    Bitmap->LoadFromResourceName(nullptr, Name);
}

TRudUvudButton* NewButton(TSearchPanel* Panel)
{
    auto* B = New<TRudUvudButton>(Panel);
    B->SetParent(Panel);
    return B;
}

} // namespace

TSearchPanel::TSearchPanel(TComponent* AOwner) : TPanel(AOwner), FGrid(dynamic_cast<TDidAririzEvar*>(AOwner))
{
    SetBevelOuter(bvNone);
    FEdit = New<TRetEdit>(this);
    FEdit->SetParent(this);
    FForward = NewButton(this);
    FBackward = NewButton(this);
    FClose = NewButton(this);
    FHighlight = NewButton(this);
    FMatchCase = New<TDirEdaduVer>(this);
    FMatchCase->SetParent(this);
}

TSearchPanel::~TSearchPanel() = default;

void TSearchPanel::CreateWnd()
{
    TPanel::CreateWnd();
    FEdit->SetBounds(25, 6, 110, FEdit->Height());
    FEdit->OnChange = [this](TObject* Sender) { EditChange(Sender); };
    FEdit->OnReturn = [this](TObject* Sender) { EditReturn(Sender); };
    FEdit->OnCtrlReturn = [this](TObject* Sender) { EditCtrlReturn(Sender); };
    FEdit->OnKeyDown = [this](TObject* Sender, Word& Key, TShiftState Shift) {
        EditKeydown(Sender, Key, Shift);
    };

    auto Caption = [](TRudUvudButton* B, const AnsiString& Text, const AnsiString& Hint) {
        B->SetCaption(Text);
        B->SetHint(Hint);
        B->SetShowHint(!Hint.empty());
    };
    auto Glyphs = [](TRudUvudButton* B, const char* Normal, const char* Disabled) {
        TBitmap G, D;
        LoadGlyph(&G, Normal);
        LoadGlyph(&D, Disabled);
        B->SetGlyph(&G);
        B->SetGlyphDisabled(&D);
    };

    FForward->SetBounds(140, 5, 90, 23);
    Caption(FForward, FindNextCaption, HintFindNext);
    Glyphs(FForward, "DAEARDOWN", "DAEARDOWND");
    FForward->SetEnabled(false);
    FForward->SetParentFont(true);
    FForward->OnClick = [this](TObject* Sender) { ForwardClick(Sender); };

    FBackward->SetBounds(235, 5, 90, 23);
    Caption(FBackward, FindPrevCaption, HintFindPrev);
    Glyphs(FBackward, "DAEARUP", "DAEARUPD");
    FBackward->SetEnabled(false);
    FBackward->SetParentFont(true);
    FBackward->OnClick = [this](TObject* Sender) { BackwardClick(Sender); };

    FClose->SetBounds(5, 7, 14, 14);
    FClose->SetHint(HintClose);
    FClose->SetShowHint(!HintClose.empty());
    FClose->SetCaption("");
    {
        TBitmap Normal, Hot, Down;
        LoadGlyph(&Normal, "DAECLOSE");
        LoadGlyph(&Hot, "DAECLOSEH");
        LoadGlyph(&Down, "DAECLOSED");
        FClose->SetGlyph(&Normal);
        FClose->SetGlyphHot(&Hot);
        FClose->SetGlyphDown(&Down);
    }
    FClose->SetParentFont(true);
    FClose->OnClick = [this](TObject* Sender) { ExitClick(Sender); };

    FHighlight->SetBounds(330, 5, 90, 23);
    Caption(FHighlight, HighLightCaption, HintHighlight);
    FHighlight->SetParentFont(true);
    FHighlight->Font()->SetStyle(TFontStyles{});
    FHighlight->SetEnabled(false);
    FHighlight->SetStyle(tasCheck);
    Glyphs(FHighlight, "DAEHI", "DAEHID");
    FHighlight->OnClick = [this](TObject* Sender) { HighlightClick(Sender); };

    FMatchCase->SetBounds(FHighlight->Visible() ? 425 : 330, 8, FMatchCase->Width(), FMatchCase->Height());
    FMatchCase->SetCaption(MatchCaseCaption);

    if (UseRightToLeftAlignment()) {
        for (TControl* C :
             std::initializer_list<TControl*>{FEdit, FForward, FBackward, FClose, FHighlight, FMatchCase})
            C->SetLeft(Width() - C->Width() - C->Left());
    }
    if (FGrid && FGrid->OnCreatedSearchFooter)
        FGrid->OnCreatedSearchFooter(FGrid);
}

void TSearchPanel::Paint()
{
    TPanel::Paint();
    TCanvas* C = Canvas();
    C->Brush()->SetColor(Color());
    C->Pen()->SetColor(Color());
    const TRect R = ClientRect();
    if (FColorTo == clNone)
        C->FillRect(R);
    else
        DrawGradient(C, Color(), FColorTo, 32, R, false);
    C->Pen()->SetColor(FGrid ? FGrid->GridLineColor() : clGray);
    C->MoveTo(0, 0);
    C->LineTo(Width(), 0);
}

void TSearchPanel::SetColorTo(TColor Value)
{
    FColorTo = Value;
    Invalidate();
}

void TSearchPanel::ForwardClick(TObject*)
{
    if (OnForwardClick)
        OnForwardClick(this);
}

void TSearchPanel::BackwardClick(TObject*)
{
    if (OnBackwardClick)
        OnBackwardClick(this);
}

void TSearchPanel::HighlightClick(TObject*)
{
    if (OnHighlightClick)
        OnHighlightClick(this);
}

void TSearchPanel::ExitClick(TObject*)
{
    if (OnExitClick)
        OnExitClick(this);
}

void TSearchPanel::EditChange(TObject*)
{
    const bool Any = !FEdit->Text().empty();
    FForward->SetEnabled(Any);
    FBackward->SetEnabled(Any);
    FHighlight->SetEnabled(Any);
    if (OnEditChange)
        OnEditChange(this);
}

void TSearchPanel::EditReturn(TObject* Sender)
{
    ForwardClick(Sender);
}

void TSearchPanel::EditCtrlReturn(TObject* Sender)
{
    BackwardClick(Sender);
}

void TSearchPanel::EditKeydown(TObject*, Word&, TShiftState) {}

// ---- The grid's handlers -------------------------------------------------------------------------------

void TDidAririzEvar::WireSearchPanel()
{
    FSearchPanel->OnEditChange = [this](TObject* Sender) { SearchEditChange(Sender); };
    FSearchPanel->OnForwardClick = [this](TObject* Sender) { SearchForward(Sender); };
    FSearchPanel->OnBackwardClick = [this](TObject* Sender) { SearchBackward(Sender); };
    FSearchPanel->OnExitClick = [this](TObject* Sender) { SearchExit(Sender); };
    FSearchPanel->OnHighlightClick = [this](TObject* Sender) { SearchHighLight(Sender); };
    FSearchFooter->OnChange = [this](TObject* Sender) { SearchChanged(Sender); };
}

void TDidAririzEvar::SearchChanged(TObject*)
{
    TSearchFooter& SF = *FSearchFooter;
    TSearchPanel& P = *FSearchPanel;
    // 1. Highlights go with the footer, and are renewed at every search while always on.
    if ((P.HighlightButton()->Down() && P.Visible() && !SF.Visible()) || SF.AlwaysHighLight())
        UnHilightInGrid(false);
    // 2.
    P.SetColor(SF.Color());
    P.SetColorTo(SF.ColorTo());
    P.SetVisible(SF.Visible());
    // 3.
    P.FindNextCaption = SF.FindNextCaption();
    P.FindPrevCaption = SF.FindPrevCaption();
    P.MatchCaseCaption = SF.MatchCaseCaption();
    P.ForwardButton()->SetCaption(SF.FindNextCaption());
    P.BackwardButton()->SetCaption(SF.FindPrevCaption());
    P.MatchCase()->SetCaption(SF.MatchCaseCaption());
    P.HighlightButton()->SetCaption(SF.HighLightCaption());
    P.HighLightCaption = SF.HighLightCaption();
    P.HintClose = SF.HintClose();
    P.HintFindNext = SF.HintFindNext();
    P.HintFindPrev = SF.HintFindPrev();
    P.HintHighlight = SF.HintHighlight();
    P.Font()->Assign(SF.Font());
    // 4. The button look.
    TRudUvudButton* Buttons[] = {P.ForwardButton(), P.BackwardButton(), P.HighlightButton()};
    for (TRudUvudButton* B : Buttons) {
        switch (FControlLook->ControlStyle) {
        case RudUvudLook::csFlat:
            B->SetFlat(true);
            break;
        case RudUvudLook::csWinXP:
        case RudUvudLook::csTheme:
            if (!SF.AutoThemeAdapt()) {
                B->SetAutoXPStyle(true);
                B->SetFlat(false);
            }
            break;
        case RudUvudLook::csClassic:
            B->SetAutoXPStyle(false);
            B->SetFlat(false);
            break;
        default:
            break;
        }
        if (SF.AutoThemeAdapt()) {
            B->SetAutoThemeAdapt(true);
            B->SetFlat(true);
        }
    }
    // 5. Visibility and hints.
    P.HighlightButton()->SetVisible(SF.ShowHighLight());
    P.CloseButton()->SetVisible(SF.ShowClose());
    P.MatchCase()->SetVisible(SF.ShowMatchCase());
    P.MatchCase()->SetTransparent(true);
    P.BackwardButton()->SetVisible(SF.ShowFindPrev());
    P.ForwardButton()->SetVisible(SF.ShowFindNext());
    auto Hint = [](TControl* C, const AnsiString& H) {
        C->SetHint(H);
        C->SetShowHint(!H.empty());
    };
    Hint(P.CloseButton(), SF.HintClose());
    Hint(P.ForwardButton(), SF.HintFindNext());
    Hint(P.BackwardButton(), SF.HintFindPrev());
    Hint(P.HighlightButton(), SF.HintHighlight());
    P.MatchCase()->SetLeft(P.HighlightButton()->Visible() ? 425 : 330);
    // 6. Heights.
    for (TRudUvudButton* B : Buttons)
        B->SetHeight(B->Visible() ? 23 : 0);
    P.MatchCase()->SetHeight(P.MatchCase()->Visible() ? 18 : 0);
    P.SetHeight(SF.Visible() ? 32 : 0);
    // 7.
    if (SF.Visible() && HandleAllocated())
        ScrollToLastRow();
}

TFindParams TDidAririzEvar::SearchFooterParams(bool Incremental)
{
    const TSearchFooter& SF = *FSearchFooter;
    TFindParams Params{fnAutoGoto};
    if (FSearchPanel->HighlightButton()->Down())
        Params.Include(fnIgnoreHTMLTags);
    if (FSearchPanel->MatchCase()->Checked())
        Params.Include(fnMatchCase);
    if (SF.SearchActiveColumnOnly())
        Params.Include(fnFindInCurrentCol);
    if (SF.SearchMatchStart())
        Params.Include(fnMatchStart);
    if (Incremental) {
        if (SF.SearchFixedCells())
            Params.Include(fnIncludeFixed);
        if (SF.SearchHiddenRows())
            Params.Include(fnIncludeHiddenRows);
        if (SF.SearchDirection() == sdLeftRight)
            Params.Include(fnDirectionLeftRight);
    }
    if (SF.SearchColumn() >= 0 && SF.SearchColumn() < ColCount()) {
        FFind.PresetCol = SF.SearchColumn();
        Params.Include(fnFindInPresetCol);
    }
    return Params;
}

namespace {

// Colours the search edit and makes it repaint at once (a one-pixel size change).
void ColourEdit(TRetEdit* E, TColor Colour)
{
    E->SetColor(Colour);
    E->SetWidth(E->Width() + 1);
    E->SetWidth(E->Width() - 1);
}

} // namespace

void TDidAririzEvar::SearchEditChange(TObject* Sender)
{
    TRetEdit* E = FSearchPanel->EditControl();
    const AnsiString V = E->Text();
    // 1.
    bool DefaultSearch = true;
    if (OnSearchEditChange)
        OnSearchEditChange(Sender, V, DefaultSearch);
    if (!DefaultSearch || !FSearchFooter->AutoSearch())
        return;
    // 2.
    const TFindParams Params = SearchFooterParams(true);
    FFind.Params = Params;
    // 3.
    if (!V.empty()) {
        UnHilightInGrid(false);
        FFind.LastFound = Find(TPoint{-1, -1}, V, Params);
        DoSearchFooterAction(V, FFind.LastFound.X, FFind.LastFound.Y, saFindFirst);
        if (FFind.LastFound.X == -1) {
            ColourEdit(E, clRed);
        } else {
            ColourEdit(E, clWindow);
            ScrollInView(FFind.LastFound.X, FFind.LastFound.Y);
            if (FSearchPanel->HighlightButton()->Down() || FSearchFooter->AlwaysHighLight())
                HilightInGrid(false, FSearchPanel->MatchCase()->Checked(), V);
        }
    } else {
        ColourEdit(E, clWindow);
        UnHilightInGrid(false);
    }
    // 4. The current row stays above the footer.
    const Integer Extra = FloatingFooter()->Visible() ? 2 : 0;
    const Integer VRC = VisibleRowCount();
    if (TopRow() + VRC - Extra - 2 < Row() && VRC + FixedRows() + Extra < RowCount())
        SetTopRow(TopRow() + Extra + 1);
}

void TDidAririzEvar::SearchForward(TObject*)
{
    const AnsiString V = FSearchPanel->EditControl()->Text();
    // 1. Without incremental search a changed text starts again at the top.
    if (!FSearchFooter->AutoSearch()) {
        if (V != FSearchFooter->FLastSearch)
            FFind.LastFound = TPoint{-1, -1};
        FSearchFooter->FLastSearch = V;
    }
    // 2. and 3.
    FFind.LastFound = Find(FFind.LastFound, V, SearchFooterParams(false));
    // 4.
    if (FFind.LastFound.X != -1)
        ScrollInView(FFind.LastFound.X, FFind.LastFound.Y);
    const Integer Extra = FloatingFooter()->Visible() ? 1 : 0;
    const Integer VRC = VisibleRowCount();
    if (TopRow() + VRC - Extra - 2 < Row() && VRC + FixedRows() + Extra < RowCount())
        SetTopRow(TopRow() + 2);
    // 5.
    DoSearchFooterAction(V, FFind.LastFound.X, FFind.LastFound.Y, saFindNext);
    FSearchPanel->Invalidate();
}

void TDidAririzEvar::SearchBackward(TObject*)
{
    const AnsiString V = FSearchPanel->EditControl()->Text();
    if (!FSearchFooter->AutoSearch()) {
        if (V != FSearchFooter->FLastSearch)
            FFind.LastFound = TPoint{-1, -1};
        FSearchFooter->FLastSearch = V;
    }
    TFindParams Params = SearchFooterParams(false);
    Params.Include(fnBackward);
    FFind.LastFound = Find(FFind.LastFound, V, Params);
    const Integer Extra = FloatingFooter()->Visible() ? 1 : 0;
    const Integer VRC = VisibleRowCount();
    if (TopRow() + VRC - Extra - 2 < Row() && VRC + FixedRows() + Extra < RowCount())
        SetTopRow(TopRow() + 2);
    if (FFind.LastFound.X != -1)
        ScrollInView(FFind.LastFound.X, FFind.LastFound.Y);
    DoSearchFooterAction(V, FFind.LastFound.X, FFind.LastFound.Y, saFindPrevious);
    FSearchPanel->Invalidate();
}

void TDidAririzEvar::SearchExit(TObject* Sender)
{
    if (OnSearchFooterClose)
        OnSearchFooterClose(Sender);
    FSearchFooter->SetVisible(false);
}

void TDidAririzEvar::SearchHighLight(TObject*)
{
    if (FSearchPanel->HighlightButton()->Down())
        HilightInGrid(false, FSearchPanel->MatchCase()->Checked(), FSearchPanel->EditControl()->Text());
    else
        UnHilightInGrid(false);
}

bool TDidAririzEvar::SearchDialogChar(Word CharCode)
{
    if (!FSearchFooter->Visible())
        return false;
    struct TAccel {
        TRudUvudButton* Button;
        void (TDidAririzEvar::*Run)(TObject*);
    };
    const TAccel Accels[] = {{FSearchPanel->ForwardButton(), &TDidAririzEvar::SearchForward},
                             {FSearchPanel->BackwardButton(), &TDidAririzEvar::SearchBackward},
                             {FSearchPanel->HighlightButton(), &TDidAririzEvar::SearchHighLight}};
    for (const TAccel& A : Accels) {
        if (IsAccel(CharCode, A.Button->Caption()) && A.Button->Visible() && A.Button->Enabled()) {
            (this->*A.Run)(A.Button);
            return true;
        }
    }
    return false;
}
